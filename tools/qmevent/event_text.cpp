#include "tools/qmevent/event_text.h"

#include <cstdlib>
#include <cstring>
#include <sstream>

namespace {

// Splits a line into words; a double-quoted part belongs to its word.
bool SplitWords(std::string_view line, std::vector<std::string>& words, std::string* why) {
    std::string word;
    bool inWord = false, quoted = false;
    for (size_t i = 0; i < line.size(); ++i) {
        const char c = line[i];
        if (quoted) {
            if (c == '\\' && i + 1 < line.size()) {
                word += line[++i];
            } else if (c == '"') {
                quoted = false;
            } else {
                word += c;
            }
            continue;
        }
        if (c == '#') break;
        if (c == ' ' || c == '\t' || c == '\r') {
            if (inWord) words.push_back(word);
            word.clear();
            inWord = false;
            continue;
        }
        inWord = true;
        if (c == '"') {
            quoted = true;
            continue;
        }
        word += c;
    }
    if (quoted) {
        *why = "a text without its closing quote";
        return false;
    }
    if (inWord) words.push_back(word);
    return true;
}

bool Number(const std::string& text, long long min, long long max, long long& out) {
    if (text.empty()) return false;
    char* end = nullptr;
    out = std::strtoll(text.c_str(), &end, 10);
    return *end == 0 && out >= min && out <= max;
}

bool Param(const std::string& word, EventParam& p, std::string* why) {
    long long a = 0, b = 0, c = 0;
    const char kind = word[0];
    const std::string rest = word.substr(1);
    auto numbers = [&](std::vector<long long*> outs, long long min, long long max) {
        std::stringstream parts(rest);
        std::string part;
        size_t i = 0;
        while (std::getline(parts, part, ',')) {
            if (i >= outs.size() || !Number(part, min, max, *outs[i])) return false;
            ++i;
        }
        return i == outs.size();
    };
    switch (kind) {
        case 't':
        case 'n': {
            const size_t limit = kind == 't' ? EVENT_TEXT_SIZE : EVENT_SHORT_TEXT;
            if (rest.size() > limit) {
                *why = "a text longer than its field: " + word;
                return false;
            }
            p.type = kind == 't' ? 0 : 10;
            std::memcpy(p.text, rest.data(), rest.size());
            return true;
        }
        case 'b':
            if (!Number(rest, 0, 255, a)) break;
            p.type = 1;
            p.byteValue = uint8_t(a);
            return true;
        case 'h': {
            const size_t colon = rest.find(':');
            if (colon == std::string::npos || !Number(rest.substr(0, colon), 2, 11, a) ||
                !Number(rest.substr(colon + 1), 0, 65535, b) || a == 4 || a == 6 || a == 10)
                break;
            p.type = uint8_t(a);
            if (a == 11)
                p.tripleSecond = uint16_t(b);
            else
                p.shortValue = uint16_t(b);
            return true;
        }
        case 'p':
            if (!numbers({&a, &b}, INT32_MIN, INT32_MAX)) break;
            p.type = 4;
            p.x = int32_t(a);
            p.y = int32_t(b);
            return true;
        case 'r':
            if (!numbers({&a, &b, &c}, 0, 65535) || c > 255) break;
            p.type = 6;
            p.tripleFirst = uint16_t(a);
            p.tripleSecond = uint16_t(b);
            p.tripleFlag = uint8_t(c);
            return true;
        case 'l':
            if (!Number(rest, 0, UINT32_MAX, a)) break;
            p.type = 12;
            p.longValue = uint32_t(a);
            return true;
        default:
            break;
    }
    *why = "a parameter it does not read: " + word;
    return false;
}

std::string Quote(const char* text) {
    std::string out = "\"";
    for (const char* c = text; *c; ++c) {
        if (*c == '"' || *c == '\\') out += '\\';
        out += *c;
    }
    return out + "\"";
}

}  // namespace

bool ParseEventText(std::string_view text, bool visual, EventFileData& out, std::string* error) {
    out = EventFileData{};
    size_t lineNumber = 0;
    while (!text.empty()) {
        ++lineNumber;
        const size_t end = text.find('\n');
        const std::string_view line = text.substr(0, end);
        text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
        std::vector<std::string> words;
        std::string why;
        auto fail = [&](const std::string& reason) {
            if (error) *error = "line " + std::to_string(lineNumber) + ": " + reason;
            return false;
        };
        if (!SplitWords(line, words, &why)) return fail(why);
        if (words.empty()) continue;
        long long value = 0;
        if (words[0] == "flag") {
            if (words.size() != 2 || !Number(words[1], 0, 255, value)) return fail("flag takes a byte");
            out.flag = uint8_t(value);
        } else if (words[0] == "function") {
            if (words.size() != 2 || words[1].size() > EVENT_NAME_SIZE) return fail("function takes a name");
            out.functions.push_back({words[1], {}});
        } else {
            if (out.functions.empty()) return fail("a command before the first function");
            if (!Number(words[0], 0, 65535, value)) return fail("a line that is not a command: " + words[0]);
            EventCommandData command;
            command.code = uint16_t(value);
            if (EventCommandKind(command.code, visual) < 0)
                return fail("code " + words[0] + " is not one of the " +
                            (visual ? "visual-event" : "field-script") + " table");
            if (words.size() > 256) return fail("more than 255 parameters");
            for (size_t i = 1; i < words.size(); ++i) {
                EventParam p;
                if (!Param(words[i], p, &why)) return fail(why);
                command.params.push_back(p);
            }
            out.functions.back().commands.push_back(std::move(command));
        }
    }
    return true;
}

std::string DumpEventText(const EventFileData& file) {
    std::string out = "flag " + std::to_string(file.flag) + "\n";
    for (const EventFunctionData& f : file.functions) {
        out += "function " + f.name + "\n";
        for (const EventCommandData& c : f.commands) {
            out += "  " + std::to_string(c.code);
            for (const EventParam& p : c.params) {
                out += ' ';
                switch (p.type) {
                    case 0:
                        out += "t" + Quote(p.text);
                        break;
                    case 10:
                        out += "n" + Quote(p.text);
                        break;
                    case 1:
                        out += "b" + std::to_string(p.byteValue);
                        break;
                    case 4:
                        out += "p" + std::to_string(p.x) + "," + std::to_string(p.y);
                        break;
                    case 6:
                        out += "r" + std::to_string(p.tripleFirst) + "," + std::to_string(p.tripleSecond) +
                               "," + std::to_string(p.tripleFlag);
                        break;
                    case 11:
                        out += "h11:" + std::to_string(p.tripleSecond);
                        break;
                    case 12:
                        out += "l" + std::to_string(p.longValue);
                        break;
                    default:
                        out += "h" + std::to_string(p.type) + ":" + std::to_string(p.shortValue);
                        break;
                }
            }
            out += "\n";
        }
    }
    return out;
}
