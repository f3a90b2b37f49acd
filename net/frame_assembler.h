// The wire frame: the byte 0xAA, a 16-bit big-endian length, then that many
// body bytes. CFrameAssembler rebuilds frames from a byte stream that arrives
// in pieces of any size; EncodeFrame builds one.
//
// Every announced length (0 to 65,535) fits the frame buffer, so the stream
// stays in step whatever a peer announces. A frame of length 0 completes at
// once and is reported as an empty frame. In raw mode the first byte of the
// header is taken as it is instead of being looked for (bytes before an 0xAA
// are skipped otherwise); the mode counts from the first header byte of each
// frame.
#pragma once
#include <cstddef>
#include <cstdint>

class CPacketCipher;

constexpr uint8_t FRAME_START = 0xAA;
constexpr size_t FRAME_HEADER_SIZE = 3;
constexpr size_t MAX_FRAME_LENGTH = 0xFFFF;

// Opcodes the client sends in clear, and those it receives in clear.
bool IsClearOpcodeSent(uint8_t opcode);
bool IsClearOpcodeReceived(uint8_t opcode);

// Frames message (length >= 1, at most MAX_FRAME_LENGTH - 1) into output, in
// clear or enciphered with cipher (which advances its sequence); output must
// hold length + 4 bytes. Returns the frame's size, 0 when the message does not fit.
size_t EncodeFrame(CPacketCipher& cipher, const uint8_t* message, size_t length, bool clear, uint8_t* output);

class CFrameAssembler {
public:
    CFrameAssembler();

    // Takes bytes from data until a frame completes or the bytes run out;
    // returns how many it took. *complete tells whether a frame is ready in
    // Frame()/FrameLength() (valid until the next Take).
    size_t Take(const uint8_t* data, size_t size, bool raw, bool* complete);
    // Forgets a frame in progress.
    void Reset();

    const uint8_t* Frame() const { return m_frame; }
    uint8_t* Frame() { return m_frame; }
    size_t FrameLength() const { return m_frameLength; }
    // Whether the completed frame was read in raw mode.
    bool FrameWasRaw() const { return m_frameRaw; }
    bool InFrame() const { return m_inFrame; }

private:
    bool m_inFrame = false;
    bool m_frameRaw = false;
    size_t m_headerBytes = 0;  // length bytes taken so far (0-2)
    size_t m_frameLength = 0;
    size_t m_bodyBytes = 0;
    // Any announced frame fits, with room for a terminating 0.
    uint8_t m_frame[MAX_FRAME_LENGTH + 1];
};
