// The one-to-one chat's line buffer, its two files (the logged-partner list
// and the HTML log) and the chat list's hand-out of windows, driven through
// the window manager.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>
#include <tuple>
#include <vector>

#include "core/config.h"
#include "net/handlers/scene_records.h"
#include "platform/codepage.h"
#include "platform/paths.h"
#include "tests/support/data_fixtures.h"
#include "tests/support/temp_dir.h"
#include "tests/support/window_driver.h"
#include "windows/community/chat_log_files.h"
#include "windows/community/chat_log_list.h"
#include "windows/community/messenger_edit_window.h"
#include "windows/community/messenger_window.h"
#include "windows/community/one_to_one_chat_window.h"
#include "windows/community/one_to_one_option_window.h"

namespace {

std::string Bytes(size_t n, char c = 'a') {
    return std::string(n, c);
}

TEST(ChatLineBufferTest, CutsEntriesIntoLinesAndDropsTheOldest) {
    struct Case {
        const char* what;
        int32_t before;  // lines already held
        std::string entry;
        int32_t stored, count;
    };
    // A double-byte character (lead byte 0x82 in the default code page) at bytes 40-41.
    const std::string dbcs = Bytes(39) + "\x82\xA0" + Bytes(10);
    const Case cases[] = {
        {"100 bytes: 40, 40, 20", 0, Bytes(100), 3, 3},
        {"a character across byte 40 stays on the first line", 0, dbcs, 2, 2},
        {"24 lines and two more: two dropped first", 24, Bytes(80), 2, 24},
        {"cut at 999 bytes: 25 lines", 0, Bytes(1500), 25, 25},
        {"3 lines and 23 more drop only the three", 3, Bytes(23 * 40), 23, 23},
        {"an empty entry adds nothing", 2, "", 0, 2},
    };
    for (const Case& c : cases) {
        CChatLineBuffer buffer;
        for (int32_t i = 0; i < c.before; ++i) buffer.Add("old", 0);
        EXPECT_EQ(buffer.Add(c.entry.c_str(), 1), c.stored) << c.what;
        EXPECT_EQ(buffer.m_count, c.count) << c.what;
        EXPECT_GE(buffer.m_count, 0) << c.what;
    }
    CChatLineBuffer buffer;
    buffer.Add(dbcs.c_str(), 1);
    EXPECT_EQ(std::strlen(buffer.m_lines[0]), 41u);
    EXPECT_EQ(std::strlen(buffer.m_lines[1]), 10u);
}

TEST(ChatLogFilesTest, TheListFileRoundTripsForItsOwnerOnly) {
    const std::vector<std::string> names = {"Mira", "Tester"};
    const std::vector<uint8_t> bytes = BuildChatLogList("Ardent", names);
    ASSERT_EQ(bytes.size(), 21u + 2 * 17u);
    std::vector<std::string> read;
    EXPECT_TRUE(ParseChatLogList(bytes.data(), bytes.size(), "Ardent", &read));
    EXPECT_EQ(read, names);
    EXPECT_FALSE(ParseChatLogList(bytes.data(), bytes.size(), "Someone", &read));
    EXPECT_TRUE(read.empty());
    EXPECT_EQ(BuildChatLogList("Ardent", {}).size(), 21u);
    // A count beyond the file and a short file are refused whole.
    std::vector<uint8_t> hostile = bytes;
    hostile[17] = 0xFF;
    EXPECT_FALSE(ParseChatLogList(hostile.data(), hostile.size(), "Ardent", &read));
    EXPECT_FALSE(ParseChatLogList(bytes.data(), 20, "Ardent", &read));
    // A name field without a terminator keeps 16 bytes.
    std::vector<uint8_t> unterminated = BuildChatLogList("Ardent", {"x"});
    std::memset(unterminated.data() + 21, 'N', 17);
    EXPECT_TRUE(ParseChatLogList(unterminated.data(), unterminated.size(), "Ardent", &read));
    EXPECT_EQ(read.at(0), Bytes(16, 'N'));
}

TEST(ChatLogFilesTest, OnlyPlainNamesBecomeFileNames) {
    for (const char* bad : {"", ".", "..", "a/b", "a\\b", "tab\there", "del\x7F"})
        EXPECT_FALSE(IsPlainFileName(bad)) << bad;
    for (const char* good : {"Mira", "...x", "a.b", "\x82\xA0name"})
        EXPECT_TRUE(IsPlainFileName(good)) << good;
}

TEST(ChatLogFilesTest, TheLogLineEscapesTheTextAndKeepsPercent) {
    qmtest::ScopedTextTables texts({{0, {"y", "m", "d", "h", "m", "s"}}});
    plat::LocalTime time;
    time.year = 2026;
    time.month = 3;
    time.day = 4;
    time.hour = 5;
    time.minute = 6;
    time.second = 7;
    EXPECT_EQ(MessengerLogLine(time, "Ardent", "<b>50%</b> & \"x\"", true),
              "<font size=\"2\" color=\"white\"> [ 5h  6m  7s] </font> <font size=\"2\" color=\"#c8ffc8\"> "
              "Ardent:&lt;b&gt;50%&lt;/b&gt; &amp; &quot;x&quot;</font></br>\n");
    EXPECT_NE(MessengerLogLine(time, "Mira", "hi", false).find("#ffffff\"> Mira:hi</font>"),
              std::string::npos);
    EXPECT_NE(MessengerLogHeader(time).find("Date : 2026y    3m    4d"), std::string::npos);
}

TEST(ChatLogFilesTest, TheLogIsAppendedAndItsHeaderWrittenOnce) {
    qmtest::TempDir dir;
    qmtest::ScopedWorkingFolder folder(dir.Path());
    EXPECT_TRUE(AppendMessengerLog("Mira", "Ardent", "one", true));
    std::vector<uint8_t> first;
    ASSERT_TRUE(plat::ReadWholeFile("MsgerLog/Mira.html", first));
    EXPECT_TRUE(AppendMessengerLog("Mira", "Mira", "two", false));
    std::vector<uint8_t> second;
    ASSERT_TRUE(plat::ReadWholeFile("MsgerLog/Mira.html", second));
    const std::string text(second.begin(), second.end());
    EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 5);
    EXPECT_EQ(text.rfind(std::string(first.begin(), first.end()), 0), 0u);
    EXPECT_FALSE(AppendMessengerLog("../evil", "Ardent", "x", true));
    EXPECT_FALSE(plat::FileExists("evil.html"));
}

