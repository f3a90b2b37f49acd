#include "windows/community/community_draw.h"

#include <cstring>

#include "anim/ani_object.h"
#include "anim/ani_play_mgr.h"
#include "graphics/direct3d.h"
#include "graphics/direct_draw.h"
#include "graphics/text_renderer.h"
#include "platform/clock.h"
#include "ui/button.h"
#include "ui/message_box.h"
#include "ui/ui_services.h"
#include "ui/window_mgr.h"
#include "world/chars/char.h"
#include "world/chars/char_mgr.h"

void FillCommunityRect(int32_t x1, int32_t y1, int32_t x2, int32_t y2, uint32_t colour) {
    if (g_pDirect3D) g_pDirect3D->FillRect(x1, y1, x2, y2, colour);
}

void ShowCommunityOkBox(const char* text) {
    if (!g_pWindowMgr) return;
    auto* box = new CMessageBox(text, true, false, false, 0);
    g_pWindowMgr->AddChild(box);
    box->SetActive(true, false);
}

void PlayCommunityEffect(uint16_t effect) {
    if (IUiSound* sound = GetUiSound()) sound->PlaySoundEffect(effect, -1, -1, 1);
}

void PlayCommunityEffect(const char* name) {
    if (IUiSound* sound = GetUiSound()) {
        const uint16_t id = sound->FindEffectIdByName(name);
        if (id != 0) sound->PlaySoundEffect(id, -1, -1, 1);
    }
}

bool HasPlayerChar() {
    return g_pCharMgr && g_pCharMgr->GetPlayer();
}

const char* PlayerCharName() {
    CChar* player = g_pCharMgr ? g_pCharMgr->GetPlayer() : nullptr;
    return player ? player->m_info : "";
}

const char* PlayerIdentityName() {
    CChar* player = g_pCharMgr ? g_pCharMgr->GetPlayer() : nullptr;
    return player ? player->m_secondName : "";
}

uint32_t CommunityNow() {
    return plat::timeGetTime();
}

bool SameText(const char* a, const char* b) {
    return a && b && std::strcmp(a, b) == 0;
}

CButton* FindChildButton(const CBaseWindow* window, const char* name, int index) {
    const CBaseWindow::ChildList* children = window ? window->Children() : nullptr;
    if (!children) return nullptr;
    for (auto* node = children->First(); node != children->End(); node = node->m_pNext) {
        auto* child = dynamic_cast<CButton*>(node->m_pData);
        if (child && SameText(child->GetName(), name) && index-- == 0) return child;
    }
    return nullptr;
}
