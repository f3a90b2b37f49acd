// C1V1ChatWin ("1V1ChatWin%d", image "1:1ChattingWin"): one private
// conversation: a partner name box, five lines of the conversation with a
// scroll bar, a message box, and buttons to close, shrink to a bar along the
// top edge of the screen, open the options window and log the partner. Its
// boxes are C1V1ChatEditBox windows ("1V1IDEDIT%d", "1V1TALKEDIT%d"; the
// options window's "1V1OPTIONEDIT" is one too). CChatLogList hands the
// windows out.
#pragma once
#include <cstddef>
#include <cstdint>
#include <memory>

#include "ui/base_window.h"
#include "ui/edit_box.h"
#include "ui/window_links.h"

class CAniObject;
class CButton;
class CChatLogList;
class CScrollBar;
class C1V1ChatEditBox;
class C1V1OptionWin;

inline constexpr char ONE_TO_ONE_IMAGE[] = "1:1ChattingWin";
inline constexpr int32_t CHAT_LINES = 25;
inline constexpr size_t CHAT_LINE_SIZE = 42;  // 40 bytes, one more for a split character, the terminator
inline constexpr size_t CHAT_LINE_BYTES = 40;
inline constexpr size_t CHAT_ENTRY_LIMIT = 999;
inline constexpr int32_t CHAT_VISIBLE_LINES = 5;
inline constexpr int32_t CHAT_BAR_WIDTH = 133, CHAT_BAR_HEIGHT = 21;
inline constexpr size_t PARTNER_NAME_SIZE = 17;

// The conversation's lines: entries cut into lines of 40 bytes (41 when a
// double-byte character starts at the 40th), the oldest dropped to make room.
struct CChatLineBuffer {
    // Adds an entry (cut at 999 bytes); speaker 1 own, 2 partner, 0 notice.
    // Returns the number of lines stored.
    int32_t Add(const char* text, uint8_t speaker);
    void Clear();

    char m_lines[CHAT_LINES][CHAT_LINE_SIZE] = {};
    uint8_t m_speakers[CHAT_LINES] = {};
    int32_t m_count = 0;
};

// Display states.
enum : int32_t {
    CHAT_SLIDING_IN = 0,
    CHAT_BAR = 1,
    CHAT_OPEN = 2,
    CHAT_SHIFTING = 3,
    CHAT_OPENING = 4,
    CHAT_SHRINKING = 5,
};

class C1V1ChatWin : public CBaseWindow {
public:
    C1V1ChatWin();
    ~C1V1ChatWin() override;

    bool Create() override;
    bool Release() override;
    // Hiding ends the conversation.
    bool Hide() override;
    bool Draw() override;
    bool Update() override;
    bool OnMouseDown(int32_t button, int32_t x, int32_t y, CBaseWindow* control) override;
    bool OnControlEvent(int32_t button, int32_t x, int32_t y, CBaseWindow* control) override;
    bool OnKeyDown(uint32_t key, CBaseWindow* control) override;
    bool SetActive(bool active, bool keepOrder) override;
    bool SetPosition(int32_t x, int32_t y) override;

    // The list's hand-out: code 1 a bar sliding in at the dock slot with the
    // partner fixed and the new-message mark on; 2 open on the screen.
    void Open(int32_t dockSlot, int32_t code, const char* name);
    void Dock();
    void Undock();
    void FocusTalkEdit();
    void FocusNameEdit();
    void SetLogImageOn();
    void SetLogImageOff();

    // Kinds: 0 own line, 2 notice "<partner> text", 4 partner line (logged),
    // 5 the row-155 notice.
    void AddLine(int32_t kind, const char* text);
    // Enter in the message box.
    bool SendTyped();
    bool SendLine(const char* name, const char* text);
    // The server's report for this conversation (kinds 0-3).
    bool OnChatReply(const char* name, uint8_t kind, const char* text);

    void SetChatLogList(CChatLogList* list) { m_chatLogList = list; }
    CChatLogList* GetChatLogList() const { return m_chatLogList; }
    void SetEditBox(C1V1ChatEditBox* box);
    C1V1ChatEditBox* GetNameEdit() const;
    C1V1ChatEditBox* GetTalkEdit() const;
    // All three phase flags set.
    bool IsOpen() const { return IsDrawOn() && IsUpdateOn() && IsInputOn(); }
    const char* GetPartner() const { return m_partner; }
    // The name box's text ("" without it).
    const char* GetTypedPartner() const;
    int32_t GetDisplayState() const { return m_displayState; }
    int32_t GetSlot() const { return m_slot; }
    void SetSlot(int32_t slot) { m_slot = slot; }
    bool IsPartnerFixed() const { return m_partnerFixed != 0; }
    bool IsLogging() const { return m_logging != 0; }
    bool HasNewMessage() const { return m_newMessage != 0; }
    const CChatLineBuffer& Lines() const { return m_lines; }
    CScrollBar* GetScrollBar() const;
    CButton* Button(const char* name) const;

private:
    void ShowControls(bool on);
    void MoveTowards(int32_t x, int32_t y, int32_t nextState);
    void AddEntry(const char* text, uint8_t speaker);
    int32_t BarX(int32_t slot) const;

    CChatLogList* m_chatLogList = nullptr;
    uint8_t m_partnerFixed = 0;
    CWeakRef m_nameEdit, m_talkEdit;
    CChatLineBuffer m_lines;
    char m_partner[PARTNER_NAME_SIZE] = {};
    int32_t m_displayState = CHAT_OPEN;
    int32_t m_slot = -1;
    uint32_t m_blinkTime = 0;
    int32_t m_stepX = 0, m_stepY = 0, m_targetX = 0, m_targetY = 0;
    int32_t m_openX = 0, m_openY = 0;
    uint8_t m_newMessage = 0;
    uint8_t m_blinkOn = 0;
    uint8_t m_logging = 0;
    CWeakRef m_scrollBar;
};

class C1V1ChatEditBox : public CEditBox, public IWindowLink {
public:
    // Kind 0 partner box (16), 1 message box (38), 2 the options window's name box (16).
    explicit C1V1ChatEditBox(int32_t kind = 0);
    ~C1V1ChatEditBox() override;

    bool Create() override;
    bool Release() override;
    bool Draw() override;
    bool OnKeyDown(uint32_t key, CBaseWindow* control) override;
    bool SetPosition(int32_t x, int32_t y) override;
    // Its chat window (kinds 0, 1) or options window (kind 2).
    void LinkWindow(CBaseWindow* other) override;

    int32_t GetKind() const { return m_kind; }
    C1V1ChatWin* GetChatWin() const { return m_chatWin.GetAs<C1V1ChatWin>(); }

private:
    int32_t m_kind = 0;
    std::unique_ptr<CAniObject> m_background;
    CWeakRef m_chatWin;
    CWeakRef m_optionWin;
};
