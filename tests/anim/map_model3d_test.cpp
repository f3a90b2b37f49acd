#include "anim/map_model3d.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <map>
#include <set>
#include <string>

#include "anim/model_motion.h"
#include "core/config.h"
#include "core/util.h"
#include "model_test_util.h"
#include "platform/clock.h"
#include "platform/display.h"
#include "tests/graphics/graphics_fixture.h"
#include "tests/support/data_fixtures.h"
#include "tests/support/temp_dir.h"

using modeltest::Build;

namespace {

template <class File>
File Parse(const std::string& text) {
    File file;
    std::string error;
    EXPECT_TRUE(ParseModelText(text, file, &error)) << error << "\n" << text;
    return file;
}

Vec3 At(const ModelVertex& v) {
    return {v.x, v.y, v.z};
}

void ExpectNear(const Vec3& a, const Vec3& b, const char* what) {
    EXPECT_NEAR(a.x, b.x, 1e-5) << what;
    EXPECT_NEAR(a.y, b.y, 1e-5) << what;
    EXPECT_NEAR(a.z, b.z, 1e-5) << what;
}

// An identity matrix in the readable form, with a translation.
std::string Key(float x, float y, float z) {
    return "1 0 0 0  0 1 0 0  0 0 1 0  " + modeltest::Num(x) + " " + modeltest::Num(y) + " " +
           modeltest::Num(z) + " 1";
}

// The model files live in the 3D object folder; the boxes text comes from table 0.
class MapModelFiles : public ::testing::Test {
protected:
    void SetUp() override {
        m_oldConfig = g_config;
        g_config.m_folders[FOLDER_3DOBJECT] = m_dir.Path();
        g_config.m_folders[FOLDER_BITMAP] = m_dir.Path();
    }
    void TearDown() override { g_config = m_oldConfig; }
    void Write(const std::string& name, const std::string& text) {
        m_dir.WriteFile(name, modeltest::Str(Build(ModelFileKindOf(name), text)));
    }

