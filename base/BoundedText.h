// Copies into the fixed text buffers of the program.
#pragma once

#include <cstddef>
#include <cstring>
#include <new>

// Copies at most capacity - 1 characters of source and always terminates target.
inline void CopyBounded(char* target, size_t capacity, const char* source) {
    size_t length = strlen(source);
    if (length >= capacity) {
        length = capacity - 1;
    }
    memcpy(target, source, length);
    target[length] = '\0';
}

// A heap copy of text, exactly its length plus the terminator; null when memory ran out.
inline char* CopyToHeap(const char* text) {
    size_t length = strlen(text);
    char* copy = new (std::nothrow) char[length + 1];
    if (copy) {
        memcpy(copy, text, length + 1);
    }
    return copy;
}
