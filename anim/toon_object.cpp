#include "anim/toon_object.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <type_traits>

#include "anim/model_support.h"
#include "core/config.h"
#include "graphics/direct3d.h"
#include "platform/paths.h"

namespace rs = plat::raster;

CToonObjMgr* g_pToonObjMgr = nullptr;

namespace {

constexpr float kEmptyMin = 10000.0f, kEmptyMax = -10000.0f;
// How far outline quads reach out along the vertex normals.
constexpr float kOutlineWidth = 0.015f;
// Edges one outline draw takes (four vertices each, indexed by 16 bits).
constexpr uint32_t kEdgesPerDraw = 16000;

const Vec3 kLight{1.0f, 1.0f, -1.0f};
const Vec3 kView{0.0f, 0.0f, -1.0f};

Matrix Identity() {
    Matrix m;
    SetIdentityMatrix(&m);
    return m;
}

Vec3 Add(const Vec3& a, const Vec3& b) {
    return {a.x + b.x, a.y + b.y, a.z + b.z};
}
Vec3 Sub(const Vec3& a, const Vec3& b) {
    return {a.x - b.x, a.y - b.y, a.z - b.z};
}
Vec3 Scaled(const Vec3& a, float k) {
    return {a.x * k, a.y * k, a.z * k};
}
Vec3 Lerp(const Vec3& a, const Vec3& b, float f) {
    return {a.x + (b.x - a.x) * f, a.y + (b.y - a.y) * f, a.z + (b.z - a.z) * f};
}
Vec3 PositionOf(const ToonVertex& v) {
    return {v.x, v.y, v.z};
}

// Normalised, a zero length counting as 0.000001.
Vec3 NormalOrTiny(const Vec3& v) {
    float len = std::sqrt(Vec3LengthSq(v));
    if (len == 0.0f) len = 0.000001f;
    return Scaled(v, 1.0f / len);
}

uint8_t ClampByte(float v) {
    if (!(v > 0.0f)) return 0;
    if (v >= 255.0f) return 255;
    return uint8_t(v);
}

uint32_t Argb(uint32_t a, uint8_t r, uint8_t g, uint8_t b) {
    return a << 24 | uint32_t(r) << 16 | uint32_t(g) << 8 | b;
}

void Extend(ToonNodeState& s, const Vec3& p) {
    s.boundsMin = {std::min(s.boundsMin.x, p.x), std::min(s.boundsMin.y, p.y), std::min(s.boundsMin.z, p.z)};
    s.boundsMax = {std::max(s.boundsMax.x, p.x), std::max(s.boundsMax.y, p.y), std::max(s.boundsMax.z, p.z)};
}

// Drawn: a bound animation node, not hidden, with vertices.
bool IsDrawn(const ToonNode& node, const ToonNodeState& state) {
    return state.anim && !node.hidden && !node.vertices.empty();
}

const ToonNodeState* FindState(const std::vector<ToonNodeState>& states, const std::vector<ToonNode>& nodes,
                               const std::string& name) {
    for (size_t i = 0; i < nodes.size(); ++i) {
        if (nodes[i].name == name) return &states[i];
        if (const ToonNodeState* s = FindState(states[i].children, nodes[i].children, name)) return s;
    }
    return nullptr;
}

bool ReadModelFile(const char* path, std::vector<uint8_t>& bytes) {
    return path && plat::ReadWholeFile(path, bytes);
}

void ReleaseMapTextures(std::vector<ToonMaterialMap>& maps) {
    for (ToonMaterialMap& m : maps) {
        ReleaseModelTexture(m.textureId);
        ReleaseMapTextures(m.children);
    }
}

void ReleaseDefTextures(std::vector<ToonMaterialDef>& defs) {
    for (ToonMaterialDef& d : defs) {
        ReleaseMapTextures(d.maps);
        ReleaseDefTextures(d.subs);
    }
}

// The record of a file with one more reference: the one the list holds, or
// the file loaded and added.
template <class T, class Loader>
T* AcquireRecord(CLinkedList<T>& list, const char* path, Loader&& load) {
    for (T* item : list)
        if (item->path == path) {
            ++item->refCount;
            return item;
        }
    std::vector<uint8_t> bytes;
    auto* record = new T;
    if (!ReadModelFile(path, bytes) || !load(bytes.data(), bytes.size(), *record)) {
        delete record;
        return nullptr;
    }
    record->path = path;
    record->refCount = 1;
    list.AddTail(record);
    return record;
}

template <class T>
void DropRecord(CLinkedList<T>& list, T* item) {
    if (!item || item->refCount == 0) return;
    if (--item->refCount == 0) {
        if constexpr (std::is_same_v<T, ToonMaterial>) ReleaseToonMaterialTextures(*item);
        list.RemoveAt(list.Find(item));
    }
}

}  // namespace

