// The game screen's overlays: the centred banners, the notice line that
// slides through the top of the screen, the fight-club score board with its
// result banner, the game request box, the floating text over the player and
// the worn-equipment warning. Each keeps its own start time (milliseconds of
// plat::timeGetTime) and switches itself off.
#pragma once
#include <cstdint>
#include <memory>

#include "core/base_object.h"

class CAniObject;
class CChar;
class CMessageBox;
class CMsgPort;

inline constexpr uint32_t BANNER_ANIMATION = 3399;
inline constexpr uint32_t RESULT_BANNER_ANIMATION = 3240;
inline constexpr uint32_t FIGHT_BOARD_ANIMATION = 1245;
inline constexpr uint32_t WORN_MARK_ANIMATION = 865;
inline constexpr uint32_t BANNER_TIME_MS = 5000;
inline constexpr uint32_t FIGHT_RESULT_TIME_MS = 5000;
inline constexpr uint32_t SCORE_BLINK_TIME_MS = 5000;
inline constexpr int32_t NOTICE_LINE_TIME_MS = 20000;
inline constexpr uint32_t FLOATING_TEXT_REPEAT_MS = 1000;
inline constexpr size_t NOTICE_TEXT_SIZE = 256;
inline constexpr size_t BANNER_TEXT_SIZE = 200;
inline constexpr uint32_t NOTICE_KIND_BLUE = 4;  // drawn in 0xA0A0FF, the others in 0xFFA0A0

// Where the notice line stands t ms after it was set, for a text of len bytes
// on a screen width wide: sliding in for 2,000 ms, standing until 18,000,
// sliding out to the right until 19,999. False from 20,000 on and before 0:
// the line is over.
bool NoticeLineX(int32_t t, int32_t len, int32_t width, int32_t* x);
// A score's digits blink during the first 500 ms of every second for 5,000 ms
// after it changed.
bool ScoreBlinkOn(uint32_t sinceChange);
// The screen x of each digit of a score on the board: side 0 grows leftward
// from half the board width plus 10 left of the centre, side 1 rightward from
// as far right of it; each digit advances by its width plus 5. The text reads
// left to right on both sides.
void LayOutScoreDigits(int32_t side, int32_t centreX, int32_t boardWidth, const int32_t* widths,
                       int32_t count, int32_t* xs);

class CGameOverlays {
public:
    CGameOverlays();
    ~CGameOverlays();
    CGameOverlays(const CGameOverlays&) = delete;
    CGameOverlays& operator=(const CGameOverlays&) = delete;

    // Makes the banner, the result banner and the worn-equipment mark and
    // clears every overlay.
    void Create();
    // Deletes the animated objects (the board's too).
    void Release();

    // ---- Banners ----
    // start: the banner (motion 6 for kind 0, 7 for kind 1) takes over from
    // a text banner; otherwise the frame's drawing of it.
    void ShowBanner(bool start, int32_t kind);
    // start: the text (cut to 199 bytes) and the plain flag; takes over from
    // the banner. Otherwise the frame's drawing.
    void ShowTextBanner(const char* text, bool start, bool plain, int32_t kind);

    // ---- The fight-club score board ----
    // Clears the scores and the result and shows the board (mode 1) with
    // its digits.
    void StartFightClubBoard();
    void SetFightClubScoreLeft(uint16_t score);
    void SetFightClubScoreRight(uint16_t score);
    // 0 and 1 play the result banner (direction 2 resp. 0); 2 ends the board
    // without it. The digits and the board go in every case.
    void ShowFightClubResult(int32_t result);
    // The board is drawn in mode 1: from its start until the result.
    int32_t GetFightClubBoardMode() const { return m_boardMode; }
    void DrawFightClubBoard();

    // ---- The notice line ----
    // Restarts the line with the text (cut to 255 bytes between characters).
    void SetNotice(uint8_t kind, const char* text);
    void DrawNotice();

