// CStipulationWindow ("STIPULATION_WIN", image "StipulationWindow"): the
// terms of use the session received, 19 lines of 71 columns at a time, with
// Agree and Disagree. The title screen acts on the result (-1 none,
// 0 disagreed, 1 agreed).
#pragma once
#include <cstdint>

#include "ui/base_window.h"
#include "ui/button.h"
#include "ui/scroll_bar.h"

inline constexpr char TERMS_WINDOW_NAME[] = "STIPULATION_WIN";
inline constexpr char TERMS_WINDOW_IMAGE[] = "StipulationWindow";
inline constexpr int TERMS_COLUMNS = 71;
inline constexpr int TERMS_LINES = 19;

enum : int32_t {
    TERMS_RESULT_NONE = -1,
    TERMS_RESULT_DISAGREED = 0,
    TERMS_RESULT_AGREED = 1,
};

class CStipulationWindow : public CBaseWindow {
public:
    CStipulationWindow();
    ~CStipulationWindow() override;

    bool Create() override;
    bool Draw() override;
    // The buttons take input while the session's terms are there.
    bool Update() override;
    bool OnControlEvent(int32_t button, int32_t x, int32_t y, CBaseWindow* control) override;
    // Enter agrees, Escape disagrees.
    bool OnKeyDown(uint32_t key, CBaseWindow* control) override;
    bool SetPosition(int32_t x, int32_t y) override;

    void Answer(int32_t result);
    int32_t GetResult() const { return m_result; }
    void SetResult(int32_t result) { m_result = result; }
    CButton* GetAgreeButton() const { return m_agree.GetAs<CButton>(); }
    CButton* GetDisagreeButton() const { return m_disagree.GetAs<CButton>(); }
    CScrollBar* GetScrollBar() const { return m_scrollBar.GetAs<CScrollBar>(); }

private:
    CWeakRef m_scrollBar;
    CWeakRef m_agree;
    CWeakRef m_disagree;
    int32_t m_result = TERMS_RESULT_NONE;
};
