#include "net/connection.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/net/net_fixture.h"

namespace {

using nettest::Bytes;
using nettest::PostedNotification;

class ConnectionTest : public nettest::ScriptedConnectionTest {};

TEST_F(ConnectionTest, ConnectOpensAndRegistersTheSocket) {
    Connect();
    EXPECT_EQ(m_sockets.Calls(),
              (std::vector<std::string>{"open", "buffers 16384 16384",
                                        "connect 127.0.0.1:40000 timeout 10000", "select 33"}));
    EXPECT_EQ(m_clock.TotalSlept(), 1000u);
    EXPECT_EQ(m_connection->SelectMask(), 33);
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
    EXPECT_EQ(m_clock.TotalSlept(), 1000u + 2000u + 1000u);

    m_connection->Close();
    EXPECT_FALSE(m_connection->IsConnected());
    EXPECT_FALSE(IsServerConnected());
    EXPECT_EQ(m_clock.TotalSlept(), 6000u);
    m_connection->Close();
    EXPECT_EQ(m_clock.TotalSlept(), 6000u) << "nothing to close, no wait";
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

}  // namespace
