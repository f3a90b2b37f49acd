#include "graphics/rich_text.h"

#include <algorithm>
#include <cstring>

#include "graphics/direct_draw.h"
#include "graphics/text_renderer.h"
#include "platform/clock.h"
#include "platform/font.h"

namespace {

constexpr uint32_t kTagColours[10] = {
    0xFFFFFF, 0x000000, 0x888888, 0x0000FF, 0x00FFFF, 0x00FF00, 0xFF0000, 0x1080F0, 0x36198A, 0x502846,
};

// The longest text between brackets that can be a tag.
constexpr size_t kMaxTagInside = 47;

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

// atoi over a counted text: optional sign, digits, saturating.
int64_t ParseNumber(std::string_view s) {
    size_t i = 0;
    while (i < s.size() && (s[i] == ' ' || s[i] == '\t')) ++i;
    bool negative = false;
    if (i < s.size() && (s[i] == '-' || s[i] == '+')) negative = s[i++] == '-';
    int64_t v = 0;
    for (; i < s.size() && IsDigit(s[i]); ++i) v = std::min<int64_t>(v * 10 + (s[i] - '0'), int64_t(1) << 40);
    return negative ? -v : v;
}

// When a tag candidate starts at pos ('<', then 1 to 47 bytes, then '>'),
// its whole length with the brackets; the text inside goes to `inside`.
size_t TagAt(std::string_view text, size_t pos, std::string_view* inside) {
    if (pos >= text.size() || text[pos] != '<') return 0;
    size_t limit = std::min(text.size(), pos + 2 + kMaxTagInside);
    for (size_t i = pos + 1; i < limit; ++i) {
        if (text[i] == '>') {
            if (i == pos + 1) return 0;
            *inside = text.substr(pos + 1, i - pos - 1);
            return i - pos + 1;
        }
    }
    return 0;
}

size_t CharLen(std::string_view text, size_t pos) {
    return pos < text.size() ? plat::CodePageCharLength(text.substr(pos)) : 0;
}

}  // namespace

bool ParseTextTag(std::string_view tag, uint32_t* colour, uint8_t* style, int32_t* delay, int32_t* kind,
                  int32_t* speed) {
    auto setColour = [&](uint32_t c) {
        if (colour) *colour = c;
        return true;
    };
    auto setDelay = [&](int32_t d, bool isSpeed) {
        if (delay) *delay = d;
        if (isSpeed && speed) *speed = d;
        return true;
    };
    auto setKind = [&](int32_t k) {
        if (kind) *kind = k;
        return true;
    };
    if (tag.size() == 2 && tag[0] == 'c' && IsDigit(tag[1])) return setColour(kTagColours[tag[1] - '0']);
    if (tag.size() == 3 && tag[0] == '/' && tag[1] == 'c' && IsDigit(tag[2])) return setColour(kRichWhite);
    if (tag == "b" || tag == "/b") {
        if (style) *style = tag == "b" ? 4 : 1;
        return true;
    }
    if (tag == "/n") return setKind(TEXT_TAG_NEWLINE);
    if (tag == "/speedoff" || tag == "speedoff") return setDelay(10, true);
    if (tag.substr(0, 6) == "/speed")
        return setDelay(int32_t(std::clamp<int64_t>(ParseNumber(tag.substr(6)), 0, 500)), true);
    // Written alone, "speed" carries no number.
    if (tag == "speed") return setDelay(0, true);
    if (tag == "/wait1" || tag == "wait1") return setDelay(1000, false);
    if (tag == "/wait2" || tag == "wait2") return setDelay(2000, false);
    if (tag == "/id" || tag == "id") return setKind(TEXT_TAG_ID);
    if (tag == "/date" || tag == "date") return setKind(TEXT_TAG_DATE);
    if (tag == "/time" || tag == "time") return setKind(TEXT_TAG_TIME);
    return false;
}

bool IsColourTag(std::string_view tag) {
    if (tag.size() == 2) return tag[0] == 'c' && tag[1] >= '0' && tag[1] <= '7';
    if (tag.size() == 3) return tag[0] == '/' && tag[1] == 'c' && tag[2] >= '0' && tag[2] <= '7';
    return false;
}

uint32_t ColourOfTag(std::string_view tag) {
    if (tag.size() == 2 && tag[0] == 'c' && tag[1] >= '0' && tag[1] <= '7') return kTagColours[tag[1] - '0'];
    return kRichWhite;
}

bool IsBoldTag(std::string_view tag) {
    return tag == "b" || tag == "/b";
}

uint8_t StyleOfTag(std::string_view tag) {
    if (tag == "b") return 4;
    if (tag == "/b") return 1;
    return 0;
}

