// What the scenes use of the layers beside and above them: the screen fade,
// the event manager, the script manager, the music and the intro movie. Each is a
// small interface its own layer implements and installs; one that is not
// installed is absent and the scene takes its missing path: a scene without
// a fade counts every fade as finished at once, one without an event
// manager finds no event running, one without sound plays no music, and one
// without a movie player finds no movie.
#pragma once
#include <cstdint>
#include <memory>

#include "platform/seam.h"

class CBaseWindow;

// ---- The screen fade ----

enum : int32_t {
    FADE_OUT = 0,  // to the colour
    FADE_IN = 1,   // from the colour
};

// One full-screen fade.
class IScreenFade {
public:
    virtual ~IScreenFade() = default;
    // Starts (again) in the direction from or to the colour (0x00BBGGRR)
    // over the duration.
    virtual void Start(int32_t direction, uint32_t colour, uint32_t durationMs) = 0;
    // Advances the fade to the clock's time.
    virtual void Update() = 0;
    virtual bool IsFinished() = 0;
    virtual int32_t GetDirection() = 0;
};

// Makes the fades (the effects' gamma fade).
class IScreenFadeMaker {
public:
    virtual ~IScreenFadeMaker() = default;
    virtual std::unique_ptr<IScreenFade> MakeScreenFade() = 0;
};

void SetScreenFadeMaker(IScreenFadeMaker* maker);
IScreenFadeMaker* GetScreenFadeMaker();
using ScopedScreenFadeMaker = plat::ScopedInstall<GetScreenFadeMaker, SetScreenFadeMaker>;

// ---- The effects on the field ----

// The running skill and visual effects of the field.
class ISceneFieldEffects {
public:
    virtual ~ISceneFieldEffects() = default;
    // One frame of every running effect.
    virtual void Step() = 0;
    // Puts the effects' objects into this frame's draw queue.
    virtual void Queue() = 0;
    // Ends every running effect (a new map, or the field is left).
    virtual void Clear() = 0;
};

void SetSceneFieldEffects(ISceneFieldEffects* effects);
ISceneFieldEffects* GetSceneFieldEffects();
using ScopedSceneFieldEffects = plat::ScopedInstall<GetSceneFieldEffects, SetSceneFieldEffects>;

// ---- The event manager ----

class ISceneEvents {
public:
    virtual ~ISceneEvents() = default;
    // A visual event runs.
    virtual bool IsVisualEventRunning() = 0;
    // The event manager holds a current event.
    virtual bool HasCurrentEvent() = 0;
    // Ends the current event (it is deleted) and leaves none.
    virtual void EndCurrentEvent() = 0;
    // The current event asks to be drawn.
    virtual bool IsCurrentEventDrawn() = 0;
    // The event covers the whole screen itself.
    virtual bool IsScreenBusy() = 0;
    // Opens and starts the visual event file of the number.
    virtual bool StartVisualEvent(uint32_t number) = 0;
    // The messages queued for the event manager.
    virtual void ProcessQueuedMessages() = 0;
    virtual void Update() = 0;
    virtual void Draw() = 0;
    // Puts the event's objects into this frame's draw queue.
    virtual void QueueEventObjects() = 0;
    virtual void SetEventActive(bool active) = 0;
    virtual void SetControlLock(bool locked) = 0;
    // A new event selection window (hidden, not yet added anywhere), or null.
    virtual CBaseWindow* MakeEventSelectionWindow() = 0;
    // Escape in the frame's input asks a skippable event to skip.
    virtual void HandleSkipKey() {}
};

void SetSceneEvents(ISceneEvents* events);
ISceneEvents* GetSceneEvents();
using ScopedSceneEvents = plat::ScopedInstall<GetSceneEvents, SetSceneEvents>;

// ---- The script manager ----

class ISceneScripts {
public:
    virtual ~ISceneScripts() = default;
    // One frame of every running script, their drawing, and back to the
    // manager's state after start-up (every script and runner released).
    virtual void UpdateScripts() = 0;
    virtual void DrawScripts() = 0;
    virtual void ResetScripts() = 0;
};

void SetSceneScripts(ISceneScripts* scripts);
ISceneScripts* GetSceneScripts();
using ScopedSceneScripts = plat::ScopedInstall<GetSceneScripts, SetSceneScripts>;

// ---- Music ----

class ISceneMusic {
public:
    virtual ~ISceneMusic() = default;
    // Starts the music list of the name, faded in; false for a name the
    // sound manager does not hold (the music goes on).
    virtual bool PlayMusicList(const char* name) = 0;
    // The music fades out and stops.
    virtual void FadeOutMusic() = 0;
};

void SetSceneMusic(ISceneMusic* music);
ISceneMusic* GetSceneMusic();
using ScopedSceneMusic = plat::ScopedInstall<GetSceneMusic, SetSceneMusic>;

// ---- The intro movie ----

class ISceneMovie {
public:
    virtual ~ISceneMovie() = default;
    // Shows the frame due; false once the movie has ended.
    virtual bool RenderFrame() = 0;
};

class ISceneMovies {
public:
    virtual ~ISceneMovies() = default;
    // The movie file opened for a screen of the size, or null when it cannot be.
    virtual std::unique_ptr<ISceneMovie> OpenMovie(const char* path, int32_t screenWidth,
                                                   int32_t screenHeight) = 0;
};

void SetSceneMovies(ISceneMovies* movies);
ISceneMovies* GetSceneMovies();
using ScopedSceneMovies = plat::ScopedInstall<GetSceneMovies, SetSceneMovies>;

// ---- The one-to-one chat object ----

class IOneToOneChat;

// Makes the game window set's one-to-one chat object (the community
// windows' chat list, which reads its logged partners at once). The set
// links the five chat windows and the options window to it (IWindowLink)
// and deletes it after them. Absent: no object, and every way into a
// one-to-one chat does nothing.
class IOneToOneChatMaker {
public:
    virtual ~IOneToOneChatMaker() = default;
    virtual std::unique_ptr<IOneToOneChat> MakeOneToOneChat() = 0;
};

void SetOneToOneChatMaker(IOneToOneChatMaker* maker);
IOneToOneChatMaker* GetOneToOneChatMaker();
using ScopedOneToOneChatMaker = plat::ScopedInstall<GetOneToOneChatMaker, SetOneToOneChatMaker>;
