// The skill table (data file 6, one row per skill; skill id = 3,000,000 +
// row) and every question the game asks about a skill. The manager's
// children are the running skill uses.
//
// Members take the skill row. With no table, a row outside the table, or a
// column of another type than the accessor reads, the result is 0 (false,
// null). Level accessors read the skill's level table (nested in column 62,
// one row per level, 0-based) and read a negative level as level 0, except
// where said otherwise.
#pragma once
#include <cstdint>
#include <memory>
#include <utility>
#include <vector>

#include "core/draw_object.h"
#include "core/object_mgr.h"
#include "data/data_table.h"

class CChar;
class CItemObject;

inline constexpr uint32_t SKILL_ID_BASE = 3000000;
inline constexpr int SKILL_TABLE_FILE = 6;

// The skill-table row of a skill id (id - 3,000,000; 0 for the id 0).
int32_t SkillIdToRow(uint32_t skillId);

// Skill-table columns read here.
enum SkillColumn : int {
    SKILL_COL_ID = 1,
    SKILL_COL_NAME = 2,
    SKILL_COL_TEXT_3 = 3,
    SKILL_COL_BYTE_5 = 5,  // a byte, and a reference read by skill id
    SKILL_COL_BYTE_6 = 6,
    SKILL_COL_BYTE_8 = 8,
    SKILL_COL_VALUE_9 = 9,
    SKILL_COL_MODE_9 = 10,  // 1: column 9, 2: the weapon's value
    SKILL_COL_DWORD_11 = 11,
    SKILL_COL_REF_12 = 12,
    SKILL_COL_REF_13 = 13,
    SKILL_COL_BYTE_15 = 15,
    SKILL_COL_BYTE_16 = 16,
    SKILL_COL_MODE_15 = 17,     // a text read by skill id, and the mode of level column 15
    SKILL_COL_RANGE_MODE = 19,  // 1: column 20, 2: the weapon's range
    SKILL_COL_RANGE = 20,       // pair of signed 16-bit: minimum and maximum
    SKILL_COL_TARGET_TYPE = 21,
    SKILL_COL_EFFECT_ID = 22,       // u16: the effect the skill's use plays (0: none)
    SKILL_COL_CAST_EFFECT_ID = 23,  // u16: the effect its cast plays (0: none)
    SKILL_COL_OVERLAY_KIND = 24,    // u16: the overlay its state shows (1-7; 0: none)
    SKILL_COL_BYTE_26 = 26,
    SKILL_COL_REQUIRED = 32,   // 32-37: three (id u32, level u8) pairs
    SKILL_COL_EXCLUDING = 38,  // 38-43: the same layout
    SKILL_COL_TEXT_44 = 44,
    SKILL_COL_TEXT_46 = 46,
    SKILL_COL_DWORD_48 = 48,
    SKILL_COL_DWORD_49 = 49,
    SKILL_COL_BYTE_54 = 54,
    SKILL_COL_BYTE_55 = 55,
    SKILL_COL_REF_56 = 56,  // caster animation
    SKILL_COL_REF_57 = 57,  // hit animation
    SKILL_COL_LEVELS = 62,  // the nested level table
};

// One running use of a skill (one per cast): the character code's skill
// action, a drawable object (its icon can be dragged).
class CSkillUse : public CDrawObject {
public:
    struct Target {
        uint32_t m_id = 0;
        bool m_open = true;  // the target still has an entry to play
        bool m_hit = false;  // the server reported it finished
        bool m_blocked = false;
    };

    uint32_t m_ownerId = 0;
    std::vector<Target> m_targets;
    uint8_t m_finished = 0;  // deleted by the manager's next UpdateSkillUses

    bool HasTarget(uint32_t id) const;
    bool HasOpenTarget(uint32_t id) const;
};

class CSkillTableMgr : public CObjectMgr {
public:
    // Target types of column 21.
    enum : uint8_t {
        TARGET_ENEMY = 1,
        TARGET_OTHER = 2,
        TARGET_SELF = 3,
        TARGET_ALIVE = 4,
        TARGET_NO_FLAG = 5,
        TARGET_STANDING = 6,
        TARGET_ALIVE_2 = 7,
        TARGET_ANY_GIVEN = 8,
        TARGET_POINT = 13,
    };
    // Equipment slot of the weapon whose values some skills follow.
    static constexpr int WEAPON_SLOT = 2;
    // Angle step of the cast-position search, degrees.
    static constexpr int CAST_ANGLE_STEP = 10;

    CSkillTableMgr();
    ~CSkillTableMgr() override;

    // Loads the skill table and tables 13 and 31 (false when one is missing)
    // and the four factors of table 24 (6, 7, 5 and 5 without it).
    bool Create() override;
    bool Release() override;
    const CDataTable* GetTable() const { return m_table.get(); }
    const CDataTable* GetTable13() const { return m_table13.get(); }
    const CDataTable* GetTable31() const { return m_table31.get(); }
    float GetFactor(int n) const { return n >= 0 && n < FACTOR_COUNT ? m_factors[n] : 0.0f; }
    static constexpr int FACTOR_COUNT = 4;

