#include "anim/ani_play_mgr.h"

#include <algorithm>
#include <utility>

#include "anim/ani_object.h"
#include "anim/darkness_overlay.h"
#include "anim/obj_ani.h"
#include "anim/render_queue.h"
#include "core/util.h"
#include "data/data_table.h"
#include "graphics/math3d.h"
#include "platform/clock.h"

CAniPlayMgr* g_pAniPlayMgr = nullptr;

namespace {

IAniCharacters* Chars() {
    return GetAniCharacters();
}

CChar* FindChar(uint32_t id) {
    return Chars() ? Chars()->FindChar(id) : nullptr;
}

uint32_t CharIdOf(CChar* character) {
    return character && Chars() ? Chars()->GetCharId(character) : 0;
}

// Rise in pixels after the elapsed time.
int32_t RiseOf(uint32_t elapsed) {
    return int32_t(PLAY_RISE_PER_FRAME * int64_t(elapsed) / PLAY_FRAME_MS);
}

void Restart(CAniObject* object) {
    object->ResetLayers();
    object->Play(false);
}

}  // namespace

// ---- Sequences ----

CAniSequence::~CAniSequence() {
    for (Item& item : m_items) delete item.m_pObject;
}

void CAniSequence::Add(CAniObject* object, int32_t repeat) {
    if (object) m_items.push_back({object, repeat, 0});
}

bool CAniSequence::Contains(const CAniObject* object) const {
    return std::any_of(m_items.begin(), m_items.end(), [&](const Item& i) { return i.m_pObject == object; });
}

// ---- Entries ----

CAniPlayEntry::~CAniPlayEntry() {
    DetachFromChar();
    // A sequence entry's object is the current item's, which the sequence deletes.
    const bool ownObject = !m_pSequence || !m_pSequence->Contains(m_pObject);
    delete m_pSequence;
    m_pSequence = nullptr;
    if (ownObject) delete m_pObject;
    m_pObject = nullptr;
    DetachLight();
}

int32_t CAniPlayEntry::AttachLight(int32_t radius) {
    DetachLight();
    if (!g_pDarknessOverlay) return m_lightId;
    const int32_t x = m_pObject ? m_pObject->m_screenX : 0, y = m_pObject ? m_pObject->m_screenY : 0;
    m_lightId = g_pDarknessOverlay->AddLight(x, y, radius, 0);
    return m_lightId;
}

void CAniPlayEntry::DetachLight() {
    if (m_lightId != -1 && g_pDarknessOverlay) g_pDarknessOverlay->RemoveLight(&m_lightId);
    m_lightId = -1;
}

void CAniPlayEntry::DetachFromChar() {
    if (!m_linked) return;
    // The character is looked up again: it may be gone, and then so is its list.
    if (CChar* character = FindChar(m_linkedCharId); character && m_pObject)
        Chars()->RemoveDrawObject(character, m_pObject);
    m_linked = false;
    m_linkedCharId = 0;
    m_kind = PLAY_AT_MAP_POINT;
}

bool AttachPlayEntryToChar(CChar* character, CAniPlayEntry* entry) {
    if (!entry) return false;
    if (entry->m_linked) return true;
    if (!character || !Chars() || !entry->m_pObject) return false;
    entry->m_linked = true;
    entry->m_linkedCharId = Chars()->GetCharId(character);
    Chars()->AddDrawObject(character, entry->m_pObject);
    return true;
}

// ---- The manager ----

CAniPlayMgr::CAniPlayMgr() = default;

CAniPlayMgr::~CAniPlayMgr() {
    Release();
    if (g_pAniPlayMgr == this) g_pAniPlayMgr = nullptr;
}

bool CAniPlayMgr::Init() {
    m_names.clear();
    CDataTable table;
    if (!table.LoadDataTable(PLAY_NAME_TABLE_FILE)) return false;
    for (int row = 0; row < table.GetRowCount(); ++row) {
        const char* name = table.GetText(0, row);
        if (name) m_names.emplace(name, table.GetInt(1, row));  // the first row of a name wins
    }
    return true;
}

