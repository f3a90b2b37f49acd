#include "windows/play/skill_window.h"

#include <algorithm>
#include <cstdio>
#include <utility>

#include "anim/ani_object.h"
#include "anim/ani_play_mgr.h"
#include "core/config.h"
#include "core/input_mgr.h"
#include "data/data_table.h"
#include "data/skill_table_mgr.h"
#include "data/text_format.h"
#include "data/text_tables.h"
#include "graphics/direct3d.h"
#include "graphics/direct_draw.h"
#include "graphics/display_settings.h"
#include "graphics/text_renderer.h"
#include "net/game_session.h"
#include "platform/keyboard.h"
#include "ui/button.h"
#include "ui/scroll_bar.h"
#include "ui/ui_services.h"
#include "ui/window_messages.h"
#include "ui/window_mgr.h"
#include "windows/play/play_windows.h"
#include "windows/play/quick_slot_window.h"
#include "world/chars/char.h"
#include "world/chars/char_controller.h"
#include "world/chars/hud_windows.h"
#include "world/chars/skill_action.h"

namespace {

constexpr int kTipTable = 14;
constexpr int kUntitledRow = 105, kLastLevelRow = 106, kNextLevelRow = 107, kLearnableRow = 109,
              kBlockedRow = 110, kAttributesRow = 111, kFirstAttributeRow = 112, kNoAttributeRow = 119,
              kRequiredLevelRow = 120, kPrerequisitesRow = 121, kExclusionsRow = 122;
constexpr uint8_t kLevelUpMotion = 8, kSectionUpMotion = 1, kSectionDownMotion = 2, kLevelLeftMotion = 5,
                  kLevelRightMotion = 4;
// Row images: (motion, direction) of the blocked, learnable and selected row
// backgrounds, the icon frame and the selected icon frame.
constexpr uint8_t kRowImages[5][2] = {{3, 2}, {3, 0}, {3, 14}, {7, 2}, {7, 0}};
enum { kBlockedRowImage, kLearnableRowImage, kSelectedRowImage, kFrameImage, kSelectedFrameImage };
constexpr int32_t kRowStep = 29;
constexpr float kRowScale = 1.0f / 29.0f;
constexpr uint32_t kWhite = 0xFFFFFF, kBlack = 0, kLearnableColour = 0xFF0000, kBlockedColour = 0x0000FF;
constexpr uint32_t kHelpFill = 0x80000000;
constexpr int32_t kHelpWidth = 30, kHelpLines = 100, kHelpLineHeight = 13, kDescriptionLineHeight = 13;

bool ButtonHeld() {
    return g_pInputMgr && g_pInputMgr->IsButtonHeld(0);
}

bool CtrlHeld() {
    return plat::GetAsyncKeyState(plat::VK_CONTROL) < 0;
}

std::unique_ptr<CAniObject> Icon(uint16_t animation, uint16_t motion, uint8_t direction) {
    return animation ? MakeWindowImage(animation, uint8_t(motion), direction) : nullptr;
}

std::unique_ptr<CAniObject> SkillIcon(int32_t row) {
    uint16_t animation = 0, motion = 0;
    uint8_t direction = 0;
    if (g_pSkillTableMgr) g_pSkillTableMgr->GetResourceRef12(row, &animation, &motion, &direction);
    return Icon(animation, motion, direction);
}

void DrawAt(CAniObject* image, int32_t x, int32_t y) {
    if (!image) return;
    image->SetScreenPosition(x, y, 0);
    image->Draw();
}

void DrawFontText(int32_t x, int32_t y, const std::string& text, int font, uint32_t colour) {
    if (text.empty() || !g_pTextRenderer || !g_pDirectDraw) return;
    g_pTextRenderer->DrawString(g_pDirectDraw->GetRenderSurface(), x, y, text.c_str(), font, colour, 1, true);
}

std::string Unsigned(const char* format, uint32_t value) {
    char text[32];
    std::snprintf(text, sizeof text, format, value);
    return text;
}

// "Inactive": drawn, taking no input.
void ShowInactive(CBaseWindow* control) {
    if (!control) return;
    control->Hide();
    control->SetDrawOn(true);
}

// The headed list of prerequisite or excluding skills of an unlearned skill.
void AppendSkillPairs(std::string& text, int headingRow, const uint32_t ids[3], const uint8_t levels[3]) {
    text += "\\n\\n\\c200200255";
    text += GetTableText(kTipTable, headingRow);
    for (int n = 0; n < 3; ++n) {
        // The bare base id stands for no skill.
        if (ids[n] == 0 || ids[n] == SKILL_ID_BASE) continue;
        const char* name = g_pSkillTableMgr->GetName(SkillIdToRow(ids[n]));
        text += "\\n\\c255255000";
        text += name ? name : "";
        text += "(" + std::to_string(int(levels[n])) + ")";
    }
}

}  // namespace

