#include "net/handlers/event_records.h"

#include <algorithm>

#include "net/handlers/record_text.h"

namespace {

constexpr size_t MAX_LIST = UINT16_MAX;

void SetPairs(CBytePairs& pairs, size_t count, const uint8_t* first, const uint8_t* second) {
    const size_t kept = first && second ? std::min(count, MAX_LIST) : 0;
    pairs.m_first.assign(first, first + kept);
    pairs.m_second.assign(second, second + kept);
}

}  // namespace

void CEventInputMsg::Set(uint8_t kind, uint8_t value, const char* text1, const char* text2, uint32_t a,
                         uint32_t b, size_t count1, const uint8_t* first1, const uint8_t* second1,
                         size_t count2, const uint8_t* first2, const uint8_t* second2) {
    m_kind = kind;
    m_value = value;
    SetRecordText(m_text1, text1);
    SetRecordText(m_text2, text2);
    m_a = a;
    m_b = b;
    SetPairs(m_list1, count1, first1, second1);
    SetPairs(m_list2, count2, first2, second2);
}

void CEventBlockMsg::Set(uint32_t a, uint32_t b, size_t length, const uint8_t* bytes) {
    m_a = a;
    m_b = b;
    const size_t kept = bytes ? std::min(length, MAX_LIST) : 0;
    m_bytes.assign(bytes, bytes + kept);
}
