#include "ini/AtomicFile.h"

#include <cstring>

namespace {

const char kTempExtension[] = "tmp";

} // namespace

CAtomicFile::CAtomicFile() : file(nullptr), inPlace(false) {
    targetPath[0] = '\0';
    tempPath[0] = '\0';
}

CAtomicFile::~CAtomicFile() {
    CloseStream();
    if (tempPath[0]) {
        remove(tempPath);
    }
}

int CAtomicFile::Open(const char* target) {
    if (file || !target || strlen(target) >= sizeof targetPath || IsReadOnlyFile(target)) {
        return 0;
    }
    memcpy(targetPath, target, strlen(target) + 1);
    if (SiblingPath(target, kTempExtension, tempPath, sizeof tempPath)) {
        file = fopen(tempPath, "wb");
    }
    if (file) {
        return 1;
    }
    tempPath[0] = '\0';
    file = fopen(targetPath, "wb");
    inPlace = file != nullptr;
    return file ? 1 : 0;
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
