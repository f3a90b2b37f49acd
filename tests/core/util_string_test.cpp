#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <string>

#include "core/util.h"
#include "platform/codepage.h"

namespace {

// "日本" in Shift-JIS; the trail byte of the second character of SO ("ソ",
// 0x83 0x5C) looks like '\', and that of "ッ" (0x83 0x62) like 'b'.
#define KANJI_NI "\x93\xFA"
#define KANJI_HON "\x96\x7B"
#define KATA_SO "\x83\x5C"
#define KATA_TSU "\x83\x62"

TEST(UtilStringTest, InPlaceEdits) {
    char number[16];
    std::snprintf(number, sizeof number, "%4d", 7);
    SpacesToZeros(number);
    EXPECT_STREQ(number, "0007");
    std::snprintf(number, sizeof number, "%4d", 12345);
    SpacesToZeros(number);
    EXPECT_STREQ(number, "12345");

    char path[] = "Data/tex_" KATA_TSU "a.dtx";
    StrToUpper(path);
    // The trail byte that reads as 'b' is part of its character and stays.
    EXPECT_STREQ(path, "DATA/TEX_" KATA_TSU "A.DTX");
    SpacesToZeros(nullptr);
    StrToUpper(nullptr);
}

// One call of a capacity-taking string helper.
struct CopyCase {
    const char* name;
    bool (*fn)(const char*, char*, size_t);
    const char* input;
    size_t capacity;
    const char* out;
    bool fits;
};

TEST(UtilStringTest, HelpersThatWriteIntoABufferRespectItsCapacity) {
    const CopyCase cases[] = {
        {"RemoveSpaces", RemoveSpaces, "a b  c ", 64, "abc", true},
        {"RemoveSpaces", RemoveSpaces, "", 64, "", true},
        {"RemoveSpaces", RemoveSpaces, "   ", 64, "", true},
        {"RemoveSpaces", RemoveSpaces, KANJI_NI " " KANJI_HON, 64, KANJI_NI KANJI_HON, true},
        {"RemoveSpaces", RemoveSpaces, "abc def", 4, "abc", false},
        {"RemoveSpaces", RemoveSpaces, "a " KANJI_NI, 3, "a", false},  // the kanji does not fit whole
        {"FirstWord", FirstWord, "  hello world", 64, "hello", true},
        {"FirstWord", FirstWord, "\tone\ttwo", 64, "one", true},
        {"FirstWord", FirstWord, "word", 64, "word", true},
        {"FirstWord", FirstWord, "   ", 64, "", true},
        {"FirstWord", FirstWord, "abcdef ghi", 4, "abc", false},
        {"FirstWord", FirstWord, "ab" KANJI_NI " x", 4, "ab", false},
        {"GetFileExtension", GetFileExtension, "0012.z5a", 64, "z5a", true},
        {"GetFileExtension", GetFileExtension, "a.tar.gz", 64, "gz", true},
        {"GetFileExtension", GetFileExtension, "noext", 64, "", true},
        {"GetFileExtension", GetFileExtension, "trailing.", 64, "", true},
        {"GetFileExtension", GetFileExtension, ".\\DATA.V2\\file", 64, "", true},
        {"GetFileExtension", GetFileExtension, "dir.d/f.txt", 64, "txt", true},
        {"GetFileExtension", GetFileExtension, "x." KATA_SO "y", 64, KATA_SO "y", true},
        {"GetFileExtension", GetFileExtension, "photo.jpeg", 3, "jp", false},
        {"GetFileExtension", GetFileExtension, "f." KANJI_NI KANJI_HON, 4, KANJI_NI, false},
    };
    for (const CopyCase& c : cases) {
        SCOPED_TRACE(testing::Message() << c.name << "(\"" << c.input << "\", " << c.capacity << ")");
        char out[64];
        std::memset(out, 'X', sizeof out);
        EXPECT_EQ(c.fn(c.input, out, c.capacity), c.fits);
        EXPECT_STREQ(out, c.out);
        // Nothing past the capacity is touched.
        if (c.capacity < sizeof out) {
            EXPECT_EQ(out[c.capacity], 'X');
        }
    }
    char none[1] = {'X'};
    EXPECT_FALSE(FirstWord("a", none, 1));
    EXPECT_EQ(none[0], '\0');
    EXPECT_FALSE(RemoveSpaces("a", none, 0));
    char arr[4];
    EXPECT_TRUE(GetFileExtension("x.bmp", arr));  // the capacity of an array is taken from it
    EXPECT_FALSE(RemoveSpaces("a b c d e", arr));
    EXPECT_STREQ(arr, "abc");
}

TEST(UtilStringTest, CopyDbcsPrefixStopsBetweenCharacters) {
    const char text[] = "ab" KANJI_NI "cd";
    struct Case {
        size_t n, capacity;
        const char* out;
        const char* rest;
    };
    const Case cases[] = {
        {3, 64, "ab", text + 2},
        {4, 64, "ab" KANJI_NI, text + 4},
        {6, 64, "ab" KANJI_NI "cd", nullptr},
        {100, 64, "ab" KANJI_NI "cd", nullptr},
        {0, 64, "", text},
        {100, 4, "ab", text + 2},  // the capacity limits like n does
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "n " << c.n << " capacity " << c.capacity);
        char out[64];
        EXPECT_EQ(CopyDbcsPrefix(text, c.n, out, c.capacity), c.rest);
        EXPECT_STREQ(out, c.out);
    }
    char out[8];
    EXPECT_EQ(CopyDbcsPrefix("", 5, out), nullptr);
    EXPECT_STREQ(out, "");
}

