#include "platform/url.h"

#include <spawn.h>
#include <sys/wait.h>

#include <thread>

#include "platform/paths.h"

extern char** environ;

namespace plat {

namespace {

SystemUrlOpener g_systemOpener;
IUrlOpener* g_opener = nullptr;

}  // namespace

IUrlOpener& UrlOpener() {
    return g_opener ? *g_opener : g_systemOpener;
}

IUrlOpener* SetUrlOpener(IUrlOpener* opener) {
    IUrlOpener* previous = g_opener;
    g_opener = opener;
    return previous;
}

bool IsWebAddress(std::string_view url) {
    auto startsWith = [url](std::string_view scheme) {
        return url.size() >= scheme.size() && EqualsNoCase(url.substr(0, scheme.size()), scheme);
    };
    if (!startsWith("http://") && !startsWith("https://")) return false;
    for (char ch : url) {
        unsigned char c = static_cast<unsigned char>(ch);
        if (c < 0x20 || c == 0x7F) return false;
    }
    return true;
}

bool OpenUrl(std::string_view url) {
    if (url.empty() || url.front() == '-' || url.find('\0') != std::string_view::npos) return false;
    return UrlOpener().Open(url);
}

bool SystemUrlOpener::Open(std::string_view url) {
    std::string program = "xdg-open";
    std::string argument(url);
    char* argv[] = {program.data(), argument.data(), nullptr};
    pid_t pid = 0;
    if (::posix_spawnp(&pid, program.c_str(), nullptr, nullptr, argv, environ) != 0) return false;
    // The browser may outlive the wait; the child is reaped without holding the game up.
    std::thread([pid] { ::waitpid(pid, nullptr, 0); }).detach();
    return true;
}

}  // namespace plat
