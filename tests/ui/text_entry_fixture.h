// The window driver with the text input manager made as start-up makes it:
// its hidden control on the main window behind the edit procedure, which the
// main window's procedure reaches through g_pEditControl.
#pragma once
#include <gtest/gtest.h>

#include <string>

#include "core/main_window.h"
#include "platform/edit_control.h"
#include "tests/support/window_driver.h"
#include "ui/edit_mgr.h"

class TextEntryTest : public ::testing::Test {
protected:
    TextEntryTest() : m_oldMgr(g_pEditMgr) {
        EXPECT_TRUE(m_edit.Init(plat::GetMainWindow(), EditSubclassProc));
        g_pEditMgr = &m_edit;
        g_pEditControl = m_edit.GetImeEdit();
        m_edit.SetInputFocus(false);
        g_textFocus = false;
    }
    ~TextEntryTest() override {
        g_pEditControl = nullptr;
        g_pEditMgr = m_oldMgr;
        g_textFocus = false;
    }

    CImeEdit& Ime() { return *m_edit.GetImeEdit(); }
    plat::ScriptedWindowSystem& System() { return m_driver.System(); }
    // The keys the game saw this frame, in order.
    std::vector<uint32_t> GameKeys() {
        std::vector<uint32_t> keys;
        CInputMgr& input = m_driver.Input();
        int32_t n = input.GetEventCount();
        for (CInputEvent* e = input.GetFirstEvent(); e && n-- > 0; e = input.GetNextEvent(e))
            if (e->m_kind == INPUT_KEY) keys.push_back(e->m_code);
        return keys;
    }

    qmtest::WindowDriver m_driver;
    CEditMgr m_edit;
    CEditMgr* m_oldMgr;
};

// Code page 932 bytes of a few characters.
inline const std::string kHiraganaA = "\x82\xA0";   // あ
inline const std::string kHiraganaKa = "\x82\xA9";  // か
inline const std::string kUtf8A = "\xE3\x81\x82";   // あ
inline const std::string kUtf8Ka = "\xE3\x81\x8B";  // か
