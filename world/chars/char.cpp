#include "world/chars/char.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "anim/ani_object.h"
#include "anim/ani_play_mgr.h"
#include "anim/ani_services.h"
#include "anim/darkness_overlay.h"
#include "anim/render_queue.h"
#include "core/message.h"
#include "data/char_resource_mgr.h"
#include "data/game_hooks.h"
#include "platform/clock.h"
#include "ui/base_window.h"
#include "ui/window_mgr.h"
#include "world/chars/char_controller.h"
#include "world/chars/char_mgr.h"
#include "world/chars/char_services.h"

namespace {

constexpr uint32_t STATUS_TRANSLUCENT = 1;

// A draw-offset component halves; below 1.0 in size it becomes 0.
float DecayOffset(float v) {
    if (v == 0.0f) return 0.0f;
    if (std::fabs(v) < 1.0f) return 0.0f;
    return v * 0.5f;
}

}  // namespace

CChar::CChar() {
    if (ICharEffects* effects = GetCharEffects()) m_pEffects = effects->MakeEffectList(this);
    CChar::Create();
}

CChar::~CChar() {
    CChar::Release();
    m_pEffects.reset();
    m_pController.reset();
}

bool CChar::Create() {
    CDrawObject::Create();
    m_localPlayer = 0;
    m_x = m_y = m_z = 0;
    m_cellX = m_cellY = 0;
    m_direction = 4;
    m_drawOffset[0] = m_drawOffset[1] = m_drawOffset[2] = 0.0f;
    m_counter = 1;
    m_lightId = NO_LIGHT;
    m_bodySize = 1.5f;
    m_info[0] = m_info2[0] = m_signText[0] = 0;
    m_resourceValue = -1;
    m_signHover = m_alwaysVisible = m_reportFlag = m_attackable = 0;
    m_clubName[0] = m_clubTitle[0] = 0;
    m_emoteTimeLeft = 0;
    m_pEmote.reset();
    m_pAttached = nullptr;
    m_attachedFlag = 0;
    m_fadeOn = 0;
    m_fadeLength = CHAR_FADE_MS;
    m_lastSeconds = -1;
    return true;
}

bool CChar::Release() {
    if (CCharAction* action = GetAction()) action->Release();
    if (m_lightId != NO_LIGHT && g_pDarknessOverlay) g_pDarknessOverlay->RemoveLight(&m_lightId);
    m_lightId = NO_LIGHT;
    DestroyHudWindows();
    if (g_pAniPlayMgr) g_pAniPlayMgr->DetachOwner(this);
    m_pController.reset();
    m_pRing.reset();
    m_pEffects.reset();
    m_pEmote.reset();
    m_drawList.clear();
    return CDrawObject::Release();
}

int32_t CChar::GetX() {
    return m_pAniObject ? m_pAniObject->GetX() : 0;
}

int32_t CChar::GetY() {
    return m_pAniObject ? m_pAniObject->GetY() - m_pAniObject->m_screenZ : 0;
}

CCharData* CChar::GetData() const {
    return m_pController ? m_pController->Data() : nullptr;
}

CCharAction* CChar::GetAction() const {
    return m_pController ? m_pController->Action() : nullptr;
}

const CDataTable* CChar::ResourceTable() const {
    return g_pCharResourceMgr ? g_pCharResourceMgr->GetTable(m_typeCode) : nullptr;
}

int32_t CChar::ValidRow() const {
    const CDataTable* table = ResourceTable();
    return table && m_resourceRow >= 0 && m_resourceRow < table->GetRowCount() ? m_resourceRow : -1;
}

uint32_t CChar::ResourceInt(int column, uint32_t defaultValue) const {
    const int32_t row = ValidRow();
    return row < 0 ? defaultValue : ResourceTable()->GetInt(column, row);
}

