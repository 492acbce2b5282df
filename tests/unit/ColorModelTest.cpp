#include "ui/ColorModel.h"

#include <gtest/gtest.h>

namespace {

HlsColor Hls(int hue, int lightness, int saturation) {
    return static_cast<HlsColor>(hue | lightness << 8 | saturation << 16);
}

TEST(ColorModel, LightGreyAndItsShades) {
    const HlsColor grey = RgbToHls(RGB(192, 192, 192));
    EXPECT_EQ(Hls(0, 192, 0), grey);
    EXPECT_EQ(Hls(0, 239, 0), HlsLighten(grey, 75));
    EXPECT_EQ(RGB(239, 239, 239), HlsToRgb(HlsLighten(grey, 75)));
    EXPECT_EQ(Hls(0, 204, 0), HlsLighten(grey, 20));
    EXPECT_EQ(Hls(0, 172, 0), HlsDarken(grey, 90));
    EXPECT_EQ(Hls(0, 157, 0), HlsDarken(grey, 82));
    EXPECT_EQ(Hls(0, 140, 0), HlsDarken(grey, 73));
}

TEST(ColorModel, BlackAndWhite) {
    const HlsColor black = RgbToHls(RGB(0, 0, 0));
    EXPECT_EQ(Hls(0, 0, 0), black);
    EXPECT_EQ(black, HlsDarken(black, 73));
    EXPECT_EQ(RGB(191, 191, 191), HlsToRgb(HlsLighten(black, 75)));

    const HlsColor white = RgbToHls(RGB(255, 255, 255));
    EXPECT_EQ(Hls(0, 255, 0), white);
    EXPECT_EQ(white, HlsLighten(white, 75));
    EXPECT_EQ(RGB(255, 255, 255), HlsToRgb(white));
}

TEST(ColorModel, PureRedKeepsHue360AndLosesOneUnit) {
    const HlsColor red = RgbToHls(RGB(255, 0, 0));
    EXPECT_EQ(Hls(255, 127, 255), red);
    EXPECT_EQ(RGB(254, 0, 0), HlsToRgb(red));
}

TEST(ColorModel, EveryGreyRoundTrips) {
    for (int v = 0; v <= 255; ++v) {
        const COLORREF grey = RGB(v, v, v);
        EXPECT_EQ(grey, HlsToRgb(RgbToHls(grey))) << "grey " << v;
    }
}

TEST(ColorModel, TiedMaximaGiveOneHue) {
    // Yellow: red and green tie; either formula gives 60 degrees.
    EXPECT_EQ(42, static_cast<int>(RgbToHls(RGB(255, 255, 0)) & 0xFF));
    // Magenta: red and blue tie at 300 degrees.
    EXPECT_EQ(212, static_cast<int>(RgbToHls(RGB(255, 0, 255)) & 0xFF));
}

TEST(ColorModel, AdjustmentsTouchOnlyTheirByte) {
    const HlsColor colour = Hls(0xAB, 0x40, 0xCD);
    EXPECT_EQ(Hls(0xAB, 0x40 + (255 - 0x40) * 70 / 100, 0xCD), HlsLighten(colour, 70));
    EXPECT_EQ(Hls(0xAB, 0x40 * 90 / 100, 0xCD), HlsDarken(colour, 90));
    EXPECT_EQ(Hls(0xAB, 0x40, 0xCD * 43 / 100), HlsScaleSaturation(colour, 43));
    // Out-of-range percentages stay inside the byte instead of spilling into the next one.
    EXPECT_EQ(Hls(0xAB, 255, 0xCD), HlsLighten(colour, 250));
    EXPECT_EQ(Hls(0xAB, 0x40, 0), HlsScaleSaturation(colour, -50));
}

TEST(ColorModel, DeriveColorShadesTheSystemColourOfTheMoment) {
    const HlsColor face = RgbToHls(GetSysColor(COLOR_BTNFACE));
    EXPECT_EQ(HlsToRgb(HlsLighten(face, 75)), DeriveColor(COLOR_BTNFACE, HlsLighten, 75));
    const HlsColor highlight = RgbToHls(GetSysColor(COLOR_HIGHLIGHT));
    EXPECT_EQ(HlsToRgb(HlsScaleSaturation(HlsLighten(highlight, 70), 43)),
              DeriveColor(COLOR_HIGHLIGHT, HlsLighten, 70, HlsScaleSaturation, 43));
#ifndef _WIN32
    // The host's system colours are the classic scheme: button face RGB(192, 192, 192).
    EXPECT_EQ(RGB(239, 239, 239), DeriveColor(COLOR_BTNFACE, HlsLighten, 75));
    EXPECT_EQ(RGB(157, 157, 157), DeriveColor(COLOR_BTNFACE, HlsDarken, 82));
#endif
}

TEST(ColorModel, BlendColorTruncatesTowardTheStart) {
    EXPECT_EQ(RGB(127, 127, 127), BlendColor(RGB(0, 0, 0), RGB(255, 255, 255), 22, 11));
    EXPECT_EQ(RGB(128, 128, 128), BlendColor(RGB(255, 255, 255), RGB(0, 0, 0), 2, 1));
    EXPECT_EQ(RGB(10, 20, 30), BlendColor(RGB(10, 20, 30), RGB(200, 100, 0), 22, 0));
    // Channels move independently and the last step stops short of the end colour.
    EXPECT_EQ(RGB(191, 96, 2), BlendColor(RGB(10, 20, 30), RGB(200, 100, 0), 22, 21));
    EXPECT_EQ(RGB(10, 20, 30), BlendColor(RGB(10, 20, 30), RGB(200, 100, 0), 0, 0));
}

} // namespace
