#include "ui/message_box.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "anim/ani_object.h"
#include "anim/ani_play_mgr.h"
#include "core/main_mgr.h"
#include "data/item_object.h"
#include "data/item_table_mgr.h"
#include "data/text_format.h"
#include "data/text_tables.h"
#include "graphics/direct3d.h"
#include "graphics/direct_draw.h"
#include "graphics/display_settings.h"
#include "graphics/text_renderer.h"
#include "platform/keyboard.h"
#include "ui/button.h"
#include "ui/scroll_bar.h"
#include "ui/ui_requests.h"
#include "ui/window_mgr.h"

namespace {

constexpr const char* kScrollUpName = "MSG_BOX_SCROLL_BUTTON_UP";
constexpr const char* kScrollDownName = "MSG_BOX_SCROLL_BUTTON_DN";
constexpr const char* kScrollDragName = "MSG_BOX_SCROLL_BUTTON_DRAG";
constexpr const char* kScrollBarName = "MSG_BOX_SCROLLBAR";
constexpr const char* kGripName = "MESSAGEBOX_DOWN_BTN";
constexpr const char* kOkName = "MESSAGEBOX_OK_BTN";
constexpr const char* kCancelName = "MESSAGEBOX_CANCEL_BTN";
// "CommonIcons" frames of the buttons by style.
constexpr uint8_t kOkFrame[2] = {8, 10};
constexpr uint8_t kCancelFrame[2] = {9, 11};
constexpr uint32_t kShade = 0x80000000;  // black at half strength
constexpr int32_t kRunCellWidth = 6;
constexpr int32_t kRunHeight = 13;
constexpr int32_t kTextLeft = 10;
constexpr int kTradeTextTable = 14;
constexpr int kDisconnectTable = 0, kDisconnectRow = 10;

// The box's background is motion 0, direction 2 of "MessageBox"; an
// animation object starts with no motion and draws nothing until given one.
void ShowBackground(CAniObject* picture) {
    if (!picture) return;
    picture->SetMotion(0);
    picture->SetDirection(2);
}

}  // namespace

// ---- CMessageBox ----

CMessageBox::CMessageBox() {
    Create(nullptr, false, false, false, 0);
}

CMessageBox::CMessageBox(const char* text, bool showOk, bool showCancel, bool autoClose, int32_t style) {
    Create(text, showOk, showCancel, autoClose, style);
}

CMessageBox::~CMessageBox() {
    CMessageBox::Release();
}

bool CMessageBox::Create(const char* text, bool showOk, bool showCancel, bool autoClose, int32_t style) {
    CBaseWindow::Create();
    m_draggable = 1;
    m_pickable = 1;
    m_textRows = m_visibleRows = MESSAGE_BOX_MIN_ROWS;
    const uint32_t image = FindAniByName("MessageBox");
    CreateNamedWithAni(WINDOW_DRAG_TYPE, MESSAGE_BOX_NAME, image, image == 0);
    // Without its picture the box is still made whole: nothing below may
    // find a part missing.
    const bool made = m_pAniObject != nullptr;
    ShowBackground(m_pAniObject);

    const uint32_t icons = FindAniByName("CommonIcons");
    m_scrollBar.Assign(
        MakeChildScrollBar(this, kScrollBarName, {kScrollUpName, kScrollDownName, kScrollDragName}));

    m_kindId = 0;
    m_result = MESSAGE_BOX_RESULT_NONE;
    m_firstRow = 0;
    m_shownRows = 0;

    CButton* grip = MakeChildButton(kGripName, this, image, 1);
    grip->m_draggable = 1;
    grip->m_lockHorizontal = 1;
    m_grip.Assign(grip);
    m_ok.Assign(MakeChildButton(kOkName, this, icons, kOkFrame[0]));
    m_cancel.Assign(MakeChildButton(kCancelName, this, icons, kCancelFrame[0]));

    m_okNotifyOn = m_cancelNotifyOn = 0;
    m_okTarget.Set(nullptr);
    m_cancelTarget.Set(nullptr);
    m_okParameter = m_cancelParameter = 0;
    m_notifyText.reset();
    m_okReply.reset();
    m_cancelReply.reset();
    m_replyId = 0;
    m_userWords[0] = m_userWords[1] = 0;
    m_hideOnAnswer = 0;
    m_keep = 0;
    m_autoClose = autoClose;

    m_gripY = 200;
    SetPosition(400 - BackgroundWidth() / 2, 200);
    SetButtons(showOk, showCancel, style);
    if (text) AddText(text, kRichWhite);
    return made;
}

