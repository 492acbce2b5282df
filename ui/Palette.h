// The colours the menu and the About box draw with, written once. The menu's are derived from the
// system colours afresh at every use, so a change of them shows at once.
#pragma once

#include "ui/ColorModel.h"

inline COLORREF MenuBackground() {
    return DeriveColor(COLOR_BTNFACE, HlsLighten, 75);
}
// Where the icon column's gradient starts; it ends in the menu's background.
inline COLORREF IconColumnStart() {
    return DeriveColor(COLOR_HIGHLIGHT, HlsLighten, 20);
}
inline COLORREF HighlightFill() {
    return DeriveColor(COLOR_HIGHLIGHT, HlsLighten, 70, HlsScaleSaturation, 43);
}
inline COLORREF MenuBarSelectedFill() {
    return DeriveColor(COLOR_BTNFACE, HlsLighten, 20);
}
inline COLORREF MenuBarShadow() {
    return DeriveColor(COLOR_BTNFACE, HlsDarken, 90);
}
inline COLORREF SeparatorLine() {
    return DeriveColor(COLOR_BTNFACE, HlsDarken, 82);
}
inline COLORREF ImageShadow() {
    return DeriveColor(COLOR_BTNFACE, HlsDarken, 73);
}

// The About box's heading: black over a grey shadow.
const COLORREF kHeadingInk = RGB(0, 0, 0);
const COLORREF kHeadingShadow = RGB(170, 170, 170);
