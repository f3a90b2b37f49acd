#include "windows/features/features_startup.h"

#include "ui/window_mgr.h"
#include "windows/features/event_log_window.h"
#include "windows/features/warp_window.h"
#include "windows/features/web_window.h"

namespace {

template <class W>
CBaseWindow* Make() {
    return new W;
}

}  // namespace

void InstallFeatureWindowClasses() {
    // Each feature window adds its RegisterWindowClass line here.
    RegisterWindowClass(EVENT_LOG_WINDOW_NAME, Make<CEventLogWindow>);
    RegisterWindowClass(WEB_WINDOW_NAME, Make<CWebWindow>);
    RegisterWindowClass(WARP_WINDOW_CLASS, Make<CWarpWindow>);
}
