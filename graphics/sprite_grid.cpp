#include "graphics/sprite_grid.h"

#include <cmath>

bool BuildSpriteGrid(const DtxUnit& unit, uint32_t sheetColumns, uint32_t sheetRows, SpriteGrid& grid) {
    grid = SpriteGrid();
    if (unit.x < 0 || unit.y < 0 || unit.width < 1 || unit.height < 1) return false;
    if (int64_t(unit.x) + unit.width > int64_t(sheetColumns) * DTX_TILE_SIDE ||
        int64_t(unit.y) + unit.height > int64_t(sheetRows) * DTX_TILE_SIDE)
        return false;
    const int32_t columns = (unit.x + unit.width - 1) / DTX_TILE_SIDE - unit.x / DTX_TILE_SIDE + 1;
    const int32_t rows = (unit.y + unit.height - 1) / DTX_TILE_SIDE - unit.y / DTX_TILE_SIDE + 1;
    if (columns * rows > int32_t(DTX_MAX_TILES)) return false;
    grid.columns = uint8_t(columns);
    grid.rows = uint8_t(rows);
    grid.firstColumn = unit.x / DTX_TILE_SIDE;
    grid.firstRow = unit.y / DTX_TILE_SIDE;
    grid.tiles.resize(size_t(columns * rows));

    int32_t heightDone = 0;
    for (int32_t r = 0; r < rows; ++r) {
        int32_t widthDone = 0;
        float dv = 0;
        for (int32_t c = 0; c < columns; ++c) {
            SpriteTile& t = grid.tiles[size_t(columns * r + c)];
            t.v = r == 0 ? unit.v : 0.0f;
            dv = r == 0 ? 1.0f - unit.v : 1.0f;
            if (r == rows - 1) dv = float(unit.height - heightDone) / 256.0f;
            t.dv = dv;
            t.height = int32_t(dv * 256.0f);
            t.u = c == 0 ? unit.u : 0.0f;
            t.du = c == 0 ? 1.0f - unit.u : 1.0f;
            if (c == columns - 1) t.du = float(unit.width - widthDone) / 256.0f;
            t.width = int32_t(t.du * 256.0f);
            widthDone += int32_t(t.du * 256.0f + 0.1f);
        }
        heightDone += int32_t(dv * 256.0f + 0.1f);
    }
    return true;
}

SpriteShadowParams MakeShadowParams(const DtxUnit& unit, int32_t firstUnitY) {
    SpriteShadowParams p;
    const int32_t h = unit.height;
    p.baseOffset = float(firstUnitY + h - 1);
    const float a = float(unit.shadowAngle) * 3.141592f / 180.0f;
    p.dirX = std::cos(a);
    p.dirY = -std::sin(a);
    p.offsetX = unit.shadowAnchorX - unit.anchorX;
    p.offsetY = unit.shadowAnchorY - unit.anchorY;
    // A unit one pixel tall has no height to stretch over: its shadow keeps the plain length.
    p.lengthFactor = float(unit.shadowLength + h) / float(h > 1 ? h - 1 : 1);
    return p;
}

void LayoutSprite(const SpriteGrid& grid, const SpriteShadowParams& shadow, bool mirrored, int32_t sx,
                  int32_t sy, int32_t extraW, int32_t extraH, uint8_t mode, std::vector<ScreenQuad>& sprite,
                  std::vector<ScreenQuad>& shadowQuads) {
    const int columns = grid.columns, rows = grid.rows;
    sprite.resize(grid.tiles.size());
    shadowQuads.resize(grid.tiles.size());
    if (grid.tiles.empty()) return;
    const float base = float(sy) + shadow.baseOffset;
    const int32_t ew = extraW / columns, eh = extraH / rows;
    float top = float(sy);
    for (int r = 0; r < rows; ++r) {
        const int32_t topInt = int32_t(top);
        float left = float(sx);
        int32_t th = 0;
        for (int c = 0; c < columns; ++c) {
            const size_t t = size_t(columns * r + (mirrored ? columns - 1 - c : c));
            const SpriteTile& tile = grid.tiles[t];
            float u = tile.u, du = tile.du;
            const float v = tile.v, dv = tile.dv;
            const int32_t tw = int32_t(float(tile.width + ew));
            th = int32_t(float(tile.height + eh));
            const float right = left + float(tw), bottom = top + float(th);
            if (mirrored) {
                u = u + du;
                du = -du;
            }
            ScreenQuad& q = sprite[t];
            if (mode != SPRITE_POSITION_ONLY) {
                ScreenQuad& s = shadowQuads[t];
                if (mode == SPRITE_SHADOW_PROJECTED) {
                    const float ht = (base - top) * shadow.lengthFactor,
                                hb = (base - bottom) * shadow.lengthFactor;
                    const float ox = float(shadow.offsetX) - 0.5f, oy = float(shadow.offsetY) - 0.5f;
                    s.x[0] = int32_t(left + ht * shadow.dirX + ox);
                    s.x[1] = int32_t(right + ht * shadow.dirX + ox);
                    s.y[0] = s.y[1] = int32_t(base + ht * shadow.dirY + oy);
                    s.x[2] = int32_t(right + hb * shadow.dirX + ox);
                    s.x[3] = int32_t(left + hb * shadow.dirX + ox);
                    s.y[2] = s.y[3] = int32_t(base + hb * shadow.dirY + oy);
                } else if (mode == SPRITE_SHADOW_OFFSET) {
                    // The sprite's own silhouette 10 pixels right and 5 down.
                    s.x[0] = s.x[3] = int32_t(left) + 10;
                    s.x[1] = s.x[2] = int32_t(right) + 10;
                    s.y[0] = s.y[1] = topInt + 5;
                    s.y[2] = s.y[3] = int32_t(bottom) + 5;
                }
                const float us[4] = {u, u + du, u + du, u}, vs[4] = {v, v, v + dv, v + dv};
                for (int i = 0; i < 4; ++i) {
                    q.u[i] = s.u[i] = us[i];
                    q.v[i] = s.v[i] = vs[i];
                }
            }
            q.x[0] = q.x[3] = int32_t(left);
            q.x[1] = q.x[2] = int32_t(right);
            q.y[0] = q.y[1] = topInt;
            q.y[2] = q.y[3] = int32_t(bottom);
            left = right;
        }
        top += float(th);
    }
}
