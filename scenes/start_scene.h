// CStartScene: the first scene. It shows the start logos one after another,
// each faded in from black, held for two seconds and faded out, whatever the
// input; then it goes to the intro movie while it has never played, else to
// the title.
#pragma once
#include <cstdint>
#include <memory>

#include "scenes/scene.h"

class CAniObject;

inline constexpr uint32_t START_LOGO_ANIMATION = 761;

class CStartScene : public CScene {
public:
    static constexpr int MAX_LOGOS = 10;
    static constexpr uint32_t HOLD_MS = 2000;

    CStartScene();
    ~CStartScene() override;

    bool Create() override;
    bool Release() override;
    bool Update() override;
    bool Draw() override;

    int32_t GetCurrentLogo() const { return m_current; }

private:
    void StartLogo();

    std::unique_ptr<CAniObject> m_logos[MAX_LOGOS];
    int32_t m_logoCount = 0;
    int32_t m_current = 0;
    uint32_t m_visibleTime = 0;  // 0: not fully visible yet
    uint32_t m_holdTime = HOLD_MS;
};
