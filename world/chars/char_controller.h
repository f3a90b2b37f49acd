// A character's logic side: the controller owns the character data (motion,
// speeds, statuses, values, items, party) and the action holder with the
// character's action object, and works through the events the character
// manager forwards to the character once per frame.
#pragma once
#include <cstddef>
#include <cstdint>
#include <list>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "anim/iso_view.h"
#include "core/base_object.h"
#include "core/message.h"
#include "core/resource_cache.h"
#include "data/game_hooks.h"
#include "data/item_object.h"
#include "data/slot_object_mgr.h"
#include "world/chars/skill_action.h"

class CAniObject;
class CAniPlayEntry;
class CBaseWindow;
class CChar;
class CCharController;
class CItemObject;
class CPathFinder;
class CCharStep;
class CCharActionHolder;
class CSkillAction;
class CSkillActionMsg;
class CSkillHitMsg;
class CInvenItemMsg;
class CStoredItemMsg;

// Motions of the character data.
enum : uint32_t {
    MOTION_STAND = 0,
    MOTION_REST_POSE = 1,
    MOTION_WALK = 2,
    MOTION_RUN = 3,
    MOTION_HELD_DOWN = 14,
    MOTION_HIT = 15,
    MOTION_DEAD = 16,
    MOTION_ONCE_17 = 17,
    MOTION_ONCE_18 = 18,
    MOTION_VANISH = 100,
    MOTION_APPEAR = 101,
    MOTION_SKILL = 102,
    MOTION_CAST = 103,
    MOTION_PUSHED = 104,
    MOTION_TIMED = 105,
    MOTION_CHOSEN = 107,
    MOTION_LYING = 108,
    MOTION_NONE = 0xFFFFFFFFu,
};

// Global movement speeds, map units per millisecond ("RUN_VELOCITY" and
// "WALK_VELOCITY" of the configuration; the manager reads them).
inline constexpr float DEFAULT_RUN_VELOCITY = 0.017f;
inline constexpr float DEFAULT_WALK_VELOCITY = 0.006f;
extern float g_runVelocity;
extern float g_walkVelocity;

inline constexpr size_t PARTY_NAME_SIZE = 60;  // 59 bytes and the terminator
// Most members a party list keeps (the most characters a list of the server
// names at once); a member beyond them is dropped.
inline constexpr size_t MAX_PARTY_MEMBERS = 256;
// The play-screen windows the user's own character holds (hud_windows.h).
inline constexpr int HUD_WINDOW_COUNT = 13;

// One member of a party list.
struct CTeamMember {
    uint8_t m_leader = 0;
    uint8_t m_state = 0;
    uint8_t m_shownState = 0;
    uint32_t m_value = 0;
    uint16_t m_word = 0;
    uint8_t m_byte1 = 0, m_byte2 = 0;
    uint16_t m_word1 = 0, m_word2 = 0;
    uint8_t m_shown = 0;
    char m_name[PARTY_NAME_SIZE] = {};
    char m_text[PARTY_NAME_SIZE] = {};
    uint32_t m_resourceId = 0;
};

// What the party list tells the mini team window.
class ITeamDisplay {
public:
    virtual ~ITeamDisplay() = default;
    virtual void MarkAbsent(const char* name) = 0;
    virtual void RefreshMember(const char* name) = 0;
    virtual void Relayout() = 0;
    virtual void RemoveMember(const char* name) = 0;
    virtual void Clear() = 0;
    // Fills the window with the whole list (a list that waited for the player).
    virtual void AddAllMembers(const class CTeam& team) = 0;
};

// The party list; a CMsgData so that a record can carry it, and the session's
// party list (it keeps the members the server sends while the party window is
// closed, and the player's own appearance takes it over).
class CTeam : public CMsgData, public IPartyList {
public:
    static constexpr size_t LEADER_NAME_SIZE = 101;  // 100 bytes and the terminator

    // ---- The session's side ----
    void SetLeader(const char* name, uint8_t value) override;
    // The server's member: its kind is the state byte (2 flagged, 3 absent),
    // its value the resource id, its level the first byte; the detail's
    // extra value, text, byte and three words fill the rest. It is the leader
    // when it carries the leader's name.
    void AddOrUpdateMember(const CPartyMember& member) override;
    void UpdateMember(const CPartyMember& member) override;
    const char* LeaderName() const { return m_leaderName; }
    uint8_t LeaderValue() const { return m_leaderValue; }

