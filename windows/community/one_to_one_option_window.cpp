#include "windows/community/one_to_one_option_window.h"

#include <algorithm>
#include <cstring>

#include "anim/ani_object.h"
#include "anim/ani_play_mgr.h"
#include "core/message.h"
#include "data/text_tables.h"
#include "net/game_session.h"
#include "net/handlers/scene_records.h"
#include "ui/button.h"
#include "ui/edit_mgr.h"
#include "ui/scroll_bar.h"
#include "ui/window_mgr.h"
#include "windows/community/chat_log_list.h"
#include "windows/community/community_draw.h"
#include "windows/community/messenger_window.h"
#include "windows/community/one_to_one_chat_window.h"

namespace {

enum : uint8_t {
    FRAME_REFUSAL_OFF = 1,
    FRAME_REFUSAL_ON = 2,
    FRAME_REMOVE = 3,
    FRAME_ADD = 4,
    FRAME_CLEAR = 5,
    FRAME_CHECK = 6,
    FRAME_OPTIONS = 13,  // the window, direction 2 tab 0, 0 tab 1
    FRAME_SELECTION = 14,
};

void ShowButton(CButton* button, bool shown) {
    if (!button) return;
    if (shown) {
        if (!button->IsDrawOn() || !button->IsInputOn()) button->Show();
    } else if (button->IsDrawOn()) {
        button->Hide();
    }
}

}  // namespace

C1V1OptionWin::C1V1OptionWin() {
    C1V1OptionWin::Create();
}

C1V1OptionWin::~C1V1OptionWin() {
    C1V1OptionWin::Release();
}

bool C1V1OptionWin::Create() {
    CBaseWindow::Create();
    const uint32_t image = FindAniByName(ONE_TO_ONE_IMAGE);
    CreateNamedWithAni(WINDOW_DRAG_TYPE, "1V1OptionWin", image, image == 0);
    SetKindId(0);
    if (m_pAniObject) {
        m_pAniObject->SetMotion(FRAME_OPTIONS);
        m_pAniObject->SetDirection(2);
    }
    m_draggable = 1;
    MakeChildButton("1V1CHAT_CLOSE_BUTTON", this, FindAniByName("CommonIcons"), 1);
    MakeChildButton("1V1CHAT_ADD_BUTTON_1", this, image, FRAME_ADD);
    MakeChildButton("1V1CHAT_REMOVE_BUTTON_2", this, image, FRAME_REMOVE);
    MakeChildButton("1V1CHAT_CLEAR_BUTTON_2", this, image, FRAME_CLEAR);
    MakeChildButton("1V1CHAT_REFUSAL_BUTTON_2", this, image, FRAME_REFUSAL_OFF);
    MakeChildButton("1V1CHAT_REFUSAL_BUTTON_2", this, image, FRAME_REFUSAL_ON);
    MakeChildButton("QMMEDITWIN_CHECK_BUTTON_1", this, image, FRAME_CHECK);
    if (CButton* check = MakeChildButton("QMMEDITWIN_CHECK_BUTTON_2", this, image, FRAME_CHECK))
        check->SetInputOn(false);
    m_scrollBar.Assign(MakeChildScrollBar(
        this, "1V1CHAT_SCROLLBAR_02",
        {"CHAT_WIN_SCROLL_BUTTON_UP", "CHAT_WIN_SCROLL_BUTTON_DN", "CHAT_WIN_SCROLL_BUTTON_DRAG"}));
    m_selection = MakeWindowImage(image, FRAME_SELECTION, 2);
    m_nameKind = 0;
    m_mode = 0;
    m_listReceived = 0;
    m_refusals.clear();
    m_seconds.clear();
    m_selectedRow = -1;
    m_selectedName.clear();
    return true;
}

bool C1V1OptionWin::Release() {
    m_selection.reset();
    m_chatLogList = nullptr;
    return CBaseWindow::Release();
}

CButton* C1V1OptionWin::Button(const char* name, int index) const {
    return FindChildButton(this, name, index);
}

void C1V1OptionWin::SetNameEdit(C1V1ChatEditBox* box) {
    m_nameEdit.Assign(box);
}

