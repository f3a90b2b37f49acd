// The play windows the game scene drives, reached through these interfaces
// (the windows implement them) after the scene found them by identifier.
#pragma once
#include <cstdint>

// The system window ("SYSTEM_WINDOW"): the player's choice, taken by the
// scene once the window has hidden itself: 0 the game-over request, 1 back to
// the character selection, 2 back to the title, 3 quit; -1 none.
class ISystemWindowChoice {
public:
    virtual ~ISystemWindowChoice() = default;
    virtual int32_t GetChoice() = 0;
    virtual void SetChoice(int32_t choice) = 0;
    virtual void SetGameOverMode(bool on) = 0;
    virtual bool IsGameOverMode() = 0;
};

// The chat message window's name-memo button: the markers an Alt-click sends
// fly to it and set it blinking.
class IChatMemoButton {
public:
    virtual ~IChatMemoButton() = default;
    // The button's centre on the screen.
    virtual void GetMemoButtonPosition(float* x, float* y) = 0;
    virtual void StartMemoBlink() = 0;
};

// The name memo window ("NAME_MEMO_WIN") takes the names Alt-clicked on the field.
class INameMemo {
public:
    virtual ~INameMemo() = default;
    virtual void AddName(const char* name, int32_t kind) = 0;
    // Every chat message shown, as it came: the memo keeps the addresses in it.
    virtual void ScanUrls(const char* text) = 0;
};

// The club window ("Club_BaseWindow") as the chat uses it: club chat is
// offered while the member may act (category 9, action 4), and its lines go
// out on the club's channel.
class IClubChat {
public:
    virtual ~IClubChat() = default;
    virtual bool IsActionAllowed(int32_t category, int32_t action) = 0;
    virtual void SendClubChat(const char* text) = 0;
};

// The team window ("TEAM_WINDOW") as the chat uses it: team chat is offered
// while its team state is 1 (the player is in a team).
class ITeamChatState {
public:
    virtual ~ITeamChatState() = default;
    virtual int32_t GetTeamState() = 0;
};

// The field's function menus, each aimed at one character: the player menu
// ("PC_FUNCTION_SELECT_WIN"), the NPC menu ("NPC_FUNCTION_SELECT_WIN") and
// the SINSU menu ("SINSU_FUNCTION_SELECT_WIN").
class IFunctionMenu {
public:
    virtual ~IFunctionMenu() = default;
    // The character the menu serves; 0 for none.
    virtual uint32_t GetTargetId() = 0;
    // Aims the menu at the character; name: the one it shows (a merchant's),
    // null for its own.
    virtual void SetTarget(uint32_t charId, const char* name) = 0;
};

// The game scene's one-to-one chat object: every way into a one-to-one chat
// (the messenger, the sign popup, the hot key, the player menus) and the
// server's one-to-one lines go through it.
class IOneToOneChat {
public:
    virtual ~IOneToOneChat() = default;
    // Opens or raises a chat window: code 1 an incoming conversation (a bar
    // sliding in), 2 opened by the player (with a partner or an empty name
    // box; name may be null), 6 opened for a name picked elsewhere.
    virtual bool OnCommand(int32_t code, const char* name) = 0;
    // A report of the server about a one-to-one conversation: kind 0 and 1
    // the partner cannot be reached, 2 the echo of an own line, 3 a line of
    // the partner.
    virtual bool OnServerChat(const char* name, uint8_t kind, const char* text) = 0;
};

// The game scene (the main manager's child of kind 0) holds the object.
class IOneToOneChatHost {
public:
    virtual ~IOneToOneChatHost() = default;
    virtual IOneToOneChat* GetOneToOneChat() = 0;
};

// The game scene's one-to-one chat object; null without a game scene or
// before its windows are made.
IOneToOneChat* FindOneToOneChat();

