#include "anim/map_model3d.h"

#include <algorithm>
#include <cmath>

#include "anim/model_support.h"
#include "core/config.h"
#include "core/util.h"
#include "graphics/direct3d.h"
#include "graphics/display_settings.h"

namespace rs = plat::raster;

CMapModel3DMgr* g_pMapModel3DMgr = nullptr;

namespace {

constexpr float kPi = 3.141592f;
constexpr double kDegreesToRadians = 0.01745328888888889;
constexpr int32_t kUnsetPoint = -9999;

template <class T>
T* FindByFileName(CLinkedList<T>& list, const char* fileName) {
    if (!fileName) return nullptr;
    for (T* item : list)
        if (item->m_fileName == fileName) return item;
    return nullptr;
}

template <class T>
void ReleaseByFileName(CLinkedList<T>& list, const char* fileName) {
    T* item = FindByFileName(list, fileName);
    if (!item) return;
    if (--item->m_refCount < 1) list.RemoveAt(list.Find(item));
}

}  // namespace

// ---- Drawing ----

void ShadeFaces(const ModelNode& node, std::vector<ModelVertex>& vertices,
                const std::vector<uint16_t>& indices, uint8_t mode) {
    if (mode < 1 || mode > 3) return;
    const Vec3 light{0.0f, 0.0f, -1.0f};
    for (const ModelFace& face : node.faces) {
        const uint16_t* t = &indices[size_t(face.triangle) * 3];
        const Vec3 p0 = PositionOf(vertices[t[0]]), p1 = PositionOf(vertices[t[1]]),
                   p2 = PositionOf(vertices[t[2]]);
        Vec3 n;
        Vec3Cross(&n, Vec3{p1.x - p0.x, p1.y - p0.y, p1.z - p0.z},
                  Vec3{p2.x - p1.x, p2.y - p1.y, p2.z - p1.z});
        Vec3Normalize(&n, n);
        const float d = Vec3Dot(light, n);
        float s = mode == 2 ? (d - 0.5f) * 2.0f : (d - 0.2f) * 1.2499999813735487f;
        s = s >= 0.1f ? std::min(s, 1.0f) : 0.1f;  // a degenerate face (no normal) counts as dark
        const uint32_t g = uint32_t(s * 255.0f);
        for (int k = 0; k < 3; ++k) {
            ModelVertex& v = vertices[t[k]];
            const uint32_t colour = (v.diffuse & 0xFF000000u) | g << 16 | g << 8 | g;
            if (mode != 2) v.diffuse = colour;
            if (mode != 1) v.specular = colour;
        }
    }
}

CMapModel3D::CMapModel3D(CMapModel3DMgr* manager, MapModelEntry* entry) : m_manager(manager), m_entry(entry) {
    SetIdentityMatrix(&m_world);
}

CMapModel3D::~CMapModel3D() {
    if (!m_manager) return;
    if (m_keys) m_manager->ReleaseKeyframes(m_keys->m_fileName.c_str());
    if (m_mesh) m_manager->ReleaseMesh(m_mesh->m_fileName.c_str());
}

void CMapModel3D::SetMesh(CModelMesh* mesh) {
    m_mesh = mesh;
    m_textureOwner = m_manager ? m_manager->TextureOwner() : nullptr;
    if (m_mesh) m_mesh->m_textureOwner = m_textureOwner;
}

void CMapModel3D::Stop() {
    m_playing = false;
    if (m_entry) m_entry->active = false;
}

int32_t CMapModel3D::GetFrameCount() const {
    return m_keys ? int32_t(m_keys->FrameCount()) : 1;
}

void CMapModel3D::SetFrame(int32_t frame) {
    m_frame = float(std::clamp(frame, 0, std::max(0, GetFrameCount() - 1)));
}

ModelRect CMapModel3D::GetScreenBounds() const {
    ModelRect r;
    if (!m_mesh || !m_entry) return r;
    const CDisplaySettings& ds = GetDisplaySettings();
    const float vw = g_pDirect3D ? g_pDirect3D->GetViewWidth() : 10.0f;
    const float vh = g_pDirect3D ? g_pDirect3D->GetViewHeight() : 7.5f;
    const Vec3& p = m_entry->position;
    for (const ModelNode& n : m_mesh->m_data.nodes)
        for (const Vec3& c : {n.boundsMin, n.boundsMax}) {
            const int32_t sx = int32_t((vw * 0.5f + p.x + c.x) * (float(ds.screenWidth) / vw));
            const int32_t sy = int32_t(-((c.y + p.y) - vh * 0.5f) * (float(ds.screenHeight) / vh));
            r.left = std::min(r.left, sx);
            r.right = std::max(r.right, sx);
            r.top = std::min(r.top, sy);
            r.bottom = std::max(r.bottom, sy);
        }
    return r;
}

bool CMapModel3D::OnScreen() const {
    const ModelRect r = GetScreenBounds();
    const CDisplaySettings& ds = GetDisplaySettings();
    return r.right >= 0 && r.left <= ds.screenWidth && r.top <= ds.screenHeight && r.bottom >= 0;
}

