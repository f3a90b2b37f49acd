#include "app/autopilot.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cstdint>
#include <utility>

#include "platform/clock.h"
#include "platform/edit_control.h"
#include "platform/window.h"

namespace {

struct NamedKey {
    const char* name;
    int usage;
};
// USB HID usage ids of the named keys.
constexpr NamedKey kNamedKeys[] = {
    {"enter", 40},    {"escape", 41}, {"backspace", 42}, {"tab", 43},    {"space", 44},
    {"insert", 73},   {"home", 74},   {"pageup", 75},    {"delete", 76}, {"end", 77},
    {"pagedown", 78}, {"right", 79},  {"left", 80},      {"down", 81},   {"up", 82},
};

std::string Lower(std::string_view text) {
    std::string out(text);
    for (char& c : out) c = char(std::tolower(static_cast<unsigned char>(c)));
    return out;
}

bool ReadNumber(std::string_view word, int64_t low, int64_t high, int64_t* value) {
    int64_t v = 0;
    auto [end, ec] = std::from_chars(word.data(), word.data() + word.size(), v);
    if (ec != std::errc() || end != word.data() + word.size() || v < low || v > high) return false;
    *value = v;
    return true;
}

std::vector<std::string_view> Words(std::string_view line) {
    std::vector<std::string_view> words;
    size_t i = 0;
    while (i < line.size()) {
        while (i < line.size() && (line[i] == ' ' || line[i] == '\t')) ++i;
        size_t start = i;
        while (i < line.size() && line[i] != ' ' && line[i] != '\t') ++i;
        if (i > start) words.push_back(line.substr(start, i - start));
    }
    return words;
}

// Reads one line into *step; the reason when it is not a step.
std::string ReadStep(std::string_view line, AutopilotStep* step) {
    const std::vector<std::string_view> words = Words(line);
    const std::string_view verb = words[0];
    const size_t args = words.size() - 1;
    int64_t n = 0;
    // A wait's optional limit after its own arguments.
    auto limit = [&](size_t own) -> std::string {
        if (args == own) {
            step->limitMs = kDefaultWaitMs;
            return {};
        }
        if (args != own + 1) return "too many words";
        if (!ReadNumber(words[own + 1], 1, 3600000, &n)) return "bad time limit";
        step->limitMs = uint32_t(n);
        return {};
    };
    if (verb == "wait-scene") {
        step->op = AutopilotOp::WaitScene;
        if (args < 1 || !ReadNumber(words[1], 0, 65535, &n)) return "wait-scene needs a scene kind";
        step->a = int32_t(n);
        return limit(1);
    }
    if (verb == "wait-window") {
        step->op = AutopilotOp::WaitWindow;
        if (args < 1) return "wait-window needs a window identifier";
        step->text = std::string(words[1]);
        return limit(1);
    }
    if (verb == "wait-hidden") {
        step->op = AutopilotOp::WaitHidden;
        if (args < 1) return "wait-hidden needs a window identifier";
        step->text = std::string(words[1]);
        return limit(1);
    }
    if (verb == "wait-script") {
        step->op = AutopilotOp::WaitScript;
        if (args < 1) return "wait-script needs a script name";
        step->text = std::string(words[1]);
        return limit(1);
    }
    if (verb == "wait-player-moved") {
        step->op = AutopilotOp::WaitPlayerMoved;
        return limit(0);
    }
    if (verb == "wait-frames") {
        step->op = AutopilotOp::WaitFrames;
        if (args < 1 || !ReadNumber(words[1], 0, 1000000, &n)) return "wait-frames needs a frame count";
        step->a = int32_t(n);
        return limit(1);
    }
    if (verb == "key") {
        step->op = AutopilotOp::Key;
        if (args != 1) return "key needs one key name";
        step->text = std::string(words[1]);
        step->a = AutopilotKeyUsage(words[1]);
        if (step->a == 0) return "unknown key " + step->text;
        return {};
    }
    if (verb == "type") {
        step->op = AutopilotOp::Type;
        // The text is the rest of the line after one separating blank.
        const size_t at = line.find(verb) + verb.size();
        if (at >= line.size()) return "type needs text";
        step->text = std::string(line.substr(at + 1));
        if (step->text.empty()) return "type needs text";
        return {};
    }
    if (verb == "dclick") {
        step->op = AutopilotOp::DoubleClick;
        int64_t y = 0;
        if (args != 2 || !ReadNumber(words[1], 0, 32767, &n) || !ReadNumber(words[2], 0, 32767, &y))
            return std::string(verb) + " needs a point X Y";
        step->a = int32_t(n);
        step->b = int32_t(y);
        return {};
    }
    if (verb == "drag") {
        step->op = AutopilotOp::Drag;
        int64_t p[4] = {};
        for (int i = 0; i < 4; ++i)
            if (args != 4 || !ReadNumber(words[size_t(i) + 1], 0, 32767, &p[i]))
                return "drag needs two points X1 Y1 X2 Y2";
        step->a = int32_t(p[0]);
        step->b = int32_t(p[1]);
        step->c = int32_t(p[2]);
        step->d = int32_t(p[3]);
        return {};
    }
    if (verb == "click" || verb == "rclick" || verb == "move") {
        step->op = verb == "click"  ? AutopilotOp::Click
                   : verb == "move" ? AutopilotOp::Move
                                    : AutopilotOp::RightClick;
        int64_t y = 0;
        if (args != 2 || !ReadNumber(words[1], 0, 32767, &n) || !ReadNumber(words[2], 0, 32767, &y))
            return std::string(verb) + " needs a point X Y";
        step->a = int32_t(n);
        step->b = int32_t(y);
        return {};
    }
    if (verb == "wait-bag-item") {
        step->op = AutopilotOp::WaitBagItem;
        if (args < 1 || !ReadNumber(words[1], 0, 64, &n)) return "wait-bag-item needs a bag slot 0-64";
        step->a = int32_t(n);
        return limit(1);
    }
    if (verb == "wait-ground-items") {
        step->op = AutopilotOp::WaitGroundItems;
        if (args < 1 || !ReadNumber(words[1], 0, 100000, &n)) return "wait-ground-items needs an item count";
        step->a = int32_t(n);
        return limit(1);
    }
    if (verb == "drag-item") {
        step->op = AutopilotOp::DragItem;
        int64_t x = 0, y = 0;
        if (args != 3 || !ReadNumber(words[1], 0, 64, &n) || !ReadNumber(words[2], 0, 32767, &x) ||
            !ReadNumber(words[3], 0, 32767, &y))
            return "drag-item needs a bag slot 0-64 and a point X Y";
        step->text = std::string(words[1]);
        step->a = int32_t(x);
        step->b = int32_t(y);
        return {};
    }
    if (verb == "wait-player-hit") {
        step->op = AutopilotOp::WaitPlayerHit;
        return limit(0);
    }
    if (verb == "wait-char" || verb == "wait-char-gone") {
        step->op = verb == "wait-char" ? AutopilotOp::WaitChar : AutopilotOp::WaitCharGone;
        if (args < 1 || !ReadNumber(words[1], 0, UINT32_MAX, &n))
            return std::string(verb) + " needs a character id";
        step->a = int32_t(uint32_t(n));
        return limit(1);
    }
    if (verb == "click-ok") {
        step->op = AutopilotOp::ClickOk;
        if (args != 1) return "click-ok needs a message box identifier";
        step->text = std::string(words[1]);
        return {};
    }
    if (verb == "dump") {
        step->op = AutopilotOp::Dump;
        if (args != 1) return "dump needs one file";
        step->text = std::string(words[1]);
        return {};
    }
    if (verb == "sleep") {
        step->op = AutopilotOp::Sleep;
        if (args != 1 || !ReadNumber(words[1], 0, 3600000, &n)) return "sleep needs milliseconds";
        step->a = int32_t(n);
        return {};
    }
    if (verb == "quit") {
        step->op = AutopilotOp::Quit;
        if (args != 0) return "quit takes nothing";
        return {};
    }
    return "unknown step " + std::string(verb);
}

}  // namespace

