// The one include through which platform-free code reaches Win32.
//
// On Windows this is the real SDK. Everywhere else it is the host simulation under platform/host/,
// which declares the same names with the same signatures for the small subset the core uses.
#pragma once

#ifdef _WIN32
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
#include <commctrl.h>
#include <aclapi.h>
#else
#include "platform/host/HostWin32.h"
#endif