    qmtest::TempDir m_dir;
    CConfig m_oldConfig;
    static std::map<int, std::vector<std::string>> Table0() {
        std::vector<std::string> rows(14);
        rows[13] = "No file";
        return {{0, rows}};
    }
    qmtest::ScopedTextTables m_tables{Table0()};
    plat::ScopedMessageBoxRecorder m_boxes;
    CMapModel3DMgr m_mgr;
};

TEST_F(MapModelFiles, FilesAreSharedByNameAndFreedWithTheirLastModel) {
    Write("0001.msh", modeltest::MapCubeText(""));
    Write("0001.kfd", "tracks 0 frames 4");
    MapModelEntry* a = m_mgr.AddModel("0001");
    ASSERT_NE(a, nullptr);
    ++a->useCount;
    EXPECT_EQ(m_mgr.AddModel("0001"), a);
    ++a->useCount;
    EXPECT_EQ(a->scale.x, 1.0f);
    EXPECT_EQ(m_mgr.EntryCount(), 1);
    CModelMesh* mesh = m_mgr.FindMesh("0001.msh");
    ASSERT_NE(mesh, nullptr);
    EXPECT_EQ(mesh->m_refCount, 1);
    EXPECT_EQ(mesh->m_title, "0001");
    EXPECT_TRUE(m_mgr.LoadMesh("0001.msh"));  // cached: no second record
    EXPECT_EQ(m_mgr.MeshCount(), 1);
    EXPECT_EQ(m_mgr.FindKeyframes("0001.KFD"), nullptr);  // the whole name, case and all
    EXPECT_EQ(a->model->GetFrameCount(), 4);
    m_mgr.ReleaseModel("0001");
    EXPECT_EQ(m_mgr.EntryCount(), 1);
    m_mgr.ReleaseModel("0001");
    EXPECT_EQ(m_mgr.EntryCount(), 0);
    EXPECT_EQ(m_mgr.MeshCount(), 0);
    EXPECT_EQ(m_mgr.KeyframeCount(), 0);
    EXPECT_TRUE(m_boxes.Boxes().empty());
}

TEST_F(MapModelFiles, MissingOrBadFilesShowTheBoxAndLeaveAnEmptyModel) {
    MapModelEntry* e = m_mgr.AddModel("0002");
    ASSERT_NE(e, nullptr);
    ASSERT_EQ(m_boxes.Boxes().size(), 2u);
    EXPECT_EQ(m_boxes.Boxes()[0].text, "No file [" + m_dir.Path() + "\\0002.kfd]");
    EXPECT_EQ(m_boxes.Boxes()[0].caption, "");
    EXPECT_EQ(m_boxes.Boxes()[1].text, "No file [" + m_dir.Path() + "\\0002.msh]");
    EXPECT_EQ(e->model->Mesh(), nullptr);
    EXPECT_EQ(e->model->GetFrameCount(), 1);
    e->model->SetFrame(5);
    EXPECT_EQ(e->model->Frame(), 0.0f);
    EXPECT_FALSE(e->model->Animator().Animate(0));
    EXPECT_TRUE(e->model->GetScreenBounds().Empty());
    e->model->Play(0);
    EXPECT_TRUE(e->model->Update());
    e->Draw(false);  // nothing to draw, nothing drawn

    // A malformed mesh is refused with the same box and nothing is cached.
    m_boxes.Clear();
    std::vector<uint8_t> bad = Build(ModelFileKind::kMapMesh, modeltest::MapCubeText(""));
    bad.resize(bad.size() - 7);
    m_dir.WriteFile("0003.msh", modeltest::Str(bad));
    EXPECT_FALSE(m_mgr.LoadMesh("0003.msh"));
    ASSERT_EQ(m_boxes.Boxes().size(), 1u);
    EXPECT_EQ(m_boxes.Boxes()[0].text, "No file [" + m_dir.Path() + "\\0003.msh]");
    EXPECT_EQ(m_mgr.MeshCount(), 0);
}

TEST_F(MapModelFiles, LoopAndStop) {
    Write("0001.msh", modeltest::MapCubeText(""));
    Write("0001.kfd", "tracks 0 frames 3");
    MapModelEntry* e = m_mgr.AddModel("0001");
    e->SetScreenPosition(400, 300);
    e->active = true;
    CMapModel3D& m = *e->model;
    m.Play(0);
    EXPECT_TRUE(m.Update());
    EXPECT_TRUE(e->Update());
    EXPECT_FALSE(m.Update());  // frame 3 reaches the frame count
    EXPECT_FALSE(m.IsPlaying());
    EXPECT_FALSE(e->active);
    EXPECT_TRUE(m.Update());  // stopped: nothing more to report
    m.SetLoop(true);
    m.Play(1);
    EXPECT_TRUE(m.Update());
    EXPECT_TRUE(m.Update());
    EXPECT_EQ(m.Frame(), 0.0f);
    EXPECT_TRUE(m.IsPlaying());
    // Off the screen nothing steps.
    e->SetScreenPosition(5000, 300);
    m.Play(1);
    EXPECT_TRUE(m.Update());
    EXPECT_EQ(m.Frame(), 1.0f);
    m.SetFrame(7);
    EXPECT_EQ(m.Frame(), 2.0f);
}

TEST_F(MapModelFiles, ImageListsAreLooseFilesBesideTheProgram) {
    std::string text = modeltest::MapCubeText("cube.bmp");
    text.replace(text.find("has_image_list 0"), 16, "has_image_list 1 image_list \"water\"");
    Write("0001.msh", text);
    m_dir.WriteFile("AnimationObject/0001/water.ifl", "2 wave0.bmp wave1.bmp");
    const std::filesystem::path old = std::filesystem::current_path();
    std::filesystem::current_path(m_dir.Path());
    const bool loaded = m_mgr.LoadMesh("0001.msh");
    std::filesystem::current_path(old);
    ASSERT_TRUE(loaded);
    EXPECT_EQ(m_mgr.FindMesh("0001.msh")->m_data.materials[0].imageList,
              (std::vector<std::string>{"wave0", "wave1"}));
    // Without the list file the material simply has none.
    Write("0002.msh", text);
    ASSERT_TRUE(m_mgr.LoadMesh("0002.msh"));
    EXPECT_TRUE(m_mgr.FindMesh("0002.msh")->m_data.materials[0].imageList.empty());
}

// Animation of the private copy, without files.
class ModelAnimation : public ::testing::Test {
protected:
    void Init(const std::string& meshText, const std::string& keyText) {
        m_mesh.m_data = Parse<ModelMeshData>(meshText);
        m_keys.m_data = Parse<KeyframeData>(keyText);
        m_animator.Init(&m_mesh, keyText.empty() ? nullptr : &m_keys);
    }
    Vec3 Vertex(size_t node, size_t v) { return At(m_animator.m_copy[node].vertices[v]); }

