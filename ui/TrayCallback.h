// What a tray icon's callback message asks of the window: whether to open the menu, and where.
// Plain arithmetic on the message's parameters: it builds on the host as well as on Windows.
//
// The callback comes in two forms. The old one, which shells that know no newer version send
// and other programs post: wParam the icon's id, lParam the mouse message. Version 4's: wParam
// the icon's anchor in screen coordinates (x in the low word, y in the high one, each signed),
// lParam the event in its low word and the icon's id in its high one.
#pragma once

#include <cstdint>

// The events the callback carries, numbered as the SDK numbers them (WM_LBUTTONUP, WM_RBUTTONUP,
// WM_CONTEXTMENU, NIN_SELECT, NIN_KEYSELECT).
const unsigned kTrayLeftButtonUp = 0x0202;
const unsigned kTrayRightButtonUp = 0x0205;
const unsigned kTrayContextMenu = 0x007B;
const unsigned kTraySelect = 0x0400;
const unsigned kTrayKeySelect = 0x0401;

struct TrayMenuRequest {
    enum Where { kNone, kAtPointer, kAtAnchor };
    // Where the menu opens; kNone for a callback that opens nothing.
    Where where;
    // The anchor, for kAtAnchor.
    int x;
    int y;
};

// The old form opens the menu at the pointer on either button's release. In version 4's the
// shell follows a left release with NIN_SELECT and a right one with WM_CONTEXTMENU, and Enter or
// Space on the focused icon gives NIN_KEYSELECT: those three open it at the anchor and the
// releases open nothing, so one click opens one menu. Anything else, another icon's included,
// opens nothing.
TrayMenuRequest ReadTrayCallback(uintptr_t wParam, intptr_t lParam, unsigned iconId);
