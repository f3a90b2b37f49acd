#include "anim/map_model_files.h"

#include <cctype>
#include <cstring>

#include "platform/paths.h"

namespace {

constexpr size_t kMaterialBytes = 32 + 52 + 32 + 1 + 1 + 4;
constexpr size_t kSubMaterialBytes = 32 + 52 + 32 + 1 + 1;
constexpr size_t kNodeBytes = 1 + 32 + 4 + 1 + 1 + 12 + 1 + 12 + 8 + 24;
constexpr size_t kTrackBytes = 10;
constexpr size_t kMatrixBytes = 64;

template <class IO, class T>
void Resize(IO&, std::vector<T>& v, size_t n) {
    v.resize(n);
}

// The version field: ASCII digits, read up to the first other byte.
uint32_t ParseVersion(const std::vector<uint8_t>& field) {
    size_t i = 0;
    while (i < field.size() && (field[i] == ' ' || field[i] == '\t')) ++i;
    uint32_t v = 0;
    for (; i < field.size() && std::isdigit(field[i]); ++i) v = v * 10 + (field[i] - '0');
    return v;
}

template <class IO>
void TransferMaterial(IO& io, ModelMaterial& m, uint32_t version, bool sub) {
    io.Text("name", m.name, 32);
    io.Raw("block52", m.block52, 52);
    io.Raw("block32", m.block32, 32);
    io.U8("two_sided", m.twoSided);
    if (!sub && version == 1) io.U8("shade_mode", m.shadeMode);
    io.U8("has_texture", m.hasTexture);
    if (m.hasTexture) {
        io.Raw("texture_head", m.textureHead, 40);
        io.Text("texture", m.textureName, 32);
        io.Raw("texture_tail", m.textureTail, 324);
        io.U8("has_image_list", m.hasImageList);
        if (m.hasImageList) io.Text("image_list", m.imageListName, 32);
    }
    if (sub) return;
    uint32_t sc = uint32_t(m.subs.size());
    io.Count32("sub_materials", sc, kSubMaterialBytes);
    Resize(io, m.subs, sc);
    for (ModelMaterial& s : m.subs) {
        io.Record("sub_material", [&] { TransferMaterial(io, s, version, true); });
        if (io.Failed()) return;
    }
}

template <class IO>
void TransferNode(IO& io, ModelNode& n, uint32_t version) {
    io.U8("type", n.type);
    io.Text("name", n.name, 32);
    io.U32("id", n.id);
    io.U8("hidden", n.hidden);
    io.U8("has_parent", n.hasParent);
    if (n.hasParent) io.Text("parent", n.parentName, 32);
    io.List("vector", 3, [&](size_t i) { io.U32(nullptr, n.vector[i]); });
    io.U8("has_matrix", n.hasMatrix);
    if (n.hasMatrix) {
        io.Raw("matrix_head", n.matrixHead, 32);
        TransferMatrix(io, "matrix", n.matrix);
    }
    const size_t words = version == 0 ? 6 : 3;
    if constexpr (!IO::kReading) {
        n.geometry[0] = uint32_t(n.vertices.size());
        n.geometry[1] = uint32_t(n.faces.size());
    }
    io.List("geometry", words, [&](size_t i) { io.U32(nullptr, n.geometry[i]); });
    const uint32_t vc = n.geometry[0], fc = n.geometry[1];
    if (!io.Fits("vertices", vc, 32) || !io.Fits("faces", fc, 6 + 20)) return;
    Resize(io, n.vertices, vc);
    Resize(io, n.faces, fc);
    Resize(io, n.indices, size_t(fc) * 3);
    io.List(
        "indices", n.indices.size(), [&](size_t i) { io.U16(nullptr, n.indices[i]); }, 3);
    io.List(
        "vertices", vc,
        [&](size_t i) {
            ModelVertex& v = n.vertices[i];
            io.F32(nullptr, v.x);
            io.F32(nullptr, v.y);
            io.F32(nullptr, v.z);
            io.U32(nullptr, v.reserved);
            io.Color(nullptr, v.diffuse);
            io.Color(nullptr, v.specular);
            io.F32(nullptr, v.tu);
            io.F32(nullptr, v.tv);
        },
        1);
    io.List(
        "faces", fc,
        [&](size_t i) {
            io.U32(nullptr, n.faces[i].triangle);
            for (uint32_t& w : n.faces[i].rest) io.U32(nullptr, w);
        },
        1);
    if (version == 0) {
        io.U8("extra_flag", n.extraFlag);
        if (n.extraFlag == 1) io.Raw("extra", n.extra, size_t(fc) * 16 + size_t(n.geometry[2]) * 36);
        io.Raw("extra2", n.extra2, size_t(fc) * 16);
    }
    io.U32("material", n.materialIndex);
    io.U32("word", n.word);
    if (n.type == kModelNodeSkinned) {
        uint32_t bc = uint32_t(n.bones.size());
        io.Count32("bones", bc, 8);
        Resize(io, n.bones, bc);
        for (ModelBone& b : n.bones) {
            io.Record("bone", [&] {
                io.U32("node", b.nodeId);
                uint32_t wc = uint32_t(b.weights.size());
                io.Count32("weight_count", wc, 10);
                Resize(io, b.weights, wc);
                io.List(
                    "weights", wc,
                    [&](size_t i) {
                        io.U16(nullptr, b.weights[i].vertex);
                        io.F32(nullptr, b.weights[i].weight);
                        io.U32(nullptr, b.weights[i].unused);
                    },
                    1);
            });
            if (io.Failed()) return;
        }
    }
    TransferVec3(io, "bounds_min", n.boundsMin);
    TransferVec3(io, "bounds_max", n.boundsMax);
}

template <class IO>
void TransferTrack(IO& io, KeyframeTrack& t) {
    io.U32("node", t.nodeId);
    io.U32("keys", t.keyCount);
    io.U8("has_position_keys", t.hasPositionKeys);
    io.U8("has_texture_keys", t.hasTextureKeys);
    const size_t arrays = (t.hasPositionKeys ? 1 : 0) + (t.hasTextureKeys ? 1 : 0);
    if (!io.Fits("keys", t.keyCount, kMatrixBytes * arrays)) return;
    Resize(io, t.positionKeys, t.hasPositionKeys ? t.keyCount : 0);
    Resize(io, t.textureKeys, t.hasTextureKeys ? t.keyCount : 0);
    io.List(
        "position_keys", t.positionKeys.size(),
        [&](size_t i) { TransferMatrix(io, nullptr, t.positionKeys[i]); }, 1);
    io.List(
        "texture_keys", t.textureKeys.size(),
        [&](size_t i) { TransferMatrix(io, nullptr, t.textureKeys[i]); }, 1);
}

bool CheckNode(const ModelNode& n, size_t materialCount, std::string* error) {
    auto fail = [&](const std::string& why) {
        if (error) *error = "node \"" + n.name + "\": " + why;
        return false;
    };
    for (uint16_t i : n.indices)
        if (i >= n.vertices.size())
            return fail("triangle corner " + std::to_string(i) + " is beyond its " +
                        std::to_string(n.vertices.size()) + " vertices");
    for (const ModelFace& f : n.faces)
        if (f.triangle >= n.faces.size())
            return fail("face record names triangle " + std::to_string(f.triangle) + " of " +
                        std::to_string(n.faces.size()));
    for (const ModelBone& b : n.bones)
        for (const ModelBoneWeight& w : b.weights)
            if (w.vertex >= n.vertices.size())
                return fail("bone weight for vertex " + std::to_string(w.vertex) + " of " +
                            std::to_string(n.vertices.size()));
    if (!n.hidden && n.type != kModelNodeDummy && n.materialIndex >= materialCount)
        return fail("material " + std::to_string(n.materialIndex) + " of " + std::to_string(materialCount));
    return true;
}

}  // namespace

