// CGameScene (kind 0): the scene that runs while the player is in the world.
// Each frame it relays the network's typed messages, routes input, advances
// the windows, the characters, the map, animations and events, and draws the
// field, its overlays, the windows and the version and clock lines. It makes
// the in-game window set on entry and closes it on leaving; leaving goes
// through a fade-out to the connect scene or the title.
#pragma once
#include <cstdint>
#include <list>
#include <memory>

#include "core/linked_list.h"
#include "scenes/game_overlays.h"
#include "scenes/game_windows.h"
#include "scenes/scene.h"
#include "ui/game_scene_windows.h"
#include "world/map/map.h"

class CAniObject;
class CBaseWindow;
class IFunctionMenu;
class CChar;
class CItemObject;
class CMsg;
struct MapServerObject;

enum : int32_t {
    GAME_PLAYING = 0,
    GAME_WAITING_FOR_MAP = 1,
    GAME_MAP_READY = 2,
    GAME_LEAVING_TO_CONNECT = 3,
    GAME_LEAVING_TO_TITLE = 4,
};

inline constexpr uint32_t GAME_FIRST_ELAPSED_MS = 20;
inline constexpr uint32_t GAME_FRAME_MS = 33;
inline constexpr uint32_t GAME_HOTKEY21_GUARD_MS = 1000;
inline constexpr uint32_t GAME_REPEAT_INTERVAL_MS = 500;
// Scene messages handled here.
inline constexpr uint32_t GAME_MSG_BOX_ANSWER = 9;
inline constexpr uint32_t GAME_MSG_CHAT_LINE = 87;
inline constexpr uint32_t GAME_CHAT_KIND_AUTO_GET = 18;

// The NPCs whose click opens the web page window: its page, its notice.
inline constexpr uint32_t NPC_WEB_PAGE = 2200138;
inline constexpr uint32_t NPC_WEB_NOTICE = 2200303;

// The pointed object's kinds besides the characters' 0-3.
inline constexpr int32_t POINTED_MAP_OBJECT = 6;

