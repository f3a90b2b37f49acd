// The characters on the field: the user's own, other players, NPCs, monsters
// and pets. A character is a drawable object with one animated object that
// shows it, and a controller (char_controller.h) that holds its data and its
// action object. The character manager (char_mgr.h) creates, finds and
// deletes them.
#pragma once
#include <cstddef>
#include <cstdint>
#include <list>
#include <memory>
#include <vector>

#include "anim/iso_view.h"
#include "core/draw_object.h"

class CAniObject;
class CCharAction;
class CCharController;
class CCharData;
class CDataTable;
class CMap;
class CMapData;
class ICharEffectList;

// Character kinds (the drawable object's type code).
enum : uint16_t {
    CHAR_KIND_PLAYER = 0,
    CHAR_KIND_NPC = 1,
    CHAR_KIND_MONSTER = 2,
    CHAR_KIND_PET = 3,
};

// Resource ids of the character tables.
inline constexpr uint32_t CHAR_PLAYER_BASE = 2000000;
inline constexpr uint32_t CHAR_MONSTER_BASE = 2100000;
inline constexpr uint32_t CHAR_NPC_BASE = 2200000;
// Pets from this resource id on carry an extra effect animation.
inline constexpr uint32_t PET_EFFECT_FROM = 2100654;
inline constexpr uint32_t PET_EFFECT_ANI = 4807;
inline constexpr uint32_t PET_EFFECT_KEY = 256;  // the pet effect's first key

inline constexpr size_t CHAR_TEXT_SIZE = 64;   // info, club, title and name texts
inline constexpr size_t CHAR_SIGN_SIZE = 100;  // the sign text
inline constexpr uint32_t CHAR_FADE_MS = 60000;
inline constexpr int32_t NO_LIGHT = -1;

class CChar : public CDrawObject {
public:
    CChar();
    ~CChar() override;

    // Clears and initialises every field (also run by the constructor).
    bool Create() override;
    // Deletes the action's path, the light, hides the speech window while the
    // window manager holds it and switches off the played animations owned by
    // the character.
    bool Release() override;
    bool Draw() override;
    // x of the animated object; y of it less its height offset; 0 without one.
    int32_t GetX() override;
    int32_t GetY() override;

    // The tile the character stands on.
    std::pair<int32_t, int32_t> GetMapPoint() override { return {m_cellX, m_cellY}; }
    // The controller of players and NPCs (the variant) or of the rest.
    virtual bool CreateController();
    // The shown name: the own info text (monsters, pets, the base).
    virtual const char* GetInfo(const void* argument);
    // Sets the character up from its resource; false when its animation
    // cannot be built (the character then has no animated object).
    virtual bool Setup(uint32_t resourceId, CMap* map, uint32_t objectId, uint32_t creationArg,
                       int32_t animationId);
    // Once per frame for every character.
    virtual void UpdateFrame(uint32_t elapsedMs, bool signSuppressed);

    // ---- Position (char_movement.cpp) ----
    // Places the character at a field position (map units), its animated
    // object there (with the draw offset) and its light with it, and moves it
    // between the cells' occupants; nothing without a loaded map.
    void SetPosition(int32_t x, int32_t y, int32_t z);
    // Sets the character's and its animation's direction (0-15); a monster
    // with a fixed direction keeps that one.
    void SetDirection(uint8_t direction);
    // The sprite and the light at the position (with the draw offset).
    void PlaceSprite();
    // A tile at the distance (tiles) from this character from which another
    // at (tileX, tileY) reaches it: along the path from there when the target
    // moves, else the free point of 36 around this character nearest to it.
    IsoPoint FindApproachPoint(int32_t distance, int32_t tileX, int32_t tileY, CChar* target);
    // The tile 16 tiles away from the other character, on the line from it
    // through this one; this character's own tile without one.
    IsoPoint FindFleePoint(CChar* from) const;

    // A new emote animation over the character for duration ms.
    void ShowEmote(uint32_t animationId, uint8_t motion, uint32_t durationMs);
    // Copies the sign text (99 bytes, cut between characters).
    void SetSignText(const char* text);
    bool IsSignHovered() const { return m_signHover != 0; }
    // The leader mark of the record named like this character in its own
    // party list, and the state byte of its record in the user's; 0 without one.
    uint8_t OwnLeaderMark();
    uint8_t OwnStateInUserParty();
    // The countdown fade: seconds left of the 60,000 ms fade.
    void StartFade(uint32_t seconds);
    void StopFade();
    // The fade's step while drawing: the opacity, and the whole seconds left
    // to the action's countdown whenever they change.
    void StepFade();
    float GetFadeOpacity() const;
    int32_t GetFadeSeconds() const;

