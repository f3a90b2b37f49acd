#include "data/skill_table_mgr.h"

#include <algorithm>
#include <cmath>

#include "core/config.h"
#include "data/game_hooks.h"
#include "data/item_object.h"

CSkillTableMgr* g_pSkillTableMgr = nullptr;

namespace {

// Degrees to radians as the cast-position search has always turned them.
constexpr double kRadiansPerDegree = 0.01745328888888889;
constexpr double kDegreesPerRadian = 57.29577951308232;

bool IsAliveState(uint16_t state) {
    return state <= 2;
}

double Squared(double v) {
    return v * v;
}

}  // namespace

int32_t SkillIdToRow(uint32_t skillId) {
    return skillId == 0 ? 0 : int32_t(skillId - SKILL_ID_BASE);
}

bool CSkillUse::HasTarget(uint32_t id) const {
    return std::any_of(m_targets.begin(), m_targets.end(), [id](const Target& t) { return t.m_id == id; });
}

bool CSkillUse::HasOpenTarget(uint32_t id) const {
    return std::any_of(m_targets.begin(), m_targets.end(),
                       [id](const Target& t) { return t.m_id == id && t.m_open; });
}

CSkillTableMgr::CSkillTableMgr() {
    CSkillTableMgr::Create();
}

CSkillTableMgr::~CSkillTableMgr() {
    CSkillTableMgr::Release();
}

namespace {

// The table of the file, or null when it does not load.
std::unique_ptr<CDataTable> LoadTable(int file) {
    auto table = std::make_unique<CDataTable>();
    if (!table->LoadDataTable(file)) table.reset();
    return table;
}

constexpr int SKILL_TABLE_13_FILE = 13;
constexpr int SKILL_TABLE_31_FILE = 31;
constexpr int SKILL_FACTOR_FILE = 24;
constexpr float DEFAULT_FACTORS[CSkillTableMgr::FACTOR_COUNT] = {6.0f, 7.0f, 5.0f, 5.0f};

}  // namespace

bool CSkillTableMgr::Create() {
    CObjectMgr::Create();
    m_table = LoadTable(SKILL_TABLE_FILE);
    m_table13 = LoadTable(SKILL_TABLE_13_FILE);
    m_table31 = LoadTable(SKILL_TABLE_31_FILE);
    if (std::unique_ptr<CDataTable> factors = LoadTable(SKILL_FACTOR_FILE)) {
        for (int n = 0; n < FACTOR_COUNT; ++n) m_factors[n] = float(factors->GetInt(1, n));
    } else {
        std::copy(std::begin(DEFAULT_FACTORS), std::end(DEFAULT_FACTORS), m_factors);
    }
    return m_table && m_table13 && m_table31;
}

bool CSkillTableMgr::Release() {
    m_table.reset();
    m_table13.reset();
    m_table31.reset();
    return CObjectMgr::Release();
}

// ---------------------------------------------------------------------------
// Cells of the skill's row

uint32_t CSkillTableMgr::GetSkillId(int32_t row) const {
    return Int(SKILL_COL_ID, row);
}
const char* CSkillTableMgr::GetName(int32_t row) const {
    return Text(SKILL_COL_NAME, row);
}
const char* CSkillTableMgr::GetText3(int32_t row) const {
    return Text(SKILL_COL_TEXT_3, row);
}
const char* CSkillTableMgr::GetText44(int32_t row) const {
    return Text(SKILL_COL_TEXT_44, row);
}
const char* CSkillTableMgr::GetText46(int32_t row) const {
    return Text(SKILL_COL_TEXT_46, row);
}
uint8_t CSkillTableMgr::GetByte5(int32_t row) const {
    return uint8_t(Int(SKILL_COL_BYTE_5, row));
}
uint8_t CSkillTableMgr::GetByte16(int32_t row) const {
    return uint8_t(Int(SKILL_COL_BYTE_16, row));
}
int8_t CSkillTableMgr::GetByte15(int32_t row) const {
    return int8_t(Int(SKILL_COL_BYTE_15, row));
}
int8_t CSkillTableMgr::GetByte26(int32_t row) const {
    return int8_t(Int(SKILL_COL_BYTE_26, row));
}
int8_t CSkillTableMgr::GetByte54(int32_t row) const {
    return int8_t(Int(SKILL_COL_BYTE_54, row));
}
int8_t CSkillTableMgr::GetByte55(int32_t row) const {
    return int8_t(Int(SKILL_COL_BYTE_55, row));
}
bool CSkillTableMgr::HasByte6(int32_t row) const {
    return Int(SKILL_COL_BYTE_6, row) != 0;
}
bool CSkillTableMgr::HasByte8(int32_t row) const {
    return Int(SKILL_COL_BYTE_8, row) != 0;
}
uint32_t CSkillTableMgr::GetDword11(int32_t row) const {
    return Int(SKILL_COL_DWORD_11, row);
}
uint32_t CSkillTableMgr::GetDword48(int32_t row) const {
    return Int(SKILL_COL_DWORD_48, row);
}
uint16_t CSkillTableMgr::GetEffectId(int32_t row) const {
    return uint16_t(Int(SKILL_COL_EFFECT_ID, row));
}
uint16_t CSkillTableMgr::GetCastEffectId(int32_t row) const {
    return uint16_t(Int(SKILL_COL_CAST_EFFECT_ID, row));
}
uint16_t CSkillTableMgr::GetOverlayKind(int32_t row) const {
    return uint16_t(Int(SKILL_COL_OVERLAY_KIND, row));
}
uint32_t CSkillTableMgr::GetDword49(int32_t row) const {
    return Int(SKILL_COL_DWORD_49, row);
}
uint8_t CSkillTableMgr::GetTargetType(int32_t row) const {
    return uint8_t(Int(SKILL_COL_TARGET_TYPE, row));
}

