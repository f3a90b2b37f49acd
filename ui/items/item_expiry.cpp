#include "ui/items/item_expiry.h"

#include "core/message.h"
#include "data/text_format.h"
#include "data/text_tables.h"

namespace {
constexpr int kItemTextTable = 19;
constexpr int kCountRow = 102, kLongDateRow = 85, kShortDateRow = 86, kMorningRow = 87, kAfternoonRow = 88;
}  // namespace

void CItemExpiry::SetDate(const uint8_t* date) {
    if (!date) {
        m_year = ITEM_EXPIRY_NO_DATE;
        m_month = m_day = m_hour = m_minute = 0;
        return;
    }
    m_year = date[0];
    m_month = date[1];
    m_day = date[2];
    m_hour = date[3];
    m_minute = date[4];
}

std::string CItemExpiry::Format(bool longForm) const {
    if (m_count > 0) return FormatTableText(GetTableText(kItemTextTable, kCountRow), {unsigned(m_count)});
    if (!HasDate()) return {};
    const char* halfDay = GetTableText(kItemTextTable, m_hour < 12 ? kMorningRow : kAfternoonRow);
    const unsigned hour = m_hour % 12 == 0 ? 12u : unsigned(m_hour % 12);
    return FormatTableText(
        GetTableText(kItemTextTable, longForm ? kLongDateRow : kShortDateRow),
        {unsigned(m_year) + 2000u, unsigned(m_month), unsigned(m_day), halfDay, hour, unsigned(m_minute)});
}

bool CItemExpiry::Format(char* buffer, size_t size, bool longForm) const {
    if (!buffer || size == 0) return false;
    const std::string text = Format(longForm);
    CopyRecordText(buffer, size, text.c_str());
    return !text.empty();
}
