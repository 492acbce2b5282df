// `make run` inside Wine: the stand-in desktop with sample icons and the real program beside it.
//   program-tour --stay <quillmarsh.exe>          until the person chooses Exit in the tray menu
//   program-tour --tour <quillmarsh.exe> <folder> a scripted tour with screenshots in <folder>,
//                                                 the menu, the About box and Manage
//                                                 Arrangements also at 100, 150 and 200 %
// The program is driven as the tests drive it: commands to its hidden window, a tray click and
// keys to its popup menu.
#include "contract/TestDesktop.h"
#include "program/DisplayScaleSetting.h"
#include "program/PopupMenuReader.h"
#include "program/ProgramFolder.h"
#include "program/ProgramTestSupport.h"
#include "program/RunningProgram.h"
#include "tests/ui/MemoryCanvas.h"

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace {

using namespace programtest::commands;

std::vector<testdesktop::Icon> SampleIcons() {
    return {{"Recycle Bin", 20, 10}, {"My Computer", 20, 80}, {"Documents", 20, 150},
            {"Projects", 100, 10},   {"Notes.txt", 100, 80},  {"Budget 2026.xlsx", 100, 150},
            {"Photos", 180, 10},     {"Readme.md", 180, 80}};
}

void Say(const char* text) {
    printf("tour: %s\n", text);
    fflush(stdout);
}

RECT Union(RECT a, const RECT& b) {
    a.left = std::min(a.left, b.left);
    a.top = std::min(a.top, b.top);
    a.right = std::max(a.right, b.right);
    a.bottom = std::max(a.bottom, b.bottom);
    return a;
}

RECT DesktopRect() {
    RECT area = {0, 0, 640, 480};
    HWND progman = FindWindowA("Progman", "Program Manager");
    if (progman) {
        GetWindowRect(progman, &area);
    }
    return area;
}

void Screenshot(const std::string& folder, const char* name, RECT area) {
    area.left = std::max(0L, area.left);
    area.top = std::max(0L, area.top);
    area.right = std::min(static_cast<LONG>(GetSystemMetrics(SM_CXSCREEN)), area.right);
    area.bottom = std::min(static_cast<LONG>(GetSystemMetrics(SM_CYSCREEN)), area.bottom);
    if (area.right <= area.left || area.bottom <= area.top) {
        return;
    }
    MemoryCanvas canvas(area.right - area.left, area.bottom - area.top, RGB(0, 0, 0));
    canvas.CaptureScreen(area);
    std::string path = folder + "\\" + name;
    if (canvas.SavePng(path.c_str())) {
        printf("tour: screenshot %s\n", name);
    }
    fflush(stdout);
}

// The list view answers a move at once, but the screen shows it after the next paint.
void LetItPaint() {
    DWORD started = GetTickCount();
    MSG msg;
    while (GetTickCount() - started < 300) {
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            DispatchMessageA(&msg);
        }
        Sleep(20);
    }
}

// The chosen entry arrives as a posted command: watch the first icon come home (bounded).
bool WaitUntilRestored() {
    DWORD started = GetTickCount();
    while (GetTickCount() - started < 15000) {
        std::vector<testdesktop::Icon> icons = testdesktop::Icons();
        if (!icons.empty() && icons[0].x == 20 && icons[0].y == 10) {
            return true;
        }
        Sleep(20);
    }
    return false;
}

bool StartBesideDesktop(CRunningProgram& program, const char* exe) {
    if (!testdesktop::Start(SampleIcons())) {
        Say("the stand-in desktop did not start");
        return false;
    }
    if (!program.Start(exe) || !program.WaitForWindow()) {
        Say("the program did not start");
        return false;
    }
    return true;
}

int Stay(const char* exe) {
    CRunningProgram program;
    if (!StartBesideDesktop(program, exe)) {
        testdesktop::Stop();
        return 1;
    }
    Say("Quill Marsh is in the tray: click its icon for the menu; Exit ends this run");
    DWORD code = 0;
    while (!program.WaitForExit(&code)) {
    }
    testdesktop::Stop();
    return 0;
}

