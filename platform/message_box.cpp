#include "platform/message_box.h"

#include <SDL.h>
#include <strings.h>

#include <cstdlib>

#include "platform/codepage.h"

namespace plat {
namespace {

bool IsHeadlessDriver(const char* name) {
    return name && (strcasecmp(name, "dummy") == 0 || strcasecmp(name, "offscreen") == 0);
}

bool NonEmptyEnv(const char* name) {
    const char* value = std::getenv(name);
    return value && *value;
}

// Shows the box through SDL when there is a display, else writes its line.
class SystemMessageBox : public IMessageBoxService {
public:
    int Show(std::string_view caption, std::string_view text, unsigned type) override {
        if (HasDisplay()) {
            int answer = 0;
            if (ShowSdl(caption, text, type, &answer)) return answer;
        }
        return m_console.Show(caption, text, type);
    }

private:
    static bool ShowSdl(std::string_view caption, std::string_view text, unsigned type, int* answer) {
        std::string title = ToUtf8(caption);
        std::string message = ToUtf8(text);
        SDL_MessageBoxButtonData buttons[2] = {};
        int count = 0;
        if (type == MB_RETRYCANCEL) {
            buttons[0] = {SDL_MESSAGEBOX_BUTTON_RETURNKEY_DEFAULT, IDRETRY, "Retry"};
            buttons[1] = {SDL_MESSAGEBOX_BUTTON_ESCAPEKEY_DEFAULT, IDCANCEL, "Cancel"};
            count = 2;
        } else {
            buttons[0] = {SDL_MESSAGEBOX_BUTTON_RETURNKEY_DEFAULT | SDL_MESSAGEBOX_BUTTON_ESCAPEKEY_DEFAULT,
                          IDOK, "OK"};
            count = 1;
        }
        SDL_MessageBoxData data{};
        data.flags = SDL_MESSAGEBOX_INFORMATION;
        data.title = title.c_str();
        data.message = message.c_str();
        data.numbuttons = count;
        data.buttons = buttons;
        int pressed = -1;
        if (SDL_ShowMessageBox(&data, &pressed) != 0) return false;
        // Closing the box without a button is the default answer.
        *answer = pressed < 0 ? DefaultAnswer(type) : pressed;
        return true;
    }

    ConsoleMessageBox m_console{stderr};
};

SystemMessageBox g_systemBox;
IMessageBoxService* g_service = &g_systemBox;

}  // namespace

int DefaultAnswer(unsigned type) {
    return type == MB_RETRYCANCEL ? IDCANCEL : IDOK;
}

IMessageBoxService& MessageBoxService() {
    return *g_service;
}

IMessageBoxService* SetMessageBoxService(IMessageBoxService* service) {
    IMessageBoxService* previous = g_service == &g_systemBox ? nullptr : g_service;
    g_service = service ? service : &g_systemBox;
    return previous;
}

int MessageBox(std::string_view text, std::string_view caption, unsigned type) {
    return g_service->Show(caption, text, type);
}

int MessageBox(const char* text, const char* caption, unsigned type) {
    return MessageBox(std::string_view(text ? text : ""), std::string_view(caption ? caption : "Error"),
                      type);
}

bool HasDisplay() {
    if (IsHeadlessDriver(std::getenv("SDL_VIDEODRIVER"))) return false;
    if (SDL_WasInit(SDL_INIT_VIDEO) && IsHeadlessDriver(SDL_GetCurrentVideoDriver())) return false;
    return NonEmptyEnv("DISPLAY") || NonEmptyEnv("WAYLAND_DISPLAY");
}

std::string MessageBoxLine(std::string_view caption, std::string_view text) {
    std::string line = ToUtf8(caption);
    line += ": ";
    line += ToUtf8(text);
    // One line: CR LF or a lone CR or LF becomes one space.
    std::string out;
    out.reserve(line.size() + 1);
    for (size_t i = 0; i < line.size(); ++i) {
        char c = line[i];
        if (c == '\r' || c == '\n') {
            if (c == '\r' && i + 1 < line.size() && line[i + 1] == '\n') ++i;
            out.push_back(' ');
        } else {
            out.push_back(c);
        }
    }
    out.push_back('\n');
    return out;
}

int ConsoleMessageBox::Show(std::string_view caption, std::string_view text, unsigned type) {
    std::string line = MessageBoxLine(caption, text);
    if (m_out) {
        std::fwrite(line.data(), 1, line.size(), m_out);
        std::fflush(m_out);
    }
    return DefaultAnswer(type);
}

int MessageBoxRecorder::Show(std::string_view caption, std::string_view text, unsigned type) {
    m_boxes.push_back(Box{std::string(caption), std::string(text), type});
    if (m_answers.empty()) return DefaultAnswer(type);
    int answer = m_answers.front();
    m_answers.pop_front();
    return answer;
}

}  // namespace plat
