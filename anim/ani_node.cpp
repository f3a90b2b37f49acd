#include "anim/ani_node.h"

#include <algorithm>
#include <cstdio>

#include "anim/ani_object.h"
#include "anim/obj_ani.h"
#include "core/config.h"
#include "core/util.h"
#include "platform/clock.h"

namespace {

// "%4d" of the number with its spaces turned into zeros.
std::string NumberName(uint32_t number) {
    char text[16];
    snprintf(text, sizeof text, "%4u", number);
    SpacesToZeros(text);
    return text;
}

// Milliseconds since the node's start in the owner's current motion.
uint32_t TimeSinceStart(const CAniObject* owner, uint16_t start) {
    return plat::timeGetTime() - (owner->m_startTime + uint32_t(start) * ANI_FRAME_MS);
}

IAniCharacters* Characters() {
    return GetAniCharacters();
}

}  // namespace

// ---- Base ----

CAniObject* CAniNode::GetOwner() const {
    if (!m_pMotion || !m_pMotion->m_pAni) return nullptr;
    return m_pMotion->m_pAni->m_pOwner;
}

AniFrameLayer* CAniNode::GetRecord() const {
    CAniObject* owner = GetOwner();
    if (!owner || m_layer >= owner->m_layerCount) return nullptr;
    return &owner->m_frameLayers[m_layer];
}

CAniLayer* CAniNode::GetLayer() const {
    CAniObject* owner = GetOwner();
    return owner ? m_pMotion->Layer(owner->m_layerDirection, m_layer) : nullptr;
}

uint32_t CAniNode::TriggerTime() const {
    CAniObject* owner = GetOwner();
    return owner ? owner->m_startTime + uint32_t(m_start) * ANI_FRAME_MS : 0;
}

bool CAniNode::TriggerOnce(bool bothBehind) {
    AniFrameLayer* record = GetRecord();
    if (!record) return false;
    const uint32_t t = TriggerTime();
    const bool timeBehind = record->m_lastTriggerTime < t;
    const bool positionBehind = record->m_lastTriggerPos < m_position;
    if (bothBehind ? !(timeBehind && positionBehind) : !(timeBehind || positionBehind)) return false;
    record->m_lastTriggerTime = t;
    record->m_lastTriggerPos = m_position;
    return true;
}

namespace {
// The node itself, or the image-bearing node a hold or end node stands for.
CAniNode* Bearer(CAniNode* node) {
    if (node && node->m_kind == ANI_NODE_HOLD) return static_cast<CAniHoldNode*>(node)->m_pImage;
    if (node && node->m_kind == ANI_NODE_END) return static_cast<CAniEndNode*>(node)->m_pImage;
    return node;
}
}  // namespace

CAniImageNode* ImageNodeOf(CAniNode* node) {
    node = Bearer(node);
    return node && node->m_kind == ANI_NODE_IMAGE ? static_cast<CAniImageNode*>(node) : nullptr;
}

CAniMeshNode* MeshNodeOf(CAniNode* node) {
    node = Bearer(node);
    return node && node->m_kind == ANI_NODE_MESH ? static_cast<CAniMeshNode*>(node) : nullptr;
}

// ---- Image (fields; drawing lives with the sprites) ----

void CAniImageNode::Load(const AniFileElement& e, uint8_t) {
    m_texture = e.texture;
    m_unit = e.unit;
    m_flags = e.flags;
    m_mirror = (e.flags & ANI_IMAGE_MIRROR) ? 1 : 0;
    if (e.flags & ANI_IMAGE_OFFSET) {
        m_x = e.x;
        m_y = e.y;
    }
    if (e.flags & ANI_IMAGE_OFFSET2) {
        m_x2 = e.x2;
        m_y2 = e.y2;
    }
    if (e.flags & ANI_IMAGE_COLOR)
        for (int i = 0; i < 4; ++i) m_color[i] = uint8_t(((e.color >> (12 - 4 * i)) & 0xF) * 17);
}

// ---- Hold and end ----

void CAniHoldNode::Load(const AniFileElement& e, uint8_t) {
    m_frames = uint8_t(e.hold);
}

bool CAniHoldNode::Draw() {
    return m_pImage ? m_pImage->Draw() : true;
}

bool CAniHoldNode::Execute(bool) {
    return m_pImage ? m_pImage->Execute(false) : true;
}