void ReleaseToonMaterialTextures(ToonMaterial& material) {
    ReleaseDefTextures(material.materials);
}

// ---- CToonObject ----

CToonObject::CToonObject(CToonObjMgr* manager, ToonMesh* mesh, ToonMaterial* material, ToonAnim* anim)
    : m_manager(manager), m_mesh(mesh), m_material(material), m_anim(anim) {
    m_world = Identity();
    m_direction = Identity();
    if (!m_mesh) return;
    m_states.resize(m_mesh->roots.size());
    for (size_t i = 0; i < m_states.size(); ++i) BuildStates(m_mesh->roots[i], m_states[i]);
    BindAnimation(m_mesh->roots, m_states);
    BindBones(m_states);
    BindMaterials(m_mesh->roots, m_states);
}

CToonObject::~CToonObject() {
    ReleaseModelTexture(m_shadeTextureId);
}

const std::string& CToonObject::MeshPath() const {
    static const std::string none;
    return m_mesh ? m_mesh->path : none;
}
const std::string& CToonObject::AnimPath() const {
    static const std::string none;
    return m_anim ? m_anim->path : none;
}
const std::string& CToonObject::MaterialPath() const {
    static const std::string none;
    return m_material ? m_material->path : none;
}

void CToonObject::BuildStates(const ToonNode& node, ToonNodeState& state) {
    const size_t n = node.vertices.size();
    state.parent = state.world = Identity();
    state.boneSlots.assign(n * 4, 0);
    state.weights.assign(n * 3, 0.0f);
    for (size_t i = 0; i < n; ++i) state.weights[i * 3] = 1.0f;
    state.boundsMin = {kEmptyMin, kEmptyMin, kEmptyMin};
    state.boundsMax = {kEmptyMax, kEmptyMax, kEmptyMax};
    state.materials.assign(n, nullptr);
    state.children.resize(node.children.size());
    for (size_t i = 0; i < node.children.size(); ++i) BuildStates(node.children[i], state.children[i]);
}

void CToonObject::BindAnimation(const std::vector<ToonNode>& nodes, std::vector<ToonNodeState>& states) {
    for (size_t i = 0; i < nodes.size(); ++i) {
        states[i].anim = nullptr;
        if (m_anim)
            for (const ToonAnimNode& a : m_anim->nodes)
                if (a.name == nodes[i].name) {
                    states[i].anim = &a;
                    break;
                }
        BindAnimation(nodes[i].children, states[i].children);
    }
}

