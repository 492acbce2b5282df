// Between the host simulation's files: closing the handles of threads and events.
#pragma once

#include "platform/host/HostWin32.h"

// True when handle was a thread or an event, now closed.
bool HostCloseSyncObject(HANDLE handle);