bool CAniPlayMgr::Release() {
    if (m_walking) {
        // Taken out now, deleted once the walk is over.
        for (CAniPlayEntry*& e : m_entries)
            if (e) m_doomed.push_back(std::exchange(e, nullptr));
        return true;
    }
    std::vector<CAniPlayEntry*> all;
    all.swap(m_entries);
    for (CAniPlayEntry* e : all) delete e;
    std::vector<CAniPlayEntry*> doomed;
    doomed.swap(m_doomed);
    for (CAniPlayEntry* e : doomed) delete e;
    return true;
}

uint32_t CAniPlayMgr::FindAniByName(const char* name) const {
    if (!name) return 0;
    auto it = m_names.find(name);
    return it == m_names.end() ? 0 : it->second;
}

uint32_t FindAniByName(const char* name) {
    return g_pAniPlayMgr ? g_pAniPlayMgr->FindAniByName(name) : 0;
}

size_t CAniPlayMgr::GetCount() const {
    return size_t(std::count_if(m_entries.begin(), m_entries.end(), [](CAniPlayEntry* e) { return e; }));
}

std::vector<CAniPlayEntry*> CAniPlayMgr::Entries() const {
    std::vector<CAniPlayEntry*> out;
    for (CAniPlayEntry* e : m_entries)
        if (e) out.push_back(e);
    return out;
}

CAniPlayEntry* CAniPlayMgr::Append(CAniPlayEntry* entry, CAniObject* object) {
    // Handles count up; once they have wrapped, one still listed is skipped.
    for (;;) {
        if (++m_lastHandle == 0) {
            m_lastHandle = 1;
            m_handlesWrapped = true;
        }
        if (!m_handlesWrapped || !FindEntryByHandle(m_lastHandle, false)) break;
    }
    entry->m_handle = m_lastHandle;
    entry->m_pObject = object;
    entry->m_startTime = plat::timeGetTime();
    if (object) {
        CObjAni* ani = object->GetAni();
        entry->m_aniIndex = ani ? ani->m_number : 0;
        entry->m_motionId = ani ? object->GetCurrentMotionId() : -1;
        entry->m_direction = object->m_direction;
    }
    m_entries.push_back(entry);
    return entry;
}

CAniPlayEntry* CAniPlayMgr::Add(CAniObject* object, int32_t repeat, uint8_t autoRemove) {
    auto* e = new CAniPlayEntry();
    e->m_kind = PLAY_UNPLACED;
    e->m_repeat = repeat;
    e->m_autoRemove = autoRemove;
    return Append(e, object);
}

CAniPlayEntry* CAniPlayMgr::AddAtMapPosition(CAniObject* object, int32_t x, int32_t y, int32_t z,
                                             int32_t repeat, uint8_t autoRemove, uint8_t replay,
                                             uint32_t userValue) {
    auto* e = new CAniPlayEntry();
    e->m_kind = PLAY_AT_MAP_POINT;
    e->m_repeat = repeat;
    e->m_autoRemove = autoRemove;
    e->m_replay = replay;
    e->m_userValue = userValue;
    if (object) object->SetMapPosition(x, y, z);
    return Append(e, object);
}

CAniPlayEntry* CAniPlayMgr::AddOnChar(CAniObject* object, CChar* character, int32_t offsetX, int32_t offsetY,
                                      int32_t repeat, uint8_t autoRemove, uint8_t replay, uint8_t rise) {
    auto* e = new CAniPlayEntry();
    e->m_kind = PLAY_ON_CHAR;
    e->m_charId = CharIdOf(character);
    e->m_offsetX = offsetX;
    e->m_offsetY = offsetY;
    e->m_repeat = repeat;
    e->m_autoRemove = autoRemove;
    e->m_replay = replay;
    e->m_rise = rise;
    return Append(e, object);
}

CAniPlayEntry* CAniPlayMgr::AddOnCharAtScreenOffset(CAniObject* object, CChar* character, int32_t offsetX,
                                                    int32_t offsetY, int32_t repeat, uint8_t autoRemove,
                                                    uint8_t replay, uint8_t rise) {
    CAniPlayEntry* e = AddOnChar(object, character, offsetX, offsetY, repeat, autoRemove, replay, rise);
    e->m_kind = PLAY_ON_CHAR_SCREEN;
    return e;
}

