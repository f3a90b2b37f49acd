#include "windows/community/name_memo_window.h"

#include <algorithm>
#include <cstdio>
#include <string>

#include "anim/ani_object.h"
#include "data/text_tables.h"
#include "platform/edit_control.h"
#include "platform/url.h"
#include "ui/button.h"
#include "ui/scroll_bar.h"
#include "ui/window_messages.h"
#include "windows/community/community_draw.h"

namespace {

constexpr uint32_t kEscape = 27, kDelete = 46;
constexpr size_t kUrlShown = 30;

const char* KindTag(uint8_t kind) {
    switch (kind) {
        case 0:
            return "(USER)";
        case 1:
            return "(NPC)";
        case 2:
            return "(MON)";
        case 3:
            return "(PET)";
        case 6:
            return "(ITEM)";
        default:
            return "";
    }
}

}  // namespace

CNameMemoWin::CNameMemoWin() {
    CNameMemoWin::Create();
}

CNameMemoWin::~CNameMemoWin() {
    CNameMemoWin::Release();
}

bool CNameMemoWin::Create() {
    CBaseWindow::Create();
    CreateNamedWithAni(WINDOW_DRAG_TYPE, "NAME_MEMO_WIN", NAME_MEMO_IMAGE, false);
    if (m_pAniObject) {
        m_pAniObject->SetMotion(0);
        m_pAniObject->SetDirection(2);
    }
    m_draggable = 1;
    MakeChildButton("NAMEMEMOWIN_CLOSE_BUTTON", this, NAME_MEMO_IMAGE, 1);
    if (CButton* help = MakeChildButton("NAMEMEMOWIN_HELP_BUTTON", this, NAME_MEMO_IMAGE, 2))
        help->SetToolTip(true, GetTableText(14, 640), 1000);
    m_scrollBar.Assign(MakeChildScrollBar(
        this, "NAMEMOWIN_SCROLLBAR",
        {"NAMEMOWIN_SCROLL_BUTTON_UP", "NAMEMOWIN_SCROLL_BUTTON_DN", "NAMEMOWIN_SCROLL_BUTTON_DRAG"}));
    m_selectedRow = -1;
    SetPosition(400 - ImageWidth() / 2, 300 - ImageHeight() / 2);
    m_list.Load(NAME_MEMO_FILE);
    UpdateRange();
    return true;
}

bool CNameMemoWin::Release() {
    m_list = CNameMemoList{};
    return CBaseWindow::Release();
}

bool CNameMemoWin::SetPosition(int32_t x, int32_t y) {
    if (CButton* close = FindChildButton(this, "NAMEMEMOWIN_CLOSE_BUTTON"))
        close->SetPosition(x + 206, y + 6);
    if (CButton* help = FindChildButton(this, "NAMEMEMOWIN_HELP_BUTTON")) help->SetPosition(x + 189, y + 6);
    if (auto* bar = m_scrollBar.GetAs<CScrollBar>()) bar->SetBarRect(x + 210, y + 38, x + 216, y + 249);
    return CBaseWindow::SetPosition(x, y);
}

int32_t CNameMemoWin::RowCount() const {
    return int32_t(m_list.Names().size() + m_list.Urls().size());
}

int32_t CNameMemoWin::FirstRow() const {
    auto* bar = m_scrollBar.GetAs<CScrollBar>();
    return bar ? int32_t(bar->GetScrollPos()) : 0;
}

void CNameMemoWin::UpdateRange() {
    if (auto* bar = m_scrollBar.GetAs<CScrollBar>())
        bar->SetMaximum(std::max(0, RowCount() - NAME_MEMO_ROWS));
}

void CNameMemoWin::AddName(const char* name, int32_t kind) {
    if (!name) return;
    m_list.AddName(name, uint8_t(kind));
    m_list.Save(NAME_MEMO_FILE);
    UpdateRange();
    plat::SetClipboardText(m_list.Names().front().name);
}

void CNameMemoWin::ScanUrls(const char* text) {
    if (!text) return;
    for (const std::string& url : FindUrls(text)) m_list.AddUrl(url);
    UpdateRange();
}

void CNameMemoWin::PullSelection() {
    UpdateRange();
    if (m_selectedRow >= RowCount()) m_selectedRow = RowCount() - 1;
    if (m_selectedRow < -1) m_selectedRow = 0;
}

