// CEventSelectionWindow ("SelectionWin"): the question and answers of an
// event's selection, centred on the screen; the player picks one with the
// mouse. A team selection also shows which members have voted and closes
// 1,000 ms after it is settled.
#pragma once
#include <cstdint>
#include <memory>
#include <string>

#include "ui/base_window.h"

class CAniObject;
class CEventScript;

inline constexpr char EVENT_SELECTION_WINDOW_NAME[] = "SelectionWin";
inline constexpr char EVENT_SELECTION_ANIMATION[] = "EventSelectionWindow";
inline constexpr int EVENT_SELECTION_ROWS = 20;
inline constexpr int32_t EVENT_ROW_WIDTH = 404;
inline constexpr int32_t EVENT_ROW_HEIGHT = 24;
inline constexpr int32_t EVENT_ROW_STEP = 30;
inline constexpr uint32_t EVENT_APPEAR_FRAMES = 30;

class CEventSelectionWindow : public CBaseWindow {
public:
    struct Row {
        int32_t x = -1, y = -1;
        std::string text;
        uint8_t hover = 0;
        int16_t state = -1;  // -1 empty, 0 appearing, 1 shown, 3 vanishing
        uint32_t counter = 0;
        uint32_t value = 0;
    };

    CEventSelectionWindow();
    ~CEventSelectionWindow() override;

    bool Create() override;
    bool Release() override;
    bool Draw() override;
    bool Update() override;
    bool UpdateRect() override;
    bool OnControlEvent(int32_t button, int32_t x, int32_t y, CBaseWindow* control) override;

    bool BeginSelection(uint8_t titleMode, const char* title, uint32_t mask, uint8_t flag,
                        CEventScript* event, int32_t ownType);
    bool AddAnswer(const char* text);
    bool SetConditionalAnswer(int32_t n, const char* text);
    bool OpenSelection();
    bool CloseSelection();
    int32_t GetResult(uint32_t* value);
    void SetVotes(const int32_t votes[14]);
    void FinishVote();

    int32_t AnswerCount() const { return int32_t(m_answerCount); }
    const Row& GetRow(int i) const { return m_rows[i]; }
    bool IsTeamMode() const { return m_teamMode != 0; }
    // "(voted/members)" of a team selection.
    std::string VoteCountText() const;
    // The row (1-19) under a point among the shown ones, or -1.
    int32_t RowAt(int32_t x, int32_t y) const;

private:
    void LayoutRows();
    void ResetRows();
    void DrawRow(int index);

    int16_t m_titleMode = 0;
    Row m_rows[EVENT_SELECTION_ROWS];
    uint32_t m_answerCount = 0;
    CEventScript* m_pEvent = nullptr;
    int32_t m_chosen = -1;
    uint32_t m_chosenValue = 0;
    uint32_t m_mask = 0;
    uint8_t m_flag = 0;
    uint32_t m_teamMode = 0;
    int32_t m_votes[14] = {};
    uint32_t m_showFlags = 0;
    uint32_t m_openTime = 0;
    uint32_t m_closeDelay = 0;
    std::unique_ptr<CAniObject> m_frame;
    std::unique_ptr<CAniObject> m_marker;
};
