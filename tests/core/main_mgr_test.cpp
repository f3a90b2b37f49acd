#include "core/main_mgr.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/app_state.h"
#include "core/config.h"
#include "core/frame_hooks.h"
#include "platform/clock.h"
#include "platform/window_scripted.h"

namespace {

std::vector<std::string> g_log;

// A child that logs its frame operations and answers as told.
class Probe : public CBaseObject {
public:
    explicit Probe(std::string name, uint32_t kind = KIND_NONE) : m_name(std::move(name)) { SetKindId(kind); }
    ~Probe() override { g_log.push_back("~" + m_name); }
    bool ProcessMessages() override {
        g_log.push_back("msg " + m_name);
        return true;
    }
    bool ProcessInput() override { return m_inputResult; }
    bool Update() override {
        g_log.push_back("update " + m_name);
        if (m_quitOnUpdate) g_quit = true;
        return m_updateResult;
    }
    bool Draw() override {
        g_log.push_back("draw " + m_name);
        return true;
    }

    std::string m_name;
    bool m_inputResult = true;
    bool m_updateResult = true;
    bool m_quitOnUpdate = false;
};

struct Display : IFrameDisplay {
    bool IsSurfaceLost() override { return lost; }
    void RestoreSurface() override {
        ++restores;
        lost = false;
    }
    bool BeginScene() override {
        g_log.push_back("begin");
        return beginResult;
    }
    void EndScene(uint8_t option) override {
        g_log.push_back("end");
        lastOption = option;
    }
    bool lost = false, beginResult = true;
    int restores = 0;
    uint8_t lastOption = 0;
};

struct Step : IFrameClient {
    explicit Step(const char* n) : name(n) {}
    void OnFrame() override { g_log.push_back(name); }
    const char* name;
};

class MainMgrTest : public ::testing::Test {
protected:
    void SetUp() override {
        g_log.clear();
        g_config = CConfig{};
        g_options = COptions{};
        g_active = true;
        m_mgr = std::make_unique<CMainMgr>();
    }
    void TearDown() override {
        m_mgr.reset();
        g_quit = false;
    }
    std::vector<std::string> Names() {
        std::vector<std::string> out;
        for (CMsgObject* child : m_mgr->Children()) out.push_back(static_cast<Probe*>(child)->m_name);
        return out;
    }
    using Log = std::vector<std::string>;

