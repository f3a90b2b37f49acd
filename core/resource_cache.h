// Reference-counted cache entries and the byte-budgeted cache that holds them.
// An entry's data can be discarded while nobody uses it and is restored at its
// next use; the entry itself stays in the cache.
#pragma once
#include <cstdint>

class CCachedResource {
public:
    CCachedResource() { CCachedResource::Reset(); }
    virtual ~CCachedResource() = default;

    virtual bool Create() { return false; }
    virtual bool Release() { return true; }
    virtual void Reset() {
        m_priority = 1;
        m_useCount = 0;
        m_lastUse = 0;
    }
    // Loads the data again / frees it but keeps the entry.
    virtual bool Restore() = 0;
    virtual bool Discard() = 0;
    // Bytes the data occupies.
    virtual int32_t GetSize() = 0;
    virtual bool IsDiscarded() = 0;
    // True when this entry is discarded before other: lower priority, then
    // older last use, then smaller size.
    virtual bool IsOlderThan(CCachedResource& other);

    int32_t m_priority;
    int32_t m_useCount;
    int32_t m_lastUse;  // seconds
};
