// Watches the stand-in's list view the way a test needs to: it records the requests that other
// processes send it, lands their moves on a grid, and tells them apart from the stand-in's own
// requests.
#pragma once

#include "StandinProtocol.h"

#include <windows.h>

#include <vector>

class CListViewMonitor {
  public:
    CListViewMonitor() = default;
    ~CListViewMonitor();
    CListViewMonitor(const CListViewMonitor&) = delete;
    CListViewMonitor& operator=(const CListViewMonitor&) = delete;

    // Starts watching this list view (null: nothing to watch any more).
    void Attach(HWND listView);
    void Detach();
    HWND ListView() const { return hListView; }

    // A request of the stand-in itself: carried out, never logged, never snapped.
    LRESULT SendOwn(UINT msg, WPARAM wParam, LPARAM lParam);

    void SetSnapGrid(int grid) { snapGrid = grid; }
    // From now on every move also pushes the item before it dx to the right, as a list view that
    // makes room (0: off).
    void SetShiftOnMove(int dx) { shiftOnMove = dx; }
    // The requests logged since the last call, oldest first; the log starts empty again.
    std::vector<standin::LoggedRequest> TakeLog();

  private:
    HWND hListView = nullptr;
    int snapGrid = 0;
    int shiftOnMove = 0;
    // Requests being carried out right now (our own, or a logged one being forwarded): whatever the
    // list view sends itself meanwhile is not a request from another process.
    int busy = 0;
    std::vector<standin::LoggedRequest> log;

    static LRESULT CALLBACK SubclassProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam,
                                         UINT_PTR id, DWORD_PTR refData);
    LRESULT HandleWatched(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
    void Record(UINT msg, WPARAM wParam, LPARAM lParam);
    LRESULT MoveSnapped(HWND hwnd, WPARAM item, LPARAM lParam);
    void ShiftNeighbour(HWND hwnd, WPARAM item);
};

// The grid point at or below value, also for negative values; grid 0 or less leaves it alone.
int SnapToGrid(int value, int grid);
