// The local calendar time, for names built from the date (screenshots, logs).
// Tests install a fixed time.
#pragma once
#include <cstdint>

namespace plat {

struct LocalTime {
    int year = 0, month = 0, day = 0;  // month 1-12, day 1-31
    int hour = 0, minute = 0, second = 0;
    int milliseconds = 0;
};

// The current local time, or the time a test installed.
LocalTime GetLocalTime();

// Makes GetLocalTime answer the given time until the guard goes.
class ScopedLocalTime {
public:
    explicit ScopedLocalTime(const LocalTime& time);
    ~ScopedLocalTime();
    ScopedLocalTime(const ScopedLocalTime&) = delete;
    ScopedLocalTime& operator=(const ScopedLocalTime&) = delete;

    void Set(const LocalTime& time);

private:
    const LocalTime* m_previous;
    LocalTime m_time;
};

}  // namespace plat
