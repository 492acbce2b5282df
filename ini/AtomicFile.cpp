#include "ini/AtomicFile.h"

#include <cstdio>
#include <cstring>

namespace {

const char kTempExtension[] = "tmp";
// "<target>.tmp", then "<target>.1.tmp" up to this many names in all.
const int kTemporaryNames = 4;

// The index-th temporary name of target; false when it does not fit in a path.
bool TemporaryPath(const char* target, int index, char (&path)[kFilePathChars]) {
    char extension[16];
    if (index == 0) {
        snprintf(extension, sizeof extension, "%s", kTempExtension);
    } else {
        snprintf(extension, sizeof extension, "%d.%s", index, kTempExtension);
    }
    return SiblingPath(target, extension, path, sizeof path);
}

} // namespace

CAtomicFile::CAtomicFile() : file(nullptr), inPlace(false) {
    targetPath[0] = '\0';
    tempPath[0] = '\0';
}

CAtomicFile::~CAtomicFile() {
    CloseStream();
    if (tempPath[0]) {
        RemoveFile(tempPath);
    }
}

int CAtomicFile::Open(const char* target) {
    if (file || !target || !FitsFilePath(target) || IsReadOnlyFile(target)) {
        return 0;
    }
    memcpy(targetPath, target, strlen(target) + 1);
    FileCreateResult created = CreateTemporary();
    if (created == kFileCreated) {
        RemoveLeftovers();
        return 1;
    }
    tempPath[0] = '\0';
    if (created != kFileFolderRefused) {
        return 0;
    }
    inPlace = CreateForWriting(targetPath, &file) == kFileCreated;
    return file ? 1 : 0;
}

// A folder that refuses one new name refuses them all; a name that is taken gives way to the next.
FileCreateResult CAtomicFile::CreateTemporary() {
    for (int index = 0; index < kTemporaryNames; index++) {
        if (!TemporaryPath(targetPath, index, tempPath)) {
            continue;
        }
        FileCreateResult created = CreateForWriting(tempPath, &file);
        if (created != kFileNameTaken) {
            return created;
        }
    }
    return kFileNotCreated;
}

// What a crash left behind under the other names; a name another program still holds stays.
void CAtomicFile::RemoveLeftovers() {
    for (int index = 0; index < kTemporaryNames; index++) {
        char leftover[kFilePathChars];
        if (TemporaryPath(targetPath, index, leftover) && strcmp(leftover, tempPath) != 0) {
            RemoveFile(leftover);
        }
    }
}

int CAtomicFile::Commit() {
    if (!file) {
        return 0;
    }
    int written = fflush(file) == 0 && !ferror(file) && SyncToDisk(file);
    if (!CloseStream() || !written) {
        return 0;
    }
    if (!inPlace && !MoveOntoTarget(tempPath, targetPath)) {
        return 0;
    }
    tempPath[0] = '\0';
    return 1;
}

void CAtomicFile::AbandonForTest() {
    CloseStream();
    tempPath[0] = '\0';
}

// 1 when there was no stream or it closed cleanly.
int CAtomicFile::CloseStream() {
    if (!file) {
        return 1;
    }
    int closed = fclose(file) == 0;
    file = nullptr;
    return closed ? 1 : 0;
}
