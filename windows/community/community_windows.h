// Identifiers of the club dialogs the club window opens, and what it asks of
// the emblem picker.
#pragma once
#include <cstdint>

inline constexpr char CLUB_MARK_WINDOW_NAME[] = "Club_MarkWindow";
inline constexpr char CLUB_EDIT_NICK_WINDOW_NAME[] = "ClubInter_EditNick";
inline constexpr char CLUB_AUTO_RANK_WINDOW_NAME[] = "Club_AutoRankWindow";

// The emblem picker ("Club_MarkWindow") starts from the club's emblem.
class IClubMarkPicker {
public:
    virtual ~IClubMarkPicker() = default;
    virtual void SetCurrentMark(uint32_t emblem) = 0;
};