class CGameScene : public CScene,
                   public IMapChangeListener,
                   public IOneToOneChatHost,
                   public IGameSceneActions {
public:
    // The window set's one-to-one chat object.
    IOneToOneChat* GetOneToOneChat() override { return m_windows.GetOneToOneChat(); }

    CGameScene();
    ~CGameScene() override;

    // Entering: windows, marks, overlays, state 2 (the first drawn frame
    // starts the fade-in); the session is in the game from here on.
    bool Create() override;
    // Leaving: the overlays' objects, the layout saved, the characters, the
    // map and the effects reset, the window set closed.
    bool Release() override;
    bool Update() override;
    bool Draw() override;
    bool ProcessInput() override;
    bool ProcessMessages() override;

    // ---- Transitions ----
    void SetTransitionState(int32_t state);
    int32_t GetTransitionState() const { return m_transition; }
    void StepTransition();
    void LeaveToConnectScene();
    void LeaveToTitleScene();
    // The map's change: phase 0 (state 1, fade-out, the cursor hidden);
    // leaving or entering a kind-3 map closes the fight-club notice.
    void OnMapChange(bool kind3) override;
    void OnMapChangePhase(int32_t phase);

    // ---- Hover ----
    void UpdatePointedTarget();
    // Hands the pointed object to the cursor for its label.
    void UpdateCursorTarget();
    // The mark over each party member on the field.
    void DrawTeamMarks();
    int32_t GetPointedId() const { return m_pointedId; }
    int32_t GetPointedKind() const { return m_pointedKind; }

    // ---- Overlays ----
    void ShowBanner(bool start, int32_t kind) { m_overlays.ShowBanner(start, kind); }
    void ShowTextBanner(const char* text, bool start, bool plain, int32_t kind) {
        m_overlays.ShowTextBanner(text, start, plain, kind);
    }
    void StartFightClubBoard() { m_overlays.StartFightClubBoard(); }
    void SetFightClubScoreLeft(uint16_t score) { m_overlays.SetFightClubScoreLeft(score); }
    void SetFightClubScoreRight(uint16_t score) { m_overlays.SetFightClubScoreRight(score); }
    void ShowFightClubResult(int32_t result) { m_overlays.ShowFightClubResult(result); }
    bool ShowGameRequest(uint32_t charId) { return m_overlays.ShowGameRequest(charId); }
    bool ShowFloatingText(const char* text) { return m_overlays.ShowFloatingText(text, m_pPlayer); }
    // The telescope view takes the screen and the input; nothing happens
    // without its window.
    void OpenTelescope();
    // Leaves the telescope view with a 300 ms fade-in.
    void StartScreenFade();
    CGameOverlays& Overlays() { return m_overlays; }
    // The web page window of the set, or null.
    IWebPageView* WebPageView();
    CGameWindowSet& Windows() { return m_windows; }

    // ---- Drawing pieces ----
    // The version and clock lines, unless the dark-screen flag is set or the
    // web page window is shown; false when they were not drawn.
    bool DrawVersionAndClock();
    const char* GetFrameRateLine() const { return m_frameRateLine; }
    // The frame-rate line, as ProcessInput rebuilds it.
    void RebuildFrameRateLine();
    // The pointed character when the targeting mark is to be drawn over it.
    CChar* TargetMarkChar();

    // ---- The queued-action block: at most one action is queued; each
    // setter clears the others ("the rest": hold, attack, pick-up, A, B,
    // skill-on-character and character-action flags) first. ----
    void ClearHoldFlags();
    void ClearAttack();
    void ClearQueuedActions();
    void StartMoveHold(bool repeat);
    void QueuePickUp(int32_t objectId);
    void QueueActionA(int32_t id);
    void QueueActionB(int32_t id);
    void QueueCharacterAction(CChar* character);
    void QueueSkillOnCharacter(CChar* character, int32_t value);
    void QueueAttack(CChar* character, bool first);
    // Aiming keeps a queued skill-on-character or character action.
    void BeginSkillAiming(int32_t skillRow);
    void BeginItemAiming(uint32_t slot, uint32_t code, uint32_t word3, uint32_t word4);
    void EndAiming();
    // The click while aiming (mode 1): the aimed item on the target (a
    // character, a map object of kind 6 that may block, or none: the place
    // under the mouse), or the aimed skill. False when the aimed item is gone
    // or a blocking map object refuses it; the aim ends as the rules say.
    bool UseSkillOn(CChar* target, int32_t targetKind, bool blockingObject = false);
    // An attack, skill-on-character or character action: the targeting mark
    // follows its target.
    bool HasQueuedTarget() const;
    bool HasQueuedAction() const;
    int32_t GetActionMode() const { return m_actionMode; }

    // ---- Input ----
    // The first hot-key command bound to the combination, else -1.
    static int32_t FindKeyBinding(bool ctrl, bool alt, bool shift, uint32_t key);
    // A hot-key command; true when the key is taken.
    bool RunHotKey(int32_t command, bool ctrl);
    // A key no command takes; false leaves it queued.
    bool RunPlainKey(uint32_t key);

    // ---- Field clicks ----
    // A left click or double-click (byUser false: the held button's
    // repeat); false only when there is nowhere to walk.
    bool HandleGameInput(int32_t x, int32_t y, bool byUser);
    // A right click; true when taken.
    bool HandleRightClick(int32_t x, int32_t y);
    bool AttackTarget(CChar* target);
    // Uses the selected skill (row -1) or the learned skill row on the
    // target (null: the point under the mouse): at once in range, else a walk
    // toward a cast position (not with Shift) with the skill queued on the
    // target. A refused use plays "NeedMP" and shows the reason in the
    // notice line. True when the skill started or a walk was ordered.
    bool TryUseSkill(CChar* target, int32_t skillRow) override;
    // For the windows that name a character: mode 1 uses the selected skill
    // on it (not a combo skill), mode 0 attacks it unless it is dead;
    // nothing while the player is busy.
    void ActOnTarget(int32_t mode, CChar* target) override;
    // A click while aiming an item (mode 1) or a skill (mode 2).
    bool ClickInItemAiming(int32_t x, int32_t y);
    bool ClickInSkillAiming(int32_t x, int32_t y);
    // The pointed character (kinds 0-2) while it is on the field.
    CChar* PointedChar();
    // Asks the character manager to walk the player to the tile (message 64).
    bool WalkTo(int32_t tileX, int32_t tileY);
    // The player's controller sends the use of the learned skill row on the
    // target (null: the place); false when the row is not learned or the
    // controller refuses.
    bool UseLearnedSkill(int32_t row, CChar* target);
    // To the character's tile, or the free one beside it nearest the player.
    bool WalkToward(CChar* character);
    // A click by the user on an NPC: the request 67, the NPC turning to the
    // player, its talk; beyond both radii and 12 pixels the player walks to it.
    bool ClickNpc(CChar* npc);

    // ---- Items on the ground ----
    // Hot key 8: the item nearest to the player, as a click on it (without
    // the Shift test); false when there is none.
    bool PickUpNearestItem();
    // A click on an item on the ground: within reach the pick-up goes to the
    // character manager at once; farther the player walks to its tile with
    // the pick-up queued (not with Shift held).
    bool ClickGroundItem(CItemObject* item, bool testShift);

    // ---- Placed objects ----
    // The tile a placed object stands on (the middle of its rectangle).
    static IsoPoint PlacedObjectTile(const MapServerObject& object);
    // Flag A or B: once the player stands on the placed object's tile its
    // request goes out (67) and the flag ends; a gone object ends it too.
    // False while the player is still on the way.
    bool ReachPlacedObject(uint8_t& flag, int32_t& id);
    // The placed object of the kind under a screen point: its action is
    // queued (A or B) and the player walks to it. False when there is none.
    bool WalkOntoPlacedObject(int32_t x, int32_t y, uint8_t kind);

    // ---- Function menus ----
    // The menu of the set under the identifier, with its window.
    IFunctionMenu* FunctionMenu(const char* identifier, CBaseWindow** window);
    // The player menu aimed at the character and shown (Shift over a player,
    // Alt-click on one).
    void ShowPlayerMenu(CChar* character);
    // The NPC menu aimed at the NPC at its screen position; a menu aimed at
    // another NPC is hidden and the new NPC's service opened first.
    void ShowNpcMenu(CChar* npc);
    // Shift on a click: the player faces the tile (and tells the server)
    // while it is under control.
    void TurnPlayerToward(IsoPoint tile);
    // The NPC faces the player when its row lets it.
    void TurnNpcToPlayer(class CNpcChar* npc);

    // ---- Name-memo markers ----
    // The name goes to the name memo window; a marker starts at the mouse.
    void ShowNameMemoMark(int32_t id, int32_t kind);
    // Each marker flies 20 pixels toward the chat window's memo button; one
    // that would come no closer sets the button blinking and goes, as does
    // every marker while there is no chat window.
    void UpdateNameMemoMarks();
    void DrawNameMemoMarks();
    size_t GetMemoMarkerCount() const { return m_memoMarkers.size(); }

    // ---- State (the input and the tests read it) ----
    CChar* GetPlayer() const { return m_pPlayer; }
    uint32_t GetLastElapsed() const { return m_lastElapsed; }
    uint32_t GetFrameCounter() const { return m_frameCounter; }
    bool IsTelescopeOn() const { return m_telescope != 0; }
    int32_t GetAlbumMode() const { return m_albumMode; }
    uint32_t GetAttacksStarted() const { return m_attacksStarted; }
    uint32_t GetSkillUsesStarted() const { return m_skillUsesStarted; }

    // The world's step while a visual event plays.
    void UpdateDuringEvent();

    uint8_t m_leftHold = 0, m_rightHold = 0;
    uint32_t m_repeatInterval = GAME_REPEAT_INTERVAL_MS;
    uint32_t m_lastRepeat = 0;
    uint32_t m_aimWords[4] = {};
    int32_t m_aimSkillRow = -1;
    uint8_t m_attack[2] = {};
    int32_t m_queuedId = -1, m_queuedKind = -1;
    uint8_t m_pickUp = 0;
    int32_t m_pickUpId = -1;
    uint8_t m_actionA = 0;
    int32_t m_actionAId = -1;
    uint8_t m_actionB = 0;
    int32_t m_actionBId = -1;
    uint8_t m_skillOnChar = 0;
    int32_t m_skillOnCharValue = -1;
    uint8_t m_charAction = 0;
    int32_t m_actionMode = 0;

protected:
    // The world as the scene sees it: the map loaded and the characters
    // ready; the map ready after loading; the map's notice that the server
    // waits for request 57, taken (cleared) when set.
    virtual bool IsWorldReady();
    virtual bool IsMapReady();
    virtual bool TakeMapNotify();
    // The field under the clicks: the map loaded, the tile of a screen
    // point, a walkable tile.
    virtual bool IsMapLoaded();
    virtual IsoPoint ScreenToTile(int32_t x, int32_t y);
    virtual bool IsPassableAt(int32_t tileX, int32_t tileY);
    // The player's controller allows an attack on the target.
    virtual bool CanPlayerAttack(CChar* target);
    virtual bool IsSkillAllowedHere(uint32_t skillId);
    void RefuseSkill(const char* reason);
    // The item in the bag slot the aim names (null outside the bag).
    virtual CItemObject* AimedItem(uint32_t slot);
    // The items lying on the field: the one with the object id, and the one
    // nearest to the player that the player can reach.
    virtual CItemObject* FindGroundItem(int32_t objectId);
    virtual CItemObject* NearestGroundItem();
    // The item on the ground whose picture holds the screen point; of
    // several, the one whose centre is nearest (within 9,999).
    virtual CItemObject* PickGroundItem(int32_t x, int32_t y);
    // The map's placed objects: the one with the id, the one under a
    // screen point (nearest within 9,999).
    virtual MapServerObject* FindPlacedObject(int32_t id);
    virtual MapServerObject* PickPlacedObject(int32_t x, int32_t y);
    void ShowMapEntry();
    void ShowChatWindows();
    // Shows the chat windows when the chat is hidden and activates the chat
    // input (returned; null while there is none).
    CBaseWindow* OpenChatInput();
    // An event holds the player's input.
    static bool EventBlocksInput();
    void ClearForAiming();
    void TakeQueuedTarget(CChar* character);
    void RepeatHeldButtons();
    void CloseFieldWindows();
    void HandleMessage(CMsg* msg);
    void HandlePanelMessage(CMsg* msg);
    void TakeSystemWindowChoice();
    void StepCharacters(uint32_t elapsed);
    // The windows, the elapsed time (20 ms the first time), the characters
    // and the map, the animations and the events.
    void StepWorld(ISceneEvents* events);
    // The pointed character or item on the ground stays pointed while the
    // mouse is on it (small ones widened); option byte 5 (7 for an item)
    // pulls the mouse to its centre.
    bool KeepPointedTarget(int32_t x, int32_t y);

    void DrawField();

    int32_t m_transition = GAME_MAP_READY;
    uint32_t m_lastDraw = 0;
    uint32_t m_updateDuration = 0;
    int32_t m_frameLag = 0;
    CChar* m_pPlayer = nullptr;
    uint32_t m_prevUpdate = 0;  // 0 until the first update
    uint32_t m_lastElapsed = 0;
    uint32_t m_frameCounter = 0;
    char m_frameRateLine[256] = {};
    char m_oneFrameLine[256] = {};

    std::unique_ptr<CAniObject> m_pTargetMark;
    std::unique_ptr<CAniObject> m_pSecondMark;
    std::unique_ptr<CAniObject> m_pMark865;
    int32_t m_pointedId = -1;
    int32_t m_pointedKind = -1;
    int32_t m_albumMode = 0;
    uint8_t m_telescope = 0;
    bool m_released = false;
    uint32_t m_attacksStarted = 0;    // attacks the checks allowed (each goes to the controller)
    uint32_t m_skillUsesStarted = 0;  // skill uses the checks allowed (each goes to the controller)
    uint32_t m_lastDrawStep = 0;      // hot key 21, at most once a second

    CGameOverlays m_overlays;
    CGameWindowSet m_windows;
    struct MemoMarker {
        float x = 0, y = 0;
        std::unique_ptr<CAniObject> object;
    };
    std::list<MemoMarker> m_memoMarkers;
};
