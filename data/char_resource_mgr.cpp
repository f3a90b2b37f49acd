#include "data/char_resource_mgr.h"

#include <algorithm>
#include <cstring>

CCharResourceMgr* g_pCharResourceMgr = nullptr;

namespace {

IShadowSpriteFactory* g_shadowSprites = nullptr;

// Columns of the definition tables.
constexpr int COL_NAME = 2;
constexpr int COL_NPC_NAME = 0;
constexpr int COL_PLAYER_REF = 5;  // players and NPCs
constexpr int COL_MONSTER_REF = 3;
constexpr int COL_MONSTER_BYTE_14 = 14;
constexpr int COL_MONSTER_KIND = 15;
constexpr int COL_MONSTER_REF_85 = 85;
constexpr int COL_LEVEL_RANGE = 1;
constexpr int COL_LEVEL_COLOR = 2;
constexpr int COL_GROUP_FLAG = 2;
constexpr int COL_GROUP_IDS = 3;
constexpr int COL_FIRST_ANI_ID = 9;
constexpr int COL_LAST_ANI_ID = 12;

bool IsMonsterKind(uint16_t kind) {
    return kind == 2 || kind == 3;
}

}  // namespace

void SetShadowSpriteFactory(IShadowSpriteFactory* factory) {
    g_shadowSprites = factory;
}

IShadowSpriteFactory* GetShadowSpriteFactory() {
    return g_shadowSprites;
}

CCharResourceMgr::CCharResourceMgr() {
    CCharResourceMgr::Create();
}

CCharResourceMgr::~CCharResourceMgr() {
    CCharResourceMgr::Release();
}

bool CCharResourceMgr::Create() {
    CObjectMgr::Create();
    m_idFlags.clear();
    LoadTables();
    m_shadow = g_shadowSprites ? g_shadowSprites->MakeShadowSprite(SHADOW_ANIMATION) : nullptr;
    return true;
}

std::unique_ptr<CDataTable> CCharResourceMgr::Load(int fileNumber) {
    auto table = std::make_unique<CDataTable>();
    table->LoadDataTable(fileNumber);
    return table;
}

void CCharResourceMgr::LoadTables() {
    m_players = Load(PLAYER_FILE);
    m_monsters = Load(MONSTER_FILE);
    m_npcs = Load(NPC_FILE);
    m_classAni = Load(CLASS_ANI_FILE);
    m_idAni = Load(ID_ANI_FILE);
    m_levelColors = Load(LEVEL_COLOR_FILE);
    m_groups = Load(GROUP_FILE);
}

bool CCharResourceMgr::Release() {
    for (auto* table : {&m_players, &m_monsters, &m_npcs, &m_classAni, &m_idAni, &m_levelColors, &m_groups})
        table->reset();
    m_idFlags.clear();
    m_shadow.reset();
    return CObjectMgr::Release();
}

const CDataTable* CCharResourceMgr::GetTable(uint16_t kind) const {
    switch (kind) {
        case 0:
            return m_players.get();
        case 1:
            return m_npcs.get();
        case 2:
        case 3:
            return m_monsters.get();
        default:
            return nullptr;
    }
}

int32_t CCharResourceMgr::IdToRow(uint32_t id, uint16_t kind) {
    switch (kind) {
        case 0:
            return int32_t(id - PLAYER_ID_BASE);
        case 1:
            return int32_t(id - NPC_ID_BASE);
        case 2:
        case 3:
            return int32_t(id - MONSTER_ID_BASE);
        default:
            return 0;
    }
}

int32_t CCharResourceMgr::RowOf(uint32_t id, uint16_t kind) const {
    const CDataTable* table = GetTable(kind);
    int32_t row = IdToRow(id, kind);
    return table && row >= 0 && row < table->GetRowCount() ? row : -1;
}

uint16_t CCharResourceMgr::RefNumber(const CDataTable* table, int column, int32_t row) const {
    uint16_t number = 0;
    if (table) table->GetRef(column, row, &number, nullptr, nullptr);
    return number;
}

uint16_t CCharResourceMgr::GetResourceNumber(uint32_t id, uint16_t kind) const {
    return RefNumber(GetTable(kind), IsMonsterKind(kind) ? COL_MONSTER_REF : COL_PLAYER_REF,
                     IdToRow(id, kind));
}

uint16_t CCharResourceMgr::FindResourceNumberByName(const char* name, uint16_t kind) const {
    const CDataTable* table = GetTable(kind);
    if (!table || !name) return 0;
    for (int32_t row = 0; row < table->GetRowCount(); ++row) {
        const char* cell = table->GetText(COL_NAME, row);
        if (cell && std::strcmp(cell, name) == 0)
            return RefNumber(table, IsMonsterKind(kind) ? COL_MONSTER_REF : COL_PLAYER_REF, row);
    }
    return 0;
}

int32_t CCharResourceMgr::FindRowByName(const char* name, uint16_t kind) {
    const CDataTable* table = GetTable(kind);
    if (!table || !name) return -1;
    const int column = kind == 1 ? COL_NPC_NAME : COL_NAME;
    for (int32_t row = 0; row < table->GetRowCount(); ++row) {
        const char* cell = table->GetText(column, row);
        if (cell && std::strcmp(cell, name) == 0) return row;
    }
    return -1;
}

const char* CCharResourceMgr::GetName(uint32_t id, uint16_t kind) {
    const CDataTable* table = GetTable(kind);
    return table ? table->GetText(COL_NAME, IdToRow(id, kind)) : nullptr;
}

int32_t CCharResourceMgr::FindRow(uint32_t id, uint16_t kind) {
    return RowOf(id, kind);
}

