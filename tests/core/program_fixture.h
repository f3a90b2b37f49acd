// The program run in a temporary working folder with a scripted window system
// and its message boxes recorded. Options, configuration and the message
// queue start afresh; the start-up factories, the queue and the command line
// are cleared after.
#pragma once
#include <gtest/gtest.h>

#include <optional>

#include "core/config.h"
#include "core/global_objects.h"
#include "platform/command_line.h"
#include "platform/message_box.h"
#include "platform/window.h"
#include "platform/window_scripted.h"
#include "tests/support/temp_dir.h"

class ProgramFixture : public ::testing::Test {
protected:
    void SetUp() override {
        m_inFolder.emplace(m_dir.Path());
        plat::ResetMessageQueue();
        g_options = COptions{};
        g_config = CConfig{};
    }
    void TearDown() override {
        ClearGlobalFactories();
        plat::ResetMessageQueue();
        plat::SetCommandLine("");
        m_inFolder.reset();
    }

    qmtest::TempDir m_dir;
    std::optional<qmtest::ScopedWorkingFolder> m_inFolder;
    plat::ScriptedWindowSystem m_system;
    plat::ScopedWindowSystem m_scoped{m_system};
    plat::ScopedMessageBoxRecorder m_boxes;
};
