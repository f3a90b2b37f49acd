// What the character's skill code tells the windows that show skills, and
// the switch that hides every character.
#pragma once
#include <cstdint>

// The skill window ("SKILL_WINDOW") as the learned-skill list sees it.
class ISkillWindowView {
public:
    virtual ~ISkillWindowView() = default;
    // A learned skill's row, level and second value changed or came new.
    virtual void OnSkillChanged(int32_t row, uint32_t level, uint32_t value) = 0;
    // The sections or the learnable skills changed: the list is built anew.
    virtual void Rebuild() {}
};

inline constexpr char SKILL_WINDOW_NAME[] = "SKILL_WINDOW";
// Tells the skill window, when there is one, to build its list anew.
void RebuildSkillWindow();

// While set no character is drawn (the characters' visibility test).
extern uint8_t g_hideAllChars;

// The texts of the checks: text table 1, rows 8 (not now) to 14 (the map's
// limit).
inline constexpr int CHECK_TEXT_TABLE = 1;
inline constexpr int CHECK_TEXT_NOT_NOW = 8;
