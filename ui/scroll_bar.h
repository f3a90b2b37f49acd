// CScrollBar: the scroll bar control of the list windows (control type 6;
// identifiers ending in "_SCROLLBAR"). A window without an image of its own:
// its three parts are buttons the owning window makes and hands over (two
// arrows and the thumb). It keeps a position between 0 and a maximum, places
// the thumb along the track between the arrows, and changes the position
// from arrow presses, presses on the track, dragging and the wheel. Owners
// read the position each frame.
//
// The axis is y (heights) for a vertical bar and x (widths) for a horizontal
// one. The track length is L = pos(second arrow) - pos(first arrow) -
// size(thumb) - size(first arrow); a track of L <= 0 counts as 0.
#pragma once
#include <cstdint>

#include "ui/base_window.h"

class CButton;

class CScrollBar : public CBaseWindow {
public:
    CScrollBar();
    ~CScrollBar() override;

    // No parts, maximum 100, position 0, vertical, no size, step 1.
    bool Create() override;
    // Forgets the parts (they go as the bar's children).
    bool Release() override;
    // Places the thumb, then the base update.
    bool Update() override;
    // (x, y) to (x + width, y + height).
    bool UpdateRect() override;
    // See the .cpp.
    bool OnMouseDown(int32_t button, int32_t x, int32_t y, CBaseWindow* control) override;
    bool OnMouseMove(int32_t button, int32_t x, int32_t y, CBaseWindow* control) override;
    bool OnMouseWheel(int32_t x, int32_t y, int32_t delta, CBaseWindow* control) override;
    // Stores the position and refreshes the rectangle.
    bool SetPosition(int32_t x, int32_t y) override;

    // ---- The bar's own operations, in their slot order ----
    // The parts forward their events to the bar, become its children; the
    // thumb can be dragged.
    virtual void SetParts(CButton* firstArrow, CButton* secondArrow, CButton* thumb);
    // Non-zero vertical, 0 horizontal.
    virtual void SetOrientation(uint8_t vertical);
    virtual uint8_t GetOrientation();
    // The bar's rectangle: the first arrow at its start, the second at its
    // end, the thumb placed. Owning windows call it from their SetPosition.
    virtual void SetBarRect(int32_t x1, int32_t y1, int32_t x2, int32_t y2);
    // Below 1 gives 0 (nothing to scroll: the parts are not drawn); the
    // position is lowered to it.
    virtual void SetMaximum(int32_t maximum);
    // Held within 0 and the maximum.
    virtual void SetScrollPos(float position);
    virtual float GetScrollPos();
    // position = percent x 0.01 x maximum, not held within the range.
    virtual void SetScrollPercent(float percent);
    // position / maximum x 100; 0 with nothing to scroll.
    virtual float GetScrollPercent();

    // ---- Not slots ----
    int32_t GetMaximum() const { return m_maximum; }
    float GetStep() const { return m_step; }
    void SetStep(float step) { m_step = step; }
    CButton* GetFirstArrow() const;
    CButton* GetSecondArrow() const;
    CButton* GetThumb() const;
    // The track length L (0 when the parts leave none).
    int32_t TrackLength();

private:
    int32_t Pos(CBaseWindow* part);
    int32_t Size(CBaseWindow* part);
    void PlaceThumb();
    // d = pos(second arrow) - (mouse + half the thumb) on the axis.
    int32_t DistanceFromEnd(int32_t x, int32_t y);

    CWeakRef m_firstArrow, m_secondArrow, m_thumb;  // the bar's children
    int32_t m_maximum = 100;
    float m_position = 0.0f;
    uint8_t m_vertical = 1;
    int32_t m_barWidth = 0, m_barHeight = 0;
    float m_step = 1.0f;
};

// The names of a scroll bar's arrows and thumb.
struct ScrollBarPartNames {
    const char* firstArrow;
    const char* secondArrow;
    const char* thumb;
};
// A vertical scroll bar made by the window manager, that tells its window of
// its clicks, added to the window's children; its parts show "CommonIcons"
// motions 3, 4 and 2.
CScrollBar* MakeChildScrollBar(CBaseWindow* parent, const char* name, const ScrollBarPartNames& parts);
