#include "app/event_hooks.h"

#include <map>

#include "core/global_objects.h"
#include "script/event_services.h"
#include "sound/bink_movie.h"
#include "sound/sound_mgr.h"

namespace {

// The event sounds: objects of the sound manager's system, held from its
// reaper, known by a handle of their own so that a slot used again is never
// taken for the event's.
class EventSounds : public IEventSounds {
public:
    bool CanPlay() override { return System() && !g_pSoundMgr->AreEffectsOff(); }
    uint32_t StartSound(uint32_t soundId, bool positioned) override {
        CSoundSystem* system = CanPlay() ? System() : nullptr;
        CSoundObject* object =
            system ? system->CreateSound(soundId, positioned ? SOUND_3D_SAMPLE : SOUND_SAMPLE) : nullptr;
        if (!object) return 0;
        object->m_hold = 1;
        g_pSoundMgr->ApplyVolume(object, positioned ? 0 : 100);
        object->Play(1);
        const uint32_t handle = m_next++;
        m_sounds[handle] = object;
        return handle;
    }
    void SetLevel(uint32_t handle, uint32_t level) override {
        if (CSoundObject* object = Find(handle)) g_pSoundMgr->ApplyVolume(object, int32_t(level));
    }
    void PlaceAtCell(uint32_t handle, int32_t cellX, int32_t cellY, uint32_t level) override {
        if (CSoundObject* object = Find(handle))
            g_pSoundMgr->PlaceOnField(object, cellX, cellY, int32_t(level));
    }
    bool IsFinished(uint32_t handle) override {
        CSoundObject* object = Find(handle);
        return !object || object->IsFinished();
    }
    void Replay(uint32_t handle) override {
        if (CSoundObject* object = Find(handle)) object->Play(1);
    }
    void ReleaseSound(uint32_t handle) override {
        auto it = m_sounds.find(handle);
        if (it == m_sounds.end()) return;
        if (CSoundObject* object = Find(handle)) System()->ReleaseSound(object->m_slot);
        m_sounds.erase(it);
    }
    void Clear() { m_sounds.clear(); }

private:
    static CSoundSystem* System() { return g_pSoundMgr ? g_pSoundMgr->GetSoundSystem() : nullptr; }
    // The object while its slot still holds it.
    CSoundObject* Find(uint32_t handle) const {
        auto it = m_sounds.find(handle);
        CSoundSystem* system = System();
        if (it == m_sounds.end() || !system || system->GetSlot(it->second->m_slot) != it->second)
            return nullptr;
        return it->second;
    }

    std::map<uint32_t, CSoundObject*> m_sounds;
    uint32_t m_next = 1;
};
EventSounds g_eventSounds;

// The event movie: the movie player fitted to the screen, read in clear.
class EventMovie : public IEventMovie {
public:
    EventMovie(int32_t width, int32_t height) : m_movie(uint32_t(width), uint32_t(height)) {}
    bool Open(const char* path) { return m_movie.Open(path, nullptr); }
    void Advance() override { m_movie.Advance(); }
    bool Draw() override {
        m_movie.DrawFrame();
        return !m_movie.IsPlaying();
    }

private:
    CBinkMovie m_movie;
};

class EventMovies : public IEventMovies {
public:
    std::unique_ptr<IEventMovie> OpenMovie(const char* path, int32_t width, int32_t height) override {
        if (!path || width <= 0 || height <= 0) return nullptr;
        auto movie = std::make_unique<EventMovie>(width, height);
        if (!movie->Open(path)) return nullptr;
        return movie;
    }
};
EventMovies g_eventMovies;

}  // namespace

void InstallEventHooks() {
    SetEventMovies(&g_eventMovies);
    AddGlobalFactory(
        GlobalSlot::SoundMgr,
        [] {
            if (g_pSoundMgr) SetEventSounds(&g_eventSounds);
            return true;
        },
        [] {
            SetEventSounds(nullptr);
            g_eventSounds.Clear();
        });
}
