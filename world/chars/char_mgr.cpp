#include "world/chars/char_mgr.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <new>

#include "anim/ani_object.h"
#include "anim/ani_play_mgr.h"
#include "anim/ani_services.h"
#include "anim/field_sound.h"
#include "anim/render_queue.h"
#include "core/config.h"
#include "core/input_mgr.h"
#include "core/key_file.h"
#include "data/game_hooks.h"
#include "data/text_tables.h"
#include "net/handlers/char_records.h"
#include "platform/message_box.h"
#include "ui/base_window.h"
#include "ui/window_mgr.h"
#include "world/chars/char_controller.h"
#include "world/chars/char_services.h"
#include "world/map/map.h"
#include "world/map/map_windows.h"
#include "world/map/speech_data.h"

CCharMgr* g_pCharMgr = nullptr;

namespace {

constexpr uint32_t RING_ANI = 1867, STATUS_MARK_ANI = 1419, STATUS_101_ANI = 3843;
constexpr char kEnergyBarName[] = "Char_Energy_Bar";
constexpr char kQuickSlotWindow[] = "QuickSlotWindow";
constexpr char kComboSetupWindow[] = "COMBO_SETUP_WINDOW";
constexpr char kGameOverMusic[] = "GAMEOVER_BGM";
constexpr int ENERGY_BAR_LAYER = 6;
constexpr int32_t WIDEN_BELOW = 40, WIDEN_BY = 20;

std::unique_ptr<CAniObject> MakeLoopedMark(uint32_t animation, uint8_t motion) {
    auto mark = std::make_unique<CAniObject>();
    if (!mark->SetAnimation(animation)) return nullptr;
    mark->SetMotion(motion);
    mark->SetDirection(2);
    mark->Play(true);
    return mark;
}

CChar* AsChar(CMsgObject* object) {
    return dynamic_cast<CChar*>(object);
}

bool IsPartyMemberOn(CTeam& party, const char* name) {
    CTeamMember* member = party.FindMember(name);
    return member && member->m_state != 0;
}

}  // namespace

int32_t GetCharTypeIndex(uint32_t resourceId) {
    if (resourceId < CHAR_PLAYER_BASE) return -1;
    return int32_t((resourceId - CHAR_PLAYER_BASE) % 14);
}

uint32_t GetTableDword(const CDataTable* table, int column, int row) {
    if (!table || row < 0 || row >= table->GetRowCount()) return 0;
    return table->GetInt(column, row);
}

CCharMgr::CCharMgr() {
    CCharMgr::Create();
}

CCharMgr::~CCharMgr() {
    CCharMgr::Release();
}

bool CCharMgr::Create() {
    CObjectMgr::Create();
    CKeyFile config(CONFIG_FILE_NAME);
    g_runVelocity = config.ReadIniFloat("RUN_VELOCITY", DEFAULT_RUN_VELOCITY);
    g_walkVelocity = config.ReadIniFloat("WALK_VELOCITY", DEFAULT_WALK_VELOCITY);
    m_charsReady = 0;
    std::fill(std::begin(m_slots), std::end(m_slots), nullptr);
    std::fill(std::begin(m_active), std::end(m_active), uint8_t(0));
    m_removals.clear();
    m_pPlayer = nullptr;
    m_playerRemoval = 0;
    m_emoticons.LoadDataTable(EMOTICON_TABLE_FILE);
    m_sounds.LoadDataTable(CHAR_SOUND_TABLE_FILE);
    m_pQuickSlotDrop.reset();
    m_ownStartKnown = 0;
    m_pSpeech = std::make_unique<CSpeechData>();
    m_marks[0] = MakeLoopedMark(RING_ANI, 1);
    m_marks[1] = MakeLoopedMark(RING_ANI, 0);
    m_marks[2] = MakeLoopedMark(STATUS_MARK_ANI, 0);
    m_marks[3] = MakeLoopedMark(STATUS_MARK_ANI, 1);
    m_marks[4] = MakeLoopedMark(STATUS_101_ANI, 0);
    m_ownStartX = m_ownStartY = 0;
    const uint32_t bar = FindAniByName(kEnergyBarName);
    for (int k = 0; k < 6; ++k) {
        auto object = std::make_unique<CAniObject>();
        if (bar && object->SetAnimation(bar)) {
            object->SetMotion(uint8_t(k));
            object->SetDirection(2);
            object->Stop();
            object->m_layer = ENERGY_BAR_LAYER;
            m_energyBars[k] = std::move(object);
        }
    }
    m_fightClubMatch = 0;
    return true;
}

