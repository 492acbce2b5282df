// A hook library of the program tests: installed as a global CBT hook, it is loaded by the system
// into every process of the session and refuses the creation of any window of the tray window's
// class, as the system refuses a window it cannot make. Every other window is left alone.
#include <windows.h>

#include <cstring>

extern "C" __declspec(dllexport) LRESULT CALLBACK
    RefuseTrayWindow(int code, WPARAM wParam, LPARAM lParam) {
    if (code == HCBT_CREATEWND) {
        char name[64] = "";
        GetClassNameA(reinterpret_cast<HWND>(wParam), name, sizeof name);
        if (strcmp(name, "QuillmarshClass32") == 0) {
            return 1;
        }
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}
