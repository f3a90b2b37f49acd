#include "tests/support/script_writer.h"

#include <gtest/gtest.h>

#include <utility>

#include "core/byte_source.h"
#include "core/config.h"

namespace qmtest {

namespace {

ScriptExpr Single(ScriptItem item) {
    ScriptExpr e;
    e.m_expr.m_items.push_back(std::move(item));
    return e;
}

ScriptItem CallItem(uint32_t kind, uint32_t index, const std::vector<ScriptExpr>& args) {
    ScriptItem item;
    item.tag = SCRIPT_ITEM_CALL;
    item.call = std::make_unique<ScriptCall>();
    item.call->kind = kind;
    item.call->index = index;
    for (const ScriptExpr& a : args) item.call->args.push_back(a.m_expr);
    return item;
}

}  // namespace

ScriptExpr::ScriptExpr(double number) {
    ScriptItem item;
    item.tag = SCRIPT_ITEM_NUMBER;
    item.number = number;
    m_expr.m_items.push_back(std::move(item));
}

ScriptExpr ScriptExpr::Var(uint32_t variable) {
    ScriptItem item;
    item.tag = SCRIPT_ITEM_VARIABLE;
    item.variable = variable;
    return Single(std::move(item));
}

ScriptExpr ScriptExpr::Var(uint32_t variable, const ScriptExpr& index) {
    ScriptItem item;
    item.tag = SCRIPT_ITEM_VARIABLE;
    item.variable = variable;
    item.indexed = true;
    item.inner = std::make_unique<CScriptExpr>(index.m_expr);
    return Single(std::move(item));
}

ScriptExpr ScriptExpr::Text(const std::string& text) {
    ScriptItem item;
    item.tag = SCRIPT_ITEM_TEXT;
    item.text = text;
    return Single(std::move(item));
}

ScriptExpr ScriptExpr::Group(const ScriptExpr& inner) {
    ScriptItem item;
    item.tag = SCRIPT_ITEM_GROUP;
    item.inner = std::make_unique<CScriptExpr>(inner.m_expr);
    return Single(std::move(item));
}

ScriptExpr ScriptExpr::Native(uint32_t id, const std::vector<ScriptExpr>& args) {
    return Single(CallItem(SCRIPT_CALL_NATIVE, id, args));
}

ScriptExpr ScriptExpr::Call(uint32_t function, const std::vector<ScriptExpr>& args) {
    return Single(CallItem(SCRIPT_CALL_FUNCTION, function, args));
}

ScriptExpr ScriptExpr::CallOfKind(uint32_t kind, uint32_t index) {
    return Single(CallItem(kind, index, {}));
}

ScriptExpr ScriptExpr::Tag(uint32_t tag) {
    ScriptItem item;
    item.tag = tag;
    return Single(std::move(item));
}

ScriptExpr ScriptExpr::Then(uint32_t op, const ScriptExpr& rhs) const {
    ScriptExpr out = *this;
    ScriptItem item;
    item.tag = op;
    out.m_expr.m_items.push_back(std::move(item));
    for (const ScriptItem& i : rhs.m_expr.m_items) out.m_expr.m_items.push_back(i);
    return out;
}

ScriptExpr Join(const std::vector<ScriptExpr>& parts) {
    ScriptExpr out;
    for (const ScriptExpr& p : parts)
        for (const ScriptItem& i : p.m_expr.m_items) out.m_expr.m_items.push_back(i);
    return out;
}

ScriptExpr operator+(const ScriptExpr& a, const ScriptExpr& b) {
    return a.Then(SCRIPT_ITEM_ADD, b);
}
ScriptExpr operator-(const ScriptExpr& a, const ScriptExpr& b) {
    return a.Then(SCRIPT_ITEM_SUB, b);
}
ScriptExpr operator*(const ScriptExpr& a, const ScriptExpr& b) {
    return a.Then(SCRIPT_ITEM_MUL, b);
}
ScriptExpr operator/(const ScriptExpr& a, const ScriptExpr& b) {
    return a.Then(SCRIPT_ITEM_DIV, b);
}
ScriptExpr operator%(const ScriptExpr& a, const ScriptExpr& b) {
    return a.Then(SCRIPT_ITEM_MOD, b);
}
ScriptExpr operator<(const ScriptExpr& a, const ScriptExpr& b) {
    return a.Then(SCRIPT_ITEM_LT, b);
}
ScriptExpr operator<=(const ScriptExpr& a, const ScriptExpr& b) {
    return a.Then(SCRIPT_ITEM_LE, b);
}
ScriptExpr operator>(const ScriptExpr& a, const ScriptExpr& b) {
    return a.Then(SCRIPT_ITEM_GT, b);
}
ScriptExpr operator>=(const ScriptExpr& a, const ScriptExpr& b) {
    return a.Then(SCRIPT_ITEM_GE, b);
}
ScriptExpr Eq(const ScriptExpr& a, const ScriptExpr& b) {
    return a.Then(SCRIPT_ITEM_EQ, b);
}
ScriptExpr Ne(const ScriptExpr& a, const ScriptExpr& b) {
    return a.Then(SCRIPT_ITEM_NE, b);
}
ScriptExpr And(const ScriptExpr& a, const ScriptExpr& b) {
    return a.Then(SCRIPT_ITEM_AND, b);
}
ScriptExpr Or(const ScriptExpr& a, const ScriptExpr& b) {
    return a.Then(SCRIPT_ITEM_OR, b);
}

// ---- Statements ----

namespace {

ScriptStatement WithExpr(uint32_t op, const ScriptExpr& e, uint32_t block = 0) {
    ScriptStatement st;
    st.op = op;
    st.expr = e.m_expr;
    st.block = block;
    return st;
}

}  // namespace

ScriptStatement If(const ScriptExpr& condition, uint32_t block) {
    return WithExpr(SCRIPT_OP_IF, condition, block);
}
ScriptStatement While(const ScriptExpr& condition, uint32_t block) {
    return WithExpr(SCRIPT_OP_WHILE, condition, block);
}
ScriptStatement Return(const ScriptExpr& value) {
    return WithExpr(SCRIPT_OP_RETURN, value);
}
ScriptStatement Yield() {
    return Op(SCRIPT_OP_YIELD);
}
ScriptStatement WaitNatives() {
    return Op(SCRIPT_OP_WAIT);
}
ScriptStatement Do(const ScriptExpr& expression) {
    return WithExpr(SCRIPT_OP_EXPR, expression);
}
ScriptStatement Set(uint32_t variable, const ScriptExpr& value) {
    ScriptStatement st = WithExpr(SCRIPT_OP_ASSIGN, value);
    st.variable = variable;
    return st;
}
ScriptStatement SetAt(uint32_t variable, const ScriptExpr& index, const ScriptExpr& value) {
    ScriptStatement st = Set(variable, value);
    st.indexed = true;
    st.index = index.m_expr;
    return st;
}
ScriptStatement Op(uint32_t code) {
    ScriptStatement st;
    st.op = code;
    return st;
}

// ---- Scripts ----

ScriptWriter::ScriptWriter(uint32_t variables) {
    m_data.variableCount = variables;
}

ScriptWriter& ScriptWriter::Flags(bool removeWhenFinished, bool reentrant) {
    m_data.removeWhenFinished = removeWhenFinished ? 1 : 0;
    m_data.reentrant = reentrant ? 1 : 0;
    return *this;
}

uint32_t ScriptWriter::Block(const std::vector<ScriptStatement>& statements) {
    m_data.blocks.push_back(ScriptBlock{statements, {}});
    return uint32_t(m_data.blocks.size() - 1);
}

uint32_t ScriptWriter::Function(uint32_t body, const std::vector<uint32_t>& params, bool entry) {
    ScriptFunction f;
    f.entry = entry ? 1 : 0;
    f.params = params;
    f.body = body;
    m_data.functions.push_back(f);
    return uint32_t(m_data.functions.size() - 1);
}

uint32_t ScriptWriter::Entry(const std::vector<ScriptStatement>& statements) {
    return Function(Block(statements), {}, true);
}

std::vector<uint8_t> ScriptWriter::Bytes() const {
    CByteWriter out;
    WriteScriptFile(m_data, out);
    return out.Take();
}

std::shared_ptr<CScript> ScriptWriter::Make(const char* name) const {
    const std::vector<uint8_t> bytes = Bytes();
    CMemorySource source(bytes);
    auto script = std::make_shared<CScript>();
    std::string reason;
    EXPECT_TRUE(script->LoadFrom(source, name, &reason)) << reason;
    return script;
}

ScopedScriptFolder::ScopedScriptFolder() : m_old(g_config.m_folders[FOLDER_SCRIPT]) {
    g_config.m_folders[FOLDER_SCRIPT] = m_dir.Path();
}

ScopedScriptFolder::~ScopedScriptFolder() {
    g_config.m_folders[FOLDER_SCRIPT] = m_old;
}

void ScopedScriptFolder::Write(const std::string& name, const ScriptWriter& script) {
    WriteBytes(name, script.Bytes());
}

void ScopedScriptFolder::WriteBytes(const std::string& name, const std::vector<uint8_t>& bytes) {
    m_dir.WriteFile(name, std::vector<unsigned char>(bytes.begin(), bytes.end()));
}

// ---- Natives ----

void RecordingNatives::Add(CScript* script, uint32_t id, double result, int doneOnCall) {
    auto calls = std::make_shared<int>(0);
    RegisterNative(script, id,
                   [this, id, result, doneOnCall, calls](CScriptRunner*, uint32_t count, const double* args,
                                                         bool first, bool* done, double* out) {
                       m_calls.push_back({id, std::vector<double>(args, args + count), first});
                       *done = ++*calls >= doneOnCall;
                       *out = result;
                       return true;
                   });
}

void RecordingNatives::AddAll(CScript* script, double result) {
    for (uint32_t id = 0; id < SCRIPT_NATIVE_SLOTS; ++id) Add(script, id, result);
}

int RecordingNatives::CallsOf(uint32_t id) const {
    int n = 0;
    for (const NativeCallRecord& c : m_calls) n += c.id == id ? 1 : 0;
    return n;
}

// ---- The bench ----

ScriptBench::ScriptBench(std::shared_ptr<CScript> script, uint32_t startMs) : m_clock(startMs) {
    m_runner.Bind(std::move(script));
    m_runner.Start();
}

void ScriptBench::Frame(uint32_t ms) {
    m_clock.Advance(ms);
    m_runner.Update();
}

int ScriptBench::RunUntilStopped(int maxFrames) {
    int frames = 0;
    while (m_runner.IsRunning() && frames < maxFrames) {
        Frame();
        ++frames;
    }
    return frames;
}

}  // namespace qmtest
