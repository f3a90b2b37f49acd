#include "anim/obj_ani.h"

#include <algorithm>
#include <cstdio>
#include <limits>

#include "anim/ani_mgr.h"
#include "anim/ani_node.h"
#include "anim/ani_object.h"
#include "core/config.h"
#include "core/error_box.h"
#include "core/util.h"
#include "data/file_resource.h"
#include "data/pack_archive.h"
#include "graphics/sprite.h"
#include "platform/clock.h"

uint8_t CAniLayer::AlphaAt(uint32_t frame) const {
    if (m_alphaTable.empty()) return 255;
    return m_alphaTable[std::min<size_t>(frame, m_alphaTable.size() - 1)];
}

uint8_t CAniLayer::ValueAt(uint32_t frame) const {
    if (m_valueTable.empty()) return 0;
    return m_valueTable[std::min<size_t>(frame, m_valueTable.size() - 1)];
}

CAniLayer* CAniMotion::Layer(uint32_t direction, uint32_t layer) {
    if (direction >= ANI_DIRECTION_COUNT || layer >= m_layers[direction].size()) return nullptr;
    return &m_layers[direction][layer];
}

namespace {

template <class T>
class TypedPool : public CAniNodePool {
public:
    explicit TypedPool(uint32_t size) : m_nodes(new T[size]) { m_size = size; }
    CAniNode* At(uint32_t index) override { return index < m_size ? &m_nodes[index] : nullptr; }

private:
    std::unique_ptr<T[]> m_nodes;
};

class CAniAlphaRampNode : public CAniRampNode {
public:
    CAniAlphaRampNode() : CAniRampNode(ANI_NODE_ALPHA_RAMP) {}
};
class CAniValueRampNode : public CAniRampNode {
public:
    CAniValueRampNode() : CAniRampNode(ANI_NODE_VALUE_RAMP) {}
};
class CAniBreakNode : public CAniNode {
public:
    CAniBreakNode() : CAniNode(ANI_NODE_BREAK) {}
};
class CAniMarkNode : public CAniNode {
public:
    CAniMarkNode() : CAniNode(ANI_NODE_MARK) {}
};

// Calls f with a null pointer of the node class of the kind; false for kinds without a class.
template <class F>
bool WithNodeType(uint32_t kind, F&& f) {
    switch (kind) {
        case ANI_NODE_IMAGE:
            f(static_cast<CAniImageNode*>(nullptr));
            return true;
        case ANI_NODE_HOLD:
            f(static_cast<CAniHoldNode*>(nullptr));
            return true;
        case ANI_NODE_TARGET_COUNT:
            f(static_cast<CAniTargetCountNode*>(nullptr));
            return true;
        case ANI_NODE_LAYER_SWITCH:
            f(static_cast<CAniLayerSwitchNode*>(nullptr));
            return true;
        case ANI_NODE_CHILD:
            f(static_cast<CAniChildNode*>(nullptr));
            return true;
        case ANI_NODE_MAP_EFFECT:
            f(static_cast<CAniMapEffectNode*>(nullptr));
            return true;
        case ANI_NODE_ORDER:
            f(static_cast<CAniOrderNode*>(nullptr));
            return true;
        case ANI_NODE_SOUND:
            f(static_cast<CAniSoundNode*>(nullptr));
            return true;
        case ANI_NODE_MESH:
            f(static_cast<CAniMeshNode*>(nullptr));
            return true;
        case ANI_NODE_ALPHA_RAMP:
            f(static_cast<CAniAlphaRampNode*>(nullptr));
            return true;
        case ANI_NODE_LAYER_BLEND:
            f(static_cast<CAniLayerBlendNode*>(nullptr));
            return true;
        case ANI_NODE_VALUE_RAMP:
            f(static_cast<CAniValueRampNode*>(nullptr));
            return true;
        case ANI_NODE_BREAK:
            f(static_cast<CAniBreakNode*>(nullptr));
            return true;
        case ANI_NODE_OWNER_COUNT:
            f(static_cast<CAniOwnerCountNode*>(nullptr));
            return true;
        case ANI_NODE_OWNER_PERCENT:
            f(static_cast<CAniOwnerPercentNode*>(nullptr));
            return true;
        case ANI_NODE_MARK:
            f(static_cast<CAniMarkNode*>(nullptr));
            return true;
        case ANI_NODE_PARTICLE:
            f(static_cast<CAniParticleNode*>(nullptr));
            return true;
        case ANI_NODE_TOON:
            f(static_cast<CAniToonNode*>(nullptr));
            return true;
        case ANI_NODE_END:
            f(static_cast<CAniEndNode*>(nullptr));
            return true;
        default:
            return false;
    }
}

bool IsMainMotion(uint8_t id) {
    return id <= 3;
}

// Fills a layer table from the start frame toward the limit by the step, then
// holds the value reached. Integer arithmetic clamped at the limit.
void FillRamp(std::vector<uint8_t>& table, uint32_t start, bool rising, uint8_t step, uint8_t limit) {
    const size_t frames = table.size();
    if (start >= frames) return;
    int v = table[start];
    size_t i = 0;
    do {
        v = rising ? std::min(v + step, int(limit)) : std::max(v - step, int(limit));
        table[start + i] = uint8_t(v);
        ++i;
    } while (start + i < frames && v != limit && step != 0);
    std::fill(table.begin() + ptrdiff_t(start + i), table.end(), uint8_t(v));
}

}  // namespace

