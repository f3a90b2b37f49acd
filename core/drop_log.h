// Limits on what a server can make the program keep (markers, items on the
// ground, party members, records waiting for the player's character): what
// passes a limit is dropped. The first drop of each kind in a run is written
// to the console, so that a flood shows as one line and not one a message.
#pragma once
#include <cstddef>
#include <cstdint>

// One item of the kind was dropped at the limit.
void NoteDropped(const char* what, size_t limit);
// Items of the kind dropped in this run (for tests).
uint64_t GetDroppedCount(const char* what);
