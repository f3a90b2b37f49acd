#include "ui/static_text.h"

#include <cstring>

#include "core/util.h"
#include "graphics/direct_draw.h"
#include "graphics/text_font.h"
#include "graphics/text_renderer.h"

namespace {

constexpr uint32_t kLineHeights[TEXT_FONT_COUNT] = {13, 13, 15, 15, 17, 21};

}  // namespace

CStaticText::CStaticText() {
    CStaticText::Create();
}

bool CStaticText::Create() {
    CBaseWindow::Create();
    m_fontSize = 0;
    m_colour = 0xFFFFFF;
    m_text[0] = '\0';
    std::memset(m_styleSwitches, 0, sizeof m_styleSwitches);
    m_editLineWidth = 0;
    m_editLineCount = 0;
    m_caret = -1;
    m_composition = EditComposition{};
    SetUpdateOn(false);
    SetInputOn(false);
    return true;
}

uint32_t CStaticText::StyleFlags() const {
    uint32_t style = m_styleSwitches[TEXT_SWITCH_SECOND_FONT] ? 17 : 1;
    if (m_styleSwitches[TEXT_SWITCH_BOLD]) style += 4;
    if (m_styleSwitches[TEXT_SWITCH_SHADOW]) style += 2;
    if (m_styleSwitches[TEXT_SWITCH_OUTLINE]) style += 8;
    return style;
}

bool CStaticText::Draw() {
    if (m_text[0] == '\0' || !g_pDirectDraw || !g_pTextRenderer) return true;
    if (g_pDirectDraw->IsSurfaceLost()) {
        g_pDirectDraw->RestoreSurface();
        return true;
    }
    CSurfaceResource* surface = g_pDirectDraw->GetRenderSurface();
    const bool composing = m_composition.length > 0;
    if (m_editLineWidth != 0 || composing)
        g_pTextRenderer->DrawEditText(surface, m_caret, m_active && m_caret >= 0, m_x, m_y,
                                      int(m_editLineWidth ? m_editLineWidth : STATIC_TEXT_MAX + 1), m_text,
                                      m_fontSize, m_colour, StyleFlags(), true,
                                      composing ? &m_composition : nullptr);
    else
        g_pTextRenderer->DrawString(surface, m_x, m_y, m_text, m_fontSize, m_colour, StyleFlags(), true);
    return true;
}

bool CStaticText::UpdateRect() {
    m_rect = WindowRect{m_x, m_y, m_x + 8 * int32_t(std::strlen(m_text)), m_y + 8};
    return true;
}

bool CStaticText::SetPosition(int32_t x, int32_t y) {
    m_x = x;
    m_y = y;
    return true;
}

bool CStaticText::SetText(const char* text) {
    CopyDbcsPrefix(text ? text : "", STATIC_TEXT_MAX, m_text);
    return true;
}

bool CStaticText::SetTextColor(uint32_t colour) {
    m_colour = colour;
    return true;
}

bool CStaticText::SetFontSize(uint8_t index) {
    m_fontSize = index;
    return true;
}

bool CStaticText::SetTextOption(uint8_t option) {
    m_styleSwitches[TEXT_SWITCH_SECOND_FONT] = option;
    return true;
}

int32_t CStaticText::MeasureText() {
    if (m_fontSize >= TEXT_FONT_COUNT) return 0;
    CTextFont* font = GetTextFont(m_fontSize, 0);
    return (font ? font->GetTextWidth(m_text, int32_t(std::strlen(m_text))) : 0) + 2;
}

uint32_t CStaticText::GetLineHeight() {
    return m_fontSize < TEXT_FONT_COUNT ? kLineHeights[m_fontSize] : 0;
}

plat::HFONT CStaticText::GetFont() {
    return m_fontSize < TEXT_FONT_COUNT ? GetFontHandle(m_fontSize) : nullptr;
}

void CStaticText::SetStyleSwitch(int index, bool on) {
    if (index >= 0 && index < 4) m_styleSwitches[index] = on;
}

bool CStaticText::GetStyleSwitch(int index) const {
    return index >= 0 && index < 4 && m_styleSwitches[index] != 0;
}
