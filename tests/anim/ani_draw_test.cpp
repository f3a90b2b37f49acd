// Animations drawn headless onto the render target: sprites of a texture
// sheet (plain, mirrored, tinted), a frame of an 8-bit picture blitted in
// software, and a child animation; the render command draws the same frame.
#include <gtest/gtest.h>

#include "anim/ani_mgr.h"
#include "anim/ani_node.h"
#include "anim/ani_object.h"
#include "anim/ani_object_hooks.h"
#include "anim/obj_ani.h"
#include "data/char_resource_mgr.h"
#include "graphics/device_set.h"
#include "graphics/dib.h"
#include "graphics/direct3d.h"
#include "graphics/direct_draw.h"
#include "graphics/image_mgr.h"
#include "graphics/image_resource.h"
#include "graphics/sprite.h"
#include "graphics/texture_resource.h"
#include "tests/anim/ani_test_util.h"
#include "tests/graphics/picture_fixture.h"
#include "tests/graphics/picture_helpers.h"
#include "tests/support/tool_run.h"
#include "tools/qmani/ani_tool.h"

using namespace anitest;

namespace {

constexpr uint16_t kRed = 0xF800, kGreen = 0x07E0, kBlue = 0x001F, kWhite = 0xFFFF, kCyan = 0x07FF;

AniFileElement At(AniFileElement e, int16_t x, int16_t y) {
    e.flags |= ANI_IMAGE_OFFSET;
    e.x = x;
    e.y = y;
    return e;
}

AniFileElement Coloured(AniFileElement e, uint16_t argb4444) {
    e.flags |= ANI_IMAGE_COLOR;
    e.color = argb4444;
    return e;
}

void WriteAni(qmtest::TempDir& dir, uint32_t number, const AniFile& file) {
    char name[16];
    snprintf(name, sizeof name, "%04u.z5a", number);
    dir.WriteFile(name, WriteAniFile(file));
}

// Texture 1: a sheet with unit 0 (8 x 6, red left half, green right half)
// and unit 1 (8 x 6 white). Texture 2: a 16-bit picture of one 4 x 2 frame.
// Animation 1 shows, in one layer each: unit 0 at (0, 0), unit 0 mirrored at
// (20, 0), unit 1 tinted green at (40, 0), the picture tinted cyan at (60, 0)
// and animation 2 as a child at (0, 20), which shows the picture mirrored.
void WriteFixture(qmtest::TempDir& dir) {
    std::vector<uint16_t> sheet(256 * 256, 0);
    for (int y = 0; y < 6; ++y)
        for (int x = 0; x < 8; ++x) {
            sheet[size_t(y) * 256 + x] = x < 4 ? 0xFF00 : 0xF0F0;
            sheet[size_t(y) * 256 + 16 + x] = 0xFFFF;
        }
    dir.WriteFile("0001.DTX",
                  WriteDtxSheet(4, {qmtest::SheetUnit(0, 0, 8, 6), qmtest::SheetUnit(16, 0, 8, 6)}, 256, 256,
                                SheetToTiles(sheet.data(), 256, 256)));
    FramePicture picture;
    const uint16_t px[8] = {kBlue, kWhite, kRed, kGreen, kBlue, kWhite, kRed, kGreen};
    AddFrame(picture, px, 4, 2, 0xF81F);
    dir.WriteFile("0002.DTX", WriteDtxPicture(4, 1, picture));

    const AniFileElement hold = Hold(60);
    WriteAni(dir, 1,
             File(14, {Motion(0, {Direction(1, {
                                                   Layer({At(Image(0, 1, 0), 0, 0), hold}),
                                                   Layer({At(Image(0, 1, 0, ANI_IMAGE_MIRROR), 20, 0), hold}),
                                                   Layer({Coloured(At(Image(0, 1, 1), 40, 0), 0xF0F0), hold}),
                                                   Layer({Coloured(At(Image(0, 2, 0), 60, 0), 0xF0FF), hold}),
                                                   Layer({[] {
                                                              AniFileElement c = Child(0, 2);
                                                              c.y = 20;
                                                              return c;
                                                          }(),
                                                          Image(61)}),
                                               })})}));
    WriteAni(dir, 2, OneLayer({At(Image(0, 2, 0, ANI_IMAGE_SWITCH6), 0, 0), hold}));
}

class AniDrawTest : public PictureFixture {
protected:
    void SetUp() override {
        PictureFixture::SetUp();
        BringUpPictures();
        g_pObjSpriteMgr = &m_sprites;
        m_oldAniFolder = g_config.m_folders[FOLDER_ANIMATION];
        g_config.m_folders[FOLDER_ANIMATION] = m_dir.Path();
        g_pAniMgr = &m_anis;
        WriteFixture(m_dir);
    }
    void TearDown() override {
        m_anis.ReleaseAll();
        g_pAniMgr = nullptr;
        g_config.m_folders[FOLDER_ANIMATION] = m_oldAniFolder;
        m_sprites.DeleteAllChildren();
        g_pObjSpriteMgr = nullptr;
        PictureFixture::TearDown();
    }

