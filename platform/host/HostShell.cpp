// The simulated desktop behind the host simulation: windows found by class and title, shell
// processes with address spaces of their own, and a list view that serves requests the way comctl32
// does, reading its record from and writing its answers into the caller's block.
#include "platform/host/HostTesting.h"
#include "platform/host/HostThreads.h"

#include <algorithm>
#include <functional>
#include <cstring>
#include <map>
#include <memory>
#include <string>

namespace {

struct Window {
    std::string className;
    std::string title;
    uintptr_t parent;
    DWORD processId;
};

struct Process {
    int bits = 64;
    uint64_t nextBlock = 0;
    std::map<uint64_t, std::vector<uint8_t>> blocks;
};

struct Desktop {
    std::map<uintptr_t, Window> windows; // keyed by handle value; creation order
    std::map<DWORD, Process> processes;
    std::map<uintptr_t, DWORD> handles;
    uintptr_t nextWindow = 0x10010;
    uintptr_t nextHandle = 0x100;
    DWORD nextProcessId = 1000;
    DWORD shellProcessId = 0;
    uintptr_t listView = 0;
    std::vector<hostsim::Icon> icons;
    int snapGrid = 0;
    bool autoArrange = false;
    int shiftOnMove = 0;
    std::vector<hostsim::Monitor> monitors;
    POINT listViewOrigin = {0, 0};
    SIZE iconCell = {75, 75};
    bool hung = false;
    std::function<void(UINT)> beforeRequest;
    bool openRefused = false;
    bool allocRefused = false;
    bool wow64Process2 = true;
    DWORD lastOpenAccess = 0;
    std::vector<hostsim::ListViewRequest> log;
};

Desktop& State() {
    static Desktop desktop;
    return desktop;
}

std::string& ModulePath() {
    static std::string path = "C:\\Program Files\\Quill Marsh\\quillmarsh.exe";
    return path;
}

thread_local DWORD lastError = 0;

HANDLE const kCurrentProcess = reinterpret_cast<HANDLE>(static_cast<intptr_t>(-1));
HMODULE const kKernel32 = reinterpret_cast<HMODULE>(static_cast<uintptr_t>(0x7FF000));

Window* FindWindowByHandle(HWND hwnd) {
    auto found = State().windows.find(reinterpret_cast<uintptr_t>(hwnd));
    return found == State().windows.end() ? nullptr : &found->second;
}

uintptr_t CreateWindowEntry(const char* className, const char* title, uintptr_t parent,
                            DWORD processId) {
    uintptr_t handle = State().nextWindow;
    State().nextWindow += 4;
    State().windows[handle] = Window{className, title, parent, processId};
    return handle;
}

Process* LiveProcess(DWORD processId) {
    auto found = State().processes.find(processId);
    if (found == State().processes.end()) {
        return nullptr;
    }
    return &found->second;
}

Process* ProcessOfHandle(HANDLE handle) {
    auto found = State().handles.find(reinterpret_cast<uintptr_t>(handle));
    if (found == State().handles.end()) {
        return nullptr;
    }
    return LiveProcess(found->second);
}

// The bytes [address, address + size) of one committed block, or null.
uint8_t* ProcessBytes(Process& process, uint64_t address, size_t size) {
    auto block = process.blocks.upper_bound(address);
    if (block == process.blocks.begin()) {
        return nullptr;
    }
    --block;
    uint64_t offset = address - block->first;
    if (offset > block->second.size() || size > block->second.size() - offset) {
        return nullptr;
    }
    return block->second.data() + offset;
}

void StartShellProcess(int bits) {
    Desktop& desktop = State();
    DWORD processId = desktop.nextProcessId;
    desktop.nextProcessId += 4;
    Process& process = desktop.processes[processId];
    process.bits = bits;
    // A 32-bit process hands out addresses below 4 GB, a 64-bit one far above.
    process.nextBlock = bits == 32 ? 0x00A10000ull : 0x000001F000000000ull;
    desktop.shellProcessId = processId;
    uintptr_t progman = CreateWindowEntry("Progman", "Program Manager", 0, processId);
    uintptr_t defView = CreateWindowEntry("SHELLDLL_DefView", "", progman, processId);
    desktop.listView = CreateWindowEntry("SysListView32", "FolderView", defView, processId);
}

void EndShellProcess() {
    Desktop& desktop = State();
    for (auto it = desktop.windows.begin(); it != desktop.windows.end();) {
        if (it->second.processId == desktop.shellProcessId) {
            it = desktop.windows.erase(it);
        } else {
            ++it;
        }
    }
    // Handles to it stay open and find no process, as handles to an ended process do.
    desktop.processes.erase(desktop.shellProcessId);
    desktop.listView = 0;
}

hostsim::ListViewRequest MakeLogEntry(UINT msg, WPARAM wParam, LPARAM lParam) {
    hostsim::ListViewRequest request;
    memset(&request, 0, sizeof request);
    request.processId = State().shellProcessId;
    request.msg = msg;
    request.wParam = wParam;
    request.lParam = lParam;
    return request;
}

template <typename T> T Load(const uint8_t* bytes, size_t offset) {
    T value;
    memcpy(&value, bytes + offset, sizeof value);
    return value;
}

// Reads the LVITEMA or LVITEMW at lParam in the shell's own layout: 40 bytes for 32-bit, 88 for
// 64-bit.
bool ReadRecord(Process& process, LPARAM lParam, hostsim::ListViewRequest& request) {
    bool wide = process.bits == 64;
    const uint8_t* record = ProcessBytes(process, static_cast<uint64_t>(lParam), wide ? 88 : 40);
    if (!record) {
        return false;
    }
    request.hasRecord = true;
    request.mask = Load<uint32_t>(record, 0);
    request.iItem = Load<int32_t>(record, 4);
    request.iSubItem = Load<int32_t>(record, 8);
    request.state = Load<uint32_t>(record, 12);
    request.stateMask = Load<uint32_t>(record, 16);
    if (wide) {
        request.pszText = Load<uint64_t>(record, 24);
        request.cchTextMax = Load<int32_t>(record, 32);
        request.iImage = Load<int32_t>(record, 36);
        request.recordLParam = Load<int64_t>(record, 40);
        request.iIndent = Load<int32_t>(record, 48);
    } else {
        request.pszText = Load<uint32_t>(record, 20);
        request.cchTextMax = Load<int32_t>(record, 24);
        request.iImage = Load<int32_t>(record, 28);
        request.recordLParam = Load<int32_t>(record, 32);
        request.iIndent = Load<int32_t>(record, 36);
    }
    return true;
}

// An icon's name as the list view holds it: UTF-16, each byte that is not UTF-8 read as U+FFFD.
std::u16string WideName(const std::string& name) {
    std::u16string wide(name.size(), u'\0');
    int units = name.empty() ? 0
                             : MultiByteToWideChar(CP_UTF8, 0, name.data(), int(name.size()),
                                                   &wide[0], int(wide.size()));
    wide.resize(units > 0 ? size_t(units) : 0);
    return wide;
}

// What an ANSI request gives: the code page's best fit, converted inside the shell.
std::string AnsiName(const std::u16string& wide) {
    std::string ansi(wide.size(), '\0');
    int bytes = wide.empty() ? 0
                             : WideCharToMultiByte(CP_ACP, 0, wide.data(), int(wide.size()),
                                                   &ansi[0], int(ansi.size()), nullptr, nullptr);
    ansi.resize(bytes > 0 ? size_t(bytes) : 0);
    return ansi;
}

// At most cchTextMax - 1 units and a NUL into pszText; a cut may split a surrogate pair, as the
// list view's own copy does.
template <typename Unit>
LRESULT CopyText(Process& process, const hostsim::ListViewRequest& request, const Unit* text,
                 size_t units) {
    size_t length = std::min(units, static_cast<size_t>(request.cchTextMax - 1));
    uint8_t* target = ProcessBytes(process, request.pszText, (length + 1) * sizeof(Unit));
    if (!target) {
        return 0;
    }
    memcpy(target, text, length * sizeof(Unit));
    memset(target + length * sizeof(Unit), 0, sizeof(Unit));
    return static_cast<LRESULT>(length);
}

// The item's text in the caller's block: UTF-16 for LVM_GETITEMTEXTW, the ANSI code page for
// LVM_GETITEMTEXTA.
LRESULT GetItemText(Process& process, UINT msg, WPARAM item, LPARAM lParam) {
    hostsim::ListViewRequest request = MakeLogEntry(msg, item, lParam);
    bool haveRecord = ReadRecord(process, lParam, request);
    State().log.push_back(request);
    if (!haveRecord || item >= State().icons.size() || request.cchTextMax <= 0) {
        return 0;
    }
    std::u16string wide = WideName(State().icons[item].name);
    if (msg == LVM_GETITEMTEXTW) {
        return CopyText(process, request, wide.data(), wide.size());
    }
    std::string ansi = AnsiName(wide);
    return CopyText(process, request, ansi.data(), ansi.size());
}

LRESULT GetItemPosition(Process& process, WPARAM item, LPARAM lParam) {
    State().log.push_back(MakeLogEntry(LVM_GETITEMPOSITION, item, lParam));
    if (item >= State().icons.size()) {
        return FALSE;
    }
    uint8_t* point = ProcessBytes(process, static_cast<uint64_t>(lParam), 8);
    if (!point) {
        return FALSE;
    }
    int32_t xy[2] = {State().icons[item].x, State().icons[item].y};
    memcpy(point, xy, sizeof xy);
    return TRUE;
}

int Snap(int value, int grid) {
    if (grid <= 0) {
        return value;
    }
    int snapped = value / grid * grid;
    return snapped > value ? snapped - grid : snapped;
}

LRESULT SetItemPosition(WPARAM item, LPARAM lParam) {
    State().log.push_back(MakeLogEntry(LVM_SETITEMPOSITION, item, lParam));
    if (item >= State().icons.size() || State().autoArrange) {
        return FALSE;
    }
    State().icons[item].x = Snap(static_cast<SHORT>(LOWORD(lParam)), State().snapGrid);
    State().icons[item].y = Snap(static_cast<SHORT>(HIWORD(lParam)), State().snapGrid);
    if (State().shiftOnMove && item > 0) {
        State().icons[item - 1].x += State().shiftOnMove;
    }
    return TRUE;
}

LRESULT ListViewProc(UINT msg, WPARAM wParam, LPARAM lParam) {
    Process* process = LiveProcess(State().shellProcessId);
    if (!process) {
        return 0;
    }
    switch (msg) {
    case LVM_GETITEMCOUNT:
        State().log.push_back(MakeLogEntry(msg, wParam, lParam));
        return static_cast<LRESULT>(State().icons.size());
    case LVM_GETITEMTEXTA:
    case LVM_GETITEMTEXTW:
        return GetItemText(*process, msg, wParam, lParam);
    case LVM_GETITEMPOSITION:
        return GetItemPosition(*process, wParam, lParam);
    case LVM_SETITEMPOSITION:
        return SetItemPosition(wParam, lParam);
    case LVM_GETITEMSPACING:
        State().log.push_back(MakeLogEntry(msg, wParam, lParam));
        return MAKELONG(State().iconCell.cx, State().iconCell.cy);
    default:
        return 0;
    }
}

bool Matches(const Window& window, LPCSTR className, LPCSTR title) {
    return (!className || window.className == className) && (!title || window.title == title);
}

BOOL WINAPI HostIsWow64Process2(HANDLE hProcess, USHORT* processMachine, USHORT* nativeMachine) {
    Process* process = hProcess == kCurrentProcess ? nullptr : ProcessOfHandle(hProcess);
    if (hProcess != kCurrentProcess && !process) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    *processMachine =
        process && process->bits == 32 ? IMAGE_FILE_MACHINE_I386 : IMAGE_FILE_MACHINE_UNKNOWN;
    *nativeMachine = IMAGE_FILE_MACHINE_AMD64;
    return TRUE;
}

} // namespace

