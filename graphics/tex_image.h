// Texture images: numbered ".DTX" files holding either a sheet cut into
// 256 x 256 textures with its table of units, or an 8-bit multi-frame picture
// for software drawing. CTexImageMgr keeps at most one image per number
// (0-1999), loads it on first use and deletes it when its last sprite lets go.
#pragma once
#include <cstdint>
#include <memory>
#include <vector>

#include "core/base_object.h"
#include "graphics/dtx_format.h"

class CFileResource;
class CImageResource;
class CTextureResource;

constexpr uint32_t MAX_TEXIMAGE = 2000;

class CTexImage {
public:
    CTexImage();
    virtual ~CTexImage();
    CTexImage(const CTexImage&) = delete;
    CTexImage& operator=(const CTexImage&) = delete;

    // Loads "<number, 4 digits>.DTX" from the texture folder; on success the
    // image keeps the number.
    bool Load(int32_t number);
    // Reads the named ".DTX" (".DTX.ZIP" while compressed files are on) from the
    // texture folder. A file that does not check out leaves the image empty.
    bool LoadDtxTexture(const char* name);
    // The 8-bit path: the rest of the stream is a multi-frame picture.
    bool CreateImage2D(CFileResource* stream);

    // Units of a sheet, or frames of the 8-bit picture (0 when it has none).
    int32_t TotalUnits() const;
    bool IsSheet() const { return m_sheet3D != 0; }
    const DtxUnit* GetUnit(int32_t index) const;
    // The texture of tile t (row by row); null outside the sheet.
    CTextureResource* GetTile(int32_t t) const;

    // The 8-bit picture's frames: width, height and the four signed 16-bit
    // values at the start of a frame record; 0 outside the frames.
    int32_t GetFrameWidth(int32_t frame) const;
    int32_t GetFrameHeight(int32_t frame) const;
    int16_t GetFrameValue(int32_t frame, int32_t which) const;
    CImageResource* GetPicture() const { return m_picture.get(); }

    uint16_t m_number = 0;
    uint8_t m_tileCount = 0, m_tileColumns = 0, m_tileRows = 0;
    char m_fileName[32] = {};
    int32_t m_sheetWidth = 0, m_sheetHeight = 0;
    uint8_t m_kind = 0;      // 0 sheet, 1 or 2 picture
    uint32_t m_sheet3D = 0;  // non-zero for a sheet (the sprites' ready flag)
    int32_t m_refCount = 0;  // sprites using the image
    uint8_t m_version = 0;

private:
    void Free();

    std::vector<CTextureResource*> m_tiles;
    std::vector<uint32_t> m_tileIds;
    std::vector<DtxUnit> m_units;
    std::unique_ptr<CImageResource> m_picture;
};

class CTexImageMgr : public CMsgObject {
public:
    CTexImageMgr();
    ~CTexImageMgr() override;

    // Every slot empty.
    bool Init();
    // Deletes every image, whatever its count.
    bool Release() override;

    // The image of the number, loaded on first use (and kept even when the load
    // failed, empty). Null for numbers of 2000 and above. The count is unchanged.
    CTexImage* CreateNewTexImage(uint32_t number);
    // One sprite lets go: the last one deletes the image.
    bool ReleaseTexImage(uint32_t number);
    CTexImage* GetTexImage(uint32_t number) const;

private:
    std::vector<std::unique_ptr<CTexImage>> m_slots;
};

extern CTexImageMgr* g_pTexImageMgr;
