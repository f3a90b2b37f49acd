#include "anim/ani_object.h"

#include <algorithm>

#include "anim/ani_mgr.h"
#include "anim/obj_ani.h"
#include "core/config.h"
#include "core/input_mgr.h"
#include "graphics/display_settings.h"
#include "platform/clock.h"

CAniObject::CAniObject() {
    m_entries.AddTail(this);
}

CAniObject::~CAniObject() {
    CAniObject::Release();
    if (m_pParent) DetachFromParent(m_pParent);
    ForgetChildren();
    m_entries.ClearList();
}

CObjAni* CAniObject::GetAni() const {
    return m_aniRef.GetAs<CObjAni>();
}

bool CAniObject::HasMotion() const {
    return m_motionCount != 0 && m_currentMotion != ANI_NO_MOTION && GetAni();
}

template <class F>
void CAniObject::ForEachChild(F f) {
    for (auto* n = m_entries.First(); n != m_entries.End(); n = n->m_pNext)
        if (n->m_pData != this) f(n->m_pData);
}

int32_t CAniObject::CopyEntries(CAniObject** out) const {
    int32_t n = 0;
    for (CAniObject* e : m_entries) {
        if (n == ANI_MAX_WALK) break;
        out[n++] = e;
    }
    return n;
}

std::vector<CAniObject*> CAniObject::Entries() const {
    return std::vector<CAniObject*>(m_entries.begin(), m_entries.end());
}

void CAniObject::ForgetChildren() {
    for (auto* n = m_entries.First(); n != m_entries.End();) {
        CAniObject* e = n->m_pData;
        if (e == this) {
            n = n->m_pNext;
            continue;
        }
        if (e->m_pParent == this) e->m_pParent = nullptr;
        n = m_entries.FreeNode(n);
    }
}

void CAniObject::ReleaseAnimation() {
    if (CObjAni* ani = GetAni()) {
        if (g_pAniMgr) g_pAniMgr->ReleaseObjAni(ani->GetId());
    }
    m_aniRef.Assign(nullptr);
    m_motionCount = 0;
    m_layerCount = 0;
}

bool CAniObject::Release() {
    if (IAniParticles* particles = GetAniParticles()) particles->RemoveByOwner(this);
    ClearTrail();
    ForgetChildren();
    if (m_keepResource) return true;
    // An animation attached earlier goes back whatever the object shows now.
    ReleaseAnimation();
    if (m_kind == ANI_KIND_IMAGE) {
        m_pImage = nullptr;
        return true;
    }
    if (m_kind == ANI_KIND_DRAWABLE) {
        delete m_pDrawable;
        m_pDrawable = nullptr;
    }
    ReleaseAttachedSurface();
    return true;
}

// ---- What is shown ----

bool CAniObject::SetAnimation(uint32_t index, bool clear) {
    if (clear) {
        m_kind = ANI_KIND_DRAWABLE;
        return true;
    }
    m_kind = ANI_KIND_ANIMATION;
    CObjAni* ani = g_pAniMgr ? g_pAniMgr->CreateNewObjAni(index, this) : nullptr;
    if (!ani) return false;
    // The animation shown before goes back (taken after the new one, so the same one stays loaded).
    if (GetAni()) ReleaseAnimation();
    m_aniRef.Assign(ani);
    m_motionCount = uint32_t(ani->MotionCount());
    m_attached = 1;
    if (m_currentMotion >= m_motionCount) m_currentMotion = ANI_NO_MOTION;
    SetupLayers();
    return true;
}

void CAniObject::SetSpriteRef(CImageFileResource* image) {
    m_kind = ANI_KIND_IMAGE;
    m_pImage = image;
}

void CAniObject::SetDrawable(IAniDrawable* drawable) {
    if (m_pDrawable != drawable) delete m_pDrawable;
    m_kind = ANI_KIND_DRAWABLE;
    m_pDrawable = drawable;
}

// ---- Playing ----

