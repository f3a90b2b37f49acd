// The clock of the frame loop: samples the performance counter (or the
// millisecond tick when there is none), keeps the next frame's deadline and
// measures the frame rate once a second.
#pragma once
#include <cstdint>

class CFrameTimer {
public:
    // Everything cleared; a period of 30 ticks until Init.
    CFrameTimer() = default;
    // Same as constructing and calling Init(fps).
    explicit CFrameTimer(int fps) { Init(fps); }

    // Chooses the counter and the period for the frame rate (below 1 counts as
    // 1) and puts the deadline at now. The rate measurement starts now.
    void Init(int fps);
    // Reads the counter into the current sample.
    void Sample();
    // Moves the deadline one period on; a deadline left behind the current
    // sample restarts one period after it, so late frames build no backlog.
    void AdvanceDeadline();
    // Counts one frame; once at least 1,000 ms have passed since the last
    // measurement, the rate of that window is taken and the count restarts.
    // Returns the millisecond tick read.
    uint32_t CountFps();
    // Frames per second of the last full window (0.0 before the first).
    double GetFps() const { return m_measuredRate; }

    bool UsesPerfCounter() const { return m_usesPerfCounter; }
    uint64_t GetSample() const { return m_currentSample; }
    uint64_t GetDeadline() const { return m_deadline; }
    uint32_t GetTicksPerFrame() const { return m_ticksPerFrame; }
    uint32_t GetFramesCounted() const { return m_framesCounted; }

private:
    uint64_t ReadCounter() const;

    bool m_usesPerfCounter = false;
    uint64_t m_currentSample = 0;
    uint64_t m_deadline = 0;
    uint32_t m_ticksPerFrame = 30;
    uint32_t m_framesCounted = 0;
    uint32_t m_lastMeasureTime = 0;
    double m_measuredRate = 0.0;
};
