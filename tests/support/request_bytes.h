// Requests as the session queues them, written out byte by byte for the
// tests that compare what a window sent.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace qmreq {

using Bytes = std::vector<uint8_t>;

// A request: code, sub-code and the rest.
inline Bytes Request(uint8_t code, uint8_t sub, const Bytes& rest = {}) {
    Bytes out = {code, sub};
    out.insert(out.end(), rest.begin(), rest.end());
    return out;
}
// u8 length and the bytes.
inline Bytes Text(const std::string& text) {
    Bytes out = {uint8_t(text.size())};
    out.insert(out.end(), text.begin(), text.end());
    return out;
}
// The same with the terminating 0 counted.
inline Bytes TextZ(const std::string& text) {
    Bytes out = {uint8_t(text.size() + 1)};
    out.insert(out.end(), text.begin(), text.end());
    out.push_back(0);
    return out;
}
inline Bytes operator+(Bytes a, const Bytes& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

}  // namespace qmreq
