// The autopilot's script reader, its runner on the scriptable window system,
// and the running program playing a script from QM_INPUT_SCRIPT.
#include "app/autopilot.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <set>
#include <string>
#include <vector>

#include "app/globals.h"
#include "core/application.h"
#include "platform/clock.h"
#include "platform/keyboard.h"
#include "platform/window.h"
#include "platform/window_scripted.h"
#include "tests/core/program_fixture.h"
#include "tests/support/tool_run.h"

namespace {

TEST(AutopilotScriptTest, ReadsEveryStepWithItsArgumentsAndLine) {
    std::vector<AutopilotStep> steps;
    std::string error;
    ASSERT_TRUE(
        ReadAutopilotScript("# the way in\n"
                            "wait-scene 4\n"
                            "\n"
                            "  wait-window LOGIN_WINDOW 5000\r\n"
                            "wait-player-moved\n"
                            "wait-frames 30 100\n"
                            "wait-script Sparkle 900\n"
                            "key enter\n"
                            "type  two words\n"
                            "click 400 300\n"
                            "wait-bag-item 3\n"
                            "wait-ground-items 2 900\n"
                            "drag-item 0 410 320\n"
                            "dump out/title.bmp\n"
                            "sleep 250\n"
                            "quit\n"
                            "wait-hidden SelectionWin 700\n"
                            "move 12 34",
                            &steps, &error))
        << error;
    ASSERT_EQ(steps.size(), 16u);
    struct Expected {
        AutopilotOp op;
        int line;
        std::string text;
        int32_t a, b;
        uint32_t limitMs;
    };
    const Expected expected[] = {
        {AutopilotOp::WaitScene, 2, "", 4, 0, kDefaultWaitMs},
        {AutopilotOp::WaitWindow, 4, "LOGIN_WINDOW", 0, 0, 5000},
        {AutopilotOp::WaitPlayerMoved, 5, "", 0, 0, kDefaultWaitMs},
        {AutopilotOp::WaitFrames, 6, "", 30, 0, 100},
        {AutopilotOp::WaitScript, 7, "Sparkle", 0, 0, 900},
        {AutopilotOp::Key, 8, "enter", 40, 0, 0},
        {AutopilotOp::Type, 9, " two words", 0, 0, 0},  // all after the one blank
        {AutopilotOp::Click, 10, "", 400, 300, 0},
        {AutopilotOp::WaitBagItem, 11, "", 3, 0, kDefaultWaitMs},
        {AutopilotOp::WaitGroundItems, 12, "", 2, 0, 900},
        {AutopilotOp::DragItem, 13, "0", 410, 320, 0},
        {AutopilotOp::Dump, 14, "out/title.bmp", 0, 0, 0},
        {AutopilotOp::Sleep, 15, "", 250, 0, 0},
        {AutopilotOp::Quit, 16, "", 0, 0, 0},
        {AutopilotOp::WaitHidden, 17, "SelectionWin", 0, 0, 700},
        {AutopilotOp::Move, 18, "", 12, 34, 0},
    };
    for (size_t i = 0; i < steps.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(steps[i].op, expected[i].op);
        EXPECT_EQ(steps[i].line, expected[i].line);
        EXPECT_EQ(steps[i].text, expected[i].text);
        EXPECT_EQ(steps[i].a, expected[i].a);
        EXPECT_EQ(steps[i].b, expected[i].b);
        EXPECT_EQ(steps[i].limitMs, expected[i].limitMs);
    }
}

TEST(AutopilotScriptTest, RefusesABadLineWithItsNumber) {
    const struct {
        const char* script;
        const char* error;
    } cases[] = {
        {"wait-scene 4\njump 3\n", "line 2: unknown step jump"},
        {"\n# note\nwait-scene\n", "line 3: wait-scene needs a scene kind"},
        {"wait-scene 70000\n", "line 1: wait-scene needs a scene kind"},
        {"wait-scene 4 0\n", "line 1: bad time limit"},
        {"wait-scene 4 10 20\n", "line 1: too many words"},
        {"wait-window\n", "line 1: wait-window needs a window identifier"},
        {"wait-player-moved soon\n", "line 1: bad time limit"},
        {"wait-frames -1\n", "line 1: wait-frames needs a frame count"},
        {"key\n", "line 1: key needs one key name"},
        {"key Hyper\n", "line 1: unknown key Hyper"},
        {"key F13\n", "line 1: unknown key F13"},
        {"type\n", "line 1: type needs text"},
        {"type \n", "line 1: type needs text"},
        {"click 10\n", "line 1: click needs a point X Y"},
        {"click 10 y\n", "line 1: click needs a point X Y"},
        {"click -5 10\n", "line 1: click needs a point X Y"},
        {"rclick 10\n", "line 1: rclick needs a point X Y"},
        {"dclick 10 x\n", "line 1: dclick needs a point X Y"},
        {"drag 1 2 3\n", "line 1: drag needs two points X1 Y1 X2 Y2"},
        {"wait-bag-item 65\n", "line 1: wait-bag-item needs a bag slot 0-64"},
        {"wait-ground-items\n", "line 1: wait-ground-items needs an item count"},
        {"drag-item 0 10\n", "line 1: drag-item needs a bag slot 0-64 and a point X Y"},
        {"drag-item 70 10 10\n", "line 1: drag-item needs a bag slot 0-64 and a point X Y"},
        {"dump\n", "line 1: dump needs one file"},
        {"sleep 1.5\n", "line 1: sleep needs milliseconds"},
        {"quit now\n", "line 1: quit takes nothing"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.script);
        std::vector<AutopilotStep> steps(1);
        std::string error;
        EXPECT_FALSE(ReadAutopilotScript(c.script, &steps, &error));
        EXPECT_EQ(error, c.error);
        EXPECT_TRUE(steps.empty());
    }
}

TEST(AutopilotScriptTest, NamesKeysByTheirUsage) {
    const struct {
        const char* name;
        int usage;
    } cases[] = {{"Enter", 40}, {"ESCAPE", 41},   {"Tab", 43}, {"a", 4},   {"Z", 29},
                 {"1", 30},     {"9", 38},        {"0", 39},   {"F1", 58}, {"f12", 69},
                 {"Up", 82},    {"PageDown", 78}, {"F0", 0},   {"", 0},    {"Enter2", 0}};
    for (const auto& c : cases) EXPECT_EQ(AutopilotKeyUsage(c.name), c.usage) << c.name;
}

// ---- The runner ----

struct Seen {
    uint64_t frame;
    uint32_t message;
    plat::WParam wParam;
    plat::LParam lParam;
};
std::vector<Seen> g_seen;

plat::LResult RecordingProc(plat::WindowHandle window, uint32_t message, plat::WParam wParam,
                            plat::LParam lParam) {
    g_seen.push_back({plat::FrameCount(), message, wParam, lParam});
    if (message == plat::WM_DESTROY) plat::PostQuitMessage(0);
    return plat::DefWindowProc(window, message, wParam, lParam);
}

class FakeWorld : public IAutopilotWorld {
public:
    bool CurrentScene(uint32_t* kind) override {
        if (!m_hasScene) return false;
        *kind = m_scene;
        return true;
    }
    bool IsWindowShown(const std::string& name) override { return name == m_shownWindow; }
    bool PlayerPosition(int32_t* x, int32_t* y) override {
        if (!m_hasPlayer) return false;
        *x = m_playerX;
        *y = m_playerY;
        return true;
    }
    bool IsScriptRunning(const std::string& name) override { return name == m_runningScript; }
    bool DumpFrame(const std::string& path) override {
        m_dumps.push_back(path);
        return m_dumpWorks;
    }
    bool IsScreenFading() override { return m_fading; }
    bool HasBagItem(int32_t slot) override { return m_bag.count(slot) != 0; }
    int32_t GroundItems() override { return m_groundItems; }
    bool TakeBagItem(int32_t slot) override {
        if (!m_bag.count(slot)) return false;
        m_taken.push_back(slot);
        return true;
    }
    void LetGo() override { m_letGo.push_back(plat::FrameCount()); }
    uint32_t PlayerHitReactions() override { return m_hits; }
    bool HasChar(uint32_t id) override { return m_chars.count(id) != 0; }
    bool OkButtonPoint(const std::string& name, int32_t* x, int32_t* y) override {
        if (name != m_shownBox) return false;
        *x = 300;
        *y = 280;
        return true;
    }