    // Copies a server text bounded (63 bytes, cut between characters).
    static void CopyText(char (&out)[CHAR_TEXT_SIZE], const char* text);

    // ---- Drawing (char_draw.cpp) ----
    // The draw list: animated objects other code attaches to the character,
    // drawn with it in the order of their layers (a tie goes in front). The
    // list holds them weakly: one deleted elsewhere is skipped.
    void AddDrawObject(CAniObject* object);
    // Removes every entry of the object.
    void RemoveDrawObject(CAniObject* object);
    // The live objects of the draw list, in drawing order.
    std::vector<CAniObject*> DrawList() const;
    // The countdown fade, the caption under the sprite and the energy gauge;
    // only while the user sees the character.
    void DrawStatusCaption();
    // "%s!!!" with the name of the skill in use over the head, while the
    // option that shows skill names is on.
    void DrawSkillName(int32_t spriteTop);

    // ---- Gauges under the sprite (char_marks.cpp) ----
    // The energy gauge: energy of the maximum, or the percent when the
    // maximum is 0 (-1: none); the shown length moves one pixel a call.
    void UpdateEnergyBar(int32_t percent);
    // The user's own three gauges.
    void UpdatePlayerBars();
    // The shown length of gauge 0-2 in pixels (-1 before the first update).
    float GaugeLength(int gauge) const { return gauge >= 0 && gauge < 3 ? m_values3[gauge] : -1.0f; }

    // ---- The play-screen windows of the user's own character (hud_windows.cpp) ----
    // Destroys the set first, then makes every window whose class is
    // registered, in order.
    void CreateHudWindows();
    void DestroyHudWindows();

    CCharController* GetController() const { return m_pController.get(); }
    CCharData* GetData() const;
    CCharAction* GetAction() const;
    ICharEffectList* GetEffects() const { return m_pEffects.get(); }
    uint16_t GetKind() const { return m_typeCode; }
    uint32_t GetCharId() const { return m_kindId; }
    void SetCharId(uint32_t id) { m_kindId = id; }
    // The resource row of the kind's table: -1 when absent.
    int32_t GetRow() const { return m_resourceRow; }
    void SetRow(int32_t row) { m_resourceRow = row; }
    // The resource table of the kind, or null.
    const CDataTable* ResourceTable() const;
    // The row when the kind's table has it, else -1.
    int32_t ValidRow() const;

    // ---- Fields (the movement, drawing and window code read them) ----
    uint32_t m_slot = 0;        // slot of the manager's table
    uint8_t m_localPlayer = 0;  // the user's own: moves the map focus
    CMap* m_pMap = nullptr;
    int32_t m_x = 0, m_y = 0, m_z = 0;
    int32_t m_cellX = 0, m_cellY = 0;  // tiles: x / 24, y / 12
    uint8_t m_direction = 4;
    float m_drawOffset[3] = {};
    uint32_t m_counter = 1;
    uint32_t m_creationArg = 0;
    int32_t m_lightId = NO_LIGHT;
    float m_bodySize = 1.5f;
    char m_info[CHAR_TEXT_SIZE] = {};
    char m_info2[CHAR_TEXT_SIZE] = {};
    int32_t m_resourceValue = -1;
    char m_signText[CHAR_SIGN_SIZE] = {};
    uint8_t m_signHover = 0;
    uint8_t m_alwaysVisible = 0;
    uint8_t m_reportFlag = 0;  // the character reports its position (the manager sets it)
    char m_clubName[CHAR_TEXT_SIZE] = {};
    char m_clubTitle[CHAR_TEXT_SIZE] = {};
    uint32_t m_clubValue = 0;
    uint8_t m_attackable = 0;
    uint32_t m_emoteTimeLeft = 0;
    std::unique_ptr<CAniObject> m_pEmote;
    CBaseObject* m_pAttached = nullptr;
    uint8_t m_attachedFlag = 0;
    float m_values3[3] = {-1.0f, -1.0f, -1.0f};
    uint8_t m_fadeOn = 0;
    uint32_t m_fadeStart = 0;
    uint32_t m_fadeLength = CHAR_FADE_MS;
    int32_t m_lastSeconds = -1;
    // Fields of the manager and its messages.
    uint8_t m_ringChoice = 0;  // 0: ring B under the character, else ring A
    uint8_t m_ringFlag = 0;    // carries the extra ring animation
    std::unique_ptr<CAniObject> m_pRing;
    uint8_t m_beingRemoved = 0;
    char m_title[CHAR_TEXT_SIZE] = {};
    char m_ownName[CHAR_TEXT_SIZE] = {};
    // The own character's second name: the name the messenger knows the player by.
    char m_secondName[CHAR_TEXT_SIZE] = {};
    uint8_t m_signKind = 0;
    uint8_t m_colorByte = 255;
    uint8_t m_isPlayer = 0;
    uint8_t m_shown = 0;
    uint32_t m_resourceId = 0;

protected:
    // Resource look-ups of the kind's table; the default when there is no
    // table or the row is outside it.
    uint32_t ResourceInt(int column, uint32_t defaultValue) const;
    int32_t ResourceSigned(int column, int32_t defaultValue) const;
    // The common set-up of every kind; kindIndex picks the default animation.
    bool SetupCommon(uint32_t resourceId, CMap* map, uint32_t objectId, uint32_t creationArg,
                     int32_t animationId, uint16_t kindIndex);
    // Clears the cell's standing occupant when it is this character.
    void LeaveCell(CMapData* grid);
    // The controller made by CreateController.
    std::unique_ptr<CCharController> m_pController;
    std::unique_ptr<ICharEffectList> m_pEffects;

private:
    struct DrawNode {
        CWeakRef m_ref;
        CAniObject* m_pObject;
    };
    // Live objects are read through m_ref only.
    std::list<DrawNode> m_drawList;
};

