#include "sound/sound_mgr.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "anim/ani_services.h"
#include "anim/iso_view.h"
#include "core/config.h"
#include "core/util.h"
#include "data/char_resource_mgr.h"
#include "data/file_resource.h"
#include "data/game_hooks.h"
#include "data/item_object.h"
#include "platform/paths.h"
#include "sound/sound_services.h"

CSoundMgr* g_pSoundMgr = nullptr;

namespace {

// Columns of the tables.
enum : int { NAME_COL = 0, NAME_VALUE_COL = 1 };
enum : int { HIT_ENABLED_COL = 0, HIT_ATTACKER_COL = 2, HIT_TARGET_COL = 3, HIT_EFFECT_COL = 4 };
// Attacker kinds chosen without the tables.
constexpr int32_t kForcedAttackerKind = 8;
constexpr int32_t kBareHandedKind = 6;
constexpr int kWeaponSlot = 2;
// The most a list file can hold: the header and 100 records of 8 bytes.
constexpr size_t kMaxListBytes = 2 + size_t(MAX_MUSIC_TRACKS) * 8;

bool MusicOff() {
    return g_options.GetByte(OPT_MUSIC_OFF) != 0;
}

bool EffectsOff() {
    return g_options.GetByte(OPT_EFFECTS_OFF) != 0;
}

double Percent(size_t option) {
    return double(g_options.GetU32(option)) * 0.01;
}

// A volume computed in floating point, held to 0-127 before it becomes an
// integer (the options file may carry any percentage).
int32_t HeldVolume(double volume) {
    return int32_t(std::clamp(volume, 0.0, 127.0));
}

// Map cells farther out than this are placed at it: far off any screen, and
// the screen point of a cell stays within 32 bits.
constexpr int32_t kFarthestCell = 1 << 20;

// The first row whose name column is exactly the name.
int32_t FindNameRow(const CDataTable* table, const char* name) {
    if (!table || !name) return -1;
    for (int row = 0; row < table->GetRowCount(); ++row) {
        const char* cell = table->GetText(NAME_COL, row);
        if (cell && std::strcmp(cell, name) == 0) return row;
    }
    return -1;
}

std::unique_ptr<CDataTable> LoadTable(int number) {
    auto table = std::make_unique<CDataTable>();
    table->LoadDataTable(number);
    return table;
}

}  // namespace

CSoundMgr::CSoundMgr() {
    CSoundMgr::Create();
}

CSoundMgr::~CSoundMgr() {
    CSoundMgr::Release();
}

bool CSoundMgr::Create() {
    m_pSoundSystem = std::make_unique<CSoundSystem>();
    if (!m_pSoundSystem->StartupSound(g_config.m_folders[FOLDER_MILES].c_str(), CMixer::kFrequency, 16, 2,
                                      1)) {
        m_pSoundSystem.reset();
        return false;
    }
    m_effectLevel = m_musicFadeLevel = m_musicFullLevel = m_effectFullLevel = 127;
    m_pCurrentStream = m_pNextStream = nullptr;
    for (EffectSlot& slot : m_slots) slot = EffectSlot{};
    m_musicPlaying = 0;
    m_trackCount = 0;
    m_tracks.clear();
    m_musicState = MUSIC_IDLE;
    std::memset(m_liveCounts, 0, sizeof m_liveCounts);
    m_pMusicNames = LoadTable(MUSIC_NAME_TABLE);
    m_pHitSounds = LoadTable(HIT_SOUND_TABLE);
    m_pEffectNames = LoadTable(EFFECT_NAME_TABLE);
    return true;
}

bool CSoundMgr::Release() {
    if (!m_pSoundSystem) return true;
    m_pMusicNames.reset();
    m_pEffectNames.reset();
    StopMusic();
    for (EffectSlot& slot : m_slots) slot = EffectSlot{};
    m_pSoundSystem.reset();
    m_pHitSounds.reset();
    return true;
}

const MusicTrack* CSoundMgr::GetTrack(int index) const {
    return index >= 0 && index < m_trackCount ? &m_tracks[size_t(index)] : nullptr;
}

// ---- Volume ----

