// The script manager: scripts load once by name, a script that is not
// re-entrant runs once at a time, finished runners go when their script asks
// and no owner holds them, and an owner never keeps a runner the manager has
// deleted: the skill actions' scripts from start to stop.
#include "script/script_mgr.h"

#include <gtest/gtest.h>

#include "anim/ani_play_mgr.h"
#include "data/skill_table_mgr.h"
#include "tests/script/script_fixture.h"
#include "tests/support/data_fixtures.h"
#include "world/chars/skill_action.h"

namespace {

using qmtest::ScriptExpr;
using qmtest::ScriptWriter;
using scripttest::kLongAni;
using scripttest::kShortAni;

// Makes an entry of the animation playing without end, keeps its handle in
// v0, yields once and ends.
ScriptWriter PlaceAndEnd(uint32_t animation, bool removeWhenFinished = false) {
    ScriptWriter w;
    w.Flags(removeWhenFinished, false);
    w.Entry({qmtest::Set(0, ScriptExpr::Native(0, {double(animation)})),
             qmtest::Do(ScriptExpr::Native(8, {0, ScriptExpr::Var(0), 0, 0})), qmtest::Yield()});
    return w;
}

class ScriptMgrTest : public scripttest::ScriptWorldTest {
protected:
    void SetUp() override {
        ScriptWorldTest::SetUp();
        m_keeper = MonsterAt(9, 4, 4);
        ASSERT_TRUE(m_keeper);
    }

    CChar* m_keeper = nullptr;

