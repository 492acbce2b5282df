#include "ui/TrayWindow.h"

#include "base/BoundedText.h"
#include "base/TextEncoding.h"
#include "desktop/DesktopLayout.h"
#include "res/ResourceIds.h"
#include "store/LayoutSnapshot.h"
#include "store/SnapshotMoment.h"
#include "ui/AboutDialog.h"
#include "ui/DisplayMonitors.h"
#include "ui/DpiQuery.h"
#include "ui/MessageFilter.h"
#include "ui/OwnerDrawMenu.h"
#include "ui/ProgramCommand.h"
#include "ui/TrayCallback.h"

#include <cstring>
#include <new>
#include <utility>
#include <shellapi.h>

namespace {

const char kTrayClass[] = "QuillmarshClass32";
const char kTrayTitle[] = "Quill Marsh Version 1.0";
const char kWelcomeTitle[] = "Quill Marsh is running";
const char kWelcomeText[] = "Click this icon for Save, Restore and the other commands.";
const UINT kTrayIconId = 1;
// Only the autosave timer autosaves; the others have ids of their own.
const UINT_PTR kAutoSaveTimer = 0;
// Some changes of the displays come with no message at all: a slow look catches them.
const UINT_PTR kDisplayPollTimer = 1;
const UINT kDisplayPollPeriod = 5000;
// The shell rearranges the icons after a change, not at once: a change counts once the displays
// have stood still this long.
const UINT_PTR kDisplaySettleTimer = 2;
const UINT kDisplaySettlePeriod = 2000;
// At logon the taskbar may exist yet be too busy to answer, and the add times out: it is tried
// again every two seconds, sixty times in all, about two minutes.
const UINT_PTR kTrayIconRetryTimer = 3;
const UINT kTrayIconRetryPeriod = 2000;
const int kTrayIconTries = 60;

static_assert(kTrayLeftButtonUp == WM_LBUTTONUP && kTrayRightButtonUp == WM_RBUTTONUP &&
                  kTrayContextMenu == WM_CONTEXTMENU && kTraySelect == NIN_SELECT &&
                  kTrayKeySelect == NIN_KEYSELECT,
              "the callback's events as the SDK numbers them");

// Positions in the popup that are reached by position.
const int kAutosavePosition = 2;
const int kRestorePosition = 4;
const int kUndoPosition = 5;

// Disabled alone, an item is drawn like any other and only does nothing; grayed, it is drawn as
// the menu draws what cannot be chosen.
const UINT kUnavailable = MF_DISABLED | MF_GRAYED;

const DWORD kAboutStyle =
    WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_CENTER | DS_MODALFRAME | DS_SETFONT | DS_FIXEDSYS;

// The record as the Windows 2000 shell knows it (tip of 128 characters and balloon fields), in
// the layout of this build's pointer size.
NOTIFYICONDATAA TrayRecord(HWND window) {
    NOTIFYICONDATAA record;
    ZeroMemory(&record, sizeof record);
    record.cbSize = NOTIFYICONDATAA_V2_SIZE;
    record.hWnd = window;
    record.uID = kTrayIconId;
    return record;
}

// 0 for Never and for any number a hand-edited file brought: no timer.
UINT AutoSavePeriod(AutoSaveMode mode) {
    switch (mode) {
    case kAutoSaveEveryMinute:
        return 60000;
    case kAutoSaveEveryTenMinutes:
        return 600000;
    case kAutoSaveEveryHour:
        return 3600000;
    default:
        return 0;
    }
}

// At the size the notification area shows, drawn for it rather than shrunk from a larger image;
// unlike a shared LoadIconA icon this one is the window's own, destroyed with it.
HICON LoadProgramIcon(HINSTANCE instance, int width, int height) {
    return static_cast<HICON>(
        LoadImageA(instance, MAKEINTRESOURCEA(IDI_QUILLMARSH), IMAGE_ICON, width, height, 0));
}

// The balloon's texts and icon; NIIF_USER takes hBalloonIcon, which only the record of Vista's
// size carries.
NOTIFYICONDATAA WelcomeRecord(HWND window, HICON icon) {
    NOTIFYICONDATAA record = TrayRecord(window);
    record.cbSize = sizeof record;
    record.uFlags = NIF_INFO;
    CopyBounded(record.szInfoTitle, sizeof record.szInfoTitle, kWelcomeTitle);
    CopyBounded(record.szInfo, sizeof record.szInfo, kWelcomeText);
    record.dwInfoFlags = NIIF_USER | NIIF_LARGE_ICON;
    record.hBalloonIcon = icon;
    return record;
}

bool IsRestoreId(UINT id) {
    return id >= ID_RESTORE_FIRST && id <= ID_RESTORE_LAST;
}

// Names are UTF-8 and may be in any script, so the entry is added in UTF-16. A byte that is not
// UTF-8 shows as U+FFFD; a UTF-16 name never needs more units than its UTF-8 bytes.
void AppendSnapshotEntry(HMENU restore, UINT id, const char* name, bool marked) {
    WCHAR wide[kSnapshotNameChars];
    Utf8ToUtf16(name, strlen(name), wide, kSnapshotNameChars);
    AppendMenuW(restore, MF_STRING | (marked ? MF_CHECKED : MF_UNCHECKED), id, wide);
}

} // namespace

