#include "desktop/DisplayRules.h"

#include <cstring>

CDisplayRules::CDisplayRules(IDisplayRulesHost* rulesHost) : host(rulesHost) {}

// At logon the shell may still be filling the desktop, so the restore waits until it is ready,
// and the start-up snapshot with it.
void CDisplayRules::Start(const char* displays, DWORD now) {
    displayWatch.Start(displays);
    const char* newest = host->NewestSnapshotDisplays();
    const bool otherDisplays =
        host->RestoresOnDisplayChange() && newest[0] != '\0' && strcmp(newest, displays) != 0;
    if (displays[0] == '\0' || (!otherDisplays && !host->RestoresAtStartup())) {
        return;
    }
    restoreReadiness.Begin(now);
    LookForReadyDesktop(displays, now);
}

void CDisplayRules::OnDisplaysDisturbed(const char* displays) {
    displayWatch.Disturbed(displays);
    host->StartSettleTimer();
}

void CDisplayRules::LookAtDisplays(const char* displays) {
    if (displayWatch.Look(displays)) {
        host->StartSettleTimer();
    }
}

void CDisplayRules::OnPoll(const char* displays, DWORD now) {
    LookAtDisplays(displays);
    LookForReadyDesktop(displays, now);
}

// The timer stops before anything runs: a restore may show a box whose loop dispatches ticks.
void CDisplayRules::OnSettleTimer(const char* displays, DWORD now) {
    CDisplayWatch::Settled settled = displayWatch.Settle(displays);
    if (settled == CDisplayWatch::kStillMoving) {
        return;
    }
    host->StopSettleTimer();
    if (settled != CDisplayWatch::kNothing) {
        host->ForgetShellCoordinates();
    }
    if (settled == CDisplayWatch::kChanged && host->RestoresOnDisplayChange()) {
        RestoreForDisplays(displays, now);
    }
    TakeHeldSnapshot();
}

// The shell's rearranged icons must not become the newest arrangement of the new displays before
// theirs is restored.
bool CDisplayRules::HoldAutomaticSnapshot() {
    if ((host->RestoresOnDisplayChange() && displayWatch.Pending()) || restoreReadiness.Waiting()) {
        snapshotHeld = true;
        return true;
    }
    return false;
}

// A desktop that cannot be read (the shell restarting after the change, or still filling it at
// logon) keeps the restore waiting for it instead of dropping it.
void CDisplayRules::RestoreForDisplays(const char* displays, DWORD now) {
    if (host->RestoreNewestUnder(displays, false) < 0) {
        restoreReadiness.Begin(now);
    }
}

// At each poll while a restore waits: it runs once the desktop is ready, and the snapshots held
// meanwhile are taken once it has run or the wait is given up.
void CDisplayRules::LookForReadyDesktop(const char* displays, DWORD now) {
    if (!restoreReadiness.Waiting()) {
        return;
    }
    CDesktopReadiness::State state = restoreReadiness.Look(host->ReadIconCount(), now);
    if (state == CDesktopReadiness::kWaiting) {
        return;
    }
    if (state == CDesktopReadiness::kReady && host->RestoreNewestUnder(displays, false) < 0) {
        restoreReadiness.Distrust();
        readyDesktopWaitedForShell = true;
        return;
    }
    // A desktop that stood ready while the shell never became ready to keep positions: the list
    // view's restore may not last, but it is the restore the user turned on.
    if (state == CDesktopReadiness::kGaveUp && readyDesktopWaitedForShell) {
        host->RestoreNewestUnder(displays, true);
    }
    readyDesktopWaitedForShell = false;
    restoreReadiness.End();
    TakeHeldSnapshot();
}

void CDisplayRules::TakeHeldSnapshot() {
    if (snapshotHeld) {
        snapshotHeld = false;
        host->TakeAutomaticSnapshot();
    }
}
