// A memory device context over a top-down 32-bit DIB, so tests read back exactly what was drawn.
#pragma once

#include "platform/win32.h"

class MemoryCanvas {
  public:
    MemoryCanvas(int width, int height, COLORREF fill) : w(width), h(height) {
        BITMAPINFO info = {};
        info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
        info.bmiHeader.biWidth = width;
        info.bmiHeader.biHeight = -height;
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        info.bmiHeader.biCompression = BI_RGB;
        dc = CreateCompatibleDC(nullptr);
        void* raw = nullptr;
        bitmap = CreateDIBSection(dc, &info, DIB_RGB_COLORS, &raw, nullptr, 0);
        bits = static_cast<DWORD*>(raw);
        previous = SelectObject(dc, bitmap);
        Fill(fill);
    }
    ~MemoryCanvas() {
        SelectObject(dc, previous);
        DeleteObject(bitmap);
        DeleteDC(dc);
    }
    MemoryCanvas(const MemoryCanvas&) = delete;
    MemoryCanvas& operator=(const MemoryCanvas&) = delete;

    HDC Dc() const { return dc; }

    void Fill(COLORREF colour) {
        GdiFlush();
        for (int i = 0; i < w * h; ++i) {
            bits[i] = Pixel32(colour);
        }
    }

    // The pixel as a COLORREF; outside the canvas, CLR_INVALID.
    COLORREF At(int x, int y) const {
        if (x < 0 || y < 0 || x >= w || y >= h) {
            return CLR_INVALID;
        }
        GdiFlush();
        const DWORD p = bits[y * w + x];
        return RGB((p >> 16) & 0xFF, (p >> 8) & 0xFF, p & 0xFF);
    }

    // Number of pixels of the given colour inside the rectangle.
    int Count(const RECT& r, COLORREF colour) const {
        int n = 0;
        for (int y = r.top; y < r.bottom; ++y) {
            for (int x = r.left; x < r.right; ++x) {
                n += At(x, y) == colour ? 1 : 0;
            }
        }
        return n;
    }

    // Writes the canvas as a 24-bit .bmp file, for a person to look at.
    bool SaveBmp(const char* path) const;
    // Writes the canvas as an 8-bit RGB .png file (stored, uncompressed deflate blocks).
    bool SavePng(const char* path) const;

    // Copies what the screen shows inside the rectangle (screen coordinates) onto the canvas.
    void CaptureScreen(const RECT& area) {
        HDC screen = GetDC(nullptr);
        BitBlt(dc, 0, 0, area.right - area.left, area.bottom - area.top, screen, area.left,
               area.top, SRCCOPY);
        ReleaseDC(nullptr, screen);
        GdiFlush();
    }

  private:
    static DWORD Pixel32(COLORREF c) {
        return static_cast<DWORD>(GetRValue(c)) << 16 | static_cast<DWORD>(GetGValue(c)) << 8 |
               GetBValue(c);
    }

    int w;
    int h;
    HDC dc = nullptr;
    HBITMAP bitmap = nullptr;
    HGDIOBJ previous = nullptr;
    DWORD* bits = nullptr;
};
