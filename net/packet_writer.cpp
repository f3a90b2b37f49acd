#include "net/packet_writer.h"

#include <algorithm>
#include <cstring>

bool CPacketWriter::Room(size_t count) {
    if (!m_failed && count <= MAX_MESSAGE_LENGTH - m_length) return true;
    m_failed = true;
    return false;
}

CPacketWriter& CPacketWriter::PutByte(uint8_t value) {
    if (Room(1)) m_data[m_length++] = value;
    return *this;
}

CPacketWriter& CPacketWriter::PutWord(uint16_t value) {
    if (Room(2)) {
        m_data[m_length++] = uint8_t(value >> 8);
        m_data[m_length++] = uint8_t(value);
    }
    return *this;
}

CPacketWriter& CPacketWriter::PutDword(uint32_t value) {
    if (Room(4)) {
        for (int shift = 24; shift >= 0; shift -= 8) m_data[m_length++] = uint8_t(value >> shift);
    }
    return *this;
}

CPacketWriter& CPacketWriter::PutBytes(const void* data, size_t count) {
    if (count == 0) return *this;
    if (!data) {
        m_failed = true;
        return *this;
    }
    if (Room(count)) {
        std::memcpy(m_data + m_length, data, count);
        m_length += count;
    }
    return *this;
}

CPacketWriter& CPacketWriter::PutText(const char* text, size_t maxLength) {
    return PutCountedText(text, maxLength, false);
}

CPacketWriter& CPacketWriter::PutTextWithZero(const char* text, size_t maxLength) {
    return PutCountedText(text, maxLength, true);
}

CPacketWriter& CPacketWriter::PutCountedText(const char* text, size_t maxLength, bool withZero) {
    if (!text) {
        m_failed = true;
        return *this;
    }
    // The scan stops one past the longest text a message can hold.
    const size_t length = strnlen(text, MAX_MESSAGE_LENGTH + 1);
    const size_t counted = length + (withZero ? 1 : 0);
    if (length > maxLength || counted > 255 || !Room(1 + counted)) {
        m_failed = true;
        return *this;
    }
    m_data[m_length++] = uint8_t(counted);
    std::memcpy(m_data + m_length, text, length);
    m_length += length;
    if (withZero) m_data[m_length++] = 0;
    return *this;
}

CMessageWriter& CMessageWriter::PutByte(uint8_t value) {
    m_data.push_back(value);
    return *this;
}

CMessageWriter& CMessageWriter::PutWord(uint16_t value) {
    return PutByte(uint8_t(value >> 8)).PutByte(uint8_t(value));
}

CMessageWriter& CMessageWriter::PutDword(uint32_t value) {
    return PutWord(uint16_t(value >> 16)).PutWord(uint16_t(value));
}

CMessageWriter& CMessageWriter::PutBytes(const void* data, size_t count) {
    if (data && count > 0) {
        const auto* bytes = static_cast<const uint8_t*>(data);
        m_data.insert(m_data.end(), bytes, bytes + count);
    }
    return *this;
}

CMessageWriter& CMessageWriter::PutText(const char* text) {
    const size_t length = text ? strnlen(text, 255) : 0;
    PutByte(uint8_t(length));
    return PutBytes(text, length);
}

CMessageWriter& CMessageWriter::PutText(const std::string& text) {
    return PutText(text.c_str());
}

CMessageWriter& CMessageWriter::PutLongBytes(const void* data, size_t count) {
    count = std::min<size_t>(count, 0xFFFF);
    PutWord(uint16_t(count));
    return PutBytes(data, count);
}
