// Path finding over a 40 x 40-block map (520 x 520 cells): a wall down the
// middle with a gap at its foot, the start on one side and the goal on the
// other; the portals lead down one side and up the other, twenty waypoints in
// all (the finder's limit). Against it: a plain breadth-first search of the
// same cells between the same points. BM_PathFindRatio reports finder time /
// search time, both measured in the same run.
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <deque>
#include <string>
#include <vector>

#include "platform/message_box.h"
#include "world/map/map.h"
#include "world/map/map_text.h"
#include "world/map/path_finder.h"

namespace {

constexpr int32_t kCells = 520;
constexpr int32_t kWallX = 260, kWallEnd = 455;
constexpr int32_t kStartX = 130, kStartY = 130, kGoalX = 390, kGoalY = 130;

struct Fixture {
    CMap map;
    Fixture() {
        std::string rows;
        for (int32_t y = 0; y < kCells; ++y) {
            std::string row(kCells, '.');
            if (y < kWallEnd) row[kWallX] = '#';
            rows += row + "\n";
        }
        // The portal chain: down the wall's left side, under its foot, up its right side.
        std::vector<std::pair<int32_t, int32_t>> chain = {{150, 150}};
        for (int32_t y = 180; y <= 450; y += 45) chain.emplace_back(240, y);
        chain.insert(chain.end(), {{250, 470}, {270, 470}});
        for (int32_t y = 450; y >= 180; y -= 45) chain.emplace_back(280, y);
        chain.insert(chain.end(), {{330, 150}, {kGoalX - 1, kGoalY + 1}});
        std::string portals;
        for (size_t i = 0; i < chain.size(); ++i) {
            portals +=
                "portal " + std::to_string(chain[i].first) + " " + std::to_string(chain[i].second) + " :";
            if (i + 1 < chain.size())
                portals +=
                    " " + std::to_string(chain[i + 1].first) + " " + std::to_string(chain[i + 1].second);
            portals += "\n";
        }
        maptext::MapFiles files;
        std::string error;
        if (!maptext::BuildMapFiles("size 520 520\nlegend . ground 0\nlegend # ground 0 blocked\ncells\n" +
                                        rows + "end\n" + portals,
                                    ".", files, &error))
            std::fprintf(stderr, "bench_path_find: %s\n", error.c_str());
        map.LoadMapBytes(files.map, "bench.Z5M");
        map.LoadWholeMap();
        auto paths = std::make_unique<CPathData>();
        paths->LoadBytes(files.paths.data(), files.paths.size(), "bench.PPD");
        map.AdoptPathData(std::move(paths));
    }
};

Fixture& GetFixture() {
    static plat::ScopedMessageBoxRecorder boxes;
    static Fixture f;
    return f;
}

float Cell(int32_t c, int32_t size) {
    return float(c * size + size / 2);
}

size_t FindPath(Fixture& f) {
    CPathFinder finder;
    finder.SetMap(&f.map);
    if (!finder.FindPath(Cell(kStartX, MAP_CELL_W), Cell(kStartY, MAP_CELL_H),
                         int32_t(Cell(kGoalX, MAP_CELL_W)), int32_t(Cell(kGoalY, MAP_CELL_H)), 0))
        return 0;
    return finder.Path().size();
}

// Breadth-first over the cells (eight neighbours), the map's passability test.
size_t BreadthFirst(Fixture& f) {
    std::vector<int32_t> from(size_t(kCells) * kCells, -1);
    std::deque<int32_t> open;
    const int32_t start = kStartY * kCells + kStartX, goal = kGoalY * kCells + kGoalX;
    from[size_t(start)] = start;
    open.push_back(start);
    while (!open.empty()) {
        const int32_t at = open.front();
        open.pop_front();
        if (at == goal) break;
        const int32_t x = at % kCells, y = at / kCells;
        for (int32_t dy = -1; dy <= 1; ++dy)
            for (int32_t dx = -1; dx <= 1; ++dx) {
                const int32_t nx = x + dx, ny = y + dy, n = ny * kCells + nx;
                if ((dx || dy) && nx >= 0 && ny >= 0 && nx < kCells && ny < kCells && from[size_t(n)] < 0 &&
                    f.map.IsPassableAt(nx * MAP_TILES_PER_CELL, ny * MAP_TILES_PER_CELL)) {
                    from[size_t(n)] = at;
                    open.push_back(n);
                }
            }
    }
    size_t steps = 0;
    for (int32_t at = goal; from[size_t(at)] >= 0 && at != start; at = from[size_t(at)]) ++steps;
    return steps;
}

void BM_PathFinder(benchmark::State& state) {
    Fixture& f = GetFixture();
    size_t waypoints = 0;
    for (auto _ : state) benchmark::DoNotOptimize(waypoints = FindPath(f));
    state.counters["waypoints"] = double(waypoints);
}
BENCHMARK(BM_PathFinder)->Unit(benchmark::kMicrosecond);

void BM_BreadthFirst(benchmark::State& state) {
    Fixture& f = GetFixture();
    size_t steps = 0;
    for (auto _ : state) benchmark::DoNotOptimize(steps = BreadthFirst(f));
    state.counters["steps"] = double(steps);
}
BENCHMARK(BM_BreadthFirst)->Unit(benchmark::kMillisecond);

// Both in each iteration, in alternating order; the counter is their ratio.
void BM_PathFindRatio(benchmark::State& state) {
    Fixture& f = GetFixture();
    using Clock = std::chrono::steady_clock;
    double finder = 0, search = 0;
    bool finderFirst = true;
    for (auto _ : state) {
        for (int pass = 0; pass < 2; ++pass) {
            const bool doFinder = (pass == 0) == finderFirst;
            const auto t0 = Clock::now();
            benchmark::DoNotOptimize(doFinder ? FindPath(f) : BreadthFirst(f));
            (doFinder ? finder : search) += std::chrono::duration<double>(Clock::now() - t0).count();
        }
        finderFirst = !finderFirst;
    }
    state.counters["finder_us"] = finder * 1e6 / double(state.iterations());
    state.counters["search_us"] = search * 1e6 / double(state.iterations());
    state.counters["ratio"] = search > 0 ? finder / search : 0;
}
BENCHMARK(BM_PathFindRatio)->Unit(benchmark::kMillisecond)->MinTime(2.0);

}  // namespace
