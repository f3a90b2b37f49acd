#include "data/pack_archive.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "data/file_resource.h"
#include "data/pack_format.h"
#include "platform/codepage.h"
#include "platform/message_box.h"
#include "tests/support/data_fixtures.h"

namespace {

using qmtest::Bytes;

PackDirPlan SamplePack() {
    PackDirPlan root{"QM", {}, {}};
    root.AddFile("DATABASE/0037.Z5D", "db37");
    root.AddFile("Sub/Deep/Bin.dat", "deep");
    root.AddFile("Sub/file.txt", "sub file");
    root.AddFile("top.txt", "top");
    root.AddFile("caf\xc3\xa9.txt", "utf8 name");
    root.AddFile(
        "\x82\xa0"
        "dir/\x82\xa0.txt",
        "sjis name");
    return root;
}

// What the client reads for path through the pack, or "<none>".
std::string Lookup(CPackFile& pack, const std::string& path) {
    uint32_t size = 7, stored = 7;
    if (!pack.FindPackEntry(path.c_str(), &size, &stored)) {
        EXPECT_EQ(size, 0u);
        EXPECT_EQ(stored, 0u);
        return "<none>";
    }
    CFileResource file;
    if (!file.OpenFile(path.c_str(), kFileStream, "rb", true, &pack)) return "<failed>";
    EXPECT_TRUE(file.IsFromPack());
    EXPECT_EQ(file.GetDataSize(), size);
    return std::string(reinterpret_cast<const char*>(file.GetData()), file.GetDataSize());
}

TEST(PackArchive, LookupFindsEntriesLikeTheGame) {
    qmtest::TempDir dir;
    CPackFile pack;
    ASSERT_TRUE(pack.OpenPack(qmtest::WritePack(dir, "QuillMarrow.DAT", SamplePack(), 0x5a).c_str()));
    EXPECT_EQ(pack.GetNameKey(), 0x5a);
    struct Case {
        const char* path;
        const char* expected;
    } cases[] = {
        {"database/0037.z5d", "db37"},
        {"DATABASE\\0037.Z5D", "db37"},
        {"DataBase/0037.z5D", "db37"},
        {"sub\\DEEP/bin.DAT", "deep"},
        {"QM/top.txt", "top"},  // begins with the root's own name
        {"qm\\Sub\\file.txt", "sub file"},
        {".\\DATABASE\\0037.Z5D", "db37"},     // "." is no folder of the pack: skipped
        {"Sub/Missing/file.txt", "sub file"},  // a missing folder is skipped
        {"Sub/Deep/Missing/bin.dat", "deep"},
        {"\\top.txt", "top"},  // empty component: skipped too
        {"Sub//Deep\\\\Bin.dat", "deep"},
        {"Sub/top.txt", "<none>"},  // files are looked up in the deepest folder matched
        {"top.txt/", "<none>"},
        {"nothing.txt", "<none>"},
        {"", "<none>"},
        {"CAF\xc3\xa9.TXT", "utf8 name"},  // ASCII letters fold, other bytes compare exactly
        {"CAF\xc3\x89.TXT", "<none>"},
        {"\x82\xa0"
         "DIR/\x82\xa0.TXT",
         "sjis name"},
        {"\x82\xa1"
         "dir/\x82\xa0.txt",
         "<none>"},
    };
    for (const Case& c : cases) EXPECT_EQ(Lookup(pack, c.path), c.expected) << c.path;
}

TEST(PackArchive, AtMostAHundredFoldersMatchInOneLookup) {
    qmtest::TempDir dir;
    CPackFile pack;
    ASSERT_TRUE(pack.OpenPack(qmtest::WritePack(dir, "p.dat", SamplePack()).c_str()));
    std::string hundred, more;
    for (int i = 0; i < 100; ++i) hundred += "QM/";
    more = hundred + "QM/";
    // Longer than any path a file may be opened with: ask the pack itself.
    uint32_t size = 0, stored = 0;
    EXPECT_NE(pack.FindPackEntry((hundred + "top.txt").c_str(), &size, &stored), nullptr);
    EXPECT_EQ(size, 3u);
    EXPECT_EQ(pack.FindPackEntry((more + "top.txt").c_str(), &size, &stored), nullptr);
}

// The stream a caller gets from FindPackEntry and the positioned reads that
// files opened from the pack use meet the same bytes, whatever the order;
// a positioned read past the end of the pack fails.
TEST(PackArchive, StreamAndPositionedReadsAgree) {
    qmtest::TempDir dir;
    CPackFile pack;
    ASSERT_TRUE(pack.OpenPack(qmtest::WritePack(dir, "p.dat", SamplePack()).c_str()));
    uint32_t size = 0, stored = 0;
    uint64_t offset = 0;
    ASSERT_TRUE(pack.LocatePackEntry("Sub/file.txt", &size, &stored, &offset));
    FILE* stream = pack.FindPackEntry("Sub/file.txt", &size, &stored);
    ASSERT_NE(stream, nullptr);
    const uint8_t* at = pack.ReadStoredAt(offset, stored);
    ASSERT_NE(at, nullptr);
    std::vector<uint8_t> positioned(at, at + stored);
    CFileResource between;  // a file opened from the pack in between
    ASSERT_TRUE(between.OpenFile("top.txt", kFileStream, "rb", true, &pack));
    EXPECT_EQ(between.GetDataSize(), 3u);
    const uint8_t* read = pack.ReadStored(stored);
    ASSERT_NE(read, nullptr);
    EXPECT_EQ(std::vector<uint8_t>(read, read + stored), positioned);

    uint32_t s = 9, st = 9;
    uint64_t o = 9;
    EXPECT_FALSE(pack.LocatePackEntry("Sub/none.txt", &s, &st, &o));
    EXPECT_EQ(s + st + o, 0u);
    EXPECT_EQ(pack.ReadStoredAt(offset, uint32_t(1) << 30), nullptr);
    EXPECT_EQ(pack.ReadStoredAt(~uint64_t(0) - 2, 8), nullptr);
}

// Entries of every size around the read-ahead window, read in order, backwards
// and interleaved: each comes back whole, whatever the window held before.
TEST(PackArchive, EntriesAroundTheReadAheadWindowComeBackWhole) {
    const uint32_t window = CPackFile::kReadWindow;
    const uint32_t sizes[] = {5,          1000,       window - 100, window + 7, 3,
                              window / 2, window / 2, 2 * window,   0,          17};
    PackDirPlan root{"QM", {}, {}};
    std::vector<std::string> names, contents;
    uint32_t seed = 12345;
    for (uint32_t size : sizes) {
        std::string data(size, '\0');
        for (char& c : data) c = char((seed = seed * 1103515245u + 12345u) >> 24);  // does not compress
        names.push_back("F/" + std::to_string(names.size()) + ".bin");
        contents.push_back(data);
        root.AddFile(names.back(), data);
    }
    qmtest::TempDir dir;
    CPackFile pack;
    ASSERT_TRUE(pack.OpenPack(qmtest::WritePack(dir, "p.dat", root).c_str()));
    const size_t n = names.size();
    std::vector<size_t> order;
    for (size_t i = 0; i < n; ++i) order.push_back(i);
    for (size_t i = n; i-- > 0;) order.push_back(i);
    for (size_t i = 0; i < n; ++i) order.push_back(i % 2 ? n - 1 - i / 2 : i / 2);
    for (size_t i : order) {
        CFileResource file;
        ASSERT_TRUE(file.OpenFile(names[i].c_str(), kFileStream, "rb", true, &pack)) << names[i];
        ASSERT_EQ(file.GetDataSize(), contents[i].size()) << names[i];
        EXPECT_EQ(std::memcmp(contents[i].data(), file.GetData(), contents[i].size()), 0) << names[i];
    }
}

TEST(PackArchive, ListsTheTree) {
    qmtest::TempDir dir;
    CPackFile pack;
    ASSERT_TRUE(pack.OpenPack(qmtest::WritePack(dir, "p.dat", SamplePack(), 7).c_str()));
    std::vector<std::string> seen;
    EXPECT_TRUE(pack.ForEachEntry([&](const CPackFile::EntryInfo& e) {
        seen.push_back(e.path + (e.isDirectory ? "" : " " + std::to_string(e.size)));
    }));
    std::vector<std::string> expected = {"DATABASE/",
                                         "DATABASE/0037.Z5D 4",
                                         "Sub/",
                                         "Sub/Deep/",
                                         "Sub/Deep/Bin.dat 4",
                                         "Sub/file.txt 8",
                                         "\x82\xa0"
                                         "dir/",
                                         "\x82\xa0"
                                         "dir/\x82\xa0.txt 9",
                                         "top.txt 3",
                                         "caf\xc3\xa9.txt 9"};
    EXPECT_EQ(seen, expected);
    EXPECT_EQ(pack.GetRootName(), "QM");
}

TEST(PackArchive, WriterRefusesNamesTheReaderWouldRefuse) {
    PackDirPlan root{"R", {}, {}};
    root.AddFile(std::string(255, 'n'), "fits");
    EXPECT_FALSE(BuildPack(root, 0).empty());
    root.AddFile(std::string(256, 'n'), "does not");
    std::string error;
    EXPECT_TRUE(BuildPack(root, 0, &error).empty());
    EXPECT_NE(error.find("longer than 255"), std::string::npos);
}

TEST(PackArchive, PackWithoutStreamFindsNothing) {
    CPackFile pack;
    uint32_t size = 1, stored = 1;
    EXPECT_EQ(pack.FindPackEntry("top.txt", &size, &stored), nullptr);
    EXPECT_EQ(size, 0u);
    EXPECT_FALSE(pack.ForEachEntry([](const CPackFile::EntryInfo&) {}));
}

// Offset of the first record (key 0) of name: its u32 length.
size_t NameLengthAt(const std::vector<uint8_t>& bytes, const std::string& name) {
    std::vector<uint8_t> record = {uint8_t(name.size()), 0, 0, 0};
    record.insert(record.end(), name.begin(), name.end());
    auto it = std::search(bytes.begin(), bytes.end(), record.begin(), record.end());
    EXPECT_NE(it, bytes.end()) << name;
    return size_t(it - bytes.begin());
}

void PutU32(std::vector<uint8_t>& bytes, size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i) bytes[at + i] = uint8_t(v >> (8 * i));
}