C1V1ChatEditBox* C1V1OptionWin::GetNameEdit() const {
    return m_nameEdit.GetAs<C1V1ChatEditBox>();
}

bool C1V1OptionWin::SetPosition(int32_t x, int32_t y) {
    static constexpr struct {
        const char* name;
        int index;
        int32_t x, y;
    } kPlaces[] = {
        {"1V1CHAT_CLOSE_BUTTON", 0, 229, 3},      {"1V1CHAT_ADD_BUTTON_1", 0, 171, 76},
        {"1V1CHAT_REMOVE_BUTTON_2", 0, 207, 76},  {"1V1CHAT_CLEAR_BUTTON_2", 0, 188, 199},
        {"1V1CHAT_REFUSAL_BUTTON_2", 0, 220, 54}, {"1V1CHAT_REFUSAL_BUTTON_2", 1, 220, 54},
        {"QMMEDITWIN_CHECK_BUTTON_1", 0, 73, 96}, {"QMMEDITWIN_CHECK_BUTTON_2", 0, 158, 96},
    };
    for (const auto& place : kPlaces)
        if (CButton* button = Button(place.name, place.index)) button->SetPosition(x + place.x, y + place.y);
    if (auto* bar = m_scrollBar.GetAs<CScrollBar>()) bar->SetBarRect(x + 227, y + 102, x + 238, y + 208);
    if (C1V1ChatEditBox* box = GetNameEdit()) box->SetPosition(x + 12, y + 74);
    return CBaseWindow::SetPosition(x, y);
}

void C1V1OptionWin::Open() {
    if (m_mode == 0) {
        m_listReceived = 0;
        GameSession().SendOneChatListRequest();
    }
    Show();
    SetActive(true, false);
    if (CButton* close = Button("1V1CHAT_CLOSE_BUTTON")) close->Show();
    if (C1V1ChatEditBox* box = GetNameEdit()) box->Show();
    SetPosition(250, 150);
}

bool C1V1OptionWin::Hide() {
    if (CButton* close = Button("1V1CHAT_CLOSE_BUTTON")) close->Hide();
    m_selectedRow = -1;
    m_selectedName.clear();
    if (C1V1ChatEditBox* box = GetNameEdit()) {
        box->SetActive(false, false);
        box->Hide();
    }
    return CBaseWindow::Hide();
}

int32_t C1V1OptionWin::RowCount() const {
    if (m_mode == 0) return int32_t(m_refusals.size());
    return m_chatLogList ? int32_t(m_chatLogList->LoggedNames().size()) : 0;
}

const char* C1V1OptionWin::RowName(int32_t row) const {
    if (row < 0 || row >= RowCount()) return "";
    return m_mode == 0 ? m_refusals[size_t(row)].c_str() : m_chatLogList->LoggedNames()[size_t(row)].c_str();
}

int32_t C1V1OptionWin::FirstRow() const {
    auto* bar = m_scrollBar.GetAs<CScrollBar>();
    return bar ? int32_t(bar->GetScrollPos()) : 0;
}

void C1V1OptionWin::ResetScroll() {
    if (auto* bar = m_scrollBar.GetAs<CScrollBar>()) {
        bar->SetMaximum(RowCount() - OPTION_VISIBLE_ROWS);
        bar->SetScrollPos(0);
    }
}

void C1V1OptionWin::SelectMode(uint8_t mode) {
    if (mode == m_mode) return;
    m_mode = mode;
    m_selectedRow = -1;
    m_selectedName.clear();
    if (m_pAniObject) m_pAniObject->SetDirection(mode == 0 ? 2 : 0);
    ResetScroll();
}

int32_t C1V1OptionWin::RowAt(int32_t x, int32_t y) const {
    const int32_t lx = x - m_x, ly = y - m_y;
    if (lx <= 17 || lx >= 148) return -1;
    for (int32_t i = 0; i < OPTION_VISIBLE_ROWS; ++i)
        if (ly > 119 + 17 * i && ly < 131 + 17 * i) {
            const int32_t row = FirstRow() + i;
            return row < RowCount() ? row : -1;
        }
    return -1;
}

void C1V1OptionWin::SelectRow(int32_t row) {
    m_selectedRow = row;
    m_selectedName = row >= 0 ? RowName(row) : "";
}

