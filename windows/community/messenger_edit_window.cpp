#include "windows/community/messenger_edit_window.h"

#include <algorithm>
#include <cstring>

#include "anim/ani_object.h"
#include "anim/ani_play_mgr.h"
#include "core/input_mgr.h"
#include "data/text_tables.h"
#include "platform/codepage.h"
#include "platform/keyboard.h"
#include "ui/button.h"
#include "ui/window_mgr.h"
#include "windows/community/community_draw.h"
#include "windows/community/community_images.h"
#include "windows/community/messenger_window.h"

namespace {

enum : uint8_t {
    FRAME_CANCEL = 8,
    FRAME_OK = 9,
    FRAME_SEND = 10,
    FRAME_DIALOG = 11,
    FRAME_BOX = 12,
    FRAME_LIST = 13,
    FRAME_THUMB = 14,
    FRAME_CHOICE = 18,
    FRAME_CHECK = 6,  // of "1:1ChattingWin"
};

void ShowIf(CButton* button, bool shown) {
    if (!button) return;
    shown ? (void)button->Show() : (void)button->Hide();
}

}  // namespace

std::string ShortenGroupName(const std::string& name) {
    if (name.size() <= 16) return name;
    std::string out;
    const char* p = name.c_str();
    while (*p) {
        const char* next = plat::CharNextA(p);
        if (out.size() + size_t(next - p) > 13) break;
        out.append(p, next);
        p = next;
    }
    out += out.size() <= 13 ? "..." : "..";
    return out;
}

CQMMEditWin::CQMMEditWin() {
    CQMMEditWin::Create();
}

CQMMEditWin::~CQMMEditWin() {
    CQMMEditWin::Release();
}

bool CQMMEditWin::Create() {
    CBaseWindow::Create();
    const uint32_t image = FindAniByName(MESSENGER_IMAGE);
    CreateNamedWithAni(WINDOW_DRAG_TYPE, MESSENGER_EDIT_NAME, image, image == 0);
    SetKindId(0);
    if (m_pAniObject) {
        m_pAniObject->SetMotion(FRAME_DIALOG);
        m_pAniObject->SetDirection(2);
    }
    const uint32_t chat = FindAniByName("1:1ChattingWin");
    if (CButton* check = MakeChildButton("QMMEDITWIN_CHECK_BUTTON_2", this, chat, FRAME_CHECK))
        check->SetInputOn(false);
    MakeChildButton("QMMEDITWIN_CHECK_BUTTON_1", this, chat, FRAME_CHECK);
    MakeChildButton("QMMEDITWIN_COMBO_BUTTON", this, image, FRAME_CHOICE);
    MakeChildButton("QMMEDITWIN_OK_BUTTON", this, image, FRAME_OK);
    MakeChildButton("QMMEDITWIN_CANCEL_BUTTON", this, image, FRAME_CANCEL);
    MakeChildButton("QMMEDITWIN_SEND_BUTTON", this, image, FRAME_SEND);
    m_listImage = MakeWindowImage(image, FRAME_LIST, 2);
    m_thumb = MakeWindowImage(image, FRAME_THUMB, 2);
    m_highlight = MakeWindowImage(image, 3, 2);
    m_mode = -1;
    m_choices.clear();
    m_nameKind = 0;
    CBaseWindow::Hide();
    return true;
}

bool CQMMEditWin::Release() {
    m_listImage.reset();
    m_thumb.reset();
    m_highlight.reset();
    return CBaseWindow::Release();
}

CButton* CQMMEditWin::Button(const char* name) const {
    return FindChildButton(this, name);
}

CEditBox* CQMMEditWin::GetBox() const {
    return g_pWindowMgr
               ? dynamic_cast<CEditBox*>(g_pWindowMgr->FindWindowByName(MESSENGER_EDIT_BOX_NAME, 0, true))
               : nullptr;
}

