// CWarpWindow (made as "WarpWindow", named "WarpPointWin"): the warp points
// the server opens. The names come from data table 34 (row r is slot r: 6
// groups of 32); the server's record says which are open. The player picks a
// point from the list and confirms (OK or a double click), and the window
// sends one warp request and closes.
#pragma once
#include <cstdint>
#include <memory>

#include "core/base_object.h"
#include "data/data_table.h"
#include "ui/base_window.h"
#include "ui/game_scene_windows.h"

class CAniObject;
class CButton;
class CScrollBar;

inline constexpr char WARP_WINDOW_CLASS[] = "WarpWindow";
inline constexpr char WARP_WINDOW_NAME[] = "WarpPointWin";
inline constexpr int WARP_TABLE = 34;
inline constexpr int WARP_GROUPS = 6;
inline constexpr int WARP_GROUP_SLOTS = 32;
inline constexpr int WARP_SLOTS = WARP_GROUPS * WARP_GROUP_SLOTS;
inline constexpr size_t WARP_NAME_MAX = 155;
inline constexpr int32_t WARP_VISIBLE_ROWS = 8;
inline constexpr uint16_t WARP_OPEN_SOUND = 11, WARP_GO_SOUND = 116;

class CWarpWindow : public CBaseWindow, public IWarpView {
public:
    CWarpWindow();
    ~CWarpWindow() override;

    bool Create() override;
    bool Release() override;
    bool Draw() override;
    bool Update() override;
    bool OnControlEvent(int32_t button, int32_t x, int32_t y, CBaseWindow* control) override;
    bool OnDoubleClick(int32_t button, int32_t x, int32_t y, CBaseWindow* control) override;
    bool OnMouseMove(int32_t button, int32_t x, int32_t y, CBaseWindow* control) override;
    bool SetPosition(int32_t x, int32_t y) override;

    // ---- IWarpView ----
    // Bit i of masks[g] set: slot g x 32 + i is open, else locked. Shows the
    // window at (100, 100) with group 0 from its top.
    void Open(const uint32_t masks[6]) override;

    void WarpTo(int32_t group, int32_t index);
    void SetGroup(int32_t group);
    // Fills the slots' names from the warp table.
    void LoadWarpPoints();

    // ---- Read by tests ----
    const char* GetSlotName(int32_t slot) const;
    bool IsLocked(int32_t slot) const;
    int32_t GetSelected() const { return m_selected; }
    int32_t GetGroup() const { return m_group; }
    int32_t GetListPosition() const;
    CScrollBar* GetScrollBar() const;
    CBaseWindow* GetControl(const char* name) const;

private:
    void PlaceControls();
    // The row (0-7) under a point relative to the window, or -1.
    static int32_t RowAt(int32_t x, int32_t y);
    bool SelectRow(int32_t x, int32_t y);
    void Close();

    struct Slot {
        char name[WARP_NAME_MAX + 1] = {};
        uint8_t locked = 0;
    };
    Slot m_slots[WARP_SLOTS];
    uint32_t m_counts[WARP_GROUPS] = {};
    int32_t m_group = 0;
    int32_t m_selected = -1;
    CDataTable m_table;
    CWeakRef m_scrollBar;
    std::unique_ptr<CAniObject> m_selectionMark;
    std::unique_ptr<CAniObject> m_lockMark;
};
