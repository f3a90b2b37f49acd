// CInsertAccountWindow ("LOGIN_WINDOW", image "InsertAccountWindow"): the
// log-in window. Account and password boxes, the chosen world's name, a
// status line, the box that remembers the account id (kept in "SaveID.DAT"),
// and the wait for the server's answer to the log-in request.
//
// The result (-1 none, 0 back to the world list, 1 logged in) is read by the
// title screen.
#pragma once
#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "anim/ani_object.h"
#include "core/base_object.h"
#include "ui/base_window.h"

class CButton;
class CEditBox;
class CChangePasswordWindow;
class CNewAccountWindow;
class CVisualPasswordWindow;

inline constexpr char LOGIN_WINDOW_NAME[] = "LOGIN_WINDOW";
inline constexpr char LOGIN_WINDOW_IMAGE[] = "InsertAccountWindow";
// The remembered account id: a u32 byte count (little-endian), then the bytes.
inline constexpr char SAVED_ID_FILE[] = "SaveID.DAT";
inline constexpr size_t ACCOUNT_ID_MAX = 16;
inline constexpr size_t LOGIN_PASSWORD_MAX = 8;
inline constexpr uint32_t LOGIN_WAIT_MS = 60000;
// Notice texts longer than this go to a message box.
inline constexpr size_t LOGIN_STATUS_FIT = 44;
inline constexpr size_t LOGIN_STATUS_SIZE = 257;  // the status line and its terminator

enum : int32_t {
    LOGIN_RESULT_NONE = -1,
    LOGIN_RESULT_BACK = 0,
    LOGIN_RESULT_LOGGED_IN = 1,
};

// The remembered account id; none when the file is missing, short, or holds
// a count above ACCOUNT_ID_MAX or past its end.
std::optional<std::string> ReadSavedAccountId(const char* path = SAVED_ID_FILE);
// Replaces the file atomically; false (the old file kept) when it cannot be
// written or the id is longer than ACCOUNT_ID_MAX.
bool WriteSavedAccountId(const char* account, const char* path = SAVED_ID_FILE);

class CInsertAccountWindow : public CBaseWindow {
public:
    // The buttons, in their order.
    enum Button { kConnect, kCancel, kNewAccount, kChangePassword, kKeypad, kButtonCount };

    CInsertAccountWindow();
    ~CInsertAccountWindow() override;

    bool Create() override;
    bool Release() override;
    bool Draw() override;
    // While a dialog of the window shows, only it takes input.
    bool ProcessInput() override;
    // The wait for the log-in answer.
    bool Update() override;
    bool OnControlEvent(int32_t button, int32_t x, int32_t y, CBaseWindow* control) override;
    // Enter logs in, Escape cancels, Tab moves between the boxes (while active).
    bool OnKeyDown(uint32_t key, CBaseWindow* control) override;
    bool SetPosition(int32_t x, int32_t y) override;

    // Ready for display: buttons shown, no wait, the status line, the account
    // from the command line or, when remembered, from "SaveID.DAT".
    void LoadSavedID();
    // The chosen world's name, kept as the last server name in the options.
    void SetServerName(const char* name);
    // Sends the log-in and waits for its answer (nothing while a wait runs).
    void SubmitLogin();
    // Back to the world list on a new connection (nothing while a wait runs).
    void CancelLogin();
    // Tab: the account box when it is not focused, else the password box.
    void SwitchFocus();
    // The keypad, fresh and shown.
    void OpenKeypad();
    // The new account, emptied and shown.
    void OpenNewAccount();
    // The password change, emptied and shown.
    void OpenChangePassword();
    // Switches remembering the account id and saves the options.
    void ToggleRememberId();

    int32_t GetResult() const { return m_result; }
    void SetResult(int32_t result) { m_result = result; }
    bool IsWaiting() const { return m_loginStart != 0; }
    const char* GetServerName() const { return m_serverName.c_str(); }
    const char* GetMessageLine() const { return m_message; }
    CEditBox* GetAccountBox() const;
    CEditBox* GetPasswordBox() const;
    CButton* GetButton(Button which) const;
    CVisualPasswordWindow* GetKeypad() const;
    CChangePasswordWindow* GetChangePassword() const;
    CNewAccountWindow* GetNewAccount() const;

private:
    void ShowButtons(bool takeInput);
    void SetMessage(const char* text);
    // The answer arrived, the connection went or the time ran out.
    void EndWait();

    CWeakRef m_account;
    CWeakRef m_password;
    std::string m_serverName;
    CWeakRef m_buttons[kButtonCount];
    CWeakRef m_keypad;
    CWeakRef m_changePassword;
    CWeakRef m_newAccount;
    std::unique_ptr<CAniObject> m_checkMark;
    uint32_t m_loginStart = 0;
    char m_message[LOGIN_STATUS_SIZE] = {};
    int32_t m_result = LOGIN_RESULT_NONE;
};