void CQMMEditWin::SetMode(int32_t mode, int32_t argument) {
    m_mode = mode;
    if (mode == 4) m_argument = argument;
    m_listOpen = 0;
    for (const char* name : {"QMMEDITWIN_COMBO_BUTTON", "QMMEDITWIN_CHECK_BUTTON_1",
                             "QMMEDITWIN_CHECK_BUTTON_2", "QMMEDITWIN_OK_BUTTON", "QMMEDITWIN_SEND_BUTTON"})
        ShowIf(Button(name), false);
    ShowIf(Button(mode == 0 ? "QMMEDITWIN_SEND_BUTTON" : "QMMEDITWIN_OK_BUTTON"), true);
    ShowIf(Button("QMMEDITWIN_CANCEL_BUTTON"), true);
    if (mode == 3) {
        ShowIf(Button("QMMEDITWIN_CHECK_BUTTON_1"), true);
        ShowIf(Button("QMMEDITWIN_CHECK_BUTTON_2"), true);
        if (CButton* check = Button("QMMEDITWIN_CHECK_BUTTON_2")) check->SetInputOn(false);
        m_nameKind = 0;
    }
    if (mode == 5 || mode == 8) {
        ShowIf(Button("QMMEDITWIN_COMBO_BUTTON"), true);
        m_choices.clear();
        if (CQMMessengerWindow* messenger = FindMessenger())
            for (auto& [id, name] : messenger->GroupsInUse())
                m_choices.emplace_back(id, ShortenGroupName(name));
        m_choice = 0;
        m_firstVisible = 0;
        m_scrollRange = std::max(0, int32_t(m_choices.size()) - MESSENGER_CHOICE_ROWS);
    }
    if (m_pAniObject) m_pAniObject->SetDirection(mode == 6 || mode == 7 ? 12 : 2);
    Show();
    SetActive(true, false);
    if (CEditBox* box = GetBox()) {
        if (mode >= 0 && mode <= 3) {
            box->SetText("");
            box->Show();
            box->SetActive(true, false);
        } else {
            box->SetActive(false, false);
            box->Hide();
        }
    }
}

bool CQMMEditWin::Show() {
    CBaseWindow::Show();
    SetPosition(200, 200);
    return true;
}

bool CQMMEditWin::Hide() {
    m_listOpen = 0;
    if (m_mode >= 0 && m_mode <= 3)
        if (CEditBox* box = GetBox()) {
            box->SetActive(false, false);
            box->Hide();
        }
    return CBaseWindow::Hide();
}

bool CQMMEditWin::SetPosition(int32_t x, int32_t y) {
    auto place = [&](const char* name, int32_t dx, int32_t dy) {
        if (CButton* b = Button(name)) b->SetPosition(x + dx, y + dy);
    };
    if (m_mode == 5 || m_mode == 8 || m_mode == 6 || m_mode == 7) {
        place("QMMEDITWIN_OK_BUTTON", 142, 40);
        place("QMMEDITWIN_CANCEL_BUTTON", 206, 40);
        place("QMMEDITWIN_COMBO_BUTTON", 120, 39);
    } else if (m_mode == 4) {
        place("QMMEDITWIN_OK_BUTTON", 136, 51);
        place("QMMEDITWIN_SEND_BUTTON", 136, 51);
        place("QMMEDITWIN_CANCEL_BUTTON", 211, 51);
    } else {
        place("QMMEDITWIN_OK_BUTTON", m_mode == 3 ? 146 : 136, 71);
        place("QMMEDITWIN_SEND_BUTTON", 136, 71);
        place("QMMEDITWIN_CANCEL_BUTTON", 211, 71);
        place("QMMEDITWIN_CHECK_BUTTON_1", 4, 71);
        place("QMMEDITWIN_CHECK_BUTTON_2", 74, 71);
        if (CEditBox* box = GetBox()) box->SetPosition(x + 7, y + 51);
    }
    return CBaseWindow::SetPosition(x, y);
}

