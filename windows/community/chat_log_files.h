// The files behind the one-to-one chat: the list of logged partners
// "QM_ChatLogList.Dat" (17-byte owner, u32 count, 17-byte names, little
// endian) and the per-partner HTML log "./MsgerLog/%s.html". Partner names
// come from other players, so a name only becomes a file name when it is a
// plain one, and their text is escaped before it goes into the HTML.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/local_time.h"

inline constexpr char CHAT_LOG_LIST_FILE[] = "QM_ChatLogList.Dat";
inline constexpr char MESSENGER_LOG_FOLDER[] = "MsgerLog";
inline constexpr size_t CHAT_LOG_NAME_SIZE = 17;  // 16 bytes and the terminator
inline constexpr size_t CHAT_LOG_HEADER_SIZE = CHAT_LOG_NAME_SIZE + 4;

// A name that may name a file of its own: not empty, not "." or "..", no
// '/', '\\' or control byte.
bool IsPlainFileName(std::string_view name);

// The list file's bytes. The names are cut to 16 bytes between characters.
std::vector<uint8_t> BuildChatLogList(const char* owner, const std::vector<std::string>& names);
// Reads the list of the owner: true for a file whose owner matches and whose
// count fits the bytes (the names then in *names); false otherwise (names left
// empty). Each name field is read up to its terminator within its 17 bytes.
bool ParseChatLogList(const uint8_t* data, size_t size, const char* owner, std::vector<std::string>* names);

// The log's header lines (the first write to a partner's file) and one line,
// with the date and time words of text table 0.
std::string MessengerLogHeader(const plat::LocalTime& time);
std::string MessengerLogLine(const plat::LocalTime& time, const char* speaker, const char* text, bool own);
// Appends a line to "./MsgerLog/<partner>.html" (the header first when the
// file is new); false when the partner's name is not a plain file name or
// the file cannot be opened.
bool AppendMessengerLog(const char* partner, const char* speaker, const char* text, bool own);
