#include "net/connection.h"

#include <cstring>

#include "platform/clock.h"

CConnection* g_connection = nullptr;

bool IsServerConnected() {
    return g_connection && g_connection->IsConnected();
}

bool IsServerConnecting() {
    return g_connection && g_connection->IsConnecting();
}

CConnection::CConnection(plat::WindowHandle window, uint32_t notifyMessage)
    : m_window(window),
      m_notifyMessage(notifyMessage),
      m_receiveBuffer(RECEIVE_BUFFER_SIZE),
      m_cipherBuffer(MAX_FRAME_LENGTH + 1) {}

CConnection::~CConnection() {
    if (m_socket != plat::INVALID_SOCKET) Close();
}

void CConnection::Connect(uint32_t addressNet, uint16_t port) {
    Close();
    m_rawMode = true;
    m_rawOnce = false;
    m_peerAddress = addressNet;
    m_peerPort = port;
    m_connecting = true;

    plat::SOCKET s = plat::OpenTcpSocket();
    if (s == plat::INVALID_SOCKET || !plat::SetSocketBufferSizes(s, SOCKET_BUFFER_SIZE, SOCKET_BUFFER_SIZE))
        return FailConnect(s);
    const plat::ConnectStart start = plat::StartConnect(s, addressNet, port, CONNECT_TIMEOUT_MS);
    if (start == plat::ConnectStart::Failed) return FailConnect(s);
    const uint16_t events = start == plat::ConnectStart::Connected ? READ_CLOSE_EVENTS : CONNECT_EVENTS;
    if (plat::WSAAsyncSelect(s, m_notifyMessage, events) != 0) return FailConnect(s);
    m_socket = s;
    m_selectMask = events;
    m_connecting = start == plat::ConnectStart::Pending;
}

void CConnection::FailConnect(plat::SOCKET s) {
    const int error = plat::WSAGetLastError();
    // The socket layer stays started: a later connect must still work.
    if (s != plat::INVALID_SOCKET) plat::closesocket(s);
    plat::PostSocketNotification(m_notifyMessage, plat::INVALID_SOCKET, plat::FD_CLOSE, uint32_t(error));
}

bool CConnection::FinishConnect() {
    if (!m_connecting || m_socket == plat::INVALID_SOCKET) return false;
    m_connecting = false;
    plat::WSAAsyncSelect(m_socket, m_notifyMessage, READ_CLOSE_EVENTS);
    m_selectMask = READ_CLOSE_EVENTS;
    return true;
}

void CConnection::Close() {
    m_connecting = false;
    if (m_socket != plat::INVALID_SOCKET) {
        plat::SOCKET s = m_socket;
        m_socket = plat::INVALID_SOCKET;
        plat::WSAAsyncSelect(s, m_notifyMessage, 0);
        plat::closesocket(s);
    }
    ResetReceiveState();
    m_outFrame.clear();
    m_outSent = 0;
    m_sendWouldBlock = false;
    m_selectMask = 0;
}

void CConnection::Disconnect() {
    if (m_socket == plat::INVALID_SOCKET) return;
    if (m_selectMask & plat::FD_CLOSE)
        plat::PostSocketNotification(m_notifyMessage, m_socket, plat::FD_CLOSE);
    Close();
}

void CConnection::ResetReceiveState() {
    m_readPosition = 0;
    m_available = 0;
    m_assembler.Reset();
}

bool CConnection::IsConnected(uint32_t* address, uint16_t* port) const {
    if (address) *address = m_peerAddress;
    if (port) *port = m_peerPort;
    return m_socket != plat::INVALID_SOCKET && !m_connecting;
}

void CConnection::SetRawMode(bool raw, bool once) {
    m_rawMode = raw;
    m_rawOnce = once;
    if (once) m_rawMode = false;
}

void CConnection::EnableWriteNotify(uint32_t) {
    if (m_socket == plat::INVALID_SOCKET || m_connecting) return;
    plat::WSAAsyncSelect(m_socket, m_notifyMessage, WRITE_CLOSE_EVENTS);
    m_selectMask = WRITE_CLOSE_EVENTS;
}

bool CConnection::FillReceiveBuffer() {
    m_readPosition = 0;
    m_available = 0;
    if (!IsConnected()) return false;
    int n = plat::recv(m_socket, m_receiveBuffer.data(), int(m_receiveBuffer.size()));
    if (n > 0) {
        m_available = size_t(n);
        return true;
    }
    if (n == 0) Disconnect();
    return false;
}

const uint8_t* CConnection::ReceiveFrame(size_t* length) {
    *length = 0;
    for (;;) {
        if (m_available == 0 && !FillReceiveBuffer()) return nullptr;
        bool complete = false;
        size_t taken = m_assembler.Take(m_receiveBuffer.data() + m_readPosition, m_available,
                                        m_rawMode || m_rawOnce, &complete);
        m_readPosition += taken;
        m_available -= taken;
        if (!complete) continue;

        size_t frameLength = m_assembler.FrameLength();
        if (m_assembler.FrameWasRaw()) {
            // A raw frame ends the one-frame raw reading.
            m_rawOnce = false;
            if (frameLength == 0) continue;
            *length = frameLength;
            return m_assembler.Frame();
        }
        if (frameLength == 0) continue;
        const uint8_t* frame = m_assembler.Frame();
        if (IsClearOpcodeReceived(frame[0])) {
            *length = frameLength;
            return frame;
        }
        size_t plain = m_cipher.DecryptFrame(frame, frameLength, m_cipherBuffer.data());
        m_cipherBuffer[plain] = 0;
        *length = plain;
        return m_cipherBuffer.data();
    }
}

int CConnection::SendPacket(const uint8_t* message, size_t length) {
    if (!IsConnected() || !message || length < 1 || length >= MAX_FRAME_LENGTH) return 0;
    if (HasPendingOutput()) {
        // The previous frame goes first; this message has to wait.
        int sent = SendPending();
        if (sent < 0) return sent;
        if (HasPendingOutput()) return 0;
    }
    m_outFrame.resize(length + FRAME_HEADER_SIZE + 1);
    size_t frameSize =
        EncodeFrame(m_cipher, message, length, IsClearOpcodeSent(message[0]), m_outFrame.data());
    m_outFrame.resize(frameSize);
    m_outSent = 0;
    return SendPending();
}

int CConnection::SendPending() {
    m_sendWouldBlock = false;
    int total = 0;
    while (HasPendingOutput()) {
        if (m_socket == plat::INVALID_SOCKET) {
            m_outFrame.clear();
            m_outSent = 0;
            return -1;
        }
        int n = plat::send(m_socket, m_outFrame.data() + m_outSent, int(m_outFrame.size() - m_outSent));
        if (n > 0) {
            m_outSent += size_t(n);
            total += n;
            continue;
        }
        if (n < 0 && plat::WSAGetLastError() == plat::WSAEWOULDBLOCK) {
            m_sendWouldBlock = true;
            return total;
        }
        // The socket is broken; the frame cannot go out. The close
        // notification follows from the socket layer.
        m_outFrame.clear();
        m_outSent = 0;
        return -1;
    }
    m_outFrame.clear();
    m_outSent = 0;
    return total;
}

bool CConnection::SetCipherKey(std::string_view key) {
    if (m_cipher.SetCipherKey(key)) return true;
    Disconnect();
    return false;
}

bool CConnection::BuildMaskTable(int index) {
    if (m_cipher.BuildMaskTable(index)) return true;
    Disconnect();
    return false;
}
