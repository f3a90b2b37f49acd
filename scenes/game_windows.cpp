#include "scenes/game_windows.h"

#include <cstdio>
#include <string>

#include "graphics/display_settings.h"
#include "scenes/scene_services.h"
#include "ui/base_window.h"
#include "ui/game_scene_windows.h"
#include "ui/message_box.h"
#include "ui/window_links.h"
#include "ui/window_mgr.h"

namespace {

std::string Indexed(const char* format, int index) {
    char name[64];
    std::snprintf(name, sizeof name, format, index);
    return name;
}

// The set's identifiers in the order the windows are made.
std::vector<std::string> MakeOrder() {
    std::vector<std::string> order;
    for (int i = 0; i < 5; ++i) {
        order.push_back(Indexed("1V1ChatWin%d", i));
        order.push_back(Indexed("1V1IDEDIT%d", i));
        order.push_back(Indexed("1V1TALKEDIT%d", i));
    }
    for (const char* name :
         {"1V1OptionWin", "1V1OPTIONEDIT", gamewin::kMessenger, "QMMEditWin", "QMMEditBox",
          gamewin::kSignExtend, "Club_AutoRankWindow", "World_Map_Interface", "Pet_Incubator_Interface",
          "Pet_Interface", "Pet_Album_Edit_Window", "Pet_Album_View_Window", "Equip_Equipment_Ability_Window",
          "Telescope_View_Window", "TimerWindow", "MyStoreWindow", "ReplyWindow", "EmoticonWindow",
          gamewin::kChatMacro})
        order.push_back(name);
    for (int i = 0; i < 10; ++i) order.push_back(Indexed("CHATMACROEDITBOX%d", i));
    for (const char* name : {"WebWindow",
                             "WarpWindow",
                             "EventPanelWindow",
                             "EventTalkWindows",
                             "SelectionWin",
                             gamewin::kChatInput,
                             gamewin::kHeadword,
                             gamewin::kChatWindow,
                             gamewin::kToolTipStack,
                             "ABNORMAL_STATUS_ICON_WIN",
                             "ITEM_EXCHANGE_WINDOW",
                             gamewin::kMessageBox,
                             gamewin::kNumberInput,
                             "Premium_Item_Notification_Window",
                             gamewin::kComboTimer,
                             "TRADE_WINDOW",
                             gamewin::kSystemWindow,
                             gamewin::kNpcMenu,
                             gamewin::kPcMenu,
                             gamewin::kSinsuMenu,
                             gamewin::kNameMemo})
        order.push_back(name);
    return order;
}

// Made hidden.
bool StartsHidden(const std::string& name) {
    static const char* const hidden[] = {
        "EmoticonWindow",
        gamewin::kChatMacro,
        "WebWindow",
        "WarpWindow",
        "EventPanelWindow",
        "EventTalkWindows",
        "SelectionWin",
        "ITEM_EXCHANGE_WINDOW",
        gamewin::kMessageBox,
        gamewin::kNumberInput,
        "Premium_Item_Notification_Window",
        "TRADE_WINDOW",
        gamewin::kSystemWindow,
        gamewin::kNpcMenu,
        gamewin::kPcMenu,
        gamewin::kSinsuMenu,
        gamewin::kNameMemo,
    };
    for (const char* h : hidden)
        if (name == h) return true;
    return false;
}

// Added at the head of the manager's list after all are made, in this order
// (each goes below the ones before it).
std::vector<std::string> AddFrontOrder() {
    std::vector<std::string> order = {gamewin::kComboTimer,
                                      gamewin::kNpcMenu,
                                      gamewin::kPcMenu,
                                      gamewin::kSinsuMenu,
                                      gamewin::kSystemWindow,
                                      "TRADE_WINDOW",
                                      "Premium_Item_Notification_Window",
                                      gamewin::kNumberInput,
                                      gamewin::kMessageBox,
                                      "ITEM_EXCHANGE_WINDOW",
                                      gamewin::kChatInput,
                                      gamewin::kHeadword,
                                      gamewin::kChatWindow,
                                      gamewin::kToolTipStack,
                                      "ABNORMAL_STATUS_ICON_WIN"};
    for (int i = 0; i < 5; ++i) {
        order.push_back(Indexed("1V1ChatWin%d", i));
        order.push_back(Indexed("1V1IDEDIT%d", i));
        order.push_back(Indexed("1V1TALKEDIT%d", i));
    }
    for (const char* name :
         {"1V1OptionWin", "1V1OPTIONEDIT", "QMMEditBox", "QMMEditWin", gamewin::kMessenger,
          "Club_AutoRankWindow", "World_Map_Interface", "Pet_Incubator_Interface", "Pet_Interface",
          "Equip_Equipment_Ability_Window", "Pet_Album_Edit_Window", "Pet_Album_View_Window",
          "Telescope_View_Window", gamewin::kSignExtend, "TimerWindow", "MyStoreWindow", "ReplyWindow",
          "EmoticonWindow", gamewin::kChatMacro})
        order.push_back(name);
    for (int i = 0; i < 10; ++i) order.push_back(Indexed("CHATMACROEDITBOX%d", i));
    for (const char* name :
         {"WebWindow", "WarpWindow", "EventPanelWindow", "EventTalkWindows", "SelectionWin"})
        order.push_back(name);
    return order;
}

void Link(CBaseWindow* window, CBaseWindow* other) {
    if (!window || !other) return;
    if (auto* link = dynamic_cast<IWindowLink*>(window)) link->LinkWindow(other);
}

}  // namespace

