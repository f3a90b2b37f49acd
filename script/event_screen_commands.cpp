// Camera, screen, sound and movie commands: the view's focus, the fades and
// screen effects, the shake, the cinema bars, the map's darkness, the music,
// the event sounds and the movie. Fades and effects go through the event
// effects service; while it is absent every fade and effect is finished at
// once.
#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <string>

#include "anim/ani_object.h"
#include "anim/darkness_overlay.h"
#include "anim/field_sound.h"
#include "core/app_state.h"
#include "data/text_tables.h"
#include "graphics/direct_draw.h"
#include "graphics/display_settings.h"
#include "graphics/surface_resource.h"
#include "platform/clock.h"
#include "platform/url.h"
#include "script/event_commands.h"
#include "script/event_mgr.h"
#include "script/event_script.h"
#include "script/event_services.h"
#include "ui/base_window.h"
#include "ui/window_mgr.h"
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

// A fade from black, or the movie: the screens cleared, brightness 100.
void TakeScreenBrightness() {
    if (!g_pDirectDraw) return;
    g_pDirectDraw->ClearRenderSurface(0);
    if (CSurfaceResource* primary = g_pDirectDraw->GetPrimarySurface()) primary->SetBrightness(100.0f);
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

// 32: fade; 35: grid; 36: surface; 37: particle effect.
class CEffectCommand : public CEventCommand {
public:
    explicit CEffectCommand(uint32_t kind) : CEventCommand(kind) {}
    using CBaseObject::Execute;
    bool Execute(uint8_t) override {
        IEventEffects* effects = GetEventEffects();
        if (m_state != 0) return effects && !effects->IsFinished(m_effect);
        m_state = 1;
        switch (m_kind) {
            case 32: {
                const uint8_t direction = GetByteParam(0, 0);
                if (direction == 0) TakeScreenBrightness();
                uint8_t colour[4] = {};
                switch (GetByteParam(1, 0)) {
                    case 1:
                        colour[0] = colour[1] = colour[2] = colour[3] = 255;
                        break;
                    case 2:
                        colour[2] = 255;  // blue
                        break;
                    default:
                        break;
                }
                m_effect = EVENT_FADE_1;
                if (!effects) return false;
                effects->StartFade(EVENT_FADE_1, direction == 0, colour, uint32_t(std::max(0, TextInt(2))));
                return !effects->IsFinished(m_effect);
            }
            case 35:
                m_effect = EVENT_GRID;
                if (!(TextReal(4) > 0)) {
                    ReportEventError(7, {});
                    return false;
                }
                if (!effects) return false;
                effects->StartGrid(GetByteParam(0, 0) == 0, TextInt(3), TextReal(4));
                return !effects->IsFinished(m_effect);
            case 36:
                m_effect = EVENT_SURFACE;
                if (!effects || !(TextReal(2) >= 1.0)) return false;
                effects->StartSurface(GetByteParam(4, 0) != 0, TextInt(0), TextInt(1), TextReal(2),
                                      TextInt(3));
                return GetByteParam(5, 0) != 0 && !effects->IsFinished(m_effect);
            default: {
                m_effect = EVENT_PARTICLE;
                if (!effects) return false;
                const int32_t values[4] = {TextInt(0), TextInt(1), TextInt(2), TextInt(3)};
                effects->StartParticle(values);
                return !effects->IsFinished(m_effect);
            }
        }
    }

private:
    int m_effect = EVENT_FADE_1;
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
class CBarsCommand : public CEventScriptCommand {
public:
    CBarsCommand() : CEventScriptCommand(34) {}
    bool ActOn(CEventScript& event, uint8_t) override {
        if (m_state == 0) {
            m_state = 1;
            event.StartBars(GetByteParam(0, 0) == 0, uint32_t(std::max(0, TextInt(1))));
        }
        return event.AreBarsRunning();
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

// 73: the map's darkness on (1) or off (2).
class CDarknessCommand : public CEventCommand {
public:
    CDarknessCommand() : CEventCommand(73) {}
    using CBaseObject::Execute;
    bool Execute(uint8_t) override {
        const uint8_t value = GetByteParam(0, 0);
        if (g_pMap && (value == 1 || value == 2)) g_pMap->SetDark(value == 1, false);
        return false;
    }
};

// 74: the map's ambient mode. The map keeps no ambient mode of its own: the
// value is read and the command finishes.
class CAmbientModeCommand : public CEventCommand {
public:
    CAmbientModeCommand() : CEventCommand(74) {}
    using CBaseObject::Execute;
    bool Execute(uint8_t) override {
        (void)TextInt(1);
        return false;
    }
};

// 75: the colour of the darkness, all three components value / 256.
class CDarknessColourCommand : public CEventCommand {
public:
    CDarknessColourCommand() : CEventCommand(75) {}
    using CBaseObject::Execute;
    bool Execute(uint8_t) override {
        if (!g_pMap || !g_pDarknessOverlay) return false;
        const float component = float(TextInt(1)) / 256.0f;
        for (float& c : g_pDarknessOverlay->m_colorFactors) c = component;
        return false;
    }
};

// 63: an event sound; runs while it is listed unless told not to wait.
class CEventSoundCommand : public CEventScriptCommand {
public:
    CEventSoundCommand() : CEventScriptCommand(63) {}
    bool ActOn(CEventScript& event, uint8_t) override {
        if (!GetEventSounds()) return false;
        const uint32_t number = uint32_t(TextInt(1));
        if (m_state != 0) return event.FindEventSound(number) != nullptr;
        m_state = 1;
        EventSound fields;
        fields.number = number;
        fields.positioned = GetByteParam(4, 0) != 0 ? 1 : 0;
        GetPointParam(&fields.cellX, &fields.cellY, 2);
        fields.level = 100;
        fields.repeat = uint32_t(std::max(0, TextInt(3)));
        event.AddEventSound(fields, GetType2Param(0));
        return GetByteParam(5, 0) == 0 && event.FindEventSound(number) != nullptr;
    }
};

// 64: stop an event sound.
class CStopSoundCommand : public CEventScriptCommand {
public:
    CStopSoundCommand() : CEventScriptCommand(64) {}
    bool ActOn(CEventScript& event, uint8_t) override {
        event.RemoveEventSound(uint32_t(TextInt(1)));
        return false;
    }
};

// 65: an event sound's level moves to the target over the duration.
class CSoundLevelCommand : public CEventScriptCommand {
public:
    CSoundLevelCommand() : CEventScriptCommand(65) {}
    bool ActOn(CEventScript& event, uint8_t) override {
        EventSound* sound = event.FindEventSound(uint32_t(TextInt(0)));
        if (!sound) return false;
        const int32_t target = std::clamp(TextInt(1), 0, 100);
        const int32_t duration = TextInt(2);
        if (m_state == 0) {
            m_state = Now();
            m_from = int32_t(sound->level);
        }
        const uint32_t t = Elapsed();
        if (duration <= 0 || t >= uint32_t(duration)) {
            sound->level = uint32_t(target);
            return false;
        }
        sound->level = uint32_t(m_from + int32_t((target - m_from) * int64_t(t) / duration));
        return true;
    }

private:
    int32_t m_from = 100;
};

int32_t g_openMovies = 0;

// 76: a movie over the whole screen; holds the function until it is over.
// A movie that does not open shows a stand-in picture for three seconds,
// then its page (text table 14 row 738) goes to the browser.
class CMovieCommand : public CEventCommand {
public:
    CMovieCommand() : CEventCommand(76) {}
    ~CMovieCommand() override { Finish(); }
    bool ResetState() override {
        Finish();
        m_done = false;
        m_pageOpened = false;
        return CEventCommand::ResetState();
    }
    using CBaseObject::Execute;
    bool Execute(uint8_t skip) override {
        if (m_state == 0) {
            m_state = Now();
            TakeScreen();
            const CDisplaySettings& screen = GetDisplaySettings();
            if (IEventMovies* movies = GetEventMovies())
                m_pMovie = movies->OpenMovie(MoviePath().c_str(), screen.screenWidth, screen.screenHeight);
            if (m_pMovie) {
                ++g_openMovies;
            } else {
                m_pStandIn = std::make_unique<CAniObject>();
                if (m_pStandIn->SetAnimation(kStandInAnimation)) {
                    m_pStandIn->SetMotion(0);
                    m_pStandIn->SetDirection(2);
                    m_pStandIn->SetScreenPosition(screen.screenWidth / 2, screen.screenHeight / 2, 0);
                    m_pStandIn->Play(true);
                } else {
                    m_pStandIn.reset();
                }
            }
        }
        const uint32_t elapsed = Elapsed();
        if (m_pMovie) {
            m_pMovie->Advance();
            if (skip && elapsed >= kStandInMs) m_done = true;
        } else if (elapsed >= kStandInMs) {
            if (!m_pageOpened) {
                m_pageOpened = true;
                const char* page = GetTableText(kPageTable, kPageRow);
                if (page && plat::IsWebAddress(page)) plat::OpenUrl(page);
            }
            m_done = true;
        } else if (m_pStandIn) {
            m_pStandIn->Update();
        }
        if (!m_done) return true;
        Finish();
        return false;
    }
    bool TryFinish() override { return m_done; }
    bool Draw() override {
        if (m_pMovie) {
            if (m_pMovie->Draw()) m_done = true;
        } else if (m_pStandIn) {
            m_pStandIn->Draw();
        }
        return true;
    }

private:
    static constexpr uint32_t kStandInMs = 3000;
    static constexpr uint32_t kStandInAnimation = 4560;
    static constexpr int kPageTable = 14;
    static constexpr int kPageRow = 738;

    std::string MoviePath() const {
        const char* name = GetTextParam(0);
        CEventScript* event = GetScript();
        const std::string folder = event ? event->GetPath() : std::string();
        const size_t slash = folder.find_last_of("/\\");
        return slash == std::string::npos ? std::string(name) : folder.substr(0, slash + 1) + name;
    }
    void TakeScreen() {
        if (m_screenTaken) return;
        m_screenTaken = true;
        ShowMainInterface(false);
        g_darkScreen = 1;
        TakeScreenBrightness();
        if (IEventEffects* effects = GetEventEffects()) effects->ResetFades();
    }
    void Finish() {
        if (m_pMovie) {
            m_pMovie.reset();
            --g_openMovies;
        }
        m_pStandIn.reset();
        if (!m_screenTaken) return;
        m_screenTaken = false;
        ShowMainInterface(true);
        g_darkScreen = 0;
        if (IEventEffects* effects = GetEventEffects()) effects->ResetFades();
    }
    static void ShowMainInterface(bool show) {
        CBaseWindow* main = g_pWindowMgr ? g_pWindowMgr->FindWindowByName(kMainInterfaceName) : nullptr;
        if (!main) return;
        if (show)
            main->Show();
        else
            main->Hide();
    }
    static constexpr const char* kMainInterfaceName = "Z5MAINWIN";

    std::unique_ptr<IEventMovie> m_pMovie;
    std::unique_ptr<CAniObject> m_pStandIn;
    bool m_done = false, m_pageOpened = false, m_screenTaken = false;
};

}  // namespace

int32_t OpenEventMovies() {
    return g_openMovies;
}

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
        case 63:
            return std::make_unique<CEventSoundCommand>();
        case 64:
            return std::make_unique<CStopSoundCommand>();
        case 65:
            return std::make_unique<CSoundLevelCommand>();
        case 73:
            return std::make_unique<CDarknessCommand>();
        case 74:
            return std::make_unique<CAmbientModeCommand>();
        case 75:
            return std::make_unique<CDarknessColourCommand>();
        case 76:
            return std::make_unique<CMovieCommand>();
        default:
            return nullptr;
    }
}
