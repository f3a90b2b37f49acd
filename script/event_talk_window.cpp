#include "script/event_talk_window.h"

#include <algorithm>
#include <cstring>

#include "anim/ani_object.h"
#include "anim/ani_play_mgr.h"
#include "graphics/direct3d.h"
#include "graphics/direct_draw.h"
#include "graphics/display_settings.h"
#include "graphics/rich_text.h"
#include "graphics/text_renderer.h"
#include "platform/clock.h"
#include "platform/keyboard.h"
#include "script/event_mgr.h"
#include "ui/ui_services.h"
#include "world/chars/char.h"

namespace {

// The image motions, in the order of the eight images.
constexpr uint8_t kImageMotions[8] = {3, 0, 1, 2, 4, 5, 6, 7};
// The motions of the pictures: the boxes of modes 0-3, the notice banner,
// the large narration box (mode 4), the face frame and the next-page mark.
constexpr uint8_t kBannerMotion = 4, kLargeBoxMotion = 5, kMarkMotion = 7;

int ImageOfMotion(uint8_t motion) {
    for (int i = 0; i < 8; ++i)
        if (kImageMotions[i] == motion) return i;
    return 0;
}

struct ModeBox {
    int32_t columns;
    int32_t width, height;
};
constexpr ModeBox kModes[5] = {{90, 786, 96}, {29, 257, 69}, {38, 257, 69}, {20, 159, 66}, {20, 197, 102}};

const CDisplaySettings& Screen() {
    return GetDisplaySettings();
}

uint16_t FaceOf(CChar* speaker) {
    if (auto* player = dynamic_cast<CPlayerChar*>(speaker)) return player->GetFaceAniId();
    if (auto* npc = dynamic_cast<CNpcChar*>(speaker)) return npc->GetFaceAniId();
    return 0;
}

bool HasFace(CChar* speaker) {
    const uint16_t face = FaceOf(speaker);
    return face != 0 && face != 10000;
}

}  // namespace

CEventTalkWindow::CEventTalkWindow() {
    CEventTalkWindow::Create();
}

CEventTalkWindow::~CEventTalkWindow() {
    CEventTalkWindow::Release();
}

bool CEventTalkWindow::Create() {
    CBaseWindow::Create();
    const uint32_t image = FindAniByName(EVENT_TALK_ANIMATION);
    CreateNamedWithAni(WINDOW_DRAG_TYPE, EVENT_TALK_WINDOW_NAME, image, image == 0);
    m_noImageDraw = 1;
    m_keepDuringEvents = 1;
    SetKindId(0);
    for (int i = 0; i < 8; ++i) {
        m_images[i].reset();
        if (image == 0) continue;
        auto object = std::make_unique<CAniObject>();
        if (!object->SetAnimation(image)) continue;
        object->SetMotion(kImageMotions[i]);
        object->SetDirection(2);
        m_images[i] = std::move(object);
    }
    m_autoDelay = EVENT_TALK_AUTO_MS;
    for (TalkLine& line : m_lines) FreeLine(line);
    m_notice.clear();
    m_noticeState = 0;
    m_shown = 0;
    CBaseWindow::Hide();
    return true;
}

bool CEventTalkWindow::Release() {
    for (TalkLine& line : m_lines) FreeLine(line);
    for (auto& image : m_images) image.reset();
    m_face.reset();
    return CBaseWindow::Release();
}

void CEventTalkWindow::FreeLine(TalkLine& line) {
    line = TalkLine{};
}

bool CEventTalkWindow::IsEmpty() const {
    return std::none_of(std::begin(m_lines), std::end(m_lines), [](const TalkLine& l) { return l.InUse(); });
}

void CEventTalkWindow::ClearLines() {
    bool any = false;
    for (TalkLine& line : m_lines) {
        any = any || line.InUse();
        FreeLine(line);
    }
    if (any) PlayEventEffect(80);
}

