// Fuzzes the compiled script reader, then runs the script's entry function
// for 200 frames of a fake clock with every native registered and no world:
// no play manager, characters, sound or effects.
#include <cstdint>
#include <memory>

#include "core/byte_source.h"
#include "fuzz/fuzz_file.h"
#include "platform/clock.h"
#include "script/script.h"
#include "script/script_natives.h"
#include "script/script_runner.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzz::InstallSilentBoxes();
    static plat::FakeClock clock(100000);
    plat::SetClock(&clock);
    CMemorySource source(data, size, "fuzz");
    auto script = std::make_shared<CScript>();
    if (!script->LoadFrom(source, "fuzz")) return 0;
    RegisterScriptNatives(script.get());
    CScriptRunner runner;
    runner.Bind(script);
    runner.Start();
    for (int frame = 0; frame < 200 && runner.IsRunning(); ++frame) {
        clock.Advance(33);
        runner.Update();
    }
    return 0;
}
