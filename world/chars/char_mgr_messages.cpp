// The character manager's messages: records handed at once, its queue, the
// raw updates of four server codes and the appearance records.
#include <algorithm>
#include <cmath>
#include <cstring>

#include "anim/ani_object.h"
#include "anim/ani_play_mgr.h"
#include "anim/ani_services.h"
#include "anim/darkness_overlay.h"
#include "anim/field_sound.h"
#include "core/config.h"
#include "core/drop_log.h"
#include "core/error_box.h"
#include "data/char_resource_mgr.h"
#include "data/game_hooks.h"
#include "net/game_session.h"
#include "net/handlers/char_records.h"
#include "net/handlers/item_records.h"
#include "net/handlers/login_records.h"
#include "net/handlers/map_records.h"
#include "net/packet_writer.h"
#include "platform/clock.h"
#include "ui/base_window.h"
#include "ui/window_mgr.h"
#include "world/chars/char_controller.h"
#include "world/chars/char_events.h"
#include "world/chars/char_mgr.h"
#include "world/chars/char_services.h"
#include "world/chars/hud_windows.h"
#include "world/map/map.h"
#include "world/map/map_windows.h"

namespace {

constexpr uint32_t RING_EXTRA_ANI = 205;
constexpr uint32_t ACTION_BASE_ANI = 198, ACTION_A_ANI = 264, ACTION_B_ANI = 199, ACTION_C_ANI = 216;
constexpr uint32_t EMOTE_ANI = 596;
constexpr uint32_t NO_ANI = 10000, NO_ITEM = 1000000;
constexpr uint32_t EMOTE_MS = 3000;
constexpr char kFightClubNotice[] = "FightClubNoticeWin";
constexpr char kMiniTeamWindow[] = "MINI_TEAM_WINDOW";
constexpr uint32_t MINI_TEAM_REFILL_EVENT = 128;
constexpr uint32_t STATUS_LYING = 87;
constexpr uint32_t STATUS_NO_LIGHT = 9;

// Emoticon table columns.
enum : int {
    EMO_COL_ID = 0,
    EMO_COL_TEXT_FIRST = 1,
    EMO_COL_TEXT_LAST = 4,
    EMO_COL_PICTURE = 5,
    EMO_COL_ITEM = 6,
    EMO_COL_PERMISSIONS = 7,
    EMO_COL_ANIMATION = 8,
    EMO_COL_EFFECT_ITEM = 9,
    EMO_COL_VALUE = 10,
};

// Animation 596's (motion, frame) for the built-in emoticons, by kind × 8 + index.
constexpr uint8_t BUILTIN_EMOTES[24][2] = {
    {0, 6},  {3, 14}, {3, 12}, {3, 10}, {4, 2}, {0, 0},  {0, 0},  {0, 0},  {0, 0}, {4, 0}, {4, 14}, {4, 12},
    {4, 10}, {5, 2},  {5, 0},  {0, 0},  {0, 0}, {5, 14}, {5, 12}, {5, 10}, {6, 2}, {6, 0}, {6, 14}, {6, 12},
};

struct Band {
    int32_t low, high;  // inclusive
    uint32_t sound;
    uint8_t motion, frame;
};
constexpr Band VALUE_BANDS[] = {
    {31, 100, 417, 10, 10},   {101, 240, 418, 3, 2},      {241, 500, 419, 2, 14},
    {501, 1000, 420, 2, 10},  {1001, 2000, 421, 11, 14},  {2001, 32000, 422, 13, 14},
    {-99, -30, 361, 2, 2},    {-239, -100, 362, 1, 10},   {-499, -240, 363, 13, 12},
    {-999, -500, 364, 1, 14}, {-1999, -1000, 365, 13, 0}, {-31999, -2000, 416, 12, 0},
};

uint32_t ReadBE32(const uint8_t* p) {
    return uint32_t(p[0]) << 24 | uint32_t(p[1]) << 16 | uint32_t(p[2]) << 8 | p[3];
}
uint16_t ReadBE16(const uint8_t* p) {
    return uint16_t(p[0] << 8 | p[1]);
}

// Current energy in fiftieths of the maximum; a maximum of 0 gives 0.
uint32_t EnergyRatio(uint32_t current, uint32_t maximum) {
    return maximum == 0 ? 0 : uint32_t(uint64_t(current) * 50 / maximum);
}

bool IsVisible(CChar* c) {
    return c && c->GetAniObject() && !c->GetAniObject()->m_hidden;
}

constexpr char kHitEffectAni[] = "SwordAttackEffect";
constexpr int32_t HIT_LAYER = 7;
// Hit results: the skills with an effect of their own, the one with another
// animation and the one without.
constexpr uint8_t HIT_SKILL_EFFECT_A = 96, HIT_SKILL_EFFECT_B = 46, HIT_SKILL_OWN_ANI = 24,
                  HIT_SKILL_NO_ANI = 87;
constexpr uint32_t HIT_OWN_ANI = 783;

// A hit animation played once on the target, at half its height.
void PlayHitAnimation(CChar* target, uint32_t animation, uint8_t motion) {
    if (!g_pAniPlayMgr || !target || animation == 0) return;
    auto* object = new CAniObject;
    if (!object->SetAnimation(animation)) {
        delete object;
        return;
    }
    object->SetMotion(motion);
    object->SetDirection(2);
    object->m_layer = HIT_LAYER;
    object->Play(false);
    int32_t height = 0;
    if (CAniObject* sprite = target->GetAniObject()) {
        const AniRect r = sprite->GetBounds(false, false);
        height = r.bottom > r.top ? r.bottom - r.top : 0;
    }
    g_pAniPlayMgr->AddOnCharAtScreenOffset(object, target, 0, -height / 2, 1, 1, 0, 0);
}

uint32_t HitEffectAnimation() {
    return g_pAniPlayMgr ? g_pAniPlayMgr->FindAniByName(kHitEffectAni) : 0;
}

}  // namespace

