#include "world/cursor.h"

#include <cstdio>
#include <cstring>

#include "anim/ani_object.h"
#include "anim/ani_play_mgr.h"
#include "core/config.h"
#include "core/input_mgr.h"
#include "core/key_bindings.h"
#include "data/char_resource_mgr.h"
#include "data/game_hooks.h"
#include "data/item_object.h"
#include "data/text_format.h"
#include "data/text_tables.h"
#include "platform/keyboard.h"
#include "ui/base_window.h"
#include "ui/items/item_info.h"
#include "ui/tooltip_window.h"
#include "ui/window_mgr.h"
#include "world/chars/char.h"
#include "world/chars/char_controller.h"
#include "world/chars/char_mgr.h"
#include "world/map/map.h"
#include "world/map/map_data.h"
#include "world/world_startup.h"

CCursor* g_pCursor = nullptr;

namespace {

// Club marks: 25 a sheet, five frame groups of five directions.
constexpr uint32_t CLUB_MARKS_PER_SHEET = 25;
constexpr uint8_t CLUB_MARK_DIRECTIONS[5] = {2, 0, 14, 12, 10};
constexpr int32_t LABEL_ABOVE_CURSOR = 10;
constexpr int32_t LABEL_BELOW_GAUGE = 30;
static_assert(OPT_PET_NAMES < OPT_KEY_BINDINGS && OPT_SHOP_NAMES < OPT_KEY_BINDINGS &&
                  OPT_TEAM_BARS < OPT_KEY_BINDINGS && OPT_MONSTER_BARS < OPT_KEY_BINDINGS,
              "the label switches lie before the hot-key table");

template <size_t N>
void CopyBounded(char (&out)[N], const char* text) {
    CopyRecordText(out, N, text ? text : "");
}

// A row of the label formats, or null when the table has none.
const char* LabelFormat(int row) {
    const char* format = GetTableText(CURSOR_TEXT_TABLE, row);
    return format && *format ? format : nullptr;
}

}  // namespace

CCursor::CCursor() = default;

CCursor::~CCursor() {
    // Whoever deletes the cursor (the main manager at shutdown), nothing
    // keeps reaching it.
    UninstallCursor(this);
    CCursor::Release();
}

bool CCursor::Create() {
    SetAllFlags(true);
    m_clubMarkId = m_clubSheet = UINT32_MAX;
    m_shape = -1;
    m_pClubMark = std::make_unique<CAniObject>();
    m_pointed = CursorPointed{};
    LoadCursorAnimation(CURSOR_ANIMATION_NAME, 0);
    m_pLabel = std::make_unique<CToolTipWindow>();
    m_pLabel->Create();
    return true;
}

bool CCursor::Release() {
    // The held object is not ours: it is only forgotten.
    m_held.Assign(nullptr);
    m_windowUnder.Assign(nullptr);
    m_pLabel.reset();
    m_pSprite.reset();
    m_pClubMark.reset();
    return true;
}

bool CCursor::Show() {
    SetAllFlags(true);
    return true;
}

bool CCursor::Hide() {
    SetAllFlags(false);
    return false;
}

// ---- The held object ----

CDragObject* CCursor::ProbeHeld() {
    CDragObject* held = m_held.GetAs<CDragObject>();
    if (!held) m_held.Assign(nullptr);
    return held;
}

CDragObject* CCursor::GetHeldObject() {
    return ProbeHeld();
}

void CCursor::SetPointedObject(CDragObject* object) {
    CDragObject* held = ProbeHeld();
    if (held) {
        if (object) return;
        // Forget it first: an EndDrag that comes back here finds nothing held.
        m_held.Assign(nullptr);
        held->EndDrag();
        return;
    }
    if (object) m_held.Assign(object);
}

void CCursor::DropIfHeld(CDrawObject* object) {
    if (object && m_held.Get() == object) m_held.Assign(nullptr);
}

// ---- The window side ----

void CCursor::ResetWindowState(int32_t, int32_t) {
    m_overWindow = 0;
    m_windowLayer = -1;
    m_forced = 0;
    SetText("", LEVEL_COLOUR_WHITE);
}

void CCursor::SetShapeIndex(int32_t shape) {
    m_forcedShape = shape;
    m_forced = 1;
}

void CCursor::SetText(const char* text, uint32_t colour) {
    CopyRecordText(m_text, sizeof m_text, text ? text : "");
    m_textColour = colour;
}

void CCursor::ClearToolTip() {
    m_text[0] = 0;
}

