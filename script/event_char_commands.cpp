// Character and event-object commands: who is the player, where a character
// stands and which way it faces, and the event's own animated objects (the
// stage's event objects and the objects the create commands make).
#include <algorithm>

#include "anim/ani_object.h"
#include "anim/darkness_overlay.h"
#include "graphics/display_settings.h"
#include "script/event_commands.h"
#include "script/event_mgr.h"
#include "script/event_script.h"
#include "world/chars/char.h"
#include "world/chars/char_controller.h"
#include "world/chars/char_events.h"
#include "world/chars/char_mgr.h"
#include "world/map/map.h"

namespace {

// Facing 0-7 to the sprite's direction 0-14; above 7 gives 0.
uint8_t DirToFrame(uint8_t direction) {
    return direction > 7 ? 0 : uint8_t(direction * 2);
}

// 29: set player.
class CSetPlayerCommand : public CTargetCommand {
public:
    CSetPlayerCommand() : CTargetCommand(29) {}

protected:
    bool ActOn(CChar& target, uint8_t) override {
        if (g_pCharMgr) g_pCharMgr->SetPlayerChar(&target);
        return false;
    }
};

// 45: face.
class CFaceCommand : public CTargetCommand {
public:
    CFaceCommand() : CTargetCommand(45) {}

protected:
    bool ActOn(CChar& target, uint8_t) override {
        target.SetDirection(DirToFrame(GetByteParam(2, 0)));
        return false;
    }
};

// 47: place.
class CPlaceCommand : public CTargetCommand {
public:
    CPlaceCommand() : CTargetCommand(47) {}

protected:
    bool ActOn(CChar& target, uint8_t) override {
        int32_t x = 0, y = 0;
        GetPointParam(&x, &y, 2);
        if (g_pMap && !g_pMap->IsPassableAt(x, y)) ReportEventError(10, {int(x), int(y)});
        target.SetPosition(x * 24, y * 12, 0);
        return false;
    }
};

// 38, 39: walk to a cell. The character manager walks the character; in a
// field script the walk is reported to the server.
class CWalkCommand : public CTargetCommand {
public:
    explicit CWalkCommand(uint32_t kind) : CTargetCommand(kind) {}

protected:
    bool ActOn(CChar& target, uint8_t skip) override {
        int32_t x = 0, y = 0;
        GetPointParam(&x, &y, 3);
        if (skip) {
            target.SetPosition(x * 24, y * 12, 0);
            return false;
        }
        if (m_state == 0) {
            m_state = 1;
            if (g_pMap && !g_pMap->IsPassableAt(x, y))
                ReportEventError(m_kind == 38 ? 8 : 9, {int(x), int(y)});
            auto walk = std::make_unique<CCharMoveMsg>(target.GetCharId(), uint32_t(std::max(0, x)),
                                                       uint32_t(std::max(0, y)));
            CEventScript* event = GetScript();
            walk->m_value = event && !event->IsVisual() ? 1u : 0u;
            if (g_pCharMgr) g_pCharMgr->PostRecord(std::move(walk), 0);
            return GetByteParam(6, 0) == 0;
        }
        if (target.m_cellX != x || target.m_cellY != y) return true;
        HoldRestMotion(target);
        return false;
    }
};

// 42: play a motion a number of times (0: without end).
class CPlayMotionCommand : public CTargetCommand {
public:
    CPlayMotionCommand() : CTargetCommand(42) {}
    bool ResetState() override {
        m_pTarget = nullptr;
        m_plays = 0;
        return CTargetCommand::ResetState();
    }
    // The character it plays on (compared, never read).
    const CChar* Target() const { return m_pTarget; }

protected:
    bool ActOn(CChar& target, uint8_t skip) override {
        if (skip) return false;
        CAniObject* sprite = target.GetAniObject();
        if (!sprite) return false;
        if (m_state == 0) {
            m_state = 1;
            m_pTarget = &target;
            m_plays = 0;
            const uint8_t motion = uint8_t(GetType6Param2(2));
            if (sprite->IsMotionMissing(motion, -1)) {
                ReportEventError(11, {int(motion)});
                return false;
            }
            if (CCharData* data = target.GetData()) data->SetMotion(EVENT_REST_STATE);
            target.SetDirection(GetType6Flag(2));
            sprite->SetMotion(motion);
            sprite->Play(false);
            return true;
        }
        if (!sprite->m_stopped) return true;
        const uint32_t repeat = uint32_t(std::max(0, TextInt(3)));
        ++m_plays;
        if (repeat == 0) {
            m_plays = 0;
        } else if (m_plays >= repeat) {
            if (GetByteParam(5, 0) != 0) HoldRestMotion(target);
            return false;
        }
        sprite->Play(false);
        return true;
    }

private:
    const CChar* m_pTarget = nullptr;
    uint32_t m_plays = 0;
};

// 43: stop motion: the play-motion commands on the same character leave the
// running list after this frame's walk; the character goes back to rest.
class CStopMotionCommand : public CTargetCommand {
public:
    CStopMotionCommand() : CTargetCommand(43) {}

protected:
    bool ActOn(CChar& target, uint8_t) override {
        if (CEventFunction* function = GetOwner())
            for (CEventCommand* running : function->Active())
                if (auto* play = dynamic_cast<CPlayMotionCommand*>(running);
                    play && play->Target() == &target)
                    function->DropActive(play);
        HoldRestMotion(target);
        return false;
    }
};

// 49: the character's rest motion.
class CRestMotionCommand : public CTargetCommand {
public:
    CRestMotionCommand() : CTargetCommand(49) {}

protected:
    bool ActOn(CChar& target, uint8_t) override {
        const uint32_t motion = GetType6Param(2);
        CAniObject* sprite = target.GetAniObject();
        if (!sprite || motion > 255 || sprite->IsMotionMissing(uint8_t(motion), -1)) {
            ReportEventError(12, {int(motion)});
            return false;
        }
        if (CCharData* data = target.GetData()) data->m_restMotion = motion;
        return false;
    }
};

// 44: a light carried by a player character or an NPC.
class CLightCommand : public CTargetCommand {
public:
    CLightCommand() : CTargetCommand(44) {}

protected:
    bool ActOn(CChar& target, uint8_t) override {
        if (!g_pDarknessOverlay) return false;
        if (target.GetKind() != CHAR_KIND_PLAYER && target.GetKind() != CHAR_KIND_NPC) return false;
        if (GetByteParam(2, 0) == 0) {
            g_pDarknessOverlay->RemoveLight(&target.m_lightId);
        } else if (target.m_lightId == NO_LIGHT) {
            const CAniObject* sprite = target.GetAniObject();
            target.m_lightId = g_pDarknessOverlay->AddLight(sprite ? sprite->m_screenX : 0,
                                                            sprite ? sprite->m_screenY : 0, 6, 0);
        }
        return false;
    }
};

// 50: the afterimage trail of the character's sprite.
class CTrailCommand : public CTargetCommand {
public:
    CTrailCommand() : CTargetCommand(50) {}

protected:
    bool ActOn(CChar& target, uint8_t) override {
        if (CAniObject* sprite = target.GetAniObject()) {
            if (GetByteParam(2, 0) != 0)
                sprite->StartTrail();
            else
                sprite->StopTrail();
        }
        return false;
    }
};

// 48: every character of the field shown and acting, or neither.
class CFieldCharsCommand : public CEventScriptCommand {
public:
    CFieldCharsCommand() : CEventScriptCommand(48) {}
    bool ActOn(CEventScript& event, uint8_t) override {
        event.SetFieldCharsOn(GetByteParam(0, 0) != 0);
        return false;
    }
};

// 52-56: the stage's event objects.
class CEventObjectCommand : public CEventScriptCommand {
public:
    explicit CEventObjectCommand(uint32_t kind) : CEventScriptCommand(kind) {}
    bool ActOn(CEventScript& event, uint8_t) override {
        EventObject* entry = event.FindEventObject(GetType9Param(0));
        if (!entry || !entry->object) return false;
        CAniObject* object = entry->object.get();
        switch (m_kind) {
            case 52:
                if (m_state == 0) {
                    m_state = 1;
                    const uint8_t motion = uint8_t(GetType6Param(1));
                    if (object->IsMotionMissing(motion, -1)) {
                        ReportEventError(13, {int(motion)});
                        return false;
                    }
                    object->SetMotion(motion);
                    const bool loop = GetByteParam(2, 0) != 0;
                    object->Play(loop);
                    return !loop;
                }
                return object->m_stopped == 0;
            case 53:
                object->Stop();
                return false;
            case 54:
                std::erase_if(event.EventObjects(), [entry](const EventObject& o) { return &o == entry; });
                return false;
            case 55:
                entry->hidden = GetByteParam(1, 0) == 0;
                return false;
            case 56:
                object->SetDirection(DirToFrame(GetByteParam(1, 0)));
                return false;
            default:
                return false;
        }
    }
};

// The screen point of an 800 x 600 frame centred on the screen.
void CentreFrame(int32_t* x, int32_t* y) {
    const CDisplaySettings& screen = GetDisplaySettings();
    *x += screen.screenWidth / 2 - 400;
    *y += screen.screenHeight / 2 - 300;
}

// 66: create object on the map; 67: on the screen.
class CCreateObjectCommand : public CEventScriptCommand {
public:
    explicit CCreateObjectCommand(uint32_t kind) : CEventScriptCommand(kind) {}
    bool ActOn(CEventScript& event, uint8_t) override {
        const uint32_t id = uint32_t(TextInt(1));
        if (m_state == 0) {
            m_state = 1;
            auto object = std::make_unique<CAniObject>();
            if (!object->SetAnimation(GetType6Param(0))) return false;
            object->SetMotion(uint8_t(GetType6Param2(0)));
            object->SetUnderlay(true);
            object->SetDirection(GetType6Flag(0));
            int32_t x = 0, y = 0;
            GetPointParam(&x, &y, 2);
            EventCreatedObject entry;
            entry.id = id;
            entry.repeat = uint32_t(std::max(0, TextInt(3)));
            if (m_kind == 67) {
                CentreFrame(&x, &y);
                object->SetScreenPosition(x, y, 0);
                entry.screen = 1;
            } else {
                object->SetMapPosition(x * 24, y * 12, 0);
            }
            object->m_layer = TextInt(5);
            object->Play(false);
            entry.object = std::move(object);
            event.CreatedObjects().push_back(std::move(entry));
            return GetByteParam(4, 0) == 0;
        }
        EventCreatedObject* entry = event.FindCreated(id);
        if (!entry) return false;
        if (!entry->object || entry->object->m_stopped == 0) return entry->object != nullptr;
        std::vector<EventCreatedObject>& list = event.CreatedObjects();
        list.erase(list.begin() + (entry - list.data()));
        return false;
    }
};

// 68-70: remove, hide and turn a created object.
class CCreatedObjectCommand : public CEventScriptCommand {
public:
    explicit CCreatedObjectCommand(uint32_t kind) : CEventScriptCommand(kind) {}
    bool ActOn(CEventScript& event, uint8_t) override {
        EventCreatedObject* entry = event.FindCreated(uint32_t(TextInt(1)));
        if (!entry) return false;
        if (m_kind == 68) {
            std::vector<EventCreatedObject>& list = event.CreatedObjects();
            list.erase(list.begin() + (entry - list.data()));
        } else if (m_kind == 69) {
            entry->hidden = GetByteParam(2, 0) == 0;
        } else if (entry->object) {
            entry->object->SetDirection(DirToFrame(GetByteParam(2, 0)));
        }
        return false;
    }
};

// 71: move a created object by an offset; 72: to a position.
class CMoveObjectCommand : public CEventScriptCommand {
public:
    explicit CMoveObjectCommand(uint32_t kind) : CEventScriptCommand(kind) {}
    bool ActOn(CEventScript& event, uint8_t) override {
        const uint32_t id = uint32_t(TextInt(0));
        EventCreatedObject* entry = event.FindCreated(id);
        if (m_state != 0) return entry && entry->moving;
        m_state = 1;
        if (!entry || !entry->object) return false;
        int32_t x = 0, y = 0;
        GetPointParam(&x, &y, 1);
        if (m_kind == 71) {
            if (entry->screen) {
                x += entry->object->m_screenX;
                y += entry->object->m_screenY;
            } else {
                x += entry->object->m_mapX / 24;
                y += entry->object->m_mapY / 12;
            }
        } else if (entry->screen) {
            CentreFrame(&x, &y);
        }
        event.StartMove(id, float(TextReal(2)), float(TextReal(3)), x, y);
        return GetByteParam(4, 0) == 0;
    }
};

}  // namespace

