// CLinkedList: the program's doubly linked list of element pointers, with a
// head and a tail sentinel and a count. Instantiations differ only in how an
// element is deleted when the list deletes it (RemoveAt, RemoveAll); the
// deletion policy is the second template argument.
//
// Iteration by node, stable while other nodes are removed:
//     for (auto* n = list.First(); n != list.End(); n = n->m_pNext) ...
// or over the elements: for (T* e : list) ... (do not remove while doing so).
//
// The list's destructor frees its nodes but never its elements: an owner whose
// list owns the elements calls RemoveAll (or DeleteAll) in its own Release.
#pragma once
#include <cstdint>
#include <iterator>

// Deletion policies. A policy has a static Delete(T*) and may declare
// kRemoveValueDeletes = true when RemoveValue must delete the element too.

// Plain elements and polymorphic elements (deleted through their virtual
// destructor, if they have one).
struct ListDeletePlain {
    template <class T>
    static void Delete(T* element) {
        delete element;
    }
};

// Lists that never own their elements: RemoveAt and RemoveAll only free nodes.
struct ListDeleteNone {
    template <class T>
    static void Delete(T*) {}
};

// Elements that own a polymorphic object through one of their fields: the
// object is deleted first, then the element. RemoveValueDeletes chooses whether
// RemoveValue deletes them too.
template <auto OwnedMember, bool RemoveValueDeletes = false>
struct ListDeleteOwnedMember {
    static constexpr bool kRemoveValueDeletes = RemoveValueDeletes;
    template <class T>
    static void Delete(T* element) {
        if (!element) return;
        delete (element->*OwnedMember);
        delete element;
    }
};

template <class T>
struct CLinkedListNode {
    T* m_pData = nullptr;
    CLinkedListNode* m_pNext = nullptr;
    CLinkedListNode* m_pPrev = nullptr;
};

namespace detail {
template <class P>
constexpr bool RemoveValueDeletes() {
    if constexpr (requires { P::kRemoveValueDeletes; })
        return P::kRemoveValueDeletes;
    else
        return false;
}
}  // namespace detail

template <class T, class DeletePolicy = ListDeletePlain>
class CLinkedList {
public:
    using Node = CLinkedListNode<T>;

    CLinkedList() { Reset(); }
    ~CLinkedList() { ClearList(); }
    CLinkedList(const CLinkedList&) = delete;
    CLinkedList& operator=(const CLinkedList&) = delete;

    int32_t Count() const { return m_count; }
    bool IsEmpty() const { return m_count == 0; }

    // Sentinels and ends for walking: on an empty list First() is End() and
    // Last() is HeadSentinel().
    Node* HeadSentinel() { return &m_head; }
    Node* TailSentinel() { return &m_tail; }
    Node* First() const { return m_head.m_pNext; }
    Node* Last() const { return m_tail.m_pPrev; }
    const Node* End() const { return &m_tail; }
    Node* End() { return &m_tail; }
    bool IsSentinel(const Node* node) const { return node == &m_head || node == &m_tail; }

    Node* AddHead(T* element) { return LinkBefore(element, m_head.m_pNext); }
    Node* AddTail(T* element) { return LinkBefore(element, &m_tail); }
    // Links a new node in front of the given node (the tail sentinel appends);
    // null when handed the head sentinel or null.
    Node* InsertBefore(T* element, Node* node) {
        if (!node || node == &m_head) return nullptr;
        return LinkBefore(element, node);
    }

    // The node at a 0-based index from the first node; null outside 0..count-1.
    Node* GetAt(int32_t index) const {
        if (index < 0 || index >= m_count) return nullptr;
        Node* n = m_head.m_pNext;
        while (index-- > 0) n = n->m_pNext;
        return n;
    }

    // First node holding the element, or null.
    Node* Find(const T* element) const {
        for (Node* n = m_head.m_pNext; n != &m_tail; n = n->m_pNext)
            if (n->m_pData == element) return n;
        return nullptr;
    }

    // Unlinks the node, deletes its element by the list's policy and the node;
    // returns the following node. Null (and no change) for a sentinel or null.
    Node* RemoveAt(Node* node) {
        if (!node || IsSentinel(node)) return nullptr;
        T* element = node->m_pData;
        Node* next = FreeNode(node);
        DeletePolicy::Delete(element);
        return next;
    }

    // Unlinks and frees the first node holding the element (the element is
    // deleted only by policies that ask for it); returns the following node, or
    // null when the element is absent.
    Node* RemoveValue(const T* element) {
        Node* node = Find(element);
        if (!node) return nullptr;
        if constexpr (detail::RemoveValueDeletes<DeletePolicy>()) return RemoveAt(node);
        return FreeNode(node);
    }

    // Unlinks and frees the node without touching its element; returns the
    // following node, or null for a sentinel or null.
    Node* FreeNode(Node* node) {
        if (!node || IsSentinel(node)) return nullptr;
        Node* next = node->m_pNext;
        node->m_pPrev->m_pNext = next;
        next->m_pPrev = node->m_pPrev;
        delete node;
        --m_count;
        return next;
    }

    // Deletes every element by the list's policy and every node. The list is
    // unlinked node by node, so an element's destructor may touch the list.
    void RemoveAll() {
        while (m_head.m_pNext != &m_tail) RemoveAt(m_head.m_pNext);
    }
    void DeleteAll() { RemoveAll(); }

    // Frees every node, leaving the elements alone.
    void ClearList() {
        Node* n = m_head.m_pNext;
        while (n && n != &m_tail) {
            Node* next = n->m_pNext;
            delete n;
            n = next;
        }
        Reset();
    }

    class Iterator {
    public:
        using iterator_category = std::forward_iterator_tag;
        using value_type = T*;
        using difference_type = std::ptrdiff_t;
        using pointer = T**;
        using reference = T*;
        explicit Iterator(const Node* node) : m_pNode(node) {}
        T* operator*() const { return m_pNode->m_pData; }
        Iterator& operator++() {
            m_pNode = m_pNode->m_pNext;
            return *this;
        }
        Iterator operator++(int) {
            Iterator old = *this;
            ++*this;
            return old;
        }
        bool operator==(const Iterator& other) const = default;

    private:
        const Node* m_pNode;
    };
    Iterator begin() const { return Iterator(m_head.m_pNext); }
    Iterator end() const { return Iterator(&m_tail); }

private:
    void Reset() {
        m_head.m_pData = nullptr;
        m_head.m_pPrev = nullptr;
        m_head.m_pNext = &m_tail;
        m_tail.m_pData = nullptr;
        m_tail.m_pNext = nullptr;
        m_tail.m_pPrev = &m_head;
        m_count = 0;
    }

    Node* LinkBefore(T* element, Node* before) {
        Node* node = new Node;
        node->m_pData = element;
        node->m_pNext = before;
        node->m_pPrev = before->m_pPrev;
        before->m_pPrev->m_pNext = node;
        before->m_pPrev = node;
        ++m_count;
        return node;
    }

    Node m_head;
    Node m_tail;
    int32_t m_count = 0;
};
