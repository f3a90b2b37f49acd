// The network inside the program: start-up slots, the message pump polling
// the socket, the main window passing notifications on, and the frame pump.
#include "net/net_startup.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/config.h"
#include "core/frame_hooks.h"
#include "core/global_objects.h"
#include "core/main_window.h"
#include "net/connection.h"
#include "net/game_session.h"
#include "platform/clock.h"
#include "platform/socket.h"
#include "platform/window.h"
#include "platform/window_scripted.h"
#include "tests/support/data_fixtures.h"

namespace {

using Bytes = std::vector<uint8_t>;

class NetworkSetupTest : public ::testing::Test {
protected:
    void SetUp() override {
        plat::ResetMessageQueue();
        ClearGlobalFactories();
        g_config = CConfig{};
        GameSession().Reset();
        InstallNetwork();
    }
    void TearDown() override {
        DestroyGlobal(GlobalSlot::Connection);
        DestroyGlobal(GlobalSlot::Network);
        if (m_window) plat::DestroyWindow(m_window);
        GameSession().Reset();
        ClearGlobalFactories();
        SetNetworkFrameClient(nullptr);
        SetSocketEvents(nullptr);
        plat::ResetMessageQueue();
    }

    // One turn of the program's loop: every waiting message to its window,
    // then the frame's network step.
    void RunFrame() {
        plat::Msg msg;
        while (plat::PeekMessage(&msg)) plat::DispatchMessage(msg);
        GetNetworkFrameClient()->OnFrame();
    }

    // The main window and a connection reporting to it, past the first raw
    // exchange; the connection's socket.
    plat::SOCKET OpenConnection() {
        m_window = CreateMainWindow(800, 600, false);
        if (!m_window) return plat::INVALID_SOCKET;
        g_connection = new CConnection(m_window, WM_SOCKET_NOTIFY);
        g_connection->Connect(plat::MakeIPv4(127, 0, 0, 1), 40000);
        g_connection->SetRawMode(false, false);
        return g_connection->Socket();
    }

    plat::FakeClock m_clock;
    plat::ScopedClock m_clockScope{m_clock};
    plat::ScriptedSockets m_sockets;
    plat::ScopedSockets m_socketScope{m_sockets};
    plat::ScriptedWindowSystem m_windowSystem;
    plat::ScopedWindowSystem m_windowScope{m_windowSystem};
    plat::WindowHandle m_window = nullptr;
};

TEST_F(NetworkSetupTest, RequestsFlowThroughTheMessagePumpAndTheFrame) {
    ASSERT_TRUE(CreateGlobal(GlobalSlot::Firewall));
    ASSERT_TRUE(CreateGlobal(GlobalSlot::Network));
    EXPECT_EQ(m_sockets.StartupCount(), 1);
    ASSERT_NE(GetNetworkFrameClient(), nullptr);
    ASSERT_NE(GetSocketEvents(), nullptr);
    plat::SOCKET s = OpenConnection();
    ASSERT_TRUE(IsServerConnected());

    const Bytes request = {16, 'o', 'k'};  // sent in clear
    ASSERT_TRUE(GameSession().QueueMessage(request.data(), request.size()));
    RunFrame();  // not writable yet: asks for write notification
    EXPECT_TRUE(m_sockets.PeerReadAll(s).empty());
    RunFrame();  // the pump posts FD_WRITE, the window marks the session, the frame sends
    EXPECT_EQ(GameSession().Writable(), 1);
    EXPECT_EQ(m_sockets.PeerReadAll(s), (Bytes{0xAA, 0, 3, 16, 'o', 'k'}));

    // The server sends a last message and hangs up: the frame reads the
    // message, sees the close and posts it; the window's close handling ends
    // the established state.
    GameSession().m_established = 1;
    m_sockets.PeerWrite(s, {0xAA, 0, 1, 64});
    m_sockets.PeerClose(s);
    RunFrame();
    RunFrame();
    EXPECT_FALSE(IsServerConnected());
    EXPECT_EQ(GameSession().m_established, 0);

    DestroyGlobal(GlobalSlot::Connection);
    EXPECT_EQ(g_connection, nullptr);
    DestroyGlobal(GlobalSlot::Network);
    EXPECT_EQ(m_sockets.StartupCount(), 0);
}

TEST_F(NetworkSetupTest, LateCloseOfAReplacedSocketLeavesTheNewConnectionOpen) {
    ASSERT_TRUE(CreateGlobal(GlobalSlot::Network));
    plat::SOCKET first = OpenConnection();
    ASSERT_TRUE(IsServerConnected());

    // The server hangs up: the frame sees it and posts the close notice, and
    // before the notice is delivered the program connects again.
    m_sockets.PeerClose(first);
    GetNetworkFrameClient()->OnFrame();
    EXPECT_FALSE(IsServerConnected());
    GameSession().Reset();
    g_connection->Connect(plat::MakeIPv4(127, 0, 0, 1), 40001);
    ASSERT_TRUE(IsServerConnected());
    EXPECT_NE(g_connection->Socket(), first);

    RunFrame();  // the old socket's close notice reaches the main window
    EXPECT_TRUE(IsServerConnected());
}

// A pending connect ends in the notification the pump posts, which the main
// window passes on: completed, the connection reads; refused, it closes with
// the status text and no notice. A late close of the socket it replaced
// leaves it pending.
TEST_F(NetworkSetupTest, APendingConnectEndsThroughTheMainWindow) {
    std::vector<std::string> rows(CONNECT_FAILED_ROW + 1);
    rows[CONNECT_FAILED_ROW] = "unreachable";
    qmtest::ScopedTextTables texts({{CONNECT_FAILED_TABLE, rows}});
    int notices = 0;
    GameSession().SetDisconnectNotice([&notices] { ++notices; });
    ASSERT_TRUE(CreateGlobal(GlobalSlot::Network));
    plat::SOCKET first = OpenConnection();
    m_sockets.PeerClose(first);
    GetNetworkFrameClient()->OnFrame();  // the close notice of the first socket waits

    for (bool refused : {false, true}) {
        SCOPED_TRACE(refused ? "refused" : "completed");
        SetConnectStatusText("");
        m_sockets.HoldNextConnects(1);
        g_connection->Connect(plat::MakeIPv4(127, 0, 0, 1), 40001);
        const plat::SOCKET s = g_connection->Socket();
        RunFrame();
        ASSERT_TRUE(g_connection->IsConnecting());
        if (refused)
            m_sockets.FailConnect(s);
        else
            m_sockets.CompleteConnect(s);
        RunFrame();
        EXPECT_FALSE(g_connection->IsConnecting());
        EXPECT_EQ(IsServerConnected(), !refused);
        EXPECT_STREQ(ConnectStatusText, refused ? "unreachable" : "");
    }
    EXPECT_EQ(notices, 0);
    GameSession().SetDisconnectNotice({});
}

}  // namespace
