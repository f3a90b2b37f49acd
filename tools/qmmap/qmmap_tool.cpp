#include "tools/qmmap/qmmap_tool.h"

#include <cstring>
#include <memory>

#include "core/resource_cache.h"
#include "core/util.h"
#include "data/data_boxes.h"
#include "data/file_resource.h"
#include "data/pack_archive.h"
#include "data/pack_writer.h"
#include "graphics/image_mgr.h"
#include "platform/display.h"
#include "platform/message_box.h"
#include "platform/paths.h"
#include "tools/qmmap/map_render.h"
#include "tools/tool_batch.h"
#include "world/map/map.h"
#include "world/map/map_text.h"
#include "world/map/speech_data.h"
#include "world/map/speech_text.h"
#include "world/map/stage_data.h"
#include "world/map/stage_text.h"

namespace {

int Usage(FILE* err) {
    std::fprintf(err,
                 "usage: qmmap build MAP.txt DIR [--raw]\n"
                 "       qmmap stage TEXT OUT\n"
                 "       qmmap speech TEXT OUT\n"
                 "       qmmap dump FILE [--raw]\n"
                 "       qmmap render DIR STAGE OUT.bmp [--focus X Y] [--size W H]\n"
                 "       qmmap batch FILE                  (its commands, one a line)\n");
    return 2;
}

std::string NumberName(int32_t number, const char* extension) {
    char name[32];
    std::snprintf(name, sizeof name, "%04d%s", number, extension);
    return name;
}

bool EndsWith(const std::string& s, const char* tail) {
    const size_t n = std::strlen(tail);
    if (s.size() < n) return false;
    for (size_t i = 0; i < n; ++i)
        if (std::toupper(static_cast<unsigned char>(s[s.size() - n + i])) !=
            std::toupper(static_cast<unsigned char>(tail[i])))
            return false;
    return true;
}

bool ReadText(const std::string& path, std::string& text, FILE* err) {
    std::vector<uint8_t> bytes;
    if (!plat::ReadWholeFile(path, bytes)) {
        std::fprintf(err, "qmmap: cannot read %s\n", path.c_str());
        return false;
    }
    text.assign(bytes.begin(), bytes.end());
    return true;
}

bool Write(const std::string& path, const std::vector<uint8_t>& bytes, FILE* err) {
    if (plat::WriteFileAtomic(path, bytes.data(), bytes.size())) return true;
    std::fprintf(err, "qmmap: cannot write %s\n", path.c_str());
    return false;
}

std::string FolderOf(const std::string& path) {
    const size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? "." : path.substr(0, slash);
}

// The arguments after the command without the flag, and whether the flag was given.
std::vector<std::string> WithoutFlag(const std::vector<std::string>& args, const char* flag, bool* given) {
    std::vector<std::string> plain;
    *given = false;
    for (size_t i = 1; i < args.size(); ++i) {
        if (args[i] == flag)
            *given = true;
        else
            plain.push_back(args[i]);
    }
    return plain;
}

int Build(const std::vector<std::string>& args, FILE* err) {
    bool raw = false;
    const std::vector<std::string> plain = WithoutFlag(args, "--raw", &raw);
    if (plain.size() != 2) return Usage(err);
    std::string text, error;
    if (!ReadText(plain[0], text, err)) return 1;
    maptext::MapFiles files;
    if (!maptext::BuildMapFiles(text, FolderOf(plain[0]), files, &error)) {
        std::fprintf(err, "qmmap: %s: %s\n", plain[0].c_str(), error.c_str());
        return 1;
    }
    const std::string& dir = plain[1];
    const std::vector<uint8_t> map = raw ? files.map : BuildCompressedFile(files.map);
    if (!Write(dir + "/" + NumberName(files.number, ".Z5M.ZIP"), map, err) ||
        !Write(dir + "/" + NumberName(files.number, ".PPD"), files.paths, err))
        return 1;
    if (files.stageNumber >= 0 && !Write(dir + "/" + NumberName(files.stageNumber, ".Z5F"), files.stage, err))
        return 1;
    return 0;
}

int Convert(const std::vector<std::string>& args, FILE* err,
            bool (*build)(std::string_view, std::vector<uint8_t>&, std::string*)) {
    if (args.size() != 3) return Usage(err);
    std::string text, error;
    if (!ReadText(args[1], text, err)) return 1;
    std::vector<uint8_t> bytes;
    if (!build(text, bytes, &error)) {
        std::fprintf(err, "qmmap: %s: %s\n", args[1].c_str(), error.c_str());
        return 1;
    }
    return Write(args[2], bytes, err) ? 0 : 1;
}

// The image cache and manager the map's pictures are read with, when the
// program has none.
class PictureReaders {
public:
    PictureReaders() {
        if (!g_pImageCache) {
            m_cache = std::make_unique<CResourceCache>();
            g_pImageCache = m_cache.get();
        }
        if (!g_pImageMgr) {
            m_images = std::make_unique<CImageMgr>();
            g_pImageMgr = m_images.get();
        }
    }
    ~PictureReaders() {
        if (m_images) g_pImageMgr = nullptr;
        m_images.reset();
        if (m_cache) {
            ReleaseAllImages();
            g_pImageCache = nullptr;
        }
    }
    PictureReaders(const PictureReaders&) = delete;
    PictureReaders& operator=(const PictureReaders&) = delete;

private:
    std::unique_ptr<CResourceCache> m_cache;
    std::unique_ptr<CImageMgr> m_images;
};

int Dump(const std::vector<std::string>& args, FILE* out, FILE* err) {
    bool raw = false;
    const std::vector<std::string> plain = WithoutFlag(args, "--raw", &raw);
    if (plain.size() != 1) return Usage(err);
    const std::string& path = plain[0];
    // A file that is not there has no box of its own to explain it.
    const bool known = EndsWith(path, ".Z5M.ZIP") || EndsWith(path, ".Z5M") || EndsWith(path, ".PPD") ||
                       EndsWith(path, ".Z5F") || EndsWith(path, ".VSE") || EndsWith(path, ".SPC");
    if (known && !plat::FileExists(path)) {
        std::fprintf(err, "qmmap: cannot read %s\n", path.c_str());
        return 1;
    }
    // Whatever the client would show in a box is the reason it refuses the file.
    plat::ScopedMessageBoxRecorder boxes;
    std::string text;
    bool ok = true;
    if (EndsWith(path, ".Z5M.ZIP") || EndsWith(path, ".Z5M")) {
        std::vector<uint8_t> bytes;
        if (raw || !EndsWith(path, ".ZIP")) {
            ok = plat::ReadWholeFile(path, bytes);
        } else {
            CFileResource file;
            ok = file.OpenFile(path.c_str(), kFileCompressed, "rb", false, nullptr);
            if (ok) {
                bytes.resize(file.GetRemaining());
                ok = bytes.empty() || file.ReadExact(bytes.data(), bytes.size());
            }
        }
        PictureReaders pictures;
        CMap map;
        ok = ok && map.LoadMapBytes(std::move(bytes), path);
        if (ok) {
            map.LoadWholeMap();
            text = maptext::DumpMap(map);
            ok = !map.m_damageReported;
        }
    } else if (EndsWith(path, ".PPD")) {
        std::vector<uint8_t> bytes;
        CPathData paths;
        ok = plat::ReadWholeFile(path, bytes) && paths.LoadBytes(bytes.data(), bytes.size(), path.c_str());
        text = maptext::DumpPaths(paths);
    } else if (EndsWith(path, ".Z5F") || EndsWith(path, ".VSE")) {
        std::vector<uint8_t> bytes;
        CStageData stage;
        ok = plat::ReadWholeFile(path, bytes) && stage.Load(bytes.data(), bytes.size(), path.c_str());
        text = maptext::DumpStage(stage);
        ok = ok && boxes.Boxes().empty();
    } else if (EndsWith(path, ".SPC")) {
        std::vector<uint8_t> bytes;
        CSpeechData speech;
        ok = plat::ReadWholeFile(path, bytes) &&
             speech.LoadBytes(bytes.data(), bytes.size(), path.c_str(), {}, false);
        text = maptext::DumpSpeech(speech);
    } else {
        std::fprintf(err, "qmmap: %s is none of .Z5M.ZIP, .Z5M, .PPD, .Z5F, .VSE, .SPC\n", path.c_str());
        return 2;
    }
    std::fputs(text.c_str(), out);
    for (const auto& box : boxes.Boxes()) std::fprintf(err, "qmmap: %s\n", box.text.c_str());
    if (!ok && boxes.Boxes().empty()) std::fprintf(err, "qmmap: cannot read %s\n", path.c_str());
    return ok ? 0 : 1;
}

int Render(const std::vector<std::string>& args, FILE* err) {
    qmmap::RenderOptions o;
    std::vector<std::string> plain;
    for (size_t i = 1; i < args.size(); ++i) {
        if (args[i] == "--focus" && i + 2 < args.size()) {
            o.focusGiven = true;
            o.focusX = std::strtof(args[i + 1].c_str(), nullptr);
            o.focusY = std::strtof(args[i + 2].c_str(), nullptr);
            i += 2;
        } else if (args[i] == "--size" && i + 2 < args.size()) {
            o.width = std::atoi(args[i + 1].c_str());
            o.height = std::atoi(args[i + 2].c_str());
            i += 2;
            if (o.width < 16 || o.height < 16 || o.width > 4096 || o.height > 4096) return Usage(err);
        } else {
            plain.push_back(args[i]);
        }
    }
    if (plain.size() != 3) return Usage(err);
    o.folder = plain[0];
    o.stage = std::atoi(plain[1].c_str());
    plat::ScopedMessageBoxRecorder boxes;
    plat::raster::Surface frame;
    std::string error;
    const bool ok = qmmap::RenderMap(o, frame, &error);
    for (const auto& box : boxes.Boxes()) std::fprintf(err, "qmmap: %s\n", box.text.c_str());
    if (!ok) {
        std::fprintf(err, "qmmap: %s\n", error.c_str());
        return 1;
    }
    if (!plat::SaveFrameBmp(frame, plain[2])) {
        std::fprintf(err, "qmmap: cannot write %s\n", plain[2].c_str());
        return 1;
    }
    return 0;
}

}  // namespace

int RunMapTool(const std::vector<std::string>& args, FILE* out, FILE* err) {
    if (!args.empty() && args[0] == "batch") return toolbatch::Run("qmmap", args, RunMapTool, out, err);
    if (args.empty()) return Usage(err);
    if (args[0] == "build") return Build(args, err);
    if (args[0] == "stage") return Convert(args, err, maptext::BuildStageText);
    if (args[0] == "speech") return Convert(args, err, maptext::BuildSpeechText);
    if (args[0] == "dump") return Dump(args, out, err);
    if (args[0] == "render") return Render(args, err);
    return Usage(err);
}
