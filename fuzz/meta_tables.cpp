// Fuzzes the server-table readers: the cache file "QM_MCache.DAT" (first
// byte 'c'), a table as the server sends it, zlib bytes that may not inflate
// (first byte 'z'), and otherwise the input as a table's data read as binary
// rows and as tokens.
#include <zlib.h>

#include <cstdint>
#include <string>
#include <vector>

#include "data/meta_cache.h"
#include "fuzz/fuzz_file.h"

namespace {

void ReadEverything(CMetaRecord& record) {
    std::vector<MetaRow> rows;
    ParseMetaRows(record, rows);
    char token[64];
    uint16_t length = 0;
    record.SetReadPosition(0);
    while (record.ReadToken(token, &length)) {
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzz::InstallSilentBoxes();
    const std::string& path = fuzz::InputPath("mcache");
    if (size > 0 && data[0] == 'c') {
        if (!fuzz::WriteInput(path, data + 1, size - 1)) return 0;
        CMetaCache cache(path);
        for (size_t n = 0; n < cache.GetRecordCount(); ++n) ReadEverything(*cache.GetRecord(n));
        return 0;
    }
    fuzz::WriteInput(path, nullptr, 0);
    CMetaCache cache(path);
    if (size > 0 && data[0] == 'z') {
        if (size - 1 > UINT16_MAX) return 0;
        if (cache.StoreTable("TeamWarp.meta", uint16_t(size - 1), data + 1))
            ReadEverything(*cache.FindTableByName("TeamWarp.meta"));
        return 0;
    }
    uLongf packedSize = compressBound(uLong(size));
    std::vector<uint8_t> packed(packedSize);
    if (compress(packed.data(), &packedSize, data, uLong(size)) != Z_OK || packedSize > UINT16_MAX) return 0;
    if (cache.StoreTable("EquipmentAbility.meta", uint16_t(packedSize), packed.data()))
        ReadEverything(*cache.FindTableByName("EquipmentAbility.meta"));
    return 0;
}
