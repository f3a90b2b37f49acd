#include "scenes/game_scene.h"

#include <cstring>
#include <string>

#include "anim/ani_object.h"
#include "anim/ani_play_mgr.h"
#include "anim/ani_services.h"
#include "anim/darkness_overlay.h"
#include "anim/render_queue.h"
#include "core/app_state.h"
#include "core/config.h"
#include "core/error_box.h"
#include "core/input_mgr.h"
#include "core/main_mgr.h"
#include "core/message.h"
#include "data/item_object.h"
#include "data/item_table_mgr.h"
#include "data/premium_item_mgr.h"
#include "data/skill_table_mgr.h"
#include "graphics/device_set.h"
#include "graphics/direct_draw.h"
#include "graphics/display_settings.h"
#include "graphics/text_renderer.h"
#include "net/connection.h"
#include "net/game_session.h"
#include "net/handlers/chat_messages.h"
#include "net/handlers/login_records.h"
#include "net/handlers/scene_records.h"
#include "net/handlers/window_records.h"
#include "platform/clock.h"
#include "platform/keyboard.h"
#include "platform/local_time.h"
#include "scenes/game_scene_lines.h"
#include "ui/base_window.h"
#include "ui/game_scene_windows.h"
#include "ui/tooltip_window.h"
#include "ui/ui_services.h"
#include "ui/window_mgr.h"
#include "world/chars/char.h"
#include "world/chars/char_controller.h"
#include "world/chars/char_mgr.h"
#include "world/cursor.h"

namespace {

constexpr const char* kTargetingCursor = "Targeting_Cursor";
constexpr uint32_t kMark865 = 865;
constexpr size_t OPT_FRAME_SKIP = 28;
constexpr size_t OPT_SHOW_MERCHANT_MARK = 16;
constexpr size_t OPT_SNAP_TO_TARGET = 5;
constexpr size_t OPT_SNAP_TO_MAP_OBJECT = 7;
// The energy bar of an attacked (queued) target is drawn under it.
constexpr size_t OPT_QUEUED_TARGET_BAR = 35;

std::unique_ptr<CAniObject> MakeMark(uint32_t animation, uint8_t motion) {
    auto mark = std::make_unique<CAniObject>();
    mark->SetAnimation(animation);
    mark->SetMotion(motion);
    mark->SetDirection(2);
    mark->Play(true);
    return mark;
}

}  // namespace

CGameScene::CGameScene() {
    CGameScene::Create();
}

CGameScene::~CGameScene() {
    CGameScene::Release();
}

bool CGameScene::Create() {
    SetKindId(SCENE_GAME);
    m_pPlayer = nullptr;
    PrepareSceneScreen(false);
    ShowCursorObject(true);
    ClearCursorPointedObject();
    m_fade.Reset();
    m_frameRateLine[0] = m_oneFrameLine[0] = 0;
    if (g_pWindowMgr) {
        m_windows.Create(*g_pWindowMgr, GetPort(), g_pMap && g_pMap->IsNoBattleZone());
        m_overlays.SetGameRequestBox(m_windows.GetRequestBox(), GetPort());
    }
    const uint32_t targeting = FindAniByName(kTargetingCursor);
    m_pTargetMark = MakeMark(targeting, 0);
    m_pSecondMark = MakeMark(targeting, 2);
    m_pMark865 = MakeMark(kMark865, 0);
    m_overlays.Create();
    m_pointedId = m_pointedKind = -1;
    SetTransitionState(GAME_MAP_READY);
    m_prevUpdate = 0;
    if (g_pWindowMgr) g_pWindowMgr->CloseMessageBoxes();
    m_lastDraw = m_updateDuration = 0;
    m_frameLag = 0;
    m_frameCounter = 0;
    m_albumMode = 0;
    m_telescope = 0;
    GameSession().SetInGame(1);
    m_released = false;
    return true;
}

