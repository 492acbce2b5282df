#include "ui/ColorModel.h"

namespace {

// The fractions are applied as their single-precision values: the hue and lightness bytes of the
// boundary colours (pure red packs to hue 255, lightness 127) depend on it.
const float kInv510 = 0.0019607844f;
const float kInv255 = 0.003921569f;
const float kInv60 = 0.016666668f;
const float kInv360 = 0.0027777778f;

int HueByte(HlsColor hls) {
    return static_cast<int>(hls & 0xFF);
}
int LightnessByte(HlsColor hls) {
    return static_cast<int>((hls >> 8) & 0xFF);
}
int SaturationByte(HlsColor hls) {
    return static_cast<int>((hls >> 16) & 0xFF);
}

HlsColor PackHls(int hue, int lightness, int saturation) {
    return static_cast<HlsColor>(hue & 0xFF) | static_cast<HlsColor>(lightness & 0xFF) << 8 |
           static_cast<HlsColor>(saturation & 0xFF) << 16;
}

int ClampByte(int value) {
    if (value < 0) {
        return 0;
    }
    return value > 255 ? 255 : value;
}

// Hue in degrees of a colour that is not grey; the later matching channel wins a tie, which gives
// the same hue anyway.
float HueDegrees(int r, int g, int b, int max, float delta) {
    const double inverse = 1.0 / delta;
    const float dR = static_cast<float>((max - r) * inverse);
    const float dG = static_cast<float>((max - g) * inverse);
    const float dB = static_cast<float>((max - b) * inverse);
    float hue = 0.0f;
    if (r == max) {
        hue = static_cast<float>((6.0 + dB - dG) * 60.0);
    }
    if (g == max) {
        hue = static_cast<float>((2.0 + dR - dB) * 60.0);
    }
    if (b == max) {
        hue = static_cast<float>((4.0 + dG - dR) * 60.0);
    }
    // Exactly 360 is kept, so pure red packs to hue byte 255.
    if (hue > 360.0f) {
        hue = static_cast<float>(hue - 360.0);
    }
    return hue;
}

} // namespace

HlsColor RgbToHls(COLORREF rgb) {
    const int r = GetRValue(rgb);
    const int g = GetGValue(rgb);
    const int b = GetBValue(rgb);
    const int max = r > g ? (r > b ? r : b) : (g > b ? g : b);
    const int min = r < g ? (r < b ? r : b) : (g < b ? g : b);
    const float sum = static_cast<float>(max + min);
    const float delta = static_cast<float>(max - min);
    const float lightness = static_cast<float>(static_cast<double>(sum) * kInv510);
    float hue = 0.0f;
    float saturation = 0.0f;
    if (max != min) {
        saturation = lightness <= 0.5f ? static_cast<float>(static_cast<double>(delta) / sum)
                                       : static_cast<float>(delta / (510.0 - sum));
        hue = HueDegrees(r, g, b, max, delta);
    }
    return PackHls(static_cast<int>(static_cast<double>(hue) * 255.0 * kInv360),
                   static_cast<int>(static_cast<double>(lightness) * 255.0),
                   static_cast<int>(static_cast<double>(saturation) * 255.0));
}

int HueToChannel(float m1, float m2, float hue) {
    if (hue > 360.0f) {
        hue = static_cast<float>(hue - 360.0);
    } else if (hue < 0.0f) {
        hue = static_cast<float>(hue + 360.0);
    }
    const double span = static_cast<double>(m2) - m1;
    double value;
    if (hue < 60.0f) {
        value = m1 + span * hue * kInv60;
    } else if (hue < 180.0f) {
        value = m2;
    } else if (hue < 240.0f) {
        value = m1 + span * (240.0 - hue) * kInv60;
    } else {
        value = m1;
    }
    return static_cast<int>(value * 255.0);
}

COLORREF HlsToRgb(HlsColor hls) {
    const float h = static_cast<float>(HueByte(hls) * 360.0 * kInv255);
    const float l = static_cast<float>(LightnessByte(hls) * static_cast<double>(kInv255));
    const float s = static_cast<float>(SaturationByte(hls) * static_cast<double>(kInv255));
    if (SaturationByte(hls) == 0) {
        // The lightness byte itself, so every grey survives the round trip.
        const int grey = LightnessByte(hls);
        return RGB(grey, grey, grey);
    }
    const float m2 =
        l <= 0.5f ? static_cast<float>(static_cast<double>(l) * (1.0 + s))
                  : static_cast<float>(static_cast<double>(l) + s - static_cast<double>(l) * s);
    const float m1 = static_cast<float>(2.0 * l - m2);
    const float redHue = static_cast<float>(h + 120.0);
    const float blueHue = static_cast<float>(h - 120.0);
    const int red = ClampByte(HueToChannel(m1, m2, redHue));
    const int green = ClampByte(HueToChannel(m1, m2, h));
    const int blue = ClampByte(HueToChannel(m1, m2, blueHue));
    return RGB(red, green, blue);
}

HlsColor HlsLighten(HlsColor hls, int percent) {
    const int l = LightnessByte(hls);
    return PackHls(HueByte(hls), ClampByte(l + (255 - l) * percent / 100), SaturationByte(hls));
}

HlsColor HlsDarken(HlsColor hls, int percent) {
    const int l = LightnessByte(hls);
    return PackHls(HueByte(hls), ClampByte(l * percent / 100), SaturationByte(hls));
}

HlsColor HlsScaleSaturation(HlsColor hls, int percent) {
    const int s = SaturationByte(hls);
    return PackHls(HueByte(hls), LightnessByte(hls), ClampByte(s * percent / 100));
}

COLORREF DeriveColor(int sysColorIndex, HlsAdjustment adjust, int percent, HlsAdjustment then,
                     int thenPercent) {
    HlsColor hls = RgbToHls(GetSysColor(sysColorIndex));
    if (adjust) {
        hls = adjust(hls, percent);
    }
    if (then) {
        hls = then(hls, thenPercent);
    }
    return HlsToRgb(hls);
}

COLORREF BlendColor(COLORREF from, COLORREF to, unsigned n, unsigned i) {
    if (n == 0) {
        return from;
    }
    const double t = static_cast<double>(i) / static_cast<double>(n);
    const int red = GetRValue(from) + static_cast<int>((GetRValue(to) - GetRValue(from)) * t);
    const int green = GetGValue(from) + static_cast<int>((GetGValue(to) - GetGValue(from)) * t);
    const int blue = GetBValue(from) + static_cast<int>((GetBValue(to) - GetBValue(from)) * t);
    return RGB(ClampByte(red), ClampByte(green), ClampByte(blue));
}
