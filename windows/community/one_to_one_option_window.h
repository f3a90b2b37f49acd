// C1V1OptionWin ("1V1OptionWin", image "1:1ChattingWin"): the one-to-one
// chat's two name lists on two tabs: tab 0 the refusal list the server keeps
// (with the refuse-all switch), tab 1 the logged partners of the chat list.
// The server's refusal list arrives in its port as message 88.
#pragma once
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "ui/base_window.h"

class CAniObject;
class CButton;
class CChatLogList;
class CScrollBar;
class C1V1ChatEditBox;
class CNameListMsg;

inline constexpr int32_t REFUSAL_LIMIT = 100;
inline constexpr int32_t OPTION_VISIBLE_ROWS = 5;

class C1V1OptionWin : public CBaseWindow {
public:
    C1V1OptionWin();
    ~C1V1OptionWin() override;

    bool Create() override;
    bool Release() override;
    bool Hide() override;
    bool Draw() override;
    bool Update() override;
    bool ProcessMessages() override;
    bool OnMouseDown(int32_t button, int32_t x, int32_t y, CBaseWindow* control) override;
    bool OnControlEvent(int32_t button, int32_t x, int32_t y, CBaseWindow* control) override;
    bool SetPosition(int32_t x, int32_t y) override;

    // From a chat window: on tab 0 asks for the refusal list; shown and
    // activated at (250, 150).
    void Open();
    void AddName();
    void RemoveSelected();
    void ClearAll();
    void ToggleRefuseAll();
    void SelectMode(uint8_t mode);
    // The row under the point, or -1.
    int32_t RowAt(int32_t x, int32_t y) const;
    void SelectRow(int32_t row);
    // Message 88: the refusal switch and the names (second texts: the
    // character name, or row 158 when it is empty).
    void SetList(const CNameListMsg& list);

    void SetChatLogList(CChatLogList* list) { m_chatLogList = list; }
    void SetNameEdit(C1V1ChatEditBox* box);
    C1V1ChatEditBox* GetNameEdit() const;
    uint8_t GetMode() const { return m_mode; }
    int32_t GetRefusalCount() const { return int32_t(m_refusals.size()); }
    const std::vector<std::string>& Refusals() const { return m_refusals; }
    bool IsListReceived() const { return m_listReceived != 0; }
    const std::string& GetSelectedName() const { return m_selectedName; }
    int32_t GetSelectedRow() const { return m_selectedRow; }
    CButton* Button(const char* name, int index = 0) const;

private:
    int32_t RowCount() const;
    const char* RowName(int32_t row) const;
    int32_t FirstRow() const;
    void ResetScroll();

    CChatLogList* m_chatLogList = nullptr;
    CWeakRef m_nameEdit;
    CWeakRef m_scrollBar;
    std::unique_ptr<CAniObject> m_selection;
    std::string m_selectedName;
    std::vector<std::string> m_refusals, m_seconds;
    int32_t m_selectedRow = -1;
    uint8_t m_listReceived = 0;
    uint8_t m_nameKind = 0;
    uint8_t m_mode = 0;
};
