#include "anim/model_io.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cinttypes>
#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

// Largest count the text form accepts (a slip of the pen must not allocate gigabytes).
constexpr uint32_t kMaxTextCount = 1u << 24;

const char* Or(const char* name, const char* fallback) {
    return name ? name : fallback;
}

}  // namespace

void CModelIo::Fail(const char* format, ...) {
    if (Failed()) return;
    char text[320];
    va_list args;
    va_start(args, format);
    std::vsnprintf(text, sizeof text, format, args);
    va_end(args);
    m_error = text[0] ? text : "failed";
}

// ---- Binary reading ----

bool CModelReader::HasBytes(size_t n, const char* name) {
    if (Failed()) return false;
    if (Remaining() >= n) return true;
    Fail("short data at byte %zu: %s needs %zu bytes, %zu left", Position(), Or(name, "value"), n,
         Remaining());
    return false;
}

bool CModelReader::Take(void* out, size_t n, const char* name) {
    return HasBytes(n, name) && m_src.ReadExact(out, n);
}

void CModelReader::U8(const char* name, uint8_t& v) {
    if (!HasBytes(1, name) || !m_src.ReadU8(v)) v = 0;
}

void CModelReader::U16(const char* name, uint16_t& v) {
    if (!HasBytes(2, name) || !m_src.ReadU16(v)) v = 0;
}

void CModelReader::U32(const char* name, uint32_t& v) {
    if (!HasBytes(4, name) || !m_src.ReadU32(v)) v = 0;
}

void CModelReader::I32(const char* name, int32_t& v) {
    if (!HasBytes(4, name) || !m_src.ReadI32(v)) v = 0;
}

void CModelReader::F32(const char* name, float& v) {
    if (!HasBytes(4, name) || !m_src.ReadF32(v)) v = 0;
}

void CModelReader::Text(const char* name, std::string& s, size_t size) {
    std::vector<char> buffer(size);
    if (!Take(buffer.data(), size, name)) {
        s.clear();
        return;
    }
    s.assign(buffer.data(), strnlen(buffer.data(), size));
}

void CModelReader::Raw(const char* name, std::vector<uint8_t>& bytes, size_t size) {
    bytes.clear();
    if (!HasBytes(size, name)) return;
    bytes.resize(size);
    m_src.ReadExact(bytes.data(), size);
}

bool CModelReader::CheckCount(const char* name, uint64_t n, size_t bytesEach) {
    if (Failed()) return false;
    if (!m_src.FitsCount(n, bytesEach)) {
        Fail("%s %" PRIu64 " at byte %zu cannot fit in the %zu bytes left", Or(name, "count"), n, Position(),
             Remaining());
        return false;
    }
    return true;
}

void CModelReader::Count32(const char* name, uint32_t& n, size_t bytesEach) {
    U32(name, n);
    if (!CheckCount(name, n, bytesEach)) n = 0;
}

void CModelReader::Count16(const char* name, uint16_t& n, size_t bytesEach) {
    U16(name, n);
    if (!CheckCount(name, n, bytesEach)) n = 0;
}

void CModelReader::CountI32(const char* name, int32_t& n, size_t bytesEach) {
    I32(name, n);
    if (Failed()) {
        n = 0;
        return;
    }
    if (n < 0) {
        Fail("%s at byte %zu is negative (%d)", Or(name, "count"), Position() - 4, n);
        n = 0;
        return;
    }
    if (!CheckCount(name, uint64_t(n), bytesEach)) n = 0;
}

// ---- Binary writing ----

void CModelWriter::Text(const char*, std::string& s, size_t size) {
    std::vector<uint8_t> field(size, 0);
    // Always terminated inside the field.
    const size_t n = size ? std::min(s.size(), size - 1) : 0;
    if (n) std::memcpy(field.data(), s.data(), n);
    m_out.Bytes(field.data(), size);
}

void CModelWriter::Raw(const char*, std::vector<uint8_t>& bytes, size_t size) {
    std::vector<uint8_t> field(size, 0);
    if (!bytes.empty()) std::memcpy(field.data(), bytes.data(), std::min(bytes.size(), size));
    m_out.Bytes(field.data(), size);
}

// ---- Text writing ----

void CModelTextWriter::Line() {
    if (!m_text.empty()) m_text += '\n';
    m_text.append(size_t(m_depth) * 2, ' ');
}

void CModelTextWriter::Number(const char* name, const std::string& value) {
    if (name) {
        Line();
        m_text += name;
    }
    m_text += ' ';
    m_text += value;
}

