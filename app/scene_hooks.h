// What the scenes use of the sound layer: the music lists by name and the
// intro movie player.
#pragma once

// The scenes' start-up, and the scenes' music
// (installed with the sound manager) and movie player.
void InstallSceneHooks();