void C1V1OptionWin::SetList(const CNameListMsg& list) {
    if (m_chatLogList) m_chatLogList->SetRefuseAll(list.m_a != 0);
    m_refusals.clear();
    m_seconds.clear();
    const int32_t count = std::min<int32_t>(list.m_count, REFUSAL_LIMIT);
    for (int32_t i = 0; i < count; ++i) {
        m_refusals.emplace_back(list.m_names[i]);
        m_seconds.emplace_back(list.m_seconds[i][0] ? list.m_seconds[i] : GetTableText(14, 158));
    }
    m_listReceived = 1;
    ResetScroll();
    if (CQMMessengerWindow* messenger = FindMessenger()) messenger->SetOneChatFlags(m_refusals);
}

bool C1V1OptionWin::ProcessMessages() {
    CMsgPort* port = GetPort();
    while (CMsg* msg = port ? port->Pop() : nullptr) {
        if (auto* list = dynamic_cast<CNameListMsg*>(msg->m_pPayload.get())) SetList(*list);
        delete msg;
    }
    return CBaseWindow::ProcessMessages();
}

void C1V1OptionWin::AddName() {
    C1V1ChatEditBox* box = GetNameEdit();
    const std::string name = box ? box->GetCurrentText() : "";
    if (name.empty()) return;
    if (g_pEditMgr && box->IsFocused()) g_pEditMgr->ClearText();
    box->SetText("");
    if (m_mode == 0) {
        m_selectedRow = -1;
        if (std::find(m_refusals.begin(), m_refusals.end(), name) != m_refusals.end()) return;
        const char* own = m_nameKind == 0 ? PlayerCharName() : PlayerIdentityName();
        if (int32_t(m_refusals.size()) < REFUSAL_LIMIT && name != own)
            GameSession().SendOneChatCommand(0, name.c_str(), m_nameKind);
    } else if (m_chatLogList && !m_chatLogList->IsChatLogged(name.c_str()) && name != PlayerCharName()) {
        m_chatLogList->AddLoggedName(name.c_str());
    }
    m_selectedName.clear();
    m_selectedRow = -1;
}

void C1V1OptionWin::RemoveSelected() {
    if (m_selectedName.empty()) return;
    if (m_mode == 0) {
        if (!m_refusals.empty()) GameSession().SendOneChatCommand(1, m_selectedName.c_str(), 0);
    } else if (m_chatLogList) {
        m_chatLogList->RemoveLoggedName(m_selectedName.c_str());
    }
    m_selectedName.clear();
    m_selectedRow = -1;
}

void C1V1OptionWin::ClearAll() {
    if (m_mode == 0) {
        GameSession().SendOneChatCommand(3, nullptr, 0);
        m_refusals.clear();
        m_seconds.clear();
        ResetScroll();
        if (CQMMessengerWindow* messenger = FindMessenger()) messenger->SetOneChatFlags(m_refusals);
    } else if (m_chatLogList) {
        m_chatLogList->ClearLoggedNames();
    }
    m_selectedName.clear();
    m_selectedRow = -1;
}

void C1V1OptionWin::ToggleRefuseAll() {
    if (!m_chatLogList) return;
    const bool on = !m_chatLogList->GetRefuseAll();
    m_chatLogList->SetRefuseAll(on);
    GameSession().SendOneChatCommand(2, on ? "1" : "0", 0);
    m_listReceived = 0;
    GameSession().SendOneChatListRequest();
}

