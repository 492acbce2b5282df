// Linear gradients drawn one 1-pixel line at a time, each line in its own pen.
#pragma once

#include "platform/win32.h"

// Colour changes from left to right; the to colour itself is never reached.
void GradientFillHorizontal(HDC hdc, const RECT& rect, COLORREF from, COLORREF to);
// Colour changes from top to bottom.
void GradientFillVertical(HDC hdc, const RECT& rect, COLORREF from, COLORREF to);