TEST(UtilStringTest, TruncateWithEllipsis) {
    struct Case {
        const char* text;
        int n;
        size_t capacity;
        const char* out;
        bool fits;
    };
    const Case cases[] = {
        {"0123456789", 8, 64, "01234...", true},
        // The fifth byte starts a double-byte character: only four bytes are kept.
        {"0123" KANJI_NI "6789", 8, 64, "0123...", true},
        {"0123456789", 10, 64, "0123456789", true},
        {"0123456789", 11, 64, "0123456789", true},
        {"0123456789", 4, 64, "0...", true},
        {"0123456789", 3, 64, "...", true},
        {"0123456789", 2, 64, "..", true},
        {"0123456789", 0, 64, "", true},
        {"0123456789", -5, 64, "", true},
        {"", 5, 64, "", true},
        // A buffer smaller than n cuts further, still between characters.
        {"0123456789", 8, 6, "01...", false},
        {"0123456789", 10, 6, "01234", false},
        {KANJI_NI KANJI_HON "abc", 8, 64, KANJI_NI KANJI_HON "abc", true},
        {KANJI_NI KANJI_HON "abcde", 8, 64, KANJI_NI KANJI_HON "a...", true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "\"" << c.text << "\" at " << c.n << " capacity " << c.capacity);
        char out[64];
        EXPECT_EQ(TruncateWithEllipsis(c.text, c.n, out, c.capacity), c.fits);
        EXPECT_STREQ(out, c.out);
    }
}

TEST(UtilStringTest, DoubleByteRulesFollowTheCodePage) {
    // 0xB1 0xB9 is one Korean character but two half-width katakana in Shift-JIS.
    char out[8];
    {
        plat::ScopedCodePage cp(949);
        TruncateWithEllipsis("a\xB1\xB9xyz", 5, out);
        EXPECT_STREQ(out, "a...");
    }
    TruncateWithEllipsis("a\xB1\xB9xyz", 5, out);
    EXPECT_STREQ(out, "a\xB1...");
}

TEST(UtilStringTest, Numbers) {
    struct Case {
        uint32_t number;
        const char* text;
    };
    const Case cases[] = {{0, "0"},
                          {999, "999"},
                          {1000, "1,000"},
                          {1234567, "1,234,567"},
                          {100000, "100,000"},
                          {4294967295u, "4,294,967,295"}};
    for (const Case& c : cases) {
        EXPECT_EQ(FormatNumberWithCommas(c.number), c.text);
        char out[32];
        EXPECT_EQ(FormatNumberWithCommas(c.number, out), out);
        EXPECT_STREQ(out, c.text);
    }
    char small[4];
    FormatNumberWithCommas(1234567, small);
    EXPECT_STREQ(small, "1,2");

    EXPECT_EQ(GetDecimalLength(0), 1);
    EXPECT_EQ(GetDecimalLength(-1), 2);
    EXPECT_EQ(GetDecimalLength(123456), 6);
    EXPECT_EQ(GetDecimalLength(int32_t(INT_MIN)), 11);
    EXPECT_EQ(GetDecimalLength(4294967295u), 10);

    uint8_t bytes[] = {0x00, 0x5A, 0xFF, 0x12};
    XorBytes(bytes, sizeof bytes, 0x5A);
    EXPECT_EQ(bytes[0], 0x5A);
    EXPECT_EQ(bytes[1], 0x00);
    EXPECT_EQ(bytes[2], 0xA5);
    XorBytes(bytes, sizeof bytes, 0x5A);
    EXPECT_EQ(bytes[3], 0x12);
}

// Where atoi would overflow (undefined), the number holds at the range's end.
TEST(UtilStringTest, ParseIntReadsLikeAtoiAndSaturates) {
    struct Case {
        const char* text;
        int64_t as64;
        int32_t as32;
    } cases[] = {
        {"007", 7, 7},
        {"  -42abc", -42, -42},
        {"+5", 5, 5},
        {"abc", 0, 0},
        {"", 0, 0},
        {"2147483648", 2147483648LL, INT32_MAX},
        {"-2147483649", -2147483649LL, INT32_MIN},
        {"999999999999", 999999999999LL, INT32_MAX},
        {"9223372036854775807", INT64_MAX, INT32_MAX},
        {"9223372036854775808", INT64_MAX, INT32_MAX},
        {"-9223372036854775808", INT64_MIN, INT32_MIN},
        {"-99999999999999999999", INT64_MIN, INT32_MIN},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ParseInt64(c.text), c.as64) << c.text;
        EXPECT_EQ(ParseInt32(c.text), c.as32) << c.text;
    }
    EXPECT_EQ(ParseInt32(nullptr), 0);
}

}  // namespace
