// CNewAccountWindow ("NEWACCOUNT_WINDOW", image "NewAccountWindow"): a child
// of the log-in window that checks whether an account name is free and makes
// the account, waiting for each answer. The log-in window takes the
// completion flag and fills in the new account's name.
#pragma once
#include <cstdint>

#include "ui/base_window.h"
#include "ui/button.h"
#include "ui/edit_box.h"

inline constexpr char NEW_ACCOUNT_WINDOW_NAME[] = "NEWACCOUNT_WINDOW";
inline constexpr char NEW_ACCOUNT_WINDOW_IMAGE[] = "NewAccountWindow";
inline constexpr size_t NEW_ACCOUNT_STATUS_SIZE = 257;
// Refusal texts longer than this go to a message box.
inline constexpr size_t NEW_ACCOUNT_STATUS_FIT = 60;

// True for a non-empty name of ASCII letters and digits only.
bool CheckAccountName(const char* name);

class CNewAccountWindow : public CBaseWindow {
public:
    enum Box { kAccount, kPassword, kRepeat, kMailName, kFifth, kBoxCount };
    enum Button { kCheck, kConfirm, kCancel, kRenew, kWebPage, kButtonCount };

    CNewAccountWindow();
    ~CNewAccountWindow() override;

    bool Create() override;
    bool Draw() override;
    // The wait for the check's or the creation's answer.
    bool Update() override;
    // The answer of the sign-up page's box: OK opens the page the server
    // gave (a web address only) and ends the program. Update calls it.
    bool ProcessMessages() override;
    bool OnControlEvent(int32_t button, int32_t x, int32_t y, CBaseWindow* control) override;
    // Tab moves among the first four boxes, Enter confirms, Escape cancels.
    bool OnKeyDown(uint32_t key, CBaseWindow* control) override;
    bool SetPosition(int32_t x, int32_t y) override;

    // Buttons shown, boxes emptied, the first focused, options 1; shown.
    void ResetAndShow();
    // Asks whether the account name is free (nothing for an empty name).
    void CheckAccount();
    // Makes the account when the passwords agree and the name is allowed.
    void SubmitNewAccount();
    // Closes the window; the log-in window forgets the command line's account.
    void Cancel();
    // Empties the boxes and sets both options again.
    void Renew();
    // Asks for the sign-up page and whether to open it.
    void OpenSignupPage();
    // The completion flag, cleared as it is read.
    bool TakeCompletion();

    bool IsWaiting() const { return m_requestStart != 0; }
    bool IsChecking() const { return m_checking != 0; }
    const char* GetMessageLine() const { return m_message; }
    CEditBox* GetBox(Box which) const { return m_boxes[which].GetAs<CEditBox>(); }
    CButton* GetButton(Button which) const { return m_buttons[which].GetAs<CButton>(); }

private:
    void EnableAll(bool on);
    void EndWait();
    void Focus(Box which);

    CWeakRef m_boxes[kBoxCount];
    CWeakRef m_buttons[kButtonCount];
    uint8_t m_options[2] = {1, 1};
    uint32_t m_requestStart = 0;
    char m_message[NEW_ACCOUNT_STATUS_SIZE] = {};
    uint8_t m_checking = 0;
    uint8_t m_completed = 0;
};
