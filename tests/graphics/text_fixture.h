// The display brought up headless with the twelve fonts on a font backend and
// the text renderer, plus helpers to read pictures back.
#pragma once
#include <string>
#include <vector>

#include "graphics/text_font.h"
#include "graphics/text_renderer.h"
#include "tests/graphics/graphics_fixture.h"

// Makes the twelve fonts on a backend and takes them down again.
class FontsOn {
public:
    explicit FontsOn(plat::IFontBackend& backend) : m_use(backend) { m_ok = CreateFonts(); }
    ~FontsOn() {
        ReleaseTextFonts();
        DeleteFonts();
    }
    FontsOn(const FontsOn&) = delete;
    FontsOn& operator=(const FontsOn&) = delete;
    bool Ok() const { return m_ok; }

private:
    plat::ScopedFontBackend m_use;
    bool m_ok;
};

class TextFixture : public GraphicsFixture {
protected:
    static constexpr uint16_t kBackground = 0x0841;  // a dark grey that no test colour makes

    void BringUpText(plat::IFontBackend& backend, int width = 800, int height = 600) {
        ASSERT_EQ(BringUp(width, height, false), plat::kOk);
        m_fonts = std::make_unique<FontsOn>(backend);
        ASSERT_TRUE(m_fonts->Ok());
        m_renderer = std::make_unique<CTextRenderer>();
        g_pTextRenderer = m_renderer.get();
    }
    void TearDown() override {
        g_pTextRenderer = nullptr;
        m_renderer.reset();
        m_fonts.reset();
        for (uint32_t id : m_surfaces) g_pDirectDraw->ReleaseSurface(id);
        m_surfaces.clear();
        GraphicsFixture::TearDown();
    }

    // A surface filled with the background.
    CSurfaceResource* MakeTarget(int width, int height) {
        uint32_t id = g_pDirectDraw->CreateSurface(width, height, plat::kCapsSystemMemory);
        m_surfaces.push_back(id);
        CSurfaceResource* s = g_pDirectDraw->GetSurface(id);
        s->FillSurface(kBackground, nullptr);
        return s;
    }
    static plat::raster::Surface& Pixels(CSurfaceResource* s) { return s->Surface()->Pixels(); }
    // A text colour (0x00BBGGRR) as the surface stores it.
    static uint16_t Px(CSurfaceResource* s, uint32_t colour) {
        return plat::raster::Pack(
            Pixels(s).Format(),
            plat::raster::Argb{255, uint8_t(colour), uint8_t(colour >> 8), uint8_t(colour >> 16)});
    }
    // One row of the surface from x0 to x1 (exclusive) as characters: '.' the
    // background, '#' the colour, 'k' black, '?' anything else.
    static std::string Row(CSurfaceResource* s, int y, int x0, int x1, uint16_t colour) {
        std::string out;
        for (int x = x0; x < x1; ++x) {
            uint16_t p = Pixels(s).At(x, y);
            out += p == kBackground ? '.' : p == colour ? '#' : p == 0 ? 'k' : '?';
        }
        return out;
    }

    std::unique_ptr<FontsOn> m_fonts;
    std::unique_ptr<CTextRenderer> m_renderer;
    std::vector<uint32_t> m_surfaces;
};
