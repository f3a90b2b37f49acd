#include "graphics/tex_image.h"

#include <gtest/gtest.h>

#include <cmath>

#include "data/pack_writer.h"
#include "graphics/image_resource.h"
#include "graphics/sprite.h"
#include "picture_fixture.h"
#include "picture_helpers.h"

namespace {

using plat::raster::PixelFormat;
using qmtest::SheetUnit;

// A sheet of columns x rows tiles whose pixel (x, y) is Texel(x, y).
uint16_t Texel(int x, int y) {
    return uint16_t(0xF000 | ((x * 7 + y * 3) & 0x0FFF));
}

std::vector<uint16_t> Sheet(uint32_t w, uint32_t h) {
    std::vector<uint16_t> px(size_t(w) * h);
    for (uint32_t y = 0; y < h; ++y)
        for (uint32_t x = 0; x < w; ++x) px[size_t(y) * w + x] = Texel(int(x), int(y));
    return px;
}

class TexImageTest : public PictureFixture {
protected:
    void SetUp() override {
        PictureFixture::SetUp();
        BringUpPictures();
    }

    void WriteSheet(const std::string& name, uint8_t version, const std::vector<DtxUnit>& units, uint32_t w,
                    uint32_t h, std::vector<uint16_t> sheet = {}) {
        if (sheet.empty()) sheet = Sheet(w, h);
        WriteTexture(name, WriteDtxSheet(version, units, w, h, SheetToTiles(sheet.data(), w, h)));
    }

