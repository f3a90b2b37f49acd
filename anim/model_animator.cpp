#include "anim/model_animator.h"

#include <cmath>
#include <cstdio>

#include "anim/model_support.h"
#include "core/config.h"
#include "data/file_resource.h"
#include "data/text_tables.h"
#include "graphics/direct3d.h"
#include "platform/message_box.h"

namespace {

// The file name without its last four characters.
std::string TitleOf(const std::string& fileName) {
    return fileName.size() > 4 ? fileName.substr(0, fileName.size() - 4) : std::string();
}

std::string ObjectPath(const char* fileName) {
    return g_config.m_folders[FOLDER_3DOBJECT] + "\\" + fileName;
}

// The load-failure box of a model file; false.
bool Refuse(const std::string& path) {
    char text[640];
    std::snprintf(text, sizeof text, "%s [%s]", GetTableText(0, 13), path.c_str());
    plat::MessageBox(text, "");
    return false;
}

// Reads a model file whole; a file that is missing or cannot be read is refused.
bool ReadModelData(const std::string& path, std::vector<uint8_t>& bytes) {
    if (DataFileExists(path.c_str()) && ReadWholeDataFile(path.c_str(), bytes)) return true;
    return Refuse(path);
}

// Keeps the file name and title and loads "<3D object folder>\<file name>".
template <class Data, class Loader>
bool LoadObjectFile(const char* fileName, std::string& name, std::string& title, Data& data, Loader load) {
    if (!fileName) return false;
    name = fileName;
    title = TitleOf(name);
    const std::string path = ObjectPath(fileName);
    std::vector<uint8_t> bytes;
    if (!ReadModelData(path, bytes)) return false;
    return load(bytes.data(), bytes.size(), data, nullptr) || Refuse(path);
}

// A point through a matrix with the division by w; false (and p untouched) when w is 0.
bool TransformChecked(Vec3& p, const Matrix& m) {
    Vec3 out;
    if (Vec3TransformCoordChecked(&out, p, m) != kMathOk) return false;
    p = out;
    return true;
}

// The file stores positions with y and z swapped against the keys.
bool TransformSwapped(Vec3& p, const Matrix& m) {
    Vec3 s{p.x, p.z, p.y};
    if (!TransformChecked(s, m)) return false;
    p = {s.x, s.z, s.y};
    return true;
}

void ReadImageLists(const std::string& title, ModelMaterial& m) {
    if (m.hasTexture && m.hasImageList) {
        const std::string path = ".\\AnimationObject\\" + title + "\\" + m.imageListName + ".ifl";
        if (!ReadImageList(path.c_str(), m.imageList)) m.imageList.clear();
    }
    for (ModelMaterial& s : m.subs) ReadImageLists(title, s);
}

void ReleaseMaterialTextures(ModelMaterial& m) {
    ReleaseModelTexture(m.textureId);
    for (ModelMaterial& s : m.subs) ReleaseMaterialTextures(s);
}

}  // namespace

// ---- Files ----

CModelMesh::~CModelMesh() {
    if (m_textureOwner && *m_textureOwner && g_pDirect3D)
        for (ModelMaterial& m : m_data.materials) ReleaseMaterialTextures(m);
}

bool CModelMesh::Load(const char* fileName) {
    if (!LoadObjectFile(fileName, m_fileName, m_title, m_data, LoadModelMeshData)) return false;
    for (ModelMaterial& m : m_data.materials) ReadImageLists(m_title, m);
    return true;
}

int32_t CModelMesh::FindNode(uint32_t id) const {
    for (size_t i = 0; i < m_data.nodes.size(); ++i)
        if (m_data.nodes[i].id == id) return int32_t(i);
    return -1;
}

bool CKeyframeSet::Load(const char* fileName) {
    return LoadObjectFile(fileName, m_fileName, m_title, m_data, LoadKeyframeData);
}

const KeyframeTrack* CKeyframeSet::FindTrack(uint32_t nodeId) const {
    for (const KeyframeTrack& t : m_data.tracks)
        if (t.nodeId == nodeId) return &t;
    return nullptr;
}

// ---- Animation ----

Matrix AffineInverse(const Matrix& m) {
    Matrix r;
    SetIdentityMatrix(&r);
    const auto& a = m.m;
    const float det = a[0][0] * (a[1][1] * a[2][2] - a[1][2] * a[2][1]) -
                      a[0][1] * (a[1][0] * a[2][2] - a[1][2] * a[2][0]) +
                      a[0][2] * (a[1][0] * a[2][1] - a[1][1] * a[2][0]);
    if (det == 0.0f) return r;
    const float k = 1.0f / det;
    r.m[0][0] = (a[1][1] * a[2][2] - a[1][2] * a[2][1]) * k;
    r.m[0][1] = (a[0][2] * a[2][1] - a[0][1] * a[2][2]) * k;
    r.m[0][2] = (a[0][1] * a[1][2] - a[0][2] * a[1][1]) * k;
    r.m[1][0] = (a[1][2] * a[2][0] - a[1][0] * a[2][2]) * k;
    r.m[1][1] = (a[0][0] * a[2][2] - a[0][2] * a[2][0]) * k;
    r.m[1][2] = (a[0][2] * a[1][0] - a[0][0] * a[1][2]) * k;
    r.m[2][0] = (a[1][0] * a[2][1] - a[1][1] * a[2][0]) * k;
    r.m[2][1] = (a[0][1] * a[2][0] - a[0][0] * a[2][1]) * k;
    r.m[2][2] = (a[0][0] * a[1][1] - a[0][1] * a[1][0]) * k;
    for (int c = 0; c < 3; ++c)
        r.m[3][c] = -(a[3][0] * r.m[0][c] + a[3][1] * r.m[1][c] + a[3][2] * r.m[2][c]);
    return r;
}

