#include "base/PtrList.h"

#include <new>

PtrListNode* CPtrList::Append(void* data) {
    PtrListNode* node = new (std::nothrow) PtrListNode{data, tail, nullptr};
    if (!node) {
        return nullptr;
    }
    count++;
    if (tail) {
        tail->next = node;
    }
    tail = node;
    if (!head) {
        head = node;
    }
    return node;
}

namespace {

// Takes node out of the chain, mending the neighbours or the ends, and frees it.
void Unlink(PtrListNode*& head, PtrListNode*& tail, PtrListNode* node) {
    (node->prev ? node->prev->next : head) = node->next;
    (node->next ? node->next->prev : tail) = node->prev;
    delete node;
}

} // namespace

void CPtrList::RemoveFirst() {
    if (!head) {
        return;
    }
    Unlink(head, tail, head);
    count--;
}

void CPtrList::RemoveLast() {
    if (!tail) {
        return;
    }
    Unlink(head, tail, tail);
    count--;
}

void CPtrList::RemoveAt(int index) {
    if (index < 0) {
        return;
    }
    PtrListNode* node = head;
    for (int i = 0; i < index && node; i++) {
        node = node->next;
    }
    if (!node) {
        return;
    }
    Unlink(head, tail, node);
    count--;
}

void CPtrList::Clear() {
    while (head) {
        RemoveFirst();
    }
}

int CPtrList::IndexOf(const void* data) const {
    int index = 0;
    for (PtrListNode* node = head; node; node = node->next, index++) {
        if (node->data == data) {
            return index;
        }
    }
    return -1;
}

namespace {

// The sort chains nodes through prev, leaving next as the list's own order until the data are in
// place. Merges two sorted chains, the elements of first standing before those of second in the
// list: an element of second goes first only when it is greater, so equal elements keep their
// order.
PtrListNode* Merge(PtrListNode* first, PtrListNode* second, PtrListLess less) {
    PtrListNode start = {nullptr, nullptr, nullptr};
    PtrListNode* last = &start;
    while (first && second) {
        PtrListNode** taken = less(first->data, second->data) ? &second : &first;
        last->prev = *taken;
        last = *taken;
        *taken = (*taken)->prev;
    }
    last->prev = first ? first : second;
    return start.prev;
}

// Bottom-up merge sort of the list's nodes in order, chained through prev: runs[i] holds a sorted
// run of 2^i nodes that came before every node of the lower runs.
PtrListNode* SortedChain(PtrListNode* head, PtrListLess less) {
    enum { kRuns = 64 };
    PtrListNode* runs[kRuns] = {};
    for (PtrListNode* node = head; node; node = node->next) {
        node->prev = nullptr;
        PtrListNode* run = node;
        int i = 0;
        for (; i < kRuns - 1 && runs[i]; i++) {
            run = Merge(runs[i], run, less);
            runs[i] = nullptr;
        }
        runs[i] = run;
    }
    PtrListNode* sorted = nullptr;
    for (PtrListNode* run : runs) {
        if (run) {
            sorted = Merge(run, sorted, less);
        }
    }
    return sorted;
}

// Moves the data along the permutation that the sorted chain gives: the k-th node of the list
// receives the data of the k-th node of the chain. Each node's prev first names the node its data
// goes to; every cycle of that permutation is then rotated once, and a node whose prev names
// itself holds its final data.
void MoveDataToPlace(PtrListNode* head, PtrListNode* sorted) {
    for (PtrListNode* place = head; place; place = place->next) {
        PtrListNode* source = sorted;
        sorted = sorted->prev;
        source->prev = place;
    }
    for (PtrListNode* start = head; start; start = start->next) {
        PtrListNode* target = start->prev;
        if (target == start) {
            continue;
        }
        void* carried = start->data;
        start->prev = start;
        while (target != start) {
            void* displaced = target->data;
            target->data = carried;
            carried = displaced;
            PtrListNode* next = target->prev;
            target->prev = target;
            target = next;
        }
        start->data = carried;
    }
}

} // namespace

void CPtrList::Sort(PtrListLess less) {
    if (!head || head == tail) {
        return;
    }
    MoveDataToPlace(head, SortedChain(head, less));
    PtrListNode* previous = nullptr;
    for (PtrListNode* node = head; node; node = node->next) {
        node->prev = previous;
        previous = node;
    }
}