// ---- The chat list and its windows ----

class ChatListTest : public ::testing::Test {
protected:
    ChatListTest() {
        for (int i = 0; i < ONE_TO_ONE_WINDOWS; ++i) {
            m_wins[i] = m_driver.Add(new C1V1ChatWin);
            auto* name = m_driver.Add(new C1V1ChatEditBox(0));
            auto* talk = m_driver.Add(new C1V1ChatEditBox(1));
            name->LinkWindow(m_wins[i]);
            talk->LinkWindow(m_wins[i]);
            m_wins[i]->Hide();
            m_list.LinkWindow(m_wins[i]);
        }
    }
    ~ChatListTest() override { m_driver.Mgr().DeleteAllChildren(); }

    qmtest::TempDir m_dir;
    qmtest::ScopedWorkingFolder m_folder{m_dir.Path()};
    qmtest::WindowDriver m_driver;
    CChatLogList m_list;
    C1V1ChatWin* m_wins[ONE_TO_ONE_WINDOWS] = {};
};

TEST_F(ChatListTest, HandsOutFiveWindowsAndRefusesASixth) {
    for (const char* name : {"A", "B", "C", "D", "E"}) EXPECT_TRUE(m_list.OnServerChat(name, 3, "hi"));
    for (C1V1ChatWin* w : m_wins) {
        EXPECT_TRUE(w->IsOpen());
        EXPECT_EQ(w->GetDisplayState(), CHAT_SLIDING_IN);
        EXPECT_EQ(w->Lines().m_count, 1);
    }
    EXPECT_EQ(m_wins[4]->GetSlot(), 4);
    // A sixth partner gets no window; a known one is delivered.
    m_list.OnServerChat("F", 3, "hello");
    for (C1V1ChatWin* w : m_wins) EXPECT_STRNE(w->GetPartner(), "F");
    m_list.OnServerChat("C", 3, "again");
    EXPECT_EQ(m_wins[2]->Lines().m_count, 2);
    // Asking for an open partner raises it instead of opening another.
    EXPECT_FALSE(m_list.OnCommand(6, "C"));
    // A server name longer than a character's opens nothing.
    m_wins[0]->Hide();
    EXPECT_FALSE(m_list.OnCommand(2, "SeventeenBytesNam"));
    EXPECT_FALSE(m_wins[0]->IsOpen());
}

