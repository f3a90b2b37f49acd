// The map's test bed: a folder that holds the stage, map, path, speech, table
// and animation files, the image cache and manager the map's pictures load
// into, a fake clock, a recorder of message boxes, and fakes of the sound
// manager, the effects and the character manager. Maps, stages and speech
// files are written from their text forms by qmmap's builders.
#pragma once
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "anim/ani_object.h"
#include "anim/ani_services.h"
#include "core/config.h"
#include "core/resource_cache.h"
#include "data/data_table.h"
#include "data/data_table_writer.h"
#include "data/pack_archive.h"
#include "data/pack_writer.h"
#include "graphics/display_settings.h"
#include "graphics/image_mgr.h"
#include "graphics/span_image_format.h"
#include "platform/clock.h"
#include "platform/message_box.h"
#include "platform/paths.h"
#include "tests/support/table_builder.h"
#include "tests/support/temp_dir.h"
#include "world/map/map.h"
#include "world/map/map_services.h"
#include "world/map/map_text.h"
#include "world/map/speech_text.h"
#include "world/map/stage_text.h"

namespace worldtest {

struct FakeSound : IFieldSound {
    struct Slot {
        uint32_t slot, id;
        int32_t x, y;
        bool loop;
        uint8_t volume;
    };
    std::vector<uint32_t> effects;  // effect ids played
    std::vector<uint32_t> music;
    std::vector<Slot> slots;
    std::vector<uint32_t> stopped;
    bool spotsOn = true;
    uint16_t FindEffectIdByName(const char* name) override {
        return std::string(name) == "ChikenYell" ? 77 : 0;
    }
    void PlaySoundEffect(uint32_t id, int32_t, int32_t, int32_t) override { effects.push_back(id); }
    void ChangeMusicList(uint32_t list) override { music.push_back(list); }
    bool AreSoundSpotsOn() override { return spotsOn; }
    void PlaySlotSound(uint32_t slot, uint32_t id, int32_t x, int32_t y, bool loop, uint8_t volume) override {
        slots.push_back({slot, id, x, y, loop, volume});
    }
    void StopSlotSound(uint32_t slot) override { stopped.push_back(slot); }
};

struct FakeEffect : IFieldEffect {
    int32_t strength = 0;
    bool fadedOut = false;
    int steps = 0;
    void SetStrength(int32_t s) override { strength = s; }
    int32_t GetStrength() override { return strength; }
    bool IsFadedOut() override { return fadedOut; }
    void Step() override { ++steps; }
    void Draw() override {}
};

struct FakeEffects : IFieldEffects {
    std::vector<std::pair<FieldEffectKind, FakeEffect*>> made;
    int particles = -1;  // the emitter's count, -1 empty
    int deletedAll = 0;
    std::unique_ptr<IFieldEffect> MakeEffect(FieldEffectKind kind) override {
        auto effect = std::make_unique<FakeEffect>();
        made.emplace_back(kind, effect.get());
        return effect;
    }
    void FillParticleEmitter(int32_t count) override { particles = count; }
    void EmptyParticleEmitter() override { particles = -1; }
    void StepParticleEmitter() override {}
    void DrawParticleEmitter() override {}
    void DeleteAllParticles() override { ++deletedAll; }
};

struct FakeCharacters : IMapCharacters {
    bool ready = true;
    bool hasPlayer = false;
    int32_t tileX = 0, tileY = 0;
    CAniObject* player = nullptr;
    int removedAll = 0, resets = 0;
    std::vector<bool> battleZones;
    std::vector<uint32_t> dropped;
    bool AreCharsReady() override { return ready; }
    bool GetPlayerTile(int32_t* x, int32_t* y) override {
        *x = tileX;
        *y = tileY;
        return hasPlayer;
    }
    CAniObject* GetPlayerAniObject() override { return player; }
    void RemoveAllButPlayer() override { ++removedAll; }
    void ResetPlayerMapState() override { ++resets; }
    void SetPlayersBattleZone(bool battle) override { battleZones.push_back(battle); }
    void DropLinkedObject(uint32_t id) override { dropped.push_back(id); }
    CItemObject* FindObjectEntry(uint32_t) override { return nullptr; }
    bool GetCharPosition(CChar*, int32_t* x, int32_t* y) override {
        *x = tileX * 24;
        *y = tileY * 12;
        return true;
    }
};

// A single 16-bit picture of w x h in one colour (qmimage's layout).
inline std::vector<uint8_t> Picture(int32_t w, int32_t h, uint16_t colour) {
    std::vector<uint16_t> grid(size_t(w) * size_t(h), colour);
    return WriteSpanPicture(MakeSpanPicture(grid.data(), w, h, 0xF81F), false);
}

// Rows of a map of w x h cells, all '.', with the given overrides.
inline std::string Cells(int32_t w, int32_t h, char fill = '.') {
    std::string rows;
    for (int32_t y = 0; y < h; ++y) rows += std::string(size_t(w), fill) + "\n";
    return rows;
}

class WorldFixture : public ::testing::Test {
protected:
    void SetUp() override {
        m_oldConfig = g_config;
        m_oldDatabase = GetDatabaseFolder();
        for (DataFolder f : {FOLDER_MAP, FOLDER_FIELDSCRIPT, FOLDER_VISUALEVENT, FOLDER_SPEECH,
                             FOLDER_ANIMATION, FOLDER_TEXTURE})
            g_config.m_folders[f] = m_dir.Path();
        SetDatabaseFolder(m_dir.Path());
        m_oldUsePack = g_bUsePackFile;
        m_oldCompressed = g_bUseCompressedFiles;
        g_bUsePackFile = false;
        g_bUseCompressedFiles = true;
        GetDisplaySettings() = CDisplaySettings{};
        g_pImageCache = &m_imageCache;
        g_pImageMgr = &m_images;
        g_pMap = &m_map;
        SetAniField(&m_map);
        WriteKindTable();
    }
    void TearDown() override {
        m_map.Release();
        g_pMap = nullptr;
        SetAniField(nullptr);
        ReleaseAllImages();
        g_pImageMgr = nullptr;
        g_pImageCache = nullptr;
        g_config = m_oldConfig;
        SetDatabaseFolder(m_oldDatabase);
        g_bUsePackFile = m_oldUsePack;
        g_bUseCompressedFiles = m_oldCompressed;
        GetDisplaySettings() = CDisplaySettings{};
        CMap::ForgetBanners();
    }