bool CGameScene::Release() {
    if (m_released) return true;
    m_released = true;
    if (g_pPremiumItemNotifyMgr) g_pPremiumItemNotifyMgr->Clear();
    m_memoMarkers.clear();
    m_overlays.Release();
    m_pSecondMark.reset();
    m_pTargetMark.reset();
    m_pMark865.reset();
    m_fade.Reset();
    if (g_pWindowMgr) g_pWindowMgr->SaveWindowLayout();
    ResetFieldManagers();
    if (ISceneScripts* scripts = GetSceneScripts()) scripts->ResetScripts();
    if (ISceneFieldEffects* effects = GetSceneFieldEffects()) effects->Clear();
    if (g_pAniPlayMgr) g_pAniPlayMgr->Release();
    CloseFieldWindows();
    ClearCursorPointedObject();
    if (g_pWindowMgr) g_pWindowMgr->CloseMessageBoxes();
    if (ISceneEvents* events = GetSceneEvents()) {
        events->SetEventActive(false);
        events->SetControlLock(false);
    }
    m_pPlayer = nullptr;
    GameSession().SetInGame(0);
    return true;
}

void CGameScene::CloseFieldWindows() {
    m_windows.Close(g_pWindowMgr);
}

// ---- Transitions ----

void CGameScene::SetTransitionState(int32_t state) {
    m_transition = state;
    if (state != GAME_MAP_READY || !g_pMap || !g_pMap->IsMapKind3() || !g_pWindowMgr) return;
    CBaseWindow* notice = g_pWindowMgr->FindWindowByName(gamewin::kFightClubNotice, 0, true);
    if (!notice) {
        notice = CreateRegisteredWindow(gamewin::kFightClubNotice);
        if (!notice) return;
        if (!g_pWindowMgr->AddChildBack(notice)) {
            delete notice;
            return;
        }
    }
    notice->Show();
    notice->SetActive(true, false);
    notice->Reset();
}

void CGameScene::StepTransition() {
    // A state waits for its fade; without a fade maker a started fade has
    // finished at once, so leaving never hangs. State 2 waits for Draw to
    // start its fade-in.
    m_fade.Update();
    if (!m_fade.IsStarted() || !m_fade.IsFinished()) return;
    switch (m_transition) {
        case GAME_WAITING_FOR_MAP:
            if (g_pDirectX) g_pDirectX->ClearScreens();
            if (IsMapReady()) {
                m_fade.Reset();
                // The fade-out left the screen covered in black; the fade-in
                // returns to what it finds, so the brightness comes back first
                // (as when a scene opens), or the new map would stay black.
                PrepareSceneScreen(false);
                SetTransitionState(GAME_MAP_READY);
            }
            break;
        case GAME_MAP_READY:
            ShowCursorObject(true);
            m_transition = GAME_PLAYING;
            ShowMapEntry();
            break;
        case GAME_LEAVING_TO_CONNECT:
        case GAME_LEAVING_TO_TITLE:
            if (HasLeft()) break;
            if (g_connection) g_connection->Close();
            LeaveTo(m_transition == GAME_LEAVING_TO_CONNECT ? SCENE_CONNECT : SCENE_TITLE);
            m_fade.Reset();
            break;
        default:
            break;
    }
}

void CGameScene::LeaveToConnectScene() {
    ShowCursorObject(false);
    m_transition = GAME_LEAVING_TO_CONNECT;
    m_fade.Start(FADE_OUT, SCENE_FADE_MS);
    if (ISceneMusic* music = GetSceneMusic()) music->FadeOutMusic();
}

void CGameScene::LeaveToTitleScene() {
    ShowCursorObject(false);
    m_transition = GAME_LEAVING_TO_TITLE;
    m_fade.Start(FADE_OUT, SCENE_FADE_MS);
    if (ISceneMusic* music = GetSceneMusic()) music->FadeOutMusic();
}

void CGameScene::OnMapChange(bool kind3) {
    OnMapChangePhase(0);
    if (kind3 && g_pWindowMgr)
        if (CBaseWindow* notice = g_pWindowMgr->FindWindowByName(gamewin::kFightClubNotice, 0, true))
            g_pWindowMgr->CloseWindow(notice);
}

