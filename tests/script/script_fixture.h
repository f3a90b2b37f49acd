// Scripts in a world: the characters' and skills' test bed, a script folder,
// the script manager made by its start-up slot (with the skill actions'
// scripts installed), two animations (kShortAni plays three frames, kLongAni
// plays long) and a way to call a native as a script would.
#pragma once
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "anim/ani_services.h"
#include "core/global_objects.h"
#include "script/script_mgr.h"
#include "script/script_natives.h"
#include "script/script_runner.h"
#include "script/script_startup.h"
#include "tests/support/script_writer.h"
#include "tests/world/chars/skill_fixture.h"
#include "world/chars/char_world.h"

namespace scripttest {

inline constexpr uint32_t kShortAni = 700;
inline constexpr uint32_t kLongAni = 701;

class ScriptWorldTest : public chartest::SkillFixture {
protected:
    void SetUp() override {
        SkillFixture::SetUp();
        m_ani.Write(kShortAni, anitest::OneLayer({anitest::Image(0), anitest::Hold(3)}));
        m_ani.Write(kLongAni, anitest::OneLayer({anitest::Image(0), anitest::Hold(1000)}));
        // The animations reach the characters and the field as in the program.
        m_scopedChars = std::make_unique<ScopedAniCharacters>(AniCharacters());
        m_scopedField = std::make_unique<ScopedAniField>(m_field);
        InstallScriptGlobals();
        ASSERT_TRUE(CreateGlobal(GlobalSlot::ScriptMgr));
        ASSERT_TRUE(g_pScriptMgr);
        m_boxesBefore = m_ani.Boxes().size();
    }
    void TearDown() override {
        DestroyGlobal(GlobalSlot::ScriptMgr);
        ClearGlobalFactories();
        m_scopedField.reset();
        m_scopedChars.reset();
        SkillFixture::TearDown();
    }
    // The texts of the boxes shown since the set-up.
    std::vector<std::string> NewBoxes() const {
        std::vector<std::string> out;
        for (size_t i = m_boxesBefore; i < m_ani.Boxes().size(); ++i) out.push_back(m_ani.Boxes()[i].text);
        return out;
    }

    // A runner of the script (written to the folder under the name) with
    // every native.
    CScriptRunner* Run(const qmtest::ScriptWriter& script, const std::string& name = "s") {
        m_folder.Write(name, script);
        CScriptRunner* runner = g_pScriptMgr->StartScript(name.c_str());
        if (runner) RegisterScriptNatives(runner->GetScript());
        return runner;
    }
    // A runner of a script that does nothing, to call natives on.
    CScriptRunner* Idle(const std::string& name = "idle") {
        qmtest::ScriptWriter w;
        w.Data().reentrant = 1;
        w.Entry({});
        return Run(w, name);
    }
    // The frame's order: the scripts, then the placed animations.
    void Frame(uint32_t ms = 33) {
        Clock().Advance(ms);
        g_pScriptMgr->Update();
        m_play.UpdateAll();
    }

    struct Answer {
        double result = 0;
        bool done = true;
    };
    // A call of native id on the runner (first call, or a later one), with
    // the result register holding -1 before it.
    static Answer CallNative(CScriptRunner* runner, uint32_t id, const std::vector<double>& args,
                             bool first = true) {
        Answer a;
        a.result = -1;
        const ScriptNative* native = GetNative(runner->GetScript(), id);
        EXPECT_NE(native, nullptr) << id;
        if (native) (*native)(runner, uint32_t(args.size()), args.data(), first, &a.done, &a.result);
        return a;
    }

    qmtest::ScopedScriptFolder m_folder;
    std::unique_ptr<ScopedAniCharacters> m_scopedChars;
    std::unique_ptr<ScopedAniField> m_scopedField;
    size_t m_boxesBefore = 0;
};

}  // namespace scripttest
