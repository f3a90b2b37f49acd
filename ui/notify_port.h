// A message port that a control tells of its outcome, forgotten when the
// object that owns the port goes away.
#pragma once
#include <cstdint>
#include <utility>

#include "core/message.h"

class CNotifyPort {
public:
    // Null forgets the port.
    void Set(CMsgPort* port) {
        m_pPort = port;
        m_owner.Assign(port ? port->GetOwner() : nullptr);
        m_hasOwner = port && port->GetOwner();
    }
    // The port while its owner lives (a port without an owner is kept as given).
    CMsgPort* Get() const { return m_hasOwner && !m_owner ? nullptr : m_pPort; }
    // Appends the message to the port; false without one.
    bool Post(uint32_t sender, uint32_t eventId, MsgDataPtr parameter, uint32_t extra) const {
        CMsgPort* port = Get();
        return port && PostMessageToPortEx(sender, port, 0, eventId, nullptr, std::move(parameter), extra);
    }

private:
    CMsgPort* m_pPort = nullptr;
    CWeakRef m_owner;
    bool m_hasOwner = false;
};
