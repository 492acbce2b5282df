// Owners of the GDI resources of one drawing step. Each releases what it holds when it leaves
// scope; owners are destroyed in the reverse order of their declaration, so an object declared
// before its selection is selected out of the DC before it is deleted, as GDI requires (a
// selected object is not deleted, and would be left behind).
#pragma once

#include "platform/win32.h"

// Owns a handle and gives it back with Release when it leaves scope; a null handle holds nothing.
template <typename T, BOOL(WINAPI* Release)(T)> class CScopedHandle {
  public:
    explicit CScopedHandle(T owned) : handle(owned) {}
    ~CScopedHandle() {
        if (handle) {
            Release(handle);
        }
    }
    CScopedHandle(const CScopedHandle&) = delete;
    CScopedHandle& operator=(const CScopedHandle&) = delete;

    T Get() const { return handle; }

  private:
    T handle;
};

// The release of each handle type as a function of that type, as CScopedHandle takes it.
template <typename T> BOOL WINAPI DeleteGdiObject(T object) {
    return DeleteObject(object);
}

inline BOOL WINAPI DestroyOwnedIcon(HICON icon) {
    return DestroyIcon(icon);
}

// A pen, brush or bitmap made for the step. Never a stock object or one that belongs to someone
// else.
typedef CScopedHandle<HPEN, DeleteGdiObject<HPEN>> CScopedPen;
typedef CScopedHandle<HBRUSH, DeleteGdiObject<HBRUSH>> CScopedBrush;
typedef CScopedHandle<HBITMAP, DeleteGdiObject<HBITMAP>> CScopedBitmap;

// An icon this code made or loaded unshared (ImageList_GetIcon, LoadImageA without LR_SHARED).
// Never an icon from LoadIconA, which the system shares.
typedef CScopedHandle<HICON, DestroyOwnedIcon> CScopedIcon;

// An object selected into a DC for the step; the object it replaced is selected back. Selecting
// nothing (a null object) does nothing and restores nothing.
class CScopedSelection {
  public:
    CScopedSelection(HDC dc, HGDIOBJ object)
        : hdc(dc), previous(object ? SelectObject(dc, object) : nullptr) {}
    ~CScopedSelection() {
        if (previous) {
            SelectObject(hdc, previous);
        }
    }
    CScopedSelection(const CScopedSelection&) = delete;
    CScopedSelection& operator=(const CScopedSelection&) = delete;

  private:
    HDC hdc;
    HGDIOBJ previous;
};

// The DC of a window, or of the screen for no window, released to the system's cache.
class CWindowDc {
  public:
    explicit CWindowDc(HWND owner) : window(owner), hdc(GetDC(owner)) {}
    ~CWindowDc() {
        if (hdc) {
            ReleaseDC(window, hdc);
        }
    }
    CWindowDc(const CWindowDc&) = delete;
    CWindowDc& operator=(const CWindowDc&) = delete;

    // Null when the system gave none.
    HDC Get() const { return hdc; }

  private:
    HWND window;
    HDC hdc;
};

// Gives back a handle an object keeps in a member, and clears the member, so a second call (or
// the destructor after an explicit free) finds nothing to give back.
template <typename T, typename Release> void ReleaseMember(T& handle, Release release) {
    if (handle) {
        release(handle);
        handle = nullptr;
    }
}