CTrayWindow::CTrayWindow(CDesktopLayout* layout)
    : desktopLayout(layout), popupMenu(nullptr), notifyIcon(Shell_NotifyIconA),
      welcomePending(false), taskbarCreatedMessage(RegisterWindowMessageA("TaskbarCreated")),
      shownCount(0), menuOpen(0), displayRules(this), trayIconTriesLeft(0), arrangements(layout) {}

CTrayWindow::~CTrayWindow() {
    ReleaseShownLayouts();
}

int CTrayWindow::CreateTrayWindow(HINSTANCE instance, HWND parent) {
    if (!RegisterWindowClass(instance, kTrayClass, 0, GetSysColorBrush(COLOR_WINDOW),
                             MAKEINTRESOURCEA(IDI_QUILLMARSH), IDC_ARROW)) {
        return 0;
    }
    hInstance = instance;
    hwndParent = parent;
    hMenu = nullptr;
    hAccel = nullptr;
    HWND window = CreateWindowExA(0, kTrayClass, kTrayTitle, WS_OVERLAPPEDWINDOW, 0, 0, 320, 240,
                                  parent, nullptr, instance, static_cast<CWindowClass*>(this));
    return window ? 1 : 0;
}

HWND CTrayWindow::FindRunningCopy() {
    return FindWindowA(kTrayClass, kTrayTitle);
}

void CTrayWindow::AddTrayIcon() {
    trayIconTriesLeft = kTrayIconTries;
    TryAddTrayIcon();
}

// An add that timed out may still have reached the taskbar: an icon that can be modified is there.
void CTrayWindow::TryAddTrayIcon() {
    NOTIFYICONDATAA record = TrayRecord(hwnd);
    // Under version 4 the shell shows the tip only when asked to.
    record.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP | NIF_SHOWTIP;
    record.uCallbackMessage = WM_TRAYICON;
    record.hIcon = trayIcon.Get();
    FormatTip(record.szTip);
    trayIconTriesLeft--;
    if (notifyIcon(NIM_ADD, &record) || notifyIcon(NIM_MODIFY, &record)) {
        trayIconTriesLeft = 0;
        SetTrayIconVersion();
        ShowWelcome();
    }
    if (trayIconTriesLeft > 0) {
        SetTimer(hwnd, kTrayIconRetryTimer, kTrayIconRetryPeriod, nullptr);
    } else {
        KillTimer(hwnd, kTrayIconRetryTimer);
    }
}

// The shell forgets the version with the icon, so every add asks again. Version 4 tells where the
// icon stands and reports Enter and Space on it; a shell that knows no such version refuses and
// goes on with the old form of the callback, which OnTrayIcon reads as well.
void CTrayWindow::SetTrayIconVersion() {
    NOTIFYICONDATAA record = TrayRecord(hwnd);
    record.uVersion = NOTIFYICON_VERSION_4;
    notifyIcon(NIM_SETVERSION, &record);
}

// A new user sees where the program went. A shell that refuses the record of Vista's size (or a
// user icon) shows the information icon instead.
void CTrayWindow::ShowWelcome() {
    if (!welcomePending) {
        return;
    }
    welcomePending = false;
    NOTIFYICONDATAA record = WelcomeRecord(hwnd, balloonIcon.Get());
    if (notifyIcon(NIM_MODIFY, &record)) {
        return;
    }
    record.cbSize = NOTIFYICONDATAA_V2_SIZE;
    record.dwInfoFlags = NIIF_INFO;
    notifyIcon(NIM_MODIFY, &record);
}