void CToonObject::BindBones(std::vector<ToonNodeState>& states) {
    for (ToonNodeState& s : states) {
        if (s.anim && !s.anim->bones.empty()) {
            const size_t vertexCount = s.materials.size();
            s.bones.resize(s.anim->bones.size());
            for (size_t b = 0; b < s.anim->bones.size(); ++b) {
                const ToonBone& bone = s.anim->bones[b];
                ToonNodeState::Bone& link = s.bones[b];
                link.state = FindState(m_states, m_mesh->roots, bone.name);
                // Bone matrix: the skinned node's bind matrix x the inverse of the bone node's.
                Matrix inverse = Identity();
                if (link.state && link.state->anim &&
                    !MatrixInverse(&inverse, nullptr, link.state->anim->bind))
                    inverse = Identity();
                MatrixMultiply(&link.matrix, s.anim->bind, inverse);
                for (size_t k = 0; k < bone.vertices.size(); ++k) {
                    const uint32_t v = bone.vertices[k] & 0xFFFF;
                    if (v >= vertexCount) continue;
                    uint8_t* slots = &s.boneSlots[v * 4];
                    for (int j = 0; j < 4; ++j)
                        if (slots[j] == 0) {
                            slots[j] = uint8_t(b + 1);
                            if (j < 3) s.weights[v * 3 + j] = bone.weights[k];
                            break;
                        }
                }
            }
        }
        BindBones(s.children);
    }
}

void CToonObject::BindMaterials(const std::vector<ToonNode>& nodes, std::vector<ToonNodeState>& states) {
    for (size_t i = 0; i < nodes.size(); ++i) {
        const ToonNode& node = nodes[i];
        ToonNodeState& s = states[i];
        if (const ToonMaterialDef* def = NodeMaterial(node)) {
            for (size_t v = 0; v < node.vertices.size(); ++v) {
                if (def->subs.empty()) {
                    s.materials[v] = def;
                } else {
                    const uint8_t sub = node.subMaterials[v];
                    s.materials[v] = sub < def->subs.size() ? &def->subs[sub] : nullptr;
                }
            }
        }
        BindMaterials(node.children, s.children);
    }
}

const ToonMaterialDef* CToonObject::NodeMaterial(const ToonNode& node) const {
    if (!m_material || node.materialIndex >= m_material->materials.size()) return nullptr;
    return &m_material->materials[node.materialIndex];
}

void CToonObject::SetShadeTexture(const char* fileName) {
    if (!fileName) return;
    if (m_shadeTextureId && m_shadeName == fileName) return;
    ReleaseModelTexture(m_shadeTextureId);
    m_shadeName = fileName;
    m_shadeTextureId = LoadModelTexture(g_config.m_folders[FOLDER_TEXTURE], fileName);
}

float CToonObject::GetScale() const {
    return m_mesh ? m_mesh->Scale() : 1.0f;
}

uint32_t CToonObject::GetDuration() const {
    if (!m_anim) return 0;
    const int64_t frames = int64_t(m_anim->LastFrame()) - m_anim->FirstFrame();
    return uint32_t(std::max<int64_t>(0, frames * m_anim->msPerFrame));
}

void CToonObject::Animate(uint32_t timeMs, bool) {
    if (!m_mesh) return;
    double ticks = 0.0, keyLength = 1.0;
    if (m_anim) {
        const ToonAnim& a = *m_anim;
        const int64_t first = int64_t(a.FirstFrame()) * a.msPerFrame;
        const int64_t last = std::max<int64_t>(first, int64_t(a.LastFrame()) * a.msPerFrame);
        const int64_t t = std::clamp<int64_t>(timeMs, first, last);
        ticks = double(t - first) / (double(a.msPerFrame) / a.ticksPerFrame);
        keyLength = double(a.framesPerKey) * a.ticksPerFrame;
    }
    for (size_t i = 0; i < m_states.size(); ++i) {
        m_states[i].parent = Identity();
        Evaluate(m_mesh->roots[i], m_states[i], ticks, keyLength);
    }
    for (size_t i = 0; i < m_states.size(); ++i) Skin(m_mesh->roots[i], m_states[i]);
}

