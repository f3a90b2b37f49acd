// The windows of the way in, driven frame by frame over a connection on the
// scripted socket layer, with the text input manager, with the session and options of the program, in a
// working folder of their own.
#pragma once
#include <gtest/gtest.h>

#include <functional>

#include "core/config.h"
#include "core/main_window.h"
#include "net/connection.h"
#include "net/game_session.h"
#include "platform/socket.h"
#include "tests/support/data_fixtures.h"
#include "tests/support/temp_dir.h"
#include "tests/support/window_driver.h"
#include "ui/button.h"
#include "ui/edit_mgr.h"

namespace playtest {

inline constexpr uint8_t kScanEnter = 0x1C, kScanEscape = 0x01, kScanTab = 0x0F;
inline constexpr uint8_t kScanUp = 0x48, kScanDown = 0x50;

// Text tables 13 and 14 with a text of its own in every row ("14/270"), so
// that a window showing the wrong row shows.
inline std::map<int, std::vector<std::string>> PlayTexts() {
    std::map<int, std::vector<std::string>> tables;
    for (int table : {13, 14}) {
        std::vector<std::string>& rows = tables[table];
        for (int row = 0; row < 800; ++row) rows.push_back(std::to_string(table) + "/" + std::to_string(row));
    }
    return tables;
}

// Socket notifications reach the program's session at once, as the main
// window passes them on.
class SessionPoster : public plat::ISocketNotifyPoster {
public:
    void Post(uint32_t, uintptr_t wParam, intptr_t lParam) override {
        GameSession().OnSocketNotify(wParam, lParam);
    }
};

class PlayWindowTest : public ::testing::Test {
protected:
    PlayWindowTest() {
        plat::WSAStartup(plat::MakeWord(2, 2), nullptr);
        g_options = COptions{};
        g_config.m_serverAddress = plat::MakeIPv4(127, 0, 0, 1);
        g_config.m_accountName.clear();
        GameSession().Reset();
        GameSession().m_serverList.clear();
        m_driver.UseCursor();
        EXPECT_TRUE(m_edit.Init(plat::GetMainWindow(), EditSubclassProc));
        g_pEditMgr = &m_edit;
        g_pEditControl = m_edit.GetImeEdit();
    }
    ~PlayWindowTest() override {
        m_driver.Mgr().DeleteAllChildren();
        g_pEditControl = nullptr;
        g_pEditMgr = m_oldEditMgr;
        delete g_connection;
        g_connection = nullptr;
        GameSession().Reset();
        GameSession().m_serverList.clear();
        plat::WSACleanup();
    }
    // Connects the program's connection (made when there is none).
    void Connect() {
        if (!g_connection) g_connection = new CConnection(nullptr, WM_SOCKET_NOTIFY);
        g_connection->Connect(plat::MakeIPv4(127, 0, 0, 1), 40000);
        ASSERT_TRUE(g_connection->IsConnected());
    }
    void Key(uint8_t scan, uint8_t key, bool extended = false) {
        m_driver.Key(scan, key, extended);
        m_driver.Frame();
    }
    // Ends a window's wait for the server's answer without one: the
    // connection closes, or the wait's minute runs out (checked to still
    // hold one millisecond before, through `waiting`). Runs the last frame.
    void EndWaitUnanswered(bool lose, uint32_t waitMs, const std::function<bool()>& waiting) {
        if (lose) {
            g_connection->Close();
        } else {
            m_driver.Clock().Advance(waitMs);
            m_driver.Frame();
            EXPECT_TRUE(waiting()) << "ended before its time";
            m_driver.Clock().Advance(1);
        }
        m_driver.Frame();
    }
    // A plain face for a button, so that it takes clicks.
    static void Face(CButton* button) { button->SetImage(60, 16, ""); }

    qmtest::TempDir m_dir;
    qmtest::ScopedWorkingFolder m_folder{m_dir.Path()};
    qmtest::ScopedTextTables m_texts{PlayTexts()};
    plat::ScriptedSockets m_sockets;
    plat::ScopedSockets m_socketScope{m_sockets};
    qmtest::WindowDriver m_driver;
    CEditMgr* m_oldEditMgr = g_pEditMgr;
    CEditMgr m_edit;
};

}  // namespace playtest
