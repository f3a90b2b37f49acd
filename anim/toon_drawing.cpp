#include <algorithm>

#include "anim/model_support.h"
#include "anim/toon_geometry.h"
#include "anim/toon_object.h"
#include "core/config.h"
#include "graphics/direct3d.h"

namespace rs = plat::raster;
using namespace toon;

namespace {

// How far outline quads reach out along the vertex normals.
constexpr float kOutlineWidth = 0.015f;
// Edges one outline draw takes (four vertices each, indexed by 16 bits).
constexpr uint32_t kEdgesPerDraw = 16000;

const Vec3 kLight{1.0f, 1.0f, -1.0f};
const Vec3 kView{0.0f, 0.0f, -1.0f};

uint8_t ClampByte(float v) {
    if (!(v > 0.0f)) return 0;
    if (v >= 255.0f) return 255;
    return uint8_t(v);
}

uint32_t Argb(uint32_t a, uint8_t r, uint8_t g, uint8_t b) {
    return a << 24 | uint32_t(r) << 16 | uint32_t(g) << 8 | b;
}

}  // namespace

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
