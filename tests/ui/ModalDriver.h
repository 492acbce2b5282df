// Ends modal loops from inside them. A thread timer fires in any message loop of the test's thread,
// the dialog manager's and the menu's included: when a dialog of this thread shows, the action runs
// once; at the deadline any dialog still open is ended with -2 and any menu is closed, so no test
// can hang on a modal box.
#pragma once

#include "platform/win32.h"

#include <functional>

class ModalDriver {
  public:
    // action receives the first visible window of windowClass (a dialog, or "#32768" for a
    // menu) of the thread, once it has been visible for settleTicks ticks of 50 ms; it may be
    // empty.
    ModalDriver(std::function<void(HWND window)> action, UINT deadlineMs = 15000,
                int settleTicks = 4, const char* windowClass = "#32770");
    ~ModalDriver();
    ModalDriver(const ModalDriver&) = delete;
    ModalDriver& operator=(const ModalDriver&) = delete;

    bool acted() const { return done; }
    bool timedOut() const { return expired; }

    // First visible window of the class that belongs to the calling thread, or null.
    static HWND FindDialog(const char* windowClass = "#32770");

  private:
    static void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD);
    void OnTick();

    std::function<void(HWND)> act;
    DWORD deadline;
    int settle;
    const char* target;
    UINT_PTR timer = 0;
    bool done = false;
    bool expired = false;
};
