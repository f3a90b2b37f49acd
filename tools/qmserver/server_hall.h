// What the local server keeps of its clients and plays with them, without
// the sockets: a connection is opened with the address the client dialled,
// takes the bytes that came, and leaves the bytes to send in its output. The
// server's thread (CQmServer) moves the bytes; tests and the fuzz target drive
// a hall directly.
#pragma once
#include <cstddef>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "tools/qmserver/server_world.h"

// Hostile mode: honest up to a phase (the log-in: the first request of a
// connection; the field: the map is ready), then for the time given a few
// hundred frames a second of what a broken or malicious server might send.
struct CHostilePlan {
    uint32_t seconds = 0;  // 0: never hostile
    bool fromField = true;
    uint32_t seed = 1;
};

struct CHostileReport {
    bool started = false, ended = false;
    uint32_t msRun = 0;
    uint64_t frames = 0, bytes = 0;
    bool stayedConnected = false;  // the first client reached is still connected at the end
    uint32_t comebacks = 0;        // times a client reached the phase again meanwhile
};

class CServerHall {
public:
    static constexpr uint32_t HOSTILE_FRAMES_PER_SECOND = 300;
    static constexpr size_t HOSTILE_OUTPUT_LIMIT = 256 * 1024;
    static constexpr size_t MAX_JUNK = 64 * 1024;
    static constexpr size_t MAX_OUTPUT = 1024 * 1024;
    static constexpr int MAX_BAD_FRAMES = 3;
    static constexpr uint32_t WALK_INTERVAL_MS = 1000;
    static constexpr uint32_t TIME_INTERVAL_MS = 60000;
    static constexpr uint8_t WALK_SPEED = 120;
    static constexpr uint32_t FIRST_CHAR_ID = 1000;
    static constexpr uint32_t FIRST_WALKER_ID = 500000;
    static constexpr uint32_t FIRST_OBJECT_ID = 600000;
    // The address the server names for itself, 127.0.1.2 in network order
    // (sent as a big-endian number of that value: the bytes 2, 1, 0, 127).
    static uint32_t OwnAddress();

    using LogSink = std::function<void(const std::string&)>;
    CServerHall(CServerWorld world, uint16_t port, uint32_t seed, LogSink log);
    ~CServerHall();
    CServerHall(const CServerHall&) = delete;
    CServerHall& operator=(const CServerHall&) = delete;

    // A new connection from a client that dialled addressNet; its greeting is
    // in its output at once. Returns its id.
    int Open(uint32_t addressNet);
    // Bytes the client sent.
    void Receive(int id, const uint8_t* data, size_t size);
    // The client hung up (or is dropped): the others see it leave.
    void Close(int id);
    // The bytes waiting to be sent; Sent drops the first count of them.
    const std::vector<uint8_t>& Output(int id) const;
    void Sent(int id, size_t count);
    // The connection is to be closed (bad frames, too much output).
    bool Closing(int id) const;
    // Walkers step and the time goes out when due (nowMs counts up from any start).
    void Tick(uint32_t nowMs);
    size_t Connections() const { return m_connections.size(); }
    // A notice line (message 10, kind 4) to every client in the field.
    void Announce(const std::string& text);

    // For the features (hall_feature.h): the world, the clients, sending and the log.
    const CServerWorld& World() const { return m_world; }
    std::mt19937& Random() { return m_random; }
    // A message to one client, to every client in the field but one (null:
    // all), or to every client in the field.
    void Send(CHallClient& c, const std::vector<uint8_t>& message);
    void ToOthers(const CHallClient* c, const std::vector<uint8_t>& message);
    void ToAll(const std::vector<uint8_t>& message) { ToOthers(nullptr, message); }
    // A request taken, as "<- NAME note" in the log (NAME as "61/20").
    void LogRequest(const CHallClient& c, const std::string& name, const std::string& note = std::string());
    void Log(const CHallClient& c, const std::string& text);
    // The map change (21) to the world's map, then the client's own character
    // on its tile (c.x, c.y) and its position.
    void SendOwnCharAfterMapChange(CHallClient& c);
    // The clients in the field (map ready), and one by character name or id.
    std::vector<CHallClient*> ClientsInField();
    CHallClient* FindClient(const std::string& name);
    CHallClient* FindClientByCharId(uint32_t charId);
    // Ids the server hands to objects of its own (bots, NPCs of features).
    uint32_t NewObjectId() { return m_nextObjectId++; }
    // The server hangs up on the client (its connection is closed as soon as
    // the server's thread gets to it).
    void Drop(CHallClient& c);
    // The walkers of the world file (n from 0): where one stands, and one
    // leaving the view of everyone in the field (message 14; it no longer
    // walks and is not shown to those who come) or coming back (message 7).
    size_t WalkerCount() const { return m_walkers.size(); }
    bool WalkerAt(size_t n, uint16_t* x, uint16_t* y) const;
    void WalkerLeaves(size_t n);
    void WalkerReturns(size_t n);
    bool WalkerAway(size_t n) const { return n < m_walkers.size() && m_walkers[n].away; }

    void SetHostile(const CHostilePlan& plan);
    const CHostileReport& HostileReport() const { return m_hostileReport; }

    struct Connection;

private:
    Connection* Find(int id) const;
    void SendTo(Connection& c, const std::vector<uint8_t>& message);
    // Handles one request; false when it was cut short.
    bool Request(Connection& c, const std::vector<uint8_t>& message);
    void SendCharList(Connection& c);
    void EnterField(Connection& c, const std::string& name);
    void MapReady(Connection& c);
    void Moved(Connection& c, uint16_t x, uint16_t y);
    std::vector<uint8_t> Appearance(const Connection& c) const;
    std::string NewKey();
    void ReachedPhase(Connection& c);
    void HostileTick(uint32_t nowMs);
    std::vector<uint8_t> HostileFrame(Connection& c);
    std::vector<uint8_t> HostileFieldValues();

    CServerWorld m_world;
    std::vector<std::unique_ptr<CHallFeature>> m_features;
    uint32_t m_nextObjectId = FIRST_OBJECT_ID;
    uint16_t m_port;
    LogSink m_log;
    std::mt19937 m_random;
    std::map<int, std::unique_ptr<Connection>> m_connections;
    int m_nextId = 1;
    uint32_t m_nextCharId = FIRST_CHAR_ID;
    std::map<std::string, uint16_t> m_tickets;  // key handed out -> client version
    std::set<std::string> m_hostileTickets;     // keys handed out by hostile server changes
    struct Walker {
        size_t at = 0;
        uint16_t x = 0, y = 0;
        bool away = false;
    };
    std::vector<uint8_t> WalkersInView(uint16_t clientVersion, size_t only) const;
    std::vector<Walker> m_walkers;
    CHostilePlan m_hostile;
    CHostileReport m_hostileReport;
    std::mt19937 m_hostileRandom;
    int m_hostileFirst = 0;
    std::vector<uint8_t> m_hostileCodes;  // the codes the client reads
    size_t m_hostileCodeAt = 0;           // the next of them to get a body of extreme values
    uint32_t m_hostileStart = 0, m_hostileLast = 0;
    bool m_ticked = false;
    uint32_t m_lastWalk = 0, m_lastTime = 0;
};
