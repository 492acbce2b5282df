// Number of GDI objects the process holds, to show that drawing and dialogs leave none behind.
#pragma once

#include "platform/win32.h"

#include <winternl.h>

// GetGuiResources where the system implements it. Wine answers 0 with
// ERROR_CALL_NOT_IMPLEMENTED; there the process's GDI handle table (PEB field
// GdiSharedHandleTable, 24-byte entries, a non-zero type byte for a live object) is counted.
inline long GdiObjectCount() {
    const DWORD reported = GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS);
    if (reported != 0) {
        return static_cast<long>(reported);
    }
    struct HandleEntry {
        unsigned long long object;
        unsigned int owner;
        unsigned short unique;
        unsigned char type;
        unsigned char flags;
        unsigned long long user;
    };
    static_assert(sizeof(HandleEntry) == 24, "GDI handle table entry");
    typedef LONG(WINAPI * QueryProcess)(HANDLE, PROCESSINFOCLASS, PVOID, ULONG, PULONG);
    const auto query = reinterpret_cast<QueryProcess>(reinterpret_cast<void*>(
        GetProcAddress(GetModuleHandleA("ntdll.dll"), "NtQueryInformationProcess")));
    PROCESS_BASIC_INFORMATION basic = {};
    if (query == nullptr ||
        query(GetCurrentProcess(), ProcessBasicInformation, &basic, sizeof(basic), nullptr) != 0) {
        return -1;
    }
    const PEB* peb = basic.PebBaseAddress;
    const auto* table =
        *reinterpret_cast<HandleEntry* const*>(reinterpret_cast<const char*>(peb) + 0xF8);
    if (table == nullptr) {
        return -1;
    }
    long live = 0;
    for (int i = 0; i < 0x10000; ++i) {
        live += table[i].type != 0 ? 1 : 0;
    }
    return live;
}
