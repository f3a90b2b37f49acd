// The name memo's names and addresses and its list file.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "platform/edit_control.h"
#include "platform/paths.h"
#include "platform/url.h"
#include "tests/support/temp_dir.h"
#include "tests/support/window_driver.h"
#include "windows/community/chat_log_files.h"
#include "windows/community/name_memo_list.h"
#include "windows/community/name_memo_window.h"

namespace {

std::vector<std::string> Names(const CNameMemoList& list) {
    std::vector<std::string> out;
    for (const NameMemoEntry& entry : list.Names())
        out.push_back(entry.name + "/" + std::to_string(entry.kind));
    return out;
}

TEST(NameMemoListTest, ANameGoesToTheTopOnceForItsKindAndTheFortyFirstDropsTheOldest) {
    CNameMemoList list;
    list.AddName("Mira", 0);
    list.AddName("Keeper", 1);
    list.AddName("Mira", 0);  // moved up, not added
    list.AddName("Mira", 1);  // another kind: a second entry
    EXPECT_EQ(Names(list), (std::vector<std::string>{"Mira/1", "Mira/0", "Keeper/1"}));

    CNameMemoList full;
    for (int i = 0; i < 40; ++i) full.AddName(("n" + std::to_string(i)).c_str(), 0);
    full.AddName("n0", 0);  // moving the oldest up in a full list drops nothing
    EXPECT_EQ(full.Names().size(), 40u);
    EXPECT_EQ(full.Names().front().name, "n0");
    EXPECT_EQ(full.Names().back().name, "n1");
    full.AddName("new", 0);
    EXPECT_EQ(full.Names().size(), 40u);
    EXPECT_EQ(full.Names().back().name, "n2");

    // A name too long for an entry is cut to 63 bytes.
    list.AddName(std::string(70, 'x').c_str(), 6);
    EXPECT_EQ(list.Names().front().name, std::string(63, 'x'));
}

TEST(NameMemoListTest, AddressesAreFoundAtEveryStartAndTheSixthDropsTheOldest) {
    struct Case {
        const char* line;
        std::vector<std::string> urls;
    };
    const Case cases[] = {
        {"see http://www.quill.example/a b", {"http://www.quill.example/a", "www.quill.example/a"}},
        {"ftp://ftp.x.org\r\n", {"ftp://ftp.x.org", "ftp.x.org"}},
        {"https://a.b", {"https://a.b"}},
        {"no address here, www without dot", {}},
    };
    for (const Case& c : cases) EXPECT_EQ(FindUrls(c.line), c.urls) << c.line;
    EXPECT_EQ(FindUrls("www." + std::string(2000, 'a'))[0].size(), 1024u);

    CNameMemoList list;
    for (const char* url : {"www.a", "www.b", "www.a", "www.c", "www.d", "www.e", "www.f"}) list.AddUrl(url);
    // "www.a" moved to the end, so "www.b" is the oldest when the sixth comes.
    EXPECT_EQ(list.Urls(), (std::vector<std::string>{"www.a", "www.c", "www.d", "www.e", "www.f"}));
    EXPECT_FALSE(list.RemoveUrlAt(5));
    EXPECT_TRUE(list.RemoveUrlAt(0));
    EXPECT_FALSE(list.RemoveNameAt(-1));
}

TEST(NameMemoListTest, TheFileKeepsTheNamesNewestFirstAndBadFilesLoadWhatFits) {
    qmtest::TempDir dir;
    const std::string path = dir.Path() + "/NAMEMEMO_LISTDATA.DAT";
    CNameMemoList list;
    list.AddName("Slime", 2);
    list.AddName("Mira", 0);
    ASSERT_TRUE(list.Save(path.c_str()));
    CNameMemoList back;
    back.Load(path.c_str());
    EXPECT_EQ(back.Names(), list.Names());
    const std::vector<uint8_t> bytes = BuildNameMemoList(list.Names());
    EXPECT_EQ(bytes, (std::vector<uint8_t>{3,   0,   0, 0, 2, 0, 0, 0,   4,   0,   0,   0,   'M', 'i',
                                           'r', 'a', 0, 5, 0, 0, 0, 'S', 'l', 'i', 'm', 'e', 2}));

    struct Case {
        const char* what;
        std::vector<uint8_t> bytes;
        bool whole;
        std::vector<std::string> names;
    };
    std::vector<uint8_t> longName = {3, 0, 0, 0, 2, 0, 0, 0, 64, 0, 0, 0};
    longName.insert(longName.end(), 64, 'x');
    longName.insert(longName.end(), {0, 1, 0, 0, 0, 'a', 6});
    std::vector<uint8_t> many = {3, 0, 0, 0, 0xFF, 0xFF, 0xFF, 0xFF};
    for (int i = 0; i < 50; ++i) many.insert(many.end(), {1, 0, 0, 0, uint8_t('a' + i % 26), 0});
    const Case cases[] = {
        {"version 2", {2, 0, 0, 0, 1, 0, 0, 0, 1, 0, 0, 0, 'a', 0}, true, {}},
        {"short header", {3, 0, 0}, false, {}},
        {"count past the bytes", {3, 0, 0, 0, 2, 0, 0, 0, 1, 0, 0, 0, 'a', 0}, false, {"a/0"}},
        {"length past the bytes", {3, 0, 0, 0, 1, 0, 0, 0, 0xFF, 0xFF, 0xFF, 0xFF, 'a'}, false, {}},
        {"a 64-byte name is skipped", longName, true, {"a/6"}},
        {"a NUL ends a name", {3, 0, 0, 0, 1, 0, 0, 0, 3, 0, 0, 0, 'a', 0, 'b', 1}, true, {"a/1"}},
    };
    for (const Case& c : cases) {
        std::vector<NameMemoEntry> names;
        EXPECT_EQ(ParseNameMemoList(c.bytes.data(), c.bytes.size(), &names), c.whole) << c.what;
        std::vector<std::string> got;
        for (const NameMemoEntry& e : names) got.push_back(e.name + "/" + std::to_string(e.kind));
        EXPECT_EQ(got, c.names) << c.what;
    }
    std::vector<NameMemoEntry> names;
    EXPECT_TRUE(ParseNameMemoList(many.data(), many.size(), &names));
    EXPECT_EQ(names.size(), 40u);  // at most 40 are read, whatever the count says

    CNameMemoList missing;
    missing.Load((dir.Path() + "/none").c_str());
    EXPECT_TRUE(missing.Names().empty());
}

// The fuzz seeds of the community files are what the writers write.
TEST(NameMemoListTest, TheFuzzSeedsAreTheWritersFiles) {
    CNameMemoList memo;
    memo.AddName("Slime", 2);
    memo.AddName("Mira", 0);
    std::vector<uint8_t> memoFile = BuildNameMemoList(memo.Names());
    memoFile.insert(memoFile.begin(), 'M');
    std::vector<uint8_t> listFile = BuildChatLogList("Tester", {"Mira", "Keeper"});
    listFile.insert(listFile.begin(), 'L');
    const std::string corpus = qmtest::SourceDir() + "/fuzz/corpus/community_files/";
    const char* refresh = std::getenv("QM_REFRESH_GOLDEN");
    for (const auto& [name, bytes] : {std::pair{"name_memo", memoFile}, {"chat_log_list", listFile}}) {
        if (refresh && std::string(refresh) == "1") {
            plat::CreateDirectories(corpus);
            ASSERT_TRUE(plat::WriteFileAtomic(corpus + name, bytes.data(), bytes.size()));
        }
        EXPECT_EQ(qmtest::ReadTextFile(corpus + name), std::string(bytes.begin(), bytes.end())) << name;
    }
}

// The window on the driver's input queue: rows are clicked, copied,
// opened and deleted as the player does it.
TEST(NameMemoWindowTest, ClicksCopyARowASecondClickOpensTheAddressAndDeleteRemovesIt) {
    qmtest::TempDir dir;
    qmtest::ScopedWorkingFolder folder(dir.Path());
    plat::ScopedUrlRecorder opened;
    qmtest::WindowDriver driver;
    auto* memo = driver.Add(new CNameMemoWin);
    memo->AddName("Keeper", 1);
    memo->AddName("Mira", 0);
    EXPECT_EQ(plat::GetClipboardText(), "Mira");
    memo->ScanUrls("see www.quill.example now");
    memo->Show();
    memo->SetActive(true, false);
    memo->SetPosition(100, 100);
    driver.Frame();
    const auto rowY = [](int row) { return 100 + 36 + 16 * row + 5; };

    driver.Click(0, 150, rowY(1));  // "Keeper"
    driver.Frame(2);
    EXPECT_EQ(memo->GetSelectedRow(), 1);
    EXPECT_EQ(plat::GetClipboardText(), "Keeper");
    driver.Click(0, 150, rowY(2));  // the address: copied, then opened
    driver.Frame(2);
    EXPECT_EQ(plat::GetClipboardText(), "www.quill.example");
    EXPECT_TRUE(opened.m_urls.empty());
    driver.Click(0, 150, rowY(2));
    driver.Frame(2);
    EXPECT_EQ(opened.m_urls, std::vector<std::string>{"http://www.quill.example"});

    driver.Click(0, 150, rowY(0));  // "Mira", then Delete
    driver.Frame(2);
    driver.Key(0x53, 46, true);
    driver.Frame(2);
    ASSERT_EQ(memo->List().Names().size(), 1u);
    EXPECT_EQ(memo->List().Names()[0].name, "Keeper");
    // The file followed: a new window reads the one name left.
    CNameMemoList file;
    file.Load(NAME_MEMO_FILE);
    EXPECT_EQ(file.Names(), memo->List().Names());

    driver.Click(0, 150, rowY(9));  // below the rows: nothing selected
    driver.Frame(2);
    EXPECT_EQ(memo->GetSelectedRow(), -1);
    driver.Key(0x53, 46, true);  // Delete with nothing selected
    driver.Frame(2);
    EXPECT_EQ(memo->List().Names().size(), 1u);
    EXPECT_EQ(memo->List().Urls().size(), 1u);
    driver.Mgr().DeleteAllChildren();
}

}  // namespace
