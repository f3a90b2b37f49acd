#include "platform/font.h"

#include <fontconfig/fontconfig.h>
#include <ft2build.h>
#include FT_FREETYPE_H

#include <algorithm>
#include <cmath>
#include <cstring>

#include "platform/codepage.h"
#include "platform/paths.h"

namespace plat {
namespace {

uint32_t CharKey(std::string_view c) {
    uint32_t key = uint8_t(c[0]);
    if (c.size() > 1) key = key << 8 | uint8_t(c[1]) | 0x10000u;
    return key;
}

}  // namespace

size_t CodePageCharLength(std::string_view text) {
    if (text.empty()) return 0;
    if (text.size() >= 2 && IsDBCSLeadByte(uint8_t(text[0])) && text[1] != '\0') return 2;
    return 1;
}

// ---------------------------------------------------------------- Font

Font::Font(const FontPlan& layout, std::unique_ptr<IGlyphSource> source)
    : m_spec(layout), m_source(std::move(source)), m_metrics(m_source->Metrics()) {}

const MonoGlyph& Font::CachedGlyph(std::string_view character) {
    uint32_t key = CharKey(character);
    auto it = m_glyphs.find(key);
    if (it == m_glyphs.end()) it = m_glyphs.emplace(key, m_source->Glyph(character)).first;
    return it->second;
}

int Font::MeasureText(std::string_view text) {
    int width = 0;
    const int extra = IsBold() ? 1 : 0;
    while (!text.empty()) {
        size_t len = CodePageCharLength(text);
        width += CachedGlyph(text.substr(0, len)).advance + extra;
        text.remove_prefix(len);
    }
    return width;
}

namespace {

void PutGlyph(const PixelBuffer& t, const MonoGlyph& g, int x0, int y0, uint16_t pixel) {
    for (int r = 0; r < g.rows; ++r) {
        int y = y0 + r;
        if (y < 0 || y >= t.height) continue;
        auto* row =
            reinterpret_cast<uint16_t*>(reinterpret_cast<uint8_t*>(t.pixels) + ptrdiff_t(y) * t.pitch);
        const uint8_t* ink = g.ink.data() + size_t(r) * size_t(g.width);
        for (int c = 0; c < g.width; ++c) {
            int x = x0 + c;
            if (ink[c] && x >= 0 && x < t.width) row[x] = pixel;
        }
    }
}

}  // namespace

void Font::DrawText(const PixelBuffer& target, int x, int y, std::string_view text, uint16_t pixel) {
    if (!target.pixels || target.width <= 0 || target.height <= 0) return;
    const bool bold = IsBold();
    const int baseline = y + m_metrics.ascent;
    int pen = x;
    while (!text.empty()) {
        size_t len = CodePageCharLength(text);
        const MonoGlyph& g = CachedGlyph(text.substr(0, len));
        PutGlyph(target, g, pen + g.left, baseline - g.top, pixel);
        if (bold) PutGlyph(target, g, pen + g.left + 1, baseline - g.top, pixel);
        pen += g.advance + (bold ? 1 : 0);
        text.remove_prefix(len);
    }
    if (m_spec.underline && pen > x) {
        for (int r = 0; r < m_metrics.underlineThickness; ++r) {
            int yy = baseline + m_metrics.underlineOffset + r;
            if (yy < 0 || yy >= target.height) continue;
            auto* row = reinterpret_cast<uint16_t*>(reinterpret_cast<uint8_t*>(target.pixels) +
                                                    ptrdiff_t(yy) * target.pitch);
            for (int xx = std::max(x, 0); xx < std::min(pen, target.width); ++xx) row[xx] = pixel;
        }
    }
}

// ---------------------------------------------------------------- backend choice

namespace {

FreeTypeFontBackend& SystemBackend() {
    static FreeTypeFontBackend backend;
    return backend;
}

IFontBackend* g_backend = nullptr;
std::string g_fontFileOverride;

}  // namespace

IFontBackend& FontBackend() {
    return g_backend ? *g_backend : SystemBackend();
}
void SetFontBackend(IFontBackend* backend) {
    g_backend = backend;
}

HFONT CreateFontA(int height, int weight, bool underline) {
    FontPlan layout{height, weight, underline};
    if (height <= 0) return nullptr;
    std::unique_ptr<IGlyphSource> source = FontBackend().OpenFace(layout);
    if (!source) return nullptr;
    return new Font(layout, std::move(source));
}

void DeleteObject(HFONT font) {
    delete font;
}

int GetTextExtent(HFONT font, const char* text, size_t n) {
    if (!font || !text) return 0;
    return font->MeasureText(std::string_view(text, n));
}

void TextOutA(HFONT font, const PixelBuffer& target, int x, int y, const char* text, size_t n,
              uint16_t pixel) {
    if (!font || !text) return;
    font->DrawText(target, x, y, std::string_view(text, n), pixel);
}

// ---------------------------------------------------------------- locating the face

void SetFontFileOverride(std::string path) {
    g_fontFileOverride = std::move(path);
}

namespace {

// What fontconfig knows as IPA Gothic; asked once, with a configuration of our
// own that is destroyed afterwards.
std::string FontconfigGothic() {
    std::string found;
    FcConfig* config = FcInitLoadConfigAndFonts();
    if (!config) return found;
    FcPattern* pattern = FcNameParse(reinterpret_cast<const FcChar8*>("IPAGothic"));
    if (pattern) {
        FcConfigSubstitute(config, pattern, FcMatchPattern);
        FcDefaultSubstitute(pattern);
        FcResult result = FcResultNoMatch;
        FcPattern* match = FcFontMatch(config, pattern, &result);
        if (match) {
            FcChar8* family = nullptr;
            FcChar8* file = nullptr;
            // fontconfig answers with its nearest face when IPA Gothic is
            // missing; only the face itself will do.
            if (FcPatternGetString(match, FC_FAMILY, 0, &family) == FcResultMatch &&
                FcPatternGetString(match, FC_FILE, 0, &file) == FcResultMatch &&
                std::strcmp(reinterpret_cast<const char*>(family), "IPAGothic") == 0 &&
                FileExists(reinterpret_cast<const char*>(file)))
                found = reinterpret_cast<const char*>(file);
            FcPatternDestroy(match);
        }
        FcPatternDestroy(pattern);
    }
    FcConfigDestroy(config);
    return found;
}

}  // namespace

std::string FindGothicFontFile() {
    if (!g_fontFileOverride.empty()) {
        std::string mapped = MapPath(g_fontFileOverride);
        return FileExists(mapped) ? mapped : std::string();
    }
    static const std::string found = FontconfigGothic();
    if (!found.empty()) return found;
    static const char* const kPaths[] = {
        "/usr/share/fonts/opentype/ipafont-gothic/ipag.ttf",
        "/usr/share/fonts/truetype/fonts-japanese-gothic.ttf",
        "/usr/share/fonts/truetype/ipafont-gothic/ipag.ttf",
        "/usr/share/fonts/ipa-gothic/ipag.ttf",
        "/usr/share/fonts/OTF/ipag.ttf",
    };
    for (const char* p : kPaths)
        if (FileExists(p)) return p;
    return {};
}

// ---------------------------------------------------------------- FreeType

struct FreeTypeFontBackend::Impl {
    FT_Library library = nullptr;
    std::string file;
    std::vector<uint8_t> data;  // the face file, shared by every size
    bool loaded = false;

