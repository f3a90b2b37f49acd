// The sound manager: effects by number (at most three live copies of one),
// effects and music by name, impact sounds from a table, looping sounds held
// in 100 effect slots (map ambience, some placed on the map) and background
// music played from music lists, track by track, with repeats, cross-fades,
// fade-in, fade-out and list changes. Its Update is the first step of every
// frame. It may be absent (music and effects both off, or no audio device):
// every caller tests the global pointer first.
#pragma once
#include <cstdint>
#include <memory>
#include <vector>

#include "core/base_object.h"
#include "data/data_table.h"
#include "sound/music_list.h"
#include "sound/sound_object.h"
#include "sound/sound_system.h"

class CChar;

// The sound id that means "no sound" wherever one is stored.
inline constexpr uint32_t NO_SOUND_ID = 10000;
inline constexpr int MAX_EFFECT_SLOTS = 100;
inline constexpr uint32_t MAX_EFFECT_ID = 1000;
inline constexpr uint8_t MAX_EFFECT_COPIES = 3;
// Fade steps per frame (a full fade from 127 takes 26 frames).
inline constexpr int32_t MUSIC_FADE_STEP = 5;

// Data tables of the manager.
enum : int { MUSIC_NAME_TABLE = 14, HIT_SOUND_TABLE = 36, EFFECT_NAME_TABLE = 57 };

enum MusicState : int32_t {
    MUSIC_IDLE = 0,  // idle or playing
    MUSIC_FADING_OUT = 1,
    MUSIC_FADING_IN = 2,
    MUSIC_CHANGING = 3,  // fading out to change list
};

struct EffectSlot {
    uint8_t m_positional = 0;
    uint8_t m_inUse = 0;
    uint32_t m_key = 0;
    uint32_t m_soundId = 0;
    int32_t m_x = 0, m_y = 0;  // map cells of a positional sound
    int32_t m_volume = 0;
    CSoundObject* m_object = nullptr;  // this slot's own object
};

class CSoundMgr : public CMsgObject {
public:
    CSoundMgr();
    ~CSoundMgr() override;

    // Starts the sound system and loads the three tables; false (and no sound
    // system) when no audio device opens.
    bool Create() override;
    bool Release() override;

    CSoundSample* PlaySoundEffect(uint16_t effectId, int32_t x, int32_t y, uint32_t loops);
    uint16_t FindEffectIdByName(const char* name) const;
    uint32_t FindMusicIdByName(const char* name) const;
    bool PlayHitSound(CChar* attacker, CChar* target, uint8_t forced);
    bool PlaySlotSound(uint32_t key, uint16_t soundId, int32_t x, int32_t y, uint8_t positional,
                       int32_t volume);
    bool StopSlotSound(uint32_t key);
    bool PlayMusicList(int32_t list, uint8_t fadeIn);
    bool ChangeMusicList(int32_t list);
    void FadeOutMusic();
    bool RefreshVolumes(uint8_t music, uint8_t effects);
    // The music fade level (0-127), read by other parts.
    int32_t GetMusicFadeLevel() const { return m_musicFadeLevel; }
    bool Update();
    bool ApplyVolume(CSoundObject* object, int32_t level);
    // A 3-D sound heard from a cell of the field relative to the view (silent
    // without a field or far off screen).
    void PlaceOnField(CSoundObject* object, int32_t cellX, int32_t cellY, int32_t volume);
    bool AreEffectsOff() const;

    CSoundSystem* GetSoundSystem() const { return m_pSoundSystem.get(); }
    MusicState GetMusicState() const { return m_musicState; }
    bool IsMusicPlaying() const { return m_musicPlaying != 0; }
    int32_t GetCurrentList() const { return m_currentList; }
    int32_t GetTrackCount() const { return m_trackCount; }
    const MusicTrack* GetTrack(int index) const;
    CSoundStream* GetCurrentStream() const { return m_pCurrentStream; }
    CSoundStream* GetNextStream() const { return m_pNextStream; }
    int32_t GetNextTrackIndex() const { return m_nextTrackIndex; }
    const EffectSlot& GetEffectSlot(int slot) const { return m_slots[slot]; }
    uint8_t GetLiveCount(uint32_t effectId) const {
        return effectId < MAX_EFFECT_ID ? m_liveCounts[effectId] : 0;
    }

private:
    void UpdateSlotSounds();
    void ReapFinished();
    // One step down of the music fade; true when the music is silent (or
    // there is none) and the current stream has been stopped.
    bool StepFadeDown();
    void StepMusicFadeOut();
    void StepMusicFadeIn();
    void StepMusicChange();
    void UpdateMusicList();
    void StopMusic();
    void ReleaseFreeStreams();
    bool LoadMusicList(int32_t list);
    void ReapplyMusicVolumes();
    bool SlotObjectAlive(const EffectSlot& slot) const;
    CSoundStream* CreateStream(const MusicTrack& track);
    int32_t RepeatLimitOf(const MusicTrack& track) const;
    const MusicTrack& CurrentTrack() const;
    void AdvanceTrackIndex();

    std::unique_ptr<CSoundSystem> m_pSoundSystem;
    int32_t m_effectLevel = 127;
    int32_t m_musicFadeLevel = 127;
    int32_t m_musicFullLevel = 127;
    int32_t m_effectFullLevel = 127;
    CSoundStream* m_pCurrentStream = nullptr;
    CSoundStream* m_pNextStream = nullptr;
    int32_t m_repeatCount = 0, m_repeatLimit = 0;
    uint8_t m_musicPlaying = 0;
    int32_t m_currentList = 0;
    int32_t m_nextTrackIndex = 0;
    int32_t m_trackCount = 0;
    int32_t m_pendingList = 0;
    std::vector<MusicTrack> m_tracks;
    std::unique_ptr<CDataTable> m_pMusicNames, m_pEffectNames;
    MusicState m_musicState = MUSIC_IDLE;
    EffectSlot m_slots[MAX_EFFECT_SLOTS];
    uint8_t m_liveCounts[MAX_EFFECT_ID] = {};
    std::unique_ptr<CDataTable> m_pHitSounds;
};

// The program's sound manager (null while there is none).
extern CSoundMgr* g_pSoundMgr;
