#include "desktop/DesktopLayout.h"
#include "base/TextEncoding.h"

#include <cstdio>
#include <cstring>

const char kSettingsFileName[] = "Quillmarsh.ini";

namespace {

HWND FindDefView(HWND parent) {
    return FindWindowExA(parent, nullptr, "SHELLDLL_DefView", nullptr);
}

HWND FindListViewIn(HWND defView) {
    return FindWindowExA(defView, nullptr, "SysListView32", nullptr);
}

// "C:\", "\\server\" or, on the host, "/": a relative folder would follow the current folder,
// which at logon is the system's own.
bool IsAbsoluteDirectory(const char* directory) {
    bool separator0 = directory[0] == '\\' || directory[0] == '/';
    bool drive = directory[0] != '\0' && directory[1] == ':' &&
                 (directory[2] == '\\' || directory[2] == '/');
#ifdef _WIN32
    return drive || (separator0 && (directory[1] == '\\' || directory[1] == '/'));
#else
    return drive || separator0;
#endif
}

} // namespace

CDesktopLayout::CDesktopLayout()
    : processHandle(nullptr), processId(0), remoteBuffer(nullptr), startWithWindows(0),
      autoSaveMode(kAutoSaveNever), restoreOnDisplayChange(0), restoreAtStartup(0),
      foundSettingsFile(false), displayKey(), snapshots(nullptr), undoStack(nullptr),
      storeVersion(0), captureLimit(kMaxLayoutBytes), desktopRoute(kRouteAuto),
      shellViewSource(FindShellDesktopView), shellViewContext(nullptr),
      shellCallBoundMs(kShellCallBoundMs), listViewLost(0), shell64Bit(0),
      captureBuffer(kMaxLayoutBytes), captureLength(0), captureRoute(kRouteNone),
      captureConnection(0), settingsRead(0), settingsStamp(), savedAutoSaveMode(kAutoSaveNever),
      savedRestoreOnDisplayChange(0), savedRestoreAtStartup(0), unsavedSnapshots(nullptr),
      unsavedEdits(nullptr), lastRoute(kRouteNone) {
    // No usable folder (cut, relative or too long) leaves the path empty: the store then lives
    // in memory only, and every save says so.
    iniPath[0] = '\0';
    settingsReadFirst[0] = '\0';
    const char* directory = GetExeDirectory();
    int length = snprintf(iniPath, sizeof iniPath, "%s%s", directory, kSettingsFileName);
    if (!IsAbsoluteDirectory(directory) || length < 0 ||
        length >= static_cast<int>(sizeof iniPath) || !FitsFilePath(iniPath)) {
        iniPath[0] = '\0';
    }
    snapshots = new CPtrList;
    undoStack = new CPtrList;
    unsavedSnapshots = new CPtrList;
    unsavedEdits = new CPtrList;

    HWND listView = FindDesktopListView();
    if (!listView) {
        return;
    }
    DWORD ownerId = 0;
    GetWindowThreadProcessId(listView, &ownerId);
    if (ownerId) {
        OpenShellProcess(ownerId);
    }
}

CDesktopLayout::~CDesktopLayout() {
    CloseShellProcess();
    ClearStore();
    delete snapshots;
    delete undoStack;
    delete unsavedSnapshots;
    delete unsavedEdits;
}

// The directory of the running executable in UTF-8, ending in a backslash.
const char* CDesktopLayout::GetExeDirectory() {
    static char directory[kPathChars];
    memset(directory, 0, sizeof directory);
    WCHAR wide[kFilePathUnits];
    DWORD units = GetModuleFileNameW(nullptr, wide, kFilePathUnits);
    // A result that fills the buffer may have been cut, and then names no real directory; a name
    // with a lone surrogate has no UTF-8 form that names it.
    char modulePath[kPathChars];
    if (units == 0 || units >= kFilePathUnits || !IsUtf16(wide, units) ||
        Utf16ToUtf8(wide, units, modulePath, sizeof modulePath) == 0) {
        return directory;
    }
    size_t length = strlen(modulePath);

    size_t directoryEnd = 0;
    if (length >= 2 && modulePath[1] == ':') {
        directoryEnd = 2;
    }
    for (size_t i = 0; i < length; i++) {
        if (modulePath[i] == '\\' || modulePath[i] == '/') {
            directoryEnd = i + 1;
        }
    }
    memcpy(directory, modulePath, directoryEnd);
    if (directoryEnd > 0 && directory[directoryEnd - 1] != '\\' &&
        directory[directoryEnd - 1] != '/') {
        directory[directoryEnd] = '\\';
    }
    return directory;
}

// Newer shells move the DefView under a "WorkerW" window after a wallpaper change.
HWND CDesktopLayout::FindDesktopDefView() {
    HWND progman = FindWindowA(nullptr, "Program Manager");
    HWND defView = progman ? FindDefView(progman) : nullptr;
    HWND worker = nullptr;
    while (!defView && (worker = FindWindowExA(nullptr, worker, "WorkerW", nullptr))) {
        defView = FindDefView(worker);
    }
    return defView;
}

HWND CDesktopLayout::FindDesktopListView() {
    HWND defView = FindDesktopDefView();
    return defView ? FindListViewIn(defView) : nullptr;
}

// The shell keeps its folder view's auto-arrange flag as the list view's style.
bool CDesktopLayout::IsAutoArranged() {
    HWND listView = FindDesktopListView();
    return listView && (GetWindowLongA(listView, GWL_STYLE) & LVS_AUTOARRANGE) != 0;
}
