// A hit landing on a target: what the record's entry shows, and what it
// leaves (applied entries, kills, marks, warps).
#include "effects/base/effect_player.h"

#include <functional>

#include "tests/effects/effects_fixture.h"
#include "world/chars/char_mgr.h"

using namespace fxtest;

namespace {

class EffectPlayerTest : public EffectsFixture {};

TEST_F(EffectPlayerTest, AHitShowsWhatTheRecordsEntrySays) {
    struct Case {
        const char* name;
        int32_t row;
        uint32_t value;
        uint8_t flags;  // bit 0 missed, bit 1 flash
        int32_t spark;
        std::function<void(CSkillHitMsg&)> prepare;
        std::vector<std::string> shown;
        bool pushed, reacts;
        std::vector<std::string> sounds;
    };
    const std::function<void(CSkillHitMsg&)> none = [](CSkillHitMsg&) {};
    const Case cases[] = {
        {"a plain hit", kPlainRow, 25, 0, 0, none, {"4500:0", "9:2", "9:5"}, true, true, {"1 5 0"}},
        {"no default spark", kPlainRow, 25, 0, NO_DEFAULT_SPARK, none, {"9:2", "9:5"}, true, true, {"1 5 0"}},
        {"the skill forces its sound",
         kForcedSoundRow,
         7,
         0,
         0,
         none,
         {"4500:0", "9:7"},
         true,
         true,
         {"1 5 1"}},
        {"a miss: the word over the attacker",
         kPlainRow,
         25,
         1,
         0,
         none,
         {"4500:0", "4501:11"},
         false,
         false,
         {}},
        {"no value: the miss word", kPlainRow, 0, 0, 0, none, {"4500:0", "4501:11"}, false, false, {}},
        {"the flash mark", kPlainRow, 4, 2, 0, none, {"4500:0", "4501:12", "9:4"}, true, true, {"1 5 0"}},
        {"a combo count over the attacker",
         kPlainRow,
         4,
         0,
         0,
         [](CSkillHitMsg& r) { r.m_comboCount = 3; },
         {"4500:0", "4501:10", "4501:3", "9:4"},
         true,
         true,
         {"1 5 0"}},
        {"a warp in place of the push",
         kPlainRow,
         4,
         0,
         0,
         [](CSkillHitMsg& r) {
             r.m_warpOrder = CSkillHitMsg::WarpOrder{3, 4};
         },
         {"4500:0", "9:4", "595:0"},  // the dust where the target stood
         true,                        // the sprite slides from there
         true,
         {"1 5 0"}},
        {"plain numbers: no spark, sound, push nor reaction",
         kPlainNumberRow,
         25,
         0,
         0,
         none,
         {"265:2", "265:5"},
         false,
         false,
         {}},
        {"a marked skill's miss is the mark",
         kMarkedRow,
         25,
         1,
         0,
         none,
         {"4500:0", "9:10"},
         false,
         false,
         {}},
        {"a marked skill shows the number its level asks for",
         kMarkedRow,
         25,
         0,
         0,
         none,
         {"4500:0", "9:2", "9:5"},
         true,
         true,
         {"1 5 0"}},
        {"a marked skill whose level asks for none shows none",
         kMarkedSilentRow,
         25,
         0,
         0,
         none,
         {"4500:0"},
         true,
         true,
         {}},
        {"a marked skill without a value shows nothing",
         kMarkedRow,
         0,
         0,
         0,
         none,
         {"4500:0"},
         false,
         false,
         {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CChar* target = Target(5);
        CEffectPlayer* effect = Use(c.row, {{5, c.value, c.flags, 0}});
        ASSERT_TRUE(effect);
        c.prepare(*Record());
        ClearShown();
        m_sound.hitSounds.clear();
        effect->ApplyHit(m_caster, target, c.spark, c.value);
        EXPECT_EQ(Shown(), c.shown);
        EXPECT_EQ(target->m_drawOffset[0] != 0 || target->m_drawOffset[1] != 0, c.pushed);
        EXPECT_EQ(target->GetData()->m_motion == MOTION_HIT, c.reacts);
        EXPECT_EQ(m_sound.hitSounds, c.sounds);
        EXPECT_EQ(Record()->m_appliedBytes[0], 1);
        EXPECT_FALSE(Record()->m_warpOrder);  // spent when there was one
        if (std::string(c.name) == "a warp in place of the push") {
            EXPECT_EQ(target->m_cellX, 3);
            EXPECT_EQ(target->m_cellY, 4);
        }
        m_caster->GetAction()->EndSkillUse();
        m_mgr->RemoveCharacter(5);
    }
}

TEST_F(EffectPlayerTest, EachHitTakesTheTargetsNextEntryAndThenMisses) {
    CChar* a = Target(5);
    CChar* b = Target(6, 13, 10);
    CEffectPlayer* effect = Use(kPlainRow, {{5, 3, 0, 0}, {6, 4, 0, 0}, {5, 8, 0, 0}});
    ASSERT_TRUE(effect);
    struct Step {
        CChar* target;
        std::vector<std::string> shown;
    };
    const Step steps[] = {
        {a, {"4500:0", "9:3"}},
        {a, {"4500:0", "9:8"}},
        {a, {"4500:0", "4501:11"}},  // every entry of 5 applied: a miss
        {b, {"4500:0", "9:4"}},
    };
    for (const Step& s : steps) {
        ClearShown();
        effect->ApplyHit(m_caster, s.target, 0, 0);
        EXPECT_EQ(Shown(), s.shown);
    }
    // A missing attacker or target, or a use without its hits, lands nothing.
    ClearShown();
    effect->ApplyHit(nullptr, a, 0, 0);
    effect->ApplyHit(m_caster, nullptr, 0, 0);
    CEffectPlayer loose;
    loose.ApplyHit(m_caster, a, 0, 0);
    EXPECT_TRUE(Shown().empty());
}

TEST_F(EffectPlayerTest, AKillingHitRemovesTheTargetOnceAndHandsItsDropsToTheMap) {
    CChar* target = Target(5);
    Target(6, 13, 10);
    CEffectPlayer* effect = Use(kPlainRow, {{5, 30, 0, 0}, {6, 30, 0, 0}});
    ASSERT_TRUE(effect);
    Action()->m_targets[0].m_hit = true;  // the server reported 5 finished
    CSkillHitMsg::PendingDrop drop;
    drop.m_item.Set(700, 1234, 1, 0, "Apple", nullptr, CItemRecord(), 12, 10, 0);
    Record()->m_pendingDrops.push_back(drop);
    CSkillHitMsg::NumberMarks marks;
    marks.m_count = 2;
    marks.m_ids[0] = 6;
    marks.m_values[0] = 77;
    marks.m_ids[1] = 5;
    marks.m_values[1] = 55;
    Record()->m_numberMarks = marks;

    effect->ApplyHit(m_caster, target, 0, 30);
    EXPECT_EQ(target->m_beingRemoved, 1);
    EXPECT_FALSE(Action()->m_targets[0].m_hit);  // the use's end does not remove it again
    EXPECT_TRUE(Record()->m_pendingDrops.empty());
    m_field.ProcessMessages();
    EXPECT_TRUE(m_field.FindFieldObject(700));
    // 5's number mark shows; 6's waits for 6's hit.
    EXPECT_TRUE(Shows("4501:5"));
    ASSERT_TRUE(Record()->m_numberMarks);
    EXPECT_EQ(Record()->m_numberMarks->m_ids[1], 0u);
    ClearShown();
    effect->ApplyHitById(1, 6, 0, 30);
    EXPECT_TRUE(Shows("4501:7"));
    EXPECT_FALSE(Record()->m_numberMarks);  // none left
}

TEST_F(EffectPlayerTest, HitCountersAreReadOnceAndALostCasterCountsAsAHit) {
    Target(5);
    CEffectPlayer* effect = Use(kPlainRow, {{5, 1, 0, 0}});
    ASSERT_TRUE(effect);
    CCharController* controller = m_caster->GetController();
    EXPECT_FALSE(effect->ConsumeHitFlag(m_caster));
    EXPECT_FALSE(effect->ConsumeHitFlag2(m_caster));
    controller->m_firstHits = 2;
    controller->m_secondHits = 1;
    EXPECT_TRUE(effect->ConsumeHitFlag(m_caster));
    EXPECT_EQ(controller->m_firstHits, 0);
    EXPECT_FALSE(effect->ConsumeHitFlag(m_caster));
    EXPECT_TRUE(effect->ConsumeHitFlag2ById(1));
    EXPECT_FALSE(effect->ConsumeHitFlag2(m_caster));
    EXPECT_TRUE(effect->ConsumeHitFlagById(4242));  // nobody to wait for
    // The caster falls: the use's caster is no longer valid.
    m_caster->GetData()->SetMotion(MOTION_HELD_DOWN);
    CEffectPlayer loose;
    loose.SetSkillAction(nullptr);
    EXPECT_FALSE(loose.ConsumeHitFlag(m_caster));
}

TEST_F(EffectPlayerTest, AnimatedObjectsAreMadeOffScreenAndAnEmptyCountMakesNone) {
    CEffectPlayer effect;
    std::unique_ptr<CAniObject> one = effect.CreateAniObject(133, 0, 4, 1, 1, 6);
    EXPECT_EQ(one->m_screenX, -1000);
    EXPECT_EQ(one->m_layer, 6);
    EXPECT_EQ(one->m_direction, 4);
    EXPECT_EQ(one->m_loop, 1);
    EXPECT_EQ(effect.CreateAniObjects(3, 133, 0, 2, 0, 0, 6).size(), 3u);
    EXPECT_TRUE(effect.CreateAniObjects(0, 133, 0, 2, 0, 0, 6).empty());
    EXPECT_TRUE(effect.CreateAniObjects(-1, 133, 0, 2, 0, 0, 6).empty());
}

TEST_F(EffectPlayerTest, EndRestartsTheMotionOfACasterLeftDown) {
    CEffectPlayer effect;
    effect.SetCaster(1);
    m_caster->GetData()->SetMotion(MOTION_HELD_DOWN);
    effect.End();
    EXPECT_TRUE(effect.IsFinished());
    EXPECT_EQ(m_caster->GetData()->m_motion, MOTION_TIMED);
    // HitAllTargets without the caster ends the effect without hits.
    CEffectPlayer orphan;
    orphan.SetCaster(4242);
    orphan.HitAllTargets(false);
    EXPECT_TRUE(orphan.IsFinished());
}

}  // namespace
