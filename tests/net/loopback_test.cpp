// The client's connection and session against the scripted server over
// 127.0.0.1 with the system's sockets.
#include <gtest/gtest.h>
#include <unistd.h>

#include <functional>
#include <string>
#include <vector>

#include "core/config.h"
#include "net/connection.h"
#include "net/game_session.h"
#include "platform/clock.h"
#include "platform/socket.h"
#include "tests/net/net_fixture.h"
#include "tests/support/data_fixtures.h"
#include "tests/support/test_server.h"

namespace {

using Bytes = std::vector<uint8_t>;

class LoopbackTest : public nettest::ConnectionFixture {
protected:
    // The main window passes notifications on to the session.
    void Post(uint32_t, uintptr_t wParam, intptr_t lParam) override {
        m_session.OnSocketNotify(wParam, lParam);
    }

    void SetUp() override {
        ConnectionFixture::SetUp();
        m_session.SetDisconnectNotice([this] { ++m_notices; });
    }

    // Runs frames (messages pumped, then the session's frame work) until done
    // says so; false after a few seconds.
    bool RunFramesUntil(const std::function<bool()>& done) {
        for (int frame = 0; frame < 400; ++frame) {
            plat::PumpSocketNotifications();
            m_session.ReceivePackets();
            if (done()) return true;
            usleep(5000);
        }
        return false;
    }

    // Connects to the server: Connect returns at once, the connect completes
    // across frames.
    void ConnectTo(uint16_t port) {
        m_connection->Connect(qmtest::TestServer::Address(), port);
        EXPECT_TRUE(m_connection->IsConnecting() || m_connection->IsConnected());
        ASSERT_TRUE(RunFramesUntil([&] { return !m_connection->IsConnecting(); }));
        ASSERT_TRUE(m_connection->IsConnected());
    }

    // Connects to the server, answers its greeting with the first request and
    // installs the key the server hands out on both sides.
    void Handshake(qmtest::TestServer& server) {
        g_config.m_clientVersion = CLIENT_VERSION;
        // The key set-up message: [0][0][mask function][key].
        bool keyed = false;
        m_session.SetPacketHandler(0, [&keyed](CGameSession&, uint8_t, CPacketReader& body) {
            if (body.GetByte() != 0) return;
            int function = body.GetByte();
            std::string key = body.GetString();
            g_connection->SetRawMode(false, false);
            keyed = g_connection->BuildMaskTable(function) && g_connection->SetCipherKey(key);
        });

        ASSERT_NO_FATAL_FAILURE(ConnectTo(server.Port()));
        ASSERT_TRUE(server.Accept());

        ASSERT_TRUE(server.SendGreeting());
        ASSERT_TRUE(
            RunFramesUntil([&] { return m_session.m_loginPhase == CGameSession::PHASE_FIRST_REQUEST_SENT; }));
        EXPECT_EQ(m_session.m_established, 1);
        EXPECT_STREQ(ConnectStatusText, "Connected To Login Server");

        // The first request goes out once the socket reports itself writable.
        ASSERT_TRUE(RunFramesUntil([&] { return m_session.QueuedMessages() == 0; }));
        const uint16_t version = g_config.m_clientVersion;
        EXPECT_EQ(server.ReceiveMessage(), (Bytes{0, uint8_t(version >> 8), uint8_t(version), 65}));

        ASSERT_TRUE(server.SendMessage({0, 0, 7, 5, 'K', 'e', 'y', '4', '2'}));
        ASSERT_TRUE(RunFramesUntil([&] { return keyed; }));
        ASSERT_TRUE(server.SetCipher(7, "Key42"));
        m_session.SetPacketHandler(0, nullptr);
    }

