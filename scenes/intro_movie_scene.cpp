#include "scenes/intro_movie_scene.h"

#include "core/config.h"
#include "core/input_mgr.h"
#include "platform/keyboard.h"
#include "scenes/title_scene.h"

CIntroMovieScene::CIntroMovieScene() {
    CIntroMovieScene::Create();
}

CIntroMovieScene::~CIntroMovieScene() {
    CIntroMovieScene::Release();
}

bool CIntroMovieScene::Create() {
    CBaseObject::Create();
    SetKindId(SCENE_INTRO_MOVIE);
    PrepareSceneScreen(false);
    if (ISceneMusic* music = GetSceneMusic()) music->FadeOutMusic();
    ShowCursorObject(false);
    m_started = false;
    m_pMovie.reset();
    g_options.SetU32(OPT_INTRO_SEEN, 1);
    SaveOptions();
    m_savedByte = g_options.GetByte(OPT_SCENE_FORCED);
    g_options.SetByte(OPT_SCENE_FORCED, 1);
    m_forced = true;
    return true;
}

bool CIntroMovieScene::Release() {
    if (m_forced) g_options.SetByte(OPT_SCENE_FORCED, m_savedByte);
    m_forced = false;
    m_pMovie.reset();
    m_started = false;
    return CBaseObject::Release();
}

bool CIntroMovieScene::Update() {
    if (m_started || HasLeft()) return true;
    m_started = true;
    if (ISceneMovies* movies = GetSceneMovies())
        m_pMovie = movies->OpenMovie(INTRO_MOVIE_FILE, g_config.m_screenWidth, g_config.m_screenHeight);
    if (!m_pMovie) LeaveTo(SCENE_TITLE);
    return true;
}

bool CIntroMovieScene::Draw() {
    if (m_pMovie && !m_pMovie->RenderFrame()) {
        m_pMovie.reset();
        LeaveTo(SCENE_TITLE);
    }
    return true;
}

bool CIntroMovieScene::ProcessInput() {
    if (TakeEscapeKeys()) LeaveTo(SCENE_TITLE);
    return true;
}

bool TakeEscapeKeys() {
    if (!g_pInputMgr) return false;
    bool found = false;
    for (CInputEvent* event = g_pInputMgr->GetFirstEvent(); event;) {
        if (event->m_kind == INPUT_KEY && event->m_code == plat::VK_ESCAPE) {
            event = g_pInputMgr->RemoveEvent(event);
            found = true;
        } else {
            event = g_pInputMgr->GetNextEvent(event);
        }
    }
    return found;
}
