// One frame of the game scene on the demo data set, against one 800 x 600 x 2
// memcpy in the same run: after each timed frame the benchmark copies a
// screen's worth of bytes (timing the last of four copies, so that both
// buffers are in the cache as in BM_ScreenMemcpy) and reports
// ratio = median frame / median copy, both on the thread's own processor
// time (the local server's thread is not in the frame's). The program runs in process with its own global
// objects on the demo data (made by scripts/make_demo_data with this build's
// tools), logged in to the local server's core (also in process) by the five
// Enters of the way in; in the field of map 1 stand the user's character and
// N walkers of the server, each going to and fro between two tiles near the
// start, at night under a dozen lights with a notice line running. An iteration is one pass of the program's
// frame loop: the network and sound steps, the game scene's Update and Draw (the map, the characters through
// the draw queue, the darkness overlay, the overlays and lines of text, the windows) and the present to a
// display that keeps a copy of the frame (the screen's own display would hold each frame back to its refresh
// rate).
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "anim/darkness_overlay.h"
#include "app/globals.h"
#include "bench/thread_clock.h"
#include "core/application.h"
#include "core/config.h"
#include "core/global_objects.h"
#include "platform/command_line.h"
#include "platform/display.h"
#include "platform/paths.h"
#include "platform/window.h"
#include "scenes/game_scene.h"
#include "tests/app/sample_field.h"
#include "tools/qmserver/qm_server.h"
#include "tools/qmserver/server_world.h"

namespace {

namespace fs = std::filesystem;

// The demo data set, made once for the run.
const std::string& DemoData() {
    static const std::string folder = [] {
        const std::string out = (fs::temp_directory_path() / "qm_bench_game_frame").string();
        const std::string make = std::string(QM_SOURCE_DIR) + "/scripts/make_demo_data " + out + " " +
                                 QM_TOOLS_DIR + " >/dev/null";
        return std::system(make.c_str()) == 0 ? out : std::string();
    }();
    return folder;
}

// The open cells of the demo map, from its text: a cell row a line of the
// legend's characters between "cells" and "end"; '.' and ':' are open ground.
std::vector<std::string> OpenCells() {
    std::vector<uint8_t> bytes;
    if (!plat::ReadWholeFile(std::string(QM_SOURCE_DIR) + "/demo/pack/MAP/0001.Z5M.ZIP.txt", bytes))
        return {};
    std::vector<std::string> rows;
    bool inCells = false;
    std::string line;
    for (size_t i = 0; i <= bytes.size(); ++i) {
        if (i < bytes.size() && bytes[i] != '\n') {
            line += char(bytes[i]);
            continue;
        }
        if (line == "end") inCells = false;
        if (inCells) rows.push_back(line);
        if (line == "cells") inCells = true;
        line.clear();
    }
    return rows;
}

// The sample world with count walkers in place of its two, each with a loop of
// two tiles on open ground, spreading out from the start in rings.
CServerWorld CrowdedWorld(const CServerWorld& sample, int count) {
    CServerWorld world = sample;
    world.walkers.clear();
    const std::vector<std::string> cells = OpenCells();
    auto open = [&](int x, int y) {
        const int cx = x / 4, cy = y / 4;
        return cy >= 0 && cy < int(cells.size()) && cx >= 0 && cx < int(cells[size_t(cy)].size()) &&
               (cells[size_t(cy)][size_t(cx)] == '.' || cells[size_t(cy)][size_t(cx)] == ':');
    };
    const int sx = world.startX, sy = world.startY;
    for (int ring = 1; ring < 60 && int(world.walkers.size()) < count; ++ring)
        for (int dy = -ring; dy <= ring && int(world.walkers.size()) < count; dy += 2)
            for (int dx = -ring; dx <= ring && int(world.walkers.size()) < count; dx += 2) {
                if (std::abs(dx) != ring && std::abs(dy) != ring) continue;
                const int x = sx + dx, y = sy + dy;
                if (!open(x, y) || !open(x + 3, y)) continue;
                CServerWalker walker;
                walker.monster = world.walkers.size() % 2 == 0;
                walker.resourceId = walker.monster ? 2100001 : 2200001;
                walker.name = "W" + std::to_string(world.walkers.size());
                walker.loop = {{uint16_t(x), uint16_t(y)}, {uint16_t(x + 3), uint16_t(y)}};
                world.walkers.push_back(walker);
            }
    return world;
}

// Night over the field, lit by a dozen lights spread over the screen, half
// of them flickering.
void DarkenWithLights() {
    if (!g_pDarknessOverlay) return;
    constexpr int32_t kNightLevel = 160;
    g_pDarknessOverlay->SetLevel(kNightLevel);
    g_pDarknessOverlay->FadeToLevel(kNightLevel);
    for (int32_t i = 0; i < 12; ++i)
        g_pDarknessOverlay->AddLight(100 + (i % 4) * 200, 100 + (i / 4) * 200, 96, i % 2);
}

CGameScene* GameScene() {
    for (CMsgObject* object : g_pMainMgr->Children())
        if (auto* scene = dynamic_cast<CGameScene*>(object)) return scene;
    return nullptr;
}

// The frames' and the copies' times of one run, for the ratio.
class FrameVsCopy {
public:
    FrameVsCopy() : m_from(kScreenBytes, 0x5A), m_to(kScreenBytes) {}

