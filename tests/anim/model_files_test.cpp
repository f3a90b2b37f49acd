#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "anim/map_model_files.h"
#include "anim/toon_files.h"
#include "model_test_util.h"
#include "tests/support/temp_dir.h"
#include "tests/support/tool_run.h"

using modeltest::Build;
using modeltest::Str;

namespace {

const char* const kToonMesh = R"(version 2 roots 1 scale 50 name "box"
node name "Box" kind 2 material 0 vertices 3
  positions 0 0 0  1 0 0  0 1 0
  normals 0 0 -1  0 0 -1  0 0 -1
  uvs 0 0  1 0  0 1
  sub_materials 0 1 0
  groups 1
  group sub_material 0 triangles 1 indices 0 1 2 end
  children 1
  node name "Tip" parent_link 0 end
end
)";

const char* const kToonAnim =
    R"(morph 1 nodes 1 start_tick 0 end_tick 320 frames_per_key 1 ticks_per_frame 160 ms_per_frame 33
node name "Box" flags 1 2 3 4 5 6 7 8 9
  rest_translation 1 2 3 rest_rotation 0 0 0 1
  morph 1 morph_a 1 2 3 morph_b 4 5 6
  translation_keys 2 rotation_keys 1 scale_keys 1
  translations 0 0 0  1 0 0
  rotations 0 0 0 1
  scales 2 2 2 0 0 0 1
  skin 1 bones 1 bone name "Tip" influences 2 vertices 0 1 weights 0.5 0.25 end
end
)";

const char* const kToonMaterial = R"(materials 1
material color2 1 0.5 0 color3 1 1 1 shininess 0.1 intensity 0.5 transparency 0.25 two_sided 1
  maps 1 sub_materials 1
  map type 1 file "skin.bmp" values 1 2 3 4 maps 1 map type 2 end end
  material color2 0 0 1 end
end
)";

const char* const kMapMesh = R"(version 1 materials 1 nodes 2
material name "stone" two_sided 1 shade_mode 2 has_texture 1 texture "tex\stone.bmp"
  has_image_list 1 image_list "water" sub_materials 1 sub_material has_texture 0 end
end
node type 0 name "Plate" id 7 has_matrix 1 matrix 1 0 0 0 0 1 0 0 0 0 1 0 0 0 0 1
  geometry 3 1 0 indices 0 1 2
  vertices 0 0 0 0 0xFFFFFFFF 0 0 0
           1 0 0 0 0xFFFFFFFF 0 1 0
           0 1 0 0 0x80FF0000 0 0 1
  faces 0 0 0 0 0
  material 0 bounds_min 0 0 0 bounds_max 1 1 0
end
node type 1 name "Skin" id 8 geometry 2 0 0
  vertices 0 0 0 0 0 0 0 0  1 1 1 0 0 0 0 0
  bones 1 bone node 7 weight_count 2 weights 0 0.5 0  1 1 0 end
end
)";

const char* const kKeyframes = R"(tracks 1 frames 2 name "walk"
track node 7 keys 2 has_position_keys 1 has_texture_keys 1
  position_keys 1 0 0 0 0 1 0 0 0 0 1 0 0 0 0 1  1 0 0 0 0 1 0 0 0 0 1 0 5 0 0 1
  texture_keys 1 0 0 0 0 1 0 0 0 0 1 0 0 0 0 1  1 0 0 0 0 1 0 0 0 0 1 0 0 0 0 1
end
)";

struct KindCase {
    ModelFileKind kind;
    const char* text;
};
const KindCase kKinds[] = {
    {ModelFileKind::kToonMesh, kToonMesh},         {ModelFileKind::kToonAnim, kToonAnim},
    {ModelFileKind::kToonMaterial, kToonMaterial}, {ModelFileKind::kMapMesh, kMapMesh},
    {ModelFileKind::kKeyframes, kKeyframes},
};

TEST(ModelFiles, ReadableFormRoundTripsThroughTheBinaryFiles) {
    for (const KindCase& c : kKinds) {
        const std::vector<uint8_t> bytes = Build(c.kind, c.text);
        std::string dumped, error;
        ASSERT_TRUE(DumpModelFile(c.kind, bytes, dumped, &error)) << error;
        EXPECT_EQ(Str(Build(c.kind, dumped)), Str(bytes)) << dumped;
    }
}

