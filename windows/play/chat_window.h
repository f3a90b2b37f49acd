// CChatWindow ("MSGWIN", image "Chat_Window"): the running chat of the play
// screen. A translucent panel at the bottom of the screen that shows the
// newest chat lines (at most 300 kept), coloured by kind, that the player
// grows upwards by its handle, scrolls, hides and moves; its row of chat
// buttons (chat mode, emoticons, one-to-one chat, messenger, macros, name
// memo); and the chat input and headword fields (chat_input_window.h), which
// it draws and places. Every line it shows goes to the day's chat log while
// the log is switched on. Game code posts lines to it as message 87
// (ShowMessageWinF, CChatLineMsg).
#pragma once
#include <array>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <memory>
#include <string>

#include "core/base_object.h"
#include "core/error_box.h"
#include "ui/base_window.h"
#include "ui/game_scene_windows.h"
#include "ui/window_links.h"

class CAniObject;
class CButton;
class CChatInputWindow;
class CHeadwordWindow;
class CScrollBar;

inline constexpr char CHAT_WINDOW_NAME[] = "MSGWIN";
inline constexpr char CHAT_WINDOW_IMAGE[] = "Chat_Window";

// Chat modes (the chat-type icon in force).
enum : int32_t {
    CHAT_MODE_NORMAL = 0,
    CHAT_MODE_TEAM = 1,
    CHAT_MODE_WHISPER = 2,
    CHAT_MODE_CLUB = 3,
    CHAT_MODE_COUNT = 4,
};

// The bar's size when its picture is missing.
inline constexpr int32_t CHAT_BAR_WIDTH = 530, CHAT_BAR_HEIGHT = 30;
inline constexpr size_t CHAT_LINE_CAPACITY = 300;
inline constexpr size_t CHAT_LINE_TEXT = 100;  // bytes of a shown line, without the terminator
inline constexpr size_t CHAT_HEADWORD_SIZE = 300;
inline constexpr int32_t CHAT_LINE_PITCH = 14;
inline constexpr int32_t CHAT_MIN_LINES = 3, CHAT_MAX_LINES = 35;
inline constexpr int CHAT_KIND_COLOURS = 17;
// A message text is cut into lines of about this many bytes.
inline constexpr size_t CHAT_SPLIT_WIDTH = 80;
// Pending topic lines are said one every this many milliseconds.
inline constexpr uint32_t CHAT_PENDING_STEP_MS = 500;
inline constexpr uint32_t CHAT_MEMO_BLINK_MS = 250;
// A click further right than this of the window's x types into the chat
// input; at or left of it into the headword.
inline constexpr int32_t CHAT_INPUT_SPLIT_X = 137;

// 0x00BBGGRR of (red, green, blue).
constexpr uint32_t ChatRgb(uint32_t r, uint32_t g, uint32_t b) {
    return r | (g << 8) | (b << 16);
}

class CChar;

// The character's marked flag (its status block's first bit): its lines and
// name show in their own colours.
bool IsCharMarked(const CChar* character);
// The club window allows club chat ("Club_BaseWindow", category 9, action 4).
bool IsClubChatAllowed();

// One shown line.
struct ChatLine {
    char text[CHAT_LINE_TEXT + 1] = {};
    uint32_t colour = 0;
};

class CChatWindow : public CBaseWindow, public IChatMemoButton, public IWindowLink {
public:
    CChatWindow();
    ~CChatWindow() override;

    bool Create() override;
    // Deletes the images, forgets every line and the links.
    bool Release() override;
    bool Draw() override;
    // The chat-type icons offered, the scroll position, the memo blink and
    // the pending topic lines.
    bool Update() override;
    // Message 87: a chat line (AddMessage with the record's fields).
    bool ProcessMessages() override;
    // From the resize handle's top to the window's bottom, the image's width.
    bool UpdateRect() override;
    bool OnMouseDown(int32_t button, int32_t x, int32_t y, CBaseWindow* control) override;
    bool OnControlEvent(int32_t button, int32_t x, int32_t y, CBaseWindow* control) override;
    // Dragging the resize handle sets the number of lines shown.
    bool OnMouseMove(int32_t button, int32_t x, int32_t y, CBaseWindow* control) override;
    bool SetActive(bool active, bool keepOrder) override;
    bool SetPosition(int32_t x, int32_t y) override;
    bool SaveSettings(CLayoutWriter* writer) override;
    bool LoadSettings() override;

    // IWindowLink: the chat input ("CHATWIN") and the headword ("HEADWORDWIN").
    void LinkWindow(CBaseWindow* other) override;
    // IChatMemoButton.
    void GetMemoButtonPosition(float* x, float* y) override;
    void StartMemoBlink() override;

