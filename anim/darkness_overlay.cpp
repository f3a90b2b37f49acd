#include "anim/darkness_overlay.h"

#include <algorithm>

#include "anim/ani_services.h"
#include "core/util.h"
#include "graphics/direct3d.h"
#include "graphics/display_settings.h"
#include "graphics/math3d.h"

CDarknessOverlay* g_pDarknessOverlay = nullptr;

namespace {

bool PlayerStatus9() {
    IAniCharacters* chars = GetAniCharacters();
    return chars && chars->IsPlayerStatus9Set();
}

int32_t ClampLevel(int32_t level) {
    return std::clamp(level, 0, DARK_MAX_LEVEL);
}

// Grid size along one side: a vertex every cell, one more for the far edge
// and one more again when the side does not end on a cell boundary.
int32_t GridSize(int32_t pixels, int32_t cell) {
    pixels = std::max(pixels, 0);
    return pixels / cell + 1 + (pixels % cell != 0 ? 1 : 0);
}

// Mask width in cells for radius index k (5, 10, ..., 80); the height is half.
int32_t MaskWidth(int32_t k) {
    return int32_t((10 + 10 * k) * 0.5);
}

// A colour value as a byte: the light colour factors are meant to lie in
// 0..1; values outside (or not a number) are held to 0..255.
uint8_t ColourByte(float value) {
    return value > 0.0f ? uint8_t(std::min(value, 255.0f)) : 0;
}

bool Has3D() {
    return g_pDirect3D && g_pDirect3D->Device();
}

}  // namespace

CDarknessOverlay::CDarknessOverlay() = default;

CDarknessOverlay::~CDarknessOverlay() {
    Release();
    if (g_pDarknessOverlay == this) g_pDarknessOverlay = nullptr;
}

bool CDarknessOverlay::Init() {
    const CDisplaySettings& settings = GetDisplaySettings();
    return Init(settings.screenWidth, settings.screenHeight);
}

bool CDarknessOverlay::Init(int32_t screenWidth, int32_t screenHeight) {
    Release();
    BuildGrid(screenWidth, screenHeight);
    BuildMasks();
    return true;
}

bool CDarknessOverlay::Release() {
    m_lights.clear();
    m_freeIds.clear();
    m_nextLightId = 0;
    m_vertices.clear();
    m_indices.clear();
    m_colorBuffer.clear();
    m_masks.clear();
    m_cols = m_rows = 0;
    m_verticesPlaced = false;
    return true;
}

void CDarknessOverlay::BuildGrid(int32_t screenWidth, int32_t screenHeight) {
    m_cols = GridSize(screenWidth, m_cellWidth);
    m_rows = GridSize(screenHeight, m_cellHeight);
    // Indices are 16 bits: a grid beyond that is cut (no screen comes near it).
    while (m_cols * m_rows > 65535) {
        if (m_cols > m_rows)
            --m_cols;
        else
            --m_rows;
    }
    m_vertices.assign(size_t(m_cols * m_rows), plat::raster::LitVertex{0, 0, 0, 0, 0xFF000000u, 0, 0, 0});
    m_colorBuffer.assign(size_t(m_cols * m_rows) * 4, 0);
    m_indices.clear();
    m_indices.reserve(size_t(std::max(m_cols - 1, 0) * std::max(m_rows - 1, 0) * 6));
    for (int32_t row = 0; row + 1 < m_rows; ++row)
        for (int32_t col = 0; col + 1 < m_cols; ++col) {
            const uint16_t a = uint16_t(row * m_cols + col), b = uint16_t(a + m_cols);
            m_indices.insert(m_indices.end(), {a, uint16_t(a + 1), b, uint16_t(a + 1), uint16_t(b + 1), b});
        }
    PlaceVertices();
}

// Vertices stand at the world points of their screen points, which only the
// Direct3D layer knows; without it they are placed at its first draw.
void CDarknessOverlay::PlaceVertices() {
    if (!g_pDirect3D) return;
    for (int32_t row = 0; row < m_rows; ++row)
        for (int32_t col = 0; col < m_cols; ++col) {
            plat::raster::LitVertex& v = m_vertices[size_t(row * m_cols + col)];
            v.x = float(g_pDirect3D->ScreenToWorldX(col * m_cellWidth));
            v.y = float(g_pDirect3D->ScreenToWorldY(row * m_cellHeight));
            v.z = 0.0f;
        }
    m_verticesPlaced = true;
}

