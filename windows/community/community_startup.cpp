#include "windows/community/community_startup.h"

#include "ui/window_mgr.h"
#include "windows/community/chat_log_list.h"
#include "windows/community/club_base_window.h"
#include "windows/community/club_dialogs.h"
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
}

std::unique_ptr<IOneToOneChat> MakeChatLogList() {
    return std::make_unique<CChatLogList>();
}