void PlayOnChar(CChar* c, uint32_t animation, uint8_t motion, int32_t layer, bool atMapPosition) {
    if (!g_pAniPlayMgr || !c) return;
    auto* object = new CAniObject;
    if (!object->SetAnimation(animation)) {
        delete object;
        return;
    }
    object->SetMotion(motion);
    object->SetDirection(2);
    object->m_layer = layer;
    object->Play(false);
    if (atMapPosition)
        g_pAniPlayMgr->AddAtMapPosition(object, c->m_cellX * 24, c->m_cellY * 12, 0, 1, 1, 0, 0);
    else
        g_pAniPlayMgr->AddOnChar(object, c, 0, 0, 1, 1, 0, 0);
}

// ---- Records handed at once ----

void CCharMgr::HandleMessage(const CMsgPayload& payload) {
    const bool event = IsVisualEventRunning();
    switch (payload.m_id) {
        case 26:
            if (auto* p = ReadRecord<CMapIdMsg>(payload)) RemoveCharacter(p->m_objectId);
            break;
        case MSG_CHAR_ACTION:
            if (auto* p = ReadRecord<CCharActionMsg>(payload))
                ShowCharAction(p->m_charId, p->m_action, false);
            break;
        case MSG_SKILL_ACTION:
        case MSG_SKILL_HIT: {
            // The controller takes a copy (the caller keeps the record).
            uint32_t actor = 0;
            std::unique_ptr<CMsgPayload> copy;
            if (auto* p = ReadRecord<CSkillActionMsg>(payload)) {
                actor = p->m_actorId;
                copy = std::make_unique<CSkillActionMsg>(*p);
            } else if (auto* h = ReadRecord<CSkillHitMsg>(payload)) {
                actor = h->m_actorId;
                copy = std::make_unique<CSkillHitMsg>(*h);
            }
            if (copy) static_cast<CMsgPayload*>(copy.get())->m_read = 0;  // the controller reads the copy
            if (CChar* c = copy ? GetChar(actor) : nullptr)
                PostMessageTo(0, c, 0, payload.m_id, MsgDataPtr(copy.release()), nullptr);
            break;
        }
        case MSG_CANCEL_SKILL:
            if (auto* p = ReadRecord<CCancelSkillMsg>(payload))
                if (CChar* c = GetChar(p->m_charId); c && c->GetController())
                    c->GetController()->m_pendingSkill = 0;
            break;
        case MSG_CHAR_CREATE:
            if (auto* p = ReadRecord<CCharCreateMsg>(payload)) AddOrUpdateChar(*p);
            break;
        case MSG_CHAR_APPEAR:
            if (auto* p = ReadRecord<CCharAppearMsg>(payload); p && !event) AddOrUpdateMonster(*p);
            break;
        case MSG_OBJECT_APPEAR:
            if (auto* p = ReadRecord<CObjectAppearMsg>(payload); p && !event) AddOrUpdateNpc(*p);
            break;
        case MSG_OBJECT_INFO:
            if (auto* p = ReadRecord<CObjectInfoMsg>(payload); p && !event) AddOrUpdatePet(*p);
            break;
        default:
            break;
    }
}

void CCharMgr::ShowMeleeHit(uint32_t attackerId) {
    CChar* attacker = GetChar(attackerId);
    CCharController* aims = attacker ? attacker->GetController() : nullptr;
    if (!aims) return;
    CChar* target = GetChar(aims->m_target);
    aims->m_target = 0;
    if (!target || !target->GetAction()) return;
    CCharData* data = target->GetData();
    if (data && data->m_motion != 4) target->GetAction()->FaceToChar(attacker);
    target->GetAction()->TakeHit();
    PlayHitAnimation(target, HitEffectAnimation(), 0);
}

void CCharMgr::ShowHitResult(const CHitResultMsg& record) {
    CChar* target = GetChar(record.m_targetId);
    CCharAction* action = target ? target->GetAction() : nullptr;
    if (!action) return;
    CChar* attacker = GetChar(record.m_attackerId);
    const uint8_t kind = record.m_d;
    if (!record.m_c) {
        // No value: the hit reaction alone, its first or second motion by the kind.
        action->TakeHit();
        action->m_secondHit = kind != 0;
        return;
    }
    // These two add to an effect on the target; without effects there is nothing to show.
    if (kind == HIT_SKILL_EFFECT_A || kind == HIT_SKILL_EFFECT_B) return;
    if (kind == HIT_SKILL_OWN_ANI)
        PlayHitAnimation(target, HIT_OWN_ANI, 1);
    else if (kind != HIT_SKILL_NO_ANI)
        PlayHitAnimation(target, HitEffectAnimation(), 0);
    action->ShowDamageNumber(record.m_b, false, attacker);
    action->TakeHit();
}

