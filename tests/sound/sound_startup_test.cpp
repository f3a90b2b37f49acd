// The sound manager in its start-up slots: made only with an audio device,
// configured after start-up, and serving the frame, the animations' sound
// nodes, the screenshot and the map while it exists.
#include "sound/sound_startup.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include "anim/ani_services.h"
#include "anim/field_sound.h"
#include "core/config.h"
#include "core/frame_hooks.h"
#include "core/global_objects.h"
#include "graphics/device_set.h"
#include "sound/music_list.h"
#include "sound/sound_mgr.h"
#include "tests/graphics/graphics_fixture.h"
#include "tests/sound/sound_fixture.h"
#include "tests/support/media_writer.h"
#include "tests/support/table_builder.h"
#include "tests/support/temp_dir.h"

namespace {

class SoundGlobalsTest : public GraphicsFixture {
protected:
    void SetUp() override {
        GraphicsFixture::SetUp();
        // The device set makes its own caches.
        g_pSurfaceCache = g_pTextureCache = nullptr;
        m_surfaceCache.reset();
        m_textureCache.reset();
        auto audio = std::make_unique<plat::RecordingAudio>();
        m_audio = audio.get();
        m_oldAudio = plat::SetAudio(std::move(audio));
        ResetSoundSettings(m_dir.Path());
        g_config.m_fullScreen = false;
        for (int table : {MUSIC_NAME_TABLE, HIT_SOUND_TABLE, EFFECT_NAME_TABLE})
            m_db.Write(table, qmtest::TableBuilder(0, 2));
        std::vector<int16_t> samples(4410, 3000);
        m_dir.WriteFile("SOUND/.keep", "");
        ASSERT_TRUE(plat::EncodeSoundFile(m_dir.Path() + "/SOUND/0096.wav", plat::SoundEncoding::kPcm16Wav,
                                          samples, 44100, 1));
        ASSERT_NE(getcwd(m_oldCwd, sizeof m_oldCwd), nullptr);
        ASSERT_EQ(chdir(m_dir.Path().c_str()), 0);
        InstallSoundGlobals();
    }
    void TearDown() override {
        DestroyGlobal(GlobalSlot::SoundConfig);
        DestroyGlobal(GlobalSlot::SoundMgr);
        ClearGlobalFactories();
        ReleaseDirectX();
        DeleteResourceCaches();
        EXPECT_EQ(chdir(m_oldCwd), 0);
        plat::SetAudio(std::move(m_oldAudio));
        g_config = CConfig{};
        GraphicsFixture::TearDown();
    }

