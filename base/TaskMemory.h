// The owner of memory the shell or COM allocated for the caller: item ids, strings of names and
// folders.
#pragma once

#include "base/UniqueOwner.h"
#include "platform/shellview.h"

template <typename T> struct TaskMemoryTraits {
    typedef T* Type;
    static T* Empty() { return nullptr; }
    static void Close(T* memory) { CoTaskMemFree(memory); }
};

template <typename T> using CTaskMemory = CUniqueOwner<TaskMemoryTraits<T>>;