    // The member with the name (exact bytes), or null.
    CTeamMember* FindMember(const char* name);
    bool HasMember(const char* name) { return FindMember(name) != nullptr; }
    // Appends a member for a new name, then fills the record. ownName is the
    // user's own character's name (its record is never shown absent). Null
    // when a new member would pass MAX_PARTY_MEMBERS (it is dropped).
    CTeamMember* AddOrUpdateMember(const CTeamMember& fields, const char* ownName);
    // Nothing for a name not in the list.
    bool UpdateMember(const CTeamMember& fields, const char* ownName);
    void RemoveMember(const char* name) override;
    void Clear();
    // The member becomes the leader and moves to the front.
    void PromoteMember(const char* name) override;
    size_t Count() const { return m_members.size(); }
    const std::list<CTeamMember>& Members() const { return m_members; }

    // The mini team window while it exists (the window layer sets it).
    static ITeamDisplay* s_pDisplay;

private:
    CTeamMember FromServer(const CPartyMember& member) const;

    std::list<CTeamMember> m_members;
    char m_leaderName[LEADER_NAME_SIZE] = {};
    uint8_t m_leaderValue = 0;
};

// Skill group of the data: five skill rows and a time value.
struct CSkillGroup {
    int32_t m_rows[5] = {-1, -1, -1, -1, -1};
    uint32_t m_time = 0;
};

// Indexes of the data's value block.
enum : int {
    VALUE_ENERGY = 0,
    VALUE_ENERGY_MAX = 1,
    // The gauges a skill costs, the level and the attributes an item or a
    // skill level asks for (the skill checks read them).
    VALUE_SECOND_GAUGE = 2,
    VALUE_SECOND_GAUGE_MAX = 3,
    VALUE_STAMINA = 4,
    VALUE_FOURTH_GAUGE = 5,
    VALUE_FIFTH_GAUGE = 6,
    // The load the character carries and the most it may.
    VALUE_LOAD = 7,
    VALUE_LOAD_MAX = 8,
    // The three gauges' maxima without bonuses (energy, second, fourth).
    VALUE_BASE_MAXIMA = 9,
    // Three counters (experience, the next level's, the limit).
    VALUE_COUNTERS = 12,
    // The seven stats without bonuses, and the points not spent yet.
    VALUE_BASE_STATS = 15,
    VALUE_STAT_POINTS = 22,
    VALUE_LEVEL = 23,
    VALUE_REQUIRED_SECOND = 24,
    VALUE_ATTRIBUTES = 25,  // six
    VALUE_REQUIRED_THIRD = 32,
    VALUE_MONEY = 33,
    VALUE_LEVEL_UP = 34,   // a level-up is offered
    VALUE_HUNDRED_A = 40,  // 100 after Create
    VALUE_HUNDRED_B = 41,  // 100 after Create; server code 11 sets it
    VALUE_COUNT = 48,
};

// Lists of status objects a character carries (one shown object per list).
inline constexpr int ATTACHED_LISTS = 7;
// A skill state's overlay of kind k (1-7) goes to list k - 1; kind 4 tints.
inline constexpr int32_t OVERLAY_KIND_TINT = 4;
// Abnormal statuses one buff list holds at most.
inline constexpr size_t MAX_BUFF_ENTRIES = 64;
// The bonus values a complete item set gives.
inline constexpr int SET_BONUS_COUNT = 9;
// An equipped item's effect is kept under (item id + this, equip position).
inline constexpr uint32_t EQUIP_EFFECT_KEY_BASE = 1000000;

// A status object attached to a character: it follows the character and is
// drawn with it; its Update answers false once it has ended.
class CCharStatusObject : public CBaseObject {
public:
    explicit CCharStatusObject(uint32_t statusId) : m_statusId(statusId) {}
    // Moves with the character (map units).
    virtual void Follow(int32_t, int32_t) {}
    // The server's hit mark for a target (state event 96); objects that
    // show no marks ignore it.
    virtual void AddHitMark(uint32_t targetId, uint16_t value) { (void)targetId, (void)value; }
    // A skill state's overlay: shown and hidden with the character, and a
    // ring of animations rebuilt with a new count (with the skill's cast
    // animation when asked). Objects that are no overlay ignore them.
    virtual void ShowOverlay() {}
    virtual void HideOverlay() {}
    virtual void SetRingCount(int32_t count, bool withCast) { (void)count, (void)withCast; }

    uint32_t m_statusId;
    uint32_t m_value = 0;
};

class CCharData : public CBlockList {
public:
    CCharData() { CCharData::Create(); }
    ~CCharData() override { CCharData::Release(); }

