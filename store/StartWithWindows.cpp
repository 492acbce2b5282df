// The Run-key value "Quillmarsh" that starts the program at logon, mirrored in startWithWindows.
// Other copies of the program use the same value; one that names another copy is that copy's, and
// only the user's own choice in the menu takes it over.
#include "base/ErrorBox.h"
#include "desktop/DesktopLayout.h"
#include "store/ReplaceableFile.h"
#include "store/RunKey.h"
#include "store/StartupApproved.h"

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

// One hive's Run value, Windows' mark for the value of that name, and whose program the value
// names. A mark can outlast its Run value, as when the value was deleted by hand.
struct Hive {
    CRunKey run;
    CStartupApproved approved;
    RunValueOwner owner;
    bool disabled;

    Hive(HKEY root, const ThisProgram& self)
        : run(root), approved(root), owner(run.Owner(self)), disabled(approved.Disabled()) {}

    bool StartsThisCopy() const { return owner == kRunValueThisCopy && !disabled; }
    // A value that would start this copy had Windows not disabled it: the choice is the user's, in
    // Task Manager, and the entry must stay there for the user to find.
    bool DisabledOurs() const { return Ours(owner) && disabled; }
    // Clears Windows' mark. Deleting it leaves the state Windows gives every new Run value, which
    // reads as enabled whatever the format of the mark.
    bool Approve() const { return !disabled || approved.RemoveValue(); }
    // The mark goes only with its Run value: one whose Run value stays keeps it disabled.
    bool RemoveValues() const {
        if (!run.RemoveValue()) {
            return false;
        }
        approved.RemoveValue();
        return true;
    }
};

ThisProgram ReadSelf() {
    ThisProgram self;
    ReadThisProgram(&self);
    return self;
}

// This program and both hives.
struct RunKeys {
    ThisProgram self;
    Hive machine;
    Hive user;

    RunKeys()
        : self(ReadSelf()), machine(HKEY_LOCAL_MACHINE, self), user(HKEY_CURRENT_USER, self) {}
};

} // namespace

// A value naming a program file that is gone is taken over, so the start follows a moved
// executable; never while another copy starts at logon, which would then start two, nor while
// Windows has disabled this program.
void CDesktopLayout::LoadStartWithWindows() {
    RunKeys keys;
    startWithWindows = keys.machine.StartsThisCopy() || keys.user.StartsThisCopy();
    if (startWithWindows || keys.machine.owner == kRunValueOtherCopy ||
        keys.user.owner == kRunValueOtherCopy || keys.machine.DisabledOurs() ||
        keys.user.DisabledOurs()) {
        return;
    }
    if (keys.machine.owner == kRunValueMissingFile) {
        WriteMachineValue(keys.machine.run, keys.self);
        startWithWindows = 1;
    } else if (keys.user.owner == kRunValueMissingFile) {
        keys.user.run.WriteValue(keys.self);
        startWithWindows = 1;
    }
}

// Only a value that is missing is written; whatever stands, another copy's and one Windows has
// disabled included, stays.
int CDesktopLayout::ApplyStartWithWindows() {
    if (!startWithWindows) {
        return 1;
    }
    RunKeys keys;
    if (keys.machine.owner != kRunValueNone || keys.user.owner != kRunValueNone) {
        return 1;
    }
    if (WriteMachineValue(keys.machine.run, keys.self) || keys.user.run.WriteValue(keys.self)) {
        return 1;
    }
    startWithWindows = 0;
    return 0;
}

namespace {

// A value left standing that Windows has disabled starts nothing, so it keeps the option off.
bool StillStarts(const Hive& hive) {
    return Ours(hive.owner) && !hive.RemoveValues() && !hive.disabled;
}

} // namespace

void CDesktopLayout::ChooseStartWithWindows(int on) {
    RunKeys keys;
    if (!on) {
        bool machineStarts = StillStarts(keys.machine);
        bool userStarts = StillStarts(keys.user);
        startWithWindows = machineStarts || userStarts ? 1 : 0;
        if (startWithWindows) {
            ShowErrorBox(kCannotRemove);
        }
        return;
    }
    startWithWindows = 1;
    // This copy's value stays where it stands; only Windows' mark on it goes.
    if (keys.machine.owner == kRunValueThisCopy && keys.machine.Approve()) {
        return;
    }
    if (keys.user.owner == kRunValueThisCopy && keys.user.disabled && keys.user.Approve()) {
        return;
    }
    // One value, so that the program starts once.
    bool machineWritten =
        keys.machine.owner != kRunValueThisCopy && WriteMachineValue(keys.machine.run, keys.self);
    if (machineWritten && keys.machine.Approve()) {
        keys.user.RemoveValues();
        return;
    }
    if (!machineWritten && keys.machine.owner == kRunValueOtherCopy) {
        startWithWindows = 0;
        ShowErrorBox(kOtherCopyStarts);
        return;
    }
    if ((keys.user.owner == kRunValueThisCopy || keys.user.run.WriteValue(keys.self)) &&
        keys.user.Approve()) {
        return;
    }
    // A value that names no program file still stands for this copy where it cannot be changed.
    startWithWindows = keys.machine.owner == kRunValueMissingFile && !keys.machine.disabled ? 1 : 0;
}
