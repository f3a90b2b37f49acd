#include "data/meta_cache.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <cstring>
#include <string>
#include <vector>

#include "data/rc4.h"
#include "platform/message_box.h"
#include "platform/paths.h"
#include "tests/support/meta_fixtures.h"
#include "tests/support/temp_dir.h"

namespace {

using Bytes = std::vector<uint8_t>;

Bytes B(const std::string& s) {
    return Bytes(s.begin(), s.end());
}

struct CacheRecord {
    std::string name;
    Bytes data;
    uint32_t nameLengthField = 0;  // 0: the real length
};

// A cache file written the way the description gives it, with the key words given.
Bytes CacheFile(const std::vector<CacheRecord>& records, const uint32_t (&keyWords)[4],
                bool terminate = true) {
    uint8_t key[16];
    for (int w = 0; w < 4; ++w)
        for (int b = 0; b < 4; ++b) key[4 * w + b] = uint8_t(keyWords[w] >> (8 * b));
    CRC4Cipher cipher = RC4SetKey(key, 16, META_CACHE_DROP);
    Bytes out;
    auto u32 = [&out](uint32_t v) {
        for (int n = 0; n < 4; ++n) out.push_back(uint8_t(v >> (8 * n)));
    };
    auto enciphered = [&out, &cipher](const Bytes& bytes) {
        size_t at = out.size();
        out.resize(at + bytes.size());
        cipher.Crypt(out.data() + at, bytes.data(), bytes.size());
    };
    for (const CacheRecord& r : records) {
        u32(r.nameLengthField ? r.nameLengthField : uint32_t(r.name.size()));
        enciphered(B(r.name));
        u32(uint32_t(r.data.size()));
        enciphered(r.data);
    }
    if (terminate) u32(0);
    return out;
}

class MetaCacheTest : public ::testing::Test {
protected:
    std::string Path() const { return m_dir.Path() + "/QM_MCache.DAT"; }
    std::vector<std::string> Names(const CMetaCache& cache) const {
        std::vector<std::string> names;
        for (size_t n = 0; n < cache.GetRecordCount(); ++n) names.push_back(cache.GetRecord(n)->GetName());
        return names;
    }