const std::vector<std::string>& GameWindowCloseOrder() {
    static const std::vector<std::string> order = [] {
        std::vector<std::string> o = {GAME_REQUEST_BOX_NAME,
                                      gamewin::kClubDeposit,
                                      gamewin::kComboTimer,
                                      gamewin::kNpcMenu,
                                      gamewin::kPcMenu,
                                      gamewin::kSinsuMenu,
                                      gamewin::kSystemWindow,
                                      "TRADE_WINDOW",
                                      "Premium_Item_Notification_Window",
                                      gamewin::kNumberInput,
                                      gamewin::kMessageBox,
                                      "ITEM_EXCHANGE_WINDOW",
                                      gamewin::kChatInput,
                                      gamewin::kHeadword,
                                      gamewin::kChatWindow,
                                      gamewin::kToolTipStack,
                                      "ABNORMAL_STATUS_ICON_WIN"};
        for (int i = 0; i < 5; ++i) {
            o.push_back(Indexed("1V1IDEDIT%d", i));
            o.push_back(Indexed("1V1TALKEDIT%d", i));
            o.push_back(Indexed("1V1ChatWin%d", i));
        }
        o.push_back("1V1OPTIONEDIT");
        o.push_back("1V1OptionWin");
        for (int i = 0; i < 10; ++i) o.push_back(Indexed("CHATMACROEDITBOX%d", i));
        for (const char* name : {gamewin::kChatMacro,
                                 "QMMEditBox",
                                 "QMMEditWin",
                                 gamewin::kMessenger,
                                 "Club_AutoRankWindow",
                                 "World_Map_Interface",
                                 "Pet_Incubator_Interface",
                                 "Pet_Interface",
                                 "Equip_Equipment_Ability_Window",
                                 "Pet_Album_Edit_Window",
                                 "Pet_Album_View_Window",
                                 "Telescope_View_Window",
                                 gamewin::kSignExtend,
                                 "TimerWindow",
                                 "MyStoreWindow",
                                 "ReplyWindow",
                                 "EmoticonWindow",
                                 "WebWindow",
                                 "WarpWindow",
                                 "EventPanelWindow",
                                 "EventTalkWindows",
                                 "SelectionWin",
                                 gamewin::kMainInterface})
            o.push_back(name);
        return o;
    }();
    return order;
}

const std::vector<std::string>& OnDemandWindowNames() {
    static const std::vector<std::string> names = {
        "MAGIC_ROULLETE_WIN", "FightClub_WaitWin",   "FightClub_Manager",
        "FightClub_Config",   "FightClubCVCWaitWin", gamewin::kFightClubNotice,
        gamewin::kNameMemo,   "TJS_ROOMLIST",        "TJS_NEWROOM",
        "TJS_WAITROOM",       "CTF_ROOMLIST",        "CTF_NEWROOM",
        "CTF_WAITROOM"};
    return names;
}

CGameWindowSet::CGameWindowSet() = default;
CGameWindowSet::~CGameWindowSet() = default;

CBaseWindow* CGameWindowSet::Get(const char* identifier) const {
    if (!identifier) return nullptr;
    auto it = m_windows.find(identifier);
    return it == m_windows.end() ? nullptr : it->second.GetAs<CBaseWindow>();
}

CMessageBox* CGameWindowSet::GetRequestBox() const {
    return m_requestBox.GetAs<CMessageBox>();
}

std::vector<std::string> CGameWindowSet::Identifiers() const {
    std::vector<std::string> out;
    for (const std::string& name : m_made)
        if (Get(name.c_str())) out.push_back(name);
    return out;
}

void CGameWindowSet::Keep(const std::string& identifier, CBaseWindow* window) {
    m_windows[identifier].Assign(window);
    m_made.push_back(identifier);
}

CBaseWindow* CGameWindowSet::Make(const std::string& identifier) {
    CBaseWindow* window = CreateRegisteredWindow(identifier.c_str());
    if (window) Keep(identifier, window);
    return window;
}