TEST_F(ChatListTest, RepliesOfEachKindReachTheWindowOfThePartner) {
    m_list.OnCommand(2, "Mira");
    C1V1ChatWin* w = m_wins[0];
    ASSERT_TRUE(w->IsOpen());
    EXPECT_TRUE(w->IsPartnerFixed());
    EXPECT_EQ(w->GetDisplayState(), CHAT_OPEN);
    struct Case {
        uint8_t kind;
        bool fixedAfter;
        int32_t lines;
    };
    const Case cases[] = {{2, true, 1}, {3, true, 2}, {0, false, 3}, {1, false, 4}, {9, false, 4}};
    for (const Case& c : cases) {
        w->OnChatReply("Mira", c.kind, "text");
        EXPECT_EQ(w->IsPartnerFixed(), c.fixedAfter) << int(c.kind);
        EXPECT_EQ(w->Lines().m_count, c.lines) << int(c.kind);
    }
    EXPECT_FALSE(w->OnChatReply("Other", 3, "text"));
}

TEST_F(ChatListTest, LoggedPartnersSurviveInTheListFile) {
    EXPECT_TRUE(m_list.AddLoggedName("Mira"));
    EXPECT_FALSE(m_list.RemoveLoggedName("Nobody"));
    EXPECT_TRUE(m_list.WriteChatLogList());
    CChatLogList again;
    EXPECT_TRUE(again.IsChatLogged("Mira"));
    // Off and on again puts the name at the end.
    m_list.AddLoggedName("Tester");
    m_list.RemoveLoggedName("Mira");
    m_list.AddLoggedName("Mira");
    EXPECT_EQ(m_list.LoggedNames(), (std::vector<std::string>{"Tester", "Mira"}));
}

// ---- The messenger ----

class MessengerTest : public ::testing::Test {
protected:
    MessengerTest() {
        m_window = m_driver.Add(new CQMMessengerWindow);
        m_edit = m_driver.Add(new CQMMEditWin);
        m_box = m_driver.Add(new CQMMEditBox);
        g_options.SetByte(14, 1);
    }
    ~MessengerTest() override {
        m_driver.Mgr().DeleteAllChildren();
        g_options = COptions{};
    }

    void Groups(std::vector<std::pair<uint8_t, std::string>> groups) {
        CSceneTextListMsg list;
        list.m_count = uint8_t(groups.size());
        for (size_t i = 0; i < groups.size(); ++i) {
            list.m_bytes[i] = groups[i].first;
            std::strcpy(list.m_texts[i], groups[i].second.c_str());
        }
        m_window->SetGroupList(list);
    }
    // Buddies (member name, group, online) in list order.
    void Buddies(std::vector<std::tuple<std::string, uint8_t, bool>> buddies) {
        CSceneListMsg list;
        // A count over the record's room, as a hostile list may bring.
        list.m_count = uint8_t(buddies.size());
        for (size_t i = 0; i < std::min<size_t>(buddies.size(), CSceneListMsg::MAX_ENTRIES); ++i) {
            const auto& [name, group, online] = buddies[i];
            std::snprintf(list.m_names[i], sizeof list.m_names[i], "%s", name.c_str());
            std::snprintf(list.m_seconds[i], sizeof list.m_seconds[i], "%s", name.c_str());
            list.m_bytes1[i] = group;
            list.m_types[i] = online ? 1 : 0;
            list.m_values[i] = 2000001;
        }
        m_window->SetBuddyList(list);
    }

    qmtest::ScopedTextTables m_texts{{{14, std::vector<std::string>(800, "t")}}};
    qmtest::WindowDriver m_driver;
    CQMMessengerWindow* m_window = nullptr;
    CQMMEditWin* m_edit = nullptr;
    CQMMEditBox* m_box = nullptr;
};

