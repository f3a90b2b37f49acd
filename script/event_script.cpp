#include "script/event_script.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>

#include "anim/ani_object.h"
#include "core/byte_source.h"
#include "core/error_box.h"
#include "net/handlers/char_records.h"
#include "platform/clock.h"
#include "script/event_mgr.h"
#include "script/event_selection_window.h"
#include "script/event_services.h"
#include "script/event_talk_window.h"
#include "ui/window_mgr.h"
#include "world/chars/char.h"
#include "world/chars/char_controller.h"
#include "world/chars/char_mgr.h"
#include "world/map/map.h"
#include "world/map/speech_data.h"
#include "world/map/stage_data.h"

namespace {

void PutText(uint8_t* out, const std::string& text, size_t field) {
    std::memcpy(out, text.data(), std::min(text.size(), field - 1));
}

std::string GetText(const uint8_t* in, size_t field) {
    return std::string(reinterpret_cast<const char*>(in),
                       strnlen(reinterpret_cast<const char*>(in), field - 1));
}

}  // namespace

// ---- Choice record ----

std::array<uint8_t, EVENT_CHOICE_SIZE> EventChoiceRecord::Pack() const {
    std::array<uint8_t, EVENT_CHOICE_SIZE> out{};
    out[0] = deciding;
    PutText(&out[1], file, EVENT_FILE_NAME_SIZE);
    PutText(&out[101], function, EVENT_FUNCTION_FIELD);
    StoreU32Le(&out[168], selection);
    StoreU16Le(&out[172], typeIndex);
    StoreU32Le(&out[176], charId);
    StoreU32Le(&out[180], position);
    StoreU32Le(&out[184], value);
    return out;
}

bool EventChoiceRecord::Unpack(const uint8_t* bytes, size_t length, EventChoiceRecord& out) {
    if (!bytes || length != EVENT_CHOICE_SIZE) return false;
    out.deciding = bytes[0];
    out.file = GetText(&bytes[1], EVENT_FILE_NAME_SIZE);
    out.function = GetText(&bytes[101], EVENT_FUNCTION_FIELD);
    out.selection = LoadU32Le(&bytes[168]);
    out.typeIndex = LoadU16Le(&bytes[172]);
    out.charId = LoadU32Le(&bytes[176]);
    out.position = LoadU32Le(&bytes[180]);
    out.value = LoadU32Le(&bytes[184]);
    return true;
}

// ---- Function ----

CEventFunction::CEventFunction(CEventScript* owner, std::string name)
    : m_name(std::move(name)), m_pOwner(owner) {}

CEventFunction::~CEventFunction() = default;

void CEventFunction::Start() {
    m_active.clear();
    m_dropped.clear();
    m_next = 0;
}

void CEventFunction::Stop() {
    m_active.clear();
    m_dropped.clear();
    m_next = -1;
}

void CEventFunction::DropActive(CEventCommand* command) {
    m_dropped.push_back(command);
}

bool CEventFunction::Update() {
    if (m_next == -1) return false;
    const uint8_t skip = m_pOwner && m_pOwner->IsSkipRequested() ? 1 : 0;
    bool blocked = false;
    // A command may take others (or itself) off the list while it runs; the
    // walk goes over what was listed at its start.
    const std::vector<CEventCommand*> walk = m_active;
    for (CEventCommand* command : walk) {
        if (std::find(m_active.begin(), m_active.end(), command) == m_active.end()) continue;
        if (std::find(m_dropped.begin(), m_dropped.end(), command) != m_dropped.end()) continue;
        if (!command->Execute(skip)) std::erase(m_active, command);
        if (!command->TryFinish()) blocked = true;
    }
    for (CEventCommand* command : m_dropped) std::erase(m_active, command);
    m_dropped.clear();
    if (m_next == -1) return false;  // a command stopped the function
    if (!blocked) {
        while (m_next >= 0 && size_t(m_next) < m_commands.size()) {
            CEventCommand* command = m_commands[size_t(m_next)].get();
            ++m_next;
            command->ResetState();
            m_active.push_back(command);
            if (!command->TryFinish()) break;
        }
    }
    return !(m_active.empty() && size_t(m_next) >= m_commands.size());
}

