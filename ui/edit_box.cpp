#include "ui/edit_box.h"

#include <algorithm>
#include <cstring>
#include <string>

#include "anim/ani_object.h"
#include "anim/ani_play_mgr.h"
#include "core/main_window.h"
#include "core/util.h"
#include "graphics/direct3d.h"
#include "graphics/direct_draw.h"
#include "graphics/display_settings.h"
#include "graphics/rich_text.h"
#include "graphics/text_layout.h"
#include "platform/clock.h"
#include "platform/codepage.h"
#include "platform/keyboard.h"
#include "ui/edit_mgr.h"
#include "ui/tooltip_window.h"

namespace {

constexpr int32_t kVisibleBytesMax = 255;
constexpr int32_t kPixelsPerVisibleByte = 6;
constexpr uint32_t kOpaqueWhite = 0xFFFFFFFF;  // ARGB
constexpr uint32_t kOpaqueBlack = 0xFF000000;
constexpr uint32_t kSelectionFill = 0xFF284C8C;
constexpr uint32_t kCandidateBar = 0x80FFFFFF;
// Popup lines of the input method: above the box, or below its top near the screen's top.
constexpr int32_t kPopupAbove = 30, kPopupBelow = 10, kPopupStep = 20;
constexpr int32_t kNearTop = 50, kNearTopChinese = 30;
constexpr int32_t kCandidateRow = 16;
constexpr uint32_t kWhite = 0xFFFFFF;

// The offset moved forward to the first character boundary at or after it.
int32_t ForwardToBoundary(const std::string& text, int32_t offset) {
    const char* start = text.c_str();
    const char* p = start;
    while (*p && p - start < offset) p = plat::CharNextA(p);
    return int32_t(p - start);
}

void FillBox(int32_t x1, int32_t y1, int32_t x2, int32_t y2, uint32_t colour) {
    if (g_pDirect3D && x2 > x1 && y2 > y1) g_pDirect3D->FillRect(x1, y1, x2, y2, colour);
}

// A rectangle with a one-pixel black border.
void OutlinedBox(int32_t x1, int32_t y1, int32_t x2, int32_t y2, uint32_t fill) {
    FillBox(x1, y1, x2, y2, kOpaqueBlack);
    FillBox(x1 + 1, y1 + 1, x2 - 1, y2 - 1, fill);
}

}  // namespace

CEditBox::CEditBox() {
    CEditBox::Create();
}

CEditBox::~CEditBox() {
    CEditBox::Release();
}

bool CEditBox::Create() {
    CStaticText::Create();
    m_caretTime = plat::timeGetTime();
    m_caretVisible = 1;
    m_useInputRect = 0;
    m_inputRect = WindowRect{};
    m_maxLength = EDIT_BOX_DEFAULT_LENGTH;
    m_maximum = INT32_MAX;
    m_minimum = 0;
    m_password = m_numeric = m_imeMode = 0;
    delete m_pCandidateTip;
    m_pCandidateTip = new CToolTipWindow;
    delete m_pCandidateFrame;
    m_pCandidateFrame = nullptr;
    if (const uint32_t frame = FindAniByName("ToolTip_Window")) {
        m_pCandidateFrame = new CAniObject;
        if (m_pCandidateFrame->SetAnimation(frame)) {
            m_pCandidateFrame->SetMotion(0);
            m_pCandidateFrame->SetUnderlay(false);
        } else {
            delete m_pCandidateFrame;
            m_pCandidateFrame = nullptr;
        }
    }
    m_firstVisible = 0;
    m_notify.Set(nullptr);
    m_shown.clear();
    return true;
}

bool CEditBox::Release() {
    // Gone while typed into: the keyboard goes back to the game.
    if (g_pWindowMgr && g_pWindowMgr->GetFocusedEditBox() == this) {
        CEditBox::SetActive(false, false);
        g_pWindowMgr->SetFocusedEditBox(nullptr);
    }
    delete m_pCandidateFrame;
    m_pCandidateFrame = nullptr;
    delete m_pCandidateTip;
    m_pCandidateTip = nullptr;
    m_notify.Set(nullptr);
    return CStaticText::Release();
}

bool CEditBox::IsFocused() const {
    return m_active && g_pEditMgr && g_pWindowMgr && g_pWindowMgr->GetFocusedEditBox() == this;
}