int AutopilotKeyUsage(std::string_view name) {
    const std::string key = Lower(name);
    for (const NamedKey& named : kNamedKeys)
        if (key == named.name) return named.usage;
    if (key.size() == 1 && key[0] >= 'a' && key[0] <= 'z') return 4 + (key[0] - 'a');
    if (key.size() == 1 && key[0] >= '1' && key[0] <= '9') return 30 + (key[0] - '1');
    if (key == "0") return 39;
    int64_t f = 0;
    if (key.size() >= 2 && key[0] == 'f' && ReadNumber(std::string_view(key).substr(1), 1, 12, &f))
        return 58 + int(f - 1);
    return 0;
}

bool ReadAutopilotScript(std::string_view text, std::vector<AutopilotStep>* steps, std::string* error) {
    steps->clear();
    int lineNumber = 0;
    size_t pos = 0;
    while (pos < text.size()) {
        size_t end = text.find('\n', pos);
        if (end == std::string_view::npos) end = text.size();
        std::string_view line = text.substr(pos, end - pos);
        pos = end + 1;
        ++lineNumber;
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        const size_t first = line.find_first_not_of(" \t");
        if (first == std::string_view::npos || line[first] == '#') continue;
        line.remove_prefix(first);
        AutopilotStep step;
        step.line = lineNumber;
        const std::string reason = ReadStep(line, &step);
        if (!reason.empty()) {
            if (error) *error = "line " + std::to_string(lineNumber) + ": " + reason;
            steps->clear();
            return false;
        }
        steps->push_back(std::move(step));
    }
    return true;
}

