// The image button's sounds: the program's built-in click, or WAV data from
// the button's properties, played without waiting.
#pragma once

#include <cstdint>
#include <vector>

namespace components {

// Resource number of the built-in click sound (resource type "WAVE") in the
// program's own module.
constexpr int kClickSoundResource = 1;

void PlayBuiltInClick();
// Empty data plays nothing. The bytes are copied: a sound keeps playing after
// the button that started it changed its data or was destroyed.
void PlayWaveData(const std::vector<uint8_t>& wave);

}  // namespace components
