// CQMMessengerWindow ("QMMessenger", image "QMMessengerWindow"): the buddy
// list. Up to ten groups and a hundred buddies as the server keeps them, in
// one list of group rows followed by their buddies; a popup menu per row,
// dragging a buddy to another group, a double-click to chat with an online
// buddy, and the buddy and confirmation requests of other players as
// question boxes. Every change is a request; the list changes when the
// server's messages (105-113, in the window's port) come back.
#pragma once
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "ui/base_window.h"

class CAniObject;
class CButton;
class CScrollBar;
class CSceneListMsg;
class CSceneTextListMsg;

inline constexpr char MESSENGER_NAME[] = "QMMessenger";
inline constexpr char MESSENGER_IMAGE[] = "QMMessengerWindow";
inline constexpr int32_t MESSENGER_GROUPS = 10;
inline constexpr int32_t MESSENGER_BUDDIES = 100;
inline constexpr int32_t MESSENGER_ROWS = MESSENGER_GROUPS + MESSENGER_BUDDIES;
inline constexpr int32_t MESSENGER_VISIBLE_ROWS = 9;
inline constexpr int32_t MESSENGER_ROW_HEIGHT = 31;
inline constexpr int32_t MESSENGER_REQUEST_SLOTS = 50;
inline constexpr uint32_t MESSENGER_REFRESH_MS = 30000;
inline constexpr uint8_t MESSENGER_FREE = 255;
// The kind ids of the question boxes (their answers come as message 9).
inline constexpr uint32_t MESSENGER_BUDDY_BOX = 15;
inline constexpr uint32_t MESSENGER_CONFIRM_BOX = 16;

struct MessengerGroup {
    uint8_t id = 0;
    char name[65] = {};
    uint8_t members = 0;
    uint8_t inUse = 0;
};

struct MessengerBuddy {
    uint32_t resourceId = 0;
    char memberName[51] = {};
    char charName[15] = {};
    uint8_t group = MESSENGER_FREE;
    uint16_t state = 0;  // 1 offline, 2 online
    uint8_t listFlag = 0;
    bool Used() const { return group != MESSENGER_FREE; }
    bool Online() const { return (state & 2) != 0; }
};

struct MessengerRow {
    uint8_t kind = 2;  // 0 group, 1 buddy, 2 empty
    int32_t index = -1;
};

struct MessengerRequest {
    char memberName[51] = {};
    char charName[15] = {};
    uint32_t resourceId = 0;
    uint8_t byte = MESSENGER_FREE;
};

class CQMMessengerWindow : public CBaseWindow {
public:
    CQMMessengerWindow();
    ~CQMMessengerWindow() override;

    bool Create() override;
    bool Release() override;
    // With the messenger option off: the row-349 box instead, and hidden.
    bool Show() override;
    bool Hide() override;
    bool Draw() override;
    bool Update() override;
    bool ProcessMessages() override;
    bool OnMouseDown(int32_t button, int32_t x, int32_t y, CBaseWindow* control) override;
    bool OnMouseUp(int32_t button, int32_t x, int32_t y, CBaseWindow* control) override;
    bool OnControlEvent(int32_t button, int32_t x, int32_t y, CBaseWindow* control) override;
    bool OnDoubleClick(int32_t button, int32_t x, int32_t y, CBaseWindow* control) override;
    bool SetPosition(int32_t x, int32_t y) override;

    void ToggleShow();
    void ResetState();
    void ClearTables();
    void Rebuild();

    // The server's messages.
    void SetBuddyList(const CSceneListMsg& list);
    void SetGroupList(const CSceneTextListMsg& list);
    void OnBuddyInvite(const char* charName, const char* memberName, uint32_t resourceId, uint8_t group);
    void AddBuddy(const char* charName, const char* memberName, uint32_t resourceId, uint8_t group);
    void OnBuddyRemoved(const char* memberName);
    void SetGroupName(uint8_t id, const char* name);
    void DeleteGroup(uint8_t id);
    void MoveBuddy(const char* memberName, uint8_t group);
    void OnBuddyRequest(const char* memberName, const char* charName, uint8_t byte);
    // Marks exactly the buddies whose member name is on the refusal list.
    void SetOneChatFlags(const std::vector<std::string>& names);

