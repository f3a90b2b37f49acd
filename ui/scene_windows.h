// The windows the scenes drive, reached by identifier through the window
// manager: the scenes and the window classes live in sibling layers, so the
// windows implement these small interfaces and the scenes cast to them.
#pragma once
#include <cstdint>
#include <memory>

#include "core/message.h"

inline constexpr char CHAR_SELECT_WINDOW_NAME[] = "CharSelectWindow";
inline constexpr char CHAR_CREATE_WINDOW_NAME[] = "CharCreateWindow";

// The character select window.
class ICharSelectWindow {
public:
    virtual ~ICharSelectWindow() = default;
    // Set once a character list has been loaded.
    virtual bool IsListReady() = 0;
    virtual void SetListReady(bool ready) = 0;
    // The player's choice: -1 none, 0 enter the game, 1 create, 2 back.
    virtual int32_t GetAction() = 0;
    virtual void ShowButtons(bool show) = 0;
    virtual void SetMessageText(const char* text) = 0;
    // The loaded character list (a CCharListMsg) handed over; null when none.
    virtual std::unique_ptr<CMsgPayload> TakeCarriedList() = 0;
};

// The character create window.
class ICharCreateWindow {
public:
    virtual ~ICharCreateWindow() = default;
    // -1 none; 0 or 1 end the creation.
    virtual int32_t GetResult() = 0;
};
