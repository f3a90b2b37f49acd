#include "script/script_runner.h"

#include <cmath>
#include <cstdio>

#include "core/error_box.h"
#include "core/key_file.h"
#include "data/text_format.h"
#include "data/text_tables.h"
#include "world/chars/char.h"
#include "world/chars/char_mgr.h"

namespace {

// The text table of the expression errors (rows 0-2 for codes 1-3).
constexpr int kExprErrorTable = 11;

uint32_t g_nextSerial = 0;

bool IsTrue(double v) {
    return v != 0.0;  // NaN counts as true
}

// A double truncated toward zero as an index; false when it is no number or
// beyond any index.
bool TruncIndex(double v, int64_t* out) {
    if (!std::isfinite(v) || std::fabs(v) > 9.0e15) return false;
    *out = int64_t(std::trunc(v));
    return true;
}

const ScriptBlock* BlockOf(const CScript* script, uint32_t block) {
    return script && block < script->Data().blocks.size() ? &script->Data().blocks[block] : nullptr;
}

// ---- The tasks ----

class BlockTask : public CScriptTask {
public:
    BlockTask(CScriptRunner& r, uint32_t block) : CScriptTask(SCRIPT_TASK_BLOCK, r), m_block(block) {}
    int Step() override;

private:
    uint32_t m_block;
    size_t m_next = 0;
};

class FunctionTask : public CScriptTask {
public:
    FunctionTask(CScriptRunner& r, uint32_t function)
        : CScriptTask(SCRIPT_TASK_FUNCTION, r), m_function(function) {}
    int Step() override {
        if (!m_first) return SCRIPT_STEP_DONE;
        m_first = false;
        m_runner.SetResult(0.0);
        const ScriptFunction& f = m_runner.GetScript()->Data().functions[m_function];
        if (!BlockOf(m_runner.GetScript(), f.body)) return SCRIPT_STEP_DONE;
        m_runner.Push(std::make_unique<BlockTask>(m_runner, f.body));
        return SCRIPT_STEP_AGAIN;
    }

private:
    uint32_t m_function;
};

class ExpressionTask : public CScriptTask {
public:
    ExpressionTask(CScriptRunner& r, const CScriptExpr& expr)
        : CScriptTask(SCRIPT_TASK_EXPRESSION, r), m_expr(expr), m_slots(expr.m_items.size(), 0.0) {}
    int Step() override;

private:
    int Evaluate();

    const CScriptExpr& m_expr;
    size_t m_next = 0;
    std::vector<double> m_slots;
    bool m_groupPending = false, m_callPending = false, m_indexPending = false;
};

class CallTask;

class ArgumentsTask : public CScriptTask {
public:
    ArgumentsTask(CScriptRunner& r, CallTask& call, const std::vector<CScriptExpr>& args)
        : CScriptTask(SCRIPT_TASK_ARGUMENTS, r), m_call(call), m_args(args) {}
    int Step() override;

private:
    CallTask& m_call;  // the call below this task on the stack
    const std::vector<CScriptExpr>& m_args;
    size_t m_next = 0;
    std::vector<double> m_values;
};

class CallTask : public CScriptTask {
public:
    CallTask(CScriptRunner& r, const ScriptCall& call) : CScriptTask(SCRIPT_TASK_CALL, r), m_call(call) {}
    int Step() override;
    void TakeArguments(std::vector<double> values) { m_args = std::move(values); }

private:
    const ScriptCall& m_call;
    int m_stage = 0;
    std::vector<double> m_args;
};

class StatementTask : public CScriptTask {
public:
    StatementTask(CScriptRunner& r, const ScriptStatement& st)
        : CScriptTask(SCRIPT_TASK_STATEMENT, r), m_st(st) {}
    int Step() override;

private:
    bool PushExpression(const CScriptExpr& expr) {
        return m_runner.Push(std::make_unique<ExpressionTask>(m_runner, expr));
    }
    // The block of an if or a while, pushed; false when there is none.
    bool PushBlock() {
        if (!BlockOf(m_runner.GetScript(), m_st.block)) return false;
        m_runner.Push(std::make_unique<BlockTask>(m_runner, m_st.block));
        return true;
    }

