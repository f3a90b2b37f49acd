#include "graphics/text_renderer.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>

#include "graphics/direct3d.h"
#include "graphics/direct_draw.h"
#include "graphics/display_settings.h"
#include "graphics/rich_text.h"
#include "graphics/surface_resource.h"
#include "graphics/text_font.h"
#include "platform/clock.h"

using plat::raster::Rect;

CTextRenderer* g_pTextRenderer = nullptr;

namespace {

constexpr uint32_t kCaretColour = 0xFF000000;  // opaque black, ARGB
// Columns of the scratch surface left of the text, for the outline.
constexpr int kLeftPad = 1;

}  // namespace

CTextRenderer::CTextRenderer() {
    Init();
}

CTextRenderer::~CTextRenderer() {
    Release();
}

bool CTextRenderer::Init() {
    m_queueCount = 0;
    m_scratch = m_scratch2 = nullptr;
    m_scratchId = m_scratch2Id = 0;
    return CreateScratchSurfaces();
}

void CTextRenderer::ReleaseScratchSurfaces() {
    if (g_pDirectDraw) {
        if (m_scratchId) g_pDirectDraw->ReleaseSurface(m_scratchId);
        if (m_scratch2Id) g_pDirectDraw->ReleaseSurface(m_scratch2Id);
    }
    m_scratch = m_scratch2 = nullptr;
    m_scratchId = m_scratch2Id = 0;
}

bool CTextRenderer::CreateScratchSurfaces() {
    if (!g_pDirectDraw) return false;
    ReleaseScratchSurfaces();
    const int width = GetDisplaySettings().screenWidth;
    uint32_t id = g_pDirectDraw->CreateSurface(width, SCRATCH_HEIGHT, plat::kCapsSystemMemory);
    CSurfaceResource* first = id ? g_pDirectDraw->GetSurface(id) : nullptr;
    if (!first) return false;
    first->SetColorKey(uint8_t(TEXT_COLOR_KEY), uint8_t(TEXT_COLOR_KEY >> 8), uint8_t(TEXT_COLOR_KEY >> 16),
                       plat::kColorKeySrcBlt);
    m_scratch = first;
    m_scratchId = id;
    uint32_t id2 = g_pDirectDraw->CreateSurface(width, SCRATCH2_HEIGHT, plat::kCapsSystemMemory);
    m_scratch2 = id2 ? g_pDirectDraw->GetSurface(id2) : nullptr;
    m_scratch2Id = m_scratch2 ? id2 : 0;
    return true;
}

bool CTextRenderer::Release() {
    ReleaseScratchSurfaces();
    m_queueCount = 0;
    return true;
}

bool CTextRenderer::DrawString(CSurfaceResource* target, int x, int y, const char* text, int font,
                               uint32_t colour, uint32_t style, bool colourKey) {
    if (!text || !*text) return false;
    return DrawText(target, x, y, text, int32_t(std::strlen(text)), font, colour, style, colourKey);
}

bool CTextRenderer::DrawText(CSurfaceResource* target, int x, int y, const char* text, int32_t n, int font,
                             uint32_t colour, uint32_t style, bool colourKey) {
    if (!text || n <= 0) return false;
    CTextFont* f = GetTextFont(font, style);
    if (!f) return false;
    const CDisplaySettings& screen = GetDisplaySettings();
    f->SetTargetSurface(m_scratch);
    const int32_t w = f->GetTextWidth(text, n);
    const int h = StringLineHeight(font);
    if (x >= screen.screenWidth || y >= screen.screenHeight || x + w + 2 <= 0 || y + h <= 0) return true;
    if (!m_scratch && !CreateScratchSurfaces()) return false;
    f->SetTargetSurface(m_scratch);
    // The passes are drawn one column right of where the layout of the passes
    // puts them, and the result is copied one column further left: so the
    // outline's left column (pass x = -1) is kept instead of falling under
    // the text at x = 0.
    const int width = std::min(w + 3 + kLeftPad, screen.screenWidth);
    Rect area{0, 0, width, h + 3};
    m_scratch->FillSurface(colourKey ? TEXT_COLOR_KEY : 0xFFFFFF, &area);
    for (const TextPass& pass : StringPasses(style)) {
        f->SetColor(pass.black ? 0x000000 : colour);
        f->DrawTextCached(pass.dx + kLeftPad, pass.dy, text, n);
    }
    if (target) m_scratch->BltKeyedTo(target, x - kLeftPad, y - 1, width, h + 3);
    return true;
}

bool CTextRenderer::QueueString(CSurfaceResource* target, int x, int y, const char* text, int font,
                                uint32_t colour, uint32_t style) {
    if (!text || !*text) return false;
    // The queue is full until the next flush.
    if (m_queueCount >= QUEUE_SIZE) return false;
    QueuedString& q = m_queue[m_queueCount++];
    std::string_view cut = CutAtCharacter(text, QUEUE_TEXT_MAX);
    std::memcpy(q.text, cut.data(), cut.size());
    q.text[cut.size()] = '\0';
    q.x = x;
    q.y = y;
    q.font = uint8_t(font);
    q.colour = colour;
    q.style = uint8_t(style);
    q.target = target;
    return true;
}

void CTextRenderer::FlushQueuedStrings() {
    for (int i = 0; i < m_queueCount; ++i) {
        const QueuedString& q = m_queue[i];
        DrawString(q.target, q.x, q.y, q.text, q.font, q.colour, q.style, true);
    }
    m_queueCount = 0;
}

bool CTextRenderer::DrawInt(CSurfaceResource* target, int x, int y, int32_t number, int font, uint32_t colour,
                            uint32_t style, bool colourKey) {
    char text[16];
    std::snprintf(text, sizeof(text), "%d", number);
    return DrawString(target, x, y, text, font, colour, style, colourKey);
}