    bool Create() override;
    // Empties the buff lists and frees the lists, the items and the party.
    bool Release() override;
    // Sets the motion and the animation it plays (see the .cpp).
    virtual void SetMotion(uint32_t motion);
    // The Create defaults again, motion none, speeds from the velocities.
    void Reset();
    bool SetControlFlag(uint8_t value);
    // Replaces the party (the old one deleted); null leaves an empty one.
    void SetParty(std::unique_ptr<CTeam> party);
    CTeam& Party() { return *m_pParty; }
    bool IsStatus(int32_t status) const;
    // The speed a step uses (map units per ms): the event speed while a visual
    // event runs and it is set, else the current speed raised by status 16 and
    // lowered by status 17 (not below 0), times the speed factor.
    float GetMoveSpeed() const;
    int32_t Stamina() const { return int32_t(m_values[VALUE_STAMINA]); }

    // ---- Attached status objects ----
    // Appends to a list (0-6); the first object of a list is shown. False for
    // a list outside 0-6 or no object.
    bool AttachStatusObject(int list, std::unique_ptr<CCharStatusObject> object);
    // The object with the status id from any list, or null.
    CCharStatusObject* FindAttachedById(uint32_t statusId) const;
    // The object with the id takes the value; the user's own character also
    // tells its status icon window and its character info window's entry.
    void UpdateStatusIcon(uint32_t value, uint32_t statusId, uint32_t extra);
    // A status left the user's own character: its icon goes and the
    // character info window shows its skill's entry again.
    void StatusRemoved(uint32_t statusId);
    CCharStatusObject* ShownAttached(int list) const {
        return list >= 0 && list < ATTACHED_LISTS ? m_shownAttached[list] : nullptr;
    }
    size_t AttachedCount(int list) const {
        return list >= 0 && list < ATTACHED_LISTS ? m_attached[list].size() : 0;
    }
    // A timed skill state (a buff or an abnormal status) begins: unless the
    // character holds an overlay of the skill already, the skill's tint
    // overlay (when its colour kind is not 0) and the overlay of its overlay
    // kind (1-7) are made, each joining the list of its kind and shown when
    // that list shows none. False when nothing was made.
    bool BeginSkillState(uint32_t skillId, uint32_t value);
    // The state ends: the skill's overlays are released and deleted (the
    // next of a list is shown in a shown one's place).
    void EndSkillState(uint32_t skillId);
    // Updates the shown object of each list; one that has ended leaves its
    // list and the slot (the next of the list, wrapping, is shown) before it
    // is deleted.
    void UpdateAttached();

    CCharController* m_pController = nullptr;
    uint32_t m_motion = MOTION_NONE;
    uint8_t m_flags[5] = {1, 0, 0, 0, 0};
    float m_runSpeed = 0, m_walkSpeed = 0, m_curSpeed = 0;
    float m_speedFactor = 1.0f;
    float m_eventSpeed = 0;
    uint8_t m_stance = 1;
    uint8_t m_followFlags[2] = {};
    uint8_t m_runSwitch = 0;
    uint32_t m_status[4] = {};
    uint32_t m_values[VALUE_COUNT] = {};
    uint32_t m_groupSize = 0;
    CSkillGroup m_skillGroups[3];
    int32_t m_channel = -1;
    uint32_t m_channelValue = 0;
    uint32_t m_restMotion = 0;
    uint32_t m_moveMode = 2;
    std::vector<uint32_t> m_buffs[7];
    uint8_t m_timerOn = 0;
    uint32_t m_timerStart = 0, m_timerDuration = 0;
    std::vector<uint32_t> m_listA;
    std::vector<uint32_t> m_listB;
    std::vector<uint16_t> m_listBValues;
    // The item messages' values: the pair's value (45) and the mode byte (48).
    uint32_t m_itemPairValue = 0;
    uint8_t m_itemMode = 0;
    // Motion state (the action object reads and writes them).
    uint8_t m_runFlag = 0;
    uint8_t m_restPoseFlag = 0;
    uint8_t m_hiddenMark = 0;
    uint8_t m_translucentMark = 0;
    uint8_t m_wasMoving = 0;
    int32_t m_walkAniMotion = MOTION_WALK, m_runAniMotion = MOTION_RUN;
    uint16_t m_detectDistance = 0;
    uint8_t m_appearanceKind = 0;
    uint8_t m_controlFlag = 0;
    uint32_t m_dataValue1 = 0;
    uint8_t m_dataValue2 = 0;
    // Current energy in fiftieths of the maximum (0 for a maximum of 0).
    uint32_t m_energyRatio = 0;
    // Worn items by equipment position (1-13; index 0 unused); owned.
    std::unique_ptr<CItemObject> m_items[14];
    // The item container (the character's items by slot).
    CSlotObjectMgr* Container() const { return m_pContainer.get(); }
    std::unique_ptr<CSlotObjectMgr> m_pContainer;
    // A byte the windows set and read.
    uint8_t m_byte60 = 0;
    // The bonuses of the item sets the worn items complete (the equipment
    // effects compute them).
    int32_t m_setBonus[SET_BONUS_COUNT] = {};

