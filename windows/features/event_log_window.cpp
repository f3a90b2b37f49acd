#include "windows/features/event_log_window.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <ctime>

#include "anim/ani_object.h"
#include "anim/ani_play_mgr.h"
#include "core/config.h"
#include "core/util.h"
#include "data/file_resource.h"
#include "data/pack_archive.h"
#include "data/text_tables.h"
#include "graphics/direct_draw.h"
#include "graphics/rich_text.h"
#include "graphics/text_renderer.h"
#include "net/game_session.h"
#include "platform/clock.h"
#include "platform/codepage.h"
#include "ui/button.h"
#include "ui/scroll_bar.h"
#include "ui/window_mgr.h"
#include "windows/features/feature_parts.h"
#include "world/chars/char.h"
#include "world/chars/char_mgr.h"

namespace {

constexpr int kTexts = 14;
constexpr int kTipRows[3] = {147, 148, 149};

constexpr char kDetach[] = "EVENTLOG_DETACH_BUTTON";
constexpr char kDetached[] = "EVENTLOG_DETACHED_BUTTON";
constexpr char kClose[] = "EVENTLOG_CLOSE_BUTTON";
constexpr char kEventOn[] = "EVENTLOG_EVENT_ON_BUTTON";
constexpr char kEventOff[] = "EVENTLOG_EVENT_OFF_BUTTON";
constexpr char kQuestOn[] = "EVENTLOG_QUEST_ON_BUTTON";
constexpr char kQuestOff[] = "EVENTLOG_QUEST_OFF_BUTTON";
constexpr char kEpisode[] = "EVENTLOG_EPOISODE_BUTTON";
constexpr const char* kScrollBars[3] = {"EVENTLOGWIN_SCROLLBAR_01", "EVENTLOGWIN_SCROLLBAR_02",
                                        "EVENTLOGWIN_SCROLLBAR_03"};
// The scroll bars' places (window-relative): list, description, log.
constexpr WindowRect kBarRects[3] = {{191, 61, 202, 205}, {375, 61, 386, 205}, {375, 215, 386, 279}};
// Where the mouse gives the wheel to a bar while over it.
constexpr WindowRect kBarHover[3] = {{188, 59, 205, 206}, {372, 59, 390, 206}, {372, 211, 390, 280}};

// Event table columns.
constexpr int kColCategory = 0, kColKind = 1, kColClass = 2, kColKey = 3, kColLow = 4, kColHigh = 5,
              kColTitle = 6, kColDescription = 7;
constexpr char kLongTitleTail[] = " *** ";

constexpr int32_t kListX = 8, kListY = 66, kRowStep = 29;
constexpr int32_t kDescriptionX = 214, kDescriptionY = 64;
constexpr int32_t kLogX = 32, kLogY = 218, kLogStep = 15;
constexpr int32_t kTitleHoverLeft = 5, kTitleHoverRight = 186;
constexpr uint32_t kWhite = 0xFFFFFF;
constexpr uint8_t kShadow = 2;

void ShowIf(CBaseWindow* control, bool on) {
    if (!control) return;
    if (on)
        control->Show();
    else
        control->Hide();
}

bool Inside(const WindowRect& r, int32_t x, int32_t y) {
    return r.Contains(x, y);
}

// A quest table from the configured folder; one that cannot be read is empty.
bool LoadQuestTable(int number, CDataTable& table) {
    table.Release();
    char name[16];
    std::snprintf(name, sizeof name, "%4d", number);
    SpacesToZeros(name);
    const std::string path = g_config.m_folders[FOLDER_QUESTLOG] + "\\" + name + ".QEL";
    CFileResource file;
    if (!file.OpenFile(path.c_str(), kFileStream, "rb", g_bUsePackFile, g_pPackFile)) return false;
    const bool ok = table.ReadTableBinary(file);
    file.CloseFile();
    return ok;
}

}  // namespace

