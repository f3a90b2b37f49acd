// The window manager as the server-message handlers reach it: base-window
// operations by identifier, and windows made from their registered classes.
#include "app/server_windows.h"

#include <gtest/gtest.h>

#include <utility>
#include <vector>

#include "graphics/display_settings.h"
#include "tests/support/window_driver.h"
#include "ui/base_window.h"
#include "ui/message_box.h"
#include "ui/window_mgr.h"

namespace {

// An identifier no window class of the program uses: the class table is the
// program's own, shared with the other tests of this binary.
constexpr char kName[] = "QM_TEST_HANDLER_WINDOW";

class Sized : public CBaseWindow {
public:
    Sized() { SetName(kName); }
    int32_t GetWidth() override { return 200; }
    int32_t GetHeight() override { return 100; }
};

TEST(ServerWindows, BaseWindowOperationsByIdentifier) {
    CWindowMgr manager;
    manager.Create();
    CWindowMgrForHandlers windows(manager);

    EXPECT_FALSE(windows.ShowWindow(kName)) << "no window yet";
    EXPECT_FALSE(windows.CreateWindow("QM_TEST_NO_CLASS", true)) << "no class registered";
    ASSERT_TRUE(RegisterWindowClass(kName, [] { return static_cast<CBaseWindow*>(new Sized); }));
    ASSERT_TRUE(windows.CreateWindow(kName, true));
    CMsgObject* made = windows.FindWindowByName(kName);
    ASSERT_NE(made, nullptr);
    EXPECT_FALSE(windows.IsWindowVisible(kName)) << "made hidden";

    EXPECT_TRUE(windows.OpenWindow(kName));
    EXPECT_TRUE(windows.IsWindowVisible(kName));
    auto* window = static_cast<CBaseWindow*>(made);
    EXPECT_TRUE(window->IsActive());
    EXPECT_TRUE(windows.CenterWindow(kName));
    EXPECT_EQ(window->GetX(), (GetDisplaySettings().screenWidth - 200) / 2);
    EXPECT_EQ(window->GetY(), (GetDisplaySettings().screenHeight - 100) / 2);
    EXPECT_TRUE(windows.HideWindow(kName));
    EXPECT_FALSE(windows.IsWindowVisible(kName));
    EXPECT_EQ(windows.FindAnyWindowByName(kName), made);
}

TEST(ServerWindows, TheHandlersBoxes) {
    qmtest::WindowDriver driver;
    CServerMessageBoxes boxes;
    std::vector<CBaseWindow*> found;

    boxes.ShowNamedNotice("Pet_Warning_MessageBox", "first");
    boxes.ShowNamedNotice("Pet_Warning_MessageBox", "second");
    EXPECT_EQ(driver.Mgr().FindAllWindowsByName("Pet_Warning_MessageBox", &found), 1) << "one box a name";

    boxes.ShowKeptNotice("kept");
    boxes.AskServer(4001, "asks", "yes", "no");
    found.clear();
    driver.Mgr().FindAllWindowsByName("MESSAGE_BOX", &found);
    ASSERT_EQ(found.size(), 2u);
    auto* kept = dynamic_cast<CMessageBox*>(found[0]);
    auto* asks = dynamic_cast<CMessageBox*>(found[1]);
    ASSERT_TRUE(kept && asks);
    if (kept->GetReplyId() != 0) std::swap(kept, asks);
    EXPECT_TRUE(kept->IsKept());
    EXPECT_EQ(asks->GetReplyId(), 4001u);
    EXPECT_FALSE(asks->IsKept());

    boxes.ShowAutoHideNotice("passing");
    found.clear();
    driver.Mgr().FindAllWindowsByName("AUTOHIDE_MESSAGE_BOX", &found);
    ASSERT_EQ(found.size(), 1u);
    EXPECT_STREQ(dynamic_cast<CAutoHideMessageBox*>(found[0])->GetText(), "passing");
}

}  // namespace
