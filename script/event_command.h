// CEventCommand: the base of every event command. It keeps the parameter
// records read from the event file and hands them out through typed getters,
// and it is driven by its function's runner through three operations:
// Execute (once a frame while it runs; false = finished), TryFinish (true =
// the runner may start the next command) and ResetState (just before it is
// started).
//
// A getter that finds a record of another type reports text (16, 1) and
// returns the field anyway; a getter asked for an index at or past the
// parameter count reads an empty record (0, the byte default, "").
#pragma once
#include <cstdint>
#include <memory>
#include <vector>

#include "core/base_object.h"
#include "data/text_format.h"
#include "script/event_file.h"

class CChar;
class CEventFunction;
class CEventScript;
class CEventMgr;

// Resource id bases of the target numbers.
inline constexpr uint32_t EVENT_PLAYER_BASE = 2000000;
inline constexpr uint32_t EVENT_MONSTER_BASE = 2100000;
inline constexpr uint32_t EVENT_NPC_BASE = 2200000;
// The id of a visual event's lead character.
inline constexpr uint32_t EVENT_LEAD_ID = 9999999;
// The frame length the wait and move commands count in.
inline constexpr uint32_t EVENT_STEP_MS = 33;
// The motion state of a character standing in its rest motion.
inline constexpr uint32_t EVENT_REST_STATE = 106;
// Text table of the event errors.
inline constexpr int EVENT_ERROR_TABLE = 16;

// Plays a sound effect once without a position (nothing for id 0 or without sound).
void PlayEventEffect(uint16_t id);
// Shows the error box with row of text table 16 as its format.
void ReportEventError(int row, std::initializer_list<TextArg> args);

class CEventCommand : public CBaseObject {
public:
    explicit CEventCommand(uint32_t kind);
    ~CEventCommand() override;

    // Clears the parameters, the owner and the state; the index becomes -1.
    bool Create() override;
    // Frees the parameters.
    bool Release() override;

    // Takes the parameters of the file's command; false refuses the command.
    virtual bool Load(const EventCommandData& data, CEventFunction* owner);
    // Once a frame while running: true keeps it running.
    using CBaseObject::Execute;
    virtual bool Execute(uint8_t skip);
    // True lets the runner start the next command.
    virtual bool TryFinish();
    // Just before the command starts.
    virtual bool ResetState();

    // The getters (see the top of the file).
    const char* GetTextParam(uint32_t index) const;
    virtual uint8_t GetByteParam(uint32_t index, uint8_t defaultValue) const;
    uint16_t GetType2Param(uint32_t index) const;
    uint16_t GetType3Param(uint32_t index) const;
    void GetPointParam(int32_t* x, int32_t* y, uint32_t index) const;
    uint16_t GetType5Param(uint32_t index) const;
    uint32_t GetType6Param(uint32_t index) const;
    uint32_t GetType6Param2(uint32_t index) const;
    uint8_t GetType6Flag(uint32_t index) const;
    uint16_t GetType7Param(uint32_t index) const;
    uint32_t GetType8Param(uint32_t index, uint8_t mode) const;
    uint16_t GetType9Param(uint32_t index) const;
    const char* GetType10Text(uint32_t index) const;
    virtual uint32_t GetType12Param(uint32_t index) const;

    uint32_t GetKind() const { return m_kind; }
    int32_t GetIndex() const { return m_index; }
    void SetIndex(int32_t index) { m_index = index; }
    uint32_t GetParamCount() const { return uint32_t(m_params.size()); }
    CEventFunction* GetOwner() const { return m_pOwner; }
    CEventScript* GetScript() const;
    uint32_t GetState() const { return m_state; }

protected:
    // The record at index, or an empty one past the count.
    const EventParam& Param(uint32_t index) const;
    // Reports text (16, 1) when the record's type is none of the expected.
    void CheckType(uint32_t index, uint8_t expected, uint8_t other = 0xFF) const;
    // The character of a target kind (byte parameter, default 0) and a type-8
    // target number; null when none.
    CChar* FindTarget(uint32_t kindIndex, uint32_t numberIndex) const;
    // The speech text of a type-7 speech id, or null.
    const char* SpeechText(uint32_t index) const;
    // Integer and real numbers given as text.
    int32_t TextInt(uint32_t index) const;
    double TextReal(uint32_t index) const;
    // Milliseconds since the start time the state word keeps (0 when the
    // clock has not moved past it).
    uint32_t Elapsed() const;
    // The optional byte (an index past the count reads 0 without a report).
    uint8_t OptionalByte(uint32_t index, uint8_t defaultValue) const;

    std::vector<EventParam> m_params;
    CEventFunction* m_pOwner = nullptr;
    uint32_t m_state = 0;
    int32_t m_index = -1;
    uint32_t m_kind;
};

// The commands that act on one subject found again each frame: their
// running event, or the character named by the target kind (byte parameter
// 0) and the type-8 target number (parameter 1). A command that finds none
// finishes at once.
template <class Subject>
class CSubjectCommand : public CEventCommand {
public:
    using CBaseObject::Execute;
    using CEventCommand::CEventCommand;
    bool Execute(uint8_t skip) final {
        Subject* subject = FindSubject();
        return subject && ActOn(*subject, skip);
    }

protected:
    // Once a frame with the subject found: true keeps the command running.
    virtual bool ActOn(Subject& subject, uint8_t skip) = 0;

private:
    Subject* FindSubject() const;
};
template <>
CChar* CSubjectCommand<CChar>::FindSubject() const;
template <>
CEventScript* CSubjectCommand<CEventScript>::FindSubject() const;
using CTargetCommand = CSubjectCommand<CChar>;
using CEventScriptCommand = CSubjectCommand<CEventScript>;

// The character stands in its rest motion (motion state 106), its sprite
// playing that motion in a loop.
void HoldRestMotion(CChar& character);

// The command of a kind (0-76; kind 22's second form when second is set),
// or null for a kind without a class.
std::unique_ptr<CEventCommand> MakeEventCommand(int kind, bool second);
