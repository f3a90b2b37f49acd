#include "core/message.h"

#include <set>

#include "core/object_mgr.h"
#include "core/util.h"
#include "platform/console.h"

void CMsgPort::Append(CMsg* msg) {
    if (msg) m_messages.PushBack(msg);
}

bool CMsgPort::PostToHandle(uint32_t sender, uint32_t targetId, int32_t delay, uint32_t eventId,
                            MsgDataPtr payload, MsgDataPtr parameter) {
    Append(new CMsg(sender, targetId, nullptr, delay, eventId, std::move(payload), std::move(parameter)));
    return true;
}

bool CMsgPort::PostToPort(uint32_t sender, CMsgPort* target, int32_t delay, uint32_t eventId,
                          MsgDataPtr payload, MsgDataPtr parameter, uint32_t extra) {
    Append(new CMsg(sender, 0, target, delay, eventId, std::move(payload), std::move(parameter), extra));
    return true;
}

bool CMsgPort::PopFields(uint32_t* sender, uint32_t* eventId, MsgDataPtr* payload, MsgDataPtr* parameter) {
    std::unique_ptr<CMsg> msg(Pop());
    if (!msg) return false;
    if (sender) *sender = msg->m_senderId;
    if (eventId) *eventId = msg->m_eventId;
    if (payload) *payload = std::move(msg->m_pPayload);
    if (parameter) *parameter = std::move(msg->m_pParameter);
    return true;
}

CMsg* CMsgPort::Pop() {
    CMsg* msg = Peek();
    if (msg) m_messages.Unlink(msg);
    return msg;
}

CMsg* CMsgPort::Peek() const {
    return m_messages.IsEmpty() ? nullptr : static_cast<CMsg*>(m_messages.First());
}

void CMsgPort::RemoveEvents(uint32_t eventId) {
    for (CListNode* n = m_messages.First(); n != m_messages.End();) {
        if (static_cast<CMsg*>(n)->m_eventId == eventId)
            n = m_messages.Erase(n);
        else
            n = n->Next();
    }
}

CLockedMsgObject::CLockedMsgObject() {
    CLockedMsgObject::Create();
}

CLockedMsgObject::~CLockedMsgObject() {
    CLockedMsgObject::Release();
}

bool CLockedMsgObject::Create() {
    m_queue.Clear();
    m_queue.SetRouter(nullptr);
    m_suspended = 0;
    return true;
}

bool CLockedMsgObject::Release() {
    m_queue.Clear();
    return true;
}

bool CLockedMsgObject::AttachMessage(CMsg* msg) {
    m_queue.Append(msg);
    return true;
}

bool CLockedMsgObject::PostMessage(uint32_t sender, CMsgPort* target, int32_t delay, uint32_t eventId,
                                   MsgDataPtr payload, MsgDataPtr parameter) {
    return m_queue.PostToPort(sender, target, delay, eventId, std::move(payload), std::move(parameter));
}

bool CLockedMsgObject::PostMessageById(uint32_t sender, uint32_t targetId, int32_t delay, uint32_t eventId,
                                       MsgDataPtr payload, MsgDataPtr parameter) {
    return m_queue.PostToHandle(sender, targetId, delay, eventId, std::move(payload), std::move(parameter));
}

bool CLockedMsgObject::AttachMessageTo(CMsg* msg, CMsgObject* object) {
    return AttachMessageToPort(msg, object ? object->GetPort() : nullptr);
}

bool CLockedMsgObject::PostMessageTo(uint32_t sender, CMsgObject* object, int32_t delay, uint32_t eventId,
                                     MsgDataPtr payload, MsgDataPtr parameter) {
    return ::PostMessageTo(sender, object, delay, eventId, std::move(payload), std::move(parameter));
}

bool CLockedMsgObject::AttachMessageToPort(CMsg* msg, CMsgPort* port) {
    if (!port) {
        delete msg;
        return false;
    }
    port->Append(msg);
    return true;
}

bool CLockedMsgObject::PostMessageToPort(uint32_t sender, CMsgPort* port, int32_t delay, uint32_t eventId,
                                         MsgDataPtr payload, MsgDataPtr parameter) {
    return ::PostMessageToPort(sender, port, delay, eventId, std::move(payload), std::move(parameter));
}

bool CLockedMsgObject::CallPort(CMsg* msg) {
    CLockedMsgObject* router = m_queue.GetRouter();
    if (!router) {
        delete msg;
        return false;
    }
    return router->AttachMessage(msg);
}

bool CLockedMsgObject::CallPort6(uint32_t sender, uint32_t targetId, int32_t delay, uint32_t eventId,
                                 MsgDataPtr payload, MsgDataPtr parameter) {
    CLockedMsgObject* router = m_queue.GetRouter();
    if (!router) return false;
    return router->PostMessageById(sender, targetId, delay, eventId, std::move(payload),
                                   std::move(parameter));
}