int32_t CChar::ResourceSigned(int column, int32_t defaultValue) const {
    const int32_t row = ValidRow();
    return row < 0 ? defaultValue : ResourceTable()->GetSignedInt(column, row);
}

bool CChar::CreateController() {
    m_pController = std::make_unique<CCharController>(this, true);
    return m_pController->Create();
}

const char* CChar::GetInfo(const void*) {
    return m_info;
}

bool CChar::SetupCommon(uint32_t resourceId, CMap* map, uint32_t objectId, uint32_t creationArg,
                        int32_t animationId, uint16_t kindIndex) {
    uint32_t animation = uint32_t(animationId);
    if (animationId == -1)
        animation = g_pCharResourceMgr ? g_pCharResourceMgr->GetResourceNumber(resourceId, kindIndex) : 0;
    m_pMap = map;
    m_resourceId = resourceId;
    const uint16_t kind = m_typeCode;
    if (!CreateWithAni(kind, resourceId, animation, false)) return false;
    m_typeCode = kind;
    m_pAniObject->SetMotion(0);
    m_localPlayer = 0;
    SetDirection(0);
    SetPosition(0, 0, 0);
    m_pAniObject->Stop();
    m_pAniObject->SetUnderlay(true);
    m_kindId = objectId;
    m_creationArg = creationArg;
    m_pAniObject->SetOwner(this);
    return CreateController();
}

bool CChar::Setup(uint32_t resourceId, CMap* map, uint32_t objectId, uint32_t creationArg,
                  int32_t animationId) {
    if (!SetupCommon(resourceId, map, objectId, creationArg, animationId, CHAR_KIND_PLAYER)) return false;
    m_resourceValue = g_pCharResourceMgr
                          ? int32_t(g_pCharResourceMgr->GetResourceNumber(resourceId, CHAR_KIND_PLAYER))
                          : -1;
    return true;
}

void CChar::UpdateFrame(uint32_t elapsedMs, bool signSuppressed) {
    if (m_pController && m_pController->IsUpdateOn()) m_pController->UpdateController(elapsedMs);
    if (m_pAniObject) m_pAniObject->Update();
    if (m_direction > 15) m_direction = 0;

    CCharAction* action = GetAction();
    if (action && action->SpeechWindow() && m_pAniObject)
        action->SpeechWindow()->SetPosition(m_pAniObject->GetX(),
                                            m_pAniObject->GetY() - m_pAniObject->GetHeight());

    CBaseWindow* sign = action ? action->SignWindow() : nullptr;
    if (!signSuppressed && m_signText[0] && sign && sign->IsDrawOn() &&
        sign->HitTest(WindowMouseX(), WindowMouseY())) {
        if (!m_signHover && GetType() == 0) CharRequests().SendChatCommand(2, m_kindId);
        m_signHover = 1;
    } else {
        m_signHover = 0;
    }

    if (m_attachedFlag && m_pAttached) m_pAttached->Update();

    // Status 1: translucent, or hidden from everyone but the detecting user.
    CCharData* data = GetData();
    bool translucent = false;
    if (data && m_pAniObject) {
        if (!CheckCharStatus(data->m_status, STATUS_TRANSLUCENT)) {
            m_pAniObject->m_hidden = 0;
        } else if (g_pCharMgr && g_pCharMgr->GetPlayer() == this) {
            translucent = true;
        } else {
            CChar* player = g_pCharMgr ? g_pCharMgr->GetPlayer() : nullptr;
            CCharData* playerData = player ? player->GetData() : nullptr;
            bool seen = false;
            if (playerData && !m_attachedFlag) {
                const double dx = double(player->m_cellX - m_cellX), dy = double(player->m_cellY - m_cellY);
                seen = std::sqrt(dx * dx + dy * dy) <= double(playerData->m_detectDistance);
            }
            m_pAniObject->m_hidden = seen ? 0 : 1;
            translucent = seen;
        }
        m_pAniObject->SetFadeFlags(translucent ? 1 : 0, 255);
    }

    // The sprite slides home as the draw offset halves.
    if (m_drawOffset[0] != 0.0f || m_drawOffset[1] != 0.0f || m_drawOffset[2] != 0.0f) {
        for (float& v : m_drawOffset) v = DecayOffset(v);
        PlaceSprite();
    }

    if (m_pEffects) {
        m_pEffects->SetTranslucent(translucent);
        m_pEffects->Update();
    }

    if (m_pEmote) {
        if (m_emoteTimeLeft <= elapsedMs) {
            m_pEmote.reset();
            m_emoteTimeLeft = 0;
            return;
        }
        m_emoteTimeLeft -= elapsedMs;
        m_pEmote->SetDirection(m_direction);
        m_pEmote->Update();
    }
}