// ---- Windows and messages -------------------------------------------------------------------

HWND WINAPI FindWindowA(LPCSTR lpClassName, LPCSTR lpWindowName) {
    return FindWindowExA(nullptr, nullptr, lpClassName, lpWindowName);
}

HWND WINAPI FindWindowExA(HWND hWndParent, HWND hWndChildAfter, LPCSTR lpszClass,
                          LPCSTR lpszWindow) {
    uintptr_t parent = reinterpret_cast<uintptr_t>(hWndParent);
    uintptr_t after = reinterpret_cast<uintptr_t>(hWndChildAfter);
    if (parent && !FindWindowByHandle(hWndParent)) {
        return nullptr;
    }
    for (const auto& entry : State().windows) {
        if (after && entry.first <= after) {
            continue;
        }
        if (entry.second.parent == parent && Matches(entry.second, lpszClass, lpszWindow)) {
            return reinterpret_cast<HWND>(entry.first);
        }
    }
    return nullptr;
}

// Only the list view's auto-arrange style is modelled.
LONG WINAPI GetWindowLongA(HWND hWnd, int nIndex) {
    if (!FindWindowByHandle(hWnd)) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return 0;
    }
    bool arranged = reinterpret_cast<uintptr_t>(hWnd) == State().listView && State().autoArrange;
    return nIndex == GWL_STYLE && arranged ? LVS_AUTOARRANGE : 0;
}

