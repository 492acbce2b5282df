// The contract tests' desktop under Wine: the stand-in desktop program (tests/standin-desktop), a
// process of its own with a real SysListView32, steered through its control channel.
#include "contract/TestDesktop.h"
#include "contract/ChildProcess.h"

#include "tests/standin-desktop/StandinProtocol.h"

#include <windows.h>
#include <commctrl.h>

#include <cstdio>

#include <cstring>

namespace testdesktop {
namespace {

// Bounds, never waits: every wait below ends as soon as its condition holds.
const DWORD kStartBoundMs = 30000;
const DWORD kExitBoundMs = 10000;
// Longer than a hang of the stand-in, so a control request made meanwhile is answered after it.
const UINT kControlBoundMs = standin::kHangMs + 10000;

std::string StandinPath() {
    char path[MAX_PATH] = {};
    DWORD length = GetModuleFileNameA(nullptr, path, sizeof path);
    if (length == 0 || length >= sizeof path) {
        return "standin-desktop.exe";
    }
    char* slash = strrchr(path, '\\');
    std::string directory = slash ? std::string(path, slash + 1) : std::string();
    return directory + "standin-desktop.exe";
}

HWND FindDefView(HWND parent) {
    return FindWindowExA(parent, nullptr, "SHELLDLL_DefView", nullptr);
}

// The way the product looks for it: under "Program Manager", else under one of the "WorkerW"s.
HWND FindDesktopListView() {
    HWND progman = FindWindowA(nullptr, "Program Manager");
    HWND defView = progman ? FindDefView(progman) : nullptr;
    HWND worker = nullptr;
    while (!defView && (worker = FindWindowExA(nullptr, worker, "WorkerW", nullptr)) != nullptr) {
        defView = FindDefView(worker);
    }
    return defView ? FindWindowExA(defView, nullptr, "SysListView32", nullptr) : nullptr;
}

HWND FindProgmanOf(DWORD processId) {
    HWND progman = nullptr;
    while ((progman = FindWindowExA(nullptr, progman, "Progman", "Program Manager")) != nullptr) {
        DWORD owner = 0;
        GetWindowThreadProcessId(progman, &owner);
        if (owner == processId) {
            return progman;
        }
    }
    return nullptr;
}

// One running stand-in and the handles that reach it. At most one exists; the static instance
// stops it when the test process ends.
class CStandin {
  public:
    CStandin() : hJob(CreateKillOnCloseJob()) {}
    ~CStandin() {
        Stop();
        if (hJob) {
            CloseHandle(hJob);
        }
    }
    CStandin(const CStandin&) = delete;
    CStandin& operator=(const CStandin&) = delete;

    bool Start(const std::vector<standin::Icon>& icons);
    void Stop();
    bool Running() const { return process.hProcess != nullptr; }
    // Sends one control request; answer (when given) receives the stand-in's reply.
    bool Call(standin::Command command, const std::vector<uint8_t>& payload,
              std::vector<uint8_t>* answer);

  private:
    HANDLE hJob;
    PROCESS_INFORMATION process = {};
    HWND hProgman = nullptr;
    HANDLE hMapping = nullptr;
    const uint8_t* replyView = nullptr;

    bool Launch();
    bool WaitForWindow();
    bool OpenReplyMapping();
    void CloseHandles();
};

bool CStandin::Start(const std::vector<standin::Icon>& icons) {
    Stop();
    std::vector<uint8_t> payload;
    standin::EncodeIcons(icons, payload);
    const char* failed = !Launch()                                         ? "launch"
                         : !WaitForWindow()                                ? "its window"
                         : !OpenReplyMapping()                             ? "its reply mapping"
                         : !Call(standin::kReplaceIcons, payload, nullptr) ? "setting the icons"
                                                                           : nullptr;
    if (!failed) {
        return true;
    }
    fprintf(stderr, "stand-in desktop did not start: %s failed (error %lu)\n", failed,
            static_cast<unsigned long>(GetLastError()));
    Stop();
    return false;
}

bool CStandin::Launch() {
    return LaunchInJob(hJob, StandinPath(), nullptr, &process);
}

// The stand-in creates its reply mapping before its window, so both are there once the window is.
bool CStandin::WaitForWindow() {
    WaitForInputIdle(process.hProcess, kStartBoundMs);
    DWORD started = GetTickCount();
    while (!(hProgman = FindProgmanOf(process.dwProcessId))) {
        if (WaitForSingleObject(process.hProcess, 1) == WAIT_OBJECT_0 ||
            GetTickCount() - started > kStartBoundMs) {
            return false;
        }
    }
    return true;
}

bool CStandin::OpenReplyMapping() {
    std::string name = standin::ReplyMappingName(process.dwProcessId);
    hMapping = OpenFileMappingA(FILE_MAP_READ, FALSE, name.c_str());
    if (!hMapping) {
        return false;
    }
    replyView = static_cast<const uint8_t*>(
        MapViewOfFile(hMapping, FILE_MAP_READ, 0, 0, standin::kReplyBytes));
    return replyView != nullptr;
}

void CStandin::Stop() {
    if (!Running()) {
        return;
    }
    if (hProgman) {
        Call(standin::kQuit, {}, nullptr);
    }
    if (WaitForSingleObject(process.hProcess, kExitBoundMs) != WAIT_OBJECT_0) {
        TerminateProcess(process.hProcess, 1);
        WaitForSingleObject(process.hProcess, kExitBoundMs);
    }
    CloseHandles();
}

void CStandin::CloseHandles() {
    if (replyView) {
        UnmapViewOfFile(replyView);
    }
    if (hMapping) {
        CloseHandle(hMapping);
    }
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    replyView = nullptr;
    hMapping = nullptr;
    hProgman = nullptr;
    process = PROCESS_INFORMATION();
}

bool CStandin::Call(standin::Command command, const std::vector<uint8_t>& payload,
                    std::vector<uint8_t>* answer) {
    if (!hProgman) {
        return false;
    }
    COPYDATASTRUCT request;
    request.dwData = command;
    request.cbData = static_cast<DWORD>(payload.size());
    request.lpData = const_cast<uint8_t*>(payload.data());
    DWORD_PTR result = 0;
    if (!SendMessageTimeoutA(hProgman, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&request),
                             SMTO_NORMAL, kControlBoundMs, &result)) {
        return false;
    }
    intptr_t length = static_cast<intptr_t>(result);
    if (length < 0 || static_cast<uint64_t>(length) > standin::kReplyBytes) {
        return false;
    }
    if (answer) {
        answer->assign(replyView, replyView + length);
    }
    return true;
}

CStandin& Standin() {
    static CStandin standin;
    return standin;
}

// What outlives one stand-in process across a shell restart, as the simulated shell keeps it too.
int snapGrid = 0;
int shiftOnMove = 0;
std::vector<Request> pendingLog;

std::vector<standin::Icon> ToStandin(const std::vector<Icon>& icons) {
    std::vector<standin::Icon> converted;
    for (const Icon& icon : icons) {
        converted.push_back({icon.name, icon.x, icon.y});
    }
    return converted;
}

Request FromLogged(const standin::LoggedRequest& logged) {
    return Request{logged.msg,       logged.wParam, logged.lParam,   logged.hasRecord != 0,
                   logged.mask,      logged.iItem,  logged.iSubItem, logged.pszText,
                   logged.cchTextMax};
}

void SendInts(standin::Command command, std::initializer_list<int32_t> values) {
    std::vector<uint8_t> payload;
    for (int32_t value : values) {
        standin::PutI32(payload, value);
    }
    Standin().Call(command, payload, nullptr);
}

} // namespace