bool FormatEventLogLine(uint32_t time, const char* text, std::string* out) {
    const std::time_t seconds = std::time_t(time);
    const std::tm* local = std::localtime(&seconds);
    if (!local) return false;
    char stamp[64];
    std::snprintf(stamp, sizeof stamp, "[%4d.%2d.%2d,%2d:%2d]", local->tm_year + 1900, local->tm_mon + 1,
                  local->tm_mday, local->tm_hour, local->tm_min);
    SpacesToZeros(stamp);
    *out = std::string(stamp) + " " + (text ? text : "");
    return true;
}

CEventLogWindow::CEventLogWindow() {
    CEventLogWindow::Create();
}

CEventLogWindow::~CEventLogWindow() {
    CEventLogWindow::Release();
}

bool CEventLogWindow::Create() {
    CBaseWindow::Create();
    m_keepOnScreen = 0;
    m_draggable = 1;
    const uint32_t image = FindAniByName(EVENT_LOG_WINDOW_NAME);
    CreateNamedWithAni(WINDOW_DRAG_TYPE, EVENT_LOG_WINDOW_NAME, image, image == 0);
    if (CAniObject* picture = GetAniObject()) {
        picture->SetMotion(4);
        picture->SetDirection(2);
        picture->SetUnderlay(false);
    }
    SetKindId(0);
    m_category = 1;
    m_tab = 0;
    m_selectedRow = -1;
    m_pane = EVENT_LOG_PANE_NONE;
    for (auto& entries : m_entries) entries.clear();
    CreateButtons();
    CreateImages();
    CreateScrollBars();
    LoadTables();
    CEventLogWindow::SetPosition(0, 0);
    m_layout = std::make_unique<CTextLineBuffer>();
    m_layout->Init();
    m_titleOffset = 0;
    m_lastTitleStep = 0;
    m_titleInterval = 100;
    for (EventLogLine& line : m_lines) line = EventLogLine{};
    m_lineCount = 0;
    for (Category& c : m_categories) c = Category{};
    m_savedPositions[0] = m_savedPositions[1] = 0;
    m_askedForBatch = false;
    return true;
}

bool CEventLogWindow::Release() {
    m_layout.reset();
    for (auto& entries : m_entries) entries.clear();
    for (Category& c : m_categories) c = Category{};
    m_categoryTitle.reset();
    m_selectedMark.reset();
    m_paneMark.reset();
    m_rowMark.reset();
    m_tableA.Release();
    m_tableB.Release();
    return CBaseWindow::Release();
}

void CEventLogWindow::LoadTables() {
    // Without the first table the second is not read either.
    m_tableB.Release();
    if (LoadQuestTable(EVENT_LOG_TABLE_A, m_tableA)) LoadQuestTable(EVENT_LOG_TABLE_B, m_tableB);
}

void CEventLogWindow::CreateButtons() {
    const uint32_t icons = FindAniByName("CommonIcons");
    const char* frame[3] = {kDetach, kDetached, kClose};
    const uint8_t frameMotions[3] = {7, 0, 1};
    for (int i = 0; i < 3; ++i) {
        CButton* button = MakeChildButton(frame[i], this, icons, frameMotions[i]);
        if (!button) continue;
        button->SetToolTip(true, GetTableText(kTexts, kTipRows[i]), WINDOW_TOOLTIP_PARAM);
        if (i > 0) button->Hide();
    }
    const uint32_t own = FindAniByName(EVENT_LOG_WINDOW_NAME);
    MakeChildButton(kEventOn, this, own, 5);
    MakeChildButton(kEventOff, this, own, 7);
    MakeChildButton(kQuestOn, this, own, 6);
    MakeChildButton(kQuestOff, this, own, 8);
    MakeChildButton(kEpisode, this, own, 1);
    // The event tab is shown.
    ShowIf(GetControl(kEventOff), false);
    ShowIf(GetControl(kQuestOn), false);
}

void CEventLogWindow::CreateScrollBars() {
    for (int n = 0; n < 3; ++n) {
        const std::string suffix = std::to_string(n + 1);
        const std::string up = "CHAT_WIN_SCROLL_BUTTON_UP" + suffix,
                          down = "CHAT_WIN_SCROLL_BUTTON_DN" + suffix,
                          drag = "CHAT_WIN_SCROLL_BUTTON_DRAG" + suffix;
        CScrollBar* bar = MakeChildScrollBar(this, kScrollBars[n], {up.c_str(), down.c_str(), drag.c_str()});
        if (bar) bar->SetMaximum(0);
        m_scrollBars[n].Assign(bar);
    }
}

