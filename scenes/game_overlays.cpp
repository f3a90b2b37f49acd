#include "scenes/game_overlays.h"

#include <cstdio>
#include <cstring>
#include <string>

#include "anim/ani_object.h"
#include "anim/ani_play_mgr.h"
#include "core/util.h"
#include "data/item_object.h"
#include "data/text_format.h"
#include "data/text_tables.h"
#include "graphics/direct_draw.h"
#include "graphics/display_settings.h"
#include "graphics/text_renderer.h"
#include "platform/clock.h"
#include "ui/message_box.h"
#include "world/chars/char.h"
#include "world/chars/char_controller.h"
#include "world/chars/char_mgr.h"

namespace {

constexpr int32_t kBannerY = 100;
constexpr int32_t kNoticeY = 30;
constexpr int32_t kBoardY = 50;
constexpr int32_t kWornTop = 50;
constexpr int32_t kWornStep = 60;
constexpr int kRequestTable = 10;
constexpr int kRequestRow = 7;
constexpr const char* kUnknownUser = "Unknown User";
constexpr uint32_t GAME_REQUEST_ANSWER = 10;  // the parameter of its message 9

std::unique_ptr<CAniObject> MakeAni(uint32_t animation, uint8_t motion, uint8_t direction, bool play) {
    auto object = std::make_unique<CAniObject>();
    object->SetAnimation(animation);
    object->SetMotion(motion);
    object->SetDirection(direction);
    if (play)
        object->Play(true);
    else
        object->Stop();
    return object;
}

int32_t ScreenWidth() {
    return GetDisplaySettings().screenWidth;
}

CSurfaceResource* Surface() {
    return g_pDirectDraw ? g_pDirectDraw->GetRenderSurface() : nullptr;
}

}  // namespace

bool NoticeLineX(int32_t t, int32_t len, int32_t width, int32_t* x) {
    if (t < 0 || t >= NOTICE_LINE_TIME_MS) return false;
    const double rest = double(width / 2 - 3 * len);
    double at;
    if (t < 2000)
        at = double(3 * len + width / 2) * t * 0.0005 - 6.0 * len;
    else if (t <= 18000)
        at = rest;
    else
        at = (width - rest) * (t - 18000) * 0.0005 + rest;
    *x = int32_t(at);
    return true;
}

bool ScoreBlinkOn(uint32_t sinceChange) {
    return sinceChange < SCORE_BLINK_TIME_MS && sinceChange % 1000 < 500;
}

void LayOutScoreDigits(int32_t side, int32_t centreX, int32_t boardWidth, const int32_t* widths,
                       int32_t count, int32_t* xs) {
    if (side == 0) {
        // From the inner edge leftward, the last digit nearest the centre.
        int32_t right = centreX - boardWidth / 2 - 10;
        for (int32_t i = count - 1; i >= 0; --i) {
            right -= widths[i];
            xs[i] = right;
            right -= 5;
        }
    } else {
        int32_t left = centreX + boardWidth / 2 + 10;
        for (int32_t i = 0; i < count; ++i) {
            xs[i] = left;
            left += widths[i] + 5;
        }
    }
}

CGameOverlays::CGameOverlays() = default;
CGameOverlays::~CGameOverlays() = default;

void CGameOverlays::Create() {
    m_pBanner = MakeAni(BANNER_ANIMATION, 6, 2, false);
    m_pResultBanner = MakeAni(RESULT_BANNER_ANIMATION, 0, 2, false);
    m_pWornMark = MakeAni(WORN_MARK_ANIMATION, 0, 2, true);
    m_bannerStart = 0;
    m_bannerActive = m_textBannerActive = m_bannerPlain = 0;
    m_bannerText[0] = 0;
    m_noticeKind = 0;
    m_noticeText[0] = 0;
    m_noticeStart = 0;
    m_boardShown = m_blinkLeft = m_blinkRight = m_boardFlag = m_resultShown = 0;
    m_scoreLeft = m_scoreRight = 0;
    m_result = 0;
    m_boardMode = 0;
    m_pendingAnswerId = 0;
    m_floatingTime = 0;
    m_floatingText[0] = 0;
}

void CGameOverlays::Release() {
    m_pResultBanner.reset();
    m_pBanner.reset();
    m_pWornMark.reset();
    DeleteBoardObjects();
}

// ---- Banners ----

void CGameOverlays::StartBannerMotion(int32_t kind) {
    m_bannerStart = plat::timeGetTime();
    if (m_pBanner) {
        m_pBanner->SetMotion(kind == 1 ? 7 : 6);
        m_pBanner->Play(false);
    }
}

void CGameOverlays::DrawBannerAt(uint8_t direction) {
    if (!m_pBanner) return;
    m_pBanner->SetDirection(direction);
    m_pBanner->SetScreenPosition(ScreenWidth() / 2 - m_pBanner->GetWidth() / 2, kBannerY, 0);
    m_pBanner->Update();
    m_pBanner->Draw();
}