bool CQMMEditWin::Confirm() {
    CEditBox* box = GetBox();
    if (!box || m_mode < 0) {
        Hide();
        return false;
    }
    const std::string text = box->GetCurrentText();
    if (text.empty()) {
        Hide();
        return false;
    }
    const size_t limit = m_mode == 0   ? 255
                         : m_mode == 3 ? MESSENGER_BUDDY_NAME_LIMIT
                                       : MESSENGER_GROUP_NAME_LIMIT;
    if (m_mode > 3 || text.size() > limit) return false;
    const int32_t mode = m_mode;
    CWeakRef self(this);
    if (CQMMessengerWindow* messenger = FindMessenger()) messenger->ApplyEdit(mode, text.c_str(), m_nameKind);
    if (self) Hide();
    return true;
}

void CQMMEditWin::RunChoiceAction() {
    CQMMessengerWindow* messenger = FindMessenger();
    if (!messenger) return;
    int32_t value = 0;
    if (m_mode == 5) value = m_choice < int32_t(m_choices.size()) ? m_choices[size_t(m_choice)].first : -1;
    if (m_mode == 8) value = m_choice;
    messenger->ApplyChoice(m_mode, value);
}

void CQMMEditWin::ToggleChoiceList() {
    if (m_listOpen) {
        m_listOpen = 0;
        return;
    }
    m_listOpen = 1;
    m_scrollRange = std::max(0, int32_t(m_choices.size()) - MESSENGER_CHOICE_ROWS);
    m_firstVisible = std::min(m_choice, m_scrollRange);
}

int32_t CQMMEditWin::ChoiceAt(int32_t x, int32_t y) const {
    if (!m_listOpen || x < m_x + 5 || x > m_x + 120) return -1;
    const int32_t row = (y - (m_y + 55)) / 13;
    if (y < m_y + 55 || row >= MESSENGER_CHOICE_ROWS) return -1;
    const int32_t index = m_firstVisible + row;
    return index < int32_t(m_choices.size()) ? index : -1;
}

void CQMMEditWin::Choose(int32_t index) {
    if (index >= 0 && index < int32_t(m_choices.size())) m_choice = index;
    m_listOpen = 0;
}

bool CQMMEditWin::Update() {
    CWeakRef self(this);
    if (!CBaseWindow::Update() || !self) return true;
    CEditBox* box = GetBox();
    const bool hasText = box && box->GetCurrentText()[0] != '\0';
    if (m_mode >= 1 && m_mode <= 3) ShowIf(Button("QMMEDITWIN_OK_BUTTON"), hasText);
    if (m_mode == 0) ShowIf(Button("QMMEDITWIN_SEND_BUTTON"), hasText);
    return true;
}

bool CQMMEditWin::Draw() {
    if (!IsDrawOn()) return true;
    CWeakRef self(this);
    CBaseWindow::Draw();
    if (!self) return true;
    if (m_mode == 5 || m_mode == 8) {
        DrawCommunityText(m_x + 9, m_y + 10, GetTableText(14, m_mode == 5 ? 344 : 345), 0xFFFFFF);
        if (m_choice < int32_t(m_choices.size()))
            DrawCommunityText(m_x + 10, m_y + 43, m_choices[size_t(m_choice)].second.c_str(), 0xFFFFFF);
        if (m_listOpen) {
            if (m_listImage) {
                m_listImage->SetScreenPosition(m_x + 5, m_y + 39, 0);
                m_listImage->Draw();
            }
            const int32_t hovered = g_pInputMgr ? ChoiceAt(g_pInputMgr->m_mouseX, g_pInputMgr->m_mouseY) : -1;
            for (int32_t i = 0; i < MESSENGER_CHOICE_ROWS && m_firstVisible + i < int32_t(m_choices.size());
                 ++i) {
                const int32_t y = m_y + 55 + 13 * i;
                if (m_firstVisible + i == hovered && m_highlight) {
                    m_highlight->SetScreenPosition(m_x + 7, y, 0);
                    m_highlight->Draw();
                }
                DrawCommunityText(m_x + 7, y, m_choices[size_t(m_firstVisible + i)].second.c_str(), 0xFFFFFF);
            }
            if (m_scrollRange > 0 && m_thumb) {
                m_thumb->SetScreenPosition(m_x + 110, m_y + 55 + 60 * m_firstVisible / m_scrollRange, 0);
                m_thumb->Draw();
            }
        }
    } else if (m_mode == 6) {
        DrawCommunityText(m_x + 9, m_y + 10, GetTableText(14, 346), 0xFFFFFF);
        DrawCommunityText(m_x + 9, m_y + 23, GetTableText(14, 347), 0xFFFFFF);
    } else if (m_mode == 7) {
        DrawCommunityText(m_x + 9, m_y + 10, GetTableText(14, 348), 0xFFFFFF);
    }
    return true;
}

