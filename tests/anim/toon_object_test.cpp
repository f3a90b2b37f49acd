#include "anim/toon_object.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <set>
#include <string>

#include "core/config.h"
#include "model_test_util.h"
#include "platform/display.h"
#include "tests/graphics/graphics_fixture.h"
#include "tests/support/temp_dir.h"

using modeltest::Build;

namespace {

const char* const kMaterial = R"(materials 1
material color2 1 0.5 0.25 color3 1 1 1 shininess 0.1 intensity 1 transparency 0.25 ambient 0.125 end)";
const char* const kWhite = R"(materials 1 material color2 1 1 1 end)";

std::string AnimText(const std::string& nodes, int count, const char* timing = "") {
    return "nodes " + std::to_string(count) + " " + timing + " " + nodes;
}

class ToonFiles : public ::testing::Test {
protected:
    std::string Write(const std::string& name, const std::string& text) {
        return m_dir.WriteFile(name, modeltest::Str(Build(ModelFileKindOf(name), text)));
    }
    const ToonNodeState& State(CToonObject* o, size_t i) { return o->States()[i]; }

    qmtest::TempDir m_dir;
    CToonObjMgr m_mgr;
};

TEST_F(ToonFiles, ObjectsAndFilesAreSharedByPath) {
    const std::string mesh = Write("0001.OBJ", "roots 1 " + modeltest::CubeNodeText("Box"));
    const std::string walk = Write("0001.ANI", AnimText("node name \"Box\" end", 1));
    const std::string run = Write("0002.ANI", AnimText("node name \"Box\" end", 1));
    const std::string mat = Write("0001.MAT", kMaterial);

    CToonObject* a = m_mgr.GetObject(mesh.c_str(), walk.c_str(), mat.c_str());
    CToonObject* b = m_mgr.GetObject(mesh.c_str(), walk.c_str(), mat.c_str());
    ASSERT_NE(a, nullptr);
    EXPECT_EQ(a, b);
    EXPECT_EQ(a->m_refCount, 2u);
    m_mgr.ReleaseObject(b);
    EXPECT_EQ(m_mgr.ObjectCount(), 1);
    EXPECT_EQ(a->m_refCount, 1u);

    // Only the mesh (and material) in common: one mesh record, two animations.
    CToonObject* c = m_mgr.GetObject(mesh.c_str(), run.c_str(), mat.c_str());
    ASSERT_NE(c, nullptr);
    EXPECT_NE(c, a);
    EXPECT_EQ(c->Mesh(), a->Mesh());
    EXPECT_NE(c->Anim(), a->Anim());
    EXPECT_EQ(m_mgr.MeshCount(), 1);
    EXPECT_EQ(m_mgr.AnimCount(), 2);
    EXPECT_EQ(a->Mesh()->refCount, 2u);

    // A file that cannot be had gives null and keeps no new reference.
    EXPECT_EQ(m_mgr.GetObject(mesh.c_str(), (m_dir.Path() + "/0009.ANI").c_str(), mat.c_str()), nullptr);
    const std::string broken = m_dir.WriteFile("0003.ANI", "short");
    EXPECT_EQ(m_mgr.GetObject(mesh.c_str(), broken.c_str(), mat.c_str()), nullptr);
    EXPECT_EQ(a->Mesh()->refCount, 2u);
    EXPECT_EQ(m_mgr.MaterialCount(), 1);
    EXPECT_EQ(a->Material()->refCount, 2u);

    m_mgr.ReleaseObject(nullptr);
    m_mgr.ReleaseObject(a);
    EXPECT_EQ(m_mgr.AnimCount(), 1);
    m_mgr.ReleaseObject(c);
    EXPECT_EQ(m_mgr.ObjectCount(), 0);
    EXPECT_EQ(m_mgr.MeshCount(), 0);
    EXPECT_EQ(m_mgr.AnimCount(), 0);
    EXPECT_EQ(m_mgr.MaterialCount(), 0);
}