TEST(ModelFiles, ToonFilesReadAsLaidOut) {
    ToonMesh mesh;
    const std::vector<uint8_t> m = Build(ModelFileKind::kToonMesh, kToonMesh);
    EXPECT_EQ(m.size(), 528u + 152u + 3 * 33u + 8u + 6u + 152u);
    ASSERT_TRUE(LoadToonMesh(m.data(), m.size(), mesh));
    EXPECT_FLOAT_EQ(mesh.Scale(), 0.5f);
    ASSERT_EQ(mesh.roots.size(), 1u);
    const ToonNode& box = mesh.roots[0];
    EXPECT_EQ(box.name, "Box");
    EXPECT_EQ(box.parentLink, kToonNoParent);
    EXPECT_FLOAT_EQ(box.vertices[2].tv, 1.0f);
    EXPECT_EQ(box.subMaterials[1], 1);
    ASSERT_EQ(box.children.size(), 1u);
    EXPECT_EQ(box.children[0].parentLink, 0u);

    ToonAnim anim;
    const std::vector<uint8_t> a = Build(ModelFileKind::kToonAnim, kToonAnim);
    ASSERT_TRUE(LoadToonAnim(a.data(), a.size(), anim));
    ASSERT_EQ(anim.nodes.size(), 1u);
    const ToonAnimNode& n = anim.nodes[0];
    EXPECT_EQ(n.flags[8], 9);
    EXPECT_FLOAT_EQ(n.rest.m[3][2], 3.0f);  // the rest matrix is built from the rest group
    EXPECT_FLOAT_EQ(n.bind.m[0][0], 1.0f);
    EXPECT_EQ(n.morphB.size(), 1u);
    EXPECT_FLOAT_EQ(n.scaleKeys[0].scale.y, 2.0f);
    ASSERT_EQ(n.bones.size(), 1u);
    EXPECT_FLOAT_EQ(n.bones[0].weights[1], 0.25f);
    EXPECT_EQ(anim.LastFrame(), 2);

    ToonMaterial material;
    const std::vector<uint8_t> t = Build(ModelFileKind::kToonMaterial, kToonMaterial);
    ASSERT_TRUE(LoadToonMaterial(t.data(), t.size(), material));
    const ToonMaterialDef& d = material.materials[0];
    EXPECT_FLOAT_EQ(d.diffuse.x, 255.0f);
    EXPECT_FLOAT_EQ(d.diffuse.y, 127.5f);
    EXPECT_FLOAT_EQ(d.specular.z, 127.5f);  // colour three x intensity x 255
    EXPECT_EQ(d.maps[0].fileName, "skin.bmp");
    EXPECT_EQ(d.maps[0].children[0].type, 2);
    EXPECT_FLOAT_EQ(d.subs[0].diffuse.z, 255.0f);
}

TEST(ModelFiles, MeshScaleByVersion) {
    struct Case {
        const char* header;
        float scale;
    };
    for (const Case& c : {Case{"version 1 name \"old\"", 1.0f}, Case{"version 2 scale 100", 1.0f},
                          Case{"version 2 scale 50", 0.5f}, Case{"version 3 scale 250", 2.5f}}) {
        const std::vector<uint8_t> bytes = Build(ModelFileKind::kToonMesh, c.header);
        EXPECT_EQ(bytes.size(), std::string(c.header).find("version 1") == 0 ? 520u : 528u);
        ToonMesh mesh;
        ASSERT_TRUE(LoadToonMesh(bytes.data(), bytes.size(), mesh)) << c.header;
        EXPECT_FLOAT_EQ(mesh.Scale(), c.scale) << c.header;
    }
}

TEST(ModelFiles, EdgesAreSharedByPositionInEitherOrder) {
    // Two triangles of a quad, the second with its own copies of the diagonal's corners.
    const std::vector<uint8_t> bytes = Build(ModelFileKind::kToonMesh, R"(roots 1
node name "Quad" vertices 6
  positions 0 0 0  1 0 0  1 1 0  1 1 0  0 1 0  0 0 0
  groups 2
  group triangles 1 indices 0 1 2 end
  group triangles 1 indices 3 4 5 end
end)");
    ToonMesh mesh;
    ASSERT_TRUE(LoadToonMesh(bytes.data(), bytes.size(), mesh));
    const std::vector<ToonEdge>& edges = mesh.roots[0].edges;
    ASSERT_EQ(edges.size(), 5u);
    int shared = 0;
    for (const ToonEdge& e : edges) {
        if (!e.shared) continue;
        ++shared;
        // The diagonal (0,0,0)-(1,1,0): first seen in group 0 as 2 -> 0, then in group 1 as 5 -> 3.
        EXPECT_EQ(e.a, 2);
        EXPECT_EQ(e.b, 0);
        EXPECT_EQ(e.group1, 0u);
        EXPECT_EQ(e.group2, 1u);
        EXPECT_EQ(e.triangle2, 0u);
    }
    EXPECT_EQ(shared, 1);
}

