#include "platform/edit_control.h"

#include <algorithm>
#include <map>
#include <tuple>
#include <utility>

#include "platform/codepage.h"
#include "platform/keyboard.h"
#include "platform/window_native.h"

namespace plat {
namespace {

constexpr uint32_t kDefaultLimit = 260;

// The input method of one window.
struct ImeContext {
    bool attached = true;
    uint32_t conversion = IME_CMODE_NATIVE;
    uint32_t sentence = IME_SMODE_AUTOMATIC;
};

struct EditControl {
    WindowProc proc = nullptr;
    std::string text;
    uint32_t limit = kDefaultLimit;
    uint32_t style = 0;
    // The selection runs between the anchor and the caret.
    size_t anchor = 0;
    size_t caret = 0;
    int pendingLead = -1;  // the lead byte of a double-byte character on its way
    ImeContext ime;
    bool composing = false;
    ImeComposition composition;
    bool candidatesOpen = false;
    ImeCandidateList candidates;
};

std::map<WindowHandle, EditControl> g_edits;
// The input method of windows that are not edit controls (the main window).
std::map<WindowHandle, ImeContext> g_windowIme;
WindowHandle g_focus = nullptr;  // an edit control, or null: the main window
bool g_textInput = false;

EditControl* Find(WindowHandle window) {
    auto it = g_edits.find(window);
    return it == g_edits.end() ? nullptr : &it->second;
}

ImeContext* FindIme(WindowHandle window) {
    if (EditControl* edit = Find(window)) return &edit->ime;
    if (!window || window != GetMainWindow()) return nullptr;
    return &g_windowIme[window];
}

bool ImeOn(const ImeContext& ime) {
    return ime.attached && (ime.conversion & IME_CMODE_NATIVE) != 0;
}

// ---- Characters of the text ----

bool IsCrLfAt(const std::string& text, size_t pos) {
    return pos + 1 < text.size() && text[pos] == '\r' && text[pos + 1] == '\n';
}

size_t NextChar(const std::string& text, size_t pos) {
    if (pos >= text.size()) return text.size();
    if (IsCrLfAt(text, pos)) return pos + 2;
    return size_t(CharNextA(text.c_str() + pos) - text.c_str());
}

size_t PrevChar(const std::string& text, size_t pos) {
    if (pos == 0) return 0;
    if (pos >= 2 && IsCrLfAt(text, pos - 2)) return pos - 2;
    return size_t(CharPrevA(text.c_str(), text.c_str() + pos) - text.c_str());
}

// The character boundary at or before pos.
size_t Boundary(const std::string& text, size_t pos) {
    pos = std::min(pos, text.size());
    size_t at = 0;
    while (at < pos) {
        size_t next = NextChar(text, at);
        if (next > pos) break;
        at = next;
    }
    return at;
}

size_t LineStart(const std::string& text, size_t pos) {
    size_t crlf = pos >= 2 ? text.rfind("\r\n", pos - 2) : std::string::npos;
    return crlf == std::string::npos ? 0 : crlf + 2;
}

size_t LineEnd(const std::string& text, size_t pos) {
    size_t crlf = text.find("\r\n", pos);
    return crlf == std::string::npos ? text.size() : crlf;
}

bool IsMultiLine(const EditControl& edit) {
    return (edit.style & ES_MULTILINE) != 0;
}

// ---- Editing ----

std::pair<size_t, size_t> Selection(const EditControl& edit) {
    return {std::min(edit.anchor, edit.caret), std::max(edit.anchor, edit.caret)};
}

void PlaceCaret(EditControl& edit, size_t pos, bool extend) {
    edit.caret = pos;
    if (!extend) edit.anchor = pos;
}

// Replaces the selection with the bytes. What does not fit the limit is
// refused whole, or with `partial` cut between characters to what fits.
bool Insert(EditControl& edit, std::string_view bytes, bool partial) {
    auto [lo, hi] = Selection(edit);
    const size_t kept = edit.text.size() - (hi - lo);
    const size_t room = edit.limit > kept ? edit.limit - kept : 0;
    if (bytes.size() > room) {
        if (!partial) return false;
        size_t cut = DbcsPrefixLength(bytes, room);
        // A line break is one character: never cut between its CR and LF.
        if (cut > 0 && cut < bytes.size() && bytes[cut - 1] == '\r' && bytes[cut] == '\n') --cut;
        bytes = bytes.substr(0, cut);
    }
    edit.text.replace(lo, hi - lo, bytes);
    PlaceCaret(edit, lo + bytes.size(), false);
    return true;
}

void DeleteSelection(EditControl& edit) {
    auto [lo, hi] = Selection(edit);
    edit.text.erase(lo, hi - lo);
    PlaceCaret(edit, lo, false);
}

void CopySelection(const EditControl& edit) {
    auto [lo, hi] = Selection(edit);
    if (hi > lo) SetClipboardText(std::string_view(edit.text).substr(lo, hi - lo));
}

// The clipboard's text as the control takes it: single-line up to the first
// line break, lines joined by CR LF otherwise; no control characters; digits
// only with ES_NUMBER; no double-byte characters while the input method is off.
std::string PasteText(const EditControl& edit) {
    const std::string clip = GetClipboardText();
    std::string out;
    for (size_t i = 0; i < clip.size();) {
        const uint8_t c = uint8_t(clip[i]);
        if (c == '\r' || c == '\n') {
            if (!IsMultiLine(edit)) break;
            out += "\r\n";
            i += (c == '\r' && i + 1 < clip.size() && clip[i + 1] == '\n') ? 2 : 1;
            continue;
        }
        const bool wide = IsDBCSLeadByte(c) && i + 1 < clip.size();
        const size_t n = wide ? 2 : 1;
        const bool refused = c < 32 || c == 127 || ((edit.style & ES_NUMBER) && (c < '0' || c > '9')) ||
                             (wide && !ImeOn(edit.ime));
        if (!refused) out.append(clip, i, n);
        i += n;
    }
    return out;
}

void OnChar(EditControl& edit, uint8_t c) {
    if (edit.pendingLead >= 0) {
        const char pair[2] = {char(edit.pendingLead), char(c)};
        edit.pendingLead = -1;
        if (c == 0 || !ImeOn(edit.ime) || (edit.style & ES_NUMBER)) return;
        Insert(edit, std::string_view(pair, 2), false);
        return;
    }
    auto [lo, hi] = Selection(edit);
    switch (c) {
        case VK_BACK:
            if (hi > lo) {
                DeleteSelection(edit);
            } else if (edit.caret > 0) {
                const size_t from = PrevChar(edit.text, edit.caret);
                edit.text.erase(from, edit.caret - from);
                PlaceCaret(edit, from, false);
            }
            return;
        case 1:  // Ctrl+A
            edit.anchor = 0;
            edit.caret = edit.text.size();
            return;
        case 3:  // Ctrl+C
            CopySelection(edit);
            return;
        case 24:  // Ctrl+X
            CopySelection(edit);
            DeleteSelection(edit);
            return;
        case 22:  // Ctrl+V
            Insert(edit, PasteText(edit), true);
            return;
        case VK_RETURN:
            if (IsMultiLine(edit)) Insert(edit, "\r\n", false);
            return;
        default:
            break;
    }
    if (c < 32 || c == 127) return;
    if (IsDBCSLeadByte(c)) {
        edit.pendingLead = c;
        return;
    }
    if ((edit.style & ES_NUMBER) && (c < '0' || c > '9')) return;
    const char one = char(c);
    Insert(edit, std::string_view(&one, 1), false);
}

// The same byte column on the line above or below, moved back to a character boundary.
size_t VerticalMove(const EditControl& edit, bool down) {
    const std::string& text = edit.text;
    const size_t start = LineStart(text, edit.caret);
    const size_t column = edit.caret - start;
    size_t target;
    if (down) {
        const size_t end = LineEnd(text, edit.caret);
        if (end >= text.size()) return edit.caret;
        target = end + 2;
    } else {
        if (start == 0) return edit.caret;
        target = LineStart(text, start - 2);
    }
    return Boundary(text, std::min(target + column, LineEnd(text, target)));
}

void OnKeyDown(EditControl& edit, uint8_t key) {
    const bool shift = (GetAsyncKeyState(VK_SHIFT) & 0x8000) != 0;
    auto [lo, hi] = Selection(edit);
    const std::string& text = edit.text;
    switch (key) {
        case VK_LEFT:
            if (!shift && hi > lo)
                PlaceCaret(edit, lo, false);
            else
                PlaceCaret(edit, PrevChar(text, edit.caret), shift);
            break;
        case VK_RIGHT:
            if (!shift && hi > lo)
                PlaceCaret(edit, hi, false);
            else
                PlaceCaret(edit, NextChar(text, edit.caret), shift);
            break;
        case VK_HOME:
            PlaceCaret(edit, IsMultiLine(edit) ? LineStart(text, edit.caret) : 0, shift);
            break;
        case VK_END:
            PlaceCaret(edit, IsMultiLine(edit) ? LineEnd(text, edit.caret) : text.size(), shift);
            break;
        case VK_UP:
        case VK_DOWN:
            if (IsMultiLine(edit)) PlaceCaret(edit, VerticalMove(edit, key == VK_DOWN), shift);
            break;
        case VK_DELETE:
            if (hi > lo) {
                DeleteSelection(edit);
            } else if (edit.caret < text.size()) {
                edit.text.erase(edit.caret, NextChar(text, edit.caret) - edit.caret);
            }
            break;
        default:
            break;
    }
}

// The control's own procedure: its editing.
LResult EditProc(WindowHandle window, uint32_t message, WParam wParam, LParam) {
    EditControl* edit = Find(window);
    if (!edit) return 0;
    if (message == WM_CHAR) OnChar(*edit, uint8_t(wParam));
    if (message == WM_KEYDOWN) OnKeyDown(*edit, uint8_t(wParam));
    return 0;
}

// ---- The input method ----

void CloseCandidates(WindowHandle window, EditControl& edit, bool send) {
    if (!edit.candidatesOpen) return;
    edit.candidatesOpen = false;
    edit.candidates = ImeCandidateList{};
    if (send)
        SendMessage(window, WM_IME_NOTIFY, IMN_CLOSECANDIDATE, 1);
    else
        PostMessage(window, WM_IME_NOTIFY, IMN_CLOSECANDIDATE, 1);
}

// Ends a composition: told at once (the control loses the focus or its input
// method now) or in the queue after what the input method said before.
void EndComposition(WindowHandle window, EditControl& edit, bool send) {
    CloseCandidates(window, edit, send);
    if (!edit.composing) return;
    edit.composing = false;
    edit.composition = ImeComposition{};
    if (send) {
        SendMessage(window, WM_IME_COMPOSITION, 0, 0);
        SendMessage(window, WM_IME_ENDCOMPOSITION, 0, 0);
    } else {
        PostMessage(window, WM_IME_COMPOSITION, 0, 0);
        PostMessage(window, WM_IME_ENDCOMPOSITION, 0, 0);
    }
}

// The focused control while its input method takes compositions, else null.
EditControl* ComposingTarget(WindowHandle* window) {
    *window = g_focus;
    EditControl* edit = Find(g_focus);
    return edit && ImeOn(edit->ime) ? edit : nullptr;
}

// Bytes of the first `chars` characters of UTF-8 text.
size_t Utf8Prefix(std::string_view utf8, int32_t chars) {
    size_t i = 0;
    for (int32_t n = 0; i < utf8.size() && n < chars; ++n) {
        ++i;
        while (i < utf8.size() && (uint8_t(utf8[i]) & 0xC0) == 0x80) ++i;
    }
    return i;
}

void SetTextInput(bool on) {
    if (on == g_textInput) return;
    g_textInput = on;
    if (on)
        WindowSystem().StartTextInput();
    else
        WindowSystem().StopTextInput();
}

}  // namespace

// ---- The control ----

WindowHandle CreateEditControl(WindowHandle parent) {
    if (!parent || parent != GetMainWindow()) return nullptr;
    WindowHandle window = detail::NewWindowHandle();
    EditControl& edit = g_edits[window];
    edit.proc = EditProc;
    return window;
}

bool IsEditControl(WindowHandle window) {
    return Find(window) != nullptr;
}

WindowProc detail::EditControlProc(WindowHandle window) {
    EditControl* edit = Find(window);
    return edit ? edit->proc : nullptr;
}

WindowProc detail::SetEditControlProc(WindowHandle window, WindowProc proc) {
    EditControl* edit = Find(window);
    return edit ? std::exchange(edit->proc, proc) : nullptr;
}

void detail::DestroyEditControl(WindowHandle window) {
    if (!Find(window)) return;
    if (g_focus == window) SetFocus(GetMainWindow());
    g_edits.erase(window);
}

void detail::DestroyAllEditControls() {
    SetTextInput(false);
    g_focus = nullptr;
    g_edits.clear();
    g_windowIme.clear();
}

void detail::ForgetEditControls() {
    g_edits.clear();
    g_windowIme.clear();
    g_focus = nullptr;
    g_textInput = false;
}

WindowHandle SetFocus(WindowHandle window) {
    if (!window || (window != GetMainWindow() && !IsEditControl(window))) return nullptr;
    WindowHandle previous = GetFocus();
    if (window == previous) return previous;
    g_focus = window == GetMainWindow() ? nullptr : window;
    if (EditControl* old = Find(previous)) {
        old->pendingLead = -1;
        EndComposition(previous, *old, true);
    }
    SetTextInput(g_focus != nullptr);
    return previous;
}

WindowHandle GetFocus() {
    return g_focus ? g_focus : GetMainWindow();
}

bool SetWindowText(WindowHandle window, std::string_view text) {
    EditControl* edit = Find(window);
    if (!edit) return false;
    edit->text.assign(text.substr(0, text.find('\0')));
    edit->anchor = edit->caret = 0;
    edit->pendingLead = -1;
    return true;
}

std::string GetWindowText(WindowHandle window) {
    EditControl* edit = Find(window);
    return edit ? edit->text : std::string();
}

void EditSetLimit(WindowHandle window, uint32_t limit) {
    if (EditControl* edit = Find(window)) edit->limit = limit;
}

uint32_t EditGetLimit(WindowHandle window) {
    EditControl* edit = Find(window);
    return edit ? edit->limit : 0;
}

void EditSetStyle(WindowHandle window, uint32_t style) {
    if (EditControl* edit = Find(window)) edit->style = style;
}

uint32_t EditGetStyle(WindowHandle window) {
    EditControl* edit = Find(window);
    return edit ? edit->style : 0;
}

void EditSetSelection(WindowHandle window, int32_t start, int32_t end) {
    EditControl* edit = Find(window);
    if (!edit) return;
    if (start == -1) {
        edit->anchor = edit->caret;
        return;
    }
    const std::string& text = edit->text;
    auto place = [&](int32_t v) { return v < 0 ? text.size() : Boundary(text, size_t(v)); };
    edit->anchor = place(start);
    edit->caret = place(end);
}

void EditGetSelection(WindowHandle window, int32_t* start, int32_t* end, int32_t* caret) {
    EditControl* edit = Find(window);
    size_t lo = 0, hi = 0, at = 0;
    if (edit) {
        std::tie(lo, hi) = Selection(*edit);
        at = edit->caret;
    }
    if (start) *start = int32_t(lo);
    if (end) *end = int32_t(hi);
    if (caret) *caret = int32_t(at);
}

// ---- The input method of a window ----

bool ImeGetComposition(WindowHandle window, ImeComposition* out) {
    EditControl* edit = Find(window);
    const bool composing = edit && edit->composing;
    if (out) *out = composing ? edit->composition : ImeComposition{};
    return composing;
}

bool ImeGetCandidateList(WindowHandle window, ImeCandidateList* out) {
    EditControl* edit = Find(window);
    const bool open = edit && edit->candidatesOpen;
    if (out) *out = open ? edit->candidates : ImeCandidateList{};
    return open;
}

bool ImmAssociateContext(WindowHandle window, bool attach) {
    ImeContext* ime = FindIme(window);
    if (!ime) return false;
    const bool was = std::exchange(ime->attached, attach);
    if (EditControl* edit = Find(window); edit && !ImeOn(*ime)) EndComposition(window, *edit, true);
    return was;
}

bool ImmIsAttached(WindowHandle window) {
    ImeContext* ime = FindIme(window);
    return ime && ime->attached;
}

void ImmSetConversionStatus(WindowHandle window, uint32_t conversion, uint32_t sentence) {
    ImeContext* ime = FindIme(window);
    if (!ime) return;
    ime->conversion = conversion;
    ime->sentence = sentence;
    if (EditControl* edit = Find(window); edit && !ImeOn(*ime)) EndComposition(window, *edit, true);
}

void ImmGetConversionStatus(WindowHandle window, uint32_t* conversion, uint32_t* sentence) {
    ImeContext* ime = FindIme(window);
    if (conversion) *conversion = ime ? ime->conversion : 0;
    if (sentence) *sentence = ime ? ime->sentence : 0;
}

bool ImeIsOn(WindowHandle window) {
    ImeContext* ime = FindIme(window);
    return ime && ImeOn(*ime);
}

void SetImeRect(int x, int y, int width, int height) {
    WindowSystem().SetTextInputRect(x, y, width, height);
}

void StartTextInput() {
    SetTextInput(true);
}

void StopTextInput() {
    SetTextInput(false);
}

bool IsTextInputActive() {
    return g_textInput;
}

std::string GetClipboardText() {
    return FromUtf8Dropping(WindowSystem().GetClipboard());
}

bool SetClipboardText(std::string_view text) {
    return WindowSystem().SetClipboard(ToUtf8(text.substr(0, text.find('\0'))));
}

// ---- What the window systems report ----

void PostImeComposition(std::string_view utf8, int32_t cursor, std::string_view readingUtf8) {
    WindowHandle window = nullptr;
    EditControl* edit = ComposingTarget(&window);
    if (!edit) return;
    if (utf8.empty()) {
        EndComposition(window, *edit, false);
        return;
    }
    ImeComposition next;
    next.text = FromUtf8Dropping(utf8);
    next.cursor = int32_t(std::min(
        FromUtf8Dropping(utf8.substr(0, Utf8Prefix(utf8, std::max(cursor, 0)))).size(), next.text.size()));
    const std::string& before = edit->composition.text;
    size_t delta = 0;
    while (delta < before.size() && delta < next.text.size() && before[delta] == next.text[delta]) ++delta;
    next.deltaStart = int32_t(delta);
    next.reading = FromUtf8Dropping(readingUtf8);
    if (!edit->composing) {
        edit->composing = true;
        PostMessage(window, WM_IME_STARTCOMPOSITION, 0, 0);
    }
    edit->composition = std::move(next);
    uint32_t flags = GCS_COMPSTR | GCS_COMPATTR | GCS_CURSORPOS | GCS_DELTASTART;
    if (!edit->composition.reading.empty()) flags |= GCS_COMPREADSTR;
    PostMessage(window, WM_IME_COMPOSITION, 0, LParam(flags));
}

void PostImeCandidates(const std::vector<std::string>& utf8, uint32_t selection, uint32_t pageSize) {
    WindowHandle window = nullptr;
    EditControl* edit = ComposingTarget(&window);
    if (!edit) return;
    if (utf8.empty()) {
        CloseCandidates(window, *edit, false);
        return;
    }
    ImeCandidateList list;
    for (const std::string& s : utf8) list.candidates.push_back(FromUtf8Dropping(s));
    list.selection = selection;
    list.pageSize = pageSize;
    const uint32_t page = pageSize ? pageSize : uint32_t(list.candidates.size());
    list.pageStart = page ? selection / page * page : 0;
    const bool wasOpen = std::exchange(edit->candidatesOpen, true);
    edit->candidates = std::move(list);
    PostMessage(window, WM_IME_NOTIFY, wasOpen ? IMN_CHANGECANDIDATE : IMN_OPENCANDIDATE, 1);
}

void PostTextInput(std::string_view utf8) {
    WindowHandle main = GetMainWindow();
    if (!main) return;
    for (char c : FromUtf8Dropping(utf8)) PostMessage(main, WM_CHAR, WParam(uint8_t(c)), 1);
}

}  // namespace plat
