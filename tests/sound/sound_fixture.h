// Sound tests run on the recording audio device, with the sound folders in a
// temporary folder and the manager's tables in a database of their own.
#pragma once
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "core/config.h"
#include "platform/audio.h"
#include "platform/message_box.h"
#include "sound/sound_system.h"
#include "tests/support/media_writer.h"
#include "tests/support/table_builder.h"
#include "tests/support/temp_dir.h"

// Default options (volumes at 100) and settings, with the sound folders below dir.
inline void ResetSoundSettings(const std::string& dir) {
    g_options = COptions{};
    InitDefaultOptions();
    g_config = CConfig{};
    g_config.m_folders[FOLDER_MILES] = dir + "/MILES";
    g_config.m_folders[FOLDER_SOUND] = dir + "/SOUND";
    g_config.m_folders[FOLDER_BGM_LIST] = dir + "/BGM/LIST";
    g_config.m_folders[FOLDER_BGM_MP3] = dir + "/BGM/STREAM";
}

class SoundFixture : public ::testing::Test {
protected:
    void SetUp() override {
        auto audio = std::make_unique<plat::RecordingAudio>();
        m_audio = audio.get();
        m_oldAudio = plat::SetAudio(std::move(audio));
        ResetSoundSettings(m_dir.Path());
    }
    void TearDown() override {
        plat::SetAudio(std::move(m_oldAudio));
        g_options = COptions{};
        g_config = CConfig{};
    }

    std::string EffectPath(uint32_t id) const { return NumberedPath(m_dir.Path() + "/SOUND", id, "wav"); }
    std::string StreamPath(uint32_t id) const {
        return NumberedPath(m_dir.Path() + "/BGM/STREAM", id, "MP3");
    }
    std::string ListPath(uint32_t id) const { return NumberedPath(m_dir.Path() + "/BGM/LIST", id, "lst"); }

    void WriteEffect(uint32_t id, const qmtest::TonePlan& plan,
                     plat::SoundEncoding encoding = plat::SoundEncoding::kPcm16Wav) {
        MakeFolders();
        qmtest::WriteSound(EffectPath(id), encoding, plan);
    }
    void WriteStream(uint32_t id, const qmtest::TonePlan& plan,
                     plat::SoundEncoding encoding = plat::SoundEncoding::kMp3) {
        MakeFolders();
        qmtest::WriteSound(StreamPath(id), encoding, plan);
    }
    // A 16-bit WAV effect holding one value in every sample (levels read exactly).
    void WriteLevelEffect(uint32_t id, int16_t value, int ms) {
        MakeFolders();
        std::vector<int16_t> samples(size_t(ms) * 441 / 10, value);
        ASSERT_TRUE(plat::EncodeSoundFile(EffectPath(id), plat::SoundEncoding::kPcm16Wav, samples, 44100, 1));
    }
    void MakeFolders() {
        m_dir.WriteFile("SOUND/.keep", "");
        m_dir.WriteFile("BGM/LIST/.keep", "");
        m_dir.WriteFile("BGM/STREAM/.keep", "");
    }

    // Renders ms milliseconds of the mix (stereo).
    std::vector<int16_t> Render(int ms) { return m_audio->Render(ms * 441 / 10); }
    static std::vector<int16_t> Left(const std::vector<int16_t>& mix) { return Channel(mix, 0); }
    static std::vector<int16_t> Right(const std::vector<int16_t>& mix) { return Channel(mix, 1); }
    static std::vector<int16_t> Channel(const std::vector<int16_t>& mix, int c) {
        std::vector<int16_t> out;
        for (size_t i = size_t(c); i < mix.size(); i += 2) out.push_back(mix[i]);
        return out;
    }

    qmtest::TempDir m_dir;
    plat::RecordingAudio* m_audio = nullptr;
    std::unique_ptr<plat::Audio> m_oldAudio;
    plat::ScopedMessageBoxRecorder m_boxes;
};

// A started sound system with start-up's configuration.
class SoundSystemFixture : public SoundFixture {
protected:
    void SetUp() override {
        SoundFixture::SetUp();
        MakeFolders();
        m_system = std::make_unique<CSoundSystem>();
        ASSERT_TRUE(m_system->StartupSound("MILES", 44100, 16, 2, 1));
        ASSERT_TRUE(m_system->Select3DProvider(1));
        m_system->SetSampleCacheSize(1000);
        m_system->SetSoundSlotCount(100);
    }
    void TearDown() override {
        m_system.reset();
        SoundFixture::TearDown();
    }
    CMixer& Mixer() { return *m_system->GetDriver(); }

    std::unique_ptr<CSoundSystem> m_system;
};