TEST(ModelFiles, MapMeshVersionsZeroAndOne) {
    // The same plate in both versions; version 0 has six geometry words, skips
    // its extra blocks and has no shade mode.
    const std::string plate = R"(node name "Plate" id 3 geometry 3 1 %W indices 0 1 2
  vertices 0 0 0 0 0xFF00FF00 0 0 0  1 0 0 0 0xFF00FF00 0 1 0  0 1 0 0 0xFF00FF00 0 0 1
  faces 0 0 0 0 0 %X
  material 0 bounds_min 0 0 0 bounds_max 1 1 0
end)";
    auto node = [&](bool v0) {
        std::string t = plate;
        t.replace(t.find("%W"), 2, v0 ? "2 0 0 0" : "0");
        t.replace(t.find("%X"), 2, v0 ? "extra_flag 1" : "");
        return t;
    };
    const std::string v0 = "version 0 materials 1 nodes 1 material has_texture 0 end " + node(true);
    const std::string v1 = "version 1 materials 1 nodes 1 material shade_mode 3 end " + node(false);
    ModelMeshData a, b;
    const std::vector<uint8_t> bytes0 = Build(ModelFileKind::kMapMesh, v0);
    const std::vector<uint8_t> bytes1 = Build(ModelFileKind::kMapMesh, v1);
    EXPECT_EQ(std::string(bytes0.begin(), bytes0.begin() + 5), std::string("0\0\0\0\0", 5));
    ASSERT_TRUE(LoadModelMeshData(bytes0.data(), bytes0.size(), a));
    ASSERT_TRUE(LoadModelMeshData(bytes1.data(), bytes1.size(), b));
    EXPECT_EQ(a.version, 0u);
    EXPECT_EQ(b.version, 1u);
    EXPECT_EQ(a.materials[0].shadeMode, 0);
    EXPECT_EQ(b.materials[0].shadeMode, 3);
    // Version 0 skipped 1 x 16 + 2 x 36 bytes, then 1 x 16.
    EXPECT_EQ(a.nodes[0].extra.size(), 16u + 72u);
    EXPECT_EQ(a.nodes[0].extra2.size(), 16u);
    for (const ModelMeshData* m : {&a, &b}) {
        ASSERT_EQ(m->nodes.size(), 1u);
        const ModelNode& n = m->nodes[0];
        EXPECT_EQ(n.id, 3u);
        EXPECT_EQ(n.indices, (std::vector<uint16_t>{0, 1, 2}));
        EXPECT_EQ(n.vertices[1].diffuse, 0xFF00FF00u);
        EXPECT_FLOAT_EQ(n.vertices[2].tv, 1.0f);
        EXPECT_FLOAT_EQ(n.boundsMax.y, 1.0f);
    }
    // A version the program does not know keeps no arrays.
    const std::vector<uint8_t> v7 = Build(ModelFileKind::kMapMesh, "version 7");
    std::vector<uint8_t> hostile = v7;
    hostile[5 + 12] = 0xFF;  // a material count no file could hold
    ModelMeshData c;
    ASSERT_TRUE(LoadModelMeshData(hostile.data(), hostile.size(), c));
    EXPECT_TRUE(c.materials.empty());
    EXPECT_TRUE(c.nodes.empty());
}

// Every prefix of a valid file is refused (and read without a fault under the sanitizers).
TEST(ModelFiles, TruncatedFilesAreRefused) {
    for (const KindCase& c : kKinds) {
        const std::vector<uint8_t> bytes = Build(c.kind, c.text);
        for (size_t n = 0; n < bytes.size(); ++n) {
            const std::vector<uint8_t> cut(bytes.begin(), bytes.begin() + n);
            std::string text, error;
            EXPECT_FALSE(DumpModelFile(c.kind, cut, text, &error)) << int(c.kind) << " at " << n;
        }
    }
}

