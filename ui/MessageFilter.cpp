#include "ui/MessageFilter.h"

namespace {

typedef BOOL(WINAPI* ChangeWindowMessageFilterExFn)(HWND, UINT, DWORD, void*);

// MSGFLT_ALLOW, which the headers declare only for Windows 7 and later.
const DWORD kAllowMessage = 1;

ChangeWindowMessageFilterExFn FindChangeFilter() {
    HMODULE user32 = GetModuleHandleA("user32.dll");
    if (!user32) {
        return nullptr;
    }
    // The detour through a plain function type is the conversion the compiler accepts between
    // unrelated function types.
    return reinterpret_cast<ChangeWindowMessageFilterExFn>(
        reinterpret_cast<void (*)()>(GetProcAddress(user32, "ChangeWindowMessageFilterEx")));
}

} // namespace

void AllowFromLowerIntegrity(HWND window, UINT message) {
    static const ChangeWindowMessageFilterExFn changeFilter = FindChangeFilter();
    if (changeFilter && window && message) {
        changeFilter(window, message, kAllowMessage, nullptr);
    }
}
