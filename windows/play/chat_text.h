// The chat's text work that needs no window: cutting a text into lines
// between characters, the localised whisper command words, the daily HTML
// chat log, and the chat topic file that answers "/." queries.
#pragma once
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

namespace plat {
struct LocalTime;
}

// ---- Lines ----

// Cuts the text into lines between characters: at each character boundary
// where the pending piece holds `width` bytes or more, the piece before the
// boundary becomes a line (while fewer than maxLines are filled); the rest is
// the last line when there is room. The text is first cut to maxBytes bytes.
std::vector<std::string> SplitChatText(std::string_view text, size_t width, size_t maxLines, size_t maxBytes);

// ---- The whisper command words ----

// Text table 0, rows 7 and 8 (two double-byte characters, four bytes) and
// row 9 (one double-byte character, two bytes), each typed after a '/'.
inline constexpr int CHAT_COMMAND_TABLE = 0;
inline constexpr int CHAT_COMMAND_ROWS[3] = {7, 8, 9};

// The line starts with one of the three command words.
bool IsChatCommand(const char* line);
// The bytes the command word and one blank take: 6 for rows 7 and 8, 4 for
// row 9, 0 when the line starts with none of them.
int32_t GetChatCommandArgOffset(const char* line);
// 1: the word stands alone; 0: a blank follows it; 3: anything else (a word
// followed by another character, or no word). Rows are tried in order; a
// word followed by neither the end nor a blank goes on to the next row.
int32_t GetChatCommandKind(const char* line);

// ---- The chat log ----

// The option byte that switches the chat log on.
inline constexpr size_t OPTION_CHAT_LOG = 17;
inline constexpr char CHAT_LOG_FOLDER[] = "ChatLog";
// Text table 0 rows 0-5: the words after year, month, day, hour, minute and second.
inline constexpr int CHAT_LOG_UNIT_TABLE = 0;

// "./ChatLog/QMChatLog_2026_03_07.html" for the day.
std::string ChatLogFileName(const plat::LocalTime& time);
// "#rrggbb" of a colour 0x00BBGGRR, two lower-case digits each.
std::string ChatLogColour(uint32_t colour);
// The text with '&', '<', '>', '"' and '\'' written as entities, so that what
// players type shows as text and never as markup.
std::string EscapeChatLogText(std::string_view text);
// The three header lines of a new day's file.
void WriteChatLogHeader(FILE* file, const plat::LocalTime& time);
// Appends one line to the day's file (made with its header when new), while
// the chat log option is on. False when off or when the file cannot be written.
bool WriteChatLog(const char* text, uint32_t colour);

// ---- The chat topic file ----

// The file of topics the "/." queries read, in the working folder.
inline constexpr char CHAT_TOPIC_FILE[] = "ChatTopics.txt";
// Larger files are not read.
inline constexpr size_t CHAT_TOPIC_FILE_MAX = 1u << 20;
// The header shown before the list of topics found, with the query.
inline constexpr char CHAT_TOPIC_HEADER[] = "Topics on \"%s\":";
// How a topic's line shows in the chat as it is said.
inline constexpr char CHAT_TOPIC_LINE[] = ">> %s";

struct ChatTopic {
    std::string title;  // the whole opening line, "/." included
    std::string body;   // its lines, each followed by a line feed
};

// The text's lines, split at every carriage return and line feed, empty ones dropped.
std::vector<std::string> SplitChatTextLines(std::string_view text);
// The topics of a topic file's text: a line that begins with "/." opens a
// topic; the lines after it are its body; lines before the first topic are
// ignored.
std::vector<ChatTopic> ParseChatTopics(std::string_view text);
// Reads the file whole; false when it is missing, unreadable or larger than
// CHAT_TOPIC_FILE_MAX.
bool ReadChatTopicFile(const char* path, std::vector<ChatTopic>& topics);
