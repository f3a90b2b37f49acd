#include "script/event_command.h"

#include <cstdlib>

#include "anim/ani_object.h"
#include "core/error_box.h"
#include "data/text_tables.h"
#include "platform/clock.h"
#include "script/event_commands.h"
#include "script/event_mgr.h"
#include "script/event_script.h"
#include "ui/ui_services.h"
#include "world/chars/char.h"
#include "world/chars/char_controller.h"
#include "world/chars/char_mgr.h"
#include "world/map/speech_data.h"

void PlayEventEffect(uint16_t id) {
    if (id == 0) return;
    if (IUiSound* sound = GetUiSound()) sound->PlaySoundEffect(id, -1, -1, 1);
}

void ReportEventError(int row, std::initializer_list<TextArg> args) {
    const std::string text = FormatTableText(GetTableText(EVENT_ERROR_TABLE, row), args);
    ReportError("%s", text.c_str());
}

CEventCommand::CEventCommand(uint32_t kind) : m_kind(kind) {}

CEventCommand::~CEventCommand() = default;

bool CEventCommand::Create() {
    m_params.clear();
    m_pOwner = nullptr;
    m_state = 0;
    m_index = -1;
    return true;
}

bool CEventCommand::Release() {
    m_params.clear();
    return true;
}

bool CEventCommand::Load(const EventCommandData& data, CEventFunction* owner) {
    Release();
    Create();
    m_pOwner = owner;
    m_params = data.params;
    return true;
}

bool CEventCommand::Execute(uint8_t) {
    return false;
}

bool CEventCommand::TryFinish() {
    return true;
}

bool CEventCommand::ResetState() {
    m_state = 0;
    return true;
}

CEventScript* CEventCommand::GetScript() const {
    return m_pOwner ? m_pOwner->GetScript() : nullptr;
}

const EventParam& CEventCommand::Param(uint32_t index) const {
    static const EventParam kEmpty{};
    return index < m_params.size() ? m_params[index] : kEmpty;
}

void CEventCommand::CheckType(uint32_t index, uint8_t expected, uint8_t other) const {
    if (index >= m_params.size()) return;  // an empty record, nothing to say
    const uint8_t type = m_params[index].type;
    if (type == expected || type == other) return;
    if (other != 0xFF)
        ReportEventError(2, {int(expected), int(other), int(type)});
    else
        ReportEventError(1, {int(expected), int(type)});
}

const char* CEventCommand::GetTextParam(uint32_t index) const {
    CheckType(index, 0);
    return Param(index).text;
}

uint8_t CEventCommand::GetByteParam(uint32_t index, uint8_t defaultValue) const {
    if (index >= m_params.size()) return defaultValue;
    CheckType(index, 1);
    const uint8_t value = Param(index).byteValue;
    return value == EVENT_NO_BYTE ? defaultValue : value;
}

uint8_t CEventCommand::OptionalByte(uint32_t index, uint8_t defaultValue) const {
    if (index >= m_params.size()) return 0;
    return CEventCommand::GetByteParam(index, defaultValue);
}

uint16_t CEventCommand::GetType2Param(uint32_t index) const {
    CheckType(index, 2);
    return Param(index).shortValue;
}

uint16_t CEventCommand::GetType3Param(uint32_t index) const {
    CheckType(index, 3);
    return Param(index).shortValue;
}

void CEventCommand::GetPointParam(int32_t* x, int32_t* y, uint32_t index) const {
    CheckType(index, 4);
    *x = Param(index).x;
    *y = Param(index).y;
}

uint16_t CEventCommand::GetType5Param(uint32_t index) const {
    CheckType(index, 5);
    return Param(index).shortValue;
}

uint32_t CEventCommand::GetType6Param(uint32_t index) const {
    CheckType(index, 6);
    return Param(index).tripleFirst;
}

uint32_t CEventCommand::GetType6Param2(uint32_t index) const {
    CheckType(index, 6, 11);
    return Param(index).tripleSecond;
}

uint8_t CEventCommand::GetType6Flag(uint32_t index) const {
    CheckType(index, 6);
    return Param(index).tripleFlag;
}

uint16_t CEventCommand::GetType7Param(uint32_t index) const {
    CheckType(index, 7);
    return Param(index).shortValue;
}

uint32_t CEventCommand::GetType8Param(uint32_t index, uint8_t mode) const {
    CheckType(index, 8);
    const uint32_t number = Param(index).shortValue;
    switch (mode) {
        case 0:
        case 2:
            return EVENT_PLAYER_BASE + number;
        case 1:
            return EVENT_NPC_BASE + number;
        case 3:
            return EVENT_MONSTER_BASE + number;
        default:
            ReportEventError(3, {int(mode)});
            return 0;
    }
}

uint16_t CEventCommand::GetType9Param(uint32_t index) const {
    CheckType(index, 9);
    return Param(index).shortValue;
}

const char* CEventCommand::GetType10Text(uint32_t index) const {
    CheckType(index, 10);
    return Param(index).text;
}

uint32_t CEventCommand::GetType12Param(uint32_t index) const {
    CheckType(index, 12);
    return Param(index).longValue;
}

uint32_t CEventCommand::Elapsed() const {
    const uint32_t now = plat::timeGetTime();
    return now > m_state ? now - m_state : 0;
}

int32_t CEventCommand::TextInt(uint32_t index) const {
    return int32_t(std::atol(GetTextParam(index)));
}

double CEventCommand::TextReal(uint32_t index) const {
    return std::atof(GetTextParam(index));
}

CChar* CEventCommand::FindTarget(uint32_t kindIndex, uint32_t numberIndex) const {
    const uint8_t kind = GetByteParam(kindIndex, 0);
    if (kind > 3) return nullptr;
    const uint32_t id = GetType8Param(numberIndex, kind);
    CEventScript* event = GetScript();
    switch (kind) {
        case 0:
            return g_pCharMgr ? g_pCharMgr->FindCharByType(uint16_t(GetCharTypeIndex(id)), 0, false)
                              : nullptr;
        case 1:
            return g_pCharMgr ? g_pCharMgr->FindCharByResourceId(1, id, false) : nullptr;
        case 2:
            return event ? event->LeadCharacter() : nullptr;
        case 3:
            return g_pCharMgr ? g_pCharMgr->FindCharByResourceId(2, id, false) : nullptr;
        default:
            return nullptr;
    }
}

const char* CEventCommand::SpeechText(uint32_t index) const {
    const uint16_t id = GetType7Param(index);
    CEventScript* event = GetScript();
    const CSpeechData* speech = event ? event->GetSpeech() : nullptr;
    return speech ? speech->GetText(id) : nullptr;
}

template <>
CChar* CSubjectCommand<CChar>::FindSubject() const {
    return FindTarget(0, 1);
}

template <>
CEventScript* CSubjectCommand<CEventScript>::FindSubject() const {
    return GetScript();
}

void HoldRestMotion(CChar& character) {
    CCharData* data = character.GetData();
    if (!data) return;
    data->SetMotion(EVENT_REST_STATE);
    if (CAniObject* sprite = character.GetAniObject()) {
        sprite->SetMotion(uint8_t(data->m_restMotion));
        sprite->Play(true);
    }
}

std::unique_ptr<CEventCommand> MakeEventCommand(int kind, bool second) {
    if (auto command = MakeFlowCommand(kind)) return command;
    if (auto command = MakeTalkCommand(kind, second)) return command;
    if (auto command = MakeCharCommand(kind)) return command;
    if (auto command = MakeScreenCommand(kind)) return command;
    return nullptr;
}
