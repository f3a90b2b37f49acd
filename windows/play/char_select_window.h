// CCharSelectWindow ("CharSelectWindow", image "Select_Char_Window"): the
// full-screen window after log-in that shows the account's characters three
// at a time on pedestals, the selected one large with its name, and lets the
// player enter the game with it, create a character, delete one or go back.
// The connect scene reads the choice (GetAction) and carries the loaded list.
#pragma once
#include <cstddef>
#include <cstdint>
#include <memory>

#include "ui/base_window.h"
#include "ui/button.h"
#include "ui/scene_windows.h"

class CAniObject;
class CCharListMsg;
class CEMailEditWindow;
class CMessageBox;
class CPetChar;
class CPlayerChar;

// The kind id of the delete question box (the sender of its answer).
inline constexpr uint32_t CHAR_DELETE_BOX_KIND = 11;

class CCharSelectWindow : public CBaseWindow, public ICharSelectWindow {
public:
    static constexpr int kMaxChars = 6;
    static constexpr int kShownSlots = 3;
    static constexpr size_t kNameSize = 100;
    static constexpr size_t kHintSize = 256;
    enum Button { kSelect, kBack, kMake, kDelete, kLeftArrow, kRightArrow, kButtonCount };

    CCharSelectWindow();
    ~CCharSelectWindow() override;

    bool Create() override;
    // Gives the loaded list back to the session's slot.
    bool Release() override;
    bool Draw() override;
    bool Update() override;
    bool ProcessMessages() override;
    bool OnControlEvent(int32_t button, int32_t x, int32_t y, CBaseWindow* control) override;
    bool OnDoubleClick(int32_t button, int32_t x, int32_t y, CBaseWindow* control) override;
    bool OnKeyDown(uint32_t key, CBaseWindow* control) override;
    bool SetPosition(int32_t x, int32_t y) override;

    // ---- What the connect scene uses ----
    bool IsListReady() override { return m_listReady != 0; }
    void SetListReady(bool ready) override { m_listReady = ready ? 1 : 0; }
    int32_t GetAction() override { return m_result; }
    // Taking the choice back (CHAR_SELECT_NONE) also ends the wait for an
    // entry: the scene gave it up.
    void SetAction(int32_t action) override;
    // On: Select (with a character selected), Back, Delete and, below six
    // characters, Make take input. Off: the four show without taking any.
    void ShowButtons(bool show) override;
    // Back alone shows and takes input (no connection to choose on).
    void ShowBackButtonOnly() override;
    void SetMessageText(const char* text) override;
    std::unique_ptr<CMsgPayload> TakeCarriedList() override;

    // Fills the six places from a list: the first six by character id.
    void LoadCharacterList(const CCharListMsg& list);
    void SelectCharacter(int32_t index);
    // Asks the server to delete the character (a protected one asks for the
    // confirmation text first).
    void DeleteCharacter(int32_t index);
    void ClearCharacters();
    void PageLeft();
    void PageRight();
    // Enter the game with the selected character (Select, Enter, double click).
    void EnterGame();
    void GoBack();
    void MakeCharacter();
    // Opens the delete question for the selected character.
    void AskDelete();

    int32_t GetSelected() const { return m_selected; }
    int32_t GetFirst() const { return m_first; }
    int32_t GetCount() const { return m_count; }
    bool IsBusy() const { return m_deleting || m_confirming || m_entering; }
    bool IsDeleting() const { return m_deleting != 0; }
    bool IsConfirming() const { return m_confirming != 0; }
    bool IsEntering() const { return m_entering != 0; }
    const char* GetName(int index) const { return index >= 0 && index < kMaxChars ? m_names[index] : ""; }
    uint8_t GetCharByte(int index) const { return index >= 0 && index < kMaxChars ? m_bytes[index] : 0; }
    const char* GetListText() const { return m_listText; }
    const char* GetMessageText() const { return m_message; }
    CPlayerChar* GetChar(int index) const;
    CPetChar* GetPet(int index) const;
    CAniObject* GetSlotFrame(int slot) const;
    CButton* GetButton(Button which) const { return m_buttons[which].GetAs<CButton>(); }
    CMessageBox* GetDeleteBox() const;
    CEMailEditWindow* GetConfirmWindow() const;

private:
    // The character's files, once the server has accepted its deletion.
    void DeleteCharacterFiles(const char* name);
    void SendDelete(const char* name, const char* confirmation);
    // The place of the character with the name in the list, or -1.
    int32_t FindCharacter(const char* name) const;
    void DrawCharacter(int index, int32_t x, int32_t y);
    bool MouseOver(CButton* button);
    // The slot shown at the screen point, or -1.
    int32_t SlotAt(int32_t x, int32_t y) const;

    uint8_t m_listReady = 0;
    CWeakRef m_buttons[kButtonCount];
    std::unique_ptr<CAniObject> m_slotFrames[kShownSlots];
    std::unique_ptr<CAniObject> m_marker;
    int32_t m_result = CHAR_SELECT_NONE;
    int32_t m_selected = -1;
    uint8_t m_deleting = 0;
    uint8_t m_confirming = 0;
    uint8_t m_entering = 0;
    int32_t m_first = 0;
    int32_t m_count = 0;
    int32_t m_shownSlots = kShownSlots;
    std::unique_ptr<CPlayerChar> m_chars[kMaxChars];
    std::unique_ptr<CPetChar> m_pets[kMaxChars];
    char m_names[kMaxChars][kNameSize] = {};
    char m_listText[kNameSize] = {};
    uint8_t m_bytes[kMaxChars] = {};
    CWeakRef m_deleteBox;
    CWeakRef m_confirmWindow;
    // The character the delete question names, and the one the confirmation
    // text is asked for: a list that comes meanwhile may move or drop them.
    char m_askedName[kNameSize] = {};
    char m_confirmName[kNameSize] = {};
    // The character whose deletion waits for the server's answer.
    char m_deletingName[kNameSize] = {};
    uint32_t m_deleteStart = 0;
    char m_message[kHintSize] = {};
    std::unique_ptr<CCharListMsg> m_list;
};

// Whether a character name may name the character's own files: not empty,
// no folder separators, no "..", no drive.
bool IsSafeCharFileName(const char* name);
