// Child processes of a test, tied to it: a job that ends every process put into it when its last
// handle closes, so a test process that crashes leaves no child behind.
#pragma once

#include <windows.h>

#include <string>

inline HANDLE CreateKillOnCloseJob() {
    HANDLE job = CreateJobObjectA(nullptr, nullptr);
    if (!job) {
        return nullptr;
    }
    JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits = {};
    limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE;
    if (!SetInformationJobObject(job, JobObjectExtendedLimitInformation, &limits, sizeof limits)) {
        CloseHandle(job);
        return nullptr;
    }
    return job;
}

inline std::wstring WideOfUtf8(const std::string& text) {
    std::wstring wide(text.size(), L'\0');
    int units = MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()),
                                    &wide[0], static_cast<int>(wide.size()));
    wide.resize(units > 0 ? static_cast<size_t>(units) : 0);
    return wide;
}

// Starts the executable at path, in folder (null: ours), inside job before it runs a single
// instruction, so it can never outlive the job. All are UTF-8, so any folder name will do;
// arguments follow the quoted path. output, when given, is the child's standard output and error.
inline bool LaunchInJob(HANDLE job, const std::string& path, const char* folder,
                        PROCESS_INFORMATION* process, const std::string& arguments = "",
                        HANDLE output = nullptr) {
    const std::wstring widePath = WideOfUtf8(path);
    const std::wstring wideFolder = folder ? WideOfUtf8(folder) : std::wstring();
    std::wstring commandLine = L"\"" + widePath + L"\"";
    if (!arguments.empty()) {
        commandLine += L" " + WideOfUtf8(arguments);
    }
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    if (output) {
        startup.dwFlags = STARTF_USESTDHANDLES;
        startup.hStdOutput = output;
        startup.hStdError = output;
    }
    // Wine now and then fails a start before the child runs ("failed to map the shared user
    // data", ERROR_INTERNAL_ERROR); nothing was started then, so another try is safe.
    const int kLaunchTries = 3;
    bool started = false;
    for (int attempt = 0; attempt < kLaunchTries && !started; ++attempt) {
        started = CreateProcessW(widePath.c_str(), &commandLine[0], nullptr, nullptr,
                                 output ? TRUE : FALSE, CREATE_SUSPENDED, nullptr,
                                 folder ? wideFolder.c_str() : nullptr, &startup, process) != 0;
        if (!started && GetLastError() != ERROR_INTERNAL_ERROR) {
            break;
        }
    }
    if (!started) {
        *process = PROCESS_INFORMATION();
        return false;
    }
    if (job) {
        AssignProcessToJobObject(job, process->hProcess);
    }
    ResumeThread(process->hThread);
    return true;
}
