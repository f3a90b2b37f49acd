// The pictures the community windows keep beside their own: an animation's
// image by name, and drawing one at a point of the screen.
#pragma once
#include <cstdint>
#include <memory>

class CAniObject;

// The named animation playing the motion in the direction; null when the
// name has no animation or it cannot be attached.
std::unique_ptr<CAniObject> MakeCommunityImage(const char* animation, uint8_t motion, uint8_t direction);
// Draws the image (null: nothing) with its corner at the screen point.
void DrawCommunityImage(CAniObject* image, int32_t x, int32_t y);
