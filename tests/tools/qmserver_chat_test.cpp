// The local server's chat: the status block and greeting line on entering,
// lines said to everyone with the speaker's id, whispers to a named player,
// and the world file's chat lines.
#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "core/config.h"
#include "net/game_session.h"
#include "net/handlers/char_handlers.h"
#include "net/handlers/chat_messages.h"
#include "net/handlers/login_phase.h"
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
    "terms Be kind.\n"
    "character demo Ardent 2000001\n"
    "character mira Mira 2000002\n"
    "greeting Welcome to Quill.\n"
    "status life 120 200\n"
    "status mana 30 80\n"
    "status stamina 77\n"
    "status spirit 45 60\n"
    "status load 12 50\n"
    "status state 2\n"
    "status experience 500 800 1000\n"
    "status level 3\n"
    "status numbers 1 2 3 4 5 6 7 8\n";

class ServerChatTest : public qmtest::QmServerFixture {
protected:
    ServerChatTest() : QmServerFixture(kWorld) {}
};

TEST_F(ServerChatTest, AnEnteringPlayerGetsTheStatusBlockAndTheWelcome) {
    ServerBot bot;
    Enter(bot, "demo", "Ardent");
    const Bytes status = bot.ReceiveCode(8);
    ASSERT_FALSE(status.empty());
    CPacketReader body(status.data() + 1, status.size() - 1);
    std::unique_ptr<CStatusBlockMsg> block = ParseStatusBlock(body);
    ASSERT_TRUE(block);
    EXPECT_EQ(block->m_flags, 0x1E);
    EXPECT_EQ(std::vector<uint32_t>(block->m_group02, block->m_group02 + 4),
              (std::vector<uint32_t>{120, 200, 30, 80}));
    EXPECT_EQ(block->m_group02Word, 77);
    EXPECT_EQ(block->m_group04[0], 45u);
    EXPECT_EQ(block->m_group04[3], 50u);
    EXPECT_EQ(block->m_group08Byte, 2);
    EXPECT_EQ(std::vector<uint32_t>(block->m_group08, block->m_group08 + 3),
              (std::vector<uint32_t>{500, 800, 1000}));
    EXPECT_EQ(block->m_group10Byte, 3);
    EXPECT_EQ(block->m_group10Words[7], 8);
    EXPECT_EQ(bot.ReceiveCode(10), WriteChatLine(3, 0, "Welcome to Quill."));
}

TEST_F(ServerChatTest, LinesGoToEveryoneAndWhispersToTheirPlayer) {
    ServerBot ardent, mira;
    Enter(ardent, "demo", "Ardent");
    Enter(mira, "mira", "Mira");
    // Both maps are ready once their status blocks came.
    for (ServerBot* bot : {&ardent, &mira}) ASSERT_FALSE(bot->ReceiveCode(8).empty());
    ASSERT_TRUE(ardent.Send(ClientRequest([](CGameSession& s) { s.SendChat(0, "Hello <b>you</b> & all"); })));
    for (ServerBot* bot : {&ardent, &mira})
        EXPECT_EQ(bot->ReceiveCode(13), WriteChatSpeech(0, ardent.CharId(), "Hello <b>you</b> & all"));
    EXPECT_TRUE(m_server->Logged("<- 14/0 Hello <b>you</b> & all"));
    // A whisper reaches its player and comes back to its sender.
    ASSERT_TRUE(ardent.Send(ClientRequest([](CGameSession& s) { s.SendChatToName("Mira", "psst", 0); })));
    for (ServerBot* bot : {&mira, &ardent})
        EXPECT_EQ(bot->ReceiveCode(10), WriteChatLine(2, 0, "Ardent : psst"));
    // Nobody of that name: the sender is told.
    ASSERT_TRUE(mira.Send(ClientRequest([](CGameSession& s) { s.SendChatToName("Nobody", "hi", 0); })));
    EXPECT_EQ(mira.ReceiveCode(10), WriteChatLine(3, 0, "There is no player called Nobody."));
    // The flood report (kind 3) carries no line: nobody hears anything.
    ASSERT_TRUE(ardent.Send(ClientRequest([](CGameSession& s) { s.SendChat(3, nullptr); })));
    ASSERT_TRUE(ardent.Send(ClientRequest([](CGameSession& s) { s.SendChat(0, "after"); })));
    EXPECT_EQ(mira.ReceiveCode(13), WriteChatSpeech(0, ardent.CharId(), "after"));
    EXPECT_TRUE(m_server->Logged("<- 14/3"));
}

TEST(ServerChatWorldTest, RefusesBadChatLines) {
    for (const char* line : {"status life 1", "status wealth 5", "status state 5",
                             "status numbers 1 2 3 4 5 6 7 70000", "status life x 2", "greeting"}) {
        SCOPED_TRACE(line);
        std::string error;
        EXPECT_FALSE(CServerWorld::Parse(std::string("world 1 A\nmap 1 2 3\n") + line + "\n", &error));
        EXPECT_NE(error.find("line 3"), std::string::npos) << error;
    }
}

}  // namespace