template <class IO>
void Transfer(IO& io, ModelMeshData& mesh) {
    if constexpr (IO::kBinary) {
        std::vector<uint8_t> field(5, 0);
        if constexpr (!IO::kReading) {
            const std::string digits = std::to_string(mesh.version);
            std::memcpy(field.data(), digits.data(), std::min<size_t>(digits.size(), 5));
        }
        io.Raw("version", field, 5);
        mesh.version = ParseVersion(field);
    } else {
        io.U32("version", mesh.version);
    }
    io.List("words", 3, [&](size_t i) { io.U32(nullptr, mesh.words[i]); });
    uint32_t mc = uint32_t(mesh.materials.size()), nc = uint32_t(mesh.nodes.size());
    const bool known = mesh.version <= 1;
    // Another version keeps no arrays (the counts are read and not trusted).
    io.Count32("materials", mc, known ? kMaterialBytes : 0);
    io.Count32("nodes", nc, known ? kNodeBytes : 0);
    if (!known) {
        mesh.materials.clear();
        mesh.nodes.clear();
        return;
    }
    Resize(io, mesh.materials, mc);
    Resize(io, mesh.nodes, nc);
    for (ModelMaterial& m : mesh.materials) {
        io.Record("material", [&] { TransferMaterial(io, m, mesh.version, false); });
        if (io.Failed()) return;
    }
    for (ModelNode& n : mesh.nodes) {
        io.Record("node", [&] { TransferNode(io, n, mesh.version); });
        if (io.Failed()) return;
    }
}

