#include "core/application.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/app_state.h"
#include "core/config.h"
#include "core/frame_hooks.h"
#include "core/global_objects.h"
#include "core/input_mgr.h"
#include "core/main_mgr.h"
#include "platform/command_line.h"
#include "platform/message_box.h"
#include "platform/paths.h"
#include "platform/window_scripted.h"
#include "tests/core/program_fixture.h"
#include "tests/support/temp_dir.h"

namespace {

// Runs the program in a temporary working folder with a scripted window
// system and a factory in every slot that records what start-up does.
class ApplicationTest : public ProgramFixture {
protected:
    void SetUp() override {
        ProgramFixture::SetUp();
        for (int i = 0; i < int(GlobalSlot::Count); ++i) {
            GlobalSlot slot = GlobalSlot(i);
            SetGlobalFactory(
                slot,
                [this, slot] {
                    m_log.push_back(std::string("+") + GlobalSlotName(slot));
                    return !(slot == m_failSlot);
                },
                [this, slot] { m_log.push_back(std::string("-") + GlobalSlotName(slot)); });
        }
    }
    int Run(const char* commandLine, uint32_t frames = 3) {
        plat::SetCommandLine(commandLine);
        plat::CloseAfterFrames(frames);
        return RunApplication();
    }
    std::vector<std::string> Created() {
        std::vector<std::string> out;
        for (const std::string& s : m_log)
            if (s[0] == '+') out.push_back(s.substr(1));
        return out;
    }
    std::vector<std::string> Deleted() {
        std::vector<std::string> out;
        for (const std::string& s : m_log)
            if (s[0] == '-') out.push_back(s.substr(1));
        return out;
    }