int32_t CCursor::GetImageHeight() {
    if (!m_pSprite) return 0;
    const AniRect r = m_pSprite->GetBounds(false, false);
    return r.bottom > r.top ? r.bottom - r.top : 0;
}

void CCursor::UpdateWindowUnderCursor(int32_t x, int32_t y) {
    m_windowUnder.Assign(m_pSprite && g_pWindowMgr ? g_pWindowMgr->GetWindowAt(x, y) : nullptr);
}

CBaseWindow* CCursor::GetWindowUnderCursor() const {
    return m_windowUnder.GetAs<CBaseWindow>();
}

// ---- What lies under the mouse ----

void CCursor::FillFromChar(CChar* c, uint8_t kind) {
    m_pointed.m_present = 1;
    m_pointed.m_kind = kind;
    m_pointed.m_id = c->GetCharId();
    const char* shown = c->GetInfo(nullptr);
    CopyBounded(m_pointed.m_name, shown);
    CopyBounded(m_pointed.m_text1, c->m_ownName[0] ? c->m_ownName : shown);
    CopyBounded(m_pointed.m_text2, c->m_title);
    CopyBounded(m_pointed.m_clubName, c->m_clubName);
    CopyBounded(m_pointed.m_clubText, c->m_clubTitle);
    m_pointed.m_clubMark = c->m_clubValue;
    m_pointed.m_labelStyle = c->m_colorByte == 255 ? 0 : c->m_colorByte;
    if (const CCharData* data = c->GetData()) m_pointed.m_level = data->m_values[VALUE_LEVEL];
    m_pointed.m_x = c->GetX();
    m_pointed.m_y = c->GetY();
}

void CCursor::SetPointed(uint32_t id, uint8_t kind) {
    m_pointed = CursorPointed{};
    if (id == 0 || !IsUpdateOn()) return;
    switch (kind) {
        case POINTED_KIND_PLAYER:
        case POINTED_KIND_NPC:
        case POINTED_KIND_MONSTER: {
            CChar* c = g_pCharMgr ? g_pCharMgr->GetChar(id) : nullptr;
            if (!c) return;
            FillFromChar(c, kind);
            if (kind == POINTED_KIND_NPC) {
                auto* npc = static_cast<CNpcChar*>(c);
                if (c->GetKind() == CHAR_KIND_NPC && npc->IsUserShopMerchant()) {
                    m_pointed.m_merchant = 1;
                    CopyBounded(m_pointed.m_shopTitle, c->m_signText);
                }
            }
            if (CChar* user = g_pCharMgr->GetPlayer()) {
                m_pointed.m_own = c == user;
                m_pointed.m_attackable = c != user && GameWorld().CanAttack(user, c);
            }
            return;
        }
        case POINTED_KIND_PET: {
            if (!g_options.GetByte(OPT_PET_NAMES)) return;
            CChar* c = g_pCharMgr ? g_pCharMgr->GetChar(id) : nullptr;
            if (!c) return;
            FillFromChar(c, kind);
            m_pointed.m_clubName[0] = m_pointed.m_clubText[0] = 0;
            m_pointed.m_clubMark = 0;
            return;
        }
        case POINTED_KIND_FIELD_OBJECT: {
            CItemObject* item = g_pMap ? g_pMap->FindFieldObject(id) : nullptr;
            if (!item) return;
            m_pointed.m_present = 1;
            m_pointed.m_kind = kind;
            m_pointed.m_id = id;
            CopyBounded(m_pointed.m_name, item->GetName());
            m_pointed.m_fieldFlag = item->GetFlags() != 0;
            m_pointed.m_fieldCount = item->GetCount();
            m_pointed.m_fieldColour = ItemNameColour(*item);
            // An item icon's picture is its sprite, not the drawing object's own.
            CAniObject* picture = item->GetAniObject();
            m_pointed.m_x = picture ? picture->GetX() : item->GetX();
            m_pointed.m_y = picture ? picture->GetY() : item->GetY();
            return;
        }
        case POINTED_KIND_EVENT_OBJECT: {
            // The map's placed object, of the rod's kind or the walk-onto
            // kind, while it has a picture.
            CMapData* map = g_pMap ? g_pMap->GetMapData() : nullptr;
            MapServerObject* object = map ? map->FindObjectById(id) : nullptr;
            if (!object || !object->m_pAniObject ||
                (object->m_byte != PLACED_OBJECT_ROD && object->m_byte != PLACED_OBJECT_WALK_ONTO))
                return;
            m_pointed.m_present = 1;
            m_pointed.m_kind = kind;
            m_pointed.m_id = id;
            m_pointed.m_placedKind = object->m_byte;
            CopyBounded(m_pointed.m_name, object->m_name);
            m_pointed.m_x = object->m_pAniObject->GetX();
            m_pointed.m_y = object->m_pAniObject->GetY();
            return;
        }
        default:
            return;
    }
}

