// CEventMgr (g_pEventMgr): holds at most one current event, starts events
// when the server orders it (message 101), a command asks for it or a scene
// does, runs the current event's function each frame, locks the player's
// controls while it runs and tells the server how it ended (request 108).
#pragma once
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "core/object_mgr.h"
#include "script/event_script.h"

class CChar;

// What the manager sends to the server; the running program's goes through
// the game session. A setting of the manager, not a seam.
class IEventRequests {
public:
    virtual ~IEventRequests() = default;
    virtual bool IsConnected() = 0;
    virtual void SendEventState(uint8_t kind, uint32_t eventValue, uint32_t function,
                                const std::vector<uint8_t>& pairs) = 0;
    virtual void SendEventSelection(uint32_t value1, uint32_t value2, const uint8_t* record,
                                    size_t length) = 0;
};

// The game session's requests.
IEventRequests& SessionEventRequests();

class CEventMgr : public CObjectMgr {
public:
    CEventMgr();
    ~CEventMgr() override;

    // Deletes the current event without report and empties the lists.
    bool Release() override;

    void SetRequests(IEventRequests* requests) { m_pRequests = requests; }
    IEventRequests& Requests() { return m_pRequests ? *m_pRequests : SessionEventRequests(); }

    // ---- Queries ----
    bool IsVisualEventRunning() const;
    bool IsFieldScriptRunning() const;
    bool IsScreenBusy() const;
    bool IsEventActive() const { return m_eventActive != 0; }
    bool IsControlLocked() const { return m_controlLock != 0; }
    bool IsHideSet() const { return m_hide != 0; }
    CEventScript* GetEvent() const { return m_pEvent.get(); }

    // ---- Control ----
    void SetEventActive(bool on) { m_eventActive = on; }
    void SetControlLock(bool on);
    void SetHide(bool on) { m_hide = on; }
    void RequestFieldScript(uint32_t number, const char* function);
    void RequestVisualEvent(uint32_t number, const char* function);
    bool StartFieldScript(const char* file, const char* function);
    bool StartVisualEvent(const char* file, const char* function);
    void StopEvent(bool report);
    void SetEventObject(std::unique_ptr<CEventScript> event);
    void DeleteEventObject();
    void HandleSkipKey();

    // Queues a server record (101 order, 102 choice block); false when the
    // queue is full.
    bool PostRecord(std::unique_ptr<CMsgPayload> record, int32_t delay);
    void ProcessQueuedMessages();

    // ---- Per frame ----
    bool Update();
    bool Draw();
    void QueueEventObjects();

    // ---- Reports and choices ----
    void AddReport(uint32_t selection, int32_t code);
    std::vector<EventChoiceRecord>& ChoiceRecords() { return m_choices; }
    uint32_t EventValue() const { return m_eventValue; }
    uint32_t FunctionIndex() const { return m_functionIndex; }
    uint32_t FrameTime() const { return m_frameTime; }
    // The function has ended: report, flags, lead character, event deleted.
    void EndFunction();

    // ---- The visual-event lead character (owned) ----
    CChar* GetLeadChar() const { return m_pLead; }
    void SetLeadChar(CChar* character) { m_pLead = character; }
    void DeleteLeadChar();

    // The music volume the event commands set (0-127).
    int32_t GetMusicVolume() const { return m_musicVolume; }
    void SetMusicVolume(int32_t volume) { m_musicVolume = volume; }

    uint8_t GetStartByte() const { return m_startByte; }

private:
    bool StartEvent(uint8_t kind, const char* file, const char* function);
    bool HandleOrder(CMsg* msg);
    void DropEvent(bool report);

    IEventRequests* m_pRequests = nullptr;
    std::unique_ptr<CEventScript> m_pEvent;
    bool m_pending = false;
    uint8_t m_pendingKind = 0;
    std::string m_pendingFile, m_pendingFunction;
    uint32_t m_frameTime = 0;
    std::vector<uint8_t> m_table1First, m_table1Second, m_table2First, m_table2Second;
    uint32_t m_eventValue = 0, m_functionIndex = 0;
    std::vector<uint8_t> m_reports;  // byte pairs
    std::vector<EventChoiceRecord> m_choices;
    uint8_t m_eventActive = 0, m_controlLock = 0, m_hide = 0;
    uint8_t m_startByte = 0;
    CChar* m_pLead = nullptr;
    int32_t m_musicVolume = 127;
};

extern CEventMgr* g_pEventMgr;

// LoadEventFile: "%4d.EVT" of the number (a number other than the current
// map's shows (16, 22) and starts anyway); LoadVetFile: "%4d.VET".
bool LoadEventFile(uint32_t number, const char* function);
bool LoadVetFile(uint32_t number, const char* function);
// "0012.EVT" for 12.
std::string EventFileName(uint32_t number, bool visual);