bool CEditBox::SetPosition(int32_t x, int32_t y) {
    return CBaseWindow::SetPosition(x, y);
}

bool CEditBox::SetText(const char* text) {
    if (!text) text = "";
    const size_t length = std::strlen(text);
    if (length >= EDIT_BOX_MAX_LENGTH || length > m_maxLength) return false;
    std::string value = text;
    if (m_numeric) {
        int32_t number = ParseInt32(text);
        number = std::max(number, m_minimum);
        number = std::min(number, m_maximum);
        value = std::to_string(number);
    }
    if (IsFocused()) g_pEditMgr->SetText(value.c_str());
    return CStaticText::SetText(value.c_str());
}

const char* CEditBox::GetCurrentText() {
    if (IsFocused()) {
        // The hidden control holds the text while the box is typed into.
        const std::string native = g_pEditMgr->GetText();
        const size_t keep = native.size() > m_maxLength && m_maxLength > 0
                                ? plat::DbcsPrefixLength(native, m_maxLength - 1)
                                : native.size();
        CStaticText::SetText(native.substr(0, keep).c_str());
    }
    return m_text;
}

int32_t CEditBox::GetNumber() {
    return m_numeric ? ParseInt32(GetCurrentText()) : 0;
}

void CEditBox::SetMaxLength(uint32_t length) {
    m_maxLength = std::min(length, EDIT_BOX_MAX_LENGTH);
    m_firstVisible = 0;
}

void CEditBox::SetValueRange(int32_t maximum, int32_t minimum) {
    m_maximum = maximum;
    m_minimum = minimum;
}

void CEditBox::SetInputRect(bool use, int32_t left, int32_t top, int32_t right, int32_t bottom) {
    m_useInputRect = use;
    m_inputRect = WindowRect{left, top, right, bottom};
}

void CEditBox::SetImeMode(uint8_t mode) {
    m_imeMode = mode;
    CImeEdit* ime = g_pEditMgr ? g_pEditMgr->GetImeEdit() : nullptr;
    if (!ime) return;
    if (mode)
        ime->SetImeOpen(1);
    else
        ime->ClearFilter();
}

bool CEditBox::UpdateRect() {
    if (m_useInputRect) {
        m_rect = m_inputRect;
        return true;
    }
    return CBaseWindow::UpdateRect();
}

bool CEditBox::OnKeyDown(uint32_t key, CBaseWindow* control) {
    if (control) return control->OnKeyDown(key, nullptr);
    if (!m_active) return true;
    if (key == plat::VK_ESCAPE) {
        SetActive(false, false);
        return false;
    }
    if (key == plat::VK_RETURN) {
        if (m_editLineWidth == 0) {
            if (IsFocused()) g_pEditMgr->ClearText();
            CStaticText::SetText("");
        }
        return false;
    }
    return true;
}

// Becoming active: the input method off for a password (on otherwise), the
// focused box before it deactivated, the hidden control set up with the
// box's limit, number mode, lines and text (all of it selected) and given
// the keyboard; with the alphanumeric mode the input method is detached.
// Becoming inactive: the keyboard goes back to the game when this was the
// focused box (keeping what was typed since the last draw), and the notify
// port hears event 11.
bool CEditBox::SetActive(bool active, bool keepOrder) {
    (void)keepOrder;  // the box always comes to the front with its window
    if ((m_active != 0) == active) return true;
    CEditMgr* mgr = g_pEditMgr;
    CImeEdit* ime = mgr ? mgr->GetImeEdit() : nullptr;
    if (active) {
        if (mgr) mgr->EnableIme(!m_password);
        CBaseWindow* previous = g_pWindowMgr ? g_pWindowMgr->GetFocusedEditBox() : nullptr;
        if (previous && previous != this) previous->SetActive(false, false);
        if (mgr) {
            mgr->SetLimit(m_maxLength);
            mgr->SetNumbersOnly(m_numeric);
        }
        g_textFocus = true;
        if (mgr) mgr->SetInputFocus(true);
        if (ime) {
            ime->ClearFilter();
            ime->AttachIme(true);
            if (m_imeMode) {
                ime->SetImeOpen(1);
                ime->AttachIme(false);
            }
        }
        if (mgr) {
            mgr->SetMultiLine(m_editLineWidth, m_editLineCount);
            mgr->SetText(m_text);
        }
        if (ime) ime->SetSelection(0, -1);
        if (g_pWindowMgr) g_pWindowMgr->SetFocusedEditBox(this);
        m_firstVisible = 0;
        return CBaseWindow::SetActive(true, false);
    }
    if (g_pWindowMgr && g_pWindowMgr->GetFocusedEditBox() == this) {
        // What was typed since the last frame was drawn stays the box's.
        GetCurrentText();
        g_textFocus = false;
        if (mgr) mgr->SetInputFocus(false);
    }
    m_notify.Post(GetId(), EDIT_BOX_DEACTIVATED, nullptr, 0);
    return CBaseWindow::SetActive(false, false);
}

