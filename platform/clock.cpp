#include "platform/clock.h"

#include <time.h>

namespace plat {
namespace {

class SystemClock : public IClock {
public:
    uint32_t Milliseconds() override {
        timespec ts{};
        clock_gettime(CLOCK_MONOTONIC, &ts);
        return uint32_t(uint64_t(ts.tv_sec) * 1000 + uint64_t(ts.tv_nsec) / 1000000);
    }
    uint64_t PerfCounter() override {
        timespec ts{};
        clock_gettime(CLOCK_MONOTONIC, &ts);
        return uint64_t(ts.tv_sec) * 1000000000ull + uint64_t(ts.tv_nsec);
    }
    uint64_t PerfFrequency() override { return 1000000000ull; }
    void Sleep(uint32_t ms) override {
        timespec ts{time_t(ms / 1000), long(ms % 1000) * 1000000L};
        while (nanosleep(&ts, &ts) != 0) {
        }
    }
};

SystemClock g_systemClock;
IClock* g_clock = &g_systemClock;

}  // namespace

IClock& Clock() {
    return *g_clock;
}
void SetClock(IClock* clock) {
    g_clock = clock ? clock : &g_systemClock;
}

uint32_t timeGetTime() {
    return g_clock->Milliseconds();
}

bool QueryPerformanceFrequency(uint64_t* frequency) {
    uint64_t f = g_clock->PerfFrequency();
    if (frequency) *frequency = f;
    return f != 0;
}

bool QueryPerformanceCounter(uint64_t* counter) {
    if (g_clock->PerfFrequency() == 0) return false;
    if (counter) *counter = g_clock->PerfCounter();
    return true;
}

void Sleep(uint32_t ms) {
    g_clock->Sleep(ms);
}

// Linux timers already have millisecond resolution; these only mark where the game asks for them.
void timeBeginPeriod(uint32_t) {}
void timeEndPeriod(uint32_t) {}

}  // namespace plat