void CCharMgr::ShowCharAction(uint32_t charId, uint32_t subCode, bool fromQueue) {
    CChar* c = GetChar(charId);
    if (!c) return;
    if (subCode == 6) {
        CBaseWindow* notice = FindOrMakeWindow(kFightClubNotice);
        if (notice) {
            notice->Show();
            if (auto* start = dynamic_cast<IFightClubNotice*>(notice)) start->Start();
        }
        return;
    }
    if (!IsVisible(c)) return;
    switch (subCode) {
        case 1:
        case 2:
            PlayOnChar(c, ACTION_BASE_ANI, 0, 4, false);
            PlayOnChar(c, ACTION_A_ANI, 0, 4, false);
            break;
        case 3:
            if (!fromQueue) return;
            PlayOnChar(c, ACTION_BASE_ANI, 0, 4, false);
            PlayOnChar(c, ACTION_B_ANI, 0, 4, false);
            break;
        case 4:
            PlayOnChar(c, ACTION_BASE_ANI, 0, 4, false);
            PlayOnChar(c, ACTION_B_ANI, 0, 4, true);
            break;
        case 5:
            PlayOnChar(c, ACTION_BASE_ANI, 0, 4, false);
            PlayOnChar(c, ACTION_A_ANI, 1, 4, false);
            break;
        case 100:
        case 101:
        case 102:
            // 101 and 102 first play the character's own one-shot motion.
            if (CCharAction* action = c->GetAction(); action && subCode == 101)
                action->PlayMotion17(true);
            else if (action && subCode == 102)
                action->PlayMotion18(true);
            PlayOnChar(c, ACTION_BASE_ANI, 0, 4, false);
            PlayOnChar(c, ACTION_C_ANI, 0, 4, false);
            break;
        default:
            break;
    }
}

// ---- The queue ----

void CCharMgr::Forward(CMsg* msg, CChar* character, uint32_t sender) {
    const uint32_t eventId = msg->m_eventId;
    PostMessageTo(sender, character, 0, eventId, std::move(msg->m_pPayload), nullptr);
}

void CCharMgr::ForwardOrAsk(CMsg* msg, uint32_t charId, uint32_t sender) {
    if (CChar* c = GetChar(charId))
        Forward(msg, c, sender);
    else
        CharRequests().SendCharInfoRequest(charId);
}

void CCharMgr::ProcessQueue() {
    if (IsVisualEventRunning()) {
        ProcessQueueDuringEvent();
        return;
    }
    if (!m_pPlayer) return;
    VisitMessages(GetMsgQueue()->Queue().Messages(), [this](CMsg* msg) {
        if (msg->m_delay > 0) {
            --msg->m_delay;
            return false;
        }
        // Until the player's character is ready only appearances are taken.
        if (!m_charsReady && msg->m_eventId != MSG_CHAR_CREATE) return false;
        if (!HandleQueued(msg)) return false;
        ReportIfUnread(msg->m_pPayload.get(), "character manager");
        return true;
    });
}

void CCharMgr::ProcessQueueDuringEvent() {
    VisitMessages(GetMsgQueue()->Queue().Messages(), [this](CMsg* msg) {
        if (msg->m_eventId == MSG_CHAR_CREATE) {
            if (!g_pMap || !g_pMap->IsLoaded()) return false;  // waits for the map
            if (auto* p = ReadRecord<CCharCreateMsg>(msg->m_pPayload.get())) AddOrUpdateChar(*p);
        } else if (msg->m_eventId == CHAR_EVENT_MOVE) {
            if (auto* p = ReadRecord<CCharValueMsg>(msg->m_pPayload.get()))
                ForwardOrAsk(msg, p->m_charId, GetId());
        }
        return true;
    });
}

bool CCharMgr::PostRecord(std::unique_ptr<CMsgPayload> record, int32_t delay) {
    if (!record) return false;
    if (size_t(GetMsgQueue()->Queue().Count()) >= MAX_QUEUED_RECORDS) {
        NoteDropped("records waiting for the character manager", MAX_QUEUED_RECORDS);
        return false;
    }
    const uint32_t eventId = record->m_id;
    GetMsgQueue()->Queue().Append(
        new CMsg(0, GetId(), nullptr, std::max(0, delay), eventId, MsgDataPtr(record.release()), nullptr));
    return true;
}

