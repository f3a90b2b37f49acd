#include "anim/toon_object.h"

#include <algorithm>
#include <cmath>

#include "anim/model_support.h"
#include "anim/toon_geometry.h"
#include "core/config.h"

using namespace toon;

namespace {

Matrix Identity() {
    Matrix m;
    SetIdentityMatrix(&m);
    return m;
}

Vec3 Lerp(const Vec3& a, const Vec3& b, float f) {
    return {a.x + (b.x - a.x) * f, a.y + (b.y - a.y) * f, a.z + (b.z - a.z) * f};
}

void Extend(ToonNodeState& s, const Vec3& p) {
    s.boundsMin = {std::min(s.boundsMin.x, p.x), std::min(s.boundsMin.y, p.y), std::min(s.boundsMin.z, p.z)};
    s.boundsMax = {std::max(s.boundsMax.x, p.x), std::max(s.boundsMax.y, p.y), std::max(s.boundsMax.z, p.z)};
}

const ToonNodeState* FindState(const std::vector<ToonNodeState>& states, const std::vector<ToonNode>& nodes,
                               const std::string& name) {
    for (size_t i = 0; i < nodes.size(); ++i) {
        if (nodes[i].name == name) return &states[i];
        if (const ToonNodeState* s = FindState(states[i].children, nodes[i].children, name)) return s;
    }
    return nullptr;
}

}  // namespace

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