// ---- Shapes ----

void CCursor::LoadCursorAnimation(const char* name, uint32_t mode) {
    const uint32_t animation = FindAniByName(name);
    auto sprite = std::make_unique<CAniObject>();
    if (!animation || !sprite->SetAnimation(animation)) {
        m_pSprite.reset();
        return;
    }
    sprite->SetScreenPosition(0, 0, 0);
    sprite->SetUnderlay(false);
    sprite->m_hidden = 0;
    sprite->m_layer = 6;
    m_pSprite = std::move(sprite);
    m_mode = mode;
    m_shape = CURSOR_NORMAL;
    m_pSprite->SetMotion(0);
    const bool pressed = m_buttons == 1;
    m_pSprite->SetDirection(pressed ? 2 : 14);
    m_pSprite->Play(!pressed);
    SetDrawOn(true);
    SetUpdateOn(true);
}

void CCursor::SetShape(int32_t shape) {
    m_shape = shape;
    if (!m_pSprite) return;
    if (shape == CURSOR_PRESSED || shape == CURSOR_RELEASED) {
        m_pSprite->SetDirection(shape == CURSOR_PRESSED ? 12 : 0);
        m_pSprite->Play(false);
        return;
    }
    if (shape == CURSOR_HIDDEN) {
        m_pSprite->m_hidden = 1;
        return;
    }
    m_pSprite->m_hidden = 0;
    m_pSprite->SetMotion(uint8_t(shape));
    const bool pressed = m_buttons == 1;
    m_pSprite->SetDirection(pressed ? 2 : 14);
    m_pSprite->Play(!pressed);
}

int32_t CCursor::ComputeShape() {
    CChar* user = g_pCharMgr ? g_pCharMgr->GetPlayer() : nullptr;
    if (!user) return CURSOR_NORMAL;
    if (plat::GetAsyncKeyState(ALT_KEY) < 0 && m_pointed.m_present) return CURSOR_ALT;
    if (m_mode == 1 || m_mode == 2) return CURSOR_MODE;
    if (m_forced) return m_forcedShape;
    CCharController* controller = user->GetController();
    if (controller && !controller->CanUseSkill(true, 0, false, nullptr, 0) && user->GetData() &&
        user->GetData()->m_motion != MOTION_SKILL)
        return CURSOR_CANNOT_ACT;
    if (!g_pMap || !g_pMap->GetMapData()) return CURSOR_NORMAL;
    const int32_t x = m_pSprite ? m_pSprite->m_screenX : 0;
    const int32_t y = m_pSprite ? m_pSprite->m_screenY : 0;
    const IsoPoint cell = g_pMap->ScreenToBlock(x, y);
    if (cell.x < 0 || cell.y < 0 || cell.x >= g_pMap->GetWidth() || cell.y >= g_pMap->GetHeight())
        return CURSOR_BLOCKED;
    if (m_pointed.m_present && !m_pointed.m_own) {
        if (m_pointed.m_attackable) return CURSOR_ATTACK;
        if (m_pointed.m_kind == POINTED_KIND_FIELD_OBJECT) return CURSOR_PICK_UP;
        if (m_pointed.m_kind == POINTED_KIND_EVENT_OBJECT) {
            // The rod's object takes a rod skill; the walk-onto one is talked to.
            const uint32_t skill = user->GetData() ? user->GetData()->GetSelectedSkillId() : 0;
            if (m_pointed.m_placedKind == PLACED_OBJECT_ROD)
                return skill >= ROD_PLACED_SKILL_FIRST && skill <= ROD_PLACED_SKILL_LAST ? CURSOR_PICK_UP
                                                                                         : CURSOR_NORMAL;
            return m_pointed.m_placedKind == PLACED_OBJECT_WALK_ONTO ? CURSOR_TALK : CURSOR_NORMAL;
        }
        return g_options.GetByte(OPT_SHOP_NAMES) || !m_pointed.m_merchant ? CURSOR_TALK : CURSOR_NORMAL;
    }
    int32_t shape = CURSOR_NORMAL;
    if (!g_pMap->IsPassable(cell.x * 4, cell.y * 4)) shape = CURSOR_BLOCKED;
    if (g_pMap->IsInAreaMarker(cell.x * 4, cell.y * 4)) shape = CURSOR_AREA;
    return shape;
}

