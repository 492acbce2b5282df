// A doubly linked list of untyped data pointers. The list owns its nodes, never the data.
#pragma once

struct PtrListNode {
    void* data;
    PtrListNode* prev;
    PtrListNode* next;
};

// Tells whether the first data pointer sorts before the second (non-zero) or not (0).
typedef int (*PtrListLess)(const void* first, const void* second);

struct CPtrList {
    PtrListNode* head = nullptr;
    PtrListNode* tail = nullptr;
    int count = 0;

    CPtrList() = default;
    CPtrList(const CPtrList&) = delete;
    CPtrList& operator=(const CPtrList&) = delete;
    ~CPtrList() { Clear(); }

    // Adds a node at the tail; null when no node could be allocated (the list is then unchanged).
    PtrListNode* Append(void* data);
    void RemoveFirst();
    void RemoveLast();
    void RemoveAt(int index);
    void Clear();
    int IndexOf(const void* data) const;
    // Orders the data pointers so that a "less" comparator leaves the list in descending order:
    // each node holds the greatest of the data from there on. Stable: equal data keep the order
    // they stood in. A merge sort, n log n comparisons, no allocation. Nodes stay where they are;
    // the data move between them.
    void Sort(PtrListLess less);
};
