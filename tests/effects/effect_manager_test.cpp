// The effect manager: making effects by id, the frame's order, removal by
// the owner or by the effect itself, each effect deleted once.
#include <string>
#include <vector>

#include "effects/base/effect_player_mgr.h"
#include "tests/effects/effects_fixture.h"

using namespace fxtest;

namespace {

std::vector<std::string> g_log;

// Logs its frames and its deletion; queues itself for removal when told.
struct LoggingEffect : CEffectPlayer {
    static inline int s_made = 0;
    int m_number = ++s_made;
    bool m_queueSelf = false;
    ~LoggingEffect() override { g_log.push_back("delete " + std::to_string(m_number)); }
    bool Process() override {
        g_log.push_back("process " + std::to_string(m_number));
        if (m_queueSelf) g_pEffectPlayerMgr->QueueRemoval(this);
        return true;
    }
    bool Draw() override {
        g_log.push_back("draw " + std::to_string(m_number));
        return true;
    }
};

constexpr uint32_t kLoggingId = 120;  // a row no family fills yet

class EffectManagerTest : public EffectsFixture {
protected:
    void SetUp() override {
        EffectsFixture::SetUp();
        g_log.clear();
        LoggingEffect::s_made = 0;
        g_pEffectPlayerMgr->Factory().Set(kLoggingId, CEffectFactory::MakeOf<LoggingEffect>);
    }
    LoggingEffect* Make() {
        return static_cast<LoggingEffect*>(g_pEffectPlayerMgr->StartNewEffect(kLoggingId, m_caster));
    }
};

TEST_F(EffectManagerTest, EffectsAreMadeByIdForACaster) {
    struct Case {
        uint32_t id;
        bool caster;
        bool made;
        bool reported;
    };
    const Case cases[] = {
        {3, true, true, false},     // a filled row
        {3, false, false, false},   // no caster
        {0, true, false, false},    // no effect
        {110, true, false, false},  // no effect
        {119, true, false, false},  // a row no family fills yet: the skill takes its script
        {178, true, false, false}, {179, true, false, true}, {0xFFFFFFFFu, true, false, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.id);
        const size_t boxes = m_ani.Boxes().size();
        CEffectPlayer* effect = g_pEffectPlayerMgr->StartNewEffect(c.id, c.caster ? m_caster : nullptr);
        EXPECT_EQ(effect != nullptr, c.made);
        if (effect) {
            EXPECT_EQ(effect->CasterId(), 1u);
            EXPECT_FALSE(effect->IsStarted());
            EXPECT_TRUE(g_pEffectPlayerMgr->Contains(effect));
        }
        EXPECT_EQ(m_ani.Boxes().size() > boxes, c.reported);
    }
    EXPECT_EQ(m_ani.LastBoxText(),
              "CEffectPlayerMgr::StartNewEffect() Error : Unknown Effect ID [4294967295]");
}

TEST_F(EffectManagerTest, EffectsRunAndDrawInTheOrderTheyWereMade) {
    Make();
    Make();
    g_pEffectPlayerMgr->ProcessAll();
    g_pEffectPlayerMgr->DrawAll();
    EXPECT_EQ(g_log, (std::vector<std::string>{"process 1", "process 2", "draw 1", "draw 2"}));
}

TEST_F(EffectManagerTest, AQueuedEffectFinishesItsFrameAndGoesBeforeTheNextOne) {
    LoggingEffect* first = Make();
    Make();
    first->m_queueSelf = true;
    g_pEffectPlayerMgr->ProcessAll();
    g_pEffectPlayerMgr->DrawAll();
    g_pEffectPlayerMgr->ProcessAll();
    EXPECT_EQ(g_log, (std::vector<std::string>{"process 1", "process 2", "draw 1", "draw 2", "delete 1",
                                               "process 2"}));
    EXPECT_EQ(g_pEffectPlayerMgr->GetCount(), 1u);
}

TEST_F(EffectManagerTest, AnEffectIsDeletedOnceHoweverItGoes) {
    // Queued, then removed by its owner: the purge finds it gone.
    LoggingEffect* a = Make();
    g_pEffectPlayerMgr->QueueRemoval(a);
    EXPECT_TRUE(g_pEffectPlayerMgr->RemoveEffect(a));
    EXPECT_FALSE(g_pEffectPlayerMgr->RemoveEffect(a));
    g_pEffectPlayerMgr->ProcessAll();
    EXPECT_EQ(g_log, std::vector<std::string>{"delete 1"});
    // A weak reference kept by an owner reads gone after the purge, and never
    // passes for a new effect made in its place.
    LoggingEffect* b = Make();
    CWeakRef kept(static_cast<ISkillEffect*>(b));
    g_pEffectPlayerMgr->QueueRemoval(b);
    g_pEffectPlayerMgr->ProcessAll();
    EXPECT_FALSE(kept);
    Make();
    EXPECT_FALSE(kept);
    EXPECT_FALSE(g_pEffectPlayerMgr->IsRunning(kept.GetAs<ISkillEffect>()));
    // Queued twice, deleted once.
    LoggingEffect* d = Make();
    g_pEffectPlayerMgr->QueueRemoval(d);
    g_pEffectPlayerMgr->QueueRemoval(d);
    g_log.clear();
    g_pEffectPlayerMgr->ProcessAll();
    EXPECT_EQ(g_log, (std::vector<std::string>{"delete 4", "process 3"}));
    // ClearAll deletes the running and the queued, once each, and leaves an
    // empty manager empty.
    g_pEffectPlayerMgr->QueueRemoval(Make());
    g_log.clear();
    g_pEffectPlayerMgr->ClearAll();
    EXPECT_EQ(g_log, (std::vector<std::string>{"delete 3", "delete 5"}));
    g_pEffectPlayerMgr->ClearAll();
    g_pEffectPlayerMgr->ProcessAll();
    EXPECT_EQ(g_pEffectPlayerMgr->GetCount(), 0u);
}

TEST_F(EffectManagerTest, AnEffectRemovedDuringItsOwnFrameIsDeletedAfterTheWalk) {
    // The caster falls in the middle of the frame: its use ends and removes
    // the effect that is running.
    struct FellingEffect : LoggingEffect {
        bool Process() override {
            LoggingEffect::Process();
            g_pEffectPlayerMgr->RemoveEffect(this);
            g_log.push_back("still here " + std::to_string(m_number));
            return true;
        }
    };
    g_pEffectPlayerMgr->Factory().Set(kLoggingId, CEffectFactory::MakeOf<FellingEffect>);
    Make();
    g_pEffectPlayerMgr->Factory().Set(kLoggingId, CEffectFactory::MakeOf<LoggingEffect>);
    Make();
    g_pEffectPlayerMgr->ProcessAll();
    EXPECT_EQ(g_log, (std::vector<std::string>{"process 1", "still here 1", "process 2", "delete 1"}));
}

TEST_F(EffectManagerTest, ASkillsEffectWaitsForTheUsesHits) {
    Target(5);
    // The use starts its skill's effect (id 3): it waits until the hits come.
    CSkillActionMsg use;
    use.Set(SKILL_ID_BASE + uint32_t(kPlainRow), 1, 1, 0, 0, 1, 0, 5, 10000);
    m_caster->GetAction()->BeginSkillUse(use, true);
    ASSERT_TRUE(Action());
    auto* effect = static_cast<CEffectPlayer*>(Action()->Effect());
    ASSERT_TRUE(effect);
    EXPECT_EQ(effect->SkillAction(), Action());
    Frame();
    EXPECT_FALSE(effect->IsStarted());
    CSkillTarget target{5, 10, 0, 0};
    auto hit = std::make_unique<CSkillHitMsg>();
    hit->Set(SKILL_ID_BASE + uint32_t(kPlainRow), 1, 1, 1, &target, 0, 0, 0, 0, 12, 10, 0, 0);
    Action()->TakeHitRecord(std::move(hit));
    Frame();
    EXPECT_TRUE(effect->IsStarted());
    // The use's end removes its effect.
    m_caster->GetAction()->EndSkillUse();
    EXPECT_EQ(g_pEffectPlayerMgr->GetCount(), 0u);
}

}  // namespace