void CToonObject::Evaluate(const ToonNode& node, ToonNodeState& state, double ticks, double keyLength) {
    Matrix local = Identity();
    if (const ToonAnimNode* a = state.anim) {
        const ToonTransformGroup& rest = a->groups[1];
        const double keyPos = ticks / keyLength;
        const size_t k = size_t(std::max(0.0, std::floor(keyPos)));
        const float f = float(keyPos - std::floor(keyPos));
        auto pick = [&](size_t count, size_t& k0, size_t& k1) {
            k0 = std::min(k, count - 1);
            k1 = std::min(k0 + 1, count - 1);
        };
        Vec3 translation = rest.translation, scale = rest.scale;
        Quaternion rotation = rest.rotation, axis = rest.scaleAxis;
        size_t k0, k1;
        if (!a->translationKeys.empty()) {
            pick(a->translationKeys.size(), k0, k1);
            translation = Lerp(a->translationKeys[k0], a->translationKeys[k1], f);
        }
        if (!a->rotationKeys.empty()) {
            pick(a->rotationKeys.size(), k0, k1);
            QuaternionSlerp(&rotation, a->rotationKeys[k0], a->rotationKeys[k1], f);
        }
        if (!a->scaleKeys.empty()) {
            pick(a->scaleKeys.size(), k0, k1);
            scale = Lerp(a->scaleKeys[k0].scale, a->scaleKeys[k1].scale, f);
            QuaternionSlerp(&axis, a->scaleKeys[k0].axis, a->scaleKeys[k1].axis, f);
        }
        MatrixTransformation(&local, nullptr, &axis, &scale, nullptr, &rotation, &translation);
    }
    if (node.parentLink != kToonNoParent)
        MatrixMultiply(&state.world, local, state.parent);
    else
        state.world = local;
    for (size_t i = 0; i < node.children.size(); ++i) {
        state.children[i].parent = state.world;
        Evaluate(node.children[i], state.children[i], ticks, keyLength);
    }
}

void CToonObject::Skin(ToonNode& node, ToonNodeState& state) {
    state.boundsMin = {kEmptyMin, kEmptyMin, kEmptyMin};
    state.boundsMax = {kEmptyMax, kEmptyMax, kEmptyMax};
    if (IsDrawn(node, state)) {
        const size_t n = node.vertices.size();
        if (node.kind == kToonSkinnedNode) {
            // Entry 0: the node's own world matrix; entry b + 1: bone b.
            std::vector<Matrix>& table = m_boneTable;
            table.resize(state.bones.size() + 1);
            table[0] = state.world;
            for (size_t b = 0; b < state.bones.size(); ++b) {
                const ToonNodeState::Bone& bone = state.bones[b];
                if (bone.state)
                    MatrixMultiply(&table[b + 1], bone.matrix, bone.state->world);
                else
                    table[b + 1] = state.world;
            }
            for (size_t v = 0; v < n; ++v) {
                const float* w3 = &state.weights[v * 3];
                const float w[4] = {w3[0], w3[1], w3[2], 1.0f - (w3[0] + w3[1] + w3[2])};
                const Vec3 p = PositionOf(node.vertices[v]);
                Vec3 pos{0, 0, 0}, normal{0, 0, 0};
                for (int j = 0; j < 4; ++j) {
                    if (w[j] == 0.0f) continue;
                    const uint8_t slot = state.boneSlots[v * 4 + j];
                    const Matrix& m = table[slot < table.size() ? slot : 0];
                    Vec3 tp, tn;
                    Vec3TransformCoord(&tp, p, m);
                    Vec3TransformNormal(&tn, node.normals[v], m);
                    pos = Add(pos, Scaled(tp, w[j]));
                    normal = Add(normal, Scaled(tn, w[j]));
                }
                node.drawn[v].x = pos.x;
                node.drawn[v].y = pos.y;
                node.drawn[v].z = pos.z;
                node.drawnNormals[v] = NormalOrTiny(normal);
            }
        } else {
            for (size_t v = 0; v < n; ++v) {
                Vec3 tp, tn;
                Vec3TransformCoord(&tp, PositionOf(node.vertices[v]), state.world);
                Vec3TransformNormal(&tn, node.normals[v], state.world);
                node.drawn[v].x = tp.x;
                node.drawn[v].y = tp.y;
                node.drawn[v].z = tp.z;
                node.drawnNormals[v] = NormalOrTiny(tn);
            }
        }
        for (size_t v = 0; v < n; ++v) {
            Vec3 world;
            Vec3TransformCoord(&world, PositionOf(node.drawn[v]), m_world);
            Extend(state, world);
        }
    }
    for (size_t i = 0; i < node.children.size(); ++i) Skin(node.children[i], state.children[i]);
}

