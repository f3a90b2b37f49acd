#include "core/error_box.h"

#include <cstdio>
#include <cstring>
#include <string_view>

#include "platform/codepage.h"
#include "platform/message_box.h"

namespace {

IErrorBoxHost* g_host = nullptr;
IMessageWinSink* g_messageWinSink = nullptr;

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

void SetErrorBoxHost(IErrorBoxHost* host) {
    g_host = host;
}

IErrorBoxHost* GetErrorBoxHost() {
    return g_host;
}

int Z5MessageBox(const char* format, va_list args) {
    std::string text = FormatCut(kErrorTextMax, format, args);
    return plat::MessageBox(text, kErrorBoxCaption, plat::MB_OK);
}

void ReportError(const char* format, ...) {
    if (g_host) {
        g_host->RestoreBrightness();
        if (g_host->IsFullScreen()) g_host->MinimizeMainWindow();
    }
    va_list args;
    va_start(args, format);
    Z5MessageBox(format, args);
    va_end(args);
}

void SetMessageWinSink(IMessageWinSink* sink) {
    g_messageWinSink = sink;
}

IMessageWinSink* GetMessageWinSink() {
    return g_messageWinSink;
}

void ShowMessageWin(uint32_t kind, const char* format, va_list args) {
    std::string text = FormatCut(kErrorTextMax, format, args);
    // No message window, no message.
    if (!g_messageWinSink) return;
    auto record = std::make_unique<CChatLineMsg>();
    record->Set(kind, text.c_str());
    g_messageWinSink->Deliver(std::move(record));
}

void CChatLineMsg::Set(uint32_t kind, const char* text, uint8_t flag1, uint8_t flag2) {
    m_kind = kind;
    std::memset(m_text, 0, sizeof m_text);
    CopyRecordText(m_text, text);
    m_flags[0] = flag1;
    m_flags[1] = flag2;
}

void ShowMessageWinF(uint32_t kind, const char* format, ...) {
    if (kind == 0) return;
    va_list args;
    va_start(args, format);
    ShowMessageWin(kind, format, args);
    va_end(args);
}