CObjAni::CObjAni() = default;

CObjAni::~CObjAni() {
    CObjAni::Release();
}

bool CObjAni::Release() {
    FreeTree();
    if (m_pSprites && g_pObjSpriteMgr) g_pObjSpriteMgr->DeleteChild(m_pSprites->GetId());
    m_pSprites = nullptr;
    return true;
}

void CObjAni::FreeTree() {
    m_motions.clear();
    // Nodes may delete child objects that release other animations.
    std::vector<std::unique_ptr<CAniNode>> owned = std::move(m_ownedNodes);
    owned.clear();
    for (auto& pool : m_pools) pool.reset();
    m_poolDecls.clear();
}

CAniNode* CObjAni::CreateNode(uint32_t kind) {
    if (kind >= ANI_NODE_KIND_COUNT) return nullptr;
    if (m_version >= 11 && IsNodeKind(kind)) {
        CAniNodePool* pool = m_pools[kind].get();
        if (!pool || pool->m_cursor >= pool->m_size) return nullptr;
        return pool->At(pool->m_cursor++);
    }
    CAniNode* node = nullptr;
    WithNodeType(kind, [&](auto* type) { node = new std::remove_pointer_t<decltype(type)>(); });
    if (node) m_ownedNodes.emplace_back(node);
    return node;
}

CAniNode* CObjAni::FindPrevImageNode(CAniMotion* motion, uint32_t layer, int32_t position,
                                     uint32_t direction) {
    CAniLayer* rec = motion ? motion->Layer(direction, layer) : nullptr;
    if (!rec) return nullptr;
    for (int32_t i = std::min<int32_t>(position, rec->ElementCount()) - 1; i >= 0; --i) {
        CAniNode* node = rec->m_slots[size_t(i)];
        if (!node) continue;
        if (node->m_kind == ANI_NODE_BREAK) return nullptr;
        if (node->m_kind == ANI_NODE_IMAGE || node->m_kind == ANI_NODE_MESH || node->m_kind == ANI_NODE_TOON)
            return node;
    }
    return nullptr;
}

CAniMotion* CObjAni::FindMotion(uint8_t id) {
    for (CAniMotion& m : m_motions)
        if (m.m_id == id) return &m;
    return nullptr;
}

bool CObjAni::LoadAniFile(uint32_t number) {
    char name[16];
    snprintf(name, sizeof name, "%4u", number);
    SpacesToZeros(name);
    char path[CFileResource::kPathCapacity];
    snprintf(path, sizeof path, "%s\\%s.z5a", g_config.m_folders[FOLDER_ANIMATION].c_str(), name);
    // The animation's sprites, one per image node, are collected under the file's name.
    if (!m_pSprites && g_pObjSpriteMgr) m_pSprites = CreateObjSprite(g_pObjSpriteMgr, path);
    CFileResource file;
    if (!file.OpenFile(path, ANI_FILE_OPEN_MODE, "rb", g_bUsePackFile, g_pPackFile)) return false;
    std::vector<uint8_t> bytes(file.GetDataSize());
    const bool read = file.ReadExact(bytes.data(), bytes.size());
    file.CloseFile();
    if (!read) return false;  // the file layer has reported it
    AniFile parsed;
    std::string error;
    if (!ReadAniFile(bytes, parsed, &error)) {
        ReportError("CObjAni::LoadAniFile() Error, %s [%s]", error.c_str(), path);
        return false;
    }
    return Build(parsed);
}

