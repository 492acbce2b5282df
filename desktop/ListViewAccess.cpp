// Everything that crosses into the shell process: opening it, the remote block, and the four
// list-view requests (count, text, position, move).
#include "desktop/DesktopLayout.h"
#include "base/TextEncoding.h"
#include "desktop/ListViewRecord.h"

#include <cstring>

#ifdef _WIN64
static_assert(sizeof(LVITEMW) == sizeof(ListViewItem64), "our 64-bit record is the SDK's LVITEMW");
static_assert(offsetof(LVITEMW, pszText) == offsetof(ListViewItem64, pszText), "pszText");
static_assert(offsetof(LVITEMW, cchTextMax) == offsetof(ListViewItem64, cchTextMax), "cchTextMax");
static_assert(offsetof(LVITEMW, iGroup) == offsetof(ListViewItem64, iGroup), "iGroup");
#endif

namespace {

const DWORD kShellAccess =
    PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE | PROCESS_QUERY_INFORMATION;

// A shell that does not answer within this bound is taken as hung; SMTO_BLOCK keeps our own thread
// from handling other sent messages meanwhile, so nothing re-enters a capture or an apply.
const UINT kRequestTimeoutMs = 2000;
const UINT kRequestFlags = SMTO_BLOCK | SMTO_ABORTIFHUNG;

typedef BOOL(WINAPI* IsWow64Process2Fn)(HANDLE, USHORT*, USHORT*);

IsWow64Process2Fn FindIsWow64Process2() {
    HMODULE kernel = GetModuleHandleA("kernel32.dll");
    if (!kernel) {
        return nullptr;
    }
    FARPROC proc = GetProcAddress(kernel, "IsWow64Process2");
    return reinterpret_cast<IsWow64Process2Fn>(reinterpret_cast<void*>(proc));
}

int MachineIs64Bit(USHORT machine) {
    return machine == IMAGE_FILE_MACHINE_AMD64 || machine == IMAGE_FILE_MACHINE_ARM64;
}

// 1 for a 64-bit process, 0 for a 32-bit one, -1 when the system will not say.
int ProcessBitness(HANDLE process) {
    IsWow64Process2Fn isWow64Process2 = FindIsWow64Process2();
    if (isWow64Process2) {
        USHORT processMachine = IMAGE_FILE_MACHINE_UNKNOWN;
        USHORT nativeMachine = IMAGE_FILE_MACHINE_UNKNOWN;
        if (!isWow64Process2(process, &processMachine, &nativeMachine)) {
            return -1;
        }
        if (processMachine != IMAGE_FILE_MACHINE_UNKNOWN) {
            return 0;
        }
        return MachineIs64Bit(nativeMachine);
    }
    BOOL wow64 = FALSE;
    if (!IsWow64Process(process, &wow64)) {
        return -1;
    }
    if (wow64) {
        return 0;
    }
    // A native process is as wide as the system: 64-bit if we are, or if we run under WOW64.
    if (sizeof(void*) == 8) {
        return 1;
    }
    BOOL selfWow64 = FALSE;
    if (!IsWow64Process(GetCurrentProcess(), &selfWow64)) {
        return -1;
    }
    return selfWow64 ? 1 : 0;
}

} // namespace

void CDesktopLayout::OpenShellProcess(DWORD ownerId) {
    processId = ownerId;
    processHandle = OpenProcess(kShellAccess, FALSE, ownerId);
    if (!processHandle) {
        return;
    }
    int bitness = ProcessBitness(processHandle);
    if (bitness < 0) {
        return;
    }
    shell64Bit = bitness;
    remoteBuffer =
        VirtualAllocEx(processHandle, nullptr, kRemoteBlockBytes, MEM_COMMIT, PAGE_READWRITE);
    // A 32-bit record cannot carry an address above 4 GB.
    if (remoteBuffer && !shell64Bit && reinterpret_cast<uintptr_t>(remoteBuffer) > 0xFFFFFFFFu) {
        VirtualFreeEx(processHandle, remoteBuffer, 0, MEM_RELEASE);
        remoteBuffer = nullptr;
    }
}

void CDesktopLayout::CloseShellProcess() {
    if (remoteBuffer) {
        VirtualFreeEx(processHandle, remoteBuffer, 0, MEM_RELEASE);
    }
    if (processHandle) {
        CloseHandle(processHandle);
    }
    remoteBuffer = nullptr;
    processHandle = nullptr;
    processId = 0;
}

