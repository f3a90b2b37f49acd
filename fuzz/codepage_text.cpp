// Hostile text through the code-page conversions, the character stepping and
// the string helpers that cut into small buffers.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "core/util.h"
#include "platform/codepage.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 2) return 0;
    const unsigned codePage = (data[0] & 1) ? plat::CP_KOREAN : plat::CP_SHIFT_JIS;
    const size_t capacity = data[1] % 24;  // 0 to 23: small buffers cut often
    std::string text(reinterpret_cast<const char*>(data + 2), size - 2);
    plat::ScopedCodePage cp(codePage);

    // Conversions never fail and ASCII-only text survives the round trip.
    std::string utf8 = plat::ToUtf8(text);
    std::string back = plat::FromUtf8(utf8);
    plat::FromUtf8(text);
    bool ascii = true;
    for (unsigned char c : text) ascii = ascii && c < 0x80;
    if (ascii && back != text) std::abort();

    // Stepping stays inside the string and ends on its terminator.
    const char* s = text.c_str();
    const char* end = s + std::strlen(s);
    for (const char* p = s; *p;) {
        const char* next = plat::CharNextA(p);
        if (next <= p || next > end) std::abort();
        if (plat::CharPrevA(s, next) != p) std::abort();
        p = next;
    }

    // Exact-size heap buffers, so that any write past the capacity is caught.
    std::vector<char> out(capacity ? capacity : 1);
    char* buf = capacity ? out.data() : nullptr;
    RemoveSpaces(s, buf, capacity);
    FirstWord(s, buf, capacity);
    GetFileExtension(s, buf, capacity);
    CopyDbcsPrefix(s, data[1], buf, capacity);
    TruncateWithEllipsis(s, int(data[1]) - 4, buf, capacity);
    if (capacity && std::strlen(out.data()) >= capacity) std::abort();
    std::vector<char> upper(s, end + 1);
    StrToUpper(upper.data());
    SpacesToZeros(upper.data());
    return 0;
}
