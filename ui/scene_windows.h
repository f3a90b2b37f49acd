// The full-screen windows the scenes drive: the title screen, the character
// select window and the character create window. The scenes make them by
// identifier through the window manager's class table and reach them through
// these interfaces, which the windows implement.
#pragma once
#include <cstdint>
#include <memory>

#include "core/message.h"

inline constexpr char TITLE_SCREEN_WINDOW_NAME[] = "Z5_TITLE_WINDOW";
inline constexpr char CHAR_SELECT_WINDOW_NAME[] = "CharSelectWindow";
inline constexpr char CHAR_CREATE_WINDOW_NAME[] = "CharCreateWindow";

// The title screen's choice.
enum : int32_t {
    TITLE_CHOICE_NONE = -1,
    TITLE_CHOICE_START = 0,
    TITLE_CHOICE_INTRO = 1,
    TITLE_CHOICE_OFFLINE = 2,
    TITLE_CHOICE_EXIT = 3,
};

class ITitleScreenWindow {
public:
    virtual ~ITitleScreenWindow() = default;
    // The player's choice (TITLE_CHOICE_*), -1 none.
    virtual int32_t GetChoice() = 0;
    virtual void SetChoice(int32_t choice) = 0;
    // Opens the way in (the world list, then the terms and the log-in
    // window), the choice reset.
    virtual void OpenLoginFlow() = 0;
    // The way in was left from its first window (the world list cancelled).
    virtual bool IsLoginFlowClosed() = 0;
    // The log-in window's result: 1 logged in, -1 none.
    virtual int32_t GetLoginResult() = 0;
    virtual void SetLoginResult(int32_t result) = 0;
};

// The character select window's result.
enum : int32_t {
    CHAR_SELECT_NONE = -1,
    CHAR_SELECT_ENTER = 0,
    CHAR_SELECT_CREATE = 1,
    CHAR_SELECT_BACK = 2,
};

class ICharSelectWindow {
public:
    virtual ~ICharSelectWindow() = default;
    // A character list has been loaded.
    virtual bool IsListReady() = 0;
    virtual void SetListReady(bool ready) = 0;
    // The player's choice (CHAR_SELECT_*); the connect scene sets it back to
    // -1 when the server refuses the entry.
    virtual int32_t GetAction() = 0;
    virtual void SetAction(int32_t action) = 0;
    virtual void ShowButtons(bool show) = 0;
    // Only the Back button shows (no connection to choose a character on).
    virtual void ShowBackButtonOnly() = 0;
    // The one-line message under the characters.
    virtual void SetMessageText(const char* text) = 0;
    // Hands over the loaded character list (the received list message), or
    // null when none is loaded.
    virtual std::unique_ptr<CMsgPayload> TakeCarriedList() = 0;
};

class ICharCreateWindow {
public:
    virtual ~ICharCreateWindow() = default;
    // -1 none; 0 or 1 when the window is done.
    virtual int32_t GetResult() = 0;
};
