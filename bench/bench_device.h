// The renderer set-up the drawing benchmarks share: a device drawing into the
// whole of a target, alpha-blended and alpha-tested the way the game draws
// its sprites, with stage 0 modulating a texture by the vertex colour.
#pragma once
#include "platform/raster/device3d.h"
#include "platform/raster/surface.h"

namespace bench {

inline void SetUpSpriteDevice(plat::raster::Device3D& dev, plat::raster::Surface& target,
                              plat::raster::Surface* texture,
                              plat::raster::BlendFactor src = plat::raster::BlendFactor::kSrcAlpha,
                              plat::raster::BlendFactor dest = plat::raster::BlendFactor::kInvSrcAlpha) {
    using namespace plat::raster;
    dev.SetRenderTarget(&target);
    dev.SetViewport({0, 0, target.Width(), target.Height(), 0, 1});
    RenderState& rs = dev.State();
    rs.alphaBlend = true;
    rs.srcBlend = src;
    rs.destBlend = dest;
    rs.alphaTest = true;
    rs.alphaFunc = CompareFunc::kGreaterEqual;
    rs.alphaRef = 8;
    rs.specular = true;
    StageState& s0 = dev.Stage(0);
    s0.texture = texture;
    s0.colorOp = s0.alphaOp = TextureOp::kModulate;
    s0.colorArg1 = s0.alphaArg1 = TextureArg::kTexture;
    s0.colorArg2 = s0.alphaArg2 = TextureArg::kDiffuse;
}

}  // namespace bench
