// CCharCreateWindow ("CharCreateWindow", image "Create_Char_Window"): the
// full-screen window of the character creation scene. The player steps
// through the character types with two arrows, picks one of the type's three
// variants, types a name and confirms; the window sends the create request,
// shows the server's answer and reports through its result (1: done) that
// the scene may go back to the character select window.
#pragma once
#include <cstddef>
#include <cstdint>
#include <memory>

#include "data/data_table.h"
#include "ui/base_window.h"
#include "ui/button.h"
#include "ui/edit_box.h"
#include "ui/scene_windows.h"

class CAniObject;
class CMessageBox;

// The kind id of the answer box after a creation (the sender of its answer).
inline constexpr uint32_t CHAR_CREATED_BOX_KIND = 30;
inline constexpr int32_t CHAR_CREATE_DONE = 1;

class CCharCreateWindow : public CBaseWindow, public ICharCreateWindow {
public:
    static constexpr int kMaxTypes = 14;
    static constexpr int kVariants = 3;
    static constexpr int kValueCount = 10;
    static constexpr size_t kNameLimit = 16;
    static constexpr size_t kLabelSize = 100;
    // The data tables: one row per type, and the value hints.
    static constexpr int kTypeTable = 105;
    static constexpr int kHintTable = 18;
    // The player resource columns of the ten values: one u32, nine u16.
    static constexpr int kFirstValueColumn = 26;
    enum Button { kOk, kBack, kLeftArrow, kRightArrow, kButtonCount };

    CCharCreateWindow();
    ~CCharCreateWindow() override;

    bool Create() override;
    bool Release() override;
    bool Draw() override;
    bool Update() override;
    bool ProcessMessages() override;
    bool OnControlEvent(int32_t button, int32_t x, int32_t y, CBaseWindow* control) override;
    // Enter in the focused name box confirms; other keys go to the box.
    bool OnKeyDown(uint32_t key, CBaseWindow* control) override;
    bool SetPosition(int32_t x, int32_t y) override;

    int32_t GetResult() override { return m_result; }

    // Makes the type current (its variant images and labels, then variant 0);
    // false when the type is not offered or already current.
    bool SetType(int32_t type, uint8_t direction);
    // The variant's resource id and its ten values.
    void SelectVariant(int32_t variant);
    // Sends the creation with the selected variant and the typed name.
    void SubmitCreate();
    // The arrows: the previous or next type, past the ones never offered.
    void StepType(bool forward);
    // The type an arrow goes to from the one given.
    int32_t NextType(int32_t from, bool forward) const;

    int32_t GetCurrentType() const { return m_type; }
    int32_t GetTypeCount() const { return m_typeCount; }
    int32_t GetChosenType() const { return m_chosenType; }
    int32_t GetVariant() const { return m_variant; }
    uint32_t GetResourceId() const { return m_resourceId; }
    uint32_t GetValue(int index) const { return index >= 0 && index < kValueCount ? m_values[index] : 0; }
    const char* GetLabel(int variant) const {
        return variant >= 0 && variant < kVariants ? m_labels[variant] : "";
    }
    bool IsWaiting() const { return m_waiting != 0; }
    // While set, clicks are ignored.
    void SetBusy(bool busy) { m_busy = busy ? 1 : 0; }
    CButton* GetButton(Button which) const { return m_buttons[which].GetAs<CButton>(); }
    CEditBox* GetNameBox() const { return m_nameBox.GetAs<CEditBox>(); }
    CMessageBox* GetMessageBox() const;
    // The hint row of table 18 for the value line under a window-relative
    // point's y; -1 for none.
    static int32_t HintRowAt(int32_t relativeY);

private:
    void OpenNameBox();
    void CloseNameBox();
    void SetControlsTakeInput(bool on);
    // The request is over without an accepting answer: the wait box goes and
    // the controls come back.
    void EndWait();

    CDataTable m_types;
    CDataTable m_hints;
    CWeakRef m_buttons[kButtonCount];
    std::unique_ptr<CAniObject> m_highlight;
    std::unique_ptr<CAniObject> m_frames[2];
    int32_t m_result = -1;
    int32_t m_chosenType = -1;
    int32_t m_variant = -1;
    int32_t m_type = -1;
    int32_t m_typeCount = 0;
    uint32_t m_resourceId = 0;
    uint32_t m_values[kValueCount] = {};
    std::unique_ptr<CAniObject> m_variantImages[kVariants];
    char m_labels[kVariants][kLabelSize] = {};
    std::unique_ptr<CAniObject> m_marker;
    std::unique_ptr<CAniObject> m_previews[kMaxTypes];
    std::unique_ptr<CAniObject> m_portraits[kMaxTypes];
    uint8_t m_waiting = 0;
    uint32_t m_requestStart = 0;
    uint8_t m_nameBoxOpen = 0;
    uint8_t m_busy = 0;
    CWeakRef m_nameBox;
    CWeakRef m_messageBox;
};
