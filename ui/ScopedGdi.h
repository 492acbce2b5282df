// Owners of the GDI resources of one drawing step. Each releases what it holds when it leaves
// scope; owners are destroyed in the reverse order of their declaration, so an object declared
// before its selection is selected out of the DC before it is deleted, as GDI requires (a
// selected object is not deleted, and would be left behind).
#pragma once

#include "base/UniqueOwner.h"
#include "platform/win32.h"

template <typename T> struct GdiObjectTraits {
    typedef T Type;
    static T Empty() { return nullptr; }
    static void Close(T object) { DeleteObject(object); }
};

struct OwnedIconTraits {
    typedef HICON Type;
    static HICON Empty() { return nullptr; }
    static void Close(HICON icon) { DestroyIcon(icon); }
};

struct ImageListTraits {
    typedef HIMAGELIST Type;
    static HIMAGELIST Empty() { return nullptr; }
    static void Close(HIMAGELIST list) { ImageList_Destroy(list); }
};

// A pen, brush, bitmap or font made for the step or for an object's life. Never a stock object or
// one that belongs to someone else.
typedef CUniqueOwner<GdiObjectTraits<HPEN>> CScopedPen;
typedef CUniqueOwner<GdiObjectTraits<HBRUSH>> CScopedBrush;
typedef CUniqueOwner<GdiObjectTraits<HBITMAP>> CScopedBitmap;
typedef CUniqueOwner<GdiObjectTraits<HFONT>> CScopedFont;

// An icon this code made or loaded unshared (ImageList_GetIcon, LoadImageA without LR_SHARED).
// Never an icon from LoadIconA, which the system shares.
typedef CUniqueOwner<OwnedIconTraits> CScopedIcon;
typedef CUniqueOwner<ImageListTraits> CScopedImageList;

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
