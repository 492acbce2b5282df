// The tray icon against a notification area that refuses it for a while, as a taskbar too busy to
// answer at logon does: the add is tried again on a timer of its own until the icon is there, for
// a bounded time, and the taskbar's re-creation starts it afresh.
#include "desktop/DesktopLayout.h"
#include "ui/TrayWindow.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

// The notification area as the tray window sees it through its notifyIcon.
struct FakeTaskbar {
    // Adds still to be refused.
    int refusals = 0;
    // A refused add that still lands, as one that timed out may.
    bool refusedAddLands = false;
    bool iconThere = false;
    std::vector<DWORD> requests;
    // The records of the last add or modify, and of the last version request.
    NOTIFYICONDATAA addRecord = {};
    NOTIFYICONDATAA versionRecord = {};
    // Balloons as asked for; a shell of before Vista refuses the record of Vista's size.
    std::vector<NOTIFYICONDATAA> balloons;
    bool refusesVistaRecord = false;
};

FakeTaskbar taskbar;

BOOL WINAPI FakeNotifyIcon(DWORD message, PNOTIFYICONDATAA record) {
    taskbar.requests.push_back(message);
    if (message == NIM_MODIFY && (record->uFlags & NIF_INFO)) {
        taskbar.balloons.push_back(*record);
        return taskbar.iconThere &&
               !(taskbar.refusesVistaRecord && record->cbSize == sizeof *record);
    }
    if (message == NIM_SETVERSION) {
        taskbar.versionRecord = *record;
    } else if (message != NIM_DELETE) {
        taskbar.addRecord = *record;
    }
    switch (message) {
    case NIM_ADD:
        if (taskbar.refusals > 0) {
            taskbar.refusals--;
            taskbar.iconThere = taskbar.refusedAddLands;
            return FALSE;
        }
        taskbar.iconThere = true;
        return TRUE;
    case NIM_MODIFY:
    case NIM_SETVERSION:
        return taskbar.iconThere ? TRUE : FALSE;
    case NIM_DELETE:
        taskbar.iconThere = false;
        return TRUE;
    default:
        return FALSE;
    }
}

size_t Count(DWORD message) {
    size_t n = 0;
    for (DWORD request : taskbar.requests) {
        n += request == message ? 1 : 0;
    }
    return n;
}

class TrayIconRetry : public ::testing::Test {
  protected:
    CDesktopLayout layout;
    CTrayWindow tray{&layout};
    HWND window = nullptr;

    // A plain window stands in for the tray window's own, so no start-up snapshot is taken here;
    // its timers and messages are the tray object's.
    void SetUp() override {
        taskbar = FakeTaskbar();
        window = CreateWindowExA(0, "STATIC", "", 0, 0, 0, 10, 10, nullptr, nullptr,
                                 GetModuleHandleA(nullptr), nullptr);
        ASSERT_NE(window, nullptr);
        tray.hwnd = window;
        tray.notifyIcon = FakeNotifyIcon;
    }
    void TearDown() override {
        tray.hwnd = nullptr;
        DestroyWindow(window);
    }

    // The next tick of a timer of the window, within the bound; 0 for none.
    UINT_PTR WaitForTick(DWORD boundMs) {
        DWORD started = GetTickCount();
        MSG msg;
        while (GetTickCount() - started < boundMs) {
            if (PeekMessageA(&msg, window, WM_TIMER, WM_TIMER, PM_REMOVE)) {
                return msg.wParam;
            }
            Sleep(10);
        }
        return 0;
    }

    void Tick(UINT_PTR id) { tray.WindowProc(window, WM_TIMER, id, 0); }

    // Only a timer that still runs can be killed.
    bool TimerRuns(UINT_PTR id) { return KillTimer(window, id) != 0; }
};

TEST_F(TrayIconRetry, RefusedAddIsTriedAgainOnATimerOfItsOwnUntilTheIconIsThere) {
    taskbar.refusals = 2;
    tray.AddTrayIcon();
    EXPECT_EQ(taskbar.requests, (std::vector<DWORD>{NIM_ADD, NIM_MODIFY}));
    EXPECT_FALSE(taskbar.iconThere);

    const UINT_PTR retry = WaitForTick(10000);
    ASSERT_NE(retry, 0u) << "no retry timer, or the autosave timer's id";
    Tick(retry);
    EXPECT_FALSE(taskbar.iconThere);
    ASSERT_EQ(WaitForTick(10000), retry);
    Tick(retry);

    EXPECT_TRUE(taskbar.iconThere);
    EXPECT_EQ(Count(NIM_ADD), 3u);
    EXPECT_FALSE(TimerRuns(retry));
    EXPECT_EQ(layout.snapshots->count, 0);
    // The record the taskbar got is the tray icon's.
    EXPECT_EQ(taskbar.addRecord.hWnd, window);
    EXPECT_EQ(taskbar.addRecord.uID, 1u);
    EXPECT_EQ(taskbar.addRecord.uCallbackMessage, static_cast<UINT>(WM_TRAYICON));
    EXPECT_TRUE(taskbar.addRecord.uFlags & NIF_ICON);

    // A late tick of the stopped timer asks the taskbar nothing.
    const size_t asked = taskbar.requests.size();
    Tick(retry);
    EXPECT_EQ(taskbar.requests.size(), asked);
}

