// The autopilot: with QM_INPUT_SCRIPT=<file> the program plays a script of
// input and waits, one line a step:
//
//   wait-scene K [MS]        until the running scene is of kind K
//   wait-window NAME [MS]    until the window with the identifier is shown
//   wait-hidden NAME [MS]    until it is not shown (or is no more)
//   wait-player-moved [MS]   until the own character stands elsewhere than
//                            when the last input was posted
//   wait-frames N [MS]       until N more frames have run
//   wait-script NAME [MS]    until a runner of the named script runs
//   key NAME                 a key pressed and, a frame later, released
//   type TEXT                the rest of the line typed as text (UTF-8)
//   move X Y                 the mouse moved to the point (what it points at
//                            is known to the field a frame later)
//   click X Y                the left button pressed at the point and, a
//                            frame later, released
//   rclick X Y               the same with the right button
//   dclick X Y               a double click at the point: press, release and
//                            the double click, and a frame later the release
//   drag X1 Y1 X2 Y2         the left button pressed at the first point and
//                            the mouse moved 4 pixels right and down, a frame
//                            later moved (held) to the second point, and a
//                            frame after that released there
//   wait-bag-item SLOT [MS]  until the own character's bag holds an item in
//                            the slot
//   wait-ground-items N [MS] until N items lie on the map's ground
//   wait-player-hit [MS]     until the own character has begun a hit
//                            reaction since the last input was posted
//   wait-char ID [MS]        until the character with the id is on the field
//   wait-char-gone ID [MS]   until it is no longer there
//   click-ok NAME            a click (as click X Y) on the middle of the OK
//                            button of the shown message box with the
//                            identifier
//   drag-item SLOT X Y       the bag's item in the slot taken on the cursor
//                            (as a press on it in the inventory takes it),
//                            the mouse moved to the point and, a frame later,
//                            the item let go there (as the button's release
//                            lets it go)
//   dump FILE.bmp            the last shown frame written to the file
//   sleep MS                 nothing for MS milliseconds
//   quit                     the main window closed as the user closes it
//
// Blank lines and lines starting with '#' are skipped. Every wait has a time
// limit (MS, else kDefaultWaitMs); a wait that runs out or a dump that fails
// ends the program with exit status 3 and the reason on standard error. The
// end of the script leaves the program running. Input goes through the
// platform message queue as the window's own events do; each change of the
// running scene is logged with its frame on standard output.
#pragma once
#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

enum class AutopilotOp {
    WaitScene,
    WaitWindow,
    WaitHidden,
    WaitPlayerMoved,
    WaitFrames,
    WaitScript,
    Key,
    Type,
    Move,
    Click,
    RightClick,
    DoubleClick,
    Drag,
    WaitBagItem,
    WaitGroundItems,
    DragItem,
    WaitPlayerHit,
    WaitChar,
    WaitCharGone,
    ClickOk,
    Dump,
    Sleep,
    Quit,
};

struct AutopilotStep {
    AutopilotOp op = AutopilotOp::Quit;
    int line = 0;          // in the script, from 1
    std::string text;      // window identifier, script name, key name, typed text, file
    int32_t a = 0, b = 0;  // scene kind, frame count, key usage, point, sleep
    int32_t c = 0, d = 0;  // a drag's second point
    uint32_t limitMs = 0;  // of a wait
};

inline constexpr uint32_t kDefaultWaitMs = 60000;
// The longest a dump waits for a screen fade to finish.
inline constexpr uint32_t kDumpFadeWaitMs = 5000;
inline constexpr int kAutopilotFailedStatus = 3;

// Reads a script. False with "line N: reason" in *error for the first line
// that is not a step.
bool ReadAutopilotScript(std::string_view text, std::vector<AutopilotStep>* steps, std::string* error);

// The USB HID usage of a key name ("Enter", "Escape", "Tab", "Space",
// "Backspace", "Delete", "Insert", "Home", "End", "PageUp", "PageDown", the
// arrows "Up" "Down" "Left" "Right", "F1" to "F12", letters and digits); 0
// for a name it does not know. Case does not matter.
int AutopilotKeyUsage(std::string_view name);