std::unique_ptr<CEventCommand> MakeCharCommand(int kind) {
    switch (kind) {
        case 29:
            return std::make_unique<CSetPlayerCommand>();
        case 38:
        case 39:
            return std::make_unique<CWalkCommand>(uint32_t(kind));
        case 42:
            return std::make_unique<CPlayMotionCommand>();
        case 43:
            return std::make_unique<CStopMotionCommand>();
        case 44:
            return std::make_unique<CLightCommand>();
        case 45:
            return std::make_unique<CFaceCommand>();
        case 48:
            return std::make_unique<CFieldCharsCommand>();
        case 49:
            return std::make_unique<CRestMotionCommand>();
        case 50:
            return std::make_unique<CTrailCommand>();
        case 47:
            return std::make_unique<CPlaceCommand>();
        case 52:
        case 53:
        case 54:
        case 55:
        case 56:
            return std::make_unique<CEventObjectCommand>(uint32_t(kind));
        case 66:
        case 67:
            return std::make_unique<CCreateObjectCommand>(uint32_t(kind));
        case 68:
        case 69:
        case 70:
            return std::make_unique<CCreatedObjectCommand>(uint32_t(kind));
        case 71:
        case 72:
            return std::make_unique<CMoveObjectCommand>(uint32_t(kind));
        default:
            return nullptr;
    }
}