bool C1V1OptionWin::Update() {
    CWeakRef self(this);
    if (!CBaseWindow::Update() || !self) return true;
    CButton* add = Button("1V1CHAT_ADD_BUTTON_1");
    CButton* remove = Button("1V1CHAT_REMOVE_BUTTON_2");
    CButton* clear = Button("1V1CHAT_CLEAR_BUTTON_2");
    const bool refuseAll = m_chatLogList && m_chatLogList->GetRefuseAll();
    if (m_mode == 0) {
        if (m_listReceived) {
            ShowButton(add, !refuseAll && RowCount() < REFUSAL_LIMIT);
            ShowButton(remove, !refuseAll && RowCount() > 0);
            ShowButton(clear, !refuseAll && RowCount() > 0);
        }
        ShowButton(Button("1V1CHAT_REFUSAL_BUTTON_2", 0), m_listReceived && !refuseAll);
        ShowButton(Button("1V1CHAT_REFUSAL_BUTTON_2", 1), m_listReceived && refuseAll);
        ShowButton(Button("QMMEDITWIN_CHECK_BUTTON_1"), true);
        if (CButton* check = Button("QMMEDITWIN_CHECK_BUTTON_2")) {
            ShowButton(check, true);
            check->SetInputOn(false);
        }
    } else {
        ShowButton(add, true);
        ShowButton(remove, RowCount() > 0);
        ShowButton(clear, RowCount() > 0);
        for (int i = 0; i < 2; ++i) ShowButton(Button("1V1CHAT_REFUSAL_BUTTON_2", i), false);
        ShowButton(Button("QMMEDITWIN_CHECK_BUTTON_1"), false);
        ShowButton(Button("QMMEDITWIN_CHECK_BUTTON_2"), false);
    }
    return true;
}

bool C1V1OptionWin::Draw() {
    if (!IsDrawOn()) return true;
    CWeakRef self(this);
    CBaseWindow::Draw();
    if (!self) return true;
    const int32_t first = FirstRow();
    if (m_selectedRow >= first && m_selectedRow < first + OPTION_VISIBLE_ROWS && m_selection) {
        m_selection->SetScreenPosition(m_x + 16, m_y + 117 + 16 * (m_selectedRow - first), 0);
        m_selection->Draw();
    }
    for (int32_t i = 0; i < OPTION_VISIBLE_ROWS && first + i < RowCount(); ++i) {
        const int32_t row = first + i;
        std::string text = RowName(row);
        if (m_mode == 0) text += "(" + m_seconds[size_t(row)] + ")";
        DrawCommunityText(m_x + 20, m_y + 119 + 17 * i, text.c_str(), 0xFFFFFF);
    }
    // The name box is a window of its own, stacked under this one.
    if (C1V1ChatEditBox* box = GetNameEdit(); box && box->IsDrawOn()) box->Draw();
    return true;
}

bool C1V1OptionWin::OnMouseDown(int32_t button, int32_t x, int32_t y, CBaseWindow* control) {
    if (!control && IsActive() && GetRect().Contains(x, y)) {
        const int32_t lx = x - m_x, ly = y - m_y;
        if (lx >= 13 && lx <= 165 && ly >= 74 && ly <= 91) {
            if (C1V1ChatEditBox* box = GetNameEdit()) {
                box->Show();
                box->SetActive(true, false);
            }
            return false;
        }
        SelectRow(RowAt(x, y));
        return false;
    }
    return CBaseWindow::OnMouseDown(button, x, y, control);
}

bool C1V1OptionWin::OnControlEvent(int32_t button, int32_t x, int32_t y, CBaseWindow* control) {
    if (control && control->IsInputOn() && IsClickOn(control, x, y)) {
        const char* name = control->GetName();
        if (SameText(name, "1V1CHAT_CLOSE_BUTTON")) {
            Hide();
            SetActive(false, false);
            return true;
        }
        if (SameText(name, "1V1CHAT_ADD_BUTTON_1")) return AddName(), false;
        if (SameText(name, "1V1CHAT_REMOVE_BUTTON_2")) return RemoveSelected(), false;
        if (SameText(name, "1V1CHAT_CLEAR_BUTTON_2")) return ClearAll(), false;
        if (SameText(name, "1V1CHAT_REFUSAL_BUTTON_2")) return ToggleRefuseAll(), false;
        if (SameText(name, "QMMEDITWIN_CHECK_BUTTON_1")) {
            m_nameKind = 0;
            return true;
        }
    }
    if (!control) {
        const int32_t lx = x - m_x, ly = y - m_y;
        if (ly >= 26 && ly <= 44 && lx >= 8 && lx <= 81) return SelectMode(0), false;
        if (ly >= 26 && ly <= 44 && lx >= 86 && lx <= 143) return SelectMode(1), false;
    }
    return CBaseWindow::OnControlEvent(button, x, y, control);
}