    bool Listed(const CScriptRunner* runner) const {
        for (const auto& r : g_pScriptMgr->Runners())
            if (r.get() == runner) return true;
        return false;
    }
    uint32_t HandleOf(const CScriptRunner* runner) const { return uint32_t(runner->GetVariable(0)); }
};

TEST_F(ScriptMgrTest, AScriptThatIsNotReentrantRunsOnceWhileItIsListed) {
    ScriptWriter reentrant = PlaceAndEnd(kShortAni);
    reentrant.Flags(false, true);
    m_folder.Write("again", reentrant);
    CScriptRunner* first = Run(PlaceAndEnd(kShortAni), "once");
    ASSERT_TRUE(first);
    EXPECT_TRUE(first->IsRunning());
    EXPECT_EQ(g_pScriptMgr->StartScript("once"), nullptr);
    Frame();
    Frame();
    EXPECT_FALSE(first->IsRunning());
    EXPECT_EQ(g_pScriptMgr->StartScript("once"), nullptr);  // finished, still listed
    CScriptRunner* a = g_pScriptMgr->StartScript("again");
    CScriptRunner* b = g_pScriptMgr->StartScript("again");
    ASSERT_TRUE(a && b);
    EXPECT_NE(a, b);
    EXPECT_NE(a->GetSerial(), b->GetSerial());
    EXPECT_EQ(a->GetScript(), b->GetScript());  // loaded once
    EXPECT_TRUE(g_pScriptMgr->StopScript(first, true));
    EXPECT_NE(g_pScriptMgr->StartScript("once"), nullptr);
    EXPECT_EQ(g_pScriptMgr->LoadedCount(), 2u);
    EXPECT_EQ(g_pScriptMgr->Runners().size(), 3u);
    EXPECT_TRUE(NewBoxes().empty());
}

TEST_F(ScriptMgrTest, AScriptThatCannotLoadShowsTheBoxAtEachAttempt) {
    qmtest::ScopedTextTables texts({{23, {"Cannot read the script %s"}}});
    m_folder.WriteBytes("Damaged", {1, 2, 3});
    for (const char* name : {"Missing", "Missing", "Damaged", "../Missing"}) {
        EXPECT_EQ(g_pScriptMgr->StartScript(name), nullptr);
        EXPECT_EQ(m_ani.LastBoxText(), std::string("Cannot read the script ") + name + "[" + name + "]");
    }
    EXPECT_EQ(NewBoxes().size(), 4u);
    EXPECT_EQ(g_pScriptMgr->LoadedCount(), 0u);
    EXPECT_EQ(g_pScriptMgr->StartScript(nullptr), nullptr);
}

TEST_F(ScriptMgrTest, AFinishedRunnerGoesWhenItsScriptAsksUnlessAnOwnerHoldsIt) {
    m_folder.Write("flash", PlaceAndEnd(kLongAni, true));
    for (bool held : {false, true}) {
        SCOPED_TRACE(held);
        CScriptRunner* runner = g_pScriptMgr->StartScript("flash");
        ASSERT_TRUE(runner);
        RegisterScriptNatives(runner->GetScript());
        if (held) runner->SetOwnerChar(m_keeper);
        Frame();
        const uint32_t handle = HandleOf(runner);
        ASSERT_NE(m_play.FindEntryByHandle(handle, true), nullptr);
        Frame();  // finished in this frame
        EXPECT_EQ(Listed(runner), held);
        if (held) {
            EXPECT_TRUE(g_pScriptMgr->IsEnded(runner));
            EXPECT_NE(m_play.FindEntryByHandle(handle, true), nullptr);
            g_pScriptMgr->StopScript(runner, false);
            EXPECT_FALSE(Listed(runner));
        }
        // Its entry stays, kept by no runner.
        EXPECT_EQ(m_play.FindEntryByHandle(handle, true), nullptr);
        EXPECT_NE(m_play.FindEntryByHandle(handle, false), nullptr);
    }
}

TEST_F(ScriptMgrTest, StoppingARunnerRemovesItsEntriesOrLeavesThemOutOfReach) {
    for (bool deleteObjects : {true, false}) {
        SCOPED_TRACE(deleteObjects);
        CScriptRunner* runner = Run(PlaceAndEnd(kLongAni), "place");
        Frame();
        const uint32_t handle = HandleOf(runner);
        CAniPlayEntry* entry = m_play.FindEntryByHandle(handle, true);
        ASSERT_TRUE(entry);
        CScriptRunner* other = Idle();
        EXPECT_EQ(CallNative(other, 2, {1, double(handle)}).result, 0.0);  // not its entry
        g_pScriptMgr->StopScript(runner, deleteObjects);
        EXPECT_FALSE(Listed(runner));
        EXPECT_EQ(m_play.FindEntryByHandle(handle, false) != nullptr, !deleteObjects);
        // A new runner (a new serial) cannot reach it either.
        EXPECT_EQ(CallNative(Idle("idle2"), 2, {1, double(handle)}).result, 0.0);
        g_pScriptMgr->Release();
        m_play.Release();
    }
    // A runner the manager does not hold is left alone.
    CScriptRunner stranger;
    EXPECT_TRUE(g_pScriptMgr->StopScript(&stranger, true));
    EXPECT_TRUE(g_pScriptMgr->IsEnded(&stranger));
}

TEST_F(ScriptMgrTest, AReleaseDeletesWhatNoOwnerHoldsAndKeepsTheRestForTheirOwners) {
    CScriptRunner* loose = Run(PlaceAndEnd(kLongAni), "loose");
    CScriptRunner* held = Run(PlaceAndEnd(kLongAni), "held");
    held->SetOwnerChar(m_keeper);
    Frame();
    const uint32_t heldEntry = HandleOf(held);
    EXPECT_FALSE(g_pScriptMgr->IsEnded(held));
    g_pScriptMgr->Release();
    g_pScriptMgr->Init();
    EXPECT_TRUE(g_pScriptMgr->Runners().empty());
    EXPECT_EQ(g_pScriptMgr->LoadedCount(), 0u);
    EXPECT_EQ(g_pScriptMgr->FindRunner(loose), nullptr);
    // The held one reads as ended and waits for its owner's stop.
    EXPECT_TRUE(g_pScriptMgr->IsEnded(held));
    ASSERT_EQ(g_pScriptMgr->FindRunner(held), held);
    EXPECT_FALSE(held->IsRunning());
    EXPECT_EQ(held->GetScript()->GetName(), "held");
    Frame();
    g_pScriptMgr->StopScript(held, true);
    EXPECT_EQ(g_pScriptMgr->FindRunner(held), nullptr);
    EXPECT_EQ(m_play.FindEntryByHandle(heldEntry, false), nullptr);
}

// ---- The skill actions' scripts ----

class SkillScriptTest : public ScriptMgrTest {
protected:
    void SetUp() override {
        ScriptMgrTest::SetUp();
        m_player = MakePlayer();
        m_monster = Make(CHAR_KIND_MONSTER, 5);
        ASSERT_TRUE(m_player && m_monster);
        m_player->GetData()->SetMotion(MOTION_STAND);
        // The attack's script: places the short animation, plays it once
        // and waits, removes it.
        ScriptWriter slash;
        slash.Entry({qmtest::Set(0, ScriptExpr::Native(0, {double(kShortAni)})),
                     qmtest::Do(ScriptExpr::Native(8, {1, ScriptExpr::Var(0), 1, 0})), qmtest::WaitNatives(),
                     qmtest::Do(ScriptExpr::Native(1, {ScriptExpr::Var(0)}))});
        m_folder.Write("slash", slash);
    }
    void TearDown() override {
        m_mgr.reset();  // the characters end their uses first
        g_pCharMgr = nullptr;
        ScriptMgrTest::TearDown();
    }
    void Use(uint32_t timeMs = 5000) {
        CSkillActionMsg record;
        record.Set(SKILL_ID_BASE + uint32_t(chartest::kAttackRow), 1, m_player->GetCharId(), 0, 0, 1, 0,
                   m_monster->GetCharId(), timeMs);
        PostMessageTo(0, m_player, 0, MSG_SKILL_ACTION, MsgDataPtr(new CSkillActionMsg(record)), nullptr);
        m_player->GetController()->UpdateController(0);
    }
    CSkillAction* Running() { return m_player->GetAction()->m_pSkillAction; }
    void SkillFrame() {
        Frame();
        g_pSkillTableMgr->UpdateSkillUses();
    }