    CModelMesh m_mesh;
    CKeyframeSet m_keys;
    CModelAnimator m_animator;
    plat::FakeClock m_clock;
    plat::ScopedClock m_scoped{m_clock};
};

TEST_F(ModelAnimation, TracksMoveNodesWithTheirAxesSwapped) {
    Init(R"(nodes 3
node name "Keyed" id 5 geometry 1 0 0 vertices 1 2 3 0 0 0 0 0 end
node name "Short" id 6 geometry 1 0 0 vertices 1 2 3 0 0 0 0 0 end
node name "Matrix" id 7 has_matrix 1 matrix 2 0 0 0 0 2 0 0 0 0 2 0 0 0 0 1 geometry 1 0 0
  vertices 1 2 3 0 0 0 0 0 end)",
         "tracks 3 frames 2 track node 5 keys 2 has_position_keys 1 position_keys " + Key(0, 0, 0) + " " +
             Key(10, 20, 30) + " end track node 6 keys 1 has_position_keys 1 position_keys " + Key(5, 5, 5) +
             " end track node 7 keys 2 has_position_keys 1 position_keys " + Key(0, 0, 0) + " " +
             Key(1, 1, 1) + " end");
    ASSERT_TRUE(m_animator.Animate(1));
    // (1, 2, 3) travels as (1, 3, 2), moves by (10, 20, 30) and comes back swapped.
    ExpectNear(Vertex(0, 0), {11, 32, 23}, "keyed");
    // A track with fewer keys than the frame leaves its node at rest.
    ExpectNear(Vertex(1, 0), {1, 2, 3}, "short");
    // The node matrix applies first: (2, 6, 4) + (1, 1, 1), swapped back.
    ExpectNear(Vertex(2, 0), {3, 5, 7}, "matrix");
    // Frames outside 0 .. frame count are not animated.
    EXPECT_FALSE(m_animator.Animate(3));
    EXPECT_FALSE(m_animator.Animate(-1));
    EXPECT_TRUE(m_animator.Animate(2));
}

TEST_F(ModelAnimation, RestPoseWithoutKeyframes) {
    Init("nodes 1 node name \"Plate\" id 1 geometry 2 0 0 vertices 1 2 3 0 0 0 0 0  4 5 6 0 0 0 0 0 end", "");
    m_animator.m_copy[0].vertices[0].x = 99;  // whatever the copy held
    EXPECT_FALSE(m_animator.Animate(0));
    ExpectNear(Vertex(0, 0), {1, 2, 3}, "rest");
    ExpectNear(Vertex(0, 1), {4, 5, 6}, "rest");
}

