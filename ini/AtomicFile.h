// Replaces a file in one step: the new text goes to a temporary file beside the target, reaches the
// disk, and only then takes the target's name. Whatever fails, the target keeps its old content.
#pragma once

#include "ini/IniFile.h"

#include <cstdio>

class CAtomicFile {
  public:
    CAtomicFile();
    CAtomicFile(const CAtomicFile&) = delete;
    CAtomicFile& operator=(const CAtomicFile&) = delete;
    // Without a successful Commit the temporary file is closed and removed.
    ~CAtomicFile();

    // Creates or truncates the temporary file "<target>.tmp" for writing, without translation.
    int Open(const char* target);
    FILE* Stream() const { return file; }
    // Flushes the temporary file to the disk, closes it and moves it onto the target.
    int Commit();
    // Test only: stops as a crash would after the writes, leaving the temporary file behind.
    void AbandonForTest();

  private:
    FILE* file;
    char targetPath[kIniPathChars];
    char tempPath[kIniPathChars + 4];

    int CloseStream();
};
