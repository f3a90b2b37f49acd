// What the feature windows share: their pictures and their lists' scroll bars.
#pragma once
#include <cstdint>
#include <memory>

class CAniObject;
class CBaseWindow;

// A picture of the named animation playing the motion in the direction, or
// null when the animation is missing.
std::unique_ptr<CAniObject> MakeFeatureImage(const char* animation, uint8_t motion, uint8_t direction);
// Draws it at the screen point (nothing for null).
void DrawFeatureImage(CAniObject* image, int32_t x, int32_t y);

// A scroll bar follows a mouse move with the button held only while the
// press began on the bar or its thumb; a move after a press elsewhere in its
// window (a list row) leaves it. True when the move is for the control.
bool ScrollBarTakesMove(CBaseWindow* control);
