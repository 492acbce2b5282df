#include "ui/DisplayMonitors.h"

#include "platform/win32.h"
#include "ui/ScopedGdi.h"

namespace {

// GetDpiForMonitor (shcore.dll, Windows 8.1 and later) with MDT_EFFECTIVE_DPI: the scale the
// user chose for the monitor, which decides how far apart the shell sets the icons.
typedef HRESULT(WINAPI* GetDpiForMonitorFunction)(HMONITOR, int, UINT*, UINT*);
const int kEffectiveDpi = 0;

GetDpiForMonitorFunction DpiForMonitorFunction() {
    static bool looked = false;
    static GetDpiForMonitorFunction function = nullptr;
    if (!looked) {
        looked = true;
        HMODULE shcore = LoadLibraryA("shcore.dll");
        if (shcore) {
            function = reinterpret_cast<GetDpiForMonitorFunction>(
                reinterpret_cast<void*>(GetProcAddress(shcore, "GetDpiForMonitor")));
        }
    }
    return function;
}

// Without a DPI of each monitor's own, every monitor has the system's.
int SystemDpi() {
    CWindowDc screen(nullptr);
    return screen.Get() ? GetDeviceCaps(screen.Get(), LOGPIXELSX) : 96;
}

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
    UINT dpiX = 0;
    UINT dpiY = 0;
    GetDpiForMonitorFunction dpiFor = DpiForMonitorFunction();
    int dpi = dpiFor && dpiFor(monitor, kEffectiveDpi, &dpiX, &dpiY) == S_OK
                  ? static_cast<int>(dpiX)
                  : list->systemDpi;
    DisplayMonitor& entry = list->monitors[list->count++];
    entry = DisplayMonitor{info.rcMonitor.left, info.rcMonitor.top, info.rcMonitor.right,
                           info.rcMonitor.bottom, dpi};
    return list->count < kMaxDisplayMonitors;
}

} // namespace

void ReadDisplayConfiguration(char (&key)[kDisplayKeyChars]) {
    MonitorList list;
    list.count = 0;
    list.systemDpi = SystemDpi();
    EnumDisplayMonitors(nullptr, nullptr, AddMonitor, reinterpret_cast<LPARAM>(&list));
    FormatDisplayKey(list.monitors, list.count, key);
}
