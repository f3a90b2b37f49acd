// CVisualPasswordWindow ("VISUAL_PASSWORD_WINDOW", image
// "VisualPasswordWindow"): the on-screen keypad on which the player clicks
// the password instead of typing it. A child of the log-in window, which
// opens it and takes the typed text once it is confirmed. It never shows the
// text, only a masked line.
#pragma once
#include <cstdint>
#include <memory>
#include <random>
#include <string>

#include "anim/ani_object.h"
#include "ui/base_window.h"
#include "ui/button.h"

inline constexpr char VISUAL_PASSWORD_WINDOW_NAME[] = "VISUAL_PASSWORD_WINDOW";
inline constexpr char VISUAL_PASSWORD_WINDOW_IMAGE[] = "VisualPasswordWindow";
inline constexpr int32_t KEYPAD_ROWS = 5, KEYPAD_COLUMNS = 10;
inline constexpr size_t KEYPAD_TEXT_MAX = 8;
inline constexpr uint32_t KEYPAD_BLINK_MS = 500;

// Key codes: 0 an empty cell, 1-4 the special keys, above 4 the byte typed.
enum : int32_t {
    KEY_NONE = 0,
    KEY_ERASE = 1,
    KEY_CONFIRM = 2,
    KEY_CASE = 3,
    KEY_SHUFFLE = 4,
};

enum : int32_t {
    KEYPAD_RESULT_NONE = -1,
    KEYPAD_RESULT_CANCELLED = 0,
    KEYPAD_RESULT_CONFIRMED = 1,
};

struct KeypadCell {
    int32_t code = KEY_NONE;
    int32_t x = 0, y = 0;  // from the window's top left
    int32_t width = 0, height = 0;
};

class CVisualPasswordWindow : public CBaseWindow {
public:
    CVisualPasswordWindow();
    ~CVisualPasswordWindow() override;

    bool Create() override;
    bool Release() override;
    bool Draw() override;
    bool OnControlEvent(int32_t button, int32_t x, int32_t y, CBaseWindow* control) override;
    // Enter confirms, Escape cancels.
    bool OnKeyDown(uint32_t key, CBaseWindow* control) override;
    bool SetPosition(int32_t x, int32_t y) override;

    // The keys in their first places, as the text table names them.
    void ResetLayout();
    // Fresh layout, no text, lower case, no result; shown.
    void Open();
    // The first key whose cell holds the screen point (edges included), or null.
    const KeypadCell* KeyAt(int32_t px, int32_t py) const;
    void PressKey(int32_t code);
    void EraseLast();
    void ToggleCase();
    // Exchanges each character key with a random cell of rows 1-4 that holds
    // a character key too; special keys and empty cells stay.
    void ShuffleKeys();
    void CreateHighlights();
    void DrawKeyLabels();
    // What is drawn for the typed text, and its left edge.
    std::string MaskedLine() const;
    int32_t MaskedLineX() const;

    // The shuffle's random source (tests seed it).
    void SeedShuffle(uint32_t seed) { m_random.seed(seed); }
    const KeypadCell& Cell(int row, int column) const { return m_cells[row][column]; }
    const std::string& GetTypedText() const { return m_typed; }
    int32_t GetResult() const { return m_result; }
    void SetResult(int32_t result) { m_result = result; }
    bool IsUpperCase() const { return m_upperCase != 0; }
    CButton* GetCancelButton() const { return m_cancel.GetAs<CButton>(); }

private:
    void Close(int32_t result);

    std::string m_typed;
    KeypadCell m_cells[KEYPAD_ROWS][KEYPAD_COLUMNS];
    std::unique_ptr<CAniObject> m_wideHover;
    std::unique_ptr<CAniObject> m_hover;
    CWeakRef m_cancel;
    uint32_t m_blinkTime = 0;
    uint8_t m_blinkOn = 0;
    int32_t m_result = KEYPAD_RESULT_NONE;
    uint8_t m_upperCase = 0;
    std::minstd_rand m_random{std::random_device{}()};
};
