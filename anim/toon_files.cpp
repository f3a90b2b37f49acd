#include "anim/toon_files.h"

#include <cmath>
#include <cstring>
#include <unordered_map>

namespace {

// Smallest sizes on file, for the count checks.
constexpr size_t kNodeBytes = 128 + 1 + 4 + 4 + 4 + 1 + 4 + 2 + 4;
constexpr size_t kVertexBytes = 12 + 12 + 8 + 1;
constexpr size_t kGroupBytes = 8;
constexpr size_t kAnimNodeBytes = 128 + 9 + 3 * 64 + 3 * 56 + 12 + 1;
constexpr size_t kBoneBytes = 128 + 4;
constexpr size_t kMaterialBytes = 36 + 16 + 1 + 4 + 4;
constexpr size_t kMapBytes = 1 + 512 + 16 + 1 + 4 + 4;

template <class IO, class T>
void Resize(IO&, std::vector<T>& v, size_t n) {
    v.resize(n);
}

// ---- Mesh ----

template <class IO>
void TransferNode(IO& io, ToonNode& n, int depth) {
    if (!DepthAllowed(io, depth, "mesh nodes")) return;
    io.Text("name", n.name, 128);
    io.U8("kind", n.kind);
    io.U32("value", n.value);
    io.U32("parent_link", n.parentLink);
    io.U32("material", n.materialIndex);
    io.U8("hidden", n.hidden);
    uint32_t vc = uint32_t(n.vertices.size());
    io.Count32("vertices", vc, kVertexBytes);
    Resize(io, n.vertices, vc);
    Resize(io, n.normals, vc);
    Resize(io, n.subMaterials, vc);
    if (vc > 0) {
        io.List(
            "positions", vc,
            [&](size_t i) {
                io.F32(nullptr, n.vertices[i].x);
                io.F32(nullptr, n.vertices[i].y);
                io.F32(nullptr, n.vertices[i].z);
            },
            1);
        io.List(
            "normals", vc, [&](size_t i) { TransferVec3(io, nullptr, n.normals[i]); }, 1);
        io.List(
            "uvs", vc,
            [&](size_t i) {
                io.F32(nullptr, n.vertices[i].tu);
                io.F32(nullptr, n.vertices[i].tv);
            },
            1);
        io.List("sub_materials", vc, [&](size_t i) { io.U8(nullptr, n.subMaterials[i]); });
    }
    uint16_t gc = uint16_t(n.groups.size());
    io.Count16("groups", gc, kGroupBytes);
    Resize(io, n.groups, gc);
    for (ToonFaceGroup& g : n.groups) {
        io.Record("group", [&] {
            io.I32("sub_material", g.subMaterial);
            uint32_t tc = uint32_t(g.indices.size() / 3);
            io.Count32("triangles", tc, 6);
            Resize(io, g.indices, size_t(tc) * 3);
            io.List(
                "indices", g.indices.size(), [&](size_t i) { io.U16(nullptr, g.indices[i]); }, 3);
        });
        if (io.Failed()) return;
    }
    int32_t cc = int32_t(n.children.size());
    io.CountI32("children", cc, kNodeBytes);
    Resize(io, n.children, size_t(cc));
    for (ToonNode& child : n.children) {
        io.Record("node", [&] { TransferNode(io, child, depth + 1); });
        if (io.Failed()) return;
    }
}

// ---- Animation ----

const char* const kGroupNames[3][4] = {
    {"bind_translation", "bind_rotation", "bind_scale_axis", "bind_scale"},
    {"rest_translation", "rest_rotation", "rest_scale_axis", "rest_scale"},
    {"third_translation", "third_rotation", "third_scale_axis", "third_scale"},
};
const char* const kMatrixNames[3] = {"bind_matrix", "rest_matrix", "third_matrix"};

template <class IO>
void TransferAnimNode(IO& io, ToonAnimNode& n, bool morph) {
    io.Text("name", n.name, 128);
    io.List("flags", 9, [&](size_t i) { io.U8(nullptr, n.flags[i]); });
    for (int k = 0; k < 3; ++k) TransferMatrix(io, kMatrixNames[k], n.fileMatrices[k]);
    for (int k = 0; k < 3; ++k) {
        TransferVec3(io, kGroupNames[k][0], n.groups[k].translation);
        TransferVec4(io, kGroupNames[k][1], n.groups[k].rotation);
        TransferVec4(io, kGroupNames[k][2], n.groups[k].scaleAxis);
        TransferVec3(io, kGroupNames[k][3], n.groups[k].scale);
    }
    if (morph) {
        uint32_t k = uint32_t(n.morphA.size());
        io.Count32("morph", k, 24);
        Resize(io, n.morphA, k);
        Resize(io, n.morphB, k);
        io.List(
            "morph_a", k, [&](size_t i) { TransferVec3(io, nullptr, n.morphA[i]); }, 1);
        io.List(
            "morph_b", k, [&](size_t i) { TransferVec3(io, nullptr, n.morphB[i]); }, 1);
    }
    uint32_t tc = uint32_t(n.translationKeys.size()), rc = uint32_t(n.rotationKeys.size()),
             sc = uint32_t(n.scaleKeys.size());
    io.Count32("translation_keys", tc, 12);
    io.Count32("rotation_keys", rc, 16);
    io.Count32("scale_keys", sc, 28);
    Resize(io, n.translationKeys, tc);
    Resize(io, n.rotationKeys, rc);
    Resize(io, n.scaleKeys, sc);
    io.List(
        "translations", tc, [&](size_t i) { TransferVec3(io, nullptr, n.translationKeys[i]); }, 1);
    io.List(
        "rotations", rc, [&](size_t i) { TransferVec4(io, nullptr, n.rotationKeys[i]); }, 1);
    io.List(
        "scales", sc,
        [&](size_t i) {
            TransferVec3(io, nullptr, n.scaleKeys[i].scale);
            TransferVec4(io, nullptr, n.scaleKeys[i].axis);
        },
        1);
    io.U8("skin", n.skin);
    if (!n.skin) return;
    uint32_t bc = uint32_t(n.bones.size());
    io.Count32("bones", bc, kBoneBytes);
    Resize(io, n.bones, bc);
    for (ToonBone& b : n.bones) {
        io.Record("bone", [&] {
            io.Text("name", b.name, 128);
            uint32_t ic = uint32_t(b.vertices.size());
            io.Count32("influences", ic, 8);
            Resize(io, b.vertices, ic);
            Resize(io, b.weights, ic);
            io.List("vertices", ic, [&](size_t i) { io.U32(nullptr, b.vertices[i]); });
            io.List("weights", ic, [&](size_t i) { io.F32(nullptr, b.weights[i]); });
        });
        if (io.Failed()) return;
    }
}

// ---- Materials ----

template <class IO>
void TransferMap(IO& io, ToonMaterialMap& m, int depth) {
    if (!DepthAllowed(io, depth, "material maps")) return;
    io.U8("type", m.type);
    io.Text("file", m.fileName, 512);
    io.List("values", 4, [&](size_t i) { io.U32(nullptr, m.values[i]); });
    io.U8("flag", m.flag);
    io.U32("value", m.value);
    int32_t cc = int32_t(m.children.size());
    io.CountI32("maps", cc, kMapBytes);
    Resize(io, m.children, size_t(cc));
    for (ToonMaterialMap& c : m.children) {
        io.Record("map", [&] { TransferMap(io, c, depth + 1); });
        if (io.Failed()) return;
    }
}

template <class IO>
void TransferMaterialDef(IO& io, ToonMaterialDef& m, int depth) {
    if (!DepthAllowed(io, depth, "sub-materials")) return;
    TransferVec3(io, "color1", m.colors[0]);
    TransferVec3(io, "color2", m.colors[1]);
    TransferVec3(io, "color3", m.colors[2]);
    io.F32("shininess", m.shininess);
    io.F32("intensity", m.intensity);
    io.F32("transparency", m.transparency);
    io.F32("ambient", m.ambientOffset);
    io.U8("two_sided", m.twoSided);
    int32_t mc = int32_t(m.maps.size()), sc = int32_t(m.subs.size());
    io.CountI32("maps", mc, kMapBytes);
    io.CountI32("sub_materials", sc, kMaterialBytes);
    Resize(io, m.maps, size_t(mc));
    Resize(io, m.subs, size_t(sc));
    for (ToonMaterialMap& map : m.maps) {
        io.Record("map", [&] { TransferMap(io, map, depth + 1); });
        if (io.Failed()) return;
    }
    for (ToonMaterialDef& sub : m.subs) {
        io.Record("material", [&] { TransferMaterialDef(io, sub, depth + 1); });
        if (io.Failed()) return;
    }
}

// ---- Checks after reading ----

bool CheckNode(const ToonNode& n, std::string* error) {
    for (const ToonFaceGroup& g : n.groups)
        for (uint16_t i : g.indices)
            if (i >= n.vertices.size()) {
                if (error)
                    *error = "node \"" + n.name + "\": face index " + std::to_string(i) + " is beyond its " +
                             std::to_string(n.vertices.size()) + " vertices";
                return false;
            }
    for (const ToonNode& c : n.children)
        if (!CheckNode(c, error)) return false;
    return true;
}

// The edges and the arrays each frame fills.
void PrepareNode(ToonNode& n) {
    BuildToonEdges(n);
    n.drawn = n.vertices;
    n.drawnNormals = n.normals;
    for (ToonFaceGroup& g : n.groups) {
        g.facing.assign(g.indices.size() / 3, 0.0f);
        g.drawIndices.reserve(g.indices.size());
    }
    for (ToonNode& c : n.children) PrepareNode(c);
}

void ScaleColors(ToonMaterialDef& m) {
    m.diffuse = {m.colors[1].x * 255.0f, m.colors[1].y * 255.0f, m.colors[1].z * 255.0f};
    const float k = m.intensity * 255.0f;
    m.specular = {m.colors[2].x * k, m.colors[2].y * k, m.colors[2].z * k};
    for (ToonMaterialDef& s : m.subs) ScaleColors(s);
}

Matrix GroupMatrix(const ToonTransformGroup& g) {
    Matrix m;
    MatrixTransformation(&m, nullptr, &g.scaleAxis, &g.scale, nullptr, &g.rotation, &g.translation);
    return m;
}

// Equal end positions: the three floats of each end compare equal.
struct EdgeKey {
    float p[6];
    bool operator==(const EdgeKey& o) const {
        for (int i = 0; i < 6; ++i)
            if (!(p[i] == o.p[i])) return false;
        return true;
    }
};
struct EdgeKeyHash {
    size_t operator()(const EdgeKey& k) const {
        size_t h = 1469598103934665603ull;
        for (float f : k.p) {
            if (f == 0.0f) f = 0.0f;  // -0 and +0 compare equal
            uint32_t bits;
            std::memcpy(&bits, &f, 4);
            h = (h ^ bits) * 1099511628211ull;
        }
        return h;
    }
};

// The key of an edge with its ends in a fixed order, so either direction finds it.
bool MakeEdgeKey(const Vec3& a, const Vec3& b, EdgeKey& key) {
    const float pa[3] = {a.x, a.y, a.z}, pb[3] = {b.x, b.y, b.z};
    for (float f : pa)
        if (std::isnan(f)) return false;
    for (float f : pb)
        if (std::isnan(f)) return false;
    bool aFirst = true;
    for (int i = 0; i < 3; ++i)
        if (pa[i] != pb[i]) {
            aFirst = pa[i] < pb[i];
            break;
        }
    const float* first = aFirst ? pa : pb;
    const float* second = aFirst ? pb : pa;
    for (int i = 0; i < 3; ++i) {
        key.p[i] = first[i];
        key.p[3 + i] = second[i];
    }
    return true;
}

}  // namespace

