#include "data/rc4.h"

#include <utility>

CRC4Cipher RC4SetKey(const uint8_t* key, size_t keyLength, uint32_t dropCount) {
    CRC4Cipher cipher;
    for (int n = 0; n < 256; ++n) cipher.m_perm[n] = uint8_t(n);
    uint8_t j = 0;
    for (size_t n = 0; n < 256; ++n) {
        uint8_t k = (key && keyLength) ? key[n % keyLength] : 0;
        j = uint8_t(j + cipher.m_perm[n] + k);
        std::swap(cipher.m_perm[n], cipher.m_perm[j]);
    }
    cipher.m_i = 0;
    cipher.m_j = 0;
    for (uint32_t n = 0; n < dropCount; ++n) cipher.NextByte();
    return cipher;
}

uint8_t CRC4Cipher::NextByte() {
    m_i = uint8_t(m_i + 1);
    m_j = uint8_t(m_j + m_perm[m_i]);
    std::swap(m_perm[m_i], m_perm[m_j]);
    return m_perm[uint8_t(m_perm[m_i] + m_perm[m_j])];
}

void CRC4Cipher::Crypt(uint8_t* output, const uint8_t* input, size_t length) {
    for (size_t n = 0; n < length; ++n) output[n] = input[n] ^ NextByte();
}

bool CRC4Cipher::Reset() {
    m_i = 0;
    m_j = 0;
    return false;
}
