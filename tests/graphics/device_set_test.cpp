#include "graphics/device_set.h"

#include <gtest/gtest.h>
#include <jpeglib.h>

#include <csetjmp>
#include <cstdio>
#include <filesystem>

#include "core/app_state.h"
#include "core/config.h"
#include "core/error_box.h"
#include "core/frame_hooks.h"
#include "core/input_mgr.h"
#include "graphics/graphics_startup.h"
#include "picture_fixture.h"
#include "picture_helpers.h"
#include "platform/audio.h"
#include "platform/local_time.h"
#include "platform/window_scripted.h"
#include "tests/support/data_fixtures.h"

namespace {

std::vector<std::string> TableFive() {
    std::vector<std::string> rows;
    for (int i = 0; i <= 10; ++i) rows.push_back("t5r" + std::to_string(i));
    rows[1] = "shots";
    return rows;
}

class DeviceSetTest : public PictureFixture {
protected:
    void SetUp() override {
        PictureFixture::SetUp();
        m_oldConfig = g_config;
        g_config.m_fullScreen = false;
        g_config.m_screenWidth = 800;
        g_config.m_screenHeight = 600;
        // The device set makes its own caches.
        g_pImageCache = g_pSurfaceCache = g_pTextureCache = nullptr;
        m_imageCache.reset();
        m_surfaceCache.reset();
        m_textureCache.reset();
    }
    void TearDown() override {
        StopDirectX();
        DeleteResourceCaches();
        g_config = m_oldConfig;
        PictureFixture::TearDown();
    }

    std::vector<std::string> Captions() const {
        std::vector<std::string> out;
        for (const auto& b : m_boxes.Boxes()) out.push_back(b.caption + "|" + b.text);
        return out;
    }

