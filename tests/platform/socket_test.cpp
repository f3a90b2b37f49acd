#include "platform/socket.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <utility>
#include <vector>

#include "platform/clock.h"
#include "tests/support/loopback_server.h"

namespace {

struct Posted {
    uint32_t message;
    plat::SOCKET socket;
    uint32_t event;
    uint32_t error;
    bool operator==(const Posted&) const = default;
};

// Records every notification the layer posts.
class SocketLayerTest : public ::testing::Test, public plat::ISocketNotifyPoster {
protected:
    void Post(uint32_t message, uintptr_t wParam, intptr_t lParam) override {
        m_posted.push_back({message, plat::SOCKET(wParam), plat::WSAGetSelectEvent(uint32_t(lParam)),
                            plat::WSAGetSelectError(uint32_t(lParam))});
    }

    std::vector<Posted> TakePosted() { return std::exchange(m_posted, {}); }
    // Pumps until something is posted; what was posted (empty after a few seconds).
    std::vector<Posted> PumpUntilPosted(plat::ISocketLayer& layer) {
        for (int tries = 0; tries < 400 && m_posted.empty(); ++tries) {
            layer.Pump();
            if (m_posted.empty()) usleep(5000);
        }
        return TakePosted();
    }

    std::vector<Posted> m_posted;
    plat::ScopedSocketNotifyPoster m_scopedPoster{*this};
};

constexpr uint32_t kMessage = 0x0464;

TEST_F(SocketLayerTest, StartupIsCountedAndSocketsNeedIt) {
    plat::SystemSockets layer;
    EXPECT_EQ(layer.OpenTcp(), plat::INVALID_SOCKET);
    EXPECT_EQ(layer.LastError(), plat::WSANOTINITIALISED);

    uint16_t granted = 0;
    EXPECT_EQ(layer.Startup(plat::MakeWord(2, 2), &granted), 0);
    EXPECT_EQ(granted, plat::MakeWord(2, 2));
    EXPECT_EQ(layer.Startup(plat::MakeWord(2, 2), nullptr), 0);
    EXPECT_EQ(layer.Cleanup(), 0);
    plat::SOCKET s = layer.OpenTcp();
    EXPECT_NE(s, plat::INVALID_SOCKET) << "one start-up is still in force";
    layer.Close(s);
    EXPECT_EQ(layer.Cleanup(), 0);
    EXPECT_EQ(layer.Cleanup(), plat::SOCKET_ERROR);
}

TEST_F(SocketLayerTest, AClosedSocketsNumberIsNotHandedOutAgainAtOnce) {
    // A notification still queued for a closed socket carries its number: the
    // socket opened next must not answer to it.
    plat::SystemSockets layer;
    layer.Startup(plat::MakeWord(2, 2), nullptr);
    plat::SOCKET s = layer.OpenTcp();
    ASSERT_NE(s, plat::INVALID_SOCKET);
    layer.Close(s);
    plat::SOCKET t = layer.OpenTcp();
    ASSERT_NE(t, plat::INVALID_SOCKET);
    EXPECT_NE(t, s);
    layer.Close(t);
    layer.Cleanup();
}

TEST_F(SocketLayerTest, ConnectsOverLoopbackAndReportsRefusal) {
    plat::SystemSockets layer;
    layer.Startup(plat::MakeWord(2, 2), nullptr);
    qmtest::LoopbackServer server;
    ASSERT_TRUE(server.Listening());

    plat::SOCKET s = layer.OpenTcp();
    ASSERT_NE(s, plat::INVALID_SOCKET);
    EXPECT_TRUE(layer.SetBufferSizes(s, 16384, 16384));
    // The connect returns at once; the pump tells when it is through.
    const plat::ConnectStart start = layer.Connect(s, qmtest::LoopbackServer::Address(), server.Port(), 2000);
    ASSERT_NE(start, plat::ConnectStart::Failed);
    layer.AsyncSelect(s, kMessage, plat::FD_READ | plat::FD_WRITE | plat::FD_CLOSE);
    if (start == plat::ConnectStart::Pending) {
        EXPECT_EQ(PumpUntilPosted(layer), (std::vector<Posted>{{kMessage, s, plat::FD_WRITE, 0}}));
    }
    ASSERT_TRUE(server.Accept());
    EXPECT_EQ(layer.Send(s, "abc", 3), 3);
    ASSERT_TRUE(server.SendRaw({'x', 'y'}));
    char buffer[8];
    int n = 0;
    for (int tries = 0; tries < 200 && n <= 0; ++tries) {
        n = layer.Recv(s, buffer, sizeof(buffer));
        if (n < 0) {
            EXPECT_EQ(layer.LastError(), plat::WSAEWOULDBLOCK);
            usleep(5000);
        }
    }
    EXPECT_EQ(n, 2);
    layer.Close(s);

    // Nobody listens on the port any more.
    uint16_t port = server.Port();
    server.CloseClient();
    server.StopListening();
    plat::SOCKET t = layer.OpenTcp();
    if (layer.Connect(t, qmtest::LoopbackServer::Address(), port, 2000) == plat::ConnectStart::Failed) {
        EXPECT_EQ(layer.LastError(), plat::WSAECONNREFUSED);
    } else {
        layer.AsyncSelect(t, kMessage, plat::FD_READ | plat::FD_WRITE | plat::FD_CLOSE);
        EXPECT_EQ(PumpUntilPosted(layer),
                  (std::vector<Posted>{{kMessage, t, plat::FD_CLOSE, uint32_t(plat::WSAECONNREFUSED)}}));
    }
    layer.Close(t);
}

TEST_F(SocketLayerTest, PostsReadWriteAndCloseAsRegistered) {
    plat::ScriptedSockets layer;
    layer.Startup(plat::MakeWord(2, 2), nullptr);
    plat::SOCKET s = layer.OpenTcp();
    ASSERT_EQ(layer.Connect(s, plat::MakeIPv4(127, 0, 0, 1), 40000, 1000), plat::ConnectStart::Connected);

    // Read and close only: a writable socket posts nothing.
    layer.AsyncSelect(s, kMessage, plat::FD_READ | plat::FD_CLOSE);
    layer.Pump();
    EXPECT_TRUE(TakePosted().empty());

    // Data: one FD_READ, not repeated until the program reads.
    layer.PeerWrite(s, {1, 2, 3});
    layer.Pump();
    layer.Pump();
    EXPECT_EQ(TakePosted(), (std::vector<Posted>{{kMessage, s, plat::FD_READ, 0}}));
    char buffer[2];
    EXPECT_EQ(layer.Recv(s, buffer, 2), 2);
    layer.Pump();
    EXPECT_EQ(TakePosted(), (std::vector<Posted>{{kMessage, s, plat::FD_READ, 0}})) << "one byte is left";

    // Asking for FD_WRITE on a writable socket posts it at once, once.
    layer.AsyncSelect(s, kMessage, plat::FD_WRITE | plat::FD_CLOSE);
    layer.Pump();
    layer.Pump();
    EXPECT_EQ(TakePosted(), (std::vector<Posted>{{kMessage, s, plat::FD_WRITE, 0}}));
    layer.AsyncSelect(s, kMessage, plat::FD_WRITE | plat::FD_CLOSE);
    layer.Pump();
    EXPECT_EQ(TakePosted().size(), 1u);

    // The peer hangs up: FD_CLOSE once the last byte has been read, and only once.
    layer.PeerClose(s);
    layer.Pump();
    EXPECT_TRUE(TakePosted().empty()) << "a byte is still waiting";
    EXPECT_EQ(layer.Recv(s, buffer, 2), 1);
    layer.Pump();
    layer.Pump();
    EXPECT_EQ(TakePosted(), (std::vector<Posted>{{kMessage, s, plat::FD_CLOSE, 0}}));

    // Unregistered: nothing more.
    layer.AsyncSelect(s, kMessage, 0);
    layer.Close(s);
    layer.Pump();
    EXPECT_TRUE(TakePosted().empty());
}

TEST_F(SocketLayerTest, WouldBlockArmsWriteNotification) {
    plat::ScriptedSockets layer;
    layer.Startup(plat::MakeWord(2, 2), nullptr);
    plat::SOCKET s = layer.OpenTcp();
    ASSERT_EQ(layer.Connect(s, plat::MakeIPv4(127, 0, 0, 1), 40000, 1000), plat::ConnectStart::Connected);
    layer.AsyncSelect(s, kMessage, plat::FD_WRITE | plat::FD_CLOSE);
    layer.Pump();
    TakePosted();

    layer.LimitNextSends({2, 0});
    EXPECT_EQ(layer.Send(s, "abcd", 4), 2);
    EXPECT_EQ(layer.Send(s, "cd", 2), plat::SOCKET_ERROR);
    EXPECT_EQ(layer.LastError(), plat::WSAEWOULDBLOCK);
    layer.Pump();
    EXPECT_EQ(TakePosted(), (std::vector<Posted>{{kMessage, s, plat::FD_WRITE, 0}}));
    EXPECT_EQ(layer.Send(s, "cd", 2), 2);
    auto sent = layer.PeerReadAll(s);
    EXPECT_EQ(std::string(sent.begin(), sent.end()), "abcd");
    layer.Close(s);
}

TEST_F(SocketLayerTest, ScriptedLayerRecordsCallsAndFailsWhenTold) {
    plat::ScriptedSockets layer;
    plat::ScopedSockets scope(layer);
    plat::WSAStartup(plat::MakeWord(2, 2), nullptr);
    layer.FailNextConnects(1);
    plat::SOCKET s = plat::OpenTcpSocket();
    EXPECT_EQ(plat::StartConnect(s, plat::MakeIPv4(127, 0, 0, 1), 4000, 500), plat::ConnectStart::Failed);
    EXPECT_EQ(plat::WSAGetLastError(), plat::WSAECONNREFUSED);
    plat::closesocket(s);
    EXPECT_EQ(layer.Calls(),
              (std::vector<std::string>{"open", "connect 127.0.0.1:4000 timeout 500 refused", "close"}));
    plat::WSACleanup();
}

// A held connect stays pending, with nothing posted, until the test ends it
// or its time limit on the platform clock passes; the pump then posts FD_WRITE
// or FD_CLOSE with the error, once.
TEST_F(SocketLayerTest, AHeldConnectEndsAsScripted) {
    const struct {
        const char* name;
        int end;                         // 0 complete, else the error to fail with; -1: let it time out
        std::vector<uint32_t> expected;  // event, error
    } cases[] = {
        {"completed", 0, {plat::FD_WRITE, 0}},
        {"refused", plat::WSAECONNREFUSED, {plat::FD_CLOSE, uint32_t(plat::WSAECONNREFUSED)}},
        {"timed out", -1, {plat::FD_CLOSE, uint32_t(plat::WSAETIMEDOUT)}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        plat::FakeClock clock(5000);
        plat::ScopedClock clockScope(clock);
        plat::ScriptedSockets layer;
        layer.Startup(plat::MakeWord(2, 2), nullptr);
        layer.HoldNextConnects(1);
        plat::SOCKET s = layer.OpenTcp();
        ASSERT_EQ(layer.Connect(s, plat::MakeIPv4(127, 0, 0, 1), 40000, 10000), plat::ConnectStart::Pending);
        layer.AsyncSelect(s, kMessage, plat::FD_READ | plat::FD_WRITE | plat::FD_CLOSE);
        clock.Advance(10000);
        layer.Pump();
        EXPECT_TRUE(TakePosted().empty()) << "10,000 ms are still within the limit";
        EXPECT_EQ(layer.Peer(s), -1);

        if (c.end == 0) layer.CompleteConnect(s);
        if (c.end > 0) layer.FailConnect(s, c.end);
        if (c.end < 0) clock.Advance(1);
        layer.Pump();
        layer.Pump();
        EXPECT_EQ(TakePosted(), (std::vector<Posted>{{kMessage, s, c.expected[0], c.expected[1]}}));
        if (c.end == 0) {
            layer.PeerWrite(s, {7});
            layer.Pump();
            EXPECT_EQ(TakePosted(), (std::vector<Posted>{{kMessage, s, plat::FD_READ, 0}}))
                << "connected: reads as any socket";
        }
        EXPECT_EQ(layer.Calls()[1], "connect 127.0.0.1:40000 timeout 10000 held");
        layer.Close(s);
        layer.Cleanup();
    }
}

}  // namespace
