// The display's part of each frame (clear and set up the render target, then
// present it with the full-screen colour overlay), and the display's two caches.
// The device set (graphics/device_set.h) brings the display up and installs it.
#pragma once
#include <cstdint>

#include "core/frame_hooks.h"

class CFrameDisplay : public IFrameDisplay {
public:
    void ClearPrimary() override;
    bool IsSurfaceLost() override;
    void RestoreSurface() override;
    bool BeginScene() override;
    void EndScene(uint8_t presentOption) override;
    void OnWindowMoved() override;
};

// Surface and texture caches with their budgets.
bool CreateGraphicsCaches();
void DestroyGraphicsCaches();
