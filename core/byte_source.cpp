#include "core/byte_source.h"

#include <algorithm>
#include <cstring>

bool CByteSource::ReadU16(uint16_t& value) {
    uint8_t b[2];
    if (!ReadExact(b, 2)) return false;
    value = uint16_t(b[0] | (b[1] << 8));
    return true;
}

bool CByteSource::ReadU32(uint32_t& value) {
    uint8_t b[4];
    if (!ReadExact(b, 4)) return false;
    value = uint32_t(b[0]) | (uint32_t(b[1]) << 8) | (uint32_t(b[2]) << 16) | (uint32_t(b[3]) << 24);
    return true;
}

bool CByteSource::ReadI32(int32_t& value) {
    uint32_t v;
    if (!ReadU32(v)) return false;
    value = int32_t(v);
    return true;
}

bool CByteSource::ReadF32(float& value) {
    uint32_t v;
    if (!ReadU32(v)) return false;
    std::memcpy(&value, &v, 4);
    return true;
}

bool CByteSource::Skip(uint64_t size) {
    if (size > Remaining()) return false;
    uint8_t scratch[4096];
    while (size > 0) {
        size_t n = size_t(std::min<uint64_t>(size, sizeof scratch));
        if (Read(scratch, n) != n) return false;
        size -= n;
    }
    return true;
}

size_t CMemorySource::Read(void* buffer, size_t size) {
    size_t n = std::min(size, m_size - m_pos);
    if (n) std::memcpy(buffer, m_data + m_pos, n);
    m_pos += n;
    return n;
}

void CByteWriter::U16(uint16_t v) {
    m_bytes.push_back(uint8_t(v));
    m_bytes.push_back(uint8_t(v >> 8));
}

void CByteWriter::U32(uint32_t v) {
    for (int i = 0; i < 4; ++i) m_bytes.push_back(uint8_t(v >> (8 * i)));
}

void CByteWriter::F32(float v) {
    uint32_t u;
    std::memcpy(&u, &v, 4);
    U32(u);
}

void CByteWriter::Bytes(const void* data, size_t size) {
    const uint8_t* p = static_cast<const uint8_t*>(data);
    m_bytes.insert(m_bytes.end(), p, p + size);
}