void CToonObject::PlaceAt(float worldX, float worldY, float facingDegrees, bool tilt) {
    constexpr float kDegrees = 3.14159265358979f / 180.0f;
    Matrix turn, lean, rotation, scale, scaled;
    MakeRotationY(&turn, facingDegrees * kDegrees);
    MakeRotationX(&lean, tilt ? -30.0f * kDegrees : 0.0f);
    MatrixMultiply(&rotation, turn, lean);
    const float s = GetScale();
    MatrixScaling(&scale, s, s, s);
    MatrixMultiply(&scaled, scale, rotation);
    m_world = scaled;
    m_world.m[3][0] = worldX;
    m_world.m[3][1] = worldY;
    m_world.m[3][2] = 0.0f;
    // Directions go into object space by the inverse rotation (its transpose).
    MatrixTranspose(&m_direction, rotation);
}

uint32_t CToonObject::AlphaByte(const ToonMaterialDef& m) const {
    return ClampByte((1.0f - m.transparency) * m_alpha * 255.0f);
}

void CToonObject::LightToon(ToonNode& node, const ToonNodeState& state) {
    Vec3 light;
    Vec3TransformCoord(&light, kLight, m_direction);
    for (size_t v = 0; v < node.drawn.size(); ++v) {
        const ToonMaterialDef* m = state.materials[v];
        if (!m) continue;
        const float s = (Vec3Dot(node.drawnNormals[v], light) + 1.0f) * 0.5f;
        ToonVertex& d = node.drawn[v];
        d.diffuse =
            Argb(AlphaByte(*m), ClampByte(m->diffuse.x), ClampByte(m->diffuse.y), ClampByte(m->diffuse.z));
        d.specular = 0;
        d.tu2 = 0.0f;
        d.tv2 = 1.0f - s;
    }
}

void CToonObject::LightPlain(ToonNode& node, const ToonNodeState& state) {
    Vec3 light, view;
    Vec3TransformCoord(&light, kLight, m_direction);
    Vec3TransformCoord(&view, kView, m_direction);
    const Vec3 half = NormalOrTiny(Add(light, view));
    for (size_t v = 0; v < node.drawn.size(); ++v) {
        const ToonMaterialDef* m = state.materials[v];
        if (!m) continue;
        const Vec3& n = node.drawnNormals[v];
        const float d = std::clamp(0.5f * (Vec3Dot(n, light) + 1.0f) + m->ambientOffset, 0.0f, 1.0f);
        const uint32_t alpha = AlphaByte(*m);
        ToonVertex& out = node.drawn[v];
        out.diffuse = Argb(alpha, ClampByte(d * m->diffuse.x), ClampByte(d * m->diffuse.y),
                           ClampByte(d * m->diffuse.z));
        // A vertex turned fully away from the half vector gets no highlight.
        const float e = 0.5f * (Vec3Dot(n, half) + 1.0f);
        const float s = e > 0.0f ? std::pow(e, m->shininess * 100.0f) : 0.0f;
        out.specular = Argb(alpha, ClampByte(s * m->specular.x), ClampByte(s * m->specular.y),
                            ClampByte(s * m->specular.z));
    }
}

