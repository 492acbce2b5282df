// The entry point: one copy per logon, the core object and the tray window, the message loop.
#include "base/DllSearch.h"
#include "base/ErrorBox.h"
#include "base/UniqueOwner.h"
#include "desktop/DesktopLayout.h"
#include "ui/TrayWindow.h"

#include <new>

namespace {

const char kInstanceMutex[] = "Quillmarsh";
// A program whose window could not be made has no icon and no menu: it says so and ends.
const int kNoTrayWindowExitCode = 1;

// A zeroed record makes a failed query count as a system that is not NT.
bool IsWindowsNt() {
    OSVERSIONINFOA version;
    ZeroMemory(&version, sizeof version);
    version.dwOSVersionInfoSize = sizeof version;
    GetVersionExA(&version);
    return version.dwPlatformId == VER_PLATFORM_WIN32_NT;
}

// The exit code: 0, or kNoTrayWindowExitCode.
int RunTrayProgram(HINSTANCE instance) {
    CDesktopLayout* layout = new (std::nothrow) CDesktopLayout;
    if (!layout) {
        return 0;
    }
    int exitCode = 0;
    layout->ChooseSettingsFile();
    if (layout->LoadSettings()) {
        CTrayWindow* tray = new (std::nothrow) CTrayWindow(layout);
        if (tray) {
            if (tray->CreateTrayWindow(instance, nullptr)) {
                tray->Run();
            } else {
                ShowErrorBox("Could not create the tray window!");
                exitCode = kNoTrayWindowExitCode;
            }
            delete tray;
        }
    }
    delete layout;
    return exitCode;
}

} // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    // Before anything can load a library by name: the program may have been started from a folder
    // that anyone can put a file into.
    LimitDllSearchToSystemFolder();
    if (!IsWindowsNt()) {
        ShowErrorBox("Windows NT/2000/XP Required!");
        return 0;
    }
    // Held while the program runs: the marker of the running copy. A copy started elevated in the
    // same logon owns a marker this user may not open, and that refusal means a copy runs too.
    CUniqueHandle mutex(CreateMutexA(nullptr, TRUE, kInstanceMutex));
    DWORD error = GetLastError();
    if (error == ERROR_ALREADY_EXISTS || (mutex.IsEmpty() && error == ERROR_ACCESS_DENIED)) {
        ShowErrorBox("Already running!");
        return 0;
    }
    InitCommonControls();
    return RunTrayProgram(instance);
}