bool CSoundMgr::ApplyVolume(CSoundObject* object, int32_t level) {
    if (!m_pSoundSystem) return true;
    if (!object) return false;
    if (level == -1)
        level = object->GetLevel();
    else
        object->SetLevel(level);
    double volume = 0.0;
    if (object->m_kind == SOUND_STREAM) {
        int32_t eventFactor = 127;
        if (ISoundEvents* events = GetSoundEvents(); events && IsVisualEventRunning())
            eventFactor = events->GetEventMusicVolume();
        if (m_musicFullLevel != 0)
            volume = double(m_musicFadeLevel) / m_musicFullLevel * Percent(OPT_MUSIC_VOLUME) *
                     (eventFactor / 127.0) * level;
    } else if (m_effectFullLevel != 0) {
        volume = double(m_effectLevel) / m_effectFullLevel * Percent(OPT_EFFECT_VOLUME) * level;
    }
    object->SetVolume(HeldVolume(volume));
    return true;
}

bool CSoundMgr::RefreshVolumes(uint8_t music, uint8_t effects) {
    if (!m_pSoundSystem) return true;
    for (uint32_t i = 1; i < m_pSoundSystem->GetSlotCount(); ++i) {
        CSoundObject* object = m_pSoundSystem->GetSlot(i);
        if (!object) continue;
        const bool isMusic = object->m_kind == SOUND_STREAM;
        if (isMusic ? music : effects) ApplyVolume(object, -1);
    }
    return true;
}

void CSoundMgr::ReapplyMusicVolumes() {
    RefreshVolumes(1, 0);
}

// ---- Effects ----

CSoundSample* CSoundMgr::PlaySoundEffect(uint16_t effectId, int32_t x, int32_t y, uint32_t loops) {
    if (!m_pSoundSystem || effectId >= MAX_EFFECT_ID || EffectsOff() ||
        m_liveCounts[effectId] >= MAX_EFFECT_COPIES)
        return nullptr;
    auto* sample = static_cast<CSoundSample*>(m_pSoundSystem->CreateSound(effectId, SOUND_SAMPLE));
    if (!sample) return nullptr;
    ++m_liveCounts[effectId];
    sample->m_hold = 0;
    if (x != -1) {
        sample->SetPosition(x, y);
        ApplyVolume(sample, -1);
    } else {
        sample->SetVolume(HeldVolume(Percent(OPT_EFFECT_VOLUME) * m_effectLevel));
        sample->SetPan(64);
    }
    sample->Play(loops);
    return sample;
}

uint16_t CSoundMgr::FindEffectIdByName(const char* name) const {
    const int32_t row = FindNameRow(m_pEffectNames.get(), name);
    return row < 0 ? 0 : uint16_t(m_pEffectNames->GetInt(NAME_VALUE_COL, row));
}

uint32_t CSoundMgr::FindMusicIdByName(const char* name) const {
    const int32_t row = FindNameRow(m_pMusicNames.get(), name);
    return row < 0 ? 0 : m_pMusicNames->GetInt(NAME_VALUE_COL, row);
}

bool CSoundMgr::PlayHitSound(CChar* attacker, CChar* target, uint8_t forced) {
    if (EffectsOff()) return true;
    if (!m_pHitSounds) return false;
    ISoundCharacters* chars = GetSoundCharacters();
    if (!attacker || !target || !g_pCharResourceMgr) return false;
    if (!chars) return true;  // nobody to ask: no kinds
    const CCharResourceMgr& resources = *g_pCharResourceMgr;

    int32_t attackerKind = -1;
    const uint16_t attackerType = chars->GetCharType(attacker);
    if (forced) {
        attackerKind = kForcedAttackerKind;
    } else if (attackerType == SOUND_CHAR_PLAYER) {
        const CItemObject* weapon = GameWorld().GetItemInSlot(attacker, kWeaponSlot);
        attackerKind = weapon ? weapon->GetByte14() : kBareHandedKind;
    } else if (attackerType == SOUND_CHAR_MONSTER) {
        const int32_t row = resources.IdToRow(chars->GetResourceId(attacker), attackerType);
        attackerKind = resources.GetMonsterByte14(row);
    }
    const uint16_t targetType = chars->GetCharType(target);
    const int32_t targetKind = resources.GetKindByte(
        CCharResourceMgr::IdToRow(chars->GetResourceId(target), targetType), targetType);
    if (attackerKind < 0 || targetKind < 0) return true;

    const CDataTable& table = *m_pHitSounds;
    for (int row = 0; row < table.GetRowCount(); ++row) {
        if (table.GetInt(HIT_ENABLED_COL, row) != 0) continue;
        if (int32_t(table.GetInt(HIT_ATTACKER_COL, row)) != attackerKind) continue;
        if (int32_t(table.GetInt(HIT_TARGET_COL, row)) != targetKind) continue;
        const auto [x, y] = chars->GetScreenPoint(attacker);
        PlaySoundEffect(uint16_t(table.GetInt(HIT_EFFECT_COL, row)), x, y, 1);
        break;
    }
    return true;
}

