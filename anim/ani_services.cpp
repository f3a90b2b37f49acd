#include "anim/ani_services.h"

#include <algorithm>

void UniteAniRect(AniRect& r, const AniRect& other) {
    r.left = std::min(r.left, other.left);
    r.top = std::min(r.top, other.top);
    r.right = std::max(r.right, other.right);
    r.bottom = std::max(r.bottom, other.bottom);
}

AniServices& GetAniServices() {
    static AniServices services;
    return services;
}

bool IsVisualEventRunning() {
    IAniEvents* events = GetAniServices().events;
    return events && events->IsVisualEventRunning();
}

const CIsoView* GetFieldView() {
    IAniField* field = GetAniServices().field;
    return field ? field->GetIsoView() : nullptr;
}
