// The 3D model file readers on hostile bytes. The first byte chooses the kind
// (toon mesh, animation, material, map-object mesh, keyframes); the rest is
// the file. Whatever a reader accepts is dumped and read back in its text
// form, and an accepted mesh is posed, skinned, lit and outlined (toon) or
// animated with the named-node motion and a keyframe track for every node
// (map object), so that an accepted file is also a safe one.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "anim/map_model3d.h"
#include "anim/toon_object.h"
#include "fuzz/fuzz_file.h"
#include "tools/qmmodel/model_tool.h"

namespace {

void PoseToon(ToonMesh& mesh) {
    ToonAnim anim;
    auto bind = [&](auto&& self, const std::vector<ToonNode>& nodes) -> void {
        for (const ToonNode& n : nodes) {
            ToonAnimNode a;
            a.name = n.name;
            a.skin = 1;
            a.bones.push_back({n.name, {0, 1, 2}, {0.5f, 0.5f, 1.0f}});
            a.translationKeys = {{0, 0, 0}, {1, 2, 3}};
            anim.nodes.push_back(a);
            self(self, n.children);
        }
    };
    bind(bind, mesh.roots);
    ToonMaterial material;
    material.materials.resize(2);
    material.materials[1].subs.resize(1);
    CToonObject object(nullptr, &mesh, &material, &anim);
    object.Animate(20);
    for (uint8_t mode : std::initializer_list<uint8_t>{0, 1}) {
        object.SetToonMode(mode);
        object.Draw();
    }
}

void AnimateMapModel(const ModelMeshData& data) {
    CModelMesh mesh;
    mesh.m_data = data;
    CKeyframeSet keys;
    keys.m_data.frameCount = 1;
    for (const ModelNode& n : data.nodes) {
        KeyframeTrack t;
        t.nodeId = n.id;
        t.keyCount = 1;
        t.hasPositionKeys = t.hasTextureKeys = 1;
        Matrix m;
        SetIdentityMatrix(&m);
        t.positionKeys.push_back(m);
        t.textureKeys.push_back(m);
        keys.m_data.tracks.push_back(t);
    }
    CModelAnimator animator;
    animator.Init(&mesh, &keys);
    animator.Animate(0);
    for (size_t i = 0; i < data.nodes.size(); ++i)
        ShadeFaces(data.nodes[i], animator.m_copy[i].vertices, animator.m_copy[i].indices, 3);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzz::InstallSilentBoxes();
    if (size < 1) return 0;
    const ModelFileKind kinds[5] = {ModelFileKind::kToonMesh, ModelFileKind::kToonAnim,
                                    ModelFileKind::kToonMaterial, ModelFileKind::kMapMesh,
                                    ModelFileKind::kKeyframes};
    const ModelFileKind kind = kinds[data[0] % 5];
    const std::vector<uint8_t> bytes(data + 1, data + size);
    std::string text;
    if (!DumpModelFile(kind, bytes, text)) return 0;
    std::vector<uint8_t> again;
    BuildModelFile(kind, text, again);
    if (kind == ModelFileKind::kToonMesh) {
        ToonMesh mesh;
        if (LoadToonMesh(bytes.data(), bytes.size(), mesh)) PoseToon(mesh);
    } else if (kind == ModelFileKind::kMapMesh) {
        ModelMeshData mesh;
        if (LoadModelMeshData(bytes.data(), bytes.size(), mesh)) AnimateMapModel(mesh);
    }
    return 0;
}
