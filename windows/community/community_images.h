// What the community windows share: the pictures they keep beside their own
// (an animation's image by name, drawn at a point of the screen), a line of
// text, a notice box, the dialogs made on first use and the player's name.
#pragma once
#include <cstdint>
#include <functional>
#include <initializer_list>
#include <memory>

class CAniObject;
class CBaseWindow;
class CMessageBox;
class CMsgPort;

// The named animation playing the motion in the direction; null when the
// name has no animation or it cannot be attached.
std::unique_ptr<CAniObject> MakeCommunityImage(const char* animation, uint8_t motion, uint8_t direction);
// Draws the image (null: nothing) with its corner at the screen point.
void DrawCommunityImage(CAniObject* image, int32_t x, int32_t y);
// One line of text in font 0 with its shadow at a point of the screen (an
// empty text draws nothing).
void DrawCommunityText(int32_t x, int32_t y, const char* text, uint32_t colour);
// The animation's pictures that exist: whether the motion has the direction.
bool CommunityImageHas(CAniObject* image, uint8_t motion, uint8_t direction);
// A message box with the text and its OK, centred on the screen.
void ShowCommunityNotice(const char* text);
// The window of that identifier: found, or made from its registered class
// and added to the window manager; null when neither works.
CBaseWindow* FindOrMakeCommunityWindow(const char* name);
// The user's own character's name ("" without one).
const char* PlayerCharacterName();
// Registers the window under its identifier with the named animation's
// motion (direction 2) as its picture; without the animation, a plain frame.
void MakeCommunityWindowPicture(CBaseWindow* window, const char* name, const char* image, uint8_t motion);
// A dialog's buttons: a left click released on one of the controls runs its
// action and is taken (false); anything else goes on to the control.
struct DialogAction {
    CBaseWindow* control;
    std::function<void()> run;
};
bool DispatchDialogClick(int32_t button, int32_t x, int32_t y, CBaseWindow* control,
                         std::initializer_list<DialogAction> actions);
// A question with OK and Cancel whose answer comes to the port as a message
// box answer from the box's kind; null without a window manager.
CMessageBox* AskCommunityQuestion(const char* text, CMsgPort* port, uint32_t kind);
