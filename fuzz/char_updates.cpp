// Feeds the character manager's raw updates (server codes 11, 17, 69, 100
// and any other) against three characters: the player (id 1), a monster
// (id 2) and an NPC (id 3), then runs a frame. Input: records of [code]
// [length][bytes].
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>

#include "anim/ani_file.h"
#include "anim/ani_mgr.h"
#include "anim/ani_object_hooks.h"
#include "anim/ani_text.h"
#include "core/config.h"
#include "core/draw_object.h"
#include "fuzz/fuzz_file.h"
#include "net/handlers/char_records.h"
#include "world/chars/char_mgr.h"

namespace {

constexpr uint32_t kAni = 100;

struct Harness {
    CCharMgr* mgr = nullptr;
    Harness() {
        char folder[] = "/tmp/qm_fuzz_chars_XXXXXX";
        if (!mkdtemp(folder) || chdir(folder) != 0) std::abort();
        AniFile file;
        std::string motions = "version 14\n";
        for (int m : {0, 1, 2, 3, 13, 14, 15, 16})
            motions += "motion " + std::to_string(m) +
                       "\n  direction 2 height 100 spare 0\n    layer\n      hold frames 1\n";
        if (!AniFileFromText(motions, file)) std::abort();
        const std::vector<uint8_t> bytes = WriteAniFile(file);
        FILE* f = std::fopen("0100.z5a", "wb");
        if (!f || std::fwrite(bytes.data(), 1, bytes.size(), f) != bytes.size()) std::abort();
        std::fclose(f);
        g_config.m_folders[FOLDER_ANIMATION] = folder;
        g_pAniMgr = new CAniMgr;
        SetAniObjectHooks(&AniObjectHooks());
    }
    // A new manager with the three characters.
    void Fresh() {
        delete mgr;
        mgr = new CCharMgr;
        g_pCharMgr = mgr;
        CCharCreateFields own;
        own.m_charId = 1;
        own.m_ownFlag = 1;
        own.m_resourceId = CHAR_PLAYER_BASE;
        own.m_creationParam = int32_t(kAni);
        CCharCreateMsg msg;
        msg.Set(own);
        mgr->AddOrUpdateChar(msg);
        mgr->CreateCharAt(CHAR_MONSTER_BASE, 2, -1, 5, 5, CHAR_KIND_MONSTER, int32_t(kAni));
        mgr->CreateCharAt(CHAR_NPC_BASE, 3, -1, 7, 7, CHAR_KIND_NPC, int32_t(kAni));
    }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzz::InstallSilentBoxes();
    static Harness harness;
    harness.Fresh();
    size_t at = 0;
    while (at + 2 <= size) {
        const uint8_t code = data[at];
        const size_t length = std::min<size_t>(data[at + 1], size - at - 2);
        harness.mgr->HandleServerUpdate(code, data + at + 2, length);
        at += 2 + length;
    }
    harness.mgr->Update();
    for (uint32_t id : {1u, 2u, 3u})
        if (CChar* c = harness.mgr->GetChar(id)) c->UpdateFrame(33, false);
    return 0;
}
