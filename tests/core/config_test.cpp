#include "core/config.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>

#include <string>
#include <vector>

#include "platform/command_line.h"
#include "platform/crash_dump.h"
#include "platform/paths.h"
#include "tests/support/temp_dir.h"

namespace {

class ConfigTest : public ::testing::Test {
protected:
    void SetUp() override {
        g_options = COptions{};
        g_config = CConfig{};
    }

    std::string OptionsFile(uint32_t version, const std::vector<uint8_t>& block) {
        std::vector<uint8_t> bytes = {uint8_t(version), uint8_t(version >> 8), uint8_t(version >> 16),
                                      uint8_t(version >> 24)};
        bytes.insert(bytes.end(), block.begin(), block.end());
        return m_dir.WriteFile(OPTIONS_FILE_NAME, bytes);
    }

    qmtest::TempDir m_dir;
};

void ExpectDefaults(const COptions& o) {
    for (size_t b : {9, 10, 11, 12, 15, 16, 18, 20, 21, 22, 25, 26, 27, 31, 33, 35, 36, 38, 39, 40})
        EXPECT_EQ(o.GetByte(b), 1) << b;
    EXPECT_EQ(o.GetU32(OPT_MUSIC_VOLUME), 100u);
    EXPECT_EQ(o.GetU32(OPT_EFFECT_VOLUME), 100u);
}

TEST_F(ConfigTest, MissingOrOldOptionsFileGivesDefaults) {
    EXPECT_TRUE(LoadOptions((m_dir.Path() + "/none.DAT").c_str()));
    ExpectDefaults(g_options);
    EXPECT_EQ(g_options.GetByte(5), 0);

    g_options = COptions{};
    std::string path = OptionsFile(53, std::vector<uint8_t>(OPTIONS_BLOCK_SIZE, 7));
    EXPECT_TRUE(LoadOptions(path.c_str()));
    ExpectDefaults(g_options);
    EXPECT_EQ(g_options.GetByte(5), 0);
    // Rewritten as version 54 at exit.
    ASSERT_TRUE(SaveOptions(path.c_str()));
    std::vector<uint8_t> saved;
    ASSERT_TRUE(plat::ReadWholeFile(path, saved));
    ASSERT_EQ(saved.size(), 4 + OPTIONS_BLOCK_SIZE);
    EXPECT_EQ(saved[0], 54);
    EXPECT_EQ(saved[4 + 9], 1);

    g_options = COptions{};
    EXPECT_TRUE(LoadOptions(m_dir.WriteFile("short.DAT", std::string("\x36\x00", 2)).c_str()));
    ExpectDefaults(g_options);
}

TEST_F(ConfigTest, Version54BlockIsLoadedAndMarked) {
    std::vector<uint8_t> block(OPTIONS_BLOCK_SIZE, 0);
    block[29] = 3;
    block[OPT_MUSIC_VOLUME] = 40;
    block[OPTIONS_BLOCK_SIZE - 1] = 9;
    std::string path = OptionsFile(54, block);
    EXPECT_TRUE(LoadOptions(path.c_str()));
    EXPECT_EQ(g_options.GetByte(OPT_PRESENT_FLAG), 3);
    EXPECT_EQ(g_options.GetU32(OPT_MUSIC_VOLUME), 40u);
    EXPECT_EQ(g_options.GetByte(9), 0);  // the stored value, not the default
    EXPECT_EQ(g_options.GetByte(OPTIONS_BLOCK_SIZE - 1), 9);
    EXPECT_EQ(g_options.GetByte(OPT_LOADED), 1);  // whatever the file held

    // Round trip.
    g_options.SetByte(100, 42);
    ASSERT_TRUE(SaveOptions(path.c_str()));
    g_options = COptions{};
    LoadOptions(path.c_str());
    EXPECT_EQ(g_options.GetByte(100), 42);
    EXPECT_EQ(g_options.GetByte(OPTIONS_BLOCK_SIZE - 1), 9);
}

TEST_F(ConfigTest, ShortVersion54BlockIsReadOverTheDefaults) {
    std::vector<uint8_t> block(12, 0);
    block[4] = 5;
    std::string path = OptionsFile(55, block);
    EXPECT_TRUE(LoadOptions(path.c_str()));
    EXPECT_EQ(g_options.GetByte(4), 5);
    EXPECT_EQ(g_options.GetByte(9), 0);   // read from the file
    EXPECT_EQ(g_options.GetByte(15), 1);  // past the stored bytes: the default
    EXPECT_EQ(g_options.GetU32(OPT_MUSIC_VOLUME), 100u);
    EXPECT_EQ(g_options.GetByte(OPT_LOADED), 1);
}

TEST_F(ConfigTest, FailedSaveLeavesTheOldFileIntact) {
    std::vector<uint8_t> block(OPTIONS_BLOCK_SIZE, 0);
    block[200] = 77;
    std::string path = OptionsFile(54, block);
    LoadOptions(path.c_str());
    g_options.SetByte(200, 1);

    // Files may not grow beyond 1,000 bytes: the write fails half way.
    rlimit old{};
    getrlimit(RLIMIT_FSIZE, &old);
    rlimit small = old;
    small.rlim_cur = 1000;
    sighandler_t oldHandler = signal(SIGXFSZ, SIG_IGN);
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    bool saved = SaveOptions(path.c_str());
    setrlimit(RLIMIT_FSIZE, &old);
    signal(SIGXFSZ, oldHandler);

    EXPECT_FALSE(saved);
    std::vector<uint8_t> bytes;
    ASSERT_TRUE(plat::ReadWholeFile(path, bytes));
    ASSERT_EQ(bytes.size(), 4 + OPTIONS_BLOCK_SIZE);
    EXPECT_EQ(bytes[4 + 200], 77);
    EXPECT_EQ(m_dir.List().size(), 1u);  // no temporary file left behind
    EXPECT_FALSE(SaveOptions((m_dir.Path() + "/missing/dir/x.DAT").c_str()));
}

TEST_F(ConfigTest, LoadConfigReadsTheIniAndInstallsTheCrashDump) {
    std::string path = m_dir.WriteFile(CONFIG_FILE_NAME,
                                       "SCREEN_WIDTH 1024\nSCREEN_HEIGHT 768\nFULLSCREEN 0\nUSE_SERVER 1\n"
                                       "PACK_FOLDER ./data\nMAP_FOLDER .\\Maps\nCHAR_Z5A_FILE 12\n");
    EXPECT_TRUE(LoadConfig(path.c_str()));
    EXPECT_EQ(g_config.m_screenWidth, 1024);
    EXPECT_EQ(g_config.m_screenHeight, 768);
    EXPECT_FALSE(g_config.m_fullScreen);
    EXPECT_TRUE(g_config.m_useServer);
    EXPECT_EQ(g_config.m_charFileId, 12);
    EXPECT_EQ(g_config.m_folders[FOLDER_PACK], "./data");
    EXPECT_EQ(g_config.m_folders[FOLDER_MAP], ".\\Maps");
    EXPECT_EQ(g_config.m_folders[FOLDER_BGM_LIST], ".\\BGM\\LIST");
    EXPECT_TRUE(g_config.m_usePack);
    EXPECT_TRUE(g_config.m_useCompressedFiles);
    EXPECT_EQ(g_config.m_clientVersion, CLIENT_VERSION);
    EXPECT_EQ(g_config.m_crashDumpName, "QM_Dump_103");
    EXPECT_TRUE(plat::IsCrashDumpHandlerInstalled());
    EXPECT_STREQ(plat::CrashDumpName(), "QM_Dump_103");

    g_config = CConfig{};
    LoadConfig((m_dir.Path() + "/absent.INI").c_str());
    EXPECT_EQ(g_config.m_screenWidth, 800);
    EXPECT_EQ(g_config.m_bpp, 16);
    EXPECT_TRUE(g_config.m_fullScreen);
    EXPECT_TRUE(g_config.m_sound);
    EXPECT_EQ(g_config.m_charFileId, -1);
    EXPECT_EQ(g_config.m_folders[FOLDER_PACK], ".");
    EXPECT_EQ(g_config.m_folders[FOLDER_SFCD_MAT], ".\\SFCD");
}

TEST_F(ConfigTest, CommandLineServerModeAndWindow) {
    struct Case {
        const char* line;
        bool result;
        bool fullScreen;
    } cases[] = {
        {"/USE_SERVER 1 /WINDOW", true, false},
        {"/WINDOW /USE_SERVER 1", true, false},
        {"/USE_SERVER 0", false, true},
        {"/USE_SERVER", false, true},  // an option at the end without its value
        {"", false, true},
        {"USE_SERVER 1", false, true},   // not an option
        {"/use_server 1", false, true},  // names are case-sensitive
        {"/USE_SERVER 1 /FULLSCREEN", true, true},
        {"/FOO 5 /USE_SERVER 2 /Window", true, true},   // unknown names are ignored
        {"/ID /USE_SERVER /USE_SERVER 7", true, true},  // a value word is never an option
    };
    for (const Case& c : cases) {
        g_config = CConfig{};
        plat::SetCommandLine(c.line);
        EXPECT_EQ(ParseCommandLine(), c.result) << c.line;
        EXPECT_EQ(g_config.m_fullScreen, c.fullScreen) << c.line;
    }
    EXPECT_EQ(g_config.m_accountId, "/USE_SERVER");
}

TEST_F(ConfigTest, CommandLineValues) {
    std::string longWord(300, 'p');
    plat::SetCommandLine("/USE_SERVER 1 /800600 0 /ADDR 3232235777 /PORT 5000 /ID kaede /PASS " + longWord +
                         " /ACCOUNT acc /NEWCHAR 3 /SPEAKERTYPE 2 /REFRESHRATE 75 /USE_BILINEAR_FILTERING 1 "
                         "/SCREENSHOT_QUALITY 90 /STARTPOINT_X 10 /STARTPOINT_Y 20 /MAP 7");
    EXPECT_TRUE(ParseCommandLine());
    EXPECT_EQ(g_config.m_screenWidth, 1024);
    EXPECT_EQ(g_config.m_screenHeight, 768);
    EXPECT_EQ(g_config.m_serverAddress, 3232235777u);  // above the signed range
    EXPECT_EQ(g_config.m_serverPort, 5000);
    EXPECT_EQ(g_config.m_accountId, "kaede");
    EXPECT_EQ(g_config.m_password, std::string(255, 'p'));
    EXPECT_EQ(g_config.m_accountName, "acc");
    EXPECT_EQ(g_config.m_charNum, 3);
    EXPECT_EQ(g_config.m_speakerType, 2);
    EXPECT_EQ(g_config.m_refreshRate, 75);
    EXPECT_TRUE(g_config.m_bilinearFiltering);
    EXPECT_EQ(g_config.m_screenshotQuality, 90);
    EXPECT_EQ(g_config.m_startPointX, 10);
    EXPECT_EQ(g_config.m_startPointY, 20);
    EXPECT_EQ(g_config.m_startMap, 7);  // the last option, without a trailing space

    plat::SetCommandLine("/USE_SERVER 1 /800600 1");
    ParseCommandLine();
    EXPECT_EQ(g_config.m_screenWidth, 800);
    EXPECT_EQ(g_config.m_screenHeight, 600);
    EXPECT_EQ(g_config.m_serverAddress, DefaultServerAddress());
    EXPECT_EQ(g_config.m_serverPort, DEFAULT_SERVER_PORT);
    const uint8_t* octets = reinterpret_cast<const uint8_t*>(&g_config.m_serverAddress);
    EXPECT_EQ(octets[0], 127);
    EXPECT_EQ(octets[3], 1);
}

TEST_F(ConfigTest, SoundSwitchesLastOneRun) {
    std::string path = m_dir.Path() + "/" + OPTIONS_FILE_NAME;
    plat::SetCommandLine("/USE_SERVER 1 /BGMOFF 1 /SEOFF 1");
    LoadOptions(path.c_str());
    ParseCommandLine();
    EXPECT_EQ(g_options.GetByte(OPT_MUSIC_OFF), 1);
    EXPECT_EQ(g_options.GetByte(OPT_EFFECTS_OFF), 1);
    SaveOptions(path.c_str());

    // The next start without them.
    g_options = COptions{};
    plat::SetCommandLine("/USE_SERVER 1 /BGMOFF 0");
    LoadOptions(path.c_str());
    EXPECT_EQ(g_options.GetByte(OPT_MUSIC_OFF), 1);  // as saved...
    ParseCommandLine();
    EXPECT_EQ(g_options.GetByte(OPT_MUSIC_OFF), 0);  // ...and cleared before the line is read
    EXPECT_EQ(g_options.GetByte(OPT_EFFECTS_OFF), 0);
    g_options.SetByte(OPT_EFFECTS_OFF, 1);
    plat::SetCommandLine("");
    EXPECT_FALSE(ParseCommandLine());
    EXPECT_EQ(g_options.GetByte(OPT_EFFECTS_OFF), 0);
}

}  // namespace
