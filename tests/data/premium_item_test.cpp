#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "data/item_table_mgr.h"
#include "data/premium_item_mgr.h"
#include "tests/support/table_builder.h"

namespace {

constexpr uint32_t kItemId = 5001;

struct FakeServerAndWindow : IPremiumRequests, IPremiumNotice {
    void SendListRequest() override { m_sent.push_back("list"); }
    void SendTake(uint32_t a, uint32_t b) override {
        m_sent.push_back("take " + std::to_string(a) + " " + std::to_string(b));
    }
    bool AddNotice(bool a, bool b, bool c) override {
        if (!m_window) return false;
        m_notices.push_back(std::string(a ? "1" : "0") + (b ? "1" : "0") + (c ? "1" : "0"));
        return true;
    }
    bool IsEventIdle() override { return m_idle; }
    std::vector<std::string> m_sent, m_notices;
    bool m_window = true;
    bool m_idle = true;
};

class PremiumItemTest : public ::testing::Test {
protected:
    void SetUp() override {
        qmtest::TableBuilder items(1, 60);
        items.U32(ITEM_COL_ITEM_ID).Set(ITEM_COL_ITEM_ID, 0, kItemId);
        m_db.Write(CItemTableMgr::ITEM_TABLE_FILE, items);
        g_pItemTableMgr = new CItemTableMgr;
        SetPremiumRequests(&m_fake);
        SetPremiumNotice(&m_fake);
    }
    void TearDown() override {
        SetPremiumRequests(nullptr);
        SetPremiumNotice(nullptr);
        delete g_pItemTableMgr;
        g_pItemTableMgr = nullptr;
    }
    static CPremiumAnnouncement Item(uint8_t list, uint32_t first, uint32_t itemId = kItemId) {
        CPremiumAnnouncement a;
        a.m_first = first;
        a.m_second = first + 1;
        a.m_itemId = itemId;
        a.m_count = 3;
        a.m_value = 77;
        a.m_list = list;
        a.m_text1 = "from the shop";
        a.m_text2 = std::string(300, 'x');
        a.m_record.m_value2 = 9;
        return a;
    }

    qmtest::ScopedDatabase m_db;
    FakeServerAndWindow m_fake;
    CPremiumItemNotifyMgr m_mgr;
};

TEST_F(PremiumItemTest, EntriesGetTheirItemObjects) {
    m_mgr.SetEntries({Item(0, 10), Item(1, 20), Item(0, 30, 4242)});
    EXPECT_EQ(m_mgr.GetEntryCount(0), 2);
    EXPECT_EQ(m_mgr.GetEntryCount(1), 1);
    EXPECT_EQ(m_fake.m_notices, std::vector<std::string>{"110"});

    CPremiumEntry* entry = m_mgr.GetEntry(0, 0);
    ASSERT_NE(entry, nullptr);
    ASSERT_NE(entry->m_item, nullptr);
    EXPECT_EQ(entry->m_item->GetItemId(), kItemId);
    EXPECT_EQ(entry->m_item->GetState(), PREMIUM_ITEM_STATE);
    EXPECT_EQ(entry->m_item->GetCount(), 3u);
    EXPECT_EQ(entry->m_item->GetAuxValue(), 77);
    EXPECT_EQ(entry->m_item->Record().m_value2, 9u);
    EXPECT_STREQ(entry->m_text1, "from the shop");
    EXPECT_EQ(std::string(entry->m_text2), std::string(255, 'x'));
    EXPECT_EQ(entry->m_taken, 0);
    // An unknown item gets no object and counts as taken.
    EXPECT_EQ(m_mgr.GetEntry(0, 1)->m_item, nullptr);
    EXPECT_EQ(m_mgr.GetEntry(0, 1)->m_taken, 1);
    EXPECT_EQ(m_mgr.GetEntry(0, 2), nullptr);
    EXPECT_EQ(m_mgr.GetEntry(2, 0), nullptr);

    // The same lists again: nothing grew, nothing is shown.
    m_mgr.SetEntries({Item(0, 10), Item(1, 20), Item(0, 30, 4242)});
    EXPECT_EQ(m_fake.m_notices.size(), 1u);
    m_mgr.SetEntries({Item(0, 10), Item(1, 20), Item(1, 21)});
    EXPECT_EQ(m_fake.m_notices.back(), "010");
}

TEST_F(PremiumItemTest, OtherListsAreSkippedAndAListHoldsAtMost255) {
    std::vector<CPremiumAnnouncement> items = {Item(2, 1), Item(255, 2)};
    for (uint32_t n = 0; n < 300; ++n) items.push_back(Item(1, 100 + n));
    m_mgr.SetEntries(items);
    EXPECT_EQ(m_mgr.GetEntryCount(0), 0);
    EXPECT_EQ(m_mgr.GetEntryCount(1), 255);
    EXPECT_EQ(m_mgr.GetEntry(1, 254)->m_first, 354u);
    EXPECT_EQ(m_mgr.GetEntry(1, 255), nullptr);
}

TEST_F(PremiumItemTest, TakingAnItemSendsOneRequest) {
    m_mgr.SetEntries({Item(0, 10), Item(0, 30, 4242)});
    CItemObject* item = m_mgr.GetEntry(0, 0)->m_item.get();
    m_mgr.MarkEntrySent(item);
    m_mgr.MarkEntrySent(item);
    EXPECT_EQ(m_fake.m_sent, std::vector<std::string>{"take 10 11"});
    EXPECT_EQ(m_mgr.GetEntry(0, 0)->m_count, 0);
    EXPECT_EQ(item->GetCount(), 0u);
    EXPECT_TRUE(m_mgr.IsRefreshPending());

    // An entry without an object never sends anything.
    m_mgr.MarkEntrySent(nullptr);
    CItemObject stranger;
    m_mgr.MarkEntrySent(&stranger);
    EXPECT_EQ(m_fake.m_sent.size(), 1u);

    // The refresh goes out on the next idle frame, once.
    m_fake.m_idle = false;
    m_mgr.Update();
    EXPECT_EQ(m_fake.m_sent.size(), 1u);
    m_fake.m_idle = true;
    m_mgr.Update();
    m_mgr.Update();
    EXPECT_EQ(m_fake.m_sent, (std::vector<std::string>{"take 10 11", "list"}));
}

TEST_F(PremiumItemTest, ShowWaitsForTheWindow) {
    m_mgr.RequestShow();
    m_fake.m_window = false;
    m_mgr.Update();
    EXPECT_TRUE(m_mgr.IsShowPending());
    m_fake.m_window = true;
    m_mgr.Update();
    EXPECT_FALSE(m_mgr.IsShowPending());
    EXPECT_EQ(m_fake.m_notices, std::vector<std::string>{"001"});

    // Without an event manager nothing happens.
    SetPremiumNotice(nullptr);
    m_mgr.RequestRefresh();
    m_mgr.Update();
    EXPECT_TRUE(m_mgr.IsRefreshPending());
    m_mgr.Clear();
    EXPECT_FALSE(m_mgr.IsRefreshPending());
}

}  // namespace