    // The popup's items, and the dialog's results.
    bool IsMenuItemDisabled(int32_t item, int32_t kind) const;
    void RunMenuItem(int32_t item, int32_t kind);
    void OpenGroupMessage();
    void OpenNewGroup();
    void OpenRenameGroup();
    void OpenDeleteGroup();
    void OpenAddBuddy();
    void OpenDeleteBuddy();
    void OpenMoveBuddy();
    void OpenAssignGroup();
    void ToggleBuddyRefusal();
    void ApplyEdit(int32_t mode, const char* text, uint8_t flag);
    // Modes 4-8: the dialog's choice (5 a group id, 8 a list index).
    void ApplyChoice(int32_t mode, int32_t value);

    int32_t RowAt(int32_t x, int32_t y) const;
    void SelectRow(int32_t row) { m_selected = row; }
    void OpenMenu(int32_t row, int32_t x, int32_t y);
    // The item under the point of the shown menu, or -1.
    int32_t MenuItemAt(int32_t x, int32_t y) const;
    int32_t GetMenuKind() const { return m_menuShown ? m_menuKind : -1; }

    const MessengerGroup& Group(int32_t i) const { return m_groups[i]; }
    const MessengerBuddy& Buddy(int32_t i) const { return m_buddies[i]; }
    const MessengerRow& Row(int32_t i) const { return m_rows[i]; }
    const MessengerRequest& BuddyRequest(int32_t i) const { return m_buddyRequests[i]; }
    const MessengerRequest& ConfirmRequest(int32_t i) const { return m_confirmRequests[i]; }
    int32_t UsedRows() const;
    int32_t MemberTotal() const;
    int32_t GetSelected() const { return m_selected; }
    CButton* Button(const char* name) const;
    CScrollBar* GetScrollBar() const;
    // The group names and ids in use, for the dialog's choice list.
    std::vector<std::pair<uint8_t, std::string>> GroupsInUse() const;

private:
    const MessengerGroup* SelectedGroup() const;
    MessengerBuddy* SelectedBuddy();
    int32_t FirstFreeGroup() const;
    bool IsOwnName(const char* name, uint8_t kind) const;
    void SendGroupLine(const char* text);
    void Answer(uint32_t kind, uint32_t slot, bool ok);
    void ShowQuestion(const std::string& text, uint32_t kind, int32_t slot);
    void DrawRow(int32_t row, int32_t y);
    int32_t ScrollPos() const;

    MessengerGroup m_groups[MESSENGER_GROUPS];
    MessengerBuddy m_buddies[MESSENGER_BUDDIES];
    MessengerRow m_rows[MESSENGER_ROWS];
    MessengerRequest m_buddyRequests[MESSENGER_REQUEST_SLOTS];
    MessengerRequest m_confirmRequests[MESSENGER_REQUEST_SLOTS];
    std::string m_lastQuestion;
    std::unique_ptr<CAniObject> m_groupRow, m_buddyRow, m_menu, m_highlight;
    std::unique_ptr<CAniObject> m_portraits[14];
    CWeakRef m_scrollBar;
    int32_t m_selected = -1;
    uint8_t m_menuShown = 0;
    int32_t m_menuKind = -1;
    int32_t m_menuLeft = 0, m_menuTop = 0, m_menuRight = 0, m_menuBottom = 0;
    int32_t m_dragRow = -1;
    uint8_t m_dragging = 0;
    int32_t m_pressX = -1, m_pressY = -1;
    int32_t m_dropGroup = -1;
    uint32_t m_lastScroll = 0;
    uint32_t m_lastRefresh = 0;
};

// The messenger of the window manager, or null.
CQMMessengerWindow* FindMessenger();