template <class IO>
void Transfer(IO& io, KeyframeData& keys) {
    io.Raw("header", keys.header, 5);
    uint32_t tc = uint32_t(keys.tracks.size());
    io.Count32("tracks", tc, kTrackBytes);
    io.U32("frames", keys.frameCount);
    io.Text("name", keys.name, 32);
    Resize(io, keys.tracks, tc);
    for (KeyframeTrack& t : keys.tracks) {
        io.Record("track", [&] { TransferTrack(io, t); });
        if (io.Failed()) return;
    }
}

#define QM_MAP_MODEL_LAYOUTS(IO)                     \
    template void Transfer<IO>(IO&, ModelMeshData&); \
    template void Transfer<IO>(IO&, KeyframeData&);
QM_MAP_MODEL_LAYOUTS(CModelReader)
QM_MAP_MODEL_LAYOUTS(CModelWriter)
QM_MAP_MODEL_LAYOUTS(CModelTextReader)
QM_MAP_MODEL_LAYOUTS(CModelTextWriter)
#undef QM_MAP_MODEL_LAYOUTS

bool LoadModelMeshData(const uint8_t* data, size_t size, ModelMeshData& mesh, std::string* error) {
    if (!ReadModelBinary(data, size, mesh, error)) return false;
    for (const ModelNode& n : mesh.nodes)
        if (!CheckNode(n, mesh.materials.size(), error)) return false;
    return true;
}

bool LoadKeyframeData(const uint8_t* data, size_t size, KeyframeData& keys, std::string* error) {
    return ReadModelBinary(data, size, keys, error);
}

bool ReadImageList(const char* path, std::vector<std::string>& names) {
    names.clear();
    std::vector<uint8_t> bytes;
    if (!path || !plat::ReadWholeFile(path, bytes)) return false;
    std::vector<std::string> tokens;
    std::string token;
    for (uint8_t c : bytes) {
        if (std::isspace(c)) {
            if (!token.empty()) tokens.push_back(std::move(token));
            token.clear();
        } else {
            token += char(c);
        }
    }
    if (!token.empty()) tokens.push_back(std::move(token));
    if (tokens.empty()) return false;
    char* end = nullptr;
    const long count = std::strtol(tokens[0].c_str(), &end, 10);
    if (*end || count < 0 || size_t(count) > kMaxImageListNames || size_t(count) > tokens.size() - 1)
        return false;
    for (long i = 0; i < count; ++i) {
        const std::string& name = tokens[size_t(i) + 1];
        std::string title = name.size() > 4 ? name.substr(0, name.size() - 4) : std::string();
        if (title.size() > 31) title.resize(31);
        names.push_back(title);
    }
    return true;
}