void CGameScene::OnMapChangePhase(int32_t phase) {
    ClearQueuedActions();
    // What the cursor held (an item, a window) belongs to the old map's play.
    ClearCursorPointedObject();
    if (ISceneFieldEffects* effects = GetSceneFieldEffects()) effects->Clear();
    if (m_pPlayer)
        if (CCharData* data = m_pPlayer->GetData()) data->SetControlFlag(0);
    // The player is leaving the world: the fade-out goes on to the next scene.
    if (m_transition == GAME_LEAVING_TO_CONNECT || m_transition == GAME_LEAVING_TO_TITLE) return;
    if (phase == 0) {
        m_transition = GAME_WAITING_FOR_MAP;
        m_fade.Start(FADE_OUT, SCENE_FADE_MS);
        ShowCursorObject(false);
        return;
    }
    m_transition = GAME_PLAYING;
    ShowMapEntry();
}

void CGameScene::ShowMapEntry() {
    if (g_pMap) {
        g_pMap->ShowEntryBanner();
        g_pMap->DrawStageNumber();
    }
    if (g_config.m_useServer && TakeMapNotify()) GameSession().SendMapReady();
}

bool CGameScene::IsWorldReady() {
    return g_pMap && g_pMap->IsLoaded() && g_pCharMgr && g_pCharMgr->AreCharsReady();
}

bool CGameScene::IsMapReady() {
    return g_pMap && g_pMap->IsReady();
}

bool CGameScene::TakeMapNotify() {
    if (!g_pMap || !g_pMap->m_mapChanged) return false;
    g_pMap->m_mapChanged = 0;
    return true;
}

IWebPageView* CGameScene::WebPageView() {
    return dynamic_cast<IWebPageView*>(m_windows.Get(gamewin::kWebWindow));
}

void CGameScene::OpenTelescope() {
    // The view takes the screen and the input over; without its window there
    // is nothing to hand them to and the field stays.
    CBaseWindow* telescope = m_windows.Get(gamewin::kTelescope);
    if (!telescope) return;
    m_telescope = 1;
    ShowCursorObject(false);
    telescope->Show();
}

void CGameScene::StartScreenFade() {
    ShowCursorObject(true);
    m_telescope = 0;
    m_fade.Start(FADE_IN, 300);
}

// ---- Messages ----

bool CGameScene::ProcessMessages() {
    CMsgPort* port = GetPort();
    if (!port) return true;
    while (CMsg* msg = port->Pop()) {
        HandleMessage(msg);
        delete msg;
    }
    return true;
}