bool CSkillTableMgr::Ref(int column, int32_t row, uint16_t* first, uint16_t* second, uint8_t* third) const {
    if (m_table) return m_table->GetRef(column, row, first, second, third);
    if (first) *first = 0;
    if (second) *second = 0;
    if (third) *third = 0;
    return false;
}

bool CSkillTableMgr::GetResourceRef12(int32_t row, uint16_t* first, uint16_t* second, uint8_t* third) const {
    Ref(SKILL_COL_REF_12, row, first, second, third);
    return true;
}
bool CSkillTableMgr::GetResourceRef13(int32_t row, uint16_t* first, uint16_t* second, uint8_t* third) const {
    Ref(SKILL_COL_REF_13, row, first, second, third);
    return true;
}
bool CSkillTableMgr::GetResourceRef56(int32_t row, uint16_t* first, uint16_t* second, uint8_t* third) const {
    Ref(SKILL_COL_REF_56, row, first, second, third);
    return true;
}
bool CSkillTableMgr::GetResourceRef57(int32_t row, uint16_t* first, uint16_t* second, uint8_t* third) const {
    Ref(SKILL_COL_REF_57, row, first, second, third);
    return true;
}

bool CSkillTableMgr::SkillPairs(int firstColumn, int32_t row, uint32_t ids[3], uint8_t levels[3]) const {
    for (int n = 0; n < 3; ++n) {
        ids[n] = Int(firstColumn + 2 * n, row);
        levels[n] = uint8_t(Int(firstColumn + 2 * n + 1, row));
    }
    return true;
}

bool CSkillTableMgr::GetRequiredSkills(int32_t row, uint32_t ids[3], uint8_t levels[3]) const {
    return SkillPairs(SKILL_COL_REQUIRED, row, ids, levels);
}

bool CSkillTableMgr::GetExcludingSkills(int32_t row, uint32_t ids[3], uint8_t levels[3]) const {
    return SkillPairs(SKILL_COL_EXCLUDING, row, ids, levels);
}

// ---------------------------------------------------------------------------
// The level table

const CDataTable* CSkillTableMgr::Levels(int32_t row) const {
    return m_table ? m_table->GetNested(SKILL_COL_LEVELS, row) : nullptr;
}

uint32_t CSkillTableMgr::LevelInt(int32_t row, int32_t level, int column) const {
    const CDataTable* levels = Levels(row);
    return levels ? levels->GetInt(column, std::max(level, 0)) : 0;
}

int64_t CSkillTableMgr::LevelIntOrMissing(int32_t row, int32_t level, int column) const {
    const CDataTable* levels = Levels(row);
    if (!levels) return 0;
    if (level >= levels->GetRowCount()) return -1;
    if (level < 0) return 0;
    return levels->GetInt(column, level);
}

