// What another process holds in memory, read from outside through its handle (Win32 only).
#pragma once

#include <windows.h>

// Private bytes by their definition: committed memory of the process's own, not mapped from a
// file or shared. Wine leaves PrivateUsage of GetProcessMemoryInfo at 0.
inline SIZE_T CommittedPrivateBytes(HANDLE process) {
    SIZE_T total = 0;
    MEMORY_BASIC_INFORMATION region;
    const char* address = nullptr;
    while (VirtualQueryEx(process, address, &region, sizeof region) == sizeof region) {
        if (region.State == MEM_COMMIT && region.Type == MEM_PRIVATE) {
            total += region.RegionSize;
        }
        const char* next = static_cast<const char*>(region.BaseAddress) + region.RegionSize;
        if (next <= address) {
            break;
        }
        address = next;
    }
    return total;
}