void CModelAnimator::Init(CModelMesh* mesh, CKeyframeSet* keys) {
    if (mesh) m_mesh = mesh;
    if (keys) m_keys = keys;
    m_frameStep = 1.0f;
    m_copy.clear();
    if (!m_mesh) return;
    m_copy.resize(m_mesh->m_data.nodes.size());
    for (size_t i = 0; i < m_copy.size(); ++i) {
        m_copy[i].indices = m_mesh->m_data.nodes[i].indices;
        m_copy[i].vertices = m_mesh->m_data.nodes[i].vertices;
    }
}

bool CModelAnimator::Animate(int32_t f) {
    if (m_mesh) AnimateNamedNodes(m_mesh->m_data.nodes, m_copy);
    if (!m_keys || !m_mesh || f < 0 || uint32_t(f) > m_keys->FrameCount()) return false;
    const std::vector<ModelNode>& nodes = m_mesh->m_data.nodes;
    for (size_t i = 0; i < nodes.size(); ++i)
        if (nodes[i].type == kModelNodeSkinned) {
            std::fill(m_copy[i].vertices.begin(), m_copy[i].vertices.end(), ModelVertex{});
            SkinNode(f, i);
        }
    for (const KeyframeTrack& track : m_keys->m_data.tracks) {
        const int32_t i = m_mesh->FindNode(track.nodeId);
        if (i < 0 || nodes[size_t(i)].type == kModelNodeDummy) continue;
        const ModelNode& node = nodes[size_t(i)];
        std::vector<ModelVertex>& out = m_copy[size_t(i)].vertices;
        out = node.vertices;
        if (uint32_t(f) >= track.keyCount) continue;
        if (track.hasPositionKeys) {
            Matrix p = track.positionKeys[size_t(f)];
            if (node.hasMatrix) MatrixMultiply(&p, node.matrix, track.positionKeys[size_t(f)]);
            for (ModelVertex& v : out) {
                Vec3 pos = PositionOf(v);
                if (!TransformSwapped(pos, p)) continue;
                v.x = pos.x;
                v.y = pos.y;
                v.z = pos.z;
            }
        }
    }
    for (const KeyframeTrack& track : m_keys->m_data.tracks) {
        if (!track.hasTextureKeys || uint32_t(f) >= track.keyCount) continue;
        const int32_t i = m_mesh->FindNode(track.nodeId);
        if (i < 0) continue;
        Matrix p;
        MatrixMultiply(&p, track.textureKeys[size_t(f)], AffineInverse(track.textureKeys[0]));
        const std::vector<ModelVertex>& shared = nodes[size_t(i)].vertices;
        std::vector<ModelVertex>& out = m_copy[size_t(i)].vertices;
        for (size_t v = 0; v < shared.size(); ++v) {
            // (u, v) travel as (-u, 0, -v) in the keys' space, with y and z swapped like positions.
            Vec3 t{-shared[v].tu, 0.0f, -shared[v].tv};
            if (!TransformChecked(t, p)) continue;
            out[v].tu = -t.x;
            out[v].tv = -t.z;
        }
    }
    return true;
}

void CModelAnimator::SkinNode(int32_t f, size_t index) {
    const ModelNode& node = m_mesh->m_data.nodes[index];
    std::vector<ModelVertex>& out = m_copy[index].vertices;
    for (size_t v = 0; v < out.size(); ++v) {
        const ModelVertex& s = node.vertices[v];
        out[v].reserved = s.reserved;
        out[v].diffuse = s.diffuse;
        out[v].specular = s.specular;
        out[v].tu = s.tu;
        out[v].tv = s.tv;
    }
    for (const ModelBone& bone : node.bones) {
        const int32_t boneNode = m_mesh->FindNode(bone.nodeId);
        const KeyframeTrack* track = m_keys ? m_keys->FindTrack(bone.nodeId) : nullptr;
        const bool keyed = track && track->hasPositionKeys;
        if (keyed && uint32_t(f) >= track->keyCount) continue;
        for (const ModelBoneWeight& w : bone.weights) {
            const Vec3 shared = PositionOf(node.vertices[w.vertex]);
            ModelVertex& o = out[w.vertex];
            if (!keyed) {
                o.x += shared.x * w.weight;
                o.y += shared.y * w.weight;
                o.z += shared.z * w.weight;
                continue;
            }
            Matrix m = track->positionKeys[size_t(f)];
            if (w.weight != 1.0f)
                for (int k = 0; k < 15; ++k) m.m[k / 4][k % 4] *= w.weight;
            Matrix p = m;
            if (boneNode >= 0 && m_mesh->m_data.nodes[size_t(boneNode)].hasMatrix)
                MatrixMultiply(&p, m_mesh->m_data.nodes[size_t(boneNode)].matrix, m);
            Vec3 pos = shared;
            if (!TransformSwapped(pos, p)) continue;
            o.x += pos.x;
            o.y += pos.y;
            o.z += pos.z;
        }
    }
    for (size_t v = 0; v < out.size(); ++v)
        if (out[v].x == 0.0f && out[v].y == 0.0f && out[v].z == 0.0f) {
            out[v].x = node.vertices[v].x;
            out[v].y = node.vertices[v].y;
            out[v].z = node.vertices[v].z;
        }
}