void CGameScene::HandleMessage(CMsg* msg) {
    switch (msg->m_eventId) {
        case GAME_MSG_BOX_ANSWER: {
            auto* word = dynamic_cast<CMsgWord*>(msg->m_pParameter.get());
            const uint32_t parameter = word ? word->m_value : 0;
            if (parameter == GAME_SCENE_QUIT_BOX) {
                ShowCursorObject(false);
                g_quit = true;
            } else if (parameter == GAME_SCENE_REQUEST_BOX) {
                GameSession().SendGambamboInviteAnswer(m_overlays.GetPendingAnswerId(), msg->m_extra ? 1 : 0);
            }
            break;
        }
        case GAME_MSG_CHAT_LINE:
            if (auto* line = dynamic_cast<CChatLineMsg*>(msg->m_pPayload.get())) {
                if (line->m_kind == GAME_CHAT_KIND_AUTO_GET) {
                    auto* stack = g_pWindowMgr
                                      ? dynamic_cast<CToolTipStackWindow*>(
                                            g_pWindowMgr->FindWindowByName(gamewin::kToolTipStack, 0, true))
                                      : nullptr;
                    if (stack) stack->AddNotice(line->m_text);
                } else {
                    m_overlays.SetNotice(uint8_t(line->m_kind), line->m_text);
                }
            }
            break;
        case MSG_GAMBAMBO_INVITE:
            if (auto* invite = dynamic_cast<CGambamboStepMsg*>(msg->m_pPayload.get()))
                ShowGameRequest(invite->m_value);
            break;
        case MSG_FIGHT_NOTICE_START:
        case MSG_FIGHT_NOTICE_TEXT:
        case MSG_FIGHT_NOTICE_END:
        case MSG_FIGHT_NOTICE_PHASE:
        case MSG_FIGHT_NOTICE_VALUE: {
            auto* notice = dynamic_cast<CFightNoticeMsg*>(msg->m_pPayload.get());
            if (!notice) break;
            if (msg->m_eventId == MSG_FIGHT_NOTICE_START) {
                ShowBanner(true, notice->m_same ? 1 : 0);
            } else if (msg->m_eventId == MSG_FIGHT_NOTICE_TEXT) {
                ShowTextBanner(notice->m_text, true, notice->m_kind != 0, notice->m_same ? 1 : 0);
            } else if (msg->m_eventId == MSG_FIGHT_NOTICE_END) {
                StartFightClubBoard();
            } else {
                if (notice->m_which != 1) SetFightClubScoreLeft(notice->m_first);
                if (notice->m_which != 0) SetFightClubScoreRight(notice->m_second);
                if (msg->m_eventId == MSG_FIGHT_NOTICE_PHASE) ShowFightClubResult(notice->m_phase);
            }
            break;
        }
        case MSG_OLD_NOTICE:
            if (auto* notice = ReadRecord<COldNoticeMsg>(msg->m_pPayload.get()))
                if (IWebPageView* web = WebPageView()) web->SetPageAddress(notice->m_length, notice->m_text);
            break;
        case MSG_NOTICE:
            if (auto* notice = ReadRecord<CNoticeMsg>(msg->m_pPayload.get()))
                if (IWebPageView* web = WebPageView())
                    web->OpenBoard(notice->m_a, notice->m_length1, notice->m_text1, notice->m_length2,
                                   notice->m_text2);
            break;
        case MSG_OPEN_WEB_PAGE:
            if (auto* page = ReadRecord<COpenWebPageMsg>(msg->m_pPayload.get()))
                if (IWebPageView* web = WebPageView()) web->OpenUrl(page->m_address.c_str());
            break;
        case MSG_SIX_VALUES:
            if (auto* values = ReadRecord<CSixValuesMsg>(msg->m_pPayload.get()))
                if (auto* warp = dynamic_cast<IWarpView*>(m_windows.Get(gamewin::kWarpWindow)))
                    warp->Open(values->m_values);
            break;
        case MSG_TWO_TEXTS:
            if (auto* line = dynamic_cast<CChatNameMsg*>(msg->m_pPayload.get()))
                if (IOneToOneChat* chat = m_windows.GetOneToOneChat())
                    chat->OnServerChat(line->m_text1, line->m_b, line->m_text2);
            break;
        case MSG_NAME_LIST:
            // The refusal list goes to the one-to-one options window.
            if (CBaseWindow* options = m_windows.Get(gamewin::kOneToOneOptions))
                PostMessageToPort(0, options->GetPort(), 0, msg->m_eventId, std::move(msg->m_pPayload),
                                  nullptr);
            break;
        case MSG_SCENE_LIST:
        case MSG_SCENE_TEXT_LIST:
        case MSG_SCENE_ENTRY_107:
        case MSG_SCENE_ENTRY_108:
        case MSG_SCENE_TEXT:
        case MSG_SCENE_BYTE_TEXT:
        case MSG_SCENE_BYTE_111:
        case MSG_SCENE_TEXT_BYTE:
        case MSG_SCENE_TWO_TEXTS:
            // The buddy list, its groups and the requests go to the messenger.
            if (CBaseWindow* messenger = m_windows.Get(gamewin::kMessenger))
                PostMessageToPort(0, messenger->GetPort(), 0, msg->m_eventId, std::move(msg->m_pPayload),
                                  nullptr);
            break;
        case MSG_ID_LIST:
        case MSG_SCENE_PAIR:
        case MSG_SCENE_SIGNAL_99:
        case MSG_SCENE_BYTE:
            HandlePanelMessage(msg);
            break;
        default:
            // The windows that take the other scene messages are not part of
            // the program yet: their messages are dropped.
            break;
    }
}

// The event panel's messages: 98 opens it with the ready ids and values,
// 95 is a member's answer, 99 closes it, 100 sets its highlight.
void CGameScene::HandlePanelMessage(CMsg* msg) {
    auto* panel =
        g_pWindowMgr ? dynamic_cast<IEventPanel*>(g_pWindowMgr->FindWindowByName("EventPanelWindow", 0, true))
                     : nullptr;
    CMsgData* payload = msg->m_pPayload.get();
    if (!panel || !payload) return;
    if (msg->m_eventId == MSG_SCENE_SIGNAL_99) {
        ReadRecord<CSceneByteMsg>(payload);
        panel->ClosePanel();
    } else if (auto* list = ReadRecord<CIdListMsg>(payload)) {
        panel->OpenPanel(list->m_a, uint8_t(list->m_count), list->m_ids, list->m_byteCount, list->m_bytes);
    } else if (auto* pair = ReadRecord<CScenePairMsg>(payload)) {
        panel->SetMemberAnswer(pair->m_a, pair->m_b);
    } else if (auto* byte = ReadRecord<CSceneByteMsg>(payload)) {
        panel->SetHighlight(byte->m_value);
    }
}

