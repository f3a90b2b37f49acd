// The game's fonts and their text-surface caches. Every distinct string is
// rendered once per colour into a scratch surface, cut into row pieces of the
// font's atlas (eight 256 x 256 pages) and drawn from then on by colour-keyed
// copies out of the atlas. Widths are measured once and cached too.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "graphics/text_atlas.h"
#include "platform/font.h"

class CSurfaceResource;

// The colour key of the atlas pages and the scratch surfaces: used as the fill
// value and as the source colour key, so that it matches in any pixel layout.
inline constexpr uint32_t TEXT_COLOR_KEY = 0xFF00FF;

class CTextFont {
public:
    // Milliseconds a measured width is kept without use.
    static constexpr uint32_t WIDTH_MAX_AGE = 60000;

    // The font is not owned. The scratch surface is made at the first draw.
    CTextFont(plat::HFONT font, int32_t rowHeight);
    ~CTextFont();
    CTextFont(const CTextFont&) = delete;
    CTextFont& operator=(const CTextFont&) = delete;

    void SetTargetSurface(CSurfaceResource* surface) { m_target = surface; }
    void SetColor(uint32_t colour) { m_colour = colour; }
    CSurfaceResource* TargetSurface() const { return m_target; }
    uint32_t Color() const { return m_colour; }

    // Width in pixels of n bytes of the text, cached.
    int32_t GetTextWidth(const char* text, int32_t n);
    // Draws n bytes of the text with its top-left at (x, y) on the target
    // surface in the current colour. A text wider than the screen is drawn in
    // pieces split between characters.
    void DrawTextCached(int x, int y, const char* text, int32_t n);
    // Releases the surfaces and empties every cache.
    void Release();

    plat::HFONT Handle() const { return m_font; }
    int32_t RowHeight() const { return m_atlas.RowHeight(); }
    CTextAtlas& Atlas() { return m_atlas; }
    // Strings rendered so far (cache misses that reached the atlas).
    uint32_t RenderCount() const { return m_renderCount; }

private:
    bool ReserveSpans(int32_t need);
    void SweepWidthCache(uint32_t maxAge);
    void DrawSegments(int x, int y, const std::vector<TextSpan>& spans);
    bool PreparePage(int32_t page);
    bool PrepareScratch();
    // Renders the text into the scratch surface and copies it into the spans.
    bool RenderInto(const char* text, int32_t n, int32_t need, const std::vector<TextSpan>& spans);

    CSurfaceResource* m_target = nullptr;
    plat::HFONT m_font;
    uint32_t m_colour = 0xFFFFFF;
    uint32_t m_pageIds[CTextAtlas::PAGES] = {};
    CSurfaceResource* m_pages[CTextAtlas::PAGES] = {};
    uint32_t m_scratchId = 0;
    CSurfaceResource* m_scratch = nullptr;
    CTextAtlas m_atlas;
    uint32_t m_lastWidthSweep;
    uint32_t m_renderCount = 0;
};

// The twelve fonts: indexes 0 to 5, each with a normal and an underlined twin.
inline constexpr int TEXT_FONT_COUNT = 6;

// Creates the twelve fonts (cell heights 12, 12, 14, 14, 16, 20; weights 400
// for the first four and 700 for the last two; the second set underlined) and
// a CTextFont of row height cell height + 2 for each. When a font cannot be
// made, shows "Create Font Failed" / "Font Init Error" and returns false with
// nothing made.
bool CreateFonts();
// Releases and deletes every CTextFont (the font map is emptied).
void ReleaseTextFonts();
// Deletes the twelve fonts.
void DeleteFonts();
// The font handle of font k (0-11: the normal six, then the underlined six);
// null when not made.
plat::HFONT GetFontHandle(int k);
// The CTextFont of a font handle; null when none.
CTextFont* FindTextFont(plat::HFONT font);
// The CTextFont of index 0-5, the underlined twin when the style has flag 16;
// null for any other index or before CreateFonts.
CTextFont* GetTextFont(int index, uint32_t style);

// Shortens a one-line text to fit maxWidth pixels in the font: a text that
// fits is kept; otherwise it becomes "..." followed by the longest tail of the
// text (cut between characters) with which the whole fits, or "..." alone.
std::string FitTextWithEllipsis(CTextFont& font, const char* text, int32_t maxWidth);
