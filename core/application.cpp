#include "core/application.h"

#include <cstring>

#include "core/app_state.h"
#include "core/config.h"
#include "core/global_objects.h"
#include "core/input_mgr.h"
#include "core/main_mgr.h"
#include "core/main_window.h"
#include "core/message.h"
#include "core/util.h"
#include "platform/clock.h"
#include "platform/window.h"

bool g_quit = false;
bool g_active = false;
plat::WindowHandle g_hMainWnd = nullptr;
CLockedMsgObject* g_pGlobalMsgQueue = nullptr;
uint8_t g_cipherMode = 0;
uint8_t g_showFrameRate = 0;
uint8_t g_darkScreen = 0;
uint8_t g_showStageGrid = 0;
char g_textBuffers[14][64];
char g_currentCharName[100];
uint8_t g_workArea[1000];

namespace {

// The core's own global objects, made and deleted at their places in the order.
bool MakeSlot(GlobalSlot slot) {
    switch (slot) {
        case GlobalSlot::GlobalMsgQueue:
            if (!g_pGlobalMsgQueue) g_pGlobalMsgQueue = new CLockedMsgObject;
            return true;
        case GlobalSlot::InputMgr:
            // The device set may have made it already.
            if (!g_pInputMgr) {
                g_pInputMgr = new CInputMgr;
                g_pInputMgr->Init(g_config.m_screenWidth, g_config.m_screenHeight);
            }
            return true;
        case GlobalSlot::MainMgr:
            if (!g_pMainMgr) g_pMainMgr = new CMainMgr;
            g_pMainMgr->SetFrameRate(CMainMgr::DEFAULT_FRAME_RATE);
            return true;
        default:
            return CreateGlobal(slot);
    }
}

template <class T>
void DeleteGlobal(T*& pointer) {
    delete pointer;
    pointer = nullptr;
}

void DeleteSlot(GlobalSlot slot) {
    switch (slot) {
        case GlobalSlot::GlobalMsgQueue:
            DeleteGlobal(g_pGlobalMsgQueue);
            break;
        case GlobalSlot::InputMgr:
            DestroyGlobal(slot);
            DeleteGlobal(g_pInputMgr);
            break;
        case GlobalSlot::MainMgr:
            DeleteGlobal(g_pMainMgr);
            break;
        default:
            DestroyGlobal(slot);
            break;
    }
}

bool CreateSlot(GlobalSlot slot) {
    if (!MakeSlot(slot)) return false;
    NotifyGlobalSlot(slot, true);
    return true;
}

void DestroySlot(GlobalSlot slot) {
    NotifyGlobalSlot(slot, false);
    DeleteSlot(slot);
}

bool CreateSlots(GlobalSlot first, GlobalSlot last) {
    for (int i = int(first); i <= int(last); ++i)
        if (!CreateSlot(GlobalSlot(i))) return false;
    return true;
}

}  // namespace

bool InitApplication() {
    plat::timeBeginPeriod(1);
    memset(g_textBuffers, 0, sizeof(g_textBuffers));
    CreateSlot(GlobalSlot::TextBuffers);
    memset(g_workArea, 0, sizeof(g_workArea));
    if (g_config.m_useServer && !CreateSlot(GlobalSlot::Network)) return false;

    InitSqrtTable();
    CreateSlot(GlobalSlot::ResourceCaches);
    CreateSlot(GlobalSlot::GlobalMsgQueue);
    if (!CreateSlot(GlobalSlot::DirectX)) return false;
    CreateSlot(GlobalSlot::InputMgr);
    CreateSlot(GlobalSlot::MapModel3DMgr);
    CreateSlot(GlobalSlot::MainMgr);
    if (!CreateSlot(GlobalSlot::Fonts)) return false;

    // A manager that cannot be made leaves its pointer null; start-up goes on.
    for (int i = int(GlobalSlot::WindowMgr); i <= int(GlobalSlot::DarknessOverlay); ++i)
        CreateSlot(GlobalSlot(i));
    bool soundOff = g_options.GetByte(OPT_MUSIC_OFF) && g_options.GetByte(OPT_EFFECTS_OFF);
    if (!soundOff && !CreateSlot(GlobalSlot::SoundMgr)) g_config.m_sound = false;  // no audio device
    for (int i = int(GlobalSlot::ScriptMgr); i <= int(GlobalSlot::ToonObjMgr); ++i) CreateSlot(GlobalSlot(i));
    g_textFocus = false;
    CreateSlot(GlobalSlot::AfterManagers);
    for (int i = int(GlobalSlot::EffectPlayerMgr); i <= int(GlobalSlot::PremiumItemNotifyMgr); ++i)
        CreateSlot(GlobalSlot(i));

    g_cipherMode = 1;
    return true;
}

bool ShutdownApplication() {
    for (int i = 0; i < kShutdownOrderCount; ++i) DestroySlot(kShutdownOrder[i]);
    plat::timeEndPeriod(1);
    return true;
}

int RunApplication() {
    g_quit = false;
    LoadOptions();
    LoadConfig();
    if (!ParseCommandLine() || g_quit) return EXIT_NORMAL;

    CreateSlots(GlobalSlot::FileJobMgr, GlobalSlot::PackArchive);  // the pack's open result is not checked
    CreateSlot(GlobalSlot::TextTables);

    int status = EXIT_NORMAL;
    g_hMainWnd = CreateMainWindow(g_config.m_screenWidth, g_config.m_screenHeight, g_config.m_fullScreen);
    if (!g_hMainWnd) {
        status = EXIT_STARTUP_FAILED;
    } else {
        CreateSlot(GlobalSlot::Firewall);
        if (!InitApplication()) {
            status = EXIT_STARTUP_FAILED;
        } else {
            CreateSlot(GlobalSlot::SoundConfig);
            CreateSlot(GlobalSlot::StartObjects);
            g_pMainMgr->PumpMessages();
            SaveOptions();
        }
    }
    ShutdownApplication();
    plat::DestroyWindow(g_hMainWnd);
    g_hMainWnd = nullptr;
    DestroySlot(GlobalSlot::TextTables);
    return status;
}
