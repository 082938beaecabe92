// Background music under Wine without relying on an audio
// device: what is refused, that a device failure leaves nothing playing, and
// that no temporary MIDI file outlives the music that wrote it.
#include <gtest/gtest.h>

#include <windows.h>
#include <mmsystem.h>

#include <cstdint>
#include <set>
#include <string>
#include <vector>

#include "components/sounds/background_music_win32.h"

namespace {

using components::BackgroundMusic;

void Append32(std::vector<uint8_t>& out, uint32_t value) {
    for (int shift = 0; shift < 32; shift += 8) out.push_back(static_cast<uint8_t>(value >> shift));
}

// A tenth of a second of 8 kHz 8-bit mono silence.
std::vector<uint8_t> SilentWave() {
    const uint32_t samples = 800;
    std::vector<uint8_t> wave = {'R', 'I', 'F', 'F'};
    Append32(wave, 36 + samples);
    for (char c : std::string("WAVEfmt ")) wave.push_back(static_cast<uint8_t>(c));
    Append32(wave, 16);
    for (uint8_t b : {1, 0, 1, 0}) wave.push_back(b);  // PCM, one channel
    Append32(wave, 8000);
    Append32(wave, 8000);
    for (uint8_t b : {1, 0, 8, 0}) wave.push_back(b);  // block align 1, 8 bits
    for (char c : std::string("data")) wave.push_back(static_cast<uint8_t>(c));
    Append32(wave, samples);
    wave.insert(wave.end(), samples, 0x80);
    return wave;
}

// One track holding only its end: a piece that ends at once.
std::vector<uint8_t> EmptyMidi() {
    return {'M', 'T', 'h', 'd', 0, 0, 0, 6, 0, 0, 0, 1, 0, 96,
            'M', 'T', 'r', 'k', 0, 0, 0, 4, 0, 0xFF, 0x2F, 0};
}

std::set<std::wstring> TemporaryMidiFiles() {
    wchar_t directory[MAX_PATH];
    GetTempPathW(MAX_PATH, directory);
    std::set<std::wstring> names;
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW((std::wstring(directory) + L"mid*.tmp").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return names;
    do names.insert(found.cFileName);
    while (FindNextFileW(search, &found));
    FindClose(search);
    return names;
}

TEST(BackgroundMusic, DataItCannotPlayLeavesItSilent) {
    std::vector<uint8_t> notMusic = {'R', 'I', 'F', 'F', 0, 0, 0, 0, 'A', 'V', 'I', ' ', 1, 2, 3, 4};
    struct Case {
        const char* what;
        std::vector<uint8_t> data;
        int mode;
    } cases[] = {
        {"empty", {}, components::kMusicLoop},
        {"neither WAV nor MIDI", notMusic, components::kMusicLoop},
        {"a MIDI header cut short", {'M', 'T', 'h', 'd', 0, 0, 0, 6}, components::kMusicOnce},
        {"silent mode", SilentWave(), components::kMusicSilent},
        {"silent mode", EmptyMidi(), components::kMusicSilent},
    };
    for (const Case& c : cases) {
        BackgroundMusic music;
        music.Play(nullptr, c.data, c.mode);
        EXPECT_FALSE(music.Playing()) << c.what;
    }
}

TEST(BackgroundMusic, StopsWhateverTheDeviceDidAndLeavesNoTemporaryFile) {
    const std::set<std::wstring> before = TemporaryMidiFiles();
    for (int mode : {components::kMusicLoop, components::kMusicOnce}) {
        for (const std::vector<uint8_t>& data : {SilentWave(), EmptyMidi()}) {
            BackgroundMusic music;
            music.Play(nullptr, data, mode);
            // With no audio device the players refuse; with one they play. Either way
            // a stop ends it and a piece that ended does not restart unless it loops.
            music.OnSequencerNotice(MCI_NOTIFY_SUCCESSFUL);
            music.Stop();
            EXPECT_FALSE(music.Playing());
            music.Stop();  // twice is harmless
        }
    }
    {
        BackgroundMusic replaced;
        replaced.Play(nullptr, EmptyMidi(), components::kMusicLoop);
        replaced.Play(nullptr, SilentWave(), components::kMusicOnce);
    }  // the destructor stops it
    EXPECT_EQ(TemporaryMidiFiles(), before) << "a MIDI piece's file goes with the music";
}

}  // namespace
