// The local server's items: what a character carries into the field, an item
// dropped on the ground that every player sees lie there, and picked up
// again. The messages are checked byte for byte against their wire layout.
#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "core/config.h"
#include "net/game_session.h"
#include "tests/support/server_bot.h"
#include "tests/tools/qmserver_fixture.h"
#include "tools/qmserver/qm_server.h"
#include "tools/qmserver/server_hall.h"
#include "tools/qmserver/server_world.h"

namespace {

using Bytes = std::vector<uint8_t>;
using qmtest::ClientRequest;
using qmtest::ServerBot;

constexpr char kWorld[] =
    "world 1 Quill\n"
    "map 3 12 14\n"
    "terms Be kind.\n"
    "item 0 3001 5 Wild Herb\n"
    "item 2 3002 1 Stone\n";

Bytes U16(uint16_t v) {
    return {uint8_t(v >> 8), uint8_t(v)};
}
Bytes U32(uint32_t v) {
    return {uint8_t(v >> 24), uint8_t(v >> 16), uint8_t(v >> 8), uint8_t(v)};
}
Bytes Text(const std::string& s) {
    Bytes b{uint8_t(s.size())};
    b.insert(b.end(), s.begin(), s.end());
    return b;
}
Bytes Cat(std::initializer_list<Bytes> parts) {
    Bytes all;
    for (const Bytes& p : parts) all.insert(all.end(), p.begin(), p.end());
    return all;
}

// 15: slot; item id; second id; a byte; name; date; a byte; option form 0 and the count.
Bytes BagItem(uint8_t slot, uint32_t itemId, const std::string& name, uint16_t count) {
    return Cat({{15, slot}, U32(itemId), U32(0), {0}, Text(name), U32(0), {0, 0}, U16(count)});
}
// 7 with one item on the ground: kind 3; item id; object id; a byte; name; date;
// tile; a value; count.
Bytes Lying(uint32_t objectId, uint32_t itemId, const std::string& name, uint16_t x, uint16_t y,
            uint16_t count) {
    return Cat({{7},
                U16(1),
                {3},
                U32(itemId),
                U32(objectId),
                {0},
                Text(name),
                U32(0),
                U16(x),
                U16(y),
                U32(0),
                U16(count)});
}
Bytes Leaves(uint32_t objectId) {
    return Cat({{14}, U32(objectId)});
}

class QmServerItemsTest : public qmtest::QmServerFixture {
protected:
    QmServerItemsTest() : QmServerFixture(kWorld) {}
};

}  // namespace

TEST_F(QmServerItemsTest, ItemsAreCarriedDroppedAndPickedUp) {
    ServerBot ann, bob;
    ASSERT_NO_FATAL_FAILURE(EnterNew(ann, "Ann"));
    EXPECT_EQ(ann.ReceiveCode(15), BagItem(0, 3001, "Wild Herb", 5));
    EXPECT_EQ(ann.ReceiveCode(15), BagItem(2, 3002, "Stone", 1));
    ASSERT_NO_FATAL_FAILURE(EnterNew(bob, "Bob"));
    EXPECT_EQ(bob.ReceiveCode(15), BagItem(0, 3001, "Wild Herb", 5));

    // Ann drops two of her herbs on tile (13, 12): the rest stays in her
    // bag, and both see the two lie there.
    ASSERT_TRUE(ann.Send(ClientRequest([](CGameSession& s) { s.SendPointRequest(0, 2, 13, 12); })));
    const uint32_t object = CServerHall::FIRST_OBJECT_ID;
    EXPECT_EQ(ann.ReceiveCode(15), BagItem(0, 3001, "Wild Herb", 3));
    EXPECT_EQ(ann.ReceiveCode(7), Lying(object, 3001, "Wild Herb", 13, 12, 2));
    EXPECT_EQ(bob.ReceiveCode(7), Lying(object, 3001, "Wild Herb", 13, 12, 2));
    EXPECT_TRUE(m_server->Logged("<- 8 drops 2 Wild Herb from slot 0 at 13,12: object 600000"));
    // Nothing in the slot, or more than it holds: nothing is dropped.
    ASSERT_TRUE(ann.Send(ClientRequest([](CGameSession& s) { s.SendPointRequest(1, 1, 13, 12); })));
    ASSERT_TRUE(ann.Send(ClientRequest([](CGameSession& s) { s.SendPointRequest(2, 2, 13, 12); })));
    EXPECT_TRUE(ann.ReceiveCode(7, 300).empty());

    // Bob picks them up: they leave everyone's view and come into his first free slot.
    ASSERT_TRUE(bob.Send(ClientRequest([&](CGameSession& s) { s.SendPickUp(object); })));
    EXPECT_EQ(bob.ReceiveCode(14), Leaves(object));
    EXPECT_EQ(ann.ReceiveCode(14), Leaves(object));
    EXPECT_EQ(bob.ReceiveCode(15), BagItem(1, 3001, "Wild Herb", 2));
    EXPECT_TRUE(m_server->Logged("<- 7 picks up object 600000, Wild Herb into slot 1"));
    // It is gone: a second pick-up finds nothing.
    ASSERT_TRUE(ann.Send(ClientRequest([&](CGameSession& s) { s.SendPickUp(object); })));
    EXPECT_TRUE(ann.ReceiveCode(15, 300).empty());
    EXPECT_TRUE(m_server->Logged("<- 7 nothing to pick up as object 600000"));
}

TEST_F(QmServerItemsTest, APlayerEnteringLaterSeesWhatLiesOnTheGround) {
    ServerBot ann, bob;
    ASSERT_NO_FATAL_FAILURE(EnterNew(ann, "Ann"));
    ASSERT_TRUE(ann.Send(ClientRequest([](CGameSession& s) { s.SendPointRequest(2, 1, 20, 21); })));
    EXPECT_FALSE(ann.ReceiveCode(7).empty());
    ASSERT_NO_FATAL_FAILURE(EnterNew(bob, "Bob"));
    EXPECT_EQ(bob.ReceiveCode(7), Lying(CServerHall::FIRST_OBJECT_ID, 3002, "Stone", 20, 21, 1));
}

TEST(QmServerItemsWorld, ItemLinesAreChecked) {
    for (const char* line : {"item 65 3001 1 Herb", "item 0 3001 0 Herb", "item 0 3001 1", "item x 1 1 Herb",
                             "item 0 3001 70000 Herb"}) {
        std::string error;
        EXPECT_FALSE(CServerWorld::Parse(std::string("world 1 Q\nmap 3 1 1\n") + line + "\n", &error))
            << line;
        EXPECT_NE(error.find("item SLOT ITEM_ID COUNT NAME"), std::string::npos) << error;
    }
}