    bool m_hasScene = true;
    uint32_t m_scene = 0xFFFF;
    std::string m_shownWindow;
    std::string m_runningScript;
    bool m_hasPlayer = false;
    int32_t m_playerX = 0, m_playerY = 0;
    bool m_dumpWorks = true;
    bool m_fading = false;
    std::vector<std::string> m_dumps;
    std::set<int32_t> m_bag;
    int32_t m_groundItems = -1;
    std::vector<int32_t> m_taken;
    std::vector<uint64_t> m_letGo;  // frames
    uint32_t m_hits = 0;
    std::set<uint32_t> m_chars;
    std::string m_shownBox;
};

class AutopilotRunTest : public ::testing::Test {
protected:
    AutopilotRunTest() {
        plat::ResetMessageQueue();
        g_seen.clear();
        EXPECT_TRUE(plat::RegisterClass({"Z5MainWindow", RecordingProc, true}));
        plat::WindowDesc desc;
        desc.className = "Z5MainWindow";
        desc.width = 800;
        desc.height = 600;
        EXPECT_NE(plat::CreateWindow(desc), nullptr);
        m_log = std::tmpfile();
        m_errors = std::tmpfile();
    }
    ~AutopilotRunTest() override {
        if (m_hook >= 0) plat::RemovePumpHook(m_hook);
        plat::DestroyWindow(plat::GetMainWindow());
        plat::ResetMessageQueue();
        std::fclose(m_log);
        std::fclose(m_errors);
    }

