// System colours of the host simulation: the classic Windows scheme, fixed, so derived shades have
// known values in tests.
#include "platform/host/HostWin32.h"

DWORD WINAPI GetSysColor(int nIndex) {
    switch (nIndex) {
    case COLOR_WINDOW:
        return RGB(255, 255, 255);
    case COLOR_MENUTEXT:
        return RGB(0, 0, 0);
    case COLOR_HIGHLIGHT:
        return RGB(0, 0, 128);
    case COLOR_BTNFACE:
        return RGB(192, 192, 192);
    case COLOR_GRAYTEXT:
        return RGB(128, 128, 128);
    case COLOR_3DDKSHADOW:
        return RGB(0, 0, 0);
    default:
        // Unknown indices are black, as on Windows.
        return 0;
    }
}
