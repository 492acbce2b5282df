// Which cells of the desktop's work areas icons take, for icons that must go somewhere free.
#pragma once

#include "base/UniqueOwner.h"
#include "desktop/DisplayConfiguration.h"
#include "platform/win32.h"

enum {
    // A cell smaller than the smallest icon the shell draws is no answer to go by.
    kMinIconCellPixels = 16,
};

// A monitor, and its work area: the screen less its taskbar and docked bars.
struct MonitorArea {
    RECT bounds;
    RECT work;
};

// Whether the point lies on any of the monitors.
bool AnyMonitorHolds(const MonitorArea* monitors, int count, POINT at);

class CIconSpots {
  public:
    // cell: the room one icon takes, in the same points as the monitors and the icons. Each work
    // area is cut into whole cells from its top left corner.
    CIconSpots(const MonitorArea* monitors, int count, SIZE cell);
    CIconSpots(const CIconSpots&) = delete;
    CIconSpots& operator=(const CIconSpots&) = delete;

    // False when memory ran out or there is no area or no cell: nothing can be placed.
    bool IsWhole() const { return whole; }
    // The index of the work area the point lies in, or -1.
    int AreaHolding(POINT at) const;
    // The work area closest to the point; the one holding it when there is one.
    int NearestArea(POINT at) const;
    // Whether icons standing at a and b share more than half a cell.
    bool Covers(POINT a, POINT b) const;
    // An icon stands at the point, or no longer does: every cell its room touches counts it.
    void Take(POINT at);
    void Release(POINT at);
    // The free cell of the area whose corner lies nearest to the point; false when none is free.
    bool FindFreeSpot(int area, POINT from, POINT* spot) const;

  private:
    struct Area {
        RECT rect;
        int columns;
        int rows;
        // Icons touching each cell, row by row.
        CHeapArray<int> taken;
    };

    SIZE cell;
    int count;
    bool whole;
    Area areas[kMaxDisplayMonitors];

    void Count(POINT at, int step);
};