    // ---- The floating text over the player ----
    // False when nothing was shown: no play manager, no player, an empty text
    // or the same text again within 1,000 ms.
    bool ShowFloatingText(const char* text, CChar* player);

    // ---- The game request box ----
    // The box answers into the port with message 9, parameter 10.
    void SetGameRequestBox(CMessageBox* box, CMsgPort* port);
    CMessageBox* GetGameRequestBox() const;
    // Remembers the inviter, fills the box with text 10/7 and the inviter's
    // name ("Unknown User" when not on the field) and opens it.
    bool ShowGameRequest(uint32_t charId);
    uint32_t GetPendingAnswerId() const { return m_pendingAnswerId; }
    void ClearPendingAnswerId() { m_pendingAnswerId = 0; }

    // ---- The worn-equipment warning ----
    // The icon of every worn item below 40 % of its maximum wear, from y 50
    // down in steps of 60, with the mark beside it.
    void DrawWornEquipmentWarning(CChar* player);

    // ---- State ----
    bool IsBannerActive() const { return m_bannerActive != 0; }
    bool IsTextBannerActive() const { return m_textBannerActive != 0; }
    const char* GetBannerText() const { return m_bannerText; }
    bool IsBannerPlain() const { return m_bannerPlain != 0; }
    CAniObject* GetBanner() const { return m_pBanner.get(); }
    uint8_t GetNoticeKind() const { return m_noticeKind; }
    const char* GetNoticeText() const { return m_noticeText; }
    bool IsBoardShown() const { return m_boardShown != 0; }
    bool IsResultShown() const { return m_resultShown != 0; }
    int32_t GetResult() const { return m_result; }
    uint16_t GetScore(int side) const { return side == 0 ? m_scoreLeft : m_scoreRight; }
    bool IsScoreBlinking(int side) const { return (side == 0 ? m_blinkLeft : m_blinkRight) != 0; }
    bool HasBoardObjects() const { return m_pBoard != nullptr; }
    CAniObject* GetResultBanner() const { return m_pResultBanner.get(); }
    const char* GetFloatingText() const { return m_floatingText; }

private:
    void StartBannerMotion(int32_t kind);
    void DrawBannerAt(uint8_t direction);
    void DrawScore(int32_t side, uint16_t score, uint8_t& blink, uint32_t blinkStart, int32_t centreX,
                   uint32_t now);
    void DeleteBoardObjects();

    // Banner.
    uint32_t m_bannerStart = 0;
    std::unique_ptr<CAniObject> m_pBanner;
    uint8_t m_bannerPlain = 0;
    char m_bannerText[BANNER_TEXT_SIZE] = {};
    uint8_t m_bannerActive = 0;
    uint8_t m_textBannerActive = 0;
    // Notice line.
    uint8_t m_noticeKind = 0;
    char m_noticeText[NOTICE_TEXT_SIZE] = {};
    uint32_t m_noticeStart = 0;
    // Worn-equipment mark.
    std::unique_ptr<CAniObject> m_pWornMark;
    // Fight club.
    uint8_t m_boardShown = 0;
    uint16_t m_scoreLeft = 0, m_scoreRight = 0;
    uint8_t m_blinkLeft = 0, m_blinkRight = 0;
    uint32_t m_blinkLeftStart = 0, m_blinkRightStart = 0;
    uint8_t m_boardFlag = 0;
    uint32_t m_boardStart = 0;
    uint8_t m_resultShown = 0;
    uint32_t m_resultStart = 0;
    int32_t m_result = 0;
    std::unique_ptr<CAniObject> m_pResultBanner;
    int32_t m_boardMode = 0;
    std::unique_ptr<CAniObject> m_pDigits[10];
    std::unique_ptr<CAniObject> m_pBoard;
    // Game request.
    CWeakRef m_requestBox;
    CMsgPort* m_pRequestPort = nullptr;
    uint32_t m_pendingAnswerId = 0;
    // Floating text.
    uint32_t m_floatingTime = 0;
    char m_floatingText[BANNER_TEXT_SIZE] = {};
};