bool CEventFunction::Draw() {
    for (CEventCommand* command : m_active) command->Draw();
    return true;
}

// ---- Event ----

CEventScript::CEventScript() = default;

CEventScript::~CEventScript() {
    CEventScript::Release();
}

bool CEventScript::Release() {
    ClearObjects();
    m_functions.clear();
    m_running = -1;
    m_pStage.reset();
    m_pSpeech.reset();
    return true;
}

void CEventScript::ClearObjects() {
    m_created.clear();
    m_objects.clear();
    IEventSounds* sounds = GetEventSounds();
    for (const EventSound& s : m_sounds)
        if (sounds && s.handle) sounds->ReleaseSound(s.handle);
    m_sounds.clear();
}

bool CEventScript::LoadFile(uint8_t kind, const char* name, const std::string& path) {
    std::vector<uint8_t> bytes;
    if (ReadMapDataFile(path, bytes) != MapDataRead::Read) {
        ReportEventError(kind == EVENT_VISUAL ? 20 : 21, {name});
        return false;
    }
    CMemorySource source(bytes, path);
    EventFileData data;
    EventFileError error;
    if (!ReadEventFile(source, kind == EVENT_VISUAL, data, &error)) {
        if (error.row == 14 || error.row == 15)
            ReportEventError(error.row, {error.code, int(error.index), error.function, name});
        ReportEventError(kind == EVENT_VISUAL ? 20 : 21, {name});
        return false;
    }
    m_path = path;
    return LoadData(kind, name, data);
}

bool CEventScript::LoadData(uint8_t kind, const char* name, const EventFileData& data) {
    Release();
    m_kind = kind;
    std::memset(m_fileName, 0, sizeof m_fileName);
    std::strncpy(m_fileName, name ? name : "", sizeof m_fileName - 1);
    m_flag = data.flag;
    const bool visual = kind == EVENT_VISUAL;
    for (const EventFunctionData& f : data.functions) {
        auto function = std::make_unique<CEventFunction>(this, f.name);
        for (size_t i = 0; i < f.commands.size(); ++i) {
            const EventCommandData& c = f.commands[i];
            const int commandKind = EventCommandKind(c.code, visual);
            std::unique_ptr<CEventCommand> command =
                commandKind < 0 ? nullptr : MakeEventCommand(commandKind, !visual && c.code == 919);
            if (!command) {
                ReportEventError(14, {unsigned(c.code), int(i), f.name, m_fileName});
                Release();
                return false;
            }
            if (!command->Load(c, function.get())) {
                ReportEventError(15, {unsigned(c.code), int(i), f.name, m_fileName});
                Release();
                return false;
            }
            command->SetIndex(int32_t(i));
            function->Commands().push_back(std::move(command));
        }
        m_functions.push_back(std::move(function));
    }
    return true;
}

void CEventScript::SetStage(std::unique_ptr<CStageData> stage, int32_t number) {
    m_pStage = std::move(stage);
    m_stageNumber = number;
}

void CEventScript::SetSpeech(std::unique_ptr<CSpeechData> speech) {
    m_pSpeech = std::move(speech);
}

CEventFunction* CEventScript::Running() const {
    return m_running >= 0 && size_t(m_running) < m_functions.size() ? m_functions[size_t(m_running)].get()
                                                                    : nullptr;
}

CEventFunction* CEventScript::FindFunction(const std::string& name) const {
    for (const auto& f : m_functions)
        if (f->GetName() == name) return f.get();
    return nullptr;
}

bool CEventScript::StartFunction(const std::string& name) {
    int32_t found = -1;
    for (size_t i = 0; i < m_functions.size(); ++i)
        if (m_functions[i]->GetName() == name) {
            found = int32_t(i);
            break;
        }
    if (found < 0) {
        ReportEventError(16, {m_fileName, name});
        return false;
    }
    StopFunction();
    m_running = found;
    m_functions[size_t(found)]->Start();
    return true;
}

