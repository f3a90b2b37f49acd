// The name-memo markers: an Alt-click on a character hands its name to the
// name memo window and sends a marker flying to the chat window's memo button.
#include <cmath>

#include "anim/ani_object.h"
#include "core/input_mgr.h"
#include "core/util.h"
#include "scenes/game_scene.h"
#include "ui/base_window.h"
#include "ui/game_scene_windows.h"
#include "ui/window_mgr.h"
#include "world/chars/char.h"
#include "world/chars/char_mgr.h"

namespace {
constexpr float kMarkerStep = 20.0f;
}  // namespace

void CGameScene::ShowNameMemoMark(int32_t id, int32_t kind) {
    if (kind >= 0 && kind <= 3 && g_pCharMgr && g_pWindowMgr) {
        char name[CHAR_TEXT_SIZE] = {};
        auto* memo = dynamic_cast<INameMemo*>(g_pWindowMgr->FindWindowByName(gamewin::kNameMemo, 0, true));
        if (memo && g_pCharMgr->GetCharName(uint32_t(id), name, sizeof name)) memo->AddName(name, kind);
    }
    MemoMarker marker;
    marker.x = float(g_pInputMgr ? g_pInputMgr->m_mouseX : 0);
    marker.y = float(g_pInputMgr ? g_pInputMgr->m_mouseY : 0);
    marker.object = std::make_unique<CAniObject>();
    marker.object->SetAnimation(1);
    marker.object->SetMotion(10);
    marker.object->SetDirection(14);
    marker.object->Play(true);
    marker.object->SetScreenPosition(int32_t(marker.x), int32_t(marker.y), 0);
    m_memoMarkers.push_back(std::move(marker));
}

void CGameScene::UpdateNameMemoMarks() {
    auto* button = dynamic_cast<IChatMemoButton*>(m_windows.Get(gamewin::kChatWindow));
    for (auto it = m_memoMarkers.begin(); it != m_memoMarkers.end();) {
        // With no chat window to fly to, the marker has nowhere to go.
        if (!button) {
            it = m_memoMarkers.erase(it);
            continue;
        }
        float toX = 0, toY = 0;
        button->GetMemoButtonPosition(&toX, &toY);
        const float before = GetDistance(it->x, it->y, toX, toY);
        const float angle = GetAngle(it->x, it->y, toX, toY) * 3.14159265f / 180.0f;
        const float x = it->x + kMarkerStep * std::cos(angle), y = it->y + kMarkerStep * std::sin(angle);
        if (!(GetDistance(x, y, toX, toY) < before)) {
            button->StartMemoBlink();
            it = m_memoMarkers.erase(it);
            continue;
        }
        it->x = x;
        it->y = y;
        if (it->object) {
            it->object->SetScreenPosition(int32_t(x), int32_t(y), 0);
            it->object->Update();
        }
        ++it;
    }
}

void CGameScene::DrawNameMemoMarks() {
    for (MemoMarker& marker : m_memoMarkers)
        if (marker.object) marker.object->Draw();
}
