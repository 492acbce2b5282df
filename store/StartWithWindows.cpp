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

// This program, both Run keys, and whose program each key's value names.
struct RunKeys {
    ThisProgram self;
    CRunKey machine{HKEY_LOCAL_MACHINE};
    CRunKey user{HKEY_CURRENT_USER};
    RunValueOwner machineOwner;
    RunValueOwner userOwner;

    RunKeys() {
        ReadThisProgram(&self);
        machineOwner = machine.Owner(self);
        userOwner = user.Owner(self);
    }
};

} // namespace

// A value naming a program file that is gone is taken over, so the start follows a moved
// executable; never while another copy starts at logon, which would then start two.
void CDesktopLayout::LoadStartWithWindows() {
    RunKeys keys;
    startWithWindows =
        keys.machineOwner == kRunValueThisCopy || keys.userOwner == kRunValueThisCopy;
    if (startWithWindows || keys.machineOwner == kRunValueOtherCopy ||
        keys.userOwner == kRunValueOtherCopy) {
        return;
    }
    if (keys.machineOwner == kRunValueMissingFile) {
        WriteMachineValue(keys.machine, keys.self);
        startWithWindows = 1;
    } else if (keys.userOwner == kRunValueMissingFile) {
        keys.user.WriteValue(keys.self);
        startWithWindows = 1;
    }
}

// Only a value that is missing is written; whatever stands, another copy's included, stays.
int CDesktopLayout::ApplyStartWithWindows() {
    if (!startWithWindows) {
        return 1;
    }
    RunKeys keys;
    if (keys.machineOwner != kRunValueNone || keys.userOwner != kRunValueNone) {
        return 1;
    }
    if (WriteMachineValue(keys.machine, keys.self) || keys.user.WriteValue(keys.self)) {
        return 1;
    }
    startWithWindows = 0;
    return 0;
}

void CDesktopLayout::ChooseStartWithWindows(int on) {
    RunKeys keys;
    if (!on) {
        bool machineGone = !Ours(keys.machineOwner) || keys.machine.RemoveValue();
        bool userGone = !Ours(keys.userOwner) || keys.user.RemoveValue();
        startWithWindows = machineGone && userGone ? 0 : 1;
        if (startWithWindows) {
            ShowErrorBox(kCannotRemove);
        }
        return;
    }
    startWithWindows = 1;
    if (keys.machineOwner == kRunValueThisCopy) {
        return;
    }
    // One value, so that the program starts once.
    if (WriteMachineValue(keys.machine, keys.self)) {
        keys.user.RemoveValue();
        return;
    }
    if (keys.machineOwner == kRunValueOtherCopy) {
        startWithWindows = 0;
        ShowErrorBox(kOtherCopyStarts);
        return;
    }
    if (keys.userOwner == kRunValueThisCopy || keys.user.WriteValue(keys.self)) {
        return;
    }
    // A value that names no program file still stands for this copy where it cannot be changed.
    startWithWindows = keys.machineOwner == kRunValueMissingFile ? 1 : 0;
}
