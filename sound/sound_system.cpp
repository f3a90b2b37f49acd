#include "sound/sound_system.h"

#include <cstdio>

#include "core/config.h"
#include "core/util.h"
#include "platform/media.h"
#include "platform/paths.h"

namespace {

const char* const kProviderNames[PROVIDER_COUNT] = {"Plain 3D", "Distance and pan"};

}  // namespace

std::string NumberedPath(const std::string& folder, uint32_t number, const char* extension) {
    char name[16];
    std::snprintf(name, sizeof name, "%4u", number);
    SpacesToZeros(name);
    return folder + "\\" + name + "." + extension;
}

CSoundSystem::~CSoundSystem() {
    Shutdown();
}

bool CSoundSystem::StartupSound(const char* folder, uint32_t frequency, uint16_t bits, uint8_t channels,
                                uint8_t want3D) {
    if (m_started) return true;
    if (!folder) return false;
    m_want3D = want3D;
    m_providerCount = 0;
    m_currentProvider = -1;
    m_hasRoomTypes = 0;
    m_frequency = frequency;
    m_bits = bits;
    m_channels = channels;
    // The mixer has one format: what start-up asks for is kept for reference.
    auto driver = std::make_unique<CMixer>();
    if (!driver->Open()) return false;
    m_driver = std::move(driver);
    for (uint32_t i = 0; i < PROVIDER_COUNT; ++i) m_providers[i] = {kProviderNames[i], i + 1};
    m_providerCount = PROVIDER_COUNT;
    m_slots.clear();
    m_cache.clear();
    m_cacheBytes = 0;
    m_started = true;
    return true;
}

bool CSoundSystem::Select3DProvider(uint32_t index) {
    if (index >= m_providerCount) return false;
    m_currentProvider = -1;  // the open one closes
    // The speaker type has no effect on stereo output; it is kept.
    m_speakerType = g_config.m_speakerType;
    m_currentProvider = int32_t(index);
    m_hasRoomTypes = 0;
    return true;
}

void CSoundSystem::SetSampleCacheSize(uint32_t count) {
    m_cache.clear();
    m_cache.resize(count);
    m_cacheBytes = 0;
}

void CSoundSystem::SetSoundSlotCount(uint32_t count) {
    ReleaseAllSounds();
    m_slots.assign(count, nullptr);
}

CSoundObject* CSoundSystem::CreateSound(uint32_t soundId, uint32_t kind) {
    if (m_slots.size() < 2) return nullptr;
    uint32_t slot = 1;
    while (slot < m_slots.size() && m_slots[slot]) ++slot;
    if (slot >= m_slots.size() || kind > SOUND_3D_SAMPLE) return nullptr;
    CSoundObject* object = nullptr;
    switch (kind) {
        case SOUND_SAMPLE:
            object = new CSoundSample;
            break;
        case SOUND_STREAM:
            object = new CSoundStream;
            break;
        case SOUND_3D_SAMPLE:
            object = new CSound3DSample;
            break;
        default:
            object = new CSoundObject;
            break;
    }
    object->m_kind = kind;
    object->m_soundId = soundId;
    object->m_slot = slot;
    object->m_owner = this;
    if (!object->Load(soundId)) {
        delete object;
        return nullptr;
    }
    m_slots[slot] = object;
    return object;
}

CSoundObject* CSoundSystem::FindSound(uint32_t soundId, uint32_t kind) const {
    for (size_t i = 1; i < m_slots.size(); ++i)
        if (m_slots[i] && m_slots[i]->m_soundId == soundId && m_slots[i]->m_kind == kind) return m_slots[i];
    return nullptr;
}

void CSoundSystem::ReleaseSound(uint32_t slot) {
    if (slot >= m_slots.size()) return;
    delete m_slots[slot];
    m_slots[slot] = nullptr;
}

void CSoundSystem::ReleaseAllSounds() {
    for (size_t i = 1; i < m_slots.size(); ++i) delete m_slots[i];
    std::fill(m_slots.begin(), m_slots.end(), nullptr);
}

void CSoundSystem::FreeSampleCache() {
    for (auto& entry : m_cache) entry.reset();
    m_cacheBytes = 0;
}

bool CSoundSystem::Shutdown() {
    if (!m_started) return true;
    ReleaseAllSounds();
    m_slots.clear();
    FreeSampleCache();
    m_cache.clear();
    m_currentProvider = -1;
    m_driver.reset();  // closes the device
    m_started = false;
    return true;
}

namespace {

size_t SampleBytes(const std::shared_ptr<const PcmFrames>& data) {
    return data ? data->size() * sizeof(int16_t) : 0;
}

}  // namespace

CSampleCacheEntry* CSoundSystem::GetSampleData(uint32_t soundId) {
    if (soundId >= m_cache.size()) return nullptr;
    std::unique_ptr<CSampleCacheEntry>& entry = m_cache[soundId];
    if (!entry || !entry->m_data) {
        std::shared_ptr<const PcmFrames> data =
            LoadSoundFile(NumberedPath(g_config.m_folders[FOLDER_SOUND], soundId, "wav"));
        if (!data) return nullptr;
        // The samples used least recently make room for it.
        const size_t size = SampleBytes(data);
        while (m_cacheBytes > 0 && m_cacheBytes + size > m_cacheBudget) {
            CSampleCacheEntry* oldest = nullptr;
            for (const auto& other : m_cache)
                if (other && other->m_data && (!oldest || other->m_lastUse < oldest->m_lastUse))
                    oldest = other.get();
            if (!oldest) break;
            m_cacheBytes -= SampleBytes(oldest->m_data);
            oldest->m_data.reset();
        }
        if (!entry) entry = std::make_unique<CSampleCacheEntry>();
        entry->m_data = std::move(data);
        m_cacheBytes += size;
    }
    entry->m_lastUse = ++m_lookups;
    return entry.get();
}

std::shared_ptr<const PcmFrames> CSoundSystem::LoadSoundFile(const std::string& path) {
    // Read as it decodes: a file of any size costs no more than the decoded
    // sound, which is cut at kMaxDecodedFrames.
    plat::DecodedSound sound;
    if (!plat::DecodeSoundFile(plat::OpenFileInput(path), sound)) return nullptr;
    return std::make_shared<const PcmFrames>(std::move(sound.samples));
}
