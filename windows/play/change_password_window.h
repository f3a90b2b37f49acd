// CChangePasswordWindow ("NEWACCOUNT_WINDOW", the identifier the new-account
// window has too; image "ChangePasswordWindow"): a child of the log-in
// window that changes the account's password and waits for the answer.
#pragma once
#include <cstdint>

#include "ui/base_window.h"
#include "ui/button.h"
#include "ui/edit_box.h"

inline constexpr char CHANGE_PASSWORD_WINDOW_NAME[] = "NEWACCOUNT_WINDOW";
inline constexpr char CHANGE_PASSWORD_WINDOW_IMAGE[] = "ChangePasswordWindow";
inline constexpr size_t CHANGE_PASSWORD_STATUS_SIZE = 257;

class CChangePasswordWindow : public CBaseWindow {
public:
    // The boxes, in their order.
    enum Box { kAccount, kPassword, kNewPassword, kRepeat, kBoxCount };

    CChangePasswordWindow();
    ~CChangePasswordWindow() override;

    bool Create() override;
    bool Draw() override;
    // The wait for the answer.
    bool Update() override;
    bool OnControlEvent(int32_t button, int32_t x, int32_t y, CBaseWindow* control) override;
    // Tab moves to the next box, Enter confirms, Escape cancels (while active).
    bool OnKeyDown(uint32_t key, CBaseWindow* control) override;
    bool SetPosition(int32_t x, int32_t y) override;

    // Buttons shown, boxes emptied, the first focused; shown.
    void ResetAndShow();
    // Sends the change when the new password and its repetition agree.
    void Submit();

    bool IsWaiting() const { return m_requestStart != 0; }
    const char* GetMessageLine() const { return m_message; }
    CEditBox* GetBox(Box which) const { return m_boxes[which].GetAs<CEditBox>(); }
    CButton* GetConfirmButton() const { return m_confirm.GetAs<CButton>(); }
    CButton* GetCancelButton() const { return m_cancel.GetAs<CButton>(); }

private:
    void EndWait();

    CWeakRef m_confirm;
    CWeakRef m_cancel;
    CWeakRef m_boxes[kBoxCount];
    uint32_t m_requestStart = 0;
    char m_message[CHANGE_PASSWORD_STATUS_SIZE] = {};
};
