// The Run-key value against the host registry: machine-wide first, the user's own key when the
// machine-wide one cannot be written, and never both.
#include "desktop/DesktopLayout.h"
#include "platform/host/HostTesting.h"
#include "unit/IniTestSupport.h"

#include <gtest/gtest.h>

#include <string>

namespace {

const char kRun[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run";
const char kExe[] = "C:\\Program Files\\Quill Marsh\\quillmarsh.exe";

std::vector<uint8_t> Text(const std::string& text) {
    return std::vector<uint8_t>(text.c_str(), text.c_str() + text.size() + 1);
}

class StartWithWindows : public ::testing::Test {
  protected:
    void SetUp() override {
        hostsim::ResetDesktop({});
        hostsim::SetModuleFileName(kExe);
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
    layout.LoadStartWithWindows();
    EXPECT_EQ(ValueIn(HKEY_LOCAL_MACHINE), std::string("\"D:\\New Place\\qm.exe\"") + '\0');
}

TEST_F(StartWithWindows, TurningOnAndOffWritesAndDeletesTheMachineValue) {
    layout.startWithWindows = 1;
    layout.ApplyStartWithWindows();
    EXPECT_EQ(layout.startWithWindows, 1);
    EXPECT_EQ(ValueIn(HKEY_LOCAL_MACHINE), std::string("\"") + kExe + "\"" + '\0');
    EXPECT_EQ(ValueIn(HKEY_CURRENT_USER), "<none>");

    layout.startWithWindows = 0;
    layout.ApplyStartWithWindows();
    EXPECT_EQ(ValueIn(HKEY_LOCAL_MACHINE), "<none>");
    layout.ApplyStartWithWindows();
    EXPECT_EQ(layout.startWithWindows, 0);
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

    nextRun.startWithWindows = 0;
    nextRun.ApplyStartWithWindows();
    EXPECT_EQ(ValueIn(HKEY_CURRENT_USER), "<none>");
}

TEST_F(StartWithWindows, MachineValueReplacesAUserValueSoTheProgramStartsOnce) {
    hostsim::SetRegistryValue(HKEY_CURRENT_USER, kRun, "Quillmarsh", REG_SZ, Text(kExe));
    layout.startWithWindows = 1;
    layout.ApplyStartWithWindows();
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
    layout.startWithWindows = 0;
    EXPECT_EQ(layout.ApplyStartWithWindows(), 0);
    EXPECT_EQ(layout.startWithWindows, 1);
    EXPECT_NE(ValueIn(HKEY_LOCAL_MACHINE), "<none>");
}

TEST_F(StartWithWindows, OffWithAKeyThatWillNotOpenLeavesTheValue) {
    hostsim::SetRegistryValue(HKEY_LOCAL_MACHINE, kRun, "Quillmarsh", REG_SZ, Text(kExe));
    hostsim::SetRegistryOpenRefused(HKEY_LOCAL_MACHINE, true);
    layout.ApplyStartWithWindows();
    hostsim::SetRegistryOpenRefused(HKEY_LOCAL_MACHINE, false);
    EXPECT_NE(ValueIn(HKEY_LOCAL_MACHINE), "<none>");
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

// Two values started two copies at every logon; the save after the next start leaves one.
TEST_F(StandardUser, OwnValueBesideTheAdministratorsIsRemovedSoTheProgramStartsOnce) {
    AdministratorsValue();
    UsersOwnValue();
    layout.LoadStartWithWindows();
    ASSERT_EQ(layout.startWithWindows, 1);
    EXPECT_EQ(layout.ApplyStartWithWindows(), 1);
    EXPECT_EQ(ValueIn(HKEY_LOCAL_MACHINE), AdministratorsData());
    EXPECT_EQ(ValueIn(HKEY_CURRENT_USER), "<none>");
}

// The core reports; the box is the menu command's, so that saves never show one.
TEST_F(StandardUser, TurningItOffReportsThatTheAdministratorsValueStaysAndKeepsTheOptionOn) {
    AdministratorsValue();
    UsersOwnValue();
    layout.startWithWindows = 0;
    EXPECT_EQ(layout.ApplyStartWithWindows(), 0);
    EXPECT_EQ(layout.startWithWindows, 1);
    EXPECT_EQ(ValueIn(HKEY_LOCAL_MACHINE), AdministratorsData());
    EXPECT_EQ(ValueIn(HKEY_CURRENT_USER), "<none>");
    EXPECT_TRUE(hostsim::MessageBoxes().empty());
}

TEST_F(StandardUser, WithoutAnAdministratorsValueKeepsTheOptionInTheirOwnKey) {
    layout.startWithWindows = 1;
    EXPECT_EQ(layout.ApplyStartWithWindows(), 1);
    EXPECT_EQ(ValueIn(HKEY_LOCAL_MACHINE), "<none>");
    EXPECT_EQ(ValueIn(HKEY_CURRENT_USER), std::string("\"") + kExe + "\"" + '\0');

    CDesktopLayout nextRun;
    nextRun.LoadStartWithWindows();
    EXPECT_EQ(nextRun.startWithWindows, 1);
    nextRun.startWithWindows = 0;
    EXPECT_EQ(nextRun.ApplyStartWithWindows(), 1);
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

} // namespace