    std::vector<uint16_t> Row(int x, int y, int n) {
        std::vector<uint16_t> row;
        for (int i = 0; i < n; ++i) row.push_back(TargetAt(x + i, y));
        return row;
    }

    plat::FakeClock m_clock{50000};
    plat::ScopedClock m_scopedClock{m_clock};
    CObjSpriteMgr m_sprites;
    CAniMgr m_anis;
    std::string m_oldAniFolder;
};

}  // namespace

TEST_F(AniDrawTest, AFrameShowsSpritesPicturesAndChildren) {
    CAniObject object;
    ASSERT_TRUE(object.SetAnimation(1));
    object.SetMotion(0);
    object.SetScreenPosition(100, 100, 0);
    object.Play(false);
    m_clock.Advance(5 * 33);
    object.Update();
    ClearTarget(0);
    object.Draw();

    using V = std::vector<uint16_t>;
    for (int y = 100; y < 106; ++y) {
        SCOPED_TRACE(y);
        // Unit 0 at its anchor.
        EXPECT_EQ(Row(100, y, 8), (V{kRed, kRed, kRed, kRed, kGreen, kGreen, kGreen, kGreen}));
        // Mirrored: left of the anchor, columns reversed.
        EXPECT_EQ(Row(112, y, 8), (V{kGreen, kGreen, kGreen, kGreen, kRed, kRed, kRed, kRed}));
        // White tinted by the node's colour (red 0, green 255, blue 0).
        EXPECT_EQ(Row(140, y, 8), V(8, kGreen));
    }
    EXPECT_EQ(TargetAt(108, 100), 0);
    EXPECT_EQ(TargetAt(111, 100), 0);
    EXPECT_EQ(TargetAt(100, 106), 0);
    // The picture in software, tinted by (0, 1, 1).
    EXPECT_EQ(Row(160, 100, 5), (V{kBlue, kCyan, 0, kGreen, 0}));
    EXPECT_EQ(Row(160, 101, 4), (V{kBlue, kCyan, 0, kGreen}));
    // The child animation at (0, 20) shows the picture mirrored by flag bit 6.
    EXPECT_EQ(Row(100, 120, 4), (V{kGreen, kRed, kWhite, kBlue}));
    EXPECT_EQ(Row(100, 121, 4), (V{kGreen, kRed, kWhite, kBlue}));
    // Bounds: the images of the layers (the child node counts for none).
    EXPECT_EQ(object.m_bounds, (AniRect{100, 100, 164, 106}));
    EXPECT_EQ(object.m_offScreen, 0);
}