// Opens the tray menu and its Restore submenu as a person would, with the keyboard.
bool OpenRestoreMenu(CRunningProgram& program, std::vector<HWND>* popups) {
    if (!program.PostTrayClick(WM_RBUTTONUP) || !WaitForPopups(program.ProcessId(), 1, popups)) {
        return false;
    }
    HWND main = popups->front();
    for (int i = 0; i < 4; i++) {
        PressKey(main, VK_DOWN);
    }
    PressKey(main, VK_RIGHT);
    return WaitForPopups(program.ProcessId(), 2, popups);
}

// An earlier run's Save, taken under displays of 1024x768: the Restore submenu lists it without the
// check that marks the arrangements of the displays as they stand.
bool WriteEarlierRun(const std::string& folder) {
    const char name[] = "2020-01-05 08:30:00";
    return WriteWholeFile(folder + "\\Quillmarsh.ini",
                          std::string("[Settings]\r\nAutoSave=2\r\n[Saves]\r\n") + name +
                              "=Recycle Bin;300;300;Photos;400;300;\r\n[SaveDisplays]\r\n" + name +
                              "=0,0,1024,768|0,0,1024,768@96\r\n");
}

// Without a tray of the desktop's own, Wine shows the notification icons in a small window of its
// own, each icon a child window; the pointer rests on the first until its tip shows. False when
// there is no such window.
// The client area: without a window manager Wine leaves the caption unpainted.
void ScreenshotClient(const std::string& folder, const char* name, HWND window) {
    LetItPaint();
    RECT client;
    GetClientRect(window, &client);
    POINT origin = {0, 0};
    ClientToScreen(window, &origin);
    OffsetRect(&client, origin.x, origin.y);
    Screenshot(folder, name, client);
}

bool HoverTrayIcon(RECT* area) {
    HWND tray = FindWindowA("__winex11_standalone_tray", nullptr);
    HWND icon = tray ? GetWindow(tray, GW_CHILD) : nullptr;
    if (!icon || !IsWindowVisible(tray)) {
        return false;
    }
    RECT shown;
    GetWindowRect(icon, &shown);
    SetCursorPos((shown.left + shown.right) / 2, (shown.top + shown.bottom) / 2);
    // The tip shows after the pointer has rested a moment; the screen shows it after a paint.
    Sleep(1500);
    LetItPaint();
    GetWindowRect(tray, area);
    area->right += 200;
    area->bottom += 80;
    return true;
}

bool Tour(CRunningProgram& program, const std::string& folder) {
    Say("started beside the stand-in desktop; the start took an automatic snapshot");
    LetItPaint();
    Screenshot(folder, "1-desktop.png", DesktopRect());

    programtest::WaitForNextSecond();
    if (!program.Command(kSave)) {
        return false;
    }
    Say("Save");
    testdesktop::MoveIcon(0, 420, 300);
    testdesktop::MoveIcon(3, 300, 220);
    testdesktop::MoveIcon(6, 520, 120);
    Say("three icons moved");
    LetItPaint();
    Screenshot(folder, "2-moved.png", DesktopRect());

    std::vector<HWND> popups;
    if (!OpenRestoreMenu(program, &popups)) {
        return false;
    }
    Say("the tray menu is open at Restore");
    LetItPaint();
    RECT area = DesktopRect();
    RECT menus;
    GetWindowRect(popups.front(), &menus);
    for (HWND popup : popups) {
        RECT shown;
        GetWindowRect(popup, &shown);
        area = Union(area, shown);
        menus = Union(menus, shown);
    }
    Screenshot(folder, "3-menu.png", area);
    Screenshot(folder, "3-menu-alone.png", menus);
    // The newest snapshot, the Save, is the first entry and already highlighted.
    PressKey(popups.front(), VK_RETURN);
    if (!WaitForPopups(program.ProcessId(), 0, &popups) || !WaitUntilRestored()) {
        return false;
    }
    Say("Restore chosen in the menu: the icons are back");
    LetItPaint();
    Screenshot(folder, "4-restored.png", DesktopRect());

    if (!program.Command(kUndo)) {
        return false;
    }
    Say("Undo: the moved icons are back where they were");
    LetItPaint();
    Screenshot(folder, "5-undone.png", DesktopRect());

    RECT tray;
    if (HoverTrayIcon(&tray)) {
        Say("the pointer rests on the tray icon: its tip says who it is");
        Screenshot(folder, "6-tray-tip.png", tray);
    } else {
        Say("no tray window to hover over");
    }

    DWORD code = 99;
    if (!program.Command(kExit) || !program.WaitForExit(&code)) {
        return false;
    }
    printf("tour: Exit, the program ended with code %lu\n", code);
    return code == 0;
}