bool CCharMgr::HandleQueued(CMsg* msg) {
    CMsgData* data = msg->m_pPayload.get();
    auto* payload = dynamic_cast<CMsgPayload*>(data);
    switch (msg->m_eventId) {
        case 18:
        case 21:
        case 35:
        case 54:
        case 55:
        case 73:
        case 75:
            if (m_pPlayer) Forward(msg, m_pPlayer, msg->m_senderId);
            return true;
        case 42:
        case 43:
            if (m_pPlayer) Forward(msg, m_pPlayer, 0);
            return true;
        case 47:
        case 48:
        case 52:
        case 53:
            if (m_pPlayer) Forward(msg, m_pPlayer, GetId());
            return true;
        case MSG_STATUS_GROUP:
            if (auto* p = ReadRecord<CStatusGroupMsg>(data)) SetSkillGroup(*p);
            return true;
        case MSG_VALUE_LIST:
            if (payload) {
                msg->m_pPayload.release();
                m_pQuickSlotDrop.reset(payload);
            }
            return true;
        case MSG_VALUE_REACTION:
            if (auto* p = ReadRecord<CValueReactionMsg>(data))
                ShowValueReaction(p->m_form == 1, p->m_a, int32_t(p->m_b), p->m_text);
            return true;
        case MSG_CHAR_TIMER:
            if (auto* p = ReadRecord<CCharTimerMsg>(data))
                if (CChar* c = GetChar(p->m_a); c && c->GetData()) {
                    c->GetData()->m_timerOn = 1;
                    c->GetData()->m_timerStart = plat::timeGetTime();
                    c->GetData()->m_timerDuration = p->m_b * 1000u;
                }
            return true;
        case 26:
        case MSG_CHAR_CREATE:
        case 57:
        case 58:
        case 59:
            if (payload) HandleMessage(*payload);
            return true;
        case 27:
            if (auto* p = ReadRecord<CCharValueMsg>(data)) {
                CChar* first = GetChar(p->m_charId);
                CChar* second = GetChar(p->m_value);
                if (first && second)
                    Forward(msg, first, msg->m_senderId);
                else
                    CharRequests().SendCharInfoRequest(first ? p->m_value : p->m_charId);
            }
            return true;
        case MSG_CHAR_ACTION:
            if (auto* p = ReadRecord<CCharActionMsg>(data); p && p->m_action == 3) {
                // The player's waits for the map.
                if (m_pPlayer && p->m_charId == m_pPlayer->GetCharId() && !(g_pMap && g_pMap->IsLoaded()))
                    return false;
                ShowCharAction(p->m_charId, 3, true);
            }
            return true;
        case MSG_EMOTICON:
            if (auto* p = ReadRecord<CEmoticonMsg>(data)) {
                ShowEmoticon(p->m_charId, p->m_kind, p->m_index);
                ApplyEmoticonEffect(p->m_charId, p->m_kind);
            }
            return true;
        case MSG_SKILL_ACTION:
            if (auto* p = ReadRecord<CSkillActionMsg>(data))
                if (CChar* c = GetChar(p->m_actorId)) Forward(msg, c, 0);
            return true;
        case MSG_SKILL_HIT:
            if (auto* p = ReadRecord<CSkillHitMsg>(data))
                if (CChar* c = GetChar(p->m_actorId)) Forward(msg, c, 0);
            return true;
        case MSG_CANCEL_SKILL:
            if (payload) HandleMessage(*payload);
            return true;
        case MSG_TARGET_TEXT:
            if (auto* p = ReadRecord<CTargetTextMsg>(data))
                if (CChar* c = GetChar(p->m_a)) Forward(msg, c, msg->m_senderId);
            return true;
        case MSG_THREE_VALUES:
            if (auto* p = ReadRecord<CThreeValuesMsg>(data))
                if (CChar* c = GetChar(p->m_a)) Forward(msg, c, msg->m_senderId);
            return true;
        case MSG_PLAYER_VALUES:
            if (auto* p = ReadRecord<CPlayerValuesMsg>(data)) SetPlayerValues3(p->m_a, p->m_b, p->m_c);
            return true;
        case MSG_PARTY_MARKS:
            if (auto* p = ReadRecord<CIdArrayMsg>(data)) return MarkPartyMembers(*p);
            return true;
        case MSG_COMBO_TARGET:
            if (auto* p = ReadRecord<CComboTargetMsg>(data))
                if (CChar* c = GetChar(p->m_charId)) Forward(msg, c, msg->m_senderId);
            return true;
        case 51:
        case CHAR_EVENT_DASH:
        case CHAR_EVENT_MOVE_ORDER:
        case CHAR_EVENT_SPEED: {
            uint32_t id = 0;
            if (auto* v = ReadRecord<CCharValueMsg>(data))
                id = v->m_charId;
            else if (auto* o = ReadRecord<CCharMoveOrder>(data))
                id = o->m_charId;
            else
                return true;
            ForwardOrAsk(msg, id, msg->m_eventId == 51 ? 0 : GetId());
            return true;
        }
        case CHAR_EVENT_MOVE:
            if (auto* p = ReadRecord<CCharValueMsg>(data)) ForwardOrAsk(msg, p->m_charId, GetId());
            return true;
        case MSG_CHAR_APPEARANCE:
            if (auto* p = ReadRecord<CCharAppearance>(data)) {
                if (CChar* c = GetChar(p->m_charId))
                    ApplyAppearance(*p, c);
                else
                    CharRequests().SendCharInfoRequest(p->m_charId);
            }
            return true;
        case MSG_TIMED_PAIR:
            // The caster's open skill use marks the target hit (the use lets it
            // go when it ends); without one it goes after its dying motion now.
            if (auto* p = ReadRecord<CTimedPairMsg>(data))
                if (!GetChar(p->m_a) || !g_pSkillTableMgr || !g_pSkillTableMgr->MarkTargetHit(p->m_a, p->m_b))
                    RemoveCharLater(p->m_b);
            return true;
        case 62:
            ReadRecord<CGameOverMsg>(data);
            OnGameOver();
            return true;
        case CHAR_EVENT_PLACE_PLAYER:
            if (auto* p = ReadRecord<CPlayerPositionMsg>(data); p && m_pPlayer)
                m_pPlayer->SetPosition(int32_t(p->m_tileX * 24), int32_t(p->m_tileY * 12), 0);
            return true;
        case CHAR_EVENT_MELEE_HIT:
            if (auto* p = ReadRecord<CCharValueMsg>(data)) ShowMeleeHit(p->m_charId);
            return true;
        case MSG_HIT_RESULT:
            if (auto* p = ReadRecord<CHitResultMsg>(data)) ShowHitResult(*p);
            return true;
        case MSG_COMBO_LIST:
            if (auto* p = ReadRecord<CComboListMsg>(data))
                if (CChar* c = GetChar(p->m_a)) Forward(msg, c, msg->m_senderId);
            return true;
        case MSG_ITEM_PAIR:
            if (auto* p = ReadRecord<CItemPairMsg>(data))
                if (CChar* c = GetChar(p->m_a)) Forward(msg, c, msg->m_senderId);
            return true;
        case MSG_CHAR_STATE_74:
            if (auto* p = ReadRecord<CCharStateMsg>(data)) {
                CChar* c = p->m_charId == 0 ? m_pPlayer : GetChar(p->m_charId);
                if (c)
                    Forward(msg, c, msg->m_senderId);
                else
                    CharRequests().SendCharLookup(p->m_charId);
            }
            return true;
        case MSG_CHAR_TEXT:
            if (auto* p = ReadRecord<CCharTextMsg>(data))
                if (CChar* c = GetChar(p->m_charId)) CChar::CopyText(c->m_title, p->m_text);
            return true;
        case MSG_SKILL_UPDATE:
            // The attack flag and the flag byte, the skill id, its level and second value.
            if (auto* p = ReadRecord<CSkillUpdateMsg>(data); p && m_pPlayer && m_pPlayer->GetData())
                m_pPlayer->GetData()->AddOrUpdateSkill(p->m_value, p->m_bytes[2], p->m_bytes[3],
                                                       p->m_bytes[1]);
            return true;
        case MSG_SKILL_REMOVE:
            if (auto* p = ReadRecord<CSkillRemoveMsg>(data); p && m_pPlayer && m_pPlayer->GetData())
                m_pPlayer->GetData()->RemoveSkill(p->m_a != 0, p->m_b);
            return true;
        default:
            return true;  // deleted unread
    }
}