TEST_F(ToonFiles, ScaleAndDuration) {
    const std::string anim = Write("0001.ANI", AnimText("node name \"Box\" end", 1,
                                                        "start_tick 160 end_tick 480 ticks_per_frame 160 "
                                                        "ms_per_frame 33"));
    const std::string mat = Write("0001.MAT", kMaterial);
    struct Case {
        const char* header;
        float scale;
    };
    int n = 0;
    for (const Case& c : {Case{"version 1 roots 1", 1.0f}, Case{"version 2 roots 1 scale 50", 0.5f}}) {
        const std::string mesh = Write("m" + std::to_string(n++) + ".OBJ",
                                       std::string(c.header) + " " + modeltest::CubeNodeText("Box"));
        CToonObject* o = m_mgr.GetObject(mesh.c_str(), anim.c_str(), mat.c_str());
        ASSERT_NE(o, nullptr);
        EXPECT_FLOAT_EQ(o->GetScale(), c.scale);
        // Frames 1 to 3 of 33 ms.
        EXPECT_EQ(o->GetDuration(), 66u);
    }
}

TEST_F(ToonFiles, TimeIsClampedToTheFirstAndLastKey) {
    const std::string mesh = Write("0001.OBJ", "roots 1 " + modeltest::CubeNodeText("Box"));
    const std::string mat = Write("0001.MAT", kMaterial);
    // Frames 1 to 3 (160 ticks a frame, 33 ms a frame), one key a frame.
    const std::string anim = Write("0001.ANI", AnimText(R"(node name "Box" translation_keys 3
        translations 0 0 0  1 0 0  2 0 0 end)",
                                                        1,
                                                        "start_tick 160 end_tick 480 frames_per_key 1 "
                                                        "ticks_per_frame 160 ms_per_frame 33"));
    CToonObject* o = m_mgr.GetObject(mesh.c_str(), anim.c_str(), mat.c_str());
    ASSERT_NE(o, nullptr);
    struct Case {
        uint32_t time;
        float x;
    };
    // 33 ms is the first frame; 16 ms past it is 16 x 160 / 33 ticks into key 0.
    for (const Case& c : {Case{0, 0.0f}, Case{33, 0.0f}, Case{49, 16.0f * 160 / 33 / 160}, Case{66, 1.0f},
                          Case{99, 2.0f}, Case{100000, 2.0f}}) {
        o->Animate(c.time);
        EXPECT_NEAR(State(o, 0).world.m[3][0], c.x, 1e-5) << c.time;
    }
}

TEST_F(ToonFiles, TwoBonesHalfAndHalf) {
    // One skinned vertex at (1, 0, 0) bound half to each of two bones. Bone A
    // binds at (1, 0, 0) and rests at (1, 2, 0): it moves its vertices by
    // (0, 2, 0); bone B binds at the origin and rests at (0, 0, 4).
    const std::string mesh = Write("0001.OBJ", R"(roots 3
node name "Skin" kind 2 vertices 2 positions 1 0 0  5 5 5 normals 0 0 -1  0 0 -1 end
node name "BoneA" end
node name "BoneB" end)");
    const std::string anim = Write("0001.ANI", AnimText(R"(
node name "Skin" skin 1 bones 2
  bone name "BoneA" influences 1 vertices 0 weights 0.5 end
  bone name "BoneB" influences 2 vertices 0 7 weights 0.5 1 end
end
node name "BoneA" bind_translation 1 0 0 rest_translation 1 2 0 end
node name "BoneB" rest_translation 0 0 4 end)",
                                                        3));
    const std::string mat = Write("0001.MAT", kMaterial);
    CToonObject* o = m_mgr.GetObject(mesh.c_str(), anim.c_str(), mat.c_str());
    ASSERT_NE(o, nullptr);
    const ToonNodeState& s = State(o, 0);
    EXPECT_EQ(s.boneSlots[0], 1);
    EXPECT_EQ(s.boneSlots[1], 2);
    EXPECT_EQ(s.boneSlots[2], 0);
    EXPECT_FLOAT_EQ(s.weights[0], 0.5f);
    EXPECT_FLOAT_EQ(s.weights[1], 0.5f);
    o->Animate(0);
    const ToonNode& skin = o->Mesh()->roots[0];
    EXPECT_NEAR(skin.drawn[0].x, 1.0f, 1e-5);
    EXPECT_NEAR(skin.drawn[0].y, 1.0f, 1e-5);
    EXPECT_NEAR(skin.drawn[0].z, 2.0f, 1e-5);
    // Vertex 1 no bone reaches (index 7 is beyond the two vertices): it stays where the node puts it.
    EXPECT_NEAR(skin.drawn[1].x, 5.0f, 1e-5);
    EXPECT_NEAR(skin.drawn[1].z, 5.0f, 1e-5);
    // The bounds follow the drawn positions.
    EXPECT_NEAR(s.boundsMin.x, 1.0f, 1e-5);
    EXPECT_NEAR(s.boundsMax.y, 5.0f, 1e-5);
}

