// The monitors as an apply that fits icons to them sees them: the one place where the screen's
// points and the list view's meet.
#pragma once

#include "desktop/DisplayConfiguration.h"
#include "desktop/IconSpots.h"
#include "platform/win32.h"

// Each monitor and its work area in the list view's client points (a layout's points), converted
// by where the list view's client area starts on the screen; 0 when none could be read.
int ReadMonitorAreas(HWND listView, MonitorArea (&monitors)[kMaxDisplayMonitors]);
