// The few operations each way to the desktop's icons offers, and the one apply above them.
#pragma once

#include "base/PtrList.h"
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

struct ApplyOutcome {
    int moves;
    bool lost;
};

// Puts the icons the entries name where the entries place them. reading, when given, is what the
// operation read of the same route already: LayoutEntry records in item order, used when the
// route still holds as many icons. Names do not change during an operation, so later passes read
// positions only; a count that changes meanwhile ends the apply as a failed route does.
ApplyOutcome ApplyOverRoute(IIconRoute& route, const CPtrList& entries, const CPtrList* reading);