CAutopilot::CAutopilot(std::vector<AutopilotStep> steps, IAutopilotWorld& world, FILE* log, FILE* errors)
    : m_steps(std::move(steps)), m_world(world), m_log(log), m_errors(errors) {}

void CAutopilot::Tick() {
    if (m_failed) return;
    uint32_t scene = 0;
    if (m_world.CurrentScene(&scene) && (!m_sceneKnown || scene != m_scene)) {
        m_sceneKnown = true;
        m_scene = scene;
        if (m_log) {
            std::fprintf(m_log, "autopilot scene %u frame %llu\n", unsigned(scene),
                         static_cast<unsigned long long>(plat::FrameCount()));
            std::fflush(m_log);
        }
    }
    Release next = Release::None;
    switch (m_release) {
        case Release::Key:
            plat::PostKeyEvent(m_releaseA, true, false, {});
            break;
        case Release::Button:
            plat::PostMessage(plat::WM_LBUTTONUP, 0, plat::MakeLParam(m_releaseA, m_releaseB));
            break;
        case Release::RightButton:
            plat::PostMessage(plat::WM_RBUTTONUP, 0, plat::MakeLParam(m_releaseA, m_releaseB));
            break;
        case Release::DragMove:
            // Held, the mouse goes to the drag's end; released there a frame later.
            plat::PostMessage(plat::WM_MOUSEMOVE, plat::MK_LBUTTON, plat::MakeLParam(m_releaseA, m_releaseB));
            next = Release::Button;
            break;
        case Release::Held:
            m_world.LetGo();
            break;
        case Release::None:
            break;
    }
    m_release = next;
    if (next != Release::None) return;
    while (m_next < m_steps.size() && !m_failed) {
        const AutopilotStep& step = m_steps[m_next];
        if (!m_started) {
            m_started = true;
            m_startMs = plat::timeGetTime();
            m_startFrame = plat::FrameCount();
        }
        const bool done = Run(step);
        if (m_failed) return;
        if (!done) return;  // waits, or posted input that takes a frame
        ++m_next;
        m_started = false;
        // Input takes a frame before the next step.
        if (step.op == AutopilotOp::Key || step.op == AutopilotOp::Type || step.op == AutopilotOp::Click ||
            step.op == AutopilotOp::RightClick || step.op == AutopilotOp::DoubleClick ||
            step.op == AutopilotOp::Drag || step.op == AutopilotOp::ClickOk || step.op == AutopilotOp::Move ||
            step.op == AutopilotOp::DragItem)
            return;
    }
}

