// CNameMemoWin ("NAME_MEMO_WIN", animation 3569): the names the player memoed
// in the world and the web addresses of the chat lines. A click on a row
// copies it; a second click on a selected address opens it in the browser.
#pragma once
#include <cstdint>
#include <memory>

#include "ui/base_window.h"
#include "ui/game_scene_windows.h"
#include "windows/community/name_memo_list.h"

class CAniObject;
class CButton;

inline constexpr uint32_t NAME_MEMO_IMAGE = 3569;
inline constexpr int32_t NAME_MEMO_ROWS = 14;

class CNameMemoWin : public CBaseWindow, public INameMemo {
public:
    CNameMemoWin();
    ~CNameMemoWin() override;

    bool Create() override;
    bool Release() override;
    bool Draw() override;
    bool OnMouseDown(int32_t button, int32_t x, int32_t y, CBaseWindow* control) override;
    bool OnControlEvent(int32_t button, int32_t x, int32_t y, CBaseWindow* control) override;
    bool OnDoubleClick(int32_t button, int32_t x, int32_t y, CBaseWindow* control) override;
    bool OnKeyDown(uint32_t key, CBaseWindow* control) override;
    bool SetPosition(int32_t x, int32_t y) override;

    // The name goes to the top of the list, the file and the clipboard.
    void AddName(const char* name, int32_t kind) override;
    void ScanUrls(const char* text) override;
    void RemoveNameAt(int32_t index);
    void RemoveUrlAt(int32_t index);
    // The row under the point (names, then addresses), or -1.
    int32_t RowAt(int32_t x, int32_t y) const;
    void ClickRow(int32_t row);

    const CNameMemoList& List() const { return m_list; }
    int32_t GetSelectedRow() const { return m_selectedRow; }

private:
    int32_t RowCount() const;
    int32_t FirstRow() const;
    void UpdateRange();
    void PullSelection();

    CNameMemoList m_list;
    CWeakRef m_scrollBar;
    int32_t m_selectedRow = -1;
};
