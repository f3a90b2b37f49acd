// The local server's clubs: a member entering gets the club's information
// and member list; the club's texts, settings, nicknames, notices and
// leaving answered to the members; the world file's club lines.
#include <gtest/gtest.h>

#include <cstring>
#include <optional>
#include <string>
#include <vector>

#include "core/config.h"
#include "core/window_port_records.h"
#include "net/game_session.h"
#include "net/handlers/club_messages.h"
#include "net/handlers/login_phase.h"
#include "net/handlers/window_records.h"
#include "net/packet_reader.h"
#include "platform/socket.h"
#include "tests/support/server_bot.h"
#include "tests/tools/qmserver_fixture.h"
#include "tools/qmserver/qm_server.h"
#include "tools/qmserver/server_world.h"

namespace {

using Bytes = std::vector<uint8_t>;
using qmtest::ClientRequest;
using qmtest::ServerBot;

constexpr char kWorld[] =
    "world 1 Quill\n"
    "map 1 12 12\n"
    "character demo Ardent 2000001\n"
    "character mira Mira 2000002\n"
    "character solo Solo 2000003\n"
    "club 4 3 420 7 Lantern\n"
    "member 4 1 2000001 12 900 Ardent\n"
    "member 4 3 2000002 8 120 Mira\n"
    "member 4 4 2000005 5 0 Wren\n";

// The sub-code of a club message, 0 for another.
uint8_t Sub(const Bytes& message) {
    return message.size() > 1 && message[0] == SERVER_CLUB ? message[1] : 0;
}

class ServerClubsTest : public qmtest::QmServerFixture {
protected:
    ServerClubsTest() : QmServerFixture(kWorld) {}
    // The next club message of the sub-code the bot receives.
    static Bytes NextClub(ServerBot& bot, uint8_t sub) {
        for (int i = 0; i < 20; ++i) {
            Bytes message = bot.ReceiveCode(SERVER_CLUB);
            if (message.empty() || Sub(message) == sub) return message;
        }
        return {};
    }
};

TEST_F(ServerClubsTest, AMemberGetsTheClubAndItsMembers) {
    ServerBot ardent;
    Enter(ardent, "demo", "Ardent");
    const Bytes info = NextClub(ardent, 16);
    ASSERT_EQ(info, WriteClubInfo([] {
                  CClubInfoMsg i;
                  i.m_a = 4;
                  i.m_mode = 1;
                  std::strcpy(i.m_text1, "Lantern");
                  i.m_value1 = 420;
                  i.m_value4 = 3;
                  i.m_value5 = 3;
                  i.m_value6 = 3;
                  i.m_value7 = 1;
                  i.m_value8 = 255;
                  std::strcpy(i.m_text5, "Welcome to Lantern.");
                  i.m_value9 = 0xFFFFFFFF;
                  i.m_value12 = 7;
                  return i;
              }()));
    const Bytes list = NextClub(ardent, 17);
    ASSERT_FALSE(list.empty());
    // Three entries: the master (online), the member (away), the applicant.
    CPacketReader body(list.data() + 2, list.size() - 2);
    body.GetByte();
    EXPECT_EQ(body.GetString(), "Lantern");
    body.GetByte();
    EXPECT_EQ(body.GetWord(), 3);
    EXPECT_EQ(body.GetString(), "Ardent");
    body.GetString();
    EXPECT_EQ(body.GetByte(), 1);
    // A player of no club gets neither.
    ServerBot solo;
    Enter(solo, "solo", "Solo");
    EXPECT_TRUE(solo.ReceiveCode(SERVER_CLUB, 500).empty());
}

TEST_F(ServerClubsTest, RequestsAreAnsweredToTheMembers) {
    ServerBot ardent, mira;
    Enter(ardent, "demo", "Ardent");
    ASSERT_FALSE(NextClub(ardent, 17).empty());
    Enter(mira, "mira", "Mira");
    ASSERT_FALSE(NextClub(mira, 17).empty());
    // The four texts: kinds 3 and 2 as texts, 1 and 0 as dated lines.
    for (int kind : {3, 2, 1, 0})
        ASSERT_TRUE(
            ardent.Send(ClientRequest([kind](CGameSession& s) { s.SendClubTextRequest(4, uint8_t(kind)); })));
    EXPECT_EQ(NextClub(ardent, 20), WriteClubText(3, ""));
    EXPECT_EQ(NextClub(ardent, 20), WriteClubText(2, ""));
    EXPECT_EQ(NextClub(ardent, 20), WriteClubDatedLines(1, {}));
    EXPECT_EQ(NextClub(ardent, 20), WriteClubDatedLines(0, {}));
    EXPECT_TRUE(m_server->Logged("<- 61/20 0"));
    // A notice reaches both members.
    ASSERT_TRUE(ardent.Send(ClientRequest([](CGameSession& s) { s.SendClubNotice(4, 1, "Meet at noon"); })));
    for (ServerBot* bot : {&ardent, &mira}) {
        const Bytes notices = NextClub(*bot, 20);
        ASSERT_GT(notices.size(), 5u);
        EXPECT_EQ(notices[4], 1) << "kind 1, the notices";
        EXPECT_NE(std::string(notices.begin(), notices.end()).find("Ardent: Meet at noon"),
                  std::string::npos);
    }
    // The settings: the members get the information again.
    ASSERT_TRUE(ardent.Send(
        ClientRequest([](CGameSession& s) { s.SendClubSettings(4, 5, 60, "http://lantern", "Light."); })));
    for (ServerBot* bot : {&ardent, &mira}) {
        const Bytes info = NextClub(*bot, 16);
        EXPECT_NE(std::string(info.begin(), info.end()).find("http://lantern"), std::string::npos);
    }
    // A nickname: one member's entry to both.
    ASSERT_TRUE(ardent.Send(ClientRequest([](CGameSession& s) { s.SendClubSetNick(4, "Mira", "Spark"); })));
    for (ServerBot* bot : {&ardent, &mira}) {
        const Bytes member = NextClub(*bot, 5);
        EXPECT_NE(std::string(member.begin(), member.end()).find("Spark"), std::string::npos);
    }
    // Mira leaves: she is told the club is gone, Ardent that she left.
    ASSERT_TRUE(mira.Send(ClientRequest([](CGameSession& s) { s.SendClubCommand6(4, "Lantern", "Mira"); })));
    EXPECT_EQ(NextClub(mira, 2), WriteClubRemoved(0, "Lantern"));
    // Ardent expels the applicant.
    ASSERT_TRUE(
        ardent.Send(ClientRequest([](CGameSession& s) { s.SendClubCommand6(4, "Lantern", "Wren"); })));
    EXPECT_EQ(NextClub(ardent, 6), WriteClubMemberLeft("Wren"));
}

TEST(ServerClubsWorldTest, RefusesBadClubLines) {
    for (const char* line :
         {"club 0 1 1 0 Zero", "club 1 1 1 76 Big", "club 1 1 1", "member 1 5 2000000 1 1 A",
          "member 1 0 2000000 1 1 A", "member 1 1 2000000 1 1 Seventeen_bytes_x"}) {
        SCOPED_TRACE(line);
        std::string error;
        EXPECT_FALSE(CServerWorld::Parse(std::string("world 1 A\nmap 1 2 3\n") + line + "\n", &error));
        EXPECT_NE(error.find("line 3"), std::string::npos) << error;
    }
}

}  // namespace
