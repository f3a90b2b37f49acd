// The character manager: the one owner of every character on the field. It
// keeps them in a table of 10,000 slots, finds them by id, name, resource or
// screen point, creates them from the appearance messages, removes them at
// once or after their dying motion, and takes the server's character traffic
// (its queue, HandleMessage and HandleServerUpdate) once per frame.
#pragma once
#include <cstddef>
#include <cstdint>
#include <list>
#include <memory>

#include "core/object_mgr.h"
#include "data/data_table.h"
#include "world/chars/char.h"

class CAniObject;
class CCharAppearance;
class CCharAppearMsg;
class CCharCreateMsg;
class CHitResultMsg;
class CIdArrayMsg;
class CMsgPayload;
class CObjectAppearMsg;
class CObjectInfoMsg;
class CSpeechData;
class CStatusGroupMsg;
class CTeam;
class ICharRequests;

inline constexpr int32_t CHAR_SLOT_COUNT = 10000;
// Most records the manager's queue holds: one for each character it can
// hold. Before the player's character exists nothing is taken from the
// queue, so a server could fill it without end; a record past the limit is
// dropped.
inline constexpr size_t MAX_QUEUED_RECORDS = size_t(CHAR_SLOT_COUNT);
// Data tables the manager loads: the emoticons and the sounds (column 74).
inline constexpr int EMOTICON_TABLE_FILE = 15;
inline constexpr int CHAR_SOUND_TABLE_FILE = 59;
inline constexpr int CHAR_SOUND_COLUMN = 74;
// Tiles the player's own appearance may lie away before it no longer moves it.
inline constexpr int32_t OWN_JUMP_TILES = 16;

// A played-once animation (facing 2, on the layer) over the character: the
// play manager follows it, or places it at the character's tile.
void PlayOnChar(CChar* c, uint32_t animation, uint8_t motion, int32_t layer, bool atMapPosition);

// The type index (0-13) of a player resource id; -1 below the player base.
int32_t GetCharTypeIndex(uint32_t resourceId);
// The u32 cell; 0 for a null table or a row outside it.
uint32_t GetTableDword(const CDataTable* table, int column, int row);

class CCharMgr : public CObjectMgr {
public:
    CCharMgr();
    ~CCharMgr() override;

    // Reads the velocities, clears the table, loads tables 15 and 59 and
    // makes the shared marks.
    bool Create() override;
    bool Release() override;
    // Also nulls the character's slot and clears its flag.
    bool DetachChild(CMsgObject* object) override;
    bool DeleteChild(uint32_t id) override;

    // ---- Lookups ----
    CChar* GetChar(uint32_t id);
    // The first child with the id (and the resource name when given).
    CChar* FindChar(const char* name, uint32_t id);
    CChar* FindCharByName(const char* name, int8_t kind = -1);
    CChar* FindCharByResourceId(uint16_t kind, uint32_t resourceId, bool onlyMembers);
    CChar* GetCharInSlot(int32_t slot);
    CChar* FindCharByType(uint16_t typeIndex, uint8_t kind, bool memberRule);
    CChar* PickCharAt(int32_t x, int32_t y, bool widen, float* distance, bool includePlayer);
    bool IsActive(const CChar* character) const;

    // ---- Creation and removal ----
    CChar* CreateChar(uint32_t resourceId, uint32_t charId, uint8_t kind, int32_t slot,
                      int32_t creationParam);
    CChar* CreateCharAt(uint32_t resourceId, uint32_t charId, int32_t slot, uint32_t tileX, uint32_t tileY,
                        uint8_t kind, int32_t creationParam);
    bool AddCharObject(CChar* character);
    void SetPlayerChar(CChar* character);
    bool RemoveCharacter(uint32_t id);
    void RemoveCharLater(uint32_t id);
    void ProcessRemovals();
    void RemoveAllChars(bool detachSprites);
    void RemoveAllButPlayer();

    // ---- Per frame ----
    bool Update();
    void RefreshCharDisplay();
    void SetPlayersRunMode(bool run);
    void PlayTableSound(int32_t row);
    void OnGameOver();

    // ---- Statuses ----
    static bool CheckCharStatus(const uint32_t words[4], int32_t id);
    void ApplyStatusChange(const uint32_t words[4], CChar* character, uint32_t seconds);

