// Compiled scripts for the tests: expressions and statements written as C++
// (ScriptExpr, If, While, Set, ...), a script of blocks and functions
// (ScriptWriter) written in the file layout by the client's own writer, a
// script folder to put them in, natives that record their calls, and a
// runner on a fake clock stepped frame by frame.
#pragma once
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/clock.h"
#include "script/script.h"
#include "script/script_file.h"
#include "script/script_runner.h"
#include "tests/support/temp_dir.h"

namespace qmtest {

// An expression: its items in infix order. Numbers convert by themselves;
// the operators append the operator and the other side's items.
class ScriptExpr {
public:
    ScriptExpr() = default;
    ScriptExpr(double number);  // NOLINT: a number is an expression
    static ScriptExpr Var(uint32_t variable);
    static ScriptExpr Var(uint32_t variable, const ScriptExpr& index);
    static ScriptExpr Text(const std::string& text);
    static ScriptExpr Group(const ScriptExpr& inner);
    static ScriptExpr Native(uint32_t id, const std::vector<ScriptExpr>& args = {});
    static ScriptExpr Call(uint32_t function, const std::vector<ScriptExpr>& args = {});
    // A call of another kind than native or function.
    static ScriptExpr CallOfKind(uint32_t kind, uint32_t index);
    // A bare item of the tag (an operator, or a tag the file does not know).
    static ScriptExpr Tag(uint32_t tag);
    // This expression, the operator, then the other's items.
    ScriptExpr Then(uint32_t op, const ScriptExpr& rhs) const;

    CScriptExpr m_expr;
};

// The items of the parts one after the other, as they stand.
ScriptExpr Join(const std::vector<ScriptExpr>& parts);

ScriptExpr operator+(const ScriptExpr& a, const ScriptExpr& b);
ScriptExpr operator-(const ScriptExpr& a, const ScriptExpr& b);
ScriptExpr operator*(const ScriptExpr& a, const ScriptExpr& b);
ScriptExpr operator/(const ScriptExpr& a, const ScriptExpr& b);
ScriptExpr operator%(const ScriptExpr& a, const ScriptExpr& b);
ScriptExpr operator<(const ScriptExpr& a, const ScriptExpr& b);
ScriptExpr operator<=(const ScriptExpr& a, const ScriptExpr& b);
ScriptExpr operator>(const ScriptExpr& a, const ScriptExpr& b);
ScriptExpr operator>=(const ScriptExpr& a, const ScriptExpr& b);
ScriptExpr Eq(const ScriptExpr& a, const ScriptExpr& b);
ScriptExpr Ne(const ScriptExpr& a, const ScriptExpr& b);
ScriptExpr And(const ScriptExpr& a, const ScriptExpr& b);
ScriptExpr Or(const ScriptExpr& a, const ScriptExpr& b);

// Statements.
ScriptStatement If(const ScriptExpr& condition, uint32_t block);
ScriptStatement While(const ScriptExpr& condition, uint32_t block);
ScriptStatement Return(const ScriptExpr& value);
ScriptStatement Yield();
ScriptStatement WaitNatives();
ScriptStatement Do(const ScriptExpr& expression);
ScriptStatement Set(uint32_t variable, const ScriptExpr& value);
ScriptStatement SetAt(uint32_t variable, const ScriptExpr& index, const ScriptExpr& value);
// An op code without operands.
ScriptStatement Op(uint32_t code);

// A script of blocks and functions, numbered in the order they are added.
class ScriptWriter {
public:
    explicit ScriptWriter(uint32_t variables = 16);
    ScriptWriter& Flags(bool removeWhenFinished, bool reentrant);
    uint32_t Block(const std::vector<ScriptStatement>& statements);
    uint32_t Function(uint32_t body, const std::vector<uint32_t>& params = {}, bool entry = false);
    // A new block of the statements and an entry function over it.
    uint32_t Entry(const std::vector<ScriptStatement>& statements);

    ScriptFileData& Data() { return m_data; }
    std::vector<uint8_t> Bytes() const;
    // The script read back from its bytes, as the manager would load it.
    std::shared_ptr<CScript> Make(const char* name = "test") const;

private:
    ScriptFileData m_data;
};

// A script folder for the time of a test (SCRIPT_FOLDER points at it).
class ScopedScriptFolder {
public:
    ScopedScriptFolder();
    ~ScopedScriptFolder();
    ScopedScriptFolder(const ScopedScriptFolder&) = delete;
    ScopedScriptFolder& operator=(const ScopedScriptFolder&) = delete;

    void Write(const std::string& name, const ScriptWriter& script);
    void WriteBytes(const std::string& name, const std::vector<uint8_t>& bytes);
    const std::string& Path() const { return m_dir.Path(); }

private:
    TempDir m_dir;
    std::string m_old;
};

struct NativeCallRecord {
    uint32_t id = 0;
    std::vector<double> args;
    bool first = false;
};

// Natives that record every call, answer a result and report done on their
// n-th call (1: at once). They must outlive the scripts they are put in.
class RecordingNatives {
public:
    void Add(CScript* script, uint32_t id, double result = 0.0, int doneOnCall = 1);
    // Every id from 0 to 99.
    void AddAll(CScript* script, double result = 0.0);
    int CallsOf(uint32_t id) const;

    std::vector<NativeCallRecord> m_calls;
};

// A runner of a script on a fake clock, stepped a frame at a time.
class ScriptBench {
public:
    explicit ScriptBench(std::shared_ptr<CScript> script, uint32_t startMs = 100000);
    // Moves the clock by ms and runs one frame of the runner.
    void Frame(uint32_t ms = 33);
    // Frames until the runner stops or the count is reached; the frames run.
    int RunUntilStopped(int maxFrames);

    plat::FakeClock m_clock;
    plat::ScopedClock m_scopedClock{m_clock};
    CScriptRunner m_runner;
};

}  // namespace qmtest
