// Messages between objects.
//
// A CMsg names a sender handle, a target (an object's handle or a port), a
// delay in frames, an event id and two owned objects, the payload and the
// parameter. Both derive from CMsgData (any class with a virtual destructor
// will do by deriving from it); whoever posts a message hands them over with
// it, and they are deleted with the message unless a reader takes them
// (CMsgPort::PopFields hands them to the reader).
//
// CLockedMsgObject is a message queue: messages posted into it wait their
// delay and are then moved, once per frame by DispatchMessages, into the port
// of their target. A queue owned by a CObjectMgr finds targets by handle among
// the manager's children.
#pragma once
#include <cstdint>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "core/base_object.h"
#include "core/node_list.h"

// Base of the objects a message carries.
class CMsgData {
public:
    virtual ~CMsgData() = default;
};
using MsgDataPtr = std::unique_ptr<CMsgData>;

// Base of the typed records that handlers, the world and windows post to one
// another: a message id, then the record's own plain fields. The receiver of
// a posted record owns it (through the message that carries it).
class CMsgPayload : public CMsgData {
public:
    explicit CMsgPayload(uint32_t id = 0) : m_id(id) {}
    uint32_t m_id;
    // Set by the receiver that reads the record (ReadRecord).
    mutable uint8_t m_read = 0;
};

// The record of the type the receiver reads, marked read; null when the data
// is not one.
template <class T>
T* ReadRecord(CMsgData* data) {
    T* record = dynamic_cast<T*>(data);
    if (record) record->m_read = 1;
    return record;
}
template <class T>
const T* ReadRecord(const CMsgPayload& payload) {
    const T* record = dynamic_cast<const T*>(&payload);
    if (record) record->m_read = 1;
    return record;
}

// A receiver has let a record go that it took without reading: its type is
// not the one the receiver reads for its id, or no receiver reads the id.
// Each (receiver, id) is written to the console once a run, as a line that
// begins "UNREAD RECORD" (the test suite fails on such a line). Data that is
// not a record, and records marked read, are not reported.
void ReportIfUnread(const CMsgData* data, const char* receiver);
// The reports of this run, "receiver id" each, oldest first; the first
// thousand are kept (for tests).
const std::vector<std::string>& UnreadRecordReports();
// While one lives, reports are counted but not written (a test that shows a
// record of an unknown id going unread).
class ScopedUnreadRecordsExpected {
public:
    ScopedUnreadRecordsExpected();
    ~ScopedUnreadRecordsExpected();
    ScopedUnreadRecordsExpected(const ScopedUnreadRecordsExpected&) = delete;
    ScopedUnreadRecordsExpected& operator=(const ScopedUnreadRecordsExpected&) = delete;
};

// Copies a text into a record's text field: at most capacity - 1 bytes, cut
// between characters, and a terminator.
void CopyRecordText(char* out, size_t capacity, const char* text);
template <size_t N>
void CopyRecordText(char (&out)[N], const char* text) {
    CopyRecordText(out, N, text);
}

// A one-word parameter or payload.
class CMsgWord : public CMsgData {
public:
    explicit CMsgWord(uint32_t value = 0) : m_value(value) {}
    uint32_t m_value;
};

// A text parameter or payload.
class CMsgText : public CMsgData {
public:
    explicit CMsgText(std::string text = {}) : m_text(std::move(text)) {}
    std::string m_text;
};

class CMsg : public CListNode {
public:
    CMsg() = default;
    CMsg(uint32_t sender, uint32_t targetId, CMsgPort* targetPort, int32_t delay, uint32_t eventId,
         MsgDataPtr payload, MsgDataPtr parameter, uint32_t extra = 0)
        : m_senderId(sender),
          m_targetId(targetId),
          m_pTargetPort(targetPort),
          m_delay(delay),
          m_eventId(eventId),
          m_pPayload(std::move(payload)),
          m_pParameter(std::move(parameter)),
          m_extra(extra) {}

    uint32_t m_senderId = 0;
    uint32_t m_targetId = 0;            // 0 when addressed to a port
    CMsgPort* m_pTargetPort = nullptr;  // null when addressed by handle
    int32_t m_delay = 0;                // frames still to wait in a queue
    uint32_t m_eventId = 0;
    MsgDataPtr m_pPayload;
    MsgDataPtr m_pParameter;
    uint32_t m_extra = 0;
};

// The waiting messages of one object, oldest first. Owns them.
class CMsgPort {
public:
    explicit CMsgPort(CLockedMsgObject* router = nullptr, CMsgObject* owner = nullptr)
        : m_pRouter(router), m_pOwner(owner) {}
    ~CMsgPort() = default;  // the list deletes the waiting messages
    CMsgPort(const CMsgPort&) = delete;
    CMsgPort& operator=(const CMsgPort&) = delete;

    CLockedMsgObject* GetRouter() const { return m_pRouter; }
    void SetRouter(CLockedMsgObject* router) { m_pRouter = router; }
    CMsgObject* GetOwner() const { return m_pOwner; }

