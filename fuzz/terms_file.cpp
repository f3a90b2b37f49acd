// Fuzzes the terms-of-use file: arbitrary bytes are read as "Stipulation.Dat";
// a text that reads is saved again and must read back the same, checksum and
// bytes. Inputs starting with 'z' are inflated as a terms message's text.
#include <stdlib.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "net/game_session.h"
#include "net/handlers/terms.h"
#include "platform/paths.h"

namespace {

CGameSession& Session() {
    static CGameSession* session = [] {
        char folder[] = "/tmp/qm_fuzz_terms_XXXXXX";
        if (!mkdtemp(folder) || chdir(folder) != 0) std::abort();
        return new CGameSession;
    }();
    return *session;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    CGameSession& session = Session();
    if (size > 0 && data[0] == 'z') {
        std::string text;
        if (InflateTermsText(data + 1, size - 1, &text) && text.size() > MAX_TERMS_TEXT) std::abort();
        return 0;
    }
    if (!plat::WriteFileAtomic(STIPULATION_FILE, data, size)) return 0;
    if (!session.LoadStipulation()) std::abort();
    const uint32_t checksum = session.m_termsChecksum;
    const std::string text = session.m_termsText;
    if (text.size() > MAX_TERMS_TEXT) std::abort();
    if (!session.SaveStipulation()) return 0;
    if (!session.LoadStipulation()) std::abort();
    if (session.m_termsChecksum != checksum || session.m_termsText != text) std::abort();
    return 0;
}
