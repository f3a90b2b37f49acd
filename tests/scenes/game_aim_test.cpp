// The aimed use on the skill test bed: an empty item slot, a place skill out
// of range, a character skill out of range with and without Shift.
#include <gtest/gtest.h>

#include "core/input_mgr.h"
#include "core/main_mgr.h"
#include "data/game_hooks.h"
#include "platform/keyboard.h"
#include "scenes/game_scene.h"
#include "tests/support/window_driver.h"
#include "tests/world/chars/skill_fixture.h"
#include "ui/game_scene_windows.h"
#include "world/chars/char_events.h"
#include "world/chars/char_skills.h"

namespace {

constexpr int32_t kPlaceRow = 7;  // target type 5

class AimScene : public CGameScene {
public:
    CItemObject* item = nullptr;
    using CGameScene::m_pPlayer;

protected:
    bool IsWorldReady() override { return true; }
    bool IsMapReady() override { return true; }
    bool IsMapLoaded() override { return true; }
    IsoPoint ScreenToTile(int32_t x, int32_t y) override { return {x / 10, y / 10}; }
    bool IsPassableAt(int32_t, int32_t) override { return true; }
    CItemObject* AimedItem(uint32_t) override { return item; }
};

// Characters stand on their tiles; every tile is walkable.
struct TileWorld : IGameWorldHooks {
    bool HasMap() override { return true; }
    bool IsWalkable(int32_t, int32_t) override { return true; }
    std::pair<int32_t, int32_t> GetPosition(CChar* c) override { return {c->m_cellX, c->m_cellY}; }
    std::pair<int32_t, int32_t> GetMapPoint(CChar* c) override { return {c->m_cellX, c->m_cellY}; }
    bool CanAttack(CChar* user, CChar* target) override { return user != target; }
};

class GameAimTest : public chartest::SkillFixture {
protected:
    void SetUp() override {
        SkillFixture::SetUp();
        g_pMainMgr = &m_main;
        m_player = MakePlayer();
        ASSERT_NE(m_player, nullptr);
        m_player->GetData()->m_motion = MOTION_STAND;
        m_scene = new AimScene;
        m_main.AddChild(m_scene);
        m_scene->m_pPlayer = m_player;
    }
    void TearDown() override {
        m_main.DeleteAllChildren();
        g_pMainMgr = nullptr;
        SkillFixture::TearDown();
    }
    size_t Walks() {
        size_t count = 0;
        for (CListNode* n = m_mgr->GetMsgQueue()->Queue().Messages().First();
             n != m_mgr->GetMsgQueue()->Queue().Messages().End(); n = n->Next())
            if (static_cast<CMsg*>(n)->m_eventId == CHAR_EVENT_MOVE) ++count;
        return count;
    }

