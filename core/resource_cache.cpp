#include "core/resource_cache.h"

bool CCachedResource::IsOlderThan(CCachedResource& other) {
    if (m_priority != other.m_priority) return m_priority < other.m_priority;
    if (m_lastUse != other.m_lastUse) return m_lastUse < other.m_lastUse;
    return GetSize() < other.GetSize();
}