void CToonObject::BuildOutlines(ToonNode& node, ToonNodeState& state) {
    state.edgeQuads.clear();
    state.edgeIndices.clear();
    state.edgeCount = 0;
    const uint32_t alpha = ClampByte(m_alpha * 255.0f);
    auto facing = [&](uint32_t group, uint32_t triangle) { return node.groups[group].facing[triangle]; };
    for (const ToonEdge& e : node.edges) {
        if (!state.materials[e.a] || !state.materials[e.b]) continue;
        if (e.shared && facing(e.group1, e.triangle1) * facing(e.group2, e.triangle2) > 0.0f) continue;
        const Vec3 a = PositionOf(node.drawn[e.a]), b = PositionOf(node.drawn[e.b]);
        const Vec3 pa = Add(a, Scaled(node.drawnNormals[e.a], kOutlineWidth));
        const Vec3 pb = Add(b, Scaled(node.drawnNormals[e.b], kOutlineWidth));
        const uint32_t black = alpha << 24;
        for (const Vec3& p : {a, pa, pb, b}) state.edgeQuads.push_back({p.x, p.y, p.z, black, 0, 0, 0, 0, 0});
        const uint16_t base = uint16_t((state.edgeCount % kEdgesPerDraw) * 4);
        for (uint16_t k : std::initializer_list<uint16_t>{0, 1, 2, 2, 3, 0})
            state.edgeIndices.push_back(uint16_t(base + k));
        ++state.edgeCount;
    }
}

void CToonObject::DrawNode(ToonNode& node, ToonNodeState& state) {
    if (!state.anim) return;  // and its children with it
    CDirect3D* d3d = g_pDirect3D;
    if (!node.hidden && !node.vertices.empty()) {
        const ToonMaterialDef* nodeMaterial = NodeMaterial(node);
        Vec3 view;
        Vec3TransformCoord(&view, kView, m_direction);
        for (ToonFaceGroup& g : node.groups)
            for (size_t t = 0; t < g.facing.size(); ++t) {
                const Vec3 p0 = PositionOf(node.drawn[g.indices[t * 3]]);
                const Vec3 p1 = PositionOf(node.drawn[g.indices[t * 3 + 1]]);
                const Vec3 p2 = PositionOf(node.drawn[g.indices[t * 3 + 2]]);
                Vec3 n;
                Vec3Cross(&n, Sub(p1, p0), Sub(p2, p1));
                g.facing[t] = Vec3Dot(view, n);
            }
        if (m_toonMode == 1) {
            LightToon(node, state);
            BuildOutlines(node, state);
        } else {
            LightPlain(node, state);
        }
        for (ToonFaceGroup& g : node.groups) {
            const ToonMaterialDef* material = nodeMaterial;
            bool knownSub = true;
            if (material && !material->subs.empty()) {
                knownSub = g.subMaterial >= 0 && size_t(g.subMaterial) < material->subs.size();
                material = knownSub ? &material->subs[size_t(g.subMaterial)] : nodeMaterial;
            }
            const bool twoSided = material && material->twoSided;
            g.drawIndices.clear();
            for (size_t t = 0; t < g.facing.size(); ++t)
                if (twoSided || g.facing[t] <= 0.0f)
                    g.drawIndices.insert(g.drawIndices.end(), g.indices.begin() + t * 3,
                                         g.indices.begin() + t * 3 + 3);
            if (g.drawIndices.empty() || !d3d) continue;
            // An unknown sub-material leaves the texture as it was.
            if (knownSub) {
                d3d->SetTexture(0, nullptr);
                if (material)
                    for (const ToonMaterialMap& cmap : material->maps) {
                        if (cmap.type == 0) continue;
                        auto& map = const_cast<ToonMaterialMap&>(cmap);
                        if (!map.textureTried) {
                            map.textureTried = true;
                            map.textureId =
                                LoadModelTexture(g_config.m_folders[FOLDER_TEXTURE], map.fileName);
                        }
                        d3d->SetTexture(0, GetModelTexture(map.textureId));
                        break;
                    }
            }
            d3d->DrawIndexed(node.drawn.data(), int(node.drawn.size()), g.drawIndices.data(),
                             int(g.drawIndices.size()));
            if (m_toonMode == 1)
                for (uint32_t first = 0; first < state.edgeCount; first += kEdgesPerDraw) {
                    const uint32_t count = std::min(kEdgesPerDraw, state.edgeCount - first);
                    d3d->DrawIndexed(state.edgeQuads.data() + first * 4, int(count * 4),
                                     state.edgeIndices.data() + first * 6, int(count * 6));
                }
        }
    }
    for (size_t i = 0; i < node.children.size(); ++i) DrawNode(node.children[i], state.children[i]);
}

