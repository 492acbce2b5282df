#include "program/RunningProgram.h"
#include "contract/ChildProcess.h"

#include <shellapi.h>

namespace {

// Bounds, never waits: each loop below ends as soon as its condition holds.
const DWORD kStartBoundMs = 30000;
const DWORD kReplyBoundMs = 30000;
const DWORD kBoxBoundMs = 30000;
const DWORD kExitBoundMs = 15000;
const DWORD kPollMs = 10;

const char kTrayClass[] = "QuillmarshClass32";
const char kTrayTitle[] = "Quill Marsh Version 1.0";
// The text control of a message box.
const int kMessageTextId = 0xFFFF;

DWORD OwnerOf(HWND window) {
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    return owner;
}

HWND FindTopLevel(const char* windowClass, const char* title, DWORD processId) {
    HWND window = nullptr;
    while ((window = FindWindowExA(nullptr, window, windowClass, title)) != nullptr) {
        if (OwnerOf(window) == processId) {
            return window;
        }
    }
    return nullptr;
}

HWND FindErrorBox(DWORD processId) {
    return FindTopLevel("#32770", "Error", processId);
}

NOTIFYICONDATAA IconRecord(HWND owner, UINT id) {
    NOTIFYICONDATAA record;
    ZeroMemory(&record, sizeof record);
    record.cbSize = sizeof record;
    record.hWnd = owner;
    record.uID = id;
    return record;
}

} // namespace

CRunningProgram::CRunningProgram() : hJob(CreateKillOnCloseJob()) {}

CRunningProgram::~CRunningProgram() {
    Kill();
    if (hJob) {
        CloseHandle(hJob);
    }
}

bool CRunningProgram::Start(const std::string& exe, const std::string& arguments, HANDLE output) {
    Kill();
    std::string folder = exe.substr(0, exe.find_last_of('\\') + 1);
    return LaunchInJob(hJob, exe, folder.c_str(), &process, arguments, output);
}

HWND CRunningProgram::WaitForWindow() {
    DWORD started = GetTickCount();
    while (Running() && !(hWindow = FindTopLevel(kTrayClass, kTrayTitle, ProcessId()))) {
        if (GetTickCount() - started > kStartBoundMs) {
            return nullptr;
        }
        WaitForSingleObject(process.hProcess, kPollMs);
    }
    return hWindow;
}

bool CRunningProgram::Send(UINT msg, WPARAM wParam, LPARAM lParam) {
    DWORD_PTR result = 0;
    return hWindow && SendMessageTimeoutA(hWindow, msg, wParam, lParam, SMTO_NORMAL, kReplyBoundMs,
                                          &result) != 0;
}

bool CRunningProgram::Command(UINT id) {
    return Send(WM_COMMAND, id, 0);
}

// Timer id 0 and no timer procedure, as the program's own timer arrives.
bool CRunningProgram::TimerTick() {
    return Send(WM_TIMER, 0, 0);
}

bool CRunningProgram::QueryEndSession(LRESULT* answer) {
    DWORD_PTR result = 0;
    bool sent = hWindow && SendMessageTimeoutA(hWindow, WM_QUERYENDSESSION, 0, ENDSESSION_LOGOFF,
                                               SMTO_NORMAL, kReplyBoundMs, &result) != 0;
    *answer = static_cast<LRESULT>(result);
    return sent;
}

bool CRunningProgram::TaskbarCreated() {
    return Send(RegisterWindowMessageA("TaskbarCreated"), 0, 0);
}

bool CRunningProgram::PostTrayClick(UINT mouseMessage) {
    const UINT kTrayCallback = WM_USER + 1;
    return hWindow && PostMessageA(hWindow, kTrayCallback, 1, mouseMessage) != 0;
}

bool CRunningProgram::PostCommand(UINT id) {
    return hWindow && PostMessageA(hWindow, WM_COMMAND, id, 0) != 0;
}

bool CRunningProgram::PostTimerTick() {
    return hWindow && PostMessageA(hWindow, WM_TIMER, 0, 0) != 0;
}

std::string CRunningProgram::WaitForErrorBox() {
    DWORD started = GetTickCount();
    HWND box = nullptr;
    while (!(box = FindErrorBox(ProcessId())) || !IsWindowVisible(box)) {
        if (GetTickCount() - started > kBoxBoundMs || !Running()) {
            return std::string();
        }
        Sleep(kPollMs);
    }
    char text[512] = "";
    GetDlgItemTextA(box, kMessageTextId, text, sizeof text);
    PostMessageA(box, WM_COMMAND, IDOK, 0);
    while (IsWindow(box) && Running() && GetTickCount() - started <= kBoxBoundMs) {
        Sleep(kPollMs);
    }
    return text;
}

HWND CRunningProgram::WaitForDialog(const char* title) const {
    DWORD started = GetTickCount();
    HWND dialog = nullptr;
    while (!(dialog = FindTopLevel("#32770", title, ProcessId())) || !IsWindowVisible(dialog)) {
        if (GetTickCount() - started > kBoxBoundMs || !Running()) {
            return nullptr;
        }
        Sleep(kPollMs);
    }
    return dialog;
}

int CRunningProgram::OpenErrorBoxes() const {
    return OpenDialogs("Error");
}

int CRunningProgram::OpenDialogs(const char* title) const {
    int open = 0;
    HWND box = nullptr;
    while ((box = FindWindowExA(nullptr, box, "#32770", title)) != nullptr) {
        open += OwnerOf(box) == process.dwProcessId && IsWindowVisible(box) ? 1 : 0;
    }
    return open;
}

bool CRunningProgram::Running() const {
    return process.hProcess && WaitForSingleObject(process.hProcess, 0) == WAIT_TIMEOUT;
}

bool CRunningProgram::WaitForExit(DWORD* exitCode) {
    if (!process.hProcess || WaitForSingleObject(process.hProcess, kExitBoundMs) != WAIT_OBJECT_0) {
        return false;
    }
    return GetExitCodeProcess(process.hProcess, exitCode) != 0;
}

void CRunningProgram::Kill() {
    if (!process.hProcess) {
        return;
    }
    if (Running()) {
        TerminateProcess(process.hProcess, 1);
        WaitForSingleObject(process.hProcess, kExitBoundMs);
    }
    Close();
}

void CRunningProgram::Close() {
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    process = PROCESS_INFORMATION();
    hWindow = nullptr;
}

bool TrayIconExists(HWND owner, UINT id) {
    NOTIFYICONDATAA record = IconRecord(owner, id);
    return Shell_NotifyIconA(NIM_MODIFY, &record) != 0;
}

bool ForgetTrayIcon(HWND owner, UINT id) {
    NOTIFYICONDATAA record = IconRecord(owner, id);
    return Shell_NotifyIconA(NIM_DELETE, &record) != 0;
}
