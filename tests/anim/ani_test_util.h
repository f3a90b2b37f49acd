// Builders of animation files and fakes of the services the animations call.
#pragma once
#include <map>
#include <string>
#include <vector>

#include "anim/ani_file.h"
#include "anim/ani_services.h"

namespace anitest {

inline AniFileElement Node(uint32_t kind, uint16_t start) {
    AniFileElement e;
    e.kind = kind;
    e.start = start;
    return e;
}
inline AniFileElement Image(uint16_t start, uint16_t texture = 1, uint16_t unit = 0, uint8_t flags = 0) {
    AniFileElement e = Node(ANI_NODE_IMAGE, start);
    e.texture = texture;
    e.unit = unit;
    e.flags = flags;
    return e;
}
inline AniFileElement Hold(uint16_t frames) {
    AniFileElement e;
    e.kind = ANI_NODE_HOLD;
    e.hold = frames;
    return e;
}
inline AniFileElement Sound(uint16_t start, uint16_t id, bool positional = false) {
    AniFileElement e = Node(ANI_NODE_SOUND, start);
    e.number = id;
    e.positional = positional ? 1 : 0;
    return e;
}
inline AniFileElement Ramp(uint32_t kind, uint16_t start, bool rising, uint8_t step, uint8_t limit,
                           uint8_t target) {
    AniFileElement e = Node(kind, start);
    e.rising = rising;
    e.step = step;
    e.limit = limit;
    e.target = target;
    return e;
}
inline AniFileElement Child(uint16_t start, uint16_t animation, uint16_t motion = 0, uint16_t direction = 1) {
    AniFileElement e = Node(ANI_NODE_CHILD, start);
    e.number = animation;
    e.motion = motion;
    e.direction = direction;
    return e;
}

inline AniFileLayer Layer(std::vector<AniFileElement> elements) {
    return AniFileLayer{std::move(elements)};
}
inline AniFileDirection Direction(uint8_t direction, std::vector<AniFileLayer> layers,
                                  uint16_t height = 100) {
    AniFileDirection d;
    d.direction = direction;
    d.height = height;
    d.layers = std::move(layers);
    return d;
}
inline AniFileMotion Motion(uint32_t id, std::vector<AniFileDirection> directions) {
    return AniFileMotion{id, std::move(directions)};
}
// A file of the version with its pools declared.
inline AniFile File(uint8_t version, std::vector<AniFileMotion> motions) {
    AniFile f;
    f.version = version;
    f.motions = std::move(motions);
    if (version >= 11) DeclarePools(f);
    return f;
}
// One motion, one direction, one layer.
inline AniFile OneLayer(std::vector<AniFileElement> elements, uint8_t version = ANI_LATEST_VERSION,
                        uint32_t motion = 0, uint8_t direction = 1) {
    return File(version, {Motion(motion, {Direction(direction, {Layer(std::move(elements))})})});
}

struct FakeSound : IAniSound {
    struct Play {
        uint32_t id;
        int32_t x, y;
    };
    std::vector<Play> plays;
    void PlaySoundEffect(uint32_t id, int32_t x, int32_t y) override { plays.push_back({id, x, y}); }
};

struct FakeField : IAniField {
    CIsoView view;
    bool hasMap = true;
    std::vector<std::pair<uint32_t, uint32_t>> triggered;
    const CIsoView* GetIsoView() override { return hasMap ? &view : nullptr; }
    bool TriggerEffectSlot(uint32_t slot, uint32_t level, bool) override {
        triggered.push_back({slot, level});
        return hasMap;
    }
    IsoPoint GetScrollPosition() override { return {}; }
};

struct FakeCharacters : IAniCharacters {
    std::map<CChar*, uint32_t> ids;
    std::map<CChar*, int> firstHits;
    std::map<uint32_t, int> secondHits;
    std::map<CChar*, float> ratios;
    bool visible = true;
    bool status9 = false;
    uint16_t flagWord = 1;
    uint32_t GetCharId(CChar* c) override { return ids[c]; }
    bool IsCharVisible(CChar*) override { return visible; }
    bool IsPlayerStatus9Set() override { return status9; }
    uint16_t GetFlagWord(CChar*) override { return flagWord; }
    void AddFirstHitCount(CChar* c) override { ++firstHits[c]; }
    void AddSecondHitCountById(uint32_t id) override { ++secondHits[id]; }
    void SetRatio(CChar* c, float r) override { ratios[c] = r; }
    CAniObject* GetCharAniObject(CChar*) override { return nullptr; }
    int32_t GetShadowSize(CChar*) override { return 3; }
    CChar* FindChar(uint32_t id) override {
        for (const auto& [c, i] : ids)
            if (i == id) return c;
        return nullptr;
    }
    void GetCharMapPosition(CChar*, int32_t* x, int32_t* y, int32_t* z) override { *x = *y = *z = 0; }
    void GetCharScreenPosition(CChar*, int32_t* x, int32_t* y) override { *x = *y = 0; }
    void AddDrawObject(CChar*, CAniObject*) override {}
    void RemoveDrawObject(CChar*, CAniObject*) override {}
};

// The animations' services a test installs together; a null one is absent.
struct AniServiceSet {
    IAniCharacters* characters = nullptr;
    IAniField* field = nullptr;
    IAniSound* sound = nullptr;
    IAniEvents* events = nullptr;
    IAniWindows* windows = nullptr;
    IAniParticles* particles = nullptr;
    IAniToonObjects* toons = nullptr;
    IAniMeshModels* meshes = nullptr;
    IAniNameLookup* names = nullptr;
};

inline void InstallAniServices(const AniServiceSet& s) {
    SetAniCharacters(s.characters);
    SetAniField(s.field);
    SetAniSound(s.sound);
    SetAniEvents(s.events);
    SetAniWindows(s.windows);
    SetAniParticles(s.particles);
    SetAniToonObjects(s.toons);
    SetAniMeshModels(s.meshes);
    SetAniNameLookup(s.names);
}

// Installs services for the lifetime of the guard and removes them after.
class ScopedServices {
public:
    explicit ScopedServices(const AniServiceSet& services) { InstallAniServices(services); }
    ~ScopedServices() { InstallAniServices({}); }
    ScopedServices(const ScopedServices&) = delete;
    ScopedServices& operator=(const ScopedServices&) = delete;
};

}  // namespace anitest