    // Appends a ready message (taken over; null is ignored).
    void Append(CMsg* msg);
    // Appends a message addressed to a handle.
    bool PostToHandle(uint32_t sender, uint32_t targetId, int32_t delay, uint32_t eventId, MsgDataPtr payload,
                      MsgDataPtr parameter);
    // Appends a message addressed to a port.
    bool PostToPort(uint32_t sender, CMsgPort* target, int32_t delay, uint32_t eventId, MsgDataPtr payload,
                    MsgDataPtr parameter, uint32_t extra = 0);

    // Takes the oldest message: copies its sender and event id and hands its
    // payload and parameter over to the caller. Any output may be null (that
    // object is then deleted). False, outputs untouched, when the port is empty.
    bool PopFields(uint32_t* sender, uint32_t* eventId, MsgDataPtr* payload, MsgDataPtr* parameter);
    // Unlinks the oldest message and hands it over, or null.
    CMsg* Pop();
    CMsg* Peek() const;
    // Deletes every waiting message.
    void Clear() { m_messages.DeleteAll(); }
    // Deletes every waiting message with the event id.
    void RemoveEvents(uint32_t eventId);
    int32_t Count() const { return m_messages.Count(); }
    CNodeList& Messages() { return m_messages; }

private:
    CNodeList m_messages;
    CLockedMsgObject* m_pRouter;
    CMsgObject* m_pOwner;
};

// The message queue.
class CLockedMsgObject : public CMsgObject {
public:
    CLockedMsgObject();
    ~CLockedMsgObject() override;

    bool Create() override;
    // Deletes the queued messages.
    bool Release() override;
    // Appends a ready message to the queue (taken over).
    virtual bool AttachMessage(CMsg* msg);
    // Queues a message addressed to a port.
    virtual bool PostMessage(uint32_t sender, CMsgPort* target, int32_t delay, uint32_t eventId,
                             MsgDataPtr payload, MsgDataPtr parameter);
    // Queues a message addressed to a handle.
    virtual bool PostMessageById(uint32_t sender, uint32_t targetId, int32_t delay, uint32_t eventId,
                                 MsgDataPtr payload, MsgDataPtr parameter);
    // Append straight to an object's port or a port, bypassing the queue (no
    // delay). A null target deletes the message and returns false.
    virtual bool AttachMessageTo(CMsg* msg, CMsgObject* object);
    virtual bool PostMessageTo(uint32_t sender, CMsgObject* object, int32_t delay, uint32_t eventId,
                               MsgDataPtr payload, MsgDataPtr parameter);
    virtual bool AttachMessageToPort(CMsg* msg, CMsgPort* port);
    virtual bool PostMessageToPort(uint32_t sender, CMsgPort* port, int32_t delay, uint32_t eventId,
                                   MsgDataPtr payload, MsgDataPtr parameter);
    // Hands the message to the router of the queue's port (its AttachMessage);
    // without a router the message is deleted and false returned.
    virtual bool CallPort(CMsg* msg);
    // PostMessageById on the router of the queue's port; false without one.
    virtual bool CallPort6(uint32_t sender, uint32_t targetId, int32_t delay, uint32_t eventId,
                           MsgDataPtr payload, MsgDataPtr parameter);
    // Unlinks the oldest queued message and hands it over, or null.
    virtual CMsg* PopMessage();
    // CMsgPort::PopFields on the queue.
    virtual bool GetMessageFields(uint32_t* sender, uint32_t* eventId, MsgDataPtr* payload,
                                  MsgDataPtr* parameter);
    // The oldest queued message, still queued, or null.
    virtual CMsg* PeekMessage();
    // The oldest message's fields; payload and parameter stay the message's.
    virtual bool PeekMessageFields(uint32_t* sender, uint32_t* eventId, CMsgData** payload,
                                   CMsgData** parameter);
    // Counts down delays and moves every due message to its target.
    virtual bool DispatchMessages();
    virtual int32_t GetMessageCount();

    // Deletes every queued message with the event id.
    void RemoveEvents(uint32_t eventId) { m_queue.RemoveEvents(eventId); }

    // The manager that resolves target handles (null: handle-addressed
    // messages are deleted when due).
    CObjectMgr* GetResolver() const { return m_pResolver; }
    void SetResolver(CObjectMgr* resolver) { m_pResolver = resolver; }
    bool IsSuspended() const { return m_suspended != 0; }
    void SetSuspended(bool on) { m_suspended = on; }
    CMsgPort& Queue() { return m_queue; }

private:
    CObjectMgr* m_pResolver = nullptr;
    CMsgPort m_queue;
    uint8_t m_suspended = 0;
};

// Post straight into a port or an object's port: delivered at once (delays
// count only in a CLockedMsgObject). A null target deletes the message and
// returns false.
bool PostMessageToPort(uint32_t sender, CMsgPort* port, int32_t delay, uint32_t eventId, MsgDataPtr payload,
                       MsgDataPtr parameter);
bool PostMessageToPortEx(uint32_t sender, CMsgPort* port, int32_t delay, uint32_t eventId, MsgDataPtr payload,
                         MsgDataPtr parameter, uint32_t extra);
bool PostMessageTo(uint32_t sender, CMsgObject* target, int32_t delay, uint32_t eventId, MsgDataPtr payload,
                   MsgDataPtr parameter);
