// Building a request: the opcode, then big-endian fields and texts, in a
// buffer the size of the largest message the send queue takes. A field that
// does not fit marks the writer failed and is left out; a failed message is
// not queued.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

constexpr size_t MAX_MESSAGE_LENGTH = 255;

class CPacketWriter {
public:
    explicit CPacketWriter(uint8_t opcode) { PutByte(opcode); }
    // A request with one or two sub-code bytes after the opcode.
    CPacketWriter(uint8_t opcode, uint8_t sub) { PutByte(opcode).PutByte(sub); }
    CPacketWriter(uint8_t opcode, uint8_t sub, uint8_t command) {
        PutByte(opcode).PutByte(sub).PutByte(command);
    }

    CPacketWriter& PutByte(uint8_t value);
    CPacketWriter& PutWord(uint16_t value);
    CPacketWriter& PutDword(uint32_t value);
    // count bytes as they are; missing data (null with a count) marks the writer failed.
    CPacketWriter& PutBytes(const void* data, size_t count);
    // A u8 length and the characters, without a terminating 0. A missing text
    // (null), one longer than maxLength or one that does not fit in the room
    // left writes nothing and marks the writer failed: the request is not sent.
    CPacketWriter& PutText(const char* text, size_t maxLength = MAX_MESSAGE_LENGTH);
    // The same with the terminating 0 written after the characters and counted
    // in the length byte; maxLength counts the characters only.
    CPacketWriter& PutTextWithZero(const char* text, size_t maxLength = MAX_MESSAGE_LENGTH);

    // count entries, each made of the i-th element of every column in turn,
    // written by the column's width (u8, u16 or u32). A missing column marks
    // the writer failed.
    template <typename... Column>
    CPacketWriter& PutEntries(size_t count, const Column*... columns) {
        if (count > 0 && ((columns == nullptr) || ...)) Fail();
        for (size_t i = 0; i < count && !m_failed; ++i) (PutNumber(columns[i]), ...);
        return *this;
    }
    CPacketWriter& PutNumber(uint8_t value) { return PutByte(value); }
    CPacketWriter& PutNumber(uint16_t value) { return PutWord(value); }
    CPacketWriter& PutNumber(uint32_t value) { return PutDword(value); }

    // Marks the request as one not to be sent.
    CPacketWriter& Fail() {
        m_failed = true;
        return *this;
    }

    const uint8_t* Data() const { return m_data; }
    size_t Length() const { return m_length; }
    bool Failed() const { return m_failed; }

private:
    bool Room(size_t count);
    CPacketWriter& PutCountedText(const char* text, size_t maxLength, bool withZero);

    uint8_t m_data[MAX_MESSAGE_LENGTH];
    size_t m_length = 0;
    bool m_failed = false;
};

// Building a server message of any length up to a frame's: the same fields
// as CPacketWriter in a growing buffer. The local server and the tests write
// every message they send with it, in the writer that sits beside the
// client's parser of that message. Texts longer than their length field can
// name are cut.
class CMessageWriter {
public:
    explicit CMessageWriter(uint8_t code) { PutByte(code); }

    CMessageWriter& PutByte(uint8_t value);
    CMessageWriter& PutWord(uint16_t value);
    CMessageWriter& PutDword(uint32_t value);
    CMessageWriter& PutBytes(const void* data, size_t count);
    // A u8 length and at most 255 bytes of text (up to its first 0).
    CMessageWriter& PutText(const char* text);
    CMessageWriter& PutText(const std::string& text);
    // A u16 length and at most 65,535 bytes.
    CMessageWriter& PutLongBytes(const void* data, size_t count);

    const std::vector<uint8_t>& Data() const { return m_data; }
    std::vector<uint8_t> Take() { return std::move(m_data); }

private:
    std::vector<uint8_t> m_data;
};