// ---- Effect slots ----

bool CSoundMgr::SlotObjectAlive(const EffectSlot& slot) const {
    return slot.m_object && m_pSoundSystem && m_pSoundSystem->GetSlot(slot.m_object->m_slot) == slot.m_object;
}

bool CSoundMgr::PlaySlotSound(uint32_t key, uint16_t soundId, int32_t x, int32_t y, uint8_t positional,
                              int32_t volume) {
    if (!m_pSoundSystem || EffectsOff() || soundId == NO_SOUND_ID) return true;
    EffectSlot* slot = nullptr;
    for (EffectSlot& s : m_slots)
        if (!s.m_inUse) {
            slot = &s;
            break;
        }
    if (!slot) return true;
    slot->m_positional = positional ? 1 : 0;
    CSoundObject* object = m_pSoundSystem->CreateSound(soundId, positional ? SOUND_3D_SAMPLE : SOUND_SAMPLE);
    if (!object) return false;
    object->m_hold = 0;
    ApplyVolume(object, positional ? 0 : volume);
    object->Play(0);
    slot->m_key = key;
    slot->m_soundId = soundId;
    slot->m_x = x;
    slot->m_y = y;
    slot->m_volume = volume;
    slot->m_object = object;
    slot->m_inUse = 1;
    return true;
}

bool CSoundMgr::StopSlotSound(uint32_t key) {
    for (EffectSlot& slot : m_slots) {
        if (!slot.m_inUse || slot.m_key != key) continue;
        // The slot's own object, never another slot's sound of the same id.
        if (SlotObjectAlive(slot)) m_pSoundSystem->ReleaseSound(slot.m_object->m_slot);
        slot = EffectSlot{};
        break;
    }
    return true;
}

void CSoundMgr::UpdateSlotSounds() {
    for (EffectSlot& slot : m_slots) {
        if (!slot.m_inUse || !slot.m_positional || !SlotObjectAlive(slot)) continue;
        PlaceOnField(slot.m_object, slot.m_x, slot.m_y, slot.m_volume);
    }
}

void CSoundMgr::PlaceOnField(CSoundObject* object, int32_t cellX, int32_t cellY, int32_t volume) {
    if (!object || object->m_kind != SOUND_3D_SAMPLE) return;
    auto* sample = static_cast<CSound3DSample*>(object);
    const CIsoView* view = GetFieldView();
    if (!view) {
        ApplyVolume(sample, 0);  // no map: nowhere to place it
        return;
    }
    const float w = float(g_config.m_screenWidth), h = float(g_config.m_screenHeight);
    const IsoPoint p = view->BlockToScreen(std::clamp(cellX, -kFarthestCell, kFarthestCell),
                                           std::clamp(cellY, -kFarthestCell, kFarthestCell));
    if (GetDistance(float(p.x), float(p.y), w / 2, h / 2) > w) {
        ApplyVolume(sample, 0);
    } else {
        sample->Set3DPosition(float(p.x) - w / 2, 0.0f, -(float(p.y) - h / 2));
        ApplyVolume(sample, volume);
    }
}

bool CSoundMgr::AreEffectsOff() const {
    return EffectsOff();
}

void CSoundMgr::ReapFinished() {
    for (uint32_t i = 1; i < m_pSoundSystem->GetSlotCount(); ++i) {
        CSoundObject* object = m_pSoundSystem->GetSlot(i);
        if (!object || object->m_hold != 0) continue;
        if (object->m_kind != SOUND_SAMPLE && object->m_kind != SOUND_3D_SAMPLE) continue;
        if (!object->IsFinished()) continue;
        if (object->m_kind == SOUND_SAMPLE && object->m_soundId < MAX_EFFECT_ID &&
            m_liveCounts[object->m_soundId] > 0)
            --m_liveCounts[object->m_soundId];
        for (EffectSlot& slot : m_slots)
            if (slot.m_object == object) slot.m_object = nullptr;  // the slot keeps its place, silent
        m_pSoundSystem->ReleaseSound(i);
    }
}

// ---- The frame ----

bool CSoundMgr::Update() {
    if (!m_pSoundSystem) return true;
    UpdateSlotSounds();
    ReapFinished();
    switch (m_musicState) {
        case MUSIC_FADING_OUT:
            StepMusicFadeOut();
            return true;
        case MUSIC_FADING_IN:
            StepMusicFadeIn();
            break;
        case MUSIC_CHANGING:
            StepMusicChange();
            return true;
        case MUSIC_IDLE:
            break;
        default:
            return true;
    }
    if (m_musicPlaying) UpdateMusicList();
    return true;
}