TEST(ModelFiles, BadCountsAndIndexesAreRefused) {
    struct Case {
        ModelFileKind kind;
        std::string text;
        const char* reason;    // a word of the message
        uint32_t hostile = 0;  // a count written as this is turned into `to`
        uint32_t to = 0x7FFFFFFF;
    };
    auto records = [](const char* word, int n) {
        std::string t;
        for (int i = 0; i < n; ++i) t += std::string(" ") + word + " end";
        return t;
    };
    const std::string children = "roots 1 node children 1000" + records("node", 1000) + " end";
    const Case cases[] = {
        {ModelFileKind::kToonMesh, "roots 1 node vertices 2 groups 1 group triangles 1 indices 0 1 2 end end",
         "beyond"},
        {ModelFileKind::kToonMesh, "roots 1 node vertices 1000 end", "cannot fit", 1000},
        {ModelFileKind::kToonMesh, children, "cannot fit", 1000},
        {ModelFileKind::kToonMesh, children, "negative", 1000, 0xFFFFFFF0},
        {ModelFileKind::kToonAnim, "ticks_per_frame 0", "above 0"},
        {ModelFileKind::kToonAnim, "ms_per_frame 0", "above 0"},
        {ModelFileKind::kToonAnim, "frames_per_key 0", "above 0"},
        {ModelFileKind::kToonAnim, "start_tick 10 end_tick 5", "start tick"},
        {ModelFileKind::kToonAnim, "nodes 1 node translation_keys 1000 end", "cannot fit", 1000},
        {ModelFileKind::kToonAnim, "nodes 1 node skin 1 bones 1000" + records("bone", 1000) + " end",
         "cannot fit", 1000},
        {ModelFileKind::kToonMaterial, "materials 1 material maps 777" + records("map", 777) + " end",
         "cannot fit", 777},
        {ModelFileKind::kToonMaterial, "materials 1000" + records("material", 1000), "cannot fit", 1000},
        {ModelFileKind::kMapMesh, "materials 1 nodes 1 material end node geometry 2 1 0 indices 0 1 2 end",
         "triangle corner"},
        {ModelFileKind::kMapMesh,
         "materials 1 nodes 1 material end node geometry 3 1 0 indices 0 1 2 faces 1 0 0 0 0 end",
         "face record"},
        {ModelFileKind::kMapMesh,
         "materials 1 nodes 1 material end node type 1 geometry 1 0 0 bones 1 bone weight_count 1 weights 4 "
         "1 0 "
         "end end",
         "bone weight"},
        {ModelFileKind::kMapMesh, "materials 1 nodes 1 material end node material 1 end", "material 1"},
        {ModelFileKind::kMapMesh, "nodes 1 node type 3 geometry 1000 0 0 end", "cannot fit", 1000},
        {ModelFileKind::kMapMesh, "nodes 1 node type 3 geometry 0 1000 0 end", "cannot fit", 1000},
        {ModelFileKind::kMapMesh, "nodes 1 node type 1 hidden 1 bones 1000" + records("bone", 1000) + " end",
         "cannot fit", 1000},
        {ModelFileKind::kKeyframes, "tracks 1 track keys 1000 has_position_keys 1 end", "cannot fit", 1000},
        {ModelFileKind::kKeyframes, "tracks 1000" + records("track", 1000), "cannot fit", 1000},
    };
    for (const Case& c : cases) {
        std::vector<uint8_t> bytes;
        std::string error, text;
        ASSERT_TRUE(BuildModelFile(c.kind, c.text, bytes, &error)) << c.text << ": " << error;
        if (c.hostile) {
            const uint8_t from[4] = {uint8_t(c.hostile), uint8_t(c.hostile >> 8), 0, 0};
            auto at = std::search(bytes.begin(), bytes.end(), from, from + 4);
            ASSERT_NE(at, bytes.end()) << c.text;
            for (int i = 0; i < 4; ++i) at[i] = uint8_t(c.to >> (8 * i));
        }
        EXPECT_FALSE(DumpModelFile(c.kind, bytes, text, &error)) << c.text;
        EXPECT_NE(error.find(c.reason), std::string::npos) << c.text << ": " << error;
    }
    // Hidden and dummy nodes need no material.
    std::vector<uint8_t> bytes;
    std::string text, error;
    ASSERT_TRUE(BuildModelFile(ModelFileKind::kMapMesh,
                               "nodes 2 node hidden 1 material 4 end node type 3 end", bytes, &error));
    EXPECT_TRUE(DumpModelFile(ModelFileKind::kMapMesh, bytes, text, &error)) << error;
}

