#include "graphics/text_atlas.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

namespace {

TEST(HashTextTest, Vectors) {
    struct Case {
        std::string bytes;
        uint32_t hash;
    } cases[] = {
        {"", 0},
        {"A", 0x41},
        {"AB", 0x1002},
        {"\x80", 0xFFFFFF80u},  // bytes are signed
        {"\x80"
         "A",
         0x03FFE041u},  // the top six bits stay in place
        {"Hello, world", 0xBABB3B64u},
        {"\x93\xFA\x96\x7B", 0xFE4C45FBu},
        {std::string(7, '\xFF'), 0xFF03F03Fu},
        {"Aa", 0x1021},
        {"@!", 0x1021},  // collides with "Aa"
    };
    for (const Case& c : cases) EXPECT_EQ(HashText(c.bytes.data(), c.bytes.size()), c.hash) << c.bytes;
}

TEST(TextAtlasTest, RowsOfEachHeight) {
    struct Case {
        int rowHeight, rowsPerPage, lastY;
    } cases[] = {{14, 18, 238}, {16, 16, 240}, {18, 14, 234}, {22, 11, 220}};
    for (const Case& c : cases) {
        CTextAtlas atlas(c.rowHeight);
        EXPECT_EQ(atlas.RowsPerPage(), c.rowsPerPage);
        ASSERT_EQ(atlas.FreeSpans().size(), size_t(8 * c.rowsPerPage));
        EXPECT_EQ(atlas.FreeSpans().front(), (TextSpan{0, 0, 0, 256}));
        EXPECT_EQ(atlas.FreeSpans().back(), (TextSpan{7, 0, c.lastY, 256}));
        EXPECT_TRUE(atlas.CheckCoverage());
    }
}

TEST(TextAtlasTest, StringsAreFoundByTextAndColour) {
    CTextAtlas atlas(14);
    std::vector<TextSpan> spans;
    ASSERT_TRUE(atlas.TakeSpans(10, &spans));
    atlas.AddString("Aa", 0xFFFFFF, spans, 5);
    spans.clear();
    ASSERT_TRUE(atlas.TakeSpans(10, &spans));
    atlas.AddString("@!", 0xFFFFFF, spans, 6);  // same key: hash collision, same colour
    EXPECT_EQ(atlas.StringCount(), 2u);

    TextCacheEntry* a = atlas.FindString("Aa", 0xFFFFFF, 50);
    TextCacheEntry* b = atlas.FindString("@!", 0xFFFFFF, 60);
    ASSERT_TRUE(a && b);
    EXPECT_EQ(a->key, b->key);
    EXPECT_EQ(a->spans[0].x, 0);
    EXPECT_EQ(b->spans[0].x, 10);
    EXPECT_EQ(a->lastUse, 50u);
    EXPECT_EQ(atlas.FindString("Aa", 0x000000, 0), nullptr);  // another colour
    EXPECT_EQ(atlas.FindString("A", 0xFFFFFF, 0), nullptr);   // a prefix
    EXPECT_EQ(atlas.FindString(std::string_view("Aa\0", 3), 0xFFFFFF, 0), nullptr);
    EXPECT_TRUE(atlas.CheckCoverage());
}

TEST(TextAtlasTest, SpansContinueIntoTheNextRow) {
    CTextAtlas atlas(22);
    std::vector<TextSpan> spans;
    ASSERT_TRUE(atlas.TakeSpans(200, &spans));
    spans.clear();
    ASSERT_TRUE(atlas.TakeSpans(100, &spans));
    EXPECT_EQ(spans, (std::vector<TextSpan>{{0, 200, 0, 56}, {0, 0, 22, 44}}));
    EXPECT_EQ(atlas.FreeSpans().front(), (TextSpan{0, 44, 22, 212}));
    // Runs given back (a string that could not be rendered) leave the list as it was.
    atlas.ReturnSpans(spans);
    EXPECT_EQ(atlas.FreeSpans().front(), (TextSpan{0, 200, 0, 56}));
    EXPECT_EQ(*std::next(atlas.FreeSpans().begin()), (TextSpan{0, 0, 22, 256}));
    EXPECT_EQ(atlas.FreeLength(), 8 * 11 * 256 - 200);

    // The last row of a page continues on the next page.
    CTextAtlas pages(128);
    spans.clear();
    ASSERT_TRUE(pages.TakeSpans(600, &spans));
    EXPECT_EQ(spans, (std::vector<TextSpan>{{0, 0, 0, 256}, {0, 0, 128, 256}, {1, 0, 0, 88}}));
}

TEST(TextAtlasTest, ReservePreparesOnlyThePagesItReaches) {
    CTextAtlas atlas(128);  // two rows a page
    std::vector<int32_t> prepared;
    auto prepare = [&](int32_t page) {
        prepared.push_back(page);
        return true;
    };
    EXPECT_TRUE(atlas.ReserveSpans(300, prepare));
    EXPECT_EQ(prepared, (std::vector<int32_t>{0, 0}));
    prepared.clear();
    EXPECT_TRUE(atlas.ReserveSpans(600, prepare));
    EXPECT_EQ(prepared, (std::vector<int32_t>{0, 0, 1}));
    EXPECT_FALSE(atlas.ReserveSpans(600, [](int32_t page) { return page == 0; }));
}

TEST(TextAtlasTest, EvictsLeastRecentlyUsedAndJoinsFreedRuns) {
    CTextAtlas atlas(128);  // two rows a page, 512 pixels of row length a page, 4096 in all
    // Fill everything with strings of 128 pixels, used at times 100, 101, ...
    uint32_t t = 100;
    for (int i = 0; i < 32; ++i) {
        ASSERT_TRUE(atlas.ReserveSpans(128, nullptr));
        std::vector<TextSpan> spans;
        ASSERT_TRUE(atlas.TakeSpans(128, &spans));
        atlas.AddString("s" + std::to_string(i), 0, spans, t++);
    }
    EXPECT_TRUE(atlas.FreeSpans().empty());
    // Refresh the first two: they are now the most recent.
    ASSERT_NE(atlas.FindString("s0", 0, 500), nullptr);
    ASSERT_NE(atlas.FindString("s1", 0, 501), nullptr);

    // 100 pixels wanted: a whole page's worth (512) is freed, oldest first.
    ASSERT_TRUE(atlas.ReserveSpans(100, nullptr));
    EXPECT_EQ(atlas.StringCount(), 28u);
    for (const char* gone : {"s2", "s3", "s4", "s5"})
        EXPECT_EQ(atlas.FindString(gone, 0, 600), nullptr) << gone;
    EXPECT_NE(atlas.FindString("s0", 0, 600), nullptr);
    EXPECT_NE(atlas.FindString("s6", 0, 600), nullptr);
    // s2 and s3 filled row 128 of page 0 from x 0, s4 and s5 row 0 of page 1
    // from x 0: each pair joined into one run, sorted by page.
    EXPECT_EQ(std::vector<TextSpan>(atlas.FreeSpans().begin(), atlas.FreeSpans().end()),
              (std::vector<TextSpan>{{0, 0, 128, 256}, {1, 0, 0, 256}}));
    EXPECT_TRUE(atlas.CheckCoverage());

    // 600 pixels: more than a page, so two pages' worth is freed.
    ASSERT_TRUE(atlas.ReserveSpans(600, nullptr));
    EXPECT_GE(atlas.FreeLength(), 1024);
    EXPECT_TRUE(atlas.CheckCoverage());
    std::vector<TextSpan> spans;
    ASSERT_TRUE(atlas.TakeSpans(600, &spans));
    atlas.AddString("wide", 0, spans, 700);
    EXPECT_TRUE(atlas.CheckCoverage());
}

TEST(TextAtlasTest, TooLargeARequestFailsWithoutTakingAnything) {
    CTextAtlas atlas(128);
    std::vector<TextSpan> spans;
    EXPECT_FALSE(atlas.ReserveSpans(5000, nullptr));
    EXPECT_FALSE(atlas.TakeSpans(5000, &spans));
    EXPECT_TRUE(spans.empty());
    EXPECT_EQ(atlas.FreeLength(), 4096);
}

TEST(TextAtlasTest, WidthCacheAndSweep) {
    CTextAtlas atlas(14);
    atlas.AddWidth("old", 18, 1000);
    atlas.AddWidth("Aa", 12, 30000);
    atlas.AddWidth("@!", 13, 30000);
    ASSERT_NE(atlas.FindWidth("@!", 40000), nullptr);
    EXPECT_EQ(atlas.FindWidth("@!", 40000)->width, 13);
    EXPECT_EQ(atlas.FindWidth("Aa", 40000)->width, 12);
    EXPECT_EQ(atlas.FindWidth("A", 40000), nullptr);

    atlas.SweepWidthCache(60000, 61000);  // "old" is exactly 60 s old: kept
    EXPECT_EQ(atlas.WidthCount(), 3u);
    atlas.SweepWidthCache(60000, 61001);
    EXPECT_EQ(atlas.WidthCount(), 2u);
    EXPECT_EQ(atlas.FindWidth("old", 61001), nullptr);

    // Across the wrap of the millisecond counter.
    CTextAtlas wrap(14);
    wrap.AddWidth("x", 6, 0xFFFFF000u);
    wrap.SweepWidthCache(60000, 0x00001000u);
    EXPECT_EQ(wrap.WidthCount(), 1u);
    wrap.SweepWidthCache(60000, 0x00010000u);
    EXPECT_EQ(wrap.WidthCount(), 0u);
}

}  // namespace