TEST_F(ToonFiles, ToonShadeRampAndPlainLighting) {
    const std::string mesh = Write("0001.OBJ", "roots 1 " + modeltest::CubeNodeText("Box"));
    const std::string anim = Write("0001.ANI", AnimText("node name \"Box\" end", 1));
    const std::string mat = Write("0001.MAT", kMaterial);
    CToonObject* o = m_mgr.GetObject(mesh.c_str(), anim.c_str(), mat.c_str());
    ASSERT_NE(o, nullptr);
    o->m_alpha = 0.5f;
    o->PlaceAt(0, 0, 0, false);  // the light (1, 1, -1) as it is
    o->Animate(0);
    o->SetToonMode(1);
    o->Draw();
    const ToonNode& box = o->Mesh()->roots[0];
    const uint32_t alpha = uint32_t(0.75f * 0.5f * 255.0f);
    for (size_t v = 0; v < box.drawn.size(); ++v) {
        const Vec3& n = box.drawnNormals[v];
        const float dot = n.x + n.y - n.z;
        EXPECT_NEAR(box.drawn[v].tv2, 1.0f - (dot + 1.0f) / 2.0f, 1e-5) << v;
        EXPECT_EQ(box.drawn[v].tu2, 0.0f);
        EXPECT_EQ(box.drawn[v].diffuse, alpha << 24 | 0xFF7F3F) << v;
        EXPECT_EQ(box.drawn[v].specular, 0u);
    }
    // Plain lighting: d = (N.L + 1) / 2 + ambient, clamped; a highlight by the half vector.
    o->SetToonMode(0);
    o->Draw();
    for (size_t v = 0; v < box.drawn.size(); ++v) {
        const Vec3& n = box.drawnNormals[v];
        const float d = std::clamp(0.5f * (n.x + n.y - n.z + 1.0f) + 0.125f, 0.0f, 1.0f);
        const uint32_t red = (box.drawn[v].diffuse >> 16) & 0xFF;
        EXPECT_EQ(red, uint32_t(d * 255.0f)) << v;
        EXPECT_EQ(box.drawn[v].diffuse >> 24, alpha);
    }
    // The corner facing both the light and the viewer shines; the one turned away does not.
    const float h = 1.0f / std::sqrt(6.0f);  // half vector (1, 1, -2) / sqrt 6
    const float e = 0.5f * (0.57735026f * (h + h + 2 * h) + 1.0f);
    EXPECT_EQ(box.drawn[3].specular & 0xFF, uint32_t(std::pow(e, 10.0f) * 255.0f));  // corner (+, +, -)
    EXPECT_LT(box.drawn[4].specular & 0xFF, 2u);                                     // corner (-, -, +)
}