void CEventTalkWindow::Close() {
    for (TalkLine& line : m_lines) FreeLine(line);
    m_shown = 0;
    Hide();
}

bool CEventTalkWindow::UpdateRect() {
    const CDisplaySettings& screen = Screen();
    m_rect = {0, 0, screen.screenWidth - 1, screen.screenHeight - 1};
    return true;
}

bool CEventTalkWindow::AddLine(uint8_t flag, uint32_t mode, CChar* speaker, const char* name,
                               const char* text, uint8_t face, uint32_t value) {
    if (!text || !text[0]) return false;
    auto free =
        std::find_if(std::begin(m_lines), std::end(m_lines), [](const TalkLine& l) { return !l.InUse(); });
    if (free == std::end(m_lines)) return false;
    if (!IsDrawOn()) Show();
    SetActive(true, false);
    m_shown = 1;
    TalkLine& line = *free;
    line.startTime = plat::timeGetTime();
    line.name = name ? name : "";
    line.text = text;
    line.mode = std::min<uint32_t>(mode, 4);
    line.flag = flag;
    line.page = 0;
    line.speaker = speaker;
    line.speakerId = speaker ? speaker->GetCharId() : 0;
    line.speakerKind = speaker ? speaker->GetKind() : 0;
    line.face = face;
    line.value = value;
    if (line.mode == 1 || line.mode == 2) {
        line.mode = 2;
        if (HasFace(speaker)) {
            auto image = std::make_unique<CAniObject>();
            if (image->SetAnimation(FaceOf(speaker)) && !image->IsMotionMissing(uint8_t(face + 2), 2))
                line.mode = 1;
        }
    }
    if (line.mode == 0) {
        const uint16_t id = FaceOf(speaker);
        if (id != m_lastFaceId) {
            m_lastFaceId = id;
            m_faceFrames = 0;
        }
    }
    line.columns = kModes[line.mode].columns;
    PlaceLine(line, int(free - std::begin(m_lines)));
    line.active = 1;
    line.layout = std::make_unique<CTextLineBuffer>();
    line.layout->Init();
    line.lastLine =
        uint32_t(std::max(0, line.layout->LayoutLines(line.text.c_str(), line.columns, true, true)));
    return true;
}

void CEventTalkWindow::PlaceLine(TalkLine& line, int self) {
    const CDisplaySettings& screen = Screen();
    if (line.mode == 0) {
        line.x = 7;
        line.y = screen.screenHeight - 156 + (m_letterbox ? 2 : 60);
        return;
    }
    const ModeBox& box = kModes[line.mode];
    int32_t x = screen.screenWidth / 2 - box.width / 2, y = screen.screenHeight / 2 - box.height;
    if (CAniObject* object = line.speaker ? line.speaker->GetAniObject() : nullptr) {
        x = object->m_screenX - box.width / 2;
        y = object->m_screenY - object->GetHeight() - box.height / 2;
    }
    const int32_t top = m_letterbox ? 60 : 10;
    const bool offScreen = x < 10 || y < top || x > screen.screenWidth - box.width - 10 ||
                           y > screen.screenHeight - box.height - 10;
    if (offScreen) {
        x = std::clamp(x, 10, std::max(10, screen.screenWidth - box.width - 10));
        y = std::clamp(y, top, std::max(top, screen.screenHeight - box.height - 10));
    }
    // The box's place after the mode's offsets and clamps.
    auto place = [&](int32_t px, int32_t py, int32_t* fx, int32_t* fy) {
        if (line.mode == 1 || line.mode == 2) {
            *fx = std::min(std::max(px - 10, 5), screen.screenWidth - 257);
            *fy = std::min(std::max(py - 34, 5), screen.screenHeight - 69);
        } else {
            *fx = std::min(px, screen.screenWidth - box.width);
            *fy = std::min(std::max(py - 20, 5), screen.screenHeight - box.height);
        }
    };
    // Another box at exactly this place: move beside it, away from the edge
    // it is nearer (16 moves at the most).
    const bool rightHalf = x > screen.screenWidth / 2;
    int32_t fx = 0, fy = 0;
    place(x, y, &fx, &fy);
    for (int tries = 0; tries < 16; ++tries) {
        const bool taken = std::any_of(std::begin(m_lines), std::end(m_lines), [&](const TalkLine& other) {
            return &other != &m_lines[self] && other.InUse() && other.active && other.mode != 0 &&
                   other.x == fx && other.y == fy;
        });
        if (!taken) break;
        x += rightHalf ? -(box.width + 10) : box.width + 10;
        place(x, y, &fx, &fy);
    }
    line.x = fx;
    line.y = fy;
}

