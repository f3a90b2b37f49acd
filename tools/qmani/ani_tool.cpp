#include "tools/qmani/ani_tool.h"

#include <cstdlib>

#include "anim/ani_file.h"
#include "anim/ani_mgr.h"
#include "anim/ani_object.h"
#include "anim/ani_text.h"
#include "anim/anim_startup.h"
#include "core/config.h"
#include "core/global_objects.h"
#include "data/pack_archive.h"
#include "graphics/device_set.h"
#include "graphics/direct3d.h"
#include "graphics/display_settings.h"
#include "graphics/graphics_startup.h"
#include "graphics/surface_resource.h"
#include "platform/clock.h"
#include "platform/display.h"
#include "platform/paths.h"
#include "tools/tool_batch.h"

namespace {

int Usage(FILE* err) {
    std::fprintf(err,
                 "usage: qmani dump FILE.z5a\n"
                 "       qmani write TEXT FILE.z5a\n"
                 "       qmani render FOLDER NUMBER FRAME OUT.bmp [--motion M] [--direction D]\n"
                 "                    [--texture-folder DIR] [--width W] [--height H] [--at X Y]\n"
                 "       qmani batch FILE                  (its commands, one a line)\n");
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

bool ParseInt(const std::string& s, long lo, long hi, int32_t& out) {
    char* end = nullptr;
    const long v = std::strtol(s.c_str(), &end, 0);
    if (s.empty() || *end || v < lo || v > hi) return false;
    out = int32_t(v);
    return true;
}

struct RenderArgs {
    std::string folder, out, textureFolder;
    int32_t number = 0, frame = 0, motion = 0, direction = 1;
    int32_t width = 800, height = 600, x = 400, y = 300;
};

bool ParseRender(const std::vector<std::string>& args, RenderArgs& r) {
    std::vector<std::string> plain;
    for (size_t i = 1; i < args.size(); ++i) {
        const std::string& a = args[i];
        auto value = [&](long lo, long hi, int32_t& out) {
            return i + 1 < args.size() && ParseInt(args[++i], lo, hi, out);
        };
        if (a == "--motion") {
            if (!value(0, 255, r.motion)) return false;
        } else if (a == "--direction") {
            if (!value(0, 15, r.direction)) return false;
        } else if (a == "--width") {
            if (!value(16, 4096, r.width)) return false;
        } else if (a == "--height") {
            if (!value(16, 4096, r.height)) return false;
        } else if (a == "--at") {
            if (!value(-100000, 100000, r.x) || !value(-100000, 100000, r.y)) return false;
        } else if (a == "--texture-folder") {
            if (i + 1 >= args.size()) return false;
            r.textureFolder = args[++i];
        } else {
            plain.push_back(a);
        }
    }
    if (plain.size() != 4) return false;
    r.folder = plain[0];
    r.out = plain[3];
    if (r.textureFolder.empty()) r.textureFolder = r.folder;
    return ParseInt(plain[1], 0, 9998, r.number) && ParseInt(plain[2], 0, 100000, r.frame);
}

// The display, the picture managers and the animation manager brought up
// headless for one drawing, and taken down again.
class HeadlessStage {
public:
    explicit HeadlessStage(const RenderArgs& a)
        : m_scopedClock(m_clock),
          m_oldConfig(g_config),
          m_oldUsePack(g_bUsePackFile),
          m_oldCompressed(g_bUseCompressedFiles) {
        m_oldDisplay = plat::SetDisplay(std::make_unique<plat::RecordingDisplay>());
        g_config.m_screenWidth = a.width;
        g_config.m_screenHeight = a.height;
        g_config.m_fullScreen = false;
        g_config.m_folders[FOLDER_ANIMATION] = a.folder;
        g_config.m_folders[FOLDER_TEXTURE] = a.textureFolder;
        g_bUsePackFile = false;
        g_bUseCompressedFiles = false;
        InstallGraphicsGlobals();
        InstallAnimGlobals();
        for (GlobalSlot slot : kSlots) m_up = m_up && CreateGlobal(slot);
    }
    ~HeadlessStage() {
        for (auto it = std::rbegin(kSlots); it != std::rend(kSlots); ++it) DestroyGlobal(*it);
        ClearGlobalFactories();
        plat::SetDisplay(std::move(m_oldDisplay));
        g_config = m_oldConfig;
        g_bUsePackFile = m_oldUsePack;
        g_bUseCompressedFiles = m_oldCompressed;
    }
    bool Up() const { return m_up && g_pDirect3D && g_pDirect3D->GetRenderTarget(); }
    plat::FakeClock& Clock() { return m_clock; }

private:
    // The device set makes the resource caches but leaves them to their own
    // slot, which takes them down after it.
    static constexpr GlobalSlot kSlots[] = {GlobalSlot::ResourceCaches, GlobalSlot::DirectX,
                                            GlobalSlot::TexImageMgr,    GlobalSlot::AniMgr,
                                            GlobalSlot::ObjSpriteMgr,   GlobalSlot::ImageMgr};
    plat::FakeClock m_clock{100000};
    plat::ScopedClock m_scopedClock;
    std::unique_ptr<plat::Display> m_oldDisplay;
    CConfig m_oldConfig;
    bool m_oldUsePack, m_oldCompressed;
    bool m_up = true;
};

int Render(const std::vector<std::string>& args, FILE* out, FILE* err) {
    RenderArgs a;
    if (!ParseRender(args, a)) return Usage(err);
    HeadlessStage stage(a);
    if (!stage.Up()) {
        std::fprintf(err, "qmani: the display did not come up\n");
        return 1;
    }
    int status = 0;
    {
        CAniObject object;
        if (!object.SetAnimation(uint32_t(a.number))) {
            std::fprintf(err, "qmani: animation %d cannot be loaded from %s\n", a.number, a.folder.c_str());
            return 1;
        }
        object.SetMotion(uint8_t(a.motion));
        if (object.GetCurrentMotionId() < 0) {
            std::fprintf(err, "qmani: animation %d has no motion %d\n", a.number, a.motion);
            return 1;
        }
        object.SetDirection(uint8_t(a.direction));
        object.SetScreenPosition(a.x, a.y, 0);
        object.Play(false);
        // Frame N is drawn N x 33 ms after the start; every update on the way runs.
        for (int32_t f = 0; f <= a.frame; ++f) {
            if (f) stage.Clock().Advance(ANI_FRAME_MS);
            object.Update();
        }
        plat::raster::Surface& target = g_pDirect3D->GetRenderTarget()->Surface()->Pixels();
        plat::raster::Fill(target, target.Bounds(), 0);
        object.Draw();
        if (!plat::SaveFrameBmp(target, a.out)) {
            std::fprintf(err, "qmani: cannot write %s\n", a.out.c_str());
            status = 1;
        }
        const AniRect b = object.m_bounds;
        if (IsEmptyAniRect(b))
            std::fprintf(out, "bounds empty\n");
        else
            std::fprintf(out, "bounds %d %d %d %d\n", b.left, b.top, b.right, b.bottom);
    }
    return status;
}

}  // namespace

int RunAniTool(const std::vector<std::string>& args, FILE* out, FILE* err) {
    if (!args.empty() && args[0] == "batch") return toolbatch::Run("qmani", args, RunAniTool, out, err);
    if (args.empty()) return Usage(err);
    if (args[0] == "dump") return Dump(args, out, err);
    if (args[0] == "write") return Write(args, err);
    if (args[0] == "render") return Render(args, out, err);
    return Usage(err);
}
