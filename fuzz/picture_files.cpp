// The picture readers on hostile bytes: single and multi-frame span pictures
// (16-bit and palettised) and texture-image headers, each followed by a draw
// of whatever was accepted, so that an accepted picture is also a safe one.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "graphics/blitters.h"
#include "graphics/dtx_format.h"
#include "graphics/span_image_format.h"

namespace {

void Draw(const SpanImageView& view, const uint16_t* palette) {
    static std::vector<uint16_t> canvas(64 * 48);
    PixelTarget t{reinterpret_cast<uint8_t*>(canvas.data()), 128, 64, 48};
    const ClipRect clip = MakeClipRect(nullptr, t, 64, 48);
    for (int32_t x : {-20, 5}) {
        if (view.indexed) {
            IndexedStyle s;
            s.mirrored = x < 0;
            s.outline = true;
            BlitSpansIndexed(t, clip, view, x, 3, palette, s);
        } else {
            SpanStyle s;
            s.mirrored = x < 0;
            s.flipVertical = true;
            BlitSpans(t, clip, view, x, -2, s);
        }
        BlitHardShadow(t, clip, view, x, 1, x < 0);
        SoftShadowQuad q;
        RenderSoftShadow(t, 32, clip, view, x, 0, false, q);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1) return 0;
    const uint8_t which = data[0] % 5;
    CMemorySource src(data + 1, size - 1);
    switch (which) {
        case 0:
        case 1: {
            SpanPicture p;
            if (ReadSpanPicture(src, which == 0 ? 2 : 6, 128, 2, p)) Draw(ViewOf(p), p.palette.data());
            break;
        }
        case 2:
        case 3: {
            FramePicture p;
            if (ReadFramePicture(src, 1, which == 3, 1, p))
                for (size_t f = 0; f < p.frames.size() && f < 8; ++f) Draw(ViewOf(p, f), p.palette.data());
            break;
        }
        default: {
            DtxHeader h;
            ReadDtxHeader(src, h);
            break;
        }
    }
    return 0;
}