// Makes the block belong to the process that owns this list view: after a shell restart the old
// block's address means nothing in the new process and must never be handed to it.
int CDesktopLayout::BeginListViewAccess(HWND listView) {
    if (!listView) {
        return 0;
    }
    DWORD ownerId = 0;
    GetWindowThreadProcessId(listView, &ownerId);
    if (ownerId == 0) {
        return 0;
    }
    if (ownerId != processId) {
        CloseShellProcess();
        OpenShellProcess(ownerId);
    }
    return remoteBuffer != nullptr;
}

// A request that fails or times out ends the operation: the list view is gone or hung, and every
// further request would only fail or wait again.
int CDesktopLayout::SendToListView(HWND listView, UINT msg, WPARAM wParam, LPARAM lParam,
                                   LRESULT* result) {
    if (listViewLost) {
        return 0;
    }
    DWORD_PTR answer = 0;
    if (!SendMessageTimeoutA(listView, msg, wParam, lParam, kRequestFlags, kRequestTimeoutMs,
                             &answer)) {
        listViewLost = 1;
        return 0;
    }
    *result = static_cast<LRESULT>(answer);
    return 1;
}

int CDesktopLayout::GetItemCount(HWND listView) {
    LRESULT count = 0;
    if (!SendToListView(listView, LVM_GETITEMCOUNT, 0, 0, &count) || count < 0) {
        return 0;
    }
    return count > 0x7FFFFFFF ? 0x7FFFFFFF : static_cast<int>(count);
}

int CDesktopLayout::WriteTextRecord() {
    uintptr_t block = reinterpret_cast<uintptr_t>(remoteBuffer);
    SIZE_T written = 0;
    if (shell64Bit) {
        ListViewItem64 record;
        memset(&record, 0, sizeof record);
        record.mask = LVIF_TEXT;
        record.pszText = block + kTextOffset64;
        record.cchTextMax = kRemoteTextUnits;
        return WriteProcessMemory(processHandle, remoteBuffer, &record, sizeof record, &written) &&
               written == sizeof record;
    }
    ListViewItem32 record;
    memset(&record, 0, sizeof record);
    record.mask = LVIF_TEXT;
    record.pszText = static_cast<uint32_t>(block + kTextOffset32);
    record.cchTextMax = kRemoteTextUnits;
    return WriteProcessMemory(processHandle, remoteBuffer, &record, sizeof record, &written) &&
           written == sizeof record;
}

// The wide request: the ANSI one converts inside the shell, and names outside its code page come
// back as "?" or as another, plausible name. The record goes in before every text request, since a
// position request overwrites its start.
int CDesktopLayout::ReadItemText(HWND listView, int item, char* name) {
    LRESULT ignored = 0;
    name[0] = '\0';
    if (!WriteTextRecord()) {
        return 0;
    }
    if (!SendToListView(listView, LVM_GETITEMTEXTW, static_cast<WPARAM>(item),
                        reinterpret_cast<LPARAM>(remoteBuffer), &ignored)) {
        return 0;
    }
    const char* textArea =
        static_cast<const char*>(remoteBuffer) + (shell64Bit ? kTextOffset64 : kTextOffset32);
    WCHAR text[kRemoteTextUnits];
    SIZE_T read = 0;
    if (!ReadProcessMemory(processHandle, textArea, text, sizeof text, &read) ||
        read != sizeof text) {
        return 0;
    }
    return IconNameFromUtf16(text, kRemoteTextUnits, name);
}

int CDesktopLayout::ReadItemPosition(HWND listView, int item, POINT* position) {
    LRESULT found = 0;
    if (!SendToListView(listView, LVM_GETITEMPOSITION, static_cast<WPARAM>(item),
                        reinterpret_cast<LPARAM>(remoteBuffer), &found) ||
        !found) {
        return 0;
    }
    int32_t xy[2] = {0, 0};
    SIZE_T read = 0;
    if (!ReadProcessMemory(processHandle, remoteBuffer, xy, sizeof xy, &read) ||
        read != sizeof xy) {
        return 0;
    }
    position->x = xy[0];
    position->y = xy[1];
    return 1;
}

// Each coordinate travels as its low 16 bits.
int CDesktopLayout::MoveItem(HWND listView, int item, int x, int y, bool* taken) {
    LRESULT result = FALSE;
    int sent = SendToListView(listView, LVM_SETITEMPOSITION, static_cast<WPARAM>(item),
                              MAKELPARAM(x, y), &result);
    *taken = sent && result != FALSE;
    return sent;
}

// No memory of the shell's: the answer is the message's own, the width in its low word.
int CDesktopLayout::ReadIconCell(HWND listView, SIZE* cell) {
    LRESULT spacing = 0;
    if (!SendToListView(listView, LVM_GETITEMSPACING, FALSE, 0, &spacing)) {
        return 0;
    }
    cell->cx = LOWORD(spacing);
    cell->cy = HIWORD(spacing);
    return 1;
}
