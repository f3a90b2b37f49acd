// A loaded event (CEventScript) and its functions (CEventFunction): the
// runner that starts a function's commands frame by frame, the selection
// state the selection commands fill and settle, the event's own animated
// objects, and the choice record that carries one answer of a selection.
#pragma once
#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "core/base_object.h"
#include "script/event_command.h"

class CAniObject;
class CChar;
class CSpeechData;
class CStageData;
class CEventSelectionWindow;

inline constexpr size_t EVENT_FILE_NAME_SIZE = 100;
inline constexpr size_t EVENT_FUNCTION_FIELD = 67;
inline constexpr size_t EVENT_CHOICE_SIZE = 188;
inline constexpr int EVENT_TYPE_COUNT = 14;
inline constexpr int EVENT_RESULT_COUNT = 10;
inline constexpr size_t EVENT_MAX_ANSWERS = 10;
inline constexpr int32_t EVENT_NONE = -1;

enum : uint8_t { EVENT_FIELD_SCRIPT = 0, EVENT_VISUAL = 1 };

// One answer of a selection (188 bytes on the wire and in the list of the
// event manager).
struct EventChoiceRecord {
    uint8_t deciding = 0;
    std::string file;      // at most 99 bytes
    std::string function;  // at most 66 bytes
    uint32_t selection = 0;
    uint16_t typeIndex = 0;
    uint32_t charId = 0;
    uint32_t position = 0;
    uint32_t value = 0;

    std::array<uint8_t, EVENT_CHOICE_SIZE> Pack() const;
    // False for a block of another length.
    static bool Unpack(const uint8_t* bytes, size_t length, EventChoiceRecord& out);
};

class CEventScript;

class CEventFunction : public CBaseObject {
public:
    CEventFunction(CEventScript* owner, std::string name);
    ~CEventFunction() override;

    // Runs one frame (see the .cpp); false once the function has ended.
    bool Update() override;
    // Each running command's Draw.
    bool Draw() override;
    // Runs from the first command with nothing running.
    void Start();
    // Running commands dropped; not running.
    void Stop();
    bool IsRunning() const { return m_next != -1; }

    const std::string& GetName() const { return m_name; }
    CEventScript* GetScript() const { return m_pOwner; }
    std::vector<std::unique_ptr<CEventCommand>>& Commands() { return m_commands; }
    std::vector<CEventCommand*>& Active() { return m_active; }
    // Marks a running command to be dropped by the runner after its walk.
    void DropActive(CEventCommand* command);

private:
    std::string m_name;
    CEventScript* m_pOwner;
    std::vector<std::unique_ptr<CEventCommand>> m_commands;
    std::vector<CEventCommand*> m_active;
    std::vector<CEventCommand*> m_dropped;
    int32_t m_next = -1;
};

struct EventTimedAnswer {
    std::string text;
    uint32_t delay = 0;
    int32_t position = -1;
    std::string function;
    bool offered = false;
};

struct EventSelection {
    bool begun = false;
    bool resultFunctions = false;
    uint8_t mode = 0;
    std::string title;
    uint32_t number = 0;
    uint32_t timeLimit = 0;
    uint8_t defaultAnswer = 0;
    uint8_t extra = 0;
    uint32_t mask = 0;
    std::vector<std::string> answers;
    std::vector<EventTimedAnswer> timed1, timed2;
    std::string results[EVENT_RESULT_COUNT];
    uint8_t tieRule = 0;
    int32_t chosen = EVENT_NONE;
    uint32_t chosenValue = 0;
    int32_t lead = EVENT_NONE;
    uint32_t leadValue = 0;
    int32_t deciding = EVENT_NONE;
    uint32_t decidingValue = 0;
    int32_t votes[EVENT_TYPE_COUNT] = {};
    uint32_t voteValues[EVENT_TYPE_COUNT] = {};
    bool waiting = false;
    uint32_t openTime = 0;
    bool answered = false;
};

// An object made by the create-object commands.
struct EventCreatedObject {
    uint32_t id = 0;
    std::unique_ptr<CAniObject> object;
    uint32_t repeat = 0;
    uint32_t plays = 0;
    uint8_t screen = 0;
    uint32_t moveStart = 0;
    uint8_t moving = 0;
    int32_t startX = 0, startY = 0;
    int32_t targetX = 0, targetY = 0;
    float speed = 0, acceleration = 0;
    bool hidden = false;
};

// An object of the stage's group 3.
struct EventObject {
    uint32_t id = 0;
    std::unique_ptr<CAniObject> object;
    bool hidden = false;
};

// A sound of the event (the event-sound command, the stage's group 4).
struct EventSound {
    uint32_t number = 0;
    uint32_t handle = 0;
    uint8_t positioned = 0;
    int32_t cellX = 0, cellY = 0;
    uint32_t level = 100;
    uint32_t repeat = 0;
    uint32_t pauseRange = 0;
    uint32_t plays = 0;
    uint32_t pause = 0;
    uint32_t endedAt = 0;
};

class CEventScript : public CBaseObject {
public:
    CEventScript();
    ~CEventScript() override;

    // Frees everything the event holds.
    bool Release() override;

    // Reads the event file of the path; kind EVENT_FIELD_SCRIPT or
    // EVENT_VISUAL, name as "0012.EVT". Reports what refused it (text table
    // 16) and answers false.
    bool LoadFile(uint8_t kind, const char* name, const std::string& path);
    // Takes an already read file (tests, tools).
    bool LoadData(uint8_t kind, const char* name, const EventFileData& data);

    // One frame of the event (the manager calls it while a function runs).
    bool Update() override;
    bool Draw() override;