void CGameOverlays::ShowBanner(bool start, int32_t kind) {
    if (start) {
        m_bannerActive = 1;
        m_textBannerActive = 0;
        StartBannerMotion(kind);
        return;
    }
    if (!m_bannerActive) return;
    if (plat::timeGetTime() - m_bannerStart >= BANNER_TIME_MS) {
        m_bannerStart = 0;
        m_bannerActive = 0;
        return;
    }
    DrawBannerAt(2);
}

void CGameOverlays::ShowTextBanner(const char* text, bool start, bool plain, int32_t kind) {
    if (start) {
        CopyDbcsPrefix(text ? text : "", BANNER_TEXT_SIZE - 1, m_bannerText);
        m_bannerPlain = plain;
        m_textBannerActive = 1;
        m_bannerActive = 0;
        StartBannerMotion(kind);
        return;
    }
    if (!m_textBannerActive) return;
    if (plat::timeGetTime() - m_bannerStart >= BANNER_TIME_MS) {
        m_bannerStart = 0;
        m_textBannerActive = 0;
        return;
    }
    DrawBannerAt(m_bannerPlain ? 14 : 0);
    if (m_bannerPlain || !m_pBanner || !g_pTextRenderer) return;
    const int32_t len = int32_t(std::strlen(m_bannerText));
    const int32_t x = m_pBanner->GetX() + 5 * (23 - len);
    const int32_t y = m_pBanner->GetY() + (m_pBanner->GetCurrentMotionId() == 6 ? 227 : 198);
    g_pTextRenderer->DrawString(Surface(), x, y, m_bannerText, 5, 0xFFFFFF, 1, true);
}

// ---- Fight club ----

void CGameOverlays::StartFightClubBoard() {
    const uint32_t now = plat::timeGetTime();
    m_scoreLeft = m_scoreRight = 0;
    m_blinkLeft = m_blinkRight = 0;
    m_resultShown = 0;
    m_result = 0;
    m_boardShown = 1;
    m_boardFlag = 1;
    m_boardMode = 1;
    m_boardStart = now;
    for (int d = 0; d < 10; ++d) m_pDigits[d] = MakeAni(FIGHT_BOARD_ANIMATION, uint8_t(3 + d), 2, false);
    m_pBoard = MakeAni(FIGHT_BOARD_ANIMATION, 2, 2, false);
}

void CGameOverlays::SetFightClubScoreLeft(uint16_t score) {
    m_scoreLeft = score;
    m_blinkLeft = 1;
    m_blinkLeftStart = plat::timeGetTime();
}

void CGameOverlays::SetFightClubScoreRight(uint16_t score) {
    m_scoreRight = score;
    m_blinkRight = 1;
    m_blinkRightStart = plat::timeGetTime();
}

void CGameOverlays::DeleteBoardObjects() {
    for (auto& digit : m_pDigits) digit.reset();
    m_pBoard.reset();
}

void CGameOverlays::ShowFightClubResult(int32_t result) {
    m_boardMode = 0;
    m_resultShown = 1;
    m_resultStart = plat::timeGetTime();
    m_result = result;
    if ((result == 0 || result == 1) && m_pResultBanner) {
        m_pResultBanner->SetMotion(3);
        m_pResultBanner->SetDirection(result == 0 ? 2 : 0);
        m_pResultBanner->Play(false);
    } else if (result == 2) {
        m_boardShown = 0;
        m_resultShown = 0;
    }
    DeleteBoardObjects();
}

void CGameOverlays::DrawScore(int32_t side, uint16_t score, uint8_t& blink, uint32_t blinkStart,
                              int32_t centreX, uint32_t now) {
    char text[8];
    std::snprintf(text, sizeof text, "%u", unsigned(score));
    const int32_t count = int32_t(std::strlen(text));
    int32_t widths[8] = {};
    CAniObject* digits[8] = {};
    for (int32_t i = 0; i < count; ++i) {
        int d = text[i] - '0';
        if (d > 9) d = 9;
        digits[i] = m_pDigits[d].get();
        widths[i] = digits[i] ? digits[i]->GetWidth() : 0;
    }
    int32_t xs[8] = {};
    LayOutScoreDigits(side, centreX, m_pBoard ? m_pBoard->GetWidth() : 0, widths, count, xs);
    bool lit = false;
    if (blink) {
        const uint32_t since = now - blinkStart;
        if (since >= SCORE_BLINK_TIME_MS)
            blink = 0;
        else
            lit = ScoreBlinkOn(since);
    }
    uint32_t colour = 0;
    SetColorByIndex(colour, 2);
    const uint8_t rgba[4] = {uint8_t(colour), uint8_t(colour >> 8), uint8_t(colour >> 16), 255};
    for (int32_t i = 0; i < count; ++i) {
        if (!digits[i]) continue;
        digits[i]->SetColor(lit ? 1 : 0, lit ? colour : 0, lit ? rgba : nullptr);
        digits[i]->SetScreenPosition(xs[i], kBoardY, 0);
        digits[i]->Draw();
    }
}

