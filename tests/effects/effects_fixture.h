// The effects' test bed: the characters and skills of the world's test bed,
// a skill table whose rows carry the effect ids and hit kinds, the small
// animations the effects and the hit marks show, the animation name table,
// and the effect manager made by its start-up slot.
#pragma once
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "anim/ani_play_mgr.h"
#include "core/global_objects.h"
#include "effects/base/effect_player_mgr.h"
#include "effects/effects_startup.h"
#include "net/handlers/char_records.h"
#include "tests/world/chars/skill_fixture.h"
#include "world/chars/char_world.h"
#include "world/chars/skill_action.h"

namespace fxtest {

inline constexpr uint32_t kSparkAni = 4500;
inline constexpr uint32_t kWordAni = 4501;
inline constexpr uint32_t kDamageAni = 9;  // another's damage digits and the miss mark
inline constexpr uint32_t kStrongAni = 265;

// Skill rows: the row's effect id, hit kind (column 15) and what its level asks.
enum : int32_t {
    kPlainRow = 30,    // kind 0, effect 3
    kPlainNumberRow,   // kind 3
    kMarkedRow,        // kind 6, the level asks for a number
    kMarkedSilentRow,  // kind 6, no number
    kForcedSoundRow,   // kind 0, column 16 = 3
    kEffectRow0 = 40,  // kEffectRow0 + k plays effect kEffectIds[k]
};

// Rows of the effects' skill table.
inline constexpr int32_t kSkillTableRows = chartest::kSkillRows + 40;

// A long motion of the character animation: the effects' caster motions.
inline constexpr uint16_t kMotionFrames = 20;

class EffectsFixture : public chartest::SkillFixture {
protected:
    static constexpr uint32_t kEffectIds[] = {3,  15, 16, 21, 28, 37, 42, 45, 46, 51,
                                              12, 17, 10, 13, 44, 8,  11, 19, 36};

    void SetUp() override {
        SkillFixture::SetUp();
        using namespace anitest;
        // The character's motions play long, so that an effect's motion runs
        // until the test ends it.
        std::vector<AniFileMotion> motions;
        for (uint32_t m : {0u,  1u,  2u,  3u,  4u,  5u,  6u,   7u,   11u,  12u,  13u, 14u,
                           15u, 16u, 20u, 21u, 22u, 25u, 100u, 101u, 102u, 103u, 105u})
            motions.push_back(Motion(m, {Direction(2, {Layer({Image(0), Hold(kMotionFrames)})}, 80)}));
        m_ani.Write(chartest::kCharAni, File(14, motions));
        // Marks and digits: a motion for each mark and digit.
        std::vector<AniFileMotion> marks;
        for (uint32_t m = 0; m < 16; ++m)
            marks.push_back(Motion(m, {Direction(2, {Layer({Image(0), Hold(3)})})}));
        for (uint32_t ani :
             {kSparkAni, kWordAni, kDamageAni, kStrongAni, 91u,   343u, 133u, 3215u, 3216u, 3237u, 3335u,
              3198u,     3200u,    3201u,      3211u,      3217u, 799u, 221u, 222u,  3199u, 979u})
            m_ani.Write(ani, File(14, marks));
        qmtest::TableBuilder names(2, 2);
        names.Text(0).U32(1).Set(0, 0, HIT_SPARK_ANI_NAME).Set(1, 0, kSparkAni);
        names.Set(0, 1, "WORD01").Set(1, 1, kWordAni);
        m_db.Write(PLAY_NAME_TABLE_FILE, names);
        ASSERT_TRUE(m_play.Init());
        m_db.Write(SKILL_TABLE_FILE, EffectSkillTable());
        m_skills = std::make_unique<CSkillTableMgr>();
        g_pSkillTableMgr = m_skills.get();
        ASSERT_TRUE(m_skills->GetTable());
        // Battle is allowed on the field (the miss word shows).
        m_field.m_serverAttrFlag = 1;
        m_field.m_attrByte = 1;
        InstallEffectsGlobals();
        ASSERT_TRUE(CreateGlobal(GlobalSlot::EffectPlayerMgr));
        ASSERT_TRUE(g_pEffectPlayerMgr);
        m_caster = MakePlayer(1);
        ASSERT_TRUE(m_caster);
        m_caster->GetData()->SetMotion(MOTION_STAND);
    }
    void TearDown() override {
        m_mgr.reset();  // the characters end their uses first
        g_pCharMgr = nullptr;
        DestroyGlobal(GlobalSlot::EffectPlayerMgr);
        ClearGlobalFactories();
        SkillFixture::TearDown();
    }

