// The shop window and the NPC menu: the commits of each mode and their
// requests, the money, weight, 32-bit and request-size limits, the server's
// lists, the sort, and the buy through the input queue; the NPC menu's icons
// for the server's function word, its ring, and its STORE icon.
#include "windows/play/trade_window.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <string>
#include <vector>

#include "net/handlers/record_text.h"
#include "net/handlers/window_records.h"
#include "tests/windows/play/items_fixture.h"
#include "ui/button.h"
#include "ui/message_box.h"
#include "ui/number_input_window.h"
#include "windows/play/npc_function_menu.h"

namespace {

using Bytes = chattest::Bytes;
using namespace itemwin;

constexpr uint32_t kNpc = 7;

// [5][u32 npc][function][action][price kind][u16 n][n x (u16 key, u16 second)].
Bytes TradeRequest(uint8_t function, std::vector<std::pair<uint16_t, uint16_t>> lines) {
    Bytes out = {5, 0, 0, 0, uint8_t(kNpc), function, 1, 0, 0, uint8_t(lines.size())};
    for (auto [key, count] : lines)
        out.insert(out.end(), {uint8_t(key >> 8), uint8_t(key), uint8_t(count >> 8), uint8_t(count)});
    return out;
}
Bytes RepairRequest(std::vector<std::pair<uint16_t, uint8_t>> lines) {
    Bytes out = {5, 0, 0, 0, uint8_t(kNpc), 3, 1, 0, 0, uint8_t(lines.size())};
    for (auto [key, kind] : lines) out.insert(out.end(), {uint8_t(key >> 8), uint8_t(key), kind});
    return out;
}
Bytes Open(uint8_t function) {
    return {5, 0, 0, 0, uint8_t(kNpc), function, 0};
}

class TradeTest : public ItemsFixture {
protected:
    void SetUp() override {
        ItemsFixture::SetUp();
        m_shop = m_driver.Add(new CTradeWindow);
        m_shop->Open(kNpc);
        m_shop->SetAvailableModes(true, true, true, false);
        Data()->m_values[VALUE_MONEY] = 1000;
        Data()->m_values[VALUE_LOAD] = 10;
        Data()->m_values[VALUE_LOAD_MAX] = 50;
        Sent();
    }
    // The refusal boxes shown since the start.
    int Boxes() {
        int n = 0;
        for (CMsgObject* w : m_driver.Mgr().Children())
            if (auto* box = dynamic_cast<CMessageBox*>(w); box && box->IsDrawOn()) ++n;
        return n;
    }

