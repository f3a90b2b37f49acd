#include "platform/registry.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "platform/paths.h"
#include "tests/support/temp_dir.h"

namespace {

constexpr char KEY[] = "Software\\Vemra\\Quillmarrow";

TEST(FileRegistry, MissingFileHoldsNothingAndFirstWriteCreatesIt) {
    qmtest::TempDir folder;
    const std::string path = folder.Path() + "/config/quillmarrow/settings.ini";
    plat::FileRegistry registry(path);
    uint32_t value = 77;
    EXPECT_FALSE(registry.QueryValue(KEY, "ISP_Code", &value));
    EXPECT_EQ(value, 77u) << "left alone";

    ASSERT_TRUE(registry.SetValue(KEY, "ISP_Code", 12));
    EXPECT_EQ(qmtest::ReadTextFile(path), "[Software\\Vemra\\Quillmarrow]\nISP_Code=12\n");
    EXPECT_TRUE(registry.QueryValue("software\\VEMRA\\quillmarrow", "isp_code", &value)) << "any case";
    EXPECT_EQ(value, 12u);
}

TEST(FileRegistry, WritesKeepEverythingElse) {
    qmtest::TempDir folder;
    const std::string path = folder.WriteFile("settings.ini",
                                              "; the user's notes\r\n"
                                              "[Other]\n"
                                              "ISP_Code=5\n"
                                              "[Software\\Vemra\\Quillmarrow]\n"
                                              "Volume = 3\n"
                                              "odd line\n"
                                              "[Last]\n"
                                              "x=1\n");
    plat::FileRegistry registry(path);
    uint32_t value = 0;
    EXPECT_FALSE(registry.QueryValue(KEY, "ISP_Code", &value)) << "another section's value does not count";
    EXPECT_TRUE(registry.QueryValue(KEY, "Volume", &value));
    EXPECT_EQ(value, 3u);

    ASSERT_TRUE(registry.SetValue(KEY, "ISP_Code", 4294967295u));
    ASSERT_TRUE(registry.SetValue(KEY, "Volume", 0));
    EXPECT_EQ(qmtest::ReadTextFile(path),
              "; the user's notes\n"
              "[Other]\n"
              "ISP_Code=5\n"
              "[Software\\Vemra\\Quillmarrow]\n"
              "Volume=0\n"
              "ISP_Code=4294967295\n"
              "odd line\n"
              "[Last]\n"
              "x=1\n");
    EXPECT_TRUE(registry.QueryValue(KEY, "ISP_Code", &value));
    EXPECT_EQ(value, 4294967295u);
    EXPECT_EQ(folder.List(), (std::vector<std::string>{"settings.ini"})) << "no temporary file left";
}

TEST(FileRegistry, ValuesThatAreNotNumbersAreAbsent) {
    qmtest::TempDir folder;
    plat::FileRegistry registry(folder.WriteFile("settings.ini",
                                                 "[Software\\Vemra\\Quillmarrow]\n"
                                                 "a=-1\nb=4294967296\nc=12x\nd=\ne=0x10\n"));
    for (const char* name : {"a", "b", "c", "d", "e"}) {
        uint32_t value = 9;
        EXPECT_FALSE(registry.QueryValue(KEY, name, &value)) << name;
    }
    EXPECT_FALSE(registry.SetValue(KEY, "bad=name", 1));
    EXPECT_FALSE(registry.SetValue("[bad]", "name", 1));
}

TEST(Registry, GameCallsGoThroughTheInstalledStore) {
    plat::MemoryRegistry memory;
    plat::ScopedRegistry scope(memory);
    uint32_t value = 0;
    EXPECT_FALSE(plat::RegQueryDword(KEY, "ISP_Code", &value));
    EXPECT_TRUE(plat::RegSetDword(KEY, "ISP_Code", 3));
    EXPECT_TRUE(plat::RegQueryDword(KEY, "isp_code", &value));
    EXPECT_EQ(value, 3u);
    EXPECT_EQ(memory.Queries(), (std::vector<std::string>{"Software\\Vemra\\Quillmarrow\\ISP_Code",
                                                          "Software\\Vemra\\Quillmarrow\\isp_code"}));
}

// Restores an environment variable at the end of a test.
class ScopedEnv {
public:
    ScopedEnv(const char* name, const char* value) : m_name(name) {
        const char* old = std::getenv(name);
        m_had = old != nullptr;
        if (old) m_old = old;
        if (value)
            setenv(name, value, 1);
        else
            unsetenv(name);
    }
    ~ScopedEnv() {
        if (m_had)
            setenv(m_name.c_str(), m_old.c_str(), 1);
        else
            unsetenv(m_name.c_str());
    }

private:
    std::string m_name, m_old;
    bool m_had = false;
};

TEST(Registry, SettingsFileIsInTheUsersConfigurationFolder) {
    {
        ScopedEnv config("XDG_CONFIG_HOME", "/cfg");
        EXPECT_EQ(plat::DefaultRegistryPath(), "/cfg/quillmarrow/settings.ini");
    }
    ScopedEnv config("XDG_CONFIG_HOME", nullptr);
    {
        ScopedEnv home("HOME", "/home/player");
        EXPECT_EQ(plat::DefaultRegistryPath(), "/home/player/.config/quillmarrow/settings.ini");
    }
    ScopedEnv home("HOME", nullptr);
    EXPECT_EQ(plat::DefaultRegistryPath(), "settings.ini");
}

}  // namespace
