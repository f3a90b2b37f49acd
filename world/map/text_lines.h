// The line reader of the map's text forms (map, stage, speech: written by
// qmmap and by tests): each line a list of words, '#' starts a
// comment, "quoted texts" keep spaces and take the escapes \" \\ \n \t \r \0 \xHH.
#pragma once
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace maptext {

struct Word {
    std::string text;
    bool quoted = false;
};

struct Line {
    int number = 0;  // 1-based line of the source
    std::vector<Word> words;
    std::string raw;  // the line as written (for forms where '#' is not a comment)
};

// Splits the text into lines of words; lines without words are left out unless
// keepEmpty. False with a message for an unclosed quote or a bad escape.
bool SplitLines(std::string_view text, std::vector<Line>& out, std::string* error, bool keepEmpty = false);
// The words of one line's text.
bool SplitWords(std::string_view raw, Line& line, std::string* error);

// A number (decimal, 0x hex, optional '-') within [lo, hi].
bool ParseNumber(const std::string& word, int64_t lo, int64_t hi, int64_t& out);

// A text written back as a quoted word with the escapes above.
std::string Quote(std::string_view text);

// "line N: message".
std::string LineError(const Line& line, const std::string& message);

// Walks the words of one line.
class WordCursor {
public:
    explicit WordCursor(const Line& line, size_t start = 0) : m_line(line), m_pos(start) {}
    bool AtEnd() const { return m_pos >= m_line.words.size(); }
    const Word* Peek() const { return AtEnd() ? nullptr : &m_line.words[m_pos]; }
    const Word* Next() { return AtEnd() ? nullptr : &m_line.words[m_pos++]; }
    // The next word as a number in range; false (and a message) otherwise.
    bool Number(int64_t lo, int64_t hi, int64_t& out, std::string* error, const char* what);
    // The next word when it equals keyword.
    bool Accept(std::string_view keyword);
    const Line& GetLine() const { return m_line; }

private:
    const Line& m_line;
    size_t m_pos;
};

}  // namespace maptext
