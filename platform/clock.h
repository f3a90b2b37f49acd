// Time services: the millisecond tick (wraps like a 32-bit counter), the
// high-resolution counter and Sleep. Tests install a FakeClock and move it by hand.
#pragma once
#include <cstdint>

namespace plat {

class IClock {
public:
    virtual ~IClock() = default;
    // Milliseconds since an arbitrary start; wraps at 2^32.
    virtual uint32_t Milliseconds() = 0;
    // High-resolution counter and its ticks per second; a frequency of 0 means none.
    virtual uint64_t PerfCounter() = 0;
    virtual uint64_t PerfFrequency() = 0;
    virtual void Sleep(uint32_t ms) = 0;
};

// The clock in use: the system clock unless a test installed another.
IClock& Clock();
// Installs a clock (not owned); null restores the system clock.
void SetClock(IClock* clock);

// The calls the game code makes, named as it knows them.
uint32_t timeGetTime();
bool QueryPerformanceFrequency(uint64_t* frequency);
bool QueryPerformanceCounter(uint64_t* counter);
void Sleep(uint32_t ms);
void timeBeginPeriod(uint32_t ms);
void timeEndPeriod(uint32_t ms);

// A clock that only moves when told. Sleep advances it by the time asked.
// The performance counter runs at 1 MHz from the same time base unless switched off.
class FakeClock : public IClock {
public:
    explicit FakeClock(uint32_t startMs = 0) : m_micros(uint64_t(startMs) * 1000) {}
    uint32_t Milliseconds() override { return uint32_t(m_micros / 1000); }
    uint64_t PerfCounter() override { return m_micros; }
    uint64_t PerfFrequency() override { return m_hasPerfCounter ? 1000000 : 0; }
    void Sleep(uint32_t ms) override {
        m_slept += ms;
        Advance(ms);
    }

    void Advance(uint32_t ms) { m_micros += uint64_t(ms) * 1000; }
    void AdvanceMicros(uint64_t us) { m_micros += us; }
    void SetMilliseconds(uint32_t ms) { m_micros = uint64_t(ms) * 1000; }
    void SetHasPerfCounter(bool has) { m_hasPerfCounter = has; }
    uint64_t TotalSlept() const { return m_slept; }

private:
    uint64_t m_micros;
    uint64_t m_slept = 0;
    bool m_hasPerfCounter = true;
};

// Installs a clock for the lifetime of the guard.
class ScopedClock {
public:
    explicit ScopedClock(IClock& clock) { SetClock(&clock); }
    ~ScopedClock() { SetClock(nullptr); }
    ScopedClock(const ScopedClock&) = delete;
    ScopedClock& operator=(const ScopedClock&) = delete;
};

}  // namespace plat