int32_t CEditBox::WidthOf(const std::string& text, size_t from, size_t to) {
    if (!g_pEditMgr || to <= from || from >= text.size()) return 0;
    return g_pEditMgr->GetTextWidth(text.c_str() + from, uint32_t(std::min(to, text.size()) - from),
                                    GetFont());
}

CEditBox::View CEditBox::MakeView() {
    View view;
    if (!IsFocused()) {
        view.text = m_text;
        return view;
    }
    view.text = g_pEditMgr->GetText();
    const int32_t size = int32_t(view.text.size());
    // The modes may have shortened the control's text: offsets stay inside it.
    auto place = [&](int32_t offset) {
        return int32_t(plat::DbcsPrefixLength(view.text, size_t(std::clamp(offset, 0, size))));
    };
    view.caret = place(g_pEditMgr->GetCaret());
    view.selStart = place(g_pEditMgr->GetSelectionStart());
    view.selEnd = place(g_pEditMgr->GetSelectionEnd());
    if (g_pEditMgr->IsComposing()) {
        const std::string composition = g_pEditMgr->GetCompositionString();
        view.text.insert(size_t(view.caret), composition);
        view.compStart = view.caret;
        view.compLength = int32_t(composition.size());
        view.caret += std::clamp(g_pEditMgr->GetCompositionCursor(), 0, view.compLength);
        view.selStart = view.selEnd = 0;
    }
    return view;
}

bool CEditBox::Draw() {
    // 1. The image.
    if (!m_noImageDraw && m_pAniObject) m_pAniObject->Draw();
    // 2. The caret blinks.
    const uint32_t now = plat::timeGetTime();
    if (now - m_caretTime >= EDIT_BOX_CARET_BLINK_MS) {
        m_caretVisible = !m_caretVisible;
        m_caretTime = now;
    }
    const bool focused = IsFocused();
    // 3. How many bytes fit.
    int32_t width = kVisibleBytesMax;
    if (m_useInputRect)
        width =
            std::clamp((m_inputRect.right - m_inputRect.left) / kPixelsPerVisibleByte, 0, kVisibleBytesMax);
    // 4. A number out of the range becomes its bound.
    if (focused && m_numeric) {
        const int64_t number = ParseInt64(g_pEditMgr->GetText());
        if (number < m_minimum) g_pEditMgr->SetText(std::to_string(m_minimum).c_str());
        if (number > m_maximum) g_pEditMgr->SetText(std::to_string(m_maximum).c_str());
    }
    // 5., 6. What shows, scrolled so that the caret stays in view.
    const View view = MakeView();
    int32_t first = 0;
    if (focused) {
        first = m_firstVisible;
        if (view.caret > first + width) first = view.caret - width;
        if (view.caret < first) first = view.caret;
        first = ForwardToBoundary(view.text, first);
    }
    m_firstVisible = first;
    // 7. At most the visible bytes, stars for a password.
    const std::string rest = view.text.substr(size_t(std::min(first, int32_t(view.text.size()))));
    const size_t shownLength = plat::DbcsPrefixLength(rest, size_t(width));
    m_shown = m_password ? std::string(shownLength, '*') : rest.substr(0, shownLength);
    // 8. The selection behind the text.
    if (focused) DrawSelection(view, first);
    // 9. The text through the label, then the box's own text again from the control.
    const std::string own = m_text;
    CStaticText::SetText(m_shown.c_str());
    SetCaretPosition(-1);
    EditComposition marks;
    if (focused && view.compLength > 0) {
        marks.start = std::clamp(view.compStart - first, 0, int32_t(m_shown.size()));
        marks.length =
            std::clamp(view.compStart + view.compLength - first, 0, int32_t(m_shown.size())) - marks.start;
    }
    SetEditComposition(marks);
    CStaticText::Draw();
    SetEditComposition(EditComposition{});
    CStaticText::SetText(own.c_str());
    if (focused) GetCurrentText();
    // 10. The caret, and the input method's window beside it.
    if (focused) DrawCaret(view, first);
    return true;
}