    qmtest::TempDir m_dir;
    plat::ScopedMessageBoxRecorder m_boxes;
};

TEST_F(MetaCacheTest, WantedTablesInTheirOrder) {
    CMetaCache cache(Path());
    EXPECT_EQ(cache.GetWantedNames(),
              (std::vector<std::string>{"Speech_Substitution.meta", "TeamWarp.meta", "Manufactures_Cook.meta",
                                        "EquipmentAbility.meta"}));
    EXPECT_TRUE(cache.IsWantedTable("teamwarp.META"));
    EXPECT_FALSE(cache.IsWantedTable("Other.meta"));
    EXPECT_EQ(cache.GetRecordCount(), 0u);  // no cache file
    EXPECT_FALSE(cache.IsDirty());
}

TEST_F(MetaCacheTest, StoredTablesAreWrittenAtShutdownAndReadBack) {
    const Bytes speech = B("speech rows"), warp = B("\"A\" \"B\" \"\""), warp2 = B("\"C\"");
    {
        CMetaCache cache(Path());
        qmtest::PutMetaTable(cache, "TeamWarp.meta", warp);
        qmtest::PutMetaTable(cache, "Speech_Substitution.meta", speech);
        qmtest::PutMetaTable(cache, "Unwanted.meta", B("kept in memory only"));
        EXPECT_TRUE(cache.IsDirty());
        // A new copy replaces the data; the record keeps its place.
        qmtest::PutMetaTable(cache, "TEAMWARP.meta", warp2);
        EXPECT_EQ(Names(cache),
                  (std::vector<std::string>{"TEAMWARP.meta", "Speech_Substitution.meta", "Unwanted.meta"}));
        CMetaRecord* record = cache.FindTableByName("teamWarp.Meta");
        ASSERT_NE(record, nullptr);
        EXPECT_EQ(Bytes(record->GetData(), record->GetData() + record->GetSize()), warp2);
        EXPECT_EQ(record->GetCrc(), crc32(0, warp2.data(), uInt(warp2.size())));
    }
    // The file holds the wanted tables in the order of the wanted list, with the key.
    std::vector<uint8_t> file;
    ASSERT_TRUE(plat::ReadWholeFile(Path(), file));
    EXPECT_EQ(file, CacheFile({{"Speech_Substitution.meta", speech}, {"TEAMWARP.meta", warp2}},
                              META_CACHE_KEY_WORDS));
    EXPECT_EQ(m_dir.List(), std::vector<std::string>{"QM_MCache.DAT"});  // no temporary file left

    CMetaCache again(Path());
    EXPECT_EQ(Names(again), (std::vector<std::string>{"Speech_Substitution.meta", "TEAMWARP.meta"}));
    EXPECT_EQ(again.FindTableByName("Speech_Substitution.meta")->GetCrc(),
              crc32(0, speech.data(), uInt(speech.size())));
    EXPECT_FALSE(again.IsDirty());
}

TEST_F(MetaCacheTest, NothingReceivedLeavesTheFileAlone) {
    m_dir.WriteFile("QM_MCache.DAT", std::string("untouched"));
    { CMetaCache cache(Path()); }
    std::vector<uint8_t> file;
    ASSERT_TRUE(plat::ReadWholeFile(Path(), file));
    EXPECT_EQ(file, B("untouched"));
}

TEST_F(MetaCacheTest, ForeignOrDamagedFilesGiveNoTables) {
    const uint32_t otherKey[4] = {1, 2, 3, 4};
    const CacheRecord good{"TeamWarp.meta", B("\"x\"")};
    struct Case {
        const char* what;
        Bytes file;
        std::vector<std::string> names;
    };
    Bytes cutData = CacheFile({good, {"EquipmentAbility.meta", B("0123456789")}}, META_CACHE_KEY_WORDS);
    cutData.resize(cutData.size() - 8);
    Bytes cutName = CacheFile({good, {"EquipmentAbility.meta", B("")}}, META_CACHE_KEY_WORDS, false);
    cutName.resize(cutName.size() - 10);
    const Case cases[] = {
        {"another key", CacheFile({good}, otherKey), {}},
        {"name length 0", CacheFile({{"TeamWarp.meta", B("x"), 0xFFFFFFFF}}, META_CACHE_KEY_WORDS), {}},
        {"name length 256", CacheFile({{"TeamWarp.meta", B("x"), 256}}, META_CACHE_KEY_WORDS), {}},
        {"first name length 0", Bytes{0, 0, 0, 0, 5, 0, 0, 0}, {}},
        {"data cut short", cutData, {"TeamWarp.meta"}},
        {"name cut short", cutName, {"TeamWarp.meta"}},
        {"data length above 0x20000",
         CacheFile({good, {"EquipmentAbility.meta", Bytes(META_MAX_CACHED_SIZE + 1)}}, META_CACHE_KEY_WORDS),
         {"TeamWarp.meta"}},
        {"data length 0x20000",
         CacheFile({good, {"EquipmentAbility.meta", Bytes(META_MAX_CACHED_SIZE)}}, META_CACHE_KEY_WORDS),
         {"TeamWarp.meta", "EquipmentAbility.meta"}},
        {"empty file", Bytes{}, {}},
        {"no terminator", CacheFile({good}, META_CACHE_KEY_WORDS, false), {"TeamWarp.meta"}},
    };
    for (const Case& c : cases) {
        m_dir.WriteFile("QM_MCache.DAT", c.file);
        CMetaCache cache(Path());
        EXPECT_EQ(Names(cache), c.names) << c.what;
    }
    // A foreign record of an unwanted name is passed over and the stream goes on.
    m_dir.WriteFile("QM_MCache.DAT", CacheFile({{"Old.meta", B("abc")}, good}, META_CACHE_KEY_WORDS));
    CMetaCache cache(Path());
    EXPECT_EQ(Names(cache), std::vector<std::string>{"TeamWarp.meta"});
    EXPECT_EQ(cache.FindTableByName("TeamWarp.meta")->GetSize(), 3u);
}

TEST_F(MetaCacheTest, TableThatDoesNotInflateKeepsTheOldCopy) {
    CMetaCache cache(Path());
    qmtest::PutMetaTable(cache, "TeamWarp.meta", B("old"));
    CMetaCache fresh(m_dir.Path() + "/other.DAT");

    Bytes stream = qmtest::Deflate(B("new data"));
    Bytes cut(stream.begin(), stream.end() - 3);
    Bytes garbage = B("not a zlib stream");
    Bytes huge = qmtest::Deflate(Bytes(META_MAX_TABLE_SIZE + 1, 'x'));
    for (const Bytes* bad : {&cut, &garbage, &huge}) {
        EXPECT_FALSE(cache.StoreTable("TeamWarp.meta", uint16_t(bad->size()), bad->data()));
        EXPECT_FALSE(fresh.StoreTable("TeamWarp.meta", uint16_t(bad->size()), bad->data()));
    }
    const CMetaRecord* record = cache.FindTableByName("TeamWarp.meta");
    EXPECT_EQ(Bytes(record->GetData(), record->GetData() + record->GetSize()), B("old"));
    EXPECT_EQ(fresh.GetRecordCount(), 0u);
    EXPECT_FALSE(fresh.IsDirty());
    EXPECT_FALSE(cache.StoreTable("", uint16_t(stream.size()), stream.data()));

    // The largest table the server may send still fits.
    Bytes largest(META_MAX_TABLE_SIZE, 'y');
    qmtest::PutMetaTable(fresh, "Speech_Substitution.meta", largest);
    EXPECT_EQ(fresh.FindTableByName("Speech_Substitution.meta")->GetSize(), META_MAX_TABLE_SIZE);
}

CMetaRecord* Table(CMetaCache& cache, const Bytes& data) {
    qmtest::PutMetaTable(cache, "TeamWarp.meta", data);
    return cache.FindTableByName("TeamWarp.meta");
}

TEST_F(MetaCacheTest, TokensUpToTheEmptyOne) {
    CMetaCache cache(Path());
    CMetaRecord* record = Table(cache, B("\"A\",\r\n  \"Bb\" \"\" \"C\"\n"));
    char text[64];
    uint16_t length = 99;
    std::vector<std::string> tokens;
    while (record->ReadToken(text, &length) && length > 0) tokens.emplace_back(text, length);
    EXPECT_EQ(tokens, (std::vector<std::string>{"A", "Bb"}));
    EXPECT_EQ(length, 0);  // the empty token ended the list
    EXPECT_TRUE(record->ReadToken(text, &length));
    EXPECT_STREQ(text, "C");
    EXPECT_FALSE(record->ReadToken(text, &length));  // only a line end is left
    EXPECT_FALSE(record->ReadToken(text, &length));
    EXPECT_EQ(length, 0);
    EXPECT_STREQ(text, "");
    EXPECT_TRUE(m_boxes.Boxes().empty());

    // A later store does not move the read position back.
    uint32_t position = record->GetReadPosition();
    Table(cache, B(std::string(position, ' ') + "\"D\""));
    EXPECT_EQ(record->GetReadPosition(), position);
    EXPECT_TRUE(record->ReadToken(text, &length));
    EXPECT_STREQ(text, "D");
}

TEST_F(MetaCacheTest, UnterminatedTokenRunsToTheEndAndIsReported) {
    CMetaCache cache(Path());
    char text[64];
    uint16_t length = 0;
    struct Case {
        const char* data;
        const char* token;
    };
    const Case cases[] = {
        {"\"abcdef\n", "abcdef"},  // up to the byte before the last one
        {"x \"", ""},              // the opening quote is the last byte: nothing, never a negative length
        {"\"", ""},
    };
    for (const Case& c : cases) {
        CMetaRecord* record = Table(cache, B(c.data));
        record->SetReadPosition(0);
        m_boxes.Clear();
        EXPECT_TRUE(record->ReadToken(text, &length)) << c.data;
        EXPECT_STREQ(text, c.token);
        EXPECT_EQ(length, std::strlen(c.token));
        ASSERT_EQ(m_boxes.Boxes().size(), 1u);
        EXPECT_EQ(m_boxes.Boxes()[0].text, "Meta File [TeamWarp.meta] Syntax Error");
        EXPECT_FALSE(record->ReadToken(text, &length));
    }
}

TEST_F(MetaCacheTest, TokenIsCutToTheBuffer) {
    CMetaCache cache(Path());
    CMetaRecord* record = Table(cache, B("\"0123456789\" \"ok\""));
    char small[5];
    uint16_t length = 0;
    EXPECT_TRUE(record->ReadToken(small, &length));
    EXPECT_STREQ(small, "0123");
    EXPECT_EQ(length, 4);
    EXPECT_TRUE(record->ReadToken(small, &length));  // the whole long token was consumed
    EXPECT_STREQ(small, "ok");
}

TEST_F(MetaCacheTest, BinaryRowsDropEachRowsLastCell) {
    CMetaCache cache(Path());
    std::vector<MetaRow> rows;
    // A row with N = 3 cells: the first cell and cells 1 and 2.
    CMetaRecord* record = Table(cache, qmtest::MetaRowsData({{"first", "one", "two"}, {"only"}}));
    EXPECT_TRUE(ParseMetaRows(*record, rows));
    EXPECT_EQ(rows, (std::vector<MetaRow>{{"first", "one", "two"}, {"only"}}));

    // Rows are appended to what the vector holds.
    EXPECT_TRUE(ParseMetaRows(*Table(cache, {0, 0}), rows));
    EXPECT_EQ(rows.size(), 2u);
    EXPECT_TRUE(ParseMetaRows(*Table(cache, qmtest::MetaRowsData({{"x"}})), rows));
    EXPECT_EQ(rows.size(), 3u);
}

TEST_F(MetaCacheTest, BinaryRowsCutShortKeepWhatWasRead) {
    CMetaCache cache(Path());
    const Bytes whole = qmtest::MetaRowsData({{"ab", "cd"}, {"ef", "gh", "ij"}});
    // Every cut of the data fails, and keeps the rows and cells read before the cut.
    for (size_t cut = 0; cut < whole.size(); ++cut) {
        std::vector<MetaRow> rows;
        EXPECT_FALSE(ParseMetaRows(*Table(cache, Bytes(whole.begin(), whole.begin() + cut)), rows)) << cut;
        if (cut >= 2 + 1 + 2) {
            EXPECT_EQ(rows.at(0).at(0), "ab") << cut;
        }
    }
    std::vector<MetaRow> rows;
    Bytes cutInSecondRow(whole.begin(), whole.end() - 5);
    EXPECT_FALSE(ParseMetaRows(*Table(cache, cutInSecondRow), rows));
    EXPECT_EQ(rows, (std::vector<MetaRow>{{"ab", "cd"}, {"ef", "gh", "ij"}}));
    // A row count larger than the rows there are.
    rows.clear();
    Bytes moreRows = whole;
    moreRows[1] = 3;
    EXPECT_FALSE(ParseMetaRows(*Table(cache, moreRows), rows));
    EXPECT_EQ(rows.size(), 3u);
    EXPECT_TRUE(rows.back().empty());
}

}  // namespace