// Only the list view stands anywhere but at the screen's origin.
BOOL WINAPI ClientToScreen(HWND hWnd, LPPOINT lpPoint) {
    if (!FindWindowByHandle(hWnd)) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return FALSE;
    }
    if (reinterpret_cast<uintptr_t>(hWnd) == State().listView) {
        lpPoint->x += State().listViewOrigin.x;
        lpPoint->y += State().listViewOrigin.y;
    }
    return TRUE;
}

// A monitor's handle is its index plus one.
BOOL WINAPI EnumDisplayMonitors(HDC, LPCRECT, MONITORENUMPROC lpfnEnum, LPARAM dwData) {
    const std::vector<hostsim::Monitor> monitors = State().monitors;
    for (size_t i = 0; i < monitors.size(); i++) {
        RECT bounds = monitors[i].bounds;
        if (!lpfnEnum(reinterpret_cast<HMONITOR>(i + 1), nullptr, &bounds, dwData)) {
            break;
        }
    }
    return TRUE;
}

BOOL WINAPI GetMonitorInfoA(HMONITOR hMonitor, LPMONITORINFO lpmi) {
    size_t index = reinterpret_cast<uintptr_t>(hMonitor) - 1;
    if (index >= State().monitors.size() || lpmi->cbSize < sizeof(MONITORINFO)) {
        return FALSE;
    }
    lpmi->rcMonitor = State().monitors[index].bounds;
    lpmi->rcWork = State().monitors[index].work;
    lpmi->dwFlags = index == 0 ? 1 : 0;
    return TRUE;
}

