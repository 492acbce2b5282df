// Footprint of the real quillmarsh.exe under Wine: the size of the file, and what the running
// program holds (private bytes, GDI objects, windows, kernel handles) after its tray menu has been
// opened and closed again and again. Prints; asserts nothing. Usage: footprint_bench [openings]
#include "ProcessMemory.h"
#include "contract/TestDesktop.h"
#include "program/PopupMenuReader.h"
#include "program/ProgramFolder.h"
#include "program/RunningProgram.h"

#include <windows.h>

#include <psapi.h>
#include <winternl.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

struct Footprint {
    SIZE_T privateBytes = 0;
    SIZE_T reportedPrivate = 0;
    long linuxPrivateKb = -1;
    SIZE_T workingSet = 0;
    long gdiObjects = -1;
    DWORD reportedGdi = 0;
    DWORD reportedUser = 0;
    int windows = 0;
    DWORD kernelHandles = 0;
};

// Wine does not implement GetGuiResources (it answers 0). Its GDI objects live in a handle table
// inside each process, which the PEB names (GdiSharedHandleTable, 24-byte entries, a non-zero type
// byte for a live object); another process can read it like any memory.
long RemoteGdiObjects(HANDLE process) {
    typedef LONG(WINAPI * QueryProcess)(HANDLE, PROCESSINFOCLASS, PVOID, ULONG, PULONG);
    const auto query = reinterpret_cast<QueryProcess>(reinterpret_cast<void*>(
        GetProcAddress(GetModuleHandleA("ntdll.dll"), "NtQueryInformationProcess")));
    PROCESS_BASIC_INFORMATION basic = {};
    if (!query || query(process, ProcessBasicInformation, &basic, sizeof basic, nullptr) != 0) {
        return -1;
    }
    unsigned long long table = 0;
    SIZE_T read = 0;
    const char* field = reinterpret_cast<const char*>(basic.PebBaseAddress) + 0xF8;
    if (!ReadProcessMemory(process, field, &table, sizeof table, &read) || table == 0) {
        return -1;
    }
    const size_t kEntries = 0x10000;
    const size_t kEntryBytes = 24;
    const size_t kTypeOffset = 14;
    std::vector<unsigned char> entries(kEntries * kEntryBytes);
    if (!ReadProcessMemory(process, reinterpret_cast<const void*>(table), entries.data(),
                           entries.size(), &read) ||
        read != entries.size()) {
        return -1;
    }
    long live = 0;
    for (size_t i = 0; i < kEntries; i++) {
        live += entries[i * kEntryBytes + kTypeOffset] != 0 ? 1 : 0;
    }
    return live;
}

struct WindowCount {
    DWORD processId;
    int count;
};

BOOL CALLBACK CountChild(HWND, LPARAM context) {
    reinterpret_cast<WindowCount*>(context)->count++;
    return TRUE;
}

BOOL CALLBACK CountTopLevel(HWND window, LPARAM context) {
    WindowCount* counted = reinterpret_cast<WindowCount*>(context);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (owner == counted->processId) {
        counted->count++;
        EnumChildWindows(window, CountChild, context);
    }
    return TRUE;
}

// Windows are the USER objects another process can see; menus and icons are not (below).
int WindowsOf(DWORD processId) {
    WindowCount counted = {processId, 0};
    EnumWindows(CountTopLevel, reinterpret_cast<LPARAM>(&counted));
    return counted.count;
}

// Wine keeps some objects (menus among them) in memory of its Unix side, which VirtualQueryEx does
// not list. Linux counts every page: the private pages of the process's Unix image, read through
// Wine's Z: drive, in KB; -1 when they cannot be read.
long LinuxPrivateKb(const std::string& unixProcess) {
    std::string rollup = ReadWholeFile("Z:\\proc\\" + unixProcess + "\\smaps_rollup");
    long total = -1;
    for (const char* field : {"Private_Clean:", "Private_Dirty:"}) {
        size_t at = rollup.find(field);
        if (at == std::string::npos) {
            return -1;
        }
        total = (total < 0 ? 0 : total) + atol(rollup.c_str() + at + strlen(field));
    }
    return total;
}

// The Unix process whose first argument, the program's path as Wine started it, ends in this.
std::string FindUnixProcess(const std::string& exe) {
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA("Z:\\proc\\*", &found);
    if (search == INVALID_HANDLE_VALUE) {
        return std::string();
    }
    std::string match;
    do {
        if (found.cFileName[0] < '0' || found.cFileName[0] > '9') {
            continue;
        }
        std::string commandLine =
            ReadWholeFile(std::string("Z:\\proc\\") + found.cFileName + "\\cmdline");
        std::string first = commandLine.substr(0, commandLine.find('\0'));
        if (first.size() >= exe.size() &&
            first.compare(first.size() - exe.size(), exe.size(), exe) == 0) {
            match = found.cFileName;
        }
    } while (match.empty() && FindNextFileA(search, &found));
    FindClose(search);
    return match;
}

