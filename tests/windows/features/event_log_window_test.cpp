// The event log window: its two event tables from the configured folder, the
// server's key/value tables and lines (with the requests a gap or an undated
// line makes), the entries a category shows, its modes, tabs and categories
// through the input queue, and the long titles.
#include "windows/features/event_log_window.h"

#include <gtest/gtest.h>

#include <cstring>
#include <ctime>
#include <fstream>
#include <string>

#include "core/config.h"
#include "data/data_table_writer.h"
#include "tests/support/table_builder.h"
#include "tests/support/temp_dir.h"
#include "tests/windows/features/feature_fixture.h"
#include "ui/scroll_bar.h"

namespace {

using featuretest::Bytes;

struct Row {
    uint8_t category, kind, playerClass, key;
    uint16_t low, high;
    std::string title, description;
};

TablePlan QuestTable(const std::vector<Row>& rows) {
    qmtest::TableBuilder t(uint32_t(rows.size()), 8);
    t.U16(4).U16(5).Text(6, 64).Text(7, 128);
    for (int r = 0; r < int(rows.size()); ++r) {
        const Row& x = rows[size_t(r)];
        t.Set(0, r, x.category).Set(1, r, x.kind).Set(2, r, x.playerClass).Set(3, r, x.key);
        t.Set(4, r, x.low).Set(5, r, x.high).Set(6, r, x.title).Set(7, r, x.description);
    }
    return t.Layout();
}

void WriteFile(const std::string& path, const std::vector<uint8_t>& bytes) {
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
}

const Bytes kAskLog = {64, 3, 0, 0, 0, 0};
Bytes AskCategory(uint8_t c) {
    return {64, 1, c};
}

class EventLogTest : public featuretest::FeatureFixture {
protected:
    void SetUp() override {
        FeatureFixture::SetUp();
        m_savedFolder = g_config.m_folders[FOLDER_QUESTLOG];
        g_config.m_folders[FOLDER_QUESTLOG] = m_dir.Path();
    }
    void TearDown() override {
        g_config.m_folders[FOLDER_QUESTLOG] = m_savedFolder;
        FeatureFixture::TearDown();
    }
    void WriteTables(const std::vector<Row>& a, const std::vector<Row>& b) {
        if (!a.empty()) WriteFile(m_dir.Path() + "/0002.QEL", WriteDataTable(QuestTable(a)));
        if (!b.empty()) WriteFile(m_dir.Path() + "/0001.QEL", WriteDataTable(QuestTable(b)));
    }
    CEventLogWindow* Make() {
        m_log = m_driver.Add(new CEventLogWindow);
        m_log->SetPosition(100, 100);
        m_log->Show();
        m_log->SetActive(true, false);
        Sent();
        return m_log;
    }
    void Lines(uint8_t total, const std::vector<std::pair<uint32_t, std::string>>& lines) {
        static char texts[100][RECORD_TEXT_SIZE];
        static uint32_t times[100];
        for (size_t i = 0; i < lines.size() && i < 100; ++i) {
            std::memset(texts[i], 0, RECORD_TEXT_SIZE);
            std::strncpy(texts[i], lines[i].second.c_str(), RECORD_TEXT_SIZE - 1);
            times[i] = lines[i].first;
        }
        m_log->AddLine(total, uint8_t(lines.size()), texts, times);
    }
    std::vector<std::string> Titles() const {
        std::vector<std::string> out;
        for (const EventLogEntry* e : m_log->TabEntries()) out.push_back(e->title);
        return out;
    }