// A snapshot whose name reads as no time has no moment to tell.
void CTrayWindow::FormatTip(char (&tip)[kTrayTipChars]) {
    const LayoutSnapshot* newest = NewestSnapshot(*desktopLayout->snapshots);
    SYSTEMTIME now;
    GetLocalTime(&now);
    SYSTEMTIME saved;
    const SYSTEMTIME utc = UtcTimeOf(newest ? newest->moment : kEarliestMoment);
    const bool known = newest && newest->moment != kEarliestMoment &&
                       SystemTimeToTzSpecificLocalTime(nullptr, &utc, &saved);
    FormatTrayTip(known ? &saved : nullptr, now, tip);
}

void CTrayWindow::UpdateTrayTip() {
    NOTIFYICONDATAA record = TrayRecord(hwnd);
    record.uFlags = NIF_TIP | NIF_SHOWTIP;
    FormatTip(record.szTip);
    notifyIcon(NIM_MODIFY, &record);
}

void CTrayWindow::RemoveTrayIcon() {
    NOTIFYICONDATAA record = TrayRecord(hwnd);
    notifyIcon(NIM_DELETE, &record);
}

// Setting the timer again restarts its period from now.
void CTrayWindow::UpdateAutoSaveTimer() {
    UINT period = AutoSavePeriod(desktopLayout->autoSaveMode);
    if (period) {
        SetTimer(hwnd, kAutoSaveTimer, period, nullptr);
    } else {
        KillTimer(hwnd, kAutoSaveTimer);
    }
}

void CTrayWindow::PrepareMenu() {
    HMENU menu = popupMenu->menu;
    HMENU main = GetSubMenu(menu, 0);
    CheckMenuItem(menu, ID_START_WITH_WINDOWS,
                  MF_BYCOMMAND | (desktopLayout->startWithWindows ? MF_CHECKED : MF_UNCHECKED));
    CheckMenuItem(menu, ID_RESTORE_ON_DISPLAY_CHANGE,
                  MF_BYCOMMAND |
                      (desktopLayout->restoreOnDisplayChange ? MF_CHECKED : MF_UNCHECKED));
    CheckMenuItem(menu, ID_RESTORE_AT_STARTUP,
                  MF_BYCOMMAND | (desktopLayout->restoreAtStartup ? MF_CHECKED : MF_UNCHECKED));
    HMENU autosave = GetSubMenu(main, kAutosavePosition);
    // The entries stand in the order of the modes; a mode outside them marks none.
    for (int position = kAutoSaveNever; position <= kAutoSaveEveryHour; position++) {
        UINT mark = desktopLayout->autoSaveMode == position ? MF_CHECKED : MF_UNCHECKED;
        CheckMenuItem(autosave, position, MF_BYPOSITION | mark);
    }
    RebuildRestoreMenu(GetSubMenu(main, kRestorePosition));
    UINT undo = desktopLayout->undoStack->count <= 0 ? kUnavailable : MF_ENABLED;
    EnableMenuItem(main, kUndoPosition, MF_BYPOSITION | undo);

    popupMenu->Rebuild();
    if (MenuItemNode* about = COwnerDrawMenu::FindItem(popupMenu->root, ID_ABOUT)) {
        about->image = MENU_IMAGE_ABOUT;
    }
    if (MenuItemNode* undoItem = COwnerDrawMenu::FindItem(popupMenu->root, ID_UNDO)) {
        undoItem->image = MENU_IMAGE_UNDO;
    }
}

// The newest snapshots, as many as there are Restore ids; a snapshot whose layout cannot be kept
// is not listed, so every entry can restore what it shows. Those taken under the displays as they
// stand are checked.
void CTrayWindow::RebuildRestoreMenu(HMENU restore) {
    for (int n = GetMenuItemCount(restore); n > 0; n--) {
        DeleteMenu(restore, 0, MF_BYPOSITION);
    }
    ReleaseShownLayouts();
    char displays[kDisplayKeyChars];
    ReadDisplayConfiguration(displays);
    for (PtrListNode* node = desktopLayout->snapshots->head; node && shownCount < kRestoreEntries;
         node = node->next) {
        const LayoutSnapshot* snapshot = static_cast<const LayoutSnapshot*>(node->data);
        shownLayouts[shownCount].Reset(CopyToHeap(snapshot->layout.Get()));
        if (shownLayouts[shownCount].IsEmpty()) {
            break;
        }
        bool current = displays[0] != '\0' && strcmp(snapshot->Displays(), displays) == 0;
        AppendSnapshotEntry(restore, ID_RESTORE_FIRST + shownCount, snapshot->name, current);
        shownCount++;
    }
    if (shownCount == 0) {
        AppendMenuA(restore, kUnavailable, 0, "<none>");
    }
}