FontCellSize GetFontCellSize(int font) {
    switch (font) {
        case 0:
        case 1:
            return {6, 13};
        case 2:
        case 3:
            return {7, 15};
        case 4:
            return {9, 16};
        default:
            // Font 5 (20 pixels, bold): half-width cells of 10 plus the bold column.
            return {11, 21};
    }
}

// ---------------------------------------------------------------- CTextLineBuffer

CTextLineBuffer::CTextLineBuffer() {
    Init();
}
CTextLineBuffer::~CTextLineBuffer() {
    Release();
}

void CTextLineBuffer::Init() {
    m_text.clear();
    m_hasText = false;
    m_speed = 10;
    m_revealed = 0;
    m_lastStepTime = 0;
    m_currentStartLine = 0;
    std::fill(std::begin(m_lineStarts), std::end(m_lineStarts), 0);
}

bool CTextLineBuffer::Release() {
    FreeText();
    return true;
}

void CTextLineBuffer::FreeText() {
    m_text.clear();
    m_text.shrink_to_fit();
    m_hasText = false;
}

int32_t CTextLineBuffer::LayoutLines(const char* text, int32_t maxColumns, bool honourTags,
                                     bool recordStarts) {
    // Only a recording layout touches the table: counting the lines of a text
    // must not wipe the layout being drawn.
    if (recordStarts) std::fill(std::begin(m_lineStarts), std::end(m_lineStarts), 0);
    if (!text || !*text) return 0;
    std::string_view s(text);
    int32_t line = 0;
    int32_t column = 1;
    bool full = false;  // the line reached the limit; it ends when more follows
    auto newLine = [&](size_t at) {
        ++line;
        column = 1;
        full = false;
        if (recordStarts && line < MAX_LINES) m_lineStarts[line] = int32_t(at);
    };
    size_t pos = 0;
    while (pos < s.size()) {
        std::string_view inside;
        size_t tagLen = honourTags ? TagAt(s, pos, &inside) : 0;
        int32_t kind = -1;
        if (tagLen && ParseTextTag(inside, nullptr, nullptr, nullptr, &kind, &m_speed)) {
            pos += tagLen;
            if (kind == TEXT_TAG_NEWLINE) newLine(pos);
            continue;
        }
        int32_t b = int32_t(CharLen(s, pos));
        // A character that does not fit starts the next line, unless the line
        // is still empty (a limit too small for it would never end otherwise).
        if (full || (column > 1 && column + b > maxColumns)) newLine(pos);
        column += b;
        pos += size_t(b);
        if (column >= maxColumns) full = true;
    }
    return line;
}

int32_t CTextLineBuffer::CountLines(const char* text, int32_t maxColumns, bool honourTags) {
    if (!text) return 0;
    return LayoutLines(text, maxColumns, honourTags, false) + 1;
}

bool CTextLineBuffer::IsPastLastLine(int32_t n) const {
    if (n < 1) return false;
    if (n >= MAX_LINES) return true;
    return m_lineStarts[n] == 0;
}

CTextLineBuffer::Range CTextLineBuffer::Prepare(int32_t startLine, int32_t maxColumns, int32_t lineCount,
                                                const char* text, bool honourTags) {
    Range r;
    if (!text || startLine < 0 || startLine >= MAX_LINES) return r;
    if (startLine != m_currentStartLine) {
        m_currentStartLine = startLine;
        m_revealed = m_lineStarts[startLine];
    }
    if (m_hasText && m_text != text) FreeText();
    if (!m_hasText) {
        m_text = text;
        m_hasText = true;
        LayoutLines(m_text.c_str(), maxColumns, honourTags, true);
        m_currentStartLine = startLine;
        m_revealed = m_lineStarts[startLine];
    }
    int32_t lines = 1;
    for (int i = 1; i < MAX_LINES; ++i)
        if (m_lineStarts[i] != 0) ++lines;
    if (startLine >= lines || lineCount <= 0) return r;
    r.begin = m_lineStarts[startLine];
    int64_t endLine = int64_t(startLine) + lineCount;
    r.end =
        endLine < MAX_LINES && m_lineStarts[endLine] != 0 ? m_lineStarts[endLine] : int32_t(m_text.size());
    r.ok = true;
    return r;
}

