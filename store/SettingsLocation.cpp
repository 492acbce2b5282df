#include "store/SettingsLocation.h"

#include "base/BoundedText.h"
#include "base/TaskMemory.h"
#include "base/TextEncoding.h"
#include "desktop/DesktopLayout.h"
#include "platform/shellview.h"
#include "store/RunValue.h"

#include <cstdio>
#include <cstring>

namespace {

const char kSettingsFolderName[] = "Quill Marsh";
#ifdef _WIN32
const char kSeparator = '\\';
#else
const char kSeparator = '/';
#endif

bool IsSeparator(char c) {
    return c == '\\' || c == '/';
}

size_t LengthWithoutSeparator(const char* folder) {
    size_t length = strlen(folder);
    while (length > 0 && IsSeparator(folder[length - 1])) {
        length--;
    }
    return length;
}

// False, with path "", when there is no folder or the result would not fit a path.
bool JoinPath(const char* folder, const char* name, char (&path)[kFilePathChars]) {
    size_t length = LengthWithoutSeparator(folder);
    int written =
        snprintf(path, sizeof path, "%.*s%c%s", static_cast<int>(length), folder, kSeparator, name);
    if (length == 0 || written < 0 || static_cast<size_t>(written) >= sizeof path ||
        !FitsFilePath(path)) {
        path[0] = '\0';
        return false;
    }
    return true;
}

// A short name (C:\Users\ADMINI~1\Desktop) and its long form name one folder.
bool LongFolderOf(const char* folder, WCHAR (&longFolder)[kFilePathUnits]) {
    WCHAR wide[kFilePathUnits];
    size_t length = LengthWithoutSeparator(folder);
    if (length == 0 || Utf8ToUtf16(folder, length, wide, kFilePathUnits) == 0) {
        return false;
    }
    LongPathOf(wide, longFolder, kFilePathUnits);
    return true;
}

bool SameFolder(const char* first, const char* second) {
    WCHAR longFirst[kFilePathUnits];
    WCHAR longSecond[kFilePathUnits];
    return LongFolderOf(first, longFirst) && LongFolderOf(second, longSecond) &&
           CompareStringOrdinal(longFirst, -1, longSecond, -1, TRUE) == CSTR_EQUAL;
}

// Only the folder itself: what a folder on the desktop holds does not show there.
bool IsDesktopFolder(const SettingsFolders& folders) {
    return SameFolder(folders.programFolder, folders.desktop) ||
           SameFolder(folders.programFolder, folders.publicDesktop);
}

void ReadKnownFolder(REFKNOWNFOLDERID id, char (&path)[kFilePathChars]) {
    path[0] = '\0';
    CTaskMemory<WCHAR> folder;
    if (FAILED(SHGetKnownFolderPath(id, 0, nullptr, folder.Put())) || folder.IsEmpty()) {
        return;
    }
    const WCHAR* text = folder.Get();
    size_t units = 0;
    while (units < kFilePathUnits && text[units]) {
        units++;
    }
    if (units < kFilePathUnits && IsUtf16(text, units)) {
        Utf16ToUtf8(text, units, path, sizeof path);
    }
}

} // namespace

void ChooseSettingsLocation(const SettingsFolders& folders, SettingsLocation* location) {
    location->path[0] = '\0';
    location->readFirst[0] = '\0';
    const char* beside = folders.besideProgram;
    FileWriteAccess besideAccess = beside[0] ? WriteAccessOf(beside) : kFileAbsent;
    if (besideAccess == kFileWritable) {
        CopyBounded(location->path, sizeof location->path, beside);
        return;
    }
    char localFolder[kFilePathChars];
    char local[kFilePathChars];
    bool hasLocal = JoinPath(folders.localAppData, kSettingsFolderName, localFolder) &&
                    JoinPath(localFolder, kSettingsFileName, local);
    if (hasLocal && StampOf(local).exists) {
        CopyBounded(location->path, sizeof location->path, local);
        return;
    }
    if (beside[0] && besideAccess == kFileAbsent && !IsDesktopFolder(folders) &&
        FolderTakesNewFile(beside)) {
        CopyBounded(location->path, sizeof location->path, beside);
        return;
    }
    if (hasLocal && EnsureFolder(localFolder)) {
        CopyBounded(location->path, sizeof location->path, local);
        if (besideAccess == kFileNotWritable) {
            CopyBounded(location->readFirst, sizeof location->readFirst, beside);
        }
        return;
    }
    CopyBounded(location->path, sizeof location->path, beside);
}

void ReadKnownFolders(char (&localAppData)[kFilePathChars], char (&desktop)[kFilePathChars],
                      char (&publicDesktop)[kFilePathChars]) {
    ReadKnownFolder(FOLDERID_LocalAppData, localAppData);
    ReadKnownFolder(FOLDERID_Desktop, desktop);
    ReadKnownFolder(FOLDERID_PublicDesktop, publicDesktop);
}
