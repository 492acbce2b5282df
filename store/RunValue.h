// The data of a Run value: the path of the program file that starts at logon, quoted as this
// program writes it, or bare as older versions wrote it.
#pragma once

#include "platform/win32.h"

#include <cstddef>

enum {
    // The longest program path and Run value this program reads or writes, in UTF-16 units with
    // the terminator; a longer value is left alone as one it cannot tell.
    kRunValueUnits = 1024,
};

enum RunValueOwner {
    kRunValueNone,
    kRunValueThisCopy,
    // Names no program file that exists now: a copy since moved or deleted, or data of another
    // type.
    kRunValueMissingFile,
    // Names another program file that exists, or one this user cannot look at.
    kRunValueOtherCopy,
};

// The path the data names: what stands between a leading quote and the next one, else all of it.
// Writes at most size units, terminator included, and returns the length; 0 when it names none.
size_t RunValuePath(const WCHAR* data, size_t units, WCHAR* path, size_t size);

// The long form of path in size units, or path itself where the system gives none (a file that
// is not there, a result that would not fit).
void LongPathOf(const WCHAR* path, WCHAR* longPath, size_t size);

// Whom a value of this type and data starts; thisCopy is this program file's long path.
RunValueOwner OwnerOfRunValue(DWORD type, const WCHAR* data, size_t units, const WCHAR* thisCopy);
