// The animated object's drawing through the display: external pictures and
// the afterimage trail.
#include "anim/ani_object.h"
#include "platform/clock.h"

void CAniObject::DrawImage() {}

void CAniObject::ClearTrail() {
    m_afterimages.clear();
}

void CAniObject::UpdateTrail() {
    const uint32_t now = plat::timeGetTime();
    std::erase_if(m_afterimages,
                  [&](const AniAfterimage& a) { return now - a.m_time > ANI_TRAIL_LIFETIME_MS; });
}

void CAniObject::DrawTrail() {}
