#include "platform/local_time.h"

#include <sys/time.h>

#include <ctime>

namespace plat {

namespace {
const LocalTime* g_fixed = nullptr;
}

LocalTime GetLocalTime() {
    if (g_fixed) return *g_fixed;
    timeval now{};
    gettimeofday(&now, nullptr);
    std::tm tm{};
    time_t seconds = now.tv_sec;
    localtime_r(&seconds, &tm);
    LocalTime t;
    t.year = tm.tm_year + 1900;
    t.month = tm.tm_mon + 1;
    t.day = tm.tm_mday;
    t.hour = tm.tm_hour;
    t.minute = tm.tm_min;
    t.second = tm.tm_sec;
    t.milliseconds = int(now.tv_usec / 1000);
    return t;
}

ScopedLocalTime::ScopedLocalTime(const LocalTime& time) : m_previous(g_fixed), m_time(time) {
    g_fixed = &m_time;
}

ScopedLocalTime::~ScopedLocalTime() {
    g_fixed = m_previous;
}

void ScopedLocalTime::Set(const LocalTime& time) {
    m_time = time;
}

}  // namespace plat