CSkillWindow::CSkillWindow() {
    CSkillWindow::Create();
}

CSkillWindow::~CSkillWindow() {
    CSkillWindow::Release();
}

bool CSkillWindow::Create() {
    CBaseWindow::Create();
    const uint32_t image = CreatePanelWindow(this, SKILL_WINDOW_NAME, SKILL_WINDOW_PICTURE_NAME);
    m_keepOnScreen = 0;
    m_sections = std::make_unique<Section[]>(SKILL_WINDOW_SECTIONS);
    m_sectionCount = 0;
    m_currentSection = -1;
    m_selected = -1;
    m_firstSection = 0;
    m_listBuilt = 0;
    m_titleButtons.Make(this, "SKILL_WIN_");
    m_listBar = MakeChildScrollBar(this, "SKILL_WIN_01_SCROLLBAR",
                                   {"SKILL_WIN_01_SCROLL_BUTTON_UP", "SKILL_WIN_01_SCROLL_BUTTON_DN",
                                    "SKILL_WIN_01_SCROLL_BUTTON_DRAG"});
    m_descriptionBar = MakeChildScrollBar(this, "SKILL_WIN_02_SCROLLBAR",
                                          {"SKILL_WIN_02_SCROLL_BUTTON_UP", "SKILL_WIN_02_SCROLL_BUTTON_DN",
                                           "SKILL_WIN_02_SCROLL_BUTTON_DRAG"});
    for (CScrollBar* bar : {m_listBar, m_descriptionBar})
        if (bar) bar->SetMaximum(1);
    for (int32_t i = 0; i < SKILL_WINDOW_ROWS; ++i) {
        m_levelUp[i] = MakeChildButton("SKILL_WIN_LVUP_BUTTON", this, image, kLevelUpMotion);
        if (m_levelUp[i]) {
            m_levelUp[i]->SetKindId(uint32_t(i));
            m_levelUp[i]->Hide();
        }
    }
    m_sectionArrows[0] =
        MakeChildButton("SKILL_WIN_SECTION_SEL_ARROW_UP_BUTTON", this, image, kSectionUpMotion);
    m_sectionArrows[1] =
        MakeChildButton("SKILL_WIN_SECTION_SEL_ARROW_DOWN_BUTTON", this, image, kSectionDownMotion);
    m_levelArrows[0] =
        MakeChildButton("SKILL_WIN_LEVEL_SEL_ARROW_LEFT_BUTTON", this, image, kLevelLeftMotion);
    m_levelArrows[1] =
        MakeChildButton("SKILL_WIN_LEVEL_SEL_ARROW_RIGHT_BUTTON", this, image, kLevelRightMotion);
    for (int i = 0; i < 5; ++i)
        m_rowImages[i] = image ? MakeWindowImage(image, kRowImages[i][0], kRowImages[i][1]) : nullptr;
    SetPosition(0, 0);
    m_currentSection = 0;
    m_selected = -1;
    m_title = GetTableText(kTipTable, kUntitledRow);
    Refresh();
    return true;
}

bool CSkillWindow::Release() {
    for (auto& image : m_rowImages) image.reset();
    m_sections.reset();
    m_sectionCount = 0;
    return CBaseWindow::Release();
}

bool CSkillWindow::UpdateRect() {
    if (m_pAniObject) return CBaseWindow::UpdateRect();
    m_rect = WindowRect{m_x, m_y, m_x + SKILL_WINDOW_WIDTH, m_y + SKILL_WINDOW_HEIGHT};
    return true;
}

bool CSkillWindow::Show() {
    if (IsDrawOn() && IsUpdateOn() && IsInputOn()) return true;
    CBaseWindow::Show();
    if (!g_config.m_useServer) Refresh();
    return true;
}

bool CSkillWindow::Hide() {
    CBaseWindow::Hide();
    SetStateValue(WINDOW_STATE_DOCKED);
    return true;
}

