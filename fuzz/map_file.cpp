// Fuzzes the map file reader: the header, the placed objects with their
// embedded pictures, the offset table and every block, then the cell questions.
#include <cstdint>
#include <vector>

#include "core/resource_cache.h"
#include "fuzz/fuzz_file.h"
#include "graphics/image_mgr.h"
#include "world/map/map.h"
#include "world/map/map_text.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzz::InstallSilentBoxes();
    static CResourceCache images;
    static CImageMgr imageMgr;
    g_pImageCache = &images;
    g_pImageMgr = &imageMgr;
    {
        CMap map;
        if (map.LoadMapBytes(std::vector<uint8_t>(data, data + size), "fuzz.Z5M")) {
            map.LoadWholeMap();
            volatile int sink = 0;
            for (int32_t y = -1; y <= map.GetHeight() * 4 && y < 64; y += 3)
                for (int32_t x = -1; x <= map.GetWidth() * 4 && x < 64; x += 3)
                    sink = sink + map.IsPassableAt(x, y) + map.CanDropItemAt(x / 4, y / 4);
            if (size < 4096) sink = sink + int(maptext::DumpMap(map).size());
            // The blocks go and come back.
            if (CMapData* d = map.GetMapData()) {
                d->DropFarBlocks(1000, 1000);
                for (int32_t b = 0; b < d->GetBlocksAcross() * d->GetBlocksDown() && b < 16; ++b)
                    d->RequestBlock(b);
            }
            (void)sink;
        }
    }
    ReleaseAllImages();
    return 0;
}
