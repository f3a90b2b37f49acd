// Typed records of the player's items: for the character manager (inventory,
// storage, a character's equipment and the small item values) and for the
// item exchange. Plain fields; the item name is cut between characters, the
// expiry is the five date bytes (a first byte of 255: no date) and the extra
// item record is copied field by field.
#pragma once
#include <cstddef>
#include <cstdint>

#include "core/message.h"
#include "data/item_object.h"

enum : uint32_t {
    MSG_ITEM_PAIR = 45,
    MSG_INVEN_ITEM = 47,
    MSG_ITEM_VALUE_48 = 48,
    MSG_STORED_ITEM = 52,
    MSG_ITEM_VALUE_53 = 53,
    MSG_CHAR_ITEM = 54,
    MSG_ITEM_VALUE_55 = 55,
    MSG_EXCHANGE_ITEM = 90,
    MSG_EXCHANGE_TEXT = 93,
};

inline constexpr size_t ITEM_NAME_SIZE = 256;
inline constexpr size_t ITEM_EXPIRY_SIZE = 5;
inline constexpr uint8_t ITEM_NO_DATE = 255;

// The item part every item record shares: name, expiry and extra record.
struct CItemRecordPart {
    char m_name[ITEM_NAME_SIZE] = {};
    uint8_t m_expiry[ITEM_EXPIRY_SIZE] = {ITEM_NO_DATE, 0, 0, 0, 0};
    CItemRecord m_record;

    // name: cut to its field; expiry: null leaves no date.
    void SetItem(const char* name, const uint8_t* expiry, const CItemRecord& record);
};

// 45: two values.
class CItemPairMsg : public CMsgPayload {
public:
    CItemPairMsg() : CMsgPayload(MSG_ITEM_PAIR) {}
    void Set(uint32_t a, uint32_t b) {
        m_a = a;
        m_b = b;
    }
    uint32_t m_a = 0, m_b = 0;
};

// 48, 53, 55: one value.
class CItemValueMsg : public CMsgPayload {
public:
    explicit CItemValueMsg(uint32_t id = MSG_ITEM_VALUE_48) : CMsgPayload(id) {}
    void Set(uint8_t value) { m_value = value; }
    uint8_t m_value = 0;
};

// 47: an item put into an inventory slot.
class CInvenItemMsg : public CMsgPayload, public CItemRecordPart {
public:
    static constexpr int OPTIONS = 13;
    CInvenItemMsg() : CMsgPayload(MSG_INVEN_ITEM) {}
    void Set(uint8_t slot, uint8_t b1, uint8_t b2, uint32_t v1, uint32_t v2, uint32_t v3, const char* name,
             const uint8_t* expiry, const CItemRecord& record, const uint8_t options[OPTIONS]);
    uint8_t m_slot = 0;
    uint8_t m_b1 = 0, m_b2 = 0;
    uint32_t m_v1 = 0, m_v2 = 0, m_v3 = 0;
    uint8_t m_options[OPTIONS] = {};
};

// 52: an item put into storage.
class CStoredItemMsg : public CMsgPayload, public CItemRecordPart {
public:
    static constexpr int OPTIONS = 12;
    CStoredItemMsg() : CMsgPayload(MSG_STORED_ITEM) {}
    void Set(uint8_t slot, uint8_t b1, uint8_t b2, uint32_t v1, uint32_t v2, const char* name,
             const uint8_t* expiry, const CItemRecord& record, const uint8_t options[OPTIONS]);
    uint8_t m_slot = 0;
    uint8_t m_b1 = 0, m_b2 = 0;
    uint32_t m_v1 = 0, m_v2 = 0;
    uint8_t m_options[OPTIONS] = {};
    // The two values that follow the item on the wire.
    uint32_t m_after[2] = {};
};

// 54: one item of a character (made into an item and worn by its controller).
class CCharItemMsg : public CMsgPayload, public CItemRecordPart {
public:
    static constexpr int OPTIONS = 12;
    CCharItemMsg() : CMsgPayload(MSG_CHAR_ITEM) {}
    // options: null leaves them 0.
    void Set(uint32_t itemId, uint32_t secondId, uint32_t value, const char* name, const uint8_t* expiry,
             const CItemRecord& record, const uint8_t* options);
    // An item the client names itself: no date, no extra record or options.
    void Set(uint32_t itemId, uint32_t secondId, uint32_t value, const char* name) {
        Set(itemId, secondId, value, name, nullptr, CItemRecord(), nullptr);
    }
    uint32_t m_itemId = 0;
    uint32_t m_secondId = 0;
    uint32_t m_value = 0;
    uint8_t m_options[OPTIONS] = {};
};

// 90: an item of the exchange, with its name.
class CExchangeItemMsg : public CMsgPayload, public CItemRecordPart {
public:
    static constexpr int OPTIONS = 13;
    CExchangeItemMsg() : CMsgPayload(MSG_EXCHANGE_ITEM) {}
    void Set(uint8_t b1, uint8_t b2, uint32_t v1, uint32_t v2, const char* name, const uint8_t* expiry,
             const CItemRecord& record, uint16_t word, const uint8_t options[OPTIONS]);
    uint8_t m_b1 = 0, m_b2 = 0;
    uint32_t m_v1 = 0, m_v2 = 0;
    uint16_t m_word = 0;
    uint8_t m_options[OPTIONS] = {};
};

// 93: two bytes and a text for the exchange.
class CExchangeTextMsg : public CMsgPayload {
public:
    static constexpr size_t TEXT_SIZE = 256;
    CExchangeTextMsg() : CMsgPayload(MSG_EXCHANGE_TEXT) {}
    void Set(uint8_t a, uint8_t b, const char* text);
    uint8_t m_a = 0, m_b = 0;
    char m_text[TEXT_SIZE] = {};
};
