#include "core/config.h"

#include <cstdio>
#include <cstdlib>
#include <string_view>
#include <vector>

#include "core/key_bindings.h"
#include "core/key_file.h"
#include "platform/command_line.h"
#include "platform/crash_dump.h"
#include "platform/paths.h"

COptions g_options;
CConfig g_config;

// ---- Options file ----

void InitDefaultOptions() {
    COptions& o = g_options;
    o.SetByte(4, 0);
    for (size_t b : {9, 10, 11, 12, 15, 16, 18, 20, 21, 22, 25, 26, 27, 31, 33, 35, 36, 38, 39, 40})
        o.SetByte(b, 1);
    for (size_t b : {17, 19, 23, 32}) o.SetByte(b, 0);
    o.SetU32(OPT_MUSIC_VOLUME, 100);
    o.SetU32(OPT_EFFECT_VOLUME, 100);
    for (size_t b = 5888; b <= 5892; ++b) o.SetByte(b, 0);
    for (size_t b : {OPT_TEXT_1, OPT_TEXT_2, OPT_TEXT_3}) o.SetByte(b, 0);
}

bool LoadOptions(const char* path) {
    // A stored block is read over the defaults, so a short one keeps them for
    // the bytes it lacks.
    InitDefaultOptions();
    std::vector<uint8_t> bytes;
    if (plat::ReadWholeFile(path, bytes) && bytes.size() >= 4 && LoadU32Le(bytes.data()) >= OPTIONS_VERSION) {
        size_t stored = bytes.size() - 4 < OPTIONS_BLOCK_SIZE ? bytes.size() - 4 : OPTIONS_BLOCK_SIZE;
        memcpy(g_options.m_block, bytes.data() + 4, stored);
        g_options.SetByte(OPT_LOADED, 1);
    }
    // A block without hot keys (no file, or one from before them) gets the
    // program's bindings in the live and the default table.
    if (KeyBindingsEmpty(g_options)) FillDefaultKeyBindings(g_options);
    return true;
}

bool SaveOptions(const char* path) {
    std::vector<uint8_t> bytes(4 + OPTIONS_BLOCK_SIZE);
    StoreU32Le(bytes.data(), OPTIONS_VERSION);
    memcpy(bytes.data() + 4, g_options.m_block, OPTIONS_BLOCK_SIZE);
    return plat::WriteFileAtomic(path, bytes.data(), bytes.size());
}

// ---- "Cardane.INI" ----

uint32_t DefaultServerAddress() {
    const uint8_t octets[4] = {127, 0, 0, 1};
    uint32_t address;
    memcpy(&address, octets, 4);
    return address;
}