    CAutopilot& Start(const char* script) {
        std::vector<AutopilotStep> steps;
        std::string error;
        EXPECT_TRUE(ReadAutopilotScript(script, &steps, &error)) << error;
        m_pilot = std::make_unique<CAutopilot>(std::move(steps), m_world, m_log, m_errors);
        if (m_hook < 0) m_hook = plat::AddPumpHook([this] { m_pilot->Tick(); });
        return *m_pilot;
    }

    // Runs the game's loop for up to `frames` frames, each `msPerFrame` long;
    // the exit code of WM_QUIT, or -1 when none came.
    int Run(int frames, uint32_t msPerFrame = 10) {
        plat::Msg msg;
        for (int done = 0; done < frames;) {
            if (!plat::PeekMessage(&msg)) {
                m_clock.Advance(msPerFrame);
                ++done;
                continue;
            }
            if (msg.message == plat::WM_QUIT) return int(msg.wParam);
            plat::DispatchMessage(msg);
        }
        return -1;
    }

    // The messages of the input kinds, in order.
    static std::vector<Seen> Input() {
        std::vector<Seen> out;
        for (const Seen& s : g_seen)
            if ((s.message >= plat::WM_KEYFIRST && s.message <= plat::WM_KEYLAST) ||
                (s.message >= plat::WM_MOUSEMOVE && s.message <= plat::WM_MBUTTONUP) ||
                s.message == plat::WM_CLOSE)
                out.push_back(s);
        return out;
    }

