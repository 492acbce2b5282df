// Owners of what this program must give back: handles, registry keys, GDI objects, COM
// references, heap text. One owner per resource: it gives the resource back when it leaves scope
// or is reset, hands it over when moved or released, and is never copied. Each kind of resource is
// a traits struct with its type, the value that holds nothing (null, or INVALID_HANDLE_VALUE for
// file handles) and the call that gives it back.
#pragma once

#include "platform/win32.h"

template <typename Traits> class CUniqueOwner {
  public:
    typedef typename Traits::Type Type;

    CUniqueOwner() : value(Traits::Empty()) {}
    explicit CUniqueOwner(Type owned) : value(owned) {}
    ~CUniqueOwner() { Reset(); }
    CUniqueOwner(CUniqueOwner&& other) : value(other.Release()) {}
    CUniqueOwner& operator=(CUniqueOwner&& other) {
        if (this != &other) {
            Reset(other.Release());
        }
        return *this;
    }
    CUniqueOwner(const CUniqueOwner&) = delete;
    CUniqueOwner& operator=(const CUniqueOwner&) = delete;

    Type Get() const { return value; }
    // For owners of objects: a call on what is held.
    Type operator->() const { return value; }
    bool IsEmpty() const { return value == Traits::Empty(); }
    // Gives back what is held, then holds owned.
    void Reset(Type owned = Traits::Empty()) {
        Type previous = value;
        value = owned;
        if (previous != Traits::Empty()) {
            Traits::Close(previous);
        }
    }
    // Hands what is held to the caller, who gives it back from then on.
    Type Release() {
        Type held = value;
        value = Traits::Empty();
        return held;
    }
    // For a call that returns the resource through an out-parameter: what is held is given back
    // first.
    Type* Put() {
        Reset();
        return &value;
    }

  private:
    Type value;
};

struct HandleTraits {
    typedef HANDLE Type;
    static HANDLE Empty() { return nullptr; }
    static void Close(HANDLE handle) { CloseHandle(handle); }
};

// CreateFile's handles, which hold nothing as INVALID_HANDLE_VALUE.
struct FileHandleTraits {
    typedef HANDLE Type;
    static HANDLE Empty() { return INVALID_HANDLE_VALUE; }
    static void Close(HANDLE handle) { CloseHandle(handle); }
};

struct RegistryKeyTraits {
    typedef HKEY Type;
    static HKEY Empty() { return nullptr; }
    static void Close(HKEY key) { RegCloseKey(key); }
};

// Text, or an array of anything, from new[].
template <typename T> struct HeapArrayTraits {
    typedef T* Type;
    static T* Empty() { return nullptr; }
    static void Close(T* array) { delete[] array; }
};

// One object from new.
template <typename T> struct HeapObjectTraits {
    typedef T* Type;
    static T* Empty() { return nullptr; }
    static void Close(T* object) { delete object; }
};

// A reference to a COM object, or to an object counted the same way: Release gives it back.
template <typename T> struct ComReferenceTraits {
    typedef T* Type;
    static T* Empty() { return nullptr; }
    static void Close(T* object) { object->Release(); }
};

typedef CUniqueOwner<HandleTraits> CUniqueHandle;
typedef CUniqueOwner<FileHandleTraits> CUniqueFileHandle;
typedef CUniqueOwner<RegistryKeyTraits> CUniqueRegistryKey;
typedef CUniqueOwner<HeapArrayTraits<char>> CHeapText;
template <typename T> using CHeapArray = CUniqueOwner<HeapArrayTraits<T>>;
template <typename T> using CHeapObject = CUniqueOwner<HeapObjectTraits<T>>;
template <typename T> using CComReference = CUniqueOwner<ComReferenceTraits<T>>;