    // One chat message: a system notice of its kind (server mode, kinds
    // 0-16, 23, 24) or a line said by the character with the id, shown in
    // lines of about 80 bytes. A text that is empty or starts with '/' shows nothing.
    void AddMessage(uint32_t kindOrSpeaker, const char* text, bool noName, uint8_t colourIndex);
    // Appends one shown line (the oldest goes beyond 300), scrolls to it and
    // copies it to the chat log. False for an empty text.
    bool AddLine(const char* text, uint32_t colour);
    // The headword of the old mode is kept, the new mode's comes back.
    void SetChatMode(int32_t mode);
    int32_t GetChatMode() const { return m_chatMode; }
    // The mode's kept headword (the one in the headword field for the mode in force).
    const char* GetSavedHeadword(int32_t mode) const;
    const char* GetLastHeadword() const { return m_lastHeadword; }
    void SetLastHeadword(const char* text);
    void SetSavedHeadword(int32_t mode, const char* text);
    // Lines of a topic, said one at a time.
    void QueuePendingLine(const std::string& line);
    void StartPendingLines();
    size_t PendingCount() const { return m_pending.size(); }

    // ---- Reading the state ----
    size_t LineCount() const { return m_lineCount; }
    // Line i of the kept ones, oldest first.
    const ChatLine& Line(size_t i) const;
    int32_t GetVisibleLines() const { return m_visibleLines; }
    void SetVisibleLines(int32_t lines);
    int32_t GetFirstShownLine() const { return m_firstShown; }
    uint32_t KindColour(int kind) const;
    bool AreIconsExpanded() const { return m_iconsExpanded != 0; }
    bool IsMemoHighlighted() const { return m_blinkCount != 0 && m_blinkOn != 0; }
    CButton* GetTypeIcon(int32_t mode) const;
    CButton* GetResizeHandle() const;
    CButton* GetMemoButton() const;
    CButton* GetEmoticonButton() const;
    CButton* GetOneToOneButton() const;
    CButton* GetMessengerButton() const;
    CButton* GetMacroButton() const;
    CScrollBar* GetScrollBar() const;
    CChatInputWindow* GetInput() const;
    CHeadwordWindow* GetHeadword() const;

private:
    static std::unique_ptr<CAniObject> MakeWindowObject(const char* name);
    void CreateButtons(uint32_t image);
    void PlaceIcons();
    // The handle's top on the screen (the top of the line area less 4).
    int32_t HandleTop();
    int32_t HandleHeight();
    // The bar's picture's size.
    int32_t BarWidth();
    int32_t BarHeight();
    // Activates one field, the other first deactivated.
    void ActivateField(bool input);
    void DrawLines();
    // The mode can be chosen: the club's permission for club chat, a team
    // for team chat.
    static bool IsModeOffered(int32_t mode);

    std::array<ChatLine, CHAT_LINE_CAPACITY> m_lines;
    size_t m_firstLine = 0;  // the oldest kept line in m_lines
    size_t m_lineCount = 0;
    int32_t m_visibleLines = CHAT_MIN_LINES;
    int32_t m_firstShown = 0;
    uint32_t m_kindColours[CHAT_KIND_COLOURS] = {};
    int32_t m_chatMode = CHAT_MODE_NORMAL;
    uint8_t m_iconsExpanded = 0;
    char m_headwords[CHAT_MODE_COUNT][CHAT_HEADWORD_SIZE] = {};
    char m_lastHeadword[CHAT_HEADWORD_SIZE] = {};
    CWeakRef m_typeIcons[CHAT_MODE_COUNT];
    CWeakRef m_upperButton, m_emoticonButton, m_oneToOneButton, m_messengerButton, m_macroButton,
        m_memoButton;
    CWeakRef m_scrollBar;
    CWeakRef m_ticker;
    CWeakRef m_input, m_headword;
    // "Emoticon", "Message", "WORD01", "ScreenLight_".
    std::unique_ptr<CAniObject> m_objects[4];
    uint8_t m_blinkCount = 0;
    uint8_t m_blinkOn = 0;
    uint32_t m_blinkTime = 0;
    std::deque<std::string> m_pending;
    uint32_t m_pendingTime = 0;
};

// The "MSGWIN" sink of ShowMessageWin: posts each record into the window's
// port (message 87); without the window the record is dropped.
class CChatWindowSink : public IMessageWinSink {
public:
    void Deliver(std::unique_ptr<CChatLineMsg> record) override;
};