bool CCharMgr::Release() {
    m_sounds.Release();
    m_marks[4].reset();
    m_marks[0].reset();
    m_marks[1].reset();
    for (auto& bar : m_energyBars) bar.reset();
    m_marks[3].reset();
    m_marks[2].reset();
    m_pSpeech.reset();
    m_emoticons.Release();
    RemoveAllChars(false);
    m_removals.clear();
    m_pQuickSlotDrop.reset();
    m_pWaitingParty.reset();
    return CObjectMgr::Release();
}

ICharRequests& CCharMgr::Requests() {
    return m_pRequests ? *m_pRequests : SessionCharRequests();
}

CAniObject* CCharMgr::Mark(int index) const {
    return index >= 0 && index < 5 ? m_marks[index].get() : nullptr;
}

CAniObject* CCharMgr::EnergyBar(int index) const {
    return index >= 0 && index < 6 ? m_energyBars[index].get() : nullptr;
}

bool CCharMgr::DetachChild(CMsgObject* object) {
    if (CChar* c = AsChar(object); c && c->m_slot < uint32_t(CHAR_SLOT_COUNT) && m_slots[c->m_slot] == c) {
        m_slots[c->m_slot] = nullptr;
        m_active[c->m_slot] = 0;
    }
    return CObjectMgr::DetachChild(object);
}

bool CCharMgr::DeleteChild(uint32_t id) {
    CMsgObject* child = FindChild(id);
    if (!child) return true;
    DetachChild(child);
    if (child == m_pPlayer) m_pPlayer = nullptr;
    delete child;
    return true;
}

bool CCharMgr::IsActive(const CChar* c) const {
    return c && c->m_slot < uint32_t(CHAR_SLOT_COUNT) && m_slots[c->m_slot] == c && m_active[c->m_slot];
}

// ---- Lookups ----

CChar* CCharMgr::FindChar(const char* name, uint32_t id) {
    for (ChildNode* n = Children().First(); n != Children().End(); n = n->m_pNext) {
        CChar* c = AsChar(n->m_pData);
        if (!c || c->GetCharId() != id) continue;
        if (name && std::strcmp(c->GetName(), name) != 0) continue;
        return c;
    }
    return nullptr;
}

CChar* CCharMgr::GetChar(uint32_t id) {
    CChar* c = FindChar(nullptr, id);
    return c && m_active[c->m_slot % uint32_t(CHAR_SLOT_COUNT)] &&
                   m_slots[c->m_slot % uint32_t(CHAR_SLOT_COUNT)] == c
               ? c
               : nullptr;
}

CChar* CCharMgr::GetCharInSlot(int32_t slot) {
    return slot >= 0 && slot < CHAR_SLOT_COUNT ? m_slots[slot] : nullptr;
}

CChar* CCharMgr::FindCharByName(const char* name, int8_t kind) {
    if (!name) return nullptr;
    for (ChildNode* n = Children().First(); n != Children().End(); n = n->m_pNext) {
        CChar* c = AsChar(n->m_pData);
        if (!c || (kind >= 0 && c->GetKind() != uint16_t(kind))) continue;
        const char* shown = c->GetInfo(nullptr);
        if (shown && std::strcmp(shown, name) == 0) return c;
    }
    return nullptr;
}

CChar* CCharMgr::FindCharByResourceId(uint16_t kind, uint32_t resourceId, bool onlyMembers) {
    CCharData* playerData = m_pPlayer ? m_pPlayer->GetData() : nullptr;
    for (ChildNode* n = Children().First(); n != Children().End(); n = n->m_pNext) {
        CChar* c = AsChar(n->m_pData);
        if (!c || c->GetKind() != kind || c->m_resourceId != resourceId) continue;
        if (onlyMembers && (!playerData || !IsPartyMemberOn(playerData->Party(), c->GetInfo(nullptr))))
            continue;
        return c;
    }
    return nullptr;
}

