#include "world/chars/char_controller.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>

#include "anim/ani_object.h"
#include "anim/ani_play_mgr.h"
#include "core/drop_log.h"
#include "data/game_hooks.h"
#include "data/item_object.h"
#include "data/item_table_mgr.h"
#include "data/slot_object_mgr.h"
#include "net/handlers/char_records.h"
#include "net/handlers/item_records.h"
#include "net/handlers/login_records.h"
#include "ui/base_window.h"
#include "ui/window_mgr.h"
#include "world/chars/char.h"
#include "world/chars/char_events.h"
#include "world/chars/char_mgr.h"
#include "world/chars/char_services.h"
#include "world/chars/char_skills.h"
#include "world/chars/char_steps.h"
#include "world/chars/hud_windows.h"
#include "world/map/map.h"
#include "world/map/map_data.h"
#include "world/map/path_finder.h"

float g_runVelocity = DEFAULT_RUN_VELOCITY;
float g_walkVelocity = DEFAULT_WALK_VELOCITY;

namespace {

constexpr char kMiniTeamWindow[] = "MINI_TEAM_WINDOW";
constexpr char kSpeechWindow[] = "CHAR_MSGWIN";
constexpr char kSignWindow[] = "CHAR_SIGNWIN";
constexpr uint32_t MARKER_ANI = 665;
constexpr uint32_t DASH_DUST_ANI = 595;
constexpr float DASH_STEP = 20.0f;
constexpr double DEGREES_TO_RADIANS = 0.01745328888888889;
constexpr uint16_t CELL_UNDER_ROOF = 0x0004;
constexpr int MAX_EQUIP_POSITION = 13;
constexpr uint16_t NO_ANIMATION = 10000;
// An item's effect turns with the character that wears it.
constexpr int32_t EQUIP_EFFECT_KIND = 4;

// Columns of the item set table.
enum : int {
    SET_COL_ITEM = 1,          // u32: the item id the set is found by
    SET_COL_FIRST_MEMBER = 3,  // 3-15: the member items, one for each mask bit
    SET_MEMBERS = 13,
    SET_COL_FIRST_BONUS = 16,  // 16-24: signed bonus values of the complete set
    SET_COL_FULL_MASK = 25,    // 16-bit mask of the members the complete set needs
};

bool WearsItem(const CCharData& data, uint32_t itemId) {
    for (int p = 1; p <= MAX_EQUIP_POSITION; ++p)
        if (data.m_items[p] && data.m_items[p]->GetItemId() == itemId) return true;
    return false;
}

// Whether the worn items complete the set of the row: every member its mask
// names (a column holding an item id) is worn; an empty mask completes nothing.
bool CompletesSet(const CDataTable& sets, int row, const CCharData& data) {
    const uint32_t mask = sets.GetInt(SET_COL_FULL_MASK, row) & 0xFFFFu;
    if (!mask) return false;
    for (int k = 0; k < SET_MEMBERS; ++k) {
        if (!(mask & (1u << k))) continue;
        const uint32_t member = sets.GetInt(SET_COL_FIRST_MEMBER + k, row);
        if (member && !WearsItem(data, member)) return false;
    }
    return true;
}

// The bonuses of every set a worn item belongs to and the worn items
// complete. A set may have a row for each of its members: a set (its member
// list) counts once however many of its rows the worn items reach.
void ComputeSetBonuses(CCharData& data) {
    std::fill(std::begin(data.m_setBonus), std::end(data.m_setBonus), 0);
    const CDataTable* sets = g_pItemTableMgr ? g_pItemTableMgr->GetSetTable() : nullptr;
    if (!sets) return;
    using Members = std::array<uint32_t, SET_MEMBERS>;
    std::vector<Members> counted;
    for (int p = 1; p <= MAX_EQUIP_POSITION; ++p) {
        if (!data.m_items[p]) continue;
        const uint32_t itemId = data.m_items[p]->GetItemId();
        for (int row = 0; row < sets->GetRowCount(); ++row) {
            if (sets->GetInt(SET_COL_ITEM, row) != itemId) continue;
            Members members;
            for (int k = 0; k < SET_MEMBERS; ++k)
                members[size_t(k)] = sets->GetInt(SET_COL_FIRST_MEMBER + k, row);
            if (std::find(counted.begin(), counted.end(), members) == counted.end()) {
                counted.push_back(members);
                if (CompletesSet(*sets, row, data))
                    for (int k = 0; k < SET_BONUS_COUNT; ++k)
                        data.m_setBonus[k] += int8_t(sets->GetSignedInt(SET_COL_FIRST_BONUS + k, row));
            }
            break;
        }
    }
}

ITeamDisplay* TeamDisplay() {
    CBaseWindow* window = g_pWindowMgr ? g_pWindowMgr->FindWindowByName(kMiniTeamWindow) : nullptr;
    return dynamic_cast<ITeamDisplay*>(window);
}

bool IsOwnName(const char* name, const char* ownName) {
    return ownName && name && std::strcmp(name, ownName) == 0;
}

// The user's own character's name, while it is on the field.
const char* PlayerOwnName() {
    CChar* player = g_pCharMgr ? g_pCharMgr->GetPlayer() : nullptr;
    return player ? player->m_ownName : nullptr;
}

// Motions played once, and those that leave the animation alone.
bool PlaysOnce(uint32_t m) {
    switch (m) {
        case 4:
        case 5:
        case 6:
        case 11:
        case 12:
        case 13:
        case 15:
        case 16:
        case 17:
        case 18:
        case 100:
        case 101:
            return true;
        default:
            return false;
    }
}
bool LeavesAnimation(uint32_t m) {
    switch (m) {
        case 2:
        case 3:
        case 102:
        case 103:
        case 105:
        case 106:
        case 107:
            return true;
        default:
            return false;
    }
}

// The equipment slot a timed item's position stands in.
int32_t TimedSlotOfPosition(uint8_t position) {
    switch (position) {
        case 9:
            return 1;
        case 10:
            return 2;
        case 11:
            return 5;
        case 12:
            return 7;
        default:
            return position;
    }
}

}  // namespace

