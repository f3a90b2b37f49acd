// The local server with bot clients made of the client's framing, cipher and
// request builders: the log-in and field conversation step by step, eight
// players at once, and hostile clients that must not disturb the others.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <fstream>
#include <functional>
#include <map>
#include <optional>
#include <sstream>
#include <thread>

#include "core/config.h"
#include "net/game_session.h"
#include "net/handlers/account_handlers.h"
#include "net/handlers/appearance_messages.h"
#include "net/handlers/char_handlers.h"
#include "net/handlers/char_records.h"
#include "net/handlers/chat_messages.h"
#include "net/handlers/combat_handlers.h"
#include "net/handlers/login_phase.h"
#include "net/handlers/login_records.h"
#include "net/handlers/terms.h"
#include "net/packet_reader.h"
#include "platform/paths.h"
#include "platform/socket.h"
#include "tests/support/server_bot.h"
#include "tests/support/temp_dir.h"
#include "tests/support/tool_run.h"
#include "tools/qmserver/qm_server.h"
#include "tools/qmserver/qmserver_tool.h"
#include "tools/qmserver/server_hall.h"
#include "tools/qmserver/server_world.h"

namespace {

using Bytes = std::vector<uint8_t>;
using qmtest::ClientRequest;
using qmtest::ServerBot;

constexpr char kWorld[] =
    "# a small world for the tests\n"
    "world 1 Quill\n"
    "world 2 Marrow Deep\n"
    "map 3 12 14\n"
    "terms Be kind.\n"
    "terms Play fair.\n"
    "character demo Ardent 2000001\n"
    "walker npc 2200001 Keeper 14 10 18 10\n"
    "walker monster 2100001 Slime 20 20 24 20 24 24\n";

// The terms end in a long line that packs badly, so that a client that asks
// for them and never reads soon has much waiting.
std::string TestWorldText() {
    std::string line = "terms ";
    uint32_t x = 12345;
    for (int n = 0; n < 6000; ++n) {
        x = x * 1103515245u + 12345u;
        line.push_back(char('a' + (x >> 16) % 26));
    }
    return kWorld + line + "\n";
}

CServerWorld TestWorld() {
    std::string error;
    std::optional<CServerWorld> world = CServerWorld::Parse(TestWorldText(), &error);
    EXPECT_TRUE(world) << error;
    return world ? *world : CServerWorld::Default();
}

uint32_t Loopback() {
    return plat::MakeIPv4(127, 0, 0, 1);
}

CPacketReader Body(const Bytes& message) {
    return CPacketReader(message.data() + 1, message.empty() ? 0 : message.size() - 1);
}

Bytes Chat(const std::string& line) {
    return ClientRequest([&](CGameSession& s) {
        const uint8_t length = uint8_t(line.size() + 1);
        Bytes request = {14, 0, length};
        request.insert(request.end(), line.begin(), line.end());
        request.push_back(0);
        s.QueueMessage(request.data(), request.size());
    });
}

// ---- The world file ----

TEST(ServerWorldTest, ReadsEveryKindOfLine) {
    CServerWorld world = TestWorld();
    ASSERT_EQ(world.worlds.size(), 2u);
    EXPECT_EQ(world.worlds[1].second, "Marrow Deep");
    EXPECT_EQ(world.stage, 3);
    EXPECT_EQ(world.startX, 12);
    EXPECT_EQ(world.startY, 14);
    EXPECT_EQ(world.terms.substr(0, 20), "Be kind.\nPlay fair.\n");
    ASSERT_EQ(world.accounts["demo"].size(), 1u);
    EXPECT_EQ(world.accounts["demo"][0].resourceId, 2000001u);
    ASSERT_EQ(world.walkers.size(), 2u);
    EXPECT_TRUE(world.walkers[1].monster);
    EXPECT_EQ(world.walkers[1].loop.size(), 3u);
}

TEST(ServerWorldTest, RefusesABadLineWithItsNumber) {
    const struct {
        const char* text;
        const char* reason;
    } cases[] = {
        {"world 1 A\nmap 1 2\n", "line 2"},
        {"world 1 A\nmap 1 2 3\nwalker npc 1 N 1\n", "line 3"},
        {"world 1 A\nmap 1 2 3\nwalker dragon 1 N 1 1\n", "line 3"},
        {"world 300 A\nmap 1 2 3\n", "line 1"},
        {"world 1 A\nmap 1 2 3\ncharacter a N 1\ncharacter b N 2\n", "taken"},
        {"world 1 A\nmap 1 99999 3\n", "line 2"},
        {"world 1 A\nmap 1 2 3\nteleport 1\n", "unknown keyword"},
        {"world 1 A\nmap 1 2 3\nwelcome Keeper 3000049\n", "welcome WALKER SKILL_ID TIME_MS"},
        {"world 1 A\nmap 1 2 3\nwelcome Keeper 3000049 700000\n", "line 3"},
        {"map 1 2 3\n", "no world"},
        {"world 1 A\n", "no map"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        std::string error;
        EXPECT_FALSE(CServerWorld::Parse(c.text, &error));
        EXPECT_NE(error.find(c.reason), std::string::npos) << error;
    }
}

TEST(ServerWorldTest, TheSampleWorldHasTheDemoAccountAndWalkers) {
    std::ifstream file(qmtest::SourceDir() + "/demo/world.txt");
    ASSERT_TRUE(file);
    std::ostringstream text;
    text << file.rdbuf();
    std::string error;
    std::optional<CServerWorld> world = CServerWorld::Parse(text.str(), &error);
    ASSERT_TRUE(world) << error;
    ASSERT_EQ(world->accounts["demo"].size(), 1u);
    EXPECT_FALSE(world->terms.empty());
    // The Keeper and the Slime walk their loops; the Elder, the Dummy and the
    // page and warp NPCs stand.
    ASSERT_GE(world->walkers.size(), 7u);
    for (const CServerWalker& walker : world->walkers) {
        if (walker.name == "Keeper" || walker.name == "Slime")
            EXPECT_GE(walker.loop.size(), 2u) << walker.name;
        for (const char* standing : {"Elder", "Herald", "Crier", "Guide", "Dummy"})
            if (walker.name == standing) EXPECT_EQ(walker.loop.size(), 1u) << walker.name;
    }
}

TEST(QmserverToolTest, RefusesBadOptionsAndWorldFiles) {
    qmtest::TempDir dir;
    const std::string bad = dir.Path() + "/bad.txt";
    std::ofstream(bad) << "world 1 A\nmap 1 2\n";
    const struct {
        std::vector<std::string> args;
        const char* says;
    } cases[] = {
        {{"--port", "70000"}, "usage"}, {{"--from", "sky"}, "usage"},
        {{"--world"}, "usage"},         {{"--world", dir.Path() + "/missing.txt"}, "cannot read"},
        {{"--world", bad}, "line 2"},
    };
    for (const auto& c : cases) {
        qmtest::ToolRun run = qmtest::RunTool(RunQmserverTool, c.args);
        EXPECT_NE(run.status, 0) << c.args[0];
        EXPECT_NE(run.err.find(c.says), std::string::npos) << run.err;
    }
}

// ---- The conversation ----

class QmServerTest : public ::testing::Test {
protected:
    void SetUp() override {
        g_config.m_clientVersion = CLIENT_VERSION;
        std::string error;
        ASSERT_TRUE(m_server.Start(0, &error)) << error;
    }
    void TearDown() override { m_server.Stop(); }

    bool Logged(const std::string& text) const { return m_server.Logged(text); }

    CQmServer m_server{TestWorld(), 7};
};

TEST_F(QmServerTest, PlaysTheConversationStepByStep) {
    ServerBot bot;
    ASSERT_TRUE(bot.Connect(Loopback(), m_server.Port()));
    ASSERT_TRUE(bot.ReadGreeting());

    // The first request brings the key, in clear.
    ASSERT_TRUE(bot.Send(ClientRequest([](CGameSession& s) { s.SendFirstRequest(); })));
    Bytes key = bot.Receive();
    ASSERT_GE(key.size(), 2u);
    ASSERT_EQ(key[0], 0);
    ASSERT_EQ(key[1], 0);
    CPacketReader keyBody(key.data() + 2, key.size() - 2);
    std::optional<CCipherSetup> setup = ParseKeySetup(keyBody);
    ASSERT_TRUE(setup && setup->IsUsable());
    ASSERT_TRUE(bot.Link().SetCipher(int(setup->m_maskFunction), setup->m_key));

    // The world list names the server itself at 127.0.1.2: its address is a
    // big-endian number whose value is the address in network order.
    ASSERT_TRUE(bot.Send(ClientRequest([](CGameSession& s) { s.SendWorldListRequest(); })));
    Bytes list = bot.Receive();
    ASSERT_GE(list.size(), 8u);
    ASSERT_EQ(list[0], 86);
    EXPECT_EQ(Bytes(list.begin() + 3, list.begin() + 7), (Bytes{2, 1, 0, 127}))
        << "the first world's address";
    CPacketReader listBody = Body(list);
    std::optional<std::vector<CServerListEntry>> worlds = ParseServerList(listBody);
    ASSERT_TRUE(worlds);
    ASSERT_EQ(worlds->size(), 2u);
    EXPECT_STREQ((*worlds)[1].name, "Marrow Deep");
    for (const CServerListEntry& world : *worlds) {
        EXPECT_EQ(world.address, plat::MakeIPv4(127, 0, 1, 2));
        EXPECT_EQ(world.port, m_server.Port());
    }

    // The world entry: the server change with a ticket that carries a key.
    ASSERT_TRUE(bot.Send(ClientRequest([](CGameSession& s) { s.SendWorldEntry(2); })));
    Bytes change = bot.Receive();
    ASSERT_GE(change.size(), 5u);
    ASSERT_EQ(change[0], 3);
    EXPECT_EQ(Bytes(change.begin() + 1, change.begin() + 5), (Bytes{2, 1, 0, 127}));
    CPacketReader changeBody = Body(change);
    std::optional<CServerChange> next = ParseServerChange(changeBody);
    ASSERT_TRUE(next && next->m_ticketReadable && next->m_cipher.IsUsable());
    EXPECT_EQ(next->m_addressNet, plat::MakeIPv4(127, 0, 1, 2));
    EXPECT_EQ(next->m_port, m_server.Port());

    // The game connection opens with the ticket and reads the greeting raw.
    ServerBot game;
    ASSERT_TRUE(game.Connect(next->m_addressNet, next->m_port));
    ASSERT_TRUE(game.Send(ClientRequest([&](CGameSession& s) {
        std::copy(next->m_ticket.begin(), next->m_ticket.end(), s.m_ticket);
        s.m_ticketLength = uint8_t(next->m_ticket.size());
        s.m_nextMaskFunction = next->m_cipher.m_maskFunction;
        s.m_nextKeyLength = uint32_t(next->m_cipher.m_key.size());
        std::snprintf(s.m_nextKey, sizeof s.m_nextKey, "%s", next->m_cipher.m_key.c_str());
        s.SendKeyAcknowledgement();
    })));
    ASSERT_TRUE(game.Link().SetCipher(int(next->m_cipher.m_maskFunction), next->m_cipher.m_key));
    ASSERT_TRUE(game.ReadGreeting());
    EXPECT_TRUE(Logged("connected to 127.0.1.2")) << "the client dials the address the server named";

    // The terms: their checksum, then the text.
    const std::string terms = TestWorld().terms;
    ASSERT_TRUE(game.Send(ClientRequest([](CGameSession& s) { s.SendLoginPhaseAnswer(); })));
    EXPECT_EQ(game.Receive(), WriteTermsChecksum(TermsChecksum(terms)));
    ASSERT_TRUE(game.Send(ClientRequest([](CGameSession& s) { s.SendTermsRequest(); })));
    Bytes text = game.Receive();
    CPacketReader textBody = Body(text);
    std::optional<CTermsMessage> termsMessage = ParseTermsMessage(textBody);
    ASSERT_TRUE(termsMessage);
    std::string inflated;
    ASSERT_TRUE(
        InflateTermsText(termsMessage->m_compressed.data(), termsMessage->m_compressed.size(), &inflated));
    EXPECT_EQ(inflated, terms);

    // Log-in as "demo": accepted, and its one character.
    ASSERT_TRUE(game.Send(ClientRequest([](CGameSession& s) {
        std::snprintf(s.m_account, sizeof s.m_account, "demo");
        std::snprintf(s.m_loginKey, sizeof s.m_loginKey, "any");
        s.SendLoginRequest(1);
    })));
    EXPECT_EQ(game.Receive(), WriteLoginReply(0, ""));
    auto charList = [&]() {
        Bytes message = game.Receive();
        CPacketReader body = Body(message);
        std::vector<std::string> names;
        if (message.empty() || message[0] != 107) return names;
        std::unique_ptr<CCharListMsg> parsed = ParseCharList(body);
        if (!parsed) return names;
        EXPECT_STREQ(parsed->Account(), "demo");
        for (uint32_t n = 0; n < parsed->Count(); ++n) names.push_back(parsed->Entry(n).m_name);
        return names;
    };
    EXPECT_EQ(charList(), (std::vector<std::string>{"Ardent"}));

    // Create, refuse a taken name, delete.
    ASSERT_TRUE(game.Send(ClientRequest([](CGameSession& s) { s.RequestCharCreate(2000002, "Tester"); })));
    EXPECT_EQ(game.Receive(), WriteLoginReply(0, ""));
    EXPECT_EQ(charList(), (std::vector<std::string>{"Ardent", "Tester"}));
    ASSERT_TRUE(game.Send(ClientRequest([](CGameSession& s) { s.RequestCharCreate(2000002, "Ardent"); })));
    Bytes refused = game.Receive();
    ASSERT_GE(refused.size(), 2u);
    EXPECT_EQ(refused[0], 2);
    EXPECT_NE(refused[1], 0);
    EXPECT_NE(refused[1], LOGIN_RESULT_CLOSES);
    ASSERT_TRUE(game.Send(ClientRequest([](CGameSession& s) { s.RequestCharDelete("Tester", nullptr); })));
    EXPECT_EQ(game.Receive(), WriteLoginReply(0, ""));
    EXPECT_EQ(charList(), (std::vector<std::string>{"Ardent"}));

    // Entering: the map, the own character, its tile, then 103.
    ASSERT_TRUE(game.Send(ClientRequest([](CGameSession& s) { s.SendCharSelect("Ardent"); })));
    Bytes map = game.Receive();
    EXPECT_EQ(map, WriteMapChange(3, 0, 0));
    Bytes own = game.Receive();
    ASSERT_FALSE(own.empty());
    ASSERT_EQ(own[0], SERVER_OWN_CHAR);
    CPacketReader ownBody = Body(own);
    std::optional<CCharCreateFields> fields = ParseOwnChar(ownBody);
    ASSERT_TRUE(fields);
    EXPECT_STREQ(fields->m_name, "Ardent");
    EXPECT_EQ(fields->m_resourceId, 2000001u);
    EXPECT_EQ(fields->m_tileX, 12u);
    EXPECT_EQ(fields->m_tileY, 14u);
    EXPECT_EQ(game.Receive(), (Bytes{4, 0, 12, 0, 14}));
    EXPECT_EQ(game.Receive(), (Bytes{103}));

    // The map is ready: the walkers come, the character's status block (the
    // chat's panel values, then the whole block with stats and money), then
    // the walkers' move orders.
    ASSERT_TRUE(game.Send(ClientRequest([](CGameSession& s) { s.SendMapReady(); })));
    Bytes walkers = game.Receive();
    ASSERT_FALSE(walkers.empty());
    EXPECT_EQ(walkers[0], 7);
    EXPECT_EQ(walkers[1] * 256 + walkers[2], 2);
    EXPECT_EQ(game.Receive()[0], 8);
    Bytes whole = game.Receive();
    ASSERT_FALSE(whole.empty());
    EXPECT_EQ(whole[0], 8);
    EXPECT_EQ(whole[1], 0x02 | 0x04 | 0x08 | 0x10 | 0x20 | 0x40);
    Bytes order = game.Receive(3000);
    ASSERT_FALSE(order.empty());
    EXPECT_EQ(order[0], 100);

    // Answers the client gives to 102 and 103, and the keep-alive: nothing comes back.
    ASSERT_TRUE(game.Send(ClientRequest([](CGameSession& s) { s.SendTimeEcho(5); })));
    ASSERT_TRUE(game.Send(ClientRequest([](CGameSession& s) { s.SendRequest118(); })));
    ASSERT_TRUE(game.Send(Bytes{15, 0}));
    for (Bytes m = game.Receive(300); !m.empty(); m = game.Receive(300)) EXPECT_EQ(m[0], 100);
    EXPECT_TRUE(Logged("<- 117"));
    EXPECT_TRUE(Logged("<- 118"));
    EXPECT_TRUE(Logged("<- 15/0"));
}

TEST_F(QmServerTest, ANewAccountStartsWithoutCharacters) {
    ServerBot bot;
    ASSERT_TRUE(bot.LogIn(Loopback(), m_server.Port(), "newcomer"));
    CPacketReader body = Body(bot.CharList());
    std::unique_ptr<CCharListMsg> list = ParseCharList(body);
    ASSERT_TRUE(list);
    EXPECT_EQ(list->Count(), 0u);
    EXPECT_EQ(bot.GameAddress(), plat::MakeIPv4(127, 0, 1, 2));
}

// The list names each character's player type, and no pet: a pet's type in
// the entry would make the character selection show one beside it.
TEST_F(QmServerTest, TheSampleCharacterIsListedWithItsTypeAndNoPet) {
    ServerBot bot;
    ASSERT_TRUE(bot.LogIn(Loopback(), m_server.Port(), "demo"));
    CPacketReader body = Body(bot.CharList());
    std::unique_ptr<CCharListMsg> list = ParseCharList(body);
    ASSERT_TRUE(list);
    ASSERT_EQ(list->Count(), 1u);
    EXPECT_STREQ(list->Entry(0).m_name, "Ardent");
    EXPECT_EQ(list->Entry(0).m_value, 2000001u);
    EXPECT_EQ(list->Entry(0).m_value2, 0u);
}

TEST_F(QmServerTest, EightPlayersSeeEachOtherWalkChatAndLeave) {
    constexpr int kBots = 8;
    std::vector<std::unique_ptr<ServerBot>> bots;
    for (int n = 0; n < kBots; ++n) {
        SCOPED_TRACE(n);
        auto bot = std::make_unique<ServerBot>();
        const std::string name = "Bot" + std::to_string(n);
        ASSERT_TRUE(bot->LogIn(Loopback(), m_server.Port(), "account" + std::to_string(n)));
        ASSERT_TRUE(
            bot->Send(ClientRequest([&](CGameSession& s) { s.RequestCharCreate(2000001, name.c_str()); })));
        ASSERT_EQ(bot->ReceiveCode(107).empty(), false);
        ASSERT_TRUE(bot->Enter(name));
        // Everyone already in the field appears to the newcomer, and the
        // newcomer to each of them.
        for (int seen = 0; seen < n; ++seen) ASSERT_FALSE(bot->ReceiveCode(51).empty()) << "sees " << seen;
        for (int other = 0; other < n; ++other) {
            Bytes appears = bots[size_t(other)]->ReceiveCode(51);
            CPacketReader body = Body(appears);
            std::optional<CCharCreateFields> fields = ParseCharAppears(body);
            ASSERT_TRUE(fields) << "bot " << other << " sees " << n;
            EXPECT_STREQ(fields->m_name, name.c_str());
            EXPECT_EQ(fields->m_charId, bot->CharId());
        }
        bots.push_back(std::move(bot));
    }

    // Bot 0 walks; every other sees the move order for its character.
    ASSERT_TRUE(bots[0]->Send(ClientRequest([](CGameSession& s) { s.SendPlayerPosition(13, 15, 4, 1); })));
    for (int n = 1; n < kBots; ++n) {
        bool seen = false;
        for (Bytes m = bots[size_t(n)]->ReceiveCode(100); !m.empty() && !seen;
             m = bots[size_t(n)]->ReceiveCode(100))
            seen = m.size() >= 5 && uint32_t(m[1] << 24 | m[2] << 16 | m[3] << 8 | m[4]) == bots[0]->CharId();
        EXPECT_TRUE(seen) << n;
    }

    // Bot 3 chats: everyone on the map gets the line with its speaker's id, itself too.
    ASSERT_TRUE(bots[3]->Send(Chat("hello all")));
    for (int n = 0; n < kBots; ++n) {
        Bytes line = bots[size_t(n)]->ReceiveCode(13);
        EXPECT_EQ(line, WriteChatSpeech(0, bots[3]->CharId(), "hello all")) << n;
    }

    // Bot 7 hangs up: the others see it leave.
    const uint32_t leaving = bots[7]->CharId();
    bots[7]->Close();
    for (int n = 0; n < kBots - 1; ++n) {
        Bytes gone = bots[size_t(n)]->ReceiveCode(14);
        EXPECT_EQ(gone, (Bytes{14, uint8_t(leaving >> 24), uint8_t(leaving >> 16), uint8_t(leaving >> 8),
                               uint8_t(leaving)}))
            << n;
    }
}

// ---- Hostile clients ----

Bytes Cat(std::initializer_list<Bytes> parts) {
    Bytes out;
    for (const Bytes& part : parts) out.insert(out.end(), part.begin(), part.end());
    return out;
}

// bytes n times over.
Bytes Repeat(const Bytes& bytes, int n) {
    Bytes out;
    for (int i = 0; i < n; ++i) out.insert(out.end(), bytes.begin(), bytes.end());
    return out;
}

// A frame header announcing length bytes, and that many bytes after it.
Bytes Announce(size_t length, size_t sent) {
    Bytes frame = {FRAME_START, uint8_t(length >> 8), uint8_t(length)};
    frame.resize(FRAME_HEADER_SIZE + sent, 0x5A);
    return frame;
}

TEST(ServerHallTest, OnlyThreeBadFramesInARowCloseAConnection) {
    const Bytes empty = Announce(0, 0);
    const Bytes good = {FRAME_START, 0, 2, 1, 0};  // request 1 goes in clear and is not served
    const struct {
        const char* name;
        Bytes bytes;
        bool closing;
    } cases[] = {
        {"two bad, one good, two bad", Cat({empty, empty, good, empty, empty}), false},
        {"three bad", Repeat(empty, 3), true},
        {"63 KiB of junk", Bytes(63 * 1024, 0x11), false},
        {"64 KiB of junk in pieces", Cat({Bytes(40 * 1024, 0x11), Bytes(24 * 1024, 0x22)}), true},
        {"junk ended by a frame start", Cat({Bytes(63 * 1024, 0x11), good, Bytes(63 * 1024, 0x11)}), false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        CServerHall hall(TestWorld(), 40000, 1, nullptr);
        const int id = hall.Open(Loopback());
        for (size_t at = 0; at < c.bytes.size(); at += 1000)
            hall.Receive(id, c.bytes.data() + at, std::min<size_t>(1000, c.bytes.size() - at));
        EXPECT_EQ(hall.Closing(id), c.closing);
    }
}

TEST_F(QmServerTest, HostileClientsAreClosedWhileAPlayerIsServed) {
    ServerBot player;
    ASSERT_TRUE(player.LogIn(Loopback(), m_server.Port(), "demo"));
    ASSERT_TRUE(player.Enter("Ardent"));
    auto servedStill = [&](const std::string& line) {
        if (!player.Send(Chat(line))) return false;
        return player.ReceiveCode(13, 3000) == WriteChatSpeech(0, player.CharId(), line);
    };

    // Each hostile client: what it sends, and whether the server closes it.
    const struct {
        const char* name;
        Bytes bytes;
        bool closed;
    } cases[] = {
        {"junk without a frame start", Bytes(70 * 1024, 0x11), true},
        {"zero-length frames", Repeat(Announce(0, 0), 3), true},
        {"a frame announcing 65,535 bytes, sent whole", Announce(0xFFFF, 0xFFFF), false},
        {"cut requests", Repeat({FRAME_START, 0, 1, 3}, 3), true},
        {"half a frame, then hang-up", Announce(200, 50), false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ServerBot hostile;
        ASSERT_TRUE(hostile.Connect(Loopback(), m_server.Port()));
        ASSERT_TRUE(hostile.ReadGreeting());
        ASSERT_TRUE(hostile.SendRaw(c.bytes));
        if (c.closed) {
            EXPECT_TRUE(hostile.WaitClosed(3000));
        }
        EXPECT_TRUE(servedStill(c.name));
    }
    EXPECT_TRUE(Logged("64 KiB without a frame's start"));
    EXPECT_TRUE(Logged("three bad frames in a row"));

    // A client under a cipher of its own: its requests are out of step.
    {
        ServerBot wrong;
        ASSERT_TRUE(wrong.LogIn(Loopback(), m_server.Port(), "other"));
        ASSERT_TRUE(wrong.Link().SetCipher(5, "NotTheKey"));
        wrong.Link().Cipher().SetSendSequence(200);
        for (int n = 0; n < 3; ++n) ASSERT_TRUE(wrong.Send(Bytes{43, 1, 'x'}));
        EXPECT_TRUE(wrong.WaitClosed(3000));
        EXPECT_TRUE(servedStill("after the wrong cipher"));
    }

    // A flood of requests the server does not serve, and one that never reads
    // while the server has much to say.
    {
        ServerBot flood;
        ASSERT_TRUE(flood.Connect(Loopback(), m_server.Port()));
        ASSERT_TRUE(flood.ReadGreeting());
        Bytes many;
        for (int n = 0; n < 5000; ++n) {
            Bytes frame = flood.Link().Frame(Bytes{1, uint8_t(n)});
            many.insert(many.end(), frame.begin(), frame.end());
        }
        ASSERT_TRUE(flood.SendRaw(many));
        EXPECT_TRUE(servedStill("during the flood"));
    }
    {
        ServerBot silent;
        ASSERT_TRUE(silent.LogIn(Loopback(), m_server.Port(), "silent"));
        // Terms texts on request, never read.
        const Bytes ask = ClientRequest([](CGameSession& s) { s.SendTermsRequest(); });
        Bytes many;
        for (int n = 0; n < 3000; ++n) {
            Bytes frame = silent.Link().Frame(ask);
            many.insert(many.end(), frame.begin(), frame.end());
        }
        std::thread writer([&] { silent.SendRaw(many); });
        writer.join();
        for (int n = 0; n < 600 && !Logged("more than 1 MiB"); ++n)
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        silent.Close();
        EXPECT_TRUE(Logged("more than 1 MiB"));
        EXPECT_TRUE(servedStill("after the silent one"));
    }
}

// ---- The fuzz target's seeds ----

// A client's side of one connection to a hall made as the fuzz target makes
// it: what it sent, and what came back.
class HallClient {
public:
    explicit HallClient(CServerHall& hall) : m_hall(hall), m_id(hall.Open(CServerHall::OwnAddress())) {
        CWireFrame greeting;
        Take();
        EXPECT_TRUE(m_link.Next(&greeting, true));
    }
    void Send(const Bytes& request) {
        const Bytes frame = m_link.Frame(request);
        m_sent.insert(m_sent.end(), frame.begin(), frame.end());
        m_hall.Receive(m_id, frame.data(), frame.size());
    }
    // The next message of the code.
    Bytes Receive(uint8_t code) {
        Take();
        CWireFrame frame;
        while (m_link.Next(&frame))
            if (!frame.message.empty() && frame.message[0] == code) return frame.message;
        return {};
    }
    CWireLink& Link() { return m_link; }
    const Bytes& SentBytes() const { return m_sent; }
    int Id() const { return m_id; }
    // Takes what the hall has for the client; returns how many bytes.
    size_t Pending() {
        const size_t size = m_hall.Output(m_id).size();
        Take();
        return size;
    }
    // The next frame taken (empty for an empty frame, counted in *empty);
    // HadFrame tells whether there was one.
    Bytes Next(int* empty) {
        CWireFrame frame;
        m_hadFrame = m_link.Next(&frame);
        if (m_hadFrame && frame.message.empty()) ++*empty;
        return m_hadFrame ? frame.message : Bytes();
    }
    bool HadFrame() const { return m_hadFrame; }

private:
    void Take() {
        const Bytes& output = m_hall.Output(m_id);
        m_link.Feed(output.data(), output.size());
        m_hall.Sent(m_id, output.size());
    }

    CServerHall& m_hall;
    int m_id;
    CWireLink m_link{WireSide::Client};
    Bytes m_sent;
    bool m_hadFrame = false;
};

// The log-in connection and the game connection of the conversation, as the
// client's builders make them. QM_REFRESH_GOLDEN=1 rewrites the seeds.
TEST(ServerRequestSeeds, FuzzSeedsAreTheConversation) {
    g_config.m_clientVersion = CLIENT_VERSION;
    std::vector<std::pair<std::string, Bytes>> seeds;
    {
        CServerHall hall(CServerWorld::Default(), 40000, 1, nullptr);
        HallClient login(hall);
        login.Send(ClientRequest([](CGameSession& s) { s.SendFirstRequest(); }));
        Bytes key = login.Receive(0);
        ASSERT_GE(key.size(), 2u);
        CPacketReader keyBody(key.data() + 2, key.size() - 2);
        std::optional<CCipherSetup> setup = ParseKeySetup(keyBody);
        ASSERT_TRUE(setup && login.Link().SetCipher(int(setup->m_maskFunction), setup->m_key));
        login.Send(ClientRequest([](CGameSession& s) { s.SendWorldListRequest(); }));
        ASSERT_FALSE(login.Receive(86).empty());
        login.Send(ClientRequest([](CGameSession& s) { s.SendWorldEntry(1); }));
        ASSERT_FALSE(login.Receive(3).empty());
        seeds.emplace_back("login", login.SentBytes());
    }
    {
        CServerHall hall(CServerWorld::Default(), 40000, 1, nullptr);
        HallClient game(hall);
        game.Send(ClientRequest([](CGameSession& s) {
            const uint8_t ticket[] = {7, 5, 'K', 'e', 'y', '4', '2'};
            std::copy(std::begin(ticket), std::end(ticket), s.m_ticket);
            s.m_ticketLength = sizeof ticket;
            s.SendKeyAcknowledgement();
        }));
        ASSERT_TRUE(game.Link().SetCipher(7, "Key42"));
        const std::function<void(CGameSession&)> requests[] = {
            [](CGameSession& s) { s.SendLoginPhaseAnswer(); },
            [](CGameSession& s) { s.SendTermsRequest(); },
            [](CGameSession& s) {
                std::snprintf(s.m_account, sizeof s.m_account, "demo");
                std::snprintf(s.m_loginKey, sizeof s.m_loginKey, "pw");
                s.SendLoginRequest(1);
            },
            [](CGameSession& s) { s.RequestCharCreate(2000002, "Tester"); },
            [](CGameSession& s) { s.RequestCharDelete("Tester", nullptr); },
            [](CGameSession& s) { s.SendCharSelect("Ardent"); },
            [](CGameSession& s) { s.SendMapReady(); },
            [](CGameSession& s) {
                const CFieldPoint points[] = {{13.0f, 12.0f}, {14.0f, 12.0f}};
                s.SendDestination(1, points, 2);
            },
            [](CGameSession& s) { s.SendPlayerPosition(13, 12, 4, 1); },
            [](CGameSession& s) { s.SendTimeEcho(42); },
            [](CGameSession& s) { s.SendRequest118(); },
        };
        for (const auto& request : requests) game.Send(ClientRequest(request));
        game.Send(Chat("hello"));
        game.Send(Bytes{15, 0});
        ASSERT_FALSE(game.Receive(103).empty()) << "the character entered";
        seeds.emplace_back("game", game.SentBytes());
    }
    const std::string corpus = qmtest::SourceDir() + "/fuzz/corpus/server_requests/";
    const char* refresh = std::getenv("QM_REFRESH_GOLDEN");
    for (const auto& [name, seed] : seeds) {
        if (refresh && std::string(refresh) == "1") {
            plat::CreateDirectories(corpus);
            ASSERT_TRUE(plat::WriteFileAtomic(corpus + name, seed.data(), seed.size()));
        }
        std::vector<uint8_t> stored;
        ASSERT_TRUE(plat::ReadWholeFile(corpus + name, stored)) << name;
        EXPECT_EQ(stored, seed) << name;
    }
}

// ---- Hostile mode ----

// A game connection that logs in as "demo" and enters the field.
void EnterOnHall(HallClient& client) {
    client.Send(ClientRequest([](CGameSession& s) {
        const uint8_t ticket[] = {7, 5, 'K', 'e', 'y', '4', '2'};
        std::copy(std::begin(ticket), std::end(ticket), s.m_ticket);
        s.m_ticketLength = sizeof ticket;
        s.SendKeyAcknowledgement();
    }));
    ASSERT_TRUE(client.Link().SetCipher(7, "Key42"));
    client.Send(ClientRequest([](CGameSession& s) {
        std::snprintf(s.m_account, sizeof s.m_account, "demo");
        s.SendLoginRequest(1);
    }));
    client.Send(ClientRequest([](CGameSession& s) { s.SendCharSelect("Ardent"); }));
    ASSERT_FALSE(client.Receive(103).empty());
    client.Send(ClientRequest([](CGameSession& s) { s.SendMapReady(); }));
}

TEST(ServerWelcomeTest, AWalkerUsesItsSkillOnEachCharacterWhoseMapIsReady) {
    std::string error;
    std::optional<CServerWorld> world = CServerWorld::Parse(
        std::string(kWorld) + "welcome Keeper 3000049 1500\nwelcome Nobody 3000001 100\n", &error);
    ASSERT_TRUE(world) << error;
    std::vector<std::string> log;
    CServerHall hall(*world, 40000, 1, [&](const std::string& line) { log.push_back(line); });
    HallClient client(hall);
    EnterOnHall(client);
    const Bytes message = client.Receive(SERVER_SKILL_ACTION);
    ASSERT_FALSE(message.empty());
    CPacketReader body = Body(message);
    std::optional<CCombatMessage> read = ParseCombatMessage(message[0], body);
    ASSERT_TRUE(read);
    const auto* action = dynamic_cast<const CSkillActionMsg*>(read->m_record.get());
    ASSERT_NE(action, nullptr);
    EXPECT_EQ(action->m_skillId, 3000049u);
    EXPECT_EQ(action->m_actorId, CServerHall::FIRST_WALKER_ID);  // the Keeper
    EXPECT_EQ(action->m_targetId, CServerHall::FIRST_CHAR_ID);   // the character that entered
    EXPECT_EQ(action->m_x, 14u);
    EXPECT_EQ(action->m_y, 10u);
    EXPECT_EQ(action->m_time, 1500u);
    // Once: nothing for the walker the world does not have.
    EXPECT_TRUE(client.Receive(SERVER_SKILL_ACTION).empty());
    EXPECT_EQ(
        std::count_if(log.begin(), log.end(),
                      [](const std::string& l) { return l.find("welcome: Keeper") != std::string::npos; }),
        1);
}

TEST(ServerHostileTest, SendsHostileFramesForTheTimeGivenAndNeverAWebPageOrAStrangeServer) {
    CServerHall hall(CServerWorld::Default(), 40000, 1, nullptr);
    hall.SetHostile(CHostilePlan{2, true, 9});
    uint32_t now = 1000;
    hall.Tick(now);
    HallClient client(hall);
    EnterOnHall(client);
    ASSERT_TRUE(hall.HostileReport().started);

    std::map<uint8_t, int> codes;
    int frames = 0, empty = 0;
    uint64_t bytes = 0;
    while (!hall.HostileReport().ended) {
        now += 10;
        hall.Tick(now);
        bytes += client.Pending();
        for (Bytes message = client.Next(&empty); !message.empty() || client.HadFrame();
             message = client.Next(&empty)) {
            ++frames;
            if (message.empty()) continue;
            ++codes[message[0]];
            EXPECT_NE(message[0], 104) << "never a web page";
            if (message[0] == 3) {
                CPacketReader body = Body(message);
                std::optional<CServerChange> change = ParseServerChange(body);
                if (change) {
                    EXPECT_EQ(change->m_addressNet, CServerHall::OwnAddress());
                }
            }
        }
        ASSERT_LT(now, 10000u) << "hostile mode ends after its time";
    }
    const CHostileReport& report = hall.HostileReport();
    EXPECT_GE(report.msRun, 2000u);
    EXPECT_GT(report.frames, 400u) << "a few hundred frames a second";
    EXPECT_LE(report.bytes, bytes) << "every hostile byte reached the client";
    EXPECT_GT(codes.size(), 50u) << "codes of every kind";
    EXPECT_GT(empty, 0);
    EXPECT_TRUE(report.stayedConnected);
    EXPECT_EQ(report.comebacks, 0u);
}

// Runs a hall in hostile mode from the field for the seconds given and hands
// each whole message the client got to see.
void RunHostileField(uint32_t seconds, const std::function<void(const Bytes&)>& see) {
    CServerHall hall(CServerWorld::Default(), 40000, 1, nullptr);
    hall.SetHostile(CHostilePlan{seconds, true, 9});
    uint32_t now = 1000;
    hall.Tick(now);
    HallClient client(hall);
    EnterOnHall(client);
    int empty = 0;
    while (!hall.HostileReport().ended && now < 1000 + seconds * 2000) {
        now += 10;
        hall.Tick(now);
        client.Pending();
        for (Bytes message = client.Next(&empty); !message.empty() || client.HadFrame();
             message = client.Next(&empty))
            if (!message.empty()) see(message);
    }
}

TEST(ServerHostileTest, EveryCodeTheClientReadsGetsWholeBodiesOfExtremeValues) {
    CGameSession session;
    InstallPacketHandlers(session);
    static constexpr uint8_t EXTREMES[] = {0x00, 0x01, 0x7F, 0x80, 0xFE, 0xFF};
    std::map<uint8_t, int> extremeBodies;
    RunHostileField(12, [&](const Bytes& message) {
        if (message.size() < 9) return;
        const size_t extreme = size_t(std::count_if(message.begin() + 2, message.end(), [](uint8_t b) {
            return std::find(std::begin(EXTREMES), std::end(EXTREMES), b) != std::end(EXTREMES);
        }));
        if (extreme * 2 > message.size() - 2) ++extremeBodies[message[0]];
    });
    for (int code = 0; code <= MAX_SERVER_CODE; ++code) {
        if (!session.HasPacketHandler(uint8_t(code))) continue;
        if (code == 3 || code == 104)
            EXPECT_EQ(extremeBodies.count(uint8_t(code)), 0u) << code;
        else
            EXPECT_GT(extremeBodies[uint8_t(code)], 0) << "code " << code;
    }
}

TEST(ServerHostileTest, AClientFollowingAHostileServerChangeStaysInTheRun) {
    CServerHall hall(CServerWorld::Default(), 40000, 1, nullptr);
    hall.SetHostile(CHostilePlan{30, true, 9});
    uint32_t now = 1000;
    hall.Tick(now);
    std::optional<CServerChange> change;
    {
        HallClient first(hall);
        EnterOnHall(first);
        int empty = 0;
        while (!change && now < 30000) {
            now += 10;
            hall.Tick(now);
            first.Pending();
            for (Bytes message = first.Next(&empty); !change && (!message.empty() || first.HadFrame());
                 message = first.Next(&empty)) {
                if (message.size() < 2 || message[0] != 3) continue;
                CPacketReader body = Body(message);
                change = ParseServerChange(body);
                if (change && !change->m_ticketReadable) change.reset();
            }
        }
        ASSERT_TRUE(change) << "a server change among the hostile frames";
        hall.Close(first.Id());
    }
    // The client dials again with the ticket: hostile at once, not only once
    // its map is ready again.
    HallClient again(hall);
    again.Send(ClientRequest([&](CGameSession& s) {
        std::copy(change->m_ticket.begin(), change->m_ticket.end(), s.m_ticket);
        s.m_ticketLength = uint8_t(change->m_ticket.size());
        s.SendKeyAcknowledgement();
    }));
    EXPECT_EQ(hall.HostileReport().comebacks, 1u);
    hall.Tick(now + 100);
    EXPECT_GT(again.Pending(), 0u) << "hostile frames go on";
}

TEST(ServerHostileTest, TheRunningServerTurnsHostileAtThePhaseGiven) {
    g_config.m_clientVersion = CLIENT_VERSION;
    CQmServer server(TestWorld(), 7);
    server.SetHostile(CHostilePlan{1, false, 9});
    std::string error;
    ASSERT_TRUE(server.Start(0, &error)) << error;
    ServerBot bot;
    ASSERT_TRUE(bot.Connect(Loopback(), server.Port()));
    ASSERT_TRUE(bot.ReadGreeting());
    ASSERT_TRUE(bot.Send(ClientRequest([](CGameSession& s) { s.SendFirstRequest(); })));
    // Hostile from the log-in on: frames keep coming until its second is over.
    // The frames are read until the server's clock ends the mode, however
    // slowly its thread runs; the deadline only stops a server that never ends it.
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    while (!server.HostileReport().ended && std::chrono::steady_clock::now() < deadline) bot.Receive(10);
    const CHostileReport report = server.HostileReport();
    server.Stop();
    EXPECT_TRUE(report.started);
    EXPECT_TRUE(report.ended);
    EXPECT_GT(report.frames, 100u);
}

TEST(ServerHostileTest, CountsTheClientComingBack) {
    CServerHall hall(CServerWorld::Default(), 40000, 1, nullptr);
    hall.SetHostile(CHostilePlan{5, false, 9});
    hall.Tick(1);
    {
        HallClient first(hall);
        first.Send(ClientRequest([](CGameSession& s) { s.SendFirstRequest(); }));
        EXPECT_TRUE(hall.HostileReport().started);
        hall.Close(first.Id());
    }
    HallClient again(hall);
    again.Send(ClientRequest([](CGameSession& s) { s.SendFirstRequest(); }));
    EXPECT_FALSE(hall.HostileReport().stayedConnected);
    EXPECT_EQ(hall.HostileReport().comebacks, 1u);
}

}  // namespace
