// CQMMEditWin ("QMMEditWin", image "QMMessengerWindow"): the messenger's one
// dialog, in nine modes: a line to a group (0), a new or changed group name
// (1, 2), a buddy's name (3), a group to move a buddy to (5) or the second
// group choice (8), the confirmation of deleting a group (6) or a buddy (7).
// Its text goes into CQMMEditBox ("QMMEditBox"), a window of its own.
#pragma once
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "ui/base_window.h"
#include "ui/edit_box.h"
#include "ui/window_links.h"

class CAniObject;
class CButton;

inline constexpr char MESSENGER_EDIT_NAME[] = "QMMEditWin";
inline constexpr char MESSENGER_EDIT_BOX_NAME[] = "QMMEditBox";
inline constexpr int32_t MESSENGER_CHOICE_ROWS = 6;

// The byte limits of the dialog's texts: a group name, a buddy's name.
inline constexpr size_t MESSENGER_GROUP_NAME_LIMIT = 65;
inline constexpr size_t MESSENGER_BUDDY_NAME_LIMIT = 15;

// A name longer than 16 bytes cut for the choice list: within 16 bytes,
// ending "..." (".." when a double-byte character took the 13th byte).
std::string ShortenGroupName(const std::string& name);

class CQMMEditWin : public CBaseWindow {
public:
    CQMMEditWin();
    ~CQMMEditWin() override;

    bool Create() override;
    bool Release() override;
    bool Show() override;
    bool Hide() override;
    bool Draw() override;
    bool Update() override;
    bool OnMouseDown(int32_t button, int32_t x, int32_t y, CBaseWindow* control) override;
    bool OnControlEvent(int32_t button, int32_t x, int32_t y, CBaseWindow* control) override;
    bool OnKeyDown(uint32_t key, CBaseWindow* control) override;
    bool SetPosition(int32_t x, int32_t y) override;

    // Shows the parts of the mode and opens the dialog.
    void SetMode(int32_t mode, int32_t argument);
    // Modes 0-3: the box's text within the mode's limits goes to the
    // messenger, and the dialog hides; outside them it stays open.
    bool Confirm();
    // Modes 4-8 on OK.
    void RunChoiceAction();
    void ToggleChoiceList();
    // The choice list's entry under the point (list index), or -1.
    int32_t ChoiceAt(int32_t x, int32_t y) const;
    void Choose(int32_t index);

    int32_t GetMode() const { return m_mode; }
    uint8_t GetNameKind() const { return m_nameKind; }
    int32_t GetChoice() const { return m_choice; }
    bool IsListOpen() const { return m_listOpen != 0; }
    bool HasScrollThumb() const { return m_scrollRange > 0; }
    const std::vector<std::pair<uint8_t, std::string>>& Choices() const { return m_choices; }
    CEditBox* GetBox() const;
    CButton* Button(const char* name) const;

private:
    int32_t m_mode = -1;
    int32_t m_argument = 0;
    std::vector<std::pair<uint8_t, std::string>> m_choices;
    int32_t m_choice = 0;
    uint8_t m_listOpen = 0;
    int32_t m_firstVisible = 0;
    int32_t m_scrollRange = 0;
    uint8_t m_nameKind = 0;
    std::unique_ptr<CAniObject> m_listImage, m_thumb, m_highlight;
};

class CQMMEditBox : public CEditBox {
public:
    CQMMEditBox();
    ~CQMMEditBox() override;

    bool Create() override;
    bool Release() override;
    bool Draw() override;
    bool OnKeyDown(uint32_t key, CBaseWindow* control) override;
    bool SetPosition(int32_t x, int32_t y) override;

private:
    std::unique_ptr<CAniObject> m_background;
};
