#include "graphics/text_font.h"

#include <map>
#include <string_view>

#include "graphics/direct_draw.h"
#include "graphics/display_settings.h"
#include "graphics/surface_resource.h"
#include "platform/clock.h"
#include "platform/message_box.h"

using plat::raster::Rect;

namespace {

// The scratch surface is as wide as the screen and this high.
constexpr int kScratchHeight = 64;

int ScreenWidth() {
    return GetDisplaySettings().screenWidth;
}

uint16_t KeyPixel() {
    return uint16_t(TEXT_COLOR_KEY);
}

// A text colour (0x00BBGGRR) as a pixel of the surface's layout; never the
// colour key, which would make the glyphs transparent.
uint16_t TextPixel(const CSurfaceResource& surface, uint32_t colour) {
    plat::raster::PixelFormat format = surface.Surface()->Pixels().Format();
    uint16_t p = plat::raster::Pack(
        format, plat::raster::Argb{255, uint8_t(colour), uint8_t(colour >> 8), uint8_t(colour >> 16)});
    if (p == KeyPixel()) p ^= 1;
    return p;
}

}  // namespace

bool CTextFont::PrepareScratch() {
    if (m_scratch) return true;
    if (!g_pDirectDraw) return false;
    uint32_t id = g_pDirectDraw->CreateSurface(ScreenWidth(), kScratchHeight, plat::kCapsSystemMemory);
    CSurfaceResource* s = id ? g_pDirectDraw->GetSurface(id) : nullptr;
    if (!s) return false;
    s->ClearColorKey();
    m_scratchId = id;
    m_scratch = s;
    return true;
}

bool CTextFont::PreparePage(int32_t page) {
    if (page < 0 || page >= CTextAtlas::PAGES) return false;
    if (m_pages[page]) return true;
    if (!g_pDirectDraw) return false;
    uint32_t id =
        g_pDirectDraw->CreateSurface(CTextAtlas::PAGE_SIZE, CTextAtlas::PAGE_SIZE, plat::kCapsSystemMemory);
    CSurfaceResource* s = id ? g_pDirectDraw->GetSurface(id) : nullptr;
    if (!s) return false;
    s->SetColorKey(uint8_t(TEXT_COLOR_KEY), uint8_t(TEXT_COLOR_KEY >> 8), uint8_t(TEXT_COLOR_KEY >> 16),
                   plat::kColorKeySrcBlt);
    m_pageIds[page] = id;
    m_pages[page] = s;
    return true;
}

bool CTextFont::ReserveSpans(int32_t need) {
    return m_atlas.ReserveSpans(need, [this](int32_t page) { return PreparePage(page); });
}

bool CTextFont::RenderInto(const char* text, int32_t n, int32_t need, const std::vector<TextSpan>& spans) {
    if (!PrepareScratch()) return false;
    const int32_t rowHeight = m_atlas.RowHeight();
    Rect area{0, 0, need, rowHeight};
    m_scratch->FillSurface(TEXT_COLOR_KEY, &area);
    plat::LockInfo lock;
    if (!m_scratch->Lock(&lock)) return false;
    plat::PixelBuffer buffer{reinterpret_cast<uint16_t*>(lock.bits), lock.pitch, lock.width, lock.height};
    plat::TextOutA(m_font, buffer, 0, 0, text, size_t(n), TextPixel(*m_scratch, m_colour));
    m_scratch->Unlock();
    int32_t sourceX = 0;
    for (const TextSpan& span : spans) {
        Rect clip{span.x, span.y, span.x + span.length, span.y + rowHeight};
        m_scratch->BltToClipped(m_pages[span.page], span.x, span.y, &clip, SurfacePoint{-sourceX, 0});
        sourceX += span.length;
    }
    return true;
}

void CTextFont::DrawSegments(int x, int y, const std::vector<TextSpan>& spans) {
    if (!m_target) return;
    const int32_t rowHeight = m_atlas.RowHeight();
    int cx = x < 0 ? 0 : x;
    for (const TextSpan& span : spans) {
        CSurfaceResource* page =
            span.page >= 0 && span.page < CTextAtlas::PAGES ? m_pages[span.page] : nullptr;
        if (page) {
            Rect clip{cx, y, cx + span.length, y + rowHeight};
            page->BltKeyedToClipped(m_target, cx, y, &clip, SurfacePoint{-span.x, -span.y});
        }
        cx += span.length;
    }
}

void CTextFont::DrawTextCached(int x, int y, const char* text, int32_t n) {
    if (!text || n <= 0) return;
    const int32_t w = GetTextWidth(text, n);
    const int screenWidth = ScreenWidth();
    if (w + CTextAtlas::MARGIN > screenWidth) {
        // Too wide for the scratch surface: draw it in pieces that fit, split
        // between characters. A single character wider than the screen is
        // drawn alone below, cut at the screen's edge.
        int32_t s = 0, p = 0, advance = 0;
        while (p < n && text[p] != '\0') {
            int32_t c = int32_t(plat::CodePageCharLength(std::string_view(text + p, size_t(n - p))));
            if (p > s && GetTextWidth(text + s, p - s + c) + CTextAtlas::MARGIN > screenWidth) {
                DrawTextCached(x + advance, y, text + s, p - s);
                advance += GetTextWidth(text + s, p - s);
                s = p;
            }
            p += c;
        }
        if (s > 0) {
            if (s < n) DrawTextCached(x + advance, y, text + s, n - s);
            return;
        }
    }

    std::string_view s(text, size_t(n));
    uint32_t now = plat::timeGetTime();
    if (TextCacheEntry* hit = m_atlas.FindString(s, m_colour, now)) {
        DrawSegments(x, y, hit->spans);
        return;
    }
    const int32_t need = w + CTextAtlas::MARGIN;
    if (!ReserveSpans(need)) return;
    if (now - m_lastWidthSweep >= WIDTH_MAX_AGE) {
        SweepWidthCache(WIDTH_MAX_AGE);
        m_lastWidthSweep = now;
    }
    std::vector<TextSpan> spans;
    if (!m_atlas.TakeSpans(need, &spans)) return;
    if (!RenderInto(text, n, need, spans)) {
        // Nothing was rendered: the room goes back and nothing is cached.
        m_atlas.ReturnSpans(spans);
        return;
    }
    ++m_renderCount;
    TextCacheEntry& entry = m_atlas.AddString(s, m_colour, std::move(spans), now);
    DrawSegments(x, y, entry.spans);
}