bool CTextRenderer::DrawUInt(CSurfaceResource* target, int x, int y, uint32_t number, int font,
                             uint32_t colour, uint32_t style, bool colourKey) {
    char text[16];
    std::snprintf(text, sizeof(text), "%u", number);
    return DrawString(target, x, y, text, font, colour, style, colourKey);
}

void CTextRenderer::DrawWrappedString(int, int x, int y, int widthBytes, int maxLines, const char* text,
                                      int font, uint32_t colour, uint32_t style, bool colourKey) {
    if (!text || !g_pDirectDraw) return;
    CSurfaceResource* target = g_pDirectDraw->GetRenderSurface();
    std::vector<std::string_view> lines = WrapByBytes(text, widthBytes);
    for (int i = 0; i < maxLines && i < int(lines.size()); ++i)
        DrawText(target, x, y + 14 * i, lines[size_t(i)].data(), int32_t(lines[size_t(i)].size()), font,
                 colour, style, colourKey);
}

void CTextRenderer::DrawFormattedText(CSurfaceResource* target, int x, int y, int width, int lineLimit,
                                      const char* text, int firstLine, int lineSpacing, uint32_t style) {
    if (!text || lineLimit <= 0) return;
    constexpr int kFont = 0;
    CTextFont* f = GetTextFont(kFont, style);
    if (!f) return;
    FormattedLayout layout = LayoutFormattedText(text, width);
    // Each line's text, to measure where runs and centred lines start.
    std::vector<std::string> lineText(layout.lines.size());
    for (const FormattedRun& run : layout.runs) lineText[size_t(run.line)] += run.text;
    for (const FormattedRun& run : layout.runs) {
        if (run.line < firstLine || run.line >= firstLine + lineLimit) continue;
        const std::string& line = lineText[size_t(run.line)];
        int left = x;
        if (layout.lines[size_t(run.line)].centred)
            left = x + 3 * width - f->GetTextWidth(line.data(), int32_t(line.size())) / 2;
        int rx = left + (run.column > 0 ? f->GetTextWidth(line.data(), run.column) : 0);
        int ry = y + (run.line - firstLine) * lineSpacing;
        DrawText(target, rx, ry, run.text.data(), int32_t(run.text.size()), kFont, run.colour, style, true);
    }
}

void CTextRenderer::DrawEditText(CSurfaceResource* target, int caret, bool focused, int x, int y,
                                 int widthBytes, const char* text, int font, uint32_t colour, uint32_t style,
                                 bool colourKey, const EditComposition* composition) {
    std::string_view s = text ? std::string_view(text) : std::string_view();
    CTextFont* f = GetTextFont(font, style);
    if (!f) return;
    const int lineHeight = GetFontCellSize(font).lineHeight;
    std::vector<TextLinePlace> lines = WrapLinePlaces(s, widthBytes, true);
    for (size_t i = 0; i < lines.size(); ++i)
        if (lines[i].length > 0)
            DrawText(target, x, y + int(i) * lineHeight, s.data() + lines[i].start, int32_t(lines[i].length),
                     font, colour, style, colourKey);
    if (!g_pDirect3D) return;

    // Pixel x of a byte offset on its line.
    auto xOf = [&](size_t line, size_t offset) {
        size_t start = lines.empty() ? 0 : lines[line].start;
        size_t n = std::min(offset - std::min(offset, start), lines.empty() ? 0 : lines[line].length);
        return x + (n ? f->GetTextWidth(s.data() + start, int32_t(n)) : 0);
    };
    if (composition && composition->length > 0 && !lines.empty()) {
        const size_t cs = size_t(std::max(composition->start, 0));
        const size_t ce = std::min(s.size(), cs + size_t(composition->length));
        const size_t ks = size_t(std::max(composition->clauseStart, 0));
        const size_t ke = std::min(ce, ks + size_t(std::max(composition->clauseLength, 0)));
        for (size_t i = 0; i < lines.size(); ++i) {
            const size_t ls = lines[i].start, le = ls + lines[i].length;
            const int top = y + int(i) * lineHeight;
            // The composed text is underlined ...
            if (cs < le && ce > ls) {
                int x1 = xOf(i, std::max(cs, ls)), x2 = xOf(i, std::min(ce, le));
                g_pDirect3D->FillRect(x1, top + lineHeight - 1, x2, top + lineHeight, kCaretColour);
            }
            // ... and the clause being converted is boxed.
            if (ks < le && ke > ls) {
                int x1 = xOf(i, std::max(ks, ls)) - 1, x2 = xOf(i, std::min(ke, le)) + 1;
                g_pDirect3D->FillRect(x1, top, x2, top + 1, kCaretColour);
                g_pDirect3D->FillRect(x1, top + lineHeight - 1, x2, top + lineHeight, kCaretColour);
                g_pDirect3D->FillRect(x1, top, x1 + 1, top + lineHeight, kCaretColour);
                g_pDirect3D->FillRect(x2 - 1, top, x2, top + lineHeight, kCaretColour);
            }
        }
    }
    if (!focused || caret < 0 || (plat::timeGetTime() / CARET_BLINK_MS) % 2 != 0) return;
    EditCaretPlace place = FindEditCaret(s, widthBytes, caret);
    int cx = x;
    if (size_t(place.line) < lines.size() && place.column > 0)
        cx += f->GetTextWidth(s.data() + lines[size_t(place.line)].start, place.column);
    int cy = y + place.line * lineHeight;
    g_pDirect3D->FillRect(cx, cy, cx + 2, cy + lineHeight, kCaretColour);
}

int32_t CountFormattedTextLines(const char* text, int32_t width) {
    if (!text) return 1;
    return int32_t(LayoutFormattedText(text, width).lines.size());
}
