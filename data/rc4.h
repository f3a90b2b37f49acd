// RC4 stream cipher. The state carries over between calls, so successive
// Crypt calls continue one keystream.
#pragma once
#include <cstddef>
#include <cstdint>

class CRC4Cipher {
public:
    // XORs length input bytes with the next keystream bytes into output
    // (output may equal input).
    void Crypt(uint8_t* output, const uint8_t* input, size_t length);
    // The same in place.
    void RC4Crypt(uint8_t* buffer, size_t length) { Crypt(buffer, buffer, length); }
    // Sets both indices to 0; the permutation keeps its state, so the
    // keystream does not start over. Returns false.
    bool Reset();

    const uint8_t* Permutation() const { return m_perm; }
    uint8_t I() const { return m_i; }
    uint8_t J() const { return m_j; }

private:
    friend CRC4Cipher RC4SetKey(const uint8_t* key, size_t keyLength, uint32_t dropCount);
    uint8_t NextByte();

    uint8_t m_perm[256] = {};
    uint8_t m_i = 0;
    uint8_t m_j = 0;
};

// Runs the key schedule (the key repeats over the 256 steps; an empty key
// adds nothing), sets both indices to 0 and discards dropCount keystream bytes.
CRC4Cipher RC4SetKey(const uint8_t* key, size_t keyLength, uint32_t dropCount);
