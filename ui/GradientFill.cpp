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

// One line a step across the rectangle, left to right or top to bottom.
void GradientFillAcross(HDC hdc, const RECT& rect, COLORREF from, COLORREF to, bool horizontal) {
    const int first = horizontal ? rect.left : rect.top;
    const int last = horizontal ? rect.right : rect.bottom;
    if (first >= last) {
        return;
    }
    const unsigned n = static_cast<unsigned>(last - first);
    for (int at = first; at < last; ++at) {
        const COLORREF colour = BlendColor(from, to, n, static_cast<unsigned>(at - first));
        if (horizontal) {
            DrawLine(hdc, at, rect.top, at, rect.bottom, colour);
        } else {
            DrawLine(hdc, rect.left, at, rect.right, at, colour);
        }
    }
}

} // namespace

void GradientFillHorizontal(HDC hdc, const RECT& rect, COLORREF from, COLORREF to) {
    GradientFillAcross(hdc, rect, from, to, true);
}

void GradientFillVertical(HDC hdc, const RECT& rect, COLORREF from, COLORREF to) {
    GradientFillAcross(hdc, rect, from, to, false);
}