CMsg* CLockedMsgObject::PopMessage() {
    return m_queue.Pop();
}

bool CLockedMsgObject::GetMessageFields(uint32_t* sender, uint32_t* eventId, MsgDataPtr* payload,
                                        MsgDataPtr* parameter) {
    return m_queue.PopFields(sender, eventId, payload, parameter);
}

CMsg* CLockedMsgObject::PeekMessage() {
    return m_queue.Peek();
}

bool CLockedMsgObject::PeekMessageFields(uint32_t* sender, uint32_t* eventId, CMsgData** payload,
                                         CMsgData** parameter) {
    const CMsg* msg = m_queue.Peek();
    if (!msg) return false;
    if (sender) *sender = msg->m_senderId;
    if (eventId) *eventId = msg->m_eventId;
    if (payload) *payload = msg->m_pPayload.get();
    if (parameter) *parameter = msg->m_pParameter.get();
    return true;
}

bool CLockedMsgObject::DispatchMessages() {
    if (m_suspended) return true;
    CNodeList& list = m_queue.Messages();
    // Only the messages queued now: one routed back into this queue waits for
    // the next dispatch.
    int32_t remaining = list.Count();
    for (CListNode* n = list.First(); remaining-- > 0 && n != list.End();) {
        auto* msg = static_cast<CMsg*>(n);
        if (msg->m_delay >= 1) {
            --msg->m_delay;
            n = n->Next();
            continue;
        }
        n = list.Unlink(msg);
        if (msg->m_targetId != 0) {
            CMsgObject* target = m_pResolver ? m_pResolver->FindChild(msg->m_targetId) : nullptr;
            if (target)
                AttachMessageTo(msg, target);
            else
                delete msg;
        } else if (msg->m_pTargetPort) {
            AttachMessageToPort(msg, msg->m_pTargetPort);
        } else {
            delete msg;
        }
    }
    return true;
}

int32_t CLockedMsgObject::GetMessageCount() {
    return m_queue.Count();
}

bool PostMessageToPort(uint32_t sender, CMsgPort* port, int32_t delay, uint32_t eventId, MsgDataPtr payload,
                       MsgDataPtr parameter) {
    return PostMessageToPortEx(sender, port, delay, eventId, std::move(payload), std::move(parameter), 0);
}

bool PostMessageToPortEx(uint32_t sender, CMsgPort* port, int32_t delay, uint32_t eventId, MsgDataPtr payload,
                         MsgDataPtr parameter, uint32_t extra) {
    if (!port) return false;  // the payload and parameter are deleted here
    return port->PostToPort(sender, port, delay, eventId, std::move(payload), std::move(parameter), extra);
}

bool PostMessageTo(uint32_t sender, CMsgObject* target, int32_t delay, uint32_t eventId, MsgDataPtr payload,
                   MsgDataPtr parameter) {
    if (!target || !target->GetPort()) return false;
    CMsgPort* port = target->GetPort();
    port->Append(
        new CMsg(sender, target->GetId(), port, delay, eventId, std::move(payload), std::move(parameter)));
    return true;
}

void CopyRecordText(char* out, size_t capacity, const char* text) {
    if (!out || capacity == 0) return;
    CopyDbcsPrefix(text ? text : "", capacity - 1, out, capacity);
}

namespace {

struct UnreadReports {
    std::vector<std::string> reports;
    std::set<std::string> written;
    int expected = 0;
};
UnreadReports& Unread() {
    static UnreadReports unread;
    return unread;
}

}  // namespace

void ReportIfUnread(const CMsgData* data, const char* receiver) {
    const auto* record = dynamic_cast<const CMsgPayload*>(data);
    if (!record || record->m_read) return;
    UnreadReports& unread = Unread();
    const std::string report = std::string(receiver ? receiver : "?") + " " + std::to_string(record->m_id);
    constexpr size_t KEPT_REPORTS = 1000;
    if (unread.reports.size() < KEPT_REPORTS) unread.reports.push_back(report);
    if (unread.expected == 0 && unread.written.insert(report).second)
        plat::WriteConsoleLine("UNREAD RECORD: " + std::string(receiver ? receiver : "?") + " let record " +
                               std::to_string(record->m_id) + " go unread");
}

const std::vector<std::string>& UnreadRecordReports() {
    return Unread().reports;
}

ScopedUnreadRecordsExpected::ScopedUnreadRecordsExpected() {
    ++Unread().expected;
}
ScopedUnreadRecordsExpected::~ScopedUnreadRecordsExpected() {
    --Unread().expected;
}