bool CAniEndNode::Draw() {
    return m_pImage ? m_pImage->Draw() : true;
}

bool CAniEndNode::Execute(bool) {
    if (AniFrameLayer* record = GetRecord()) record->m_done = 1;
    return m_pImage ? m_pImage->Execute(false) : true;
}

// ---- Counters and ratio of characters ----

void CAniTargetCountNode::Load(const AniFileElement& e, uint8_t) {
    m_value = e.number;
}

bool CAniTargetCountNode::Execute(bool) {
    CAniObject* owner = GetOwner();
    if (!owner || !TriggerOnce(true)) return true;
    if (IAniCharacters* chars = Characters()) chars->AddSecondHitCountById(owner->m_ownerId);
    return true;
}

bool CAniOwnerCountNode::Execute(bool) {
    CAniObject* owner = GetOwner();
    if (!owner || !TriggerOnce(true)) return true;
    IAniCharacters* chars = Characters();
    if (chars && owner->m_pOwner) chars->AddFirstHitCount(owner->m_pOwner);
    return true;
}

void CAniOwnerPercentNode::Load(const AniFileElement& e, uint8_t) {
    m_value = e.mode;
}

bool CAniOwnerPercentNode::Execute(bool) {
    CAniObject* owner = GetOwner();
    if (!owner || !TriggerOnce(false)) return true;
    IAniCharacters* chars = Characters();
    if (chars && owner->m_pOwner)
        chars->SetRatio(owner->m_pOwner, m_value == 1 ? 0.0f : float(m_value) * 0.01f);
    return true;
}

// ---- Layers ----

void CAniLayerSwitchNode::Load(const AniFileElement& e, uint8_t) {
    m_mode = e.mode;
    m_target = e.target;
}

bool CAniLayerSwitchNode::Execute(bool) {
    CAniObject* owner = GetOwner();
    if (!owner) return true;
    CAniLayer* target = m_pMotion->Layer(owner->m_layerDirection, m_target);
    if (!target) return true;
    if (m_mode == 0) target->m_switch = 1;
    if (m_mode == 3) target->m_switch = 0;
    return true;
}

void CAniLayerBlendNode::Load(const AniFileElement& e, uint8_t) {
    m_target = e.target;
    m_blendMode = e.mode;
}

bool CAniLayerBlendNode::Execute(bool) {
    TriggerOnce(false);
    return true;
}

void CAniRampNode::Load(const AniFileElement& e, uint8_t) {
    m_rising = e.rising ? 1 : 0;
    m_step = e.step;
    m_limit = e.limit;
    m_target = e.target;
}

bool CAniRampNode::Execute(bool catchUp) {
    CAniObject* owner = GetOwner();
    if (!owner) return true;
    const bool alpha = m_kind == ANI_NODE_ALPHA_RAMP;
    if (catchUp) {
        if (AniFrameLayer* record = GetRecord()) {
            (alpha ? record->m_alpha : record->m_value) = m_limit;
            (alpha ? record->m_alphaRamp : record->m_valueRamp) = AniRamp();
        }
        return true;
    }
    if (owner->m_layerDirection >= ANI_DIRECTION_COUNT || m_target >= owner->m_layerCount) return true;
    if (!TriggerOnce(false)) return true;
    AniRamp& ramp =
        alpha ? owner->m_frameLayers[m_target].m_alphaRamp : owner->m_frameLayers[m_target].m_valueRamp;
    ramp.m_step = m_rising ? int32_t(m_step) : -int32_t(m_step);
    ramp.m_limit = m_limit;
    ramp.m_startTime = plat::timeGetTime();
    return true;
}

// ---- Child animation ----

CAniChildNode::~CAniChildNode() {
    delete m_pChild;
}

void CAniChildNode::Load(const AniFileElement& e, uint8_t) {
    m_animation = e.number;
    m_motion = e.motion;
    m_direction = uint8_t(e.direction);
    m_x = e.x;
    m_y = e.y;
}

