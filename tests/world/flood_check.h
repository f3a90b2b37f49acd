// A flood from the server against a limit of what the world keeps: the
// limit's worth of distinct items is sent, then 500 more.
#pragma once
#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <string>

#include "core/drop_log.h"
#include "tests/support/alloc_meter.h"

namespace worldtest {

// send(n) sends the n-th distinct item (from 1); kept() counts what is kept.
struct Flood {
    const char* what;
    size_t limit;
    std::function<void(uint32_t)> send;
    std::function<size_t()> kept;
};

// Past the limit nothing more is kept, the memory stops growing, every drop
// is counted, and the first drop of the kind in the run is written to the
// console once.
inline void ExpectFloodStopsAtLimit(const Flood& flood) {
    const char* what = flood.what;
    const size_t limit = flood.limit;
    const std::function<void(uint32_t)>& send = flood.send;
    const std::function<size_t()>& kept = flood.kept;
    SCOPED_TRACE(what);
    const uint64_t droppedBefore = GetDroppedCount(what);
    testing::internal::CaptureStderr();
    qmtest::AllocMeter meter;
    uint32_t n = 1;
    for (; n <= limit; ++n) send(n);
    const size_t atLimit = meter.Live();
    for (; n <= limit + 500; ++n) send(n);
    const size_t after = meter.Live();
    const std::string console = testing::internal::GetCapturedStderr();
    EXPECT_EQ(kept(), limit);
    EXPECT_LE(after, atLimit + 4096) << "nothing is kept past the limit";
    EXPECT_EQ(GetDroppedCount(what), droppedBefore + 500);
    if (droppedBefore == 0) {
        EXPECT_EQ(console, "quillmarrow: more than " + std::to_string(limit) + " " + what +
                               " from the server; the rest are dropped\n");
    }
}

}  // namespace worldtest
