// One particle of a scripted ambient entry of the effects (rain, sparks,
// leaves): an animated object of its own thrown from a map point at an angle
// and speed and falling back under gravity.
#pragma once
#include <cstdint>

class CAniObject;

enum : uint8_t {
    AMBIENT_PARTICLE_NEW = 0,
    AMBIENT_PARTICLE_FLYING = 1,
    AMBIENT_PARTICLE_FINISHED = 2,
};

struct AmbientParticle {
    AmbientParticle() = default;
    ~AmbientParticle();
    AmbientParticle(const AmbientParticle&) = delete;
    AmbientParticle& operator=(const AmbientParticle&) = delete;

    // Builds the particle's object from a source object (its animation, motion
    // and direction, no underlay), places it at the start position and plays
    // it (looping unless oneShot). False when the animation cannot be loaded.
    bool Launch(const CAniObject& source, float mapX, float mapY, float height, float angleDegrees,
                float speed, bool oneShot);
    // Moves the particle to where it is elapsed milliseconds after launch
    // (t = elapsed / 100: start + t x velocity, 5 t^2 taken off the height)
    // and updates its object.
    void Step(uint32_t elapsedMs);
    // Deletes the object.
    void Destroy();

    uint8_t m_state = AMBIENT_PARTICLE_NEW;
    float m_start[3] = {};     // map x, map y, height at launch
    float m_current[3] = {};   // the same after the last step
    float m_velocity[3] = {};  // cos(angle) x speed, 0, sin(angle) x speed
    float m_angle = 0.0f;      // degrees
    float m_speed = 0.0f;
    CAniObject* m_pObject = nullptr;  // owned
};
