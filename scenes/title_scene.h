// CTitleScene: the title screen window with its four choices and the title
// music. Start runs the way in (in server mode) and leads to the connect
// scene; the other choices lead to the intro movie, the offline scene or out
// of the program, each after the fade-out.
#pragma once
#include <cstdint>

#include "core/base_object.h"
#include "scenes/scene.h"

class CBaseWindow;
class ITitleScreenWindow;

inline constexpr char TITLE_MUSIC[] = "JAPAN_TITLE_BGM";
inline constexpr char INTRO_MOVIE_FILE[] = "Quill.AVI";

class CTitleScene : public CScene {
public:
    // What the scene does once its fade-out has finished.
    enum : int32_t {
        ACTION_NONE = 0,
        ACTION_OFFLINE = 1,
        ACTION_CONNECT = 2,
        ACTION_QUIT = 3,
        ACTION_INTRO = 4,
    };

    CTitleScene();
    ~CTitleScene() override;

    bool Create() override;
    bool Release() override;
    bool Update() override;
    bool Draw() override;
    bool ProcessInput() override;

    int32_t GetPendingAction() const { return m_action; }
    bool IsWaiting() const { return m_waiting; }
    CBaseWindow* GetTitleWindow() const;

private:
    ITitleScreenWindow* TitleScreen() const;
    void ActOnChoice(ITitleScreenWindow* title);
    void StartFadeOut();

    CWeakRef m_window;
    bool m_waiting = false;
    int32_t m_action = ACTION_NONE;
};