    qmtest::WindowDriver m_driver;
    TileWorld m_world;
    ScopedGameWorldHooks m_scopedWorld{m_world};
    CMainMgr m_main;
    CChar* m_player = nullptr;
    AimScene* m_scene = nullptr;
};

TEST_F(GameAimTest, AnEmptyItemSlotEndsTheAimAndReportsFalse) {
    m_scene->BeginItemAiming(3, 1, 0, 0);
    EXPECT_FALSE(m_scene->UseSkillOn(nullptr, -1));
    EXPECT_EQ(m_scene->GetActionMode(), 0);
}

TEST_F(GameAimTest, APlaceSkillOutOfRangeEndsTheAimUnused) {
    m_driver.Input().m_mouseX = 500;
    m_driver.Input().m_mouseY = 500;
    m_scene->BeginItemAiming(0, 1, 0, SKILL_ID_BASE + kPlaceRow);
    EXPECT_TRUE(m_scene->UseSkillOn(nullptr, -1));
    EXPECT_EQ(m_scene->GetActionMode(), 0);
    EXPECT_EQ(m_scene->GetSkillUsesStarted(), 0u);
}

TEST_F(GameAimTest, ACharacterSkillOutOfRangeWalksUnlessShiftIsHeldAndKeepsTheAim) {
    constexpr int32_t kAnyTargetRow = 2;  // target type 0: anything
    MakeMap("");
    CChar* monster = Make(CHAR_KIND_MONSTER, 70);
    ASSERT_NE(monster, nullptr);
    monster->m_cellX = 40;
    monster->m_cellY = 40;
    plat::FakeKeyState keys;
    plat::ScopedKeyState scopedKeys(keys);
    keys.SetKeyDown(plat::VK_SHIFT, true);
    m_scene->BeginItemAiming(0, 1, 0, SKILL_ID_BASE + kAnyTargetRow);
    EXPECT_TRUE(m_scene->UseSkillOn(monster, CHAR_KIND_MONSTER));
    EXPECT_EQ(m_scene->GetActionMode(), 1);
    EXPECT_EQ(Walks(), 0u);
    keys.SetKeyDown(plat::VK_SHIFT, false);
    EXPECT_TRUE(m_scene->UseSkillOn(monster, CHAR_KIND_MONSTER));
    EXPECT_EQ(m_scene->GetActionMode(), 1);
    EXPECT_EQ(Walks(), 1u);
    EXPECT_EQ(m_scene->GetSkillUsesStarted(), 0u);
}

TEST_F(GameAimTest, TryUseSkillWalksIntoRangeOrShowsWhyTheSkillIsRefused) {
    MakeMap("");
    WithSkills(m_player, {chartest::kSkillRow});
    CChar* monster = Make(CHAR_KIND_MONSTER, 71);
    ASSERT_NE(monster, nullptr);
    monster->m_cellX = 40;
    monster->m_cellY = 40;
    // Far away: a walk, and the skill waits on the target.
    EXPECT_TRUE(m_scene->TryUseSkill(monster, chartest::kSkillRow));
    EXPECT_EQ(Walks(), 1u);
    EXPECT_TRUE(m_scene->HasQueuedTarget());
    // A skill the player has not learned does nothing.
    EXPECT_FALSE(m_scene->TryUseSkill(monster, 9));
    // Close by while a status holds the player: refused, the reason shown.
    qmtest::ScopedTextTables texts({{CHECK_TEXT_TABLE, std::vector<std::string>(9, "not now")}});
    monster->m_cellX = m_player->m_cellX;
    monster->m_cellY = m_player->m_cellY;
    uint32_t words[4] = {};
    for (int32_t status = 0; status < 128 && !CheckCharStatus(words, 4); ++status) {
        words[status / 32] = 1u << (status % 32);
    }
    ASSERT_TRUE(CheckCharStatus(words, 4));
    std::copy(words, words + 4, m_player->GetData()->m_status);
    EXPECT_FALSE(m_scene->TryUseSkill(monster, chartest::kSkillRow));
    EXPECT_FALSE(m_scene->HasQueuedTarget());
    EXPECT_STREQ(m_scene->Overlays().GetNoticeText(), "not now");
    EXPECT_EQ(m_scene->GetSkillUsesStarted(), 0u);
}

TEST_F(GameAimTest, AllowedSkillUsesAndAttacksAreSentByThePlayersController) {
    g_config.m_useServer = true;
    MakeMap("  @16 text \"0001\"\n");     // monsters may be attacked
    constexpr int32_t kAnyTargetRow = 2;  // target type 0, no cost
    WithSkills(m_player, {chartest::kAttackRow, kAnyTargetRow, kPlaceRow});
    CChar* monster = Make(CHAR_KIND_MONSTER, 72);
    ASSERT_NE(monster, nullptr);
    monster->m_cellX = m_player->m_cellX;
    monster->m_cellY = m_player->m_cellY;
    auto sentUses = [this] {
        size_t count = 0;
        for (const std::string& line : m_requests.sent)
            if (line.rfind("19 ", 0) == 0) ++count;
        return count;
    };
    // In range: the skill on the monster.
    ASSERT_TRUE(m_scene->TryUseSkill(monster, kAnyTargetRow));
    EXPECT_EQ(sentUses(), 1u);
    // The combo's first skill attacks it (once the server has answered the use).
    m_player->GetData()->m_pendingTarget = -1;
    m_player->GetData()->m_selectedCombo = 0;
    m_player->GetData()->m_combos[0][0] = uint32_t(chartest::kAttackRow);
    EXPECT_TRUE(m_scene->AttackTarget(monster));
    EXPECT_EQ(m_scene->GetAttacksStarted(), 1u);
    EXPECT_EQ(sentUses(), 2u);
    // An aimed place skill clicked in range.
    m_driver.Input().m_mouseX = m_player->m_cellX * 10;
    m_driver.Input().m_mouseY = m_player->m_cellY * 10;
    m_scene->BeginItemAiming(0, 1, 0, SKILL_ID_BASE + kPlaceRow);
    EXPECT_TRUE(m_scene->UseSkillOn(nullptr, -1));
    EXPECT_EQ(m_scene->GetActionMode(), 0);
    EXPECT_EQ(sentUses(), 3u);
}

// A window that names a character acts on it through the running scene:
// mode 0 attacks a living target with the combo's first skill, mode 1 uses
// the selected skill on it unless that is a combo skill; nothing without a
// target or on a dead one.
TEST_F(GameAimTest, WindowsActOnACharacterThroughTheRunningScene) {
    g_config.m_useServer = true;
    MakeMap("  @16 text \"0001\"\n");     // monsters may be attacked
    constexpr int32_t kAnyTargetRow = 2;  // target type 0, no cost
    WithSkills(m_player, {chartest::kAttackRow, kAnyTargetRow});
    CChar* monster = Make(CHAR_KIND_MONSTER, 73);
    ASSERT_NE(monster, nullptr);
    monster->m_cellX = m_player->m_cellX;
    monster->m_cellY = m_player->m_cellY;
    CCharData* data = m_player->GetData();
    data->m_selectedCombo = 0;
    data->m_combos[0][0] = uint32_t(chartest::kAttackRow);
    IGameSceneActions* actions = FindGameSceneActions();
    ASSERT_EQ(actions, static_cast<IGameSceneActions*>(m_scene));

    actions->ActOnTarget(0, nullptr);
    monster->GetData()->m_motion = MOTION_DEAD;
    actions->ActOnTarget(0, monster);
    EXPECT_EQ(m_scene->GetAttacksStarted(), 0u);
    monster->GetData()->m_motion = MOTION_STAND;
    actions->ActOnTarget(0, monster);
    EXPECT_EQ(m_scene->GetAttacksStarted(), 1u);

    data->m_pendingTarget = -1;
    data->m_selectedSkill = 0;  // the combo skill
    actions->ActOnTarget(1, monster);
    EXPECT_EQ(m_scene->GetSkillUsesStarted(), 0u);
    data->m_selectedSkill = 1;
    actions->ActOnTarget(1, monster);
    EXPECT_EQ(m_scene->GetSkillUsesStarted(), 1u);
}

}  // namespace
