#include "net/game_session.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "core/config.h"
#include "tests/net/net_fixture.h"

namespace {

using nettest::Bytes;

class GameSessionTest : public nettest::ScriptedConnectionTest {
protected:
    void SetUp() override {
        ScriptedConnectionTest::SetUp();
        m_session.SetDisconnectNotice([this] { ++m_notices; });
    }
    // Notifications go to the session as the main window passes them on.
    void OnPosted(uintptr_t wParam, intptr_t lParam) override { m_session.OnSocketNotify(wParam, lParam); }

    // Connected, framed, and writable as after the first FD_WRITE.
    void Ready() {
        ConnectFramed();
        m_session.SetWritable(1);
    }
    // Records the messages of a code as they are dispatched.
    void Record(uint8_t code) {
        m_session.SetPacketHandler(code, [this](CGameSession&, uint8_t c, CPacketReader& body) {
            Bytes message = {c};
            message.insert(message.end(), body.Current(), body.Current() + body.Remaining());
            m_dispatched.push_back(message);
        });
    }
    // The messages the server got since the last call.
    std::vector<Bytes> Sent() { return ServerDecode(PeerReceived()); }

    CGameSession m_session;
    std::vector<Bytes> m_dispatched;
    int m_notices = 0;
};

TEST_F(GameSessionTest, QueueTakesUpTo16383Bytes) {
    const Bytes full(255, 14);
    EXPECT_FALSE(m_session.QueueMessage(full.data(), 10)) << "not connected";
    Ready();
    // 64 messages of 255 bytes and one of 63: 16,383 bytes.
    for (int i = 0; i < 64; ++i) ASSERT_TRUE(m_session.QueueMessage(full.data(), 255));
    EXPECT_FALSE(m_session.QueueMessage(full.data(), 64)) << "would reach 16,384";
    EXPECT_TRUE(m_session.QueueMessage(full.data(), 63));
    EXPECT_EQ(m_session.QueuedBytes(), 16383u);
    EXPECT_FALSE(m_session.QueueMessage(full.data(), 1));
    EXPECT_EQ(m_session.QueuedMessages(), 65u);

    m_session.Reset();
    EXPECT_EQ(m_session.QueuedBytes(), 0u);
    EXPECT_FALSE(m_session.QueueMessage(full.data(), 0)) << "empty message";
    Bytes tooLong(256, 14);
    EXPECT_FALSE(m_session.QueueMessage(tooLong.data(), 256)) << "longer than 255";
    EXPECT_EQ(m_session.QueuedMessages(), 0u);

    CPacketWriter overflow(14);
    overflow.PutBytes(full.data(), 255);
    EXPECT_TRUE(overflow.Failed());
    EXPECT_FALSE(m_session.QueueMessage(overflow));
}

TEST_F(GameSessionTest, OneMessagePerFrameInOrder) {
    Ready();
    const Bytes first = {14, 'a'}, second = {16, 'b', 'c'};
    ASSERT_TRUE(m_session.QueueMessage(first.data(), first.size()));
    ASSERT_TRUE(m_session.QueueMessage(second.data(), second.size()));
    m_session.ReceivePackets();
    EXPECT_EQ(Sent(), (std::vector<Bytes>{first}));
    m_session.ReceivePackets();
    EXPECT_EQ(Sent(), (std::vector<Bytes>{second}));
    m_session.ReceivePackets();
    EXPECT_TRUE(Sent().empty());
    EXPECT_EQ(m_session.QueuedMessages(), 0u);
}

TEST_F(GameSessionTest, NothingLeavesBeforeTheSocketIsWritable) {
    ConnectFramed();
    const Bytes message = {14, 'a'};
    m_session.QueueMessage(message.data(), message.size());
    m_sockets.ClearCalls();
    m_session.FlushSendBuffer();
    m_session.FlushSendBuffer();
    EXPECT_EQ(m_sockets.Calls(), (std::vector<std::string>{"select 34", "select 34"}));
    EXPECT_TRUE(Sent().empty());
    // The layer reports the socket writable when messages are pumped.
    plat::PumpSocketNotifications();
    EXPECT_EQ(m_session.Writable(), 1);
    m_session.FlushSendBuffer();
    EXPECT_EQ(Sent(), (std::vector<Bytes>{message}));
}

TEST_F(GameSessionTest, BlockedSendKeepsTheMessageQueuedUntilItIsWhole) {
    Ready();
    const Bytes first = {14, 1, 2, 3, 4, 5, 6}, second = {15, 0};
    m_session.QueueMessage(first.data(), first.size());
    m_session.QueueMessage(second.data(), second.size());
    m_sockets.LimitNextSends({3, 0});
    m_session.FlushSendBuffer();
    EXPECT_EQ(m_session.QueuedMessages(), 2u);
    EXPECT_EQ(m_session.Writable(), 0);
    EXPECT_EQ(m_sockets.Calls().back(), "select 34");

    m_session.FlushSendBuffer();  // not writable: waits
    EXPECT_EQ(m_session.QueuedMessages(), 2u);
    plat::PumpSocketNotifications();
    ASSERT_EQ(m_session.Writable(), 1);
    m_session.FlushSendBuffer();
    EXPECT_EQ(m_session.QueuedMessages(), 1u);
    m_session.FlushSendBuffer();
    EXPECT_EQ(m_session.QueuedMessages(), 0u);
    EXPECT_EQ(Sent(), (std::vector<Bytes>{first, second}));
}

// The keep-alive's minute runs across connections: a session reset for a
// new connection keeps the stamp of the program's first frame, so a minute
// after that frame the keep-alive is due at once, and not again for a minute.
TEST_F(GameSessionTest, AResetKeepsTheKeepAlivesMinute) {
    m_session.ReceivePackets();  // the program's first frame, not connected
    m_clock.Advance(30000);
    m_session.Reset();
    Ready();
    m_clock.Advance(30000);
    m_session.ReceivePackets();  // queued now, sent on the next frame
    m_session.ReceivePackets();
    int keepAlives = 0;
    for (const Bytes& message : Sent()) keepAlives += message == Bytes{15, 0};
    EXPECT_EQ(keepAlives, 1) << "due a minute after the first frame, not after the reset";
}

TEST_F(GameSessionTest, OneKeepAlivePerMinute) {
    Ready();
    auto keepAlives = [this] {
        int count = 0;
        for (const Bytes& message : Sent()) count += message == Bytes{15, 0};
        return count;
    };
    m_session.ReceivePackets();
    m_clock.Advance(59999);
    m_session.ReceivePackets();
    m_session.ReceivePackets();
    EXPECT_EQ(keepAlives(), 0);
    m_clock.Advance(1);
    m_session.ReceivePackets();  // queued now, sent on the next frame
    m_session.ReceivePackets();
    EXPECT_EQ(keepAlives(), 1);
    m_clock.Advance(5 * 60000);
    for (int i = 0; i < 4; ++i) m_session.ReceivePackets();
    EXPECT_EQ(keepAlives(), 1) << "one, however long it has been";
    m_clock.Advance(59999);
    for (int i = 0; i < 4; ++i) m_session.ReceivePackets();
    EXPECT_EQ(keepAlives(), 0);
}

Bytes GreetingOf(size_t length) {
    Bytes greeting(SERVER_GREETING, SERVER_GREETING + SERVER_GREETING_LENGTH);
    greeting.resize(length, 0);
    return greeting;
}

TEST_F(GameSessionTest, GreetingIsTheFirstMessageOfAtLeast19Bytes) {
    Ready();
    SetConnectStatusText("");
    // 18 bytes are dispatched by their first byte ('~', above the codes).
    Bytes shorter = GreetingOf(18);
    m_session.DispatchPacket(shorter.data(), shorter.size());
    EXPECT_EQ(m_session.m_loginPhase, CGameSession::PHASE_WAIT_GREETING);
    EXPECT_EQ(m_session.m_established, 0);
    EXPECT_STREQ(ConnectStatusText, "");

    const uint16_t savedVersion = g_config.m_clientVersion;
    g_config.m_clientVersion = 0x0167;
    Bytes exact = GreetingOf(19);
    m_session.DispatchPacket(exact.data(), exact.size());
    EXPECT_STREQ(ConnectStatusText, "Connected To Login Server");
    EXPECT_EQ(m_session.m_established, 1);
    EXPECT_EQ(m_session.m_loginPhase, CGameSession::PHASE_FIRST_REQUEST_SENT);
    EXPECT_EQ(m_session.m_pendingRequest, 0);
    m_session.FlushSendBuffer();
    EXPECT_EQ(PeerReceived(), (Bytes{0xAA, 0, 4, 0, 0x01, 0x67, 65})) << "in clear, the version big-endian";
    g_config.m_clientVersion = savedVersion;

    // A greeting that does not match still moves the session on.
    m_session.Reset();
    m_session.SetWritable(1);
    SetConnectStatusText("");
    Bytes other(40, 'x');
    m_session.DispatchPacket(other.data(), other.size());
    EXPECT_STREQ(ConnectStatusText, "");
    EXPECT_EQ(m_session.m_loginPhase, CGameSession::PHASE_FIRST_REQUEST_SENT);
    EXPECT_EQ(m_session.QueuedMessages(), 1u);
}

TEST_F(GameSessionTest, DispatchByCodeThroughTheTable) {
    m_session.m_loginPhase = CGameSession::PHASE_NOTICE;
    Record(5);
    Record(121);
    const Bytes known = {5, 1, 2}, last = {121}, unhandled = {7, 1}, above = {122, 1}, empty = {};
    for (const Bytes* message : {&known, &last, &unhandled, &above, &empty})
        m_session.DispatchPacket(message->data(), message->size());
    EXPECT_EQ(m_dispatched, (std::vector<Bytes>{known, last}));
    EXPECT_TRUE(m_session.HasPacketHandler(5));
    EXPECT_FALSE(m_session.HasPacketHandler(7));
    m_session.SetPacketHandler(5, nullptr);
    EXPECT_FALSE(m_session.HasPacketHandler(5));
}

TEST_F(GameSessionTest, DeferredPacketsComeBeforeNewFrames) {
    Ready();
    m_session.m_loginPhase = CGameSession::PHASE_NOTICE;
    Record(5);
    // Code 6 defers a packet of code 5 once, and code 7 defers one of code 8,
    // whose handler defers another 5 while deferred packets are delivered.
    m_session.SetPacketHandler(6, [](CGameSession& s, uint8_t, CPacketReader&) {
        const uint8_t deferred[] = {5, 'd'};
        EXPECT_TRUE(s.QueuePacket(deferred, 2));
    });
    m_session.SetPacketHandler(8, [this](CGameSession& s, uint8_t, CPacketReader&) {
        m_dispatched.push_back({8});
        const uint8_t deferred[] = {5, 'l'};
        s.QueuePacket(deferred, 2);
    });
    PeerSend(ServerFrame({6}));
    m_session.ReceivePackets();
    EXPECT_TRUE(m_dispatched.empty());
    EXPECT_EQ(m_session.DeferredCount(), 1u);

    PeerSend(ServerFrame({5, 'n'}));
    const uint8_t eight[] = {8};
    m_session.QueuePacket(eight, 1);
    m_session.ReceivePackets();
    EXPECT_EQ(m_dispatched, (std::vector<Bytes>{{5, 'd'}, {8}, {5, 'n'}}));
    m_dispatched.clear();
    m_session.ReceivePackets();
    EXPECT_EQ(m_dispatched, (std::vector<Bytes>{{5, 'l'}})) << "deferred while delivering: one more frame";

    m_session.QueuePacket(eight, 1);
    m_session.Reset();
    EXPECT_EQ(m_session.DeferredCount(), 0u);
    m_connection->Close();
    EXPECT_FALSE(m_session.QueuePacket(eight, 1)) << "not connected";
}

TEST_F(GameSessionTest, TwoFramesInOneReadAreDispatchedInTheSameFrame) {
    Ready();
    m_session.m_loginPhase = CGameSession::PHASE_NOTICE;
    Record(5);
    Bytes both = ServerFrame({5, 1});
    Bytes second = ServerFrame({5, 2});
    both.insert(both.end(), second.begin(), second.end());
    PeerSend(both);
    m_session.ReceivePackets();
    EXPECT_EQ(m_dispatched, (std::vector<Bytes>{{5, 1}, {5, 2}}));
}

TEST_F(GameSessionTest, PeerCloseTakesTheDisconnectPath) {
    Ready();
    m_session.m_established = 1;
    m_sockets.PeerClose(m_socket);
    m_session.ReceivePackets();
    EXPECT_FALSE(m_connection->IsConnected());
    EXPECT_EQ(m_notices, 1);
    EXPECT_EQ(m_session.m_established, 0);
    // A late close notice of the same socket changes nothing more.
    m_session.OnSocketNotify(uintptr_t(m_socket), plat::FD_CLOSE);
    EXPECT_EQ(m_notices, 1);
}

TEST_F(GameSessionTest, SocketNotificationsMarkTheSession) {
    Ready();
    m_session.SetWritable(0);
    m_session.OnSocketNotify(uintptr_t(m_socket), plat::FD_READ);
    m_session.OnSocketNotify(uintptr_t(m_socket), plat::FD_WRITE);
    EXPECT_EQ(m_session.Readable(), 1);
    EXPECT_EQ(m_session.Writable(), 1);
    m_session.ReceivePackets();
    EXPECT_EQ(m_session.Readable(), 0);

    // A close notice of an earlier socket does not close the current one.
    m_session.m_established = 1;
    m_session.OnSocketNotify(uintptr_t(m_socket + 100), plat::FD_CLOSE);
    EXPECT_TRUE(m_connection->IsConnected());
    m_session.OnSocketNotify(uintptr_t(m_socket), plat::FD_CLOSE);
    EXPECT_FALSE(m_connection->IsConnected());
    EXPECT_EQ(m_notices, 1);
}

TEST_F(GameSessionTest, ResetReturnsToTheStateBeforeAConnection) {
    Ready();
    m_session.m_established = 1;
    m_session.m_loginPhase = 9;
    m_session.m_pendingRequest = 87;
    m_session.m_loginResult = 0;
    m_session.m_launcherLogin = 1;
    std::strcpy(m_session.m_account, "someone");
    m_session.m_serverList.resize(2);
    const Bytes message = {14};
    m_session.QueueMessage(message.data(), 1);
    m_session.Reset();
    EXPECT_EQ(m_session.m_established, 0);
    EXPECT_EQ(m_session.m_loginPhase, 0u);
    EXPECT_EQ(m_session.m_pendingRequest, -1);
    EXPECT_EQ(m_session.m_loginResult, -1);
    EXPECT_EQ(m_session.m_launcherLogin, 0);
    EXPECT_STREQ(m_session.m_account, "");
    EXPECT_TRUE(m_session.m_serverList.empty());
    EXPECT_EQ(m_session.QueuedMessages(), 0u);
    EXPECT_EQ(m_session.Writable(), 0);
}

}  // namespace