void CNameMemoWin::RemoveNameAt(int32_t index) {
    if (!m_list.RemoveNameAt(index)) return;
    m_list.Save(NAME_MEMO_FILE);
    PullSelection();
}

void CNameMemoWin::RemoveUrlAt(int32_t index) {
    if (!m_list.RemoveUrlAt(index)) return;
    PullSelection();
}

int32_t CNameMemoWin::RowAt(int32_t x, int32_t y) const {
    const int32_t lx = x - m_x, ly = y - m_y;
    if (lx < 8 || lx > 200 || ly < 35 || ly > 260 || ly < 36) return -1;
    const int32_t row = (ly - 36) / 16 + FirstRow();
    return row < RowCount() ? row : -1;
}

void CNameMemoWin::ClickRow(int32_t row) {
    const int32_t before = m_selectedRow;
    m_selectedRow = row;
    if (row < 0) return;
    const int32_t names = int32_t(m_list.Names().size());
    if (row < names) {
        plat::SetClipboardText(m_list.Names()[size_t(row)].name);
        return;
    }
    const std::string& url = m_list.Urls()[size_t(row - names)];
    plat::SetClipboardText(url);
    if (before != row) return;
    // "www." addresses go to the browser as "http://www.".
    const std::string full = url.compare(0, 4, "www.") == 0 ? "http://" + url : url;
    if (IsOpenableUrl(full.c_str())) plat::OpenUrl(full);
}

bool CNameMemoWin::OnMouseDown(int32_t button, int32_t x, int32_t y, CBaseWindow* control) {
    if (button == 0 && !control && IsActive()) {
        ClickRow(RowAt(x, y));
        return false;
    }
    return CBaseWindow::OnMouseDown(button, x, y, control);
}

bool CNameMemoWin::OnDoubleClick(int32_t button, int32_t x, int32_t y, CBaseWindow* control) {
    return OnMouseDown(button, x, y, control);
}

bool CNameMemoWin::OnControlEvent(int32_t button, int32_t x, int32_t y, CBaseWindow* control) {
    if (control && control->IsInputOn() && IsClickOn(control, x, y)) {
        const char* name = control->GetName();
        if (SameText(name, "NAMEMEMOWIN_CLOSE_BUTTON")) {
            Hide();
            return false;
        }
        if (SameText(name, "NAMEMEMOWIN_HELP_BUTTON")) {
            std::string text;
            for (int row = 636; row <= 639; ++row) text += GetTableText(14, row);
            ShowCommunityOkBox(text.c_str());
            return false;
        }
    }
    return CBaseWindow::OnControlEvent(button, x, y, control);
}

bool CNameMemoWin::OnKeyDown(uint32_t key, CBaseWindow* control) {
    if (key == kEscape) {
        Hide();
        return false;
    }
    if (key == kDelete) {
        const int32_t names = int32_t(m_list.Names().size());
        if (m_selectedRow >= 0 && m_selectedRow < names)
            RemoveNameAt(m_selectedRow);
        else if (m_selectedRow >= names)
            RemoveUrlAt(m_selectedRow - names);
        return false;
    }
    return CBaseWindow::OnKeyDown(key, control);
}

bool CNameMemoWin::Draw() {
    if (!IsDrawOn()) return true;
    CWeakRef self(this);
    CBaseWindow::Draw();
    if (!self) return true;
    const int32_t first = FirstRow(), names = int32_t(m_list.Names().size());
    for (int32_t i = 0; i < NAME_MEMO_ROWS && first + i < RowCount(); ++i) {
        const int32_t row = first + i, y = m_y + 36 + 16 * i;
        std::string text;
        if (row < names) {
            const NameMemoEntry& entry = m_list.Names()[size_t(row)];
            char number[24];
            std::snprintf(number, sizeof number, "%2d : ", int(row));
            text = number + entry.name + " " + KindTag(entry.kind);
        } else {
            const std::string& url = m_list.Urls()[size_t(row - names)];
            text = "URL: " + (url.size() > kUrlShown ? url.substr(0, kUrlShown) + "..." : url) + " ";
        }
        const bool selected = row == m_selectedRow;
        if (selected) FillCommunityRect(m_x + 8, y - 2, m_x + 200, y + 14, 0x80FFFFFF);
        DrawCommunityText(m_x + 11, y, text.c_str(), selected ? 0x000000 : 0xFFFFFF);
    }
    return true;
}