void CToonObject::Draw() {
    if (!m_mesh) return;
    CDirect3D* d3d = g_pDirect3D;
    rs::Device3D* device = d3d ? d3d->Device() : nullptr;
    if (device) {
        d3d->SetWorldTransform(m_world);
        rs::RenderState& st = device->State();
        if (m_blendMode == 0) {
            st.srcBlend = rs::BlendFactor::kSrcAlpha;
            st.destBlend = rs::BlendFactor::kInvSrcAlpha;
        } else if (m_blendMode == 1) {
            st.srcBlend = rs::BlendFactor::kSrcAlpha;
            st.destBlend = rs::BlendFactor::kOne;
        }
        st.specular = true;
        st.cull = rs::CullMode::kNone;
        d3d->SetTextureFilter(g_config.m_bilinearFiltering);
        CTextureResource* shade = m_toonMode == 1 ? GetModelTexture(m_shadeTextureId) : nullptr;
        if (shade) d3d->SetStageModulate(1);
        d3d->SetTexture(1, shade, false);
    }
    for (size_t i = 0; i < m_states.size(); ++i) DrawNode(m_mesh->roots[i], m_states[i]);
    if (device) {
        if (m_toonMode == 1) d3d->DisableStage(1);
        d3d->SetTexture(1, nullptr, false);
        d3d->SetTextureFilter(false);
    }
}

ModelRect CToonObject::GetScreenBounds() const {
    ModelRect r;
    if (!m_mesh || !g_pDirect3D) return r;
    Vec3 lo{kEmptyMin, kEmptyMin, kEmptyMin}, hi{kEmptyMax, kEmptyMax, kEmptyMax};
    auto walk = [&](auto&& self, const std::vector<ToonNode>& nodes,
                    const std::vector<ToonNodeState>& states) -> void {
        for (size_t i = 0; i < nodes.size(); ++i) {
            const ToonNodeState& s = states[i];
            if (IsDrawn(nodes[i], s) && s.boundsMin.x <= s.boundsMax.x) {
                lo = {std::min(lo.x, s.boundsMin.x), std::min(lo.y, s.boundsMin.y),
                      std::min(lo.z, s.boundsMin.z)};
                hi = {std::max(hi.x, s.boundsMax.x), std::max(hi.y, s.boundsMax.y),
                      std::max(hi.z, s.boundsMax.z)};
            }
            self(self, nodes[i].children, s.children);
        }
    };
    walk(walk, m_mesh->roots, m_states);
    if (lo.x > hi.x) return r;
    r.left = g_pDirect3D->WorldToScreenX(lo.x);
    r.right = g_pDirect3D->WorldToScreenX(hi.x);
    r.top = g_pDirect3D->WorldToScreenY(hi.y);
    r.bottom = g_pDirect3D->WorldToScreenY(lo.y);
    return r;
}

namespace {

void Pose(CToonObject& object, const AniModelPose& p) {
    const float wx = g_pDirect3D ? float(g_pDirect3D->ScreenToWorldX(p.x)) : 0.0f;
    const float wy = g_pDirect3D ? float(g_pDirect3D->ScreenToWorldY(p.y)) : 0.0f;
    object.PlaceAt(wx, wy, p.facing, p.tilt);
    object.Animate(p.timeMs);
}

}  // namespace

void DrawToonObject(CToonObject& object, const AniModelPose& pose) {
    CDirect3D* d3d = g_pDirect3D;
    rs::Device3D* device = d3d ? d3d->Device() : nullptr;
    if (!device) return;
    object.m_alpha = pose.alpha;
    object.m_blendMode = pose.blendMode;
    Pose(object, pose);
    rs::RenderState& st = device->State();
    st.cull = rs::CullMode::kClockwise;
    st.zEnable = true;
    d3d->ClearDepth();
    object.Draw();
    st.zEnable = false;
    st.cull = rs::CullMode::kCounterClockwise;
    d3d->SetBlendMode(0);
    st.srcBlend = rs::BlendFactor::kSrcAlpha;
    st.destBlend = rs::BlendFactor::kInvSrcAlpha;
}

