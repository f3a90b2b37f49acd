// The character info window: the stat lines and their colours, the point
// costs of table 55, the buttons they show, the requests of the buttons
// through the input queue, and the ticker of skill effects.
#include "windows/play/char_info_window.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "tests/windows/play/items_fixture.h"
#include "ui/button.h"

namespace {

using namespace itemwin;

constexpr uint32_t kYellow = 65535, kRed = 255;

class CharInfoTest : public ItemsFixture {
protected:
    void SetUp() override {
        // Kind 0's seven rows from row 1 (row 0 is another kind's): level
        // divisor 10, divisor 5, addend 1; stat 6 has a divisor of 0.
        qmtest::TableBuilder costs(9, 7);
        costs.U32(0).Set(0, 0, 2000001).Set(0, 1, 2000000);
        for (int k = 0; k < 7; ++k) costs.Set(3, 1 + k, 10).Set(4, 1 + k, k == 6 ? 0 : 5).Set(6, 1 + k, 1);
        m_db.Write(CHAR_INFO_COST_TABLE, costs);
        ItemsFixture::SetUp();
        m_info = Hud<CCharInfoWindow>(HUD_CHAR_INFO);
        ASSERT_TRUE(m_info);
        m_info->Open();
        for (int k = 0; k < CHAR_INFO_STATS; ++k) m_info->GetPointUpButton(k)->SetImage(12, 12, "");
        m_info->GetLevelUpButton()->SetImage(30, 14, "");
        m_info->SetPosition(50, 40);
    }
    uint32_t* Values() { return Data()->m_values; }