    // ---- Learned skills, combos and action delays (char_skills.cpp) ----
    static constexpr int32_t MAX_SKILLS = 256;
    static constexpr int32_t COMBO_COUNT = 3;
    static constexpr int32_t COMBO_SKILLS = 4;
    // Action delays: the casts of attack and other skills, and the pauses
    // after their use.
    enum : int { DELAY_ATTACK_CAST = 0, DELAY_SKILL_CAST = 1, DELAY_ATTACK_AFTER = 2, DELAY_SKILL_AFTER = 3 };

    bool HasSkill(int32_t row) const;
    // The entry's level, second value and flag byte; 0 when not learned.
    uint32_t GetSkillLevel(int32_t row) const;
    uint32_t GetSkillValue(int32_t row) const;
    uint8_t GetSkillFlag(int32_t row) const;
    // The selected entry's skill id (3,000,000 + row).
    uint32_t GetSelectedSkillId() const;
    // Mode 1 only; with a server an attack skill is not selectable.
    void SelectSkill(int32_t mode, int32_t row);
    // Stores a changed level and value (the skill window told), or appends a
    // new skill; false when a new skill finds the list full.
    bool AddOrUpdateSkill(uint32_t skillId, uint32_t level, uint32_t value, uint8_t flag);
    // Removes the first entry with the flag byte whose attack flag (skill
    // table column 6) equals attack; false when none.
    bool RemoveSkill(bool attack, uint8_t flag);
    // Without a server: four skills to start with and the combos made of the first.
    void AddDefaultSkills();
    // -1 keeps the selection; other values outside 0-2 select 0.
    void SetComboIndex(int32_t index);
    void SelectComboDirect(int32_t index);
    void SetComboEntry(int32_t combo, uint32_t protectedValue, const uint32_t words[COMBO_SKILLS + 1]);
    void SetComboLength(int32_t length);
    void SetComboValue(int32_t index, uint32_t value);
    // Asks the server to select a combo: one request while one is pending
    // and none within 100 ms of the last. True when sent.
    bool RequestComboSelect(int32_t index);
    // The combo step after the use of a combo position: 0 past the length.
    int32_t NextComboStep(uint32_t comboIndex) const;
    bool IsAttackSkill(int32_t row) const;
    // The id/value list (list B): the value of an id, 0 when absent.
    uint16_t GetValueById(uint32_t id) const;
    void RecomputeHighest();
    // The weapon (equipment position 2) is told of a strike (1) or its end
    // (0) through its hit hook, when it has one.
    void NotifyEquippedItem(uint32_t value);

    int32_t m_skillCount = 0;
    uint32_t m_skillRows[MAX_SKILLS] = {};
    uint8_t m_skillFlags[MAX_SKILLS] = {};
    uint32_t m_skillLevels[MAX_SKILLS] = {};
    uint32_t m_skillValues[MAX_SKILLS] = {};
    int32_t m_selectedCombo = -1;
    int32_t m_comboLength = 0;
    uint32_t m_comboValues[COMBO_COUNT] = {};
    uint32_t m_combos[COMBO_COUNT][COMBO_SKILLS + 1] = {};  // four skill rows and a word
    uint32_t m_comboProtected[COMBO_COUNT] = {};
    int32_t m_selectedSkill = 0;
    uint8_t m_skillSelected = 0;
    int32_t m_comboStep = 0;
    uint8_t m_comboRequestPending = 0;
    int32_t m_comboRequested = 0;
    uint32_t m_comboRequestTime = 0;
    uint8_t m_comboRequestSent = 0;
    // The combo window lets an attack follow before its pause ends (500 ms).
    uint8_t m_comboWindowOpen = 0;
    uint32_t m_comboWindowTime = 0;
    uint32_t m_actionStart[4] = {};
    uint32_t m_actionDelay[4] = {};
    uint8_t m_castBytes[2] = {};      // a cast running: attack, other
    uint8_t m_finishedBytes[2] = {};  // a use finished: attack, other
    int32_t m_highestValue = 0;
    // Checks' inputs: the last throttled action, the target a use waits
    // for (-1 none), the timed chat block, the second hide byte.
    uint32_t m_lastActionTime = 0;
    uint8_t m_actedOnce = 0;
    int32_t m_pendingTarget = -1;
    uint8_t m_chatBlockOn = 0;
    uint32_t m_chatBlockStart = 0, m_chatBlockLength = 0;
    uint8_t m_hideByte2 = 0;
    // An attack's hit is due at the hit time (the skill action marks it).
    uint8_t m_hitPending = 0;
    uint32_t m_hitTime = 0;

private:
    std::unique_ptr<CTeam> m_pParty;
    std::vector<std::unique_ptr<CCharStatusObject>> m_attached[ATTACHED_LISTS];
    CCharStatusObject* m_shownAttached[ATTACHED_LISTS] = {};
};

