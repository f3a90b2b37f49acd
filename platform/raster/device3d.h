// Triangle rasteriser with the fixed-function pipeline the game's 3D layer
// drives: transformed or pre-transformed lit vertices, indexed triangle lists,
// two texture stages (each with its own coordinate set), alpha test, a 16-bit
// depth buffer and source/destination blending.
//
// Conventions: pixel centres lie on integer screen coordinates; a pixel whose
// centre lies exactly on an edge belongs to the triangle when the edge is a top
// or a left edge, so a screen-aligned quad from (10, 10) to (20, 20) covers
// columns and rows 10 to 19. Positions snap to 1/256 pixel.
#pragma once
#include <cstdint>
#include <memory>
#include <vector>

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
    // Which texture coordinate pair of the vertex the stage samples with
    // (vertices with one pair give it to both).
    uint8_t texCoordIndex = 0;
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
    // Depth: with zEnable (and a depth buffer) a pixel is drawn only when its
    // depth passes zFunc against the stored one; zWrite then stores it.
    bool zEnable = false;
    bool zWrite = true;
    CompareFunc zFunc = CompareFunc::kLessEqual;
};

// Untransformed lit vertex (32 bytes): position, a reserved word, diffuse and
// specular ARGB, one texture coordinate pair.
struct LitVertex {
    float x, y, z;
    uint32_t reserved;
    uint32_t diffuse, specular;
    float tu, tv;
};

// Untransformed lit vertex with two texture coordinate pairs (36 bytes).
struct LitVertex2 {
    float x, y, z;
    uint32_t diffuse, specular;
    float tu, tv;
    float tu2, tv2;
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

// What Clear clears.
enum : uint32_t { kClearTarget = 1, kClearZBuffer = 2 };

// One call the device took, for tests that check what was drawn and how.
struct DeviceEvent {
    enum class Kind : uint8_t { kDraw, kClear } kind = Kind::kDraw;
    int vertexCount = 0, indexCount = 0;
    int drawn = 0;  // triangles that reached the rasteriser
    RenderState state;
    const Surface* textures[2] = {nullptr, nullptr};
    TextureOp stageOps[2] = {TextureOp::kDisable, TextureOp::kDisable};
    Matrix4 world{};
    uint32_t clearFlags = 0;
};

class Device3D {
public:
    Device3D();
    ~Device3D();
    Device3D(const Device3D&) = delete;
    Device3D& operator=(const Device3D&) = delete;

    void SetRenderTarget(Surface* target) { m_target = target; }
    Surface* RenderTarget() const { return m_target; }
    // The depth buffer: raw 16-bit depths (0 near, 65535 far) of a surface the
    // size of the render target; another size counts as no depth buffer.
    void SetDepthBuffer(Surface* depth) { m_depth = depth; }
    Surface* DepthBuffer() const { return m_depth; }
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
    int DrawIndexed(const LitVertex2* vertices, int vertexCount, const uint16_t* indices, int indexCount);
    int DrawIndexed(const ScreenVertex* vertices, int vertexCount, const uint16_t* indices, int indexCount);

    // Fills the viewport of the render target with colour (ARGB) and/or of the
    // depth buffer with z (0..1), as flags ask.
    void Clear(uint32_t flags, uint32_t colour, float z);

    // Every draw and clear is appended to the log while one is set (null: none).
    void SetEventLog(std::vector<DeviceEvent>* log) { m_log = log; }

    // Tests compare the specialised spans against the general pipeline.
    void SetFastPathsEnabled(bool on) { m_fastPaths = on; }

    static constexpr int kMaxStages = 2;

    struct SetupVertex {
        float x, y, z;
        float a, r, g, b;  // diffuse, 0..255
        float sr, sg, sb;  // specular, 0..255
        float u, v;
        float u2, v2;
    };

private:
    template <class V>
    int DrawTransformed(const V* vertices, int vertexCount, const uint16_t* indices, int indexCount);
    void DrawTriangle(const SetupVertex& v0, const SetupVertex& v1, const SetupVertex& v2);
    void Log(DeviceEvent::Kind kind, int vertexCount, int indexCount, int drawn, uint32_t clearFlags);
    bool DepthUsable() const;

    Surface* m_target = nullptr;
    Surface* m_depth = nullptr;
    std::vector<DeviceEvent>* m_log = nullptr;
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
