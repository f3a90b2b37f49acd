#include "windows/community/community_startup.h"

#include "ui/window_mgr.h"
#include "windows/community/club_base_window.h"
#include "windows/community/club_deposit_win.h"
#include "windows/community/club_dialogs.h"
#include "windows/community/club_forms.h"
#include "windows/community/club_grade_input.h"
#include "windows/community/club_mark_window.h"
#include "windows/community/fight_club_config.h"
#include "windows/community/fight_club_windows.h"
#include "windows/community/fortress_board_win.h"

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
    RegisterWindowClass(CLUB_JOIN_WINDOW_NAME, Make<CClubJoinWindow>);
    RegisterWindowClass(CLUB_MAKE_WINDOW_NAME, Make<CClubMakeWindow>);
    RegisterWindowClass(CLUB_MARK_WINDOW_NAME, Make<CClubMarkWindow>);
    RegisterWindowClass(CLUB_GRADE_INPUT_WINDOW_NAME, Make<CClubGradeInputWin>);
    RegisterWindowClass(FORTRESS_BOARD_WINDOW_NAME, Make<CFortressBoardWin>);
    RegisterWindowClass(CLUB_DEPOSIT_WINDOW_NAME, Make<CClubDepositWin>);
}
