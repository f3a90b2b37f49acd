// The two text fields of the chat window's input row, placed and drawn by
// the chat window ("MSGWIN", chat_window.h):
//
// CChatInputWindow ("CHATWIN"): where the player types a chat line (at most
// 200 bytes). Enter sends it (SubmitLine): chat-mode prefixes ('~', '!',
// '#'), slash commands, the flood and repeat guards, and the routing by chat
// mode through the game session's requests; Up and Down walk the last ten
// lines, Tab goes to the headword, Escape leaves.
//
// CHeadwordWindow ("HEADWORDWIN"): the headword of the chat mode in force (at
// most 16 bytes): a tag put in square brackets before normal and team lines,
// or the name a whisper goes to.
#pragma once
#include <cstddef>
#include <cstdint>
#include <memory>

#include "core/base_object.h"
#include "ui/edit_box.h"
#include "ui/window_links.h"

class CAniObject;
class CChatWindow;

inline constexpr char CHAT_INPUT_NAME[] = "CHATWIN";
inline constexpr char HEADWORD_NAME[] = "HEADWORDWIN";
inline constexpr uint32_t CHAT_INPUT_MAX = 200;
inline constexpr uint32_t HEADWORD_MAX = 16;
inline constexpr int CHAT_HISTORY = 10;
inline constexpr size_t CHAT_HISTORY_TEXT = 256;
// The flood guard: the eighth line within this many milliseconds is refused,
// and so is the fourth equal line in a row within it.
inline constexpr int CHAT_FLOOD_LINES = 8;
inline constexpr uint32_t CHAT_FLOOD_MS = 5000;

// What ParseChatPrefix answers besides a mode.
enum : int32_t {
    CHAT_PREFIX_NONE = -2,   // no prefix: the line goes in the mode in force
    CHAT_PREFIX_ALONE = -1,  // the prefix alone: the mode changed, nothing is sent
};

// Text table 14's rows of the chat's refusals and the headword's hover text.
enum : int {
    CHAT_ROW_BANNED = 144,
    CHAT_ROW_FLOOD = 145,
    CHAT_ROW_REPEAT = 146,
    CHAT_ROW_HEADWORD_HINT = 568,
};

class CChatInputWindow : public CEditBox, public IWindowLink {
public:
    CChatInputWindow();
    ~CChatInputWindow() override;

    bool Create() override;
    bool Release() override;
    // Takes input and updates; the chat window draws the field.
    bool Show() override;
    bool Draw() override;
    bool UpdateRect() override;
    bool OnKeyDown(uint32_t key, CBaseWindow* control) override;
    // No change when already so; on: shown and typed into, off: hidden.
    bool SetActive(bool active, bool keepOrder) override;
    bool SetPosition(int32_t x, int32_t y) override;

    // IWindowLink: the chat window it belongs to.
    void LinkWindow(CBaseWindow* other) override;

    // The mode a line's first character picks ('~' 0, '!' 1, '#' 3 while the
    // club allows club chat); CHAT_PREFIX_ALONE when the line is that
    // character alone (the chat window then switches to the mode);
    // CHAT_PREFIX_NONE for an empty line or any other first character.
    int32_t ParseChatPrefix(const char* line);
    // Sends a typed line (Enter, a macro, a topic's line).
    void SubmitLine(const char* text);

    CChatWindow* GetChatWindow() const;
    // Entry i of the history (0 the newest).
    const char* HistoryEntry(int i) const;
    int32_t HistoryIndex() const { return m_historyIndex; }
    uint32_t SubmitCount() const { return m_submitCount; }
    uint32_t RepeatCount() const { return m_repeatCount; }

protected:
    // The field's background; its image's motion of "Chat_Window".
    void MakeBackground(uint8_t motion);
    // Shows the history entry after stepping the cursor by step (skipping
    // empty ones, at most ten steps).
    void StepHistory(int step);
    // The text colour of the user's own character.
    void SetOwnColour();
    // Clears the field (and the typed text).
    void ClearField();

    CWeakRef m_chatWindow;
    std::unique_ptr<CAniObject> m_background;
    int32_t m_historyIndex = 0;
    char m_history[CHAT_HISTORY][CHAT_HISTORY_TEXT] = {};
    uint32_t m_lastSendTime = 0;
    char m_lastLine[CHAT_HISTORY_TEXT] = {};
    uint32_t m_submitCount = 0;
    uint32_t m_repeatCount = 0;
    uint32_t m_sendTimes[CHAT_FLOOD_LINES] = {};

private:
    // The line goes out in the mode; false when it was refused.
    void SendInMode(int32_t mode, const char* line);
    // A slash line in server mode (after the guards).
    void SubmitSlashLine(const char* line);
    // A refusal: the message (kind 3), request 14 kind 3 when `tellServer`,
    // the field cleared and left.
    void Refuse(int row, bool tellServer);
};

class CHeadwordWindow : public CChatInputWindow {
public:
    CHeadwordWindow();

    bool Create() override;
    bool Update() override;
    bool UpdateRect() override;
    // Tab goes to the chat input, Enter empties and leaves, Escape leaves.
    bool OnKeyDown(uint32_t key, CBaseWindow* control) override;
    bool SetPosition(int32_t x, int32_t y) override;
};

// The chat text file runner: "/SHOWFPS" flips the frame-rate line; "/."
// with a query lists the matching topics of the topic file ("?" at the end:
// only lists) and hands the one topic found to the chat window, whose lines
// are then said one at a time; "/.N" runs topic N.
void RunChatTextFile(const char* line);
