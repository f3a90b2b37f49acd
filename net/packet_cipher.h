// The table cipher that hides every frame body but a few login-time messages.
// A key string is XORed over the payload, and each block of key-length bytes
// is XORed with a mask byte drawn from one of 21 byte functions: mask m[b]
// for block b (skipped for the block whose number equals the sequence byte)
// and m[sequence] over everything. The sequence byte travels in clear after
// the opcode; the sender counts it up from 0, wrapping after 255.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string_view>

class CPacketCipher {
public:
    static constexpr int MAX_MASK_FUNCTION = 20;
    static constexpr size_t MAX_KEY_LENGTH = 255;
    // The key a new connection starts with (the servers start with it too).
    static constexpr std::string_view DEFAULT_KEY = "Qm7rW4xKv";

    CPacketCipher();

    // Installs a key of 1 to MAX_KEY_LENGTH bytes; false (key kept) otherwise.
    bool SetCipherKey(std::string_view key);
    // Fills the mask table from byte function index; false (table kept) for an
    // index above MAX_MASK_FUNCTION.
    bool BuildMaskTable(int index);
    // Value of byte function index at v (0-255); index must be 0-20.
    static uint8_t ByteFunction(int index, uint8_t v);

    // message = [opcode][payload...] of length n >= 1 -> output = [opcode][sequence]
    // [enciphered payload]; returns n + 1 and advances the send sequence. Writes
    // exactly n + 1 bytes.
    size_t EncryptFrame(const uint8_t* message, size_t length, uint8_t* output);
    // frame = [opcode][sequence][enciphered payload] of length n -> output =
    // [opcode][payload]; returns n - 1. A frame of 1 or 2 bytes gives the opcode
    // alone (1); 0 gives 0.
    size_t DecryptFrame(const uint8_t* frame, size_t length, uint8_t* output) const;

    uint8_t SendSequence() const { return m_sendSequence; }
    void SetSendSequence(uint8_t sequence) { m_sendSequence = sequence; }
    size_t KeyLength() const { return m_keyLength; }
    uint8_t Mask(uint8_t k) const { return uint8_t(m_maskTable[k]); }

private:
    // Applies key and masks for sequence s: out[j] = in[j] ^ key[j % L] ^ m[s]
    // ^ (j / L % 256 != s ? m[j / L % 256] : 0). Its own inverse.
    void Apply(const uint8_t* in, uint8_t* out, size_t n, uint8_t s) const;

    size_t m_keyLength = 0;
    // The key four times back to back, so that it can be applied a word at a time.
    uint8_t m_keyWords[MAX_KEY_LENGTH * 4];
    // Mask byte of each block number, replicated into all four bytes.
    uint32_t m_maskTable[256];
    uint8_t m_sendSequence = 0;
};