void CEventScript::StopFunction() {
    if (CEventFunction* f = Running()) f->Stop();
    m_running = -1;
}

void CEventScript::ResetForRestart() {
    for (const auto& f : m_functions)
        for (const auto& c : f->Commands()) c->ResetState();
    if (m_selection.waiting)
        if (CEventSelectionWindow* window = SelectionWindow()) window->CloseSelection();
    m_selection.waiting = false;
    m_skipEnabled = m_skipRequested = false;
    m_jumpPending = false;
    m_jumpName.clear();
}

void CEventScript::RequestJump(const char* name) {
    m_jumpPending = true;
    m_jumpName = name ? name : "";
}

CChar* CEventScript::LeadCharacter() const {
    if (IsVisual()) return g_pEventMgr ? g_pEventMgr->GetLeadChar() : nullptr;
    return g_pCharMgr ? g_pCharMgr->GetPlayer() : nullptr;
}

bool CEventScript::Update() {
    if (!m_setUpDone && !SetUpStage()) return true;
    UpdateObjects();
    if (m_jumpPending) {
        const std::string name = m_jumpName;
        m_jumpPending = false;
        m_jumpName.clear();
        StopFunction();
        if (!StartFunction(name)) return true;
    }
    if (m_selection.waiting) {
        HandleSelection();
        return true;
    }
    if (m_barsRunning) UpdateBars();
    CEventFunction* f = Running();
    // False once the function has ended (nothing runs, nothing is left to
    // start and no jump waits).
    return !f || f->Update() || m_jumpPending;
}

bool CEventScript::Draw() {
    if (CEventFunction* f = Running()) f->Draw();
    return true;
}

// ---- Stage, objects, bars ----

bool CEventScript::SetUpStage() {
    if (!IsVisual()) {
        if (CChar* player = g_pCharMgr ? g_pCharMgr->GetPlayer() : nullptr) {
            m_playerId = player->GetCharId();
            m_playerType = uint16_t(GetCharTypeIndex(player->m_resourceId));
        }
        m_setUpDone = true;
        return true;
    }
    // A visual event plays on its own stage, with the player as its lead.
    if (!m_stageMapLoaded) {
        if (g_pMap && m_pStage) {
            // The map keeps a copy of its own.
            auto copy = std::make_unique<CStageData>();
            copy->Create();
            if (LoadStageFile(*copy, m_stageNumber, true)) g_pMap->LoadMapFiles(std::move(copy));
        }
        FocusStage();
        m_stageMapLoaded = true;
    }
    if (!m_stageCharsPlaced) {
        CChar* lead = TakeLeadCharacter();
        if (!lead || !g_pCharMgr) return false;
        FocusStage();
        g_pCharMgr->RemoveAllChars(false);
        g_pCharMgr->SetPlayerChar(nullptr);
        if (!g_pCharMgr->AddCharObject(lead)) g_pCharMgr->DetachChild(lead);
        bool leadPlaced = false;
        CStageData* stage = m_pStage.get();
        const int32_t chars = stage ? stage->GetRecordCount(1) : 0;
        for (int32_t r = 0; r < chars; ++r) {
            uint16_t ani = 0, motion = 0;
            uint8_t direction = 0;
            stage->GetAniRef(&ani, &motion, &direction, 1, 2, r);
            if (motion == 10000 || stage->GetByte(1, 4, r) == 0) continue;
            int32_t x = 0, y = 0;
            stage->GetPoint(1, 5, r, &x, &y);
            lead->SetPosition(x * 24, y * 12, 0);
            lead->SetDirection(direction);
            if (CAniObject* sprite = lead->GetAniObject()) sprite->SetMotion(uint8_t(motion));
            leadPlaced = true;
        }
        if (!leadPlaced) g_pCharMgr->DetachChild(lead);
        const int32_t npcs = stage ? stage->GetRecordCount(2) : 0;
        for (int32_t r = 0; r < npcs; ++r) {
            uint16_t ani = 0, motion = 0;
            uint8_t direction = 0;
            stage->GetAniRef(&ani, &motion, &direction, 2, 2, r);
            if (motion == 10000) continue;
            CObjectAppearMsg msg;
            CObjectAppearFields fields;
            fields.m_charId = stage->GetWord(2, 0, r);
            fields.m_resourceId = stage->GetDword(2, 1, r);
            fields.m_direction = direction;
            int32_t x = 0, y = 0;
            stage->GetPoint(2, 5, r, &x, &y);
            fields.m_tileX = uint32_t(std::max(0, x));
            fields.m_tileY = uint32_t(std::max(0, y));
            msg.Set(fields);
            CChar* npc = g_pCharMgr->AddOrUpdateNpc(msg);
            if (!npc) continue;
            if (CAniObject* sprite = npc->GetAniObject()) {
                sprite->SetMotion(uint8_t(motion));
                sprite->SetDirection(direction);
                sprite->Play(stage->GetByte(2, 4, r) != 0);
            }
        }
        const int32_t objects = stage ? stage->GetRecordCount(3) : 0;
        for (int32_t r = 0; r < objects; ++r) {
            uint16_t ani = 0, motion = 0;
            uint8_t direction = 0;
            stage->GetAniRef(&ani, &motion, &direction, 3, 1, r);
            int32_t x = 0, y = 0;
            stage->GetPoint(3, 3, r, &x, &y);
            AddEventObject(stage->GetWord(3, 0, r), ani, uint8_t(motion), direction, x, y);
        }
        const int32_t sounds = stage ? stage->GetRecordCount(4) : 0;
        for (int32_t r = 0; r < sounds; ++r) {
            EventSound fields;
            fields.number = stage->GetWord(4, 0, r);
            fields.positioned = stage->GetByte(4, 3, r);
            stage->GetPoint(4, 4, r, &fields.cellX, &fields.cellY);
            fields.level = stage->GetByte(4, 6, r);
            fields.repeat = stage->GetByte(4, 7, r) == 0 ? 1 : 0;
            fields.pauseRange = stage->GetByte(4, 8, r);
            AddEventSound(fields, stage->GetWord(4, 1, r));
        }
        m_stageCharsPlaced = true;
    }
    m_setUpDone = true;
    return true;
}

