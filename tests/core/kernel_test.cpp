#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/base_object.h"
#include "core/id_allocator.h"
#include "core/message.h"
#include "core/node_list.h"
#include "core/object_mgr.h"

namespace {

// A payload that counts its destructor calls.
struct Tracked : CMsgData {
    Tracked(int* deaths, int value = 0) : m_deaths(deaths), m_value(value) {}
    ~Tracked() override { ++*m_deaths; }
    int* m_deaths;
    int m_value;
};

// Serials are process-wide: every test that looks at them starts from a known counter.
class SerialTest : public ::testing::Test {
protected:
    void SetUp() override { CIdAllocator::SetSerialCounterForTest(0); }
    void TearDown() override { CIdAllocator::SetSerialCounterForTest(0); }
};

using IdAllocatorTest = SerialTest;

TEST_F(IdAllocatorTest, HandlesCarrySlotAndSerial) {
    CIdAllocator ids;
    uint32_t stored = 0;
    EXPECT_EQ(ids.AllocId(&stored), 0x00010000u);  // slot 0, serial 1
    EXPECT_EQ(stored, 0x00010000u);
    EXPECT_EQ(ids.AllocId(nullptr), 0x00020001u);
    // Another allocator shares the counter: its serials continue.
    CIdAllocator other;
    EXPECT_EQ(other.AllocId(nullptr), 0x00030000u);
}

TEST_F(IdAllocatorTest, SerialWrapsFrom65535ToOne) {
    CIdAllocator ids;
    CIdAllocator::SetSerialCounterForTest(65534);
    EXPECT_EQ(CIdAllocator::SerialOf(ids.AllocId(nullptr)), 65535u);
    uint32_t wrapped = ids.AllocId(nullptr);
    EXPECT_EQ(CIdAllocator::SerialOf(wrapped), 1u);
    EXPECT_EQ(CIdAllocator::SlotOf(wrapped), 1u);
}

TEST_F(IdAllocatorTest, MostRecentlyFreedSlotComesBackWithNewSerial) {
    CIdAllocator ids;
    uint32_t h0 = ids.AllocId(nullptr), h1 = ids.AllocId(nullptr), h2 = ids.AllocId(nullptr);
    ids.FreeId(h0);
    ids.FreeId(h2);
    uint32_t again = ids.AllocId(nullptr);
    EXPECT_EQ(CIdAllocator::SlotOf(again), 2u);  // freed last, reused first
    EXPECT_NE(again, h2);
    EXPECT_FALSE(ids.IsIssued(h2));
    EXPECT_TRUE(ids.IsIssued(again));
    EXPECT_EQ(CIdAllocator::SlotOf(ids.AllocId(nullptr)), 0u);
    EXPECT_EQ(CIdAllocator::SlotOf(ids.AllocId(nullptr)), 3u);  // stack empty: new slot
    EXPECT_TRUE(ids.IsIssued(h1));
}

TEST_F(IdAllocatorTest, FreeingTwiceOrAStaleHandleIsIgnored) {
    CIdAllocator ids;
    uint32_t h = ids.AllocId(nullptr);
    ids.FreeId(h);
    ids.FreeId(h);  // a second free must not put the slot on the stack twice
    ids.FreeId(0);
    uint32_t a = ids.AllocId(nullptr);
    ids.FreeId(h);  // stale: the slot belongs to a now
    EXPECT_TRUE(ids.IsIssued(a));
    uint32_t b = ids.AllocId(nullptr);
    EXPECT_NE(CIdAllocator::SlotOf(a), CIdAllocator::SlotOf(b));
}

// More live slots than the 16-bit index holds: the extra slot shares its low
// bits with slot 0, and the serial still tells the two handles apart.
TEST_F(IdAllocatorTest, SlotsBeyond16BitsStayDistinct) {
    CIdAllocator ids;
    uint32_t first = ids.AllocId(nullptr);
    for (int i = 1; i < 0x10000; ++i) ids.AllocId(nullptr);
    uint32_t extra = ids.AllocId(nullptr);
    EXPECT_EQ(CIdAllocator::SlotOf(extra), 0u);
    EXPECT_NE(extra, first);
    ids.FreeId(extra);
    EXPECT_FALSE(ids.IsIssued(extra));
    EXPECT_TRUE(ids.IsIssued(first));
    EXPECT_EQ(ids.AllocId(nullptr) & 0xFFFFu, 0u);  // the freed slot 65,536 again
    EXPECT_EQ(ids.SlotCount(), 0x10001u);
}

TEST(WeakRefTest, ReadsNullAfterTheObjectIsDestroyed) {
    auto* object = new CMsgObject;
    CWeakRef ref(object);
    CWeakRef copy = ref;
    CWeakRef assigned;
    assigned = copy;
    EXPECT_EQ(ref.Get(), object);
    EXPECT_EQ(assigned.GetAs<CMsgObject>(), object);
    delete object;
    // The liveness record outlives the object until the last reference goes
    // (the sanitizer checks both the reads and that it is freed).
    EXPECT_EQ(ref.Get(), nullptr);
    EXPECT_EQ(copy.Get(), nullptr);
    EXPECT_FALSE(assigned);
}

TEST(WeakRefTest, AssignMovesAndDrops) {
    CMsgObject a, b;
    CWeakRef ref(&a);
    ref.Assign(&a);  // re-assigning the same object keeps it
    EXPECT_EQ(ref.Get(), &a);
    ref.Assign(&b);
    EXPECT_EQ(ref.Get(), &b);
    ref.Assign(nullptr);
    EXPECT_EQ(ref.Get(), nullptr);
    { CWeakRef shortLived(&a); }
    CWeakRef still(&a);
    EXPECT_EQ(still.Get(), &a);
}

struct PhaseRecorder : CBaseObject {
    bool Draw() override { return Note("draw"); }
    bool Update() override { return Note("update"); }
    bool ProcessInput() override { return Note("input"); }
    bool Note(const char* what) {
        m_calls.push_back(what);
        return false;
    }
    std::vector<std::string> m_calls;
};

TEST(BaseObjectTest, FlagsAndExecute) {
    PhaseRecorder obj;
    EXPECT_EQ(obj.GetKindId(), KIND_NONE);
    EXPECT_TRUE(obj.IsDrawOn() && obj.IsUpdateOn() && obj.IsInputOn());
    EXPECT_EQ(obj.GetId(), 0u);

    EXPECT_TRUE(obj.Execute());
    EXPECT_EQ(obj.m_calls, (std::vector<std::string>{"input", "update", "draw"}));

    EXPECT_FALSE(obj.Hide());
    EXPECT_FALSE(obj.IsDrawOn() || obj.IsUpdateOn() || obj.IsInputOn());
    obj.m_calls.clear();
    EXPECT_TRUE(obj.Execute());
    EXPECT_TRUE(obj.m_calls.empty());

    obj.SetUpdateOn(true);
    obj.Execute();
    EXPECT_EQ(obj.m_calls, (std::vector<std::string>{"update"}));

    obj.SetKindId(7);
    obj.Reset();
    EXPECT_EQ(obj.GetKindId(), KIND_NONE);
    EXPECT_TRUE(obj.IsDrawOn() && obj.IsUpdateOn() && obj.IsInputOn());
    obj.Hide();
    EXPECT_TRUE(obj.Show());
    EXPECT_TRUE(obj.IsDrawOn() && obj.IsUpdateOn() && obj.IsInputOn());
}

TEST(DragObjectTest, DragStateAndMode) {
    CDragObject obj;
    EXPECT_EQ(obj.GetType(), -1);
    EXPECT_TRUE(obj.SetDragState(3));
    EXPECT_EQ(obj.GetDragState(), 3u);
    EXPECT_TRUE(obj.BeginDrag(5));
    EXPECT_EQ(obj.GetDragMode(), 5u);
}

struct Node : CListNode {
    Node(int v, int* deaths) : m_value(v), m_deaths(deaths) {}
    ~Node() override { ++*m_deaths; }
    int m_value;
    int* m_deaths;
};

TEST(NodeListTest, PushUnlinkEraseDetachDelete) {
    int deaths = 0;
    CNodeList list;
    Node* n[3];
    for (int i = 0; i < 3; ++i) {
        n[i] = new Node(i, &deaths);
        EXPECT_TRUE(list.PushBack(n[i]));
    }
    EXPECT_FALSE(list.PushBack(n[1]));  // already linked
    EXPECT_EQ(list.Count(), 3);
    EXPECT_EQ(list.Unlink(n[1]), n[2]);
    EXPECT_FALSE(n[1]->IsLinked());
    EXPECT_EQ(list.Unlink(const_cast<CListNode*>(list.End())), nullptr);
    EXPECT_EQ(list.Erase(n[0]), n[2]);
    EXPECT_EQ(deaths, 1);
    EXPECT_EQ(list.Count(), 1);

    list.PushBack(n[1]);
    list.DetachAll();
    EXPECT_EQ(list.Count(), 0);
    EXPECT_EQ(list.First(), list.End());
    EXPECT_FALSE(n[1]->IsLinked());
    EXPECT_EQ(deaths, 1);

    list.PushBack(n[1]);
    list.PushBack(n[2]);
    list.DeleteAll();
    EXPECT_EQ(deaths, 3);
    EXPECT_TRUE(list.IsEmpty());
}

TEST(MsgPortTest, PopFieldsHandsPayloadOver) {
    int deaths = 0;
    CMsgPort port;
    uint32_t sender = 77, event = 88;
    MsgDataPtr payload, parameter;
    EXPECT_FALSE(port.PopFields(&sender, &event, &payload, &parameter));
    EXPECT_EQ(sender, 77u);  // untouched
    EXPECT_EQ(event, 88u);

    port.PostToHandle(1, 2, 0, 10, std::make_unique<Tracked>(&deaths, 5), std::make_unique<Tracked>(&deaths));
    port.PostToPort(3, &port, 0, 11, std::make_unique<Tracked>(&deaths), nullptr, 99);
    EXPECT_EQ(port.Count(), 2);
    ASSERT_TRUE(port.PopFields(&sender, &event, &payload, &parameter));
    EXPECT_EQ(sender, 1u);
    EXPECT_EQ(event, 10u);
    EXPECT_EQ(deaths, 0);  // the reader owns them now
    EXPECT_EQ(static_cast<Tracked*>(payload.get())->m_value, 5);
    payload.reset();
    parameter.reset();
    EXPECT_EQ(deaths, 2);

    // Outputs not asked for are deleted with the message.
    EXPECT_EQ(port.Peek()->m_extra, 99u);
    ASSERT_TRUE(port.PopFields(nullptr, &event, nullptr, nullptr));
    EXPECT_EQ(event, 11u);
    EXPECT_EQ(deaths, 3);
}

TEST(MsgPortTest, ObjectsDiscardTheirWaitingMessages) {
    int deaths = 0;
    {
        CMsgObject target;
        EXPECT_TRUE(PostMessageTo(1, &target, 5, 7, std::make_unique<Tracked>(&deaths), nullptr));
        EXPECT_TRUE(
            PostMessageToPort(1, target.GetPort(), 0, 8, nullptr, std::make_unique<Tracked>(&deaths)));
        EXPECT_TRUE(PostMessageToPortEx(1, target.GetPort(), 0, 9, nullptr, nullptr, 4));
        EXPECT_EQ(target.GetPort()->Count(), 3);  // delays do not hold direct posts back
        EXPECT_EQ(target.GetPort()->GetOwner(), &target);
        target.GetPort()->RemoveEvents(8);
        EXPECT_EQ(deaths, 1);
        EXPECT_EQ(target.GetPort()->Count(), 2);
    }
    EXPECT_EQ(deaths, 2);
    // A null target takes nothing and leaks nothing.
    EXPECT_FALSE(PostMessageTo(1, nullptr, 0, 1, std::make_unique<Tracked>(&deaths), nullptr));
    EXPECT_FALSE(PostMessageToPort(1, nullptr, 0, 1, std::make_unique<Tracked>(&deaths), nullptr));
    EXPECT_EQ(deaths, 4);
}

// A queue owned by a manager, with two registered children.
class DispatchTest : public SerialTest {
protected:
    void SetUp() override {
        SerialTest::SetUp();
        m_a = new CBaseObject;
        m_b = new CBaseObject;
        m_mgr.AddChild(m_a);
        m_mgr.AddChild(m_b);
    }
    CLockedMsgObject& Queue() { return *m_mgr.GetMsgQueue(); }
    int Waiting(CMsgObject* o) { return o->GetPort()->Count(); }

