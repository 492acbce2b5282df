// The real quillmarsh.exe under Wine over a settings file of 40,000 small snapshots, started from a
// scratch folder beside the stand-in desktop: how long from its start until its window exists (the
// load), until its start-up snapshot is in the file (capture, sort, save), and for each later
// autosave (a timer tick: the same again); what it holds in memory then, and how many snapshots
// the file keeps. Prints; asserts nothing. Usage: startup_bench [ticks]
#include "ManySnapshots.h"
#include "ProcessMemory.h"
#include "contract/TestDesktop.h"
#include "program/ProgramFolder.h"
#include "program/RunningProgram.h"

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

// Generous, so that a slow build can be measured too; never reached by a program that works.
const DWORD kBoundMs = 600000;
const UINT kExit = 112;

double Seconds() {
    LARGE_INTEGER frequency, now;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&now);
    return static_cast<double>(now.QuadPart) / static_cast<double>(frequency.QuadPart);
}

FILETIME LastWrite(const std::string& path) {
    WIN32_FILE_ATTRIBUTE_DATA data = {};
    GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data);
    return data.ftLastWriteTime;
}

// The key lines of the two snapshot sections.
size_t SnapshotsIn(const std::string& file) {
    size_t count = 0;
    bool inSnapshots = false;
    for (size_t start = 0; start < file.size();) {
        size_t end = file.find('\n', start);
        std::string line = file.substr(start, end == std::string::npos ? end : end - start);
        if (line[0] == '[') {
            inSnapshots = line.rfind("[Saves]", 0) == 0 || line.rfind("[AutoSaves]", 0) == 0;
        } else if (inSnapshots && line.find('=') != std::string::npos) {
            count++;
        }
        start = end == std::string::npos ? file.size() : end + 1;
    }
    return count;
}

HWND WaitForWindow(CRunningProgram& program) {
    DWORD started = GetTickCount();
    HWND window = nullptr;
    while (!(window = program.WaitForWindow()) && program.Running() &&
           GetTickCount() - started < kBoundMs) {
    }
    return window;
}

bool WaitForNewFile(const std::string& path, const FILETIME& written) {
    DWORD started = GetTickCount();
    FILETIME now = LastWrite(path);
    while (CompareFileTime(&written, &now) == 0) {
        if (GetTickCount() - started > kBoundMs) {
            return false;
        }
        Sleep(5);
        now = LastWrite(path);
    }
    return true;
}

// Sent, so the program has carried the message out when this returns.
bool SendAndWait(HWND window, UINT message) {
    DWORD_PTR result = 0;
    return SendMessageTimeoutA(window, message, 0, 0, SMTO_NORMAL, kBoundMs, &result) != 0;
}

} // namespace

int main(int argc, char** argv) {
    const int ticks = argc > 1 ? std::max(1, atoi(argv[1])) : 3;
    CProgramFolder folder;
    if (!folder.Ready() ||
        !WriteWholeFile(folder.SettingsFile(), ManySnapshotsText(kManySnapshots))) {
        fprintf(stderr, "no scratch folder\n");
        return 1;
    }
    const std::string before = ReadWholeFile(folder.SettingsFile());
    printf("settings file: %zu bytes, %zu snapshots\n", before.size(), SnapshotsIn(before));
    if (!testdesktop::Start({{"Recycle Bin", 20, 10}, {"Notes.txt", 100, 10}})) {
        fprintf(stderr, "no stand-in desktop\n");
        return 1;
    }

    const FILETIME written = LastWrite(folder.SettingsFile());
    CRunningProgram program;
    double start = Seconds();
    if (!program.Start(folder.Exe())) {
        fprintf(stderr, "the program did not start\n");
        return 1;
    }
    HWND window = WaitForWindow(program);
    double windowAt = Seconds();
    if (!window || !WaitForNewFile(folder.SettingsFile(), written) || !SendAndWait(window, 0)) {
        fprintf(stderr, "the program did not take its start-up snapshot\n");
        return 1;
    }
    double savedAt = Seconds();
    printf("start to window (load):              %8.3f s\n", windowAt - start);
    printf("start to start-up snapshot saved:    %8.3f s\n", savedAt - start);

    std::vector<double> tickTimes;
    for (int tick = 0; tick < ticks; tick++) {
        double tickStart = Seconds();
        if (!SendAndWait(window, WM_TIMER)) {
            fprintf(stderr, "tick %d got no answer\n", tick + 1);
            return 1;
        }
        tickTimes.push_back(Seconds() - tickStart);
        printf("autosave tick %d (capture, sort, save): %8.3f s\n", tick + 1, tickTimes.back());
    }
    std::sort(tickTimes.begin(), tickTimes.end());
    printf("autosave tick, median of %d:          %8.3f s\n", ticks,
           tickTimes[tickTimes.size() / 2]);

    HANDLE process =
        OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, program.ProcessId());
    if (process) {
        printf("committed private memory:            %8.1f MB\n",
               CommittedPrivateBytes(process) / (1024.0 * 1024.0));
        CloseHandle(process);
    }
    const std::string after = ReadWholeFile(folder.SettingsFile());
    printf("settings file after: %zu bytes, %zu snapshots\n", after.size(), SnapshotsIn(after));

    SendAndWait(window, 0);
    DWORD_PTR result = 0;
    SendMessageTimeoutA(window, WM_COMMAND, kExit, 0, SMTO_NORMAL, kBoundMs, &result);
    DWORD code = 99;
    program.WaitForExit(&code);
    printf("exit code %lu\n", static_cast<unsigned long>(code));
    testdesktop::Stop();
    return 0;
}
