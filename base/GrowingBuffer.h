// A heap buffer for text whose length the input decides: it doubles as needed, up to the most its
// user allows, and keeps its size for the next text.
#pragma once

#include <cstddef>
#include <cstring>
#include <new>

class CGrowingBuffer {
  public:
    explicit CGrowingBuffer(size_t most) : text(nullptr), capacity(0), limit(most) {}
    ~CGrowingBuffer() { delete[] text; }
    CGrowingBuffer(const CGrowingBuffer&) = delete;
    CGrowingBuffer& operator=(const CGrowingBuffer&) = delete;

    // Null until the first Reserve.
    char* Text() const { return text; }

    // Room for size bytes, the first kept bytes moved along; false past the limit or when there is
    // no memory for it, with the buffer as it was.
    bool Reserve(size_t size, size_t kept) {
        if (size <= capacity) {
            return true;
        }
        if (size > limit) {
            return false;
        }
        size_t grown = capacity ? capacity : kFirstBytes;
        while (grown < size) {
            grown *= 2;
        }
        if (grown > limit) {
            grown = limit;
        }
        char* larger = new (std::nothrow) char[grown];
        if (!larger) {
            return false;
        }
        if (kept > 0) {
            memcpy(larger, text, kept);
        }
        delete[] text;
        text = larger;
        capacity = grown;
        return true;
    }

  private:
    static const size_t kFirstBytes = 4096;
    char* text;
    size_t capacity;
    size_t limit;
};
