// Recording receivers for the server-message handlers: the game world's
// hooks, the window services and the message boxes. Each keeps what it was
// given and can be switched between present and absent; Describe() gives a
// text of everything received, for comparing a state before and after.
#pragma once
#include <functional>
#include <map>
#include <memory>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "core/base_object.h"
#include "core/message.h"
#include "data/game_hooks.h"
#include "net/handlers/server_windows.h"

namespace nettest {

class RecordingWorld : public IGameWorldHooks {
public:
    // The character manager, event manager and sound manager exist.
    bool m_receivers = true;
    bool m_hasMap = true;
    bool m_hasMapData = true;
    // TileToScreen: a tile's screen point is (x * m_tileScale, y * m_tileScale).
    int32_t m_tileScale = 1;

    struct Delivery {
        std::string how;  // "post", "port", "hand", "event", "map"
        uint32_t id;
        int32_t delay;
    };
    std::vector<Delivery> m_deliveries;
    std::vector<std::unique_ptr<CMsgPayload>> m_records;  // posted ones, in order
    std::vector<std::vector<uint8_t>> m_parsed;           // code first
    std::vector<std::string> m_sounds;
    std::vector<uint32_t> m_fieldValues;
    // Characters whose state events apply, and the events asked for
    // ("id/kind/value/extra", with "absent" appended when it was refused).
    std::set<uint32_t> m_presentChars;
    std::vector<std::string> m_stateEvents;
    // Sees each record handed over or given to the map, while it lives.
    std::function<void(const CMsgPayload&)> m_onHand;

    bool HasMap() override { return m_hasMap; }
    bool HasMapData() override { return m_hasMap && m_hasMapData; }
    bool HandleMapMessage(const CMsgPayload& msg) override {
        if (!m_hasMap) return false;
        m_deliveries.push_back({"map", msg.m_id, 0});
        if (m_onHand) m_onHand(msg);
        return true;
    }
    void SetFieldValue(uint32_t value) override { m_fieldValues.push_back(value); }
    std::pair<int32_t, int32_t> TileToScreen(int32_t x, int32_t y) override {
        return {x * m_tileScale, y * m_tileScale};
    }
    bool PostCharRecord(std::unique_ptr<CMsgPayload> record, int32_t delay) override {
        return Keep("post", std::move(record), delay);
    }
    bool PostCharPortRecord(std::unique_ptr<CMsgPayload> record) override {
        return Keep("port", std::move(record), 0);
    }
    bool HandleCharRecord(const CMsgPayload& record) override {
        if (!m_receivers) return false;
        m_deliveries.push_back({"hand", record.m_id, 0});
        if (m_onHand) m_onHand(record);
        return true;
    }
    bool ParseCharMessage(uint8_t code, const uint8_t* body, size_t length) override {
        if (!m_receivers) return false;
        std::vector<uint8_t> message{code};
        if (body) message.insert(message.end(), body, body + length);
        m_parsed.push_back(message);
        return true;
    }
    bool PostEventRecord(std::unique_ptr<CMsgPayload> record, int32_t delay) override {
        return Keep("event", std::move(record), delay);
    }
    bool HasSoundMgr() override { return m_receivers; }
    void PlaySoundEffect(uint16_t id, int32_t x, int32_t y) override {
        m_sounds.push_back(std::to_string(id) + "@" + std::to_string(x) + "," + std::to_string(y));
    }

    // The party lists made for the session log what they are given here.
    std::vector<std::string> m_party;
    std::map<uint32_t, std::string> m_names;  // characters in view
    std::set<uint32_t> m_comboReady;          // characters that take a combo at once
    std::vector<std::string> m_calls;

