// The two club forms the server opens: the join window ("Club_JoinWindow"),
// which shows a club the player may join and sends the application, and the
// make window ("Club_MakeWindow"), in which the player founds a club. Each is
// made on first use by the server message that opens it and takes that
// message's record in its port.
#pragma once
#include <cstdint>
#include <memory>
#include <string>

#include "core/base_object.h"
#include "ui/base_window.h"

class CAniObject;
class CButton;
class CClubInfoMsg;
class CEditBox;

inline constexpr char CLUB_JOIN_WINDOW_NAME[] = "Club_JoinWindow";
inline constexpr char CLUB_MAKE_WINDOW_NAME[] = "Club_MakeWindow";

class CClubJoinWindow : public CBaseWindow {
public:
    CClubJoinWindow();
    ~CClubJoinWindow() override;

    bool Create() override;
    bool Release() override;
    bool Draw() override;
    bool ProcessMessages() override;
    bool SetPosition(int32_t x, int32_t y) override;
    bool OnControlEvent(int32_t button, int32_t x, int32_t y, CBaseWindow* control) override;
    bool UpdateRect() override;

    // Copies the club's values and shows the window.
    void SetClubInfo(const CClubInfoMsg& info);

    const std::string& GetClubName() const { return m_clubName; }
    uint32_t GetEmblem() const { return m_emblem; }
    CButton* GetRequestButton() const { return m_request.GetAs<CButton>(); }
    CButton* GetCloseButton() const { return m_close.GetAs<CButton>(); }

private:
    void Close();

    uint8_t m_clubNumber = 0;
    std::string m_clubName, m_secondName;
    uint16_t m_counts[3] = {};  // the third plus one and the second show as "%d/%d"
    std::string m_texts[3];     // two short lines and the introduction
    uint16_t m_levels[3] = {};  // the level, the lowest and the highest that may join
    uint32_t m_emblem = 0;
    std::unique_ptr<CAniObject> m_mark;
    CWeakRef m_request, m_close;
};

// The make window's fields, in the order of its edit boxes.
enum : int32_t {
    CLUB_MAKE_NAME = 0,
    CLUB_MAKE_MIN_LEVEL,
    CLUB_MAKE_MAX_LEVEL,
    CLUB_MAKE_HOMEPAGE,
    CLUB_MAKE_INTRO,
    CLUB_MAKE_FIELDS
};

class CClubMakeWindow : public CBaseWindow {
public:
    CClubMakeWindow();
    ~CClubMakeWindow() override;

    bool Create() override;
    bool Release() override;
    bool Draw() override;
    bool Update() override;
    bool ProcessMessages() override;
    bool SetPosition(int32_t x, int32_t y) override;
    bool OnControlEvent(int32_t button, int32_t x, int32_t y, CBaseWindow* control) override;
    bool UpdateRect() override;

    // The two bytes the server's offer carries, sent back with the form.
    void SetValues(uint8_t kind, uint8_t option);
    // OK: the form sent (an empty name asks for one and keeps the form).
    void Submit();

    uint8_t GetKind() const { return m_kind; }
    uint8_t GetOption() const { return m_option; }
    CEditBox* GetEditBox(int32_t field) const;
    CButton* GetOkButton() const { return m_ok.GetAs<CButton>(); }
    CButton* GetCloseButton() const { return m_close.GetAs<CButton>(); }

private:
    void Close();
    // The field under the point relative to the window, or -1.
    static int32_t FieldAt(int32_t x, int32_t y);

    uint8_t m_kind = 1, m_option = 0;
    CWeakRef m_edits[CLUB_MAKE_FIELDS];
    CWeakRef m_ok, m_close;
};
