#include "ui/GradientFill.h"

#include "ui/ColorModel.h"
#include "ui/ScopedGdi.h"

namespace {

void DrawLine(HDC hdc, int x0, int y0, int x1, int y1, COLORREF colour) {
    CScopedPen pen(CreatePen(PS_SOLID, 1, colour));
    CScopedSelection selected(hdc, pen.Get());
    MoveToEx(hdc, x0, y0, nullptr);
    LineTo(hdc, x1, y1);
}

} // namespace

void GradientFillHorizontal(HDC hdc, const RECT& rect, COLORREF from, COLORREF to) {
    if (rect.left >= rect.right) {
        return;
    }
    const unsigned n = static_cast<unsigned>(rect.right - rect.left);
    for (int x = rect.left; x < rect.right; ++x) {
        const COLORREF colour = BlendColor(from, to, n, static_cast<unsigned>(x - rect.left));
        DrawLine(hdc, x, rect.top, x, rect.bottom, colour);
    }
}

void GradientFillVertical(HDC hdc, const RECT& rect, COLORREF from, COLORREF to) {
    if (rect.top >= rect.bottom) {
        return;
    }
    const unsigned n = static_cast<unsigned>(rect.bottom - rect.top);
    for (int y = rect.top; y < rect.bottom; ++y) {
        const COLORREF colour = BlendColor(from, to, n, static_cast<unsigned>(y - rect.top));
        DrawLine(hdc, rect.left, y, rect.right, y, colour);
    }
}
