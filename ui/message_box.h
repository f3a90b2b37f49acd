// CMessageBox ("MESSAGE_BOX", image "MessageBox"): the shared box that tells
// the player something or asks a question. Rich text (coloured runs, runs
// that open a linked window when clicked) in a grid of 40 rows, a scroll bar,
// a grip that resizes the box by whole rows, and OK and CANCEL buttons.
//
// An answer goes one of three ways, as the owner chose: to the server for a
// box the server opened (SetReplyId), as event 9 to a port (SetOkNotify,
// SetCancelNotify: parameter a new CMsgWord, or a copy of the answer text,
// extra 1 for OK and 0 for CANCEL, sender the box's kind id), or only as the
// result the owner polls (-1 undecided, 1 OK, 0 CANCEL; owners may set it back).
//
// CAutoHideMessageBox ("AUTOHIDE_MESSAGE_BOX"): a text over a background that
// lets clicks pass; the window manager closes it once it stops updating.
#pragma once
#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "core/frame_hooks.h"
#include "graphics/rich_text.h"
#include "ui/base_window.h"
#include "ui/notify_port.h"
#include "ui/ui_services.h"

class CButton;
class CScrollBar;

inline constexpr uint32_t MESSAGE_BOX_ANSWER = 9;  // event of an answer
inline constexpr int32_t MESSAGE_BOX_ROW_HEIGHT = 14;
inline constexpr int32_t MESSAGE_BOX_MIN_ROWS = 3;
inline constexpr int32_t MESSAGE_BOX_RESULT_NONE = -1;
inline constexpr uint32_t MESSAGE_BOX_DISCONNECT_KIND = 9;  // kind id of the connection-lost box

// The NPC trade window's result notices (shown in its resident box).
enum class TradeNotice {
    kPlain1,        // row 58, box id 30
    kQuestion,      // row 59 with the value, OK and CANCEL, box id 3
    kDealDone,      // row 60, box id 6, "DealSuccess"
    kDealRefused,   // row 62, box id 5, "DealFailed"
    kGraded,        // rows 66-73 by the value, box id 30
    kMixFailed,     // row 74, box id 30, "MixFailed"
    kMixSucceeded,  // row 75 with the made item's name (76 when unknown), box id 30, "MixSuccess"
    kPlain2,        // row 63
    kPlain3,        // row 77
    kPlain4,        // row 78
    kQuestion2,     // row 79 with the value, OK and CANCEL, box id 7
};

class CMessageBox : public CBaseWindow {
public:
    // A box without text or buttons.
    CMessageBox();
    CMessageBox(const char* text, bool showOk, bool showCancel, bool autoClose, int32_t style);
    ~CMessageBox() override;

    // Makes the window, its scroll bar, grip and buttons, lays it out at
    // (400 - width / 2, 200) and adds the text in white. False when the
    // window's image could not be had; the parts are made all the same.
    bool Create(const char* text, bool showOk, bool showCancel, bool autoClose, int32_t style);
    // The all-zero box again.
    bool Create() override { return Create(nullptr, false, false, false, 0); }
    // Forgets the text runs and the reply texts.
    bool Release() override;
    // Hides the box and every window its text links to.
    bool Hide() override;
    bool Draw() override;
    // The first row follows the scroll bar.
    bool Update() override;
    // From the box's top left to the bottom of the grip.
    bool UpdateRect() override;
    bool OnControlEvent(int32_t button, int32_t x, int32_t y, CBaseWindow* control) override;
    // The grip resizes the box; any other move drags it.
    bool OnMouseMove(int32_t button, int32_t x, int32_t y, CBaseWindow* control) override;
    // Enter answers OK; Escape answers CANCEL when it is shown, else OK.
    bool OnKeyDown(uint32_t key, CBaseWindow* control) override;
    bool SetActive(bool active, bool keepOrder) override;
    // Lays the box out with (x, y) as its top left; held above the screen's bottom.
    bool SetPosition(int32_t x, int32_t y) override;

    // Shows or hides OK and CANCEL; style 0 and 1 choose their pictures.
    void SetButtons(bool showOk, bool showCancel, int32_t style);
    void SetOkNotify(bool enabled, CMsgPort* target, uint32_t parameter);
    void SetCancelNotify(bool enabled, CMsgPort* target, uint32_t parameter);
    // The answers carry a copy of this text as their parameter instead of the word.
    void SetNotifyText(const char* text);
    // Answers go to the server under this id (0: not a server box).
    bool SetReplyId(uint32_t id);
    // The texts sent with OK and with CANCEL; false (nothing changes) when either is null.
    bool SetTexts(const char* okReply, const char* cancelReply);
    // The two words the owner keeps with the box.
    void SetUserWords(uint32_t first, uint32_t second);
    void GetResultTargets(uint32_t* first, uint32_t* second) const;

