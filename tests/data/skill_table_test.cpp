#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <string>

#include "core/config.h"
#include "data/game_hooks.h"
#include "data/item_object.h"
#include "data/item_table_mgr.h"
#include "data/skill_table_mgr.h"
#include "platform/message_box.h"
#include "tests/support/table_builder.h"

namespace {

// Characters of the fake world are plain records; the table code only passes
// their pointers on.
struct FakeChar {
    int32_t x = 0, y = 0;
    float radius = 0;
    uint16_t state = 0;
    bool player = false;
    bool attackable = false;
    bool status9 = false;
    CItemObject* weapon = nullptr;
    std::map<int32_t, uint32_t> skills;  // row -> learned level + 1
    uint32_t requirements[3] = {};
};
CChar* C(FakeChar& c) {
    return reinterpret_cast<CChar*>(&c);
}
FakeChar& F(CChar* c) {
    return *reinterpret_cast<FakeChar*>(c);
}

struct FakeWorld : IGameWorldHooks {
    bool HasMap() override { return m_map; }
    bool IsWalkable(int32_t x, int32_t y) override {
        m_tried.emplace_back(x, y);
        return m_walkable(x, y);
    }
    std::pair<int32_t, int32_t> GetPosition(CChar* c) override { return {F(c).x, F(c).y}; }
    std::pair<int32_t, int32_t> GetMapPoint(CChar* c) override { return {F(c).x, F(c).y}; }
    float GetRadius(CChar* c) override { return F(c).radius; }
    uint16_t GetState(CChar* c) override { return F(c).state; }
    bool IsPlayerChar(CChar* c) override { return F(c).player; }
    bool CanAttack(CChar*, CChar* target) override { return F(target).attackable; }
    bool IsStatus9Set(CChar* c) override { return F(c).status9; }
    CItemObject* GetItemInSlot(CChar* c, int slot) override { return slot == 2 ? F(c).weapon : nullptr; }
    bool HasSkill(CChar* c, int32_t row) override { return F(c).skills.count(row) > 0; }
    uint32_t GetSkillValue(CChar* c, int32_t row) override { return HasSkill(c, row) ? F(c).skills[row] : 0; }
    uint32_t GetRequirementValue(CChar* c, int which) override { return F(c).requirements[which]; }
    bool IsTargetFlagSet() override { return m_targetFlag; }