// ---- Music ----

bool CSoundMgr::StepFadeDown() {
    if (!m_pCurrentStream) return true;
    m_musicFadeLevel -= MUSIC_FADE_STEP;
    if (m_musicFadeLevel > 0) return false;
    m_musicFadeLevel = 0;
    ReapplyMusicVolumes();
    m_pCurrentStream->Stop();
    return true;
}

void CSoundMgr::StepMusicFadeOut() {
    if (StepFadeDown()) StopMusic();
    ReapplyMusicVolumes();
}

void CSoundMgr::StepMusicFadeIn() {
    m_musicFadeLevel += MUSIC_FADE_STEP;
    if (m_musicFadeLevel >= m_musicFullLevel) {
        m_musicFadeLevel = m_musicFullLevel;
        ReapplyMusicVolumes();
        m_musicState = MUSIC_IDLE;
    }
    ReapplyMusicVolumes();
}

void CSoundMgr::StepMusicChange() {
    if (StepFadeDown()) PlayMusicList(m_pendingList, 1);
    ReapplyMusicVolumes();
}

bool CSoundMgr::PlayMusicList(int32_t list, uint8_t fadeIn) {
    if (!m_pSoundSystem || MusicOff()) return true;
    if (m_musicPlaying && m_currentList == list) return true;
    StopMusic();
    ReleaseFreeStreams();
    if (!LoadMusicList(list)) return false;
    m_musicPlaying = 1;
    m_nextTrackIndex = 0;
    m_currentList = list;
    m_pCurrentStream = m_pNextStream = nullptr;
    if (fadeIn) {
        m_musicFadeLevel = 0;
        ReapplyMusicVolumes();
        m_musicState = MUSIC_FADING_IN;
    } else {
        m_musicFadeLevel = m_musicFullLevel;
        ReapplyMusicVolumes();
        m_musicState = MUSIC_IDLE;
    }
    return true;
}

bool CSoundMgr::ChangeMusicList(int32_t list) {
    if (MusicOff() || list == m_currentList) return true;
    m_pendingList = list;
    m_musicState = MUSIC_CHANGING;
    return true;
}

void CSoundMgr::FadeOutMusic() {
    m_musicState = MUSIC_FADING_OUT;
}

void CSoundMgr::StopMusic() {
    if (m_pSoundSystem) {
        // The two streams the list made (with one track both are of one id).
        for (CSoundStream* stream : {m_pCurrentStream, m_pNextStream})
            if (stream && m_pSoundSystem->GetSlot(stream->m_slot) == stream)
                m_pSoundSystem->ReleaseSound(stream->m_slot);
        for (const MusicTrack& track : m_tracks) {
            // The first stream of the track's id that nobody holds.
            for (uint32_t i = 1; i < m_pSoundSystem->GetSlotCount(); ++i) {
                CSoundObject* object = m_pSoundSystem->GetSlot(i);
                if (object && object->m_kind == SOUND_STREAM && object->m_soundId == track.m_streamId &&
                    object->m_hold == 0) {
                    m_pSoundSystem->ReleaseSound(i);
                    break;
                }
            }
        }
    }
    m_tracks.clear();
    m_trackCount = 0;
    m_musicPlaying = 0;
    m_nextTrackIndex = 0;
    m_currentList = 0;
    m_pCurrentStream = m_pNextStream = nullptr;
    m_musicState = MUSIC_IDLE;
}

void CSoundMgr::ReleaseFreeStreams() {
    for (uint32_t i = 1; i < m_pSoundSystem->GetSlotCount(); ++i) {
        CSoundObject* object = m_pSoundSystem->GetSlot(i);
        if (object && object->m_kind == SOUND_STREAM && object->m_hold == 0) m_pSoundSystem->ReleaseSound(i);
    }
}

bool CSoundMgr::LoadMusicList(int32_t list) {
    if (uint32_t(list) == NO_SOUND_ID) return false;
    const std::string path = NumberedPath(g_config.m_folders[FOLDER_BGM_LIST], uint32_t(list), "lst");
    if (!plat::FileExists(path)) return false;  // no list: no music, and no message
    CFileResource file;
    if (!file.OpenFile(path.c_str(), kFileStream, "rb", false, nullptr)) return false;
    std::vector<uint8_t> bytes(std::min<size_t>(file.GetDataSize(), kMaxListBytes));
    if (!file.ReadExact(bytes.data(), bytes.size())) return false;
    if (!ParseMusicList(bytes.data(), bytes.size(), m_tracks)) return false;
    m_trackCount = int32_t(m_tracks.size());
    return true;
}

