#include "core/byte_source.h"

#include <algorithm>
#include <cstring>

bool CByteSource::ReadU16(uint16_t& value) {
    uint8_t b[2];
    if (!ReadExact(b, 2)) return false;
    value = LoadU16Le(b);
    return true;
}

bool CByteSource::ReadI16(int16_t& value) {
    uint16_t v;
    if (!ReadU16(v)) return false;
    value = int16_t(v);
    return true;
}

bool CByteSource::ReadU16Be(uint16_t& value) {
    uint8_t b[2];
    if (!ReadExact(b, 2)) return false;
    value = uint16_t(b[0] << 8 | b[1]);
    return true;
}

bool CByteSource::ReadU32(uint32_t& value) {
    uint8_t b[4];
    if (!ReadExact(b, 4)) return false;
    value = LoadU32Le(b);
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

const uint8_t* CMemorySource::Take(size_t size) {
    if (size > m_size - m_pos) return nullptr;
    const uint8_t* at = m_data + m_pos;
    m_pos += size;
    return at;
}

void CByteWriter::U16(uint16_t v) {
    uint8_t b[2];
    StoreU16Le(b, v);
    Bytes(b, 2);
}

void CByteWriter::U32(uint32_t v) {
    uint8_t b[4];
    StoreU32Le(b, v);
    Bytes(b, 4);
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
