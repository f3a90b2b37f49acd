#include "platform/codepage.h"

#include <iconv.h>

#include <atomic>
#include <cerrno>
#include <cstring>

namespace plat {
namespace {

std::atomic<unsigned> g_codePage{CP_SHIFT_JIS};

// iconv names glibc knows for each code page, the first that opens is used.
const char* const kShiftJisNames[] = {"CP932", "SHIFT_JIS"};
const char* const kKoreanNames[] = {"CP949", "UHC"};

// One conversion descriptor per direction and code page, opened on first use
// and kept for the thread.
class Converter {
public:
    Converter(unsigned codePage, bool toUtf8) {
        const char* const* names = codePage == CP_KOREAN ? kKoreanNames : kShiftJisNames;
        for (int i = 0; i < 2 && m_cd == reinterpret_cast<iconv_t>(-1); ++i) {
            m_cd = toUtf8 ? iconv_open("UTF-8", names[i]) : iconv_open(names[i], "UTF-8");
        }
    }
    ~Converter() {
        if (Ok()) iconv_close(m_cd);
    }
    Converter(const Converter&) = delete;
    Converter& operator=(const Converter&) = delete;

    bool Ok() const { return m_cd != reinterpret_cast<iconv_t>(-1); }
    iconv_t Get() const { return m_cd; }

private:
    iconv_t m_cd = reinterpret_cast<iconv_t>(-1);
};

Converter& GetConverter(unsigned codePage, bool toUtf8) {
    thread_local Converter sjisTo(CP_SHIFT_JIS, true), sjisFrom(CP_SHIFT_JIS, false);
    thread_local Converter uhcTo(CP_KOREAN, true), uhcFrom(CP_KOREAN, false);
    if (codePage == CP_KOREAN) return toUtf8 ? uhcTo : uhcFrom;
    return toUtf8 ? sjisTo : sjisFrom;
}

// Input bytes one replacement covers at p: a whole sequence that converts to
// nothing in the code page, or the lead byte and the continuation bytes that
// follow it in a broken sequence (one byte for a byte that starts none).
size_t Utf8SequenceLength(const unsigned char* p, size_t left) {
    size_t n = 1;
    if (p[0] >= 0xC2 && p[0] <= 0xDF)
        n = 2;
    else if (p[0] >= 0xE0 && p[0] <= 0xEF)
        n = 3;
    else if (p[0] >= 0xF0 && p[0] <= 0xF4)
        n = 4;
    size_t i = 1;
    while (i < n && i < left && (p[i] & 0xC0) == 0x80) ++i;
    return i;
}

// Runs iconv over the whole input. A byte sequence that does not convert is
// replaced by `replacement`; `skip` tells how many input bytes it covers.
template <typename Skip>
std::string Convert(Converter& conv, std::string_view input, std::string_view replacement, Skip skip) {
    std::string out;
    if (!conv.Ok()) {
        // No converter: keep ASCII, replace the rest.
        for (unsigned char c : input) {
            if (c < 0x80)
                out.push_back(char(c));
            else
                out.append(replacement);
        }
        return out;
    }
    iconv(conv.Get(), nullptr, nullptr, nullptr, nullptr);
    out.resize(input.size() * 3 + 16);
    char* in = const_cast<char*>(input.data());
    size_t inLeft = input.size();
    size_t used = 0;
    while (inLeft > 0) {
        char* dst = out.data() + used;
        size_t dstLeft = out.size() - used;
        size_t r = iconv(conv.Get(), &in, &inLeft, &dst, &dstLeft);
        used = out.size() - dstLeft;
        if (r != size_t(-1)) break;
        if (errno == E2BIG) {
            out.resize(out.size() * 2 + 16);
            continue;
        }
        // EILSEQ or EINVAL (a sequence cut at the end): replace and go on.
        size_t n = skip(reinterpret_cast<const unsigned char*>(in), inLeft);
        if (out.size() - used < replacement.size()) out.resize(out.size() + replacement.size() + 16);
        std::memcpy(out.data() + used, replacement.data(), replacement.size());
        used += replacement.size();
        in += n;
        inLeft -= n;
        iconv(conv.Get(), nullptr, nullptr, nullptr, nullptr);
    }
    out.resize(used);
    return out;
}

}  // namespace

bool SetCodePage(unsigned codePage) {
    if (codePage != CP_SHIFT_JIS && codePage != CP_KOREAN) return false;
    g_codePage = codePage;
    return true;
}

unsigned GetACP() {
    return g_codePage;
}

bool IsDBCSLeadByteEx(unsigned codePage, uint8_t byte) {
    if (codePage == CP_KOREAN) return byte >= 0x81 && byte <= 0xFE;
    return (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC);
}

bool IsDBCSLeadByte(uint8_t byte) {
    return IsDBCSLeadByteEx(g_codePage, byte);
}

const char* CharNextA(const char* p) {
    if (!p || *p == '\0') return p;
    if (IsDBCSLeadByte(uint8_t(p[0])) && p[1] != '\0') return p + 2;
    return p + 1;
}

char* CharNextA(char* p) {
    return const_cast<char*>(CharNextA(static_cast<const char*>(p)));
}

const char* CharPrevA(const char* start, const char* p) {
    if (!start || !p || p <= start) return start;
    const char* cur = start;
    while (*cur != '\0') {
        const char* next = CharNextA(cur);
        if (next >= p) break;
        cur = next;
    }
    return cur;
}

size_t DbcsPrefixLength(std::string_view text, size_t maxBytes) {
    if (text.size() <= maxBytes) return text.size();
    size_t pos = 0;
    while (pos < text.size()) {
        size_t step = IsDBCSLeadByte(uint8_t(text[pos])) && pos + 1 < text.size() ? 2 : 1;
        if (pos + step > maxBytes) break;
        pos += step;
    }
    return pos;
}

std::string ToUtf8(unsigned codePage, std::string_view text) {
    return Convert(
        GetConverter(codePage, true), text, "\xEF\xBF\xBD", [codePage](const unsigned char* p, size_t left) {
            return IsDBCSLeadByteEx(codePage, p[0]) && left >= 2 && p[1] >= 0x40 ? size_t(2) : size_t(1);
        });
}

std::string FromUtf8(unsigned codePage, std::string_view utf8) {
    return Convert(GetConverter(codePage, false), utf8, "?", Utf8SequenceLength);
}

std::string FromUtf8Dropping(std::string_view utf8) {
    return Convert(GetConverter(g_codePage, false), utf8, "", Utf8SequenceLength);
}

std::string ToUtf8(std::string_view text) {
    return ToUtf8(g_codePage, text);
}
std::string FromUtf8(std::string_view utf8) {
    return FromUtf8(g_codePage, utf8);
}

}  // namespace plat