// ---- Update ----

void CGameScene::StepCharacters(uint32_t elapsed) {
    if (!g_pCharMgr) return;
    bool signSuppressed = false;
    for (CCharMgr::ChildNode* n = g_pCharMgr->Children().First(); n != g_pCharMgr->Children().End();
         n = n->m_pNext)
        if (auto* c = dynamic_cast<CChar*>(static_cast<CMsgObject*>(n->m_pData)))
            c->UpdateFrame(elapsed, signSuppressed);
    if (g_pMap) g_pMap->Update();
    for (CCharMgr::ChildNode* n = g_pCharMgr->Children().First(); n != g_pCharMgr->Children().End();
         n = n->m_pNext)
        if (auto* c = dynamic_cast<CChar*>(static_cast<CMsgObject*>(n->m_pData)))
            c->SetPosition(c->m_x, c->m_y, c->m_z);
}

void CGameScene::StepWorld(ISceneEvents* events) {
    if (g_pWindowMgr) g_pWindowMgr->Update();
    if (g_pItemTableMgr) g_pItemTableMgr->UpdateContainers();
    if (g_pPremiumItemNotifyMgr) g_pPremiumItemNotifyMgr->Update();
    const uint32_t now = plat::timeGetTime();
    m_lastElapsed = m_prevUpdate == 0 ? GAME_FIRST_ELAPSED_MS : now - m_prevUpdate;
    m_prevUpdate = now;
    StepCharacters(m_lastElapsed);
    if (g_pAniPlayMgr) g_pAniPlayMgr->UpdateAll();
    if (events) events->Update();
    if (ISceneFieldEffects* effects = GetSceneFieldEffects()) effects->Step();
}

bool CGameScene::Update() {
    ISceneEvents* events = GetSceneEvents();
    if (m_frameLag > 0) {
        if (g_pWindowMgr) g_pWindowMgr->Update();
        UpdatePointedTarget();
        UpdateCursorTarget();
        return true;
    }
    const uint32_t start = plat::timeGetTime();
    if (events && events->IsVisualEventRunning()) {
        UpdateDuringEvent();
        return true;
    }
    if (g_pMap) g_pMap->ProcessMessages();
    if (g_pCharMgr) g_pCharMgr->Update();
    if (ISceneScripts* scripts = GetSceneScripts()) scripts->UpdateScripts();
    if (g_pSkillTableMgr) g_pSkillTableMgr->UpdateSkillUses();
    if (!IsWorldReady()) {
        if (g_pMap) g_pMap->Update();
        if (events) events->ProcessQueuedMessages();
        return true;
    }
    m_pPlayer = g_pCharMgr ? g_pCharMgr->GetPlayer() : nullptr;
    StepWorld(events);
    if (m_albumMode != 1 && m_albumMode != 3) {
        UpdatePointedTarget();
        UpdateCursorTarget();
    }
    ++m_frameCounter;
    if (g_pDarknessOverlay) g_pDarknessOverlay->Update();
    StepTransition();
    if (m_pTargetMark && (m_pointedId != -1 || HasQueuedAction())) m_pTargetMark->Update();
    TakeSystemWindowChoice();
    RepeatHeldButtons();
    UpdateNameMemoMarks();
    m_updateDuration = plat::timeGetTime() - start;
    return true;
}

void CGameScene::UpdateDuringEvent() {
    ISceneEvents* events = GetSceneEvents();
    if (g_pCharMgr) g_pCharMgr->Update();
    if (!IsWorldReady()) {
        if (g_pMap) g_pMap->Update();
        if (events) events->Update();
        return;
    }
    if (ISceneScripts* scripts = GetSceneScripts()) scripts->UpdateScripts();
    StepWorld(events);
    m_pointedId = m_pointedKind = -1;
    UpdatePointedTarget();
    ++m_frameCounter;
    if (g_pDarknessOverlay) g_pDarknessOverlay->Update();
    if (m_pTargetMark && (m_pointedId != -1 || HasQueuedAction())) m_pTargetMark->Update();
}

