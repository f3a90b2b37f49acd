#include "graphics/rich_text.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/clock.h"

namespace {

// Two double-byte characters of code page 932 ("日本").
const std::string kNi = "\x93\xFA";
const std::string kHon = "\x96\x7B";

TEST(TextTagTest, TagTable) {
    struct Case {
        const char* tag;
        bool isTag;
        int64_t colour, style, delay, kind, speed;  // -1: left untouched
    } cases[] = {
        {"c0", true, 0xFFFFFF, -1, -1, -1, -1},
        {"c3", true, 0x0000FF, -1, -1, -1, -1},
        {"c7", true, 0x1080F0, -1, -1, -1, -1},
        {"c8", true, 0x36198A, -1, -1, -1, -1},
        {"c9", true, 0x502846, -1, -1, -1, -1},
        {"/c4", true, 0xFFFFFF, -1, -1, -1, -1},
        {"b", true, -1, 4, -1, -1, -1},
        {"/b", true, -1, 1, -1, -1, -1},
        {"/n", true, -1, -1, -1, 3, -1},
        {"/speed120", true, -1, -1, 120, -1, 120},
        {"/speed900", true, -1, -1, 500, -1, 500},
        {"/speed-5", true, -1, -1, 0, -1, 0},
        {"/speed", true, -1, -1, 0, -1, 0},
        {"speed", true, -1, -1, 0, -1, 0},
        {"/speedoff", true, -1, -1, 10, -1, 10},
        {"speedoff", true, -1, -1, 10, -1, 10},
        {"wait1", true, -1, -1, 1000, -1, -1},
        {"/wait2", true, -1, -1, 2000, -1, -1},
        {"id", true, -1, -1, -1, 0, -1},
        {"/date", true, -1, -1, -1, 1, -1},
        {"time", true, -1, -1, -1, 2, -1},
        {"C1", false, -1, -1, -1, -1, -1},
        {"bold", false, -1, -1, -1, -1, -1},
        {"c", false, -1, -1, -1, -1, -1},
        {"c10", false, -1, -1, -1, -1, -1},
        {"speed5", false, -1, -1, -1, -1, -1},
        {"", false, -1, -1, -1, -1, -1},
        {"/N", false, -1, -1, -1, -1, -1},
    };
    for (const Case& c : cases) {
        uint32_t colour = 0xDEAD;
        uint8_t style = 0xEE;
        int32_t delay = -7, kind = -7, speed = -7;
        EXPECT_EQ(ParseTextTag(c.tag, &colour, &style, &delay, &kind, &speed), c.isTag) << c.tag;
        EXPECT_EQ(colour, c.colour < 0 ? 0xDEADu : uint32_t(c.colour)) << c.tag;
        EXPECT_EQ(style, c.style < 0 ? 0xEE : c.style) << c.tag;
        EXPECT_EQ(delay, c.delay < 0 ? -7 : c.delay) << c.tag;
        EXPECT_EQ(kind, c.kind < 0 ? -7 : c.kind) << c.tag;
        EXPECT_EQ(speed, c.speed < 0 ? -7 : c.speed) << c.tag;
    }
    // The drawing helpers know only c0-c7 and the bold pair.
    EXPECT_TRUE(IsColourTag("/c7"));
    EXPECT_FALSE(IsColourTag("c8"));
    EXPECT_EQ(ColourOfTag("c5"), 0x00FF00u);
    EXPECT_EQ(ColourOfTag("/c5"), 0xFFFFFFu);
    EXPECT_EQ(StyleOfTag("b"), 4);
    EXPECT_EQ(StyleOfTag("/b"), 1);
}

std::vector<int32_t> Starts(const CTextLineBuffer& b, int n) {
    std::vector<int32_t> v;
    for (int i = 0; i < n; ++i) v.push_back(b.LineStart(i));
    return v;
}

TEST(TextLineBufferTest, LayoutCases) {
    struct Case {
        std::string text;
        int columns;
        int lastLine;
        std::vector<int32_t> starts;
    } cases[] = {
        {"ABCDEFGHIJ", 5, 2, {0, 4, 8, 0}},
        {"", 5, 0, {0, 0}},
        {"ABCD", 5, 0, {0, 0}},          // a line that just fills up adds no empty line
        {"ABC" + kNi, 5, 1, {0, 3, 0}},  // the double-byte character moves on whole
        {"AB" + kNi, 5, 0, {0, 0}},
        {"<c3>abc</c3>d", 5, 0, {0, 0}},                     // tags take no columns
        {"<xyz>A", 6, 1, {0, 5, 0}},                         // not a tag: five columns
        {"A</n>B", 10, 1, {0, 5, 0}},                        // a line break tag
        {"ABCD</n>E", 5, 1, {0, 8, 0}},                      // a full line and a break make one break
        {"A<B", 10, 0, {0, 0}},                              // unclosed
        {"A<>B", 10, 0, {0, 0}},                             // empty brackets
        {"<" + std::string(48, 'x') + ">", 100, 0, {0, 0}},  // too long to be a tag
        {"ABCD", 1, 3, {0, 1, 2, 3, 0}},                     // a limit below one character still ends
    };
    for (const Case& c : cases) {
        CTextLineBuffer b;
        EXPECT_EQ(b.LayoutLines(c.text.c_str(), c.columns, true, true), c.lastLine) << c.text;
        EXPECT_EQ(Starts(b, int(c.starts.size())), c.starts) << c.text;
        EXPECT_EQ(b.CountLines(c.text.c_str(), c.columns, true), c.lastLine + 1);
    }
    CTextLineBuffer b;
    EXPECT_EQ(b.CountLines(nullptr, 5, true), 0);
    EXPECT_EQ(b.LayoutLines("<c3>ab", 3, false, false), 2);  // tags as text when not honoured
}

TEST(TextLineBufferTest, SpeedTagsSetTheBufferSpeedWhileLayingOut) {
    CTextLineBuffer b;
    EXPECT_EQ(b.Speed(), 10);
    b.LayoutLines("A</speed900>B", 20, true, false);
    EXPECT_EQ(b.Speed(), 500);
    b.LayoutLines("</speed-5>", 20, true, false);
    EXPECT_EQ(b.Speed(), 0);
    b.LayoutLines("<speedoff>", 20, true, false);
    EXPECT_EQ(b.Speed(), 10);
}

TEST(TextLineBufferTest, RecordsAtMost512LineStarts) {
    std::string text;
    for (int i = 0; i < 600; ++i) text += "A</n>";
    CTextLineBuffer b;
    EXPECT_EQ(b.LayoutLines(text.c_str(), 10, true, true), 600);
    EXPECT_EQ(b.LineStart(511), 511 * 5);
    EXPECT_TRUE(b.IsPastLastLine(512));
    EXPECT_FALSE(b.IsPastLastLine(511));
    // Counting leaves the recorded layout alone.
    EXPECT_EQ(b.CountLines("ABC", 10, true), 1);
    EXPECT_EQ(b.LineStart(3), 15);
}

struct Captured {
    std::vector<TextLineRun> runs;
    int font = -1;
    void Attach(CTextLineBuffer& b) {
        b.SetDrawFunction([this](const TextLineRun& r, int f) {
            runs.push_back(r);
            font = f;
        });
    }
    std::string Texts() const {
        std::string s;
        for (const auto& r : runs) s += (s.empty() ? "" : "|") + r.text;
        return s;
    }
};

TEST(TextLineBufferTest, DrawLinesPlacesRunsInCells) {
    CTextLineBuffer b;
    Captured cap;
    cap.Attach(b);
    const char* text = "AB<c3>CD</c3>E</n>F<b>G";
    b.DrawLines(0, 100, 50, 10, 5, text, 0, true, 0, 2);
    ASSERT_EQ(cap.Texts(), "AB|CD|E|F|G");
    struct Want {
        int x, y;
        uint32_t colour;
        uint8_t style;
    } want[] = {{106, 50, 0xFFFFFF, 2},
                {118, 50, 0x0000FF, 2},
                {130, 50, 0xFFFFFF, 2},
                {106, 63, 0xFFFFFF, 2},
                {112, 63, 0xFFFFFF, 6}};
    for (size_t i = 0; i < std::size(want); ++i) {
        EXPECT_EQ(cap.runs[i].x, want[i].x) << i;
        EXPECT_EQ(cap.runs[i].y, want[i].y) << i;
        EXPECT_EQ(cap.runs[i].colour, want[i].colour) << i;
        EXPECT_EQ(cap.runs[i].style, want[i].style) << i;
    }
    EXPECT_EQ(cap.font, 0);
}

TEST(TextLineBufferTest, DrawFromALaterLineCarriesColourAndStyle) {
    struct Case {
        const char* text;
        int startLine, count;
        const char* texts;
        uint32_t colour;
        uint8_t style;
    } cases[] = {
        {"<c5><b>ABCDEFGH", 1, 1, "EFGH", 0x00FF00, 4},
        {"<c8>ABCDEFGH", 1, 1, "EFGH", 0xFFFFFF, 0},  // c8 before the start line is not carried
        {"<c8>ABCDEFGH", 0, 1, "ABCD", 0x36198A, 0},
        {"ABCDEFGHIJ", 1, 5, "EFGH|IJ", 0xFFFFFF, 0},
        {"ABCDEFGH", 2, 1, "", 0, 0},    // past the last line
        {"ABCDEFGH", 512, 1, "", 0, 0},  // past the table
    };
    for (const Case& c : cases) {
        CTextLineBuffer b;
        Captured cap;
        cap.Attach(b);
        b.DrawLines(c.startLine, 0, 0, 5, c.count, c.text, 0, true, 2, 0);
        EXPECT_EQ(cap.Texts(), c.texts) << c.text;
        if (!cap.runs.empty()) {
            EXPECT_EQ(cap.runs[0].colour, c.colour) << c.text;
            EXPECT_EQ(cap.runs[0].style, c.style) << c.text;
            EXPECT_EQ(cap.runs[0].y, 0);
            EXPECT_EQ(cap.runs[0].x, 7);
        }
    }
}

TEST(TextLineBufferTest, NewTextIsLaidOutAgain) {
    CTextLineBuffer b;
    Captured cap;
    cap.Attach(b);
    b.DrawLines(0, 0, 0, 5, 3, "ABCDEFGH", 0, true, 0, 0);
    EXPECT_EQ(cap.Texts(), "ABCD|EFGH");
    cap.runs.clear();
    b.DrawLines(0, 0, 0, 5, 3, "XY", 0, true, 0, 0);
    EXPECT_EQ(cap.Texts(), "XY");
    EXPECT_TRUE(b.IsPastLastLine(1));
}

TEST(TextLineBufferTest, TimedRevealStepsAndSkipsTags) {
    plat::FakeClock clock(1000);
    plat::ScopedClock useClock(clock);
    CTextLineBuffer b;
    Captured cap;
    cap.Attach(b);
    const std::string text = "A<c3>" + kNi + "B";
    auto frame = [&] {
        cap.runs.clear();
        return b.DrawLinesTimed(0, 0, 0, 20, 2, text.c_str(), 10, true, 0, 0);
    };
    EXPECT_EQ(frame(), 0u);  // nothing shown yet; more than 10 ms since step time 0: one step
    EXPECT_EQ(cap.Texts(), "");
    EXPECT_EQ(b.Revealed(), 1);
    EXPECT_EQ(frame(), 0u);  // "A" shown; the tag is passed at once
    EXPECT_EQ(cap.Texts(), "A");
    EXPECT_EQ(b.Revealed(), 5);
    EXPECT_EQ(frame(), 0u);  // no time has passed
    EXPECT_EQ(b.Revealed(), 5);
    clock.Advance(10);
    EXPECT_EQ(frame(), 0u);  // not more than the delay yet
    EXPECT_EQ(b.Revealed(), 5);
    clock.Advance(1);
    EXPECT_EQ(frame(), 0u);
    EXPECT_EQ(b.Revealed(), 7);  // the double-byte character in one step
    EXPECT_EQ(frame(), 0u);
    EXPECT_EQ(cap.Texts(), "A|" + kNi);
    EXPECT_EQ(cap.runs[1].colour, 0x0000FFu);
    clock.Advance(11);
    EXPECT_EQ(frame(), 0u);
    EXPECT_EQ(b.Revealed(), 8);
    EXPECT_EQ(frame(), 1u);
    EXPECT_EQ(cap.Texts(), "A|" + kNi + "B");
}

std::vector<std::string> RowTexts(const CRichText& r, int row) {
    std::vector<std::string> v;
    for (const auto& run : r.Row(row))
        v.push_back(std::to_string(run.startColumn) + "-" + std::to_string(run.endColumn) + ":" + run.text);
    return v;
}

TEST(RichTextTest, ColourAndBoldTags) {
    CRichText r;
    r.ParseRichText(0, 0, "<c3>AB<C12>CD</c>E<bold>F</b>G", 0x123456, 0);
    const auto& row = r.Row(0);
    ASSERT_EQ(row.size(), 5u);
    auto it = row.begin();
    EXPECT_EQ(std::string(it->text), "AB");
    EXPECT_EQ(it->colour, 0x0000FFu);
    EXPECT_EQ(it->style, 1);
    ++it;
    EXPECT_EQ(std::string(it->text), "CD");
    EXPECT_EQ(it->colour, 0xFFFFFFu);  // index 12 selects index 0
    ++it;
    EXPECT_EQ(it->colour, 0x123456u);
    ++it;
    EXPECT_EQ(std::string(it->text), "F");
    EXPECT_EQ(it->style, 5);
    ++it;
    EXPECT_EQ(it->style, 1);
    EXPECT_EQ(r.RowsUsed(), 1);

    CRichText second;
    second.ParseRichText(0, 0, "<c-3>A<B>B", 0x123456, 1);
    EXPECT_EQ(second.Row(0).front().colour, 0xFFFFFFu);
    EXPECT_EQ(second.Row(0).front().style, 17);
    EXPECT_EQ(second.Row(0).back().style, 20);
    EXPECT_EQ(second.Row(0).back().fontSetFlag, 1u);
}

TEST(RichTextTest, RowsFillAtThirtyTwoColumns) {
    CRichText r;
    r.ParseRichText(0, 0, std::string(40, 'x').c_str(), 0xFFFFFF, 0);
    EXPECT_EQ(RowTexts(r, 0), std::vector<std::string>{"0-32:" + std::string(32, 'x')});
    EXPECT_EQ(RowTexts(r, 1), std::vector<std::string>{"0-8:" + std::string(8, 'x')});
    EXPECT_EQ(r.RowsUsed(), 2);

    // A double-byte character that would cross column 32 goes to the next row.
    CRichText d;
    d.ParseRichText(0, 0, (std::string(31, 'x') + kNi).c_str(), 0xFFFFFF, 0);
    EXPECT_EQ(RowTexts(d, 0), std::vector<std::string>{"0-31:" + std::string(31, 'x')});
    EXPECT_EQ(RowTexts(d, 1), std::vector<std::string>{"0-2:" + kNi});

    // Text running past row 39 stops there.
    CRichText full;
    full.ParseRichText(0, 38, std::string(100, 'y').c_str(), 0xFFFFFF, 0);
    EXPECT_EQ(full.RowsUsed(), 40);
    EXPECT_EQ(RowTexts(full, 39).size(), 1u);
    full.ParseRichText(0, 40, "z", 0xFFFFFF, 0);
    EXPECT_EQ(full.RowsUsed(), 40);
}

TEST(RichTextTest, LineBreakClearsTheRestOfTheRow) {
    CRichText r;
    r.ParseRichText(0, 0, "ABCDEFGH", 0xFFFFFF, 0);
    r.ParseRichText(2, 0, "XY</n>Z", 0xFFFFFF, 0);
    EXPECT_EQ(RowTexts(r, 0), (std::vector<std::string>{"0-2:AB", "2-4:XY"}));
    EXPECT_EQ(RowTexts(r, 1), std::vector<std::string>{"0-1:Z"});
    EXPECT_EQ(r.RowsUsed(), 2);
    r.FreeRichText();
    EXPECT_TRUE(r.Row(0).empty());
    EXPECT_EQ(r.RowsUsed(), 0);
}

TEST(RichTextTest, MarkupAtTheEndOfTheTextStaysInside) {
    for (const char* text : {"A<", "A<c", "A<c1", "A</", "A<b", "A<x"}) {
        CRichText r;
        r.ParseRichText(0, 0, text, 0xFFFFFF, 0);
        ASSERT_FALSE(r.Row(0).empty()) << text;
        EXPECT_EQ(std::string(r.Row(0).front().text).substr(0, 1), "A") << text;
    }
}

TEST(RichTextTest, AddRunSplitsAndReplaces) {
    CRichText r;
    r.ParseRichText(0, 0, "AAAAAAAAAA", 0x00FF00, 0);
    CRichTextRun* run = r.AddRun(3, 6, 0);
    ASSERT_NE(run, nullptr);
    EXPECT_EQ(run->colour, 0xFFFFFFu);
    EXPECT_EQ(run->style, 1);
    EXPECT_EQ(RowTexts(r, 0), (std::vector<std::string>{"0-3:AAA", "3-6:", "6-10:AAAA"}));
    EXPECT_EQ(r.Row(0).back().colour, 0x00FF00u);
    EXPECT_EQ(r.AddRun(4, 4, 0), nullptr);
    EXPECT_EQ(r.AddRun(0, 33, 0), nullptr);
    EXPECT_EQ(r.AddRun(0, 1, 40), nullptr);
    r.RemoveRuns(0, 6, 0);
    EXPECT_EQ(RowTexts(r, 0), std::vector<std::string>{"6-10:AAAA"});
    r.SplitRunAt(6, 0);  // a run already starts there
    EXPECT_EQ(RowTexts(r, 0).size(), 1u);
}

TEST(RichTextTest, SplittingADoubleByteCharacterLeavesSpaces) {
    CRichText r;
    r.ParseRichText(0, 0, ("A" + kNi + kHon + "B").c_str(), 0xFFFFFF, 0);
    r.SplitRunAt(2, 0);  // inside the first double-byte character
    EXPECT_EQ(RowTexts(r, 0), (std::vector<std::string>{"0-2:A ", "2-6: " + kHon + "B"}));
    r.SplitRunAt(5, 0);  // between two characters: a clean cut
    EXPECT_EQ(RowTexts(r, 0), (std::vector<std::string>{"0-2:A ", "2-5: " + kHon, "5-6:B"}));
}

}  // namespace