    const ScriptStatement& m_st;
    int m_stage = 0;
    int64_t m_offset = 0;
    bool m_offsetValid = true;
};

int BlockTask::Step() {
    const ScriptBlock* block = BlockOf(m_runner.GetScript(), m_block);
    if (!block || m_next >= block->statements.size()) return SCRIPT_STEP_DONE;
    m_runner.Push(std::make_unique<StatementTask>(m_runner, block->statements[m_next++]));
    return SCRIPT_STEP_AGAIN;
}

int StatementTask::Step() {
    switch (m_st.op) {
        case SCRIPT_OP_IF:
            if (m_stage == 0) {
                m_stage = 1;
                PushExpression(m_st.expr);
                return SCRIPT_STEP_AGAIN;
            }
            if (m_stage == 1 && IsTrue(m_runner.GetResult())) {
                m_stage = 2;
                if (PushBlock()) return SCRIPT_STEP_AGAIN;
            }
            return SCRIPT_STEP_DONE;
        case SCRIPT_OP_RETURN:
            if (m_stage == 0) {
                m_stage = 1;
                PushExpression(m_st.expr);
                return SCRIPT_STEP_AGAIN;
            }
            return m_runner.UnwindToFunction() ? SCRIPT_STEP_REMOVED : SCRIPT_STEP_DONE;
        case SCRIPT_OP_YIELD:
            m_runner.SetYield();
            return SCRIPT_STEP_DONE;
        case SCRIPT_OP_WAIT:
            if (m_runner.PendingCount() == 0) return SCRIPT_STEP_DONE;
            m_runner.SetYield();
            return SCRIPT_STEP_AGAIN;
        case SCRIPT_OP_WHILE:
            // Stage 0 tests the condition; stage 1 runs the block on a true one.
            if (m_stage == 0) {
                m_stage = 1;
                PushExpression(m_st.expr);
                return SCRIPT_STEP_AGAIN;
            }
            if (!IsTrue(m_runner.GetResult())) return SCRIPT_STEP_DONE;
            m_stage = 0;
            PushBlock();  // a missing block is an empty one
            return SCRIPT_STEP_AGAIN;
        case SCRIPT_OP_EXPR:
            if (m_stage == 0) {
                m_stage = 1;
                PushExpression(m_st.expr);
                return SCRIPT_STEP_AGAIN;
            }
            return SCRIPT_STEP_DONE;
        case SCRIPT_OP_ASSIGN:
            if (m_stage == 0 && m_st.indexed) {
                m_stage = 1;
                PushExpression(m_st.index);
                return SCRIPT_STEP_AGAIN;
            }
            if (m_stage <= 1) {
                if (m_stage == 1) m_offsetValid = TruncIndex(m_runner.GetResult(), &m_offset);
                m_stage = 2;
                PushExpression(m_st.expr);
                return SCRIPT_STEP_AGAIN;
            }
            if (m_offsetValid) m_runner.SetVariable(int64_t(m_st.variable) + m_offset, m_runner.GetResult());
            return SCRIPT_STEP_DONE;
        default:
            return SCRIPT_STEP_DONE;  // op codes 5, 6 and above 8 do nothing
    }
}

int ExpressionTask::Step() {
    while (m_next < m_expr.m_items.size()) {
        const ScriptItem& item = m_expr.m_items[m_next];
        double& slot = m_slots[m_next];
        switch (item.tag) {
            case SCRIPT_ITEM_NUMBER:
                slot = item.number;
                break;
            case SCRIPT_ITEM_VARIABLE: {
                int64_t offset = 0;
                if (item.indexed) {
                    if (!m_indexPending) {
                        m_indexPending = true;
                        m_runner.Push(std::make_unique<ExpressionTask>(m_runner, *item.inner));
                        return SCRIPT_STEP_AGAIN;
                    }
                    m_indexPending = false;
                    if (!TruncIndex(m_runner.GetResult(), &offset)) {
                        slot = 0.0;
                        break;
                    }
                }
                slot = m_runner.GetVariable(int64_t(item.variable) + offset);
                break;
            }
            case SCRIPT_ITEM_GROUP:
                if (!m_groupPending) {
                    m_groupPending = true;
                    m_runner.Push(std::make_unique<ExpressionTask>(m_runner, *item.inner));
                    return SCRIPT_STEP_AGAIN;
                }
                m_groupPending = false;
                slot = m_runner.GetResult();
                break;
            case SCRIPT_ITEM_CALL:
                if (!m_callPending) {
                    m_callPending = true;
                    m_runner.Push(std::make_unique<CallTask>(m_runner, *item.call));
                    return SCRIPT_STEP_AGAIN;
                }
                m_callPending = false;
                slot = m_runner.GetResult();
                break;
            default:
                slot = 0.0;  // texts and operators
                break;
        }
        ++m_next;
        if (!m_runner.TakeStep()) return SCRIPT_STEP_AGAIN;  // the next item in the next frame
    }
    return Evaluate();
}

int ExpressionTask::Evaluate() {
    if (m_expr.m_items.empty()) {
        m_runner.SetResult(0.0);
        return SCRIPT_STEP_DONE;
    }
    // The text as the evaluator reads it; once longer than it takes, the
    // rest cannot change its answer.
    std::string text;
    for (size_t i = 0; i < m_expr.m_items.size() && text.size() <= MAX_EXPRESSION; ++i) {
        const uint32_t tag = m_expr.m_items[i].tag;
        if (const char* op = ScriptOperatorText(tag)) {
            text += op;
        } else if (tag >= SCRIPT_ITEM_VARIABLE && tag <= SCRIPT_ITEM_GROUP) {
            char number[352];
            std::snprintf(number, sizeof number, "%f", m_slots[i]);
            text += number;
        }
    }
    double value = 0.0;
    const uint32_t code = EvaluateExpression(text.c_str(), &value);
    if (code == EXPR_OK) {
        m_runner.SetResult(value);
    } else {
        m_runner.SetResult(0.0);
        m_runner.ReportExpressionError(code, text);
    }
    return SCRIPT_STEP_DONE;
}

int ArgumentsTask::Step() {
    if (m_next > 0 && m_values.size() < m_next) m_values.push_back(m_runner.GetResult());
    if (m_next >= m_args.size()) {
        m_call.TakeArguments(std::move(m_values));
        return SCRIPT_STEP_DONE;
    }
    m_runner.Push(std::make_unique<ExpressionTask>(m_runner, m_args[m_next++]));
    return SCRIPT_STEP_AGAIN;
}

int CallTask::Step() {
    if (m_stage == 0) {
        m_stage = 1;
        m_runner.Push(std::make_unique<ArgumentsTask>(m_runner, *this, m_call.args));
        return SCRIPT_STEP_AGAIN;
    }
    if (m_stage == 2) return SCRIPT_STEP_DONE;  // the function's frame has ended
    CScript* script = m_runner.GetScript();
    if (m_call.kind == SCRIPT_CALL_NATIVE) {
        const ScriptNative* native = GetNative(script, m_call.index);
        if (native) {
            m_runner.CallNative(*native, std::move(m_args));
        } else {
            m_runner.SetResult(0.0);
        }
        return SCRIPT_STEP_DONE;
    }
    if (m_call.kind != SCRIPT_CALL_FUNCTION || m_call.index >= script->Data().functions.size()) {
        m_runner.SetResult(0.0);
        return SCRIPT_STEP_DONE;
    }
    // Parameters are variables of the whole runner; arguments beyond them are dropped.
    const ScriptFunction& f = script->Data().functions[m_call.index];
    for (size_t i = 0; i < f.params.size() && i < m_args.size(); ++i)
        m_runner.SetVariable(f.params[i], m_args[i]);
    m_args.clear();
    m_stage = 2;
    m_runner.Push(std::make_unique<FunctionTask>(m_runner, m_call.index));
    return SCRIPT_STEP_AGAIN;
}

}  // namespace

