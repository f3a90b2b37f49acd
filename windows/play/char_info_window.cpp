#include "windows/play/char_info_window.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "anim/ani_play_mgr.h"
#include "core/util.h"
#include "data/data_table.h"
#include "data/skill_table_mgr.h"
#include "data/text_tables.h"
#include "net/game_session.h"
#include "platform/clock.h"
#include "ui/button.h"
#include "ui/ui_services.h"
#include "ui/window_mgr.h"
#include "windows/play/play_windows.h"
#include "world/chars/char.h"
#include "world/chars/char_controller.h"
#include "world/chars/char_mgr.h"

namespace {

constexpr int kTipTable = 14, kLevelUpTip = 143, kStatsHelpTip = 435, kCostHelpTip = 436,
              kTickerHelpTip = 437;
constexpr int kHelpColumn = 1, kClassHelpFirst = 13;
constexpr uint8_t kLevelUpMotion = 2, kPointUpMotion = 3;
constexpr int32_t kTitleX = 317, kTitleY = 4, kLevelUpX = 294, kLevelUpY = 37, kPointUpX = 113,
                  kPointUpY = 166;
constexpr int32_t kLineStep = 15, kStatX = 76, kGaugeX = 276, kLineY = 167, kCostX = 145;
constexpr int32_t kTickerX = 256, kTickerY = 258;
constexpr uint32_t kYellow = 65535, kRed = 255, kColourZero = ITEM_TEXT_RED;
constexpr uint32_t kCharResourceBase = 2000000, kCharTypes = 14;
// Cost table columns.
constexpr int kCostId = 0, kCostLevelDivisor = 3, kCostDivisor = 4, kCostAddend = 6;
// The gauges: value, maximum, maximum without bonuses (-1: the maximum), cap.
constexpr int kGauges[4][4] = {{VALUE_ENERGY, VALUE_ENERGY_MAX, VALUE_BASE_MAXIMA, 30000},
                               {VALUE_SECOND_GAUGE, VALUE_SECOND_GAUGE_MAX, VALUE_BASE_MAXIMA + 1, 9999},
                               {VALUE_FOURTH_GAUGE, VALUE_FIFTH_GAUGE, VALUE_BASE_MAXIMA + 2, 99999},
                               {VALUE_LOAD, VALUE_LOAD_MAX, -1, 99999}};

std::string Number(const char* format, int64_t value) {
    char text[32];
    std::snprintf(text, sizeof text, format, static_cast<long long>(value));
    return text;
}

// "(+d)" or "(d)" in yellow above 0, red otherwise; nothing for 0.
void AddDifference(std::vector<StatLinePiece>& pieces, int64_t d) {
    if (d == 0) return;
    pieces.push_back({Number(d > 0 ? "(+%lld)" : "(%lld)", d), d >= 1 ? kYellow : kRed});
}

uint32_t CappedColour(uint32_t value, uint32_t cap) {
    return value == cap || value == 0 ? kColourZero : ITEM_TEXT_WHITE;
}

}  // namespace

std::vector<StatLinePiece> StatLinePieces(const CCharData& data, int32_t k) {
    std::vector<StatLinePiece> pieces;
    const uint32_t* v = data.m_values;
    if (k >= 0 && k < CHAR_INFO_STATS) {
        const uint16_t current = uint16_t(v[VALUE_ATTRIBUTES + k]);
        const int32_t base = int32_t(v[VALUE_BASE_STATS + k]);
        pieces.push_back(
            {Number("%lld", current), current == 0 || current == 255 ? kColourZero : ITEM_TEXT_WHITE});
        AddDifference(pieces, int64_t(current) - base);
    } else if (k >= 7 && k <= 10) {
        const int* g = kGauges[k - 7];
        const uint32_t value = v[g[0]], maximum = v[g[1]];
        const int64_t base = g[2] < 0 ? int64_t(maximum) : int64_t(int32_t(v[g[2]]));
        const uint32_t cap = uint32_t(g[3]);
        pieces.push_back({Number("%lld", value), CappedColour(value, cap)});
        pieces.push_back({Number("/%lld", maximum), CappedColour(maximum, cap)});
        AddDifference(pieces, int64_t(maximum) - base);
    } else if (k == 11) {
        pieces.push_back({FormatNumberWithCommas(v[VALUE_MONEY]), ITEM_TEXT_WHITE});
    } else if (k == 12) {
        pieces.push_back({Number("%lld", uint16_t(v[VALUE_STAT_POINTS])), ITEM_TEXT_WHITE});
    }
    return pieces;
}

