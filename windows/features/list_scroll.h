// What the feature windows' lists share of their scroll bars.
#pragma once
#include <cstdint>

class CBaseWindow;

// A scroll bar follows a mouse move with the button held only while the
// press began on the bar or its thumb; a move after a press elsewhere in its
// window (a list row) leaves it. True when the move is for the control.
bool ScrollBarTakesMove(CBaseWindow* control);
