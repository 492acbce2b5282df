#include "ui/DisplayMonitors.h"

#include "platform/win32.h"
#include "ui/DpiQuery.h"

namespace {

struct MonitorList {
    DisplayMonitor monitors[kMaxDisplayMonitors];
    int count;
    int systemDpi;
};

BOOL CALLBACK AddMonitor(HMONITOR monitor, HDC, LPRECT, LPARAM data) {
    MonitorList* list = reinterpret_cast<MonitorList*>(data);
    MONITORINFO info;
    info.cbSize = sizeof info;
    if (!GetMonitorInfoA(monitor, &info)) {
        return TRUE;
    }
    // The effective DPI decides how far apart the shell sets the icons; without a DPI of each
    // monitor's own, every monitor has the system's.
    const int monitorDpi = MonitorDpi(monitor);
    const int dpi = monitorDpi ? monitorDpi : list->systemDpi;
    DisplayMonitor& entry = list->monitors[list->count++];
    entry = DisplayMonitor{info.rcMonitor.left, info.rcMonitor.top, info.rcMonitor.right,
                           info.rcMonitor.bottom, dpi};
    return list->count < kMaxDisplayMonitors;
}

} // namespace

void ReadDisplayConfiguration(char (&key)[kDisplayKeyChars]) {
    MonitorList list;
    list.count = 0;
    const int systemDpi = SystemDpi();
    list.systemDpi = systemDpi ? systemDpi : 96;
    EnumDisplayMonitors(nullptr, nullptr, AddMonitor, reinterpret_cast<LPARAM>(&list));
    FormatDisplayKey(list.monitors, list.count, key);
}
