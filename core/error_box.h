// The error box every error that reaches the user goes through, and the
// helper that hands a formatted text to the in-game message window "MSGWIN".
#pragma once
#include <cstdarg>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "core/message.h"
#include "platform/seam.h"

// Caption of the error box.
inline constexpr char kErrorBoxCaption[] = "Z5MessageBox";
// Longest text the error box shows, in bytes.
inline constexpr size_t kErrorTextMax = 511;
// Longest text a message-window record carries, in bytes.
inline constexpr size_t kMessageWinTextMax = 255;
// Event id of the message-window record and of the message carrying it.
inline constexpr uint32_t kMessageWinEventId = 87;

// Formats a printf-style text and cuts it to at most maxBytes bytes between
// characters of the code page (a double-byte character is never split).
std::string FormatCut(size_t maxBytes, const char* format, va_list args);

// Shows the text in the error box and returns when the user closed it: first
// the display's brightness is put back to normal, and a full-screen main window
// is minimised so that the box can be seen. At most 511 bytes are shown.
void ReportError(const char* format, ...) __attribute__((format(printf, 1, 2)));
// Formats the text (at most 511 bytes) and shows it in an OK box captioned
// "Z5MessageBox". Returns the box's answer.
int Z5MessageBox(const char* format, va_list args);

// What the error box needs of the display and the main window, installed by
// the graphics layer while the device set exists (absent: neither is done).
class IErrorBoxHost {
public:
    virtual ~IErrorBoxHost() = default;
    // Sets the primary surface's brightness back to normal.
    virtual void RestoreBrightness() = 0;
    // Whether the game runs full screen, and minimising the main window.
    virtual bool IsFullScreen() = 0;
    virtual void MinimizeMainWindow() = 0;
};
void SetErrorBoxHost(IErrorBoxHost* host);
IErrorBoxHost* GetErrorBoxHost();
using ScopedErrorBoxHost = plat::ScopedInstall<GetErrorBoxHost, SetErrorBoxHost>;

// 87: a chat line for the chat window "MSGWIN", the payload of a message with
// the same event id: the caller's kind, the text (at most 255 bytes,
// NUL-terminated) and two flag bytes.
class CChatLineMsg : public CMsgPayload {
public:
    static constexpr size_t TEXT_SIZE = kMessageWinTextMax + 1;
    CChatLineMsg() : CMsgPayload(kMessageWinEventId) {}
    // The text is cut between characters to fit.
    void Set(uint32_t kind, const char* text, uint8_t flag1 = 0, uint8_t flag2 = 0);
    uint32_t m_kind = 0;
    char m_text[TEXT_SIZE] = {};
    uint8_t m_flags[2] = {};
};

// Delivers a record to the "MSGWIN" window: the window layer installs it when
// it exists. It finds the window and posts the record, with event id 87, sender
// 0 and delay 0, through the global message queue to the window's port; no
// window, no message. Without a sink the text is dropped.
class IMessageWinSink {
public:
    virtual ~IMessageWinSink() = default;
    virtual void Deliver(std::unique_ptr<CChatLineMsg> record) = 0;
};
void SetMessageWinSink(IMessageWinSink* sink);
IMessageWinSink* GetMessageWinSink();
using ScopedMessageWinSink = plat::ScopedInstall<GetMessageWinSink, SetMessageWinSink>;

// Formats a text (at most 511 bytes) and hands it to the message window cut to
// 255 bytes.
void ShowMessageWin(uint32_t kind, const char* format, va_list args);
// The same, printf-style; does nothing at all for kind 0.
void ShowMessageWinF(uint32_t kind, const char* format, ...) __attribute__((format(printf, 2, 3)));
