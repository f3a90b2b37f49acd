#include "net/handlers/window_mgr_records.h"

#include <algorithm>

#include "net/handlers/record_text.h"

void CTimerMsg::Set(const char* name, uint32_t value, uint8_t action) {
    SetRecordText(m_name, name);
    m_value = value;
    m_action = action;
}

void CClubInfoMsg::Set(const CClubInfoFields& fields) {
    static_cast<CClubInfoFields&>(*this) = fields;
    KeepRecordText(m_text1);
    KeepRecordText(m_text2);
    KeepRecordText(m_text3);
    KeepRecordText(m_text4);
    KeepRecordText(m_text5);
}

void CFightClubMemberMsg::Set(const CFightClubMemberFields& fields) {
    static_cast<CFightClubMemberFields&>(*this) = fields;
    KeepRecordText(m_name);
    KeepRecordText(m_secondName);
}

void CEventLogLinesMsg::Set(uint8_t a, size_t count, const char* const* texts, const uint32_t* values) {
    m_a = a;
    m_count = uint8_t(std::min<size_t>(count, MAX_LINES));
    for (uint8_t n = 0; n < MAX_LINES; ++n) {
        const bool sent = n < m_count;
        SetRecordText(m_texts[n], sent && texts ? texts[n] : nullptr);
        m_values[n] = sent && values ? values[n] : 0;
    }
}

void CEventLogTableMsg::Set(uint8_t group, size_t count, const uint8_t* keys, const uint8_t* values) {
    m_group = group;
    m_count = uint8_t(std::min<size_t>(count, UINT8_MAX));
    for (size_t n = 0; n < MAX_PAIRS; ++n) {
        const bool sent = n < m_count;
        m_keys[n] = sent && keys ? keys[n] : 0;
        m_values[n] = sent && values ? values[n] : 0;
    }
}