bool CCursor::Update() {
    if (m_pLabel) m_pLabel->Update();
    if (m_pSprite) m_pSprite->Update();
    if (m_shape == CURSOR_HIDDEN && m_pSprite) {
        m_shape = CURSOR_PRESSED;
        m_pSprite->SetDirection(12);
        m_pSprite->Play(false);
    }
    const uint32_t buttons = g_pInputMgr && g_pInputMgr->IsButtonDown(0) ? 1 : 0;
    if (buttons != m_buttons) {
        m_buttons = buttons;
        SetShape(m_shape);
    }
    const int32_t shape = ComputeShape();
    if (shape != m_shape) SetShape(shape);
    if (CDragObject* held = ProbeHeld()) held->UpdateAtCursor();
    if (m_pSprite && g_pInputMgr)
        m_pSprite->SetScreenPosition(g_pInputMgr->m_mouseX, g_pInputMgr->m_mouseY, 0);
    return true;
}

// ---- Club marks ----

void CCursor::SetClubMark(uint32_t id) {
    if (id == 0) return;
    const uint32_t sheet = (id - 1) / CLUB_MARKS_PER_SHEET + 1;
    if (id == m_clubMarkId && sheet == m_clubSheet) return;
    const uint32_t index = (id - 1) % CLUB_MARKS_PER_SHEET;
    char name[32];
    std::snprintf(name, sizeof name, "Club_Mark#%u", sheet);
    m_clubMarkId = id;
    m_clubSheet = sheet;
    auto mark = std::make_unique<CAniObject>();
    const uint32_t animation = FindAniByName(name);
    if (animation && mark->SetAnimation(animation)) {
        mark->SetMotion(uint8_t(index / 5));
        mark->SetDirection(CLUB_MARK_DIRECTIONS[index % 5]);
        mark->Play(true);
    }
    m_pClubMark = std::move(mark);
}

// ---- The label ----

CursorLabel CCursor::BuildLabel() {
    CursorLabel label;
    if (!m_pointed.m_present) return label;
    const CursorPointed& p = m_pointed;
    CChar* user = g_pCharMgr ? g_pCharMgr->GetPlayer() : nullptr;
    switch (p.m_kind) {
        case POINTED_KIND_PLAYER:
            label.m_text = p.m_text1;
            if (p.m_clubText[0])
                label.m_title = FormatTableText("%s(%s)", {p.m_clubName, p.m_clubText});
            else
                label.m_title = p.m_clubName;
            if (user && g_options.GetByte(OPT_TEAM_BARS) == 1 && user->GetData() &&
                user->GetData()->Party().HasMember(p.m_name))
                label.m_below = LABEL_BELOW_GAUGE;
            break;
        case POINTED_KIND_PET:
            if (const char* format = LabelFormat(2))
                label.m_text = FormatTableText(format, {p.m_text2, p.m_text1});
            else
                label.m_text = p.m_text1;
            break;
        case POINTED_KIND_FIELD_OBJECT:
            label.m_colour = p.m_fieldColour;
            if (p.m_fieldFlag || (p.m_fieldCount < 2 && std::strcmp(p.m_name, "SEED") != 0)) {
                label.m_text = p.m_name;
            } else if (std::strcmp(p.m_name, "SEED") == 0) {
                label.m_text = FormatTableText("%u %s", {p.m_fieldCount, p.m_name});
            } else if (const char* format = LabelFormat(0)) {
                label.m_text = FormatTableText(format, {p.m_name, p.m_fieldCount});
            } else {
                label.m_text = FormatTableText("%s %u", {p.m_name, p.m_fieldCount});
            }
            break;
        case POINTED_KIND_EVENT_OBJECT:
            label.m_text = p.m_name;
            break;
        default:  // NPCs and monsters
            if (p.m_merchant && !g_options.GetByte(OPT_SHOP_NAMES)) break;
            if (p.m_merchant) {
                const char* format = LabelFormat(1);
                label.m_text = format ? FormatTableText(format, {p.m_shopTitle}) : std::string(p.m_shopTitle);
            } else {
                label.m_text = p.m_name;
            }
            if (p.m_kind != POINTED_KIND_MONSTER) break;
            // A monster is coloured by its level against the user's.
            if (user && user->GetData() && g_pCharResourceMgr)
                label.m_colour = g_pCharResourceMgr->GetLevelColor(
                    int32_t(p.m_level), int32_t(user->GetData()->m_values[VALUE_LEVEL]));
            if (g_options.GetByte(OPT_MONSTER_BARS) == 1 && g_pMap && g_pMap->IsBattleAllowed() && g_pCharMgr)
                if (CChar* monster = g_pCharMgr->GetChar(p.m_id)) {
                    label.m_gauge = monster;
                    label.m_below = LABEL_BELOW_GAUGE;
                }
            break;
    }
    return label;
}