void CModelTextWriter::F32(const char* name, float& v) {
    char text[32];
    std::snprintf(text, sizeof text, "%.9g", double(v));
    Number(name, text);
}

void CModelTextWriter::Color(const char* name, uint32_t& v) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%08X", v);
    Number(name, text);
}

void CModelTextWriter::Text(const char* name, std::string& s, size_t) {
    std::string quoted = "\"";
    for (unsigned char c : s) {
        if (c == '"' || c == '\\') {
            quoted += '\\';
            quoted += char(c);
        } else if (c < 0x20 || c >= 0x7F) {
            char hex[8];
            std::snprintf(hex, sizeof hex, "\\x%02X", c);
            quoted += hex;
        } else {
            quoted += char(c);
        }
    }
    quoted += '"';
    Number(name, quoted);
}

void CModelTextWriter::Raw(const char* name, std::vector<uint8_t>& bytes, size_t size) {
    // All-zero blocks are the default and are left out.
    bool zero = true;
    for (size_t i = 0; i < bytes.size() && i < size; ++i) zero = zero && bytes[i] == 0;
    if (zero) return;
    std::string hex = "x:";
    for (size_t i = 0; i < size; ++i) {
        char b[3];
        std::snprintf(b, sizeof b, "%02x", i < bytes.size() ? bytes[i] : 0);
        hex += b;
    }
    Number(name, hex);
}

// ---- Text reading ----

CModelTextReader::CModelTextReader(std::string_view text) {
    int line = 1;
    size_t i = 0;
    while (i < text.size() && !Failed()) {
        const char c = text[i];
        if (c == '\n') {
            ++line;
            ++i;
        } else if (c == ' ' || c == '\t' || c == '\r') {
            ++i;
        } else if (c == '#') {
            while (i < text.size() && text[i] != '\n') ++i;
        } else if (c == '"') {
            Token t{"", line, true};
            ++i;
            bool closed = false;
            while (i < text.size()) {
                const char d = text[i++];
                if (d == '"') {
                    closed = true;
                    break;
                }
                if (d == '\n') break;
                if (d != '\\' || i >= text.size()) {
                    t.text += d;
                    continue;
                }
                const char e = text[i++];
                if (e == 'x' && i + 1 < text.size() && std::isxdigit(static_cast<unsigned char>(text[i])) &&
                    std::isxdigit(static_cast<unsigned char>(text[i + 1]))) {
                    t.text += char(std::strtoul(std::string(text.substr(i, 2)).c_str(), nullptr, 16));
                    i += 2;
                } else if (e == '"' || e == '\\') {
                    t.text += e;
                } else {
                    // Not an escape: game paths keep their backslashes.
                    t.text += '\\';
                    --i;
                }
            }
            if (!closed) Fail("line %d: string without its closing quote", line);
            m_tokens.push_back(std::move(t));
        } else {
            const size_t start = i;
            while (i < text.size() && text[i] != ' ' && text[i] != '\t' && text[i] != '\r' &&
                   text[i] != '\n' && text[i] != '#')
                ++i;
            m_tokens.push_back({std::string(text.substr(start, i - start)), line, false});
        }
    }
}

bool CModelTextReader::Named(const char* name) {
    if (Failed()) return false;
    if (!name) return true;
    if (m_next < m_tokens.size() && !m_tokens[m_next].quoted && m_tokens[m_next].text == name) {
        ++m_next;
        return true;
    }
    return false;
}

bool CModelTextReader::Expect(const char* word) {
    if (Failed()) return false;
    if (m_next >= m_tokens.size()) {
        Fail("end of text where \"%s\" was expected", word);
        return false;
    }
    const Token& t = m_tokens[m_next];
    if (t.quoted || t.text != word) {
        Fail("line %d: \"%s\" where \"%s\" was expected", t.line, t.text.c_str(), word);
        return false;
    }
    ++m_next;
    return true;
}

const CModelTextReader::Token* CModelTextReader::Value(const char* name) {
    if (!Named(name)) return nullptr;
    if (m_next >= m_tokens.size()) {
        Fail("end of text where the value of %s was expected", Or(name, "a list"));
        return nullptr;
    }
    return &m_tokens[m_next++];
}

