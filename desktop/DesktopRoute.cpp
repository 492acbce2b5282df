// The face of capture and apply: each operation goes through the shell's folder view when it can,
// and through the desktop's list view when it cannot or when the shell fails before anything
// moved. One operation keeps to one route: once the shell was asked to place icons, a failure ends
// the operation, as the list view's failures do.
#include "desktop/DesktopLayout.h"
#include "desktop/ShellCoordinates.h"

const char* CDesktopLayout::CaptureLayout(int* complete) {
    int whole = 0;
    lastRoute = kRouteNone;
    ClearCapture();
    if (desktopRoute != kRouteListView && BeginShellRoute() && CaptureThroughShell(&whole)) {
        lastRoute = kRouteShell;
    } else if (desktopRoute != kRouteShell) {
        lastRoute = kRouteListView;
    }
    if (lastRoute == kRouteListView) {
        CaptureThroughListView(&whole);
    } else if (lastRoute == kRouteNone) {
        ClearCapture();
    }
    if (complete) {
        *complete = whole;
    }
    return CaptureText();
}

int CDesktopLayout::ApplyLayout(const char* text) {
    int moved = 0;
    lastRoute = kRouteNone;
    if (desktopRoute != kRouteListView && BeginShellRoute() && ApplyThroughShell(text, &moved)) {
        lastRoute = kRouteShell;
        return moved;
    }
    if (desktopRoute == kRouteShell) {
        return 0;
    }
    lastRoute = kRouteListView;
    return ApplyThroughListView(text);
}

// 1 when the shell's view of the desktop that the list-view route finds is at hand. The worker
// and its view are kept from one operation to the next, while the same process owns the desktop.
// A worker whose call was given up is kept until it has ended: while it is still inside the shell,
// a new one would only hang where it hangs, a thread more and a bound's wait each time.
int CDesktopLayout::BeginShellRoute() {
    if (shellWorker && shellWorker->IsGivenUp()) {
        if (!shellWorker->HasEnded()) {
            return 0;
        }
        LetShellWorker();
    }
    HWND defView = FindDesktopDefView();
    DWORD owner = 0;
    if (defView) {
        GetWindowThreadProcessId(defView, &owner);
    }
    if (!defView || owner == 0) {
        return 0;
    }
    if (defView == shellRefusedWindow && owner == shellRefusedOwner) {
        return 0;
    }
    shellRefusedWindow = nullptr;
    shellRefusedOwner = 0;
    if (shellWorker && owner != shellOwner) {
        LetShellWorker();
    }
    if (!shellWorker) {
        shellWorker = CShellWorker::Start(shellViewSource, shellViewContext, shellCallBoundMs);
        if (!shellWorker) {
            return 0;
        }
        shellOwner = owner;
        HWND viewWindow = nullptr;
        if (!ShellSucceeded(shellWorker->Connect(&viewWindow))) {
            return 0;
        }
        shellViewWindow = viewWindow;
    }
    // Another window, or none, is another desktop: under Wine, the shell's own empty one.
    if (shellViewWindow != defView) {
        shellRefusedWindow = defView;
        shellRefusedOwner = owner;
        LetShellWorker();
        return 0;
    }
    return 1;
}

// A failed call ends the route's use for this operation. A shell that ended or restarted
// (RPC_E_DISCONNECTED, RPC_S_SERVER_UNAVAILABLE), or any other failure lets the worker go, so the
// next operation finds the view again; a call given up keeps its worker until it has ended; a view
// that does not implement a call (E_NOTIMPL), or a system without the shell's windows object, is
// not asked again while the same shell stands.
int CDesktopLayout::ShellSucceeded(HRESULT hr) {
    if (SUCCEEDED(hr)) {
        return 1;
    }
    if (shellWorker->IsGivenUp()) {
        return 0;
    }
    if (hr == E_NOTIMPL || hr == REGDB_E_CLASSNOTREG) {
        shellRefusedWindow = FindDesktopDefView();
        shellRefusedOwner = shellOwner;
    }
    LetShellWorker();
    return 0;
}

void CDesktopLayout::LetShellWorker() {
    if (shellWorker) {
        shellWorker->Let();
    }
    shellWorker = nullptr;
    shellOwner = 0;
    shellViewWindow = nullptr;
}

// 1 when the shell served the capture; 0, with nothing kept, when the list view is to serve it.
int CDesktopLayout::CaptureThroughShell(int* complete) {
    int count = 0;
    if (!ShellSucceeded(shellWorker->CountItems(&count))) {
        return 0;
    }
    char name[kIconNameBytes];
    bool whole = true;
    for (int item = 0; item < count && whole; item++) {
        POINT shellPoint;
        if (!ShellSucceeded(shellWorker->ReadName(item, name)) ||
            !ShellSucceeded(shellWorker->ReadPosition(item, &shellPoint))) {
            ClearCapture();
            return 0;
        }
        POINT position = ListViewPointOfShellPoint(shellPoint);
        whole = AppendTriple(name, position.x, position.y);
    }
    *complete = whole;
    return 1;
}

// Passes as the list view's: repeated while the last one moved something, up to kMaxApplyPasses.
// 1 when the shell served the apply, with moved set; 0 when nothing was placed and the list view
// is to serve it.
int CDesktopLayout::ApplyThroughShell(const char* text, int* moved) {
    shellPlaced = 0;
    int totalMoves = 0;
    for (int pass = 0; pass < kMaxApplyPasses; pass++) {
        int moves = 0;
        if (!RunShellApplyPass(text, &moves)) {
            if (!shellPlaced) {
                return 0;
            }
            break;
        }
        totalMoves += moves;
        if (moves == 0) {
            break;
        }
    }
    // A placing call that failed may still have moved icons: there is something to undo.
    *moved = totalMoves > 0 || shellPlaced ? 1 : 0;
    return 1;
}