TEST_F(ModelAnimation, SkinnedVerticesFollowWeightedBones) {
    Init(R"(nodes 3
node type 1 name "Skin" id 1 hidden 1 geometry 3 0 0
  vertices 1 0 0 0 0xFF112233 0 0.5 0.5  0 1 0 0 0 0 0 0  2 2 2 0 0 0 0 0
  bones 2
  bone node 2 weight_count 2 weights 0 0.5 0  1 1 0 end
  bone node 3 weight_count 1 weights 0 0.5 0 end
end
node name "BoneA" id 2 end
node name "BoneB" id 3 end)",
         "tracks 1 frames 1 track node 2 keys 1 has_position_keys 1 position_keys " + Key(0, 4, 0) + " end");
    ASSERT_TRUE(m_animator.Animate(0));
    // Vertex 0: half through bone A's key (moved by (0, 0, 4) after the swap), half unkeyed bone B.
    ExpectNear(Vertex(0, 0), {1, 0, 2}, "blended");
    EXPECT_EQ(m_animator.m_copy[0].vertices[0].diffuse, 0xFF112233u);
    EXPECT_EQ(m_animator.m_copy[0].vertices[0].tu, 0.5f);
    // Vertex 1: wholly bone A (weight exactly 1): (0, 1, 0) + (0, 0, 4).
    ExpectNear(Vertex(0, 1), {0, 1, 4}, "whole");
    // Vertex 2: no bone moves it; it keeps its rest position.
    ExpectNear(Vertex(0, 2), {2, 2, 2}, "unmoved");
}

TEST_F(ModelAnimation, TextureKeysMoveCoordinates) {
    Init("nodes 1 node name \"Water\" id 4 geometry 1 0 0 vertices 0 0 0 0 0 0 0.25 0.75 end",
         "tracks 1 frames 2 track node 4 keys 2 has_texture_keys 1 texture_keys " + Key(0, 0, 0) + " " +
             Key(-0.5f, 0, -0.125f) + " end");
    // Frame 0 is the first key against itself: the coordinates stay.
    ASSERT_TRUE(m_animator.Animate(0));
    EXPECT_NEAR(m_animator.m_copy[0].vertices[0].tu, 0.25f, 1e-6);
    EXPECT_NEAR(m_animator.m_copy[0].vertices[0].tv, 0.75f, 1e-6);
    ASSERT_TRUE(m_animator.Animate(1));
    EXPECT_NEAR(m_animator.m_copy[0].vertices[0].tu, 0.75f, 1e-6);
    EXPECT_NEAR(m_animator.m_copy[0].vertices[0].tv, 0.875f, 1e-6);
}

TEST_F(ModelAnimation, SeaNodesRippleRoundTheCentre) {
    // Phase 0: 1440 ms is a whole period.
    m_clock.SetMilliseconds(1440);
    Init(R"(nodes 3
node name "centerobj" id 1 geometry 1 0 0 vertices 1 0 0 0 0 0 0 0 end
node name "maps\SeaObj.001" id 2 geometry 3 1 0 indices 0 1 2
  vertices 1 0 0 0 0 0 0 0  1.09 0 0 0 0 0 0 0  1 0.045 0 0 0 0 0 0
  faces 0 0 0 0 0 end
node name "\"SEAOBJ2" id 3 geometry 2 0 0 vertices 1 0 0 0 0 0 0 0  1.5 0 0 0 0 0 0 0 end)",
         "");
    m_animator.Animate(0);
    ExpectNear(GetRippleCentre(), {1, 0, 0}, "centre");
    // r = 0 and p = 0: no displacement.
    ExpectNear(Vertex(1, 0), {1, 0, 0}, "at the centre");
    // r = 0.09: sin(90 degrees) = 1, the largest step of 1/14 x (0.5, -0.866).
    ExpectNear(Vertex(1, 1), {1.09f, 0.5f / 14, -0.8660254f / 14}, "crest");
    // The second sea kind stays still at its centre and falls off with the distance.
    ExpectNear(Vertex(2, 0), {1, 0, 0}, "sea 2 centre");
    const float r = GetDistance3D(1, 0, 0, 1.5f, 0, 0);
    const float s = std::sin(-400.0f * r * 0.0174532f) / (20.0f * r);
    ExpectNear(Vertex(2, 1), {1.5f, s * 0.5f, -s * 0.8660254f}, "sea 2");
    // The rippled face is re-lit: specular (1 - shade, shade, shade, shade).
    const uint32_t layout = m_animator.m_copy[1].vertices[0].specular;
    const uint32_t g = layout & 0xFF;
    EXPECT_EQ((layout >> 8) & 0xFF, g);
    EXPECT_EQ((layout >> 16) & 0xFF, g);
    EXPECT_GE((layout >> 24) + g, 254u);
    EXPECT_LE((layout >> 24) + g, 255u);

    // A model without a centre node keeps the last centre.
    CModelMesh other;
    other.m_data =
        Parse<ModelMeshData>("nodes 1 node name \"SEAOBJ\" id 1 geometry 1 0 0 vertices 1 0 0 0 0 0 0 0 end");
    CModelAnimator a;
    a.Init(&other, nullptr);
    a.Animate(0);
    ExpectNear(GetRippleCentre(), {1, 0, 0}, "kept centre");
    ExpectNear(At(a.m_copy[0].vertices[0]), {1, 0, 0}, "at the kept centre");
    SetRippleCentre({0, 0, 0});
}