// ---- A manager over a folder of animation files ----
#include <cstdio>
#include <memory>

#include "anim/ani_mgr.h"
#include "core/config.h"
#include "platform/clock.h"
#include "platform/message_box.h"
#include "tests/support/temp_dir.h"

namespace anitest {

// A temporary animation folder, a global CAniMgr, a fake clock at 10,000 ms
// and a recorder of the message boxes shown.
class AniWorld {
public:
    AniWorld() : m_scopedClock(m_clock), m_oldFolder(g_config.m_folders[FOLDER_ANIMATION]) {
        g_config.m_folders[FOLDER_ANIMATION] = m_dir.Path();
        m_mgr = std::make_unique<CAniMgr>();
        g_pAniMgr = m_mgr.get();
    }
    ~AniWorld() {
        m_mgr.reset();
        g_pAniMgr = nullptr;
        g_config.m_folders[FOLDER_ANIMATION] = m_oldFolder;
    }
    const std::vector<plat::MessageBoxRecorder::Box>& Boxes() const { return m_boxes.Boxes(); }
    std::string LastBoxText() const { return Boxes().empty() ? std::string() : Boxes().back().text; }
    void Write(uint32_t number, const AniFile& file) { WriteBytes(number, WriteAniFile(file)); }
    void WriteBytes(uint32_t number, const std::vector<uint8_t>& bytes) {
        char name[32];
        snprintf(name, sizeof name, "%04u.z5a", number);
        m_dir.WriteFile(name, bytes);
    }
    CAniMgr& Mgr() { return *m_mgr; }
    plat::FakeClock& Clock() { return m_clock; }
    const std::string& Folder() const { return m_dir.Path(); }

private:
    qmtest::TempDir m_dir;
    plat::FakeClock m_clock{10000};
    plat::ScopedClock m_scopedClock;
    plat::ScopedMessageBoxRecorder m_boxes;
    std::string m_oldFolder;
    std::unique_ptr<CAniMgr> m_mgr;
};

}  // namespace anitest
