// Message boxes of the host stand-in: recorded for the tests instead of shown.
#include "platform/host/HostTesting.h"
#include "platform/host/HostWin32.h"

#include <string>
#include <vector>

namespace {

std::vector<hostsim::MessageBoxRecord>& Boxes() {
    static std::vector<hostsim::MessageBoxRecord> boxes;
    return boxes;
}

} // namespace

int WINAPI MessageBoxA(HWND hWnd, LPCSTR lpText, LPCSTR lpCaption, UINT uType) {
    Boxes().push_back({hWnd, lpText ? lpText : "", lpCaption ? lpCaption : "", uType});
    return IDOK;
}

namespace hostsim {

std::vector<MessageBoxRecord> MessageBoxes() {
    return Boxes();
}

void ClearMessageBoxes() {
    Boxes().clear();
}

} // namespace hostsim