bool CSkillWindow::SetStateValue(int32_t value) {
    m_titleButtons.ShowForMode(this, value);
    return CBaseWindow::SetStateValue(value);
}

bool CSkillWindow::SetPosition(int32_t x, int32_t y) {
    CBaseWindow::SetPosition(x, y);
    m_titleButtons.Place(m_x + 351, m_y + 4);
    if (m_listBar) m_listBar->SetBarRect(m_x + 361, m_y + 31, m_x + 372, m_y + 205);
    if (m_descriptionBar) m_descriptionBar->SetBarRect(m_x + 361, m_y + 215, m_x + 372, m_y + 273);
    for (int32_t i = 0; i < SKILL_WINDOW_ROWS; ++i)
        if (m_levelUp[i]) m_levelUp[i]->SetPosition(m_x + 314, m_y + 50 + 28 * i);
    if (m_sectionArrows[0]) m_sectionArrows[0]->SetPosition(m_x + 6, m_y + 33);
    if (m_sectionArrows[1]) m_sectionArrows[1]->SetPosition(m_x + 6, m_y + 193);
    if (m_levelArrows[0]) m_levelArrows[0]->SetPosition(m_x + 38, m_y + 233);
    if (m_levelArrows[1]) m_levelArrows[1]->SetPosition(m_x + 80, m_y + 233);
    return true;
}

// ---- The list ----

uint32_t CSkillWindow::SectionId(int32_t section) const {
    return section >= 0 && section < m_sectionCount ? m_sections[size_t(section)].id : 0;
}

int32_t CSkillWindow::EntryCount(int32_t section) const {
    return section >= 0 && section < m_sectionCount ? m_sections[size_t(section)].count : 0;
}

int32_t CSkillWindow::EntryRow(int32_t section, int32_t entry) const {
    return entry >= 0 && entry < EntryCount(section) ? m_sections[size_t(section)].entries[entry].row : -1;
}

int32_t CSkillWindow::EntryLevel(int32_t section, int32_t entry) const {
    return entry >= 0 && entry < EntryCount(section) ? m_sections[size_t(section)].entries[entry].level : -1;
}

int32_t CSkillWindow::EntryLearned(int32_t section, int32_t entry) const {
    return entry >= 0 && entry < EntryCount(section) ? m_sections[size_t(section)].entries[entry].learned
                                                     : -1;
}

CSkillWindow::Entry* CSkillWindow::SelectedEntryPtr() {
    if (m_selected < 0 || m_selected >= EntryCount(m_currentSection)) return nullptr;
    return &m_sections[size_t(m_currentSection)].entries[m_selected];
}

int32_t CSkillWindow::ListPosition() const {
    return m_listBar ? int32_t(m_listBar->GetScrollPos()) : 0;
}

void CSkillWindow::Rebuild() {
    m_listBuilt = 0;
    Refresh();
}

void CSkillWindow::Refresh() {
    if (!m_listBuilt) BuildSkillList();
    if (m_currentSection == -1) m_currentSection = 0;
    SelectSection(m_currentSection, m_selected);
    ScrollSections(true);
}