void CEventScript::FocusStage() {
    if (!m_pStage || !g_pMap || !g_pMap->GetMapData()) return;
    int32_t x = 0, y = 0;
    m_pStage->GetPoint(0, 4, 0, &x, &y);
    const float fx = float(x * 96), fy = float(y * 48);
    g_pMap->GetMapData()->SetFocus(fx, fy);
    g_pMap->PlaceCamera(fx, fy);
}

CChar* CEventScript::TakeLeadCharacter() {
    if (!g_pEventMgr) return nullptr;
    if (CChar* lead = g_pEventMgr->GetLeadChar()) return lead;
    CChar* player = g_pCharMgr ? g_pCharMgr->GetPlayer() : nullptr;
    if (!player) return nullptr;
    m_playerId = player->GetCharId();
    m_playerType = uint16_t(GetCharTypeIndex(player->m_resourceId));
    g_pCharMgr->SetPlayerChar(nullptr);
    g_pCharMgr->DetachChild(player);
    player->DestroyHudWindows();
    player->SetCharId(EVENT_LEAD_ID);
    player->m_localPlayer = 0;
    player->m_isPlayer = 0;
    g_pEventMgr->SetLeadChar(player);
    return player;
}

bool CEventScript::AddEventObject(uint32_t id, uint16_t animation, uint8_t motion, uint8_t direction,
                                  int32_t x, int32_t y) {
    if (FindEventObject(id)) return false;
    auto object = std::make_unique<CAniObject>();
    if (!object->SetAnimation(animation)) return false;
    object->SetMotion(motion);
    object->SetDirection(direction);
    object->SetUnderlay(true);
    object->Play(true);
    object->SetMapPosition(x * 24, y * 12, 0);
    EventObject entry;
    entry.id = id;
    entry.object = std::move(object);
    m_objects.push_back(std::move(entry));
    return true;
}

