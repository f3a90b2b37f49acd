// CAbnormalStatusIconWin ("ABNORMAL_STATUS_ICON_WIN"): the row of small icons
// centred at the top of the play screen, one for each abnormal state on the
// user's own character. An icon comes with its state, blinks ever faster in
// its last ten seconds, and goes when the character no longer carries the
// state.
#pragma once
#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "ui/base_window.h"
#include "world/chars/hud_windows.h"

class CAniObject;

// A status whose icon column holds this animation has no icon.
inline constexpr uint16_t STATUS_NO_ICON = 10000;
inline constexpr int32_t STATUS_ICON_PITCH = 32;
inline constexpr int32_t STATUS_ICON_TOP = 10;
inline constexpr uint32_t STATUS_BLINK_BEFORE_MS = 10000;
inline constexpr float STATUS_BLINK_MIN_MS = 20.0f;

class CAbnormalStatusIconWin : public CBaseWindow, public IStatusIconView {
public:
    struct Record {
        uint32_t key = 0;
        uint32_t statusId = 0;
        std::unique_ptr<CAniObject> icon;
        uint32_t startTime = 0;
        uint32_t duration = 0;  // 0: no end
        float blinkInterval = 0;
        uint8_t blinking = 0;
        uint8_t phase = 0;
        uint32_t toggleTime = 0;
    };

    CAbnormalStatusIconWin();
    ~CAbnormalStatusIconWin() override;

    bool Create() override;
    // Deletes every record and its icon.
    bool Release() override;
    bool Draw() override;
    // States the character lost go; the last ten seconds blink.
    bool Update() override;

    // IStatusIconView: the icon of the status (its skill id) under the key,
    // for the duration (0: no end). A status shown already starts again; a
    // key holds one status.
    void AddStatusIcon(uint32_t key, uint32_t statusId, uint32_t durationMs) override;
    // Every icon of the status goes.
    void RemoveStatusIcon(uint32_t statusId) override;
    // Icon k at (screen width / 2 - count x 16 + 32 k, 10).
    void LayoutIcons();

    const std::vector<Record>& Records() const { return m_records; }

private:
    std::vector<Record> m_records;
};
