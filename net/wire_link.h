// One end of the client's framed, enciphered connection, as the local server
// and the test peers keep it for each socket: frames to send are enciphered
// unless their code is one the other side takes in clear, and frames received
// are deciphered unless their code is one this side's peer sends in clear.
// The server's side talks to the client; the client's side is what a bot uses
// in place of the program.
#pragma once
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string_view>
#include <vector>

#include "net/frame_assembler.h"
#include "net/packet_cipher.h"

enum class WireSide { Server, Client };

// A frame taken from the stream.
struct CWireFrame {
    std::vector<uint8_t> message;  // code first, deciphered; empty for a zero-length frame
    bool clear = false;            // came in clear (or raw)
    uint8_t sequence = 0;          // the sequence byte of an enciphered frame
};

class CWireLink {
public:
    explicit CWireLink(WireSide side);
    ~CWireLink();
    CWireLink(const CWireLink&) = delete;
    CWireLink& operator=(const CWireLink&) = delete;

    // A new connection: no frame in progress and nothing buffered (the cipher
    // is kept).
    void Reset();
    // Installs a mask function and key; false (cipher kept) when either is unusable.
    bool SetCipher(int maskFunction, std::string_view key);
    CPacketCipher& Cipher() { return m_cipher; }

    // The server greeting as its raw frame.
    static std::vector<uint8_t> Greeting();
    // The frame of message (code first); empty when it is empty or too long.
    std::vector<uint8_t> Frame(const uint8_t* message, size_t length);
    std::vector<uint8_t> Frame(const std::vector<uint8_t>& message) {
        return Frame(message.data(), message.size());
    }

    // Keeps received bytes.
    void Feed(const uint8_t* data, size_t size);
    // The next complete frame; false when the bytes kept do not finish one. In
    // raw mode the frame's first byte is taken as its start, whatever it is.
    bool Next(CWireFrame* frame, bool raw = false);

    // Bytes passed over since the last 0xAA while looking for a frame's start.
    size_t JunkRun() const { return m_junkRun; }
    // Bytes kept that no frame has taken yet.
    size_t Buffered() const { return m_pending.size() - m_read; }
    bool InFrame() const { return m_assembler->InFrame(); }

private:
    WireSide m_side;
    CPacketCipher m_cipher;
    std::unique_ptr<CFrameAssembler> m_assembler;
    std::vector<uint8_t> m_pending;
    size_t m_read = 0;
    size_t m_junkRun = 0;
};
