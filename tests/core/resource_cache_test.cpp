#include "core/resource_cache.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/clock.h"

namespace {

// An entry whose data is just a size; it logs its discards and restores.
class TestEntry : public CCachedResource {
public:
    TestEntry(std::string name, int32_t size, std::vector<std::string>* log)
        : m_name(std::move(name)), m_size(size), m_log(log) {}
    ~TestEntry() override {
        if (m_deleted) *m_deleted = true;
    }
    bool Restore() override {
        m_discarded = false;
        m_log->push_back("restore " + m_name);
        return true;
    }
    bool Discard() override {
        m_discarded = true;
        m_log->push_back("discard " + m_name);
        return true;
    }
    int32_t GetSize() override { return m_size; }
    bool IsDiscarded() override { return m_discarded; }

    std::string m_name;
    int32_t m_size;
    bool m_discarded = false;
    bool* m_deleted = nullptr;
    std::vector<std::string>* m_log;
};

class ResourceCacheTest : public ::testing::Test {
protected:
    ResourceCacheTest() : m_guard(m_clock) {}

    TestEntry* Add(const std::string& name, int32_t size, int32_t priority = 1) {
        auto* e = new TestEntry(name, size, &m_log);
        e->SetPriority(priority);
        m_cache.AddEntry(e);
        return e;
    }

