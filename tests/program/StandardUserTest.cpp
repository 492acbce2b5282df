// The real quillmarsh.exe under Wine as a standard user meets what an administrator left behind:
// the single-instance marker of a copy started elevated, which this user may not open, and a
// machine-wide Run value, which this user may read but not change. Both are staged with access
// lists, which Wine enforces on mutexes and on registry keys. Last, a copy that may change the
// machine-wide value finds it naming another copy.
#include "contract/TestDesktop.h"
#include "program/ProgramFolder.h"
#include "program/ProgramTestSupport.h"
#include "program/RunningProgram.h"

#include <gtest/gtest.h>

#include <sddl.h>

#include <cstring>
#include <memory>
#include <vector>

namespace {

using programtest::ClearRunValues;
using programtest::kRunKey;
using programtest::RunValue;
using programtest::Section;
using namespace programtest::commands;

const char kInstanceMutex[] = "Quillmarsh";
const char kCannotRemove[] = "Could not remove Start With Windows for all users!";
const char kOldPath[] = "C:\\Old Place\\quillmarsh.exe";

// A security descriptor from its text form.
class CSecurityText {
  public:
    explicit CSecurityText(const char* text) {
        if (!ConvertStringSecurityDescriptorToSecurityDescriptorA(text, SDDL_REVISION_1,
                                                                  &descriptor, nullptr)) {
            descriptor = nullptr;
        }
    }
    ~CSecurityText() {
        if (descriptor) {
            LocalFree(descriptor);
        }
    }
    CSecurityText(const CSecurityText&) = delete;
    CSecurityText& operator=(const CSecurityText&) = delete;

    PSECURITY_DESCRIPTOR Get() const { return descriptor; }

  private:
    PSECURITY_DESCRIPTOR descriptor = nullptr;
};

// The marker as an elevated copy in the same logon holds it: owned, and open to nobody else.
class CElevatedCopyMarker {
  public:
    CElevatedCopyMarker() : noAccess("D:") {
        SECURITY_ATTRIBUTES attributes = {sizeof attributes, noAccess.Get(), FALSE};
        if (noAccess.Get()) {
            marker = CreateMutexA(&attributes, TRUE, kInstanceMutex);
        }
    }
    ~CElevatedCopyMarker() {
        if (marker) {
            CloseHandle(marker);
        }
    }
    CElevatedCopyMarker(const CElevatedCopyMarker&) = delete;
    CElevatedCopyMarker& operator=(const CElevatedCopyMarker&) = delete;

    // Made, and refused to the next one who asks for it as the program does.
    bool Refuses() const {
        if (!marker) {
            return false;
        }
        HANDLE other = CreateMutexA(nullptr, TRUE, kInstanceMutex);
        DWORD error = GetLastError();
        if (other) {
            CloseHandle(other);
        }
        return !other && error == ERROR_ACCESS_DENIED;
    }

  private:
    CSecurityText noAccess;
    HANDLE marker = nullptr;
};

TEST(ElevatedCopy, MarkerThisUserMayNotOpenMeansAlreadyRunning) {
    CProgramFolder folder;
    ASSERT_TRUE(folder.Ready());
    CElevatedCopyMarker marker;
    ASSERT_TRUE(marker.Refuses());

    CRunningProgram program;
    ASSERT_TRUE(program.Start(folder.Exe()));
    EXPECT_EQ(program.WaitForErrorBox(), "Already running!");
    DWORD code = 99;
    ASSERT_TRUE(program.WaitForExit(&code));
    EXPECT_EQ(code, 0u);
    EXPECT_FALSE(FileExists(folder.SettingsFile()));
}

// The machine-wide Run key as a standard user meets it: everyone may read it, nobody may change
// its values. Its own access list comes back at the end.
class CReadOnlyMachineRunKey {
  public:
    CReadOnlyMachineRunKey() {
        HKEY key = nullptr;
        if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kRunKey, 0, READ_CONTROL | WRITE_DAC, &key) !=
            ERROR_SUCCESS) {
            return;
        }
        DWORD size = 0;
        RegGetKeySecurity(key, DACL_SECURITY_INFORMATION, nullptr, &size);
        saved.resize(size);
        // Reading, and changing the access list again, for everyone.
        CSecurityText readOnly("D:(A;;KR;;;WD)(A;;WD;;;WD)");
        restore =
            size > 0 &&
            RegGetKeySecurity(key, DACL_SECURITY_INFORMATION, saved.data(), &size) ==
                ERROR_SUCCESS &&
            readOnly.Get() &&
            RegSetKeySecurity(key, DACL_SECURITY_INFORMATION, readOnly.Get()) == ERROR_SUCCESS;
        RegCloseKey(key);
    }
    ~CReadOnlyMachineRunKey() {
        HKEY key = nullptr;
        if (!restore ||
            RegOpenKeyExA(HKEY_LOCAL_MACHINE, kRunKey, 0, WRITE_DAC, &key) != ERROR_SUCCESS) {
            return;
        }
        RegSetKeySecurity(key, DACL_SECURITY_INFORMATION, saved.data());
        RegCloseKey(key);
    }
    CReadOnlyMachineRunKey(const CReadOnlyMachineRunKey&) = delete;
    CReadOnlyMachineRunKey& operator=(const CReadOnlyMachineRunKey&) = delete;

    // The access list is in place and refuses an opening for writing.
    bool Ready() const {
        HKEY key = nullptr;
        LONG result = RegOpenKeyExA(HKEY_LOCAL_MACHINE, kRunKey, 0, KEY_SET_VALUE, &key);
        if (result == ERROR_SUCCESS) {
            RegCloseKey(key);
        }
        return restore && result == ERROR_ACCESS_DENIED;
    }

  private:
    std::vector<BYTE> saved;
    bool restore = false;
};