DWORD WINAPI GetWindowThreadProcessId(HWND hWnd, LPDWORD lpdwProcessId) {
    Window* window = FindWindowByHandle(hWnd);
    if (!window) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return 0;
    }
    if (lpdwProcessId) {
        *lpdwProcessId = window->processId;
    }
    return window->processId + 1;
}

LRESULT WINAPI SendMessageA(HWND hWnd, UINT Msg, WPARAM wParam, LPARAM lParam) {
    DWORD_PTR result = 0;
    SendMessageTimeoutA(hWnd, Msg, wParam, lParam, SMTO_NORMAL, 0xFFFFFFFFu, &result);
    return static_cast<LRESULT>(result);
}

LRESULT WINAPI SendMessageTimeoutA(HWND hWnd, UINT Msg, WPARAM wParam, LPARAM lParam, UINT, UINT,
                                   PDWORD_PTR lpdwResult) {
    Window* window = FindWindowByHandle(hWnd);
    if (!window) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return 0;
    }
    if (reinterpret_cast<uintptr_t>(hWnd) == State().listView && State().beforeRequest) {
        State().beforeRequest(Msg);
    }
    if (window->processId == State().shellProcessId && State().hung) {
        SetLastError(ERROR_TIMEOUT);
        return 0;
    }
    LRESULT result = reinterpret_cast<uintptr_t>(hWnd) == State().listView
                         ? ListViewProc(Msg, wParam, lParam)
                         : 0;
    if (lpdwResult) {
        *lpdwResult = static_cast<DWORD_PTR>(result);
    }
    return 1;
}