bool CAniChildNode::MakeChild() {
    if (m_pChild) return true;
    if (m_tried) return false;
    m_tried = true;
    auto* child = new CAniObject();
    if (!child->SetAnimation(m_animation)) {
        delete child;
        return false;
    }
    child->SetMotion(uint8_t(m_motion));
    child->SetDirection(m_direction);
    uint32_t length = 0;
    if (CAniMotion* motion = child->GetCurrentMotionRecord())
        for (const CAniLayer& layer : motion->m_layers[child->m_layerDirection])
            length = std::max(length, layer.m_endTime);
    m_length = length;
    m_pChild = child;
    return true;
}

uint32_t CAniChildNode::GetDuration() {
    MakeChild();
    return m_length;
}

bool CAniChildNode::Draw() {
    CAniObject* owner = GetOwner();
    if (!owner || !MakeChild()) return true;
    m_pChild->m_startTime = owner->m_startTime + uint32_t(m_start) * ANI_FRAME_MS;
    m_pChild->m_stopped = 0;
    m_pChild->m_flag126 = owner->m_flag126;
    // The child draws where its owner draws (an afterimage capture included).
    m_pChild->SetRenderTarget(owner->m_targetExplicit ? owner->m_explicitTarget : 0, owner->m_defaultTarget);
    m_pChild->SetScreenPosition(owner->m_screenX + m_x, owner->m_screenY + m_y, 0);
    m_pChild->Draw();
    return true;
}

bool CAniChildNode::Execute(bool) {
    CAniObject* owner = GetOwner();
    if (!owner || !MakeChild()) return true;
    if (TriggerOnce(false)) m_pChild->Play(false);
    m_pChild->m_startTime = owner->m_startTime + uint32_t(m_start) * ANI_FRAME_MS;
    m_pChild->Update();
    m_pChild->m_stopped = 0;
    return true;
}

// ---- Map effects, order, sound ----

void CAniMapEffectNode::Load(const AniFileElement& e, uint8_t) {
    m_mode = e.mode;
    m_low = e.arg & 0x0F;
    m_high = uint8_t(e.arg >> 4);
}

bool CAniMapEffectNode::Execute(bool) {
    CAniObject* owner = GetOwner();
    if (!owner) return true;
    if (m_mode == 0) {
        if (IAniField* field = GetAniField()) field->TriggerEffectSlot(m_high, m_low, true);
    } else if (m_mode == 1) {
        IAniCharacters* chars = Characters();
        if (chars && owner->m_pOwner && !IsVisualEventRunning()) {
            if (CAniObject* charObject = chars->GetCharAniObject(owner->m_pOwner)) {
                if (m_low == 0)
                    charObject->StopTrail();
                else
                    charObject->StartTrail();
            }
        }
    }
    return false;
}

void CAniOrderNode::Load(const AniFileElement& e, uint8_t) {
    m_code = e.mode;
}

int32_t CAniOrderNode::PriorityOf(uint8_t code) {
    static const int32_t kPriority[8] = {4, -4, 1, -1, 2, -2, 3, -3};
    return code < 8 ? kPriority[code] : 0;
}

bool CAniOrderNode::Execute(bool) {
    CAniObject* owner = GetOwner();
    if (!owner || !owner->m_pParent) return true;
    CAniObject* parent = owner->m_pParent;
    const int32_t priority = PriorityOf(m_code);
    if (parent->HasChild(owner) && owner->m_priority == priority) {
        owner->m_startTime = parent->m_startTime;
        return true;
    }
    owner->DetachFromParent(parent);
    owner->AttachToParent(parent, priority);
    return true;
}

void CAniSoundNode::Load(const AniFileElement& e, uint8_t) {
    m_soundId = e.number;
    m_word = e.word2;
    m_byte = e.byte;
    m_positional = e.positional ? 1 : 0;
    m_extra = e.extra;
}

bool CAniSoundNode::Execute(bool) {
    CAniObject* owner = GetOwner();
    if (!owner || !TriggerOnce(false)) return true;
    if (IAniSound* sound = GetAniSound()) {
        if (m_positional)
            sound->PlaySoundEffect(m_soundId, owner->m_screenX, owner->m_screenY);
        else
            sound->PlaySoundEffect(m_soundId, -1, -1);
    }
    return true;
}

// ---- 3D map-object model ----

CAniMeshNode::~CAniMeshNode() {
    if (m_pModel)
        if (IAniMeshModels* meshes = GetAniMeshModels()) meshes->ReleaseModel(NumberName(m_model).c_str());
}

