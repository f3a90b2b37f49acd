// CQuickSlotWindow ("QuickSlotWindow"): sixteen shortcut slots holding
// items or skills, eight at a time on two pages. F1-F8 or a double click use
// a slot, an item or skill icon dropped on a slot puts it there, a right
// click empties it; every change but a drop without an icon goes to the
// server, which sends the slots when the character enters.
#pragma once
#include <cstdint>
#include <memory>

#include "ui/base_window.h"
#include "ui/game_scene_windows.h"
#include "ui/items/item_targets.h"
#include "world/chars/hud_windows.h"
#include "world/chars/skill_action.h"

class CItemIcon;
class CSlotObjectMgr;

inline constexpr char QUICK_SLOT_PICTURE_NAME[] = "Quick_Slot_Window";
inline constexpr int32_t QUICK_SLOTS = 16;
inline constexpr int32_t QUICK_SLOTS_A_PAGE = 8;
// The slot index of the server's record that names the current skill.
inline constexpr uint8_t QUICK_SLOT_CURRENT_SKILL = 16;
// The picture's size (the rectangle of a window without its picture).
inline constexpr int32_t QUICK_SLOT_WIDTH = 140, QUICK_SLOT_HEIGHT = 100;
// Option byte 9: the quick slots are shown.
inline constexpr int OPTION_QUICK_SLOTS_SHOWN = 9;

enum : uint8_t {
    QUICK_SLOT_EMPTY = 0,
    QUICK_SLOT_ITEM = 2,
    QUICK_SLOT_SKILL = 3,
};

// The place (0-7) of the page under a point, for a window at (x, y); -1
// off the slots. Place = trunc((mx - x - 9) x 0.033333335f), plus 4 below y + 69.
int32_t QuickSlotPlaceAt(int32_t x, int32_t y, int32_t mx, int32_t my);

class CQuickSlotWindow : public CBaseWindow,
                         public IPlayWindowOwner,
                         public IItemIconTarget,
                         public ISkillIconTarget,
                         public IQuickSlotPages {
public:
    struct Slot {
        uint8_t type = QUICK_SLOT_EMPTY;
        uint32_t itemId = 0;                  // type 2
        std::unique_ptr<CSkillAction> skill;  // type 3: the icon, owned
    };

    CQuickSlotWindow();
    ~CQuickSlotWindow() override;

    bool Create() override;
    // Deletes the skill icons.
    bool Release() override;
    bool ProcessMessages() override;
    bool Update() override;
    bool Draw() override;
    bool UpdateRect() override;
    bool OnKeyDown(uint32_t key, CBaseWindow* control) override;
    bool OnControlEvent(int32_t button, int32_t x, int32_t y, CBaseWindow* control) override;
    bool OnMouseDown(int32_t button, int32_t x, int32_t y, CBaseWindow* control) override;
    bool OnMouseMove(int32_t button, int32_t x, int32_t y, CBaseWindow* control) override;
    bool OnDoubleClick(int32_t button, int32_t x, int32_t y, CBaseWindow* control) override;
    bool SaveSettings(CLayoutWriter* writer) override;
    bool LoadSettings() override;

    // IPlayWindowOwner: the owner's id names the window (the character
    // manager finds it by that id).
    void SetOwnerId(uint32_t charId) override;
    void SetItemContainer(CCharData* items) override { m_pItems = items; }
    // IQuickSlotPages.
    void TogglePage() override;
    // IItemIconTarget and ISkillIconTarget: an icon let go over the window.
    void DropIcon(CItemIcon* icon, int32_t mouseX, int32_t mouseY) override;
    void DropSkillIcon(CSkillAction* icon, int32_t mouseX, int32_t mouseY) override;

    // Uses slot 0-15.
    void UseSlot(int32_t slot);
    // The slot (0-15) under the point on the page shown, -1 for none.
    int32_t SlotAt(int32_t mx, int32_t my) const;
    int32_t ComputeHovered();
    int32_t GetHovered() const { return m_hovered; }
    int32_t GetPage() const { return m_page; }
    const Slot& GetSlot(int32_t slot) const { return m_slots[slot < 0 || slot >= QUICK_SLOTS ? 0 : slot]; }
    // Empties the slot (its skill icon deleted).
    void ClearSlot(int32_t slot);
    // A skill icon of the row (named after the skill, its picture), or null
    // when the skill table has no such row.
    static std::unique_ptr<CSkillAction> MakeSkillIcon(int32_t row);
    // The server's record: count, slot indices and values.
    void ApplyRecord(uint8_t count, const uint8_t* slots, const uint32_t* values);

private:
    CItemIcon* FindItem(uint32_t itemId) const;
    void PlaceIcon(CDrawObject* icon, int32_t place);
    void SetPage(int32_t page);

    CCharData* m_pItems = nullptr;  // the player's data (not owned)
    int32_t m_page = 0;
    int32_t m_hovered = -1;
    Slot m_slots[QUICK_SLOTS];
};
