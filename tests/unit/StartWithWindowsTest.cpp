// The Run-key value against the host registry: machine-wide first, the user's own key when the
// machine-wide one cannot be opened.
#include "desktop/DesktopLayout.h"
#include "platform/host/HostTesting.h"

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
        hostsim::ResetRegistry();
        hostsim::CreateRegistryKey(HKEY_LOCAL_MACHINE, kRun);
        hostsim::CreateRegistryKey(HKEY_CURRENT_USER, kRun);
    }
    void TearDown() override { EXPECT_EQ(hostsim::OpenRegistryKeys(), 0); }

    // The value's data as text, or "<none>".
    static std::string ValueIn(HKEY root, DWORD* type = nullptr) {
        DWORD valueType = 0;
        std::vector<uint8_t> data;
        if (!hostsim::GetRegistryValue(root, kRun, "Quillmarsh", &valueType, &data))
            return "<none>";
        if (type)
            *type = valueType;
        return std::string(data.begin(), data.end());
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

TEST_F(StartWithWindows, RefusedWriteClearsTheFlagAndKeepsTheOldValue) {
    hostsim::SetRegistryValue(HKEY_LOCAL_MACHINE, kRun, "Quillmarsh", REG_SZ, Text("old"));
    hostsim::SetRegistryWriteRefused(HKEY_LOCAL_MACHINE, true);
    layout.startWithWindows = 1;
    layout.ApplyStartWithWindows();
    EXPECT_EQ(layout.startWithWindows, 0);
    EXPECT_EQ(ValueIn(HKEY_LOCAL_MACHINE), std::string("old") + '\0');
}

TEST_F(StartWithWindows, OffWithAKeyThatWillNotOpenLeavesTheValue) {
    hostsim::SetRegistryValue(HKEY_LOCAL_MACHINE, kRun, "Quillmarsh", REG_SZ, Text(kExe));
    hostsim::SetRegistryOpenRefused(HKEY_LOCAL_MACHINE, true);
    layout.ApplyStartWithWindows();
    hostsim::SetRegistryOpenRefused(HKEY_LOCAL_MACHINE, false);
    EXPECT_NE(ValueIn(HKEY_LOCAL_MACHINE), "<none>");
}

} // namespace
