// The club window's test bed: the characters' (the user's own character
// "Me"), the window driver with the text input manager, a club level table,
// text table 14 with a text of its own in every row ("14/433"), and the
// program's session over a connected scripted socket whose requests stay
// queued for the test to read.
#pragma once
#include <gtest/gtest.h>

#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "core/config.h"
#include "core/main_window.h"
#include "net/connection.h"
#include "net/game_session.h"
#include "platform/socket.h"
#include "tests/support/data_fixtures.h"
#include "tests/support/request_bytes.h"
#include "tests/support/table_builder.h"
#include "tests/support/window_driver.h"
#include "tests/world/chars/char_fixture.h"
#include "ui/button.h"
#include "ui/edit_mgr.h"
#include "ui/window_mgr.h"
#include "windows/community/club_base_window.h"
#include "windows/community/community_startup.h"

namespace clubtest {

using qmreq::Bytes;

inline std::map<int, std::vector<std::string>> ClubTexts() {
    std::map<int, std::vector<std::string>> tables;
    for (int row = 0; row < 700; ++row) tables[14].push_back("14/" + std::to_string(row));
    return tables;
}

using qmreq::Request;
using qmreq::Text;
using qmreq::TextZ;
using qmreq::operator+;

// A member entry of the list as the window manager hands it over.
inline CClubMemberRecord Entry(const char* name, uint8_t grade, uint16_t order = 0, uint32_t flags = 0,
                               uint8_t online = 1) {
    CClubMemberRecord r;
    std::strncpy(r.m_firstName, name, sizeof r.m_firstName - 1);
    r.m_a = grade;
    r.m_e = order;
    r.m_g = flags;
    r.m_f = online;
    r.m_b = 2000000 + 3;
    r.m_k = 12;
    r.m_h = 40;
    r.m_d = 86400 * 400;
    return r;
}

// Club levels: column 19 holds 0, 100, 300, 600, then 0 (the last level).
inline qmtest::TableBuilder LevelTable() {
    qmtest::TableBuilder levels(5, 20);
    for (int c = 0; c < 19; ++c) levels.U8(c);
    levels.U32(19);
    const uint32_t points[5] = {0, 100, 300, 600, 0};
    for (int r = 0; r < 5; ++r) levels.Set(19, r, points[r]);
    return levels;
}

class ClubFixture : public chartest::CharFixture {
protected:
    void SetUp() override {
        CharFixture::SetUp();
        plat::WSAStartup(plat::MakeWord(2, 2), nullptr);
        g_config.m_useServer = true;
        m_db.Write(CLUB_LEVEL_TABLE, LevelTable());
        GameSession().Reset();
        g_connection = new CConnection(nullptr, WM_SOCKET_NOTIFY);
        g_connection->Connect(plat::MakeIPv4(127, 0, 0, 1), 40000);
        ASSERT_TRUE(g_connection->IsConnected());
        ASSERT_TRUE(m_edit.Init(plat::GetMainWindow(), EditSubclassProc));
        g_pEditMgr = &m_edit;
        g_pEditControl = m_edit.GetImeEdit();
        m_driver.UseCursor();
        InstallCommunityWindowClasses();
        // The user's character makes its club window, as in the program.
        MakePlayer();
        m_club = FindClubBaseWindow();
        ASSERT_NE(m_club, nullptr);
        m_club->SetPosition(100, 100);
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
    // Club 7 "Oak" with the player's grade, level 2 and 200 points.
    void Join(uint8_t grade, uint32_t permissions = 0xFFFFFFFF, uint8_t option = 0) {
        CClubInfoMsg info;
        info.m_a = 7;
        info.m_mode = grade;
        std::strcpy(info.m_text1, "Oak");
        std::strcpy(info.m_text2, "Elder");
        info.m_value1 = 200;
        info.m_value4 = 4;
        info.m_value5 = 3;
        info.m_value6 = 2;
        info.m_value7 = 5;
        info.m_value8 = 90;
        std::strcpy(info.m_text4, "http://oak");
        std::strcpy(info.m_text5, "We grow.");
        info.m_value9 = permissions;
        info.m_value11 = option;
        info.m_value12 = 26;
        m_club->SetClubInfo(info);
    }
    void Members(const std::vector<CClubMemberRecord>& entries) {
        m_club->SetMemberList(uint16_t(entries.size()), 0, entries.data());
    }
    std::vector<std::string> MemberNames() const {
        std::vector<std::string> out;
        for (const ClubMember& m : m_club->Members()) out.push_back(m.name);
        return out;
    }
    // Clicks a control of the window through the input queue.
    void ClickControl(const char* name) {
        CButton* button = m_club->GetButton(name);
        ASSERT_NE(button, nullptr) << name;
        if (!button->GetImage()) button->SetImage(40, 14, "");
        ASSERT_TRUE(button->IsInputOn()) << name;
        button->UpdateRect();
        const WindowRect r = button->GetRect();
        m_driver.Click(0, (r.left + r.right) / 2, (r.top + r.bottom) / 2);
        m_driver.Frame();
    }

    plat::ScriptedSockets m_sockets;
    plat::ScopedSockets m_socketScope{m_sockets};
    qmtest::ScopedTextTables m_texts{ClubTexts()};
    qmtest::WindowDriver m_driver;
    CEditMgr* m_oldEditMgr = g_pEditMgr;
    CEditMgr m_edit;
    CClubBaseWindow* m_club = nullptr;
    size_t m_seen = 0;
};

}  // namespace clubtest