void CObjAni::Register(CAniMotion* motion, uint32_t direction, CAniLayer& layer, int32_t position,
                       uint16_t start, CAniNode* node) {
    node->m_position = position;
    node->m_layer = layer.m_index;
    node->m_pMotion = motion;
    node->m_start = start;
    layer.m_slots[size_t(position)] = node;
    const uint64_t end = uint64_t(node->GetDuration()) + uint64_t(start) * ANI_FRAME_MS;
    layer.m_endTime = std::max(layer.m_endTime, uint32_t(std::min<uint64_t>(end, UINT32_MAX)));
    if (node->m_kind == ANI_NODE_LAYER_BLEND) {
        auto* blend = static_cast<CAniLayerBlendNode*>(node);
        if (CAniLayer* target = motion->Layer(direction, blend->m_target))
            target->m_blendMode = blend->m_blendMode;
    }
}

bool CObjAni::BuildDirection(CAniMotion* motion, const AniFileDirection& dir) {
    const uint32_t d = dir.direction;
    if (d >= ANI_DIRECTION_COUNT || dir.layers.size() > ANI_MAX_LAYERS) return false;
    if (IsMainMotion(motion->m_id) && dir.height != ANI_HEIGHT_NONE && dir.height > m_heightExtent)
        m_heightExtent = dir.height;
    motion->m_layerCount[d] = uint8_t(dir.layers.size());
    motion->m_layers[d].assign(dir.layers.size(), CAniLayer());
    motion->m_present[d] = 1;
    motion->m_height[d] = dir.height;

    for (size_t k = 0; k < dir.layers.size(); ++k) {
        const std::vector<AniFileElement>& elements = dir.layers[k].elements;
        CAniLayer& layer = motion->m_layers[d][k];
        layer.m_index = uint8_t(k);
        layer.m_slots.assign(elements.size() + 1, nullptr);
        uint16_t running = 0;
        for (size_t j = 0; j < elements.size(); ++j) {
            const AniFileElement& e = elements[j];
            if (e.kind == ANI_NODE_HOLD) {
                CAniNode* prev = FindPrevImageNode(motion, uint32_t(k), int32_t(j), d);
                if (prev && prev->m_kind == ANI_NODE_IMAGE)
                    static_cast<CAniImageNode*>(prev)->m_hold = uint8_t(e.hold);
                if (prev && prev->m_kind == ANI_NODE_MESH)
                    static_cast<CAniMeshNode*>(prev)->m_hold = uint8_t(e.hold);
                running = uint16_t(running + e.hold + 1);
                continue;
            }
            // Kinds past the file's own (the end node's included) make no node.
            CAniNode* node = e.kind <= ANI_LAST_FILE_KIND ? CreateNode(e.kind) : nullptr;
            if (!node) continue;  // a kind without nodes
            node->Load(e, m_version);
            running = e.start;
            if (e.kind == ANI_NODE_ALPHA_RAMP) m_hasAlphaRamp = 1;
            if (e.kind == ANI_NODE_VALUE_RAMP) m_hasValueRamp = 1;
            if (e.kind == ANI_NODE_TOON && IsMainMotion(motion->m_id)) {
                const AniRect r = static_cast<CAniToonNode*>(node)->GetScreenRect(nullptr);
                if (r.top != ANI_RECT_EMPTY_MIN && r.bottom != ANI_RECT_EMPTY_MAX &&
                    r.bottom - r.top > m_heightExtent)
                    m_heightExtent = r.bottom - r.top;
            }
            Register(motion, d, layer, int32_t(j), running, node);
            // A child animation that leads back to one being loaded refuses the whole chain.
            if (g_pAniMgr && g_pAniMgr->LoopFound()) return false;
        }
        auto* end = static_cast<CAniEndNode*>(CreateNode(ANI_NODE_END));
        end->m_pImage = FindPrevImageNode(motion, uint32_t(k), int32_t(elements.size()), d);
        Register(motion, d, layer, int32_t(elements.size()), uint16_t(running + 1), end);

        // Compaction: only the slots that hold nodes are kept, in order.
        std::vector<CAniNode*> kept;
        kept.reserve(layer.m_slots.size());
        for (CAniNode* node : layer.m_slots)
            if (node && node->m_kind != ANI_NODE_HOLD) kept.push_back(node);
        layer.m_slots.assign(kept.size(), nullptr);
        for (size_t i = 0; i < kept.size(); ++i)
            Register(motion, d, layer, int32_t(i), kept[i]->m_start, kept[i]);
    }
    return true;
}

