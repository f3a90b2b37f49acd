// The web page window: its four openings and what stops them, the server's
// board parameters, the page handed to the player's browser on a click
// (through the input queue) and never otherwise, and the control lock.
#include "windows/features/web_window.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "platform/url.h"
#include "tests/windows/features/feature_fixture.h"
#include "windows/features/web_browser_host.h"

namespace {

using featuretest::Bytes;

std::map<int, std::vector<std::string>> WebTexts() {
    std::vector<std::string> rows(WEB_CLICK_LINE_ROW + 1);
    rows[WEB_NOTICE_ADDRESS_ROW] = "http://127.0.0.1/notice";
    rows[WEB_CLICK_LINE_ROW] = "Click to open";
    return {{14, rows}};
}

class WebWindowTest : public featuretest::FeatureFixture {
protected:
    WebWindowTest() : FeatureFixture(WebTexts()) {}
    void SetUp() override {
        FeatureFixture::SetUp();
        m_web = m_driver.Add(new CWebWindow);
    }
    void SetAddress(const std::string& address) {
        m_web->SetPageAddress(uint8_t(address.size()), address.c_str());
    }
    // A click in the middle of the page area, through the input queue.
    void ClickPage() {
        ASSERT_NE(m_web->GetHost(), nullptr);
        const WindowRect r = m_web->GetHost()->GetRect();
        m_driver.Click(0, (r.left + r.right) / 2, (r.top + r.bottom) / 2);
        m_driver.Frame();
    }