TEST(ModelNames, NamedNodesMatchByTheirUpperCaseTitle) {
    struct Case {
        const char* name;
        NamedNode kind;
    };
    for (const Case& c : {Case{"CENTEROBJ", NamedNode::kCentre}, Case{"\"centerobj", NamedNode::kCentre},
                          Case{"a/b\\SeaObj.max", NamedNode::kSea}, Case{"seaobj2", NamedNode::kSea2},
                          Case{"SEAOBJ3", NamedNode::kOther}, Case{"SEA", NamedNode::kOther},
                          Case{"\"\"SEAOBJ", NamedNode::kOther}})
        EXPECT_EQ(ClassifyNodeName(c.name), c.kind) << c.name;
}

TEST(ModelShading, FacesAreShadedByMode) {
    // One triangle turned to the light (0, 0, -1) with full strength, one edge-on.
    ModelMeshData data = Parse<ModelMeshData>(R"(nodes 1 node name "N" geometry 6 2 0 indices 0 2 1  3 4 5
  vertices 0 0 0 0 0x80FFFFFF 0x11111111 0 0  1 0 0 0 0x80FFFFFF 0x11111111 0 0  0 1 0 0 0x80FFFFFF 0x11111111 0 0
           0 0 0 0 0x80FFFFFF 0x11111111 0 0  1 0 0 0 0x80FFFFFF 0x11111111 0 0  0 0 1 0 0x80FFFFFF 0x11111111 0 0
  faces 0 0 0 0 0  1 0 0 0 0 end)");
    const ModelNode& node = data.nodes[0];
    struct Case {
        uint8_t mode;
        uint32_t lit[2], edge[2];  // diffuse and specular of the lit and the edge-on face
    };
    const uint32_t d = 0x80FFFFFF, s = 0x11111111;
    const Case cases[] = {
        {0, {d, s}, {d, s}},
        {1, {0x80FFFFFF, s}, {0x80191919, s}},  // (1 - 0.2) x 1.25 = 1; 0 clamps to 0.1
        {2, {d, 0x80FFFFFF}, {d, 0x80191919}},  // (1 - 0.5) x 2 = 1
        {3, {0x80FFFFFF, 0x80FFFFFF}, {0x80191919, 0x80191919}},
    };
    for (const Case& c : cases) {
        std::vector<ModelVertex> v = node.vertices;
        ShadeFaces(node, v, node.indices, c.mode);
        EXPECT_EQ(v[0].diffuse, c.lit[0]) << int(c.mode);
        EXPECT_EQ(v[0].specular, c.lit[1]) << int(c.mode);
        EXPECT_EQ(v[3].diffuse, c.edge[0]) << int(c.mode);
        EXPECT_EQ(v[3].specular, c.edge[1]) << int(c.mode);
    }
}

TEST(ModelMath, AffineInverseUndoesAnAffineMatrix) {
    Matrix m{{{2, 0, 0, 0}, {0, 4, 0, 0}, {0, 0, 1, 0}, {3, 5, 7, 1}}};
    Matrix inv = AffineInverse(m), product;
    MatrixMultiply(&product, m, inv);
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c) EXPECT_NEAR(product.m[r][c], r == c ? 1.0f : 0.0f, 1e-6) << r << c;
    Matrix singular{};
    inv = AffineInverse(singular);
    EXPECT_EQ(inv.m[0][0], 1.0f);
    EXPECT_EQ(inv.m[3][0], 0.0f);
}

