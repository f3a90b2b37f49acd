// The log-in phase (messages 0-3), the inline messages and the web pages.
#include <set>
#include <string>
#include <vector>

#include "core/config.h"
#include "net/connection.h"
#include "net/game_session.h"
#include "net/handlers/login_phase.h"
#include "net/packet_reader.h"
#include "platform/paths.h"
#include "tests/net/message_harness.h"
#include "tests/net/wire_bytes.h"
#include "tests/support/temp_dir.h"

namespace {

using nettest::Bytes;
using nettest::Cat;
using nettest::LongText;
using nettest::Text;

using LoginMessages = nettest::MessageHarness;

TEST_F(LoginMessages, LoginReplyLeavesTheNoticeOfTheRequestItAnswers) {
    struct Case {
        int32_t pending;
        const char* notice;
    } cases[] = {{2, "row 6"},  {4, "row 1"},  {38, "row 2"}, {44, "row 3"},
                 {45, "row 4"}, {-1, "row 6"}, {87, "row 6"}, {3, "row 6"}};
    for (const Case& c : cases) {
        Fresh(true);
        m_session->m_pendingRequest = c.pending;
        SetConnectStatusText("before");
        Dispatch(2, Cat({{0}, Text("welcome")}));
        EXPECT_STREQ(m_session->m_noticeText, c.notice) << c.pending;
        EXPECT_EQ(m_session->m_noticeFlag, 1);
        EXPECT_EQ(m_session->m_noticeValue, 1u);
        EXPECT_EQ(m_session->m_loginPhase, CGameSession::PHASE_NOTICE);
        EXPECT_EQ(m_session->m_loginResult, 0);
        EXPECT_EQ(m_session->m_pendingRequest, c.pending) << "the pending request stays";
        EXPECT_STREQ(ConnectStatusText, "");
    }
}

TEST_F(LoginMessages, RefusalShowsItsTextAndResult27EndsTheLink) {
    struct Case {
        uint8_t result;
        uint8_t inGame;
        bool box;
        bool closes;
    } cases[] = {{5, 0, false, false}, {5, 1, true, false}, {27, 0, false, true}, {27, 1, true, true}};
    for (const Case& c : cases) {
        Fresh(true);
        m_session->SetInGame(c.inGame);
        Dispatch(2, Cat({{c.result}, Text("refused")}));
        EXPECT_STREQ(ConnectStatusText, "refused");
        EXPECT_STREQ(m_session->m_noticeText, "refused");
        EXPECT_EQ(m_session->m_loginResult, c.result);
        EXPECT_EQ(m_session->m_noticeFlag, 1);
        EXPECT_EQ(m_session->m_noticeValue, 0u);
        EXPECT_EQ(m_session->m_loginPhase, CGameSession::PHASE_NOTICE);
        EXPECT_EQ(m_boxes.m_shown,
                  c.box ? std::vector<std::string>{"notice:refused"} : std::vector<std::string>{});
        EXPECT_EQ(g_connection->IsConnected(), !c.closes);
        // Closing goes the way of a lost connection: the close notification first.
        EXPECT_EQ(m_posted.size(), c.closes ? 1u : 0u);
    }
}

TEST_F(LoginMessages, VersionRefusalShowsBothVersions) {
    Dispatch(0, {2, 0, 190, 1, 0});
    EXPECT_EQ(m_boxes.m_shown, std::vector<std::string>{"notice:server 1.90 client 1.89"});
    Dispatch(0, Cat({{1}, Text("x"), {0}, {0}}));
    EXPECT_EQ(m_boxes.m_shown.back(), "notice:row 0");
    EXPECT_EQ(m_session->m_loginPhase, CGameSession::PHASE_FIRST_REQUEST_SENT) << "no state change";
}

TEST_F(LoginMessages, KeySetUpSwitchesTogetherOrEndsTheLink) {
    struct Case {
        const char* name;
        Bytes body;
        uint8_t launcher;
        bool keyed;
        Bytes request;
    } cases[] = {
        {"world list", Cat({{0, 7}, Text("Key42")}), 0, true, {87, 1}},
        {"launcher enters its world", Cat({{0, 7}, Text("Key42")}), 1, true, {87, 0, 3}},
        {"key cut at its first 0", Cat({{0, 7}, Text(std::string("ab\0cd", 5))}), 0, true, {87, 1}},
        {"empty key", Cat({{0, 7}, Text("")}), 0, false, {}},
        {"key of a 0 byte only", Cat({{0, 7}, Text(std::string(1, '\0'))}), 0, false, {}},
        {"mask function 21", Cat({{0, 21}, Text("Key42")}), 0, false, {}},
    };
    for (const Case& c : cases) {
        Fresh(true);
        m_session->m_launcherLogin = c.launcher;
        m_session->m_chosenWorld = 3;
        ASSERT_TRUE(g_connection->RawMode());
        Dispatch(0, c.body);
        EXPECT_EQ(g_connection->IsConnected(), c.keyed) << c.name;
        EXPECT_EQ(g_connection->RawMode(), !c.keyed) << c.name;
        EXPECT_EQ(Queued(), c.request.empty() ? std::vector<Bytes>{} : std::vector<Bytes>{c.request})
            << c.name;
    }
}

TEST_F(LoginMessages, ServerChangeConnectsWithTheTicketsKey) {
    // 127.0.0.2:40001; the address is a big-endian number whose value is the
    // address in network order.
    const Bytes ticket = Cat({{7}, Text("Key42")});
    const Bytes message = Cat({{2, 0, 0, 127, 0x9C, 0x41}, {uint8_t(ticket.size())}, ticket, Text("text")});
    struct Case {
        int32_t pending;
        uint8_t launcher;
        int32_t pendingAfter;
        const char* notice;
        std::vector<Bytes> requests;
    } cases[] = {
        {3, 0, -1, "row 8", {Cat({{16}, ticket})}},
        {87, 0, 87, "row 7", {Cat({{16}, ticket}), {15, 3}}},
        {0, 0, 0, "", {Cat({{16}, ticket})}},
    };
    for (const Case& c : cases) {
        Fresh(true);
        m_session->m_pendingRequest = c.pending;
        m_session->m_launcherLogin = c.launcher;
        Dispatch(3, message);
        uint32_t address = 0;
        uint16_t port = 0;
        ASSERT_TRUE(g_connection->IsConnected(&address, &port));
        EXPECT_EQ(address, plat::MakeIPv4(127, 0, 0, 2));
        EXPECT_EQ(port, 40001);
        EXPECT_TRUE(g_connection->RawOnce()) << "the new server's greeting is read raw";
        EXPECT_EQ(m_session->m_pendingRequest, c.pendingAfter);
        EXPECT_STREQ(m_session->m_noticeText, c.notice);
        EXPECT_EQ(Queued(), c.requests);
        EXPECT_EQ(m_windows.m_toAll, std::vector<uint32_t>{WINDOW_EVENT_SERVER_CHANGE});
        EXPECT_EQ(m_session->m_nextKeyLength, 5u);
        EXPECT_STREQ(m_session->m_nextKey, "Key42");
    }
}

// The text of a server change is read right after the key, which need not
// be where the ticket ends.
TEST(ServerChangeText, IsReadAfterTheKey) {
    struct Case {
        const char* name;
        Bytes afterPort;  // the ticket length, the ticket, what follows
        bool parsed;
        Bytes ticket;
        const char* text;
    } cases[] = {
        {"ticket of the key alone", Cat({{7, 7}, Text("Key42"), Text("go")}), true, Cat({{7}, Text("Key42")}),
         "go"},
        {"text inside a longer ticket", Cat({{10, 7}, Text("Key42"), Text("go")}), true,
         Cat({{7}, Text("Key42"), Text("go")}), "go"},
        {"ticket byte after the key", Cat({{8, 7}, Text("Key42"), {0xEE}, Text("go")}), false, {}, ""},
        {"no text", Cat({{7, 7}, Text("Key42")}), false, {}, ""},
    };
    for (const Case& c : cases) {
        const Bytes body = Cat({{1, 0, 0, 10, 0x1F, 0x40}, c.afterPort});
        CPacketReader reader(body.data(), body.size());
        std::optional<CServerChange> change = ParseServerChange(reader);
        ASSERT_EQ(change.has_value(), c.parsed) << c.name;
        if (!change) continue;
        EXPECT_EQ(change->m_ticket, c.ticket) << c.name;
        EXPECT_EQ(change->m_cipher.m_key, "Key42") << c.name;
        EXPECT_EQ(change->m_text, c.text) << c.name;
        EXPECT_EQ(change->m_addressNet, plat::MakeIPv4(10, 0, 0, 1)) << c.name;
        EXPECT_EQ(change->m_port, 8000) << c.name;
    }
}

// A server written from the wire layout sends an address as a big-endian
// number whose value is the address in network order: 10.1.2.3 goes out as
// the bytes 3, 2, 1, 10. The client dials that address, and the login
// server's file holds the number as it stands in memory (little-endian):
// the bytes 10, 1, 2, 3.
TEST_F(LoginMessages, ServerAddressesAreDialledAndKeptAsTheServerMeansThem) {
    struct Case {
        const char* dotted;
        Bytes wire;
        Bytes file;  // address, then port, little-endian
    } cases[] = {
        {"10.1.2.3", {3, 2, 1, 10}, {10, 1, 2, 3, 0x41, 0x1F}},
        {"192.168.40.7", {7, 40, 168, 192}, {192, 168, 40, 7, 0x41, 0x1F}},
        {"172.31.0.254", {254, 0, 31, 172}, {172, 31, 0, 254, 0x41, 0x1F}},
    };
    for (const Case& c : cases) {
        Fresh(true);
        qmtest::TempDir folder;
        qmtest::ScopedWorkingFolder inFolder(folder.Path());
        Dispatch(86, Cat({{1, 4}, c.wire, {0x1F, 0x41}, Text("World"), {0}}));
        ASSERT_TRUE(m_session->SendWorldEntry(4));
        Bytes file;
        ASSERT_TRUE(plat::ReadWholeFile(LOGIN_SERVER_FILE, file));
        EXPECT_EQ(file, c.file) << c.dotted;
        EXPECT_EQ(g_config.m_serverPort, 0x1F41) << c.dotted;

        m_sockets.ClearCalls();
        Dispatch(3, Cat({c.wire, {0x1F, 0x41, 7, 7}, Text("Key42"), Text("")}));
        std::vector<std::string> dialled;
        for (const std::string& call : m_sockets.Calls())
            if (call.rfind("connect ", 0) == 0) dialled.push_back(call.substr(0, call.find(" timeout")));
        EXPECT_EQ(dialled, std::vector<std::string>{"connect " + std::string(c.dotted) + ":8001"})
            << c.dotted;
        uint32_t address = 0;
        ASSERT_TRUE(g_connection->IsConnected(&address, nullptr)) << c.dotted;
        EXPECT_EQ(address, g_config.m_serverAddress) << "the world list's login server is the one dialled";
    }
}

TEST_F(LoginMessages, ServerChangeWithAKeyTheClientRefusesGoesNowhere) {
    const Bytes tickets[] = {
        Cat({{7}, Text("")}),        // empty key
        Cat({{30}, Text("Key42")}),  // no such mask function
        {7, 9, 'K', 'e', 'y'},       // the key runs past the ticket
        {7},                         // no key length
    };
    for (const Bytes& ticket : tickets) {
        Fresh(true);
        Dispatch(3, Cat({{2, 0, 0, 127, 0x9C, 0x41}, {uint8_t(ticket.size())}, ticket, Text("")}));
        EXPECT_FALSE(g_connection->IsConnected());
        EXPECT_TRUE(Queued().empty());
        EXPECT_TRUE(m_windows.m_toAll.empty());
    }
}

TEST_F(LoginMessages, Request118TwiceSeedsOnce) {
    Dispatch(103, {});
    Dispatch(103, {});
    EXPECT_EQ(Queued(), (std::vector<Bytes>{{118}, {118}}));
    EXPECT_EQ(RandomSeedings(), 1u);
}

TEST_F(LoginMessages, TimeEchoAnswersWithTheClock) {
    m_clock.Advance(1234);
    const uint32_t now = plat::timeGetTime();
    Dispatch(102, {0, 0, 1, 2});
    EXPECT_EQ(Queued(), (std::vector<Bytes>{{117, 0, 0, 1, 2, uint8_t(now >> 24), uint8_t(now >> 16),
                                             uint8_t(now >> 8), uint8_t(now)}}));
}

TEST_F(LoginMessages, WebPagesAreTakenOnlyAsWebAddresses) {
    struct Case {
        const char* name;
        Bytes body;
        const char* page;  // the new-account page afterwards
        const char* box;   // the box shown, or ""
        int sceneRecords;
    } cases[] = {
        {"new-account page", Cat({{2}, Text("https://example.com/new")}), "https://example.com/new", "", 0},
        {"empty new-account page", Cat({{2}, Text("")}), "", "", 0},
        {"not a web address", Cat({{2}, Text("file:///etc/passwd")}), "", "", 0},
        {"box with a page", Cat({{1}, LongText("http://example.com/up"), LongText("Update?")}), "old",
         "ask:Update?|http://example.com/up", 0},
        {"box with another answer", Cat({{1}, LongText("calc.exe"), LongText("Run?")}), "old", "ask:Run?|",
         0},
        {"scene page", Cat({{3}, LongText("https://example.com/w")}), "old", "", 1},
        {"scene page not a web address", Cat({{3}, LongText("javascript:x")}), "old", "", 0},
        {"other sub-code", {9, 1, 2}, "old", "", 0},
    };
    for (const Case& c : cases) {
        Fresh(true);
        std::strcpy(m_session->m_newAccountPage, "old");
        Dispatch(104, c.body);
        EXPECT_STREQ(m_session->m_newAccountPage, std::string(c.page) == "old" ? "old" : c.page) << c.name;
        EXPECT_EQ(m_boxes.Describe(), std::string(c.box).empty() ? "" : std::string(c.box) + " ") << c.name;
        EXPECT_EQ(m_mainMgr->GetMsgQueue()->Queue().Count(), c.sceneRecords) << c.name;
    }
}

TEST_F(LoginMessages, WorldRecordsGoToTheirReceivers) {
    Dispatch(4, {1, 2, 0, 3});
    Dispatch(109, {5});
    Dispatch(121, {7});
    Dispatch(108, {0, 9});
    ASSERT_EQ(m_world.m_records.size(), 3u);
    auto* position = dynamic_cast<CPlayerPositionMsg*>(m_world.m_records[0].get());
    ASSERT_NE(position, nullptr);
    EXPECT_EQ(position->m_tileX, 258u);
    EXPECT_EQ(position->m_tileY, 3u);
    EXPECT_EQ(dynamic_cast<CGameOverMsg*>(m_world.m_records[1].get())->m_value, 5);
    EXPECT_EQ(dynamic_cast<CPlayerFlagMsg*>(m_world.m_records[2].get())->m_flag, 1);
    EXPECT_EQ(m_world.m_fieldValues, std::vector<uint32_t>{9});
    EXPECT_EQ(g_connection->SelectMask(), CConnection::WRITE_CLOSE_EVENTS) << "message 4 re-arms";
}

}  // namespace
