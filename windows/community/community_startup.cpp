#include "windows/community/community_startup.h"

#include "ui/window_mgr.h"
#include "windows/community/club_base_window.h"

namespace {

template <class W>
CBaseWindow* Make() {
    return new W;
}

}  // namespace

void InstallCommunityWindowClasses() {
    // Each community window adds its RegisterWindowClass line here.
    RegisterWindowClass(CLUB_BASE_WINDOW_NAME, Make<CClubBaseWindow>);
}