bool CAniObject::SetupLayers() {
    CAniMotion* motion = m_kind == ANI_KIND_ANIMATION ? GetCurrentMotionRecord() : nullptr;
    if (!motion) return false;
    int32_t direction = std::min<int32_t>(m_direction, ANI_DIRECTION_COUNT - 1);
    if (m_direction >= ANI_DIRECTION_COUNT || !motion->m_present[size_t(direction)]) {
        if (m_direction == 0) return false;
        while (direction > 0 && !motion->m_present[size_t(direction)]) --direction;
    }
    m_layerDirection = uint8_t(direction);
    m_layerCount = std::min<int32_t>(motion->m_layerCount[size_t(direction)], ANI_MAX_FRAME_LAYERS);
    m_layerCount = std::min<int32_t>(m_layerCount, int32_t(motion->m_layers[size_t(direction)].size()));
    for (int32_t k = 0; k < ANI_MAX_FRAME_LAYERS; ++k) {
        AniFrameLayer& record = m_frameLayers[k];
        record = AniFrameLayer();
        if (k >= m_layerCount) continue;
        const CAniLayer& layer = motion->m_layers[size_t(direction)][size_t(k)];
        record.m_index = layer.m_index;
        record.m_elementCount = uint32_t(layer.ElementCount());
        record.m_endTime = layer.m_endTime;
        record.m_blendMode = layer.m_blendMode;
    }
    return true;
}

void CAniObject::SetMotion(uint8_t motionId) {
    if (!IsVisualEventRunning()) m_trailOn = 0;
    ForEachChild([&](CAniObject* c) { c->SetMotion(motionId); });
    CObjAni* ani = GetAni();
    if (m_kind != ANI_KIND_ANIMATION || !ani) return;
    uint32_t index = ANI_NO_MOTION;
    for (size_t i = 0; i < ani->m_motions.size(); ++i)
        if (ani->m_motions[i].m_id == motionId) {
            index = uint32_t(i);
            break;
        }
    if (index == ANI_NO_MOTION) {
        m_currentMotion = ANI_NO_MOTION;
        return;
    }
    if (index == m_currentMotion) return;
    m_currentMotion = index;
    m_startTime = plat::timeGetTime();
    SetupLayers();
}

void CAniObject::SetDirection(uint8_t direction) {
    if (direction == m_direction) return;
    ForEachChild([&](CAniObject* c) {
        c->SetDirection(direction);
        c->m_startTime = m_startTime;
    });
    if (m_kind != ANI_KIND_ANIMATION) return;
    m_direction = direction;
    SetupLayers();
}

void CAniObject::Play(bool loop) {
    if (m_kind == ANI_KIND_ANIMATION && HasMotion()) {
        m_stopped = 0;
        m_stopRequest = 0;
        m_loop = loop;
        m_startTime = m_pParent ? m_pParent->m_startTime : plat::timeGetTime();
        for (int32_t k = 0; k < m_layerCount; ++k) m_frameLayers[k].Restart();
    }
    ForEachChild([&](CAniObject* c) { c->Play(loop); });
}

void CAniObject::Stop() {
    if (m_kind == ANI_KIND_ANIMATION) m_stopped = 1;
    ForEachChild([](CAniObject* c) { c->Stop(); });
}

void CAniObject::ResetLayers() {
    if (m_kind != ANI_KIND_ANIMATION || !HasMotion()) return;
    for (int32_t k = 0; k < m_layerCount; ++k) m_frameLayers[k].Restart();
}

void CAniObject::SetScale(float scale) {
    m_timeScale = scale;
    ForEachChild([&](CAniObject* c) { c->SetScale(scale); });
}

// ---- Position ----

void CAniObject::SetScreenPosition(int32_t x, int32_t y, int32_t z) {
    m_screenX = x;
    m_screenY = y;
    m_screenZ = z;
    m_mapX = m_mapY = m_mapZ = ANI_NO_POSITION;
}

void CAniObject::SetMapPosition(int32_t x, int32_t y, int32_t z) {
    const CIsoView* view = GetFieldView();
    const IsoPoint p = view ? view->MapToScreen(x, y) : CIsoView().MapToScreen(x, y);
    m_screenX = p.x;
    m_screenY = p.y;
    m_screenZ = z;
    m_mapX = x;
    m_mapY = y;
    m_mapZ = z;
}

void CAniObject::SetTileRange(IsoPoint first, IsoPoint second) {
    const CIsoView* view = GetFieldView();
    if (!view) return;
    m_tile1 = view->ScreenToTile(first.x, first.y);
    if (second.x != ANI_TILE_UNSET && second.y != ANI_TILE_UNSET)
        m_tile2 = view->ScreenToTile(second.x, second.y);
}

// ---- Looks ----

void CAniObject::SetUnderlay(bool on) {
    m_underlayOn = on;
    if (!on) m_underlayMode = ANI_UNDERLAY_OFF_MODE;
}

void CAniObject::SetColor(uint8_t mode, uint32_t value, const uint8_t* rgba) {
    m_colorMode = mode;
    m_colorValue = value;
    if (rgba) std::copy(rgba, rgba + 4, m_color);
    ForEachChild([&](CAniObject* c) { c->SetColor(mode, value, rgba); });
}

