// Fuzzes the binary data table reader, its typed getters and the dump, from
// memory and, for some inputs, from a file stream.
#include "data/data_table.h"

#include <cstdint>
#include <string>

#include "data/data_table_text.h"
#include "data/file_resource.h"
#include "fuzz/fuzz_file.h"

namespace {

void Touch(const CDataTable& t, int depth) {
    for (int c = 0; c <= t.GetColumnCount(); ++c) {
        for (int r = -1; r <= t.GetRowCount() && r < 64; ++r) {
            volatile uint32_t sink = t.GetInt(c, r) + uint32_t(t.GetSignedInt(c, r));
            for (int i = -1; i < 4; ++i)
                sink = sink + t.GetTupleInt(c, r, i) + uint32_t(t.GetSignedTupleInt(c, r, i));
            if (const char* s = t.GetCell(c, r)) sink = sink + uint32_t(std::string(s).size());
            if (const uint8_t* b = t.GetBytes3(c, r)) sink = sink + b[2];
            uint16_t a = 0, b = 0;
            uint8_t d = 0;
            t.GetRef(c, r, &a, &b, &d);
            if (CDataTable* n = t.GetNested(c, r); n && depth < 4) Touch(*n, depth + 1);
            (void)sink;
        }
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzz::InstallSilentBoxes();
    CFileResource file;
    if (size > 0 && data[0] == 's') {  // read from a stream (the first byte is part of the table)
        const std::string& path = fuzz::InputPath("table");
        if (!fuzz::WriteInput(path, data, size) ||
            !file.OpenFile(path.c_str(), kFileStream, "rb", false, nullptr))
            return 0;
    } else {
        file.OpenBorrowedMemory(data, uint32_t(size));
    }
    CDataTable table;
    if (table.ReadTableBinary(file)) {
        Touch(table, 0);
        if (size < 2048) DumpTableText(table);
    }
    return 0;
}
