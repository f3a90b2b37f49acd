// The sound system: the one object that owns the mixer (the output driver),
// the table of live sound objects by slot number and the cache of decoded
// samples by sound id, and that makes the sound objects.
#pragma once
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "core/base_object.h"
#include "sound/mixer.h"
#include "sound/sound_object.h"

// A decoded sample of the cache: the times it was attached to a voice (never
// lowered) and the frames, which the cache lets go (null) when it needs the
// room and decodes again when the sample is asked for again. A voice keeps
// the frames it plays until it ends.
struct CSampleCacheEntry {
    uint32_t m_useCount = 0;
    std::shared_ptr<const PcmFrames> m_data;
    uint64_t m_lastUse = 0;  // the cache's count of lookups at its last one
};

// The most bytes of decoded samples the cache keeps: a sound is cut at five
// minutes (some 53 MB), and a thousand ids of them would be tens of
// gigabytes; the samples used least recently go first.
inline constexpr size_t SAMPLE_CACHE_BYTES = 64u << 20;

// The 3D providers of this program.
enum : uint32_t {
    PROVIDER_PLAIN = 0,     // no distance: full gain, centre pan
    PROVIDER_DISTANCE = 1,  // gain and pan from the position
    PROVIDER_COUNT = 2,
    MAX_PROVIDERS = 50,
};

struct CSoundProvider {
    const char* m_name = nullptr;
    uint32_t m_handle = 0;
};

class CSoundSystem : public CMsgObject {
public:
    CSoundSystem() = default;
    ~CSoundSystem() override;

    // Opens the mixer at the format (44,100 Hz, 16 bits, 2 channels are the
    // program's). True at once when started; false for a null folder or
    // when no device opens.
    bool StartupSound(const char* folder, uint32_t frequency, uint16_t bits, uint8_t channels,
                      uint8_t want3D);
    // Opens provider n; false (the open one kept) for an index at or beyond
    // the provider count.
    bool Select3DProvider(uint32_t index);
    void SetSampleCacheSize(uint32_t count);
    // The cache's byte budget (SAMPLE_CACHE_BYTES unless set).
    void SetSampleCacheBytes(size_t bytes) { m_cacheBudget = bytes; }
    // Bytes of decoded samples the cache holds now.
    size_t GetCachedBytes() const { return m_cacheBytes; }
    void SetSoundSlotCount(uint32_t count);

    // A new object of the kind in the first free slot from 1 upward, loaded
    // with the id; null when no slot is free, the kind is above 4 or the
    // load fails.
    CSoundObject* CreateSound(uint32_t soundId, uint32_t kind);
    // The first object, from slot 1 upward, of that id and kind.
    CSoundObject* FindSound(uint32_t soundId, uint32_t kind) const;
    // Deletes the object of the slot and clears it.
    void ReleaseSound(uint32_t slot);
    void ReleaseAllSounds();
    void FreeSampleCache();
    bool Shutdown();

    // The cache entry of a sound id, decoding "<SOUND_FOLDER>\NNNN.wav" when
    // its frames are not held (the first time, or after they made room for
    // others); null for an id at or beyond the cache size or a file that does
    // not decode.
    CSampleCacheEntry* GetSampleData(uint32_t soundId);
    // Reads and decodes a sound file from disk; null when it is missing or
    // of a kind not taken.
    static std::shared_ptr<const PcmFrames> LoadSoundFile(const std::string& path);

    CMixer* GetDriver() const { return m_driver.get(); }
    bool IsStarted() const { return m_started; }
    int32_t GetCurrentProvider() const { return m_currentProvider; }
    uint32_t GetProviderCount() const { return m_providerCount; }
    uint32_t GetSlotCount() const { return uint32_t(m_slots.size()); }
    CSoundObject* GetSlot(uint32_t slot) const { return slot < m_slots.size() ? m_slots[slot] : nullptr; }
    uint32_t GetCacheSize() const { return uint32_t(m_cache.size()); }
    int32_t GetSpeakerType() const { return m_speakerType; }

private:
    bool m_started = false;
    uint8_t m_want3D = 0;
    uint32_t m_providerCount = 0;
    CSoundProvider m_providers[MAX_PROVIDERS];
    int32_t m_currentProvider = -1;
    uint32_t m_hasRoomTypes = 0;
    int32_t m_speakerType = 0;
    std::unique_ptr<CMixer> m_driver;
    uint32_t m_frequency = 0, m_bits = 0, m_channels = 0;
    std::vector<CSoundObject*> m_slots;
    std::vector<std::unique_ptr<CSampleCacheEntry>> m_cache;
    size_t m_cacheBytes = 0;
    size_t m_cacheBudget = SAMPLE_CACHE_BYTES;
    uint64_t m_lookups = 0;
};

// "<folder>\NNNN.<extension>": the id printed "%4d" with its blanks as zeros.
std::string NumberedPath(const std::string& folder, uint32_t number, const char* extension);
