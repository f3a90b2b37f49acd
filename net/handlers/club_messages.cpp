#include "net/handlers/club_messages.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "core/config.h"
#include "data/text_tables.h"
#include "net/connection.h"
#include "net/handlers/list_fields.h"
#include "net/handlers/server_windows.h"
#include "net/handlers/window_records.h"
#include "net/packet_reader.h"
#include "net/packet_writer.h"
#include "platform/codepage.h"

namespace {

constexpr char CLUB_WINDOW[] = "Club_BaseWindow";
constexpr char CLUB_MAKE_WINDOW[] = "Club_MakeWindow";
constexpr char CLUB_JOIN_WINDOW[] = "Club_JoinWindow";
constexpr char CLUB_DEPOSIT_WINDOW[] = "CLUB_DEPOSIT_WINDOW";
constexpr char MINIMAP_WINDOW[] = "MINIMAP_WINDOW";
constexpr char CVC_WAIT_WINDOW[] = "FightClubCVCWaitWin";
constexpr char FIGHT_CONFIG_WINDOW[] = "FightClub_Config";
constexpr char FIGHT_MANAGER_WINDOW[] = "FightClub_Manager";
constexpr char FORTRESS_WINDOW[] = "FORTRESS_BOARD_WIN";

constexpr uint32_t CLUB_VALUE_FLAG = 0x40;
// The smallest team entry of the team list: two empty names and the values.
constexpr size_t TEAM_ENTRY_MIN = 24;
// The smallest minimap mark: an empty name and the values.
constexpr size_t MARK_ENTRY_MIN = 8;

// [u16 length][length bytes], cut between characters to the field.
template <size_t N>
void GetLongText(CPacketReader& body, char (&field)[N]) {
    std::memset(field, 0, N);
    const uint16_t length = body.GetWord();
    const uint8_t* bytes = body.Current();
    if (!body.Skip(length)) return;
    const std::string_view text(reinterpret_cast<const char*>(bytes), length);
    const std::string_view kept = text.substr(0, strnlen(text.data(), length));
    std::memcpy(field, kept.data(), plat::DbcsPrefixLength(kept, N - 1));
}

void ClubMake(CPacketReader& body) {
    auto record = std::make_unique<CClubMakeValuesMsg>();
    record->m_a = body.GetByte();
    if (g_config.m_clientVersion >= CLUB_MAKE_SECOND_BYTE_VERSION) record->m_b = body.GetByte();
    if (body.Failed() || record->m_a == 0) return;
    if (!FindOrCreateServerWindow(CLUB_MAKE_WINDOW, false)) return;
    PostToWindow(CLUB_MAKE_WINDOW, std::move(record));
    OpenServerWindow(CLUB_MAKE_WINDOW);
}

void ClubRemoved(CPacketReader& body) {
    auto record = std::make_unique<CClubRemovedMsg>();
    record->m_a = body.GetByte();
    body.GetString(record->m_name);
    if (!body.Failed()) PostToWindow(CLUB_WINDOW, std::move(record));
}

void ClubMemberLeft(CPacketReader& body) {
    body.GetByte();
    SkipText(body);
    auto record = std::make_unique<CWindowNameMsg>(MSG_CLUB_REMOVE_MEMBER);
    body.GetString(record->m_name);
    if (!body.Failed()) PostToWindow(CLUB_WINDOW, std::move(record));
}

void ClubTexts(CPacketReader& body) {
    body.GetByte();
    SkipText(body);
    const uint8_t kind = body.GetByte();
    if (kind == 0 || kind == 1 || kind == 4) {
        auto record =
            std::make_unique<CDatedLinesMsg>(kind == 4 ? MSG_CLUB_DEPOSIT_LOG : MSG_CLUB_NOTICE_LIST);
        record->m_kind = kind;
        const uint8_t count = body.GetByte();
        for (uint8_t n = 0; n < count && !body.Failed(); ++n) {
            CDatedLine line;
            line.m_date = body.GetDword();
            body.GetString(line.m_text);
            record->m_lines.push_back(line);
        }
        if (!body.Failed()) PostToWindow(kind == 4 ? CLUB_DEPOSIT_WINDOW : CLUB_WINDOW, std::move(record));
    } else if (kind == 2 || kind == 3) {
        auto record = std::make_unique<CClubTextMsg>();
        record->m_kind = kind;
        GetLongText(body, record->m_text);
        if (!body.Failed()) PostToWindow(CLUB_WINDOW, std::move(record));
    }
}

void ClubMemberValues(CPacketReader& body) {
    body.GetByte();
    SkipText(body);
    auto record = std::make_unique<CClubMemberValueMsg>();
    body.GetString(record->m_name);
    record->m_a = body.GetDword();
    record->m_b = body.GetDword();
    record->m_c = body.GetWord();
    body.GetByte();
    if (!body.Failed()) PostToWindow(CLUB_WINDOW, std::move(record));
}

void ClubMarks(CPacketReader& body) {
    if (!FindServerWindow(MINIMAP_WINDOW)) return;
    body.GetByte();
    const uint8_t count = body.GetByte();
    if (!CountFits(body, count, MARK_ENTRY_MIN)) return;
    auto record = std::make_unique<CMinimapMarksMsg>();
    record->m_marks.resize(count);
    for (CMinimapMark& mark : record->m_marks) {
        body.GetByte();
        body.GetString(mark.m_name);
        mark.m_a = body.GetByte();
        body.Skip(1);
        mark.m_x = body.GetWord();
        mark.m_y = body.GetWord();
    }
    if (!body.Failed()) PostToWindow(MINIMAP_WINDOW, std::move(record));
}

void ClubInfo(CPacketReader& body) {
    auto record = std::make_unique<CClubInfoMsg>();
    CClubInfoMsg& info = *record;
    info.m_a = body.GetByte();
    info.m_mode = body.GetByte();
    body.GetString(info.m_text1);
    body.GetString(info.m_text2);
    info.m_value1 = body.GetDword();
    info.m_value2 = body.GetWord();
    info.m_value3 = body.GetWord();
    info.m_value4 = body.GetWord();
    body.GetString(info.m_text3);
    body.GetByte();
    info.m_value5 = body.GetDword();
    info.m_value6 = body.GetWord();
    info.m_value7 = body.GetWord();
    info.m_value8 = body.GetWord();
    body.GetString(info.m_text4);
    body.GetString(info.m_text5);
    info.m_value9 = body.GetDword();
    info.m_value10 = body.GetDword();
    info.m_value11 = body.GetByte();
    info.m_value12 = body.GetDword();
    info.m_flags = body.GetDword();
    if (info.m_flags & 1) {
        info.m_value13 = body.GetDword();
        info.m_value14 = body.GetWord();
    }
    if (body.Failed()) return;
    if (info.m_mode == 0) {
        if (FindOrCreateServerWindow(CLUB_JOIN_WINDOW, false)) {
            OpenServerWindow(CLUB_JOIN_WINDOW);
            record->m_id = MSG_CLUB_JOIN_INFO;
            PostToWindow(CLUB_JOIN_WINDOW, std::move(record));
        }
    } else {
        // The window manager hands it to the club window, now or once it opens.
        PostToWindowMgr(std::move(record));
    }
    if (FindOrCreateServerWindow(FIGHT_MANAGER_WINDOW, true))
        PostToWindow(FIGHT_MANAGER_WINDOW, std::make_unique<CSignalMsg>(MSG_FIGHT_MANAGER_REFRESH));
}

void PostFightEntry(const char* name, uint32_t flags, uint16_t value) {
    auto entry = std::make_unique<CCvcEntryMsg>();
    CopyRecordText(entry->m_name, name);
    entry->m_flags = flags;
    entry->m_value = value;
    PostToWindow(CVC_WAIT_WINDOW, std::move(entry));
}

void PostConfigMember(const char* name, uint8_t kind, uint32_t a, uint16_t b, uint16_t c, uint32_t d,
                      uint16_t e, bool flag, uint32_t flags) {
    auto member = std::make_unique<CFightConfigMemberMsg>();
    CopyRecordText(member->m_name, name);
    member->m_kind = kind;
    member->m_a = a;
    member->m_b = b;
    member->m_c = c;
    member->m_d = d;
    member->m_e = e;
    member->m_flag = flag;
    member->m_flags = flags;
    PostToWindow(FIGHT_CONFIG_WINDOW, std::move(member));
}

void MakeFightWindows() {
    FindOrCreateServerWindow(CVC_WAIT_WINDOW, true);
    FindOrCreateServerWindow(FIGHT_CONFIG_WINDOW, true);
}

void FightMember(CPacketReader& body) {
    body.GetByte();
    SkipText(body);
    auto record = std::make_unique<CClubMemberMsg>();
    CClubMemberMsg& m = *record;
    body.GetString(m.m_name);
    body.GetString(m.m_secondName);
    m.m_kind = body.GetByte();
    m.m_a = body.GetDword();
    m.m_b = body.GetWord();
    m.m_c = body.GetDword();
    m.m_d = body.GetWord();
    m.m_e = body.GetDword();
    m.m_flags = body.GetDword();
    if (m.m_flags & CLUB_VALUE_FLAG) m.m_f = body.GetDword();
    m.m_g = body.GetByte();
    if (m.m_g) {
        m.m_h = body.GetWord();
        body.GetWord();
        m.m_i = body.GetWord();
    }
    if (body.Failed()) return;
    MakeFightWindows();
    PostFightEntry(m.m_name, m.m_flags, m.m_b);
    PostConfigMember(m.m_name, m.m_kind, m.m_a, m.m_b, m.m_d, m.m_e, m.m_h, m.m_g != 0, m.m_flags);
    PostToWindowMgr(std::move(record));
}

void TeamList(CPacketReader& body) {
    auto record = std::make_unique<CClubMemberListMsg>();
    body.GetByte();
    body.GetString(record->m_clubName);
    body.GetByte();
    const uint16_t count = body.GetWord();
    if (body.Failed() || count == 0) return;
    if (!CountFits(body, count, TEAM_ENTRY_MIN)) return;
    std::vector<CClubMemberRecord> teams(count);
    // The windows take each team's whole name, as sub-code 5 gives it; only
    // the manager's record cuts it to its field.
    std::vector<std::string> names(count);
    for (size_t n = 0; n < count; ++n) {
        CClubMemberRecord& team = teams[n];
        char name[WINDOW_TEXT_SIZE];
        body.GetString(name);
        names[n] = name;
        CopyRecordText(team.m_firstName, name);
        body.GetString(team.m_secondName);
        team.m_a = body.GetByte();
        team.m_b = body.GetDword();
        team.m_k = body.GetWord();
        team.m_d = body.GetDword();
        team.m_e = body.GetWord();
        team.m_h = body.GetDword();
        team.m_g = body.GetDword();
        if (team.m_g & CLUB_VALUE_FLAG) record->m_clubValue = body.GetDword();
        team.m_f = body.GetByte();
        if (team.m_f) {
            team.m_p = body.GetWord();
            team.m_q = body.GetWord();
            team.m_r = body.GetWord();
        }
    }
    if (body.Failed()) return;
    MakeFightWindows();
    for (size_t n = 0; n < count; ++n) {
        const CClubMemberRecord& team = teams[n];
        PostFightEntry(names[n].c_str(), team.m_g, team.m_k);
        PostConfigMember(names[n].c_str(), team.m_a, team.m_b, team.m_k, team.m_e, team.m_h, team.m_p,
                         team.m_f != 0, team.m_g);
    }
    // The record holds 100 teams; the rest were read past.
    record->m_count = std::min<uint16_t>(count, CClubMemberListMsg::MAX_RECORDS);
    std::copy_n(teams.begin(), record->m_count, record->m_records);
    PostToWindowMgr(std::move(record));
}

// ---- Fortress ----

void GetFortressClub(CPacketReader& body, CFortressClub& club, bool full) {
    body.GetString(club.m_name);
    if (full) club.m_flag = body.GetByte() == 0 ? 1 : 0;
    club.m_b1 = body.GetByte();
    club.m_b2 = body.GetByte();
    club.m_value = body.GetDword();
    club.m_b3 = body.GetByte();
    club.m_b4 = body.GetByte();
    club.m_word = body.GetWord();
    club.m_b5 = body.GetByte();
    if (full) club.m_b6 = body.GetByte();
}

void FortressBoard(CPacketReader& body) {
    const uint8_t sub = body.GetByte();
    static constexpr uint32_t kIds[] = {MSG_FORTRESS_TEXT, MSG_FORTRESS_ONE_CLUB, MSG_FORTRESS_TWO_CLUBS,
                                        MSG_FORTRESS_CLUB_VALUE};
    if (sub > 3) return;
    auto record = std::make_unique<CFortressBoardMsg>(kIds[sub]);
    body.GetString(record->m_text);
    if (sub >= 1) GetFortressClub(body, record->m_first, true);
    if (sub == 2) GetFortressClub(body, record->m_second, false);
    if (sub == 3) {
        body.GetString(record->m_second.m_name);
        record->m_second.m_b1 = body.GetByte();
        record->m_second.m_b2 = body.GetByte();
        record->m_second.m_value = body.GetDword();
        record->m_second.m_b3 = body.GetByte();
        record->m_value = body.GetDword();
    }
    if (!body.Failed()) PostToWindow(FORTRESS_WINDOW, std::move(record));
}

void FortressNotice(CPacketReader& body) {
    const uint8_t sub = body.GetByte();
    char a[WINDOW_TEXT_SIZE], b[WINDOW_TEXT_SIZE];
    body.GetString(a);
    body.GetString(b);
    if (body.Failed() || sub > 2) return;
    // Only the second name decides "same".
    const bool same = std::strcmp(b, GetTableText(FORTRESS_TEXT_TABLE, FORTRESS_TEXT_SECOND_ROW)) == 0;
    auto record =
        std::make_unique<CFightNoticeMsg>(sub == 0 ? MSG_FIGHT_NOTICE_START : MSG_FIGHT_NOTICE_TEXT);
    record->m_same = same;
    record->m_kind = sub == 2 ? 1 : 0;
    if (sub != 0) CopyRecordText(record->m_text, a);
    PostToGameScene(std::move(record));
}

void FortressNames(CPacketReader& body) {
    if (!FindServerWindow(FORTRESS_WINDOW)) return;
    body.GetByte();
    const uint8_t count = body.GetByte();
    auto record = std::make_unique<CFortressNamesMsg>();
    for (uint8_t n = 0; n < count && !body.Failed(); ++n) {
        char name[WINDOW_TEXT_SIZE];
        body.GetString(name);
        if (record->m_names.size() < FORTRESS_NAMES)
            record->m_names.emplace_back(name, name + std::strlen(name) + 1);
    }
    if (!body.Failed()) PostToWindow(FORTRESS_WINDOW, std::move(record));
}

void FortressNoticeSteps(CPacketReader& body) {
    const uint8_t sub = body.GetByte();
    auto record = std::make_unique<CFightNoticeMsg>(MSG_FIGHT_NOTICE_PHASE);
    switch (sub) {
        case 0:
            record->m_id = MSG_FIGHT_NOTICE_END;
            break;
        case 1:
        case 2:
        case 3:
            record->m_phase = uint8_t(sub - 1);
            record->m_which = 2;
            record->m_first = body.GetWord();
            record->m_second = body.GetWord();
            break;
        case 4:
            record->m_id = MSG_FIGHT_NOTICE_VALUE;
            record->m_which = 0;
            record->m_first = body.GetWord();
            break;
        case 5:
            record->m_id = MSG_FIGHT_NOTICE_VALUE;
            record->m_which = 1;
            record->m_second = body.GetWord();
            break;
        default:
            return;
    }
    if (!body.Failed()) PostToGameScene(std::move(record));
}

}  // namespace

