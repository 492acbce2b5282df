// The Run-key value "Quillmarsh" that starts the program at logon, mirrored in startWithWindows.
// Other copies of the program use the same value; one that names another copy is that copy's, and
// only the user's own choice in the menu takes it over.
#include "base/ErrorBox.h"
#include "desktop/DesktopLayout.h"
#include "store/ReplaceableFile.h"
#include "store/RunKey.h"

namespace {

const char kOtherCopyStarts[] = "Another copy starts with Windows for all users!";
const char kCannotRemove[] = "Could not remove Start With Windows for all users!";

// A value that starts this copy at logon, or no program at all.
bool Ours(RunValueOwner owner) {
    return owner == kRunValueThisCopy || owner == kRunValueMissingFile;
}

// Every user's logon starts what the machine-wide value names, so it never names a file that
// someone else could replace; the user's own value serves instead.
bool WriteMachineValue(const CRunKey& machine, const ThisProgram& self) {
    return machine.Writable() && OnlyTrustedCanReplace(self.longPath) && machine.WriteValue(self);
}

} // namespace

// A value naming a program file that is gone is taken over, so the start follows a moved
// executable; never while another copy starts at logon, which would then start two.
void CDesktopLayout::LoadStartWithWindows() {
    ThisProgram self;
    ReadThisProgram(&self);
    CRunKey machine(HKEY_LOCAL_MACHINE);
    CRunKey user(HKEY_CURRENT_USER);
    RunValueOwner machineOwner = machine.Owner(self);
    RunValueOwner userOwner = user.Owner(self);
    startWithWindows = machineOwner == kRunValueThisCopy || userOwner == kRunValueThisCopy;
    if (startWithWindows || machineOwner == kRunValueOtherCopy || userOwner == kRunValueOtherCopy) {
        return;
    }
    if (machineOwner == kRunValueMissingFile) {
        WriteMachineValue(machine, self);
        startWithWindows = 1;
    } else if (userOwner == kRunValueMissingFile) {
        user.WriteValue(self);
        startWithWindows = 1;
    }
}

// Only a value that is missing is written; whatever stands, another copy's included, stays.
int CDesktopLayout::ApplyStartWithWindows() {
    if (!startWithWindows) {
        return 1;
    }
    ThisProgram self;
    ReadThisProgram(&self);
    CRunKey machine(HKEY_LOCAL_MACHINE);
    CRunKey user(HKEY_CURRENT_USER);
    if (machine.Owner(self) != kRunValueNone || user.Owner(self) != kRunValueNone) {
        return 1;
    }
    if (WriteMachineValue(machine, self) || user.WriteValue(self)) {
        return 1;
    }
    startWithWindows = 0;
    return 0;
}

void CDesktopLayout::ChooseStartWithWindows(int on) {
    ThisProgram self;
    ReadThisProgram(&self);
    CRunKey machine(HKEY_LOCAL_MACHINE);
    CRunKey user(HKEY_CURRENT_USER);
    RunValueOwner machineOwner = machine.Owner(self);
    RunValueOwner userOwner = user.Owner(self);
    if (!on) {
        bool machineGone = !Ours(machineOwner) || machine.RemoveValue();
        bool userGone = !Ours(userOwner) || user.RemoveValue();
        startWithWindows = machineGone && userGone ? 0 : 1;
        if (startWithWindows) {
            ShowErrorBox(kCannotRemove);
        }
        return;
    }
    startWithWindows = 1;
    if (machineOwner == kRunValueThisCopy) {
        return;
    }
    // One value, so that the program starts once.
    if (WriteMachineValue(machine, self)) {
        user.RemoveValue();
        return;
    }
    if (machineOwner == kRunValueOtherCopy) {
        startWithWindows = 0;
        ShowErrorBox(kOtherCopyStarts);
        return;
    }
    if (userOwner == kRunValueThisCopy || user.WriteValue(self)) {
        return;
    }
    // A value that names no program file still stands for this copy where it cannot be changed.
    startWithWindows = machineOwner == kRunValueMissingFile ? 1 : 0;
}