bool CObjAni::Build(const AniFile& file) {
    FreeTree();
    m_version = file.version;
    m_heightExtent = 0;
    m_hasAlphaRamp = m_hasValueRamp = 0;
    if (m_version >= 11) {
        // Each pool is one array of the nodes the file holds of its kind (never
        // more than it declares; a larger declaration allocates no more).
        m_poolDecls = file.pools;
        std::array<uint32_t, ANI_NODE_KIND_COUNT> used{};
        for (const AniFileMotion& motion : file.motions)
            for (const AniFileDirection& dir : motion.directions)
                for (const AniFileLayer& layer : dir.layers)
                    for (const AniFileElement& e : layer.elements)
                        if (IsNodeKind(e.kind)) ++used[e.kind];
        for (const AniPoolDecl& decl : file.pools) {
            if (!IsNodeKind(decl.kind)) continue;
            const uint32_t size = std::min(decl.count, used[decl.kind]);
            if (size == 0) continue;
            WithNodeType(decl.kind, [&](auto* type) {
                m_pools[decl.kind] = std::make_unique<TypedPool<std::remove_pointer_t<decltype(type)>>>(size);
            });
        }
    }
    if (file.motions.empty()) return true;

    m_motions.resize(file.motions.size());
    for (size_t m = 0; m < file.motions.size(); ++m) {
        CAniMotion& motion = m_motions[m];
        motion.m_pAni = this;
        motion.m_id = uint8_t(file.motions[m].id);
        for (const AniFileDirection& dir : file.motions[m].directions)
            if (!BuildDirection(&motion, dir)) {
                FreeTree();
                return false;
            }
    }
    PostPass();
    return true;
}

void CObjAni::PostPass() {
    for (CAniMotion& motion : m_motions) {
        for (uint32_t d = 0; d < ANI_DIRECTION_COUNT; ++d) {
            if (!motion.m_present[d]) continue;
            for (CAniLayer& layer : motion.m_layers[d]) {
                for (CAniNode* node : layer.m_slots) {
                    if (node->m_kind != ANI_NODE_IMAGE) continue;
                    auto* image = static_cast<CAniImageNode*>(node);
                    image->AttachSprite(m_pSprites);
                    if (IsMainMotion(motion.m_id)) {
                        const int32_t above = -(image->m_y + image->GetMetrics().offsetY);
                        if (above > m_heightExtent) m_heightExtent = above;
                    }
                }
                const size_t frames = std::min(layer.FrameCount(), ANI_MAX_TABLE_FRAMES);
                layer.m_alphaTable.assign(frames, 255);
                layer.m_valueTable.assign(frames, 0);
            }
        }
    }
    if (m_hasAlphaRamp || m_hasValueRamp) FillRampTables();
}

void CObjAni::FillRampTables() {
    for (CAniMotion& motion : m_motions) {
        for (uint32_t d = 0; d < ANI_DIRECTION_COUNT; ++d) {
            if (!motion.m_present[d]) continue;
            for (CAniLayer& layer : motion.m_layers[d]) {
                for (CAniNode* node : layer.m_slots) {
                    if (node->m_kind != ANI_NODE_ALPHA_RAMP && node->m_kind != ANI_NODE_VALUE_RAMP) continue;
                    auto* ramp = static_cast<CAniRampNode*>(node);
                    CAniLayer* target = motion.Layer(d, ramp->m_target);
                    if (!target) continue;
                    std::vector<uint8_t>& table =
                        node->m_kind == ANI_NODE_ALPHA_RAMP ? target->m_alphaTable : target->m_valueTable;
                    FillRamp(table, node->m_start, ramp->m_rising != 0, uint8_t(ramp->m_step),
                             uint8_t(ramp->m_limit));
                }
            }
        }
    }
}

CAniMotion* CObjAni::OwnerMotion() {
    if (!m_pOwner || m_pOwner->m_currentMotion >= m_motions.size()) return nullptr;
    return &m_motions[m_pOwner->m_currentMotion];
}

int32_t CObjAni::CurrentElement(const CAniMotion* /*motion*/, const CAniLayer& layer, AniFrameLayer& record) {
    CAniObject* owner = m_pOwner;
    const int32_t count = layer.ElementCount();
    if (owner->m_stopped) return record.m_stepCurrent != -1 ? record.m_stepCurrent : count - 1;
    const uint32_t t = plat::timeGetTime() - owner->m_startTime;
    const double scale = owner->m_timeScale;
    int32_t last = -1;
    for (int32_t i = 0; i < count; ++i) {
        CAniNode* node = layer.m_slots[size_t(i)];
        if (!node) continue;
        const double s = double(node->m_start) * ANI_FRAME_MS;
        if (double(t) < s * scale && last == -1) return -1;
        const int64_t a = int64_t(s * scale);
        const int64_t b = int64_t((s + double(node->GetDuration())) * scale);
        if (a <= int64_t(t)) {
            last = i;
            if (b >= int64_t(t)) return i;
        }
    }
    if (last >= 0) return last;
    record.m_done = 1;
    return count - 1;
}

