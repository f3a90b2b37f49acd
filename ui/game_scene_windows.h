// The play windows the game scene drives, reached through these interfaces
// (the windows implement them) after the scene found them by identifier.
#pragma once
#include <cstdint>

// The system window ("SYSTEM_WINDOW"): the player's choice, taken by the
// scene once the window has hidden itself: 0 the game-over request, 1 back to
// the character selection, 2 back to the title, 3 quit; -1 none.
class ISystemWindowChoice {
public:
    virtual ~ISystemWindowChoice() = default;
    virtual int32_t GetChoice() = 0;
    virtual void SetChoice(int32_t choice) = 0;
    virtual void SetGameOverMode(bool on) = 0;
    virtual bool IsGameOverMode() = 0;
};
