// Modal message boxes: OK and Retry/Cancel, with a caption and a text in the
// game's code page. The system service shows them through SDL when there is a
// display; without one (SDL's dummy video driver, or no X11/Wayland display) it
// writes the line "caption: text" in UTF-8 to standard error and returns the
// default answer. Tests install a recorder that keeps the boxes and answers them.
#pragma once
#include <cstdio>
#include <deque>
#include <string>
#include <string_view>
#include <vector>

namespace plat {

// Box types and answers, with the values the game code knows.
constexpr unsigned MB_OK = 0x0;
constexpr unsigned MB_RETRYCANCEL = 0x5;
constexpr int IDOK = 1;
constexpr int IDCANCEL = 2;
constexpr int IDRETRY = 4;

// The answer a box gives when nobody can answer it: OK, or Cancel for Retry/Cancel.
int DefaultAnswer(unsigned type);

class IMessageBoxService {
public:
    virtual ~IMessageBoxService() = default;
    // Shows the box and returns the answer (IDOK, IDRETRY or IDCANCEL).
    virtual int Show(std::string_view caption, std::string_view text, unsigned type) = 0;
};

// The service in use: the system one unless another was installed.
IMessageBoxService& MessageBoxService();
// Installs a service (not owned); null restores the system one. Returns the previous one.
IMessageBoxService* SetMessageBoxService(IMessageBoxService* service);

// Shows a box through the service in use. The argument order is that of the
// Win32 call the game code is written against: text first, then caption.
int MessageBox(std::string_view text, std::string_view caption, unsigned type = MB_OK);
// The same for C strings: a null text is empty and a null caption reads "Error".
int MessageBox(const char* text, const char* caption, unsigned type = MB_OK);

// True when a box can be shown on a screen: SDL's video driver is not the dummy
// (or offscreen) one and an X11 or Wayland display is named.
bool HasDisplay();

// The one line a box without a display writes: "caption: text" converted to
// UTF-8, line breaks folded to spaces, ending in '\n'.
std::string MessageBoxLine(std::string_view caption, std::string_view text);

// Writes each box as its line to a stream and gives the default answer.
class ConsoleMessageBox : public IMessageBoxService {
public:
    explicit ConsoleMessageBox(FILE* out = stderr) : m_out(out) {}
    int Show(std::string_view caption, std::string_view text, unsigned type) override;

private:
    FILE* m_out;
};

// Keeps every box shown and answers from a queue of scripted answers; once the
// queue is empty each box gets its default answer.
class MessageBoxRecorder : public IMessageBoxService {
public:
    struct Box {
        std::string caption;
        std::string text;
        unsigned type = MB_OK;
    };

    int Show(std::string_view caption, std::string_view text, unsigned type) override;

    void QueueAnswer(int answer) { m_answers.push_back(answer); }
    const std::vector<Box>& Boxes() const { return m_boxes; }
    void Clear() { m_boxes.clear(); }

private:
    std::vector<Box> m_boxes;
    std::deque<int> m_answers;
};

// A recorder installed for the lifetime of the guard; the previous service is
// restored afterwards.
class ScopedMessageBoxRecorder : public MessageBoxRecorder {
public:
    ScopedMessageBoxRecorder() : m_previous(SetMessageBoxService(this)) {}
    ~ScopedMessageBoxRecorder() override { SetMessageBoxService(m_previous); }
    ScopedMessageBoxRecorder(const ScopedMessageBoxRecorder&) = delete;
    ScopedMessageBoxRecorder& operator=(const ScopedMessageBoxRecorder&) = delete;

private:
    IMessageBoxService* m_previous;
};

}  // namespace plat
