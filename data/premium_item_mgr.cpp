#include "data/premium_item_mgr.h"

#include <cstring>

#include "data/item_table_mgr.h"
#include "platform/codepage.h"

CPremiumItemNotifyMgr* g_pPremiumItemNotifyMgr = nullptr;

namespace {
IPremiumRequests* g_requests = nullptr;
IPremiumNotice* g_notice = nullptr;

void CopyText(char (&out)[CPremiumEntry::TEXT_SIZE], const std::string& text) {
    size_t n = plat::DbcsPrefixLength(text, sizeof out - 1);
    std::memcpy(out, text.data(), n);
    out[n] = '\0';
}
}  // namespace

void SetPremiumRequests(IPremiumRequests* requests) {
    g_requests = requests;
}

void SetPremiumNotice(IPremiumNotice* notice) {
    g_notice = notice;
}

IPremiumRequests* GetPremiumRequests() {
    return g_requests;
}

IPremiumNotice* GetPremiumNotice() {
    return g_notice;
}

CPremiumItemNotifyMgr::~CPremiumItemNotifyMgr() {
    Clear();
}

void CPremiumItemNotifyMgr::SetEntries(const std::vector<CPremiumAnnouncement>& items) {
    size_t before[LIST_COUNT];
    for (int list = 0; list < LIST_COUNT; ++list) {
        before[list] = m_lists[list].size();
        m_lists[list].clear();
    }
    for (const CPremiumAnnouncement& item : items) {
        if (item.m_list >= LIST_COUNT) continue;
        std::vector<CPremiumEntry>& list = m_lists[item.m_list];
        if (list.size() >= MAX_ENTRIES) continue;
        CPremiumEntry& entry = list.emplace_back();
        entry.m_first = item.m_first;
        entry.m_second = item.m_second;
        entry.m_itemId = item.m_itemId;
        entry.m_count = item.m_count;
        entry.m_list = item.m_list;
        CopyText(entry.m_text1, item.m_text1);
        CopyText(entry.m_text2, item.m_text2);
        entry.m_item.reset(g_pItemTableMgr ? g_pItemTableMgr->MakeItem(item.m_itemId) : nullptr);
        if (entry.m_item) {
            entry.m_item->SetState(PREMIUM_ITEM_STATE);
            entry.m_item->SetCount(item.m_count);
            entry.m_item->SetAuxValue(item.m_value);
            CopyItemRecord(entry.m_item->Record(), item.m_record);
        }
        entry.m_taken = entry.m_item ? 0 : 1;
    }
    const bool grew0 = m_lists[0].size() > before[0], grew1 = m_lists[1].size() > before[1];
    if ((grew0 || grew1) && g_notice) g_notice->AddNotice(grew0, grew1, false);
}

void CPremiumItemNotifyMgr::MarkEntrySent(const CItemObject* item) {
    if (!item) return;
    for (auto& list : m_lists)
        for (CPremiumEntry& entry : list) {
            if (entry.m_item.get() != item) continue;
            if (entry.m_taken) return;
            entry.m_taken = 1;
            entry.m_item->SetCount(0);
            entry.m_count = 0;
            if (g_requests) g_requests->SendTake(entry.m_first, entry.m_second);
            m_refreshPending = 1;
            return;
        }
}

int CPremiumItemNotifyMgr::GetEntryCount(int list) const {
    return list >= 0 && list < LIST_COUNT ? int(m_lists[list].size()) : 0;
}

CPremiumEntry* CPremiumItemNotifyMgr::GetEntry(int list, int n) {
    if (list < 0 || list >= LIST_COUNT || n < 0 || size_t(n) >= m_lists[list].size()) return nullptr;
    return &m_lists[list][size_t(n)];
}

void CPremiumItemNotifyMgr::Update() {
    if (!g_notice || !g_notice->IsEventIdle()) return;
    if (m_refreshPending) {
        if (g_requests) g_requests->SendListRequest();
        m_refreshPending = 0;
    }
    if (m_showPending && g_notice->AddNotice(false, false, true)) m_showPending = 0;
}

void CPremiumItemNotifyMgr::Clear() {
    m_refreshPending = 0;
    for (auto& list : m_lists) list.clear();
}
