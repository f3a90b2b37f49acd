#include "windows/community/community_startup.h"

#include "ui/window_mgr.h"
#include "windows/community/chat_log_list.h"
#include "windows/community/club_base_window.h"
#include "windows/community/club_deposit_win.h"
#include "windows/community/club_dialogs.h"
#include "windows/community/club_forms.h"
#include "windows/community/club_grade_input.h"
#include "windows/community/club_mark_window.h"
#include "windows/community/fight_club_config.h"
#include "windows/community/fight_club_windows.h"
#include "windows/community/fortress_board_win.h"
#include "windows/community/messenger_edit_window.h"
#include "windows/community/messenger_window.h"
#include "windows/community/name_memo_window.h"
#include "windows/community/one_to_one_chat_window.h"
#include "windows/community/one_to_one_option_window.h"

namespace {

template <class W>
CBaseWindow* Make() {
    return new W;
}

template <int Kind>
CBaseWindow* MakeChatEditBox() {
    return new C1V1ChatEditBox(Kind);
}

}  // namespace

void InstallCommunityWindowClasses() {
    for (int i = 0; i < ONE_TO_ONE_WINDOWS; ++i) {
        const std::string n = std::to_string(i);
        RegisterWindowClass(("1V1ChatWin" + n).c_str(), Make<C1V1ChatWin>);
        RegisterWindowClass(("1V1IDEDIT" + n).c_str(), MakeChatEditBox<0>);
        RegisterWindowClass(("1V1TALKEDIT" + n).c_str(), MakeChatEditBox<1>);
    }
    RegisterWindowClass("1V1OptionWin", Make<C1V1OptionWin>);
    RegisterWindowClass("1V1OPTIONEDIT", MakeChatEditBox<2>);
    RegisterWindowClass(MESSENGER_NAME, Make<CQMMessengerWindow>);
    RegisterWindowClass("NAME_MEMO_WIN", Make<CNameMemoWin>);
    RegisterWindowClass(MESSENGER_EDIT_NAME, Make<CQMMEditWin>);
    RegisterWindowClass(MESSENGER_EDIT_BOX_NAME, Make<CQMMEditBox>);
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

std::unique_ptr<IOneToOneChat> MakeChatLogList() {
    return std::make_unique<CChatLogList>();
}