void CEventLogWindow::CreateImages() {
    m_categoryTitle = MakeFeatureImage(EVENT_LOG_WINDOW_NAME, uint8_t(9 + m_category), 2);
    m_selectedMark = MakeFeatureImage(EVENT_LOG_WINDOW_NAME, 2, 2);
    m_paneMark = MakeFeatureImage(EVENT_LOG_WINDOW_NAME, 15, 2);
    m_rowMark = MakeFeatureImage(EVENT_LOG_WINDOW_NAME, 0, 2);
}

CScrollBar* CEventLogWindow::GetScrollBar(int n) const {
    return n >= 0 && n < 3 ? m_scrollBars[n].GetAs<CScrollBar>() : nullptr;
}

CBaseWindow* CEventLogWindow::GetControl(const char* name) const {
    for (const CWeakRef& ref : ChildSnapshot()) {
        auto* child = ref.GetAs<CBaseWindow>();
        if (child && std::strcmp(child->GetName(), name) == 0) return child;
    }
    return nullptr;
}

void CEventLogWindow::PlaceControls() {
    struct Place {
        const char* name;
        int32_t x, y;
    };
    for (const Place& p :
         {Place{kDetach, 371, 5}, Place{kDetached, 371, 5}, Place{kClose, 371, 5}, Place{kEventOn, 4, 25},
          Place{kEventOff, 4, 25}, Place{kQuestOn, 40, 25}, Place{kQuestOff, 40, 25}, Place{kEpisode, 7, 43}})
        if (CBaseWindow* control = GetControl(p.name)) control->SetPosition(m_x + p.x, m_y + p.y);
    for (int n = 0; n < 3; ++n)
        if (CScrollBar* bar = GetScrollBar(n)) {
            const WindowRect& r = kBarRects[n];
            bar->SetBarRect(m_x + r.left, m_y + r.top, m_x + r.right, m_y + r.bottom);
        }
}

bool CEventLogWindow::SetPosition(int32_t x, int32_t y) {
    CBaseWindow::SetPosition(x, y);
    PlaceControls();
    return true;
}

bool CEventLogWindow::UpdateRect() {
    if (GetAniObject()) return CBaseWindow::UpdateRect();
    m_rect = WindowRect{m_x, m_y, m_x + EVENT_LOG_WIDTH - 1, m_y + EVENT_LOG_HEIGHT - 1};
    return true;
}

bool CEventLogWindow::SetStateValue(int32_t value) {
    if (value == WINDOW_STATE_FREE || value == WINDOW_STATE_DOCKED || value == WINDOW_STATE_DETACHED) {
        ShowIf(GetControl(kClose), value == WINDOW_STATE_FREE);
        ShowIf(GetControl(kDetach), value == WINDOW_STATE_DOCKED);
        ShowIf(GetControl(kDetached), value == WINDOW_STATE_DETACHED);
        m_keepOnScreen = value == WINDOW_STATE_DOCKED ? 0 : 1;
    }
    return CBaseWindow::SetStateValue(value);
}

// ---- The server's records ----

void CEventLogWindow::AskAgain(bool wholeLog) {
    CGameSession& session = GameSession();
    session.SendEventLogRequest3(0);
    if (!wholeLog) {
        session.SendEventLogCategoryRequest(uint8_t(m_category));
        return;
    }
    for (uint8_t c = 0; c < EVENT_LOG_CATEGORIES; ++c) session.SendEventLogCategoryRequest(c);
}