void CGameOverlays::DrawFightClubBoard() {
    if (!m_boardShown) return;
    const uint32_t now = plat::timeGetTime();
    const int32_t centreX = ScreenWidth() / 2;
    if (m_resultShown) {
        if (now - m_resultStart < FIGHT_RESULT_TIME_MS) {
            if (m_pResultBanner) {
                m_pResultBanner->Update();
                m_pResultBanner->SetScreenPosition(centreX, kBannerY, 0);
                m_pResultBanner->Draw();
            }
        } else {
            m_resultShown = 0;
            m_resultStart = 0;
            m_boardShown = 0;
        }
        return;
    }
    if (m_boardMode != 1 || !m_pBoard) return;
    m_pBoard->SetScreenPosition(centreX, kBoardY, 0);
    m_pBoard->Draw();
    DrawScore(0, m_scoreLeft, m_blinkLeft, m_blinkLeftStart, centreX, now);
    DrawScore(1, m_scoreRight, m_blinkRight, m_blinkRightStart, centreX, now);
}

// ---- Notice line ----

void CGameOverlays::SetNotice(uint8_t kind, const char* text) {
    m_noticeKind = kind;
    CopyDbcsPrefix(text ? text : "", NOTICE_TEXT_SIZE - 1, m_noticeText);
    m_noticeStart = plat::timeGetTime();
}

void CGameOverlays::DrawNotice() {
    if (!m_noticeText[0]) return;
    const int32_t t = int32_t(plat::timeGetTime() - m_noticeStart);
    int32_t x = 0;
    if (!NoticeLineX(t, int32_t(std::strlen(m_noticeText)), ScreenWidth(), &x)) {
        m_noticeText[0] = 0;
        m_noticeStart = 0;
        return;
    }
    if (!g_pTextRenderer) return;
    const uint32_t colour = m_noticeKind == NOTICE_KIND_BLUE ? 0xA0A0FF : 0xFFA0A0;
    g_pTextRenderer->DrawString(Surface(), x, kNoticeY, m_noticeText, 0, colour, 2, true);
}

// ---- Floating text ----

bool CGameOverlays::ShowFloatingText(const char* text, CChar* player) {
    if (!g_pAniPlayMgr || !player || !text || !*text) return false;
    const uint32_t now = plat::timeGetTime();
    char copy[BANNER_TEXT_SIZE];
    CopyDbcsPrefix(text, BANNER_TEXT_SIZE - 1, copy);
    if (std::strcmp(copy, m_floatingText) == 0 && now - m_floatingTime < FLOATING_TEXT_REPEAT_MS)
        return false;
    std::memcpy(m_floatingText, copy, sizeof copy);
    m_floatingTime = now;
    const int32_t len = int32_t(std::strlen(m_floatingText));
    g_pAniPlayMgr->AddFloatingText(m_floatingText, player, 3000, -3 * len, 100, 0xFF8000, 0, 1);
    return true;
}

// ---- Game request ----

void CGameOverlays::SetGameRequestBox(CMessageBox* box, CMsgPort* port) {
    m_requestBox.Assign(box);
    m_pRequestPort = port;
}

CMessageBox* CGameOverlays::GetGameRequestBox() const {
    return m_requestBox.GetAs<CMessageBox>();
}

bool CGameOverlays::ShowGameRequest(uint32_t charId) {
    m_pendingAnswerId = charId;
    CMessageBox* box = GetGameRequestBox();
    if (!box) return false;
    char name[CHAR_TEXT_SIZE] = {};
    if (!g_pCharMgr || !g_pCharMgr->GetCharName(charId, name, sizeof name) || !name[0])
        std::snprintf(name, sizeof name, "%s", kUnknownUser);
    const std::string line = FormatTableText(GetTableText(kRequestTable, kRequestRow), {name});
    box->SetOkNotify(true, m_pRequestPort, GAME_REQUEST_ANSWER);
    box->SetCancelNotify(true, m_pRequestPort, GAME_REQUEST_ANSWER);
    box->Show();
    box->ClearText();
    box->AddText(line.c_str(), 0xFFFFFF);
    box->SetActive(true, false);
    return true;
}

// ---- Worn equipment ----

void CGameOverlays::DrawWornEquipmentWarning(CChar* player) {
    if (!player) return;
    if (m_pWornMark) m_pWornMark->Update();
    CCharData* data = player->GetData();
    if (!data) return;
    const int32_t width = ScreenWidth();
    int32_t y = kWornTop;
    for (const auto& item : data->m_items) {
        if (!item || !(0.4 * double(item->GetMaximum()) > double(item->GetCurrent()))) continue;
        if (CAniObject* icon = item->GetAniObject()) {
            icon->SetScreenPosition(width - 100, y, 0);
            icon->Draw();
        }
        if (m_pWornMark) {
            m_pWornMark->SetScreenPosition(width - 98, y, 0);
            m_pWornMark->Draw();
        }
        y += kWornStep;
    }
}
