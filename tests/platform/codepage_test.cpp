#include "platform/codepage.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

struct LeadCase {
    uint8_t byte;
    bool in932;
    bool in949;
};

TEST(CodePageTest, LeadBytesOfBothCodePages) {
    const LeadCase cases[] = {
        {0x00, false, false}, {0x41, false, false}, {0x7F, false, false}, {0x80, false, false},
        {0x81, true, true},   {0x9F, true, true},   {0xA0, false, true},  {0xB1, false, true},
        {0xDF, false, true},  {0xE0, true, true},   {0xFC, true, true},   {0xFD, false, true},
        {0xFE, false, true},  {0xFF, false, false},
    };
    for (const LeadCase& c : cases) {
        SCOPED_TRACE(testing::Message() << "byte 0x" << std::hex << int(c.byte));
        EXPECT_EQ(plat::IsDBCSLeadByteEx(932, c.byte), c.in932);
        EXPECT_EQ(plat::IsDBCSLeadByteEx(949, c.byte), c.in949);
        {
            plat::ScopedCodePage cp(932);
            EXPECT_EQ(plat::IsDBCSLeadByte(c.byte), c.in932);
        }
        {
            plat::ScopedCodePage cp(949);
            EXPECT_EQ(plat::IsDBCSLeadByte(c.byte), c.in949);
        }
    }
}

TEST(CodePageTest, ShiftJisIsTheDefaultAndOnlyKnownPagesAreTaken) {
    EXPECT_EQ(plat::GetACP(), 932u);
    plat::ScopedCodePage korean(949);
    EXPECT_EQ(plat::GetACP(), 949u);
    EXPECT_FALSE(plat::SetCodePage(1252));
    EXPECT_EQ(plat::GetACP(), 949u);
}

// Offsets CharNextA stops at from the start to the terminator.
std::vector<size_t> Steps(const char* text) {
    std::vector<size_t> offsets;
    const char* p = text;
    while (*p) {
        p = plat::CharNextA(p);
        offsets.push_back(size_t(p - text));
    }
    EXPECT_EQ(plat::CharNextA(p), p);  // the terminator does not move
    return offsets;
}

TEST(CodePageTest, CharNextStepsWholeCharacters) {
    struct Case {
        unsigned codePage;
        const char* text;
        std::vector<size_t> steps;
    };
    const Case cases[] = {
        // ASCII, a kanji, a half-width katakana (single byte in 932), ASCII.
        {932,
         "a\x93\xFA\xB1"
         "b",
         {1, 3, 4, 5}},
        // A trail byte that looks like '\' stays inside its character.
        {932, "\x83\x5C\x5C", {2, 3}},
        // A lead byte right before the end stands alone.
        {932, "a\x93", {1, 2}},
        // In 949 the same 0xB1 byte starts a two-byte character.
        {949,
         "a\xB1\xB9"
         "b",
         {1, 3, 4}},
        {949, "\x8C\x63\xC7", {2, 3}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        plat::ScopedCodePage cp(c.codePage);
        EXPECT_EQ(Steps(c.text), c.steps);
    }
}

TEST(CodePageTest, CharPrevFindsTheStartOfTheCharacterBefore) {
    const char text[] =
        "a\x93\xFA\x83\x5C"
        "b";
    EXPECT_EQ(plat::CharPrevA(text, text + 6), text + 5);
    EXPECT_EQ(plat::CharPrevA(text, text + 5), text + 3);  // not the '\'-like trail byte
    EXPECT_EQ(plat::CharPrevA(text, text + 3), text + 1);
    EXPECT_EQ(plat::CharPrevA(text, text + 1), text);
    EXPECT_EQ(plat::CharPrevA(text, text), text);
}

TEST(CodePageTest, PrefixLengthNeverSplitsACharacter) {
    const std::string text = "ab\x93\xFA\x96\x7B";  // a, b, two kanji
    EXPECT_EQ(plat::DbcsPrefixLength(text, 0), 0u);
    EXPECT_EQ(plat::DbcsPrefixLength(text, 2), 2u);
    EXPECT_EQ(plat::DbcsPrefixLength(text, 3), 2u);
    EXPECT_EQ(plat::DbcsPrefixLength(text, 4), 4u);
    EXPECT_EQ(plat::DbcsPrefixLength(text, 5), 4u);
    EXPECT_EQ(plat::DbcsPrefixLength(text, 6), 6u);
    EXPECT_EQ(plat::DbcsPrefixLength(text, 100), 6u);
}

TEST(CodePageTest, Utf8RoundTrips) {
    struct Case {
        unsigned codePage;
        std::string native;
        std::string utf8;
    };
    const Case cases[] = {
        {932, "plain ASCII 123", "plain ASCII 123"},
        {932, "\x93\xFA\x96\x7B\x8C\xEA\x83\x65\x83\x4C\x83\x58\x83\x67", "日本語テキスト"},
        {932, "\xB1\xB2\xB3", "ｱｲｳ"},
        // Characters of the Windows variant of Shift-JIS.
        {932, "\x87\x40\x81\x60\x83\x5C\x95\x5C", "①～ソ表"},
        {949, "\xC7\xD1\xB1\xB9\xBE\xEE\x20\xC5\xD8\xBD\xBA\xC6\xAE", "한국어 텍스트"},
        // Characters only the extended Korean page has.
        {949, "\x8C\x63\xB9\xE6\xB0\xA2\xC7\xCF", "똠방각하"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.utf8);
        EXPECT_EQ(plat::ToUtf8(c.codePage, c.native), c.utf8);
        EXPECT_EQ(plat::FromUtf8(c.codePage, c.utf8), c.native);
        plat::ScopedCodePage cp(c.codePage);
        EXPECT_EQ(plat::FromUtf8(plat::ToUtf8(c.native)), c.native);
    }
}

TEST(CodePageTest, BadBytesAreReplacedAndTheRestKept) {
    const std::string fffd = "\xEF\xBF\xBD";
    // A lead byte cut off at the end, and one followed by a byte that cannot trail.
    EXPECT_EQ(plat::ToUtf8(932, "ab\x93"), "ab" + fffd);
    EXPECT_EQ(plat::ToUtf8(932, "\x93 x"), fffd + " x");
    EXPECT_EQ(plat::ToUtf8(932,
                           "\xFF"
                           "a"),
              fffd + "a");
    // Nothing in the code page for it, and broken UTF-8.
    EXPECT_EQ(plat::FromUtf8(932, "a😀b"), "a?b");
    EXPECT_EQ(plat::FromUtf8(932, "a\xC3"), "a?");
    EXPECT_EQ(plat::FromUtf8(949,
                             "\xE2\x82"
                             "b"),
              "?b");
    EXPECT_EQ(plat::ToUtf8(932, ""), "");
}

}  // namespace
