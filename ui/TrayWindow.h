// The program's one top-level window, never shown: it owns the tray icon, the autosave timer and
// the popup menu, and turns menu choices into calls on the core object.
#pragma once

#include "desktop/DisplayRules.h"
#include "ui/ArrangementsDialog.h"
#include "res/ResourceIds.h"
#include "ui/ScopedGdi.h"
#include "ui/TrayTip.h"
#include "ui/WindowClass.h"

#include <shellapi.h>

class CDesktopLayout;
enum SnapshotKind : int;
class COwnerDrawMenu;

// The tray icon's callback message.
const UINT WM_TRAYICON = WM_USER + 1;

// The Restore submenu lists at most one snapshot per Restore id.
enum { kRestoreEntries = ID_RESTORE_LAST - ID_RESTORE_FIRST + 1 };

class CTrayWindow final : private IDisplayRulesHost, public CWindowClass {
  public:
    CDesktopLayout* desktopLayout;
    COwnerDrawMenu* popupMenu;
    CScopedIcon trayIcon;
    // The program's icon at the size a balloon shows it.
    CScopedIcon balloonIcon;
    // Shell_NotifyIconA: every request to the notification area goes through it, so a test can
    // stand in for a taskbar that refuses.
    BOOL(WINAPI* notifyIcon)(DWORD message, PNOTIFYICONDATAA record);
    // The first start of all (no settings file anywhere before it): the icon, once there, says so
    // once in a balloon.
    bool welcomePending;

    explicit CTrayWindow(CDesktopLayout* layout);
    ~CTrayWindow();

    LRESULT WindowProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam) override;
    HWND ModelessDialog() const override;
    // Registers "QuillmarshClass32" and creates the hidden window; 1 on success, 0 on failure.
    virtual int CreateTrayWindow(HINSTANCE instance, HWND parent);
    // The hidden window of the copy that runs in this session, or null.
    static HWND FindRunningCopy();

    // Adds the icon; while the notification area refuses, tries again for about two minutes.
    void AddTrayIcon();
    void RemoveTrayIcon();
    void UpdateAutoSaveTimer();
    // Also keeps a copy of the layout of each snapshot the Restore submenu lists.
    void PrepareMenu();

  private:
    // Sent to every top-level window when the taskbar is created anew (after the shell restarts):
    // the icon must be added again.
    UINT taskbarCreatedMessage;
    // The layouts of the listed snapshots, by Restore entry, from the last PrepareMenu: the store
    // may renew, overwrite or reorder its records while the menu is open.
    CHeapText shownLayouts[kRestoreEntries];
    int shownCount;
    // 1 while the menu that a tray click opened is showing.
    int menuOpen;
    // The displays: what a change of them restores, and when automatic snapshots wait.
    CDisplayRules displayRules;
    // Adds of the tray icon still to be tried; 0 once it is there or tried often enough.
    int trayIconTriesLeft;
    // "Manage Arrangements", while it is open.
    CArrangementsDialog arrangements;

    void TryAddTrayIcon();
    void ShowWelcome();
    // The tip names the program and, once a snapshot exists, when the newest was taken.
    void FormatTip(char (&tip)[kTrayTipChars]);
    void UpdateTrayTip();
    void SetTrayIconVersion();
    void TakeSnapshot(SnapshotKind kind);
    void OnTimer(UINT_PTR id);
    void LookAtDisplays();
    void OnDisplaysDisturbed();
    bool RestoresOnDisplayChange() override;
    bool RestoresAtStartup() override;
    const char* NewestSnapshotDisplays() override;
    int RestoreNewestUnder(const char* displays, bool atLast) override;
    int ReadIconCount() override;
    void TakeAutomaticSnapshot() override;
    void ForgetShellCoordinates() override;
    void StartSettleTimer() override;
    void StopSettleTimer() override;
    LRESULT OnCreate(HWND window, WPARAM wParam, LPARAM lParam);
    LRESULT OnDestroy();
    LRESULT OnCommand(HWND window, WPARAM wParam, LPARAM lParam);
    LRESULT OnTrayIcon(WPARAM wParam, LPARAM lParam);
    void OnMenuChoice(UINT id);
    void RebuildRestoreMenu(HMENU restore);
    void ReleaseShownLayouts();
    void OnAbout();
    LRESULT OnQueryEndSession();
    // A command line another start of the program handed over; answers with its outcome.
    LRESULT OnCopyData(const COPYDATASTRUCT* data);
    void ToggleOption(int* option);
};
