// Test-only controls of the simulated desktop behind platform/host/HostWin32.h.
#pragma once

#include "platform/host/HostShellView.h"
#include "platform/host/HostWin32.h"

#include <functional>
#include <string>
#include <vector>

namespace hostsim {

struct Icon {
    // UTF-8; the list view holds it as UTF-16, a byte that is not UTF-8 as U+FFFD.
    std::string name;
    int x;
    int y;
};

// One request as the simulated list view received it. For text requests, the record fields as the
// list view read them from the caller's block, in the layout of the shell process.
struct ListViewRequest {
    DWORD processId;
    UINT msg;
    WPARAM wParam;
    LPARAM lParam;
    bool hasRecord;
    uint32_t mask;
    int32_t iItem;
    int32_t iSubItem;
    uint32_t state;
    uint32_t stateMask;
    uint64_t pszText;
    int32_t cchTextMax;
    int32_t iImage;
    int64_t recordLParam;
    int32_t iIndent;
};

// A fresh desktop: a 64-bit shell process with "Program Manager", its "SHELLDLL_DefView" and a
// "SysListView32" holding these icons in this item order. Clears the log and every fault.
void ResetDesktop(const std::vector<Icon>& icons);
// No shell at all: its windows are gone and its process has ended.
void RemoveShell();
// The shell ends and a new process with new windows takes its place, with the same icons.
void RestartShell();
// The same, the new process holding these icons in this item order.
void RestartShellWith(const std::vector<Icon>& icons);
void RemoveListView();
// Newer shells keep the DefView under one of several top-level "WorkerW" windows.
void MoveDefViewToWorkerW();

void SetShellBitness(int bits);
void SetIsWow64Process2Available(bool available);
// Every move lands on the grid point at or below the requested one.
void SetSnapGrid(int grid);
// The list view arranges its icons itself (LVS_AUTOARRANGE) and refuses every move.
void SetAutoArrange(bool on);
// The displays: the first is the primary one. Without any, as after every ResetDesktop, no
// monitor is enumerated. listViewOrigin: where the list view's client area starts on the screen
// (the virtual screen's top left corner on a real desktop).
struct Monitor {
    RECT bounds;
    RECT work;
};
void SetMonitors(const std::vector<Monitor>& monitors, POINT listViewOrigin);
// What LVM_GETITEMSPACING answers: the cell one icon takes (75 by 75 after ResetDesktop).
void SetIconCell(int cx, int cy);
// Every move also pushes the item before it dx to the right, as a list view that makes room.
void SetShiftOnMove(int dx);
// The shell's thread stops answering sent messages.
void SetShellHung(bool hung);
// Runs as each message is sent to the list view, before it is answered: a test can make the
// shell go away at a chosen point of an operation.
void SetBeforeListViewRequest(std::function<void(UINT msg)> hook);
void SetOpenProcessRefused(bool refused);
void SetRemoteAllocationRefused(bool refused);

std::vector<Icon> Icons();
void MoveIcon(int item, int x, int y);
DWORD ShellProcessId();
HWND ShellListView();
DWORD LastOpenProcessAccess();

std::vector<ListViewRequest> RequestLog();
void ClearRequestLog();

// Resources still held by callers: open process handles and committed remote blocks.
int OpenProcessHandles();
int RemoteBlocks();

void SetModuleFileName(const std::string& path);

// Registry: keys exist only once created; a handle allows only the access it was opened with. A
// root can refuse opening; open for reading only, as a standard user's machine-wide keys do (an
// open asking for more than KEY_READ is refused); or refuse writes through keys that opened.
void ResetRegistry();
void CreateRegistryKey(HKEY root, const std::string& subkey);
void SetRegistryOpenRefused(HKEY root, bool refused);
void SetRegistryReadOnly(HKEY root, bool readOnly);
void SetRegistryWriteRefused(HKEY root, bool refused);
// Values as the ANSI calls write and read them.
void SetRegistryValue(HKEY root, const std::string& subkey, const std::string& name, DWORD type,
                      const std::vector<uint8_t>& data);
bool GetRegistryValue(HKEY root, const std::string& subkey, const std::string& name, DWORD* type,
                      std::vector<uint8_t>* data);
int OpenRegistryKeys();

// Files: only those added exist (GetFileAttributesW), names compared without regard to case. A
// short name leads to its long one (GetLongPathNameW); any other path is its own long form.
void ResetFiles();
void AddFile(const std::string& path);
void SetLongPathName(const std::string& shortPath, const std::string& longPath);
// The path SHGetKnownFolderPath gives for the folder, UTF-8; "" for one it fails for.
void SetKnownFolder(const KNOWNFOLDERID& folder, const std::string& path);

// One entry of a file's or folder's access list: the principal as a SID string ("S-1-5-32-544").
struct AccessEntry {
    std::string sid;
    BYTE type; // ACCESS_ALLOWED_ACE_TYPE, ACCESS_DENIED_ACE_TYPE, ...
    BYTE flags;
    DWORD mask;
};
// GetNamedSecurityInfoW gives this owner and access list for the path. A path without one fails
// with ERROR_ACCESS_DENIED, as one this user may not read; a path set without an access list
// gives none, as FAT does.
void SetFileSecurity(const std::string& path, const std::string& ownerSid,
                     const std::vector<AccessEntry>& entries);
void SetFileWithoutAccessList(const std::string& path);

// The simulated system's ANSI code page: 932 (HostText.cpp models a few of its characters), or
// anything else for 1252, which every test starts with and must leave behind.
void SetAnsiCodePage(UINT codePage);

// The clock GetLocalTime reads, and how far UTC stands from it (UTC = local + bias): a clock set
// back, or the end of daylight saving time, keeps the one and changes the other.
void SetLocalTime(const SYSTEMTIME& now);
void SetTimeZoneBias(int minutes);
// GetTickCount reads now at this moment and runs on from there.
void SetTickCount(DWORD now);

// A message box as the program showed it; the host simulation answers each at once with IDOK.
struct MessageBoxRecord {
    HWND owner;
    std::string text;
    std::string caption;
    UINT flags;
};

std::vector<MessageBoxRecord> MessageBoxes();
// Clears the record and any loop set below.
void ClearMessageBoxes();
// Runs inside every box before it is answered, as the messages that a real box's own loop
// dispatches (timer ticks, clicks) would run.
void SetMessageBoxLoop(std::function<void()> whileOpen);

} // namespace hostsim