bool CMessageBox::Release() {
    m_text.FreeRichText();
    m_okReply.reset();
    m_cancelReply.reset();
    m_notifyText.reset();
    return CBaseWindow::Release();
}

CScrollBar* CMessageBox::GetScrollBar() const {
    return m_scrollBar.GetAs<CScrollBar>();
}
CButton* CMessageBox::GetGrip() const {
    return m_grip.GetAs<CButton>();
}
CButton* CMessageBox::GetOkButton() const {
    return m_ok.GetAs<CButton>();
}
CButton* CMessageBox::GetCancelButton() const {
    return m_cancel.GetAs<CButton>();
}

int32_t CMessageBox::BackgroundWidth() {
    return m_pAniObject ? m_pAniObject->GetWidth() : int32_t(m_width);
}

int32_t CMessageBox::BackgroundHeight() {
    return m_pAniObject ? m_pAniObject->GetHeight() : int32_t(m_height);
}

int32_t CMessageBox::ButtonStrip() const {
    CButton* ok = GetOkButton();
    CButton* cancel = GetCancelButton();
    return (ok && ok->IsDrawOn()) || (cancel && cancel->IsDrawOn()) ? 18 : 4;
}

int32_t CMessageBox::GripHeight() const {
    CButton* grip = GetGrip();
    return grip ? grip->GetHeight() : 0;
}

void CMessageBox::SetButtons(bool showOk, bool showCancel, int32_t style) {
    const uint32_t icons = style == 0 || style == 1 ? FindAniByName("CommonIcons") : 0;
    if (CButton* ok = GetOkButton()) {
        showOk ? ok->Show() : ok->Hide();
        if (icons) ok->LoadImage(icons, kOkFrame[style]);
    }
    if (CButton* cancel = GetCancelButton()) {
        showCancel ? cancel->Show() : cancel->Hide();
        if (icons) cancel->LoadImage(icons, kCancelFrame[style]);
    }
    SetPosition(m_x, m_y);
}

bool CMessageBox::SetPosition(int32_t x, int32_t y) {
    const int32_t screenHeight = GetDisplaySettings().screenHeight;
    CButton* ok = GetOkButton();
    CButton* cancel = GetCancelButton();
    const int32_t below = BackgroundHeight() + m_visibleRows * MESSAGE_BOX_ROW_HEIGHT + ButtonStrip();
    const int32_t gripHeight = GripHeight();
    m_gripY = y + below;
    if (m_gripY + gripHeight >= screenHeight) {
        m_gripY = screenHeight - gripHeight;
        y = m_gripY - below;
    }
    CBaseWindow::SetPosition(x, y);
    m_shownRows = m_textRows;
    UpdateRect();
    if (CButton* grip = GetGrip()) grip->SetPosition(x, m_gripY);
    PlaceScrollBar();
    const bool cancelShown = cancel && cancel->IsDrawOn();
    if (ok) ok->SetPosition(cancelShown ? x + 131 : x + 176, m_gripY - 17);
    if (cancel) cancel->SetPosition(x + 176, m_gripY - 17);
    return true;
}

bool CMessageBox::UpdateRect() {
    m_rect = WindowRect{m_x, m_y, m_x + BackgroundWidth(), m_gripY + GripHeight()};
    return true;
}

// Along the right edge of the text, from under the background to the grip.
void CMessageBox::PlaceScrollBar() {
    CScrollBar* bar = GetScrollBar();
    if (!bar) return;
    CButton* arrow = bar->GetFirstArrow();
    const int32_t left = m_x + 224;
    bar->SetBarRect(left, m_y + BackgroundHeight(), left + (arrow ? arrow->GetWidth() : 0), m_gripY);
}

