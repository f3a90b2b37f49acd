// Fuzzes the speech file reader with a substitution table whose keys nest
// and refer to themselves, then looks every text up.
#include <cstdint>

#include "fuzz/fuzz_file.h"
#include "world/map/speech_data.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzz::InstallSilentBoxes();
    static const SpeechSubstitutions kTable = {{"NAME", "Mia"},
                                               {"A", "<[NAME]> and <[B]>"},
                                               {"B", "<[A]>"},
                                               {"SELF", "<[SELF]><[SELF]>"},
                                               {"", "<["}};
    CSpeechData speech;
    speech.LoadBytes(data, size, "fuzz.SPC", kTable);
    volatile size_t sink = 0;
    for (int32_t i = 0; i < speech.GetTextCount(); ++i)
        if (const char* t = speech.GetText(speech.GetId(i))) sink = sink + t[0];
    speech.GetText(0xFFFF);
    (void)sink;
    return 0;
}
