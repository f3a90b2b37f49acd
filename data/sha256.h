// The SHA-256 compression function. Callers form the 64-byte blocks
// themselves (no padding or length block is added here). The sixteen message
// words of a block are read as little-endian 32-bit values: a block gives the
// state the standard function gives for the same block with the bytes of
// every 4-byte group reversed. Signatures stored by the program rely on this
// word order.
#pragma once
#include <cstdint>

constexpr int SHA256_STATE_WORDS = 8;
constexpr int SHA256_BLOCK_SIZE = 64;

// Stores the eight standard initial hash values.
void Sha256Init(uint32_t state[SHA256_STATE_WORDS]);
// Runs the 64 rounds over one block and adds the result into the state.
void Sha256Transform(uint32_t state[SHA256_STATE_WORDS], const uint8_t block[SHA256_BLOCK_SIZE]);
