#include "data/item_object.h"

#include <cstring>

#include "data/data_table.h"
#include "data/game_hooks.h"
#include "data/item_table_mgr.h"
#include "platform/clock.h"

void CopyItemRecord(CItemRecord& to, const CItemRecord& from) {
    to.m_byte0 = from.m_byte0;
    to.m_byte1 = from.m_byte1;
    to.m_value0 = from.m_value0;
    to.m_value1 = from.m_value1;
    to.m_value2 = from.m_value2;
}

CItemObject::~CItemObject() {
    CItemObject::Release();
}

bool CItemObject::Create() {
    CDrawObject::Create();
    m_typeCode = ITEM_TYPE_CODE;
    m_itemRow = -1;
    m_itemId = 0;
    m_slotIndex = -1;
    m_secondIds[0] = m_secondIds[1] = 0;
    m_state = 0;
    m_disabled = 0;
    m_current = m_maximum = 0;
    m_count = 0;
    m_auxValue = 0;
    m_flags = 0;
    m_record = CItemRecord{};
    m_lastUseTime = plat::timeGetTime() - ITEM_USE_TIME_BACK;
    return true;
}

bool CItemObject::Release() {
    if (g_pItemTableMgr) g_pItemTableMgr->ForgetItem(this);
    return CDrawObject::Release();
}

void CItemObject::Init(int32_t row, uint32_t itemId) {
    m_state = 0;
    m_disabled = 0;
    m_current = m_maximum = 0;
    m_slotIndex = -1;
    m_itemRow = row;
    m_itemId = itemId;
    m_typeCode = ITEM_TYPE_CODE;
    SetName(Text(ITEM_COL_NAME));
    m_lastUseTime = plat::timeGetTime() - ITEM_USE_TIME_BACK;
}

const CDataTable* CItemObject::Table() {
    return g_pItemTableMgr ? g_pItemTableMgr->GetTable() : nullptr;
}

uint32_t CItemObject::Int(int column) const {
    const CDataTable* table = Table();
    return table ? table->GetInt(column, m_itemRow) : 0;
}

int32_t CItemObject::SignedInt(int column) const {
    const CDataTable* table = Table();
    return table ? table->GetSignedInt(column, m_itemRow) : 0;
}

const char* CItemObject::Text(int column) const {
    const CDataTable* table = Table();
    return table ? table->GetText(column, m_itemRow) : nullptr;
}

bool CItemObject::TextIs(int column, const char* text) const {
    const char* cell = Text(column);
    return cell && std::strcmp(cell, text) == 0;
}

uint32_t CItemObject::GetSkillId() const {
    return Int(ITEM_COL_SKILL_ID);
}
const char* CItemObject::GetText3() const {
    return Text(ITEM_COL_NAME);
}
const char* CItemObject::GetText37() const {
    return Text(ITEM_COL_TEXT_37);
}
uint8_t CItemObject::GetByte6() const {
    return uint8_t(Int(ITEM_COL_SORT_2));
}
uint8_t CItemObject::GetByte14() const {
    return uint8_t(Int(ITEM_COL_BYTE_14));
}
uint8_t CItemObject::GetByte41() const {
    return uint8_t(Int(ITEM_COL_SORT_1));
}
uint8_t CItemObject::GetByte43() const {
    return uint8_t(Int(ITEM_COL_BYTE_43));
}
uint8_t CItemObject::GetByte59() const {
    return uint8_t(Int(ITEM_COL_BYTE_59));
}
int8_t CItemObject::GetByte36() const {
    return int8_t(Int(ITEM_COL_USE_FLAGS));
}
uint8_t CItemObject::GetColorClass() const {
    return uint8_t(Int(ITEM_COL_COLOR_CLASS));
}
uint8_t CItemObject::GetByteByHand(int hand) const {
    return hand == 1 ? uint8_t(Int(ITEM_COL_HAND_1)) : hand == 2 ? uint8_t(Int(ITEM_COL_HAND_2)) : 0;
}
uint16_t CItemObject::GetWord9() const {
    return uint16_t(Int(ITEM_COL_WORD_9));
}
uint16_t CItemObject::GetWord32() const {
    return uint16_t(Int(ITEM_COL_WORD_32));
}
uint32_t CItemObject::GetDword10() const {
    return Int(ITEM_COL_LIST_SORT);
}
uint32_t CItemObject::GetDword38() const {
    return Int(ITEM_COL_DWORD_38);
}
uint32_t CItemObject::GetDword45() const {
    return Int(ITEM_COL_DWORD_45);
}
uint32_t CItemObject::GetDword46() const {
    return Int(ITEM_COL_DWORD_46);
}
int32_t CItemObject::GetMinRange() const {
    const CDataTable* table = Table();
    return table ? table->GetSignedTupleInt(ITEM_COL_RANGE, m_itemRow, 0) : 0;
}
int32_t CItemObject::GetMaxRange() const {
    const CDataTable* table = Table();
    return table ? table->GetSignedTupleInt(ITEM_COL_RANGE, m_itemRow, 1) : 0;
}
bool CItemObject::HasByte30() const {
    return Int(ITEM_COL_BYTE_30) != 0;
}
bool CItemObject::HasByte41() const {
    return Int(ITEM_COL_SORT_1) != 0;
}
bool CItemObject::HasByte42() const {
    return Int(ITEM_COL_BYTE_42) != 0;
}
bool CItemObject::IsByte7One() const {
    return Int(ITEM_COL_FLAG_7) == 1;
}
bool CItemObject::GetResourceRef44(uint16_t* first, uint16_t* second, uint8_t* third) const {
    const CDataTable* table = Table();
    if (table) return table->GetRef(ITEM_COL_ANI_REF, m_itemRow, first, second, third);
    if (first) *first = 0;
    if (second) *second = 0;
    if (third) *third = 0;
    return false;
}
bool CItemObject::IsCanDropCash() const {
    return TextIs(ITEM_COL_DROP_CASH, "qCanDropCash");
}
bool CItemObject::IsText28True() const {
    return TextIs(ITEM_COL_TRUE_28, "true");
}

