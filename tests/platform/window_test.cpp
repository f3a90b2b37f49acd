#include "platform/window.h"

#include <SDL.h>
#include <gtest/gtest.h>

#include <vector>

#include "platform/keyboard.h"
#include "platform/window_native.h"
#include "platform/window_scripted.h"

namespace {

struct Seen {
    uint32_t message;
    plat::WParam wParam;
    plat::LParam lParam;
};
std::vector<Seen> g_seen;

plat::LResult RecordingProc(plat::WindowHandle window, uint32_t message, plat::WParam wParam,
                            plat::LParam lParam) {
    g_seen.push_back({message, wParam, lParam});
    if (message == plat::WM_DESTROY) plat::PostQuitMessage(1);
    return plat::DefWindowProc(window, message, wParam, lParam);
}

class WindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        plat::ResetMessageQueue();
        g_seen.clear();
    }
    void TearDown() override {
        plat::DestroyWindow(plat::GetMainWindow());
        plat::ResetMessageQueue();
    }

    plat::WindowHandle Create() {
        EXPECT_TRUE(plat::RegisterClass({"Z5MainWindow", RecordingProc, true}));
        plat::WindowDesc desc;
        desc.className = "Z5MainWindow";
        desc.title = "t";
        desc.width = 800;
        desc.height = 600;
        return plat::CreateWindow(desc);
    }

    // Runs the loop the game runs until WM_QUIT; returns the frames run.
    int Pump(int maxFrames = 100) {
        int frames = 0;
        plat::Msg msg;
        while (frames < maxFrames) {
            if (!plat::PeekMessage(&msg)) {
                ++frames;
                continue;
            }
            if (msg.message == plat::WM_QUIT) break;
            plat::DispatchMessage(msg);
        }
        return frames;
    }

    plat::ScriptedWindowSystem m_system;
    plat::ScopedWindowSystem m_scoped{m_system};
};

TEST_F(WindowTest, CreateSendsCreateAndShowToTheProcedure) {
    plat::WindowHandle window = Create();
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(plat::GetMainWindow(), window);
    ASSERT_EQ(g_seen.size(), 2u);
    EXPECT_EQ(g_seen[0].message, plat::WM_CREATE);
    EXPECT_EQ(g_seen[1].message, plat::WM_SHOWWINDOW);
    EXPECT_EQ(g_seen[1].wParam, 1u);
    ASSERT_EQ(m_system.m_created.size(), 1u);
    EXPECT_EQ(m_system.m_created[0].width, 800);
    EXPECT_TRUE(m_system.m_registered[0].doubleClicks);
    // Only one main window.
    plat::WindowDesc again;
    again.className = "Z5MainWindow";
    EXPECT_EQ(plat::CreateWindow(again), nullptr);
    // NativeMainWindow answers for SDL windows only.
    EXPECT_EQ(plat::detail::NativeMainWindow(), nullptr);
}

TEST_F(WindowTest, FailuresGiveNoWindow) {
    plat::WindowDesc desc;
    desc.className = "Unknown";
    EXPECT_EQ(plat::CreateWindow(desc), nullptr);
    m_system.m_failRegister = true;
    EXPECT_FALSE(plat::RegisterClass({"Z5MainWindow", RecordingProc, false}));
    EXPECT_FALSE(plat::RegisterClass({"", RecordingProc, false}));
    m_system.m_failRegister = false;
    m_system.m_failCreate = true;
    EXPECT_EQ(Create(), nullptr);
    EXPECT_TRUE(g_seen.empty());
}

TEST_F(WindowTest, PostedAndScriptedMessagesArriveInOrderBetweenFrames) {
    plat::WindowHandle window = Create();
    g_seen.clear();
    m_system.PostAtFrame(2, plat::WM_KEYDOWN, 'A', plat::MakeKeyLParam(30, false, false, false));
    m_system.PostAtFrame(2, plat::WM_KEYUP, 'A', plat::MakeKeyLParam(30, false, false, true));
    plat::PostMessage(plat::WM_USER + 100, 5, 1);

    plat::Msg msg;
    ASSERT_TRUE(plat::PeekMessage(&msg));  // posted before the first frame
    EXPECT_EQ(msg.message, plat::WM_USER + 100u);
    EXPECT_EQ(msg.window, window);
    EXPECT_FALSE(plat::PeekMessage(&msg));  // frame 1
    EXPECT_FALSE(plat::PeekMessage(&msg));  // frame 2
    ASSERT_TRUE(plat::PeekMessage(&msg));
    EXPECT_EQ(msg.message, plat::WM_KEYDOWN);
    plat::DispatchMessage(msg);
    ASSERT_TRUE(plat::PeekMessage(&msg));
    EXPECT_EQ(msg.message, plat::WM_KEYUP);
    EXPECT_EQ(uint32_t(msg.lParam) >> 30, 3u);
    EXPECT_FALSE(plat::PeekMessage(&msg));
    EXPECT_EQ(plat::FrameCount(), 3u);
    ASSERT_EQ(g_seen.size(), 1u);
    EXPECT_EQ(g_seen[0].message, plat::WM_KEYDOWN);
}