void CEditBox::DrawSelection(const View& view, int32_t first) {
    const int32_t a = std::clamp(view.selStart - first, 0, int32_t(m_shown.size()));
    const int32_t b = std::clamp(view.selEnd - first, 0, int32_t(m_shown.size()));
    if (b <= a) return;
    const int32_t lineHeight = int32_t(GetLineHeight());
    const std::vector<TextLinePlace> lines =
        m_editLineWidth ? WrapLinePlaces(m_shown, int(m_editLineWidth), true)
                        : std::vector<TextLinePlace>{TextLinePlace{0, m_shown.size()}};
    const int32_t step = m_editLineWidth ? GetFontCellSize(m_fontSize).lineHeight : lineHeight;
    for (size_t i = 0; i < lines.size(); ++i) {
        const size_t ls = lines[i].start, le = ls + lines[i].length;
        const size_t from = std::max(size_t(a), ls), to = std::min(size_t(b), le);
        if (to <= from) continue;
        const int32_t top = m_y + int32_t(i) * step;
        const int32_t x1 = m_x + WidthOf(m_shown, ls, from), x2 = m_x + WidthOf(m_shown, ls, to);
        if (g_pDirectDraw) g_pDirectDraw->DrawRectOutline(x1 - 2, top - 2, x2 + 2, top + lineHeight + 2, 0);
        FillBox(x1, top, x2, top + lineHeight, kSelectionFill);
    }
}

void CEditBox::DrawCaret(const View& view, int32_t first) {
    const size_t at = size_t(std::clamp(view.caret - first, 0, int32_t(m_shown.size())));
    const int32_t lineHeight = int32_t(GetLineHeight());
    int32_t x = m_x, y = m_y;
    if (m_editLineWidth) {
        const EditCaretPlace place = FindEditCaret(m_shown, int(m_editLineWidth), int(at));
        const std::vector<TextLinePlace> lines = WrapLinePlaces(m_shown, int(m_editLineWidth), true);
        const size_t start = size_t(place.line) < lines.size() ? lines[size_t(place.line)].start : 0;
        x += WidthOf(m_shown, start, start + size_t(place.column));
        y += place.line * GetFontCellSize(m_fontSize).lineHeight;
    } else {
        x += WidthOf(m_shown, 0, at);
    }
    const int32_t caretWidth = view.compLength > 0 ? EDIT_BOX_COMPOSING_CARET_WIDTH : EDIT_BOX_CARET_WIDTH;
    m_caretX = x;
    m_caretY = y;
    g_pEditMgr->SetImeRect(x, y, caretWidth, lineHeight);
    if (m_caretVisible) OutlinedBox(x, y + lineHeight - 4, x + caretWidth, y + lineHeight, kOpaqueWhite);
}

void CEditBox::PopupPlace(int32_t* y, int32_t* step) {
    const int32_t language =
        g_pEditMgr && g_pEditMgr->GetImeEdit() ? g_pEditMgr->GetImeEdit()->GetInputLanguage() : 0;
    const bool chinese = language == IME_LANG_TRADITIONAL_CHINESE || language == IME_LANG_SIMPLIFIED_CHINESE;
    if (m_y < (chinese ? kNearTopChinese : kNearTop)) {
        *y = m_y + kPopupBelow;
        *step = kPopupStep;
    } else {
        *y = m_y - kPopupAbove;
        *step = -kPopupStep;
    }
}