void CDarknessOverlay::BuildMasks() {
    constexpr int32_t S = DARK_SUBDIVISION;
    m_masks.assign(DARK_RADIUS_COUNT, DarknessMask{});
    for (int32_t k = 0; k < DARK_RADIUS_COUNT; ++k) {
        DarknessMask& mask = m_masks[size_t(k)];
        const int32_t w = MaskWidth(k), h = w / 2;
        mask.m_width = w;
        mask.m_height = h;
        mask.m_bytes.assign(size_t(w * h * S * S), 0);
        const float cx0 = float(S * (w / 2)), cy0 = float(S * (h / 2));
        const float reference = GetWeightedDistance(0.0f, 0.0f, cx0 + 3.0f, cy0 + 3.0f, 2.0f);
        const float inverse = 1.0f / reference;
        for (int32_t cy = 0; cy < h; ++cy)
            for (int32_t cx = 0; cx < w; ++cx)
                for (int32_t sy = 0; sy < S; ++sy)
                    for (int32_t sx = 0; sx < S; ++sx) {
                        const float d = GetWeightedDistance(float(S * cx), float(S * cy), cx0 + float(sx),
                                                            cy0 + float(sy), 2.0f);
                        const float value = std::min(255.0f, 2.0f * d * inverse * 255.0f);
                        mask.m_bytes[size_t(((w * cy + cx) * S + sy) * S + sx)] = uint8_t(value);
                    }
    }
}

void CDarknessOverlay::SetLevel(int32_t level) {
    m_currentLevel = ClampLevel(level);
}

void CDarknessOverlay::FadeToLevel(int32_t level) {
    m_targetLevel = ClampLevel(level);
    if (m_currentLevel == DARK_LEVEL_UNSET) m_currentLevel = m_targetLevel;
}

int32_t CDarknessOverlay::GetEffectiveLevel() const {
    if (PlayerStatus9()) return DARK_STATUS9_LEVEL;
    const int32_t current = m_currentLevel == DARK_LEVEL_UNSET ? 0 : m_currentLevel;
    return ClampLevel(m_baseLevel + current);
}

int32_t CDarknessOverlay::AddLight(int32_t x, int32_t y, int32_t radius, int32_t flicker) {
    if (m_lights.size() >= size_t(DARK_MAX_LIGHTS)) return DARK_NO_LIGHT;
    DarknessLight light;
    if (!m_freeIds.empty()) {
        light.m_id = m_freeIds.front();
        m_freeIds.pop_front();
    } else {
        light.m_id = m_nextLightId++;
    }
    light.m_x = x;
    light.m_y = y;
    light.m_radius = std::clamp(radius, 0, DARK_RADIUS_COUNT - 1);
    light.m_flicker = flicker;
    m_lights.push_back(light);
    return light.m_id;
}

void CDarknessOverlay::RemoveLight(int32_t* id) {
    if (!id) return;
    RemoveLightId(*id);
    *id = DARK_NO_LIGHT;
}

void CDarknessOverlay::RemoveLightId(int32_t id) {
    if (id == DARK_NO_LIGHT) return;
    auto it =
        std::find_if(m_lights.begin(), m_lights.end(), [&](const DarknessLight& l) { return l.m_id == id; });
    // Only an id that was in use goes back to the free ids, so no two lights share one.
    if (it == m_lights.end()) return;
    m_lights.erase(it);
    m_freeIds.push_back(id);
}

bool CDarknessOverlay::SetLightPosition(int32_t id, int32_t x, int32_t y) {
    DarknessLight* light = FindLight(id);
    if (!light) return false;
    light->m_x = x;
    light->m_y = y;
    return true;
}

DarknessLight* CDarknessOverlay::FindLight(int32_t id) {
    if (id == DARK_NO_LIGHT) return nullptr;
    for (DarknessLight& light : m_lights)
        if (light.m_id == id) return &light;
    return nullptr;
}