CAniPlayEntry* CAniPlayMgr::AddArc(CAniObject* object, int32_t startX, int32_t startY, int32_t startZ,
                                   int32_t endX, int32_t endY, int32_t endZ, int32_t height,
                                   uint32_t flightTime, uint8_t autoRemove) {
    auto* e = new CAniPlayEntry();
    e->m_kind = PLAY_ARC;
    const float curve[9] = {float(startX),
                            float(startY),
                            float(startZ),
                            float(endX),
                            float(endY),
                            float(endZ),
                            float((endX - startX) / 2 + startX),
                            float((endY - startY) / 2 + startY),
                            float(height)};
    std::copy(std::begin(curve), std::end(curve), e->m_curve);
    e->m_flightTime = flightTime;
    e->m_autoRemove = autoRemove;
    return Append(e, object);
}

CAniPlayEntry* CAniPlayMgr::AddCharLinked(CAniSequence* sequence, CChar* character, int32_t offsetX,
                                          int32_t offsetY, int32_t repeat, uint8_t autoRemove, uint8_t replay,
                                          uint8_t rise) {
    CAniPlayEntry* e = AddObjectEntry(sequence, 0, 0, 0, repeat, autoRemove, replay);
    e->m_kind = PLAY_SEQUENCE_ON_CHAR;
    e->m_charId = CharIdOf(character);
    e->m_offsetX = offsetX;
    e->m_offsetY = offsetY;
    e->m_rise = rise;
    if (CChar* c = FindChar(e->m_charId))
        Chars()->GetCharMapPosition(c, &e->m_pointX, &e->m_pointY, &e->m_pointZ);
    return e;
}

CAniPlayEntry* CAniPlayMgr::AddObjectEntry(CAniSequence* sequence, int32_t x, int32_t y, int32_t z,
                                           int32_t repeat, uint8_t autoRemove, uint8_t replay) {
    auto* e = new CAniPlayEntry();
    e->m_kind = PLAY_SEQUENCE_AT_POINT;
    e->m_pSequence = sequence;
    e->m_pointX = x;
    e->m_pointY = y;
    e->m_pointZ = z;
    e->m_repeat = repeat;
    e->m_autoRemove = autoRemove;
    e->m_replay = replay;
    CAniObject* first = nullptr;
    if (sequence && !sequence->Empty()) {
        sequence->m_current = 0;
        CAniSequence::Item& item = sequence->m_items.front();
        item.m_timesPlayed = 0;
        first = item.m_pObject;
        Restart(first);
    }
    return Append(e, first);
}

CAniPlayEntry* CAniPlayMgr::AddFloatingText(const char* text, CChar* character, uint32_t duration,
                                            int32_t offsetX, int32_t offsetY, uint32_t colour,
                                            uint8_t autoRemove, uint8_t rise) {
    auto* e = new CAniPlayEntry();
    e->m_kind = PLAY_FLOATING_TEXT;
    char cut[PLAY_TEXT_MAX + 1] = {};
    if (text) CopyDbcsPrefix(text, PLAY_TEXT_MAX, cut, sizeof cut);
    e->m_text = cut;
    e->m_charId = CharIdOf(character);
    e->m_duration = duration;
    e->m_offsetX = offsetX;
    e->m_offsetY = offsetY;
    e->m_textColour = colour;
    e->m_autoRemove = autoRemove;
    e->m_rise = rise;
    return Append(e, nullptr);
}

void CAniPlayMgr::FadeOutAll() {
    const uint32_t now = plat::timeGetTime();
    for (CAniPlayEntry* e : m_entries)
        if (e) {
            e->m_fadeOut = 1;
            e->m_fadeIn = 0;
            e->m_fadeStart = now;
        }
}

void CAniPlayMgr::DetachOwner(CChar* character) {
    if (!character) return;
    for (CAniPlayEntry* e : m_entries) {
        if (!e) continue;
        if (e->m_pObject && e->m_pObject->m_pOwner == character) e->m_pObject->ClearOwner();
        // The items waiting in a sequence hold the owner too.
        if (e->m_pSequence)
            for (CAniSequence::Item& item : e->m_pSequence->m_items)
                if (item.m_pObject->m_pOwner == character) item.m_pObject->ClearOwner();
    }
}

void CAniPlayMgr::ClearUserValues(uint32_t value) {
    for (CAniPlayEntry* e : m_entries)
        if (e && e->m_userValue == value) {
            e->m_userValue = 0;
            e->m_removeWhenDone = 1;
            e->m_autoRemove = 1;
        }
}