bool LoadConfig(const char* path) {
    CConfig& c = g_config;
    CKeyFile ini(path);
    c.m_screenWidth = ini.ReadIniLong("SCREEN_WIDTH", 800);
    c.m_screenHeight = ini.ReadIniLong("SCREEN_HEIGHT", 600);
    c.m_bpp = ini.ReadIniLong("BPP", 16);
    c.m_backSurfaceCount = ini.ReadIniLong("BACKSURFACECOUNT", 1);
    c.m_fullScreen = ini.ReadIniInt("FULLSCREEN", 1) != 0;
    c.m_sound = ini.ReadIniLong("SOUND", 1) != 0;
    ini.ReadIniLong("WRITE_LOGFILE", 0);  // accepted; there is no log file
    c.m_charNum = ini.ReadIniLong("CHAR_NUM", 0);
    c.m_charFileId = ini.ReadIniLong("CHAR_Z5A_FILE", -1);
    c.m_startMap = ini.ReadIniLong("MAP", 0);
    c.m_useServer = ini.ReadIniLong("USE_SERVER", 0) != 0;
    c.m_startPointX = ini.ReadIniLong("STARTPOINT_X", 0);
    c.m_startPointY = ini.ReadIniLong("STARTPOINT_Y", 0);
    ini.ReadIniLong("USE_PACK", 0);  // the pack archive is always used
    c.m_usePack = true;
    c.m_playVisualEvent = ini.ReadIniLong("PLAY_VISUAL_EVENT", 0) != 0;
    ini.ReadIniLong("FOR_MAP_TEST", 0);
    ini.ReadIniLong("VISUAL_EVENT_FILE_ID", 0);
    ini.ReadIniString("VISUAL_EVENT_STARTFUNC_NAME", "StartEvent");
    c.m_fontFile = ini.ReadIniString("FONT_FILE", "");
    c.m_mailDomain = ini.ReadIniString("MAIL_DOMAIN", "");

    static const struct {
        DataFolder folder;
        const char* key;
        const char* defaultValue;
    } kFolders[] = {
        {FOLDER_PACK, "PACK_FOLDER", "."},
        {FOLDER_ANIMATION, "ANIMATION_FOLDER", ".\\DAC"},
        {FOLDER_BITMAP, "BITMAP_FOLDER", ".\\BMP"},
        {FOLDER_3DOBJECT, "3DOBJECT_FOLDER", ".\\3DOBJECT"},
        {FOLDER_DATABASE, "DATABASE_FOLDER", ".\\DATABASE"},
        {FOLDER_QUESTLOG, "QUESTLOG_FOLDER", ".\\DATABASE"},
        {FOLDER_MAP, "MAP_FOLDER", ".\\MAP"},
        {FOLDER_FIELDSCRIPT, "FIELDSCRIPT_FOLDER", ".\\FIELDSCRIPT"},
        {FOLDER_VISUALEVENT, "VISUALEVENT_FOLDER", ".\\VISUALEVENT"},
        {FOLDER_MILES, "MILES_FOLDER", ".\\MILES"},
        {FOLDER_SOUND, "SOUND_FOLDER", ".\\SOUND"},
        {FOLDER_BGM_LIST, "BGM_LIST_FOLDER", ".\\BGM\\LIST"},
        {FOLDER_BGM_MP3, "BGM_MP3_FOLDER", ".\\BGM\\STREAM"},
        {FOLDER_TEXTURE, "TEXTURE_FOLDER", ".\\TEX"},
        {FOLDER_SCRIPT, "SCRIPT_FOLDER", ".\\SCRIPT"},
        {FOLDER_MINIMAP, "MINIMAP_FOLDER", ".\\Map"},
        {FOLDER_WORLDMAP, "WORLDMAP_FOLDER", ".\\Map"},
        {FOLDER_SPEECH, "SPEECH_FOLDER", ".\\Speech"},
        {FOLDER_SFCD_OBJ, "SFCD_OBJ_FOLDER", ".\\SFCD"},
        {FOLDER_SFCD_ANI, "SFCD_ANI_FOLDER", ".\\SFCD"},
        {FOLDER_SFCD_MAT, "SFCD_MAT_FOLDER", ".\\SFCD"},
    };
    for (const auto& f : kFolders) c.m_folders[f.folder] = ini.ReadIniString(f.key, f.defaultValue);

    c.m_useCompressedFiles = true;
    c.m_clientVersion = CLIENT_VERSION;
    char name[32];
    snprintf(name, sizeof(name), "QM_Dump_%d", int(c.m_clientVersion));
    c.m_crashDumpName = name;
    plat::InstallCrashDumpHandler(c.m_crashDumpName);
    return true;
}

// ---- Command line ----