    // At the top of each timed frame: ends the previous frame's time, copies,
    // and starts the next frame's.
    void FrameBoundary() {
        double now = bench::ThreadSeconds();
        if (m_started) m_frames.push_back(now - m_frameStart);
        for (int warm = 0; warm < kWarmCopies; ++warm) {
            std::memcpy(m_to.data(), m_from.data(), kScreenBytes);
            benchmark::DoNotOptimize(m_to.data());
            benchmark::ClobberMemory();
        }
        now = bench::ThreadSeconds();
        std::memcpy(m_to.data(), m_from.data(), kScreenBytes);
        benchmark::DoNotOptimize(m_to.data());
        benchmark::ClobberMemory();
        m_frameStart = bench::ThreadSeconds();
        m_copies.push_back(m_frameStart - now);
        m_started = true;
    }

    void Report(benchmark::State& state) {
        if (m_frames.empty() || m_copies.empty()) return;
        const double frame = Median(m_frames), copy = Median(m_copies);
        state.counters["frame_ms"] = frame * 1000;
        state.counters["copy_us"] = copy * 1e6;
        state.counters["ratio"] = copy > 0 ? frame / copy : 0;
    }

private:
    static constexpr size_t kScreenBytes = 800 * 600 * 2;
    static constexpr int kWarmCopies = 3;
    static double Median(std::vector<double> v) {
        std::nth_element(v.begin(), v.begin() + std::ptrdiff_t(v.size() / 2), v.end());
        return v[v.size() / 2];
    }

    std::vector<uint8_t> m_from, m_to;
    std::vector<double> m_frames, m_copies;
    double m_frameStart = 0;
    bool m_started = false;
};

// A notice line running over the top of the screen.
constexpr uint8_t kNoticeKind = 4;
constexpr const char* kNotice = "The keeper waits by the well; the slime walks its square.";

void BM_GameFrame(benchmark::State& state) {
    const int count = int(state.range(0));
    setenv("SDL_VIDEODRIVER", "dummy", 0);
    setenv("SDL_AUDIODRIVER", "dummy", 0);
    const std::string& data = DemoData();
    std::vector<uint8_t> text;
    std::string error;
    std::optional<CServerWorld> sample;
    if (data.empty() || !plat::ReadWholeFile(data + "/world.txt", text) ||
        !(sample = CServerWorld::Parse(std::string(text.begin(), text.end()), &error))) {
        state.SkipWithError("no demo data");
        return;
    }
    const CServerWorld world = CrowdedWorld(*sample, count);
    CQmServer server(world);
    if (!server.Start(0, &error)) {
        state.SkipWithError(error.c_str());
        return;
    }
    const fs::path run = fs::temp_directory_path() / ("qm_bench_game_frame_" + std::to_string(count));
    fs::remove_all(run);
    fs::copy(data, run, fs::copy_options::recursive);
    const fs::path before = fs::current_path();
    fs::current_path(run);
    plat::ResetMessageQueue();
    g_options = COptions{};
    g_config = CConfig{};

    const uint32_t last = CServerHall::FIRST_WALKER_ID + uint32_t(world.walkers.size()) - 1;
    samplefield::WayIn way;
    FrameVsCopy ratio;
    int settled = 0;
    bool timing = false, field = false;
    const int hook = plat::AddPumpHook([&] {
        if (field && !timing) return;  // timed to the end, closing
        if (timing) {
            state.PauseTiming();
            ratio.FrameBoundary();
            state.ResumeTiming();
            if (!state.KeepRunning()) {
                timing = false;
                plat::CloseAfterFrames(1);
            }
            return;
        }
        if (plat::FrameCount() > 100000) {
            plat::CloseAfterFrames(1);
            return;
        }
        if (!way.Step() || !samplefield::InField(CServerHall::FIRST_WALKER_ID, last)) return;
        // A few frames for the map's blocks, then the end of the screen's fade-in
        // (a second of the clock, however fast the frames come), then the timed
        // frames: a field standing, not one fading in.
        if (++settled < 30) return;
        if (CGameScene* scene = GameScene())
            if (scene->GetTransitionState() != GAME_PLAYING || !scene->Fade().IsFinished()) return;
        field = true;
        DarkenWithLights();
        if (g_pDarknessOverlay) {
            state.counters["darkness"] = double(g_pDarknessOverlay->GetEffectiveLevel());
            state.counters["lights"] = double(g_pDarknessOverlay->GetLightCount());
        }
        if (CGameScene* scene = GameScene()) scene->Overlays().SetNotice(kNoticeKind, kNotice);
        timing = state.KeepRunning();
        if (timing) {
            state.PauseTiming();
            ratio.FrameBoundary();
            state.ResumeTiming();
        } else {
            plat::CloseAfterFrames(1);
        }
    });
    std::unique_ptr<plat::Display> screen = plat::SetDisplay(std::make_unique<plat::RecordingDisplay>());
    InstallGlobalFactories();
    plat::SetCommandLine("/USE_SERVER 1 /WINDOW /ACCOUNT demo /PORT " + std::to_string(server.Port()));
    RunApplication();
    plat::SetDisplay(std::move(screen));
    plat::RemovePumpHook(hook);
    ClearGlobalFactories();
    plat::ResetMessageQueue();
    plat::SetCommandLine("");
    server.Stop();
    fs::current_path(before);
    fs::remove_all(run);
    if (!field) state.SkipWithError("the field was not reached");
    state.counters["characters"] = double(world.walkers.size() + 1);
    ratio.Report(state);
}
BENCHMARK(BM_GameFrame)->Arg(50)->Arg(200)->Arg(1000)->Unit(benchmark::kMillisecond)->Iterations(300);

void BM_ScreenMemcpy(benchmark::State& state) {
    std::vector<uint8_t> from(800 * 600 * 2, 0x5A), to(800 * 600 * 2);
    for (auto _ : state) {
        std::memcpy(to.data(), from.data(), from.size());
        benchmark::DoNotOptimize(to.data());
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_ScreenMemcpy)->Unit(benchmark::kMicrosecond);

}  // namespace
