// The three handles every window and dialog object of the framework starts with.
#pragma once

#include "platform/win32.h"

class CWindowHandle {
  public:
    HINSTANCE hInstance;
    HWND hwndParent;
    // The object's own window, stored by the shared procedures when it is created.
    HWND hwnd;

    CWindowHandle() : hInstance(nullptr), hwndParent(nullptr), hwnd(nullptr) {}
    CWindowHandle(const CWindowHandle&) = delete;
    CWindowHandle& operator=(const CWindowHandle&) = delete;

  protected:
    // Not virtual: an owner destroys an object through its own type, never through a base.
    ~CWindowHandle() {
        hInstance = nullptr;
        hwndParent = nullptr;
        hwnd = nullptr;
    }
};
