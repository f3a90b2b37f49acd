#include "core/object_mgr.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

// A child that counts its destruction.
struct Child : CBaseObject {
    Child(int* deaths = nullptr, uint32_t kind = KIND_NONE) : m_deaths(deaths) { m_kindId = kind; }
    ~Child() override {
        if (m_deaths) ++*m_deaths;
    }
    int* m_deaths;
};

std::vector<CMsgObject*> Order(CObjectMgr& mgr) {
    std::vector<CMsgObject*> out;
    for (CMsgObject* child : mgr.Children()) out.push_back(child);
    return out;
}

class ObjectMgrTest : public ::testing::Test {
protected:
    void SetUp() override { CIdAllocator::SetSerialCounterForTest(0); }
    void TearDown() override { CIdAllocator::SetSerialCounterForTest(0); }
    int m_deaths = 0;
};

TEST_F(ObjectMgrTest, ChildOrder) {
    CObjectMgr mgr;
    auto *a = new Child(&m_deaths), *b = new Child(&m_deaths), *c = new Child(&m_deaths),
         *d = new Child(&m_deaths);
    EXPECT_TRUE(mgr.AddChild(a));
    EXPECT_TRUE(mgr.AddChild(b));
    EXPECT_EQ(Order(mgr), (std::vector<CMsgObject*>{b, a}));  // newest first
    EXPECT_TRUE(mgr.AddChildBack(c));
    EXPECT_EQ(Order(mgr), (std::vector<CMsgObject*>{b, a, c}));
    EXPECT_TRUE(mgr.InsertChildBefore(d, a->GetId()));
    EXPECT_EQ(Order(mgr), (std::vector<CMsgObject*>{b, d, a, c}));
    for (CMsgObject* o : {a, b, c, d}) EXPECT_NE(o->GetId(), 0u);
    EXPECT_FALSE(mgr.AddChild(nullptr));
}

TEST_F(ObjectMgrTest, InsertBeforeAbsentHandleLinksNothing) {
    CObjectMgr mgr;
    auto* a = new Child;
    mgr.AddChild(a);
    Child outsider;
    uint32_t absent = a->GetId() + 0x10000;  // same slot, other serial
    EXPECT_TRUE(mgr.InsertChildBefore(&outsider, absent));
    EXPECT_TRUE(mgr.InsertChildBefore(&outsider, 0));
    EXPECT_EQ(outsider.GetId(), 0u);
    EXPECT_EQ(mgr.ChildCount(), 1);
}

TEST_F(ObjectMgrTest, Lookups) {
    CObjectMgr mgr;
    auto *a = new Child(nullptr, 3), *b = new Child(nullptr, 5), *c = new Child(nullptr, 3);
    mgr.AddChildBack(a);
    mgr.AddChildBack(b);
    mgr.AddChildBack(c);
    EXPECT_EQ(mgr.FindChild(b->GetId()), b);
    EXPECT_EQ(mgr.FindChild(0), nullptr);
    EXPECT_EQ(mgr.FindChild(b->GetId() ^ 0x10000), nullptr);
    EXPECT_EQ(mgr.FindChildNode(c->GetId())->m_pData, c);
    EXPECT_EQ(mgr.FindNextChild(a->GetId()), b);
    EXPECT_EQ(mgr.FindNextChild(c->GetId()), nullptr);  // last
    EXPECT_EQ(mgr.FindNextChild(12345), nullptr);
    EXPECT_EQ(mgr.FindChildByKind(3), a);  // first from the front
    EXPECT_EQ(mgr.FindChildByKind(5), b);
    EXPECT_EQ(mgr.FindChildByKind(9), nullptr);
    // Children that are not CBaseObjects never match a kind.
    auto* plain = new CMsgObject;
    mgr.AddChild(plain);
    EXPECT_EQ(mgr.FindChildByKind(3), a);
    EXPECT_EQ(mgr.CreateObject(0), nullptr);
}

