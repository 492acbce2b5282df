#include "ui/TrayCallback.h"

namespace {

unsigned LowWord(uintmax_t value) {
    return static_cast<unsigned>(value & 0xFFFF);
}

unsigned HighWord(uintmax_t value) {
    return static_cast<unsigned>((value >> 16) & 0xFFFF);
}

// A coordinate left of or above the primary monitor is negative.
int SignedWord(unsigned word) {
    return static_cast<int16_t>(static_cast<uint16_t>(word));
}

bool OpensFromVersionFour(unsigned event) {
    return event == kTraySelect || event == kTrayKeySelect || event == kTrayContextMenu;
}

} // namespace

// Version 4's form is told apart by the id in lParam's high word, which the old form (a message
// number there) never has; it is read first, since its anchor may be any value, the id among
// them. An id of 0 could not be told from the old form: such an icon is read in the old form.
TrayMenuRequest ReadTrayCallback(uintptr_t wParam, intptr_t lParam, unsigned iconId) {
    const uintmax_t event = static_cast<uintptr_t>(lParam);
    if (HighWord(event) == iconId && iconId != 0) {
        if (!OpensFromVersionFour(LowWord(event))) {
            return {TrayMenuRequest::kNone, 0, 0};
        }
        return {TrayMenuRequest::kAtAnchor, SignedWord(LowWord(wParam)),
                SignedWord(HighWord(wParam))};
    }
    if (wParam == iconId && (lParam == kTrayLeftButtonUp || lParam == kTrayRightButtonUp)) {
        return {TrayMenuRequest::kAtPointer, 0, 0};
    }
    return {TrayMenuRequest::kNone, 0, 0};
}
