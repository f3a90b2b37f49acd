#include "core/key_bindings.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/config.h"
#include "tests/support/temp_dir.h"

namespace {

class KeyBindingsTest : public ::testing::Test {
protected:
    void SetUp() override { g_options = COptions{}; }
    void TearDown() override { g_options = COptions{}; }
    qmtest::TempDir m_dir;
};

TEST_F(KeyBindingsTest, OptionsWithoutBindingsGetTheDefaultsInBothTables) {
    ASSERT_TRUE(LoadOptions((m_dir.Path() + "/none.DAT").c_str()));
    struct Case {
        int32_t command;
        KeyBinding binding;
    };
    for (const Case& c : {Case{0, {1, 0, 0, 1, 'B'}}, Case{2, {1, 0, 1, 0, 'W'}}, Case{8, {1, 0, 0, 0, 'Z'}},
                          Case{21, {1, 0, 0, 0, 45}}, Case{22, {1, 0, 0, 0, 9}}, Case{24, {1, 0, 0, 0, 123}},
                          Case{26, {1, 0, 1, 0, 'S'}}}) {
        EXPECT_EQ(ReadKeyBinding(g_options, OPT_KEY_BINDINGS, c.command), c.binding) << c.command;
        EXPECT_EQ(ReadKeyBinding(g_options, OPT_KEY_DEFAULTS, c.command), c.binding) << c.command;
    }
    // Entry 8 is the one the input manager reads for its dropped auto-repeat.
    EXPECT_EQ(g_options.GetU32(OPT_KEY_CODE), uint32_t('Z'));
    EXPECT_EQ(g_options.GetByte(OPT_KEY_SHIFT), 0);
    // Names are the options window's: left empty.
    EXPECT_EQ(g_options.GetByte(OPT_KEY_BINDINGS), 0);
}

TEST_F(KeyBindingsTest, StoredBindingsAreKept) {
    std::vector<uint8_t> bytes = {54, 0, 0, 0};
    bytes.resize(4 + OPTIONS_BLOCK_SIZE);
    COptions stored;
    WriteKeyBinding(stored, OPT_KEY_BINDINGS, 3, {1, 1, 0, 0, 'K'});
    std::copy(stored.m_block, stored.m_block + OPTIONS_BLOCK_SIZE, bytes.begin() + 4);
    ASSERT_TRUE(LoadOptions(m_dir.WriteFile("opts.DAT", bytes).c_str()));
    EXPECT_EQ(ReadKeyBinding(g_options, OPT_KEY_BINDINGS, 3), (KeyBinding{1, 1, 0, 0, 'K'}));
    EXPECT_EQ(ReadKeyBinding(g_options, OPT_KEY_BINDINGS, 0), KeyBinding{});
    EXPECT_EQ(ReadKeyBinding(g_options, OPT_KEY_DEFAULTS, 0), KeyBinding{});
}

TEST_F(KeyBindingsTest, FindKeyBindingTakesTheLowerCommandAndMatchesModifiersExactly) {
    FillDefaultKeyBindings(g_options);
    EXPECT_EQ(FindKeyBinding(g_options, false, false, false, 'Q'), 3);
    EXPECT_EQ(FindKeyBinding(g_options, true, false, false, 'Q'), 18);
    EXPECT_EQ(FindKeyBinding(g_options, false, true, false, 'H'), 1);
    EXPECT_EQ(FindKeyBinding(g_options, false, false, false, 'H'), 6);
    EXPECT_EQ(FindKeyBinding(g_options, false, false, true, 'H'), -1);  // Shift+H is bound to nothing
    EXPECT_EQ(FindKeyBinding(g_options, false, false, false, 'K'), -1);
    // The same combination on two commands: the lower one runs.
    WriteKeyBinding(g_options, OPT_KEY_BINDINGS, 20, {1, 0, 0, 0, 'Q'});
    WriteKeyBinding(g_options, OPT_KEY_BINDINGS, 5, {1, 0, 0, 0, 'R'});
    EXPECT_EQ(FindKeyBinding(g_options, false, false, false, 'Q'), 3);
    EXPECT_EQ(FindKeyBinding(g_options, false, false, false, 'R'), 5);
    EXPECT_EQ(ReadKeyBinding(g_options, OPT_KEY_BINDINGS, 27), KeyBinding{});
    EXPECT_EQ(ReadKeyBinding(g_options, OPT_KEY_BINDINGS, -1), KeyBinding{});
}

}  // namespace
