// Talk, selection, message and window commands: lines in the event talk
// window, the selection in the selection window, and the showing, hiding
// and moving of the player's own windows during an event.
#include <algorithm>
#include <cstdio>
#include <cstring>

#include "core/error_box.h"
#include "platform/clock.h"
#include "script/event_commands.h"
#include "script/event_mgr.h"
#include "script/event_script.h"
#include "script/event_talk_window.h"
#include "ui/base_window.h"
#include "ui/game_scene_windows.h"
#include "ui/message_box.h"
#include "ui/ui_services.h"
#include "ui/window_mgr.h"
#include "world/chars/char.h"
#include "world/chars/char_controller.h"
#include "world/chars/char_mgr.h"

namespace {

CEventTalkWindow* TalkWindow() {
    if (!g_pWindowMgr) return nullptr;
    return dynamic_cast<CEventTalkWindow*>(g_pWindowMgr->FindWindowByName(EVENT_TALK_WINDOW_NAME));
}

uint32_t Now() {
    return std::max(1u, plat::timeGetTime());
}

// The talk lines: one line handed to the talk window on the first call, then
// polled each frame until it has been read.
class CTalkLineCommand : public CEventCommand {
public:
    using CEventCommand::CEventCommand;

    using CBaseObject::Execute;
    bool Execute(uint8_t skip) override {
        if (skip) {
            if (CEventTalkWindow* talk = TalkWindow()) talk->ClearLines();
            return false;
        }
        if (m_state == 0) {
            m_state = Now();
            m_speaker = nullptr;
            return ShowLine();
        }
        CEventTalkWindow* talk = TalkWindow();
        if (!talk) return true;
        if (!talk->IsShownFlag()) return false;
        if (talk->IsLineDone(m_speaker)) {
            talk->ClearLines();
            return false;
        }
        return !talk->IsEmpty();
    }
    bool ResetState() override {
        m_speaker = nullptr;
        return CEventCommand::ResetState();
    }

protected:
    // Hands the window the line; false finishes the command.
    virtual bool ShowLine() = 0;

    bool AddLine(uint8_t flag, uint32_t mode, CChar* speaker, const char* text, uint8_t face,
                 uint32_t value) {
        CEventTalkWindow* talk = TalkWindow();
        if (!talk || !text) return false;
        m_speaker = speaker;
        const char* name = speaker ? speaker->GetInfo(nullptr) : nullptr;
        return talk->AddLine(flag, mode, speaker, name, text, face, value);
    }

