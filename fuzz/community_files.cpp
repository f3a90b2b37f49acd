// Fuzzes the community windows' file readers. The first byte picks the
// reader, the rest is the file: 'L' the logged-partner list (owner "Tester"),
// 'M' the name memo's list. What reads must write back and read the same.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "windows/community/chat_log_files.h"
#include "windows/community/name_memo_list.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1) return 0;
    const uint8_t kind = data[0];
    ++data;
    --size;
    if (kind == 'L') {
        std::vector<std::string> names;
        if (!ParseChatLogList(data, size, "Tester", &names)) return 0;
        const std::vector<uint8_t> again = BuildChatLogList("Tester", names);
        std::vector<std::string> back;
        if (!ParseChatLogList(again.data(), again.size(), "Tester", &back) || back != names) std::abort();
    } else if (kind == 'M') {
        std::vector<NameMemoEntry> names;
        ParseNameMemoList(data, size, &names);
        if (names.size() > NAME_MEMO_LIMIT) std::abort();
        for (const NameMemoEntry& entry : names)
            if (entry.name.size() > NAME_MEMO_NAME_MAX) std::abort();
        const std::vector<uint8_t> again = BuildNameMemoList(names);
        std::vector<NameMemoEntry> back;
        if (!ParseNameMemoList(again.data(), again.size(), &back) || back != names) std::abort();
    }
    return 0;
}
