// The scenes: the program's screens, each a child of the main manager that
// runs while it is its child (the cursor object is the other child). Exactly
// one scene runs at a time. A scene hands over to the next one by the
// switching rule: it fades the screen out to black, and once the fade-out has
// finished it hides the cursor (unless the next scene shows it itself),
// schedules its own removal and the new scene's addition; the main manager
// applies both at the end of the frame, removals first.
#pragma once
#include <cstdint>
#include <functional>
#include <memory>

#include "core/base_object.h"
#include "scenes/scene_services.h"

// The kind id of each scene under the main manager.
enum : uint32_t {
    SCENE_GAME = 0,
    SCENE_CURSOR = 1,  // the cursor object, not a scene
    SCENE_CHAR_CREATE = 2,
    SCENE_CONNECT = 3,
    SCENE_TITLE = 4,
    SCENE_INTRO_MOVIE = 6,
    SCENE_OFFLINE = 8,
    SCENE_START = KIND_NONE,
};

inline constexpr uint32_t SCENE_FADE_MS = 1000;
inline constexpr uint32_t FADE_BLACK = 0x000000;

// A new scene of the kind (its constructor has run its Create), or null for a
// kind with no scene.
CBaseObject* MakeScene(uint32_t kind);

// Replaces the maker of one kind for its lifetime (tests record the scenes
// asked for this way).
class ScopedSceneFactory {
public:
    ScopedSceneFactory(uint32_t kind, std::function<CBaseObject*()> make);
    ~ScopedSceneFactory();
    ScopedSceneFactory(const ScopedSceneFactory&) = delete;
    ScopedSceneFactory& operator=(const ScopedSceneFactory&) = delete;

private:
    uint32_t m_kind;
    std::function<CBaseObject*()> m_previous;
};

// A scene's screen fade. Without a fade maker there is no fade and every
// fade counts as finished the moment it starts.
class CSceneFade {
public:
    // Starts a fade in the direction, black over the duration; the fade is
    // made when there is none.
    void Start(int32_t direction, uint32_t durationMs = SCENE_FADE_MS);
    void Update();
    // Deletes the fade: none has started.
    void Reset();
    bool IsStarted() const { return m_started; }
    // True when none runs (also before any start).
    bool IsFinished() const;
    // The direction of the last start; FADE_IN before any.
    int32_t GetDirection() const;
    bool IsFadeIn() const { return GetDirection() == FADE_IN; }
    // A fade-out was started and has finished.
    bool IsFadeOutDone() const { return m_started && GetDirection() == FADE_OUT && IsFinished(); }

private:
    std::unique_ptr<IScreenFade> m_pFade;
    int32_t m_direction = FADE_IN;
    bool m_started = false;
};

class CScene : public CBaseObject {
public:
    // The switching rule's last step: the cursor hidden unless hideCursor is
    // false, this scene's removal and a new scene of the kind scheduled. A
    // scene leaves once: later calls do nothing and return false, as does a
    // removal the main manager refuses (the scene stays and may try again).
    // A new scene the main manager refuses is deleted.
    bool LeaveTo(uint32_t nextKind, bool hideCursor = true);
    bool HasLeft() const { return m_left; }
    const CSceneFade& Fade() const { return m_fade; }

protected:
    CSceneFade m_fade;

private:
    bool m_left = false;
};

// Screen preparation of a scene that starts: the screens cleared, full
// brightness, and the display's redraw byte (present only 800 x 600).
void PrepareSceneScreen(bool redraw);
// The display's redraw byte alone.
void SetSceneRedraw(bool redraw);
// Shows or hides the cursor object (the main manager's child of kind 1).
void ShowCursorObject(bool show);
// The cursor lets go of what it points at.
void ClearCursorPointedObject();
// The characters and the map of a field the scene leaves: emptied and made
// ready for the next.
void ResetFieldManagers();