TEST_F(AniDrawTest, AClipCutsASpriteWithItsTexture) {
    CAniObject object;
    ASSERT_TRUE(object.SetAnimation(1));
    object.SetMotion(0);
    object.Play(false);
    m_clock.Advance(5 * 33);
    object.Update();
    using V = std::vector<uint16_t>;
    // Unit 0 (red left, green right) cut to columns 2-5 and rows 1-3.
    object.SetScreenPosition(100, 100, 0);
    object.m_clipOn = 1;
    object.m_clip = AniRect{102, 101, 106, 104};
    ClearTarget(0);
    object.Draw();
    EXPECT_EQ(Row(100, 100, 8), V(8, 0));
    for (int y = 101; y < 104; ++y)
        EXPECT_EQ(Row(100, y, 8), (V{0, 0, kRed, kRed, kGreen, kGreen, 0, 0})) << y;
    EXPECT_EQ(Row(100, 104, 8), V(8, 0));
    // The mirrored copy at (112, 100) is outside the clip: nothing of it.
    EXPECT_EQ(Row(112, 102, 8), V(8, 0));
    object.m_clipOn = 0;
    ClearTarget(0);
    object.Draw();
    EXPECT_EQ(Row(100, 100, 8), (V{kRed, kRed, kRed, kRed, kGreen, kGreen, kGreen, kGreen}));
}

TEST_F(AniDrawTest, MirroringByDirectionAndOwnerColours) {
    CAniObject object;
    ASSERT_TRUE(object.SetAnimation(2));
    object.SetMotion(0);
    object.SetScreenPosition(50, 50, 0);
    object.Play(false);
    object.Update();
    ClearTarget(0);
    object.Draw();
    EXPECT_EQ(Row(50, 50, 4), (std::vector<uint16_t>{kGreen, kRed, kWhite, kBlue}));
    // Facing direction 4 mirrors as well: with flag bit 6 the two cancel out,
    // and the draw offset of the frame (0 wide of the anchor) is mirrored too.
    object.m_direction = 4;
    object.m_colorSwitch = 1;
    const uint8_t half[4] = {255, 128, 255, 255};
    std::copy(half, half + 4, object.m_drawColor);
    ClearTarget(0);
    object.Draw();
    EXPECT_EQ(Row(46, 50, 4), (std::vector<uint16_t>{kBlue, 0xFBFF, kRed, 0x03E0}));
}

TEST_F(AniDrawTest, AfterimagesAreFadingSilhouettesOfTheFrame) {
    FakeField field;
    AniServiceSet services;
    services.field = &field;
    ScopedServices scoped(services);
    CAniObject object;
    ASSERT_TRUE(object.SetAnimation(1));
    object.SetMotion(0);
    object.SetScreenPosition(100, 100, 0);
    object.SetOwner(reinterpret_cast<CChar*>(0x5000));
    object.Play(false);
    object.Update();
    object.StartTrail();
    object.UpdateTrail();
    EXPECT_TRUE(object.m_afterimages.empty());  // not before the interval has passed
    m_clock.Advance(51);
    object.Update();
    object.UpdateTrail();
    ASSERT_EQ(object.m_afterimages.size(), 1u);
    const AniAfterimage a = object.m_afterimages[0];
    EXPECT_EQ(a.m_left, 100);
    EXPECT_EQ(a.m_width, 64);
    EXPECT_EQ(a.m_height, 6);
    EXPECT_EQ(object.m_screenX, 100);  // the position is back
    EXPECT_EQ(object.m_targetExplicit, 0);
    CTextureResource* texture = g_pDirect3D->GetTexture(a.m_texture);
    ASSERT_NE(texture, nullptr);
    const plat::raster::Surface& px = texture->Surface()->Pixels();
    // Sprites and the software frame leave white silhouettes; the rest stays clear.
    for (int x : {0, 7, 12, 19, 40, 47}) EXPECT_EQ(px.At(x, 3), 0xFFFF) << x;
    for (int x : {8, 11, 20, 39, 48, 59, 60}) EXPECT_EQ(px.At(x, 3), 0) << x;
    for (int x : {60, 63}) EXPECT_EQ(px.At(x, 1), 0xFFFF) << x;  // the 2-row frame

    // Drawn back as a blue quad that fades over 700 ms, following the map's scroll.
    field.view.m_cameraX = 0;
    ClearTarget(0);
    object.DrawTrail();
    const uint16_t ghost = TargetAt(100, 103);
    EXPECT_NE(ghost, 0);
    EXPECT_EQ(TargetAt(108, 103), 0);
    EXPECT_GT(ghost & 0x1F, (ghost >> 11) & 0x1F);  // more blue than red
    m_clock.Advance(700);
    object.UpdateTrail();
    EXPECT_EQ(object.m_afterimages.size(), 2u);  // 700 ms old: still there
    m_clock.Advance(1);
    object.StopTrail();
    object.UpdateTrail();
    EXPECT_EQ(object.m_afterimages.size(), 1u);
    object.StartTrail();
    m_clock.Advance(51);
    object.UpdateTrail();
    EXPECT_EQ(object.m_afterimages.size(), 2u);
    EXPECT_NE(object.m_afterimages[0].m_time, a.m_time);  // the first one went
    EXPECT_EQ(g_pDirect3D->GetTexture(a.m_texture), nullptr);
    object.ClearTrail();
    EXPECT_TRUE(object.m_afterimages.empty());

    // Bounds of 255 pixels or more make no afterimage.
    object.m_bounds = AniRect{0, 0, 255, 10};
    EXPECT_FALSE(object.CaptureAfterimage());
    object.m_bounds = AniRect{0, 0, 254, 10};
    EXPECT_TRUE(object.CaptureAfterimage());
}