void CMessageBox::Relayout() {
    SetPosition(m_x, m_y);
}

void CMessageBox::ClampFirstRow() {
    const int32_t last = std::max(0, std::min(m_shownRows, int32_t(CRichText::ROWS)) - m_visibleRows);
    m_firstRow = std::clamp(m_firstRow, 0, last);
}

bool CMessageBox::Update() {
    CWeakRef self(this);
    CBaseWindow::Update();
    if (!self) return true;
    if (m_shownRows > m_visibleRows) {
        CScrollBar* bar = GetScrollBar();
        const double percent = bar ? double(bar->GetScrollPercent()) : 0.0;
        const double first = double(m_shownRows) - (1.0 - percent * 0.01) * (m_shownRows - m_visibleRows) -
                             double(m_visibleRows);
        m_firstRow = std::isfinite(first) ? int32_t(std::clamp(first, 0.0, 64.0)) : 0;
        ClampFirstRow();
    } else {
        m_firstRow = 0;
    }
    m_shownRows = m_textRows;
    UpdateRect();
    if (CScrollBar* bar = GetScrollBar()) bar->SetMaximum(m_shownRows - m_visibleRows);
    return true;
}

void CMessageBox::GetDrawnRows(int32_t* first, int32_t* count) const {
    const int32_t shown = std::min(m_shownRows, int32_t(CRichText::ROWS));
    int32_t f = 0, n = shown;
    if (shown - 1 >= m_visibleRows) {
        f = m_firstRow;
        n = std::min(m_visibleRows, shown - f);
    }
    if (first) *first = f;
    if (count) *count = std::max(0, n);
}

bool CMessageBox::Draw() {
    CWeakRef self(this);
    const int32_t width = BackgroundWidth();
    if (g_pDirect3D) {
        g_pDirect3D->FillRect(m_x, m_y + 6, m_x + width, m_gripY, kShade);
        g_pDirect3D->FillRect(m_x + 220, m_y + 12, m_x + width, m_gripY, kShade);
    }
    CBaseWindow::Draw();
    if (!self || !IsDrawOn() || !g_pTextRenderer || !g_pDirectDraw) return true;
    int32_t first = 0, count = 0;
    GetDrawnRows(&first, &count);
    const int32_t top = m_y + BackgroundHeight() + 4;
    for (int32_t k = 0; k < count; ++k)
        for (const CRichTextRun& run : m_text.Row(first + k))
            g_pTextRenderer->DrawString(
                g_pDirectDraw->GetRenderSurface(), m_x + kTextLeft + run.startColumn * kRunCellWidth,
                top + MESSAGE_BOX_ROW_HEIGHT * k, run.text, 0, run.colour, run.style, true);
    return true;
}

void CMessageBox::SetOkNotify(bool enabled, CMsgPort* target, uint32_t parameter) {
    m_okNotifyOn = enabled;
    m_okTarget.Set(target);
    m_okParameter = parameter;
}

void CMessageBox::SetCancelNotify(bool enabled, CMsgPort* target, uint32_t parameter) {
    m_cancelNotifyOn = enabled;
    m_cancelTarget.Set(target);
    m_cancelParameter = parameter;
}

void CMessageBox::SetNotifyText(const char* text) {
    if (text)
        m_notifyText = text;
    else
        m_notifyText.reset();
}

bool CMessageBox::SetReplyId(uint32_t id) {
    m_replyId = id;
    return true;
}

bool CMessageBox::SetTexts(const char* okReply, const char* cancelReply) {
    if (!okReply || !cancelReply) return false;
    m_okReply = okReply;
    m_cancelReply = cancelReply;
    return true;
}

void CMessageBox::SetUserWords(uint32_t first, uint32_t second) {
    m_userWords[0] = first;
    m_userWords[1] = second;
}

void CMessageBox::GetResultTargets(uint32_t* first, uint32_t* second) const {
    if (first) *first = m_userWords[0];
    if (second) *second = m_userWords[1];
}

void CMessageBox::ClearText() {
    m_text.FreeRichText();
    m_textRows = MESSAGE_BOX_MIN_ROWS;
    m_firstRow = 0;
}

