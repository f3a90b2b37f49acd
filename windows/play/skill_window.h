// CSkillWindow ("SKILL_WINDOW"): the player's skills by section. Each row
// shows a skill with its learned level and what the next level asks; the
// selected skill's level in use and colour-coded description stand below.
// A row's button learns the skill or raises its learned level, the level
// arrows (and the wheel over them) choose the level in use, a double click
// makes a learned skill the current one and a drag carries it to a quick
// slot. Every change goes to the server; the levels come back through
// OnSkillChanged.
#pragma once
#include <cstdint>
#include <memory>
#include <string>

#include "ui/base_window.h"
#include "windows/play/item_window_parts.h"
#include "world/chars/char_skills.h"

class CAniObject;
class CButton;
class CScrollBar;

inline constexpr char SKILL_WINDOW_PICTURE_NAME[] = "Skill_Window";
inline constexpr int32_t SKILL_WINDOW_SECTIONS = 12;
inline constexpr int32_t SKILL_WINDOW_SKILLS = 200;
inline constexpr int32_t SKILL_WINDOW_ROWS = 5;
// The picture's size (the rectangle of a window without its picture).
inline constexpr int32_t SKILL_WINDOW_WIDTH = 376, SKILL_WINDOW_HEIGHT = 282;
// The description's columns and lines.
inline constexpr int32_t SKILL_DESCRIPTION_COLUMNS = 39, SKILL_DESCRIPTION_LINES = 4;

class CSkillWindow : public CBaseWindow, public ISkillWindowView {
public:
    CSkillWindow();
    ~CSkillWindow() override;

    bool Create() override;
    bool Release() override;
    // Shown, taking input and updating; without a server the list is read anew.
    bool Show() override;
    // The base hide, docked (mode 2).
    bool Hide() override;
    bool Draw() override;
    bool UpdateRect() override;
    bool SetPosition(int32_t x, int32_t y) override;
    bool SetStateValue(int32_t value) override;
    bool OnControlEvent(int32_t button, int32_t x, int32_t y, CBaseWindow* control) override;
    bool OnMouseDown(int32_t button, int32_t x, int32_t y, CBaseWindow* control) override;
    bool OnMouseMove(int32_t button, int32_t x, int32_t y, CBaseWindow* control) override;
    bool OnDoubleClick(int32_t button, int32_t x, int32_t y, CBaseWindow* control) override;
    bool OnMouseWheel(int32_t x, int32_t y, int32_t delta, CBaseWindow* control) override;

    // ISkillWindowView.
    void OnSkillChanged(int32_t row, uint32_t level, uint32_t value) override;
    void Rebuild() override;

    // Builds the list when it is not built, then selects the current section
    // and entry again.
    void Refresh();
    // The player's sections (ascending ids) and, in each, the skills of the
    // table in row order that the character may learn (with a server: its
    // learnable list holds the skill's key). Sections past 12 and skills past
    // 200 in one section are left out.
    void BuildSkillList();
    // The section becomes current, the list scrolled to its top; the entry
    // (-1: the first) is selected.
    void SelectSection(int32_t section, int32_t entry);
    void ScrollSections(bool up);
    // The row or section under the point (the press point while the left
    // button is held) becomes the selected one; -1 when none.
    int32_t HitTestSkillRow();
    int32_t HitTestSection();
    // The description of the skill row at the level (-1: not learned), the
    // name taken from the selected entry.
    std::string BuildSkillTooltip(int32_t row, int32_t level);
    void UpdateDescription(int32_t entry);
    void OnLevelUpButton(CButton* button);
    void LowerLevel(bool toMinimum);
    void RaiseLevel(bool toMaximum);

    // The list as built.
    int32_t SectionCount() const { return m_sectionCount; }
    uint32_t SectionId(int32_t section) const;
    int32_t EntryCount(int32_t section) const;
    // The skill row, level in use and learned level of an entry; -1 for none.
    int32_t EntryRow(int32_t section, int32_t entry) const;
    int32_t EntryLevel(int32_t section, int32_t entry) const;
    int32_t EntryLearned(int32_t section, int32_t entry) const;
    int32_t CurrentSection() const { return m_currentSection; }
    int32_t SelectedEntry() const { return m_selected; }
    int32_t FirstVisibleSection() const { return m_firstSection; }
    const std::string& Title() const { return m_title; }
    // The second line of a row: what the next level asks, or "Mastered".
    std::string RowSecondLine(int32_t section, int32_t entry) const;
    bool IsListBuilt() const { return m_listBuilt != 0; }

    CButton* GetLevelUpButton(int32_t i) const {
        return i >= 0 && i < SKILL_WINDOW_ROWS ? m_levelUp[i] : nullptr;
    }
    CButton* GetSectionArrow(bool up) const { return m_sectionArrows[up ? 0 : 1]; }
    CButton* GetLevelArrow(bool right) const { return m_levelArrows[right ? 1 : 0]; }
    CScrollBar* GetListScrollBar() const { return m_listBar; }
    CScrollBar* GetDescriptionScrollBar() const { return m_descriptionBar; }
    const std::string& Description() const { return m_description; }
    const CTitleButtons& TitleButtons() const { return m_titleButtons; }

private:
    struct Entry {
        int32_t row = -1;
        int32_t level = 0;
        int32_t learned = 0;
        std::unique_ptr<CAniObject> icon;
    };
    struct Section {
        uint32_t id = 0;
        int32_t count = 0;
        std::unique_ptr<CAniObject> icon;
        Entry entries[SKILL_WINDOW_SKILLS];
    };

    Entry* SelectedEntryPtr();
    int32_t ListPosition() const;
    bool CanLearn(const Entry& entry) const;
    void DrawRow(int32_t i, const Entry& entry, bool selected);
    void DrawSelectedPanel(const Entry& entry);
    void DrawHelpBox(uint32_t sectionId, int32_t x, int32_t y);
    int32_t SectionUnder(int32_t x, int32_t y) const;
    int32_t RowUnder(int32_t x, int32_t y) const;
    // The point the hit tests read: the press point while the left button is held.
    void HitPoint(int32_t& x, int32_t& y) const;

    CTitleButtons m_titleButtons;
    CScrollBar* m_listBar = nullptr;
    CScrollBar* m_descriptionBar = nullptr;
    CButton* m_levelUp[SKILL_WINDOW_ROWS] = {};
    CButton* m_sectionArrows[2] = {};
    CButton* m_levelArrows[2] = {};
    // Blocked, learnable and selected row backgrounds, icon frame, selected icon frame.
    std::unique_ptr<CAniObject> m_rowImages[5];
    int32_t m_sectionCount = 0;
    int32_t m_currentSection = -1;
    int32_t m_selected = -1;
    int32_t m_firstSection = 0;
    std::unique_ptr<Section[]> m_sections;
    uint8_t m_listBuilt = 0;
    std::string m_title;
    std::string m_description;
    int32_t m_pressX = 0, m_pressY = 0;
};