// Drawing on the headless display.
class MapModelRender : public GraphicsFixture {
protected:
    void SetUp() override {
        GraphicsFixture::SetUp();
        m_oldConfig = g_config;
        g_config.m_folders[FOLDER_3DOBJECT] = m_dir.Path();
        g_config.m_folders[FOLDER_BITMAP] = m_dir.Path();
        ASSERT_EQ(BringUp(800, 600, false), plat::kOk);
        // A 2 x 2 texture: red, green / blue, yellow.
        plat::raster::Surface tex(2, 2, plat::raster::PixelFormat::kRgb565);
        tex.At(0, 0) = 0xF800;
        tex.At(1, 0) = 0x07E0;
        tex.At(0, 1) = 0x001F;
        tex.At(1, 1) = 0xFFE0;
        ASSERT_TRUE(plat::SaveFrameBmp(tex, m_dir.Path() + "/CUBE.BMP"));
    }
    void TearDown() override {
        m_mgr.reset();
        g_config = m_oldConfig;
        GraphicsFixture::TearDown();
    }
    MapModelEntry* Cube(const char* name, int twoSided) {
        m_dir.WriteFile(
            std::string(name) + ".msh",
            modeltest::Str(Build(ModelFileKind::kMapMesh, modeltest::MapCubeText("cube.bmp", twoSided))));
        m_dir.WriteFile(std::string(name) + ".kfd",
                        modeltest::Str(Build(ModelFileKind::kKeyframes, "frames 1")));
        MapModelEntry* e = m_mgr->AddModel(name);
        e->SetScreenPosition(400, 300);
        e->SetRotation(0.5f, 0.6f, 0.0f);
        return e;
    }
    int Covered(uint16_t background, std::set<uint16_t>* colours = nullptr) {
        int n = 0;
        for (int y = 0; y < 600; ++y)
            for (int x = 0; x < 800; ++x)
                if (Target().At(x, y) != background) {
                    ++n;
                    if (colours) colours->insert(Target().At(x, y));
                }
        return n;
    }

    qmtest::TempDir m_dir;
    CConfig m_oldConfig;
    std::unique_ptr<CMapModel3DMgr> m_mgr = std::make_unique<CMapModel3DMgr>();
};

TEST_F(MapModelRender, TexturedCubeCoversItsFacesInTextureColours) {
    MapModelEntry* e = Cube("0001", 0);
    const uint16_t background = 0x0000;
    plat::raster::Fill(Target(), Target().Bounds(), background);
    m_d3d->InitRenderStates();
    e->Draw(false);
    std::set<uint16_t> colours;
    const int covered = Covered(background, &colours);
    // Three faces of an 80-pixel cube: more than one face, less than three whole ones.
    EXPECT_GT(covered, 80 * 80);
    EXPECT_LT(covered, 3 * 80 * 80);
    EXPECT_EQ(colours, (std::set<uint16_t>{0xF800, 0x07E0, 0x001F, 0xFFE0}));
    // The cube turns about its centre, placed at the screen point.
    int left = 800, right = -1, top = 600, bottom = -1;
    for (int y = 0; y < 600; ++y)
        for (int x = 0; x < 800; ++x)
            if (Target().At(x, y) != background) {
                left = std::min(left, x);
                right = std::max(right, x);
                top = std::min(top, y);
                bottom = std::max(bottom, y);
            }
    EXPECT_NEAR((left + right) / 2.0, 400.0, 1.0);
    EXPECT_NEAR((top + bottom) / 2.0, 300.0, 1.0);
    // The rectangle the model reports is its unturned bounds at that point.
    const ModelRect r = e->model->GetScreenBounds();
    EXPECT_EQ(r.left, 360);
    EXPECT_EQ(r.right, 440);
    EXPECT_EQ(r.top, 260);
    EXPECT_EQ(r.bottom, 340);
    // Filtering and addressing are put back.
    EXPECT_EQ(m_d3d->Device()->Stage(0).magFilter, plat::raster::TextureFilter::kPoint);
    EXPECT_EQ(m_d3d->Device()->Stage(0).addressU, plat::raster::TextureAddress::kWrap);
}

