// CEventTalkWindow ("EventTalkWindows"): what characters say during events.
// Up to 16 lines at once, each in a box of one of five modes (0 the dialogue
// box along the bottom, 1 a speech box over the speaker with the face, 2
// one without, 3 and 4 narration boxes), typed out page by page with a
// blinking mark once a page is complete. A click on the window or Enter
// advances; a page left complete for 10 s advances by itself. It also shows
// the notice banner at the top of the screen.
#pragma once
#include <cstdint>
#include <memory>
#include <string>

#include "ui/base_window.h"

class CAniObject;
class CChar;
class CTextLineBuffer;

inline constexpr char EVENT_TALK_WINDOW_NAME[] = "EventTalkWindows";
inline constexpr char EVENT_TALK_ANIMATION[] = "EventTalkWindow";
inline constexpr int EVENT_TALK_LINES = 16;
inline constexpr uint32_t EVENT_TALK_AUTO_MS = 10000;
inline constexpr uint32_t EVENT_NOTICE_MS = 5000;
inline constexpr uint32_t EVENT_TALK_FREE = 0xFFFFFFFF;

class CEventTalkWindow : public CBaseWindow {
public:
    struct TalkLine {
        uint32_t startTime = EVENT_TALK_FREE;
        int32_t x = 0, y = 0;
        uint32_t mode = 0;
        uint8_t nextPage = 0;
        uint8_t active = 0;
        uint32_t page = 0;
        uint32_t lastLine = 0;
        std::string text;
        std::string name;
        CChar* speaker = nullptr;
        uint32_t speakerId = 0;
        uint16_t speakerKind = 0;
        uint8_t face = 0;
        uint32_t value = 0;
        uint8_t typed = 0;
        uint8_t flag = 0;
        int32_t columns = 90;
        std::unique_ptr<CTextLineBuffer> layout;
        bool InUse() const { return startTime != EVENT_TALK_FREE; }
    };

    CEventTalkWindow();
    ~CEventTalkWindow() override;

    bool Create() override;
    bool Release() override;
    bool Draw() override;
    bool Update() override;
    bool UpdateRect() override;
    bool OnControlEvent(int32_t button, int32_t x, int32_t y, CBaseWindow* control) override;
    bool OnKeyDown(uint32_t key, CBaseWindow* control) override;

    // False for an empty text or when all 16 records are in use.
    bool AddLine(uint8_t flag, uint32_t mode, CChar* speaker, const char* name, const char* text,
                 uint8_t face, uint32_t value);
    // The speaker's line has been read to its end.
    bool IsLineDone(CChar* speaker);
    bool IsEmpty() const;
    // Frees every record; sound effect 80 when one was in use.
    void ClearLines();
    void Close();
    bool SetNotice(const char* text, uint16_t soundId, uint32_t owner, uint32_t timed);
    bool IsShownFlag() const { return m_shown != 0; }
    // Every line: a typed page asks for the next, a typing one is shown whole.
    void Advance();

    const TalkLine& Line(int i) const { return m_lines[i]; }
    int32_t NoticeState() const { return m_noticeState; }
    const std::string& NoticeText() const { return m_notice; }
    // Lines a page holds in the mode.
    static int32_t PerPage(uint32_t mode) { return mode == 0 ? 4 : 3; }

private:
    void FreeLine(TalkLine& line);
    void PlaceLine(TalkLine& line, int self);
    void DrawLine(TalkLine& line);
    void DrawNotice();

    uint32_t m_autoDelay = EVENT_TALK_AUTO_MS;
    uint32_t m_blinkTime = 0;
    uint8_t m_blink = 0;
    std::unique_ptr<CAniObject> m_images[8];
    std::unique_ptr<CAniObject> m_face;
    uint32_t m_faceId = 0;
    TalkLine m_lines[EVENT_TALK_LINES];
    uint8_t m_letterbox = 0;
    uint8_t m_shown = 0;
    std::string m_notice;
    int32_t m_noticeX = 0;
    int32_t m_noticeState = 0;
    uint32_t m_noticeTime = 0;
    uint32_t m_noticeOwner = 0;
    uint8_t m_noticeTimed = 0;
    uint32_t m_noticeStart = 0;
    int32_t m_bannerY = -27;
    int32_t m_bannerAlpha = 0;
    uint32_t m_lastFaceId = 0;
    uint32_t m_faceFrames = 0;
};
