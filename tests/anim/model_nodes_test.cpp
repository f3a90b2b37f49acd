// Animations whose nodes show 3D models: a toon node (kind 17) and a mesh
// node (kind 8) played by an animated object and drawn headless through the
// toon object cache and the map-object model manager as the animations'
// services.
#include <gtest/gtest.h>

#include <cmath>

#include "anim/ani_mgr.h"
#include "anim/ani_node.h"
#include "anim/ani_object.h"
#include "anim/map_model3d.h"
#include "anim/model_services.h"
#include "anim/obj_ani.h"
#include "anim/toon_object.h"
#include "graphics/sprite.h"
#include "model_test_util.h"
#include "platform/display.h"
#include "tests/anim/ani_test_util.h"
#include "tests/graphics/picture_fixture.h"

using modeltest::Build;

namespace {

class ModelNodes : public PictureFixture {
protected:
    void SetUp() override {
        PictureFixture::SetUp();
        BringUpPictures();
        m_oldConfig = g_config;
        for (DataFolder f : {FOLDER_ANIMATION, FOLDER_SFCD_OBJ, FOLDER_SFCD_ANI, FOLDER_SFCD_MAT,
                             FOLDER_3DOBJECT, FOLDER_BITMAP})
            g_config.m_folders[f] = m_dir.Path();
        g_pObjSpriteMgr = &m_sprites;
        g_pAniMgr = &m_anis;
        g_pToonObjMgr = &m_toons;
        g_pMapModel3DMgr = &m_models;
        SetAniToonObjects(&ToonObjectService());
        SetAniMeshModels(&MapModelService());
        // The shading ramp (white to dark grey from the top) and a 2 x 2 texture.
        plat::raster::Surface ramp(2, 4, plat::raster::PixelFormat::kRgb565), tex(2, 2, ramp.Format());
        const uint16_t rows[4] = {0xFFFF, 0xAD55, 0x52AA, 0x2104};
        for (int y = 0; y < 4; ++y) ramp.At(0, y) = ramp.At(1, y) = rows[y];
        tex.At(0, 0) = 0xF800;
        tex.At(1, 0) = 0x07E0;
        tex.At(0, 1) = 0x001F;
        tex.At(1, 1) = 0xFFE0;
        ASSERT_TRUE(plat::SaveFrameBmp(ramp, m_dir.Path() + "/TOONSHADE.BMP"));
        ASSERT_TRUE(plat::SaveFrameBmp(tex, m_dir.Path() + "/CUBE.BMP"));
    }
    void TearDown() override {
        m_anis.ReleaseAll();
        anitest::InstallAniServices({});
        g_pAniMgr = nullptr;
        g_pToonObjMgr = nullptr;
        g_pMapModel3DMgr = nullptr;
        m_sprites.DeleteAllChildren();
        g_pObjSpriteMgr = nullptr;
        m_toons.Shutdown();
        m_models.RemoveAllModels();
        g_config = m_oldConfig;
        PictureFixture::TearDown();
    }
    void WriteModel(const std::string& name, const std::string& text) {
        m_dir.WriteFile(name, modeltest::Str(Build(ModelFileKindOf(name), text)));
    }
    // The cube's three files as 0001.OBJ, 0002.ANI and 0003.MAT, and a toon node showing them.
    AniFileElement WriteToonCube() {
        WriteModel("0001.OBJ", "roots 1 " + modeltest::CubeNodeText("Box"));
        WriteModel("0002.ANI", "nodes 1 end_tick 10 ms_per_frame 33 node name \"Box\" end");
        WriteModel("0003.MAT", "materials 1 material color2 1 1 1 end");
        AniFileElement toon = anitest::Node(ANI_NODE_TOON, 0);
        toon.number = 1;
        toon.motionSet = 2;
        toon.material = 3;
        return toon;
    }
    void WriteAni(uint32_t number, const AniFile& file) {
        char name[16];
        snprintf(name, sizeof name, "%04u.z5a", number);
        m_dir.WriteFile(name, WriteAniFile(file));
    }
    // Plays animation n at (400, 300) from now.
    void Start(CAniObject& object, uint32_t n) {
        ASSERT_TRUE(object.SetAnimation(n));
        object.SetMotion(0);
        object.SetScreenPosition(400, 300, 0);
        object.Play(false);
        object.Update();
    }
    int Covered(uint16_t background) {
        int n = 0;
        for (int y = 0; y < 600; ++y)
            for (int x = 0; x < 800; ++x) n += Target().At(x, y) != background;
        return n;
    }

