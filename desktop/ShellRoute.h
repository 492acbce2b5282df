// The way to the desktop's icons through the shell's folder view: the worker that holds the view
// between operations, what the shell refused and until when, and how its points stand to the list
// view's. Positions go in and out in the list view's points, as layout text holds them.
#pragma once

#include "base/UniqueOwner.h"
#include "desktop/ShellCoordinates.h"
#include "desktop/ShellWorker.h"
#include "platform/win32.h"

// What the shell route can do for an operation: serve it (kShellReady), not yet (it failed in a
// way that may pass: starting, restarting, slow, a class not yet registered), or not at all
// (refused, not chosen, or a given-up call still inside the shell).
enum ShellRouteState {
    kShellReady,
    kShellNotYet,
    kShellClosed,
};

class CShellRoute {
  public:
    CShellRoute() = default;
    CShellRoute(const CShellRoute&) = delete;
    CShellRoute& operator=(const CShellRoute&) = delete;

    // Readies the route for an operation on the desktop window defView shows; source, context
    // and boundMs are what a new worker is started with.
    ShellRouteState Begin(HWND defView, ShellViewSource source, void* context, DWORD boundMs);
    // The state a failed call of this operation leaves the route in.
    ShellRouteState AfterFailure() const;
    // The displays changed: the next operation learns how the shell's points stand to the list
    // view's again, and a shell whose points did not agree is asked again.
    void ForgetCoordinates();
    // Counts the connections made so far: item indexes hold only within one.
    unsigned Connection() const { return connection; }

    // Each 0 when the call failed: the route then serves nothing more of this operation.
    int CountItems(int* count);
    int ReadName(int item, char* name);
    int ReadPosition(int item, POINT* position);
    // One call places the icons; points are turned into the shell's own on the way.
    int Place(int count, const int* items, POINT* points);
    // Whether a placing call went out since ClearPlaced: it may have moved icons even if it failed.
    bool HasPlaced() const { return placed; }
    void ClearPlaced() { placed = false; }

    // Whether the points need checking against the list view's before this operation uses them.
    bool NeedsCoordinateCheck() const { return coordinateCheck == kCoordinatesUnchecked; }
    // The shell's own points of the first icons, up to kCoordinateProbeIcons, for the check.
    int Probe(int count, ProbedIcon* icons, int* probed);
    // What the check found; 0, with the route closed until the displays change, when the two
    // routes do not share a space.
    int TakeCoordinateEvidence(ShellCoordinateEvidence evidence, ShellCoordinates found);

  private:
    // For good: its view answered E_NOTIMPL or is not the desktop the list view shows. For a
    // while: the shell windows object was not registered (a shell that has just started), until
    // kShellClassRefusalMs after refusedAt (GetTickCount). Until the displays change: its points
    // and the list view's did not agree.
    enum Refusal {
        kRefusedForGood,
        kRefusedForAWhile,
        kRefusedUntilDisplaysChange,
    };
    // Whether the conversion between the shell's points and the list view's was read off a few
    // icons since the worker connected or the displays changed. Unproven (no icon to compare)
    // keeps the identity for this operation and checks again at the next.
    enum CoordinateCheck {
        kCoordinatesUnchecked,
        kCoordinatesUnproven,
        kCoordinatesChecked,
    };

    // Holds the folder view between operations; one whose call was given up stays here, and the
    // route closed, until it has ended.
    CComReference<CShellWorker> worker;
    // The process that owned the desktop's list view when the worker found its view.
    DWORD owner = 0;
    // The window the worker's view is shown in, null when it has none.
    HWND viewWindow = nullptr;
    // The desktop window of the operation under way.
    HWND desktopWindow = nullptr;
    unsigned connection = 0;
    // The route is not asked again while this desktop window of this process stands, for the
    // reason refusal holds.
    HWND refusedWindow = nullptr;
    DWORD refusedOwner = 0;
    Refusal refusal = kRefusedForGood;
    DWORD refusedAt = 0;
    bool placed = false;
    CoordinateCheck coordinateCheck = kCoordinatesUnchecked;
    ShellCoordinates coordinates = {0, 0};

    int Connect(DWORD shellOwner, ShellViewSource source, void* context, DWORD boundMs);
    bool RefusalStands() const;
    void Refuse(HWND defView, DWORD shellOwner, Refusal reason);
    void ClearRefusal();
    int Succeeded(HRESULT hr);
    void ReleaseWorker();
};