    Impl() {
        if (FT_Init_FreeType(&library) != 0) library = nullptr;
    }
    ~Impl() {
        if (library) FT_Done_FreeType(library);
    }
    bool Load(const std::string& path) {
        if (loaded && path == file) return true;
        std::vector<uint8_t> bytes;
        if (path.empty() || !ReadWholeFile(path, bytes) || bytes.empty()) return false;
        data = std::move(bytes);
        file = path;
        loaded = true;
        return true;
    }
};

namespace {

// Converts one code-page character to a Unicode scalar; 0 when it is none.
uint32_t ToCodePoint(std::string_view c) {
    if (c.size() == 1 && uint8_t(c[0]) < 0x80) return uint8_t(c[0]);
    std::string u = ToUtf8(c);
    const auto* p = reinterpret_cast<const uint8_t*>(u.data());
    uint32_t cp = 0;
    if (u.size() == 2 && (p[0] & 0xE0) == 0xC0)
        cp = uint32_t(p[0] & 0x1F) << 6 | (p[1] & 0x3F);
    else if (u.size() == 3 && (p[0] & 0xF0) == 0xE0)
        cp = uint32_t(p[0] & 0x0F) << 12 | uint32_t(p[1] & 0x3F) << 6 | (p[2] & 0x3F);
    else if (u.size() == 4 && (p[0] & 0xF8) == 0xF0)
        cp = uint32_t(p[0] & 0x07) << 18 | uint32_t(p[1] & 0x3F) << 12 | uint32_t(p[2] & 0x3F) << 6 |
             (p[3] & 0x3F);
    else if (u.size() == 1)
        cp = p[0];
    // A byte that does not convert comes back as the replacement character.
    return cp == 0xFFFD ? 0 : cp;
}

class FreeTypeGlyphSource : public IGlyphSource {
public:
    FreeTypeGlyphSource(std::shared_ptr<FreeTypeFontBackend::Impl> impl, FT_Face face, const FontPlan& layout)
        : m_impl(std::move(impl)), m_face(face) {
        // Scale so that the face's ascender-to-descender span is the cell height.
        double span = double(face->ascender) - double(face->descender);
        if (span <= 0) span = face->units_per_EM;
        double ppem = layout.height * double(face->units_per_EM) / span;
        FT_Set_Pixel_Sizes(face, 0, FT_UInt(std::lround(std::max(1.0, ppem))));
        double scale = layout.height / span;
        m_metrics.ascent = std::clamp(int(std::lround(face->ascender * scale)), 1, layout.height);
        m_metrics.descent = layout.height - m_metrics.ascent;
        double ulScale = ppem / face->units_per_EM;
        m_metrics.underlineOffset = std::max(1, int(std::lround(-face->underline_position * ulScale)));
        m_metrics.underlineOffset = std::min(m_metrics.underlineOffset, std::max(1, m_metrics.descent - 1));
        m_metrics.underlineThickness = std::max(1, int(std::lround(face->underline_thickness * ulScale)));
    }
    ~FreeTypeGlyphSource() override { FT_Done_Face(m_face); }

