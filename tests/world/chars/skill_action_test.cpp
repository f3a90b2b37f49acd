// A skill use from the server's record to its end: the skill action's start
// (effect, script, nothing to run), its hit timing, the caster's motion and
// pauses, the targets the server marks, the icon, and the skill manager's
// tables.
#include "world/chars/skill_action.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "tests/ui/test_windows.h"
#include "tests/world/chars/skill_fixture.h"

using namespace chartest;

namespace {

struct FakeEffect : ISkillEffect {
    bool finished = false;
    std::vector<std::string> phases;
    bool IsFinished() override { return finished; }
    void ResetPhase() override { phases.push_back("reset"); }
    void NextPhase() override { phases.push_back("next"); }
};

struct FakeSkillEffects : ISkillEffects {
    bool starts = true;
    std::vector<std::unique_ptr<FakeEffect>> running;
    std::vector<int32_t> started;  // skill rows
    int removed = 0;
    ISkillEffect* StartEffectForSkill(CSkillUse* use) override {
        auto* action = dynamic_cast<CSkillAction*>(use);
        if (!starts || !action) return nullptr;
        started.push_back(action->SkillRow());
        running.push_back(std::make_unique<FakeEffect>());
        return running.back().get();
    }
    std::vector<uint32_t> castIds;
    ISkillEffect* StartCastEffect(uint32_t id, CChar*) override {
        castIds.push_back(id);
        running.push_back(std::make_unique<FakeEffect>());
        running.back()->ResetPhase();
        return running.back().get();
    }
    bool IsRunning(ISkillEffect* effect) override {
        for (auto& e : running)
            if (e.get() == effect) return true;
        return false;
    }
    void RemoveEffect(ISkillEffect* effect) override {
        std::erase_if(running, [&](const auto& e) { return e.get() == effect; });
        ++removed;
    }
};

struct FakeRunner : ISkillScriptRunner {
    bool ended = false;
};

struct FakeSkillScripts : ISkillScripts {
    std::vector<std::string> started;
    std::vector<std::unique_ptr<FakeRunner>> runners;
    int stopped = 0;
    ISkillScriptRunner* StartScript(const char* name, CSkillAction*) override {
        started.push_back(name);
        runners.push_back(std::make_unique<FakeRunner>());
        return runners.back().get();
    }
    bool IsEnded(ISkillScriptRunner* runner) override { return static_cast<FakeRunner*>(runner)->ended; }
    void StopScript(ISkillScriptRunner*) override { ++stopped; }
};

CSkillActionMsg UseRecord(int32_t row, uint32_t caster, uint32_t target, uint32_t timeMs, uint16_t hits = 1,
                          uint16_t combo = 0) {
    CSkillActionMsg record;
    record.Set(SKILL_ID_BASE + uint32_t(row), 1, caster, 0, 0, hits, combo, target, timeMs);
    return record;
}

class SkillActionTest : public SkillFixture {
protected:
    void SetUp() override {
        SkillFixture::SetUp();
        m_player = MakePlayer();
        m_monster = Make(CHAR_KIND_MONSTER, 5);
        ASSERT_TRUE(m_player && m_monster);
        m_player->GetData()->SetMotion(MOTION_STAND);
    }
    void TearDown() override {
        m_mgr.reset();  // the characters end their uses first
        g_pCharMgr = nullptr;
        SkillFixture::TearDown();
    }
    // The skill use event (30) through the player's own queue.
    void Use(const CSkillActionMsg& record) {
        PostMessageTo(0, m_player, 0, MSG_SKILL_ACTION, MsgDataPtr(new CSkillActionMsg(record)), nullptr);
        m_player->GetController()->UpdateController(0);
    }
    std::unique_ptr<CSkillHitMsg> Hits(const std::vector<CSkillTarget>& targets, uint32_t pause) {
        auto hit = std::make_unique<CSkillHitMsg>();
        hit->Set(SKILL_ID_BASE, 1, m_player->GetCharId(), targets.size(), targets.data(), 0, 0, 0, 0,
                 uint32_t(m_player->m_cellX), uint32_t(m_player->m_cellY), 0, pause / 10);
        return hit;
    }
    CSkillAction* Running() { return m_player->GetAction()->m_pSkillAction; }

