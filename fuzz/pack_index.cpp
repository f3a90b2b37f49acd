// Fuzzes the pack archive: the header check, the index walk of lookups and of
// the listing, and the opening (inflation) of the entries found.
#include <cstdint>
#include <string>
#include <vector>

#include "data/file_resource.h"
#include "data/pack_archive.h"
#include "fuzz/fuzz_file.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzz::InstallSilentBoxes();
    const std::string& path = fuzz::InputPath("pack");
    if (!fuzz::WriteInput(path, data, size)) return 0;
    CPackFile pack;
    if (!pack.OpenPack(path.c_str())) return 0;

    std::vector<std::string> files;
    pack.ForEachEntry([&](const CPackFile::EntryInfo& e) {
        if (!e.isDirectory && files.size() < 64) files.push_back(e.path);
    });
    for (const char* fixed : {"a", "A/B", "DATABASE/0037.Z5D", ".\\x\\y\\z.txt", "/", "R/R/a.txt"})
        files.push_back(fixed);
    for (const std::string& f : files) {
        uint32_t unpacked = 0, stored = 0;
        // Only what the pack holds is opened: a miss would read the disk.
        if (!pack.FindPackEntry(f.c_str(), &unpacked, &stored)) continue;
        CFileResource file;
        if (file.OpenFile(f.c_str(), kFileStream, "rb", true, &pack)) {
            uint8_t buf[64];
            while (file.ReadBytes(buf, 1, sizeof buf) != 0) {
            }
        }
    }
    return 0;
}
