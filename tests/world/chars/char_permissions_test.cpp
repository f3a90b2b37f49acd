// The controller's checks: statuses, motions, delays, costs, the throttle,
// the chat block, attacks by target and map, visibility and nearness.
#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <set>
#include <string>

#include "data/item_object.h"
#include "data/item_table_mgr.h"
#include "tests/world/chars/skill_fixture.h"
#include "ui/items/item_info.h"

using namespace chartest;

namespace {

void SetStatus(CCharData* data, int32_t status) {
    std::fill(std::begin(data->m_status), std::end(data->m_status), 0u);
    if (status > 0) data->m_status[(status - 1) / 32] |= 1u << ((status - 1) % 32);
}

class CharPermissionsTest : public SkillFixture {
protected:
    void SetUp() override {
        SkillFixture::SetUp();
        m_player = MakePlayer();
        ASSERT_TRUE(m_player);
        m_data = m_player->GetData();
        m_controller = m_player->GetController();
        m_data->SetMotion(MOTION_STAND);
    }
    CChar* m_player = nullptr;
    CCharData* m_data = nullptr;
    CCharController* m_controller = nullptr;
    qmtest::ScopedTextTables m_texts{{{CHECK_TEXT_TABLE,
                                       {"", "", "", "", "", "", "", "", "not now", "second gauge", "stamina",
                                        "energy", "fourth gauge", "fifth gauge", "map limit"}}}};
};

TEST_F(CharPermissionsTest, EachCheckRefusesItsStatuses) {
    g_config.m_useServer = true;
    MakeMap("  @16 text \"0001\"\n");  // battle allowed
    WithSkills(m_player, {kAttackRow});
    CChar* monster = Make(CHAR_KIND_MONSTER, 5);
    ASSERT_TRUE(monster);
    struct Check {
        const char* name;
        std::set<int32_t> refusing;
        std::function<bool()> ask;
    };
    const Check checks[] = {
        {"CanStartAction", {4, 5, 6, 7, 8, 19}, [&] { return m_controller->CanStartAction(); }},
        {"CanControl", {4, 5, 6, 7, 8, 19}, [&] { return m_controller->CanControl(); }},
        {"CanStandUp", {4, 6, 7, 8, 23}, [&] { return m_controller->CanStandUp(); }},
        {"IsNotStunned", {6, 7, 8}, [&] { return m_controller->IsNotStunned(); }},
        {"ThrottleAction",
         {4, 5, 7, 8},
         [&] {
             m_data->m_actedOnce = 0;
             return m_controller->ThrottleAction();
         }},
        {"CanUseSkill",
         {4, 5, 7, 8, 9},
         [&] { return m_controller->CanUseSkill(true, 0, true, nullptr, 0); }},
        {"CanAttack", {4, 5, 6, 7, 8, 9}, [&] { return m_controller->CanAttack(monster); }},
    };
    for (const Check& check : checks)
        for (int32_t status = 0; status <= 25; ++status) {
            SetStatus(m_data, status);
            EXPECT_EQ(check.ask(), !check.refusing.count(status)) << check.name << " under status " << status;
        }
    SetStatus(m_data, 54);
    EXPECT_TRUE(m_controller->IsStatus54Set());
    SetStatus(m_data, 9);
    EXPECT_TRUE(m_controller->IsStatus9Set());
    m_events.visualEvent = true;  // a visual event shows everyone as they are
    EXPECT_FALSE(m_controller->IsStatus9Set());
    m_events.visualEvent = false;
}

TEST_F(CharPermissionsTest, MotionsGateTheChecks) {
    struct Case {
        uint32_t motion;
        bool free, start, accept, control, actNow, standUp;
    };
    const Case cases[] = {
        {MOTION_STAND, true, true, true, true, true, true},
        {MOTION_REST_POSE, true, false, false, true, true, true},  // the rest motion is 0
        {MOTION_WALK, true, true, true, true, true, false},
        {MOTION_RUN, true, true, true, true, true, false},
        {MOTION_HELD_DOWN, false, false, true, true, true, false},
        {MOTION_DEAD, false, false, false, false, true, false},
        {MOTION_SKILL, false, false, false, false, false, false},
        {MOTION_CAST, false, false, false, false, false, false},
        {MOTION_PUSHED, false, false, false, true, true, false},
        {MOTION_LYING, false, false, false, true, true, false},
        {MOTION_HIT, true, false, false, true, true, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.motion);
        m_data->m_motion = c.motion;
        EXPECT_EQ(m_controller->IsFreeToAct(), c.free);
        EXPECT_EQ(m_controller->CanStartAction(), c.start);
        EXPECT_EQ(m_controller->CanAcceptCommand(), c.accept);
        EXPECT_EQ(m_controller->CanControl(), c.control);
        EXPECT_EQ(m_controller->CanActNow(), c.actNow);
        EXPECT_EQ(m_controller->CanStandUp(), c.standUp);
    }
    // Events: a running visual event stops a start; a locked field script
    // stops commands and control.
    m_data->m_motion = MOTION_STAND;
    m_events.visualEvent = true;
    EXPECT_FALSE(m_controller->CanStartAction());
    EXPECT_TRUE(m_controller->CanAcceptCommand());  // not locked
    m_events.visualEvent = false;
    m_events.fieldScript = true;
    EXPECT_FALSE(m_controller->CanControl());
    EXPECT_TRUE(m_controller->CanStartAction());
}

TEST_F(CharPermissionsTest, CanActNowWaitsForEveryDelay) {
    for (int delay = 0; delay < 4; ++delay) {
        SCOPED_TRACE(delay);
        m_data->m_actionStart[delay] = Clock().Milliseconds();
        m_data->m_actionDelay[delay] = 300;
        Clock().Advance(299);
        EXPECT_FALSE(m_controller->CanActNow());
        Clock().Advance(1);
        EXPECT_TRUE(m_controller->CanActNow());
    }
}

TEST_F(CharPermissionsTest, SkillRefusalsExplainThemselvesInASizedText) {
    g_config.m_useServer = true;
    WithSkills(m_player, {kAttackRow, kSkillRow});
    char text[64];
    std::strcpy(text, "old");
    SetStatus(m_data, 7);
    EXPECT_FALSE(m_controller->CanUseSkill(false, 0, false, text, sizeof text));
    EXPECT_STREQ(text, "not now");
    char small[4];
    EXPECT_FALSE(m_controller->CanUseSkill(true, 0, false, small, sizeof small));
    EXPECT_STREQ(small, "not");
    // Status 11 refuses skills with the text; attacks go on.
    SetStatus(m_data, 11);
    EXPECT_FALSE(m_controller->CanUseSkill(false, SKILL_ID_BASE + kSkillRow, false, text, sizeof text));
    EXPECT_STREQ(text, "not now");
    EXPECT_TRUE(m_controller->CanUseSkill(true, 0, false, text, sizeof text));
    EXPECT_STREQ(text, "");
    // A pending target stops attacks unless forced.
    SetStatus(m_data, 0);
    m_data->m_pendingTarget = 5;
    EXPECT_FALSE(m_controller->CanUseSkill(true, 0, false, nullptr, 0));
    EXPECT_TRUE(m_controller->CanUseSkill(true, 0, true, nullptr, 0));
    m_data->m_pendingTarget = -1;
    // Dead, held down, lying and pushed characters use nothing; nor one
    // without a learned skill on a server.
    for (uint32_t motion : {MOTION_DEAD, MOTION_HELD_DOWN, MOTION_LYING, MOTION_PUSHED, MOTION_CAST}) {
        m_data->m_motion = motion;
        EXPECT_FALSE(m_controller->CanUseSkill(true, 0, true, nullptr, 0)) << motion;
    }
    m_data->m_motion = MOTION_SKILL;
    EXPECT_TRUE(m_controller->CanUseSkill(true, 0, true, nullptr, 0));
    m_player->GetAction()->m_skillReady = 0;
    EXPECT_FALSE(m_controller->CanUseSkill(true, 0, true, nullptr, 0));
    CChar* other = Make(CHAR_KIND_PLAYER, 9);
    EXPECT_FALSE(other->GetController()->CanUseSkill(true, 0, true, nullptr, 0));
}

TEST_F(CharPermissionsTest, SkillCostsAreComparedInOrder) {
    g_config.m_useServer = true;
    WithSkills(m_player, {kSkillRow});
    MakeMap("");
    const uint32_t skill = SKILL_ID_BASE + kSkillRow;  // costs 10, 20, 30, 40, 50, 60
    struct Case {
        uint32_t second, stamina, energy, fourth, fifth, mapValue;
        const char* text;  // "" when allowed
    };
    const Case cases[] = {
        {10, 20, 30, 40, 50, 60, ""},
        {9, 0, 0, 0, 0, 0, "second gauge"},
        {10, 19, 0, 0, 0, 0, "stamina"},
        {10, 20, 29, 0, 0, 0, "energy"},
        {10, 20, 30, 39, 0, 0, "fourth gauge"},
        {10, 20, 30, 40, 49, 0, "fifth gauge"},
        {10, 20, 30, 40, 50, 59, "map limit"},
        {0, 0, 0, 0, 0, 60, "second gauge"},  // the first shortfall wins
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        m_data->m_values[VALUE_SECOND_GAUGE] = c.second;
        m_data->m_values[VALUE_STAMINA] = c.stamina;
        m_data->m_values[VALUE_ENERGY] = c.energy;
        m_data->m_values[VALUE_FOURTH_GAUGE] = c.fourth;
        m_data->m_values[VALUE_FIFTH_GAUGE] = c.fifth;
        m_map->m_fieldValue = c.mapValue;
        char text[32] = "x";
        EXPECT_EQ(m_controller->CanUseSkill(false, skill, false, text, sizeof text), !*c.text);
        EXPECT_STREQ(text, c.text);
    }
    // The selected skill when none is named; without a server nothing costs.
    m_data->SelectSkill(1, kSkillRow);
    EXPECT_FALSE(m_controller->CanUseSkill(false, 0, false, nullptr, 0));
    g_config.m_useServer = false;
    EXPECT_TRUE(m_controller->CanUseSkill(false, skill, false, nullptr, 0));
}

TEST_F(CharPermissionsTest, DelaysAndTheComboWindow) {
    WithSkills(m_player, {kAttackRow, kSkillRow});
    const uint32_t now = Clock().Milliseconds();
    auto attack = [&] { return m_controller->CanUseSkill(true, 0, false, nullptr, 0); };
    auto skill = [&] {
        return m_controller->CanUseSkill(false, SKILL_ID_BASE + kSkillRow, false, nullptr, 0);
    };
    // The casts must be over.
    m_data->m_actionStart[CCharData::DELAY_ATTACK_CAST] = now;
    m_data->m_actionDelay[CCharData::DELAY_ATTACK_CAST] = 100;
    EXPECT_FALSE(attack());
    EXPECT_TRUE(skill());
    m_data->m_actionStart[CCharData::DELAY_SKILL_CAST] = now;
    m_data->m_actionDelay[CCharData::DELAY_SKILL_CAST] = 100;
    EXPECT_FALSE(skill());
    Clock().Advance(100);
    EXPECT_TRUE(attack());
    EXPECT_TRUE(skill());
    // During the pause after a use only the open combo window lets one follow.
    m_data->m_actionStart[CCharData::DELAY_ATTACK_AFTER] = Clock().Milliseconds();
    m_data->m_actionDelay[CCharData::DELAY_ATTACK_AFTER] = 1000;
    m_data->m_actionStart[CCharData::DELAY_SKILL_AFTER] = Clock().Milliseconds();
    m_data->m_actionDelay[CCharData::DELAY_SKILL_AFTER] = 1000;
    EXPECT_FALSE(attack());
    EXPECT_FALSE(skill());
    m_data->m_comboWindowOpen = 1;
    m_data->m_comboWindowTime = Clock().Milliseconds();
    Clock().Advance(500);
    EXPECT_TRUE(attack());
    EXPECT_TRUE(skill());
    Clock().Advance(1);
    EXPECT_FALSE(attack());
}

TEST_F(CharPermissionsTest, ThrottleWaitsTheMapsInterval) {
    struct Case {
        const char* properties;  // "" and no map: none
        bool map;
        uint32_t interval;
    };
    for (const Case& c :
         {Case{"", false, 500}, Case{"", true, 500}, Case{"  @48 text \"250\"\n", true, 250},
          Case{"  @48 text \"fast\"\n", true, 500}, Case{"  @48 text \"-20\"\n", true, 500}}) {
        SCOPED_TRACE(c.properties);
        if (c.map) MakeMap(c.properties);
        m_data->m_actedOnce = 0;
        EXPECT_TRUE(m_controller->ThrottleAction());
        Clock().Advance(c.interval - 1);
        EXPECT_FALSE(m_controller->ThrottleAction());
        Clock().Advance(1);
        EXPECT_TRUE(m_controller->ThrottleAction());
        Clock().Advance(1000);
    }
    m_data->m_motion = MOTION_PUSHED;
    Clock().Advance(1000);
    EXPECT_FALSE(m_controller->ThrottleAction());
}

TEST_F(CharPermissionsTest, TheChatBlockEndsOnceItsLengthHasPassed) {
    EXPECT_TRUE(m_controller->CanChat());
    m_data->m_chatBlockOn = 1;
    m_data->m_chatBlockStart = Clock().Milliseconds();
    m_data->m_chatBlockLength = 3000;
    Clock().Advance(3000);
    EXPECT_FALSE(m_controller->CanChat());
    EXPECT_EQ(m_data->m_chatBlockOn, 1);
    Clock().Advance(1);
    EXPECT_TRUE(m_controller->CanChat());
    EXPECT_EQ(m_data->m_chatBlockOn, 0);
    EXPECT_TRUE(m_controller->CanChat());
}

TEST_F(CharPermissionsTest, AttacksByTargetAndMap) {
    CChar* monster = Make(CHAR_KIND_MONSTER, 5);
    CChar* npc = Make(CHAR_KIND_NPC, 6);
    CChar* other = Make(CHAR_KIND_PLAYER, 7);
    ASSERT_TRUE(monster && npc && other);
    EXPECT_FALSE(m_controller->CanAttack(nullptr));
    EXPECT_FALSE(m_controller->CanAttack(m_player));
    EXPECT_TRUE(m_controller->CanAttack(npc));  // anything goes without a server
    g_config.m_useServer = true;
    EXPECT_FALSE(m_controller->CanAttack(monster));  // no map
    struct Case {
        const char* properties;
        CChar* target;
        uint8_t attackable;
        bool dead;
        bool expected;
    };
    const Case cases[] = {
        {"  @16 text \"0000\"\n", monster, 1, false, false},  // no battle here
        {"  @16 text \"0001\"\n", monster, 0, false, true},
        {"  @16 text \"0001\"\n", monster, 1, true, false},  // dead: never
        {"  @16 text \"0001\"\n", npc, 1, false, false},
        {"  @16 text \"0001\"\n", other, 1, false, false},  // players only where they may fight
        {"  @16 text \"0011\"\n", other, 0, false, true},
        {"  @15 byte 4\n  @16 text \"0011\"\n", monster, 0, false, false},  // kind 4: the target's byte
        {"  @15 byte 4\n  @16 text \"0011\"\n", monster, 1, false, true},
        {"  @15 byte 4\n  @16 text \"0011\"\n", other, 0, false, false},
        {"  @15 byte 5\n  @16 text \"0001\"\n", other, 1, false, true},
        {"  @15 byte 5\n  @16 text \"0001\"\n", monster, 0, false, true},
        {"  @4 byte 1\n  @16 text \"0011\"\n", monster, 1, false, false},  // a no-battle zone
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.properties) + " target " + std::to_string(c.target->GetCharId()));
        MakeMap(c.properties);
        c.target->m_attackable = c.attackable;
        c.target->GetData()->m_motion = c.dead ? MOTION_DEAD : MOTION_STAND;
        EXPECT_EQ(m_controller->CanAttack(c.target), c.expected);
    }
}

