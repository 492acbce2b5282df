#include "tests/ui/ModalDriver.h"

#include <cstring>

namespace {

ModalDriver* active = nullptr;

struct Search {
    const char* windowClass;
    HWND found;
};

BOOL CALLBACK FirstOfClass(HWND hwnd, LPARAM param) {
    auto* search = reinterpret_cast<Search*>(param);
    char name[16] = {};
    GetClassNameA(hwnd, name, sizeof(name));
    if (std::strcmp(name, search->windowClass) == 0 && IsWindowVisible(hwnd)) {
        search->found = hwnd;
        return FALSE;
    }
    return TRUE;
}

} // namespace

ModalDriver::ModalDriver(std::function<void(HWND window)> action, UINT deadlineMs, int settleTicks,
                         const char* windowClass)
    : act(std::move(action)), deadline(GetTickCount() + deadlineMs), settle(settleTicks),
      target(windowClass) {
    active = this;
    timer = SetTimer(nullptr, 0, 50, Tick);
}

ModalDriver::~ModalDriver() {
    KillTimer(nullptr, timer);
    active = nullptr;
}

HWND ModalDriver::FindDialog(const char* windowClass) {
    Search search = {windowClass, nullptr};
    EnumThreadWindows(GetCurrentThreadId(), FirstOfClass, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

void CALLBACK ModalDriver::Tick(HWND, UINT, UINT_PTR, DWORD) {
    if (active != nullptr) {
        active->OnTick();
    }
}

void ModalDriver::OnTick() {
    const HWND window = FindDialog(target);
    if (!done && window != nullptr && act && settle-- <= 0) {
        done = true;
        act(window);
        return;
    }
    if (static_cast<LONG>(GetTickCount() - deadline) >= 0) {
        expired = true;
        const HWND dialog = FindDialog();
        if (dialog != nullptr) {
            EndDialog(dialog, -2);
        }
        EndMenu();
    }
}
