// Triangle rasteriser with the fixed-function pipeline the game's 3D layer
// drives: transformed or pre-transformed lit vertices, indexed triangle lists,
// two texture stages, alpha test and source/destination blending.
//
// Conventions: pixel centres lie on integer screen coordinates; a pixel whose
// centre lies exactly on an edge belongs to the triangle when the edge is a top
// or a left edge, so a screen-aligned quad from (10, 10) to (20, 20) covers
// columns and rows 10 to 19. Positions snap to 1/256 pixel.
#pragma once
#include <cstdint>
#include <memory>

#include "platform/raster/surface.h"

namespace plat::raster {

struct SpriteSpan;

enum class BlendFactor : uint8_t {
    kZero = 1,
    kOne,
    kSrcColor,
    kInvSrcColor,
    kSrcAlpha,
    kInvSrcAlpha,
    kDestAlpha,
    kInvDestAlpha,
    kDestColor,
    kInvDestColor,
    kSrcAlphaSat,
    kBothSrcAlpha,     // source: src alpha, destination: 1 - src alpha
    kBothInvSrcAlpha,  // source: 1 - src alpha, destination: src alpha
};

enum class CompareFunc : uint8_t {
    kNever = 1,
    kLess,
    kEqual,
    kLessEqual,
    kGreater,
    kNotEqual,
    kGreaterEqual,
    kAlways
};

enum class CullMode : uint8_t { kNone = 1, kClockwise, kCounterClockwise };

enum class TextureOp : uint8_t {
    kDisable = 1,
    kSelectArg1,
    kSelectArg2,
    kModulate,
    kModulate2x,
    kAdd,
    kAddSigned,
    kDotProduct3,
};

enum class TextureArg : uint8_t { kDiffuse, kCurrent, kTexture, kTextureFactor, kSpecular };

enum class TextureAddress : uint8_t { kWrap = 1, kMirror, kClamp, kBorder };

enum class TextureFilter : uint8_t { kPoint = 1, kLinear };

struct StageState {
    TextureOp colorOp = TextureOp::kDisable;
    TextureArg colorArg1 = TextureArg::kTexture;
    TextureArg colorArg2 = TextureArg::kCurrent;
    TextureOp alphaOp = TextureOp::kDisable;
    TextureArg alphaArg1 = TextureArg::kTexture;
    TextureArg alphaArg2 = TextureArg::kCurrent;
    const Surface* texture = nullptr;  // null samples opaque white
    TextureAddress addressU = TextureAddress::kWrap;
    TextureAddress addressV = TextureAddress::kWrap;
    TextureFilter magFilter = TextureFilter::kPoint;
    TextureFilter minFilter = TextureFilter::kPoint;
    uint32_t borderColor = 0;  // ARGB
};

struct RenderState {
    bool alphaBlend = false;
    BlendFactor srcBlend = BlendFactor::kOne;
    BlendFactor destBlend = BlendFactor::kZero;
    bool alphaTest = false;
    CompareFunc alphaFunc = CompareFunc::kAlways;
    uint8_t alphaRef = 0;
    bool colorKey = false;  // texels matching a texture's colour key are dropped
    bool specular = false;  // add the interpolated specular colour after the stages
    CullMode cull = CullMode::kCounterClockwise;
    uint32_t textureFactor = 0xFFFFFFFF;  // ARGB
};

// Untransformed lit vertex (32 bytes): position, a reserved word, diffuse and
// specular ARGB, one texture coordinate pair.
struct LitVertex {
    float x, y, z;
    uint32_t reserved;
    uint32_t diffuse, specular;
    float tu, tv;
};

// Pre-transformed vertex: screen position, z, reciprocal w, colours, texture coordinates.
struct ScreenVertex {
    float sx, sy, sz, rhw;
    uint32_t diffuse, specular;
    float tu, tv;
};

struct Matrix4 {
    float m[4][4];
};

struct Viewport {
    int x = 0, y = 0, width = 0, height = 0;
    float minZ = 0.0f, maxZ = 1.0f;
};

enum class TransformKind : uint8_t { kWorld, kView, kProjection };

class Device3D {
public:
    Device3D();
    ~Device3D();
    Device3D(const Device3D&) = delete;
    Device3D& operator=(const Device3D&) = delete;

    void SetRenderTarget(Surface* target) { m_target = target; }
    Surface* RenderTarget() const { return m_target; }
    void SetViewport(const Viewport& vp) { m_viewport = vp; }
    const Viewport& GetViewport() const { return m_viewport; }
    void SetTransform(TransformKind kind, const Matrix4& m);
    const Matrix4& GetTransform(TransformKind kind) const { return m_transforms[int(kind)]; }

    RenderState& State() { return m_state; }
    const RenderState& State() const { return m_state; }
    StageState& Stage(int i) { return m_stages[i & 1]; }
    const StageState& Stage(int i) const { return m_stages[i & 1]; }

    // Draws an indexed triangle list through world, view, projection and
    // viewport. Indices out of range drop their triangle. Returns the number of
    // triangles that reached the rasteriser.
    int DrawIndexed(const LitVertex* vertices, int vertexCount, const uint16_t* indices, int indexCount);
    int DrawIndexed(const ScreenVertex* vertices, int vertexCount, const uint16_t* indices, int indexCount);

    // Tests compare the specialised spans against the general pipeline.
    void SetFastPathsEnabled(bool on) { m_fastPaths = on; }

    static constexpr int kMaxStages = 2;

    struct SetupVertex {
        float x, y, z;
        float a, r, g, b;  // diffuse, 0..255
        float sr, sg, sb;  // specular, 0..255
        float u, v;
    };

private:
    void DrawTriangle(const SetupVertex& v0, const SetupVertex& v1, const SetupVertex& v2);

    Surface* m_target = nullptr;
    Viewport m_viewport;
    Matrix4 m_transforms[3];
    RenderState m_state;
    StageState m_stages[kMaxStages];
    bool m_fastPaths = true;
    // Tables of the sprite span, kept while the diffuse colour and states repeat.
    std::unique_ptr<SpriteSpan> m_sprite;
    bool m_spriteValid = false;
    uint32_t m_spriteDiffuse = 0, m_spriteState = 0;
};

}  // namespace plat::raster