void CEventLogWindow::AddLine(uint8_t total, uint8_t count, const char (*texts)[RECORD_TEXT_SIZE],
                              const uint32_t* times) {
    if (total == 0) return;
    // A batch holds at most the log's lines.
    const uint32_t n = std::min<uint32_t>(count, EVENT_LOG_MAX_LINES);
    auto copy = [&](uint32_t slot, uint32_t i) {
        m_lines[slot] = EventLogLine{};
        m_lines[slot].time = times ? times[i] : 0;
        if (texts) {
            const std::string text(texts[i], strnlen(texts[i], RECORD_TEXT_SIZE));
            CopyRecordText(m_lines[slot].text, text.c_str());
        }
    };
    m_askedForBatch = false;
    if (n == total) {
        for (uint32_t i = 0; i < n; ++i) copy(i, i);
        for (uint32_t i = n; i < EVENT_LOG_MAX_LINES; ++i) m_lines[i] = EventLogLine{};
        m_lineCount = n;
    } else {
        if (m_lineCount + n > EVENT_LOG_MAX_LINES) {
            const uint32_t keep = EVENT_LOG_MAX_LINES - n;
            const uint32_t drop = m_lineCount - keep;
            std::move(m_lines + drop, m_lines + m_lineCount, m_lines);
            m_lineCount = keep;
        }
        bool undated = false;
        for (uint32_t i = 0; i < n; ++i) {
            copy(m_lineCount + i, i);
            if (m_lines[m_lineCount + i].time == 0) undated = true;
        }
        m_lineCount += n;
        // Once for the batch, however many of its lines lack a time.
        if (undated) {
            AskAgain(false);
            m_askedForBatch = true;
        }
        if (m_lineCount != total) AskAgain(true);
    }
    if (CScrollBar* bar = GetScrollBar(2))
        bar->SetMaximum(std::max(int32_t(m_lineCount) - EVENT_LOG_LOG_LINES, 0));
}

void CEventLogWindow::SetKeyValueTable(uint8_t category, uint8_t count, const uint8_t* keys,
                                       const uint8_t* values) {
    if (count == 0 || category >= EVENT_LOG_CATEGORIES || !keys || !values) return;
    Category& c = m_categories[category];
    c.keys.assign(keys, keys + count);
    c.values.assign(values, values + count);
    c.changed = 1;
}

void CEventLogWindow::SetKeyValue(uint8_t category, uint8_t key, uint8_t value) {
    if (category >= EVENT_LOG_CATEGORIES) return;
    Category& c = m_categories[category];
    const auto at = std::find(c.keys.begin(), c.keys.end(), key);
    if (at != c.keys.end()) {
        c.values[size_t(at - c.keys.begin())] = value;
    } else {
        c.keys.push_back(key);
        c.values.push_back(value);
    }
    c.changed = 1;
}

// ---- Entries ----

uint8_t CEventLogWindow::PlayerClass() const {
    CChar* player = g_pCharMgr ? g_pCharMgr->GetPlayer() : nullptr;
    return player ? uint8_t(GetCharTypeIndex(player->m_resourceId)) : 0;
}

void CEventLogWindow::RebuildEntries() {
    const uint8_t playerClass = PlayerClass();
    for (int category = 0; category < EVENT_LOG_CATEGORIES; ++category) {
        Category& c = m_categories[category];
        if (!c.changed) continue;
        std::vector<EventLogEntry>& entries = m_entries[category];
        entries.clear();
        c.changed = 0;
        for (size_t i = 0; i < c.keys.size(); ++i) {
            for (const CDataTable* table : {&m_tableA, &m_tableB}) {
                for (int row = 0; row < table->GetRowCount(); ++row) {
                    const uint32_t rowClass = table->GetInt(kColClass, row);
                    if (table->GetInt(kColCategory, row) != uint32_t(category) ||
                        (rowClass != EVENT_LOG_EVERY_CLASS && rowClass != playerClass) ||
                        table->GetInt(kColKey, row) != c.keys[i] ||
                        table->GetInt(kColLow, row) > c.values[i] ||
                        c.values[i] > table->GetInt(kColHigh, row))
                        continue;
                    EventLogEntry entry;
                    const char* title = table->GetText(kColTitle, row);
                    const char* description = table->GetText(kColDescription, row);
                    entry.title = title ? title : "";
                    if (entry.title.size() > EVENT_LOG_TITLE_WIDTH) {
                        entry.longTitle = 1;
                        entry.title += kLongTitleTail;
                    }
                    entry.description = description ? description : "";
                    entry.kind = uint8_t(table->GetInt(kColKind, row));
                    entries.push_back(std::move(entry));
                }
            }
        }
        if (category == m_category) {
            m_selectedRow = -1;
            RefreshCategory();
            m_titleOffset = 0;
        }
    }
}

