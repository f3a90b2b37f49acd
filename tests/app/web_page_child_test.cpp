// The web page window as the frame loop's child window: shown while a page
// is open, and Escape through the seam closes the page and gives the player
// the control back.
#include "app/web_page_child.h"

#include <gtest/gtest.h>

#include "anim/ani_services.h"
#include "tests/support/window_driver.h"
#include "ui/ui_services.h"
#include "windows/features/web_window.h"

namespace {

struct LockRecorder : IUiEventState, IAniEvents {
    bool locked = false;
    bool IsEventRunning() override { return false; }
    bool IsHideFlagSet() override { return false; }
    void SetControlLock(bool on) override { locked = on; }
    bool IsVisualEventRunning() override { return false; }
    bool IsFieldScriptRunning() override { return false; }
    bool IsInputLocked() override { return locked; }
};

TEST(WebPageChildWindow, EscapeThroughTheSeamClosesThePage) {
    qmtest::WindowDriver driver;
    LockRecorder events;
    ScopedUiEventState scopedUi(events);
    ScopedAniEvents scopedAni(events);
    CWebPageChildWindow child;
    ScopedChildWindowHost installed(child);
    IChildWindowHost* host = GetChildWindowHost();
    ASSERT_NE(host, nullptr);
    EXPECT_FALSE(host->IsShown());  // no window yet

    auto* web = driver.Add(new CWebWindow);
    EXPECT_FALSE(host->IsShown());
    ASSERT_TRUE(web->OpenUrl("http://127.0.0.1/page"));
    driver.Frame();
    EXPECT_TRUE(host->IsShown());
    EXPECT_TRUE(events.locked);

    host->ForwardKey(plat::WM_KEYDOWN, plat::VK_TAB, 0);  // takes nothing
    EXPECT_TRUE(host->IsShown());
    host->Close();
    EXPECT_FALSE(host->IsShown());
    EXPECT_FALSE(web->IsDrawOn());
    EXPECT_FALSE(events.locked);
}

}  // namespace
