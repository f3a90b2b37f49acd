// The four actor kinds: their set-up and the look-ups of their resource rows.
#include <cstring>

#include "anim/ani_object.h"
#include "core/error_box.h"
#include "data/char_resource_mgr.h"
#include "data/data_table.h"
#include "data/text_tables.h"
#include "world/chars/char.h"
#include "world/chars/char_controller.h"
#include "world/chars/char_services.h"

namespace {

// Resource columns.
enum : int {
    COL_KEY = 0,
    COL_INFO = 3,
    COL_INFO_ALT = 4,
    COL_FIXED_DIR = 4,
    COL_FACE = 6,
    COL_MONSTER_FLAG6 = 6,
    COL_MONSTER_VALUE7 = 7,
    COL_MONSTER_VALUE8 = 8,
    COL_MONSTER_VALUE11 = 11,
    COL_MONSTER_NO_HIT = 13,
    COL_NPC_FLAG7 = 7,
    COL_NPC_VALUE8 = 8,
    COL_NPC_NO_TURN = 9,
    COL_NPC_FLAG10 = 10,
    COL_PLAYER_VALUE14 = 14,
};

constexpr char USER_SHOP_MERCHANT[] = "UserShopMerchant";

}  // namespace

int32_t FixedDirectionOfCode(uint32_t code) {
    static const int32_t directions[] = {-1, 2, 0, 14, 12, 10, 8, 6, 4};
    return code < 9 ? directions[code] : -1;
}

// ---- Players ----

const char* CPlayerChar::GetInfo(const void* argument) {
    // The name the server gave is the shown one; the class text otherwise.
    const int32_t row = ValidRow();
    if (row < 0 || m_info[0]) return m_info;
    const char* text = ResourceTable()->GetText(argument ? COL_INFO_ALT : COL_INFO, row);
    return text ? text : "";
}

bool CPlayerChar::Setup(uint32_t resourceId, CMap* map, uint32_t objectId, uint32_t creationArg,
                        int32_t animationId) {
    return CChar::Setup(resourceId, map, objectId, creationArg, animationId);
}

uint16_t CPlayerChar::GetFaceAniId() const {
    return uint16_t(ResourceInt(COL_FACE, 0));
}

uint8_t CPlayerChar::GetValue14() const {
    return uint8_t(ResourceInt(COL_PLAYER_VALUE14, 0));
}

// ---- NPCs ----

const char* CNpcChar::GetInfo(const void* argument) {
    const int32_t row = ValidRow();
    if (row < 0) return m_info;
    const char* text = ResourceTable()->GetText(argument ? COL_INFO_ALT : COL_INFO, row);
    return text ? text : "";
}

bool CNpcChar::Setup(uint32_t resourceId, CMap* map, uint32_t objectId, uint32_t creationArg,
                     int32_t animationId) {
    if (!SetupCommon(resourceId, map, objectId, creationArg, animationId, CHAR_KIND_NPC)) return false;
    m_clearedWord = 0;
    m_lineCounter = 0;
    return true;
}

uint16_t CNpcChar::GetFaceAniId() const {
    return uint16_t(ResourceInt(COL_FACE, 0));
}
bool CNpcChar::GetFlag7() const {
    return ResourceInt(COL_NPC_FLAG7, 0) != 0;
}
int8_t CNpcChar::GetValue8() const {
    return int8_t(ResourceSigned(COL_NPC_VALUE8, 0));
}
bool CNpcChar::TurnsToTalker() const {
    return ResourceInt(COL_NPC_NO_TURN, 0) == 0;
}
bool CNpcChar::GetFlag10() const {
    return ResourceInt(COL_NPC_FLAG10, 0) == 0;
}

bool CNpcChar::IsUserShopMerchant() const {
    const int32_t row = ValidRow();
    const char* key = row < 0 ? nullptr : ResourceTable()->GetText(COL_KEY, row);
    return key && std::strcmp(key, USER_SHOP_MERCHANT) == 0;
}

int32_t CNpcChar::NextLineIndex() {
    const int32_t line = m_lineCounter;
    m_lineCounter = line >= 4 ? 0 : line + 1;
    return line;
}

// ---- Monsters ----

bool CMonsterChar::CreateController() {
    m_pController = std::make_unique<CCharController>(this, false);
    return m_pController->Create();
}

bool CMonsterChar::Setup(uint32_t resourceId, CMap* map, uint32_t objectId, uint32_t creationArg,
                         int32_t animationId) {
    if (!SetupCommon(resourceId, map, objectId, creationArg, animationId, CHAR_KIND_MONSTER)) return false;
    // The row is known once the animation is built: a fixed direction wins.
    if (HasFixedDirection() && GetFixedDirection() >= 0) SetDirection(uint8_t(GetFixedDirection()));
    return true;
}

bool CMonsterChar::HasFixedDirection() const {
    return ResourceInt(COL_FIXED_DIR, 0) != 0;
}
int32_t CMonsterChar::GetFixedDirection() const {
    const int32_t row = ValidRow();
    return row < 0 ? -1 : FixedDirectionOfCode(ResourceTable()->GetInt(COL_FIXED_DIR, row));
}
// Without a resource manager these take their own defaults; a manager
// without the table answers as for a bad row.
bool CMonsterChar::GetFlag6() const {
    if (!g_pCharResourceMgr) return true;
    return ResourceInt(COL_MONSTER_FLAG6, 0) != 0;
}
int8_t CMonsterChar::GetValue7() const {
    return int8_t(ResourceSigned(COL_MONSTER_VALUE7, 0));
}
bool CMonsterChar::ReactsToHit() const {
    return ResourceInt(COL_MONSTER_NO_HIT, 0) == 0;
}
uint8_t CMonsterChar::GetValue11() const {
    return uint8_t(ResourceInt(COL_MONSTER_VALUE11, g_pCharResourceMgr ? 0 : 1));
}
uint16_t CMonsterChar::GetValue8() const {
    return uint16_t(ResourceInt(COL_MONSTER_VALUE8, g_pCharResourceMgr ? 0 : 1));
}

// ---- Pets ----

bool CPetChar::CreateController() {
    m_pController = std::make_unique<CCharController>(this, false);
    return m_pController->Create();
}

void CPetChar::AddPetEffect(uint32_t resourceId) {
    if (resourceId >= PET_EFFECT_FROM && m_pEffects)
        m_pEffects->AddEffect(PET_EFFECT_KEY, 0, 1, PET_EFFECT_ANI, 0, 2);
}

bool CPetChar::Setup(uint32_t resourceId, CMap* map, uint32_t objectId, uint32_t creationArg,
                     int32_t animationId) {
    if (!SetupCommon(resourceId, map, objectId, creationArg, animationId, CHAR_KIND_PET)) {
        ReportError("%s", GetTableText(6, 0));
        return false;
    }
    AddPetEffect(resourceId);
    return true;
}

bool CPetChar::SetupPreview(uint32_t resourceId) {
    const uint32_t animation =
        g_pCharResourceMgr ? g_pCharResourceMgr->GetResourceNumber(resourceId, CHAR_KIND_PET) : 0;
    m_resourceId = resourceId;
    const uint16_t kind = m_typeCode;
    if (!CreateWithAni(kind, resourceId, animation, false)) return false;
    m_typeCode = kind;
    m_pAniObject->SetMotion(0);
    SetDirection(10);
    m_pAniObject->SetUnderlay(true);
    m_shown = 1;
    m_pAniObject->SetOwner(this);
    if (!CreateController()) return false;
    AddPetEffect(resourceId);
    return true;
}
