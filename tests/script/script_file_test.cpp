// The compiled script file: what the writer writes reads back the same, and
// a damaged file (a count larger than the bytes left, too many variables,
// expressions nested too deeply, a file cut short anywhere) is refused
// without reading past its end. Scripts load by name from the script folder
// only.
#include "script/script_file.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "core/byte_source.h"
#include "script/script.h"
#include "tests/support/alloc_meter.h"
#include "tests/support/script_writer.h"

namespace {

using qmtest::ScriptExpr;

std::vector<uint8_t> Write(const ScriptFileData& data) {
    CByteWriter out;
    WriteScriptFile(data, out);
    return out.Take();
}

bool Read(const std::vector<uint8_t>& bytes, std::string* reason = nullptr) {
    CMemorySource source(bytes);
    ScriptFileData data;
    return ReadScriptFile(source, data, reason);
}

void PatchU32(std::vector<uint8_t>& bytes, size_t at, uint32_t value) {
    ASSERT_LE(at + 4, bytes.size());
    StoreU32Le(bytes.data() + at, value);
}

// One block with one statement, var0[1.0] = native1("ab"), one extra value
// and one function with one parameter: every count of the file once.
qmtest::ScriptWriter EveryCount() {
    qmtest::ScriptWriter w(4);
    w.Block({qmtest::SetAt(0, 1.0, ScriptExpr::Native(1, {ScriptExpr::Text("ab")}))});
    w.Data().blocks[0].extra = {7};
    w.Function(0, {2}, true);
    return w;
}

TEST(ScriptFileTest, WhatIsWrittenReadsBackTheSame) {
    qmtest::ScriptWriter w(8);
    w.Flags(true, true);
    w.Data().word = 0x1234;
    const uint32_t loop = w.Block({qmtest::Set(1, ScriptExpr::Var(1) + 1.0), qmtest::Yield()});
    w.Block({qmtest::If(ScriptExpr::Var(0, ScriptExpr::Group(ScriptExpr(1.0) - 1.0)) < 3.0, loop),
             qmtest::While(ScriptExpr::Var(1) < 10.0, loop), qmtest::Return(ScriptExpr::Call(0, {2.0, 3.0})),
             qmtest::WaitNatives(), qmtest::Do(ScriptExpr::Text("text") + ScriptExpr::Tag(99)),
             qmtest::SetAt(2, 1.0, 5.0), qmtest::Op(5), qmtest::Op(6), qmtest::Op(42)});
    w.Data().blocks[1].extra = {1, 2, 3};
    w.Function(1, {3, 4}, true);
    w.Function(0);
    const std::vector<uint8_t> bytes = w.Bytes();

    CMemorySource source(bytes);
    ScriptFileData data;
    std::string reason;
    ASSERT_TRUE(ReadScriptFile(source, data, &reason)) << reason;
    EXPECT_EQ(data.word, 0x1234);
    EXPECT_EQ(data.removeWhenFinished, 1);
    EXPECT_EQ(data.reentrant, 1);
    EXPECT_EQ(data.variableCount, 8u);
    ASSERT_EQ(data.blocks.size(), 2u);
    EXPECT_EQ(data.blocks[1].statements.size(), 9u);
    EXPECT_EQ(data.blocks[1].extra, (std::vector<uint32_t>{1, 2, 3}));
    ASSERT_EQ(data.functions.size(), 2u);
    EXPECT_EQ(data.functions[0].params, (std::vector<uint32_t>{3, 4}));
    EXPECT_EQ(Write(data), bytes);
}

TEST(ScriptFileTest, ACountLargerThanTheBytesLeftRefusesTheFile) {
    const std::vector<uint8_t> good = EveryCount().Bytes();
    ASSERT_TRUE(Read(good));
    ASSERT_EQ(good.size(), 101u);
    // Where each count stands in that file.
    struct Case {
        const char* count;
        size_t offset;
    };
    const Case cases[] = {{"blocks", 8},       {"statements", 12},   {"index items", 25}, {"arguments", 57},
                          {"text length", 69}, {"extra values", 75}, {"functions", 83},   {"parameters", 88}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.count);
        for (uint32_t value : {0xFFFFFFFFu, 0x10000000u, uint32_t(good.size())}) {
            std::vector<uint8_t> bad = good;
            PatchU32(bad, c.offset, value);
            std::string reason;
            EXPECT_FALSE(Read(bad, &reason));
            EXPECT_FALSE(reason.empty());
        }
    }
}

TEST(ScriptFileTest, TooManyVariablesOrTooDeepANestingRefusesTheFile) {
    std::vector<uint8_t> bytes = EveryCount().Bytes();
    PatchU32(bytes, 4, SCRIPT_MAX_VARIABLES);
    EXPECT_TRUE(Read(bytes));
    PatchU32(bytes, 4, SCRIPT_MAX_VARIABLES + 1);
    EXPECT_FALSE(Read(bytes));

    // A statement's expression is level 1; each group, index and argument
    // one level more.
    enum Kind { kGroup, kIndex, kArgument };
    for (Kind kind : {kGroup, kIndex, kArgument}) {
        for (int levels : {SCRIPT_MAX_NESTING, SCRIPT_MAX_NESTING + 1}) {
            SCOPED_TRACE(std::to_string(kind) + " " + std::to_string(levels));
            ScriptExpr e = 1.0;
            for (int i = 1; i < levels; ++i)
                e = kind == kGroup   ? ScriptExpr::Group(e)
                    : kind == kIndex ? ScriptExpr::Var(0, e)
                                     : ScriptExpr::Native(1, {e});
            qmtest::ScriptWriter w;
            w.Entry({qmtest::Do(e)});
            EXPECT_EQ(Read(w.Bytes()), levels <= SCRIPT_MAX_NESTING);
        }
    }
}

