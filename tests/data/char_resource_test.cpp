#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "data/char_resource_mgr.h"
#include "platform/message_box.h"
#include "tests/support/table_builder.h"

namespace {

qmtest::TableBuilder Levels(int rows) {
    qmtest::TableBuilder t(uint32_t(rows), 1);
    return t;
}

struct RecordingShadow : IShadowSprite {
    explicit RecordingShadow(std::vector<std::string>* log) : m_log(log) {}
    void SetScreenPosition(int32_t x, int32_t y, int32_t z) override {
        m_log->push_back("at " + std::to_string(x) + "," + std::to_string(y) + "," + std::to_string(z));
    }
    void SetDirection(int32_t d) override { m_log->push_back("direction " + std::to_string(d)); }
    void SetMotion(int32_t m) override { m_log->push_back("motion " + std::to_string(m)); }
    void Draw() override { m_log->push_back("draw"); }
    std::vector<std::string>* m_log;
};

class CharResourceTest : public ::testing::Test {
protected:
    void SetUp() override {
        qmtest::TableBuilder players(2, 6);
        players.Text(2)
            .Set(2, 0, "Knight")
            .Set(2, 1, "Mage")
            .Ref(5)
            .Set(5, 0, {100, 1, 2})
            .Set(5, 1, {101, 0, 0});
        m_db.Write(CCharResourceMgr::PLAYER_FILE, players);

        qmtest::TableBuilder monsters(2, 86);
        monsters.Text(2)
            .Set(2, 0, "Slime")
            .Set(2, 1, "Bat")
            .Ref(3)
            .Set(3, 0, {300, 0, 0})
            .Set(3, 1, {301, 0, 0});
        monsters.Set(14, 1, 14).Set(15, 1, 3).Ref(85).Set(85, 1, {850, 0, 0});
        m_db.Write(CCharResourceMgr::MONSTER_FILE, monsters);

        qmtest::TableBuilder npcs(1, 6);
        npcs.Text(0).Set(0, 0, "guard").Text(2).Set(2, 0, "Guard").Ref(5).Set(5, 0, {500, 0, 0});
        m_db.Write(CCharResourceMgr::NPC_FILE, npcs);

        // Two groups of five rows; parts 0 and 1 in columns 1 and 2.
        qmtest::TableBuilder classes(10, 3);
        classes.Nested(1).Nested(2);
        for (int row = 0; row < 10; ++row)
            classes.Set(1, row, Levels(row).Layout()).Set(2, row, Levels(20 + row).Layout());
        m_db.Write(CCharResourceMgr::CLASS_ANI_FILE, classes);

        // Two groups of eight rows: ids 700-703 and 800-803; sets in column 13.
        qmtest::TableBuilder ids(16, 14);
        for (int c = 9; c <= 12; ++c) ids.U32(c).Set(c, 0, 700 + c - 9).Set(c, 8, 800 + c - 9);
        ids.Nested(13);
        for (int row = 0; row < 16; ++row) ids.Set(13, row, Levels(row).Layout());
        m_db.Write(CCharResourceMgr::ID_ANI_FILE, ids);

        qmtest::TableBuilder colors(3, 3);
        colors.Pair16(1).Set(1, 0, {-100, -5}).Set(1, 1, {-4, 4}).Set(1, 2, {5, 100});
        colors.Bytes3(2).Set(2, 0, {0, 0, 255}).Set(2, 1, {0x12, 0x34, 0x56}).Set(2, 2, {255, 0, 0});
        m_db.Write(CCharResourceMgr::LEVEL_COLOR_FILE, colors);

        qmtest::TableBuilder groups(2, 4);
        groups.Set(2, 0, 1).Set(2, 1, 0).List(3, 2).Set(3, 0, {10, 11}).Set(3, 1, {12, 10});
        m_db.Write(CCharResourceMgr::GROUP_FILE, groups);

        m_mgr = std::make_unique<CCharResourceMgr>();
    }

    // Makes recording shadows.
    struct Shadows : IShadowSpriteFactory {
        explicit Shadows(std::vector<std::string>* log) : m_log(log) {}
        std::unique_ptr<IShadowSprite> MakeShadowSprite(const char* name) override {
            m_log->push_back(std::string("make ") + name);
            return std::make_unique<RecordingShadow>(m_log);
        }
        std::vector<std::string>* m_log;
    };