// Plays an animation (frame group 0) once at a tile through the play manager.
void PlayOnceAtTile(uint32_t animation, uint8_t direction, int32_t tileX, int32_t tileY);

// The random numbers of the idle replays and the footsteps (rand(); tests
// seed it with srand).
int32_t CharRandom();

// The character's action object: it drives the motion frame by frame.
class CCharAction : public CBaseObject {
public:
    explicit CCharAction(CCharController* controller);
    ~CCharAction() override;

    // Builds the path follower, the speech and sign windows and the marker.
    bool Create() override;
    // Deletes the path follower, closes the two windows, frees the cell.
    bool Release() override;
    void Reset() override;

    // ---- Motion (char_motion.cpp) ----
    // The frame's step of the current motion, then the attached objects.
    void UpdateMotion(bool moving);
    bool Update() override {
        UpdateMotion(true);
        return true;
    }
    virtual void SetRestPose(bool on);
    // Snaps to the nearest corner of the tile, reports it when asked and
    // releases the claimed cell.
    virtual void Stop(bool report);
    // One frame of a walk or run.
    virtual void StepMove(bool moving);
    virtual void SetRunning(bool on);
    // The push's frame (a dash in progress).
    virtual void Push();
    virtual void TakeHit();
    virtual void Die();
    // The target jumps 50 map units away from this character and slides home.
    virtual void KnockBackTarget(CChar* target);
    // Rest handling.
    virtual void Idle();
    virtual void FaceTo(int32_t tileX, int32_t tileY);
    virtual void FaceToChar(CChar* other);
    virtual void PlayTimedMotion(uint32_t durationMs);
    void EnterHeldDown();
    void EnterLying();
    void Vanish();
    void Appear();
    void PlayMotion17(bool start);
    void PlayMotion18(bool start);
    void PlayMotion107(uint8_t aniMotion);
    // Back to the rest motion with the holder's done flag set.
    void ReturnToRest();

    // ---- Movement (char_movement.cpp) ----
    // Starts a walk or run to a tile (speed 0: the walk or run speed); false
    // when the character does not set off.
    bool MoveTo(int32_t tileX, int32_t tileY, float speed = 0.0f);
    // Reports the tile when it differs from the last reported one.
    void ReportTile(int32_t tileX, int32_t tileY);
    // Claims the tile's cell as destination and asks the server to move there.
    void HoldCell(int32_t tileX, int32_t tileY);
    // Jumps to a tile; the sprite slides there from the old one.
    void WarpToCell(int32_t tileX, int32_t tileY);
    // The last reported tile (the server's own placements set it too).
    void SetReportedTile(int32_t tileX, int32_t tileY);
    int32_t ReportedTileX() const { return m_lastReportX / 24; }
    int32_t ReportedTileY() const { return m_lastReportY / 12; }
    void ReleaseClaimedCell();
    void RefreshAttachedObjects();
    void DrawAttachedObjects();

    // The run/walk switch follows the stance byte of the data (a battle
    // stance runs); nothing changes while they agree.
    void CheckStance();

    // Dashes to a tile (a start), or steps a running dash (-1, -1).
    void Dash(int32_t tileX, int32_t tileY);
    bool IsDashing() const { return m_dashing != 0; }
    // Drops the path and the cells it claims (a new map).
    void ResetMapState();

    CChar* Owner() const;
    CCharData* Data() const;
    CCharActionHolder* Holder() const;
    CPathFinder* Path() const { return m_pPath.get(); }
    CBaseWindow* SpeechWindow() const { return m_pSpeechWin; }
    CBaseWindow* SignWindow() const { return m_pSignWin; }
    CAniObject* Marker() const { return m_pMarker.get(); }

    // ---- Marks and numbers over the character (char_marks.cpp): each a new
    // animated object played once by the play manager, following the
    // character at a screen offset ----
    void ShowFlashMark();
    void ShowMiss();
    void ShowMissWord();
    void ShowStatusMarkA();
    void ShowStatusMarkB();
    void ShowNumberMark(uint32_t number);
    // Numbers above 999 show 999.
    void ShowWordNumber(uint32_t number);
    // With a source character the digits fly away from it.
    void ShowDamageNumber(uint32_t number, bool strong, CChar* source);
    void Countdown(uint32_t seconds);
    void ShowOverheadAnimation(uint32_t animation, uint8_t group, uint8_t direction);