    plat::FakeClock m_clock{1000};
    plat::ScopedClock m_scopedClock{m_clock};
    plat::ScriptedWindowSystem m_system;
    plat::ScopedWindowSystem m_scopedSystem{m_system};
    FakeWorld m_world;
    std::unique_ptr<CAutopilot> m_pilot;
    int m_hook = -1;
    FILE* m_log = nullptr;
    FILE* m_errors = nullptr;
};

TEST_F(AutopilotRunTest, PostsKeysTextAndClicksAsTheWindowDoesAFrameApart) {
    CAutopilot& pilot = Start("key Enter\ntype ok\nclick 120 45\nrclick 60 70\nkey a\n");
    Run(8);
    EXPECT_TRUE(pilot.IsDone());
    EXPECT_FALSE(pilot.HasFailed());
    const plat::LParam enterDown = plat::MakeKeyLParam(0x1C, false, false, false);
    const plat::LParam enterUp = plat::MakeKeyLParam(0x1C, false, false, true);
    const plat::LParam point = plat::MakeLParam(120, 45), right = plat::MakeLParam(60, 70);
    const std::vector<Seen> seen = Input();
    const Seen expected[] = {
        {0, plat::WM_KEYDOWN, plat::VK_RETURN, enterDown},
        {0, plat::WM_CHAR, plat::VK_RETURN, 1},
        {1, plat::WM_KEYUP, plat::VK_RETURN, enterUp},
        {1, plat::WM_CHAR, 'o', 1},
        {1, plat::WM_CHAR, 'k', 1},
        {2, plat::WM_MOUSEMOVE, 0, point},
        {2, plat::WM_LBUTTONDOWN, plat::MK_LBUTTON, point},
        {3, plat::WM_LBUTTONUP, 0, point},
        {3, plat::WM_MOUSEMOVE, 0, right},
        {3, plat::WM_RBUTTONDOWN, plat::MK_RBUTTON, right},
        {4, plat::WM_RBUTTONUP, 0, right},
        {4, plat::WM_KEYDOWN, 'A', plat::MakeKeyLParam(0x1E, false, false, false)},
        {5, plat::WM_KEYUP, 'A', plat::MakeKeyLParam(0x1E, false, false, true)},
    };
    ASSERT_EQ(seen.size(), std::size(expected));
    for (size_t i = 0; i < seen.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(seen[i].frame, expected[i].frame);
        EXPECT_EQ(seen[i].message, expected[i].message);
        EXPECT_EQ(seen[i].wParam, expected[i].wParam);
        EXPECT_EQ(seen[i].lParam, expected[i].lParam);
    }
}

// A right click, a double click and a drag, each as the window sends them,
// with the releases and the held move in the frames after.
TEST_F(AutopilotRunTest, RightClicksDoubleClicksAndDrags) {
    CAutopilot& pilot = Start("rclick 10 20\ndclick 30 40\ndrag 50 60 70 80\n");
    Run(8);
    EXPECT_TRUE(pilot.IsDone());
    EXPECT_FALSE(pilot.HasFailed());
    const plat::LParam a = plat::MakeLParam(10, 20), b = plat::MakeLParam(30, 40),
                       c = plat::MakeLParam(50, 60), d = plat::MakeLParam(70, 80);
    const Seen expected[] = {
        {0, plat::WM_MOUSEMOVE, 0, a},
        {0, plat::WM_RBUTTONDOWN, plat::MK_RBUTTON, a},
        {1, plat::WM_RBUTTONUP, 0, a},
        {1, plat::WM_MOUSEMOVE, 0, b},
        {1, plat::WM_LBUTTONDOWN, plat::MK_LBUTTON, b},
        {1, plat::WM_LBUTTONUP, 0, b},
        {1, plat::WM_LBUTTONDBLCLK, plat::MK_LBUTTON, b},
        {2, plat::WM_LBUTTONUP, 0, b},
        {2, plat::WM_MOUSEMOVE, 0, c},
        {2, plat::WM_LBUTTONDOWN, plat::MK_LBUTTON, c},
        {2, plat::WM_MOUSEMOVE, plat::MK_LBUTTON, plat::MakeLParam(54, 64)},
        {3, plat::WM_MOUSEMOVE, plat::MK_LBUTTON, d},
        {4, plat::WM_LBUTTONUP, 0, d},
    };
    const std::vector<Seen> seen = Input();
    ASSERT_EQ(seen.size(), std::size(expected));
    for (size_t i = 0; i < seen.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(seen[i].frame, expected[i].frame);
        EXPECT_EQ(seen[i].message, expected[i].message);
        EXPECT_EQ(seen[i].wParam, expected[i].wParam);
        EXPECT_EQ(seen[i].lParam, expected[i].lParam);
    }
}

// An item is carried from the bag: taken on the cursor, the mouse moved to
// the point, and let go there a frame later; waits on the bag and on the
// ground in between; an empty slot ends the run.
TEST_F(AutopilotRunTest, CarriesAnItemFromTheBagAndWaitsForItToLie) {
    CAutopilot& pilot = Start("wait-bag-item 0\ndrag-item 0 410 320\nwait-ground-items 1 500\nkey z\n");
    Run(3);
    EXPECT_EQ(pilot.NextStep(), 0u);
    m_world.m_bag.insert(0);
    Run(3);
    EXPECT_EQ(m_world.m_taken, std::vector<int32_t>{0});
    EXPECT_EQ(pilot.NextStep(), 2u);
    const plat::LParam point = plat::MakeLParam(410, 320);
    std::vector<Seen> seen = Input();
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0].message, plat::WM_MOUSEMOVE);
    EXPECT_EQ(seen[0].lParam, point);
    EXPECT_EQ(m_world.m_letGo, std::vector<uint64_t>{seen[0].frame + 1});
    m_world.m_groundItems = 1;
    Run(3);
    EXPECT_TRUE(pilot.IsDone());

    m_world.m_bag.clear();
    CAutopilot& empty = Start("drag-item 4 10 10\n");
    EXPECT_EQ(Run(5), kAutopilotFailedStatus);
    EXPECT_TRUE(empty.HasFailed());
    EXPECT_EQ(qmtest::ReadAll(m_errors), "autopilot line 1 failed (no item in the bag's slot 4)\n");
}