void CItemObject::GetNameColor(uint8_t out[4]) const {
    static const uint8_t kColors[10][3] = {
        {255, 255, 255}, {166, 166, 255}, {255, 255, 0},   {249, 198, 213}, {0, 255, 0},
        {210, 142, 99},  {255, 255, 255}, {130, 250, 250}, {255, 255, 255}, {255, 255, 255},
    };
    uint8_t colorClass = GetColorClass();
    const uint8_t* c = colorClass < 10 ? kColors[colorClass] : kColors[0];
    out[0] = c[0];
    out[1] = c[1];
    out[2] = c[2];
    out[3] = 0;
}

bool CItemObject::CanUseAt(CChar* character, int32_t x, int32_t y) const {
    const uint8_t flags = uint8_t(GetByte36());
    IGameWorldHooks& world = GameWorld();
    if ((flags & ITEM_USE_ON_PLACE) && world.HasMap() && world.IsWalkable(x, y)) return true;
    if (!character || (flags & ITEM_USE_NEVER)) return false;
    switch (world.GetState(character)) {
        case 0:
            return flags & ITEM_USE_STATE_0;
        case 1:
            return flags & ITEM_USE_STATE_1;
        case 2:
            return flags & ITEM_USE_STATE_2;
        case 6:
            return flags & ITEM_USE_STATE_6;
        default:
            return true;
    }
}

uint32_t GetKindTextColor(CDragObject* object) {
    switch (object ? object->GetType() : -1) {
        case 0:
            return 0xC8C8FF;  // (255, 200, 200), red in the low byte
        case 1:
            return 0xC8F0C8;
        case 2:
            return 0xFFD2D2;
        default:
            return 0;
    }
}

bool CItemObject::IsItemClass10() const {
    return Int(ITEM_COL_CLASS) == 10;
}

bool CItemObject::IsItemClass11() const {
    return Int(ITEM_COL_CLASS) == 11;
}

uint8_t CItemObject::GetItemColumn1157() const {
    return uint8_t(Int(ITEM_COL_NUMBER_LIMIT));
}

bool CItemObject::HasColumn1157Flag() const {
    return (m_flags & 1) == 0 && GetItemColumn1157() != 0;
}

bool CItemObject::IsStoreAllowed() const {
    return TextIs(ITEM_COL_STORE_OK, "true");
}

bool CItemObject::IsClubDepositAllowed() const {
    return TextIs(ITEM_COL_CLUB_DEPOSIT_OK, "true");
}

bool CItemObject::ConfirmsBeforeDrop() const {
    return Int(ITEM_COL_CONFIRM_DROP) != 0;
}