// Each count fits the bytes left, yet a record takes many times the bytes
// its smallest form has in the file: counts that each claim the whole rest
// of the file, one inside the other, must not multiply into memory.
TEST(ScriptFileTest, NestedCountsClaimingTheRestOfTheFileTakeNoMoreMemoryThanTheFile) {
    constexpr size_t kFileSize = 256 * 1024;
    std::vector<uint8_t> bytes(kFileSize, 0);
    size_t at = 4;  // word and flags
    auto put = [&](uint32_t v) {
        StoreU32Le(bytes.data() + at, v);
        at += 4;
    };
    // As many records as the bytes after the count could hold at their smallest.
    auto rest = [&](size_t smallest) { return uint32_t((kFileSize - at - 4) / smallest); };
    put(0);        // variables
    put(rest(8));  // blocks: the first holds the rest
    put(rest(4));  // statements of block 0
    put(SCRIPT_OP_EXPR);
    for (int level = 1; level <= SCRIPT_MAX_NESTING + 1; ++level) {
        put(rest(4));  // items: the first is a group holding the rest
        put(SCRIPT_ITEM_GROUP);
    }
    std::string reason;
    size_t peak = 0;
    {
        qmtest::AllocMeter meter;
        EXPECT_FALSE(Read(bytes, &reason));
        peak = meter.Peak();
    }
    EXPECT_EQ(reason, "expressions nested too deeply");
    EXPECT_LE(peak, 4 * kFileSize) << "peak bytes while reading";
}

TEST(ScriptFileTest, AFileCutAnywhereIsRefused) {
    qmtest::ScriptWriter w = EveryCount();
    w.Block({qmtest::If(ScriptExpr::Var(1) < 2.0, 0), qmtest::While(0.0, 0), qmtest::Return(3.0),
             qmtest::Yield()});
    const std::vector<uint8_t> bytes = w.Bytes();
    ASSERT_TRUE(Read(bytes));
    for (size_t n = 0; n < bytes.size(); ++n) {
        // A copy of exactly the prefix, so that a read past it is caught.
        std::vector<uint8_t> cut(bytes.begin(), bytes.begin() + std::ptrdiff_t(n));
        EXPECT_FALSE(Read(cut)) << n << " bytes";
    }
    // Bytes after the last function are left unread.
    std::vector<uint8_t> longer = bytes;
    longer.push_back(0xEE);
    EXPECT_TRUE(Read(longer));
}

TEST(ScriptFileTest, ScriptsLoadByNameFromTheScriptFolderOnly) {
    qmtest::ScopedScriptFolder folder;
    folder.Write("Sparkle", EveryCount());
    folder.Write("a..b", EveryCount());
    struct Case {
        std::string name;
        bool loads;
    };
    const Case cases[] = {
        {"Sparkle", true},
        {"Missing", false},
        {"", false},
        {"../Sparkle", false},
        {"a..b", false},
        {"sub/Sparkle", false},
        {"sub\\Sparkle", false},
        {std::string(SCRIPT_NAME_MAX + 1, 'a'), false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name.substr(0, 20));
        CScript script;
        EXPECT_EQ(script.Load(c.name.c_str()), c.loads);
        if (c.loads) {
            EXPECT_EQ(script.GetName(), c.name);
            EXPECT_EQ(script.FindEntryFunction(), 0);
            EXPECT_EQ(script.VariableCount(), 4u);
        }
    }
    EXPECT_TRUE(IsScriptNameAllowed(std::string(SCRIPT_NAME_MAX, 'a').c_str()));
    EXPECT_FALSE(IsScriptNameAllowed(nullptr));
}

TEST(ScriptFileTest, NativesAreKeptPerScriptUnderIdsBelowAHundred) {
    CScript script;
    int called = 0;
    ScriptNative native = [&](CScriptRunner*, uint32_t, const double*, bool, bool*, double*) {
        ++called;
        return true;
    };
    RegisterNative(&script, 0, native);
    RegisterNative(&script, 99, native);
    RegisterNative(&script, 100, native);
    RegisterNative(nullptr, 1, native);
    EXPECT_NE(GetNative(&script, 0), nullptr);
    EXPECT_NE(GetNative(&script, 99), nullptr);
    EXPECT_EQ(GetNative(&script, 1), nullptr);
    EXPECT_EQ(GetNative(&script, 100), nullptr);
    EXPECT_EQ(GetNative(nullptr, 0), nullptr);
    EXPECT_EQ(called, 0);
}

}  // namespace
