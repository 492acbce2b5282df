// Copies into the fixed text buffers of the program.
#pragma once

#include <cstddef>
#include <cstring>

// Copies at most capacity - 1 characters of source and always terminates target.
inline void CopyBounded(char* target, size_t capacity, const char* source) {
    size_t length = strlen(source);
    if (length >= capacity)
        length = capacity - 1;
    memcpy(target, source, length);
    target[length] = '\0';
}
