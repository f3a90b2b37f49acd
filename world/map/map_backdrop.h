// The ground of the field, drawn into an off-screen surface of the display's
// size: the picture of each loaded cell's ground definition around the focus.
// The surface is redrawn whole while the focus has just jumped (twice, and
// again while the visible blocks are still loading) and while day turns to
// night; otherwise only the strips a movement uncovered are drawn, the rest
// shifted. Each frame the surface is copied to the screen.
#pragma once
#include <cstdint>

#include "core/base_object.h"

class CMapData;
class CSurfaceResource;

class CMapBackdrop : public CBaseObject {
public:
    explicit CMapBackdrop(CMapData* data);
    ~CMapBackdrop() override;

    bool Release() override;
    bool Draw() override;

    // A new focus (map units): unless a redraw is pending, the focus drawn so
    // far is kept as the one the next incremental redraw starts from.
    void SetFocus(float x, float y);
    // Full redraws follow (the main window's activation, a jump of the focus).
    void RestartFullRedraws() { m_fullRedraws = 0; }
    int32_t GetFullRedraws() const { return m_fullRedraws; }
    bool IsRedrawPending() const { return m_redraw != 0; }
    CSurfaceResource* GetSurface() const;
    uint32_t GetSurfaceId() const { return m_surfaceId; }

    // Draws the ground of every cell whose picture may touch the rectangle
    // (surface pixels) onto the surface, clipped to it.
    void DrawGround(int32_t left, int32_t top, int32_t right, int32_t bottom);

private:
    bool MakeSurface();
    void FullRedraw();
    void IncrementalRedraw();

    CMapData* m_pData;
    uint32_t m_surfaceId = 0;
    int32_t m_surfaceWidth = 0, m_surfaceHeight = 0;
    int32_t m_fullRedraws = 0;
    uint8_t m_redraw = 0;
    float m_focusX = 0.0f, m_focusY = 0.0f;  // the focus of the next redraw
    float m_drawnX = 0.0f, m_drawnY = 0.0f;  // the focus the surface shows
    int32_t m_drawnCameraX = 0, m_drawnCameraY = 0;
};
