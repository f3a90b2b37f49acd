// The local server's thread: it polls its listeners on one port of
// 127.0.0.1 and of the address it names for itself (127.0.1.2) and up to
// MAX_CLIENTS clients, and
// moves their bytes to and from a CServerHall, which plays the conversation.
#pragma once
#include <atomic>
#include <cstdint>
#include <cstdio>
#include <deque>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "tools/qmserver/server_hall.h"
#include "tools/qmserver/server_world.h"

class CQmServer {
public:
    static constexpr size_t MAX_CLIENTS = 64;
    static constexpr int POLL_MS = 10;
    static constexpr size_t MAX_LOG_LINES = 100000;

    explicit CQmServer(CServerWorld world, uint32_t seed = 1);
    ~CQmServer();
    CQmServer(const CQmServer&) = delete;
    CQmServer& operator=(const CQmServer&) = delete;

    // Listens on the two addresses at port (0: a free one) and starts the
    // thread; false with the reason in *error.
    bool Start(uint16_t port, std::string* error);
    // Stops the thread and closes every socket.
    void Stop();
    uint16_t Port() const { return m_port; }

    // Each request and message as a log line goes to the file (not owned;
    // null: none) and to the lines kept (the latest MAX_LOG_LINES).
    void SetLogFile(FILE* file) { m_logFile = file; }
    std::vector<std::string> LogLines() const;
    // Whether a line kept holds text.
    bool Logged(const std::string& text) const;
    // Hostile mode (set before Start) and how it went so far.
    void SetHostile(const CHostilePlan& plan) { m_hostile = plan; }
    CHostileReport HostileReport() const;

    // Clients connected now.
    size_t ClientCount() const { return m_clientCount.load(); }
    // A notice line to every client in the field, sent by the server's thread.
    void Announce(const std::string& text);
    // A message (code first) to every client in the field, sent by the
    // server's thread.
    void SendToField(std::vector<uint8_t> message);

private:
    void Run();
    void Log(const std::string& line);

    CServerWorld m_world;
    uint32_t m_seed;
    std::unique_ptr<CServerHall> m_hall;
    std::vector<int> m_listeners;
    std::thread m_thread;
    std::atomic<bool> m_stop{false};
    std::atomic<size_t> m_clientCount{0};
    uint16_t m_port = 0;
    FILE* m_logFile = nullptr;
    mutable std::mutex m_logMutex;
    std::deque<std::string> m_log;  // the latest lines
    CHostilePlan m_hostile;
    CHostileReport m_hostileReport;  // under m_logMutex
    std::mutex m_announceMutex;
    std::vector<std::string> m_announcements;           // under m_announceMutex
    std::vector<std::vector<uint8_t>> m_fieldMessages;  // under m_announceMutex
};
