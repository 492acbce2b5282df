// The Run-key value against the host registry: machine-wide first, the user's own key when the
// machine-wide one cannot be written or would start a file others could replace, and never both.
// A value naming another copy that exists is that copy's.
#include "desktop/DesktopLayout.h"
#include "platform/host/HostTesting.h"
#include "unit/IniTestSupport.h"
#include "unit/AccessListSupport.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using namespace acltest;

const char kRun[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run";
const char kExe[] = "C:\\Program Files\\Quill Marsh\\quillmarsh.exe";
const char kOtherCopy[] = "D:\\Portable\\Quill Marsh\\quillmarsh.exe";
const char kOtherBox[] = "Another copy starts with Windows for all users!";
const char kRemoveBox[] = "Could not remove Start With Windows for all users!";

// The file and every folder above it as an installer leaves Program Files: only the system's own
// principals may change them, users may read and run.
void InstalledUnderTrustedFolders(const std::string& path) {
    const std::vector<hostsim::AccessEntry> entries = {
        {kTrustedInstaller, ACCESS_ALLOWED_ACE_TYPE, 0, kFull},
        {kSystem, ACCESS_ALLOWED_ACE_TYPE, 0, kFull},
        {kAdministrators, ACCESS_ALLOWED_ACE_TYPE, 0, kFull},
        {kUsers, ACCESS_ALLOWED_ACE_TYPE, 0, kReadExecute},
        {"S-1-3-0", ACCESS_ALLOWED_ACE_TYPE, kInheritOnly, GENERIC_ALL},
    };
    for (size_t end = path.size(); end != std::string::npos; end = path.rfind('\\', end - 1)) {
        hostsim::SetFileSecurity(end == 2 ? path.substr(0, 3) : path.substr(0, end),
                                 kTrustedInstaller, entries);
        if (end <= 2) {
            break;
        }
    }
}

std::vector<uint8_t> Text(const std::string& text) {
    return std::vector<uint8_t>(text.c_str(), text.c_str() + text.size() + 1);
}

class StartWithWindows : public ::testing::Test {
  protected:
    void SetUp() override {
        hostsim::ResetDesktop({});
        hostsim::SetModuleFileName(kExe);
        hostsim::ResetFiles();
        hostsim::AddFile(kOtherCopy);
        InstalledUnderTrustedFolders(kExe);
        hostsim::ClearMessageBoxes();
        EmptyRunKeys();
    }
    void TearDown() override { EXPECT_EQ(hostsim::OpenRegistryKeys(), 0); }

    // The value's data as text, or "<none>".
    static std::string ValueIn(HKEY root, DWORD* type = nullptr) {
        DWORD valueType = 0;
        std::vector<uint8_t> data;
        if (!hostsim::GetRegistryValue(root, kRun, "Quillmarsh", &valueType, &data)) {
            return "<none>";
        }
        if (type) {
            *type = valueType;
        }
        return std::string(data.begin(), data.end());
    }

    // Both Run keys, empty, and no rule on either.
    static void EmptyRunKeys() {
        hostsim::ResetRegistry();
        hostsim::CreateRegistryKey(HKEY_LOCAL_MACHINE, kRun);
        hostsim::CreateRegistryKey(HKEY_CURRENT_USER, kRun);
    }

    CDesktopLayout layout;
};

TEST_F(StartWithWindows, NoValueLeavesTheOptionOffAndWritesNothing) {
    layout.LoadStartWithWindows();
    EXPECT_EQ(layout.startWithWindows, 0);
    EXPECT_EQ(ValueIn(HKEY_LOCAL_MACHINE), "<none>");
    EXPECT_EQ(ValueIn(HKEY_CURRENT_USER), "<none>");
}

TEST_F(StartWithWindows, AnyValueCountsAndIsRewrittenAsTheQuotedPath) {
    hostsim::SetRegistryValue(HKEY_LOCAL_MACHINE, kRun, "QUILLMARSH", REG_DWORD, {1, 0, 0, 0});
    layout.LoadStartWithWindows();
    EXPECT_EQ(layout.startWithWindows, 1);
    DWORD type = 0;
    // The data length covers the terminating zero.
    EXPECT_EQ(ValueIn(HKEY_LOCAL_MACHINE, &type), std::string("\"") + kExe + "\"" + '\0');
    EXPECT_EQ(type, static_cast<DWORD>(REG_SZ));
}

TEST_F(StartWithWindows, ValueFollowsAMovedExecutable) {
    hostsim::SetRegistryValue(HKEY_LOCAL_MACHINE, kRun, "Quillmarsh", REG_SZ,
                              Text("C:\\Old Place\\quillmarsh.exe"));
    hostsim::SetModuleFileName("D:\\New Place\\qm.exe");
    InstalledUnderTrustedFolders("D:\\New Place\\qm.exe");
    layout.LoadStartWithWindows();
    EXPECT_EQ(ValueIn(HKEY_LOCAL_MACHINE), std::string("\"D:\\New Place\\qm.exe\"") + '\0');
}

TEST_F(StartWithWindows, TurningOnAndOffWritesAndDeletesTheMachineValue) {
    layout.ChooseStartWithWindows(1);
    EXPECT_EQ(layout.startWithWindows, 1);
    EXPECT_EQ(ValueIn(HKEY_LOCAL_MACHINE), std::string("\"") + kExe + "\"" + '\0');
    EXPECT_EQ(ValueIn(HKEY_CURRENT_USER), "<none>");

    layout.ChooseStartWithWindows(0);
    EXPECT_EQ(ValueIn(HKEY_LOCAL_MACHINE), "<none>");
    layout.ChooseStartWithWindows(0);
    EXPECT_EQ(layout.startWithWindows, 0);
    EXPECT_TRUE(hostsim::MessageBoxes().empty());
}

TEST_F(StartWithWindows, StandardUserKeepsTheOptionInTheirOwnKey) {
    hostsim::SetRegistryOpenRefused(HKEY_LOCAL_MACHINE, true);
    layout.startWithWindows = 1;
    layout.ApplyStartWithWindows();
    EXPECT_EQ(layout.startWithWindows, 1);
    EXPECT_EQ(ValueIn(HKEY_CURRENT_USER), std::string("\"") + kExe + "\"" + '\0');

    CDesktopLayout nextRun;
    nextRun.LoadStartWithWindows();
    EXPECT_EQ(nextRun.startWithWindows, 1);

    nextRun.ChooseStartWithWindows(0);
    EXPECT_EQ(ValueIn(HKEY_CURRENT_USER), "<none>");
}

TEST_F(StartWithWindows, MachineValueReplacesAUserValueSoTheProgramStartsOnce) {
    hostsim::SetRegistryValue(HKEY_CURRENT_USER, kRun, "Quillmarsh", REG_SZ, Text(kExe));
    layout.ChooseStartWithWindows(1);
    EXPECT_NE(ValueIn(HKEY_LOCAL_MACHINE), "<none>");
    EXPECT_EQ(ValueIn(HKEY_CURRENT_USER), "<none>");
}

TEST_F(StartWithWindows, NoKeyThatOpensTurnsTheOptionOff) {
    hostsim::SetRegistryOpenRefused(HKEY_LOCAL_MACHINE, true);
    hostsim::SetRegistryOpenRefused(HKEY_CURRENT_USER, true);
    layout.startWithWindows = 1;
    layout.ApplyStartWithWindows();
    EXPECT_EQ(layout.startWithWindows, 0);
}

// The old value still starts the program at logon, so the option stays on.
TEST_F(StartWithWindows, RefusedWriteKeepsTheOldValueAndTheOptionOn) {
    hostsim::SetRegistryValue(HKEY_LOCAL_MACHINE, kRun, "Quillmarsh", REG_SZ, Text("old"));
    hostsim::SetRegistryWriteRefused(HKEY_LOCAL_MACHINE, true);
    layout.startWithWindows = 1;
    EXPECT_EQ(layout.ApplyStartWithWindows(), 1);
    EXPECT_EQ(layout.startWithWindows, 1);
    EXPECT_EQ(ValueIn(HKEY_LOCAL_MACHINE), std::string("old") + '\0');
    EXPECT_EQ(ValueIn(HKEY_CURRENT_USER), "<none>");
}

TEST_F(StartWithWindows, MachineValueWhoseDeleteFailsKeepsTheOptionOn) {
    hostsim::SetRegistryValue(HKEY_LOCAL_MACHINE, kRun, "Quillmarsh", REG_SZ, Text(kExe));
    hostsim::SetRegistryWriteRefused(HKEY_LOCAL_MACHINE, true);
    layout.ChooseStartWithWindows(0);
    EXPECT_EQ(layout.startWithWindows, 1);
    EXPECT_NE(ValueIn(HKEY_LOCAL_MACHINE), "<none>");
    ASSERT_EQ(hostsim::MessageBoxes().size(), 1u);
    EXPECT_EQ(hostsim::MessageBoxes()[0].text, kRemoveBox);
}

TEST_F(StartWithWindows, OffWithAKeyThatWillNotOpenLeavesTheValue) {
    hostsim::SetRegistryValue(HKEY_LOCAL_MACHINE, kRun, "Quillmarsh", REG_SZ, Text(kExe));
    hostsim::SetRegistryOpenRefused(HKEY_LOCAL_MACHINE, true);
    layout.ApplyStartWithWindows();
    hostsim::SetRegistryOpenRefused(HKEY_LOCAL_MACHINE, false);
    EXPECT_NE(ValueIn(HKEY_LOCAL_MACHINE), "<none>");
}

// ---- Other copies of the program -------------------------------------------------------------

// An expandable value names what the logon's environment makes of it, which this copy cannot see.
TEST_F(StartWithWindows, AnotherCopysValueIsLeftByTheStartAndEverySave) {
    struct Case {
        HKEY root;
        DWORD type;
        std::string data;
    };
    const Case cases[] = {
        {HKEY_LOCAL_MACHINE, REG_SZ, std::string("\"") + kOtherCopy + "\""},
        {HKEY_CURRENT_USER, REG_SZ, kOtherCopy},
        {HKEY_LOCAL_MACHINE, REG_EXPAND_SZ, "%ProgramFiles%\\Quill Marsh\\quillmarsh.exe"},
    };
    for (const Case& test : cases) {
        EmptyRunKeys();
        hostsim::SetRegistryValue(test.root, kRun, "Quillmarsh", test.type, Text(test.data));
        CDesktopLayout run;
        run.LoadStartWithWindows();
        EXPECT_EQ(run.startWithWindows, 0) << test.data;
        run.ApplyStartWithWindows();
        // As after the user chose it here while the other copy's value went on standing.
        run.startWithWindows = 1;
        run.ApplyStartWithWindows();
        EXPECT_EQ(ValueIn(test.root), test.data + '\0');
        HKEY otherRoot = test.root == HKEY_LOCAL_MACHINE ? HKEY_CURRENT_USER : HKEY_LOCAL_MACHINE;
        EXPECT_EQ(ValueIn(otherRoot), "<none>") << test.data;
    }
}

// A copy gone with its folder or its stick starts nothing; the start takes its value over, but
// not while another copy's value would start that one as well.
TEST_F(StartWithWindows, ValueNamingAMissingFileIsTakenOverOnlyWhenNoOtherCopyStarts) {
    hostsim::SetRegistryValue(HKEY_CURRENT_USER, kRun, "Quillmarsh", REG_SZ,
                              Text("\"E:\\quillmarsh.exe\""));
    layout.LoadStartWithWindows();
    EXPECT_EQ(layout.startWithWindows, 1);
    EXPECT_EQ(ValueIn(HKEY_CURRENT_USER), std::string("\"") + kExe + "\"" + '\0');

    EmptyRunKeys();
    hostsim::SetRegistryValue(HKEY_LOCAL_MACHINE, kRun, "Quillmarsh", REG_SZ, Text(kOtherCopy));
    hostsim::SetRegistryValue(HKEY_CURRENT_USER, kRun, "Quillmarsh", REG_SZ,
                              Text("E:\\quillmarsh.exe"));
    CDesktopLayout nextRun;
    nextRun.LoadStartWithWindows();
    EXPECT_EQ(nextRun.startWithWindows, 0);
    EXPECT_EQ(ValueIn(HKEY_CURRENT_USER), std::string("E:\\quillmarsh.exe") + '\0');
}

// Quoted as now, bare as older versions wrote it, in other case, in the short form, with an
// argument: each is this copy's own value, and stays as it is.
TEST_F(StartWithWindows, EveryFormOfThisCopysPathCounts) {
    hostsim::SetLongPathName("C:\\PROGRA~1\\QUILLM~1\\QUILLM~1.EXE", kExe);
    const char* forms[] = {
        "\"C:\\Program Files\\Quill Marsh\\quillmarsh.exe\"",
        "C:\\Program Files\\Quill Marsh\\quillmarsh.exe",
        "c:\\program files\\QUILL MARSH\\QuillMarsh.EXE",
        "C:\\PROGRA~1\\QUILLM~1\\QUILLM~1.EXE",
        "\"C:\\Program Files\\Quill Marsh\\quillmarsh.exe\" /background",
    };
    for (const char* form : forms) {
        EmptyRunKeys();
        hostsim::SetRegistryValue(HKEY_LOCAL_MACHINE, kRun, "Quillmarsh", REG_SZ, Text(form));
        CDesktopLayout run;
        run.LoadStartWithWindows();
        EXPECT_EQ(run.startWithWindows, 1) << form;
        run.ChooseStartWithWindows(1);
        EXPECT_EQ(ValueIn(HKEY_LOCAL_MACHINE), std::string(form) + '\0');
        EXPECT_EQ(ValueIn(HKEY_CURRENT_USER), "<none>") << form;
        run.ChooseStartWithWindows(0);
        EXPECT_EQ(ValueIn(HKEY_LOCAL_MACHINE), "<none>") << form;
    }
}

// A save never removes a value; turning the option off removes only this copy's.
TEST_F(StartWithWindows, OnlyTurningOffRemovesAValueAndOnlyThisCopys) {
    hostsim::SetRegistryValue(HKEY_LOCAL_MACHINE, kRun, "Quillmarsh", REG_SZ, Text(kOtherCopy));
    hostsim::SetRegistryValue(HKEY_CURRENT_USER, kRun, "Quillmarsh", REG_SZ, Text(kExe));
    layout.LoadStartWithWindows();
    ASSERT_EQ(layout.startWithWindows, 1);
    layout.startWithWindows = 0;
    EXPECT_EQ(layout.ApplyStartWithWindows(), 1);
    EXPECT_EQ(ValueIn(HKEY_CURRENT_USER), std::string(kExe) + '\0');
    layout.ChooseStartWithWindows(0);
    EXPECT_EQ(layout.startWithWindows, 0);
    EXPECT_EQ(ValueIn(HKEY_LOCAL_MACHINE), std::string(kOtherCopy) + '\0');
    EXPECT_EQ(ValueIn(HKEY_CURRENT_USER), "<none>");
    EXPECT_TRUE(hostsim::MessageBoxes().empty());
}

// Where the machine-wide value may not be written here, a value of the user's own would start a
// second copy at every logon; where it may, the user's choice takes it over.
TEST_F(StartWithWindows, TurningOnWhileAnotherCopyStartsForAllUsers) {
    const std::string other = std::string(kOtherCopy) + '\0';
    for (int readOnly = 1; readOnly >= 0; readOnly--) {
        EmptyRunKeys();
        hostsim::ClearMessageBoxes();
        hostsim::SetRegistryValue(HKEY_LOCAL_MACHINE, kRun, "Quillmarsh", REG_SZ, Text(kOtherCopy));
        hostsim::SetRegistryReadOnly(HKEY_LOCAL_MACHINE, readOnly != 0);
        layout.ChooseStartWithWindows(1);
        EXPECT_EQ(ValueIn(HKEY_CURRENT_USER), "<none>");
        if (readOnly) {
            EXPECT_EQ(layout.startWithWindows, 0);
            EXPECT_EQ(ValueIn(HKEY_LOCAL_MACHINE), other);
            ASSERT_EQ(hostsim::MessageBoxes().size(), 1u);
            EXPECT_EQ(hostsim::MessageBoxes()[0].text, kOtherBox);
            EXPECT_EQ(hostsim::MessageBoxes()[0].caption, "Error");
        } else {
            EXPECT_EQ(layout.startWithWindows, 1);
            EXPECT_EQ(ValueIn(HKEY_LOCAL_MACHINE), std::string("\"") + kExe + "\"" + '\0');
            EXPECT_TRUE(hostsim::MessageBoxes().empty());
        }
    }
}

// A folder made under C:\ inherits "Authenticated Users: Modify": any user could put another
// program in this one's place.
TEST_F(StartWithWindows, ProgramFileOthersCanReplaceGetsNoMachineValue) {
    const char exe[] = "C:\\Tools\\quillmarsh.exe";
    hostsim::SetModuleFileName(exe);
    InstalledUnderTrustedFolders(exe);
    hostsim::SetFileSecurity("C:\\Tools", kAdministrators,
                             {{kSystem, ACCESS_ALLOWED_ACE_TYPE, INHERITED_ACE, kFull},
                              {"S-1-5-11", ACCESS_ALLOWED_ACE_TYPE, INHERITED_ACE, 0x1301BF}});
    const std::string quoted = std::string("\"") + exe + "\"" + '\0';
    layout.ChooseStartWithWindows(1);
    EXPECT_EQ(layout.startWithWindows, 1);
    EXPECT_EQ(ValueIn(HKEY_LOCAL_MACHINE), "<none>");
    EXPECT_EQ(ValueIn(HKEY_CURRENT_USER), quoted);

    EmptyRunKeys();
    layout.ApplyStartWithWindows();
    EXPECT_EQ(ValueIn(HKEY_LOCAL_MACHINE), "<none>");
    EXPECT_EQ(ValueIn(HKEY_CURRENT_USER), quoted);

    hostsim::SetRegistryValue(HKEY_LOCAL_MACHINE, kRun, "Quillmarsh", REG_SZ, Text("C:\\gone.exe"));
    layout.LoadStartWithWindows();
    EXPECT_EQ(ValueIn(HKEY_LOCAL_MACHINE), std::string("C:\\gone.exe") + '\0');
}

// ---- Disabled by Windows: Task Manager's mark under StartupApproved\Run ------------------------

const char kApproved[] =
    "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Explorer\\StartupApproved\\Run";
// As Task Manager writes them: disabled with the moment it was, and enabled again.
const std::vector<uint8_t> kDisabled = {3, 0, 0, 0, 0xd4, 0x0d, 0x43, 0x8d, 0xc8, 0x3b, 0xd9, 1};
const std::vector<uint8_t> kEnabled = {2, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0};

void SetMark(HKEY root, const std::vector<uint8_t>& data, DWORD type = REG_BINARY) {
    hostsim::SetRegistryValue(root, kApproved, "Quillmarsh", type, data);
}

std::string MarkIn(HKEY root) {
    DWORD type = 0;
    std::vector<uint8_t> data;
    if (!hostsim::GetRegistryValue(root, kApproved, "Quillmarsh", &type, &data)) {
        return "<none>";
    }
    return std::to_string(type) + ":" + std::string(data.begin(), data.end());
}

std::string Binary(const std::vector<uint8_t>& data) {
    return std::to_string(REG_BINARY) + ":" + std::string(data.begin(), data.end());
}

HKEY OtherRoot(HKEY root) {
    return root == HKEY_LOCAL_MACHINE ? HKEY_CURRENT_USER : HKEY_LOCAL_MACHINE;
}

// The entry must stay in Task Manager for the user to enable it there: no start and no save may
// write, rewrite or remove either value, nor take over the other hive's value of a copy since
// moved, which would start the program after all.
TEST_F(StartWithWindows, DisabledByWindowsShowsOffAndTheStartAndSavesLeaveEveryValue) {
    const std::vector<uint8_t> olderMark = {0x63, 0x60, 0x60, 0x60, 0x62, 0xf9, 0x8c, 0x76};
    for (HKEY root : {HKEY_LOCAL_MACHINE, HKEY_CURRENT_USER}) {
        for (const std::vector<uint8_t>& mark : {kDisabled, olderMark}) {
            EmptyRunKeys();
            hostsim::SetRegistryValue(root, kRun, "Quillmarsh", REG_SZ, Text(kExe));
            hostsim::SetRegistryValue(OtherRoot(root), kRun, "Quillmarsh", REG_SZ,
                                      Text("E:\\quillmarsh.exe"));
            SetMark(root, mark);
            CDesktopLayout run;
            run.LoadStartWithWindows();
            EXPECT_EQ(run.startWithWindows, 0);
            run.ApplyStartWithWindows();
            // Disabled while this copy ran with the option on.
            run.startWithWindows = 1;
            EXPECT_EQ(run.ApplyStartWithWindows(), 1);
            EXPECT_EQ(ValueIn(root), std::string(kExe) + '\0');
            EXPECT_EQ(MarkIn(root), Binary(mark));
            EXPECT_EQ(ValueIn(OtherRoot(root)), std::string("E:\\quillmarsh.exe") + '\0');
        }
    }
}

// The key itself may be missing, as on systems whose Task Manager never wrote to it.
TEST_F(StartWithWindows, MarksWindowsReadsAsEnabledLeaveTheOptionOn) {
    struct Case {
        DWORD type;
        std::vector<uint8_t> data;
    };
    const Case cases[] = {{REG_BINARY, kEnabled}, {REG_BINARY, {}}, {REG_DWORD, {3, 0, 0, 0}}};
    for (const Case& mark : cases) {
        EmptyRunKeys();
        hostsim::SetRegistryValue(HKEY_CURRENT_USER, kRun, "Quillmarsh", REG_SZ, Text(kExe));
        SetMark(HKEY_CURRENT_USER, mark.data, mark.type);
        CDesktopLayout run;
        run.LoadStartWithWindows();
        EXPECT_EQ(run.startWithWindows, 1) << mark.data.size();
    }
    hostsim::ResetRegistry();
    hostsim::CreateRegistryKey(HKEY_CURRENT_USER, kRun);
    hostsim::SetRegistryValue(HKEY_CURRENT_USER, kRun, "Quillmarsh", REG_SZ, Text(kExe));
    layout.LoadStartWithWindows();
    EXPECT_EQ(layout.startWithWindows, 1);
}

// A mark can outlast a Run value deleted by hand; the value then written would start nothing.
TEST_F(StartWithWindows, ChoosingItClearsWindowsMarkAndKeepsTheRunValue) {
    for (HKEY root : {HKEY_LOCAL_MACHINE, HKEY_CURRENT_USER}) {
        EmptyRunKeys();
        hostsim::SetRegistryValue(root, kRun, "Quillmarsh", REG_SZ, Text(kExe));
        SetMark(root, kDisabled);
        layout.LoadStartWithWindows();
        layout.ChooseStartWithWindows(1);
        EXPECT_EQ(layout.startWithWindows, 1);
        EXPECT_EQ(ValueIn(root), std::string(kExe) + '\0');
        EXPECT_EQ(MarkIn(root), "<none>");
        EXPECT_EQ(ValueIn(OtherRoot(root)), "<none>");
        CDesktopLayout nextRun;
        nextRun.LoadStartWithWindows();
        EXPECT_EQ(nextRun.startWithWindows, 1);
    }
    EmptyRunKeys();
    SetMark(HKEY_LOCAL_MACHINE, kDisabled);
    layout.ChooseStartWithWindows(1);
    EXPECT_EQ(ValueIn(HKEY_LOCAL_MACHINE), std::string("\"") + kExe + "\"" + '\0');
    EXPECT_EQ(MarkIn(HKEY_LOCAL_MACHINE), "<none>");
    EXPECT_TRUE(hostsim::MessageBoxes().empty());
}

TEST_F(StartWithWindows, TurningItOffRemovesTheMarkWithTheRunValue) {
    hostsim::SetRegistryValue(HKEY_LOCAL_MACHINE, kRun, "Quillmarsh", REG_SZ, Text(kExe));
    SetMark(HKEY_LOCAL_MACHINE, kEnabled);
    layout.LoadStartWithWindows();
    ASSERT_EQ(layout.startWithWindows, 1);
    layout.ChooseStartWithWindows(0);
    EXPECT_EQ(layout.startWithWindows, 0);
    EXPECT_EQ(ValueIn(HKEY_LOCAL_MACHINE), "<none>");
    EXPECT_EQ(MarkIn(HKEY_LOCAL_MACHINE), "<none>");
}

// Another copy's mark is that copy's user's choice, whichever way the command goes here.
TEST_F(StartWithWindows, AnotherCopysRunValueAndMarkAreLeftByEveryCommand) {
    hostsim::SetRegistryValue(HKEY_LOCAL_MACHINE, kRun, "Quillmarsh", REG_SZ, Text(kOtherCopy));
    SetMark(HKEY_LOCAL_MACHINE, kDisabled);
    hostsim::SetRegistryReadOnly(HKEY_LOCAL_MACHINE, true);
    hostsim::SetRegistryValue(HKEY_CURRENT_USER, kRun, "Quillmarsh", REG_SZ, Text(kExe));
    SetMark(HKEY_CURRENT_USER, kDisabled);
    layout.LoadStartWithWindows();
    ASSERT_EQ(layout.startWithWindows, 0);
    layout.ChooseStartWithWindows(1);
    EXPECT_EQ(layout.startWithWindows, 1);
    EXPECT_EQ(MarkIn(HKEY_CURRENT_USER), "<none>");
    layout.ChooseStartWithWindows(0);
    EXPECT_EQ(layout.startWithWindows, 0);
    EXPECT_EQ(ValueIn(HKEY_CURRENT_USER), "<none>");
    EXPECT_EQ(ValueIn(HKEY_LOCAL_MACHINE), std::string(kOtherCopy) + '\0');
    EXPECT_EQ(MarkIn(HKEY_LOCAL_MACHINE), Binary(kDisabled));
    EXPECT_TRUE(hostsim::MessageBoxes().empty());
}

// ---- A standard user: the machine-wide key opens for reading only -----------------------------

class StandardUser : public StartWithWindows {
  protected:
    void SetUp() override {
        StartWithWindows::SetUp();
        hostsim::ClearMessageBoxes();
        hostsim::SetRegistryReadOnly(HKEY_LOCAL_MACHINE, true);
    }

    // Written by an administrator, perhaps for an executable since moved.
    static void AdministratorsValue() {
        hostsim::SetRegistryValue(HKEY_LOCAL_MACHINE, kRun, "Quillmarsh", REG_SZ, Text(kOldPath));
    }
    // What an earlier version added beside the administrator's value.
    static void UsersOwnValue() {
        hostsim::SetRegistryValue(HKEY_CURRENT_USER, kRun, "Quillmarsh", REG_SZ, Text(kExe));
    }
    static std::string AdministratorsData() { return std::string(kOldPath) + '\0'; }

    static constexpr const char* kOldPath = "C:\\Old Place\\quillmarsh.exe";
};

TEST_F(StandardUser, SeesTheAdministratorsValueAsOnAndLeavesItAsItIs) {
    AdministratorsValue();
    layout.LoadStartWithWindows();
    EXPECT_EQ(layout.startWithWindows, 1);
    EXPECT_EQ(ValueIn(HKEY_LOCAL_MACHINE), AdministratorsData());
    EXPECT_EQ(ValueIn(HKEY_CURRENT_USER), "<none>");
}

TEST_F(StandardUser, ChoosingItWhileTheAdministratorsValueStandsAddsNoValueOfTheirOwn) {
    AdministratorsValue();
    layout.startWithWindows = 1;
    EXPECT_EQ(layout.ApplyStartWithWindows(), 1);
    EXPECT_EQ(layout.startWithWindows, 1);
    EXPECT_EQ(ValueIn(HKEY_LOCAL_MACHINE), AdministratorsData());
    EXPECT_EQ(ValueIn(HKEY_CURRENT_USER), "<none>");
}

// The administrator's value names a file that is gone, so only the user's own starts the program;
// saves remove neither.
TEST_F(StandardUser, OwnValueBesideTheAdministratorsIsLeftBySaves) {
    AdministratorsValue();
    UsersOwnValue();
    layout.LoadStartWithWindows();
    ASSERT_EQ(layout.startWithWindows, 1);
    EXPECT_EQ(layout.ApplyStartWithWindows(), 1);
    EXPECT_EQ(ValueIn(HKEY_LOCAL_MACHINE), AdministratorsData());
    EXPECT_EQ(ValueIn(HKEY_CURRENT_USER), std::string(kExe) + '\0');
}

// Only the menu command shows the box, so that saves never show one.
TEST_F(StandardUser, TurningItOffReportsThatTheAdministratorsValueStaysAndKeepsTheOptionOn) {
    AdministratorsValue();
    UsersOwnValue();
    layout.ChooseStartWithWindows(0);
    EXPECT_EQ(layout.startWithWindows, 1);
    EXPECT_EQ(ValueIn(HKEY_LOCAL_MACHINE), AdministratorsData());
    EXPECT_EQ(ValueIn(HKEY_CURRENT_USER), "<none>");
    ASSERT_EQ(hostsim::MessageBoxes().size(), 1u);
    EXPECT_EQ(hostsim::MessageBoxes()[0].text, kRemoveBox);
    EXPECT_EQ(hostsim::MessageBoxes()[0].caption, "Error");
}

TEST_F(StandardUser, WithoutAnAdministratorsValueKeepsTheOptionInTheirOwnKey) {
    layout.startWithWindows = 1;
    EXPECT_EQ(layout.ApplyStartWithWindows(), 1);
    EXPECT_EQ(ValueIn(HKEY_LOCAL_MACHINE), "<none>");
    EXPECT_EQ(ValueIn(HKEY_CURRENT_USER), std::string("\"") + kExe + "\"" + '\0');

    CDesktopLayout nextRun;
    nextRun.LoadStartWithWindows();
    EXPECT_EQ(nextRun.startWithWindows, 1);
    nextRun.ChooseStartWithWindows(0);
    EXPECT_EQ(nextRun.startWithWindows, 0);
    EXPECT_EQ(ValueIn(HKEY_CURRENT_USER), "<none>");
}

// Every save ends by applying the option: with the administrator's value standing, and with the
// option off and no value anywhere.
TEST_F(StandardUser, SavesShowNoBoxAndAddNoValueOfTheirOwn) {
    initest::ScratchDirectory scratch;
    hostsim::SetModuleFileName(scratch.Path("quillmarsh.exe").string());
    AdministratorsValue();
    CDesktopLayout run;
    run.LoadSettings();
    ASSERT_EQ(run.startWithWindows, 1);
    run.SaveSettings();
    run.SaveSettings();
    EXPECT_EQ(run.startWithWindows, 1);
    EXPECT_EQ(ValueIn(HKEY_LOCAL_MACHINE), AdministratorsData());
    EXPECT_EQ(ValueIn(HKEY_CURRENT_USER), "<none>");

    EmptyRunKeys();
    hostsim::SetRegistryReadOnly(HKEY_LOCAL_MACHINE, true);
    run.startWithWindows = 0;
    run.SaveSettings();
    EXPECT_EQ(run.startWithWindows, 0);
    EXPECT_EQ(ValueIn(HKEY_CURRENT_USER), "<none>");
    EXPECT_TRUE(hostsim::MessageBoxes().empty());
}

// The machine-wide mark is not this user's to clear: their own value starts the program for them,
// and the administrator's entry stays, disabled, where Task Manager shows it.
TEST_F(StandardUser, TurningOnBesideAMachineValueWindowsDisabledUsesTheirOwnKey) {
    hostsim::SetRegistryValue(HKEY_LOCAL_MACHINE, kRun, "Quillmarsh", REG_SZ, Text(kExe));
    SetMark(HKEY_LOCAL_MACHINE, kDisabled);
    layout.LoadStartWithWindows();
    ASSERT_EQ(layout.startWithWindows, 0);
    layout.ChooseStartWithWindows(1);
    EXPECT_EQ(layout.startWithWindows, 1);
    EXPECT_EQ(ValueIn(HKEY_CURRENT_USER), std::string("\"") + kExe + "\"" + '\0');

    layout.ChooseStartWithWindows(0);
    EXPECT_EQ(layout.startWithWindows, 0);
    EXPECT_EQ(ValueIn(HKEY_CURRENT_USER), "<none>");
    EXPECT_EQ(ValueIn(HKEY_LOCAL_MACHINE), std::string(kExe) + '\0');
    EXPECT_EQ(MarkIn(HKEY_LOCAL_MACHINE), Binary(kDisabled));
    EXPECT_TRUE(hostsim::MessageBoxes().empty());
}

} // namespace
