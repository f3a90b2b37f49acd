// CCharCreateScene: shows the character create window and goes back to the
// connect scene when the window is done (created or cancelled).
#pragma once
#include <cstdint>

#include "core/base_object.h"
#include "scenes/scene.h"

class CBaseWindow;

class CCharCreateScene : public CScene {
public:
    CCharCreateScene();
    ~CCharCreateScene() override;

    bool Create() override;
    bool Release() override;
    bool Update() override;
    bool Draw() override;
    bool ProcessInput() override;

    CBaseWindow* GetCreateWindow() const;

private:
    CWeakRef m_window;
};
