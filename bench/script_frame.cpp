// One frame of a script that never yields (while (1) { v0 = v0 + 1 }): the
// runner takes its frame's share of steps and stops there. The baseline is
// what those steps cannot avoid: formatting and evaluating the same
// expressions as text, once for each pass of the loop.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <memory>
#include <string>

#include "core/byte_source.h"
#include "core/key_file.h"
#include "platform/clock.h"
#include "script/script.h"
#include "script/script_runner.h"

namespace {

ScriptItem Number(double v) {
    ScriptItem i;
    i.tag = SCRIPT_ITEM_NUMBER;
    i.number = v;
    return i;
}

ScriptItem Tag(uint32_t tag, uint32_t variable = 0) {
    ScriptItem i;
    i.tag = tag;
    i.variable = variable;
    return i;
}

std::shared_ptr<CScript> EndlessLoop() {
    ScriptFileData data;
    data.variableCount = 1;
    ScriptStatement loop;
    loop.op = SCRIPT_OP_WHILE;
    loop.expr.m_items.push_back(Number(1));
    loop.block = 1;
    ScriptStatement add;
    add.op = SCRIPT_OP_ASSIGN;
    add.expr.m_items.push_back(Tag(SCRIPT_ITEM_VARIABLE, 0));
    add.expr.m_items.push_back(Tag(SCRIPT_ITEM_ADD));
    add.expr.m_items.push_back(Number(1));
    data.blocks.resize(2);
    data.blocks[0].statements.push_back(loop);
    data.blocks[1].statements.push_back(add);
    ScriptFunction entry;
    entry.entry = 1;
    data.functions.push_back(entry);
    CByteWriter out;
    WriteScriptFile(data, out);
    CMemorySource source(out.Data());
    auto script = std::make_shared<CScript>();
    script->LoadFrom(source, "loop");
    return script;
}

void BM_ScriptFrameOfSteps(benchmark::State& state) {
    plat::FakeClock clock(1000);
    plat::ScopedClock scoped(clock);
    CScriptRunner runner;
    runner.Bind(EndlessLoop());
    runner.Start();
    double passes = 0;
    for (auto _ : state) {
        runner.Update();
        benchmark::DoNotOptimize(runner.GetVariable(0));
    }
    passes = runner.GetVariable(0);
    state.counters["passes_per_frame"] = passes / double(state.iterations());
    state.SetItemsProcessed(int64_t(passes));
}
BENCHMARK(BM_ScriptFrameOfSteps);

// The text work of the same number of passes: "1.000000" for the condition
// and "<v>+1.000000" for the sum, each formatted and evaluated.
void BM_ExpressionTextsOfAFrame(benchmark::State& state) {
    plat::FakeClock clock(1000);
    plat::ScopedClock scoped(clock);
    CScriptRunner runner;
    runner.Bind(EndlessLoop());
    runner.Start();
    runner.Update();
    const int passes = int(runner.GetVariable(0));
    double v = 0;
    for (auto _ : state) {
        for (int i = 0; i < passes; ++i) {
            char text[128];
            double out = 0;
            std::snprintf(text, sizeof text, "%f", 1.0);
            EvaluateExpression(text, &out);
            std::snprintf(text, sizeof text, "%f+%f", v, 1.0);
            EvaluateExpression(text, &v);
        }
        benchmark::DoNotOptimize(v);
    }
    state.SetItemsProcessed(state.iterations() * passes);
}
BENCHMARK(BM_ExpressionTextsOfAFrame);

}  // namespace