void CTextLineBuffer::DrawRange(int32_t startLine, const Range& range, int32_t limit, int x, int y,
                                bool honourTags, int font, uint8_t styleArg) {
    std::string_view s(m_text);
    const FontCellSize cell = GetFontCellSize(font);
    uint32_t colour = kRichWhite;
    uint8_t style = 0;
    // The colour and style in force where the start line begins.
    if (honourTags) {
        for (size_t p = 0; p < size_t(range.begin);) {
            std::string_view inside;
            size_t tagLen = TagAt(s, p, &inside);
            if (!tagLen) {
                p += std::max<size_t>(1, CharLen(s, p));
                continue;
            }
            if (IsColourTag(inside)) colour = ColourOfTag(inside);
            if (IsBoldTag(inside)) style = StyleOfTag(inside);
            p += tagLen;
        }
    }
    const size_t stop = size_t(std::min(range.end, limit));
    int32_t line = startLine;
    int32_t nextLine = startLine + 1;
    int32_t lineBytes = 0;
    int32_t runColumn = 0;
    std::string run;
    auto flush = [&] {
        if (!run.empty()) {
            TextLineRun r;
            r.x = x + (1 + runColumn) * cell.width;
            r.y = y + (line - startLine) * cell.lineHeight;
            r.text = run;
            r.colour = colour;
            r.style = uint8_t(style | styleArg);
            if (m_draw)
                m_draw(r, font);
            else if (g_pTextRenderer && g_pDirectDraw)
                g_pTextRenderer->DrawString(g_pDirectDraw->GetRenderSurface(), r.x, r.y, r.text.c_str(), font,
                                            r.colour, r.style, true);
        }
        run.clear();
        runColumn = lineBytes;
    };
    size_t pos = size_t(range.begin);
    while (pos < stop) {
        if (nextLine < MAX_LINES && m_lineStarts[nextLine] != 0 && pos == size_t(m_lineStarts[nextLine])) {
            flush();
            ++line;
            ++nextLine;
            lineBytes = 0;
            runColumn = 0;
        }
        std::string_view inside;
        size_t tagLen = honourTags ? TagAt(s, pos, &inside) : 0;
        int32_t delay = 0;
        if (tagLen) {
            uint32_t newColour = colour;
            uint8_t newStyle = style;
            if (ParseTextTag(inside, &newColour, &newStyle, &delay, nullptr, &m_speed)) {
                flush();
                colour = newColour;
                style = newStyle;
                pos += tagLen;
                continue;
            }
        }
        size_t b = CharLen(s, pos);
        if (pos + b > stop) break;  // never show half of a character
        if (run.empty()) runColumn = lineBytes;
        run.append(s.substr(pos, b));
        lineBytes += int32_t(b);
        pos += b;
    }
    flush();
}

void CTextLineBuffer::DrawLines(int32_t startLine, int x, int y, int32_t maxColumns, int32_t lineCount,
                                const char* text, int32_t, bool honourTags, int font, uint8_t style) {
    Range r = Prepare(startLine, maxColumns, lineCount, text, honourTags);
    if (!r.ok) return;
    DrawRange(startLine, r, r.end, x, y, honourTags, font, style);
}

uint32_t CTextLineBuffer::DrawLinesTimed(int32_t startLine, int x, int y, int32_t maxColumns,
                                         int32_t lineCount, const char* text, uint32_t stepDelay,
                                         bool honourTags, int font, uint8_t style) {
    Range r = Prepare(startLine, maxColumns, lineCount, text, honourTags);
    if (!r.ok) return 1;
    if (m_revealed < r.begin) m_revealed = r.begin;
    if (m_revealed >= r.end) {
        m_revealed = r.end;
        DrawRange(startLine, r, r.end, x, y, honourTags, font, style);
        return 1;
    }
    DrawRange(startLine, r, m_revealed, x, y, honourTags, font, style);
    std::string_view s(m_text);
    std::string_view inside;
    size_t tagLen = honourTags ? TagAt(s, size_t(m_revealed), &inside) : 0;
    if (tagLen && ParseTextTag(inside, nullptr, nullptr, nullptr, nullptr)) {
        // A tag shows nothing: it is passed at once.
        m_revealed += int32_t(tagLen);
        return 0;
    }
    uint32_t now = plat::timeGetTime();
    if (now - m_lastStepTime > stepDelay) {
        // One whole character at a time: half of a double-byte one would show
        // as a broken glyph.
        m_revealed += int32_t(std::max<size_t>(1, CharLen(s, size_t(m_revealed))));
        m_lastStepTime = now;
    }
    return 0;
}

// ---------------------------------------------------------------- CRichText

void CRichText::FreeRichText() {
    for (auto& row : m_rows) row.clear();
    m_rowsUsed = 0;
}

