// The messages that reach the map or let an object go: the map change (21),
// an object leaving the view (14) by the kind the id register holds, and a
// map object moving into a field slot (90).
#include <string>
#include <vector>

#include "net/handlers/map_records.h"
#include "tests/net/message_harness.h"
#include "tests/net/wire_bytes.h"

namespace {

using nettest::Bytes;
using nettest::Cat;
using nettest::U16;
using nettest::U32;

class MapMessages : public nettest::MessageHarness {
protected:
    // "how:id" of each record delivered, with the object id of the map's
    // one-id records and of 26 handed to the character manager.
    std::vector<std::string> Delivered(uint8_t code, const Bytes& body) {
        std::vector<std::string> out;
        m_world.m_onHand = [&out](const CMsgPayload& record) {
            std::string text = std::to_string(record.m_id);
            if (const auto* one = dynamic_cast<const CMapIdMsg*>(&record))
                text += "(" + std::to_string(one->m_objectId) + ")";
            out.push_back(text);
        };
        Dispatch(code, body);
        m_world.m_onHand = nullptr;
        std::vector<std::string> delivered;
        for (size_t n = 0; n < m_world.m_deliveries.size(); ++n)
            delivered.push_back(m_world.m_deliveries[n].how + ":" + (n < out.size() ? out[n] : "?"));
        return delivered;
    }
    bool Rearmed() const { return m_connection->SelectMask() == CConnection::WRITE_CLOSE_EVENTS; }
};

TEST_F(MapMessages, MapChangeIsHandedToTheMapAtOnce) {
    CMapChangeMsg handed;
    m_world.m_onHand = [&handed](const CMsgPayload& record) {
        if (const auto* r = dynamic_cast<const CMapChangeMsg*>(&record)) handed = *r;
    };
    m_connection->Close();  // not tested
    Dispatch(21, Cat({U16(9), U16(1427), {0x0C, 5}}));
    EXPECT_EQ(m_world.m_deliveries.size(), 1u);
    EXPECT_EQ(handed.m_id, MAP_MSG_CHANGE_MAP);
    EXPECT_EQ(handed.m_stage, 1427);
    EXPECT_EQ(handed.m_serverAttrFlag, 1) << "the server's attribute byte decides the zones";
    EXPECT_EQ(handed.m_attrByte, 0x0C);
    EXPECT_EQ(handed.m_eventByte, 5);

    Fresh(false);  // no map: nothing taken, still re-armed
    Dispatch(21, Cat({U16(9), U16(1427), {0x0C, 5}}));
    EXPECT_TRUE(m_world.m_deliveries.empty());
    EXPECT_TRUE(Rearmed());
}

TEST_F(MapMessages, ObjectLeavesByTheKindTheRegisterHolds) {
    struct Case {
        const char* name;
        int kind;  // -1: not in the register
        bool mapData;
        std::vector<std::string> delivered;
    } cases[] = {
        {"a character", 0, true, {"hand:26(7)"}},
        {"a character of kind 3, without map data", 3, false, {"hand:26(7)"}},
        {"a map object", 6, true, {"map:26(7)"}},
        {"an area marker", 9, true, {"map:80(7)"}},
        {"a server object", 10, true, {"map:82(7)"}},
        {"a map object without map data", 6, false, {}},
        {"another kind", 7, true, {}},
        {"an id the register does not hold", -1, true, {}},
    };
    for (const Case& c : cases) {
        Fresh(true);
        m_world.m_hasMapData = c.mapData;
        m_charResources->SetIdFlag(8, 0);
        if (c.kind >= 0) m_charResources->SetIdFlag(7, uint8_t(c.kind));
        EXPECT_EQ(Delivered(14, U32(7)), c.delivered) << c.name;
        EXPECT_EQ(m_charResources->FindIdFlag(7), nullptr) << c.name;
        EXPECT_NE(m_charResources->FindIdFlag(8), nullptr) << c.name << ": another id stays";
        EXPECT_TRUE(Rearmed()) << c.name;
    }

    // The connection is not asked.
    Fresh(true);
    m_charResources->SetIdFlag(7, ID_KIND_CHAR);
    m_connection->Close();
    EXPECT_EQ(Delivered(14, U32(7)), std::vector<std::string>{"hand:26(7)"});
}

TEST_F(MapMessages, MapObjectMovesWhetherOrNotTheRegisterHoldsIt) {
    for (bool registered : {true, false}) {
        Fresh(true);
        if (registered) m_charResources->SetIdFlag(7, ID_KIND_MAP_OBJECT);
        CObjectToFieldMsg handed;
        m_world.m_onHand = [&handed](const CMsgPayload& record) {
            if (const auto* r = dynamic_cast<const CObjectToFieldMsg*>(&record)) handed = *r;
        };
        Dispatch(90, Cat({U32(7), U16(300), U16(65535)}));
        ASSERT_EQ(m_world.m_deliveries.size(), 1u) << registered;
        EXPECT_EQ(handed.m_objectId, 7u);
        EXPECT_EQ(handed.m_x, 300);
        EXPECT_EQ(handed.m_y, 65535) << "a word, not signed";
        EXPECT_EQ(m_charResources->GetIdFlagCount(), 0u);
        EXPECT_FALSE(Rearmed());
    }
}

}  // namespace
