#include "sound/sound_object.h"

#include <algorithm>
#include <cmath>

#include "core/config.h"
#include "core/util.h"
#include "platform/media.h"
#include "sound/sound_system.h"

namespace {

// Distance at which a placed effect falls silent, and the volume per pixel nearer.
constexpr float kSilentDistance = 600.0f;
constexpr float kVolumePerPixel = 0.21166667f;

// The pan of a point x pixels right of the screen centre: 0 at the left
// edge, 127 at the right one.
int32_t PanOfOffset(float offset, float screenWidth) {
    return int32_t(std::clamp((offset / (screenWidth * 0.5f) + 1.0f) * 63.5f, 0.0f, 127.0f));
}

}  // namespace

CMixer* CSoundObject::Driver() const {
    return m_owner ? m_owner->GetDriver() : nullptr;
}

void CSoundObject::StartVoice(uint32_t loops) {
    if (CMixer* driver = Driver(); driver && m_handle) driver->Start(m_handle, loops);
}

void CSoundObject::StopVoice() {
    if (CMixer* driver = Driver(); driver && m_handle) driver->Stop(m_handle);
}

void CSoundObject::ReleaseVoice(bool end) {
    if (CMixer* driver = Driver(); driver && m_handle) {
        if (end && driver->GetStatus(m_handle) != VoiceStatus::kDone) driver->End(m_handle);
        driver->ReleaseVoice(m_handle);
    }
    m_handle = 0;
}

void CSoundObject::SetVoiceVolume(int32_t volume) {
    if (CMixer* driver = Driver(); driver && m_handle) driver->SetVolume(m_handle, volume);
}

int32_t CSoundObject::GetVoiceVolume(int32_t none) {
    CMixer* driver = Driver();
    return driver && m_handle ? driver->GetVolume(m_handle) : none;
}

bool CSoundObject::VoiceFinished() {
    CMixer* driver = Driver();
    return !driver || !m_handle || driver->GetStatus(m_handle) != VoiceStatus::kPlaying;
}

bool CSoundObject::Load(uint32_t) {
    return true;
}

bool CSoundObject::Play(uint32_t) {
    return true;
}

bool CSoundObject::SetMsPosition(uint32_t) {
    return true;
}

bool CSoundObject::SetPosition(int32_t x, int32_t y) {
    m_x = x;
    m_y = y;
    return true;
}

void CSoundObject::GetPosition(int32_t* x, int32_t* y) {
    if (x) *x = m_x;
    if (y) *y = m_y;
}

void CSoundObject::SetVolume(int32_t) {}

// ---- CSoundSample ----

CSoundSample::~CSoundSample() {
    CSoundSample::Unload();
}

bool CSoundSample::Load(uint32_t soundId) {
    CMixer* driver = Driver();
    if (!driver) return false;
    Unload();
    CSampleCacheEntry* entry = m_owner->GetSampleData(soundId);
    if (!entry) return false;
    m_handle = driver->CreateSampleVoice(entry->m_data);
    if (!m_handle) return false;
    m_cacheEntry = entry;
    ++entry->m_useCount;
    return true;
}

bool CSoundSample::Unload() {
    if (!m_owner) return false;
    ReleaseVoice(true);
    return true;
}

bool CSoundSample::Play(uint32_t loops) {
    StartVoice(loops);
    return true;
}

bool CSoundSample::Stop() {
    StopVoice();
    return true;
}

bool CSoundSample::SetPosition(int32_t x, int32_t y) {
    CSoundObject::SetPosition(x, y);
    if (x == -1 || y == -1) {
        SetVolume(127);
        SetPan(64);
        m_level = 127;
        return true;
    }
    const float w = float(g_config.m_screenWidth), h = float(g_config.m_screenHeight);
    const float d = GetDistance(w / 2, h / 2, float(x), float(y));
    const float volume = std::clamp((kSilentDistance - std::fabs(d)) * kVolumePerPixel, 0.0f, 127.0f);
    SetVolume(int32_t(volume));
    SetPan(PanOfOffset(float(x) - w / 2, w));
    m_level = int32_t(volume);
    return true;
}

