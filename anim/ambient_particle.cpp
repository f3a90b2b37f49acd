#include "anim/ambient_particle.h"

#include <cmath>

#include "anim/ani_object.h"
#include "anim/obj_ani.h"

AmbientParticle::~AmbientParticle() {
    Destroy();
}

void AmbientParticle::Destroy() {
    delete m_pObject;
    m_pObject = nullptr;
}

bool AmbientParticle::Launch(const CAniObject& source, float mapX, float mapY, float height,
                             float angleDegrees, float speed, bool oneShot) {
    Destroy();
    CObjAni* ani = source.GetAni();
    if (!ani) return false;
    auto* object = new CAniObject();
    if (!object->SetAnimation(ani->m_number)) {
        delete object;
        return false;
    }
    const int32_t motion = source.GetCurrentMotionId();
    if (motion >= 0) object->SetMotion(uint8_t(motion));
    object->SetDirection(source.m_direction);
    object->SetUnderlay(false);
    object->SetMapPosition(int32_t(mapX), int32_t(mapY), int32_t(height));
    object->Play(!oneShot);
    m_pObject = object;
    m_state = AMBIENT_PARTICLE_FLYING;
    m_start[0] = m_current[0] = mapX;
    m_start[1] = m_current[1] = mapY;
    m_start[2] = m_current[2] = height;
    m_angle = angleDegrees;
    m_speed = speed;
    const float radians = angleDegrees * 3.14159265f / 180.0f;
    m_velocity[0] = std::cos(radians) * speed;
    m_velocity[1] = 0.0f;
    m_velocity[2] = std::sin(radians) * speed;
    return true;
}

void AmbientParticle::Step(uint32_t elapsedMs) {
    const float t = float(elapsedMs) * 0.01f;
    for (int i = 0; i < 3; ++i) m_current[i] = m_start[i] + t * m_velocity[i];
    m_current[2] -= 5.0f * t * t;
    if (m_pObject) m_pObject->Update();
}
