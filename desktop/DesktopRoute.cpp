// The face of capture and apply: each operation goes through the shell's folder view when it can.
// A capture that the shell fails goes through the desktop's list view, which reads as well. An
// apply goes there only when the shell route is closed: since Windows 10 1809 the shell moves back
// what the list view was told. After a failure that may pass, a user's apply finds the shell again
// once, at once, and only then takes the list view; an apply nobody asked for moves nothing and
// is tried again later. One operation keeps to one route: once the shell was asked to place icons,
// a failure ends the operation, as the list view's failures do.
#include "desktop/DesktopLayout.h"

const char* CDesktopLayout::CaptureLayout(int* complete) {
    int whole = 0;
    lastRoute = kRouteNone;
    ClearCapture();
    if (desktopRoute != kRouteListView && BeginShellRoute() == kShellReady &&
        CaptureThroughShell(&whole)) {
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
    ApplyFor(text, kAskedByUser, &moved);
    return moved;
}

int CDesktopLayout::ApplyFor(const char* text, ApplyAsker asker, int* moved) {
    *moved = 0;
    lastRoute = kRouteNone;
    ShellRouteState shell = TryApplyThroughShell(text, moved);
    if (shell == kShellNotYet && asker == kAskedByUser) {
        shell = TryApplyThroughShell(text, moved);
    }
    if (shell == kShellReady) {
        lastRoute = kRouteShell;
        return 1;
    }
    if (shell == kShellNotYet && asker == kAskedByNobody) {
        return 0;
    }
    if (desktopRoute != kRouteShell) {
        lastRoute = kRouteListView;
        *moved = ApplyThroughListView(text);
    }
    return 1;
}

// kShellReady when the shell served the apply, with moved set; else the route as it stands.
CDesktopLayout::ShellRouteState CDesktopLayout::TryApplyThroughShell(const char* text, int* moved) {
    if (desktopRoute == kRouteListView) {
        return kShellClosed;
    }
    ShellRouteState state = BeginShellRoute();
    if (state == kShellReady && !ApplyThroughShell(text, moved)) {
        state = ShellRouteAfterFailure();
    }
    return state;
}

void CDesktopLayout::ForgetShellCoordinates() {
    shellCoordinateCheck = kCoordinatesUnchecked;
    if (shellRefusedWindow && shellRefusal == kRefusedUntilDisplaysChange) {
        ClearShellRefusal();
    }
}

// The shell's view of the desktop that the list-view route finds, when it is at hand. The worker
// and its view are kept from one operation to the next, while the same process owns the desktop.
// A worker whose call was given up is kept until it has ended: while it is still inside the shell,
// a new one would only hang where it hangs, a thread more and a bound's wait each time.
CDesktopLayout::ShellRouteState CDesktopLayout::BeginShellRoute() {
    if (shellWorker && shellWorker->IsGivenUp()) {
        if (!shellWorker->HasEnded()) {
            return kShellClosed;
        }
        ReleaseShellWorker();
    }
    HWND defView = FindDesktopDefView();
    DWORD owner = 0;
    if (defView) {
        GetWindowThreadProcessId(defView, &owner);
    }
    if (!defView || owner == 0) {
        return kShellNotYet;
    }
    if (defView == shellRefusedWindow && owner == shellRefusedOwner && ShellRefusalStands()) {
        return shellRefusal == kRefusedForAWhile ? kShellNotYet : kShellClosed;
    }
    ClearShellRefusal();
    if (shellWorker && owner != shellOwner) {
        ReleaseShellWorker();
    }
    if (!shellWorker && !ConnectShellWorker(owner)) {
        return ShellRouteAfterFailure();
    }
    // Another window, or none, is another desktop: under Wine, the shell's own empty one.
    if (shellViewWindow != defView) {
        RefuseShell(defView, owner, kRefusedForGood);
        ReleaseShellWorker();
        return kShellClosed;
    }
    if (shellCoordinateCheck == kCoordinatesUnproven) {
        shellCoordinateCheck = kCoordinatesUnchecked;
    }
    return kShellReady;
}

// Every connection learns its coordinates anew: a shell found again may be another one.
int CDesktopLayout::ConnectShellWorker(DWORD owner) {
    shellWorker = CShellWorker::Start(shellViewSource, shellViewContext, shellCallBoundMs);
    if (!shellWorker) {
        return 0;
    }
    shellOwner = owner;
    shellCoordinateCheck = kCoordinatesUnchecked;
    HWND viewWindow = nullptr;
    if (!ShellSucceeded(shellWorker->Connect(&viewWindow))) {
        return 0;
    }
    shellViewWindow = viewWindow;
    return 1;
}

// Any refusal ShellSucceeded or the coordinate check has just recorded is for this desktop.
CDesktopLayout::ShellRouteState CDesktopLayout::ShellRouteAfterFailure() const {
    return shellRefusedWindow && shellRefusal != kRefusedForAWhile ? kShellClosed : kShellNotYet;
}

// The tick count wraps after 49.7 days; the difference of two counts does not.
bool CDesktopLayout::ShellRefusalStands() const {
    return shellRefusal != kRefusedForAWhile ||
           GetTickCount() - shellRefusedAt < static_cast<DWORD>(kShellClassRefusalMs);
}

void CDesktopLayout::RefuseShell(HWND defView, DWORD owner, ShellRefusal reason) {
    shellRefusedWindow = defView;
    shellRefusedOwner = owner;
    shellRefusal = reason;
    shellRefusedAt = GetTickCount();
}

void CDesktopLayout::ClearShellRefusal() {
    shellRefusedWindow = nullptr;
    shellRefusedOwner = 0;
    shellRefusal = kRefusedForGood;
}

// A failed call ends the route's use for this operation. A shell that ended or restarted
// (RPC_E_DISCONNECTED, RPC_S_SERVER_UNAVAILABLE), or any other failure lets the worker go, so the
// next try finds the view again; a call given up keeps its worker until it has ended; a view that
// does not implement a call (E_NOTIMPL) is not asked again while the same shell stands, and a
// shell windows object not registered (yet) not for kShellClassRefusalMs.
int CDesktopLayout::ShellSucceeded(HRESULT hr) {
    if (SUCCEEDED(hr)) {
        return 1;
    }
    if (shellWorker->IsGivenUp()) {
        return 0;
    }
    if (hr == E_NOTIMPL) {
        RefuseShell(FindDesktopDefView(), shellOwner, kRefusedForGood);
    } else if (hr == REGDB_E_CLASSNOTREG) {
        RefuseShell(FindDesktopDefView(), shellOwner, kRefusedForAWhile);
    }
    ReleaseShellWorker();
    return 0;
}

void CDesktopLayout::ReleaseShellWorker() {
    if (shellWorker) {
        shellWorker->Release();
    }
    shellWorker = nullptr;
    shellOwner = 0;
    shellViewWindow = nullptr;
}

// The count every operation through the shell begins with; item indexes refer to it.
int CDesktopLayout::CountShellItems(int* count) {
    return ShellSucceeded(shellWorker->CountItems(count)) && CheckShellCoordinates(*count);
}

// A few icons read both ways tell how the shell's points stand to the list view's. The list view
// is read before the shell and again after it: an icon that moved meanwhile (the shell arranges
// them after a change of the displays) proves nothing either way, and this operation does not go
// through the shell, as after any failure that may pass. Points that do not agree close the shell
// route until the displays change. 0 when the shell route is not to serve. The user's choice of
// the shell alone keeps the list view out of it, and the points as they are.
int CDesktopLayout::CheckShellCoordinates(int count) {
    if (shellCoordinateCheck != kCoordinatesUnchecked || desktopRoute == kRouteShell) {
        return 1;
    }
    shellCoordinates = ShellCoordinates{0, 0};
    ProbedIcon listView[kCoordinateProbeIcons];
    ProbedIcon shell[kCoordinateProbeIcons];
    int listViewCount = ProbeListView(listView);
    int shellCount = 0;
    if (!ProbeShell(count, shell, &shellCount) || !ListViewProbeStands(listView, listViewCount)) {
        return 0;
    }
    shellCoordinateCheck = kCoordinatesUnproven;
    ShellCoordinates found = {0, 0};
    switch (CompareProbedIcons(listView, listViewCount, shell, shellCount, &found)) {
    case kNoCoordinateEvidence:
        return 1;
    case kCoordinatesAgree:
        shellCoordinates = found;
        shellCoordinateCheck = kCoordinatesChecked;
        return 1;
    case kCoordinatesDisagree:
        break;
    }
    RefuseShell(FindDesktopDefView(), shellOwner, kRefusedUntilDisplaysChange);
    ReleaseShellWorker();
    return 0;
}

// The first icons of the list view that read whole, up to kCoordinateProbeIcons; none when it
// cannot be read.
int CDesktopLayout::ProbeListView(ProbedIcon* icons) {
    listViewLost = 0;
    HWND listView = FindDesktopListView();
    if (!BeginListViewAccess(listView)) {
        return 0;
    }
    int count = GetItemCount(listView);
    int probed = 0;
    for (int item = 0; item < count && probed < kCoordinateProbeIcons && !listViewLost; item++) {
        ProbedIcon& icon = icons[probed];
        icon.item = item;
        if (ReadItemText(listView, item, icon.name) &&
            ReadItemPosition(listView, item, &icon.point)) {
            probed++;
        }
    }
    return probed;
}

bool CDesktopLayout::ListViewProbeStands(const ProbedIcon* icons, int count) {
    HWND listView = FindDesktopListView();
    if (count > 0 && !BeginListViewAccess(listView)) {
        return false;
    }
    for (int i = 0; i < count; i++) {
        POINT now;
        if (!ReadItemPosition(listView, icons[i].item, &now) || now.x != icons[i].point.x ||
            now.y != icons[i].point.y) {
            return false;
        }
    }
    return true;
}

// The first icons of the view, up to kCoordinateProbeIcons. 0 when a call failed.
int CDesktopLayout::ProbeShell(int count, ProbedIcon* icons, int* probed) {
    *probed = 0;
    for (int item = 0; item < count && item < kCoordinateProbeIcons; item++) {
        ProbedIcon& icon = icons[item];
        icon.item = item;
        if (!ShellSucceeded(shellWorker->ReadName(item, icon.name)) ||
            !ShellSucceeded(shellWorker->ReadPosition(item, &icon.point))) {
            return 0;
        }
        *probed = item + 1;
    }
    return 1;
}

// 1 when the shell served the capture; 0, with nothing kept, when the list view is to serve it.
int CDesktopLayout::CaptureThroughShell(int* complete) {
    int count = 0;
    if (!CountShellItems(&count)) {
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
        POINT position = ListViewPointOfShellPoint(shellPoint, shellCoordinates);
        whole = AppendTriple(name, position.x, position.y);
    }
    *complete = whole;
    return 1;
}

// Passes as the list view's: repeated while the last one moved something, up to kMaxApplyPasses,
// over the text parsed once.
// 1 when the shell served the apply, with moved set; 0 when nothing was placed.
int CDesktopLayout::ApplyThroughShell(const char* text, int* moved) {
    shellPlaced = 0;
    CPtrList entries;
    ParseLayout(text, &entries);
    int totalMoves = 0;
    int served = 1;
    for (int pass = 0; pass < kMaxApplyPasses; pass++) {
        int moves = 0;
        if (!RunShellApplyPass(entries, &moves)) {
            served = shellPlaced;
            break;
        }
        totalMoves += moves;
        if (moves == 0) {
            break;
        }
    }
    FreeLayoutEntries(&entries);
    // A placing call that failed may still have moved icons: there is something to undo.
    *moved = served && (totalMoves > 0 || shellPlaced) ? 1 : 0;
    return served;
}
