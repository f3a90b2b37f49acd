#include "platform/crash_dump.h"

#include <execinfo.h>
#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>

namespace plat {
namespace {

constexpr int kSignals[] = {SIGSEGV, SIGBUS, SIGFPE, SIGILL, SIGABRT};
constexpr int kSignalCount = int(sizeof(kSignals) / sizeof(kSignals[0]));

char g_dumpName[256];
bool g_everInstalled = false;
bool g_installed = false;
struct sigaction g_previous[kSignalCount];

// Signal-safe writers.
void WriteText(int fd, const char* text) {
    size_t len = strlen(text);
    while (len > 0) {
        ssize_t n = write(fd, text, len);
        if (n <= 0) return;
        text += n;
        len -= size_t(n);
    }
}

void WriteNumber(int fd, uint64_t value, unsigned base) {
    char buf[32];
    int pos = int(sizeof(buf)) - 1;
    buf[pos] = '\0';
    do {
        unsigned digit = unsigned(value % base);
        buf[--pos] = char(digit < 10 ? '0' + digit : 'a' + digit - 10);
        value /= base;
    } while (value != 0 && pos > 0);
    WriteText(fd, buf + pos);
}

const char* SignalName(int sig) {
    switch (sig) {
        case SIGSEGV:
            return "SIGSEGV";
        case SIGBUS:
            return "SIGBUS";
        case SIGFPE:
            return "SIGFPE";
        case SIGILL:
            return "SIGILL";
        case SIGABRT:
            return "SIGABRT";
        default:
            return "signal";
    }
}

void RestorePrevious(int sig) {
    for (int i = 0; i < kSignalCount; ++i)
        if (kSignals[i] == sig) sigaction(sig, &g_previous[i], nullptr);
}

void OnFatalSignal(int sig, siginfo_t* info, void*) {
    int fd = open(g_dumpName, O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd >= 0) {
        WriteText(fd, "Quillmarrow crash dump\nsignal: ");
        WriteNumber(fd, uint64_t(sig), 10);
        WriteText(fd, " (");
        WriteText(fd, SignalName(sig));
        WriteText(fd, ")\naddress: 0x");
        WriteNumber(fd, uint64_t(uintptr_t(info ? info->si_addr : nullptr)), 16);
        WriteText(fd, "\nbacktrace:\n");
        void* frames[64];
        int count = backtrace(frames, 64);
        backtrace_symbols_fd(frames, count, fd);
        close(fd);
    }
    // Die the way the process would have without us: the earlier handler (or
    // the default action) runs when the signal comes again on return.
    RestorePrevious(sig);
    if (!info || info->si_code <= 0) raise(sig);  // sent by kill/raise: send it again
}

void RemoveAtExit() {
    RemoveCrashDumpHandler();
}

}  // namespace

bool InstallCrashDumpHandler(std::string_view dumpName) {
    if (g_everInstalled) return false;
    g_everInstalled = true;
    size_t len = dumpName.size() < sizeof(g_dumpName) - 1 ? dumpName.size() : sizeof(g_dumpName) - 1;
    memcpy(g_dumpName, dumpName.data(), len);
    g_dumpName[len] = '\0';

    // backtrace() loads its unwinder on first use; do that now, not in the handler.
    void* warm[2];
    backtrace(warm, 2);

    // A stack overflow needs a stack of its own to report on.
    stack_t current{};
    if (sigaltstack(nullptr, &current) == 0 && (current.ss_flags & SS_DISABLE)) {
        static char altStack[64 * 1024];
        stack_t ss{};
        ss.ss_sp = altStack;
        ss.ss_size = sizeof(altStack);
        sigaltstack(&ss, nullptr);
    }

    struct sigaction action {};
    action.sa_sigaction = OnFatalSignal;
    action.sa_flags = SA_SIGINFO | SA_ONSTACK;
    sigemptyset(&action.sa_mask);
    for (int i = 0; i < kSignalCount; ++i) sigaction(kSignals[i], &action, &g_previous[i]);
    g_installed = true;
    atexit(RemoveAtExit);
    return true;
}

void RemoveCrashDumpHandler() {
    if (!g_installed) return;
    for (int i = 0; i < kSignalCount; ++i) sigaction(kSignals[i], &g_previous[i], nullptr);
    g_installed = false;
}

bool IsCrashDumpHandlerInstalled() {
    return g_installed;
}

const char* CrashDumpName() {
    return g_dumpName;
}

}  // namespace plat
