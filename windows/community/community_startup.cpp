#include "windows/community/community_startup.h"

#include "ui/window_mgr.h"
#include "windows/community/club_base_window.h"
#include "windows/community/club_dialogs.h"
#include "windows/community/fight_club_config.h"
#include "windows/community/fight_club_windows.h"

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
    RegisterWindowClass(FIGHT_MANAGER_WINDOW_NAME, Make<CFightClubManager>);
    RegisterWindowClass(FIGHT_CONFIG_WINDOW_NAME, Make<CFightClubConfig>);
    RegisterWindowClass(FIGHT_WAIT_WINDOW_NAME, Make<CFightClubWaitWin>);
    RegisterWindowClass(FIGHT_CVC_WAIT_WINDOW_NAME, Make<CFightClubCVCWaitWin>);
    RegisterWindowClass(FIGHT_NOTICE_WINDOW_NAME, Make<CFightClubNoticeWin>);
}