    plat::FakeClock m_clock{50000};
    plat::ScopedClock m_scopedClock{m_clock};
    CConfig m_oldConfig;
    CObjSpriteMgr m_sprites;
    CAniMgr m_anis;
    CToonObjMgr m_toons;
    CMapModel3DMgr m_models;
};

TEST_F(ModelNodes, ToonNodeDrawsItsSharedObject) {
    AniFileElement toon = WriteToonCube();
    toon.flag = 1;   // tilted, and counted in the bounds
    toon.flag2 = 1;  // toon shading
    toon.x = 10;
    toon.y = -20;
    toon.facing = 3;  // faces 90 degrees whatever the owner's direction
    WriteAni(1, anitest::OneLayer({toon}));

    CAniObject object;
    Start(object, 1);
    ASSERT_EQ(m_toons.ObjectCount(), 1);
    // The loader measured the posed model for the animation's height.
    EXPECT_GT(object.GetAni()->m_heightExtent, 40);

    plat::raster::Fill(Target(), Target().Bounds(), 0x001F);
    m_d3d->InitRenderStates();
    std::vector<plat::raster::DeviceEvent> log;
    m_d3d->Device()->SetEventLog(&log);
    object.Draw();
    m_d3d->Device()->SetEventLog(nullptr);
    ASSERT_GE(log.size(), 2u);
    EXPECT_EQ(log[0].kind, plat::raster::DeviceEvent::Kind::kClear);
    const Matrix& world = reinterpret_cast<const Matrix&>(log[1].world);
    // Turned by 90 degrees about y, then tilted by -30 degrees about x.
    EXPECT_NEAR(world.m[0][0], 0.0f, 1e-6);
    EXPECT_NEAR(world.m[0][1], -0.5f, 1e-6);
    EXPECT_NEAR(world.m[0][2], -0.8660254f, 1e-6);
    EXPECT_NEAR(world.m[3][0], m_d3d->ScreenToWorldX(410), 1e-5);
    EXPECT_NEAR(world.m[3][1], m_d3d->ScreenToWorldY(280), 1e-5);
    EXPECT_TRUE(log[1].state.zEnable);
    EXPECT_FALSE(m_d3d->Device()->State().zEnable);
    EXPECT_EQ(m_d3d->Device()->State().cull, plat::raster::CullMode::kCounterClockwise);
    // Drawn round the node's point, with black outline pixels.
    EXPECT_NE(Target().At(410, 280), 0x001F);
    EXPECT_GT(Covered(0x001F), 80 * 80);
    int black = 0;
    for (int y = 200; y < 360; ++y)
        for (int x = 330; x < 490; ++x) black += Target().At(x, y) == 0;
    EXPECT_GT(black, 100);
    // The frame's bounds take the model's screen rectangle.
    const AniRect r = object.GetBounds(false, false);
    EXPECT_NEAR(r.left, 370, 1);  // 90 degrees round: one face across, 80 pixels
    EXPECT_NEAR(r.right, 450, 1);
    EXPECT_LT(r.top, 250);
    EXPECT_GT(r.bottom, 310);

    // The node gives its object back when the animation goes.
    object.SetAnimation(0, true);
    m_anis.ReleaseAll();
    EXPECT_EQ(m_toons.ObjectCount(), 0);
}

TEST_F(ModelNodes, AToonNodeOutlivingItsCacheDrawsNothing) {
    AniFileElement toon = WriteToonCube();
    toon.flag = 1;
    WriteAni(1, anitest::OneLayer({toon}));
    CAniObject object;
    Start(object, 1);
    ASSERT_EQ(m_toons.ObjectCount(), 1);
    // Shutdown deletes the toon cache (and takes its service away) before the
    // animations: what the nodes still hold must not be touched.
    SetAniToonObjects(nullptr);
    m_toons.Shutdown();
    plat::raster::Fill(Target(), Target().Bounds(), 0x001F);
    object.Draw();
    EXPECT_EQ(Covered(0x001F), 0);
    EXPECT_TRUE(IsEmptyAniRect(object.GetBounds(false, false)));
    // With the service back, the node asks it nothing for the object that went.
    SetAniToonObjects(&ToonObjectService());
    object.SetAnimation(0, true);
    m_anis.ReleaseAll();
    EXPECT_EQ(m_toons.ObjectCount(), 0);
}

TEST_F(ModelNodes, MeshNodeDrawsItsModelAndCountsForTheBounds) {
    WriteModel("0001.msh", modeltest::MapCubeText("cube.bmp"));
    WriteModel("0001.kfd", "frames 4");
    AniFileElement mesh = anitest::Node(ANI_NODE_MESH, 0);
    mesh.number = 1;
    mesh.x = -50;
    WriteAni(1, anitest::OneLayer({mesh}));

    CAniObject object;
    Start(object, 1);
    MapModelEntry* entry = m_models.FindModel("0001");
    ASSERT_NE(entry, nullptr);
    EXPECT_EQ(entry->useCount, 1);
    auto* node = static_cast<CAniMeshNode*>(object.GetCurrentMotionRecord()->m_layers[1][0].m_slots[0]);
    EXPECT_EQ(node->GetDuration(), 4u * 33u);

    plat::raster::Fill(Target(), Target().Bounds(), 0);
    m_d3d->InitRenderStates();
    object.Draw();
    EXPECT_EQ(Target().At(350, 300) != 0, true);  // the cube's centre at the node's point
    EXPECT_EQ(Target().At(420, 300), 0);
    EXPECT_GT(Covered(0), 40 * 80);
    EXPECT_EQ(m_d3d->GetBlendMode(), 0);
    // Its screen rectangle counts for the frame's bounds unless meshes are skipped.
    const AniRect r = object.GetBounds(false, false);
    EXPECT_EQ(r, (AniRect{310, 260, 390, 340}));
    EXPECT_TRUE(IsEmptyAniRect(object.GetBounds(false, true)));

    object.SetAnimation(0, true);
    m_anis.ReleaseAll();
    EXPECT_EQ(m_models.EntryCount(), 0);
    EXPECT_EQ(m_models.MeshCount(), 0);
}

TEST_F(ModelNodes, AMissingModelLastsNothingAndIsNotKept) {
    AniFileElement mesh = anitest::Node(ANI_NODE_MESH, 0);
    mesh.number = 9;
    WriteAni(1, anitest::OneLayer({mesh}));
    CAniObject object;
    Start(object, 1);
    auto* node = static_cast<CAniMeshNode*>(object.GetCurrentMotionRecord()->m_layers[1][0].m_slots[0]);
    EXPECT_EQ(node->GetDuration(), 0u);
    EXPECT_EQ(m_models.EntryCount(), 0);
    // The load-failure box for the keyframes and for the mesh, once.
    ASSERT_EQ(m_boxes.Boxes().size(), 2u);
    EXPECT_NE(m_boxes.Boxes()[0].text.find("0009.kfd"), std::string::npos);
    EXPECT_NE(m_boxes.Boxes()[1].text.find("0009.msh"), std::string::npos);
    plat::raster::Fill(Target(), Target().Bounds(), 0);
    object.Draw();
    EXPECT_EQ(Covered(0), 0);
    EXPECT_EQ(m_boxes.Boxes().size(), 2u);
}

}  // namespace