TEST_F(AutopilotRunTest, WaitsForSceneWindowAndFramesAndLogsEachSceneWithItsFrame) {
    CAutopilot& pilot = Start("wait-scene 4\nwait-window LOGIN_WINDOW\nwait-frames 5\nkey Escape\n");
    Run(3);
    EXPECT_EQ(pilot.NextStep(), 0u);
    m_world.m_scene = 6;
    Run(2);
    m_world.m_scene = 4;
    Run(2);
    EXPECT_EQ(pilot.NextStep(), 1u);
    // Shown at frame 7: the frames are counted from there.
    m_world.m_shownWindow = "LOGIN_WINDOW";
    Run(1);
    EXPECT_EQ(pilot.NextStep(), 2u);
    Run(10);
    EXPECT_TRUE(pilot.IsDone());
    const std::vector<Seen> seen = Input();
    ASSERT_FALSE(seen.empty());
    EXPECT_EQ(seen[0].message, plat::WM_KEYDOWN);
    EXPECT_EQ(seen[0].frame, 12u);
    EXPECT_EQ(qmtest::ReadAll(m_log),
              "autopilot scene 65535 frame 0\nautopilot scene 6 frame 3\n"
              "autopilot scene 4 frame 5\n");
}

TEST_F(AutopilotRunTest, AWaitPastItsLimitEndsTheLoopWithStatusThreeAndTheReason) {
    CAutopilot& pilot = Start("wait-frames 1\n\nwait-window LOGIN_WINDOW 500\nkey Enter\n");
    // Frames of 100 ms: the window never comes.
    EXPECT_EQ(Run(100, 100), kAutopilotFailedStatus);
    EXPECT_TRUE(pilot.HasFailed());
    EXPECT_TRUE(Input().empty());
    EXPECT_EQ(qmtest::ReadAll(m_errors),
              "autopilot line 3 failed (waited 500 ms for the window LOGIN_WINDOW)\n");
    // Nothing more is played.
    Run(3);
    EXPECT_TRUE(Input().empty());
}

TEST_F(AutopilotRunTest, TheSceneWaitFailsNamingTheScene) {
    Start("wait-scene 0 200\n");
    EXPECT_EQ(Run(100, 50), kAutopilotFailedStatus);
    EXPECT_EQ(qmtest::ReadAll(m_errors), "autopilot line 1 failed (waited 200 ms for the scene 0)\n");
}