// ---- The party list ----

CTeamMember* CTeam::FindMember(const char* name) {
    if (!name) return nullptr;
    for (CTeamMember& m : m_members)
        if (std::strcmp(m.m_name, name) == 0) return &m;
    return nullptr;
}

CTeamMember* CTeam::AddOrUpdateMember(const CTeamMember& fields, const char* ownName) {
    char name[PARTY_NAME_SIZE];
    CopyRecordText(name, fields.m_name);
    CTeamMember* member = FindMember(name);
    if (!member) {
        if (m_members.size() >= MAX_PARTY_MEMBERS) {
            NoteDropped("party members", MAX_PARTY_MEMBERS);
            return nullptr;
        }
        member = &m_members.emplace_back();
    }
    *member = fields;
    CopyRecordText(member->m_name, fields.m_name);
    CopyRecordText(member->m_text, fields.m_text);
    if (ITeamDisplay* display = TeamDisplay()) {
        if (IsOwnName(member->m_name, ownName))
            display->Relayout();
        else if (member->m_state == 3 && member->m_shown)
            display->MarkAbsent(member->m_name);
        else
            display->RefreshMember(member->m_name);
    }
    return member;
}

bool CTeam::UpdateMember(const CTeamMember& fields, const char* ownName) {
    CTeamMember* member = FindMember(fields.m_name);
    if (!member) return false;
    const uint8_t oldState = member->m_state;
    member->m_leader = fields.m_leader;
    ITeamDisplay* display = TeamDisplay();
    if (display && member->m_shown && fields.m_state != oldState && !IsOwnName(member->m_name, ownName)) {
        if (fields.m_state == 3)
            display->MarkAbsent(member->m_name);
        else
            display->RefreshMember(member->m_name);
    }
    member->m_state = fields.m_state;
    member->m_value = fields.m_value;
    member->m_word = fields.m_word;
    member->m_byte1 = fields.m_byte1;
    member->m_byte2 = fields.m_byte2;
    member->m_word1 = fields.m_word1;
    member->m_word2 = fields.m_word2;
    CopyRecordText(member->m_text, fields.m_text);
    member->m_resourceId = fields.m_resourceId;
    return true;
}

void CTeam::SetLeader(const char* name, uint8_t value) {
    CopyRecordText(m_leaderName, name ? name : "");
    m_leaderValue = value;
}

CTeamMember CTeam::FromServer(const CPartyMember& member) const {
    CTeamMember fields;
    CopyRecordText(fields.m_name, member.m_name);
    fields.m_leader = m_leaderName[0] && std::strcmp(fields.m_name, m_leaderName) == 0 ? 1 : 0;
    fields.m_state = member.m_kind;
    fields.m_resourceId = member.m_value;
    fields.m_byte1 = member.m_level;
    fields.m_value = member.m_extraValue;
    CopyRecordText(fields.m_text, member.m_text);
    fields.m_byte2 = member.m_byte;
    fields.m_word = member.m_words[0];
    fields.m_word1 = member.m_words[1];
    fields.m_word2 = member.m_words[2];
    return fields;
}

void CTeam::AddOrUpdateMember(const CPartyMember& member) {
    AddOrUpdateMember(FromServer(member), PlayerOwnName());
}

void CTeam::UpdateMember(const CPartyMember& member) {
    UpdateMember(FromServer(member), PlayerOwnName());
}

void CTeam::RemoveMember(const char* name) {
    auto it = std::find_if(m_members.begin(), m_members.end(),
                           [&](const CTeamMember& m) { return name && std::strcmp(m.m_name, name) == 0; });
    if (it == m_members.end()) return;
    m_members.erase(it);
    if (ITeamDisplay* display = TeamDisplay()) display->RemoveMember(name);
}

void CTeam::Clear() {
    m_members.clear();
    if (ITeamDisplay* display = TeamDisplay()) display->Clear();
}

void CTeam::PromoteMember(const char* name) {
    auto it = std::find_if(m_members.begin(), m_members.end(),
                           [&](const CTeamMember& m) { return name && std::strcmp(m.m_name, name) == 0; });
    if (it == m_members.end()) return;
    it->m_leader = 1;
    m_members.splice(m_members.begin(), m_members, it);
}

// ---- The character data ----

bool CCharData::Create() {
    CBlockList::Create();
    m_motion = MOTION_NONE;
    const uint8_t flags[5] = {1, 0, 0, 0, 0};
    std::memcpy(m_flags, flags, sizeof flags);
    m_runSpeed = g_runVelocity;
    m_walkSpeed = g_walkVelocity;
    m_curSpeed = g_walkVelocity;
    m_speedFactor = 1.0f;
    m_eventSpeed = 0;
    m_stance = 1;
    m_followFlags[0] = m_followFlags[1] = 0;
    m_runSwitch = 0;
    std::fill(std::begin(m_status), std::end(m_status), 0u);
    std::fill(std::begin(m_values), std::end(m_values), 0u);
    m_values[VALUE_HUNDRED_A] = m_values[VALUE_HUNDRED_B] = 100;
    for (CSkillGroup& g : m_skillGroups) g = CSkillGroup{};
    m_channel = -1;
    m_channelValue = 0;
    m_restMotion = 0;
    m_moveMode = 2;
    m_timerOn = 0;
    if (!m_pParty) m_pParty = std::make_unique<CTeam>();
    if (!m_pContainer) m_pContainer = std::make_unique<CSlotObjectMgr>();
    return true;
}

