// Fuzzes the compressed loose file: u32 inflated size, then one zlib stream.
#include <cstdint>
#include <string>

#include "data/file_resource.h"
#include "fuzz/fuzz_file.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzz::InstallSilentBoxes();
    const std::string& path = fuzz::InputPath("zip");
    if (!fuzz::WriteInput(path, data, size)) return 0;
    CFileResource file;
    if (!file.OpenFile(path.c_str(), kFileCompressed, "rb", false, nullptr)) return 0;
    uint8_t buf[256];
    file.Seek(-3, 2);
    file.ReadBytes(buf, 4, 4);
    file.Seek(0, 0);
    while (file.ReadBytes(buf, 3, 50) != 0) {
    }
    return 0;
}