void CTrayWindow::ReleaseShownLayouts() {
    for (int entry = 0; entry < shownCount; entry++) {
        shownLayouts[entry].Reset();
    }
    shownCount = 0;
}

HWND CTrayWindow::ModelessDialog() const {
    return arrangements.hwnd;
}

LRESULT CTrayWindow::WindowProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (taskbarCreatedMessage && msg == taskbarCreatedMessage) {
        AddTrayIcon();
        return 0;
    }
    switch (msg) {
    case WM_CREATE:
        return OnCreate(window, wParam, lParam);
    case WM_DESTROY:
        return OnDestroy();
    case WM_COMMAND:
        return OnCommand(window, wParam, lParam);
    case WM_TIMER:
        OnTimer(wParam);
        break;
    case WM_DISPLAYCHANGE:
    case kDpiChangedMessage:
        OnDisplaysDisturbed();
        break;
    case WM_SETTINGCHANGE:
        if (wParam == SPI_SETWORKAREA) {
            OnDisplaysDisturbed();
        }
        break;
    case WM_TRAYICON:
        return OnTrayIcon(wParam, lParam);
    case WM_QUERYENDSESSION:
        return OnQueryEndSession();
    case WM_COPYDATA:
        if (lParam && reinterpret_cast<const COPYDATASTRUCT*>(lParam)->dwData == kCommandDataTag) {
            return OnCopyData(reinterpret_cast<const COPYDATASTRUCT*>(lParam));
        }
        break;
    case WM_DRAWITEM:
        if (popupMenu) {
            popupMenu->DrawItem(reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
        }
        break;
    case WM_MEASUREITEM:
        if (popupMenu) {
            popupMenu->MeasureItem(window, reinterpret_cast<MEASUREITEMSTRUCT*>(lParam));
        }
        break;
    }
    return DefWindowProcA(window, msg, wParam, lParam);
}

// A save may take in the autosave interval that another copy chose; the timer follows it. Every
// capture records the displays as they stand.
void CTrayWindow::TakeSnapshot(SnapshotKind kind) {
    LookAtDisplays();
    if (kind == kSnapshotAutomatic && displayRules.HoldAutomaticSnapshot()) {
        return;
    }
    AutoSaveMode mode = desktopLayout->autoSaveMode;
    desktopLayout->TakeSnapshot(kind);
    if (desktopLayout->autoSaveMode != mode) {
        UpdateAutoSaveTimer();
    }
    UpdateTrayTip();
    arrangements.Refresh();
}

// The arrangement the user leaves at logoff or shutdown is the newest at the next logon. The
// snapshot follows a timer tick's rules, without a box: the system waits only so long for the
// answer, and nobody would read one.
LRESULT CTrayWindow::OnQueryEndSession() {
    LookAtDisplays();
    if (!displayRules.HoldAutomaticSnapshot()) {
        desktopLayout->TakeSnapshotQuietly(kSnapshotAutomatic);
        arrangements.Refresh();
    }
    return TRUE;
}

// Carried out as its menu command would be, but without any box: a script waits for the answer,
// and nobody may be there to read one. Exit is posted, so the answer goes out first.
LRESULT CTrayWindow::OnCopyData(const COPYDATASTRUCT* data) {
    char text[kCommandTextChars];
    const ProgramCommand command = ReadCommandData(data->dwData, data->lpData, data->cbData, text)
                                       ? ParseProgramCommand(text)
                                       : ProgramCommand{kCommandMalformed, {}};
    if (command.verb == kCommandExit) {
        PostMessageA(hwnd, WM_COMMAND, ID_EXIT, 0);
        return AnswerOf(kOutcomeExiting);
    }
    if (command.verb == kNoCommand || command.verb == kCommandMalformed) {
        return AnswerOf(kOutcomeMalformed);
    }
    LookAtDisplays();
    AutoSaveMode mode = desktopLayout->autoSaveMode;
    CommandOutcome outcome = RunProgramCommand(desktopLayout, command);
    if (desktopLayout->autoSaveMode != mode) {
        UpdateAutoSaveTimer();
    }
    UpdateTrayTip();
    arrangements.Refresh();
    return AnswerOf(outcome);
}