struct Damage {
    const char* what;
    std::function<void(std::vector<uint8_t>&)> apply;
    std::vector<std::pair<const char*, const char*>> lookups;  // path, expected
};

TEST(PackArchive, DamagedIndexFailsTheLookupsThatReachIt) {
    PackDirPlan root{"R", {}, {}};
    root.AddFile("a/one.txt", "one");
    root.AddFile("b/two.txt", "two");
    root.AddFile("first.txt", "first");
    root.AddFile("last.txt", "last");
    std::vector<uint8_t> good = BuildPack(root, 0);
    std::vector<Damage> cases = {
        {"root name longer than 255 bytes",
         [](auto& b) { PutU32(b, pack::kRootOffset, 256); },
         {{"first.txt", "<none>"}, {"a/one.txt", "<none>"}}},
        {"a folder name longer than 255 bytes",
         [](auto& b) { PutU32(b, NameLengthAt(b, "b"), 300); },
         {{"a/one.txt", "one"}, {"b/two.txt", "<none>"}, {"first.txt", "<none>"}}},
        {"file count running past the end",
         [](auto& b) { PutU32(b, pack::kRootOffset + 4 + 1 + 4, 100000); },
         {{"first.txt", "first"}, {"last.txt", "last"}, {"missing.txt", "<none>"}}},
        {"folder count running past the end",
         [](auto& b) { PutU32(b, pack::kRootOffset + 4 + 1, 0xffffffff); },
         {{"a/one.txt", "one"}, {"b/two.txt", "two"}, {"first.txt", "<none>"}}},
        {"folder size running past the end",
         [](auto& b) { PutU32(b, NameLengthAt(b, "a") + 4 + 1, 0x7fffffff); },
         {{"a/one.txt", "<none>"}, {"b/two.txt", "<none>"}, {"first.txt", "<none>"}}},
        {"stored size running past the end",
         [](auto& b) { PutU32(b, NameLengthAt(b, "last.txt") + 4 + 8 + 4, 1000000); },
         {{"first.txt", "first"}, {"last.txt", "<none>"}}},
        {"stored size running past its folder",
         [](auto& b) { PutU32(b, NameLengthAt(b, "one.txt") + 4 + 7 + 4, 40); },
         {{"a/one.txt", "<none>"}, {"b/two.txt", "two"}}},
    };
    for (const Damage& d : cases) {
        std::vector<uint8_t> bytes = good;
        d.apply(bytes);
        qmtest::TempDir dir;
        CPackFile pack;
        ASSERT_TRUE(pack.OpenPack(dir.WriteFile("p.dat", bytes).c_str())) << d.what;
        for (auto& [path, expected] : d.lookups)
            EXPECT_EQ(Lookup(pack, path), expected) << d.what << ": " << path;
        EXPECT_FALSE(pack.ForEachEntry([](const CPackFile::EntryInfo&) {})) << d.what;
    }
}

