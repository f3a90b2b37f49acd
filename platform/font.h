// Fonts: the text measuring and drawing that the game knows as CreateFontA,
// GetTextExtentPoint32A and TextOutA. Text is given in the system's double-byte
// code page and drawn without smoothing in one colour into 16-bit pixel buffers,
// so that a colour-keyed copy of the result shows no fringes.
//
// A font is made of a glyph source (one character of the code page in, a
// one-bit glyph out) and the parts common to every source: glyph cache,
// simulated bold (weight 700 and above: each glyph struck twice, one pixel
// apart, and one pixel wider), underline and clipping. The glyph source comes
// from the font backend chosen at start-up: FreeType over IPA Gothic, or the
// fixed-block fake that tests install.
#pragma once
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace plat {

// Bytes of the character at the front of a text in the system's code page: 2
// for a lead byte followed by its trail byte, 1 otherwise (also for a NUL or a
// lead byte at the end), 0 for an empty text.
size_t CodePageCharLength(std::string_view text);

// What CreateFontA is asked for: the cell height (ascent plus descent, in
// pixels), the weight (400 normal, 700 bold) and the underline switch.
struct FontPlan {
    int height = 12;
    int weight = 400;
    bool underline = false;
};

// A 16-bit pixel buffer that text is drawn into; pitch in bytes.
struct PixelBuffer {
    uint16_t* pixels = nullptr;
    int pitch = 0;
    int width = 0;
    int height = 0;
};

// One glyph as a source makes it: `rows` lines of `width` pixels, one byte a
// pixel (non-zero = ink), placed `left` pixels right of the pen and with its
// top `top` pixels above the baseline; the pen then moves on by `advance`.
struct MonoGlyph {
    int advance = 0;
    int left = 0;
    int top = 0;
    int width = 0;
    int rows = 0;
    std::vector<uint8_t> ink;
};

// Vertical metrics of a glyph source at its size, in pixels; ascent + descent
// is the cell height asked for. The underline lies `underlineOffset` rows
// below the baseline and is `underlineThickness` rows thick.
struct FontMetrics {
    int ascent = 0;
    int descent = 0;
    int underlineOffset = 1;
    int underlineThickness = 1;
};

class IGlyphSource {
public:
    virtual ~IGlyphSource() = default;
    virtual FontMetrics Metrics() const = 0;
    // The glyph of one character: one byte, or a lead byte and a trail byte.
    // A character the source cannot show gets a stand-in glyph.
    virtual MonoGlyph Glyph(std::string_view character) = 0;
};

// A font as the game holds it (the GDI font handle's object).
class Font {
public:
    Font(const FontPlan& layout, std::unique_ptr<IGlyphSource> source);
    Font(const Font&) = delete;
    Font& operator=(const Font&) = delete;

    const FontPlan& Layout() const { return m_spec; }
    bool IsBold() const { return m_spec.weight >= 700; }
    int Ascent() const { return m_metrics.ascent; }
    int Height() const { return m_metrics.ascent + m_metrics.descent; }

    // Width in pixels of the text (GetTextExtentPoint32A): the sum of the
    // characters' advances. Bytes after a NUL count like any other.
    int MeasureText(std::string_view text);
    // Draws the text with the top of its cell at (x, y) (TextOutA with a
    // transparent background): ink pixels become `pixel`, nothing else changes.
    // Pixels outside the buffer are skipped.
    void DrawText(const PixelBuffer& target, int x, int y, std::string_view text, uint16_t pixel);

private:
    const MonoGlyph& CachedGlyph(std::string_view character);

    FontPlan m_spec;
    std::unique_ptr<IGlyphSource> m_source;
    FontMetrics m_metrics;
    std::unordered_map<uint32_t, MonoGlyph> m_glyphs;
};

using HFONT = Font*;

// Makes glyph sources. The program's backend is chosen once at start-up;
// tests install another for their duration.
class IFontBackend {
public:
    virtual ~IFontBackend() = default;
    // Null when the face cannot be had.
    virtual std::unique_ptr<IGlyphSource> OpenFace(const FontPlan& layout) = 0;
};

IFontBackend& FontBackend();
// Installs a backend (not owned); null restores the FreeType backend.
void SetFontBackend(IFontBackend* backend);

class ScopedFontBackend {
public:
    explicit ScopedFontBackend(IFontBackend& backend) { SetFontBackend(&backend); }
    ~ScopedFontBackend() { SetFontBackend(nullptr); }
    ScopedFontBackend(const ScopedFontBackend&) = delete;
    ScopedFontBackend& operator=(const ScopedFontBackend&) = delete;
};

// The calls the game code makes, named as it knows them. CreateFontA returns
// null when the backend has no face; the font is owned by the caller until
// DeleteObject.
HFONT CreateFontA(int height, int weight, bool underline);
void DeleteObject(HFONT font);
// Width of n bytes of text in the font; 0 for a null font.
int GetTextExtent(HFONT font, const char* text, size_t n);
void TextOutA(HFONT font, const PixelBuffer& target, int x, int y, const char* text, size_t n,
              uint16_t pixel);

// The Japanese Gothic face: the configured file when one is set (a file that
// does not exist then means no face), else what fontconfig finds for IPA
// Gothic, else the first of the usual install paths that exists; empty when
// none is found.
std::string FindGothicFontFile();
// The file named by the configuration; an empty path returns to the search.
void SetFontFileOverride(std::string path);

// FreeType over one font file, rendering one-bit glyphs; the face is sized so
// that ascent plus descent is the cell height asked for.
class FreeTypeFontBackend : public IFontBackend {
public:
    // An empty path uses FindGothicFontFile() at each OpenFace.
    explicit FreeTypeFontBackend(std::string fontFile = {});
    ~FreeTypeFontBackend() override;
    std::unique_ptr<IGlyphSource> OpenFace(const FontPlan& layout) override;

    struct Impl;  // the library and the face file, shared with the faces made

private:
    std::string m_fontFile;
    std::shared_ptr<Impl> m_impl;
};

// The test backend: every byte is a solid block one advance wide (half the
// cell height) with one clear column on its right; a space is clear. Ink
// covers the rows from 1 to ascent - 1. The ascent is the cell height less a
// quarter of it (rounded down), the underline lies on the row below the
// baseline. `SetAvailable(false)` makes every OpenFace fail.
class FakeFontBackend : public IFontBackend {
public:
    std::unique_ptr<IGlyphSource> OpenFace(const FontPlan& layout) override;
    void SetAvailable(bool available) { m_available = available; }
    // The fonts asked for, in order.
    const std::vector<FontPlan>& Opened() const { return m_opened; }

    static int AdvanceFor(int height) { return height / 2; }
    static int AscentFor(int height) { return height - height / 4; }

private:
    bool m_available = true;
    std::vector<FontPlan> m_opened;
};

}  // namespace plat