const char* CCharResourceMgr::GetMonsterName(uint32_t id) const {
    return m_monsters ? m_monsters->GetText(COL_NAME, int32_t(id - MONSTER_ID_BASE)) : nullptr;
}

uint16_t CCharResourceMgr::GetMonsterRef85(uint32_t id) const {
    return RefNumber(m_monsters.get(), COL_MONSTER_REF_85, int32_t(id - MONSTER_ID_BASE));
}

void CCharResourceMgr::GetMonsterAniRef(uint32_t id, uint16_t* animation, uint16_t* motion,
                                        uint8_t* direction) const {
    *animation = *motion = 0;
    *direction = 0;
    const int64_t row = int64_t(id) - MONSTER_ID_BASE;
    if (!m_monsters || row < 0 || row >= m_monsters->GetRowCount()) return;
    m_monsters->GetRef(COL_MONSTER_REF, int32_t(row), animation, motion, direction);
}

uint8_t CCharResourceMgr::GetMonsterByte14(int32_t row) const {
    return m_monsters ? uint8_t(m_monsters->GetInt(COL_MONSTER_BYTE_14, row)) : 0;
}

int32_t CCharResourceMgr::GetKindByte(int32_t row, uint16_t kind) const {
    if (kind == 0) return 1;
    if (kind == 2) return m_monsters ? uint8_t(m_monsters->GetInt(COL_MONSTER_KIND, row)) : 0;
    return -1;
}

uint32_t CCharResourceMgr::GetLevelColor(int32_t a, int32_t b) const {
    if (!m_levelColors) return NO_LEVEL_COLOR;
    const int64_t difference = int64_t(a) - b;
    for (int32_t row = 0; row < m_levelColors->GetRowCount(); ++row) {
        int32_t minimum = m_levelColors->GetSignedTupleInt(COL_LEVEL_RANGE, row, 0);
        int32_t maximum = m_levelColors->GetSignedTupleInt(COL_LEVEL_RANGE, row, 1);
        if (difference < minimum || difference > maximum) continue;
        const uint8_t* rgb = m_levelColors->GetBytes3(COL_LEVEL_COLOR, row);
        return rgb ? uint32_t(rgb[0]) << 16 | uint32_t(rgb[1]) << 8 | rgb[2] : 0;
    }
    return NO_LEVEL_COLOR;
}

const CDataTable* CCharResourceMgr::GetClassAniSet(int32_t group, int32_t index, int32_t part) const {
    if (!m_classAni || group < 0 || index < 0 || index >= CLASS_ANI_GROUP_ROWS || part < 0) return nullptr;
    const int64_t row = int64_t(group) * CLASS_ANI_GROUP_ROWS + index;
    if (row >= m_classAni->GetRowCount()) return nullptr;
    return m_classAni->GetNested(part + 1, int32_t(row));
}

int32_t CCharResourceMgr::GetClassAniSetCount(int32_t group, int32_t index, int32_t part) const {
    const CDataTable* set = GetClassAniSet(group, index, part);
    return set ? set->GetRowCount() : 0;
}

const CDataTable* CCharResourceMgr::GetIdAniSet(uint32_t id, int32_t index, int32_t column) const {
    if (!m_idAni || index < 0 || index >= ID_ANI_GROUP_ROWS) return nullptr;
    const int32_t rows = m_idAni->GetRowCount();
    for (int32_t first = 0, group = 0; first < rows; first += ID_ANI_GROUP_ROWS, ++group) {
        bool match = false;
        for (int c = COL_FIRST_ANI_ID; c <= COL_LAST_ANI_ID && !match; ++c)
            match = m_idAni->GetInt(c, first) == id;
        if (match) return m_idAni->GetNested(column, group * ID_ANI_GROUP_ROWS + index);
    }
    return nullptr;
}

int32_t CCharResourceMgr::GetIdAniSetCount(uint32_t id, int32_t index, int32_t column) const {
    const CDataTable* set = GetIdAniSet(id, index, column);
    return set ? set->GetRowCount() : 0;
}

bool CCharResourceMgr::IsIdInFlaggedGroup(uint32_t id) const {
    if (!m_groups) return false;
    const CDataColumn* ids = m_groups->GetColumn(COL_GROUP_IDS);
    const int count = ids && ids->m_type == kColList ? ids->m_listLength : 0;
    for (int32_t row = 0; row < m_groups->GetRowCount(); ++row)
        for (int n = 0; n < count; ++n)
            if (m_groups->GetTupleInt(COL_GROUP_IDS, row, n) == id)
                return m_groups->GetInt(COL_GROUP_FLAG, row) == 1;
    return false;
}

void CCharResourceMgr::SetIdFlag(uint32_t id, uint8_t flag) {
    if (CIdFlag* node = FindIdFlag(id))
        node->m_flag = flag;
    else
        m_idFlags.push_back({id, flag});
}

CIdFlag* CCharResourceMgr::FindIdFlag(uint32_t id) {
    auto found =
        std::find_if(m_idFlags.begin(), m_idFlags.end(), [id](const CIdFlag& f) { return f.m_id == id; });
    return found == m_idFlags.end() ? nullptr : &*found;
}

void CCharResourceMgr::RemoveIdFlag(uint32_t id) {
    m_idFlags.remove_if([id](const CIdFlag& f) { return f.m_id == id; });
}

bool CCharResourceMgr::DrawShadow(int32_t x, int32_t y, int32_t size) {
    if (!m_shadow) return false;
    m_shadow->SetScreenPosition(x, y, 0);
    m_shadow->SetDirection(2);
    m_shadow->SetMotion(std::clamp(size, 0, MAX_SHADOW_SIZE));
    m_shadow->Draw();
    return true;
}
