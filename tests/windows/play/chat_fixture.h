// The chat's test bed: the characters' (a field, the manager, the user's own
// character "Me" when made), the window driver with the text input manager,
// the play windows' classes, a working folder for the chat log and the topic
// file, text tables with the chat's rows, and the program's session over a
// connected scripted socket whose requests stay queued for the test to read.
// The chat window, its input and headword fields are made and linked as the
// game scene links them.
#pragma once
#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "core/config.h"
#include "core/main_window.h"
#include "net/connection.h"
#include "net/game_session.h"
#include "platform/keyboard.h"
#include "platform/socket.h"
#include "tests/support/data_fixtures.h"
#include "tests/support/request_bytes.h"
#include "tests/support/temp_dir.h"
#include "tests/support/window_driver.h"
#include "tests/world/chars/char_fixture.h"
#include "ui/button.h"
#include "ui/edit_mgr.h"
#include "ui/window_mgr.h"
#include "windows/play/chat_input_window.h"
#include "windows/play/chat_window.h"
#include "windows/play/play_startup.h"

namespace chattest {

using qmreq::Bytes;

inline constexpr uint8_t kScanEnter = 0x1C, kScanEscape = 0x01, kScanTab = 0x0F;
inline constexpr uint8_t kScanUp = 0x48, kScanDown = 0x50;

// The whisper command words: rows 7 and 8 two double-byte characters, row 9 one.
inline const std::string kWord7 = "\x82\xa0\x82\xa2";
inline const std::string kWord8 = "\x82\xa4\x82\xa6";
inline const std::string kWord9 = "\x82\xa8";

// Text table 0 rows 0-9 (the log's units, the command words) and table 14
// with a text of its own in every row ("14/145").
inline std::map<int, std::vector<std::string>> ChatTexts() {
    std::map<int, std::vector<std::string>> tables;
    tables[0] = {"y", "m", "d", "h", "min", "s", "", kWord7, kWord8, kWord9};
    for (int row = 0; row < 800; ++row) tables[14].push_back("14/" + std::to_string(row));
    return tables;
}

using qmreq::Request;
using qmreq::Text;
using qmreq::TextZ;
using qmreq::operator+;

class ChatFixture : public chartest::CharFixture {
protected:
    void SetUp() override {
        CharFixture::SetUp();
        plat::WSAStartup(plat::MakeWord(2, 2), nullptr);
        g_options = COptions{};
        InitDefaultOptions();
        g_config.m_useServer = true;
        GameSession().Reset();
        g_connection = new CConnection(nullptr, WM_SOCKET_NOTIFY);
        g_connection->Connect(plat::MakeIPv4(127, 0, 0, 1), 40000);
        ASSERT_TRUE(g_connection->IsConnected());
        ASSERT_TRUE(m_edit.Init(plat::GetMainWindow(), EditSubclassProc));
        g_pEditMgr = &m_edit;
        g_pEditControl = m_edit.GetImeEdit();
        m_driver.UseCursor();
        InstallPlayWindowClasses();
        m_chat = m_driver.Add(new CChatWindow);
        // Plain faces: the buttons take clicks without pictures.
        for (int mode = 0; mode < CHAT_MODE_COUNT; ++mode) m_chat->GetTypeIcon(mode)->SetImage(20, 20, "");
        m_chat->GetResizeHandle()->SetImage(60, 10, "");
        for (CButton* button :
             {m_chat->GetEmoticonButton(), m_chat->GetOneToOneButton(), m_chat->GetMessengerButton(),
              m_chat->GetMacroButton(), m_chat->GetMemoButton()})
            button->SetImage(20, 20, "");
        m_input = m_driver.Add(new CChatInputWindow);
        m_headword = m_driver.Add(new CHeadwordWindow);
        for (CChatInputWindow* field : {m_input, static_cast<CChatInputWindow*>(m_headword)}) {
            field->LinkWindow(m_chat);
            field->SetActive(false, false);
        }
        m_chat->LinkWindow(m_input);
        m_chat->LinkWindow(m_headword);
        m_chat->SetPosition(m_chat->GetX(), m_chat->GetY());
    }
    void TearDown() override {
        m_driver.Mgr().DeleteAllChildren();
        ClearWindowClasses();
        g_pEditControl = nullptr;
        g_pEditMgr = m_oldEditMgr;
        delete g_connection;
        g_connection = nullptr;
        GameSession().Reset();
        g_config.m_useServer = false;
        g_options = COptions{};
        plat::WSACleanup();
        CharFixture::TearDown();
    }

    // The requests queued since the last call.
    std::vector<Bytes> Sent() {
        std::vector<Bytes> out;
        for (size_t i = m_seen; i < GameSession().QueuedMessages(); ++i)
            out.push_back(GameSession().QueuedMessage(i));
        m_seen = GameSession().QueuedMessages();
        return out;
    }
    // The chat's shown lines, oldest first.
    std::vector<std::string> Lines() const {
        std::vector<std::string> out;
        for (size_t i = 0; i < m_chat->LineCount(); ++i) out.push_back(m_chat->Line(i).text);
        return out;
    }
    void Key(uint8_t scan, uint8_t key) {
        m_driver.Key(scan, key);
        m_driver.Frame();
    }
    // Types the text into the focused field and presses Enter.
    void TypeAndEnter(const std::string& text) {
        m_driver.Type(text);
        m_driver.Frame();
        Key(kScanEnter, plat::VK_RETURN);
    }

    qmtest::TempDir m_dir;
    qmtest::ScopedWorkingFolder m_folder{m_dir.Path()};
    qmtest::ScopedTextTables m_texts{ChatTexts()};
    plat::ScriptedSockets m_sockets;
    plat::ScopedSockets m_socketScope{m_sockets};
    qmtest::WindowDriver m_driver;
    CEditMgr* m_oldEditMgr = g_pEditMgr;
    CEditMgr m_edit;
    CChatWindow* m_chat = nullptr;
    CChatInputWindow* m_input = nullptr;
    CHeadwordWindow* m_headword = nullptr;
    size_t m_seen = 0;
};

}  // namespace chattest
