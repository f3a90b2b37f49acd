#include "platform/keyboard.h"

#include <SDL.h>

#include <array>

namespace plat {
namespace {

// The game's fixed keyboard table: scan code (set 1) -> virtual key, 0 = none.
constexpr std::array<uint8_t, 89> MakeScanTable() {
    std::array<uint8_t, 89> t{};
    t[1] = VK_ESCAPE;
    for (int i = 0; i < 9; ++i) t[2 + i] = uint8_t('1' + i);
    t[11] = '0';
    t[14] = VK_BACK;
    t[15] = VK_TAB;
    const char* row1 = "QWERTYUIOP";
    for (int i = 0; i < 10; ++i) t[16 + i] = uint8_t(row1[i]);
    t[28] = VK_RETURN;
    const char* row2 = "ASDFGHJKL";
    for (int i = 0; i < 9; ++i) t[30 + i] = uint8_t(row2[i]);
    const char* row3 = "ZXCVBNM";
    for (int i = 0; i < 7; ++i) t[44 + i] = uint8_t(row3[i]);
    t[53] = VK_DIVIDE;
    t[57] = VK_SPACE;
    for (int i = 0; i < 10; ++i) t[59 + i] = uint8_t(VK_F1 + i);
    t[71] = VK_HOME;
    t[72] = VK_UP;
    t[73] = VK_PRIOR;
    t[75] = VK_LEFT;
    t[76] = VK_CLEAR;
    t[77] = VK_RIGHT;
    t[79] = VK_END;
    t[80] = VK_DOWN;
    t[81] = VK_NEXT;
    t[82] = VK_INSERT;
    t[83] = VK_DELETE;
    t[87] = VK_F11;
    t[88] = VK_F12;
    return t;
}
constexpr auto kScanTable = MakeScanTable();

// USB HID usage id -> PC scan code, extended flag and virtual key (keypad keys
// with their NumLock-on key).
constexpr std::array<PcKey, 232> MakeHidTable() {
    std::array<PcKey, 232> t{};
    auto set = [&t](int usage, uint8_t scan, bool ext, uint8_t vk) {
        t[size_t(usage)] = PcKey{scan, ext, vk};
    };
    const uint8_t letterScan[26] = {30, 48, 46, 32, 18, 33, 34, 35, 23, 36, 37, 38, 50,
                                    49, 24, 25, 16, 19, 31, 20, 22, 47, 17, 45, 21, 44};
    for (int i = 0; i < 26; ++i) set(4 + i, letterScan[i], false, uint8_t('A' + i));
    for (int i = 0; i < 9; ++i) set(30 + i, uint8_t(2 + i), false, uint8_t('1' + i));
    set(39, 11, false, '0');
    set(40, 28, false, VK_RETURN);
    set(41, 1, false, VK_ESCAPE);
    set(42, 14, false, VK_BACK);
    set(43, 15, false, VK_TAB);
    set(44, 57, false, VK_SPACE);
    set(45, 12, false, VK_OEM_MINUS);
    set(46, 13, false, VK_OEM_PLUS);
    set(47, 26, false, VK_OEM_4);
    set(48, 27, false, VK_OEM_6);
    set(49, 43, false, VK_OEM_5);
    set(50, 43, false, VK_OEM_5);
    set(51, 39, false, VK_OEM_1);
    set(52, 40, false, VK_OEM_7);
    set(53, 41, false, VK_OEM_3);
    set(54, 51, false, VK_OEM_COMMA);
    set(55, 52, false, VK_OEM_PERIOD);
    set(56, 53, false, VK_OEM_2);
    set(57, 58, false, VK_CAPITAL);
    for (int i = 0; i < 10; ++i) set(58 + i, uint8_t(59 + i), false, uint8_t(VK_F1 + i));
    set(68, 87, false, VK_F11);
    set(69, 88, false, VK_F12);
    set(70, 55, true, VK_SNAPSHOT);
    set(71, 70, false, VK_SCROLL);
    set(72, 69, false, VK_PAUSE);
    set(73, 82, true, VK_INSERT);
    set(74, 71, true, VK_HOME);
    set(75, 73, true, VK_PRIOR);
    set(76, 83, true, VK_DELETE);
    set(77, 79, true, VK_END);
    set(78, 81, true, VK_NEXT);
    set(79, 77, true, VK_RIGHT);
    set(80, 75, true, VK_LEFT);
    set(81, 80, true, VK_DOWN);
    set(82, 72, true, VK_UP);
    set(83, 69, true, VK_NUMLOCK);
    set(84, 53, true, VK_DIVIDE);
    set(85, 55, false, VK_MULTIPLY);
    set(86, 74, false, VK_SUBTRACT);
    set(87, 78, false, VK_ADD);
    set(88, 28, true, VK_RETURN);
    const uint8_t padScan[9] = {79, 80, 81, 75, 76, 77, 71, 72, 73};  // keypad 1-9
    for (int i = 0; i < 9; ++i) set(89 + i, padScan[i], false, uint8_t(VK_NUMPAD0 + 1 + i));
    set(98, 82, false, VK_NUMPAD0);
    set(99, 83, false, VK_DECIMAL);
    set(100, 86, false, 226);  // the extra key left of Z
    set(101, 93, true, VK_APPS);
    set(135, 115, false, 226);       // Japanese "ro"
    set(137, 125, false, VK_OEM_5);  // yen
    set(138, 121, false, 28);        // convert
    set(139, 123, false, 29);        // non-convert
    set(224, 29, false, VK_CONTROL);
    set(225, 42, false, VK_SHIFT);
    set(226, 56, false, VK_MENU);
    set(227, 91, true, VK_LWIN);
    set(228, 29, true, VK_CONTROL);
    set(229, 54, false, VK_SHIFT);
    set(230, 56, true, VK_MENU);
    set(231, 92, true, VK_RWIN);
    return t;
}
constexpr auto kHidTable = MakeHidTable();

class SystemKeyState : public IKeyState {
public:
    bool IsKeyDown(uint8_t vk) override {
        SDL_Keymod mod = SDL_GetModState();
        switch (vk) {
            case VK_SHIFT:
                return mod & KMOD_SHIFT;
            case VK_CONTROL:
                return mod & KMOD_CTRL;
            case VK_MENU:
                return mod & KMOD_ALT;
            case VK_LSHIFT:
                return mod & KMOD_LSHIFT;
            case VK_RSHIFT:
                return mod & KMOD_RSHIFT;
            case VK_LCONTROL:
                return mod & KMOD_LCTRL;
            case VK_RCONTROL:
                return mod & KMOD_RCTRL;
            case VK_LMENU:
                return mod & KMOD_LALT;
            case VK_RMENU:
                return mod & KMOD_RALT;
            default:
                return false;
        }
    }
};

SystemKeyState g_systemKeyState;
IKeyState* g_keyState = &g_systemKeyState;

}  // namespace

uint8_t ScanCodeToVirtualKey(uint8_t scanCode, uint8_t fallback) {
    if (scanCode < kScanTable.size() && kScanTable[scanCode] != 0) return kScanTable[scanCode];
    return fallback;
}

PcKey PcKeyFromHidUsage(int hidUsage) {
    if (hidUsage < 0 || size_t(hidUsage) >= kHidTable.size()) return PcKey{};
    return kHidTable[size_t(hidUsage)];
}

IKeyState& KeyState() {
    return *g_keyState;
}
void SetKeyState(IKeyState* state) {
    g_keyState = state ? state : &g_systemKeyState;
}

int16_t GetAsyncKeyState(int virtualKey) {
    if (virtualKey < 0 || virtualKey > 255) return 0;
    return g_keyState->IsKeyDown(uint8_t(virtualKey)) ? int16_t(0x8000) : int16_t(0);
}

}  // namespace plat
