// A window's background music: WAV data through the wave player, MIDI data
// through the MIDI sequencer, looping or played once.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

namespace components {

enum MusicPlayMode : int { kMusicLoop = 0, kMusicOnce = 1, kMusicSilent = 2 };

class BackgroundMusic {
public:
    BackgroundMusic() = default;
    BackgroundMusic(const BackgroundMusic&) = delete;
    BackgroundMusic& operator=(const BackgroundMusic&) = delete;
    ~BackgroundMusic() { Stop(); }

    // Stops what plays and starts `data` in the mode; data that is neither
    // WAV nor MIDI, or a failing device, plays nothing. The sequencer reports
    // to `owner` (MM_MCINOTIFY), which hands the notice to OnSequencerNotice.
    void Play(HWND owner, const std::vector<uint8_t>& data, int mode);
    void Stop();
    // A MIDI piece ended: starts it again when it loops.
    void OnSequencerNotice(WPARAM flags);

    bool Playing() const { return kind_ != Kind::None; }

private:
    enum class Kind { None, Wave, Midi };
    bool PlayMidi(const std::vector<uint8_t>& data);
    bool SendCommand(const std::wstring& command);

    Kind kind_ = Kind::None;
    bool loop_ = false;
    HWND owner_ = nullptr;
    std::vector<uint8_t> wave_;  // kept while the wave player reads it
    std::wstring midiFile_;
    std::wstring alias_;
};

}  // namespace components
