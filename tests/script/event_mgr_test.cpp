// The event manager: starting and stopping events, the function runner, the
// server's orders and the reports of request 108, the selection settling.
#include "script/event_mgr.h"

#include <gtest/gtest.h>

#include "core/input_mgr.h"
#include "net/handlers/event_records.h"
#include "script/event_script.h"
#include "tests/script/event_fixture.h"
#include "tests/support/data_fixtures.h"
#include "tests/support/event_writer.h"

namespace {

using qmtest::EventWriter;
using qmtest::PByte;
using qmtest::PName;
using qmtest::PShort;
using qmtest::PText;

using EventMgrTest = eventtest::EventTest;

TEST_F(EventMgrTest, CommandsThatDoNotHoldAllStartInOneFrame) {
    EventWriter w;
    w.Command(911).Command(912).Command(911);
    ASSERT_TRUE(Start(w));
    EXPECT_TRUE(g_pEventMgr->IsFieldScriptRunning());
    EXPECT_TRUE(g_pEventMgr->IsControlLocked());
    EXPECT_TRUE(g_pEventMgr->IsEventActive());
    Step();  // all three start, then finish in the next frame's walk
    Step();
    EXPECT_FALSE(g_pEventMgr->GetEvent());
    EXPECT_FALSE(g_pEventMgr->IsControlLocked());
    ASSERT_EQ(m_sent.m_sent.size(), 1u);
    EXPECT_EQ(m_sent.m_sent[0].kind, 0);
}

TEST_F(EventMgrTest, WaitFramesHoldsTheFunction) {
    struct Case {
        const char* frames;
        uint32_t heldMs;
    };
    for (const Case c : {Case{"0", 0}, Case{"30", 990}}) {
        EventWriter w;
        w.Command(2, {PText(c.frames)}).Command(3);
        ASSERT_TRUE(Start(w));
        CEventFunction* f = g_pEventMgr->GetEvent()->Running();
        Step(0);  // the wait starts
        uint32_t held = 0;
        while (f->Active().back()->GetKind() != 3 && held < 5000) {
            Step(1);
            ++held;
        }
        EXPECT_EQ(held, c.heldMs) << c.frames;
        g_pEventMgr->StopEvent(false);
    }
}

TEST_F(EventMgrTest, AWaitWithoutItsCountFailsTheLoad) {
    EventWriter w;
    w.Command(2);
    EXPECT_FALSE(Start(w));
    EXPECT_FALSE(g_pEventMgr->GetEvent());
    EXPECT_FALSE(g_pEventMgr->IsControlLocked());
}

TEST_F(EventMgrTest, GotoJumpsAndAnEmptyNameGoesOn) {
    qmtest::ScopedTextTables texts({{16, {"", "", "", "", "goto without a name"}}});
    EventWriter w;
    w.Function("StartEvent").Command(0, {PName("")}).Command(0, {PName("Other")});
    w.Function("Other").Command(3);
    ASSERT_TRUE(Start(w));
    for (int i = 0; i < 6; ++i) Step();
    EXPECT_EQ(m_ani.LastBoxText(), "goto without a name");
    ASSERT_TRUE(g_pEventMgr->GetEvent());
    EXPECT_EQ(g_pEventMgr->GetEvent()->Running()->GetName(), "Other");
}

TEST_F(EventMgrTest, EscapeSkipsOnlyWhileSkippingIsOn) {
    for (const bool skippable : {false, true}) {
        EventWriter w;
        if (skippable) w.Command(911);
        w.Command(2, {PText("1000")});
        ASSERT_TRUE(Start(w));
        Step();
        Step();  // the skip command has run
        CInputMgr input;
        CInputMgr* old = g_pInputMgr;
        g_pInputMgr = &input;
        input.Create();
        input.PostKeyDown(27, false);
        g_pEventMgr->HandleSkipKey();
        g_pInputMgr = old;
        Step();
        Step();
        EXPECT_EQ(g_pEventMgr->GetEvent() == nullptr, skippable) << skippable;
        g_pEventMgr->StopEvent(false);
    }
}

TEST_F(EventMgrTest, StartingTheCurrentEventAgainRestartsItWithoutAReport) {
    EventWriter w;
    w.Function("StartEvent").Command(3);
    w.Function("Again").Command(3);
    ASSERT_TRUE(Start(w));
    Step();
    ASSERT_TRUE(g_pEventMgr->StartFieldScript("0003.EVT", "Again"));
    EXPECT_EQ(g_pEventMgr->GetEvent()->Running()->GetName(), "Again");
    EXPECT_TRUE(m_sent.m_sent.empty());
}

TEST_F(EventMgrTest, AMissingStartFunctionLeavesNoEventAndNoLock) {
    EventWriter w;
    w.Function("StartEvent").Command(3);
    EXPECT_FALSE(Start(w, "Nowhere"));
    EXPECT_FALSE(g_pEventMgr->GetEvent());
    EXPECT_FALSE(g_pEventMgr->IsControlLocked());
    EXPECT_FALSE(g_pEventMgr->IsEventActive());
}

TEST_F(EventMgrTest, AFieldScriptOrderWaitsForTheMapAndStopsReportKindOne) {
    EventWriter w;
    w.Command(3);
    m_folders.WriteField(EventFileName(uint32_t(std::max(0, g_pMap->GetStageNumber())), false), w.Bytes());
    CMap* map = g_pMap;
    g_pMap = nullptr;  // still loading
    Order(1, "StartEvent");
    Step();
    EXPECT_FALSE(g_pEventMgr->GetEvent());
    g_pMap = map;
    Step();
    ASSERT_TRUE(g_pEventMgr->GetEvent());
    EXPECT_EQ(g_pEventMgr->EventValue(), 77u);
    EXPECT_EQ(g_pEventMgr->FunctionIndex(), 5u);
    auto stop = std::make_unique<CEventInputMsg>();
    stop->m_kind = 1;
    g_pEventMgr->PostRecord(std::move(stop), 0);
    Step();
    EXPECT_FALSE(g_pEventMgr->GetEvent());
    ASSERT_EQ(m_sent.m_sent.size(), 1u);
    EXPECT_EQ(m_sent.m_sent[0].kind, 1);
    EXPECT_EQ(m_sent.m_sent[0].value1, 77u);
    EXPECT_EQ(m_sent.m_sent[0].value2, 5u);
    EXPECT_TRUE(m_sent.m_sent[0].bytes.empty());
}

// A selection answered by the player: its record goes out as request 108
// kind 2, the server's echo (message 102) settles it, the choice jumps to
// the result function and the end of the function reports the pair.
TEST_F(EventMgrTest, ASelectionSettlesOnTheEchoedRecord) {
    MakePlayer(1);
    EventWriter w;
    w.Function("StartEvent")
        .Command(906,
                 {PByte(0), PShort(7, 0), PText("4"), PText("0"), PText("0"), PText("0"), qmtest::PLong(0)})
        .Command(908, {PShort(7, 0), PText("0"), PName("")})
        .Command(908, {PShort(7, 0), PText("0"), PName("")})
        .Command(907, {PName("Yes"), PName("No"), PName(""), PName(""), PName("")})
        .Command(910);
    w.Function("Yes").Command(911);
    w.Function("No").Command(911);
    ASSERT_TRUE(Start(w));
    for (int i = 0; i < 4; ++i) Step();
    CEventScript* event = g_pEventMgr->GetEvent();
    ASSERT_TRUE(event && event->Selection().waiting);
    EXPECT_EQ(event->Selection().answers.size(), 2u);
    // The player picks the second answer (no window: the record is made as
    // the handling would).
    EventChoiceRecord record;
    record.file = "0003.EVT";
    record.function = "StartEvent";
    record.selection = 4;
    record.charId = 1;
    record.typeIndex = uint16_t(GetCharTypeIndex(g_pCharMgr->GetPlayer()->m_resourceId));
    record.position = 1;
    record.value = 0;
    const auto bytes = record.Pack();
    auto echo = std::make_unique<CEventBlockMsg>();
    echo->Set(0, 0, bytes.size(), bytes.data());
    g_pEventMgr->PostRecord(std::move(echo), 0);
    // A block of another length is dropped.
    auto wrong = std::make_unique<CEventBlockMsg>();
    wrong->Set(0, 0, 100, bytes.data());
    g_pEventMgr->PostRecord(std::move(wrong), 0);
    Step();
    Step();
    ASSERT_TRUE(g_pEventMgr->GetEvent());
    EXPECT_EQ(g_pEventMgr->GetEvent()->Running()->GetName(), "No");
    for (int i = 0; i < 4 && g_pEventMgr->GetEvent(); ++i) Step();
    EXPECT_FALSE(g_pEventMgr->GetEvent());
    ASSERT_FALSE(m_sent.m_sent.empty());
    const auto& end = m_sent.m_sent.back();
    EXPECT_EQ(end.kind, 0);
    EXPECT_EQ(end.bytes, (std::vector<uint8_t>{4, 1}));
}

TEST_F(EventMgrTest, TheChoiceRecordIsLaidOutByteForByte) {
    EventChoiceRecord r;
    r.deciding = 1;
    r.file = "0001.EVT";
    r.function = "ElderTalk";
    r.selection = 0x01020304;
    r.typeIndex = 13;
    r.charId = 0x0A0B0C0D;
    r.position = 2;
    r.value = 1;
    const auto b = r.Pack();
    EXPECT_EQ(b[0], 1);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(&b[1])), "0001.EVT");
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(&b[101])), "ElderTalk");
    EXPECT_EQ(
        (std::vector<uint8_t>(b.begin() + 168, b.end())),
        (std::vector<uint8_t>{4, 3, 2, 1, 13, 0, 0, 0, 0x0D, 0x0C, 0x0B, 0x0A, 2, 0, 0, 0, 1, 0, 0, 0}));
    EventChoiceRecord back;
    ASSERT_TRUE(EventChoiceRecord::Unpack(b.data(), b.size(), back));
    EXPECT_EQ(back.function, "ElderTalk");
    EXPECT_FALSE(EventChoiceRecord::Unpack(b.data(), 187, back));
}

