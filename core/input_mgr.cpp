#include "core/input_mgr.h"

#include <cstdio>
#include <cstring>

#include "core/config.h"
#include "platform/clock.h"
#include "platform/keyboard.h"

CInputMgr* g_pInputMgr = nullptr;

namespace {

// Squared distance, exact: the 5- and 10-pixel limits are compared without
// the rounding of a square root.
int64_t DistanceSquared(int32_t x1, int32_t y1, int32_t x2, int32_t y2) {
    int64_t dx = int64_t(x2) - x1;
    int64_t dy = int64_t(y2) - y1;
    return dx * dx + dy * dy;
}

}  // namespace

CInputMgr::CInputMgr() {
    Create();
}

CInputMgr::~CInputMgr() {
    m_pEvents.reset();  // deletes every queued event
    ClearState();
}

bool CInputMgr::Create() {
    m_pEvents = std::make_unique<CNodeList>();
    ClearState();
    m_lastMoveTime = plat::timeGetTime();
    return true;
}

void CInputMgr::Init(int32_t width, int32_t height) {
    m_maxX = width;
    m_maxY = height;
}

void CInputMgr::ClearState() {
    m_mouseX = m_mouseY = 0;
    for (int b = 0; b < 2; ++b) {
        m_buttonDown[b] = 0;
        m_buttonDownX[b] = m_buttonDownY[b] = 0;
        m_held[b] = 0;
    }
    memset(m_keyState, 0, sizeof(m_keyState));
    m_keyboardClick = 0;
    m_movedSinceUpdate = m_mouseMoved = 0;
}

bool CInputMgr::PostKeyDown(uint32_t key, bool repeat) {
    bool shift = plat::GetAsyncKeyState(plat::VK_SHIFT) & 0x8000;
    bool alt = plat::GetAsyncKeyState(plat::VK_MENU) & 0x8000;
    bool ctrl = plat::GetAsyncKeyState(plat::VK_CONTROL) & 0x8000;
    // Auto-repeat of the key binding kept in the options is dropped.
    if (repeat && key == g_options.GetU32(OPT_KEY_CODE) && shift == (g_options.GetByte(OPT_KEY_SHIFT) != 0) &&
        ctrl == (g_options.GetByte(OPT_KEY_CTRL) != 0) && alt == (g_options.GetByte(OPT_KEY_ALT) != 0))
        return true;
    if (key >= 'A' && key <= 'Z') m_keyState[key] = 1;
    PushInputEvent(INPUT_KEY, plat::timeGetTime(), key, 0, 0, 0);
    return true;
}

bool CInputMgr::KeyUp(uint32_t key) {
    if (key >= 'A' && key <= 'Z') m_keyState[key] = 0;
    return true;
}

bool CInputMgr::MouseMove(int32_t x, int32_t y) {
    if (x >= m_maxX) x = m_maxX;
    if (y >= m_maxY) y = m_maxY;
    if (x < 0) x = 0;
    if (y < 0) y = 0;
    if (x == m_mouseX && y == m_mouseY) return true;
    // A pressed button that is not yet held ignores small movements.
    int64_t threshold = ((m_buttonDown[0] && !m_held[0]) || (m_buttonDown[1] && !m_held[1])) ? 5 : 0;
    if (DistanceSquared(m_mouseX, m_mouseY, x, y) <= threshold * threshold) return true;
    m_mouseX = x;
    m_mouseY = y;
    for (int b = 0; b < 2; ++b)
        if (m_buttonDown[b]) m_held[b] = 1;
    m_lastMoveTime = plat::timeGetTime();
    m_movedSinceUpdate = 1;
    return true;
}

