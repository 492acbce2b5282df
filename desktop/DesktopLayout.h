// The core object: the settings path, access to the shell process that owns the desktop icon list
// view, the snapshot store and the undo stack.
#pragma once

#include "base/GrowingBuffer.h"
#include "base/PtrList.h"
#include "desktop/DisplayConfiguration.h"
#include "desktop/IconName.h"
#include "desktop/ShellRoute.h"
#include "ini/FileAccess.h"
#include "ini/IniFile.h"
#include "platform/win32.h"

enum {
    kPathChars = kFilePathChars,
    // The most a layout text may hold, far beyond any real desktop (ten thousand icons with
    // names of 255 characters of three UTF-8 bytes each, or of 255 that all need escaping, stay
    // below it); a desktop whose text would be longer fails to capture rather than being stored
    // cut.
    kMaxLayoutBytes = 16 * 1024 * 1024,
    kMaxApplyPasses = 21,
};

// The settings file's name, beside the program or in the user's local application data.
extern const char kSettingsFileName[];

// The ways to the desktop's icons: the shell's folder view, or the list view that shows them.
// kRouteAuto tries the shell's first; kRouteNone is the route of an operation that none served.
enum DesktopRoute : int {
    kRouteNone = -1,
    kRouteAuto = 0,
    kRouteShell = 1,
    kRouteListView = 2,
};

// The autosave interval, the number the settings file's "AutoSave" holds. A hand-edited file may
// hold any other number: it is kept as it stands and written back unchanged (no timer runs and no
// menu entry is marked for it), so the type holds every int.
enum AutoSaveMode : int {
    kAutoSaveNever = 0,
    kAutoSaveEveryMinute = 1,
    kAutoSaveEveryTenMinutes = 2,
    kAutoSaveEveryHour = 3,
};

// Manual or automatic; store/LayoutSnapshot.h names them.
enum SnapshotKind : int;
struct SnapshotEdit;

// What a save without any box came to.
enum SaveResult {
    kSavedNow,
    // The name holds this very desktop already: nothing changed.
    kAlreadyKept,
    // The name holds another arrangement: nothing changed.
    kNameHoldsAnother,
    kSaveUnreadable,
    kSaveNotWritten,
};

// One parsed name;x;y; triple of a layout text. The name is UTF-8 as a capture writes it, or the
// ANSI code page in layouts stored before; either way at most kIconNameUnits UTF-16 units.
struct LayoutEntry {
    char name[kIconNameBytes];
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
    AutoSaveMode autoSaveMode;
    // 1 when a change of the displays restores the newest snapshot of the new configuration.
    int restoreOnDisplayChange;
    // 1 when a start restores the newest snapshot of the displays it starts under, before it
    // takes its own.
    int restoreAtStartup;
    // A settings file stood at the place LoadSettings read, or a read-only one beside the program
    // that it read first: this is not the first start of all.
    bool foundSettingsFile;
    // The display configuration each new snapshot records; the tray window keeps it up to date.
    // Empty when the displays could not be read: snapshots then record none.
    char displayKey[kDisplayKeyChars];
    CPtrList* snapshots;
    CPtrList* undoStack;
    // Counts the changes of snapshots: whoever shows the store sees from it that it changed.
    unsigned storeVersion;
    // The most a capture may hold, kMaxLayoutBytes; tests lower it.
    size_t captureLimit;
    // kRouteAuto, kRouteShell or kRouteListView: the way capture and apply take.
    DesktopRoute desktopRoute;
    // Where the shell route finds the desktop's folder view, and the bound of one call into it
    // (kShellCallBoundMs); tests hand in their own.
    ShellViewSource shellViewSource;
    void* shellViewContext;
    DWORD shellCallBoundMs;

    CDesktopLayout();
    ~CDesktopLayout();
    CDesktopLayout(const CDesktopLayout&) = delete;
    CDesktopLayout& operator=(const CDesktopLayout&) = delete;

    static const char* GetExeDirectory();
    static HWND FindDesktopListView();
    static HWND FindDesktopDefView();
    // The desktop's "Auto arrange icons" is on: the list view places its icons itself and takes
    // no position.
    static bool IsAutoArranged();