const std::vector<EventLogEntry>& CEventLogWindow::Entries(int category) const {
    return m_entries[category >= 0 && category < EVENT_LOG_CATEGORIES ? category : 0];
}

const std::vector<uint8_t>& CEventLogWindow::Keys(int category) const {
    return m_categories[category >= 0 && category < EVENT_LOG_CATEGORIES ? category : 0].keys;
}

const std::vector<uint8_t>& CEventLogWindow::Values(int category) const {
    return m_categories[category >= 0 && category < EVENT_LOG_CATEGORIES ? category : 0].values;
}

std::vector<const EventLogEntry*> CEventLogWindow::TabEntries() const {
    std::vector<const EventLogEntry*> out;
    for (const EventLogEntry& e : m_entries[m_category])
        if ((e.kind == 0) == (m_tab == 0)) out.push_back(&e);
    return out;
}

int32_t CEventLogWindow::ListPosition() const {
    CScrollBar* bar = GetScrollBar(0);
    return bar ? std::clamp(int32_t(bar->GetScrollPos() + 0.5f), 0, std::max(bar->GetMaximum(), 0)) : 0;
}

void CEventLogWindow::LayoutDescription() {
    m_description.clear();
    const std::vector<const EventLogEntry*> entries = TabEntries();
    const int32_t index = ListPosition() + m_selectedRow;
    if (m_selectedRow >= 0 && index >= 0 && index < int32_t(entries.size()))
        m_description = entries[size_t(index)]->description;
    int32_t lines = 0;
    if (m_layout && !m_description.empty())
        lines = m_layout->CountLines(m_description.c_str(), EVENT_LOG_DESCRIPTION_COLUMNS, false);
    if (CScrollBar* bar = GetScrollBar(1)) {
        bar->SetMaximum(std::max(lines - EVENT_LOG_DESCRIPTION_LINES, 0));
        bar->SetScrollPos(0);
    }
    m_selectedListPosition = ListPosition();
}

void CEventLogWindow::RefreshCategory() {
    if (CScrollBar* bar = GetScrollBar(0)) {
        bar->SetMaximum(std::max(int32_t(TabEntries().size()) - EVENT_LOG_LIST_ROWS, 0));
        bar->SetScrollPos(0);
    }
    LayoutDescription();
}

void CEventLogWindow::SwitchTab(int32_t tab) {
    m_savedPositions[m_tab] = uint32_t(ListPosition());
    m_tab = tab;
    ShowIf(GetControl(kEventOn), tab == 0);
    ShowIf(GetControl(kEventOff), tab != 0);
    ShowIf(GetControl(kQuestOn), tab != 0);
    ShowIf(GetControl(kQuestOff), tab == 0);
    m_selectedRow = -1;
    RefreshCategory();
    if (CScrollBar* bar = GetScrollBar(0)) bar->SetScrollPos(float(m_savedPositions[tab]));
    m_selectedListPosition = ListPosition();
}

void CEventLogWindow::ShowEventTab() {
    if (m_tab != 0) SwitchTab(0);
}

void CEventLogWindow::ShowQuestTab() {
    if (m_tab == 0) SwitchTab(1);
}

void CEventLogWindow::NextCategory() {
    m_category = (m_category + 1) % EVENT_LOG_CATEGORIES;
    if (m_categoryTitle) m_categoryTitle->SetMotion(uint8_t(9 + m_category));
    m_selectedRow = -1;
    m_titleOffset = 0;
    RefreshCategory();
}

int32_t CEventLogWindow::SelectPane(int32_t x, int32_t y) {
    if (x > 4 && x < 205 && y > 36 && y < 208) return EVENT_LOG_PANE_LIST;
    if (x > 209 && x < 389 && y > 36 && y < 208) return EVENT_LOG_PANE_DESCRIPTION;
    if (x > 28 && x < 386 && y > 215 && y < 279) return EVENT_LOG_PANE_LOG;
    return EVENT_LOG_PANE_NONE;
}

