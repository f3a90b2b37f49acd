// Fuzzes the chat's topic file: arbitrary bytes are read as "ChatTopics.txt";
// every topic must open with "/." and hold no line break in its title, its
// body only whole lines. The input's first line (up to 20 bytes) is then asked
// as a "/." query of the file.
#include <stdlib.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "platform/paths.h"
#include "windows/play/chat_input_window.h"
#include "windows/play/chat_text.h"

namespace {

void EnterFolder() {
    static const bool entered = [] {
        char folder[] = "/tmp/qm_fuzz_topics_XXXXXX";
        return mkdtemp(folder) && chdir(folder) == 0;
    }();
    if (!entered) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    EnterFolder();
    if (!plat::WriteFileAtomic(CHAT_TOPIC_FILE, data, size)) return 0;
    std::vector<ChatTopic> topics;
    if (!ReadChatTopicFile(CHAT_TOPIC_FILE, topics)) {
        if (size <= CHAT_TOPIC_FILE_MAX) std::abort();
        return 0;
    }
    for (const ChatTopic& topic : topics) {
        if (topic.title.compare(0, 2, "/.") != 0) std::abort();
        if (topic.title.find_first_of("\r\n") != std::string::npos) std::abort();
        if (!topic.body.empty() && topic.body.back() != '\n') std::abort();
        if (topic.body.find('\r') != std::string::npos) std::abort();
    }
    const std::string input(reinterpret_cast<const char*>(data), size);
    const std::string query = "/." + input.substr(0, std::min(input.find_first_of("\r\n"), size_t(20)));
    RunChatTextFile(query.c_str());
    return 0;
}