void CEventScript::Teardown() {
    if (!m_setUpDone) return;
    if (g_pWindowMgr)
        if (auto* talk =
                dynamic_cast<CEventTalkWindow*>(g_pWindowMgr->FindWindowByName(EVENT_TALK_WINDOW_NAME)))
            talk->Close();
    if (IEventEffects* effects = GetEventEffects()) effects->Stop(EVENT_SURFACE);
    if (!IsVisual()) {
        if (g_pCharMgr)
            if (CChar* player = g_pCharMgr->GetChar(m_playerId)) g_pCharMgr->SetPlayerChar(player);
    } else {
        if (g_pMap) g_pMap->Release();
        if (g_pCharMgr) g_pCharMgr->RemoveAllChars(true);
        ClearObjects();
    }
    m_setUpDone = false;
    m_stageMapLoaded = m_stageCharsPlaced = false;
}

void CEventScript::SetFieldCharsOn(bool on) {
    if (!g_pCharMgr) return;
    for (CCharMgr::ChildNode* n = g_pCharMgr->Children().First(); n != g_pCharMgr->Children().End();
         n = n->m_pNext)
        if (auto* c = dynamic_cast<CChar*>(static_cast<CMsgObject*>(n->m_pData))) {
            c->SetDrawOn(on);
            if (CCharController* controller = c->GetController()) controller->SetUpdateOn(on);
        }
}

EventCreatedObject* CEventScript::FindCreated(uint32_t id) {
    for (EventCreatedObject& o : m_created)
        if (o.id == id) return &o;
    return nullptr;
}

EventObject* CEventScript::FindEventObject(uint32_t id) {
    for (EventObject& o : m_objects)
        if (o.id == id) return &o;
    return nullptr;
}

bool CEventScript::StartMove(uint32_t id, float speed, float acceleration, int32_t targetX, int32_t targetY) {
    EventCreatedObject* o = FindCreated(id);
    if (!o || !o->object) return false;
    o->moving = 1;
    o->speed = speed;
    o->acceleration = acceleration;
    o->moveStart = plat::timeGetTime();
    o->targetX = targetX;
    o->targetY = targetY;
    if (o->screen) {
        o->startX = o->object->m_screenX;
        o->startY = o->object->m_screenY;
    } else {
        o->startX = int32_t(o->object->m_mapX);
        o->startY = int32_t(o->object->m_mapY);
    }
    return true;
}

namespace {

// The distance a move has covered after t ms: the speed of each started
// 33-ms step, the acceleration added after each; at least 0.1.
float MoveDistance(uint32_t t, float speed, float acceleration) {
    const uint32_t steps = (t + EVENT_STEP_MS - 1) / EVENT_STEP_MS;
    float distance = 0;
    for (uint32_t i = 0; i < steps && i < 1000000; ++i) {
        distance += speed;
        speed += acceleration;
    }
    return std::max(distance, 0.1f);
}

}  // namespace

void CEventScript::MoveCreatedObjects() {
    const uint32_t now = plat::timeGetTime();
    for (EventCreatedObject& o : m_created) {
        if (!o.moving || !o.object) continue;
        const float distance = MoveDistance(now - o.moveStart, o.speed, o.acceleration);
        float sx = float(o.startX), sy = float(o.startY), tx = float(o.targetX), ty = float(o.targetY);
        if (!o.screen) {
            // Map pixels and cells to the screen points the map draws them at.
            const int32_t cx = o.startX / 24, cy = o.startY / 12;
            sx = float((cx + cy) * 12);
            sy = float((cy - cx) * 6);
            tx = float((o.targetX + o.targetY) * 12);
            ty = float((o.targetY - o.targetX) * 6);
        }
        const float dx = tx - sx, dy = ty - sy;
        const float whole = std::sqrt(dx * dx + dy * dy);
        if (distance >= whole) {
            o.moving = 0;
            if (o.screen)
                o.object->SetScreenPosition(o.targetX, o.targetY, 0);
            else
                o.object->SetMapPosition(o.targetX * 24, o.targetY * 12, 0);
            continue;
        }
        const float nx = sx + dx / whole * distance, ny = sy + dy / whole * distance;
        if (o.screen)
            o.object->SetScreenPosition(int32_t(std::floor(nx + 0.5f)), int32_t(std::floor(ny + 0.5f)), 0);
        else
            o.object->SetScreenPosition(int32_t(nx), int32_t(ny), 0);
    }
}

