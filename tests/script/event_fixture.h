// Events in a world: the scripts' test bed with an open 20 x 20 field, the
// event manager made by its start-up slot, temp folders for the event files
// and a recorder of the manager's requests.
#pragma once
#include <gtest/gtest.h>

#include <memory>

#include "net/handlers/event_records.h"
#include "script/event_mgr.h"
#include "script/event_script.h"
#include "tests/script/script_fixture.h"
#include "tests/support/event_writer.h"

namespace eventtest {

class EventTest : public scripttest::ScriptWorldTest {
protected:
    void SetUp() override {
        ScriptWorldTest::SetUp();
        LoadField(OpenField(20, 20));
        ASSERT_TRUE(CreateGlobal(GlobalSlot::EventMgr));
        ASSERT_TRUE(g_pEventMgr);
        g_pEventMgr->SetRequests(&m_sent);
    }
    void TearDown() override {
        DestroyGlobal(GlobalSlot::EventMgr);
        ScriptWorldTest::TearDown();
    }
    // One frame of the manager after ms.
    void Step(uint32_t ms = 33) {
        Clock().Advance(ms);
        g_pEventMgr->Update();
    }
    bool Start(const qmtest::EventWriter& w, const char* function = "StartEvent",
               const char* name = "0003.EVT") {
        m_folders.WriteField(name, w.Bytes());
        return g_pEventMgr->StartFieldScript(name, function);
    }
    // A start order of the server (message 101): kind byte 1 field script, 0 visual event.
    void Order(uint8_t kind, const char* function, uint32_t value = 77, uint32_t index = 5) {
        auto order = std::make_unique<CEventInputMsg>();
        const uint8_t first[] = {1}, second[] = {2};
        order->Set(0, kind, "0003", function, value, index, 1, first, second, 0, nullptr, nullptr);
        ASSERT_TRUE(g_pEventMgr->PostRecord(std::move(order), 0));
    }

    qmtest::ScopedEventFolders m_folders;
    qmtest::RecordingEventRequests m_sent;
};

}  // namespace eventtest
