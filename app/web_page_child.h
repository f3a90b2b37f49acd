// The web page window ("WebWindow") as the frame loop's child window: shown
// while a page is open; it takes no keys of its own (the page opens in the
// player's browser), and Escape closes the page.
#pragma once
#include <cstdint>

#include "core/frame_hooks.h"

class CWebPageChildWindow : public IChildWindowHost {
public:
    bool IsShown() override;
    void ForwardKey(uint32_t message, plat::WParam wParam, plat::LParam lParam) override;
    void Close() override;
};
