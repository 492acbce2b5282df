// The real quillmarsh.exe when its tray window cannot be made: the system refuses every window of
// its class (a global CBT hook from the test library RefuseTrayWindow.dll, which the system loads
// into the program), and the program says so in an "Error" box and ends with a code other than 0.
#include "program/ProgramFolder.h"
#include "program/RunningProgram.h"

#include <gtest/gtest.h>

namespace {

// Installed for the life of the object, for the whole session.
class CRefusedTrayWindows {
  public:
    CRefusedTrayWindows() {
        library = LoadLibraryA((ExeDirectory() + "RefuseTrayWindow.dll").c_str());
        HOOKPROC refuse = library ? reinterpret_cast<HOOKPROC>(reinterpret_cast<void*>(
                                        GetProcAddress(library, "RefuseTrayWindow")))
                                  : nullptr;
        if (refuse) {
            hook = SetWindowsHookExA(WH_CBT, refuse, library, 0);
        }
    }
    ~CRefusedTrayWindows() {
        if (hook) {
            UnhookWindowsHookEx(hook);
        }
        if (library) {
            FreeLibrary(library);
        }
    }
    CRefusedTrayWindows(const CRefusedTrayWindows&) = delete;
    CRefusedTrayWindows& operator=(const CRefusedTrayWindows&) = delete;

    bool Installed() const { return hook != nullptr; }

  private:
    HMODULE library = nullptr;
    HHOOK hook = nullptr;
};

TEST(TrayWindowFailure, IsReportedInAnErrorBoxAndEndsWithACodeOtherThanZero) {
    CProgramFolder folder;
    ASSERT_TRUE(folder.Ready());
    CRunningProgram program;
    {
        CRefusedTrayWindows refused;
        ASSERT_TRUE(refused.Installed());
        ASSERT_TRUE(program.Start(folder.Exe()));
        EXPECT_EQ(program.WaitForErrorBox(), "Could not create the tray window!");
    }
    DWORD code = 0;
    ASSERT_TRUE(program.WaitForExit(&code));
    EXPECT_EQ(code, 1u);
    EXPECT_FALSE(FileExists(folder.SettingsFile()));
}

} // namespace