TEST_F(AniDrawTest, UnderlayShadowsAndHiddenObjects) {
    // Animation 3: the picture casting a shadow (flag bit 4). Animation 5, named
    // "Circle_Shadow": the shared circle shadow, motion 1 (size 1), direction 2.
    WriteAni(m_dir, 3, OneLayer({At(Image(0, 2, 0, ANI_IMAGE_SHADOW), 0, 0), Hold(60)}));
    WriteAni(m_dir, 5, OneLayer({At(Image(0, 2, 0), 10, 10), Hold(60)}, 14, 1, 2));
    AniServiceSet services;
    struct Names : IAniNameLookup {
        uint32_t FindAniByName(const char* name) override {
            return std::string(name) == "Circle_Shadow" ? 5u : 0u;
        }
    } names;
    services.names = &names;
    ScopedServices scoped(services);
    ScopedShadowSpriteFactory shadows(AniShadowSprites());
    CCharResourceMgr resources;
    g_pCharResourceMgr = &resources;
    const uint8_t oldCircle = g_options.GetByte(ANI_OPT_CIRCLE_SHADOW);
    const uint8_t oldHide = g_options.GetByte(ANI_OPT_HIDE_HIDEABLE);
    g_options.SetByte(ANI_OPT_CIRCLE_SHADOW, 0);
    g_options.SetByte(31, 0);  // hard shadows

    CAniObject object;
    ASSERT_TRUE(object.SetAnimation(3));
    object.SetMotion(0);
    object.SetScreenPosition(50, 50, 0);
    object.SetUnderlay(true);
    object.Play(false);
    object.Update();
    ClearTarget(0xAAAA);
    object.Draw();
    // The frame's own shadow falls on its bottom row and is then drawn over;
    // nothing above it changes.
    EXPECT_EQ(Row(50, 49, 4), std::vector<uint16_t>(4, 0xAAAA));
    EXPECT_EQ(Row(50, 50, 4), (std::vector<uint16_t>{kBlue, kWhite, kRed, kGreen}));
    EXPECT_EQ(TargetAt(60, 60), 0xAAAA);
    // The circle shadow instead, when the option asks for it.
    g_options.SetByte(ANI_OPT_CIRCLE_SHADOW, 1);
    object.Draw();
    EXPECT_EQ(Row(60, 60, 4), (std::vector<uint16_t>{kBlue, kWhite, kRed, kGreen}));
    // Without the underlay there is no shadow pass.
    ClearTarget(0);
    object.SetUnderlay(false);
    object.Draw();
    EXPECT_EQ(TargetAt(60, 60), 0);
    // Hideable objects are not drawn while the option hides them.
    object.SetHideable(1);
    g_options.SetByte(ANI_OPT_HIDE_HIDEABLE, 1);
    ClearTarget(0);
    object.Draw();
    EXPECT_EQ(TargetAt(50, 50), 0);
    g_options.SetByte(ANI_OPT_CIRCLE_SHADOW, oldCircle);
    g_options.SetByte(ANI_OPT_HIDE_HIDEABLE, oldHide);
    g_pCharResourceMgr = nullptr;
}