template <class IO>
void Transfer(IO& io, ToonMesh& mesh) {
    io.U16("version", mesh.version);
    uint16_t rc = uint16_t(mesh.roots.size());
    io.Count16("roots", rc, kNodeBytes);
    io.U16("value", mesh.value);
    if (mesh.version >= 2) {
        io.U16("reserved", mesh.reserved);
        io.F32("scale", mesh.scalePercent);
        io.Text("name", mesh.name, 516);
    } else {
        io.Text("name", mesh.name, 514);
        mesh.scalePercent = 100.0f;
    }
    Resize(io, mesh.roots, rc);
    for (ToonNode& n : mesh.roots) {
        io.Record("node", [&] { TransferNode(io, n, 1); });
        if (io.Failed()) return;
    }
}

template <class IO>
void Transfer(IO& io, ToonAnim& anim) {
    io.U16("morph", anim.morph);
    io.U16("reserved", anim.reserved);
    int32_t nc = int32_t(anim.nodes.size());
    io.CountI32("nodes", nc, kAnimNodeBytes);
    io.U32("start_tick", anim.startTick);
    io.U32("end_tick", anim.endTick);
    io.U32("value", anim.value);
    io.U32("frames_per_key", anim.framesPerKey);
    io.U32("ticks_per_frame", anim.ticksPerFrame);
    io.U32("ms_per_frame", anim.msPerFrame);
    Resize(io, anim.nodes, size_t(nc));
    for (ToonAnimNode& n : anim.nodes) {
        io.Record("node", [&] { TransferAnimNode(io, n, anim.morph != 0); });
        if (io.Failed()) return;
    }
}

