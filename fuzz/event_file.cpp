// Fuzzes the event file reader as both kinds, then runs each loaded event's
// first function for 100 frames of a fake clock with no world: no map,
// characters, windows or sound.
#include "script/event_file.h"

#include <cstdint>

#include "core/byte_source.h"
#include "fuzz/fuzz_file.h"
#include "platform/clock.h"
#include "script/event_script.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzz::InstallSilentBoxes();
    static plat::FakeClock clock(100000);
    plat::SetClock(&clock);
    for (const uint8_t kind : {EVENT_FIELD_SCRIPT, EVENT_VISUAL}) {
        CMemorySource source(data, size, "fuzz");
        EventFileData file;
        if (!ReadEventFile(source, kind == EVENT_VISUAL, file, nullptr) || file.functions.empty()) continue;
        CEventScript event;
        if (!event.LoadData(kind, "fuzz", file) || !event.StartFunction(file.functions[0].name)) continue;
        for (int frame = 0; frame < 100 && event.Update(); ++frame) clock.Advance(33);
    }
    return 0;
}