TEST_F(AniDrawTest, PictureObjectsDrawOnlyTheChildrenBeforeThemselves) {
    const uint16_t grid[6] = {kRed, kGreen, kBlue, kRed, kGreen, kBlue};
    const std::string path =
        m_dir.WriteFile("pic.bin", WriteSpanPicture(MakeSpanPicture(grid, 3, 2, 0xF81F), false));
    CImageFileResource picture(path.c_str(), 2);
    CAniObject object, under, over;
    object.SetSpriteRef(&picture);
    object.SetScreenPosition(10, 10, 0);
    object.m_imageOffsetX = 5;
    ASSERT_TRUE(under.SetAnimation(2));
    ASSERT_TRUE(over.SetAnimation(2));
    under.AttachToParent(&object, -1);
    over.AttachToParent(&object, 1);
    under.SetMotion(0);
    over.SetMotion(0);
    over.m_drawOffsetY = 5;  // would show below the picture
    object.Play(false);
    object.Update();
    ClearTarget(0);
    object.Draw();
    EXPECT_EQ(Row(15, 10, 3), (std::vector<uint16_t>{kRed, kGreen, kBlue}));
    // Children take the parent's position: the one before the picture is drawn
    // (under it), the one after is not.
    EXPECT_EQ(Row(10, 10, 4), (std::vector<uint16_t>{kGreen, kRed, kWhite, kBlue}));
    EXPECT_EQ(Row(10, 15, 4), std::vector<uint16_t>(4, 0));
    over.DetachFromParent(&object);
    under.DetachFromParent(&object);
    ClearTarget(0);
    object.Draw();
    EXPECT_EQ(TargetAt(10, 10), 0);
    object.m_imageMode = 1;
    ClearTarget(0);
    object.Draw();
    EXPECT_EQ(Row(15, 10, 3), (std::vector<uint16_t>{kBlue, kGreen, kRed}));
    object.Release();
    EXPECT_EQ(object.m_pImage, nullptr);
}

TEST(AniRenderTest, RenderCommandWritesTheSameFrame) {
    plat::ScopedMessageBoxRecorder boxes;
    qmtest::TempDir dir, out;
    WriteFixture(dir);
    const std::string bmp = out.Path() + "/frame.bmp";
    const qmtest::ToolRun r = qmtest::RunTool(RunAniTool, {"render", dir.Path(), "1", "5", bmp, "--at", "100",
                                                           "100", "--width", "320", "--height", "200"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "bounds 100 100 164 106\n");
    CDib dib;
    ASSERT_TRUE(dib.LoadBmpFile(bmp.c_str()));
    ASSERT_TRUE(dib.ConvertTo16(2));
    EXPECT_EQ(dib.GetWidth(), 320);
    auto at = [&](int x, int y) { return dib.GetVisualRow(y)[x]; };
    EXPECT_EQ(at(100, 100), kRed);
    EXPECT_EQ(at(104, 100), kGreen);
    EXPECT_EQ(at(112, 100), kGreen);
    EXPECT_EQ(at(140, 103), kGreen);
    EXPECT_EQ(at(161, 101), kCyan);
    EXPECT_EQ(at(100, 120), kGreen);
    EXPECT_EQ(at(103, 121), kBlue);
    EXPECT_EQ(at(99, 100), 0);
    // The stage takes down every cache the device set made.
    EXPECT_EQ(g_pSurfaceCache, nullptr);
    EXPECT_EQ(g_pTextureCache, nullptr);
    EXPECT_EQ(g_pImageCache, nullptr);
    EXPECT_EQ(g_pSoundCache, nullptr);

    const qmtest::ToolRun missing = qmtest::RunTool(RunAniTool, {"render", dir.Path(), "9", "0", bmp});
    EXPECT_EQ(missing.status, 1);
    EXPECT_NE(missing.err.find("animation 9 cannot be loaded"), std::string::npos);
}
