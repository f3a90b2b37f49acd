// CIntroMovieScene: plays the intro movie full screen once, then the title.
// Entering it marks the intro as seen; Escape, the movie's end or a movie
// that cannot be opened goes to the title, without a fade.
#pragma once
#include <cstdint>
#include <memory>

#include "scenes/scene.h"

class CIntroMovieScene : public CScene {
public:
    CIntroMovieScene();
    ~CIntroMovieScene() override;

    bool Create() override;
    bool Release() override;
    bool Update() override;
    bool Draw() override;
    bool ProcessInput() override;

    bool IsPlaying() const { return m_pMovie != nullptr; }

private:
    bool m_started = false;
    std::unique_ptr<ISceneMovie> m_pMovie;
    uint8_t m_savedByte = 0;
    bool m_forced = false;
};

// Takes every Escape key out of the input queue; true when there was one.
bool TakeEscapeKeys();
