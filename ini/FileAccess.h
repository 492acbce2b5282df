// The file-system calls of the settings engine: reading with the reasons a read can fail, the
// identity of a file as it stands, a lock file shared by every copy of the program, and the steps
// of replacing a file. Windows calls on Windows, POSIX ones on the host. Paths are UTF-8 and reach
// Windows through its wide calls, so that a folder named outside the ANSI code page is found.
#pragma once

#include "base/UniqueOwner.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>

enum {
    // The longest path the file calls take, in UTF-16 units, terminator included.
    kFilePathUnits = 260,
    // The same path in UTF-8, as the program carries paths: a unit takes three bytes at most, and
    // a pair of them four.
    kFilePathChars = 3 * kFilePathUnits,
};

// True when path, UTF-8, fits a path buffer and, in UTF-16, the file calls. A longer one is never
// cut: the shorter name would be another file.
bool FitsFilePath(const char* path);

enum FileOpenResult {
    kFileOpened,
    // Nothing at the path: the one case in which a reader may take the file as empty.
    kFileMissing,
    // Something is there but could not be opened, even after waiting for other programs.
    kFileUnreadable,
};

// Opens an existing file for reading without translation. A file that another program holds
// (a sync client, a virus scanner) is tried again for about a second.
FileOpenResult OpenForReading(const char* path, FILE** file);

// What tells one state of a file from another: its size, its write time and its identity.
struct FileStamp {
    int exists;
    uint64_t size;
    uint64_t writeTime;
    uint64_t identity;
};

FileStamp StampOf(const char* path);
bool SameStamp(const FileStamp& first, const FileStamp& second);

enum FileCreateResult {
    kFileCreated,
    // Something stands at the path and could not be opened for writing: a file another program
    // holds, one marked read-only, a folder.
    kFileNameTaken,
    // Nothing stands at the path and the folder refused to make it: a folder that takes no new
    // file.
    kFileFolderRefused,
    // Any other failure: a missing folder, a name the system does not take.
    kFileNotCreated,
};

// Creates or truncates a file for writing without translation, and tells why it could not.
FileCreateResult CreateForWriting(const char* path, FILE** file);
// Deletes the file at path where it can; a folder, or a file another program holds, stays.
bool RemoveFile(const char* path);

// A file that is marked read-only refuses every write; there is nothing to wait for.
bool IsReadOnlyFile(const char* path);

enum FileWriteAccess {
    kFileAbsent,
    kFileIsFolder,
    // Opened for writing, without truncating it, or held by another program for a moment.
    kFileWritable,
    // There, but this account may not write it: marked read-only, or refused by its access list.
    kFileNotWritable,
};

FileWriteAccess WriteAccessOf(const char* path);
// True when the folder takes a new file at path, which must be free: made, then deleted again.
bool FolderTakesNewFile(const char* path);
// Creates the folder at path unless one stands there already.
bool EnsureFolder(const char* path);

// Writes the stream's buffered bytes through to the disk.
int SyncToDisk(FILE* file);
// Moves source onto target in one step, waiting about a second for programs that hold target.
int MoveOntoTarget(const char* source, const char* target);

// path with ".extension" appended when that fits a path, else with the file name's own extension
// replaced, which keeps the length. False when neither fits in size characters or within a path.
bool SiblingPath(const char* path, const char* extension, char* sibling, size_t size);

// Held by one copy of the program at a time, across processes: a file opened without sharing.
// A copy that holds it waits briefly for another; where no lock file can be made at all (a
// read-only folder) the holder goes on without one, since no other copy can write there either.
class CFileLock {
  public:
    explicit CFileLock(const char* lockPath);
    ~CFileLock();
    CFileLock(const CFileLock&) = delete;
    CFileLock& operator=(const CFileLock&) = delete;

    // False only when another copy held the lock for the whole wait.
    bool Acquired() const { return !busy; }

  private:
#ifdef _WIN32
    CUniqueFileHandle handle;
#else
    int descriptor;
    char path[kFilePathChars];
#endif
    bool busy;
};
