// CCharInfoWindow ("CharInfoWindow"): the player's level, names, counters,
// the seven stats with their bonuses, four gauges, the money and the points
// not spent. A point-up button beside each stat spends points on it when
// they reach its cost; the level-up button shows while the server offers a
// level-up. A ticker at the bottom shows the skill effects on the player.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "ui/base_window.h"
#include "windows/play/item_window_parts.h"
#include "world/chars/hud_windows.h"

class CButton;
class CDataTable;

inline constexpr char CHAR_INFO_PICTURE_NAME[] = "CHAR_INFO_WINDOW";
inline constexpr int32_t CHAR_INFO_STATS = 7;
inline constexpr size_t CHAR_INFO_TICKER_LINES = 256;
inline constexpr uint32_t CHAR_INFO_TICKER_HOLD_MS = 1000, CHAR_INFO_TICKER_SWITCH_MS = 500;
// The picture's size (the rectangle of a window without its picture).
inline constexpr int32_t CHAR_INFO_WIDTH = 340, CHAR_INFO_HEIGHT = 280;
// The data tables: the stats' point costs by character kind, and the help texts.
inline constexpr int CHAR_INFO_COST_TABLE = 55;
inline constexpr int CHAR_INFO_HELP_TABLE = 18;

// One piece of a stat line: text and colour.
struct StatLinePiece {
    std::string text;
    uint32_t colour = 0;
    bool operator==(const StatLinePiece&) const = default;
};
// Stat line k (0-12) of the character's values: the stats (0-6), the gauges
// (7-10), the money (11) and the points not spent (12).
std::vector<StatLinePiece> StatLinePieces(const CCharData& data, int32_t k);

class CCharInfoWindow : public CBaseWindow, public IPlayWindowOwner, public ISkillEntryView {
public:
    CCharInfoWindow();
    ~CCharInfoWindow() override;

    bool Create() override;
    bool Release() override;
    // The base hide, docked (mode 2), and the ticker starts again.
    bool Hide() override;
    bool Draw() override;
    bool Update() override;
    bool UpdateRect() override;
    bool SetPosition(int32_t x, int32_t y) override;
    bool SetStateValue(int32_t value) override;
    bool OnControlEvent(int32_t button, int32_t x, int32_t y, CBaseWindow* control) override;
    bool OnMouseMove(int32_t button, int32_t x, int32_t y, CBaseWindow* control) override;

    // IPlayWindowOwner.
    void SetOwnerId(uint32_t charId) override { m_ownerId = charId; }
    void SetItemContainer(CCharData*) override {}
    // ISkillEntryView: a skill effect started on the player (its name is
    // listed) or ended (taken off the list).
    void RefreshSkillEntry(uint32_t statusId) override;
    void RemoveSkillEntry(uint32_t statusId) override;

    // The points stat k (0-6) costs: trunc(trunc((level / column 3 + base)
    // / column 4) + column 6) of the kind's row k; 0 without a row or with a
    // divisor of 0.
    uint32_t GetPointCost(int32_t k);
    // Whether stat k's point-up button shows: the points reach the cost;
    // without a cost row, any point; never with a divisor of 0.
    bool CanRaise(int32_t k);
    void DrawStatLine(int32_t k, int32_t x, int32_t y);

    // The ticker keeps copies of the texts; an equal text is listed once.
    void AddTickerLine(const char* text);
    void RemoveTickerLine(const char* text);
    const std::vector<std::string>& TickerLines() const { return m_ticker; }
    size_t TickerLength() const { return m_tickerLength; }
    int32_t ShownTickerLine() const { return m_shownLine; }

    CButton* GetPointUpButton(int32_t k) const {
        return k >= 0 && k < CHAR_INFO_STATS ? m_pointUp[k] : nullptr;
    }
    CButton* GetLevelUpButton() const { return m_levelUp; }
    const CTitleButtons& TitleButtons() const { return m_title; }

private:
    // The first row of the player's kind in the cost table (-1 none).
    int32_t CostRow();
    void RestartTicker();
    void StepTicker();
    void UpdateHelp();

    uint32_t m_ownerId = 0;
    CTitleButtons m_title;
    CButton* m_levelUp = nullptr;
    CButton* m_pointUp[CHAR_INFO_STATS] = {};
    std::unique_ptr<CDataTable> m_costs;
    std::unique_ptr<CDataTable> m_help;
    int32_t m_costRow = -1;
    int32_t m_costKind = -1;
    std::vector<std::string> m_ticker;
    size_t m_tickerLength = 0;
    uint32_t m_lineStart = 0;
    int32_t m_shownLine = 0;
    int32_t m_nextLine = 0;
    uint8_t m_switching = 0;
    uint32_t m_switchStart = 0;
};