    // Starts the named function; false when there is none (after the text
    // (16, 16)).
    bool StartFunction(const std::string& name);
    void StopFunction();
    // Every command's ResetState, the selection closed, skip and jump cleared.
    void ResetForRestart();
    // The running function, or null.
    CEventFunction* Running() const;
    int32_t RunningIndex() const { return m_running; }
    CEventFunction* FindFunction(const std::string& name) const;

    void RequestJump(const char* name);
    bool IsJumpPending() const { return m_jumpPending; }
    const std::string& JumpName() const { return m_jumpName; }

    uint8_t GetKind() const { return m_kind; }
    bool IsVisual() const { return m_kind == EVENT_VISUAL; }
    const char* GetFileName() const { return m_fileName; }
    // The path the event was read from (empty for an event taken as data).
    const std::string& GetPath() const { return m_path; }
    uint8_t GetFlag() const { return m_flag; }
    const CSpeechData* GetSpeech() const { return m_pSpeech.get(); }
    void SetSpeech(std::unique_ptr<CSpeechData> speech);
    CStageData* GetStage() const { return m_pStage.get(); }

    // The lead character: the visual event's one at the manager, or the player.
    CChar* LeadCharacter() const;

    // ---- Skipping ----
    void SetSkipEnabled(bool on) {
        m_skipEnabled = on;
        m_skipRequested = false;
    }
    bool IsSkipEnabled() const { return m_skipEnabled; }
    void RequestSkip() { m_skipRequested = true; }
    bool IsSkipRequested() const { return m_skipRequested; }

    // ---- Stage, own objects and the teardown ----
    bool SetUpStage();
    // The player becomes the visual event's lead (kept by the manager).
    CChar* TakeLeadCharacter();
    // False when the id is listed already or the animation cannot be had.
    bool AddEventObject(uint32_t id, uint16_t animation, uint8_t motion, uint8_t direction, int32_t x,
                        int32_t y);
    // The visual event's stage and the number it was read from.
    void SetStage(std::unique_ptr<CStageData> stage, int32_t number);
    bool IsSetUpDone() const { return m_setUpDone; }
    // Every character of the field shown and acting (on) or neither.
    void SetFieldCharsOn(bool on);
    // Gives the field back (see the .cpp).
    void Teardown();
    std::vector<EventCreatedObject>& CreatedObjects() { return m_created; }
    std::vector<EventObject>& EventObjects() { return m_objects; }
    std::vector<EventSound>& EventSounds() { return m_sounds; }
    EventCreatedObject* FindCreated(uint32_t id);
    EventObject* FindEventObject(uint32_t id);
    // An event sound made and started: not while sound cannot play, nor for
    // a number listed already (false then).
    bool AddEventSound(const EventSound& fields, uint32_t soundId);
    EventSound* FindEventSound(uint32_t number);
    // Stops and drops the sound of the number.
    void RemoveEventSound(uint32_t number);
    // Starts the move of the first created object with the id; false when
    // there is none.
    bool StartMove(uint32_t id, float speed, float acceleration, int32_t targetX, int32_t targetY);
    void MoveCreatedObjects();
    void UpdateObjects();

    // ---- Bars ----
    void StartBars(bool growing, uint32_t duration);
    void UpdateBars();
    bool AreBarsRunning() const { return m_barsRunning; }
    float BarHeight() const { return m_barHeight; }
    int32_t FullBarHeight() const { return m_fullBarHeight; }

    // ---- Selection ----
    EventSelection& Selection() { return m_selection; }
    void BeginSelection(uint8_t mode, uint32_t mask, const char* title, uint32_t number, uint32_t timeLimit,
                        uint8_t defaultAnswer, uint8_t extra, uint8_t tieRule);
    // Appends an answer (function: the result function of its position when not empty).
    bool AddAnswer(const char* text, const char* function);
    bool SetAnswerAt(int32_t position, const char* text, const char* function);
    void ShowSelection();
    void SetResultFunctions(const char* const names[], int count);
    // The selection handling of a frame while a selection is pending.
    void HandleSelection();
    // Consumes the manager's records and answers whether the selection is settled.
    bool SettleSelection();
    // Notes the choice with its code and jumps to the result function.
    void TakeChoice(int32_t code);

    uint32_t PlayerId() const { return m_playerId; }
    uint16_t PlayerType() const { return m_playerType; }

private:
    CEventSelectionWindow* SelectionWindow() const;
    // The view on the stage's focus point at once.
    void FocusStage();
    void ClearObjects();
    void UpdateSounds();

    uint8_t m_kind = EVENT_FIELD_SCRIPT;
    char m_fileName[EVENT_FILE_NAME_SIZE] = {};
    std::string m_path;
    uint8_t m_flag = 0;
    std::vector<std::unique_ptr<CEventFunction>> m_functions;
    int32_t m_running = -1;
    std::unique_ptr<CStageData> m_pStage;
    int32_t m_stageNumber = 0;
    std::unique_ptr<CSpeechData> m_pSpeech;
    uint32_t m_playerId = 0;
    uint16_t m_playerType = 0;
    bool m_jumpPending = false;
    std::string m_jumpName;
    bool m_setUpDone = false, m_stageMapLoaded = false, m_stageCharsPlaced = false;
    EventSelection m_selection;
    bool m_skipEnabled = false, m_skipRequested = false;
    bool m_barsRunning = false, m_barsGrowing = false;
    uint32_t m_barsStart = 0, m_barsDuration = 0;
    float m_barHeight = 0;
    int32_t m_fullBarHeight = 60;
    std::vector<EventCreatedObject> m_created;
    std::vector<EventObject> m_objects;
    std::vector<EventSound> m_sounds;
};