void CGameWindowSet::Create(CWindowMgr& manager, CMsgPort* scenePort, bool noBattleZone) {
    m_windows.clear();
    m_made.clear();
    m_oneToOne.reset();
    if (IOneToOneChatMaker* maker = GetOneToOneChatMaker()) m_oneToOne = maker->MakeOneToOneChat();
    auto* oneToOneLink = dynamic_cast<IWindowLink*>(m_oneToOne.get());
    std::vector<CBaseWindow*> made;
    for (const std::string& name : MakeOrder()) {
        CBaseWindow* window = Make(name);
        if (!window) continue;
        if (oneToOneLink && (name.rfind("1V1ChatWin", 0) == 0 || name == gamewin::kOneToOneOptions))
            oneToOneLink->LinkWindow(window);
        if (name.rfind("1V1ChatWin", 0) == 0) {
            window->Hide();
            window->SetName(name.c_str());
        } else if (name.rfind("1V1IDEDIT", 0) == 0 || name.rfind("1V1TALKEDIT", 0) == 0 ||
                   name == "1V1OPTIONEDIT" || name.rfind("CHATMACROEDITBOX", 0) == 0) {
            // An edit box of the window made just before it.
            const std::string owner = name == "1V1OPTIONEDIT" ? std::string("1V1OptionWin")
                                      : name.rfind("CHATMACROEDITBOX", 0) == 0
                                          ? std::string(gamewin::kChatMacro)
                                          : "1V1ChatWin" + name.substr(name.size() - 1);
            Link(window, Get(owner.c_str()));
            window->SetActive(false, false);
            window->SetPosition(0, 0);
            if (name.rfind("1V1TALKEDIT", 0) == 0 || name == "1V1OPTIONEDIT")
                if (CBaseWindow* owned = Get(owner.c_str())) owned->Hide();
        } else if (name == gamewin::kNumberInput || name == gamewin::kComboTimer) {
            window->SetPosition(100, 100);
        }
        if (name == gamewin::kChatMacro) Link(Get(gamewin::kEmoticon), window);
        if (StartsHidden(name)) window->Hide();
        if (name == gamewin::kComboTimer && noBattleZone) window->Hide();
        if (name == "ABNORMAL_STATUS_ICON_WIN") {
            CBaseWindow* chat = Get(gamewin::kChatWindow);
            CBaseWindow* input = Get(gamewin::kChatInput);
            CBaseWindow* headword = Get(gamewin::kHeadword);
            Link(input, chat);
            Link(headword, chat);
            if (input) {
                input->SetActive(false, false);
                input->SetPosition(164, 72);
            }
            if (headword) {
                headword->SetActive(false, false);
                headword->SetPosition(30, 72);
            }
            Link(chat, input);
            Link(chat, headword);
        }
        if (name == gamewin::kNameMemo && !manager.AddChildBack(window)) {
            m_windows.erase(name);
            delete window;
        }
    }
    for (const std::string& name : AddFrontOrder()) {
        CBaseWindow* window = Get(name.c_str());
        if (window && !manager.AddChild(window)) {
            m_windows.erase(name);
            delete window;
        }
    }
    // Every window made but not placed in either list would leak: none is.
    if (CBaseWindow* main = Make(gamewin::kMainInterface)) {
        main->SetPosition(3, 2);
        if (!manager.AddChild(main)) {
            m_windows.erase(gamewin::kMainInterface);
            delete main;
        }
    }
    if (CBaseWindow* deposit = Make(gamewin::kClubDeposit)) {
        deposit->SetPosition(0, 0);
        deposit->Hide();
        if (!manager.AddChildBack(deposit)) {
            m_windows.erase(gamewin::kClubDeposit);
            delete deposit;
        }
    }
    auto* box = new CMessageBox(nullptr, true, true, false, 1);
    box->SetName(GAME_REQUEST_BOX_NAME);
    const CDisplaySettings& screen = GetDisplaySettings();
    box->SetPosition(screen.screenWidth / 2 - box->BackgroundWidth() / 2, screen.screenHeight / 2 - 100);
    box->SetKept(true);
    box->SetKindId(GAME_REQUEST_BOX_KIND);
    box->SetOkNotify(true, scenePort, 0);
    box->SetCancelNotify(true, scenePort, 0);
    box->Hide();
    if (manager.AddChildBack(box)) {
        Keep(GAME_REQUEST_BOX_NAME, box);
        m_requestBox.Assign(box);
    } else {
        delete box;
    }
}

void CGameWindowSet::Close(CWindowMgr* manager) {
    if (manager) {
        for (const std::string& name : GameWindowCloseOrder())
            if (CBaseWindow* window = Get(name.c_str())) manager->CloseWindow(window);
        for (const std::string& name : OnDemandWindowNames())
            if (CBaseWindow* window = manager->FindWindowByName(name.c_str(), 0, true))
                manager->CloseWindow(window);
        if (CBaseWindow* deposit = manager->FindWindowByName(gamewin::kDeposit, 0, true)) deposit->Hide();
    }
    m_windows.clear();
    m_made.clear();
    m_requestBox.Assign(nullptr);
    m_oneToOne.reset();
}