void CEventScript::UpdateObjects() {
    for (auto it = m_created.begin(); it != m_created.end();) {
        CAniObject* object = it->object.get();
        if (!object) {
            it = m_created.erase(it);
            continue;
        }
        if (!it->screen && !it->moving)
            object->SetMapPosition(object->m_mapX, object->m_mapY, object->m_mapZ);
        object->Update();
        if (object->m_stopped) {
            ++it->plays;
            if (it->repeat != 0 && it->plays >= it->repeat) {
                it = m_created.erase(it);
                continue;
            }
            object->Play(false);
        }
        ++it;
    }
    MoveCreatedObjects();
    for (EventObject& o : m_objects)
        if (o.object) o.object->Update();
    UpdateSounds();
}

bool CEventScript::AddEventSound(const EventSound& fields, uint32_t soundId) {
    IEventSounds* sounds = GetEventSounds();
    if (!sounds || !sounds->CanPlay() || FindEventSound(fields.number)) return false;
    const uint32_t handle = sounds->StartSound(soundId, fields.positioned != 0);
    if (handle == 0) return false;
    EventSound entry = fields;
    entry.handle = handle;
    entry.plays = 0;
    entry.pause = 0;
    entry.endedAt = 0;
    m_sounds.push_back(entry);
    return true;
}

EventSound* CEventScript::FindEventSound(uint32_t number) {
    for (EventSound& s : m_sounds)
        if (s.number == number) return &s;
    return nullptr;
}

void CEventScript::RemoveEventSound(uint32_t number) {
    IEventSounds* sounds = GetEventSounds();
    std::erase_if(m_sounds, [&](const EventSound& s) {
        if (s.number != number) return false;
        if (sounds) sounds->ReleaseSound(s.handle);
        return true;
    });
}

// Each sound at its level, placed on the field when positioned; one that has
// ended plays again after its pause until its repeat count is used up.
void CEventScript::UpdateSounds() {
    IEventSounds* sounds = GetEventSounds();
    if (!sounds || !g_pMap) return;
    const uint32_t now = plat::timeGetTime();
    for (auto it = m_sounds.begin(); it != m_sounds.end();) {
        EventSound& s = *it;
        if (s.positioned)
            sounds->PlaceAtCell(s.handle, s.cellX, s.cellY, s.level);
        else
            sounds->SetLevel(s.handle, s.level);
        if (s.endedAt == 0 && sounds->IsFinished(s.handle)) {
            ++s.plays;
            if (s.repeat != 0 && s.plays >= s.repeat) {
                sounds->ReleaseSound(s.handle);
                it = m_sounds.erase(it);
                continue;
            }
            s.endedAt = std::max(1u, now);
            s.pause = s.pauseRange ? uint32_t(std::rand()) % s.pauseRange * EVENT_STEP_MS : 0;
        }
        if (s.endedAt != 0 && now - s.endedAt >= s.pause) {
            s.endedAt = 0;
            sounds->Replay(s.handle);
        }
        ++it;
    }
}

void CEventScript::StartBars(bool growing, uint32_t duration) {
    m_barsRunning = true;
    m_barsGrowing = growing;
    m_barsStart = plat::timeGetTime();
    m_barsDuration = duration;
    UpdateBars();
}

void CEventScript::UpdateBars() {
    if (!m_barsRunning) return;
    float p = 1.0f;
    if (m_barsDuration > 0)
        p = std::min(1.0f, float(plat::timeGetTime() - m_barsStart) / float(m_barsDuration));
    m_barHeight = float(m_fullBarHeight) * (m_barsGrowing ? p : 1.0f - p);
    if (p >= 1.0f) m_barsRunning = false;
}

// ---- Selection ----

CEventSelectionWindow* CEventScript::SelectionWindow() const {
    if (!g_pWindowMgr) return nullptr;
    return dynamic_cast<CEventSelectionWindow*>(g_pWindowMgr->FindWindowByName(EVENT_SELECTION_WINDOW_NAME));
}

