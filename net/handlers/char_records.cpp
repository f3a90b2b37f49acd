#include "net/handlers/char_records.h"

#include <algorithm>
#include <cstring>

#include "net/handlers/record_text.h"

bool IsStatusSet(const uint32_t words[4], uint32_t status) {
    if (!words || status < 1 || status > 128) return false;
    return (words[(status - 1) / 32] >> ((status - 1) % 32)) & 1u;
}

void CCharCreateMsg::Set(const CCharCreateFields& fields) {
    static_cast<CCharCreateFields&>(*this) = fields;
    KeepRecordText(m_name);
    KeepRecordText(m_secondName);
    KeepRecordText(m_title);
    KeepRecordText(m_clubName);
    KeepRecordText(m_clubTitle);
    m_entryCount = std::min<uint8_t>(m_entryCount, MAX_ENTRIES);
    for (int n = 0; n < MAX_ENTRIES; ++n) {
        if (n >= m_entryCount) {
            m_entryKinds[n] = m_entryValues[n] = 0;
            m_entryNumbers[n] = 0;
            m_entryTexts[n][0] = m_entrySecondTexts[n][0] = '\0';
        }
        KeepRecordText(m_entryTexts[n]);
        KeepRecordText(m_entrySecondTexts[n]);
    }
}

void CCharAppearance::Set(uint32_t charId, const uint32_t status[4], const int32_t equipment[EQUIPMENT_SLOTS],
                          const uint8_t smallFields[SMALL_FIELDS], uint8_t lastValue, uint8_t extraValue,
                          uint32_t flagValue) {
    m_charId = charId;
    std::copy_n(status, 4, m_status);
    std::copy_n(equipment, EQUIPMENT_SLOTS, m_equipment);
    std::copy_n(smallFields, SMALL_FIELDS, m_smallFields);
    m_colorByte = 255;
    m_lastValue = lastValue;
    m_extraValue = extraValue;
    m_spare = 0;
    m_flagValue = flagValue;
}

void CCharAppearMsg::Set(const CCharAppearFields& fields) {
    static_cast<CCharAppearFields&>(*this) = fields;
    KeepRecordText(m_text);
}

void CObjectAppearMsg::Set(const CObjectAppearFields& fields) {
    static_cast<CObjectAppearFields&>(*this) = fields;
    KeepRecordText(m_name);
}

void CObjectInfoMsg::Set(const CObjectInfoFields& fields) {
    static_cast<CObjectInfoFields&>(*this) = fields;
    KeepRecordText(m_text1);
    KeepRecordText(m_text2);
}

void CStatusGroupMsg::Set(uint8_t group, uint8_t count, const uint32_t* values, const uint8_t* kinds,
                          uint32_t trailing) {
    m_group = group;
    m_count = std::min(count, MAX_ENTRIES);
    if (!values || !kinds) m_count = 0;
    for (uint8_t n = 0; n < MAX_ENTRIES; ++n) {
        const bool sent = n < m_count;
        m_values[n] = sent ? values[n] : SKILL_ID_BASE;
        m_kinds[n] = sent ? kinds[n] : 0;
        m_flags[n] = sent ? 1 : 0;
    }
    m_trailing = trailing;
}

void CValueListMsg::Set(uint8_t count, const uint8_t* kinds, const uint32_t* values) {
    m_count = std::min(count, MAX_ENTRIES);
    if (!kinds || !values) m_count = 0;
    for (uint8_t n = 0; n < MAX_ENTRIES; ++n) {
        const bool sent = n < m_count;
        m_kinds[n] = sent ? kinds[n] : 0;
        m_values[n] = sent ? values[n] : 0;
        m_flags[n] = sent ? 1 : 0;
    }
}

void CTwoTextsMsg::Set(uint8_t a, uint8_t b, const char* text1, const char* text2) {
    m_a = a;
    m_b = b;
    SetRecordText(m_text1, text1);
    SetRecordText(m_text2, text2);
}

void CValueReactionMsg::Set(uint8_t form, uint32_t a, uint32_t b, const char* text) {
    m_form = form;
    m_a = a;
    m_b = b;
    SetRecordText(m_text, text);
}

void CSkillActionMsg::Set(uint32_t skillId, uint8_t level, uint32_t actorId, uint32_t x, uint32_t y,
                          uint16_t a, uint16_t b, uint32_t targetId, uint32_t time) {
    m_skillId = skillId;
    m_level = uint32_t(level) - 1;
    m_actorId = actorId;
    m_x = x;
    m_y = y;
    m_a = a;
    m_b = b;
    m_targetId = targetId;
    m_time = time;
}

void CSkillHitMsg::Set(uint32_t skillId, uint8_t level, uint32_t actorId, size_t count,
                       const CSkillTarget* targets, uint8_t f, uint8_t i, uint32_t e, uint32_t total,
                       uint32_t x, uint32_t y, uint32_t g, uint32_t h) {
    m_skillId = skillId;
    m_level = uint8_t(level - 1);
    m_actorId = actorId;
    m_targetCount = targets ? uint16_t(std::min(count, MAX_TARGETS)) : 0;
    for (size_t n = 0; n < MAX_TARGETS; ++n) {
        const CSkillTarget target = n < m_targetCount ? targets[n] : CSkillTarget();
        m_targetIds[n] = target.m_id;
        m_targetValues[n] = target.m_value;
        m_targetBytes1[n] = target.m_byte1;
        m_targetBytes2[n] = target.m_byte2;
    }
    m_f = f;
    m_i = i;
    m_e = e;
    m_share = m_targetCount ? total / m_targetCount : 0u;
    m_x = x;
    m_y = y;
    m_g = g * 10;
    m_h = h * 10;
}

void CTargetTextMsg::Set(uint32_t a, uint32_t b, uint8_t c, uint32_t d, const char* text, uint32_t e,
                         uint32_t f) {
    m_a = a;
    m_b = b;
    m_c = c;
    m_d = d;
    SetRecordText(m_text, text);
    m_e = e;
    m_f = f;
}

void CComboListMsg::Set(uint32_t a, size_t count, const uint32_t* first, const uint32_t* second) {
    m_a = a;
    m_count = (first && second) ? uint16_t(std::min(count, MAX_PAIRS)) : 0;
    for (size_t n = 0; n < MAX_PAIRS; ++n) {
        m_first[n] = n < m_count ? first[n] : 0;
        m_second[n] = n < m_count ? second[n] : 0;
    }
}

void CIdArrayMsg::Set(size_t count, const uint32_t* ids) {
    m_count = ids ? uint8_t(std::min<size_t>(count, UINT8_MAX)) : 0;
    m_ids.assign(ids, ids + m_count);
}

void CIdValueArrayMsg::Set(size_t count, const uint32_t* ids, const uint16_t* values) {
    m_count = (ids && values) ? uint8_t(std::min<size_t>(count, UINT8_MAX)) : 0;
    m_ids.assign(ids, ids + m_count);
    m_values.assign(values, values + m_count);
}

void CCharTextMsg::Set(const char* text, uint32_t charId) {
    SetRecordText(m_text, text);
    m_charId = charId;
}
