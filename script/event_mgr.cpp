#include "script/event_mgr.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "anim/render_queue.h"
#include "core/config.h"
#include "core/error_box.h"
#include "core/input_mgr.h"
#include "core/message.h"
#include "core/util.h"
#include "graphics/direct3d.h"
#include "graphics/display_settings.h"
#include "net/connection.h"
#include "net/game_session.h"
#include "net/handlers/event_records.h"
#include "platform/clock.h"
#include "platform/window.h"
#include "script/event_commands.h"
#include "script/event_selection_window.h"
#include "script/event_services.h"
#include "ui/base_window.h"
#include "ui/window_mgr.h"
#include "world/chars/char.h"
#include "world/chars/char_events.h"
#include "world/chars/char_mgr.h"
#include "world/map/map.h"
#include "world/map/speech_data.h"
#include "world/map/stage_data.h"

CEventMgr* g_pEventMgr = nullptr;

namespace {

// Orders and choice blocks that wait at most (one frame's worth of server
// traffic many times over).
constexpr size_t kMaxQueued = 256;

class SessionRequests : public IEventRequests {
public:
    bool IsConnected() override { return IsServerConnected(); }
    void SendEventState(uint8_t kind, uint32_t eventValue, uint32_t function,
                        const std::vector<uint8_t>& pairs) override {
        GameSession().SendEventState(kind, eventValue, function, pairs.data(), pairs.size() / 2);
    }
    void SendEventSelection(uint32_t value1, uint32_t value2, const uint8_t* record, size_t length) override {
        GameSession().SendEventSelection(value1, value2, record, length);
    }
};

int32_t CurrentMapNumber() {
    return g_pMap ? g_pMap->GetStageNumber() : -1;
}

std::string EventPath(bool visual, const std::string& file) {
    return g_config.m_folders[visual ? FOLDER_VISUALEVENT : FOLDER_FIELDSCRIPT] + "\\" + file;
}

// The speech texts of the number; null (after (16, 18)) when there is no file.
std::unique_ptr<CSpeechData> LoadEventSpeech(int32_t number) {
    auto speech = std::make_unique<CSpeechData>();
    speech->Create();
    if (number == 10000 || number < 0) return speech;
    std::vector<uint8_t> bytes;
    const std::string path = SpeechFilePath(number);
    if (ReadMapDataFile(path, bytes) != MapDataRead::Read ||
        !speech->LoadBytes(bytes.data(), bytes.size(), path.c_str(), LoadSpeechSubstitutions())) {
        ReportEventError(18, {path});
        return nullptr;
    }
    return speech;
}

}  // namespace

IEventRequests& SessionEventRequests() {
    static SessionRequests requests;
    return requests;
}

std::string EventFileName(uint32_t number, bool visual) {
    char name[32];
    std::snprintf(name, sizeof name, "%4u", number % 100000);
    SpacesToZeros(name);
    return std::string(name) + (visual ? ".VET" : ".EVT");
}

bool LoadEventFile(uint32_t number, const char* function) {
    const int32_t current = CurrentMapNumber();
    if (int64_t(number) != current) ReportEventError(22, {int(current), unsigned(number)});
    return g_pEventMgr && g_pEventMgr->StartFieldScript(EventFileName(number, false).c_str(), function);
}

bool LoadVetFile(uint32_t number, const char* function) {
    return g_pEventMgr && g_pEventMgr->StartVisualEvent(EventFileName(number, true).c_str(), function);
}

CEventMgr::CEventMgr() = default;

CEventMgr::~CEventMgr() {
    CEventMgr::Release();
}

bool CEventMgr::Release() {
    if (m_pEvent) {
        m_pEvent->StopFunction();
        m_pEvent.reset();
    }
    DeleteLeadChar();
    m_reports.clear();
    m_choices.clear();
    m_table1First.clear();
    m_table1Second.clear();
    m_table2First.clear();
    m_table2Second.clear();
    if (GetMsgQueue()) GetMsgQueue()->Queue().Messages().DeleteAll();
    return true;
}

bool CEventMgr::IsVisualEventRunning() const {
    return m_pEvent && m_pEvent->RunningIndex() != -1 && m_pEvent->IsVisual();
}

bool CEventMgr::IsFieldScriptRunning() const {
    return m_pEvent && m_pEvent->RunningIndex() != -1 && !m_pEvent->IsVisual();
}

bool CEventMgr::IsScreenBusy() const {
    if (OpenEventMovies() > 0) return true;
    IEventEffects* effects = GetEventEffects();
    return effects && (!effects->IsFinished(EVENT_FADE_1) || !effects->IsFinished(EVENT_FADE_2));
}

void CEventMgr::SetControlLock(bool on) {
    m_controlLock = on;
    if (!on || !g_pWindowMgr) return;
    for (CObjectMgr::ChildNode* n = g_pWindowMgr->Children().First(); n != g_pWindowMgr->Children().End();
         n = n->m_pNext)
        if (auto* window = dynamic_cast<CBaseWindow*>(n->m_pData); window && window->IsActiveFlag())
            window->SetActive(false, false);
}

