// The characters' test bed: an animation folder with one character animation
// (and the small ones the manager and actions show), the character resource
// tables, the emoticon and sound tables, a fake clock, a recorder of message
// boxes, fakes of the effect lists, the requests, the field sound and the
// event state, a play manager and the manager itself in g_pCharMgr.
#pragma once
#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "anim/ani_object.h"
#include "anim/ani_object_hooks.h"
#include "anim/ani_play_mgr.h"
#include "anim/ani_services.h"
#include "anim/field_sound.h"
#include "core/draw_object.h"
#include "data/char_resource_mgr.h"
#include "net/handlers/char_records.h"
#include "net/handlers/map_records.h"
#include "tests/anim/ani_test_util.h"
#include "tests/support/table_builder.h"
#include "world/chars/char.h"
#include "world/chars/char_controller.h"
#include "world/chars/char_events.h"
#include "world/chars/char_mgr.h"
#include "world/chars/char_services.h"
#include "world/map/map.h"
#include "world/map/map_text.h"

namespace chartest {

inline constexpr uint32_t kCharAni = 100;
inline constexpr uint32_t kPlayerRes = CHAR_PLAYER_BASE;        // rows 0-15
inline constexpr uint32_t kMonsterRes = CHAR_MONSTER_BASE + 1;  // row 1: a monster
inline constexpr uint32_t kNpcRes = CHAR_NPC_BASE;

// One effect list: what was added and removed, by keys.
struct FakeEffectList : ICharEffectList {
    std::map<std::pair<uint32_t, uint32_t>, std::vector<int32_t>> effects;  // (key1, key2) -> (a, b, c, d)
    std::vector<std::string> log;
    bool translucent = false;
    int updates = 0;
    bool AddEffect(uint32_t k1, uint32_t k2, int32_t a, int32_t b, int32_t c, int32_t d) override {
        if (effects.count({k1, k2})) return false;
        effects[{k1, k2}] = {a, b, c, d};
        log.push_back("add " + std::to_string(k1) + " " + std::to_string(b));
        return true;
    }
    bool HasEffect(uint32_t k1, uint32_t k2) override { return effects.count({k1, k2}) != 0; }
    void RemoveEffect(uint32_t k1, uint32_t k2) override {
        if (effects.erase({k1, k2})) log.push_back("remove " + std::to_string(k1));
    }
    void SetTranslucent(bool on) override { translucent = on; }
    void Update() override { ++updates; }
    void DrawBehind() override { log.push_back("behind"); }
    void DrawInFront() override { log.push_back("front"); }
    std::vector<std::string> placed;  // "x y" of each placement, "screen x y" in a window
    void SetAllPositions(float x, float y) override {
        placed.push_back(std::to_string(int(x)) + " " + std::to_string(int(y)));
    }
    void UpdateAllWith(int32_t x, int32_t y, int32_t) override {
        placed.push_back("screen " + std::to_string(x) + " " + std::to_string(y));
    }
};

struct FakeEffects : ICharEffects {
    std::map<CChar*, FakeEffectList*> lists;
    std::unique_ptr<ICharEffectList> MakeEffectList(CChar* owner) override {
        auto list = std::make_unique<FakeEffectList>();
        lists[owner] = list.get();
        return list;
    }
};

struct RecordingRequests : ICharRequests {
    std::vector<std::string> sent;
    void SendCharInfoRequest(uint32_t id) override { sent.push_back("info " + std::to_string(id)); }
    void SendCharLookup(uint32_t id) override { sent.push_back("lookup " + std::to_string(id)); }
    void SendChatCommand(uint8_t kind, uint32_t value) override {
        sent.push_back("chat " + std::to_string(kind) + " " + std::to_string(value));
    }
    // "51 x y facing sequence", "33 id x y facing sequence", "84 x y", "33/1 id x y", "7 id".
    void SendPlayerPosition(uint16_t x, uint16_t y, uint8_t facing, uint8_t sequence) override {
        sent.push_back("51 " + std::to_string(x) + " " + std::to_string(y) + " " + std::to_string(facing) +
                       " " + std::to_string(sequence));
    }
    void SendControlledCharPosition(uint32_t id, uint16_t x, uint16_t y, uint8_t facing,
                                    uint8_t sequence) override {
        sent.push_back("33 " + std::to_string(id) + " " + std::to_string(x) + " " + std::to_string(y) + " " +
                       std::to_string(facing) + " " + std::to_string(sequence));
    }
    void SendDestination(uint8_t, uint16_t x, uint16_t y) override {
        sent.push_back("84 " + std::to_string(x) + " " + std::to_string(y));
    }
    void SendControlledCharDestination(uint32_t id, uint16_t x, uint16_t y) override {
        sent.push_back("33/1 " + std::to_string(id) + " " + std::to_string(x) + " " + std::to_string(y));
    }
    void SendPickUp(uint32_t id) override { sent.push_back("7 " + std::to_string(id)); }
    void SendComboSelect() override { sent.push_back("combo select"); }
    // Requests with payloads: the code, the leading bytes and the payload in hex.
    static std::string Hex(const uint8_t* p, size_t n) {
        std::string out;
        static const char digits[] = "0123456789abcdef";
        for (size_t i = 0; i < n; ++i) {
            out += digits[p[i] >> 4];
            out += digits[p[i] & 15];
        }
        return out;
    }
    void SendUseSkill(uint8_t flag, uint8_t kind, const uint8_t* p, size_t n) override {
        sent.push_back("19 " + std::to_string(flag) + " " + std::to_string(kind) + " " + Hex(p, n));
    }
    void SendUseItem(uint8_t slot, const uint8_t* p, size_t n) override {
        sent.push_back("28 " + std::to_string(slot) + " " + Hex(p, n));
    }
    void SendUseQuickSkill(uint8_t slot, const uint8_t* p, size_t n) override {
        sent.push_back("28 " + std::to_string(slot) + " 1 " + Hex(p, n));
    }
    void SendPointRequest(uint8_t kind, uint16_t count, uint16_t x, uint16_t y) override {
        sent.push_back("8 " + std::to_string(kind) + " " + std::to_string(count) + " " + std::to_string(x) +
                       " " + std::to_string(y));
    }
    void SendItemKind(uint8_t kind) override { sent.push_back("31 " + std::to_string(kind)); }
};

// An item the server reports lying on the ground: the record the
// objects-in-view handler hands the map, its place in tiles.
inline void DropOnGround(uint32_t objectId, uint32_t itemId, const char* name, int32_t tileX, int32_t tileY,
                         uint16_t count = 1) {
    CGroundItemMsg msg;
    msg.Set(objectId, itemId, count, 0, name, nullptr, CItemRecord(), tileX, tileY, 0);
    if (g_pMap) g_pMap->HandleMessage(msg);
}

// A sprite's picture: a box standing on its screen point.
struct Box : IAniDrawable {
    Box(int32_t width, int32_t height) : w(width), h(height) {}
    int32_t GetWidth() override { return w; }
    int32_t GetHeight() override { return h; }
    int32_t GetOffsetX() override { return -w / 2; }
    int32_t GetOffsetY() override { return -h; }
    int32_t w, h;
};

struct FakeSound : IFieldSound {
    std::vector<uint32_t> effects;
    std::vector<int32_t> loopCounts;  // of each effect (1: once, 0: until stopped)
    std::vector<std::string> music;   // the lists started by name
    uint16_t FindEffectIdByName(const char*) override { return 0; }
    void PlaySoundEffect(uint32_t id, int32_t, int32_t, int32_t loops) override {
        effects.push_back(id);
        loopCounts.push_back(loops);
    }
    void ChangeMusicList(uint32_t) override {}
    bool PlayMusicByName(const char* name) override {
        music.push_back(name ? name : "");
        return true;
    }
    bool AreSoundSpotsOn() override { return false; }
    void PlaySlotSound(uint32_t, uint32_t, int32_t, int32_t, bool, uint8_t) override {}
    void StopSlotSound(uint32_t) override {}
    // "attacker target forced" of each hit sound.
    std::vector<std::string> hitSounds;
    void PlayHitSound(CChar* attacker, CChar* target, bool forced) override {
        hitSounds.push_back(std::to_string(attacker ? attacker->GetCharId() : 0) + " " +
                            std::to_string(target ? target->GetCharId() : 0) + " " + (forced ? "1" : "0"));
    }
};

struct FakeEvents : IAniEvents {
    bool visualEvent = false, fieldScript = false;
    bool IsVisualEventRunning() override { return visualEvent; }
    bool IsFieldScriptRunning() override { return fieldScript; }
    bool IsInputLocked() override { return false; }
};

class CharFixture : public ::testing::Test {
protected:
    void SetUp() override {
        using namespace anitest;
        std::vector<AniFileMotion> motions;
        for (uint32_t m : {0u, 1u, 2u, 3u, 4u, 13u, 14u, 15u, 16u, 17u, 18u, 100u, 101u})
            motions.push_back(Motion(m, {Direction(0, {Layer({Image(0)})}, 80)}));
        m_ani.Write(kCharAni, File(14, motions));
        for (uint32_t small : {595u, 596u, 665u, 198u, 264u, 199u, 216u, 205u, 1867u, 1419u, 3843u})
            m_ani.Write(small, OneLayer({Image(0)}));
        WriteTables();
        m_resources = std::make_unique<CCharResourceMgr>();
        g_pCharResourceMgr = m_resources.get();
        SetCharResourceHooks(m_resources.get());
        g_pAniPlayMgr = &m_play;
        m_mgr = std::make_unique<CCharMgr>();
        m_mgr->SetRequests(&m_requests);
        g_pCharMgr = m_mgr.get();
        LoadField(OpenField(16, 16));
    }
    void TearDown() override {
        m_mgr.reset();
        g_pCharMgr = nullptr;
        g_pMap = nullptr;
        m_field.Release();
        g_pAniPlayMgr = nullptr;
        SetCharResourceHooks(nullptr);
        g_pCharResourceMgr = nullptr;
    }

