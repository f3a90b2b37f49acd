// The sound manager on the recording device: effects and their copies, effect
// slots, the music list file, music played track by track, fades, the volume
// rule and impact sounds chosen from their table.
#include "sound/sound_mgr.h"

#include <gtest/gtest.h>

#include <iterator>
#include <map>

#include "anim/ani_services.h"
#include "anim/iso_view.h"
#include "data/char_resource_mgr.h"
#include "data/game_hooks.h"
#include "data/item_object.h"
#include "data/item_table_mgr.h"
#include "sound/sound_services.h"
#include "tests/sound/sound_fixture.h"

namespace {

using qmtest::ToneLevel;
using qmtest::TonePlan;

class SoundMgrTest : public SoundFixture {
protected:
    void SetUp() override {
        SoundFixture::SetUp();
        MakeFolders();
        qmtest::TableBuilder music(2, 2);
        music.Text(0).U32(1).Set(0, 0, "CONNECT_BGM").Set(1, 0, 7).Set(0, 1, "JAPAN_TITLE_BGM").Set(1, 1, 8);
        m_db.Write(MUSIC_NAME_TABLE, music);
        qmtest::TableBuilder effects(3, 2);
        effects.Text(0).U16(1).Set(0, 0, "Miss").Set(1, 0, 12).Set(0, 1, "ItemGet(Click)").Set(1, 1, 40);
        effects.Set(0, 2, "Miss").Set(1, 2, 13);
        m_db.Write(EFFECT_NAME_TABLE, effects);
        m_db.Write(HIT_SOUND_TABLE, HitTable());
        g_pSoundMgr = m_mgr = new CSoundMgr;
        ASSERT_NE(m_mgr->GetSoundSystem(), nullptr);
        m_mgr->GetSoundSystem()->Select3DProvider(1);
        m_mgr->GetSoundSystem()->SetSampleCacheSize(1000);
        m_mgr->GetSoundSystem()->SetSoundSlotCount(100);
    }
    void TearDown() override {
        delete m_mgr;
        g_pSoundMgr = nullptr;
        SoundFixture::TearDown();
    }

    // Rows: enabled (0), -, attacker kind, target kind, effect.
    static qmtest::TableBuilder HitTable() {
        const int rows[][4] = {{1, 6, 1, 21}, {0, 6, 1, 20}, {0, 8, 3, 22}, {0, 14, 1, 23}, {0, 9, 1, 24}};
        qmtest::TableBuilder t(5, 5);
        t.U16(4);
        for (int r = 0; r < 5; ++r)
            t.Set(0, r, rows[r][0]).Set(2, r, rows[r][1]).Set(3, r, rows[r][2]).Set(4, r, rows[r][3]);
        return t;
    }

    // One frame of the program: the manager's tick, then a frame's worth of sound.
    std::vector<int16_t> Frame() {
        m_mgr->Update();
        return Render(33);
    }
    CSoundSystem& System() { return *m_mgr->GetSoundSystem(); }
    void WriteList(uint32_t number, const std::vector<MusicTrack>& tracks) {
        std::vector<uint8_t> bytes;
        ASSERT_TRUE(WriteMusicList(tracks, bytes));
        m_dir.WriteFile("BGM/LIST/" + NumberedPath("", number, "lst").substr(1),
                        std::string(bytes.begin(), bytes.end()));
    }

