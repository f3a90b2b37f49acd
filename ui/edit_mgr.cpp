#include "ui/edit_mgr.h"

#include <algorithm>
#include <cstring>

#include "core/main_window.h"
#include "platform/codepage.h"
#include "platform/edit_control.h"

CEditMgr* g_pEditMgr = nullptr;

CEditMgr::CEditMgr() = default;

CEditMgr::~CEditMgr() = default;

bool CEditMgr::Init(plat::WindowHandle mainWindow, plat::WindowProc proc) {
    m_mainWindow = mainWindow;
    m_multiLine = 0;
    m_imeRect = ImeRect{-1, -1, -1, -1};
    m_pEdit = std::make_unique<CImeEdit>();
    if (!m_pEdit->Create(mainWindow, proc)) {
        m_pEdit.reset();
        return false;
    }
    m_pEdit->SetMultiLine(false, 0, 0, false);
    for (const CHotkey& hotkey : g_hotkeys) m_pEdit->RegisterKey(hotkey.m_key, hotkey.m_callback);
    m_pEdit->SetText("");
    return true;
}

void CEditMgr::SetText(const char* text) {
    if (m_pEdit) m_pEdit->SetText(text);
}

void CEditMgr::ClearText() {
    SetText("");
}

const char* CEditMgr::GetText() {
    m_text = m_pEdit ? m_pEdit->GetText() : std::string();
    return m_text.c_str();
}

uint32_t CEditMgr::GetTextLength() {
    return uint32_t(std::strlen(GetText()));
}

int32_t CEditMgr::GetCaret() {
    int32_t caret = 0;
    if (m_pEdit) m_pEdit->GetSelection(&caret, nullptr, nullptr, nullptr);
    return caret;
}

int32_t CEditMgr::GetSelectionStart() {
    int32_t start = 0;
    if (m_pEdit) m_pEdit->GetSelection(nullptr, &start, nullptr, nullptr);
    return start;
}

int32_t CEditMgr::GetSelectionEnd() {
    int32_t end = 0;
    if (m_pEdit) m_pEdit->GetSelection(nullptr, nullptr, &end, nullptr);
    return end;
}

int32_t CEditMgr::GetCompositionCursor() {
    return m_pEdit ? m_pEdit->GetCompositionCursor() : 0;
}

void CEditMgr::SetInputFocus(bool focus) {
    if (focus) {
        if (m_pEdit) m_pEdit->SetFocus();
    } else if (m_mainWindow) {
        plat::SetFocus(m_mainWindow);
    }
}

void CEditMgr::SetLimit(uint32_t limit) {
    if (m_pEdit) m_pEdit->SetLimit(limit, true);
}

void CEditMgr::SetNumbersOnly(bool on) {
    if (m_pEdit) m_pEdit->SetNumbersOnly(on, true);
}

void CEditMgr::SetMultiLine(uint32_t columns, uint32_t lines) {
    m_multiLine = columns != 0;
    if (m_pEdit) m_pEdit->SetMultiLine(columns != 0, columns, lines, true);
}

void CEditMgr::EnableIme(bool on) {
    // Whatever the input language: a password box gets no compositions.
    if (!m_pEdit) return;
    plat::ImmSetConversionStatus(m_pEdit->GetWindow(),
                                 on ? plat::IME_CMODE_NATIVE : plat::IME_CMODE_ALPHANUMERIC,
                                 plat::IME_SMODE_AUTOMATIC);
    m_pEdit->UpdateConversion(m_pEdit->GetWindow(), false, 0, 0);
}

bool CEditMgr::IsMultiLine() {
    return m_pEdit ? m_pEdit->IsMultiLine() : m_multiLine != 0;
}

bool CEditMgr::IsComposing() {
    return m_pEdit && m_pEdit->IsComposing();
}

const char* CEditMgr::GetImeName() {
    return m_pEdit ? m_pEdit->GetImeName().c_str() : "";
}

const char* CEditMgr::GetCompositionString() {
    return m_pEdit ? m_pEdit->GetCompositionString().c_str() : "";
}

const char* CEditMgr::GetReadingString() {
    return m_pEdit ? m_pEdit->GetReadingString().c_str() : "";
}

const plat::ImeCandidateList* CEditMgr::GetCandidateList() {
    return m_pEdit ? m_pEdit->GetCandidateList() : nullptr;
}

int32_t CEditMgr::GetTextWidth(const char* text, uint32_t length, plat::HFONT font) {
    if (!text || !*text) return 0;
    const size_t n = std::min<size_t>(length, std::strlen(text));
    return plat::GetTextExtent(font ? font : m_defaultFont, text, n);
}

bool CEditMgr::IsTrailByte(const char* text, int32_t index) {
    if (!text || index < 1) return false;
    const size_t at = size_t(index);
    if (at >= std::strlen(text)) return false;
    size_t i = 0;
    while (i < at) {
        const bool lead = plat::IsDBCSLeadByte(uint8_t(text[i])) && text[i + 1] != '\0';
        if (lead && i + 1 == at) return true;
        i += lead ? 2 : 1;
    }
    return false;
}

void CEditMgr::SetImeRect(int32_t x, int32_t y, int32_t width, int32_t height) {
    const ImeRect rect{x, y, width, height};
    if (rect == m_imeRect) return;
    m_imeRect = rect;
    plat::SetImeRect(x, y, width, height);
}