    plat::FakeClock m_clock;
    plat::ScopedClock m_clockScope{m_clock};
    CGameSession m_session;
    int m_notices = 0;
};

TEST_F(LoopbackTest, GreetingFirstRequestKeyAndEncipheredExchange) {
    qmtest::TestServer server;
    ASSERT_TRUE(server.Listening());
    std::vector<Bytes> chat;
    m_session.SetPacketHandler(10, [&chat](CGameSession&, uint8_t, CPacketReader& body) {
        chat.emplace_back(body.Current(), body.Current() + body.Remaining());
    });
    ASSERT_NO_FATAL_FAILURE(Handshake(server));

    // Client to server, enciphered.
    const Bytes request = {14, 3, 'h', 'e', 'y'};
    ASSERT_TRUE(m_session.QueueMessage(request.data(), request.size()));
    ASSERT_TRUE(RunFramesUntil([&] { return m_session.QueuedMessages() == 0; }));
    EXPECT_EQ(server.ReceiveMessage(), request);

    // Server to client, enciphered, two at once.
    ASSERT_TRUE(server.SendMessage({10, 1, 2, 3}));
    ASSERT_TRUE(server.SendMessage({10, 4}));
    ASSERT_TRUE(RunFramesUntil([&] { return chat.size() == 2; }));
    EXPECT_EQ(chat, (std::vector<Bytes>{{1, 2, 3}, {4}}));

    // The server hangs up: the connection closes and the user is told once.
    server.CloseClient();
    ASSERT_TRUE(RunFramesUntil([&] { return !m_connection->IsConnected(); }));
    EXPECT_EQ(m_notices, 1);
    EXPECT_EQ(m_session.m_established, 0);
}

TEST_F(LoopbackTest, ChatLineArrivesEncipheredAndDecodes) {
    qmtest::TestServer server;
    ASSERT_TRUE(server.Listening());
    ASSERT_NO_FATAL_FAILURE(Handshake(server));

    const std::string line = "Hello, field!";
    ASSERT_TRUE(m_session.SendChat(0, line.c_str()));
    ASSERT_TRUE(RunFramesUntil([&] { return m_session.QueuedMessages() == 0; }));
    // The server deciphers the request: [14][kind][length + 1][line][0].
    Bytes received = server.ReceiveMessage();
    ASSERT_FALSE(received.empty());
    CPacketReader reader(received.data(), received.size());
    EXPECT_EQ(reader.GetByte(), 14);
    EXPECT_EQ(reader.GetByte(), 0) << "kind";
    const size_t counted = reader.GetByte();
    EXPECT_EQ(counted, line.size() + 1) << "the length counts the terminating 0";
    ASSERT_EQ(reader.Remaining(), counted);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(reader.Current()), line.size()), line);
    EXPECT_EQ(reader.Current()[line.size()], 0);
}

TEST_F(LoopbackTest, ClientCloseIsSeenByTheServer) {
    qmtest::TestServer server;
    ASSERT_NO_FATAL_FAILURE(ConnectTo(server.Port()));
    ASSERT_TRUE(server.Accept());
    m_connection->Close();
    EXPECT_TRUE(server.WaitClientClosed());
    EXPECT_EQ(m_clock.Milliseconds(), 0u) << "neither connect nor close waits";
}

TEST_F(LoopbackTest, RefusedConnectLeavesNoSocket) {
    uint16_t port;
    {
        qmtest::TestServer server;
        port = server.Port();
    }
    std::vector<std::string> rows(CONNECT_FAILED_ROW + 1);
    rows[CONNECT_FAILED_ROW] = "no server";
    qmtest::ScopedTextTables texts({{CONNECT_FAILED_TABLE, rows}});
    m_connection->Connect(qmtest::TestServer::Address(), port);
    ASSERT_TRUE(RunFramesUntil([&] { return !m_connection->IsConnecting(); }));
    EXPECT_FALSE(m_connection->IsConnected());
    EXPECT_STREQ(ConnectStatusText, "no server");
    EXPECT_EQ(m_notices, 0);
    qmtest::TestServer server;
    ASSERT_NO_FATAL_FAILURE(ConnectTo(server.Port())) << "the socket layer still works";
}