TEST_F(ToonFiles, OutlineEdges) {
    const std::string mesh = Write("0001.OBJ", R"(roots 1
node name "Quad" vertices 4 positions 0 0 0  0 1 0  1 1 0  1 0 0
  normals 0 0 -1  0 0 -1  0 0 -1  0 0 -1
  groups 1 group triangles 2 indices 0 3 2  2 1 0 end
end)");
    const std::string anim = Write("0001.ANI", AnimText("node name \"Quad\" end", 1));
    const std::string mat = Write("0001.MAT", kWhite);
    CToonObject* o = m_mgr.GetObject(mesh.c_str(), anim.c_str(), mat.c_str());
    ASSERT_NE(o, nullptr);
    o->SetToonMode(1);
    o->Animate(0);
    // Facing the viewer: both triangles drawn; the four border edges (used
    // once) are outlined, the diagonal between the two front faces is not.
    o->PlaceAt(0, 0, 0, false);
    o->Draw();
    const ToonNode& quad = o->Mesh()->roots[0];
    EXPECT_LT(quad.groups[0].facing[0], 0.0f);
    EXPECT_EQ(quad.groups[0].drawIndices.size(), 6u);
    EXPECT_EQ(State(o, 0).edgeCount, 4u);
    // Turned away: nothing drawn, the border still outlined.
    o->PlaceAt(0, 0, 180, false);
    o->Animate(0);
    o->Draw();
    EXPECT_GT(quad.groups[0].facing[0], 0.0f);
    EXPECT_TRUE(quad.groups[0].drawIndices.empty());
    EXPECT_EQ(State(o, 0).edgeCount, 4u);
    // Each quad reaches out from the edge along the vertex normals, black at the object's alpha.
    const ToonVertex* q = State(o, 0).edgeQuads.data();
    EXPECT_EQ(q[0].diffuse, 0xFF000000u);
    EXPECT_NEAR(q[1].z - q[0].z, -0.015f, 1e-6);
    EXPECT_EQ(State(o, 0).edgeIndices[6], 4);

    // A closed cube seen corner-on: the six edges of the hexagonal silhouette only.
    const std::string cube = Write("0002.OBJ", "roots 1 " + modeltest::CubeNodeText("Box"));
    const std::string boxAnim = Write("0002.ANI", AnimText("node name \"Box\" end", 1));
    CToonObject* c = m_mgr.GetObject(cube.c_str(), boxAnim.c_str(), mat.c_str());
    ASSERT_NE(c, nullptr);
    c->SetToonMode(1);
    c->PlaceAt(0, 0, 45, true);
    c->Animate(0);
    c->Draw();
    EXPECT_EQ(State(c, 0).edgeCount, 6u);
    size_t drawn = 0;
    for (const ToonFaceGroup& g : c->Mesh()->roots[0].groups) drawn += g.drawIndices.size() / 3;
    EXPECT_EQ(drawn, 6u);  // three faces of two triangles
}

// Drawing onto the headless display.
class ToonRender : public GraphicsFixture {
protected:
    void SetUp() override {
        GraphicsFixture::SetUp();
        m_oldConfig = g_config;
        g_config.m_folders[FOLDER_TEXTURE] = m_dir.Path();
        ASSERT_EQ(BringUp(800, 600, false), plat::kOk);
        // The shading ramp: four rows from white down to dark grey.
        plat::raster::Surface ramp(4, 4, plat::raster::PixelFormat::kRgb565);
        const uint8_t rows[4] = {0xFF, 0xAA, 0x55, 0x22};
        for (int y = 0; y < 4; ++y)
            for (int x = 0; x < 4; ++x)
                ramp.At(x, y) =
                    plat::raster::Pack(plat::raster::PixelFormat::kRgb565, {255, rows[y], rows[y], rows[y]});
        ASSERT_TRUE(plat::SaveFrameBmp(ramp, m_dir.Path() + "/TOONSHADE.BMP"));
    }
    void TearDown() override {
        m_mgr.Shutdown();
        g_config = m_oldConfig;
        GraphicsFixture::TearDown();
    }
    std::string Write(const std::string& name, const std::string& text) {
        return m_dir.WriteFile(name, modeltest::Str(Build(ModelFileKindOf(name), text)));
    }

