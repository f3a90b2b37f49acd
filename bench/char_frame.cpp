// One frame of the characters against stepping their animated objects alone:
// the manager's update, every character's frame (controller, animation,
// offsets, effects) and the display refresh into the render queue, for 200
// and 1,000 characters. The ratio of the two, and of 1,000 to 200, is the
// figure to watch. Drawing likewise: the queue drawn through each
// character's stack of layers against drawing the same sprites alone.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <memory>
#include <vector>

#include "anim/ani_file.h"
#include "anim/ani_mgr.h"
#include "anim/ani_object.h"
#include "anim/ani_object_hooks.h"
#include "anim/ani_services.h"
#include "anim/iso_view.h"
#include "anim/render_queue.h"
#include "bench/bench_animations.h"
#include "core/config.h"
#include "core/draw_object.h"
#include "platform/clock.h"
#include "platform/message_box.h"
#include "platform/paths.h"
#include "world/chars/char_controller.h"
#include "world/chars/char_mgr.h"

namespace {

// The field the characters stand on: its view places sprites at map points.
struct Field : IAniField {
    CIsoView view;
    const CIsoView* GetIsoView() override { return &view; }
    bool TriggerEffectSlot(uint32_t, uint32_t, bool) override { return false; }
    IsoPoint GetScrollPosition() override { return {}; }
};

struct World {
    std::string folder = (std::filesystem::temp_directory_path() / "qm_bench_chars").string();
    plat::FakeClock clock{1000};
    plat::ScopedClock scoped{clock};
    plat::ScopedMessageBoxRecorder boxes;
    Field field;
    ScopedAniField scopedField{field};
    CAniMgr anis;
    CRenderQueue queue;
    std::unique_ptr<CCharMgr> mgr;
    std::vector<CChar*> chars;

    explicit World(int count) {
        plat::CreateDirectories(folder);
        // The character animation, and the marks and marker every manager and character makes.
        WriteBenchAnimations(folder, {0, 2, 3, 15}, 1, {"0001", "0665", "1867", "1419", "3843"});
        g_config.m_folders[FOLDER_ANIMATION] = folder;
        g_pAniMgr = &anis;
        g_pRenderQueue = &queue;
        SetAniObjectHooks(&AniObjectHooks());
        mgr = std::make_unique<CCharMgr>();
        g_pCharMgr = mgr.get();
        for (int i = 0; i < count; ++i) {
            const uint8_t kind = i % 3 == 0 ? CHAR_KIND_PLAYER : CHAR_KIND_MONSTER;
            CChar* c = mgr->CreateCharAt(kind == CHAR_KIND_PLAYER ? CHAR_PLAYER_BASE : CHAR_MONSTER_BASE,
                                         uint32_t(i + 1), -1, uint32_t(i % 50), uint32_t(i / 50), kind, 1);
            if (!c) continue;
            c->GetData()->SetMotion(i % 2 ? MOTION_STAND : MOTION_HIT);
            c->m_drawOffset[0] = 8.0f;
            clock.Advance(3);
            chars.push_back(c);
        }
        mgr->SetPlayerChar(chars.empty() ? nullptr : chars.front());
    }
    ~World() {
        mgr.reset();
        g_pCharMgr = nullptr;
        SetAniObjectHooks(nullptr);
        g_pRenderQueue = nullptr;
        g_pAniMgr = nullptr;
        std::filesystem::remove_all(folder);
    }
};

void BM_CharFrame(benchmark::State& state) {
    World world(int(state.range(0)));
    for (auto _ : state) {
        world.clock.Advance(33);
        world.mgr->Update();
        for (CChar* c : world.chars) c->UpdateFrame(33, false);
        world.mgr->RefreshCharDisplay();
        world.queue.Clear();
    }
    state.SetItemsProcessed(state.iterations() * int64_t(world.chars.size()));
}

void BM_AnimationsAlone(benchmark::State& state) {
    World world(int(state.range(0)));
    for (auto _ : state) {
        world.clock.Advance(33);
        for (CChar* c : world.chars) c->GetAniObject()->Update();
    }
    state.SetItemsProcessed(state.iterations() * int64_t(world.chars.size()));
}

void BM_CharDraw(benchmark::State& state) {
    World world(int(state.range(0)));
    // Every other monster carries the marks over its head and one attached object.
    std::vector<std::unique_ptr<CAniObject>> attached;
    for (size_t i = 1; i < world.chars.size(); i += 2) {
        CChar* c = world.chars[i];
        c->GetData()->m_status[1] = 1u << (55 - 33);
        c->GetData()->m_status[3] = 1u << (101 - 97);
        attached.push_back(std::make_unique<CAniObject>());
        attached.back()->SetAnimation(1);
        attached.back()->m_layer = 7;
        c->AddDrawObject(attached.back().get());
    }
    world.mgr->RefreshCharDisplay();
    for (auto _ : state) world.queue.Draw();
    world.queue.Clear();
    state.SetItemsProcessed(state.iterations() * int64_t(world.chars.size()));
}

void BM_SpritesAlone(benchmark::State& state) {
    World world(int(state.range(0)));
    for (auto _ : state)
        for (CChar* c : world.chars) c->GetAniObject()->Draw();
    state.SetItemsProcessed(state.iterations() * int64_t(world.chars.size()));
}

BENCHMARK(BM_CharFrame)->Arg(200)->Arg(1000);
BENCHMARK(BM_AnimationsAlone)->Arg(200)->Arg(1000);
BENCHMARK(BM_CharDraw)->Arg(200)->Arg(1000);
BENCHMARK(BM_SpritesAlone)->Arg(200)->Arg(1000);

}  // namespace