void CAniObject::SetFadeFlags(uint8_t bit0, uint8_t bit1) {
    if (bit0 != 255) m_fadeBits = uint8_t(bit0 ? (m_fadeBits | 1) : (m_fadeBits & ~1));
    if (bit1 != 255) m_fadeBits = uint8_t(bit1 ? (m_fadeBits | 2) : (m_fadeBits & ~2));
}

void CAniObject::SetFlag126(uint8_t value) {
    m_flag126 = value;
    ForEachChild([&](CAniObject* c) { c->SetFlag126(value); });
}

void CAniObject::SetFlag148(uint8_t value) {
    m_flag148 = value;
    ForEachChild([&](CAniObject* c) { c->SetFlag148(value); });
}

void CAniObject::SetFlag149(uint8_t value) {
    m_flag149 = value;
    ForEachChild([&](CAniObject* c) { c->SetFlag149(value); });
}

void CAniObject::SetHideable(uint8_t value) {
    m_hideable = value;
    ForEachChild([&](CAniObject* c) { c->SetHideable(value); });
}

void CAniObject::SetAniFlag(uint8_t value) {
    if (CObjAni* ani = GetAni()) ani->m_resident = value;
}

void CAniObject::SetRenderTarget(uint32_t explicitTarget, uint32_t defaultTarget) {
    if (explicitTarget) {
        m_targetExplicit = 1;
        m_explicitTarget = explicitTarget;
    } else {
        m_targetExplicit = 0;
        m_defaultTarget = defaultTarget;
    }
    CAniObject* entries[ANI_MAX_WALK];
    const int32_t n = CopyEntries(entries);
    for (int32_t i = 0; i < n; ++i)
        if (entries[i] != this) entries[i]->SetRenderTarget(explicitTarget, defaultTarget);
}

void CAniObject::GetRenderTarget(uint32_t* explicitTarget, uint32_t* defaultTarget) const {
    if (explicitTarget) *explicitTarget = m_explicitTarget;
    if (defaultTarget) *defaultTarget = m_defaultTarget;
}

// ---- Owner ----

void CAniObject::SetOwner(CChar* owner) {
    m_pOwner = owner;
    IAniCharacters* chars = GetAniCharacters();
    m_ownerId = (owner && chars) ? chars->GetCharId(owner) : 0;
}

void CAniObject::ClearOwner() {
    m_pOwner = nullptr;
    m_ownerId = 0;
    ForEachChild([](CAniObject* c) { c->ClearOwner(); });
}

// ---- Queries ----

AniFrameLayer* CAniObject::GetLayerRecord(int32_t index) {
    if (m_motionCount == 0 || index < 0 || index >= ANI_MAX_FRAME_LAYERS) return nullptr;
    return &m_frameLayers[index];
}

CAniMotion* CAniObject::GetCurrentMotionRecord() const {
    CObjAni* ani = GetAni();
    if (!ani || m_currentMotion >= ani->m_motions.size()) return nullptr;
    return &ani->m_motions[m_currentMotion];
}

int32_t CAniObject::GetCurrentMotionId() const {
    const CAniMotion* motion = GetCurrentMotionRecord();
    return motion ? motion->m_id : -1;
}

bool CAniObject::IsMotionMissing(uint8_t motionId, int32_t direction) const {
    CObjAni* ani = GetAni();
    if (!ani || m_motionCount == 0) return true;
    CAniMotion* motion = ani->FindMotion(motionId);
    if (!motion) return true;
    if (direction == -1) return false;
    return direction < 0 || direction >= ANI_DIRECTION_COUNT || !motion->m_present[size_t(direction)];
}

AniRect CAniObject::GetBounds(bool underlay, bool drawerFlag) {
    AniRect r;
    IAniCharacters* chars = GetAniCharacters();
    if (m_pOwner && chars && !chars->IsCharVisible(m_pOwner)) {
        m_bounds = r;
        return r;
    }
    if (!HasMotion()) {
        m_bounds = r;
        return r;
    }
    const uint8_t savedUnderlay = m_underlayOn;
    m_underlayOn = (underlay && m_underlayOn) ? 1 : 0;
    if (m_kind == ANI_KIND_DRAWABLE && m_pDrawable) {
        r.left = m_pDrawable->GetOffsetX() + m_screenX;
        r.top = m_pDrawable->GetOffsetY() + m_screenY;
        r.right = int32_t(uint16_t(m_pDrawable->GetWidth())) + m_pDrawable->GetOffsetX() + m_screenX;
        r.bottom = int32_t(uint16_t(m_pDrawable->GetHeight())) + m_pDrawable->GetOffsetY() + m_screenY;
    } else if (m_kind == ANI_KIND_ANIMATION) {
        CObjAni* ani = GetAni();
        ani->m_pOwner = this;
        r = ani->GetFrameBounds(drawerFlag);
    }
    m_underlayOn = savedUnderlay;
    m_bounds = r;
    return r;
}

