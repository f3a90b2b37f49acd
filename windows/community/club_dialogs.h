// Two small dialogs of the club window: the nickname editor
// ("ClubInter_EditNick"), which names the member chosen in the club window,
// and the auto-rank window ("Club_AutoRankWindow"), which sets how the club
// ranks its members: by level or by points, and whether every day.
#pragma once
#include <cstdint>
#include <memory>

#include "core/base_object.h"
#include "ui/base_window.h"
#include "ui/button.h"
#include "ui/edit_box.h"
#include "windows/community/community_windows.h"

class CAniObject;

inline constexpr size_t CLUB_NICK_LIMIT = 20;

class CClubEditNickWindow : public CBaseWindow {
public:
    CClubEditNickWindow();
    ~CClubEditNickWindow() override;

    bool Create() override;
    bool Release() override;
    bool Show() override;
    bool SetPosition(int32_t x, int32_t y) override;
    bool OnControlEvent(int32_t button, int32_t x, int32_t y, CBaseWindow* control) override;
    // The frame's size while the picture is missing.
    bool UpdateRect() override;

    CEditBox* GetEditBox() const { return m_edit.GetAs<CEditBox>(); }
    CButton* GetOkButton() const { return m_ok.GetAs<CButton>(); }
    CButton* GetCancelButton() const { return m_cancel.GetAs<CButton>(); }

private:
    void Close();

    CWeakRef m_edit, m_ok, m_cancel;
};

class CClubAutoRankWindow : public CBaseWindow {
public:
    CClubAutoRankWindow();
    ~CClubAutoRankWindow() override;

    bool Create() override;
    bool Release() override;
    bool Draw() override;
    bool SetPosition(int32_t x, int32_t y) override;
    bool OnControlEvent(int32_t button, int32_t x, int32_t y, CBaseWindow* control) override;
    bool UpdateRect() override;

    bool IsChecked() const { return m_check != 0; }
    int32_t GetChoice() const { return m_choice; }
    CButton* GetOkButton() const { return m_ok.GetAs<CButton>(); }
    CButton* GetCloseButton() const { return m_close.GetAs<CButton>(); }

private:
    void Close();

    uint8_t m_check = 0;
    int32_t m_choice = 0;
    CWeakRef m_ok, m_close;
    std::unique_ptr<CAniObject> m_checkBox, m_checkMark, m_options[2];
};
