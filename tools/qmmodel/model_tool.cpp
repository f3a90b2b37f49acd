#include "tools/qmmodel/model_tool.h"

#include "anim/map_model_files.h"
#include "anim/toon_files.h"
#include "platform/paths.h"
#include "tools/tool_batch.h"

namespace {

template <class File>
bool Build(std::string_view text, std::vector<uint8_t>& out, std::string* error) {
    File file;
    if (!ParseModelText(text, file, error)) return false;
    out = WriteModelBinary(file);
    return true;
}

template <class File, class Loader>
bool Dump(const std::vector<uint8_t>& bytes, std::string& text, std::string* error, Loader load) {
    File file;
    if (!load(bytes.data(), bytes.size(), file, error)) return false;
    text = DumpModelText(file);
    return true;
}

int Usage(FILE* err) {
    std::fprintf(err,
                 "usage: qmmodel build TEXT OUT [obj|ani|mat|msh|kfd]\n"
                 "       qmmodel dump FILE [obj|ani|mat|msh|kfd]\n"
                 "       qmmodel batch FILE                  (its commands, one a line)\n");
    return 2;
}

}  // namespace

ModelFileKind ModelFileKindOf(std::string_view nameOrPath) {
    const size_t dot = nameOrPath.find_last_of('.');
    const std::string_view ext = dot == std::string_view::npos ? nameOrPath : nameOrPath.substr(dot + 1);
    if (plat::EqualsNoCase(ext, "obj")) return ModelFileKind::kToonMesh;
    if (plat::EqualsNoCase(ext, "ani")) return ModelFileKind::kToonAnim;
    if (plat::EqualsNoCase(ext, "mat")) return ModelFileKind::kToonMaterial;
    if (plat::EqualsNoCase(ext, "msh")) return ModelFileKind::kMapMesh;
    if (plat::EqualsNoCase(ext, "kfd")) return ModelFileKind::kKeyframes;
    return ModelFileKind::kUnknown;
}

bool BuildModelFile(ModelFileKind kind, std::string_view text, std::vector<uint8_t>& out,
                    std::string* error) {
    switch (kind) {
        case ModelFileKind::kToonMesh:
            return Build<ToonMesh>(text, out, error);
        case ModelFileKind::kToonAnim:
            return Build<ToonAnim>(text, out, error);
        case ModelFileKind::kToonMaterial:
            return Build<ToonMaterial>(text, out, error);
        case ModelFileKind::kMapMesh:
            return Build<ModelMeshData>(text, out, error);
        case ModelFileKind::kKeyframes:
            return Build<KeyframeData>(text, out, error);
        case ModelFileKind::kUnknown:
            break;
    }
    if (error) *error = "unknown model file kind";
    return false;
}

bool DumpModelFile(ModelFileKind kind, const std::vector<uint8_t>& bytes, std::string& text,
                   std::string* error) {
    switch (kind) {
        case ModelFileKind::kToonMesh:
            return Dump<ToonMesh>(bytes, text, error, LoadToonMesh);
        case ModelFileKind::kToonAnim:
            return Dump<ToonAnim>(bytes, text, error, LoadToonAnim);
        case ModelFileKind::kToonMaterial:
            return Dump<ToonMaterial>(bytes, text, error, LoadToonMaterial);
        case ModelFileKind::kMapMesh:
            return Dump<ModelMeshData>(bytes, text, error, LoadModelMeshData);
        case ModelFileKind::kKeyframes:
            return Dump<KeyframeData>(bytes, text, error, LoadKeyframeData);
        case ModelFileKind::kUnknown:
            break;
    }
    if (error) *error = "unknown model file kind";
    return false;
}

int RunModelTool(const std::vector<std::string>& args, FILE* out, FILE* err) {
    if (!args.empty() && args[0] == "batch") return toolbatch::Run("qmmodel", args, RunModelTool, out, err);
    if (args.empty()) return Usage(err);
    const bool build = args[0] == "build" && (args.size() == 3 || args.size() == 4);
    const bool dump = args[0] == "dump" && (args.size() == 2 || args.size() == 3);
    if (!build && !dump) return Usage(err);
    const size_t kindArg = build ? 3 : 2;
    const ModelFileKind kind = ModelFileKindOf(args.size() > kindArg ? args[kindArg] : args[kindArg - 1]);
    if (kind == ModelFileKind::kUnknown) {
        std::fprintf(err, "qmmodel: say which kind of file (obj, ani, mat, msh or kfd)\n");
        return 2;
    }
    std::vector<uint8_t> input;
    if (!plat::ReadWholeFile(args[1], input)) {
        std::fprintf(err, "qmmodel: cannot read %s\n", args[1].c_str());
        return 1;
    }
    std::string error;
    if (build) {
        std::vector<uint8_t> bytes;
        if (!BuildModelFile(kind, std::string_view(reinterpret_cast<const char*>(input.data()), input.size()),
                            bytes, &error)) {
            std::fprintf(err, "qmmodel: %s: %s\n", args[1].c_str(), error.c_str());
            return 1;
        }
        if (!plat::WriteFileAtomic(args[2], bytes.data(), bytes.size())) {
            std::fprintf(err, "qmmodel: cannot write %s\n", args[2].c_str());
            return 1;
        }
        return 0;
    }
    std::string text;
    if (!DumpModelFile(kind, input, text, &error)) {
        std::fprintf(err, "qmmodel: %s: the client refuses it: %s\n", args[1].c_str(), error.c_str());
        return 1;
    }
    std::fwrite(text.data(), 1, text.size(), out);
    return 0;
}
