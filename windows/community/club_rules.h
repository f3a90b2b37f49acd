// The rules of the club window that stand apart from its drawing: the
// club's permission word, the member order, the level progress, the emblem
// cells, the level range the settings send, and the club texts as the
// window keeps them.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

class CDataTable;
struct CDatedLine;

inline constexpr size_t CLUB_MEMBER_NAME_SIZE = 17;  // a 16-byte character name and its 0
inline constexpr size_t CLUB_NICKNAME_SIZE = 24;
inline constexpr size_t CLUB_DATE_SIZE = 12;
inline constexpr size_t CLUB_PAGE_TEXT_SIZE = 1024;
// Grades: the master, the sub-leader, a member, an applicant.
inline constexpr uint32_t CLUB_GRADE_MASTER = 1, CLUB_GRADE_SUB_LEADER = 2, CLUB_GRADE_MEMBER = 3,
                          CLUB_GRADE_APPLICANT = 4;
// Data table 102: the points each club level needs, column 19.
inline constexpr int CLUB_LEVEL_TABLE = 102;
inline constexpr int CLUB_LEVEL_POINTS_COLUMN = 19;
// Emblems: 25 cells a sheet, "Club_Mark#1" to "Club_Mark#3".
inline constexpr uint32_t CLUB_MARK_CELLS = 25;
inline constexpr uint32_t CLUB_MARK_SHEETS = 3;

struct ClubMember {
    uint32_t order = 0;
    uint32_t charType = 0;
    char name[CLUB_MEMBER_NAME_SIZE] = {};
    char nickname[CLUB_NICKNAME_SIZE] = {};
    uint32_t level = 0;
    uint32_t points = 0;
    uint32_t grade = 0;
    uint8_t online = 0;
    uint32_t status[3] = {};
};

struct ClubApplicant {
    uint32_t charType = 0;
    char name[CLUB_MEMBER_NAME_SIZE] = {};
    uint32_t level = 0;
    char date[CLUB_DATE_SIZE] = {};
};

// Whether the club's permission word allows the action of the category.
bool ClubActionAllowed(uint32_t mask, int32_t category, int32_t action);

// The master first (order 0); members the server left at order 0 take 1001
// plus their place, so that they keep their arrival order; then by grade and
// order (signed), equal ones staying as they were.
void SortClubMembers(std::vector<ClubMember>& members);

// The level progress: the bar's percentage and its text.
struct ClubProgress {
    uint32_t percent = 0;
    bool textSet = false;  // false: the text stays as it was
    std::string text;
};
// Nothing (percent 0, no text) for level 0. Points below the level's own
// threshold read as no progress.
ClubProgress ComputeClubProgress(uint32_t level, uint32_t points, const CDataTable* levels);

// Where emblem n (from 1) lies: its sheet (1-based), motion and direction.
struct ClubMarkCell {
    uint32_t sheet = 0;
    uint8_t motion = 0;
    uint8_t direction = 0;
};
ClubMarkCell ClubMarkCellOf(uint32_t emblem);
// "Club_Mark#%d" of the emblem's sheet.
std::string ClubMarkName(uint32_t emblem);
// "Club_Mark#%d" of a sheet (from 1).
std::string ClubMarkSheetName(uint32_t sheet);
// How many emblem sheets there are: "Club_Mark#1", "#2", ... counted while
// the animation exists, at most 255.
uint32_t CountClubMarkSheets();
// The emblem picker's cell under a point relative to the picker: five
// columns ending at x 33, 64, 95, 126, 157 and five rows ending at y 55, 86,
// 117, 148, 179, each cell the 22 pixels before its ends; row * 5 + column,
// or -1 outside every cell.
int32_t ClubMarkCellAt(int32_t x, int32_t y);

// A level field as the settings send it: longer than 3 characters or above
// 255 reads 255; not a number reads 0.
uint16_t ClubLevelOfText(const char* text);

// A club text with "\r" dropped and every "\n" (and, with tabs, every tab)
// written as the rich text's line break "</n>", cut so that it stays below
// `limit` bytes.
std::string ClubTextMarkup(const char* text, bool tabs, size_t limit);

// The notice list as one page: "[yyyy.mm.dd]</n>text</n></n>" an entry, in
// the order given, while the page stays within 1,023 characters.
std::string FormatClubNotices(const std::vector<CDatedLine>& lines);
// A record's date as "[YYYY.MM.DD]" in local time.
std::string ClubDateStamp(uint32_t seconds);

// "'yy.mm.dd" of a time in seconds since 1970 (local date).
std::string ClubApplicationDate(uint32_t seconds);