TEST_F(MapModelRender, MirroredDrawingTurnsTheModelAndSwapsTheCullModes) {
    MapModelEntry* one = Cube("0001", 0);
    MapModelEntry* two = Cube("0002", 1);
    std::vector<plat::raster::DeviceEvent> log;
    m_d3d->InitRenderStates();
    m_d3d->Device()->SetEventLog(&log);
    using plat::raster::CullMode;
    struct Case {
        MapModelEntry* entry;
        bool mirrored;
        std::vector<CullMode> draws;
    };
    const Case cases[] = {
        {one, false, {CullMode::kCounterClockwise}},
        {two, false, {CullMode::kCounterClockwise, CullMode::kClockwise}},
        {one, true, {CullMode::kClockwise}},
        {two, true, {CullMode::kClockwise, CullMode::kCounterClockwise}},
    };
    for (const Case& c : cases) {
        log.clear();
        c.entry->Draw(c.mirrored);
        ASSERT_EQ(log.size(), c.draws.size()) << c.mirrored;
        for (size_t i = 0; i < log.size(); ++i) {
            EXPECT_EQ(log[i].state.cull, c.draws[i]) << c.mirrored << " " << i;
            EXPECT_EQ(log[i].indexCount, 36);
            // Turned by pi about y when mirrored.
            EXPECT_NEAR(log[i].world.m[0][0], c.mirrored ? -std::cos(0.6f) : std::cos(0.6f), 1e-4);
        }
        EXPECT_EQ(m_d3d->Device()->State().cull, CullMode::kCounterClockwise);
        EXPECT_FLOAT_EQ(c.entry->rotation.y, 0.6f);
    }
    m_d3d->Device()->SetEventLog(nullptr);

    // Without a tilt the mirrored picture is the plain one reflected about the model's centre column.
    one->SetRotation(0.0f, 0.6f, 0.0f);
    plat::raster::Fill(Target(), Target().Bounds(), 0);
    one->Draw(false);
    plat::raster::Surface plain = Target();
    plat::raster::Fill(Target(), Target().Bounds(), 0);
    one->Draw(true);
    int covered = 0, matching = 0;
    for (int y = 0; y < 600; ++y)
        for (int d = -200; d < 200; ++d) {
            if (plain.At(400 + d, y) == 0) continue;
            ++covered;
            matching += Target().At(400 - d, y) == plain.At(400 + d, y);
        }
    EXPECT_GT(covered, 80 * 80);
    EXPECT_GT(matching, covered * 95 / 100);
}

TEST_F(MapModelRender, AMissingTextureLeavesTheModelInItsVertexColours) {
    m_dir.WriteFile("0003.msh",
                    modeltest::Str(Build(ModelFileKind::kMapMesh, modeltest::MapCubeText("nothing.bmp"))));
    MapModelEntry* e = m_mgr->AddModel("0003");  // no keyframes: one box for them
    e->SetScreenPosition(400, 300);
    e->SetRotation(0.5f, 0.6f, 0.0f);
    m_boxes.Clear();
    plat::raster::Fill(Target(), Target().Bounds(), 0);
    m_d3d->InitRenderStates();
    // A texture left on the stage by someone else is not used.
    m_d3d->SetTexture(0, m_d3d->GetWhiteTexture());
    e->Draw(false);
    std::set<uint16_t> colours;
    EXPECT_GT(Covered(0, &colours), 80 * 80);
    EXPECT_EQ(colours, std::set<uint16_t>{0xFFFF});
    EXPECT_TRUE(m_boxes.Boxes().empty());
    EXPECT_EQ(m_d3d->Device()->Stage(0).texture, nullptr);
}

}  // namespace
