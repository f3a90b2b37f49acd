#include "anim/model_support.h"

#include "core/util.h"
#include "data/pack_archive.h"
#include "graphics/direct3d.h"
#include "platform/paths.h"

bool DataFileExists(const char* path) {
    if (!path || !*path) return false;
    uint32_t size = 0, stored = 0;
    if (g_bUsePackFile && g_pPackFile && g_pPackFile->FindPackEntry(path, &size, &stored)) return true;
    return plat::FileExists(path);
}

uint32_t LoadModelTexture(const std::string& folder, const std::string& fileName) {
    if (!g_pDirect3D || fileName.empty()) return 0;
    const size_t slash = fileName.find_last_of("/\\");
    const std::string base = slash == std::string::npos ? fileName : fileName.substr(slash + 1);
    const size_t dot = base.find_last_of('.');
    const std::string title = dot == std::string::npos ? base : base.substr(0, dot);
    const std::string extension = dot == std::string::npos ? std::string() : base.substr(dot + 1);
    std::string path = folder + "/" + title + "." + extension;
    StrToUpper(path.data());
    if (!DataFileExists(path.c_str())) return 0;
    return g_pDirect3D->LoadTexture(path.c_str(), 16, 0, 0, -1, -1, 0);
}

void ReleaseModelTexture(uint32_t& id) {
    if (id && g_pDirect3D) g_pDirect3D->ReleaseTexture(id);
    id = 0;
}

CTextureResource* GetModelTexture(uint32_t id) {
    return id && g_pDirect3D ? g_pDirect3D->GetTexture(id) : nullptr;
}
