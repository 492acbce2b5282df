// The one include through which platform-free code reaches the shell's folder view over COM.
//
// On Windows this is the real SDK; elsewhere the host simulation declares the same interfaces.
#pragma once

#include "platform/win32.h"

#ifdef _WIN32
#include <objbase.h>
#include <shlobj.h>
#include <shobjidl.h>
#else
#include "platform/host/HostShellView.h"
#endif
