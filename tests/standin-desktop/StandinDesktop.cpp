// A small shell for tests and for trying the program under Wine, where no shell shows desktop
// icons: "Program Manager" with a real SysListView32 holding the icons it is given. Tests steer it
// through the control channel (StandinProtocol.h).
#include "ControlChannel.h"
#include "ShellWindows.h"
#include "StartingIcons.h"
#include "WideText.h"

#include <windows.h>
#include <commctrl.h>
#include <shellapi.h>

#include <cstdio>
#include <cstdlib>

namespace {

// No message box: a test waiting for the stand-in must not wait on a dialog.
int Fail(const std::string& message) {
    fprintf(stderr, "standin-desktop: %s\n", message.c_str());
    return 1;
}

// The arguments after the program's name, in UTF-8: the ANSI command line would have lost every
// character of a name outside the code page.
std::vector<std::string> Arguments() {
    std::vector<std::string> arguments;
    int count = 0;
    LPWSTR* wide = CommandLineToArgvW(GetCommandLineW(), &count);
    if (!wide) {
        return arguments;
    }
    for (int i = 1; i < count; ++i) {
        arguments.push_back(WideToUtf8(wide[i], wcslen(wide[i])));
    }
    LocalFree(wide);
    return arguments;
}

} // namespace

int WINAPI WinMain(HINSTANCE hInstance, HINSTANCE, LPSTR, int) {
    std::vector<standin::Icon> icons;
    std::string error;
    if (!ReadStartingIcons(Arguments(), &icons, &error)) {
        return Fail(error);
    }

    INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_LISTVIEW_CLASSES};
    InitCommonControlsEx(&controls);

    CShellWindows shell;
    CControlChannel channel(shell);
    if (!channel.Open()) {
        return Fail("Cannot create the reply mapping.");
    }
    if (!shell.Create(hInstance, CControlChannel::Dispatch, &channel) ||
        !shell.ReplaceIcons(icons)) {
        return Fail("Cannot create the desktop windows.");
    }

    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    // Under Wine, taking a shown top-level window down waits up to two seconds on the X server, and
    // tests quit hundreds of stand-ins. Ending the process releases every window and handle at
    // once.
    ExitProcess(0);
}
