#include "desktop/DesktopLayout.h"

#include "store/LayoutSnapshot.h"

#include <cstdio>
#include <cstring>

namespace {

const char kSettingsFileName[] = "Quillmarsh.ini";

HWND FindDefView(HWND parent) {
    return FindWindowExA(parent, nullptr, "SHELLDLL_DefView", nullptr);
}

HWND FindListViewIn(HWND defView) {
    return FindWindowExA(defView, nullptr, "SysListView32", nullptr);
}

} // namespace

CDesktopLayout::CDesktopLayout()
    : processHandle(nullptr), processId(0), remoteBuffer(nullptr), startWithWindows(0),
      autoSaveMode(0), snapshots(nullptr), undoStack(nullptr), listViewLost(0), shell64Bit(0) {
    // A directory too long for the path leaves it empty: the store then lives in memory only.
    iniPath[0] = '\0';
    int length = snprintf(iniPath, sizeof iniPath, "%s%s", GetExeDirectory(), kSettingsFileName);
    if (length < 0 || length >= static_cast<int>(sizeof iniPath))
        iniPath[0] = '\0';
    captureBuffer[0] = '\0';
    snapshots = new CPtrList;
    undoStack = new CPtrList;

    HWND listView = FindDesktopListView();
    if (!listView)
        return;
    DWORD ownerId = 0;
    GetWindowThreadProcessId(listView, &ownerId);
    if (ownerId)
        OpenShellProcess(ownerId);
}

CDesktopLayout::~CDesktopLayout() {
    CloseShellProcess();
    ClearStore();
    delete snapshots;
    delete undoStack;
}

// Frees every snapshot and undo buffer; the lists own only their nodes.
void CDesktopLayout::ClearStore() {
    for (PtrListNode* node = snapshots->head; node; node = node->next)
        delete static_cast<LayoutSnapshot*>(node->data);
    snapshots->Clear();
    for (PtrListNode* node = undoStack->head; node; node = node->next)
        delete[] static_cast<char*>(node->data);
    undoStack->Clear();
}

// The directory of the running executable, ending in a backslash.
const char* CDesktopLayout::GetExeDirectory() {
    static char directory[kPathChars];
    char modulePath[kPathChars];
    memset(directory, 0, sizeof directory);
    DWORD length = GetModuleFileNameA(nullptr, modulePath, sizeof modulePath);
    // A result that fills the buffer may have been cut, and then names no real directory.
    if (length == 0 || length >= sizeof modulePath)
        return directory;
    modulePath[length] = '\0';

    size_t directoryEnd = 0;
    if (length >= 2 && modulePath[1] == ':')
        directoryEnd = 2;
    for (size_t i = 0; i < length; i++) {
        if (modulePath[i] == '\\' || modulePath[i] == '/')
            directoryEnd = i + 1;
    }
    memcpy(directory, modulePath, directoryEnd);
    if (directoryEnd > 0 && directory[directoryEnd - 1] != '\\' &&
        directory[directoryEnd - 1] != '/')
        directory[directoryEnd] = '\\';
    return directory;
}

// Newer shells move the DefView under a "WorkerW" window after a wallpaper change.
HWND CDesktopLayout::FindDesktopListView() {
    HWND progman = FindWindowA(nullptr, "Program Manager");
    HWND defView = progman ? FindDefView(progman) : nullptr;
    HWND worker = nullptr;
    while (!defView && (worker = FindWindowExA(nullptr, worker, "WorkerW", nullptr)) != nullptr)
        defView = FindDefView(worker);
    return defView ? FindListViewIn(defView) : nullptr;
}
