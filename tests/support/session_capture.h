// A session connected over scripted sockets, for the tests that compare the
// requests a window or command queues: the requests are read back in order.
//
//     qmtest::SessionCapture session;   // before the windows that send
//     ... click ...
//     EXPECT_EQ(session.Sent(), (std::vector<qmreq::Bytes>{{39, 0}}));
#pragma once
#include <gtest/gtest.h>

#include <vector>

#include "core/config.h"
#include "net/connection.h"
#include "net/game_session.h"
#include "platform/socket.h"
#include "tests/support/request_bytes.h"

namespace qmtest {

class SessionCapture {
public:
    SessionCapture() {
        plat::WSAStartup(plat::MakeWord(2, 2), nullptr);
        g_config.m_useServer = true;
        GameSession().Reset();
        g_connection = new CConnection(nullptr, WM_SOCKET_NOTIFY);
        g_connection->Connect(plat::MakeIPv4(127, 0, 0, 1), 40000);
        EXPECT_TRUE(g_connection->IsConnected());
    }
    ~SessionCapture() {
        delete g_connection;
        g_connection = nullptr;
        GameSession().Reset();
        g_config.m_useServer = false;
        plat::WSACleanup();
    }
    SessionCapture(const SessionCapture&) = delete;
    SessionCapture& operator=(const SessionCapture&) = delete;

    // The requests queued since the last call.
    std::vector<qmreq::Bytes> Sent() {
        std::vector<qmreq::Bytes> out;
        for (size_t i = m_seen; i < GameSession().QueuedMessages(); ++i)
            out.push_back(GameSession().QueuedMessage(i));
        m_seen = GameSession().QueuedMessages();
        return out;
    }

private:
    plat::ScriptedSockets m_sockets;
    plat::ScopedSockets m_socketScope{m_sockets};
    size_t m_seen = 0;
};

}  // namespace qmtest
