// Fuzzes the stage file reader, then asks every typed query of what it read
// and the map's stage questions of it.
#include <cstdint>
#include <memory>
#include <string>

#include "fuzz/fuzz_file.h"
#include "world/map/map.h"
#include "world/map/stage_data.h"
#include "world/map/stage_text.h"

namespace {

void Query(const CStageData& stage) {
    volatile uint32_t sink = 0;
    for (int32_t g = -1; g <= stage.GetGroupCount() && g < 32; ++g) {
        const StageGroup* group = stage.GetGroup(g);
        const int32_t entries = group ? int32_t(group->entries.size()) : 1;
        sink = sink + uint32_t(stage.GetRecordCount(g));
        for (int32_t e = -1; e <= entries && e < 64; ++e) {
            const StageEntry* entry = stage.GetEntry(g, e);
            const int32_t values = entry ? int32_t(entry->values.size()) : 1;
            for (int32_t v = -1; v <= values && v < 64; ++v) {
                sink = sink + stage.GetByte(g, e, v) + stage.GetWord(g, e, v) + stage.GetDword(g, e, v);
                if (const char* t = stage.GetText(g, e, v)) sink = sink + uint32_t(std::string(t).size());
                if (const CStageTable* t = stage.GetTable(g, e, v))
                    for (int32_t r = 0; r <= t->GetRowCount() && r < 16; ++r)
                        for (int32_t c = 0; c <= t->GetColumnCount() && c < 16; ++c)
                            sink = sink + t->GetWord(c, r);
                int32_t x = 0, y = 0;
                stage.GetPoint(g, e, v, &x, &y);
                uint16_t a = 0, b = 0;
                uint8_t f = 0;
                stage.GetAniRef(&a, &b, &f, g, e, v);
                sink = sink + uint32_t(x) + uint32_t(y) + a + b + f;
            }
        }
    }
    for (uint16_t id = 0; id < 8; ++id)
        if (const StageArea* area = stage.FindArea(id)) sink = sink + area->x2;
    (void)sink;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzz::InstallSilentBoxes();
    auto stage = std::make_unique<CStageData>();
    stage->Load(data, size, "fuzz.Z5F");
    Query(*stage);
    if (size < 2048) maptext::DumpStage(*stage);
    // The map's questions of the same stage.
    CMap map;
    map.AdoptStage(std::move(stage));
    // The stage's values are the file's: summed without sign so that any of them will do.
    volatile uint32_t sink = uint32_t(map.IsNoBattleZone()) + uint32_t(map.IsBattleAllowed()) +
                             uint32_t(map.IsPlayerBattleAllowed()) + uint32_t(map.IsMapKind3()) +
                             uint32_t(map.GetFootstepKind(0)) + uint32_t(map.GetFootstepKind(1)) +
                             uint32_t(map.GetMinimapNumber()) + uint32_t(map.GetStageNumberText());
    uint8_t eight[8];
    sink = sink + uint32_t(map.GetEightStageBytes(eight));
    map.ShowEntryBanner();
    map.PlaceLights();
    map.RestartSoundSpots();
    map.DrawStageGrid();
    (void)sink;
    return 0;
}
