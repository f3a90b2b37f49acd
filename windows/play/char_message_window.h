// CCharMessageWindow ("CHAR_MSGWIN"): the speech bubble over a character's
// head. Each character makes one (world/chars) and moves it with itself; the
// chat window hands it every line the character says, which shows in a
// translucent box of at most four lines of 30 bytes for five seconds.
#pragma once
#include <cstddef>
#include <cstdint>

#include "ui/base_window.h"
#include "world/chars/hud_windows.h"

inline constexpr char CHAR_MESSAGE_WINDOW_NAME[] = "CHAR_MSGWIN";
inline constexpr size_t SPEECH_NAME_SIZE = 20;
inline constexpr size_t SPEECH_LINE_SIZE = 100;
inline constexpr size_t SPEECH_LINE_BYTES = 30;
inline constexpr size_t SPEECH_MAX_LINES = 4;
inline constexpr uint32_t SPEECH_SHOW_MS = 5000;
// The cursor level the bubble takes from the field under it.
inline constexpr int32_t SPEECH_HOVER_LEVEL = 4;

class CCharMessageWindow : public CBaseWindow, public ICharSpeechView {
public:
    CCharMessageWindow();
    ~CCharMessageWindow() override = default;

    // Neither drawn nor updated, no lines.
    bool Create() override;
    bool Draw() override;
    // Hides the bubble when its time is up; takes the hover from the field.
    bool Update() override;
    // (x, y) is the point over the character's head.
    bool SetPosition(int32_t x, int32_t y) override;

    // Shows "name : text", or the text alone for an empty name (cut to 119
    // bytes), from now on for five seconds.
    void SetText(const char* name, const char* text);
    // ICharSpeechView.
    void ShowSpeech(const char* name, const char* text) override { SetText(name, text); }

    size_t LineCount() const { return m_lineCount; }
    const char* LineText(size_t i) const { return i < m_lineCount ? m_lines[i] : ""; }
    const char* SpeakerName() const { return m_name; }
    uint32_t ShowTime() const { return m_showTime; }

private:
    char m_name[SPEECH_NAME_SIZE] = {};
    char m_lines[SPEECH_MAX_LINES][SPEECH_LINE_SIZE] = {};
    size_t m_lineCount = 0;
    uint32_t m_showTime = 0;
};