bool CQMMEditWin::OnMouseDown(int32_t button, int32_t x, int32_t y, CBaseWindow* control) {
    if (!control && m_listOpen) {
        const int32_t index = ChoiceAt(x, y);
        if (index >= 0) Choose(index);
        m_listOpen = 0;
        return false;
    }
    return CBaseWindow::OnMouseDown(button, x, y, control);
}

bool CQMMEditWin::OnControlEvent(int32_t button, int32_t x, int32_t y, CBaseWindow* control) {
    if (control && control->IsInputOn() && IsClickOn(control, x, y)) {
        const char* name = control->GetName();
        if (SameText(name, "QMMEDITWIN_COMBO_BUTTON")) return ToggleChoiceList(), false;
        if (SameText(name, "QMMEDITWIN_CANCEL_BUTTON")) return Hide(), true;
        if (SameText(name, "QMMEDITWIN_CHECK_BUTTON_1")) {
            m_nameKind = 0;
            return true;
        }
        if (SameText(name, "QMMEDITWIN_OK_BUTTON") || SameText(name, "QMMEDITWIN_SEND_BUTTON")) {
            if (m_mode >= 0 && m_mode <= 3) {
                Confirm();
            } else {
                CWeakRef self(this);
                RunChoiceAction();
                if (self) Hide();
            }
            return true;
        }
    }
    return CBaseWindow::OnControlEvent(button, x, y, control);
}

bool CQMMEditWin::OnKeyDown(uint32_t key, CBaseWindow* control) {
    if (!control && key == plat::VK_TAB && IsActive()) return false;
    return CBaseWindow::OnKeyDown(key, control);
}

// ---- The edit box ----

CQMMEditBox::CQMMEditBox() {
    CQMMEditBox::Create();
}

CQMMEditBox::~CQMMEditBox() {
    CQMMEditBox::Release();
}

bool CQMMEditBox::Create() {
    CEditBox::Create();
    SetName(MESSENGER_EDIT_BOX_NAME);
    SetKindId(0);
    SetMaxLength(42);
    SetTextColor(0xC8FFC8);
    SetImeMode(1);
    m_background = MakeCommunityImage(MESSENGER_IMAGE, FRAME_BOX, 2);
    CBaseWindow::Hide();
    return true;
}

bool CQMMEditBox::Release() {
    m_background.reset();
    return CEditBox::Release();
}

bool CQMMEditBox::SetPosition(int32_t x, int32_t y) {
    if (m_background) m_background->SetScreenPosition(x - 2, y - 4, 0);
    SetInputRect(true, x, y, x + 250, y + 14);
    return CEditBox::SetPosition(x, y);
}

bool CQMMEditBox::Draw() {
    if (!IsDrawOn()) return true;
    if (m_background) m_background->Draw();
    return CEditBox::Draw();
}

bool CQMMEditBox::OnKeyDown(uint32_t key, CBaseWindow* control) {
    if (control || !IsActiveFlag()) return CEditBox::OnKeyDown(key, control);
    if (key == plat::VK_RETURN) {
        if (GetCurrentText()[0] != '\0') {
            if (auto* edit = dynamic_cast<CQMMEditWin*>(
                    g_pWindowMgr ? g_pWindowMgr->FindWindowByName(MESSENGER_EDIT_NAME, 0, true) : nullptr))
                edit->Confirm();
        }
        return false;
    }
    if (key == plat::VK_ESCAPE) {
        SetActive(false, false);
        return false;
    }
    return CEditBox::OnKeyDown(key, control);
}
