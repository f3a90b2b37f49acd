#include "graphics/text_layout.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

namespace {

const std::string kNi = "\x93\xFA";  // one double-byte character

TEST(StringPassesTest, PassCountsAndOffsets) {
    using P = TextPass;
    EXPECT_EQ(StringPasses(0), (std::vector<P>{{0, 1, false}}));
    EXPECT_EQ(StringPasses(1), (std::vector<P>{{0, 1, false}}));
    EXPECT_EQ(StringPasses(2), (std::vector<P>{{1, 2, true}, {0, 1, false}}));
    EXPECT_EQ(StringPasses(8),
              (std::vector<P>{{1, 1, true}, {0, 2, true}, {-1, 1, true}, {0, 0, true}, {0, 1, false}}));
    EXPECT_EQ(StringPasses(4), (std::vector<P>{{1, 1, false}, {0, 2, false}, {1, 2, false}, {0, 1, false}}));

    std::vector<P> both = StringPasses(12);
    int black = 0, coloured = 0;
    std::set<std::pair<int, int>> blackAt, colourAt;
    for (const P& p : both) {
        (p.black ? black : coloured)++;
        (p.black ? blackAt : colourAt).insert({p.dx, p.dy});
    }
    EXPECT_EQ(black, 16);
    EXPECT_EQ(coloured, 4);
    // The coloured copies make a 2 x 2 block at x 0-1, y 1-2 ...
    EXPECT_EQ(colourAt, (std::set<std::pair<int, int>>{{0, 1}, {1, 1}, {0, 2}, {1, 2}}));
    // ... and the black copies cover the ring one pixel around it.
    for (int x = -1; x <= 2; ++x)
        for (int y = 0; y <= 3; ++y)
            if (!colourAt.count({x, y})) {
                EXPECT_TRUE(blackAt.count({x, y})) << x << "," << y;
            }
    EXPECT_FALSE(both.back().black);
    EXPECT_EQ(both.back(), (P{0, 1, false}));
}

TEST(WrapTest, ByteWidthsAndDoubleByteCharacters) {
    using V = std::vector<std::string_view>;
    EXPECT_EQ(WrapByBytes("ABCDEFG", 3), (V{"ABC", "DEF", "G"}));
    EXPECT_EQ(WrapByBytes("", 3), V{});
    EXPECT_EQ(WrapByBytes("AB" + kNi + "C", 3), (V{"AB", kNi + "C"}));
    EXPECT_EQ(WrapByBytes(kNi + kNi, 1), (V{kNi, kNi}));  // wider than the width: a line of its own
    EXPECT_EQ(WrapByBytes("AB\r\nCD", 10, true), (V{"AB", "CD"}));
    EXPECT_EQ(WrapByBytes("AB\r\n", 10, true), (V{"AB", ""}));
    EXPECT_EQ(WrapByBytes("AB\r\nCD", 10, false), (V{"AB\r\nCD"}));

    EXPECT_EQ(CutAtCharacter("ABC", 2), "AB");
    EXPECT_EQ(CutAtCharacter("A" + kNi, 2), "A");
    EXPECT_EQ(CutAtCharacter("A" + kNi, 3), "A" + kNi);
    EXPECT_EQ(CutAtCharacter("A\x93", 5), "A\x93");  // a lead byte at the very end counts alone
}

TEST(EditCaretTest, LineAndColumnFromBytePosition) {
    struct Case {
        std::string text;
        int width, caret, line, column;
    } cases[] = {
        {"", 5, 0, 0, 0},          {"ABCDEF", 3, 2, 0, 2},    {"ABCDEF", 3, 3, 1, 0},
        {"ABCDEF", 3, 6, 1, 3},    {"AB\r\nCD", 10, 2, 0, 2}, {"AB\r\nCD", 10, 3, 0, 2},
        {"AB\r\nCD", 10, 4, 1, 0}, {"AB\r\n", 10, 4, 1, 0},   {"ABCDEF", 3, 99, 1, 3},
        {"ABCDEF", 3, -4, 0, 0},
    };
    for (const Case& c : cases) {
        EditCaretPlace p = FindEditCaret(c.text, c.width, c.caret);
        EXPECT_EQ(p.line, c.line) << c.text << " @" << c.caret;
        EXPECT_EQ(p.column, c.column) << c.text << " @" << c.caret;
    }
}

TEST(FormattedTextTest, ColourEscapes) {
    uint32_t colour = 0;
    EXPECT_TRUE(ParseColourEscape("255128000", &colour));
    EXPECT_EQ(colour, 0x0080FFu);
    EXPECT_TRUE(ParseColourEscape("999000300", &colour));
    EXPECT_EQ(colour, 0xFF00FFu);  // each group clamped to 255
    EXPECT_FALSE(ParseColourEscape("12345678", &colour));
    EXPECT_FALSE(ParseColourEscape("1234x6789", &colour));

    FormattedLayout l = LayoutFormattedText("A\\c255000000BC\\c255000000D\\c12E", 20);
    ASSERT_EQ(l.runs.size(), 2u);
    EXPECT_EQ(l.runs[0].text, "A");
    EXPECT_EQ(l.runs[0].colour, 0xFFFFFFu);
    EXPECT_EQ(l.runs[1].text, "BCD\\c12E");  // the same colour again does not cut; a short escape is text
    EXPECT_EQ(l.runs[1].colour, 0x0000FFu);
    EXPECT_EQ(l.runs[1].column, 1);
}

TEST(FormattedTextTest, LinesBreaksAndCentring) {
    FormattedLayout l = LayoutFormattedText("ABCDE\\nF\x01G\\aCHI\\nJK\\aN\\nL" + kNi + kNi, 4);
    // Lines: "ABCD" "E" "F" "GHI" "JK", "L" and one double-byte character, the other one.
    ASSERT_EQ(l.lines.size(), 7u);
    std::vector<int> bytes;
    std::vector<bool> centred;
    for (const auto& line : l.lines) bytes.push_back(line.bytes), centred.push_back(line.centred);
    EXPECT_EQ(bytes, (std::vector<int>{4, 1, 1, 3, 2, 3, 2}));
    EXPECT_EQ(centred, (std::vector<bool>{false, false, false, false, true, false, false}));
    // "\aC" after "G" leaves that line as it is; the next line is centred.
    EXPECT_EQ(l.runs.front().text, "ABCD");
    EXPECT_EQ(l.runs.back().text, kNi);
    EXPECT_EQ(l.runs.back().line, 6);

    EXPECT_EQ(LayoutFormattedText("", 10).lines.size(), 1u);
    FormattedLayout big = LayoutFormattedText(std::string(10001, 'x'), 10);
    EXPECT_EQ(big.lines.size(), 1u);
    EXPECT_TRUE(big.runs.empty());
    EXPECT_EQ(LayoutFormattedText(std::string(10000, 'x'), 100).lines.size(), 100u);
}

}  // namespace