void CAniPlayMgr::RemoveByUserValue(uint32_t value) {
    for (CAniPlayEntry* e : m_entries)
        if (e && e->m_userValue == value) Finish(e, true);
    Sweep();
}

bool CAniPlayMgr::RemoveByObject(CAniObject* object) {
    auto it = std::find_if(m_entries.begin(), m_entries.end(),
                           [&](CAniPlayEntry* e) { return e && e->m_pObject == object; });
    if (it == m_entries.end()) return false;
    Finish(*it, true);
    Sweep();
    return true;
}

CAniPlayEntry* CAniPlayMgr::FindEntry(CAniPlayEntry* entry, bool needUserValue) {
    if (!entry || std::find(m_entries.begin(), m_entries.end(), entry) == m_entries.end()) return nullptr;
    if (needUserValue && entry->m_userValue == 0) return nullptr;
    return entry;
}

CAniPlayEntry* CAniPlayMgr::FindEntryByHandle(uint32_t handle, bool needUserValue) {
    if (handle == 0) return nullptr;
    auto it = std::find_if(m_entries.begin(), m_entries.end(),
                           [&](CAniPlayEntry* e) { return e && e->m_handle == handle; });
    if (it == m_entries.end() || (needUserValue && (*it)->m_userValue == 0)) return nullptr;
    return *it;
}

// An entry leaves the list at once; during the walk its slot is emptied and an
// erased entry is deleted only after the walk, so nothing the walk still holds
// is freed under it.
void CAniPlayMgr::Finish(CAniPlayEntry* entry, bool erase) {
    auto it = std::find(m_entries.begin(), m_entries.end(), entry);
    if (it == m_entries.end()) return;
    *it = nullptr;
    if (!erase) return;
    if (m_walking)
        m_doomed.push_back(entry);
    else
        delete entry;
}

void CAniPlayMgr::Sweep() {
    if (m_walking) return;
    std::erase(m_entries, nullptr);
}

void CAniPlayMgr::UpdateAll() {
    if (m_walking) return;
    m_walking = true;
    // Entries added during the walk are stepped in the same walk.
    for (size_t i = 0; i < m_entries.size(); ++i)
        if (CAniPlayEntry* e = m_entries[i]) StepEntry(e);
    m_walking = false;
    std::vector<CAniPlayEntry*> doomed;
    doomed.swap(m_doomed);
    for (CAniPlayEntry* e : doomed) delete e;
    Sweep();
}

bool CAniPlayMgr::StepSequence(CAniPlayEntry* e) {
    CAniSequence* seq = e->m_pSequence;
    if (!seq || seq->Empty()) {
        Finish(e, true);  // nothing to play
        return false;
    }
    seq->m_current = std::min(seq->m_current, seq->m_items.size() - 1);
    CAniSequence::Item* item = &seq->m_items[seq->m_current];
    if (item->m_pObject->m_stopped) {
        if (item->m_repeat == 0 || item->m_timesPlayed + 1 < item->m_repeat) {
            ++item->m_timesPlayed;
            Restart(item->m_pObject);
        } else {
            if (++seq->m_current >= seq->m_items.size()) {
                if (e->m_repeat > 0) --e->m_repeat;
                if (e->m_repeat == 0) {
                    Finish(e, e->m_autoRemove && e->m_removeWhenDone);
                    return false;
                }
                seq->m_current = 0;
            }
            item = &seq->m_items[seq->m_current];
            item->m_timesPlayed = 0;
            Restart(item->m_pObject);
        }
    }
    e->m_pObject = item->m_pObject;
    if (e->m_kind == PLAY_SEQUENCE_ON_CHAR) {
        if (CChar* c = FindChar(e->m_charId)) {
            Chars()->GetCharMapPosition(c, &e->m_pointX, &e->m_pointY, &e->m_pointZ);
        } else {
            e->m_kind = PLAY_SEQUENCE_AT_POINT;  // stays where the character was last
        }
    }
    e->m_pObject->SetMapPosition(e->m_pointX, e->m_pointY, e->m_pointZ);
    return true;
}

