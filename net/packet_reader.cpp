#include "net/packet_reader.h"

#include <cstring>
#include <string_view>

#include "platform/codepage.h"

bool CPacketReader::Need(size_t count) {
    if (!m_failed && count <= m_length - m_position) return true;
    m_failed = true;
    m_position = m_length;
    return false;
}

uint8_t CPacketReader::GetByte() {
    if (!Need(1)) return 0;
    return m_data[m_position++];
}

uint16_t CPacketReader::GetWord() {
    if (!Need(2)) return 0;
    const uint8_t* p = m_data + m_position;
    m_position += 2;
    return uint16_t((p[0] << 8) | p[1]);
}

uint32_t CPacketReader::GetTriple() {
    if (!Need(3)) return 0;
    const uint8_t* p = m_data + m_position;
    m_position += 3;
    return (uint32_t(p[0]) << 16) | (uint32_t(p[1]) << 8) | p[2];
}

uint32_t CPacketReader::GetDword() {
    if (!Need(4)) return 0;
    const uint8_t* p = m_data + m_position;
    m_position += 4;
    return (uint32_t(p[0]) << 24) | (uint32_t(p[1]) << 16) | (uint32_t(p[2]) << 8) | p[3];
}

size_t CPacketReader::GetString(char* destination, size_t capacity) {
    if (destination && capacity > 0) destination[0] = 0;
    size_t length = GetByte();
    if (!Need(length)) return 0;
    std::string_view text(reinterpret_cast<const char*>(m_data + m_position), length);
    m_position += length;
    if (!destination || capacity == 0) return 0;
    size_t copied = plat::DbcsPrefixLength(text, capacity - 1);
    std::memcpy(destination, text.data(), copied);
    destination[copied] = 0;
    return copied;
}

std::string CPacketReader::GetString() {
    size_t length = GetByte();
    if (!Need(length)) return std::string();
    std::string text(reinterpret_cast<const char*>(m_data + m_position), length);
    m_position += length;
    return text;
}

bool CPacketReader::GetBytes(void* destination, size_t count) {
    if (!Need(count)) {
        if (destination) std::memset(destination, 0, count);
        return false;
    }
    if (destination) std::memcpy(destination, m_data + m_position, count);
    m_position += count;
    return true;
}

bool CPacketReader::Skip(size_t count) {
    if (!Need(count)) return false;
    m_position += count;
    return true;
}