    CCharInfoWindow* m_info = nullptr;
};

TEST_F(CharInfoTest, StatLinesAndTheirColours) {
    Values()[VALUE_ATTRIBUTES] = 12, Values()[VALUE_BASE_STATS] = 10;
    Values()[VALUE_ATTRIBUTES + 1] = 8, Values()[VALUE_BASE_STATS + 1] = 10;
    Values()[VALUE_ATTRIBUTES + 2] = 255, Values()[VALUE_BASE_STATS + 2] = 255;
    Values()[VALUE_ENERGY] = 30000, Values()[VALUE_ENERGY_MAX] = 30000, Values()[VALUE_BASE_MAXIMA] = 29000;
    Values()[VALUE_SECOND_GAUGE] = 0, Values()[VALUE_SECOND_GAUGE_MAX] = 50,
    Values()[VALUE_BASE_MAXIMA + 1] = 60;
    Values()[VALUE_LOAD] = 12, Values()[VALUE_LOAD_MAX] = 300;
    Values()[VALUE_MONEY] = 1234567;
    Values()[VALUE_STAT_POINTS] = 3;
    const uint32_t white = ITEM_TEXT_WHITE;
    struct Case {
        int32_t line;
        std::vector<StatLinePiece> pieces;
    } cases[] = {
        {0, {{"12", white}, {"(+2)", kYellow}}},
        {1, {{"8", white}, {"(-2)", kRed}}},
        {2, {{"255", ITEM_TEXT_RED}}},
        {7, {{"30000", ITEM_TEXT_RED}, {"/30000", ITEM_TEXT_RED}, {"(+1000)", kYellow}}},
        {8, {{"0", ITEM_TEXT_RED}, {"/50", white}, {"(-10)", kRed}}},
        {10, {{"12", white}, {"/300", white}}},
        {11, {{"1,234,567", white}}},
        {12, {{"3", white}}},
    };
    for (const Case& c : cases) EXPECT_EQ(StatLinePieces(*Data(), c.line), c.pieces) << "line " << c.line;
}

TEST_F(CharInfoTest, PointCostsAndTheButtonsTheyShow) {
    Values()[VALUE_LEVEL] = 25;
    Values()[VALUE_BASE_STATS] = 13;     // trunc((2.5 + 13) / 5) + 1 = 4
    Values()[VALUE_BASE_STATS + 1] = 3;  // trunc((2.5 + 3) / 5) + 1 = 2
    EXPECT_EQ(m_info->GetPointCost(0), 4u);
    EXPECT_EQ(m_info->GetPointCost(1), 2u);
    EXPECT_EQ(m_info->GetPointCost(6), 0u);  // a divisor of 0
    Values()[VALUE_STAT_POINTS] = 3;
    m_driver.Frame();
    EXPECT_FALSE(m_info->GetPointUpButton(0)->IsUpdateOn());  // 3 points, a cost of 4
    EXPECT_TRUE(m_info->GetPointUpButton(1)->IsUpdateOn());
    EXPECT_FALSE(m_info->GetPointUpButton(6)->IsUpdateOn());
    // A kind without rows costs nothing: any point shows every button.
    m_player->m_resourceId = 2000005;
    EXPECT_EQ(m_info->GetPointCost(0), 0u);
    m_driver.Frame();
    for (int k = 0; k < CHAR_INFO_STATS; ++k) EXPECT_TRUE(m_info->GetPointUpButton(k)->IsUpdateOn()) << k;
    Values()[VALUE_STAT_POINTS] = 0;
    m_driver.Frame();
    for (int k = 0; k < CHAR_INFO_STATS; ++k) EXPECT_FALSE(m_info->GetPointUpButton(k)->IsUpdateOn()) << k;
}

TEST_F(CharInfoTest, TheButtonsSendTheirRequests) {
    Values()[VALUE_STAT_POINTS] = 10;
    Values()[VALUE_LEVEL_UP] = 1;
    m_driver.Frame();
    ASSERT_TRUE(m_info->GetLevelUpButton()->IsUpdateOn());
    CButton* third = m_info->GetPointUpButton(2);
    m_driver.Click(0, third->GetX() + 4, third->GetY() + 4);
    m_driver.Frame();
    EXPECT_EQ(Sent(), (std::vector<chattest::Bytes>{Bytes({10, 3, 1})}));
    CButton* levelUp = m_info->GetLevelUpButton();
    m_driver.Click(0, levelUp->GetX() + 4, levelUp->GetY() + 4);
    m_driver.Frame();
    EXPECT_EQ(Sent(), (std::vector<chattest::Bytes>{Bytes({54})}));
    EXPECT_EQ(Values()[VALUE_LEVEL_UP], 0u);
    m_driver.Frame();
    EXPECT_FALSE(levelUp->IsUpdateOn());
    EXPECT_TRUE(levelUp->IsDrawOn());  // shown without input
}

TEST_F(CharInfoTest, TheTickerKeepsCopiesOnceEach) {
    std::string name = "Haste";
    m_info->AddTickerLine(name.c_str());
    name = "Shield";  // the caller's text changes: the line stays
    m_info->AddTickerLine(name.c_str());
    m_info->AddTickerLine("Haste");
    EXPECT_EQ(m_info->TickerLines(), (std::vector<std::string>{"Haste", "Shield"}));
    EXPECT_EQ(m_info->TickerLength(), 7u + 8u);
    // Two lines take turns: a second, then half a second's switch.
    m_driver.Clock().Advance(1000);
    m_driver.Frame();
    m_driver.Clock().Advance(500);
    m_driver.Frame();
    EXPECT_EQ(m_info->ShownTickerLine(), 1);
    m_info->RemoveTickerLine("Haste");
    m_info->RemoveTickerLine("Nothing");
    EXPECT_EQ(m_info->TickerLines(), (std::vector<std::string>{"Shield"}));
    EXPECT_EQ(m_info->TickerLength(), 8u);
    EXPECT_EQ(m_info->ShownTickerLine(), 0);
    for (int n = 0; n < 300; ++n) m_info->AddTickerLine(std::to_string(n).c_str());
    EXPECT_EQ(m_info->TickerLines().size(), CHAR_INFO_TICKER_LINES);
}

}  // namespace
