// The map's stage questions, day and night, weather, lights, sound spots,
// banner, markers and messages.
#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "anim/ani_mgr.h"
#include "anim/ani_play_mgr.h"
#include "anim/darkness_overlay.h"
#include "core/main_mgr.h"
#include "data/item_table_mgr.h"
#include "net/handlers/map_records.h"
#include "tests/anim/ani_test_util.h"
#include "tests/world/flood_check.h"
#include "tests/world/world_fixture.h"
#include "ui/items/item_icon.h"

using namespace worldtest;

namespace {

class MapQueryTest : public WorldFixture {
protected:
    void SetUp() override {
        WorldFixture::SetUp();
        WriteMap("map 3\nsize 14 13\nlegend . ground 0\nlegend # ground 0 blocked nodrop\ncells\n#" +
                 std::string(13, '.') + "\n" + Cells(14, 12) + "end\n");
    }
    void TearDown() override {
        g_pDarknessOverlay = nullptr;
        g_config.m_useServer = false;
        WorldFixture::TearDown();
    }
    // A stage of map 3 with the given property lines (and other groups).
    void Stage(int32_t number, const std::string& properties, const std::string& groups = "") {
        WriteStage(number,
                   "group properties\n  @1 table [ word ] { rows 1 3 }\n" + properties + "end\n" + groups);
    }
    void Enter(uint16_t stage) {
        m_map.Release();
        m_map.Create();
        m_map.LoadStage(stage);
    }
    // A stage without properties entered with every block loaded.
    CMapData& EnterWhole(int32_t stage) {
        Stage(stage, "");
        Enter(uint16_t(stage));
        m_map.LoadWholeMap();
        return *m_map.GetMapData();
    }

    FakeSound m_sound;
    ScopedFieldSound m_scopedSound{m_sound};
    FakeEffects m_effects;
    ScopedFieldEffects m_scopedEffects{m_effects};
    FakeCharacters m_chars;
    ScopedMapCharacters m_scopedChars{m_chars};
};

}  // namespace