bool CCharData::Release() {
    for (auto& list : m_buffs) list.clear();
    m_listA.clear();
    m_listB.clear();
    m_listBValues.clear();
    for (auto& item : m_items) item.reset();
    m_pContainer.reset();
    m_pParty.reset();
    return CBlockList::Release();
}

void CCharData::Reset() {
    Create();
    m_motion = MOTION_NONE;
}

bool CCharData::SetControlFlag(uint8_t value) {
    if (m_controlFlag != value) m_controlFlag = value;
    return true;
}

void CCharData::SetParty(std::unique_ptr<CTeam> party) {
    m_pParty = party ? std::move(party) : std::make_unique<CTeam>();
}

bool CCharData::IsStatus(int32_t status) const {
    return CheckCharStatus(m_status, status);
}

void CCharData::SetMotion(uint32_t motion) {
    if (motion == m_motion) return;
    CChar* owner = m_pController ? m_pController->Owner() : nullptr;
    CAniObject* ani = owner ? owner->GetAniObject() : nullptr;
    const bool own = owner && g_pCharMgr && g_pCharMgr->GetPlayer() == owner;
    CCharAction* action = m_pController ? m_pController->Action() : nullptr;
    if (m_motion == MOTION_CAST) {
        m_motion = motion;  // leaving the cast cancels it
        if (action) action->CancelCast();
    }
    if (ani && owner && (owner->GetKind() == CHAR_KIND_MONSTER || owner->GetKind() == CHAR_KIND_PET))
        ani->SetScale(1.0f);
    // A dead character stays dead; only the user's own takes another motion.
    if (!own && m_motion == MOTION_DEAD) return;
    m_motion = motion;
    // The user's own character ends a skill in use when it falls.
    if (own && action && (motion == MOTION_DEAD || motion == MOTION_HELD_DOWN || motion == MOTION_LYING))
        action->EndSkillUse();

    CCharActionHolder* holder = m_pController ? m_pController->Holder() : nullptr;
    if (motion == MOTION_STAND || motion == MOTION_REST_POSE)
        if (holder) holder->m_done = 1;
    if (!ani || LeavesAnimation(motion)) return;
    if (motion == MOTION_PUSHED) {
        ani->SetMotion(MOTION_HIT);
        ani->Play(true);
        return;
    }
    if (motion == MOTION_LYING) {
        ani->SetMotion(13);
        ani->Play(true);
        return;
    }
    ani->SetMotion(uint8_t(motion));
    ani->ResetLayers();
    ani->Play(!PlaysOnce(motion));
}

// ---- The action object ----

CCharAction::CCharAction(CCharController* controller) : m_pController(controller) {}

CCharAction::~CCharAction() {
    CCharAction::Release();
}

CChar* CCharAction::Owner() const {
    return m_pController ? m_pController->Owner() : nullptr;
}

CCharData* CCharAction::Data() const {
    return m_pController ? m_pController->Data() : nullptr;
}

CCharActionHolder* CCharAction::Holder() const {
    return m_pController ? m_pController->Holder() : nullptr;
}

bool CCharAction::Create() {
    CBaseObject::Create();
    m_pPath = std::make_unique<CPathFinder>();
    if (g_pWindowMgr) {
        m_pSpeechWin = CreateRegisteredWindow(kSpeechWindow);
        if (m_pSpeechWin && !g_pWindowMgr->AddChild(m_pSpeechWin)) {
            delete m_pSpeechWin;
            m_pSpeechWin = nullptr;
        }
        m_pSignWin = CreateRegisteredWindow(kSignWindow);
        if (m_pSignWin && !g_pWindowMgr->AddChild(m_pSignWin)) {
            delete m_pSignWin;
            m_pSignWin = nullptr;
        }
    }
    auto marker = std::make_unique<CAniObject>();
    if (marker->SetAnimation(MARKER_ANI)) {
        marker->SetMotion(0);
        marker->SetDirection(0);
        marker->Play(true);
        m_pMarker = std::move(marker);
    }
    m_cellX = m_cellY = -1;
    return true;
}

bool CCharAction::Release() {
    DropSkillUse();
    CancelCast();
    RemoveCastEffect();
    m_pPath.reset();
    // The windows are the window manager's: closed while it still holds them.
    for (CBaseWindow** window : {&m_pSpeechWin, &m_pSignWin}) {
        if (*window && g_pWindowMgr && g_pWindowMgr->HasWindow(*window)) g_pWindowMgr->CloseWindow(*window);
        *window = nullptr;
    }
    m_pMarker.reset();
    ResetMapState();
    return CBaseObject::Release();
}

void CCharAction::Reset() {
    RemoveCastEffect();
    m_dashing = 0;
    m_pActiveFlag = nullptr;
    m_idleStarted = 0;
    m_timedFlag = 0;
    m_moving = 0;
}

void CCharAction::ResetMapState() {
    if (m_pPath) m_pPath->Reset();
    m_cellX = m_cellY = -1;
}