void CEventMgr::RequestFieldScript(uint32_t number, const char* function) {
    m_pending = true;
    m_pendingKind = EVENT_FIELD_SCRIPT;
    m_pendingFile = EventFileName(number, false);
    m_pendingFunction = function ? function : "";
}

void CEventMgr::RequestVisualEvent(uint32_t number, const char* function) {
    m_pending = true;
    m_pendingKind = EVENT_VISUAL;
    m_pendingFile = EventFileName(number, true);
    m_pendingFunction = function ? function : "";
}

bool CEventMgr::StartFieldScript(const char* file, const char* function) {
    return StartEvent(EVENT_FIELD_SCRIPT, file, function);
}

bool CEventMgr::StartVisualEvent(const char* file, const char* function) {
    return StartEvent(EVENT_VISUAL, file, function);
}

bool CEventMgr::StartEvent(uint8_t kind, const char* file, const char* function) {
    m_startByte = 127;
    const bool visual = kind == EVENT_VISUAL;
    std::string name = function ? function : "";
    if (visual && name.empty()) name = "StartEvent";
    if (m_pEvent && m_pEvent->GetKind() == kind && std::strcmp(m_pEvent->GetFileName(), file) == 0) {
        m_pEvent->StopFunction();
        m_pEvent->ResetForRestart();
        return m_pEvent->StartFunction(name.empty() ? "StartEvent" : name);
    }
    DropEvent(false);
    auto event = std::make_unique<CEventScript>();
    std::unique_ptr<CStageData> stage;
    int32_t speechNumber = CurrentMapNumber();
    const int32_t number = std::atoi(std::string(file).substr(0, 4).c_str());
    if (visual) {
        stage = std::make_unique<CStageData>();
        stage->Create();
        if (!LoadStageFile(*stage, number, true)) {
            ReportEventError(17, {file});
            stage.reset();
        } else {
            speechNumber = int32_t(stage->GetWord(0, 2, 0));
        }
    }
    std::unique_ptr<CSpeechData> speech = LoadEventSpeech(speechNumber);
    if (!speech || !event->LoadFile(kind, file, EventPath(visual, file))) {
        ReportEventError(visual ? 20 : 21, {file});
        return false;
    }
    event->SetSpeech(std::move(speech));
    event->SetStage(std::move(stage), number);
    m_pEvent = std::move(event);
    if (!m_pEvent->StartFunction(name)) {
        StopEvent(true);
        return false;
    }
    m_eventActive = 1;
    SetControlLock(true);
    return true;
}

void CEventMgr::DropEvent(bool report) {
    if (!m_pEvent) return;
    if (report && Requests().IsConnected()) Requests().SendEventState(1, m_eventValue, m_functionIndex, {});
    m_pEvent->StopFunction();
    // A lead standing in the character manager's slots leaves it before the
    // teardown removes every character.
    if (m_pLead && m_pEvent->IsVisual()) DeleteLeadChar();
    m_pEvent->Teardown();
    m_pEvent.reset();
}

void CEventMgr::StopEvent(bool report) {
    if (!m_pEvent) return;
    if (report) {
        m_eventActive = 0;
        m_controlLock = 0;
    }
    DropEvent(report);
}

void CEventMgr::SetEventObject(std::unique_ptr<CEventScript> event) {
    m_pEvent = std::move(event);
}

void CEventMgr::DeleteEventObject() {
    m_pEvent.reset();
}

void CEventMgr::DeleteLeadChar() {
    if (!m_pLead) return;
    if (g_pCharMgr) {
        if (g_pCharMgr->GetPlayer() == m_pLead) g_pCharMgr->SetPlayerChar(nullptr);
        g_pCharMgr->DetachChild(m_pLead);
    }
    m_pLead->Release();
    delete m_pLead;
    m_pLead = nullptr;
}

void CEventMgr::HandleSkipKey() {
    if (!m_pEvent || m_pEvent->RunningIndex() == -1 || !m_pEvent->IsSkipEnabled() || !g_pInputMgr) return;
    CInputEvent* event = g_pInputMgr->GetFirstEvent();
    for (int32_t n = g_pInputMgr->GetEventCount(); event && n > 0; --n) {
        if (event->m_kind == INPUT_KEY && event->m_code == 27) m_pEvent->RequestSkip();
        event = g_pInputMgr->GetNextEvent(event);
    }
}

bool CEventMgr::PostRecord(std::unique_ptr<CMsgPayload> record, int32_t delay) {
    if (!record || !GetMsgQueue()) return false;
    if (size_t(GetMsgQueue()->Queue().Count()) >= kMaxQueued) return false;
    const uint32_t eventId = record->m_id;
    GetMsgQueue()->Queue().Append(
        new CMsg(0, GetId(), nullptr, std::max(0, delay), eventId, MsgDataPtr(record.release()), nullptr));
    return true;
}