void CEventScript::BeginSelection(uint8_t mode, uint32_t mask, const char* title, uint32_t number,
                                  uint32_t timeLimit, uint8_t defaultAnswer, uint8_t extra, uint8_t tieRule) {
    CEventSelectionWindow* window = SelectionWindow();
    if (m_selection.waiting && window) window->CloseSelection();
    m_selection = EventSelection{};
    m_selection.begun = true;
    m_selection.mode = mode;
    m_selection.title = title ? title : "";
    m_selection.mask = mask;
    m_selection.number = number;
    m_selection.timeLimit = timeLimit;
    m_selection.defaultAnswer = defaultAnswer;
    m_selection.extra = extra;
    m_selection.tieRule = tieRule;
    std::fill(std::begin(m_selection.votes), std::end(m_selection.votes), EVENT_NONE);
    CChar* lead = LeadCharacter();
    const int32_t ownType = lead ? GetCharTypeIndex(lead->m_resourceId) : -1;
    if (window) window->BeginSelection(mode, m_selection.title.c_str(), mask, extra, this, ownType);
}

bool CEventScript::AddAnswer(const char* text, const char* function) {
    if (m_selection.answers.size() >= EVENT_MAX_ANSWERS) return false;
    const size_t position = m_selection.answers.size();
    m_selection.answers.emplace_back(text ? text : "");
    if (function && function[0]) m_selection.results[position] = function;
    if (CEventSelectionWindow* window = SelectionWindow()) window->AddAnswer(text ? text : "");
    return true;
}

bool CEventScript::SetAnswerAt(int32_t position, const char* text, const char* function) {
    if (position < 0 || size_t(position) >= m_selection.answers.size()) return false;
    m_selection.answers[size_t(position)] = text ? text : "";
    if (function && function[0] && position < EVENT_RESULT_COUNT) m_selection.results[position] = function;
    if (CEventSelectionWindow* window = SelectionWindow())
        window->SetConditionalAnswer(position, text ? text : "");
    return true;
}

void CEventScript::ShowSelection() {
    if (CEventSelectionWindow* window = SelectionWindow()) window->OpenSelection();
    m_selection.waiting = true;
    m_selection.openTime = plat::timeGetTime();
}

void CEventScript::SetResultFunctions(const char* const names[], int count) {
    for (int i = 0; i < EVENT_RESULT_COUNT; ++i)
        m_selection.results[i] = i < count && names[i] ? names[i] : "";
    m_selection.resultFunctions = true;
}

bool CEventScript::SettleSelection() {
    EventSelection& s = m_selection;
    CEventFunction* running = Running();
    CChar* lead = LeadCharacter();
    const uint32_t leadId = lead ? lead->GetCharId() : 0;
    if (g_pEventMgr && running) {
        std::vector<EventChoiceRecord>& records = g_pEventMgr->ChoiceRecords();
        for (auto it = records.begin(); it != records.end();) {
            if (it->file != m_fileName || it->function != running->GetName() || it->selection != s.number) {
                ++it;
                continue;
            }
            // A record of a type past the vote table stores no vote.
            if (it->typeIndex < EVENT_TYPE_COUNT) {
                s.votes[it->typeIndex] = int32_t(it->position);
                s.voteValues[it->typeIndex] = it->value;
            }
            if (it->charId == leadId) {
                s.lead = int32_t(it->position);
                s.leadValue = it->value;
            }
            if (it->deciding) {
                s.deciding = int32_t(it->position);
                s.decidingValue = it->value;
            }
            it = records.erase(it);
        }
    }
    for (int n = 0; n < EVENT_TYPE_COUNT; ++n)
        if ((s.mask >> n & 1u) && s.votes[n] == EVENT_NONE) return false;
    switch (s.mode) {
        case 0:
            if (s.lead == EVENT_NONE) return false;
            s.chosen = s.lead;
            s.chosenValue = s.leadValue;
            break;
        case 1:
            s.chosen = s.deciding;
            s.chosenValue = s.decidingValue;
            break;
        case 2: {
            struct Pair {
                int32_t answer;
                uint32_t value;
                int count;
            };
            std::vector<Pair> pairs;
            for (int n = 0; n < EVENT_TYPE_COUNT; ++n) {
                if (s.votes[n] == EVENT_NONE) continue;
                auto hit = std::find_if(pairs.begin(), pairs.end(), [&](const Pair& p) {
                    return p.answer == s.votes[n] && p.value == s.voteValues[n];
                });
                if (hit == pairs.end())
                    pairs.push_back({s.votes[n], s.voteValues[n], 1});
                else
                    ++hit->count;
            }
            if (pairs.empty()) break;
            const Pair* best = &pairs[0];
            for (const Pair& p : pairs)
                if (p.count > best->count) best = &p;
            const bool tie = std::count_if(pairs.begin(), pairs.end(),
                                           [&](const Pair& p) { return p.count == best->count; }) > 1;
            if (!tie) {
                s.chosen = best->answer;
                s.chosenValue = best->value;
            } else if (s.tieRule == 0) {
                s.chosen = s.deciding;
                s.chosenValue = s.decidingValue;
            } else if (s.tieRule == 1) {
                s.chosen = s.defaultAnswer;
                s.chosenValue = 0;
            }
            break;
        }
        default:
            break;
    }
    return true;
}

