// Reference-counted cache entries and the byte-budgeted cache that holds them.
//
// A cache counts the bytes its loaded entries hold against a budget. Over
// budget, it discards the data of entries nobody uses (use count 0): lowest
// priority first, then the oldest last use (whole seconds), then the
// smallest. A discarded entry stays in the cache and is restored at its next
// GetEntry or AcquireEntry. Entries in use are never discarded, so a cache can
// stay over budget.
#pragma once
#include <cstdint>
#include <memory>
#include <vector>

#include "core/object_mgr.h"
#include "platform/seam.h"

class CCachedResource : public CMsgObject {
public:
    CCachedResource() { CCachedResource::Reset(); }

    // The kinds (file, surface, texture, image) make their data here.
    bool Create() override { return false; }
    bool Release() override { return true; }
    // Priority 1, use count 0, last use 0.
    virtual void Reset();
    // Loads the data again.
    virtual bool Restore() = 0;
    // Frees the data but keeps the entry.
    virtual bool Discard() = 0;
    // Bytes the data occupies.
    virtual int32_t GetSize() = 0;
    // True while the data is not loaded.
    virtual bool IsDiscarded() = 0;
    // True when this entry is discarded before other.
    virtual bool IsOlderThan(CCachedResource& other);

    int32_t GetPriority() const { return m_priority; }
    void SetPriority(int32_t priority) { m_priority = priority; }
    int32_t GetUseCount() const { return m_useCount; }
    int32_t GetLastUse() const { return m_lastUse; }

protected:
    friend class CResourceCache;
    int32_t m_priority = 1;
    int32_t m_useCount = 0;
    int32_t m_lastUse = 0;  // seconds of the cache's clock, set by GetEntry
};

// Makes the entries a resource cache creates of its default kind; the data
// layer installs its file (absent: the cache makes none).
class IResourceEntryFactory {
public:
    virtual ~IResourceEntryFactory() = default;
    virtual CCachedResource* NewEntry() = 0;
};
void SetResourceEntryFactory(IResourceEntryFactory* factory);
IResourceEntryFactory* GetResourceEntryFactory();
using ScopedResourceEntryFactory = plat::ScopedInstall<GetResourceEntryFactory, SetResourceEntryFactory>;

class CResourceCache : public CObjectMgr {
public:
    CResourceCache();
    ~CResourceCache() override;

    // Adds the entry (front of the list, new id). Unless the skip-count flag
    // is set, counts its size and evicts; false when that did not get under
    // budget. With the flag set, clears it and returns true.
    bool AddEntry(CCachedResource* entry);
    // The entry, its last use set to now; a discarded one is restored (and
    // cannot be chosen by the eviction that follows). Use count unchanged.
    CCachedResource* GetEntry(uint32_t id);
    // Adds one use; restores a discarded entry. Last use unchanged.
    CCachedResource* AcquireEntry(uint32_t id);
    // The new use count (not below 0), or -1 when no entry has the id.
    int32_t ReleaseEntry(uint32_t id);
    // Takes an entry nobody uses out of the cache; the caller deletes it.
    void RemoveEntry(uint32_t id);
    void RemoveEntryObject(CCachedResource* entry);
    bool SetBudget(uint32_t bytes);
    // Deletes every entry nobody uses and clears the counters. Entries still
    // in use stay listed (not counted) and are deleted with the cache.
    bool Release() override;
    // A new entry of the installed kind for type 0 (null when none is installed).
    CMsgObject* CreateObject(uint32_t type) override;

    // Discards entries nobody uses until the bytes held fit the budget.
    bool Evict();

    uint32_t GetBytesHeld() const { return m_bytesHeld; }
    uint32_t GetBudget() const { return m_budget; }
    void SetSkipCount(bool skip) { m_skipCount = skip; }
    bool GetSkipCount() const { return m_skipCount != 0; }

private:
    CCachedResource* FindEntry(uint32_t id);
    void Count(CCachedResource* entry);
    void Uncount(int32_t size);
    void RestoreAndCount(CCachedResource* entry);
    void Remove(CCachedResource* entry);
    int32_t NowSeconds();

    int32_t m_state = -1;
    uint32_t m_bytesHeld = 0;
    uint32_t m_budget = 0;
    uint8_t m_skipCount = 0;
    int32_t m_extra = 0;
    // The cache's clock: milliseconds accumulated from timeGetTime, so that
    // the 32-bit counter's wrap does not make new entries look old.
    uint32_t m_lastTick = 0;
    uint64_t m_clockMs = 0;
    bool m_clockStarted = false;
};

// Memory blocks kept together and freed together, with one 32-bit value
// (-1 after Create) that owners use as a state (a window's state value).
class CBlockList : public CMsgObject {
public:
    CBlockList() { CBlockList::Create(); }
    ~CBlockList() override { CBlockList::Release(); }

    bool Create() override;
    bool Release() override;
    void ResetFields();
    // A new zeroed block of size bytes, owned by the list.
    uint8_t* AddBlock(size_t size);
    size_t GetBlockCount() const { return m_blocks ? m_blocks->size() : 0; }
    int32_t GetValue() const { return m_value; }
    void SetValue(int32_t value) { m_value = value; }

private:
    std::unique_ptr<std::vector<std::unique_ptr<uint8_t[]>>> m_blocks;
    int32_t m_value = -1;
};