bool CEventMgr::HandleOrder(CMsg* msg) {
    auto* order = dynamic_cast<CEventInputMsg*>(msg->m_pPayload.get());
    if (!order) return true;
    if (order->m_kind == 1) {
        if (m_pEvent) {
            if (Requests().IsConnected()) Requests().SendEventState(1, m_eventValue, m_functionIndex, {});
            m_eventActive = m_controlLock = 0;
            DropEvent(false);
        }
        return true;
    }
    // A field script waits for its map.
    const bool visual = order->m_value == 0;
    if (!visual && (!g_pMap || !g_pMap->IsLoaded())) return false;
    if (m_pEvent) {
        if (Requests().IsConnected()) Requests().SendEventState(1, m_eventValue, m_functionIndex, {});
        m_eventActive = m_controlLock = 0;
        DropEvent(false);
    }
    m_eventValue = order->m_a;
    m_functionIndex = order->m_b;
    m_table1First = order->m_list1.m_first;
    m_table1Second = order->m_list1.m_second;
    m_table2First = order->m_list2.m_first;
    m_table2Second = order->m_list2.m_second;
    if (visual)
        LoadVetFile(uint32_t(std::atol(order->m_text1)), order->m_text2);
    else
        LoadEventFile(uint32_t(std::max(0, CurrentMapNumber())), order->m_text2);
    return true;
}

void CEventMgr::ProcessQueuedMessages() {
    if (!GetMsgQueue()) return;
    VisitMessages(GetMsgQueue()->Queue().Messages(), [this](CMsg* msg) {
        if (msg->m_delay > 0) {
            --msg->m_delay;
            return false;
        }
        if (msg->m_eventId == MSG_EVENT_INPUT) return HandleOrder(msg);
        if (msg->m_eventId == MSG_EVENT_BLOCK) {
            auto* block = dynamic_cast<CEventBlockMsg*>(msg->m_pPayload.get());
            EventChoiceRecord record;
            // A block of another length than a choice record is dropped.
            if (block && EventChoiceRecord::Unpack(block->m_bytes.data(), block->m_bytes.size(), record))
                m_choices.push_back(record);
        }
        return true;
    });
}

bool CEventMgr::Update() {
    ProcessQueuedMessages();
    m_frameTime = plat::timeGetTime();
    if (m_pending) {
        m_pending = false;
        const std::string file = m_pendingFile, function = m_pendingFunction;
        StartEvent(m_pendingKind, file.c_str(), function.c_str());
    }
    if (!m_pEvent || m_pEvent->RunningIndex() == -1) return true;
    if (!m_pEvent->Update() && !m_pending) EndFunction();
    return true;
}

void CEventMgr::AddReport(uint32_t selection, int32_t code) {
    m_reports.push_back(uint8_t(selection));
    m_reports.push_back(uint8_t(code));  // the low byte goes out
}

void CEventMgr::EndFunction() {
    if (Requests().IsConnected()) Requests().SendEventState(0, m_eventValue, m_functionIndex, m_reports);
    m_reports.clear();
    m_eventActive = m_controlLock = 0;
    m_choices.clear();
    if (m_pEvent && m_pEvent->IsVisual()) DeleteLeadChar();
    if (m_pEvent) {
        m_pEvent->StopFunction();
        m_pEvent->Teardown();
        m_pEvent.reset();
    }
    if (g_config.m_playVisualEvent) plat::PostQuitMessage(0);
}

bool CEventMgr::Draw() {
    if (m_pEvent) {
        m_pEvent->Draw();
        const float bar = m_pEvent->BarHeight();
        if (bar > 0 && g_pDirect3D) {
            const CDisplaySettings& screen = GetDisplaySettings();
            const int32_t full = std::max(1, m_pEvent->FullBarHeight());
            const uint32_t alpha = uint32_t(std::clamp(255.0f * bar / float(full), 0.0f, 255.0f));
            const uint32_t colour = alpha << 24;
            const int32_t h = int32_t(bar);
            g_pDirect3D->FillRect(0, 0, screen.screenWidth, h, colour);
            g_pDirect3D->FillRect(0, screen.screenHeight - h, screen.screenWidth, screen.screenHeight,
                                  colour);
        }
    }
    if (IEventEffects* effects = GetEventEffects()) effects->Draw();
    return true;
}

void CEventMgr::QueueEventObjects() {
    if (!m_pEvent || IsScreenBusy()) return;
    for (EventCreatedObject& o : m_pEvent->CreatedObjects())
        if (o.object && !o.hidden && g_pRenderQueue) g_pRenderQueue->AddObject(o.object.get());
    for (EventObject& o : m_pEvent->EventObjects())
        if (o.object && !o.hidden && g_pRenderQueue) g_pRenderQueue->AddObject(o.object.get());
}