void CEventScript::TakeChoice(int32_t code) {
    if (g_pEventMgr) g_pEventMgr->AddReport(m_selection.number, code);
    const int32_t position = m_selection.chosen;
    // Only positions of the result table jump.
    if (m_selection.resultFunctions && position >= 0 && position < EVENT_RESULT_COUNT &&
        !m_selection.results[position].empty())
        RequestJump(m_selection.results[position].c_str());
}

void CEventScript::HandleSelection() {
    EventSelection& s = m_selection;
    CEventSelectionWindow* window = SelectionWindow();
    if (window) window->SetVotes(s.votes);
    if (SettleSelection()) {
        if (window) {
            window->SetVotes(s.votes);
            window->FinishVote();
            if (s.waiting) window->CloseSelection();
        }
        s.answered = false;
        s.waiting = false;
        TakeChoice(s.chosen == EVENT_NONE ? -1 : int32_t(s.chosenValue) * 100 + s.chosen);
        return;
    }
    if (s.answered) return;
    const uint32_t t = plat::timeGetTime() - s.openTime;
    for (EventTimedAnswer& a : s.timed1)
        if (!a.offered && a.delay <= t) {
            a.offered = true;
            AddAnswer(a.text.c_str(), a.function.c_str());
        }
    for (EventTimedAnswer& a : s.timed2)
        if (!a.offered && a.delay <= t) {
            a.offered = true;
            SetAnswerAt(a.position, a.text.c_str(), a.function.c_str());
        }
    int32_t position = -1;
    uint32_t value = 0;
    if (s.timeLimit != 0 && t >= s.timeLimit) {
        position = s.defaultAnswer;
    } else {
        if (!window) return;
        position = window->GetResult(&value);
        if (position < 0) return;
    }
    s.answered = true;
    CChar* lead = LeadCharacter();
    EventChoiceRecord record;
    if (lead) {
        if (CCharData* data = lead->GetData())
            if (CTeamMember* own = data->Party().FindMember(lead->GetInfo(nullptr)))
                record.deciding = own->m_leader;
        record.typeIndex = uint16_t(GetCharTypeIndex(lead->m_resourceId));
        record.charId = lead->GetCharId();
    }
    record.file = m_fileName;
    record.function = Running() ? Running()->GetName() : "";
    record.selection = s.number;
    record.position = uint32_t(position);
    record.value = value;
    if (!g_pEventMgr) return;
    if (g_pEventMgr->Requests().IsConnected()) {
        const auto bytes = record.Pack();
        g_pEventMgr->Requests().SendEventSelection(m_playerId, g_pEventMgr->FunctionIndex(), bytes.data(),
                                                   bytes.size());
    } else {
        g_pEventMgr->ChoiceRecords().push_back(record);
    }
}
