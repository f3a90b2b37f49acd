#include "windows/play/visual_password_window.h"

#include <cstring>

#include "anim/ani_play_mgr.h"
#include "data/text_tables.h"
#include "graphics/direct_draw.h"
#include "graphics/display_settings.h"
#include "graphics/text_renderer.h"
#include "platform/clock.h"
#include "platform/keyboard.h"
#include "ui/window_mgr.h"
#include "windows/play/play_windows.h"

namespace {

constexpr int kTextTable = 14;
constexpr int kRowMask = 319, kRowCaret = 320, kRowConfirm = 321, kRowErase = 322, kRowCase = 323,
              kRowShuffle = 324;
constexpr int32_t kRowY[KEYPAD_ROWS] = {30, 59, 88, 117, 146};
constexpr int32_t kWideKey = 55, kKey = 24, kKeyHeight = 24, kStep = 27;
// The text table rows of the character keys, by grid row (0: none).
constexpr int kCharRows[KEYPAD_ROWS][KEYPAD_COLUMNS] = {
    {},
    {283, 284, 285, 286, 287, 288, 289, 290, 291, 292},
    {309, 315, 297, 310, 312, 317, 313, 301, 307, 308},
    {293, 311, 296, 298, 299, 300, 302, 303, 304, 0},
    {0, 318, 316, 295, 314, 294, 306, 305, 0, 0},
};
constexpr int32_t kRowLeft[KEYPAD_ROWS] = {0, 11, 23, 38, 0};
constexpr int32_t kBottomRowX[KEYPAD_COLUMNS] = {19, 77, 104, 131, 158, 185, 212, 239, 266, 0};

// The first byte of a row of the text table (0 for none).
int32_t FirstByte(int row) {
    const char* text = GetTableText(kTextTable, row);
    return text ? int32_t(static_cast<unsigned char>(text[0])) : 0;
}

// The key of a character row: its first byte when that is a printable ASCII
// character, else none. Codes 1-4 are the control keys and a lead byte is
// half a character: neither may come from the text table as a character.
int32_t CharacterKey(int row) {
    const int32_t code = FirstByte(row);
    return code > ' ' && code < 0x7F ? code : KEY_NONE;
}

KeypadCell MakeCell(int32_t code, int32_t x, int32_t y) {
    const int32_t width = code < 5 ? kWideKey : kKey;
    return KeypadCell{code, x, y, width, kKeyHeight};
}

}  // namespace

CVisualPasswordWindow::CVisualPasswordWindow() {
    CVisualPasswordWindow::Create();
}

CVisualPasswordWindow::~CVisualPasswordWindow() {
    CVisualPasswordWindow::Release();
}

bool CVisualPasswordWindow::Create() {
    CBaseWindow::Create();
    const uint32_t image =
        CreateWithLayoutPicture(this, VISUAL_PASSWORD_WINDOW_NAME, VISUAL_PASSWORD_WINDOW_IMAGE);
    m_cancel.Assign(MakeChildButton("VISUAL_PASS_WIN_CANCEL", this, image, 2));
    CreateHighlights();
    const CDisplaySettings& screen = GetDisplaySettings();
    SetPosition(screen.screenWidth / 2 - ImageWidth() / 2, screen.screenHeight / 2 - ImageHeight() / 2);
    ResetLayout();
    m_typed.clear();
    m_upperCase = 0;
    m_blinkTime = 0;
    m_blinkOn = 0;
    m_result = KEYPAD_RESULT_NONE;
    return true;
}

bool CVisualPasswordWindow::Release() {
    m_wideHover.reset();
    m_hover.reset();
    return CBaseWindow::Release();
}

void CVisualPasswordWindow::CreateHighlights() {
    m_wideHover.reset();
    m_hover.reset();
    const uint32_t image = FindAniByName(VISUAL_PASSWORD_WINDOW_IMAGE);
    if (!image) return;
    const uint8_t directions[2] = {2, 0};
    std::unique_ptr<CAniObject>* targets[2] = {&m_wideHover, &m_hover};
    for (int i = 0; i < 2; ++i) {
        auto hover = std::make_unique<CAniObject>();
        if (!hover->SetAnimation(image)) continue;
        hover->SetMotion(1);
        hover->SetDirection(directions[i]);
        *targets[i] = std::move(hover);
    }
}

bool CVisualPasswordWindow::SetPosition(int32_t x, int32_t y) {
    CBaseWindow::SetPosition(x, y);
    if (CButton* cancel = GetCancelButton()) cancel->SetPosition(x + 261, y + 3);
    return true;
}

void CVisualPasswordWindow::ResetLayout() {
    for (auto& row : m_cells)
        for (KeypadCell& cell : row) cell = KeypadCell{};
    m_cells[0][0] = MakeCell(KEY_CONFIRM, 198, kRowY[0]);
    m_cells[0][1] = MakeCell(KEY_ERASE, 261, kRowY[0]);
    for (int row = 1; row < KEYPAD_ROWS; ++row)
        for (int column = 0; column < KEYPAD_COLUMNS; ++column) {
            const int textRow = kCharRows[row][column];
            if (!textRow) continue;
            const int32_t x = row == 4 ? kBottomRowX[column] : kRowLeft[row] + kStep * column;
            m_cells[row][column] = MakeCell(CharacterKey(textRow), x, kRowY[row]);
        }
    m_cells[4][0] = MakeCell(KEY_CASE, kBottomRowX[0], kRowY[4]);
    m_cells[4][8] = MakeCell(KEY_SHUFFLE, kBottomRowX[8], kRowY[4]);
}

