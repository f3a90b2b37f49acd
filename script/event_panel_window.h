// CEventPanelWindow ("EventPanelWindow"): the panel in which the player's
// team agrees to enter an event the server proposes. It lists the members:
// those ready in a block of fourteen slots on the left, the others in a
// scrolled column on the right. The leader presses START to enter (shown
// once the server allows it); anyone presses CLOSE to decline. The game
// scene drives it from the server's scene messages (IEventPanel).
#pragma once
#include <cstdint>
#include <memory>

#include "core/base_object.h"
#include "ui/base_window.h"
#include "ui/game_scene_windows.h"

class CAniObject;
class CButton;
class CScrollBar;
class CTeam;

inline constexpr char EVENT_PANEL_WINDOW_NAME[] = "EventPanelWindow";
inline constexpr char EVENT_PANEL_ANIMATION[] = "EventPanelWindow";
inline constexpr int EVENT_PANEL_ROWS = 15;
inline constexpr int EVENT_PANEL_VALUES = 16;
inline constexpr int EVENT_PANEL_TYPES = 14;
inline constexpr size_t EVENT_PANEL_NAME_SIZE = 21;  // 20 bytes and the terminator
// A row's state.
inline constexpr uint32_t EVENT_MEMBER_OFFLINE = 0, EVENT_MEMBER_WAITING = 1, EVENT_MEMBER_READY = 2;
inline constexpr uint32_t EVENT_NO_MEMBER = 0xFFFFFFFF;

class CEventPanelWindow : public CBaseWindow, public IEventPanel {
public:
    struct MemberRow {
        uint32_t charId = EVENT_NO_MEMBER;
        uint32_t state = EVENT_MEMBER_OFFLINE;
        char name[EVENT_PANEL_NAME_SIZE] = {};
        uint32_t type = EVENT_NO_MEMBER;  // the character type index, when on the field
    };

    CEventPanelWindow();
    ~CEventPanelWindow() override;

    bool Create() override;
    bool Release() override;
    bool Draw() override;
    bool OnMouseDown(int32_t button, int32_t x, int32_t y, CBaseWindow* control) override;
    bool OnControlEvent(int32_t button, int32_t x, int32_t y, CBaseWindow* control) override;
    bool SetPosition(int32_t x, int32_t y) override;

    // IEventPanel. OpenPanel is false when the player has no team list.
    bool OpenPanel(uint32_t eventId, uint8_t readyCount, const uint32_t* readyIds, uint8_t valueCount,
                   const uint8_t* values) override;
    // The same for a team list and the player's name.
    void OpenForTeam(const CTeam& team, const char* ownName, uint32_t eventId, uint8_t readyCount,
                     const uint32_t* readyIds, uint8_t valueCount, const uint8_t* values);
    bool ClosePanel() override;
    // False when the character is not on the field.
    bool SetMemberAnswer(uint32_t charId, uint8_t answer) override;
    void SetHighlight(uint8_t flag) override;

    uint32_t GetMemberCount() const { return m_memberCount; }
    const MemberRow& GetRow(int i) const { return m_rows[i]; }
    uint32_t GetEventId() const { return m_eventId; }
    uint32_t GetValueCount() const { return m_valueCount; }
    uint32_t GetValue(int i) const { return m_values[i]; }
    bool IsLeader() const { return m_leader != 0; }
    bool IsHighlighted() const { return m_highlight != 0; }
    CButton* GetCloseButton() const;
    CButton* GetStartButton() const;
    CScrollBar* GetScrollBar() const;
    // The row shown under a screen point of the member list, or -1.
    int32_t RowAt(int32_t x, int32_t y) const;

private:
    void ClearPanel();  // rows, selection and values
    // The index of the n-th row that is ready (or not), or -1.
    int32_t NthRow(bool ready, int32_t n) const;
    int32_t ScrollTop() const;
    void DrawMember(const MemberRow& row, int32_t x, int32_t y);
    void ShowStartButton();

    CWeakRef m_close, m_start, m_scroll;
    std::unique_ptr<CAniObject> m_panel;
    std::unique_ptr<CAniObject> m_members[EVENT_PANEL_TYPES];
    uint32_t m_memberCount = 0;
    uint32_t m_eventId = 0;
    uint32_t m_valueCount = 0;
    uint32_t m_values[EVENT_PANEL_VALUES] = {};
    MemberRow m_rows[EVENT_PANEL_ROWS];
    uint8_t m_leader = 0;
    uint8_t m_highlight = 0;
    // The row pressed last and its side (0 the ready block, 1 the others).
    int32_t m_selected[2] = {-1, -1};
};