namespace {

enum class Value { None, Number, Word };

struct OptionDef {
    const char* name;
    Value value;
    void (*apply)(const std::string& word);
};

int Number(const std::string& word) {
    return atoi(word.c_str());
}

const OptionDef kOptions[] = {
    {"-b", Value::None, nullptr},
    {"SID", Value::Number, nullptr},
    {"BID", Value::Number, nullptr},
    {"OP", Value::Number, nullptr},
    {"WORLD", Value::Number, nullptr},
    {"LOGINKEY", Value::Word, nullptr},
    {"IP", Value::Word, nullptr},
    {"ACCOUNT", Value::Word, [](const std::string& w) { g_config.m_accountName = w; }},
    {"BGMOFF", Value::Number,
     [](const std::string& w) {
         if (Number(w)) g_options.SetByte(OPT_MUSIC_OFF, 1);
     }},
    {"SEOFF", Value::Number,
     [](const std::string& w) {
         if (Number(w)) g_options.SetByte(OPT_EFFECTS_OFF, 1);
     }},
    {"WRITEPACKETLOG", Value::None, nullptr},
    {"DEV", Value::None, nullptr},
    {"SPEAKERTYPE", Value::Number, [](const std::string& w) { g_config.m_speakerType = Number(w); }},
    {"REFRESHRATE", Value::Number, [](const std::string& w) { g_config.m_refreshRate = Number(w); }},
    {"ID", Value::Word, [](const std::string& w) { g_config.m_accountId = w; }},
    {"PASS", Value::Word, [](const std::string& w) { g_config.m_password = w; }},
    {"ADDR", Value::Number,
     [](const std::string& w) {
         // An unsigned 32-bit number; larger values stop at the top.
         unsigned long long v = strtoull(w.c_str(), nullptr, 10);
         if (!w.empty() && w[0] == '-') v = 0;
         g_config.m_serverAddress = v > 0xFFFFFFFFull ? 0xFFFFFFFFu : uint32_t(v);
     }},
    {"PORT", Value::Number, [](const std::string& w) { g_config.m_serverPort = uint16_t(atol(w.c_str())); }},
    {"NEWCHAR", Value::Number, [](const std::string& w) { g_config.m_charNum = Number(w); }},
    {"USE_SERVER", Value::Number, [](const std::string& w) { g_config.m_useServer = Number(w) != 0; }},
    {"MAP", Value::Number, [](const std::string& w) { g_config.m_startMap = Number(w); }},
    {"STARTPOINT_X", Value::Number, [](const std::string& w) { g_config.m_startPointX = Number(w); }},
    {"STARTPOINT_Y", Value::Number, [](const std::string& w) { g_config.m_startPointY = Number(w); }},
    {"FULLSCREEN", Value::None, [](const std::string&) { g_config.m_fullScreen = true; }},
    {"WINDOW", Value::None, [](const std::string&) { g_config.m_fullScreen = false; }},
    {"800600", Value::Number,
     [](const std::string& w) {
         bool small = Number(w) != 0;
         g_config.m_screenWidth = small ? 800 : 1024;
         g_config.m_screenHeight = small ? 600 : 768;
     }},
    {"USE_BILINEAR_FILTERING", Value::Number,
     [](const std::string& w) { g_config.m_bilinearFiltering = Number(w) != 0; }},
    {"SCREENSHOT_QUALITY", Value::Number,
     [](const std::string& w) { g_config.m_screenshotQuality = Number(w); }},
};

// The next space-delimited word from pos, at most 255 bytes kept.
std::string NextWord(std::string_view line, size_t& pos) {
    while (pos < line.size() && line[pos] == ' ') ++pos;
    size_t start = pos;
    while (pos < line.size() && line[pos] != ' ') ++pos;
    std::string_view word = line.substr(start, pos - start);
    return std::string(word.substr(0, SETTING_TEXT_SIZE - 1));
}

}  // namespace

bool ParseCommandLine() {
    const char* text = plat::GetCommandLineA();
    std::string_view line = text ? text : "";
    g_options.SetByte(OPT_MUSIC_OFF, 0);
    g_options.SetByte(OPT_EFFECTS_OFF, 0);
    if (line.empty()) return false;

    g_config.m_serverAddress = DefaultServerAddress();
    g_config.m_serverPort = DEFAULT_SERVER_PORT;
    bool useServerGiven = false;
    bool useServer = false;
    for (size_t pos = 0; pos < line.size();) {
        if (line[pos] != '/') {
            ++pos;
            continue;
        }
        size_t start = ++pos;
        while (pos < line.size() && line[pos] != ' ') ++pos;
        std::string_view name = line.substr(start, pos - start);
        for (const OptionDef& option : kOptions) {
            if (name != option.name) continue;
            std::string word = option.value == Value::None ? std::string() : NextWord(line, pos);
            if (option.apply) option.apply(word);
            if (name == "USE_SERVER") {
                useServerGiven = true;
                useServer = Number(word) != 0;
            }
            break;
        }
    }
    return useServerGiven && useServer;
}