void CCharAction::SetRestPose(bool on) {
    CCharData* data = Data();
    if (!data || data->m_motion == MOTION_SKILL) return;
    data->m_restPoseFlag = on;
    data->m_restMotion = on ? MOTION_REST_POSE : MOTION_STAND;
    data->SetMotion(data->m_restMotion);
}

void CCharAction::SetRunning(bool on) {
    CCharData* data = Data();
    if (!data || data->m_runFlag == uint8_t(on)) return;
    data->m_runFlag = on;
    if (data->m_motion == MOTION_WALK || data->m_motion == MOTION_RUN)
        data->SetMotion(on ? MOTION_RUN : MOTION_WALK);
}

void CCharAction::Die() {
    CCharData* data = Data();
    CChar* owner = Owner();
    if (!data || !owner) return;
    CAniObject* ani = owner->GetAniObject();
    if (data->m_motion == MOTION_DEAD) {
        if (ani && ani->m_stopped) data->m_hiddenMark = 1;
        return;
    }
    CancelCast();
    data->SetMotion(MOTION_DEAD);
    if (m_pController->Holder()) m_pController->Holder()->m_done = 0;
    if (ani && ani->IsMotionMissing(uint8_t(MOTION_DEAD), -1)) ani->Stop();
}

void CCharAction::CheckStance() {
    if (CCharData* data = Data()) SetRunning(data->m_stance != 0);
}

void CPlayerCharAction::Die() {
    CCharData* data = Data();
    if (!data || data->m_motion == MOTION_DEAD) return;
    // Any player falls out of its cast and its skill, not only the user's own.
    CancelCast();
    if (m_pSkillAction) EndSkillUse();
    data->SetMotion(MOTION_DEAD);
}

void CCharAction::Dash(int32_t tileX, int32_t tileY) {
    CCharData* data = Data();
    CChar* owner = Owner();
    CCharActionHolder* holder = m_pController ? m_pController->Holder() : nullptr;
    if (!data || !owner || !holder) return;
    if (data->m_motion == MOTION_DEAD || data->m_motion == MOTION_HELD_DOWN || data->m_motion == MOTION_LYING)
        return;
    // Cells are 16-bit on the wire; anything else names no cell.
    const bool cellGiven = tileX >= 0 && tileY >= 0 && tileX <= 0xFFFF && tileY <= 0xFFFF;
    if (!m_dashing) {
        holder->ClearPending();
        if (!cellGiven) return;
        m_dashing = 1;
        data->SetMotion(MOTION_PUSHED);
        m_dashStartX = float(owner->m_cellX * 24);
        m_dashStartY = float(owner->m_cellY * 12);
        m_dashX = float(owner->m_x);
        m_dashY = float(owner->m_y);
        m_dashToX = float(tileX * 24);
        m_dashToY = float(tileY * 12);
        const double degrees =
            std::atan2(double(m_dashToY - m_dashY), double(m_dashToX - m_dashX)) * 180.0 / 3.14159265358979;
        const double radians = degrees * DEGREES_TO_RADIANS;
        m_dashStepX = float(std::cos(radians) * DASH_STEP);
        m_dashStepY = float(std::sin(radians) * DASH_STEP);
        m_dashSteps = 0;
        holder->m_arrived = 0;
        return;
    }
    const float whole = std::hypot(m_dashToX - m_dashStartX, m_dashToY - m_dashStartY);
    const float done = std::hypot(m_dashX - m_dashStartX, m_dashY - m_dashStartY);
    if (whole < done) {
        Stop(false);
        owner->SetPosition(int32_t(m_dashToX), int32_t(m_dashToY), 0);
        holder->m_arrived = 1;
        m_dashing = 0;
        data->SetMotion(data->m_restMotion);
        return;
    }
    m_dashX += m_dashStepX;
    m_dashY += m_dashStepY;
    if (m_dashSteps % 4 == 0) {
        m_dashSteps = 0;
        PlayOnceAtTile(DASH_DUST_ANI, 2, owner->m_cellX, owner->m_cellY);
    }
    ++m_dashSteps;
    owner->SetPosition(int32_t(m_dashX), int32_t(m_dashY), 0);
}

// ---- The action holder ----

CCharActionHolder::CCharActionHolder(CCharController* controller) : m_pController(controller) {}

CCharActionHolder::~CCharActionHolder() = default;

void CCharActionHolder::ClearPending() {
    m_pending.clear();
}

void CCharActionHolder::AppendStep(std::unique_ptr<CCharStep> step) {
    if (step) m_pending.push_back(std::move(step));
}

bool CCharActionHolder::Update() {
    if (!m_pending.empty()) {
        CCharStep* step = m_pending.front().get();
        step->Update();
        // The step may have emptied the list (a new order replaced it).
        if (!m_pending.empty() && m_pending.front().get() == step && step->IsArrived())
            m_pending.erase(m_pending.begin());
    }
    if (m_pAction) m_pAction->UpdateMotion(true);
    return true;
}

// ---- The controller ----

CCharController::CCharController(CChar* owner, bool variant) : m_pOwner(owner), m_variant(variant) {}

CCharController::~CCharController() {
    m_timedItems.clear();
    if (m_pHolder) m_pHolder->m_pAction.reset();
    m_pHolder.reset();
    m_pData.reset();
}

