// Message boxes of the host simulation: recorded for the tests instead of shown.
#include "platform/host/HostTesting.h"
#include "platform/host/HostWin32.h"

#include <functional>
#include <string>
#include <utility>
#include <vector>

namespace {

std::vector<hostsim::MessageBoxRecord>& Boxes() {
    static std::vector<hostsim::MessageBoxRecord> boxes;
    return boxes;
}

std::function<void()>& Loop() {
    static std::function<void()> loop;
    return loop;
}

} // namespace

int WINAPI MessageBoxA(HWND hWnd, LPCSTR lpText, LPCSTR lpCaption, UINT uType) {
    Boxes().push_back({hWnd, lpText ? lpText : "", lpCaption ? lpCaption : "", uType});
    if (Loop()) {
        Loop()();
    }
    return IDOK;
}

namespace hostsim {

std::vector<MessageBoxRecord> MessageBoxes() {
    return Boxes();
}

void ClearMessageBoxes() {
    Boxes().clear();
    Loop() = nullptr;
}

void SetMessageBoxLoop(std::function<void()> whileOpen) {
    Loop() = std::move(whileOpen);
}

} // namespace hostsim
