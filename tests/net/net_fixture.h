// A connection over the scripted socket layer: connect succeeds through a
// socket pair whose other end the test writes and reads; the clock is fake so
// the waits of connect and close take no time; posted notifications are
// recorded.
#pragma once
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "net/connection.h"
#include "net/frame_assembler.h"
#include "net/packet_cipher.h"
#include "platform/clock.h"
#include "platform/socket.h"

namespace nettest {

using Bytes = std::vector<uint8_t>;

struct PostedNotification {
    plat::SOCKET socket;
    uint32_t event;
    bool operator==(const PostedNotification&) const = default;
};

// The program's connection (g_connection) over the socket layer in use; the
// socket notifications it posts come to Post.
class ConnectionFixture : public ::testing::Test, public plat::ISocketNotifyPoster {
protected:
    void SetUp() override {
        ASSERT_EQ(plat::WSAStartup(plat::MakeWord(2, 2), nullptr), 0);
        plat::SetSocketNotifyPoster(this);
        m_connection = new CConnection(nullptr, WM_SOCKET_NOTIFY);
        g_connection = m_connection;
    }
    void TearDown() override {
        g_connection = nullptr;
        delete m_connection;
        m_connection = nullptr;
        plat::SetSocketNotifyPoster(nullptr);
        plat::WSACleanup();
    }

    CConnection* m_connection = nullptr;
};

class ScriptedConnectionTest : public ConnectionFixture {
protected:
    void Post(uint32_t message, uintptr_t wParam, intptr_t lParam) override {
        EXPECT_EQ(message, WM_SOCKET_NOTIFY);
        m_posted.push_back({plat::SOCKET(wParam), plat::WSAGetSelectEvent(uint32_t(lParam))});
        OnPosted(wParam, lParam);
    }
    virtual void OnPosted(uintptr_t, intptr_t) {}

    // Connects and leaves the first, raw exchange behind (framed reading).
    void ConnectFramed() {
        Connect();
        m_connection->SetRawMode(false, false);
    }
    void Connect() {
        m_connection->Connect(plat::MakeIPv4(127, 0, 0, 1), 40000);
        ASSERT_TRUE(m_connection->IsConnected());
        m_socket = m_connection->Socket();
    }

    void PeerSend(const Bytes& bytes) { m_sockets.PeerWrite(m_socket, bytes); }
    Bytes PeerReceived() { return m_sockets.PeerReadAll(m_socket); }

    // Every frame the connection can hand out now.
    std::vector<Bytes> ReceiveAll() {
        std::vector<Bytes> frames;
        size_t length = 0;
        while (const uint8_t* frame = m_connection->ReceiveFrame(&length))
            frames.emplace_back(frame, frame + length);
        return frames;
    }

    // A frame as a server sends it (enciphered unless received in clear).
    Bytes ServerFrame(const Bytes& message) {
        Bytes frame(message.size() + FRAME_HEADER_SIZE + 1);
        frame.resize(EncodeFrame(m_serverCipher, message.data(), message.size(),
                                 IsClearOpcodeReceived(message[0]), frame.data()));
        return frame;
    }
    // The messages in bytes the client sent, deciphered as a server does.
    std::vector<Bytes> ServerDecode(const Bytes& bytes) {
        std::vector<Bytes> messages;
        CFrameAssembler assembler;
        size_t pos = 0;
        while (pos < bytes.size()) {
            bool complete = false;
            pos += assembler.Take(bytes.data() + pos, bytes.size() - pos, false, &complete);
            if (!complete) break;
            const uint8_t* frame = assembler.Frame();
            size_t length = assembler.FrameLength();
            if (IsClearOpcodeSent(frame[0])) {
                messages.emplace_back(frame, frame + length);
            } else {
                Bytes plain(length + 1);
                plain.resize(m_serverCipher.DecryptFrame(frame, length, plain.data()));
                messages.push_back(plain);
            }
        }
        return messages;
    }

    plat::FakeClock m_clock;
    plat::ScopedClock m_clockScope{m_clock};
    plat::ScriptedSockets m_sockets;
    plat::ScopedSockets m_socketScope{m_sockets};
    plat::SOCKET m_socket = plat::INVALID_SOCKET;
    CPacketCipher m_serverCipher;
    std::vector<PostedNotification> m_posted;
};

}  // namespace nettest
