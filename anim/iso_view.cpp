#include "anim/iso_view.h"

#include <cstdlib>

namespace {

// Division rounding toward minus infinity, so that the grid is the same on
// both sides of zero.
int32_t FloorDiv(int32_t a, int32_t b) {
    int32_t q = a / b;
    if ((a % b != 0) && ((a < 0) != (b < 0))) --q;
    return q;
}

// Shared by tiles and blocks: cell (w x h) of the point, then the mask.
// The grid rectangles are w/2 x h/2; p counts rows, q columns.
IsoPoint ScreenToCell(const CIsoView& view, int32_t sx, int32_t sy, int32_t w, int32_t h, const uint8_t* mask,
                      IsoPoint (CIsoView::*toScreen)(int32_t, int32_t) const) {
    const int32_t u = sx - view.m_viewX;
    const int32_t v = sy - view.m_viewY;
    const int32_t p = FloorDiv(v + view.m_cameraY - view.m_baseY, h / 2);
    const int32_t q = FloorDiv(u + view.m_cameraX, w / 2);
    IsoPoint cell{FloorDiv(q - p, 2), FloorDiv(q + p, 2)};
    const IsoPoint corner = (view.*toScreen)(cell.x, cell.y);
    const int32_t column = sx - corner.x;
    const int32_t row = sy - (corner.y - h / 2);
    // Floor division keeps the point inside its cell; the test guards the mask anyway.
    if (column < 0 || column >= w || row < 0 || row >= h) return cell;
    switch (mask[row * w + column]) {
        case ISO_MASK_UP:
            --cell.y;
            break;
        case ISO_MASK_RIGHT:
            ++cell.x;
            break;
        case ISO_MASK_LEFT:
            --cell.x;
            break;
        case ISO_MASK_DOWN:
            ++cell.y;
            break;
        default:
            break;
    }
    return cell;
}

}  // namespace

void MakeDiamondMask(uint8_t* mask, int32_t width, int32_t height) {
    const float halfW = float(width) * 0.5f, halfH = float(height) * 0.5f;
    for (int32_t row = 0; row < height; ++row) {
        for (int32_t col = 0; col < width; ++col) {
            // Centre of the pixel relative to the centre of the cell.
            const float dx = float(col) + 0.5f - halfW;
            const float dy = float(row) + 0.5f - halfH;
            uint8_t value = ISO_MASK_SELF;
            if (std::abs(dx) / halfW + std::abs(dy) / halfH > 1.0f) {
                if (dy < 0)
                    value = dx < 0 ? ISO_MASK_UP : ISO_MASK_RIGHT;
                else
                    value = dx < 0 ? ISO_MASK_LEFT : ISO_MASK_DOWN;
            }
            mask[row * width + col] = value;
        }
    }
}

CIsoView::CIsoView() {
    MakeDiamondMask(m_tileMask, ISO_TILE_W, ISO_TILE_H);
    MakeDiamondMask(m_blockMask, ISO_BLOCK_W, ISO_BLOCK_H);
}

IsoPoint CIsoView::TileToScreen(int32_t tx, int32_t ty) const {
    return {(tx + ty) * (ISO_TILE_W / 2) - m_cameraX + m_viewX,
            (ty - tx) * (ISO_TILE_H / 2) + m_baseY - m_cameraY + m_viewY};
}

IsoPoint CIsoView::BlockToScreen(int32_t bx, int32_t by) const {
    return {(bx + by) * (ISO_BLOCK_W / 2) - m_cameraX + m_viewX,
            (by - bx) * (ISO_BLOCK_H / 2) + m_baseY - m_cameraY + m_viewY};
}

IsoPoint CIsoView::MapToScreen(int32_t mapX, int32_t mapY) const {
    if (mapX % ISO_TILE_W == 0 && mapY % ISO_TILE_H == 0)
        return TileToScreen(mapX / ISO_TILE_W, mapY / ISO_TILE_H);
    const float x = float(2 * mapY + mapX) * 0.5f - float(m_cameraX) + float(m_viewX);
    const float y = float(2 * mapY - mapX) * 0.25f + float(m_baseY) - float(m_cameraY) + float(m_viewY);
    return {int32_t(x), int32_t(y)};
}

void CIsoView::MapToScreenF(float mapX, float mapY, float a, float b, float* sx, float* sy) const {
    const int32_t ix = int32_t(mapX), iy = int32_t(mapY);
    if (ix % ISO_TILE_W == 0 && iy % ISO_TILE_H == 0) {
        const IsoPoint p = TileToScreen(ix / ISO_TILE_W, iy / ISO_TILE_H);
        *sx = float(p.x);
        *sy = float(p.y);
        return;
    }
    *sx = (mapX + 2.0f * mapY) * (a * 0.5f) - float(m_cameraX) + float(m_viewX);
    *sy = (2.0f * mapY - mapX) * (b * 0.5f) + float(m_baseY) - float(m_cameraY) + float(m_viewY);
}

IsoPoint CIsoView::ScreenToTile(int32_t sx, int32_t sy) const {
    return ScreenToCell(*this, sx, sy, ISO_TILE_W, ISO_TILE_H, m_tileMask, &CIsoView::TileToScreen);
}

IsoPoint CIsoView::ScreenToBlock(int32_t sx, int32_t sy) const {
    return ScreenToCell(*this, sx, sy, ISO_BLOCK_W, ISO_BLOCK_H, m_blockMask, &CIsoView::BlockToScreen);
}