bool CCharController::Create() {
    CBaseObject::Create();
    m_pData = std::make_unique<CCharData>();
    m_pData->m_pController = this;
    m_pHolder = std::make_unique<CCharActionHolder>(this);
    if (m_variant)
        m_pHolder->m_pAction = std::make_unique<CPlayerCharAction>(this);
    else
        m_pHolder->m_pAction = std::make_unique<CCharAction>(this);
    m_pHolder->m_pAction->Create();
    m_partyMark = m_moving = 0;
    m_flags[0] = m_flags[1] = m_flags[2] = 0;
    m_ready = 1;
    m_restValue = -1;
    m_twoValues[0] = m_twoValues[1] = 0;
    return true;
}

void CCharController::Reset() {
    if (m_pHolder) {
        m_pHolder->ClearPending();
        if (m_pHolder->m_pAction) m_pHolder->m_pAction->Reset();
    }
    if (m_pData) m_pData->Reset();
    m_partyMark = m_moving = 0;
    m_flags[0] = m_flags[1] = m_flags[2] = 0;
    m_ready = 1;
    m_restValue = -1;
}

bool CCharController::IsTeamMember(const char* name) {
    return m_pData && m_pData->Party().HasMember(name);
}

CItemObject* CCharController::GetItemInSlot(int slot) const {
    if (!m_pData || slot < 1 || slot > MAX_EQUIP_POSITION) return nullptr;
    return m_pData->m_items[slot].get();
}

bool CCharController::Equip(std::unique_ptr<CItemObject> item) {
    if (!item || !m_pData) return false;
    const uint8_t position = item->GetByte41();
    if (position == 0 || position > MAX_EQUIP_POSITION || item->GetState() == 1) return false;
    item->SetState(1);
    // What the position held comes off first (with its time, when it was timed).
    if (m_pData->m_items[position]) TakeOff(position);
    m_pData->m_items[position] = std::move(item);
    RefreshEquipmentEffects();
    return true;
}

void CCharController::TakeOff(int position) {
    if (!m_pData || position < 1 || position > MAX_EQUIP_POSITION || !m_pData->m_items[position]) return;
    CItemObject* item = m_pData->m_items[position].get();
    for (size_t i = 0; i < m_timedItems.size(); ++i)
        if (m_timedItems[i] == item) {
            m_timedItems.erase(m_timedItems.begin() + std::ptrdiff_t(i));
            m_timedLeft.erase(m_timedLeft.begin() + std::ptrdiff_t(i));
            break;
        }
    m_pData->m_items[position].reset();
    RefreshEquipmentEffects();
}

// The equip position of the first worn item the test accepts, 0 for none.
template <class Test>
int WornPosition(const CCharData* data, Test test) {
    if (data)
        for (int p = 1; p <= MAX_EQUIP_POSITION; ++p)
            if (data->m_items[p] && test(*data->m_items[p])) return p;
    return 0;
}

bool CCharController::TakeOffById(uint32_t itemId) {
    return TakeOffByEquipSlot(WornPosition(
        m_pData.get(), [itemId](const CItemObject& item) { return item.GetItemId() == itemId; }));
}

bool CCharController::TakeOffBySlot(int32_t slot) {
    return TakeOffByEquipSlot(
        WornPosition(m_pData.get(), [slot](const CItemObject& item) { return item.GetSlotIndex() == slot; }));
}

bool CCharController::TakeOffByEquipSlot(int position) {
    if (!m_pData || position < 1 || position > MAX_EQUIP_POSITION || !m_pData->m_items[position])
        return false;
    TakeOff(position);
    return true;
}

bool CCharController::DropByRef(CItemObject* item, int32_t x, int32_t y) {
    if (!item || !m_pData) return false;
    CSlotObjectMgr* container = m_pData->Container();
    bool held = container && container->FindByItemId(item->GetItemId()) == item;
    for (int p = 1; !held && p <= MAX_EQUIP_POSITION; ++p) held = m_pData->m_items[p].get() == item;
    return held && DropItem(item, x, y);
}

bool CCharController::UseEffectItem(uint32_t itemId, uint32_t remainingMs) {
    std::unique_ptr<CItemObject> item(g_pItemTableMgr ? g_pItemTableMgr->MakeItem(itemId) : nullptr);
    if (!item || !m_pData) return false;
    const uint8_t position = item->GetByte41();
    if (position == 0 || position > MAX_EQUIP_POSITION) return false;
    item->SetState(24);
    item->SetSlotIndex(TimedSlotOfPosition(position));
    item->SetAuxValue(2);
    TakeOff(position);
    CItemObject* worn = item.get();
    m_pData->m_items[position] = std::move(item);
    m_timedLeft.push_back(remainingMs);
    m_timedItems.push_back(worn);
    RefreshEquipmentEffects();
    return true;
}

void CCharController::RebuildTimedItems() {
    if (!m_pData || m_rebuilding) return;
    m_rebuilding = 1;
    // The worn items come off the old look, the timed ones with what they had left...
    struct WornItem {
        int position;
        std::unique_ptr<CItemObject> item;
        bool timed;
        uint32_t left;
    };
    std::vector<WornItem> worn;
    for (int p = 1; p <= MAX_EQUIP_POSITION; ++p) {
        if (!m_pData->m_items[p]) continue;
        WornItem w{p, std::move(m_pData->m_items[p]), false, 0};
        for (size_t i = 0; i < m_timedItems.size(); ++i)
            if (m_timedItems[i] == w.item.get()) {
                w.timed = true;
                w.left = m_timedLeft[i];
            }
        worn.push_back(std::move(w));
    }
    m_timedItems.clear();
    m_timedLeft.clear();
    if (ICharEffectList* effects = m_pOwner ? m_pOwner->GetEffects() : nullptr)
        for (const auto& [key1, key2] : m_equipEffects) effects->RemoveEffect(key1, key2);
    m_equipEffects.clear();
    // ...and go on again.
    for (WornItem& w : worn) {
        if (w.timed) {
            m_timedItems.push_back(w.item.get());
            m_timedLeft.push_back(w.left);
        }
        m_pData->m_items[w.position] = std::move(w.item);
    }
    m_rebuilding = 0;
    RefreshEquipmentEffects();
}