CChar* CCharMgr::FindCharByType(uint16_t typeIndex, uint8_t kind, bool memberRule) {
    if (kind == CHAR_KIND_PLAYER && memberRule) {
        if (IsVisualEventRunning()) {
            for (ChildNode* n = Children().First(); n != Children().End(); n = n->m_pNext)
                if (CChar* c = AsChar(n->m_pData);
                    c && c->GetKind() == CHAR_KIND_PLAYER && GetCharTypeIndex(c->m_resourceId) == typeIndex)
                    return c;
            return nullptr;
        }
        if (!m_pPlayer || !m_pPlayer->GetData()) return nullptr;
        CTeam& party = m_pPlayer->GetData()->Party();
        if (party.Count() > 0) {
            for (const CTeamMember& m : party.Members())
                if (m.m_state != 0 && GetCharTypeIndex(m.m_resourceId) == typeIndex)
                    if (CChar* c = FindCharByName(m.m_name, -1)) return c;
            return nullptr;
        }
        return GetCharTypeIndex(m_pPlayer->m_resourceId) == typeIndex &&
                       m_pPlayer->GetKind() == CHAR_KIND_PLAYER
                   ? m_pPlayer
                   : nullptr;
    }
    CTeam* party = m_pPlayer && m_pPlayer->GetData() ? &m_pPlayer->GetData()->Party() : nullptr;
    for (ChildNode* n = Children().First(); n != Children().End(); n = n->m_pNext) {
        CChar* c = AsChar(n->m_pData);
        if (!c || c->GetKind() != kind || GetCharTypeIndex(c->m_resourceId) != typeIndex) continue;
        const bool member = party && IsPartyMemberOn(*party, c->GetInfo(nullptr));
        if (member == memberRule) return c;
    }
    return nullptr;
}

CChar* CCharMgr::PickCharAt(int32_t x, int32_t y, bool widen, float* distance, bool includePlayer) {
    IAniEvents* events = GetAniEvents();
    if ((events && (events->IsVisualEventRunning() || events->IsFieldScriptRunning())) || !m_pPlayer)
        return nullptr;
    CChar* winner = nullptr;
    bool winnerWidened = false;
    int32_t winnerY = 0;
    for (ChildNode* n = Children().First(); n != Children().End(); n = n->m_pNext) {
        CChar* c = AsChar(n->m_pData);
        CAniObject* ani = c ? c->GetAniObject() : nullptr;
        if (!ani || ani->m_hidden) continue;
        if (c == m_pPlayer && !includePlayer) continue;
        CCharData* data = c->GetData();
        if (c->GetKind() != CHAR_KIND_PLAYER && data && data->m_motion == MOTION_DEAD) continue;
        if (c->GetKind() == CHAR_KIND_PET && g_options.GetByte(OPT_HIDE_PETS)) continue;
        AniRect r = ani->GetBounds(false, false);
        if (IsEmptyAniRect(r)) continue;
        bool widened = false;
        float d = 0;
        bool measured = false;
        // Target snapping: the player may attack this one (the relation test).
        if (widen && g_options.GetByte(OPT_TARGET_SNAP) && GameWorld().CanAttack(m_pPlayer, c)) {
            const float cx = float(r.left + r.right) * 0.5f, cy = float(r.top + r.bottom) * 0.5f;
            d = std::hypot(float(x) - cx, float(y) - cy);
            measured = true;
            if (r.right - r.left < WIDEN_BELOW) {
                r.left -= WIDEN_BY;
                r.right += WIDEN_BY;
                widened = true;
            }
            if (r.bottom - r.top < WIDEN_BELOW) {
                r.top -= WIDEN_BY;
                r.bottom += WIDEN_BY;
                widened = true;
            }
        }
        if (!(x > r.left && x < r.right && y > r.top && y < r.bottom)) continue;
        if (measured && distance) {
            if (!(d < *distance)) continue;
            *distance = d;
        } else if (winner && ani->GetY() <= winnerY) {
            continue;
        }
        winner = c;
        winnerY = ani->GetY();
        winnerWidened = widened;
    }
    if (winner && winnerWidened && g_pInputMgr) {
        CCharData* data = winner->GetData();
        if (!data || data->m_motion != MOTION_DEAD) {
            CAniObject* ani = winner->GetAniObject();
            g_pInputMgr->SetMousePos(ani->GetX(), ani->GetY() - ani->GetAniTopExtent() / 2);
        }
    }
    return winner;
}

