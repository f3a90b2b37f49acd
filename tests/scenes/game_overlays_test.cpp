// The game screen's overlays on a fake clock: the notice line's run, the
// banners taking over from each other, the fight-club board's result, the
// floating text's repeat guard and the game request's text.
#include "scenes/game_overlays.h"

#include <gtest/gtest.h>

#include <string>

#include "data/text_tables.h"
#include "tests/support/data_fixtures.h"
#include "tests/world/chars/char_fixture.h"
#include "ui/message_box.h"

namespace {

TEST(NoticeLineTest, SlidesInStandsAndSlidesOutThenEnds) {
    constexpr int32_t kWidth = 800, kLen = 10;
    const int32_t rest = kWidth / 2 - 3 * kLen;  // 370
    struct Case {
        int32_t t;
        bool shown;
        int32_t x;
    };
    for (const Case& c :
         {Case{-1, false, 0}, Case{0, true, -6 * kLen}, Case{1000, true, 155}, Case{1999, true, 369},
          Case{2000, true, rest}, Case{18000, true, rest}, Case{18001, true, 370}, Case{19000, true, 585},
          Case{19999, true, 799}, Case{20000, false, 0}}) {
        int32_t x = -12345;
        EXPECT_EQ(NoticeLineX(c.t, kLen, kWidth, &x), c.shown) << c.t;
        if (c.shown) {
            EXPECT_EQ(x, c.x) << c.t;
        }
    }
}

TEST(ScoreBoardTest, BlinkAndDigitLayout) {
    for (auto [since, on] : {std::pair{0u, true},
                             {499u, true},
                             {500u, false},
                             {1000u, true},
                             {4499u, true},
                             {4999u, false},
                             {5000u, false},
                             {6100u, false}})
        EXPECT_EQ(ScoreBlinkOn(since), on) << since;
    const int32_t widths[3] = {10, 12, 14};
    int32_t xs[3];
    // Left side: grows leftward from 400 - 50 - 10 = 340, the last digit nearest.
    LayOutScoreDigits(0, 400, 100, widths, 3, xs);
    EXPECT_EQ(xs[2], 340 - 14);
    EXPECT_EQ(xs[1], 340 - 14 - 5 - 12);
    EXPECT_EQ(xs[0], 340 - 14 - 5 - 12 - 5 - 10);
    LayOutScoreDigits(1, 400, 100, widths, 3, xs);
    EXPECT_EQ(xs[0], 460);
    EXPECT_EQ(xs[1], 460 + 10 + 5);
    EXPECT_EQ(xs[2], 460 + 10 + 5 + 12 + 5);
}

class GameOverlaysTest : public chartest::CharFixture {
protected:
    void SetUp() override {
        CharFixture::SetUp();
        m_overlays.Create();
    }
    void TearDown() override {
        m_overlays.Release();
        CharFixture::TearDown();
    }
    CGameOverlays m_overlays;
};

TEST_F(GameOverlaysTest, NoticeIsBoundedRestartsAndClearsAfterTwentySeconds) {
    const std::string longText(400, 'n');
    m_overlays.SetNotice(2, longText.c_str());
    EXPECT_EQ(std::string(m_overlays.GetNoticeText()).size(), NOTICE_TEXT_SIZE - 1);
    Clock().Advance(15000);
    m_overlays.SetNotice(4, "again");  // a new run with the new text
    EXPECT_EQ(m_overlays.GetNoticeKind(), 4);
    Clock().Advance(19999);
    m_overlays.DrawNotice();
    EXPECT_STREQ(m_overlays.GetNoticeText(), "again");
    Clock().Advance(1);
    m_overlays.DrawNotice();
    EXPECT_STREQ(m_overlays.GetNoticeText(), "");
}

TEST_F(GameOverlaysTest, BannersTakeOverFromEachOtherAndEndAfterFiveSeconds) {
    m_overlays.ShowTextBanner("round one", true, false, 0);
    EXPECT_TRUE(m_overlays.IsTextBannerActive());
    m_overlays.ShowBanner(true, 1);
    EXPECT_TRUE(m_overlays.IsBannerActive());
    EXPECT_FALSE(m_overlays.IsTextBannerActive());
    m_overlays.ShowTextBanner(std::string(300, 't').c_str(), true, true, 0);
    EXPECT_FALSE(m_overlays.IsBannerActive());
    EXPECT_TRUE(m_overlays.IsTextBannerActive());
    EXPECT_TRUE(m_overlays.IsBannerPlain());
    EXPECT_EQ(std::string(m_overlays.GetBannerText()).size(), BANNER_TEXT_SIZE - 1);
    Clock().Advance(4999);
    m_overlays.ShowTextBanner(nullptr, false, false, 0);
    EXPECT_TRUE(m_overlays.IsTextBannerActive());
    Clock().Advance(1);
    m_overlays.ShowTextBanner(nullptr, false, false, 0);
    EXPECT_FALSE(m_overlays.IsTextBannerActive());
}

TEST_F(GameOverlaysTest, FightClubResultEndsTheBoard) {
    m_overlays.StartFightClubBoard();
    EXPECT_EQ(m_overlays.GetFightClubBoardMode(), 1);  // drawn from the start
    m_overlays.SetFightClubScoreLeft(3);
    EXPECT_TRUE(m_overlays.IsBoardShown());
    EXPECT_TRUE(m_overlays.HasBoardObjects());
    EXPECT_TRUE(m_overlays.IsScoreBlinking(0));
    EXPECT_FALSE(m_overlays.IsScoreBlinking(1));
    Clock().Advance(5000);
    m_overlays.DrawFightClubBoard();
    EXPECT_FALSE(m_overlays.IsScoreBlinking(0));  // blinking is over after 5 s
    EXPECT_EQ(m_overlays.GetScore(0), 3);

    // Result 2 ends the board at once, without a result banner.
    m_overlays.ShowFightClubResult(2);
    EXPECT_EQ(m_overlays.GetFightClubBoardMode(), 0);
    EXPECT_FALSE(m_overlays.IsBoardShown());
    EXPECT_FALSE(m_overlays.IsResultShown());
    EXPECT_FALSE(m_overlays.HasBoardObjects());

    // Results 0 and 1 show the result banner for 5 s, then the board goes.
    m_overlays.StartFightClubBoard();
    m_overlays.ShowFightClubResult(1);
    EXPECT_TRUE(m_overlays.IsResultShown());
    EXPECT_FALSE(m_overlays.HasBoardObjects());
    Clock().Advance(4999);
    m_overlays.DrawFightClubBoard();
    EXPECT_TRUE(m_overlays.IsBoardShown());
    Clock().Advance(1);
    m_overlays.DrawFightClubBoard();
    EXPECT_FALSE(m_overlays.IsBoardShown());
    EXPECT_FALSE(m_overlays.IsResultShown());
}

TEST_F(GameOverlaysTest, FloatingTextRepeatedWithinASecondIsShownOnce) {
    CChar* player = MakePlayer();
    ASSERT_NE(player, nullptr);
    const size_t before = m_play.GetCount();
    EXPECT_FALSE(m_overlays.ShowFloatingText("", player));
    EXPECT_FALSE(m_overlays.ShowFloatingText("hit", nullptr));
    EXPECT_TRUE(m_overlays.ShowFloatingText("hit", player));
    Clock().Advance(999);
    EXPECT_FALSE(m_overlays.ShowFloatingText("hit", player));
    EXPECT_TRUE(m_overlays.ShowFloatingText("miss", player));  // a different text at once
    Clock().Advance(1000);
    EXPECT_TRUE(m_overlays.ShowFloatingText("miss", player));
    EXPECT_EQ(m_play.GetCount(), before + 3);
    const std::string longText(300, 'f');
    EXPECT_TRUE(m_overlays.ShowFloatingText(longText.c_str(), player));
    EXPECT_EQ(std::string(m_overlays.GetFloatingText()).size(), BANNER_TEXT_SIZE - 1);
}

TEST_F(GameOverlaysTest, GameRequestNamesTheInviterOrAnUnknownUser) {
    qmtest::ScopedTextTables tables({{10, {"", "", "", "", "", "", "", "%s wants to play"}}});
    CMsgPort port;
    auto box = std::make_unique<CMessageBox>(nullptr, true, true, false, 1);
    box->Hide();
    m_overlays.SetGameRequestBox(box.get(), &port);
    CChar* player = MakePlayer(7);
    ASSERT_NE(player, nullptr);

    ASSERT_TRUE(m_overlays.ShowGameRequest(7));
    EXPECT_EQ(m_overlays.GetPendingAnswerId(), 7u);
    EXPECT_TRUE(box->IsVisibleInTree());
    ASSERT_FALSE(box->Text().Row(0).empty());
    EXPECT_STREQ(box->Text().Row(0).front().text, "Me wants to play");

    ASSERT_TRUE(m_overlays.ShowGameRequest(99));
    ASSERT_EQ(box->Text().Row(0).size(), 1u);
    EXPECT_STREQ(box->Text().Row(0).front().text, "Unknown User wants to play");
    box.reset();
    EXPECT_FALSE(m_overlays.ShowGameRequest(5));  // the box is gone: nothing to show
    EXPECT_EQ(m_overlays.GetPendingAnswerId(), 5u);
}

}  // namespace