int32_t CSkillTableMgr::GetLevelByte3(int32_t row, int32_t level) const {
    return int32_t(LevelIntOrMissing(row, level, 3));
}
int32_t CSkillTableMgr::GetLevelByte4(int32_t row, int32_t level) const {
    return int32_t(LevelIntOrMissing(row, level, 4));
}
int64_t CSkillTableMgr::GetLevelDword5(int32_t row, int32_t level) const {
    return LevelIntOrMissing(row, level, 5);
}
uint8_t CSkillTableMgr::GetLevelByte12(int32_t row, int32_t level) const {
    return uint8_t(LevelInt(row, level, 12));
}
uint8_t CSkillTableMgr::GetLevelByte27(int32_t row, int32_t level) const {
    return uint8_t(LevelInt(row, level, 27));
}
uint8_t CSkillTableMgr::GetLevelByte30(int32_t row, int32_t level) const {
    return uint8_t(LevelInt(row, level, 30));
}
uint32_t CSkillTableMgr::GetLevelDword15(int32_t row, int32_t level) const {
    return LevelInt(row, level, 15);
}
uint32_t CSkillTableMgr::GetLevelDword25(int32_t row, int32_t level) const {
    return LevelInt(row, level, 25);
}
int32_t CSkillTableMgr::GetLevelTime31(int32_t row, int32_t level) const {
    return int16_t(LevelInt(row, level, 31)) * 10;
}
int32_t CSkillTableMgr::GetLevelTime32(int32_t row, int32_t level) const {
    return int16_t(LevelInt(row, level, 32)) * 10;
}
uint8_t CSkillTableMgr::GetLevelByte14(int32_t row, int32_t level) const {
    return Int(SKILL_COL_MODE_15, row) == 1 ? uint8_t(LevelInt(row, level, 14)) : 0;
}
int32_t CSkillTableMgr::GetLevelCount(int32_t row) const {
    const CDataTable* levels = Levels(row);
    return levels ? levels->GetRowCount() : 0;
}

// ---------------------------------------------------------------------------
// By skill id

int32_t CSkillTableMgr::FindRowById(uint32_t skillId) const {
    if (!m_table) return -1;
    for (int32_t row = 0; row < m_table->GetRowCount(); ++row)
        if (m_table->GetInt(SKILL_COL_ID, row) == skillId) return row;
    return -1;
}

const char* CSkillTableMgr::GetTextById(uint32_t skillId) const {
    return Text(SKILL_COL_MODE_15, FindRowById(skillId));
}

const char* CSkillTableMgr::GetNameById(uint32_t skillId) const {
    return Text(SKILL_COL_NAME, FindRowById(skillId));
}

bool CSkillTableMgr::GetResourceRef5ById(uint32_t skillId, uint16_t* first, uint16_t* second,
                                         uint8_t* third) const {
    return Ref(SKILL_COL_BYTE_5, FindRowById(skillId), first, second, third);
}

// ---------------------------------------------------------------------------
// Values that follow the weapon

CItemObject* CSkillTableMgr::Weapon(CChar* user) const {
    return user ? GameWorld().GetItemInSlot(user, WEAPON_SLOT) : nullptr;
}

uint32_t CSkillTableMgr::GetDword9(int32_t row, CChar* user, bool forceOwn) const {
    uint32_t mode = Int(SKILL_COL_MODE_9, row);
    if (mode == 1 || forceOwn) return Int(SKILL_COL_VALUE_9, row);
    if (mode == 2) {
        CItemObject* weapon = Weapon(user);
        return weapon ? weapon->GetDword38() : 0;
    }
    return 0;
}

uint32_t CSkillTableMgr::GetLevelValue15ByMode(CChar* user, int32_t row, int32_t level) const {
    switch (Int(SKILL_COL_MODE_15, row)) {
        case 1:
            return LevelInt(row, level, 15);
        case 2: {
            CItemObject* weapon = Weapon(user);
            return weapon ? weapon->GetDword45() : 0;
        }
        default:
            return 0;
    }
}

int32_t CSkillTableMgr::Range(CChar* user, int32_t row, int element) const {
    switch (Int(SKILL_COL_RANGE_MODE, row)) {
        case 1:
            return m_table ? m_table->GetSignedTupleInt(SKILL_COL_RANGE, row, element) : 0;
        case 2: {
            CItemObject* weapon = Weapon(user);
            if (!weapon || GameWorld().IsStatus9Set(user)) return 0;
            return element == 0 ? weapon->GetMinRange() : weapon->GetMaxRange();
        }
        default:
            return 0;
    }
}

int32_t CSkillTableMgr::GetMinRange(CChar* user, int32_t row) const {
    return Range(user, row, 0);
}

int32_t CSkillTableMgr::GetMaxRange(CChar* user, int32_t row) const {
    return Range(user, row, 1);
}

int32_t CSkillTableMgr::GetLevelTime28(CChar* user, int32_t row, int32_t level) const {
    CItemObject* weapon = Weapon(user);
    int column = weapon && weapon->HasByte42() ? 26 : 28;
    return int32_t(uint16_t(LevelInt(row, level, column))) * 10;
}