// The first start of all says where the program went, once the icon is there and only once: with
// the program's icon where the shell takes the record of Vista's size, else the information icon.
TEST_F(TrayIconRetry, TheFirstStartShowsOneBalloonOnceTheIconIsThere) {
    for (bool refuses : {false, true}) {
        taskbar = FakeTaskbar();
        taskbar.refusals = 1;
        taskbar.refusesVistaRecord = refuses;
        tray.welcomePending = true;
        tray.AddTrayIcon();
        EXPECT_TRUE(taskbar.balloons.empty());
        Tick(WaitForTick(10000));
        ASSERT_EQ(taskbar.balloons.size(), refuses ? 2u : 1u);
        const NOTIFYICONDATAA& shown = taskbar.balloons.back();
        EXPECT_STREQ(shown.szInfoTitle, "Quill Marsh is running");
        EXPECT_STREQ(shown.szInfo, "Click this icon for Save, Restore and the other commands.");
        EXPECT_EQ(shown.cbSize, refuses ? NOTIFYICONDATAA_V2_SIZE : sizeof shown);
        EXPECT_EQ(shown.dwInfoFlags & 0xFu, refuses ? DWORD(NIIF_INFO) : DWORD(NIIF_USER));
        EXPECT_STREQ(taskbar.addRecord.szTip, "Quill Marsh");
        tray.WindowProc(window, RegisterWindowMessageA("TaskbarCreated"), 0, 0);
        EXPECT_EQ(taskbar.balloons.size(), refuses ? 2u : 1u);
    }
}

TEST_F(TrayIconRetry, AnAddThatTimedOutButLandedIsNotTriedAgain) {
    taskbar.refusals = 1;
    taskbar.refusedAddLands = true;
    tray.AddTrayIcon();
    EXPECT_EQ(taskbar.requests, (std::vector<DWORD>{NIM_ADD, NIM_MODIFY, NIM_SETVERSION}));
    EXPECT_EQ(WaitForTick(3000), 0u);
}

// The shell forgets the icon's version with the icon: every add that succeeds asks for version
// 4 at once, the retry's, the landed one's and the re-add after the taskbar's re-creation
// included, and a refused add asks nothing. The tip is asked to show, as version 4 hides it
// otherwise.
TEST_F(TrayIconRetry, EverySuccessfulAddAsksForVersionFour) {
    taskbar.refusals = 1;
    tray.AddTrayIcon();
    const UINT_PTR retry = WaitForTick(10000);
    ASSERT_NE(retry, 0u);
    Tick(retry);
    const UINT taskbarCreated = RegisterWindowMessageA("TaskbarCreated");
    tray.WindowProc(window, taskbarCreated, 0, 0);
    taskbar.iconThere = false;
    taskbar.refusals = 1;
    taskbar.refusedAddLands = true;
    tray.WindowProc(window, taskbarCreated, 0, 0);

    EXPECT_EQ(taskbar.requests,
              (std::vector<DWORD>{NIM_ADD, NIM_MODIFY, NIM_ADD, NIM_SETVERSION, NIM_ADD,
                                  NIM_SETVERSION, NIM_ADD, NIM_MODIFY, NIM_SETVERSION}));
    EXPECT_EQ(taskbar.versionRecord.uVersion, static_cast<UINT>(NOTIFYICON_VERSION_4));
    EXPECT_EQ(taskbar.versionRecord.hWnd, window);
    EXPECT_EQ(taskbar.versionRecord.uID, 1u);
    EXPECT_EQ(taskbar.versionRecord.cbSize, static_cast<DWORD>(NOTIFYICONDATAA_V2_SIZE));
    EXPECT_TRUE(taskbar.addRecord.uFlags & NIF_SHOWTIP);
    EXPECT_TRUE(taskbar.addRecord.uFlags & NIF_TIP);
    EXPECT_STREQ(taskbar.addRecord.szTip, "Quill Marsh");
}

// Every two seconds for about two minutes, then no more; the taskbar made anew (Explorer
// restarted) starts the adds afresh.
TEST_F(TrayIconRetry, GivesUpAfterAboutTwoMinutesAndTaskbarCreatedStartsAfresh) {
    taskbar.refusals = 1000;
    tray.AddTrayIcon();
    const UINT_PTR retry = WaitForTick(10000);
    ASSERT_NE(retry, 0u);
    for (int tick = 0; tick < 200; tick++) {
        Tick(retry);
    }
    EXPECT_EQ(Count(NIM_ADD), 60u);
    EXPECT_FALSE(TimerRuns(retry));
    EXPECT_FALSE(taskbar.iconThere);

    taskbar.refusals = 0;
    tray.WindowProc(window, RegisterWindowMessageA("TaskbarCreated"), 0, 0);
    EXPECT_TRUE(taskbar.iconThere);
    EXPECT_EQ(Count(NIM_ADD), 61u);
    EXPECT_FALSE(TimerRuns(retry));
}

} // namespace