bool CEventTalkWindow::IsLineDone(CChar* speaker) {
    const uint32_t id = speaker ? speaker->GetCharId() : 0;
    const uint16_t kind = speaker ? speaker->GetKind() : 0;
    for (TalkLine& line : m_lines) {
        if (!line.InUse() || !line.active || line.speakerId != id || line.speakerKind != kind) continue;
        if (!line.nextPage) return false;
        ++line.page;
        if (int64_t(line.page) * PerPage(line.mode) <= int64_t(line.lastLine)) {
            line.nextPage = 0;
            line.typed = 0;
            line.startTime = plat::timeGetTime();
            return false;
        }
        return true;
    }
    return false;
}

void CEventTalkWindow::Advance() {
    for (TalkLine& line : m_lines) {
        if (!line.InUse()) continue;
        if (line.typed) {
            line.nextPage = 1;
        } else {
            line.typed = 1;
            line.startTime = plat::timeGetTime();
        }
    }
}

bool CEventTalkWindow::OnControlEvent(int32_t button, int32_t x, int32_t y, CBaseWindow* control) {
    if (control) return CBaseWindow::OnControlEvent(button, x, y, control);
    Advance();
    return false;
}

bool CEventTalkWindow::OnKeyDown(uint32_t key, CBaseWindow* control) {
    if (!control && key == plat::VK_RETURN && !IsEmpty()) {
        Advance();
        return false;
    }
    return CBaseWindow::OnKeyDown(key, control);
}

bool CEventTalkWindow::SetNotice(const char* text, uint16_t soundId, uint32_t owner, uint32_t timed) {
    const uint32_t now = plat::timeGetTime();
    if (timed == 1) m_noticeStart = now;
    m_noticeTimed = timed == 1;
    if (text && text[0]) {
        m_noticeOwner = owner;
        m_noticeState = 1;
        m_notice = text;
        if (!IsDrawOn()) Show();
        SetActive(true, false);
        m_shown = 1;
        m_bannerY = -27;
        m_bannerAlpha = 0;
        m_noticeX = -10 * int32_t(m_notice.size());
        if (!m_noticeTimed && soundId != 0) PlayEventEffect(soundId);
    } else if (!text && owner == m_noticeOwner && m_noticeState == 1) {
        m_noticeState = 2;
        m_noticeTime = now;
    }
    return true;
}

bool CEventTalkWindow::Update() {
    CWeakRef self(this);
    CBaseWindow::Update();
    if (!self) return true;
    if (IsEmpty() && m_noticeState == 0) {
        for (TalkLine& line : m_lines) FreeLine(line);
        m_shown = 0;
        if (IsDrawOn()) Hide();
        return true;
    }
    CEventScript* event = g_pEventMgr ? g_pEventMgr->GetEvent() : nullptr;
    m_letterbox = event && event->BarHeight() > 0;
    const uint32_t now = plat::timeGetTime();
    if (m_noticeState == 1 && m_noticeTimed && now - m_noticeStart > EVENT_NOTICE_MS) {
        m_noticeState = 2;
        m_noticeTime = now;
    }
    for (int i = 0; i < EVENT_TALK_LINES; ++i) {
        TalkLine& line = m_lines[i];
        if (!line.InUse()) continue;
        if (line.mode != 0) PlaceLine(line, i);
        if (line.typed && now - line.startTime > m_autoDelay) line.nextPage = 1;
    }
    if (now - m_blinkTime >= 500) {
        m_blinkTime = now;
        m_blink ^= 1;
    }
    return true;
}

