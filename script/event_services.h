// What the events use of the sound layer and of the screen effects, reached
// through services the program installs: the event sounds (held sound
// objects of the sound manager), the event movie (the movie player) and the
// full-screen effects (two fades, the surface, grid and particle effects).
// While one is absent its caller takes the missing path: no event sound is
// made, the movie falls back to its page, every fade and effect is finished
// at once.
#pragma once
#include <cstdint>
#include <memory>

#include "platform/seam.h"

// The sounds of an event, by handle (0: none).
class IEventSounds {
public:
    virtual ~IEventSounds() = default;
    // False while effects are off or the sound manager has no device.
    virtual bool CanPlay() = 0;
    // Makes the sound of the id and starts it (silent when positioned: the
    // event places it every frame); 0 when it cannot be made.
    virtual uint32_t StartSound(uint32_t soundId, bool positioned) = 0;
    // The level (0-100) the manager's effect volume scales.
    virtual void SetLevel(uint32_t handle, uint32_t level) = 0;
    // Placed at a cell of the field, heard relative to the view.
    virtual void PlaceAtCell(uint32_t handle, int32_t cellX, int32_t cellY, uint32_t level) = 0;
    // True once it has played to its end (also for a handle no longer held).
    virtual bool IsFinished(uint32_t handle) = 0;
    virtual void Replay(uint32_t handle) = 0;
    virtual void ReleaseSound(uint32_t handle) = 0;
};
void SetEventSounds(IEventSounds* sounds);
IEventSounds* GetEventSounds();
using ScopedEventSounds = plat::ScopedInstall<GetEventSounds, SetEventSounds>;

// One open event movie.
class IEventMovie {
public:
    virtual ~IEventMovie() = default;
    // Per frame, before drawing.
    virtual void Advance() = 0;
    // Draws the current frame; true once the movie has ended.
    virtual bool Draw() = 0;
};

class IEventMovies {
public:
    virtual ~IEventMovies() = default;
    // The movie of the path fitted to the screen; null when it does not open.
    virtual std::unique_ptr<IEventMovie> OpenMovie(const char* path, int32_t width, int32_t height) = 0;
};
void SetEventMovies(IEventMovies* movies);
IEventMovies* GetEventMovies();
using ScopedEventMovies = plat::ScopedInstall<GetEventMovies, SetEventMovies>;

// The event manager's full-screen effects.
enum EventEffect : int { EVENT_FADE_1 = 0, EVENT_FADE_2, EVENT_SURFACE, EVENT_GRID, EVENT_PARTICLE };

class IEventEffects {
public:
    virtual ~IEventEffects() = default;
    // Fade 1 or 2: toward the colour (darkening) or away from it.
    virtual void StartFade(int fade, bool darken, const uint8_t colour[4], uint32_t durationMs) = 0;
    virtual void StartSurface(bool flag, int32_t a, int32_t b, double scale, int32_t c) = 0;
    virtual void StartGrid(bool flag, int32_t count, double value) = 0;
    virtual void StartParticle(const int32_t values[4]) = 0;
    virtual void Stop(int effect) = 0;
    virtual bool IsFinished(int effect) = 0;
    // The fades back to clear.
    virtual void ResetFades() = 0;
    // Draws those running, over the field.
    virtual void Draw() = 0;
};
void SetEventEffects(IEventEffects* effects);
IEventEffects* GetEventEffects();
using ScopedEventEffects = plat::ScopedInstall<GetEventEffects, SetEventEffects>;