    // ---- The play-screen windows (hud_windows.cpp) ----
    // The window of the slot (HUD_...) while the window manager holds it, else null.
    CBaseWindow* HudWindow(int slot) const;
    void SetHudWindow(int slot, CBaseWindow* window);

    CCharController* m_pController;
    uint8_t m_moving = 0;
    int32_t m_lastReportX = 0, m_lastReportY = 0;
    uint8_t* m_pActiveFlag = nullptr;
    uint8_t m_idleStarted = 0;
    uint32_t m_timedDuration = 0, m_timedStart = 0;
    uint8_t m_timedFlag = 0;
    uint8_t m_reportSeq = 0;
    uint32_t m_lastStepTime = 0, m_lastFootstep = 0;
    int32_t m_cellX = -1, m_cellY = -1;  // the claimed cell
    uint8_t m_hitFlag = 0, m_hitWasMoving = 0, m_secondHit = 0;
    uint32_t m_hitReactions = 0;  // hit reactions begun
    uint8_t m_stateFlag = 0;      // the flag of the one-shot motions
    // Dash.
    uint8_t m_dashing = 0;
    float m_dashStartX = 0, m_dashStartY = 0, m_dashX = 0, m_dashY = 0, m_dashToX = 0, m_dashToY = 0;
    float m_dashStepX = 0, m_dashStepY = 0;
    uint32_t m_dashSteps = 0;
    // The skill object is free for the next use.
    uint8_t m_skillReady = 1;

    // ---- Skill use (char_skill_use.cpp) ----
    // Starts the use the record describes (a skill action of the skill manager).
    void BeginSkillUse(const CSkillActionMsg& record, bool start);
    // Ends the use: the pause after it, the skill action finished.
    void EndSkillUse();
    // The server's hits: to the running skill action.
    void HandleHitRecord(std::unique_ptr<CSkillHitMsg> record);
    // Keeps the cast record and runs the cast step.
    void SetCastRecord(std::unique_ptr<CSkillActionMsg> record);
    void CastStep();
    void CancelCast();
    void InterruptCast();
    // The cast's effect turns to its end (the use began, or the cast stopped).
    void EndCastEffect();
    // The cast's effect goes at once (the action is released or reset).
    void RemoveCastEffect();
    ISkillEffect* CastEffect() const { return m_castEffect.GetAs<ISkillEffect>(); }
    // Ends a running use without touching the character (it goes away).
    void DropSkillUse();

    CSkillAction* m_pSkillAction = nullptr;  // a child of the skill manager while it runs
    uint32_t m_skillActionHandle = 0;
    std::unique_ptr<CSkillActionMsg> m_pCastRecord;
    CAniPlayEntry* m_pCastCircle = nullptr;  // the play manager's entry, looked up before use
    CWeakRef m_castEffect;                   // the effect manager's
    uint8_t m_castEffectEnding = 0;          // told of its end once

protected:
    // Makes the flag the one of the state in progress (the old one cleared).
    void SetActiveFlag(uint8_t* flag);
    // Sends the position request for the tile and advances the sequence.
    void SendPosition(int32_t tileX, int32_t tileY);
    bool Reports() const;
    void SpawnFootstep();

    std::unique_ptr<CPathFinder> m_pPath;
    CBaseWindow* m_pSpeechWin = nullptr;  // registered with the window manager
    CBaseWindow* m_pSignWin = nullptr;
    std::unique_ptr<CAniObject> m_pMarker;
    CWeakRef m_hudWindows[HUD_WINDOW_COUNT];
};

// The action of players and NPCs: dies without waiting for the animation.
class CPlayerCharAction : public CCharAction {
public:
    using CCharAction::CCharAction;
    void Die() override;
};

// The action holder: pending steps and the action object.
class CCharActionHolder : public CBaseObject {
public:
    explicit CCharActionHolder(CCharController* controller);
    ~CCharActionHolder() override;
    // Runs the first pending step (dropped once it has arrived), then the
    // action object's frame.
    bool Update() override;
    void ClearPending();
    // Adds a step at the end of the pending list.
    void AppendStep(std::unique_ptr<CCharStep> step);
    CCharStep* FirstStep() const { return m_pending.empty() ? nullptr : m_pending.front().get(); }
    size_t PendingCount() const { return m_pending.size(); }

    CCharController* m_pController;
    std::vector<std::unique_ptr<CCharStep>> m_pending;
    std::unique_ptr<CCharAction> m_pAction;
    uint8_t m_done = 0;
    uint8_t m_arrived = 0;
};