    CChar* m_player = nullptr;
    CChar* m_monster = nullptr;
};

TEST_F(SkillScriptTest, ASkillsScriptRunsForItsActionAndIsStoppedByIt) {
    ASSERT_NE(GetSkillScripts(), nullptr);
    Use();
    CSkillAction* action = Running();
    ASSERT_TRUE(action);
    EXPECT_TRUE(action->IsScriptMode());
    ASSERT_EQ(g_pScriptMgr->Runners().size(), 1u);
    CScriptRunner* runner = g_pScriptMgr->Runners().front().get();
    EXPECT_EQ(runner->GetOwner(), action);
    EXPECT_EQ(runner->GetOwnerChar(), m_player);
    SkillFrame();
    const uint32_t handle = HandleOf(runner);
    CAniPlayEntry* entry = m_play.FindEntryByHandle(handle, true);
    ASSERT_TRUE(entry);
    EXPECT_EQ(entry->m_userValue, runner->GetSerial());
    EXPECT_EQ(entry->m_pObject->m_pOwner, m_player);
    int frames = 0;
    while (!g_pScriptMgr->Runners().empty() && frames < 20) {
        SkillFrame();
        ++frames;
    }
    // The animation played out, the script removed it and ended, and the
    // action stopped its runner: the caster rests while the use runs on.
    EXPECT_GT(frames, 2);
    EXPECT_TRUE(g_pScriptMgr->Runners().empty());
    EXPECT_EQ(m_play.FindEntryByHandle(handle, false), nullptr);
    EXPECT_EQ(Running(), action);
    EXPECT_EQ(m_player->GetData()->m_motion, m_player->GetData()->m_restMotion);
    EXPECT_TRUE(NewBoxes().empty());
}

TEST_F(SkillScriptTest, AnActionStillHoldsItsRunnerWhenTheManagerIsReleased) {
    Use();
    CSkillAction* action = Running();
    ASSERT_TRUE(action);
    SkillFrame();
    ASSERT_EQ(g_pScriptMgr->Runners().size(), 1u);
    CScriptRunner* runner = g_pScriptMgr->Runners().front().get();
    const uint32_t handle = HandleOf(runner);
    g_pScriptMgr->Release();  // the scene left the field
    g_pScriptMgr->Init();
    EXPECT_EQ(g_pScriptMgr->FindRunner(runner), runner);
    // The action sees its script ended and stops it; nothing is read after.
    g_pSkillTableMgr->UpdateSkillUses();
    EXPECT_EQ(g_pScriptMgr->FindRunner(runner), nullptr);
    EXPECT_EQ(m_play.FindEntryByHandle(handle, false), nullptr);
    action->Finish();
}

TEST_F(SkillScriptTest, ACasterThatIsGoneLeavesTheCharacterNativesWithoutEffect) {
    Use();
    ASSERT_EQ(g_pScriptMgr->Runners().size(), 1u);
    CScriptRunner* runner = g_pScriptMgr->Runners().front().get();
    CChar* other = MonsterAt(6, 3, 3);  // turns freely
    const double id = other->GetCharId();
    EXPECT_EQ(CallNative(runner, 32, {id, 4}).result, 1.0);
    EXPECT_EQ(other->m_direction, 4);
    m_player->GetData()->m_motion = MOTION_DEAD;  // the caster has fallen
    EXPECT_EQ(CallNative(runner, 32, {id, 8}).result, 0.0);
    EXPECT_EQ(other->m_direction, 4);
}

}  // namespace