// ---- Processes and their memory -------------------------------------------------------------

HANDLE WINAPI OpenProcess(DWORD dwDesiredAccess, BOOL, DWORD dwProcessId) {
    State().lastOpenAccess = dwDesiredAccess;
    if (State().openRefused) {
        SetLastError(ERROR_ACCESS_DENIED);
        return nullptr;
    }
    if (!LiveProcess(dwProcessId)) {
        SetLastError(87); // ERROR_INVALID_PARAMETER
        return nullptr;
    }
    uintptr_t handle = State().nextHandle;
    State().nextHandle += 4;
    State().handles[handle] = dwProcessId;
    return reinterpret_cast<HANDLE>(handle);
}

HANDLE WINAPI GetCurrentProcess(void) {
    return kCurrentProcess;
}

BOOL WINAPI CloseHandle(HANDLE hObject) {
    if (HostCloseSyncObject(hObject)) {
        return TRUE;
    }
    if (State().handles.erase(reinterpret_cast<uintptr_t>(hObject)) == 0) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    return TRUE;
}

LPVOID WINAPI VirtualAllocEx(HANDLE hProcess, LPVOID lpAddress, SIZE_T dwSize,
                             DWORD flAllocationType, DWORD flProtect) {
    Process* process = ProcessOfHandle(hProcess);
    if (!process || lpAddress || dwSize == 0 || !(flAllocationType & MEM_COMMIT) ||
        flProtect != PAGE_READWRITE || State().allocRefused) {
        SetLastError(process ? ERROR_NOT_ENOUGH_MEMORY : ERROR_INVALID_HANDLE);
        return nullptr;
    }
    uint64_t address = process->nextBlock;
    process->nextBlock += 0x10000;
    process->blocks[address] = std::vector<uint8_t>((dwSize + 0xFFF) & ~size_t(0xFFF), 0);
    return reinterpret_cast<LPVOID>(static_cast<uintptr_t>(address));
}

BOOL WINAPI VirtualFreeEx(HANDLE hProcess, LPVOID lpAddress, SIZE_T dwSize, DWORD dwFreeType) {
    Process* process = ProcessOfHandle(hProcess);
    if (!process || dwSize != 0 || dwFreeType != MEM_RELEASE ||
        process->blocks.erase(reinterpret_cast<uintptr_t>(lpAddress)) == 0) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    return TRUE;
}

namespace {

// The simulated process's bytes at [address, address + size), with nothing counted as done yet;
// null, and the error set, when they are not all there.
uint8_t* RemoteRange(HANDLE hProcess, const void* address, SIZE_T size, SIZE_T* done) {
    if (done) {
        *done = 0;
    }
    Process* process = ProcessOfHandle(hProcess);
    uint8_t* bytes =
        process ? ProcessBytes(*process, reinterpret_cast<uintptr_t>(address), size) : nullptr;
    if (!bytes) {
        SetLastError(process ? ERROR_PARTIAL_COPY : ERROR_INVALID_HANDLE);
    }
    return bytes;
}

} // namespace