    // ---- Messages (char_mgr_messages.cpp) ----
    // A record handed at once (26, 28, 30, 31, 34, 56-59); the caller keeps it.
    void HandleMessage(const CMsgPayload& payload);
    void ProcessQueue();
    void ProcessQueueDuringEvent();
    // Server codes 11, 17, 69 and 100 (bytes after the code); false for a
    // payload too short or a mode it does not know.
    bool HandleServerUpdate(uint32_t code, const uint8_t* bytes, size_t length);
    CChar* AddOrUpdateChar(const CCharCreateMsg& msg);
    CChar* AddOrUpdateMonster(const CCharAppearMsg& msg);
    CChar* AddOrUpdateNpc(const CObjectAppearMsg& msg);
    CChar* AddOrUpdatePet(const CObjectInfoMsg& msg);
    void ApplyAppearance(const CCharAppearance& record, CChar* character);
    void SetSkillGroup(const CStatusGroupMsg& msg);
    // The band's sound and animation frame; false for an amount without one.
    static bool ValueReactionBand(int32_t amount, uint32_t* sound, uint8_t* motion, uint8_t* frame);
    void ShowValueReaction(bool withText, uint32_t id, int32_t amount, const char* text);
    // A melee hit of the attacker on the character its controller aims at
    // (record 13): the target reacts, the hit animation plays on it, the aim
    // is cleared.
    void ShowMeleeHit(uint32_t attackerId);
    // The server's result of a hit (record 38): the target's hit reaction,
    // and for a hit with a value the hit animation and the damage number.
    void ShowHitResult(const CHitResultMsg& record);
    // The (motion, frame) of animation 596 for an emoticon; false when it has none.
    bool EmoticonPicture(uint8_t kind, uint8_t index, uint32_t charId, uint32_t* animation, uint8_t* motion,
                         uint8_t* frame);
    void ShowEmoticon(uint32_t id, uint8_t kind, uint8_t index);
    void ApplyEmoticonEffect(uint32_t id, uint8_t kind);
    int32_t FindEmoticonByText(const char* text) const;
    bool CanUseEmoticon(CChar* character, uint32_t id) const;
    // Queues a record for the manager, read after delay frames.
    bool PostRecord(std::unique_ptr<CMsgPayload> record, int32_t delay);
    // A party list that arrived before the player's character (taken over).
    void SetWaitingParty(std::unique_ptr<CTeam> party);
    // The list the session kept while the party window was closed becomes
    // the waiting one (the player's own appearance takes it over).
    void TakeSessionParty();
    // Message 39: the three bytes go to the player's controller.
    void SetPlayerValues3(uint8_t a, uint8_t b, uint8_t c);
    // Message 72: the listed characters' controllers take the party mark;
    // false (the message waits) without a player or while the marks over
    // party members are switched off.
    bool MarkPartyMembers(const CIdArrayMsg& msg);
    // The shown name of the character with the id (active only), copied
    // bounded; false when it is not in view.
    bool GetCharName(uint32_t id, char* name, size_t capacity);

    // The requests the characters send: the session's unless given others
    // (null gives the session's back).
    void SetRequests(ICharRequests* requests) { m_pRequests = requests; }
    ICharRequests& Requests();

    // ---- State ----
    CChar* GetPlayer() const { return m_pPlayer; }
    // The cursor labels the object under the mouse while this is on.
    uint8_t m_showNames = 1;
    bool AreCharsReady() const { return m_charsReady != 0; }
    bool IsPlayerRemovalRequested() const { return m_playerRemoval != 0; }
    size_t RemovalQueueSize() const { return m_removals.size(); }
    bool IsOwnStartKnown() const { return m_ownStartKnown != 0; }
    uint32_t OwnStartX() const { return m_ownStartX; }
    uint32_t OwnStartY() const { return m_ownStartY; }
    const CDataTable& EmoticonTable() const { return m_emoticons; }
    const CDataTable& SoundTable() const { return m_sounds; }
    CAniObject* Mark(int index) const;  // 0 ring A, 1 ring B, 2 status 54, 3 status 55, 4 status 101
    CAniObject* EnergyBar(int index) const;

    uint8_t m_fightClubMatch = 0;

private:
    // Unlinks the child at the node (slot freed) and deletes it.
    void DeleteCharNode(ChildNode* node);
    // Handles one queued message; false when it waits.
    bool HandleQueued(CMsg* msg);
    // Takes the payload out of the message into the character's own queue.
    void Forward(CMsg* msg, CChar* character, uint32_t sender);
    // Forward to the character, or ask the server for it.
    void ForwardOrAsk(CMsg* msg, uint32_t charId, uint32_t sender);
    void ShowCharAction(uint32_t charId, uint32_t subCode, bool fromQueue);
    void ApplyPlayerAppearance(const CCharCreateMsg& msg, CChar* character);

    CChar* m_slots[CHAR_SLOT_COUNT] = {};
    uint8_t m_active[CHAR_SLOT_COUNT] = {};
    CChar* m_pPlayer = nullptr;
    uint8_t m_playerRemoval = 0;
    std::list<uint32_t> m_removals;
    uint8_t m_ownStartKnown = 0;
    uint32_t m_ownStartX = 0, m_ownStartY = 0;
    CDataTable m_emoticons;
    CDataTable m_sounds;
    std::unique_ptr<CSpeechData> m_pSpeech;
    std::unique_ptr<CMsgPayload> m_pQuickSlotDrop;
    std::unique_ptr<CAniObject> m_marks[5];
    std::unique_ptr<CAniObject> m_energyBars[6];
    std::unique_ptr<CTeam> m_pWaitingParty;
    uint8_t m_charsReady = 0;
    ICharRequests* m_pRequests = nullptr;
};

// The program's character manager (null while there is none).
extern CCharMgr* g_pCharMgr;
