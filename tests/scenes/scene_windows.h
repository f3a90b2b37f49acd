// Test stand-ins for the full-screen windows the scenes drive, registered
// under their identifiers; each records what the scene asked of it.
#pragma once
#include <cstdint>
#include <memory>
#include <string>

#include "core/message.h"
#include "ui/base_window.h"
#include "ui/scene_windows.h"

namespace scenetest {

class TestTitleWindow : public CBaseWindow, public ITitleScreenWindow {
public:
    int32_t GetChoice() override { return m_choice; }
    void SetChoice(int32_t choice) override { m_choice = choice; }
    void OpenLoginFlow() override {
        ++m_loginFlowsOpened;
        m_choice = TITLE_CHOICE_NONE;
        m_closed = false;
    }
    bool IsLoginFlowClosed() override { return m_closed; }
    int32_t GetLoginResult() override { return m_loginResult; }
    void SetLoginResult(int32_t result) override { m_loginResult = result; }

    int32_t m_choice = TITLE_CHOICE_NONE;
    int m_loginFlowsOpened = 0;
    bool m_closed = false;
    int32_t m_loginResult = -1;
};

class TestSelectWindow : public CBaseWindow, public ICharSelectWindow {
public:
    bool IsListReady() override { return m_ready; }
    void SetListReady(bool ready) override { m_ready = ready; }
    int32_t GetAction() override { return m_action; }
    void SetAction(int32_t action) override { m_action = action; }
    void ShowButtons(bool show) override {
        m_buttons = show;
        m_backOnly = false;
    }
    void ShowBackButtonOnly() override { m_backOnly = true; }
    void SetMessageText(const char* text) override {
        m_message = text ? text : "";
        ++m_messages;
    }
    std::unique_ptr<CMsgPayload> TakeCarriedList() override { return std::move(m_list); }

    bool m_ready = false;
    int32_t m_action = CHAR_SELECT_NONE;
    bool m_buttons = true;
    bool m_backOnly = false;
    std::string m_message;
    int m_messages = 0;
    std::unique_ptr<CMsgPayload> m_list;
};

class TestCreateWindow : public CBaseWindow, public ICharCreateWindow {
public:
    int32_t GetResult() override { return m_result; }
    int32_t m_result = -1;
};

// Registers the three classes (once per process); the last window of each made.
void RegisterTestWindows();
TestTitleWindow* LastTitleWindow();
TestSelectWindow* LastSelectWindow();
TestCreateWindow* LastCreateWindow();

}  // namespace scenetest
