// The entry point: one copy per logon, the core object and the tray window, the message loop; a
// command line is handed to the copy that runs, or carried out alone.
#include "app/ScriptConsole.h"
#include "base/DllSearch.h"
#include "base/ErrorBox.h"
#include "base/TextEncoding.h"
#include "base/UniqueOwner.h"
#include "desktop/DesktopLayout.h"
#include "ui/DisplayMonitors.h"
#include "ui/ProgramCommand.h"
#include "ui/TrayWindow.h"

#include <cstring>
#include <cwchar>
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

// A copy that has just taken the marker makes its window a moment later.
const int kFindWindowTries = 50;
const DWORD kFindWindowPauseMs = 100;
// A restore of a large desktop through a slow shell takes seconds; a copy that gives no answer in
// this time is taken as not answering.
const UINT kAnswerBoundMs = 60000;

// The arguments of the program's command line in UTF-8, the program's name left out; a line
// that does not fit arguments or cannot be converted is read as malformed.
ProgramCommand ReadProgramCommand(char (&arguments)[kCommandTextChars]) {
    const ProgramCommand malformed = {kCommandMalformed, {}};
    arguments[0] = '\0';
    const WCHAR* line = GetCommandLineW();
    const size_t units = line ? wcslen(line) : 0;
    CHeapText whole(new (std::nothrow) char[3 * units + 1]);
    if (whole.IsEmpty()) {
        return malformed;
    }
    whole.Get()[0] = '\0';
    if (units > 0 && Utf16ToUtf8(line, units, whole.Get(), 3 * units + 1) == 0) {
        return malformed;
    }
    const char* given = ArgumentsOf(whole.Get());
    if (strlen(given) >= sizeof arguments) {
        return malformed;
    }
    memcpy(arguments, given, strlen(given) + 1);
    return ParseProgramCommand(arguments);
}

CommandOutcome HandToRunningCopy(const char* arguments) {
    HWND window = nullptr;
    for (int tries = 0; tries < kFindWindowTries; tries++) {
        if ((window = CTrayWindow::FindRunningCopy()) != nullptr) {
            break;
        }
        Sleep(kFindWindowPauseMs);
    }
    if (!window) {
        return kOutcomeNoAnswer;
    }
    COPYDATASTRUCT data = {kCommandDataTag, static_cast<DWORD>(strlen(arguments) + 1),
                           const_cast<char*>(arguments)};
    DWORD_PTR answer = 0;
    if (!SendMessageTimeoutA(window, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&data),
                             SMTO_ABORTIFHUNG, kAnswerBoundMs, &answer)) {
        return kOutcomeNoAnswer;
    }
    return OutcomeOfAnswer(answer);
}

// No copy runs: a save or a restore is done in this start, which holds the marker meanwhile and
// shows no icon; there is nothing to undo or to end.
CommandOutcome RunAlone(const ProgramCommand& command) {
    if (command.verb == kCommandUndo || command.verb == kCommandExit) {
        return kOutcomeNotRunning;
    }
    CHeapObject<CDesktopLayout> layout(new (std::nothrow) CDesktopLayout);
    if (layout.IsEmpty()) {
        return kOutcomeNotWritten;
    }
    layout.Get()->ChooseSettingsFile();
    layout.Get()->LoadSettings();
    ReadDisplayConfiguration(layout.Get()->displayKey);
    return RunProgramCommand(layout.Get(), command);
}

// The exit code of a start with a command line; nothing of it shows a box.
int RunCommandLine(const ProgramCommand& command, const char* arguments, bool copyRuns) {
    CommandOutcome outcome = kOutcomeMalformed;
    if (command.verb != kCommandMalformed) {
        outcome = copyRuns ? HandToRunningCopy(arguments) : RunAlone(command);
    }
    char line[kCommandTextChars];
    FormatOutcome(outcome, command, line);
    TellCaller(line, ExitCodeOf(outcome) != 0);
    return ExitCodeOf(outcome);
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
    char arguments[kCommandTextChars];
    const ProgramCommand command = ReadProgramCommand(arguments);
    if (command.verb == kCommandMalformed) {
        return RunCommandLine(command, arguments, false);
    }
    // Held while the program runs: the marker of the running copy. A copy started elevated in the
    // same logon owns a marker this user may not open, and that refusal means a copy runs too.
    CUniqueHandle mutex(CreateMutexA(nullptr, TRUE, kInstanceMutex));
    DWORD error = GetLastError();
    const bool copyRuns =
        error == ERROR_ALREADY_EXISTS || (mutex.IsEmpty() && error == ERROR_ACCESS_DENIED);
    if (command.verb != kNoCommand) {
        return RunCommandLine(command, arguments, copyRuns);
    }
    if (copyRuns) {
        ShowErrorBox("Already running!");
        return 0;
    }
    InitCommonControls();
    return RunTrayProgram(instance);
}
