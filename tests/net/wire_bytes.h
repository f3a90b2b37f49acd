// Server-message bodies written by hand: big-endian numbers, texts with a u8
// or u16 length, and parts joined in order.
#pragma once
#include <cstdint>
#include <initializer_list>
#include <string>
#include <vector>

namespace nettest {

using Bytes = std::vector<uint8_t>;

inline Bytes U16(uint32_t v) {
    return {uint8_t(v >> 8), uint8_t(v)};
}

inline Bytes U32(uint32_t v) {
    return {uint8_t(v >> 24), uint8_t(v >> 16), uint8_t(v >> 8), uint8_t(v)};
}

// A text on the wire: u8 length and the bytes.
inline Bytes Text(const std::string& text) {
    Bytes out{uint8_t(text.size())};
    out.insert(out.end(), text.begin(), text.end());
    return out;
}

// A text with a u16 length.
inline Bytes LongText(const std::string& text) {
    Bytes out = U16(uint32_t(text.size()));
    out.insert(out.end(), text.begin(), text.end());
    return out;
}

inline Bytes Cat(std::initializer_list<Bytes> parts) {
    Bytes out;
    for (const Bytes& part : parts) out.insert(out.end(), part.begin(), part.end());
    return out;
}

}  // namespace nettest
