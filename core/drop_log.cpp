#include "core/drop_log.h"

#include <map>
#include <string>

#include "platform/console.h"

namespace {

std::map<std::string, uint64_t>& Counts() {
    static std::map<std::string, uint64_t> counts;
    return counts;
}

}  // namespace

void NoteDropped(const char* what, size_t limit) {
    const std::string kind = what ? what : "items";
    if (Counts()[kind]++ == 0)
        plat::WriteConsoleLine("more than " + std::to_string(limit) + " " + kind +
                               " from the server; the rest are dropped");
}

uint64_t GetDroppedCount(const char* what) {
    auto it = Counts().find(what ? what : "items");
    return it == Counts().end() ? 0 : it->second;
}
