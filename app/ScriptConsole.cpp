#include "app/ScriptConsole.h"

#include "base/TextEncoding.h"
#include "base/UniqueOwner.h"
#include "platform/win32.h"
#include "ui/ProgramCommand.h"

#include <cstring>

namespace {

bool IsHandle(HANDLE handle) {
    return handle && handle != INVALID_HANDLE_VALUE;
}

// A console takes UTF-16 whatever its code page; a file or a pipe takes the UTF-8 as it is.
void WriteLine(HANDLE output, const char* line) {
    DWORD mode = 0;
    if (GetConsoleMode(output, &mode)) {
        WCHAR wide[kCommandTextChars + 2];
        size_t units = Utf8ToUtf16(line, strlen(line), wide, kCommandTextChars);
        wide[units++] = L'\r';
        wide[units++] = L'\n';
        DWORD written = 0;
        WriteConsoleW(output, wide, static_cast<DWORD>(units), &written, nullptr);
        return;
    }
    DWORD written = 0;
    WriteFile(output, line, static_cast<DWORD>(strlen(line)), &written, nullptr);
    WriteFile(output, "\r\n", 2, &written, nullptr);
}

} // namespace

// A program built for the windows subsystem gets no console of its own, and one started from a
// console shares it only when it asks.
void TellCaller(const char* line, bool failed) {
    HANDLE given = GetStdHandle(failed ? STD_ERROR_HANDLE : STD_OUTPUT_HANDLE);
    if (IsHandle(given)) {
        WriteLine(given, line);
        return;
    }
    if (!AttachConsole(ATTACH_PARENT_PROCESS)) {
        return;
    }
    CUniqueFileHandle console(CreateFileW(L"CONOUT$", GENERIC_READ | GENERIC_WRITE,
                                          FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                          OPEN_EXISTING, 0, nullptr));
    if (!console.IsEmpty()) {
        WriteLine(console.Get(), line);
    }
    FreeConsole();
}