void CSoundSample::SetVolume(int32_t volume) {
    SetVoiceVolume(volume);
}

int32_t CSoundSample::GetVolume() {
    return GetVoiceVolume(0);
}

void CSoundSample::SetPan(int32_t pan) {
    if (CMixer* driver = Driver(); driver && m_handle) driver->SetPan(m_handle, pan);
}

bool CSoundSample::IsFinished() {
    return VoiceFinished();
}

// ---- CSoundStream ----

CSoundStream::~CSoundStream() {
    CSoundStream::Unload();
}

bool CSoundStream::Load(uint32_t soundId) {
    CMixer* driver = Driver();
    if (!driver) return false;
    Unload();
    const std::string path = NumberedPath(g_config.m_folders[FOLDER_BGM_MP3], soundId, "MP3");
    auto decoder = std::make_unique<plat::AudioStreamDecoder>();
    if (decoder->Open(plat::OpenFileInput(path))) {
        m_length = decoder->LengthMs();
        m_handle = driver->CreateStreamVoice(std::move(decoder));
    }
    // Without the file the object stays, silent.
    return true;
}

bool CSoundStream::Unload() {
    if (!m_owner) return false;
    ReleaseVoice(false);
    return true;
}

bool CSoundStream::Play(uint32_t loops) {
    StartVoice(loops);
    return true;
}

bool CSoundStream::Stop() {
    StopVoice();  // a pause: Play goes on from here
    return true;
}

bool CSoundStream::SetMsPosition(uint32_t ms) {
    if (CMixer* driver = Driver(); driver && m_handle) driver->SetPositionMs(m_handle, ms);
    return true;
}

uint32_t CSoundStream::GetMsPosition() {
    CMixer* driver = Driver();
    return driver && m_handle ? driver->GetPositionMs(m_handle) : 0;
}

uint32_t CSoundStream::GetLoopCount() {
    CMixer* driver = Driver();
    return driver && m_handle ? driver->GetLoopCount(m_handle) : 0;
}

void CSoundStream::SetVolume(int32_t volume) {
    SetVoiceVolume(volume);
}

int32_t CSoundStream::GetVolume() {
    return GetVoiceVolume(0);
}

bool CSoundStream::IsFinished() {
    return VoiceFinished();
}

// ---- CSound3DSample ----

CSound3DSample::~CSound3DSample() {
    CSound3DSample::Unload();
}

bool CSound3DSample::Load(uint32_t soundId) {
    CMixer* driver = Driver();
    if (!driver || m_owner->GetCurrentProvider() < 0) return false;
    Unload();
    CSampleCacheEntry* entry = m_owner->GetSampleData(soundId);
    if (!entry) return false;
    ++entry->m_useCount;
    m_cacheEntry = entry;
    m_handle = driver->CreateSampleVoice(entry->m_data);
    if (!m_handle) return false;
    m_maxDistance = 1500.0f;
    m_minDistance = 100.0f;
    return true;
}

bool CSound3DSample::Unload() {
    if (!m_owner) return false;
    ReleaseVoice(true);
    return true;
}

bool CSound3DSample::Play(uint32_t loops) {
    StartVoice(loops);
    return true;
}

bool CSound3DSample::Stop() {
    StopVoice();
    return true;
}

void CSound3DSample::SetVolume(int32_t volume) {
    SetVoiceVolume(volume);
}

int32_t CSound3DSample::GetVolume() {
    return GetVoiceVolume(-1);
}

bool CSound3DSample::IsFinished() {
    return VoiceFinished();
}

void CSound3DSample::Set3DPosition(float x, float y, float z) {
    CMixer* driver = Driver();
    if (!driver || !m_handle) return;
    float gain = 1.0f;
    int32_t pan = 64;
    if (m_owner->GetCurrentProvider() == int32_t(PROVIDER_DISTANCE)) {
        const float d = std::sqrt(x * x + y * y + z * z);
        gain = d <= m_minDistance ? 1.0f : d >= m_maxDistance ? 0.0f : m_minDistance / d;
        pan = PanOfOffset(x, float(g_config.m_screenWidth));
    }
    driver->SetDistanceGain(m_handle, gain);
    driver->SetPan(m_handle, pan);
}