    // Empties the text; AddText adds marked-up text from the start of the row
    // (the first by default), its runs linked to the window given (null: no link).
    void ClearText();
    void AddText(const char* text, uint32_t colour, CBaseWindow* linked = nullptr, int32_t row = 0);

    // Centres the box's picture on the screen (the rows and the grip hang below it).
    void CentreOnScreen();
    // The trade window's notice: buttons, text, box id (the kind id) and
    // sound; false (nothing shown) for a graded value that has no notice.
    bool ShowTradeNotice(TradeNotice notice, uint32_t value = 0);

    int32_t GetResult() const { return m_result; }
    void SetResult(int32_t result) { m_result = result; }
    bool IsAutoClose() const { return m_autoClose != 0; }
    // Kept when the window manager closes the message boxes.
    bool IsKept() const { return m_keep != 0; }
    void SetKept(bool kept) { m_keep = kept; }
    // A mouse answer also hides the box.
    void SetHideOnAnswer(bool on) { m_hideOnAnswer = on; }
    uint32_t GetReplyId() const { return m_replyId; }
    int32_t GetTextRows() const { return m_textRows; }
    int32_t GetVisibleRows() const { return m_visibleRows; }
    int32_t GetFirstRow() const { return m_firstRow; }
    int32_t GetGripY() const { return m_gripY; }
    // The rows Draw shows: [first, first + count).
    void GetDrawnRows(int32_t* first, int32_t* count) const;
    const CRichText& Text() const { return m_text; }
    // The grid to fill from outside (an item's description); SetTextRows
    // then tells the box how many rows it used.
    CRichText& EditText() { return m_text; }
    void SetTextRows(int32_t rows);
    CScrollBar* GetScrollBar() const;
    CButton* GetGrip() const;
    CButton* GetOkButton() const;
    CButton* GetCancelButton() const;

    // Background size: the image's, or the size given (SetSize) without one.
    int32_t BackgroundWidth();
    int32_t BackgroundHeight();

private:
    void Answer(bool ok, bool byKey);
    void PostAnswer(bool ok);
    // A click on the text: its linked window opens at the pointer.
    bool OpenLinkAt(int32_t x, int32_t y);
    template <class Fn>
    void ForEachLinkedWindow(Fn fn);
    int32_t GripHeight() const;
    // The space under the rows: the buttons' strip, or a margin without buttons.
    int32_t ButtonStrip() const;
    // The layout again at the current place, and the scroll bar along it.
    void Relayout();
    void PlaceScrollBar();
    void ClampFirstRow();

    CRichText m_text;
    int32_t m_shownRows = 0;
    int32_t m_textRows = MESSAGE_BOX_MIN_ROWS;
    int32_t m_visibleRows = MESSAGE_BOX_MIN_ROWS;
    uint32_t m_userWords[2] = {};
    CWeakRef m_scrollBar, m_grip, m_ok, m_cancel;  // children
    int32_t m_gripY = 0;
    int32_t m_firstRow = 0;
    int32_t m_result = MESSAGE_BOX_RESULT_NONE;
    uint8_t m_autoClose = 0;
    uint8_t m_hideOnAnswer = 0;
    uint8_t m_keep = 0;
    uint8_t m_cancelNotifyOn = 0;
    uint8_t m_okNotifyOn = 0;
    CNotifyPort m_cancelTarget, m_okTarget;
    uint32_t m_cancelParameter = 0, m_okParameter = 0;
    std::optional<std::string> m_notifyText;
    std::optional<std::string> m_okReply, m_cancelReply;
    uint32_t m_replyId = 0;
};

class CAutoHideMessageBox : public CBaseWindow {
public:
    explicit CAutoHideMessageBox(const char* text);
    ~CAutoHideMessageBox() override;

    bool Create(const char* text);
    // Made again with the same text.
    bool Create() override;
    bool Release() override;
    // The background, then the text laid out at the box's width from y + 21.
    bool Draw() override;
    bool UpdateRect() override;
    // Clicks pass through.
    bool OnControlEvent(int32_t button, int32_t x, int32_t y, CBaseWindow* control) override;

    const char* GetText() const;

private:
    std::unique_ptr<CTextLineBuffer> m_lines;
    std::string m_textCopy;
};

// The window manager reads a box's two flags through this.
class CMessageBoxFlags : public IMessageBoxState {
public:
    bool IsAutoClose(CBaseWindow* box) override;
    bool IsKept(CBaseWindow* box) override;
};

// The "connection lost" box: OK only, centred, text table 0 row 10, kind 9,
// its OK telling the game scene with its kind as the answer's parameter (the
// scene's word for quitting). At most one shows at a time, so a lost
// connection that two paths report shows one box.
class CDisconnectNotice : public IDisconnectNotice {
public:
    void Show() override;
    CMessageBox* GetBox() const { return m_box.GetAs<CMessageBox>(); }

private:
    CWeakRef m_box;
};
