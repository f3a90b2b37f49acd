#include "core/node_list.h"

CNodeList::CNodeList() {
    Reset();
}

CNodeList::~CNodeList() {
    DeleteAll();
}

void CNodeList::Reset() {
    m_head.m_pPrev = nullptr;
    m_head.m_pNext = &m_tail;
    m_tail.m_pPrev = &m_head;
    m_tail.m_pNext = nullptr;
    m_count = 0;
}

bool CNodeList::PushBack(CListNode* node) {
    if (!node || node->m_pNext || node->m_pPrev || IsSentinel(node)) return false;
    node->m_pNext = &m_tail;
    node->m_pPrev = m_tail.m_pPrev;
    m_tail.m_pPrev->m_pNext = node;
    m_tail.m_pPrev = node;
    ++m_count;
    return true;
}

CListNode* CNodeList::Unlink(CListNode* node) {
    if (!node || IsSentinel(node) || !node->m_pNext) return nullptr;
    CListNode* next = node->m_pNext;
    node->m_pPrev->m_pNext = next;
    next->m_pPrev = node->m_pPrev;
    node->m_pNext = nullptr;
    node->m_pPrev = nullptr;
    --m_count;
    return next;
}

CListNode* CNodeList::Erase(CListNode* node) {
    if (!node || IsSentinel(node)) return nullptr;
    CListNode* next = Unlink(node);
    delete node;
    return next;
}

void CNodeList::DetachAll() {
    CListNode* n = m_head.m_pNext;
    while (n != &m_tail) {
        CListNode* next = n->m_pNext;
        n->m_pNext = nullptr;
        n->m_pPrev = nullptr;
        n = next;
    }
    Reset();
}

void CNodeList::DeleteAll() {
    while (m_head.m_pNext != &m_tail) Erase(m_head.m_pNext);
}
