#include "ini/FileAccess.h"

#include "base/TextEncoding.h"
#include "base/UniqueOwner.h"
#include "platform/win32.h"

#include <cstring>

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#else
#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace {

// Virus scanners, indexers and sync clients open files briefly: about a second of retries.
enum { kFileAttempts = 10, kFileRetryMilliseconds = 100 };
// Another copy's save takes milliseconds, but may itself wait for its file about two seconds.
enum { kLockAttempts = 60, kLockRetryMilliseconds = 50 };

#ifdef _WIN32
// The path as the wide calls take it. One that is not UTF-8 or does not fit becomes "", which names
// no file.
class CWidePath {
  public:
    explicit CWidePath(const char* path) {
        wide[0] = 0;
        if (path && FitsFilePath(path)) {
            Utf8ToUtf16(path, strlen(path), wide, kFilePathUnits);
        }
    }
    CWidePath(const CWidePath&) = delete;
    CWidePath& operator=(const CWidePath&) = delete;
    operator const WCHAR*() const { return wide; }

  private:
    WCHAR wide[kFilePathUnits];
};

bool IsTransient(DWORD error) {
    return error == ERROR_SHARING_VIOLATION || error == ERROR_LOCK_VIOLATION ||
           error == ERROR_ACCESS_DENIED;
}

bool IsMissing(DWORD error) {
    return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
}

uint64_t Join(DWORD high, DWORD low) {
    return (static_cast<uint64_t>(high) << 32) | low;
}

// flags and mode say the same: _O_RDONLY and "rb", or _O_WRONLY and "wb".
FILE* StreamOf(HANDLE opened, int flags, const char* mode) {
    CUniqueFileHandle handle(opened);
    int descriptor = _open_osfhandle(reinterpret_cast<intptr_t>(handle.Get()), flags | _O_BINARY);
    if (descriptor < 0) {
        return nullptr;
    }
    // The descriptor owns the handle from here.
    handle.Release();
    FILE* stream = _fdopen(descriptor, mode);
    if (!stream) {
        _close(descriptor);
    }
    return stream;
}

// A folder that takes no new file answers access denied for a name that is free; so do a file
// marked read-only and, until its last holder lets go, a file being deleted, whose names are taken.
FileCreateResult WhyNotCreated(const char* path, DWORD error) {
    if (error == ERROR_SHARING_VIOLATION || error == ERROR_LOCK_VIOLATION) {
        return kFileNameTaken;
    }
    if (GetFileAttributesW(CWidePath(path)) != INVALID_FILE_ATTRIBUTES) {
        return kFileNameTaken;
    }
    DWORD queried = GetLastError();
    if (queried == ERROR_FILE_NOT_FOUND) {
        return error == ERROR_ACCESS_DENIED ? kFileFolderRefused : kFileNotCreated;
    }
    return queried == ERROR_ACCESS_DENIED ? kFileNameTaken : kFileNotCreated;
}
#else
void Sleep(unsigned milliseconds) {
    usleep(milliseconds * 1000u);
}
#endif

} // namespace

#ifdef _WIN32

FileOpenResult OpenForReading(const char* path, FILE** file) {
    *file = nullptr;
    CWidePath wide(path);
    for (int attempt = 1;; attempt++) {
        HANDLE handle =
            CreateFileW(wide, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                        nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (handle != INVALID_HANDLE_VALUE) {
            *file = StreamOf(handle, _O_RDONLY, "rb");
            return *file ? kFileOpened : kFileUnreadable;
        }
        DWORD error = GetLastError();
        if (IsMissing(error)) {
            return kFileMissing;
        }
        if (attempt == kFileAttempts || !IsTransient(error)) {
            return kFileUnreadable;
        }
        Sleep(kFileRetryMilliseconds);
    }
}

FileCreateResult CreateForWriting(const char* path, FILE** file) {
    *file = nullptr;
    HANDLE handle = CreateFileW(CWidePath(path), GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                                CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        return WhyNotCreated(path, GetLastError());
    }
    *file = StreamOf(handle, _O_WRONLY, "wb");
    return *file ? kFileCreated : kFileNotCreated;
}

bool RemoveFile(const char* path) {
    return DeleteFileW(CWidePath(path)) != 0;
}

FileStamp StampOf(const char* path) {
    FileStamp stamp = {0, 0, 0, 0};
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExW(CWidePath(path), GetFileExInfoStandard, &data)) {
        return stamp;
    }
    stamp.exists = 1;
    stamp.size = Join(data.nFileSizeHigh, data.nFileSizeLow);
    stamp.writeTime = Join(data.ftLastWriteTime.dwHighDateTime, data.ftLastWriteTime.dwLowDateTime);
    // A replaced file keeps the creation time of the file that took its place.
    stamp.identity = Join(data.ftCreationTime.dwHighDateTime, data.ftCreationTime.dwLowDateTime);
    return stamp;
}