void CGameScene::TakeSystemWindowChoice() {
    CBaseWindow* window = m_windows.Get(gamewin::kSystemWindow);
    auto* system = dynamic_cast<ISystemWindowChoice*>(window);
    if (!system || window->IsVisibleInTree()) return;
    const int32_t choice = system->GetChoice();
    if (choice < 0 || choice > 3) return;
    switch (choice) {
        case 0:
            GameSession().SendGameOverChoice();
            break;
        case 1:
            system->SetGameOverMode(false);
            LeaveToConnectScene();
            break;
        case 2:
            system->SetGameOverMode(false);
            LeaveToTitleScene();
            break;
        default:
            if (g_pWindowMgr) g_pWindowMgr->SaveWindowLayout();
            g_quit = true;
            break;
    }
    system->SetChoice(-1);
}

// ---- Hover ----

namespace {

// The box (widened when small) still holds the mouse; the option byte pulls
// the mouse to its centre.
bool KeepInside(AniRect r, int32_t x, int32_t y, size_t snapOption) {
    // Small targets are easier to keep: 20 more pixels on each side of a
    // dimension below 40.
    if (r.right - r.left < 40) {
        r.left -= 20;
        r.right += 20;
    }
    if (r.bottom - r.top < 40) {
        r.top -= 20;
        r.bottom += 20;
    }
    if (x < r.left || x > r.right || y < r.top || y > r.bottom) return false;
    if (g_options.GetByte(snapOption) && x > r.left && x < r.right && y > r.top && y < r.bottom &&
        g_pInputMgr)
        g_pInputMgr->SetMousePos((r.left + r.right) / 2, (r.top + r.bottom) / 2);
    return true;
}

}  // namespace

bool CGameScene::KeepPointedTarget(int32_t x, int32_t y) {
    if (!m_pPlayer) return false;
    if (m_pointedKind == POINTED_MAP_OBJECT) {
        CItemObject* item = FindGroundItem(m_pointedId);
        CAniObject* picture = item ? item->GetAniObject() : nullptr;
        return picture && !picture->m_hidden &&
               KeepInside(picture->GetBounds(false, false), x, y, OPT_SNAP_TO_MAP_OBJECT);
    }
    if (!g_pCharMgr || (m_pointedKind != CHAR_KIND_PLAYER && m_pointedKind != CHAR_KIND_MONSTER))
        return false;
    CChar* target = g_pCharMgr->GetChar(uint32_t(m_pointedId));
    CCharData* data = target ? target->GetData() : nullptr;
    CAniObject* body = target ? target->GetAniObject() : nullptr;
    if (!body || !CanPlayerAttack(target) || (data && data->m_motion == MOTION_DEAD)) return false;
    return KeepInside(body->GetBounds(false, false), x, y, OPT_SNAP_TO_TARGET);
}

void CGameScene::UpdatePointedTarget() {
    if (!g_pCharMgr || !g_pInputMgr) return;
    const int32_t x = g_pInputMgr->m_mouseX, y = g_pInputMgr->m_mouseY;
    if (!KeepPointedTarget(x, y)) {
        if (ICursorObject* cursor = WindowCursor(); cursor && cursor->GetHeldObject()) return;
        float distance = 9999.0f;
        CChar* picked =
            g_pCharMgr->PickCharAt(x, y, m_actionMode == 1 || m_actionMode == 2, &distance, m_leftHold != 0);
        if (CItemObject* item = PickGroundItem(x, y)) {
            m_pointedId = int32_t(item->GetSecondId(0));
            m_pointedKind = POINTED_MAP_OBJECT;
        } else if (picked) {
            m_pointedId = int32_t(picked->GetCharId());
            m_pointedKind = picked->GetKind();
        } else {
            m_pointedId = m_pointedKind = -1;
        }
    }
    // Shift over another player opens the player menu on it.
    if (m_pointedKind == CHAR_KIND_PLAYER && (uint16_t(plat::GetAsyncKeyState(plat::VK_SHIFT)) & 0x8000))
        ShowPlayerMenu(g_pCharMgr->GetChar(uint32_t(m_pointedId)));
}

