#include "windows/community/chat_log_files.h"

#include <cstdio>
#include <cstring>

#include "core/message.h"
#include "core/util.h"
#include "data/text_tables.h"
#include "platform/paths.h"

namespace {

void PutName(std::vector<uint8_t>& out, const char* name) {
    char field[CHAT_LOG_NAME_SIZE] = {};
    CopyRecordText(field, name ? name : "");
    out.insert(out.end(), field, field + CHAT_LOG_NAME_SIZE);
}

std::string FieldName(const uint8_t* field) {
    size_t n = 0;
    while (n < CHAT_LOG_NAME_SIZE && field[n] != 0) ++n;
    // A field without a terminator keeps its first 16 bytes.
    if (n == CHAT_LOG_NAME_SIZE) n = CHAT_LOG_NAME_SIZE - 1;
    return std::string(reinterpret_cast<const char*>(field), n);
}

std::string Format(const char* format, auto... args) {
    char buffer[1024];
    std::snprintf(buffer, sizeof buffer, format, args...);
    return buffer;
}

}  // namespace

bool IsPlainFileName(std::string_view name) {
    if (name.empty() || name == "." || name == "..") return false;
    for (char c : name) {
        const auto b = static_cast<unsigned char>(c);
        if (c == '/' || c == '\\' || b < 0x20 || b == 0x7F) return false;
    }
    return true;
}

std::vector<uint8_t> BuildChatLogList(const char* owner, const std::vector<std::string>& names) {
    std::vector<uint8_t> out;
    PutName(out, owner);
    const auto count = uint32_t(names.size());
    for (int i = 0; i < 4; ++i) out.push_back(uint8_t(count >> (8 * i)));
    for (const std::string& name : names) PutName(out, name.c_str());
    return out;
}

bool ParseChatLogList(const uint8_t* data, size_t size, const char* owner, std::vector<std::string>* names) {
    names->clear();
    if (!data || size < CHAT_LOG_NAME_SIZE) return false;
    if (FieldName(data) != (owner ? owner : "")) return false;
    if (size < CHAT_LOG_HEADER_SIZE) return false;
    const uint32_t count =
        uint32_t(data[17]) | uint32_t(data[18]) << 8 | uint32_t(data[19]) << 16 | uint32_t(data[20]) << 24;
    if (count > (size - CHAT_LOG_HEADER_SIZE) / CHAT_LOG_NAME_SIZE) return false;
    for (uint32_t i = 0; i < count; ++i)
        names->push_back(FieldName(data + CHAT_LOG_HEADER_SIZE + size_t(i) * CHAT_LOG_NAME_SIZE));
    return true;
}

std::string MessengerLogHeader(const plat::LocalTime& time) {
    return std::string("<body bgcolor=\"#9D7ED3\">\n") +
           "<font size=\"2\" color=\"white\"> <b> Quillmarrow 1:1 Messenger Log </b></font></br>\n" +
           Format(
               "<font size=\"2\" color=\"white\"> <b> Date : %4d%s   %2d%s   %2d%s "
               "</b></font></br></br></br>\n",
               time.year, GetTableText(0, 0), time.month, GetTableText(0, 1), time.day, GetTableText(0, 2));
}

std::string MessengerLogLine(const plat::LocalTime& time, const char* speaker, const char* text, bool own) {
    char colour[16];
    std::snprintf(colour, sizeof colour, "#%2x%2x%2x", own ? 200 : 255, 255, own ? 200 : 255);
    SpacesToZeros(colour);
    // The entry goes in as text: a '%' in it stays a '%'.
    const std::string entry = EscapeHtmlText(std::string(speaker ? speaker : "") + ":" + (text ? text : ""));
    return Format(
               "<font size=\"2\" color=\"white\"> [%2d%s %2d%s %2d%s] </font> <font size=\"2\" "
               "color=\"%s\"> ",
               time.hour, GetTableText(0, 3), time.minute, GetTableText(0, 4), time.second,
               GetTableText(0, 5), colour) +
           entry + "</font></br>\n";
}

bool AppendMessengerLog(const char* partner, const char* speaker, const char* text, bool own) {
    if (!partner || !IsPlainFileName(partner)) return false;
    const plat::LocalTime time = plat::GetLocalTime();
    plat::CreateDirectories(MESSENGER_LOG_FOLDER);
    const std::string path = std::string("./") + MESSENGER_LOG_FOLDER + "/" + partner + ".html";
    const bool fresh = !plat::FileExists(path);
    FILE* file = plat::OpenFile(path, "ab");
    if (!file) return false;
    std::string out = fresh ? MessengerLogHeader(time) : std::string();
    out += MessengerLogLine(time, speaker, text, own);
    const bool written = std::fwrite(out.data(), 1, out.size(), file) == out.size();
    std::fclose(file);
    return written;
}
