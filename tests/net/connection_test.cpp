#include "net/connection.h"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <utility>
#include <vector>

#include "core/config.h"
#include "data/text_tables.h"
#include "net/game_session.h"
#include "tests/net/net_fixture.h"
#include "tests/support/data_fixtures.h"

namespace {

using nettest::Bytes;
using nettest::PostedNotification;

class ConnectionTest : public nettest::ScriptedConnectionTest {};

TEST_F(ConnectionTest, ConnectOpensAndRegistersTheSocket) {
    Connect();
    EXPECT_EQ(m_sockets.Calls(),
              (std::vector<std::string>{"open", "buffers 16384 16384",
                                        "connect 127.0.0.1:40000 timeout 10000", "select 33"}));
    EXPECT_EQ(m_clock.Milliseconds(), 0u) << "nothing waits";
    EXPECT_EQ(m_connection->SelectMask(), 33);
    EXPECT_FALSE(m_connection->IsConnecting());
    EXPECT_TRUE(m_connection->RawMode());
    uint32_t address = 0;
    uint16_t port = 0;
    EXPECT_TRUE(m_connection->IsConnected(&address, &port));
    EXPECT_EQ(address, plat::MakeIPv4(127, 0, 0, 1));
    EXPECT_EQ(port, 40000);
    EXPECT_TRUE(IsServerConnected());

    m_sockets.ClearCalls();
    m_connection->EnableWriteNotify(plat::FD_READ);
    EXPECT_EQ(m_sockets.Calls(), (std::vector<std::string>{"select 34"}));
    EXPECT_EQ(m_connection->SelectMask(), 34);
}

TEST_F(ConnectionTest, CloseAndReconnect) {
    Connect();
    m_sockets.ClearCalls();
    m_connection->Connect(plat::MakeIPv4(127, 0, 0, 1), 40001);
    EXPECT_EQ(m_sockets.Calls(),
              (std::vector<std::string>{"select 0", "close", "open", "buffers 16384 16384",
                                        "connect 127.0.0.1:40001 timeout 10000", "select 33"}));
    m_connection->Close();
    EXPECT_FALSE(m_connection->IsConnected());
    EXPECT_FALSE(IsServerConnected());
    m_connection->Close();
    EXPECT_EQ(m_clock.Milliseconds(), 0u) << "neither connect nor close waits";
}

TEST_F(ConnectionTest, FailedConnectKeepsTheSocketLayerForTheNextOne) {
    m_sockets.FailNextConnects(1);
    m_connection->Connect(plat::MakeIPv4(127, 0, 0, 1), 40000);
    EXPECT_FALSE(m_connection->IsConnected());
    EXPECT_EQ(m_sockets.Calls().back(), "close");
    EXPECT_EQ(m_sockets.StartupCount(), 1);
    EXPECT_EQ(m_clock.TotalSlept(), 0u);

    Connect();
    EXPECT_TRUE(m_connection->IsConnected());
}

// Bytes written by the server in separate pieces, and the frames the client
// hands out after each piece.
struct StreamCase {
    const char* name;
    std::vector<std::pair<Bytes, std::vector<Bytes>>> steps;
};

Bytes Concat(std::initializer_list<Bytes> parts) {
    Bytes all;
    for (const Bytes& part : parts) all.insert(all.end(), part.begin(), part.end());
    return all;
}

TEST_F(ConnectionTest, FramedStreamsStayInStep) {
    Bytes big(20000, 0x5A);
    big[0] = 3;  // received in clear
    Bytes bigFrame = Concat({{0xAA, 0x4E, 0x20}, big});
    const Bytes split = {0xAA, 0x00, 0x03, 0x40, 0x01, 0x02};

    std::vector<StreamCase> cases = {
        {"junk before the start byte", {{{1, 2, 3, 0x55, 0xAA, 0x00, 0x02, 0x03, 0x07}, {{0x03, 0x07}}}}},
        {"junk between frames", {{{0xAA, 0, 1, 3, 0xFF, 0x00, 0xAA, 0, 1, 64}, {{3}, {64}}}}},
        {"two frames in one read", {{{0xAA, 0, 1, 3, 0xAA, 0, 2, 64, 5}, {{3}, {64, 5}}}}},
        {"empty frame then a frame", {{{0xAA, 0, 0, 0xAA, 0, 1, 3}, {{3}}}}},
        {"empty frame alone", {{{0xAA, 0, 0}, {}}, {{0xAA, 0, 1, 0}, {{0}}}}},
        {"a frame of 20,000 bytes then a frame", {{Concat({bigFrame, {0xAA, 0, 1, 64}}), {big, {64}}}}},
        {"header split after its start", {{{0xAA}, {}}, {{0x00}, {}}, {{0x01, 0x03}, {{3}}}}},
    };
    // One byte at a time: nothing until the last.
    StreamCase byByte{"one byte at a time", {}};
    for (size_t i = 0; i < split.size(); ++i)
        byByte.steps.push_back(
            {{split[i]}, i + 1 == split.size() ? std::vector<Bytes>{{0x40, 1, 2}} : std::vector<Bytes>{}});
    cases.push_back(byByte);

    for (const StreamCase& c : cases) {
        SCOPED_TRACE(c.name);
        ConnectFramed();
        for (const auto& [bytes, expected] : c.steps) {
            PeerSend(bytes);
            EXPECT_EQ(ReceiveAll(), expected);
        }
        m_connection->Close();
    }
}

TEST_F(ConnectionTest, EncipheredFramesAreDeciphered) {
    ConnectFramed();
    m_serverCipher.SetSendSequence(254);
    PeerSend(Concat({ServerFrame({10, 1, 2, 3}), ServerFrame({11, 9, 8}), ServerFrame({12})}));
    // 1- and 2-byte enciphered frames give the opcode alone.
    PeerSend({0xAA, 0, 1, 13, 0xAA, 0, 2, 14, 0x77});
    EXPECT_EQ(ReceiveAll(), (std::vector<Bytes>{{10, 1, 2, 3}, {11, 9, 8}, {12}, {13}, {14}}));
}

TEST_F(ConnectionTest, RawFramesAreTakenAsTheyCome) {
    Connect();  // raw after connecting
    // The first header byte is not looked at, and nothing is deciphered.
    PeerSend({0x00, 0x00, 0x03, 10, 'b', 'c', 0x31, 0x00, 0x00, 0x07, 0x00, 0x01, 'z'});
    EXPECT_EQ(ReceiveAll(), (std::vector<Bytes>{{10, 'b', 'c'}, {'z'}}));

    // Raw once: the flag stays until its frame is complete.
    m_connection->SetRawMode(false, true);
    EXPECT_FALSE(m_connection->RawMode());
    PeerSend({0x01, 0x00, 0x04, 'w', 'x'});
    EXPECT_TRUE(ReceiveAll().empty());
    EXPECT_TRUE(m_connection->RawOnce());
    PeerSend({'y', 'z'});
    EXPECT_EQ(ReceiveAll(), (std::vector<Bytes>{{'w', 'x', 'y', 'z'}}));
    EXPECT_FALSE(m_connection->RawOnce());
    PeerSend(Concat({{0x01}, ServerFrame({20, 4, 5})}));
    EXPECT_EQ(ReceiveAll(), (std::vector<Bytes>{{20, 4, 5}})) << "framed again: junk skipped, deciphered";
}

TEST_F(ConnectionTest, SendsClearAndEncipheredFrames) {
    ConnectFramed();
    for (uint8_t opcode : std::initializer_list<uint8_t>{0, 1, 16, 40}) {
        const Bytes message = {opcode, 7, 8};
        EXPECT_EQ(m_connection->SendPacket(message.data(), message.size()), 6);
        EXPECT_EQ(PeerReceived(), Concat({{0xAA, 0, 3}, message}));
    }
    m_connection->Cipher().SetSendSequence(255);
    const Bytes first = {14, 'h', 'i'}, second = {3, 1};
    EXPECT_EQ(m_connection->SendPacket(first.data(), first.size()), 7);
    EXPECT_EQ(m_connection->SendPacket(second.data(), second.size()), 6);
    Bytes sent = PeerReceived();
    ASSERT_EQ(sent.size(), 13u);
    EXPECT_EQ(Bytes(sent.begin(), sent.begin() + 5), (Bytes{0xAA, 0, 4, 14, 255}));
    EXPECT_EQ(Bytes(sent.begin() + 7, sent.begin() + 12), (Bytes{0xAA, 0, 3, 3, 0}))
        << "255 is followed by 0";
    EXPECT_EQ(ServerDecode(sent), (std::vector<Bytes>{first, second}));

    EXPECT_EQ(m_connection->SendPacket(nullptr, 3), 0);
    EXPECT_EQ(m_connection->SendPacket(first.data(), 0), 0);
    EXPECT_TRUE(PeerReceived().empty());
}

TEST_F(ConnectionTest, ShortSendKeepsItsTail) {
    ConnectFramed();
    const Bytes message = {14, 1, 2, 3, 4, 5};
    m_sockets.LimitNextSends({4, 0});
    EXPECT_EQ(m_connection->SendPacket(message.data(), message.size()), 4);
    EXPECT_TRUE(m_connection->HasPendingOutput());
    EXPECT_TRUE(m_connection->SendWouldBlock());
    // Another message waits behind the unfinished frame.
    m_sockets.LimitNextSends({0});
    const Bytes next = {15, 0};
    EXPECT_EQ(m_connection->SendPacket(next.data(), next.size()), 0);

    EXPECT_EQ(m_connection->SendPending(), 6);
    EXPECT_FALSE(m_connection->HasPendingOutput());
    EXPECT_EQ(ServerDecode(PeerReceived()), (std::vector<Bytes>{message}));
}

TEST_F(ConnectionTest, PeerCloseClosesAndPostsTheCloseNotification) {
    ConnectFramed();
    PeerSend(ServerFrame({10, 1}));
    m_sockets.PeerClose(m_socket);
    EXPECT_EQ(ReceiveAll(), (std::vector<Bytes>{{10, 1}}));
    EXPECT_FALSE(m_connection->IsConnected());
    EXPECT_EQ(m_posted, (std::vector<PostedNotification>{{m_socket, plat::FD_CLOSE}}));
}

TEST_F(ConnectionTest, RefusedCipherSetUpDisconnects) {
    struct Case {
        const char* name;
        bool (*apply)(CConnection&);
    };
    const Case cases[] = {
        {"empty key", [](CConnection& c) { return c.SetCipherKey(""); }},
        {"key of 256 bytes", [](CConnection& c) { return c.SetCipherKey(std::string(256, 'k')); }},
        {"mask function 21", [](CConnection& c) { return c.BuildMaskTable(21); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ConnectFramed();
        m_posted.clear();
        EXPECT_FALSE(c.apply(*m_connection));
        EXPECT_FALSE(m_connection->IsConnected());
        EXPECT_EQ(m_posted, (std::vector<PostedNotification>{{m_socket, plat::FD_CLOSE}}));
    }

    ConnectFramed();
    EXPECT_TRUE(m_connection->SetCipherKey(std::string(255, 'k')));
    EXPECT_TRUE(m_connection->BuildMaskTable(20));
    EXPECT_TRUE(m_connection->IsConnected());
}

// The connection with a session behind it, as the program runs them: the
// notifications wait in a queue as window messages do; a frame pumps the
// socket layer, hands the queued notifications to the session and runs the
// session's receive pump.
class PendingConnectTest : public nettest::ScriptedConnectionTest {
protected:
    void SetUp() override {
        ScriptedConnectionTest::SetUp();
        m_session.SetDisconnectNotice([this] { ++m_notices; });
        SetConnectStatusText("");
    }
    void OnPosted(uintptr_t wParam, intptr_t lParam) override { m_queue.emplace_back(wParam, lParam); }
    void Frames(int count) {
        for (int i = 0; i < count; ++i) {
            plat::PumpSocketNotifications();
            for (const auto& [wParam, lParam] : std::exchange(m_queue, {}))
                m_session.OnSocketNotify(wParam, lParam);
            m_session.ReceivePackets();
        }
    }
    void StartHeld() {
        m_sockets.HoldNextConnects(1);
        m_connection->Connect(plat::MakeIPv4(127, 0, 0, 1), 40000);
        m_socket = m_connection->Socket();
    }

    const std::string m_failedText = "The server cannot be reached.";
    qmtest::ScopedTextTables m_texts{
        std::map<int, std::vector<std::string>>{{CONNECT_FAILED_TABLE, [this] {
                                                     std::vector<std::string> rows(CONNECT_FAILED_ROW + 1);
                                                     rows[CONNECT_FAILED_ROW] = m_failedText;
                                                     return rows;
                                                 }()}}};
    CGameSession m_session;
    int m_notices = 0;
    std::vector<std::pair<uintptr_t, intptr_t>> m_queue;
};

TEST_F(PendingConnectTest, FramesRunWhileItConnectsAndTheGreetingFollows) {
    StartHeld();
    EXPECT_EQ(m_sockets.Calls(),
              (std::vector<std::string>{"open", "buffers 16384 16384",
                                        "connect 127.0.0.1:40000 timeout 10000 held", "select 35"}));
    EXPECT_EQ(m_clock.Milliseconds(), 0u) << "Connect returned at once";
    EXPECT_TRUE(m_connection->IsConnecting());
    EXPECT_FALSE(IsServerConnected());
    EXPECT_TRUE(IsServerConnecting());

    // Frames go on; the close of the socket this one replaced is old news.
    m_session.OnSocketNotify(uintptr_t(m_socket + 1), plat::WSAMakeSelectReply(plat::FD_CLOSE, 0));
    for (int frame = 0; frame < 5; ++frame) {
        m_clock.Advance(100);
        Frames(1);
    }
    EXPECT_TRUE(m_connection->IsConnecting());
    EXPECT_TRUE(m_posted.empty());
    const uint8_t chat[] = {14, 0};
    EXPECT_FALSE(m_session.QueueMessage(chat, sizeof(chat))) << "a new conversation starts with the greeting";

    m_sockets.CompleteConnect(m_socket);
    Frames(1);
    EXPECT_EQ(m_posted, (std::vector<PostedNotification>{{m_socket, plat::FD_WRITE}}));
    EXPECT_TRUE(IsServerConnected());
    EXPECT_FALSE(m_connection->IsConnecting());
    EXPECT_EQ(m_connection->SelectMask(), 33);

    g_config.m_clientVersion = 189;
    Bytes greeting = {0xAA, 0, uint8_t(SERVER_GREETING_LENGTH)};
    greeting.insert(greeting.end(), SERVER_GREETING, SERVER_GREETING + SERVER_GREETING_LENGTH);
    PeerSend(greeting);
    Frames(3);
    EXPECT_STREQ(ConnectStatusText, "Connected To Login Server");
    EXPECT_EQ(ServerDecode(PeerReceived()), (std::vector<Bytes>{{0, 0, 189, 65}}));

    m_sockets.ClearCalls();
    const uint32_t before = m_clock.Milliseconds();
    m_connection->Close();
    EXPECT_EQ(m_sockets.Calls(), (std::vector<std::string>{"select 0", "close"}));
    EXPECT_EQ(m_clock.Milliseconds(), before) << "Close returned at once";
    EXPECT_EQ(m_notices, 0);
}

// Refused at once, refused later, or no answer within 10,000 ms of the clock:
// the close path closes the socket, the status line says so, and no box shows
// even for a session that was established (a move to the next server).
TEST_F(PendingConnectTest, RefusalAndTheTimeLimitTakeTheClosePath) {
    enum End { kRefusedAtOnce, kRefusedLater, kTimedOut };
    const struct {
        const char* name;
        End end;
    } cases[] = {{"refused at once", kRefusedAtOnce}, {"refused later", kRefusedLater}, {"10 s", kTimedOut}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        SetConnectStatusText("");
        m_session.SetEstablished(1);
        if (c.end == kRefusedAtOnce) {
            m_sockets.FailNextConnects(1);
            m_connection->Connect(plat::MakeIPv4(127, 0, 0, 1), 40000);
        } else {
            StartHeld();
            const uint8_t ack[] = {16, 1};
            EXPECT_TRUE(m_session.QueueMessage(ack, sizeof(ack))) << "the next server's requests wait";
        }
        EXPECT_TRUE(m_connection->IsConnecting());
        if (c.end == kRefusedLater) m_sockets.FailConnect(m_socket);
        if (c.end == kTimedOut) {
            m_clock.Advance(CConnection::CONNECT_TIMEOUT_MS);
            Frames(2);
            EXPECT_TRUE(m_connection->IsConnecting()) << "10,000 ms are within the limit";
            m_clock.Advance(1);
        }
        Frames(2);
        EXPECT_FALSE(m_connection->IsConnecting());
        EXPECT_FALSE(IsServerConnected());
        EXPECT_EQ(m_sockets.Calls().back(), "close");
        EXPECT_EQ(ConnectStatusText, m_failedText);
        EXPECT_EQ(m_notices, 0);
        EXPECT_EQ(m_session.m_established, 0);
        EXPECT_EQ(m_session.QueuedMessages(), 0u) << "nothing is left for another server";
    }
    // The socket layer serves the next connect.
    Connect();
    EXPECT_EQ(m_sockets.StartupCount(), 1);
}

}  // namespace