    qmtest::TempDir m_dir;
    CConfig m_oldConfig;
    CToonObjMgr m_mgr;
};

TEST_F(ToonRender, CubeWithRampShadingAndBlackOutlines) {
    const std::string mesh = Write("0001.OBJ", "roots 1 " + modeltest::CubeNodeText("Box"));
    const std::string anim = Write("0001.ANI", AnimText("node name \"Box\" end", 1));
    const std::string mat = Write("0001.MAT", kWhite);
    CToonObject* o = m_mgr.GetObject(mesh.c_str(), anim.c_str(), mat.c_str());
    ASSERT_NE(o, nullptr);
    o->SetToonMode(1);
    o->SetShadeTexture("ToonShade.BMP");
    ASSERT_NE(o->ShadeTextureId(), 0u);

    const uint16_t background = 0x001F;
    plat::raster::Fill(Target(), Target().Bounds(), background);
    m_d3d->InitRenderStates();
    std::vector<plat::raster::DeviceEvent> log;
    m_d3d->Device()->SetEventLog(&log);
    AniModelPose at;
    at.x = 400;
    at.y = 300;
    at.facing = 45.0f;
    at.tilt = true;
    DrawToonObject(*o, at);
    m_d3d->Device()->SetEventLog(nullptr);

    // Depth test on and the depth buffer cleared around the draw, off afterwards.
    ASSERT_GE(log.size(), 3u);
    EXPECT_EQ(log[0].kind, plat::raster::DeviceEvent::Kind::kClear);
    EXPECT_EQ(log[0].clearFlags, uint32_t(plat::raster::kClearZBuffer));
    EXPECT_TRUE(log[0].state.zEnable);
    for (size_t i = 1; i < log.size(); ++i) {
        EXPECT_EQ(log[i].kind, plat::raster::DeviceEvent::Kind::kDraw);
        EXPECT_TRUE(log[i].state.zEnable);
        EXPECT_EQ(log[i].state.cull, plat::raster::CullMode::kNone);
        EXPECT_EQ(log[i].stageOps[1], plat::raster::TextureOp::kModulate);
    }
    EXPECT_FALSE(m_d3d->Device()->State().zEnable);
    EXPECT_EQ(m_d3d->Device()->State().cull, plat::raster::CullMode::kCounterClockwise);
    EXPECT_EQ(m_d3d->Device()->Stage(1).colorOp, plat::raster::TextureOp::kDisable);

    // What landed: ramp greys inside, black at the rim, nothing outside the screen rectangle.
    const ModelRect r = ToonObjectScreenRect(*o, at);
    ASSERT_FALSE(r.Empty());
    std::set<uint16_t> ramp;
    for (uint8_t g : std::initializer_list<uint8_t>{0xFF, 0xAA, 0x55, 0x22})
        ramp.insert(plat::raster::Pack(plat::raster::PixelFormat::kRgb565, {255, g, g, g}));
    int covered = 0, black = 0;
    std::set<uint16_t> shades;
    for (int y = 0; y < 600; ++y)
        for (int x = 0; x < 800; ++x) {
            const uint16_t p = Target().At(x, y);
            if (p == background) continue;
            ++covered;
            ASSERT_TRUE(x >= r.left - 2 && x <= r.right + 2 && y >= r.top - 2 && y <= r.bottom + 2)
                << x << "," << y;
            if (p == 0) {
                ++black;
                continue;
            }
            ASSERT_TRUE(ramp.count(p)) << std::hex << p << " at " << std::dec << x << "," << y;
            shades.insert(p);
        }
    // A cube of 80 pixels a side seen corner-on covers well over one face's area.
    EXPECT_GT(covered, 80 * 80);
    EXPECT_GT(black, 80 * 4);
    EXPECT_GE(shades.size(), 2u);
    // The rim: the first covered pixel of the middle row is outline black.
    for (int x = 0; x < 400; ++x)
        if (Target().At(x, 300) != background) {
            EXPECT_EQ(Target().At(x, 300), 0) << x;
            break;
        }
}

}  // namespace
