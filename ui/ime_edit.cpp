#include "ui/ime_edit.h"

#include <algorithm>

#include "core/util.h"
#include "platform/codepage.h"
#include "platform/keyboard.h"

int32_t InputLanguageOfCodePage(unsigned codePage) {
    switch (codePage) {
        case plat::CP_SHIFT_JIS:
            return IME_LANG_JAPANESE;
        case plat::CP_KOREAN:
            return IME_LANG_KOREAN;
        default:
            return IME_LANG_OTHER;
    }
}

std::string NumberOnlyText(const std::string& text) {
    size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || (text[i] >= '\t' && text[i] <= '\r'))) ++i;
    const bool negative = i < text.size() && text[i] == '-';
    if (i < text.size() && (text[i] == '-' || text[i] == '+')) ++i;
    while (i < text.size() && text[i] == '0') ++i;
    std::string digits;
    while (i < text.size() && text[i] >= '0' && text[i] <= '9') digits += text[i++];
    if (digits.empty()) return {};
    return negative ? "-" + digits : digits;
}

std::string AlphanumericOnly(const std::string& text) {
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        const uint8_t c = uint8_t(text[i]);
        if (plat::IsDBCSLeadByte(c)) {
            ++i;  // with its second byte
            continue;
        }
        if ((c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z')) out += char(c);
    }
    return out;
}

CImeEdit::CImeEdit() : m_inputLanguage(InputLanguageOfCodePage(plat::GetACP())) {}

CImeEdit::~CImeEdit() {
    Destroy();
}

bool CImeEdit::Create(plat::WindowHandle parent, plat::WindowProc proc) {
    Destroy();
    m_window = plat::CreateEditControl(parent);
    if (!m_window) return false;
    // Without a procedure in front the editing runs alone.
    m_previousProc = plat::SetWindowProc(m_window, proc);
    m_inputLanguage = InputLanguageOfCodePage(plat::GetACP());
    plat::SetWindowText(m_window, "");
    SetLimit(IME_EDIT_DEFAULT_LIMIT, false);
    return true;
}

void CImeEdit::Destroy() {
    m_hasCandidates = false;
    m_candidateBuffer = plat::ImeCandidateList{};
    m_candidates.clear();
    m_keyCallbacks.clear();
    if (m_window) plat::DestroyWindow(m_window);
    m_window = nullptr;
    m_previousProc = nullptr;
    m_composing = 0;
}

void CImeEdit::SetText(const char* text) {
    std::string value = text ? text : "";
    if (m_numbersOnly && !value.empty() && NumberOnlyText(value).empty()) value.clear();
    plat::SetWindowText(m_window, value);
    MoveCaret(false);
}

const std::string& CImeEdit::GetText() {
    const std::string raw = plat::GetWindowText(m_window);
    m_text.assign(raw, 0, plat::DbcsPrefixLength(raw, size_t(m_limit) + 1));
    if (m_numbersOnly && !m_text.empty()) {
        m_text = NumberOnlyText(m_text);
        if (m_text.empty()) plat::SetWindowText(m_window, "");
    }
    if (m_alphanumericFilter) m_text = AlphanumericOnly(m_text);
    return m_text;
}

void CImeEdit::SetSelection(int32_t start, int32_t end) {
    plat::EditSetSelection(m_window, start, end);
    plat::EditGetSelection(m_window, &m_selectionStart, &m_selectionEnd, &m_caret);
}

void CImeEdit::GetSelection(int32_t* caret, int32_t* start, int32_t* end, int32_t* compositionCursor) {
    plat::EditGetSelection(m_window, &m_selectionStart, &m_selectionEnd, &m_caret);
    if (caret) *caret = m_caret;
    if (start) *start = m_selectionStart;
    if (end) *end = m_selectionEnd;
    if (compositionCursor) *compositionCursor = m_compositionCursor;
}

void CImeEdit::MoveCaret(bool home) {
    // Straight to the place: a key message would extend the selection while Shift is held.
    const int32_t at = home ? 0 : int32_t(plat::GetWindowText(m_window).size());
    SetSelection(at, at);
}

bool CImeEdit::SetFocus() {
    if (!m_window) return false;
    if (plat::GetFocus() != m_window) plat::SetFocus(m_window);
    return plat::GetFocus() == m_window;
}

void CImeEdit::SetNumbersOnly(bool on, bool clear) {
    if (clear) plat::SetWindowText(m_window, "");
    m_numbersOnly = on;
    const uint32_t style = plat::EditGetStyle(m_window);
    plat::EditSetStyle(m_window, on ? style | plat::ES_NUMBER : style & ~uint32_t(plat::ES_NUMBER));
}

void CImeEdit::SetLimit(uint32_t limit, bool clear) {
    if (clear) plat::SetWindowText(m_window, "");
    m_limit = limit;
    plat::EditSetLimit(m_window, limit);
}

void CImeEdit::SetMultiLine(bool on, uint32_t columns, uint32_t lines, bool clear) {
    const uint32_t style = plat::EditGetStyle(m_window);
    if (!on) {
        m_multiLine = 0;
        plat::EditSetStyle(m_window, style & ~uint32_t(plat::ES_MULTILINE));
        return;
    }
    if (clear) plat::SetWindowText(m_window, "");
    // Room for a CR LF between lines; no lines take nothing.
    const uint64_t bytes = lines == 0 ? 0 : (uint64_t(columns) + 2) * lines - 2;
    SetLimit(uint32_t(std::min<uint64_t>(bytes, UINT32_MAX)), false);
    m_columns = columns;
    m_lines = lines;
    m_multiLine = 1;
    plat::EditSetStyle(m_window, style | plat::ES_MULTILINE);
}

void CImeEdit::AttachIme(bool attach) {
    plat::ImmAssociateContext(m_window, attach);
}

void CImeEdit::SetNativeMode() {
    if (m_inputLanguage == IME_LANG_JAPANESE) return;
    plat::ImmSetConversionStatus(m_window, plat::IME_CMODE_NATIVE, plat::IME_SMODE_AUTOMATIC);
    UpdateConversion(m_window, false, 0, 0);
}

void CImeEdit::SetImeOpen(uint8_t filter) {
    if (m_inputLanguage == IME_LANG_JAPANESE) return;
    m_alphanumericFilter = filter;
    plat::ImmSetConversionStatus(m_window, plat::IME_CMODE_ALPHANUMERIC, plat::IME_SMODE_AUTOMATIC);
    UpdateConversion(m_window, false, 0, 0);
}

void CImeEdit::UpdateConversion(plat::WindowHandle window, bool set, uint32_t conversion, uint32_t sentence) {
    uint32_t conv = 0, sent = 0;
    plat::ImmGetConversionStatus(window, &conv, &sent);
    if (conversion || sentence) {
        if (set) {
            conv |= conversion;
            sent |= sentence;
        } else {
            conv &= ~conversion;
            sent &= ~sentence;
        }
        plat::ImmSetConversionStatus(window, conv, sent);
        plat::ImmGetConversionStatus(window, &conv, &sent);
    }
    m_symbolMode = (conv & plat::IME_CMODE_SYMBOL) != 0;
    m_fullShape = (conv & plat::IME_CMODE_FULLSHAPE) != 0;
}

const plat::ImeCandidateList* CImeEdit::GetCandidateList() const {
    return m_hasCandidates && !m_candidateBuffer.candidates.empty() ? &m_candidateBuffer : nullptr;
}

void CImeEdit::RegisterKey(uint32_t virtualKey, KeyCallback callback) {
    m_keyCallbacks[virtualKey] = callback;
}

int CImeEdit::RunKey(uint32_t virtualKey, int phase) {
    auto it = m_keyCallbacks.find(virtualKey);
    return it != m_keyCallbacks.end() && it->second ? it->second(phase) : 0;
}

plat::LResult CImeEdit::CallPreviousProc(plat::WindowHandle window, uint32_t message, plat::WParam wParam,
                                         plat::LParam lParam) {
    return plat::CallWindowProc(m_previousProc, window, message, wParam, lParam);
}

bool CImeEdit::OnInputLanguageChange() {
    // The input method comes with the code page; it has no name of its own here.
    m_inputLanguage = InputLanguageOfCodePage(plat::GetACP());
    m_imeName.clear();
    UpdateConversion(m_window, false, 0, 0);
    return false;
}

void CImeEdit::OnComposition(uint32_t changes) {
    m_hasCandidates = false;
    m_candidateBuffer = plat::ImeCandidateList{};
    if (changes == 0 || (changes & plat::GCS_RESULTSTR)) {
        m_composition.clear();
        m_reading.clear();
        m_compositionCursor = 0;
        return;
    }
    plat::ImeComposition comp;
    plat::ImeGetComposition(m_window, &comp);
    // Korean too: the composition is shown at the caret, nothing else would show it.
    if (changes & plat::GCS_COMPSTR)
        m_composition.assign(comp.text, 0, plat::DbcsPrefixLength(comp.text, IME_COMPOSITION_MAX));
    if (changes & plat::GCS_CURSORPOS)
        m_compositionCursor = std::clamp(comp.cursor, 0, int32_t(m_composition.size()));
    if (changes & plat::GCS_DELTASTART) m_deltaStart = comp.deltaStart;
    if (changes & plat::GCS_COMPREADSTR)
        m_reading.assign(comp.reading, 0, plat::DbcsPrefixLength(comp.reading, IME_COMPOSITION_MAX));
    if (m_reading == m_composition) m_reading.clear();
}

void CImeEdit::OnCandidates() {
    m_hasCandidates = plat::ImeGetCandidateList(m_window, &m_candidateBuffer);
    m_candidates.clear();
    if (!m_hasCandidates) return;
    plat::ImeCandidateList& list = m_candidateBuffer;
    const uint32_t count = uint32_t(list.candidates.size());
    const uint32_t page = list.pageSize ? list.pageSize : IME_DEFAULT_PAGE_SIZE;
    if (m_inputLanguage == IME_LANG_JAPANESE || m_inputLanguage == IME_LANG_SIMPLIFIED_CHINESE)
        list.pageStart = list.selection / page * page;
    for (uint32_t i = list.pageStart; i < count && i - list.pageStart < page; ++i)
        m_candidates.push_back(Candidate{int32_t(i - list.pageStart + 1), list.candidates[i]});
}

bool CImeEdit::LineLimitReached(uint8_t character) {
    // Control characters (the clipboard keys among them) add no text.
    if (character < 32 && character != plat::VK_RETURN) return false;
    const std::string text = plat::GetWindowText(m_window);
    uint32_t counted = 0;
    size_t start = 0;
    while (true) {
        const size_t end = text.find("\r\n", start);
        const size_t length = (end == std::string::npos ? text.size() : end) - start;
        counted += 1 + (m_columns ? uint32_t(length / m_columns) : 0);
        if (counted >= m_lines) return true;
        if (end == std::string::npos) break;
        start = end + 2;
    }
    return counted + 1 == m_lines && character == plat::VK_RETURN;
}

bool CImeEdit::WndProc(plat::WindowHandle, uint32_t message, plat::WParam wParam, plat::LParam lParam) {
    switch (message) {
        case plat::WM_INPUTLANGCHANGE:
            return OnInputLanguageChange();
        case plat::WM_KEYDOWN:
            RunKey(uint32_t(wParam), 1);
            return false;
        case plat::WM_KEYUP:
            RunKey(uint32_t(wParam), 2);
            return false;
        case plat::WM_CHAR:
            return m_multiLine && wParam != plat::VK_BACK && LineLimitReached(uint8_t(wParam));
        case plat::WM_IME_STARTCOMPOSITION:
            m_composing = 1;
            return !m_nativeImeWindows;
        case plat::WM_IME_ENDCOMPOSITION:
            m_composing = 0;
            return false;
        case plat::WM_IME_COMPOSITION:
            OnComposition(uint32_t(lParam));
            return false;
        case plat::WM_IME_NOTIFY:
            switch (wParam) {
                case plat::IMN_CHANGECANDIDATE:
                case plat::IMN_OPENCANDIDATE:
                    OnCandidates();
                    return !m_nativeImeWindows;
                case plat::IMN_CLOSECANDIDATE:
                case plat::IMN_SETCOMPOSITIONWINDOW:
                    m_hasCandidates = false;
                    m_candidateBuffer = plat::ImeCandidateList{};
                    m_candidates.clear();
                    return false;
                case plat::IMN_SETCONVERSIONMODE:
                    UpdateConversion(m_window, false, 0, 0);
                    return false;
                default:
                    return false;
            }
        default:
            return false;
    }
}

void DisableImeForWindow(bool on, plat::WindowHandle window) {
    plat::ImmAssociateContext(window, on);
}
