// Process-wide configuration: the user options block ("QuillOption.DAT"), the
// settings of "Cardane.INI" and the command line.
#pragma once
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>

#include "core/byte_source.h"

// ---- Options file ----

constexpr const char* OPTIONS_FILE_NAME = "QuillOption.DAT";
constexpr uint32_t OPTIONS_VERSION = 54;
constexpr size_t OPTIONS_BLOCK_SIZE = 6408;

// Offsets of the options block fields the engine and its neighbours read.
enum : size_t {
    OPT_LOADED = 25,         // set to 1 whenever a stored block was loaded
    OPT_PRESENT_FLAG = 29,   // handed to the present call of every frame
    OPT_MUSIC_OFF = 52,      // BGMOFF
    OPT_EFFECTS_OFF = 53,    // SEOFF
    OPT_MUSIC_VOLUME = 44,   // u32, default 100
    OPT_EFFECT_VOLUME = 48,  // u32, default 100
    OPT_KEY_SHIFT = 1021,    // the key binding whose auto-repeat is dropped:
    OPT_KEY_CTRL = 1022,     //   its modifier flags
    OPT_KEY_ALT = 1023,
    OPT_KEY_CODE = 1024,  //   and its u32 key code
    // Forced to 1 while the intro movie, the offline scene and the character
    // windows run.
    OPT_SCENE_FORCED = 32,
    OPT_INTRO_SEEN = 5888,  // u32: the intro movie has played once
    OPT_REMEMBER_ID = 5892,
    OPT_TEXT_1 = 5893,  // three 256-byte texts of the server selection and login
    OPT_TEXT_2 = 6149,
    OPT_TEXT_3 = 6405,
    // Marks over the party members (1 by default); the character manager
    // takes the party marks of its message 72 only while it is on.
    OPT_PARTY_MARKS = 36,
    // The maps' sound spots play (1 by default).
    OPT_AMBIENT_SOUNDS = 38,
    // The character manager's switches, in bytes no row of the options window
    // edits and the defaults leave 0 (38 and 39 are switches of its sound tab,
    // 40 is on by default).
    OPT_HIDE_PETS = 41,
    OPT_TARGET_SNAP = 42,
    OPT_HIDE_MERCHANTS = 43,
    OPT_NO_TABLE_SOUNDS = 54,
    // Running characters leave footsteps on dust, grass and sand (on by default).
    OPT_FOOTSTEPS = 40,
    // Switches of the characters' labels and gauges (0 by default), in bytes
    // before the hot-key table that nothing else uses: pets under the mouse
    // are labelled; user-shop merchants are labelled with their shop title;
    // team members carry gauges (their label sits lower); the pointed
    // monster's energy bar is drawn; a character using a skill shows its name.
    OPT_PET_NAMES = 0,
    OPT_SHOP_NAMES = 1,
    OPT_TEAM_BARS = 2,
    OPT_MONSTER_BARS = 3,
    OPT_SKILL_NAMES = 30,
    // Whether the windows the hot keys toggle were shown: the quick slots,
    // the three chat windows, the pet window.
    OPT_QUICK_SLOTS_SHOWN = 9,
    OPT_CHAT_SHOWN = 11,
    OPT_PET_WINDOW_SHOWN = 20,
};

// The options block, kept in the file's layout.
struct COptions {
    uint8_t m_block[OPTIONS_BLOCK_SIZE] = {};

    uint8_t GetByte(size_t offset) const { return offset < OPTIONS_BLOCK_SIZE ? m_block[offset] : 0; }
    void SetByte(size_t offset, uint8_t value) {
        if (offset < OPTIONS_BLOCK_SIZE) m_block[offset] = value;
    }
    uint32_t GetU32(size_t offset) const {
        uint32_t v = 0;
        if (offset + 4 <= OPTIONS_BLOCK_SIZE) v = LoadU32Le(m_block + offset);
        return v;
    }
    void SetU32(size_t offset, uint32_t value) {
        if (offset + 4 > OPTIONS_BLOCK_SIZE) return;
        StoreU32Le(m_block + offset, value);
    }
};
extern COptions g_options;

