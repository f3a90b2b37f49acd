// CImeEdit: the one hidden edit control that receives all typed text and the
// input method's traffic, so that the game can draw text entry itself. It
// makes the control on the main window and puts the given procedure in front
// of the control's own editing (which it keeps to call after), reads the
// composition, reading and candidates for the game to draw, keeps the
// number-only, line-limited multi-line and alphanumeric-only modes, and runs
// the callbacks registered for keys. Owned by the text input manager.
#pragma once
#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "core/main_window.h"
#include "platform/edit_control.h"

// Input languages.
enum : int32_t {
    IME_LANG_OTHER = 0,
    IME_LANG_TRADITIONAL_CHINESE = 1,
    IME_LANG_JAPANESE = 2,
    IME_LANG_KOREAN = 3,
    IME_LANG_SIMPLIFIED_CHINESE = 4,
};

inline constexpr uint32_t IME_EDIT_DEFAULT_LIMIT = 260;
inline constexpr size_t IME_COMPOSITION_MAX = 260;  // bytes of the composition and reading kept
// Candidates shown a page when the input method gives no page size.
inline constexpr uint32_t IME_DEFAULT_PAGE_SIZE = 5;

// The input language of a code page: 932 Japanese, 949 Korean, others 0.
int32_t InputLanguageOfCodePage(unsigned codePage);

// A number-only text as the control gives it back: the number at its start
// (atoi's reading) without leading zeros, empty when that number is 0.
std::string NumberOnlyText(const std::string& text);
// Only 0-9, A-Z and a-z remain; a double-byte character goes whole.
std::string AlphanumericOnly(const std::string& text);

class CImeEdit : public IEditControl {
public:
    // A key's callback: phase 1 key down, 2 key up.
    using KeyCallback = int (*)(int phase);
    struct Candidate {
        int32_t number;  // from 1
        std::string text;
    };

    CImeEdit();
    ~CImeEdit() override;
    CImeEdit(const CImeEdit&) = delete;
    CImeEdit& operator=(const CImeEdit&) = delete;

    // Destroys any control made before; makes the control on the parent with
    // the procedure in front of its editing; empty, limit 260. False without
    // a parent.
    bool Create(plat::WindowHandle parent, plat::WindowProc proc);
    // Drops the candidates and the key callbacks, destroys the control.
    void Destroy();

    // In number-only mode a text whose number is 0 becomes empty; the caret
    // goes to the end.
    void SetText(const char* text);
    // The control's text (at most limit + 1 bytes) as the modes give it: in
    // number-only mode the number without leading zeros, and empty, the
    // control emptied too, when it is 0; with the alphanumeric filter only
    // 0-9, A-Z and a-z.
    const std::string& GetText();
    // Selects from start to end; the caret becomes end. (0, -1) selects all.
    void SetSelection(int32_t start, int32_t end);
    // Reads the selection and the caret (any output may be null).
    void GetSelection(int32_t* caret, int32_t* start, int32_t* end, int32_t* compositionCursor);
    // Home or End, as the keys do.
    void MoveCaret(bool home);
    // Takes the keyboard focus unless it has it; true when it has it then.
    bool SetFocus();
    void SetNumbersOnly(bool on, bool clear);
    void SetLimit(uint32_t limit, bool clear);
    // On: the text takes `lines` lines of `columns` bytes, with a CR LF
    // between lines ((columns + 2) x lines - 2 bytes; 0 lines take nothing).
    void SetMultiLine(bool on, uint32_t columns, uint32_t lines, bool clear);
    // Re-attaches the input method, or detaches it (no compositions).
    void AttachIme(bool attach);
    // Unless Japanese: native conversion.
    void SetNativeMode();
    // Unless Japanese: the filter flag is stored and conversion becomes alphanumeric.
    void SetImeOpen(uint8_t filter);
    void ClearFilter() { m_alphanumericFilter = 0; }
    // Reads the conversion status; with set, turns the bits on (or off);
    // stores the symbol and full-shape bits read afterwards.
    void UpdateConversion(plat::WindowHandle window, bool set, uint32_t conversion, uint32_t sentence);
    // The candidate list while it holds entries, else null.
    const plat::ImeCandidateList* GetCandidateList() const;
    const std::vector<Candidate>& Candidates() const { return m_candidates; }

    void RegisterKey(uint32_t virtualKey, KeyCallback callback);
    // The key's callback with the phase; 0 when it has none.
    int RunKey(uint32_t virtualKey, int phase);
    // The message filter; true swallows the message.
    bool WndProc(plat::WindowHandle window, uint32_t message, plat::WParam wParam, plat::LParam lParam);

    // IEditControl.
    bool IsComposing() override { return m_composing != 0; }
    bool IsMultiLine() override { return m_multiLine != 0; }
    bool HandleMessage(plat::WindowHandle window, uint32_t message, plat::WParam wParam,
                       plat::LParam lParam) override {
        return WndProc(window, message, wParam, lParam);
    }
    plat::LResult CallPreviousProc(plat::WindowHandle window, uint32_t message, plat::WParam wParam,
                                   plat::LParam lParam) override;

    plat::WindowHandle GetWindow() const { return m_window; }
    bool IsNumbersOnly() const { return m_numbersOnly != 0; }
    bool HasAlphanumericFilter() const { return m_alphanumericFilter != 0; }
    bool IsSymbolMode() const { return m_symbolMode != 0; }
    bool IsFullShape() const { return m_fullShape != 0; }
    int32_t GetInputLanguage() const { return m_inputLanguage; }
    const std::string& GetImeName() const { return m_imeName; }
    const std::string& GetCompositionString() const { return m_composition; }
    const std::string& GetReadingString() const { return m_reading; }
    int32_t GetCompositionCursor() const { return m_compositionCursor; }
    int32_t GetDeltaStart() const { return m_deltaStart; }
    uint32_t GetLimit() const { return m_limit; }
    uint32_t GetColumns() const { return m_columns; }
    uint32_t GetLines() const { return m_lines; }
    // Lets the input method show its own composition and candidate windows.
    void SetNativeImeWindows(bool on) { m_nativeImeWindows = on; }

private:
    bool OnInputLanguageChange();
    void OnComposition(uint32_t changes);
    void OnCandidates();
    // Whether a character would pass the line limit of multi-line mode.
    bool LineLimitReached(uint8_t character);

    bool m_hasCandidates = false;
    plat::ImeCandidateList m_candidateBuffer;
    std::vector<Candidate> m_candidates;
    std::map<uint32_t, KeyCallback> m_keyCallbacks;
    uint8_t m_nativeImeWindows = 0;
    uint8_t m_symbolMode = 0;
    uint8_t m_fullShape = 0;
    uint8_t m_numbersOnly = 0;
    uint8_t m_multiLine = 0;
    uint8_t m_composing = 0;
    std::string m_imeName;
    int32_t m_caret = 0;
    int32_t m_selectionStart = 0, m_selectionEnd = 0;
    int32_t m_compositionCursor = 0;
    int32_t m_deltaStart = 0;
    int32_t m_inputLanguage = IME_LANG_OTHER;
    std::string m_composition;
    std::string m_reading;
    std::string m_text;
    uint32_t m_limit = IME_EDIT_DEFAULT_LIMIT;
    uint32_t m_columns = 0, m_lines = 0;
    uint8_t m_alphanumericFilter = 0;
    plat::WindowHandle m_window = nullptr;
    plat::WindowProc m_previousProc = nullptr;
};

// Attaches (on) or detaches the input method of any window (start-up detaches
// the main window's).
void DisableImeForWindow(bool on, plat::WindowHandle window);
