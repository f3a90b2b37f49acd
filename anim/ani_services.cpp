#include "anim/ani_services.h"

#include <algorithm>

void UniteAniRect(AniRect& r, const AniRect& other) {
    r.left = std::min(r.left, other.left);
    r.top = std::min(r.top, other.top);
    r.right = std::max(r.right, other.right);
    r.bottom = std::max(r.bottom, other.bottom);
}

namespace {

IAniCharacters* g_characters = nullptr;
IAniField* g_field = nullptr;
IAniSound* g_sound = nullptr;
IAniEvents* g_events = nullptr;
IAniWindows* g_windows = nullptr;
IAniParticles* g_particles = nullptr;
IAniToonObjects* g_toonObjects = nullptr;
IAniMeshModels* g_meshModels = nullptr;
IAniNameLookup* g_nameLookup = nullptr;

}  // namespace

void SetAniCharacters(IAniCharacters* service) {
    g_characters = service;
}
IAniCharacters* GetAniCharacters() {
    return g_characters;
}
void SetAniField(IAniField* service) {
    g_field = service;
}
IAniField* GetAniField() {
    return g_field;
}
void SetAniSound(IAniSound* service) {
    g_sound = service;
}
IAniSound* GetAniSound() {
    return g_sound;
}
void SetAniEvents(IAniEvents* service) {
    g_events = service;
}
IAniEvents* GetAniEvents() {
    return g_events;
}
void SetAniWindows(IAniWindows* service) {
    g_windows = service;
}
IAniWindows* GetAniWindows() {
    return g_windows;
}
void SetAniParticles(IAniParticles* service) {
    g_particles = service;
}
IAniParticles* GetAniParticles() {
    return g_particles;
}
void SetAniToonObjects(IAniToonObjects* service) {
    g_toonObjects = service;
}
IAniToonObjects* GetAniToonObjects() {
    return g_toonObjects;
}
void SetAniMeshModels(IAniMeshModels* service) {
    g_meshModels = service;
}
IAniMeshModels* GetAniMeshModels() {
    return g_meshModels;
}
void SetAniNameLookup(IAniNameLookup* service) {
    g_nameLookup = service;
}
IAniNameLookup* GetAniNameLookup() {
    return g_nameLookup;
}

bool IsVisualEventRunning() {
    IAniEvents* events = GetAniEvents();
    return events && events->IsVisualEventRunning();
}

const CIsoView* GetFieldView() {
    IAniField* field = GetAniField();
    return field ? field->GetIsoView() : nullptr;
}
