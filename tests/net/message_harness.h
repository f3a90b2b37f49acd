// The fixture every server-message test uses: a session with every handler
// installed on a connected scripted socket, recording receivers and windows
// (present or absent), text table 13, a premium item manager, a main manager
// holding a game scene, and a temporary working folder. Describe() gives the
// whole observable state as text, so "changes nothing" is one comparison.
#pragma once
#include <gtest/gtest.h>
#include <unistd.h>

#include <memory>
#include <string>
#include <vector>

#include "core/config.h"
#include "core/main_mgr.h"
#include "data/char_resource_mgr.h"
#include "data/premium_item_mgr.h"
#include "net/game_session.h"
#include "net/handlers/inline_messages.h"
#include "net/handlers/login_records.h"
#include "platform/message_box.h"
#include "tests/net/handler_fakes.h"
#include "tests/net/net_fixture.h"
#include "tests/support/data_fixtures.h"
#include "tests/support/temp_dir.h"

namespace nettest {

// Texts of table 13 the log-in messages use (row n reads "row n", row 11 is
// the version format).
std::vector<std::string> LoginTextRows();
// Rows of table 14 the window messages use: 634 the gambambo refusal
// ("%s refused"), 647 and 648 the fortress sides.
inline constexpr int NOTICE_TEXT_TABLE = 14;
std::vector<std::string> NoticeTextRows();
// The windows that exist when the receivers are present.
const std::vector<const char*>& PresentWindows();

class MessageHarness : public ScriptedConnectionTest {
protected:
    void SetUp() override;
    void TearDown() override;

    // A new session, connection and receivers; present: the world's
    // receivers, the windows (CharSelectWindow, Z5_TITLE_WINDOW), the boxes,
    // the premium manager, the game scene and the id register exist.
    void Fresh(bool present);
    // Dispatches [code][body].
    void Dispatch(uint8_t code, const Bytes& body);
    // Everything a handler may change.
    std::string Describe();
    // The requests queued so far, oldest first.
    std::vector<Bytes> Queued() const;

    std::unique_ptr<CGameSession> m_session;
    RecordingWorld m_world;
    RecordingWindows m_windows;
    RecordingBoxes m_boxes;
    std::unique_ptr<CPremiumItemNotifyMgr> m_premium;
    std::unique_ptr<CMainMgr> m_mainMgr;
    std::unique_ptr<CCharResourceMgr> m_charResources;
    COptions m_savedOptions;
    uint16_t m_savedVersion = 0;

private:
    void Uninstall();
    void ClearFolder();

    plat::ScopedMessageBoxRecorder m_errorBoxes;  // the resource manager finds no tables
    qmtest::TempDir m_dir;
    std::string m_previousDir;
    std::unique_ptr<qmtest::ScopedTextTables> m_texts;
};

}  // namespace nettest
