// String and number helpers.
#include <algorithm>
#include <cstring>
#include <string_view>

#include "core/util.h"
#include "platform/codepage.h"

namespace {

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

// Copies [begin, end) into out, cut between characters to what the capacity
// holds. False when it had to be cut (or there is no room for the terminator).
bool CopyCut(const char* begin, size_t length, char* out, size_t capacity) {
    if (!out || capacity == 0) return false;
    size_t n = plat::DbcsPrefixLength(std::string_view(begin, length), capacity - 1);
    std::memmove(out, begin, n);
    out[n] = '\0';
    return n == length;
}

}  // namespace

void SpacesToZeros(char* text) {
    if (!text) return;
    for (; *text; ++text) {
        if (*text == ' ') *text = '0';
    }
}

void StrToUpper(char* text) {
    if (!text) return;
    // Trail bytes of double-byte characters can look like 'a'-'z'; step over them.
    for (char* p = text; *p; p = plat::CharNextA(p)) {
        if (*p >= 'a' && *p <= 'z') *p = char(*p - 'a' + 'A');
    }
}

bool RemoveSpaces(const char* text, char* out, size_t capacity) {
    if (!out || capacity == 0) return false;
    size_t used = 0;
    for (const char* p = text ? text : ""; *p;) {
        const char* next = plat::CharNextA(p);
        if (*p != ' ') {
            size_t n = size_t(next - p);
            if (used + n > capacity - 1) {
                out[used] = '\0';
                return false;
            }
            std::memcpy(out + used, p, n);
            used += n;
        }
        p = next;
    }
    out[used] = '\0';
    return true;
}

bool FirstWord(const char* text, char* out, size_t capacity) {
    if (!out || capacity == 0) return false;
    const char* p = text ? text : "";
    while (IsBlank(*p)) ++p;
    const char* end = p;
    while (*end && !IsBlank(*end)) end = plat::CharNextA(end);
    return CopyCut(p, size_t(end - p), out, capacity);
}

bool GetFileExtension(const char* path, char* out, size_t capacity) {
    if (!out || capacity == 0) return false;
    const char* ext = nullptr;
    for (const char* p = path ? path : ""; *p; p = plat::CharNextA(p)) {
        if (*p == '.')
            ext = p + 1;
        else if (*p == '/' || *p == '\\')
            ext = nullptr;
    }
    if (!ext) {
        out[0] = '\0';
        return true;
    }
    return CopyCut(ext, std::strlen(ext), out, capacity);
}

const char* CopyDbcsPrefix(const char* text, size_t n, char* out, size_t capacity) {
    if (!text) text = "";
    std::string_view whole(text);
    if (!out || capacity == 0) return whole.empty() ? nullptr : text;
    size_t len = plat::DbcsPrefixLength(whole, std::min(n, capacity - 1));
    std::memmove(out, text, len);
    out[len] = '\0';
    return len < whole.size() ? text + len : nullptr;
}

bool TruncateWithEllipsis(const char* text, int n, char* out, size_t capacity) {
    if (!out || capacity == 0) return false;
    if (!text) text = "";
    if (n < 1) {
        out[0] = '\0';
        return true;
    }
    std::string_view whole(text);
    if (whole.size() <= size_t(n)) return CopyCut(text, whole.size(), out, capacity);

    size_t room = capacity - 1;
    size_t dots = std::min<size_t>(3, size_t(n));
    size_t prefixMax = size_t(n) > 3 ? size_t(n) - 3 : 0;
    bool fits = true;
    if (dots + prefixMax > room) {
        fits = false;
        dots = std::min(dots, room);
        prefixMax = room - dots;
    }
    size_t len = plat::DbcsPrefixLength(whole, prefixMax);
    std::memmove(out, text, len);
    std::memcpy(out + len, "...", dots);
    out[len + dots] = '\0';
    return fits;
}

std::string FormatNumberWithCommas(uint32_t number) {
    char digits[16];
    int count = std::snprintf(digits, sizeof digits, "%u", number);
    std::string out;
    for (int i = 0; i < count; ++i) {
        if (i > 0 && (count - i) % 3 == 0) out.push_back(',');
        out.push_back(digits[i]);
    }
    return out;
}

char* FormatNumberWithCommas(uint32_t number, char* out, size_t capacity) {
    std::string text = FormatNumberWithCommas(number);
    CopyCut(text.data(), text.size(), out, capacity);
    return out;
}

int GetDecimalLength(int32_t number) {
    return std::snprintf(nullptr, 0, "%d", number);
}
int GetDecimalLength(uint32_t number) {
    return std::snprintf(nullptr, 0, "%u", number);
}

void XorBytes(void* buffer, size_t length, uint8_t key) {
    auto* bytes = static_cast<uint8_t*>(buffer);
    for (size_t i = 0; bytes && i < length; ++i) bytes[i] ^= key;
}

int64_t ParseInt64(const char* text) {
    if (!text) return 0;
    while (*text == ' ' || (*text >= '\t' && *text <= '\r')) ++text;
    const bool negative = *text == '-';
    if (*text == '-' || *text == '+') ++text;
    // Accumulated towards the sign, so that the most negative value fits.
    int64_t value = 0;
    for (; *text >= '0' && *text <= '9'; ++text) {
        const int digit = *text - '0';
        if (negative) {
            if (value < (INT64_MIN + digit) / 10) return INT64_MIN;
            value = value * 10 - digit;
        } else {
            if (value > (INT64_MAX - digit) / 10) return INT64_MAX;
            value = value * 10 + digit;
        }
    }
    return value;
}

int32_t ParseInt32(const char* text) {
    const int64_t value = ParseInt64(text);
    if (value > INT32_MAX) return INT32_MAX;
    if (value < INT32_MIN) return INT32_MIN;
    return int32_t(value);
}

std::string EscapeHtmlText(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    const std::string whole(text);
    for (const char* p = whole.c_str(); *p;) {
        const char* next = plat::CharNextA(p);
        if (next - p == 1) {
            switch (*p) {
                case '&':
                    out += "&amp;";
                    break;
                case '<':
                    out += "&lt;";
                    break;
                case '>':
                    out += "&gt;";
                    break;
                case '"':
                    out += "&quot;";
                    break;
                case '\'':
                    out += "&#39;";
                    break;
                default:
                    out += *p;
                    break;
            }
        } else {
            out.append(p, size_t(next - p));
        }
        p = next;
    }
    return out;
}