void CEditBox::DrawImeOverlay() {
    if (!IsFocused() || !m_pCandidateTip) return;
    CImeEdit* ime = g_pEditMgr->GetImeEdit();
    if (!ime) return;
    int32_t y = 0, step = 0;
    PopupPlace(&y, &step);
    const int32_t x = m_caretX;
    auto line = [&](const std::string& text) {
        if (text.empty()) return;
        m_pCandidateTip->SetText(text.c_str(), kWhite);
        m_pCandidateTip->SetPosition(x, y);
        m_pCandidateTip->Draw();
        y += step;
    };
    const bool candidates = ime->GetCandidateList() != nullptr;
    switch (ime->GetInputLanguage()) {
        case IME_LANG_TRADITIONAL_CHINESE:
        case IME_LANG_SIMPLIFIED_CHINESE:
            // The composition itself shows at the caret.
            line(ime->GetImeName());
            line(ime->GetReadingString());
            if (candidates) DrawCandidateLine(x, y);
            break;
        case IME_LANG_JAPANESE:
            if (candidates) DrawCandidateList(x, y);
            break;
        default:
            if (candidates) DrawCandidateLine(x, y);
            break;
    }
}

void CEditBox::DrawCandidateLine(int32_t x, int32_t y) {
    std::string text;
    for (const CImeEdit::Candidate& c : g_pEditMgr->GetImeEdit()->Candidates())
        text += std::to_string(c.number) + c.text + " ";
    m_pCandidateTip->SetText(text.c_str(), kWhite);
    m_pCandidateTip->SetPosition(x, y);
    m_pCandidateTip->Draw();
}

void CEditBox::DrawCandidateList(int32_t x, int32_t y) {
    const CImeEdit* ime = g_pEditMgr->GetImeEdit();
    const std::vector<CImeEdit::Candidate>& entries = ime->Candidates();
    if (entries.empty()) return;
    std::vector<std::string> rows;
    size_t columns = 0;
    for (const CImeEdit::Candidate& c : entries) {
        char number[8];
        snprintf(number, sizeof number, "%2d ", c.number);
        rows.push_back(number + c.text);
        columns = std::max(columns, rows.back().size());
    }
    // The entry the composition shows: the same text, else the longest contained in it.
    const std::string& composition = ime->GetCompositionString();
    int32_t marked = -1;
    size_t longest = 0;
    for (size_t i = 0; i < entries.size(); ++i) {
        const std::string& candidate = entries[i].text;
        if (candidate == composition) {
            marked = int32_t(i);
            break;
        }
        if (!candidate.empty() && candidate.size() > longest &&
            composition.find(candidate) != std::string::npos) {
            marked = int32_t(i);
            longest = candidate.size();
        }
    }
    const int32_t n = int32_t(columns);
    CAniObject* frame = m_pCandidateFrame;
    auto piece = [frame](uint8_t direction, int32_t px, int32_t py) {
        if (!frame) return 0;
        frame->SetDirection(direction);
        const int32_t w = frame->GetWidth();
        frame->SetScreenPosition(px, py, 0);
        frame->Draw();
        return w;
    };
    int32_t leftCap = 0;
    if (frame) {
        frame->SetDirection(TOOLTIP_LEFT_CAP);
        leftCap = frame->GetWidth();
    }
    const int32_t left = std::max(x, leftCap);
    // Above the box the list ends at the popup line, below it starts there.
    const int32_t firstTop = y < m_y ? y - int32_t(rows.size() - 1) * kCandidateRow : y;
    for (size_t i = 0; i < rows.size(); ++i) {
        const int32_t top = firstTop + int32_t(i) * kCandidateRow;
        piece(TOOLTIP_LEFT_CAP, left - leftCap, top);
        for (int32_t k = 0; k < n; ++k) piece(TOOLTIP_MIDDLE, left + TOOLTIP_CELL * k, top);
        piece(TOOLTIP_RIGHT_CAP, left + TOOLTIP_CELL * n, top);
        if (int32_t(i) == marked)
            FillBox(left, top + 5, left + TOOLTIP_CELL * n, top + 5 + kCandidateRow, kCandidateBar);
        if (g_pTextRenderer && g_pDirectDraw)
            g_pTextRenderer->DrawString(g_pDirectDraw->GetRenderSurface(), left, top + 7, rows[i].c_str(), 0,
                                        kWhite, TEXT_STYLE_PLAIN, true);
    }
}