class CCharController : public CBaseObject {
public:
    explicit CCharController(CChar* owner, bool variant);
    ~CCharController() override;

    // Makes the data and the action holder; ready.
    bool Create() override;
    void Reset() override;
    // Events, then the action holder, the roof flag and the timed items.
    void UpdateController(uint32_t elapsedMs);
    // The event switch over the waiting events.
    bool ProcessMessages() override;

    CItemObject* GetItemInSlot(int slot) const;
    bool Equip(std::unique_ptr<CItemObject> item);
    void TakeOff(int position);
    // The worn item found by its item id, by the slot it keeps, or at its
    // equip position, is taken off; false when none is worn so.
    bool TakeOffById(uint32_t itemId);
    bool TakeOffBySlot(int32_t slot);
    bool TakeOffByEquipSlot(int position);
    // A timed effect item: true when made and worn.
    bool UseEffectItem(uint32_t itemId, uint32_t remainingMs);
    // The character's look changed: the worn items are put on again (their
    // effects made anew), the timed ones with the time they had left.
    void RebuildTimedItems();
    // Recomputes what the worn items give: the bonuses of complete item
    // sets, the effects of the items in the effect list (when the character
    // has one) and, for the user's own character, its equipment windows.
    void RefreshEquipmentEffects();
    bool IsTeamMember(const char* name);
    bool IsStatus9Set() const;
    // Walking orders (events 64, 65 and server code 100, 73-75): a walk to a
    // tile or up to a character, and the follow commands.
    void ApplyMove(const class CCharMoveMsg& msg);
    void ApplyMoveOrder(int32_t tileX, int32_t tileY);
    void ApplyFollow(uint32_t eventId, const class CCharStateMsg& msg);
    // The passable cell nearest to the tile's cell in the first of 100
    // growing squares (offsets -k to 2k) that has one, as a tile; (-4, -4)
    // when none has.
    IsoPoint FindFreeSpot(int32_t tileX, int32_t tileY);

    // ---- Action permission checks (char_permissions.cpp) ----
    bool IsFreeToAct() const;
    bool CanStartAction() const;
    bool CanAcceptCommand() const;
    bool CanControl() const;
    bool CanActNow() const;
    bool CanStandUp() const;
    bool IsNotStunned() const;
    bool IsStatus54Set() const;
    // False while the timed chat block runs; an expired block is cleared.
    bool CanChat();
    // At most one action per the map's interval (500 ms without one); true
    // takes the action's time.
    bool ThrottleAction();
    // The skill waiting for the server's answer is an attack skill (or not);
    // false for none.
    bool IsPendingSkillAttack() const;
    bool IsPendingSkillOther() const;
    bool CanAttack(CChar* target) const;
    // Whether an attack (or the skill, 0 for the selected one) may be used
    // now; a refusal that explains itself leaves its text in message.
    bool CanUseSkill(bool attack, uint32_t skillId, bool force, char* message, size_t capacity) const;
    // Whether the owner is shown to the viewer (the user's own character).
    bool IsCharVisible(CChar* viewer) const;
    // The character with the id stands within 8 tiles (the answer is kept a
    // second once given).
    bool NearTarget(uint32_t charId);
    // Whether the character may wear the item: its types and up to four
    // requirements (level, the item's skill, attributes); a refusal leaves
    // its text in message.
    bool CanEquipItem(CItemObject* item, char* message, size_t capacity) const;
    // Whether the player may use the recipe (class 10) or cookbook (class
    // 11) now; a refusal leaves the value it names (cooking's rule decides).
    bool CanUseItemClass10(CItemObject* item, uint32_t& value) const;
    bool CanUseItemClass11(CItemObject* item, uint32_t& value) const;

    // The skill waiting for the server's answer (set by a use).
    uint8_t m_pendingUseFlag = 0;
    uint32_t m_pendingUseTime = 0;
    int32_t m_pendingUseRow = -1;
    uint8_t m_stepGuardOn = 0;
    uint32_t m_stepGuardTime = 0;

