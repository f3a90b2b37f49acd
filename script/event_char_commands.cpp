// Character and event-object commands: who is the player, where a character
// stands and which way it faces, and the event's own animated objects (the
// stage's event objects and the objects the create commands make).
#include <algorithm>

#include "anim/ani_object.h"
#include "graphics/display_settings.h"
#include "script/event_commands.h"
#include "script/event_mgr.h"
#include "script/event_script.h"
#include "world/chars/char.h"
#include "world/chars/char_mgr.h"
#include "world/map/map.h"

namespace {

// Facing 0-7 to the sprite's direction 0-14; above 7 gives 0.
uint8_t DirToFrame(uint8_t direction) {
    return direction > 7 ? 0 : uint8_t(direction * 2);
}

// 29: set player.
class CSetPlayerCommand : public CEventCommand {
public:
    CSetPlayerCommand() : CEventCommand(29) {}
    using CBaseObject::Execute;
    bool Execute(uint8_t) override {
        if (CChar* target = FindTarget(0, 1); target && g_pCharMgr) g_pCharMgr->SetPlayerChar(target);
        return false;
    }
};

// 45: face.
class CFaceCommand : public CEventCommand {
public:
    CFaceCommand() : CEventCommand(45) {}
    using CBaseObject::Execute;
    bool Execute(uint8_t) override {
        if (CChar* target = FindTarget(0, 1)) target->SetDirection(DirToFrame(GetByteParam(2, 0)));
        return false;
    }
};

// 47: place.
class CPlaceCommand : public CEventCommand {
public:
    CPlaceCommand() : CEventCommand(47) {}
    using CBaseObject::Execute;
    bool Execute(uint8_t) override {
        CChar* target = FindTarget(0, 1);
        if (!target) return false;
        int32_t x = 0, y = 0;
        GetPointParam(&x, &y, 2);
        if (g_pMap && !g_pMap->IsPassableAt(x, y)) ReportEventError(10, {int(x), int(y)});
        target->SetPosition(x * 24, y * 12, 0);
        return false;
    }
};

// 52-56: the stage's event objects.
class CEventObjectCommand : public CEventCommand {
public:
    explicit CEventObjectCommand(uint32_t kind) : CEventCommand(kind) {}
    using CBaseObject::Execute;
    bool Execute(uint8_t) override {
        CEventScript* event = GetScript();
        EventObject* entry = event ? event->FindEventObject(GetType9Param(0)) : nullptr;
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
                std::erase_if(event->EventObjects(), [entry](const EventObject& o) { return &o == entry; });
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
class CCreateObjectCommand : public CEventCommand {
public:
    explicit CCreateObjectCommand(uint32_t kind) : CEventCommand(kind) {}
    using CBaseObject::Execute;
    bool Execute(uint8_t) override {
        CEventScript* event = GetScript();
        if (!event) return false;
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
            event->CreatedObjects().push_back(std::move(entry));
            return GetByteParam(4, 0) == 0;
        }
        EventCreatedObject* entry = event->FindCreated(id);
        if (!entry) return false;
        if (!entry->object || entry->object->m_stopped == 0) return entry->object != nullptr;
        std::vector<EventCreatedObject>& list = event->CreatedObjects();
        list.erase(list.begin() + (entry - list.data()));
        return false;
    }
};

// 68-70: remove, hide and turn a created object.
class CCreatedObjectCommand : public CEventCommand {
public:
    explicit CCreatedObjectCommand(uint32_t kind) : CEventCommand(kind) {}
    using CBaseObject::Execute;
    bool Execute(uint8_t) override {
        CEventScript* event = GetScript();
        EventCreatedObject* entry = event ? event->FindCreated(uint32_t(TextInt(1))) : nullptr;
        if (!entry) return false;
        if (m_kind == 68) {
            std::vector<EventCreatedObject>& list = event->CreatedObjects();
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
class CMoveObjectCommand : public CEventCommand {
public:
    explicit CMoveObjectCommand(uint32_t kind) : CEventCommand(kind) {}
    using CBaseObject::Execute;
    bool Execute(uint8_t) override {
        CEventScript* event = GetScript();
        if (!event) return false;
        const uint32_t id = uint32_t(TextInt(0));
        EventCreatedObject* entry = event->FindCreated(id);
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
        event->StartMove(id, float(TextReal(2)), float(TextReal(3)), x, y);
        return GetByteParam(4, 0) == 0;
    }
};

}  // namespace

std::unique_ptr<CEventCommand> MakeCharCommand(int kind) {
    switch (kind) {
        case 29:
            return std::make_unique<CSetPlayerCommand>();
        case 45:
            return std::make_unique<CFaceCommand>();
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