void CEventLogWindow::OnListClick(int32_t x, int32_t y) {
    m_pane = SelectPane(x, y);
    if (m_pane == EVENT_LOG_PANE_NONE) {
        m_selectedRow = -1;
        return;
    }
    if (m_pane != EVENT_LOG_PANE_LIST) return;
    for (int32_t k = 0; k < EVENT_LOG_LIST_ROWS; ++k) {
        if (y <= 60 + kRowStep * k || y >= 87 + kRowStep * k) continue;
        if (k != m_selectedRow) {
            m_selectedRow = k;
            LayoutDescription();
        }
        return;
    }
}

void CEventLogWindow::CheckListScroll() {
    if (m_selectedRow >= 0 && ListPosition() != m_selectedListPosition) LayoutDescription();
}

// ---- Input ----

bool CEventLogWindow::OnControlEvent(int32_t button, int32_t x, int32_t y, CBaseWindow* control) {
    if (!control) {
        UpdateRect();
        if (button == 0 && IsInputOn() && HitTest(x, y)) OnListClick(x - m_x, y - m_y);
        return CBaseWindow::OnControlEvent(button, x, y, nullptr);
    }
    if (button != 0 || !control->IsInputOn() || !IsClickOn(control, x, y))
        return control->OnControlEvent(button, x, y, nullptr);
    const char* name = control->GetName();
    auto is = [name](const char* other) { return std::strcmp(name, other) == 0; };
    if (is(kDetach)) {
        if (GetStateValue() == WINDOW_STATE_DOCKED) SetStateValue(WINDOW_STATE_DETACHED);
    } else if (is(kDetached)) {
        if (GetStateValue() == WINDOW_STATE_DETACHED) SetStateValue(WINDOW_STATE_DOCKED);
    } else if (is(kClose)) {
        Hide();
        SetActive(false, false);
    } else if (is(kEventOff)) {
        ShowEventTab();
    } else if (is(kQuestOff)) {
        ShowQuestTab();
    } else if (is(kEpisode)) {
        NextCategory();
    } else {
        return control->OnControlEvent(button, x, y, nullptr);
    }
    return false;
}

bool CEventLogWindow::OnMouseWheel(int32_t x, int32_t y, int32_t delta, CBaseWindow* control) {
    if (!control) return CBaseWindow::OnMouseWheel(x, y, delta, nullptr);
    // One bar takes the wheel: the one under the mouse, else the chosen pane's.
    const int32_t lx = WindowMouseX() - m_x, ly = WindowMouseY() - m_y;
    int32_t target = m_pane;
    for (int n = 0; n < 3; ++n)
        if (Inside(kBarHover[n], lx, ly)) target = n;
    CScrollBar* bar = GetScrollBar(target);
    if (!bar || control != bar) return true;
    bar->SetScrollPos(bar->GetScrollPos() - float(delta) * bar->GetStep());
    return false;
}

bool CEventLogWindow::OnMouseMove(int32_t button, int32_t x, int32_t y, CBaseWindow* control) {
    if (control && !ScrollBarTakesMove(control)) return true;
    return CBaseWindow::OnMouseMove(button, x, y, control);
}

// ---- Frame ----

bool CEventLogWindow::Update() {
    CWeakRef self(this);
    CBaseWindow::Update();
    if (!self || !IsUpdateOn()) return true;
    RebuildEntries();
    CheckListScroll();
    return true;
}

std::string CEventLogWindow::ShownTitle(const EventLogEntry& entry, bool pointed) const {
    if (!entry.longTitle) return entry.title;
    const std::string& full = entry.title;  // with its " *** " tail
    if (!pointed) {
        const size_t head = plat::DbcsPrefixLength(full, EVENT_LOG_TITLE_WIDTH);
        return full.substr(0, head) + "...";
    }
    const std::string twice = full + full;
    const size_t from = std::min<size_t>(m_titleOffset, full.size());
    const size_t length = plat::DbcsPrefixLength(std::string_view(twice).substr(from), EVENT_LOG_TITLE_WIDTH);
    return twice.substr(from, length);
}

