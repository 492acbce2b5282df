// The face of capture and apply: each operation goes through the shell's folder view when it can.
// A capture that the shell fails goes through the desktop's list view, which reads as well. An
// apply goes there only when the shell route is closed: since Windows 10 1809 the shell moves back
// what the list view was told. After a failure that may pass, a user's apply finds the shell again
// once, at once, and only then takes the list view; an apply nobody asked for moves nothing and
// is tried again later. One operation keeps to one route: once the shell was asked to place icons,
// a failure ends the operation, as the list view's failures do.
#include "desktop/DesktopLayout.h"
#include "desktop/LayoutEntries.h"

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
    captureRoute = lastRoute;
    captureConnection = lastRoute == kRouteShell ? shellRoute.Connection() : processId;
    if (complete) {
        *complete = whole;
    }
    return CaptureText();
}

int CDesktopLayout::ApplyLayout(const char* text) {
    int moved = 0;
    ApplyFor(text, kAskedByUser, ApplyStart{nullptr, false}, &moved);
    return moved;
}

int CDesktopLayout::ApplyFor(const char* text, ApplyAsker asker, ApplyStart start, int* moved) {
    *moved = 0;
    lastRoute = kRouteNone;
    CLayoutEntries entries(text);
    ShellRouteState shell = TryApplyThroughShell(entries.List(), start, moved);
    if (shell == kShellNotYet && asker == kAskedByUser) {
        shell = TryApplyThroughShell(entries.List(), start, moved);
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
        *moved = ApplyThroughListView(entries.List(), start);
    }
    return 1;
}

// kShellReady when the shell served the apply, with moved set; else the route as it stands.
ShellRouteState CDesktopLayout::TryApplyThroughShell(const CPtrList& entries, ApplyStart start,
                                                     int* moved) {
    if (desktopRoute == kRouteListView) {
        return kShellClosed;
    }
    ShellRouteState state = BeginShellRoute();
    if (state == kShellReady && !ApplyThroughShell(entries, start, moved)) {
        state = shellRoute.AfterFailure();
    }
    return state;
}

void CDesktopLayout::ForgetShellCoordinates() {
    shellRoute.ForgetCoordinates();
}

ShellRouteState CDesktopLayout::BeginShellRoute() {
    return shellRoute.Begin(FindDesktopDefView(), shellViewSource, shellViewContext,
                            shellCallBoundMs);
}

// The count every operation through the shell begins with; item indexes refer to it.
int CDesktopLayout::CountShellItems(int* count) {
    return shellRoute.CountItems(count) && CheckShellCoordinates(*count);
}

// A few icons read both ways tell how the shell's points stand to the list view's. The list view
// is read before the shell and again after it: an icon that moved meanwhile (the shell arranges
// them after a change of the displays) proves nothing either way, and this operation does not go
// through the shell, as after any failure that may pass. Points that do not agree close the shell
// route until the displays change. 0 when the shell route is not to serve. The user's choice of
// the shell alone keeps the list view out of it, and the points as they are.
int CDesktopLayout::CheckShellCoordinates(int count) {
    if (!shellRoute.NeedsCoordinateCheck() || desktopRoute == kRouteShell) {
        return 1;
    }
    ProbedIcon listView[kCoordinateProbeIcons];
    ProbedIcon shell[kCoordinateProbeIcons];
    int listViewCount = ProbeListView(listView);
    int shellCount = 0;
    if (!shellRoute.Probe(count, shell, &shellCount) ||
        !ListViewProbeStands(listView, listViewCount)) {
        return 0;
    }
    ShellCoordinates found = {0, 0};
    ShellCoordinateEvidence evidence =
        CompareProbedIcons(listView, listViewCount, shell, shellCount, &found);
    return shellRoute.TakeCoordinateEvidence(evidence, found);
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

// 1 when the shell served the capture; 0, with nothing kept, when the list view is to serve it.
int CDesktopLayout::CaptureThroughShell(int* complete) {
    int count = 0;
    if (!CountShellItems(&count)) {
        return 0;
    }
    char name[kIconNameBytes];
    bool whole = true;
    for (int item = 0; item < count && whole; item++) {
        POINT position;
        if (!shellRoute.ReadName(item, name) || !shellRoute.ReadPosition(item, &position)) {
            ClearCapture();
            return 0;
        }
        whole = AppendTriple(name, position.x, position.y);
    }
    *complete = whole;
    return 1;
}