    // Table 73 (stage kinds): rows of (kind text, number, up to six stage numbers).
    void WriteKindTable(const std::vector<std::pair<std::string, std::vector<int>>>& rows = {}) {
        qmtest::TableBuilder table(uint32_t(rows.size()), 8);
        table.Text(0).U8(1);
        for (int c = 2; c < 8; ++c) table.U16(c);
        for (size_t r = 0; r < rows.size(); ++r) {
            table.Set(0, int(r), rows[r].first);
            for (size_t k = 0; k < rows[r].second.size(); ++k)
                table.Set(int(k) + 1, int(r), rows[r].second[k]);
        }
        m_dir.WriteFile("0073.Z5D", WriteDataTable(table.Layout()));
    }

    // Writes the files of a map text into the data folder (pictures: files
    // already in it), the map compressed as the game keeps it.
    maptext::MapFiles WriteMap(const std::string& text) {
        maptext::MapFiles files;
        std::string error;
        EXPECT_TRUE(maptext::BuildMapFiles(text, m_dir.Path(), files, &error)) << error;
        WriteMapBytes(files.number, files.map);
        char name[32];
        std::snprintf(name, sizeof name, "%04d.PPD", files.number);
        m_dir.WriteFile(name, files.paths);
        if (files.stageNumber >= 0) {
            std::snprintf(name, sizeof name, "%04d.Z5F", files.stageNumber);
            m_dir.WriteFile(name, files.stage);
        }
        return files;
    }
    // Writes a map file of the number from unpacked bytes (compressed, as qmmap does).
    void WriteMapBytes(int32_t number, const std::vector<uint8_t>& bytes) {
        char name[32];
        std::snprintf(name, sizeof name, "%04d.Z5M.ZIP", number);
        m_dir.WriteFile(name, BuildCompressedFile(bytes));
    }
    std::vector<uint8_t> StageBytes(const std::string& text) {
        std::vector<uint8_t> bytes;
        std::string error;
        EXPECT_TRUE(maptext::BuildStageText(text, bytes, &error)) << error;
        return bytes;
    }
    std::vector<uint8_t> SpeechBytes(const std::string& text) {
        std::vector<uint8_t> bytes;
        std::string error;
        EXPECT_TRUE(maptext::BuildSpeechText(text, bytes, &error)) << error;
        return bytes;
    }
    // Writes a stage text as "NNNN.Z5F" (or ".VSE").
    void WriteStage(int32_t number, const std::string& text, const char* extension = ".Z5F") {
        char name[32];
        std::snprintf(name, sizeof name, "%04d%s", number, extension);
        m_dir.WriteFile(name, StageBytes(text));
    }
    void WritePicture(const std::string& name, int32_t w, int32_t h, uint16_t colour) {
        m_dir.WriteFile(name, Picture(w, h, colour));
    }

    // Loads the map of a stage and makes every block ready.
    void LoadWhole(uint16_t stage) {
        m_map.Create();
        m_map.LoadStage(stage);
        m_map.LoadWholeMap();
    }
    // Frames of the map data's own step (focus, camera, streaming).
    void Step(int frames = 1) {
        for (int i = 0; i < frames; ++i) {
            m_map.CheckReady();
            if (m_map.GetMapData()) m_map.GetMapData()->Update();
        }
    }

    std::vector<std::string> BoxTexts() const {
        std::vector<std::string> out;
        for (const auto& b : m_boxes.Boxes()) out.push_back(b.text);
        return out;
    }

    qmtest::TempDir m_dir;
    plat::FakeClock m_clock{100000};
    plat::ScopedClock m_scopedClock{m_clock};
    plat::ScopedMessageBoxRecorder m_boxes;
    CResourceCache m_imageCache;
    CImageMgr m_images;
    CMap m_map;
    CConfig m_oldConfig;
    std::string m_oldDatabase;
    bool m_oldUsePack = false, m_oldCompressed = false;
};

}  // namespace worldtest