// ---- Creation and removal ----

CChar* CCharMgr::CreateChar(uint32_t resourceId, uint32_t charId, uint8_t kind, int32_t slot,
                            int32_t creationParam) {
    if (slot == -1) {
        for (int32_t s = 0; s < CHAR_SLOT_COUNT; ++s)
            if (!m_slots[s]) {
                slot = s;
                break;
            }
        if (slot == -1) {
            plat::MessageBox(GetTableText(1, 4), GetTableText(1, 5));
            return nullptr;
        }
    } else if (slot < 0 || slot >= CHAR_SLOT_COUNT || m_slots[slot]) {
        return nullptr;  // an explicit slot must be free and inside the table
    }
    std::unique_ptr<CChar> c;
    switch (kind) {
        case CHAR_KIND_PLAYER:
            c = std::make_unique<CPlayerChar>();
            break;
        case CHAR_KIND_NPC:
            c = std::make_unique<CNpcChar>();
            break;
        case CHAR_KIND_MONSTER:
            c = std::make_unique<CMonsterChar>();
            break;
        case CHAR_KIND_PET:
            c = std::make_unique<CPetChar>();
            break;
        default:
            return nullptr;
    }
    c->m_slot = uint32_t(slot);
    if (!c->Setup(resourceId, g_pMap, charId, uint32_t(slot), creationParam)) return nullptr;
    c->m_slot = uint32_t(slot);
    c->SetRouter(this);
    m_slots[slot] = c.get();
    m_active[slot] = 1;
    AddChild(c.get());
    return c.release();
}

CChar* CCharMgr::CreateCharAt(uint32_t resourceId, uint32_t charId, int32_t slot, uint32_t tileX,
                              uint32_t tileY, uint8_t kind, int32_t creationParam) {
    CChar* c = CreateChar(resourceId, charId, kind, slot, creationParam);
    if (!c) return nullptr;
    c->SetPosition(int32_t(tileX * 24), int32_t(tileY * 12), 0);
    if (CCharAction* action = c->GetAction()) action->ResetMapState();
    if (CCharData* data = c->GetData()) {
        data->m_speedFactor = 1.5f;
        data->m_walkSpeed = 0.01f;
        data->m_curSpeed = 0.01f;
    }
    return c;
}

bool CCharMgr::AddCharObject(CChar* character) {
    if (!character) return false;
    for (int32_t s = 0; s < CHAR_SLOT_COUNT; ++s)
        if (!m_slots[s]) {
            character->m_slot = uint32_t(s);
            character->SetRouter(this);
            m_slots[s] = character;
            m_active[s] = 1;
            AddChild(character);
            return true;
        }
    return false;
}

void CCharMgr::SetPlayerChar(CChar* character) {
    if (m_pPlayer) m_pPlayer->m_isPlayer = m_pPlayer->m_reportFlag = 0;
    m_pPlayer = character;
    // The user's own character reports its position.
    if (m_pPlayer) m_pPlayer->m_isPlayer = m_pPlayer->m_reportFlag = 1;
}

void CCharMgr::DeleteCharNode(ChildNode* node) {
    CChar* c = AsChar(node->m_pData);
    CMsgObject* object = node->m_pData;
    DetachChild(object);
    if (c == m_pPlayer) m_pPlayer = nullptr;
    if (c) c->Release();
    delete object;
}

bool CCharMgr::RemoveCharacter(uint32_t id) {
    for (ChildNode* n = Children().First(); n != Children().End(); n = n->m_pNext) {
        CChar* c = AsChar(n->m_pData);
        if (c && c->GetCharId() == id) {
            DeleteCharNode(n);
            return true;
        }
    }
    return false;
}

void CCharMgr::RemoveCharLater(uint32_t id) {
    CChar* c = GetChar(id);
    if (!c) {
        RemoveCharacter(id);
        return;
    }
    c->m_beingRemoved = 1;
    if (CCharController* controller = c->GetController(); controller && controller->Holder())
        controller->Holder()->ClearPending();
    if (CCharAction* action = c->GetAction()) action->Die();
    m_removals.push_back(id);
}

