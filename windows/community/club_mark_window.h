// CClubMarkWindow ("Club_MarkWindow"): the emblem picker the club window's
// emblem square opens for the master. The emblem sheets "Club_Mark#1",
// "#2", ... are its pages, 25 emblems a page in five rows; a click chooses
// one, the confirm button (or a double click) hands it to the club window,
// which sends it when it differs from the club's.
#pragma once
#include <cstdint>
#include <memory>

#include "core/base_object.h"
#include "ui/base_window.h"
#include "windows/community/community_windows.h"

class CAniObject;
class CButton;
class CScrollBar;

inline constexpr int32_t CLUB_MARK_PAGE_CELLS = 25;

class CClubMarkWindow : public CBaseWindow, public IClubMarkPicker {
public:
    CClubMarkWindow();
    ~CClubMarkWindow() override;

    bool Create() override;
    bool Release() override;
    bool Draw() override;
    bool Update() override;
    bool SetPosition(int32_t x, int32_t y) override;
    bool OnControlEvent(int32_t button, int32_t x, int32_t y, CBaseWindow* control) override;
    bool OnDoubleClick(int32_t button, int32_t x, int32_t y, CBaseWindow* control) override;
    bool UpdateRect() override;

    // IClubMarkPicker: the club's emblem is the one chosen at first.
    void SetCurrentMark(uint32_t emblem) override;

    // Shows page p (sheet p + 1).
    void SetPage(int32_t page);
    // Hands the chosen emblem to the club window, then closes.
    void Confirm();

    uint32_t GetSheetCount() const { return m_sheets; }
    int32_t GetPage() const { return m_page; }
    int32_t GetHovered() const { return m_hovered; }
    int32_t GetCellCount() const { return m_cellCount; }
    uint32_t GetChosen() const { return m_chosen; }
    CButton* GetConfirmButton() const { return m_confirm.GetAs<CButton>(); }
    CButton* GetCancelButton() const { return m_cancel.GetAs<CButton>(); }
    CButton* GetCloseButton() const { return m_close.GetAs<CButton>(); }
    CScrollBar* GetScrollBar() const;

private:
    void Close();
    void FindHovered(int32_t x, int32_t y);

    uint32_t m_sheets = 0;
    int32_t m_page = 0;
    int32_t m_hovered = -1;
    int32_t m_cellCount = 0;
    uint32_t m_chosen = 0;
    std::unique_ptr<CAniObject> m_cells[CLUB_MARK_PAGE_CELLS];
    std::unique_ptr<CAniObject> m_frame;
    CWeakRef m_confirm, m_cancel, m_close, m_scroll;
};
