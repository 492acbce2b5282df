// One run of the real quillmarsh.exe, driven only as the system drives it: messages to its hidden
// window, the tray icon's callback, and its "Error" boxes read by their text and answered. A run
// still going when the object ends is killed, and a kill-on-close job ends it even if the test
// process itself dies.
#pragma once

#include <windows.h>

#include <string>

class CRunningProgram {
  public:
    CRunningProgram();
    ~CRunningProgram();
    CRunningProgram(const CRunningProgram&) = delete;
    CRunningProgram& operator=(const CRunningProgram&) = delete;

    // Starts the executable with its own folder as working folder, and the arguments; output,
    // when given, takes what it writes.
    bool Start(const std::string& exe, const std::string& arguments = "", HANDLE output = nullptr);
    // The hidden tray window, once the program has made it; null if none came within the bound.
    HWND WaitForWindow();
    HWND Window() const { return hWindow; }
    DWORD ProcessId() const { return process.dwProcessId; }

    // Sent, so the command has been carried out when this returns.
    bool Command(UINT id);
    // A tick of the autosave timer, as the system's timer delivers it.
    bool TimerTick();
    // The shell's notice that the taskbar was made anew.
    bool TaskbarCreated();
    // The system's question at logoff or shutdown; answer: the program's reply.
    bool QueryEndSession(LRESULT* answer);
    // Posted: a click opens the popup menu, whose loop keeps the program busy until it closes.
    bool PostTrayClick(UINT mouseMessage);
    // Posted: the program carries them out after this returns, in the order they were posted.
    bool PostCommand(UINT id);
    bool PostTimerTick();

    // The text of the next "Error" box of this process, which is then answered with OK and gone
    // when this returns; empty when none showed within the bound.
    std::string WaitForErrorBox();
    // The visible dialog of this process with the title (the About box: "About Quill Marsh"),
    // left open; null if none showed within the bound.
    HWND WaitForDialog(const char* title) const;
    // How many "Error" boxes of this process are on the screen now.
    int OpenErrorBoxes() const;
    // How many dialogs of this process with the title (null: any) are on the screen now.
    int OpenDialogs(const char* title) const;
    // True with the exit code once the process has ended within the bound.
    bool WaitForExit(DWORD* exitCode);
    bool Running() const;
    void Kill();

  private:
    HANDLE hJob;
    PROCESS_INFORMATION process = {};
    HWND hWindow = nullptr;

    bool Send(UINT msg, WPARAM wParam, LPARAM lParam);
    void Close();
};

// True when the notification area holds an icon of this window with this id. Asked the way any
// program may ask: a modification that changes nothing succeeds only for an existing icon.
bool TrayIconExists(HWND owner, UINT id);
// What a restarted shell does to every icon: it forgets it.
bool ForgetTrayIcon(HWND owner, UINT id);
