#include "windows/play/chat_text.h"

#include <cstring>

#include "core/config.h"
#include "core/util.h"
#include "data/text_tables.h"
#include "platform/codepage.h"
#include "platform/local_time.h"
#include "platform/paths.h"

namespace {

// The byte lengths of the three command words (rows 7, 8 and 9).
constexpr size_t kCommandWordBytes[3] = {4, 4, 2};

// "/" and the row's word when the word has its length; empty otherwise (a
// row of another length is no command).
std::string CommandWord(int index) {
    const char* word = GetTableText(CHAT_COMMAND_TABLE, CHAT_COMMAND_ROWS[index]);
    if (!word || std::strlen(word) != kCommandWordBytes[index]) return {};
    return std::string("/") + word;
}

// The index (0-2) of the first row whose word starts the line and, when
// needWordEnd, is followed by the end or a blank; -1 for none. With
// needWordEnd false the first row whose word starts the line is taken.
int MatchCommand(const char* line, bool needWordEnd) {
    if (!line || !*line) return -1;
    const size_t length = std::strlen(line);
    for (int i = 0; i < 3; ++i) {
        const std::string word = CommandWord(i);
        if (word.empty() || length < word.size() || std::memcmp(line, word.data(), word.size()) != 0)
            continue;
        const char next = line[word.size()];
        if (!needWordEnd || next == '\0' || next == ' ') return i;
    }
    return -1;
}

}  // namespace

std::vector<std::string> SplitChatText(std::string_view text, size_t width, size_t maxLines,
                                       size_t maxBytes) {
    std::vector<std::string> lines;
    const std::string cut(text.substr(0, plat::DbcsPrefixLength(text, maxBytes)));
    if (maxLines == 0 || cut.empty()) return lines;
    const char* start = cut.c_str();
    const char* piece = start;
    for (const char* p = plat::CharNextA(start); *p && lines.size() < maxLines; p = plat::CharNextA(p)) {
        if (size_t(p - piece) >= width) {
            lines.emplace_back(piece, size_t(p - piece));
            piece = p;
        }
    }
    if (*piece && lines.size() < maxLines) lines.emplace_back(piece);
    return lines;
}

bool IsChatCommand(const char* line) {
    return MatchCommand(line, false) >= 0;
}

int32_t GetChatCommandArgOffset(const char* line) {
    const int index = MatchCommand(line, false);
    return index < 0 ? 0 : int32_t(kCommandWordBytes[index] + 2);
}

int32_t GetChatCommandKind(const char* line) {
    const int index = MatchCommand(line, true);
    if (index < 0) return 3;
    return line[CommandWord(index).size()] == '\0' ? 1 : 0;
}

// ---- The chat log ----

std::string ChatLogFileName(const plat::LocalTime& time) {
    char name[96];
    std::snprintf(name, sizeof name, "./%s/QMChatLog_%4d_%02d_%02d.html", CHAT_LOG_FOLDER, time.year,
                  time.month, time.day);
    return name;
}

std::string ChatLogColour(uint32_t colour) {
    char text[16];
    std::snprintf(text, sizeof text, "#%2x%2x%2x", colour & 0xFF, (colour >> 8) & 0xFF,
                  (colour >> 16) & 0xFF);
    for (char* c = text; *c; ++c)
        if (*c == ' ') *c = '0';
    return text;
}

std::string EscapeChatLogText(std::string_view text) {
    return EscapeHtmlText(text);
}

void WriteChatLogHeader(FILE* file, const plat::LocalTime& time) {
    if (!file) return;
    std::fputs("<body bgcolor=\"black\">\n", file);
    std::fputs("<font size=\"2\" color=\"white\"> <b> Quillmarrow Chat Message Log </b></font></br>\n", file);
    std::fprintf(
        file,
        "<font size=\"2\" color=\"white\"> <b> Date : %4d%s   %2d%s   %2d%s </b></font></br></br></br>\n",
        time.year, GetTableText(CHAT_LOG_UNIT_TABLE, 0), time.month, GetTableText(CHAT_LOG_UNIT_TABLE, 1),
        time.day, GetTableText(CHAT_LOG_UNIT_TABLE, 2));
}

bool WriteChatLog(const char* text, uint32_t colour) {
    if (!g_options.GetByte(OPTION_CHAT_LOG)) return false;
    const plat::LocalTime now = plat::GetLocalTime();
    if (!plat::CreateDirectories(CHAT_LOG_FOLDER)) return false;
    const std::string name = ChatLogFileName(now);
    const bool fresh = !plat::FileExists(name);
    FILE* file = plat::OpenFile(name, "ab");
    if (!file) return false;
    if (fresh) WriteChatLogHeader(file, now);
    char stamp[160];
    std::snprintf(stamp, sizeof stamp, "<font size=\"2\" color=\"white\"> [%2d%s %2d%s %2d%s] </font> ",
                  now.hour, GetTableText(CHAT_LOG_UNIT_TABLE, 3), now.minute,
                  GetTableText(CHAT_LOG_UNIT_TABLE, 4), now.second, GetTableText(CHAT_LOG_UNIT_TABLE, 5));
    // The text goes in as it is (a '%' stays a '%'), escaped.
    const std::string line = std::string(stamp) + "<font size=\"2\" color=\"" + ChatLogColour(colour) +
                             "\"> " + EscapeChatLogText(text ? text : "") + "</font></br>\n";
    const bool written = std::fwrite(line.data(), 1, line.size(), file) == line.size();
    return std::fclose(file) == 0 && written;
}

// ---- The chat topic file ----

std::vector<std::string> SplitChatTextLines(std::string_view text) {
    std::vector<std::string> lines;
    size_t start = 0;
    for (size_t i = 0; i <= text.size(); ++i) {
        if (i < text.size() && text[i] != '\r' && text[i] != '\n') continue;
        if (i > start) lines.emplace_back(text.substr(start, i - start));
        start = i + 1;
    }
    return lines;
}

std::vector<ChatTopic> ParseChatTopics(std::string_view text) {
    std::vector<ChatTopic> topics;
    for (std::string& line : SplitChatTextLines(text)) {
        if (line.size() >= 2 && line[0] == '/' && line[1] == '.') {
            topics.push_back(ChatTopic{std::move(line), {}});
        } else if (!topics.empty()) {
            topics.back().body += line;
            topics.back().body += '\n';
        }
    }
    return topics;
}

bool ReadChatTopicFile(const char* path, std::vector<ChatTopic>& topics) {
    topics.clear();
    if (!path) return false;
    FILE* file = plat::OpenFile(path, "rb");
    if (!file) return false;
    std::string text;
    char piece[4095];
    bool ok = true;
    for (;;) {
        const size_t n = std::fread(piece, 1, sizeof piece, file);
        text.append(piece, n);
        if (text.size() > CHAT_TOPIC_FILE_MAX) {
            ok = false;
            break;
        }
        if (n < sizeof piece) {
            ok = !std::ferror(file);
            break;
        }
    }
    std::fclose(file);
    if (!ok) return false;
    // A text file: what follows a NUL byte is not read.
    topics = ParseChatTopics(std::string_view(text.c_str()));
    return true;
}
