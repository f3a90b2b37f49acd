#include "net/packet_cipher.h"

#include <cstring>

CPacketCipher::CPacketCipher() {
    std::memset(m_keyWords, 0, sizeof(m_keyWords));
    SetCipherKey(DEFAULT_KEY);
    BuildMaskTable(0);
}

bool CPacketCipher::SetCipherKey(std::string_view key) {
    if (key.empty() || key.size() > MAX_KEY_LENGTH) return false;
    m_keyLength = key.size();
    for (size_t copy = 0; copy < 4; ++copy)
        std::memcpy(m_keyWords + copy * m_keyLength, key.data(), m_keyLength);
    return true;
}

uint8_t CPacketCipher::ByteFunction(int index, uint8_t value) {
    const int v = value;
    int r = 0;
    switch (index) {
        case 0:
            r = v;
            break;
        case 1:
            r = v > 64 ? v / 3 + 170 : 3 * v;
            break;
        case 2:
            r = ((255 - v) * v) >> 6;
            break;
        case 3:
            r = v > 191 ? 4 * v - 768 : 255 - 4 * v / 3;
            break;
        case 4:
            r = v > 191 ? 1023 - 4 * v : 4 * v / 3;
            break;
        case 5:
            r = (v & 1) ? 128 - (v >> 1) : 128 + (v >> 1);
            break;
        case 6:
            r = v < 64 ? (64 - v) * 2 : (v > 191 ? 639 - 2 * v : 2 * v - 128);
            break;
        case 7:
            r = v < 128 ? 2 * v : 511 - 2 * v;
            break;
        case 8:
            r = 255 - (2 * v % 256);
            break;
        case 9:
            r = (v >> 4) * (v >> 4);
            break;
        case 10:
            r = 255 - v;
            break;
        case 11:
            r = (v & 1) ? 128 - (v + 1) / 2 : 128 + (v + 1) / 2;
            break;
        case 12:
            r = (v & 1) ? 128 - (255 - v) / 2 : 128 + (255 - v) / 2;
            break;
        case 13:
            r = 2 * v % 256;
            break;
        case 14:
            r = v > 127 ? 2 * v - 256 : 255 - 2 * v;
            break;
        case 15: {
            int q = (v - 128) / 8;
            r = 255 - (q * q % 256);
            break;
        }
        case 16:
            r = v > 127 ? 2 * v - 256 : 128 - v;
            break;
        case 17:
            r = v < 64 ? 4 * v : 340 - 4 * v / 3;
            break;
        case 18:
            r = v > 63 ? 4 * v / 3 - 85 : 255 - 4 * v;
            break;
        case 19:
            r = (v - 128) * (v - 128) / 64 - (v == 0 ? 1 : 0);
            break;
        case 20:
            r = v > 191 ? 3 * v - 511 : v / 3;
            break;
        default:
            r = 0;
            break;
    }
    return uint8_t(r);
}

bool CPacketCipher::BuildMaskTable(int index) {
    if (index < 0 || index > MAX_MASK_FUNCTION) return false;
    for (int k = 0; k < 256; ++k) m_maskTable[k] = ByteFunction(index, uint8_t(k)) * 0x01010101u;
    return true;
}

void CPacketCipher::Apply(const uint8_t* in, uint8_t* out, size_t n, uint8_t s) const {
    const size_t keyLength = m_keyLength;
    const uint32_t sequenceMask = m_maskTable[s];
    size_t block = 0;
    for (size_t start = 0; start < n; start += keyLength, ++block) {
        const uint8_t number = uint8_t(block);
        const uint32_t mask = number == s ? sequenceMask : sequenceMask ^ m_maskTable[number];
        const size_t end = n - start < keyLength ? n : start + keyLength;
        size_t j = start;
        // Within a block the key starts again at its first byte; the key is
        // stored four times, so word i of the block uses key bytes 4i to 4i+3.
        const uint8_t* key = m_keyWords;
        for (; j + 4 <= end; j += 4, key += 4) {
            uint32_t word, keyWord;
            std::memcpy(&word, in + j, 4);
            std::memcpy(&keyWord, key, 4);
            word ^= keyWord ^ mask;
            std::memcpy(out + j, &word, 4);
        }
        for (; j < end; ++j, ++key) out[j] = uint8_t(in[j] ^ *key ^ mask);
    }
}

size_t CPacketCipher::EncryptFrame(const uint8_t* message, size_t length, uint8_t* output) {
    if (length == 0) return 0;
    const uint8_t s = m_sendSequence;
    m_sendSequence = uint8_t(s + 1);
    output[0] = message[0];
    output[1] = s;
    Apply(message + 1, output + 2, length - 1, s);
    return length + 1;
}

size_t CPacketCipher::DecryptFrame(const uint8_t* frame, size_t length, uint8_t* output) const {
    if (length == 0) return 0;
    output[0] = frame[0];
    if (length <= 2) return 1;
    Apply(frame + 2, output + 1, length - 2, frame[1]);
    return length - 1;
}