ModelRect ToonObjectScreenRect(CToonObject& object, const AniModelPose& pose) {
    Pose(object, pose);
    return object.GetScreenBounds();
}

void CToonObject::Draw(const AniModelPose& pose) {
    DrawToonObject(*this, pose);
}

AniRect CToonObject::GetScreenRect(const AniModelPose& pose) {
    const ModelRect r = ToonObjectScreenRect(*this, pose);
    return r.Empty() ? EmptyAniRect() : AniRect{r.left, r.top, r.right, r.bottom};
}

// ---- CToonObjMgr ----

CToonObjMgr::CToonObjMgr() {
    Init();
}

CToonObjMgr::~CToonObjMgr() {
    Shutdown();
    if (g_pToonObjMgr == this) g_pToonObjMgr = nullptr;
}

bool CToonObjMgr::Init() {
    return true;
}

ToonMesh* CToonObjMgr::AcquireMesh(const char* path) {
    return AcquireRecord(m_meshes, path, [](const uint8_t* data, size_t size, ToonMesh& mesh) {
        return LoadToonMesh(data, size, mesh);
    });
}

ToonAnim* CToonObjMgr::AcquireAnim(const char* path) {
    return AcquireRecord(m_anims, path, [](const uint8_t* data, size_t size, ToonAnim& anim) {
        return LoadToonAnim(data, size, anim);
    });
}

ToonMaterial* CToonObjMgr::AcquireMaterial(const char* path) {
    return AcquireRecord(m_materials, path, [](const uint8_t* data, size_t size, ToonMaterial& material) {
        return LoadToonMaterial(data, size, material);
    });
}

void CToonObjMgr::ReleaseMesh(ToonMesh* mesh) {
    DropRecord(m_meshes, mesh);
}
void CToonObjMgr::ReleaseAnim(ToonAnim* anim) {
    DropRecord(m_anims, anim);
}
void CToonObjMgr::ReleaseMaterial(ToonMaterial* material) {
    DropRecord(m_materials, material);
}

CToonObject* CToonObjMgr::GetObject(const char* meshPath, const char* animPath, const char* materialPath) {
    if (!meshPath || !animPath || !materialPath) return nullptr;
    for (CToonObject* o : m_objects)
        if (o->MeshPath() == meshPath && o->AnimPath() == animPath && o->MaterialPath() == materialPath) {
            ++o->m_refCount;
            return o;
        }
    // A file that cannot be had gives back the references already taken.
    ToonMesh* mesh = AcquireMesh(meshPath);
    ToonMaterial* material = mesh ? AcquireMaterial(materialPath) : nullptr;
    ToonAnim* anim = material ? AcquireAnim(animPath) : nullptr;
    if (!anim) {
        ReleaseMaterial(material);
        ReleaseMesh(mesh);
        return nullptr;
    }
    auto* object = new CToonObject(this, mesh, material, anim);
    object->m_refCount = 1;
    m_objects.AddTail(object);
    return object;
}

void CToonObjMgr::ReleaseObject(CToonObject* object) {
    if (!object) return;
    auto* node = m_objects.Find(object);
    if (!node) return;
    if (object->m_refCount > 0) --object->m_refCount;
    if (object->m_refCount > 0) return;
    ToonMesh* mesh = object->m_mesh;
    ToonAnim* anim = object->m_anim;
    ToonMaterial* material = object->m_material;
    m_objects.RemoveAt(node);
    ReleaseMesh(mesh);
    ReleaseAnim(anim);
    ReleaseMaterial(material);
}

void CToonObjMgr::Shutdown() {
    m_objects.RemoveAll();
    m_meshes.RemoveAll();
    m_anims.RemoveAll();
    for (ToonMaterial* m : m_materials) ReleaseToonMaterialTextures(*m);
    m_materials.RemoveAll();
}