void CEventTalkWindow::DrawLine(TalkLine& line) {
    const ModeBox& box = kModes[line.mode];
    const int32_t perPage = PerPage(line.mode);
    const int32_t first = int32_t(line.page) * perPage;
    // The box: its frame image when the animation has one, else a dark panel.
    CAniObject* frame = m_images[ImageOfMotion(line.mode == 4 ? kLargeBoxMotion : uint8_t(line.mode))].get();
    if (frame) {
        frame->SetScreenPosition(line.x, line.y, 0);
        frame->Draw();
    } else if (g_pDirect3D) {
        g_pDirect3D->FillRect(line.x, line.y, line.x + box.width, line.y + box.height, 0xC0101828);
    }
    int32_t textX = line.x + 12, textY = line.y + 10;
    if (line.mode == 0) {
        textY = line.y + 25;
        if (!line.name.empty() && g_pTextRenderer && g_pDirectDraw)
            g_pTextRenderer->DrawString(g_pDirectDraw->GetRenderSurface(), line.x + 12, line.y + 6,
                                        line.name.c_str(), 0, 0x80FFFF, 2, true);
    } else if (line.mode == 1) {
        textX = line.x + 70;
    }
    if (!line.layout) return;
    if (!line.typed) {
        if (line.layout->DrawLinesTimed(first, textX, textY, line.columns, perPage, line.text.c_str(),
                                        line.mode == 0 ? 10 : 20, true, 0, 2) == 1) {
            line.typed = 1;
            line.startTime = plat::timeGetTime();
        }
    } else {
        line.layout->DrawLines(first, textX, textY, line.columns, perPage, line.text.c_str(), 0, true, 0, 2);
    }
    if (line.typed && m_blink == 0) {
        const int32_t mx = line.x + box.width - 20, my = line.y + box.height - 16;
        if (CAniObject* mark = m_images[ImageOfMotion(kMarkMotion)].get()) {
            mark->SetScreenPosition(mx, my, 0);
            mark->Draw();
        } else if (g_pDirect3D) {
            g_pDirect3D->FillRect(mx, my, mx + 8, my + 8, 0xFFFFFFFF);
        }
    }
}

void CEventTalkWindow::DrawNotice() {
    if (m_noticeState == 0) return;
    if (m_noticeState == 1) {
        m_bannerY = std::min(16, m_bannerY + 1);
        m_bannerAlpha = std::min(255, m_bannerAlpha + 2);
        if (m_bannerAlpha == 255) m_noticeX = std::min(14, m_noticeX + 10);
    } else {
        m_bannerAlpha = std::max(0, m_bannerAlpha - 4);
    }
    if (CAniObject* banner = m_images[ImageOfMotion(kBannerMotion)].get()) {
        banner->SetScreenPosition(0, m_bannerY, 0);
        banner->Draw();
    }
    if (g_pTextRenderer && g_pDirectDraw && !m_notice.empty())
        g_pTextRenderer->DrawString(g_pDirectDraw->GetRenderSurface(), m_noticeX, 21, m_notice.c_str(), 0,
                                    0xFFFFFF, 8, true);
    if (m_noticeState == 2 && m_bannerAlpha == 0) {
        m_notice.clear();
        m_noticeState = 0;
    }
}

bool CEventTalkWindow::Draw() {
    if (!IsDrawOn()) return true;
    for (TalkLine& line : m_lines)
        if (line.InUse() && line.active) DrawLine(line);
    DrawNotice();
    return true;
}
