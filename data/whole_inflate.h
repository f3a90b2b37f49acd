// Inflating a whole zlib stream whose unpacked size is known, into memory
// given for it: the fast whole-buffer inflater first, zlib's uncompress when
// that one refuses the bytes, so that a damaged stream gets zlib's own answer.
#pragma once
#include <cstddef>
#include <cstdint>

// Returns a zlib result (Z_OK, Z_DATA_ERROR, Z_BUF_ERROR, ...) as uncompress
// gives it for the same bytes; *length receives the bytes written.
int InflateWhole(uint8_t* out, size_t capacity, const uint8_t* stored, size_t storedSize, size_t* length);