    // Layout text of the current desktop, every icon of it, in a buffer of the object's own that
    // the next capture reuses and may move: valid until then. complete,
    // when given, becomes 1 only when every icon of the list view was read: no list view, a
    // request that failed or timed out, or an icon that could not be read leave it 0.
    const char* CaptureLayout(int* complete = nullptr);
    static void ParseLayout(const char* text, CPtrList* list);
    // The number of icons a capture finds, or -1 when it could not read the desktop whole.
    int ReadIconCount();
    // 1 when at least one icon was sent a move, else 0.
    int ApplyLayout(const char* text);
    // The route that served the last capture or apply: kRouteShell, kRouteListView or kRouteNone.
    DesktopRoute LastRoute() const { return lastRoute; }
    // The displays changed: the next operation through the shell reads a few icons both ways
    // again to learn how its points stand to the list view's, and a shell whose points did not
    // agree is asked again.
    void ForgetShellCoordinates();

    // Snapshots, restore and undo; store/SnapshotStore.cpp.
    void TakeSnapshot(SnapshotKind kind);
    // The same without any box, whatever fails.
    SaveResult TakeSnapshotQuietly(SnapshotKind kind);
    // Stores the desktop as a kept manual snapshot of that name, without any box.
    SaveResult KeepDesktopAs(const char* name);
    // A user's rename, delete or keep change, carried out and saved; false when no snapshot of
    // that kind and name is there.
    bool EditSnapshot(const SnapshotEdit& edit);
    void RestoreSnapshot(int index);
    // Applies a layout text as a restore does, undo included. The text must not be the one
    // CaptureLayout returned, since the restore captures first.
    void RestoreLayout(const char* layout);
    // The same without any box: true when the layout was applied (whether anything moved or not).
    bool RestoreLayoutQuietly(const char* layout);
    // Restores the newest snapshot taken under the display configuration as RestoreSnapshot does:
    // 1 when it was applied, 0 when there is none, -1 when the desktop could not be read or the
    // shell was not ready yet to keep what it is given. The last try of a wait takes the list view
    // where the shell is still not ready.
    int RestoreNewestUnder(const char* displays, bool lastTry = false);
    void Undo();
    // The same without any box: false when there was nothing to undo or the desktop refused.
    bool UndoQuietly();

    // The settings file; store/SettingsFile.cpp. ChooseSettingsFile, once at start, moves iniPath
    // from beside the program to the user's local application data where this copy could not
    // keep it beside the program. LoadSettings returns 1.
    void ChooseSettingsFile();
    int LoadSettings();
    // Shows its failure in an "Error" box once the file and its lock are let go.
    void SaveSettings();

    // The Run-key value; store/StartWithWindows.cpp. A value naming another copy of the program
    // that exists shows the option off and is left as it stands by the load and by every save; so
    // does this copy's value where Windows has disabled it (Task Manager's Startup tab), and its
    // mark with it.
    // ApplyStartWithWindows, the end of every save, writes a value only when the option is on and
    // neither key holds one, and never removes one; it returns 0, with startWithWindows off, when
    // no key took the value.
    void LoadStartWithWindows();
    int ApplyStartWithWindows();
    // The user's own choice from the menu: turning on clears Windows' mark on this copy's value,
    // else points the value at this copy where this user may write it; turning off removes the
    // values that start this copy with their marks. A refusal is shown
    // in an "Error" box, and startWithWindows is left as what stands.
    void ChooseStartWithWindows(int on);

  private:
    // Set when a request to the list view failed or timed out; the rest of the operation sends
    // nothing more.
    int listViewLost;
    // Record layout the shell process expects: 1 for a 64-bit process, 0 for a 32-bit one.
    int shell64Bit;
    // Grows to the longest capture so far.
    CGrowingBuffer captureBuffer;
    size_t captureLength;
    // The route the last capture went, and its connection to the shell or the list view's
    // process: the item indexes its text follows.
    DesktopRoute captureRoute;
    unsigned captureConnection;

    // The settings file as this copy last read or wrote it. A save that finds the file otherwise
    // (another copy wrote it, or it could not be read before) first merges what it holds.
    int settingsRead;
    FileStamp settingsStamp;
    // A settings file beside the program that this copy may read but not write, read in place of
    // iniPath while no file stands there; "" for none.
    char settingsReadFirst[kPathChars];
    // autoSaveMode as the file held it: a mode that differs was chosen here since.
    AutoSaveMode savedAutoSaveMode;
    int savedRestoreOnDisplayChange;
    int savedRestoreAtStartup;
    // What this copy took since its last save that reached the file, by the rules of taking a
    // snapshot, and the user's edits since, in order; a save replays the edits and then the
    // snapshots into the file's snapshots.
    CPtrList* unsavedSnapshots;
    CPtrList* unsavedEdits;