void CAniPlayMgr::StepEntry(CAniPlayEntry* e) {
    const uint32_t now = plat::timeGetTime();
    const uint32_t elapsed = now - e->m_startTime;
    const int32_t rise = e->m_rise ? RiseOf(elapsed) : 0;

    if (e->m_kind == PLAY_FLOATING_TEXT) {
        CChar* c = FindChar(e->m_charId);
        if (!c) {
            Finish(e, true);
            return;
        }
        int32_t x = 0, y = 0;
        Chars()->GetCharScreenPosition(c, &x, &y);
        e->m_textX = float(x + e->m_offsetX);
        e->m_textY = float(y - (e->m_offsetY + rise));
        if (elapsed > e->m_duration) Finish(e, true);
        return;
    }
    if (e->m_kind == PLAY_SEQUENCE_ON_CHAR || e->m_kind == PLAY_SEQUENCE_AT_POINT) {
        if (!StepSequence(e)) return;
    }
    CAniObject* object = e->m_pObject;
    if (!object) {
        Finish(e, true);
        return;
    }

    bool finished = false;
    switch (e->m_kind) {
        case PLAY_AT_MAP_POINT:
            object->SetMapPosition(object->m_mapX, object->m_mapY, object->m_mapZ);
            break;
        case PLAY_ON_CHAR:
        case PLAY_ON_CHAR_SCREEN: {
            CChar* c = FindChar(e->m_charId);
            if (!c && e->m_userValue != 0) {
                e->m_kind = PLAY_AT_MAP_POINT;  // its keeper removes it
                break;
            }
            if (!c) {
                finished = true;
                break;
            }
            int32_t x = 0, y = 0, z = 0;
            Chars()->GetCharMapPosition(c, &x, &y, &z);
            if (e->m_kind == PLAY_ON_CHAR) {
                object->SetMapPosition(x + e->m_offsetX, y + e->m_offsetY, z + e->m_offsetZ);
            } else {
                object->SetMapPosition(x, y, z);
                object->m_screenX += e->m_offsetX;
                object->m_screenY += e->m_offsetY;
            }
            object->m_screenY -= rise;
            break;
        }
        case PLAY_ARC: {
            // A flight of no time has arrived at once.
            const double t = e->m_flightTime ? (double(elapsed) / PLAY_FRAME_MS) / e->m_flightTime : 2.0;
            if (t > 1.0) {
                finished = true;
                break;
            }
            Vec3 p;
            const float* c = e->m_curve;
            GetBezierPoint(&p, Vec3{c[0], c[1], c[2]}, Vec3{c[6], c[7], c[8]}, Vec3{c[3], c[4], c[5]}, t);
            object->SetMapPosition(int32_t(p.x), int32_t(p.y), int32_t(p.z));
            object->Update();
            return;
        }
        default:
            break;
    }
    if (finished) {
        Finish(e, e->m_autoRemove != 0);
        return;
    }

    if (e->m_lightId != -1 && g_pDarknessOverlay)
        g_pDarknessOverlay->SetLightPosition(e->m_lightId, object->m_screenX, object->m_screenY);

    const uint32_t fadeElapsed = now - e->m_fadeStart;
    if (e->m_fadeIn) {
        if (fadeElapsed >= PLAY_FADE_MS) {
            e->m_fadeIn = 0;
            object->m_alpha = 255;
        } else {
            object->m_alpha = uint16_t(fadeElapsed * 0.001 * 255);
        }
    }
    if (e->m_fadeOut) {
        const double alpha = (1.0 - fadeElapsed * 0.001) * 255;
        if (alpha <= 0.0) {
            Finish(e, true);
            return;
        }
        object->m_alpha = uint16_t(alpha);
    }

    object->Update();
    if (e->m_kind >= PLAY_SEQUENCE_ON_CHAR || !object->m_stopped) return;

    if (e->m_repeat > 0) --e->m_repeat;
    if ((e->m_repeat > 0 || e->m_repeat == PLAY_FOREVER) && e->m_replay) Restart(object);
    if (e->m_repeat != 0) return;
    if (!e->m_removeWhenDone)
        object->m_hidden = e->m_autoRemove;
    else
        Finish(e, e->m_autoRemove != 0);
}

void CAniPlayMgr::QueueAll(CRenderQueue& queue) {
    for (CAniPlayEntry* e : m_entries) {
        if (!e) continue;
        if (e->m_kind == PLAY_FLOATING_TEXT)
            queue.AddText(e->m_text.c_str(), e->m_textColour, int32_t(e->m_textX), int32_t(e->m_textY));
        else if (e->m_pObject && !e->m_linked)
            queue.AddObject(e->m_pObject);
    }
}
