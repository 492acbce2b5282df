#include "desktop/DesktopReadiness.h"

CDesktopReadiness::CDesktopReadiness() : waiting(false), since(0), lastCount(-1) {}

void CDesktopReadiness::Begin(DWORD now) {
    if (waiting) {
        return;
    }
    waiting = true;
    since = now;
    lastCount = -1;
}

// The tick count wraps after 49.7 days; the difference of two counts does not.
CDesktopReadiness::State CDesktopReadiness::Look(int iconCount, DWORD now) {
    if (!waiting) {
        return kIdle;
    }
    int previous = lastCount;
    lastCount = iconCount > 0 ? iconCount : -1;
    if (previous > 0 && iconCount == previous) {
        return kReady;
    }
    return now - since >= kDesktopReadyWaitMs ? kGaveUp : kWaiting;
}

void CDesktopReadiness::End() {
    waiting = false;
    lastCount = -1;
}
