#include "scenes/scene_services.h"

namespace {

IScreenFadeMaker* g_fadeMaker = nullptr;
ISceneEvents* g_sceneEvents = nullptr;
ISceneScripts* g_sceneScripts = nullptr;
ISceneMusic* g_sceneMusic = nullptr;
ISceneMovies* g_sceneMovies = nullptr;
IOneToOneChatMaker* g_oneToOneChatMaker = nullptr;
ISceneFieldEffects* g_fieldEffects = nullptr;

}  // namespace

void SetScreenFadeMaker(IScreenFadeMaker* maker) {
    g_fadeMaker = maker;
}
IScreenFadeMaker* GetScreenFadeMaker() {
    return g_fadeMaker;
}
void SetSceneFieldEffects(ISceneFieldEffects* effects) {
    g_fieldEffects = effects;
}
ISceneFieldEffects* GetSceneFieldEffects() {
    return g_fieldEffects;
}
void SetSceneEvents(ISceneEvents* events) {
    g_sceneEvents = events;
}
ISceneEvents* GetSceneEvents() {
    return g_sceneEvents;
}
void SetSceneScripts(ISceneScripts* scripts) {
    g_sceneScripts = scripts;
}
ISceneScripts* GetSceneScripts() {
    return g_sceneScripts;
}
void SetSceneMusic(ISceneMusic* music) {
    g_sceneMusic = music;
}
ISceneMusic* GetSceneMusic() {
    return g_sceneMusic;
}
void SetSceneMovies(ISceneMovies* movies) {
    g_sceneMovies = movies;
}
ISceneMovies* GetSceneMovies() {
    return g_sceneMovies;
}
void SetOneToOneChatMaker(IOneToOneChatMaker* maker) {
    g_oneToOneChatMaker = maker;
}
IOneToOneChatMaker* GetOneToOneChatMaker() {
    return g_oneToOneChatMaker;
}
