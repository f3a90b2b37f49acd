// Layout of the text renderer's strings, apart from any surface: the passes
// that give a string its shadow, outline and bold, the escapes of formatted
// text, byte-width wrapping and the lines of edit boxes.
#pragma once
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// Style flags of CTextRenderer::DrawString.
enum TextStyle : uint32_t {
    TEXT_STYLE_PLAIN = 1,
    TEXT_STYLE_SHADOW = 2,
    TEXT_STYLE_BOLD = 4,
    TEXT_STYLE_OUTLINE = 8,
    TEXT_STYLE_UNDERLINE = 16,
};

// One draw of a string into the scratch surface: at (dx, dy), in black or in
// the text colour.
struct TextPass {
    int dx;
    int dy;
    bool black;
    bool operator==(const TextPass&) const = default;
};

// The passes of a style, in drawing order; the plain text lies at (0, 1).
std::vector<TextPass> StringPasses(uint32_t style);

// Line height CTextRenderer::DrawString uses for font index 0-5.
int StringLineHeight(int font);

// Cuts a text into lines of at most width bytes without splitting a
// double-byte character (a character wider than the width gets a line of its
// own). With breakAtCrLf a CR LF pair also ends a line (and belongs to none).
// An empty text gives no line.
std::vector<std::string_view> WrapByBytes(std::string_view text, int width, bool breakAtCrLf = false);
// The same lines as offsets into the text.
struct TextLinePlace {
    size_t start;
    size_t length;
};
std::vector<TextLinePlace> WrapLinePlaces(std::string_view text, int width, bool breakAtCrLf = false);

// The longest prefix of text of at most maxBytes bytes that ends between
// characters.
std::string_view CutAtCharacter(std::string_view text, size_t maxBytes);

// Formatted text: escapes "\c" with nine digits (red, green, blue, three
// digits each, clamped to 255), "\n", "\aC" (centre the following lines),
// "\aN" (stop centring), and any byte below 31 breaking the line.
inline constexpr size_t FORMATTED_TEXT_MAX = 10000;

struct FormattedRun {
    int line = 0;
    int column = 0;  // bytes before the run on its line
    std::string text;
    uint32_t colour = 0xFFFFFF;
};

struct FormattedLine {
    bool centred = false;
    int bytes = 0;
};

struct FormattedLayout {
    std::vector<FormattedRun> runs;
    std::vector<FormattedLine> lines;  // at least one
};

// Lays a formatted text out in lines of at most width byte columns. A text of
// more than 10,000 bytes gives one empty line.
FormattedLayout LayoutFormattedText(std::string_view text, int width);

// Colour of the nine digits of a "\c" escape (red, green, blue, each clamped
// to 255) as 0x00BBGGRR; false when the nine bytes are not all digits.
bool ParseColourEscape(std::string_view digits, uint32_t* colour);

// Where the caret of an edit box stands: its line and the bytes before it on
// that line, for a caret at byte `caret` of the text wrapped by WrapByBytes
// with CR LF breaks.
struct EditCaretPlace {
    int line = 0;
    int column = 0;
};
EditCaretPlace FindEditCaret(std::string_view text, int width, int caret);
