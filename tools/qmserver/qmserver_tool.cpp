#include "tools/qmserver/qmserver_tool.h"

#include <atomic>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <thread>

#include "tools/qmserver/qm_server.h"

namespace {

std::atomic<bool> g_stopRequested{false};

void OnSignal(int) {
    g_stopRequested = true;
}

int Usage(FILE* err) {
    std::fprintf(err,
                 "usage: qmserver [--port N] [--world FILE] [--log FILE] [--seed N]\n"
                 "                [--hostile SECONDS [--from login|field]]\n");
    return 2;
}

}  // namespace

int RunQmserverTool(const std::vector<std::string>& args, FILE* out, FILE* err) {
    uint32_t port = 40000, seed = 1, hostileSeconds = 0;
    std::string worldPath, logPath, from = "field";
    bool hostile = false;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& option = args[i];
        const bool hasValue = i + 1 < args.size();
        if (option == "--port" && hasValue && ReadServerNumber(args[i + 1], 65535, &port)) {
            ++i;
        } else if (option == "--world" && hasValue) {
            worldPath = args[++i];
        } else if (option == "--log" && hasValue) {
            logPath = args[++i];
        } else if (option == "--seed" && hasValue && ReadServerNumber(args[i + 1], 0xFFFFFFFFu, &seed)) {
            ++i;
        } else if (option == "--hostile" && hasValue &&
                   ReadServerNumber(args[i + 1], 86400, &hostileSeconds)) {
            hostile = true;
            ++i;
        } else if (option == "--from" && hasValue && (args[i + 1] == "login" || args[i + 1] == "field")) {
            from = args[++i];
        } else {
            return Usage(err);
        }
    }
    CServerWorld world = CServerWorld::Default();
    if (!worldPath.empty()) {
        std::ifstream file(worldPath, std::ios::binary);
        if (!file) {
            std::fprintf(err, "qmserver: cannot read %s\n", worldPath.c_str());
            return 1;
        }
        std::ostringstream text;
        text << file.rdbuf();
        std::string error;
        std::optional<CServerWorld> parsed = CServerWorld::Parse(text.str(), &error);
        if (!parsed) {
            std::fprintf(err, "qmserver: %s: %s\n", worldPath.c_str(), error.c_str());
            return 1;
        }
        world = std::move(*parsed);
    }
    FILE* log = nullptr;
    if (!logPath.empty()) {
        log = std::fopen(logPath.c_str(), "w");
        if (!log) {
            std::fprintf(err, "qmserver: cannot write %s\n", logPath.c_str());
            return 1;
        }
    }
    CQmServer server(std::move(world), seed);
    server.SetLogFile(log);
    if (hostile) server.SetHostile(CHostilePlan{hostileSeconds, from == "field", seed});
    std::string error;
    if (!server.Start(uint16_t(port), &error)) {
        std::fprintf(err, "qmserver: %s\n", error.c_str());
        if (log) std::fclose(log);
        return 1;
    }
    std::fprintf(out, "qmserver listening on 127.0.0.1:%u\n", unsigned(server.Port()));
    std::fflush(out);
    g_stopRequested = false;
    std::signal(SIGINT, OnSignal);
    std::signal(SIGTERM, OnSignal);
    while (!g_stopRequested && !(hostile && server.HostileReport().ended))
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    server.Stop();
    if (hostile) {
        const CHostileReport report = server.HostileReport();
        if (!report.started) {
            std::fprintf(out, "hostile: no client reached the %s\n", from.c_str());
        } else {
            std::fprintf(out, "hostile: %u s, %llu frames, %llu bytes sent; ", unsigned(report.msRun / 1000),
                         static_cast<unsigned long long>(report.frames),
                         static_cast<unsigned long long>(report.bytes));
            if (report.stayedConnected)
                std::fprintf(out, "the client stayed connected\n");
            else
                std::fprintf(out, "the client came back %u times\n", unsigned(report.comebacks));
        }
    }
    if (log) std::fclose(log);
    return 0;
}
