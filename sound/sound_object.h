// Sound objects: one for every sound the program makes, each a voice of the
// sound system's mixer. Kind 0 is a 2D sample (a WAV effect, panned by its
// screen point), kind 1 a music stream (an MP3 read piece by piece), kind 4
// a 3D sample (placed relative to the listener by the 3D provider); kinds 2
// and 3 are plain objects that keep every base operation.
#pragma once
#include <cstdint>

#include "core/base_object.h"
#include "sound/mixer.h"

class CSoundSystem;
struct CSampleCacheEntry;

enum SoundKind : uint32_t {
    SOUND_SAMPLE = 0,
    SOUND_STREAM = 1,
    SOUND_PLAIN_2 = 2,
    SOUND_PLAIN_3 = 3,
    SOUND_3D_SAMPLE = 4,
};

class CSoundObject : public CMsgObject {
public:
    CSoundObject() = default;
    ~CSoundObject() override = default;

    bool Create() override { return true; }
    bool Release() override { return true; }
    virtual bool Load(uint32_t soundId);
    virtual bool Unload() { return true; }
    // Loop counts: 1 plays once, 0 loops until stopped.
    virtual bool Play(uint32_t loops);
    virtual bool Stop() { return true; }
    virtual bool SetMsPosition(uint32_t ms);
    virtual uint32_t GetLength() { return m_length; }
    virtual uint32_t GetMsPosition() { return 0; }
    virtual uint32_t GetLoopCount() { return 0; }
    // The screen point (-1, -1: not placed).
    virtual bool SetPosition(int32_t x, int32_t y);
    virtual void GetPosition(int32_t* x, int32_t* y);
    // 0-127.
    virtual void SetVolume(int32_t volume);
    virtual int32_t GetVolume() { return 0; }
    // The volume the sound manager asked for, before its factors.
    virtual void SetLevel(int32_t level) { m_level = level; }
    virtual int32_t GetLevel() { return m_level; }
    virtual bool IsFinished() { return false; }

    uint32_t m_kind = SOUND_SAMPLE;
    uint32_t m_hold = 0;  // set by holders that keep the object from the reaper
    uint32_t m_soundId = 0;
    uint32_t m_slot = 0;
    CSoundSystem* m_owner = nullptr;
    CSampleCacheEntry* m_cacheEntry = nullptr;
    int32_t m_x = -1, m_y = -1;
    uint32_t m_length = 0;  // ms, streams only
    int32_t m_level = 128;
    CMixer::VoiceId m_handle = 0;

protected:
    CMixer* Driver() const;
    // The voice operations the kinds share; each does nothing without a voice.
    void StartVoice(uint32_t loops);
    void StopVoice();
    // Ends the voice once (unless done) and lets it go.
    void ReleaseVoice(bool end);
    void SetVoiceVolume(int32_t volume);
    int32_t GetVoiceVolume(int32_t none);
    // Not playing (no voice counts as finished).
    bool VoiceFinished();
};

// A 2D sample: a decoded WAV of the sample cache.
class CSoundSample : public CSoundObject {
public:
    ~CSoundSample() override;
    bool Load(uint32_t soundId) override;
    // Ends the voice once and lets it go.
    bool Unload() override;
    bool Play(uint32_t loops) override;
    bool Stop() override;
    // Volume and pan from the distance to the screen centre and the x offset.
    bool SetPosition(int32_t x, int32_t y) override;
    void SetVolume(int32_t volume) override;
    int32_t GetVolume() override;
    bool IsFinished() override;
    void SetPan(int32_t pan);
};

// A music stream. Stop pauses it and Play goes on; a stream whose file did
// not open has no voice, reports itself finished at position 0 and does
// nothing else.
class CSoundStream : public CSoundObject {
public:
    ~CSoundStream() override;
    bool Load(uint32_t soundId) override;
    bool Unload() override;
    bool Play(uint32_t loops) override;
    bool Stop() override;
    bool SetMsPosition(uint32_t ms) override;
    uint32_t GetMsPosition() override;
    uint32_t GetLoopCount() override;
    void SetVolume(int32_t volume) override;
    int32_t GetVolume() override;
    bool IsFinished() override;
};

// A 3D sample: the same decoded data, placed by Set3DPosition through the
// sound system's 3D provider.
class CSound3DSample : public CSoundObject {
public:
    ~CSound3DSample() override;
    bool Load(uint32_t soundId) override;
    bool Unload() override;
    bool Play(uint32_t loops) override;
    bool Stop() override;
    void SetVolume(int32_t volume) override;
    int32_t GetVolume() override;
    bool IsFinished() override;
    // x to the right of the listener, z ahead of it.
    void Set3DPosition(float x, float y, float z);

    float m_maxDistance = 0.0f, m_minDistance = 0.0f;
};
