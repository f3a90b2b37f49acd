// A display device, surface and texture caches and the Direct3D layer brought
// up headless on the recording display.
#pragma once
#include <gtest/gtest.h>

#include <memory>

#include "core/resource_cache.h"
#include "graphics/direct3d.h"
#include "graphics/direct_draw.h"
#include "graphics/display_settings.h"
#include "graphics/surface_resource.h"
#include "graphics/texture_resource.h"
#include "platform/display.h"
#include "platform/draw_device.h"
#include "platform/message_box.h"

class GraphicsFixture : public ::testing::Test {
protected:
    void SetUp() override {
        plat::ResetMachine();
        auto recording = std::make_unique<plat::RecordingDisplay>();
        m_display = recording.get();
        m_oldDisplay = plat::SetDisplay(std::move(recording));
        GetDisplaySettings() = CDisplaySettings{};
        m_surfaceCache = std::make_unique<CResourceCache>();
        m_textureCache = std::make_unique<CResourceCache>();
        m_surfaceCache->SetBudget(307300000);
        m_textureCache->SetBudget(335544320);
        g_pSurfaceCache = m_surfaceCache.get();
        g_pTextureCache = m_textureCache.get();
    }

    void TearDown() override {
        m_d3d.reset();
        m_dd.reset();
        g_pDirect3D = nullptr;
        g_pDirectDraw = nullptr;
        m_surfaceCache.reset();
        m_textureCache.reset();
        g_pSurfaceCache = nullptr;
        g_pTextureCache = nullptr;
        plat::SetDisplay(std::move(m_oldDisplay));
        plat::ResetMachine();
        GetDisplaySettings() = CDisplaySettings{};
    }

    // Brings the display up (and the Direct3D layer when with3D).
    plat::HResult BringUp(int width, int height, bool fullScreen, bool with3D = true) {
        CDisplaySettings& s = GetDisplaySettings();
        s.screenWidth = width;
        s.screenHeight = height;
        s.use3D = with3D;
        m_dd = std::make_unique<CDirectDraw>();
        g_pDirectDraw = m_dd.get();
        plat::HResult hr = m_dd->CreateDirectDraw(nullptr, 0, fullScreen, width, height, 16, 1, 0);
        if (hr != plat::kOk || !with3D) return hr;
        m_d3d = std::make_unique<CDirect3D>();
        return m_d3d->CreateD3DDevice(plat::Device3DKind::kHal);
    }

    plat::raster::Surface& Target() { return m_d3d->GetRenderTarget()->Surface()->Pixels(); }

    plat::ScopedMessageBoxRecorder m_boxes;
    plat::RecordingDisplay* m_display = nullptr;
    std::unique_ptr<plat::Display> m_oldDisplay;
    std::unique_ptr<CResourceCache> m_surfaceCache, m_textureCache;
    std::unique_ptr<CDirectDraw> m_dd;
    std::unique_ptr<CDirect3D> m_d3d;
};