    uint16_t TileTexel(CTexImage* image, int tile, int x, int y) {
        return image->GetTile(tile)->Surface()->Pixels().At(x, y);
    }
};

TEST_F(TexImageTest, MagentaIsTransparentBeforeVersionFour) {
    std::vector<uint16_t> sheet = Sheet(256, 256);
    sheet[0] = 0xFF0F;  // opaque magenta
    sheet[1] = 0xF123;
    WriteSheet("0003", 3, {SheetUnit(0, 0, 8, 8)}, 256, 256, sheet);
    WriteSheet("0004", 4, {SheetUnit(0, 0, 8, 8)}, 256, 256, sheet);
    CTexImage* v3 = m_texImages.CreateNewTexImage(3);
    CTexImage* v4 = m_texImages.CreateNewTexImage(4);
    ASSERT_TRUE(v3 && v3->IsSheet() && v4 && v4->IsSheet());
    EXPECT_EQ(v3->m_number, 3);
    EXPECT_EQ(v3->m_version, 3);
    EXPECT_EQ(TileTexel(v3, 0, 0, 0), 0x0F0F);
    EXPECT_EQ(TileTexel(v3, 0, 1, 0), 0xF123);
    EXPECT_EQ(TileTexel(v4, 0, 0, 0), 0xFF0F);
    EXPECT_EQ(TileTexel(v4, 0, 5, 9), Texel(5, 9));
    EXPECT_STREQ(v4->m_fileName, "0004");
}

TEST_F(TexImageTest, SheetOf300PixelsIsOneTileAndItsTexturesGoWithIt) {
    auto bytes = WriteDtxSheet(4, {SheetUnit(10, 10, 100, 100), SheetUnit(0, 0, 5, 5)}, 300, 300,
                               SheetToTiles(Sheet(300, 300).data(), 300, 300));
    bytes.resize(bytes.size() + 3 * DTX_TILE_BYTES, 0x55);  // pixel data beyond the whole tiles
    WriteTexture("1999", bytes);
    CTexImage* image = m_texImages.CreateNewTexImage(1999);
    ASSERT_TRUE(image && image->IsSheet());
    EXPECT_EQ(image->m_tileCount, 1);
    EXPECT_EQ(image->TotalUnits(), 2);
    EXPECT_EQ(image->m_sheetWidth, 300);
    EXPECT_EQ(TileTexel(image, 0, 255, 255), Texel(255, 255));
    EXPECT_EQ(m_textureCache->ChildCount(), 2);  // the tile and the image manager's work texture
    EXPECT_EQ(image->GetTile(0)->m_tileUses, 1);
    image->m_refCount = 1;
    EXPECT_TRUE(m_texImages.ReleaseTexImage(1999));
    EXPECT_EQ(m_texImages.GetTexImage(1999), nullptr);
    EXPECT_EQ(m_textureCache->ChildCount(), 1);
}

TEST_F(TexImageTest, BadSheetsLoadEmpty) {
    WriteTexture("0007", WriteDtxSheet(4, {SheetUnit(0, 0, 1, 1)}, 4096, 4096, {}));  // 256 tiles
    auto shortTiles = WriteDtxSheet(4, {SheetUnit(0, 0, 1, 1)}, 512, 256, std::vector<uint16_t>(2 * 65536));
    shortTiles.resize(shortTiles.size() - 2);
    WriteTexture("0008", shortTiles);
    for (uint32_t n : {7u, 8u, 9u /* missing */}) {
        CTexImage* image = m_texImages.CreateNewTexImage(n);
        ASSERT_TRUE(image) << n;
        EXPECT_FALSE(image->IsSheet()) << n;
        EXPECT_EQ(image->TotalUnits(), 0) << n;
        EXPECT_EQ(image->GetTile(0), nullptr) << n;
    }
    EXPECT_EQ(m_textureCache->ChildCount(), 1);  // only the work texture
}

TEST_F(TexImageTest, PicturesAndTheirFrames) {
    FramePicture pic;
    pic.palette.assign(256, 0);
    pic.palette[3] = 0xF800;
    const std::vector<uint8_t> grid = {3, 3, 0, 3, 3, 3};
    AddIndexedFrame(pic, grid.data(), 3, 2, 0);
    pic.frames[0].SetHeadValue(0, -4);
    pic.frames[0].SetHeadValue(2, 9);
    WriteTexture("0020", WriteDtxPicture(3, 2, pic));
    FramePicture plain;
    const std::vector<uint16_t> px = {0x1234, 0x4321};
    AddFrame(plain, px.data(), 2, 1, 0xF81F);
    WriteTexture("0021", WriteDtxPicture(2, 1, plain));

    CTexImage* indexed = m_texImages.CreateNewTexImage(20);
    ASSERT_TRUE(indexed && indexed->GetPicture());
    EXPECT_FALSE(indexed->IsSheet());
    EXPECT_EQ(indexed->m_kind, 2);
    EXPECT_TRUE(indexed->GetPicture()->IsPalettised());
    EXPECT_EQ(indexed->TotalUnits(), 1);
    EXPECT_EQ(indexed->GetFrameWidth(0), 3);
    EXPECT_EQ(indexed->GetFrameHeight(0), 2);
    EXPECT_EQ(indexed->GetFrameValue(0, 0), -4);
    EXPECT_EQ(indexed->GetFrameValue(0, 2), 9);
    EXPECT_EQ(indexed->GetFrameWidth(1), 0);
    EXPECT_EQ(indexed->GetFrameValue(-1, 0), 0);
    CTexImage* direct = m_texImages.CreateNewTexImage(21);
    ASSERT_TRUE(direct && direct->GetPicture());
    EXPECT_EQ(direct->m_kind, 1);
    EXPECT_FALSE(direct->GetPicture()->IsPalettised());
}

TEST_F(TexImageTest, CompressedFilesAreReadWhenSwitchedOn) {
    const auto plain =
        WriteDtxSheet(4, {SheetUnit(0, 0, 2, 2)}, 256, 256, SheetToTiles(Sheet(256, 256).data(), 256, 256));
    m_dir.WriteFile("0030.DTX.ZIP", BuildCompressedFile(plain));
    g_bUseCompressedFiles = true;
    CTexImage* image = m_texImages.CreateNewTexImage(30);
    ASSERT_TRUE(image && image->IsSheet());
    EXPECT_EQ(TileTexel(image, 0, 3, 4), Texel(3, 4));
}

TEST_F(TexImageTest, NumbersOutsideTheTableAndReleaseCounts) {
    EXPECT_EQ(m_texImages.CreateNewTexImage(2000), nullptr);
    EXPECT_FALSE(m_texImages.ReleaseTexImage(2000));
    ASSERT_EQ(m_boxes.Boxes().size(), 2u);
    EXPECT_EQ(m_boxes.Boxes()[0].text, "TexImage Index Overflow.");
    EXPECT_EQ(m_boxes.Boxes()[0].caption, "CTexImageMgr::CreateNewTexImage() error");
    EXPECT_EQ(m_boxes.Boxes()[1].caption, "CTexImageMgr::ReleaseTexImage() error");

    EXPECT_TRUE(m_texImages.ReleaseTexImage(12));  // empty slot
    WriteSheet("0012", 4, {SheetUnit(0, 0, 2, 2)}, 256, 256);
    CTexImage* image = m_texImages.CreateNewTexImage(12);
    ASSERT_TRUE(image);
    EXPECT_EQ(m_texImages.CreateNewTexImage(12), image);  // one image per number
    EXPECT_EQ(image->m_refCount, 0);
    EXPECT_TRUE(m_texImages.ReleaseTexImage(12));  // nobody holds it: stays, count stays 0
    EXPECT_EQ(m_texImages.GetTexImage(12), image);
    EXPECT_EQ(image->m_refCount, 0);
}

// ---- Sprites ----

class SpriteTest : public TexImageTest {
protected:
    void SetUp() override {
        TexImageTest::SetUp();
        g_pObjSpriteMgr = &m_sprites;
    }
    void TearDown() override {
        m_sprites.DeleteAllChildren();
        g_pObjSpriteMgr = nullptr;
        TexImageTest::TearDown();
    }

