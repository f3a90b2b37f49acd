#include "tests/support/alloc_meter.h"

#include <atomic>
#include <cstdint>
#include <cstdlib>
#include <new>

namespace {

// Every block carries its size and the meter generation it was made under
// (0: none) in a header of 16 bytes, which keeps the block aligned as
// malloc's is.
constexpr size_t kHeader = 16;

std::atomic<uint64_t> g_generation{0};
std::atomic<bool> g_running{false};
std::atomic<int64_t> g_live{0};
std::atomic<int64_t> g_peak{0};

void* Allocate(size_t size) noexcept {
    if (size > SIZE_MAX - kHeader) return nullptr;
    auto* head = static_cast<uint64_t*>(std::malloc(size + kHeader));
    if (!head) return nullptr;
    const bool counted = g_running.load(std::memory_order_relaxed);
    head[0] = size;
    head[1] = counted ? g_generation.load(std::memory_order_relaxed) : 0;
    if (counted) {
        const int64_t live = g_live.fetch_add(int64_t(size)) + int64_t(size);
        int64_t peak = g_peak.load();
        while (live > peak && !g_peak.compare_exchange_weak(peak, live)) {
        }
    }
    return reinterpret_cast<uint8_t*>(head) + kHeader;
}

void* AllocateOrThrow(size_t size) {
    if (void* p = Allocate(size ? size : 1)) return p;
    throw std::bad_alloc();
}

void Free(void* block) noexcept {
    if (!block) return;
    auto* head = reinterpret_cast<uint64_t*>(static_cast<uint8_t*>(block) - kHeader);
    if (head[1] != 0 && head[1] == g_generation.load(std::memory_order_relaxed))
        g_live.fetch_sub(int64_t(head[0]));
    std::free(head);
}

}  // namespace

namespace qmtest {

AllocMeter::AllocMeter() {
    g_live = 0;
    g_peak = 0;
    ++g_generation;
    g_running = true;
}

AllocMeter::~AllocMeter() {
    g_running = false;
}

size_t AllocMeter::Peak() const {
    return size_t(g_peak.load());
}

size_t AllocMeter::Live() const {
    const int64_t live = g_live.load();
    return live > 0 ? size_t(live) : 0;
}

}  // namespace qmtest

void* operator new(size_t size) {
    return AllocateOrThrow(size);
}
void* operator new[](size_t size) {
    return AllocateOrThrow(size);
}
void* operator new(size_t size, const std::nothrow_t&) noexcept {
    return Allocate(size ? size : 1);
}
void* operator new[](size_t size, const std::nothrow_t&) noexcept {
    return Allocate(size ? size : 1);
}
void operator delete(void* block) noexcept {
    Free(block);
}
void operator delete[](void* block) noexcept {
    Free(block);
}
void operator delete(void* block, size_t) noexcept {
    Free(block);
}
void operator delete[](void* block, size_t) noexcept {
    Free(block);
}
void operator delete(void* block, const std::nothrow_t&) noexcept {
    Free(block);
}
void operator delete[](void* block, const std::nothrow_t&) noexcept {
    Free(block);
}