const MusicTrack& CSoundMgr::CurrentTrack() const {
    const int32_t index = m_nextTrackIndex == 0 ? m_trackCount - 1 : m_nextTrackIndex - 1;
    return m_tracks[size_t(index)];
}

void CSoundMgr::AdvanceTrackIndex() {
    if (++m_nextTrackIndex >= m_trackCount) m_nextTrackIndex = 0;
}

int32_t CSoundMgr::RepeatLimitOf(const MusicTrack& track) const {
    return track.m_mode == MUSIC_MODE_REPEAT ? track.m_modeValue : 1;
}

CSoundStream* CSoundMgr::CreateStream(const MusicTrack& track) {
    auto* stream = static_cast<CSoundStream*>(m_pSoundSystem->CreateSound(track.m_streamId, SOUND_STREAM));
    if (stream) {
        stream->m_hold = 0;
        stream->SetMsPosition(track.m_start);
    }
    return stream;
}

void CSoundMgr::UpdateMusicList() {
    if (m_trackCount < 1) return;
    const int32_t full = m_musicFullLevel;
    if (!m_pCurrentStream) {
        // The list has just started (or its first stream could not be made).
        m_pCurrentStream = CreateStream(m_tracks[size_t(m_nextTrackIndex)]);
        if (!m_pCurrentStream) return;  // tried again next frame
        AdvanceTrackIndex();
        m_pNextStream = CreateStream(m_tracks[size_t(m_nextTrackIndex)]);
        m_repeatCount = 0;
        m_repeatLimit = RepeatLimitOf(CurrentTrack());
        ApplyVolume(m_pCurrentStream, full);
        m_pCurrentStream->Play(1);
        m_pCurrentStream->SetMsPosition(CurrentTrack().m_start);
    }
    const MusicTrack& current = CurrentTrack();
    const MusicTrack& next = m_tracks[size_t(m_nextTrackIndex)];
    if (!m_pCurrentStream->IsFinished() && current.m_mode == MUSIC_MODE_CROSSFADE) {
        const uint32_t p = m_pCurrentStream->GetMsPosition();
        const uint32_t q = m_pNextStream ? m_pNextStream->GetMsPosition() : next.m_start;
        const uint32_t fade = uint32_t(current.m_modeValue) * 1000;
        // A cross-fade of no length is a plain change at the end point.
        if (fade == 0 || current.m_end - p > fade) {
            ApplyVolume(m_pCurrentStream, full);
        } else {
            const int64_t currentLevel = int64_t(full) * (current.m_end - p) / fade;
            const int64_t nextLevel = int64_t(full) * (q - next.m_start) / fade;
            ApplyVolume(m_pCurrentStream, int32_t(std::clamp<int64_t>(currentLevel, 0, full)));
            if (m_pNextStream) {
                ApplyVolume(m_pNextStream, int32_t(std::clamp<int64_t>(nextLevel, 0, full)));
                if (m_pNextStream->IsFinished()) {
                    m_pNextStream->Play(1);
                    m_pNextStream->SetMsPosition(next.m_start);
                }
            }
        }
    }
    if (!m_pCurrentStream->IsFinished() && m_pCurrentStream->GetMsPosition() <= current.m_end) return;

    ++m_repeatCount;
    if (m_repeatLimit < 1 || m_repeatLimit > m_repeatCount) {
        ApplyVolume(m_pCurrentStream, full);
        m_pCurrentStream->Play(1);
        m_pCurrentStream->SetMsPosition(current.m_start);
        return;
    }
    // On to the next track; a stream that could not be made is made now, or
    // the change waits for the next frame.
    if (!m_pNextStream) m_pNextStream = CreateStream(next);
    if (!m_pNextStream) {
        --m_repeatCount;
        return;
    }
    m_pSoundSystem->ReleaseSound(m_pCurrentStream->m_slot);
    m_pCurrentStream = m_pNextStream;
    AdvanceTrackIndex();
    m_pNextStream = CreateStream(m_tracks[size_t(m_nextTrackIndex)]);
    m_repeatCount = 0;
    const MusicTrack& now = CurrentTrack();
    m_repeatLimit = RepeatLimitOf(now);
    if (!m_pCurrentStream->IsFinished()) return;  // cross-faded in already
    ApplyVolume(m_pCurrentStream, full);
    m_pCurrentStream->Play(1);
    m_pCurrentStream->SetMsPosition(now.m_start);
}