    uint16_t Shown(int x, int y) {
        return plat::raster::Pack(PixelFormat::kRgb565,
                                  plat::raster::Unpack(PixelFormat::kArgb4444, Texel(x, y)));
    }

    CObjSpriteMgr m_sprites;
};

TEST_F(SpriteTest, UnitsBeyondTheImageAndPicturesGiveNoSprite) {
    WriteSheet("0005", 4, {SheetUnit(0, 0, 8, 8), SheetUnit(250, 0, 10, 8)}, 256, 256);
    FramePicture pic;
    const std::vector<uint16_t> px = {0x1234};
    AddFrame(pic, px.data(), 1, 1, 0xF81F);
    WriteTexture("0006", WriteDtxPicture(4, 1, pic));
    CObjSprite* set = CreateObjSprite(&m_sprites, "0042");
    ASSERT_TRUE(set);
    EXPECT_STREQ(set->GetName(), "0042");
    EXPECT_EQ(set->AddSprite(5, 2, false), nullptr);
    ASSERT_EQ(m_boxes.Boxes().size(), 1u);
    EXPECT_EQ(m_boxes.Boxes()[0].text,
              "CObjSprite::AddSprite() Error, iIndex[2]>=Texture[0005].TotalUnit[2]");
    EXPECT_EQ(set->AddSprite(6, 0, false), nullptr);  // an 8-bit picture: no sprite, no message
    EXPECT_EQ(m_boxes.Boxes().size(), 1u);
    EXPECT_EQ(set->AddSprite(5, 1, false), nullptr);  // runs past the sheet's only tile column
    EXPECT_EQ(m_boxes.Boxes().size(), 2u);
    EXPECT_EQ(m_texImages.GetTexImage(5), nullptr);  // the refused sprite gave its reference back
    EXPECT_NE(set->AddSprite(5, 0, false), nullptr);
    EXPECT_EQ(set->GetSpriteCount(), 1);
    EXPECT_EQ(m_texImages.GetTexImage(5)->m_refCount, 1);
    EXPECT_TRUE(m_sprites.DeleteChild(set->GetId()));
    EXPECT_EQ(m_texImages.GetTexImage(5), nullptr);  // the last sprite let the image go
    EXPECT_FALSE(m_sprites.DeleteChild(12345));
}

TEST_F(SpriteTest, DrawnSpriteShowsItsUnitAtTheAnchor) {
    WriteSheet("0005", 4, {SheetUnit(0, 0, 4, 4), SheetUnit(16, 32, 20, 10, -10, -6)}, 256, 256);
    CObjSprite* set = CreateObjSprite(&m_sprites, "a");
    CSprite* sprite = set->AddSprite(5, 1, false);
    ASSERT_TRUE(sprite && sprite->IsTexImageReady());
    EXPECT_EQ(sprite->GetWidth(), 20);
    EXPECT_EQ(sprite->GetOffsetX(), -10);
    ClearTarget(0);
    sprite->SetPosition(100, 100, 0, nullptr, 0xFFFFFFFFu, 0, 0, 0);
    EXPECT_FALSE(sprite->IsHidden());
    sprite->Draw(false);
    for (int y = 0; y < 10; ++y)
        for (int x = 0; x < 20; ++x)
            ASSERT_EQ(TargetAt(90 + x, 94 + y), Shown(16 + x, 32 + y)) << x << "," << y;
    EXPECT_EQ(TargetAt(89, 94), 0);
    EXPECT_EQ(TargetAt(110, 94), 0);
    EXPECT_EQ(TargetAt(90, 104), 0);

    // Mirrored: columns reversed, offset -(width + anchor x).
    CSprite* mirrored = set->AddSprite(5, 1, true);
    ASSERT_TRUE(mirrored);
    EXPECT_EQ(mirrored->GetOffsetX(), -(20 - 10));
    ClearTarget(0);
    mirrored->SetPosition(100, 100, 0, nullptr, 0xFFFFFFFFu, 0, 0, 0);
    mirrored->Draw(false);
    for (int x = 0; x < 20; ++x) ASSERT_EQ(TargetAt(90 + x, 94), Shown(16 + 19 - x, 32)) << x;
}

TEST_F(SpriteTest, HiddenSpritesKeepTheirVerticesAndOffsetShadows) {
    WriteSheet("0005", 4, {SheetUnit(0, 0, 8, 6)}, 256, 256);
    CSprite* sprite = CreateObjSprite(&m_sprites, "a")->AddSprite(5, 0, false);
    ASSERT_TRUE(sprite);
    sprite->SetPosition(50, 60, 0, nullptr, 0xFFFFFFFFu, SPRITE_SHADOW_OFFSET, 0, 0);
    const auto before = sprite->Vertices();
    sprite->SetPosition(801, 60, 0, nullptr, 0xFFFFFFFFu, 0, 0, 0);  // right of the screen
    EXPECT_TRUE(sprite->IsHidden());
    EXPECT_EQ(sprite->Vertices()[0].x, before[0].x);
    sprite->SetPosition(-17, 60, 0, nullptr, 0xFFFFFFFFu, 0, 0, 0);  // x + 2 x width < 0
    EXPECT_TRUE(sprite->IsHidden());
    sprite->SetPosition(-16, 60, 0, nullptr, 0xFFFFFFFFu, 0, 0, 0);
    EXPECT_FALSE(sprite->IsHidden());

    // Mode 1: the silhouette 10 right and 5 down in half-transparent black.
    ClearTarget(0xFFFF);
    sprite->SetPosition(50, 60, 0, nullptr, 0xFFFFFFFFu, SPRITE_SHADOW_OFFSET, 0, 0);
    sprite->DrawShadow();
    const uint16_t half = TargetAt(60, 65);
    EXPECT_NE(half, 0xFFFF);
    EXPECT_NEAR(half >> 11, 15, 1);
    EXPECT_EQ(TargetAt(67, 70), half);
    EXPECT_EQ(TargetAt(68, 65), 0xFFFF);
    EXPECT_EQ(TargetAt(60, 71), 0xFFFF);
    EXPECT_EQ(TargetAt(59, 65), 0xFFFF);
    sprite->Draw(true);  // grey stages on and back off
    EXPECT_NE(TargetAt(50, 60), 0xFFFF);
}

TEST_F(SpriteTest, AMissingTileIsReportedOnceAndSkipped) {
    WriteSheet("0005", 4, {SheetUnit(0, 0, 8, 8), SheetUnit(260, 0, 10, 8)}, 512, 256);
    CSprite* sprite = CreateObjSprite(&m_sprites, "a")->AddSprite(5, 1, false);
    ASSERT_TRUE(sprite);
    // The image is read again from a sheet one tile wide: the sprite's tile column is gone.
    WriteSheet("narrow", 4, {SheetUnit(0, 0, 8, 8), SheetUnit(0, 0, 10, 8)}, 256, 256);
    CTexImage* image = m_texImages.GetTexImage(5);
    ASSERT_TRUE(image->LoadDtxTexture("narrow"));
    image->m_number = 5;
    image->m_refCount = 1;
    ClearTarget(0);
    sprite->SetPosition(100, 100, 0, nullptr, 0xFFFFFFFFu, 0, 0, 0);
    EXPECT_TRUE(sprite->Draw(false));
    EXPECT_TRUE(sprite->Draw(false));
    ASSERT_EQ(m_boxes.Boxes().size(), 1u) << "once per sprite, not every frame";
    EXPECT_EQ(m_boxes.Boxes()[0].text, "SetTexture Failed");
}

// A sprite whose last tile lost a vertex: its draw hands the device an index
// list that points past the tile's vertices.
class ShortSprite : public CSprite {
public:
    using CSprite::CSprite;
    bool Build(CTexImage* image) override {
        if (!CSprite::Build(image)) return false;
        m_vertices.pop_back();
        return true;
    }
};

TEST_F(SpriteTest, ADrawTheDeviceRefusesIsReportedOnceAndTheOtherTilesDrawn) {
    WriteSheet("0005", 4, {SheetUnit(250, 0, 10, 8)}, 512, 256);
    CObjSprite* set = CreateObjSprite(&m_sprites, "a");
    ShortSprite sprite(set);
    ASSERT_TRUE(sprite.Create(5, 0, false));
    ASSERT_EQ(sprite.Grid().TileCount(), 2);
    ClearTarget(0);
    sprite.SetPosition(100, 100, 0, nullptr, 0xFFFFFFFFu, 0, 0, 0);
    EXPECT_TRUE(sprite.Draw(false));
    EXPECT_TRUE(sprite.Draw(false));
    ASSERT_EQ(m_boxes.Boxes().size(), 1u) << "once per sprite, not every frame";
    EXPECT_EQ(m_boxes.Boxes()[0].text, "DrawIndexedPrimitive Failed [Error : DDERR_INVALIDPARAMS]");
    EXPECT_EQ(m_boxes.Boxes()[0].caption, "Z5MessageBox");
    EXPECT_EQ(TargetAt(100, 100), Shown(250, 0)) << "the first tile is drawn";
    EXPECT_EQ(TargetAt(108, 100), 0) << "the refused one is not";
    sprite.DrawShadow();
    EXPECT_EQ(m_boxes.Boxes().size(), 1u) << "the shadow reports nothing";
}

TEST_F(SpriteTest, OnePixelTallUnit) {
    WriteSheet("0005", 4, {SheetUnit(0, 0, 8, 1)}, 256, 256);
    CSprite* sprite = CreateObjSprite(&m_sprites, "a")->AddSprite(5, 0, false);
    ASSERT_TRUE(sprite);
    EXPECT_TRUE(std::isfinite(sprite->Shadow().lengthFactor));
    sprite->SetPosition(10, 10, 0, nullptr, 0xFFFFFFFFu, SPRITE_SHADOW_PROJECTED, 0, 0);
    for (const auto& v : sprite->ShadowVertices()) EXPECT_TRUE(std::isfinite(v.x) && std::isfinite(v.y));
}

}  // namespace
