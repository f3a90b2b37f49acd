#include "net/handlers/item_records.h"

#include <algorithm>
#include <cstring>

#include "net/handlers/record_text.h"

void CItemRecordPart::SetItem(const char* name, const uint8_t* expiry, const CItemRecord& record) {
    SetRecordText(m_name, name);
    if (expiry) {
        std::memcpy(m_expiry, expiry, ITEM_EXPIRY_SIZE);
    } else {
        std::fill_n(m_expiry, ITEM_EXPIRY_SIZE, uint8_t(0));
        m_expiry[0] = ITEM_NO_DATE;
    }
    CopyItemRecord(m_record, record);
}

void CInvenItemMsg::Set(uint8_t slot, uint8_t b1, uint8_t b2, uint32_t v1, uint32_t v2, uint32_t v3,
                        const char* name, const uint8_t* expiry, const CItemRecord& record,
                        const uint8_t options[OPTIONS]) {
    m_slot = slot;
    m_b1 = b1;
    m_b2 = b2;
    m_v1 = v1;
    m_v2 = v2;
    m_v3 = v3;
    SetItem(name, expiry, record);
    std::copy_n(options, OPTIONS, m_options);
}

void CStoredItemMsg::Set(uint8_t slot, uint8_t b1, uint8_t b2, uint32_t v1, uint32_t v2, const char* name,
                         const uint8_t* expiry, const CItemRecord& record, const uint8_t options[OPTIONS]) {
    m_slot = slot;
    m_b1 = b1;
    m_b2 = b2;
    m_v1 = v1;
    m_v2 = v2;
    SetItem(name, expiry, record);
    std::copy_n(options, OPTIONS, m_options);
}

void CCharItemMsg::Set(uint32_t itemId, uint32_t secondId, uint32_t value, const char* name,
                       const uint8_t* expiry, const CItemRecord& record, const uint8_t* options) {
    m_itemId = itemId;
    m_secondId = secondId;
    m_value = value;
    SetItem(name, expiry, record);
    if (options)
        std::copy_n(options, OPTIONS, m_options);
    else
        std::fill_n(m_options, OPTIONS, uint8_t(0));
}

void CExchangeItemMsg::Set(uint8_t b1, uint8_t b2, uint32_t v1, uint32_t v2, const char* name,
                           const uint8_t* expiry, const CItemRecord& record, uint16_t word,
                           const uint8_t options[OPTIONS]) {
    m_b1 = b1;
    m_b2 = b2;
    m_v1 = v1;
    m_v2 = v2;
    SetItem(name, expiry, record);
    m_word = word;
    std::copy_n(options, OPTIONS, m_options);
}

void CExchangeTextMsg::Set(uint8_t a, uint8_t b, const char* text) {
    m_a = a;
    m_b = b;
    SetRecordText(m_text, text);
}
