#include "ui/window_layout.h"

#include <charconv>
#include <cmath>
#include <vector>

#include "platform/paths.h"

namespace {

// White space as the C library's isspace sees it in the C locale.
bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

}  // namespace

bool IsLayoutToken(std::string_view text) {
    if (text.empty() || text.size() >= LAYOUT_TOKEN_SIZE) return false;
    for (char c : text)
        if (IsBlank(c) || c == '\0') return false;
    return true;
}

std::string FormatLayoutFloat(float value) {
    char buffer[64];
    auto [end, ec] = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, 6);
    if (ec != std::errc()) return "0.000000";
    return std::string(buffer, end);
}

float ParseLayoutFloat(std::string_view token, float defaultValue) {
    if (!token.empty() && token.front() == '+') token.remove_prefix(1);
    float value = 0.0f;
    const char* end = token.data() + token.size();
    auto [stop, ec] = std::from_chars(token.data(), end, value);
    if (ec != std::errc() || stop != end || !std::isfinite(value) || std::fabs(value) > LAYOUT_FLOAT_LIMIT)
        return defaultValue;
    return value;
}

CLayoutWriter::CLayoutWriter() : m_text(std::string(LAYOUT_HEADER) + "\n") {}

bool CLayoutWriter::WriteLine(std::string_view identifier, std::string_view key, std::string_view value) {
    if (!IsLayoutToken(identifier) || !IsLayoutToken(key) || !IsLayoutToken(value)) return false;
    m_text.append(identifier).append(" ").append(key).append(" ").append(value).append("\n");
    return true;
}

bool CLayoutWriter::Commit(std::string_view path) const {
    return plat::WriteFileAtomic(path, m_text.data(), m_text.size());
}

bool CLayoutReader::Open(std::string_view path) {
    Close();
    const int64_t size = plat::FileSize(path);
    if (size < 0 || uint64_t(size) > LAYOUT_FILE_MAX) return false;
    std::vector<uint8_t> bytes;
    if (!plat::ReadWholeFile(path, bytes) || bytes.size() > LAYOUT_FILE_MAX) return false;
    OpenBytes(std::string(bytes.begin(), bytes.end()));
    return true;
}

void CLayoutReader::OpenBytes(std::string bytes) {
    m_data = std::move(bytes);
    m_pos = 0;
    m_open = true;
}

void CLayoutReader::Close() {
    m_data.clear();
    m_pos = 0;
    m_open = false;
}

CLayoutReader::Token CLayoutReader::NextToken(std::string_view* word) {
    while (m_pos < m_data.size() && IsBlank(m_data[m_pos])) ++m_pos;
    if (m_pos >= m_data.size()) return Token::kEnd;
    const size_t start = m_pos;
    while (m_pos < m_data.size() && !IsBlank(m_data[m_pos])) ++m_pos;
    *word = std::string_view(m_data).substr(start, m_pos - start);
    return word->size() >= LAYOUT_TOKEN_SIZE ? Token::kTooLong : Token::kWord;
}

bool CLayoutReader::ReadValue(std::string* value) {
    std::string_view word;
    if (NextToken(&word) != Token::kWord) return false;
    value->assign(word);
    return true;
}

bool CLayoutReader::FindValue(std::string_view identifier, std::string_view key, std::string* value) {
    if (!m_open) return false;
    std::string_view first, second;
    if (NextToken(&first) == Token::kWord && first == identifier && NextToken(&second) == Token::kWord &&
        second == key)
        return ReadValue(value);
    m_pos = 0;
    for (;;) {
        Token t = NextToken(&first);
        if (t == Token::kEnd) return false;
        if (t != Token::kWord || first != identifier) continue;
        t = NextToken(&second);
        if (t == Token::kEnd) return false;
        if (t == Token::kWord && second == key) return ReadValue(value);
    }
}
