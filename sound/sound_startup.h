// The sound layer's global objects and the seams it serves once the sound
// manager exists: the frame's first step, the animation nodes' effects, the
// screenshot's sound and the map's music, effects and sound spots.
#pragma once
#include <cstdint>

// Installs the factories of the SoundMgr and SoundConfig start-up slots.
void InstallSoundGlobals();

// The effect played when a screenshot was saved.
inline constexpr uint16_t SCREENSHOT_EFFECT = 96;