template <class IO>
void Transfer(IO& io, ToonMaterial& material) {
    io.U16("value", material.value);
    io.U16("reserved", material.reserved);
    int32_t mc = int32_t(material.materials.size());
    io.CountI32("materials", mc, kMaterialBytes);
    Resize(io, material.materials, size_t(mc));
    for (ToonMaterialDef& m : material.materials) {
        io.Record("material", [&] { TransferMaterialDef(io, m, 1); });
        if (io.Failed()) return;
    }
}

#define QM_TOON_LAYOUTS(IO)                     \
    template void Transfer<IO>(IO&, ToonMesh&); \
    template void Transfer<IO>(IO&, ToonAnim&); \
    template void Transfer<IO>(IO&, ToonMaterial&);
QM_TOON_LAYOUTS(CModelReader)
QM_TOON_LAYOUTS(CModelWriter)
QM_TOON_LAYOUTS(CModelTextReader)
QM_TOON_LAYOUTS(CModelTextWriter)
#undef QM_TOON_LAYOUTS

void BuildToonEdges(ToonNode& node) {
    node.edges.clear();
    std::unordered_map<EdgeKey, size_t, EdgeKeyHash> firstEdge;
    auto position = [&](uint16_t i) {
        const ToonVertex& v = node.vertices[i];
        return Vec3{v.x, v.y, v.z};
    };
    for (uint32_t g = 0; g < node.groups.size(); ++g) {
        const std::vector<uint16_t>& idx = node.groups[g].indices;
        for (uint32_t t = 0; t < idx.size() / 3; ++t)
            for (int e = 0; e < 3; ++e) {
                const uint16_t a = idx[t * 3 + e], b = idx[t * 3 + (e + 1) % 3];
                if (a >= node.vertices.size() || b >= node.vertices.size()) continue;
                EdgeKey key;
                const bool comparable = MakeEdgeKey(position(a), position(b), key);
                if (comparable) {
                    auto it = firstEdge.find(key);
                    if (it != firstEdge.end()) {
                        ToonEdge& edge = node.edges[it->second];
                        edge.group2 = g;
                        edge.triangle2 = t;
                        edge.shared = 1;
                        continue;
                    }
                    firstEdge.emplace(key, node.edges.size());
                }
                ToonEdge edge;
                edge.a = a;
                edge.b = b;
                edge.group1 = g;
                edge.triangle1 = t;
                node.edges.push_back(edge);
            }
    }
}

