#include "IconImageList.h"

namespace {

const int kIconSize = 32;
const COLORREF kMaskColor = RGB(255, 0, 255);

// A sheet of paper with a folded corner and a coloured band, on the mask colour.
void DrawDesktopIcon(HDC dc) {
    RECT all = {0, 0, kIconSize, kIconSize};
    HBRUSH mask = CreateSolidBrush(kMaskColor);
    FillRect(dc, &all, mask);
    DeleteObject(mask);

    HPEN pen = CreatePen(PS_SOLID, 1, RGB(40, 40, 40));
    HBRUSH paper = CreateSolidBrush(RGB(250, 250, 240));
    HGDIOBJ oldPen = SelectObject(dc, pen);
    HGDIOBJ oldBrush = SelectObject(dc, paper);
    POINT outline[] = {{6, 2}, {20, 2}, {26, 8}, {26, 29}, {6, 29}};
    Polygon(dc, outline, sizeof outline / sizeof outline[0]);
    MoveToEx(dc, 20, 2, nullptr);
    LineTo(dc, 20, 8);
    LineTo(dc, 26, 8);
    SelectObject(dc, oldBrush);
    SelectObject(dc, oldPen);
    DeleteObject(paper);
    DeleteObject(pen);

    RECT band = {9, 12, 24, 17};
    HBRUSH bandBrush = CreateSolidBrush(RGB(40, 110, 200));
    FillRect(dc, &band, bandBrush);
    DeleteObject(bandBrush);
}

} // namespace

CIconImageList::~CIconImageList() {
    if (hImageList) {
        ImageList_Destroy(hImageList);
    }
}

bool CIconImageList::CreateDesktopIcon() {
    hImageList = ImageList_Create(kIconSize, kIconSize, ILC_COLOR24 | ILC_MASK, 1, 1);
    if (!hImageList) {
        return false;
    }
    HDC screen = GetDC(nullptr);
    HDC dc = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, kIconSize, kIconSize);
    ReleaseDC(nullptr, screen);
    if (!dc || !bitmap) {
        if (bitmap) {
            DeleteObject(bitmap);
        }
        if (dc) {
            DeleteDC(dc);
        }
        return false;
    }
    HGDIOBJ old = SelectObject(dc, bitmap);
    DrawDesktopIcon(dc);
    SelectObject(dc, old);
    DeleteDC(dc);
    int added = ImageList_AddMasked(hImageList, bitmap, kMaskColor);
    DeleteObject(bitmap);
    return added >= 0;
}
