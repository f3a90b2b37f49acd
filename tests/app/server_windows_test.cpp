// The window manager as the server-message handlers reach it: base-window
// operations by identifier, and windows made from their registered classes.
#include "app/server_windows.h"

#include <gtest/gtest.h>

#include "core/config.h"
#include "ui/base_window.h"
#include "ui/window_mgr.h"

namespace {

class Sized : public CBaseWindow {
public:
    Sized() { SetName("FightClub_Manager"); }
    int32_t GetWidth() override { return 200; }
    int32_t GetHeight() override { return 100; }
};

TEST(ServerWindows, BaseWindowOperationsByIdentifier) {
    ClearWindowClasses();
    CWindowMgr manager;
    manager.Create();
    CWindowMgrForHandlers windows(manager);

    EXPECT_FALSE(windows.ShowWindow("FightClub_Manager")) << "no window yet";
    EXPECT_FALSE(windows.CreateWindow("FightClub_Manager", true)) << "no class registered";
    ASSERT_TRUE(
        RegisterWindowClass("FightClub_Manager", [] { return static_cast<CBaseWindow*>(new Sized); }));
    ASSERT_TRUE(windows.CreateWindow("FightClub_Manager", true));
    CMsgObject* made = windows.FindWindowByName("FightClub_Manager");
    ASSERT_NE(made, nullptr);
    EXPECT_FALSE(windows.IsWindowVisible("FightClub_Manager")) << "made hidden";

    EXPECT_TRUE(windows.OpenWindow("FightClub_Manager"));
    EXPECT_TRUE(windows.IsWindowVisible("FightClub_Manager"));
    auto* window = static_cast<CBaseWindow*>(made);
    EXPECT_TRUE(window->IsActive());
    EXPECT_TRUE(windows.CenterWindow("FightClub_Manager"));
    EXPECT_EQ(window->GetX(), (g_config.m_screenWidth - 200) / 2);
    EXPECT_EQ(window->GetY(), (g_config.m_screenHeight - 100) / 2);
    EXPECT_TRUE(windows.HideWindow("FightClub_Manager"));
    EXPECT_FALSE(windows.IsWindowVisible("FightClub_Manager"));
    EXPECT_EQ(windows.FindAnyWindowByName("FightClub_Manager"), made);
    ClearWindowClasses();
}

}  // namespace
