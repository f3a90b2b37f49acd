// Intrusive doubly linked list: the nodes derive from CListNode and are linked
// between a head and a tail sentinel. The list owns nothing until it is asked
// to delete (Erase, DeleteAll); its destructor deletes the nodes still linked.
#pragma once
#include <cstdint>

class CListNode {
public:
    CListNode() = default;
    virtual ~CListNode() = default;
    CListNode(const CListNode&) = delete;
    CListNode& operator=(const CListNode&) = delete;

    CListNode* Next() const { return m_pNext; }
    CListNode* Prev() const { return m_pPrev; }
    bool IsLinked() const { return m_pNext != nullptr; }

private:
    friend class CNodeList;
    CListNode* m_pNext = nullptr;
    CListNode* m_pPrev = nullptr;
};

class CNodeList {
public:
    CNodeList();
    ~CNodeList();
    CNodeList(const CNodeList&) = delete;
    CNodeList& operator=(const CNodeList&) = delete;

    int32_t Count() const { return m_count; }
    bool IsEmpty() const { return m_count == 0; }
    // First node (End() when empty); walk with Next() until End().
    CListNode* First() const { return m_head.m_pNext; }
    const CListNode* End() const { return &m_tail; }
    bool IsSentinel(const CListNode* node) const { return node == &m_head || node == &m_tail; }

    // Links the node before the tail sentinel. A node already linked somewhere
    // is left alone (false).
    bool PushBack(CListNode* node);
    // Unlinks without deleting; returns the following node, null for a sentinel.
    CListNode* Unlink(CListNode* node);
    // Unlinks and deletes; returns the following node, null for a sentinel.
    CListNode* Erase(CListNode* node);
    // Clears every node's links without deleting them.
    void DetachAll();
    // Deletes every node. Nodes are unlinked one at a time, so a destructor
    // may itself touch the list.
    void DeleteAll();

private:
    void Reset();

    CListNode m_head;
    CListNode m_tail;
    int32_t m_count = 0;
};
