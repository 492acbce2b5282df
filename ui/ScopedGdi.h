// Owners of the GDI resources of one drawing step. Each releases what it holds when it leaves
// scope; owners are destroyed in the reverse order of their declaration, so an object declared
// before its selection is selected out of the DC before it is deleted, as GDI requires (a
// selected object is not deleted, and would be left behind).
#pragma once

#include "platform/win32.h"

// A pen, brush, font or bitmap made for the step, deleted with DeleteObject. Never a stock object
// or one that belongs to someone else.
template <typename T> class CScopedGdiObject {
  public:
    explicit CScopedGdiObject(T owned) : object(owned) {}
    ~CScopedGdiObject() {
        if (object)
            DeleteObject(object);
    }
    CScopedGdiObject(const CScopedGdiObject&) = delete;
    CScopedGdiObject& operator=(const CScopedGdiObject&) = delete;

    T Get() const { return object; }

  private:
    T object;
};

typedef CScopedGdiObject<HPEN> CScopedPen;
typedef CScopedGdiObject<HBRUSH> CScopedBrush;
typedef CScopedGdiObject<HBITMAP> CScopedBitmap;

// An object selected into a DC for the step; the object it replaced is selected back. Selecting
// nothing (a null object) does nothing and restores nothing.
class CScopedSelection {
  public:
    CScopedSelection(HDC dc, HGDIOBJ object)
        : hdc(dc), previous(object ? SelectObject(dc, object) : nullptr) {}
    ~CScopedSelection() {
        if (previous)
            SelectObject(hdc, previous);
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
        if (hdc)
            ReleaseDC(window, hdc);
    }
    CWindowDc(const CWindowDc&) = delete;
    CWindowDc& operator=(const CWindowDc&) = delete;

    // Null when the system gave none.
    HDC Get() const { return hdc; }

  private:
    HWND window;
    HDC hdc;
};

// An icon this code made or loaded unshared (ImageList_GetIcon, LoadImageA without LR_SHARED),
// destroyed with DestroyIcon. Never an icon from LoadIconA, which the system shares.
class CScopedIcon {
  public:
    explicit CScopedIcon(HICON owned) : icon(owned) {}
    ~CScopedIcon() {
        if (icon)
            DestroyIcon(icon);
    }
    CScopedIcon(const CScopedIcon&) = delete;
    CScopedIcon& operator=(const CScopedIcon&) = delete;

    HICON Get() const { return icon; }

  private:
    HICON icon;
};