    qmtest::ScopedDatabase m_db;
    std::vector<std::string> m_log;
    Shadows m_shadows{&m_log};
    std::unique_ptr<ScopedShadowSpriteFactory> m_scopedShadows =
        std::make_unique<ScopedShadowSpriteFactory>(m_shadows);
    std::unique_ptr<CCharResourceMgr> m_mgr;
};

TEST_F(CharResourceTest, IdsByRangeAndKind) {
    CCharResourceMgr& m = *m_mgr;
    EXPECT_EQ(CCharResourceMgr::IdToRow(2000001, 0), 1);
    EXPECT_EQ(CCharResourceMgr::IdToRow(2200000, 1), 0);
    EXPECT_EQ(CCharResourceMgr::IdToRow(2100001, 3), 1);
    EXPECT_EQ(CCharResourceMgr::IdToRow(2100001, 4), 0);
    EXPECT_EQ(m.GetResourceNumber(2000000, 0), 100);
    EXPECT_EQ(m.GetResourceNumber(2200000, 1), 500);
    EXPECT_EQ(m.GetResourceNumber(2100001, 2), 301);
    EXPECT_EQ(m.GetResourceNumber(2100001, 3), 301);
    EXPECT_STREQ(m.GetName(2000001, 0), "Mage");
    EXPECT_STREQ(m.GetName(2200000, 1), "Guard");
    EXPECT_STREQ(m.GetMonsterName(2100000), "Slime");
    EXPECT_EQ(m.GetMonsterRef85(2100001), 850);
    EXPECT_EQ(m.GetMonsterByte14(1), 14);
    EXPECT_EQ(m.GetKindByte(1, 0), 1);
    EXPECT_EQ(m.GetKindByte(1, 2), 3);
    EXPECT_EQ(m.GetKindByte(1, 3), -1);
    EXPECT_EQ(m.GetKindByte(9, 2), 0);

    // Just below the monster range with the player kind: far past the player table.
    EXPECT_EQ(m.GetResourceNumber(2099999, 0), 0);
    EXPECT_EQ(m.GetName(2099999, 0), nullptr);
    EXPECT_EQ(m.FindRow(2099999, 0), -1);
    EXPECT_EQ(m.GetName(1999999, 0), nullptr);  // below the range
    EXPECT_EQ(m.GetResourceNumber(2000000, 4), 0);
    EXPECT_EQ(m.GetName(2000000, 4), nullptr);
    EXPECT_EQ(m.GetMonsterName(2000000), nullptr);
    EXPECT_EQ(m.FindRow(2100001, 2), 1);
}

TEST_F(CharResourceTest, NameLookups) {
    CCharResourceMgr& m = *m_mgr;
    EXPECT_EQ(m.FindRowByName("Mage", 0), 1);
    EXPECT_EQ(m.FindRowByName("mage", 0), -1);  // exact
    EXPECT_EQ(m.FindRowByName("Bat", 2), 1);
    EXPECT_EQ(m.FindRowByName("guard", 1), 0);  // NPCs by column 0
    EXPECT_EQ(m.FindRowByName("Guard", 1), -1);
    EXPECT_EQ(m.FindRowByName("Mage", 7), -1);
    EXPECT_EQ(m.FindResourceNumberByName("Bat", 3), 301);
    EXPECT_EQ(m.FindResourceNumberByName("Guard", 1), 500);  // by column 2
    EXPECT_EQ(m.FindResourceNumberByName("Nobody", 0), 0);

    // Empty tables.
    plat::ScopedMessageBoxRecorder boxes;
    qmtest::ScopedDatabase empty;
    CCharResourceMgr none;
    EXPECT_EQ(none.FindRowByName("Mage", 0), -1);
    EXPECT_EQ(none.FindResourceNumberByName("Mage", 0), 0);
    EXPECT_EQ(none.GetLevelColor(1, 1), CCharResourceMgr::NO_LEVEL_COLOR);
    EXPECT_EQ(none.GetClassAniSet(0, 0, 0), nullptr);
    EXPECT_FALSE(none.IsIdInFlaggedGroup(10));
}

TEST_F(CharResourceTest, LevelColoursIncludeBothEnds) {
    struct Case {
        int32_t a, b;
        uint32_t color;
    };
    const Case cases[] = {
        {1, 5, 0x123456},    // -4: the lower end of row 1
        {10, 6, 0x123456},   // 4: the upper end
        {10, 5, 0xFF0000},   // 5
        {0, 5, 0x0000FF},    // -5: the maximum of row 0
        {0, 101, 0xFFFFFF},  // outside every row
        {200, 0, 0xFFFFFF},
    };
    for (const Case& c : cases) EXPECT_EQ(m_mgr->GetLevelColor(c.a, c.b), c.color) << c.a << " - " << c.b;
}

TEST_F(CharResourceTest, AnimationSets) {
    CCharResourceMgr& m = *m_mgr;
    EXPECT_EQ(m.GetClassAniSetCount(0, 0, 0), 0);
    EXPECT_EQ(m.GetClassAniSetCount(1, 3, 0), 8);
    EXPECT_EQ(m.GetClassAniSetCount(1, 3, 1), 28);
    EXPECT_EQ(m.GetClassAniSet(2, 0, 0), nullptr);   // past the last group
    EXPECT_EQ(m.GetClassAniSet(0, 5, 0), nullptr);   // index 5 would be the next group's
    EXPECT_EQ(m.GetClassAniSet(-1, 4, 0), nullptr);  // would be row -1 + ... of another group
    EXPECT_EQ(m.GetClassAniSet(0, 0, 2), nullptr);   // no column 3
    EXPECT_EQ(m.GetClassAniSet(0, 0, -1), nullptr);

    EXPECT_EQ(m.GetIdAniSetCount(702, 3, 13), 3);
    EXPECT_EQ(m.GetIdAniSetCount(803, 7, 13), 15);
    EXPECT_EQ(m.GetIdAniSet(900, 0, 13), nullptr);
    EXPECT_EQ(m.GetIdAniSet(800, 8, 13), nullptr);
    EXPECT_EQ(m.GetIdAniSet(800, 0, 12), nullptr);  // not a nested column
}

TEST_F(CharResourceTest, GroupsAndIdFlags) {
    CCharResourceMgr& m = *m_mgr;
    EXPECT_TRUE(m.IsIdInFlaggedGroup(10));  // the first row holding 10 decides
    EXPECT_TRUE(m.IsIdInFlaggedGroup(11));
    EXPECT_FALSE(m.IsIdInFlaggedGroup(12));
    EXPECT_FALSE(m.IsIdInFlaggedGroup(13));

    m.SetIdFlag(5, 1);
    m.SetIdFlag(6, 2);
    m.SetIdFlag(5, 3);
    EXPECT_EQ(m.GetIdFlagCount(), 2u);
    ASSERT_NE(m.FindIdFlag(5), nullptr);
    EXPECT_EQ(m.FindIdFlag(5)->m_flag, 3);
    m.RemoveIdFlag(5);
    m.RemoveIdFlag(99);
    EXPECT_EQ(m.FindIdFlag(5), nullptr);
    EXPECT_EQ(m.GetIdFlagCount(), 1u);
}

TEST_F(CharResourceTest, ShadowSizeIsClamped) {
    EXPECT_EQ(m_log, std::vector<std::string>{"make Circle_Shadow"});
    m_log.clear();
    EXPECT_TRUE(m_mgr->DrawShadow(10, 20, 7));
    EXPECT_TRUE(m_mgr->DrawShadow(1, 2, -3));
    EXPECT_EQ(m_log, (std::vector<std::string>{"at 10,20,0", "direction 2", "motion 4", "draw", "at 1,2,0",
                                               "direction 2", "motion 0", "draw"}));
    m_scopedShadows.reset();
    CCharResourceMgr plain;
    EXPECT_FALSE(plain.DrawShadow(0, 0, 1));
}

TEST_F(CharResourceTest, DrawObjectsFindTheirDefinitions) {
    ScopedCharResourceHooks hooks(*m_mgr);
    CDrawObject object;
    EXPECT_TRUE(object.CreateWithAni(2, 2100001, 0, true));
    EXPECT_STREQ(object.GetName(), "Bat");
    EXPECT_EQ(object.GetResourceRow(), 1);
    EXPECT_TRUE(object.CreateNamed(0, "Knight"));
    EXPECT_EQ(object.GetResourceRow(), 0);
    EXPECT_TRUE(object.CreateWithAni(0, 2000005, 0, true));
    EXPECT_STREQ(object.GetName(), "");
    EXPECT_EQ(object.GetResourceRow(), -1);
}

}  // namespace
