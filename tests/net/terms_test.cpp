// The terms of use: message 96 and the file that keeps the last text.
#include "net/handlers/terms.h"

#include <zlib.h>

#include <string>
#include <vector>

#include "platform/paths.h"
#include "tests/net/message_harness.h"
#include "tests/support/temp_dir.h"

namespace {

using nettest::Bytes;

Bytes Deflated(const std::string& text) {
    uLongf size = compressBound(uLong(text.size()));
    Bytes out(size);
    compress(out.data(), &size, reinterpret_cast<const Bytef*>(text.data()), uLong(text.size()));
    out.resize(size);
    return out;
}

// [1][u16 length][the compressed bytes]
Bytes TextMessage(const Bytes& compressed) {
    Bytes out{1, uint8_t(compressed.size() >> 8), uint8_t(compressed.size())};
    out.insert(out.end(), compressed.begin(), compressed.end());
    return out;
}

uint32_t Crc(const std::string& text) {
    return uint32_t(crc32(0, reinterpret_cast<const Bytef*>(text.data()), uInt(text.size())));
}

Bytes FileBytes(uint32_t checksum, int32_t length, const std::string& text) {
    Bytes out;
    for (int i = 0; i < 4; ++i) out.push_back(uint8_t(checksum >> (8 * i)));
    for (int i = 0; i < 4; ++i) out.push_back(uint8_t(uint32_t(length) >> (8 * i)));
    out.insert(out.end(), text.begin(), text.end());
    return out;
}

Bytes Cat2(const Bytes& a, const Bytes& b) {
    Bytes out = a;
    out.insert(out.end(), b.begin(), b.end());
    return out;
}

using Terms = nettest::MessageHarness;

TEST_F(Terms, AnnouncedChecksumAsksForTheTextOnlyWhenItDiffers) {
    m_session->m_termsChecksum = 77;
    Dispatch(96, {0, 0, 0, 0, 78});
    EXPECT_EQ(Queued(), std::vector<Bytes>{{75}});
    EXPECT_EQ(m_session->m_termsReady, 0u);
    EXPECT_TRUE(m_windows.Waiting("Z5_TITLE_WINDOW").empty());

    Dispatch(96, {0, 0, 0, 0, 77});
    EXPECT_EQ(Queued().size(), 1u);
    EXPECT_EQ(m_session->m_termsReady, 1u);
    EXPECT_EQ(m_windows.Waiting("Z5_TITLE_WINDOW"), std::vector<uint32_t>{MSG_SHOW_TERMS});
}

TEST_F(Terms, FullTextIsStoredAndReadsBackWithItsChecksum) {
    const std::string text("Terms\0with a zero inside", 24);
    Dispatch(96, TextMessage(Deflated(text)));
    EXPECT_EQ(m_session->m_termsText, text);
    EXPECT_EQ(m_session->m_termsChecksum, Crc(text));
    EXPECT_EQ(m_session->m_termsReady, 1u);
    EXPECT_EQ(m_windows.Waiting("Z5_TITLE_WINDOW"), std::vector<uint32_t>{MSG_SHOW_TERMS});

    m_session->Reset();
    EXPECT_EQ(m_session->m_termsText, text) << "the whole text, past its 0 byte";
    EXPECT_EQ(m_session->m_termsChecksum, Crc(text));
    EXPECT_EQ(m_session->m_termsReady, 0u);
}

TEST_F(Terms, FormsAndStreamsThatChangeNothing) {
    const Bytes good = Deflated("Some terms of use, long enough to cut.");
    Bytes damaged = good;
    damaged[damaged.size() / 2] ^= 0x55;
    damaged[damaged.size() - 1] ^= 0x55;
    const Bytes shortStream(good.begin(), good.end() - 6);
    struct Case {
        const char* name;
        Bytes body;
    } cases[] = {
        {"form 2", {2, 0, 0, 0, 0}},
        {"damaged stream", TextMessage(damaged)},
        {"stream cut short", TextMessage(shortStream)},
        {"not zlib at all", TextMessage({1, 2, 3, 4})},
        {"length past the message", {1, 0, 200, 1, 2}},
    };
    for (const Case& c : cases) {
        Fresh(true);
        const std::string before = Describe();
        Dispatch(96, c.body);
        EXPECT_EQ(Describe(), before) << c.name;
    }
}

TEST_F(Terms, TextBeyond65535BytesIsKeptCut) {
    std::string text(70000, 'x');
    for (size_t i = 0; i < text.size(); i += 7) text[i] = char('a' + i % 26);
    Dispatch(96, TextMessage(Deflated(text)));
    ASSERT_EQ(m_session->m_termsText.size(), MAX_TERMS_TEXT);
    EXPECT_EQ(m_session->m_termsText, text.substr(0, MAX_TERMS_TEXT));
    EXPECT_EQ(m_session->m_termsChecksum, Crc(text.substr(0, MAX_TERMS_TEXT)));
    m_session->Reset();
    EXPECT_EQ(m_session->m_termsText.size(), MAX_TERMS_TEXT) << "the cut text reads back";

    Fresh(true);
    const std::string exact(MAX_TERMS_TEXT, 'e');
    Dispatch(96, TextMessage(Deflated(exact)));
    EXPECT_EQ(m_session->m_termsText, exact);
}

TEST_F(Terms, LauncherLogInIgnoresTheTerms) {
    m_session->m_launcherLogin = 1;
    const std::string before = Describe();
    Dispatch(96, {0, 0, 0, 0, 9});
    Dispatch(96, TextMessage(Deflated("x")));
    EXPECT_EQ(Describe(), before);
}

TEST_F(Terms, FilesThatGiveNoText) {
    struct Case {
        const char* name;
        Bytes file;
        uint32_t checksum;
        std::string text;
    } cases[] = {
        {"whole", FileBytes(5, 3, "abc"), 5, "abc"},
        {"trailing bytes", FileBytes(5, 2, "abc"), 5, "ab"},
        {"length 0", FileBytes(6, 0, ""), 6, ""},
        {"negative length", FileBytes(7, -4, "abcd"), 7, ""},
        {"length past the file", FileBytes(8, 9, "abc"), 0, ""},
        {"length above 65,535", FileBytes(9, 65536, std::string(65536, 'z')), 0, ""},
        {"under 8 bytes", {1, 0, 0, 0, 3, 0, 0}, 0, ""},
        {"empty", {}, 0, ""},
    };
    for (const Case& c : cases) {
        ASSERT_TRUE(plat::WriteFileAtomic(STIPULATION_FILE, c.file.data(), c.file.size()));
        EXPECT_TRUE(m_session->LoadStipulation()) << c.name;
        EXPECT_EQ(m_session->m_termsChecksum, c.checksum) << c.name;
        EXPECT_EQ(m_session->m_termsText, c.text) << c.name;
    }
    plat::RemoveFile(STIPULATION_FILE);
    EXPECT_FALSE(m_session->LoadStipulation());
    EXPECT_EQ(m_session->m_termsChecksum, 0u);
}

TEST_F(Terms, SaveThatCannotWriteKeepsTheOldFile) {
    m_session->m_termsChecksum = 3;
    m_session->m_termsText = "old";
    ASSERT_TRUE(m_session->SaveStipulation());
    const Bytes expected = FileBytes(3, 3, "old");
    std::vector<uint8_t> bytes;
    ASSERT_TRUE(plat::ReadWholeFile(STIPULATION_FILE, bytes));
    EXPECT_EQ(bytes, expected);
    // Where the file should go stands a folder: nothing is written, and it says so.
    plat::RemoveFile(STIPULATION_FILE);
    ASSERT_TRUE(plat::CreateDirectories(STIPULATION_FILE));
    EXPECT_FALSE(m_session->SaveStipulation());
    EXPECT_TRUE(plat::DirectoryExists(STIPULATION_FILE));
    rmdir(STIPULATION_FILE);
}

// Seeds of the terms-file fuzz target: files as the client writes them, and a
// compressed text ('z' first). With QM_REFRESH_GOLDEN=1 this rewrites them.
TEST(TermsSeeds, FuzzSeedsAreFilesTheClientWrites) {
    const std::string corpus = qmtest::SourceDir() + "/fuzz/corpus/terms_file/";
    const Bytes compressed = Deflated("Terms of use.");
    struct Seed {
        const char* name;
        Bytes bytes;
    } seeds[] = {
        {"text", EncodeTermsFile(Crc("Terms of use."), "Terms of use.")},
        {"no_text", EncodeTermsFile(0, "")},
        {"compressed", Cat2({'z'}, compressed)},
    };
    const char* refresh = std::getenv("QM_REFRESH_GOLDEN");
    for (const Seed& seed : seeds) {
        if (refresh && std::string(refresh) == "1") {
            plat::CreateDirectories(corpus);
            ASSERT_TRUE(plat::WriteFileAtomic(corpus + seed.name, seed.bytes.data(), seed.bytes.size()));
        }
        std::vector<uint8_t> stored;
        ASSERT_TRUE(plat::ReadWholeFile(corpus + seed.name, stored)) << seed.name;
        EXPECT_EQ(stored, seed.bytes) << seed.name;
    }
}

}  // namespace
