// Effects that keep animations on characters: the casting auras' fades and
// banner, the level auras' hits per hit frame and level bands, the marks on
// the targets.
#include "effects/classes/char_attached_effects.h"

#include "anim/ani_object.h"
#include "anim/render_queue.h"
#include "graphics/display_settings.h"
#include "tests/effects/effects_fixture.h"

using namespace fxtest;

namespace {

class CharAttachedEffectsTest : public EffectsFixture {
protected:
    void SetUp() override {
        EffectsFixture::SetUp();
        using namespace anitest;
        std::vector<AniFileMotion> marks;
        for (uint32_t m = 0; m < 16; ++m)
            marks.push_back(Motion(m, {Direction(2, {Layer({Image(0), Hold(3)})})}));
        m_ani.Write(TARGET_MARK2_ANI, File(14, marks));
    }
    // The use of the effect's row on the targets (each id with its value),
    // its first frame run.
    CEffectPlayer* Start(uint32_t id, const std::vector<CSkillTarget>& targets, uint8_t level = 1) {
        for (const CSkillTarget& t : targets)
            if (!m_mgr->GetChar(t.m_id)) Target(t.m_id, 10 + int32_t(t.m_id), 10);
        CEffectPlayer* effect = Use(RowOfEffect(id), targets, level);
        ClearShown();
        Frame();
        return effect;
    }
    std::vector<int> AppliedEntries() const {
        std::vector<int> out;
        for (size_t k = 0; k < Record()->m_targetCount; ++k) out.push_back(Record()->m_appliedBytes[k]);
        return out;
    }
    // The caster's motion plays out.
    void MotionEnds() {
        Clock().Advance(uint32_t(kMotionFrames) * 100);
        m_caster->GetAniObject()->Update();
    }
};

TEST_F(CharAttachedEffectsTest, ACastingAuraFadesInOnResetAndOutOnNextPhaseThenRemovesItself) {
    for (uint32_t id : {7u, 23u, 38u}) {
        SCOPED_TRACE(id);
        ISkillEffect* cast = g_pEffectPlayerMgr->StartCastEffect(id, m_caster);
        auto* aura = dynamic_cast<CCastingAuraEffect*>(cast);
        ASSERT_TRUE(aura);
        EXPECT_TRUE(aura->IsStarted()) << "started from its creation";
        Frame(0);
        ASSERT_TRUE(aura->Aura());
        EXPECT_GE(m_caster->DrawList().size(), 1u);
        aura->Draw();
        EXPECT_EQ(aura->Aura()->m_alpha, 0);
        Frame(500);
        aura->Draw();
        EXPECT_EQ(aura->Aura()->m_alpha, 127);
        Frame(500);
        aura->Draw();
        EXPECT_EQ(aura->Aura()->m_alpha, 255);
        Frame(1);
        EXPECT_EQ(aura->Phase(), CCastingAuraEffect::PHASE_STEADY);
        aura->NextPhase();
        aura->Draw();
        EXPECT_EQ(aura->Aura()->m_alpha, 255);
        Frame(1000);
        aura->Draw();
        EXPECT_EQ(aura->Aura()->m_alpha, 0);
        EXPECT_FALSE(aura->IsFinished());
        // The banner still fades after the aura.
        for (int i = 0; i < 200 && !aura->IsFinished(); ++i) Frame();
        EXPECT_TRUE(aura->IsFinished());
        Frame();
        EXPECT_FALSE(g_pEffectPlayerMgr->IsRunning(cast)) << "it queued itself for removal";
        EXPECT_TRUE(m_caster->DrawList().empty() || id == 23);
        ClearShown();
    }
}

TEST_F(CharAttachedEffectsTest, TheBannerDropsToTheMiddleForTheCastingPlayerOnly) {
    CChar* other = Target(9);
    CRenderQueue queue;
    CRenderQueue* old = g_pRenderQueue;
    g_pRenderQueue = &queue;
    for (CChar* caster : {m_caster, other}) {
        auto* banner = dynamic_cast<CCastingBannerEffect*>(g_pEffectPlayerMgr->StartCastEffect(38, caster));
        ASSERT_TRUE(banner);
        for (int i = 0; i < 60; ++i) Frame();
        EXPECT_TRUE(banner->HasArrived());
        EXPECT_LT(std::abs(banner->BannerY() - GetDisplaySettings().screenHeight / 2), 5);
        queue.Clear();
        banner->Draw();
        EXPECT_EQ(queue.GetCount(), caster == m_caster ? 1u : 0u);
        g_pEffectPlayerMgr->ClearAll();
    }
    g_pRenderQueue = old;
}

TEST_F(CharAttachedEffectsTest, EachHitFrameLandsEveryTargetsNextHit) {
    struct Case {
        uint32_t id;
        std::vector<uint32_t> targets;          // ids in record order
        std::vector<std::vector<int>> applied;  // after each hit frame
    };
    const Case cases[] = {
        {12, {5, 5, 6, 5}, {{1, 0, 1, 0}, {1, 1, 1, 0}, {1, 1, 1, 1}}},
        {17, {5, 6}, {{1, 1}}},
        // A target listed more than ten times keeps getting its hits.
        {12, std::vector<uint32_t>(12, 5), {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.id);
        std::vector<CSkillTarget> list;
        for (uint32_t t : c.targets) list.push_back({t, 100 + t, 0, 0});
        CEffectPlayer* effect = Start(c.id, list);
        ASSERT_TRUE(effect);
        EXPECT_EQ(CasterMotion(), 4);
        for (const std::vector<int>& after : c.applied) {
            HitFrame();
            Frame();
            EXPECT_EQ(AppliedEntries(), after);
        }
        if (c.applied.empty()) {
            for (size_t k = 0; k < c.targets.size(); ++k) {
                HitFrame();
                Frame();
            }
            EXPECT_EQ(AppliedEntries(), std::vector<int>(c.targets.size(), 1));
        }
        MotionEnds();
        Frame();
        EXPECT_TRUE(effect->IsFinished());
        m_caster->GetAction()->EndSkillUse();
        ClearShown();
    }
}

TEST_F(CharAttachedEffectsTest, TheLevelBandIsTakenOnTheLevelPlusOne) {
    struct Case {
        uint32_t id;
        uint8_t level;  // the record's level (the skill level less one)
        int32_t motion;
    };
    const Case cases[] = {{12, 2, 4}, {12, 3, 20}, {12, 5, 20},  {12, 6, 21}, {12, 9, 22},
                          {17, 4, 4}, {17, 5, 20}, {17, 10, 21}, {17, 15, 22}};
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.id) + " level " + std::to_string(c.level));
        auto* effect = dynamic_cast<CLevelAuraEffect*>(Start(c.id, {{5, 10, 0, 0}}, uint8_t(c.level + 1)));
        ASSERT_TRUE(effect);
        EXPECT_EQ(effect->MotionId(), c.motion);
        EXPECT_EQ(CasterMotion(), c.motion);
        m_caster->GetAction()->EndSkillUse();
    }
}

