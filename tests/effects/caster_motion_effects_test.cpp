// Effects shown through the caster's motion: the motion each plays, when its
// hits land, and what ends it.
#include "effects/classes/caster_motion_effects.h"

#include "tests/effects/effects_fixture.h"

using namespace fxtest;

namespace {

class CasterMotionEffectsTest : public EffectsFixture {
protected:
    // Starts the effect of the id on targets 5, 6 and 7 (values 11, 12, 13)
    // and runs its first frame.
    CEffectPlayer* Start(uint32_t id, int targets = 3) {
        std::vector<CSkillTarget> list;
        for (int k = 0; k < targets; ++k) {
            Target(5 + uint32_t(k), 12 + k, 10);
            list.push_back({5 + uint32_t(k), 11 + uint32_t(k), 0, 0});
        }
        CEffectPlayer* effect = Use(RowOfEffect(id), list);
        ClearShown();
        Frame();
        return effect;
    }
    // How many of the targets' entries have landed.
    int Applied() const {
        int n = 0;
        for (size_t k = 0; k < Record()->m_targetCount; ++k) n += Record()->m_appliedBytes[k];
        return n;
    }
    // Another motion interrupts the caster's.
    void Interrupt() { PlayCasterMotion(m_caster, 13); }
};

TEST_F(CasterMotionEffectsTest, EachPlaysItsMotionAndLandsItsHitsAtItsSignal) {
    struct Case {
        uint32_t id;
        int32_t motion;
        bool second;       // waits on the second counter
        int hitsAtSignal;  // entries applied at the signal
    };
    const Case cases[] = {
        {3, 4, false, 1}, {51, 4, false, 3}, {42, 6, true, 3},   {45, 4, true, 3},
        {46, 6, true, 0}, {21, 4, false, 1}, {37, 11, false, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.id);
        CEffectPlayer* effect = Start(c.id);
        ASSERT_TRUE(effect);
        EXPECT_TRUE(effect->IsStarted());
        EXPECT_EQ(CasterMotion(), c.motion);
        Frame();
        EXPECT_EQ(Applied(), 0);
        HitFrame(!c.second);  // the other counter does nothing
        Frame();
        EXPECT_EQ(Applied(), 0);
        HitFrame(c.second);
        Frame();
        EXPECT_EQ(Applied(), c.hitsAtSignal);
        m_caster->GetAction()->EndSkillUse();
        for (uint32_t id : {5u, 6u, 7u}) m_mgr->RemoveCharacter(id);
        m_caster->GetController()->m_firstHits = m_caster->GetController()->m_secondHits = 0;
    }
}

TEST_F(CasterMotionEffectsTest, TwoSignalsLandTwoHitsOnTheFirstTarget) {
    CEffectPlayer* effect = Start(3, 1);
    HitFrame();
    Frame();
    EXPECT_TRUE(Shows("9:1"));  // 11
    ClearShown();
    HitFrame();
    Frame();
    EXPECT_TRUE(Shows("4501:11"));  // its only entry is spent: a miss
    EXPECT_FALSE(effect->IsFinished());
    // The motion plays out.
    Clock().Advance(uint32_t(kMotionFrames) * 100);
    m_caster->GetAniObject()->Update();
    Frame();
    EXPECT_TRUE(effect->IsFinished());
}

TEST_F(CasterMotionEffectsTest, AnInterruptedMotionEndsTheEffectWithoutHits) {
    for (uint32_t id : {3u, 51u, 37u, 42u}) {
        SCOPED_TRACE(id);
        CEffectPlayer* effect = Start(id);
        Interrupt();
        Frame();
        EXPECT_TRUE(effect->IsFinished());
        EXPECT_EQ(Applied(), 0);
        m_caster->GetAction()->EndSkillUse();
        for (uint32_t t : {5u, 6u, 7u}) m_mgr->RemoveCharacter(t);
    }
    // The ground slam goes on from its first motion to its second.
    CEffectPlayer* slam = Start(16);
    EXPECT_EQ(CasterMotion(), 4);
    HitFrame();  // a signal of the first motion does not count
    Interrupt();
    Frame();
    EXPECT_FALSE(slam->IsFinished());
    EXPECT_EQ(CasterMotion(), 5);
    Frame();
    EXPECT_EQ(Applied(), 0);
    HitFrame();
    Frame();
    EXPECT_EQ(Applied(), 3);
    EXPECT_TRUE(Shows("3216:0"));
}

TEST_F(CasterMotionEffectsTest, ASweepStopsAtAMissingTargetAndStartsAgainAtTheNextSignal) {
    Start(51);
    m_mgr->RemoveCharacter(6);
    HitFrame();
    Frame();
    EXPECT_EQ(Record()->m_appliedBytes[0], 1);
    EXPECT_EQ(Record()->m_appliedBytes[2], 0);  // waits behind the missing one
    EXPECT_TRUE(Shows("133:0"));
}

TEST_F(CasterMotionEffectsTest, TheRepeatStrikePlaysItsMotionOnceForEachTarget) {
    CEffectPlayer* effect = Start(21);
    for (int k = 1; k <= 3; ++k) {
        EXPECT_FALSE(effect->IsFinished());
        HitFrame();
        Frame();
        EXPECT_EQ(Applied(), k);
        EXPECT_EQ(CasterMotion(), 4);
    }
    EXPECT_TRUE(effect->IsFinished());
}

TEST_F(CasterMotionEffectsTest, TheDelayedBlastHitsTwoSecondsAfterItsSignalWhateverTheMotion) {
    CEffectPlayer* effect = Start(28);
    EXPECT_EQ(CasterMotion(), 12);
    HitFrame(true);
    Frame();
    EXPECT_TRUE(Shows("3237:0"));
    EXPECT_TRUE(Shows("3237:1"));
    Interrupt();
    Clock().Advance(DELAYED_BLAST_MS - 33);
    Frame();
    EXPECT_EQ(Applied(), 0);
    EXPECT_FALSE(effect->IsFinished());
    Frame();
    EXPECT_EQ(Applied(), 3);
    EXPECT_TRUE(Shows("3237:2"));
    EXPECT_FALSE(Shows("4500:0"));  // no default spark
    EXPECT_TRUE(effect->IsFinished());
}

TEST_F(CasterMotionEffectsTest, ZilpungsaShowsItsLevelsMotionThenHitsOneTargetAFrame) {
    CEffectPlayer* effect = Start(15);
    EXPECT_EQ(CasterMotion(), 25);
    HitFrame();
    Frame();
    EXPECT_TRUE(Shows("3215:1"));  // level column 12 holds 2
    EXPECT_EQ(Applied(), 0);
    for (int k = 1; k <= 3; ++k) {
        Frame();
        EXPECT_EQ(Applied(), k);
    }
    EXPECT_FALSE(effect->IsFinished());
    Interrupt();
    Frame();
    EXPECT_TRUE(effect->IsFinished());
}

TEST_F(CasterMotionEffectsTest, TheScreenFlashShowsAtTheCentreAndHitsNothing) {
    CEffectPlayer* effect = Start(46);
    Interrupt();  // before its signal the motion does not end it
    Frame();
    EXPECT_FALSE(effect->IsFinished());
    HitFrame(true);
    Frame();
    EXPECT_TRUE(Shows("3335:8"));
    EXPECT_EQ(Applied(), 0);
    EXPECT_TRUE(effect->IsFinished());
}

}  // namespace