void CCharController::RefreshEquipmentEffects() {
    if (!m_pData || m_rebuilding) return;
    ComputeSetBonuses(*m_pData);

    if (ICharEffectList* effects = m_pOwner ? m_pOwner->GetEffects() : nullptr) {
        struct Wanted {
            std::pair<uint32_t, uint32_t> key;
            uint16_t animation, motion;
            uint8_t direction;
        };
        std::vector<Wanted> wanted;
        for (int p = 1; p <= MAX_EQUIP_POSITION; ++p) {
            const CItemObject* item = m_pData->m_items[p].get();
            Wanted w{};
            if (!item || !item->GetResourceRef44(&w.animation, &w.motion, &w.direction) || w.animation == 0 ||
                w.animation == NO_ANIMATION)
                continue;
            w.key = {item->GetItemId() + EQUIP_EFFECT_KEY_BASE, uint32_t(p)};
            wanted.push_back(w);
        }
        // The effects of items no longer worn go; those of new ones come.
        for (const auto& key : m_equipEffects)
            if (std::none_of(wanted.begin(), wanted.end(), [&](const Wanted& w) { return w.key == key; }))
                effects->RemoveEffect(key.first, key.second);
        m_equipEffects.clear();
        for (const Wanted& w : wanted) {
            if (!effects->HasEffect(w.key.first, w.key.second))
                effects->AddEffect(w.key.first, w.key.second, EQUIP_EFFECT_KIND, w.animation, w.motion,
                                   w.direction);
            if (effects->HasEffect(w.key.first, w.key.second)) m_equipEffects.push_back(w.key);
        }
    }

    // The user's own character's equipment windows, those there are.
    CCharAction* action = Action();
    if (action && m_pOwner && g_pCharMgr && g_pCharMgr->GetPlayer() == m_pOwner)
        for (int slot : {HUD_CHAR_INFO, HUD_EQUIP})
            if (auto* display = dynamic_cast<IEquipmentDisplay*>(action->HudWindow(slot)))
                display->RefreshEquipment();
}

void CCharController::UpdateController(uint32_t elapsedMs) {
    ProcessMessages();
    if (m_pHolder) m_pHolder->Update();
    if (CAniObject* ani = m_pOwner ? m_pOwner->GetAniObject() : nullptr) {
        uint8_t roof = 0;
        if (g_pMap && g_pMap->GetMapData())
            if (MapCell* cell = g_pMap->GetMapData()->GetCell(m_pOwner->m_x / 96, m_pOwner->m_y / 48))
                roof = (cell->m_attributes & CELL_UNDER_ROOF) ? 1 : 0;
        ani->SetFlag126(roof);
    }
    for (size_t i = 0; i < m_timedItems.size();) {
        if (m_timedLeft[i] <= elapsedMs) {
            CItemObject* item = m_timedItems[i];
            m_timedItems.erase(m_timedItems.begin() + std::ptrdiff_t(i));
            m_timedLeft.erase(m_timedLeft.begin() + std::ptrdiff_t(i));
            for (auto& worn : m_pData->m_items)
                if (worn.get() == item) worn.reset();
            RefreshEquipmentEffects();
            continue;
        }
        m_timedLeft[i] -= elapsedMs;
        ++i;
    }
}

bool CCharController::ProcessMessages() {
    CMsgPort* port = m_pOwner ? m_pOwner->GetPort() : nullptr;
    if (!port) return true;
    VisitMessages(port->Messages(), [this](CMsg* msg) {
        if (!HandleEvent(msg->m_senderId, msg->m_eventId, msg->m_pPayload.get())) return false;
        ReportIfUnread(msg->m_pPayload.get(), "character controller");
        return true;
    });
    return true;
}

