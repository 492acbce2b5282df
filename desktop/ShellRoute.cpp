#include "desktop/ShellRoute.h"

// The worker and its view are kept from one operation to the next, while the same process owns
// the desktop. A worker whose call was given up is kept until it has ended: while it is still
// inside the shell, a new one would only hang where it hangs, a thread more and a bound's wait
// each time.
ShellRouteState CShellRoute::Begin(HWND defView, ShellViewSource source, void* context,
                                   DWORD boundMs) {
    if (!worker.IsEmpty() && worker->IsGivenUp()) {
        if (!worker->HasEnded()) {
            return kShellClosed;
        }
        ReleaseWorker();
    }
    DWORD shellOwner = 0;
    if (defView) {
        GetWindowThreadProcessId(defView, &shellOwner);
    }
    if (!defView || shellOwner == 0) {
        return kShellNotYet;
    }
    desktopWindow = defView;
    if (defView == refusedWindow && shellOwner == refusedOwner && RefusalStands()) {
        return refusal == kRefusedForAWhile ? kShellNotYet : kShellClosed;
    }
    ClearRefusal();
    if (!worker.IsEmpty() && shellOwner != owner) {
        ReleaseWorker();
    }
    if (worker.IsEmpty() && !Connect(shellOwner, source, context, boundMs)) {
        return AfterFailure();
    }
    // Another window, or none, is another desktop: under Wine, the shell's own empty one.
    if (viewWindow != defView) {
        Refuse(defView, shellOwner, kRefusedForGood);
        ReleaseWorker();
        return kShellClosed;
    }
    if (coordinateCheck == kCoordinatesUnproven) {
        coordinateCheck = kCoordinatesUnchecked;
    }
    return kShellReady;
}

// Every connection learns its coordinates anew: a shell found again may be another one.
int CShellRoute::Connect(DWORD shellOwner, ShellViewSource source, void* context, DWORD boundMs) {
    worker.Reset(CShellWorker::Start(source, context, boundMs));
    if (worker.IsEmpty()) {
        return 0;
    }
    owner = shellOwner;
    connection++;
    coordinateCheck = kCoordinatesUnchecked;
    HWND window = nullptr;
    if (!Succeeded(worker->Connect(&window))) {
        return 0;
    }
    viewWindow = window;
    return 1;
}

// Any refusal Succeeded or the coordinate check has just recorded is for this desktop.
ShellRouteState CShellRoute::AfterFailure() const {
    return refusedWindow && refusal != kRefusedForAWhile ? kShellClosed : kShellNotYet;
}

void CShellRoute::ForgetCoordinates() {
    coordinateCheck = kCoordinatesUnchecked;
    if (refusedWindow && refusal == kRefusedUntilDisplaysChange) {
        ClearRefusal();
    }
}

// The tick count wraps after 49.7 days; the difference of two counts does not.
bool CShellRoute::RefusalStands() const {
    return refusal != kRefusedForAWhile ||
           GetTickCount() - refusedAt < static_cast<DWORD>(kShellClassRefusalMs);
}

void CShellRoute::Refuse(HWND defView, DWORD shellOwner, Refusal reason) {
    refusedWindow = defView;
    refusedOwner = shellOwner;
    refusal = reason;
    refusedAt = GetTickCount();
}

void CShellRoute::ClearRefusal() {
    refusedWindow = nullptr;
    refusedOwner = 0;
    refusal = kRefusedForGood;
}

// A failed call ends the route's use for this operation. A shell that ended or restarted
// (RPC_E_DISCONNECTED, RPC_S_SERVER_UNAVAILABLE), or any other failure lets the worker go, so the
// next try finds the view again; a call given up keeps its worker until it has ended; a view that
// does not implement a call (E_NOTIMPL) is not asked again while the same shell stands, and a
// shell windows object not registered (yet) not for kShellClassRefusalMs.
int CShellRoute::Succeeded(HRESULT hr) {
    if (SUCCEEDED(hr)) {
        return 1;
    }
    if (worker->IsGivenUp()) {
        return 0;
    }
    if (hr == E_NOTIMPL) {
        Refuse(desktopWindow, owner, kRefusedForGood);
    } else if (hr == REGDB_E_CLASSNOTREG) {
        Refuse(desktopWindow, owner, kRefusedForAWhile);
    }
    ReleaseWorker();
    return 0;
}

void CShellRoute::ReleaseWorker() {
    worker.Reset();
    owner = 0;
    viewWindow = nullptr;
}

int CShellRoute::CountItems(int* count) {
    return Succeeded(worker->CountItems(count));
}

int CShellRoute::ReadName(int item, char* name) {
    return Succeeded(worker->ReadName(item, name));
}

int CShellRoute::ReadPosition(int item, POINT* position) {
    POINT shellPoint;
    if (!Succeeded(worker->ReadPosition(item, &shellPoint))) {
        return 0;
    }
    *position = ListViewPointOfShellPoint(shellPoint, coordinates);
    return 1;
}

int CShellRoute::Place(int count, const int* items, POINT* points) {
    for (int i = 0; i < count; i++) {
        points[i] = ShellPointOfListViewPoint(points[i].x, points[i].y, coordinates);
    }
    HRESULT hr = worker->Place(count, items, points);
    // A view that does not place at all has moved nothing.
    if (hr != E_NOTIMPL) {
        placed = true;
    }
    return Succeeded(hr);
}

// Read before any conversion is known, so the points are the shell's own.
int CShellRoute::Probe(int count, ProbedIcon* icons, int* probed) {
    coordinates = ShellCoordinates{0, 0};
    *probed = 0;
    for (int item = 0; item < count && item < kCoordinateProbeIcons; item++) {
        ProbedIcon& icon = icons[item];
        icon.item = item;
        if (!ReadName(item, icon.name) || !ReadPosition(item, &icon.point)) {
            return 0;
        }
        *probed = item + 1;
    }
    return 1;
}

int CShellRoute::TakeCoordinateEvidence(ShellCoordinateEvidence evidence, ShellCoordinates found) {
    coordinateCheck = kCoordinatesUnproven;
    switch (evidence) {
    case kNoCoordinateEvidence:
        return 1;
    case kCoordinatesAgree:
        coordinates = found;
        coordinateCheck = kCoordinatesChecked;
        return 1;
    case kCoordinatesDisagree:
        break;
    }
    Refuse(desktopWindow, owner, kRefusedUntilDisplaysChange);
    ReleaseWorker();
    return 0;
}
