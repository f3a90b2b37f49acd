#include "core/error_box.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/message_box.h"

namespace {

#define KANJI "\x93\xFA"

struct ErrorBoxTest : testing::Test {
    plat::ScopedMessageBoxRecorder boxes;
};

TEST_F(ErrorBoxTest, ReportErrorShowsTheFormattedTextInTheErrorBox) {
    ReportError("CAniMgr::CreateNewObjAni() Error, dwIndex[%d]>=MAX_OBJANI[%d]", 10000, 9999);
    ASSERT_EQ(boxes.Boxes().size(), 1u);
    EXPECT_EQ(boxes.Boxes()[0].caption, "Z5MessageBox");
    EXPECT_EQ(boxes.Boxes()[0].text, "CAniMgr::CreateNewObjAni() Error, dwIndex[10000]>=MAX_OBJANI[9999]");
    EXPECT_EQ(boxes.Boxes()[0].type, plat::MB_OK);
}

TEST_F(ErrorBoxTest, LongTextsAreCutTo511BytesBetweenCharacters) {
    struct Case {
        std::string text;
        std::string shown;
    };
    const std::string a509(509, 'a'), a510(510, 'a');
    const Case cases[] = {
        {std::string(600, 'x'), std::string(511, 'x')},
        {std::string(511, 'x'), std::string(511, 'x')},
        // A double-byte character across the limit is left out whole.
        {a510 + KANJI "tail", a510},
        {a509 + KANJI "tail", a509 + KANJI},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text.size());
        ReportError("%s", c.text.c_str());
        ASSERT_FALSE(boxes.Boxes().empty());
        EXPECT_EQ(boxes.Boxes().back().text, c.shown);
    }
}

TEST_F(ErrorBoxTest, OnlyAFullScreenWindowIsMinimisedAndBeforeTheBoxShows) {
    struct Host : IErrorBoxHost {
        void RestoreBrightness() override {
            calls.push_back("brightness " + std::to_string(boxes->Boxes().size()));
        }
        bool IsFullScreen() override { return fullScreen; }
        void MinimizeMainWindow() override {
            calls.push_back("minimise " + std::to_string(boxes->Boxes().size()));
        }
        plat::ScopedMessageBoxRecorder* boxes = nullptr;
        std::vector<std::string> calls;
        bool fullScreen = false;
    } host;
    host.boxes = &boxes;
    ScopedErrorBoxHost scopedHost(host);
    std::vector<std::string>& calls = host.calls;
    bool& fullScreen = host.fullScreen;

    ReportError("windowed");
    EXPECT_EQ(calls, (std::vector<std::string>{"brightness 0"}));

    calls.clear();
    fullScreen = true;
    ReportError("full screen");
    EXPECT_EQ(calls, (std::vector<std::string>{"brightness 1", "minimise 1"}));
    EXPECT_EQ(boxes.Boxes().size(), 2u);
}

TEST_F(ErrorBoxTest, MessageWinGetsARecordCutTo255Bytes) {
    // The window's port, as the window layer's sink reaches it.
    struct Sink : IMessageWinSink {
        void Deliver(std::unique_ptr<CChatLineMsg> r) override {
            const uint32_t eventId = r->m_id;
            EXPECT_TRUE(PostMessageToPort(0, &msgWin, 0, eventId, std::move(r), nullptr));
        }
        CMsgPort msgWin;
    } sink;
    ScopedMessageWinSink scopedSink(sink);
    CMsgPort& msgWin = sink.msgWin;

    ShowMessageWinF(3, "Gained %d seeds", 250);
    ShowMessageWinF(0, "kind 0 is never shown");
    ShowMessageWinF(2, "%s", std::string(300, 'y').c_str());
    ShowMessageWinF(2, "%s", (std::string(254, 'z') + KANJI).c_str());

    std::vector<std::unique_ptr<CChatLineMsg>> delivered;
    uint32_t sender = 1, eventId = 0;
    MsgDataPtr payload;
    while (msgWin.PopFields(&sender, &eventId, &payload, nullptr)) {
        EXPECT_EQ(sender, 0u);
        EXPECT_EQ(eventId, kMessageWinEventId);
        auto* record = dynamic_cast<CChatLineMsg*>(payload.get());
        ASSERT_NE(record, nullptr);
        payload.release();
        delivered.emplace_back(record);
    }
    ASSERT_EQ(delivered.size(), 3u);
    EXPECT_EQ(delivered[0]->m_id, 87u);
    EXPECT_EQ(delivered[0]->m_kind, 3u);
    EXPECT_STREQ(delivered[0]->m_text, "Gained 250 seeds");
    EXPECT_EQ(delivered[0]->m_flags[0], 0);
    EXPECT_EQ(delivered[0]->m_flags[1], 0);
    EXPECT_EQ(std::string(delivered[1]->m_text), std::string(255, 'y'));
    EXPECT_EQ(std::string(delivered[2]->m_text), std::string(254, 'z'));
    EXPECT_TRUE(boxes.Boxes().empty());
}

TEST_F(ErrorBoxTest, WithoutTheMessageWindowTheTextIsDropped) {
    ShowMessageWinF(1, "Server notice %d", 7);
    ShowMessageWinF(0, "not shown");
    EXPECT_TRUE(boxes.Boxes().empty()) << "a line for the message window never stops the game with a box";
}

}  // namespace