    virtual void WriteTables() {
        qmtest::TableBuilder players(16, 15);
        players.Text(2).Text(3).Text(4).Ref(5).U16(6);
        for (int r = 0; r < 16; ++r)
            players.Set(2, r, "Class" + std::to_string(r))
                .Set(3, r, "Info" + std::to_string(r))
                .Set(5, r, {kCharAni, 0, 0});
        m_db.Write(CCharResourceMgr::PLAYER_FILE, players);

        // Rows 0-9 monsters (row r has fixed-direction code r), 653 and 654 pets.
        qmtest::TableBuilder monsters(655, 16);
        monsters.Text(2).Ref(3);
        for (int r = 0; r < 655; ++r) monsters.Set(3, r, {kCharAni, 0, 0}).Set(15, r, r >= 653 ? 3 : 2);
        for (int r = 0; r < 10; ++r) monsters.Set(2, r, "Monster" + std::to_string(r)).Set(4, r, r);
        monsters.Set(13, 2, 1).Set(11, 1, 7).U16(8).Set(8, 1, 300).Set(7, 1, -3);
        m_db.Write(CCharResourceMgr::MONSTER_FILE, monsters);

        qmtest::TableBuilder npcs(2, 11);
        npcs.Text(0).Text(2).Text(3).Text(4).Ref(5).U16(6);
        npcs.Set(0, 0, "guard").Set(0, 1, "UserShopMerchant").Set(2, 0, "Guard").Set(2, 1, "Shop");
        npcs.Set(5, 0, {kCharAni, 0, 0}).Set(5, 1, {kCharAni, 0, 0}).Set(6, 0, 4321).Set(9, 1, 1);
        m_db.Write(CCharResourceMgr::NPC_FILE, npcs);
        for (int file : {int(CCharResourceMgr::CLASS_ANI_FILE), int(CCharResourceMgr::ID_ANI_FILE),
                         int(CCharResourceMgr::LEVEL_COLOR_FILE), int(CCharResourceMgr::GROUP_FILE)})
            m_db.Write(file, qmtest::TableBuilder(0, 1));
        WriteEmoticons();
        qmtest::TableBuilder sounds(3, 75);
        sounds.U16(74).Set(74, 0, 11).Set(74, 1, 22).Set(74, 2, 33);
        m_db.Write(CHAR_SOUND_TABLE_FILE, sounds);
    }

