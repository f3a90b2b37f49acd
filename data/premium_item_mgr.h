// The premium items the server announces for the player, in two lists of at
// most 255 entries, each with an item object made for it. Taking an item
// tells the server and asks for a new list; the notification window is told
// when a list grew.
#pragma once
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "core/object_mgr.h"
#include "data/item_object.h"
#include "platform/seam.h"

inline constexpr char PREMIUM_NOTICE_WINDOW[] = "CPremiumItemNotificationWin";
inline constexpr uint32_t PREMIUM_ITEM_STATE = 21;  // location state of a premium item object

// The server side of the premium items (installed by the network layer).
class IPremiumRequests {
public:
    virtual ~IPremiumRequests() = default;
    virtual void SendListRequest() = 0;
    virtual void SendTake(uint32_t first, uint32_t second) = 0;
};

// The notification window and the event manager (installed by the layers
// that own them).
class IPremiumNotice {
public:
    virtual ~IPremiumNotice() = default;
    // Calls AddNotice of the notification window with the three flags;
    // false when the window does not exist.
    virtual bool AddNotice(bool list0Grew, bool list1Grew, bool show) = 0;
    // True when the event manager exists and no event is playing.
    virtual bool IsEventIdle() = 0;
};

// One item as the server announces it.
struct CPremiumAnnouncement {
    uint32_t m_first = 0;   // sent back when the item is taken
    uint32_t m_second = 0;  // sent back with it
    uint32_t m_itemId = 0;
    uint16_t m_count = 0;
    uint16_t m_value = 0;  // set on the item object
    uint8_t m_list = 0;    // 0 or 1
    std::string m_text1;
    std::string m_text2;
    CItemRecord m_record;
};

struct CPremiumEntry {
    static constexpr size_t TEXT_SIZE = 256;

    uint32_t m_first = 0;
    uint32_t m_second = 0;
    uint32_t m_itemId = 0;
    uint16_t m_count = 0;  // 0 once taken
    uint8_t m_list = 0;
    char m_text1[TEXT_SIZE] = {};
    char m_text2[TEXT_SIZE] = {};
    std::unique_ptr<CItemObject> m_item;
    uint8_t m_taken = 0;  // taken, or no item object could be made
};

// The services the manager uses (not owned; null: absent).
void SetPremiumRequests(IPremiumRequests* requests);
IPremiumRequests* GetPremiumRequests();
void SetPremiumNotice(IPremiumNotice* notice);
IPremiumNotice* GetPremiumNotice();
using ScopedPremiumRequests = plat::ScopedInstall<GetPremiumRequests, SetPremiumRequests>;
using ScopedPremiumNotice = plat::ScopedInstall<GetPremiumNotice, SetPremiumNotice>;

class CPremiumItemNotifyMgr : public CObjectMgr {
public:
    static constexpr int LIST_COUNT = 2;
    static constexpr size_t MAX_ENTRIES = 255;

    CPremiumItemNotifyMgr() = default;
    ~CPremiumItemNotifyMgr() override;

    // Replaces both lists by the announced items. An item naming a list
    // other than 0 or 1 is skipped, as is an item beyond 255 in its list.
    // When a list holds more entries than before, the notification window
    // is told which.
    void SetEntries(const std::vector<CPremiumAnnouncement>& items);
    // The player took the item: unless its entry was taken already, the
    // server is told and a new list will be asked for.
    void MarkEntrySent(const CItemObject* item);
    int GetEntryCount(int list) const;
    // The entry, or null when n is not below the list's count.
    CPremiumEntry* GetEntry(int list, int n);

    void RequestRefresh() { m_refreshPending = 1; }
    void RequestShow() { m_showPending = 1; }
    bool IsRefreshPending() const { return m_refreshPending != 0; }
    bool IsShowPending() const { return m_showPending != 0; }
    // Each frame, while no event plays: asks for the list when a refresh is
    // pending, and opens the notice when one is pending and the window exists.
    void Update();
    // No pending refresh, no entries (their item objects deleted).
    void Clear();

private:
    std::vector<CPremiumEntry> m_lists[LIST_COUNT];
    uint8_t m_refreshPending = 0;
    uint8_t m_showPending = 0;
};

// The program's premium item manager (null while there is none).
extern CPremiumItemNotifyMgr* g_pPremiumItemNotifyMgr;
