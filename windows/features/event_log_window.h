// CEventLogWindow ("EventLogWindow"): the player's journal of events and
// quests. Three panes: the events or quests of one of six categories (left),
// the selected entry's description (right), and the time-stamped lines the
// server sends (bottom). What the list holds comes from two read-only event
// tables ("0002.QEL" and "0001.QEL" of the QUESTLOG_FOLDER folder), which
// hold every possible entry with its conditions, and from one key/value table
// a category that the server keeps up to date. It asks the server again when
// its log is incomplete or holds a line without a time.
#pragma once
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "core/base_object.h"
#include "core/window_port_records.h"
#include "data/data_table.h"
#include "ui/base_window.h"
#include "ui/window_messages.h"

class CAniObject;
class CScrollBar;
class CTextLineBuffer;

inline constexpr char EVENT_LOG_WINDOW_NAME[] = "EventLogWindow";
inline constexpr int EVENT_LOG_CATEGORIES = 6;
inline constexpr uint32_t EVENT_LOG_MAX_LINES = 100;
inline constexpr size_t EVENT_LOG_TEXT_SIZE = 256;
inline constexpr size_t EVENT_LOG_TITLE_WIDTH = 20;
inline constexpr int32_t EVENT_LOG_LIST_ROWS = 5, EVENT_LOG_DESCRIPTION_LINES = 9, EVENT_LOG_LOG_LINES = 4;
inline constexpr int32_t EVENT_LOG_DESCRIPTION_COLUMNS = 23;
inline constexpr int32_t EVENT_LOG_WIDTH = 392, EVENT_LOG_HEIGHT = 284;
inline constexpr uint8_t EVENT_LOG_EVERY_CLASS = 14;
// The event tables' numbers: A (read first) and B.
inline constexpr int EVENT_LOG_TABLE_A = 2, EVENT_LOG_TABLE_B = 1;

enum : int32_t {
    EVENT_LOG_PANE_NONE = -1,
    EVENT_LOG_PANE_LIST = 0,
    EVENT_LOG_PANE_DESCRIPTION = 1,
    EVENT_LOG_PANE_LOG = 2
};

struct EventLogEntry {
    std::string title;
    std::string description;
    uint8_t kind = 0;  // 0 event, else quest
    uint8_t longTitle = 0;
};

struct EventLogLine {
    uint32_t time = 0;  // seconds since 1970, 0 for none
    char text[EVENT_LOG_TEXT_SIZE] = {};
};

// The event log's title line for a time: "[YYYY.MM.DD,hh:mm] text"; false
// when the time cannot be turned into a local time.
bool FormatEventLogLine(uint32_t time, const char* text, std::string* out);

class CEventLogWindow : public CBaseWindow, public IEventLogWindow {
public:
    CEventLogWindow();
    ~CEventLogWindow() override;

    bool Create() override;
    bool Release() override;
    bool Draw() override;
    bool Update() override;
    bool OnControlEvent(int32_t button, int32_t x, int32_t y, CBaseWindow* control) override;
    bool OnMouseWheel(int32_t x, int32_t y, int32_t delta, CBaseWindow* control) override;
    bool OnMouseMove(int32_t button, int32_t x, int32_t y, CBaseWindow* control) override;
    // The mode: 1 free (close button), 2 docked (detach button), 4 detached
    // (detached button); another value changes nothing but the stored mode.
    bool SetStateValue(int32_t value) override;
    bool SetPosition(int32_t x, int32_t y) override;
    // The picture's bounds, or the frame's size while the picture is missing.
    bool UpdateRect() override;

    // ---- IEventLogWindow: the server's records ----
    void AddLine(uint8_t total, uint8_t count, const char (*texts)[RECORD_TEXT_SIZE],
                 const uint32_t* times) override;
    void SetKeyValueTable(uint8_t category, uint8_t count, const uint8_t* keys,
                          const uint8_t* values) override;
    void SetKeyValue(uint8_t category, uint8_t key, uint8_t value) override;

    void RebuildEntries();
    void RefreshCategory();
    void ShowEventTab();
    void ShowQuestTab();
    void NextCategory();
    // A click on the window outside its controls (window-relative point).
    void OnListClick(int32_t x, int32_t y);
    static int32_t SelectPane(int32_t x, int32_t y);
    // The entry now at the selected row is laid out when the list moved.
    void CheckListScroll();
    // The event tables, from the configured folder.
    void LoadTables();

    // ---- Read by tests ----
    uint32_t GetLineCount() const { return m_lineCount; }
    const EventLogLine& GetLine(uint32_t n) const { return m_lines[n < EVENT_LOG_MAX_LINES ? n : 0]; }
    const std::vector<EventLogEntry>& Entries(int category) const;
    // The entries of the current category on the current tab.
    std::vector<const EventLogEntry*> TabEntries() const;
    const std::vector<uint8_t>& Keys(int category) const;
    const std::vector<uint8_t>& Values(int category) const;
    int32_t GetCategory() const { return m_category; }
    int32_t GetTab() const { return m_tab; }
    int32_t GetSelectedRow() const { return m_selectedRow; }
    int32_t GetPane() const { return m_pane; }
    const CDataTable& TableA() const { return m_tableA; }
    const CDataTable& TableB() const { return m_tableB; }
    CScrollBar* GetScrollBar(int n) const;
    CBaseWindow* GetControl(const char* name) const;
    // The title as the list row shows it now.
    std::string ShownTitle(const EventLogEntry& entry, bool pointed) const;
    uint32_t GetTitleOffset() const { return m_titleOffset; }

private:
    struct Category {
        std::vector<uint8_t> keys, values;
        uint8_t changed = 0;
    };
    void CreateButtons();
    void CreateScrollBars();
    void CreateImages();
    void PlaceControls();
    void SwitchTab(int32_t tab);
    void LayoutDescription();
    void AskAgain(bool wholeLog);
    int32_t ListPosition() const;
    uint8_t PlayerClass() const;
    void DrawText(int32_t x, int32_t y, const char* text) const;
    void DrawList();
    void DrawLog();
    void StepTitle(const EventLogEntry& entry);

    EventLogLine m_lines[EVENT_LOG_MAX_LINES];
    uint32_t m_lineCount = 0;
    Category m_categories[EVENT_LOG_CATEGORIES];
    std::vector<EventLogEntry> m_entries[EVENT_LOG_CATEGORIES];
    CDataTable m_tableA, m_tableB;
    int32_t m_category = 1;
    int32_t m_tab = 0;
    int32_t m_selectedRow = -1;
    int32_t m_selectedListPosition = 0;
    int32_t m_pane = EVENT_LOG_PANE_NONE;
    uint32_t m_savedPositions[2] = {};
    uint32_t m_titleOffset = 0;
    uint32_t m_lastTitleStep = 0;
    uint32_t m_titleInterval = 100;
    // The server was asked again for the lines that came last.
    bool m_askedForBatch = false;
    std::string m_description;
    std::unique_ptr<CTextLineBuffer> m_layout;
    CWeakRef m_scrollBars[3];
    std::unique_ptr<CAniObject> m_categoryTitle, m_selectedMark, m_paneMark, m_rowMark;
};
