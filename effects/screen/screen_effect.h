// The base of the full-screen effects: an effect that changes the whole
// picture (a fade, a ripple, a zoom, shards, a shatter). Its owner makes it,
// calls Create, starts it with the class's own start operation, calls Update
// or Draw each frame and polls the finished flag.
#pragma once
#include <cstdint>

#include "core/base_object.h"

// Kinds set by each class's Create.
enum : uint16_t {
    SCREEN_EFFECT_GAMMA_FADE = 0,
    SCREEN_EFFECT_PARTICLE_FIELD = 1,
    SCREEN_EFFECT_GRID = 2,
    SCREEN_EFFECT_SURFACE = 3,
    SCREEN_EFFECT_TEXTURE = 5,
};

class CScreenEffect : public CBaseObject {
public:
    CScreenEffect() = default;
    virtual void Restart() {}

    uint16_t Kind() const { return m_kind; }
    bool IsRunning() const { return m_running != 0; }
    bool IsFinished() const { return m_finished != 0; }

protected:
    uint16_t m_kind = 0;
    uint8_t m_running = 0;
    uint8_t m_finished = 1;
    uint32_t m_startTime = 0;
    uint32_t m_duration = 0;
};