TEST_F(MessengerTest, RowsFollowGroupIdsThenTheListOrder) {
    Groups({{3, "Three"}, {1, "One"}, {0, "Zero"}, {12, "Beyond"}});
    Buddies({{"a", 3, true}, {"b", 0, false}, {"c", 1, true}, {"d", 3, false}, {"e", 11, true}});
    const std::vector<std::pair<uint8_t, int32_t>> expected = {{0, 0}, {1, 1}, {0, 1}, {1, 2},
                                                               {0, 3}, {1, 0}, {1, 3}};
    for (size_t i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(m_window->Row(int32_t(i)).kind, expected[i].first) << i;
        EXPECT_EQ(m_window->Row(int32_t(i)).index, expected[i].second) << i;
    }
    EXPECT_EQ(m_window->Row(int32_t(expected.size())).kind, 2);
    EXPECT_EQ(m_window->Group(3).members, 2);
    // A deleted group's buddies leave the rows and stay in the table.
    m_window->DeleteGroup(3);
    EXPECT_EQ(m_window->UsedRows(), 2 + 4);
    EXPECT_TRUE(m_window->Buddy(0).Used());
}

TEST_F(MessengerTest, AHundredBuddiesDisableAddingAndGroupZeroCannotChange) {
    std::vector<std::tuple<std::string, uint8_t, bool>> many;
    for (int i = 0; i < 120; ++i) many.emplace_back("b" + std::to_string(i), 0, false);
    Buddies(many);
    EXPECT_EQ(m_window->MemberTotal(), 100);
    m_window->SelectRow(0);
    EXPECT_TRUE(m_window->IsMenuItemDisabled(4, 0));
    EXPECT_TRUE(m_window->IsMenuItemDisabled(2, 0));
    EXPECT_TRUE(m_window->IsMenuItemDisabled(3, 0));
    EXPECT_FALSE(m_window->IsMenuItemDisabled(0, 0));
    m_window->SelectRow(1);
    EXPECT_TRUE(m_window->IsMenuItemDisabled(0, 1));
    EXPECT_TRUE(m_window->IsMenuItemDisabled(3, 1));  // offline
}

TEST_F(MessengerTest, ARightClickOnAGroupRowOpensItsMenu) {
    Groups({{1, "Friends"}});
    Buddies({{"Mira", 1, true}});
    m_window->Show();
    m_window->SetActive(true, false);
    m_window->SetPosition(100, 200);
    m_driver.Frame();
    // Row 1 (the group "Friends") lies 31 pixels under row 0.
    m_driver.Click(1, 150, 200 + 36 + 31 + 10);
    m_driver.Frame(2);
    EXPECT_EQ(m_window->GetSelected(), 1);
    EXPECT_EQ(m_window->GetMenuKind(), 0);
}

TEST_F(MessengerTest, IdenticalInvitationsShowOneBoxAndAnAnswerFreesTheSlot) {
    const auto boxes = [&] { return m_driver.Mgr().Children().Count(); };
    const size_t before = boxes();
    m_window->OnBuddyInvite("Mira", "MiraMember", 2000001, 0);
    const size_t one = boxes();
    EXPECT_GT(one, before);
    m_window->OnBuddyInvite("Mira", "MiraMember", 2000001, 0);
    EXPECT_EQ(boxes(), one);
    EXPECT_STREQ(m_window->BuddyRequest(0).charName, "Mira");
    EXPECT_STREQ(m_window->BuddyRequest(1).charName, "Mira");
}

TEST_F(MessengerTest, TheDialogKeepsItsLimits) {
    m_edit->SetMode(3, 0);
    m_box->SetText(Bytes(16).c_str());
    EXPECT_FALSE(m_edit->Confirm());
    EXPECT_TRUE(m_edit->IsDrawOn());
    m_box->SetText(Bytes(15).c_str());
    EXPECT_TRUE(m_edit->Confirm());
    EXPECT_FALSE(m_edit->IsDrawOn());
    EXPECT_EQ(m_edit->GetNameKind(), 0);
    EXPECT_EQ(ShortenGroupName("short name"), "short name");
    EXPECT_EQ(ShortenGroupName(Bytes(20)), Bytes(13) + "...");
}

}  // namespace
