// Marked-up game text: tags in angle brackets set colour, bold, line breaks and
// reveal timing. CTextLineBuffer lays a text out in lines of fixed character
// cells and draws a window of them, at once or revealed over time;
// CRichText holds coloured runs on a grid of 40 rows by 32 columns.
#pragma once
#include <cstdint>
#include <functional>
#include <list>
#include <string>
#include <string_view>
#include <vector>

#include "core/base_object.h"

// Colours are 0x00BBGGRR.
inline constexpr uint32_t kRichWhite = 0xFFFFFF;

// Kinds that ParseTextTag reports for the tags that stand for something.
enum TextTagKind : int32_t {
    TEXT_TAG_ID = 0,
    TEXT_TAG_DATE = 1,
    TEXT_TAG_TIME = 2,
    TEXT_TAG_NEWLINE = 3,
};

// Looks up the text between '<' and '>' (compared whole, case-sensitively)
// and writes only the outputs that the tag concerns (any output may be null).
// Speed tags also write `speed`. False when the text is no tag.
bool ParseTextTag(std::string_view tag, uint32_t* colour, uint8_t* style, int32_t* delay, int32_t* kind,
                  int32_t* speed = nullptr);

// The colour tags "c0" to "c7" and "/c0" to "/c7", and their colours (white
// for anything else).
bool IsColourTag(std::string_view tag);
uint32_t ColourOfTag(std::string_view tag);
// "b" and "/b", and their styles (4 and 1; 0 for anything else).
bool IsBoldTag(std::string_view tag);
uint8_t StyleOfTag(std::string_view tag);

// Cell width and line height of the fixed-cell layouts of fonts 0 to 5.
struct FontCellSize {
    int width;
    int lineHeight;
};
FontCellSize GetFontCellSize(int font);

// One string that a line buffer draws: where, what and how.
struct TextLineRun {
    int x = 0;
    int y = 0;
    std::string text;
    uint32_t colour = kRichWhite;
    uint8_t style = 0;
};

class CTextLineBuffer : public CMsgObject {
public:
    static constexpr int MAX_LINES = 512;
    // Where the runs go; by default CTextRenderer::DrawString onto the render
    // surface in the given font with the colour key on.
    using DrawRunFn = std::function<void(const TextLineRun& run, int font)>;

    CTextLineBuffer();
    ~CTextLineBuffer() override;

    void Init();
    bool Release() override;
    void FreeText();

    // Lays the text out in lines of at most maxColumns - 1 byte columns
    // (double-byte characters stay whole) with "/n" tags breaking lines when
    // tags are honoured; records the line starts when asked. Returns the index
    // of the last line (0 for an empty text).
    int32_t LayoutLines(const char* text, int32_t maxColumns, bool honourTags, bool recordStarts);
    // The number of lines the text takes; 0 for a null text.
    int32_t CountLines(const char* text, int32_t maxColumns, bool honourTags);
    // True when n >= 1 and line n has no recorded start.
    bool IsPastLastLine(int32_t n) const;

    void DrawLines(int32_t startLine, int x, int y, int32_t maxColumns, int32_t lineCount, const char* text,
                   int32_t unused, bool honourTags, int font, uint8_t style);
    // Draws only what has been revealed, revealing one more character when
    // more than stepDelay ms have passed since the last step. 1 when the whole
    // range is revealed.
    uint32_t DrawLinesTimed(int32_t startLine, int x, int y, int32_t maxColumns, int32_t lineCount,
                            const char* text, uint32_t stepDelay, bool honourTags, int font, uint8_t style);

    void SetDrawFunction(DrawRunFn fn) { m_draw = std::move(fn); }

    int32_t Speed() const { return m_speed; }
    int32_t Revealed() const { return m_revealed; }
    int32_t CurrentStartLine() const { return m_currentStartLine; }
    int32_t LineStart(int32_t line) const { return line >= 0 && line < MAX_LINES ? m_lineStarts[line] : 0; }
    const char* Text() const { return m_hasText ? m_text.c_str() : nullptr; }

private:
    struct Range {
        bool ok = false;
        int32_t begin = 0;
        int32_t end = 0;
    };
    Range Prepare(int32_t startLine, int32_t maxColumns, int32_t lineCount, const char* text,
                  bool honourTags);
    // Draws [range.begin, limit) of the range laid out from startLine.
    void DrawRange(int32_t startLine, const Range& range, int32_t limit, int x, int y, bool honourTags,
                   int font, uint8_t style);

    int32_t m_speed = 10;
    uint32_t m_lastStepTime = 0;
    int32_t m_revealed = 0;
    int32_t m_currentStartLine = 0;
    std::string m_text;  // the copy of the text last laid out, when m_hasText
    bool m_hasText = false;
    int32_t m_lineStarts[MAX_LINES] = {};
    DrawRunFn m_draw;
};

// One run of the rich-text grid.
struct CRichTextRun {
    char text[33] = {};
    uint32_t colour = kRichWhite;
    uint8_t style = 1;
    int32_t startColumn = 0;
    int32_t endColumn = 0;
    uint32_t fontSetFlag = 0;
    // A window the run opens when clicked (a message box's links); not owned.
    CWeakRef linked;
};

class CRichText {
public:
    static constexpr int ROWS = 40;
    static constexpr int COLUMNS = 32;

    CRichText() = default;
    ~CRichText() { FreeRichText(); }
    CRichText(const CRichText&) = delete;
    CRichText& operator=(const CRichText&) = delete;

    // Adds the runs of a marked-up text from (column, row) on, each linked to
    // the object given (null: no link).
    void ParseRichText(int32_t column, int32_t row, const char* text, uint32_t defaultColour,
                       uint32_t fontSetFlag, CRefTarget* linked = nullptr);
    // Makes room for and inserts an empty run over [start, end) of the row;
    // null when start equals end or the range does not lie on the grid.
    CRichTextRun* AddRun(int32_t startColumn, int32_t endColumn, int32_t row);
    // Cuts the run that strictly contains the column in two.
    void SplitRunAt(int32_t column, int32_t row);
    // Deletes the runs lying wholly inside [start, end).
    void RemoveRuns(int32_t startColumn, int32_t endColumn, int32_t row);
    void FreeRichText();

    const std::list<CRichTextRun>& Row(int32_t row) const { return m_rows[row]; }
    int32_t RowsUsed() const { return m_rowsUsed; }

private:
    static bool ValidRow(int32_t row) { return row >= 0 && row < ROWS; }
    std::list<CRichTextRun> m_rows[ROWS];
    int32_t m_rowsUsed = 0;
};
