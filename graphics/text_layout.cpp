#include "graphics/text_layout.h"

#include <algorithm>

#include "platform/codepage.h"
#include "platform/font.h"

namespace {

size_t CharLen(std::string_view text, size_t pos) {
    return pos < text.size() ? plat::CodePageCharLength(text.substr(pos)) : 0;
}

}  // namespace

// With breakAtCrLf a text ending in CR LF has an empty last line after it.
std::vector<TextLinePlace> WrapLinePlaces(std::string_view text, int width, bool breakAtCrLf) {
    std::vector<TextLinePlace> lines;
    size_t start = 0, pos = 0;
    bool afterBreak = false;
    while (pos < text.size()) {
        if (breakAtCrLf && text[pos] == '\r' && pos + 1 < text.size() && text[pos + 1] == '\n') {
            lines.push_back({start, pos - start});
            pos += 2;
            start = pos;
            afterBreak = true;
            continue;
        }
        size_t b = CharLen(text, pos);
        if (pos > start && pos - start + b > size_t(std::max(width, 0))) {
            lines.push_back({start, pos - start});
            start = pos;
        }
        pos += b;
        afterBreak = false;
    }
    if (pos > start || afterBreak) lines.push_back({start, pos - start});
    return lines;
}

std::vector<TextPass> StringPasses(uint32_t style) {
    std::vector<TextPass> passes;
    if (style & TEXT_STYLE_SHADOW) passes.push_back({1, 2, true});
    if (style & TEXT_STYLE_OUTLINE)
        for (TextPass p :
             {TextPass{1, 1, true}, TextPass{0, 2, true}, TextPass{-1, 1, true}, TextPass{0, 0, true}})
            passes.push_back(p);
    if (style & TEXT_STYLE_BOLD) {
        if (style & TEXT_STYLE_OUTLINE) {
            static const int ring[12][2] = {{1, 0},  {2, 1},  {0, 0},  {2, 0}, {2, 2}, {0, 3},
                                            {-1, 2}, {-1, 1}, {-1, 3}, {1, 3}, {2, 3}, {-1, 0}};
            for (const auto& r : ring) passes.push_back({r[0], r[1], true});
        }
        for (TextPass p : {TextPass{1, 1, false}, TextPass{0, 2, false}, TextPass{1, 2, false}})
            passes.push_back(p);
    }
    passes.push_back({0, 1, false});
    return passes;
}

int StringLineHeight(int font) {
    static const int heights[6] = {13, 13, 15, 15, 17, 21};
    return font >= 0 && font < 6 ? heights[font] : 13;
}

std::vector<std::string_view> WrapByBytes(std::string_view text, int width, bool breakAtCrLf) {
    std::vector<std::string_view> out;
    for (const TextLinePlace& p : WrapLinePlaces(text, width, breakAtCrLf))
        out.push_back(text.substr(p.start, p.length));
    return out;
}

std::string_view CutAtCharacter(std::string_view text, size_t maxBytes) {
    return text.substr(0, plat::DbcsPrefixLength(text, maxBytes));
}

bool ParseColourEscape(std::string_view digits, uint32_t* colour) {
    if (digits.size() < 9) return false;
    int channel[3];
    for (int g = 0; g < 3; ++g) {
        int v = 0;
        for (int i = 0; i < 3; ++i) {
            char c = digits[size_t(g * 3 + i)];
            if (c < '0' || c > '9') return false;
            v = v * 10 + (c - '0');
        }
        channel[g] = std::min(v, 255);
    }
    *colour = uint32_t(channel[0]) | uint32_t(channel[1]) << 8 | uint32_t(channel[2]) << 16;
    return true;
}

FormattedLayout LayoutFormattedText(std::string_view text, int width) {
    FormattedLayout out;
    out.lines.push_back({});
    if (text.size() > FORMATTED_TEXT_MAX) return out;
    uint32_t colour = 0xFFFFFF;
    bool centring = false;
    FormattedRun run;
    auto flush = [&] {
        if (!run.text.empty()) out.runs.push_back(run);
        run.text.clear();
    };
    auto newLine = [&] {
        flush();
        out.lines.push_back({centring, 0});
    };
    size_t pos = 0;
    while (pos < text.size()) {
        char c = text[pos];
        if (c == '\\' && pos + 1 < text.size()) {
            char next = text[pos + 1];
            uint32_t escColour = 0;
            if (next == 'c' && ParseColourEscape(text.substr(pos + 2), &escColour)) {
                if (escColour != colour) flush();
                colour = escColour;
                pos += 11;
                continue;
            }
            if (next == 'n') {
                newLine();
                pos += 2;
                continue;
            }
            if (next == 'a' && pos + 2 < text.size() && (text[pos + 2] == 'C' || text[pos + 2] == 'N')) {
                centring = text[pos + 2] == 'C';
                // A line that has no text yet follows the new setting.
                if (out.lines.back().bytes == 0) out.lines.back().centred = centring;
                pos += 3;
                continue;
            }
        }
        if (uint8_t(c) < 31) {
            newLine();
            ++pos;
            continue;
        }
        size_t b = CharLen(text, pos);
        FormattedLine* line = &out.lines.back();
        if (line->bytes > 0 && line->bytes + int(b) > width) {
            newLine();
            line = &out.lines.back();
        }
        if (run.text.empty()) {
            run.line = int(out.lines.size()) - 1;
            run.column = line->bytes;
            run.colour = colour;
        }
        run.text.append(text.substr(pos, b));
        line->bytes += int(b);
        pos += b;
    }
    flush();
    return out;
}

EditCaretPlace FindEditCaret(std::string_view text, int width, int caret) {
    EditCaretPlace place;
    std::vector<TextLinePlace> lines = WrapLinePlaces(text, width, true);
    size_t c = size_t(std::clamp(caret, 0, int(text.size())));
    for (size_t i = 0; i < lines.size(); ++i) {
        if (lines[i].start > c) break;
        place.line = int(i);
        place.column = int(std::min(c - lines[i].start, lines[i].length));
    }
    return place;
}