bool CAutopilot::Run(const AutopilotStep& step) {
    switch (step.op) {
        case AutopilotOp::WaitScene: {
            uint32_t scene = 0;
            return Wait(step, m_world.CurrentScene(&scene) && scene == uint32_t(step.a), "the scene");
        }
        case AutopilotOp::WaitWindow:
            return Wait(step, m_world.IsWindowShown(step.text), "the window");
        case AutopilotOp::WaitHidden:
            return Wait(step, !m_world.IsWindowShown(step.text), "the window to hide");
        case AutopilotOp::WaitPlayerMoved: {
            int32_t x = 0, y = 0;
            const bool there = m_world.PlayerPosition(&x, &y);
            if (there && !m_playerKnown) {
                // No input was posted while the character stood: from here.
                m_playerKnown = true;
                m_playerX = x;
                m_playerY = y;
            }
            return Wait(step, there && (x != m_playerX || y != m_playerY), "the player's move");
        }
        case AutopilotOp::WaitFrames:
            return Wait(step, plat::FrameCount() - m_startFrame >= uint64_t(step.a), "the frames");
        case AutopilotOp::WaitScript:
            return Wait(step, m_world.IsScriptRunning(step.text), "the script");
        case AutopilotOp::Key:
            NotePlayer();
            plat::PostKeyEvent(step.a, false, false, {});
            m_release = Release::Key;
            m_releaseA = step.a;
            return true;
        case AutopilotOp::Type:
            NotePlayer();
            plat::PostTextInput(step.text);
            return true;
        case AutopilotOp::Move:
            plat::PostMessage(plat::WM_MOUSEMOVE, 0, plat::MakeLParam(step.a, step.b));
            return true;
        case AutopilotOp::Click:
        case AutopilotOp::RightClick: {
            NotePlayer();
            const bool left = step.op == AutopilotOp::Click;
            const plat::LParam point = plat::MakeLParam(step.a, step.b);
            plat::PostMessage(plat::WM_MOUSEMOVE, 0, point);
            plat::PostMessage(left ? plat::WM_LBUTTONDOWN : plat::WM_RBUTTONDOWN,
                              left ? plat::MK_LBUTTON : plat::MK_RBUTTON, point);
            m_release = left ? Release::Button : Release::RightButton;
            m_releaseA = step.a;
            m_releaseB = step.b;
            return true;
        }
        case AutopilotOp::DoubleClick: {
            NotePlayer();
            const plat::LParam point = plat::MakeLParam(step.a, step.b);
            plat::PostMessage(plat::WM_MOUSEMOVE, 0, point);
            plat::PostMessage(plat::WM_LBUTTONDOWN, plat::MK_LBUTTON, point);
            plat::PostMessage(plat::WM_LBUTTONUP, 0, point);
            plat::PostMessage(plat::WM_LBUTTONDBLCLK, plat::MK_LBUTTON, point);
            m_release = Release::Button;
            m_releaseA = step.a;
            m_releaseB = step.b;
            return true;
        }
        case AutopilotOp::Drag: {
            NotePlayer();
            const plat::LParam point = plat::MakeLParam(step.a, step.b);
            plat::PostMessage(plat::WM_MOUSEMOVE, 0, point);
            plat::PostMessage(plat::WM_LBUTTONDOWN, plat::MK_LBUTTON, point);
            // A first small move while held, on the pressed window, starts its drag.
            plat::PostMessage(plat::WM_MOUSEMOVE, plat::MK_LBUTTON, plat::MakeLParam(step.a + 4, step.b + 4));
            m_release = Release::DragMove;
            m_releaseA = step.c;
            m_releaseB = step.d;
            return true;
        }
        case AutopilotOp::ClickOk: {
            int32_t x = 0, y = 0;
            if (!m_world.OkButtonPoint(step.text, &x, &y)) {
                Fail(step, "no message box " + step.text + " with an OK button is shown");
                return false;
            }
            ClickAt(x, y);
            return true;
        }
        case AutopilotOp::WaitPlayerHit:
            return Wait(step, m_world.PlayerHitReactions() > m_hitsAtInput, "the player's hit reaction");
        case AutopilotOp::WaitChar:
        case AutopilotOp::WaitCharGone: {
            const bool there = m_world.HasChar(uint32_t(step.a));
            const std::string what = "the character " + std::to_string(uint32_t(step.a)) +
                                     (step.op == AutopilotOp::WaitChar ? "" : " gone");
            return Wait(step, there == (step.op == AutopilotOp::WaitChar), what.c_str());
        }
        case AutopilotOp::WaitBagItem:
            return Wait(step, m_world.HasBagItem(step.a),
                        ("the bag's item in slot " + std::to_string(step.a)).c_str());
        case AutopilotOp::WaitGroundItems:
            return Wait(step, m_world.GroundItems() == step.a,
                        (std::to_string(step.a) + " items on the ground").c_str());
        case AutopilotOp::DragItem: {
            if (!m_world.TakeBagItem(std::stoi(step.text))) {
                Fail(step, "no item in the bag's slot " + step.text);
                return false;
            }
            NotePlayer();
            plat::PostMessage(plat::WM_MOUSEMOVE, 0, plat::MakeLParam(step.a, step.b));
            m_release = Release::Held;
            return true;
        }
        case AutopilotOp::Dump:
            // The picture after the fade, not half-way through it.
            if (m_world.IsScreenFading() && plat::timeGetTime() - m_startMs < kDumpFadeWaitMs) return false;
            if (!m_world.DumpFrame(step.text)) {
                Fail(step, "cannot write the frame to " + step.text);
                return false;
            }
            return true;
        case AutopilotOp::Sleep:
            return plat::timeGetTime() - m_startMs >= uint32_t(step.a);
        case AutopilotOp::Quit:
            if (plat::GetMainWindow()) plat::PostMessage(plat::WM_CLOSE, 0, 0);
            return true;
    }
    return true;
}

