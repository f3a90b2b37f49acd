#include "scenes/start_scene.h"

#include "anim/ani_object.h"
#include "core/config.h"
#include "platform/clock.h"

CStartScene::CStartScene() {
    CStartScene::Create();
}

CStartScene::~CStartScene() {
    CStartScene::Release();
}

bool CStartScene::Create() {
    CBaseObject::Create();
    SetKindId(SCENE_START);
    for (auto& logo : m_logos) logo.reset();
    auto logo = std::make_unique<CAniObject>();
    logo->SetAnimation(START_LOGO_ANIMATION, false);
    logo->SetMotion(0);
    logo->SetDirection(2);
    logo->SetScreenPosition(0, 0, 0);
    m_logos[0] = std::move(logo);
    m_logoCount = 1;
    SetSceneRedraw(true);
    m_current = 0;
    m_holdTime = HOLD_MS;
    StartLogo();
    return true;
}

bool CStartScene::Release() {
    for (auto& logo : m_logos) logo.reset();
    m_logoCount = 0;
    m_fade.Reset();
    return CBaseObject::Release();
}

void CStartScene::StartLogo() {
    m_visibleTime = 0;
    m_fade.Reset();
    PrepareSceneScreen(true);
    m_fade.Start(FADE_IN);
}

bool CStartScene::Update() {
    if (HasLeft()) return true;
    m_fade.Update();
    const uint32_t now = plat::timeGetTime();
    if (m_fade.IsFadeIn() && m_fade.IsFinished() && m_visibleTime == 0) m_visibleTime = now ? now : 1;
    if (m_visibleTime != 0 && now - m_visibleTime > m_holdTime) {
        m_visibleTime = 0;
        m_fade.Start(FADE_OUT);
    }
    if (m_fade.IsFadeOutDone()) {
        if (++m_current < m_logoCount) {
            StartLogo();
        } else {
            m_current = m_logoCount - 1;
            m_fade.Reset();
            LeaveTo(g_options.GetU32(OPT_INTRO_SEEN) == 0 ? SCENE_INTRO_MOVIE : SCENE_TITLE);
        }
    }
    return true;
}

bool CStartScene::Draw() {
    if (m_current >= 0 && m_current < m_logoCount && m_logos[m_current]) m_logos[m_current]->Draw();
    return true;
}