// Writes the default values into the options block (other bytes are left).
void InitDefaultOptions();
// Reads the options file over the defaults; a missing, short or old file
// leaves the defaults. Always true.
bool LoadOptions(const char* path = OPTIONS_FILE_NAME);
// Writes version 54 and the block, replacing the file atomically; false when
// it could not be written (the old file is then left as it was).
bool SaveOptions(const char* path = OPTIONS_FILE_NAME);

// ---- Settings ----

constexpr const char* CONFIG_FILE_NAME = "Cardane.INI";
constexpr size_t SETTING_TEXT_SIZE = 256;
constexpr uint16_t DEFAULT_SERVER_PORT = 40000;
// The client version (version / 100 is shown in the title: 1.03).
constexpr uint16_t CLIENT_VERSION = 103;

// The data folders of "Cardane.INI", in the file's order.
enum DataFolder : int {
    FOLDER_PACK,
    FOLDER_ANIMATION,
    FOLDER_BITMAP,
    FOLDER_3DOBJECT,
    FOLDER_DATABASE,
    FOLDER_QUESTLOG,
    FOLDER_MAP,
    FOLDER_FIELDSCRIPT,
    FOLDER_VISUALEVENT,
    FOLDER_MILES,
    FOLDER_SOUND,
    FOLDER_BGM_LIST,
    FOLDER_BGM_MP3,
    FOLDER_TEXTURE,
    FOLDER_SCRIPT,
    FOLDER_MINIMAP,
    FOLDER_WORLDMAP,
    FOLDER_SPEECH,
    FOLDER_SFCD_OBJ,
    FOLDER_SFCD_ANI,
    FOLDER_SFCD_MAT,
    FOLDER_COUNT
};

struct CConfig {
    int32_t m_screenWidth = 800;
    int32_t m_screenHeight = 600;
    int32_t m_bpp = 16;
    int32_t m_backSurfaceCount = 1;
    bool m_fullScreen = true;
    bool m_sound = true;
    bool m_useServer = false;
    int32_t m_charNum = 0;
    int32_t m_charFileId = -1;
    int32_t m_startMap = 0;
    int32_t m_startPointX = 0;
    int32_t m_startPointY = 0;
    bool m_playVisualEvent = false;
    int32_t m_speakerType = 0;
    int32_t m_refreshRate = 0;
    std::string m_accountId;       // ID, at most 255 bytes
    std::string m_password;        // PASS
    std::string m_accountName;     // ACCOUNT
    std::string m_mailDomain;      // MAIL_DOMAIN of "Cardane.INI": added to new accounts' mail names
    uint32_t m_serverAddress = 0;  // IPv4, network byte order in memory
    uint16_t m_serverPort = DEFAULT_SERVER_PORT;
    bool m_bilinearFiltering = false;
    int32_t m_screenshotQuality = 0;
    std::string m_folders[FOLDER_COUNT];
    // The file code reads the pack and compressed loose files; both stay on.
    bool m_usePack = false;
    bool m_useCompressedFiles = false;
    uint16_t m_clientVersion = 0;
    std::string m_crashDumpName;
    // FONT_FILE: the Japanese Gothic font file; empty: found on the system.
    std::string m_fontFile;
};
extern CConfig g_config;

// The default login server (127.0.0.1) in network byte order.
uint32_t DefaultServerAddress();

// Reads "Cardane.INI" into the settings, switches the pack and compressed
// files on, sets the client version and installs the crash-dump handler
// ("QM_Dump_<version>") once per process. Always true.
bool LoadConfig(const char* path = CONFIG_FILE_NAME);
// Reads the command line (plat::GetCommandLineA). Clears options bytes 52 and
// 53 first. True only when /USE_SERVER was given with a non-zero value.
bool ParseCommandLine();