BOOL WINAPI WriteProcessMemory(HANDLE hProcess, LPVOID lpBaseAddress, LPCVOID lpBuffer,
                               SIZE_T nSize, SIZE_T* lpNumberOfBytesWritten) {
    uint8_t* target = RemoteRange(hProcess, lpBaseAddress, nSize, lpNumberOfBytesWritten);
    if (!target) {
        return FALSE;
    }
    memcpy(target, lpBuffer, nSize);
    if (lpNumberOfBytesWritten) {
        *lpNumberOfBytesWritten = nSize;
    }
    return TRUE;
}

BOOL WINAPI ReadProcessMemory(HANDLE hProcess, LPCVOID lpBaseAddress, LPVOID lpBuffer, SIZE_T nSize,
                              SIZE_T* lpNumberOfBytesRead) {
    const uint8_t* source = RemoteRange(hProcess, lpBaseAddress, nSize, lpNumberOfBytesRead);
    if (!source) {
        return FALSE;
    }
    memcpy(lpBuffer, source, nSize);
    if (lpNumberOfBytesRead) {
        *lpNumberOfBytesRead = nSize;
    }
    return TRUE;
}

BOOL WINAPI IsWow64Process(HANDLE hProcess, BOOL* Wow64Process) {
    if (hProcess == kCurrentProcess) {
        *Wow64Process = FALSE;
        return TRUE;
    }
    Process* process = ProcessOfHandle(hProcess);
    if (!process) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    *Wow64Process = process->bits == 32 ? TRUE : FALSE;
    return TRUE;
}

// ---- Modules and errors ---------------------------------------------------------------------

DWORD WINAPI GetModuleFileNameA(HMODULE, LPSTR lpFilename, DWORD nSize) {
    if (nSize == 0) {
        return 0;
    }
    const std::string& path = ModulePath();
    // Like the platform: a path that does not fit is cut, NUL-terminated, and nSize is returned.
    DWORD length = static_cast<DWORD>(std::min<size_t>(path.size(), nSize - 1));
    memcpy(lpFilename, path.data(), length);
    lpFilename[length] = '\0';
    return path.size() >= nSize ? nSize : length;
}

// The host's file names are UTF-8: the module's path, widened, names the file the host opens.
DWORD WINAPI GetModuleFileNameW(HMODULE, LPWSTR lpFilename, DWORD nSize) {
    if (nSize == 0) {
        return 0;
    }
    const std::string& path = ModulePath();
    std::u16string wide(path.size(), u'\0');
    int units = path.empty()
                    ? 0
                    : MultiByteToWideChar(CP_UTF8, 0, path.data(), static_cast<int>(path.size()),
                                          &wide[0], static_cast<int>(wide.size()));
    DWORD length = static_cast<DWORD>(std::min<size_t>(size_t(units), nSize - 1));
    memcpy(lpFilename, wide.data(), length * sizeof(WCHAR));
    lpFilename[length] = u'\0';
    return size_t(units) >= nSize ? nSize : length;
}

HMODULE WINAPI GetModuleHandleA(LPCSTR lpModuleName) {
    if (lpModuleName && strcmp(lpModuleName, "kernel32.dll") == 0) {
        return kKernel32;
    }
    return nullptr;
}

FARPROC WINAPI GetProcAddress(HMODULE hModule, LPCSTR lpProcName) {
    if (hModule == kKernel32 && State().wow64Process2 &&
        strcmp(lpProcName, "IsWow64Process2") == 0) {
        return reinterpret_cast<FARPROC>(reinterpret_cast<void*>(&HostIsWow64Process2));
    }
    return nullptr;
}

DWORD WINAPI GetLastError(void) {
    return lastError;
}

void WINAPI SetLastError(DWORD dwErrCode) {
    lastError = dwErrCode;
}

// ---- Test controls --------------------------------------------------------------------------

