// The Direct3D layer: one fixed orthographic camera measured in world units,
// the render target the display presents, render and stage states with the
// blend-mode cache, screen/world conversions, FillRect and the texture cache.
#pragma once
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <utility>

#include "core/base_object.h"
#include "graphics/math3d.h"
#include "platform/draw_device.h"
#include "platform/font.h"
#include "platform/raster/device3d.h"

class CSurfaceResource;
class CTextureResource;
class CResourceCache;
class CFileResource;
class CDib;
class CDataTable;

// Texture format codes.
enum TextureFormatCode : int32_t { kTexX1R5G5B5 = 1, kTexR5G6B5 = 2, kTexA4R4G4B4 = 4 };
// Texture-format flags of the device.
enum : uint32_t { kHasX1R5G5B5 = 2, kHasR5G6B5 = 4, kHasA4R4G4B4 = 16 };
// Texture creation switch: a system-memory texture.
constexpr uint32_t kTextureSystemMemory = 0x800;

// A drawing context over the render target: text and other GDI-style drawing
// (plat::TextOutA) lands on the frame at its pixel positions, in the target's
// pixel layout.
struct CRenderTargetDC {
    plat::PixelBuffer pixels;
    plat::raster::PixelFormat format = plat::raster::PixelFormat::kRgb565;
};

class CDirect3D : public CMsgObject {
public:
    CDirect3D();
    ~CDirect3D() override;

    plat::HResult CreateD3DDevice(plat::Device3DKind kind);
    bool ResetDevice();
    bool Release() override;

    void InitRenderStates();
    void SetupTransforms();
    void SetBlendMode(uint8_t mode);
    void SetTextureFilter(bool on);
    void SetStageModulate(int stage);
    void DisableStage(int stage);
    void SetGrayscaleStages();

    double ScreenToWorldX(int32_t x) const;
    double ScreenToWorldY(int32_t y) const;
    int32_t WorldToScreenX(float x) const;
    int32_t WorldToScreenY(float y) const;

    void FillRect(int32_t x1, int32_t y1, int32_t x2, int32_t y2, uint32_t colour);

    // Takes a drawing context over the render target (the target stays
    // locked until it is given back): kOk; the surface's error when it is
    // lost, busy (locked, or a context is out already) or missing.
    plat::HResult GetRenderTargetDC(CRenderTargetDC* dc);
    // Gives the context back; kErrInvalidArg for one that is not out.
    plat::HResult ReleaseRenderTargetDC(const CRenderTargetDC& dc);

    // Texture cache.
    uint32_t CreateTexture(uint32_t switches, int32_t width, int32_t height, int32_t format);
    uint32_t CreateTextureFromData(CFileResource* stream, uint32_t switches, int32_t width, int32_t height,
                                   const plat::raster::Rect& rect);
    uint32_t LoadTexture(const char* name, uint32_t switches, int32_t width, int32_t height, int32_t firstRow,
                         int32_t lastRow, uint16_t unused = 0);
    CTextureResource* GetTexture(uint32_t id);
    CTextureResource* FindTextureByName(const char* name);
    bool ReleaseTexture(uint32_t id);
    bool ReleaseAllTextures();
    void BuildAddressModeMap();
    uint32_t GetAddressMode(const char* name, int which);

    // Binds a texture (null: none) to a stage, with its address modes unless
    // addressModes is false (the stage then keeps its own).
    void SetTexture(int stage, CTextureResource* texture, bool addressModes = true);
    // Draws an indexed triangle list of lit vertices with the current states.
    int DrawIndexed(const plat::raster::LitVertex* vertices, int count, const uint16_t* indices,
                    int indexCount);
    // The same, refusing an index list that points past its vertices (or
    // missing vertices or indices): nothing is drawn and kErrInvalidArg
    // comes back. kOk once drawn.
    plat::HResult DrawIndexedPrimitive(const plat::raster::LitVertex* vertices, int count,
                                       const uint16_t* indices, int indexCount);
    // The same with two texture coordinate pairs (stage 1 samples the second).
    int DrawIndexed(const plat::raster::LitVertex2* vertices, int count, const uint16_t* indices,
                    int indexCount);
    // Clears the depth buffer to the far value.
    void ClearDepth();
    void SetWorldTransform(const Matrix& m);

    // Sends the drawing of the frame into a texture until EndRenderToTexture:
    // Direct3D draws, and whatever draws on the render target, land on the
    // texture's pixels at their screen positions (what falls outside it is
    // clipped). False, with nothing changed, for a texture without pixels or
    // while another one is the target.
    bool BeginRenderToTexture(CTextureResource* texture);
    void EndRenderToTexture();
    bool IsRenderingToTexture() const { return m_pScreenTarget != nullptr; }

    plat::raster::Device3D* Device() const { return m_device.get(); }
    CSurfaceResource* GetRenderTarget() const { return m_pRenderTarget; }
    CSurfaceResource* GetSecondSurface() const { return m_pSecondSurface; }
    CTextureResource* GetWhiteTexture() const { return m_pWhiteTexture; }
    uint8_t GetBlendMode() const { return m_blendMode; }
    float GetViewWidth() const { return m_viewWidth; }
    float GetViewHeight() const { return m_viewHeight; }
    uint32_t GetFormatFlags() const { return m_formatFlags; }
    const plat::Device3DCaps& GetCaps() const { return m_caps; }
    const plat::PixelFormatDesc& GetTextureFormat(int32_t code) const;

    bool m_hardware = false;
    float m_texelOffsetX = 0.0f, m_texelOffsetY = 0.0f;

private:
    // Points the device at the render target and the depth buffer; false without them.
    bool BindTargets();
    void MakeWhiteTexture();
    void ReleaseSurfaces();

    std::unique_ptr<plat::raster::Device3D> m_device;
    CSurfaceResource* m_pRenderTarget = nullptr;
    CSurfaceResource* m_pSecondSurface = nullptr;
    CSurfaceResource* m_pZBuffer = nullptr;
    // While a texture is the target: the render target put aside and the texture's stand-in.
    CSurfaceResource* m_pScreenTarget = nullptr;
    std::unique_ptr<CSurfaceResource> m_textureTarget;
    uint32_t m_renderTargetId = 0, m_secondSurfaceId = 0, m_zBufferId = 0;
    float m_viewWidth = 10.0f, m_viewHeight = 7.5f;
    uint8_t m_blendMode = 255;
    uint32_t m_formatFlags = 0;
    plat::PixelFormatDesc m_format565, m_format555, m_format4444;
    plat::Device3DCaps m_caps;
    std::map<std::string, std::pair<uint32_t, uint32_t>> m_addressModes;
    bool m_addressModesBuilt = false;
    // The plain white texture FillRect draws with (not kept in the cache).
    CTextureResource* m_pWhiteTexture = nullptr;
    // The texture surfaces the device's two stages draw with.
    plat::SurfacePtr m_boundTextures[2];
};

extern CDirect3D* g_pDirect3D;
// The texture cache (made by the device set at start-up).
extern CResourceCache* g_pTextureCache;

// The byte cell of a binary data table; 0 for a null table or a row outside it.
uint8_t GetTableEntryByte(CDataTable* table, uint8_t column, int32_t row);