    // The shell route: its worker, its refusals and its coordinates (ShellRoute.cpp).
    CShellRoute shellRoute;
    DesktopRoute lastRoute;

    // A user's apply finds a shell that is not ready once more at once and then takes the list
    // view; one nobody asked for waits for the shell instead, and is tried again later, until its
    // wait is over: then the list view serves it rather than nobody.
    enum ApplyAsker {
        kAskedByUser,
        kAskedByNobody,
        kAskedByNobodyAtLast,
    };
    // What an apply starts from.
    struct ApplyStart {
        // The operation's capture, parsed; null to read the desktop anew.
        const CPtrList* reading;
        // The layout is fitted to the monitors as they stand and to the icons it does not name
        // (a restore); else every icon goes exactly where the layout says (an undo).
        bool fit;
    };
    // 0, with nothing done, when nobody asked and the shell is not ready yet.
    int ApplyFor(const char* text, ApplyAsker asker, ApplyStart start, int* moved);
    ShellRouteState TryApplyThroughShell(const CPtrList& entries, ApplyStart start, int* moved);
    ShellRouteState BeginShellRoute();
    int CountShellItems(int* count);
    int CheckShellCoordinates(int count);
    int ProbeListView(ProbedIcon* icons);
    bool ListViewProbeStands(const ProbedIcon* icons, int count);
    int CaptureThroughShell(int* complete);
    int ApplyThroughShell(const CPtrList& entries, ApplyStart start, int* moved);

    // ListViewAccess.cpp: the only code that talks to the shell process.
    void OpenShellProcess(DWORD ownerId);
    void CloseShellProcess();
    int BeginListViewAccess(HWND listView);
    int SendToListView(HWND listView, UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result);
    int GetItemCount(HWND listView);
    int WriteTextRecord();
    // name holds kIconNameBytes: the item's name in UTF-8.
    int ReadItemText(HWND listView, int item, char* name);
    int ReadItemPosition(HWND listView, int item, POINT* position);
    // 0 when the request failed; taken tells whether the list view took the position.
    int MoveItem(HWND listView, int item, int x, int y, bool* taken);
    // The room the list view gives one icon.
    int ReadIconCell(HWND listView, SIZE* cell);

    const char* CaptureThroughListView(int* complete);
    void ClearCapture();
    const char* CaptureText();
    bool AppendToCapture(const char* text, size_t length);
    bool AppendTriple(const char* name, int x, int y);
    int ApplyThroughListView(const CPtrList& entries, ApplyStart start);
    const CPtrList* ReadingFor(DesktopRoute route, unsigned connection,
                               const CPtrList* reading) const;
    // The routes' operations for the one apply, and the desktop it fits a layout to
    // (LayoutApply.cpp).
    class ListViewIcons;
    class ShellIcons;
    class ListViewArea;
    void ClearStore();

    enum RestoreResult {
        kDesktopUnreadable,
        kNothingMoved,
        kIconsMoved,
        // Nobody asked for the restore and the shell was not ready yet: nothing moved.
        kShellNotReady,
        // The desktop arranges its icons itself: nothing was sent.
        kAutoArranged,
    };
    // fit: as ApplyStart's.
    RestoreResult ApplyOverReadDesktop(const char* layout, ApplyAsker asker, bool fit);
    bool ShowRefusal(RestoreResult result);
    // A capture that read every icon, stored in memory; false when the desktop could not be read.
    bool StoreCapture(SnapshotKind kind);
    // RestoreLayout without a box, for a restore the user asked for or one nobody asked for.
    RestoreResult RestoreQuietly(const char* layout, ApplyAsker asker);
    // Applies the top of the undo stack and takes it off once the desktop could be read.
    RestoreResult UndoLast();

    const char* SettingsSource() const;
    IniSaveResult WriteSettings();
    // SaveSettings without its box.
    SaveResult SaveQuietly();
    bool MergeSettingsFile();
};

void FreeLayoutEntries(CPtrList* list);