void CAniMeshNode::Load(const AniFileElement& e, uint8_t) {
    m_model = e.number;
    m_flag = e.flag ? 1 : 0;
    m_x = e.x;
    m_y = e.y;
    m_extra = uint8_t(e.extra);
}

IAniMeshModel* CAniMeshNode::GetModel() {
    if (m_pModel || m_tried) return m_pModel;
    IAniMeshModels* meshes = GetAniMeshModels();
    if (!meshes) return nullptr;
    m_tried = true;
    m_pModel = meshes->AddModel(NumberName(m_model).c_str());
    return m_pModel;
}

uint32_t CAniMeshNode::GetDuration() {
    IAniMeshModel* model = GetModel();
    if (!model) return 0;
    if (m_frameCount == 0) m_frameCount = uint16_t(std::min<uint32_t>(model->GetFrameCount(), 0xFFFF));
    return uint32_t(m_frameCount) * ANI_FRAME_MS;
}

int32_t CAniMeshNode::CurrentFrame(CAniObject* owner) const {
    // A period of 0 counts as the default frame length.
    const uint32_t period = owner->m_frame3DPeriod ? owner->m_frame3DPeriod : ANI_FRAME_MS;
    return int32_t(TimeSinceStart(owner, m_start) / period) - 1;
}

bool CAniMeshNode::Draw() {
    CAniObject* owner = GetOwner();
    IAniMeshModel* model = owner ? GetModel() : nullptr;
    if (!model) return true;
    AniModelPose pose;
    if (AniFrameLayer* record = GetRecord()) {
        pose.alpha = float(record->m_alpha) / 255.0f;
        pose.blendMode = record->m_blendMode;
    }
    pose.x = owner->m_screenX + owner->m_drawOffsetX + m_x;
    pose.y = owner->m_screenY + owner->m_drawOffsetY + m_y - owner->m_screenZ;
    if (!(owner->m_tile1.x == -1 && owner->m_tile1.y == -1)) {
        pose.hasTiles = true;
        const CIsoView* view = GetFieldView();
        const CIsoView fallback;
        const CIsoView& v = view ? *view : fallback;
        pose.tile1 = v.TileToScreen(owner->m_tile1.x, owner->m_tile1.y);
        pose.tile2 = owner->m_tile2.x == ANI_TILE_UNSET ? IsoPoint{ANI_TILE_UNSET, ANI_TILE_UNSET}
                                                        : v.TileToScreen(owner->m_tile2.x, owner->m_tile2.y);
    }
    pose.timeMs = TimeSinceStart(owner, m_start);
    pose.frame = CurrentFrame(owner);
    pose.flag = m_flag != 0;
    model->Draw(pose);
    return true;
}

bool CAniMeshNode::Execute(bool) {
    CAniObject* owner = GetOwner();
    IAniMeshModel* model = owner ? GetModel() : nullptr;
    if (model)
        model->SetScreenPosition(owner->m_screenX + owner->m_drawOffsetX + m_x,
                                 owner->m_screenY + owner->m_drawOffsetY + m_y);
    return true;
}

AniRect CAniMeshNode::GetBounds() {
    IAniMeshModel* model = GetModel();
    return model ? model->GetScreenBounds() : EmptyAniRect();
}

// ---- Particle effect ----

CAniParticleNode::~CAniParticleNode() {
    if (m_pTemplate) m_pTemplate->Release();
}

void CAniParticleNode::Load(const AniFileElement& e, uint8_t) {
    m_effectId = e.number;
    m_x = e.x;
    m_y = e.y;
}

IAniParticleTemplate* CAniParticleNode::GetTemplate() {
    if (m_pTemplate || m_tried || m_effectId == 0xFFFF) return m_pTemplate;
    IAniParticles* particles = GetAniParticles();
    if (!particles) return nullptr;
    m_tried = true;
    m_pTemplate = particles->GetTemplate(m_effectId);
    return m_pTemplate;
}

uint32_t CAniParticleNode::GetDuration() {
    IAniParticleTemplate* t = GetTemplate();
    return t ? t->GetLengthMs() : 0;
}

