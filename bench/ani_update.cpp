// One frame's stepping of many animated objects: each object walks the
// elements of its layers from the start to find the current one and executes
// it. Objects play a 3-layer animation of the given element count per layer,
// at staggered times.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <memory>
#include <vector>

#include "anim/ani_file.h"
#include "anim/ani_mgr.h"
#include "anim/ani_object.h"
#include "core/config.h"
#include "platform/clock.h"
#include "platform/paths.h"

namespace {

void BM_UpdateObjects(benchmark::State& state) {
    const int elements = int(state.range(0));
    const int objects = int(state.range(1));
    const std::string folder = (std::filesystem::temp_directory_path() / "qm_bench_ani").string();
    plat::CreateDirectories(folder);
    AniFile file;
    file.version = 14;
    AniFileDirection dir;
    dir.direction = 1;
    for (int k = 0; k < 3; ++k) {
        AniFileLayer layer;
        for (int i = 0; i < elements; ++i) {
            AniFileElement e;
            e.kind = ANI_NODE_IMAGE;
            e.start = uint16_t(i * 2);
            layer.elements.push_back(e);
        }
        dir.layers.push_back(layer);
    }
    file.motions.push_back({0, {dir}});
    DeclarePools(file);
    const std::vector<uint8_t> bytes = WriteAniFile(file);
    plat::WriteFileAtomic(folder + "/0001.z5a", bytes.data(), bytes.size());
    g_config.m_folders[FOLDER_ANIMATION] = folder;

    plat::FakeClock clock(1000);
    plat::ScopedClock scoped(clock);
    CAniMgr mgr;
    g_pAniMgr = &mgr;
    std::vector<std::unique_ptr<CAniObject>> list;
    for (int i = 0; i < objects; ++i) {
        auto o = std::make_unique<CAniObject>();
        o->SetAnimation(1);
        o->SetMotion(0);
        o->Play(true);
        clock.Advance(7);
        list.push_back(std::move(o));
    }
    for (auto _ : state) {
        clock.Advance(33);
        for (auto& o : list) o->Update();
    }
    state.SetItemsProcessed(state.iterations() * objects);
    list.clear();
    g_pAniMgr = nullptr;
    std::filesystem::remove_all(folder);
}
BENCHMARK(BM_UpdateObjects)->Args({8, 1000})->Args({64, 1000});

}  // namespace