void CMessageBox::AddText(const char* text, uint32_t colour, CBaseWindow* linked, int32_t row) {
    m_text.ParseRichText(0, row, text, colour, 0, linked);
    m_textRows = std::max(m_text.RowsUsed(), 1);
    m_shownRows = m_textRows;
    ClampFirstRow();
}

void CMessageBox::SetTextRows(int32_t rows) {
    m_textRows = std::clamp(rows, 1, int32_t(CRichText::ROWS));
    m_shownRows = m_textRows;
    ClampFirstRow();
}

void CMessageBox::PostAnswer(bool ok) {
    if (m_replyId) {
        const std::optional<std::string>& reply = ok ? m_okReply : m_cancelReply;
        SendMessageBoxReply(m_replyId, reply ? reply->c_str() : "");
        return;
    }
    if (!(ok ? m_okNotifyOn : m_cancelNotifyOn)) return;
    MsgDataPtr parameter;
    if (m_notifyText)
        parameter = std::make_unique<CMsgText>(*m_notifyText);
    else
        parameter = std::make_unique<CMsgWord>(ok ? m_okParameter : m_cancelParameter);
    (ok ? m_okTarget : m_cancelTarget).Post(m_kindId, MESSAGE_BOX_ANSWER, std::move(parameter), ok ? 1 : 0);
}

void CMessageBox::Answer(bool ok, bool byKey) {
    PostAnswer(ok);
    m_result = ok ? 1 : 0;
    CButton* cancel = GetCancelButton();
    const bool cancelShown = cancel && cancel->IsDrawOn();
    const bool hide = byKey ? (m_autoClose || !cancelShown || !ok) : (m_autoClose || m_hideOnAnswer);
    if (hide) Hide();
}

bool CMessageBox::OnControlEvent(int32_t button, int32_t x, int32_t y, CBaseWindow* control) {
    if (!control) {
        // Links open for the left button only.
        if (button == 0) OpenLinkAt(x, y);
        return CBaseWindow::OnControlEvent(button, x, y, nullptr);
    }
    if (button == 0 && (control == GetOkButton() || control == GetCancelButton())) {
        if (!control->IsDrawOn() || !IsClickOn(control, x, y)) return true;
        Answer(control == GetOkButton(), false);
        return false;
    }
    return control->OnControlEvent(button, x, y, nullptr);
}

bool CMessageBox::OnKeyDown(uint32_t key, CBaseWindow* control) {
    CButton* ok = GetOkButton();
    CButton* cancel = GetCancelButton();
    if (IsActive() && IsDrawOn() && ok && ok->IsDrawOn() &&
        (key == plat::VK_RETURN || key == plat::VK_ESCAPE)) {
        const bool cancelShown = cancel && cancel->IsDrawOn();
        const bool answerOk = key == plat::VK_RETURN || !cancelShown;
        if (CButton* pressed = answerOk ? ok : cancel) pressed->Press();
        Answer(answerOk, true);
        return false;
    }
    return CBaseWindow::OnKeyDown(key, control);
}

template <class Fn>
void CMessageBox::ForEachLinkedWindow(Fn fn) {
    for (int32_t row = 0; row < CRichText::ROWS; ++row)
        for (const CRichTextRun& run : m_text.Row(row))
            if (auto* window = run.linked.GetAs<CBaseWindow>()) fn(run, row, window);
}

bool CMessageBox::OpenLinkAt(int32_t x, int32_t y) {
    int32_t first = 0, count = 0;
    GetDrawnRows(&first, &count);
    const int32_t top = m_y + BackgroundHeight() + 4;
    CBaseWindow* clicked = nullptr;
    ForEachLinkedWindow([&](const CRichTextRun& run, int32_t row, CBaseWindow* window) {
        if (clicked || row < first || row >= first + count) return;
        const int32_t left = m_x + kTextLeft + run.startColumn * kRunCellWidth;
        const int32_t length = int32_t(std::strlen(run.text));
        const int32_t rowTop = top + MESSAGE_BOX_ROW_HEIGHT * (row - first);
        if (x >= left && x < left + length * kRunCellWidth && y >= rowTop && y < rowTop + kRunHeight)
            clicked = window;
    });
    if (!clicked) return false;
    ForEachLinkedWindow([clicked](const CRichTextRun&, int32_t, CBaseWindow* window) {
        if (window != clicked) window->Hide();
    });
    const int32_t screenHeight = GetDisplaySettings().screenHeight;
    const int32_t height = clicked->ImageHeight();
    clicked->SetPosition(x, std::max(0, std::min(y, screenHeight - height)));
    clicked->Show();
    return true;
}

