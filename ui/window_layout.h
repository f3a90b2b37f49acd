// "QM_Window.INF": the window layout and small per-window settings kept
// between runs. Plain text in the game's code page, lines ending in a single
// line feed: the header line, then one line per entry, "identifier key value",
// fields separated by one blank; a float value is written with six decimals
// in the C locale ("312.000000"). Identifiers, keys and text values are single
// tokens of at most 255 bytes. Windows write their entries through a
// CLayoutWriter that the window manager hands to SaveSettings, and read them
// back with a CLayoutReader of their own.
#pragma once
#include <cstddef>
#include <string>
#include <string_view>

inline constexpr const char* LAYOUT_FILE_NAME = "QM_Window.INF";
inline constexpr const char* LAYOUT_HEADER = "Quillmarrow Window Information File";
// Token buffers hold this many bytes with the terminator: longer tokens are
// never written and never match when read.
inline constexpr size_t LAYOUT_TOKEN_SIZE = 256;
// Float values outside +-LAYOUT_FLOAT_LIMIT read as the default.
inline constexpr float LAYOUT_FLOAT_LIMIT = 1000000.0f;
// A file larger than this reads as missing.
inline constexpr size_t LAYOUT_FILE_MAX = 4u << 20;

// Whether a text can be an identifier, key or text value: not empty, no
// white space, shorter than LAYOUT_TOKEN_SIZE.
bool IsLayoutToken(std::string_view text);
// "%f" of the value in the C locale.
std::string FormatLayoutFloat(float value);
// The value of a float token, or the default when it is not a whole finite
// number within +-LAYOUT_FLOAT_LIMIT.
float ParseLayoutFloat(std::string_view token, float defaultValue);

// The lines of one save, gathered in memory and written in one piece.
class CLayoutWriter {
public:
    CLayoutWriter();
    // Appends "identifier key value\n"; false, and nothing written, unless
    // all three are layout tokens.
    bool WriteLine(std::string_view identifier, std::string_view key, std::string_view value);
    const std::string& Text() const { return m_text; }
    // Replaces the file with the text (header included) at once; on failure
    // the old file stays as it was.
    bool Commit(std::string_view path) const;

private:
    std::string m_text;
};

// An open layout file read by token, with the position kept between reads so
// that keys read in the order they were written are found without a search.
class CLayoutReader {
public:
    CLayoutReader() = default;
    // Opens the file; a missing, unreadable or oversized file leaves the
    // reader closed, and every read then gives its default.
    explicit CLayoutReader(std::string_view path) { Open(path); }
    bool Open(std::string_view path);
    // Reads the bytes given instead of a file.
    void OpenBytes(std::string bytes);
    void Close();
    bool IsOpen() const { return m_open; }

    // The value of the window's key. First the next two tokens are tried;
    // when they are not the identifier and the key, the search starts again
    // from the top of the file. False when the pair is not found (the
    // position is then at the end) or its value token is missing or too long.
    bool FindValue(std::string_view identifier, std::string_view key, std::string* value);

private:
    enum class Token { kEnd, kWord, kTooLong };
    Token NextToken(std::string_view* word);
    bool ReadValue(std::string* value);

    std::string m_data;
    size_t m_pos = 0;
    bool m_open = false;
};