// ---- Raw updates ----

bool CCharMgr::HandleServerUpdate(uint32_t code, const uint8_t* bytes, size_t length) {
    if (!bytes && length) return false;
    switch (code) {
        case 11: {
            if (length < 3) return false;
            if (m_charsReady && m_pPlayer && m_pPlayer->GetData()) {
                m_pPlayer->GetData()->m_values[VALUE_HUNDRED_B] = ReadBE16(bytes + 1);
                if (CCharAction* action = m_pPlayer->GetAction()) action->CheckStance();
            }
            return true;
        }
        case 17: {
            if (length < 5) return false;
            if (CChar* c = GetChar(ReadBE32(bytes))) c->SetDirection(uint8_t(bytes[4] * 2));
            return true;
        }
        case 69: {
            if (length < 5) return false;
            if (CChar* c = GetChar(ReadBE32(bytes)); c && c->GetData()) {
                c->GetData()->m_runSwitch = (bytes[4] & 0x80) ? 1 : 0;
                c->GetData()->m_curSpeed = float(bytes[4] & 0x7F) * 0.001f;
            }
            return true;
        }
        case 100: {
            if (length < 7) return false;
            CCharMoveOrder order;
            order.m_charId = ReadBE32(bytes);
            order.m_run = bytes[4];
            order.m_speed = bytes[5];
            const uint8_t mode = bytes[6];
            if (mode == 0) return true;
            if (mode > 2) return false;
            size_t at = 7;
            if (mode == 2) {
                if (length < at + 4) return false;
                order.m_a = ReadBE16(bytes + at);
                order.m_b = ReadBE16(bytes + at + 2);
                at += 4;
            }
            if (length < at + 4) return false;
            order.m_tileX = ReadBE16(bytes + at);
            order.m_tileY = ReadBE16(bytes + at + 2);
            CChar* c = GetChar(order.m_charId);
            CCharData* data = c ? c->GetData() : nullptr;
            if (!data) return true;
            data->m_runSwitch = order.m_run == 1;
            data->m_curSpeed = float(order.m_speed) * 0.001f;
            if (data->m_runSwitch)
                data->m_runSpeed = data->m_curSpeed;
            else
                data->m_walkSpeed = data->m_curSpeed;
            // The move target replaces the pending steps and the walk starts.
            if (CCharController* controller = c->GetController())
                controller->ApplyMoveOrder(int32_t(order.m_tileX), int32_t(order.m_tileY));
            return true;
        }
        default:
            return true;
    }
}

// ---- Appearance ----

CChar* CCharMgr::AddOrUpdateChar(const CCharCreateMsg& msg) {
    const bool own = msg.m_ownFlag != 0;
    if (own) {
        m_ownStartKnown = 1;
        m_ownStartX = msg.m_tileX;
        m_ownStartY = msg.m_tileY;
        if (m_pPlayer) {
            m_pPlayer->SetCharId(msg.m_charId);
            if (m_pPlayer->GetController()) m_pPlayer->GetController()->m_pendingSkill = 0;
            if (m_pPlayer->GetAniObject()) m_pPlayer->GetAniObject()->SetOwner(m_pPlayer);
        }
    }
    CChar* c = GetChar(msg.m_charId);
    bool farJump = false;
    if (c && c == m_pPlayer) {
        const double dx = double(int64_t(msg.m_tileX) - c->m_cellX),
                     dy = double(int64_t(msg.m_tileY) - c->m_cellY);
        farJump = std::sqrt(dx * dx + dy * dy) >= double(OWN_JUMP_TILES);
    }
    const bool created = !c;
    if (created) {
        c = CreateCharAt(msg.m_resourceId, msg.m_charId, -1, msg.m_tileX, msg.m_tileY, CHAR_KIND_PLAYER,
                         msg.m_creationParam);
        if (!c) return nullptr;
    }
    c->SetRow(int32_t(msg.m_resourceId - CHAR_PLAYER_BASE));
    c->m_resourceId = msg.m_resourceId;
    c->m_ringChoice = msg.m_ringChoice;
    CChar::CopyText(c->m_info, msg.m_name);
    c->SetName(c->m_info);
    if (own) CChar::CopyText(c->m_ownName, msg.m_name);
    if (own) CChar::CopyText(c->m_secondName, msg.m_secondName);
    CChar::CopyText(c->m_title, msg.m_title);
    c->SetDirection(msg.m_direction);
    if (own && created) {
        SetPlayerChar(c);
        TakeSessionParty();
        if (m_pWaitingParty && c->GetData()) {
            c->GetData()->SetParty(std::move(m_pWaitingParty));
            // The mini team window shows the list, or is told when it comes.
            CBaseWindow* team = g_pWindowMgr ? g_pWindowMgr->FindWindowByName(kMiniTeamWindow) : nullptr;
            if (auto* display = dynamic_cast<ITeamDisplay*>(team))
                display->AddAllMembers(c->GetData()->Party());
            else if (g_pWindowMgr)
                PostMessageToPort(0, g_pWindowMgr->GetPort(), 0, MINI_TEAM_REFILL_EVENT, nullptr, nullptr);
        }
        c->m_shown = 1;
        c->CreateHudWindows();
        m_charsReady = 1;
    }
    c->m_ringFlag = msg.m_ringFlag;
    if (c->m_ringFlag && !c->m_pRing) {
        auto ring = std::make_unique<CAniObject>();
        if (ring->SetAnimation(RING_EXTRA_ANI)) {
            ring->SetMotion(0);
            ring->SetDirection(2);
            ring->Play(true);
            c->m_pRing = std::move(ring);
        }
    }
    if (CAniObject* ani = c->GetAniObject()) ani->SetAniFlag(1);
    if (!farJump) {
        c->SetPosition(int32_t(msg.m_tileX * 24), int32_t(msg.m_tileY * 12), 0);
        // The server placed the user's own character: no need to report that tile.
        if (own && c->GetAction())
            c->GetAction()->SetReportedTile(int32_t(msg.m_tileX), int32_t(msg.m_tileY));
    }
    CCharData* data = c->GetData();
    if (data) {
        if (created && c->GetController())
            data->m_restMotion = uint32_t(std::max(0, c->GetController()->m_restValue));
        data->m_dataValue1 = msg.m_titleValue;
        data->m_dataValue2 = msg.m_smallFields[1];
    }
    ApplyPlayerAppearance(msg, c);
    if (data) {
        const uint8_t posture = msg.m_smallFields[2];
        CCharAction* action = c->GetAction();
        if (::CheckCharStatus(msg.m_status, STATUS_LYING)) {
            data->m_restPoseFlag = 0;
            data->SetMotion(MOTION_LYING);
        } else if (posture == 1) {
            data->m_restPoseFlag = 0;
            data->SetMotion(MOTION_HELD_DOWN);
        } else if (action) {
            bool wanted = true;
            if (g_pMap && !g_pMap->IsPlayerBattleAllowed()) wanted = !g_pMap->IsNoBattleZone();
            if (data->m_motion == MOTION_HELD_DOWN || data->m_motion == MOTION_LYING ||
                data->m_runFlag != wanted) {
                action->SetRunning(wanted);
                if (data->m_motion == MOTION_HELD_DOWN || data->m_motion == MOTION_LYING)
                    data->SetMotion(data->m_restMotion);
            }
        }
        ApplyStatusChange(msg.m_status, c, msg.m_extraValue);
        std::copy(std::begin(msg.m_status), std::end(msg.m_status), data->m_status);
    }
    if (msg.m_name[0]) {
        CChar::CopyText(c->m_clubName, msg.m_clubName);
        CChar::CopyText(c->m_clubTitle, msg.m_clubTitle);
        c->m_clubValue = msg.m_clubValue;
    }
    return c;
}