TEST_F(WindowTest, CloseAfterFramesEndsTheLoopThroughDestroyAndQuit) {
    Create();
    g_seen.clear();
    plat::CloseAfterFrames(3);
    EXPECT_EQ(Pump(), 3);
    ASSERT_EQ(g_seen.size(), 2u);
    EXPECT_EQ(g_seen[0].message, plat::WM_CLOSE);
    EXPECT_EQ(g_seen[1].message, plat::WM_DESTROY);
    EXPECT_EQ(plat::GetMainWindow(), nullptr);
    EXPECT_EQ(m_system.m_destroyed, 1);
}

TEST_F(WindowTest, QuitComesAfterTheWaitingMessagesAndAltF4Closes) {
    Create();
    g_seen.clear();
    plat::PostQuitMessage(0);
    plat::PostMessage(plat::WM_MOUSEMOVE, 0, plat::MakeLParam(3, 4));
    plat::Msg msg;
    ASSERT_TRUE(plat::PeekMessage(&msg));
    EXPECT_EQ(msg.message, plat::WM_MOUSEMOVE);
    EXPECT_EQ(plat::LoWord(uintptr_t(msg.lParam)), 3);
    EXPECT_EQ(plat::HiWord(uintptr_t(msg.lParam)), 4);
    ASSERT_TRUE(plat::PeekMessage(&msg));
    EXPECT_EQ(msg.message, plat::WM_QUIT);

    m_system.PostAtFrame(0, plat::WM_SYSKEYDOWN, plat::VK_F4,
                         plat::MakeKeyLParam(62, false, false, false, true));
    Pump();
    EXPECT_EQ(plat::GetMainWindow(), nullptr);
}

TEST_F(WindowTest, PumpHooksRunOncePerCollection) {
    Create();
    int calls = 0;
    int id = plat::AddPumpHook([&calls] {
        if (++calls == 2) plat::PostMessage(plat::WM_USER + 1, 0, 0);
    });
    plat::Msg msg;
    EXPECT_FALSE(plat::PeekMessage(&msg));
    EXPECT_EQ(calls, 1);
    ASSERT_TRUE(plat::PeekMessage(&msg));
    EXPECT_EQ(msg.message, plat::WM_USER + 1u);
    EXPECT_EQ(calls, 2);
    EXPECT_FALSE(plat::PeekMessage(&msg));
    EXPECT_EQ(calls, 2);
    plat::RemovePumpHook(id);
    EXPECT_FALSE(plat::PeekMessage(&msg));
    EXPECT_EQ(calls, 2);
}

TEST_F(WindowTest, RegisteredMessagesAreStablePerName) {
    uint32_t a = plat::RegisterWindowMessage("SocketNotify");
    uint32_t b = plat::RegisterWindowMessage("Other");
    EXPECT_GE(a, 0xC000u);
    EXPECT_NE(a, b);
    EXPECT_EQ(plat::RegisterWindowMessage("SocketNotify"), a);
    EXPECT_EQ(plat::RegisterWindowMessage(""), 0u);
}

// The SDL window system (on SDL's dummy driver): a minimised window is no
// longer the active one, as the frame loop needs to know to rest.
TEST(SdlWindowTest, MinimisingDeactivates) {
    plat::ResetMessageQueue();
    g_seen.clear();
    plat::SetWindowSystem(nullptr);
    ASSERT_TRUE(plat::RegisterClass({"Z5MainWindow", RecordingProc, true}));
    plat::WindowDesc desc;
    desc.className = "Z5MainWindow";
    desc.width = 320;
    desc.height = 200;
    plat::WindowHandle window = plat::CreateWindow(desc);
    ASSERT_NE(window, nullptr);
    SDL_Window* native = plat::detail::NativeMainWindow();
    ASSERT_NE(native, nullptr);
    SDL_Event event{};
    event.type = SDL_WINDOWEVENT;
    event.window.windowID = SDL_GetWindowID(native);
    event.window.event = SDL_WINDOWEVENT_MINIMIZED;
    ASSERT_EQ(SDL_PushEvent(&event), 1);
    g_seen.clear();
    plat::Msg msg;
    for (int i = 0; i < 4; ++i)
        while (plat::PeekMessage(&msg)) plat::DispatchMessage(msg);
    bool deactivated = false;
    for (const Seen& seen : g_seen)
        deactivated |= seen.message == plat::WM_ACTIVATE && plat::LoWord(seen.wParam) == plat::WA_INACTIVE;
    EXPECT_TRUE(deactivated);
    plat::DestroyWindow(window);
    plat::ResetMessageQueue();
}

}  // namespace