// The whole log-in with the program's own handlers: the login server hands
// out a key, then sends the client on to a game server with a ticket.
TEST_F(LoopbackTest, LogInMovesToTheSecondServerWithTheTicketsKey) {
    qmtest::TestServer login, game;
    ASSERT_TRUE(login.Listening());
    ASSERT_TRUE(game.Listening());
    InstallPacketHandlers(m_session);
    g_config.m_clientVersion = CLIENT_VERSION;

    ASSERT_NO_FATAL_FAILURE(ConnectTo(login.Port()));
    ASSERT_TRUE(login.Accept());
    ASSERT_TRUE(login.SendGreeting());
    // [0][version][65], in clear.
    const uint16_t version = g_config.m_clientVersion;
    ASSERT_TRUE(
        RunFramesUntil([&] { return m_session.m_loginPhase == CGameSession::PHASE_FIRST_REQUEST_SENT; }));
    ASSERT_TRUE(RunFramesUntil([&] { return m_session.QueuedMessages() == 0; }));
    EXPECT_EQ(login.ReceiveMessage(), (Bytes{0, uint8_t(version >> 8), uint8_t(version), 65}));

    // 0/0: the key; the world list is asked for under it.
    ASSERT_TRUE(login.SendMessage({0, 0, 7, 5, 'K', 'e', 'y', '4', '2'}));
    ASSERT_TRUE(RunFramesUntil([&] { return m_session.m_pendingRequest == 87; }));
    ASSERT_TRUE(login.SetCipher(7, "Key42"));
    ASSERT_TRUE(RunFramesUntil([&] { return m_session.QueuedMessages() == 0; }));
    EXPECT_EQ(login.ReceiveMessage(), (Bytes{87, 1}));

    // 3: on to the game server at 127.0.0.1 (a big-endian number whose value
    // is the address in network order) with a ticket carrying mask function 3
    // and its key.
    const Bytes ticket = {3, 5, 'N', 'e', 'x', 't', '7'};
    Bytes change = {3, 1, 0, 0, 127, uint8_t(game.Port() >> 8), uint8_t(game.Port()), uint8_t(ticket.size())};
    change.insert(change.end(), ticket.begin(), ticket.end());
    change.insert(change.end(), {2, 'g', 'o'});
    ASSERT_TRUE(login.SendMessage(change));
    ASSERT_TRUE(RunFramesUntil([&] { return m_session.m_noticeFlag == 1; }));
    ASSERT_TRUE(game.Accept());
    EXPECT_TRUE(login.WaitClientClosed());

    // [16][ticket] leaves in clear; the greeting is read raw and passed over;
    // [15][3] follows under the ticket's key.
    ASSERT_TRUE(game.SetCipher(3, "Next7"));
    ASSERT_TRUE(game.SendGreeting());
    ASSERT_TRUE(RunFramesUntil([&] { return m_session.QueuedMessages() == 0; }));
    Bytes acknowledgement = {16};
    acknowledgement.insert(acknowledgement.end(), ticket.begin(), ticket.end());
    EXPECT_EQ(game.ReceiveMessage(), acknowledgement);
    EXPECT_EQ(game.ReceiveMessage(), (Bytes{15, 3}));
    EXPECT_EQ(m_session.m_pendingRequest, 87);

    // The link goes on under the new key both ways.
    std::vector<Bytes> chat;
    m_session.SetPacketHandler(10, [&chat](CGameSession&, uint8_t, CPacketReader& body) {
        chat.emplace_back(body.Current(), body.Current() + body.Remaining());
    });
    ASSERT_TRUE(game.SendMessage({10, 1, 2}));
    ASSERT_TRUE(RunFramesUntil([&] { return chat.size() == 1; }));
    EXPECT_EQ(chat[0], (Bytes{1, 2}));
}

TEST_F(LoopbackTest, EmptyKeyEndsTheLink) {
    qmtest::TestServer server;
    InstallPacketHandlers(m_session);
    ASSERT_NO_FATAL_FAILURE(ConnectTo(server.Port()));
    ASSERT_TRUE(server.Accept());
    ASSERT_TRUE(server.SendGreeting());
    ASSERT_TRUE(
        RunFramesUntil([&] { return m_session.QueuedMessages() == 0 && m_session.m_loginPhase == 2; }));
    ASSERT_FALSE(server.ReceiveMessage().empty());
    ASSERT_TRUE(server.SendMessage({0, 0, 7, 0}));
    ASSERT_TRUE(RunFramesUntil([&] { return !m_connection->IsConnected(); }));
    EXPECT_TRUE(server.WaitClientClosed());
    EXPECT_EQ(m_session.QueuedMessages(), 0u) << "no world request";
}

}  // namespace
