#include "ui/Button.h"

CButton::CButton() : ownsWindow(0) {}

CButton::CButton(HINSTANCE instance, HWND parent, int id, int x, int y, int width, int height,
                 DWORD style, DWORD exStyle)
    : ownsWindow(0) {
    Create(instance, parent, id, x, y, width, height, style, exStyle);
}

CButton::~CButton() {
    DestroyOwnedWindow();
}

int CButton::Create(HINSTANCE instance, HWND parent, int id, int x, int y, int width, int height,
                    DWORD style, DWORD exStyle) {
    // A window this object made before would otherwise be left without an owner.
    DestroyOwnedWindow();
    hInstance = instance;
    hwndParent = parent;
    hwnd = CreateWindowExA(exStyle, "Button", "", style, x, y, width, height, parent,
                           reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), instance, nullptr);
    if (!hwnd) {
        return 0;
    }
    ownsWindow = 1;
    const LRESULT font = SendMessageA(parent, WM_GETFONT, 0, 0);
    SendMessageA(hwnd, WM_SETFONT, static_cast<WPARAM>(font), TRUE);
    return 1;
}

void CButton::Attach(HINSTANCE instance, HWND parent, HWND window) {
    DestroyOwnedWindow();
    hInstance = instance;
    hwndParent = parent;
    hwnd = window;
}

void CButton::DestroyOwnedWindow() {
    if (ownsWindow == 1 && hwnd) {
        DestroyWindow(hwnd);
    }
    ownsWindow = 0;
    hwnd = nullptr;
}