    qmtest::ScopedTextTables m_texts{{{3, {"r0", "no driver", "no first driver"}}, {5, TableFive()}}};
    CConfig m_oldConfig;
};

TEST_F(DeviceSetTest, BringUpInOrderAndEachFailureWithItsBox) {
    ASSERT_TRUE(CreateResourceCaches());
    // No audio device: the sound part fails.
    auto noAudio = std::make_unique<plat::RecordingAudio>();
    noAudio->FailOpen(true);
    plat::ScopedAudio audio(std::move(noAudio));
    struct Case {
        const char* what;
        void (*breakIt)();
        bool sound;
        std::vector<std::string> boxes;
    } cases[] = {
        {"display",
         [] { plat::Machine().drivers.clear(); },
         false,
         {"|no driver", "|no first driver", "t5r4|t5r3"}},
        {"3D device", [] { plat::Machine().zBufferFormat = false; }, false, {"t5r6|t5r5"}},
        {"sound", [] {}, true, {"t5r10|t5r9"}},
    };
    for (const Case& c : cases) {
        plat::ResetMachine();
        m_boxes.Clear();
        c.breakIt();
        CDirectX set;
        CDisplaySetup setup;
        setup.deviceType = DEVICE_TYPE_RGB;
        EXPECT_LT(set.Init(true, true, c.sound, setup), 0) << c.what;
        EXPECT_EQ(Captions(), c.boxes) << c.what;
        EXPECT_EQ(setup.device, plat::Device3DKind::kRgb);
        EXPECT_FALSE(set.m_pDirectDraw || set.m_pDirect3D || set.m_pInputMgr || set.m_pSoundDevice) << c.what;
        EXPECT_EQ(g_pDirectDraw, nullptr) << c.what;
        EXPECT_EQ(g_pDirect3D, nullptr) << c.what;
    }
    plat::ResetMachine();
    m_boxes.Clear();
    CDirectX set;
    CDisplaySetup setup;
    ASSERT_EQ(set.Init(true, true, false, setup), 0);
    EXPECT_TRUE(set.m_pDirectDraw && set.m_pDirect3D && set.m_pInputMgr);
    EXPECT_EQ(set.m_pSoundDevice, nullptr);
    EXPECT_TRUE(set.m_pDirect3D->m_hardware);
    EXPECT_TRUE(m_boxes.Boxes().empty());
    EXPECT_TRUE(set.Release());
    EXPECT_EQ(g_pDirectDraw, nullptr);
}

TEST_F(DeviceSetTest, TheSoundDeviceOpensWhenAnAudioDeviceOpensAndLeavesItClosed) {
    ASSERT_TRUE(CreateResourceCaches());
    auto recording = std::make_unique<plat::RecordingAudio>();
    plat::RecordingAudio* device = recording.get();
    plat::ScopedAudio audio(std::move(recording));
    CDirectX set;
    CDisplaySetup setup;
    ASSERT_EQ(set.Init(true, true, true, setup), 0);
    ASSERT_NE(set.m_pSoundDevice, nullptr);
    EXPECT_EQ(device->OpenCount(), 1);
    EXPECT_FALSE(device->IsOpen());
    EXPECT_TRUE(m_boxes.Boxes().empty());
}

TEST_F(DeviceSetTest, InitDirectXPublishesThePartsOrFailsWithItsBox) {
    plat::Machine().drivers.clear();
    EXPECT_FALSE(StartDirectX());
    EXPECT_EQ(g_pDirectX, nullptr);
    EXPECT_EQ(m_boxes.Boxes().back().text, "Initializing DirectX Failed.");
    EXPECT_EQ(m_boxes.Boxes().back().caption, "DX Initializing Error");

    plat::ResetMachine();
    ASSERT_TRUE(StartDirectX());
    ASSERT_TRUE(g_pDirectX);
    EXPECT_EQ(g_pDirectDraw, g_pDirectX->m_pDirectDraw);
    EXPECT_EQ(g_pDirect3D, g_pDirectX->m_pDirect3D);
    EXPECT_EQ(g_pInputMgr, g_pDirectX->m_pInputMgr);
    EXPECT_TRUE(g_pImageCache && g_pSoundCache && g_pSurfaceCache && g_pTextureCache);
    EXPECT_EQ(g_pSoundCache->GetBudget(), SOUND_CACHE_BUDGET);
    EXPECT_EQ(g_pImageCache->GetBudget(), IMAGE_CACHE_BUDGET);
    ASSERT_TRUE(GetFrameDisplay());
    EXPECT_TRUE(GetFrameDisplay()->BeginScene());
    GetFrameDisplay()->EndScene(0);
    StopDirectX();
    EXPECT_FALSE(g_pDirectX || g_pDirectDraw || g_pDirect3D || g_pInputMgr);
    EXPECT_EQ(GetFrameDisplay(), nullptr);
}

// The error box of a full-screen game: the window is minimised before the box
// shows, so that the box can be seen; a windowed game is left as it is.
TEST_F(DeviceSetTest, ErrorBoxMinimisesAFullScreenWindowFirst) {
    // Each box notes the show commands the window had had when it appeared.
    struct BoxAfterCommands : plat::IMessageBoxService {
        int Show(std::string_view, std::string_view, unsigned) override {
            seen.push_back(system->m_showCommands);
            return plat::IDOK;
        }
        plat::ScriptedWindowSystem* system = nullptr;
        std::vector<std::vector<int>> seen;
    };
    plat::ScriptedWindowSystem system;
    plat::ScopedWindowSystem scopedSystem(system);
    plat::ResetMessageQueue();
    ASSERT_TRUE(plat::RegisterClass({"ErrorBoxTest", plat::DefWindowProc}));
    BoxAfterCommands boxes;
    boxes.system = &system;
    plat::IMessageBoxService* previous = plat::SetMessageBoxService(&boxes);
    for (const bool fullScreen : {false, true}) {
        SCOPED_TRACE(fullScreen);
        system.m_showCommands.clear();
        boxes.seen.clear();
        plat::WindowDesc desc;
        desc.className = "ErrorBoxTest";
        desc.width = 800;
        desc.height = 600;
        desc.fullscreen = fullScreen;
        g_hMainWnd = plat::CreateWindow(desc);
        ASSERT_NE(g_hMainWnd, nullptr);
        system.m_showCommands.clear();
        g_config.m_fullScreen = fullScreen;
        ASSERT_TRUE(StartDirectX());
        ReportError("CTexImageMgr::ReleaseTexImage() error");
        const std::vector<int> expected =
            fullScreen ? std::vector<int>{plat::SW_MINIMIZE} : std::vector<int>{};
        EXPECT_EQ(boxes.seen, (std::vector<std::vector<int>>{expected}));
        StopDirectX();
        plat::DestroyWindow(g_hMainWnd);
        g_hMainWnd = nullptr;
    }
    plat::SetMessageBoxService(previous);
    plat::ResetMessageQueue();
}

TEST_F(DeviceSetTest, FrameEndFillsTheScreenOverlay) {
    ASSERT_TRUE(StartDirectX());
    GetFrameDisplay()->BeginScene();
    g_pDirectDraw->GetPrimarySurface()->SetScreenTint(0, 0, 0, 255);
    GetFrameDisplay()->EndScene(0);
    EXPECT_EQ(g_pDirect3D->GetRenderTarget()->Surface()->Pixels().At(400, 300), 0);
    plat::raster::Fill(g_pDirect3D->GetRenderTarget()->Surface()->Pixels(), {0, 0, 800, 600}, 0xFFFF);
    g_pDirectDraw->GetPrimarySurface()->SetScreenTint(0, 0, 0, 0);
    GetFrameDisplay()->EndScene(0);
    EXPECT_EQ(g_pDirect3D->GetRenderTarget()->Surface()->Pixels().At(400, 300), 0xFFFF);
}

TEST_F(DeviceSetTest, ScreenshotNamedAfterTheTimeAndDecodedBack) {
    const auto oldDir = std::filesystem::current_path();
    std::filesystem::current_path(m_dir.Path());
    plat::ScopedLocalTime time({2007, 3, 3, 14, 5, 9});
    ASSERT_TRUE(StartDirectX());
    auto& target = g_pDirect3D->GetRenderTarget()->Surface()->Pixels();
    plat::raster::Fill(target, {0, 0, 800, 300}, 0xF800);
    plat::raster::Fill(target, {0, 300, 800, 600}, 0x001F);
    m_boxes.Clear();
    // The message window's lines; without one a screenshot says nothing.
    struct Lines : IMessageWinSink {
        void Deliver(std::unique_ptr<CChatLineMsg> r) override { lines.push_back(r->m_text); }
        std::vector<std::string> lines;
    } sink;
    std::vector<std::string>& lines = sink.lines;
    EXPECT_TRUE(g_pDirectX->SaveScreenshot());
    {
        ScopedMessageWinSink scopedSink(sink);
        EXPECT_TRUE(g_pDirectX->SaveScreenshot());
    }
    const std::string first = "./shots/ZIDE_2007_3_3_14_5_9.jpg",
                      second = "./shots/ZIDE_2007_3_3_14_5_9-2.jpg";
    EXPECT_TRUE(plat::FileExists(first));
    EXPECT_TRUE(plat::FileExists(second));
    EXPECT_TRUE(m_boxes.Boxes().empty()) << "a screenshot never stops the game with a box";
    EXPECT_EQ(lines, (std::vector<std::string>{"t5r2 [" + second + "]"}));
    qmtest::DecodedJpeg shot;
    ASSERT_TRUE(qmtest::DecodeJpeg(first, shot));
    ASSERT_EQ(shot.width, 800);
    ASSERT_EQ(shot.height, 600);
    const auto top = shot.At(400, 100), bottom = shot.At(400, 500);
    EXPECT_GT(top[0], 230);
    EXPECT_LT(top[2], 25);
    EXPECT_LT(bottom[0], 25);
    EXPECT_GT(bottom[2], 230);

    // A surface that cannot be locked saves nothing and says nothing.
    m_boxes.Clear();
    plat::LockInfo lock;
    ASSERT_TRUE(g_pDirect3D->GetRenderTarget()->Lock(&lock));
    EXPECT_FALSE(g_pDirectX->SaveScreenshot());
    g_pDirect3D->GetRenderTarget()->Unlock();
    EXPECT_TRUE(m_boxes.Boxes().empty());
    EXPECT_FALSE(plat::FileExists("./shots/ZIDE_2007_3_3_14_5_9-3.jpg"));
    std::filesystem::current_path(oldDir);
}

TEST_F(DeviceSetTest, AScreenshotThatCannotBeWrittenIsNotAnnounced) {
    const auto oldDir = std::filesystem::current_path();
    std::filesystem::current_path(m_dir.Path());
    m_dir.WriteFile("shots", "a file where the folder should be");
    ASSERT_TRUE(StartDirectX());
    m_boxes.Clear();
    EXPECT_FALSE(g_pDirectX->SaveScreenshot());
    EXPECT_TRUE(m_boxes.Boxes().empty()) << "no \"saved\" line";
    std::filesystem::current_path(oldDir);
}

}  // namespace
