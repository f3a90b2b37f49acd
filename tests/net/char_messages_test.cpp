// Characters entering the view (5, 51, 29), the character and status
// messages, the combat family and the event manager's input: payload to
// record fields, and how each record is delivered.
#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "net/handlers/appearance_messages.h"
#include "net/handlers/char_handlers.h"
#include "net/handlers/combat_handlers.h"
#include "net/handlers/scene_records.h"
#include "tests/net/char_bodies.h"
#include "tests/net/message_harness.h"
#include "tests/net/wire_bytes.h"

namespace {

using nettest::Bytes;
using nettest::Cat;
using nettest::CharAppearsBody;
using nettest::CharEntryBody;
using nettest::ObjectAppearsBody;
using nettest::OwnCharBody;
using nettest::StatusWords;
using nettest::Text;
using nettest::U16;
using nettest::U32;

using Delivery = std::vector<std::string>;

class CharMessages : public nettest::MessageHarness {
protected:
    // Dispatches the message and returns copies of the records of type R
    // handed over while it ran.
    template <class R>
    std::vector<R> Handed(uint8_t code, const Bytes& body) {
        std::vector<R> handed;
        m_world.m_onHand = [&handed](const CMsgPayload& record) {
            if (const auto* r = dynamic_cast<const R*>(&record)) handed.push_back(*r);
        };
        Dispatch(code, body);
        m_world.m_onHand = nullptr;
        return handed;
    }

    // The posted record at index, as R (null, and a failure, otherwise).
    template <class R>
    const R* Posted(size_t index) {
        if (index >= m_world.m_records.size()) {
            ADD_FAILURE() << "no record " << index;
            return nullptr;
        }
        const auto* record = dynamic_cast<const R*>(m_world.m_records[index].get());
        EXPECT_NE(record, nullptr) << "record " << index << " has id " << m_world.m_records[index]->m_id;
        return record;
    }

    // The connection was asked for write notification again.
    bool Rearmed() const { return m_connection->SelectMask() == CConnection::WRITE_CLOSE_EVENTS; }