void CCursor::PlaceLabel(const CursorLabel& label) {
    if (!m_pLabel) return;
    int32_t x = 0, y = 0;
    if (m_pointed.m_present) {
        x = m_pointed.m_x;
        y = m_pointed.m_y + label.m_below;
        if (!label.m_title.empty() && m_pointed.m_clubMark && m_pClubMark) {
            const AniRect r = m_pClubMark->GetBounds(false, false);
            x += (r.right - r.left) / 2;
        }
        CChar* user = g_pCharMgr ? g_pCharMgr->GetPlayer() : nullptr;
        if (user && g_pMap && g_pMap->IsBattleAllowed()) {
            // Keep the label off the user's own gauges.
            const int32_t ux = user->GetX(), uy = user->GetY();
            const int32_t width = int32_t(label.m_text.size()) * 6 + 25 + (label.m_title.empty() ? 0 : 40);
            const int32_t height = label.m_title.empty() ? 24 : 36;
            const int32_t left = x - width / 2, top = y - height / 2;
            const int32_t gaugeLeft = ux - 25, gaugeRight = ux + 35, gaugeTop = uy + 20,
                          gaugeBottom = uy + 30;
            if (left < gaugeRight && left + width > gaugeLeft && top < gaugeBottom &&
                top + height > gaugeTop) {
                const int32_t toRight = gaugeRight - left, toLeft = left + width - gaugeLeft;
                x += toRight <= toLeft ? toRight : -toLeft;
            }
        }
    } else if (m_pSprite) {
        const AniRect r = m_pSprite->GetBounds(false, false);
        x = m_pSprite->m_screenX;
        y = (r.bottom > r.top ? r.top : m_pSprite->m_screenY) - LABEL_ABOVE_CURSOR;
    }
    m_pLabel->SetPosition(x, y);
}

bool CCursor::Draw() {
    if (m_pLabel) {
        m_pLabel->SetSecondLine(nullptr, nullptr);
        m_pLabel->SetStyle(255);
    }
    if (m_pSprite) m_pSprite->Draw();
    CursorLabel label;
    if (g_pCharMgr && g_pCharMgr->m_showNames && m_pointed.m_present) label = BuildLabel();
    if (label.m_gauge) label.m_gauge->UpdateEnergyBar(-1);
    if (m_pLabel) {
        if (!label.m_text.empty()) {
            m_pLabel->SetText(label.m_text.c_str(), label.m_colour);
            if (m_pointed.m_kind == POINTED_KIND_PLAYER) {
                m_pLabel->SetStyle(m_pointed.m_labelStyle);
                if (!label.m_title.empty()) {
                    SetClubMark(m_pointed.m_clubMark);
                    m_pLabel->SetSecondLine(label.m_title.c_str(),
                                            m_pointed.m_clubMark ? m_pClubMark.get() : nullptr);
                }
            }
        } else {
            m_pLabel->SetText(m_text, m_textColour);
        }
        PlaceLabel(label);
        m_pLabel->Draw();
    }
    if (CDragObject* held = ProbeHeld()) held->DrawAtCursor();
    return true;
}

bool CCursor::ProcessMessages() {
    CMsgPort* port = GetPort();
    if (!port) return true;
    uint32_t eventId = 0;
    MsgDataPtr payload;
    while (port->PopFields(nullptr, &eventId, &payload, nullptr)) {
        auto* record = dynamic_cast<CMsgPayload*>(payload.get());
        const uint32_t id = record ? record->m_id : eventId;
        if (id == MSG_CURSOR_POINT) {
            if (auto* point = dynamic_cast<CCursorPointMsg*>(record))
                SetPointed(point->m_objectId, point->m_kind);
        } else if (id == MSG_CURSOR_ANIMATION) {
            if (auto* ani = dynamic_cast<CCursorAniMsg*>(record)) {
                ani->m_name[sizeof ani->m_name - 1] = 0;
                LoadCursorAnimation(ani->m_name, 0);
            }
        }
        payload.reset();
    }
    return true;
}
