// The program run in this process on a copy of the demo data set against the
// local server (also in this process): a window system that moves the clock
// a frame's time at each frame and runs the test's step, the demo data made
// once for the tests of a binary, and a look at where characters stand and
// at the boxes shown.
#pragma once
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "app/globals.h"
#include "core/application.h"
#include "platform/clock.h"
#include "platform/command_line.h"
#include "platform/display.h"
#include "platform/local_time.h"
#include "platform/message_box.h"
#include "platform/paths.h"
#include "platform/window.h"
#include "platform/window_scripted.h"
#include "tests/app/demo_data.h"
#include "tests/app/sample_field.h"
#include "tests/core/program_fixture.h"
#include "tests/support/golden_image.h"
#include "tests/support/temp_dir.h"
#include "tools/qmserver/qm_server.h"
#include "tools/qmserver/server_world.h"
#include "world/chars/char.h"
#include "world/chars/char_mgr.h"

namespace samplefield {

inline constexpr uint32_t kFrameMs = 33;

// A window system that moves the clock on by a frame's time at each frame
// and then runs the test's step, which looks at the program and may post
// input. Each frame also waits a moment of real time, so that the server's
// replies come within a few frames of the program's time.
class FrameStepper : public plat::ScriptedWindowSystem {
public:
    void PollEvents() override {
        ScriptedWindowSystem::PollEvents();
        const uint64_t frame = plat::FrameCount();
        if (frame == m_frame) return;
        m_frame = frame;
        m_clock.Advance(kFrameMs);
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
        if (m_step) m_step();
    }

    plat::FakeClock m_clock{100000};
    std::function<void()> m_step;

private:
    uint64_t m_frame = UINT64_MAX;
};

// The texts of the message boxes shown, one a line.
inline std::string BoxTexts(const plat::ScopedMessageBoxRecorder& boxes) {
    std::string texts;
    for (const auto& box : boxes.Boxes()) texts += box.text + "\n";
    return texts;
}

// Where a character stands, (-1, -1) when it is not there.
inline std::pair<int32_t, int32_t> TileOf(uint32_t id) {
    CChar* c = g_pCharMgr ? g_pCharMgr->GetChar(id) : nullptr;
    return c ? c->GetMapPoint() : std::make_pair(-1, -1);
}

class FieldProgramTest : public ProgramFixture {
protected:
    // The demo data set is made once for the tests, each of which runs in a
    // copy of it.
    static void SetUpTestSuite() {
        s_data = std::make_unique<qmtest::TempDir>();
        s_made = qmtest::MakeDemoData(s_data->Path(), QM_TOOLS_DIR);
    }
    static void TearDownTestSuite() { s_data.reset(); }

    void SetUp() override {
        ProgramFixture::SetUp();
        ASSERT_TRUE(s_made) << "make_demo_data failed";
        const std::string copy = "cp -a " + s_data->Path() + "/. " + m_dir.Path();
        ASSERT_EQ(std::system(copy.c_str()), 0) << copy;
        std::vector<uint8_t> text;
        ASSERT_TRUE(plat::ReadWholeFile(m_dir.Path() + "/world.txt", text));
        std::string error;
        std::optional<CServerWorld> world =
            CServerWorld::Parse(std::string(text.begin(), text.end()), &error);
        ASSERT_TRUE(world) << error;
        m_world = *world;
        m_oldDisplay =
            plat::SetDisplay(std::unique_ptr<plat::Display>(m_display = new plat::RecordingDisplay));
    }
    void TearDown() override {
        if (m_server) m_server->Stop();
        plat::SetDisplay(std::move(m_oldDisplay));
        ProgramFixture::TearDown();
    }

    // Starts the server on a free port and runs the program against it with
    // the step called once a frame until it asks for the end (or the frame
    // limit passes); the program's exit status.
    int Run(const std::function<bool()>& step, uint64_t frameLimit = 6000) {
        m_server = std::make_unique<CQmServer>(m_world);
        std::string error;
        if (!m_server->Start(0, &error)) {
            ADD_FAILURE() << error;
            return -1;
        }
        m_stepper.m_step = [&] {
            if (plat::FrameCount() >= frameLimit || step()) plat::CloseAfterFrames(1);
        };
        InstallGlobalFactories();
        plat::SetCommandLine("/USE_SERVER 1 /WINDOW /ACCOUNT demo /PORT " + std::to_string(m_server->Port()));
        return RunApplication();
    }

    // The way in, then the field once the map is ready and the player and
    // both walkers stand on it.
    bool InField() {
        if (!m_way.Step()) return false;
        return samplefield::InField(kKeeperId, kSlimeId);
    }

    // The last frame shown, as RGB.
    qmtest::RgbImage Shown() const {
        const plat::raster::Surface* frame = m_display->LastFrame();
        return frame ? qmtest::ToRgb(*frame, frame->Width(), frame->Height()) : qmtest::RgbImage{};
    }

    static inline std::unique_ptr<qmtest::TempDir> s_data;
    static inline bool s_made = false;
    FrameStepper m_stepper;
    plat::ScopedWindowSystem m_stepperScope{m_stepper};
    plat::ScopedClock m_clockScope{m_stepper.m_clock};
    plat::ScopedLocalTime m_localTime{plat::LocalTime{2026, 12, 11, 9, 5, 0, 0}};
    plat::RecordingDisplay* m_display = nullptr;
    std::unique_ptr<plat::Display> m_oldDisplay;
    CServerWorld m_world;
    std::unique_ptr<CQmServer> m_server;
    WayIn m_way;
};

}  // namespace samplefield