class CPlayerChar : public CChar {
public:
    CPlayerChar() { m_typeCode = CHAR_KIND_PLAYER; }
    // Column 4 of the player row with an argument, else column 3.
    const char* GetInfo(const void* argument) override;
    bool Setup(uint32_t resourceId, CMap* map, uint32_t objectId, uint32_t creationArg,
               int32_t animationId) override;
    // The talk window's face animation (column 6).
    uint16_t GetFaceAniId() const;
    uint8_t GetValue14() const;
};

// The bit of an NPC's function flags for the fortress board.
inline constexpr int NPC_FUNCTION_FORTRESS_BOARD = 0;

class CNpcChar : public CChar {
public:
    CNpcChar() { m_typeCode = CHAR_KIND_NPC; }
    const char* GetInfo(const void* argument) override;
    bool Setup(uint32_t resourceId, CMap* map, uint32_t objectId, uint32_t creationArg,
               int32_t animationId) override;
    uint16_t GetFaceAniId() const;
    bool GetFlag7() const;
    int8_t GetValue8() const;
    bool TurnsToTalker() const;
    // Column 10 is zero: the rest animation replays at once.
    bool GetFlag10() const;
    bool IsUserShopMerchant() const;
    // The next idle line, 0-4 in turn.
    int32_t NextLineIndex();
    // The function flags. Bit NPC_FUNCTION_FORTRESS_BOARD opens the fortress
    // board when the NPC is clicked.
    bool TestFlagBits0To3() const { return (m_functionFlags & 0x0F) != 0; }
    bool TestFlagBit(int bit) const { return (m_functionFlags >> bit) & 1u; }
    bool TestHighLowByte() const { return (m_functionFlags & 0xFF) > 63; }
    bool TestSecondByte() const { return (m_functionByte & 0x02) != 0; }

    uint32_t m_functionFlags = 0;
    uint8_t m_functionByte = 0;
    uint32_t m_clearedWord = 0;
    int32_t m_lineCounter = 0;
};

class CMonsterChar : public CChar {
public:
    CMonsterChar() { m_typeCode = CHAR_KIND_MONSTER; }
    bool CreateController() override;
    bool Setup(uint32_t resourceId, CMap* map, uint32_t objectId, uint32_t creationArg,
               int32_t animationId) override;
    bool HasFixedDirection() const;
    // Column 4's code as a direction; -1 for none.
    int32_t GetFixedDirection() const;
    bool GetFlag6() const;
    int8_t GetValue7() const;
    bool ReactsToHit() const;
    uint8_t GetValue11() const;
    uint16_t GetValue8() const;

    uint32_t m_flagWord = 0;
    uint8_t m_ownByte = 0;
};

class CPetChar : public CChar {
public:
    CPetChar() { m_typeCode = CHAR_KIND_PET; }
    bool CreateController() override;
    bool Setup(uint32_t resourceId, CMap* map, uint32_t objectId, uint32_t creationArg,
               int32_t animationId) override;
    // A pet shown inside a window: no map, no position.
    bool SetupPreview(uint32_t resourceId);

    uint32_t m_flagWord = 0;
    uint8_t m_ownByte = 0;
    // The eight 3-bit colours of the pet's look (from its owner's record).
    uint8_t m_colours[8] = {};

private:
    void AddPetEffect(uint32_t resourceId);
};

// The direction of a monster's column-4 code: 1→2, 2→0, 3→14, 4→12, 5→10,
// 6→8, 7→6, 8→4; any other → -1.
int32_t FixedDirectionOfCode(uint32_t code);