    bool m_map = true;
    bool m_targetFlag = false;
    std::function<bool(int32_t, int32_t)> m_walkable = [](int32_t, int32_t) { return true; };
    std::vector<std::pair<int32_t, int32_t>> m_tried;
};

// Three levels: column 3 {1, 5, 9}, column 4 {0, 2, 4}, column 5 {0, 100, 200},
// column 14 {14, 15, 16}, column 15 {150, 151, 152}, column 26 {26, ...},
// column 28 {28, ...}, column 31 {-3, ...}, columns 19-24 {190 + n, ...}.
qmtest::TableBuilder LevelTable() {
    qmtest::TableBuilder t(3, 33);
    t.U32(5).U32(15).U32(25);
    for (int c : {19, 20, 21, 22, 23, 24, 26, 28, 31, 32}) t.U16(c);
    for (int level = 0; level < 3; ++level) {
        t.Set(3, level, 1 + 4 * level).Set(4, level, 2 * level).Set(5, level, 100 * level);
        t.Set(12, level, 12).Set(14, level, 14 + level).Set(15, level, 150 + level).Set(25, level, 250);
        t.Set(27, level, 27).Set(30, level, 30).Set(26, level, 26).Set(28, level, 28);
        for (int c = 19; c <= 24; ++c) t.Set(c, level, 190 + c - 19);
        t.Set(31, level, -3).Set(32, level, 32);
    }
    return t;
}

// Row 0 "Slash": target type 1, own range (0, 100), the level table; row 1
// "Shot": weapon range, target type per test; row 2: no level table.
qmtest::TableBuilder SkillTable(uint8_t column17Type) {
    qmtest::TableBuilder t(3, 63);
    t.U32(SKILL_COL_ID)
        .Set(SKILL_COL_ID, 0, 3000000)
        .Set(SKILL_COL_ID, 1, 3000001)
        .Set(SKILL_COL_ID, 2, 3000007);
    t.Text(SKILL_COL_NAME).Set(SKILL_COL_NAME, 0, "Slash").Set(SKILL_COL_NAME, 1, "Shot");
    t.Text(SKILL_COL_TEXT_3).Text(SKILL_COL_TEXT_44).Text(SKILL_COL_TEXT_46).Set(SKILL_COL_TEXT_44, 0, "t44");
    if (column17Type == kColText)
        t.Text(SKILL_COL_MODE_15).Set(SKILL_COL_MODE_15, 0, "about Slash");
    else
        t.Set(SKILL_COL_MODE_15, 0, 1).Set(SKILL_COL_MODE_15, 1, 2);
    t.Set(SKILL_COL_BYTE_5, 0, 5)
        .Set(SKILL_COL_BYTE_6, 0, 1)
        .Set(SKILL_COL_BYTE_8, 1, 1)
        .Set(SKILL_COL_BYTE_16, 0, 16);
    t.Set(SKILL_COL_BYTE_15, 0, 0xF0).Set(SKILL_COL_BYTE_26, 0, 0x80).Set(SKILL_COL_BYTE_54, 0, 54);
    t.Set(SKILL_COL_BYTE_55, 0, 0xFF);
    t.U32(SKILL_COL_VALUE_9).Set(SKILL_COL_VALUE_9, 0, 3300018).Set(SKILL_COL_VALUE_9, 1, 9);
    t.Set(SKILL_COL_MODE_9, 0, 1).Set(SKILL_COL_MODE_9, 1, 2);
    t.U32(SKILL_COL_DWORD_11).Set(SKILL_COL_DWORD_11, 0, 11).U32(SKILL_COL_DWORD_48).U32(SKILL_COL_DWORD_49);
    t.Ref(SKILL_COL_REF_12).Set(SKILL_COL_REF_12, 0, {120, 121, 122}).Ref(SKILL_COL_REF_13);
    t.Ref(SKILL_COL_REF_56).Ref(SKILL_COL_REF_57).Set(SKILL_COL_REF_57, 1, {570, 571, 57});
    t.Set(SKILL_COL_RANGE_MODE, 0, 1).Set(SKILL_COL_RANGE_MODE, 1, 2);
    t.Pair16(SKILL_COL_RANGE).Set(SKILL_COL_RANGE, 0, {0, 100}).Set(SKILL_COL_RANGE, 1, {-5, 5});
    t.Set(SKILL_COL_TARGET_TYPE, 0, 1);
    for (int n = 0; n < 3; ++n) t.U32(SKILL_COL_REQUIRED + 2 * n).U32(SKILL_COL_EXCLUDING + 2 * n);
    t.Nested(SKILL_COL_LEVELS)
        .Set(SKILL_COL_LEVELS, 0, LevelTable().Layout())
        .Set(SKILL_COL_LEVELS, 1, LevelTable().Layout());
    return t;
}

class SkillTableTest : public ::testing::Test {
protected:
    void SetUp() override {
        Load(SkillTable(kColText));
        SetGameWorldHooks(&m_world);
        m_oldServer = g_config.m_useServer;
    }
    void TearDown() override {
        g_config.m_useServer = m_oldServer;
        SetGameWorldHooks(nullptr);
    }
    void Load(const qmtest::TableBuilder& table) {
        m_db.Write(SKILL_TABLE_FILE, table);
        m_skills = std::make_unique<CSkillTableMgr>();
    }
    // Changes one cell of the skill table and reloads it.
    template <class T>
    void Reload(int column, int row, T value, uint8_t column17Type = kColText) {
        qmtest::TableBuilder t = SkillTable(column17Type);
        t.Set(column, row, value);
        Load(t);
    }