    plat::FakeClock m_clock{1000};
    plat::ScopedClock m_scoped{m_clock};
    std::unique_ptr<CMainMgr> m_mgr;
};

TEST_F(MainMgrTest, SwitchingScenesRemovesBeforeAdding) {
    auto* start = new Probe("start", 0);
    m_mgr->AddChild(start);
    m_mgr->RunFrame();
    g_log.clear();
    auto* next = new Probe("next", 1);
    EXPECT_TRUE(m_mgr->ScheduleRemoveChild(start));
    EXPECT_TRUE(m_mgr->ScheduleRemoveChild(start));  // already pending
    EXPECT_TRUE(m_mgr->ScheduleAddChild(next));
    EXPECT_TRUE(m_mgr->ScheduleAddChild(next));
    m_mgr->RunFrame();
    // The old scene runs this frame's update, is deleted, then the new one is
    // linked and drawn; it gets its first messages next frame.
    EXPECT_EQ(g_log, (Log{"msg start", "update start", "~start", "draw next"}));
    EXPECT_EQ(Names(), (std::vector<std::string>{"next"}));
    g_log.clear();
    m_mgr->RunFrame();
    EXPECT_EQ(g_log, (Log{"msg next", "update next", "draw next"}));
    EXPECT_EQ(m_mgr->GetFrameCounter(), 3u);
}

TEST_F(MainMgrTest, PendingAdditionsAreLimitedAndOnePerKind) {
    std::vector<Probe*> probes;
    for (int i = 0; i < 10; ++i) {
        probes.push_back(new Probe("p" + std::to_string(i), uint32_t(100 + i)));
        EXPECT_TRUE(m_mgr->ScheduleAddChild(probes.back()));
    }
    auto* eleventh = new Probe("p10", 200);
    EXPECT_FALSE(m_mgr->ScheduleAddChild(eleventh));  // refused: the caller keeps it
    delete eleventh;
    m_mgr->ApplyPendingChildren();
    ASSERT_EQ(m_mgr->ChildCount(), 10);
    EXPECT_EQ(Names().front(), "p9");  // the highest slot ends up at the front

    // Another object of a kind that is pending is refused, kind-less ones too.
    auto* a = new Probe("a", 7);
    auto* b = new Probe("b", 7);
    auto* c = new Probe("c");
    auto* d = new Probe("d");
    EXPECT_TRUE(m_mgr->ScheduleAddChild(a));
    EXPECT_FALSE(m_mgr->ScheduleAddChild(b));
    EXPECT_TRUE(m_mgr->ScheduleAddChild(c));
    EXPECT_FALSE(m_mgr->ScheduleAddChild(d));
    delete b;
    delete d;
    m_mgr->ApplyPendingChildren();
    EXPECT_EQ(m_mgr->ChildCount(), 12);

    for (int i = 0; i < 10; ++i) EXPECT_TRUE(m_mgr->ScheduleRemoveChild(probes[size_t(i)]));
    EXPECT_FALSE(m_mgr->ScheduleRemoveChild(a));
    m_mgr->ApplyPendingChildren();
    EXPECT_EQ(Names(), (std::vector<std::string>{"c", "a"}));
}

TEST_F(MainMgrTest, FailedUpdateRemovesTheChildAndTheWalkGoesOn) {
    auto* cursor = new Probe("cursor");
    auto* middle = new Probe("middle", 5);
    auto* scene = new Probe("scene", 0);
    m_mgr->AddChild(cursor);
    m_mgr->AddChild(middle);
    m_mgr->AddChild(scene);
    middle->m_updateResult = false;
    m_mgr->ScheduleRemoveChild(middle);  // also pending: must not be deleted twice
    m_mgr->RunFrame();
    EXPECT_EQ(g_log, (Log{"msg scene", "update scene", "msg middle", "update middle", "~middle", "msg cursor",
                          "update cursor", "draw scene", "draw cursor"}));
    EXPECT_FALSE(g_quit);

    // A failed ProcessInput removes without updating.
    g_log.clear();
    cursor->m_inputResult = false;
    m_mgr->RunFrame();
    EXPECT_EQ(g_log, (Log{"msg scene", "update scene", "msg cursor", "~cursor", "draw scene"}));

    // The last child failing ends the program after this frame.
    g_log.clear();
    scene->SetKindId(3);
    scene->m_updateResult = false;
    m_mgr->RunFrame();
    EXPECT_TRUE(g_quit);
    EXPECT_EQ(m_mgr->ChildCount(), 0);
}

TEST_F(MainMgrTest, FailedUpdateOfTheKindZeroSceneEndsTheProgram) {
    m_mgr->AddChild(new Probe("cursor"));
    auto* scene = new Probe("scene", 0);
    m_mgr->AddChild(scene);
    scene->m_updateResult = false;
    m_mgr->RunFrame();
    EXPECT_TRUE(g_quit);
    EXPECT_EQ(m_mgr->ChildCount(), 0);
    EXPECT_EQ(m_mgr->GetFrameTimer(), nullptr);  // goes with the children
    g_log.clear();
    m_mgr->RunFrame();  // nothing runs once the program is ending
    EXPECT_TRUE(g_log.empty());
}

TEST_F(MainMgrTest, FrameStepsAndDrawingRules) {
    Display display;
    Step sound("sound"), network("network"), jobs("jobs");
    ScopedFrameDisplay scopedFrameDisplay(display);
    ScopedSoundFrameClient scopedSoundFrameClient(sound);
    ScopedNetworkFrameClient scopedNetworkFrameClient(network);
    ScopedFileJobFrameClient scopedFileJobFrameClient(jobs);
    g_options.SetByte(OPT_PRESENT_FLAG, 4);
    m_mgr->AddChild(new Probe("scene", 0));
    m_mgr->RunFrame();
    EXPECT_EQ(g_log,
              (Log{"sound", "network", "msg scene", "update scene", "begin", "draw scene", "end", "jobs"}));
    EXPECT_EQ(display.lastOption, 4);
    EXPECT_TRUE(m_mgr->IsFrameDone());
    EXPECT_EQ(m_clock.TotalSlept(), 0u);

    // A lost surface is restored and the frame not drawn.
    g_log.clear();
    display.lost = true;
    m_mgr->RunFrame();
    EXPECT_EQ(display.restores, 1);
    EXPECT_EQ(g_log, (Log{"sound", "network", "msg scene", "update scene", "jobs"}));
    g_log.clear();
    display.beginResult = false;
    m_mgr->RunFrame();
    EXPECT_EQ(g_log, (Log{"sound", "network", "msg scene", "update scene", "begin", "jobs"}));
    display.beginResult = true;

    // Full screen and inactive: everything but drawing, and a 50 ms sleep.
    g_log.clear();
    g_config.m_fullScreen = true;
    g_active = false;
    m_mgr->RunFrame();
    EXPECT_EQ(g_log, (Log{"sound", "network", "msg scene", "update scene", "jobs"}));
    EXPECT_EQ(m_clock.TotalSlept(), 50u);
    // Windowed and inactive: drawn, and the sleep.
    g_log.clear();
    g_config.m_fullScreen = false;
    m_mgr->RunFrame();
    EXPECT_EQ(g_log,
              (Log{"sound", "network", "msg scene", "update scene", "begin", "draw scene", "end", "jobs"}));
    EXPECT_EQ(m_clock.TotalSlept(), 100u);
}

TEST_F(MainMgrTest, QuitDuringDrawingStopsTheWalk) {
    auto* second = new Probe("second");
    auto* first = new Probe("first");
    m_mgr->AddChild(second);
    m_mgr->AddChild(first);
    m_mgr->UpdateChildren();
    g_log.clear();
    struct Quitter : Probe {
        using Probe::Probe;
        bool Draw() override {
            g_quit = true;
            return Probe::Draw();
        }
    };
    auto* quitter = new Quitter("quitter");
    m_mgr->AddChild(quitter);
    m_mgr->DrawChildren();
    EXPECT_EQ(g_log, (Log{"draw quitter"}));
}

TEST_F(MainMgrTest, PumpMessagesRunsFramesUntilQuit) {
    plat::ResetMessageQueue();
    plat::ScriptedWindowSystem system;
    plat::ScopedWindowSystem scoped(system);
    m_mgr->AddChild(new Probe("scene", 0));
    system.PostAtFrame(3, plat::WM_QUIT + 0x1000);  // a message for nobody
    plat::PostQuitMessage(0);
    plat::PostMessage(plat::WM_USER, 0, 0);
    m_mgr->PumpMessages();  // WM_QUIT at once: no frame runs
    EXPECT_EQ(m_mgr->GetFrameCounter(), 0u);
    EXPECT_TRUE(g_quit);

    g_quit = false;
    plat::ResetMessageQueue();
    plat::CloseAfterFrames(4);  // there is no window: the scene ends the program instead
    auto* scene = static_cast<Probe*>(m_mgr->FindChildByKind(0));
    scene->m_quitOnUpdate = true;
    m_mgr->PumpMessages();
    EXPECT_EQ(m_mgr->GetFrameCounter(), 1u);
    plat::ResetMessageQueue();
}

}  // namespace
