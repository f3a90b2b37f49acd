// Times two pieces of work side by side: both in each iteration, in turn
// first, on the thread's own processor time, so that a machine busy with
// other work slows both alike. Reports each one's time per iteration and
// their ratio (ours over the baseline).
#pragma once
#include <benchmark/benchmark.h>

#include <string>

#include "bench/thread_clock.h"

namespace bench {

template <class Ours, class Baseline>
void SideBySide(benchmark::State& state, Ours&& ours, Baseline&& baseline,
                const std::string& oursName = "ours", const std::string& baselineName = "baseline") {
    double oursSeconds = 0, baselineSeconds = 0;
    bool oursFirst = true;
    for (auto _ : state) {
        for (int pass = 0; pass < 2; ++pass) {
            const bool doOurs = (pass == 0) == oursFirst;
            const double t0 = ThreadSeconds();
            if (doOurs)
                ours();
            else
                baseline();
            (doOurs ? oursSeconds : baselineSeconds) += ThreadSeconds() - t0;
        }
        oursFirst = !oursFirst;
    }
    const double n = double(state.iterations());
    state.counters[oursName + "_ms"] = oursSeconds * 1000 / n;
    state.counters[baselineName + "_ms"] = baselineSeconds * 1000 / n;
    state.counters["ratio"] = baselineSeconds > 0 ? oursSeconds / baselineSeconds : 0;
}

}  // namespace bench