bool LoadToonMesh(const uint8_t* data, size_t size, ToonMesh& mesh, std::string* error) {
    if (!ReadModelBinary(data, size, mesh, error)) return false;
    for (const ToonNode& n : mesh.roots)
        if (!CheckNode(n, error)) return false;
    for (ToonNode& n : mesh.roots) PrepareNode(n);
    return true;
}

bool LoadToonAnim(const uint8_t* data, size_t size, ToonAnim& anim, std::string* error) {
    if (!ReadModelBinary(data, size, anim, error)) return false;
    auto fail = [&](const std::string& why) {
        if (error) *error = why;
        return false;
    };
    if (anim.ticksPerFrame == 0 || anim.msPerFrame == 0 || anim.framesPerKey == 0)
        return fail("ticks per frame, milliseconds per frame and frames per key must be above 0");
    if (anim.startTick > anim.endTick) return fail("the start tick lies after the end tick");
    for (ToonAnimNode& n : anim.nodes) {
        if (n.bones.size() > kMaxToonBones)
            return fail("node \"" + n.name + "\" has more than " + std::to_string(kMaxToonBones) + " bones");
        n.bind = GroupMatrix(n.groups[0]);
        n.rest = GroupMatrix(n.groups[1]);
        n.third = GroupMatrix(n.groups[2]);
    }
    return true;
}

bool LoadToonMaterial(const uint8_t* data, size_t size, ToonMaterial& material, std::string* error) {
    if (!ReadModelBinary(data, size, material, error)) return false;
    for (ToonMaterialDef& m : material.materials) ScaleColors(m);
    return true;
}