bool CDarknessOverlay::Update() {
    if (!Has3D() || m_cols <= 0 || m_rows <= 0) return true;
    // The level follows its target by one step a frame, also while no target
    // is set: a level set on its own then fades out.
    int32_t target = m_targetLevel;
    if (m_brightness != 0 && !IsVisualEventRunning())
        target = int32_t((100 - std::min<int32_t>(m_brightness, 100)) * target * 0.01);
    if (m_currentLevel < target)
        ++m_currentLevel;
    else if (m_currentLevel > target)
        --m_currentLevel;
    const bool status9 = PlayerStatus9();
    const int32_t level = GetEffectiveLevel();
    if (!status9 && level < 1) return true;

    std::fill(m_colorBuffer.begin(), m_colorBuffer.end(), uint8_t(0));
    for (const DarknessLight& light : m_lights) {
        if (status9 && light.m_id != m_playerLightId) continue;
        if (light.m_x < -100 || (light.m_x == 0 && light.m_y == 0)) continue;
        StampLight(light, level);
    }

    for (size_t i = 0; i < m_vertices.size(); ++i) {
        const uint8_t* c = &m_colorBuffer[i * 4];
        auto channel = [&](uint8_t value, float factor) {
            const int32_t darkness = std::max(level - int32_t(value), 0);
            return uint32_t(std::min<int32_t>(darkness, ColourByte(factor * 255.0f)));
        };
        const uint32_t alpha = uint32_t(std::max(level - int32_t(c[3]), 0));
        const uint32_t red = channel(c[0], m_colorFactors[0]);
        const uint32_t green = channel(c[1], m_colorFactors[1]);
        const uint32_t blue = channel(c[2], m_colorFactors[2]);
        m_vertices[i].diffuse = (alpha << 24) | (red << 16) | (green << 8) | blue;
    }
    return true;
}

void CDarknessOverlay::StampLight(const DarknessLight& light, int32_t level) {
    constexpr int32_t S = DARK_SUBDIVISION;
    const DarknessMask& mask = m_masks[size_t(std::clamp(light.m_radius, 0, DARK_RADIUS_COUNT - 1))];
    const int64_t x = light.m_x, y = light.m_y;
    // Sub-sample of the light centre inside its cell (mirrored left of and above the origin).
    int32_t ox = int32_t((x < 0 ? -x : x) % m_cellWidth / (m_cellWidth / S));
    int32_t oy = int32_t((y < 0 ? -y : y) % m_cellHeight / (m_cellHeight / S));
    if (x < 0) ox = S - 1 - ox;
    if (y < 0) oy = S - 1 - oy;
    const int64_t firstCol = x / m_cellWidth - mask.m_width / 2 - (x < 0 ? 1 : 0);
    const int64_t firstRow = y / m_cellHeight - mask.m_height / 2 - (y < 0 ? 1 : 0);
    const int32_t flicker = light.m_flicker == 1 ? int32_t(m_random() % uint32_t(DARK_FLICKER_RANGE)) : 0;
    for (int32_t cy = 0; cy < mask.m_height; ++cy) {
        const int64_t row = firstRow + cy;
        if (row < 0 || row >= m_rows) continue;
        for (int32_t cx = 0; cx < mask.m_width; ++cx) {
            const int64_t col = firstCol + cx;
            if (col < 0 || col >= m_cols) continue;
            int32_t v = level - int32_t(mask.At(cx, cy, ox, oy)) * level / 255 - flicker;
            v = std::clamp(v, 0, level);
            uint8_t* c = &m_colorBuffer[size_t(row * m_cols + col) * 4];
            if (v > c[3]) {
                c[3] = uint8_t(v);
                c[0] = ColourByte(float(v) * m_colorFactors[0]);
                c[1] = ColourByte(float(v) * m_colorFactors[1]);
                c[2] = ColourByte(float(v) * m_colorFactors[2]);
            }
        }
    }
}

bool CDarknessOverlay::Draw() {
    if (!m_drawSwitch || !Has3D() || m_indices.empty()) return true;
    if (!PlayerStatus9() && GetEffectiveLevel() < 1) return true;
    if (!m_verticesPlaced) PlaceVertices();
    g_pDirect3D->SetBlendMode(DARK_BLEND_MODE);
    Matrix identity;
    SetIdentityMatrix(&identity);
    g_pDirect3D->SetWorldTransform(identity);
    g_pDirect3D->SetTexture(0, g_pDirect3D->GetWhiteTexture());
    g_pDirect3D->DrawIndexed(m_vertices.data(), int(m_vertices.size()), m_indices.data(),
                             int(m_indices.size()));
    g_pDirect3D->SetBlendMode(0);
    return true;
}
