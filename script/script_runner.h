// CScriptRunner: one running instance of a script. It owns the script's
// variables (doubles, shared by all its functions), a result register and a
// stack of tasks: every construct that needs a nested evaluation (a call, a
// nested expression, an index, a condition) is a task of its own, so a script
// can stop in the middle of any statement and go on in the next frame. Once
// a frame the runner steps its tasks until the script yields, waits, ends or
// has used its frame's share of steps.
//
// Bounds the file does not guarantee read as nothing: a variable outside the
// script's variables reads 0 and is not written, a block, function or native
// that is out of range or not registered gives 0 and the script goes on.
#pragma once
#include <cstdint>
#include <memory>
#include <unordered_map>
#include <vector>

#include "core/base_object.h"
#include "script/script.h"
#include "world/chars/skill_action.h"

class CChar;
class CScriptRunner;

// Task kinds (the values of the task's kind field).
enum : uint8_t {
    SCRIPT_TASK_FUNCTION = 0,
    SCRIPT_TASK_STATEMENT = 1,
    SCRIPT_TASK_BLOCK = 2,
    SCRIPT_TASK_EXPRESSION = 3,
    SCRIPT_TASK_CALL = 6,
    SCRIPT_TASK_ARGUMENTS = 7,
};

// What Step answers.
enum : int {
    SCRIPT_STEP_DONE = 0,     // finished: the runner pops and deletes it
    SCRIPT_STEP_AGAIN = 1,    // stepped again later (it may have pushed a task)
    SCRIPT_STEP_REMOVED = 2,  // the step already took it off the stack
};

// Steps one runner takes in a frame at most; then its turn ends as after a
// yield. An expression item counts as a step.
inline constexpr uint32_t SCRIPT_STEPS_PER_FRAME = 4096;
// Tasks a runner's stack holds at most; a script that needs more (a
// recursion without end) ends.
inline constexpr size_t SCRIPT_MAX_TASKS = 1024;
// Native calls a runner keeps waiting at most; a waiting native called
// beyond them is not kept (it counts as done).
inline constexpr size_t SCRIPT_MAX_PENDING = 256;

class CScriptTask {
public:
    CScriptTask(uint8_t kind, CScriptRunner& runner) : m_kind(kind), m_runner(runner) {}
    virtual ~CScriptTask() = default;
    CScriptTask(const CScriptTask&) = delete;
    CScriptTask& operator=(const CScriptTask&) = delete;

    virtual int Step() = 0;

    uint8_t m_kind;
    bool m_first = true;
    CScriptRunner& m_runner;
};

// The motion a flight native set going on a play entry (natives 21-28).
struct ScriptFlight {
    float startX = 0, startY = 0, startZ = 0;
    float endX = 0, endY = 0, endZ = 0;
    float speed = 0;        // map units per second
    float height = 0;       // of the arc or curve
    uint32_t duration = 0;  // ms of a timed flight
    uint32_t startTime = 0;
    uint32_t targetChar = 0;  // the character flown at, 0 for a point
    bool started = false;     // the start time is stamped
};

class CScriptRunner : public CBaseObject, public ISkillScriptRunner {
public:
    // serial: the runner's user value on the play entries it makes; 0 takes
    // the next of a program-wide count (never 0).
    explicit CScriptRunner(uint32_t serial = 0);
    ~CScriptRunner() override;

    // Takes the script and makes its variables, all 0.
    void Bind(std::shared_ptr<CScript> script);
    // Empties the task stack and starts the entry function (the variables
    // keep their values); false, and the runner stays stopped, without one.
    bool Start();
    // One frame: the waiting natives, then the tasks.
    bool Update() override;
    bool Draw() override { return true; }
    // Calls every waiting native once; those that report done are dropped.
    void PollNatives();
    // Ends the run at once: no tasks, no waiting natives.
    void Halt();

    // The skill action that runs the script (and its caster as owner
    // character), or a character that runs its own; the owner holds the
    // runner until it stops it.
    void SetOwner(CSkillAction* owner);
    void SetOwnerChar(CChar* character);
    CSkillAction* GetOwner() const { return m_pOwner; }
    // The owner's caster when a skill action owns the runner, else the owner
    // character; looked up again each time, null once it has gone.
    CChar* GetOwnerChar() const;
    bool IsHeld() const { return m_held; }

    bool IsRunning() const { return m_running; }
    uint32_t GetSerial() const { return m_serial; }
    CScript* GetScript() const { return m_script.get(); }
    const std::shared_ptr<CScript>& GetSharedScript() const { return m_script; }
    double GetResult() const { return m_result; }
    void SetResult(double value) { m_result = value; }
    // A variable; 0 outside the script's variables.
    double GetVariable(int64_t index) const;
    // False (nothing written) outside the script's variables.
    bool SetVariable(int64_t index, double value);
    size_t PendingCount() const { return m_pending.size(); }
    size_t TaskCount() const { return m_tasks.size(); }
    // Steps the last frame took.
    uint32_t LastFrameSteps() const { return m_lastSteps; }
    // The flight record of a play entry (made empty when missing).
    ScriptFlight& Flight(uint32_t handle) { return m_flights[handle]; }
    void ForgetFlight(uint32_t handle) { m_flights.erase(handle); }
    bool HasFlight(uint32_t handle) const { return m_flights.count(handle) != 0; }

    // ---- For the tasks ----
    // Pushes a task; false (and the run ends) when the stack is full.
    bool Push(std::unique_ptr<CScriptTask> task);
    // Takes every task from the top down to and including the nearest
    // function frame off the stack; false when there is none.
    bool UnwindToFunction();
    // Counts a step; false (and the turn ends) once the frame's share is used.
    bool TakeStep();
    void SetYield() { m_yield = true; }
    // Calls a native for a script call; one that does not report done waits.
    void CallNative(const ScriptNative& native, std::vector<double> args);
    // Shows the evaluator's error once for this runner.
    void ReportExpressionError(uint32_t code, const std::string& text);

private:
    struct PendingCall {
        ScriptNative native;
        std::vector<double> args;
    };

    void DropTasks();

    std::shared_ptr<CScript> m_script;
    std::vector<std::unique_ptr<CScriptTask>> m_tasks;
    std::vector<std::unique_ptr<CScriptTask>> m_removed;  // taken off during a step, deleted after it
    bool m_running = false;
    bool m_yield = false;
    bool m_overflow = false;
    double m_result = 0;
    std::vector<double> m_variables;
    std::vector<PendingCall> m_pending;
    CSkillAction* m_pOwner = nullptr;
    uint32_t m_ownerCharId = 0;
    bool m_hasOwnerChar = false;
    bool m_held = false;
    uint32_t m_serial = 0;
    uint32_t m_stepsLeft = 0;
    uint32_t m_lastSteps = 0;
    bool m_errorShown = false;
    std::unordered_map<uint32_t, ScriptFlight> m_flights;
};