TEST_F(MapQueryTest, BattleZonesFromTheServerOrTheStage) {
    struct Case {
        const char* name;
        uint8_t serverFlag, attributes;
        const char* properties;
        bool noBattle, battle, playerBattle;
        size_t boxes;
    };
    const Case cases[] = {
        {"server 0x04", 1, 0x04, "", true, false, false, 0},
        {"server 0x08", 1, 0x08, "", true, false, false, 0},
        {"server 0x0C", 1, 0x0C, "", false, false, false, 0},
        {"server 0x0F", 1, 0x0F, "", false, true, true, 0},
        {"text 0010", 0, 0, "  @16 text \"0010\"\n", false, false, true, 0},
        {"text 0001", 0, 0, "  @16 text \"0001\"\n", false, true, false, 0},
        {"text 001", 0, 0, "  @16 text \"001\"\n", false, false, true, 1},
        {"stage no-battle", 0, 0, "  @4 byte 2\n  @16 text \"0011\"\n", true, false, false, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Stage(20, c.properties);
        Enter(20);
        m_map.m_serverAttrFlag = c.serverFlag;
        m_map.m_attrByte = c.attributes;
        const size_t before = m_boxes.Boxes().size();
        EXPECT_EQ(m_map.IsNoBattleZone(), c.noBattle);
        // Asked twice: a short text is reported once for the stage.
        for (int i = 0; i < 2; ++i) {
            EXPECT_EQ(m_map.IsBattleAllowed(), c.battle);
            EXPECT_EQ(m_map.IsPlayerBattleAllowed(), c.playerBattle);
        }
        EXPECT_EQ(m_boxes.Boxes().size(), before + c.boxes);
    }
    // Skills: anything goes without a server; in a no-battle zone only type 3.
    m_map.m_serverAttrFlag = 1;
    m_map.m_attrByte = 0x04;
    EXPECT_TRUE(m_map.SkillAllowedHere(3000001));
    g_config.m_useServer = true;
    EXPECT_FALSE(m_map.SkillAllowedHere(3000001));
    m_map.m_attrByte = 0;
    EXPECT_TRUE(m_map.SkillAllowedHere(3000001));
}

TEST_F(MapQueryTest, StageValuesAndCells) {
    Stage(20,
          "  @7 byte 4\n  word 6\n  @15 byte 3\n  @27 byte 1\n  byte 2\n  byte 3\n  byte 4\n  byte 5\n"
          "  byte 6\n  byte 7\n  byte 8\n  @45 word 77\n  @48 text \"012\"\n");
    Enter(20);
    m_map.LoadWholeMap();
    EXPECT_EQ(m_map.GetFootstepKind(0), 4);
    EXPECT_EQ(m_map.GetFootstepKind(1), 6);
    EXPECT_EQ(m_map.GetFootstepKind(2), 0);
    EXPECT_TRUE(m_map.IsMapKind3());
    EXPECT_FALSE(m_map.IsMapKind4());
    EXPECT_EQ(m_map.GetMinimapNumber(), 77);
    EXPECT_EQ(m_map.GetStageNumberText(), 12);
    uint8_t eight[8] = {};
    ASSERT_TRUE(m_map.GetEightStageBytes(eight));
    EXPECT_EQ(std::vector<uint8_t>(eight, eight + 8), (std::vector<uint8_t>{1, 2, 3, 4, 5, 6, 7, 8}));
    EXPECT_FALSE(m_map.CanDropItemAt(0, 0));
    EXPECT_TRUE(m_map.CanDropItemAt(1, 0));
    EXPECT_FALSE(m_map.IsPassable(0, 3));
    EXPECT_TRUE(m_map.IsPassable(4, 3));
    m_map.Release();
    EXPECT_EQ(m_map.GetFootstepKind(0), -1);
    EXPECT_FALSE(m_map.GetEightStageBytes(eight));
}

TEST_F(MapQueryTest, TheCockCrowsFromNightToDayOnly) {
    Stage(20, "");
    Enter(20);
    CDarknessOverlay overlay;
    struct Step {
        bool overlay;
        uint8_t night;
        size_t crows;
    };
    // The first setting is night; then day, day, night, day; then day without an overlay.
    const Step steps[] = {{true, 1, 0}, {true, 0, 1},  {true, 0, 1}, {true, 1, 1},
                          {true, 0, 2}, {false, 1, 2}, {false, 0, 2}};
    for (const Step& s : steps) {
        g_pDarknessOverlay = s.overlay ? &overlay : nullptr;
        m_map.SetTimeOfDay(3, 4, s.night);
        EXPECT_EQ(m_sound.effects.size(), s.crows);
    }
    // Music by day and night: property 9 and 10 (0 here, but chosen on every change).
    EXPECT_GE(m_sound.music.size(), 4u);
}

TEST_F(MapQueryTest, TheDayNightFadeRunsThreeSeconds) {
    Stage(20, "");
    Enter(20);
    g_config.m_useServer = true;
    m_map.SetTimeOfDay(0, 0, 1);
    EXPECT_FLOAT_EQ(m_map.GetFadeFactor(), 1.0f);
    m_clock.Advance(1500);
    EXPECT_FLOAT_EQ(m_map.GetFadeFactor(), 0.75f);
    m_clock.Advance(1500);
    EXPECT_EQ(m_map.GetFadeFactor(), 0.0f);
    m_map.SetTimeOfDay(0, 0, 1);  // no change: no fade
    EXPECT_EQ(m_map.GetFadeFactor(), 0.0f);
}

TEST_F(MapQueryTest, TheEntryBannerShowsByItsMode) {
    anitest::AniWorld anis;  // its own folder: point the map's animations there
    g_config.m_folders[FOLDER_ANIMATION] = anis.Folder();
    anis.Write(40, anitest::OneLayer({anitest::Hold(10)}));
    CAniPlayMgr plays;
    g_pAniPlayMgr = &plays;
    Stage(20, "  @6 byte 1\n  @47 aniref 40 0 2\n");  // once per run
    Stage(21, "  @47 aniref 40 0 2\n");               // every time
    Stage(22, "  @6 byte 2\n  @47 aniref 40 0 2\n");  // never
    Stage(23, "  @47 aniref 10000 0 2\n");            // no banner
    const std::pair<uint16_t, size_t> visits[] = {{20, 1}, {20, 1}, {21, 2}, {21, 3},
                                                  {22, 3}, {23, 3}, {20, 3}};
    for (auto [stage, shown] : visits) {
        SCOPED_TRACE(stage);
        Enter(stage);
        m_map.ShowEntryBanner();
        EXPECT_EQ(plays.GetCount(), shown);
    }
    m_map.Release();
    plays.Release();
    g_pAniPlayMgr = nullptr;
}

TEST_F(MapQueryTest, ZoneMarkersNormaliseAndReuseTheirSlot) {
    Stage(20, "");
    Enter(20);
    CZoneMarkerMsg zone;
    zone.Set(5, 8, 8, 0, 0, 0);
    m_map.HandleMessage(zone);
    const MapZoneMarker& m = m_map.ZoneMarker(0);
    EXPECT_EQ(m.m_id, 5u);
    EXPECT_EQ(std::make_tuple(m.m_x, m.m_y, m.m_width, m.m_height), std::make_tuple(0, 0, 2, 2));
    zone.Set(5, 4, 8, 12, 20, 1);  // the same id: the same slot
    m_map.HandleMessage(zone);
    EXPECT_EQ(std::make_tuple(m.m_x, m.m_y, m.m_width, m.m_height), std::make_tuple(96, 96, 2, 3));
    EXPECT_EQ(m_map.ZoneMarker(1).m_id, UINT32_MAX);
    for (uint32_t id = 100; id < 200; ++id) {
        zone.Set(id, 0, 0, 4, 4, 0);
        m_map.HandleMessage(zone);
    }
    EXPECT_EQ(m_map.ZoneMarker(MAP_ZONE_MARKERS - 1).m_id, 198u);  // the last one found no slot
    CZoneMarkerGoneMsg gone;
    gone.Set(5);
    m_map.HandleMessage(gone);
    EXPECT_EQ(m.m_id, UINT32_MAX);
    EXPECT_EQ(m.m_width, -1);
    EXPECT_FALSE(m.m_pieces[0]);
}

TEST_F(MapQueryTest, WeatherFadesTheOldKindBeforeTheNew) {
    Stage(20, "");
    Enter(20);
    m_map.SetWeather(1, 5);
    m_map.ApplyWeather();
    ASSERT_EQ(m_effects.made.size(), 1u);
    FakeEffect* b = m_effects.made[0].second;
    EXPECT_EQ(m_effects.made[0].first, FieldEffectKind::AmbientB);
    EXPECT_EQ(b->strength, 5);
    // The same kind: only its strength.
    m_map.SetWeather(1, 9);
    m_map.ApplyWeather();
    EXPECT_EQ(m_effects.made.size(), 1u);
    EXPECT_EQ(b->strength, 9);
    // Another kind waits for the old one to fade out.
    m_map.SetWeather(2, 3);
    EXPECT_EQ(b->strength, 0);
    m_map.ApplyWeather();
    EXPECT_EQ(m_effects.made.size(), 1u);
    EXPECT_EQ(m_map.m_weatherKind, 1);
    b->fadedOut = true;
    m_map.ApplyWeather();
    ASSERT_EQ(m_effects.made.size(), 2u);
    EXPECT_EQ(m_effects.made[1].first, FieldEffectKind::AmbientA);
    EXPECT_EQ(m_map.m_weatherKind, 2);
    // Kinds outside 0 to 5 change nothing but the request.
    m_map.SetWeather(9, 1);
    m_map.ApplyWeather();
    EXPECT_EQ(m_map.m_weatherKind, 2);
    // Fireflies: one more every 200 ms up to the strength.
    m_map.m_weatherKind = -1;
    m_map.SetWeather(3, 3);
    m_map.ApplyWeather();
    for (int i = 0; i < 5; ++i) {
        m_clock.Advance(200);
        m_map.StepWeather();
    }
    EXPECT_EQ(m_map.m_firefliesShown, 3);
    // Message 83 only while the weather switch is on.
    CWeatherMsg msg;
    msg.Set(5, 2);
    g_weatherOn = 0;
    m_map.HandleMessage(msg);
    EXPECT_EQ(m_map.m_weatherRequest, -1);
    g_weatherOn = 1;
    m_map.HandleMessage(msg);
    EXPECT_EQ(m_map.m_weatherRequest, 5);
}

TEST_F(MapQueryTest, LightsAndSoundSpotsComeFromTheStage) {
    // Group 11, one row a light: the point (entry 1) and the radius (entry 2).
    std::string zeros, points, radii;
    for (int i = 0; i < 60; ++i) {
        zeros += " 0";
        points += " " + std::to_string(i) + " 1";
        radii += " 3";
    }
    const std::string lights =
        "group lists\n  word :" + zeros + "\n  point :" + points + "\n  byte :" + radii + "\nend\n";
    // Group 9, one row a spot: id, byte 3 (0 loops), point, byte 6 (volume), flags
    // (1 day, 2 night, 0x10 in clear weather).
    const std::string spots =
        "group lists\n  word : 0 0 0\n  word : 11 12 13\n  word : 0 0 0\n  byte : 0 1 0\n"
        "  point : 1 1 2 2 3 3\n  word : 0 0 0\n  byte : 90 91 92\n  word : 0 0 0\n"
        "  word : 0 0 0\n  word : 0x11 0x12 0x13\nend\n";
    std::string groups;
    for (int g = 1; g < 12; ++g) groups += g == 9 ? spots : g == 11 ? lights : "group lists\n  word :\nend\n";
    Stage(20, "", groups);
    CDarknessOverlay overlay;
    overlay.Init(800, 600);
    g_pDarknessOverlay = &overlay;
    Enter(20);
    // At most 50 lights.
    EXPECT_EQ(m_map.m_lightCount, MAP_MAX_LIGHTS);
    EXPECT_EQ(overlay.GetLightCount(), size_t(MAP_MAX_LIGHTS));
    EXPECT_EQ(m_map.m_lightTiles[7], (IsoPoint{28, 4}));
    // By day: spots 0 and 2.
    m_sound.slots.clear();
    m_map.RestartSoundSpots();
    ASSERT_EQ(m_sound.slots.size(), 2u);
    EXPECT_EQ(m_sound.slots[0].id, 11u);
    EXPECT_TRUE(m_sound.slots[0].loop);
    EXPECT_EQ(m_sound.slots[0].volume, 90);
    EXPECT_EQ(m_sound.slots[1].id, 13u);
    m_sound.slots.clear();
    m_map.SetTimeOfDay(0, 0, 1);
    ASSERT_EQ(m_sound.slots.size(), 2u);  // spots 1 and 2
    EXPECT_EQ(m_sound.slots[0].id, 12u);
    EXPECT_FALSE(m_sound.slots[0].loop);
    m_map.Release();
    EXPECT_EQ(overlay.GetLightCount(), 0u);
}

TEST_F(MapQueryTest, AMapChangeReloadsTheMapInPlace) {
    struct Scene : CBaseObject, IMapChangeListener {
        std::vector<bool> told;
        void OnMapChange(bool kind3) override { told.push_back(kind3); }
    } scene;
    scene.SetKindId(0);
    CMainMgr main;
    main.AddChild(&scene);
    g_pMainMgr = &main;
    WriteMap("map 4\nsize 30 30\nlegend . ground 0\ncells\n" + Cells(30, 30) + "end\n");
    Stage(20, "  @15 byte 3\n");
    WriteStage(21, "group properties\n  @1 table [ word ] { rows 1 4 }\nend\n");
    Enter(20);
    CMap* before = &m_map;
    CMapChangeMsg change;
    change.Set(21, 1, 0x04, 7);
    m_map.HandleMessage(change);
    EXPECT_EQ(g_pMap, before);
    EXPECT_EQ(m_map.GetStageNumber(), 21);
    EXPECT_EQ(m_map.GetMapFileNumber(), 4);
    ASSERT_NE(m_map.GetMapData(), nullptr);
    EXPECT_EQ(m_map.GetWidth(), 30);
    EXPECT_EQ(std::make_tuple(m_map.m_serverAttrFlag, m_map.m_attrByte, m_map.m_eventByte),
              std::make_tuple(uint8_t(1), uint8_t(0x04), uint8_t(7)));
    EXPECT_TRUE(m_map.IsNoBattleZone());
    EXPECT_EQ(m_chars.removedAll, 1);
    EXPECT_GE(m_chars.resets, 1);
    EXPECT_EQ(m_effects.deletedAll, 1);
    EXPECT_EQ(scene.told, std::vector<bool>{true});  // the old map was of kind 3
    EXPECT_EQ(m_map.m_mapChanged, 1);
    main.DetachChild(&scene);
    g_pMainMgr = nullptr;
}

TEST_F(MapQueryTest, ServerObjectsAndAreaMarkers) {
    Stage(20, "");
    Enter(20);
    m_map.LoadWholeMap();
    CMapData& data = *m_map.GetMapData();
    CFieldObjectMsg object;
    object.Set(9, 1, 2, 2, 2, 6, 6, 40, 0, 1106, 3, 2, 0, 0, 0, std::string(300, 'n').c_str());
    m_map.HandleMessage(object);
    ASSERT_EQ(data.ServerObjects().size(), 1u);
    MapServerObject* o = data.FindObjectByKey(40);
    ASSERT_NE(o, nullptr);
    EXPECT_EQ(std::strlen(o->m_name), 255u);
    EXPECT_EQ(o->m_pAniObject->m_mapX, 4 * 24);  // the rectangle's middle tile
    EXPECT_EQ(o->m_pAniObject->m_mapY, 4 * 12);
    const CAniObject* kept = o->m_pAniObject.get();
    object.Set(10, 1, 2, 0, 0, 2, 2, 40, 0, 1106, 4, 6, 0, 0, 0, "moved");
    m_map.HandleMessage(object);  // same key, same animation: updated in place
    EXPECT_EQ(data.FindObjectByKey(40)->m_pAniObject.get(), kept);
    EXPECT_EQ(data.FindObjectById(10), data.FindObjectByKey(40));
    int32_t x = 0, y = 0;
    data.GetObjectPosition(&x, &y, 24 + 3, 12, 10);  // within 5 units: the character's own point
    EXPECT_EQ(std::make_pair(x, y), std::make_pair(27, 12));
    data.GetObjectPosition(&x, &y, 24 + 100, 12, 10);
    EXPECT_EQ(std::make_pair(x, y), std::make_pair(28, 12));
    data.GetObjectPosition(&x, &y, 0, 0, 11);
    EXPECT_EQ(std::make_pair(x, y), std::make_pair(-1, -1));
    CServerObjectGoneMsg gone;
    gone.Set(10);
    m_map.HandleMessage(gone);
    EXPECT_TRUE(data.ServerObjects().empty());

    CAreaMarkerMsg area;
    area.Set(3, 4, 4, 8, 8);
    m_map.HandleMessage(area);
    EXPECT_TRUE(m_map.IsInAreaMarker(6, 8));
    EXPECT_FALSE(m_map.IsInAreaMarker(9, 8));
    CAreaMarkerGoneMsg areaGone;
    areaGone.Set(3);
    m_map.HandleMessage(areaGone);
    EXPECT_FALSE(m_map.IsInAreaMarker(6, 8));
}

TEST_F(MapQueryTest, ItemsOnTheGroundLieUnderTheServersObjectId) {
    CItemIconFactory icons;
    ScopedItemObjectFactory useIcons{icons};
    CMapData& data = EnterWhole(20);
    // The place comes in tiles; an item the tables do not know keeps the server's name.
    CGroundItemMsg dropped;
    dropped.Set(77, 5001, 1, 0, "Potion", nullptr, CItemRecord(), 6, 3, 0);
    m_map.HandleMessage(dropped);
    CItemObject* item = data.FindGroundItem(77);
    ASSERT_NE(item, nullptr);
    EXPECT_EQ(data.ObjectLayer().ChildCount(), 1);
    EXPECT_EQ(std::string(item->GetName()), "Potion");
    EXPECT_EQ(item->GetMapPoint(), std::make_pair(6, 3));
    EXPECT_EQ(item->GetAniObject()->m_mapX, 6 * 24);
    EXPECT_EQ(item->GetAniObject()->m_mapY, 3 * 12);
    EXPECT_EQ(data.FindGroundItem(5001), nullptr) << "not by its item id";
    // Seen again: the same item, moved, with the new count.
    dropped.Set(77, 5001, 3, 0, "Potion", nullptr, CItemRecord(), 8, 4, 0);
    m_map.HandleMessage(dropped);
    EXPECT_EQ(data.FindGroundItem(77), item);
    EXPECT_EQ(data.ObjectLayer().ChildCount(), 1);
    EXPECT_EQ(item->GetMapPoint(), std::make_pair(8, 4));
    EXPECT_EQ(item->GetCount(), 3u);
    CObjectGoneMsg gone;
    gone.Set(77);
    m_map.HandleMessage(gone);
    EXPECT_EQ(data.FindGroundItem(77), nullptr);
}

TEST_F(MapQueryTest, StageKindsComeFromTable73) {
    WriteKindTable({{"Team", {4, 30, 31}}, {"Club2", {9, 20}}, {"Other", {1, 22}}});
    Stage(20, "");
    Stage(22, "");
    Enter(20);
    EXPECT_EQ(m_map.m_stageKind, STAGE_KIND_CLUB2);
    EXPECT_EQ(m_map.m_stageShown, 9);
    Enter(22);
    EXPECT_EQ(m_map.m_stageKind, STAGE_KIND_NONE);  // a text of no kind
    EXPECT_EQ(m_map.m_stageShown, 1);
}

// The server cannot make the map keep more area markers or items on the
// ground than its limits: what passes them is dropped, the first drop of
// each kind is written once to the console, and the memory stops growing.
TEST_F(MapQueryTest, MarkerAndGroundItemFloodsStopAtTheirLimits) {
    CItemIconFactory icons;
    ScopedItemObjectFactory useIcons{icons};
    CMapData& data = EnterWhole(20);
    const worldtest::Flood floods[] = {
        {"area markers", MAP_MAX_AREA_MARKERS,
         [&](uint32_t id) {
             CAreaMarkerMsg area;
             area.Set(id, 1, 1, 2, 2);
             m_map.HandleMessage(area);
         },
         [&] { return data.AreaMarkers().size(); }},
        {"items on the ground", MAP_MAX_GROUND_ITEMS,
         [&](uint32_t id) {
             CGroundItemMsg item;
             item.Set(id, 5001, 1, 0, "Potion", nullptr, CItemRecord(), 6, 3, 0);
             m_map.HandleMessage(item);
         },
         [&] { return size_t(data.ObjectLayer().ChildCount()); }},
    };
    for (const worldtest::Flood& f : floods) {
        ExpectFloodStopsAtLimit(f);
        f.send(1);  // what is kept is still updated
        EXPECT_EQ(f.kept(), f.limit);
    }
    EXPECT_EQ(data.FindGroundItem(MAP_MAX_GROUND_ITEMS + 1), nullptr);
    ASSERT_NE(data.FindGroundItem(1), nullptr);
}
