#include "core/linked_list.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

struct Counted {
    explicit Counted(int* deaths) : m_deaths(deaths) {}
    virtual ~Counted() { ++*m_deaths; }
    int* m_deaths;
};

struct Holder {
    int m_tag = 0;
    int m_other = 0;
    Counted* m_pOwned = nullptr;
};

template <class L>
std::vector<int> Values(L& list) {
    std::vector<int> out;
    for (auto* e : list) out.push_back(*e);
    return out;
}

// Walking next from the head sentinel and previous from the tail sentinel
// both visit exactly count nodes.
template <class L>
void ExpectLinked(L& list) {
    int forward = 0, backward = 0;
    for (auto* n = list.HeadSentinel()->m_pNext; n != list.TailSentinel(); n = n->m_pNext) ++forward;
    for (auto* n = list.TailSentinel()->m_pPrev; n != list.HeadSentinel(); n = n->m_pPrev) ++backward;
    EXPECT_EQ(forward, list.Count());
    EXPECT_EQ(backward, list.Count());
    EXPECT_EQ(list.HeadSentinel()->m_pPrev, nullptr);
    EXPECT_EQ(list.TailSentinel()->m_pNext, nullptr);
}

TEST(LinkedListTest, AddHeadTailAndInsertBefore) {
    int a = 1, b = 2, c = 3, d = 4;
    CLinkedList<int, ListDeleteNone> list;
    auto* nb = list.AddTail(&b);
    list.AddHead(&a);
    list.AddTail(&d);
    auto* nc = list.InsertBefore(&c, list.GetAt(2));
    EXPECT_EQ(Values(list), (std::vector<int>{1, 2, 3, 4}));
    EXPECT_EQ(nc->m_pData, &c);
    EXPECT_EQ(nb->m_pNext, nc);
    EXPECT_EQ(list.InsertBefore(&c, list.HeadSentinel()), nullptr);
    EXPECT_EQ(list.Count(), 4);
    ExpectLinked(list);
}

TEST(LinkedListTest, GetAtOutsideTheListIsNull) {
    int a = 1, b = 2;
    CLinkedList<int, ListDeleteNone> list;
    EXPECT_EQ(list.GetAt(0), nullptr);
    list.AddTail(&a);
    list.AddTail(&b);
    EXPECT_EQ(list.GetAt(-1), nullptr);
    EXPECT_EQ(list.GetAt(2), nullptr);
    EXPECT_EQ(list.GetAt(1)->m_pData, &b);
}

TEST(LinkedListTest, RemoveAtDeletesElementAndReturnsFollower) {
    CLinkedList<int> list;
    list.AddTail(new int(1));
    auto* n2 = list.AddTail(new int(2));
    auto* n3 = list.AddTail(new int(3));
    EXPECT_EQ(list.RemoveAt(n2), n3);
    EXPECT_EQ(list.RemoveAt(list.HeadSentinel()), nullptr);
    EXPECT_EQ(list.RemoveAt(list.TailSentinel()), nullptr);
    EXPECT_EQ(Values(list), (std::vector<int>{1, 3}));
    EXPECT_EQ(list.RemoveAt(n3), list.TailSentinel());
    list.RemoveAll();  // the rest is deleted (the leak checker watches)
    ExpectLinked(list);
    EXPECT_TRUE(list.IsEmpty());
    list.RemoveAll();  // empty: still a correctly linked empty list
    ExpectLinked(list);
    EXPECT_EQ(list.First(), list.End());
}

TEST(LinkedListTest, RemoveValueTakesOnlyTheFirstMatch) {
    int a = 1, b = 2;
    CLinkedList<int, ListDeleteNone> list;
    EXPECT_EQ(list.RemoveValue(&a), nullptr);
    list.AddTail(&a);
    list.AddTail(&b);
    list.AddTail(&a);
    auto* next = list.RemoveValue(&a);
    EXPECT_EQ(next->m_pData, &b);
    EXPECT_EQ(Values(list), (std::vector<int>{2, 1}));
    int absent = 9;
    EXPECT_EQ(list.RemoveValue(&absent), nullptr);
    EXPECT_EQ(list.Count(), 2);
}

TEST(LinkedListTest, DeletionKinds) {
    int deaths = 0;
    {  // polymorphic elements through their virtual destructor
        CLinkedList<Counted> list;
        list.AddTail(new Counted(&deaths));
        list.AddTail(new Counted(&deaths));
        list.DeleteAll();
        EXPECT_EQ(deaths, 2);
    }
    deaths = 0;
    {  // an element owning an object in a field: both go
        CLinkedList<Holder, ListDeleteOwnedMember<&Holder::m_pOwned>> list;
        auto* h = new Holder;
        h->m_pOwned = new Counted(&deaths);
        list.AddTail(h);
        list.AddTail(new Holder);  // owns nothing
        list.RemoveAll();
        EXPECT_EQ(deaths, 1);
    }
    deaths = 0;
    {  // RemoveValue deletes only where the kind asks for it
        Holder kept;
        Counted keptObject(&deaths);
        kept.m_pOwned = &keptObject;
        CLinkedList<Holder, ListDeleteOwnedMember<&Holder::m_pOwned>> plain;
        plain.AddTail(&kept);
        plain.RemoveValue(&kept);
        EXPECT_EQ(deaths, 0);

        CLinkedList<Holder, ListDeleteOwnedMember<&Holder::m_pOwned, true>> owning;
        auto* h = new Holder;
        h->m_pOwned = new Counted(&deaths);
        owning.AddTail(h);
        owning.RemoveValue(h);
        EXPECT_EQ(deaths, 1);
        EXPECT_TRUE(owning.IsEmpty());
    }
}

TEST(LinkedListTest, ClearListLeavesElementsAlive) {
    int deaths = 0;
    Counted a(&deaths), b(&deaths);
    {
        CLinkedList<Counted> list;
        list.AddTail(&a);
        list.AddTail(&b);
        list.ClearList();
        ExpectLinked(list);
        EXPECT_EQ(list.Count(), 0);
        list.AddTail(&a);  // the destructor frees nodes only
    }
    EXPECT_EQ(deaths, 0);
}

}  // namespace
