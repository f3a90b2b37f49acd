#include "tools/qmpack/pack_tool.h"

#include <cstdlib>

#include "data/file_resource.h"
#include "data/pack_archive.h"
#include "data/pack_writer.h"
#include "platform/paths.h"
#include "tools/tool_batch.h"

namespace {

int Usage(FILE* err) {
    std::fprintf(err,
                 "usage: qmpack create PACK DIR [--key N]\n"
                 "       qmpack list PACK\n"
                 "       qmpack cat PACK PATH\n"
                 "       qmpack zip IN OUT\n"
                 "       qmpack unzip IN\n"
                 "       qmpack batch FILE                  (its commands, one a line)\n");
    return 2;
}

bool ParseKey(const std::string& s, uint8_t& key) {
    char* end = nullptr;
    unsigned long v = std::strtoul(s.c_str(), &end, 0);
    if (s.empty() || *end || v > 255) return false;
    key = uint8_t(v);
    return true;
}

int Create(const std::vector<std::string>& args, FILE* err) {
    uint8_t key = 0;
    std::vector<std::string> plain;
    for (size_t i = 1; i < args.size(); ++i) {
        if (args[i] == "--key") {
            if (i + 1 >= args.size() || !ParseKey(args[i + 1], key)) {
                std::fprintf(err, "qmpack: --key takes a number 0-255\n");
                return 2;
            }
            ++i;
        } else {
            plain.push_back(args[i]);
        }
    }
    if (plain.size() != 2) return Usage(err);
    PackDirPlan root;
    std::string error;
    if (!LoadPackTree(plain[1], root, &error)) {
        std::fprintf(err, "qmpack: %s\n", error.c_str());
        return 1;
    }
    std::vector<uint8_t> bytes = BuildPack(root, key, &error);
    if (bytes.empty()) {
        std::fprintf(err, "qmpack: %s\n", error.c_str());
        return 1;
    }
    if (!plat::WriteFileAtomic(plain[0], bytes.data(), bytes.size())) {
        std::fprintf(err, "qmpack: cannot write %s\n", plain[0].c_str());
        return 1;
    }
    return 0;
}

int List(CPackFile& pack, FILE* out, FILE* err) {
    std::fprintf(out, "root \"%s\", name key 0x%02x\n", pack.GetRootName().c_str(), pack.GetNameKey());
    std::fprintf(out, "%10s %10s  %s\n", "size", "stored", "path");
    bool intact = pack.ForEachEntry([&](const CPackFile::EntryInfo& e) {
        if (e.isDirectory)
            std::fprintf(out, "%10s %10s  %s\n", "-", "-", e.path.c_str());
        else
            std::fprintf(out, "%10u %10u  %s\n", e.size, e.storedSize, e.path.c_str());
    });
    if (!intact) {
        std::fprintf(err, "qmpack: the index is damaged; the entries after the damage are not shown\n");
        return 1;
    }
    return 0;
}

int WriteData(const CFileResource& file, FILE* out) {
    uint32_t n = file.GetDataSize();
    return n == 0 || std::fwrite(file.GetData(), 1, n, out) == n ? 0 : 1;
}

int Cat(CPackFile& pack, const std::string& path, FILE* out, FILE* err) {
    uint32_t size = 0, stored = 0;
    if (!pack.FindPackEntry(path.c_str(), &size, &stored)) {
        std::fprintf(err, "qmpack: %s: no such entry\n", path.c_str());
        return 1;
    }
    CFileResource file;
    if (!file.OpenFile(path.c_str(), kFileStream, "rb", true, &pack) || !file.IsFromPack()) {
        std::fprintf(err, "qmpack: %s: cannot read the entry\n", path.c_str());
        return 1;
    }
    return WriteData(file, out);
}

}  // namespace

int RunPackTool(const std::vector<std::string>& args, FILE* out, FILE* err) {
    if (!args.empty() && args[0] == "batch") return toolbatch::Run("qmpack", args, RunPackTool, out, err);
    if (args.empty()) return Usage(err);
    const std::string& cmd = args[0];
    if (cmd == "create") return Create(args, err);
    if (cmd == "zip" && args.size() == 3) {
        std::vector<uint8_t> data;
        if (!plat::ReadWholeFile(args[1], data)) {
            std::fprintf(err, "qmpack: cannot read %s\n", args[1].c_str());
            return 1;
        }
        std::vector<uint8_t> bytes = BuildCompressedFile(data);
        if (bytes.empty() || !plat::WriteFileAtomic(args[2], bytes.data(), bytes.size())) {
            std::fprintf(err, "qmpack: cannot write %s\n", args[2].c_str());
            return 1;
        }
        return 0;
    }
    if (cmd == "unzip" && args.size() == 2) {
        CFileResource file;
        if (!file.OpenFile(args[1].c_str(), kFileCompressed, "rb", false, nullptr)) {
            std::fprintf(err, "qmpack: cannot read %s\n", args[1].c_str());
            return 1;
        }
        return WriteData(file, out);
    }
    if ((cmd == "list" && args.size() == 2) || (cmd == "cat" && args.size() == 3)) {
        CPackFile pack;
        if (!pack.OpenPack(args[1].c_str())) {
            std::fprintf(err, "qmpack: %s is not a pack archive\n", args[1].c_str());
            return 1;
        }
        return cmd == "list" ? List(pack, out, err) : Cat(pack, args[2], out, err);
    }
    return Usage(err);
}
