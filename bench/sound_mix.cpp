// Mixing one second of 44,100 Hz stereo from 8, 32 and 99 looping voices
// (every one with its own volume and pan) against a memcpy of the 176,400
// output bytes. BM_MixRatio reports mix time / copy time.
#include <benchmark/benchmark.h>

#include <chrono>
#include <cmath>
#include <cstring>
#include <memory>
#include <vector>

#include "platform/audio.h"
#include "sound/mixer.h"

namespace {

constexpr int kFrames = CMixer::kFrequency;  // one second
constexpr size_t kBytes = size_t(kFrames) * 4;

struct Fixture {
    plat::ScopedAudio audio{std::make_unique<plat::RecordingAudio>()};
    CMixer mixer;
    std::vector<int16_t> out = std::vector<int16_t>(size_t(kFrames) * 2);
    std::vector<int16_t> source = std::vector<int16_t>(size_t(kFrames) * 2);

    explicit Fixture(int voices) {
        mixer.Open();
        for (int v = 0; v < voices; ++v) {
            // A second and a bit of a tone, so that the loops fall anywhere.
            auto frames = std::make_shared<PcmFrames>(size_t(kFrames + 997 * v) * 2);
            for (size_t i = 0; i < frames->size(); ++i)
                (*frames)[i] = int16_t(8000 * std::sin(double(i) * (0.01 + 0.001 * v)));
            const CMixer::VoiceId id = mixer.CreateSampleVoice(frames);
            mixer.SetVolume(id, 40 + v % 88);
            mixer.SetPan(id, (v * 37) % 128);
            mixer.Start(id, 0);
        }
        for (size_t i = 0; i < source.size(); ++i) source[i] = int16_t(i);
    }
    void Mix() { mixer.Mix(out.data(), kFrames); }
    void Copy() { std::memcpy(out.data(), source.data(), kBytes); }
};

void BM_Mix(benchmark::State& state) {
    Fixture f(int(state.range(0)));
    for (auto _ : state) {
        f.Mix();
        benchmark::DoNotOptimize(f.out.data());
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(kBytes));
}
BENCHMARK(BM_Mix)->Arg(8)->Arg(32)->Arg(99)->Unit(benchmark::kMillisecond);

void BM_Memcpy(benchmark::State& state) {
    Fixture f(0);
    for (auto _ : state) {
        f.Copy();
        benchmark::DoNotOptimize(f.out.data());
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(kBytes));
}
BENCHMARK(BM_Memcpy)->Unit(benchmark::kMicrosecond);

// Both in each iteration; the counter is their ratio.
void BM_MixRatio(benchmark::State& state) {
    Fixture f(int(state.range(0)));
    using Clock = std::chrono::steady_clock;
    double mix = 0, copy = 0;
    for (auto _ : state) {
        auto t0 = Clock::now();
        f.Mix();
        benchmark::DoNotOptimize(f.out.data());
        auto t1 = Clock::now();
        for (int i = 0; i < 100; ++i) {
            f.Copy();
            benchmark::DoNotOptimize(f.out.data());
        }
        auto t2 = Clock::now();
        mix += std::chrono::duration<double>(t1 - t0).count();
        copy += std::chrono::duration<double>(t2 - t1).count() / 100;
    }
    state.counters["mix_ms"] = mix * 1000 / double(state.iterations());
    state.counters["memcpy_us"] = copy * 1e6 / double(state.iterations());
    state.counters["ratio"] = copy > 0 ? mix / copy : 0;
}
BENCHMARK(BM_MixRatio)->Arg(8)->Arg(32)->Arg(99)->Unit(benchmark::kMillisecond)->MinTime(1.0);

}  // namespace
