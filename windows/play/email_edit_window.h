// CEMailEditWindow ("EMAIL_EDIT_WIN", image "EMailEditWindow"): the small
// dialog of the character select window that asks for a confirmation text
// before a protected character is deleted. Its owner resets and shows it,
// and reads the confirmed flag and the text once the window has hidden itself.
#pragma once
#include <cstddef>
#include <cstdint>
#include <memory>

#include "ui/base_window.h"
#include "ui/button.h"
#include "ui/edit_box.h"

class CAniObject;

inline constexpr char EMAIL_EDIT_WINDOW_NAME[] = "EMAIL_EDIT_WIN";
inline constexpr char EMAIL_EDIT_WINDOW_IMAGE[] = "EMailEditWindow";
inline constexpr size_t EMAIL_EDIT_TEXT_LIMIT = 45;

class CEMailEditWindow : public CBaseWindow {
public:
    CEMailEditWindow();
    ~CEMailEditWindow() override;

    bool Create() override;
    bool Release() override;
    // The box loses the focus as the window goes.
    bool Hide() override;
    bool Draw() override;
    bool OnControlEvent(int32_t button, int32_t x, int32_t y, CBaseWindow* control) override;
    // Escape cancels (while shown and active).
    bool OnKeyDown(uint32_t key, CBaseWindow* control) override;
    bool SetPosition(int32_t x, int32_t y) override;

    // Text emptied, not confirmed, the box emptied and focused; shown.
    void ResetAndShow();
    // Keeps the box's text (at most 45 bytes) and hides.
    void Confirm();
    void Cancel();

    bool IsConfirmed() const { return m_confirmed != 0; }
    const char* GetText() const { return m_text; }
    CEditBox* GetBox() const { return m_box.GetAs<CEditBox>(); }
    CButton* GetConfirmButton() const { return m_confirm.GetAs<CButton>(); }
    CButton* GetCancelButton() const { return m_cancel.GetAs<CButton>(); }

private:
    std::unique_ptr<CAniObject> m_frame;
    CWeakRef m_confirm;
    CWeakRef m_cancel;
    CWeakRef m_box;
    char m_text[EMAIL_EDIT_TEXT_LIMIT + 1] = {};
    uint8_t m_confirmed = 0;
};