void SetMachineRunValue(const char* data) {
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kRunKey, 0, KEY_SET_VALUE, &key) != ERROR_SUCCESS) {
        return;
    }
    RegSetValueExA(key, "Quillmarsh", 0, REG_SZ, reinterpret_cast<const BYTE*>(data),
                   static_cast<DWORD>(strlen(data) + 1));
    RegCloseKey(key);
}

class AdministratorsRunValue : public ::testing::Test {
  protected:
    CProgramFolder folder;
    CRunningProgram program;

    void SetUp() override {
        ASSERT_TRUE(folder.Ready());
        ASSERT_TRUE(testdesktop::Start({{"Recycle Bin", 20, 10}, {"Notes.txt", 100, 10}}));
        ClearRunValues();
        SetMachineRunValue(kOldPath);
        ASSERT_EQ(RunValue(HKEY_LOCAL_MACHINE), kOldPath);
        readOnly.reset(new CReadOnlyMachineRunKey);
        ASSERT_TRUE(readOnly->Ready());
    }
    void TearDown() override {
        program.Kill();
        testdesktop::Stop();
        readOnly.reset();
        ClearRunValues();
    }

    // The window shows up while it is still being created; the start's snapshot is written last.
    bool WaitForStartupSnapshot() const {
        DWORD started = GetTickCount();
        while (Section(ReadWholeFile(folder.SettingsFile()), "AutoSaves").empty()) {
            if (GetTickCount() - started > 30000) {
                return false;
            }
            Sleep(10);
        }
        return true;
    }

    std::unique_ptr<CReadOnlyMachineRunKey> readOnly;
};

TEST_F(AdministratorsRunValue, StandardUserCannotTurnItOffIsToldSoAndGetsNoValueOfTheirOwn) {
    ASSERT_TRUE(program.Start(folder.Exe()));
    ASSERT_NE(program.WaitForWindow(), nullptr);
    ASSERT_TRUE(WaitForStartupSnapshot());
    // The start's save has applied the option once it answers.
    ASSERT_TRUE(program.Command(0));
    EXPECT_FALSE(program.OpenErrorBoxes() > 0);
    EXPECT_EQ(RunValue(HKEY_LOCAL_MACHINE), kOldPath);
    EXPECT_EQ(RunValue(HKEY_CURRENT_USER), "");

    // The option stays on after each refusal, so each choice turns it off again and is refused.
    for (int choice = 1; choice <= 2; choice++) {
        ASSERT_TRUE(program.PostCommand(kStartWithWindows));
        EXPECT_EQ(program.WaitForErrorBox(), kCannotRemove) << "choice " << choice;
        ASSERT_TRUE(program.Command(0));
        EXPECT_FALSE(program.OpenErrorBoxes() > 0);
    }
    // A box would hold the tick until the bound.
    ASSERT_TRUE(program.TimerTick());
    EXPECT_FALSE(program.OpenErrorBoxes() > 0);
    EXPECT_EQ(RunValue(HKEY_LOCAL_MACHINE), kOldPath);
    EXPECT_EQ(RunValue(HKEY_CURRENT_USER), "");

    EXPECT_TRUE(program.Command(kExit));
    DWORD code = 99;
    ASSERT_TRUE(program.WaitForExit(&code));
    EXPECT_EQ(code, 0u);
}

// A copy run once from somewhere else, where it may write the machine-wide key: its start, its
// saves and its Exit leave the installed copy's value as it stands.
TEST_F(AdministratorsRunValue, AnotherCopysValueOutlastsARunOfThisOne) {
    readOnly.reset();
    CProgramFolder installed;
    ASSERT_TRUE(installed.Ready());
    const std::string value = "\"" + installed.Exe() + "\"";
    SetMachineRunValue(value.c_str());
    ASSERT_EQ(RunValue(HKEY_LOCAL_MACHINE), value);

    ASSERT_TRUE(program.Start(folder.Exe()));
    ASSERT_NE(program.WaitForWindow(), nullptr);
    ASSERT_TRUE(WaitForStartupSnapshot());
    ASSERT_TRUE(program.Command(kSave));
    ASSERT_TRUE(program.TimerTick());
    ASSERT_TRUE(program.TimerTick());
    EXPECT_TRUE(program.Command(kExit));
    DWORD code = 99;
    ASSERT_TRUE(program.WaitForExit(&code));
    EXPECT_EQ(code, 0u);
    EXPECT_EQ(program.OpenErrorBoxes(), 0);
    EXPECT_EQ(RunValue(HKEY_LOCAL_MACHINE), value);
    EXPECT_EQ(RunValue(HKEY_CURRENT_USER), "");
}

} // namespace
