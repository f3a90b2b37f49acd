// CCursor: the program's own mouse cursor. One object, a child of the main
// manager made at start-up, draws an animated pointer at the mouse position
// whose shape tells what lies under it (a character that can be attacked, a
// field object, blocked ground, ...), labels the object under the mouse with
// its name (and club and club mark for players), carries the object being
// dragged and shows one line of text beside the pointer.
//
// The game screen tells it what is under the mouse with message 70 (id and
// kind of the object) and changes its animation with message 71 (a name).
// The windows reach it through the window manager (ICursorObject); a
// drawable object that goes away drops itself from it (ICursorHooks).
#pragma once
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "core/base_object.h"
#include "core/draw_object.h"
#include "core/message.h"
#include "ui/ui_services.h"

class CAniObject;
class CBaseWindow;
class CChar;
class CToolTipWindow;

// Messages the cursor reads from its port.
inline constexpr uint32_t MSG_CURSOR_POINT = 70;      // CCursorPointMsg
inline constexpr uint32_t MSG_CURSOR_ANIMATION = 71;  // CCursorAniMsg

// The object under the mouse: its id and kind (POINTED_KIND_...); id 0 clears.
class CCursorPointMsg : public CMsgPayload {
public:
    CCursorPointMsg(uint32_t objectId = 0, uint8_t kind = 0)
        : CMsgPayload(MSG_CURSOR_POINT), m_objectId(objectId), m_kind(kind) {}
    uint32_t m_objectId;
    uint8_t m_kind;
};

// The name of the animation the cursor shows from now on.
class CCursorAniMsg : public CMsgPayload {
public:
    explicit CCursorAniMsg(const char* name = nullptr) : CMsgPayload(MSG_CURSOR_ANIMATION) {
        CopyRecordText(m_name, name ? name : "");
    }
    char m_name[64] = {};
};

// Kinds of pointed objects.
enum : uint8_t {
    POINTED_KIND_PLAYER = 0,
    POINTED_KIND_NPC = 1,
    POINTED_KIND_MONSTER = 2,
    POINTED_KIND_PET = 3,
    POINTED_KIND_FIELD_OBJECT = 6,
    POINTED_KIND_EVENT_OBJECT = 10,
};

// Cursor shapes (frame groups of the cursor animation).
enum : int32_t {
    CURSOR_NORMAL = 0,
    CURSOR_ATTACK = 1,
    CURSOR_PICK_UP = 2,
    CURSOR_CANNOT_ACT = 3,
    CURSOR_BLOCKED = 4,
    CURSOR_TALK = 5,
    CURSOR_AREA = 6,
    CURSOR_MODE = 8,
    CURSOR_ALT = 10,
    CURSOR_PRESSED = 12,
    CURSOR_RELEASED = 13,
    CURSOR_HIDDEN = 14,
};

inline constexpr const char* CURSOR_ANIMATION_NAME = "Cursor";
inline constexpr size_t CURSOR_TEXT_MAX = 255;  // bytes of the cursor text
inline constexpr size_t POINTED_TEXT_SIZE = 100;
inline constexpr size_t POINTED_TITLE_SIZE = 103;
inline constexpr int ALT_KEY = 18;
// The text table of the label formats: 0 "name and count", 1 a merchant's
// shop title, 2 a pet's owner and name.
inline constexpr int CURSOR_TEXT_TABLE = 8;
inline constexpr uint32_t LEVEL_COLOUR_WHITE = 0xFFFFFF;

// What the cursor knows of the object under the mouse.
struct CursorPointed {
    uint8_t m_present = 0;
    uint8_t m_kind = 0;
    uint32_t m_id = 0;
    char m_name[POINTED_TEXT_SIZE] = {};
    char m_text1[POINTED_TEXT_SIZE] = {};
    char m_text2[POINTED_TEXT_SIZE] = {};
    char m_clubName[POINTED_TEXT_SIZE] = {};
    char m_clubText[POINTED_TEXT_SIZE] = {};
    uint32_t m_clubMark = 0;
    uint32_t m_level = 0;
    uint8_t m_labelStyle = 0;
    uint8_t m_fieldFlag = 0;
    uint32_t m_fieldCount = 0;
    uint32_t m_fieldColour = LEVEL_COLOUR_WHITE;
    uint8_t m_merchant = 0;
    char m_shopTitle[POINTED_TITLE_SIZE] = {};
    int32_t m_x = 0, m_y = 0;
    uint8_t m_attackable = 0;
    uint8_t m_own = 0;
    uint8_t m_placedKind = 0;  // an event object's: the placed object's kind
};