    int m_deaths = 0;
    CObjectMgr m_mgr;
    CBaseObject* m_a = nullptr;
    CBaseObject* m_b = nullptr;
};

TEST_F(DispatchTest, DelayDArrivesOnDispatchDPlusOne) {
    struct Case {
        int32_t delay;
        int dispatches;
    };
    for (Case c : {Case{0, 1}, Case{-3, 1}, Case{1, 2}, Case{2, 3}, Case{5, 6}}) {
        SCOPED_TRACE(c.delay);
        Queue().PostMessageById(0, m_a->GetId(), c.delay, 1, nullptr, nullptr);
        for (int i = 1; i < c.dispatches; ++i) {
            Queue().DispatchMessages();
            EXPECT_EQ(Waiting(m_a), 0) << "early on dispatch " << i;
        }
        Queue().DispatchMessages();
        EXPECT_EQ(Waiting(m_a), 1);
        EXPECT_EQ(Queue().GetMessageCount(), 0);
        m_a->GetPort()->Clear();
    }
}

TEST_F(DispatchTest, RoutesByHandleAndPortKeepingOrder) {
    CMsgPort loosePort;
    Queue().PostMessageById(10, m_a->GetId(), 0, 1, nullptr, nullptr);
    Queue().PostMessage(11, &loosePort, 0, 2, nullptr, nullptr);
    Queue().PostMessageById(12, m_a->GetId(), 0, 3, nullptr, nullptr);
    Queue().PostMessageById(13, m_b->GetId(), 1, 4, nullptr, nullptr);
    EXPECT_EQ(Queue().GetMessageCount(), 4);
    Queue().DispatchMessages();
    EXPECT_EQ(Queue().GetMessageCount(), 1);
    uint32_t sender = 0, event = 0;
    ASSERT_TRUE(m_a->GetPort()->PopFields(&sender, &event, nullptr, nullptr));
    EXPECT_EQ(event, 1u);
    ASSERT_TRUE(m_a->GetPort()->PopFields(&sender, &event, nullptr, nullptr));
    EXPECT_EQ(event, 3u);
    EXPECT_EQ(loosePort.Count(), 1);
    EXPECT_EQ(Waiting(m_b), 0);
    Queue().DispatchMessages();
    EXPECT_EQ(Waiting(m_b), 1);
}

TEST_F(DispatchTest, MessagesForVanishedHandlesAreDeletedWithPayloads) {
    uint32_t gone = m_a->GetId();
    m_mgr.DeleteChild(gone);
    // The slot is reused by a new child: the stale handle must not reach it.
    auto* newcomer = new CBaseObject;
    m_mgr.AddChild(newcomer);
    ASSERT_EQ(CIdAllocator::SlotOf(newcomer->GetId()), CIdAllocator::SlotOf(gone));
    ASSERT_NE(newcomer->GetId(), gone);

    CMsgPort port;
    Queue().PostMessageById(0, gone, 1, 1, std::make_unique<Tracked>(&m_deaths),
                            std::make_unique<Tracked>(&m_deaths));
    Queue().AttachMessage(new CMsg(0, 0, nullptr, 0, 2, std::make_unique<Tracked>(&m_deaths), nullptr));
    Queue().DispatchMessages();
    EXPECT_EQ(m_deaths, 1);  // the message naming no target
    Queue().DispatchMessages();
    EXPECT_EQ(m_deaths, 3);  // payload and parameter of the stale one
    EXPECT_EQ(Waiting(newcomer), 0);
    EXPECT_EQ(Queue().GetMessageCount(), 0);
}

TEST_F(DispatchTest, QueueWithoutResolverDeletesHandleMessages) {
    CLockedMsgObject global;
    CMsgPort port;
    global.PostMessageById(0, m_a->GetId(), 0, 1, std::make_unique<Tracked>(&m_deaths), nullptr);
    global.PostMessage(0, &port, 0, 2, std::make_unique<Tracked>(&m_deaths), nullptr);
    global.DispatchMessages();
    EXPECT_EQ(m_deaths, 1);
    EXPECT_EQ(port.Count(), 1);
    EXPECT_EQ(Waiting(m_a), 0);
}

TEST_F(DispatchTest, SuspendedQueueHoldsEverything) {
    Queue().PostMessageById(0, m_a->GetId(), 1, 1, nullptr, nullptr);
    Queue().SetSuspended(true);
    for (int i = 0; i < 3; ++i) EXPECT_TRUE(Queue().DispatchMessages());
    EXPECT_EQ(Queue().PeekMessage()->m_delay, 1);
    Queue().SetSuspended(false);
    Queue().DispatchMessages();
    Queue().DispatchMessages();
    EXPECT_EQ(Waiting(m_a), 1);
}

TEST_F(DispatchTest, MessageRoutedBackIntoTheQueueWaitsForTheNextDispatch) {
    Queue().PostMessage(0, &Queue().Queue(), 0, 1, nullptr, nullptr);
    Queue().DispatchMessages();  // must end: the message lands back in the queue
    EXPECT_EQ(Queue().GetMessageCount(), 1);
}

TEST_F(DispatchTest, PeekPopAndRemoveEvents) {
    CMsgData* payload = nullptr;
    uint32_t sender = 0, event = 0;
    EXPECT_EQ(Queue().PeekMessage(), nullptr);
    EXPECT_FALSE(Queue().PeekMessageFields(&sender, &event, &payload, nullptr));
    EXPECT_EQ(Queue().PopMessage(), nullptr);

    Queue().PostMessageById(4, 5, 0, 6, std::make_unique<Tracked>(&m_deaths), nullptr);
    Queue().PostMessageById(4, 5, 0, 7, nullptr, nullptr);
    Queue().PostMessageById(4, 5, 0, 6, nullptr, nullptr);
    ASSERT_TRUE(Queue().PeekMessageFields(&sender, &event, &payload, nullptr));
    EXPECT_EQ(sender, 4u);
    EXPECT_EQ(event, 6u);
    EXPECT_NE(payload, nullptr);
    EXPECT_EQ(Queue().GetMessageCount(), 3);

    std::unique_ptr<CMsg> first(Queue().PopMessage());
    EXPECT_EQ(first->m_eventId, 6u);
    first.reset();
    EXPECT_EQ(m_deaths, 1);

    Queue().RemoveEvents(6);
    EXPECT_EQ(Queue().GetMessageCount(), 1);
    MsgDataPtr out;
    ASSERT_TRUE(Queue().GetMessageFields(nullptr, &event, &out, nullptr));
    EXPECT_EQ(event, 7u);
    EXPECT_EQ(Queue().GetMessageCount(), 0);
}

TEST_F(DispatchTest, DirectPostsAndRouterCalls) {
    int deaths = 0;
    CMsgPort port;
    EXPECT_TRUE(Queue().PostMessageTo(0, m_a, 3, 1, nullptr, nullptr));
    EXPECT_TRUE(Queue().PostMessageToPort(0, &port, 3, 1, nullptr, nullptr));
    EXPECT_TRUE(Queue().AttachMessageTo(new CMsg, m_b));
    EXPECT_TRUE(Queue().AttachMessageToPort(new CMsg, &port));
    EXPECT_FALSE(Queue().AttachMessageToPort(
        new CMsg(0, 0, nullptr, 0, 0, std::make_unique<Tracked>(&deaths), nullptr), nullptr));
    EXPECT_EQ(deaths, 1);
    EXPECT_EQ(Waiting(m_a), 1);
    EXPECT_EQ(Waiting(m_b), 1);
    EXPECT_EQ(port.Count(), 2);

    // The queue's own port has no router: router calls take nothing and leak nothing.
    EXPECT_FALSE(Queue().CallPort(new CMsg));
    EXPECT_FALSE(Queue().CallPort6(0, m_a->GetId(), 0, 1, std::make_unique<Tracked>(&deaths), nullptr));
    EXPECT_EQ(deaths, 2);

    CLockedMsgObject global;
    Queue().Queue().SetRouter(&global);
    EXPECT_TRUE(Queue().CallPort(new CMsg));
    EXPECT_TRUE(Queue().CallPort6(0, m_a->GetId(), 2, 1, nullptr, nullptr));
    EXPECT_EQ(global.GetMessageCount(), 2);
    Queue().Queue().SetRouter(nullptr);
}

TEST(ReleaseTwiceTest, EveryReleaseMayRunAgain) {
    int deaths = 0;
    {
        CLockedMsgObject queue;
        queue.PostMessageById(0, 1, 0, 1, std::make_unique<Tracked>(&deaths), nullptr);
        EXPECT_TRUE(queue.Release());
        EXPECT_EQ(deaths, 1);
        EXPECT_TRUE(queue.Release());
        // Still usable after Release; the destructor releases once more.
        queue.PostMessageById(0, 1, 0, 1, std::make_unique<Tracked>(&deaths), nullptr);
    }
    EXPECT_EQ(deaths, 2);
    {
        CBaseObject obj;
        EXPECT_TRUE(obj.Release());
        EXPECT_TRUE(obj.Release());
    }
}

TEST(MsgObjectTest, SetRouterPointsThePortAtTheManagersQueue) {
    CObjectMgr mgr;
    CMsgObject obj;
    EXPECT_EQ(obj.GetPort()->GetRouter(), nullptr);
    obj.SetRouter(&mgr);
    EXPECT_EQ(obj.GetPort()->GetRouter(), mgr.GetMsgQueue());
    obj.SetRouter(nullptr);
    EXPECT_EQ(obj.GetPort()->GetRouter(), nullptr);
}

}  // namespace
