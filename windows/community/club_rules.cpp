#include "windows/community/club_rules.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>

#include "anim/ani_play_mgr.h"
#include "data/data_table.h"
#include "net/handlers/window_records.h"

namespace {

constexpr uint8_t kMarkDirections[5] = {2, 0, 14, 12, 10};
constexpr uint32_t kLevelLimit = 255;
constexpr size_t kNoticePageLimit = 1023;
constexpr uint32_t kMaxMarkSheets = 255;

bool Bit(uint32_t mask, uint32_t bit) {
    return ((mask >> bit) & 1u) != 0;
}

bool LocalDate(uint32_t seconds, std::tm& out) {
    const std::time_t time = std::time_t(seconds);
    const std::tm* local = std::localtime(&time);
    if (!local) return false;
    out = *local;
    return true;
}

}  // namespace

bool ClubActionAllowed(uint32_t mask, int32_t category, int32_t action) {
    switch (category) {
        case 0:
        case 5:
        case 7:
        case 8:
        case 9:
            return Bit(mask, uint32_t(action - 1) % 32u);
        case 2:
            switch (action) {
                case 0:
                case 6:
                case 7:
                    return true;
                case 1:
                    return Bit(mask, 14);
                case 2:
                case 3:
                case 4:
                    return Bit(mask, 8);
                case 5:
                    return Bit(mask, 1);
                default:
                    return false;
            }
        case 3:
            if (action == 0 || action == 2) return true;
            return action == 1 && Bit(mask, 0);
        default:
            return false;
    }
}

void SortClubMembers(std::vector<ClubMember>& members) {
    for (size_t i = 0; i < members.size(); ++i) {
        ClubMember& m = members[i];
        if (m.grade == CLUB_GRADE_MASTER)
            m.order = 0;
        else if (m.order == 0)
            m.order = uint32_t(1001 + i);
    }
    std::stable_sort(members.begin(), members.end(), [](const ClubMember& a, const ClubMember& b) {
        if (a.grade != b.grade) return int32_t(a.grade) < int32_t(b.grade);
        return int32_t(a.order) < int32_t(b.order);
    });
}

ClubProgress ComputeClubProgress(uint32_t level, uint32_t points, const CDataTable* levels) {
    ClubProgress progress;
    if (level == 0) return progress;
    auto threshold = [levels](int64_t row) -> uint32_t {
        if (!levels || row < 0 || row > INT32_MAX) return 0;
        return levels->GetInt(CLUB_LEVEL_POINTS_COLUMN, int(row));
    };
    const uint32_t next = threshold(level);
    const uint32_t previous = threshold(level < 2 ? 0 : int64_t(level) - 1);
    progress.percent = 100;
    if (next == 0) {
        progress.textSet = true;
        progress.text = "100%";
        return progress;
    }
    if (next == previous) return progress;
    double value = 0;
    if (points >= previous) value = double(points - previous) / double(next - previous) * 100.0;
    progress.percent = uint32_t(std::min(value, 100.0));
    if (value >= 100.0) value = 99.9;
    char text[32];
    std::snprintf(text, sizeof text, "%2.1f%%", value);
    progress.textSet = true;
    progress.text = text;
    return progress;
}

ClubMarkCell ClubMarkCellOf(uint32_t emblem) {
    ClubMarkCell cell;
    if (emblem == 0) return cell;
    const uint32_t n = emblem - 1;
    const uint32_t c = n % CLUB_MARK_CELLS;
    cell.sheet = n / CLUB_MARK_CELLS + 1;
    cell.motion = uint8_t(c / 5);
    cell.direction = kMarkDirections[c % 5];
    return cell;
}

std::string ClubMarkName(uint32_t emblem) {
    return ClubMarkSheetName(ClubMarkCellOf(emblem).sheet);
}

std::string ClubMarkSheetName(uint32_t sheet) {
    char name[32];
    std::snprintf(name, sizeof name, "Club_Mark#%u", sheet);
    return name;
}

uint32_t CountClubMarkSheets() {
    uint32_t count = 0;
    while (count < kMaxMarkSheets && FindAniByName(ClubMarkSheetName(count + 1).c_str()) != 0) ++count;
    return count;
}

int32_t ClubMarkCellAt(int32_t x, int32_t y) {
    if (x < 9 || x >= 163 || y < 31 || y >= 186) return -1;
    static constexpr int32_t kColumnEnds[5] = {33, 64, 95, 126, 157}, kRowEnds[5] = {55, 86, 117, 148, 179};
    auto index = [](const int32_t(&ends)[5], int32_t v) {
        for (int32_t i = 0; i < 5; ++i)
            if (v > ends[i] - 23 && v < ends[i]) return i;
        return -1;
    };
    const int32_t column = index(kColumnEnds, x), row = index(kRowEnds, y);
    return column < 0 || row < 0 ? -1 : row * 5 + column;
}

uint16_t ClubLevelOfText(const char* text) {
    if (!text) return 0;
    if (std::strlen(text) > 3) return kLevelLimit;
    const long value = std::strtol(text, nullptr, 10);
    if (value < 0) return 0;
    return uint16_t(std::min<long>(value, kLevelLimit));
}

std::string ClubTextMarkup(const char* text, bool tabs, size_t limit) {
    std::string out;
    if (!text || limit == 0) return out;
    for (const char* p = text; *p; ++p) {
        std::string piece;
        if (*p == '\r') continue;
        if (*p == '\n' || (tabs && *p == '\t'))
            piece = "</n>";
        else
            piece.assign(1, *p);
        if (out.size() + piece.size() >= limit) break;
        out += piece;
    }
    return out;
}

std::string FormatClubNotices(const std::vector<CDatedLine>& lines) {
    std::string page;
    for (const CDatedLine& line : lines) {
        const std::string entry =
            ClubDateStamp(line.m_date) + "</n>" + ClubTextMarkup(line.m_text, false, SIZE_MAX) + "</n></n>";
        if (page.size() + entry.size() > kNoticePageLimit) break;
        page += entry;
    }
    return page;
}

std::string ClubDateStamp(uint32_t seconds) {
    std::tm date{};
    if (!LocalDate(seconds, date)) date = std::tm{};
    char head[48];
    std::snprintf(head, sizeof head, "[%4d.%02d.%02d]", date.tm_year + 1900, date.tm_mon + 1, date.tm_mday);
    return head;
}

std::string ClubApplicationDate(uint32_t seconds) {
    std::tm date{};
    if (!LocalDate(seconds, date)) return std::string();
    char year[8];
    std::snprintf(year, sizeof year, "%02d", (date.tm_year + 1900) % 100);
    char text[64];
    std::snprintf(text, sizeof text, "'%s.%02d.%02d", year, date.tm_mon + 1, date.tm_mday);
    return text;
}
