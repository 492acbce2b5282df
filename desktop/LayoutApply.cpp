// Puts the icons named in a layout text back where the text places them, through either route.
#include "desktop/DesktopLayout.h"
#include "desktop/IconRoute.h"
#include "desktop/MonitorAreas.h"

// The list view's requests as the one apply asks them.
class CDesktopLayout::ListViewIcons : public IIconRoute {
  public:
    ListViewIcons(CDesktopLayout& owner, HWND view) : layout(owner), listView(view) {}

    int CountItems(int* count) override {
        *count = layout.GetItemCount(listView);
        return !layout.listViewLost;
    }
    IconAnswer ReadName(int item, char* name) override {
        return Answer(layout.ReadItemText(listView, item, name));
    }
    IconAnswer ReadPosition(int item, POINT* position) override {
        return Answer(layout.ReadItemPosition(listView, item, position));
    }
    // One move per icon; a move the list view refused does not count.
    int Place(int count, const int* items, POINT* points, int* placed) override {
        *placed = 0;
        for (int i = 0; i < count; i++) {
            bool taken = false;
            if (!layout.MoveItem(listView, items[i], points[i].x, points[i].y, &taken)) {
                return 0;
            }
            *placed += taken ? 1 : 0;
        }
        return 1;
    }

  private:
    CDesktopLayout& layout;
    HWND listView;

    IconAnswer Answer(int read) const {
        return read ? kIconRead : layout.listViewLost ? kRouteLost : kIconUnread;
    }
};

// The shell's calls as the one apply asks them; any failure ends the route's use.
class CDesktopLayout::ShellIcons : public IIconRoute {
  public:
    explicit ShellIcons(CDesktopLayout& owner) : layout(owner) {}

    int CountItems(int* count) override { return layout.CountShellItems(count); }
    IconAnswer ReadName(int item, char* name) override {
        return layout.shellRoute.ReadName(item, name) ? kIconRead : kRouteLost;
    }
    IconAnswer ReadPosition(int item, POINT* position) override {
        return layout.shellRoute.ReadPosition(item, position) ? kIconRead : kRouteLost;
    }
    // One placing call for them all.
    int Place(int count, const int* items, POINT* points, int* placed) override {
        int done = layout.shellRoute.Place(count, items, points);
        *placed = done ? count : 0;
        return done;
    }

  private:
    CDesktopLayout& layout;
};

// The monitors and the icon cell of the desktop the list view shows.
class CDesktopLayout::ListViewArea : public IDesktopArea {
  public:
    ListViewArea(CDesktopLayout& owner, HWND view) : layout(owner), listView(view) {}

    int ReadMonitors(MonitorArea (&monitors)[kMaxDisplayMonitors]) override {
        return ReadMonitorAreas(listView, monitors);
    }
    bool ReadIconCell(SIZE* cell) override { return layout.ReadIconCell(listView, cell) != 0; }

  private:
    CDesktopLayout& layout;
    HWND listView;
};

// The capture's reading serves an apply through the route that read it, while its item indexes
// hold: the same connection to the shell, or the same process behind the list view.
const CPtrList* CDesktopLayout::ReadingFor(DesktopRoute route, unsigned connection,
                                           const CPtrList* reading) const {
    return reading && captureRoute == route && captureConnection == connection ? reading : nullptr;
}

int CDesktopLayout::ApplyThroughListView(const CPtrList& entries, ApplyStart start) {
    listViewLost = 0;
    HWND listView = FindDesktopListView();
    if (!BeginListViewAccess(listView)) {
        return 0;
    }
    ListViewIcons icons(*this, listView);
    ListViewArea area(*this, listView);
    ApplyOutcome outcome =
        ApplyOverRoute(icons, entries, ReadingFor(kRouteListView, processId, start.reading),
                       start.fit ? &area : nullptr);
    return outcome.moves > 0 ? 1 : 0;
}

// 1 when the shell served the apply, with moved set; 0 when nothing was placed.
int CDesktopLayout::ApplyThroughShell(const CPtrList& entries, ApplyStart start, int* moved) {
    shellRoute.ClearPlaced();
    ShellIcons icons(*this);
    // The shell's points are the list view's, so the list view tells the desktop's geometry.
    ListViewArea area(*this, FindDesktopListView());
    ApplyOutcome outcome = ApplyOverRoute(
        icons, entries, ReadingFor(kRouteShell, shellRoute.Connection(), start.reading),
        start.fit ? &area : nullptr);
    // A placing call that failed may still have moved icons: there is something to undo.
    int served = !outcome.lost || shellRoute.HasPlaced();
    *moved = served && (outcome.moves > 0 || shellRoute.HasPlaced()) ? 1 : 0;
    return served;
}
