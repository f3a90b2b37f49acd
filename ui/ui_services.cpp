#include "ui/ui_services.h"

#include "ui/base_window.h"

namespace {
IUiEventState* g_eventState = nullptr;
IMessageBoxState* g_messageBoxState = nullptr;
IUiSound* g_sound = nullptr;
}  // namespace

CBaseWindow* GetPinnedWindow(ICursorObject* cursor) {
    CDragObject* held = cursor ? cursor->GetHeldObject() : nullptr;
    if (!held || held->GetType() != WINDOW_DRAG_TYPE) return nullptr;
    return dynamic_cast<CBaseWindow*>(held);
}

IUiEventState* SetUiEventState(IUiEventState* state) {
    IUiEventState* previous = g_eventState;
    g_eventState = state;
    return previous;
}

IMessageBoxState* SetMessageBoxState(IMessageBoxState* state) {
    IMessageBoxState* previous = g_messageBoxState;
    g_messageBoxState = state;
    return previous;
}

IUiSound* SetUiSound(IUiSound* sound) {
    IUiSound* previous = g_sound;
    g_sound = sound;
    return previous;
}

IUiSound* GetUiSound() {
    return g_sound;
}

void PlayUiSound(const char* name) {
    if (g_sound && name) g_sound->PlaySoundEffect(g_sound->FindEffectIdByName(name), -1, -1, 1);
}

IUiEventState* GetUiEventState() {
    return g_eventState;
}

IMessageBoxState* GetMessageBoxState() {
    return g_messageBoxState;
}

bool IsUiEventRunning() {
    return g_eventState && g_eventState->IsEventRunning();
}

bool IsMessageBoxAutoClose(CBaseWindow* box) {
    return g_messageBoxState && g_messageBoxState->IsAutoClose(box);
}

bool IsMessageBoxKept(CBaseWindow* box) {
    return g_messageBoxState && g_messageBoxState->IsKept(box);
}
