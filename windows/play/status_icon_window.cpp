#include "windows/play/status_icon_window.h"

#include <algorithm>

#include "anim/ani_object.h"
#include "data/skill_table_mgr.h"
#include "graphics/display_settings.h"
#include "platform/clock.h"
#include "world/chars/char.h"
#include "world/chars/char_controller.h"
#include "world/chars/char_mgr.h"

namespace {

inline constexpr char kWindowName[] = "ABNORMAL_STATUS_ICON_WIN";

float BlinkInterval(uint32_t remaining) {
    return std::max(float(remaining) * 0.01f, STATUS_BLINK_MIN_MS);
}

}  // namespace

CAbnormalStatusIconWin::CAbnormalStatusIconWin() {
    CAbnormalStatusIconWin::Create();
}

CAbnormalStatusIconWin::~CAbnormalStatusIconWin() {
    CAbnormalStatusIconWin::Release();
}

bool CAbnormalStatusIconWin::Create() {
    CBaseWindow::Create();
    if (!CreateNamed(WINDOW_DRAG_TYPE, kWindowName)) return false;
    m_noImageDraw = 1;
    SetKindId(0);
    CBaseWindow::SetPosition(0, 0);
    m_records.clear();
    return true;
}

bool CAbnormalStatusIconWin::Release() {
    m_records.clear();
    return CBaseWindow::Release();
}

void CAbnormalStatusIconWin::RemoveStatusIcon(uint32_t statusId) {
    std::erase_if(m_records, [statusId](const Record& r) { return r.statusId == statusId; });
    LayoutIcons();
}

void CAbnormalStatusIconWin::LayoutIcons() {
    const int32_t count = int32_t(m_records.size());
    const int32_t left = GetDisplaySettings().screenWidth / 2 - count * STATUS_ICON_PITCH / 2;
    for (int32_t k = 0; k < count; ++k)
        if (CAniObject* icon = m_records[size_t(k)].icon.get())
            icon->SetScreenPosition(left + STATUS_ICON_PITCH * k, STATUS_ICON_TOP, 0);
}

void CAbnormalStatusIconWin::AddStatusIcon(uint32_t key, uint32_t statusId, uint32_t durationMs) {
    RemoveStatusIcon(statusId);
    uint16_t animation = STATUS_NO_ICON, motion = 0;
    uint8_t direction = 0;
    if (!g_pSkillTableMgr) return;
    g_pSkillTableMgr->GetResourceRef13(SkillIdToRow(statusId), &animation, &motion, &direction);
    if (animation == STATUS_NO_ICON) return;
    const uint32_t now = plat::timeGetTime();
    auto same =
        std::find_if(m_records.begin(), m_records.end(), [key](const Record& r) { return r.key == key; });
    if (same != m_records.end()) {
        if (same->statusId == statusId) {
            same->startTime = now;
            same->blinking = 0;
            same->duration = durationMs;
            return;
        }
        m_records.erase(same);
    }
    Record record;
    record.key = key;
    record.statusId = statusId;
    record.startTime = now;
    record.duration = durationMs;
    auto icon = std::make_unique<CAniObject>();
    if (icon->SetAnimation(animation)) {
        icon->SetMotion(uint8_t(motion));
        icon->SetDirection(direction);
        icon->SetUnderlay(false);
        icon->Play(true);
        record.icon = std::move(icon);
    }
    m_records.push_back(std::move(record));
    LayoutIcons();
}

bool CAbnormalStatusIconWin::Update() {
    CWeakRef self(this);
    CBaseWindow::Update();
    if (!self) return true;
    CChar* player = g_pCharMgr ? g_pCharMgr->GetPlayer() : nullptr;
    if (CCharData* data = player ? player->GetData() : nullptr) {
        const size_t before = m_records.size();
        auto* info = player->GetAction()
                         ? dynamic_cast<ISkillEntryView*>(player->GetAction()->HudWindow(HUD_CHAR_INFO))
                         : nullptr;
        std::erase_if(m_records, [&](const Record& r) {
            if (data->FindAttachedById(r.statusId)) return false;
            if (info) info->RemoveSkillEntry(r.statusId);
            return true;
        });
        if (m_records.size() != before) LayoutIcons();
    }
    const uint32_t now = plat::timeGetTime();
    for (Record& r : m_records) {
        // Past the end the time left is 0, never a wrapped-round large value.
        const uint32_t elapsed = now - r.startTime;
        const uint32_t remaining = elapsed < r.duration ? r.duration - elapsed : 0;
        if (!r.blinking && r.duration != 0 && remaining < STATUS_BLINK_BEFORE_MS) {
            r.blinking = 1;
            r.blinkInterval = BlinkInterval(remaining);
            r.toggleTime = now;
        }
        if (r.blinking && float(now - r.toggleTime) > r.blinkInterval) {
            r.blinkInterval = BlinkInterval(remaining);
            r.phase = r.phase ? 0 : 1;
            r.toggleTime = now;
            if (r.icon) r.icon->m_hidden = r.phase;
        }
        if (r.icon) r.icon->Update();
    }
    return true;
}

bool CAbnormalStatusIconWin::Draw() {
    for (Record& r : m_records)
        if (r.icon && !r.icon->m_hidden) r.icon->Draw();
    return true;
}