TEST(PackArchive, BadMagicOrShortFileIsRefusedWithBothBoxes) {
    plat::ScopedCodePage korean(plat::CP_KOREAN);
    std::vector<uint8_t> good = BuildPack(SamplePack(), 0);
    std::vector<uint8_t> badMagic = good;
    badMagic[9] = 'f';
    struct Case {
        const char* what;
        std::vector<uint8_t> bytes;
    } cases[] = {
        {"bad magic", badMagic},
        {"shorter than the magic", std::vector<uint8_t>(good.begin(), good.begin() + 9)},
        {"magic without key", std::vector<uint8_t>(good.begin(), good.begin() + 14)},
        {"empty", {}},
    };
    for (const Case& c : cases) {
        qmtest::TempDir dir;
        plat::ScopedMessageBoxRecorder boxes;
        CPackFile pack;
        EXPECT_FALSE(pack.OpenPack(dir.WriteFile("p.dat", c.bytes).c_str())) << c.what;
        EXPECT_FALSE(pack.IsOpen());
        ASSERT_EQ(boxes.Boxes().size(), 2u) << c.what;
        EXPECT_EQ(plat::ToUtf8(boxes.Boxes()[0].text), "올바른 Pack 파일이 아닙니다.");
        EXPECT_EQ(boxes.Boxes()[1].text, "OpenPack Faild.");
        for (const auto& b : boxes.Boxes()) EXPECT_EQ(b.caption, "Z5MessageBox");
    }
    plat::ScopedMessageBoxRecorder boxes;
    CPackFile pack;
    EXPECT_FALSE(pack.OpenPack("/nonexistent/QuillMarrow.DAT"));
    ASSERT_EQ(boxes.Boxes().size(), 1u);  // nothing to check: only the open failed
    EXPECT_EQ(boxes.Boxes()[0].text, "OpenPack Faild.");
}

TEST(PackArchive, EveryTruncationIsReadSafely) {
    plat::ScopedMessageBoxRecorder boxes;
    PackDirPlan root{"R", {}, {}};
    root.AddFile("a/one.txt", "one");
    root.AddFile("first.txt", "first");
    std::vector<uint8_t> good = BuildPack(root, 0x33);
    qmtest::TempDir dir;
    for (size_t len = 0; len <= good.size(); ++len) {
        std::vector<uint8_t> bytes(good.begin(), good.begin() + long(len));
        CPackFile pack;
        bool open = pack.OpenPack(dir.WriteFile("p.dat", bytes).c_str());
        EXPECT_EQ(open, len >= pack::kRootOffset) << len;
        for (const char* path : {"a/one.txt", "first.txt"}) {
            std::string got = Lookup(pack, path);
            bool whole = len == good.size();
            if (whole) {
                EXPECT_NE(got, "<none>") << path;
            }
            if (got != "<none>") {
                EXPECT_TRUE(got == "one" || got == "first") << len << " " << path << " " << got;
            }
        }
    }
}

}  // namespace