void CTextFont::Release() {
    if (g_pDirectDraw) {
        if (m_scratchId) g_pDirectDraw->ReleaseSurface(m_scratchId);
        for (uint32_t id : m_pageIds)
            if (id) g_pDirectDraw->ReleaseSurface(id);
    }
    m_scratchId = 0;
    m_scratch = nullptr;
    for (int i = 0; i < CTextAtlas::PAGES; ++i) {
        m_pageIds[i] = 0;
        m_pages[i] = nullptr;
    }
    m_target = nullptr;
    // The caches go with the pages; the font can still draw, into new pages.
    m_atlas.Clear();
    m_atlas.Reset();
}

CTextFont::CTextFont(plat::HFONT font, int32_t rowHeight)
    : m_font(font), m_atlas(rowHeight), m_lastWidthSweep(plat::timeGetTime()) {}

CTextFont::~CTextFont() = default;

int32_t CTextFont::GetTextWidth(const char* text, int32_t n) {
    if (!text || n <= 0) return 0;
    std::string_view s(text, size_t(n));
    uint32_t now = plat::timeGetTime();
    if (const TextWidthEntry* hit = m_atlas.FindWidth(s, now)) return hit->width;
    int32_t width = plat::GetTextExtent(m_font, text, size_t(n));
    m_atlas.AddWidth(s, width, now);
    return width;
}

void CTextFont::SweepWidthCache(uint32_t maxAge) {
    m_atlas.SweepWidthCache(maxAge, plat::timeGetTime());
}

// ---------------------------------------------------------------- the twelve fonts

namespace {

plat::HFONT g_handles[2 * TEXT_FONT_COUNT] = {};
CTextFont* g_textFonts[2 * TEXT_FONT_COUNT] = {};
std::map<plat::HFONT, CTextFont*> g_fontMap;

}  // namespace

bool CreateFonts() {
    static const int heights[TEXT_FONT_COUNT] = {12, 12, 14, 14, 16, 20};
    static const int weights[TEXT_FONT_COUNT] = {400, 400, 400, 400, 700, 700};
    if (g_handles[0]) return true;
    plat::HFONT made[2 * TEXT_FONT_COUNT] = {};
    bool ok = true;
    for (int k = 0; k < 2 * TEXT_FONT_COUNT; ++k) {
        made[k] = plat::CreateFontA(heights[k % TEXT_FONT_COUNT], weights[k % TEXT_FONT_COUNT],
                                    k >= TEXT_FONT_COUNT);
        ok = ok && made[k];
    }
    if (!ok) {
        for (plat::HFONT h : made) plat::DeleteObject(h);
        plat::MessageBox("Create Font Failed", "Font Init Error");
        return false;
    }
    for (int k = 0; k < 2 * TEXT_FONT_COUNT; ++k) {
        g_handles[k] = made[k];
        g_textFonts[k] = new CTextFont(made[k], heights[k % TEXT_FONT_COUNT] + 2);
        g_fontMap[made[k]] = g_textFonts[k];
    }
    return true;
}

void ReleaseTextFonts() {
    for (auto& [handle, font] : g_fontMap) {
        font->Release();
        delete font;
    }
    g_fontMap.clear();
    for (CTextFont*& f : g_textFonts) f = nullptr;
}

plat::HFONT GetFontHandle(int k) {
    return k >= 0 && k < 2 * TEXT_FONT_COUNT ? g_handles[k] : nullptr;
}

CTextFont* FindTextFont(plat::HFONT font) {
    auto it = g_fontMap.find(font);
    return it == g_fontMap.end() ? nullptr : it->second;
}

CTextFont* GetTextFont(int index, uint32_t style) {
    if (index < 0 || index >= TEXT_FONT_COUNT) return nullptr;
    return g_textFonts[(style & 16) ? TEXT_FONT_COUNT + index : index];
}

void DeleteFonts() {
    for (plat::HFONT& h : g_handles) {
        plat::DeleteObject(h);
        h = nullptr;
    }
}

std::string FitTextWithEllipsis(CTextFont& font, const char* text, int32_t maxWidth) {
    std::string_view s = text ? std::string_view(text) : std::string_view();
    if (font.GetTextWidth(s.data(), int32_t(s.size())) <= maxWidth) return std::string(s);
    // Drop leading characters one at a time until "..." and the rest fit.
    size_t start = 0;
    while (start < s.size()) {
        start += plat::CodePageCharLength(s.substr(start));
        std::string candidate = "..." + std::string(s.substr(start));
        if (font.GetTextWidth(candidate.data(), int32_t(candidate.size())) <= maxWidth) return candidate;
    }
    return "...";
}
