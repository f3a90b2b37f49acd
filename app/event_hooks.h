// What the events use of the sound layer: the event sounds (held objects of
// the sound manager) and the event movie (the movie player).
#pragma once

// Installed with the sound manager (the sounds) and with the factories (the
// movies).
void InstallEventHooks();