    qmtest::TempDir m_dir;
    qmtest::ScopedDatabase m_db;
    plat::RecordingAudio* m_audio = nullptr;
    std::unique_ptr<plat::Audio> m_oldAudio;
    char m_oldCwd[4096] = {};
};

TEST_F(SoundGlobalsTest, TheManagerServesTheFrameTheAnimationsAndTheScreenshot) {
    ASSERT_TRUE(CreateGlobal(GlobalSlot::SoundMgr));
    ASSERT_NE(g_pSoundMgr, nullptr);
    ASSERT_TRUE(CreateGlobal(GlobalSlot::SoundConfig));
    CSoundSystem& system = *g_pSoundMgr->GetSoundSystem();
    EXPECT_EQ(system.GetCurrentProvider(), 1);
    EXPECT_EQ(system.GetCacheSize(), 1000u);
    EXPECT_EQ(system.GetSlotCount(), 100u);

    ASSERT_NE(GetAniSound(), nullptr);
    GetAniSound()->PlaySoundEffect(96, -1, -1);
    EXPECT_EQ(g_pSoundMgr->GetLiveCount(96), 1);
    GetAniSound()->PlaySoundEffect(65536 + 96, -1, -1);  // not effect 96
    EXPECT_EQ(g_pSoundMgr->GetLiveCount(96), 1);
    m_audio->Render(44100 / 5);
    ASSERT_NE(GetSoundFrameClient(), nullptr);
    GetSoundFrameClient()->OnFrame();  // the tick reaps the finished effect
    EXPECT_EQ(g_pSoundMgr->GetLiveCount(96), 0);

    ASSERT_TRUE(InitDirectX());
    EXPECT_TRUE(g_pDirectX->SaveScreenshot());
    EXPECT_EQ(g_pSoundMgr->GetLiveCount(96), 1);

    DestroyGlobal(GlobalSlot::SoundMgr);
    EXPECT_EQ(g_pSoundMgr, nullptr);
    EXPECT_EQ(GetSoundFrameClient(), nullptr);
    EXPECT_EQ(GetAniSound(), nullptr);
    EXPECT_EQ(GetScreenshotSavedHook(), nullptr);
    EXPECT_FALSE(m_audio->IsOpen());
}

TEST_F(SoundGlobalsTest, TheMapsMusicEffectsAndSoundSpotsReachTheManager) {
    qmtest::TableBuilder effects(1, 2);
    effects.Text(0).U16(1).Set(0, 0, "ChikenYell").Set(1, 0, 96);
    m_db.Write(EFFECT_NAME_TABLE, effects);
    std::vector<uint8_t> list;
    ASSERT_TRUE(WriteMusicList({MusicTrack{3, 0, 0, MUSIC_MODE_REPEAT, 0}}, list));
    m_dir.WriteFile("BGM/LIST/" + NumberedPath("", 7, "lst").substr(1),
                    std::string(list.begin(), list.end()));
    ASSERT_TRUE(CreateGlobal(GlobalSlot::SoundMgr));
    ASSERT_TRUE(CreateGlobal(GlobalSlot::SoundConfig));
    IFieldSound* sound = GetFieldSound();
    ASSERT_NE(sound, nullptr);

    // Music: the day's list is started by the next frame.
    sound->ChangeMusicList(7);
    EXPECT_EQ(g_pSoundMgr->GetMusicState(), MUSIC_CHANGING);
    GetSoundFrameClient()->OnFrame();
    EXPECT_TRUE(g_pSoundMgr->IsMusicPlaying());
    EXPECT_EQ(g_pSoundMgr->GetCurrentList(), 7);

    // The morning's effect, by name; ids beyond the effects play nothing.
    const uint16_t id = sound->FindEffectIdByName("ChikenYell");
    EXPECT_EQ(id, 96);
    EXPECT_EQ(sound->FindEffectIdByName("Miss"), 0);
    sound->PlaySoundEffect(id, -1, -1, 1);
    EXPECT_EQ(g_pSoundMgr->GetLiveCount(96), 1);
    sound->PlaySoundEffect(65536 + 96, -1, -1, 1);
    EXPECT_EQ(g_pSoundMgr->GetLiveCount(96), 1);

    // Sound spots: the user's switch, one placed on the map and one heard
    // everywhere, each stopped by its own slot.
    EXPECT_TRUE(sound->AreSoundSpotsOn());
    g_options.SetByte(OPT_AMBIENT_SOUNDS, 0);
    EXPECT_FALSE(sound->AreSoundSpotsOn());
    sound->PlaySlotSound(0, 96, 4, 5, true, 90);
    sound->PlaySlotSound(1, 96, 0, 0, false, 100);
    sound->PlaySlotSound(2, 65536 + 96, 0, 0, false, 100);  // no sound of the manager's
    const EffectSlot& placed = g_pSoundMgr->GetEffectSlot(0);
    const EffectSlot& everywhere = g_pSoundMgr->GetEffectSlot(1);
    EXPECT_TRUE(placed.m_inUse && placed.m_positional);
    EXPECT_EQ(placed.m_key, 0u);
    EXPECT_EQ(placed.m_x, 4);
    EXPECT_EQ(placed.m_y, 5);
    EXPECT_EQ(placed.m_volume, 90);
    EXPECT_TRUE(everywhere.m_inUse && !everywhere.m_positional);
    EXPECT_EQ(everywhere.m_key, 1u);
    EXPECT_EQ(everywhere.m_object->GetVolume(), 100);
    EXPECT_FALSE(g_pSoundMgr->GetEffectSlot(2).m_inUse);
    sound->StopSlotSound(0);
    EXPECT_FALSE(g_pSoundMgr->GetEffectSlot(0).m_inUse);
    EXPECT_TRUE(g_pSoundMgr->GetEffectSlot(1).m_inUse);
    sound->StopSlotSound(1);
    EXPECT_FALSE(g_pSoundMgr->GetEffectSlot(1).m_inUse);

    DestroyGlobal(GlobalSlot::SoundMgr);
    EXPECT_EQ(GetFieldSound(), nullptr);
}

TEST_F(SoundGlobalsTest, MusicListsByNameOfTheMusicNameTable) {
    qmtest::TableBuilder music(2, 2);
    music.Text(0).U32(1).Set(0, 0, "CONNECT_BGM").Set(1, 0, 7).Set(0, 1, "GAMEOVER_BGM").Set(1, 1, 8);
    m_db.Write(MUSIC_NAME_TABLE, music);
    std::vector<uint8_t> list;
    ASSERT_TRUE(WriteMusicList({MusicTrack{3, 0, 0, MUSIC_MODE_REPEAT, 0}}, list));
    m_dir.WriteFile("BGM/LIST/" + NumberedPath("", 8, "lst").substr(1),
                    std::string(list.begin(), list.end()));
    ASSERT_TRUE(CreateGlobal(GlobalSlot::SoundMgr));
    IFieldSound* sound = GetFieldSound();
    ASSERT_NE(sound, nullptr);

    // Names the table does not hold change nothing.
    EXPECT_FALSE(sound->PlayMusicByName("JAPAN_TITLE_BGM"));
    EXPECT_FALSE(sound->PlayMusicByName("gameover_bgm"));
    EXPECT_FALSE(sound->PlayMusicByName(nullptr));
    EXPECT_EQ(g_pSoundMgr->GetMusicState(), MUSIC_IDLE);
    EXPECT_FALSE(g_pSoundMgr->IsMusicPlaying());

    EXPECT_TRUE(sound->PlayMusicByName("GAMEOVER_BGM"));
    EXPECT_EQ(g_pSoundMgr->GetMusicState(), MUSIC_CHANGING);
    GetSoundFrameClient()->OnFrame();
    EXPECT_TRUE(g_pSoundMgr->IsMusicPlaying());
    EXPECT_EQ(g_pSoundMgr->GetCurrentList(), 8);
}

TEST_F(SoundGlobalsTest, WithoutAnAudioDeviceTheProgramRunsSilent) {
    m_audio->FailOpen(true);
    EXPECT_FALSE(CreateGlobal(GlobalSlot::SoundMgr));
    EXPECT_EQ(g_pSoundMgr, nullptr);
    EXPECT_EQ(GetSoundFrameClient(), nullptr);
    EXPECT_EQ(GetAniSound(), nullptr);
    EXPECT_EQ(GetFieldSound(), nullptr);
    EXPECT_TRUE(CreateGlobal(GlobalSlot::SoundConfig));  // nothing to configure
}

}  // namespace
