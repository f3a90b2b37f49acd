// The in-game window set: every window that lives as long as the game scene,
// made on entry through the window manager's table of window classes (a class
// not registered makes no window and its step is skipped), wired, placed,
// shown or hidden, and added in an order that decides the first stacking: the
// main interface lowest, the club deposit window and the game request box
// topmost. Close takes the same set away again, with the windows play made on
// demand.
#pragma once
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "core/base_object.h"

class CBaseWindow;
class CMessageBox;
class CMsgPort;
class CWindowMgr;
class IOneToOneChat;

inline constexpr const char* GAME_REQUEST_BOX_NAME = "GAMBAMBO_REQUEST_MESSAGE_BOX";
inline constexpr uint32_t GAME_REQUEST_BOX_KIND = 10;
inline constexpr uint32_t GAME_SCENE_QUIT_BOX = 9;      // message 9 parameter: quit
inline constexpr uint32_t GAME_SCENE_REQUEST_BOX = 10;  // message 9 parameter: the game request's answer

namespace gamewin {
inline constexpr const char* kMainInterface = "Z5MAINWIN";
inline constexpr const char* kClubDeposit = "CLUB_DEPOSIT_WINDOW";
inline constexpr const char* kFortressBoard = "FORTRESS_BOARD_WIN";
inline constexpr const char* kSystemWindow = "SYSTEM_WINDOW";
inline constexpr const char* kChatInput = "CHATWIN";
inline constexpr const char* kHeadword = "HEADWORDWIN";
inline constexpr const char* kChatWindow = "MSGWIN";
inline constexpr const char* kToolTipStack = "TOOLTIPSTACKWIN";
inline constexpr const char* kMessageBox = "MESSAGE_BOX";
inline constexpr const char* kNumberInput = "NUMBER_EDIT_CONTROL";
inline constexpr const char* kComboTimer = "ComboTimer";
inline constexpr const char* kEmoticon = "EmoticonWindow";
inline constexpr const char* kChatMacro = "CChatMacroWindow";
inline constexpr const char* kWebWindow = "WebWindow";
inline constexpr const char* kWarpWindow = "WarpWindow";
inline constexpr const char* kTelescope = "Telescope_View_Window";
inline constexpr const char* kAlbumEdit = "Pet_Album_Edit_Window";
inline constexpr const char* kMessenger = "QMMessenger";
inline constexpr const char* kOneToOneOptions = "1V1OptionWin";
inline constexpr const char* kSignExtend = "SignExtendWin";
inline constexpr const char* kNameMemo = "NAME_MEMO_WIN";
inline constexpr const char* kNpcMenu = "NPC_FUNCTION_SELECT_WIN";
inline constexpr const char* kPcMenu = "PC_FUNCTION_SELECT_WIN";
inline constexpr const char* kSinsuMenu = "SINSU_FUNCTION_SELECT_WIN";
inline constexpr const char* kDeposit = "DepositWindow";
inline constexpr const char* kFightClubNotice = "FightClubNoticeWin";
}  // namespace gamewin

class CGameWindowSet {
public:
    CGameWindowSet();
    ~CGameWindowSet();
    CGameWindowSet(const CGameWindowSet&) = delete;
    CGameWindowSet& operator=(const CGameWindowSet&) = delete;

    // Builds the set into the manager. The game request box answers into
    // scenePort (message 9); the combo timer starts hidden on a no-battle map.
    void Create(CWindowMgr& manager, CMsgPort* scenePort, bool noBattleZone);
    // Closes every window of the set and the on-demand windows (found by
    // identifier); the private deposit window is only hidden. Without a
    // manager the members are only forgotten.
    void Close(CWindowMgr* manager);

    // The set's window with the identifier while it lives, else null.
    CBaseWindow* Get(const char* identifier) const;
    CMessageBox* GetRequestBox() const;
    // The one-to-one chat object, made first and deleted after the windows;
    // null without its maker.
    IOneToOneChat* GetOneToOneChat() const { return m_oneToOne.get(); }
    // The identifiers the set holds now, in the order they were made.
    std::vector<std::string> Identifiers() const;

private:
    CBaseWindow* Make(const std::string& identifier);
    void Keep(const std::string& identifier, CBaseWindow* window);

    std::map<std::string, CWeakRef> m_windows;
    std::vector<std::string> m_made;
    CWeakRef m_requestBox;
    std::unique_ptr<IOneToOneChat> m_oneToOne;
};

// The identifiers the window set closes, in order (the on-demand ones after
// the set's own).
const std::vector<std::string>& GameWindowCloseOrder();
const std::vector<std::string>& OnDemandWindowNames();
