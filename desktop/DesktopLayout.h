// The core object: the settings path, access to the shell process that owns the desktop icon list
// view, the snapshot store and the undo stack.
#pragma once

#include "app/PtrList.h"
#include "platform/win32.h"

enum {
    kPathChars = 260,
    kIconNameChars = 256,
    kLayoutChars = 8192,
    // A capture ends with the triple that brings the text to this length.
    kCaptureStopChars = kLayoutChars - 256,
    kMaxApplyPasses = 21,
};

// One parsed name;x;y; triple of a layout text.
struct LayoutEntry {
    char name[kIconNameChars];
    int x;
    int y;
};

// Reads the list view's item texts and positions in the shell process through remoteBuffer.
class CDesktopLayout {
  public:
    char iniPath[kPathChars];
    HANDLE processHandle;
    DWORD processId;
    LPVOID remoteBuffer;
    int startWithWindows;
    int autoSaveMode;
    CPtrList* snapshots;
    CPtrList* undoStack;

    CDesktopLayout();
    ~CDesktopLayout();
    CDesktopLayout(const CDesktopLayout&) = delete;
    CDesktopLayout& operator=(const CDesktopLayout&) = delete;

    static const char* GetExeDirectory();
    static HWND FindDesktopListView();

    // Layout text of the current desktop in captureBuffer, valid until the next capture.
    const char* CaptureLayout();
    static void ParseLayout(const char* text, CPtrList* list);
    // 1 when at least one icon was sent a move, else 0.
    int ApplyLayout(const char* text);

    // Snapshots, restore and undo; store/SnapshotStore.cpp.
    void TakeSnapshot(int kind);
    void RestoreSnapshot(int index);
    void Undo();

    // The settings file; store/SettingsFile.cpp. LoadSettings returns 1.
    int LoadSettings();
    void SaveSettings();

    // The Run-key value; store/StartWithWindows.cpp. ApplyStartWithWindows returns 1 when the
    // registry now holds what startWithWindows asks, else 0 with startWithWindows set to what
    // stands: off when no key took the value, on when a value could not be removed.
    void LoadStartWithWindows();
    int ApplyStartWithWindows();

  private:
    // Set when a request to the list view failed or timed out; the rest of the operation sends
    // nothing more.
    int listViewLost;
    // Record layout the shell process expects: 1 for a 64-bit process, 0 for a 32-bit one.
    int shell64Bit;
    char captureBuffer[kLayoutChars];

    // ListViewAccess.cpp: the only code that talks to the shell process.
    void OpenShellProcess(DWORD ownerId);
    void CloseShellProcess();
    int BeginListViewAccess(HWND listView);
    int SendToListView(HWND listView, UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result);
    int GetItemCount(HWND listView);
    int WriteTextRecord();
    int ReadItemText(HWND listView, int item, char* name);
    int ReadItemPosition(HWND listView, int item, POINT* position);
    int MoveItem(HWND listView, int item, int x, int y);

    int RunApplyPass(const char* text);
    void ClearStore();
};

void FreeLayoutEntries(CPtrList* list);
