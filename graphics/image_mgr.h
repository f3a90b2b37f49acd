// The image manager: the transparent colour of the span pictures, the 128 x 128
// work texture of the soft shadows with its quad, and the pictures of the
// image cache.
#pragma once
#include <cstdint>

#include "core/base_object.h"
#include "platform/raster/device3d.h"

class CFileResource;
class CImageFileResource;
class CResourceCache;
class CTextureResource;

class CImageMgr : public CMsgObject {
public:
    static constexpr int32_t kWorkTextureSide = 128;

    CImageMgr();
    ~CImageMgr() override;

    // Chooses the transparent colour for the display and makes the work texture.
    bool Init();
    // Gives the work texture back and deletes every picture of the image cache.
    bool Release() override;

    // Reads a palettised picture from the stream's position and adds it to the
    // image cache; null (after a message box) when it does not load.
    CImageFileResource* CreateImage(CFileResource* stream);
    // The same for a 16-bit picture in the display's format.
    CImageFileResource* CreateImageEx(CFileResource* stream, int32_t unused = 0);

    uint16_t GetTransparentColor() const { return m_transparent; }
    CTextureResource* GetWorkTexture() const;
    uint32_t GetWorkTextureId() const { return m_workTextureId; }
    int32_t GetWorkTextureSide() const { return m_workSide; }

    // The soft shadow's quad: half-transparent black.
    plat::raster::LitVertex m_vertices[4];

private:
    CImageFileResource* AddImage(CImageFileResource* image);

    uint16_t m_transparent = 0xF81F;
    uint32_t m_workTextureId = 0;
    int32_t m_workSide = kWorkTextureSide;
};

extern CImageMgr* g_pImageMgr;
// The image cache (made by the device set at start-up).
extern CResourceCache* g_pImageCache;

// Drops one use of the image; the last use removes it from the cache and deletes it.
bool ReleaseImage(uint32_t id);
// Deletes every image of the image cache; false when there is no image cache.
bool ReleaseAllImages();
