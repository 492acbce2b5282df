// System colours of the host simulation: the classic Windows scheme, fixed, so derived shades have
// known values in tests.
#include "platform/host/HostWin32.h"

namespace {

struct SystemColour {
    int index;
    DWORD colour;
};

const SystemColour kClassicScheme[] = {
    {COLOR_WINDOW, RGB(255, 255, 255)},   {COLOR_MENUTEXT, RGB(0, 0, 0)},
    {COLOR_HIGHLIGHT, RGB(0, 0, 128)},    {COLOR_BTNFACE, RGB(192, 192, 192)},
    {COLOR_GRAYTEXT, RGB(128, 128, 128)}, {COLOR_3DDKSHADOW, RGB(0, 0, 0)},
};

} // namespace

DWORD WINAPI GetSysColor(int nIndex) {
    for (const SystemColour& entry : kClassicScheme) {
        if (entry.index == nIndex) {
            return entry.colour;
        }
    }
    // Unknown indices are black, as on Windows.
    return 0;
}