namespace hostsim {

void ResetDesktop(const std::vector<Icon>& icons) {
    Desktop& desktop = State();
    if (desktop.shellProcessId) {
        EndShellProcess();
    }
    desktop.windows.clear();
    desktop.icons = icons;
    desktop.snapGrid = 0;
    desktop.autoArrange = false;
    desktop.shiftOnMove = 0;
    desktop.monitors.clear();
    desktop.listViewOrigin = POINT{0, 0};
    desktop.iconCell = SIZE{75, 75};
    desktop.hung = false;
    desktop.beforeRequest = nullptr;
    desktop.openRefused = false;
    desktop.allocRefused = false;
    desktop.wow64Process2 = true;
    desktop.log.clear();
    StartShellProcess(64);
}

void RemoveShell() {
    EndShellProcess();
    State().shellProcessId = 0;
}

void RestartShell() {
    int bits = State().processes[State().shellProcessId].bits;
    EndShellProcess();
    StartShellProcess(bits);
}

void RestartShellWith(const std::vector<Icon>& icons) {
    RestartShell();
    State().icons = icons;
}

void RemoveListView() {
    State().windows.erase(State().listView);
    State().listView = 0;
}

void MoveDefViewToWorkerW() {
    Desktop& desktop = State();
    uintptr_t defView = 0;
    for (auto& entry : desktop.windows) {
        if (entry.second.className == "SHELLDLL_DefView") {
            defView = entry.first;
        }
    }
    CreateWindowEntry("WorkerW", "", 0, desktop.shellProcessId);
    uintptr_t worker = CreateWindowEntry("WorkerW", "", 0, desktop.shellProcessId);
    CreateWindowEntry("WorkerW", "", 0, desktop.shellProcessId);
    if (defView) {
        desktop.windows[defView].parent = worker;
    }
}

void SetShellBitness(int bits) {
    Process& process = State().processes[State().shellProcessId];
    process.bits = bits;
    process.nextBlock = bits == 32 ? 0x00A10000ull : 0x000001F000000000ull;
}

void SetIsWow64Process2Available(bool available) {
    State().wow64Process2 = available;
}

void SetSnapGrid(int grid) {
    State().snapGrid = grid;
}

void SetAutoArrange(bool on) {
    State().autoArrange = on;
}

void SetMonitors(const std::vector<Monitor>& monitors, POINT listViewOrigin) {
    State().monitors = monitors;
    State().listViewOrigin = listViewOrigin;
}

void SetIconCell(int cx, int cy) {
    State().iconCell = SIZE{cx, cy};
}

void SetShiftOnMove(int dx) {
    State().shiftOnMove = dx;
}

void SetShellHung(bool hung) {
    State().hung = hung;
}

void SetBeforeListViewRequest(std::function<void(UINT msg)> hook) {
    State().beforeRequest = std::move(hook);
}

void SetOpenProcessRefused(bool refused) {
    State().openRefused = refused;
}

void SetRemoteAllocationRefused(bool refused) {
    State().allocRefused = refused;
}

std::vector<Icon> Icons() {
    return State().icons;
}

void MoveIcon(int item, int x, int y) {
    if (item >= 0 && static_cast<size_t>(item) < State().icons.size()) {
        State().icons[item].x = x;
        State().icons[item].y = y;
    }
}

DWORD ShellProcessId() {
    return State().shellProcessId;
}

HWND ShellListView() {
    return reinterpret_cast<HWND>(State().listView);
}

DWORD LastOpenProcessAccess() {
    return State().lastOpenAccess;
}

std::vector<ListViewRequest> RequestLog() {
    return State().log;
}

void ClearRequestLog() {
    State().log.clear();
}

int OpenProcessHandles() {
    return static_cast<int>(State().handles.size());
}

int RemoteBlocks() {
    int blocks = 0;
    for (const auto& process : State().processes) {
        blocks += static_cast<int>(process.second.blocks.size());
    }
    return blocks;
}

void SetModuleFileName(const std::string& path) {
    ModulePath() = path;
}

} // namespace hostsim