TEST_F(ObjectMgrTest, DetachFreesTheHandleForReuse) {
    CObjectMgr mgr;
    Child a(&m_deaths), b(&m_deaths);
    mgr.AddChild(&a);
    mgr.AddChild(&b);
    uint32_t old = a.GetId();
    EXPECT_TRUE(mgr.DetachChild(&a));
    EXPECT_EQ(a.GetId(), 0u);
    EXPECT_EQ(mgr.FindChild(old), nullptr);
    EXPECT_TRUE(mgr.DetachChild(&a));  // absent: nothing, still true

    Child c(&m_deaths);
    mgr.AddChild(&c);
    EXPECT_EQ(CIdAllocator::SlotOf(c.GetId()), CIdAllocator::SlotOf(old));
    EXPECT_NE(c.GetId(), old);
    EXPECT_EQ(mgr.FindChild(old), nullptr);

    EXPECT_TRUE(mgr.DetachChildById(b.GetId()));
    EXPECT_EQ(b.GetId(), 0u);
    EXPECT_TRUE(mgr.DetachChildById(0xDEAD));
    mgr.DetachChild(&c);
    EXPECT_EQ(mgr.ChildCount(), 0);
    EXPECT_EQ(m_deaths, 0);
}

TEST_F(ObjectMgrTest, DetachAllKeepsObjectsAndHandles) {
    Child a(&m_deaths), b(&m_deaths);
    {
        CObjectMgr mgr;
        mgr.AddChild(&a);
        mgr.AddChild(&b);
        uint32_t ha = a.GetId();
        EXPECT_TRUE(mgr.DetachAllChildren());
        EXPECT_EQ(mgr.ChildCount(), 0);
        EXPECT_EQ(a.GetId(), ha);  // not returned to the allocator
        EXPECT_TRUE(mgr.IdAllocator().IsIssued(ha));
        auto* c = new Child(&m_deaths);
        mgr.AddChild(c);
        EXPECT_NE(CIdAllocator::SlotOf(c->GetId()), CIdAllocator::SlotOf(ha));
    }
    EXPECT_EQ(m_deaths, 1);  // only the child still in the list
}

TEST_F(ObjectMgrTest, DeleteChildAndReleaseHandle) {
    CObjectMgr mgr;
    auto *a = new Child(&m_deaths), *b = new Child(&m_deaths);
    mgr.AddChild(a);
    mgr.AddChild(b);
    uint32_t ha = a->GetId();
    EXPECT_TRUE(mgr.DeleteChild(ha));
    EXPECT_EQ(m_deaths, 1);
    EXPECT_EQ(mgr.FindChild(ha), nullptr);
    EXPECT_TRUE(mgr.DeleteChild(ha));  // gone: nothing
    EXPECT_EQ(m_deaths, 1);
    EXPECT_FALSE(mgr.IdAllocator().IsIssued(ha));

    uint32_t hb = b->GetId();
    uint32_t copy = hb;
    mgr.ReleaseHandle(&copy);
    EXPECT_EQ(copy, 0u);
    EXPECT_FALSE(mgr.IdAllocator().IsIssued(hb));
}

// A child whose destructor deletes another child of the same manager.
struct Cascading : CBaseObject {
    Cascading(CObjectMgr* mgr, int* deaths) : m_pMgr(mgr), m_deaths(deaths) {}
    ~Cascading() override {
        ++*m_deaths;
        if (m_victim) m_pMgr->DeleteChild(m_victim);
    }
    CObjectMgr* m_pMgr;
    int* m_deaths;
    uint32_t m_victim = 0;
};

TEST_F(ObjectMgrTest, DeletingTheManagerDeletesEveryChild) {
    {
        CObjectMgr mgr;
        auto* victim = new Child(&m_deaths);
        mgr.AddChild(victim);
        auto* cascade = new Cascading(&mgr, &m_deaths);
        cascade->m_victim = victim->GetId();
        mgr.AddChild(cascade);
        mgr.AddChild(new Child(&m_deaths));
        mgr.GetMsgQueue()->PostMessageById(0, victim->GetId(), 3, 1, nullptr, nullptr);
    }
    EXPECT_EQ(m_deaths, 3);
}

TEST_F(ObjectMgrTest, ReleaseTwiceThenReuse) {
    CObjectMgr mgr;
    mgr.AddChild(new Child(&m_deaths));
    mgr.AddChild(new Child(&m_deaths));
    EXPECT_TRUE(mgr.Release());
    EXPECT_EQ(m_deaths, 2);
    EXPECT_EQ(mgr.ChildCount(), 0);
    EXPECT_TRUE(mgr.Release());
    EXPECT_EQ(m_deaths, 2);
    // Released managers stay usable; the destructor releases once more.
    auto* c = new Child(&m_deaths);
    EXPECT_TRUE(mgr.AddChild(c));
    EXPECT_EQ(mgr.FindChild(c->GetId()), c);
}

}  // namespace
