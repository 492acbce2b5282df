// Shades of the system colours, derived in a packed hue/lightness/saturation model, and the linear
// blend behind the gradients. Pure arithmetic: it builds on the host as well as on Windows.
#pragma once

#include "platform/win32.h"

// Byte 0 hue (0..255 for 0..360 degrees), byte 1 lightness, byte 2 saturation, byte 3 zero.
// Not the channel order of a COLORREF: the two are never interchangeable.
typedef DWORD HlsColor;

HlsColor RgbToHls(COLORREF rgb);
COLORREF HlsToRgb(HlsColor hls);
int HueToChannel(float m1, float m2, float hue);

// Percentages between 0 and 100 keep every byte in range; others are clamped to the byte.
HlsColor HlsLighten(HlsColor hls, int percent);
HlsColor HlsDarken(HlsColor hls, int percent);
HlsColor HlsScaleSaturation(HlsColor hls, int percent);

typedef HlsColor (*HlsAdjustment)(HlsColor hls, int percent);

// The system colour sysColorIndex with one adjustment, or two when then is given. Computed afresh
// at every call so a change of the system colours shows at the next paint.
COLORREF DeriveColor(int sysColorIndex, HlsAdjustment adjust, int percent,
                     HlsAdjustment then = nullptr, int thenPercent = 0);

// Step i of n from one colour toward another; step 0 is the from colour. n of 0 gives from.
COLORREF BlendColor(COLORREF from, COLORREF to, unsigned n, unsigned i);