bool CMessageBox::OnMouseMove(int32_t button, int32_t x, int32_t y, CBaseWindow* control) {
    CButton* grip = GetGrip();
    if (!control || control != grip) return CBaseWindow::OnMouseMove(button, x, y, control);
    CDragObject* held = WindowCursor() ? WindowCursor()->GetHeldObject() : nullptr;
    if (held && held != grip && held != this) return true;
    const int32_t before = grip->GetY();
    const bool moved = !grip->OnMouseMove(button, x, y, nullptr);
    const int32_t after = grip->GetY();
    if (after == before) return !moved;
    // Rows between the background and the strip the layout leaves under them.
    const int32_t rows = (after - m_y - BackgroundHeight() - ButtonStrip()) / MESSAGE_BOX_ROW_HEIGHT;
    if (rows < MESSAGE_BOX_MIN_ROWS && after < before) {
        m_visibleRows = MESSAGE_BOX_MIN_ROWS;
        Relayout();
    } else if (rows >= m_textRows && after > before) {
        m_visibleRows = std::max(m_textRows, MESSAGE_BOX_MIN_ROWS);
        Relayout();
    } else {
        m_visibleRows = std::max(rows, MESSAGE_BOX_MIN_ROWS);
        m_gripY = after;
        UpdateRect();
    }
    ClampFirstRow();
    PlaceScrollBar();
    return false;
}

bool CMessageBox::Hide() {
    CBaseWindow::Hide();
    ForEachLinkedWindow([](const CRichTextRun&, int32_t, CBaseWindow* window) { window->Hide(); });
    return true;
}

bool CMessageBox::SetActive(bool active, bool) {
    return CBaseWindow::SetActive(active, false);
}

void CMessageBox::CentreOnScreen() {
    // By the box's picture, not the rows and grip below it.
    const CDisplaySettings& screen = GetDisplaySettings();
    SetPosition(screen.screenWidth / 2 - BackgroundWidth() / 2,
                screen.screenHeight / 2 - BackgroundHeight() / 2);
}

bool CMessageBox::ShowTradeNotice(TradeNotice notice, uint32_t value) {
    struct Row {
        int row;
        bool cancel;
        uint32_t boxId;
        const char* sound;
    };
    Row r{58, false, 30, nullptr};
    std::string text;
    switch (notice) {
        case TradeNotice::kPlain1:
            break;
        case TradeNotice::kQuestion:
            r = {59, true, 3, nullptr};
            break;
        case TradeNotice::kDealDone:
            r = {60, false, 6, "DealSuccess"};
            break;
        case TradeNotice::kDealRefused:
            r = {62, false, 5, "DealFailed"};
            break;
        case TradeNotice::kGraded: {
            constexpr uint32_t kLimits[] = {10, 20, 40, 60, 80, 90, 101};
            int row = -1;
            for (int i = 0; i < 7 && row < 0; ++i)
                if (value < kLimits[i]) row = 66 + i;
            if (value == 128 || value == 129) row = 73;
            if (row < 0) return false;  // no notice says anything of the other values
            r.row = row;
            break;
        }
        case TradeNotice::kMixFailed:
            r = {74, false, 30, "MixFailed"};
            break;
        case TradeNotice::kMixSucceeded: {
            r = {75, false, 30, "MixSuccess"};
            CItemObject* made = g_pItemTableMgr ? g_pItemTableMgr->FindTemplateById(value) : nullptr;
            if (made)
                text = FormatTableText(GetTableText(kTradeTextTable, 75), {made->GetText3()});
            else
                r.row = 76;
            break;
        }
        case TradeNotice::kPlain2:
            r.row = 63;
            break;
        case TradeNotice::kPlain3:
            r.row = 77;
            break;
        case TradeNotice::kPlain4:
            r.row = 78;
            break;
        case TradeNotice::kQuestion2:
            r = {79, true, 7, nullptr};
            break;
    }
    if (text.empty()) {
        const char* format = GetTableText(kTradeTextTable, r.row);
        text = r.row == 59 || r.row == 79 ? FormatTableText(format, {value}) : std::string(format);
    }
    SetButtons(true, r.cancel, 0);
    CentreOnScreen();
    Show();
    SetActive(true, false);
    ClearText();
    AddText(text.c_str(), kRichWhite);
    SetKindId(r.boxId);
    if (r.sound) PlayUiSound(r.sound);
    return true;
}

