#include "base/ErrorBox.h"

#include "platform/win32.h"

namespace {

// One thread shows every box, so a plain flag is enough.
bool boxOpen = false;

} // namespace

int ShowErrorBox(const char* text) {
    if (boxOpen) {
        return 0;
    }
    boxOpen = true;
    MessageBoxA(nullptr, text, "Error", MB_OK | MB_ICONERROR);
    boxOpen = false;
    return 1;
}
