// CMultiServerWindow ("SELECT_SERVER_WINDOW", image "MultiServerWindow"):
// the list of worlds the login server sends, each with its load, twelve rows
// at a time. Choosing one sends the world entry and waits for the answer.
#pragma once
#include <cstdint>
#include <string>

#include "core/base_object.h"
#include "ui/base_window.h"
#include "ui/button.h"
#include "ui/scroll_bar.h"

inline constexpr char SERVER_SELECT_WINDOW_NAME[] = "SELECT_SERVER_WINDOW";
inline constexpr char SERVER_SELECT_WINDOW_IMAGE[] = "MultiServerWindow";
inline constexpr int32_t SERVER_LIST_ROWS = 12;
inline constexpr int32_t SERVER_LIST_ROW_HEIGHT = 16;
inline constexpr uint32_t SERVER_SELECT_WAIT_MS = 60000;

class CMultiServerWindow : public CBaseWindow {
public:
    CMultiServerWindow();
    ~CMultiServerWindow() override;

    bool Create() override;
    bool Draw() override;
    // The wait for the world entry's answer; the list follows the session's.
    bool Update() override;
    bool OnControlEvent(int32_t button, int32_t x, int32_t y, CBaseWindow* control) override;
    bool OnDoubleClick(int32_t button, int32_t x, int32_t y, CBaseWindow* control) override;
    // Down/Up move the choice (wrapping), Enter chooses, Escape cancels.
    bool OnKeyDown(uint32_t key, CBaseWindow* control) override;
    bool SetPosition(int32_t x, int32_t y) override;

    // Forgets the list and connects to the login server again.
    bool ConnectToServer();
    // Sends the world entry of the chosen row (when there is a list and no wait).
    void SelectServer();
    // A click at (px, py) chooses the row under it.
    void PickRow(int32_t px, int32_t py);
    // The server list arrived: it is drawn and can be chosen from now on.
    void ListArrived() { m_waitingForList = 0; }

    std::string SelectedServerName() const;
    int32_t GetSelectedRow() const { return m_selected; }
    int32_t GetServerCount() const { return m_count; }
    int32_t GetFirstRow() const;
    bool IsWaiting() const { return m_requestStart != 0; }
    bool IsWaitingForList() const { return m_waitingForList != 0; }
    bool IsCancelled() const { return m_cancelled != 0; }
    void SetCancelled(bool on) { m_cancelled = on; }
    const char* GetMessageLine() const { return m_message.c_str(); }
    CButton* GetConfirmButton() const { return m_confirm.GetAs<CButton>(); }
    CButton* GetCancelButton() const { return m_cancel.GetAs<CButton>(); }
    CScrollBar* GetScrollBar() const { return m_scrollBar.GetAs<CScrollBar>(); }
    // The label of a load state (empty for a state above 4).
    static const char* LoadLabel(uint8_t state);

private:
    void ShowButtons(bool takeInput);
    void EndWait();
    void Cancel();
    void ScrollToSelection();

    uint8_t m_busy = 0;
    uint8_t m_cancelled = 0;
    uint8_t m_waitingForList = 1;
    int32_t m_selected = 0;
    uint8_t m_preselected = 0;
    int32_t m_count = 0;
    int32_t m_visibleRows = SERVER_LIST_ROWS;
    CWeakRef m_confirm;
    CWeakRef m_cancel;
    CWeakRef m_scrollBar;
    uint32_t m_requestStart = 0;
    std::string m_message;
};
