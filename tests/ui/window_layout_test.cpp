#include "ui/window_layout.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>

#include <string>
#include <vector>

#include "platform/paths.h"
#include "tests/support/temp_dir.h"
#include "tests/support/window_driver.h"
#include "tests/ui/test_windows.h"

using uitest::TestWindow;

namespace {

// A window that keeps its position per resolution and a switch.
class PlacedWindow : public TestWindow {
public:
    using TestWindow::TestWindow;
    bool SaveSettings(CLayoutWriter* writer) override {
        WriteLayoutFloat("WindowPositionX[800x600]", float(GetX()), writer);
        WriteLayoutFloat("WindowPositionY[800x600]", float(GetY()), writer);
        WriteLayoutString("MINIMAP_STATE", m_state.c_str(), writer);
        return true;
    }
    std::string m_state = "open";
};

TEST(WindowLayoutTest, SaveWritesTheHeaderAndEveryWindowInChildOrder) {
    qmtest::TempDir dir;
    qmtest::WindowDriver driver;
    auto* a = driver.Add(new PlacedWindow("MINIMAP_WINDOW", 312, -4));
    auto* b = driver.Add(new PlacedWindow("TEAM_WINDOW", 7, 1000000));
    b->m_state = "two words";  // a value with a blank is not written
    auto* control = new PlacedWindow("TEAM_WINDOW_CLOSE_BUTTON", 1, 2);
    control->SetControlType(CONTROL_BUTTON);
    driver.Mgr().AddChildBack(control);
    b->AddChild(control);  // written by its window, if at all
    driver.Mgr().AddChild(new PlacedWindow("FIRST_CHILD", 0, 0));
    driver.Mgr().BringToFront(a);

    const std::string path = dir.Path() + "/QM_Window.INF";
    ASSERT_TRUE(driver.Mgr().SaveWindowLayout(path.c_str()));
    EXPECT_EQ(qmtest::ReadTextFile(path),
              "Quillmarrow Window Information File\n"
              "FIRST_CHILD WindowPositionX[800x600] 0.000000\n"
              "FIRST_CHILD WindowPositionY[800x600] 0.000000\n"
              "FIRST_CHILD MINIMAP_STATE open\n"
              "TEAM_WINDOW WindowPositionX[800x600] 7.000000\n"
              "TEAM_WINDOW WindowPositionY[800x600] 1000000.000000\n"
              "MINIMAP_WINDOW WindowPositionX[800x600] 312.000000\n"
              "MINIMAP_WINDOW WindowPositionY[800x600] -4.000000\n"
              "MINIMAP_WINDOW MINIMAP_STATE open\n");
    EXPECT_EQ(dir.List(), std::vector<std::string>{"QM_Window.INF"});
}

TEST(WindowLayoutTest, OnlySingleTokensOfUnder256BytesAreWritten) {
    struct Case {
        std::string identifier, key, value;
        bool written;
    } cases[] = {
        {"W", "KEY", "value", true},
        {"W", "KEY", std::string(255, 'v'), true},
        {"W", "KEY", std::string(256, 'v'), false},
        {"W", std::string(256, 'k'), "1", false},
        {"W", "", "1", false},
        {"W", "KEY", "", false},
        {"W", "K\tY", "1", false},
        {"W", "KEY", "a\nb", false},
        {"W", "KEY", "a\rb", false},
        {"", "KEY", "1", false},
        {"MY WINDOW", "KEY", "1", false},
    };
    for (const Case& c : cases) {
        CLayoutWriter writer;
        EXPECT_EQ(writer.WriteLine(c.identifier, c.key, c.value), c.written) << c.key << "/" << c.value;
        EXPECT_EQ(writer.Text().size() > std::string(LAYOUT_HEADER).size() + 1, c.written);
    }
}

TEST(WindowLayoutTest, FloatsAreWrittenInTheCLocaleWithSixDecimals) {
    struct Case {
        float value;
        const char* text;
    } cases[] = {{312.0f, "312.000000"}, {-4.5f, "-4.500000"}, {0.1f, "0.100000"}, {1e6f, "1000000.000000"}};
    for (const Case& c : cases) EXPECT_EQ(FormatLayoutFloat(c.value), c.text);
}

TEST(WindowLayoutTest, FloatValuesThatAreNotSaneNumbersGiveTheDefault) {
    struct Case {
        const char* token;
        float expected;
    } cases[] = {
        {"312.000000", 312.0f}, {"-4.5", -4.5f},  {"+7", 7.0f},     {"1e3", 1000.0f}, {"1000000", 1e6f},
        {"1000001", -1.0f},     {"-1e7", -1.0f},  {"1e999", -1.0f}, {"nan", -1.0f},   {"inf", -1.0f},
        {"-inf", -1.0f},        {"12abc", -1.0f}, {"", -1.0f},      {"0x10", -1.0f},  {"1,5", -1.0f},
    };
    for (const Case& c : cases) EXPECT_EQ(ParseLayoutFloat(c.token, -1.0f), c.expected) << c.token;
}

class LayoutReadTest : public ::testing::Test {
protected:
    float Float(const char* identifier, const char* key, float def = -1.0f) {
        TestWindow w(identifier);
        return w.ReadLayoutFloat(key, &m_reader, def);
    }
    std::string Text(const char* identifier, const char* key) {
        TestWindow w(identifier);
        char out[LAYOUT_TOKEN_SIZE] = "junk";
        w.ReadLayoutString(key, out, sizeof out, &m_reader);
        return out;
    }
    CLayoutReader m_reader;
};

TEST_F(LayoutReadTest, MissingAndHeaderOnlyFilesGiveTheDefaults) {
    qmtest::TempDir dir;
    EXPECT_FALSE(m_reader.Open(dir.Path() + "/QM_Window.INF"));
    EXPECT_EQ(Float("W", "X", 5.0f), 5.0f);
    EXPECT_EQ(Text("W", "S"), "");
    ASSERT_TRUE(m_reader.Open(dir.WriteFile("QM_Window.INF", "Quillmarrow Window Information File\n")));
    EXPECT_EQ(Float("W", "X", 5.0f), 5.0f);
    EXPECT_EQ(Text("W", "S"), "");
    // The header's words match only a window named like one of them.
    EXPECT_EQ(Text("Quillmarrow", "Window"), "Information");
}

// Keys read in their written order come from the following lines; any other
// key is searched for from the top, also before the position.
TEST_F(LayoutReadTest, FastAndSlowReads) {
    m_reader.OpenBytes(
        "Quillmarrow Window Information File\n"
        "A X 1.000000\n"
        "A Y 2.000000\n"
        "B X 3.000000\n"
        "DUP X 10.000000\n"
        "B S hello\n"
        "DUP X 20.000000\n");
    EXPECT_EQ(Float("B", "X"), 3.0f);  // slow: from the top
    EXPECT_EQ(Float("DUP", "X"), 10.0f);
    EXPECT_EQ(Float("DUP", "X"), 10.0f);  // the next line is not it: from the top again, the first
    EXPECT_EQ(Float("A", "Y"), 2.0f);
    EXPECT_EQ(Text("B", "S"), "hello");   // "B X" follows: not the key, found from the top
    EXPECT_EQ(Float("DUP", "X"), 20.0f);  // fast: the very next line, the second duplicate
    EXPECT_EQ(Float("A", "X"), 1.0f);
    EXPECT_EQ(Float("A", "Z"), -1.0f);
    EXPECT_EQ(Float("C", "X"), -1.0f);
}

TEST_F(LayoutReadTest, HostileLinesNeverMatchOrCrash) {
    const std::string longKey(256, 'K'), shortKey(255, 'K');
    std::string file = "Quillmarrow Window Information File\n";
    file += std::string(300, 'W') + " X 1\n";          // identifier too long
    file += "W " + shortKey + " 2\n";                  // 255 bytes: fits
    file += "W " + longKey + " 3\n";                   // key too long
    file += "W NUL" + std::string(1, '\0') + "X 4\n";  // a NUL inside a token
    file += "W N nan\nW I 1e999\nW M -1e7\n";
    file += "W S " + std::string(256, 's') + "\n";  // text value too long
    file += "W T ok\r\n";                           // a carriage return is white space
    file += "W LAST";                               // no value at the end of the file
    m_reader.OpenBytes(file);
    EXPECT_EQ(Float("W", shortKey.c_str()), 2.0f);
    EXPECT_EQ(Float("W", longKey.c_str()), -1.0f);
    EXPECT_EQ(Float("W", "NUL"), -1.0f);
    EXPECT_EQ(Float("W", "N"), -1.0f);
    EXPECT_EQ(Float("W", "I"), -1.0f);
    EXPECT_EQ(Float("W", "M"), -1.0f);
    EXPECT_EQ(Text("W", "S"), "");
    EXPECT_EQ(Text("W", "T"), "ok");
    EXPECT_EQ(Float("W", "LAST"), -1.0f);
}

TEST_F(LayoutReadTest, StringValuesAreCutToTheCallersBuffer) {
    m_reader.OpenBytes("W S abcdefgh\n");
    TestWindow w("W");
    char out[5];
    EXPECT_TRUE(w.ReadLayoutString("S", out, sizeof out, &m_reader));
    EXPECT_STREQ(out, "abcd");
    EXPECT_FALSE(w.ReadLayoutString("S", out, sizeof out, nullptr));
    EXPECT_STREQ(out, "");
}

TEST(WindowLayoutTest, WrittenLayoutReadsBack) {
    qmtest::TempDir dir;
    const std::string path = dir.Path() + "/QM_Window.INF";
    {
        qmtest::WindowDriver driver;
        driver.Add(new PlacedWindow("MINIMAP_WINDOW", 312, 40));
        ASSERT_TRUE(driver.Mgr().SaveWindowLayout(path.c_str()));
    }
    CLayoutReader reader(path);
    PlacedWindow w("MINIMAP_WINDOW");
    EXPECT_EQ(w.ReadLayoutFloat("WindowPositionX[800x600]", &reader, 0), 312.0f);
    EXPECT_EQ(w.ReadLayoutFloat("WindowPositionY[800x600]", &reader, 0), 40.0f);
    char state[LAYOUT_TOKEN_SIZE];
    w.ReadLayoutString("MINIMAP_STATE", state, sizeof state, &reader);
    EXPECT_STREQ(state, "open");
}

// A write that fails part way (here the file-size limit of the process)
// leaves the old file as it was and no temporary file behind.
TEST(WindowLayoutTest, AFailedWriteKeepsTheOldFile) {
    qmtest::TempDir dir;
    const std::string old = "Quillmarrow Window Information File\nOLD X 1.000000\n";
    const std::string path = dir.WriteFile("QM_Window.INF", old);
    qmtest::WindowDriver driver;
    for (int i = 0; i < 50; ++i) driver.Add(new PlacedWindow(("WINDOW_" + std::to_string(i)).c_str()));

    rlimit saved{};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
    sighandler_t oldHandler = signal(SIGXFSZ, SIG_IGN);
    rlimit limit = saved;
    limit.rlim_cur = 512;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &limit), 0);
    const bool saved1 = driver.Mgr().SaveWindowLayout(path.c_str());
    setrlimit(RLIMIT_FSIZE, &saved);
    signal(SIGXFSZ, oldHandler);

    EXPECT_FALSE(saved1);
    EXPECT_EQ(qmtest::ReadTextFile(path), old);
    EXPECT_EQ(dir.List(), std::vector<std::string>{"QM_Window.INF"});
}