bool CMapModel3D::Update() {
    if (OnScreen() && m_playing) {
        m_animator.Animate(int32_t(m_frame));
        m_frame += m_animator.m_frameStep;
        if (int32_t(m_frame) >= GetFrameCount()) {
            if (m_loop) {
                m_frame = 0.0f;
            } else {
                Stop();
                return false;
            }
        }
    }
    return true;
}

void CMapModel3D::PoseAt(int32_t frame) {
    m_frame = float(frame);
    if (!m_keys) return;
    m_playing = true;
    if (OnScreen()) m_animator.Animate(frame);
}

void CMapModel3D::Draw(bool mirrored) {
    if (!m_mesh || !OnScreen()) return;
    if (m_playing) m_wholeFrame = int32_t(m_frame);
    DrawMesh(m_playing, mirrored);
}

void CMapModel3D::DrawMesh(bool privateCopy, bool mirrored) {
    CDirect3D* d3d = g_pDirect3D;
    rs::Device3D* device = d3d ? d3d->Device() : nullptr;
    if (!device) return;
    d3d->SetWorldTransform(m_world);
    d3d->SetTextureFilter(g_config.m_bilinearFiltering);
    rs::RenderState& st = device->State();
    const float alpha = m_entry ? m_entry->alpha : 1.0f, glow = m_entry ? m_entry->glow : 0.0f;
    const bool alphaGlow = privateCopy && !(alpha == 1.0f && glow == 0.0f);
    const uint32_t glowByte = uint32_t(glow * 255.0f) & 0xFF;
    std::vector<ModelNode>& nodes = m_mesh->m_data.nodes;
    for (size_t i = 0; i < nodes.size(); ++i) {
        const ModelNode& node = nodes[i];
        if (node.hidden || node.type == kModelNodeDummy || node.indices.empty()) continue;
        const bool own = privateCopy && i < m_animator.m_copy.size();
        const std::vector<uint16_t>& indices = own ? m_animator.m_copy[i].indices : node.indices;
        m_scratch = own ? m_animator.m_copy[i].vertices : node.vertices;
        if (alphaGlow)
            for (ModelVertex& v : m_scratch) {
                v.diffuse = (uint32_t(float(v.diffuse >> 24) * alpha) & 0xFF) << 24 | (v.diffuse & 0xFFFFFF);
                v.specular = glowByte * 0x01010101u;
            }
        ModelMaterial& material = m_mesh->m_data.materials[node.materialIndex];
        ShadeFaces(node, m_scratch, indices, material.shadeMode);
        if (material.hasTexture && !material.textureTried) {
            material.textureTried = true;
            material.textureId = LoadModelTexture(g_config.m_folders[FOLDER_BITMAP], material.textureName);
        }
        // Without a texture the model is drawn in its vertex colours.
        d3d->SetTexture(0, GetModelTexture(material.textureId));
        const int count = int(m_scratch.size()), indexCount = int(indices.size());
        if (!mirrored) {
            d3d->DrawIndexed(m_scratch.data(), count, indices.data(), indexCount);
            if (material.twoSided) {
                st.cull = rs::CullMode::kClockwise;
                d3d->DrawIndexed(m_scratch.data(), count, indices.data(), indexCount);
                st.cull = rs::CullMode::kCounterClockwise;
            }
        } else {
            st.cull = rs::CullMode::kClockwise;
            d3d->DrawIndexed(m_scratch.data(), count, indices.data(), indexCount);
            st.cull = rs::CullMode::kCounterClockwise;
            if (material.twoSided) d3d->DrawIndexed(m_scratch.data(), count, indices.data(), indexCount);
        }
    }
    d3d->SetTextureFilter(false);
    device->Stage(0).addressU = device->Stage(0).addressV = rs::TextureAddress::kWrap;
}

// ---- Entries ----

void MapModelEntry::SetScreenPosition(int32_t sx, int32_t sy) {
    screenX = sx;
    screenY = sy;
    const CDisplaySettings& ds = GetDisplaySettings();
    const float vw = g_pDirect3D ? g_pDirect3D->GetViewWidth() : 10.0f;
    const float vh = g_pDirect3D ? g_pDirect3D->GetViewHeight() : 7.5f;
    position.x = float(sx) / (float(ds.screenWidth) / vw) - vw * 0.5f;
    position.y = vh * 0.5f - float(sy) / (float(ds.screenHeight) / vh);
    position.z = 0.0f;
}

void MapModelEntry::Rotate(float dx, float dy, float dz) {
    rotation = {rotation.x + dx, rotation.y + dy, rotation.z + dz};
}

void MapModelEntry::SetRotation(float x, float y, float z) {
    rotation = {x, y, z};
}

void MapModelEntry::TurnToward(float x1, float y1, float x2, float y2) {
    if (x2 == float(kUnsetPoint)) x2 = float(screenX);
    if (y2 == float(kUnsetPoint)) y2 = float(screenY);
    const float a = GetAngle(x2, -y2, x1, -y1);
    rotation.z += float((a - 90.0) * kDegreesToRadians);
}

