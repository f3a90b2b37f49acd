// Hostile animation files through the reader, the writer, the text form and
// the loader's tree building (holds, compaction, pools, ramp tables).
#include "anim/ani_file.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "anim/ani_text.h"
#include "anim/obj_ani.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    AniFile file;
    if (!ReadAniFile(data, size, file)) return 0;
    // A file read is written back byte for byte up to what was consumed, except
    // for the words the format skips (written as 0): reading that gives the same tree.
    AniFile again;
    if (!ReadAniFile(WriteAniFile(file), again) || !(again == file)) std::abort();
    AniFile fromText;
    if (!AniFileFromText(AniFileToText(file), fromText) || !(fromText == file)) std::abort();
    CObjAni ani;
    if (!ani.Build(file)) std::abort();  // no child animations load without a manager
    for (CAniMotion& motion : ani.m_motions)
        for (auto& layers : motion.m_layers)
            for (CAniLayer& layer : layers)
                for (CAniNode* node : layer.m_slots)
                    if (!node) std::abort();
    return 0;
}
