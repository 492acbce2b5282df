#include "desktop/MonitorAreas.h"

namespace {

struct MonitorList {
    MonitorArea* monitors;
    int count;
    POINT origin;
};

RECT FromScreen(const RECT& rect, POINT origin) {
    return RECT{rect.left - origin.x, rect.top - origin.y, rect.right - origin.x,
                rect.bottom - origin.y};
}

BOOL CALLBACK AddMonitor(HMONITOR monitor, HDC, LPRECT, LPARAM data) {
    MonitorList* list = reinterpret_cast<MonitorList*>(data);
    MONITORINFO info;
    info.cbSize = sizeof info;
    if (!GetMonitorInfoA(monitor, &info)) {
        return TRUE;
    }
    list->monitors[list->count++] = MonitorArea{FromScreen(info.rcMonitor, list->origin),
                                                FromScreen(info.rcWork, list->origin)};
    return list->count < kMaxDisplayMonitors;
}

} // namespace

int ReadMonitorAreas(HWND listView, MonitorArea (&monitors)[kMaxDisplayMonitors]) {
    MonitorList list = {monitors, 0, POINT{0, 0}};
    if (!listView || !ClientToScreen(listView, &list.origin)) {
        return 0;
    }
    EnumDisplayMonitors(nullptr, nullptr, AddMonitor, reinterpret_cast<LPARAM>(&list));
    return list.count;
}
