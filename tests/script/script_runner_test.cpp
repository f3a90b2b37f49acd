// The runner: statements, expressions, calls and waiting natives frame by
// frame; indexes and ids the file does not keep in range read as nothing;
// no script, however long, holds up a frame beyond its share of steps.
#include "script/script_runner.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/message_box.h"
#include "tests/support/data_fixtures.h"
#include "tests/support/script_writer.h"

namespace {

using qmtest::ScriptBench;
using qmtest::ScriptExpr;
using qmtest::ScriptWriter;

ScriptExpr Var(uint32_t v) {
    return ScriptExpr::Var(v);
}

class ScriptRunnerTest : public ::testing::Test {
protected:
    std::vector<std::string> BoxTexts() const {
        std::vector<std::string> out;
        for (const auto& b : m_boxes.Boxes()) out.push_back(b.text);
        return out;
    }

    plat::ScopedMessageBoxRecorder m_boxes;
    qmtest::RecordingNatives m_natives;
};

TEST_F(ScriptRunnerTest, AYieldSplitsTheStatementsBetweenFrames) {
    ScriptWriter w;
    w.Entry({qmtest::Set(0, 1.0), qmtest::Yield(), qmtest::Set(1, 2.0)});
    ScriptBench bench(w.Make());
    ASSERT_TRUE(bench.m_runner.IsRunning());
    bench.Frame();
    EXPECT_EQ(bench.m_runner.GetVariable(0), 1.0);
    EXPECT_EQ(bench.m_runner.GetVariable(1), 0.0);
    EXPECT_TRUE(bench.m_runner.IsRunning());
    bench.Frame();
    EXPECT_EQ(bench.m_runner.GetVariable(1), 2.0);
    EXPECT_FALSE(bench.m_runner.IsRunning());
}

TEST_F(ScriptRunnerTest, AWaitingNativeHoldsOnlyTheWaitForNatives) {
    // Native 5 reports done on its third call.
    ScriptWriter w;
    w.Entry({qmtest::Do(ScriptExpr::Native(5, {7.0})), qmtest::Set(0, 1.0), qmtest::WaitNatives(),
             qmtest::Set(1, 1.0)});
    std::shared_ptr<CScript> script = w.Make();
    m_natives.Add(script.get(), 5, 0.0, 3);
    ScriptBench bench(script);
    bench.Frame();
    EXPECT_EQ(bench.m_runner.GetVariable(0), 1.0);  // went on right after the first call
    EXPECT_EQ(bench.m_runner.GetVariable(1), 0.0);
    EXPECT_EQ(bench.m_runner.PendingCount(), 1u);
    bench.Frame();  // the second call
    EXPECT_EQ(bench.m_runner.GetVariable(1), 0.0);
    bench.Frame();  // the third: done, and the wait is over in this frame
    EXPECT_EQ(bench.m_runner.GetVariable(1), 1.0);
    EXPECT_FALSE(bench.m_runner.IsRunning());
    ASSERT_EQ(m_natives.m_calls.size(), 3u);
    EXPECT_TRUE(m_natives.m_calls[0].first);
    EXPECT_FALSE(m_natives.m_calls[2].first);
    EXPECT_EQ(m_natives.m_calls[2].args, std::vector<double>{7.0});

    // A runner whose tasks are done stays running while a native waits.
    ScriptWriter tail;
    tail.Entry({qmtest::Do(ScriptExpr::Native(5))});
    std::shared_ptr<CScript> tailScript = tail.Make();
    m_natives.Add(tailScript.get(), 5, 0.0, 2);
    ScriptBench late(tailScript);
    late.Frame();
    EXPECT_TRUE(late.m_runner.IsRunning());
    late.Frame();
    EXPECT_FALSE(late.m_runner.IsRunning());
}

TEST_F(ScriptRunnerTest, AFunctionTakesItsArgumentsAndLeavesItsResult) {
    ScriptWriter w;
    // Function 0 (entry): v0 = f1(4, 5); v3 = f2(); v4 = f3(1, 2, 3) (two parameters).
    const uint32_t entry =
        w.Block({qmtest::Set(0, ScriptExpr::Call(1, {4.0, 5.0})), qmtest::Set(3, ScriptExpr::Call(2) + 9.0),
                 qmtest::Set(4, ScriptExpr::Call(3, {1.0, 2.0, 3.0}))});
    w.Function(entry, {}, true);
    w.Function(w.Block({qmtest::Return(Var(1) * Var(2))}), {1, 2});  // 1
    w.Function(w.Block({}));                                         // 2: an empty body gives 0
    w.Function(w.Block({qmtest::Return(Var(5) + Var(6))}), {5, 6});  // 3
    ScriptBench bench(w.Make());
    bench.Frame();
    EXPECT_EQ(bench.m_runner.GetVariable(1), 4.0);
    EXPECT_EQ(bench.m_runner.GetVariable(2), 5.0);
    EXPECT_EQ(bench.m_runner.GetVariable(0), 20.0);
    EXPECT_EQ(bench.m_runner.GetVariable(3), 9.0);
    EXPECT_EQ(bench.m_runner.GetVariable(4), 3.0);  // the third argument dropped
    EXPECT_EQ(bench.m_runner.GetVariable(7), 0.0);
}

TEST_F(ScriptRunnerTest, AReturnInsideALoopEndsTheLoopTheFunctionAndTheCall) {
    ScriptWriter w;
    const uint32_t body = w.Block({qmtest::Set(1, Var(1) + 1.0), qmtest::If(Eq(Var(1), 3.0), 2)});
    const uint32_t loop = w.Block({qmtest::While(1.0, body), qmtest::Set(2, 99.0)});
    w.Block({qmtest::Return(Var(1) * 10.0)});  // 2
    const uint32_t function = w.Function(loop);
    w.Entry({qmtest::Set(0, ScriptExpr::Call(function) + 1.0), qmtest::Set(3, 1.0)});
    ScriptBench bench(w.Make());
    bench.Frame();
    EXPECT_EQ(bench.m_runner.GetVariable(1), 3.0);
    EXPECT_EQ(bench.m_runner.GetVariable(0), 31.0);
    EXPECT_EQ(bench.m_runner.GetVariable(2), 0.0);  // after the loop: never reached
    EXPECT_EQ(bench.m_runner.GetVariable(3), 1.0);
    EXPECT_FALSE(bench.m_runner.IsRunning());
}

TEST_F(ScriptRunnerTest, ExpressionsAreEvaluatedAsTheirText) {
    struct Case {
        const char* name;
        ScriptExpr expr;
        double value;
    };
    const Case cases[] = {
        {"remainder before comparison", ScriptExpr(7.0) % 3.0 < 2.0, 1.0},
        {"precedence", ScriptExpr(2.0) + 3.0 * 4.0, 14.0},
        {"a group", ScriptExpr::Group(ScriptExpr(2.0) + 3.0) * 4.0, 20.0},
        {"a negative operand", ScriptExpr(3.0) - -2.0, 5.0},
        {"a text item is 0", ScriptExpr::Text("words") + 4.0, 4.0},
        {"logic", Or(And(ScriptExpr(1.0), 0.0), Ne(ScriptExpr(2.0), 3.0)), 1.0},
        {"an unknown tag writes nothing",
         qmtest::Join({5.0, ScriptExpr::Tag(SCRIPT_ITEM_ADD), ScriptExpr::Tag(40), 6.0}), 11.0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ScriptWriter w;
        w.Entry({qmtest::Set(0, c.expr)});
        ScriptBench bench(w.Make());
        bench.Frame();
        EXPECT_DOUBLE_EQ(bench.m_runner.GetVariable(0), c.value);
    }
    EXPECT_TRUE(m_boxes.Boxes().empty());
}

TEST_F(ScriptRunnerTest, AnEvaluatorErrorShowsOneBoxPerRunnerAndGivesZero) {
    qmtest::ScopedTextTables texts({{11, {"Unbalanced: %s", "Misplaced: %s", "Unknown: %s"}}});
    ScriptWriter w;
    ScriptExpr longExpr = 1.0;
    for (int i = 0; i < 80; ++i) longExpr = longExpr + 1.0;  // over 512 characters
    w.Entry({qmtest::Set(0, 5.0),
             qmtest::Set(0, qmtest::Join({ScriptExpr(7.0) % 3.0, ScriptExpr::Tag(SCRIPT_ITEM_LT)})),
             qmtest::Set(1, 5.0), qmtest::Set(1, qmtest::Join({1.0, ScriptExpr::Tag(SCRIPT_ITEM_ADD)})),
             qmtest::Set(2, 5.0), qmtest::Set(2, longExpr), qmtest::Set(3, 4.0)});
    ScriptBench bench(w.Make());
    bench.Frame();
    EXPECT_EQ(bench.m_runner.GetVariable(0), 0.0);
    EXPECT_EQ(bench.m_runner.GetVariable(1), 0.0);
    EXPECT_EQ(bench.m_runner.GetVariable(2), 0.0);
    EXPECT_EQ(bench.m_runner.GetVariable(3), 4.0);  // the script went on
    // The first error only, with the text the expression was written as.
    EXPECT_EQ(BoxTexts(), std::vector<std::string>{"Misplaced: 7.000000%3.000000<"});
    // A second runner reports its own first error.
    ScriptBench second(w.Make());
    second.Frame();
    EXPECT_EQ(m_boxes.Boxes().size(), 2u);
}

TEST_F(ScriptRunnerTest, IndexesAndIdsOutOfRangeReadNothingAndTheScriptGoesOn) {
    ScriptWriter w(4);
    const uint32_t entry = w.Block({
        qmtest::SetAt(1, 2.0, 7.0),    // v3 = 7
        qmtest::SetAt(1, 3.0, 8.0),    // v4: none, nothing written
        qmtest::SetAt(0, -1.0, 9.0),   // v-1: none
        qmtest::SetAt(0, 1e300, 9.0),  // no index at all
        qmtest::Set(9, 1.0),           // past the variables
        qmtest::Set(0, ScriptExpr::Var(3, 1.0) + ScriptExpr::Var(2, -5.0) + ScriptExpr::Var(1, 2.0) + 1.0),
        qmtest::If(1.0, 55),  // no such block
        qmtest::While(0.0, 77),
        qmtest::Set(1, ScriptExpr::Call(40) + ScriptExpr::Native(3) + ScriptExpr::Native(150) + 2.0),
        qmtest::Set(2, ScriptExpr::CallOfKind(9, 0) + 3.0),
    });
    w.Function(entry, {}, true);
    w.Function(99);  // a body that is no block
    ScriptBench bench(w.Make());
    bench.Frame();
    EXPECT_EQ(bench.m_runner.GetVariable(3), 7.0);
    EXPECT_EQ(bench.m_runner.GetVariable(0), 8.0);  // 7 + 0 + 0 + 1
    EXPECT_EQ(bench.m_runner.GetVariable(1), 2.0);
    EXPECT_EQ(bench.m_runner.GetVariable(2), 3.0);
    EXPECT_FALSE(bench.m_runner.IsRunning());
}

TEST_F(ScriptRunnerTest, OpCodesWithoutAMeaningAndTheEmptyExpressionDoNothing) {
    ScriptWriter w;
    w.Entry({qmtest::Set(0, 1.0), qmtest::Op(SCRIPT_OP_UNWIND), qmtest::Op(SCRIPT_OP_SPARE), qmtest::Op(9),
             qmtest::Op(0xFFFFFFFF), qmtest::Do(ScriptExpr()), qmtest::Set(1, 2.0)});
    ScriptBench bench(w.Make());
    bench.Frame();
    EXPECT_EQ(bench.m_runner.GetVariable(1), 2.0);
    EXPECT_FALSE(bench.m_runner.IsRunning());
    EXPECT_TRUE(m_boxes.Boxes().empty());
}

TEST_F(ScriptRunnerTest, WithoutAnEntryFunctionNothingRunsAndARestartKeepsTheVariables) {
    ScriptWriter none;
    none.Function(none.Block({qmtest::Set(0, 1.0)}));
    ScriptBench idle(none.Make());
    EXPECT_FALSE(idle.m_runner.Start());
    idle.Frame();
    EXPECT_FALSE(idle.m_runner.IsRunning());
    EXPECT_EQ(idle.m_runner.GetVariable(0), 0.0);

    ScriptWriter w;
    w.Entry({qmtest::Set(0, Var(0) + 1.0), qmtest::Yield(), qmtest::Set(1, Var(1) + 1.0)});
    ScriptBench bench(w.Make());
    bench.Frame();
    EXPECT_TRUE(bench.m_runner.Start());  // restarted in the middle
    bench.RunUntilStopped(5);
    EXPECT_EQ(bench.m_runner.GetVariable(0), 2.0);
    EXPECT_EQ(bench.m_runner.GetVariable(1), 1.0);
    EXPECT_TRUE(bench.m_runner.Start());  // and after it has ended
    bench.RunUntilStopped(5);
    EXPECT_EQ(bench.m_runner.GetVariable(0), 3.0);
    EXPECT_EQ(bench.m_runner.GetVariable(1), 2.0);
}

TEST_F(ScriptRunnerTest, NoScriptHoldsUpTheFrame) {
    struct Case {
        const char* name;
        bool ends;  // ends by itself within the frames run
    };
    // while (1) {}; a function that calls itself; a loop of a million passes.
    ScriptWriter spin;
    spin.Entry({qmtest::While(1.0, spin.Block({qmtest::Set(0, Var(0) + 1.0)}))});
    ScriptWriter recursion;
    const uint32_t self =
        recursion.Function(recursion.Block({qmtest::Set(0, Var(0) + 1.0), qmtest::Do(ScriptExpr::Call(0))}));
    recursion.Data().functions[self].entry = 1;
    ScriptWriter million;
    million.Entry({qmtest::While(Var(0) < 1000000.0, million.Block({qmtest::Set(0, Var(0) + 1.0)}))});
    const std::pair<const char*, ScriptWriter*> scripts[] = {
        {"endless loop", &spin}, {"endless recursion", &recursion}, {"a million passes", &million}};
    for (const auto& [name, writer] : scripts) {
        SCOPED_TRACE(name);
        ScriptBench bench(writer->Make());
        double last = 0;
        for (int frame = 0; frame < 20; ++frame) {
            bench.Frame();
            EXPECT_LE(bench.m_runner.LastFrameSteps(), SCRIPT_STEPS_PER_FRAME);
            EXPECT_LE(bench.m_runner.TaskCount(), SCRIPT_MAX_TASKS);
            if (!bench.m_runner.IsRunning()) break;
            // Each frame gets on with the work.
            EXPECT_GT(bench.m_runner.GetVariable(0), last);
            last = bench.m_runner.GetVariable(0);
        }
        // The recursion ends the runner; the loops go on next frame.
        EXPECT_EQ(bench.m_runner.IsRunning(), writer != &recursion);
        if (writer == &recursion) {
            EXPECT_EQ(bench.m_runner.TaskCount(), 0u);
        }
    }
}

TEST_F(ScriptRunnerTest, WaitingNativesAreKeptUpToALimit) {
    ScriptWriter w;
    w.Entry({qmtest::While(Var(0) < 300.0,
                           w.Block({qmtest::Set(0, Var(0) + 1.0), qmtest::Do(ScriptExpr::Native(8))}))});
    std::shared_ptr<CScript> script = w.Make();
    m_natives.Add(script.get(), 8, 0.0, 1000000);  // never done
    ScriptBench bench(script);
    for (int frame = 0; frame < 5; ++frame) bench.Frame();
    EXPECT_EQ(bench.m_runner.GetVariable(0), 300.0);
    EXPECT_EQ(bench.m_runner.PendingCount(), SCRIPT_MAX_PENDING);
    bench.m_runner.Halt();
    EXPECT_EQ(bench.m_runner.PendingCount(), 0u);
    EXPECT_FALSE(bench.m_runner.IsRunning());
}

}  // namespace
