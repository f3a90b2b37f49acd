// Fuzzes the path file reader, then searches paths over a fixed map with the
// portals it read.
#include <cstdint>
#include <memory>
#include <string>

#include "fuzz/fuzz_file.h"
#include "world/map/map.h"
#include "world/map/map_text.h"
#include "world/map/path_finder.h"

namespace {

// Two by two blocks, a wall across the middle with a gap.
CMap& FixedMap() {
    static CMap* map = [] {
        std::string rows;
        for (int y = 0; y < 26; ++y)
            rows += y == 12 ? std::string(20, '#') + std::string(6, '.') + "\n" : std::string(26, '.') + "\n";
        maptext::MapFiles files;
        maptext::BuildMapFiles(
            "size 26 26\nlegend . ground 0\nlegend # ground 0 blocked\ncells\n" + rows + "end\n", ".", files,
            nullptr);
        auto* m = new CMap;
        m->LoadMapBytes(files.map, "fuzz.Z5M");
        m->LoadWholeMap();
        return m;
    }();
    return *map;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzz::InstallSilentBoxes();
    CMap& map = FixedMap();
    auto paths = std::make_unique<CPathData>();
    if (!paths->LoadBytes(data, size, "fuzz.PPD")) return 0;
    map.AdoptPathData(std::move(paths));
    CPathFinder finder;
    finder.SetMap(&map);
    static const float kPoints[][4] = {{100, 100, 100, 1000},
                                       {2000, 100, 300, 1200},
                                       {50, 50, 2400, 1200},
                                       {1200, 590, 1200, 650},
                                       {-10, -10, 5000, 5000}};
    for (const auto& p : kPoints) {
        finder.m_finderFlag = uint8_t(size & 1);
        if (finder.FindPath(p[0], p[1], int32_t(p[2]), int32_t(p[3]), 0)) {
            float x = 0, y = 0;
            uint8_t direction = 0;
            for (int i = 0; i < 50 && finder.Advance(8.0f, &x, &y, &direction); ++i) {
            }
            finder.GetPointAtDistance(100.0f);
        }
    }
    return 0;
}