int32_t CAniObject::GetWidth() {
    if (!HasMotion()) return 0;
    const AniRect r = m_pOwner ? m_bounds : GetBounds(true, false);
    return IsEmptyAniRect(r) ? 0 : r.right - r.left;
}

int32_t CAniObject::GetHeight() {
    if (!HasMotion()) return 0;
    const AniRect r = m_pOwner ? m_bounds : GetBounds(true, false);
    return IsEmptyAniRect(r) ? 0 : r.bottom - r.top;
}

int32_t CAniObject::GetAniTopExtent() const {
    CObjAni* ani = GetAni();
    return ani ? ani->m_heightExtent : 0;
}

bool CAniObject::IsHitAt(int32_t, int32_t) {
    if (!HasMotion()) return false;
    IAniEvents* events = GetAniEvents();
    IAniCharacters* characters = GetAniCharacters();
    if (m_pOwner && events && events->IsFieldScriptRunning() && events->IsInputLocked() && characters &&
        characters->GetFlagWord(m_pOwner) == 0)
        return false;
    if (m_hidden) return false;
    if (m_mapX == ANI_NO_POSITION || !GetFieldView()) return true;
    if (m_offScreen) return false;
    if (characters && characters->IsPlayerStatus9Set()) return false;
    return true;
}

// ---- Children ----

bool CAniObject::HasChild(const CAniObject* object) const {
    return object && m_entries.Find(object) != nullptr;
}

CAniObject* CAniObject::FindChildByAniIndex(uint32_t index) const {
    for (CAniObject* e : m_entries) {
        if (e == this) continue;
        CObjAni* ani = e->GetAni();
        if (ani && ani->m_number == index) return e;
    }
    return nullptr;
}

CAniObject* CAniObject::DetachChildByAniIndex(uint32_t index) {
    CAniObject* child = FindChildByAniIndex(index);
    if (child) {
        m_entries.RemoveValue(child);
        child->m_pParent = nullptr;
    }
    return child;
}

void CAniObject::AttachToParent(CAniObject* parent, int32_t priority) {
    if (!parent) return;
    // An object never becomes a child of itself or of one of its own children.
    for (CAniObject* p = parent; p; p = p->m_pParent)
        if (p == this) return;
    parent->ResetLayers();
    m_startTime = plat::timeGetTime();
    m_priority = priority;
    const int32_t motionId = parent->GetCurrentMotionId();
    if (motionId >= 0) SetMotion(uint8_t(motionId));
    SetDirection(parent->m_direction);
    for (CAniObject* e : m_entries) {
        e->m_stopped = parent->m_stopped;
        e->m_loop = parent->m_loop;
        e->m_startTime = parent->m_startTime;
    }
    if (parent->HasChild(this)) return;
    if (m_pParent) DetachFromParent(m_pParent);
    auto* before = parent->m_entries.First();
    while (before != parent->m_entries.End() && parent->EntryPriority(before->m_pData) <= priority)
        before = before->m_pNext;
    parent->m_entries.InsertBefore(this, before);
    m_pParent = parent;
    m_pOwner = parent->m_pOwner;
    m_ownerId = parent->m_ownerId;
    parent->SetFlag126(parent->m_flag126);
}

void CAniObject::DetachFromParent(CAniObject* parent) {
    if (parent && parent != this) parent->m_entries.RemoveValue(this);
    m_pParent = nullptr;
}

// ---- Per frame ----

