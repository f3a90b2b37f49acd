// CToolTipWindow ("TOOLTIPBOX"): the small framed text box of hover texts,
// input-method lines, item texts and notices. One line, or two lines with an
// icon, centred on its position and kept inside the screen, drawn from the
// frame pieces of the "ToolTip_Window" animation in one of eight colour
// styles. Several windows keep one as a member.
//
// CToolTipStackWindow ("TOOLTIPSTACKWIN"): short notices, each a tooltip,
// stacked near the bottom left of the screen.
#pragma once
#include <cstddef>
#include <cstdint>

#include "ui/base_window.h"

class CAniObject;

inline constexpr size_t TOOLTIP_TEXT_MAX = 255;           // bytes of a line
inline constexpr uint32_t TOOLTIP_TWO_LINE_FRAME = 2161;  // animation of the two-line frame
inline constexpr int32_t TOOLTIP_CELL = 6;                // pixels a byte, one middle piece
inline constexpr int32_t TOOLTIP_SCREEN_MARGIN = 50;      // a line fits the screen width less this

// The frame pieces (directions of the frame animations).
enum : uint8_t {
    TOOLTIP_LEFT_CAP = 0,
    TOOLTIP_RIGHT_CAP = 2,
    TOOLTIP_MIDDLE = 14,
    TOOLTIP_TWO_LEFT = 2,
    TOOLTIP_TWO_MIDDLE = 0,
    TOOLTIP_TWO_RIGHT = 14,
};

class CToolTipWindow : public CBaseWindow {
public:
    CToolTipWindow();
    ~CToolTipWindow() override;

    // Both lines and the icon cleared, hidden (no draw, no update), the
    // one-line frame as its image, named "TOOLTIPBOX", white, stacking
    // number 4, the two-line frame made, style 0.
    bool Create() override;
    // Deletes the two-line frame, then the base release.
    bool Release() override;
    // Not updating: not drawn either. An empty first line hides it. Never
    // counts as a window under the mouse.
    bool Update() override;
    // The layout below, then the second line and the icon are forgotten.
    bool Draw() override;
    // The box the layout gives.
    bool UpdateRect() override;
    // A tooltip never takes a press.
    bool OnMouseDown(int32_t button, int32_t x, int32_t y, CBaseWindow* control) override;

    // An empty (or null) text hides the tooltip and changes nothing else.
    // Otherwise it shows; a text wider than the screen width less 50 in font
    // 0 becomes "..." and the longest tail that fits; at most 255 bytes stay.
    void SetText(const char* text, uint32_t colour);
    // The second line (null empties it) and the icon of the two-line form.
    void SetSecondLine(const char* text, CAniObject* icon);
    // 0 white; 1-7 black with frame motions style + 3 (one line) and style
    // (two lines); any other value is 0.
    void SetStyle(uint8_t style);
    // Where the one-line text is drawn.
    void GetTextPos(int32_t* x, int32_t* y);

    const char* GetFirstLine() const { return m_firstLine; }
    const char* GetSecondLine() const { return m_secondLine; }
    uint32_t GetTextColor() const { return m_colour; }
    uint32_t GetStartTime() const { return m_startTime; }
    uint8_t GetStyle() const { return m_style; }
    CAniObject* GetTwoLineFrame() const { return m_pTwoLineFrame; }

private:
    // Placement of the one-line form: the text's left, the top, the caps' widths.
    struct OneLine {
        int32_t left, top, leftCap, rightCap;
    };
    OneLine LayOutOneLine();
    // The width of a direction of the frame; 0 without a frame.
    static int32_t PieceWidth(CAniObject* frame, uint8_t direction);
    static void DrawPiece(CAniObject* frame, uint8_t direction, int32_t x, int32_t y);
    void DrawOneLine();
    void DrawTwoLines();

    char m_firstLine[TOOLTIP_TEXT_MAX + 1] = {};
    char m_secondLine[TOOLTIP_TEXT_MAX + 1] = {};
    CAniObject* m_pIcon = nullptr;  // not owned
    uint32_t m_colour = 0xFFFFFF;
    uint32_t m_startTime = 0;
    uint8_t m_style = 0;
    CAniObject* m_pTwoLineFrame = nullptr;  // owned
};

class CToolTipStackWindow : public CBaseWindow {
public:
    static constexpr int32_t MAX_NOTICES = 10;
    static constexpr uint32_t DISPLAY_TIME_MS = 4000;
    static constexpr int32_t SLIDE_STEP = 5;     // pixels a notice moves down a call
    static constexpr int32_t NOTICE_SPACE = 22;  // a notice keeps this far above the one below it

    CToolTipStackWindow();

    // Kept during events and open; named "TOOLTIPSTACKWIN", no image, at
    // (0, 0), drawn on top; the bottom line 120 pixels above the screen's
    // bottom, the notices at x 10.
    bool Create() override;
    // Plays "AutoGetItem"; the text becomes a new white notice at the top,
    // last of the children; past ten notices the oldest goes.
    void AddNotice(const char* text);
    // Slides every notice 5 pixels down, each at least 22 above the one
    // before it and none below the bottom line; then the base SetPosition.
    bool SetPosition(int32_t x, int32_t y) override;

    int32_t GetNoticeCount() const { return m_count; }
    int32_t GetBottomY() const { return m_bottomY; }
    int32_t GetLeftX() const { return m_leftX; }
    uint32_t GetDisplayTime() const { return m_displayTime; }

private:
    int32_t m_startY = 0;  // where new notices appear
    int32_t m_count = 0;
    int32_t m_max = MAX_NOTICES;
    uint32_t m_displayTime = DISPLAY_TIME_MS;
    int32_t m_bottomY = 0;
    int32_t m_leftX = 10;
};