void CCharMgr::ApplyPlayerAppearance(const CCharCreateMsg& msg, CChar* character) {
    CCharAppearance record;
    uint8_t small[CCharAppearance::SMALL_FIELDS] = {msg.m_smallFields[0], msg.m_signKind,
                                                    msg.m_smallFields[4]};
    record.Set(msg.m_charId, msg.m_status, msg.m_equipment, small, 0, msg.m_extraValue, 0);
    record.m_colorByte = msg.m_smallFields[3];
    ApplyAppearance(record, character);
}

void CCharMgr::ApplyAppearance(const CCharAppearance& record, CChar* c) {
    if (!c) return;
    CCharController* controller = c->GetController();
    CCharData* data = c->GetData();
    const uint8_t appearanceKind = record.m_smallFields[0];
    const uint8_t signKind = record.m_smallFields[1];
    const uint8_t lightRadius = record.m_smallFields[2];
    if (c->GetKind() == CHAR_KIND_PLAYER) {
        c->m_signKind = signKind;
        if (g_pDarknessOverlay) {
            if (c->m_lightId == NO_LIGHT && c->GetAniObject())
                c->m_lightId = g_pDarknessOverlay->AddLight(c->GetAniObject()->GetX(),
                                                            c->GetAniObject()->GetY(), lightRadius, 0);
            // Under status 9 a character has no light of its own.
            if (DarknessLight* light = g_pDarknessOverlay->FindLight(c->m_lightId))
                light->m_radius = ::CheckCharStatus(record.m_status, STATUS_NO_LIGHT) ? 0 : lightRadius;
        }
        if (record.m_colorByte != 255) c->m_colorByte = record.m_colorByte;
    }
    // A new look: the worn items are put on it again.
    if (data && appearanceKind != data->m_appearanceKind) {
        data->m_appearanceKind = appearanceKind;
        if (controller) controller->RebuildTimedItems();
    }
    if (c == m_pPlayer || !controller) return;
    static const int ORDER[EQUIPMENT_SLOTS] = {1, 2, 3, 4, 5, 7, 6, 8, 9, 10, 11, 12, 13};
    for (int slot : ORDER) {
        const int32_t itemId = record.m_equipment[slot - 1];
        CItemObject* worn = controller->GetItemInSlot(slot);
        if (itemId == NO_VALUE) {
            if (worn) controller->TakeOff(slot);
            continue;
        }
        if (worn && worn->GetItemId() == uint32_t(itemId)) continue;
        CCharItemMsg item;
        item.Set(uint32_t(itemId), uint32_t(itemId), 0, "");
        PostMessageTo(0, c, 0, CHAR_EVENT_ITEM, std::make_unique<CCharItemMsg>(item), nullptr);
    }
    controller->ProcessMessages();
}

