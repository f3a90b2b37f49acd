#include "core/error_box.h"

#include <cstdio>
#include <cstring>
#include <string_view>

#include "platform/codepage.h"
#include "platform/message_box.h"

namespace {

ErrorBoxHooks g_hooks;
MessageWinSink g_messageWinSink;

}  // namespace

std::string FormatCut(size_t maxBytes, const char* format, va_list args) {
    if (!format) return std::string();
    va_list copy;
    va_copy(copy, args);
    int needed = std::vsnprintf(nullptr, 0, format, copy);
    va_end(copy);
    if (needed <= 0) return std::string();
    std::string text(size_t(needed) + 1, '\0');
    std::vsnprintf(text.data(), text.size(), format, args);
    text.resize(size_t(needed));
    text.resize(plat::DbcsPrefixLength(text, maxBytes));
    return text;
}

ErrorBoxHooks& GetErrorBoxHooks() {
    return g_hooks;
}

int Z5MessageBox(const char* format, va_list args) {
    std::string text = FormatCut(kErrorTextMax, format, args);
    return plat::MessageBox(text, kErrorBoxCaption, plat::MB_OK);
}

void ReportError(const char* format, ...) {
    if (g_hooks.restoreBrightness) g_hooks.restoreBrightness();
    if (g_hooks.isFullScreen && g_hooks.minimizeMainWindow && g_hooks.isFullScreen()) {
        g_hooks.minimizeMainWindow();
    }
    va_list args;
    va_start(args, format);
    Z5MessageBox(format, args);
    va_end(args);
}

void SetMessageWinSink(MessageWinSink sink) {
    g_messageWinSink = std::move(sink);
}

bool HasMessageWinSink() {
    return bool(g_messageWinSink);
}

void ShowMessageWin(uint32_t kind, const char* format, va_list args) {
    std::string text = FormatCut(kErrorTextMax, format, args);
    // No message window, no message.
    if (!g_messageWinSink) return;
    auto record = std::make_unique<CMessageWinRecord>();
    record->kind = kind;
    size_t length = plat::DbcsPrefixLength(text, kMessageWinTextMax);
    std::memcpy(record->text, text.data(), length);
    record->text[length] = '\0';
    g_messageWinSink(std::move(record));
}

void ShowMessageWinF(uint32_t kind, const char* format, ...) {
    if (kind == 0) return;
    va_list args;
    va_start(args, format);
    ShowMessageWin(kind, format, args);
    va_end(args);
}