void CTrayWindow::OnTimer(UINT_PTR id) {
    if (id == kAutoSaveTimer) {
        TakeSnapshot(kSnapshotAutomatic);
    } else if (id == kDisplayPollTimer) {
        ReadDisplayConfiguration(desktopLayout->displayKey);
        displayRules.OnPoll(desktopLayout->displayKey, GetTickCount());
    } else if (id == kDisplaySettleTimer) {
        char displays[kDisplayKeyChars];
        ReadDisplayConfiguration(displays);
        displayRules.OnSettleTimer(displays, GetTickCount());
    } else if (id == kTrayIconRetryTimer && trayIconTriesLeft > 0) {
        TryAddTrayIcon();
    }
}

// The displays as they stand become the configuration of the next snapshot.
void CTrayWindow::LookAtDisplays() {
    ReadDisplayConfiguration(desktopLayout->displayKey);
    displayRules.LookAtDisplays(desktopLayout->displayKey);
}

void CTrayWindow::OnDisplaysDisturbed() {
    char displays[kDisplayKeyChars];
    ReadDisplayConfiguration(displays);
    displayRules.OnDisplaysDisturbed(displays);
}

bool CTrayWindow::RestoresOnDisplayChange() {
    return desktopLayout->restoreOnDisplayChange != 0;
}

bool CTrayWindow::RestoresAtStartup() {
    return desktopLayout->restoreAtStartup != 0;
}

const char* CTrayWindow::NewestSnapshotDisplays() {
    const LayoutSnapshot* newest = NewestSnapshot(*desktopLayout->snapshots);
    return newest ? newest->Displays() : "";
}

int CTrayWindow::RestoreNewestUnder(const char* displays, bool atLast) {
    return desktopLayout->RestoreNewestUnder(displays, atLast);
}

int CTrayWindow::ReadIconCount() {
    return desktopLayout->ReadIconCount();
}

void CTrayWindow::TakeAutomaticSnapshot() {
    TakeSnapshot(kSnapshotAutomatic);
}

void CTrayWindow::ForgetShellCoordinates() {
    desktopLayout->ForgetShellCoordinates();
}

// Setting the timer again starts the steady period anew.
void CTrayWindow::StartSettleTimer() {
    SetTimer(hwnd, kDisplaySettleTimer, kDisplaySettlePeriod, nullptr);
}

void CTrayWindow::StopSettleTimer() {
    KillTimer(hwnd, kDisplaySettleTimer);
}

// Every start records the desktop as it stands, whatever the autosave interval. The taskbar runs
// at the user's integrity level: an elevated copy lets its two messages in, or after Explorer
// restarts the icon never comes back and its clicks never arrive; a script's command line comes
// from the user's level too.
LRESULT CTrayWindow::OnCreate(HWND window, WPARAM wParam, LPARAM lParam) {
    AllowFromLowerIntegrity(window, WM_TRAYICON);
    AllowFromLowerIntegrity(window, taskbarCreatedMessage);
    AllowFromLowerIntegrity(window, WM_COPYDATA);
    trayIcon.Reset(
        LoadProgramIcon(hInstance, GetSystemMetrics(SM_CXSMICON), GetSystemMetrics(SM_CYSMICON)));
    balloonIcon.Reset(
        LoadProgramIcon(hInstance, GetSystemMetrics(SM_CXICON), GetSystemMetrics(SM_CYICON)));
    welcomePending = !desktopLayout->foundSettingsFile;
    popupMenu =
        new (std::nothrow) COwnerDrawMenu(hInstance, MAKEINTRESOURCEA(IDR_MAINMENU),
                                          MAKEINTRESOURCEA(IDB_MENUIMAGES), MENU_IMAGE_CHECK);
    AddTrayIcon();
    UpdateAutoSaveTimer();
    ReadDisplayConfiguration(desktopLayout->displayKey);
    SetTimer(hwnd, kDisplayPollTimer, kDisplayPollPeriod, nullptr);
    displayRules.Start(desktopLayout->displayKey, GetTickCount());
    TakeSnapshot(kSnapshotAutomatic);
    return DefWindowProcA(window, WM_CREATE, wParam, lParam);
}

LRESULT CTrayWindow::OnDestroy() {
    arrangements.Close();
    KillTimer(hwnd, kAutoSaveTimer);
    KillTimer(hwnd, kDisplayPollTimer);
    KillTimer(hwnd, kDisplaySettleTimer);
    KillTimer(hwnd, kTrayIconRetryTimer);
    RemoveTrayIcon();
    if (popupMenu) {
        popupMenu->Destroy();
        delete popupMenu;
        popupMenu = nullptr;
    }
    trayIcon.Reset();
    balloonIcon.Reset();
    PostQuitMessage(0);
    return 0;
}

