// The real quillmarsh.exe under Wine as a standard user meets what an administrator left behind:
// the single-instance marker of a copy started elevated, which this user may not open. It is
// staged with an access list, which Wine enforces on mutexes.
#include "program/ProgramFolder.h"
#include "program/RunningProgram.h"

#include <gtest/gtest.h>

#include <sddl.h>

namespace {

const char kInstanceMutex[] = "Quillmarsh";

// A security descriptor from its text form.
class CSecurityText {
  public:
    explicit CSecurityText(const char* text) {
        if (!ConvertStringSecurityDescriptorToSecurityDescriptorA(text, SDDL_REVISION_1,
                                                                  &descriptor, nullptr))
            descriptor = nullptr;
    }
    ~CSecurityText() {
        if (descriptor)
            LocalFree(descriptor);
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
        if (noAccess.Get())
            marker = CreateMutexA(&attributes, TRUE, kInstanceMutex);
    }
    ~CElevatedCopyMarker() {
        if (marker)
            CloseHandle(marker);
    }
    CElevatedCopyMarker(const CElevatedCopyMarker&) = delete;
    CElevatedCopyMarker& operator=(const CElevatedCopyMarker&) = delete;

    // Made, and refused to the next one who asks for it as the program does.
    bool Refuses() const {
        if (!marker)
            return false;
        HANDLE other = CreateMutexA(nullptr, TRUE, kInstanceMutex);
        DWORD error = GetLastError();
        if (other)
            CloseHandle(other);
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

} // namespace