CCharInfoWindow::CCharInfoWindow() {
    CCharInfoWindow::Create();
}

CCharInfoWindow::~CCharInfoWindow() {
    CCharInfoWindow::Release();
}

bool CCharInfoWindow::Create() {
    CBaseWindow::Create();
    const uint32_t image = CreatePanelWindow(this, HUD_WINDOW_NAMES[HUD_CHAR_INFO], CHAR_INFO_PICTURE_NAME);
    m_title.Make(this, "CHAR_INFO_WND_");
    m_levelUp = MakeTipButton(this, "CHAR_INFO_WND_LVUP_BUTTON", image, kLevelUpMotion, kLevelUpTip);
    for (int32_t k = 0; k < CHAR_INFO_STATS; ++k) {
        m_pointUp[k] = MakeChildButton("POINT_UP_BUTTON", this, image, kPointUpMotion);
        if (m_pointUp[k]) m_pointUp[k]->SetKindId(uint32_t(k));
    }
    m_costs = std::make_unique<CDataTable>();
    if (!m_costs->LoadDataTable(CHAR_INFO_COST_TABLE)) m_costs.reset();
    m_help = std::make_unique<CDataTable>();
    if (!m_help->LoadDataTable(CHAR_INFO_HELP_TABLE)) m_help.reset();
    m_costRow = m_costKind = -1;
    m_ticker.clear();
    m_tickerLength = 0;
    RestartTicker();
    SetPosition(0, 0);
    return true;
}

bool CCharInfoWindow::Release() {
    m_costs.reset();
    m_help.reset();
    return CBaseWindow::Release();
}

bool CCharInfoWindow::UpdateRect() {
    if (m_pAniObject) return CBaseWindow::UpdateRect();
    m_rect = WindowRect{m_x, m_y, m_x + CHAR_INFO_WIDTH, m_y + CHAR_INFO_HEIGHT};
    return true;
}

bool CCharInfoWindow::SetPosition(int32_t x, int32_t y) {
    CBaseWindow::SetPosition(x, y);
    m_title.Place(m_x + kTitleX, m_y + kTitleY);
    if (m_levelUp) m_levelUp->SetPosition(m_x + kLevelUpX, m_y + kLevelUpY);
    for (int32_t k = 0; k < CHAR_INFO_STATS; ++k)
        if (m_pointUp[k]) m_pointUp[k]->SetPosition(m_x + kPointUpX, m_y + kPointUpY + kLineStep * k);
    return true;
}

bool CCharInfoWindow::SetStateValue(int32_t value) {
    m_title.ShowForMode(this, value);
    return CBaseWindow::SetStateValue(value);
}

bool CCharInfoWindow::Hide() {
    CBaseWindow::Hide();
    SetStateValue(WINDOW_STATE_DOCKED);
    RestartTicker();
    return true;
}

// ---- Costs ----

int32_t CCharInfoWindow::CostRow() {
    CChar* player = PlayerChar();
    if (!player || !m_costs) return -1;
    const int32_t kind = int32_t((player->m_resourceId - kCharResourceBase) % kCharTypes);
    if (kind == m_costKind) return m_costRow;
    m_costKind = kind;
    m_costRow = -1;
    for (int32_t row = 0; row < m_costs->GetRowCount(); ++row)
        if (m_costs->GetInt(kCostId, row) == kCharResourceBase + uint32_t(kind)) {
            m_costRow = row;
            break;
        }
    return m_costRow;
}

uint32_t CCharInfoWindow::GetPointCost(int32_t k) {
    CCharData* data = PlayerData();
    const int32_t first = CostRow();
    if (!data || first < 0 || k < 0 || k >= CHAR_INFO_STATS) return 0;
    const int32_t row = first + k;
    const double levelDivisor = m_costs->GetInt(kCostLevelDivisor, row);
    const double divisor = m_costs->GetInt(kCostDivisor, row);
    // A divisor of 0 makes no cost (and no button).
    if (levelDivisor == 0 || divisor == 0) return 0;
    const double level = int32_t(data->m_values[VALUE_LEVEL]);
    const double base = int32_t(data->m_values[VALUE_BASE_STATS + k]);
    const double cost =
        std::trunc(std::trunc((level / levelDivisor + base) / divisor) + m_costs->GetInt(kCostAddend, row));
    return cost > 0 ? uint32_t(std::min(cost, 4294967295.0)) : 0;
}