// The chat input ("CHATWIN") sends a line as if the player had typed it
// (slash commands, whispers, club and team routing).
class IChatLineSubmit {
public:
    virtual ~IChatLineSubmit() = default;
    virtual void SubmitLine(const char* text) = 0;
};

// The emoticon window ("EmoticonWindow") as the game keys use it: a digit
// sends the emoticon of a quick slot.
class IEmoticonSlots {
public:
    virtual ~IEmoticonSlots() = default;
    // Slot 0-9; false when the slot is empty or its emoticon has no text.
    virtual bool UseSlot(int32_t slot) = 0;
};

// The chat macro window ("CChatMacroWindow"): opened by a hot key, and Alt
// with a digit sends macro (digit - 1, 0 for 9) at most once a second.
class IChatMacros {
public:
    virtual ~IChatMacros() = default;
    virtual void Open() = 0;
    // True (and the time noted) when a second has passed since the last macro.
    virtual bool CanUseMacro() = 0;
    virtual const char* GetMacro(int32_t index) = 0;
};

// A window that an event command opens in its own way (the chat macro
// window, the messenger with its sub-windows, the team window with its
// member refresh, the one-to-one chat); others are opened with Open.
class IEventShownWindow {
public:
    virtual ~IEventShownWindow() = default;
    virtual void OpenForEvent() = 0;
};

// The event panel ("EventPanelWindow") as the game scene drives it from the
// server's scene messages: 98 opens it with the ready ids and the values,
// 95 is a member's answer, 99 closes it and 100 sets the highlight.
class IEventPanel {
public:
    virtual ~IEventPanel() = default;
    virtual bool OpenPanel(uint32_t eventId, uint8_t readyCount, const uint32_t* readyIds, uint8_t valueCount,
                           const uint8_t* values) = 0;
    virtual bool ClosePanel() = 0;
    virtual bool SetMemberAnswer(uint32_t charId, uint8_t answer) = 0;
    virtual void SetHighlight(uint8_t flag) = 0;
};

// The quick slot window ("QuickSlotWindow"): the hot key that turns its page.
class IQuickSlotPages {
public:
    virtual ~IQuickSlotPages() = default;
    virtual void TogglePage() = 0;
};

// The web page window ("WebWindow") as the game scene drives it: the
// server's page address (record 14) and board (record 15), an address a
// server message names (record 132), the page NPCs and hot key 0.
class IWebPageView {
public:
    virtual ~IWebPageView() = default;
    // Each opening does nothing while a page is open or an event runs; false
    // when nothing opened.
    virtual bool OpenPage() = 0;
    virtual bool OpenNotice() = 0;
    virtual bool OpenUrl(const char* url) = 0;
    virtual void SetPageAddress(uint8_t length, const char* text) = 0;
    virtual void OpenBoard(uint8_t kind, uint8_t length1, const char* text1, uint8_t length2,
                           const char* text2) = 0;
    // A page is open (the window is shown with its page area).
    virtual bool IsPageOpen() const = 0;
    // Hides the window, closing the page.
    virtual void ClosePage() = 0;
};

// The warp window (made as "WarpWindow") opened by the server's record 16:
// one bit mask a group of 32 points, a set bit an open point.
class IWarpView {
public:
    virtual ~IWarpView() = default;
    virtual void Open(const uint32_t masks[6]) = 0;
};

class CChar;

// What the game scene does for the play windows. The running scene (the
// main manager's child of kind 0) implements it; null while there is none.
class IGameSceneActions {
public:
    virtual ~IGameSceneActions() = default;
    // Uses the learned skill row on the target (null: the point under the
    // mouse), or walks toward a place to cast it from; true when the use
    // started or a walk was ordered.
    virtual bool TryUseSkill(CChar* target, int32_t skillRow) = 0;
    // Mode 1 uses the selected skill on the target, mode 0 attacks it.
    virtual void ActOnTarget(int32_t mode, CChar* target) = 0;
};
IGameSceneActions* FindGameSceneActions();
