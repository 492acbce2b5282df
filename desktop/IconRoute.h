// The few operations each way to the desktop's icons offers, and the one apply above them.
#pragma once

#include "base/PtrList.h"
#include "desktop/DisplayConfiguration.h"
#include "desktop/IconSpots.h"
#include "platform/win32.h"

enum IconAnswer {
    kIconRead,
    // This icon could not be read; the others still can.
    kIconUnread,
    // The route failed: nothing more of this operation goes through it.
    kRouteLost,
};

class IIconRoute {
  public:
    // 0 when the route failed.
    virtual int CountItems(int* count) = 0;
    // name holds kIconNameBytes: the item's name in UTF-8.
    virtual IconAnswer ReadName(int item, char* name) = 0;
    // In the list view's points, as layout text holds them.
    virtual IconAnswer ReadPosition(int item, POINT* position) = 0;
    // Sends the icons to their points (which the route may change on the way); placed tells how
    // many went. 0 when the route failed.
    virtual int Place(int count, const int* items, POINT* points, int* placed) = 0;

  protected:
    ~IIconRoute() = default;
};

// Where icons can stand on the desktop as it is now, in the list view's points.
class IDesktopArea {
  public:
    // The monitors and their work areas; 0 when none could be read.
    virtual int ReadMonitors(MonitorArea (&monitors)[kMaxDisplayMonitors]) = 0;
    // The room the shell gives one icon; false when it did not tell.
    virtual bool ReadIconCell(SIZE* cell) = 0;

  protected:
    ~IDesktopArea() = default;
};

struct ApplyOutcome {
    int moves;
    bool lost;
};

// Puts the icons the entries name where the entries place them. reading, when given, is what the
// operation read of the same route already: LayoutEntry records in item order, used when the
// route still holds as many icons. Names do not change during an operation, so later passes read
// positions only; a count that changes meanwhile ends the apply as a failed route does.
//
// area, when given, fits the layout to the desktop as it is: an icon whose point lies on no
// monitor goes to the free cell nearest to it in the nearest work area, and an icon the layout
// does not name, on which a placed icon would stand, moves to the free cell nearest to it in its
// own monitor's work area. Without area, every icon goes exactly where its entry says.
ApplyOutcome ApplyOverRoute(IIconRoute& route, const CPtrList& entries, const CPtrList* reading,
                            IDesktopArea* area);
