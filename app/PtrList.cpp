#include "app/PtrList.h"

#include <new>

PtrListNode* CPtrList::Append(void* data) {
    PtrListNode* node = new (std::nothrow) PtrListNode{data, tail, nullptr};
    if (!node)
        return nullptr;
    count++;
    if (tail)
        tail->next = node;
    tail = node;
    if (!head)
        head = node;
    return node;
}

void CPtrList::RemoveFirst() {
    if (!head)
        return;
    PtrListNode* next = head->next;
    delete head;
    count--;
    head = next;
    if (head)
        head->prev = nullptr;
    else
        tail = nullptr;
}

void CPtrList::RemoveLast() {
    if (!tail)
        return;
    PtrListNode* prev = tail->prev;
    delete tail;
    count--;
    tail = prev;
    if (tail)
        tail->next = nullptr;
    else
        head = nullptr;
}

void CPtrList::RemoveAt(int index) {
    if (index < 0)
        return;
    if (index == 0) {
        RemoveFirst();
        return;
    }
    PtrListNode* node = head;
    for (int i = 0; i < index && node; i++)
        node = node->next;
    if (!node)
        return;
    if (node == tail) {
        RemoveLast();
        return;
    }
    node->prev->next = node->next;
    node->next->prev = node->prev;
    delete node;
    count--;
}

void CPtrList::Clear() {
    while (head)
        RemoveFirst();
}

int CPtrList::IndexOf(const void* data) const {
    int index = 0;
    for (PtrListNode* node = head; node; node = node->next, index++) {
        if (node->data == data)
            return index;
    }
    return -1;
}

void CPtrList::Sort(PtrListLess less) {
    for (PtrListNode* position = head; position && position != tail; position = position->next) {
        PtrListNode* best = position;
        for (PtrListNode* node = position->next; node; node = node->next) {
            if (less(best->data, node->data))
                best = node;
        }
        if (best != position) {
            void* data = position->data;
            position->data = best->data;
            best->data = data;
        }
    }
}
