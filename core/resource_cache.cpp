#include "core/resource_cache.h"

#include <queue>

#include "platform/clock.h"

namespace {

IResourceEntryFactory* g_entryFactory = nullptr;

}  // namespace

void CCachedResource::Reset() {
    m_priority = 1;
    m_useCount = 0;
    m_lastUse = 0;
}

bool CCachedResource::IsOlderThan(CCachedResource& other) {
    if (m_priority != other.m_priority) return m_priority < other.m_priority;
    if (m_lastUse != other.m_lastUse) return m_lastUse < other.m_lastUse;
    return GetSize() < other.GetSize();
}

void SetResourceEntryFactory(IResourceEntryFactory* factory) {
    g_entryFactory = factory;
}

IResourceEntryFactory* GetResourceEntryFactory() {
    return g_entryFactory;
}

CResourceCache::CResourceCache() = default;

CResourceCache::~CResourceCache() {
    // Entries still in use are deleted by the manager's destructor after this.
    CResourceCache::Release();
}

int32_t CResourceCache::NowSeconds() {
    uint32_t now = plat::timeGetTime();
    if (!m_clockStarted) {
        m_clockStarted = true;
        m_clockMs = 1000;  // stamps start at 1 s: 0 is "never used"
    } else {
        m_clockMs += uint32_t(now - m_lastTick);
    }
    m_lastTick = now;
    uint64_t seconds = m_clockMs / 1000;
    return seconds > INT32_MAX ? INT32_MAX : int32_t(seconds);
}

CCachedResource* CResourceCache::FindEntry(uint32_t id) {
    return dynamic_cast<CCachedResource*>(FindChild(id));
}

void CResourceCache::Count(CCachedResource* entry) {
    int32_t size = entry->GetSize();
    if (size <= 0) return;
    uint64_t sum = uint64_t(m_bytesHeld) + uint32_t(size);
    m_bytesHeld = sum > UINT32_MAX ? UINT32_MAX : uint32_t(sum);
}

void CResourceCache::Uncount(int32_t size) {
    if (size <= 0) return;
    m_bytesHeld = uint32_t(size) >= m_bytesHeld ? 0 : m_bytesHeld - uint32_t(size);
}

bool CResourceCache::AddEntry(CCachedResource* entry) {
    if (!entry || !AddChild(entry)) return false;
    if (m_skipCount) {
        m_skipCount = 0;
        return true;
    }
    if (!entry->IsDiscarded()) Count(entry);
    return Evict();
}

void CResourceCache::RestoreAndCount(CCachedResource* entry) {
    entry->Restore();
    if (!entry->IsDiscarded()) Count(entry);
}

CCachedResource* CResourceCache::GetEntry(uint32_t id) {
    CCachedResource* entry = FindEntry(id);
    if (!entry) return nullptr;
    entry->m_lastUse = NowSeconds();
    if (entry->IsDiscarded()) {
        RestoreAndCount(entry);
        ++entry->m_useCount;  // not a candidate of the eviction it causes
        Evict();
        --entry->m_useCount;
    }
    return entry;
}

CCachedResource* CResourceCache::AcquireEntry(uint32_t id) {
    CCachedResource* entry = FindEntry(id);
    if (!entry) return nullptr;
    ++entry->m_useCount;
    if (entry->IsDiscarded()) {
        RestoreAndCount(entry);
        Evict();
    }
    return entry;
}

int32_t CResourceCache::ReleaseEntry(uint32_t id) {
    CCachedResource* entry = FindEntry(id);
    if (!entry) return -1;
    if (entry->m_useCount > 0) --entry->m_useCount;
    return entry->m_useCount;
}

void CResourceCache::Remove(CCachedResource* entry) {
    if (!entry || entry->m_useCount != 0) return;
    // A discarded entry's size was already taken off when it was discarded.
    if (!entry->IsDiscarded()) Uncount(entry->GetSize());
    DetachChild(entry);
}

void CResourceCache::RemoveEntry(uint32_t id) {
    Remove(FindEntry(id));
}

void CResourceCache::RemoveEntryObject(CCachedResource* entry) {
    if (entry && Children().Find(entry)) Remove(entry);
}

bool CResourceCache::SetBudget(uint32_t bytes) {
    m_budget = bytes;
    return Evict();
}

bool CResourceCache::Evict() {
    if (m_bytesHeld <= m_budget) return true;
    auto later = [](CCachedResource* a, CCachedResource* b) { return b->IsOlderThan(*a); };
    std::priority_queue<CCachedResource*, std::vector<CCachedResource*>, decltype(later)> heap(later);
    for (CMsgObject* child : Children()) {
        auto* entry = dynamic_cast<CCachedResource*>(child);
        if (entry && entry->m_useCount == 0 && !entry->IsDiscarded()) heap.push(entry);
    }
    while (m_bytesHeld > m_budget && !heap.empty()) {
        CCachedResource* entry = heap.top();
        heap.pop();
        int32_t size = entry->GetSize();
        entry->Discard();
        if (entry->IsDiscarded()) Uncount(size);
    }
    return m_bytesHeld <= m_budget;
}

bool CResourceCache::Release() {
    for (auto* n = Children().First(); n != Children().End();) {
        auto* next = n->m_pNext;
        auto* entry = dynamic_cast<CCachedResource*>(n->m_pData);
        if (!entry || entry->m_useCount <= 0) DeleteChild(n->m_pData->GetId());
        n = next;
    }
    m_bytesHeld = 0;
    m_budget = 0;
    m_skipCount = 0;
    m_state = -1;
    return true;
}

CMsgObject* CResourceCache::CreateObject(uint32_t type) {
    return type == 0 && g_entryFactory ? g_entryFactory->NewEntry() : nullptr;
}

bool CBlockList::Create() {
    m_blocks = std::make_unique<std::vector<std::unique_ptr<uint8_t[]>>>();
    m_value = -1;
    return true;
}

bool CBlockList::Release() {
    m_blocks.reset();
    m_value = -1;
    return true;
}

void CBlockList::ResetFields() {
    m_blocks.reset();
    m_value = -1;
}

uint8_t* CBlockList::AddBlock(size_t size) {
    if (!m_blocks) Create();
    m_blocks->push_back(std::make_unique<uint8_t[]>(size));
    return m_blocks->back().get();
}
