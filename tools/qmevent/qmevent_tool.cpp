#include "tools/qmevent/qmevent_tool.h"

#include "core/byte_source.h"
#include "platform/paths.h"
#include "script/event_file.h"
#include "tools/qmevent/event_text.h"
#include "tools/tool_batch.h"

namespace {

int Usage(FILE* err) {
    std::fprintf(err,
                 "usage: qmevent build TEXT OUT   (OUT ending in .VET: a visual event)\n"
                 "       qmevent dump FILE\n"
                 "       qmevent batch FILE      (its commands, one a line)\n");
    return 2;
}

bool IsVisual(const std::string& path) {
    return path.size() >= 4 &&
           (path.compare(path.size() - 4, 4, ".VET") == 0 || path.compare(path.size() - 4, 4, ".vet") == 0);
}

int Build(const std::string& textPath, const std::string& outPath, FILE* err) {
    std::vector<uint8_t> text;
    if (!plat::ReadWholeFile(textPath, text)) {
        std::fprintf(err, "qmevent: cannot read %s\n", textPath.c_str());
        return 1;
    }
    EventFileData file;
    std::string error;
    if (!ParseEventText(std::string_view(reinterpret_cast<const char*>(text.data()), text.size()),
                        IsVisual(outPath), file, &error)) {
        std::fprintf(err, "qmevent: %s: %s\n", textPath.c_str(), error.c_str());
        return 1;
    }
    CByteWriter bytes;
    WriteEventFile(file, bytes);
    if (!plat::WriteFileAtomic(outPath, bytes.Data().data(), bytes.Data().size())) {
        std::fprintf(err, "qmevent: cannot write %s\n", outPath.c_str());
        return 1;
    }
    return 0;
}

int Dump(const std::string& path, FILE* out, FILE* err) {
    std::vector<uint8_t> bytes;
    if (!plat::ReadWholeFile(path, bytes)) {
        std::fprintf(err, "qmevent: cannot read %s\n", path.c_str());
        return 1;
    }
    CMemorySource source(bytes);
    EventFileData file;
    EventFileError error;
    if (!ReadEventFile(source, IsVisual(path), file, &error)) {
        std::fprintf(err, "qmevent: %s: refused (text 16, %d): %s", path.c_str(), error.row,
                     error.reason.c_str());
        if (error.index >= 0)
            std::fprintf(err, " (command %d of %s, code %u)", error.index, error.function.c_str(),
                         error.code);
        std::fprintf(err, "\n");
        return 1;
    }
    const std::string text = DumpEventText(file);
    std::fwrite(text.data(), 1, text.size(), out);
    if (source.Remaining() > 0)
        std::fprintf(err, "qmevent: %llu bytes after the last function\n",
                     static_cast<unsigned long long>(source.Remaining()));
    return 0;
}

}  // namespace

int RunEventTool(const std::vector<std::string>& args, FILE* out, FILE* err) {
    if (!args.empty() && args[0] == "batch") return toolbatch::Run("qmevent", args, RunEventTool, out, err);
    if (args.size() == 3 && args[0] == "build") return Build(args[1], args[2], err);
    if (args.size() == 2 && args[0] == "dump") return Dump(args[1], out, err);
    return Usage(err);
}
