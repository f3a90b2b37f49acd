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
        return out.str();
    }

private:
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
        return out.str();
    }

    std::map<std::string, std::unique_ptr<CMsgObject>> m_windows;
    CMsgPort m_managerPort;
    std::vector<uint32_t> m_toAll;
};

class RecordingBoxes : public IServerMessageBoxes {
public:
    void ShowNotice(const char* text) override { m_shown.push_back(std::string("notice:") + text); }
    void AskToOpenPage(const char* text, const char* address) override {
        m_shown.push_back(std::string("ask:") + text + "|" + address);
    }
    std::string Describe() const {
        std::string out;
        for (const auto& s : m_shown) out += s + " ";
        return out;
    }
    std::vector<std::string> m_shown;
};

}  // namespace nettest