    qmtest::TempDir m_dir;
    std::string m_savedFolder;
    CEventLogWindow* m_log = nullptr;
};

TEST_F(EventLogTest, TablesAreReadFirstAThenBAndBOnlyAfterA) {
    struct Case {
        const char* name;
        bool a, goodA, b;
        int rowsA, rowsB;
    } cases[] = {{"both", true, true, true, 1, 2},
                 {"no A: B is not read", false, true, true, 0, 0},
                 {"a damaged A: B is not read", true, false, true, 0, 0},
                 {"no B", true, true, false, 1, 0}};
    for (const Case& c : cases) {
        std::remove((m_dir.Path() + "/0002.QEL").c_str());
        std::remove((m_dir.Path() + "/0001.QEL").c_str());
        if (c.a && c.goodA)
            WriteFile(m_dir.Path() + "/0002.QEL", WriteDataTable(QuestTable({{1, 0, 14, 1, 0, 9, "A", ""}})));
        if (c.a && !c.goodA) WriteFile(m_dir.Path() + "/0002.QEL", {1, 0, 0, 0, 200, 0, 0, 0, 7});
        if (c.b)
            WriteFile(
                m_dir.Path() + "/0001.QEL",
                WriteDataTable(QuestTable({{1, 0, 14, 1, 0, 9, "B", ""}, {1, 0, 14, 1, 0, 9, "B2", ""}})));
        CEventLogWindow log;
        EXPECT_EQ(log.TableA().GetRowCount(), c.rowsA) << c.name;
        EXPECT_EQ(log.TableB().GetRowCount(), c.rowsB) << c.name;
    }
}

TEST_F(EventLogTest, KeyValueTables) {
    Make();
    const uint8_t keys[3] = {1, 2, 3}, values[3] = {10, 20, 30};
    m_log->SetKeyValueTable(2, 3, keys, values);
    m_log->SetKeyValueTable(2, 0, keys, values);  // count 0: the table stays
    EXPECT_EQ(m_log->Keys(2), (std::vector<uint8_t>{1, 2, 3}));
    m_log->SetKeyValue(2, 2, 21);  // a known key: replaced
    m_log->SetKeyValue(2, 9, 90);  // a new key: appended
    EXPECT_EQ(m_log->Keys(2), (std::vector<uint8_t>{1, 2, 3, 9}));
    EXPECT_EQ(m_log->Values(2), (std::vector<uint8_t>{10, 21, 30, 90}));
    m_log->SetKeyValue(6, 1, 1);  // no such category
    m_log->SetKeyValueTable(200, 3, keys, values);
    EXPECT_TRUE(m_log->Keys(0).empty());
}

TEST_F(EventLogTest, EntriesFollowCategoryClassKeyAndRangeWithAFirst) {
    WriteTables({{1, 0, 14, 1, 2, 4, "A in range", "d"},
                 {1, 0, 0, 1, 3, 3, "A own class", "d"},
                 {1, 0, 5, 1, 3, 3, "A other class", "d"},
                 {1, 0, 14, 1, 4, 9, "A above", "d"},
                 {1, 0, 14, 2, 0, 9, "A other key", "d"},
                 {2, 0, 14, 1, 0, 9, "A other category", "d"},
                 {1, 1, 14, 1, 0, 9, "A quest", "d"},
                 {1, 0, 14, 1, 3, 3, "A title of twenty-one", "d"}},
                {{1, 0, 14, 1, 3, 3, "B in range", "d"}});
    Make();
    const uint8_t key = 1, value = 3;
    m_log->SetKeyValueTable(1, 1, &key, &value);
    m_driver.Frame();  // the update rebuilds the changed category
    EXPECT_EQ(Titles(), (std::vector<std::string>{"A in range", "A own class", "A title of twenty-one *** ",
                                                  "B in range"}));
    ASSERT_EQ(m_log->Entries(1).size(), 5u);
    EXPECT_EQ(m_log->Entries(1)[2].kind, 1);  // the quest, on the other tab
    EXPECT_TRUE(m_log->Entries(2).empty());
    // A value outside every range shows nothing.
    const uint8_t beyond = 100;
    m_log->SetKeyValueTable(1, 1, &key, &beyond);
    m_driver.Frame();
    EXPECT_TRUE(m_log->Entries(1).empty());
}

TEST_F(EventLogTest, LongTitlesAreCutUntilPointedThenScroll) {
    Make();
    EventLogEntry whole{std::string(20, 'a'), "", 0, 0};
    EXPECT_EQ(m_log->ShownTitle(whole, false), std::string(20, 'a'));
    EventLogEntry cut{std::string("abcdefghijklmnopqrstu") + " *** ", "", 0, 1};
    EXPECT_EQ(m_log->ShownTitle(cut, false), "abcdefghijklmnopqrst...");
    EXPECT_EQ(m_log->ShownTitle(cut, true), "abcdefghijklmnopqrst");
}

TEST_F(EventLogTest, ReplacingAndAppendingLines) {
    Make();
    Lines(0, {{5, "nothing"}});  // total 0: nothing
    EXPECT_EQ(m_log->GetLineCount(), 0u);
    Lines(2, {{5, "one"}, {6, "two"}});
    EXPECT_EQ(m_log->GetLineCount(), 2u);
    EXPECT_TRUE(Sent().empty());
    struct Case {
        uint32_t held, added;
        uint32_t firstKept;  // the number of the oldest line kept
    } cases[] = {{100, 10, 10}, {95, 10, 5}, {90, 10, 0}};
    for (const Case& c : cases) {
        std::vector<std::pair<uint32_t, std::string>> held, added;
        for (uint32_t i = 0; i < c.held; ++i) held.emplace_back(1000 + i, "line " + std::to_string(i));
        for (uint32_t i = 0; i < c.added; ++i)
            added.emplace_back(2000 + i, "line " + std::to_string(c.held + i));
        Lines(uint8_t(c.held), held);
        Lines(uint8_t(c.held + c.added), added);
        EXPECT_EQ(m_log->GetLineCount(), std::min<uint32_t>(c.held + c.added, 100)) << c.held;
        EXPECT_STREQ(m_log->GetLine(0).text, ("line " + std::to_string(c.firstKept)).c_str()) << c.held;
        EXPECT_EQ(m_log->GetScrollBar(2)->GetMaximum(), int32_t(m_log->GetLineCount()) - 4) << c.held;
    }
    Sent();
}

TEST_F(EventLogTest, UndatedLinesAndGapsAskTheServerOncePerBatch) {
    Make();
    Lines(1, {{5, "a"}});
    EXPECT_TRUE(Sent().empty());
    Lines(3, {{0, "undated"}, {0, "undated too"}});
    EXPECT_EQ(Sent(), (std::vector<Bytes>{kAskLog, AskCategory(1)}));
    Lines(9, {{7, "b"}});  // 4 lines held against a total of 9
    EXPECT_EQ(Sent(), (std::vector<Bytes>{kAskLog, AskCategory(0), AskCategory(1), AskCategory(2),
                                          AskCategory(3), AskCategory(4), AskCategory(5)}));
    // The undated line is not drawn and asks nothing more, however many frames.
    m_driver.DrawFrames(false);
    for (int i = 0; i < 3; ++i) m_log->Draw();
    EXPECT_TRUE(Sent().empty());
}

TEST_F(EventLogTest, HostileBatchesStayWithinTheLog) {
    Make();
    // A count beyond the log's slots and texts without a terminator.
    static char texts[100][RECORD_TEXT_SIZE];
    static uint32_t times[100];
    for (auto& t : texts) std::memset(t, 'x', RECORD_TEXT_SIZE);
    for (auto& t : times) t = 99;
    m_log->AddLine(250, 200, texts, times);
    EXPECT_EQ(m_log->GetLineCount(), 100u);
    EXPECT_EQ(std::strlen(m_log->GetLine(99).text), RECORD_TEXT_SIZE - 1);
    m_log->AddLine(250, 200, texts, times);
    EXPECT_EQ(m_log->GetLineCount(), 100u);
}

TEST_F(EventLogTest, Modes) {
    Make();
    struct Case {
        int32_t mode;
        bool detach, detached, close, snapping;
    } cases[] = {
        {1, false, false, true, true}, {2, true, false, false, false}, {4, false, true, false, true}};
    for (const Case& c : cases) {
        m_log->SetStateValue(c.mode);
        EXPECT_EQ(m_log->GetControl("EVENTLOG_DETACH_BUTTON")->IsDrawOn(), c.detach) << c.mode;
        EXPECT_EQ(m_log->GetControl("EVENTLOG_DETACHED_BUTTON")->IsDrawOn(), c.detached) << c.mode;
        EXPECT_EQ(m_log->GetControl("EVENTLOG_CLOSE_BUTTON")->IsDrawOn(), c.close) << c.mode;
        EXPECT_EQ(m_log->m_keepOnScreen != 0, c.snapping) << c.mode;
    }
    m_log->SetStateValue(3);  // another value leaves the buttons
    EXPECT_TRUE(m_log->GetControl("EVENTLOG_DETACHED_BUTTON")->IsDrawOn());
    // Detached, its button docks it again; docked, the detach button detaches it.
    m_log->SetStateValue(4);
    ClickControl(m_log->GetControl("EVENTLOG_DETACHED_BUTTON"));
    EXPECT_EQ(m_log->GetStateValue(), 2);
    ClickControl(m_log->GetControl("EVENTLOG_DETACH_BUTTON"));
    EXPECT_EQ(m_log->GetStateValue(), 4);
}

TEST_F(EventLogTest, TabsCategoriesAndARowThroughTheInputQueue) {
    WriteTables({{1, 0, 14, 1, 0, 9, "Event one", "The first event."},
                 {1, 1, 14, 1, 0, 9, "Quest one", "The first quest."},
                 {1, 1, 14, 1, 0, 9, "Quest two", "The second quest."}},
                {});
    Make();
    const uint8_t key = 1, value = 1;
    m_log->SetKeyValueTable(1, 1, &key, &value);
    m_driver.Frame();
    EXPECT_EQ(Titles(), (std::vector<std::string>{"Event one"}));
    // The event tab's button does nothing while the event tab is shown.
    EXPECT_FALSE(m_log->GetControl("EVENTLOG_EVENT_OFF_BUTTON")->IsDrawOn());
    m_log->ShowEventTab();
    EXPECT_EQ(m_log->GetTab(), 0);

    ClickControl(m_log->GetControl("EVENTLOG_QUEST_OFF_BUTTON"));
    EXPECT_EQ(m_log->GetTab(), 1);
    EXPECT_EQ(Titles(), (std::vector<std::string>{"Quest one", "Quest two"}));
    // The second row (60 + 29 < y < 87 + 29 from the window's top).
    m_driver.Click(0, 100 + 50, 100 + 100);
    m_driver.Frame();
    EXPECT_EQ(m_log->GetSelectedRow(), 1);
    EXPECT_EQ(m_log->GetPane(), EVENT_LOG_PANE_LIST);
    // Outside every pane the selection goes.
    m_driver.Click(0, 100 + 2, 100 + 283);
    m_driver.Frame();
    EXPECT_EQ(m_log->GetSelectedRow(), -1);

    for (int32_t expected : {2, 3, 4, 5, 0}) {
        ClickControl(m_log->GetControl("EVENTLOG_EPOISODE_BUTTON"));
        EXPECT_EQ(m_log->GetCategory(), expected);
    }
}

TEST(EventLogLine, TimeStampIsZeroPadded) {
    std::string out;
    // 9:07 on 5 March 2026, local time.
    std::tm t{};
    t.tm_year = 126;
    t.tm_mon = 2;
    t.tm_mday = 5;
    t.tm_hour = 9;
    t.tm_min = 7;
    t.tm_isdst = -1;
    const uint32_t seconds = uint32_t(std::mktime(&t));
    ASSERT_TRUE(FormatEventLogLine(seconds, "hello", &out));
    EXPECT_EQ(out, "[2026.03.05,09:07] hello");
}

}  // namespace
