// CStaticText: the text label control (control type 4) and the base of the
// edit box and the button: one line of text with a font size index, a colour
// and four style switches. A label only draws: Create clears its update and
// input flags.
#pragma once
#include <cstddef>
#include <cstdint>

#include "graphics/text_renderer.h"
#include "platform/font.h"
#include "ui/base_window.h"

inline constexpr size_t STATIC_TEXT_MAX = 255;  // bytes of a label's text

// Style switches.
enum : int {
    TEXT_SWITCH_SECOND_FONT = 0,  // the second font set (underlined)
    TEXT_SWITCH_BOLD = 1,
    TEXT_SWITCH_SHADOW = 2,
    TEXT_SWITCH_OUTLINE = 3,
};

class CStaticText : public CBaseWindow {
public:
    CStaticText();

    // Empty text in white; the label neither updates nor takes input.
    bool Create() override;
    // Nothing for an empty text or while the display surface is lost (it is
    // restored for the next frame); otherwise one line at the position, or,
    // with an edit line width or a composition, the edit text with its caret
    // and the composition's marks.
    bool Draw() override;
    // (x, y) to (x + 8 x text bytes, y + 8).
    bool UpdateRect() override;
    // Stores the position only.
    bool SetPosition(int32_t x, int32_t y) override;

    // ---- The label's own operations, in their slot order ----
    // Keeps at most 255 bytes of the text, cut between characters.
    virtual bool SetText(const char* text);
    // Colour 0x00BBGGRR.
    virtual bool SetTextColor(uint32_t colour);
    virtual bool SetFontSize(uint8_t index);
    // Style switch 0 (the second font set).
    virtual bool SetTextOption(uint8_t option);
    // Width of the text in its font plus 2; 0 for a size index above 5.
    virtual int32_t MeasureText();
    // 13, 13, 15, 15, 17, 21 for the indexes 0-5; 0 for others.
    virtual uint32_t GetLineHeight();
    // The font of the size index; null for others.
    virtual plat::HFONT GetFont();

    // ---- Not slots ----
    const char* GetText() const { return m_text; }
    uint32_t GetTextColor() const { return m_colour; }
    uint8_t GetFontSize() const { return m_fontSize; }
    void SetStyleSwitch(int index, bool on);
    bool GetStyleSwitch(int index) const;
    // The text renderer's style flags of the switches: 1, with the second
    // font set 17; bold adds 4, shadow 2, outline 8.
    uint32_t StyleFlags() const;
    // Edit mode: the text is drawn as edit text, this many bytes a line.
    void SetEditLineWidth(uint32_t width) { m_editLineWidth = width; }
    uint32_t GetEditLineWidth() const { return m_editLineWidth; }
    void SetEditLineCount(uint32_t count) { m_editLineCount = count; }
    // The caret's byte position in edit mode (set by the edit box; -1: none).
    void SetCaretPosition(int32_t caret) { m_caret = caret; }
    // The input method's composition inside the text, marked when drawn (a
    // length of 0: none). A label with one draws as edit text.
    void SetEditComposition(const EditComposition& composition) { m_composition = composition; }

protected:
    uint8_t m_fontSize = 0;
    uint32_t m_colour = 0xFFFFFF;
    char m_text[STATIC_TEXT_MAX + 1] = {};
    uint8_t m_styleSwitches[4] = {};
    uint32_t m_editLineWidth = 0;
    uint32_t m_editLineCount = 0;
    int32_t m_caret = -1;
    EditComposition m_composition;
};