    static qmtest::TableBuilder EffectSkillTable() {
        qmtest::TableBuilder levels(1, 25);
        levels.Set(12, 0, 2).Set(14, 0, 1);
        qmtest::TableBuilder t(kSkillTableRows, 63);
        t.U16(SKILL_COL_EFFECT_ID).U16(SKILL_COL_CAST_EFFECT_ID).U16(SKILL_COL_OVERLAY_KIND);
        t.Nested(SKILL_COL_LEVELS);
        for (int32_t row = 0; row < kSkillTableRows; ++row)
            t.Set(SKILL_COL_TARGET_TYPE, row, 1).Set(SKILL_COL_LEVELS, row, levels.Layout());
        t.Set(SKILL_COL_EFFECT_ID, kPlainRow, 3);
        t.Set(SKILL_COL_BYTE_15, kPlainNumberRow, 3).Set(SKILL_COL_EFFECT_ID, kPlainNumberRow, 3);
        t.Set(SKILL_COL_BYTE_15, kMarkedRow, 6).Set(SKILL_COL_EFFECT_ID, kMarkedRow, 3);
        t.Set(SKILL_COL_MODE_15, kMarkedRow, 1);
        t.Set(SKILL_COL_BYTE_15, kMarkedSilentRow, 6).Set(SKILL_COL_EFFECT_ID, kMarkedSilentRow, 3);
        t.Set(SKILL_COL_BYTE_16, kForcedSoundRow, 3).Set(SKILL_COL_EFFECT_ID, kForcedSoundRow, 3);
        for (size_t k = 0; k < std::size(kEffectIds); ++k)
            t.Set(SKILL_COL_EFFECT_ID, kEffectRow0 + int32_t(k), int32_t(kEffectIds[k]));
        t.Text(SKILL_COL_TEXT_46);
        return t;
    }
    static int32_t RowOfEffect(uint32_t id) {
        for (size_t k = 0; k < std::size(kEffectIds); ++k)
            if (kEffectIds[k] == id) return kEffectRow0 + int32_t(k);
        return -1;
    }

    // A monster target standing at a tile.
    CChar* Target(uint32_t id, int32_t tileX = 12, int32_t tileY = 10) { return MonsterAt(id, tileX, tileY); }

    // The caster's use of the skill row on the first target (the server's
    // use record), then its hits (the server's hit record). Returns the
    // use's effect.
    CEffectPlayer* Use(int32_t row, const std::vector<CSkillTarget>& targets, uint8_t level = 1,
                       uint32_t cellX = 12, uint32_t cellY = 10) {
        CSkillActionMsg use;
        use.Set(SKILL_ID_BASE + uint32_t(row), level, m_caster->GetCharId(), 0, 0, 1, 0,
                targets.empty() ? 99 : targets[0].m_id, 10000);
        m_caster->GetAction()->BeginSkillUse(use, true);
        CSkillAction* action = Action();
        if (!action) return nullptr;
        if (!targets.empty()) {
            auto hit = std::make_unique<CSkillHitMsg>();
            hit->Set(SKILL_ID_BASE + uint32_t(row), level, m_caster->GetCharId(), targets.size(),
                     targets.data(), 0, 0, 0, 0, cellX, cellY, 0, 0);
            // Each target's own value, not a share of a total.
            for (size_t n = 0; n < targets.size(); ++n) hit->m_targetValues[n] = targets[n].m_value;
            action->TakeHitRecord(std::move(hit));
        }
        return static_cast<CEffectPlayer*>(action->Effect());
    }
    CSkillAction* Action() const { return m_caster->GetAction()->m_pSkillAction; }
    CSkillHitMsg* Record() const { return Action() ? Action()->HitRecord() : nullptr; }

    // One frame: the effects, then the placed animations.
    // What the frame's effects handed the play manager is noted before the
    // play manager's step (which drops what has played out).
    void Frame(uint32_t ms = 33) {
        Clock().Advance(ms);
        g_pEffectPlayerMgr->ProcessAll();
        for (const std::string& s : Shown()) m_seen.push_back(s);
        m_play.UpdateAll();
    }
    // The caster's animation reaches a hit frame (first or second counter).
    void HitFrame(bool second = false) {
        CCharController* controller = m_caster->GetController();
        (second ? controller->m_secondHits : controller->m_firstHits) += 1;
    }

    // What the play manager shows: "animation:motion" of each entry.
    std::vector<std::string> Shown() const {
        std::vector<std::string> out;
        for (CAniPlayEntry* e : m_play.Entries())
            out.push_back(std::to_string(e->m_aniIndex) + ":" +
                          std::to_string(e->m_pObject ? e->m_pObject->GetCurrentMotionId() : -1));
        return out;
    }
    // Shown now or by a frame since the last ClearShown.
    bool Shows(const std::string& what) const {
        for (const std::string& s : Shown())
            if (s == what) return true;
        for (const std::string& s : m_seen)
            if (s == what) return true;
        return false;
    }
    void ClearShown() {
        m_play.Release();
        m_seen.clear();
    }
    int32_t CasterMotion() const {
        CAniObject* ani = m_caster->GetAniObject();
        return ani ? ani->GetCurrentMotionId() : -1;
    }

    CChar* m_caster = nullptr;
    std::vector<std::string> m_seen;
};

}  // namespace fxtest
