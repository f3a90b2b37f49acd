#include "graphics/text_font.h"

#include <map>
#include <string_view>

#include "platform/clock.h"
#include "platform/message_box.h"

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

void CTextFont::Release() {
    m_target = nullptr;
    // The caches go; the font can still draw afterwards.
    m_atlas.Clear();
    m_atlas.Reset();
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
