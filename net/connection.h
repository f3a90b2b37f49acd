// The client's one TCP link to a login or game server: connect (without
// blocking: the socket notifications tell how it ended) and close, socket
// notifications to the main window, reading frames (raw during the
// first exchange, then framed and deciphered) and sending frames.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

#include "core/frame_hooks.h"
#include "net/frame_assembler.h"
#include "net/packet_cipher.h"
#include "platform/socket.h"
#include "platform/window.h"

class CConnection {
public:
    static constexpr int SOCKET_BUFFER_SIZE = 16384;
    static constexpr size_t RECEIVE_BUFFER_SIZE = 16384;
    static constexpr uint32_t CONNECT_TIMEOUT_MS = 10000;
    // Socket events asked for while a connect is pending (FD_WRITE: it
    // completed), once connected, and once sending starts.
    static constexpr uint16_t CONNECT_EVENTS = plat::FD_READ | plat::FD_WRITE | plat::FD_CLOSE;
    static constexpr uint16_t READ_CLOSE_EVENTS = plat::FD_READ | plat::FD_CLOSE;
    static constexpr uint16_t WRITE_CLOSE_EVENTS = plat::FD_WRITE | plat::FD_CLOSE;

    CConnection(plat::WindowHandle window, uint32_t notifyMessage);
    virtual ~CConnection();
    CConnection(const CConnection&) = delete;
    CConnection& operator=(const CConnection&) = delete;

    // Closes any open socket, then starts connecting to addressNet (network
    // byte order) and port (host order) and returns at once. A connect done at
    // once leaves the connection connected; otherwise it is connecting until
    // the notification of its end: FD_WRITE (the session calls FinishConnect)
    // or FD_CLOSE with the error, refused or after CONNECT_TIMEOUT_MS. A
    // connect that fails at once posts that FD_CLOSE itself (for the socket
    // INVALID_SOCKET), so every failure takes the same path.
    void Connect(uint32_t addressNet, uint16_t port);
    // A pending connect completed: the connection is connected and reads.
    // False when no connect was pending.
    bool FinishConnect();
    // Closes the socket at once (a pending connect is abandoned).
    void Close();
    // Closes the socket as a lost connection: the close notification is
    // posted first, so the program takes the same path as when the server
    // hangs up.
    void Disconnect();
    // Connected (not while the connect is pending); the peer it is or was
    // meant for either way.
    bool IsConnected(uint32_t* address = nullptr, uint16_t* port = nullptr) const;
    // A connect is under way: started, and its end not yet handled.
    bool IsConnecting() const { return m_connecting; }

    void SetRawMode(bool raw, bool once);
    bool RawMode() const { return m_rawMode; }
    bool RawOnce() const { return m_rawOnce; }
    // Asks for write and close notifications (whatever events are given);
    // nothing while a connect is pending.
    void EnableWriteNotify(uint32_t events = WRITE_CLOSE_EVENTS);
    uint16_t SelectMask() const { return m_selectMask; }

    // The next complete frame (opcode first, 0-terminated) and its length, or
    // null with length 0. Valid until the next call.
    const uint8_t* ReceiveFrame(size_t* length);

    // Frames, enciphers and sends message. Returns the bytes that left in this
    // call, 0 when nothing was sent (no socket, no message, a length below 1,
    // or a frame still waiting to go out), or -1 on a socket error. A frame
    // that does not go out whole is kept and finished by SendPending.
    int SendPacket(const uint8_t* message, size_t length);
    // Sends what is left of the last frame; bytes sent, or -1 on a socket error.
    int SendPending();
    bool HasPendingOutput() const { return m_outSent < m_outFrame.size(); }
    // The last send stopped because the socket would block.
    bool SendWouldBlock() const { return m_sendWouldBlock; }

    // Cipher set-up. A refused key (empty, or longer than 255 bytes) or mask
    // function (above 20) disconnects.
    bool SetCipherKey(std::string_view key);
    bool BuildMaskTable(int index);
    CPacketCipher& Cipher() { return m_cipher; }

    plat::SOCKET Socket() const { return m_socket; }
    plat::WindowHandle Window() const { return m_window; }
    uint32_t NotifyMessage() const { return m_notifyMessage; }

private:
    // Refills the receive buffer from the socket; false when nothing came.
    bool FillReceiveBuffer();
    void ResetReceiveState();

    plat::WindowHandle m_window;
    uint32_t m_notifyMessage;
    // A connect that failed before it could be pending: the socket is gone,
    // the close notification posted.
    void FailConnect(plat::SOCKET s);

    plat::SOCKET m_socket = plat::INVALID_SOCKET;
    bool m_connecting = false;
    uint32_t m_peerAddress = 0;
    uint16_t m_peerPort = 0;
    bool m_rawMode = true;
    bool m_rawOnce = false;

    std::vector<uint8_t> m_receiveBuffer;
    size_t m_readPosition = 0;
    size_t m_available = 0;
    CFrameAssembler m_assembler;
    std::vector<uint8_t> m_cipherBuffer;

    CPacketCipher m_cipher;
    uint16_t m_selectMask = 0;

    std::vector<uint8_t> m_outFrame;
    size_t m_outSent = 0;
    bool m_sendWouldBlock = false;
};

// The connection in use (null while none exists).
extern CConnection* g_connection;
// True when the connection exists and is connected (not while connecting).
bool IsServerConnected();
// True when the connection exists and its connect is pending.
bool IsServerConnecting();
