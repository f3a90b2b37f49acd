// Object kernel costs: handle issue and release, handle lookup among a
// manager's children, and one frame's message dispatch.
#include <benchmark/benchmark.h>

#include "core/object_mgr.h"

namespace {

void BM_AllocFreeId(benchmark::State& state) {
    CIdAllocator ids;
    for (auto _ : state) {
        uint32_t h = ids.AllocId(nullptr);
        ids.FreeId(h);
        benchmark::DoNotOptimize(h);
    }
}
BENCHMARK(BM_AllocFreeId);

// Lookup of the last child: the worst case of the linear walk.
void BM_FindChild(benchmark::State& state) {
    CObjectMgr mgr;
    uint32_t last = 0;
    for (int64_t i = 0; i < state.range(0); ++i) {
        auto* child = new CBaseObject;
        mgr.AddChild(child);
        if (i == 0) last = child->GetId();
    }
    for (auto _ : state) benchmark::DoNotOptimize(mgr.FindChild(last));
}
BENCHMARK(BM_FindChild)->Arg(10)->Arg(100)->Arg(1000);

// Posting N messages to children and delivering them in one dispatch.
void BM_PostAndDispatch(benchmark::State& state) {
    CObjectMgr mgr;
    std::vector<uint32_t> targets;
    for (int i = 0; i < 50; ++i) {
        auto* child = new CBaseObject;
        mgr.AddChild(child);
        targets.push_back(child->GetId());
    }
    CLockedMsgObject* queue = mgr.GetMsgQueue();
    for (auto _ : state) {
        for (int64_t i = 0; i < state.range(0); ++i)
            queue->PostMessageById(0, targets[size_t(i) % targets.size()], 0, 1, nullptr, nullptr);
        queue->DispatchMessages();
        for (CMsgObject* child : mgr.Children()) child->GetPort()->Clear();
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_PostAndDispatch)->Arg(100)->Arg(1000);

}  // namespace
