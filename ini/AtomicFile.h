// Replaces a file in one step: the new text goes to a temporary file beside the target, reaches the
// disk, and only then takes the target's name. Whatever fails, the target keeps its old content.
// Only where the folder takes no new file at all (a protected folder holding a writable file) is
// the target itself written and flushed instead.
#pragma once

#include "ini/FileAccess.h"

#include <cstdio>

class CAtomicFile {
  public:
    CAtomicFile();
    CAtomicFile(const CAtomicFile&) = delete;
    CAtomicFile& operator=(const CAtomicFile&) = delete;
    // Without a successful Commit the temporary file is closed and removed.
    ~CAtomicFile();

    // Creates or truncates the temporary file "<target>.tmp" for writing, without translation (a
    // name of the target's own length where that one would be too long for a path). Where that
    // name is taken (a leftover that another program holds), the next of a few others,
    // "<target>.1.tmp" and on; once one is open, the leftovers of the others are removed. Fails
    // at once for a target marked read-only, and when every name is taken.
    int Open(const char* target);
    FILE* Stream() const { return file; }
    // Flushes the file to the disk, closes it and, unless it is the target itself, moves it onto
    // the target.
    int Commit();
    // Test only: stops as a crash would after the writes, leaving the temporary file behind.
    void AbandonForTest();

  private:
    FILE* file;
    char targetPath[kFilePathChars];
    char tempPath[kFilePathChars];
    bool inPlace;

    int CloseStream();
    FileCreateResult CreateTemporary();
    void RemoveLeftovers();
};
