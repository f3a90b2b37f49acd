// Camera, screen and sound commands: the view's focus, the fades and screen
// effects, the shake, the cinema bars and the music. The screen effects are
// not part of the program yet: every fade and effect is finished at once.
#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "anim/field_sound.h"
#include "platform/clock.h"
#include "script/event_commands.h"
#include "script/event_mgr.h"
#include "script/event_script.h"
#include "world/chars/char_mgr.h"
#include "world/map/map.h"
#include "world/map/map_data.h"

namespace {

CMapData* MapData() {
    return g_pMap ? g_pMap->GetMapData() : nullptr;
}

uint32_t Now() {
    return std::max(1u, plat::timeGetTime());
}

// 27: pan the view releasing the player; 28: pan; 30: set the view.
class CPanCommand : public CEventCommand {
public:
    explicit CPanCommand(uint32_t kind) : CEventCommand(kind) {}
    using CBaseObject::Execute;
    bool Execute(uint8_t skip) override {
        CMapData* map = MapData();
        if (!map) return false;
        int32_t cx = 0, cy = 0;
        GetPointParam(&cx, &cy, 0);
        const float tx = float(cx * 24), ty = float(cy * 12);
        if (m_kind == 30 || skip) {
            map->SetFocus(tx, ty);
            return false;
        }
        if (m_state == 0) {
            m_state = Now();
            if (m_kind == 27 && g_pCharMgr) g_pCharMgr->SetPlayerChar(nullptr);
            m_startX = map->GetFocusX();
            m_startY = map->GetFocusY();
            return true;
        }
        const uint32_t t = plat::timeGetTime() - m_state;
        const double speed = TextReal(1), acceleration = TextReal(2);
        const uint32_t steps = t / 10;
        double d = t > 10 ? double(t % 10) * 0.1 * speed : 0.0;
        for (uint32_t i = 0; i < steps && i < 1000000; ++i) d += speed + double(i) * acceleration;
        // The field is drawn at 2:1: distances and angles with x halved.
        const double dx = (tx - m_startX) / 2.0, dy = ty - m_startY;
        const double remaining = std::sqrt(dx * dx + dy * dy);
        if (d < remaining) {
            const double angle = std::atan2(dy, dx);
            map->SetFocus(float(m_startX + 2.0 * d * std::cos(angle)), float(m_startY + d * std::sin(angle)));
            return true;
        }
        map->SetFocus(tx, ty);
        return false;
    }

private:
    float m_startX = 0, m_startY = 0;
};

// 32, 35, 36, 37: fades and full-screen effects; absent, finished at once.
class CEffectCommand : public CEventCommand {
public:
    explicit CEffectCommand(uint32_t kind) : CEventCommand(kind) {}
    using CBaseObject::Execute;
    bool Execute(uint8_t) override {
        if (m_kind == 35 && !(TextReal(4) > 0)) ReportEventError(7, {});
        return false;
    }
};

// 33: shake.
class CShakeCommand : public CEventCommand {
public:
    CShakeCommand() : CEventCommand(33) {}
    using CBaseObject::Execute;
    bool Execute(uint8_t) override {
        CMapData* map = MapData();
        if (!map) return false;
        const uint32_t duration = uint32_t(std::max(0, TextInt(2)));
        if (m_state == 0) m_state = Now();
        if (GetByteParam(1, 0) == 0 || duration == 0 || plat::timeGetTime() - m_state >= duration) {
            map->m_offsets[0][0] = map->m_offsets[0][1] = 0;
            return false;
        }
        const int32_t amplitude = TextInt(0);
        map->m_offsets[0][0] = (std::rand() & 1 ? 1 : -1) * amplitude;
        map->m_offsets[0][1] = (std::rand() & 1 ? 1 : -1) * amplitude;
        return true;
    }
};

// 34: the cinema bars grow or shrink.
class CBarsCommand : public CEventCommand {
public:
    CBarsCommand() : CEventCommand(34) {}
    using CBaseObject::Execute;
    bool Execute(uint8_t) override {
        CEventScript* event = GetScript();
        if (!event) return false;
        if (m_state == 0) {
            m_state = 1;
            event->StartBars(GetByteParam(0, 0) == 0, uint32_t(std::max(0, TextInt(1))));
        }
        return event->AreBarsRunning();
    }
};

// 60: change music; 61: fade it out; 62: music volume.
class CMusicCommand : public CEventCommand {
public:
    explicit CMusicCommand(uint32_t kind) : CEventCommand(kind) {}
    using CBaseObject::Execute;
    bool Execute(uint8_t) override {
        IFieldSound* sound = GetFieldSound();
        if (m_kind == 60) {
            if (sound) sound->ChangeMusicList(GetType2Param(0));
            return false;
        }
        if (m_kind == 61) {
            if (sound) sound->FadeOutMusic();
            return false;
        }
        if (!g_pEventMgr) return false;
        const int32_t target = std::clamp(TextInt(0), 0, 127);
        const int32_t duration = TextInt(1);
        if (m_state == 0) {
            m_state = Now();
            m_from = g_pEventMgr->GetMusicVolume();
        }
        const uint32_t t = plat::timeGetTime() - m_state;
        if (duration <= 0 || !sound || t >= uint32_t(duration)) {
            g_pEventMgr->SetMusicVolume(target);
            return false;
        }
        g_pEventMgr->SetMusicVolume(m_from + int32_t((target - m_from) * int64_t(t) / duration));
        return true;
    }

private:
    int32_t m_from = 127;
};

}  // namespace

std::unique_ptr<CEventCommand> MakeScreenCommand(int kind) {
    switch (kind) {
        case 27:
        case 28:
        case 30:
            return std::make_unique<CPanCommand>(uint32_t(kind));
        case 32:
        case 35:
        case 36:
        case 37:
            return std::make_unique<CEffectCommand>(uint32_t(kind));
        case 33:
            return std::make_unique<CShakeCommand>();
        case 34:
            return std::make_unique<CBarsCommand>();
        case 60:
        case 61:
        case 62:
            return std::make_unique<CMusicCommand>(uint32_t(kind));
        default:
            return nullptr;
    }
}
