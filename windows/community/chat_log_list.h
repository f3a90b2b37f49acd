// CChatLogList: the game scene's one-to-one chat object. It holds the five
// one-to-one chat windows ("1V1ChatWin0" to "1V1ChatWin4") and the options
// window ("1V1OptionWin"), hands conversations to the windows (a sixth is
// refused: the player gets a box, a sixth partner an automatic answer),
// routes the server's one-to-one reports, and keeps the partners whose
// conversations are logged in "QM_ChatLogList.Dat" from run to run.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "core/base_object.h"
#include "ui/game_scene_windows.h"
#include "ui/window_links.h"

class C1V1ChatWin;
class C1V1OptionWin;

inline constexpr int32_t ONE_TO_ONE_WINDOWS = 5;
// Text table 14's rows: all windows are open; the automatic answer.
inline constexpr int ONE_TO_ONE_ALL_OPEN_ROW = 156;
inline constexpr int ONE_TO_ONE_BUSY_REPLY_ROW = 157;

class CChatLogList : public IOneToOneChat, public IWindowLink {
public:
    // Reads the list of the player's identity name (Load).
    CChatLogList();
    // Writes the list (Save) and lets go of the windows.
    ~CChatLogList() override;
    CChatLogList(const CChatLogList&) = delete;
    CChatLogList& operator=(const CChatLogList&) = delete;

    // The windows in the order the set makes them: the five chat windows
    // take the slots 0-4, the options window its own place.
    void LinkWindow(CBaseWindow* window) override;

    bool Load();
    bool Save();
    bool ReadChatLogList();
    bool WriteChatLogList();

    bool OnCommand(int32_t code, const char* name) override;
    bool OnServerChat(const char* name, uint8_t kind, const char* text) override;

    bool IsChatLogged(const char* name) const;
    bool AddLoggedName(const char* name);
    bool RemoveLoggedName(const char* name);
    void ClearLoggedNames();
    // Appends the line to the partner's log when the partner is logged and
    // the player's character exists.
    bool WriteMessengerLog(const char* partner, const char* text, bool own);

    // A shown window talks to the name.
    bool IsWindowOpenForName(const char* name) const;
    // At least two shown windows hold the name in their name boxes.
    bool IsNameOpenElsewhere(const char* name) const;
    // Each shown window holding the name: an open one is activated, a bar opens.
    void RaiseWindowByName(const char* name);

    C1V1ChatWin* GetChatWin(int32_t slot) const;
    C1V1OptionWin* GetOptionWin() const;
    const std::vector<std::string>& LoggedNames() const { return m_loggedNames; }
    const char* GetOwnerName() const { return m_ownerName; }
    bool GetRefuseAll() const { return m_refuseAll != 0; }
    void SetRefuseAll(bool on) { m_refuseAll = on; }

private:
    int32_t CountShown() const;
    // Every shown window of the partner shows its log button on or off.
    void ShowLogging(const char* name, bool on);

    CWeakRef m_chatWins[ONE_TO_ONE_WINDOWS];
    int32_t m_linkedChatWins = 0;
    CWeakRef m_optionWin;
    char m_ownerName[17] = {};
    std::vector<std::string> m_loggedNames;
    uint8_t m_refuseAll = 0;
};