CChar* CCharMgr::AddOrUpdateMonster(const CCharAppearMsg& msg) {
    if (!g_pCharResourceMgr || g_pCharResourceMgr->FindRow(msg.m_resourceId, CHAR_KIND_MONSTER) < 0)
        return nullptr;
    CChar* c = GetChar(msg.m_charId);
    const bool created = !c;
    if (created) {
        c = CreateCharAt(msg.m_resourceId, msg.m_charId, -1, msg.m_tileX, msg.m_tileY, CHAR_KIND_MONSTER, -1);
        if (!c) return nullptr;
        c->SetDirection(msg.m_direction);
        if (const char* name = g_pCharResourceMgr->GetMonsterName(msg.m_resourceId))
            CChar::CopyText(c->m_info, name);
        if (c->GetAniObject()) c->GetAniObject()->SetAniFlag(1);
    }
    CCharData* data = c->GetData();
    if (data) {
        ApplyStatusChange(msg.m_status, c, 0);
        std::copy(std::begin(msg.m_status), std::end(msg.m_status), data->m_status);
        data->m_values[VALUE_ENERGY] = msg.m_value1;
        data->m_values[VALUE_ENERGY_MAX] = msg.m_value2;
        data->m_energyRatio = EnergyRatio(msg.m_value1, msg.m_value2);
        data->m_dataValue1 = msg.m_value3;
    }
    CChar::CopyText(c->m_clubName, msg.m_text);
    if (m_pPlayer) c->m_ringChoice = std::strcmp(c->m_clubName, m_pPlayer->m_clubName) != 0;
    CCharAppearance record;
    const uint8_t small[CCharAppearance::SMALL_FIELDS] = {msg.m_byte2};
    record.Set(msg.m_charId, msg.m_status, msg.m_equipment, small, 0, 0, 0);
    record.m_colorByte = msg.m_byte3;
    ApplyAppearance(record, c);
    return c;
}

CChar* CCharMgr::AddOrUpdateNpc(const CObjectAppearMsg& msg) {
    if (!g_pCharResourceMgr || g_pCharResourceMgr->FindRow(msg.m_resourceId, CHAR_KIND_NPC) < 0)
        return nullptr;
    CChar* c = GetChar(msg.m_charId);
    if (c) {
        if (CCharData* data = c->GetData()) {
            data->m_values[4] = msg.m_value1;
            data->m_values[5] = msg.m_value2;
            data->m_values[6] = msg.m_value3;
        }
        c->SetPosition(int32_t(msg.m_tileX * 24), int32_t(msg.m_tileY * 12), 0);
        return c;
    }
    c = CreateCharAt(msg.m_resourceId, msg.m_charId, -1, msg.m_tileX, msg.m_tileY, CHAR_KIND_NPC, -1);
    if (!c) return nullptr;
    if (CCharData* data = c->GetData())
        std::copy(std::begin(msg.m_status), std::end(msg.m_status), data->m_status);
    c->SetDirection(msg.m_direction);
    if (c->GetAniObject()) c->GetAniObject()->SetAniFlag(1);
    if (c->GetAction()) c->GetAction()->SetRunning(true);
    if (msg.m_name[0]) {
        c->SetSignText(msg.m_name);
        c->m_signKind = std::max<uint8_t>(msg.m_nameByte, 8);
    }
    return c;
}

CChar* CCharMgr::AddOrUpdatePet(const CObjectInfoMsg& msg) {
    const uint32_t charId = msg.m_values1[0], resourceId = msg.m_values1[1];
    if (!g_pCharResourceMgr || g_pCharResourceMgr->FindRow(resourceId, CHAR_KIND_PET) < 0) return nullptr;
    CChar* c = GetChar(charId);
    if (!c) {
        c = CreateCharAt(resourceId, charId, -1, msg.m_values1[2], msg.m_values1[3], CHAR_KIND_PET, -1);
        if (!c) return nullptr;
    }
    CChar::CopyText(c->m_info, msg.m_text1);
    CChar::CopyText(c->m_info2, msg.m_text2);
    c->SetDirection(uint8_t(msg.m_byte & 0x0F));
    return c;
}

void CCharMgr::SetWaitingParty(std::unique_ptr<CTeam> party) {
    if (m_pPlayer && m_pPlayer->GetData())
        m_pPlayer->GetData()->SetParty(std::move(party));
    else
        m_pWaitingParty = std::move(party);
}

void CCharMgr::TakeSessionParty() {
    std::unique_ptr<IPartyList>& kept = GameSession().m_party;
    if (auto* team = dynamic_cast<CTeam*>(kept.get())) {
        kept.release();
        m_pWaitingParty.reset(team);
    }
}

void CCharMgr::SetPlayerValues3(uint8_t a, uint8_t b, uint8_t c) {
    CCharController* controller = m_pPlayer ? m_pPlayer->GetController() : nullptr;
    if (!controller) return;
    controller->m_flags[0] = a;
    controller->m_flags[1] = b;
    controller->m_flags[2] = c;
}

bool CCharMgr::MarkPartyMembers(const CIdArrayMsg& msg) {
    if (!m_pPlayer || !g_options.GetByte(OPT_PARTY_MARKS)) return false;  // waits
    const size_t count = std::min<size_t>(msg.m_count, msg.m_ids.size());
    for (size_t n = 0; n < count; ++n)
        if (CChar* c = GetChar(msg.m_ids[n]); c && c->GetController()) c->GetController()->m_partyMark = 1;
    return true;
}

bool CCharMgr::GetCharName(uint32_t id, char* name, size_t capacity) {
    CChar* c = GetChar(id);
    if (!c || !name || capacity == 0) return false;
    CopyRecordText(name, capacity, c->GetInfo(nullptr));
    return true;
}

// ---- Skill groups, reactions and emoticons ----

void CCharMgr::SetSkillGroup(const CStatusGroupMsg& msg) {
    CCharData* data = m_pPlayer ? m_pPlayer->GetData() : nullptr;
    if (!data || msg.m_group > 2) return;  // groups 0-2 only
    data->m_groupSize = msg.m_count;
    CSkillGroup& group = data->m_skillGroups[msg.m_group];
    const int n = std::min<int>(msg.m_count, CStatusGroupMsg::MAX_ENTRIES);
    for (int k = 0; k < n; ++k)
        if (msg.m_values[k] >= SKILL_ID_BASE) group.m_rows[k] = int32_t(msg.m_values[k] - SKILL_ID_BASE);
    group.m_time = msg.m_trailing * 10u;
}