// The label the cursor shows for a pointed object.
struct CursorLabel {
    std::string m_text;
    std::string m_title;
    uint32_t m_colour = LEVEL_COLOUR_WHITE;
    int32_t m_below = 20;      // pixels under the object
    CChar* m_gauge = nullptr;  // the monster whose energy bar is drawn with the label
};

class CCursor : public CBaseObject, public ICursorObject, public ICursorHooks {
public:
    CCursor();
    ~CCursor() override;

    bool Create() override;
    bool Release() override;
    bool Show() override;
    bool Hide() override;
    bool Update() override;
    bool Draw() override;
    // Messages 70 and 71; every message is removed.
    bool ProcessMessages() override;

    // ---- ICursorObject (the windows) ----
    void ResetWindowState(int32_t mouseX, int32_t mouseY) override;
    CDragObject* GetHeldObject() override;
    // With an object: held unless one is held already. With null: the held
    // object's drag ends (once) and nothing is held.
    void SetPointedObject(CDragObject* object) override;
    bool IsOverWindow() override { return m_overWindow != 0; }
    void SetOverWindow(bool over) override { m_overWindow = over; }
    int32_t GetWindowLayer() override { return m_windowLayer; }
    void SetWindowLayer(int32_t layer) override { m_windowLayer = layer; }
    // The shape to show whatever lies under the mouse (until the next reset).
    void SetShapeIndex(int32_t shape) override;
    // Copies at most 255 bytes (cut between characters); empty clears.
    void SetText(const char* text, uint32_t colour) override;
    void ClearToolTip() override;
    int32_t GetImageHeight() override;

    // ---- ICursorHooks (drawable objects going away) ----
    void DropIfHeld(CDrawObject* object) override;

    // The object under the mouse; id 0 (or the update phase off) clears.
    void SetPointed(uint32_t id, uint8_t kind);
    // Shows the named animation (mode 1 or 2 forces shape 8).
    void LoadCursorAnimation(const char* name, uint32_t mode);
    void SetShape(int32_t shape);
    // The shape the state under the mouse asks for.
    int32_t ComputeShape();
    // Shows club mark id (0 does nothing).
    void SetClubMark(uint32_t id);
    // The label of the pointed object (empty text: none).
    CursorLabel BuildLabel();
    // Takes the window manager's window at the point (none without a sprite).
    void UpdateWindowUnderCursor(int32_t x, int32_t y);
    // That window while it lives; null once it has gone.
    CBaseWindow* GetWindowUnderCursor() const;

    int32_t GetShape() const { return m_shape; }
    const char* GetText() const { return m_text; }
    const CursorPointed& Pointed() const { return m_pointed; }
    CursorPointed& MutablePointed() { return m_pointed; }
    CAniObject* GetSprite() const { return m_pSprite.get(); }
    CAniObject* GetClubMarkSprite() const { return m_pClubMark.get(); }
    uint32_t GetClubMarkSheet() const { return m_clubSheet; }
    CToolTipWindow* GetLabel() const { return m_pLabel.get(); }
    uint32_t GetMode() const { return m_mode; }
    // The game scene's aiming mode (0 none, 1 an item, 2 a skill): 1 and 2
    // show the aiming shape.
    void SetMode(uint32_t mode) { m_mode = mode; }

private:
    // The held object while it lives; a gone one is forgotten.
    CDragObject* ProbeHeld();
    void FillFromChar(CChar* character, uint8_t kind);
    void PlaceLabel(const CursorLabel& label);

    std::unique_ptr<CAniObject> m_pSprite;
    std::unique_ptr<CAniObject> m_pClubMark;
    uint32_t m_clubMarkId = UINT32_MAX;
    uint32_t m_clubSheet = UINT32_MAX;
    int32_t m_shape = -1;  // the recorded shape
    int32_t m_forcedShape = 0;
    uint8_t m_forced = 0;
    uint32_t m_buttons = 0;
    char m_text[CURSOR_TEXT_MAX + 1] = {};
    uint32_t m_textColour = LEVEL_COLOUR_WHITE;
    std::unique_ptr<CToolTipWindow> m_pLabel;
    CWeakRef m_held;
    CWeakRef m_windowUnder;
    CursorPointed m_pointed;
    uint32_t m_mode = 0;
    uint8_t m_overWindow = 0;
    int32_t m_windowLayer = -1;
};

extern CCursor* g_pCursor;
