// What the table accessors need of the game world and the window manager,
// which live in higher layers. Those layers install an implementation at
// start-up (tests install their own). Without one there is no map, no
// character answers anything and every query gives 0 or false.
#pragma once
#include <cstddef>
#include <cstdint>
#include <memory>
#include <utility>

#include "core/message.h"
#include "platform/seam.h"

class CChar;  // a character of the game world; only passed through here
class CItemObject;
class CMsgPayload;

// A member of the player's party as the server reports it.
struct CPartyMember {
    char m_name[256] = {};
    uint8_t m_kind = 0;  // 2: the member is flagged
    uint8_t m_detailForm = 0;
    uint32_t m_value = 0;  // with 2,000,000 added on arrival
    uint8_t m_level = 0;
    // By detail form: 0 the extra value; 1 and 2 the text; 3 a byte and three words.
    uint32_t m_extraValue = 0;
    char m_text[256] = {};
    uint8_t m_byte = 0;
    uint16_t m_words[3] = {};
    bool IsFlagged() const { return m_kind == 2; }
};

// The session's party list while the party window is closed (the world's
// party object); the session owns it and deletes it when it resets.
class IPartyList {
public:
    virtual ~IPartyList() = default;
    // The leader's name (at most 100 bytes) and the value that came with it.
    virtual void SetLeader(const char* name, uint8_t value) = 0;
    virtual void AddOrUpdateMember(const CPartyMember& member) = 0;
    virtual void UpdateMember(const CPartyMember& member) = 0;
    virtual void RemoveMember(const char* name) = 0;
    virtual void PromoteMember(const char* name) = 0;
};

class IGameWorldHooks {
public:
    virtual ~IGameWorldHooks() = default;

    // The map: whether one is loaded, and its walkability test.
    virtual bool HasMap() { return false; }
    virtual bool IsWalkable(int32_t x, int32_t y) {
        (void)x, (void)y;
        return false;
    }

    // Characters: map position, map point (where others aim at it), radius,
    // state (0, 1 and 2 are alive states).
    virtual std::pair<int32_t, int32_t> GetPosition(CChar*) { return {0, 0}; }
    virtual std::pair<int32_t, int32_t> GetMapPoint(CChar*) { return {0, 0}; }
    virtual float GetRadius(CChar*) { return 0.0f; }
    virtual uint16_t GetState(CChar*) { return 0; }
    // The player's own character.
    virtual bool IsPlayerChar(CChar*) { return false; }
    // The relation test: the user may attack the target.
    virtual bool CanAttack(CChar* user, CChar* target) {
        (void)user, (void)target;
        return false;
    }
    // Status 9: the weapon's range does not count.
    virtual bool IsStatus9Set(CChar*) { return false; }
    // The item in an equipment slot (2 is the weapon), or null.
    virtual CItemObject* GetItemInSlot(CChar*, int slot) {
        (void)slot;
        return nullptr;
    }
    // Learned skills by skill-table row: learned, and the learned level + 1.
    virtual bool HasSkill(CChar*, int32_t skillRow) {
        (void)skillRow;
        return false;
    }
    virtual uint32_t GetSkillValue(CChar*, int32_t skillRow) {
        (void)skillRow;
        return 0;
    }
    // The user's values a skill level requires (0: compared with level
    // column 3, 1: with column 5, 2: with column 4).
    virtual uint32_t GetRequirementValue(CChar*, int which) {
        (void)which;
        return 0;
    }

    // ---- The map's side (the map installs it) ----
    // Hands a map record (core/message.h) to the map at once; false while
    // there is no map.
    virtual bool HandleMapMessage(const CMsgPayload& msg) {
        (void)msg;
        return false;
    }
    // Whether the map holds a loaded map's data.
    virtual bool HasMapData() { return false; }
    // The map's field value (server message 108).
    virtual void SetFieldValue(uint32_t value) { (void)value; }
    // The screen point of a tile, and the tile under a screen point; (0, 0)
    // and (-1, -1) without a map.
    virtual std::pair<int32_t, int32_t> TileToScreen(int32_t tileX, int32_t tileY) {
        (void)tileX, (void)tileY;
        return {0, 0};
    }
    virtual std::pair<int32_t, int32_t> ScreenToTile(int32_t x, int32_t y) {
        (void)x, (void)y;
        return {-1, -1};
    }
    // Whether a character may stand on the tile (the loaded, ready map's cells).
    virtual bool IsPassableAt(int32_t tileX, int32_t tileY) {
        (void)tileX, (void)tileY;
        return false;
    }

