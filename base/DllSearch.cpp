#include "base/DllSearch.h"

#include "platform/win32.h"

namespace {

typedef BOOL(WINAPI* SetDefaultDllDirectoriesFn)(DWORD);

} // namespace

// Looked up at run time: a program that imported it would not start where the system lacks it.
bool LimitDllSearchToSystemFolder() {
    HMODULE kernel = GetModuleHandleA("kernel32.dll");
    if (!kernel) {
        return false;
    }
    // The detour through a plain function type is the conversion the compiler accepts between
    // unrelated function types.
    SetDefaultDllDirectoriesFn setDefaultDllDirectories =
        reinterpret_cast<SetDefaultDllDirectoriesFn>(
            reinterpret_cast<void (*)()>(GetProcAddress(kernel, "SetDefaultDllDirectories")));
    return setDefaultDllDirectories && setDefaultDllDirectories(LOAD_LIBRARY_SEARCH_SYSTEM32);
}
