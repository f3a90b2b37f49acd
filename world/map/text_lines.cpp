#include "world/map/text_lines.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>

namespace maptext {

namespace {

int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

}  // namespace

bool SplitWords(std::string_view raw, Line& line, std::string* error) {
    line.words.clear();
    for (size_t i = 0; i < raw.size();) {
        const char c = raw[i];
        if (c == ' ' || c == '\t' || c == '\r') {
            ++i;
            continue;
        }
        if (c == '#') break;
        Word word;
        if (c == '"') {
            word.quoted = true;
            ++i;
            bool closed = false;
            while (i < raw.size()) {
                char d = raw[i++];
                if (d == '"') {
                    closed = true;
                    break;
                }
                if (d != '\\') {
                    word.text += d;
                    continue;
                }
                if (i >= raw.size()) break;
                const char e = raw[i++];
                switch (e) {
                    case 'n':
                        word.text += '\n';
                        break;
                    case 't':
                        word.text += '\t';
                        break;
                    case 'r':
                        word.text += '\r';
                        break;
                    case '0':
                        word.text += '\0';
                        break;
                    case '"':
                    case '\\':
                        word.text += e;
                        break;
                    case 'x': {
                        const int hi = i < raw.size() ? HexDigit(raw[i]) : -1;
                        const int lo = i + 1 < raw.size() ? HexDigit(raw[i + 1]) : -1;
                        if (hi < 0 || lo < 0) {
                            if (error) *error = LineError(line, "bad \\x escape");
                            return false;
                        }
                        word.text += char(hi * 16 + lo);
                        i += 2;
                        break;
                    }
                    default:
                        if (error) *error = LineError(line, std::string("unknown escape \\") + e);
                        return false;
                }
            }
            if (!closed) {
                if (error) *error = LineError(line, "unclosed quote");
                return false;
            }
        } else {
            while (i < raw.size() && raw[i] != ' ' && raw[i] != '\t' && raw[i] != '\r' && raw[i] != '#')
                word.text += raw[i++];
        }
        line.words.push_back(std::move(word));
    }
    return true;
}

bool SplitLines(std::string_view text, std::vector<Line>& out, std::string* error, bool keepEmpty) {
    out.clear();
    int number = 0;
    size_t pos = 0;
    while (pos <= text.size()) {
        size_t end = text.find('\n', pos);
        if (end == std::string_view::npos) end = text.size();
        Line line;
        line.number = ++number;
        line.raw = std::string(text.substr(pos, end - pos));
        if (!line.raw.empty() && line.raw.back() == '\r') line.raw.pop_back();
        pos = end + 1;
        if (!SplitWords(line.raw, line, error)) return false;
        if (keepEmpty || !line.words.empty()) out.push_back(std::move(line));
        if (end == text.size()) break;
    }
    return true;
}

bool ParseNumber(const std::string& word, int64_t lo, int64_t hi, int64_t& out) {
    if (word.empty()) return false;
    errno = 0;
    char* end = nullptr;
    const long long v = std::strtoll(word.c_str(), &end, 0);
    if (errno || *end || v < lo || v > hi) return false;
    out = v;
    return true;
}

std::string Quote(std::string_view text) {
    std::string out = "\"";
    for (unsigned char c : text) {
        switch (c) {
            case '"':
                out += "\\\"";
                break;
            case '\\':
                out += "\\\\";
                break;
            case '\n':
                out += "\\n";
                break;
            case '\t':
                out += "\\t";
                break;
            case '\r':
                out += "\\r";
                break;
            default:
                if (c < 0x20 || c == 0x7F) {
                    char hex[8];
                    std::snprintf(hex, sizeof hex, "\\x%02X", c);
                    out += hex;
                } else {
                    out += char(c);
                }
        }
    }
    return out + "\"";
}

std::string LineError(const Line& line, const std::string& message) {
    return "line " + std::to_string(line.number) + ": " + message;
}

bool WordCursor::Number(int64_t lo, int64_t hi, int64_t& out, std::string* error, const char* what) {
    const Word* w = Next();
    if (w && !w->quoted && ParseNumber(w->text, lo, hi, out)) return true;
    if (error)
        *error = LineError(m_line, std::string(what) + " must be a number from " + std::to_string(lo) +
                                       " to " + std::to_string(hi));
    return false;
}

bool WordCursor::Accept(std::string_view keyword) {
    const Word* w = Peek();
    if (!w || w->quoted || w->text != keyword) return false;
    ++m_pos;
    return true;
}

}  // namespace maptext