void CSkillWindow::BuildSkillList() {
    if (!m_sections) return;
    for (int32_t s = 0; s < SKILL_WINDOW_SECTIONS; ++s) {
        Section& section = m_sections[size_t(s)];
        section.icon.reset();
        for (int32_t e = 0; e < section.count; ++e) section.entries[e] = Entry{};
        section.count = 0;
        section.id = 0;
    }
    m_listBuilt = 1;
    m_sectionCount = 0;
    CChar* player = PlayerChar();
    CCharData* data = PlayerData();
    if (data && g_pSkillTableMgr) {
        // The server's list may be longer than the window holds: the rest is left out.
        m_sectionCount = int32_t(std::min<size_t>(data->m_listB.size(), SKILL_WINDOW_SECTIONS));
        for (int32_t s = 0; s < m_sectionCount; ++s) {
            Section& section = m_sections[size_t(s)];
            section.id = data->m_listB[size_t(s)];
            uint16_t animation = 0, motion = 0;
            uint8_t direction = 0;
            if (g_pSkillTableMgr->GetSectionIcon(section.id, &animation, &motion, &direction))
                section.icon = Icon(animation, motion, direction);
        }
        for (int32_t i = 0; i < m_sectionCount; ++i)
            for (int32_t j = i + 1; j < m_sectionCount; ++j)
                if (m_sections[size_t(i)].id > m_sections[size_t(j)].id) {
                    std::swap(m_sections[size_t(i)].id, m_sections[size_t(j)].id);
                    std::swap(m_sections[size_t(i)].icon, m_sections[size_t(j)].icon);
                }
        const CDataTable* table = g_pSkillTableMgr->GetTable();
        const int32_t rows = table ? table->GetRowCount() : 0;
        for (int32_t row = 0; row < rows; ++row) {
            const uint32_t id = g_pSkillTableMgr->GetDword9(row, player, true);
            Section* section = nullptr;
            for (int32_t s = 0; s < m_sectionCount && !section; ++s)
                if (m_sections[size_t(s)].id == id) section = &m_sections[size_t(s)];
            if (!section) continue;
            if (g_config.m_useServer) {
                const uint32_t key = g_pSkillTableMgr->GetDword11(row);
                if (std::find(data->m_listA.begin(), data->m_listA.end(), key) == data->m_listA.end())
                    continue;
            } else if (!data->HasSkill(row)) {
                data->AddOrUpdateSkill(g_pSkillTableMgr->GetSkillId(row), 0, 0, 0);
            }
            if (section->count >= SKILL_WINDOW_SKILLS) continue;
            Entry& entry = section->entries[section->count++];
            entry.row = row;
            entry.level = int32_t(data->GetSkillLevel(row));
            entry.learned = int32_t(data->GetSkillValue(row));
            entry.icon = SkillIcon(row);
        }
    }
    m_currentSection = m_sectionCount > 0 ? std::clamp(m_currentSection, 0, m_sectionCount - 1) : 0;
    const int32_t count = EntryCount(m_currentSection);
    m_selected = count > 0 ? std::clamp(m_selected, 0, count - 1) : 0;
}

void CSkillWindow::OnSkillChanged(int32_t row, uint32_t level, uint32_t value) {
    for (int32_t s = 0; s < m_sectionCount; ++s)
        for (int32_t e = 0; e < m_sections[size_t(s)].count; ++e) {
            Entry& entry = m_sections[size_t(s)].entries[e];
            if (entry.row != row) continue;
            entry.level = int32_t(level);
            entry.learned = int32_t(value);
        }
}

void CSkillWindow::SelectSection(int32_t section, int32_t entry) {
    m_currentSection = section;
    const int32_t count = EntryCount(section);
    if (m_listBar) {
        m_listBar->SetMaximum(count - SKILL_WINDOW_ROWS);
        m_listBar->SetScrollPos(0);
    }
    const char* name = g_pSkillTableMgr ? g_pSkillTableMgr->GetSectionName(SectionId(section)) : nullptr;
    m_title = name ? name : GetTableText(kTipTable, kUntitledRow);
    m_selected = entry == -1 ? 0 : entry;
    UpdateDescription(m_selected);
}

void CSkillWindow::ScrollSections(bool up) {
    if (up) {
        if (m_firstSection > 0) {
            ShowControl(m_sectionArrows[1], true);
            --m_firstSection;
        }
        if (m_firstSection == 0) ShowControl(m_sectionArrows[0], false);
        return;
    }
    if (m_firstSection + SKILL_WINDOW_ROWS < m_sectionCount) {
        ShowControl(m_sectionArrows[0], true);
        ++m_firstSection;
    }
    if (m_firstSection + SKILL_WINDOW_ROWS == m_sectionCount) ShowControl(m_sectionArrows[1], false);
}

// ---- Hit tests ----

void CSkillWindow::HitPoint(int32_t& x, int32_t& y) const {
    if (ButtonHeld()) {
        x = m_x + m_pressX;
        y = m_y + m_pressY;
    } else {
        x = WindowMouseX();
        y = WindowMouseY();
    }
}

int32_t CSkillWindow::RowUnder(int32_t x, int32_t y) const {
    if (!(x > m_x + 50 && x < m_x + 307 && y > m_y + 46 && y < m_y + 190)) return -1;
    const int32_t row = int32_t(float(y - m_y - 46) * kRowScale);
    const int32_t entry = row + ListPosition();
    if (row >= SKILL_WINDOW_ROWS || entry < 0 || entry >= EntryCount(m_currentSection)) return -1;
    return entry;
}