void CChar::ShowEmote(uint32_t animationId, uint8_t motion, uint32_t durationMs) {
    auto emote = std::make_unique<CAniObject>();
    if (!emote->SetAnimation(animationId)) {
        m_pEmote.reset();
        m_emoteTimeLeft = 0;
        return;
    }
    emote->SetMotion(motion);
    emote->SetDirection(m_direction);
    emote->Play(false);
    m_pEmote = std::move(emote);
    m_emoteTimeLeft = durationMs;
}

void CChar::SetSignText(const char* text) {
    CopyRecordText(m_signText, text ? text : "");
}

uint8_t CChar::OwnLeaderMark() {
    CCharData* data = GetData();
    const CTeamMember* record = data ? data->Party().FindMember(GetInfo(nullptr)) : nullptr;
    return record ? record->m_leader : 0;
}

uint8_t CChar::OwnStateInUserParty() {
    CChar* user = g_pCharMgr ? g_pCharMgr->GetPlayer() : nullptr;
    CCharData* data = user ? user->GetData() : nullptr;
    const CTeamMember* record = data ? data->Party().FindMember(GetInfo(nullptr)) : nullptr;
    return record ? record->m_state : 0;
}

void CChar::CopyText(char (&out)[CHAR_TEXT_SIZE], const char* text) {
    CopyRecordText(out, text ? text : "");
}

void CChar::StartFade(uint32_t seconds) {
    if (m_fadeOn) return;
    m_fadeOn = 1;
    m_fadeStart = plat::timeGetTime() + seconds * 1000u - m_fadeLength;
    m_lastSeconds = -1;
}

void CChar::StopFade() {
    if (!m_fadeOn) return;
    m_fadeOn = 0;
    if (m_pAniObject) m_pAniObject->m_alpha = 255;
}

float CChar::GetFadeOpacity() const {
    if (!m_fadeOn) return 1.0f;
    const int64_t passed = int64_t(int32_t(plat::timeGetTime() - m_fadeStart));
    const float opacity = 1.0f - float(passed) / float(m_fadeLength);
    return std::clamp(opacity, 0.0f, 1.0f);
}

int32_t CChar::GetFadeSeconds() const {
    if (!m_fadeOn) return -1;
    const int64_t left = int64_t(int32_t(m_fadeStart + m_fadeLength - plat::timeGetTime()));
    return left < 0 ? 0 : int32_t(left / 1000);
}

void CChar::StepFade() {
    if (!m_pAniObject) return;
    if ((m_typeCode == CHAR_KIND_PLAYER || m_typeCode == CHAR_KIND_MONSTER) && m_fadeOn) {
        m_pAniObject->m_alpha = uint16_t(GetFadeOpacity() * 255.0f);
        const int32_t seconds = GetFadeSeconds();
        if (seconds != m_lastSeconds) {
            m_lastSeconds = seconds;
            if (CCharAction* action = GetAction()) action->Countdown(uint32_t(seconds));
        }
    } else if (m_pAniObject->m_alpha < 255) {
        m_pAniObject->m_alpha = 255;
    }
}
