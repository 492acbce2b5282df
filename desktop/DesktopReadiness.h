// When the desktop can be taken as ready for a restore that nobody asked for. At logon the list
// view is there before the shell has filled it: a read can fail, find no icon, or find some of
// them while more arrive.
#pragma once

#include "platform/win32.h"

enum {
    // Waiting ends after this long even if the desktop never got ready.
    kDesktopReadyWaitMs = 120000,
};

class CDesktopReadiness {
  public:
    enum State {
        // Nothing is waited for.
        kIdle,
        kWaiting,
        // Read whole, not empty, and the same number of icons at two looks in a row.
        kReady,
        // kDesktopReadyWaitMs passed without that; the wait is over.
        kGaveUp,
    };

    CDesktopReadiness();

    // Starts a wait at now (milliseconds of GetTickCount); a wait already running goes on.
    void Begin(DWORD now);
    // One look at the desktop: iconCount is the number of icons read, or -1 when it could not be
    // read whole. kReady and kGaveUp leave the wait running until End.
    State Look(int iconCount, DWORD now);
    // What looked ready was not: the next two looks must agree again.
    void Distrust() { lastCount = -1; }
    void End();

    bool Waiting() const { return waiting; }

  private:
    bool waiting;
    DWORD since;
    int lastCount;
};