// ---------------------------------------------------------------------------
// Targets and ranges

bool CSkillTableMgr::IsValidTarget(CChar* user, CChar* target, int32_t row) const {
    IGameWorldHooks& world = GameWorld();
    const bool serverMode = g_config.m_useServer;
    switch (GetTargetType(row)) {
        case TARGET_ENEMY:
            return target && world.CanAttack(user, target);
        case TARGET_OTHER:
            return !serverMode || (target && !world.IsPlayerChar(target) && !world.CanAttack(user, target));
        case TARGET_SELF:
            return target == user;
        case TARGET_ALIVE:
        case TARGET_ALIVE_2:
            return target && IsAliveState(world.GetState(target));
        case TARGET_NO_FLAG:
            return !world.IsTargetFlagSet();
        case TARGET_STANDING:
            return target && world.GetState(target) == 0;
        case TARGET_ANY_GIVEN:
            return target != nullptr;
        case TARGET_POINT:
            return !serverMode || (target && !world.CanAttack(user, target));
        default:
            return true;
    }
}

bool CSkillTableMgr::IsPointInRange(CChar* user, int32_t row, int32_t, int32_t x, int32_t y) const {
    auto [ux, uy] = GameWorld().GetPosition(user);
    double d2 = Squared(double(x) - ux) + Squared(double(y) - uy);
    double minRange = GetMinRange(user, row), maxRange = GetMaxRange(user, row);
    return Squared(minRange) <= d2 && d2 <= Squared(maxRange);
}

bool CSkillTableMgr::IsTargetInRange(CChar* user, int32_t row, int32_t, CChar* target) const {
    if (!target || target == user) return true;
    IGameWorldHooks& world = GameWorld();
    auto [ux, uy] = world.GetPosition(user);
    auto [tx, ty] = world.GetMapPoint(target);
    double radius = world.GetRadius(target);
    double d2 = Squared(double(tx) - ux) + Squared(double(ty) - uy);
    double minRange = GetMinRange(user, row) + radius, maxRange = GetMaxRange(user, row) + radius;
    return Squared(minRange) <= d2 && d2 <= Squared(maxRange);
}

std::pair<int32_t, int32_t> CSkillTableMgr::ScanAround(double cx, double cy, double startDegrees, double r,
                                                       double minRange, double maxRange, Fit fit) const {
    IGameWorldHooks& world = GameWorld();
    std::pair<int32_t, int32_t> last{-1, -1};
    for (int k = 0; k < 360; k += CAST_ANGLE_STEP) {
        const double a = (startDegrees + k) * kRadiansPerDegree;
        const double dx = std::cos(a), dy = std::sin(a);
        // The candidate lies at distance radius from the centre.
        double radius = std::max(r, 0.0);
        switch (fit) {
            case Fit::ShrinkAtOrBeyondMax:
                while (radius > 0 && radius >= maxRange) radius = std::max(radius - 1, 0.0);
                break;
            case Fit::ShrinkBeyondMax:
                while (radius > 0 && radius > maxRange) radius = std::max(radius - 1, 0.0);
                break;
            case Fit::GrowToMin:
                while (radius < minRange && radius + 1 <= maxRange) radius += 1;
                break;
        }
        last = {int32_t(cx + radius * dx), int32_t(cy + radius * dy)};
        if (world.IsWalkable(last.first, last.second)) return last;
    }
    return last;
}

std::pair<int32_t, int32_t> CSkillTableMgr::FindCastPosition(CChar* user, int32_t row, int32_t,
                                                             CChar* target) const {
    IGameWorldHooks& world = GameWorld();
    if (!world.HasMap() || !target || !IsAliveState(world.GetState(target))) return {-1, -1};
    auto [tx, ty] = world.GetMapPoint(target);
    auto [ux, uy] = world.GetPosition(user);
    const double radius = world.GetRadius(target);
    const double ownMin = GetMinRange(user, row), ownMax = GetMaxRange(user, row);
    const double minRange = ownMin + radius, maxRange = ownMax + radius;
    const double d2 = Squared(double(tx) - ux) + Squared(double(ty) - uy);
    if (Squared(minRange) <= d2 && d2 <= Squared(maxRange)) return {-1, -1};
    const double start = std::atan2(double(uy) - ty, double(ux) - tx) * kDegreesPerRadian;
    if (d2 > Squared(maxRange))
        return ScanAround(tx, ty, start, ownMin + (ownMax - ownMin) * 0.5 + radius + 0.5, minRange, maxRange,
                          Fit::ShrinkAtOrBeyondMax);
    return ScanAround(tx, ty, start, minRange + 0.5, minRange, maxRange, Fit::GrowToMin);
}