bool CCharInfoWindow::CanRaise(int32_t k) {
    CCharData* data = PlayerData();
    if (!data) return false;
    const uint32_t points = uint16_t(data->m_values[VALUE_STAT_POINTS]);
    const int32_t first = CostRow();
    if (first < 0) return points > 0;
    if (m_costs->GetInt(kCostLevelDivisor, first + k) == 0 || m_costs->GetInt(kCostDivisor, first + k) == 0)
        return false;
    return points >= GetPointCost(k);
}

// ---- The ticker ----

void CCharInfoWindow::RestartTicker() {
    m_lineStart = plat::timeGetTime();
    m_shownLine = 0;
    m_nextLine = 0;
    m_switching = 0;
    m_switchStart = 0;
}

void CCharInfoWindow::AddTickerLine(const char* text) {
    if (!text || m_ticker.size() >= CHAR_INFO_TICKER_LINES) return;
    if (std::find(m_ticker.begin(), m_ticker.end(), text) != m_ticker.end()) return;
    m_ticker.emplace_back(text);
    m_tickerLength += m_ticker.back().size() + 2;
    RestartTicker();
}

void CCharInfoWindow::RemoveTickerLine(const char* text) {
    if (!text) return;
    auto it = std::find(m_ticker.begin(), m_ticker.end(), text);
    if (it == m_ticker.end()) return;
    m_tickerLength -= it->size() + 2;
    m_ticker.erase(it);
    RestartTicker();
}

void CCharInfoWindow::RefreshSkillEntry(uint32_t statusId) {
    if (const char* name = g_pSkillTableMgr ? g_pSkillTableMgr->GetName(SkillIdToRow(statusId)) : nullptr)
        AddTickerLine(name);
}

void CCharInfoWindow::RemoveSkillEntry(uint32_t statusId) {
    if (const char* name = g_pSkillTableMgr ? g_pSkillTableMgr->GetName(SkillIdToRow(statusId)) : nullptr)
        RemoveTickerLine(name);
}

void CCharInfoWindow::StepTicker() {
    const uint32_t now = plat::timeGetTime();
    if (m_ticker.size() < 2) {
        m_shownLine = 0;
        return;
    }
    if (!m_switching && now - m_lineStart >= CHAR_INFO_TICKER_HOLD_MS) {
        m_switching = 1;
        m_switchStart = now;
        m_nextLine = (m_shownLine + 1) % int32_t(m_ticker.size());
    }
    if (m_switching && now - m_switchStart >= CHAR_INFO_TICKER_SWITCH_MS) {
        m_switching = 0;
        m_shownLine = m_nextLine;
        m_lineStart = now;
    }
}

// ---- The frame ----

bool CCharInfoWindow::Update() {
    CWeakRef self(this);
    CBaseWindow::Update();
    if (!self) return true;
    StepTicker();
    CCharData* data = PlayerData();
    if (!data) return true;
    if (m_levelUp) {
        if (data->m_values[VALUE_LEVEL_UP]) {
            m_levelUp->Show();
        } else {
            m_levelUp->Hide();
            m_levelUp->SetDrawOn(true);  // drawn without input
        }
    }
    for (int32_t k = 0; k < CHAR_INFO_STATS; ++k) ShowControl(m_pointUp[k], CanRaise(k));
    UpdateHelp();
    return true;
}

void CCharInfoWindow::UpdateHelp() {
    ICursorObject* cursor = WindowCursor();
    const int32_t mx = WindowMouseX() - m_x, my = WindowMouseY() - m_y;
    UpdateRect();
    if (!cursor || !HitTest(WindowMouseX(), WindowMouseY())) return;
    const char* help = nullptr;
    auto helpRow = [this](int32_t row) { return m_help ? m_help->GetText(kHelpColumn, row) : nullptr; };
    if (my >= 165 && my <= 268) {
        if (mx >= 45 && mx <= 110) help = GetTableText(kTipTable, kStatsHelpTip);
        if (mx >= 129 && mx <= 161) help = GetTableText(kTipTable, kCostHelpTip);
        if (mx >= 10 && mx <= 40 && (my - 165) / kLineStep < CHAR_INFO_STATS)
            help = helpRow((my - 165) / kLineStep);
    }
    if (my >= 256 && my <= 272 && mx >= 172 && mx <= 335) help = GetTableText(kTipTable, kTickerHelpTip);
    // The eight class values, in two columns from y + 23, about 12.5 apart.
    if (my >= 23 && my < 23 + 8 * 12 + 6 && ((mx >= 92 && mx <= 128) || (mx >= 131 && mx <= 167))) {
        const int32_t n = std::min((my - 23) * 2 / 25, 7);
        help = helpRow(kClassHelpFirst + n);
    }
    if (help && *help) cursor->SetText(help, ITEM_TEXT_WHITE);
}

