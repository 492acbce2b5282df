// The entry point: one copy per logon, the core object and the tray window, the message loop.
#include "app/ErrorBox.h"
#include "desktop/DesktopLayout.h"
#include "ui/TrayWindow.h"

#include <new>

namespace {

const char kInstanceMutex[] = "Quillmarsh";

// A zeroed record makes a failed query count as a system that is not NT.
bool IsWindowsNt() {
    OSVERSIONINFOA version;
    ZeroMemory(&version, sizeof version);
    version.dwOSVersionInfoSize = sizeof version;
    GetVersionExA(&version);
    return version.dwPlatformId == VER_PLATFORM_WIN32_NT;
}

void RunTrayProgram(HINSTANCE instance) {
    CDesktopLayout* layout = new (std::nothrow) CDesktopLayout;
    if (!layout)
        return;
    if (layout->LoadSettings()) {
        CTrayWindow* tray = new (std::nothrow) CTrayWindow(layout);
        if (tray) {
            tray->CreateTrayWindow(instance, nullptr);
            tray->Run();
            delete tray;
        }
    }
    delete layout;
}

} // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    if (!IsWindowsNt()) {
        ShowErrorBox("Windows NT/2000/XP Required!");
        return 0;
    }
    // Owned until the process ends: the marker of the running copy.
    HANDLE mutex = CreateMutexA(nullptr, TRUE, kInstanceMutex);
    if (GetLastError() == ERROR_ALREADY_EXISTS) {
        ShowErrorBox("Already running!");
        if (mutex)
            ReleaseMutex(mutex);
        return 0;
    }
    InitCommonControls();
    RunTrayProgram(instance);
    return 0;
}