// The fuzz target's seeds are layouts written by SaveWindowLayout; with
// QM_REFRESH_GOLDEN=1 this rewrites them.
TEST(WindowLayoutTest, FuzzSeedsAreWhatTheManagerWrites) {
    qmtest::TempDir dir;
    qmtest::WindowDriver driver;
    struct Seed {
        const char* name;
        int windows;
    } seeds[] = {{"header_only", 0}, {"one_window", 1}, {"three_windows", 3}};
    const std::string corpus = qmtest::SourceDir() + "/fuzz/corpus/window_layout/";
    const char* refresh = std::getenv("QM_REFRESH_GOLDEN");
    for (const Seed& s : seeds) {
        driver.Mgr().DeleteAllChildren();
        for (int i = 0; i < s.windows; ++i)
            driver.Add(new PlacedWindow(("SEED_WINDOW_" + std::to_string(i)).c_str(), 10 * i, 20 * i));
        const std::string written = dir.Path() + "/" + s.name;
        ASSERT_TRUE(driver.Mgr().SaveWindowLayout(written.c_str()));
        if (refresh && std::string(refresh) == "1") {
            plat::CreateDirectories(corpus);
            const std::string text = qmtest::ReadTextFile(written);
            ASSERT_TRUE(plat::WriteFileAtomic(corpus + s.name, text.data(), text.size()));
        }
        EXPECT_EQ(qmtest::ReadTextFile(corpus + s.name), qmtest::ReadTextFile(written)) << s.name;
    }
}

}  // namespace
