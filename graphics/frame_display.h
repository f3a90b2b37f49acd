// The display's part of each frame (clear and set up the render target, then
// present it), and the bring-up of the display, the Direct3D layer and their
// two caches from the configuration. The device set takes these over when it
// exists; until then start-up uses them as they are.
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
// Display and Direct3D layer for the configured screen; installs the frame hook.
bool CreateDisplayDevices();
void DestroyDisplayDevices();