bool CModelTextReader::Unsigned(const char* name, uint64_t max, uint64_t& out) {
    const Token* t = Value(name);
    if (!t) return false;
    errno = 0;
    char* end = nullptr;
    const unsigned long long v = std::strtoull(t->text.c_str(), &end, 0);
    if (t->quoted || t->text.empty() || *end || errno || t->text[0] == '-' || v > max) {
        Fail("line %d: %s: \"%s\" is not a number from 0 to %llu", t->line, Or(name, "value"),
             t->text.c_str(), static_cast<unsigned long long>(max));
        return false;
    }
    out = v;
    return true;
}

void CModelTextReader::U8(const char* name, uint8_t& v) {
    uint64_t u;
    if (Unsigned(name, 0xFF, u)) v = uint8_t(u);
}

void CModelTextReader::U16(const char* name, uint16_t& v) {
    uint64_t u;
    if (Unsigned(name, 0xFFFF, u)) v = uint16_t(u);
}

void CModelTextReader::U32(const char* name, uint32_t& v) {
    uint64_t u;
    if (Unsigned(name, 0xFFFFFFFFu, u)) v = uint32_t(u);
}

void CModelTextReader::I32(const char* name, int32_t& v) {
    const Token* t = Value(name);
    if (!t) return;
    errno = 0;
    char* end = nullptr;
    const long long n = std::strtoll(t->text.c_str(), &end, 0);
    if (t->quoted || t->text.empty() || *end || errno || n < INT32_MIN || n > INT32_MAX) {
        Fail("line %d: %s: \"%s\" is not a 32-bit number", t->line, Or(name, "value"), t->text.c_str());
        return;
    }
    v = int32_t(n);
}

void CModelTextReader::F32(const char* name, float& v) {
    const Token* t = Value(name);
    if (!t) return;
    char* end = nullptr;
    const float f = std::strtof(t->text.c_str(), &end);
    if (t->quoted || t->text.empty() || *end) {
        Fail("line %d: %s: \"%s\" is not a number", t->line, Or(name, "value"), t->text.c_str());
        return;
    }
    v = f;
}

void CModelTextReader::Text(const char* name, std::string& s, size_t size) {
    const Token* t = Value(name);
    if (!t) return;
    if (!t->quoted) {
        Fail("line %d: %s takes a quoted text", t->line, Or(name, "value"));
        return;
    }
    if (size && t->text.size() >= size) {
        Fail("line %d: %s is longer than %zu bytes", t->line, Or(name, "text"), size - 1);
        return;
    }
    s = t->text;
}

void CModelTextReader::Raw(const char* name, std::vector<uint8_t>& bytes, size_t size) {
    const Token* t = Value(name);
    if (!t) return;
    const std::string& h = t->text;
    if (t->quoted || h.compare(0, 2, "x:") != 0 || (h.size() - 2) % 2 || (h.size() - 2) / 2 > size) {
        Fail("line %d: %s takes x: and at most %zu bytes in hexadecimal", t->line, Or(name, "block"), size);
        return;
    }
    bytes.assign(size, 0);
    const size_t n = (h.size() - 2) / 2;
    for (size_t i = 0; i < n; ++i) {
        const std::string pair = h.substr(2 + 2 * i, 2);
        char* end = nullptr;
        const unsigned long b = std::strtoul(pair.c_str(), &end, 16);
        if (*end) {
            Fail("line %d: %s: \"%s\" is not hexadecimal", t->line, Or(name, "block"), pair.c_str());
            return;
        }
        bytes[i] = uint8_t(b);
    }
}

void CModelTextReader::CountValue(const char* name, uint32_t& n) {
    uint64_t u;
    if (Unsigned(name, kMaxTextCount, u)) n = uint32_t(u);
}

bool CModelTextReader::Fits(const char* name, uint64_t n, size_t) {
    if (Failed()) return false;
    if (n > kMaxTextCount) {
        Fail("%s: %llu is more than %u", Or(name, "count"), static_cast<unsigned long long>(n),
             kMaxTextCount);
        return false;
    }
    return true;
}

void CModelTextReader::Count16(const char* name, uint16_t& n, size_t) {
    uint64_t u;
    if (Unsigned(name, 0xFFFF, u)) n = uint16_t(u);
}

void CModelTextReader::CountI32(const char* name, int32_t& n, size_t) {
    uint64_t u;
    if (Unsigned(name, kMaxTextCount, u)) n = int32_t(u);
}

void CModelTextReader::Finish() {
    if (!Failed() && m_next < m_tokens.size())
        Fail("line %d: \"%s\" is not a field here", m_tokens[m_next].line, m_tokens[m_next].text.c_str());
}