    // Emoticon rows: id 7 ("hi", "hello"; everyone), id 8 ("dance"; type 1
    // only, item 5555 required), id 9 ("wave"; type 0).
    void WriteEmoticons() {
        qmtest::TableBuilder emo(3, 11);
        emo.U32(0).Text(1).Text(2).Text(3).Text(4).Ref(5).U32(6).U32(7).Ref(8).U32(9).U32(10);
        emo.Set(0, 0, 7).Set(1, 0, "hi").Set(3, 0, "hello").Set(5, 0, {596, 9, 4}).Set(7, 0, 1);
        emo.Set(0, 1, 8).Set(2, 1, "dance").Set(6, 1, 5555).Set(7, 1, 1 << 2);
        emo.Set(0, 2, 9).Set(4, 2, "wave").Set(7, 2, 1 << 1).Set(6, 2, 1000000);
        for (int r = 0; r < 3; ++r) emo.Set(8, r, {10000, 0, 0});
        m_db.Write(EMOTICON_TABLE_FILE, emo);
    }

    // The text of a map of w x h cells that are all open ground.
    static std::string OpenField(int32_t w, int32_t h) {
        std::string text = "map 3\nsize " + std::to_string(w) + " " + std::to_string(h) +
                           "\nlegend . ground 0\nlegend # ground 0 blocked\ncells\n";
        for (int32_t y = 0; y < h; ++y) text += std::string(size_t(w), '.') + "\n";
        return text + "end\n";
    }
    // Loads a map text (qmmap's) whole as the program's map: characters are
    // placed only on a loaded map.
    void LoadField(const std::string& text) {
        maptext::MapFiles files;
        std::string error;
        ASSERT_TRUE(maptext::BuildMapFiles(text, m_ani.Folder(), files, &error)) << error;
        g_pMap = nullptr;
        m_field.Release();
        m_field.Create();
        ASSERT_TRUE(m_field.LoadMapBytes(files.map, "field"));
        if (!files.paths.empty()) {
            auto paths = std::make_unique<CPathData>();
            ASSERT_TRUE(paths->LoadBytes(files.paths.data(), files.paths.size(), "field"));
            m_field.AdoptPathData(std::move(paths));
        }
        m_field.LoadWholeMap();
        g_pMap = &m_field;
    }