void CCharMgr::ProcessRemovals() {
    for (auto it = m_removals.begin(); it != m_removals.end();) {
        CChar* c = FindChar(nullptr, *it);
        if (c && IsActive(c)) {
            CCharData* data = c->GetData();
            CAniObject* ani = c->GetAniObject();
            if (!data || data->m_motion != MOTION_DEAD || (ani && !ani->m_stopped)) {
                ++it;
                continue;
            }
        }
        if (c && c == m_pPlayer)
            m_playerRemoval = 1;
        else if (c)
            RemoveCharacter(c->GetCharId());
        it = m_removals.erase(it);
    }
}

void CCharMgr::RemoveAllChars(bool detachSprites) {
    if (m_pPlayer && m_pPlayer->GetController()) m_pPlayer->GetController()->ProcessMessages();
    std::vector<CMsgObject*> children;
    for (ChildNode* n = Children().First(); n != Children().End(); n = n->m_pNext)
        children.push_back(n->m_pData);
    for (CMsgObject* object : children) {
        CChar* c = AsChar(object);
        if (detachSprites && c && c->GetAniObject()) c->GetAniObject()->SetAniFlag(0);
        CObjectMgr::DetachChild(object);
    }
    for (int32_t s = 0; s < CHAR_SLOT_COUNT; ++s) {
        if (m_slots[s]) {
            m_slots[s]->Release();
            delete m_slots[s];
        }
        m_slots[s] = nullptr;
        m_active[s] = 0;
    }
    GetMsgQueue()->Queue().Clear();
    m_pPlayer = nullptr;
    m_charsReady = 0;
}

void CCharMgr::RemoveAllButPlayer() {
    if (m_pPlayer && m_pPlayer->GetController()) m_pPlayer->GetController()->ProcessMessages();
    std::vector<CMsgObject*> children;
    for (ChildNode* n = Children().First(); n != Children().End(); n = n->m_pNext)
        if (n->m_pData != m_pPlayer) children.push_back(n->m_pData);
    for (CMsgObject* object : children) CObjectMgr::DetachChild(object);
    for (int32_t s = 0; s < CHAR_SLOT_COUNT; ++s) {
        if (!m_slots[s] || m_slots[s] == m_pPlayer) continue;
        m_slots[s]->Release();
        delete m_slots[s];
        m_slots[s] = nullptr;
        m_active[s] = 0;
    }
    // Of the queue only what still concerns the player stays.
    CNodeList& queue = GetMsgQueue()->Queue().Messages();
    for (CListNode* node = queue.First(); node && node != queue.End();) {
        CMsg* msg = static_cast<CMsg*>(node);
        bool drop =
            msg->m_eventId == 57 || msg->m_eventId == 58 || msg->m_eventId == 59 || msg->m_eventId == 65;
        if (msg->m_eventId == MSG_CHAR_CREATE) {
            auto* create = dynamic_cast<CCharCreateMsg*>(msg->m_pPayload.get());
            drop = !create || !create->m_ownFlag;
        }
        node = drop ? queue.Erase(node) : node->Next();
    }
    if (m_pPlayer) {
        if (CMsgPort* port = m_pPlayer->GetPort()) port->Clear();
        if (CCharController* controller = m_pPlayer->GetController()) {
            if (controller->Holder()) controller->Holder()->ClearPending();
            if (controller->Action()) {
                controller->Action()->Reset();
                controller->Action()->ResetMapState();
            }
        }
    }
    if (g_pWindowMgr)
        if (CBaseWindow* combo = g_pWindowMgr->FindWindowByName(kComboSetupWindow)) combo->Hide();
}

// ---- Per frame ----

bool CCharMgr::Update() {
    ProcessRemovals();
    ProcessQueue();
    if (m_pQuickSlotDrop && m_pPlayer && g_pWindowMgr) {
        if (CBaseWindow* window = g_pWindowMgr->FindWindowByName(kQuickSlotWindow, m_pPlayer->GetCharId())) {
            const uint32_t eventId = m_pQuickSlotDrop->m_id;
            PostMessageTo(0, window, 0, eventId, MsgDataPtr(m_pQuickSlotDrop.release()), nullptr);
        }
    }
    for (int k = 0; k < 5; ++k)
        if (m_marks[k]) m_marks[k]->Update();
    return true;
}

