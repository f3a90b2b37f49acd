#include "anim/tools/ani_tool.h"

#include "anim/ani_file.h"
#include "anim/ani_text.h"
#include "platform/paths.h"

namespace {

int Usage(FILE* err) {
    std::fprintf(err,
                 "usage: qmani dump FILE.z5a\n"
                 "       qmani write TEXT FILE.z5a\n"
                 "       qmani render FOLDER NUMBER FRAME OUT.bmp [--motion M] [--direction D]\n"
                 "                    [--texture-folder DIR] [--width W] [--height H] [--at X Y]\n");
    return 2;
}

int Dump(const std::vector<std::string>& args, FILE* out, FILE* err) {
    if (args.size() != 2) return Usage(err);
    std::vector<uint8_t> bytes;
    if (!plat::ReadWholeFile(args[1], bytes)) {
        std::fprintf(err, "qmani: cannot read %s\n", args[1].c_str());
        return 1;
    }
    AniFile file;
    std::string error;
    if (!ReadAniFile(bytes, file, &error)) {
        std::fprintf(err, "qmani: %s: %s\n", args[1].c_str(), error.c_str());
        return 1;
    }
    std::fputs(AniFileToText(file).c_str(), out);
    if (file.bytesRead != bytes.size())
        std::fprintf(out, "# %zu bytes after the last motion\n", bytes.size() - file.bytesRead);
    return 0;
}

int Write(const std::vector<std::string>& args, FILE* err) {
    if (args.size() != 3) return Usage(err);
    std::vector<uint8_t> text;
    if (!plat::ReadWholeFile(args[1], text)) {
        std::fprintf(err, "qmani: cannot read %s\n", args[1].c_str());
        return 1;
    }
    AniFile file;
    std::string error;
    if (!AniFileFromText(std::string(text.begin(), text.end()), file, &error)) {
        std::fprintf(err, "qmani: %s: %s\n", args[1].c_str(), error.c_str());
        return 1;
    }
    const std::vector<uint8_t> bytes = WriteAniFile(file);
    // What the client would refuse is not written.
    AniFile check;
    if (!ReadAniFile(bytes, check, &error)) {
        std::fprintf(err, "qmani: %s: the client would refuse it: %s\n", args[1].c_str(), error.c_str());
        return 1;
    }
    if (!plat::WriteFileAtomic(args[2], bytes.data(), bytes.size())) {
        std::fprintf(err, "qmani: cannot write %s\n", args[2].c_str());
        return 1;
    }
    return 0;
}

}  // namespace

int RunAniTool(const std::vector<std::string>& args, FILE* out, FILE* err) {
    if (args.empty()) return Usage(err);
    if (args[0] == "dump") return Dump(args, out, err);
    if (args[0] == "write") return Write(args, err);
    return Usage(err);
}