bool CInputMgr::MouseDown(int button, int32_t x, int32_t y) {
    if (!ValidButton(button)) return true;
    uint32_t now = plat::timeGetTime();
    m_buttonDownTime[button] = now;
    m_held[button] = 0;
    m_mouseX = x;
    m_mouseY = y;
    m_buttonDownX[button] = x;
    m_buttonDownY[button] = y;
    if (PushInputEvent(INPUT_MOUSE, now, button == 0 ? MOUSE_LDOWN : MOUSE_RDOWN, x, y, 0)) {
        m_buttonDown[button] = 1;
        m_buttonDownTime[button] = plat::timeGetTime();
    }
    return true;
}

bool CInputMgr::MouseUp(int button, int32_t x, int32_t y) {
    if (!ValidButton(button)) return true;
    bool near = DistanceSquared(m_buttonDownX[button], m_buttonDownY[button], x, y) < 10 * 10;
    m_mouseX = x;
    m_mouseY = y;
    if (m_buttonDown[button]) {
        uint32_t now = plat::timeGetTime();
        PushInputEvent(INPUT_MOUSE, now, button == 0 ? MOUSE_LUP : MOUSE_RUP, x, y, 0);
        if (near)
            PushInputEvent(INPUT_MOUSE, now, button == 0 ? MOUSE_LCLICK : MOUSE_RCLICK, m_mouseX, m_mouseY,
                           0);
    }
    m_buttonDown[button] = 0;
    m_held[button] = 0;
    return true;
}

bool CInputMgr::MouseDoubleClick(int button, int32_t x, int32_t y) {
    if (!ValidButton(button)) return true;
    m_mouseX = x;
    m_mouseY = y;
    PushInputEvent(INPUT_MOUSE, plat::timeGetTime(), button == 0 ? MOUSE_LDBLCLICK : MOUSE_RDBLCLICK, x, y,
                   0);
    m_buttonDown[button] = 0;
    m_held[button] = 0;
    return true;
}

bool CInputMgr::MouseWheel(int32_t, int32_t, int32_t delta) {
    PushInputEvent(INPUT_MOUSE, plat::timeGetTime(), MOUSE_WHEEL, m_mouseX, m_mouseY, delta / 120);
    return true;
}

CInputEvent* CInputMgr::PushInputEvent(uint32_t kind, uint32_t time, uint32_t code, int32_t x, int32_t y,
                                       int32_t value) {
    if (!m_pEvents) return nullptr;
    if (size_t(m_pEvents->Count()) > MAX_PENDING_EVENTS) m_pEvents->Erase(m_pEvents->First());
    // Auto-repeat and fast identical clicks merge into the recent event; wheel
    // steps and Backspace (both code 8) never do.
    if (CInputEvent* recent = FindRecentEvent(kind, time - MERGE_WINDOW_MS, code)) {
        if (recent->m_value == value && code != 8) {
            recent->m_lastTime = time;
            return nullptr;
        }
    }
    auto* event = new CInputEvent;
    event->m_kind = kind;
    event->m_time = time;
    event->m_lastTime = time;
    event->m_code = code;
    event->m_x = x;
    event->m_y = y;
    event->m_value = value;
    m_pEvents->PushBack(event);
    return event;
}

CInputEvent* CInputMgr::FindRecentEvent(uint32_t kind, uint32_t minTime, uint32_t code) {
    if (!m_pEvents) return nullptr;
    for (CListNode* n = m_pEvents->First(); n != m_pEvents->End(); n = n->Next()) {
        auto* event = static_cast<CInputEvent*>(n);
        if (event->m_kind == kind && event->m_code == code && event->m_lastTime >= minTime) return event;
    }
    return nullptr;
}

void CInputMgr::Update() {
    ExpireEvents();
    // What is left is walked by this frame's windows.
    if (m_pEvents)
        for (CListNode* n = m_pEvents->First(); n != m_pEvents->End(); n = n->Next())
            static_cast<CInputEvent*>(n)->m_offered = true;
    m_mouseMoved = m_movedSinceUpdate;
    m_movedSinceUpdate = 0;
    uint32_t now = plat::timeGetTime();
    for (int b = 0; b < 2; ++b)
        if (m_buttonDown[b] && now - m_buttonDownTime[b] > HOLD_TIME_MS) m_held[b] = 1;
}

