#include "windows/play/play_startup.h"

#include "ui/scene_windows.h"
#include "ui/window_mgr.h"
#include "windows/play/char_create_window.h"
#include "windows/play/char_info_window.h"
#include "windows/play/char_message_window.h"
#include "windows/play/char_select_window.h"
#include "windows/play/chat_input_window.h"
#include "windows/play/chat_window.h"
#include "windows/play/item_equip_window.h"
#include "windows/play/item_inventory_window.h"
#include "windows/play/main_interface.h"
#include "windows/play/npc_function_menu.h"
#include "windows/play/quick_slot_window.h"
#include "windows/play/skill_window.h"
#include "windows/play/status_icon_window.h"
#include "windows/play/title_screen.h"
#include "windows/play/trade_window.h"

namespace {

template <class W>
CBaseWindow* Make() {
    return new W;
}

}  // namespace

void InstallPlayWindowClasses() {
    RegisterWindowClass(TITLE_SCREEN_WINDOW_NAME, Make<CTitleScreen>);
    RegisterWindowClass(CHAR_SELECT_WINDOW_NAME, Make<CCharSelectWindow>);
    RegisterWindowClass(CHAR_CREATE_WINDOW_NAME, Make<CCharCreateWindow>);
    RegisterWindowClass(MAIN_INTERFACE_NAME, Make<CMainInterface>);
    RegisterWindowClass(CHAT_WINDOW_NAME, Make<CChatWindow>);
    RegisterWindowClass(CHAT_INPUT_NAME, Make<CChatInputWindow>);
    RegisterWindowClass(HEADWORD_NAME, Make<CHeadwordWindow>);
    RegisterWindowClass(CHAR_MESSAGE_WINDOW_NAME, Make<CCharMessageWindow>);
    RegisterWindowClass(STATUS_ICON_WINDOW_NAME, Make<CAbnormalStatusIconWin>);
    RegisterWindowClass(INVENTORY_WINDOW_NAME, Make<CItemInventoryWindow>);
    RegisterWindowClass(EQUIP_WINDOW_NAME, Make<CItemEquipWindow>);
    RegisterWindowClass(QUICK_SLOT_WINDOW_NAME, Make<CQuickSlotWindow>);
    RegisterWindowClass(HUD_WINDOW_NAMES[HUD_CHAR_INFO], Make<CCharInfoWindow>);
    RegisterWindowClass(SKILL_WINDOW_NAME, Make<CSkillWindow>);
    RegisterWindowClass(TRADE_WINDOW_NAME, Make<CTradeWindow>);
    RegisterWindowClass(NPC_MENU_WINDOW_NAME, Make<CNPCFunctionSelectWin>);
}
