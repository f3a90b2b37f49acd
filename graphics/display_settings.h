// Display settings that the device set keeps and the display device reads:
// screen size and colour depth, whether the Direct3D layer draws the frame, the
// frame-stretch user option and the refresh rate of the command line.
#pragma once
#include <cstdint>

struct CDisplaySettings {
    int32_t screenWidth = 800;
    int32_t screenHeight = 600;
    int32_t colorDepth = 16;
    bool use3D = true;          // the frame is drawn on the Direct3D render target
    bool frameStretch = false;  // user option: stretch the frame through the margin surface
    int32_t refreshRate = 0;    // REFRESHRATE on the command line; 0 = the default rate
    // False once the main window is gone (the display then leaves the
    // cooperative level alone at release).
    bool windowAlive = true;
};

CDisplaySettings& GetDisplaySettings();
