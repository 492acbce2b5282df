#include "ini/AtomicFile.h"

#include "platform/win32.h"

#include <cstring>

#ifdef _WIN32
#include <io.h>
#else
#include <unistd.h>
#endif

namespace {

const char kTempSuffix[] = ".tmp";

#ifdef _WIN32
enum { kReplaceAttempts = 10, kReplaceRetryMilliseconds = 100 };

int SyncToDisk(FILE* file) {
    return _commit(_fileno(file)) == 0 ? 1 : 0;
}

// Virus scanners and indexers open files briefly; the replace waits about a second for them.
bool IsTransient(DWORD error) {
    return error == ERROR_SHARING_VIOLATION || error == ERROR_LOCK_VIOLATION ||
           error == ERROR_ACCESS_DENIED;
}

int ReplaceTarget(const char* source, const char* target) {
    for (int attempt = 1;; attempt++) {
        if (MoveFileExA(source, target, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
            return 1;
        if (attempt == kReplaceAttempts || !IsTransient(GetLastError()))
            return 0;
        Sleep(kReplaceRetryMilliseconds);
    }
}
#else
int SyncToDisk(FILE* file) {
    return fsync(fileno(file)) == 0 ? 1 : 0;
}

int ReplaceTarget(const char* source, const char* target) {
    return rename(source, target) == 0 ? 1 : 0;
}
#endif

} // namespace

CAtomicFile::CAtomicFile() : file(nullptr) {
    targetPath[0] = '\0';
    tempPath[0] = '\0';
}

CAtomicFile::~CAtomicFile() {
    CloseStream();
    if (tempPath[0])
        remove(tempPath);
}

int CAtomicFile::Open(const char* target) {
    if (file || !target || strlen(target) >= sizeof targetPath)
        return 0;
    memcpy(targetPath, target, strlen(target) + 1);
    snprintf(tempPath, sizeof tempPath, "%s%s", target, kTempSuffix);
    file = fopen(tempPath, "wb");
    if (!file)
        tempPath[0] = '\0';
    return file ? 1 : 0;
}

int CAtomicFile::Commit() {
    if (!file)
        return 0;
    int written = fflush(file) == 0 && !ferror(file) && SyncToDisk(file);
    if (!CloseStream() || !written || !ReplaceTarget(tempPath, targetPath))
        return 0;
    tempPath[0] = '\0';
    return 1;
}

void CAtomicFile::AbandonForTest() {
    CloseStream();
    tempPath[0] = '\0';
}

// 1 when there was no stream or it closed cleanly.
int CAtomicFile::CloseStream() {
    if (!file)
        return 1;
    int closed = fclose(file) == 0;
    file = nullptr;
    return closed ? 1 : 0;
}