int32_t CSkillWindow::SectionUnder(int32_t x, int32_t y) const {
    if (!(x > m_x + 8 && x < m_x + 34 && y > m_y + 48 && y < m_y + 190)) return -1;
    const int32_t row = int32_t(float(y - m_y - 48) * kRowScale);
    const int32_t index = m_firstSection + row;
    if (row >= SKILL_WINDOW_ROWS || index >= SKILL_WINDOW_SECTIONS || index >= m_sectionCount) return -1;
    return index;
}

int32_t CSkillWindow::HitTestSkillRow() {
    if (!IsDrawOn()) return -1;
    int32_t x = 0, y = 0;
    HitPoint(x, y);
    const int32_t entry = RowUnder(x, y);
    if (entry >= 0) m_selected = entry;
    return entry;
}

int32_t CSkillWindow::HitTestSection() {
    if (!IsDrawOn()) return -1;
    const int32_t index = SectionUnder(WindowMouseX(), WindowMouseY());
    if (index < 0 || index == m_currentSection) return -1;
    m_currentSection = index;
    return index;
}

// ---- Texts ----

bool CSkillWindow::CanLearn(const Entry& entry) const {
    return g_pSkillTableMgr && g_pSkillTableMgr->CanLearnNextLevel(PlayerChar(), entry.row, entry.learned);
}

std::string CSkillWindow::RowSecondLine(int32_t section, int32_t entry) const {
    const int32_t row = EntryRow(section, entry);
    if (row < 0 || !g_pSkillTableMgr) return "";
    const int32_t learned = EntryLearned(section, entry);
    if (learned >= g_pSkillTableMgr->GetLevelCount(row)) return "Mastered";
    const int64_t next = g_pSkillTableMgr->GetLevelDword5(row, learned);
    if (next == -1) return FormatTableText(GetTableText(kTipTable, kLastLevelRow), {unsigned(learned)});
    return FormatTableText(
        GetTableText(kTipTable, kNextLevelRow),
        {static_cast<unsigned long long>(next), g_pSkillTableMgr->GetLevelByte3(row, learned),
         g_pSkillTableMgr->GetLevelByte4(row, learned)});
}

std::string CSkillWindow::BuildSkillTooltip(int32_t row, int32_t level) {
    std::string text;
    if (!g_pSkillTableMgr) return text;
    const Entry* selected = SelectedEntryPtr();
    const char* name = selected ? g_pSkillTableMgr->GetName(selected->row) : nullptr;
    text = "\\aC\\c200200255";
    text += name ? name : "";
    text += "\\n\\c255000255";
    text += GetTableText(kTipTable, kAttributesRow);
    // The texts are data: each is a format for its own number only.
    const uint16_t values[6] = {
        g_pSkillTableMgr->GetLevelWord19(row, level), g_pSkillTableMgr->GetLevelWord20(row, level),
        g_pSkillTableMgr->GetLevelWord21(row, level), g_pSkillTableMgr->GetLevelWord22(row, level),
        g_pSkillTableMgr->GetLevelWord23(row, level), g_pSkillTableMgr->GetLevelWord24(row, level)};
    bool any = false;
    for (int n = 0; n < 6; ++n)
        if (values[n] != 0) {
            text += FormatTableText(GetTableText(kTipTable, kFirstAttributeRow + n), {unsigned(values[n])});
            any = true;
        }
    if (!any) text += GetTableText(kTipTable, kNoAttributeRow);
    const int32_t required = g_pSkillTableMgr->GetLevelByte3(row, level);
    if (required > 0) text += FormatTableText(GetTableText(kTipTable, kRequiredLevelRow), {required});
    if (level == -1) {
        uint32_t ids[3];
        uint8_t levels[3];
        g_pSkillTableMgr->GetRequiredSkills(row, ids, levels);
        AppendSkillPairs(text, kPrerequisitesRow, ids, levels);
        g_pSkillTableMgr->GetExcludingSkills(row, ids, levels);
        AppendSkillPairs(text, kExclusionsRow, ids, levels);
    }
    text += "\\n\\n\\c255255255";
    const char* description = g_pSkillTableMgr->GetText44(row);
    text += description ? description : "";
    return text;
}

