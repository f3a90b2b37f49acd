// Windows for the UI tests: a named window whose rectangle is its position
// and size, and that logs the handler calls it gets.
#pragma once
#include <string>
#include <vector>

#include "ui/base_window.h"
#include "ui/button.h"
#include "ui/message_box.h"
#include "ui/scroll_bar.h"
#include "ui/ui_services.h"

namespace uitest {

using Log = std::vector<std::string>;

class TestWindow : public CBaseWindow {
public:
    explicit TestWindow(const char* name, int32_t x = 0, int32_t y = 0, uint32_t w = 100, uint32_t h = 100,
                        Log* log = nullptr)
        : m_log(log) {
        CreateNamed(WINDOW_DRAG_TYPE, name);
        SetSize(w, h);
        SetPosition(x, y);
    }

    bool UpdateRect() override {
        m_rect = WindowRect{m_x, m_y, m_x + int32_t(m_width), m_y + int32_t(m_height)};
        return true;
    }
    bool Draw() override {
        ++m_draws;
        return CBaseWindow::Draw();
    }
    bool Update() override {
        ++m_updates;
        return CBaseWindow::Update();
    }
    bool ProcessInput() override {
        ++m_inputs;
        return CBaseWindow::ProcessInput();
    }
    bool Show() override {
        ++m_shows;
        return CBaseWindow::Show();
    }
    bool OnMouseDown(int32_t b, int32_t x, int32_t y, CBaseWindow* c) override {
        Record("down", b, c);
        return CBaseWindow::OnMouseDown(b, x, y, c);
    }
    bool OnMouseUp(int32_t b, int32_t x, int32_t y, CBaseWindow* c) override {
        Record("up", b, c);
        return CBaseWindow::OnMouseUp(b, x, y, c);
    }
    bool OnControlEvent(int32_t b, int32_t x, int32_t y, CBaseWindow* c) override {
        Record("click", b, c);
        return CBaseWindow::OnControlEvent(b, x, y, c);
    }
    bool OnDoubleClick(int32_t b, int32_t x, int32_t y, CBaseWindow* c) override {
        Record("dblclick", b, c);
        return CBaseWindow::OnDoubleClick(b, x, y, c);
    }
    bool OnMouseWheel(int32_t x, int32_t y, int32_t delta, CBaseWindow* c) override {
        Record("wheel", delta, c);
        return CBaseWindow::OnMouseWheel(x, y, delta, c);
    }
    bool OnKeyDown(uint32_t key, CBaseWindow* c) override {
        Record("key", int32_t(key), c);
        // Consumes the keys it is told to.
        return key == m_consumeKey ? false : CBaseWindow::OnKeyDown(key, c);
    }

    Log* m_log;
    int m_draws = 0, m_updates = 0, m_inputs = 0, m_shows = 0;
    uint32_t m_consumeKey = 0;

private:
    // "NAME:event value" with "[CONTROL]" when the event came for a control.
    void Record(const char* what, int32_t value, CBaseWindow* control) {
        if (!m_log) return;
        std::string line = std::string(GetName()) + ":" + what + " " + std::to_string(value);
        if (control) line += std::string(" [") + control->GetName() + "]";
        m_log->push_back(line);
    }
};

// Records the effects asked for by name (each gets id 42) and the plays.
struct RecordingSound : IUiSound {
    uint16_t FindEffectIdByName(const char* name) override {
        names.push_back(name);
        return 42;
    }
    void PlaySoundEffect(uint16_t id, int32_t x, int32_t y, uint32_t loops) override {
        plays.push_back({id, x, y, loops});
    }
    std::vector<std::string> names;
    struct Play {
        uint16_t id;
        int32_t x, y;
        uint32_t loops;
        bool operator==(const Play&) const = default;
    };
    std::vector<Play> plays;
};

// Gives a message box's parts plain faces (no pictures in the tests): a
// 240-pixel background of the height, a 240 x 8 grip, 40 x 14 buttons and
// 12 x 12 scroll parts.
inline void GiveFaces(CMessageBox* box, uint32_t backgroundHeight = 20) {
    box->SetSize(240, backgroundHeight);
    box->GetGrip()->SetImage(240, 8, "");
    box->GetOkButton()->SetImage(40, 14, "");
    box->GetCancelButton()->SetImage(40, 14, "");
    CScrollBar* bar = box->GetScrollBar();
    for (CButton* part : {bar->GetFirstArrow(), bar->GetSecondArrow(), bar->GetThumb()})
        part->SetImage(12, 12, "");
}

}  // namespace uitest