void CGameScene::UpdateCursorTarget() {
    if (m_transition != GAME_PLAYING || !g_pCursor) return;
    if (m_pointedId != -1) {
        g_pCursor->SetPointed(uint32_t(m_pointedId), uint8_t(m_pointedKind));
        return;
    }
    // With no character or item pointed, a named placed object under the
    // mouse labels the cursor.
    MapServerObject* placed =
        g_pInputMgr ? PickPlacedObject(g_pInputMgr->m_mouseX, g_pInputMgr->m_mouseY) : nullptr;
    if (placed && placed->m_name[0])
        g_pCursor->SetPointed(placed->m_id, POINTED_KIND_EVENT_OBJECT);
    else
        g_pCursor->SetPointed(0, 0);
}

void CGameScene::DrawTeamMarks() {
    if (!m_pPlayer || !m_pSecondMark || !g_pCharMgr) return;
    if (IAniEvents* events = GetAniEvents(); events && events->IsFieldScriptRunning()) return;
    CCharData* data = m_pPlayer->GetData();
    if (!data) return;
    for (const CTeamMember& member : data->Party().Members()) {
        CChar* c = g_pCharMgr->FindCharByName(member.m_name);
        CAniObject* body = c ? c->GetAniObject() : nullptr;
        if (!body || body->m_hidden) continue;
        m_pSecondMark->SetScreenPosition(c->GetX(), c->GetY() - body->GetHeight(), 0);
        m_pSecondMark->Draw();
    }
}

// ---- Input ----

void CGameScene::RebuildFrameRateLine() {
    const std::string line = FormatFrameRateLine(g_pMainMgr ? g_pMainMgr->GetFrameRate() : 0.0f,
                                                 g_options.GetByte(OPT_FRAME_SKIP) != 0);
    std::snprintf(m_frameRateLine, sizeof m_frameRateLine, "%s", line.c_str());
}

// ---- Drawing ----

CChar* CGameScene::TargetMarkChar() {
    const bool queued = HasQueuedTarget();
    const int32_t id = queued ? m_queuedId : m_pointedId;
    const int32_t kind = queued ? m_queuedKind : m_pointedKind;
    if (id == -1 || kind < 0 || kind > 2 || !g_pCharMgr) return nullptr;
    CChar* target = g_pCharMgr->GetChar(uint32_t(id));
    if (!target) return nullptr;
    if (!queued) {
        auto* npc = dynamic_cast<CNpcChar*>(target);
        if (npc && npc->IsUserShopMerchant() && g_options.GetByte(OPT_SHOW_MERCHANT_MARK) == 0)
            return nullptr;
    }
    return target;
}

bool CGameScene::DrawVersionAndClock() {
    if (g_darkScreen) return false;
    if (CBaseWindow* web = m_windows.Get(gamewin::kWebWindow); web && web->IsVisibleInTree()) return false;
    if (!g_pTextRenderer) return true;
    const int32_t x = GetDisplaySettings().screenWidth - GAME_LINES_RIGHT_OFFSET;
    CSurfaceResource* surface = g_pDirectDraw ? g_pDirectDraw->GetRenderSurface() : nullptr;
    const std::string version = FormatVersionLine(g_config.m_clientVersion, g_options);
    g_pTextRenderer->QueueString(surface, x, GAME_VERSION_LINE_Y, version.c_str(), 0, 0xFFFFFF, 2);
    const plat::LocalTime now = plat::GetLocalTime();
    const std::string clock = FormatClockLine(now.month, now.day, now.hour, now.minute,
                                              g_showFrameRate ? m_frameRateLine : nullptr);
    g_pTextRenderer->DrawString(surface, x, GAME_CLOCK_LINE_Y, clock.c_str(), 0, 0xFFFFFF, 2, true);
    g_pTextRenderer->FlushQueuedStrings();
    return true;
}

