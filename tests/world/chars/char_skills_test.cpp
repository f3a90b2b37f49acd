// The character data's learned skills, combos, combo requests and id/value
// list, and the server's skill, combo and list messages that fill them.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/world/chars/skill_fixture.h"

using namespace chartest;

namespace {

class CharSkillsTest : public SkillFixture {
protected:
    void SetUp() override {
        SkillFixture::SetUp();
        m_windows.Create();
        g_pWindowMgr = &m_windows;
        m_window = new RecordingSkillWindow;
        ASSERT_TRUE(m_windows.AddChild(m_window));
        m_player = MakePlayer();
        ASSERT_TRUE(m_player);
        m_data = m_player->GetData();
    }
    void TearDown() override {
        m_mgr.reset();
        g_pCharMgr = nullptr;
        m_windows.Release();
        g_pWindowMgr = nullptr;
        SkillFixture::TearDown();
    }
    CWindowMgr m_windows;
    RecordingSkillWindow* m_window = nullptr;
    CChar* m_player = nullptr;
    CCharData* m_data = nullptr;
};

TEST_F(CharSkillsTest, LearnedSkillsAndTheSkillWindow) {
    EXPECT_TRUE(m_data->AddOrUpdateSkill(SKILL_ID_BASE + 5, 2, 3, 9));
    EXPECT_TRUE(m_data->HasSkill(5));
    EXPECT_EQ(m_data->GetSkillLevel(5), 2u);
    EXPECT_EQ(m_data->GetSkillValue(5), 3u);
    EXPECT_EQ(m_data->GetSkillFlag(5), 9);
    EXPECT_FALSE(m_data->HasSkill(6));
    EXPECT_EQ(m_data->GetSkillLevel(6) + m_data->GetSkillValue(6) + m_data->GetSkillFlag(6), 0u);
    // Unchanged: the window hears nothing; a new level or value it hears.
    EXPECT_TRUE(m_data->AddOrUpdateSkill(SKILL_ID_BASE + 5, 2, 3, 7));
    EXPECT_TRUE(m_data->AddOrUpdateSkill(SKILL_ID_BASE + 5, 2, 4, 7));
    EXPECT_EQ(m_window->told, (std::vector<std::string>{"5 2 3", "5 2 4"}));
    EXPECT_EQ(m_data->GetSkillFlag(5), 9);  // the flag stays the first one's
    EXPECT_EQ(m_data->m_skillCount, 1);
}

TEST_F(CharSkillsTest, TheListHolds256Skills) {
    for (uint32_t n = 0; n < 256; ++n)
        ASSERT_TRUE(m_data->AddOrUpdateSkill(SKILL_ID_BASE + 100 + n, 1, 1, 0));
    m_window->told.clear();
    EXPECT_FALSE(m_data->AddOrUpdateSkill(SKILL_ID_BASE + 99, 1, 1, 0));
    EXPECT_EQ(m_data->m_skillCount, 256);
    EXPECT_FALSE(m_data->HasSkill(99));
    EXPECT_TRUE(m_window->told.empty());
    // A learned one still updates.
    EXPECT_TRUE(m_data->AddOrUpdateSkill(SKILL_ID_BASE + 355, 2, 1, 0));
    EXPECT_EQ(m_data->GetSkillLevel(355), 2u);
}

TEST_F(CharSkillsTest, TheFirstAttackSkillFillsTheCombos) {
    m_data->AddOrUpdateSkill(SKILL_ID_BASE + kSkillRow, 0, 1, 1);
    EXPECT_EQ(m_data->m_selectedCombo, -1);
    m_data->AddOrUpdateSkill(SKILL_ID_BASE + 14, 0, 1, 2);  // an attack
    EXPECT_EQ(m_data->m_selectedCombo, 0);
    for (int c = 0; c < CCharData::COMBO_COUNT; ++c) {
        SCOPED_TRACE(c);
        EXPECT_EQ(std::vector<uint32_t>(m_data->m_combos[c], m_data->m_combos[c] + 5),
                  (std::vector<uint32_t>{14, 14, 14, 14, 0}));
        EXPECT_EQ(m_data->m_comboProtected[c], 14u);
    }
    // A later attack leaves them.
    m_data->AddOrUpdateSkill(SKILL_ID_BASE + 15, 0, 1, 3);
    EXPECT_EQ(m_data->m_combos[2][0], 14u);
}

TEST_F(CharSkillsTest, RemovingMovesTheLaterEntriesDown) {
    WithSkills(m_player, {kSkillRow, 14, 3, 15});          // flags 1, 2, 3, 4
    m_data->AddOrUpdateSkill(SKILL_ID_BASE + 4, 5, 6, 2);  // flag 2 again, not an attack
    EXPECT_FALSE(m_data->RemoveSkill(false, 9));
    EXPECT_TRUE(m_data->RemoveSkill(false, 2));  // row 4, not the attack 14
    EXPECT_TRUE(m_data->HasSkill(14));
    EXPECT_FALSE(m_data->HasSkill(4));
    EXPECT_TRUE(m_data->RemoveSkill(true, 2));
    EXPECT_EQ(std::vector<uint32_t>(m_data->m_skillRows, m_data->m_skillRows + m_data->m_skillCount),
              (std::vector<uint32_t>{uint32_t(kSkillRow), 3, 15}));
    EXPECT_EQ(m_data->GetSkillFlag(15), 4);
    EXPECT_EQ(m_data->GetSkillFlag(3), 3);
}

TEST_F(CharSkillsTest, SelectingASkill) {
    WithSkills(m_player, {kSkillRow, kAttackRow, 3});
    m_data->SelectSkill(2, 3);
    EXPECT_EQ(m_data->m_skillSelected, 0);
    m_data->SelectSkill(1, 3);
    EXPECT_EQ(m_data->GetSelectedSkillId(), SKILL_ID_BASE + 3);
    EXPECT_EQ(m_data->m_skillSelected, 1);
    m_data->SelectSkill(1, 40);  // not learned
    EXPECT_EQ(m_data->GetSelectedSkillId(), SKILL_ID_BASE + 3);
    g_config.m_useServer = true;
    m_data->SelectSkill(1, kAttackRow);  // attacks are not selectable with a server
    EXPECT_EQ(m_data->GetSelectedSkillId(), SKILL_ID_BASE + 3);
    g_config.m_useServer = false;
    m_data->SelectSkill(1, kAttackRow);
    EXPECT_EQ(m_data->GetSelectedSkillId(), SKILL_ID_BASE + kAttackRow);
}

TEST_F(CharSkillsTest, DefaultSkillsOnlyWithoutAServer) {
    g_config.m_useServer = true;
    m_data->AddDefaultSkills();
    EXPECT_EQ(m_data->m_skillCount, 0);
    g_config.m_useServer = false;
    m_data->m_comboStep = 2;
    m_data->AddDefaultSkills();
    EXPECT_EQ(std::vector<uint32_t>(m_data->m_skillRows, m_data->m_skillRows + m_data->m_skillCount),
              (std::vector<uint32_t>{21, 22, 23, 47}));
    EXPECT_EQ(m_data->m_comboStep, 0);
    EXPECT_EQ(m_data->m_combos[1][3], 21u);
}

TEST_F(CharSkillsTest, ComboIndexAndStep) {
    struct Index {
        int32_t given, selected;
    };
    m_data->SetComboIndex(1);
    for (const Index& c : {Index{-1, 1}, Index{2, 2}, Index{5, 0}, Index{1, 1}, Index{-3, 0}, Index{3, 0}}) {
        m_data->SetComboIndex(c.given);
        EXPECT_EQ(m_data->m_selectedCombo, c.selected) << c.given;
    }
    m_data->SelectComboDirect(-1);
    EXPECT_EQ(m_data->m_selectedCombo, 0);
    struct Step {
        int32_t length;
        uint32_t index;
        int32_t next;
    };
    for (const Step& s : {Step{3, 0, 1}, Step{3, 1, 2}, Step{3, 2, 0}, Step{3, 7, 0}, Step{1, 0, 0},
                          Step{0, 0, 0}, Step{-4, 2, 0}, Step{3, 0xFFFFFFFFu, 0}}) {
        m_data->SetComboLength(s.length);
        EXPECT_EQ(m_data->NextComboStep(s.index), s.next) << s.length << " " << s.index;
    }
}

TEST_F(CharSkillsTest, ComboRequestsAreOneAtATime) {
    EXPECT_TRUE(m_data->RequestComboSelect(2));
    EXPECT_EQ(m_data->m_comboRequested, 2);
    Clock().Advance(50);
    EXPECT_FALSE(m_data->RequestComboSelect(1));
    Clock().Advance(200);
    EXPECT_FALSE(m_data->RequestComboSelect(1));  // still waiting for the answer
    m_data->SetComboIndex(2);                     // the server's answer
    EXPECT_TRUE(m_data->RequestComboSelect(9));
    EXPECT_EQ(m_data->m_comboRequested, 0);
    m_data->SetComboIndex(0);
    Clock().Advance(99);
    EXPECT_FALSE(m_data->RequestComboSelect(1));  // within 100 ms of the last
    Clock().Advance(1);
    EXPECT_TRUE(m_data->RequestComboSelect(1));
    EXPECT_EQ(m_requests.sent, (std::vector<std::string>(3, "combo select")));
}

TEST_F(CharSkillsTest, TheServersSkillComboAndListMessages) {
    // 32: attack flag, flag byte, id, level, value; 33: attack flag, flag byte.
    auto update = std::make_unique<CSkillUpdateMsg>();
    update->Set(SKILL_ID_BASE + 14, 1, 6, 3, 4);
    m_mgr->PostRecord(std::move(update), 0);
    m_mgr->Update();
    EXPECT_EQ(m_data->GetSkillLevel(14), 3u);
    EXPECT_EQ(m_data->GetSkillValue(14), 4u);
    EXPECT_EQ(m_data->GetSkillFlag(14), 6);
    auto remove = std::make_unique<CSkillRemoveMsg>();
    remove->Set(1, 6);
    m_mgr->PostRecord(std::move(remove), 0);
    m_mgr->Update();
    EXPECT_FALSE(m_data->HasSkill(14));

    // 40: a combo value for the character.
    auto combo = std::make_unique<CComboTargetMsg>();
    combo->Set(0, m_player->GetCharId(), 2, 77);
    m_mgr->PostRecord(std::move(combo), 0);
    m_mgr->Update();
    m_player->GetController()->UpdateController(0);
    EXPECT_EQ(m_data->m_comboValues[2], 77u);

    // 43: the id/value list holds what the server sent.
    auto list = std::make_unique<CIdValueArrayMsg>();
    const uint32_t ids[] = {7, 8, 9};
    const uint16_t values[] = {70, 900, 90};
    list->Set(3, ids, values);
    m_mgr->PostRecord(std::move(list), 0);
    m_mgr->Update();
    m_player->GetController()->UpdateController(0);
    EXPECT_EQ(m_data->GetValueById(8), 900);
    EXPECT_EQ(m_data->GetValueById(9), 90);
    EXPECT_EQ(m_data->GetValueById(10), 0);
    m_data->RecomputeHighest();
    EXPECT_EQ(m_data->m_highestValue, 900);
}

}  // namespace
