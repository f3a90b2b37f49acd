// CTitleScreen ("Z5_TITLE_WINDOW", image "Title_Screen"): the full-screen
// window of the title with its four buttons. It also hosts the windows of the
// way in as its children and switches between them: the world list
// (CMultiServerWindow), the terms (CStipulationWindow) and the log-in window
// (CInsertAccountWindow).
//
// The title scene reads the choice (0 start, 1 intro movie, 2 offline,
// 3 exit) and sets it back to -1. The server-message handlers post the new
// server list (record 131) and the terms (record 130) into its port.
#pragma once
#include <cstdint>

#include "core/base_object.h"
#include "ui/base_window.h"
#include "ui/scene_windows.h"

class CButton;
class CInsertAccountWindow;
class CMultiServerWindow;
class CStipulationWindow;

inline constexpr const auto& TITLE_WINDOW_NAME = TITLE_SCREEN_WINDOW_NAME;
inline constexpr char TITLE_WINDOW_IMAGE[] = "Title_Screen";

class CTitleScreen : public CBaseWindow, public ITitleScreenWindow {
public:
    CTitleScreen();
    ~CTitleScreen() override;

    bool Create() override;
    // The title first, then the child windows that show, world list first.
    bool Draw() override;
    // The log-in window's result moves the way on.
    bool Update() override;
    // Records 130 (terms) and 131 (a new server list).
    bool ProcessMessages() override;
    bool OnControlEvent(int32_t button, int32_t x, int32_t y, CBaseWindow* control) override;
    // Enter starts, Escape exits (while active, without a control).
    bool OnKeyDown(uint32_t key, CBaseWindow* control) override;
    // The buttons stand at fixed screen points wherever the window is.
    bool SetPosition(int32_t x, int32_t y) override;

    // To (0, 0), no choice, then the world list and/or the log-in window.
    void Open(bool showServerSelect, bool showLogin);
    // The world list (made on first use): connects to the login server and shows.
    void OpenServerSelect();
    // The log-in window (made on first use) for the world chosen in the list.
    void OpenLogin();
    // The terms (made on first use) in place of the world list, their
    // buttons shown without input until the text is there.
    void OpenTerms();

    // ITitleScreenWindow: what the title scene reads and sets.
    int32_t GetChoice() override { return m_choice; }
    void SetChoice(int32_t choice) override { m_choice = choice; }
    // The world list with the choice reset.
    void OpenLoginFlow() override { Open(true, false); }
    // The world list was cancelled.
    bool IsLoginFlowClosed() override;
    // The log-in window's result (-1 while there is none).
    int32_t GetLoginResult() override;
    void SetLoginResult(int32_t result) override;
    bool IntroChosen() const { return m_introFlag != 0; }
    CButton* GetButton(int index) const;
    CMultiServerWindow* GetServerSelect() const;
    CInsertAccountWindow* GetLoginWindow() const;
    CStipulationWindow* GetTermsWindow() const;

private:
    CWeakRef m_buttons[4];
    int32_t m_choice = TITLE_CHOICE_NONE;
    CWeakRef m_serverSelect;
    CWeakRef m_login;
    CWeakRef m_terms;
    uint8_t m_introFlag = 0;
};