// ---- The runner ----

CScriptRunner::CScriptRunner(uint32_t serial) {
    if (serial == 0) {
        if (++g_nextSerial == 0) ++g_nextSerial;
        serial = g_nextSerial;
    }
    m_serial = serial;
}

CScriptRunner::~CScriptRunner() {
    DropTasks();
}

void CScriptRunner::DropTasks() {
    // From the top down, as the tasks were pushed.
    while (!m_tasks.empty()) m_tasks.pop_back();
    m_removed.clear();
}

void CScriptRunner::Bind(std::shared_ptr<CScript> script) {
    m_script = std::move(script);
    m_variables.assign(m_script ? m_script->VariableCount() : 0, 0.0);
}

bool CScriptRunner::Start() {
    DropTasks();
    m_overflow = false;
    const int32_t entry = m_script ? m_script->FindEntryFunction() : -1;
    if (entry < 0) {
        m_running = !m_pending.empty();
        return false;
    }
    m_tasks.push_back(std::make_unique<FunctionTask>(*this, uint32_t(entry)));
    m_running = true;
    return true;
}

void CScriptRunner::Halt() {
    DropTasks();
    m_pending.clear();
    m_running = false;
}

void CScriptRunner::SetOwner(CSkillAction* owner) {
    m_pOwner = owner;
    m_hasOwnerChar = owner != nullptr;
    m_ownerCharId = owner ? owner->CasterId() : 0;
    m_held = m_held || owner;
}