// The program started again at a display scale (Wine's, for the processes started while it
// holds): its tray menu and its About box, photographed.
bool ScaledTour(const char* exe, const std::string& folder, int dpi) {
    CDisplayScale scale(static_cast<DWORD>(dpi));
    CRunningProgram program;
    if (!scale.Set() || !program.Start(exe) || !program.WaitForWindow()) {
        return false;
    }
    const std::string percent = std::to_string(dpi * 100 / 96);
    printf("tour: started again at %s %% (%d DPI)\n", percent.c_str(), dpi);
    std::vector<HWND> popups;
    bool done =
        program.PostTrayClick(WM_RBUTTONUP) && WaitForPopups(program.ProcessId(), 1, &popups);
    if (done) {
        LetItPaint();
        RECT shown;
        GetWindowRect(popups.front(), &shown);
        Screenshot(folder, ("7-menu-at-" + percent + ".png").c_str(), shown);
        done = CloseMenus(program.ProcessId()) && program.PostCommand(kAbout);
    }
    HWND about = done ? program.WaitForDialog("About Quill Marsh") : nullptr;
    if (about) {
        ScreenshotClient(folder, ("8-about-at-" + percent + ".png").c_str(), about);
        PostMessageA(about, WM_COMMAND, IDOK, 0);
    }
    HWND arrangements = about && program.PostCommand(kManageArrangements)
                            ? program.WaitForDialog("Manage Arrangements")
                            : nullptr;
    if (arrangements) {
        ScreenshotClient(folder, ("9-arrangements-at-" + percent + ".png").c_str(), arrangements);
    }
    DWORD code = 99;
    done = arrangements && program.Command(kExit) && program.WaitForExit(&code) && code == 0;
    program.Kill();
    return done;
}

int RunTour(const char* exe, const std::string& folder) {
    CRunningProgram program;
    if (!WriteEarlierRun(folder)) {
        Say("could not write the earlier run's settings file");
    } else {
        Say("an earlier run left a Save taken under other displays (1024x768)");
    }
    bool done = StartBesideDesktop(program, exe) && Tour(program, folder);
    CloseMenus(program.ProcessId());
    program.Kill();
    for (int dpi : {96, 144, 192}) {
        done = done && ScaledTour(exe, folder, dpi);
    }
    if (!done) {
        Say("the tour stopped early");
    }
    testdesktop::Stop();
    return done ? 0 : 1;
}

} // namespace

int main(int argc, char** argv) {
    // A test that died while it held another display scale leaves it behind: not for this run.
    RestoreDisplayScaleLeftBehind();
    if (argc == 3 && strcmp(argv[1], "--stay") == 0) {
        return Stay(argv[2]);
    }
    if (argc == 4 && strcmp(argv[1], "--tour") == 0) {
        return RunTour(argv[2], argv[3]);
    }
    fprintf(stderr, "usage: program-tour --stay <exe> | --tour <exe> <folder>\n");
    return 2;
}
