// CItemExpiry: when an item runs out. A date (years since 2000, 255 for
// none; month, day, hour, minute) or, without a date, a count of uses left.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>

inline constexpr uint8_t ITEM_EXPIRY_NO_DATE = 255;

struct CItemExpiry {
    uint8_t m_year = ITEM_EXPIRY_NO_DATE;  // minus 2000
    uint8_t m_month = 0;
    uint8_t m_day = 0;
    uint8_t m_hour = 0;
    uint8_t m_minute = 0;
    uint16_t m_count = 0;  // shown instead of a date when positive

    void CopyFrom(const CItemExpiry& other) { *this = other; }
    // The five date bytes (years since 2000 first); null leaves no date.
    void SetDate(const uint8_t* date);
    bool HasDate() const { return m_year != ITEM_EXPIRY_NO_DATE; }
    bool operator==(const CItemExpiry&) const = default;

    // The text shown for it (text table 19): the count form (row 102) when
    // the count is positive, else the date in the long (row 85) or short
    // (row 86) form with the morning or afternoon word (rows 87, 88) and the
    // hour on a 12-hour clock. Empty when there is nothing to show.
    std::string Format(bool longForm) const;
    // The same into a buffer (cut between characters); false when there is
    // nothing to show or no room.
    bool Format(char* buffer, size_t size, bool longForm) const;
};
