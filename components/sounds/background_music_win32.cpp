#include "components/sounds/background_music_win32.h"

#include <mmsystem.h>

#include <cstring>

#include "components/sounds/winmm_functions_win32.h"

namespace components {
namespace {

// The wave player is one per process: only the music that started it stops it.
const BackgroundMusic* g_waveOwner = nullptr;

bool IsWave(const std::vector<uint8_t>& data) {
    return data.size() >= 12 && std::memcmp(data.data(), "RIFF", 4) == 0 && std::memcmp(data.data() + 8, "WAVE", 4) == 0;
}
bool IsMidi(const std::vector<uint8_t>& data) { return data.size() >= 14 && std::memcmp(data.data(), "MThd", 4) == 0; }

std::wstring WriteTemporaryFile(const std::vector<uint8_t>& data) {
    wchar_t directory[MAX_PATH], path[MAX_PATH];
    if (!GetTempPathW(MAX_PATH, directory) || !GetTempFileNameW(directory, L"mid", 0, path)) return {};
    HANDLE file = CreateFileW(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_TEMPORARY, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        DeleteFileW(path);
        return {};
    }
    DWORD written = 0;
    bool complete = WriteFile(file, data.data(), static_cast<DWORD>(data.size()), &written, nullptr) &&
                    written == data.size();
    CloseHandle(file);
    if (!complete) {
        DeleteFileW(path);
        return {};
    }
    return path;
}

}  // namespace

void BackgroundMusic::Play(HWND owner, const std::vector<uint8_t>& data, int mode) {
    Stop();
    if (mode == kMusicSilent || data.empty()) return;
    owner_ = owner;
    loop_ = mode == kMusicLoop;
    if (IsWave(data)) {
        wave_ = data;
        DWORD flags = SND_MEMORY | SND_ASYNC | SND_NODEFAULT | (loop_ ? SND_LOOP : 0);
        if (PlaySoundLate(reinterpret_cast<LPCWSTR>(wave_.data()), nullptr, flags)) {
            kind_ = Kind::Wave;
            g_waveOwner = this;
        } else {
            wave_.clear();
        }
    } else if (IsMidi(data) && PlayMidi(data)) {
        kind_ = Kind::Midi;
    }
}

bool BackgroundMusic::SendCommand(const std::wstring& command) {
    return SendMciStringLate(command.c_str(), owner_) == 0;
}

bool BackgroundMusic::PlayMidi(const std::vector<uint8_t>& data) {
    midiFile_ = WriteTemporaryFile(data);
    if (midiFile_.empty()) return false;
    alias_ = L"music" + std::to_wstring(reinterpret_cast<uintptr_t>(this));
    if (SendCommand(L"open \"" + midiFile_ + L"\" type sequencer alias " + alias_)) {
        if (SendCommand(L"play " + alias_ + L" notify")) return true;
        SendCommand(L"close " + alias_);
    }
    DeleteFileW(midiFile_.c_str());
    midiFile_.clear();
    alias_.clear();
    return false;
}

void BackgroundMusic::OnSequencerNotice(WPARAM flags) {
    if (kind_ != Kind::Midi || !loop_ || flags != MCI_NOTIFY_SUCCESSFUL) return;
    SendCommand(L"seek " + alias_ + L" to start");
    SendCommand(L"play " + alias_ + L" notify");
}

void BackgroundMusic::Stop() {
    if (kind_ == Kind::Wave && g_waveOwner == this) {
        PlaySoundLate(nullptr, nullptr, 0);
        g_waveOwner = nullptr;
    }
    if (kind_ == Kind::Midi) {
        SendCommand(L"stop " + alias_);
        SendCommand(L"close " + alias_);
        DeleteFileW(midiFile_.c_str());
    }
    kind_ = Kind::None;
    wave_.clear();
    midiFile_.clear();
    alias_.clear();
}

}  // namespace components