bool Start(const std::vector<Icon>& icons) {
    snapGrid = 0;
    shiftOnMove = 0;
    pendingLog.clear();
    return Standin().Start(ToStandin(icons));
}

void Stop() {
    Standin().Stop();
}

std::vector<Icon> Icons() {
    std::vector<uint8_t> answer;
    std::vector<standin::Icon> icons;
    if (!Standin().Call(standin::kGetIcons, {}, &answer) ||
        !standin::DecodeIcons(answer.data(), answer.size(), &icons)) {
        return {};
    }
    std::vector<Icon> converted;
    for (const standin::Icon& icon : icons) {
        converted.push_back({icon.name, icon.x, icon.y});
    }
    return converted;
}

void MoveIcon(int item, int x, int y) {
    SendInts(standin::kMoveIcon, {item, x, y});
}

void SetSnapGrid(int grid) {
    snapGrid = grid;
    SendInts(standin::kSetSnapGrid, {grid});
}

void SetAutoArrange(bool on) {
    SendInts(standin::kSetAutoArrange, {on ? 1 : 0});
}

void SetShiftOnMove(int dx) {
    shiftOnMove = dx;
    SendInts(standin::kSetShiftOnMove, {dx});
}

void RemoveListView() {
    Standin().Call(standin::kRemoveListView, {}, nullptr);
}

void RestartShell() {
    RestartShellWith(Icons());
}

void RestartShellWith(const std::vector<Icon>& icons) {
    std::vector<Request> log = TakeRequestLog();
    int grid = snapGrid;
    int dx = shiftOnMove;
    Start(icons);
    pendingLog = log;
    SetSnapGrid(grid);
    SetShiftOnMove(dx);
}

void MoveDefViewToWorkerW() {
    Standin().Call(standin::kMoveDefViewToWorkerW, {}, nullptr);
}

void HangShell() {
    Standin().Call(standin::kHang, {}, nullptr);
}

std::vector<Request> TakeRequestLog() {
    std::vector<Request> requests;
    requests.swap(pendingLog);
    std::vector<uint8_t> answer;
    if (!Standin().Call(standin::kTakeRequestLog, {}, &answer)) {
        return requests;
    }
    standin::CPayloadReader reader(answer.data(), answer.size());
    uint32_t count = 0;
    standin::LoggedRequest logged;
    if (!reader.U32(&count)) {
        return requests;
    }
    for (uint32_t i = 0; i < count && reader.Bytes(&logged, sizeof logged); ++i) {
        requests.push_back(FromLogged(logged));
    }
    return requests;
}

unsigned long ShellProcessId() {
    HWND listView = FindDesktopListView();
    DWORD owner = 0;
    if (listView) {
        GetWindowThreadProcessId(listView, &owner);
    }
    return owner;
}

// Read as the program reads them, from outside the stand-in's process.
Area WorkArea() {
    HWND listView = FindDesktopListView();
    POINT origin = {0, 0};
    MONITORINFO info = {};
    info.cbSize = sizeof info;
    if (!listView || !ClientToScreen(listView, &origin) ||
        !GetMonitorInfoA(MonitorFromWindow(listView, MONITOR_DEFAULTTOPRIMARY), &info)) {
        return Area{0, 0, 0, 0};
    }
    const RECT& work = info.rcWork;
    return Area{work.left - origin.x, work.top - origin.y, work.right - origin.x,
                work.bottom - origin.y};
}

void IconCell(int* cx, int* cy) {
    DWORD_PTR spacing = 0;
    SendMessageTimeoutA(FindDesktopListView(), LVM_GETITEMSPACING, FALSE, 0, SMTO_ABORTIFHUNG, 5000,
                        &spacing);
    *cx = LOWORD(spacing);
    *cy = HIWORD(spacing);
}

} // namespace testdesktop