TEST(ModelFiles, TooManyBonesAndDeepNestingAreRefused) {
    ToonAnim anim;
    anim.nodes.resize(1);
    anim.nodes[0].skin = 1;
    anim.nodes[0].bones.resize(kMaxToonBones + 1);
    std::vector<uint8_t> bytes = WriteModelBinary(anim);
    std::string error;
    ToonAnim back;
    EXPECT_FALSE(LoadToonAnim(bytes.data(), bytes.size(), back, &error));
    EXPECT_NE(error.find("bones"), std::string::npos);

    // A chain of children deeper than any model: refused, not recursed without end.
    std::string deep = "roots 1";
    for (int i = 0; i < 80; ++i) deep += " node children 1";
    deep += " node end";
    for (int i = 0; i < 80; ++i) deep += " end";
    ToonMesh chain;
    EXPECT_FALSE(ParseModelText(deep, chain, &error));
    EXPECT_NE(error.find("deep"), std::string::npos);
    // The same chain as bytes, written by hand.
    ToonMesh one;
    one.roots.resize(1);
    bytes = WriteModelBinary(one);
    std::vector<uint8_t> node(bytes.begin() + 528, bytes.end());
    std::vector<uint8_t> file(bytes.begin(), bytes.begin() + 528);
    for (int i = 0; i < 80; ++i) {
        std::vector<uint8_t> parent = node;
        parent[parent.size() - 4] = 1;  // child count 1 ...
        file.insert(file.end(), parent.begin(), parent.end());
    }
    file.insert(file.end(), node.begin(), node.end());
    EXPECT_FALSE(LoadToonMesh(file.data(), file.size(), one, &error));
    EXPECT_NE(error.find("deep"), std::string::npos);
}

TEST(ModelFiles, TextFormErrorsNameTheLine) {
    struct Case {
        const char* text;
        const char* message;
    };
    const Case cases[] = {
        {"version 2\nroots 1\nnode kind 300 end", "line 3"},
        {"roots 1 node name unquoted end", "quoted"},
        {"version 2 colour 3", "not a field"},
        {"roots 1 node", "end of text"},
        {"name \"unterminated", "closing quote"},
    };
    for (const Case& c : cases) {
        ToonMesh mesh;
        std::string error;
        EXPECT_FALSE(ParseModelText(c.text, mesh, &error)) << c.text;
        EXPECT_NE(error.find(c.message), std::string::npos) << c.text << ": " << error;
    }
}

TEST(ModelFiles, ImageListsHoldAtMostTenNames) {
    qmtest::TempDir dir;
    std::vector<std::string> names;
    EXPECT_TRUE(
        ReadImageList(dir.WriteFile("a.ifl", "3\nwave0.bmp wave1.bmp\n  wave2.bmp\n").c_str(), names));
    EXPECT_EQ(names, (std::vector<std::string>{"wave0", "wave1", "wave2"}));
    std::string eleven = "11";
    for (int i = 0; i < 11; ++i) eleven += " f" + std::to_string(i) + ".bmp";
    EXPECT_FALSE(ReadImageList(dir.WriteFile("b.ifl", eleven).c_str(), names));
    EXPECT_FALSE(ReadImageList(dir.WriteFile("c.ifl", "4 a.bmp").c_str(), names));  // fewer names than said
    EXPECT_FALSE(ReadImageList(dir.WriteFile("d.ifl", "x").c_str(), names));
    EXPECT_FALSE(ReadImageList((dir.Path() + "/missing.ifl").c_str(), names));
}

TEST(ModelTool, BuildsAndDumpsFiles) {
    qmtest::TempDir dir;
    const std::string text = dir.WriteFile("cube.txt", kMapMesh);
    const std::string out = dir.Path() + "/0001.msh";
    qmtest::ToolRun r = qmtest::RunTool(RunModelTool, {"build", text, out});
    ASSERT_EQ(r.status, 0) << r.err;
    r = qmtest::RunTool(RunModelTool, {"dump", out});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.out.find("name \"Plate\""), std::string::npos);
    EXPECT_NE(r.out.find("0x80FF0000"), std::string::npos);  // colours in hexadecimal
    // The kind named when the extension does not tell.
    const std::string bin = dir.Path() + "/keys.bin";
    EXPECT_EQ(qmtest::RunTool(RunModelTool, {"build", dir.WriteFile("k.txt", kKeyframes), bin, "kfd"}).status,
              0);
    EXPECT_EQ(qmtest::RunTool(RunModelTool, {"dump", bin, "KFD"}).status, 0);
    struct Case {
        std::vector<std::string> args;
        int status;
        const char* message;
    };
    const Case cases[] = {
        {{"dump", bin}, 2, "which kind"},
        {{"build", dir.WriteFile("bad.txt", "version 1 nodes 1 node bogus 3 end"), out}, 1, "bogus"},
        {{"dump", dir.WriteFile("short.msh", "1")}, 1, "refuses"},
        {{"dump", dir.Path() + "/none.msh"}, 1, "cannot read"},
        {{"frobnicate"}, 2, "usage"},
    };
    for (const Case& c : cases) {
        r = qmtest::RunTool(RunModelTool, c.args);
        EXPECT_EQ(r.status, c.status) << c.args[0];
        EXPECT_NE(r.err.find(c.message), std::string::npos) << r.err;
    }
}

}  // namespace