    uint32_t GetSkillId(int32_t row) const;
    const char* GetName(int32_t row) const;
    const char* GetText3(int32_t row) const;
    const char* GetText44(int32_t row) const;
    const char* GetText46(int32_t row) const;
    uint8_t GetByte5(int32_t row) const;
    uint8_t GetByte16(int32_t row) const;
    int8_t GetByte15(int32_t row) const;
    int8_t GetByte26(int32_t row) const;
    int8_t GetByte54(int32_t row) const;
    int8_t GetByte55(int32_t row) const;
    bool HasByte6(int32_t row) const;
    bool HasByte8(int32_t row) const;
    uint32_t GetDword11(int32_t row) const;
    uint32_t GetDword48(int32_t row) const;
    uint32_t GetDword49(int32_t row) const;
    uint16_t GetEffectId(int32_t row) const;
    uint16_t GetCastEffectId(int32_t row) const;
    uint16_t GetOverlayKind(int32_t row) const;
    uint8_t GetTargetType(int32_t row) const;
    // The parts of the reference; outputs 0 outside. Always true.
    bool GetResourceRef12(int32_t row, uint16_t* first, uint16_t* second, uint8_t* third) const;
    bool GetResourceRef13(int32_t row, uint16_t* first, uint16_t* second, uint8_t* third) const;
    bool GetResourceRef56(int32_t row, uint16_t* first, uint16_t* second, uint8_t* third) const;
    bool GetResourceRef57(int32_t row, uint16_t* first, uint16_t* second, uint8_t* third) const;
    // Three (skill id, level) pairs; outputs 0 outside. Always true.
    bool GetRequiredSkills(int32_t row, uint32_t ids[3], uint8_t levels[3]) const;
    bool GetExcludingSkills(int32_t row, uint32_t ids[3], uint8_t levels[3]) const;

    // Level u8 of column 3 or 4, u32 of column 5: -1 at or past the last
    // level (so a missing level differs from a stored 0), 0 below level 0.
    int32_t GetLevelByte3(int32_t row, int32_t level) const;
    int32_t GetLevelByte4(int32_t row, int32_t level) const;
    int64_t GetLevelDword5(int32_t row, int32_t level) const;
    uint8_t GetLevelByte12(int32_t row, int32_t level) const;
    uint8_t GetLevelByte27(int32_t row, int32_t level) const;
    uint8_t GetLevelByte30(int32_t row, int32_t level) const;
    // Level u16 of columns 19 to 24.
    uint16_t GetLevelWord19(int32_t row, int32_t level) const { return LevelWord(row, level, 19); }
    uint16_t GetLevelWord20(int32_t row, int32_t level) const { return LevelWord(row, level, 20); }
    uint16_t GetLevelWord21(int32_t row, int32_t level) const { return LevelWord(row, level, 21); }
    uint16_t GetLevelWord22(int32_t row, int32_t level) const { return LevelWord(row, level, 22); }
    uint16_t GetLevelWord23(int32_t row, int32_t level) const { return LevelWord(row, level, 23); }
    uint16_t GetLevelWord24(int32_t row, int32_t level) const { return LevelWord(row, level, 24); }
    // The n-th (0-5) of the six costs of a level: level words 19 to 24.
    uint16_t GetLevelCost(int32_t row, int32_t level, int n) const {
        return n >= 0 && n < 6 ? LevelWord(row, level, 19 + n) : uint16_t(0);
    }
    uint32_t GetLevelDword15(int32_t row, int32_t level) const;
    uint32_t GetLevelDword25(int32_t row, int32_t level) const;
    // Level i16 of column 31 or 32, times 10.
    int32_t GetLevelTime31(int32_t row, int32_t level) const;
    int32_t GetLevelTime32(int32_t row, int32_t level) const;
    // Level u8 of column 14 when the skill's column 17 is 1, else 0.
    uint8_t GetLevelByte14(int32_t row, int32_t level) const;
    int32_t GetLevelCount(int32_t row) const;

    // By skill id (the row whose column 1 holds it): texts of column 17 and
    // 2, the reference of column 5 (false when no row has the id or the
    // column holds no reference).
    // The row whose column 1 holds the skill id, -1 when none.
    int32_t FindRowById(uint32_t skillId) const;
    const char* GetTextById(uint32_t skillId) const;
    const char* GetNameById(uint32_t skillId) const;
    bool GetResourceRef5ById(uint32_t skillId, uint16_t* first, uint16_t* second, uint8_t* third) const;

