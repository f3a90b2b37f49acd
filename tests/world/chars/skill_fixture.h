// The character test bed with a skill table, the check texts, a window
// manager with a recording skill window and, on demand, a map whose stage
// gives the battle rules.
#pragma once
#include <memory>
#include <string>
#include <vector>

#include "core/config.h"
#include "data/skill_table_mgr.h"
#include "tests/support/data_fixtures.h"
#include "tests/ui/test_windows.h"
#include "tests/world/chars/char_fixture.h"
#include "ui/base_window.h"
#include "ui/window_mgr.h"
#include "world/chars/char_skills.h"
#include "world/map/map.h"
#include "world/map/stage_data.h"
#include "world/map/stage_text.h"

namespace chartest {

// Skill rows: 0 an attack (target kind 1, script "slash"), 1 a skill (kind
// 2, script "null") whose level 0 costs 10, 20, 30, 40, 50 and 60; rows
// 2-16 skills of target kind = row - 2 (rows 3, 14 and 15 attacks); 21-23 and 47 exist for the default
// skills.
inline constexpr int32_t kAttackRow = 0;
inline constexpr int32_t kSkillRow = 1;
inline constexpr int32_t kSkillRows = 48;
// The effect the skill's cast plays (the attack's cast plays none).
inline constexpr uint16_t kSkillCastEffect = 7;

struct RecordingSkillWindow : uitest::TestWindow, ISkillWindowView {
    RecordingSkillWindow() : uitest::TestWindow(SKILL_WINDOW_NAME) {}
    std::vector<std::string> told;
    void OnSkillChanged(int32_t row, uint32_t level, uint32_t value) override {
        told.push_back(std::to_string(row) + " " + std::to_string(level) + " " + std::to_string(value));
    }
};

class SkillFixture : public CharFixture {
protected:
    void SetUp() override {
        CharFixture::SetUp();
        m_oldServer = g_config.m_useServer;
        m_db.Write(SKILL_TABLE_FILE, SkillTable());
        m_skills = std::make_unique<CSkillTableMgr>();
        g_pSkillTableMgr = m_skills.get();
    }
    void TearDown() override {
        g_pMap = nullptr;
        m_map.reset();
        g_pSkillTableMgr = nullptr;
        m_skills.reset();
        g_config.m_useServer = m_oldServer;
        CharFixture::TearDown();
    }

    static qmtest::TableBuilder SkillTable() {
        qmtest::TableBuilder levels(1, 25);
        for (int c = 19; c <= 24; ++c) levels.U16(c).Set(c, 0, (c - 18) * 10);
        qmtest::TableBuilder t(kSkillRows, 63);
        t.Set(SKILL_COL_BYTE_6, kAttackRow, 1).Set(SKILL_COL_TARGET_TYPE, kAttackRow, 1);
        t.Set(SKILL_COL_TARGET_TYPE, kSkillRow, 2);
        t.U16(SKILL_COL_CAST_EFFECT_ID).Set(SKILL_COL_CAST_EFFECT_ID, kSkillRow, kSkillCastEffect);
        for (int32_t row = 2; row <= 16; ++row) t.Set(SKILL_COL_TARGET_TYPE, row, row - 2);
        t.Set(SKILL_COL_BYTE_6, 3, 1).Set(SKILL_COL_BYTE_6, 14, 1).Set(SKILL_COL_BYTE_6, 15, 1);
        t.Nested(SKILL_COL_LEVELS).Set(SKILL_COL_LEVELS, kSkillRow, levels.Layout());
        // Scripts: the attack "slash", the skill none ("null").
        t.Text(SKILL_COL_TEXT_46)
            .Set(SKILL_COL_TEXT_46, kAttackRow, "slash")
            .Set(SKILL_COL_TEXT_46, kSkillRow, "null");
        return t;
    }

    // A map whose stage carries the properties (kind, battle attribute text).
    void MakeMap(const std::string& properties) {
        std::vector<uint8_t> bytes;
        std::string error;
        ASSERT_TRUE(maptext::BuildStageText(
            "group properties\n  @1 table [ word ] { rows 1 3 }\n" + properties + "end\n", bytes, &error))
            << error;
        auto stage = std::make_unique<CStageData>();
        ASSERT_TRUE(stage->Load(bytes.data(), bytes.size(), "test"));
        m_map = std::make_unique<CMap>();
        m_map->AdoptStage(std::move(stage));
        g_pMap = m_map.get();
    }

    // Makes a character and gives its data the skills (rows) at level 0.
    CChar* WithSkills(CChar* c, std::initializer_list<int32_t> rows) {
        uint8_t flag = 1;
        for (int32_t row : rows) c->GetData()->AddOrUpdateSkill(SKILL_ID_BASE + uint32_t(row), 0, 1, flag++);
        return c;
    }

    std::unique_ptr<CSkillTableMgr> m_skills;
    std::unique_ptr<CMap> m_map;
    bool m_oldServer = false;
};

}  // namespace chartest