void CSkillWindow::UpdateDescription(int32_t entry) {
    const int32_t row = EntryRow(m_currentSection, entry);
    if (row < 0) {
        m_description.clear();
        if (m_descriptionBar) m_descriptionBar->SetMaximum(0);
        return;
    }
    m_description = BuildSkillTooltip(row, EntryLevel(m_currentSection, entry) - 1);
    const int32_t lines = CountFormattedTextLines(m_description.c_str(), SKILL_DESCRIPTION_COLUMNS);
    if (m_descriptionBar) {
        m_descriptionBar->SetScrollPos(0);
        m_descriptionBar->SetMaximum(lines - SKILL_DESCRIPTION_LINES);
    }
}

// ---- Requests ----

void CSkillWindow::OnLevelUpButton(CButton* button) {
    int32_t visible = -1;
    for (int32_t i = 0; i < SKILL_WINDOW_ROWS; ++i)
        if (m_levelUp[i] == button) visible = i;
    const int32_t entry = ListPosition() + visible;
    const int32_t row = EntryRow(m_currentSection, entry);
    CCharData* data = PlayerData();
    if (visible < 0 || row < 0 || !data || !g_pSkillTableMgr) return;
    if (data->HasSkill(row))
        GameSession().SendSkillLevel(g_pSkillTableMgr->HasByte6(row) ? 1 : 0, data->GetSkillFlag(row),
                                     uint8_t(EntryLevel(m_currentSection, entry) + 1), 1);
    else
        GameSession().SendLearnSkill(g_pSkillTableMgr->GetSkillId(row));
}

void CSkillWindow::LowerLevel(bool toMinimum) {
    Entry* entry = SelectedEntryPtr();
    CCharData* data = PlayerData();
    if (!entry || !data || !g_pSkillTableMgr || entry->level < 2) return;
    GameSession().SendSkillLevel(g_pSkillTableMgr->HasByte6(entry->row) ? 1 : 0,
                                 data->GetSkillFlag(entry->row), uint8_t(toMinimum ? 1 : entry->level - 1),
                                 0);
}

void CSkillWindow::RaiseLevel(bool toMaximum) {
    Entry* entry = SelectedEntryPtr();
    CCharData* data = PlayerData();
    if (!entry || !data || !g_pSkillTableMgr || entry->level >= entry->learned) return;
    GameSession().SendSkillLevel(g_pSkillTableMgr->HasByte6(entry->row) ? 1 : 0,
                                 data->GetSkillFlag(entry->row),
                                 uint8_t(toMaximum ? entry->learned : entry->level + 1), 0);
}

// ---- Drawing ----

bool CSkillWindow::Draw() {
    CWeakRef self(this);
    CBaseWindow::Draw();
    if (!self || !m_sections) return true;
    CCharData* data = PlayerData();
    const uint32_t sectionValue = data ? data->GetValueById(SectionId(m_currentSection)) : 0;
    const uint32_t statusValue = data ? data->m_values[VALUE_REQUIRED_SECOND] : 0;
    const std::string title =
        m_title + "(" + std::to_string(sectionValue) + "/" + std::to_string(statusValue) + ")";
    DrawItemText(CentredX(m_x + 187, title), m_y + 23, title, kWhite);
    for (int32_t i = 0; i < SKILL_WINDOW_ROWS; ++i) {
        const int32_t index = m_firstSection + i;
        if (index >= SKILL_WINDOW_SECTIONS || index >= m_sectionCount) break;
        const Section& section = m_sections[size_t(index)];
        if (!section.icon) continue;
        DrawAt(m_rowImages[index == m_currentSection ? kSelectedFrameImage : kFrameImage].get(), m_x + 8,
               m_y + 48 + kRowStep * i);
        DrawAt(section.icon.get(), m_x + 21, m_y + 61 + kRowStep * i);
    }
    const int32_t count = EntryCount(m_currentSection);
    for (int32_t i = 0; i < SKILL_WINDOW_ROWS; ++i) {
        const int32_t e = ListPosition() + i;
        if (e < 0 || e >= count) {
            if (m_levelUp[i]) m_levelUp[i]->Hide();
            continue;
        }
        DrawRow(i, m_sections[size_t(m_currentSection)].entries[e], e == m_selected);
    }
    if (Entry* entry = SelectedEntryPtr()) DrawSelectedPanel(*entry);
    const int32_t hovered = SectionUnder(WindowMouseX(), WindowMouseY());
    if (hovered >= 0) DrawHelpBox(SectionId(hovered), WindowMouseX() + 30, WindowMouseY());
    return true;
}

