// Sprites: one unit of a texture sheet drawn through the 3D device as textured
// quads cut along the sheet's tile grid, placed with its anchor, mirrored or
// not, tinted and brightened, in grey or in colour, with a projected or offset
// shadow. CObjSprite is the named set of sprites of one animation file, a child
// of the sprite-object manager.
#pragma once
#include <cstdint>
#include <memory>
#include <vector>

#include "core/object_mgr.h"
#include "graphics/sprite_grid.h"
#include "platform/raster/device3d.h"

class CObjSprite;
class CTexImage;

// Holds and gives back the sprite's texture-image reference.
class CSpriteBase {
public:
    CSpriteBase() = default;
    virtual ~CSpriteBase();
    CSpriteBase(const CSpriteBase&) = delete;
    CSpriteBase& operator=(const CSpriteBase&) = delete;

    CTexImage* GetTexImage() const { return m_pTexImage; }

protected:
    CTexImage* m_pTexImage = nullptr;  // one counted reference
};

class CSprite : public CSpriteBase {
public:
    explicit CSprite(CObjSprite* owner);
    ~CSprite() override;

    // Draws the sprite's tiles; grey draws them as grey levels. With a clip
    // (screen pixels) only the part of the sprite inside it is drawn.
    virtual bool Draw(bool grey = false, const plat::raster::Rect* clip = nullptr);
    virtual bool DrawShadow();
    // Places the sprite: (x, y) the drawing position, z the height above it,
    // size (two values or null) pixels added to the unit's size, colour the
    // diffuse ARGB, mode the shadow mode (0 projected, 1 offset, 99 position
    // only), additive the specular ARGB.
    virtual void SetPosition(int32_t x, int32_t y, int32_t z, const int32_t* size, uint32_t colour,
                             uint8_t mode, uint8_t unused, uint32_t additive);
    virtual int32_t GetWidth() const;
    virtual int32_t GetHeight() const;
    virtual int32_t GetOffsetX() const;
    virtual int32_t GetOffsetY() const;
    // Cuts the unit along the tile grid; false for a unit that is not in the sheet.
    virtual bool Build(CTexImage* image);

    // Takes a reference on the texture image and builds the sprite.
    bool Create(uint32_t number, uint32_t unit, bool mirror);
    bool IsTexImageReady() const;

    bool IsHidden() const { return m_hidden; }
    bool IsMirrored() const { return m_mirror; }
    uint32_t GetUnitIndex() const { return m_unit; }
    int32_t GetScreenX() const { return m_screenX; }
    int32_t GetScreenY() const { return m_screenY; }
    const SpriteGrid& Grid() const { return m_grid; }
    const SpriteShadowParams& Shadow() const { return m_shadow; }
    const std::vector<plat::raster::LitVertex>& Vertices() const { return m_vertices; }
    const std::vector<plat::raster::LitVertex>& ShadowVertices() const { return m_shadowVertices; }
    CObjSprite* GetOwner() const { return m_pOwner; }

protected:
    // What Build makes: the tile grid and four vertices a tile for the sprite
    // and for its shadow.
    SpriteGrid m_grid;
    std::vector<plat::raster::LitVertex> m_vertices;
    std::vector<plat::raster::LitVertex> m_shadowVertices;

private:
    const DtxUnit* Unit() const;
    // Draws each tile of the grid from its four vertices; a tile without
    // them is refused by the device, which is reported (when report is set).
    bool DrawTiles(const std::vector<plat::raster::LitVertex>& vertices, bool report);
    // The vertices with every quad cut to the clip, its texture coordinates
    // cut with it (a quad outside it collapses to nothing).
    std::vector<plat::raster::LitVertex> ClippedVertices(const plat::raster::Rect& clip) const;
    // A draw error is shown once per sprite, not every frame.
    void ReportOnce(const char* text);

    CObjSprite* m_pOwner;
    uint32_t m_unit = 0;
    bool m_mirror = false;
    float m_extraWidth = 0.0f, m_extraHeight = 0.0f;
    int32_t m_screenX = 0, m_screenY = 0, m_z = 0;
    bool m_hidden = false;
    SpriteShadowParams m_shadow;
    std::vector<ScreenQuad> m_quads, m_shadowQuads;
    bool m_errorReported = false;
};

class CObjSprite : public CMsgObject {
public:
    CObjSprite();
    ~CObjSprite() override;

    // No sprites, no name.
    bool Create() override;
    // Deletes every sprite.
    bool Release() override;

    // A sprite of unit index of texture image number, appended to the set.
    // Null for a unit the image does not have (reported) and for an 8-bit picture.
    CSprite* AddSprite(uint32_t number, int32_t index, bool mirror);

    int32_t GetSpriteCount() const { return int32_t(m_sprites.size()); }
    CSprite* GetSprite(int32_t i) const {
        return i >= 0 && size_t(i) < m_sprites.size() ? m_sprites[size_t(i)].get() : nullptr;
    }
    const char* GetName() const { return m_name; }
    void SetName(const char* name);

private:
    char m_name[128] = {};
    std::vector<std::unique_ptr<CSprite>> m_sprites;
};

// The one manager of the sprite sets.
class CObjSpriteMgr : public CObjectMgr {
public:
    ~CObjSpriteMgr() override;
    // False when no child has the id.
    bool DeleteChild(uint32_t id) override;
};

extern CObjSpriteMgr* g_pObjSpriteMgr;

// A new named sprite set added to the manager.
CObjSprite* CreateObjSprite(CObjSpriteMgr* manager, const char* name);
