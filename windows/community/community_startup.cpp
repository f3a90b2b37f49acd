#include "windows/community/community_startup.h"

#include "ui/window_mgr.h"
#include "windows/community/club_base_window.h"
#include "windows/community/club_dialogs.h"

namespace {

template <class W>
CBaseWindow* Make() {
    return new W;
}

}  // namespace

void InstallCommunityWindowClasses() {
    // Each community window adds its RegisterWindowClass line here.
    RegisterWindowClass(CLUB_BASE_WINDOW_NAME, Make<CClubBaseWindow>);
    RegisterWindowClass(CLUB_EDIT_NICK_WINDOW_NAME, Make<CClubEditNickWindow>);
    RegisterWindowClass(CLUB_AUTO_RANK_WINDOW_NAME, Make<CClubAutoRankWindow>);
}
