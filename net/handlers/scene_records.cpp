#include "net/handlers/scene_records.h"

#include <algorithm>
#include <cstring>

#include "net/handlers/record_text.h"

void COldNoticeMsg::Set(const char* text) {
    SetRecordText(m_text, text);
    m_length = uint8_t(std::strlen(m_text));
}

void CNoticeMsg::Set(uint8_t a, const char* text1, const char* text2) {
    m_a = a;
    SetRecordText(m_text1, text1);
    SetRecordText(m_text2, text2);
    m_length1 = uint8_t(std::strlen(m_text1));
    m_length2 = uint8_t(std::strlen(m_text2));
}

void CSixValuesMsg::Set(const uint32_t values[6]) {
    std::copy_n(values, 6, m_values);
}

void CNameListMsg::Set(uint8_t a, uint8_t count, const char* const* names, const char* const* seconds,
                       const uint8_t* bytes) {
    m_a = a;
    m_count = std::min(count, MAX_NAMES);
    for (uint8_t n = 0; n < MAX_NAMES; ++n) {
        const bool sent = n < m_count;
        SetRecordText(m_names[n], sent && names ? names[n] : nullptr);
        SetRecordText(m_seconds[n], sent && seconds ? seconds[n] : nullptr);
        m_bytes[n] = sent && bytes ? bytes[n] : 0;
    }
}

void CIdListMsg::Set(uint32_t a, uint32_t count, const uint32_t* ids, uint8_t byteCount,
                     const uint8_t* bytes) {
    m_a = a;
    m_count = ids ? std::min(count, MAX_IDS) : 0;
    m_byteCount = bytes ? std::min(byteCount, MAX_BYTES) : 0;
    for (uint32_t n = 0; n < MAX_IDS; ++n) m_ids[n] = n < m_count ? ids[n] : 0;
    for (uint8_t n = 0; n < MAX_BYTES; ++n) m_bytes[n] = n < m_byteCount ? bytes[n] : 0;
}

void CSceneListMsg::Set(uint8_t count, const char* const* names, const char* const* seconds,
                        const uint32_t* values, const uint8_t* bytes1, const uint8_t* bytes2) {
    m_count = std::min(count, MAX_ENTRIES);
    for (uint8_t n = 0; n < MAX_ENTRIES; ++n) {
        const bool sent = n < m_count;
        SetRecordText(m_names[n], sent && names ? names[n] : nullptr);
        SetRecordText(m_seconds[n], sent && seconds ? seconds[n] : nullptr);
        m_values[n] = sent && values ? values[n] : 0;
        m_bytes1[n] = sent && bytes1 ? bytes1[n] : 0;
        m_bytes2[n] = sent && bytes2 ? bytes2[n] : 0;
    }
}

void CSceneTextListMsg::Set(uint8_t count, const uint8_t* bytes, const char* const* texts) {
    m_count = std::min(count, MAX_ENTRIES);
    for (uint8_t n = 0; n < MAX_ENTRIES; ++n) {
        const bool sent = n < m_count;
        m_bytes[n] = sent && bytes ? bytes[n] : 0;
        SetRecordText(m_texts[n], sent && texts ? texts[n] : nullptr);
    }
}

void CSceneEntryMsg::Set(const char* text1, const char* text2, uint32_t value, uint8_t byte) {
    SetRecordText(m_text1, text1);
    SetRecordText(m_text2, text2);
    m_value = value;
    m_byte = byte;
}

void CSceneTextMsg::Set(const char* text1, const char* text2, uint8_t byte) {
    SetRecordText(m_text1, text1);
    SetRecordText(m_text2, text2);
    m_byte = byte;
}