TEST_F(AutopilotRunTest, APlayerMoveCountsFromWhereItStoodWhenTheClickWasPosted) {
    m_world.m_hasPlayer = true;
    m_world.m_playerX = 100;
    m_world.m_playerY = 50;
    CAutopilot& pilot = Start("click 300 200\nwait-player-moved 1000\nkey Space\n");
    Run(5);
    EXPECT_EQ(pilot.NextStep(), 1u);
    m_world.m_playerX = 101;
    Run(2);
    EXPECT_TRUE(pilot.IsDone());
    // Standing still past the limit fails the wait.
    CAutopilot& still = Start("wait-player-moved 300\n");
    EXPECT_EQ(Run(100, 100), kAutopilotFailedStatus);
    EXPECT_TRUE(still.HasFailed());
}

TEST_F(AutopilotRunTest, AScriptWaitEndsWhenTheScriptRunsOrFailsNamingIt) {
    CAutopilot& pilot = Start("wait-script Sparkle 1000\ndump sparkle.bmp\n");
    Run(5);
    EXPECT_EQ(pilot.NextStep(), 0u);
    m_world.m_runningScript = "Sparkle";
    Run(1);
    EXPECT_TRUE(pilot.IsDone());
    EXPECT_EQ(m_world.m_dumps, std::vector<std::string>{"sparkle.bmp"});
    m_world.m_runningScript.clear();
    Start("wait-script Sparkle 200\n");
    EXPECT_EQ(Run(100, 50), kAutopilotFailedStatus);
    EXPECT_EQ(qmtest::ReadAll(m_errors), "autopilot line 1 failed (waited 200 ms for the script Sparkle)\n");
}

TEST_F(AutopilotRunTest, DumpsSleepsAndQuitsAsTheUserCloses) {
    CAutopilot& pilot = Start("dump a.bmp\nsleep 300\ndump b.bmp\nquit\n");
    Run(2, 100);
    EXPECT_EQ(m_world.m_dumps, std::vector<std::string>{"a.bmp"});
    // The window's close ends the loop as a user's close does.
    EXPECT_EQ(Run(10, 100), 0);
    EXPECT_EQ(m_world.m_dumps, (std::vector<std::string>{"a.bmp", "b.bmp"}));
    EXPECT_TRUE(pilot.IsDone());
    const std::vector<Seen> seen = Input();
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0].message, plat::WM_CLOSE);
    EXPECT_EQ(seen[0].frame, 3u);  // 300 ms of 100 ms frames after the first dump
}

TEST_F(AutopilotRunTest, ADumpWaitsForTheScreenFadeButNotForever) {
    m_world.m_fading = true;
    CAutopilot& pilot = Start("dump a.bmp\n");
    Run(3, 100);
    EXPECT_TRUE(m_world.m_dumps.empty());
    m_world.m_fading = false;
    Run(1, 100);
    EXPECT_EQ(m_world.m_dumps, std::vector<std::string>{"a.bmp"});
    EXPECT_TRUE(pilot.IsDone());
    // A fade that never ends holds the dump no longer than the limit.
    m_world.m_fading = true;
    Start("dump b.bmp\n");
    Run(int(kDumpFadeWaitMs / 500) + 2, 500);
    EXPECT_EQ(m_world.m_dumps, (std::vector<std::string>{"a.bmp", "b.bmp"}));
}

TEST_F(AutopilotRunTest, AFailedDumpEndsTheRun) {
    m_world.m_dumpWorks = false;
    CAutopilot& pilot = Start("dump /no/such/folder/a.bmp\nquit\n");
    EXPECT_EQ(Run(5), kAutopilotFailedStatus);
    EXPECT_TRUE(pilot.HasFailed());
    EXPECT_EQ(qmtest::ReadAll(m_errors),
              "autopilot line 1 failed (cannot write the frame to /no/such/folder/a.bmp)\n");
}

