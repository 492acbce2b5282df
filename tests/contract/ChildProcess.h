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

// Starts the executable at path, in folder (null: ours), inside job before it runs a single
// instruction, so it can never outlive the job.
inline bool LaunchInJob(HANDLE job, const std::string& path, const char* folder,
                        PROCESS_INFORMATION* process) {
    std::string commandLine = "\"" + path + "\"";
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    if (!CreateProcessA(path.c_str(), &commandLine[0], nullptr, nullptr, FALSE, CREATE_SUSPENDED,
                        nullptr, folder, &startup, process)) {
        *process = PROCESS_INFORMATION();
        return false;
    }
    if (job) {
        AssignProcessToJobObject(job, process->hProcess);
    }
    ResumeThread(process->hThread);
    return true;
}