void CRichText::SplitRunAt(int32_t column, int32_t row) {
    if (!ValidRow(row)) return;
    auto& runs = m_rows[row];
    for (auto it = runs.begin(); it != runs.end(); ++it) {
        if (!(it->startColumn < column && column < it->endColumn)) continue;
        CRichTextRun second = *it;
        size_t len = std::strlen(it->text);
        size_t cut = std::min(len, size_t(column - it->startColumn));
        // Find where the cut falls among the characters; a double-byte
        // character cut in two leaves a space on each side.
        bool halves = false;
        for (size_t p = 0; p < cut;) {
            size_t b = plat::CodePageCharLength(std::string_view(it->text + p, len - p));
            if (p + b > cut) {
                halves = true;
                break;
            }
            p += b;
        }
        std::memset(second.text, 0, sizeof(second.text));
        std::memcpy(second.text, it->text + cut, len - cut);
        it->text[cut] = '\0';
        if (halves) {
            it->text[cut - 1] = ' ';
            second.text[0] = ' ';
        }
        second.startColumn = column;
        it->endColumn = column;
        runs.insert(std::next(it), second);
        return;
    }
}

void CRichText::RemoveRuns(int32_t startColumn, int32_t endColumn, int32_t row) {
    if (!ValidRow(row) || startColumn == endColumn) return;
    m_rows[row].remove_if(
        [&](const CRichTextRun& r) { return r.startColumn >= startColumn && r.endColumn <= endColumn; });
}

CRichTextRun* CRichText::AddRun(int32_t startColumn, int32_t endColumn, int32_t row) {
    if (!ValidRow(row) || startColumn == endColumn) return nullptr;
    if (startColumn < 0 || startColumn > endColumn || endColumn > COLUMNS) return nullptr;
    SplitRunAt(startColumn, row);
    SplitRunAt(endColumn, row);
    RemoveRuns(startColumn, endColumn, row);
    auto& runs = m_rows[row];
    auto at = std::find_if(runs.begin(), runs.end(),
                           [&](const CRichTextRun& r) { return r.startColumn > startColumn; });
    CRichTextRun run;
    run.startColumn = startColumn;
    run.endColumn = endColumn;
    return &*runs.insert(at, run);
}

void CRichText::ParseRichText(int32_t column, int32_t row, const char* text, uint32_t defaultColour,
                              uint32_t fontSetFlag, CRefTarget* linked) {
    if (!text || row < 0 || row >= ROWS) return;
    std::string_view s(text);
    column = std::clamp(column, 0, int32_t(COLUMNS));
    const uint8_t base = fontSetFlag ? 16 : 1;
    uint8_t style = base | 1;
    uint32_t colour = defaultColour;
    std::string pending;

    auto store = [&] {
        if (pending.empty()) return;
        int32_t end = std::min<int32_t>(column + int32_t(pending.size()), COLUMNS);
        if (end > column) {
            if (CRichTextRun* run = AddRun(column, end, row)) {
                std::memcpy(run->text, pending.data(), size_t(end - column));
                run->colour = colour;
                run->style = style;
                run->fontSetFlag = fontSetFlag;
                run->linked.Assign(linked);
            }
        }
        column = end;
        pending.clear();
    };
    auto clearRest = [&] {
        SplitRunAt(column, row);
        RemoveRuns(column, COLUMNS, row);
    };
    auto lower = [&](size_t p) -> char {
        if (p >= s.size()) return '\0';
        char c = s[p];
        return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c;
    };

    size_t pos = 0;
    while (pos < s.size() && row < ROWS) {
        if (s[pos] == '<') {
            store();
            char a = lower(pos + 1), b = lower(pos + 2);
            bool tag = true;
            if (a == '/' && b == 'n') {
                clearRest();
                ++row;
                column = 0;
            } else if (a == 'c') {
                int64_t index = ParseNumber(s.substr(std::min(s.size(), pos + 2)));
                colour = kTagColours[index >= 0 && index < 10 ? index : 0];
            } else if (a == '/' && b == 'c') {
                colour = defaultColour;
            } else if (a == 'b') {
                style = base | 4;
            } else if (a == '/' && b == 'b') {
                style = base | 1;
            } else {
                tag = false;
            }
            if (tag) {
                size_t close = s.find('>', pos + 1);
                pos = close == std::string_view::npos ? s.size() : close + 1;
                continue;
            }
        }
        size_t b = CharLen(s, pos);
        if (column + int32_t(pending.size() + b) > COLUMNS) {
            store();
            clearRest();
            ++row;
            column = 0;
            if (row >= ROWS) break;
        }
        pending.append(s.substr(pos, b));
        pos += b;
    }
    if (row < ROWS) store();
    m_rowsUsed = row >= ROWS ? ROWS : row + (m_rows[row].empty() ? 0 : 1);
}