struct HidingEvents : FakeEvents {
    bool hide = false;
    bool IsPlayerHideSet() override { return hide; }
};

TEST_F(CharPermissionsTest, VisibilityToTheUser) {
    HidingEvents events;
    ScopedAniEvents scoped(events);
    CChar* other = Make(CHAR_KIND_PLAYER, 7);
    CChar* monster = Make(CHAR_KIND_MONSTER, 8);
    CCharController* c = other->GetController();
    EXPECT_TRUE(c->IsCharVisible(m_player));  // no map
    MakeMap("");
    EXPECT_TRUE(c->IsCharVisible(m_player));
    EXPECT_TRUE(c->IsCharVisible(nullptr));
    // Status 9 hides outside visual events.
    SetStatus(other->GetData(), 9);
    EXPECT_FALSE(c->IsCharVisible(m_player));
    EXPECT_TRUE(c->IsCharVisible(other));
    events.visualEvent = true;
    EXPECT_TRUE(c->IsCharVisible(m_player));
    events.visualEvent = false;
    other->m_alwaysVisible = 1;
    EXPECT_TRUE(c->IsCharVisible(m_player));
    other->m_alwaysVisible = 0;
    SetStatus(other->GetData(), 0);
    // A field script with the hide byte hides players only.
    events.fieldScript = events.hide = true;
    EXPECT_FALSE(c->IsCharVisible(m_player));
    EXPECT_TRUE(monster->GetController()->IsCharVisible(m_player));
    events.fieldScript = events.hide = false;
    // The marks hide even from the character itself.
    for (uint8_t* mark : {&other->GetData()->m_hiddenMark, &other->GetData()->m_hideByte2, &g_hideAllChars}) {
        *mark = 1;
        EXPECT_FALSE(c->IsCharVisible(other));
        *mark = 0;
    }
    EXPECT_TRUE(c->IsCharVisible(other));
}

