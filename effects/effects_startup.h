// The effects' start-up: the effect manager in its slot, serving the skill
// uses and casts of the characters while it exists.
#pragma once

void InstallEffectsGlobals();
