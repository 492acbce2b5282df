#include "ui/DisplayScale.h"

#include <gtest/gtest.h>

namespace {

const int kScales[] = {96, 120, 144, 168, 192, 240, 288};

TEST(DisplayScale, SizesRoundHalvesAwayFromZero) {
    EXPECT_EQ(20, ScaleToDpi(20, 96));
    EXPECT_EQ(25, ScaleToDpi(20, 120));
    EXPECT_EQ(30, ScaleToDpi(20, 144));
    // 11 at 144 is 16.5: the menu font's height there, -17, comes out the same way.
    EXPECT_EQ(17, ScaleToDpi(11, 144));
    EXPECT_EQ(-17, ScaleToDpi(-11, 144));
    EXPECT_EQ(4, ScaleToDpi(3, 120));
    EXPECT_EQ(0, ScaleToDpi(0, 192));
    // No overflow for big sizes at big scales.
    EXPECT_EQ(2000000000, ScaleToDpi(1000000000, 192));
}

TEST(DisplayScale, DpiComesFromTheMonitorThenTheWindowThenTheSystem) {
    EXPECT_EQ(144, ChooseDpi({144, 120, 96}));
    // A menu on a second monitor at another scale than the window that owns it.
    EXPECT_EQ(192, ChooseDpi({192, 96, 96}));
    // Windows before 8.1 cannot tell a monitor's DPI; before 10 a window's.
    EXPECT_EQ(120, ChooseDpi({0, 120, 96}));
    EXPECT_EQ(144, ChooseDpi({0, 0, 144}));
    EXPECT_EQ(96, ChooseDpi({0, 0, 0}));
    // Answers no display gives are passed over.
    EXPECT_EQ(120, ChooseDpi({-1, 5000, 120}));
    EXPECT_EQ(96, ChooseDpi({1, 2, 3}));
}

TEST(DisplayScale, StripNearestTheScaledImageAndNeverLargerOnATie) {
    EXPECT_EQ(0, NearestStrip(96));
    EXPECT_EQ(1, NearestStrip(120));
    EXPECT_EQ(2, NearestStrip(144));
    EXPECT_EQ(3, NearestStrip(192));
    // 175 %: 28 pixels lies between 24 and 32.
    EXPECT_EQ(2, NearestStrip(168));
    // Beyond the largest strip, and below the smallest.
    EXPECT_EQ(3, NearestStrip(288));
    EXPECT_EQ(0, NearestStrip(72));
    EXPECT_EQ(0, NearestStrip(0));
    // 110 %: 17.6 rounds to 18, as near 16 as 20: the smaller.
    EXPECT_EQ(0, NearestStrip(106));
    for (int dpi : kScales) {
        const int size = kStripImageSizes[NearestStrip(dpi)];
        EXPECT_LE(size, ScaleToDpi(16, dpi) + 4) << dpi;
    }
}

TEST(DisplayScale, MenuAt96IsThePixelsItAlwaysHad) {
    // With the system's check mark smaller than an image, and the text lower than a row.
    for (int check : {0, 11, 13, 15, 16}) {
        const MenuMetrics m = MenuMetricsFor(96, 16, check, 16);
        EXPECT_EQ(16, m.imageSize);
        EXPECT_EQ(3, m.imageOffset);
        EXPECT_EQ(1, m.imageLift);
        EXPECT_EQ(22, m.iconColumnRight);
        EXPECT_EQ(30, m.textIndent);
        EXPECT_EQ(2, m.textTop);
        EXPECT_EQ(34, m.itemExtraWidth);
        EXPECT_EQ(20, m.itemHeight);
        EXPECT_EQ(6, m.separatorHeight);
        EXPECT_EQ(8, m.shortcutMargin);
        EXPECT_EQ(1, m.checkBoxInset);
        EXPECT_EQ(20, m.checkBoxRight);
        EXPECT_EQ(5, m.checkMarkLeft);
        EXPECT_EQ(3, m.checkMarkTop);
        EXPECT_EQ(4, m.menuBarShadow);
        EXPECT_EQ(6, m.arrowRight);
        EXPECT_EQ(3, m.arrowHalf);
    }
}

TEST(DisplayScale, MenuAt144AsWineGivesIt) {
    // Wine at 144: check mark 19, menu font cell 19 pixels high; the 24-pixel strip.
    const MenuMetrics m = MenuMetricsFor(144, 24, 19, 19);
    EXPECT_EQ(24, m.imageSize);
    EXPECT_EQ(5, m.imageOffset);
    EXPECT_EQ(5 + 24 + 5, m.iconColumnRight);
    EXPECT_EQ(34 + 12, m.textIndent);
    EXPECT_EQ(46 + 6, m.itemExtraWidth);
    // A selected image's shadow, 2 pixels down from its 5-pixel offset, ends at 31.
    EXPECT_EQ(31, m.itemHeight);
    EXPECT_EQ(9, m.separatorHeight);
    EXPECT_EQ(12, m.shortcutMargin);
    EXPECT_EQ(9, m.arrowRight);
    EXPECT_EQ(5, m.arrowHalf);
}

TEST(DisplayScale, ColumnFollowsTheLargerOfImageAndCheckMark) {
    const MenuMetrics wideCheck = MenuMetricsFor(96, 16, 28, 13);
    EXPECT_EQ(3 + 28 + 3, wideCheck.iconColumnRight);
    EXPECT_EQ(34 + 8, wideCheck.textIndent);
    EXPECT_EQ(wideCheck.iconColumnRight - 2, wideCheck.checkBoxRight);
    // The column, and its offset above, with a pixel to spare below.
    EXPECT_EQ(3 + 28 + 1, wideCheck.itemHeight);
}

TEST(DisplayScale, EveryRowHoldsItsTextAndItsImageAtEveryScale) {
    for (int dpi : kScales) {
        const int image = kStripImageSizes[NearestStrip(dpi)];
        // Menu fonts from the usual 9 points up to twice that, and check marks of any size.
        for (int text : {ScaleToDpi(16, dpi), ScaleToDpi(32, dpi)}) {
            for (int check : {ScaleToDpi(13, dpi), ScaleToDpi(24, dpi)}) {
                const MenuMetrics m = MenuMetricsFor(dpi, image, check, text);
                EXPECT_GE(m.itemHeight, m.textTop + text + m.textTop) << dpi;
                EXPECT_GE(m.itemHeight, m.imageOffset + image + m.imageLift) << dpi;
                EXPECT_GE(m.itemHeight, ScaleToDpi(20, dpi)) << dpi;
                EXPECT_GE(m.iconColumnRight, m.imageOffset + image + m.imageLift) << dpi;
                EXPECT_GE(m.iconColumnRight, check) << dpi;
                EXPECT_GT(m.textIndent, m.iconColumnRight) << dpi;
                EXPECT_GT(m.itemExtraWidth, m.textIndent) << dpi;
                EXPECT_GT(m.checkBoxRight, m.checkMarkLeft) << dpi;
            }
        }
    }
}

TEST(DisplayScale, ImplausibleDpiDrawsAt96) {
    const MenuMetrics m = MenuMetricsFor(0, 0, 0, 0);
    EXPECT_EQ(96, m.dpi);
    EXPECT_EQ(16, m.imageSize);
    EXPECT_EQ(22, m.iconColumnRight);
    EXPECT_EQ(20, m.itemHeight);
    EXPECT_EQ(20, AboutLayoutFor(-5).margin);
}

TEST(DisplayScale, AboutBoxAt96AndScaled) {
    const AboutLayout a = AboutLayoutFor(96);
    // The template's client at 96 DPI, as Wine makes it (Windows' fonts make it 195 high).
    EXPECT_EQ(240, a.minClientWidth);
    EXPECT_EQ(180, a.minClientHeight);
    EXPECT_EQ(20, a.margin);
    EXPECT_EQ(40, a.frameBottom);
    EXPECT_EQ(75, a.okWidth);
    EXPECT_EQ(20, a.okHeight);
    EXPECT_EQ(32, a.okLeftOfCentre);
    EXPECT_EQ(30, a.okAbove);
    EXPECT_EQ(10, a.headingTop);
    EXPECT_EQ(80, a.headingBottom);
    EXPECT_EQ(2, a.shadowShift);
    EXPECT_EQ(-3, a.headingShift);
    EXPECT_EQ(28, a.headingFontHeight);
    EXPECT_EQ(-11, a.textFontHeight);
    EXPECT_EQ(80, a.versionBand[0]);
    EXPECT_EQ(65, a.versionBand[1]);
    EXPECT_EQ(65, a.buildBand[0]);
    EXPECT_EQ(50, a.buildBand[1]);
    EXPECT_EQ(30, a.copyrightBand[0]);
    EXPECT_EQ(15, a.copyrightBand[1]);

    for (int dpi : kScales) {
        const AboutLayout s = AboutLayoutFor(dpi);
        // Bands meet where they met, each as high as its text: a line's cell is about 1.2 times
        // the character height the font asks for.
        EXPECT_EQ(s.versionBand[1], s.buildBand[0]) << dpi;
        for (const int* band : {s.versionBand, s.buildBand, s.copyrightBand}) {
            EXPECT_GE((band[0] - band[1]) * 10, -s.textFontHeight * 12) << dpi;
        }
        EXPECT_GE(s.headingFontHeight * 96, 28 * dpi - 48) << dpi;
        // The least client leaves the heading a band as high as its font.
        const int frameBottom = s.minClientHeight - s.frameBottom;
        EXPECT_GE(frameBottom - s.headingBottom - (s.margin + s.headingTop), s.headingFontHeight)
            << dpi;
        EXPECT_EQ(s.shadowShift + s.headingShift, -ScaleToDpi(1, dpi)) << dpi;
    }
}

} // namespace