void MapModelEntry::BuildWorldMatrix() {
    if (!model) return;
    Matrix s, rz, ry, rx, m;
    MatrixScaling(&s, scale.x, scale.y, scale.z);
    MakeRotationZ(&rz, rotation.z);
    MakeRotationY(&ry, rotation.y);
    MakeRotationX(&rx, rotation.x);
    MatrixMultiply4x4(&m, s, rz);
    MatrixMultiply4x4(&m, m, ry);
    MatrixMultiply4x4(&m, m, rx);
    m.m[3][0] += position.x;
    m.m[3][1] += position.y;
    m.m[3][2] += position.z;
    model->m_world = m;
}

void MapModelEntry::Draw(bool mirrored) {
    if (!model) return;
    if (mirrored) rotation.y += kPi;
    BuildWorldMatrix();
    model->Draw(mirrored);
    if (mirrored) rotation.y -= kPi;
}

void MapModelEntry::Draw(const AniModelPose& pose) {
    if (!model) return;
    if (g_pDirect3D) g_pDirect3D->SetBlendMode(pose.blendMode);
    SetAlpha(pose.alpha);
    SetScreenPosition(pose.x, pose.y);
    SetRotation(0.0f, 0.0f, 0.0f);
    if (pose.hasTiles) {
        TurnToward(float(pose.tile1.x), float(pose.tile1.y), float(pose.tile2.x), float(pose.tile2.y));
        rotation.x += 0.5235987f;
    }
    model->PoseAt(pose.frame);
    Draw(pose.flag);
    if (g_pDirect3D) g_pDirect3D->SetBlendMode(0);
}

AniRect MapModelEntry::GetScreenBounds() {
    const ModelRect r = model ? model->GetScreenBounds() : ModelRect{};
    return r.Empty() ? EmptyAniRect() : AniRect{r.left, r.top, r.right, r.bottom};
}

// ---- Manager ----

CMapModel3DMgr::~CMapModel3DMgr() {
    RemoveAllModels();
    m_keyframes.RemoveAll();
    m_meshes.RemoveAll();
    if (g_pMapModel3DMgr == this) g_pMapModel3DMgr = nullptr;
}

bool CMapModel3DMgr::LoadMesh(const char* fileName) {
    if (FindMesh(fileName)) return true;
    auto* mesh = new CModelMesh;
    if (!mesh->Load(fileName)) {
        delete mesh;
        return false;
    }
    mesh->m_textureOwner = &m_ownsTextures;
    m_meshes.AddTail(mesh);
    return true;
}

bool CMapModel3DMgr::LoadKeyframes(const char* fileName) {
    if (FindKeyframes(fileName)) return true;
    auto* keys = new CKeyframeSet;
    if (!keys->Load(fileName)) {
        delete keys;
        return false;
    }
    m_keyframes.AddTail(keys);
    return true;
}

CModelMesh* CMapModel3DMgr::FindMesh(const char* fileName) {
    return FindByFileName(m_meshes, fileName);
}

CKeyframeSet* CMapModel3DMgr::FindKeyframes(const char* fileName) {
    return FindByFileName(m_keyframes, fileName);
}

void CMapModel3DMgr::ReleaseMesh(const char* fileName) {
    ReleaseByFileName(m_meshes, fileName);
}

void CMapModel3DMgr::ReleaseKeyframes(const char* fileName) {
    ReleaseByFileName(m_keyframes, fileName);
}

MapModelEntry* CMapModel3DMgr::FindModel(const char* name) {
    if (!name) return nullptr;
    for (MapModelEntry* e : m_entries)
        if (e->name == name) return e;
    return nullptr;
}

MapModelEntry* CMapModel3DMgr::AddModel(const char* name) {
    if (!name) return nullptr;
    if (MapModelEntry* e = FindModel(name)) return e;
    const std::string keys = std::string(name) + ".kfd", mesh = std::string(name) + ".msh";
    LoadKeyframes(keys.c_str());
    LoadMesh(mesh.c_str());
    auto* entry = new MapModelEntry;
    entry->name = std::string(name).substr(0, 31);
    entry->model = std::make_unique<CMapModel3D>(this, entry);
    CModelMesh* m = FindMesh(mesh.c_str());
    CKeyframeSet* k = FindKeyframes(keys.c_str());
    if (m) ++m->m_refCount;
    if (k) ++k->m_refCount;
    entry->model->SetMesh(m);
    entry->model->m_keys = k;
    entry->model->m_animator.Init(m, k);
    entry->scale = {entry->scale.x + 1.0f, entry->scale.y + 1.0f, entry->scale.z + 1.0f};
    m_entries.AddTail(entry);
    return entry;
}

void CMapModel3DMgr::ReleaseModel(const char* name) {
    MapModelEntry* e = FindModel(name);
    if (!e) return;
    if (--e->useCount < 1) RemoveModel(name);
}

void CMapModel3DMgr::RemoveModel(const char* name) {
    MapModelEntry* e = FindModel(name);
    if (e) m_entries.RemoveAt(m_entries.Find(e));
}

void CMapModel3DMgr::RemoveAllModels() {
    m_entries.RemoveAll();
}