    CChar* m_speaker = nullptr;
};

// 8: talk line (a speech box over the speaker with the face).
class CTalkCommand : public CTalkLineCommand {
public:
    CTalkCommand() : CTalkLineCommand(8) {}

protected:
    bool ShowLine() override {
        CChar* target = FindTarget(0, 1);
        if (!target) {
            ReportError("EventCommand Talk Error : Target Character [%u] is not exist",
                        GetType8Param(1, GetByteParam(0, 0)));
            return false;
        }
        if (!AddLine(0, 1, target, SpeechText(3), GetByteParam(2, 0), GetByteParam(6, 255))) return false;
        PlayEventEffect(GetType2Param(7));
        return true;
    }
};

// 9: narration line.
class CNarrationCommand : public CTalkLineCommand {
public:
    CNarrationCommand() : CTalkLineCommand(9) {}

protected:
    bool ShowLine() override {
        CChar* target = FindTarget(0, 1);
        if (!target) return false;
        const uint8_t style = GetByteParam(3, 0);
        const uint32_t mode = style == 0 ? 3 : style == 1 ? 4 : 0;
        CEventTalkWindow* talk = TalkWindow();
        const char* text = SpeechText(2);
        if (!talk || !text) return false;
        m_speaker = target;
        return talk->AddLine(0, mode, target, nullptr, text, 0, 0);
    }
};

// 10: a line in the dialogue box along the bottom. Without a speaker on the
// field the line is shown without a name.
class CDialogueCommand : public CTalkLineCommand {
public:
    CDialogueCommand() : CTalkLineCommand(10) {}

protected:
    bool ShowLine() override {
        CChar* target = FindTarget(0, 1);
        if (!AddLine(GetByteParam(5, 0), 0, target, SpeechText(3), GetByteParam(2, 0), GetByteParam(4, 255)))
            return false;
        if (m_params.size() >= 7) PlayEventEffect(GetType2Param(6));
        return true;
    }
};

// 11: resolve only.
class CResolveCommand : public CEventCommand {
public:
    CResolveCommand() : CEventCommand(11) {}
    using CBaseObject::Execute;
    bool Execute(uint8_t) override {
        FindTarget(0, 1);
        return false;
    }
};

// 22: NPC conversation (both forms): the first non-empty of five lines from
// the NPC's next line index on.
class CNpcConversationCommand : public CTalkLineCommand {
public:
    CNpcConversationCommand() : CTalkLineCommand(22) {}

protected:
    bool ShowLine() override {
        const uint32_t id = EVENT_NPC_BASE + GetType3Param(0);
        auto* npc =
            g_pCharMgr ? dynamic_cast<CNpcChar*>(g_pCharMgr->FindCharByResourceId(1, id, false)) : nullptr;
        if (!npc) {
            ReportError("Event Command Error : NPCCONV Error - NPC[%u] Not Exist", id);
            return false;
        }
        m_speaker = npc;
        const int32_t first = npc->NextLineIndex();
        for (int32_t tries = 0; tries < 5; ++tries) {
            const uint32_t index = 1 + uint32_t((first + tries) % 5);
            const char* text = SpeechText(index);
            if (text && text[0]) {
                AddLine(0, 1, npc, text, GetByteParam(6, 0), OptionalByte(7, 255));
                return true;
            }
        }
        return true;  // keeps running without a line
    }
};

// 24: the player's line.
class CPlayerLineCommand : public CTalkLineCommand {
public:
    CPlayerLineCommand() : CTalkLineCommand(24) {}
    uint8_t GetByteParam(uint32_t index, uint8_t defaultValue) const override {
        return OptionalByte(index, defaultValue);
    }

protected:
    bool ShowLine() override {
        CChar* player = g_pCharMgr ? g_pCharMgr->GetPlayer() : nullptr;
        if (!player) return false;
        const uint8_t mode = GetByteParam(1, 0);
        const uint32_t windowMode = mode == 3 && GetByteParam(3, 0) == 0 ? 0 : 1;
        return AddLine(0, windowMode, player, SpeechText(0), GetByteParam(2, 0), 0);
    }
};

// 21: the notice banner for five seconds.
class CNoticeCommand : public CEventCommand {
public:
    CNoticeCommand() : CEventCommand(21) {}
    using CBaseObject::Execute;
    bool Execute(uint8_t) override {
        CEventTalkWindow* talk = TalkWindow();
        if (m_state == 0) {
            m_state = Now();
            const char* text = SpeechText(0);
            if (talk) talk->SetNotice(text ? text : "", GetType2Param(1), uint32_t(m_index + 1), 1);
            return true;
        }
        if (plat::timeGetTime() - m_state < EVENT_NOTICE_MS) return true;
        if (talk) talk->SetNotice(nullptr, 0, uint32_t(m_index + 1), 0);
        return false;
    }
};

// 14: begin selection.
class CBeginSelectionCommand : public CEventScriptCommand {
public:
    CBeginSelectionCommand() : CEventScriptCommand(14) {}
    uint8_t GetByteParam(uint32_t index, uint8_t defaultValue) const override {
        return OptionalByte(index, defaultValue);
    }
    uint32_t GetType12Param(uint32_t index) const override {
        return index < m_params.size() ? CEventCommand::GetType12Param(index) : 0;
    }
    bool ActOn(CEventScript& event, uint8_t) override {
        const uint8_t mode = GetByteParam(0, 0);
        uint32_t mask = GetType12Param(6);
        if (mask == 0) mask = 0x8000;
        mask = TargetMask(event, mode, mask);
        const char* title = SpeechText(1);
        event.BeginSelection(mode, mask, title ? title : "", uint32_t(TextInt(2)), uint32_t(TextInt(3)),
                             uint8_t(TextInt(4)), uint8_t(TextInt(5)), GetByteParam(7, 0));
        return false;
    }

private:
    static uint32_t TypeBit(CChar* c) { return c ? 1u << GetCharTypeIndex(c->m_resourceId) : 0; }
    // The active members of the lead character's team list.
    static std::vector<CChar*> ActiveMembers(CChar* lead) {
        std::vector<CChar*> members;
        CCharData* data = lead ? lead->GetData() : nullptr;
        if (!data || !g_pCharMgr) return members;
        for (const CTeamMember& m : data->Party().Members())
            if (CChar* c = g_pCharMgr->FindCharByName(m.m_name)) members.push_back(c);
        return members;
    }
    static uint32_t TargetMask(CEventScript& event, uint8_t mode, uint32_t mask) {
        CChar* lead = event.LeadCharacter();
        if (mode == 0) return TypeBit(lead);
        if (mode == 1) {
            std::vector<CChar*> members = ActiveMembers(lead);
            if (members.empty()) {
                ReportEventError(6, {});
                return mask;
            }
            return TypeBit(members.front());
        }
        if (mode == 2 && (mask & 0x4000)) {
            if (!lead) return 0;
            std::vector<CChar*> members = ActiveMembers(lead);
            if (members.empty()) return TypeBit(lead);
            uint32_t bits = 0;
            for (CChar* c : members) bits |= TypeBit(c);
            return bits;
        }
        if (mode == 2 && (mask & 0x8000)) return TypeBit(lead);
        if (mode == 2 && (mask & 0x10000)) return 0x3FFF;
        return mask;
    }
};

// 15: show selection; runs until the selection is settled.
class CShowSelectionCommand : public CEventScriptCommand {
public:
    CShowSelectionCommand() : CEventScriptCommand(15) {}
    bool ActOn(CEventScript& event, uint8_t) override {
        if (m_state == 0) {
            m_state = 1;
            if (!event.Selection().begun) {
                ReportEventError(19, {});
                return false;
            }
            event.ShowSelection();
        }
        return event.Selection().waiting;
    }
};

// 16: add answer; 17: set answer at a position.
class CAnswerCommand : public CEventScriptCommand {
public:
    explicit CAnswerCommand(uint32_t kind) : CEventScriptCommand(kind) {}
    bool ActOn(CEventScript& event, uint8_t) override {
        EventSelection& s = event.Selection();
        const bool add = m_kind == 16;
        const char* text = SpeechText(add ? 0 : 1);
        const uint32_t delay = uint32_t(std::max(0, TextInt(add ? 1 : 2)));
        const char* function = GetType10Text(add ? 2 : 3);
        const int32_t position = add ? -1 : TextInt(0);
        if (!text) text = "";
        if (delay == 0) {
            if (add)
                event.AddAnswer(text, function);
            else
                event.SetAnswerAt(position, text, function);
        } else if (add && s.timeLimit == 0) {
            event.AddAnswer(text, function);
        } else if (s.timeLimit != 0) {
            std::vector<EventTimedAnswer>& list = add ? s.timed1 : s.timed2;
            if (list.size() < EVENT_MAX_ANSWERS) list.push_back({text, delay, position, function, false});
        }
        return false;
    }
};

// 18: result functions.
class CResultFunctionsCommand : public CEventScriptCommand {
public:
    CResultFunctionsCommand() : CEventScriptCommand(18) {}
    bool ActOn(CEventScript& event, uint8_t) override {
        const int count = int(m_params.size());
        if ((count != 5 && count != 10)) return false;
        const char* names[EVENT_RESULT_COUNT] = {};
        for (int i = 0; i < count; ++i) names[i] = GetType10Text(uint32_t(i));
        event.SetResultFunctions(names, count);
        return false;
    }
};

// 13: an emoticon over a character; 25: over the player. Without the
// do-not-wait byte the command runs until 3,000 ms have passed.
class CEmoticonCommand : public CEventCommand {
public:
    explicit CEmoticonCommand(uint32_t kind) : CEventCommand(kind) {}
    using CBaseObject::Execute;
    bool Execute(uint8_t) override {
        const uint32_t first = m_kind == 13 ? 2 : 0;
        if (m_state != 0) return Elapsed() <= kEmoticonMs;
        m_state = Now();
        CChar* target = m_kind == 13 ? FindTarget(0, 1) : (g_pCharMgr ? g_pCharMgr->GetPlayer() : nullptr);
        if (!target || !g_pCharMgr) return false;
        const char* name = GetTextParam(first);
        const int32_t id = g_pCharMgr->FindEmoticonByText(name);
        if (id < 0) {
            if (m_kind == 13) ReportEventError(5, {name});
            return false;
        }
        g_pCharMgr->ShowEmoticon(target->GetCharId(), uint8_t(id), 0);
        return GetByteParam(first + 1, 0) == 0;
    }

private:
    static constexpr uint32_t kEmoticonMs = 3000;
};

// 23: a message box with the line; holds the function until it is closed.
class CMessageBoxCommand : public CEventCommand {
public:
    CMessageBoxCommand() : CEventCommand(23) {}
    ~CMessageBoxCommand() override = default;
    using CBaseObject::Execute;
    bool Execute(uint8_t skip) override {
        if (skip) return false;
        auto* box = m_box.GetAs<CMessageBox>();
        if (m_state == 0) {
            m_state = Now();
            if (box && g_pWindowMgr) g_pWindowMgr->CloseWindow(box);
            m_box.Assign(nullptr);
            if (!g_pWindowMgr) return false;
            const char* text = SpeechText(0);
            box = new CMessageBox(text ? text : "", true, false, true, 0);
            g_pWindowMgr->AddChild(box);
            box->SetActive(true, false);
            m_box.Assign(box);
            PlayEventEffect(GetType2Param(1));
            return true;
        }
        if (box && box->IsDrawOn()) return true;
        if (box && g_pWindowMgr) g_pWindowMgr->CloseWindow(box);
        m_box.Assign(nullptr);
        return false;
    }
    bool TryFinish() override { return false; }

private:
    CWeakRef m_box;
};

// The player's windows the window commands name by index.
constexpr const char* kGameWindows[] = {
    "ItemInventoryWindow", "ItemEquipWindow", "CharInfoWindow",   "SKILL_WINDOW",
    "COMBO_WINDOW",        "EmoticonWindow",  "CChatMacroWindow", "QuickSlotWindow",
    "MINIMAP_WINDOW",      "TWMessenger",     "MSGWIN",           "TEAM_WINDOW",
    "NAME_MEMO_WIN",       "1V1ChatWin0",
};

CBaseWindow* GameWindow(uint8_t index) {
    CChar* player = g_pCharMgr ? g_pCharMgr->GetPlayer() : nullptr;
    if (!player || !g_pWindowMgr || index >= std::size(kGameWindows)) return nullptr;
    return g_pWindowMgr->FindWindowByName(kGameWindows[index], player->GetId(), false);
}

// 57: the interface during the event: only the event-active flag changes.
class CInterfaceCommand : public CEventCommand {
public:
    CInterfaceCommand() : CEventCommand(57) {}
    using CBaseObject::Execute;
    bool Execute(uint8_t) override {
        if (g_pEventMgr) g_pEventMgr->SetEventActive(GetByteParam(0, 0) == 0);
        return false;
    }
};

// 58: show or hide one window.
class CShowWindowCommand : public CEventCommand {
public:
    CShowWindowCommand() : CEventCommand(58) {}
    using CBaseObject::Execute;
    bool Execute(uint8_t) override {
        CBaseWindow* window = GameWindow(GetByteParam(0, 0));
        if (!window) return false;
        if (GetByteParam(1, 0) != 0) {
            if (auto* shown = dynamic_cast<IEventShownWindow*>(window))
                shown->OpenForEvent();
            else
                window->Open();
        } else {
            window->Hide();
        }
        return false;
    }
};

// 59: move one window.
class CMoveWindowCommand : public CEventCommand {
public:
    CMoveWindowCommand() : CEventCommand(59) {}
    using CBaseObject::Execute;
    bool Execute(uint8_t) override {
        if (CBaseWindow* window = GameWindow(GetByteParam(0, 0))) window->SetPosition(TextInt(1), TextInt(2));
        return false;
    }
};

}  // namespace

