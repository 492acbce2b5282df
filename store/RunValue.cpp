// Reading the Run value's data: which program file it names, and whether that is this one.
#include "store/RunValue.h"

namespace {

size_t Length(const WCHAR* text, size_t units) {
    size_t length = 0;
    while (length < units && text[length] != 0) {
        length++;
    }
    return length;
}

size_t CopyPath(const WCHAR* from, size_t length, WCHAR* path, size_t size) {
    if (length == 0 || length >= size) {
        return 0;
    }
    for (size_t i = 0; i < length; i++) {
        path[i] = from[i];
    }
    path[length] = 0;
    return length;
}

// Only a file that is surely not there may be taken over: a drive that does not answer or a
// folder this user may not look into may still hold another copy.
bool SurelyMissing(const WCHAR* path) {
    DWORD attributes = GetFileAttributesW(path);
    if (attributes != INVALID_FILE_ATTRIBUTES) {
        return (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    }
    DWORD error = GetLastError();
    return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND ||
           error == ERROR_INVALID_NAME;
}

} // namespace

size_t RunValuePath(const WCHAR* data, size_t units, WCHAR* path, size_t size) {
    size_t length = Length(data, units);
    if (length == 0 || data[0] != '"') {
        return CopyPath(data, length, path, size);
    }
    size_t close = 1;
    while (close < length && data[close] != '"') {
        close++;
    }
    return close < length ? CopyPath(data + 1, close - 1, path, size) : 0;
}

void LongPathOf(const WCHAR* path, WCHAR* longPath, size_t size) {
    DWORD length = GetLongPathNameW(path, longPath, static_cast<DWORD>(size));
    if (length == 0 || length >= size) {
        size_t units = Length(path, size);
        CopyPath(path, units, longPath, size);
        longPath[units < size ? units : 0] = 0;
    }
}

namespace {

// What a value to be expanded names depends on the environment of the logon it starts, which
// this program cannot see: it is taken for another copy's.
bool NamesThroughTheEnvironment(DWORD type, const WCHAR* data, size_t units) {
    for (size_t i = 0; type == REG_EXPAND_SZ && i < units && data[i] != 0; i++) {
        if (data[i] == '%') {
            return true;
        }
    }
    return false;
}

} // namespace

RunValueOwner OwnerOfRunValue(DWORD type, const WCHAR* data, size_t units, const WCHAR* thisCopy) {
    if (NamesThroughTheEnvironment(type, data, units)) {
        return kRunValueOtherCopy;
    }
    WCHAR path[kRunValueUnits];
    if ((type != REG_SZ && type != REG_EXPAND_SZ) ||
        !RunValuePath(data, units, path, kRunValueUnits)) {
        return kRunValueMissingFile;
    }
    WCHAR longPath[kRunValueUnits];
    LongPathOf(path, longPath, kRunValueUnits);
    if (CompareStringOrdinal(longPath, -1, thisCopy, -1, TRUE) == CSTR_EQUAL) {
        return kRunValueThisCopy;
    }
    return SurelyMissing(path) ? kRunValueMissingFile : kRunValueOtherCopy;
}