template <class F>
void CObjAni::ForEachOwnerLayer(F f) {
    CAniObject* owner = m_pOwner;
    CAniMotion* motion = OwnerMotion();
    if (!motion) return;
    for (int32_t k = 0; k < owner->m_layerCount; ++k) {
        CAniLayer* layer = motion->Layer(owner->m_layerDirection, uint32_t(k));
        if (!layer) break;
        m_pOwner = owner;  // a node may have played another object of this animation
        const bool more = f(motion, *layer, owner->m_frameLayers[k]);
        m_pOwner = owner;
        // A node may have changed the owner's motion and rebuilt its layers.
        if (!more || OwnerMotion() != motion) break;
    }
}

bool CObjAni::Update() {
    ForEachOwnerLayer([&](CAniMotion* motion, CAniLayer& layer, AniFrameLayer& record) {
        const int32_t previous = record.m_stepCurrent;
        const int32_t current = CurrentElement(motion, layer, record);
        record.m_stepCurrent = current;
        if (current < 0) return true;
        CAniObject* owner = m_pOwner;
        for (int32_t i = std::max(previous, 0); i < current && i < layer.ElementCount(); ++i) {
            m_pOwner = owner;
            if (CAniNode* node = layer.m_slots[size_t(i)]) node->Execute(true);
        }
        m_pOwner = owner;
        if (current < layer.ElementCount())
            if (CAniNode* node = layer.m_slots[size_t(current)]) node->Execute(false);
        return true;
    });
    return true;
}

// The element of the layer current for drawing now (stored in the record), or null.
CAniNode* CObjAni::DrawElement(CAniMotion* motion, CAniLayer& layer, AniFrameLayer& record) {
    const int32_t current = CurrentElement(motion, layer, record);
    record.m_drawCurrent = current;
    if (current < 0 || current >= layer.ElementCount()) return nullptr;
    return layer.m_slots[size_t(current)];
}

bool CObjAni::Draw() {
    ForEachOwnerLayer([&](CAniMotion* motion, CAniLayer& layer, AniFrameLayer& record) {
        CAniNode* node = DrawElement(motion, layer, record);
        if (!node) return true;
        const uint32_t frames = layer.FrameCount();
        uint32_t f = (plat::timeGetTime() - m_pOwner->m_startTime) / ANI_FRAME_MS;
        if (frames > 0) f = std::min(f, frames - 1);
        record.m_alpha = layer.AlphaAt(f);
        record.m_value = layer.ValueAt(f);
        node->Draw();
        return true;
    });
    return true;
}

bool CObjAni::DrawUnderlay() {
    ForEachOwnerLayer([&](CAniMotion* motion, CAniLayer& layer, AniFrameLayer& record) {
        CAniImageNode* image = ImageNodeOf(DrawElement(motion, layer, record));
        if (!image) return true;
        image->PrepareSprite(m_pOwner->m_screenX, m_pOwner->m_screenY);
        if (m_pOwner->m_underlayOn) image->DrawShadow();
        return true;
    });
    return true;
}

AniRect CObjAni::GetFrameBounds(bool skipMesh) {
    AniRect rect = EmptyAniRect();
    ForEachOwnerLayer([&](CAniMotion*, CAniLayer& layer, AniFrameLayer& record) {
        const int32_t count = layer.ElementCount();
        if (count == 0) return true;
        CAniNode* node = layer.m_slots[size_t(std::clamp(record.m_stepCurrent, 0, count - 1))];
        if (node->m_kind == ANI_NODE_TOON && static_cast<CAniToonNode*>(node)->m_tilt)
            UniteAniRect(rect, static_cast<CAniToonNode*>(node)->GetScreenRect(m_pOwner));
        if (CAniImageNode* image = ImageNodeOf(node)) UniteAniRect(rect, image->GetBounds(m_pOwner));
        if (!skipMesh)
            if (CAniMeshNode* mesh = MeshNodeOf(node)) UniteAniRect(rect, mesh->GetBounds());
        return true;
    });
    return rect;
}