    // How the records went: "how:id/delay" each.
    Delivery Deliveries() const {
        Delivery out;
        for (const auto& d : m_world.m_deliveries)
            out.push_back(d.how + ":" + std::to_string(d.id) + "/" + std::to_string(d.delay));
        return out;
    }
};

TEST(StatusSet, StatusIsABitOfItsWord) {
    struct Case {
        uint32_t status;
        int word, bit;
    } cases[] = {{1, 0, 0}, {32, 0, 31}, {33, 1, 0}, {49, 1, 16}, {96, 2, 31}, {128, 3, 31}};
    for (const Case& c : cases) {
        uint32_t words[4] = {};
        words[c.word] = 1u << c.bit;
        EXPECT_TRUE(IsStatusSet(words, c.status)) << c.status;
        words[c.word] = ~(1u << c.bit);
        EXPECT_FALSE(IsStatusSet(words, c.status)) << c.status;
    }
    const uint32_t all[4] = {~0u, ~0u, ~0u, ~0u};
    EXPECT_FALSE(IsStatusSet(all, 0));
    EXPECT_FALSE(IsStatusSet(all, 129));
}

TEST_F(CharMessages, OwnCharacterIsHandedRegisteredAndAnswered) {
    OwnCharBody plain;
    plain.optional = {0x1001, {11, 13}};
    plain.tail = {true, std::string(120, 't'), 5, 0xFE, 0};
    plain.name = std::string(70, 'n');
    OwnCharBody with49 = plain;
    with49.status = StatusWords::With49();
    with49.tail.extra = 49;
    ASSERT_EQ(with49.Wire().size(), plain.Wire().size() + 1)
        << "status 49 brings one byte before the position";

    for (const OwnCharBody& body : {plain, with49}) {
        Fresh(true);
        std::vector<CCharCreateMsg> handed = Handed<CCharCreateMsg>(5, body.Wire());
        ASSERT_EQ(handed.size(), 1u);
        const CCharCreateMsg& r = handed[0];
        EXPECT_EQ(r.m_id, 56u);
        EXPECT_EQ(r.m_charId, 7u);
        EXPECT_EQ(r.m_resourceId, 2000001u);
        EXPECT_EQ(r.m_equipment[0], 11);
        EXPECT_EQ(r.m_equipment[12], 13);
        for (int slot = 1; slot < 12; ++slot) EXPECT_EQ(r.m_equipment[slot], -1) << slot;
        EXPECT_EQ(r.m_smallFields[6], 7);
        EXPECT_EQ(r.m_status[1], body.status.words[1]);
        EXPECT_EQ(r.m_titleFlag, 1);
        EXPECT_EQ(std::string(r.m_title), std::string(99, 't')) << "cut to its 100-byte field";
        EXPECT_EQ(r.m_titleValue, 5);
        EXPECT_EQ(r.m_signedValue, -2);
        EXPECT_EQ(r.m_extraValue, body.tail.extra);
        EXPECT_EQ(r.m_tileX, 10u);
        EXPECT_EQ(r.m_tileY, 20u);
        EXPECT_EQ(r.m_direction, 6);
        EXPECT_EQ(std::string(r.m_name), std::string(63, 'n'));
        EXPECT_STREQ(r.m_secondName, "Shown");
        // What the message does not bring.
        EXPECT_EQ(r.m_ownFlag, 1);
        EXPECT_EQ(r.m_ringChoice, 0);
        EXPECT_EQ(r.m_creationParam, -1);
        EXPECT_STREQ(r.m_clubName, "");
        EXPECT_EQ(r.m_clubValue, 0u);
        EXPECT_EQ(r.m_entryCount, 0);

        ASSERT_NE(m_charResources->FindIdFlag(7), nullptr);
        EXPECT_EQ(m_charResources->FindIdFlag(7)->m_flag, 0);
        EXPECT_EQ(Queued(), std::vector<Bytes>{Bytes({27, 1})});
    }
}

TEST_F(CharMessages, CharacterAppearsWithItsEntries) {
    CharAppearsBody none;
    CharAppearsBody three = none;
    three.entries = {
        {1, std::string(70, 'a'), 2, 3, "b"}, {4, "c", 5, 6, std::string(70, 'd')}, {7, "e", 8, 9, "f"}};
    three.name = std::string(70, 'x');
    three.second = std::string(70, 'y');
    three.optional = {0x0080, {77}};
    three.status = StatusWords::With49();
    three.tail = {true, "title", 1, 2, 3};
    three.flagB = 9;

    struct Case {
        const char* name;
        CharAppearsBody body;
        uint8_t entries;
    } cases[] = {{"no entry", none, 0}, {"three entries, two kept", three, 2}};
    for (const Case& c : cases) {
        Fresh(true);
        std::vector<CCharCreateMsg> handed = Handed<CCharCreateMsg>(51, c.body.Wire());
        ASSERT_EQ(handed.size(), 1u) << c.name;
        const CCharCreateMsg& r = handed[0];
        EXPECT_EQ(r.m_charId, 8u) << c.name;
        EXPECT_EQ(r.m_direction, 14) << "7 doubled";
        EXPECT_EQ(r.m_ownFlag, 1) << "a boolean";
        EXPECT_EQ(r.m_ringFlag, c.body.flagB != 0);
        EXPECT_EQ(r.m_ringChoice, 4);
        EXPECT_EQ(r.m_resourceId, 2000002u) << c.name << ": read after the entries";
        EXPECT_EQ(r.m_equipment[7], c.body.optional.mask ? 77 : -1);
        EXPECT_EQ(r.m_entryCount, c.entries) << c.name;
        EXPECT_EQ(std::string(r.m_name), c.body.name.substr(0, 63));
        EXPECT_EQ(std::string(r.m_secondName), c.body.second.substr(0, 63));
        EXPECT_EQ(r.m_extraValue, c.body.tail.extra);
        ASSERT_NE(m_charResources->FindIdFlag(8), nullptr);
        EXPECT_TRUE(Queued().empty()) << "no answer to 51";
    }
    // The kept entries, cut to their fields.
    Fresh(true);
    const CCharCreateMsg r = Handed<CCharCreateMsg>(51, three.Wire()).at(0);
    EXPECT_EQ(std::string(r.m_entryTexts[0]), std::string(63, 'a'));
    EXPECT_STREQ(r.m_entrySecondTexts[0], "b");
    EXPECT_EQ(r.m_entryKinds[1], 4);
    EXPECT_EQ(r.m_entryValues[1], 5);
    EXPECT_EQ(r.m_entryNumbers[1], 6u);
    EXPECT_EQ(std::string(r.m_entrySecondTexts[1]), std::string(63, 'd'));
    EXPECT_STREQ(r.m_title, "title");
}

TEST_F(CharMessages, ObjectAppearanceTakesItsSlotsFromTheMask) {
    ObjectAppearsBody none;
    ObjectAppearsBody bit7 = none;
    bit7.optional = {0x0080, {1234}};
    ObjectAppearsBody all = none;
    all.optional = {0x1FFF, {100, 101, 102, 103, 104, 105, 106, 107, 108, 109, 110, 111, 112}};
    all.status = StatusWords::With49();
    all.flag = true;
    all.flagValue = 66;
    all.last = 8;
    all.extra = 9;
    ASSERT_EQ(bit7.Wire().size(), none.Wire().size() + 4);

    struct Case {
        const char* name;
        ObjectAppearsBody body;
        std::vector<int32_t> equipment;
        uint32_t flagValue;
        uint8_t last, extra;
    } cases[] = {
        {"mask 0", none, {-1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, 21}, 0, 0, 0},
        {"bit 7 only: read past", bit7, {-1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, 21}, 0, 0, 0},
        {"every bit, the flag and status 49",
         all,
         {100, 101, 102, 103, 104, 106, 105, 108, 109, 110, 111, 112, 21},
         66,
         8,
         9},
    };
    for (const Case& c : cases) {
        Fresh(true);
        Dispatch(29, c.body.Wire());
        ASSERT_EQ(Deliveries(), Delivery{"post:60/0"}) << c.name;
        const CCharAppearance* r = Posted<CCharAppearance>(0);
        ASSERT_NE(r, nullptr);
        EXPECT_EQ(r->m_charId, 9u);
        EXPECT_EQ(std::vector<int32_t>(r->m_equipment, r->m_equipment + 13), c.equipment) << c.name;
        EXPECT_EQ(std::vector<uint8_t>(r->m_smallFields, r->m_smallFields + 6),
                  (std::vector<uint8_t>{22, 23, 24, 25, 26, 27}));
        EXPECT_EQ(r->m_colorByte, 255);
        EXPECT_EQ(r->m_lastValue, c.last) << c.name;
        EXPECT_EQ(r->m_extraValue, c.extra) << c.name;
        EXPECT_EQ(r->m_spare, 0);
        EXPECT_EQ(r->m_flagValue, c.flagValue) << c.name;
        EXPECT_EQ(r->m_status[1], c.body.status.words[1]);
        EXPECT_EQ(m_charResources->GetIdFlagCount(), 0u) << "29 registers nothing";
    }
}

TEST_F(CharMessages, ValueListTakesSeventeenAndShiftsKind16) {
    Bytes many{20};
    for (int n = 0; n < 20; ++n)
        many = Cat({many, {uint8_t(n == 0 ? 16 : 20 + n)}, U32(n == 0 ? 3000000 : 100 + n)});
    many.push_back(0xEE);  // after the list: ignored
    Dispatch(22, many);
    ASSERT_EQ(Deliveries(), Delivery{"post:20/0"});
    const CValueListMsg* r = Posted<CValueListMsg>(0);
    ASSERT_NE(r, nullptr);
    EXPECT_EQ(r->m_count, 17);
    EXPECT_EQ(r->m_kinds[0], 16);
    EXPECT_EQ(r->m_values[0], 0u) << "kind 16 arrives offset by 3,000,000";
    EXPECT_EQ(r->m_values[16], 116u);
    EXPECT_EQ(r->m_flags[16], 1);

    Fresh(true);
    Dispatch(22, Cat({{1, 16}, U32(5)}));
    EXPECT_EQ(Posted<CValueListMsg>(0)->m_values[0], uint32_t(5 - 3000000)) << "wraps as a u32";
}

TEST_F(CharMessages, StatusGroupsAreThreeRecordsOrNone) {
    Dispatch(110, Cat({{0, 0}, U32(1), {1, 0}, U32(2), {2, 0}, U32(3)}));
    ASSERT_EQ(Deliveries(), (Delivery{"post:19/0", "post:19/0", "post:19/0"}));
    for (size_t n = 0; n < 3; ++n) {
        const CStatusGroupMsg* r = Posted<CStatusGroupMsg>(n);
        ASSERT_NE(r, nullptr);
        EXPECT_EQ(r->m_group, n);
        EXPECT_EQ(r->m_count, 0);
        for (uint32_t v : r->m_values) EXPECT_EQ(v, 3000000u);
        for (uint8_t f : r->m_flags) EXPECT_EQ(f, 0);
        EXPECT_EQ(r->m_trailing, n + 1);
    }

    // Seven entries in the first group: five kept, two read past.
    Fresh(true);
    Bytes first{0, 7};
    for (uint8_t n = 0; n < 7; ++n) first = Cat({first, {uint8_t(n + 1)}, U32(3000010u + n)});
    Dispatch(110, Cat({first, U32(9), {1, 0}, U32(2), {2, 1, 4}, U32(3000100), U32(3)}));
    ASSERT_EQ(m_world.m_records.size(), 3u);
    const CStatusGroupMsg* r = Posted<CStatusGroupMsg>(0);
    EXPECT_EQ(r->m_count, 5);
    EXPECT_EQ(r->m_values[4], 3000014u);
    EXPECT_EQ(r->m_kinds[4], 5);
    EXPECT_EQ(r->m_trailing, 9u);
    EXPECT_EQ(Posted<CStatusGroupMsg>(2)->m_values[0], 3000100u);
    EXPECT_EQ(Posted<CStatusGroupMsg>(2)->m_values[1], 3000000u);
}

TEST_F(CharMessages, StatusBlockReadsTheGroupsItsFlagsName) {
    Dispatch(8, {0});
    const CStatusBlockMsg* none = Posted<CStatusBlockMsg>(0);
    ASSERT_NE(none, nullptr);
    EXPECT_EQ(none->m_group10Byte, 1) << "the one field that is not 0 without its group";
    EXPECT_EQ(none->m_group08Byte, 0);
    EXPECT_EQ(none->m_group04[6], 0u);

    // Every group, each field numbered in wire order.
    Fresh(true);
    Bytes body{0xFF};
    uint32_t next = 1;
    auto dwords = [&](int n) {
        for (int i = 0; i < n; ++i) body = Cat({body, U32(next++)});
    };
    auto words = [&](int n) {
        for (int i = 0; i < n; ++i) body = Cat({body, U16(next++)});
    };
    dwords(4), words(1);              // 0x02: 1-5
    dwords(7);                        // 0x04: 6-12
    body.push_back(uint8_t(next++));  // 0x08: 13, then 14-16
    dwords(3);
    words(8);  // 0x10: 17-24, the byte 25, 26
    body.push_back(uint8_t(next++));
    dwords(1);
    words(7);             // 0x20: 27-33
    dwords(2), words(2);  // 0x40: 34-37
    Dispatch(8, body);
    const CStatusBlockMsg* r = Posted<CStatusBlockMsg>(0);
    ASSERT_NE(r, nullptr);
    EXPECT_EQ(r->m_flags, 0xFF);
    EXPECT_EQ(r->m_group02[0], 1u);
    EXPECT_EQ(r->m_group02Word, 5);
    EXPECT_EQ(r->m_group04[6], 12u);
    EXPECT_EQ(r->m_group08Byte, 13);
    EXPECT_EQ(r->m_group08[2], 16u);
    EXPECT_EQ(r->m_group10Words[7], 24);
    EXPECT_EQ(r->m_group10Byte, 25);
    EXPECT_EQ(r->m_group10Value, 26u);
    EXPECT_EQ(r->m_group20Words[6], 33);
    EXPECT_EQ(r->m_group40[1], 35u);
    EXPECT_EQ(r->m_group40Words[1], 37);
}

TEST_F(CharMessages, DeliveryOfTheSmallRecords) {
    struct Case {
        const char* name;
        uint8_t code;
        Bytes body;
        Delivery delivery;
        bool rearmed;
    } cases[] = {
        {"26 action 3 waits in the queue", 26, Cat({U32(7), {3}}), {"post:28/0"}, true},
        {"26 action 1 at once", 26, Cat({U32(7), {1}}), {"hand:28/0"}, true},
        {"43 form 0", 43, Cat({{0}, U32(7), U32(30)}), {"port:25/0"}, false},
        {"43 form 1", 43, Cat({{1}, U32(7), U32(30)}), {}, false},
        {"112 form 0", 112, Cat({{0}, U32(7), U32(300)}), {"post:24/0"}, true},
        {"112 form 2", 112, Cat({{2}, U32(7), U32(300)}), {}, true},
        {"105", 105, Cat({U32(7), {1, 2}}), {"post:29/0"}, false},
        {"87 form 2", 87, Cat({{2}, U32(7), Text("hi")}), {"post:114/0"}, false},
        {"87 form 1", 87, {1}, {}, false},
        {"71 form 0", 71, Cat({{0}, U32(7), U16(1), U16(2), {3}}), {"post:75/0"}, true},
        {"71 form 1", 71, Cat({{1}, U32(7), U32(9)}), {"post:74/0"}, true},
        {"71 form 2", 71, Cat({{2}, U32(7)}), {"post:73/0"}, true},
        {"71 form 3", 71, Cat({{3}, U32(7), {1}}), {}, true},
        {"71 form 4", 71, Cat({{4}, U32(7)}), {}, true},
        {"23", 23, {}, {"post:35/0"}, false},
        {"45", 45, Cat({U32(1), U32(2), U32(3)}), {"post:37/0"}, false},
        {"72", 72, U32(7), {"hand:34/0"}, false},
        {"98", 98, Cat({{1, 2}, U32(3), {4, 5}}), {"post:32/0"}, false},
        {"99", 99, {1, 2}, {"post:33/0"}, false},
        {"120", 120, Cat({U32(7), U32(2), {3, 4}, U32(8)}), {"post:38/0"}, false},
    };
    for (const Case& c : cases) {
        Fresh(true);
        ASSERT_FALSE(Rearmed());
        Dispatch(c.code, c.body);
        EXPECT_EQ(Deliveries(), c.delivery) << c.name;
        EXPECT_EQ(Rearmed(), c.rearmed) << c.name;
    }
}

TEST_F(CharMessages, SmallRecordFields) {
    Dispatch(71, Cat({{0}, U32(7), U16(1), U16(2), {3}}));
    const CCharStateMsg* state = Posted<CCharStateMsg>(0);
    ASSERT_NE(state, nullptr);
    EXPECT_EQ(state->m_charId, 7u);
    EXPECT_EQ(state->m_a, 1);
    EXPECT_EQ(state->m_b, 2);
    EXPECT_EQ(state->m_c, 3);

    Dispatch(98, Cat({{1, 2}, U32(3), {4, 5}}));
    const CSkillUpdateMsg* skill = Posted<CSkillUpdateMsg>(1);
    ASSERT_NE(skill, nullptr);
    EXPECT_EQ(skill->m_value, 3u);
    EXPECT_EQ(std::vector<uint8_t>(skill->m_bytes, skill->m_bytes + 4), (std::vector<uint8_t>{1, 2, 4, 5}));

    Dispatch(120, Cat({U32(7), U32(2), {3, 4}, U32(8)}));
    const CHitResultMsg* hit = Posted<CHitResultMsg>(2);
    ASSERT_NE(hit, nullptr);
    EXPECT_EQ(hit->m_targetId, 7u);
    EXPECT_EQ(hit->m_attackerId, 8u);
    EXPECT_EQ(hit->m_d, 4);

    Dispatch(87, Cat({{2}, U32(7), Text(std::string(200, 'w'))}));
    EXPECT_EQ(std::string(Posted<CCharTextMsg>(3)->m_text), std::string(103, 'w'));
    Dispatch(44, Cat({U32(1), U32(2), {3}, U32(4), Text(std::string(200, 'o')), U32(5), U32(6)}));
    const CTargetTextMsg* text = Posted<CTargetTextMsg>(4);
    ASSERT_NE(text, nullptr);
    EXPECT_EQ(std::string(text->m_text), std::string(99, 'o'));
    EXPECT_EQ(text->m_f, 6u) << "read after the whole text";
    Dispatch(112, Cat({{1}, U32(7), U32(0), Text(std::string(255, 'r'))}));
    EXPECT_EQ(std::string(Posted<CValueReactionMsg>(5)->m_text), std::string(255, 'r'));
}

TEST_F(CharMessages, SkillHitSharesTheTotalAndScalesTwoValues) {
    auto body = [](uint8_t level, uint8_t total, uint8_t count) {
        Bytes out = Cat({U32(3000001),
                         U32(7),
                         U32(0x000A0014),
                         {level},
                         U16(5),
                         {6},
                         U16(7),
                         U16(8),
                         {9},
                         {total},
                         {count}});
        for (uint8_t n = 0; n < count; ++n) out = Cat({out, U32(100u + n), U16(n), {1, 2}});
        return out;
    };
    struct Case {
        uint8_t level, total, count;
        uint8_t storedLevel;
        uint32_t share;
    } cases[] = {{3, 100, 3, 2, 33}, {0, 250, 1, 255, 250}, {1, 200, 0, 0, 0}, {2, 255, 255, 1, 1}};
    for (const Case& c : cases) {
        Fresh(true);
        std::vector<CSkillHitMsg> handed = Handed<CSkillHitMsg>(19, body(c.level, c.total, c.count));
        ASSERT_EQ(handed.size(), 1u);
        const CSkillHitMsg& r = handed[0];
        EXPECT_EQ(r.m_level, c.storedLevel) << "level - 1 in a byte";
        EXPECT_EQ(r.m_share, c.share) << int(c.total) << " over " << int(c.count);
        EXPECT_EQ(r.m_targetCount, c.count);
        EXPECT_EQ(r.m_g, 70u);
        EXPECT_EQ(r.m_h, 80u);
        EXPECT_EQ(r.m_x, 10u);
        EXPECT_EQ(r.m_y, 20u);
        EXPECT_EQ(r.m_e, 5u);
        if (c.count > 0) {
            EXPECT_EQ(r.m_targetIds[c.count - 1], 100u + c.count - 1);
            EXPECT_EQ(r.m_targetBytes2[c.count - 1], 2);
        }
    }
}

TEST_F(CharMessages, SkillActionKeepsLevelMinusOneAndTimeTimesTen) {
    struct Case {
        uint8_t level;
        uint16_t time;
        uint32_t storedLevel, storedTime;
    } cases[] = {{0, 30, 0xFFFFFFFF, 300}, {5, 0, 4, 0}, {1, 7000, 0, 70000}};
    for (const Case& c : cases) {
        Fresh(true);
        std::vector<CSkillActionMsg> handed = Handed<CSkillActionMsg>(
            63, Cat({U32(3000002), {c.level}, U32(7), U32(0x00050006), U16(1), U16(2), U32(8), U16(c.time)}));
        ASSERT_EQ(handed.size(), 1u);
        EXPECT_EQ(handed[0].m_level, c.storedLevel);
        EXPECT_EQ(handed[0].m_time, c.storedTime) << "no wrap in the record";
        EXPECT_EQ(handed[0].m_skillId, 3000002u);
        EXPECT_EQ(handed[0].m_actorId, 7u);
        EXPECT_EQ(handed[0].m_x, 5u);
        EXPECT_EQ(handed[0].m_y, 6u);
        EXPECT_EQ(handed[0].m_targetId, 8u);
    }
}

TEST_F(CharMessages, IdListsOfBothForms) {
    Dispatch(40, Cat({{0, 2}, U32(1), U16(2), U32(3), U16(4)}));
    Dispatch(40, Cat({{1, 3}, U32(5), U32(6), U32(7)}));
    Dispatch(40, Cat({{2, 1}, U32(5)}));
    ASSERT_EQ(Deliveries(), (Delivery{"post:43/0", "post:42/0"}));
    const CIdValueArrayMsg* pairs = Posted<CIdValueArrayMsg>(0);
    ASSERT_NE(pairs, nullptr);
    EXPECT_EQ(pairs->m_count, 2);
    EXPECT_EQ(pairs->m_ids, (std::vector<uint32_t>{1, 3}));
    EXPECT_EQ(pairs->m_values, (std::vector<uint16_t>{2, 4}));
    const CIdArrayMsg* ids = Posted<CIdArrayMsg>(1);
    ASSERT_NE(ids, nullptr);
    EXPECT_EQ(ids->m_ids, (std::vector<uint32_t>{5, 6, 7}));
}

TEST_F(CharMessages, EventInputFormsAndDelays) {
    Dispatch(68, nettest::EventInputBody(std::string(255, 'a')));
    Dispatch(68, {1});
    Dispatch(68, Cat({{2}, U32(8), U32(9), U16(3), {7, 8, 9}}));
    Dispatch(68, {3});
    ASSERT_EQ(Deliveries(), (Delivery{"event:101/2", "event:101/2", "event:102/0"}));
    const CEventInputMsg* input = Posted<CEventInputMsg>(0);
    ASSERT_NE(input, nullptr);
    EXPECT_EQ(input->m_kind, 0);
    EXPECT_EQ(input->m_value, 4);
    EXPECT_EQ(std::string(input->m_text1), std::string(199, 'a')) << "cut to its 200-byte field";
    EXPECT_STREQ(input->m_text2, "second");
    EXPECT_EQ(input->m_b, 2u);
    EXPECT_EQ(input->m_list1.m_first, std::vector<uint8_t>{1});
    EXPECT_EQ(input->m_list1.m_second, std::vector<uint8_t>{2});
    EXPECT_EQ(input->m_list2.m_first, (std::vector<uint8_t>{3, 5}));
    EXPECT_EQ(input->m_list2.m_second, (std::vector<uint8_t>{4, 6}));
    const CEventInputMsg* bare = Posted<CEventInputMsg>(1);
    ASSERT_NE(bare, nullptr);
    EXPECT_EQ(bare->m_kind, 1);
    EXPECT_EQ(bare->m_list1.Count(), 0);
    const CEventBlockMsg* block = Posted<CEventBlockMsg>(2);
    ASSERT_NE(block, nullptr);
    EXPECT_EQ(block->m_a, 8u);
    EXPECT_EQ(block->m_bytes, (std::vector<uint8_t>{7, 8, 9}));
}

TEST_F(CharMessages, EventInputCountsBeyondTheMessageAreRefused) {
    const Bytes head = Cat({{0, 4}, Text("a"), Text("b"), U32(1), U32(2), {0}});
    const Bytes cases[] = {
        Cat({head, U16(0xFFFF), {1, 2}}),
        Cat({head, U16(1), {1, 2}, U16(0x8000), {3, 4}}),
        Cat({{2}, U32(8), U32(9), U16(0xFFFF), {7, 8, 9}}),
    };
    for (const Bytes& body : cases) {
        Dispatch(68, body);
        EXPECT_TRUE(m_world.m_deliveries.empty()) << body.size();
    }
}

TEST_F(CharMessages, TimedPairCarriesItsArrivalAndWaitsThreeFrames) {
    m_clock.SetMilliseconds(123456);
    ASSERT_FALSE(Rearmed());
    Dispatch(95, Cat({U32(1), U32(2)}));
    m_clock.Advance(40);
    Dispatch(95, Cat({U32(3), U32(4)}));
    ASSERT_EQ(Deliveries(), (Delivery{"post:61/3", "post:61/3"}));
    EXPECT_EQ(Posted<CTimedPairMsg>(0)->m_arrival, 123456u);
    EXPECT_EQ(Posted<CTimedPairMsg>(1)->m_arrival, 123496u);
    EXPECT_EQ(Posted<CTimedPairMsg>(1)->m_b, 4u);
    EXPECT_TRUE(Rearmed());
}

TEST_F(CharMessages, StateEventReachesOnlyAPresentCharacter) {
    m_world.m_presentChars = {7};
    Dispatch(83, Cat({U32(7), {5}, U32(6)}));
    Dispatch(83, Cat({U32(7), {96}, U32(6), U16(4)}));
    Dispatch(83, Cat({U32(8), {5}, U32(6)}));
    EXPECT_EQ(m_world.m_stateEvents, (std::vector<std::string>{"7/5/6/0", "7/96/6/4", "8/5/6/0 absent"}));
    EXPECT_TRUE(m_world.m_deliveries.empty());
}

TEST_F(CharMessages, ClosedConnectionTakesOnlyTheMessagesThatDoNotTestIt) {
    const struct {
        uint8_t code;
        Bytes body;
        bool taken;
    } cases[] = {
        {5, OwnCharBody().Wire(), true},
        {51, CharAppearsBody().Wire(), true},
        {29, ObjectAppearsBody().Wire(), true},
        {26, Cat({U32(7), {1}}), true},
        {71, Cat({{2}, U32(7)}), true},
        {22, Cat({{1, 1}, U32(5)}), false},
        {19, Cat({U32(1), U32(7), U32(0), {1}, U16(0), {0}, U16(0), U16(0), {0}, {0}, {0}}), false},
        {68, {1}, false},
        {95, Cat({U32(1), U32(2)}), false},
    };
    for (const auto& c : cases) {
        Fresh(true);
        m_connection->Close();
        Dispatch(c.code, c.body);
        EXPECT_EQ(!m_world.m_deliveries.empty(), c.taken) << int(c.code);
    }
}

TEST(CharRecords, SetKeepsCountsWithinTheArrays) {
    const uint32_t values[400] = {7, 8, 9, 10, 11, 12, 13};
    const uint8_t kinds[400] = {1, 2, 3, 4, 5, 6, 7};
    CStatusGroupMsg group;
    group.Set(2, 200, values, kinds, 9);
    EXPECT_EQ(group.m_count, CStatusGroupMsg::MAX_ENTRIES);
    EXPECT_EQ(group.m_values[4], 11u);
    CValueListMsg list;
    list.Set(255, kinds, values);
    EXPECT_EQ(list.m_count, CValueListMsg::MAX_ENTRIES);
    CIdListMsg ids;
    ids.Set(1, 1000, values, 200, kinds);
    EXPECT_EQ(ids.m_count, CIdListMsg::MAX_IDS);
    EXPECT_EQ(ids.m_byteCount, CIdListMsg::MAX_BYTES);
    CComboListMsg combo;
    combo.Set(1, 100000, values, values);
    EXPECT_EQ(combo.m_count, CComboListMsg::MAX_PAIRS);
    const CSkillTarget targets[300] = {};
    CSkillHitMsg hit;
    hit.Set(1, 1, 1, 300, targets, 0, 0, 0, 512, 0, 0, 0, 0);
    EXPECT_EQ(hit.m_targetCount, CSkillHitMsg::MAX_TARGETS);
    EXPECT_EQ(hit.m_share, 2u);
    const char* names[300] = {"first"};
    CNameListMsg names100;
    names100.Set(1, 250, names, nullptr, nullptr);
    EXPECT_EQ(names100.m_count, CNameListMsg::MAX_NAMES);
    EXPECT_STREQ(names100.m_names[0], "first");
    EXPECT_STREQ(names100.m_names[1], "");
    CCharCreateFields fields;
    fields.m_entryCount = 9;
    CCharCreateMsg created;
    created.Set(fields);
    EXPECT_EQ(created.m_entryCount, CCharCreateFields::MAX_ENTRIES);
    // A text filled to the brim is cut to a proper text.
    std::fill_n(fields.m_name, sizeof fields.m_name, 'z');
    created.Set(fields);
    EXPECT_EQ(std::string(created.m_name), std::string(63, 'z'));
}

TEST(CharRecords, OwnedArraysGoWithTheRecord) {
    const uint32_t ids[3] = {1, 2, 3};
    const uint16_t values[3] = {4, 5, 6};
    const uint8_t bytes[4] = {1, 2, 3, 4};
    std::vector<std::unique_ptr<CMsgPayload>> records;
    auto idArray = std::make_unique<CIdArrayMsg>();
    idArray->Set(3, ids);
    records.push_back(std::move(idArray));
    auto pairs = std::make_unique<CIdValueArrayMsg>();
    pairs->Set(3, ids, values);
    records.push_back(std::move(pairs));
    auto input = std::make_unique<CEventInputMsg>();
    input->Set(0, 1, "a", "b", 1, 2, 2, bytes, bytes + 2, 1, bytes, bytes);
    EXPECT_EQ(input->m_list1.m_second, (std::vector<uint8_t>{3, 4}));
    records.push_back(std::move(input));
    auto block = std::make_unique<CEventBlockMsg>();
    block->Set(1, 2, 4, bytes);
    records.push_back(std::move(block));
    records.clear();  // deleted through the base, as a queue deletes them
}

}  // namespace
