#include "ui/TrayCallback.h"

#include <gtest/gtest.h>

#include <cstdint>

namespace {

const unsigned kIcon = 1;
// Events the callback also carries, which open nothing: WM_MOUSEMOVE, WM_LBUTTONDOWN,
// WM_RBUTTONDOWN, WM_LBUTTONDBLCLK, NIN_BALLOONSHOW, NIN_POPUPOPEN.
const unsigned kOtherEvents[] = {0x0200, 0x0201, 0x0204, 0x0203, 0x0402, 0x0406};

// Version 4's parameters, as the shell builds them.
intptr_t Event4(unsigned event, unsigned icon = kIcon) {
    return static_cast<intptr_t>(static_cast<uint32_t>((icon << 16) | (event & 0xFFFF)));
}
uintptr_t Anchor(int x, int y) {
    return static_cast<uintptr_t>((static_cast<uint32_t>(y & 0xFFFF) << 16) |
                                  static_cast<uint32_t>(x & 0xFFFF));
}

TrayMenuRequest::Where WhereOf(uintptr_t wParam, intptr_t lParam) {
    return ReadTrayCallback(wParam, lParam, kIcon).where;
}

// Other programs, shells of old and the program tests post this form: it opens as it always did.
TEST(TrayCallback, OldFormOpensAtThePointerOnEitherButtonsRelease) {
    EXPECT_EQ(TrayMenuRequest::kAtPointer, WhereOf(kIcon, kTrayLeftButtonUp));
    EXPECT_EQ(TrayMenuRequest::kAtPointer, WhereOf(kIcon, kTrayRightButtonUp));
    for (unsigned event : kOtherEvents) {
        EXPECT_EQ(TrayMenuRequest::kNone, WhereOf(kIcon, event)) << event;
    }
    // Another icon's release, and the version 4 events in the old form's place.
    EXPECT_EQ(TrayMenuRequest::kNone, WhereOf(2, kTrayLeftButtonUp));
    EXPECT_EQ(TrayMenuRequest::kNone, WhereOf(0, kTrayRightButtonUp));
    EXPECT_EQ(TrayMenuRequest::kNone, WhereOf(kIcon, kTraySelect));
    EXPECT_EQ(TrayMenuRequest::kNone, WhereOf(kIcon, -1));
}

// The keyboard's Enter or Space, and the shell's answers to a click, open at the icon; the
// anchor may lie left of or above the primary monitor.
TEST(TrayCallback, VersionFourOpensOnSelectionAndContextMenuAtTheAnchor) {
    const struct {
        int x;
        int y;
    } anchors[] = {{1830, 1060}, {-1280, -24}, {0, 0}, {32767, -32768}};
    for (unsigned event : {kTraySelect, kTrayKeySelect, kTrayContextMenu}) {
        for (const auto& at : anchors) {
            const TrayMenuRequest request =
                ReadTrayCallback(Anchor(at.x, at.y), Event4(event), kIcon);
            EXPECT_EQ(TrayMenuRequest::kAtAnchor, request.where) << event;
            EXPECT_EQ(at.x, request.x) << event;
            EXPECT_EQ(at.y, request.y) << event;
        }
    }
}

// In version 4 the releases are followed by NIN_SELECT or WM_CONTEXTMENU, which open the menu:
// a release that opened it too would open two for one click. That holds for an anchor that looks
// like the old form's id, the top left pixel's neighbour.
TEST(TrayCallback, VersionFourReleasesAndOtherEventsOpenNothing) {
    for (uintptr_t anchor : {Anchor(1, 0), Anchor(700, 500)}) {
        EXPECT_EQ(TrayMenuRequest::kNone, WhereOf(anchor, Event4(kTrayLeftButtonUp))) << anchor;
        EXPECT_EQ(TrayMenuRequest::kNone, WhereOf(anchor, Event4(kTrayRightButtonUp))) << anchor;
        for (unsigned event : kOtherEvents) {
            EXPECT_EQ(TrayMenuRequest::kNone, WhereOf(anchor, Event4(event))) << event;
        }
    }
    // Another icon's selection.
    EXPECT_EQ(TrayMenuRequest::kNone, WhereOf(Anchor(5, 5), Event4(kTraySelect, 2)));
}

} // namespace
