// The character resource tables: the definitions of players (ids from
// 2,000,000), monsters and pets (from 2,100,000) and NPCs (from 2,200,000),
// with their names and animation resource numbers; the animation-set tables;
// the level colours; the id groups; the per-id flags the server sets; and
// the round shadow drawn under characters.
//
// Kinds: 0 player, 1 NPC, 2 and 3 monster or pet; any other kind gives 0
// (null, -1 where said) from every member. A row outside its table gives 0.
#pragma once
#include <cstdint>
#include <functional>
#include <list>
#include <memory>

#include "core/draw_object.h"
#include "core/object_mgr.h"
#include "data/data_table.h"
#include "platform/seam.h"

inline constexpr uint32_t PLAYER_ID_BASE = 2000000;
inline constexpr uint32_t MONSTER_ID_BASE = 2100000;
inline constexpr uint32_t NPC_ID_BASE = 2200000;
inline constexpr char SHADOW_ANIMATION[] = "Circle_Shadow";

// The animated object the shadow is drawn with (the animation layer makes it).
class IShadowSprite {
public:
    virtual ~IShadowSprite() = default;
    virtual void SetScreenPosition(int32_t x, int32_t y, int32_t z) = 0;
    virtual void SetDirection(int32_t direction) = 0;
    virtual void SetMotion(int32_t motion) = 0;
    virtual void Draw() = 0;
};
// Makes the shadow's animated object; installed by the animation layer.
class IShadowSpriteFactory {
public:
    virtual ~IShadowSpriteFactory() = default;
    // The animated object of the named animation, or null.
    virtual std::unique_ptr<IShadowSprite> MakeShadowSprite(const char* animationName) = 0;
};
void SetShadowSpriteFactory(IShadowSpriteFactory* factory);
IShadowSpriteFactory* GetShadowSpriteFactory();
using ScopedShadowSpriteFactory = plat::ScopedInstall<GetShadowSpriteFactory, SetShadowSpriteFactory>;

// Kinds of the object id register: characters are 0-3; the map's objects are
// map objects (6), area markers (9) and server objects (10).
enum : uint8_t {
    ID_KIND_CHAR = 0,
    ID_KIND_LAST_CHAR = 3,
    ID_KIND_MAP_OBJECT = 6,
    ID_KIND_AREA_MARKER = 9,
    ID_KIND_SERVER_OBJECT = 10,
};

struct CIdFlag {
    uint32_t m_id = 0;
    uint8_t m_flag = 0;
};

class CCharResourceMgr : public CObjectMgr, public ICharResourceHooks {
public:
    // Data files of the tables, in loading order.
    enum : int {
        PLAYER_FILE = 11,
        MONSTER_FILE = 9,
        NPC_FILE = 10,
        CLASS_ANI_FILE = 68,
        ID_ANI_FILE = 113,
        LEVEL_COLOR_FILE = 119,
        GROUP_FILE = 138,
    };
    static constexpr int CLASS_ANI_GROUP_ROWS = 5;
    static constexpr int ID_ANI_GROUP_ROWS = 8;
    static constexpr int MAX_SHADOW_SIZE = 4;
    static constexpr uint32_t NO_LEVEL_COLOR = 0xFFFFFF;

    CCharResourceMgr();
    ~CCharResourceMgr() override;

    // No tables, an empty flag list; loads the tables and makes the shadow.
    bool Create() override;
    // Loads the seven tables again (11, 9, 10, 68, 113, 119, 138).
    void LoadTables();
    // Frees the tables, the flags and the shadow.
    bool Release() override;

    static int32_t IdToRow(uint32_t id, uint16_t kind);
    uint16_t GetResourceNumber(uint32_t id, uint16_t kind) const;
    // The resource number of the first row whose name (column 2) is exactly the name; 0 when none.
    uint16_t FindResourceNumberByName(const char* name, uint16_t kind) const;
    // The first row whose name is the name (column 0 for NPCs, 2 else); -1 when none.
    int32_t FindRowByName(const char* name, uint16_t kind) override;
    const char* GetName(uint32_t id, uint16_t kind) override;
    // The row of (id, kind) when the table has it, else -1.
    int32_t FindRow(uint32_t id, uint16_t kind) override;

    const char* GetMonsterName(uint32_t id) const;
    uint16_t GetMonsterRef85(uint32_t id) const;
    // The monster row's animation, motion and direction (column 3); all 0
    // for a row outside the table.
    void GetMonsterAniRef(uint32_t id, uint16_t* animation, uint16_t* motion, uint8_t* direction) const;
    uint8_t GetMonsterByte14(int32_t row) const;
    // Kind 0: 1; kind 2: the monster's column 15; any other kind: -1.
    int32_t GetKindByte(int32_t row, uint16_t kind) const;
    // 0xRRGGBB of the first level-colour row whose [minimum, maximum] holds
    // a - b (both ends included); white when none does.
    uint32_t GetLevelColor(int32_t a, int32_t b) const;

    // The animation set of a class: the nested table in column part + 1 at
    // row group × 5 + index (index 0-4), and its row count.
    const CDataTable* GetClassAniSet(int32_t group, int32_t index, int32_t part) const;
    int32_t GetClassAniSetCount(int32_t group, int32_t index, int32_t part) const;
    // The animation set of an id: the group is the first block of eight rows
    // whose first row names the id in columns 9-12; the set is the nested
    // table of the column at row group × 8 + index (index 0-7).
    const CDataTable* GetIdAniSet(uint32_t id, int32_t index, int32_t column) const;
    int32_t GetIdAniSetCount(uint32_t id, int32_t index, int32_t column) const;
    // The first group row whose id list (column 3) holds the id decides:
    // true when its column 2 is 1.
    bool IsIdInFlaggedGroup(uint32_t id) const;

    void SetIdFlag(uint32_t id, uint8_t flag);
    CIdFlag* FindIdFlag(uint32_t id);
    void RemoveIdFlag(uint32_t id);
    size_t GetIdFlagCount() const { return m_idFlags.size(); }
    void ClearIdFlags() { m_idFlags.clear(); }

    // Draws the shadow at (x, y) with size 0-4 (clamped) as its motion;
    // false without a shadow object.
    bool DrawShadow(int32_t x, int32_t y, int32_t size);

    const CDataTable* GetTable(uint16_t kind) const;

private:
    std::unique_ptr<CDataTable> Load(int fileNumber);
    int32_t RowOf(uint32_t id, uint16_t kind) const;
    uint16_t RefNumber(const CDataTable* table, int column, int32_t row) const;

    std::unique_ptr<CDataTable> m_players, m_monsters, m_npcs, m_classAni, m_idAni, m_levelColors, m_groups;
    std::list<CIdFlag> m_idFlags;
    std::unique_ptr<IShadowSprite> m_shadow;
};

// The program's character resource manager (null while there is none).
extern CCharResourceMgr* g_pCharResourceMgr;
