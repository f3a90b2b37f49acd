// Typed records for the event manager: an event's input (kind 0: texts,
// values and two lists of byte pairs; kind 1: nothing more) and a raw block
// of bytes. Both own their arrays.
#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

#include "core/message.h"

enum : uint32_t {
    MSG_EVENT_INPUT = 101,
    MSG_EVENT_BLOCK = 102,
};

// A list of byte pairs as two parallel arrays.
struct CBytePairs {
    std::vector<uint8_t> m_first;
    std::vector<uint8_t> m_second;
    uint16_t Count() const { return uint16_t(m_first.size()); }
};

// 101: an event's input.
class CEventInputMsg : public CMsgPayload {
public:
    static constexpr size_t TEXT_SIZE = 200;
    CEventInputMsg() : CMsgPayload(MSG_EVENT_INPUT) {}
    // Texts are cut to their fields; each list keeps at most 65,535 pairs.
    void Set(uint8_t kind, uint8_t value, const char* text1, const char* text2, uint32_t a, uint32_t b,
             size_t count1, const uint8_t* first1, const uint8_t* second1, size_t count2,
             const uint8_t* first2, const uint8_t* second2);
    uint8_t m_kind = 0;
    uint8_t m_value = 0;
    char m_text1[TEXT_SIZE] = {};
    char m_text2[TEXT_SIZE] = {};
    uint32_t m_a = 0, m_b = 0;
    CBytePairs m_list1;
    CBytePairs m_list2;
};

// 102: a block of bytes and two values.
class CEventBlockMsg : public CMsgPayload {
public:
    CEventBlockMsg() : CMsgPayload(MSG_EVENT_BLOCK) {}
    // Keeps at most 65,535 bytes.
    void Set(uint32_t a, uint32_t b, size_t length, const uint8_t* bytes);
    uint32_t m_a = 0, m_b = 0;
    std::vector<uint8_t> m_bytes;
    uint16_t Length() const { return uint16_t(m_bytes.size()); }
};