    std::unique_ptr<IPartyList> MakePartyList() override {
        if (!m_receivers) return nullptr;
        m_calls.push_back("party made");
        return std::make_unique<Party>(m_party);
    }
    bool GetCharName(uint32_t id, char* name, size_t capacity) override {
        auto it = m_names.find(id);
        if (!m_receivers || it == m_names.end()) return false;
        CopyRecordText(name, capacity, it->second.c_str());
        return true;
    }
    bool HandOverCombo(uint32_t id, uint16_t b, uint16_t c) override {
        if (!m_receivers || !m_comboReady.count(id)) return false;
        m_calls.push_back("combo " + std::to_string(id) + " " + std::to_string(b) + " " + std::to_string(c));
        return true;
    }
    void PlayTableSound(const char* text, uint8_t value) override {
        if (m_receivers) m_calls.push_back(std::string("table sound ") + text + " " + std::to_string(value));
    }

    bool CharStateEvent(uint32_t id, uint8_t kind, uint32_t value, uint16_t extra) override {
        if (!m_receivers) return false;
        const bool present = m_presentChars.count(id) != 0;
        m_stateEvents.push_back(std::to_string(id) + "/" + std::to_string(kind) + "/" +
                                std::to_string(value) + "/" + std::to_string(extra) +
                                (present ? "" : " absent"));
        return present;
    }

    std::string Describe() const {
        std::ostringstream out;
        for (const Delivery& d : m_deliveries) out << d.how << ":" << d.id << "/" << d.delay << " ";
        for (const auto& m : m_parsed) out << "parse:" << int(m[0]) << "+" << m.size() - 1 << " ";
        for (const auto& s : m_sounds) out << "sound:" << s << " ";
        for (uint32_t v : m_fieldValues) out << "field:" << v << " ";
        for (const auto& e : m_stateEvents) out << "state:" << e << " ";
        for (const auto& c : m_calls) out << c << "; ";
        for (const auto& p : m_party) out << "party:" << p << "; ";
        return out.str();
    }

private:
    class Party : public IPartyList {
    public:
        explicit Party(std::vector<std::string>& log) : m_log(log) {}
        void SetLeader(const char* name, uint8_t value) override {
            m_log.push_back(std::string("leader ") + name + " " + std::to_string(value));
        }
        void AddOrUpdateMember(const CPartyMember& m) override { m_log.push_back("add " + Member(m)); }
        void UpdateMember(const CPartyMember& m) override { m_log.push_back("update " + Member(m)); }
        void RemoveMember(const char* name) override { m_log.push_back(std::string("remove ") + name); }
        void PromoteMember(const char* name) override { m_log.push_back(std::string("promote ") + name); }

    private:
        static std::string Member(const CPartyMember& m) {
            return std::string(m.m_name) + " " + std::to_string(m.m_value) +
                   (m.IsFlagged() ? " flagged" : "");
        }
        std::vector<std::string>& m_log;
    };

    bool Keep(const char* how, std::unique_ptr<CMsgPayload> record, int32_t delay) {
        if (!m_receivers || !record) return false;
        m_deliveries.push_back({how, record->m_id, delay});
        m_records.push_back(std::move(record));
        return true;
    }
};

// Windows are plain message objects: what the handlers post lands in their ports.
class RecordingWindows : public IServerWindows {
public:
    // Makes a window with the identifier; windows not made are not found.
    CMsgObject& Add(const std::string& name) {
        auto& slot = m_windows[name];
        if (!slot) slot = std::make_unique<CMsgObject>();
        return *slot;
    }
    CMsgObject* FindWindowByName(const char* name) override {
        auto it = m_windows.find(name ? name : "");
        return it == m_windows.end() ? nullptr : it->second.get();
    }
    CMsgPort* GetManagerPort() override { return &m_managerPort; }
    void PostToAllWindows(uint32_t eventId) override { m_toAll.push_back(eventId); }
    CMsgObject* FindAnyWindowByName(const char* name) override {
        if (CMsgObject* window = FindWindowByName(name)) return window;
        auto it = m_children.find(name ? name : "");
        return it == m_children.end() ? nullptr : it->second.get();
    }
    bool IsWindowVisible(const char* name) override {
        return FindWindowByName(name) && m_visible.count(name);
    }
    bool ShowWindow(const char* name) override { return Did("show", name) && Visible(name, true); }
    bool HideWindow(const char* name) override { return Did("hide", name) && Visible(name, false); }
    bool OpenWindow(const char* name) override { return Did("open", name) && Visible(name, true); }
    bool CenterWindow(const char* name) override { return Did("centre", name); }
    bool CreateWindow(const char* name, bool hidden) override {
        if (!name || !m_classes.count(name) || FindWindowByName(name)) return false;
        Add(name);
        m_calls.push_back(std::string(hidden ? "make hidden " : "make ") + name);
        if (!hidden) m_visible.insert(name);
        return true;
    }