    std::vector<std::string> m_log;
    GlobalSlot m_failSlot = GlobalSlot::Count;
};

TEST_F(ApplicationTest, WithoutServerModeNothingOpens) {
    EXPECT_EQ(Run(""), EXIT_NORMAL);
    EXPECT_EQ(Run("/USE_SERVER 0 /WINDOW"), EXIT_NORMAL);
    EXPECT_TRUE(m_system.m_created.empty());
    EXPECT_TRUE(m_log.empty());
    EXPECT_FALSE(plat::FileExists(OPTIONS_FILE_NAME));
}

TEST_F(ApplicationTest, RunsFramesUntilTheWindowIsClosedThenShutsDown) {
    m_dir.WriteFile(CONFIG_FILE_NAME, "SCREEN_WIDTH 1024 SCREEN_HEIGHT 768");
    EXPECT_EQ(Run("/USE_SERVER 1 /WINDOW", 5), EXIT_NORMAL);
    ASSERT_EQ(m_system.m_created.size(), 1u);
    EXPECT_EQ(m_system.m_created[0].width, 1024);
    EXPECT_FALSE(m_system.m_created[0].fullscreen);
    EXPECT_EQ(m_system.m_destroyed, 1);
    EXPECT_EQ(plat::FrameCount(), 5u);
    EXPECT_EQ(g_cipherMode, 1);

    std::vector<std::string> created = {"FileJobMgr",    "PackArchive", "TextTables",     "Firewall",
                                        "TextBuffers",   "Network",     "ResourceCaches", "DirectX",
                                        "MapModel3DMgr", "Fonts"};
    for (int i = int(GlobalSlot::WindowMgr); i <= int(GlobalSlot::PremiumItemNotifyMgr); ++i)
        created.push_back(GlobalSlotName(GlobalSlot(i)));
    created.push_back("SoundConfig");
    created.push_back("StartObjects");
    EXPECT_EQ(Created(), created);

    std::vector<std::string> deleted;
    for (int i = 0; i < kShutdownOrderCount; ++i)
        if (kShutdownOrder[i] != GlobalSlot::GlobalMsgQueue && kShutdownOrder[i] != GlobalSlot::MainMgr)
            deleted.push_back(GlobalSlotName(kShutdownOrder[i]));
    deleted.push_back("TextTables");
    EXPECT_EQ(Deleted(), deleted);
    EXPECT_EQ(Deleted().front(), "PremiumItemNotifyMgr");

    // Every core global is gone again; the options were saved.
    EXPECT_EQ(g_pMainMgr, nullptr);
    EXPECT_EQ(g_pInputMgr, nullptr);
    EXPECT_EQ(g_pGlobalMsgQueue, nullptr);
    EXPECT_EQ(g_hMainWnd, nullptr);
    std::vector<uint8_t> saved;
    ASSERT_TRUE(plat::ReadWholeFile(OPTIONS_FILE_NAME, saved));
    EXPECT_EQ(saved.size(), 4 + OPTIONS_BLOCK_SIZE);
}

TEST_F(ApplicationTest, FailedStartUpStillShutsDownAndReportsFailure) {
    m_failSlot = GlobalSlot::DirectX;
    EXPECT_EQ(Run("/USE_SERVER 1 /WINDOW"), EXIT_STARTUP_FAILED);
    std::vector<std::string> created = Created();
    EXPECT_EQ(created.back(), "DirectX");
    EXPECT_EQ(Deleted().size(), size_t(kShutdownOrderCount) - 2 + 1);
    EXPECT_EQ(m_system.m_destroyed, 1);
    EXPECT_FALSE(plat::FileExists(OPTIONS_FILE_NAME));  // saved only after a normal run

    m_log.clear();
    m_failSlot = GlobalSlot::Fonts;
    EXPECT_EQ(Run("/USE_SERVER 1"), EXIT_STARTUP_FAILED);
    EXPECT_EQ(Created().back(), "Fonts");
    EXPECT_TRUE(m_system.m_created.back().fullscreen);

    m_log.clear();
    m_failSlot = GlobalSlot::Count;
    m_system.m_failRegister = true;
    EXPECT_EQ(Run("/USE_SERVER 1"), EXIT_STARTUP_FAILED);
    ASSERT_EQ(m_boxes.Boxes().size(), 1u);
    EXPECT_EQ(m_boxes.Boxes()[0].text, "RegisterClass() Error");
    EXPECT_EQ(m_boxes.Boxes()[0].caption, "");
    EXPECT_EQ(Created(), (std::vector<std::string>{"FileJobMgr", "PackArchive", "TextTables"}));
}

TEST_F(ApplicationTest, SoundManagerUnlessMusicAndEffectsAreOff) {
    auto soundMade = [this] {
        for (const std::string& s : Created())
            if (s == "SoundMgr") return true;
        return false;
    };
    Run("/USE_SERVER 1 /BGMOFF 1 /SEOFF 1");
    EXPECT_FALSE(soundMade());
    m_log.clear();
    Run("/USE_SERVER 1 /BGMOFF 1");
    EXPECT_TRUE(soundMade());
    // No audio device: the sound setting goes off and the program runs silent.
    m_log.clear();
    m_failSlot = GlobalSlot::SoundMgr;
    EXPECT_EQ(Run("/USE_SERVER 1 /SEOFF 1"), EXIT_NORMAL);
    EXPECT_FALSE(g_config.m_sound);
}

TEST_F(ApplicationTest, StartObjectsAreTheMainManagersChildren) {
    std::vector<std::string> order;
    SetGlobalFactory(
        GlobalSlot::StartObjects,
        [&order] {
            auto* cursor = new CBaseObject;
            auto* scene = new CBaseObject;
            scene->SetKindId(0);
            g_pMainMgr->AddChild(cursor);
            g_pMainMgr->AddChild(scene);
            order.push_back(static_cast<CBaseObject*>(g_pMainMgr->Children().First()->m_pData)->GetKindId() ==
                                    0
                                ? "scene first"
                                : "cursor first");
            return true;
        },
        nullptr);
    EXPECT_EQ(Run("/USE_SERVER 1 /WINDOW"), EXIT_NORMAL);
    EXPECT_EQ(order, (std::vector<std::string>{"scene first"}));
}

// A slot that several layers fill runs their parts in order at start-up and
// in the reverse order at shutdown; a part that fails ends the slot.
TEST_F(ApplicationTest, ComposedSlotRunsItsPartsInOrder) {
    std::vector<std::string> order;
    auto part = [&order](std::string name, bool ok) {
        AddGlobalFactory(
            GlobalSlot::AfterManagers,
            [&order, name, ok] {
                order.push_back("make " + name);
                return ok;
            },
            [&order, name] { order.push_back("end " + name); });
    };
    part("first", true);
    part("second", true);
    EXPECT_TRUE(CreateGlobal(GlobalSlot::AfterManagers));
    DestroyGlobal(GlobalSlot::AfterManagers);
    EXPECT_EQ(order, (std::vector<std::string>{"make first", "make second", "end second", "end first"}));
    order.clear();
    ClearGlobalFactories();
    part("failing", false);
    part("later", true);
    EXPECT_FALSE(CreateGlobal(GlobalSlot::AfterManagers));
    EXPECT_EQ(order, (std::vector<std::string>{"make failing"}));
}

}  // namespace