// Majority votes and their tie rules; votes of type indexes past the table
// are not stored; a chosen position outside 0-9 makes no jump.
TEST_F(EventMgrTest, MajorityVotesAndTieRules) {
    struct Case {
        std::vector<uint32_t> answers;  // the answer of type index 0, 1, ...
        uint8_t tieRule;
        int32_t chosen;
    };
    const Case cases[] = {
        {{1, 1, 2, 2}, 0, 2}, {{1, 1, 2, 2}, 1, 0}, {{1, 1, 2, 2}, 2, -1}, {{1, 1, 2}, 0, 1}};
    for (const Case& c : cases) {
        CEventScript event;
        EventWriter w;
        w.Command(3);
        ASSERT_TRUE(event.LoadData(EVENT_FIELD_SCRIPT, "0003.EVT", w.Data()));
        ASSERT_TRUE(event.StartFunction("StartEvent"));
        uint32_t mask = 0;
        for (size_t n = 0; n < c.answers.size(); ++n) mask |= 1u << n;
        event.BeginSelection(2, mask, "", 9, 0, 0, 0, c.tieRule);
        g_pEventMgr->ChoiceRecords().clear();
        for (size_t n = 0; n < c.answers.size(); ++n) {
            EventChoiceRecord r;
            r.file = "0003.EVT";
            r.function = "StartEvent";
            r.selection = 9;
            r.typeIndex = uint16_t(n);
            r.charId = 100 + uint32_t(n);
            r.position = c.answers[n];
            r.deciding = n == 3 ? 1 : 0;
            g_pEventMgr->ChoiceRecords().push_back(r);
        }
        EventChoiceRecord stray;
        stray.file = "0003.EVT";
        stray.function = "StartEvent";
        stray.selection = 9;
        stray.typeIndex = 14;
        g_pEventMgr->ChoiceRecords().push_back(stray);
        ASSERT_TRUE(event.SettleSelection());
        EXPECT_EQ(event.Selection().chosen, c.chosen) << c.tieRule;
        EXPECT_TRUE(g_pEventMgr->ChoiceRecords().empty());
        event.Selection().resultFunctions = true;
        event.TakeChoice(-1);
        EXPECT_EQ(event.IsJumpPending(), c.chosen >= 0 && !event.Selection().results[c.chosen].empty());
    }
}

TEST_F(EventMgrTest, ModeZeroWaitsForTheLeadsOwnRecord) {
    MakePlayer(1);
    CEventScript event;
    EventWriter w;
    w.Command(3);
    ASSERT_TRUE(event.LoadData(EVENT_FIELD_SCRIPT, "0003.EVT", w.Data()));
    ASSERT_TRUE(event.StartFunction("StartEvent"));
    event.BeginSelection(0, 1u << 0, "", 1, 0, 0, 0, 0);
    EventChoiceRecord r;
    r.file = "0003.EVT";
    r.function = "StartEvent";
    r.selection = 1;
    r.typeIndex = 0;
    r.charId = 55;  // not the lead
    g_pEventMgr->ChoiceRecords().push_back(r);
    EXPECT_FALSE(event.SettleSelection());
}

}  // namespace