std::unique_ptr<CEventCommand> MakeTalkCommand(int kind, bool second) {
    (void)second;  // both forms of kind 22 read alike
    switch (kind) {
        case 8:
            return std::make_unique<CTalkCommand>();
        case 9:
            return std::make_unique<CNarrationCommand>();
        case 10:
            return std::make_unique<CDialogueCommand>();
        case 11:
            return std::make_unique<CResolveCommand>();
        case 13:
        case 25:
            return std::make_unique<CEmoticonCommand>(uint32_t(kind));
        case 14:
            return std::make_unique<CBeginSelectionCommand>();
        case 15:
            return std::make_unique<CShowSelectionCommand>();
        case 16:
        case 17:
            return std::make_unique<CAnswerCommand>(uint32_t(kind));
        case 18:
            return std::make_unique<CResultFunctionsCommand>();
        case 21:
            return std::make_unique<CNoticeCommand>();
        case 22:
            return std::make_unique<CNpcConversationCommand>();
        case 23:
            return std::make_unique<CMessageBoxCommand>();
        case 24:
            return std::make_unique<CPlayerLineCommand>();
        case 57:
            return std::make_unique<CInterfaceCommand>();
        case 58:
            return std::make_unique<CShowWindowCommand>();
        case 59:
            return std::make_unique<CMoveWindowCommand>();
        default:
            return nullptr;
    }
}
