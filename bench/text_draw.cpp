// Drawing a line of text with the real font: from the cache (the usual case)
// against rendering it anew each time (what every draw would cost without the
// cache), plus the outlined style that makes five passes.
#include <benchmark/benchmark.h>

#include <memory>
#include <string>

#include "core/resource_cache.h"
#include "graphics/direct_draw.h"
#include "graphics/display_settings.h"
#include "graphics/surface_resource.h"
#include "graphics/text_font.h"
#include "graphics/text_renderer.h"
#include "platform/display.h"
#include "platform/draw_device.h"

namespace {

struct TextBench {
    std::unique_ptr<CResourceCache> cache = std::make_unique<CResourceCache>();
    std::unique_ptr<CDirectDraw> dd = std::make_unique<CDirectDraw>();
    std::unique_ptr<CTextRenderer> renderer;
    CSurfaceResource* target = nullptr;

    TextBench() {
        plat::SetDisplay(std::make_unique<plat::RecordingDisplay>());
        cache->SetBudget(307300000);
        g_pSurfaceCache = cache.get();
        g_pDirectDraw = dd.get();
        GetDisplaySettings().use3D = false;
        dd->CreateDirectDraw(nullptr, 0, false, 800, 600, 16, 1, 0);
        CreateFonts();
        renderer = std::make_unique<CTextRenderer>();
        target = dd->GetSurface(dd->CreateSurface(800, 600, plat::kCapsSystemMemory));
    }
    ~TextBench() {
        renderer.reset();
        ReleaseTextFonts();
        DeleteFonts();
        dd.reset();
        g_pDirectDraw = nullptr;
        cache.reset();
        g_pSurfaceCache = nullptr;
    }
};

TextBench& Bench() {
    static TextBench bench;
    return bench;
}

const char kLine[] = "Quillmarrow \x82\xA0\x82\xA2\x82\xA4 12345";

void BM_DrawStringCached(benchmark::State& state) {
    TextBench& b = Bench();
    for (auto _ : state) b.renderer->DrawString(b.target, 10, 10, kLine, 0, 0xFFFFFF, 1, true);
}
BENCHMARK(BM_DrawStringCached);

void BM_DrawStringOutlinedCached(benchmark::State& state) {
    TextBench& b = Bench();
    for (auto _ : state) b.renderer->DrawString(b.target, 10, 10, kLine, 0, 0xFFFFFF, 8, true);
}
BENCHMARK(BM_DrawStringOutlinedCached);

void BM_DrawStringRenderedEachTime(benchmark::State& state) {
    TextBench& b = Bench();
    uint32_t colour = 0;
    // A new colour each time is a new cache entry: the text is rendered again.
    for (auto _ : state)
        b.renderer->DrawString(b.target, 10, 10, kLine, 0, (colour++ & 0xFFFF) | 0x10000, 1, true);
}
BENCHMARK(BM_DrawStringRenderedEachTime);

}  // namespace
