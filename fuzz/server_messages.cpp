// Fuzzes the server-message handlers: DispatchPacket with every handler
// installed, on a connected scripted socket, with recording receivers and
// windows, in a temporary working folder. Input: a flags byte (bit 0: the
// receivers and windows exist; bit 1: a launcher log-in; bit 2: in game),
// then messages, each a u8 length and that many bytes (code first).
#include <stdlib.h>
#include <unistd.h>

#include <cstdint>
#include <map>
#include <memory>
#include <string>

#include "core/config.h"
#include "core/main_mgr.h"
#include "data/char_resource_mgr.h"
#include "data/game_hooks.h"
#include "data/premium_item_mgr.h"
#include "fuzz/fuzz_file.h"
#include "net/connection.h"
#include "net/game_session.h"
#include "net/handlers/server_windows.h"
#include "platform/clock.h"
#include "platform/socket.h"

namespace {

// Receivers that take everything and keep nothing.
class World : public IGameWorldHooks {
public:
    bool m_present = false;
    bool HasMap() override { return m_present; }
    bool HasMapData() override { return m_present; }
    bool HandleMapMessage(const CMsgPayload&) override { return m_present; }
    std::pair<int32_t, int32_t> TileToScreen(int32_t x, int32_t y) override { return {x * 12, y * 6}; }
    bool PostCharRecord(std::unique_ptr<CMsgPayload>, int32_t) override { return m_present; }
    bool PostCharPortRecord(std::unique_ptr<CMsgPayload>) override { return m_present; }
    bool HandleCharRecord(const CMsgPayload&) override { return m_present; }
    bool ParseCharMessage(uint8_t, const uint8_t*, size_t) override { return m_present; }
    bool PostEventRecord(std::unique_ptr<CMsgPayload>, int32_t) override { return m_present; }
    bool HasSoundMgr() override { return m_present; }
    std::unique_ptr<IPartyList> MakePartyList() override {
        return m_present ? std::make_unique<Party>() : nullptr;
    }
    bool GetCharName(uint32_t id, char* name, size_t capacity) override {
        if (!m_present || (id & 1) || capacity == 0) return false;
        name[0] = 0;
        return true;
    }
    bool HandOverCombo(uint32_t id, uint16_t, uint16_t) override { return m_present && (id & 1); }

private:
    class Party : public IPartyList {
    public:
        void SetLeader(const char*, uint8_t) override {}
        void AddOrUpdateMember(const CPartyMember&) override {}
        void UpdateMember(const CPartyMember&) override {}
        void RemoveMember(const char*) override {}
        void PromoteMember(const char*) override {}
    };
};

class Windows : public IServerWindows {
public:
    CMsgObject* FindWindowByName(const char* name) override {
        auto& window = m_windows[name ? name : ""];
        if (!window) window = std::make_unique<CMsgObject>();
        return window.get();
    }
    CMsgPort* GetManagerPort() override { return &m_port; }
    void PostToAllWindows(uint32_t) override {}
    CMsgObject* FindAnyWindowByName(const char* name) override { return FindWindowByName(name); }
    // Every window exists; visibility flips with each question.
    bool IsWindowVisible(const char*) override { return m_visible = !m_visible; }
    bool ShowWindow(const char*) override { return true; }
    bool HideWindow(const char*) override { return true; }
    bool OpenWindow(const char*) override { return true; }
    bool CenterWindow(const char*) override { return true; }
    bool CreateWindow(const char*, bool) override { return true; }
    void Clear() {
        m_windows.clear();
        m_port.Clear();
    }

private:
    std::map<std::string, std::unique_ptr<CMsgObject>> m_windows;
    CMsgPort m_port;
    bool m_visible = false;
};

class Boxes : public IServerMessageBoxes {
public:
    void ShowNotice(const char*) override {}
    void AskToOpenPage(const char*, const char*) override {}
    void ShowKeptNotice(const char*) override {}
    void ShowAutoHideNotice(const char*) override {}
    void AskServer(uint32_t, const char*, const char*, const char*) override {}
    void ShowNamedNotice(const char*, const char*) override {}
};

struct Harness {
    plat::FakeClock clock;
    plat::ScopedClock clockScope{clock};
    plat::ScriptedSockets sockets;
    plat::ScopedSockets socketScope{sockets};
    World world;
    Windows windows;
    Boxes boxes;
    CPremiumItemNotifyMgr premium;
    CMainMgr mainMgr;
    CCharResourceMgr charResources;
    CConnection connection{nullptr, WM_SOCKET_NOTIFY};
    CGameSession session;
    // Socket notifications go nowhere.
    struct NoPoster : plat::ISocketNotifyPoster {
        void Post(uint32_t, uintptr_t, intptr_t) override {}
    } poster;

    Harness() {
        char folder[] = "/tmp/qm_fuzz_messages_XXXXXX";
        if (mkdtemp(folder) && chdir(folder) == 0) {
        }
        plat::WSAStartup(plat::MakeWord(2, 2), nullptr);
        plat::SetSocketNotifyPoster(&poster);
        auto* scene = new CBaseObject;
        scene->SetKindId(0);
        mainMgr.AddChild(scene);
        g_connection = &connection;
        g_config.m_clientVersion = 189;
        InstallPacketHandlers(session);
        SetGameWorldHooks(&world);
    }

    void Present(bool present) {
        world.m_present = present;
        SetServerWindows(present ? &windows : nullptr);
        SetServerMessageBoxes(present ? &boxes : nullptr);
        g_pPremiumItemNotifyMgr = present ? &premium : nullptr;
        g_pMainMgr = present ? &mainMgr : nullptr;
        g_pCharResourceMgr = present ? &charResources : nullptr;
    }
};

Harness& GetHarness() {
    static Harness* harness = [] {
        fuzz::InstallSilentBoxes();
        return new Harness;
    }();
    return *harness;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1) return 0;
    Harness& h = GetHarness();
    h.Present(data[0] & 1);
    h.session.Reset();
    h.session.m_launcherLogin = data[0] & 2 ? 1 : 0;
    h.session.SetInGame(data[0] & 4 ? 1 : 0);
    h.session.m_loginPhase = CGameSession::PHASE_FIRST_REQUEST_SENT;
    if (!h.connection.IsConnected()) h.connection.Connect(plat::MakeIPv4(127, 0, 0, 1), 40000);
    h.connection.SetRawMode(true, false);
    size_t pos = 1;
    while (pos < size) {
        size_t length = data[pos++];
        if (length > size - pos) length = size - pos;
        if (length > 0) h.session.DispatchPacket(data + pos, length);
        pos += length;
    }
    h.windows.Clear();
    h.mainMgr.GetMsgQueue()->Queue().Clear();
    h.premium.Clear();
    h.charResources.ClearIdFlags();  // each input starts with an empty id register
    return 0;
}
