#include "core/frame_timer.h"

#include "platform/clock.h"

void CFrameTimer::Init(int fps) {
    if (fps < 1) fps = 1;
    m_measuredRate = 0.0;
    m_currentSample = 0;
    m_framesCounted = 0;
    uint64_t frequency = 0;
    m_usesPerfCounter = plat::QueryPerformanceFrequency(&frequency);
    if (m_usesPerfCounter) {
        m_ticksPerFrame = uint32_t(frequency / uint64_t(fps));
        plat::QueryPerformanceCounter(&m_deadline);
    } else {
        m_ticksPerFrame = uint32_t(1000 / fps);
        m_deadline = plat::timeGetTime();
    }
    m_lastMeasureTime = plat::timeGetTime();
}

uint64_t CFrameTimer::ReadCounter() const {
    if (m_usesPerfCounter) {
        uint64_t counter = 0;
        if (plat::QueryPerformanceCounter(&counter)) return counter;
        return m_currentSample;
    }
    return plat::timeGetTime();
}

void CFrameTimer::Sample() {
    m_currentSample = ReadCounter();
}

void CFrameTimer::AdvanceDeadline() {
    m_deadline += m_ticksPerFrame;
    if (m_deadline < m_currentSample) m_deadline = m_currentSample + m_ticksPerFrame;
}

uint32_t CFrameTimer::CountFps() {
    uint32_t now = plat::timeGetTime();
    ++m_framesCounted;
    uint32_t elapsed = now - m_lastMeasureTime;
    if (elapsed >= 1000) {
        m_measuredRate = (1000.0 / double(elapsed)) * double(m_framesCounted);
        m_framesCounted = 0;
        m_lastMeasureTime = now;
    }
    return now;
}