void CSkillWindow::DrawRow(int32_t i, const Entry& entry, bool selected) {
    const bool learnable = CanLearn(entry);
    if (CButton* button = m_levelUp[i]) {
        if (learnable)
            ShowControl(button, true);
        else
            ShowInactive(button);
    }
    const int32_t y = m_y + 47 + kRowStep * i, frameY = m_y + 48 + kRowStep * i;
    const bool learned = entry.learned > 0;
    if (selected) {
        DrawAt(m_rowImages[kSelectedRowImage].get(), m_x + 86, y);
        DrawAt(m_rowImages[kSelectedFrameImage].get(), m_x + 52, frameY);
    } else {
        if (!learned)
            DrawAt(m_rowImages[learnable ? kLearnableRowImage : kBlockedRowImage].get(), m_x + 86, y);
        DrawAt(m_rowImages[kFrameImage].get(), m_x + 52, frameY);
    }
    DrawAt(entry.icon.get(), m_x + 65, m_y + 61 + kRowStep * i);
    const char* name = g_pSkillTableMgr ? g_pSkillTableMgr->GetName(entry.row) : nullptr;
    std::string first = name ? name : "";
    if (learned) first += " [Lv " + std::to_string(entry.learned) + "]";
    const std::string second =
        RowSecondLine(m_currentSection, int32_t(&entry - m_sections[size_t(m_currentSection)].entries));
    const uint32_t colour = learned ? kWhite : kBlack;
    DrawItemText(m_x + 90, frameY, first, colour);
    DrawItemText(m_x + 90, m_y + 62 + kRowStep * i, second, colour);
    if (!learned) {
        const std::string status = GetTableText(kTipTable, learnable ? kLearnableRow : kBlockedRow);
        DrawItemText(CentredX(m_x + 272, status), frameY, status,
                     learnable ? kLearnableColour : kBlockedColour);
    }
}

void CSkillWindow::DrawSelectedPanel(const Entry& entry) {
    const bool learned = entry.learned > 0;
    const std::string level = Unsigned("%u", uint32_t(entry.level));
    DrawFontText(CentredX(m_x + 64, level), m_y + 246, level, learned ? 0 : 1, learned ? kWhite : kBlack);
    DrawAt(entry.icon.get(), m_x + 22, m_y + 244);
    for (CButton* arrow : m_levelArrows) {
        if (learned)
            ShowControl(arrow, true);
        else
            ShowInactive(arrow);
    }
    if (!g_pTextRenderer || !g_pDirectDraw || m_description.empty()) return;
    const int first = m_descriptionBar ? std::max(0, int(m_descriptionBar->GetScrollPos())) : 0;
    g_pTextRenderer->DrawFormattedText(g_pDirectDraw->GetRenderSurface(), m_x + 110, m_y + 218,
                                       SKILL_DESCRIPTION_COLUMNS, SKILL_DESCRIPTION_LINES,
                                       m_description.c_str(), first, kDescriptionLineHeight, 1);
}

void CSkillWindow::DrawHelpBox(uint32_t sectionId, int32_t x, int32_t y) {
    const char* help = g_pSkillTableMgr ? g_pSkillTableMgr->GetSectionHelp(sectionId) : nullptr;
    if (!help || !*help || !g_pTextRenderer || !g_pDirectDraw) return;
    const int32_t lines = CountFormattedTextLines(help, kHelpWidth);
    const CDisplaySettings& screen = GetDisplaySettings();
    if (x + 180 > screen.screenWidth) x -= 180;
    if (y + kHelpLineHeight * lines > screen.screenHeight) y -= kHelpLineHeight * lines;
    if (g_pDirect3D)
        g_pDirect3D->FillRect(x - 10, y - 10, x + 190, y + 10 + kHelpLineHeight * lines, kHelpFill);
    g_pTextRenderer->DrawFormattedText(g_pDirectDraw->GetRenderSurface(), x, y, kHelpWidth, kHelpLines, help,
                                       0, kHelpLineHeight, 0);
}

// ---- Input ----

