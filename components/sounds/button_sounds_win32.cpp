#include "components/sounds/button_sounds_win32.h"

#include <windows.h>
#include <mmsystem.h>

#include "components/sounds/winmm_functions_win32.h"

namespace components {
namespace {

constexpr DWORD kPlayFlags = SND_ASYNC | SND_NODEFAULT | SND_NOWAIT;

// The WAV data being played from memory. Never freed at exit: the player's
// thread may still read it then.
std::vector<uint8_t>*& PlayingWave() {
    static std::vector<uint8_t>* playing = nullptr;
    return playing;
}

}  // namespace

void PlayBuiltInClick() {
    PlaySoundLate(MAKEINTRESOURCEW(kClickSoundResource), GetModuleHandleW(nullptr), SND_RESOURCE | kPlayFlags);
}

void PlayWaveData(const std::vector<uint8_t>& wave) {
    if (wave.empty()) return;
    auto* copy = new std::vector<uint8_t>(wave);
    // A new sound stops the one before it, so its data may go only once this one started.
    if (!PlaySoundLate(reinterpret_cast<LPCWSTR>(copy->data()), nullptr, SND_MEMORY | kPlayFlags)) {
        delete copy;
        return;
    }
    delete PlayingWave();
    PlayingWave() = copy;
}

}  // namespace components
