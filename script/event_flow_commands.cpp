// Flow and wait commands: jumps, starting other events, waits, the frame
// break, the barrier, Escape skipping and two flags of the event manager.
#include <algorithm>
#include <cstdlib>

#include "platform/clock.h"
#include "script/event_commands.h"
#include "script/event_mgr.h"
#include "script/event_script.h"
#include "ui/window_mgr.h"
#include "world/chars/char.h"
#include "world/chars/char_mgr.h"

namespace {

// Finishes at once and holds the function for that frame.
class CHoldingCommand : public CEventCommand {
public:
    using CEventCommand::CEventCommand;
    bool TryFinish() override { return false; }
};

// 0: goto function.
class CGotoCommand : public CHoldingCommand {
public:
    CGotoCommand() : CHoldingCommand(0) {}
    using CBaseObject::Execute;
    bool Execute(uint8_t) override {
        const char* name = GetType10Text(0);
        if (!name[0])
            ReportEventError(4, {});
        else if (CEventScript* event = GetScript())
            event->RequestJump(name);
        return false;
    }
};

// 1: wait for the others.
class CBarrierCommand : public CEventCommand {
public:
    CBarrierCommand() : CEventCommand(1) {}
    using CBaseObject::Execute;
    bool Execute(uint8_t skip) override { return !skip; }
    bool TryFinish() override {
        if (!m_pOwner) return true;
        std::vector<CEventCommand*>& active = m_pOwner->Active();
        if (std::any_of(active.begin(), active.end(), [this](CEventCommand* c) { return c != this; }))
            return false;
        std::erase(active, this);
        return true;
    }
};

// 2: wait frames (the count is read when the file is loaded).
class CWaitCommand : public CEventCommand {
public:
    CWaitCommand() : CEventCommand(2) {}
    bool Load(const EventCommandData& data, CEventFunction* owner) override {
        if (!CEventCommand::Load(data, owner) || m_params.empty()) return false;
        m_frames = uint32_t(std::max(0L, std::atol(GetTextParam(0))));
        return true;
    }
    using CBaseObject::Execute;
    bool Execute(uint8_t skip) override {
        Start();
        if (skip) return false;
        return plat::timeGetTime() - m_state < m_frames * EVENT_STEP_MS;
    }
    bool TryFinish() override {
        Start();
        return plat::timeGetTime() - m_state >= m_frames * EVENT_STEP_MS;
    }

private:
    void Start() {
        if (m_state == 0) m_state = std::max(1u, plat::timeGetTime());
    }
    uint32_t m_frames = 0;
};

// 3, 12, 31, 41: idle, never finishes.
class CIdleCommand : public CEventCommand {
public:
    explicit CIdleCommand(uint32_t kind) : CEventCommand(kind) {}
    using CBaseObject::Execute;
    bool Execute(uint8_t) override { return true; }
};

// 5: start visual event; 6: start field script (keeps running).
class CStartEventCommand : public CHoldingCommand {
public:
    explicit CStartEventCommand(uint32_t kind) : CHoldingCommand(kind) {}
    using CBaseObject::Execute;
    bool Execute(uint8_t) override {
        const uint16_t number = GetType2Param(0);
        if (!g_pEventMgr) return false;
        if (m_kind == 5) {
            g_pEventMgr->RequestVisualEvent(number, "StartEvent");
            return false;
        }
        if (m_state == 0) g_pEventMgr->RequestFieldScript(number, "StartEvent");
        m_state = 1;
        return true;
    }
};

// 7: branch by the lead character's type.
class CBranchCommand : public CHoldingCommand {
public:
    CBranchCommand() : CHoldingCommand(7) {}
    using CBaseObject::Execute;
    bool Execute(uint8_t) override {
        CEventScript* event = GetScript();
        CChar* lead = event ? event->LeadCharacter() : nullptr;
        if (!lead) return false;
        const int32_t type = GetCharTypeIndex(lead->m_resourceId);
        const char* name = GetType10Text(uint32_t(type));
        if (!name[0])
            ReportEventError(4, {});
        else
            event->RequestJump(name);
        return false;
    }
};

// 19 and 20: skip on and off.
class CSkipCommand : public CEventScriptCommand {
public:
    explicit CSkipCommand(uint32_t kind) : CEventScriptCommand(kind) {}
    bool ActOn(CEventScript& event, uint8_t) override {
        event.SetSkipEnabled(m_kind == 19);
        return false;
    }
};

// 46: player control.
class CPlayerControlCommand : public CEventCommand {
public:
    CPlayerControlCommand() : CEventCommand(46) {}
    using CBaseObject::Execute;
    bool Execute(uint8_t) override {
        if (g_pEventMgr) g_pEventMgr->SetControlLock(GetByteParam(0, 0) == 0);
        return false;
    }
};

// 51: character display.
class CCharDisplayCommand : public CEventCommand {
public:
    CCharDisplayCommand() : CEventCommand(51) {}
    using CBaseObject::Execute;
    bool Execute(uint8_t) override {
        if (g_pEventMgr) g_pEventMgr->SetHide(GetByteParam(0, 0) == 0);
        return false;
    }
};

}  // namespace

std::unique_ptr<CEventCommand> MakeFlowCommand(int kind) {
    switch (kind) {
        case 0:
            return std::make_unique<CGotoCommand>();
        case 1:
            return std::make_unique<CBarrierCommand>();
        case 2:
            return std::make_unique<CWaitCommand>();
        case 3:
        case 12:
        case 31:
        case 41:
            return std::make_unique<CIdleCommand>(uint32_t(kind));
        case 4:
            return std::make_unique<CHoldingCommand>(4);
        case 5:
        case 6:
            return std::make_unique<CStartEventCommand>(uint32_t(kind));
        case 7:
            return std::make_unique<CBranchCommand>();
        case 19:
        case 20:
            return std::make_unique<CSkipCommand>(uint32_t(kind));
        case 46:
            return std::make_unique<CPlayerControlCommand>();
        case 51:
            return std::make_unique<CCharDisplayCommand>();
        default:
            return nullptr;
    }
}