bool CSkillWindow::OnControlEvent(int32_t button, int32_t x, int32_t y, CBaseWindow* control) {
    if (m_titleButtons.Owns(control)) return !m_titleButtons.Click(this, control, x, y);
    if (control) {
        const bool on = IsClickOn(control, x, y);
        for (int i = 0; i < 2; ++i)
            if (control == m_sectionArrows[i]) {
                if (on) ScrollSections(i == 0);
                return !on;
            }
        for (int i = 0; i < 2; ++i)
            if (control == m_levelArrows[i]) {
                if (on) {
                    if (i == 0)
                        LowerLevel(CtrlHeld());
                    else
                        RaiseLevel(CtrlHeld());
                }
                return !on;
            }
        for (CButton* levelUp : m_levelUp)
            if (control == levelUp) {
                if (on) OnLevelUpButton(levelUp);
                return !on;
            }
        return control->OnControlEvent(button, x, y, nullptr);
    }
    UpdateRect();
    if (!IsDrawOn() || !HitTest(x, y)) return CBaseWindow::OnControlEvent(button, x, y, nullptr);
    const int32_t section = HitTestSection();
    if (section >= 0) SelectSection(section, -1);
    if (HitTestSkillRow() >= 0) UpdateDescription(m_selected);
    return true;
}

bool CSkillWindow::OnMouseDown(int32_t button, int32_t x, int32_t y, CBaseWindow* control) {
    m_pressX = x - m_x;
    m_pressY = y - m_y;
    if (control) return control->OnMouseDown(button, x, y, nullptr);
    return CBaseWindow::OnMouseDown(button, x, y, nullptr);
}

bool CSkillWindow::OnDoubleClick(int32_t button, int32_t x, int32_t y, CBaseWindow* control) {
    if (control) return control->OnDoubleClick(button, x, y, nullptr);
    UpdateRect();
    if (!IsDrawOn() || !HitTest(x, y)) return true;
    if (button >= 0 && button < 2) m_doubleClicked[button] = 1;
    if (HitTestSkillRow() < 0) return true;
    UpdateDescription(m_selected);
    Entry* entry = SelectedEntryPtr();
    CCharData* data = PlayerData();
    if (!entry || !data || !(data->HasSkill(entry->row) || !g_config.m_useServer)) return false;
    CBaseWindow* main = g_pWindowMgr ? g_pWindowMgr->FindWindowByName(HUD_MAIN_WINDOW_NAME) : nullptr;
    if (auto* interface = dynamic_cast<IMainInterfaceWindow*>(main)) {
        interface->SetSkillIcon(entry->row);
        data->SelectSkill(1, entry->row);
    }
    return false;
}

bool CSkillWindow::OnMouseWheel(int32_t x, int32_t y, int32_t delta, CBaseWindow* control) {
    UpdateRect();
    if (IsDrawOn() && HitTest(x, y)) {
        if (x >= m_x + 6 && x <= m_x + 39 && y >= m_y + 45 && y <= m_y + 193) {
            for (int32_t n = 0; n < std::abs(delta); ++n) ScrollSections(delta > 0);
            return false;
        }
        if (x >= m_x + 4 && x <= m_x + 95 && y >= m_y + 210 && y <= m_y + 278) {
            if (delta < 0) LowerLevel(false);
            if (delta > 0) RaiseLevel(false);
            return false;
        }
    }
    return CBaseWindow::OnMouseWheel(x, y, delta, control);
}

bool CSkillWindow::OnMouseMove(int32_t button, int32_t x, int32_t y, CBaseWindow* control) {
    if (control) return control->OnMouseMove(button, x, y, nullptr);
    UpdateRect();
    const int32_t pressedEntry = RowUnder(m_x + m_pressX, m_y + m_pressY);
    if (pressedEntry >= 0 && ButtonHeld()) {
        m_selected = pressedEntry;
        OnMouseUp(0, x, y, nullptr);
        ICursorObject* cursor = WindowCursor();
        Entry* entry = SelectedEntryPtr();
        uint16_t animation = 0, motion = 0;
        uint8_t direction = 0;
        if (entry) g_pSkillTableMgr->GetResourceRef12(entry->row, &animation, &motion, &direction);
        if (entry && animation != 0 && cursor && !cursor->GetHeldObject())
            if (std::unique_ptr<CSkillAction> icon = CQuickSlotWindow::MakeSkillIcon(entry->row))
                // The quick slot that takes the drop keeps it; anywhere else the skill manager deletes it.
                icon.release()->BeginDrag(0);
        return false;
    }
    if (!HitTest(x, y)) return true;
    if (m_listBar && m_listBar->GetPressedButton() >= 0) return true;
    if (m_descriptionBar && m_descriptionBar->GetPressedButton() >= 0) return true;
    return !DragItemOrWindow(this, nullptr, 0, nullptr, x, y);
}