    FontMetrics Metrics() const override { return m_metrics; }

    MonoGlyph Glyph(std::string_view character) override {
        uint32_t cp = ToCodePoint(character);
        FT_UInt index = cp ? FT_Get_Char_Index(m_face, cp) : 0;
        if (index == 0) index = FT_Get_Char_Index(m_face, '?');
        MonoGlyph g;
        if (FT_Load_Glyph(m_face, index, FT_LOAD_RENDER | FT_LOAD_TARGET_MONO) != 0) return g;
        FT_GlyphSlot slot = m_face->glyph;
        if (slot->format != FT_GLYPH_FORMAT_BITMAP && FT_Render_Glyph(slot, FT_RENDER_MODE_MONO) != 0)
            return g;
        g.advance = int((slot->advance.x + 32) >> 6);
        g.left = slot->bitmap_left;
        g.top = slot->bitmap_top;
        const FT_Bitmap& bm = slot->bitmap;
        g.width = int(bm.width);
        g.rows = int(bm.rows);
        g.ink.assign(size_t(g.width) * size_t(g.rows), 0);
        for (int r = 0; r < g.rows; ++r) {
            const unsigned char* src = bm.buffer + ptrdiff_t(r) * bm.pitch;
            for (int c = 0; c < g.width; ++c) {
                bool on =
                    bm.pixel_mode == FT_PIXEL_MODE_MONO ? (src[c >> 3] >> (7 - (c & 7))) & 1 : src[c] >= 128;
                g.ink[size_t(r) * size_t(g.width) + size_t(c)] = on ? 1 : 0;
            }
        }
        return g;
    }

private:
    std::shared_ptr<FreeTypeFontBackend::Impl> m_impl;  // keeps the library and the file data alive
    FT_Face m_face;
    FontMetrics m_metrics;
};

}  // namespace

FreeTypeFontBackend::FreeTypeFontBackend(std::string fontFile)
    : m_fontFile(std::move(fontFile)), m_impl(std::make_shared<Impl>()) {}

FreeTypeFontBackend::~FreeTypeFontBackend() = default;

std::unique_ptr<IGlyphSource> FreeTypeFontBackend::OpenFace(const FontPlan& layout) {
    if (!m_impl->library || layout.height <= 0) return nullptr;
    std::string file = m_fontFile.empty() ? FindGothicFontFile() : m_fontFile;
    if (!m_impl->Load(file)) return nullptr;
    FT_Face face = nullptr;
    if (FT_New_Memory_Face(m_impl->library, m_impl->data.data(), FT_Long(m_impl->data.size()), 0, &face) != 0)
        return nullptr;
    if (!face->charmap || face->units_per_EM == 0) {
        FT_Done_Face(face);
        return nullptr;
    }
    return std::make_unique<FreeTypeGlyphSource>(m_impl, face, layout);
}

// ---------------------------------------------------------------- fake

namespace {

class FakeGlyphSource : public IGlyphSource {
public:
    explicit FakeGlyphSource(const FontPlan& layout) : m_height(layout.height) {}
    FontMetrics Metrics() const override {
        FontMetrics m;
        m.ascent = FakeFontBackend::AscentFor(m_height);
        m.descent = m_height - m.ascent;
        m.underlineOffset = 1;
        m.underlineThickness = 1;
        return m;
    }
    MonoGlyph Glyph(std::string_view character) override {
        const int adv = FakeFontBackend::AdvanceFor(m_height);
        const int ascent = FakeFontBackend::AscentFor(m_height);
        MonoGlyph g;
        g.advance = adv * int(character.size());
        g.left = 0;
        g.top = ascent - 1;
        g.width = g.advance;
        g.rows = std::max(0, ascent - 1);
        g.ink.assign(size_t(g.width) * size_t(g.rows), 0);
        for (size_t i = 0; i < character.size(); ++i) {
            if (character[i] == ' ') continue;
            for (int r = 0; r < g.rows; ++r)
                for (int c = 0; c < adv - 1; ++c)
                    g.ink[size_t(r) * size_t(g.width) + i * size_t(adv) + size_t(c)] = 1;
        }
        return g;
    }

private:
    int m_height;
};

}  // namespace

std::unique_ptr<IGlyphSource> FakeFontBackend::OpenFace(const FontPlan& layout) {
    m_opened.push_back(layout);
    if (!m_available) return nullptr;
    return std::make_unique<FakeGlyphSource>(layout);
}

}  // namespace plat
