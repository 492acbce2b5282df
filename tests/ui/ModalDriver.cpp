#include "tests/ui/ModalDriver.h"

#include <cstring>

namespace {

ModalDriver* active = nullptr;

BOOL CALLBACK FirstDialog(HWND hwnd, LPARAM found) {
    char name[16] = {};
    GetClassNameA(hwnd, name, sizeof(name));
    if (std::strcmp(name, "#32770") == 0 && IsWindowVisible(hwnd)) {
        *reinterpret_cast<HWND*>(found) = hwnd;
        return FALSE;
    }
    return TRUE;
}

} // namespace

ModalDriver::ModalDriver(std::function<void(HWND dialog)> action, UINT deadlineMs, int settleTicks)
    : act(std::move(action)), deadline(GetTickCount() + deadlineMs), settle(settleTicks) {
    active = this;
    timer = SetTimer(nullptr, 0, 50, Tick);
}

ModalDriver::~ModalDriver() {
    KillTimer(nullptr, timer);
    active = nullptr;
}

HWND ModalDriver::FindDialog() {
    HWND found = nullptr;
    EnumThreadWindows(GetCurrentThreadId(), FirstDialog, reinterpret_cast<LPARAM>(&found));
    return found;
}

void CALLBACK ModalDriver::Tick(HWND, UINT, UINT_PTR, DWORD) {
    if (active != nullptr) {
        active->OnTick();
    }
}

void ModalDriver::OnTick() {
    const HWND dialog = FindDialog();
    if (!done && dialog != nullptr && act && settle-- <= 0) {
        done = true;
        act(dialog);
        return;
    }
    if (static_cast<LONG>(GetTickCount() - deadline) >= 0) {
        expired = true;
        if (dialog != nullptr) {
            EndDialog(dialog, -2);
        }
        EndMenu();
    }
}
