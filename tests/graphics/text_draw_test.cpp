// Text drawn through the display's surfaces with the fixed-block fake font:
// font 0 is 12 pixels high, every byte a block of ink 5 pixels wide (one clear
// column after it) on the cell's rows 1 to 8; its atlas rows are 14 high.
#include <gtest/gtest.h>

#include <string>
#include <utility>

#include "platform/clock.h"
#include "tests/graphics/text_fixture.h"

namespace {

const std::string kNi = "\x93\xFA";  // a double-byte character, two blocks wide

constexpr uint32_t kRed = 0x0000FF, kBlue = 0xFF0000, kWhite = 0xFFFFFF;

// The ink of n bytes of the fake font on one row.
std::string Blocks(int n) {
    std::string s;
    for (int i = 0; i < n; ++i) s += "#####.";
    return s;
}

class TextDrawTest : public TextFixture {
protected:
    plat::FakeFontBackend m_fake;
};

TEST_F(TextDrawTest, OneTextInTwoColoursMakesTwoEntriesAndRedrawsFromTheCache) {
    plat::FakeClock clock(1000);
    plat::ScopedClock useClock(clock);
    BringUpText(m_fake);
    CTextFont* f = GetTextFont(0, 0);
    CSurfaceResource* t = MakeTarget(100, 40);
    f->SetTargetSurface(t);
    f->SetColor(kRed);
    f->DrawTextCached(2, 3, "AB", 2);
    f->SetColor(kBlue);
    f->DrawTextCached(2, 20, "AB", 2);
    EXPECT_EQ(f->Atlas().StringCount(), 2u);
    EXPECT_EQ(f->RenderCount(), 2u);

    clock.Advance(50);
    f->SetColor(kRed);
    f->DrawTextCached(40, 3, "AB", 2);
    f->SetColor(kBlue);
    f->DrawTextCached(40, 20, "AB", 2);
    EXPECT_EQ(f->RenderCount(), 2u);  // nothing new rendered
    for (const auto& [key, e] : f->Atlas().Strings()) EXPECT_EQ(e.lastUse, 1050u);

    EXPECT_EQ(Row(t, 3, 0, 16, Px(t, kRed)), "................");
    EXPECT_EQ(Row(t, 4, 0, 16, Px(t, kRed)), ".." + Blocks(2) + "..");
    EXPECT_EQ(Row(t, 11, 38, 54, Px(t, kRed)), ".." + Blocks(2) + "..");
    EXPECT_EQ(Row(t, 12, 0, 16, Px(t, kRed)), "................");
    EXPECT_EQ(Row(t, 21, 38, 54, Px(t, kBlue)), ".." + Blocks(2) + "..");
}

TEST_F(TextDrawTest, CollidingTextsAreBothDrawnRight) {
    BringUpText(m_fake);
    ASSERT_EQ(HashText("A ", 2), HashText("@`", 2));
    CTextFont* f = GetTextFont(0, 0);
    CSurfaceResource* t = MakeTarget(40, 60);
    f->SetTargetSurface(t);
    f->SetColor(kWhite);
    f->DrawTextCached(0, 0, "A ", 2);
    f->DrawTextCached(0, 20, "@`", 2);
    f->DrawTextCached(0, 40, "A ", 2);
    EXPECT_EQ(f->Atlas().StringCount(), 2u);
    EXPECT_EQ(f->RenderCount(), 2u);
    const uint16_t white = Px(t, kWhite);
    EXPECT_EQ(Row(t, 1, 0, 12, white), "#####.......");
    EXPECT_EQ(Row(t, 21, 0, 12, white), Blocks(2));
    EXPECT_EQ(Row(t, 41, 0, 12, white), "#####.......");
}

TEST_F(TextDrawTest, AStringThatCouldNotBeRenderedIsNotCached) {
    BringUpText(m_fake);
    CTextFont* f = GetTextFont(0, 0);
    CSurfaceResource* t = MakeTarget(40, 20);
    f->SetTargetSurface(t);
    f->SetColor(kWhite);
    const int64_t free = f->Atlas().FreeLength();
    g_pDirectDraw->Device()->InjectFault(plat::FaultPoint::kLock, plat::dderr::kSurfaceLost);
    f->DrawTextCached(0, 0, "AB", 2);
    EXPECT_EQ(f->Atlas().StringCount(), 0u);
    EXPECT_EQ(f->Atlas().FreeLength(), free);
    EXPECT_EQ(Row(t, 1, 0, 12, Px(t, kWhite)), "............");
    f->DrawTextCached(0, 0, "AB", 2);  // the next draw renders it
    EXPECT_EQ(f->RenderCount(), 1u);
    EXPECT_EQ(Row(t, 1, 0, 12, Px(t, kWhite)), Blocks(2));
    EXPECT_TRUE(f->Atlas().CheckCoverage());
}

TEST_F(TextDrawTest, ATextColourThatMatchesTheKeyStillShows) {
    BringUpText(m_fake);
    CSurfaceResource* t = MakeTarget(20, 20);
    const uint32_t keyLike = 0xF81C00;  // 5-6-5: red 0, green 7, blue 31 = 0x00FF, the key's pixel
    ASSERT_EQ(Px(t, keyLike), uint16_t(TEXT_COLOR_KEY));
    ASSERT_TRUE(m_renderer->DrawString(t, 2, 2, "A", 0, keyLike, 0, true));
    EXPECT_EQ(Row(t, 3, 0, 10, uint16_t(TEXT_COLOR_KEY ^ 1)), "..#####...");
}

TEST_F(TextDrawTest, AStringContinuesIntoTheNextRowAndShowsAsOnePiece) {
    BringUpText(m_fake);
    CTextFont* f = GetTextFont(0, 0);
    CSurfaceResource* t = MakeTarget(300, 40);
    f->SetTargetSurface(t);
    f->SetColor(kWhite);
    f->DrawTextCached(0, 0, std::string(40, 'x').c_str(), 40);  // 243 pixels of row 0
    f->DrawTextCached(5, 20, "0123456789", 10);                 // 63: 13 on row 0, 50 on row 14
    const TextCacheEntry* e = f->Atlas().FindString("0123456789", kWhite, 0);
    ASSERT_NE(e, nullptr);
    EXPECT_EQ(e->spans, (std::vector<TextSpan>{{0, 243, 0, 13}, {0, 0, 14, 50}}));
    const uint16_t white = Px(t, kWhite);
    for (int y = 21; y <= 28; ++y) EXPECT_EQ(Row(t, y, 5, 65, white), Blocks(10)) << y;
    EXPECT_EQ(Row(t, 29, 5, 65, white), std::string(60, '.'));
}

TEST_F(TextDrawTest, LeastRecentlyDrawnStringsAreEvictedAndTheirRunsJoined) {
    plat::FakeClock clock(1000);
    plat::ScopedClock useClock(clock);
    BringUpText(m_fake);
    CTextFont* f = GetTextFont(0, 0);  // 8 pages of 18 rows: 36,864 pixels of row length
    CSurfaceResource* t = MakeTarget(300, 20);
    f->SetTargetSurface(t);
    f->SetColor(kWhite);
    auto text = [](int i) {
        std::string s = "s" + std::to_string(i);
        return s + std::string(40 - s.size(), '-');  // 243 pixels each
    };
    auto draw = [&](int i) {
        clock.Advance(1);
        std::string s = text(i);
        f->DrawTextCached(0, 0, s.c_str(), int32_t(s.size()));
    };
    for (int i = 0; i < 151; ++i) draw(i);
    EXPECT_EQ(f->RenderCount(), 151u);
    EXPECT_EQ(f->Atlas().FreeLength(), 36864 - 151 * 243);
    draw(0);  // s0 becomes the most recent
    // The next string needs more than is free: a page's worth (4,608) is freed,
    // oldest first: s1 to s19.
    draw(151);
    EXPECT_EQ(f->RenderCount(), 152u);
    EXPECT_EQ(f->Atlas().StringCount(), 152u - 19u);
    EXPECT_TRUE(f->Atlas().CheckCoverage());
    const auto& free = f->Atlas().FreeSpans();
    for (auto it = free.begin(); it != free.end() && std::next(it) != free.end(); ++it) {
        auto next = std::next(it);
        EXPECT_FALSE(it->page == next->page && it->y == next->y && it->x + it->length == next->x)
            << "runs left unjoined";
    }
    draw(0);
    draw(20);
    EXPECT_EQ(f->RenderCount(), 152u);
    draw(1);
    EXPECT_EQ(f->RenderCount(), 153u);
}

TEST_F(TextDrawTest, WidthsUnusedForAMinuteAreSweptAtTheNextRender) {
    plat::FakeClock clock(1000);
    plat::ScopedClock useClock(clock);
    BringUpText(m_fake);
    CTextFont* f = GetTextFont(0, 0);
    CSurfaceResource* t = MakeTarget(100, 20);
    f->SetTargetSurface(t);
    f->SetColor(kWhite);
    EXPECT_EQ(f->GetTextWidth("old", 3), 18);
    clock.Advance(59999);
    f->DrawTextCached(0, 0, "new", 3);  // less than a minute since the fonts were made: no sweep
    EXPECT_NE(f->Atlas().FindWidth("old", 59999 + 1000), nullptr);
    clock.Advance(60001);
    f->DrawTextCached(0, 0, "newer", 5);
    EXPECT_EQ(f->Atlas().FindWidth("old", 0), nullptr);
    EXPECT_NE(f->Atlas().FindWidth("newer", 0), nullptr);
    EXPECT_EQ(f->GetTextWidth("old", 3), 18);  // measured again
}

TEST_F(TextDrawTest, TextsWiderThanTheScreenSplitBetweenCharacters) {
    BringUpText(m_fake);
    CTextFont* f = GetTextFont(0, 0);
    CSurfaceResource* t = MakeTarget(1000, 20);
    f->SetTargetSurface(t);
    f->SetColor(kWhite);
    std::string text = "A";
    for (int i = 0; i < 80; ++i) text += kNi;  // 161 bytes, 966 pixels
    f->DrawTextCached(0, 0, text.c_str(), int32_t(text.size()));
    std::vector<std::string> pieces;
    for (const auto& [key, e] : f->Atlas().Strings()) pieces.push_back(e.text);
    ASSERT_EQ(pieces.size(), 2u);
    std::sort(pieces.begin(), pieces.end(), [](const auto& a, const auto& b) { return a.size() > b.size(); });
    EXPECT_EQ(pieces[0], text.substr(0, 131));  // 131 bytes: 786 + 3 pixels fit in 800
    EXPECT_EQ(pieces[1], text.substr(131));
    EXPECT_EQ(Row(t, 1, 0, 966, Px(t, kWhite)), Blocks(161));

    // One character wider than the screen still ends: drawn alone, cut.
    GetDisplaySettings().screenWidth = 10;
    CTextFont* g = GetTextFont(1, 0);
    g->SetTargetSurface(t);
    g->SetColor(kWhite);
    g->DrawTextCached(0, 5, kNi.c_str(), 2);
    EXPECT_EQ(g->RenderCount(), 1u);
    GetDisplaySettings().screenWidth = 800;
}

TEST_F(TextDrawTest, StylePassesAndTheRingAroundBold) {
    BringUpText(m_fake);
    struct Case {
        uint32_t style;
        std::vector<std::string> rows;  // rows 9 to 21, columns 8 to 17
    } cases[] = {
        {0,
         {"..........", "..........", "..#####...", "..#####...", "..#####...", "..#####...", "..#####...",
          "..#####...", "..#####...", "..#####...", "..........", "..........", ".........."}},
        {2,
         {"..........", "..........", "..#####...", "..#####k..", "..#####k..", "..#####k..", "..#####k..",
          "..#####k..", "..#####k..", "..#####k..", "...kkkkk..", "..........", ".........."}},
        {8,
         {"..........", "..kkkkk...", ".k#####k..", ".k#####k..", ".k#####k..", ".k#####k..", ".k#####k..",
          ".k#####k..", ".k#####k..", ".k#####k..", "..kkkkk...", "..........", ".........."}},
        {4,
         {"..........", "..........", "..######..", "..######..", "..######..", "..######..", "..######..",
          "..######..", "..######..", "..######..", "..######..", "..........", ".........."}},
        {12,
         {"..........", ".kkkkkkkk.", ".k######k.", ".k######k.", ".k######k.", ".k######k.", ".k######k.",
          ".k######k.", ".k######k.", ".k######k.", ".k######k.", ".kkkkkkkk.", ".........."}},
    };
    for (const Case& c : cases) {
        CSurfaceResource* t = MakeTarget(40, 40);
        ASSERT_TRUE(m_renderer->DrawString(t, 10, 10, "A", 0, kWhite, c.style, true));
        for (int y = 9; y <= 21; ++y)
            EXPECT_EQ(Row(t, y, 8, 18, Px(t, kWhite)), c.rows[size_t(y - 9)])
                << "style " << c.style << " row " << y;
    }
    // Outline and bold make two cache entries (black and white), drawn once each.
    EXPECT_EQ(GetTextFont(0, 0)->RenderCount(), 2u);
}

TEST_F(TextDrawTest, DrawStringResultsAndNumbers) {
    BringUpText(m_fake);
    CSurfaceResource* t = MakeTarget(60, 30);
    EXPECT_FALSE(m_renderer->DrawString(t, 0, 0, "", 0, kWhite, 0, true));
    EXPECT_FALSE(m_renderer->DrawString(t, 0, 0, nullptr, 0, kWhite, 0, true));
    EXPECT_FALSE(m_renderer->DrawString(t, 0, 0, "A", 6, kWhite, 0, true));
    EXPECT_TRUE(m_renderer->DrawString(t, 800, 0, "A", 0, kWhite, 0, true));
    EXPECT_TRUE(m_renderer->DrawString(t, -20, 0, "A", 0, kWhite, 0, true));
    EXPECT_TRUE(m_renderer->DrawString(t, 0, 600, "A", 0, kWhite, 0, true));
    EXPECT_EQ(GetTextFont(0, 0)->RenderCount(), 0u);
    ASSERT_TRUE(m_renderer->DrawInt(t, 2, 2, -42, 0, kWhite, 0, true));
    EXPECT_EQ(Row(t, 3, 0, 22, Px(t, kWhite)), ".." + Blocks(3) + "..");
    ASSERT_TRUE(m_renderer->DrawUInt(t, 2, 15, 4000000000u, 0, kWhite, 0, true));
    EXPECT_EQ(Row(t, 16, 0, 60, Px(t, kWhite)), ".." + Blocks(9) + "####");
    // Without the colour key the text stands on white.
    CSurfaceResource* u = MakeTarget(20, 20);
    ASSERT_TRUE(m_renderer->DrawString(u, 2, 2, "A", 0, kRed, 0, false));
    EXPECT_EQ(Row(u, 3, 0, 12, Px(u, kRed)), ".?#####????.");
}

TEST_F(TextDrawTest, QueuedStringsDrawInOrderAndTheQueueHoldsAHundred) {
    BringUpText(m_fake);
    CSurfaceResource* t = MakeTarget(40, 20);
    for (int i = 0; i < CTextRenderer::QUEUE_SIZE; ++i)
        ASSERT_TRUE(m_renderer->QueueString(t, 2, 2, "A", 0, i == 99 ? kBlue : kRed, 0));
    EXPECT_FALSE(m_renderer->QueueString(t, 2, 2, "A", 0, kWhite, 0));
    EXPECT_FALSE(m_renderer->QueueString(t, 2, 2, "", 0, kWhite, 0));
    EXPECT_EQ(m_renderer->QueueCount(), 100);
    m_renderer->FlushQueuedStrings();
    EXPECT_EQ(m_renderer->QueueCount(), 0);
    EXPECT_EQ(Row(t, 3, 0, 10, Px(t, kBlue)), "..#####...");  // the last one lies on top

    std::string longText = "A";
    for (int i = 0; i < 200; ++i) longText += kNi;
    ASSERT_TRUE(m_renderer->QueueString(t, 0, 0, longText.c_str(), 0, kWhite, 0));
    EXPECT_EQ(std::string(m_renderer->Queued(0).text), longText.substr(0, 257));
}

TEST_F(TextDrawTest, FormattedTextPlacesAndCentresLines) {
    BringUpText(m_fake);
    CSurfaceResource* t = MakeTarget(300, 60);
    m_renderer->DrawFormattedText(t, 100, 10, 10, 2, "AB\\nCD\\c255000000EF\\aC\\nGH\\nIJ", 1, 12, 0);
    const uint16_t white = Px(t, kWhite), red = Px(t, kRed);
    // Line 1 at y 10 from x 100, its second run red; line 2 centred on x + 3 * 10.
    EXPECT_EQ(Row(t, 11, 98, 126, white), ".." + Blocks(2) + "?????.?????...");
    EXPECT_EQ(Row(t, 11, 112, 126, red), Blocks(2) + "..");
    EXPECT_EQ(Row(t, 23, 122, 138, red), ".." + Blocks(2) + "..");
    for (int y : {0, 35, 47}) EXPECT_EQ(Row(t, y, 0, 300, white), std::string(300, '.')) << y;
    EXPECT_EQ(CountFormattedTextLines("AB\\nCD\\c255000000EF\\aC\\nGH\\nIJ", 10), 4);
    EXPECT_EQ(CountFormattedTextLines(std::string(10001, 'x').c_str(), 10), 1);
}

TEST_F(TextDrawTest, EditTextCaretBlinksAndCompositionIsMarked) {
    plat::FakeClock clock(0);
    plat::ScopedClock useClock(clock);
    BringUpText(m_fake);
    CSurfaceResource* t = m_d3d->GetRenderTarget();
    auto draw = [&](const EditComposition* comp) {
        t->FillSurface(kBackground, nullptr);
        m_renderer->DrawEditText(t, 2, true, 20, 30, 10, "ABCD\r\nEF", 0, kWhite, 0, true, comp);
    };
    draw(nullptr);
    plat::raster::Surface& p = Pixels(t);
    EXPECT_EQ(p.At(32, 30), 0);  // caret: 2 pixels wide, a line high, after "AB"
    EXPECT_EQ(p.At(33, 42), 0);
    EXPECT_EQ(p.At(31, 30), kBackground);
    EXPECT_EQ(p.At(34, 30), kBackground);
    EXPECT_EQ(Row(t, 44, 18, 34, Px(t, kWhite)), ".." + Blocks(2) + "..");  // "EF" on the next line
    clock.Advance(CTextRenderer::CARET_BLINK_MS);
    draw(nullptr);
    EXPECT_EQ(p.At(32, 30), kBackground);

    EditComposition comp{1, 2, 1, 1};
    draw(&comp);
    EXPECT_EQ(p.At(30, 42), 0);            // the composed bytes underlined
    EXPECT_EQ(p.At(38, 42), kBackground);  // not past them
    EXPECT_EQ(p.At(25, 35), 0);            // the clause boxed
    EXPECT_EQ(p.At(29, 30), 0);

    // The marks show without the focus too; the caret needs the focus and a place.
    clock.Advance(CTextRenderer::CARET_BLINK_MS);
    draw(&comp);
    EXPECT_EQ(p.At(33, 36), 0);  // the caret over "C", in its visible half-second
    for (auto [caret, focused] : {std::pair{2, false}, std::pair{-1, true}}) {
        t->FillSurface(kBackground, nullptr);
        m_renderer->DrawEditText(t, caret, focused, 20, 30, 10, "ABCD\r\nEF", 0, kWhite, 0, true, &comp);
        EXPECT_EQ(p.At(30, 42), 0) << caret;
        EXPECT_EQ(p.At(33, 36), Px(t, kWhite)) << caret;  // "C" without a caret
    }
}

TEST_F(TextDrawTest, RealFontInkIsOnlyTheTextColour) {
    plat::FreeTypeFontBackend freetype;
    BringUpText(freetype);
    CSurfaceResource* t = MakeTarget(300, 60);
    const uint32_t yellow = 0x00FFFF;
    const std::string japanese = "\x82\xA0\x82\xA2\x82\xA4\x93\xFA\x96\x7B";
    ASSERT_TRUE(m_renderer->DrawString(t, 5, 5, "Quill 42", 0, yellow, 0, true));
    ASSERT_TRUE(m_renderer->DrawString(t, 5, 25, japanese.c_str(), 5, yellow, 0, true));
    int ink = 0, right = 0;
    for (int y = 0; y < 60; ++y)
        for (int x = 0; x < 300; ++x) {
            uint16_t v = Pixels(t).At(x, y);
            ASSERT_TRUE(v == kBackground || v == Px(t, yellow)) << x << "," << y;
            if (v != kBackground) ++ink, right = std::max(right, x);
        }
    EXPECT_GT(ink, 100);
    EXPECT_LT(right, 5 + GetTextFont(5, 0)->GetTextWidth(japanese.c_str(), int32_t(japanese.size())) + 1);
}

}  // namespace
