// Keyboard codes as the game knows them: PC scan codes (set 1), virtual-key
// codes (0-255) and the state of the modifier keys. Tests install a
// FakeKeyState to choose what GetAsyncKeyState reports.
#pragma once
#include <cstdint>

namespace plat {

// Virtual-key codes used by the game.
enum : uint8_t {
    VK_LBUTTON = 1,
    VK_RBUTTON = 2,
    VK_BACK = 8,
    VK_TAB = 9,
    VK_CLEAR = 12,
    VK_RETURN = 13,
    VK_SHIFT = 16,
    VK_CONTROL = 17,
    VK_MENU = 18,  // Alt
    VK_PAUSE = 19,
    VK_CAPITAL = 20,
    VK_ESCAPE = 27,
    VK_SPACE = 32,
    VK_PRIOR = 33,  // Page Up
    VK_NEXT = 34,   // Page Down
    VK_END = 35,
    VK_HOME = 36,
    VK_LEFT = 37,
    VK_UP = 38,
    VK_RIGHT = 39,
    VK_DOWN = 40,
    VK_SNAPSHOT = 44,
    VK_INSERT = 45,
    VK_DELETE = 46,
    VK_0 = 48,
    VK_9 = 57,
    VK_A = 65,
    VK_Z = 90,
    VK_LWIN = 91,
    VK_RWIN = 92,
    VK_APPS = 93,
    VK_NUMPAD0 = 96,
    VK_NUMPAD9 = 105,
    VK_MULTIPLY = 106,
    VK_ADD = 107,
    VK_SEPARATOR = 108,
    VK_SUBTRACT = 109,
    VK_DECIMAL = 110,
    VK_DIVIDE = 111,
    VK_F1 = 112,
    VK_F4 = 115,
    VK_F10 = 121,
    VK_F11 = 122,
    VK_F12 = 123,
    VK_NUMLOCK = 144,
    VK_SCROLL = 145,
    VK_LSHIFT = 160,
    VK_RSHIFT = 161,
    VK_LCONTROL = 162,
    VK_RCONTROL = 163,
    VK_LMENU = 164,
    VK_RMENU = 165,
    VK_OEM_1 = 186,       // ';:'
    VK_OEM_PLUS = 187,    // '=+'
    VK_OEM_COMMA = 188,   // ',<'
    VK_OEM_MINUS = 189,   // '-_'
    VK_OEM_PERIOD = 190,  // '.>'
    VK_OEM_2 = 191,       // '/?'
    VK_OEM_3 = 192,       // '`~'
    VK_OEM_4 = 219,       // '[{'
    VK_OEM_5 = 220,       // '\|'
    VK_OEM_6 = 221,       // ']}'
    VK_OEM_7 = 222,       // quote
};

// The virtual key of a PC scan code (set 1) by the game's fixed keyboard
// table; codes the table does not hold (0 and above 88 among them) give the
// fallback.
uint8_t ScanCodeToVirtualKey(uint8_t scanCode, uint8_t fallback);

// A key of the physical keyboard named by its USB HID usage id (the numbering
// SDL's scancodes follow): its PC scan code (set 1) with the extended (0xE0)
// prefix flag, and its virtual key. Unknown keys give scan code 0 and
// virtual key 0.
struct PcKey {
    uint8_t scanCode = 0;
    bool extended = false;
    uint8_t virtualKey = 0;
};
PcKey PcKeyFromHidUsage(int hidUsage);

// Whether a key is held now, asked by virtual key. The system answer follows
// the keyboard events the window has received; tests install their own.
class IKeyState {
public:
    virtual ~IKeyState() = default;
    virtual bool IsKeyDown(uint8_t virtualKey) = 0;
};
IKeyState& KeyState();
void SetKeyState(IKeyState* state);  // null restores the system state

// High bit set while the key is down (Shift, Ctrl and Alt, each side or
// either; other keys read as up in the system implementation).
int16_t GetAsyncKeyState(int virtualKey);

class FakeKeyState : public IKeyState {
public:
    bool IsKeyDown(uint8_t virtualKey) override { return m_down[virtualKey]; }
    void SetKeyDown(uint8_t virtualKey, bool down) { m_down[virtualKey] = down; }

private:
    bool m_down[256] = {};
};

class ScopedKeyState {
public:
    explicit ScopedKeyState(IKeyState& state) { SetKeyState(&state); }
    ~ScopedKeyState() { SetKeyState(nullptr); }
    ScopedKeyState(const ScopedKeyState&) = delete;
    ScopedKeyState& operator=(const ScopedKeyState&) = delete;
};

}  // namespace plat
