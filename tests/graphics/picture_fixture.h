// The display brought up headless (graphics_fixture.h) with the picture side on
// top: the image cache and manager, the texture-image manager, a texture folder
// in a temporary directory and the text tables the pictures' messages use.
#pragma once
#include <memory>
#include <string>
#include <vector>

#include "core/config.h"
#include "data/pack_archive.h"
#include "graphics/image_mgr.h"
#include "graphics/tex_image.h"
#include "graphics_fixture.h"
#include "platform/paths.h"
#include "tests/support/temp_dir.h"

class PictureFixture : public GraphicsFixture {
protected:
    void SetUp() override {
        GraphicsFixture::SetUp();
        m_oldFolder = g_config.m_folders[FOLDER_TEXTURE];
        m_oldCompressed = g_bUseCompressedFiles;
        m_oldUsePack = g_bUsePackFile;
        g_config.m_folders[FOLDER_TEXTURE] = m_dir.Path();
        g_bUseCompressedFiles = false;
        g_bUsePackFile = false;
        m_imageCache = std::make_unique<CResourceCache>();
        g_pImageCache = m_imageCache.get();
    }

    void TearDown() override {
        if (g_pTexImageMgr == &m_texImages) m_texImages.Release();
        g_pTexImageMgr = nullptr;
        if (g_pImageMgr == &m_images) m_images.Release();
        g_pImageMgr = nullptr;
        g_pImageCache = nullptr;
        m_imageCache.reset();
        g_config.m_folders[FOLDER_TEXTURE] = m_oldFolder;
        g_bUseCompressedFiles = m_oldCompressed;
        g_bUsePackFile = m_oldUsePack;
        GraphicsFixture::TearDown();
    }

    // Display (800 x 600, windowed), then the image and texture-image managers.
    void BringUpPictures() {
        ASSERT_EQ(BringUp(800, 600, false), plat::kOk);
        g_pImageMgr = &m_images;
        m_images.Init();
        g_pTexImageMgr = &m_texImages;
    }

    std::string WriteTexture(const std::string& name, const std::vector<uint8_t>& bytes) {
        return m_dir.WriteFile(name + ".DTX", bytes);
    }

    // Fills the render target with one value.
    void ClearTarget(uint16_t value) { plat::raster::Fill(Target(), Target().Bounds(), value); }
    uint16_t TargetAt(int x, int y) { return Target().At(x, y); }

    qmtest::TempDir m_dir;
    std::unique_ptr<CResourceCache> m_imageCache;
    CImageMgr m_images;
    CTexImageMgr m_texImages;
    std::string m_oldFolder;
    bool m_oldCompressed = true, m_oldUsePack = true;
};