std::pair<int32_t, int32_t> CSkillTableMgr::FindCastPositionForPoint(CChar* user, int32_t row, int32_t,
                                                                     int32_t x, int32_t y) const {
    IGameWorldHooks& world = GameWorld();
    if (!world.HasMap()) return {-1, -1};
    auto [ux, uy] = world.GetPosition(user);
    const double minRange = GetMinRange(user, row), maxRange = GetMaxRange(user, row);
    const double d2 = Squared(double(x) - ux) + Squared(double(y) - uy);
    if (Squared(minRange) <= d2 && d2 <= Squared(maxRange)) return {-1, -1};
    const double start = std::atan2(double(uy) - y, double(ux) - x) * kDegreesPerRadian;
    return ScanAround(x, y, start, maxRange, minRange, maxRange, Fit::ShrinkBeyondMax);
}

bool CSkillTableMgr::CanUseSkill(CChar* user, int32_t row, int32_t level) const {
    IGameWorldHooks& world = GameWorld();
    const int32_t required = GetLevelByte3(row, level);
    if (required == -1 || int64_t(required) > int64_t(world.GetRequirementValue(user, 0))) return false;
    if (GetLevelDword5(row, level) > int64_t(world.GetRequirementValue(user, 1))) return false;
    if (int64_t(GetLevelByte4(row, level)) > int64_t(world.GetRequirementValue(user, 2))) return false;
    if (level > 0) return HasByte8(row);

    uint32_t ids[3];
    uint8_t levels[3];
    GetRequiredSkills(row, ids, levels);
    for (int n = 0; n < 3; ++n) {
        if (ids[n] == 0) continue;
        const int32_t skill = SkillIdToRow(ids[n]);
        if (!world.HasSkill(user, skill) || int64_t(world.GetSkillValue(user, skill)) - 1 < levels[n])
            return false;
    }
    GetExcludingSkills(row, ids, levels);
    for (int n = 0; n < 3; ++n) {
        if (ids[n] == 0) continue;
        const int32_t skill = SkillIdToRow(ids[n]);
        if (world.HasSkill(user, skill) && int64_t(world.GetSkillValue(user, skill)) - 1 >= levels[n])
            return false;
    }
    return true;
}

bool CSkillTableMgr::GetSectionIcon(uint32_t, uint16_t* animation, uint16_t* motion,
                                    uint8_t* direction) const {
    if (animation) *animation = 0;
    if (motion) *motion = 0;
    if (direction) *direction = 0;
    return false;
}

const char* CSkillTableMgr::GetSectionName(uint32_t) const {
    return nullptr;
}

const char* CSkillTableMgr::GetSectionHelp(uint32_t) const {
    return nullptr;
}

// ---------------------------------------------------------------------------
// Running skill uses

CSkillUse* CSkillTableMgr::FindActiveSkillUse(uint32_t ownerId, uint32_t targetId) {
    for (CMsgObject* child : Children()) {
        auto* use = dynamic_cast<CSkillUse*>(child);
        if (use && !use->m_finished && use->m_ownerId == ownerId && use->HasOpenTarget(targetId)) return use;
    }
    return nullptr;
}

bool CSkillTableMgr::MarkTargetHit(uint32_t ownerId, uint32_t targetId) {
    CSkillUse* use = FindActiveSkillUse(ownerId, targetId);
    if (!use) return false;
    for (auto it = use->m_targets.rbegin(); it != use->m_targets.rend(); ++it)
        if (it->m_id == targetId && it->m_open) {
            it->m_open = false;
            it->m_hit = true;
            return true;
        }
    return false;
}

CSkillUse* CSkillTableMgr::FindSkillUseByTarget(uint32_t targetId) {
    for (CMsgObject* child : Children()) {
        auto* use = dynamic_cast<CSkillUse*>(child);
        if (use && use->HasTarget(targetId)) return use;
    }
    return nullptr;
}

bool CSkillTableMgr::UpdateSkillUses() {
    for (CMsgObject* child : Children())
        if (auto* use = dynamic_cast<CSkillUse*>(child)) use->Update();
    std::vector<uint32_t> finished;
    for (CMsgObject* child : Children()) {
        auto* use = dynamic_cast<CSkillUse*>(child);
        if (use && use->m_finished) finished.push_back(use->GetId());
    }
    for (uint32_t id : finished) DeleteChild(id);
    return true;
}