    // ---- Items, targets and skill requests (char_requests.cpp) ----
    // The payload a use of the skill carries after its bytes; false (nothing
    // to send) when the skill's target rule refuses the target. place: the
    // payload starts with a place.
    bool BuildSkillPayload(int32_t row, CChar* target, bool quickSlot, std::vector<uint8_t>& payload,
                           bool* place) const;
    // Request 19 for the learned skill at the index; false when nothing is sent.
    bool UseSkill(int32_t learnedIndex, CChar* target);
    // Request 28 for the skill of a quick slot.
    bool UseQuickSkill(uint8_t slot, int32_t skillRow, CChar* target);
    // Request 28 for an item (or the skill a quick slot holds).
    bool UseItem(CItemObject* item, CChar* target, int32_t x, int32_t y);
    void UseItemBySlot(CItemObject* item);
    void SendItemKind(CItemObject* item);
    void SetSendCooldown(uint32_t ms);
    // Request 8, not while the send cooldown runs nor for a count below 1.
    bool SendPointRequest(int32_t x, int32_t y, uint8_t kind, int32_t count);
    bool IsNearTile(int32_t x, int32_t y) const;
    // x = -1: the character's own tile.
    CItemObject* PickUpAt(int32_t x, int32_t y);
    bool DropItem(CItemObject* item, int32_t x, int32_t y);
    bool DropById(uint32_t itemId, int32_t x, int32_t y);
    // The item, when the character holds it (in the container or worn), is dropped.
    bool DropByRef(CItemObject* item, int32_t x, int32_t y);
    // The container's item for the id (and slot), made when missing; null
    // for a slot outside the container.
    CItemObject* GetOrCreateItem(uint32_t itemId, uint32_t count, int32_t slot, bool show);
    bool PlaceItem(CItemObject* item, int32_t slot, uint8_t flag);
    // The server's item for an inventory slot (event 47): made or found and
    // filled (ids, name, extra record); null for a slot outside the container.
    CItemObject* AddItemFromRecord(const CInvenItemMsg& record);
    // The same for an event's payload (ignored unless an inventory item record).
    void AddItemFromPayload(CMsgData* payload);
    // A stored item of the server (event 52), filled as an inventory item
    // but kept out of the inventory, goes to the deposit window, made when
    // missing; false when there is no item or no window to take it.
    bool PutIntoDepositWindow(const CStoredItemMsg& record);
    // Event 53: the deposit window, when there is one, shows the value.
    bool RefreshDepositWindow(uint32_t value);
    // The speech window shows "name : text".
    void ShowSpeech(const char* name, const char* text);
    bool RemoveItem(uint32_t itemId);
    // The container's item (by item id, or at the slot) is worn; false (the
    // item stays where it is) for none or an item that is not worn.
    bool EquipFromList(uint32_t itemId);
    bool EquipFromSlot(int32_t slot);
    // The user's own character asks the server to walk to the tile
    // (negative coordinates are 0); not while down or dead.
    bool MoveRequest(int32_t x, int32_t y);
    // The inventory window of the user's own character shows the items again.
    void RefreshInventoryWindow() const;
    void SetByte60(uint8_t value);
    uint8_t GetByte60() const;
    bool IsSameClub(CChar* other) const;
    // The server's state event (message 83): 84 plays the spark over the
    // character; 96 gives the hit mark (target id, value) to the character's
    // ring object. False for a kind nothing here takes.
    bool OnServerEvent(uint32_t code, uint32_t value = 0, uint16_t extra = 0);

    uint8_t m_comboReady = 0;
    uint32_t m_cooldownLeft = 0, m_cooldownTime = 0;

private:
    // The action's skill object can take the next use.
    bool IsSkillObjectReady() const;

public:
    CChar* Owner() const { return m_pOwner; }
    CCharData* Data() const { return m_pData.get(); }
    CCharActionHolder* Holder() const { return m_pHolder.get(); }
    CCharAction* Action() const { return m_pHolder ? m_pHolder->m_pAction.get() : nullptr; }

    CChar* m_pOwner;
    uint8_t m_variant;
    uint8_t m_ready = 0;
    uint8_t m_partyMark = 0;
    uint8_t m_moving = 0;
    uint8_t m_flags[3] = {};
    uint32_t m_target = 0;
    uint32_t m_followSource = 0;
    uint8_t m_pendingSkill = 0;
    int32_t m_restValue = -1;
    uint32_t m_twoValues[2] = {};
    uint8_t m_rebuilding = 0;
    std::vector<uint32_t> m_timedLeft;
    std::vector<CItemObject*> m_timedItems;  // worn items of the data
    // The keys of the item effects this controller put in the effect list.
    std::vector<std::pair<uint32_t, uint32_t>> m_equipEffects;
    // Hit counters and ratio (the animation nodes).
    int32_t m_firstHits = 0, m_secondHits = 0;
    float m_ratio = 0;

private:
    // One event; false when it must wait.
    bool HandleEvent(uint32_t sender, uint32_t eventId, CMsgData* payload);
    std::unique_ptr<CCharData> m_pData;
    std::unique_ptr<CCharActionHolder> m_pHolder;
};