TEST_F(CharAttachedEffectsTest, MarksFollowTheTargetsFromTheSignalAndEndWhenPlayed) {
    struct Case {
        uint32_t id;
        bool second;  // the signal's counter
        int32_t motion;
        int appliedAtSignal;
    };
    const Case cases[] = {{10, true, 11, 0}, {19, true, 11, 0}, {13, false, 4, 2}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.id);
        m_caster->GetController()->m_firstHits = m_caster->GetController()->m_secondHits = 0;
        auto* effect = dynamic_cast<CTargetMarkEffect*>(Start(c.id, {{5, 10, 0, 0}, {6, 20, 0, 0}}));
        ASSERT_TRUE(effect);
        EXPECT_EQ(CasterMotion(), c.motion);
        HitFrame(!c.second);
        Frame();
        EXPECT_EQ(effect->MarkCount(), 0u);
        HitFrame(c.second);
        Frame();
        ASSERT_EQ(effect->MarkCount(), 2u);
        EXPECT_EQ(m_mgr->GetChar(5)->DrawList().size(), 1u);
        int applied = 0;
        for (int a : AppliedEntries()) applied += a;
        EXPECT_EQ(applied, c.appliedAtSignal);
        EXPECT_FALSE(Shows(std::to_string(kSparkAni) + ":0")) << "no default spark";
        for (int i = 0; i < 20 && !effect->IsFinished(); ++i) Frame(100);
        EXPECT_TRUE(effect->IsFinished());
        m_caster->GetAction()->EndSkillUse();
        EXPECT_TRUE(m_mgr->GetChar(5)->DrawList().empty()) << "the marks left the target";
        ClearShown();
    }
    // Targets that all left: the effect ends as soon as it has shown.
    auto* effect = dynamic_cast<CTargetMarkEffect*>(Start(10, {{5, 10, 0, 0}}));
    ASSERT_TRUE(effect);
    m_mgr->RemoveCharacter(5);
    HitFrame(true);
    Frame();
    EXPECT_TRUE(effect->IsFinished());
}

TEST_F(CharAttachedEffectsTest, ShakingMarksLandTheHitsASecondAfterTheSignal) {
    CEffectPlayer* effect = Start(44, {{5, 10, 0, 0}, {6, 20, 0, 0}});
    ASSERT_TRUE(effect);
    EXPECT_EQ(CasterMotion(), 5);
    HitFrame(true);
    Frame();
    auto* shake = dynamic_cast<CTargetShakeEffect*>(effect);
    ASSERT_EQ(shake->MarkCount(), 2u);
    Frame(1000);
    EXPECT_EQ(AppliedEntries(), (std::vector<int>{0, 0})) << "1,000 ms exactly still waits";
    Frame(1);
    EXPECT_EQ(AppliedEntries(), (std::vector<int>{1, 1}));
    EXPECT_TRUE(effect->IsFinished());
}

TEST_F(CharAttachedEffectsTest, AuraEffectsOnTheCasterEndWhenTheirAnimationsHavePlayed) {
    for (uint32_t id : {8u, 11u, 36u}) {
        SCOPED_TRACE(id);
        CEffectPlayer* effect = Start(id, {{5, 10, 0, 0}});
        ASSERT_TRUE(effect);
        EXPECT_FALSE(m_caster->DrawList().empty());
        if (id != 8) {
            EXPECT_EQ(CasterMotion(), 11);
            EXPECT_FALSE(m_caster->DrawList()[0]->IsDrawOn()) << "hidden until the signal";
            HitFrame(true);
            Frame();
            EXPECT_TRUE(m_caster->DrawList()[0]->IsDrawOn());
        }
        for (int i = 0; i < 20 && !effect->IsFinished(); ++i) Frame(100);
        EXPECT_TRUE(effect->IsFinished());
        m_caster->GetAction()->EndSkillUse();
        g_pEffectPlayerMgr->ClearAll();
        EXPECT_TRUE(m_caster->DrawList().empty());
    }
}

}  // namespace