Footprint Measure(HANDLE process, DWORD processId, const std::string& unixProcess) {
    Footprint footprint;
    PROCESS_MEMORY_COUNTERS_EX memory = {};
    memory.cb = sizeof memory;
    if (GetProcessMemoryInfo(process, reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&memory),
                             sizeof memory)) {
        footprint.reportedPrivate = memory.PrivateUsage;
        footprint.workingSet = memory.WorkingSetSize;
    }
    footprint.privateBytes = CommittedPrivateBytes(process);
    footprint.linuxPrivateKb = LinuxPrivateKb(unixProcess);
    footprint.gdiObjects = RemoteGdiObjects(process);
    footprint.reportedGdi = GetGuiResources(process, GR_GDIOBJECTS);
    footprint.reportedUser = GetGuiResources(process, GR_USEROBJECTS);
    footprint.windows = WindowsOf(processId);
    if (!GetProcessHandleCount(process, &footprint.kernelHandles)) {
        footprint.kernelHandles = 0;
    }
    return footprint;
}

void Print(int openings, const Footprint& footprint) {
    printf("%8d | %10.1f | %16ld | %8.1f | %10.1f | %5ld | %7lu / %-4lu | %7d | %7lu\n", openings,
           footprint.privateBytes / 1024.0, footprint.linuxPrivateKb,
           footprint.reportedPrivate / 1024.0, footprint.workingSet / 1024.0, footprint.gdiObjects,
           static_cast<unsigned long>(footprint.reportedGdi),
           static_cast<unsigned long>(footprint.reportedUser), footprint.windows,
           static_cast<unsigned long>(footprint.kernelHandles));
    fflush(stdout);
}

// The tray callback opens the modal popup; Escape to it ends the menu loop.
bool OpenAndCloseMenu(CRunningProgram& program) {
    std::vector<HWND> popups;
    return program.PostTrayClick(WM_RBUTTONUP) && WaitForPopups(program.ProcessId(), 1, &popups) &&
           CloseMenus(program.ProcessId()) && program.Command(0);
}

// What the private bytes would show of a leak that no count here sees: menus are USER objects that
// Wine keeps inside the process. The same number of popup menus as openings, with as many items
// as the tray menu, made and left in this process, then destroyed.
void PrintMenuLeakScale(int count) {
    const std::string self = FindUnixProcess("footprint_bench.exe");
    SIZE_T before = CommittedPrivateBytes(GetCurrentProcess());
    long linuxBefore = LinuxPrivateKb(self);
    std::vector<HMENU> menus;
    for (int n = 0; n < count; n++) {
        HMENU menu = CreatePopupMenu();
        for (int item = 0; item < 10; item++) {
            AppendMenuA(menu, MF_STRING, 100 + item, "Restore");
        }
        menus.push_back(menu);
    }
    SIZE_T after = CommittedPrivateBytes(GetCurrentProcess());
    long linuxAfter = LinuxPrivateKb(self);
    for (HMENU menu : menus) {
        DestroyMenu(menu);
    }
    printf("scale: %d popup menus of 10 items left undestroyed add %.1f KB of committed private "
           "memory and %ld KB of Linux private pages\n",
           count, (after - before) / 1024.0, linuxAfter - linuxBefore);
}

bool IsCheckpoint(int openings) {
    return openings == 1 || openings == 10 || openings % 100 == 0;
}

} // namespace

int main(int argc, char** argv) {
    const int openings = argc > 1 ? atoi(argv[1]) : 1000;
    CProgramFolder folder;
    if (!folder.Ready()) {
        fprintf(stderr, "no scratch folder\n");
        return 1;
    }
    WIN32_FILE_ATTRIBUTE_DATA exe = {};
    GetFileAttributesExA(folder.Exe().c_str(), GetFileExInfoStandard, &exe);
    printf("quillmarsh.exe: %lu bytes (%.1f KB)\n", exe.nFileSizeLow, exe.nFileSizeLow / 1024.0);
    PrintMenuLeakScale(openings);

    if (!testdesktop::Start(
            {{"Recycle Bin", 20, 10}, {"Notes.txt", 100, 10}, {"Photos", 180, 10}})) {
        fprintf(stderr, "no stand-in desktop\n");
        return 1;
    }
    CRunningProgram program;
    if (!program.Start(folder.Exe()) || !program.WaitForWindow() || !program.Command(0)) {
        fprintf(stderr, "the program did not start\n");
        return 1;
    }
    HANDLE process =
        OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, program.ProcessId());
    if (!process) {
        fprintf(stderr, "cannot open the program's process\n");
        return 1;
    }

    const std::string unixProcess = FindUnixProcess(folder.Exe());
    if (unixProcess.empty()) {
        fprintf(stderr, "the program's Unix process not found; its Linux figures show -1\n");
    }
    printf("openings | private KB | Linux private KB | reported | working KB |  GDI | reported GDI "
           "/ USER | "
           "windows | handles\n");
    Print(0, Measure(process, program.ProcessId(), unixProcess));
    DWORD started = GetTickCount();
    for (int n = 1; n <= openings; n++) {
        if (!OpenAndCloseMenu(program)) {
            fprintf(stderr, "opening %d failed\n", n);
            return 1;
        }
        if (IsCheckpoint(n) || n == openings) {
            Print(n, Measure(process, program.ProcessId(), unixProcess));
        }
    }
    printf("%d openings in %.1f s\n", openings, (GetTickCount() - started) / 1000.0);
    CloseHandle(process);
    program.Command(112);
    DWORD code = 99;
    program.WaitForExit(&code);
    printf("exit code %lu\n", static_cast<unsigned long>(code));
    testdesktop::Stop();
    return 0;
}