void CEventLogWindow::StepTitle(const EventLogEntry& entry) {
    const uint32_t now = plat::timeGetTime();
    if (now - m_lastTitleStep < m_titleInterval) return;
    m_lastTitleStep = now;
    const std::string& full = entry.title;
    if (m_titleOffset >= full.size()) {
        m_titleOffset = 0;
        return;
    }
    const char* at = full.c_str() + m_titleOffset;
    m_titleOffset = uint32_t(plat::CharNextA(at) - full.c_str());
    if (m_titleOffset >= full.size()) m_titleOffset = 0;
}

void CEventLogWindow::DrawText(int32_t x, int32_t y, const char* text) const {
    if (g_pTextRenderer && g_pDirectDraw && text && text[0])
        g_pTextRenderer->DrawString(g_pDirectDraw->GetRenderSurface(), m_x + x, m_y + y, text, 0, kWhite,
                                    kShadow, true);
}

void CEventLogWindow::DrawList() {
    const std::vector<const EventLogEntry*> entries = TabEntries();
    const int32_t top = ListPosition();
    const int32_t mx = WindowMouseX() - m_x, my = WindowMouseY() - m_y;
    for (int32_t k = 0; k < EVENT_LOG_LIST_ROWS; ++k) {
        const int32_t index = top + k;
        if (index >= int32_t(entries.size())) break;
        DrawFeatureImage(m_rowMark.get(), m_x + 2, m_y + 59 + kRowStep * k);
        const EventLogEntry& entry = *entries[size_t(index)];
        const bool pointed = entry.longTitle && mx > kTitleHoverLeft && mx < kTitleHoverRight &&
                             my > 60 + kRowStep * k && my < 87 + kRowStep * k;
        if (pointed) StepTitle(entry);
        DrawText(kListX, kListY + kRowStep * k, ShownTitle(entry, pointed).c_str());
    }
}

void CEventLogWindow::DrawLog() {
    CScrollBar* bar = GetScrollBar(2);
    const int32_t top =
        bar ? std::clamp(int32_t(bar->GetScrollPos() + 0.5f), 0, std::max(bar->GetMaximum(), 0)) : 0;
    for (int32_t k = 0; k < EVENT_LOG_LOG_LINES; ++k) {
        const uint32_t n = uint32_t(top + k);
        if (n >= m_lineCount) break;
        const EventLogLine& line = m_lines[n];
        if (line.time == 0) continue;
        std::string shown;
        if (!FormatEventLogLine(line.time, line.text, &shown)) {
            // Asked once for the lines that came last, not every frame.
            if (!m_askedForBatch) {
                AskAgain(false);
                m_askedForBatch = true;
            }
            return;
        }
        DrawText(kLogX, kLogY + kLogStep * k, shown.c_str());
    }
}

bool CEventLogWindow::Draw() {
    if (!IsDrawOn()) return true;
    CWeakRef self(this);
    CBaseWindow::Draw();
    if (!self) return true;
    DrawFeatureImage(m_categoryTitle.get(), m_x + 70, m_y + 43);
    if (m_paneMark && m_pane != EVENT_LOG_PANE_NONE) {
        const uint8_t directions[3] = {2, 14, 0};
        const int32_t xs[3] = {4, 209, 4}, ys[3] = {58, 58, 212};
        m_paneMark->SetDirection(directions[m_pane]);
        DrawFeatureImage(m_paneMark.get(), m_x + xs[m_pane], m_y + ys[m_pane]);
    }
    if (m_selectedRow >= 0)
        DrawFeatureImage(m_selectedMark.get(), m_x + 5, m_y + 60 + kRowStep * m_selectedRow);
    DrawList();
    if (m_layout && !m_description.empty()) {
        CScrollBar* bar = GetScrollBar(1);
        const int32_t first = bar ? int32_t(bar->GetScrollPos() + 0.5f) : 0;
        m_layout->DrawLines(first, m_x + kDescriptionX, m_y + kDescriptionY, EVENT_LOG_DESCRIPTION_COLUMNS,
                            EVENT_LOG_DESCRIPTION_LINES, m_description.c_str(), 0, false, 0, 0);
    }
    DrawLog();
    return true;
}