void HandleClubMessage(CGameSession&, uint8_t, CPacketReader& body) {
    if (!IsServerConnected()) return;
    switch (body.GetByte()) {
        case 1:
            ClubMake(body);
            break;
        case 2:
            ClubRemoved(body);
            break;
        case 5:
            FightMember(body);
            break;
        case 6:
            ClubMemberLeft(body);
            break;
        case 16:
            ClubInfo(body);
            break;
        case 17:
            TeamList(body);
            break;
        case 20:
            ClubTexts(body);
            break;
        case 21:
            ClubMemberValues(body);
            break;
        case 23:
            ClubMarks(body);
            break;
        default:
            break;
    }
}

void HandleFortressMessage(CGameSession&, uint8_t, CPacketReader& body) {
    if (!IsServerConnected()) return;
    switch (body.GetByte()) {
        case 0:
            FortressBoard(body);
            break;
        case 1:
            FortressNotice(body);
            break;
        case 2:
            FortressNames(body);
            break;
        case 3:
            FortressNoticeSteps(body);
            break;
        default:
            break;
    }
}

// ---- Writers ----

namespace {

// The byte and the skipped text every club sub-code but 2, 16 and 17 starts with.
CMessageWriter ClubWriter(uint8_t sub) {
    CMessageWriter writer(SERVER_CLUB);
    writer.PutByte(sub);
    if (sub != 2 && sub != 16 && sub != 17) writer.PutByte(0).PutText("");
    return writer;
}

}  // namespace

