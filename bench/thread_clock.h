// The calling thread's own processor time. On a machine shared with other
// builds a thread waits for its turn now and then; the time it waits is not
// in this clock, so ratios of work measured with it hold steadier.
#pragma once
#include <time.h>

namespace bench {

inline double ThreadSeconds() {
    timespec ts{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
    return double(ts.tv_sec) + double(ts.tv_nsec) * 1e-9;
}

}  // namespace bench