    qmtest::ScopedDatabase m_db;
    std::unique_ptr<CSkillTableMgr> m_skills;
    FakeWorld m_world;
    bool m_oldServer = false;
};

TEST_F(SkillTableTest, SkillIdsStartAt3000000) {
    EXPECT_EQ(SkillIdToRow(3000000), 0);
    EXPECT_EQ(SkillIdToRow(0), 0);
    EXPECT_EQ(SkillIdToRow(3000005), 5);
    EXPECT_EQ(m_skills->GetSkillId(1), 3000001u);
    EXPECT_STREQ(m_skills->GetNameById(3000001), "Shot");
    EXPECT_EQ(m_skills->GetNameById(3000009), nullptr);
    EXPECT_STREQ(m_skills->GetTextById(3000000), "about Slash");
}

TEST_F(SkillTableTest, CellsOfTheRowAndNothingOutside) {
    CSkillTableMgr& s = *m_skills;
    EXPECT_STREQ(s.GetName(0), "Slash");
    EXPECT_STREQ(s.GetText44(0), "t44");
    EXPECT_STREQ(s.GetText3(0), "");
    EXPECT_EQ(s.GetByte5(0), 5);
    EXPECT_EQ(s.GetByte16(0), 16);
    EXPECT_EQ(s.GetByte15(0), -16);
    EXPECT_EQ(s.GetByte26(0), -128);
    EXPECT_EQ(s.GetByte54(0), 54);
    EXPECT_EQ(s.GetByte55(0), -1);
    EXPECT_TRUE(s.HasByte6(0));
    EXPECT_FALSE(s.HasByte8(0));
    EXPECT_EQ(s.GetDword11(0), 11u);
    EXPECT_EQ(s.GetTargetType(0), 1);
    uint16_t a = 0, b = 0;
    uint8_t c = 0;
    EXPECT_TRUE(s.GetResourceRef12(0, &a, &b, &c));
    EXPECT_EQ(a * 10000 + b * 10 + c, 120 * 10000 + 121 * 10 + 122);
    EXPECT_TRUE(s.GetResourceRef57(1, &a, &b, &c));
    EXPECT_EQ(a, 570);

    for (int32_t row : {-1, 3, 1000}) {
        EXPECT_EQ(s.GetSkillId(row), 0u) << row;
        EXPECT_EQ(s.GetName(row), nullptr) << row;
        EXPECT_EQ(s.GetByte15(row), 0) << row;
        EXPECT_FALSE(s.HasByte6(row)) << row;
        EXPECT_TRUE(s.GetResourceRef12(row, &a, &b, &c)) << row;  // true, outputs 0
        EXPECT_EQ(a + b + c, 0) << row;
        EXPECT_EQ(s.GetLevelCount(row), 0) << row;
        EXPECT_EQ(s.GetLevelByte3(row, 0), 0) << row;
    }
    // Without a table everything is 0.
    plat::ScopedMessageBoxRecorder boxes;
    qmtest::ScopedDatabase empty;
    CSkillTableMgr none;
    EXPECT_EQ(none.GetTable(), nullptr);
    EXPECT_EQ(none.GetName(0), nullptr);
    EXPECT_EQ(none.GetLevelByte3(0, 0), 0);
    EXPECT_EQ(none.GetNameById(3000000), nullptr);
}

TEST_F(SkillTableTest, ColumnsReadWithTheirOwnTypes) {
    CSkillTableMgr& s = *m_skills;
    // Column 5 holds bytes: read as a reference by skill id it gives nothing.
    uint16_t a = 9, b = 9;
    uint8_t c = 9;
    EXPECT_FALSE(s.GetResourceRef5ById(3000000, &a, &b, &c));
    EXPECT_EQ(a + b + c, 0);
    // Column 17 holds texts: as the mode of level column 15 it reads 0.
    EXPECT_EQ(s.GetLevelByte14(0, 0), 0);
    EXPECT_EQ(s.GetLevelValue15ByMode(nullptr, 0, 1), 0u);

    Load(SkillTable(kColInt));
    EXPECT_EQ(m_skills->GetTextById(3000000), nullptr);
    EXPECT_EQ(m_skills->GetLevelByte14(0, 2), 16);
    EXPECT_EQ(m_skills->GetLevelByte14(1, 2), 0);  // mode 2
    EXPECT_EQ(m_skills->GetLevelValue15ByMode(nullptr, 0, 1), 151u);

    qmtest::TableBuilder withRef = SkillTable(kColText);
    withRef.Ref(SKILL_COL_BYTE_5).Set(SKILL_COL_BYTE_5, 1, {50, 51, 52});
    Load(withRef);
    EXPECT_TRUE(m_skills->GetResourceRef5ById(3000001, &a, &b, &c));
    EXPECT_EQ(b, 51);
    EXPECT_EQ(m_skills->GetByte5(1), 0);
    EXPECT_FALSE(m_skills->GetResourceRef5ById(3000009, &a, &b, &c));
}

TEST_F(SkillTableTest, LevelValues) {
    CSkillTableMgr& s = *m_skills;
    EXPECT_EQ(s.GetLevelCount(0), 3);
    struct Case {
        int32_t level;
        int32_t byte3, byte4;
        int64_t dword5;
    };
    const Case cases[] = {{0, 1, 0, 0}, {2, 9, 4, 200}, {3, -1, -1, -1}, {99, -1, -1, -1}, {-1, 0, 0, 0}};
    for (const Case& c : cases) {
        EXPECT_EQ(s.GetLevelByte3(0, c.level), c.byte3) << c.level;
        EXPECT_EQ(s.GetLevelByte4(0, c.level), c.byte4) << c.level;
        EXPECT_EQ(s.GetLevelDword5(0, c.level), c.dword5) << c.level;
    }
    EXPECT_EQ(s.GetLevelByte3(2, 0), -1);  // a skill whose level table is empty
    EXPECT_EQ(s.GetLevelByte12(0, 1), 12);
    EXPECT_EQ(s.GetLevelByte27(0, 1), 27);
    EXPECT_EQ(s.GetLevelByte30(0, 3), 0);  // past the last level
    EXPECT_EQ(s.GetLevelWord19(0, 0), 190);
    EXPECT_EQ(s.GetLevelWord24(0, 2), 195);
    EXPECT_EQ(s.GetLevelDword15(0, -1), 150u);  // a negative level reads level 0
    EXPECT_EQ(s.GetLevelDword25(0, 2), 250u);
    EXPECT_EQ(s.GetLevelTime31(0, 1), -30);
    EXPECT_EQ(s.GetLevelTime32(0, 1), 320);
}

TEST_F(SkillTableTest, WeaponValues) {
    qmtest::TableBuilder itemTable(2, 60);
    itemTable.Pair16(ITEM_COL_RANGE).Set(ITEM_COL_RANGE, 0, {3, 40});
    itemTable.U32(ITEM_COL_DWORD_38)
        .Set(ITEM_COL_DWORD_38, 0, 38)
        .U32(ITEM_COL_DWORD_45)
        .Set(ITEM_COL_DWORD_45, 0, 45);
    itemTable.Set(ITEM_COL_BYTE_42, 1, 1);
    m_db.Write(CItemTableMgr::ITEM_TABLE_FILE, itemTable);
    g_pItemTableMgr = new CItemTableMgr;
    CItemObject bow, staff;
    bow.Init(0, 1);
    staff.Init(1, 2);
    FakeChar user;
    CSkillTableMgr& s = *m_skills;

    EXPECT_EQ(s.GetMinRange(C(user), 0), 0);
    EXPECT_EQ(s.GetMaxRange(C(user), 0), 100);
    EXPECT_EQ(s.GetMaxRange(C(user), 1), 0);  // no weapon
    EXPECT_EQ(s.GetDword9(0, C(user), false), 3300018u);
    EXPECT_EQ(s.GetDword9(1, C(user), false), 0u);
    EXPECT_EQ(s.GetDword9(1, C(user), true), 9u);
    user.weapon = &bow;
    EXPECT_EQ(s.GetMinRange(C(user), 1), 3);
    EXPECT_EQ(s.GetMaxRange(C(user), 1), 40);
    EXPECT_EQ(s.GetDword9(1, C(user), false), 38u);
    EXPECT_EQ(s.GetLevelTime28(C(user), 0, 0), 280);
    user.weapon = &staff;
    EXPECT_EQ(s.GetLevelTime28(C(user), 0, 0), 260);
    user.weapon = &bow;
    user.status9 = true;
    EXPECT_EQ(s.GetMaxRange(C(user), 1), 0);

    Load(SkillTable(kColInt));
    EXPECT_EQ(m_skills->GetLevelValue15ByMode(C(user), 1, 0), 45u);
    delete g_pItemTableMgr;
    g_pItemTableMgr = nullptr;
}

TEST_F(SkillTableTest, TargetTypes) {
    FakeChar user, enemy, friendChar, fallen, player;
    enemy.attackable = true;
    fallen.state = 3;
    player.player = true;
    struct Case {
        int type;
        bool server;
        FakeChar* target;
        bool valid;
    };
    const Case cases[] = {
        {0, true, nullptr, true},      {14, true, nullptr, true}, {1, true, &enemy, true},
        {1, true, &friendChar, false}, {1, true, nullptr, false}, {2, true, &friendChar, true},
        {2, true, &enemy, false},      {2, true, &player, false}, {2, true, nullptr, false},
        {2, false, nullptr, true},     {3, true, &user, true},    {3, true, &enemy, false},
        {4, true, &fallen, false},     {4, true, &enemy, true},   {7, true, nullptr, false},
        {6, true, &friendChar, true},  {8, true, nullptr, false}, {8, true, &fallen, true},
        {9, true, nullptr, true},      {12, true, &fallen, true}, {13, true, &enemy, false},
        {13, true, &friendChar, true}, {13, false, &enemy, true},
    };
    for (const Case& c : cases) {
        Reload(SKILL_COL_TARGET_TYPE, 0, c.type);
        g_config.m_useServer = c.server;
        EXPECT_EQ(m_skills->IsValidTarget(C(user), c.target ? C(*c.target) : nullptr, 0), c.valid)
            << "type " << c.type << " server " << c.server;
    }
    Reload(SKILL_COL_TARGET_TYPE, 0, 5);
    EXPECT_TRUE(m_skills->IsValidTarget(C(user), nullptr, 0));
    m_world.m_targetFlag = true;
    EXPECT_FALSE(m_skills->IsValidTarget(C(user), C(enemy), 0));
}

TEST_F(SkillTableTest, RangesIncludeBothEnds) {
    FakeChar user, target;
    user.x = 60;
    user.y = 80;  // 100 from the origin
    EXPECT_TRUE(m_skills->IsPointInRange(C(user), 0, 0, 0, 0));
    EXPECT_FALSE(m_skills->IsPointInRange(C(user), 0, 0, 0, -1));
    target.radius = 10;
    target.x = -6;
    target.y = -8;  // 110 away: in range with the radius
    EXPECT_TRUE(m_skills->IsTargetInRange(C(user), 0, 0, C(target)));
    target.radius = 9;
    EXPECT_FALSE(m_skills->IsTargetInRange(C(user), 0, 0, C(target)));
    EXPECT_TRUE(m_skills->IsTargetInRange(C(user), 0, 0, nullptr));
    EXPECT_TRUE(m_skills->IsTargetInRange(C(user), 0, 0, C(user)));
}

TEST_F(SkillTableTest, CastPositionAroundTheTarget) {
    FakeChar user, target;
    user.x = 300;
    auto find = [&] { return m_skills->FindCastPosition(C(user), 0, 0, C(target)); };
    using P = std::pair<int32_t, int32_t>;

    // Too far: halfway into the range (0, 100), on the user's side.
    EXPECT_EQ(find(), P(50, 0));
    target.radius = 10;
    EXPECT_EQ(find(), P(60, 0));
    target.radius = 0;
    // The first candidate the map accepts, turning 10 degrees a step.
    m_world.m_walkable = [](int32_t x, int32_t) { return x <= 0; };
    EXPECT_EQ(find(), P(0, 50));
    // None accepted: the last one tried (350 degrees).
    m_world.m_walkable = [](int32_t, int32_t) { return false; };
    m_world.m_tried.clear();
    EXPECT_EQ(find(), P(49, -8));
    EXPECT_EQ(m_world.m_tried.size(), 36u);
    m_world.m_walkable = [](int32_t, int32_t) { return true; };

    // No move needed: exactly at the maximum range.
    user.x = 100;
    EXPECT_EQ(find(), P(-1, -1));
    // A target not alive, or no map: nothing.
    user.x = 300;
    target.state = 3;
    EXPECT_EQ(find(), P(-1, -1));
    target.state = 2;
    m_world.m_map = false;
    EXPECT_EQ(find(), P(-1, -1));
    m_world.m_map = true;
    EXPECT_EQ(m_skills->FindCastPosition(C(user), 0, 0, nullptr), P(-1, -1));
}

TEST_F(SkillTableTest, CastPositionSearchEndsAtRangeZero) {
    FakeChar user, target;
    user.x = 30;
    for (auto range : {std::pair<int, int>{0, 0}, {-20, -10}, {5, 0}}) {
        Reload(SKILL_COL_RANGE, 0, std::initializer_list<int64_t>{range.first, range.second});
        auto found = m_skills->FindCastPosition(C(user), 0, 0, C(target));
        EXPECT_NE(found, std::make_pair(-1, -1)) << range.first << " " << range.second;
    }
    Reload(SKILL_COL_RANGE, 0, std::initializer_list<int64_t>{0, 0});
    EXPECT_EQ(m_skills->FindCastPosition(C(user), 0, 0, C(target)), std::make_pair(0, 0));
}

TEST_F(SkillTableTest, CastPositionTooClose) {
    FakeChar user, target;
    user.x = 10;
    Reload(SKILL_COL_RANGE, 0, std::initializer_list<int64_t>{50, 100});
    EXPECT_EQ(m_skills->FindCastPosition(C(user), 0, 0, C(target)), std::make_pair(50, 0));
    // A ground point: from the maximum range.
    user.x = 300;
    EXPECT_EQ(m_skills->FindCastPositionForPoint(C(user), 0, 0, 0, 0), std::make_pair(100, 0));
    user.x = 70;
    EXPECT_EQ(m_skills->FindCastPositionForPoint(C(user), 0, 0, 0, 0), std::make_pair(-1, -1));
}

TEST_F(SkillTableTest, UseNeedsTheLevelsRequirementsAndSkills) {
    FakeChar user;
    user.requirements[0] = 5;
    user.requirements[1] = 100;
    user.requirements[2] = 2;
    EXPECT_TRUE(m_skills->CanUseSkill(C(user), 0, 0));
    EXPECT_FALSE(m_skills->CanUseSkill(C(user), 0, 1)) << "column 8 not set";
    EXPECT_TRUE(m_skills->CanUseSkill(C(user), 1, 1)) << "column 8 set";
    EXPECT_FALSE(m_skills->CanUseSkill(C(user), 0, 3)) << "no such level";
    user.requirements[0] = 4;
    EXPECT_FALSE(m_skills->CanUseSkill(C(user), 1, 1));
    user.requirements[0] = 5;
    user.requirements[1] = 99;
    EXPECT_FALSE(m_skills->CanUseSkill(C(user), 1, 1));
    user.requirements[1] = 100;
    user.requirements[2] = 1;
    EXPECT_FALSE(m_skills->CanUseSkill(C(user), 1, 1));
    user.requirements[2] = 2;

    // Required skill 3000002 at level 2 (skill value - 1 at least 2).
    qmtest::TableBuilder t = SkillTable(kColText);
    t.Set(SKILL_COL_REQUIRED + 2, 0, 3000002).Set(SKILL_COL_REQUIRED + 3, 0, 2);
    t.Set(SKILL_COL_EXCLUDING + 4, 0, 3000004).Set(SKILL_COL_EXCLUDING + 5, 0, 1);
    Load(t);
    uint32_t ids[3];
    uint8_t levels[3];
    EXPECT_TRUE(m_skills->GetRequiredSkills(0, ids, levels));
    EXPECT_EQ(ids[1], 3000002u);
    EXPECT_EQ(levels[1], 2);
    EXPECT_FALSE(m_skills->CanUseSkill(C(user), 0, 0));
    user.skills[2] = 2;
    EXPECT_FALSE(m_skills->CanUseSkill(C(user), 0, 0));
    user.skills[2] = 3;
    EXPECT_TRUE(m_skills->CanUseSkill(C(user), 0, 0));
    // The excluding skill learned below its level does not count; at it, it does.
    user.skills[4] = 1;
    EXPECT_TRUE(m_skills->CanUseSkill(C(user), 0, 0));
    user.skills[4] = 2;
    EXPECT_FALSE(m_skills->CanUseSkill(C(user), 0, 0));
}

class TestSkillUse : public CSkillUse {
public:
    bool Update() override {
        ++m_updates;
        if (m_updates == m_finishAfter) m_finished = 1;
        return true;
    }
    int m_updates = 0;
    int m_finishAfter = 1;
};

TEST_F(SkillTableTest, RunningUsesAreUpdatedAndFinishedOnesDeleted) {
    auto* first = new TestSkillUse;
    first->m_ownerId = 7;
    first->m_targets = {{20, false}, {21, true}};
    first->m_finishAfter = 2;
    auto* second = new TestSkillUse;
    second->m_ownerId = 8;
    second->m_targets = {{20, true}};
    m_skills->AddChild(first);
    m_skills->AddChild(second);

    EXPECT_EQ(m_skills->FindActiveSkillUse(7, 21), first);
    EXPECT_EQ(m_skills->FindActiveSkillUse(7, 20), nullptr);  // its entry for 20 is played
    EXPECT_EQ(m_skills->FindSkillUseByTarget(20), second);
    EXPECT_TRUE(m_skills->UpdateSkillUses());
    EXPECT_EQ(m_skills->ChildCount(), 1);
    EXPECT_EQ(m_skills->FindSkillUseByTarget(20), first);
    m_skills->UpdateSkillUses();
    EXPECT_EQ(m_skills->ChildCount(), 0);
}

}  // namespace
