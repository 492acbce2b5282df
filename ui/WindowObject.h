#pragma once

#include "platform/win32.h"

// The object of ours a window belongs to, kept in the window's user data. The object's hwnd
// follows the window: set when the object is attached, forgotten when the window goes, since
// the handle may then be reused.
template <class Object> Object* AttachedObject(HWND hwnd) {
    return reinterpret_cast<Object*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
}

template <class Object> void AttachObject(HWND hwnd, Object* object) {
    SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(object));
    if (object) {
        object->hwnd = hwnd;
    }
}

template <class Object> void DetachObject(HWND hwnd, Object* object) {
    SetWindowLongPtrA(hwnd, GWLP_USERDATA, 0);
    if (object->hwnd == hwnd) {
        object->hwnd = nullptr;
    }
}