void CCharMgr::RefreshCharDisplay() {
    for (ChildNode* n = Children().First(); n != Children().End(); n = n->m_pNext) {
        CChar* c = AsChar(n->m_pData);
        if (!c || !c->IsDrawOn()) continue;  // an event may hide the field's characters
        if (auto* npc = dynamic_cast<CNpcChar*>(c);
            npc && npc->IsUserShopMerchant() && g_options.GetByte(OPT_HIDE_MERCHANTS))
            continue;
        if (c->GetKind() == CHAR_KIND_PET && g_options.GetByte(OPT_HIDE_PETS) == 1) continue;
        if (CCharAction* action = c->GetAction()) action->DrawAttachedObjects();
        if (g_pRenderQueue) g_pRenderQueue->AddObject(c);
    }
}

void CCharMgr::SetPlayersRunMode(bool run) {
    for (ChildNode* n = Children().First(); n != Children().End(); n = n->m_pNext)
        if (CChar* c = AsChar(n->m_pData); c && c->GetKind() == CHAR_KIND_PLAYER && c->GetAction())
            c->GetAction()->SetRunning(run);
}

void CCharMgr::PlayTableSound(int32_t row) {
    IFieldSound* sound = GetFieldSound();
    if (!sound || g_options.GetByte(OPT_NO_TABLE_SOUNDS) || g_options.GetByte(OPT_EFFECTS_OFF)) return;
    const uint32_t id =
        row >= 0 && row < m_sounds.GetRowCount() ? m_sounds.GetInt(CHAR_SOUND_COLUMN, row) : 0;
    sound->PlaySoundEffect(id, -1, -1, 1);  // once
}

void CCharMgr::OnGameOver() {
    if (m_pPlayer && m_pPlayer->GetAction()) m_pPlayer->GetAction()->Die();
    if (IFieldSound* sound = GetFieldSound()) sound->PlayMusicByName(kGameOverMusic);
    if (g_pWindowMgr)
        if (auto* system =
                dynamic_cast<IMapSystemWindow*>(g_pWindowMgr->FindWindowByName(mapwin::kSystemWindow)))
            system->SetGameOverMode(true);
}

// ---- Statuses ----

bool CCharMgr::CheckCharStatus(const uint32_t words[4], int32_t id) {
    return ::CheckCharStatus(words, id);
}

void CCharMgr::ApplyStatusChange(const uint32_t words[4], CChar* character, uint32_t seconds) {
    CCharData* data = character ? character->GetData() : nullptr;
    if (!data) return;
    const bool deadNow = ::CheckCharStatus(words, 49), deadBefore = ::CheckCharStatus(data->m_status, 49);
    if (deadNow && !deadBefore) {
        character->StartFade(seconds);
        if (character->GetAction()) character->GetAction()->Die();
    } else if (!deadNow && deadBefore) {
        character->StopFade();
        data->SetMotion(data->m_restMotion);
        if (character == m_pPlayer) {
            mapwin::ResetSystemWindow();
            if (g_pMap) g_pMap->ChooseMusic();
        }
    }
    if (data->m_motion != MOTION_DEAD) data->m_translucentMark = ::CheckCharStatus(words, 1) ? 1 : 0;
    if (ICharEffectList* effects = character->GetEffects()) {
        if (::CheckCharStatus(words, 103)) {
            if (!effects->HasEffect(255, 0)) effects->AddEffect(255, 0, 1, 4120, 0, 2);
        } else {
            effects->RemoveEffect(255, 0);
        }
        if (::CheckCharStatus(words, 104)) {
            if (!effects->HasEffect(254, 0)) effects->AddEffect(254, 0, 2, 4448, 0, 2);
            if (effects->HasEffect(255, 0)) {
                effects->RemoveEffect(255, 0);
                effects->AddEffect(255, 0, 1, 4448, 1, 2);
            }
        } else {
            effects->RemoveEffect(254, 0);
        }
    }
    // Statuses 4, 6, 7, 8 and 19 stop a moving character.
    constexpr uint32_t STOPPING = (1u << 3) | (1u << 5) | (1u << 6) | (1u << 7) | (1u << 18);
    if ((words[0] & STOPPING) && (data->m_motion == MOTION_WALK || data->m_motion == MOTION_RUN)) {
        if (CCharAction* action = character->GetAction()) {
            action->Stop(false);
            action->Reset();
        }
        data->SetMotion(data->m_restMotion);
    }
}