    CTradeWindow* m_shop = nullptr;
};

TEST_F(TradeTest, EachModeCommitsItsSelectionAndEmptiesIt) {
    // Buy: the goods stay offered; one request; the cart empties.
    ASSERT_EQ(m_shop->AddBuyEntry(4, kIds[kPotion], "Potion", 1, 10, 0, 1), 0);
    ASSERT_TRUE(m_shop->MoveEntry(m_shop->GetEntry(TRADE_OFFERS, 0), 3));
    EXPECT_EQ(m_shop->GetCount(TRADE_OFFERS), 1);
    EXPECT_EQ(m_shop->GetTotalPrice(), 30u);
    ASSERT_TRUE(m_shop->CommitTrade());
    EXPECT_EQ(Sent(), (std::vector<Bytes>{TradeRequest(1, {{4, 3}})}));
    EXPECT_EQ(m_shop->GetCount(TRADE_SELECTION), 0);
    EXPECT_EQ(m_shop->GetTotalPrice(), 0u);
    // Sell: chosen counts leave the offer; the sell and the list again.
    ASSERT_TRUE(m_shop->SelectSellMode());
    EXPECT_EQ(Sent(), (std::vector<Bytes>{Open(2)}));
    ASSERT_EQ(m_shop->AddSellEntry(9, kIds[kPotion], 3, "Potion", 1, 0, 5, 1, 4), 0);
    ASSERT_TRUE(m_shop->MoveEntry(m_shop->GetEntry(TRADE_OFFERS, 0), 2));
    EXPECT_EQ(m_shop->GetEntry(TRADE_OFFERS, 0)->GetCount(), 3u);
    ASSERT_TRUE(m_shop->CommitTrade());
    EXPECT_EQ(Sent(), (std::vector<Bytes>{TradeRequest(2, {{9, 2}}), Open(2)}));
    // Repair: the keys with their repair kinds, then the list again.
    ASSERT_TRUE(m_shop->SelectRepairMode());
    Sent();
    ASSERT_EQ(m_shop->AddRepairEntry(2, kIds[kSword], 1, "Sword", 1, 6, 100), 0);
    ASSERT_TRUE(m_shop->MoveEntry(m_shop->GetEntry(TRADE_OFFERS, 0), 1));
    ASSERT_TRUE(m_shop->CommitTrade());
    EXPECT_EQ(Sent(), (std::vector<Bytes>{RepairRequest({{2, 6}}), Open(3)}));
    // Selecting the current mode again sends nothing and keeps the list.
    // Offer indexes count on until the lists are cleared.
    ASSERT_EQ(m_shop->AddRepairEntry(3, kIds[kShield], 2, "Shield", 1, 1, 100), 1);
    EXPECT_FALSE(m_shop->SelectRepairMode());
    EXPECT_TRUE(Sent().empty());
    EXPECT_EQ(m_shop->GetCount(TRADE_OFFERS), 1);
}

TEST_F(TradeTest, MoneyWeightAndTotalsAreCheckedInSixtyFourBits) {
    struct Case {
        const char* what;
        uint32_t money, price;
        uint16_t weight;
        uint32_t quantity;
        bool taken;
    } cases[] = {
        {"price equal to the money", 1000, 500, 1, 2, true},
        {"one more than the money", 1000, 501, 1, 2, false},
        {"weight equal to the free load", 1000, 1, 20, 2, true},
        {"one more than the free load", 1000, 1, 41, 1, false},
        // 65,535 x 65,538 wraps to 65,534 in 32 bits: within the money there.
        {"a total past 32 bits", UINT32_MAX, 65538, 0, 65535, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        m_shop->ClearLists();
        Data()->m_values[VALUE_MONEY] = c.money;
        ASSERT_EQ(m_shop->AddBuyEntry(1, kIds[kHerb], "Herb", 1, c.price, 0, c.weight), 0);
        const int before = Boxes();
        EXPECT_EQ(m_shop->MoveEntry(m_shop->GetEntry(TRADE_OFFERS, 0), c.quantity), c.taken);
        EXPECT_EQ(m_shop->GetCount(TRADE_SELECTION), c.taken ? 1 : 0);
        EXPECT_EQ(Boxes(), before + (c.taken ? 0 : 1));
    }
    EXPECT_TRUE(Sent().empty());
}

TEST_F(TradeTest, ACartHoldsWhatOneRequestCarriesAndARefusedCommitKeepsIt) {
    for (int i = 0; i < 61; ++i)
        ASSERT_EQ(m_shop->AddBuyEntry(uint16_t(i), kIds[kSword], "Sword", 1, 1, 0, 0), i);
    for (int i = 0; i < 60; ++i) ASSERT_TRUE(m_shop->MoveEntry(m_shop->GetEntry(TRADE_OFFERS, i), 1));
    EXPECT_FALSE(m_shop->MoveEntry(m_shop->GetEntry(TRADE_OFFERS, 60), 1));
    EXPECT_EQ(m_shop->GetCount(TRADE_SELECTION), 60);
    // Money gone meanwhile: nothing goes out and the cart stays.
    Data()->m_values[VALUE_MONEY] = 59;
    EXPECT_FALSE(m_shop->CommitTrade());
    EXPECT_EQ(m_shop->GetCount(TRADE_SELECTION), 60);
    Data()->m_values[VALUE_MONEY] = 60;
    ASSERT_TRUE(m_shop->CommitTrade());
    const std::vector<Bytes> sent = Sent();
    ASSERT_EQ(sent.size(), 1u);
    EXPECT_LE(sent[0].size(), 255u);
}

TEST_F(TradeTest, TheServersListsFillTheOffersAndLaterListsAreSortedStably) {
    auto list = std::make_unique<CTradeListMsg>();
    list->m_list = 2;
    list->m_flag = true;
    // Herb (key 2) and Potion sort by their second key; two equal Herbs keep their order.
    const std::pair<Row, uint16_t> items[] = {{kPotion, 1}, {kHerb, 2}, {kHerb, 3}};
    for (auto [row, key] : items) {
        CTradeItem item;
        item.m_words[0] = key;
        item.m_values[0] = kIds[row];
        item.m_bytes[1] = 1;
        item.m_words[1] = 1;
        list->m_items.push_back(item);
    }
    ASSERT_TRUE(m_shop->SelectSellMode());
    ASSERT_TRUE(PostMessageTo(0, m_shop, 0, MSG_TRADE_LIST, std::move(list), nullptr));
    m_driver.Frame();
    ASSERT_EQ(m_shop->GetCount(TRADE_OFFERS), 3);
    EXPECT_EQ(m_shop->OfferOf(TRADE_OFFERS, 0)->key, 2);
    EXPECT_EQ(m_shop->OfferOf(TRADE_OFFERS, 1)->key, 3);
    EXPECT_EQ(m_shop->OfferOf(TRADE_OFFERS, 2)->key, 1);
    EXPECT_TRUE(m_shop->IsDealEnabled());
}

TEST_F(TradeTest, ADoubleClickAsksHowManyAndTheConfirmButtonBuys) {
    m_shop->SetPosition(100, 100);
    m_shop->GetConfirmButton()->SetImage(40, 20, "");
    m_shop->SetPosition(100, 100);
    ASSERT_EQ(m_shop->AddBuyEntry(5, kIds[kPotion], "Potion", 1, 10, 0, 1), 0);
    m_driver.DoubleClick(0, 200, 100 + 30 + 12);
    m_driver.Frame();
    CNumberInputWindow* input = m_shop->GetQuantityInput();
    ASSERT_TRUE(input->IsDrawOn());
    input->SetNumber(4, true);
    m_driver.Key(0x1C, plat::VK_RETURN);
    m_driver.Frame(2);
    EXPECT_FALSE(input->IsDrawOn());
    ASSERT_EQ(m_shop->GetCount(TRADE_SELECTION), 1);
    EXPECT_EQ(m_shop->GetEntry(TRADE_SELECTION, 0)->GetCount(), 4u);
    m_driver.Click(0, 100 + 332 + 5, 100 + 370 + 5);
    m_driver.Frame();
    EXPECT_EQ(Sent(), (std::vector<Bytes>{TradeRequest(1, {{5, 4}})}));
    // Hiding the window tells the NPC.
    m_shop->Hide();
    EXPECT_EQ(Sent(), (std::vector<Bytes>{Bytes{5, 0, 0, 0, uint8_t(kNpc), 129}}));
}

// ---- The NPC menu ----

TEST(NpcMenuMaskTest, TheFunctionWordChoosesTheIcons) {
    struct Case {
        uint32_t flags;
        bool hideTalk;
        uint32_t mask;
    } cases[] = {
        {0x1, false, 0x3},      // shop only: talk and store
        {0x8, true, 0x2},       // mix only, a chat name of the player's own
        {1u << 7, false, 0x5},  // heal
        {1u << 8, false, 0x5},  // heal too
        {(1u << 17) | (1u << 18), false, 0x89},
        {(1u << 26) | (1u << 27), false, 0x31},
        {(1u << 10) | (1u << 4), false, 0x241},
        {1u << 30, false, 0x1},  // other bits show nothing
    };
    for (const Case& c : cases) EXPECT_EQ(NpcMenuMaskFor(c.flags, c.hideTalk), c.mask) << std::hex << c.flags;
}

class NpcMenuTest : public TradeTest {
protected:
    void SetUp() override {
        TradeTest::SetUp();
        m_menu = m_driver.Add(new CNPCFunctionSelectWin);
        m_npc = Make(CHAR_KIND_NPC, 40);
        ASSERT_TRUE(m_npc);
        m_shop->Hide();
        Sent();
    }
    // The icon's offset from the menu's point.
    std::pair<int32_t, int32_t> Offset(int icon) {
        CButton* b = m_menu->GetIcon(icon);
        return {b->GetX() - m_menu->GetX(), b->GetY() - m_menu->GetY()};
    }

    // A point at the angle (degrees) and radius, each truncated.
    static std::pair<int32_t, int32_t> Polar(double degrees, double r) {
        const double a = degrees * 0.01745328888888889;
        return {int32_t(std::cos(a) * r), int32_t(std::sin(a) * r)};
    }

    CNPCFunctionSelectWin* m_menu = nullptr;
    CChar* m_npc = nullptr;
};

TEST_F(NpcMenuTest, TheRingOpensOverThreeHundredMillisecondsAndStoreOpensTheShop) {
    m_menu->SetTarget(40, nullptr);
    ASSERT_TRUE(m_menu->ApplyFunctions(0x1));  // talk and store
    EXPECT_TRUE(m_menu->IsDrawOn());
    EXPECT_TRUE(m_shop->IsModeAvailable(TRADE_BUY));
    EXPECT_FALSE(m_shop->IsModeAvailable(TRADE_SELL));
    m_menu->Update();
    EXPECT_EQ(Offset(NPC_ICON_TALK), std::make_pair(0, 0));
    EXPECT_EQ(Offset(NPC_ICON_STORE), std::make_pair(0, 0));
    // At 150 ms: radius 10, start angle 180 degrees; store 45 degrees on.
    m_driver.Clock().Advance(150);
    m_menu->Update();
    EXPECT_EQ(Offset(NPC_ICON_TALK), Polar(180, 10));
    EXPECT_EQ(Offset(NPC_ICON_STORE), Polar(225, 10));
    // From 300 ms on: radius 20, a full turn.
    m_driver.Clock().Advance(500);
    m_menu->Update();
    EXPECT_EQ(Offset(NPC_ICON_TALK), Polar(360, 20));
    EXPECT_EQ(Offset(NPC_ICON_STORE), Polar(405, 20));
    EXPECT_EQ(Offset(NPC_ICON_STORE), std::make_pair(14, 14));
    // A click on STORE opens the shop for the NPC and hides the menu.
    CButton* store = m_menu->GetIcon(NPC_ICON_STORE);
    store->SetImage(20, 20, "");
    m_driver.Click(0, store->GetX() + 5, store->GetY() + 5);
    m_driver.Frame();
    EXPECT_FALSE(m_menu->IsDrawOn());
    EXPECT_TRUE(m_shop->IsDrawOn());
    EXPECT_EQ(m_shop->GetNpcId(), 40u);
}

TEST_F(NpcMenuTest, TheServersAnswerShowsTheIconsAndAChatNameOfTheOwnHidesTalk) {
    m_menu->SetTarget(40, nullptr);
    auto answer = std::make_unique<CNpcMenuMsg>();
    CopyRecordText(answer->m_name, "Me");
    answer->m_flags = 0x83;
    ASSERT_TRUE(PostMessageTo(0, m_menu, 0, MSG_NPC_MENU, std::move(answer), nullptr));
    m_driver.Frame();
    EXPECT_TRUE(m_menu->IsDrawOn());
    EXPECT_TRUE(m_menu->HasChatName());
    EXPECT_EQ(m_menu->GetFunctionMask(), 0x6u);
    EXPECT_FALSE(m_menu->GetIcon(NPC_ICON_TALK)->IsDrawOn());
    EXPECT_TRUE(m_menu->GetIcon(NPC_ICON_HEAL)->IsDrawOn());
    // The NPC gone, the menu hides.
    m_mgr->RemoveAllChars(false);
    m_player = nullptr;
    m_menu->Draw();
    EXPECT_FALSE(m_menu->IsDrawOn());
}

}  // namespace
