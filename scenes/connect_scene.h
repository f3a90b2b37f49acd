// CConnectScene: between the title and the game. It connects to the game
// server with the account of the log-in, shows the character select window
// with a status line under it, and once the player has chosen it waits for
// the world (enter), or fades out to the character creation scene (create)
// or back to the title (back).
#pragma once
#include <cstdint>
#include <memory>

#include "core/base_object.h"
#include "scenes/scene.h"

class CBaseWindow;
class CToolTipWindow;
class ICharSelectWindow;

inline constexpr char CONNECT_MUSIC[] = "CONNECT_BGM";
// How long the scene waits for the world after an entry request.
inline constexpr uint32_t WORLD_WAIT_MS = 60000;

class CConnectScene : public CScene {
public:
    enum : int32_t {
        STATE_WAITING = 0,  // until the select window has a list
        STATE_SELECTING = 1,
        STATE_ENTERING = 2,  // waiting for the world
    };

    CConnectScene();
    ~CConnectScene() override;

    bool Create() override;
    bool Release() override;
    bool Update() override;
    bool Draw() override;
    bool ProcessInput() override;

    int32_t GetState() const { return m_state; }
    bool HasConnectFailed() const { return m_connectFailed; }
    CBaseWindow* GetSelectWindow() const;
    CToolTipWindow* GetStatusWindow() const { return m_pStatus.get(); }

private:
    ICharSelectWindow* SelectWindow() const;
    void MakeSelectWindow();
    void StartSession();
    // Back to choosing: the buttons and an empty status line.
    void BackToSelecting();
    void EmptyStatus();
    bool IsWorldReady() const;
    void LeaveForChoice();

    int32_t m_state = STATE_WAITING;
    std::unique_ptr<CToolTipWindow> m_pStatus;
    CWeakRef m_select;
    bool m_started = false;
    bool m_connectFailed = false;
    uint32_t m_enterTime = 0;
};