bool CCharController::HandleEvent(uint32_t, uint32_t eventId, CMsgData* payload) {
    CCharData* data = m_pData.get();
    switch (eventId) {
        case MSG_STATUS_BLOCK:
            if (auto* block = ReadRecord<CStatusBlockMsg>(payload)) {
                uint32_t* v = data->m_values;
                data->m_flags[1] = block->m_flags & 0x01;
                if (block->m_flags & 0x02) {
                    for (int k = 0; k < 4; ++k) v[k] = block->m_group02[k];
                    v[4] = block->m_group02Word;
                }
                if (block->m_flags & 0x04)
                    for (int k = 0; k < 7; ++k) v[5 + k] = block->m_group04[k];
                if (block->m_flags & 0x08) {
                    data->m_stance = block->m_group08Byte;
                    for (int k = 0; k < 3; ++k) v[12 + k] = block->m_group08[k];
                }
                if (block->m_flags & 0x10) {
                    for (int k = 0; k < 8; ++k) v[15 + k] = block->m_group10Words[k];
                    if (v[23] != block->m_group10Byte) v[23] = block->m_group10Byte;
                    v[24] = block->m_group10Value;
                }
                if (block->m_flags & 0x20)
                    for (int k = 0; k < 7; ++k) v[25 + k] = block->m_group20Words[k];
                if (block->m_flags & 0x40) {
                    v[32] = block->m_group40[0];
                    v[33] = block->m_group40[1];
                    v[34] = block->m_group40Words[0];
                    v[35] = block->m_group40Words[1];
                }
                if (Action()) Action()->CheckStance();
            }
            return true;
        case CHAR_EVENT_CHANNEL:
            // Only a set flag ends the channel.
            if (auto* record = ReadRecord<CPlayerFlagMsg>(payload); record && record->m_flag) {
                data->m_channel = -1;
                data->m_channelValue = 0;
            }
            return true;
        case MSG_CANCEL_SKILL:
            ReadRecord<CCancelSkillMsg>(payload);
            m_pendingSkill = 0;
            data->m_pendingTarget = -1;
            if (data->m_motion != MOTION_SKILL && m_pHolder) {
                m_pHolder->ClearPending();
                if (Action()) Action()->Reset();
            }
            return true;
        case CHAR_EVENT_FOLLOW_CLEAR:
            ReadRecord<CMsgPayload>(payload);
            m_followSource = 0;
            return true;
        case MSG_TARGET_TEXT:
            if (auto* status = ReadRecord<CTargetTextMsg>(payload)) {
                // One entry per status, in a list of bounded size.
                std::vector<uint32_t>& list = data->m_buffs[0];
                if (list.size() < MAX_BUFF_ENTRIES &&
                    std::find(list.begin(), list.end(), status->m_d) == list.end())
                    list.push_back(status->m_d);
            }
            return true;
        case MSG_THREE_VALUES:
            if (auto* status = ReadRecord<CThreeValuesMsg>(payload)) {
                for (auto& list : data->m_buffs) std::erase(list, status->m_b);
                data->StatusRemoved(status->m_b);
            }
            return true;
        case MSG_ID_ARRAY:
            if (auto* ids = ReadRecord<CIdArrayMsg>(payload)) {
                const size_t n = std::min<size_t>(ids->m_count, ids->m_ids.size());
                std::vector<uint32_t> list(ids->m_ids.begin(), ids->m_ids.begin() + std::ptrdiff_t(n));
                if (list != data->m_listA) {
                    data->m_listA = std::move(list);
                    if (m_pOwner && g_pCharMgr && g_pCharMgr->GetPlayer() == m_pOwner) RebuildSkillWindow();
                }
            }
            return true;
        case MSG_ID_VALUE_ARRAY:
            if (auto* pairs = ReadRecord<CIdValueArrayMsg>(payload)) {
                const size_t n =
                    std::min({size_t(pairs->m_count), pairs->m_ids.size(), pairs->m_values.size()});
                std::vector<uint32_t> ids(pairs->m_ids.begin(), pairs->m_ids.begin() + std::ptrdiff_t(n));
                std::vector<uint16_t> values(pairs->m_values.begin(),
                                             pairs->m_values.begin() + std::ptrdiff_t(n));
                if (ids != data->m_listB || values != data->m_listBValues) {
                    data->m_listB = std::move(ids);
                    data->m_listBValues = std::move(values);
                    if (m_pOwner && g_pCharMgr && g_pCharMgr->GetPlayer() == m_pOwner) RebuildSkillWindow();
                }
            }
            return true;
        case CHAR_EVENT_ITEM:
            if (auto* record = ReadRecord<CCharItemMsg>(payload)) {
                std::unique_ptr<CItemObject> item(
                    g_pItemTableMgr ? g_pItemTableMgr->MakeItem(record->m_itemId) : nullptr);
                if (item) {
                    item->SetSecondIds(record->m_secondId, record->m_value);
                    Equip(std::move(item));
                }
            }
            return true;
        case CHAR_EVENT_TAKE_OFF:
            // The equip position whose item comes off.
            if (auto* record = ReadRecord<CItemValueMsg>(payload)) TakeOff(int(record->m_value));
            return true;
        case CHAR_EVENT_DASH:
            if (!m_ready) return false;
            if (auto* record = ReadRecord<CCharValueMsg>(payload); record && Action())
                Action()->Dash(int32_t(record->m_x), int32_t(record->m_y));
            return true;
        case CHAR_EVENT_PICK_UP:
            if (auto* record = ReadRecord<CCharValueMsg>(payload); record && m_pHolder)
                m_pHolder->AppendStep(std::make_unique<CPickUpStep>(m_pHolder.get(), record->m_value));
            return true;
        case CHAR_EVENT_MOVE:
            if (!m_ready) return false;
            m_moving = 0;
            if (auto* record = ReadRecord<CCharMoveMsg>(payload)) ApplyMove(*record);
            return true;
        case CHAR_EVENT_MOVE_ORDER:
            if (!m_ready) return false;
            if (auto* record = ReadRecord<CCharMoveOrder>(payload))
                ApplyMoveOrder(int32_t(record->m_tileX), int32_t(record->m_tileY));
            return true;
        case MSG_CHAR_STATE_73:
        case MSG_CHAR_STATE_74:
        case MSG_CHAR_STATE_75:
            if (!m_ready) return false;
            if (auto* record = ReadRecord<CCharStateMsg>(payload)) ApplyFollow(eventId, *record);
            return true;
        case CHAR_EVENT_SPEED:
            if (auto* record = ReadRecord<CCharValueMsg>(payload)) {
                data->m_runSwitch = (record->m_value & 0x80) ? 1 : 0;
                data->m_curSpeed = float(record->m_value & 0x7F) * 0.001f;
            }
            return true;
        case MSG_SKILL_ACTION:
            if (auto* record = ReadRecord<CSkillActionMsg>(payload); record && Action())
                Action()->BeginSkillUse(*record, true);
            return true;
        case MSG_SKILL_HIT:
            if (auto* record = ReadRecord<CSkillHitMsg>(payload); record && Action()) {
                m_pendingSkill = 0;
                data->m_pendingTarget = -1;
                if (m_pHolder) m_pHolder->ClearPending();
                // A caster far from where the server saw it moves there.
                if (m_pOwner && (std::abs(int64_t(record->m_x) - m_pOwner->m_cellX) > OWN_JUMP_TILES ||
                                 std::abs(int64_t(record->m_y) - m_pOwner->m_cellY) > OWN_JUMP_TILES))
                    m_pOwner->SetPosition(int32_t(record->m_x * 24), int32_t(record->m_y * 12), 0);
                for (size_t n = 0; n < record->m_targetCount && n < CSkillHitMsg::MAX_TARGETS; ++n)
                    if (g_pCharMgr && !g_pCharMgr->GetChar(record->m_targetIds[n]))
                        CharRequests().SendCharInfoRequest(record->m_targetIds[n]);
                Action()->HandleHitRecord(std::make_unique<CSkillHitMsg>(*record));
            }
            return true;
        case 47:  // an inventory item
            AddItemFromPayload(payload);
            return true;
        case MSG_ITEM_VALUE_48:  // the bag slot's item went away (worn, used up, moved)
            if (auto* record = ReadRecord<CItemValueMsg>(payload)) {
                data->m_itemMode = record->m_value;
                if (CSlotObjectMgr* container = m_pData->Container();
                    container && container->GetSlot(record->m_value)) {
                    container->RemoveBySlot(int32_t(record->m_value));
                    RefreshInventoryWindow();
                }
            }
            return true;
        case MSG_STORED_ITEM:
            if (auto* record = ReadRecord<CStoredItemMsg>(payload)) PutIntoDepositWindow(*record);
            return true;
        case MSG_ITEM_VALUE_53:
            if (auto* record = ReadRecord<CItemValueMsg>(payload)) RefreshDepositWindow(record->m_value);
            return true;
        case MSG_COMBO_TARGET:
            if (auto* combo = ReadRecord<CComboTargetMsg>(payload))
                data->SetComboValue(int32_t(combo->m_b), combo->m_c);
            return true;
        case MSG_COMBO_LIST:
            // (combo, value) pairs.
            if (auto* list = ReadRecord<CComboListMsg>(payload))
                for (size_t n = 0; n < list->m_count && n < CComboListMsg::MAX_PAIRS; ++n)
                    data->SetComboValue(int32_t(list->m_first[n]), list->m_second[n]);
            return true;
        case MSG_ITEM_PAIR:
            if (auto* pair = ReadRecord<CItemPairMsg>(payload)) data->m_itemPairValue = pair->m_b;
            return true;
        default:
            // The rest (including those of the skill and item steps) are dropped unhandled.
            return true;
    }
}

