// What the community windows share: their texts on the render surface, the
// OK box, sound effects, images and the player's two names.
#pragma once
#include <cstdint>
#include <memory>

#include "windows/community/community_images.h"

class CAniObject;
class CBaseWindow;
class CButton;

// A half-transparent bar (the selection).
void FillCommunityRect(int32_t x1, int32_t y1, int32_t x2, int32_t y2, uint32_t colour);
// An OK box with the text, added to the window manager and activated.
void ShowCommunityOkBox(const char* text);
// Plays the effect without a position when the sound is on.
void PlayCommunityEffect(uint16_t effect);
void PlayCommunityEffect(const char* name);
// The own character's name, and the name the messenger knows the player by
// (its second name); "" before the character exists.
const char* PlayerCharName();
const char* PlayerIdentityName();
bool HasPlayerChar();
// The clock's milliseconds.
uint32_t CommunityNow();
// Two texts that are there and equal.
bool SameText(const char* a, const char* b);
// The window's child button of the name (the index-th of that name), or null.
CButton* FindChildButton(const CBaseWindow* window, const char* name, int index = 0);