LRESULT CTrayWindow::OnCommand(HWND window, WPARAM wParam, LPARAM lParam) {
    UINT id = LOWORD(wParam);
    if (id >= ID_AUTOSAVE_NEVER && id <= ID_AUTOSAVE_1HOUR) {
        desktopLayout->autoSaveMode = static_cast<AutoSaveMode>(id - ID_AUTOSAVE_NEVER);
        desktopLayout->SaveSettings();
        UpdateAutoSaveTimer();
        arrangements.Refresh();
    } else if (IsRestoreId(id)) {
        desktopLayout->RestoreSnapshot(static_cast<int>(id - ID_RESTORE_FIRST));
    } else if (id == ID_ABOUT) {
        OnAbout();
    } else if (id == ID_START_WITH_WINDOWS) {
        desktopLayout->ChooseStartWithWindows(desktopLayout->startWithWindows ? 0 : 1);
    } else if (id == ID_RESTORE_ON_DISPLAY_CHANGE) {
        ToggleOption(&desktopLayout->restoreOnDisplayChange);
    } else if (id == ID_RESTORE_AT_STARTUP) {
        ToggleOption(&desktopLayout->restoreAtStartup);
    } else if (id == ID_MANAGE_ARRANGEMENTS) {
        arrangements.Show(hInstance, hwnd);
    } else if (id == ID_EXIT) {
        arrangements.Close();
        return DestroyWindow(hwnd);
    } else if (id == ID_SAVE) {
        TakeSnapshot(kSnapshotManual);
    } else if (id == ID_UNDO) {
        desktopLayout->Undo();
    }
    return DefWindowProcA(window, WM_COMMAND, wParam, lParam);
}

// A save may take in the autosave interval that another copy chose; the timer follows it.
void CTrayWindow::ToggleOption(int* option) {
    AutoSaveMode mode = desktopLayout->autoSaveMode;
    *option = *option ? 0 : 1;
    desktopLayout->SaveSettings();
    if (desktopLayout->autoSaveMode != mode) {
        UpdateAutoSaveTimer();
    }
    arrangements.Refresh();
}

void CTrayWindow::OnAbout() {
    CAboutDialog about;
    about.DoModal(hInstance, hwnd, 0, 0, 160, 120, kAboutStyle, 0);
}

// Which callbacks open the menu, and where, is ReadTrayCallback's to say: at the pointer for the
// old form, at the icon for version 4's, so that the keyboard's menu opens beside the icon.
// Without a menu object there is nothing to open, and a callback while the menu is open leaves it
// as it is. The menu returns its choice rather than posting it, so the choice is taken against
// the entries it showed.
LRESULT CTrayWindow::OnTrayIcon(WPARAM wParam, LPARAM lParam) {
    const TrayMenuRequest request = ReadTrayCallback(wParam, lParam, kTrayIconId);
    if (request.where == TrayMenuRequest::kNone || !popupMenu || menuOpen) {
        return 1;
    }
    POINT at = {request.x, request.y};
    if (request.where == TrayMenuRequest::kAtPointer) {
        GetCursorPos(&at);
    }
    menuOpen = 1;
    PrepareMenu();
    UINT id = popupMenu->ShowPopup(hwnd, TPM_RIGHTALIGN | TPM_BOTTOMALIGN | TPM_RETURNCMD, at);
    menuOpen = 0;
    OnMenuChoice(id);
    return 1;
}

// A Restore entry restores the layout it showed, whatever the store did while the menu was open;
// every other choice is carried out as the same command from elsewhere. The chosen copy is taken
// out and the others released before anything runs, since what runs may open the menu again (the
// About box goes on dispatching tray clicks), which replaces the copies. Nothing is carried out
// for a window destroyed while the menu was open.
void CTrayWindow::OnMenuChoice(UINT id) {
    CHeapText chosen;
    if (IsRestoreId(id) && static_cast<int>(id - ID_RESTORE_FIRST) < shownCount) {
        chosen = std::move(shownLayouts[id - ID_RESTORE_FIRST]);
    }
    ReleaseShownLayouts();
    if (hwnd && !chosen.IsEmpty()) {
        desktopLayout->RestoreLayout(chosen.Get());
    } else if (hwnd && id != 0 && !IsRestoreId(id)) {
        OnCommand(hwnd, id, 0);
    }
}