    // Values that may follow the user's weapon (the item in equipment slot 2).
    // Column 9 when column 10 is 1 or forceOwn is set; the weapon's column-38
    // value when column 10 is 2; else 0.
    uint32_t GetDword9(int32_t row, CChar* user, bool forceOwn) const;
    // Column 17 = 1: level u32 of column 15; 2: the weapon's column-45 value.
    uint32_t GetLevelValue15ByMode(CChar* user, int32_t row, int32_t level) const;
    // Column 19 = 1: the skill's range; 2: the weapon's, unless status 9 of
    // the user is set; else 0.
    int32_t GetMinRange(CChar* user, int32_t row) const;
    int32_t GetMaxRange(CChar* user, int32_t row) const;
    // Level u16 of column 28 (of column 26 when the weapon's column 42 is
    // set), times 10.
    int32_t GetLevelTime28(CChar* user, int32_t row, int32_t level) const;

    // Whether the target suits the skill's target type (types outside 1-13
    // accept anything).
    bool IsValidTarget(CChar* user, CChar* target, int32_t row) const;
    // Whether min² <= d² <= max² for the distance d from the user to the point.
    bool IsPointInRange(CChar* user, int32_t row, int32_t level, int32_t x, int32_t y) const;
    // The same for the target's map point, both ranges enlarged by its
    // radius; true for no target or the user itself.
    bool IsTargetInRange(CChar* user, int32_t row, int32_t level, CChar* target) const;
    // Where the user should walk to have the target (or the point) in range:
    // (-1, -1) when no move is needed or none can be found (no map, a
    // target not alive). The candidates lie around the target every 10
    // degrees, starting from the user's direction; the first the map accepts
    // wins, else the last tried.
    std::pair<int32_t, int32_t> FindCastPosition(CChar* user, int32_t row, int32_t level,
                                                 CChar* target) const;
    std::pair<int32_t, int32_t> FindCastPositionForPoint(CChar* user, int32_t row, int32_t level, int32_t x,
                                                         int32_t y) const;
    // Whether the user meets the level's requirements and, at level 0, has
    // the required skills and none of the excluding ones.
    bool CanUseSkill(CChar* user, int32_t row, int32_t level) const;
    // The skill window's question: the next level after the learned one is
    // open to the character (the same rules).
    bool CanLearnNextLevel(CChar* user, int32_t row, int32_t learnedLevel) const {
        return CanUseSkill(user, row, learnedLevel);
    }
    // The skill sections' table: no file holds it yet, so every section id
    // is unknown (no icon, no name, no help).
    bool GetSectionIcon(uint32_t sectionId, uint16_t* animation, uint16_t* motion, uint8_t* direction) const;
    const char* GetSectionName(uint32_t sectionId) const;
    const char* GetSectionHelp(uint32_t sectionId) const;

    // Running skill uses.
    CSkillUse* FindActiveSkillUse(uint32_t ownerId, uint32_t targetId);
    // Marks the last open entry of the target in the owner's open use as
    // hit; false when there is none.
    bool MarkTargetHit(uint32_t ownerId, uint32_t targetId);
    CSkillUse* FindSkillUseByTarget(uint32_t targetId);
    // Update of every use, then the finished ones are deleted. True.
    bool UpdateSkillUses();

private:
    uint32_t Int(int column, int32_t row) const { return m_table ? m_table->GetInt(column, row) : 0; }
    int32_t Signed(int column, int32_t row) const { return m_table ? m_table->GetSignedInt(column, row) : 0; }
    const char* Text(int column, int32_t row) const {
        return m_table ? m_table->GetText(column, row) : nullptr;
    }
    bool Ref(int column, int32_t row, uint16_t* first, uint16_t* second, uint8_t* third) const;
    bool SkillPairs(int firstColumn, int32_t row, uint32_t ids[3], uint8_t levels[3]) const;
    const CDataTable* Levels(int32_t row) const;
    // The level table's integer, read signed or not; level below 0 reads level 0.
    uint32_t LevelInt(int32_t row, int32_t level, int column) const;
    // -1 at or past the last level, 0 below level 0.
    int64_t LevelIntOrMissing(int32_t row, int32_t level, int column) const;
    uint16_t LevelWord(int32_t row, int32_t level, int column) const {
        return uint16_t(LevelInt(row, level, column));
    }
    CItemObject* Weapon(CChar* user) const;
    int32_t Range(CChar* user, int32_t row, int element) const;
    // How the radius of a candidate point is fitted to the range.
    enum class Fit { ShrinkAtOrBeyondMax, ShrinkBeyondMax, GrowToMin };
    std::pair<int32_t, int32_t> ScanAround(double cx, double cy, double startDegrees, double r,
                                           double minRange, double maxRange, Fit fit) const;

    std::unique_ptr<CDataTable> m_table;
    std::unique_ptr<CDataTable> m_table13;
    std::unique_ptr<CDataTable> m_table31;
    float m_factors[FACTOR_COUNT] = {};
};

// The program's skill manager (null while there is none).
extern CSkillTableMgr* g_pSkillTableMgr;