void CGameScene::DrawField() {
    ISceneEvents* events = GetSceneEvents();
    if (ISceneScripts* scripts = GetSceneScripts()) scripts->DrawScripts();
    m_oneFrameLine[0] = 0;
    if (g_pRenderQueue) g_pRenderQueue->Reset();
    if (g_pMap) g_pMap->Draw();
    if (g_pAniPlayMgr && g_pRenderQueue) g_pAniPlayMgr->QueueAll(*g_pRenderQueue);
    if (g_pCharMgr) g_pCharMgr->RefreshCharDisplay();
    if (events) events->QueueEventObjects();
    if (ISceneFieldEffects* effects = GetSceneFieldEffects()) effects->Queue();
    if (g_pRenderQueue) g_pRenderQueue->Draw();
    if (CChar* target = TargetMarkChar(); target && m_pTargetMark) {
        m_pTargetMark->SetMotion(target->GetKind() == CHAR_KIND_MONSTER ? 1 : 0);
        CAniObject* body = target->GetAniObject();
        const int32_t top = body ? body->GetAniTopExtent() : 0;
        m_pTargetMark->SetMapPosition(target->m_x, target->m_y - top, 0);
        m_pTargetMark->Draw();
        if (HasQueuedTarget() && g_options.GetByte(OPT_QUEUED_TARGET_BAR) == 1) target->UpdateEnergyBar(-1);
    }
    if (g_options.GetByte(OPT_PARTY_MARKS) == 1) DrawTeamMarks();
    if (g_pDarknessOverlay) g_pDarknessOverlay->Draw();
    if (g_showStageGrid && g_pMap) g_pMap->DrawStageGrid();
    if (events) events->Draw();
    m_overlays.DrawWornEquipmentWarning(m_pPlayer);
    if (g_pWindowMgr) g_pWindowMgr->Draw();
    DrawNameMemoMarks();
    if (g_pMap) g_pMap->DrawFieldObjects();
    m_overlays.ShowBanner(false, 0);
    m_overlays.ShowTextBanner(nullptr, false, false, 0);
    m_overlays.DrawFightClubBoard();
    m_overlays.DrawNotice();
}

bool CGameScene::Draw() {
    ISceneEvents* events = GetSceneEvents();
    if (events && events->IsVisualEventRunning()) {
        if (events->IsScreenBusy()) {
            events->Draw();
            return true;
        }
        if (ISceneScripts* scripts = GetSceneScripts()) scripts->DrawScripts();
        if (g_pRenderQueue) g_pRenderQueue->Reset();
        if (g_pMap) g_pMap->Draw();
        if (g_pAniPlayMgr && g_pRenderQueue) g_pAniPlayMgr->QueueAll(*g_pRenderQueue);
        if (g_pCharMgr) g_pCharMgr->RefreshCharDisplay();
        events->QueueEventObjects();
        if (g_pRenderQueue) g_pRenderQueue->Draw();
        if (g_pDarknessOverlay) g_pDarknessOverlay->Draw();
        if (g_showStageGrid && g_pMap) g_pMap->DrawStageGrid();
        events->Draw();
        if (g_pWindowMgr) g_pWindowMgr->Draw();
        if (g_pMap) g_pMap->DrawFieldObjects();
        DrawVersionAndClock();
        return true;
    }
    if (m_telescope) {
        if (CBaseWindow* telescope = m_windows.Get(gamewin::kTelescope))
            telescope->Draw();
        else
            StartScreenFade();  // the view went away: back to the field
        return true;
    }
    if (!IsWorldReady() || !IsMapReady()) return true;
    const uint32_t now = plat::timeGetTime();
    if (g_options.GetByte(OPT_FRAME_SKIP)) {
        m_frameLag += int32_t(now - m_lastDraw) - int32_t(GAME_FRAME_MS);
        if (m_frameLag > 1000 || m_frameLag < -1000) m_frameLag = 0;
    } else {
        m_frameLag = 0;
    }
    m_lastDraw = now;
    if (m_transition == GAME_WAITING_FOR_MAP) {
        plat::Sleep(10);
        return true;
    }
    if (m_transition == GAME_MAP_READY && !m_fade.IsStarted()) {
        m_fade.Start(FADE_IN, SCENE_FADE_MS);
        m_fade.Update();
        ShowCursorObject(true);
    }
    if (events && events->IsScreenBusy())
        events->Draw();
    else
        DrawField();
    DrawVersionAndClock();
    return true;
}