void CVisualPasswordWindow::Open() {
    ResetLayout();
    m_typed.clear();
    m_upperCase = 0;
    m_result = KEYPAD_RESULT_NONE;
    m_blinkTime = 0;
    m_blinkOn = 0;
    Show();
}

const KeypadCell* CVisualPasswordWindow::KeyAt(int32_t px, int32_t py) const {
    for (const auto& row : m_cells)
        for (const KeypadCell& cell : row) {
            if (cell.code == KEY_NONE) continue;
            const int32_t left = m_x + cell.x, top = m_y + cell.y;
            if (left <= px && px <= left + cell.width && top <= py && py <= top + cell.height) return &cell;
        }
    return nullptr;
}

void CVisualPasswordWindow::PressKey(int32_t code) {
    switch (code) {
        case KEY_NONE:
            return;
        case KEY_ERASE:
            EraseLast();
            return;
        case KEY_CONFIRM:
            Close(KEYPAD_RESULT_CONFIRMED);
            return;
        case KEY_CASE:
            ToggleCase();
            return;
        case KEY_SHUFFLE:
            ShuffleKeys();
            return;
        default:
            if (m_typed.size() < KEYPAD_TEXT_MAX) m_typed += char(code);
    }
}

void CVisualPasswordWindow::EraseLast() {
    if (!m_typed.empty()) m_typed.pop_back();
}

void CVisualPasswordWindow::ToggleCase() {
    for (auto& row : m_cells)
        for (KeypadCell& cell : row) {
            if (!m_upperCase && cell.code >= 'a' && cell.code <= 'z')
                cell.code -= 32;
            else if (m_upperCase && cell.code >= 'A' && cell.code <= 'Z')
                cell.code += 32;
        }
    m_upperCase = !m_upperCase;
}

void CVisualPasswordWindow::ShuffleKeys() {
    for (auto& row : m_cells)
        for (KeypadCell& cell : row) {
            if (cell.code <= KEY_SHUFFLE) continue;
            const auto column = int(m_random() % KEYPAD_COLUMNS);
            const auto targetRow = 1 + int(m_random() % 4);
            KeypadCell& target = m_cells[targetRow][column];
            if (target.code > KEY_SHUFFLE) std::swap(cell.code, target.code);
        }
}

std::string CVisualPasswordWindow::MaskedLine() const {
    std::string line(m_typed.size(), char(FirstByte(kRowMask)));
    if (m_blinkOn) line += char(FirstByte(kRowCaret));
    return line;
}

int32_t CVisualPasswordWindow::MaskedLineX() const {
    return m_x + 125 - 3 * int32_t(m_typed.size());
}

void CVisualPasswordWindow::DrawKeyLabels() {
    CSurfaceResource* surface = g_pDirectDraw->GetRenderSurface();
    for (const auto& row : m_cells)
        for (const KeypadCell& cell : row) {
            std::string label;
            switch (cell.code) {
                case KEY_NONE:
                    continue;
                case KEY_ERASE:
                    label = GetTableText(kTextTable, kRowErase);
                    break;
                case KEY_CONFIRM:
                    label = GetTableText(kTextTable, kRowConfirm);
                    break;
                case KEY_CASE:
                    label = GetTableText(kTextTable, kRowCase);
                    break;
                case KEY_SHUFFLE:
                    label = GetTableText(kTextTable, kRowShuffle);
                    break;
                default:
                    label = std::string(1, char(cell.code));
            }
            const int32_t x = m_x + cell.x + cell.width / 2 - 3 * int32_t(label.size());
            g_pTextRenderer->DrawString(surface, x, m_y + cell.y + 6, label.c_str(), 0, 0xFFFFFF, 1, true);
        }
}

bool CVisualPasswordWindow::Draw() {
    CWeakRef self(this);
    CBaseWindow::Draw();
    if (!self || !g_pDirectDraw || !g_pTextRenderer) return true;
    if (const KeypadCell* cell = KeyAt(WindowMouseX(), WindowMouseY())) {
        CAniObject* hover = cell->width == kWideKey ? m_wideHover.get() : m_hover.get();
        if (hover) {
            hover->SetScreenPosition(m_x + cell->x, m_y + cell->y, 0);
            hover->Draw();
        }
    }
    DrawKeyLabels();
    const uint32_t now = plat::timeGetTime();
    if (now - m_blinkTime > KEYPAD_BLINK_MS) {
        m_blinkTime = now;
        m_blinkOn = !m_blinkOn;
    }
    g_pTextRenderer->DrawString(g_pDirectDraw->GetRenderSurface(), MaskedLineX(), m_y + 36,
                                MaskedLine().c_str(), 0, 0xFFFFFF, 1, true);
    return true;
}

void CVisualPasswordWindow::Close(int32_t result) {
    m_result = result;
    Hide();
}

bool CVisualPasswordWindow::OnControlEvent(int32_t button, int32_t x, int32_t y, CBaseWindow* control) {
    if (control && control == GetCancelButton() && button == 0 && IsClickOn(control, x, y)) {
        Close(KEYPAD_RESULT_CANCELLED);
        return false;
    }
    if (button == 0 && IsActive() && HitTest(x, y)) {
        if (const KeypadCell* cell = KeyAt(x, y)) PressKey(cell->code);
        return false;
    }
    return CBaseWindow::OnControlEvent(button, x, y, control);
}

bool CVisualPasswordWindow::OnKeyDown(uint32_t key, CBaseWindow* control) {
    if (key == plat::VK_RETURN || key == plat::VK_ESCAPE) {
        Close(key == plat::VK_RETURN ? KEYPAD_RESULT_CONFIRMED : KEYPAD_RESULT_CANCELLED);
        return false;
    }
    return control ? control->OnKeyDown(key, nullptr) : true;
}
