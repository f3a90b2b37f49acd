// CClubGradeInputWin ("CLUB_GRADE_INPUT_WINDOW"): the club storage's prompt
// for a whole number of at most three digits (the highest order key that may
// take an item out). It sends nothing: its owner opens it, and once it has
// closed reads whether a number was confirmed and which.
#pragma once
#include <cstdint>
#include <memory>

#include "core/base_object.h"
#include "ui/base_window.h"

class CAniObject;
class CButton;
class CEditBox;

inline constexpr char CLUB_GRADE_INPUT_WINDOW_NAME[] = "CLUB_GRADE_INPUT_WINDOW";

class CClubGradeInputWin : public CBaseWindow {
public:
    CClubGradeInputWin();
    ~CClubGradeInputWin() override;

    bool Create() override;
    bool Release() override;
    bool Show() override;
    bool Hide() override;
    bool Draw() override;
    bool OnControlEvent(int32_t button, int32_t x, int32_t y, CBaseWindow* control) override;
    bool OnKeyDown(uint32_t key, CBaseWindow* control) override;
    bool SetPosition(int32_t x, int32_t y) override;
    bool UpdateRect() override;

    // OK or Enter: the number at the start of the box; from 1 on the prompt
    // closes with the result 1, else it stays open.
    void Confirm();
    // Cancel or Escape: closes with the result 0.
    void Cancel();

    // 1 after a confirmed number, 0 after Cancel or Escape.
    uint8_t GetResult() const { return m_result; }
    // The number last read (-1 before any).
    int32_t GetValue() const { return m_value; }
    CEditBox* GetEditBox() const;
    CButton* GetOkButton() const { return m_ok.GetAs<CButton>(); }
    CButton* GetCancelButton() const { return m_cancel.GetAs<CButton>(); }

private:
    int32_t m_value = -1;
    uint8_t m_result = 0;
    std::unique_ptr<CAniObject> m_backdrop;
    CWeakRef m_edit, m_ok, m_cancel;
};
