// What the program does when the displays change: it waits for them to stand still, restores the
// newest arrangement of the new displays when the user asked for that, waits for a desktop the
// shell has filled before such a restore, and holds automatic snapshots back meanwhile. It makes
// no call of its own: the time and the displays come in as arguments, and everything it does goes
// out through its host, so every case runs without a window.
#pragma once

#include "desktop/DesktopReadiness.h"
#include "desktop/DisplayConfiguration.h"

// What the rules act on; the tray window turns each call into Win32 and the snapshot store.
class IDisplayRulesHost {
  public:
    virtual bool RestoresOnDisplayChange() = 0;
    virtual bool RestoresAtStartup() = 0;
    // The displays of the newest snapshot: empty when there is none or it records none.
    virtual const char* NewestSnapshotDisplays() = 0;
    // The newest arrangement of these displays put back: -1 when the desktop cannot take it now.
    // atLast: the wait is over, and a route that may not last is better than none.
    virtual int RestoreNewestUnder(const char* displays, bool atLast) = 0;
    // The icons the desktop holds, or -1 when it cannot be read whole.
    virtual int ReadIconCount() = 0;
    // An automatic snapshot, asked for again through the rules' own check.
    virtual void TakeAutomaticSnapshot() = 0;
    // Displays that moved may have moved the shell's points against the list view's.
    virtual void ForgetShellCoordinates() = 0;
    // The steady period: started anew by every call, until stopped.
    virtual void StartSettleTimer() = 0;
    virtual void StopSettleTimer() = 0;

  protected:
    ~IDisplayRulesHost() = default;
};

class CDisplayRules {
  public:
    explicit CDisplayRules(IDisplayRulesHost* host);

    // At start, the displays the program starts under. With the option on, displays other than
    // those of the newest snapshot count as a change since the last run; snapshots that record no
    // displays count as none. Restoring at start-up, the newest snapshot of these displays is
    // restored once the desktop is ready, whatever displays the newest snapshot records. Either
    // way one restore runs, and the start's own snapshot waits for it.
    void Start(const char* displays, DWORD now);
    // A message says the displays may be changing.
    void OnDisplaysDisturbed(const char* displays);
    // A look outside any message (a capture, a poll).
    void LookAtDisplays(const char* displays);
    // The slow poll: a look, and a look at the desktop for a restore that waits for it.
    void OnPoll(const char* displays, DWORD now);
    // The end of a steady period.
    void OnSettleTimer(const char* displays, DWORD now);
    // True when an automatic snapshot asked for now must wait: it is then taken once the change
    // has settled or the restore it waited for has run.
    bool HoldAutomaticSnapshot();

  private:
    IDisplayRulesHost* host;
    CDisplayWatch displayWatch;
    // Waits, while a restore for the displays could not run, for a desktop the shell has filled.
    CDesktopReadiness restoreReadiness;
    // An automatic snapshot fell while a change was pending or a restore waited.
    bool snapshotHeld = false;
    // The desktop of the waiting restore stood ready but its restore still could not run.
    bool readyDesktopWaitedForShell = false;

    void RestoreForDisplays(const char* displays, DWORD now);
    void LookForReadyDesktop(const char* displays, DWORD now);
    void TakeHeldSnapshot();
};
