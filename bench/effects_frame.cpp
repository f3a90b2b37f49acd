// One frame of 50 characters that carry 50 running effects (casting auras,
// their pulse and banner, double auras on the caster), each drawn with its
// character: the manager's frame and drawing, the characters' frames and
// the draw queue's refresh, against copying one 800 x 600 16-bit screen.
// The ratio of the two is the figure to watch (aim: 120 or fewer).
#include <benchmark/benchmark.h>

#include <cstring>
#include <filesystem>
#include <memory>
#include <vector>

#include "anim/ani_file.h"
#include "anim/ani_mgr.h"
#include "anim/ani_object.h"
#include "anim/ani_object_hooks.h"
#include "anim/ani_play_mgr.h"
#include "anim/ani_services.h"
#include "anim/iso_view.h"
#include "anim/render_queue.h"
#include "bench/bench_animations.h"
#include "core/config.h"
#include "core/global_objects.h"
#include "effects/base/effect_player_mgr.h"
#include "effects/effects_startup.h"
#include "platform/clock.h"
#include "platform/message_box.h"
#include "platform/paths.h"
#include "world/chars/char_controller.h"
#include "world/chars/char_mgr.h"

namespace {

struct Field : IAniField {
    CIsoView view;
    const CIsoView* GetIsoView() override { return &view; }
    bool TriggerEffectSlot(uint32_t, uint32_t, bool) override { return false; }
    IsoPoint GetScrollPosition() override { return {}; }
};

constexpr int kChars = 50;
constexpr uint32_t kEffectIds[] = {7, 23, 38, 8};

struct World {
    std::string folder = (std::filesystem::temp_directory_path() / "qm_bench_effects").string();
    plat::FakeClock clock{1000};
    plat::ScopedClock scoped{clock};
    plat::ScopedMessageBoxRecorder boxes;
    Field field;
    ScopedAniField scopedField{field};
    CAniMgr anis;
    CAniPlayMgr play;
    CRenderQueue queue;
    std::unique_ptr<CCharMgr> mgr;
    std::vector<CChar*> chars;
    std::vector<ISkillEffect*> effects;

    World() {
        plat::CreateDirectories(folder);
        // The character, the manager's marks, and the effects' animations.
        std::vector<uint32_t> motions;
        for (uint32_t m = 0; m < 16; ++m) motions.push_back(m);
        WriteBenchAnimations(
            folder, motions, 2,
            {"0001", "0665", "1867", "1419", "3843", "0799", "3217", "3199", "0222", "0221"});
        g_config.m_folders[FOLDER_ANIMATION] = folder;
        g_pAniMgr = &anis;
        g_pAniPlayMgr = &play;
        g_pRenderQueue = &queue;
        SetAniObjectHooks(&AniObjectHooks());
        InstallEffectsGlobals();
        CreateGlobal(GlobalSlot::EffectPlayerMgr);
        mgr = std::make_unique<CCharMgr>();
        g_pCharMgr = mgr.get();
        for (int i = 0; i < kChars; ++i) {
            const uint8_t kind = i % 3 == 0 ? CHAR_KIND_PLAYER : CHAR_KIND_MONSTER;
            CChar* c = mgr->CreateCharAt(kind == CHAR_KIND_PLAYER ? CHAR_PLAYER_BASE : CHAR_MONSTER_BASE,
                                         uint32_t(i + 1), -1, uint32_t(i % 10), uint32_t(i / 10), kind, 1);
            if (!c) continue;
            c->GetData()->SetMotion(MOTION_STAND);
            chars.push_back(c);
        }
        mgr->SetPlayerChar(chars.empty() ? nullptr : chars.front());
        effects.resize(chars.size(), nullptr);
    }
    ~World() {
        g_pEffectPlayerMgr->ClearAll();
        mgr.reset();
        g_pCharMgr = nullptr;
        DestroyGlobal(GlobalSlot::EffectPlayerMgr);
        ClearGlobalFactories();
        SetAniObjectHooks(nullptr);
        g_pRenderQueue = nullptr;
        g_pAniPlayMgr = nullptr;
        g_pAniMgr = nullptr;
        std::filesystem::remove_all(folder);
    }
    // Every character runs an effect; one that ended is started anew.
    void KeepEffectsRunning() {
        for (size_t i = 0; i < chars.size(); ++i)
            if (!effects[i] || !g_pEffectPlayerMgr->IsRunning(effects[i]))
                effects[i] = g_pEffectPlayerMgr->StartCastEffect(kEffectIds[i % 4], chars[i]);
    }
};

void BM_EffectsFrame(benchmark::State& state) {
    World world;
    for (auto _ : state) {
        world.KeepEffectsRunning();
        world.clock.Advance(33);
        world.mgr->Update();
        for (CChar* c : world.chars) c->UpdateFrame(33, false);
        g_pEffectPlayerMgr->ProcessAll();
        world.play.UpdateAll();
        g_pEffectPlayerMgr->DrawAll();
        world.mgr->RefreshCharDisplay();
        world.queue.Draw();
        world.queue.Clear();
    }
    state.counters["effects"] = double(g_pEffectPlayerMgr->GetCount());
}

void BM_ScreenCopy(benchmark::State& state) {
    std::vector<uint8_t> from(800 * 600 * 2, 1), to(800 * 600 * 2);
    for (auto _ : state) {
        std::memcpy(to.data(), from.data(), from.size());
        benchmark::DoNotOptimize(to.data());
        benchmark::ClobberMemory();
    }
}

BENCHMARK(BM_EffectsFrame);
BENCHMARK(BM_ScreenCopy);

}  // namespace