    // A monster that turns freely, standing at a tile.
    CChar* MonsterAt(uint32_t id, int32_t tileX, int32_t tileY) {
        CChar* c = Make(CHAR_KIND_MONSTER, id, CHAR_MONSTER_BASE);
        if (c) {
            c->SetPosition(tileX * 24, tileY * 12, 0);
            c->GetData()->SetMotion(MOTION_STAND);
        }
        return c;
    }

    // One frame of a character after ms.
    void CharFrame(CChar* c, uint32_t ms) {
        Clock().Advance(ms);
        c->UpdateFrame(ms, false);
    }

    // A character made by the manager (the character animation).
    CChar* Make(uint8_t kind, uint32_t id, uint32_t resourceId = 0, int32_t slot = -1) {
        if (resourceId == 0)
            resourceId = kind == CHAR_KIND_PLAYER ? kPlayerRes
                         : kind == CHAR_KIND_NPC  ? kNpcRes
                                                  : kMonsterRes;
        return m_mgr->CreateChar(resourceId, id, kind, slot, int32_t(kCharAni));
    }
    // The user's own character, made and ready.
    CChar* MakePlayer(uint32_t id = 1) {
        CCharCreateFields f;
        f.m_charId = id;
        f.m_ownFlag = 1;
        f.m_resourceId = kPlayerRes;
        f.m_tileX = 10;
        f.m_tileY = 10;
        CopyRecordText(f.m_name, "Me");
        CCharCreateMsg msg;
        msg.Set(f);
        return m_mgr->AddOrUpdateChar(msg);
    }
    FakeEffectList* Effects(CChar* c) { return m_effects.lists[c]; }
    std::vector<std::string> BoxTexts() const {
        std::vector<std::string> out;
        for (const auto& b : m_ani.Boxes()) out.push_back(b.text);
        return out;
    }
    plat::FakeClock& Clock() { return m_ani.Clock(); }

    anitest::AniWorld m_ani;
    qmtest::ScopedDatabase m_db;
    ScopedAniObjectHooks m_aniHooks{AniObjectHooks()};
    FakeEffects m_effects;
    ScopedCharEffects m_scopedEffects{m_effects};
    RecordingRequests m_requests;
    FakeSound m_sound;
    ScopedFieldSound m_scopedSound{m_sound};
    FakeEvents m_events;
    ScopedAniEvents m_scopedEvents{m_events};
    CAniPlayMgr m_play;
    CMap m_field;
    std::unique_ptr<CCharResourceMgr> m_resources;
    std::unique_ptr<CCharMgr> m_mgr;
};

}  // namespace chartest