bool IsReadOnlyFile(const char* path) {
    DWORD attributes = GetFileAttributesW(CWidePath(path));
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY) &&
           !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

FileWriteAccess WriteAccessOf(const char* path) {
    CWidePath wide(path);
    DWORD attributes = GetFileAttributesW(wide);
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY)) {
        return kFileIsFolder;
    }
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY)) {
        return kFileNotWritable;
    }
    CUniqueFileHandle handle(CreateFileW(wide, GENERIC_WRITE,
                                         FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                         nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!handle.IsEmpty()) {
        return kFileWritable;
    }
    DWORD error = GetLastError();
    if (IsMissing(error)) {
        return kFileAbsent;
    }
    return error == ERROR_SHARING_VIOLATION || error == ERROR_LOCK_VIOLATION ? kFileWritable
                                                                             : kFileNotWritable;
}

// Deleted on close, so not even a killed process leaves the file behind.
bool FolderTakesNewFile(const char* path) {
    CUniqueFileHandle handle(CreateFileW(
        CWidePath(path), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
        FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr));
    return !handle.IsEmpty();
}

bool EnsureFolder(const char* path) {
    CWidePath wide(path);
    if (CreateDirectoryW(wide, nullptr)) {
        return true;
    }
    DWORD attributes = GetFileAttributesW(wide);
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

int SyncToDisk(FILE* file) {
    return _commit(_fileno(file)) == 0 ? 1 : 0;
}

int MoveOntoTarget(const char* source, const char* target) {
    CWidePath wideSource(source);
    CWidePath wideTarget(target);
    for (int attempt = 1;; attempt++) {
        if (MoveFileExW(wideSource, wideTarget,
                        MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
            return 1;
        }
        if (attempt == kFileAttempts || !IsTransient(GetLastError())) {
            return 0;
        }
        Sleep(kFileRetryMilliseconds);
    }
}

// Deleted on close, so no lock file outlives its holder, even one that is killed.
CFileLock::CFileLock(const char* lockPath) : busy(false) {
    CWidePath wide(lockPath);
    for (int attempt = 1; wide[0]; attempt++) {
        handle.Reset(CreateFileW(wide, GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_ALWAYS,
                                 FILE_ATTRIBUTE_HIDDEN | FILE_FLAG_DELETE_ON_CLOSE, nullptr));
        if (!handle.IsEmpty()) {
            return;
        }
        // Another copy holds the file, or has just let go of it and it is being deleted; a file
        // that is not there at all could not be made, which no wait will change.
        DWORD error = GetLastError();
        bool held =
            error == ERROR_SHARING_VIOLATION ||
            (error == ERROR_ACCESS_DENIED && GetFileAttributesW(wide) != INVALID_FILE_ATTRIBUTES);
        if (!held) {
            return;
        }
        if (attempt == kLockAttempts) {
            busy = true;
            return;
        }
        Sleep(kLockRetryMilliseconds);
    }
}

CFileLock::~CFileLock() {}

#else

FileOpenResult OpenForReading(const char* path, FILE** file) {
    *file = fopen(path, "rb");
    if (*file) {
        return kFileOpened;
    }
    return errno == ENOENT || errno == ENOTDIR ? kFileMissing : kFileUnreadable;
}

// A folder that takes no new file (immutable, or on a read-only mount) refuses a name that is free;
// a name that is taken may refuse in the same words.
FileCreateResult CreateForWriting(const char* path, FILE** file) {
    *file = nullptr;
    int descriptor = open(path, O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    if (descriptor < 0) {
        int error = errno;
        struct stat status;
        if (lstat(path, &status) == 0) {
            return kFileNameTaken;
        }
        bool refused = errno == ENOENT && (error == EACCES || error == EPERM || error == EROFS);
        return refused ? kFileFolderRefused : kFileNotCreated;
    }
    *file = fdopen(descriptor, "wb");
    if (!*file) {
        close(descriptor);
    }
    return *file ? kFileCreated : kFileNotCreated;
}

bool RemoveFile(const char* path) {
    return unlink(path) == 0;
}

FileStamp StampOf(const char* path) {
    FileStamp stamp = {0, 0, 0, 0};
    struct stat status;
    if (stat(path, &status) != 0) {
        return stamp;
    }
    stamp.exists = 1;
    stamp.size = static_cast<uint64_t>(status.st_size);
    stamp.writeTime = static_cast<uint64_t>(status.st_mtim.tv_sec) * 1000000000u +
                      static_cast<uint64_t>(status.st_mtim.tv_nsec);
    stamp.identity = static_cast<uint64_t>(status.st_ino);
    return stamp;
}

// The host has no read-only attribute; a file without write bits stands for one, since tests run
// as root, whom the bits do not stop.
bool IsReadOnlyFile(const char* path) {
    struct stat status;
    return stat(path, &status) == 0 && S_ISREG(status.st_mode) &&
           (status.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0;
}

FileWriteAccess WriteAccessOf(const char* path) {
    struct stat status;
    if (stat(path, &status) != 0) {
        return kFileAbsent;
    }
    if (S_ISDIR(status.st_mode)) {
        return kFileIsFolder;
    }
    if (IsReadOnlyFile(path)) {
        return kFileNotWritable;
    }
    int descriptor = open(path, O_WRONLY | O_CLOEXEC);
    if (descriptor < 0) {
        return kFileNotWritable;
    }
    close(descriptor);
    return kFileWritable;
}

bool FolderTakesNewFile(const char* path) {
    int descriptor = open(path, O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (descriptor < 0) {
        return false;
    }
    unlink(path);
    close(descriptor);
    return true;
}

bool EnsureFolder(const char* path) {
    struct stat status;
    return mkdir(path, 0700) == 0 || (stat(path, &status) == 0 && S_ISDIR(status.st_mode));
}

int SyncToDisk(FILE* file) {
    return fsync(fileno(file)) == 0 ? 1 : 0;
}

int MoveOntoTarget(const char* source, const char* target) {
    return rename(source, target) == 0 ? 1 : 0;
}

// flock stands for a file opened without sharing. The holder unlinks the file before it lets go,
// as Windows deletes it on close; a waiter that then locks the unlinked file tries again.
CFileLock::CFileLock(const char* lockPath) : descriptor(-1), busy(false) {
    path[0] = '\0';
    if (!lockPath || strlen(lockPath) >= sizeof path) {
        return;
    }
    memcpy(path, lockPath, strlen(lockPath) + 1);
    for (int attempt = 1;; attempt++) {
        int opened = open(lockPath, O_RDWR | O_CREAT | O_CLOEXEC, 0600);
        if (opened < 0) {
            return;
        }
        if (flock(opened, LOCK_EX | LOCK_NB) == 0) {
            struct stat held, named;
            if (fstat(opened, &held) == 0 && stat(lockPath, &named) == 0 &&
                held.st_ino == named.st_ino) {
                descriptor = opened;
                return;
            }
            close(opened);
            continue;
        }
        close(opened);
        if (attempt == kLockAttempts) {
            busy = true;
            return;
        }
        Sleep(kLockRetryMilliseconds);
    }
}

CFileLock::~CFileLock() {
    if (descriptor < 0) {
        return;
    }
    unlink(path);
    close(descriptor);
}

#endif

bool FitsFilePath(const char* path) {
    size_t length = strlen(path);
    return length < kFilePathChars && Utf8PrefixWithin(path, length, kFilePathUnits - 1) == length;
}

bool SiblingPath(const char* path, const char* extension, char* sibling, size_t size) {
    int appended = snprintf(sibling, size, "%s.%s", path, extension);
    if (appended > 0 && static_cast<size_t>(appended) < size && FitsFilePath(sibling)) {
        return true;
    }
    const char* name = path;
    for (const char* c = path; *c; c++) {
        if (*c == '\\' || *c == '/') {
            name = c + 1;
        }
    }
    const char* dot = strrchr(name, '.');
    if (!dot) {
        return false;
    }
    size_t stem = static_cast<size_t>(dot - path) + 1;
    if (stem + strlen(extension) >= size) {
        return false;
    }
    memcpy(sibling, path, stem);
    memcpy(sibling + stem, extension, strlen(extension) + 1);
    return FitsFilePath(sibling);
}

bool SameStamp(const FileStamp& first, const FileStamp& second) {
    return first.exists == second.exists && first.size == second.size &&
           first.writeTime == second.writeTime && first.identity == second.identity;
}
