#include "core/key_file.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "tests/support/temp_dir.h"

namespace {

TEST(EvaluateExpression, TableOfCases) {
    struct Case {
        const char* formula;
        uint32_t status;
        double value;
    } cases[] = {
        {"1+2*3", EXPR_OK, 7},
        {"(1+2)*3", EXPR_OK, 9},
        {"2--3", EXPR_OK, 5},  // the signs collapse into '+'
        {"2---3", EXPR_OK, -1},
        {"-4+1", EXPR_OK, -3},
        {"+4", EXPR_OK, 4},  // a leading '+' is dropped
        {"5/0", EXPR_OK, 5.0 / double(0.000001f)},
        {"7%0", EXPR_OK, std::fmod(7.0, double(0.000001f))},
        {"7%4", EXPR_OK, 3},
        {"1<2", EXPR_OK, 1},
        {"1<2&&3>4", EXPR_OK, 0},
        {"1||0&&0", EXPR_OK, 0},  // '&&' and '||' share one level, left to right
        {"2 -3", EXPR_OK, -1},    // spaces before the '-' are skipped when looking for the digit
        {"2 - 3", EXPR_OK, -1},
        {"2 - - 3", EXPR_OK, 5},
        {"2 + 3", EXPR_OK, 5},
        {"1.5*2", EXPR_OK, 3},
        {"3>=3", EXPR_OK, 1},
        {"3<=2", EXPR_OK, 0},
        {"3==3", EXPR_OK, 1},
        {"3!=3", EXPR_OK, 0},
        {"10-4-3", EXPR_OK, 3},  // left associative
        {"((2))", EXPR_OK, 2},
        {"2*-3", EXPR_OK, -6},
        {"1+", EXPR_SYNTAX, 0},  // ends in an operator
        {"(1+2", EXPR_UNBALANCED, 0},
        {"1+2)", EXPR_UNBALANCED, 0},
        {"1#2", EXPR_BAD_CHAR, 0},
        {"1=2", EXPR_BAD_CHAR, 0},
        {"1&2", EXPR_BAD_CHAR, 0},
        {"(1+2)-3", EXPR_SYNTAX, 0},  // a '-' after ')' begins a number
        {"", EXPR_SYNTAX, 0},
        {"()", EXPR_SYNTAX, 0},
        {"1 2", EXPR_SYNTAX, 0},
        {"1*-", EXPR_SYNTAX, 0},  // a sign without a number
        {"-(1)", EXPR_SYNTAX, 0},
    };
    for (const Case& c : cases) {
        double result = -12345;
        EXPECT_EQ(EvaluateExpression(c.formula, &result), c.status) << c.formula;
        if (c.status == EXPR_OK)
            EXPECT_NEAR(result, c.value, 1e-9 * std::max(1.0, std::fabs(c.value))) << c.formula;
        else
            EXPECT_EQ(result, -12345) << c.formula;
    }
}

TEST(EvaluateExpression, LengthLimit) {
    std::string formula(MAX_EXPRESSION, '1');
    double result = 0;
    EXPECT_EQ(EvaluateExpression(formula.c_str(), &result), EXPR_OK);
    formula.push_back('1');
    result = -1;
    EXPECT_EQ(EvaluateExpression(formula.c_str(), &result), EXPR_SYNTAX);
    EXPECT_EQ(result, -1);
    EXPECT_EQ(EvaluateExpression(nullptr, &result), EXPR_SYNTAX);
}

TEST(KeyFile, ReadsKeysInAndOutOfOrder) {
    qmtest::TempDir dir;
    std::string path = dir.WriteFile("Cardane.INI",
                                     "SCREEN_WIDTH 1024\r\nFULLSCREEN 0\n\tRUN_VELOCITY 0.25  NAME  Kaede\n"
                                     "BAD abc\nFOLDER \x93\xFA\x96\x7B\nLAST");
    CKeyFile ini(path.c_str());
    ASSERT_TRUE(ini.IsOpen());
    EXPECT_EQ(ini.ReadIniLong("SCREEN_WIDTH", 800), 1024);
    EXPECT_EQ(ini.ReadIniInt("FULLSCREEN", 1), 0);
    EXPECT_EQ(ini.ReadIniString("NAME", "x"), "Kaede");                // found after a rewind
    EXPECT_FLOAT_EQ(ini.ReadIniFloat("RUN_VELOCITY", 0.017f), 0.25f);  // before the position
    EXPECT_EQ(ini.ReadIniLong("SCREEN_WIDTH", 800), 1024);
    EXPECT_EQ(ini.ReadIniLong("MISSING", 77), 77);
    EXPECT_EQ(ini.ReadIniLong("BAD", 5), 0);           // converts as atoi does
    EXPECT_EQ(ini.ReadIniLong("LAST", 9), 9);          // a key without a value
    EXPECT_EQ(ini.ReadIniLong("screen_width", 1), 1);  // keys are case-sensitive
    char small[4];
    ini.ReadIniString("NAME", small, sizeof(small), "");
    EXPECT_STREQ(small, "Kae");
    ini.ReadIniString("FOLDER", small, sizeof(small), "");
    EXPECT_STREQ(small, "\x93\xFA") << "a double-byte character is not split";
}

TEST(KeyFile, LongTokensCountAsOneToken) {
    qmtest::TempDir dir;
    std::string longValue(300, 'v');
    std::string path = dir.WriteFile("a.ini", "A " + longValue + " B 2");
    CKeyFile ini(path.c_str());
    EXPECT_EQ(ini.ReadIniString("A", ""), std::string(MAX_KEY_TOKEN, 'v'));
    EXPECT_EQ(ini.ReadIniLong("B", 0), 2);
}

TEST(KeyFile, ClosedFileGivesDefaults) {
    CKeyFile none(nullptr);
    EXPECT_FALSE(none.IsOpen());
    EXPECT_EQ(none.ReadIniInt("FULLSCREEN", 1), 1);
    EXPECT_EQ(none.ReadIniString("PACK_FOLDER", "."), ".");
    CKeyFile missing("/nonexistent/Cardane.INI");
    EXPECT_FALSE(missing.IsOpen());
    EXPECT_FLOAT_EQ(missing.ReadIniFloat("WALK_VELOCITY", 0.006f), 0.006f);
}

TEST(KeyFile, HoldsOneHandle) {
    qmtest::TempDir dir;
    dir.WriteFile("Config/Keys.ini", "KEY=1\n");
    const std::string mixed = dir.Path() + "\\config\\KEYS.INI";

    CKeyFile file(mixed.c_str());
    ASSERT_TRUE(file.IsOpen());
    char line[16] = {};
    ASSERT_NE(std::fgets(line, sizeof line, file.GetFile()), nullptr);
    EXPECT_STREQ(line, "KEY=1\n");
    file.Close();
    EXPECT_FALSE(file.IsOpen());
    file.Close();  // closing again is harmless

    EXPECT_FALSE(file.Open((dir.Path() + "/missing.ini").c_str()));
    EXPECT_FALSE(file.IsOpen());
}

}  // namespace
