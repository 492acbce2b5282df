#include "ui/DpiQuery.h"

#include "ui/DisplayScale.h"
#include "ui/ScopedGdi.h"

namespace {

typedef UINT(WINAPI* GetDpiForWindowFn)(HWND);
typedef int(WINAPI* GetSystemMetricsForDpiFn)(int, UINT);
typedef BOOL(WINAPI* SystemParametersInfoForDpiFn)(UINT, UINT, void*, UINT, UINT);
typedef HRESULT(WINAPI* GetDpiForMonitorFn)(HMONITOR, int, UINT*, UINT*);

// MDT_EFFECTIVE_DPI: the DPI the user's scale setting gives the monitor.
const int kEffectiveDpi = 0;
// Never a copy of the library from the program's own folder.
const DWORD kSystemFolderOnly = LOAD_LIBRARY_SEARCH_SYSTEM32;

// GetProcAddress's result as the function type it is; the detour through a plain function type
// is the conversion the compiler accepts between unrelated function types.
template <typename T> T Lookup(HMODULE module, const char* name) {
    if (!module) {
        return nullptr;
    }
    return reinterpret_cast<T>(reinterpret_cast<void (*)()>(GetProcAddress(module, name)));
}

HMODULE User32() {
    return GetModuleHandleA("user32.dll");
}

// Loaded on first use and kept for the life of the process, as the system keeps it anyway once
// any shell component has loaded it.
HMODULE ShellCore() {
    static HMODULE module = LoadLibraryExA("shcore.dll", nullptr, kSystemFolderOnly);
    return module;
}

} // namespace

int SystemDpi() {
    CWindowDc screen(nullptr);
    return screen.Get() ? GetDeviceCaps(screen.Get(), LOGPIXELSY) : 0;
}

int WindowDpi(HWND window) {
    static const GetDpiForWindowFn getDpiForWindow =
        Lookup<GetDpiForWindowFn>(User32(), "GetDpiForWindow");
    if (!getDpiForWindow || !window) {
        return 0;
    }
    return static_cast<int>(getDpiForWindow(window));
}

int MonitorDpi(HMONITOR monitor) {
    static const GetDpiForMonitorFn getDpiForMonitor =
        Lookup<GetDpiForMonitorFn>(ShellCore(), "GetDpiForMonitor");
    UINT x = 0;
    UINT y = 0;
    if (!getDpiForMonitor || !monitor || FAILED(getDpiForMonitor(monitor, kEffectiveDpi, &x, &y))) {
        return 0;
    }
    return static_cast<int>(y);
}

int MonitorDpiAt(POINT point) {
    return MonitorDpi(MonitorFromPoint(point, MONITOR_DEFAULTTONEAREST));
}

int DpiAt(POINT point, HWND owner) {
    return ChooseDpi({MonitorDpiAt(point), WindowDpi(owner), SystemDpi()});
}

int DpiOfWindow(HWND window) {
    return ChooseDpi({0, WindowDpi(window), SystemDpi()});
}

int CheckMarkSizeForDpi(int dpi) {
    static const GetSystemMetricsForDpiFn getSystemMetricsForDpi =
        Lookup<GetSystemMetricsForDpiFn>(User32(), "GetSystemMetricsForDpi");
    if (getSystemMetricsForDpi) {
        return getSystemMetricsForDpi(SM_CXMENUCHECK, static_cast<UINT>(dpi));
    }
    const int system = ChooseDpi({0, 0, SystemDpi()});
    return MulDiv(GetSystemMetrics(SM_CXMENUCHECK), dpi, system);
}

// SystemParametersInfoForDpi exists in one form only, with the UTF-16 record.
HFONT CreateMenuFontForDpi(int dpi) {
    static const SystemParametersInfoForDpiFn systemParametersInfoForDpi =
        Lookup<SystemParametersInfoForDpiFn>(User32(), "SystemParametersInfoForDpi");
    if (systemParametersInfoForDpi) {
        NONCLIENTMETRICSW metrics = {};
        metrics.cbSize = sizeof metrics;
        if (systemParametersInfoForDpi(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0,
                                       static_cast<UINT>(dpi))) {
            return CreateFontIndirectW(&metrics.lfMenuFont);
        }
    }
    NONCLIENTMETRICSA metrics = {};
    metrics.cbSize = sizeof metrics;
    if (!SystemParametersInfoA(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0)) {
        return nullptr;
    }
    const int system = ChooseDpi({0, 0, SystemDpi()});
    metrics.lfMenuFont.lfHeight = MulDiv(metrics.lfMenuFont.lfHeight, dpi, system);
    return CreateFontIndirectA(&metrics.lfMenuFont);
}
