// The system's double-byte code page. Game text is bytes of this code page:
// Shift-JIS (932) unless the configuration selects Korean (949). Strings that
// are cut or walked are stepped a character at a time with CharNextA so that a
// double-byte character is never split.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace plat {

constexpr unsigned CP_SHIFT_JIS = 932;
constexpr unsigned CP_KOREAN = 949;

// Selects the code page; only 932 and 949 are known. Returns false (and keeps
// the current one) for any other value.
bool SetCodePage(unsigned codePage);
// The code page in use.
unsigned GetACP();

// True when the byte starts a double-byte character in the given code page.
bool IsDBCSLeadByteEx(unsigned codePage, uint8_t byte);
// The same for the code page in use.
bool IsDBCSLeadByte(uint8_t byte);

// The next character after p: p itself at the terminating NUL, two bytes on for
// a lead byte followed by a non-NUL byte, otherwise one byte on.
const char* CharNextA(const char* p);
char* CharNextA(char* p);
// The character before p, walking from start; start itself when p <= start.
const char* CharPrevA(const char* start, const char* p);

// Length of the longest prefix of text of at most maxBytes bytes that does not
// split a double-byte character. A lead byte at the very end of text counts as
// one character of its own.
size_t DbcsPrefixLength(std::string_view text, size_t maxBytes);

// Conversion between the code page in use and UTF-8. Bytes that do not convert
// become U+FFFD (to UTF-8) or '?' (from UTF-8); nothing is ever dropped silently
// past the bad byte.
std::string ToUtf8(std::string_view text);
std::string FromUtf8(std::string_view utf8);
// The same with an explicit code page.
std::string ToUtf8(unsigned codePage, std::string_view text);
std::string FromUtf8(unsigned codePage, std::string_view utf8);
// UTF-8 to the code page in use with the characters it lacks left out (what
// the player types, composes or pastes).
std::string FromUtf8Dropping(std::string_view utf8);

// Selects a code page for the lifetime of the guard (tests).
class ScopedCodePage {
public:
    explicit ScopedCodePage(unsigned codePage) : m_previous(GetACP()) { SetCodePage(codePage); }
    ~ScopedCodePage() { SetCodePage(m_previous); }
    ScopedCodePage(const ScopedCodePage&) = delete;
    ScopedCodePage& operator=(const ScopedCodePage&) = delete;

private:
    unsigned m_previous;
};

}  // namespace plat
