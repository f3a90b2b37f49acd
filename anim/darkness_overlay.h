// CDarknessOverlay: darkens the whole game screen (night, caves, blindness)
// and cuts soft holes of light into it around lamps, torches and glowing
// effects. The darkness is a grid of vertices over the screen, one every 32
// pixels, whose colours carry it; a light stamps a precomputed radial mask into
// the grid, each vertex keeping the brightest light that reaches it. The level
// follows its target one step per frame. The grid is drawn as one list of
// Gouraud-shaded triangles with the blend that darkens by the vertex alpha.
// Visual events and the player's status 9 come from the animation services.
#pragma once
#include <cstdint>
#include <deque>
#include <random>
#include <vector>

#include "core/base_object.h"
#include "platform/raster/device3d.h"

inline constexpr int32_t DARK_CELL_SIZE = 32;
inline constexpr int32_t DARK_RADIUS_COUNT = 16;
inline constexpr int32_t DARK_SUBDIVISION = 8;
inline constexpr int32_t DARK_LEVEL_UNSET = -1;
inline constexpr int32_t DARK_MAX_LEVEL = 255;
inline constexpr int32_t DARK_NO_LIGHT = -1;
// Level used while the player's character is under status 9.
inline constexpr int32_t DARK_STATUS9_LEVEL = 220;
// Lights held at once; more are refused (their id is -1).
inline constexpr int32_t DARK_MAX_LIGHTS = 1024;
// Largest random amount a flickering light loses per frame, plus one.
inline constexpr int32_t DARK_FLICKER_RANGE = 15;
// The blend mode that darkens by the source alpha.
inline constexpr uint8_t DARK_BLEND_MODE = 4;

struct DarknessLight {
    int32_t m_id = DARK_NO_LIGHT;
    int32_t m_x = 0, m_y = 0;  // screen position
    int32_t m_radius = 0;      // radius index 0..15
    int32_t m_flicker = 0;     // 1: loses a little light at random every frame
};

// One radius: width x height cells of 8 x 8 sub-samples. Sub-sample (sx, sy)
// of every cell together is the whole mask for a light whose centre lies sx
// eighths of a cell right of and sy eighths below a cell corner, sampled at the
// cell corners. 0 is full light, 255 none.
struct DarknessMask {
    int32_t m_width = 0, m_height = 0;
    std::vector<uint8_t> m_bytes;

    uint8_t At(int32_t cx, int32_t cy, int32_t sx, int32_t sy) const {
        return m_bytes[size_t(((m_width * cy + cx) * DARK_SUBDIVISION + sy) * DARK_SUBDIVISION + sx)];
    }
};

class CDarknessOverlay : public CBaseObject {
public:
    CDarknessOverlay();
    ~CDarknessOverlay() override;

    // Builds the grid for the configured screen, the masks and the light list.
    bool Init();
    bool Init(int32_t screenWidth, int32_t screenHeight);
    bool Release() override;

    // Per frame: follow the target level and stamp the lights into the grid.
    bool Update() override;
    bool Draw() override;

    // Levels are held to 0..255.
    void SetLevel(int32_t level);
    // Target level; jumps there when no level is set yet.
    void FadeToLevel(int32_t level);
    int32_t GetLevel() const { return m_currentLevel; }
    int32_t GetTargetLevel() const { return m_targetLevel; }
    // Base level plus current level (0..255); DARK_STATUS9_LEVEL under status 9.
    int32_t GetEffectiveLevel() const;

    // A new light; its id comes from the ids of removed lights first. -1 when
    // DARK_MAX_LIGHTS are held.
    int32_t AddLight(int32_t x, int32_t y, int32_t radius, int32_t flicker);
    // Removes the light and sets the caller's id to -1; unknown ids are ignored.
    void RemoveLight(int32_t* id);
    void RemoveLightId(int32_t id);
    bool SetLightPosition(int32_t id, int32_t x, int32_t y);
    DarknessLight* FindLight(int32_t id);
    size_t GetLightCount() const { return m_lights.size(); }

    int32_t GetCols() const { return m_cols; }
    int32_t GetRows() const { return m_rows; }
    const DarknessMask& GetMask(int32_t radius) const { return m_masks[size_t(radius)]; }
    const std::vector<plat::raster::LitVertex>& GetVertices() const { return m_vertices; }
    const std::vector<uint16_t>& GetIndices() const { return m_indices; }
    // Working bytes of vertex (col, row): red, green, blue, light.
    const uint8_t* GetColorBytes(int32_t col, int32_t row) const {
        return &m_colorBuffer[size_t(row * m_cols + col) * 4];
    }
    // Flickering is random; tests fix the sequence.
    void SeedFlicker(uint32_t seed) { m_random.seed(seed); }

    // Set by other layers.
    int32_t m_baseLevel = 0;
    float m_colorFactors[3] = {0.0f, 0.0f, 0.0f};  // red, green, blue of the light colour
    uint8_t m_drawSwitch = 0;                      // the game screen shows the darkness
    uint8_t m_brightness = 0;                      // global brightness 0..100 (0: none)
    int32_t m_playerLightId = DARK_NO_LIGHT;       // the one light shining under status 9

private:
    void BuildGrid(int32_t screenWidth, int32_t screenHeight);
    void PlaceVertices();
    void BuildMasks();
    void StampLight(const DarknessLight& light, int32_t level);

    std::vector<DarknessLight> m_lights;
    int32_t m_nextLightId = 0;
    std::deque<int32_t> m_freeIds;
    std::vector<plat::raster::LitVertex> m_vertices;
    std::vector<uint16_t> m_indices;
    int32_t m_cols = 0, m_rows = 0;
    int32_t m_cellWidth = DARK_CELL_SIZE, m_cellHeight = DARK_CELL_SIZE;
    std::vector<uint8_t> m_colorBuffer;
    int32_t m_currentLevel = DARK_LEVEL_UNSET;
    int32_t m_targetLevel = DARK_LEVEL_UNSET;
    std::vector<DarknessMask> m_masks;
    bool m_verticesPlaced = false;
    std::minstd_rand m_random;
};

extern CDarknessOverlay* g_pDarknessOverlay;