void CAutopilot::ClickAt(int32_t x, int32_t y) {
    NotePlayer();
    const plat::LParam point = plat::MakeLParam(x, y);
    plat::PostMessage(plat::WM_MOUSEMOVE, 0, point);
    plat::PostMessage(plat::WM_LBUTTONDOWN, plat::MK_LBUTTON, point);
    m_release = Release::Button;
    m_releaseA = x;
    m_releaseB = y;
}

bool CAutopilot::Wait(const AutopilotStep& step, bool reached, const char* what) {
    if (reached) return true;
    if (plat::timeGetTime() - m_startMs >= step.limitMs)
        Fail(step, std::string("waited ") + std::to_string(step.limitMs) + " ms for " + what +
                       (step.text.empty() ? std::string() : " " + step.text) +
                       (step.op == AutopilotOp::WaitScene ? " " + std::to_string(step.a) : std::string()));
    return false;
}

void CAutopilot::Fail(const AutopilotStep& step, const std::string& reason) {
    m_failed = true;
    if (m_errors) {
        std::fprintf(m_errors, "autopilot line %d failed (%s)\n", step.line, reason.c_str());
        std::fflush(m_errors);
    }
    plat::PostQuitMessage(kAutopilotFailedStatus);
}

void CAutopilot::NotePlayer() {
    m_playerKnown = m_world.PlayerPosition(&m_playerX, &m_playerY);
    m_hitsAtInput = m_world.PlayerHitReactions();
}