bool CCharMgr::ValueReactionBand(int32_t amount, uint32_t* sound, uint8_t* motion, uint8_t* frame) {
    for (const Band& b : VALUE_BANDS)
        if (amount >= b.low && amount <= b.high) {
            *sound = b.sound;
            *motion = b.motion;
            *frame = b.frame;
            return true;
        }
    return false;
}

void CCharMgr::ShowValueReaction(bool withText, uint32_t id, int32_t amount, const char* text) {
    CChar* c = GetChar(id);
    if (!c) return;
    if (withText && text && text[0]) {
        ShowMessageWinF(0, "%s", text);
        return;
    }
    uint32_t sound = 0;
    uint8_t motion = 0, frame = 0;
    if (!ValueReactionBand(amount, &sound, &motion, &frame)) return;
    if (IFieldSound* s = GetFieldSound()) s->PlaySoundEffect(sound, -1, -1, 1);
    c->ShowEmote(EMOTE_ANI, motion, EMOTE_MS);
    if (c->m_pEmote) c->m_pEmote->SetDirection(frame);
}

bool CCharMgr::EmoticonPicture(uint8_t kind, uint8_t index, uint32_t charId, uint32_t* animation,
                               uint8_t* motion, uint8_t* frame) {
    if (kind <= 2) {
        if (index > 7) return false;  // eight built-in emoticons a kind
        *animation = EMOTE_ANI;
        *motion = BUILTIN_EMOTES[kind * 8 + index][0];
        *frame = BUILTIN_EMOTES[kind * 8 + index][1];
        return true;
    }
    for (int row = 0; row < m_emoticons.GetRowCount(); ++row) {
        if (m_emoticons.GetInt(EMO_COL_ID, row) != charId) continue;
        uint16_t ani = 0, mot = 0;
        uint8_t fr = 0;
        if (!m_emoticons.GetRef(EMO_COL_PICTURE, row, &ani, &mot, &fr)) return false;
        *animation = ani;
        *motion = uint8_t(mot);
        *frame = fr;
        return true;
    }
    return false;
}

void CCharMgr::ShowEmoticon(uint32_t id, uint8_t kind, uint8_t index) {
    CChar* c = GetChar(id);
    if (!c) return;
    uint32_t animation = 0;
    uint8_t motion = 0, frame = 0;
    if (!EmoticonPicture(kind, index, kind, &animation, &motion, &frame)) return;
    c->ShowEmote(animation, motion, EMOTE_MS);
    if (c->m_pEmote) c->m_pEmote->SetDirection(frame);
}

void CCharMgr::ApplyEmoticonEffect(uint32_t id, uint8_t kind) {
    CChar* c = GetChar(id);
    if (!c || kind <= 2) return;
    for (int row = 0; row < m_emoticons.GetRowCount(); ++row) {
        if (m_emoticons.GetInt(EMO_COL_ID, row) != kind) continue;
        uint16_t ani = 0, mot = 0;
        uint8_t fr = 0;
        const uint32_t value = m_emoticons.GetInt(EMO_COL_VALUE, row);
        if (m_emoticons.GetRef(EMO_COL_ANIMATION, row, &ani, &mot, &fr) && ani != NO_ANI)
            c->ShowEmote(ani, uint8_t(mot), value);
        const uint32_t item = m_emoticons.GetInt(EMO_COL_EFFECT_ITEM, row);
        if (item != 0 && item != NO_ITEM && c->GetController())
            c->GetController()->UseEffectItem(item, value);
        return;
    }
}

int32_t CCharMgr::FindEmoticonByText(const char* text) const {
    if (!text || !text[0] || m_emoticons.GetRowCount() == 0) return -1;
    for (int row = 0; row < m_emoticons.GetRowCount(); ++row)
        for (int col = EMO_COL_TEXT_FIRST; col <= EMO_COL_TEXT_LAST; ++col) {
            const char* cell = m_emoticons.GetText(col, row);
            if (cell && std::strcmp(cell, text) == 0) return int32_t(m_emoticons.GetInt(EMO_COL_ID, row));
        }
    return -1;
}

bool CCharMgr::CanUseEmoticon(CChar* character, uint32_t id) const {
    if (!character) return false;
    for (int row = 0; row < m_emoticons.GetRowCount(); ++row) {
        if (m_emoticons.GetInt(EMO_COL_ID, row) != id) continue;
        const uint32_t permissions = m_emoticons.GetInt(EMO_COL_PERMISSIONS, row);
        const int32_t type = GetCharTypeIndex(character->m_resourceId);
        const bool allowed = (permissions & 1u) || (type >= 0 && ((permissions >> (type + 1)) & 1u));
        if (!allowed) return false;
        const uint32_t item = m_emoticons.GetInt(EMO_COL_ITEM, row);
        if (item == 0 || item == NO_ITEM) return true;
        CCharController* controller = character->GetController();
        for (int slot = 1; controller && slot <= 13; ++slot)
            if (CItemObject* worn = controller->GetItemInSlot(slot); worn && worn->GetItemId() == item)
                return true;
        return false;
    }
    return false;
}

std::vector<uint8_t> WriteMoveOrder(const CCharMoveOrder& order) {
    CMessageWriter message(100);
    const bool withStart = order.m_a != 0 || order.m_b != 0;
    message.PutDword(order.m_charId).PutByte(order.m_run).PutByte(order.m_speed).PutByte(withStart ? 2 : 1);
    if (withStart) message.PutWord(uint16_t(order.m_a)).PutWord(uint16_t(order.m_b));
    return message.PutWord(uint16_t(order.m_tileX)).PutWord(uint16_t(order.m_tileY)).Take();
}
