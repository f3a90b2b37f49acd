#include "windows/community/community_images.h"

#include "anim/ani_object.h"
#include "anim/ani_play_mgr.h"
#include "graphics/direct_draw.h"
#include "graphics/text_layout.h"
#include "graphics/text_renderer.h"
#include "ui/base_window.h"
#include "ui/button.h"
#include "ui/message_box.h"
#include "ui/window_mgr.h"
#include "world/chars/char.h"
#include "world/chars/char_mgr.h"

std::unique_ptr<CAniObject> MakeCommunityImage(const char* animation, uint8_t motion, uint8_t direction) {
    return MakeWindowImage(FindAniByName(animation), motion, direction);
}

void DrawCommunityImage(CAniObject* image, int32_t x, int32_t y) {
    if (!image) return;
    image->SetScreenPosition(x, y, 0);
    image->Draw();
}

void DrawCommunityText(int32_t x, int32_t y, const char* text, uint32_t colour) {
    if (g_pTextRenderer && g_pDirectDraw && text && text[0])
        g_pTextRenderer->DrawString(g_pDirectDraw->GetRenderSurface(), x, y, text, 0, colour,
                                    TEXT_STYLE_SHADOW, true);
}

bool CommunityImageHas(CAniObject* image, uint8_t motion, uint8_t direction) {
    return image && !image->IsMotionMissing(motion, direction);
}

void ShowCommunityNotice(const char* text) {
    if (!g_pWindowMgr) return;
    auto* box = new CMessageBox(text, true, false, true, 0);
    g_pWindowMgr->AddChild(box);
    box->CentreOnScreen();
    box->SetActive(true, false);
}

CBaseWindow* FindOrMakeCommunityWindow(const char* name) {
    if (!g_pWindowMgr) return nullptr;
    if (CBaseWindow* window = g_pWindowMgr->FindWindowByName(name)) return window;
    CBaseWindow* window = CreateRegisteredWindow(name);
    if (window && !g_pWindowMgr->AddChild(window)) {
        delete window;
        return nullptr;
    }
    return window;
}

const char* PlayerCharacterName() {
    CChar* player = g_pCharMgr ? g_pCharMgr->GetPlayer() : nullptr;
    const char* name = player ? player->GetInfo(nullptr) : nullptr;
    return name ? name : "";
}

void MakeCommunityWindowPicture(CBaseWindow* window, const char* name, const char* image, uint8_t motion) {
    const uint32_t id = FindAniByName(image);
    window->CreateNamedWithAni(WINDOW_DRAG_TYPE, name, id, id == 0);
    if (CAniObject* picture = window->GetAniObject()) {
        picture->SetMotion(motion);
        picture->SetDirection(2);
    }
}

bool DispatchDialogClick(int32_t button, int32_t x, int32_t y, CBaseWindow* control,
                         std::initializer_list<DialogAction> actions) {
    if (button == 0 && IsClickOn(control, x, y))
        for (const DialogAction& action : actions)
            if (action.control && action.control == control) {
                action.run();
                return false;
            }
    return control->OnControlEvent(button, x, y, nullptr);
}

CMessageBox* AskCommunityQuestion(const char* text, CMsgPort* port, uint32_t kind) {
    if (!g_pWindowMgr) return nullptr;
    auto* box = new CMessageBox(text, true, true, false, 0);
    box->SetKindId(kind);
    box->SetOkNotify(true, port, 0);
    box->SetCancelNotify(true, port, 0);
    box->SetHideOnAnswer(true);
    g_pWindowMgr->AddChild(box);
    box->SetActive(true, false);
    return box;
}