    // The window manager's target flag: while set, skills of target type 5
    // find no valid target.
    virtual bool IsTargetFlagSet() { return false; }

    // ---- Receivers of the server messages: the character manager, the
    // event manager and the sound manager (each installed by its own layer).
    // Records are handed over whether or not a receiver takes them; without
    // one the record is deleted and false returned. ----
    // Queued for the character manager, delivered after delay frames.
    virtual bool PostCharRecord(std::unique_ptr<CMsgPayload> record, int32_t delay) {
        (void)record, (void)delay;
        return false;
    }
    // Into the character manager's own port (read on its next frame).
    virtual bool PostCharPortRecord(std::unique_ptr<CMsgPayload> record) {
        (void)record;
        return false;
    }
    // Handled by the character manager at once; the caller keeps the record.
    virtual bool HandleCharRecord(const CMsgPayload& record) {
        (void)record;
        return false;
    }
    // A server message the character manager reads itself: its code and the
    // bytes after the code.
    virtual bool ParseCharMessage(uint8_t code, const uint8_t* body, size_t length) {
        (void)code, (void)body, (void)length;
        return false;
    }
    // Into the event manager's port, delivered after delay frames.
    virtual bool PostEventRecord(std::unique_ptr<CMsgPayload> record, int32_t delay) {
        (void)record, (void)delay;
        return false;
    }
    // Whether the sound manager exists, and a sound effect played once at a
    // screen point (x = -1: without a position).
    virtual bool HasSoundMgr() { return false; }
    virtual void PlaySoundEffect(uint16_t soundId, int32_t x, int32_t y) { (void)soundId, (void)x, (void)y; }

    // ---- The character manager's state events (server message 83) ----
    // The character's state-event operation with kind, value and the extra
    // word; false when the character is absent.
    virtual bool CharStateEvent(uint32_t charId, uint8_t kind, uint32_t value, uint16_t extra) {
        (void)charId, (void)kind, (void)value, (void)extra;
        return false;
    }

    // ---- The character manager's lookups ----
    // The character with the id (active or not), or null.
    virtual CChar* FindChar(uint32_t charId) {
        (void)charId;
        return nullptr;
    }
    // The character under a screen point (the player too when asked), or null.
    virtual CChar* PickCharAt(int32_t x, int32_t y, bool includePlayer) {
        (void)x, (void)y, (void)includePlayer;
        return nullptr;
    }

    // ---- The character manager for the window messages ----
    // A new, empty party list for the session; null without a world.
    virtual std::unique_ptr<IPartyList> MakePartyList() { return nullptr; }
    // The name of the character with the id in view; false when it is not.
    virtual bool GetCharName(uint32_t charId, char* name, size_t capacity) {
        (void)charId, (void)name, (void)capacity;
        return false;
    }
    // Hands a combo (b, c) to the character's controller at once; false when
    // the character is not in view or not ready to take it.
    virtual bool HandOverCombo(uint32_t charId, uint16_t b, uint16_t c) {
        (void)charId, (void)b, (void)c;
        return false;
    }
    // Plays the sound the sound table names for the text, with the value.
    virtual void PlayTableSound(const char* text, uint8_t value) { (void)text, (void)value; }
};

// The character status test: whether status id (1-128) is set in the four
// words (word 0 first). Any other id is reported in the error box and counts
// as not set.
bool CheckCharStatus(const uint32_t words[4], int32_t id);

// Installs (null removes) the hooks; not owned.
void SetGameWorldHooks(IGameWorldHooks* hooks);
IGameWorldHooks* GetGameWorldHooks();
using ScopedGameWorldHooks = plat::ScopedInstall<GetGameWorldHooks, SetGameWorldHooks>;
// The installed hooks, or an instance that answers 0 and false.
IGameWorldHooks& GameWorld();
