// Building a request: the opcode, then big-endian fields and texts, in a
// buffer the size of the largest message the send queue takes. A field that
// does not fit marks the writer failed and is left out; a failed message is
// not queued.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string_view>

constexpr size_t MAX_MESSAGE_LENGTH = 255;

class CPacketWriter {
public:
    explicit CPacketWriter(uint8_t opcode) { PutByte(opcode); }

    CPacketWriter& PutByte(uint8_t value);
    CPacketWriter& PutWord(uint16_t value);
    CPacketWriter& PutDword(uint32_t value);
    CPacketWriter& PutBytes(const void* data, size_t count);
    // A u8 length and the characters, without a terminating 0; a text longer
    // than maxLength, 255 or the room left is cut on a character boundary.
    CPacketWriter& PutString(std::string_view text, size_t maxLength = 255);

    const uint8_t* Data() const { return m_data; }
    size_t Length() const { return m_length; }
    bool Failed() const { return m_failed; }

private:
    bool Room(size_t count);

    uint8_t m_data[MAX_MESSAGE_LENGTH];
    size_t m_length = 0;
    bool m_failed = false;
};