std::vector<uint8_t> WriteClubInfo(const CClubInfoMsg& info) {
    CMessageWriter w = ClubWriter(16);
    w.PutByte(info.m_a).PutByte(info.m_mode).PutText(info.m_text1).PutText(info.m_text2);
    w.PutDword(info.m_value1).PutWord(info.m_value2).PutWord(info.m_value3).PutWord(info.m_value4);
    w.PutText(info.m_text3).PutByte(0);
    w.PutDword(info.m_value5).PutWord(info.m_value6).PutWord(info.m_value7).PutWord(info.m_value8);
    w.PutText(info.m_text4).PutText(info.m_text5);
    w.PutDword(info.m_value9).PutDword(info.m_value10).PutByte(info.m_value11).PutDword(info.m_value12);
    w.PutDword(info.m_flags);
    if (info.m_flags & 1) w.PutDword(info.m_value13).PutWord(info.m_value14);
    return w.Take();
}

std::vector<uint8_t> WriteClubMemberList(const std::string& clubName,
                                         const std::vector<CClubMemberRecord>& members) {
    CMessageWriter w = ClubWriter(17);
    w.PutByte(0).PutText(clubName).PutByte(0).PutWord(uint16_t(members.size()));
    for (const CClubMemberRecord& m : members) {
        w.PutText(m.m_firstName).PutText(m.m_secondName).PutByte(m.m_a).PutDword(m.m_b).PutWord(m.m_k);
        w.PutDword(m.m_d).PutWord(m.m_e).PutDword(m.m_h).PutDword(m.m_g);
        if (m.m_g & CLUB_VALUE_FLAG) w.PutDword(0);
        w.PutByte(m.m_f);
        if (m.m_f) w.PutWord(m.m_p).PutWord(m.m_q).PutWord(m.m_r);
    }
    return w.Take();
}