void CInputMgr::ExpireEvents() {
    if (!m_pEvents) return;
    uint32_t now = plat::timeGetTime();
    CListNode* n = m_pEvents->First();
    while (n != m_pEvents->End()) {
        auto* event = static_cast<CInputEvent*>(n);
        n = event->m_offered && now - event->m_lastTime >= EVENT_LIFETIME_MS ? m_pEvents->Erase(n)
                                                                             : n->Next();
    }
}

bool CInputMgr::Contains(const CInputEvent* event) const {
    if (!m_pEvents || !event) return false;
    for (CListNode* n = m_pEvents->First(); n != m_pEvents->End(); n = n->Next())
        if (n == event) return true;
    return false;
}

CInputEvent* CInputMgr::GetFirstEvent() {
    if (!m_pEvents || m_pEvents->IsEmpty()) return nullptr;
    return static_cast<CInputEvent*>(m_pEvents->First());
}

CInputEvent* CInputMgr::GetNextEvent(CInputEvent* event) {
    if (!Contains(event)) return nullptr;
    CListNode* next = event->Next();
    return next == m_pEvents->End() ? nullptr : static_cast<CInputEvent*>(next);
}

CInputEvent* CInputMgr::RemoveEvent(CInputEvent* event) {
    if (!Contains(event)) return nullptr;
    CListNode* next = m_pEvents->Erase(event);
    return next == m_pEvents->End() ? nullptr : static_cast<CInputEvent*>(next);
}

void CInputMgr::SetMousePos(int32_t x, int32_t y) {
    m_mouseX = x;
    m_mouseY = y;
}

const char* GetKeyName(uint32_t key, char buffer[2]) {
    if ((key >= 'A' && key <= 'Z') || (key >= '0' && key <= '9')) {
        buffer[0] = char(key);
        buffer[1] = '\0';
        return buffer;
    }
    static const char* const kFunction[] = {"F1", "F2", "F3", "F4",  "F5",  "F6",
                                            "F7", "F8", "F9", "F10", "F11", "F12"};
    static const char* const kPad[] = {"PAD0", "PAD1", "PAD2", "PAD3", "PAD4",
                                       "PAD5", "PAD6", "PAD7", "PAD8", "PAD9"};
    if (key >= plat::VK_F1 && key <= plat::VK_F12) return kFunction[key - plat::VK_F1];
    if (key >= plat::VK_NUMPAD0 && key <= plat::VK_NUMPAD9) return kPad[key - plat::VK_NUMPAD0];
    switch (key) {
        case plat::VK_INSERT:
            return "INS";
        case plat::VK_DELETE:
            return "DEL";
        case plat::VK_END:
            return "END";
        case plat::VK_BACK:
            return "BAK";
        case plat::VK_DOWN:
            return "DN";
        case plat::VK_UP:
            return "UP";
        case plat::VK_LEFT:
            return "LEFT";
        case plat::VK_RIGHT:
            return "RIGT";
        case plat::VK_HOME:
            return "HOM";
        case plat::VK_NEXT:
            return "PGDN";
        case plat::VK_PRIOR:
            return "PGUP";
        case plat::VK_SPACE:
            return "SPAC";
        case plat::VK_DIVIDE:
            return "/";
        case plat::VK_SUBTRACT:
            return "-";
        case plat::VK_ADD:
            return "+";
        case plat::VK_MULTIPLY:
            return "*";
        case plat::VK_TAB:
            return "TAB";
        default:
            return "Unknown Key";
    }
}

void GetShortcutName(bool ctrl, bool alt, bool shift, uint32_t key, char* out, size_t capacity) {
    if (!out || capacity == 0) return;
    char buffer[2];
    snprintf(out, capacity, "%s%s%s%s", ctrl ? "Ctrl+" : "", alt ? "Alt+" : "", shift ? "Shift+" : "",
             GetKeyName(key, buffer));
}