// ---- Drawing ----

void CCharInfoWindow::DrawStatLine(int32_t k, int32_t x, int32_t y) {
    CCharData* data = PlayerData();
    if (!data) return;
    const std::vector<StatLinePiece> pieces = StatLinePieces(*data, k);
    size_t width = 0;
    for (const StatLinePiece& piece : pieces) width += piece.text.size();
    int32_t at = x - 3 * int32_t(width);
    for (const StatLinePiece& piece : pieces) {
        DrawItemText(at, y, piece.text, piece.colour);
        at += 6 * int32_t(piece.text.size());
    }
}

bool CCharInfoWindow::Draw() {
    CWeakRef self(this);
    CBaseWindow::Draw();
    if (!self) return true;
    CChar* player = PlayerChar();
    CCharData* data = PlayerData();
    if (!player || !data) return true;
    const uint32_t* v = data->m_values;
    std::string line = Number("%lld", int32_t(v[VALUE_LEVEL]));
    DrawItemText(CentredX(m_x + 223, line), m_y + 38, line, ITEM_TEXT_WHITE);
    line = player->m_info;
    DrawItemText(CentredX(m_x + 269, line), m_y + 57, line, ITEM_TEXT_WHITE);
    line = player->m_info2;
    DrawItemText(CentredX(m_x + 269, line), m_y + 76, line, ITEM_TEXT_WHITE);
    const int32_t counterRight[3] = {123, 229, 334};
    for (int i = 0; i < 3; ++i) {
        line = Number("%lld", v[VALUE_COUNTERS + i]);
        DrawItemText(m_x + counterRight[i] - 6 * int32_t(line.size()), m_y + 134, line, ITEM_TEXT_WHITE);
    }
    for (int32_t k = 0; k < CHAR_INFO_STATS; ++k) {
        DrawStatLine(k, m_x + kStatX, m_y + kLineY + kLineStep * k);
        line = Number("%lld", GetPointCost(k));
        DrawItemText(CentredX(m_x + kCostX, line), m_y + kLineY + kLineStep * k, line, ITEM_TEXT_WHITE);
    }
    for (int32_t k = 7; k <= 12; ++k) DrawStatLine(k, m_x + kGaugeX, m_y + kLineY + kLineStep * (k - 7));
    if (!m_ticker.empty()) {
        const std::string& shown =
            m_ticker[size_t(std::min<int32_t>(m_shownLine, int32_t(m_ticker.size()) - 1))];
        // The switch slides the next line up over half a second.
        int32_t lift = 0;
        if (m_switching)
            lift = int32_t((plat::timeGetTime() - m_switchStart) * 12 / CHAR_INFO_TICKER_SWITCH_MS);
        if (lift < 12)
            DrawItemText(CentredX(m_x + kTickerX, shown), m_y + kTickerY - lift, shown, ITEM_TEXT_WHITE);
        if (m_switching && size_t(m_nextLine) < m_ticker.size()) {
            const std::string& next = m_ticker[size_t(m_nextLine)];
            DrawItemText(CentredX(m_x + kTickerX, next), m_y + kTickerY + 12 - lift, next, ITEM_TEXT_WHITE);
        }
    }
    return true;
}

// ---- Input ----

bool CCharInfoWindow::OnControlEvent(int32_t button, int32_t x, int32_t y, CBaseWindow* control) {
    if (m_title.Owns(control)) return !m_title.Click(this, control, x, y);
    if (control && control == m_levelUp) {
        if (!IsClickOn(control, x, y)) return true;
        GameSession().SendLevelUp();
        if (CCharData* data = PlayerData()) data->m_values[VALUE_LEVEL_UP] = 0;
        return false;
    }
    for (int32_t k = 0; k < CHAR_INFO_STATS; ++k)
        if (control && control == m_pointUp[k]) {
            if (!IsClickOn(control, x, y)) return true;
            GameSession().SendStatPointUp(uint8_t(k + 1));
            return false;
        }
    if (control) return control->OnControlEvent(button, x, y, nullptr);
    return CBaseWindow::OnControlEvent(button, x, y, nullptr);
}

bool CCharInfoWindow::OnMouseMove(int32_t button, int32_t x, int32_t y, CBaseWindow* control) {
    if (control) return control->OnMouseMove(button, x, y, nullptr);
    UpdateRect();
    if (!HitTest(x, y)) return true;
    return !DragItemOrWindow(this, nullptr, 0, nullptr, x, y);
}