// ---- CAutoHideMessageBox ----

CAutoHideMessageBox::CAutoHideMessageBox(const char* text) {
    CAutoHideMessageBox::Create(text);
}

CAutoHideMessageBox::~CAutoHideMessageBox() {
    CAutoHideMessageBox::Release();
}

bool CAutoHideMessageBox::Create(const char* text) {
    CBaseWindow::Create();
    m_lines = std::make_unique<CTextLineBuffer>();
    m_textCopy = text ? text : "";
    const uint32_t image = FindAniByName("MessageBox");
    CreateNamedWithAni(WINDOW_DRAG_TYPE, AUTOHIDE_MESSAGE_BOX_NAME, image, image == 0);
    ShowBackground(m_pAniObject);
    return m_pAniObject != nullptr;
}

bool CAutoHideMessageBox::Create() {
    const std::string text = m_textCopy;
    return Create(text.c_str());
}

bool CAutoHideMessageBox::Release() {
    m_lines.reset();
    return CBaseWindow::Release();
}

const char* CAutoHideMessageBox::GetText() const {
    return m_textCopy.c_str();
}

bool CAutoHideMessageBox::UpdateRect() {
    return CBaseWindow::UpdateRect();
}

bool CAutoHideMessageBox::Draw() {
    CWeakRef self(this);
    CBaseWindow::Draw();
    if (!self || !m_lines || !IsDrawOn()) return true;
    // One character cell a column, as the box's lines are laid out.
    const int32_t columns = std::max(1, ImageWidth() / kRunCellWidth);
    const int32_t last = m_lines->LayoutLines(m_textCopy.c_str(), columns, true, true);
    m_lines->DrawLines(0, m_x, m_y + 21, columns, last + 1, m_textCopy.c_str(), 0, true, 0, 0);
    return true;
}

bool CAutoHideMessageBox::OnControlEvent(int32_t button, int32_t x, int32_t y, CBaseWindow* control) {
    return DefaultReturnTrue(button, x, y, control);
}

// ---- Flags and the disconnect notice ----

bool CMessageBoxFlags::IsAutoClose(CBaseWindow* box) {
    auto* messageBox = dynamic_cast<CMessageBox*>(box);
    return messageBox && messageBox->IsAutoClose();
}

bool CMessageBoxFlags::IsKept(CBaseWindow* box) {
    auto* messageBox = dynamic_cast<CMessageBox*>(box);
    return messageBox && messageBox->IsKept();
}

void CDisconnectNotice::Show() {
    if (!g_pWindowMgr) return;
    // The same loss reported twice (the main window and the session) shows one box.
    if (CMessageBox* shown = GetBox(); shown && shown->IsDrawOn()) return;
    auto* box = new CMessageBox;
    box->SetButtons(true, false, 0);
    box->CentreOnScreen();
    box->Show();
    box->SetActive(true, false);
    box->AddText(GetTableText(kDisconnectTable, kDisconnectRow), kRichWhite);
    box->SetKindId(MESSAGE_BOX_DISCONNECT_KIND);
    if (g_pMainMgr)
        if (CBaseObject* scene = g_pMainMgr->FindChildByKind(0))
            box->SetOkNotify(true, scene->GetPort(), MESSAGE_BOX_DISCONNECT_KIND);
    g_pWindowMgr->AddChild(box);
    m_box.Assign(box);
}
