// The scoped GDI owners: what a drawing step selects is selected back out, in the reverse order,
// before what it made is deleted, and nothing is left behind.
#include "ui/GdiCount.h"
#include "ui/MemoryCanvas.h"
#include "ui/ScopedGdi.h"

#include <gtest/gtest.h>

namespace {

const COLORREF kPaper = RGB(255, 255, 255);

// Declared as the drawing code declares them: the objects, then their selections.
void DrawFramedStep(HDC hdc, HGDIOBJ* penDuring, HGDIOBJ* brushDuring) {
    CScopedPen pen(CreatePen(PS_SOLID, 1, RGB(255, 0, 0)));
    CScopedBrush brush(CreateSolidBrush(RGB(0, 0, 255)));
    CScopedSelection selectedPen(hdc, pen.Get());
    CScopedSelection selectedBrush(hdc, brush.Get());
    *penDuring = GetCurrentObject(hdc, OBJ_PEN);
    *brushDuring = GetCurrentObject(hdc, OBJ_BRUSH);
    Rectangle(hdc, 2, 2, 8, 8);
}

TEST(ScopedGdi, AStepSelectsItsObjectsAndLeavesTheDcAsItFoundIt) {
    MemoryCanvas canvas(10, 10, kPaper);
    const HGDIOBJ pen = GetCurrentObject(canvas.Dc(), OBJ_PEN);
    const HGDIOBJ brush = GetCurrentObject(canvas.Dc(), OBJ_BRUSH);
    HGDIOBJ penDuring = nullptr;
    HGDIOBJ brushDuring = nullptr;
    const long before = GdiObjectCount();
    for (int step = 0; step < 50; step++) {
        DrawFramedStep(canvas.Dc(), &penDuring, &brushDuring);
    }

    EXPECT_EQ(before, GdiObjectCount());
    EXPECT_NE(penDuring, pen);
    EXPECT_NE(brushDuring, brush);
    EXPECT_EQ(pen, GetCurrentObject(canvas.Dc(), OBJ_PEN));
    EXPECT_EQ(brush, GetCurrentObject(canvas.Dc(), OBJ_BRUSH));
    EXPECT_EQ(RGB(255, 0, 0), canvas.At(2, 2));
    EXPECT_EQ(RGB(0, 0, 255), canvas.At(5, 5));
}

// A nested selection of the same kind hands back the outer one's object, which the outer then
// replaces with the DC's own: a font selected for a part of a step.
TEST(ScopedGdi, NestedSelectionsUnwindToTheDcsOwnObject) {
    MemoryCanvas canvas(10, 10, kPaper);
    const HGDIOBJ font = GetCurrentObject(canvas.Dc(), OBJ_FONT);
    const HFONT outer = static_cast<HFONT>(GetStockObject(ANSI_FIXED_FONT));
    const HFONT inner = static_cast<HFONT>(GetStockObject(ANSI_VAR_FONT));
    {
        CScopedSelection first(canvas.Dc(), outer);
        {
            CScopedSelection second(canvas.Dc(), inner);
            EXPECT_EQ(inner, GetCurrentObject(canvas.Dc(), OBJ_FONT));
        }
        EXPECT_EQ(outer, GetCurrentObject(canvas.Dc(), OBJ_FONT));
    }
    EXPECT_EQ(font, GetCurrentObject(canvas.Dc(), OBJ_FONT));
}

// A font that could not be made selects nothing and restores nothing: the DC keeps its own.
TEST(ScopedGdi, NothingSelectedLeavesTheDcAlone) {
    MemoryCanvas canvas(10, 10, kPaper);
    const HGDIOBJ font = GetCurrentObject(canvas.Dc(), OBJ_FONT);
    const HFONT other = static_cast<HFONT>(GetStockObject(ANSI_FIXED_FONT));
    {
        CScopedSelection none(canvas.Dc(), nullptr);
        SelectObject(canvas.Dc(), other);
    }
    EXPECT_EQ(other, GetCurrentObject(canvas.Dc(), OBJ_FONT));
    SelectObject(canvas.Dc(), font);
}

// One step made with the screen's DC: an icon copied for it and a bitmap.
void IconAndBitmapStep() {
    CWindowDc screen(nullptr);
    ASSERT_NE(nullptr, screen.Get());
    CScopedIcon icon(
        static_cast<HICON>(CopyImage(LoadIconA(nullptr, IDI_APPLICATION), IMAGE_ICON, 16, 16, 0)));
    ASSERT_NE(nullptr, icon.Get());
    CScopedBitmap bitmap(CreateCompatibleBitmap(screen.Get(), 4, 4));
    ASSERT_NE(nullptr, bitmap.Get());
}

TEST(ScopedGdi, OwnedIconsBitmapsAndScreenDcsAreGivenBack) {
    // The shared system icon and the screen's cached DC are made once and stay.
    IconAndBitmapStep();
    const long before = GdiObjectCount();
    for (int step = 0; step < 50; step++) {
        IconAndBitmapStep();
    }
    EXPECT_EQ(before, GdiObjectCount());
}

} // namespace
