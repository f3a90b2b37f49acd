#include "data/file_resource.h"

#include <gtest/gtest.h>

#include <cstring>

#include "data/pack_archive.h"
#include "platform/message_box.h"
#include "platform/paths.h"
#include "tests/support/data_fixtures.h"

namespace {

using qmtest::Bytes;

std::vector<std::string> Texts(const plat::MessageBoxRecorder& boxes) {
    std::vector<std::string> texts;
    for (const auto& b : boxes.Boxes()) texts.push_back(b.text);
    return texts;
}

std::string Data(const CFileResource& f) {
    return std::string(reinterpret_cast<const char*>(f.GetData()), f.GetDataSize());
}

TEST(FileResource, MemoryReadsAndSeeksStayInsideTheData) {
    std::vector<uint8_t> bytes(30);
    for (int i = 0; i < 30; ++i) bytes[size_t(i)] = uint8_t(i + 1);
    CFileResource f;
    ASSERT_TRUE(f.OpenMemory(bytes.data(), 30));
    EXPECT_EQ(f.GetMode(), kFileMemory);
    EXPECT_EQ(f.GetSize(), 34);

    uint8_t buf[40] = {};
    EXPECT_EQ(f.ReadBytes(buf, 4, 10), 30u);  // reaches past the end: the bytes copied
    EXPECT_EQ(buf[29], 30);
    EXPECT_EQ(f.ReadBytes(buf, 4, 1), 0u);

    ASSERT_TRUE(f.Seek(0, 0));
    EXPECT_EQ(f.ReadBytes(buf, 4, 2), 4u);  // a read inside the data: the element size
    EXPECT_EQ(f.GetPosition(), 8u);

    ASSERT_TRUE(f.Seek(-4, 2));
    EXPECT_EQ(f.GetPosition(), 26u);
    EXPECT_EQ(f.ReadBytes(buf, 2, 2), 4u);  // ends exactly at the end
    EXPECT_EQ(buf[0], 27);
    EXPECT_EQ(f.GetRemaining(), 0u);

    struct SeekCase {
        int32_t offset;
        int origin;
        bool ok;
        uint32_t position;
    } seeks[] = {
        {0, 2, true, 30},   {-1, 0, false, 0},         {31, 0, false, 30},
        {5, 2, false, 30},  {-31, 2, false, 0},        {10, 0, true, 10},
        {-11, 1, false, 0}, {INT32_MAX, 1, false, 30}, {3, 7, false, 30},
    };
    for (const SeekCase& s : seeks) {
        EXPECT_EQ(f.Seek(s.offset, s.origin), s.ok) << s.offset << " from " << s.origin;
        EXPECT_EQ(f.GetPosition(), s.position) << s.offset << " from " << s.origin;
    }
    EXPECT_FALSE(f.Write(buf, 1, 1));

    EXPECT_TRUE(f.CloseFile());
    EXPECT_EQ(f.GetSize(), 4);
    EXPECT_EQ(f.ReadBytes(buf, 1, 1), 0u);
}

TEST(FileResource, StreamShortReadShowsTheBoxAndReturnsTheBytesRead) {
    qmtest::TempDir dir;
    std::string path = dir.WriteFile("ten.bin", "0123456789");
    qmtest::ScopedTextTables tables({{22, {"a", "b", "Read %d of %d elements"}}});
    plat::ScopedMessageBoxRecorder boxes;
    CFileResource f;
    ASSERT_TRUE(f.OpenFile(path.c_str(), kFileStream, "rb", false, nullptr));
    EXPECT_EQ(f.GetMode(), kFileStream);
    EXPECT_EQ(f.GetDataSize(), 10u);
    EXPECT_EQ(f.GetSize(), 4);
    char buf[16] = {};
    EXPECT_EQ(f.ReadBytes(buf, 2, 2), 2u);  // whole: the element size
    EXPECT_TRUE(boxes.Boxes().empty());
    EXPECT_EQ(f.ReadBytes(buf, 4, 3), 6u);  // 6 of 12 bytes
    EXPECT_EQ(std::string(buf, 6), "456789");
    EXPECT_EQ(Texts(boxes), std::vector<std::string>{"Read 3 of 1 elements"});
    EXPECT_EQ(boxes.Boxes()[0].caption, "Z5MessageBox");
}

TEST(FileResource, CompressedLooseFileRoundTrip) {
    qmtest::TempDir dir;
    std::vector<uint8_t> data(5000);
    for (size_t i = 0; i < data.size(); ++i) data[i] = uint8_t(i % 13);
    std::string path = dir.WriteFile("Map/0001.Z5M.ZIP", BuildCompressedFile(data));
    CFileResource f;
    ASSERT_TRUE(
        f.OpenFile((dir.Path() + "\\MAP\\0001.z5m.zip").c_str(), kFileCompressed, "rb", false, nullptr));
    EXPECT_EQ(f.GetMode(), kFileCompressed);
    EXPECT_EQ(f.GetDataSize(), 5000u);
    EXPECT_EQ(f.GetSize(), 5004);
    EXPECT_TRUE(std::equal(data.begin(), data.end(), f.GetData()));
}

TEST(FileResource, CompressedLooseFileFailures) {
    std::vector<uint8_t> data(3000, 'q');
    std::vector<uint8_t> good = BuildCompressedFile(data);
    auto withHeader = [&](uint32_t size) {
        std::vector<uint8_t> b = good;
        for (int i = 0; i < 4; ++i) b[size_t(i)] = uint8_t(size >> (8 * i));
        return b;
    };
    struct Case {
        const char* what;
        std::vector<uint8_t> bytes;
        std::string box;  // after "Cannot ... File [path]"
    } cases[] = {
        {"empty", {}, " / header"},
        {"shorter than its header", {1, 2, 3}, " / header"},
        {"header alone", std::vector<uint8_t>(good.begin(), good.begin() + 4),
         " (corrupted/incomplete data)"},
        {"truncated stream", std::vector<uint8_t>(good.begin(), good.begin() + long(good.size() / 2)),
         " (corrupted/incomplete data)"},
        {"stream without its check value", std::vector<uint8_t>(good.begin(), good.end() - 3),
         " (buffer error - expected: 3000)"},
        {"garbage stream", {0xb8, 0x0b, 0, 0, 1, 2, 3, 4, 5, 6}, " (corrupted/incomplete data)"},
        {"stated size too small", withHeader(100), " (buffer error - expected: 100)"},
        {"stated size beyond any inflation", withHeader(0xffffffff), " (corrupted/incomplete data)"},
    };
    for (const Case& c : cases) {
        qmtest::TempDir dir;
        std::string path = dir.WriteFile("f.zip", c.bytes);
        plat::ScopedMessageBoxRecorder boxes;
        CFileResource f;
        EXPECT_FALSE(f.OpenFile(path.c_str(), kFileCompressed, "rb", false, nullptr)) << c.what;
        EXPECT_FALSE(f.IsOpen()) << c.what;
        bool read = c.box.rfind(" / ", 0) == 0;
        std::string expected =
            std::string(read ? "Cannot Read File [" : "Cannot Uncompress File [") + path + "]" + c.box;
        EXPECT_EQ(Texts(boxes), std::vector<std::string>{expected}) << c.what;
    }
}

TEST(FileResource, PackEntryThatDoesNotInflateToItsSizeFailsTheOpen) {
    PackDirPlan root{"R", {}, {}};
    root.AddFile("good.txt", "good data");
    root.AddFile("garbage.txt", "x").storedOverride = Bytes("not a zlib stream");
    root.AddFile("longer.txt", "twelve bytes").sizeOverride = 13;
    root.AddFile("shorter.txt", "twelve bytes").sizeOverride = 11;
    root.AddFile("huge.txt", "tiny").sizeOverride = 0x7fffffff;
    qmtest::TempDir dir;
    CPackFile pack;
    ASSERT_TRUE(pack.OpenPack(qmtest::WritePack(dir, "p.dat", root).c_str()));
    // The same names on disk must not be read instead.
    for (const char* name : {"garbage.txt", "longer.txt", "shorter.txt"}) dir.WriteFile(name, "loose");
    struct Case {
        const char* path;
        const char* box;
    } cases[] = {
        {"garbage.txt", "Cannot Uncompress File [garbage.txt] (corrupted/incomplete data)"},
        {"longer.txt", "Cannot Uncompress File [longer.txt] (corrupted/incomplete data)"},
        {"shorter.txt", "Cannot Uncompress File [shorter.txt] (buffer error - expected: 11)"},
        {"huge.txt", "Cannot Uncompress File [huge.txt] (corrupted/incomplete data)"},
    };
    for (const Case& c : cases) {
        plat::ScopedMessageBoxRecorder boxes;
        CFileResource f;
        EXPECT_FALSE(f.OpenFile(c.path, kFileStream, "rb", true, &pack)) << c.path;
        EXPECT_FALSE(f.IsOpen());
        EXPECT_EQ(Texts(boxes), std::vector<std::string>{c.box});
    }
    CFileResource f;
    ASSERT_TRUE(f.OpenFile("GOOD.TXT", kFileStream, "rb", true, &pack));
    EXPECT_EQ(Data(f), "good data");
    EXPECT_EQ(f.GetMode(), kFileMemory);
}

TEST(FileResource, MissingFileAsksRetryOrCancel) {
    qmtest::TempDir dir;
    std::vector<std::string> rows(13, "");
    rows[11] = "File not found.";
    rows[12] = "Data Error";
    qmtest::ScopedTextTables texts({{0, rows}});
    plat::ScopedMessageBoxRecorder boxes;
    boxes.QueueAnswer(plat::IDRETRY);
    std::string path = dir.Path() + "/nothing.dat";
    CFileResource f;
    EXPECT_FALSE(f.OpenFile(path.c_str(), kFileStream, "rb", false, nullptr));
    ASSERT_EQ(boxes.Boxes().size(), 2u);  // Retry, then the default answer Cancel
    boxes.Clear();
    EXPECT_FALSE(
        f.OpenFile(dir.Path().c_str(), kFileCompressed, "rb", false, nullptr));  // a folder is no file
    EXPECT_EQ(boxes.Boxes().size(), 1u);
    path = dir.Path();
    for (const auto& b : boxes.Boxes()) {
        EXPECT_EQ(b.text, "File not found. [" + path + "]");
        EXPECT_EQ(b.caption, "Data Error");
        EXPECT_EQ(b.type, plat::MB_RETRYCANCEL);
    }
}

TEST(FileResource, PathLongerThanItsFieldFailsTheOpen) {
    qmtest::TempDir dir;
    std::string name(127 - dir.Path().size() - 1, 'a');
    std::string fits = dir.WriteFile(name, "fits");
    std::string tooLong = dir.WriteFile(name + "b", "does not");
    ASSERT_EQ(fits.size(), 127u);
    CFileResource f;
    EXPECT_TRUE(f.OpenFile(fits.c_str(), kFileStream, "rb", false, nullptr));
    plat::ScopedMessageBoxRecorder boxes;
    EXPECT_FALSE(f.OpenFile(tooLong.c_str(), kFileStream, "rb", false, nullptr));
    EXPECT_FALSE(f.IsOpen());
    ASSERT_EQ(boxes.Boxes().size(), 1u);
    EXPECT_NE(boxes.Boxes()[0].text.find("path too long"), std::string::npos);
}

TEST(FileResource, WritingReplacesTheFileWhenClosed) {
    qmtest::TempDir dir;
    std::string path = dir.WriteFile("QM_Window.INF", "old contents");
    CFileResource f;
    ASSERT_TRUE(f.OpenFile(path.c_str(), kFileStream, "wb", false, nullptr));
    EXPECT_TRUE(f.Write("new", 1, 3));
    std::vector<uint8_t> now;
    ASSERT_TRUE(plat::ReadWholeFile(path, now));
    EXPECT_EQ(now, Bytes("old contents"));  // a crash here would leave the old file
    EXPECT_TRUE(f.CloseFile());
    ASSERT_TRUE(plat::ReadWholeFile(path, now));
    EXPECT_EQ(now, Bytes("new"));
    EXPECT_EQ(dir.List(), std::vector<std::string>{"QM_Window.INF"});
}

TEST(FileResource, DiscardedFileIsRestoredFromWhereItCameFrom) {
    PackDirPlan root{"R", {}, {}};
    root.AddFile("DATABASE/0006.Z5D", "from the pack");
    qmtest::TempDir dir;
    CPackFile pack;
    ASSERT_TRUE(pack.OpenPack(qmtest::WritePack(dir, "p.dat", root).c_str()));
    CPackFile* previous = g_pPackFile;
    g_pPackFile = &pack;
    CFileResource f;
    ASSERT_TRUE(f.OpenFile(".\\DATABASE\\0006.Z5D", kFileStream, "rb", true, &pack));
    EXPECT_TRUE(f.Discard());
    EXPECT_TRUE(f.IsDiscarded());
    EXPECT_FALSE(f.IsOpen());
    EXPECT_EQ(f.GetSize(), 4);
    EXPECT_TRUE(f.Restore());
    EXPECT_FALSE(f.IsDiscarded());
    EXPECT_EQ(Data(f), "from the pack");
    g_pPackFile = previous;

    CFileResource never;
    EXPECT_FALSE(never.Discard());
    EXPECT_TRUE(never.IsDiscarded());
}

TEST(FileResource, CachedFileIsDiscardedOverBudgetAndRestoredAtItsNextUse) {
    PackDirPlan root{"R", {}, {}};
    root.AddFile("a.dat", std::string(100, 'a'));
    root.AddFile("b.dat", std::string(200, 'b'));
    qmtest::TempDir dir;
    CPackFile pack;
    ASSERT_TRUE(pack.OpenPack(qmtest::WritePack(dir, "p.dat", root).c_str()));
    CPackFile* previous = g_pPackFile;
    g_pPackFile = &pack;
    {
        ScopedResourceEntryFactory files(FileResourceFactory());
        CResourceCache cache;
        cache.SetBudget(1000);
        auto* a = static_cast<CFileResource*>(cache.CreateObject(0));
        auto* b = static_cast<CFileResource*>(cache.CreateObject(0));
        ASSERT_TRUE(a->OpenFile("a.dat", kFileStream, "rb", true, &pack));
        ASSERT_TRUE(b->OpenFile("b.dat", kFileStream, "rb", true, &pack));
        cache.AddEntry(a);
        cache.AddEntry(b);
        EXPECT_EQ(cache.GetBytesHeld(), 104u + 204u);
        cache.AcquireEntry(b->GetId());
        EXPECT_FALSE(cache.SetBudget(150));  // only a may go; b in use keeps the cache over budget
        EXPECT_TRUE(a->IsDiscarded());
        EXPECT_EQ(cache.GetBytesHeld(), 204u);
        cache.ReleaseEntry(b->GetId());
        EXPECT_EQ(cache.GetEntry(a->GetId()), a);  // a comes back, b goes for it
        EXPECT_EQ(Data(*a), std::string(100, 'a'));
        EXPECT_TRUE(b->IsDiscarded());
        EXPECT_EQ(cache.GetBytesHeld(), 104u);
    }
    g_pPackFile = previous;
}

TEST(FileResource, CacheEntryOfTheDefaultKindIsAFile) {
    ScopedResourceEntryFactory files(FileResourceFactory());
    CResourceCache cache;
    std::unique_ptr<CMsgObject> entry(cache.CreateObject(0));
    EXPECT_NE(dynamic_cast<CFileResource*>(entry.get()), nullptr);
}

}  // namespace
