// The feature windows' test bed: the window driver with its cursor, text
// tables of the test's own, the events' state (a visual event may be made to
// run; the control lock is recorded) and the program's session over a
// connected scripted socket whose requests stay queued for the test to read.
#pragma once
#include <gtest/gtest.h>

#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "anim/ani_services.h"
#include "core/config.h"
#include "core/main_window.h"
#include "net/connection.h"
#include "net/game_session.h"
#include "platform/socket.h"
#include "tests/support/data_fixtures.h"
#include "tests/support/request_bytes.h"
#include "tests/support/window_driver.h"
#include "ui/button.h"
#include "ui/ui_services.h"
#include "ui/window_mgr.h"

namespace featuretest {

using qmreq::Bytes;

struct FakeEvents : IAniEvents, IUiEventState {
    bool visual = false, fieldScript = false, locked = false;
    int lockCalls = 0;
    bool IsVisualEventRunning() override { return visual; }
    bool IsFieldScriptRunning() override { return fieldScript; }
    bool IsInputLocked() override { return locked; }
    bool IsEventRunning() override { return false; }
    bool IsHideFlagSet() override { return false; }
    void SetControlLock(bool on) override {
        locked = on;
        ++lockCalls;
    }
};

class FeatureFixture : public ::testing::Test {
protected:
    explicit FeatureFixture(std::map<int, std::vector<std::string>> texts = {}) : m_texts(texts) {}
    void SetUp() override {
        plat::WSAStartup(plat::MakeWord(2, 2), nullptr);
        g_config.m_useServer = true;
        GameSession().Reset();
        g_connection = new CConnection(nullptr, WM_SOCKET_NOTIFY);
        g_connection->Connect(plat::MakeIPv4(127, 0, 0, 1), 40000);
        ASSERT_TRUE(g_connection->IsConnected());
        m_driver.UseCursor();
    }
    void TearDown() override {
        m_driver.Mgr().DeleteAllChildren();
        delete g_connection;
        g_connection = nullptr;
        GameSession().Reset();
        g_config.m_useServer = false;
        plat::WSACleanup();
    }

    // The requests queued since the last call.
    std::vector<Bytes> Sent() {
        std::vector<Bytes> out;
        for (size_t i = m_seen; i < GameSession().QueuedMessages(); ++i)
            out.push_back(GameSession().QueuedMessage(i));
        m_seen = GameSession().QueuedMessages();
        return out;
    }
    // Clicks a control through the input queue (a control without a picture
    // gets a plain one so that it can be hit).
    void ClickControl(CBaseWindow* control) {
        ASSERT_NE(control, nullptr);
        if (auto* button = dynamic_cast<CButton*>(control); button && !button->GetImage())
            button->SetImage(20, 14, "");
        control->UpdateRect();
        const WindowRect r = control->GetRect();
        m_driver.Click(0, (r.left + r.right) / 2, (r.top + r.bottom) / 2);
        m_driver.Frame();
    }

    plat::ScriptedSockets m_sockets;
    plat::ScopedSockets m_socketScope{m_sockets};
    qmtest::ScopedTextTables m_texts;
    FakeEvents m_events;
    ScopedAniEvents m_aniEvents{m_events};
    ScopedUiEventState m_uiEvents{m_events};
    qmtest::WindowDriver m_driver;
    size_t m_seen = 0;
};

// The first child of the window with the name, or null.
inline CBaseWindow* FindChild(CBaseWindow* window, const char* name) {
    const CBaseWindow::ChildList* children = window ? window->Children() : nullptr;
    if (!children) return nullptr;
    for (auto* n = children->First(); n != children->End(); n = n->m_pNext)
        if (n->m_pData && std::string(n->m_pData->GetName()) == name) return n->m_pData;
    return nullptr;
}

}  // namespace featuretest