void CScriptRunner::SetOwnerChar(CChar* character) {
    m_pOwner = nullptr;
    m_hasOwnerChar = character != nullptr;
    m_ownerCharId = character ? character->GetCharId() : 0;
    m_held = m_held || character;
}

CChar* CScriptRunner::GetOwnerChar() const {
    if (!m_hasOwnerChar || !g_pCharMgr) return nullptr;
    const uint32_t id = m_pOwner ? m_pOwner->CasterId() : m_ownerCharId;
    return g_pCharMgr->GetChar(id);
}

double CScriptRunner::GetVariable(int64_t index) const {
    return index >= 0 && uint64_t(index) < m_variables.size() ? m_variables[size_t(index)] : 0.0;
}

bool CScriptRunner::SetVariable(int64_t index, double value) {
    if (index < 0 || uint64_t(index) >= m_variables.size()) return false;
    m_variables[size_t(index)] = value;
    return true;
}

bool CScriptRunner::Push(std::unique_ptr<CScriptTask> task) {
    if (m_tasks.size() >= SCRIPT_MAX_TASKS) {
        m_overflow = true;
        return false;
    }
    m_tasks.push_back(std::move(task));
    return true;
}

bool CScriptRunner::UnwindToFunction() {
    size_t frame = m_tasks.size();
    while (frame > 0 && m_tasks[frame - 1]->m_kind != SCRIPT_TASK_FUNCTION) --frame;
    if (frame == 0) return false;
    // Kept until the step that asked for it has returned.
    while (m_tasks.size() >= frame) {
        m_removed.push_back(std::move(m_tasks.back()));
        m_tasks.pop_back();
    }
    return true;
}

bool CScriptRunner::TakeStep() {
    if (m_stepsLeft == 0) {
        m_yield = true;
        return false;
    }
    --m_stepsLeft;
    return true;
}

void CScriptRunner::CallNative(const ScriptNative& native, std::vector<double> args) {
    bool done = true;
    double result = m_result;  // a native that answers nothing leaves the register as it is
    native(this, uint32_t(args.size()), args.data(), true, &done, &result);
    m_result = result;
    if (!done && m_pending.size() < SCRIPT_MAX_PENDING) m_pending.push_back({native, std::move(args)});
}

void CScriptRunner::ReportExpressionError(uint32_t code, const std::string& text) {
    if (m_errorShown || code < 1 || code > 3) return;
    m_errorShown = true;
    ReportError("%s", FormatTableText(GetTableText(kExprErrorTable, int(code - 1)), {text}).c_str());
}

void CScriptRunner::PollNatives() {
    for (size_t i = 0; i < m_pending.size();) {
        bool done = true;
        double scratch = 0.0;
        PendingCall& call = m_pending[i];
        call.native(this, uint32_t(call.args.size()), call.args.data(), false, &done, &scratch);
        if (done)
            m_pending.erase(m_pending.begin() + std::ptrdiff_t(i));
        else
            ++i;
    }
}

bool CScriptRunner::Update() {
    m_lastSteps = 0;
    if (!m_running) return true;
    PollNatives();
    if (m_tasks.empty()) {
        m_running = !m_pending.empty();
        return true;
    }
    m_yield = false;
    m_stepsLeft = SCRIPT_STEPS_PER_FRAME;
    for (;;) {
        if (!TakeStep()) break;
        CScriptTask* top = m_tasks.back().get();
        const int answer = top->Step();
        m_removed.clear();
        if (m_overflow) {
            // A script that needs more tasks than a runner holds ends here.
            Halt();
            m_overflow = false;
            break;
        }
        if (answer == SCRIPT_STEP_DONE && !m_tasks.empty() && m_tasks.back().get() == top) m_tasks.pop_back();
        if ((answer == SCRIPT_STEP_DONE || answer == SCRIPT_STEP_REMOVED) && m_tasks.empty()) {
            m_running = !m_pending.empty();
            break;
        }
        if (m_yield) break;
    }
    m_lastSteps = SCRIPT_STEPS_PER_FRAME - m_stepsLeft;
    return true;
}