    plat::FakeClock m_clock{5000};
    plat::ScopedClock m_guard;
    std::vector<std::string> m_log;
    CResourceCache m_cache;
};

TEST_F(ResourceCacheTest, DiscardsByPriorityThenOldestUseThenSize) {
    ASSERT_TRUE(m_cache.SetBudget(1000));
    TestEntry* oldBig = Add("old-big", 300);
    TestEntry* newSmall = Add("new-small", 100);
    TestEntry* newBig = Add("new-big", 200);
    TestEntry* low = Add("low-priority", 50, 0);
    m_cache.GetEntry(oldBig->GetId());
    m_clock.Advance(2000);
    m_cache.GetEntry(newSmall->GetId());
    m_cache.GetEntry(newBig->GetId());
    m_clock.Advance(400);  // same second as the last two uses
    m_cache.GetEntry(low->GetId());
    EXPECT_EQ(m_cache.GetBytesHeld(), 650u);
    EXPECT_TRUE(m_log.empty());

    EXPECT_TRUE(m_cache.SetBudget(0));  // budget 0 discards everything nobody uses
    EXPECT_EQ(m_log, (std::vector<std::string>{"discard low-priority", "discard old-big", "discard new-small",
                                               "discard new-big"}));
    EXPECT_EQ(m_cache.GetBytesHeld(), 0u);
}

TEST_F(ResourceCacheTest, StopsDiscardingOnceWithinBudget) {
    m_cache.SetBudget(2000);
    TestEntry* a = Add("a", 300);
    TestEntry* b = Add("b", 400);
    TestEntry* c = Add("c", 500);
    for (TestEntry* e : {a, b, c}) {
        m_cache.GetEntry(e->GetId());
        m_clock.Advance(1000);
    }
    m_log.clear();
    m_cache.SetBudget(1000);
    m_cache.SetBudget(800);
    EXPECT_EQ(m_log, (std::vector<std::string>{"discard a", "discard b"}));
    EXPECT_FALSE(c->IsDiscarded());
    EXPECT_EQ(m_cache.GetBytesHeld(), 500u);
}

TEST_F(ResourceCacheTest, EntriesInUseAreNeverDiscarded) {
    m_cache.SetBudget(100);
    TestEntry* used = Add("used", 80);
    m_cache.AcquireEntry(used->GetId());
    m_clock.Advance(60000);
    TestEntry* other = Add("other", 80);
    EXPECT_EQ(m_log, std::vector<std::string>{"discard other"});
    EXPECT_FALSE(used->IsDiscarded());
    // Everything left is in use: the cache stays over budget and says so.
    m_cache.AcquireEntry(other->GetId());
    EXPECT_EQ(m_log.back(), "restore other");
    EXPECT_EQ(m_cache.GetBytesHeld(), 160u);
    EXPECT_FALSE(m_cache.Evict());
    EXPECT_FALSE(m_cache.AddEntry(new TestEntry("third", 10, &m_log)));
}

TEST_F(ResourceCacheTest, GetEntryRestoresWithoutDiscardingWhatItRestores) {
    m_cache.SetBudget(100);
    TestEntry* a = Add("a", 80);
    TestEntry* b = Add("b", 90);  // never used yet, like a: the smaller goes
    ASSERT_TRUE(a->IsDiscarded());
    m_log.clear();
    EXPECT_EQ(m_cache.GetEntry(a->GetId()), a);
    EXPECT_EQ(m_log, (std::vector<std::string>{"restore a", "discard b"}));
    EXPECT_FALSE(a->IsDiscarded());
    EXPECT_EQ(a->GetUseCount(), 0);
    EXPECT_EQ(m_cache.GetBytesHeld(), 80u);
    EXPECT_TRUE(b->IsDiscarded());
}

TEST_F(ResourceCacheTest, UseCountsAndUnknownIds) {
    TestEntry* a = Add("a", 10);
    uint32_t id = a->GetId();
    EXPECT_EQ(m_cache.ReleaseEntry(id), 0);  // stays at 0
    m_cache.AcquireEntry(id);
    m_cache.AcquireEntry(id);
    EXPECT_EQ(m_cache.ReleaseEntry(id), 1);
    EXPECT_EQ(m_cache.ReleaseEntry(id + 1), -1);
    EXPECT_EQ(m_cache.GetEntry(id + 1), nullptr);
    EXPECT_EQ(m_cache.AcquireEntry(0), nullptr);
}

TEST_F(ResourceCacheTest, RemoveOnlyEntriesNobodyUses) {
    m_cache.SetBudget(1000);
    TestEntry* a = Add("a", 10);
    m_cache.AcquireEntry(a->GetId());
    m_cache.RemoveEntry(a->GetId());
    EXPECT_EQ(m_cache.GetEntry(a->GetId()), a);
    m_cache.ReleaseEntry(a->GetId());
    uint32_t id = a->GetId();
    m_cache.RemoveEntry(id);
    EXPECT_EQ(m_cache.GetEntry(id), nullptr);
    EXPECT_EQ(m_cache.GetBytesHeld(), 0u);
    delete a;  // the caller owns a removed entry

    TestEntry* b = Add("b", 20);
    m_cache.SetBudget(0);  // discarded: its size is no longer counted
    m_cache.SetBudget(1000);
    Add("c", 30);
    m_cache.RemoveEntryObject(b);
    EXPECT_EQ(m_cache.GetBytesHeld(), 30u);
    delete b;
}

TEST_F(ResourceCacheTest, SkipCountFlagSkipsOneAdd) {
    m_cache.SetBudget(1000);
    m_cache.SetSkipCount(true);
    Add("a", 10);
    EXPECT_EQ(m_cache.GetBytesHeld(), 0u);
    EXPECT_FALSE(m_cache.GetSkipCount());
    Add("b", 10);
    EXPECT_EQ(m_cache.GetBytesHeld(), 10u);
}

TEST_F(ResourceCacheTest, DestructionDeletesEveryEntryEvenInUse) {
    bool freeDeleted = false, usedDeleted = false;
    TestEntry* used = nullptr;
    {
        CResourceCache cache;
        auto* a = new TestEntry("free", 10, &m_log);
        used = new TestEntry("used", 10, &m_log);
        a->m_deleted = &freeDeleted;
        used->m_deleted = &usedDeleted;
        cache.AddEntry(a);
        cache.AddEntry(used);
        cache.AcquireEntry(used->GetId());
        cache.Release();  // an explicit release keeps what is in use
        EXPECT_TRUE(freeDeleted);
        EXPECT_FALSE(usedDeleted);
        EXPECT_EQ(cache.GetEntry(used->GetId()), used);
        EXPECT_EQ(cache.GetBudget(), 0u);
    }
    EXPECT_TRUE(usedDeleted);
}

TEST(BlockList, OwnsItsBlocks) {
    CBlockList list;
    uint8_t* a = list.AddBlock(16);
    a[15] = 1;
    list.AddBlock(0);
    EXPECT_EQ(list.GetBlockCount(), 2u);
    EXPECT_TRUE(list.Release());
    EXPECT_EQ(list.GetBlockCount(), 0u);
    EXPECT_TRUE(list.Release());
}

}  // namespace
