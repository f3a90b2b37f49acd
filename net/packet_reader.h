// Reading the fields of a received message, never past its end. Numbers are
// big-endian. A read that would pass the end yields 0 (or an empty text),
// leaves the reader at the end and marks it failed, so a handler can read all
// its fields and test Failed() once. Texts are a u8 length and that many bytes;
// a text is cut to the room of its destination on a character boundary, but
// the whole text is consumed so the next field is read from its right place.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>

class CPacketReader {
public:
    CPacketReader(const uint8_t* data, size_t length) : m_data(data), m_length(data ? length : 0) {}

    uint8_t GetByte();
    uint16_t GetWord();
    uint32_t GetTriple();
    uint32_t GetDword();
    int32_t GetInt() { return int32_t(GetDword()); }

    // Copies a length-prefixed text into destination (capacity bytes with the
    // terminating 0; at most capacity - 1 characters, not splitting a
    // double-byte character). Returns the bytes copied.
    size_t GetString(char* destination, size_t capacity);
    template <size_t N>
    size_t GetString(char (&destination)[N]) {
        return GetString(destination, N);
    }
    // The whole length-prefixed text.
    std::string GetString();

    // Copies count bytes; past the end the destination is zero-filled and the
    // reader fails.
    bool GetBytes(void* destination, size_t count);
    // Passes over count bytes.
    bool Skip(size_t count);

    bool Failed() const { return m_failed; }
    bool AtEnd() const { return m_position >= m_length; }
    size_t Position() const { return m_position; }
    size_t Remaining() const { return m_length - m_position; }
    size_t Length() const { return m_length; }
    const uint8_t* Data() const { return m_data; }
    // The bytes not read yet.
    const uint8_t* Current() const { return m_data ? m_data + m_position : nullptr; }

private:
    // True when count more bytes are there; otherwise fails and moves to the end.
    bool Need(size_t count);

    const uint8_t* m_data;
    size_t m_length;
    size_t m_position = 0;
    bool m_failed = false;
};