TEST_F(AutopilotRunTest, TheEndOfTheScriptLeavesTheProgramRunning) {
    CAutopilot& pilot = Start("key Tab\n");
    EXPECT_EQ(Run(50), -1);
    EXPECT_TRUE(pilot.IsDone());
}

// ---- In the running program ----

class AutopilotProgramTest : public ProgramFixture {
protected:
    void SetUp() override {
        ProgramFixture::SetUp();
        InstallGlobalFactories();
    }
    void TearDown() override {
        unsetenv("QM_INPUT_SCRIPT");
        ProgramFixture::TearDown();
    }
    int RunWithScript(const std::string& script) {
        const std::string path = m_dir.Path() + "/script.txt";
        std::ofstream(path) << script;
        setenv("QM_INPUT_SCRIPT", path.c_str(), 1);
        plat::SetCommandLine("/USE_SERVER 1 /WINDOW");
        plat::CloseAfterFrames(2000);  // in case the script does not end it
        return AutopilotExitStatus(RunApplication());
    }
};

TEST_F(AutopilotProgramTest, TheProgramPlaysTheScriptAndItsQuitEndsIt) {
    EXPECT_EQ(RunWithScript("wait-scene 65535 20000\nwait-frames 3\nquit\n"), EXIT_NORMAL);
    EXPECT_LT(plat::FrameCount(), 1000u);  // ended by the script
    EXPECT_EQ(GetRunningAutopilot(), nullptr);
    EXPECT_EQ(plat::PumpHookCount(), 0u);
}

TEST_F(AutopilotProgramTest, AFailedWaitOrABadScriptEndsTheProgramWithStatusThree) {
    EXPECT_EQ(RunWithScript("wait-scene 65535 20000\nwait-window NO_SUCH_WINDOW 1\n"),
              kAutopilotFailedStatus);
    EXPECT_LT(plat::FrameCount(), 1000u);
    plat::ResetMessageQueue();
    EXPECT_EQ(RunWithScript("wait-scene 65535\nfly away\n"), kAutopilotFailedStatus);
    EXPECT_LT(plat::FrameCount(), 10u);
    plat::ResetMessageQueue();
    // A later run without a failure has the run's own status again.
    EXPECT_EQ(RunWithScript("quit\n"), EXIT_NORMAL);
}

}  // namespace

// The field's waits (a hit, a character there and gone) and the click on a
// shown box's OK, pressed at the button's middle and let go a frame later;
// with no such box shown the run ends.
TEST_F(AutopilotRunTest, WaitsForAHitAndACharacterAndClicksTheOkOfAShownBox) {
    m_world.m_chars = {500000};
    CAutopilot& pilot =
        Start("wait-player-hit\nwait-char 500000\nwait-char-gone 500000\nclick-ok MESSAGE_BOX\n");
    Run(3);
    EXPECT_EQ(pilot.NextStep(), 0u);
    m_world.m_hits = 1;
    Run(3);
    EXPECT_EQ(pilot.NextStep(), 2u) << "the keeper is there";
    m_world.m_chars.clear();
    m_world.m_shownBox = "MESSAGE_BOX";
    Run(4);
    EXPECT_TRUE(pilot.IsDone());
    const std::vector<Seen> seen = Input();
    ASSERT_EQ(seen.size(), 3u);
    const plat::LParam point = plat::MakeLParam(300, 280);
    EXPECT_EQ(seen[1].message, plat::WM_LBUTTONDOWN);
    EXPECT_EQ(seen[1].lParam, point);
    EXPECT_EQ(seen[2].message, plat::WM_LBUTTONUP);
    EXPECT_EQ(seen[2].frame, seen[1].frame + 1);

    m_world.m_shownBox.clear();
    CAutopilot& none = Start("click-ok MESSAGE_BOX\n");
    EXPECT_EQ(Run(5), kAutopilotFailedStatus);
    EXPECT_TRUE(none.HasFailed());
    EXPECT_EQ(qmtest::ReadAll(m_errors),
              "autopilot line 1 failed (no message box MESSAGE_BOX with an OK button is shown)\n");
}
