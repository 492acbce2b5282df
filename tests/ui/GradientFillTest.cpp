#include "ui/ColorModel.h"
#include "ui/GradientFill.h"
#include "tests/ui/GdiCount.h"
#include "tests/ui/MemoryCanvas.h"

#include <gtest/gtest.h>

namespace {

const COLORREF kPaper = RGB(1, 2, 3);

TEST(GradientFill, HorizontalDrawsOneColumnPerStep) {
    MemoryCanvas canvas(40, 10, kPaper);
    const RECT band = {5, 2, 27, 8};
    const COLORREF from = RGB(0, 0, 0);
    const COLORREF to = RGB(220, 110, 22);
    GradientFillHorizontal(canvas.Dc(), band, from, to);
    for (int x = 5; x < 27; ++x) {
        const COLORREF expected = BlendColor(from, to, 22, static_cast<unsigned>(x - 5));
        for (int y = 2; y < 8; ++y) {
            ASSERT_EQ(expected, canvas.At(x, y)) << x << "," << y;
        }
        // The bottom edge of the line is not painted.
        EXPECT_EQ(kPaper, canvas.At(x, 8));
        EXPECT_EQ(kPaper, canvas.At(x, 1));
    }
    EXPECT_EQ(kPaper, canvas.At(4, 4));
    EXPECT_EQ(kPaper, canvas.At(27, 4));
    // The last column is step 21 of 22: the end colour itself is never drawn.
    EXPECT_EQ(RGB(210, 105, 21), canvas.At(26, 4));
}

TEST(GradientFill, VerticalDrawsOneRowPerStep) {
    MemoryCanvas canvas(10, 30, kPaper);
    const RECT band = {1, 4, 9, 24};
    GradientFillVertical(canvas.Dc(), band, RGB(255, 255, 255), RGB(0, 100, 200));
    for (int y = 4; y < 24; ++y) {
        const COLORREF expected =
            BlendColor(RGB(255, 255, 255), RGB(0, 100, 200), 20, static_cast<unsigned>(y - 4));
        EXPECT_EQ(expected, canvas.At(1, y));
        EXPECT_EQ(expected, canvas.At(8, y));
        EXPECT_EQ(kPaper, canvas.At(9, y));
        EXPECT_EQ(kPaper, canvas.At(0, y));
    }
    EXPECT_EQ(kPaper, canvas.At(4, 3));
    EXPECT_EQ(kPaper, canvas.At(4, 24));
}

TEST(GradientFill, EmptyOrInvertedRectanglesDrawNothing) {
    MemoryCanvas canvas(20, 20, kPaper);
    const RECT whole = {0, 0, 20, 20};
    // Each painter looks only at the axis it blends along.
    const RECT noWidth[] = {{5, 5, 5, 15}, {15, 5, 5, 15}};
    for (const RECT& r : noWidth) {
        GradientFillHorizontal(canvas.Dc(), r, RGB(0, 0, 0), RGB(255, 0, 0));
    }
    const RECT noHeight[] = {{5, 5, 15, 5}, {5, 15, 15, 5}};
    for (const RECT& r : noHeight) {
        GradientFillVertical(canvas.Dc(), r, RGB(0, 0, 0), RGB(255, 0, 0));
    }
    EXPECT_EQ(400, canvas.Count(whole, kPaper));
}

TEST(GradientFill, ReleasesEveryPen) {
    MemoryCanvas canvas(300, 300, kPaper);
    const RECT all = {0, 0, 300, 300};
    const long before = GdiObjectCount();
    GradientFillHorizontal(canvas.Dc(), all, RGB(0, 0, 0), RGB(255, 255, 255));
    GradientFillVertical(canvas.Dc(), all, RGB(0, 0, 0), RGB(255, 255, 255));
    EXPECT_EQ(before, GdiObjectCount());
}

} // namespace
