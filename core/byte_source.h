// Sequential little-endian reading and writing for the file formats. A reader
// is given a source positioned where its data begins and reads exactly what
// its layout says. The rule every parser keeps: a count read from the data
// must fit the bytes left (FitsCount) before anything is allocated for it, so
// a short or hostile record is refused instead of being trusted.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// Loads and stores at a fixed place in a buffer the caller has already
// checked is long enough (headers of a known size).
inline uint16_t LoadU16Le(const uint8_t* p) {
    return uint16_t(p[0] | p[1] << 8);
}
inline uint32_t LoadU32Le(const uint8_t* p) {
    return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}
inline void StoreU16Le(uint8_t* p, uint16_t v) {
    p[0] = uint8_t(v);
    p[1] = uint8_t(v >> 8);
}
inline void StoreU32Le(uint8_t* p, uint32_t v) {
    for (int i = 0; i < 4; ++i) p[i] = uint8_t(v >> (8 * i));
}

class CByteSource {
public:
    virtual ~CByteSource() = default;
    // Copies up to size bytes; returns how many were copied.
    virtual size_t Read(void* buffer, size_t size) = 0;
    // Bytes left between the read position and the end of the data.
    virtual uint64_t Remaining() const = 0;
    // Name of the file the data comes from (empty when none), for messages.
    virtual std::string Name() const { return {}; }

    // Exact reads: false when fewer bytes remain than asked.
    bool ReadExact(void* buffer, size_t size) { return Read(buffer, size) == size; }
    bool ReadU8(uint8_t& value) { return ReadExact(&value, 1); }
    bool ReadU16(uint16_t& value);
    bool ReadI16(int16_t& value);
    // A 16-bit number stored high byte first (the server's row counts).
    bool ReadU16Be(uint16_t& value);
    bool ReadU32(uint32_t& value);
    bool ReadI32(int32_t& value);
    bool ReadF32(float& value);
    bool Skip(uint64_t size);
    // Whether count elements of elementSize bytes each can still be read.
    bool FitsCount(uint64_t count, uint64_t elementSize) const {
        return elementSize == 0 || count <= Remaining() / elementSize;
    }
};

// A source over bytes in memory (not owned).
class CMemorySource : public CByteSource {
public:
    CMemorySource(const void* data, size_t size, std::string name = {})
        : m_data(static_cast<const uint8_t*>(data)), m_size(size), m_name(std::move(name)) {}
    explicit CMemorySource(const std::vector<uint8_t>& bytes, std::string name = {})
        : CMemorySource(bytes.data(), bytes.size(), std::move(name)) {}

    size_t Read(void* buffer, size_t size) override;
    uint64_t Remaining() const override { return m_size - m_pos; }
    std::string Name() const override { return m_name; }
    size_t Position() const { return m_pos; }
    // The next size bytes in place, or null (and nothing consumed) when fewer
    // are left.
    const uint8_t* Take(size_t size);

private:
    const uint8_t* m_data;
    size_t m_size;
    size_t m_pos = 0;
    std::string m_name;
};

// Little-endian writing for the format writers (tools and test fixtures).
class CByteWriter {
public:
    void U8(uint8_t v) { m_bytes.push_back(v); }
    void U16(uint16_t v);
    void U32(uint32_t v);
    void I32(int32_t v) { U32(uint32_t(v)); }
    void I16(int16_t v) { U16(uint16_t(v)); }
    void F32(float v);
    void Bytes(const void* data, size_t size);

    std::vector<uint8_t>& Data() { return m_bytes; }
    std::vector<uint8_t> Take() { return std::move(m_bytes); }

private:
    std::vector<uint8_t> m_bytes;
};
