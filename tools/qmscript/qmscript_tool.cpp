#include "tools/qmscript/qmscript_tool.h"

#include "core/byte_source.h"
#include "platform/paths.h"
#include "script/script_file.h"
#include "tools/qmscript/script_text.h"
#include "tools/tool_batch.h"

namespace {

int Usage(FILE* err) {
    std::fprintf(err,
                 "usage: qmscript build TEXT OUT\n"
                 "       qmscript dump FILE\n"
                 "       qmscript batch FILE      (its commands, one a line)\n");
    return 2;
}

int Build(const std::string& textPath, const std::string& outPath, FILE* err) {
    std::vector<uint8_t> text;
    if (!plat::ReadWholeFile(textPath, text)) {
        std::fprintf(err, "qmscript: cannot read %s\n", textPath.c_str());
        return 1;
    }
    ScriptFileData script;
    std::string error;
    if (!ParseScriptText(std::string_view(reinterpret_cast<const char*>(text.data()), text.size()), script,
                         &error)) {
        std::fprintf(err, "qmscript: %s: %s\n", textPath.c_str(), error.c_str());
        return 1;
    }
    CByteWriter bytes;
    WriteScriptFile(script, bytes);
    if (!plat::WriteFileAtomic(outPath, bytes.Data().data(), bytes.Data().size())) {
        std::fprintf(err, "qmscript: cannot write %s\n", outPath.c_str());
        return 1;
    }
    return 0;
}

int Dump(const std::string& path, FILE* out, FILE* err) {
    std::vector<uint8_t> bytes;
    if (!plat::ReadWholeFile(path, bytes)) {
        std::fprintf(err, "qmscript: cannot read %s\n", path.c_str());
        return 1;
    }
    CMemorySource source(bytes);
    ScriptFileData script;
    std::string reason;
    if (!ReadScriptFile(source, script, &reason)) {
        std::fprintf(err, "qmscript: %s: refused: %s\n", path.c_str(), reason.c_str());
        return 1;
    }
    const std::string text = DumpScriptText(script);
    std::fwrite(text.data(), 1, text.size(), out);
    if (source.Remaining() > 0)
        std::fprintf(err, "qmscript: %llu bytes after the last function\n",
                     static_cast<unsigned long long>(source.Remaining()));
    return 0;
}

}  // namespace

int RunScriptTool(const std::vector<std::string>& args, FILE* out, FILE* err) {
    if (!args.empty() && args[0] == "batch") return toolbatch::Run("qmscript", args, RunScriptTool, out, err);
    if (args.size() == 3 && args[0] == "build") return Build(args[1], args[2], err);
    if (args.size() == 2 && args[0] == "dump") return Dump(args[1], out, err);
    return Usage(err);
}
