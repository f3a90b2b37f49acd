#include "tests/net/message_harness.h"

#include <zlib.h>

#include <sstream>

#include "net/connection.h"
#include "net/handlers/login_phase.h"
#include "platform/paths.h"

namespace nettest {

std::vector<std::string> NoticeTextRows() {
    std::vector<std::string> rows(649);
    rows[634] = "%s refused";
    rows[647] = "first side";
    rows[648] = "second side";
    return rows;
}

const std::vector<const char*>& PresentWindows() {
    static const std::vector<const char*> names = {"CharSelectWindow",
                                                   "Z5_TITLE_WINDOW",
                                                   "MSGWIN",
                                                   "ReplyWindow",
                                                   "EventTalkWindows",
                                                   "Pet_Interface",
                                                   "Pet_Incubator_Window",
                                                   "Club_BaseWindow",
                                                   "Club_MakeWindow",
                                                   "Club_JoinWindow",
                                                   "CLUB_DEPOSIT_WINDOW",
                                                   "MINIMAP_WINDOW",
                                                   "FightClubCVCWaitWin",
                                                   "FightClub_Config",
                                                   "FightClub_Manager",
                                                   "FightClub_WaitWin",
                                                   "FORTRESS_BOARD_WIN",
                                                   "TJS_ROOMLIST",
                                                   "CTF_ROOMLIST",
                                                   "TJS_NEWROOM",
                                                   "CTF_NEWROOM",
                                                   "TJS_WAITROOM",
                                                   "CTF_WAITROOM",
                                                   "GAMBAMBO_WIN",
                                                   "Fishing_Window",
                                                   "COOKING_COOKBOOK_WINDOW",
                                                   "ITEM_EXCHANGE_WINDOW",
                                                   "NPC_FUNCTION_SELECT_WIN",
                                                   "TRADE_WINDOW",
                                                   "NPCHEALWIN",
                                                   "DepositWindow",
                                                   "TEAM_WINDOW",
                                                   "TimerWindow",
                                                   "COMBO_SETUP_WINDOW",
                                                   "EventLogWindow"};
    return names;
}

std::vector<std::string> LoginTextRows() {
    std::vector<std::string> rows;
    for (int row = 0; row < 12; ++row) rows.push_back("row " + std::to_string(row));
    rows[LOGIN_TEXT_VERSION] = "server %.2f client %.2f";
    return rows;
}

void MessageHarness::SetUp() {
    ScriptedConnectionTest::SetUp();
    char cwd[4096];
    ASSERT_NE(getcwd(cwd, sizeof(cwd)), nullptr);
    m_previousDir = cwd;
    ASSERT_EQ(chdir(m_dir.Path().c_str()), 0);
    m_texts = std::make_unique<qmtest::ScopedTextTables>(std::map<int, std::vector<std::string>>{
        {LOGIN_TEXT_TABLE, LoginTextRows()}, {NOTICE_TEXT_TABLE, NoticeTextRows()}});
    m_savedOptions = g_options;
    m_savedVersion = g_config.m_clientVersion;
    g_config.m_clientVersion = 189;
    Fresh(true);
}

void MessageHarness::TearDown() {
    Uninstall();
    m_session.reset();
    g_options = m_savedOptions;
    g_config.m_clientVersion = m_savedVersion;
    m_texts.reset();
    EXPECT_EQ(chdir(m_previousDir.c_str()), 0);
    ScriptedConnectionTest::TearDown();
}

void MessageHarness::Uninstall() {
    SetGameWorldHooks(nullptr);
    SetServerWindows(nullptr);
    SetServerMessageBoxes(nullptr);
    g_pPremiumItemNotifyMgr = nullptr;
    g_pMainMgr = nullptr;
    g_pCharResourceMgr = nullptr;
}

void MessageHarness::ClearFolder() {
    for (const std::string& name : m_dir.List()) plat::RemoveFile(m_dir.Path() + "/" + name);
}

void MessageHarness::Fresh(bool present) {
    Uninstall();
    ClearFolder();
    m_session.reset();
    g_connection = nullptr;
    delete m_connection;
    m_connection = new CConnection(nullptr, WM_SOCKET_NOTIFY);
    g_connection = m_connection;
    Connect();
    m_posted.clear();
    g_options = m_savedOptions;
    SetConnectStatusText("");

    m_world = RecordingWorld();
    m_world.m_receivers = present;
    m_world.m_hasMap = present;
    m_windows.m_windows.clear();
    m_windows.m_managerPort.Clear();
    m_windows.m_toAll.clear();
    m_windows.m_children.clear();
    m_windows.m_visible.clear();
    m_windows.m_classes.clear();
    m_windows.m_calls.clear();
    m_boxes.m_open.clear();
    m_boxes.m_shown.clear();
    m_premium.reset();
    m_mainMgr.reset();
    m_charResources.reset();

    // The world's hooks are always there: present or not, they answer as the
    // world would.
    SetGameWorldHooks(&m_world);
    if (present) {
        for (const char* name : PresentWindows()) m_windows.Add(name);
        SetServerWindows(&m_windows);
        SetServerMessageBoxes(&m_boxes);
        m_premium = std::make_unique<CPremiumItemNotifyMgr>();
        g_pPremiumItemNotifyMgr = m_premium.get();
        m_mainMgr = std::make_unique<CMainMgr>();
        auto* scene = new CBaseObject;
        scene->SetKindId(0);
        m_mainMgr->AddChild(scene);
        g_pMainMgr = m_mainMgr.get();
        m_charResources = std::make_unique<CCharResourceMgr>();
        g_pCharResourceMgr = m_charResources.get();
    }

    m_session = std::make_unique<CGameSession>();
    InstallPacketHandlers(*m_session);
    // Past the greeting: every message is dispatched by its code.
    m_session->m_loginPhase = CGameSession::PHASE_FIRST_REQUEST_SENT;
    m_session->m_pendingRequest = 0;
}

void MessageHarness::Dispatch(uint8_t code, const Bytes& body) {
    Bytes payload{code};
    payload.insert(payload.end(), body.begin(), body.end());
    m_session->DispatchPacket(payload.data(), payload.size());
}

std::vector<Bytes> MessageHarness::Queued() const {
    std::vector<Bytes> queued;
    for (size_t i = 0; i < m_session->QueuedMessages(); ++i) queued.push_back(m_session->QueuedMessage(i));
    return queued;
}

namespace {

std::string Hex(const void* data, size_t size) {
    static const char digits[] = "0123456789abcdef";
    std::string out;
    const auto* p = static_cast<const uint8_t*>(data);
    for (size_t i = 0; i < size; ++i) {
        out += digits[p[i] >> 4];
        out += digits[p[i] & 15];
    }
    return out;
}

}  // namespace

std::string MessageHarness::Describe() {
    std::ostringstream out;
    const CGameSession& s = *m_session;
    out << "phase " << s.m_loginPhase << " pending " << s.m_pendingRequest << " notice "
        << int(s.m_noticeFlag) << "/" << s.m_noticeValue << "/" << s.m_noticeText << " result "
        << s.m_loginResult << " ingame " << int(s.m_inGame) << " established " << int(s.m_established)
        << " launcher " << int(s.m_launcherLogin) << " world " << int(s.m_chosenWorld) << "\n";
    out << "terms " << s.m_termsChecksum << " " << Hex(s.m_termsText.data(), s.m_termsText.size())
        << " ready " << s.m_termsReady << "\n";
    out << "next " << s.m_nextMaskFunction << " " << s.m_nextKeyLength << " "
        << Hex(s.m_nextKey, sizeof s.m_nextKey) << " ticket " << Hex(s.m_ticket, s.m_ticketLength) << "\n";
    out << "servers";
    for (const CServerListEntry& e : s.m_serverList)
        out << " " << int(e.worldId) << ":" << e.address << ":" << e.port << ":" << e.name << ":"
            << int(e.state);
    out << "\nlobbies " << s.m_lobbies.m_tjsNumber << "/" << s.m_lobbies.m_tjsFlag << " "
        << s.m_lobbies.m_ctfNumber << "/" << s.m_lobbies.m_ctfFlag << " party " << bool(s.m_party);
    out << "\ncharlist " << (s.m_charList ? int(s.m_charList->Count()) : -1) << " page " << s.m_newAccountPage
        << "\n";
    out << "queue";
    for (const Bytes& q : Queued()) out << " " << Hex(q.data(), q.size());
    out << " deferred " << s.DeferredCount() << "\n";
    uint32_t address = 0;
    uint16_t port = 0;
    const bool connected = g_connection && g_connection->IsConnected(&address, &port);
    out << "connection " << connected << " " << address << ":" << port << " raw "
        << (g_connection ? g_connection->RawMode() : 0) << (g_connection ? g_connection->RawOnce() : 0)
        << " mask " << (g_connection ? g_connection->SelectMask() : 0) << " notifications " << m_posted.size()
        << "\n";
    out << "status " << ConnectStatusText << "\n";
    out << "world " << m_world.Describe() << "\nwindows " << m_windows.Describe() << "\nboxes "
        << m_boxes.Describe() << "\n";
    out << "options " << Hex(g_options.m_block, sizeof g_options.m_block).substr(0, 64) << "\n";
    if (m_premium)
        out << "premium " << m_premium->GetEntryCount(0) << "/" << m_premium->GetEntryCount(1) << " "
            << m_premium->IsRefreshPending() << m_premium->IsShowPending() << "\n";
    if (m_mainMgr) out << "scene queue " << m_mainMgr->GetMsgQueue()->Queue().Count() << "\n";
    if (m_charResources) out << "ids " << m_charResources->GetIdFlagCount() << "\n";
    out << "seeded " << RandomSeedings() << "\nfiles";
    for (const std::string& name : m_dir.List()) {
        std::vector<uint8_t> bytes;
        plat::ReadWholeFile(m_dir.Path() + "/" + name, bytes);
        out << " " << name << "=" << crc32(0, bytes.data(), uInt(bytes.size()));
    }
    return out.str();
}

}  // namespace nettest