    qmtest::ScopedDatabase m_db;
    CSoundMgr* m_mgr = nullptr;
};

TEST_F(SoundMgrTest, AFourthCopyWaitsUntilOneIsReaped) {
    WriteLevelEffect(5, 4000, 100);
    for (int i = 0; i < 3; ++i) EXPECT_NE(m_mgr->PlaySoundEffect(5, -1, -1, 1), nullptr);
    EXPECT_EQ(m_mgr->PlaySoundEffect(5, -1, -1, 1), nullptr);
    EXPECT_EQ(m_mgr->GetLiveCount(5), 3);
    m_mgr->Update();  // all still playing
    EXPECT_EQ(m_mgr->GetLiveCount(5), 3);
    Render(150);
    m_mgr->Update();
    EXPECT_EQ(m_mgr->GetLiveCount(5), 0);
    EXPECT_EQ(System().FindSound(5, SOUND_SAMPLE), nullptr);
    EXPECT_NE(m_mgr->PlaySoundEffect(5, -1, -1, 1), nullptr);
}

TEST_F(SoundMgrTest, EffectIdsAndSwitches) {
    WriteLevelEffect(999, 4000, 100);
    WriteLevelEffect(1000, 4000, 100);
    EXPECT_NE(m_mgr->PlaySoundEffect(999, -1, -1, 1), nullptr);
    EXPECT_EQ(m_mgr->PlaySoundEffect(1000, -1, -1, 1), nullptr);
    EXPECT_EQ(m_mgr->PlaySoundEffect(998, -1, -1, 1), nullptr);  // no file
    g_options.SetByte(OPT_EFFECTS_OFF, 1);
    EXPECT_EQ(m_mgr->PlaySoundEffect(999, -1, -1, 1), nullptr);
}

TEST_F(SoundMgrTest, UnplacedEffectsPlayAtTheOptionVolumePlacedOnesByTheirPoint) {
    WriteLevelEffect(5, 12700, 300);
    g_options.SetU32(OPT_EFFECT_VOLUME, 50);
    CSoundSample* unplaced = m_mgr->PlaySoundEffect(5, -1, -1, 1);
    EXPECT_EQ(unplaced->GetVolume(), 63);
    EXPECT_EQ(System().GetDriver()->GetPan(unplaced->m_handle), 64);
    // 400 pixels left of the centre: 42 from the distance, half of it by the option.
    CSoundSample* placed = m_mgr->PlaySoundEffect(5, 0, 300, 1);
    EXPECT_EQ(placed->GetLevel(), 42);
    EXPECT_EQ(placed->GetVolume(), 21);
    const std::vector<int16_t> mix = Render(50);
    EXPECT_NEAR(mix[1000], 12700 * (63 + 21) / 127.0, 2.0);
    EXPECT_NEAR(mix[1001], 12700 * 63 / 127.0, 2.0);  // the placed one is all left
}

// The options file is the user's: a volume above 100 percent plays at full
// volume, whatever its size.
TEST_F(SoundMgrTest, VolumeOptionsAbove100PercentPlayAtFullVolume) {
    WriteLevelEffect(5, 12700, 300);
    WriteStream(1, {{{300.0, 1000}}, 44100, 1, 0.5});
    CSoundObject* music = System().CreateSound(1, SOUND_STREAM);
    for (uint32_t percent : {101u, 250u, 0x7FFFFFFFu, 0xFFFFFFFFu}) {
        SCOPED_TRACE(percent);
        g_options.SetU32(OPT_EFFECT_VOLUME, percent);
        g_options.SetU32(OPT_MUSIC_VOLUME, percent);
        CSoundSample* unplaced = m_mgr->PlaySoundEffect(5, -1, -1, 1);
        ASSERT_NE(unplaced, nullptr);
        EXPECT_EQ(unplaced->GetVolume(), 127);
        CSoundSample* placed = m_mgr->PlaySoundEffect(5, 400, 300, 1);  // the centre: level 127
        ASSERT_NE(placed, nullptr);
        EXPECT_EQ(placed->GetVolume(), 127);
        m_mgr->ApplyVolume(music, 127);
        EXPECT_EQ(music->GetVolume(), 127);
        unplaced->Stop();
        placed->Stop();
        m_mgr->Update();  // reaped, so the next round has its copies
    }
}

TEST_F(SoundMgrTest, EffectsAndMusicByName) {
    EXPECT_EQ(m_mgr->FindEffectIdByName("Miss"), 12);  // the first row wins
    EXPECT_EQ(m_mgr->FindEffectIdByName("ItemGet(Click)"), 40);
    EXPECT_EQ(m_mgr->FindEffectIdByName("miss"), 0);
    EXPECT_EQ(m_mgr->FindEffectIdByName(nullptr), 0);
    EXPECT_EQ(m_mgr->FindMusicIdByName("JAPAN_TITLE_BGM"), 8u);
    EXPECT_EQ(m_mgr->FindMusicIdByName("GAMEOVER_BGM"), 0u);
}

TEST_F(SoundMgrTest, SlotSoundsWithoutSoundOrSlots) {
    WriteLevelEffect(30, 4000, 100);
    EXPECT_TRUE(m_mgr->PlaySlotSound(1, uint16_t(NO_SOUND_ID), 0, 0, 0, 100));
    EXPECT_FALSE(m_mgr->GetEffectSlot(0).m_inUse);
    EXPECT_FALSE(m_mgr->PlaySlotSound(1, 31, 0, 0, 0, 100));  // no such sound
    EXPECT_FALSE(m_mgr->GetEffectSlot(0).m_inUse);
    g_options.SetByte(OPT_EFFECTS_OFF, 1);
    EXPECT_TRUE(m_mgr->PlaySlotSound(1, 30, 0, 0, 0, 100));
    EXPECT_FALSE(m_mgr->GetEffectSlot(0).m_inUse);
    g_options.SetByte(OPT_EFFECTS_OFF, 0);
    // The sound system's 99 objects run out before the 100 slots.
    for (int i = 0; i < 99; ++i) EXPECT_TRUE(m_mgr->PlaySlotSound(uint32_t(i), 30, 0, 0, 0, 100));
    EXPECT_FALSE(m_mgr->PlaySlotSound(99, 30, 0, 0, 0, 100));
    EXPECT_FALSE(m_mgr->GetEffectSlot(99).m_inUse);
    EXPECT_TRUE(m_mgr->StopSlotSound(12345));  // no such key
}

TEST_F(SoundMgrTest, EachSlotKeepsItsOwnSoundOfOneId) {
    WriteLevelEffect(30, 4000, 100);
    ASSERT_TRUE(m_mgr->PlaySlotSound(1, 30, 0, 0, 0, 100));
    ASSERT_TRUE(m_mgr->PlaySlotSound(2, 30, 0, 0, 0, 100));
    CSoundObject* first = m_mgr->GetEffectSlot(0).m_object;
    CSoundObject* second = m_mgr->GetEffectSlot(1).m_object;
    ASSERT_NE(first, second);
    const uint32_t secondSlot = second->m_slot;
    EXPECT_TRUE(m_mgr->StopSlotSound(2));
    EXPECT_FALSE(m_mgr->GetEffectSlot(1).m_inUse);
    // Slot 1's sound plays on; slot 2's is gone.
    EXPECT_EQ(System().FindSound(30, SOUND_SAMPLE), first);
    EXPECT_EQ(System().GetSlot(secondSlot), nullptr);
    EXPECT_FALSE(first->IsFinished());
    EXPECT_EQ(first->GetVolume(), 100);
    // Slot sounds loop until stopped and are never reaped.
    Render(300);
    m_mgr->Update();
    EXPECT_FALSE(first->IsFinished());
    EXPECT_TRUE(m_mgr->StopSlotSound(1));
    EXPECT_EQ(System().FindSound(30, SOUND_SAMPLE), nullptr);
}

// A map view for the positional slots.
struct FakeField : IAniField {
    CIsoView view;
    const CIsoView* GetIsoView() override { return &view; }
    bool TriggerEffectSlot(uint32_t, uint32_t, bool) override { return false; }
    IsoPoint GetScrollPosition() override { return {}; }
};

TEST_F(SoundMgrTest, PositionalSlotsAreSilentWithoutAMapAndPlacedOnIt) {
    WriteLevelEffect(30, 12700, 500);
    ASSERT_TRUE(m_mgr->PlaySlotSound(5, 30, 4, 4, 1, 100));
    auto* object = static_cast<CSound3DSample*>(m_mgr->GetEffectSlot(0).m_object);
    ASSERT_EQ(object->m_kind, SOUND_3D_SAMPLE);
    EXPECT_EQ(object->GetVolume(), 0);  // placed by the tick
    m_mgr->Update();
    EXPECT_EQ(object->GetVolume(), 0);  // no map

    FakeField field;
    SetAniField(&field);
    // Cell (4, 4) at (384, 0) - camera: the camera puts it 200 pixels right of the centre.
    field.view.m_cameraX = 384 - 600;
    field.view.m_cameraY = -300;
    m_mgr->Update();
    EXPECT_EQ(object->GetVolume(), 100);
    const std::vector<int16_t> mix = Render(50);
    // 200 pixels away: half the gain; right of the centre: the left side lowered.
    EXPECT_NEAR(mix[1001], 12700 * 100 / 127.0 * 0.5, 3.0);
    EXPECT_NEAR(mix[1000], 12700 * 100 / 127.0 * 0.5 * (127 - 95) / 63.0, 3.0);
    // Farther from the centre than the screen is wide: silent.
    field.view.m_cameraX = 384 - 1300;
    m_mgr->Update();
    EXPECT_EQ(object->GetVolume(), 0);
    SetAniField(nullptr);
}

// Sound spots come from map files: one placed at the far ends of the number
// range is silent, like any spot off the screen.
TEST_F(SoundMgrTest, SoundSpotsFarOffTheMapAreSilent) {
    WriteLevelEffect(30, 12700, 500);
    FakeField field;
    ScopedAniField scopedField(field);
    const std::pair<int32_t, int32_t> cells[] = {{INT32_MAX, INT32_MAX},
                                                 {INT32_MIN, INT32_MIN},
                                                 {INT32_MAX, INT32_MIN},
                                                 {INT32_MIN, 3},
                                                 {4, INT32_MAX}};
    uint32_t key = 0;
    for (const auto& [x, y] : cells) ASSERT_TRUE(m_mgr->PlaySlotSound(key++, 30, x, y, 1, 100));
    m_mgr->Update();
    for (int slot = 0; slot < int(std::size(cells)); ++slot)
        EXPECT_EQ(m_mgr->GetEffectSlot(slot).m_object->GetVolume(), 0) << slot;
    EXPECT_EQ(qmtest::PeakLevel(Render(50), 2, 0), 0);
}

TEST(MusicListFile, RecordsAreReadWholeAndAtMostAHundred) {
    struct Case {
        const char* name;
        std::vector<uint8_t> bytes;
        size_t tracks;  // 0: refused
    };
    std::vector<uint8_t> hundredAndOne = {0, 101};
    for (int i = 0; i < 101; ++i) hundredAndOne.insert(hundredAndOne.end(), {uint8_t(i), 0, 0, 0, 100, 0, 0});
    const Case cases[] = {
        {"empty", {}, 0},
        {"header only", {0, 0}, 0},
        {"count without records", {0, 2}, 0},
        {"modes 0, 1 and 2", {9, 3, 1, 0, 2, 0, 3, 0, 0, 2, 0, 0, 0, 0, 0, 1, 4, 3, 0, 0, 0, 0, 0, 2, 0}, 3},
        {"second record cut", {0, 2, 1, 0, 2, 0, 3, 0, 0, 2, 0, 0, 0}, 1},
        {"mode value cut", {0, 2, 1, 0, 2, 0, 3, 0, 0, 2, 0, 0, 0, 0, 0, 1}, 1},
        {"count smaller than the records", {0, 1, 1, 0, 2, 0, 3, 0, 0, 2, 0, 0, 0, 0, 0, 0}, 1},
        {"101 records", hundredAndOne, 100},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<MusicTrack> tracks;
        EXPECT_EQ(ParseMusicList(c.bytes.data(), c.bytes.size(), tracks), c.tracks > 0);
        EXPECT_EQ(tracks.size(), c.tracks);
    }
    std::vector<MusicTrack> tracks;
    const std::vector<uint8_t> three = cases[3].bytes;
    ASSERT_TRUE(ParseMusicList(three.data(), three.size(), tracks));
    EXPECT_EQ(tracks[0].m_streamId, 1u);
    EXPECT_EQ(tracks[0].m_start, 20u);
    EXPECT_EQ(tracks[0].m_end, 30u);
    EXPECT_EQ(tracks[1].m_mode, MUSIC_MODE_CROSSFADE);
    EXPECT_EQ(tracks[1].m_modeValue, 4);
    EXPECT_EQ(tracks[2].m_mode, MUSIC_MODE_REPEAT);
    EXPECT_EQ(tracks[2].m_modeValue, 0);
    // What the writer makes reads back.
    std::vector<uint8_t> written;
    ASSERT_TRUE(WriteMusicList(tracks, written));
    std::vector<uint8_t> expected = three;
    expected[0] = 0;  // the reserved byte is written as 0
    EXPECT_EQ(written, expected);
}

TEST_F(SoundMgrTest, AMissingOrEmptyListLeavesTheMusicStopped) {
    EXPECT_FALSE(m_mgr->PlayMusicList(3, 0));
    EXPECT_FALSE(m_mgr->PlayMusicList(int32_t(NO_SOUND_ID), 0));
    m_dir.WriteFile("BGM/LIST/0004.lst", std::string("\0\0", 2));
    EXPECT_FALSE(m_mgr->PlayMusicList(4, 0));
    EXPECT_FALSE(m_mgr->IsMusicPlaying());
    EXPECT_EQ(m_mgr->GetMusicState(), MUSIC_IDLE);
    EXPECT_TRUE(m_boxes.Boxes().empty());
    g_options.SetByte(OPT_MUSIC_OFF, 1);
    EXPECT_TRUE(m_mgr->PlayMusicList(3, 0));  // switched off: nothing to do
}

// The stream played now and where it is.
struct Step {
    uint32_t stream;
    uint32_t position;
};

TEST_F(SoundMgrTest, AListPlaysItsTracksInOrderWithRepeatsCrossFadesAndWrap) {
    WriteStream(1, {{{300.0, 2000}}, 44100, 1, 0.5});
    WriteStream(2, {{{500.0, 1000}}, 44100, 1, 0.5});
    WriteStream(3, {{{700.0, 3000}}, 44100, 1, 0.5});
    WriteList(7, {{1, 0, 1500, MUSIC_MODE_ONCE, 0},
                  {2, 100, 500, MUSIC_MODE_REPEAT, 2},
                  {3, 0, 2000, MUSIC_MODE_CROSSFADE, 1}});
    ASSERT_TRUE(m_mgr->PlayMusicList(7, 0));
    EXPECT_EQ(m_mgr->GetTrackCount(), 3);
    std::vector<Step> steps;
    bool heardBoth = false;
    for (int frame = 0; frame < 170; ++frame) {
        const std::vector<int16_t> mix = Frame();
        CSoundStream* current = m_mgr->GetCurrentStream();
        ASSERT_NE(current, nullptr);
        steps.push_back({current->m_soundId, current->GetMsPosition()});
        if (current->m_soundId == 3 && current->GetMsPosition() > 1400 && current->GetMsPosition() < 1600)
            heardBoth = ToneLevel(mix, 2, 0, 700.0) > 3000 && ToneLevel(mix, 2, 0, 300.0) > 3000;
    }
    // The order of the streams, and where each took over.
    std::vector<Step> changes;
    for (size_t i = 0; i < steps.size(); ++i)
        if (i == 0 || steps[i].stream != steps[i - 1].stream ||
            steps[i].position + 200 < steps[i - 1].position)
            changes.push_back(steps[i]);
    ASSERT_GE(changes.size(), 6u);
    EXPECT_EQ(changes[0].stream, 1u);
    EXPECT_EQ(changes[1].stream, 2u);  // track 2 ...
    EXPECT_NEAR(changes[1].position, 133.0, 40.0);
    EXPECT_EQ(changes[2].stream, 2u);  // ... repeated once from its start
    EXPECT_NEAR(changes[2].position, 133.0, 40.0);
    EXPECT_EQ(changes[3].stream, 3u);
    EXPECT_EQ(changes[4].stream, 1u);  // the list wraps; track 1 was faded in already
    EXPECT_NEAR(changes[4].position, 1000.0, 80.0);
    EXPECT_EQ(changes[5].stream, 2u);
    EXPECT_TRUE(heardBoth);
}

TEST_F(SoundMgrTest, ACrossFadeMovesBothVolumes) {
    WriteStream(3, {{{700.0, 3000}}, 44100, 1, 0.5});
    WriteStream(1, {{{300.0, 3000}}, 44100, 1, 0.5});
    WriteList(9, {{3, 0, 2000, MUSIC_MODE_CROSSFADE, 1}, {1, 0, 2000, MUSIC_MODE_ONCE, 0}});
    ASSERT_TRUE(m_mgr->PlayMusicList(9, 0));
    std::map<int, std::pair<int32_t, int32_t>> volumes;  // by current position in 100 ms
    for (int frame = 0; frame < 62; ++frame) {
        Frame();
        CSoundStream* current = m_mgr->GetCurrentStream();
        if (current->m_soundId != 3) break;
        volumes[int(current->GetMsPosition() / 100)] = {current->GetVolume(),
                                                        m_mgr->GetNextStream()->GetVolume()};
    }
    ASSERT_TRUE(volumes.count(5) && volumes.count(15) && volumes.count(19));
    EXPECT_EQ(volumes[5].first, 127);
    EXPECT_NEAR(volumes[15].first, 63, 6);
    EXPECT_NEAR(volumes[15].second, 63, 6);
    EXPECT_LT(volumes[19].first, 15);
    EXPECT_GT(volumes[19].second, 110);
}

TEST_F(SoundMgrTest, ACrossFadeOfNoLengthChangesAtTheEndPoint) {
    WriteStream(3, {{{700.0, 1000}}, 44100, 1, 0.5});
    WriteStream(1, {{{300.0, 1000}}, 44100, 1, 0.5});
    WriteList(9, {{3, 0, 300, MUSIC_MODE_CROSSFADE, 0}, {1, 0, 300, MUSIC_MODE_ONCE, 0}});
    ASSERT_TRUE(m_mgr->PlayMusicList(9, 0));
    uint32_t lastOfFirst = 0;
    for (int frame = 0; frame < 12; ++frame) {
        Frame();
        CSoundStream* current = m_mgr->GetCurrentStream();
        if (current->m_soundId == 3) {
            EXPECT_EQ(current->GetVolume(), 127);
            EXPECT_TRUE(m_mgr->GetNextStream()->IsFinished());  // not started early
            lastOfFirst = current->GetMsPosition();
        } else {
            EXPECT_EQ(current->GetVolume(), 127);
            EXPECT_LT(current->GetMsPosition(), 100u);  // from its start
        }
    }
    EXPECT_GE(lastOfFirst, 264u);
    EXPECT_EQ(m_mgr->GetCurrentStream()->m_soundId, 1u);
}

TEST_F(SoundMgrTest, OneTrackRepeatedThreeTimesThenStartedAgain) {
    WriteStream(2, {{{500.0, 1000}}, 44100, 1, 0.5});
    WriteList(5, {{2, 0, 200, MUSIC_MODE_REPEAT, 3}});
    ASSERT_TRUE(m_mgr->PlayMusicList(5, 0));
    std::vector<CSoundStream*> objects;
    int restarts = 0;
    uint32_t last = 0;
    for (int frame = 0; frame < 40; ++frame) {
        Frame();
        CSoundStream* current = m_mgr->GetCurrentStream();
        if (objects.empty() || objects.back() != current) objects.push_back(current);
        if (current->GetMsPosition() < last) ++restarts;
        last = current->GetMsPosition();
    }
    // Three plays of one object, then the list's next track: the same file in a new object.
    ASSERT_GE(objects.size(), 2u);
    EXPECT_EQ(objects[1]->m_soundId, 2u);
    EXPECT_GE(restarts, 3);
}

TEST_F(SoundMgrTest, AStreamThatCannotBeMadeIsTriedAgainNextFrame) {
    WriteStream(1, {{{300.0, 1000}}, 44100, 1, 0.5});
    WriteLevelEffect(30, 0, 100);  // silent
    WriteList(7, {{1, 0, 1000, MUSIC_MODE_ONCE, 0}});
    // Every one of the 99 sound objects is in use.
    for (uint32_t key = 0; key < 99; ++key) ASSERT_TRUE(m_mgr->PlaySlotSound(key, 30, 0, 0, 0, 100));
    ASSERT_TRUE(m_mgr->PlayMusicList(7, 0));
    for (int i = 0; i < 3; ++i) Frame();
    EXPECT_EQ(m_mgr->GetCurrentStream(), nullptr);
    EXPECT_EQ(m_mgr->GetNextTrackIndex(), 0);
    // Two objects free again: the list starts with its first track.
    m_mgr->StopSlotSound(0);
    m_mgr->StopSlotSound(1);
    Frame();
    ASSERT_NE(m_mgr->GetCurrentStream(), nullptr);
    EXPECT_EQ(m_mgr->GetCurrentStream()->m_soundId, 1u);
    EXPECT_GT(ToneLevel(Frame(), 2, 0, 300.0), 8000.0);
}

TEST_F(SoundMgrTest, FadesTakeTwentySixFrames) {
    WriteStream(1, {{{300.0, 3000}}, 44100, 1, 0.5});
    WriteStream(2, {{{500.0, 3000}}, 44100, 1, 0.5});
    WriteList(7, {{1, 0, 3000, MUSIC_MODE_ONCE, 0}});
    WriteList(8, {{2, 0, 3000, MUSIC_MODE_ONCE, 0}});
    ASSERT_TRUE(m_mgr->PlayMusicList(7, 1));
    EXPECT_EQ(m_mgr->GetMusicFadeLevel(), 0);
    for (int i = 0; i < 25; ++i) Frame();
    EXPECT_EQ(m_mgr->GetMusicState(), MUSIC_FADING_IN);
    EXPECT_EQ(m_mgr->GetMusicFadeLevel(), 125);
    Frame();
    EXPECT_EQ(m_mgr->GetMusicState(), MUSIC_IDLE);
    EXPECT_EQ(m_mgr->GetMusicFadeLevel(), 127);
    EXPECT_EQ(m_mgr->GetCurrentStream()->GetVolume(), 127);

    // The list already playing: nothing changes.
    EXPECT_TRUE(m_mgr->ChangeMusicList(7));
    EXPECT_EQ(m_mgr->GetMusicState(), MUSIC_IDLE);
    // Another list: 26 frames out, then the new one fades in.
    EXPECT_TRUE(m_mgr->ChangeMusicList(8));
    for (int i = 0; i < 25; ++i) Frame();
    EXPECT_EQ(m_mgr->GetCurrentList(), 7);
    EXPECT_EQ(m_mgr->GetMusicFadeLevel(), 2);
    Frame();
    EXPECT_EQ(m_mgr->GetCurrentList(), 8);
    EXPECT_EQ(m_mgr->GetMusicState(), MUSIC_FADING_IN);
    EXPECT_EQ(System().FindSound(1, SOUND_STREAM), nullptr);  // the old list's streams went
    Frame();
    EXPECT_EQ(m_mgr->GetCurrentStream()->m_soundId, 2u);
    EXPECT_EQ(m_mgr->GetCurrentStream()->GetVolume(), 5);

    for (int i = 0; i < 30; ++i) Frame();
    m_mgr->FadeOutMusic();
    for (int i = 0; i < 25; ++i) Frame();
    EXPECT_TRUE(m_mgr->IsMusicPlaying());
    Frame();
    EXPECT_FALSE(m_mgr->IsMusicPlaying());
    EXPECT_EQ(m_mgr->GetMusicState(), MUSIC_IDLE);
    EXPECT_EQ(System().FindSound(2, SOUND_STREAM), nullptr);
    EXPECT_EQ(qmtest::PeakLevel(Render(50), 2, 0), 0);
}

// A visual event with its own music volume.
struct FakeEvents : IAniEvents, ISoundEvents {
    bool running = false;
    int32_t volume = 127;
    bool IsVisualEventRunning() override { return running; }
    bool IsFieldScriptRunning() override { return false; }
    bool IsInputLocked() override { return false; }
    int32_t GetEventMusicVolume() override { return volume; }
};

TEST_F(SoundMgrTest, VolumeRule) {
    WriteStream(1, {{{300.0, 1000}}, 44100, 1, 0.5});
    WriteLevelEffect(5, 4000, 500);
    FakeEvents events;
    SetAniEvents(&events);
    ScopedSoundEvents scoped(events);
    CSoundObject* music = System().CreateSound(1, SOUND_STREAM);
    CSoundObject* effect = System().CreateSound(5, SOUND_SAMPLE);
    struct Case {
        uint32_t musicPercent, effectPercent;
        bool eventRunning;
        int32_t eventVolume, level;
        int32_t music, effect;
    };
    const Case cases[] = {
        {50, 100, false, 0, 127, 63, 127},  // the option halves the music
        {100, 50, false, 0, 127, 127, 63},    {100, 100, true, 64, 127, 64, 127},  // an event's music volume
        {100, 100, false, 64, 127, 127, 127},                                      // ... only while one runs
        {100, 100, false, 0, 128, 127, 127},                                       // held to 127
        {0, 0, false, 0, 127, 0, 0},
    };
    for (const Case& c : cases) {
        g_options.SetU32(OPT_MUSIC_VOLUME, c.musicPercent);
        g_options.SetU32(OPT_EFFECT_VOLUME, c.effectPercent);
        events.running = c.eventRunning;
        events.volume = c.eventVolume;
        EXPECT_TRUE(m_mgr->ApplyVolume(music, c.level));
        EXPECT_TRUE(m_mgr->ApplyVolume(effect, c.level));
        EXPECT_EQ(music->GetVolume(), c.music);
        EXPECT_EQ(effect->GetVolume(), c.effect);
    }
    EXPECT_FALSE(m_mgr->ApplyVolume(nullptr, 10));
    // The options window's refresh applies the kept levels again.
    g_options.SetU32(OPT_MUSIC_VOLUME, 100);
    g_options.SetU32(OPT_EFFECT_VOLUME, 100);
    m_mgr->ApplyVolume(music, 100);
    m_mgr->ApplyVolume(effect, 100);
    g_options.SetU32(OPT_MUSIC_VOLUME, 50);
    g_options.SetU32(OPT_EFFECT_VOLUME, 50);
    m_mgr->RefreshVolumes(1, 0);
    EXPECT_EQ(music->GetVolume(), 50);
    EXPECT_EQ(effect->GetVolume(), 100);
    m_mgr->RefreshVolumes(0, 1);
    EXPECT_EQ(effect->GetVolume(), 50);
    SetAniEvents(nullptr);
}

// Characters of an impact, by address.
struct FakeCharacters : ISoundCharacters {
    struct Info {
        uint16_t type;
        uint32_t id;
        int32_t x, y;
    };
    std::map<CChar*, Info> chars;
    uint16_t GetCharType(CChar* c) override { return chars.at(c).type; }
    uint32_t GetResourceId(CChar* c) override { return chars.at(c).id; }
    std::pair<int32_t, int32_t> GetScreenPoint(CChar* c) override { return {chars.at(c).x, chars.at(c).y}; }
};

struct FakeWorld : IGameWorldHooks {
    CChar* armed = nullptr;
    CItemObject* weapon = nullptr;
    CItemObject* GetItemInSlot(CChar* c, int slot) override {
        return c == armed && slot == 2 ? weapon : nullptr;
    }
};

TEST_F(SoundMgrTest, ImpactSoundsComeFromTheTableByAttackerAndTarget) {
    for (uint32_t id = 20; id <= 24; ++id) WriteLevelEffect(id, 4000, 100);
    qmtest::TableBuilder monsters(2, 16);
    monsters.Set(14, 1, 14).Set(15, 1, 3);
    m_db.Write(CCharResourceMgr::MONSTER_FILE, monsters);
    qmtest::TableBuilder items(1, 20);
    items.Set(ITEM_COL_BYTE_14, 0, 9);
    m_db.Write(CItemTableMgr::ITEM_TABLE_FILE, items);
    CCharResourceMgr resources;
    g_pCharResourceMgr = &resources;
    g_pItemTableMgr = new CItemTableMgr;
    CItemObject sword;
    sword.Init(0, 0);

    CChar* const player = reinterpret_cast<CChar*>(0x100);
    CChar* const armed = reinterpret_cast<CChar*>(0x200);
    CChar* const monster = reinterpret_cast<CChar*>(0x300);
    CChar* const npc = reinterpret_cast<CChar*>(0x400);
    CChar* const pet = reinterpret_cast<CChar*>(0x500);
    FakeCharacters chars;
    chars.chars = {{player, {0, PLAYER_ID_BASE, 10, 20}},
                   {armed, {0, PLAYER_ID_BASE + 1, 30, 40}},
                   {monster, {2, MONSTER_ID_BASE + 1, 50, 60}},
                   {npc, {1, NPC_ID_BASE, 0, 0}},
                   {pet, {3, MONSTER_ID_BASE + 1, 0, 0}}};
    FakeWorld world;
    world.armed = armed;
    world.weapon = &sword;
    SetGameWorldHooks(&world);
    ScopedSoundCharacters scoped(chars);

    struct Case {
        const char* name;
        CChar *attacker, *target;
        uint8_t forced;
        bool result;
        int effect;  // 0: none played
        int32_t x;
    };
    const Case cases[] = {
        {"bare hands on a player (the disabled row skipped)", player, player, 0, true, 20, 10},
        {"a weapon of kind 9", armed, player, 0, true, 24, 30},
        {"a monster's own kind", monster, player, 0, true, 23, 50},
        {"forced, on a monster's kind", player, monster, 1, true, 22, 10},
        {"an NPC has no kind", npc, player, 0, true, 0, 0},
        {"a pet as target has no kind", player, pet, 0, true, 0, 0},
        {"no row for the pair", monster, monster, 0, true, 0, 0},
        {"no target", player, nullptr, 0, false, 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(m_mgr->PlayHitSound(c.attacker, c.target, c.forced), c.result);
        int played = 0;
        for (int id = 20; id <= 24; ++id)
            if (CSoundObject* s = System().FindSound(uint32_t(id), SOUND_SAMPLE)) {
                played = id;
                int32_t x = 0, y = 0;
                s->GetPosition(&x, &y);
                EXPECT_EQ(x, c.x);
                System().ReleaseSound(s->m_slot);
            }
        EXPECT_EQ(played, c.effect);
    }
    g_options.SetByte(OPT_EFFECTS_OFF, 1);
    EXPECT_TRUE(m_mgr->PlayHitSound(player, player, 0));
    EXPECT_EQ(System().FindSound(20, SOUND_SAMPLE), nullptr);

    SetGameWorldHooks(nullptr);
    delete g_pItemTableMgr;
    g_pItemTableMgr = nullptr;
    g_pCharResourceMgr = nullptr;
}

TEST_F(SoundMgrTest, WithoutADeviceThereIsNoSoundSystem) {
    delete m_mgr;
    g_pSoundMgr = m_mgr = nullptr;
    m_audio->FailOpen(true);
    m_mgr = new CSoundMgr;
    EXPECT_EQ(m_mgr->GetSoundSystem(), nullptr);
    EXPECT_EQ(m_mgr->PlaySoundEffect(1, -1, -1, 1), nullptr);
    EXPECT_TRUE(m_mgr->Update());
}

}  // namespace