bool CAniObject::Update() {
    CAniObject* entries[ANI_MAX_WALK];
    const int32_t n = CopyEntries(entries);
    for (int32_t i = 0; i < n; ++i)
        if (entries[i] != this) entries[i]->Update();

    CObjAni* ani = GetAni();
    if (m_kind == ANI_KIND_ANIMATION && HasMotion()) {
        ani->m_pOwner = this;
        ani->Update();
    }

    const AniRect r = GetBounds(true, false);
    m_offScreen = (r.right >= 0 && r.left <= GetDisplaySettings().screenWidth && r.bottom >= 0 &&
                   r.top <= GetDisplaySettings().screenHeight)
                      ? 0
                      : 1;

    bool allDone = m_layerCount > 0;
    for (int32_t k = 0; k < m_layerCount && allDone; ++k) allDone = m_frameLayers[k].m_done != 0;
    if (!HasMotion() || m_kind != ANI_KIND_ANIMATION || m_layerCount == 0 || allDone) {
        if (m_loop) {
            m_startTime = plat::timeGetTime();
            ResetLayers();
        } else {
            ForEachChild([](CAniObject* c) { c->Stop(); });
            if (m_kind == ANI_KIND_ANIMATION) m_stopped = 1;
            return true;
        }
    }

    if (!m_fadeBits && m_alpha < 255) m_alpha = uint16_t(std::min(255, m_alpha + 10));
    if (m_fadeBits && m_alpha > 128) m_alpha = uint16_t(std::max(128, m_alpha - 10));
    return true;
}

bool CAniObject::Draw() {
    if (m_underlayOn) DrawPass(true);
    DrawPass(false);
    return true;
}

void CAniObject::DrawPass(bool underlay) {
    if (m_hideable && g_options.GetByte(ANI_OPT_HIDE_HIDEABLE)) return;
    CAniObject* entries[ANI_MAX_WALK];
    const int32_t n = CopyEntries(entries);
    for (int32_t i = 0; i < n; ++i) {
        CAniObject* e = entries[i];
        if (e != this) {
            e->m_screenX = m_screenX;
            e->m_screenY = m_screenY;
            e->m_screenZ = m_screenZ;
            e->m_mapX = e->m_mapY = e->m_mapZ = ANI_NO_POSITION;
            e->DrawPass(underlay);
            continue;
        }
        if (m_kind == ANI_KIND_IMAGE) {
            DrawImage();
            return;
        }
        if (m_kind == ANI_KIND_DRAWABLE) return;
        if (HasMotion() && !m_hidden) {
            CObjAni* ani = GetAni();
            ani->m_pOwner = this;
            if (underlay)
                ani->DrawUnderlay();
            else
                ani->Draw();
        }
    }
}

bool CAniObject::EndDrag() {
    if (GetDragState() != 1) return false;
    SetDragState(0);
    if (IAniWindows* windows = GetAniWindows()) windows->DropAniObject(this);
    return true;
}

bool CAniObject::DrawAtCursor() {
    // At the input manager's mouse position.
    SetScreenPosition(g_pInputMgr ? g_pInputMgr->m_mouseX : 0, g_pInputMgr ? g_pInputMgr->m_mouseY : 0, 0);
    return Draw();
}

// ---- Tiled drawing ----

void CAniObject::DrawTiled(int32_t from, int32_t to, int32_t other, bool vertical, bool backwards) {
    const int32_t step = vertical ? GetHeight() : GetWidth();
    const int32_t across = vertical ? GetWidth() : GetHeight();
    if (step <= 0) return;
    m_clipOn = 0;
    auto drawAt = [&](int32_t pos) {
        if (vertical)
            SetScreenPosition(other, pos, 0);
        else
            SetScreenPosition(pos, other, 0);
        Draw();
    };
    if (!backwards) {
        for (int32_t pos = from; pos < to; pos += step) {
            if (pos + step > to) {
                m_clipOn = 1;
                m_clip = vertical ? AniRect{other, pos, other + across, to}
                                  : AniRect{pos, other, to, other + across};
            }
            drawAt(pos);
        }
    } else {
        for (int32_t pos = to - step; pos + step > from; pos -= step) {
            if (pos < from) {
                m_clipOn = 1;
                m_clip = vertical ? AniRect{other, from, other + across, pos + step}
                                  : AniRect{from, other, pos + step, other + across};
            }
            drawAt(pos);
        }
    }
    m_clipOn = 0;
}

void CAniObject::DrawTiledX(int32_t x0, int32_t x1, int32_t y) {
    DrawTiled(x0, x1, y, false, false);
}
void CAniObject::DrawTiledXFromRight(int32_t x0, int32_t x1, int32_t y) {
    DrawTiled(x0, x1, y, false, true);
}
void CAniObject::DrawTiledY(int32_t y0, int32_t y1, int32_t x) {
    DrawTiled(y0, y1, x, true, false);
}
void CAniObject::DrawTiledYFromBottom(int32_t y0, int32_t y1, int32_t x) {
    DrawTiled(y0, y1, x, true, true);
}

// ---- Afterimage trail ----

void CAniObject::StartTrail() {
    m_trailOn = 1;
    m_trailTime = plat::timeGetTime();
}