// ---- Walking orders ----

void CCharController::ApplyMove(const CCharMoveMsg& msg) {
    if (!m_pHolder) return;
    if (msg.m_direct) {
        if (Action()) Action()->MoveTo(int32_t(msg.m_x), int32_t(msg.m_y));
        return;
    }
    m_pHolder->ClearPending();
    if (msg.m_follow)
        m_pHolder->AppendStep(
            std::make_unique<CWalkStep>(m_pHolder.get(), msg.m_targetId, 0, msg.m_distance, 0, false));
    else
        m_pHolder->AppendStep(
            std::make_unique<CWalkStep>(m_pHolder.get(), int32_t(msg.m_x), int32_t(msg.m_y), 0));
}

void CCharController::ApplyMoveOrder(int32_t tileX, int32_t tileY) {
    if (!m_pHolder) return;
    m_pHolder->ClearPending();
    m_pHolder->AppendStep(std::make_unique<CWalkStep>(m_pHolder.get(), tileX, tileY, 0));
}

void CCharController::ApplyFollow(uint32_t eventId, const CCharStateMsg& msg) {
    // 73 and 75 name a character that starts keeping away from the player or
    // stops following; 74 names one that follows this character.
    const uint32_t namedId = eventId == MSG_CHAR_STATE_74 ? msg.m_value : msg.m_charId;
    CChar* named = g_pCharMgr ? g_pCharMgr->GetChar(namedId) : nullptr;
    CCharController* controller = named ? named->GetController() : nullptr;
    if (!controller || !controller->m_pHolder) {
        CharRequests().SendCharLookup(namedId);
        return;
    }
    CCharData* data = controller->m_pData.get();
    controller->m_pHolder->ClearPending();
    if (eventId == MSG_CHAR_STATE_75) {
        data->m_followFlags[0] = data->m_followFlags[1] = 0;
        return;
    }
    const bool follows = eventId == MSG_CHAR_STATE_74;
    CChar* player = g_pCharMgr->GetPlayer();
    const uint32_t leader =
        follows ? (m_pOwner ? m_pOwner->GetCharId() : 0) : (player ? player->GetCharId() : 0);
    data->m_followFlags[follows ? 0 : 1] = 1;
    controller->m_followSource = leader;
    auto step = std::make_unique<CWalkStep>(controller->m_pHolder.get(), leader, 0, 0, 0, !follows);
    step->SetPeriod(STEP_PERIOD_MS);
    controller->m_pHolder->AppendStep(std::move(step));
}