    plat::ScopedUrlRecorder m_urls;
    CWebWindow* m_web = nullptr;
};

TEST_F(WebWindowTest, TellsTheServerOnceWhenMade) {
    EXPECT_EQ(Sent(), (std::vector<Bytes>{{114, 3}}));
    EXPECT_FALSE(m_web->IsDrawOn());
}

TEST_F(WebWindowTest, OpeningsShowTheirPageInTheirPlace) {
    struct Case {
        const char* name;
        uint32_t mode;
        int32_t x, y;
        const char* address;
    } cases[] = {{"page", WEB_MODE_PAGE, 80, 3, "http://127.0.0.1/page"},
                 {"notice", WEB_MODE_NOTICE, 80, 3, "http://127.0.0.1/notice"},
                 {"url", WEB_MODE_URL, 80, 3, "https://127.0.0.1/named"},
                 {"board", WEB_MODE_BOARD, -10, -30, "http://127.0.0.1/board"}};
    SetAddress("http://127.0.0.1/page");
    for (const Case& c : cases) {
        bool opened = false;
        if (c.mode == WEB_MODE_PAGE) opened = m_web->OpenPage();
        if (c.mode == WEB_MODE_NOTICE) opened = m_web->OpenNotice();
        if (c.mode == WEB_MODE_URL) opened = m_web->OpenUrl(c.address);
        if (c.mode == WEB_MODE_BOARD) opened = m_web->OpenBoardPage(c.address);
        ASSERT_TRUE(opened) << c.name;
        EXPECT_EQ(m_web->GetMode(), c.mode) << c.name;
        EXPECT_EQ(m_web->GetX(), c.x) << c.name;
        EXPECT_EQ(m_web->GetY(), c.y) << c.name;
        EXPECT_TRUE(m_web->IsPageOpen()) << c.name;
        EXPECT_EQ(m_web->GetHost()->GetAddress(), c.address) << c.name;
        EXPECT_TRUE(m_events.locked) << c.name;
        m_web->ClosePage();
        EXPECT_FALSE(m_web->IsPageOpen()) << c.name;
        EXPECT_FALSE(m_events.locked) << c.name;
    }
    // Nothing of this reached the browser: only the player's click does.
    EXPECT_TRUE(m_urls.m_urls.empty());
}

TEST_F(WebWindowTest, NothingOpensWithoutAnAddressOverAPageOrDuringAnEvent) {
    EXPECT_FALSE(m_web->OpenPage());
    EXPECT_FALSE(m_web->IsDrawOn());
    EXPECT_EQ(m_events.lockCalls, 0);

    m_events.visual = true;
    EXPECT_FALSE(m_web->OpenUrl("http://127.0.0.1/a"));
    m_events.visual = false;
    m_events.fieldScript = true;
    EXPECT_FALSE(m_web->OpenNotice());
    m_events.fieldScript = false;
    EXPECT_FALSE(m_web->IsDrawOn());

    ASSERT_TRUE(m_web->OpenUrl("http://127.0.0.1/a"));
    EXPECT_FALSE(m_web->OpenUrl("http://127.0.0.1/b"));
    EXPECT_EQ(m_web->GetHost()->GetAddress(), "http://127.0.0.1/a");
}

TEST_F(WebWindowTest, AClickOnThePageOpensItOnceAndOnlyAWebAddress) {
    struct Case {
        const char* address;
        size_t opened;
    } cases[] = {{"http://127.0.0.1:8080/page", 1}, {"HTTPS://127.0.0.1/page", 1}, {"javascript:alert(1)", 0},
                 {"file:///etc/passwd", 0},         {"http://127.0.0.1/a\nb", 0},  {"-http://x", 0}};
    for (const Case& c : cases) {
        m_urls.m_urls.clear();
        ASSERT_TRUE(m_web->OpenUrl(c.address)) << c.address;
        // The window stands with its frame whatever the address.
        EXPECT_TRUE(m_web->IsDrawOn()) << c.address;
        ClickPage();
        EXPECT_EQ(m_urls.m_urls.size(), c.opened) << c.address;
        if (c.opened) EXPECT_EQ(m_urls.m_urls[0], c.address);
        m_web->ClosePage();
    }
    // A click on the frame outside the page area opens nothing.
    m_urls.m_urls.clear();
    ASSERT_TRUE(m_web->OpenUrl("http://127.0.0.1/x"));
    m_driver.Click(0, m_web->GetX() + 5, m_web->GetY() + 20);
    m_driver.Frame();
    EXPECT_TRUE(m_urls.m_urls.empty());
}

TEST_F(WebWindowTest, CloseButtonAndEscapeHideTheWindowAndUnlock) {
    for (bool escape : {false, true}) {
        ASSERT_TRUE(m_web->OpenUrl("http://127.0.0.1/x"));
        m_driver.Frame();
        ASSERT_TRUE(m_events.locked);
        if (escape) {
            m_driver.Key(1, plat::VK_ESCAPE);
            m_driver.Frame(2);
        } else {
            ClickControl(featuretest::FindChild(m_web, WEB_WINDOW_CLOSE_BUTTON));
        }
        EXPECT_FALSE(m_web->IsDrawOn()) << escape;
        EXPECT_EQ(m_web->GetHost(), nullptr) << escape;
        EXPECT_FALSE(m_events.locked) << escape;
        // The game's cursor is given back for four frames, then the window rests.
        m_driver.Frame(5);
        EXPECT_EQ(m_web->GetRefocusCount(), WEB_REFOCUS_FRAMES) << escape;
        EXPECT_FALSE(m_web->IsUpdateOn()) << escape;
    }
    EXPECT_TRUE(m_urls.m_urls.empty());
}

TEST_F(WebWindowTest, BoardParameters) {
    struct Case {
        std::string text;
        bool ok;
        const char* domain;
        std::string board;
    } cases[] = {
        {"name=12 3&a b", true, "1203", "a%20b"},
        {"n=7&<#%{}|\\^~[]`$&+,/:;=?@>\"", true, "7",
         "%3C%23%25%7B%7D%7C%5C%5E%7E%5B%5D%60%24%26%2B%2C%2F%3A%3B%3D%3F%40%3E%22"},
        {"n=7&" + std::string(400, ' '), false, "", ""},
        {"n=7&" + std::string(341, ' '), true, "7", ""},  // 1,023 bytes: kept
        {"n=7&", false, "", ""},
        {"n=7", false, "", ""},
        {"n&7=x", false, "", ""},
        {"x=&b", true, "0", "b"},
    };
    cases[3].board = "";
    for (int i = 0; i < 341; ++i) cases[3].board += "%20";
    for (const Case& c : cases) {
        const WebBoardValues v = ParseBoardValues(c.text.c_str(), c.text.size());
        EXPECT_EQ(v.ok, c.ok) << c.text;
        if (!c.ok) continue;
        EXPECT_EQ(v.domain, c.domain) << c.text;
        EXPECT_EQ(v.board, c.board) << c.text;
    }
}

TEST_F(WebWindowTest, BoardTextIsReadWithinItsLengthAndNeverPastItsEnd) {
    // No terminator inside the record: the length bounds the scan.
    const char unterminated[8] = {'n', '=', '1', '&', 'a', 'b', 'c', 'd'};
    EXPECT_EQ(ParseBoardValues(unterminated, 6).board, "ab");
    EXPECT_EQ(ParseBoardValues(unterminated, sizeof unterminated).board, "abcd");
    // A terminator before the length ends the text.
    const char early[] = "n=1&ab\0&cd";
    EXPECT_EQ(ParseBoardValues(early, sizeof early).board, "ab");
    EXPECT_FALSE(ParseBoardValues("n=1&ab", 3).ok);
    EXPECT_FALSE(ParseBoardValues(nullptr, 9).ok);
}

TEST_F(WebWindowTest, ServerBoardKeepsAddressAndValuesAndKindFiveOpensTheJoinedAddress) {
    const std::string address = "http://127.0.0.1/board", params = "id=12&a b";
    m_web->OpenBoard(1, uint8_t(address.size()), address.c_str(), uint8_t(params.size()), params.c_str());
    ASSERT_NE(m_web->GetPageAddress(), nullptr);
    EXPECT_EQ(*m_web->GetPageAddress(), address);
    EXPECT_EQ(m_web->GetDomainValue(), "12");
    EXPECT_EQ(m_web->GetBoardValue(), "a%20b");
    EXPECT_FALSE(m_web->IsDrawOn());
    // Malformed parameters clear the values and keep the address.
    m_web->OpenBoard(1, uint8_t(address.size()), address.c_str(), 3, "bad");
    EXPECT_EQ(m_web->GetDomainValue(), "");
    EXPECT_EQ(m_web->GetBoardValue(), "");

    const std::string query = "q=1";
    m_web->OpenBoard(5, uint8_t(address.size()), address.c_str(), uint8_t(query.size()), query.c_str());
    ASSERT_TRUE(m_web->IsPageOpen());
    EXPECT_EQ(m_web->GetMode(), WEB_MODE_BOARD);
    EXPECT_EQ(m_web->GetHost()->GetAddress(), "http://127.0.0.1/board?q=1");
    // Kind 5 while the window is shown does nothing.
    m_web->OpenBoard(5, 10, "http://x/y", 3, "z=2");
    EXPECT_EQ(m_web->GetHost()->GetAddress(), "http://127.0.0.1/board?q=1");
}

}  // namespace
