#include "platform/keyboard.h"

#include <gtest/gtest.h>

namespace {

TEST(ScanCodeToVirtualKey, FixedTable) {
    struct Case {
        uint8_t scan;
        uint8_t vk;
    } cases[] = {
        {1, plat::VK_ESCAPE},
        {2, '1'},
        {10, '9'},
        {11, '0'},
        {14, plat::VK_BACK},
        {15, plat::VK_TAB},
        {16, 'Q'},
        {25, 'P'},
        {28, plat::VK_RETURN},
        {30, 'A'},
        {38, 'L'},
        {44, 'Z'},
        {50, 'M'},
        {53, plat::VK_DIVIDE},
        {57, plat::VK_SPACE},
        {59, plat::VK_F1},
        {68, plat::VK_F10},
        {71, plat::VK_HOME},
        {72, plat::VK_UP},
        {73, plat::VK_PRIOR},
        {75, plat::VK_LEFT},
        {76, plat::VK_CLEAR},
        {77, plat::VK_RIGHT},
        {79, plat::VK_END},
        {80, plat::VK_DOWN},
        {81, plat::VK_NEXT},
        {82, plat::VK_INSERT},
        {83, plat::VK_DELETE},
        {87, plat::VK_F11},
        {88, plat::VK_F12},
    };
    for (const Case& c : cases) EXPECT_EQ(plat::ScanCodeToVirtualKey(c.scan, 0xEE), c.vk) << int(c.scan);
    // Codes outside the table give the fallback: 0, gaps (minus, Ctrl, Shift...) and above 88.
    for (uint8_t scan : std::initializer_list<uint8_t>{0, 12, 13, 29, 42, 74, 78, 84, 89, 200, 255})
        EXPECT_EQ(plat::ScanCodeToVirtualKey(scan, 0xEE), 0xEE) << int(scan);
}

TEST(PcKeyFromHidUsage, MapsKeysToScanCodesAndVirtualKeys) {
    struct Case {
        int usage;
        uint8_t scan;
        bool extended;
        uint8_t vk;
    } cases[] = {
        {4, 30, false, 'A'},
        {29, 44, false, 'Z'},
        {39, 11, false, '0'},
        {45, 12, false, plat::VK_OEM_MINUS},
        {56, 53, false, plat::VK_OEM_2},
        {80, 75, true, plat::VK_LEFT},
        {92, 75, false, plat::VK_NUMPAD0 + 4},
        {84, 53, true, plat::VK_DIVIDE},
        {88, 28, true, plat::VK_RETURN},
        {228, 29, true, plat::VK_CONTROL},
        {225, 42, false, plat::VK_SHIFT},
    };
    for (const Case& c : cases) {
        plat::PcKey key = plat::PcKeyFromHidUsage(c.usage);
        EXPECT_EQ(key.scanCode, c.scan) << c.usage;
        EXPECT_EQ(key.extended, c.extended) << c.usage;
        EXPECT_EQ(key.virtualKey, c.vk) << c.usage;
    }
    EXPECT_EQ(plat::PcKeyFromHidUsage(-1).virtualKey, 0);
    EXPECT_EQ(plat::PcKeyFromHidUsage(5000).virtualKey, 0);
}

TEST(GetAsyncKeyState, FollowsTheInstalledState) {
    plat::FakeKeyState keys;
    plat::ScopedKeyState scoped(keys);
    EXPECT_EQ(plat::GetAsyncKeyState(plat::VK_CONTROL), 0);
    keys.SetKeyDown(plat::VK_CONTROL, true);
    EXPECT_TRUE(plat::GetAsyncKeyState(plat::VK_CONTROL) & 0x8000);
    EXPECT_EQ(plat::GetAsyncKeyState(-3), 0);
    EXPECT_EQ(plat::GetAsyncKeyState(300), 0);
}

}  // namespace