    // The record ids waiting in a window's port (oldest first).
    std::vector<uint32_t> Waiting(const std::string& name) {
        std::vector<uint32_t> ids;
        if (CMsgObject* window = FindWindowByName(name.c_str()))
            for (CListNode* n = window->GetPort()->Messages().First();
                 n != window->GetPort()->Messages().End(); n = n->Next())
                ids.push_back(static_cast<CMsg*>(n)->m_eventId);
        return ids;
    }
    std::string Describe() {
        std::ostringstream out;
        for (const auto& [name, window] : m_windows) {
            out << name << ":";
            for (uint32_t id : Waiting(name)) out << id << ",";
            out << " ";
        }
        out << "manager:" << m_managerPort.Count() << " all:";
        for (uint32_t id : m_toAll) out << id << ",";
        for (const std::string& call : m_calls) out << " " << call << ";";
        out << " visible:";
        for (const std::string& name : m_visible) out << name << ",";
        return out.str();
    }
    // The record ids waiting in the window manager's port (oldest first).
    std::vector<uint32_t> WaitingAtManager() {
        std::vector<uint32_t> ids;
        for (CListNode* n = m_managerPort.Messages().First(); n != m_managerPort.Messages().End();
             n = n->Next())
            ids.push_back(static_cast<CMsg*>(n)->m_eventId);
        return ids;
    }

    std::map<std::string, std::unique_ptr<CMsgObject>> m_windows;
    // Child windows (found only among all windows).
    std::map<std::string, std::unique_ptr<CMsgObject>> m_children;
    std::set<std::string> m_visible;
    // Identifiers with a registered window class.
    std::set<std::string> m_classes;
    std::vector<std::string> m_calls;
    CMsgPort m_managerPort;
    std::vector<uint32_t> m_toAll;

private:
    bool Visible(const char* name, bool visible) {
        if (visible)
            m_visible.insert(name);
        else
            m_visible.erase(name);
        return true;
    }
    bool Did(const char* what, const char* name) {
        if (!FindWindowByName(name)) return false;
        m_calls.push_back(std::string(what) + " " + name);
        return true;
    }
};

class RecordingBoxes : public IServerMessageBoxes {
public:
    void ShowNotice(const char* text) override { m_shown.push_back(std::string("notice:") + text); }
    void AskToOpenPage(const char* text, const char* address) override {
        m_shown.push_back(std::string("ask:") + text + "|" + address);
    }
    void ShowKeptNotice(const char* text) override { m_shown.push_back(std::string("kept:") + text); }
    void ShowAutoHideNotice(const char* text) override { m_shown.push_back(std::string("hiding:") + text); }
    void AskServer(uint32_t id, const char* text, const char* ok, const char* cancel) override {
        m_shown.push_back("server:" + std::to_string(id) + "|" + text + "|" + ok + "|" + cancel);
    }
    void ShowNamedNotice(const char* name, const char* text) override {
        if (m_open.count(name)) return;
        m_open.insert(name);
        m_shown.push_back(std::string("named:") + name + "|" + text);
    }
    // Boxes of a name that are open.
    std::set<std::string> m_open;
    std::string Describe() const {
        std::string out;
        for (const auto& s : m_shown) out += s + " ";
        return out;
    }
    std::vector<std::string> m_shown;
};

}  // namespace nettest
