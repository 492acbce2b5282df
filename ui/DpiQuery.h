// What the system says about the DPI a window, a menu or a monitor is drawn at, and the system's
// own sizes at a DPI. The newer calls are looked up at run time: Windows before 10 lacks
// GetDpiForWindow and its kin, Windows before 8.1 GetDpiForMonitor; each answer falls back to
// what older systems can tell.
#pragma once

#include "platform/win32.h"

// WM_DPICHANGED, which the headers declare only for Windows 7 and later.
const UINT kDpiChangedMessage = 0x02E0;

// The DPI the process was started at, the one system-aware windows are drawn at.
int SystemDpi();
// The window's own DPI; 0 when the system cannot tell.
int WindowDpi(HWND window);
// The DPI the user's scale setting gives the monitor; 0 when the system cannot tell.
int MonitorDpi(HMONITOR monitor);
// The DPI of the monitor that holds the point; 0 when the system cannot tell.
int MonitorDpiAt(POINT point);
// The DPI for something owned by the window that appears at the point: the monitor's, the
// window's or the system's, the first the system can tell.
int DpiAt(POINT point, HWND owner);
// The DPI a window is drawn at: its own, or the system's.
int DpiOfWindow(HWND window);

// The system's check-mark width at dpi.
int CheckMarkSizeForDpi(int dpi);
// The user's menu font at dpi; the caller owns it.
HFONT CreateMenuFontForDpi(int dpi);