TEST_F(CharPermissionsTest, NearTargetKeepsItsAnswerASecond) {
    CChar* monster = Make(CHAR_KIND_MONSTER, 5);
    monster->SetPosition((m_player->m_cellX + 8) * 24, (m_player->m_cellY - 8) * 12, 0);
    EXPECT_FALSE(m_controller->NearTarget(99));
    EXPECT_TRUE(m_controller->NearTarget(5));
    monster->SetPosition((m_player->m_cellX + 20) * 24, m_player->m_cellY * 12, 0);
    Clock().Advance(1000);
    EXPECT_TRUE(m_controller->NearTarget(5));  // the guard still stands
    Clock().Advance(1);
    EXPECT_FALSE(m_controller->NearTarget(5));
    monster->SetPosition((m_player->m_cellX + 9) * 24, m_player->m_cellY * 12, 0);
    EXPECT_FALSE(m_controller->NearTarget(5));
}

TEST_F(CharPermissionsTest, EquipmentAsksForTheTypeAndTheRequirements) {
    // Type names: the player's type 0 and type 2 share the name "Knight".
    std::vector<std::string> types(28);
    for (int k = 0; k < 14; ++k) types[14 + k] = "Type" + std::to_string(k);
    types[14] = types[16] = "Knight";
    std::vector<std::string> checks(24);
    const char* reasons[] = {"type", "level", "skill", "attr1", "attr2", "attr3", "attr4", "attr5", "attr6"};
    for (int k = 0; k < 9; ++k) checks[15 + k] = reasons[k];
    qmtest::ScopedTextTables texts{{{0, types}, {CHECK_TEXT_TABLE, checks}}};
    struct Row {
        uint8_t position;
        uint16_t mask;
        std::vector<std::pair<uint8_t, uint8_t>> requirements;  // kind, value
    };
    const Row rows[] = {
        {0, 1, {}},                                         // 0: not equipment
        {2, 1, {}},                                         // 1: anyone
        {2, 1u << 3, {}},                                   // 2: type 2 only, which is called "Knight" too
        {2, 1u << 2, {}},                                   // 3: type 1 only
        {2, 1, {{1, 30}, {2, 3}}},                          // 4: level 30, the item's skill at level 3
        {2, 1, {{9, 200}, {3, 5}, {8, 7}}},                 // 5: an unknown kind, attributes 1 and 6
        {2, 1, {{1, 1}, {1, 1}, {1, 1}, {1, 1}, {1, 99}}},  // 6: a fifth requirement is not read
    };
    qmtest::TableBuilder table(uint32_t(std::size(rows)), ITEM_COL_FIRST_REQUIREMENT + 10);
    table.U32(ITEM_COL_ITEM_ID).U32(ITEM_COL_SKILL_ID).U16(ITEM_COL_CLASS_MASK);
    for (int r = 0; r < int(std::size(rows)); ++r) {
        table.Set(ITEM_COL_ITEM_ID, r, 100 + r).Set(ITEM_COL_SORT_1, r, rows[r].position);
        table.Set(ITEM_COL_CLASS_MASK, r, rows[r].mask).Set(ITEM_COL_SKILL_ID, r, SKILL_ID_BASE + kSkillRow);
        table.Set(ITEM_COL_REQUIREMENTS, r, int(rows[r].requirements.size()));
        for (size_t k = 0; k < rows[r].requirements.size(); ++k)
            table.Set(ITEM_COL_FIRST_REQUIREMENT + 2 * int(k), r, rows[r].requirements[k].first)
                .Set(ITEM_COL_FIRST_REQUIREMENT + 2 * int(k) + 1, r, rows[r].requirements[k].second);
    }
    m_db.Write(CItemTableMgr::ITEM_TABLE_FILE, table);
    CItemTableMgr items;
    g_pItemTableMgr = &items;
    auto ask = [&](uint32_t id, const char* expected) {
        std::unique_ptr<CItemObject> item(items.MakeItem(id));
        ASSERT_TRUE(item) << id;
        char text[16] = "old";
        EXPECT_EQ(m_controller->CanEquipItem(item.get(), text, sizeof text), !*expected) << id;
        EXPECT_STREQ(text, expected) << id;
    };
    EXPECT_FALSE(m_controller->CanEquipItem(nullptr, nullptr, 0));
    {
        std::unique_ptr<CItemObject> plain(items.MakeItem(100));
        char text[16] = "old";
        EXPECT_FALSE(m_controller->CanEquipItem(plain.get(), text, sizeof text));
        EXPECT_STREQ(text, "");
    }
    ask(101, "");
    ask(102, "");  // the name decides
    ask(103, "type");
    ask(104, "level");
    m_data->m_values[VALUE_LEVEL] = 30;
    ask(104, "skill");
    WithSkills(m_player, {kSkillRow});
    m_data->AddOrUpdateSkill(SKILL_ID_BASE + kSkillRow, 3, 1, 1);
    ask(104, "");
    ask(105, "attr1");
    m_data->m_values[VALUE_ATTRIBUTES] = 5;
    ask(105, "attr6");
    m_data->m_values[VALUE_ATTRIBUTES + 5] = 7;
    ask(105, "");
    ask(106, "");
    g_pItemTableMgr = nullptr;
}

}  // namespace