std::vector<uint8_t> WriteClubMember(const CClubMemberMsg& m) {
    CMessageWriter w = ClubWriter(5);
    w.PutText(m.m_name).PutText(m.m_secondName).PutByte(m.m_kind).PutDword(m.m_a).PutWord(m.m_b);
    w.PutDword(m.m_c).PutWord(m.m_d).PutDword(m.m_e).PutDword(m.m_flags);
    if (m.m_flags & CLUB_VALUE_FLAG) w.PutDword(m.m_f);
    w.PutByte(m.m_g);
    if (m.m_g) w.PutWord(m.m_h).PutWord(0).PutWord(m.m_i);
    return w.Take();
}

std::vector<uint8_t> WriteClubRemoved(uint8_t value, const std::string& clubName) {
    return ClubWriter(2).PutByte(value).PutText(clubName).Take();
}

std::vector<uint8_t> WriteClubMemberLeft(const std::string& name) {
    return ClubWriter(6).PutText(name).Take();
}

std::vector<uint8_t> WriteClubDatedLines(uint8_t kind, const std::vector<CDatedLine>& lines) {
    CMessageWriter w = ClubWriter(20);
    w.PutByte(kind).PutByte(uint8_t(std::min<size_t>(lines.size(), 255)));
    for (size_t n = 0; n < lines.size() && n < 255; ++n) w.PutDword(lines[n].m_date).PutText(lines[n].m_text);
    return w.Take();
}

std::vector<uint8_t> WriteClubText(uint8_t kind, const std::string& text) {
    const size_t length = std::min<size_t>(text.size(), CLUB_TEXT_SIZE - 1);
    return ClubWriter(20).PutByte(kind).PutLongBytes(text.data(), length).Take();
}