// What the runner asks of the running program.
class IAutopilotWorld {
public:
    virtual ~IAutopilotWorld() = default;
    // The kind of the running scene; false while there is none.
    virtual bool CurrentScene(uint32_t* kind) = 0;
    virtual bool IsWindowShown(const std::string& name) = 0;
    // Where the own character stands; false while there is none.
    virtual bool PlayerPosition(int32_t* x, int32_t* y) = 0;
    // A runner of the named script is running.
    virtual bool IsScriptRunning(const std::string& name) = 0;
    // Writes the last shown frame; false when there is none or it cannot be written.
    virtual bool DumpFrame(const std::string& path) = 0;
    // The running scene's screen fade has not finished (a dump waits for it).
    virtual bool IsScreenFading() { return false; }
    // Whether the own character's bag holds an item in the slot.
    virtual bool HasBagItem(int32_t slot) = 0;
    // The items lying on the map's ground (-1 without a map).
    virtual int32_t GroundItems() = 0;
    // The bag's item in the slot begins a drag on the cursor; false when
    // there is none.
    virtual bool TakeBagItem(int32_t slot) = 0;
    // The cursor lets go of what it holds, where the mouse is.
    virtual void LetGo() = 0;
    // The hit reactions the own character has begun (0 without one).
    virtual uint32_t PlayerHitReactions() = 0;
    // The character with the id is on the field.
    virtual bool HasChar(uint32_t id) = 0;
    // The screen point in the middle of the OK button of the shown message
    // box with the identifier; false when none is shown.
    virtual bool OkButtonPoint(const std::string& name, int32_t* x, int32_t* y) = 0;
};

// Plays the steps, one call a frame (a pump hook of the message queue).
class CAutopilot {
public:
    CAutopilot(std::vector<AutopilotStep> steps, IAutopilotWorld& world, FILE* log, FILE* errors);

    // Logs a change of scene, posts what a step posted the frame before is
    // still owed (key and button releases), then runs steps until one waits or
    // has posted input. A failure posts the quit with kAutopilotFailedStatus.
    void Tick();

    bool HasFailed() const { return m_failed; }
    bool IsDone() const { return m_next >= m_steps.size() && m_release == Release::None; }
    size_t NextStep() const { return m_next; }

private:
    // True when the step is done and the next may run in the same frame.
    bool Run(const AutopilotStep& step);
    bool Wait(const AutopilotStep& step, bool reached, const char* what);
    // The left button pressed at the point now and released a frame later.
    void ClickAt(int32_t x, int32_t y);
    void Fail(const AutopilotStep& step, const std::string& reason);
    // Notes where the own character stands and its hit reactions (an input is posted).
    void NotePlayer();

    std::vector<AutopilotStep> m_steps;
    IAutopilotWorld& m_world;
    FILE* m_log;
    FILE* m_errors;
    size_t m_next = 0;
    bool m_failed = false;
    // The scene last logged.
    bool m_sceneKnown = false;
    uint32_t m_scene = 0;
    // The step under way: when it started (ms and frame).
    bool m_started = false;
    uint32_t m_startMs = 0;
    uint64_t m_startFrame = 0;
    // A release owed to the next frame: the key's usage, or the button's point.
    enum class Release { None, Key, Button, RightButton, Held, DragMove } m_release = Release::None;
    int32_t m_releaseA = 0, m_releaseB = 0;
    // Where the own character stood when the last input was posted.
    bool m_playerKnown = false;
    int32_t m_playerX = 0, m_playerY = 0;
    // The own character's hit reactions when the last input was posted.
    uint32_t m_hitsAtInput = 0;
};

// Reads QM_INPUT_SCRIPT when it is set and runs it from the program's start
// objects on (installed by InstallGlobalFactories).
void InstallAutopilot();
// The exit status of the program: kAutopilotFailedStatus after a failed
// script, else the run's own.
int AutopilotExitStatus(int runStatus);
// The running autopilot (null without a script).
CAutopilot* GetRunningAutopilot();