    FakeSkillEffects m_effects2;
    ScopedSkillEffects m_scopedEffects2{m_effects2};
    CChar* m_player = nullptr;
    CChar* m_monster = nullptr;
};

TEST_F(SkillActionTest, AUseStartsOnlyWithATargetAndSomethingToRun) {
    FakeSkillScripts scripts;
    struct Case {
        const char* name;
        int32_t row;
        uint32_t target;
        bool effect, scriptSeam;
        bool started, scriptMode;
    };
    const Case cases[] = {
        {"no target", kAttackRow, 0, true, true, false, false},
        {"the effect", kAttackRow, 5, true, false, true, false},
        {"the script", kAttackRow, 5, false, true, true, true},
        {"no script service", kAttackRow, 5, false, false, false, true},
        {"a null script", kSkillRow, 5, false, true, false, true},
        {"no script named", 3, 5, false, true, false, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::unique_ptr<ScopedSkillScripts> scoped;
        if (c.scriptSeam) scoped = std::make_unique<ScopedSkillScripts>(scripts);
        m_effects2.starts = c.effect;
        CSkillAction action;
        EXPECT_EQ(action.Start(m_player, UseRecord(c.row, 1, c.target, 1000)), c.started);
        EXPECT_EQ(action.IsRunning(), c.started);
        EXPECT_EQ(action.IsFinished(), !c.started);
        if (c.target) {
            EXPECT_EQ(action.IsScriptMode(), c.scriptMode);
        }
    }
    EXPECT_EQ(scripts.started, (std::vector<std::string>{"slash"}));
}

TEST_F(SkillActionTest, AnAttackMarksItsHitAQuarterSecondBeforeItsEnd) {
    CCharData* data = m_player->GetData();
    struct Case {
        int32_t row;
        uint32_t follow;
        bool marks;
    };
    for (const Case& c : {Case{kAttackRow, 5, true}, Case{kAttackRow, 0, false}, Case{kSkillRow, 5, false}}) {
        SCOPED_TRACE(c.row);
        data->m_hitPending = 0;
        m_player->GetController()->m_followSource = c.follow;
        Use(UseRecord(c.row, 1, 5, 1000));
        ASSERT_TRUE(Running());
        const uint32_t start = Running()->StartTime();
        Clock().Advance(750);
        Running()->Update();
        EXPECT_EQ(data->m_hitPending, 0);
        Clock().Advance(1);
        Running()->Update();
        EXPECT_EQ(data->m_hitPending, c.marks ? 1 : 0);
        if (c.marks) {
            EXPECT_EQ(data->m_hitTime, start + 750);
        }
        m_player->GetAction()->EndSkillUse();
    }
}

struct RecordingHook : IItemHitHook {
    std::vector<std::string> calls;
    void OnHit(CChar* owner, uint32_t value) override {
        calls.push_back(std::to_string(owner ? owner->GetCharId() : 0) + " " + std::to_string(value));
    }
};

TEST_F(SkillActionTest, TheUseRunsItsTimeAndLeavesItsPause) {
    CCharData* data = m_player->GetData();
    data->SetComboLength(3);
    // The weapon hears of the strike's end; a worn item elsewhere does not.
    RecordingHook weaponHook, ringHook;
    data->m_items[2] = std::make_unique<CItemObject>();
    data->m_items[2]->SetHitHook(&weaponHook);
    data->m_items[5] = std::make_unique<CItemObject>();
    data->m_items[5]->SetHitHook(&ringHook);
    data->NotifyEquippedItem(1);
    EXPECT_EQ(weaponHook.calls, std::vector<std::string>{"1 1"});
    Use(UseRecord(kAttackRow, 1, 5, 1000, 2, 2));
    CSkillAction* action = Running();
    ASSERT_TRUE(action);
    EXPECT_EQ(data->m_motion, MOTION_SKILL);
    EXPECT_EQ(data->m_comboStep, 0);  // after the last combo position
    EXPECT_EQ(m_player->GetAniObject()->m_timeScale, 0.5f);
    EXPECT_EQ(g_pSkillTableMgr->FindActiveSkillUse(1, 5), action);
    EXPECT_FALSE(m_player->GetController()->CanUseSkill(true, 0, true, nullptr, 0));
    // The server's hits reach the running use, with the pause after it.
    PostMessageTo(0, m_player, 0, MSG_SKILL_HIT, MsgDataPtr(Hits({{5, 10, 0, 0}}, 400).release()), nullptr);
    m_player->GetController()->UpdateController(0);
    ASSERT_TRUE(action->HitRecord());
    EXPECT_EQ(action->DelayValue(), 400u);
    // The effect ends: the caster rests while the use runs on.
    m_effects2.running.back()->finished = true;
    g_pSkillTableMgr->UpdateSkillUses();
    EXPECT_EQ(data->m_motion, MOTION_STAND);
    EXPECT_EQ(Running(), action);
    Clock().Advance(1000);
    g_pSkillTableMgr->UpdateSkillUses();
    EXPECT_EQ(Running(), nullptr);
    EXPECT_EQ(data->m_actionDelay[CCharData::DELAY_ATTACK_AFTER], 400u);
    EXPECT_EQ(data->m_actionStart[CCharData::DELAY_ATTACK_AFTER], Clock().Milliseconds());
    EXPECT_EQ(data->m_finishedBytes[0], 1);
    EXPECT_EQ(m_player->GetAniObject()->m_timeScale, 1.0f);
    EXPECT_EQ(weaponHook.calls, (std::vector<std::string>{"1 1", "1 0"}));
    EXPECT_TRUE(ringHook.calls.empty());
    data->m_items[2]->SetHitHook(nullptr);
    g_pSkillTableMgr->UpdateSkillUses();
    EXPECT_EQ(g_pSkillTableMgr->FindActiveSkillUse(1, 5), nullptr);
    EXPECT_TRUE(g_pSkillTableMgr->Children().IsEmpty());
    // A use that cannot start leaves the character resting.
    Use(UseRecord(kAttackRow, 1, 0, 1000));
    EXPECT_EQ(Running(), nullptr);
    EXPECT_EQ(data->m_motion, MOTION_STAND);
    EXPECT_TRUE(g_pSkillTableMgr->Children().IsEmpty());
}

TEST_F(SkillActionTest, TheTargetsTheServerMarksGoWhenTheUseEnds) {
    CChar* blocked = Make(CHAR_KIND_MONSTER, 6);
    CChar* unharmed = Make(CHAR_KIND_MONSTER, 7);
    Use(UseRecord(kAttackRow, 1, 5, 1000));
    ASSERT_TRUE(Running());
    Running()->TakeHitRecord(Hits({{5, 10, 0, 0}, {6, 10, 1, 0}, {7, 0, 0, 0}}, 0));
    // 61: the caster's open use marks 5; 6 is blocked and 7 carries no value,
    // so they go at once.
    for (uint32_t target : {5u, 6u, 7u}) {
        auto mark = std::make_unique<CTimedPairMsg>();
        mark->Set(1, target, 0);
        m_mgr->PostRecord(std::move(mark), 0);
    }
    m_mgr->Update();
    EXPECT_EQ(m_monster->m_beingRemoved, 0);
    EXPECT_EQ(blocked->m_beingRemoved, 1);
    EXPECT_EQ(unharmed->m_beingRemoved, 1);
    Running()->Finish();
    EXPECT_EQ(m_monster->m_beingRemoved, 1);
    EXPECT_EQ(Running(), nullptr);  // the caster's use ended with it
    EXPECT_EQ(m_player->GetData()->m_motion, MOTION_STAND);
}

TEST_F(SkillActionTest, TheOwnCharacterFallingEndsItsUse) {
    Use(UseRecord(kAttackRow, 1, 5, 1000));
    ASSERT_TRUE(Running());
    m_player->GetData()->SetMotion(MOTION_HELD_DOWN);
    EXPECT_EQ(Running(), nullptr);
    EXPECT_EQ(m_player->GetData()->m_motion, MOTION_HELD_DOWN);
    // A caster that goes away leaves the use to end by itself.
    CChar* other = Make(CHAR_KIND_PLAYER, 9);
    PostMessageTo(0, other, 0, MSG_SKILL_ACTION,
                  MsgDataPtr(new CSkillActionMsg(UseRecord(kAttackRow, 9, 5, 1000))), nullptr);
    other->GetController()->UpdateController(0);
    CSkillAction* action = other->GetAction()->m_pSkillAction;
    ASSERT_TRUE(action);
    EXPECT_TRUE(m_mgr->RemoveCharacter(9));
    EXPECT_TRUE(action->IsFinished());
    g_pSkillTableMgr->UpdateSkillUses();
    EXPECT_TRUE(g_pSkillTableMgr->Children().IsEmpty());
}

TEST_F(SkillActionTest, AMonsterThatDiesMidUseForgetsTheUseBeforeItGoes) {
    PostMessageTo(0, m_monster, 0, MSG_SKILL_ACTION,
                  MsgDataPtr(new CSkillActionMsg(UseRecord(kAttackRow, 5, 1, 1000))), nullptr);
    m_monster->GetController()->UpdateController(0);
    CSkillAction* action = m_monster->GetAction()->m_pSkillAction;
    ASSERT_TRUE(action);
    m_monster->GetData()->SetMotion(MOTION_DEAD);
    // The effect ends: the use finishes, and the manager deletes it.
    m_effects2.running.back()->finished = true;
    g_pSkillTableMgr->UpdateSkillUses();
    g_pSkillTableMgr->UpdateSkillUses();
    EXPECT_TRUE(g_pSkillTableMgr->Children().IsEmpty());
    EXPECT_EQ(m_monster->GetAction()->m_pSkillAction, nullptr);
    // Its hits and its going away touch no use any more.
    PostMessageTo(0, m_monster, 0, MSG_SKILL_HIT, MsgDataPtr(Hits({{1, 10, 0, 0}}, 400).release()), nullptr);
    m_monster->GetController()->UpdateController(0);
    EXPECT_TRUE(m_mgr->RemoveCharacter(5));
}

TEST_F(SkillActionTest, AnotherPlayerDyingEndsItsUse) {
    CChar* other = Make(CHAR_KIND_PLAYER, 9);
    ASSERT_TRUE(other);
    other->GetAction()->BeginSkillUse(UseRecord(kAttackRow, 9, 5, 1000), true);
    CSkillAction* action = other->GetAction()->m_pSkillAction;
    ASSERT_TRUE(action);
    other->GetAction()->Die();
    EXPECT_EQ(other->GetData()->m_motion, MOTION_DEAD);
    EXPECT_EQ(other->GetAction()->m_pSkillAction, nullptr);
    EXPECT_TRUE(action->IsFinished());
}

struct QuickSlots : uitest::TestWindow, ISkillIconTarget {
    QuickSlots() : uitest::TestWindow("QuickSlotWindow") {}
    std::vector<CSkillAction*> dropped;
    void DropSkillIcon(CSkillAction* icon, int32_t, int32_t) override { dropped.push_back(icon); }
};

TEST_F(SkillActionTest, AnIconDroppedOffTheQuickSlotsGoesWithTheManagersNextUpdate) {
    CWindowMgr windows;
    windows.Create();
    g_pWindowMgr = &windows;
    auto* slots = new QuickSlots;
    ASSERT_TRUE(windows.AddChild(slots));
    slots->m_pickable = 1;
    auto icon = std::make_unique<CSkillAction>();
    icon->BeginDrag(0);
    EXPECT_TRUE(icon->EndDrag());
    EXPECT_EQ(slots->dropped, (std::vector<CSkillAction*>{icon.get()}));
    // With drag data, or off the window, it goes: not at once, with the
    // manager's next update.
    CSkillAction* gone = icon.release();
    gone->BeginDrag(1);
    EXPECT_TRUE(gone->EndDrag());
    EXPECT_EQ(slots->dropped.size(), 1u);
    EXPECT_EQ(g_pSkillTableMgr->FindChild(gone->GetId()), gone);
    gone->EndDrag();  // a second end does nothing
    g_pSkillTableMgr->UpdateSkillUses();
    EXPECT_TRUE(g_pSkillTableMgr->Children().IsEmpty());
    windows.Release();
    g_pWindowMgr = nullptr;
}

TEST_F(SkillActionTest, TheSkillManagerLoadsItsTablesAndFactors) {
    qmtest::TableBuilder empty(0, 2);
    struct Case {
        const char* name;
        bool table13, table31, factors;
        bool created;
        std::vector<float> expected;
    };
    const Case cases[] = {
        {"table 24 missing", true, true, false, true, {6, 7, 5, 5}},
        {"table 24", true, true, true, true, {9, 8, 0, 0}},
        {"table 13 missing", false, true, false, false, {6, 7, 5, 5}},
        {"table 31 missing", true, false, false, false, {6, 7, 5, 5}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        qmtest::ScopedDatabase db;
        db.Write(SKILL_TABLE_FILE, SkillTable());
        if (c.table13) db.Write(13, empty);
        if (c.table31) db.Write(31, empty);
        if (c.factors) {
            qmtest::TableBuilder factors(2, 2);
            factors.Set(1, 0, 9).Set(1, 1, 8);
            db.Write(24, factors);
        }
        CSkillTableMgr skills;
        skills.Release();
        EXPECT_EQ(skills.Create(), c.created);
        std::vector<float> got;
        for (int n = 0; n < CSkillTableMgr::FACTOR_COUNT; ++n) got.push_back(skills.GetFactor(n));
        EXPECT_EQ(got, c.expected);
        EXPECT_TRUE(skills.GetTable());  // the skill table serves whatever else is missing
    }
}

TEST_F(SkillActionTest, TheCastHoldsTheCharacterAndItsCircleFadesWhenItEnds) {
    using namespace anitest;
    m_ani.Write(1254, File(ANI_LATEST_VERSION, {Motion(0, {Direction(2, {Layer({Image(0)})})}),
                                                Motion(1, {Direction(2, {Layer({Image(0)})})})}));
    CCharAction* action = m_player->GetAction();
    CCharData* data = m_player->GetData();
    action->SetCastRecord(std::make_unique<CSkillActionMsg>(UseRecord(kAttackRow, 1, 5, 0)));
    EXPECT_EQ(data->m_motion, MOTION_STAND);  // no cast time: no cast
    action->SetCastRecord(std::make_unique<CSkillActionMsg>(UseRecord(kAttackRow, 1, 5, 500)));
    EXPECT_EQ(data->m_motion, MOTION_CAST);
    EXPECT_EQ(data->m_actionDelay[CCharData::DELAY_ATTACK_CAST], 500u);
    EXPECT_EQ(data->m_castBytes[0], 1);
    EXPECT_FALSE(m_player->GetController()->CanUseSkill(true, 0, true, nullptr, 0));
    ASSERT_EQ(m_play.Entries().size(), 1u);
    CAniPlayEntry* circle = m_play.Entries()[0];
    EXPECT_EQ(circle->m_fadeOut, 0);
    // Leaving the cast cancels it.
    data->SetMotion(MOTION_STAND);
    EXPECT_EQ(data->m_castBytes[0], 0);
    EXPECT_EQ(action->m_pCastRecord, nullptr);
    EXPECT_EQ(circle->m_fadeOut, 1);
    // A skill's cast uses the other delay.
    action->SetCastRecord(std::make_unique<CSkillActionMsg>(UseRecord(kSkillRow, 1, 0, 300)));
    EXPECT_EQ(data->m_actionDelay[CCharData::DELAY_SKILL_CAST], 300u);
    EXPECT_EQ(data->m_castBytes[1], 1);
    action->InterruptCast();
    EXPECT_EQ(data->m_motion, MOTION_STAND);
    EXPECT_EQ(data->m_castBytes[1], 0);
}

TEST_F(SkillActionTest, TheCastPlaysItsEffectUntilTheUseBeginsOrTheCastStops) {
    CCharAction* action = m_player->GetAction();
    action->SetCastRecord(std::make_unique<CSkillActionMsg>(UseRecord(kAttackRow, 1, 5, 500)));
    EXPECT_TRUE(m_effects2.castIds.empty());       // the attack's cast has no effect
    m_player->GetData()->SetMotion(MOTION_STAND);  // leaves the cast
    action->SetCastRecord(std::make_unique<CSkillActionMsg>(UseRecord(kSkillRow, 1, 5, 300)));
    EXPECT_EQ(m_effects2.castIds, std::vector<uint32_t>{kSkillCastEffect});
    auto* first = static_cast<FakeEffect*>(action->CastEffect());
    ASSERT_TRUE(first);
    EXPECT_EQ(first->phases, std::vector<std::string>{"reset"});
    // A cancelled cast turns its effect to its end; the effect stays the
    // manager's until it ends itself.
    m_player->GetData()->SetMotion(MOTION_STAND);  // leaves the cast
    EXPECT_EQ(first->phases, (std::vector<std::string>{"reset", "next"}));
    EXPECT_EQ(m_effects2.removed, 0);
    // A new cast removes what is left of the old effect.
    action->SetCastRecord(std::make_unique<CSkillActionMsg>(UseRecord(kSkillRow, 1, 5, 300)));
    EXPECT_EQ(m_effects2.removed, 1);
    auto* second = static_cast<FakeEffect*>(action->CastEffect());
    ASSERT_TRUE(second);
    // The use's start ends the cast's effect.
    Use(UseRecord(kSkillRow, 1, 5, 1000));
    ASSERT_TRUE(Running());
    EXPECT_EQ(second->phases, (std::vector<std::string>{"reset", "next"}));
    // Deleted by the manager, the effect reads as gone.
    std::erase_if(m_effects2.running, [&](const auto& e) { return e.get() == second; });
    EXPECT_EQ(action->CastEffect(), nullptr);
    // Reset removes a cast effect that still runs.
    m_player->GetData()->SetMotion(MOTION_STAND);  // leaves the cast
    action->SetCastRecord(std::make_unique<CSkillActionMsg>(UseRecord(kSkillRow, 1, 5, 300)));
    const int removedBefore = m_effects2.removed;
    action->Reset();
    EXPECT_EQ(m_effects2.removed, removedBefore + 1);
    EXPECT_EQ(action->CastEffect(), nullptr);
}

TEST_F(SkillActionTest, HitsWithoutARunningUseShowTheTargetsNumbersAtOnce) {
    m_ani.Write(343, anitest::OneLayer({anitest::Image(0)}, ANI_LATEST_VERSION, 13, 2));
    // Targets 5 (here) and 99 (not held: asked of the server).
    auto hit = Hits({{5, 30, 0, 0}, {99, 30, 0, 0}}, 0);
    PostMessageTo(0, m_player, 0, MSG_SKILL_HIT, MsgDataPtr(hit.release()), nullptr);
    m_player->GetController()->UpdateController(0);
    EXPECT_EQ(Running(), nullptr);
    EXPECT_EQ(m_play.Entries().size(), 1u);  // the mark over 5
    EXPECT_EQ(m_requests.sent, (std::vector<std::string>{"info 99"}));
}

}  // namespace