bool CAniParticleNode::Draw() {
    CAniObject* owner = GetOwner();
    IAniParticleTemplate* t = owner ? GetTemplate() : nullptr;
    if (!t) return true;
    const bool mirrored = owner->m_direction == 4 || owner->m_direction == 6 || owner->m_direction == 8;
    t->Draw(TimeSinceStart(owner, m_start), owner->m_screenX + m_x, owner->m_screenY + m_y, mirrored,
            owner->m_screenX, owner->m_screenY);
    return true;
}

// ---- Toon-shaded object ----

CAniToonNode::~CAniToonNode() {
    if (IAniToonObject* object = m_object.GetAs<IAniToonObject>())
        if (IAniToonObjects* toons = GetAniToonObjects()) toons->ReleaseObject(object);
}

void CAniToonNode::Load(const AniFileElement& e, uint8_t) {
    m_model = e.number;
    m_motionSet = e.motionSet;
    m_material = e.material;
    m_tilt = e.flag ? 1 : 0;
    m_toonMode = e.flag2 ? 1 : 0;
    m_flag3 = (e.toonFlags & 0x08) ? 1 : 0;
    m_flag4 = (e.toonFlags & 0x10) ? 1 : 0;
    m_x = e.x;
    m_y = e.y;
    m_facing = e.facing;
}

IAniToonObject* CAniToonNode::GetObject() {
    if (m_tried) return m_object.GetAs<IAniToonObject>();
    IAniToonObjects* toons = GetAniToonObjects();
    if (!toons) return nullptr;
    m_tried = true;
    const std::string mesh = g_config.m_folders[FOLDER_SFCD_OBJ] + "/" + NumberName(m_model) + ".OBJ";
    const std::string ani = g_config.m_folders[FOLDER_SFCD_ANI] + "/" + NumberName(m_motionSet) + ".ANI";
    const std::string mat = g_config.m_folders[FOLDER_SFCD_MAT] + "/" + NumberName(m_material) + ".MAT";
    IAniToonObject* object = toons->GetObject(mesh.c_str(), ani.c_str(), mat.c_str());
    m_object.Assign(object);
    if (object && m_toonMode) object->SetToonMode(1);
    return object;
}

uint32_t CAniToonNode::GetDuration() {
    IAniToonObject* object = GetObject();
    return object ? object->GetDurationMs() : 0;
}

float CAniToonNode::FacingAngle(CAniObject* owner) const {
    if (owner && owner->m_angleSet) return owner->m_angle;
    uint8_t direction = owner ? owner->m_direction : 0;
    static const uint8_t kOverride[9] = {0, 2, 0, 14, 12, 10, 8, 6, 4};
    if (m_facing >= 1 && m_facing <= 8) direction = kOverride[m_facing];
    switch (direction) {
        case 0:
            return 135.0f;
        case 2:
            return 180.0f;
        case 4:
            return -135.0f;
        case 6:
            return -90.0f;
        case 8:
            return -45.0f;
        case 10:
            return 0.0f;
        case 12:
            return 45.0f;
        case 14:
            return 90.0f;
        default:
            return 0.0f;
    }
}

AniModelPose CAniToonNode::MakePose(CAniObject* owner, uint32_t timeMs) const {
    AniModelPose pose;
    pose.timeMs = timeMs;
    pose.x = m_x;
    pose.y = m_y;
    if (owner) {
        pose.x += owner->m_screenX + owner->m_drawOffsetX;
        pose.y += owner->m_screenY + owner->m_drawOffsetY;
        pose.alpha = float(owner->m_alpha) / 255.0f;
    }
    pose.facing = FacingAngle(owner);
    pose.tilt = m_tilt != 0;
    return pose;
}

bool CAniToonNode::Draw() {
    CAniObject* owner = GetOwner();
    IAniToonObject* object = owner ? GetObject() : nullptr;
    if (!object) return true;
    AniModelPose pose = MakePose(owner, TimeSinceStart(owner, m_start));
    if (AniFrameLayer* record = GetRecord()) {
        pose.alpha *= float(record->m_alpha) / 255.0f;
        pose.blendMode = record->m_blendMode == 1 ? 1 : 0;
    }
    object->Draw(pose);
    return true;
}

AniRect CAniToonNode::GetScreenRect(CAniObject* owner) {
    IAniToonObject* object = GetObject();
    if (!object) return EmptyAniRect();
    return object->GetScreenRect(MakePose(owner, owner ? TimeSinceStart(owner, m_start) : 0));
}
